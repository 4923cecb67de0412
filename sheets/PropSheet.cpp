#include "sheets/PropSheet.h"
#include "device/PrinterUtils.h"
#include "plugin/TessivonApp.h"
#include "plugin/UIHelper.h"
#include "plugin/ZeroFilled.h"
#include "settings/ConstraintState.h"
#include "settings/FeatureSettings.h"
#include "settings/Features.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/FeatureTree.h"
#include "sheets/OemItems.h"
#include "sheets/ResourceModule.h"
#include "ui/PageLink.h"
#include "ui/PageProcs.h"


const PAGE_INFO g_DocumentPages[] = {
    { 0, 4000, 1100, &BasicPageProc },
    { 1, 4001, 1102, &AdvancedPageProc },
    { 0, 0, 0, nullptr },
};

const PAGE_INFO g_PrinterPages[] = {
    { 0, 604, 1113, &AuxiliaryPageProc },
    { 0, 0, 0, nullptr },
};

namespace {

constexpr DWORD kSheetVersion = 0x0100;
constexpr int kTitleChars = 512;
constexpr WORD kTreeIcon = 64062;
constexpr UINT IDS_TREE_CALLER_NAME = 3;
constexpr UINT IDS_TREE_TAB_NAME = 4;

HANDLE g_moduleActCtx = INVALID_HANDLE_VALUE;

// Failure injection and the count of the parts a sheet start makes.
volatile LONG g_failAllocation = 0;
volatile LONG g_partsAlive = 0;

bool AllocationAllowed()
{
    for (;;) {
        LONG left = g_failAllocation;
        if (left <= 0)
            return true;
        if (InterlockedCompareExchange(&g_failAllocation, left - 1, left) == left)
            return left != 1;
    }
}

template <class T>
T* Made(T* part)
{
    if (part)
        InterlockedIncrement(&g_partsAlive);
    return part;
}

// One part of a sheet (its settings, a part of its context), made and freed
// by these only.
template <class T, class... Args>
T* NewPart(Args&&... args)
{
    return AllocationAllowed() ? Made(new (std::nothrow) T(std::forward<Args>(args)...)) : nullptr;
}

template <class T>
void DeletePart(T*& part)
{
    if (!part)
        return;
    delete part;
    part = nullptr;
    InterlockedDecrement(&g_partsAlive);
}

// The same for parts with zero-filled storage.
template <class T, class... Args>
T* NewZeroFilledPart(Args&&... args)
{
    return AllocationAllowed() ? Made(NewZeroFilled<T>(std::forward<Args>(args)...)) : nullptr;
}

template <class T>
void DeleteZeroFilledPart(T*& part)
{
    if (!part)
        return;
    DeleteZeroFilled(part);
    part = nullptr;
    InterlockedDecrement(&g_partsAlive);
}

OEMUIPSPARAM* ParamOf(PROPSHEETUI_INFO* info) { return reinterpret_cast<OEMUIPSPARAM*>(info->lParamInit); }

// The selection of a feature through a feature access that holds a model,
// the core driver and the UI object; false leaves the field alone.
bool ReadSelection(const CFeatureAccess& access, const char* keyword, DWORD* selection)
{
    if (!access.IsValid() || !access.GetFeatures() || !access.GetCore() || !access.GetUIObject())
        return false;
    COptions* options = access.GetFeatureOptions(keyword);
    if (!options || !options->RefreshCurrent(access.GetCore(), access.GetUIObject()))
        return false;
    *selection = options->GetCurrent();
    return true;
}

bool IsCustomPaperId(int id) { return id >= FIRST_CUSTOM_PAPER_ID && id <= LAST_CUSTOM_PAPER_ID; }

// Adds one page per row of a table; the page description is reused.
HRESULT AddTablePages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, const PAGE_INFO* table)
{
    if (!context || !info || !context->resources)
        return E_POINTER;
    ProcessHeapPtr<PROPSHEETPAGEW_V4REC> page(static_cast<PROPSHEETPAGEW_V4REC*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PROPSHEETPAGEW_V4REC))));
    if (!page)
        return E_OUTOFMEMORY;
    for (const PAGE_INFO* row = table; row->titleId != 0; ++row) {
        ZeroMemory(page.p, sizeof(PROPSHEETPAGEW_V4REC));
        WCHAR title[kTitleChars] = {};
        if (context->resources->module)
            LoadStringW(context->resources->module, row->titleId, title, kTitleChars);
        page->dwSize = sizeof(PROPSHEETPAGEW_V4REC);
        page->dwFlags = PSP_USETITLE | PSP_HASHELP;
        page->hInstance = g_hModuleInstance;
        page->pszTemplate = MAKEINTRESOURCEW(LOWORD(row->templateId));
        page->hIcon = nullptr;
        page->pszTitle = title;
        page->pfnDlgProc = row->dialogProc;
        page->lParam = reinterpret_cast<LPARAM>(context);
        HANDLE actCtx = g_moduleActCtx;
        if (actCtx == INVALID_HANDLE_VALUE) {
            HANDLE made = CreateModuleActCtx();
            actCtx = InterlockedCompareExchangePointer(&g_moduleActCtx, made, INVALID_HANDLE_VALUE);
            if (actCtx == INVALID_HANDLE_VALUE) {
                actCtx = made;
            } else if (made != INVALID_HANDLE_VALUE) {
                ReleaseActCtx(made);   // another sheet computed it first
            }
        }
        page->hActCtx = actCtx;
        if (actCtx && actCtx != INVALID_HANDLE_VALUE)
            page->dwFlags |= PSP_USEFUSIONCONTEXT;
        if (!context->pfnComPropSheet ||
            context->pfnComPropSheet(context->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                     reinterpret_cast<LPARAM>(page.p), 0) == 0) {
            info->Result = 0;
            return E_FAIL;
        }
    }
    return S_OK;
}

