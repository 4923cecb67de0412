#include "sheets/OemItems.h"

HRESULT OnDocumentOemItems(POEMCUIPPARAM) { return E_NOTIMPL; }
HRESULT OnPrinterOemItems(POEMCUIPPARAM) { return E_NOTIMPL; }
