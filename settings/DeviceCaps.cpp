#include "settings/DeviceCaps.h"

HRESULT OnDeviceCapabilities(POEMUIOBJ, HANDLE, WORD, PVOID, DWORD*, CUIHelper*) { return S_OK; }