template <class Sheet>
HRESULT DispatchSheet(Sheet& sheet, PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features)
{
    if (!info || info->Version != kSheetVersion) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
        info->Result = sheet.Init(info, core, features) == S_OK ? 1 : 0;
        break;
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        if (auto* header = reinterpret_cast<PPROPSHEETUI_INFO_HEADER>(lParam)) {
            header->pTitle = const_cast<LPWSTR>(SHEET_TITLE);
            info->Result = 1;
        } else {
            info->Result = 0;
        }
        break;
    case PROPSHEETUI_REASON_DESTROY:
        if (info->UserData) {
            DestroySheetContext(reinterpret_cast<PROPSHEET_CONTEXT*>(info->UserData));
            // A second DESTROY then frees nothing.
            info->UserData = 0;
            info->Result = 1;
        } else {
            info->Result = 0;
        }
        break;
    case PROPSHEETUI_REASON_SET_RESULT:
        if (auto* result = reinterpret_cast<PSETRESULT_INFO>(lParam))
            info->Result = result->Result;
        else
            info->Result = 0;
        break;
    default:
        info->Result = 0;
        break;
    }
    return S_OK;
}

} // namespace

HRESULT OnDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features)
{
    DocPropSheet sheet;
    return DispatchSheet(sheet, info, lParam, core, features);
}

HRESULT OnDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam, CUIHelper* core, CFeatures* features,
                               BOOL hideStandardUI)
{
    DevPropSheet sheet(hideStandardUI);
    return DispatchSheet(sheet, info, lParam, core, features);
}

HRESULT PropSheet::Init(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features)
{
    if (!features)
        return E_POINTER;
    OEMUIPSPARAM* param = ParamOf(info);
    if (!param || !param->hOEMHeap || !param->poemuiobj)
        return E_POINTER;
    {
        // The model's names come from this printer's module.
        CProcessLanguage language(param->hPrinter);
        features->Acquire(param->hOEMHeap, core, param->poemuiobj, FALSE);
    }
    CFeatureSettings* settings = NewZeroFilledPart<CFeatureSettings>(features, core, param);
    if (!settings)
        return E_POINTER;
    PROPSHEET_CONTEXT* context = CreateSheetContext(this, settings, info);
    if (!context) {
        DeleteZeroFilledPart(settings);
        return E_POINTER;
    }
    HRESULT hr = AddPages(context, info, core, features);
    // The context stays in UserData either way, so DESTROY frees it.
    info->UserData = reinterpret_cast<ULONG_PTR>(context);
    info->Result = 1;
    return SUCCEEDED(hr) ? S_OK : E_FAIL;
}

