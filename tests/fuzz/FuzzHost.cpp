#include "FuzzHost.h"

#include "harness/DriverSession.h"
#include "harness/TestWindow.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <string.h>

namespace fuzz {

namespace {

// The window a case has open: how the custom-paper dialog closes, and whether it showed.
struct OpenWindow {
    bool ok = false;
    bool dialogSeen = false;
    int closeTries = 0;
};
OpenWindow* g_open = nullptr;

bool IsDialog(HWND hwnd)
{
    WCHAR name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return lstrcmpW(name, L"#32770") == 0;
}

// Closes the custom-paper dialog (OK first when asked, Cancel when OK left it
// open) and answers a message box; the clicks are posted, so nothing runs
// inside this search.
BOOL CALLBACK CloseDialogs(HWND hwnd, LPARAM)
{
    if (!IsWindowVisible(hwnd) || !IsDialog(hwnd) || PropSheet_GetTabControl(hwnd))
        return TRUE;
    OpenWindow& open = *g_open;
    if (HWND okButton = harness::findVisibleControl(hwnd, IDC_CUSTOM_OK)) {
        open.dialogSeen = true;
        const int tries = open.closeTries++;
        if (open.ok && tries == 0) {
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_OK, BN_CLICKED), reinterpret_cast<LPARAM>(okButton));
        } else if (HWND cancel = harness::findVisibleControl(hwnd, IDC_CUSTOM_CANCEL); cancel && tries < 10) {
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_CANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        } else {
            PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
    }
    for (int answer : { IDOK, IDYES, IDNO, IDCANCEL }) {
        if (GetDlgItem(hwnd, answer)) {
            PostMessageW(hwnd, WM_COMMAND, answer, 0);
            break;
        }
    }
    return TRUE;
}

VOID CALLBACK CloseDialogsTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_open)
        EnumThreadWindows(GetCurrentThreadId(), &CloseDialogs, 0);
}

} // namespace

Host::Host(HANDLE printer, const std::wstring& printerName, harness::CoreDriver* core)
    : m_printer(printer), m_name(printerName), m_core(core), m_heap(HeapCreate(0, 0, 0))
{
    m_plugin = m_module.createPlugin();
    if (m_plugin && m_core)
        m_plugin->PublishDriverInterface(m_core->unknown());
}

Host::~Host()
{
    // The plug-in object keeps its model on the heap: it goes first.
    m_plugin.reset();
    if (m_heap)
        HeapDestroy(m_heap);
}

HRESULT Host::startSheet(harness::SheetKind kind, DEVMODEW* publicDm, void* privateDm, DWORD flags)
{
    if (!m_core)
        return E_FAIL;
    OEMUIPSPARAM param = {};
    param.cbSize = sizeof param;
    param.poemuiobj = m_core->uiObject();
    param.hPrinter = m_printer;
    param.pPrinterName = const_cast<PWSTR>(m_name.c_str());
    param.hOEMHeap = m_heap;
    param.pPublicDM = publicDm;
    param.pOEMDM = privateDm;
    param.dwFlags = flags;
    harness::ComSheetRecorder sheet;
    PROPSHEETUI_INFO info = sheet.info(reinterpret_cast<LPARAM>(&param));
    auto call = [&] {
        return kind == harness::SheetKind::Document ? m_plugin->DocumentPropertySheets(&info, 0)
                                                    : m_plugin->DevicePropertySheets(&info, 0);
    };
    HRESULT hr = call();
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    call();
    return hr;
}

bool Host::defaultBlock(std::string* block)
{
    OEMDMPARAM param = {};
    param.cbSize = sizeof param;
    param.hPrinter = m_printer;
    if (FAILED(m_plugin->DevMode(OEMDM_SIZE, &param)) || param.cbBufSize < sizeof(OEM_DMEXTRAHEADER))
        return false;
    GuardedBuffer out(param.cbBufSize);
    GuardedBuffer publicOut(sizeof(DEVMODEW));
    param.pOEMDMOut = out.data();
    param.pPublicDMOut = publicOut.as<DEVMODEW>();
    if (FAILED(m_plugin->DevMode(OEMDM_DEFAULT, &param)))
        return false;
    block->assign(reinterpret_cast<const char*>(out.data()), out.size());
    return true;
}

