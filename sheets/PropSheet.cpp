#include "sheets/PropSheet.h"

HRESULT OnDocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM, CUIHelper*, CFeatures*) { return E_NOTIMPL; }
HRESULT OnDevicePropertySheets(PPROPSHEETUI_INFO, LPARAM, CUIHelper*, CFeatures*, BOOL) { return E_NOTIMPL; }