PROPSHEET_CONTEXT* CreateSheetContext(PropSheet* sheet, CFeatureSettings* settings, PROPSHEETUI_INFO* info)
{
    if (!sheet || !settings || !info || !settings->SheetParam())
        return nullptr;
    OEMUIPSPARAM* param = settings->SheetParam();
    auto* context = AllocationAllowed() ? static_cast<PROPSHEET_CONTEXT*>(HeapAlloc(
                                              param->hOEMHeap, HEAP_ZERO_MEMORY, sizeof(PROPSHEET_CONTEXT)))
                                        : nullptr;
    if (!context)
        return nullptr;
    context->pfnComPropSheet = info->pfnComPropSheet;
    context->hComPropSheet = info->hComPropSheet;
    context->hPrinter = param->hPrinter;
    context->settings = settings;
    context->heap = param->hOEMHeap;

    // A part that cannot be made fails the start: every part made goes again,
    // and the settings stay with the caller.
    auto fail = [context]() -> PROPSHEET_CONTEXT* {
        context->settings = nullptr;
        DestroySheetContext(context);
        return nullptr;
    };
    context->resources = NewPart<RESOURCE_MODULE>();
    if (!context->resources)
        return fail();
    LoadResourceModule(context->resources, param->hPrinter);
    if (!context->resources->module)
        return fail();

    if (sheet->GetType() != 1) {
        context->deviceDialog = NewPart<DEVICE_DIALOG_HOLDER>();
        return context->deviceDialog ? context : fail();
    }

    if (param->pPublicDM && param->pOEMDM) {
        context->devmode = NewPart<DEVMODE_PAIR>();
        if (!context->devmode)
            return fail();
        context->devmode->pPublic = param->pPublicDM;
        context->devmode->pPrivate = static_cast<PRIVATE_DEVMODE*>(param->pOEMDM);
    }
    LoadFeatureSettings(context, settings);
    context->quickSettings = NewZeroFilledPart<CQuickSetting>(param->hPrinter, settings);
    context->pageLink = NewPart<PAGE_LINK>();
    if (!context->quickSettings || !context->pageLink)
        return fail();
    context->pageLink->devmode = context->devmode;
    context->pageLink->resources = context->resources;
    context->pageLink->settings = settings;
    context->pageLink->constraints = NewPart<CONSTRAINT_STATE>();
    if (!context->pageLink->constraints)
        return fail();
    return context;
}

HRESULT LoadFeatureSettings(PROPSHEET_CONTEXT* context, CFeatureSettings* settings)
{
    if (!context || !settings || !context->devmode || !context->devmode->pPrivate || !context->devmode->pPublic)
        return E_POINTER;
    PRIVATE_DEVMODE* block = context->devmode->pPrivate;
    const DEVMODEW* publicDm = context->devmode->pPublic;
    DWORD value = 0;

    if (!IsCustomPaperId(block->paperId) && ReadSelection(settings->PaperList(), "PageSize", &value))
        block->paperId = (INT16)LOWORD(value);
    block->collate = (WORD)publicDm->dmCollate;
    if (ReadSelection(*settings, "JCLMediaType", &value))
        block->mediaType = (INT16)LOWORD(value);
    const INT16 openedSlot = block->inputSlot;
    if (ReadSelection(*settings, "JCLInputSlot", &value))
        block->inputSlot = (INT16)LOWORD(value);
    if (ReadSelection(*settings, "Duplex", &value))
        block->duplex = (INT16)LOWORD(value);
    if (ReadSelection(*settings, "%PagePerSheet", &value))
        block->pagesPerSheet = (INT16)LOWORD(value);
    if (ReadSelection(*settings, "JCLTonerMode", &value))
        block->tonerSaving = value != 0 ? 1 : 0;
    if (ReadSelection(*settings, "JCLGraphFine", &value))
        block->fineGraphics = value != 0 ? 1 : 0;
    if (ReadSelection(*settings, "JCLDensity", &value))
        block->density = LOWORD(value);
    if (ReadSelection(*settings, "JCLPrintQuality", &value))
        block->printQuality = (INT16)LOWORD(value);
    if (ReadSelection(*settings, "JCLFeedEdge", &value))
        block->feedEdge = (INT16)LOWORD(value);
    if (ReadSelection(*settings, "%Orientation", &value))
        block->orientation = (INT16)LOWORD(value);
    // The tray an apply picked for an automatic slot is not the user's
    // choice: the block stays automatic.
    if (openedSlot == 0 && block->inputSlot != 0 &&
        block->inputSlot == PickOptionalTray(settings->PaperList(), context->hPrinter, block->paperId, block->feedEdge))
        block->inputSlot = 0;
    return S_OK;
}

HRESULT DocPropSheet::AddPages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, CUIHelper*, CFeatures*)
{
    return AddTablePages(context, info, g_DocumentPages);
}

HRESULT DevPropSheet::AddPages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info, CUIHelper* core,
                               CFeatures* features)
{
    if (FAILED(AddDeviceSettings(info, core, features)))
        return E_FAIL;
    return FAILED(AddDevicePages(context, info)) ? E_FAIL : S_OK;
}

