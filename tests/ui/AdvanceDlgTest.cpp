// The Advanced page in the document sheet: what it shows from the private
// block, what each change a user makes writes there and tells the sheet, the
// constraint rules between its settings, its Default button, and what an
// apply hands to the core driver. The sheet is started through the plug-in
// with the core-driver double and a printer of the test's own; its pages run
// in a real property sheet. Sheet starts read and write the data files.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/FeatureSettings.h"
#include "settings/PrivateDevMode.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AdvanceDlg.h"
#include "ui/PageLink.h"
#include "ui/controls/TipTesting.h"

#include <string>
#include <vector>

using namespace harness;

namespace {

constexpr int kApplyButton = 0x3021;   // the property sheet's Apply button

struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    g_boxes.push_back({ owner, text ? text : L"", caption ? caption : L"", type });
    return IDOK;
}

// The PSM_CHANGED messages the sheet got.
int g_changes = 0;
WNDPROC g_sheetProc = nullptr;
LRESULT CALLBACK CountChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PSM_CHANGED)
        ++g_changes;
    return CallWindowProcW(g_sheetProc, hwnd, message, wParam, lParam);
}

// "Feature=Option" for every pair the core driver was given, in order.
std::vector<std::string> Written(const CoreDriver& core)
{
    std::vector<std::string> pairs;
    for (const CoreCall& call : core.calls(CoreMethod::SetOptions)) {
        const std::string& in = call.input;
        size_t pos = 0;
        while (pos < in.size() && in[pos]) {
            std::string feature = in.c_str() + pos;
            pos += feature.size() + 1;
            std::string option = pos < in.size() ? in.c_str() + pos : "";
            pos += option.size() + 1;
            pairs.push_back(feature + "=" + option);
        }
    }
    return pairs;
}

