#include "DriverSession.h"
#include "CoreDriver.h"

#include <commctrl.h>

#include <vector>

namespace harness {

namespace {

PAPER_INFO CustomPaper(int position, const wchar_t* name, float widthMm, float heightMm)
{
    PAPER_INFO p = {};
    p.id = FIRST_CUSTOM_PAPER_ID + position;
    p.unit = PAPER_UNIT_MM;
    p.width = (INT32)(widthMm / 25.4f * 72.0f + 0.5f);
    p.height = (INT32)(heightMm / 25.4f * 72.0f + 0.5f);
    lstrcpynW(p.name, name, PAPER_NAME_CHARS);
    p.widthMm = widthMm;
    p.heightMm = heightMm;
    p.widthInch = widthMm / 25.4f;
    p.heightInch = heightMm / 25.4f;
    p.flag[PAPER_FLAG_INPUT_SLOT] = 1;
    p.flag[PAPER_FLAG_OPTIONAL_TRAY] = 1;
    return p;
}

} // namespace

std::vector<PAPER_INFO> sampleCustomPapers()
{
    return { CustomPaper(0, L"Postcard 100 x 148", 100.0f, 148.0f),
             CustomPaper(1, L"Label sheet 210 x 148", 210.0f, 148.0f) };
}

DriverSession::DriverSession(const PluginModule& module) : m_module(module)
{
    if (!module.handle()) {
        m_failure = L"bq2100PSui.dll could not be loaded";
        return;
    }
    DWORD error = 0;
    m_printer = openPrinter(kPrinterName, PRINTER_ACCESS_USE, &error);
    if (!m_printer) {
        m_failure = L"the test printer could not be opened (error " + std::to_wstring(error) + L")";
        return;
    }
    m_core = CoreDriver::fromDefaultPpd();
    if (!m_core)
        m_failure = L"the core driver could not read its PPD";
}

DriverSession::~DriverSession() = default;

SheetRun DriverSession::show(SheetKind kind, const std::function<void()>& beforeOpen,
                             const std::function<void(HWND)>& onShown, SheetButton close)
{
    if (!ok())
        return SheetRun();
    return showPluginSheet(m_module, m_printer.get(), kPrinterName, m_core.get(), kind, beforeOpen, onShown, close);
}

SheetRun showPluginSheet(const PluginModule& module, HANDLE printer, const std::wstring& printerName,
                         CoreDriver* core, SheetKind kind, const std::function<void()>& beforeOpen,
                         const std::function<void(HWND)>& onShown, SheetButton close)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    if (!plugin || !core)
        return SheetRun();
    plugin->PublishDriverInterface(core->unknown());
    SheetRun run;
    {
        SheetHost host(plugin.get(), printer, printerName, core);
        if (kind == SheetKind::Document) {
            OEMDMPARAM dm = {};
            dm.cbSize = sizeof dm;
            dm.hPrinter = printer;
            dm.pPublicDMIn = host.publicDevMode();
            dm.pOEMDMOut = host.privateDevMode();
            dm.cbBufSize = host.publicDevMode()->dmDriverExtra;
            plugin->DevMode(OEMDM_DEFAULT, &dm);
            plugin->HideStandardUI(OEMCUIP_DOCPROP);
        }
        // The printer sheet is asked without hiding the standard pages: the
        // tree page that would then come first is not in Wine's common
        // property-sheet UI, whose refusal fails the sheet.
        host.beforeOpen = beforeOpen;
        run = host.show(kind, onShown, close);
        // The plug-in keeps its model on the host's heap: it goes first.
        plugin.reset();
    }
    return run;
}

LONG DriverSession::showDriverSheet(const std::function<void()>& beforeOpen)
{
    if (!ok())
        return -1;
    // Without an output DEVMODE the driver only answers its size.
    LPWSTR name = const_cast<LPWSTR>(kPrinterName);
    LONG size = DocumentPropertiesW(nullptr, m_printer.get(), name, nullptr, nullptr, 0);
    if (size <= 0)
        return -1;
    std::vector<BYTE> output(size);
    if (beforeOpen)
        beforeOpen();
    return DocumentPropertiesW(nullptr, m_printer.get(), name, reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                               DM_IN_PROMPT | DM_OUT_BUFFER);
}

namespace {

BOOL CALLBACK FindSheetWindow(HWND hwnd, LPARAM lParam)
{
    if (!IsWindowVisible(hwnd) || !PropSheet_GetTabControl(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hwnd;
    return FALSE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(hwnd) != search->id || !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK CancelOwned(HWND hwnd, LPARAM owner)
{
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == reinterpret_cast<HWND>(owner))
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

HWND findSheet()
{
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindSheetWindow, reinterpret_cast<LPARAM>(&sheet));
    return sheet;
}

HWND findVisibleControl(HWND root, int id)
{
    ControlSearch search = { id, nullptr };
    if (root)
        EnumChildWindows(root, &FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void clickControl(HWND control)
{
    // BN_CLICKED and STN_CLICKED are both 0.
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

void cancelDialog(HWND dialog, int cancelId, HWND owner)
{
    if (!dialog) {
        if (owner)
            EnumThreadWindows(GetCurrentThreadId(), &CancelOwned, reinterpret_cast<LPARAM>(owner));
        return;
    }
    if (HWND cancel = findVisibleControl(dialog, cancelId))
        clickControl(cancel);
    // Posted: an ended dialog is destroyed before it would arrive.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

} // namespace harness
