// The page procedures of the document sheet: the page dialogs they make, what
// an apply writes to the DEVMODEs and the core driver, and the pages' help.
// The pages the plug-in adds run in a real property sheet, and in the common
// property-sheet UI; sheet starts read and write the data files.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/PluginHost.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "device/PrinterUtils.h"
#include "sheets/Help.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AdvanceDlg.h"
#include "ui/BaseDlg.h"
#include "ui/PageLink.h"
#include "ui/PageProcs.h"

#include <htmlhelp.h>
#include <string>
#include <vector>

using namespace harness;

namespace {

std::vector<DWORD_PTR> g_helpTopics;

HWND WINAPI RecordHelp(HWND, LPCWSTR, UINT command, DWORD_PTR data)
{
    if (command == HH_HELP_CONTEXT)
        g_helpTopics.push_back(data);
    return nullptr;
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

void SetInstallableInfo(HANDLE printer, bool tray1, DWORD paper1, bool tray2, DWORD paper2)
{
    INSTALLABLE_INFO info = {};
    info.tray[0].installed = tray1;
    info.tray[0].paper = paper1;
    info.tray[1].installed = tray2;
    info.tray[1].paper = paper2;
    SetPrinterDataW(printer, const_cast<LPWSTR>(L"InstallableInfo"), REG_BINARY, reinterpret_cast<BYTE*>(&info),
                    sizeof info);
}

// A document sheet started through the recording sheet callback; its pages
// shown in a modeless property sheet, as the common UI shows them.
class PageProcs : public ::testing::Test {
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
        g_helpTopics.clear();
        g_seams.HtmlHelpW = &RecordHelp;
    }
    void TearDown() override
    {
        if (sheetWindow)
            DestroyWindow(sheetWindow);
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

    void ShowSheet()
    {
        std::vector<HPROPSHEETPAGE> pages;
        for (const auto& call : sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW)) {
            ASSERT_FALSE(call.pageRecord.empty());
            pages.push_back(CreatePropertySheetPageW(reinterpret_cast<LPCPROPSHEETPAGEW>(call.pageRecord.data())));
            ASSERT_NE(nullptr, pages.back());
        }
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.hwndParent = frame.hwnd();
        header.pszCaption = L"Document";
        header.nPages = (UINT)pages.size();
        header.phpage = pages.data();
        sheetWindow = reinterpret_cast<HWND>(PropertySheetW(&header));
        ASSERT_NE(nullptr, sheetWindow);
        pumpMessages();
    }
    void ShowPage(int index)
    {
        SendMessageW(sheetWindow, PSM_SETCURSEL, (WPARAM)index, 0);
        pumpMessages();
    }
    HWND Page(int index) const { return (HWND)SendMessageW(sheetWindow, PSM_INDEXTOHWND, (WPARAM)index, 0); }
    void Apply()
    {
        core->clearCalls();
        SendMessageW(sheetWindow, PSM_APPLY, 0, 0);
        pumpMessages();
    }
    std::vector<ComSheetRecorder::Call> Results() const { return sheet.calls(CPSFUNC_SET_RESULT); }
    std::string Pair(const char* feature, size_t option) const
    {
        std::vector<std::string> options = core->optionKeywords(feature);
        return std::string(feature) + "=" + (option < options.size() ? options[option] : "?");
    }

    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    IOemUI2* plugin = nullptr;
    HANDLE heap = nullptr;
    DEVMODEW publicDm;
    PRIVATE_DEVMODE block;
    OEMUIPSPARAM param = {};
    ComSheetRecorder sheet;
    PROPSHEETUI_INFO info = {};
    PROPSHEET_CONTEXT* context = nullptr;
    TestFrame frame;
    HWND sheetWindow = nullptr;
};

typedef PageProcs PageProcsDataFileGui;

} // namespace

