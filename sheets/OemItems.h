// The plug-in's own items in the driver's common property-sheet UI.
#pragma once

#include "oem/PrintOemUI.h"

HRESULT OnDocumentOemItems(POEMCUIPPARAM param);
HRESULT OnPrinterOemItems(POEMCUIPPARAM param);
