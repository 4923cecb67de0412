// The plug-in's changes to the driver's DeviceCapabilities answers.
#pragma once

#include "oem/PrintOemUI.h"

class CUIHelper;

HRESULT OnDeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, WORD capability, PVOID output, DWORD* result,
                             CUIHelper* core);
