#include "sheets/OemItems.h"
#include "device/PrinterUtils.h"
#include "settings/PrivateDevMode.h"

namespace {

const WCHAR kPrinterValue[] = L"OEMUI_VALUE";

// The checks both sheets share before anything is written; S_OK to go on.
HRESULT CheckItemRequest(POEMCUIPPARAM param)
{
    if (!param)
        return E_INVALIDARG;
    if (param->pOEMOptItems && param->cOEMOptItems == 0)
        return E_INVALIDARG;
    return S_OK;
}

void PrepareItems(POEMCUIPPARAM param, OEMCUIPCALLBACK callback)
{
    param->OEMCUIPCallback = callback;
    ZeroMemory(param->pOEMOptItems, sizeof(OPTITEM) * (size_t)param->cOEMOptItems);
    for (DWORD i = 0; i < param->cOEMOptItems; ++i) {
        param->pOEMOptItems[i].cbSize = sizeof(OPTITEM);
        param->pOEMOptItems[i].DMPubID = 0;
    }
    param->pOEMOptItems[0].Level = 1;
    param->pOEMOptItems[0].Flags = OPTIF_COLLAPSE;
}

// The up-down range 0..100 of the item.
HRESULT AttachRange(HANDLE heap, OPTITEM* item)
{
    POPTTYPE type = AllocOptType(heap, 2);
    if (!type)
        return E_OUTOFMEMORY;
    type->Type = TVOT_UDARROW;
    type->pOptParam[1].IconID = 0;
    type->pOptParam[1].lParam = OEM_ITEM_MAX;
    item->pOptType = type;
    return S_OK;
}

DWORD ReadPrinterValue(HANDLE hPrinter)
{
    DWORD type = 0, value = 0, needed = 0;
    DWORD status = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(kPrinterValue), &type,
                                   reinterpret_cast<BYTE*>(&value), sizeof value, &needed);
    if (status != ERROR_SUCCESS || value > OEM_ITEM_MAX)
        return 0;
    return value;
}

PRIVATE_DEVMODE* Block(POEMCUIPPARAM param) { return static_cast<PRIVATE_DEVMODE*>(param->pOEMDM); }

} // namespace

HRESULT OnDocumentOemItems(POEMCUIPPARAM param)
{
    HRESULT hr = CheckItemRequest(param);
    if (FAILED(hr))
        return hr;
    if (!param->pOEMOptItems) {
        param->cOEMOptItems = 1;
        return S_OK;
    }
    if (!param->pOEMDM)
        return E_INVALIDARG;
    PrepareItems(param, &DocumentOemItemCallback);
    OPTITEM* item = &param->pOEMOptItems[0];
    item->Sel = (LONG)Block(param)->oemItemValue;
    hr = LoadHeapString(param->hOEMHeap, static_cast<HMODULE>(param->hModule), IDS_DOC_OEM_ITEM_NAME, &item->pName);
    if (FAILED(hr))
        return hr;
    return AttachRange(param->hOEMHeap, item);
}

HRESULT OnPrinterOemItems(POEMCUIPPARAM param)
{
    HRESULT hr = CheckItemRequest(param);
    if (FAILED(hr))
        return hr;
    if (!param->pOEMOptItems) {
        param->cOEMOptItems = 1;
        return S_OK;
    }
    DWORD value = ReadPrinterValue(param->hPrinter);
    PrepareItems(param, &PrinterOemItemCallback);
    OPTITEM* item = &param->pOEMOptItems[0];
    hr = LoadHeapString(param->hOEMHeap, static_cast<HMODULE>(param->hModule), IDS_PRN_OEM_ITEM_NAME, &item->pName);
    if (FAILED(hr))
        return hr;
    item->Sel = (LONG)value;
    return AttachRange(param->hOEMHeap, item);
}

// Works on item 0 of the parameter block, whatever item the callback names.
LONG APIENTRY DocumentOemItemCallback(PCPSUICBPARAM cb, POEMCUIPPARAM param)
{
    if (!cb || !param || !param->pOEMOptItems || param->cOEMOptItems == 0 || !param->pOEMDM)
        return CPSUICB_ACTION_NONE;
    OPTITEM* item = &param->pOEMOptItems[0];
    PRIVATE_DEVMODE* block = Block(param);
    switch (cb->Reason) {
    case CPSUICB_REASON_APPLYNOW:
    case CPSUICB_REASON_KILLACTIVE:
        block->oemItemValue = (DWORD)item->Sel;
        return CPSUICB_ACTION_NONE;
    case CPSUICB_REASON_SETACTIVE:
        // The pages may have changed the block meanwhile.
        if ((DWORD)item->Sel != block->oemItemValue) {
            item->Sel = (LONG)block->oemItemValue;
            item->Flags |= OPTIF_CHANGED;
            return CPSUICB_ACTION_OPTIF_CHANGED;
        }
        return CPSUICB_ACTION_NONE;
    default:
        return CPSUICB_ACTION_NONE;
    }
}

LONG APIENTRY PrinterOemItemCallback(PCPSUICBPARAM cb, POEMCUIPPARAM param)
{
    if (cb && param && param->pOEMOptItems && param->cOEMOptItems > 0 && cb->Reason == CPSUICB_REASON_APPLYNOW) {
        DWORD value = (DWORD)param->pOEMOptItems[0].Sel;
        SetPrinterDataW(param->hPrinter, const_cast<LPWSTR>(kPrinterValue), REG_DWORD, reinterpret_cast<BYTE*>(&value),
                        sizeof value);
    }
    return CPSUICB_ACTION_NONE;
}

POPTITEM AllocOptItems(HANDLE heap, DWORD count)
{
    if (!heap)
        return nullptr;
    ULONGLONG bytes = (ULONGLONG)count * sizeof(OPTITEM);
    if (bytes > (ULONGLONG)SIZE_MAX)
        return nullptr;
    POPTITEM items = static_cast<POPTITEM>(HeapAlloc(heap, HEAP_ZERO_MEMORY, (SIZE_T)bytes));
    if (!items)
        return nullptr;
    for (DWORD i = 0; i < count; ++i) {
        items[i].cbSize = sizeof(OPTITEM);
        items[i].DMPubID = 0;
    }
    return items;
}

POPTTYPE AllocOptType(HANDLE heap, WORD count)
{
    if (!heap)
        return nullptr;
    POPTTYPE type = static_cast<POPTTYPE>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTTYPE)));
    if (!type)
        return nullptr;
    type->cbSize = sizeof(OPTTYPE);
    type->Count = count;
    type->pOptParam = static_cast<POPTPARAM>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(OPTPARAM) * (size_t)count));
    if (!type->pOptParam) {
        HeapFree(heap, 0, type);
        return nullptr;
    }
    for (WORD i = 0; i < count; ++i)
        type->pOptParam[i].cbSize = sizeof(OPTPARAM);
    return type;
}