TEST_F(PageProcsDataFileGui, AnApplyWithOnlyTheBasicPageWritesItsFeaturesAndReportsOnce)
{
    ShowSheet();
    ASSERT_NE(nullptr, context->pageLink->basicPage);
    EXPECT_EQ(nullptr, context->pageLink->advancedPage);
    block.copies = 0x10007;   // the low 16 bits count
    block.collate = 1;
    block.paperId = 2;
    block.mediaType = 1;
    block.inputSlot = 2;
    block.scale = 150;
    // The feed edge is the picture the page's group shows.
    ASSERT_NE(nullptr, context->pageLink->basicPage->m_pFeedEdge);
    context->pageLink->basicPage->m_pFeedEdge->SetCheck(1);
    Apply();

    EXPECT_EQ(7, publicDm.dmCopies);
    EXPECT_EQ(1, publicDm.dmCollate);
    EXPECT_EQ(100, publicDm.dmScale);   // the Advanced page was never made
    std::vector<std::string> expected = { "PageSize=Legal", "JCLMediaType=Thick", "JCLInputSlot=Manual",
                                          "JCLFeedEdge=LongEdge" };
    EXPECT_EQ(expected, Written(*core));
    auto results = Results();
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(0, results[0].lParam1);
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
}

TEST_F(PageProcsDataFileGui, AnApplyWithBothPagesWritesEveryFeatureInOrder)
{
    PAPER_INFO custom = {};
    custom.unit = PAPER_UNIT_INCH;
    SetPaperName(&custom, L"Wide");
    SetPaperSize(&custom, 8.5f, 11.0f, TRUE, 72);
    ASSERT_EQ(0, context->settings->PaperList().AddCustomPaper(&custom));
    ShowSheet();
    ShowPage(1);
    ASSERT_NE(nullptr, context->pageLink->advancedPage);
    block.paperId = 257;
    block.mediaType = 0;
    block.inputSlot = 1;
    block.feedEdge = 0;
    block.copies = 3;
    block.duplex = 2;
    block.pagesPerSheet = 1;
    block.orientation = 1;
    block.tonerSaving = 1;
    block.density = 2;
    block.fineGraphics = 1;
    block.printQuality = 1;
    block.scale = 0x10000 + 80;
    Apply();

    EXPECT_EQ(3, publicDm.dmCopies);
    EXPECT_EQ(80, publicDm.dmScale);
    std::vector<std::string> expected = {
        "PageSize=CustomPageSize", "%CustomPageSize=612 792 0 0 ShortEdge", Pair("JCLMediaType", 0),
        Pair("JCLInputSlot", 1), Pair("JCLFeedEdge", 0),
        Pair("Duplex", 2), Pair("%PagePerSheet", 1), Pair("%Orientation", 1), Pair("JCLTonerMode", 1),
        Pair("JCLDensity", 2), Pair("JCLGraphFine", 1), Pair("JCLPrintQuality", 1),
    };
    EXPECT_EQ(expected, Written(*core));
    auto results = Results();
    ASSERT_EQ(2u, results.size());
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
    EXPECT_EQ(CPSUI_OK, results[1].lParam2);
}

TEST_F(PageProcsDataFileGui, WithoutTheSheetHandleOnlyThePublicFieldsAreWritten)
{
    ShowSheet();
    ShowPage(1);
    context->hComPropSheet = nullptr;
    block.copies = 12;
    block.collate = 0;
    publicDm.dmCollate = DMCOLLATE_TRUE;
    block.scale = 200;
    Apply();
    EXPECT_EQ(12, publicDm.dmCopies);
    EXPECT_EQ(DMCOLLATE_FALSE, publicDm.dmCollate);
    EXPECT_EQ(200, publicDm.dmScale);
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));
    EXPECT_TRUE(Results().empty());
}

