// Property-sheet assembly of the document and printer sheets.
#pragma once

#include "oem/PrintOemUI.h"

class CUIHelper;
class CFeatures;

HRESULT OnDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features);
HRESULT OnDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features,
                               BOOL hideStandardUI);
