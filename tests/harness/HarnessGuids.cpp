// The harness's own copy of the OEM interface ids (selectany, so programs that
// also link the plug-in's objects keep one).
#include <windows.h>
#include <objbase.h>
#include <initguid.h>
#include "oem/PrintOemUI.h"
