#include "SheetHost.h"
#include "CoreDriver.h"

#include <commctrl.h>

namespace harness {

namespace {

constexpr DWORD kPrivateSize = 3160;
constexpr UINT kTimerMs = 100;
constexpr int kGiveUpTicks = 100;   // ten seconds without a sheet

SheetHost* g_running = nullptr;
UINT_PTR g_timer = 0;

struct FindSheet {
    HWND found = nullptr;
};

BOOL CALLBACK FindSheetWindow(HWND hwnd, LPARAM lParam)
{
    if (!IsWindowVisible(hwnd) || !PropSheet_GetTabControl(hwnd))
        return TRUE;
    reinterpret_cast<FindSheet*>(lParam)->found = hwnd;
    return FALSE;
}

std::vector<std::wstring> TabTitles(HWND sheet)
{
    std::vector<std::wstring> titles;
    HWND tabs = PropSheet_GetTabControl(sheet);
    int n = TabCtrl_GetItemCount(tabs);
    for (int i = 0; i < n; ++i) {
        WCHAR text[256] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        titles.push_back(text);
    }
    return titles;
}

} // namespace

SheetHost::SheetHost(IPrintOemUI2* plugin, HANDLE printer, const std::wstring& printerName, CoreDriver* core)
    : m_plugin(plugin), m_core(core), m_printerName(printerName)
{
    m_heap = HeapCreate(0, 0, 0);
    m_public = static_cast<DEVMODEW*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, sizeof(DEVMODEW) + kPrivateSize));
    m_public->dmSize = sizeof(DEVMODEW);
    m_public->dmDriverExtra = (WORD)kPrivateSize;
    m_private = reinterpret_cast<BYTE*>(m_public + 1);
    m_param.cbSize = sizeof m_param;
    m_param.poemuiobj = core ? core->uiObject() : nullptr;
    m_param.hPrinter = printer;
    m_param.pPrinterName = const_cast<LPWSTR>(m_printerName.c_str());
    m_param.hModule = GetModuleHandleW(nullptr);
    m_param.hOEMHeap = m_heap;
    m_param.pPublicDM = m_public;
    m_param.pOEMDM = m_private;
    m_param.pOEMUserData = this;
}

SheetHost::~SheetHost()
{
    if (m_heap)
        HeapDestroy(m_heap);
}

LONG CALLBACK SheetHost::SheetProc(PPROPSHEETUI_INFO info, LPARAM lParam)
{
    SheetHost* host = g_running;
    if (!host || !info)
        return -1;
    HRESULT hr = host->m_kind == SheetKind::Document ? host->m_plugin->DocumentPropertySheets(info, lParam)
                                                     : host->m_plugin->DevicePropertySheets(info, lParam);
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        host->m_run.initHr = hr;
        host->m_run.initResult = info->Result;
    }
    return SUCCEEDED(hr) && info->Result > 0 ? 1 : (info->Reason == PROPSHEETUI_REASON_INIT ? -1 : 1);
}

VOID CALLBACK SheetHost::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    SheetHost* host = g_running;
    if (!host)
        return;
    FindSheet find;
    EnumThreadWindows(GetCurrentThreadId(), &FindSheetWindow, reinterpret_cast<LPARAM>(&find));
    if (!find.found) {
        if (++host->m_ticks > kGiveUpTicks && g_timer) {
            KillTimer(nullptr, g_timer);
            g_timer = 0;
        }
        return;
    }
    KillTimer(nullptr, g_timer);
    g_timer = 0;
    HWND sheet = find.found;
    host->m_run.shown = true;
    WCHAR caption[256] = {};
    GetWindowTextW(sheet, caption, 256);
    host->m_run.caption = caption;
    host->m_run.tabs = TabTitles(sheet);
    if (host->m_onShown)
        host->m_onShown(sheet);
    if (host->m_close == SheetButton::None)
        return;
    int button = host->m_close == SheetButton::Ok ? PSBTN_OK : PSBTN_CANCEL;
    PropSheet_PressButton(sheet, button);
}

SheetRun SheetHost::show(SheetKind kind, const std::function<void(HWND)>& onShown, SheetButton close)
{
    m_kind = kind;
    m_run = SheetRun();
    m_onShown = onShown;
    m_close = close;
    m_ticks = 0;
    g_running = this;
    if (onShown || close != SheetButton::None)
        g_timer = SetTimer(nullptr, 0, kTimerMs, &TimerProc);
    DWORD result = 0;
    if (beforeOpen)
        beforeOpen();
    m_run.rc = CommonPropertySheetUIW(nullptr, &SheetProc, reinterpret_cast<LPARAM>(&m_param), &result);
    m_run.result = result;
    if (g_timer) {
        KillTimer(nullptr, g_timer);
        g_timer = 0;
    }
    g_running = nullptr;
    return m_run;
}

// --- the recording sheet callback --------------------------------------------

ComSheetRecorder::ComSheetRecorder() = default;
ComSheetRecorder::~ComSheetRecorder() = default;

PROPSHEETUI_INFO ComSheetRecorder::info(LPARAM lParamInit, WORD reason)
{
    PROPSHEETUI_INFO i = {};
    i.cbSize = sizeof i;
    i.Version = PROPSHEETUI_INFO_VERSION;
    i.Reason = reason;
    i.hComPropSheet = reinterpret_cast<HANDLE>(this);
    i.pfnComPropSheet = &Proc;
    i.lParamInit = lParamInit;
    return i;
}

void ComSheetRecorder::answer(UINT function, LONG_PTR value, int nth)
{
    m_answers.push_back({ function, value, nth });
}

std::vector<ComSheetRecorder::Call> ComSheetRecorder::calls(UINT function) const
{
    std::vector<Call> out;
    for (const Call& c : m_calls)
        if (c.function == function)
            out.push_back(c);
    return out;
}

LONG_PTR CALLBACK ComSheetRecorder::Proc(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2)
{
    auto* self = reinterpret_cast<ComSheetRecorder*>(handle);
    Call call = { function, lParam1, lParam2 };
    if (function == CPSFUNC_ADD_PROPSHEETPAGEW && lParam1) {
        const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam1);
        call.pageSize = page->dwSize;
        call.pageFlags = page->dwFlags;
        call.title = page->pszTitle ? page->pszTitle : L"";
        call.templateId = (UINT)(ULONG_PTR)page->pszTemplate;
        call.pageParam = page->lParam;
        call.pageProc = page->pfnDlgProc;
        call.pageInstance = page->hInstance;
        if (page->dwSize >= sizeof(PROPSHEETPAGEW) && page->dwSize <= 256) {
            const auto* bytes = reinterpret_cast<const BYTE*>(page);
            call.pageRecord.assign(bytes, bytes + page->dwSize);
        }
    } else if (function == CPSFUNC_ADD_PCOMPROPSHEETUIW && lParam1) {
        call.tree = *reinterpret_cast<const COMPROPSHEETUI*>(lParam1);
    }
    self->m_calls.push_back(call);
    if (self->onCall)
        self->onCall(self->m_calls.back());
    for (Answer& a : self->m_answers) {
        if (a.function == function && a.remaining > 0 && --a.remaining == 0)
            return a.value;
    }
    switch (function) {
    case CPSFUNC_ADD_PROPSHEETPAGEW:
    case CPSFUNC_ADD_PCOMPROPSHEETUIW:
        return self->m_nextHandle++;
    default:
        return 1;
    }
}

} // namespace harness
