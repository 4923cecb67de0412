// The plug-in's private DEVMODE block and the handler behind IPrintOemUI2::DevMode.
#pragma once

#include "oem/PrintOemUI.h"

HRESULT HandleOemDevMode(DWORD mode, POEMDMPARAM param);