HRESULT DevPropSheet::AddDevicePages(PROPSHEET_CONTEXT* context, PROPSHEETUI_INFO* info)
{
    return AddTablePages(context, info, g_PrinterPages);
}

HRESULT DevPropSheet::AddDeviceSettings(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features)
{
    if (!m_hideStandardUI) {
        info->Result = 0;
        return S_OK;
    }
    OEMUIPSPARAM* param = ParamOf(info);
    if (!param || !features)
        return E_POINTER;
    COMPROPSHEETUI* ui = nullptr;
    FEATURE_TREE_DATA* data = nullptr;
    HRESULT hr = S_OK;
    {
        // Every string of the tree comes from this printer's module, held
        // loaded until the tree is built.
        CProcessLanguage language(param->hPrinter);
        hr = BuildDeviceTree(info, core, features, language.Module(), &ui, &data);
    }
    if (FAILED(hr)) {
        info->Result = 0;
        return hr;
    }

    DWORD unused = 0;
    LONG_PTR added = info->pfnComPropSheet
                         ? info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PCOMPROPSHEETUIW,
                                                 reinterpret_cast<LPARAM>(ui), reinterpret_cast<LPARAM>(&unused))
                         : 0;
    info->Result = added;
    if (added <= 0)
        return E_FAIL;
    data->pageHandle = reinterpret_cast<HANDLE>(added);
    return hr;
}

HRESULT DevPropSheet::BuildDeviceTree(PROPSHEETUI_INFO* info, CUIHelper* core, CFeatures* features,
                                      HMODULE language, COMPROPSHEETUI** tree, FEATURE_TREE_DATA** treeData)
{
    OEMUIPSPARAM* param = ParamOf(info);
    HANDLE heap = param->hOEMHeap;
    features->Acquire(heap, core, param->poemuiobj, FALSE);
    WORD count = features->GetPrinterCount();

    // Everything the tree page keeps lives on the driver's heap.
    auto* page = static_cast<DLGPAGE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(DLGPAGE)));
    auto* ui = static_cast<COMPROPSHEETUI*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(COMPROPSHEETUI)));
    if (!page || !ui)
        return E_OUTOFMEMORY;
    page->cbSize = sizeof(DLGPAGE);
    page->Flags = 0;
    page->DlgProc = nullptr;
    WCHAR* tabName = nullptr;
    HRESULT hr = LoadHeapString(heap, language, IDS_TREE_TAB_NAME, &tabName);
    if (FAILED(hr))
        return hr;
    page->pTabName = tabName;
    page->IconID = 0;
    page->DlgTemplateID = DP_STD_TREEVIEWPAGE;

    bool mayChange = !(param->dwFlags & DPS_NOPERMISSION);
    WCHAR* callerName = nullptr;
    LoadHeapString(heap, language, IDS_TREE_CALLER_NAME, &callerName);
    ui->cbSize = sizeof(COMPROPSHEETUI);
    ui->Flags = mayChange ? CPSUIF_UPDATE_PERMISSION : 0;
    ui->hInstCaller = g_hModuleInstance;
    ui->pCallerName = callerName;
    ui->pHelpFile = nullptr;
    ui->pfnCallBack = &PropSheetApplyCallback;
    ui->pDlgPage = page;
    ui->cDlgPage = 1;
    ui->cOptItem = count;
    ui->IconID = kTreeIcon;
    ui->pOptItemName = const_cast<LPWSTR>(FEATURE_TREE_ITEM_NAME);
    ui->CallerVersion = 0x0100;
    ui->OptItemVersion = 0x0100;

    auto* data = static_cast<FEATURE_TREE_DATA*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(FEATURE_TREE_DATA)));
    if (!data)
        return E_OUTOFMEMORY;
    data->hComPropSheet = info->hComPropSheet;
    data->pageHandle = nullptr;
    data->param = param;
    data->pfnComPropSheet = info->pfnComPropSheet;
    data->core = core;
    data->poemuiobj = param->poemuiobj;
    data->mayChange = mayChange ? 1 : 0;
    data->hideStandardUI = m_hideStandardUI ? 1 : 0;
    ui->UserData = reinterpret_cast<ULONG_PTR>(data);

    ui->pOptItem = AllocOptItems(heap, count);
    if (!ui->pOptItem)
        return E_OUTOFMEMORY;
    for (WORD i = 0; i < count; ++i) {
        ui->pOptItem[i].Level = 1;
        ui->pOptItem[i].Flags = OPTIF_COLLAPSE;
        hr = features->InitPrinterOptItem(heap, &ui->pOptItem[i], i);
        if (FAILED(hr))
            return hr;
    }
    *tree = ui;
    *treeData = data;
    return hr;
}

