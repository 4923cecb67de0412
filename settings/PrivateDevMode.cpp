#include "settings/PrivateDevMode.h"

HRESULT HandleOemDevMode(DWORD, POEMDMPARAM) { return E_NOTIMPL; }
