// The page procedures of the document sheet: the page dialogs they make, what
// an apply writes to the DEVMODEs and the core driver, and the pages' help.
// The pages the plug-in adds run in a real property sheet, and in the common
// property-sheet UI; sheet starts read and write the data files.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/DocumentSheet.h"
#include "harness/PluginHost.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
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

// A document sheet started through the recording sheet callback; its pages
// shown in a modeless property sheet, as the common UI shows them.
class PageProcs : public ::testing::Test, protected DocumentSheet {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(prepare());
        ASSERT_NO_FATAL_FAILURE(start());
        g_helpTopics.clear();
        g_seams.HtmlHelpW = &RecordHelp;
    }
    void TearDown() override { close(); }

    std::vector<ComSheetRecorder::Call> Results() const { return sheet.calls(CPSFUNC_SET_RESULT); }
    std::string Pair(const char* feature, size_t option) const
    {
        std::vector<std::string> options = core->optionKeywords(feature);
        return std::string(feature) + "=" + (option < options.size() ? options[option] : "?");
    }
};

typedef PageProcs PageProcsDataFileGui;

} // namespace

TEST_F(PageProcsDataFileGui, AnApplyWithOnlyTheBasicPageWritesItsFeaturesAndReportsOnce)
{
    show();
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
    apply();

    EXPECT_EQ(7, publicDm.dmCopies);
    EXPECT_EQ(1, publicDm.dmCollate);
    EXPECT_EQ(100, publicDm.dmScale);   // the Advanced page was never made
    std::vector<std::string> expected = { "PageSize=Legal", "JCLMediaType=Thick", "JCLInputSlot=Manual",
                                          "JCLFeedEdge=LongEdge" };
    EXPECT_EQ(expected, written());
    auto results = Results();
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(0, results[0].lParam1);
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
}

TEST_F(PageProcsDataFileGui, AQuickSetChosenWithOnlyTheBasicPageReachesTheDriverWhole)
{
    _QS_STRUCK set;
    CaptureQuickSetting(context->pageLink, &set);
    set.name = L"Whole";
    set.id = context->quickSettings->GetFreeId();
    set.duplexIndex = 2;
    set.pagesPerSheet = set.orientationIndex = set.resolutionIndex = 1;
    set.tonerEconomy = true;
    set.density = 0;
    set.scale = 150;
    ASSERT_EQ(S_OK, context->quickSettings->AddItem(set));
    show();
    HWND basic = context->pageLink->basicPage->m_hWnd;
    HWND combo = GetDlgItem(basic, IDC_QUICKSET_COMBO);
    SendMessageW(combo, CB_SETCURSEL, SendMessageW(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)L"Whole"), 0);
    SendMessageW(basic, WM_COMMAND, MAKEWPARAM(IDC_QUICKSET_COMBO, CBN_SELCHANGE), (LPARAM)combo);
    apply();

    EXPECT_EQ(150, publicDm.dmScale);
    const std::vector<std::string> pairs = written();
    ASSERT_EQ(10u, pairs.size());
    EXPECT_EQ((std::vector<std::string>{ Pair("Duplex", 2), Pair("%PagePerSheet", 1), Pair("%Orientation", 1),
                                         Pair("JCLTonerMode", 1), Pair("JCLDensity", 0), Pair("JCLPrintQuality", 1) }),
              std::vector<std::string>(pairs.begin() + 4, pairs.end()));
}

TEST_F(PageProcsDataFileGui, AnApplyWithBothPagesWritesEveryFeatureInOrder)
{
    PAPER_INFO custom = {};
    custom.unit = PAPER_UNIT_INCH;
    SetPaperName(&custom, L"Wide");
    SetPaperSize(&custom, 8.5f, 11.0f, TRUE, 72);
    ASSERT_EQ(0, context->settings->PaperList().AddCustomPaper(&custom));
    show();
    showPage(1);
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
    apply();

    EXPECT_EQ(3, publicDm.dmCopies);
    EXPECT_EQ(80, publicDm.dmScale);
    std::vector<std::string> expected = {
        "PageSize=CustomPageSize", "%CustomPageSize=612 792 0 0 ShortEdge", Pair("JCLMediaType", 0),
        Pair("JCLInputSlot", 1), Pair("JCLFeedEdge", 0),
        Pair("Duplex", 2), Pair("%PagePerSheet", 1), Pair("%Orientation", 1), Pair("JCLTonerMode", 1),
        Pair("JCLDensity", 2), Pair("JCLGraphFine", 1), Pair("JCLPrintQuality", 1),
    };
    EXPECT_EQ(expected, written());
    auto results = Results();
    ASSERT_EQ(2u, results.size());
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
    EXPECT_EQ(CPSUI_OK, results[1].lParam2);
}

