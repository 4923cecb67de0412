// Storage for the interface ids of the OEM plug-in interfaces.
#include <windows.h>
#include <objbase.h>
#include <initguid.h>
#include "oem/PrintOemUI.h"