TEST_F(PageProcsDataFileGui, EachPageRunsTheBeforeApplyStep)
{
    CArray<PAPER_INFO> trayPapers;
    context->settings->PaperList().GetTrayPaperList(&trayPapers);
    ASSERT_GE(trayPapers.GetSize(), 2);
    ShowSheet();
    ShowPage(1);
    // Optional tray 2 holds the current paper: the Basic page's apply picks it.
    block.paperId = (INT16)trayPapers[1].id;
    block.inputSlot = 0;
    block.feedEdge = 0;
    context->pageLink->basicPage->m_pFeedEdge->SetCheck(1);
    SetInstallableInfo(printer.handle(), false, 0, true, 1);
    std::vector<INT16> slotsAtResult;
    sheet.onCall = [&](const ComSheetRecorder::Call& call) {
        if (call.function != CPSFUNC_SET_RESULT)
            return;
        slotsAtResult.push_back(block.inputSlot);
        if (slotsAtResult.size() == 1) {
            // Between the two applies: automatic again, tray 1 holds it now.
            block.inputSlot = 0;
            SetInstallableInfo(printer.handle(), true, 1, false, 0);
        }
    };
    Apply();
    std::vector<INT16> expected = { 4, 3 };
    EXPECT_EQ(expected, slotsAtResult);
    EXPECT_EQ(3, block.inputSlot);
    std::vector<std::string> written = Written(*core);
    ASSERT_GE(written.size(), 3u);
    EXPECT_EQ(Pair("JCLInputSlot", 4), written[2]);
    // The feed edge is taken from the group's selected picture.
    EXPECT_EQ(1, block.feedEdge);

    // A tray entry 0 ("*", id -1) matches no paper; a paper in no tray keeps automatic.
    sheet.onCall = nullptr;
    block.inputSlot = 0;
    SetInstallableInfo(printer.handle(), true, 0, true, 0);
    Apply();
    EXPECT_EQ(0, block.inputSlot);
}

TEST_F(PageProcsDataFileGui, HelpShowsThePageTopicOnceItsDialogExists)
{
    ShowSheet();
    SendMessageW(sheetWindow, PSM_PRESSBUTTON, PSBTN_HELP, 0);
    pumpMessages();
    ShowPage(1);
    SendMessageW(sheetWindow, PSM_PRESSBUTTON, PSBTN_HELP, 0);
    pumpMessages();
    std::vector<DWORD_PTR> expected = { GetHelpContext(1101), GetHelpContext(1103) };
    EXPECT_EQ(expected, g_helpTopics);

    // The Advanced page without its dialog shows nothing.
    CAdvanceDlg* advanced = context->pageLink->advancedPage;
    context->pageLink->advancedPage = nullptr;
    NMHDR help = { sheetWindow, 0, (UINT)PSN_HELP };
    EXPECT_EQ(0, AdvancedPageProc(Page(1), WM_NOTIFY, 0, (LPARAM)&help));
    EXPECT_EQ(2u, g_helpTopics.size());
    context->pageLink->advancedPage = advanced;
}