LONG CALLBACK PropSheetApplyCallback(PCPSUICBPARAM cb)
{
    if (!cb)
        return CPSUICB_ACTION_NONE;
    auto* data = reinterpret_cast<FEATURE_TREE_DATA*>(cb->UserData);
    if (!data || !data->mayChange)
        return CPSUICB_ACTION_NONE;
    if (cb->Reason != CPSUICB_REASON_APPLYNOW || cb->cOptItem == 0)
        return CPSUICB_ACTION_NONE;
    HANDLE heap = data->param ? data->param->hOEMHeap : nullptr;
    HRESULT hr = SaveFeatureOptItems(heap, data->core, data->poemuiobj, cb->hDlg, cb->pOptItem, cb->cOptItem);
    if (FAILED(hr))
        return CPSUICB_ACTION_NO_APPLY_EXIT;
    if (data->pfnComPropSheet)
        data->pfnComPropSheet(data->hComPropSheet, CPSFUNC_SET_RESULT, reinterpret_cast<LPARAM>(data->pageHandle),
                              CPSUI_OK);
    // A resolved conflict may have changed items the user did not touch.
    for (WORD i = 0; i < cb->cOptItem; ++i)
        if (cb->pOptItem[i].Flags & OPTIF_CHANGED)
            return CPSUICB_ACTION_OPTIF_CHANGED;
    return CPSUICB_ACTION_NONE;
}

HRESULT DestroySheetContext(PROPSHEET_CONTEXT* context)
{
    if (!context)
        return S_OK;
    HANDLE heap = context->heap;
    if (context->settings) {
        if (context->settings->SheetParam() && context->settings->SheetParam()->hOEMHeap)
            heap = context->settings->SheetParam()->hOEMHeap;
        DeleteZeroFilledPart(context->settings);
    }
    DeletePart(context->devmode);
    DeleteZeroFilledPart(context->quickSettings);
    if (context->pageLink) {
        DestroyPageDialogs(context->pageLink);
        DeletePart(context->pageLink->constraints);
        DeletePart(context->pageLink);
    }
    if (context->deviceDialog) {
        DestroyDeviceDialog(&context->deviceDialog->dialog);
        DeletePart(context->deviceDialog);
    }
    if (context->resources) {
        FreeResourceModule(context->resources);
        DeletePart(context->resources);
    }
    if (heap)
        HeapFree(heap, 0, context);
    return S_OK;
}

void FailSheetAllocation(int nth) { InterlockedExchange(&g_failAllocation, nth > 0 ? nth : 0); }

bool SheetAllocationArmed() { return g_failAllocation > 0; }

LONG SheetPartsAlive() { return g_partsAlive; }

void ReleaseModuleActCtx()
{
    HANDLE actCtx = InterlockedExchangePointer(&g_moduleActCtx, INVALID_HANDLE_VALUE);
    if (actCtx && actCtx != INVALID_HANDLE_VALUE)
        ReleaseActCtx(actCtx);
}

HANDLE CreateModuleActCtx()
{
    typedef HANDLE(WINAPI * CreateActCtxFn)(PCACTCTXW);
    HMODULE kernel = GetModuleHandleW(L"KERNEL32.dll");
    auto create = kernel ? reinterpret_cast<CreateActCtxFn>(GetProcAddress(kernel, "CreateActCtxW")) : nullptr;
    if (!create)
        return INVALID_HANDLE_VALUE;
    DWORD chars = MAX_PATH;
    for (int call = 0; call < 10; ++call, chars *= 2) {
        ProcessHeapPtr<WCHAR> path(static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                                 sizeof(WCHAR) * chars)));
        if (!path)
            return INVALID_HANDLE_VALUE;
        DWORD n = GetModuleFileNameW(g_hModuleInstance, path.p, chars);
        if (n == 0)
            return INVALID_HANDLE_VALUE;
        if (n >= chars)
            continue;   // cut: try a larger buffer
        ACTCTXW ctx = {};
        ctx.cbSize = sizeof ctx;
        ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        ctx.lpSource = path.p;
        ctx.lpResourceName = MAKEINTRESOURCEW(2);
        return create(&ctx);
    }
    return INVALID_HANDLE_VALUE;
}