TEST_F(PageProcsDataFileGui, WithoutTheSheetHandleOnlyThePublicFieldsAreWritten)
{
    show();
    showPage(1);
    context->hComPropSheet = nullptr;
    block.copies = 12;
    block.collate = 0;
    publicDm.dmCollate = DMCOLLATE_TRUE;
    block.scale = 200;
    apply();
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
    show();
    showPage(1);
    // Optional tray 2 holds the current paper: the Basic page's apply picks it.
    block.paperId = (INT16)trayPapers[1].id;
    block.inputSlot = 0;
    block.feedEdge = 0;
    context->pageLink->basicPage->m_pFeedEdge->SetCheck(1);
    setInstallableInfo(false, 0, true, 1);
    std::vector<INT16> edgesAtResult;
    sheet.onCall = [&](const ComSheetRecorder::Call& call) {
        if (call.function != CPSFUNC_SET_RESULT)
            return;
        edgesAtResult.push_back(block.feedEdge);
        if (edgesAtResult.size() == 1)
            block.feedEdge = 0;   // between the two applies
    };
    apply();
    std::vector<INT16> expected = { 1, 1 };
    EXPECT_EQ(expected, edgesAtResult) << "each page takes the feed edge from the group";
    EXPECT_EQ(0, block.inputSlot) << "the tray is the apply's pick, not the block's";
    std::vector<std::string> written = core->writtenPairs();
    ASSERT_GE(written.size(), 3u);
    EXPECT_EQ(Pair("JCLInputSlot", 4), written[2]);

    // A tray entry 0 ("*", id -1) matches no paper; a paper in no tray keeps automatic.
    sheet.onCall = nullptr;
    setInstallableInfo(true, 0, true, 0);
    apply();
    ASSERT_GE(core->writtenPairs().size(), 3u);
    EXPECT_EQ(Pair("JCLInputSlot", 0), core->writtenPairs()[2]);
}

TEST_F(PageProcsDataFileGui, HelpShowsThePageTopicOnceItsDialogExists)
{
    show();
    SendMessageW(sheetWindow, PSM_PRESSBUTTON, PSBTN_HELP, 0);
    pumpMessages();
    showPage(1);
    SendMessageW(sheetWindow, PSM_PRESSBUTTON, PSBTN_HELP, 0);
    pumpMessages();
    std::vector<DWORD_PTR> expected = { GetHelpContext(1101), GetHelpContext(1103) };
    EXPECT_EQ(expected, g_helpTopics);

    // The Advanced page without its dialog shows nothing.
    CAdvanceDlg* advanced = context->pageLink->advancedPage;
    context->pageLink->advancedPage = nullptr;
    NMHDR help = { sheetWindow, 0, (UINT)PSN_HELP };
    EXPECT_EQ(0, AdvancedPageProc(pageWindow(1), WM_NOTIFY, 0, (LPARAM)&help));
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
    HWND host = CreateDialogParamW(g_hModuleInstance, MAKEINTRESOURCEW(1100), frameWindow(), &PlainHostProc, 0);
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
    show();
    DEVMODE_PAIR* pair = context->devmode;
    context->devmode = nullptr;
    apply();
    context->devmode = pair;
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(1, publicDm.dmCopies);
}

TEST_F(PageProcsDataFileGui, TheSheetsEndWithPagesStillShownDeletesTheirDialogs)
{
    show();
    showPage(1);
    HWND basic = context->pageLink->basicPage->m_hWnd;
    HWND advanced = context->pageLink->advancedPage->m_hWnd;
    ASSERT_TRUE(IsWindow(basic) && IsWindow(advanced));
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(S_OK, plugin->DocumentPropertySheets(&info, 0));
    EXPECT_EQ(0u, info.UserData);
    EXPECT_FALSE(IsWindow(basic));
    EXPECT_FALSE(IsWindow(advanced));
    EXPECT_TRUE(IsWindow(pageWindow(0)));
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
    std::vector<std::string> written = core->writtenPairs();
    // Four of the Basic page, then seven of the Advanced page.
    ASSERT_EQ(11u, written.size());
    EXPECT_EQ("PageSize=Letter", written[0]);
    EXPECT_EQ("JCLMediaType=Thin", written[1]);
    // Thin paper allows no free input slot: the Basic page set it to the tray.
    EXPECT_EQ("JCLInputSlot=Tray", written[2]);
    EXPECT_EQ("Duplex=None", written[4]);
}