size_t paperEntryBytes(WORD capability)
{
    switch (capability) {
    case DC_PAPERNAMES: return 64 * sizeof(WCHAR);
    case DC_PAPERS: return sizeof(WORD);
    case DC_PAPERSIZE: return sizeof(POINT);
    case DC_ENUMRESOLUTIONS: return 2 * sizeof(LONG);
    default: return 0;
    }
}

void Host::askPapers(WORD capability, DWORD countCore, DWORD countOutput, const std::string& coreOutput,
                     bool sizedFirst)
{
    PWSTR name = const_cast<PWSTR>(m_name.c_str());
    POEMUIOBJ object = m_core ? m_core->uiObject() : nullptr;
    DWORD entries = countOutput;
    if (sizedFirst) {
        DWORD result = countCore;
        m_plugin->DeviceCapabilities(object, m_printer, name, capability, nullptr, nullptr, nullptr, countCore,
                                     &result);
        entries = m_lastCount[capability] = result;
    } else if (m_lastCount.count(capability)) {
        entries = std::max(entries, m_lastCount[capability]);
    }
    const size_t entry = paperEntryBytes(capability);
    // What no application allocates: a count of the core driver's failure.
    if (!entry || entries > 100000)
        return;
    GuardedBuffer out(entries * entry);
    // The core driver writes its entries first, never past the output.
    memcpy(out.data(), coreOutput.data(), std::min(coreOutput.size(), out.size()));
    DWORD result = countOutput;
    m_plugin->DeviceCapabilities(object, m_printer, name, capability, out.data(), nullptr, nullptr, countOutput,
                                 &result);
    checkCanary(out, "a capability output");
    if (result != 0xFFFFFFFF && result > entries && result > countOutput)
        finding("capability %u answered %lu entries into an output of %lu", capability, result, entries);
}

void Host::printerItems()
{
    OEMCUIPPARAM param = {};
    param.cbSize = sizeof param;
    param.poemuiobj = m_core ? m_core->uiObject() : nullptr;
    param.hPrinter = m_printer;
    param.pPrinterName = const_cast<PWSTR>(m_name.c_str());
    param.hOEMHeap = m_heap;
    if (FAILED(m_plugin->CommonUIProp(OEMCUIP_PRNPROP, &param)) || param.cOEMOptItems == 0 ||
        param.cOEMOptItems > 64)
        return;
    GuardedBuffer items(param.cOEMOptItems * sizeof(OPTITEM));
    param.pOEMOptItems = items.as<OPTITEM>();
    m_plugin->CommonUIProp(OEMCUIP_PRNPROP, &param);
    checkCanary(items, "the printer sheet's items");
}

bool Host::showWindow(Window window, bool ok)
{
    OpenWindow open;
    open.ok = ok;
    g_open = &open;
    UINT_PTR timer = 0;
    const harness::SheetKind kind =
        window == Window::PrinterProperties ? harness::SheetKind::Printer : harness::SheetKind::Document;
    harness::SheetRun run = harness::showPluginSheet(
        m_module, m_printer, m_name, m_core, kind, [&] { timer = SetTimer(nullptr, 0, 20, &CloseDialogsTick); },
        [&](HWND sheet) {
            if (window == Window::Preferences) {
                PropSheet_SetCurSel(sheet, nullptr, 1);
                harness::pumpMessages();
            } else if (window == Window::CustomPaper) {
                if (HWND button = harness::findVisibleControl(sheet, IDC_CUSTOM_PAPER))
                    harness::clickControl(button);
            }
        },
        ok ? harness::SheetButton::Ok : harness::SheetButton::Cancel);
    if (timer)
        KillTimer(nullptr, timer);
    g_open = nullptr;
    const bool shown = run.shown && (window != Window::CustomPaper || open.dialogSeen);
    if (shown)
        windowOpened();
    return shown;
}

} // namespace fuzz
