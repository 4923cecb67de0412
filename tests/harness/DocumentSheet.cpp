#include "harness/DocumentSheet.h"

#include "device/PrinterUtils.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "sheets/DataFiles.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"

#include <gtest/gtest.h>

#include <cstring>

namespace harness {

namespace {
// The sheet whose show() hooked this thread's sent messages.
thread_local DocumentSheet* t_recording = nullptr;
} // namespace

DocumentSheet::DocumentSheet() = default;

DocumentSheet::~DocumentSheet() { close(); }

void DocumentSheet::prepare()
{
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    ASSERT_TRUE(core);
    plugin = new IOemUI2;
    ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
    heap = HeapCreate(0, 0, 0);
    ASSERT_NE(nullptr, heap);
    memset(&publicDm, 0, sizeof publicDm);
    publicDm.dmSize = sizeof publicDm;
    publicDm.dmCopies = 1;
    publicDm.dmScale = 100;
    memset(&block, 0, sizeof block);
    block.header.dwSize = PRIVATE_DEVMODE_SIZE;
    block.header.dwSignature = OEM_SIGNATURE;
    block.header.dwVersion = OEM_VERSION;
    param.cbSize = sizeof param;
    param.poemuiobj = core->uiObject();
    param.hPrinter = printer.handle();
    param.pPrinterName = const_cast<LPWSTR>(printer.name().c_str());
    param.hOEMHeap = heap;
    param.pPublicDM = &publicDm;
    param.pOEMDM = &block;
}

void DocumentSheet::start()
{
    ASSERT_NE(nullptr, plugin);
    info = sheet.info(reinterpret_cast<LPARAM>(&param));
    ASSERT_EQ(S_OK, plugin->DocumentPropertySheets(&info, 0));
    ASSERT_EQ(1u, info.Result);
    context = reinterpret_cast<PROPSHEET_CONTEXT*>(info.UserData);
    ASSERT_TRUE(context && context->pageLink && context->settings);
}

void DocumentSheet::show(int startPage)
{
    if (!context) {
        ASSERT_NO_FATAL_FAILURE(start());
    }
    // The recorded records point at titles the sheet start has already
    // freed; the common UI copies a page's title when the page is added.
    const std::vector<ComSheetRecorder::Call> calls = sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW);
    m_titles.clear();
    m_records.clear();
    for (const auto& call : calls) {
        ASSERT_GE(call.pageRecord.size(), sizeof(PROPSHEETPAGEW));
        m_titles.push_back(call.title);
        m_records.push_back(call.pageRecord);
    }
    std::vector<HPROPSHEETPAGE> pages;
    for (size_t n = 0; n < m_records.size(); ++n) {
        auto* record = reinterpret_cast<PROPSHEETPAGEW*>(m_records[n].data());
        if (record->pszTitle)
            record->pszTitle = m_titles[n].c_str();
        pages.push_back(CreatePropertySheetPageW(record));
        ASSERT_NE(nullptr, pages.back());
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.hwndParent = frameWindow();
    header.pszCaption = L"Document";
    header.nPages = (UINT)pages.size();
    header.phpage = pages.data();
    header.nStartPage = startPage;
    m_changed.clear();
    if (!m_hook) {
        t_recording = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordChanged, nullptr, GetCurrentThreadId());
    }
    sheetWindow = reinterpret_cast<HWND>(PropertySheetW(&header));
    ASSERT_NE(nullptr, sheetWindow);
    pumpMessages();
}

void DocumentSheet::showPage(int index)
{
    SendMessageW(sheetWindow, PSM_SETCURSEL, (WPARAM)index, 0);
    pumpMessages();
}

HWND DocumentSheet::pageWindow(int index) const
{
    return (HWND)SendMessageW(sheetWindow, PSM_INDEXTOHWND, (WPARAM)index, 0);
}

void DocumentSheet::apply()
{
    core->clearCalls();
    SendMessageW(sheetWindow, PSM_APPLY, 0, 0);
    pumpMessages();
}

bool DocumentSheet::applyEnabled() const
{
    constexpr int kApplyButton = 0x3021;   // the property sheet's Apply button
    return IsWindowEnabled(GetDlgItem(sheetWindow, kApplyButton)) != FALSE;
}

void DocumentSheet::endSheet()
{
    if (sheetWindow) {
        DestroyWindow(sheetWindow);
        sheetWindow = nullptr;
    }
    if (info.UserData) {
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        plugin->DocumentPropertySheets(&info, 0);
        info.UserData = 0;
        context = nullptr;
    }
}

void DocumentSheet::restart()
{
    endSheet();
    sheet.clear();
    start();
}

void DocumentSheet::close()
{
    if (m_hook) {
        UnhookWindowsHookEx(m_hook);
        m_hook = nullptr;
        if (t_recording == this)
            t_recording = nullptr;
    }
    endSheet();
    ResetSystemSeams();
    ResetDataFileCalls();
    // The plug-in keeps its feature model on the driver's heap.
    if (plugin) {
        plugin->Release();
        plugin = nullptr;
    }
    if (heap) {
        HeapDestroy(heap);
        heap = nullptr;
    }
    m_frame.reset();
}

int DocumentSheet::changes() const
{
    int n = 0;
    for (const Change& change : m_changed)
        n += change.window == sheetWindow;
    return n;
}

void DocumentSheet::setInstallableInfo(bool tray1, DWORD paper1, bool tray2, DWORD paper2)
{
    INSTALLABLE_INFO trays = {};
    trays.tray[0].installed = tray1;
    trays.tray[0].paper = paper1;
    trays.tray[1].installed = tray2;
    trays.tray[1].paper = paper2;
    SetPrinterDataW(printer.handle(), const_cast<LPWSTR>(L"InstallableInfo"), REG_BINARY,
                    reinterpret_cast<BYTE*>(&trays), sizeof trays);
}

std::wstring DocumentSheet::languageString(UINT id) const
{
    WCHAR text[512] = {};
    if (context && context->resources)
        LoadStringW(context->resources->module, id, text, 512);
    return text;
}

HWND DocumentSheet::frameWindow()
{
    if (!m_frame)
        m_frame = std::make_unique<TestFrame>(frameWidth, frameHeight);
    return m_frame->hwnd();
}

LRESULT CALLBACK DocumentSheet::RecordChanged(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == PSM_CHANGED && t_recording)
        t_recording->m_changed.push_back({ message->hwnd, reinterpret_cast<HWND>(message->wParam) });
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace harness