namespace {

INT_PTR CALLBACK PlainHostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// What the page link's busy flag was when the page dialog's window was made.
PAGE_LINK* g_link = nullptr;
HWND g_host = nullptr;
std::vector<int> g_busyAtCreate;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_link) {
        auto* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (cs->hwndParent == g_host)
            g_busyAtCreate.push_back(g_link->busy);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(PageProcsDataFileGui, TheHostPageKeepsTheContextAndIsCoveredByItsDialog)
{
    HWND host = CreateDialogParamW(g_hModuleInstance, MAKEINTRESOURCEW(1100), frame.hwnd(), &PlainHostProc, 0);
    ASSERT_NE(nullptr, host);
    PROPSHEETPAGEW description = {};
    description.dwSize = sizeof description;
    description.lParam = reinterpret_cast<LPARAM>(context);

    g_link = context->pageLink;
    g_host = host;
    g_busyAtCreate.clear();
    HHOOK hook = SetWindowsHookExW(WH_CBT, &WatchCreation, nullptr, GetCurrentThreadId());
    EXPECT_EQ(0, BasicPageProc(host, WM_INITDIALOG, 0, (LPARAM)&description));
    UnhookWindowsHookEx(hook);
    g_link = nullptr;

    EXPECT_EQ((LONG_PTR)context, GetWindowLongPtrW(host, DWLP_USER));
    CBaseDlg* basic = context->pageLink->basicPage;
    ASSERT_NE(nullptr, basic);
    EXPECT_EQ(context, basic->m_context);
    ASSERT_NE(nullptr, basic->m_hWnd);
    EXPECT_EQ(host, GetParent(basic->m_hWnd));
    EXPECT_TRUE(GetWindowLongPtrW(basic->m_hWnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ((HINSTANCE)context->resources->module, (HINSTANCE)GetWindowLongPtrW(basic->m_hWnd, GWLP_HINSTANCE));
    ASSERT_FALSE(g_busyAtCreate.empty());
    EXPECT_EQ(1, g_busyAtCreate[0]);
    EXPECT_EQ(0, context->pageLink->busy);

    // No description, or a context without a page link: no dialog.
    EXPECT_EQ(0, AdvancedPageProc(host, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(nullptr, context->pageLink->advancedPage);
    PAGE_LINK* link = context->pageLink;
    context->pageLink = nullptr;
    EXPECT_EQ(0, AdvancedPageProc(host, WM_INITDIALOG, 0, (LPARAM)&description));
    context->pageLink = link;
    EXPECT_EQ(nullptr, context->pageLink->advancedPage);

    // The sheet's end deletes the dialog and its window with it.
    HWND dialog = basic->m_hWnd;
    DestroyPageDialogs(context->pageLink);
    EXPECT_EQ(nullptr, context->pageLink->basicPage);
    EXPECT_FALSE(IsWindow(dialog));
    DestroyWindow(host);
}

TEST_F(PageProcsDataFileGui, AnApplyWithoutAPairWritesNothing)
{
    ShowSheet();
    DEVMODE_PAIR* pair = context->devmode;
    context->devmode = nullptr;
    Apply();
    context->devmode = pair;
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(1, publicDm.dmCopies);
}

TEST_F(PageProcsDataFileGui, TheSheetsEndWithPagesStillShownDeletesTheirDialogs)
{
    ShowSheet();
    ShowPage(1);
    HWND basic = context->pageLink->basicPage->m_hWnd;
    HWND advanced = context->pageLink->advancedPage->m_hWnd;
    ASSERT_TRUE(IsWindow(basic) && IsWindow(advanced));
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(S_OK, plugin->DocumentPropertySheets(&info, 0));
    EXPECT_EQ(0u, info.UserData);
    EXPECT_FALSE(IsWindow(basic));
    EXPECT_FALSE(IsWindow(advanced));
    EXPECT_TRUE(IsWindow(Page(0)));
}

// --- through the common property-sheet UI ------------------------------------------

namespace {

class CommonUiSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        plugin = module.createPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
    }

    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    PluginModule module;
    ComPtr<IPrintOemUI2> plugin;
};

typedef CommonUiSheet DocumentPagesDataFileGui;

// The page dialog that covers a host page: its one dialog child.
HWND PageDialog(HWND page)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[16] = {};
        GetClassNameW(child, name, 16);
        if (lstrcmpW(name, L"#32770") == 0)
            return child;
    }
    return nullptr;
}

} // namespace

TEST_F(DocumentPagesDataFileGui, OkAppliesThePagesTheUserOpened)
{
    SheetHost host(plugin.get(), printer.handle(), printer.name(), core.get());
    auto* block = reinterpret_cast<PRIVATE_DEVMODE*>(host.privateDevMode());
    block->copies = 4;
    core->setSelection("JCLMediaType", "Thin");
    HWND basicDialog = nullptr, advancedDialog = nullptr;
    SheetRun run = host.show(SheetKind::Document, [&](HWND sheet) {
        HWND basic = (HWND)SendMessageW(sheet, PSM_INDEXTOHWND, 0, 0);
        basicDialog = PageDialog(basic);
        saveScreenshot(sheet, L"document-sheet-basic");
        SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        pumpMessages();
        HWND advanced = (HWND)SendMessageW(sheet, PSM_INDEXTOHWND, 1, 0);
        advancedDialog = PageDialog(advanced);
        saveScreenshot(sheet, L"document-sheet-advanced");
        core->clearCalls();
    }, SheetButton::Ok);
    plugin.reset();
    ASSERT_TRUE(run.shown);
    EXPECT_NE(nullptr, basicDialog);
    EXPECT_NE(nullptr, advancedDialog);
    EXPECT_EQ(4, host.publicDevMode()->dmCopies);
    std::vector<std::string> written = Written(*core);
    // Four of the Basic page, then seven of the Advanced page.
    ASSERT_EQ(11u, written.size());
    EXPECT_EQ("PageSize=Letter", written[0]);
    EXPECT_EQ("JCLMediaType=Thin", written[1]);
    // Thin paper allows no free input slot: the Basic page set it to the tray.
    EXPECT_EQ("JCLInputSlot=Tray", written[2]);
    EXPECT_EQ("Duplex=None", written[4]);
}