// A document sheet started through the plug-in with a recording sheet
// callback; its pages shown in a modeless property sheet, as the common UI
// shows them, and the Advanced page chosen.
class AdvancedPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        ASSERT_TRUE(core);
        plugin = new IOemUI2;
        ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
        heap = HeapCreate(0, 0, 0);
        memset(&publicDm, 0, sizeof publicDm);
        publicDm.dmSize = sizeof publicDm;
        publicDm.dmCopies = 1;
        publicDm.dmScale = 100;
        memset(&block, 0, sizeof block);
        block.header.dwSize = PRIVATE_DEVMODE_SIZE;
        block.header.dwSignature = OEM_SIGNATURE;
        block.header.dwVersion = OEM_VERSION;
        block.copies = 1;
        block.scale = 100;
        block.density = 1;
        block.quickSetId = 3;
        g_boxes.clear();
        g_seams.MessageBoxW = &RecordBox;
        tiptest::FakePointer::at = { 0, 0 };
        wanted = block;
    }
    void TearDown() override
    {
        if (sheetWindow) {
            SetWindowLongPtrW(sheetWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_sheetProc));
            DestroyWindow(sheetWindow);
        }
        if (info.UserData) {
            info.Reason = PROPSHEETUI_REASON_DESTROY;
            plugin->DocumentPropertySheets(&info, 0);
        }
        ResetSystemSeams();
        if (plugin)
            plugin->Release();
        if (heap)
            HeapDestroy(heap);
    }

    // Starts the sheet on the block as the test left it and shows the
    // Advanced page; the sheet's PSM_CHANGED messages are counted from here.
    void Open()
    {
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hPrinter = printer.handle();
        param.pPrinterName = const_cast<LPWSTR>(printer.name().c_str());
        param.hOEMHeap = heap;
        param.pPublicDM = &publicDm;
        param.pOEMDM = &block;
        info = sheet.info(reinterpret_cast<LPARAM>(&param));
        ASSERT_EQ(S_OK, plugin->DocumentPropertySheets(&info, 0));
        ASSERT_EQ(1u, info.Result);
        context = reinterpret_cast<PROPSHEET_CONTEXT*>(info.UserData);
        ASSERT_TRUE(context && context->pageLink && context->settings);
        // The sheet start copied the driver's selections: the test's block is what opens.
        block = wanted;
        opened = block;

        std::vector<HPROPSHEETPAGE> pages;
        for (const auto& call : sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW))
            pages.push_back(CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(call.pageRecord.data())));
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.hwndParent = frame.hwnd();
        header.pszCaption = L"Document";
        header.nPages = (UINT)pages.size();
        header.phpage = pages.data();
        header.nStartPage = 1;
        sheetWindow = reinterpret_cast<HWND>(PropertySheetW(&header));
        ASSERT_NE(nullptr, sheetWindow);
        g_changes = 0;
        g_sheetProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(sheetWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountChanges)));
        pumpMessages();
        page = context->pageLink->advancedPage;
        ASSERT_NE(nullptr, page);
        ASSERT_NE(nullptr, page->m_hWnd);
        dialog = page->m_hWnd;
    }
    HWND item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring text(HWND window) const
    {
        WCHAR buffer[512] = {};
        GetWindowTextW(window, buffer, 512);
        return buffer;
    }
    std::wstring text(int id) const { return text(item(id)); }
    std::wstring language(UINT id) const
    {
        WCHAR buffer[512] = {};
        LoadStringW(context->resources->module, id, buffer, 512);
        return buffer;
    }
    std::wstring tipOf(CTipTools& tips, HWND control) const
    {
        TipToolMap* entry = tips.FindTool(control);
        return entry ? std::wstring(entry->strText) : L"<none>";
    }
    bool applyEnabled() const { return IsWindowEnabled(GetDlgItem(sheetWindow, kApplyButton)) != FALSE; }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool shown(HWND window) const { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

    // --- what a user does -----------------------------------------------------------
    void choosePagesPerSheet(int index)
    {
        SendMessageW(item(IDC_PAGES_PER_SHEET), CB_SETCURSEL, (WPARAM)index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PAGES_PER_SHEET, CBN_SELCHANGE),
                     (LPARAM)item(IDC_PAGES_PER_SHEET));
        pumpMessages();
    }
    // A click at a point of a picture control (the static's press and release).
    static void clickAt(HWND control, int x, int y)
    {
        SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        pumpMessages();
    }
    void click(int id) { clickAt(item(id), 5, 5); }
    void pick(CPicRadioDlg* picker, int index)
    {
        ASSERT_NE(nullptr, picker);
        clickAt(picker->m_buttons[index]->m_hWnd, 10, 10);
    }
    HWND scaleEdit() const { return GetDlgItem(page->m_pScale->m_hWnd, IDC_SCALE_EDIT); }
    // Types the text into the emptied scale box, character by character.
    void typeScale(const wchar_t* digits)
    {
        HWND edit = scaleEdit();
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 0);
        for (const wchar_t* c = digits; *c; ++c)
            SendMessageW(edit, WM_CHAR, *c, 0);
        pumpMessages();
    }
    std::wstring scaleText() const { return text(scaleEdit()); }
    void pressApply()
    {
        core->clearCalls();
        SendMessageW(GetDlgItem(sheetWindow, kApplyButton), BM_CLICK, 0, 0);
        pumpMessages();
    }

    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    IOemUI2* plugin = nullptr;
    HANDLE heap = nullptr;
    DEVMODEW publicDm;
    PRIVATE_DEVMODE block;
    PRIVATE_DEVMODE wanted;    // what the test wants the page to open on
    PRIVATE_DEVMODE opened;    // the block as the page opened on it
    OEMUIPSPARAM param = {};
    ComSheetRecorder sheet;
    PROPSHEETUI_INFO info = {};
    PROPSHEET_CONTEXT* context = nullptr;
    TestFrame frame{ 700, 700 };
    tiptest::FakePointer pointer;
    HWND sheetWindow = nullptr;
    CAdvanceDlg* page = nullptr;
    HWND dialog = nullptr;
};

typedef AdvancedPage AdvancedPageDataFileGui;

} // namespace

TEST_F(AdvancedPageDataFileGui, OpeningShowsTheBlockAndChangesNothing)
{
    wanted.duplex = 1;
    wanted.pagesPerSheet = 2;
    wanted.pageBorder = 1;
    wanted.scale = 100;
    wanted.orientation = 1;
    wanted.rotate180 = 1;
    wanted.printQuality = 1;
    wanted.tonerSaving = 0;
    wanted.density = 2;
    wanted.fineGraphics = 1;
    Open();
    saveScreenshot(sheetWindow, L"advanced-page");

    EXPECT_EQ(0, memcmp(&opened, &block, sizeof block)) << "the page changed the block";
    EXPECT_EQ(0, g_changes);
    EXPECT_FALSE(applyEnabled());
}
