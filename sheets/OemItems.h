// The plug-in's own item in each sheet's tree of common property-sheet UI
// items (an up-down number from 0 to 100), and the allocators of those
// structures on the driver's heap.
#pragma once

#include "oem/PrintOemUI.h"

#define OEM_ITEM_MAX 100
#define IDS_DOC_OEM_ITEM_NAME 10   // strings of the module the core driver names
#define IDS_PRN_OEM_ITEM_NAME 6

HRESULT OnDocumentOemItems(POEMCUIPPARAM param);
HRESULT OnPrinterOemItems(POEMCUIPPARAM param);
LONG APIENTRY DocumentOemItemCallback(PCPSUICBPARAM cb, POEMCUIPPARAM param);
LONG APIENTRY PrinterOemItemCallback(PCPSUICBPARAM cb, POEMCUIPPARAM param);

// Zero-filled from the heap and never freed by the plug-in; null on failure.
POPTITEM AllocOptItems(HANDLE heap, DWORD count);
POPTTYPE AllocOptType(HANDLE heap, WORD count);
