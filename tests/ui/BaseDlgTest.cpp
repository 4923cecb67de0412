// The Basic page in the real sheet: the plug-in's document sheet started over
// the harness core driver and a Wine test printer, its pages shown in a
// property sheet and driven by control id with the messages a user's actions
// cause. Checked through the private and public DEVMODE, the core driver's
// SetOptions log, the quick-settings file and the controls.
#include <gtest/gtest.h>

#include "device/PrinterUtils.h"
#include "harness/MessageBoxes.h"
#include "harness/CoreDriver.h"
#include "harness/DocumentSheet.h"
#include "harness/Files.h"
#include "harness/Keys.h"
#include "harness/PpdModel.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/DataFiles.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AdvanceDlg.h"
#include "ui/BaseDlg.h"
#include "ui/PageLink.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace harness;

namespace {

// Paper ids of the test PPD.
enum : INT16 { kLetter = 0, kA4 = 1, kLegal = 2, kA5 = 4, kB5 = 5, kStatement = 6 };

// A custom paper 200 mm high, as the custom-paper file stores it.
PAPER_INFO CustomPaper(const wchar_t* name, float width)
{
    PAPER_INFO p = {};
    SetPaperName(&p, name);
    SetPaperSize(&p, width, 200.0f, FALSE, 72);
    return p;
}

class BasicPage : public ::testing::Test, protected DocumentSheet {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(prepare());
    }
    void TearDown() override { close(); }

    // The sheet's start: the private block takes the driver's choices.
    void StartSheet()
    {
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_TRUE(context->quickSettings);
        block.quickSetId = -1;
    }
    // The sheet with its pages; the Basic page is shown first.
    void ShowSheet()
    {
        if (!context) {
            ASSERT_NO_FATAL_FAILURE(StartSheet());
        }
        ASSERT_NO_FATAL_FAILURE(show());
        page = context->pageLink->basicPage;
        ASSERT_TRUE(page && page->m_hWnd);
    }
    void ShowAdvancedPage()
    {
        showPage(1);
        showPage(0);
    }
    HWND Item(int id) const { return GetDlgItem(page->m_hWnd, id); }
    // Apply enabled by the sheet goes back to disabled.
    void ResetApply() { SendMessageW(sheetWindow, PSM_UNCHANGED, (WPARAM)GetParent(page->m_hWnd), 0); }
    std::wstring Text(HWND window) const
    {
        WCHAR text[512] = {};
        GetWindowTextW(window, text, 512);
        return text;
    }
    std::wstring ComboRow(HWND combo, int row) const
    {
        WCHAR text[512] = {};
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = row;
        item.pszText = text;
        item.cchTextMax = 512;
        SendMessageW(combo, CBEM_GETITEMW, 0, (LPARAM)&item);
        return text;
    }
    // A choice in a combo box, as the user's selection reports it.
    void Choose(int id, int row)
    {
        SendMessageW(Item(id), CB_SETCURSEL, (WPARAM)row, 0);
        SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)Item(id));
        pumpMessages();
    }
    // A click on a picture control: the static reports STN_CLICKED.
    void Click(HWND picture)
    {
        SendMessageW(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(picture, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        pumpMessages();
    }
    void ClickFeedEdge(int choice)
    {
        Click(GetDlgItem(page->m_pFeedEdge->m_hWnd, page->m_pFeedEdge->m_entries[choice].nCtrlID));
    }
    // Typing into an edit field: everything selected, then one character at a time.
    void Type(HWND edit, const wchar_t* keys)
    {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        for (const wchar_t* k = keys; *k; ++k)
            SendMessageW(edit, WM_CHAR, *k, 1);
        pumpMessages();
    }
    HWND QuickSetEdit() const
    {
        COMBOBOXINFO combo = { sizeof combo };
        GetComboBoxInfo(Item(IDC_QUICKSET_COMBO), &combo);
        return combo.hwndItem;
    }
    void TypeCopies(const wchar_t* keys) { Type(GetDlgItem(page->m_pCopies->m_hWnd, IDC_COPIES_EDIT), keys); }
    void ChoosePaper(int row) { Choose(IDC_PAPER_SIZE, row); }
    void SaveQuickSet(const wchar_t* name)
    {
        Type(QuickSetEdit(), name);
        Click(Item(IDC_QUICKSET_SAVE));
    }
    std::string QuickSetFile() const { return readFile(quickSettings.path()).value_or(""); }
    static size_t Count(const std::string& text, const std::string& part)
    {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }
    // The option the last apply wrote for the feature; empty when none.
    std::string WrittenOption(const std::string& feature) const
    {
        std::string option;
        for (const std::string& pair : written())
            if (pair.rfind(feature + "=", 0) == 0)
                option = pair.substr(feature.size() + 1);
        return option;
    }
    // Where the paper stands in the tray paper list; 0 (the "*" entry) when
    // no tray may hold it.
    DWORD TrayPaperIndex(INT16 paperId) const
    {
        CArray<PAPER_INFO> trayPapers;
        context->settings->PaperList().GetTrayPaperList(&trayPapers);
        for (INT_PTR i = 1; i < trayPapers.GetSize(); ++i)
            if (trayPapers[i].id == paperId)
                return (DWORD)i;
        return 0;
    }
    void ExpectUnsaved()
    {
        EXPECT_EQ(-1, block.quickSetId);
        EXPECT_EQ(languageString(IDS_QUICKSET_UNSAVED), Text(Item(IDC_QUICKSET_COMBO)));
    }

    CBaseDlg* page = nullptr;
    MessageBoxes boxes;
};

typedef BasicPage BasicPageDataFileGui;

} // namespace

// --- opening -----------------------------------------------------------------------

TEST_F(BasicPageDataFileGui, OpensWithTheLanguageTextsAndTheDriverOptions)
{
    setInstallableInfo(true, 0, false, 0);
    StartSheet();
    publicDm.dmCopies = 3;
    publicDm.dmCollate = DMCOLLATE_TRUE;
    block.inputSlot = 4;   // tray 2, no longer fitted
    block.copies = 1;
    const PRIVATE_DEVMODE before = block;
    ShowSheet();

    const std::pair<int, UINT> labels[] = {
        { IDC_BASIC_DEFAULT, IDS_DEFAULT_BUTTON },     { IDC_QUICKSET_TITLE, IDS_QUICKSET_GROUP },
        { IDC_PAPER_TITLE, IDS_PAPER_GROUP },          { IDC_COPIES_TITLE, IDS_COPIES_GROUP },
        { IDC_COPIES_LABEL, IDS_COPIES_LABEL },        { IDC_COLLATE_LABEL, IDS_COLLATE_LABEL },
        { IDC_PAPER_SIZE_LABEL, IDS_PAPER_SIZE_LABEL }, { IDC_MEDIA_TYPE_LABEL, IDS_MEDIA_TYPE_LABEL },
        { IDC_INPUT_SLOT_LABEL, IDS_INPUT_SLOT_LABEL }, { IDC_FEEDEDGE_LABEL, IDS_FEEDEDGE_LABEL },
    };
    for (const auto& label : labels) {
        EXPECT_FALSE(languageString(label.second).empty()) << label.second;
        EXPECT_EQ(languageString(label.second), Text(Item(label.first))) << label.first;
    }
    EXPECT_EQ(languageString(IDS_FEEDEDGE_LONG), Text(GetDlgItem(page->m_pFeedEdge->m_hWnd, IDC_FEEDEDGE_LONG_LABEL)));
    EXPECT_EQ(languageString(IDS_FEEDEDGE_SHORT), Text(GetDlgItem(page->m_pFeedEdge->m_hWnd, IDC_FEEDEDGE_SHORT_LABEL)));

    const UINT media[] = { 5059, 5060, 5061, 5064, 5062, 5063, 5065 };
    ASSERT_EQ(7, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(languageString(media[i]), ComboRow(Item(IDC_MEDIA_TYPE), i)) << i;
    // Tray 1 is fitted, tray 2 is not: option 4 is left out.
    const UINT slots[] = { 4026, 5071, 5072, 5069 };
    ASSERT_EQ(4, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(languageString(slots[i]), ComboRow(Item(IDC_INPUT_SLOT), i)) << i;
        EXPECT_EQ(i, (int)SendMessageW(Item(IDC_INPUT_SLOT), CB_GETITEMDATA, (WPARAM)i, 0));
    }
    EXPECT_EQ(0, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(0, block.inputSlot);   // the tray no longer fitted became automatic

    const int papers = (int)context->settings->PaperList().StandardPapers().GetSize();
    EXPECT_EQ(papers, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(papers, page->m_pPaperPopup->m_list.GetItemCount());
    EXPECT_EQ(std::wstring(L"Letter"), page->m_pPaperPopup->m_list.GetItemText(0, 0).GetString());
    EXPECT_EQ(std::wstring(L"8.50"), page->m_pPaperPopup->m_list.GetItemText(0, 1).GetString());
    EXPECT_EQ(std::wstring(L"210.0"), page->m_pPaperPopup->m_list.GetItemText(1, 1).GetString());

    // The application's copies and collate.
    EXPECT_EQ(3u, page->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE));
    EXPECT_EQ(3u, block.copies);
    EXPECT_EQ(1, page->m_collate.m_bOn);
    // The copies changed: the sheet is told once.
    ASSERT_EQ(1u, changed().size());
    EXPECT_EQ(sheetWindow, changed()[0].window);
    EXPECT_EQ(GetParent(page->m_hWnd), changed()[0].page);
    // Nothing else of the block changed; opening is no change of the quick set.
    PRIVATE_DEVMODE expected = before;
    expected.copies = 3;
    expected.inputSlot = 0;
    EXPECT_EQ(0, memcmp(&expected, &block, sizeof block));
    EXPECT_EQ(languageString(IDS_QUICKSET_UNSAVED), Text(Item(IDC_QUICKSET_COMBO)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_SAVE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_DELETE)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_INPUT_SLOT_WARN)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_BASIC_LOGO)));
    EXPECT_TRUE(boxes.empty());
    saveScreenshot(sheetWindow, L"basic-page");
}

TEST_F(BasicPageDataFileGui, TheSameCopiesTellTheSheetNothing)
{
    StartSheet();
    publicDm.dmCopies = 1;
    publicDm.dmCollate = DMCOLLATE_FALSE;
    block.copies = 1;
    ShowSheet();
    EXPECT_TRUE(changed().empty());
    EXPECT_FALSE(applyEnabled());
    EXPECT_EQ(0, page->m_collate.m_bOn);
}

TEST_F(BasicPageDataFileGui, CopiesTheBoxCannotHoldShowThePrivateCopies)
{
    StartSheet();
    publicDm.dmCopies = 0;
    block.copies = 4;
    ShowSheet();
    EXPECT_EQ(4u, page->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE));
    EXPECT_EQ(4u, block.copies);
    EXPECT_TRUE(changed().empty());
}

// --- changes -----------------------------------------------------------------------

TEST_F(BasicPageDataFileGui, EachChangeIsWrittenAtOnceAndMarksTheSetUnsaved)
{
    ShowSheet();
    Choose(IDC_QUICKSET_COMBO, 0);   // the default set
    EXPECT_EQ(0, block.quickSetId);
    ResetApply();

    Choose(IDC_MEDIA_TYPE, 2);
    EXPECT_EQ(2, block.mediaType);
    EXPECT_TRUE(applyEnabled());
    ExpectUnsaved();

    Choose(IDC_QUICKSET_COMBO, 0);
    ResetApply();
    Click(Item(IDC_COLLATE));
    EXPECT_EQ(!publicDm.dmCollate, block.collate == 1);
    EXPECT_EQ(block.collate, page->m_collate.m_bOn);
    EXPECT_EQ(languageString(block.collate ? IDS_SWITCH_ON_TIP : IDS_SWITCH_OFF_TIP),
              std::wstring(page->m_tip.FindTool(Item(IDC_COLLATE))->strText.GetString()));
    EXPECT_TRUE(applyEnabled());
    ExpectUnsaved();

    // Copies outside 1..999 are ignored but still mark the set unsaved.
    Choose(IDC_QUICKSET_COMBO, 0);
    const DWORD copies = block.copies;
    TypeCopies(L"0");
    EXPECT_EQ(copies, block.copies);
    ExpectUnsaved();
    Choose(IDC_QUICKSET_COMBO, 0);
    TypeCopies(L"25");
    EXPECT_EQ(25u, block.copies);
    ExpectUnsaved();

    ChoosePaper(kLegal);
    EXPECT_EQ(kLegal, block.paperId);
    Choose(IDC_INPUT_SLOT, 2);
    EXPECT_EQ(2, block.inputSlot);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BasicPageDataFileGui, OptionalTrayConflictsWarnAndFallBackToAutomatic)
{
    setInstallableInfo(true, 0, true, 0);
    StartSheet();
    block.paperId = kA5;
    block.inputSlot = 0;
    block.feedEdge = 0;
    ShowSheet();
    // Tray with A5 and feed edge 1.
    ClickFeedEdge(1);
    EXPECT_EQ(1, block.feedEdge);
    Choose(IDC_INPUT_SLOT, 3);
    ASSERT_EQ(1u, boxes.size());
    WCHAR text[1024];
    BuildConflictMessage(context->resources, IDC_INPUT_SLOT, 8, text);
    EXPECT_EQ(text, boxes[0].text);
    EXPECT_EQ(languageString(IDS_CONFLICT_CAPTION), boxes[0].caption);
    EXPECT_EQ(UINT(MB_OK | MB_ICONWARNING), boxes[0].type);
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ(0, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0));
    // Another paper in the tray is accepted.
    ChoosePaper(kLetter);
    Choose(IDC_INPUT_SLOT, 3);
    EXPECT_EQ(3, block.inputSlot);
    EXPECT_EQ(1u, boxes.size());
    // Feed edge 1 with a tray: warned, automatic, the feed edge stays 1.
    ClickFeedEdge(0);
    boxes.clear();
    ClickFeedEdge(1);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(text, boxes[0].text);
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ(1, block.feedEdge);

    // A paper that may not lie in a tray, then a tray: warned with bit 4.
    boxes.clear();
    ChoosePaper(kStatement);
    EXPECT_TRUE(boxes.empty());
    Choose(IDC_INPUT_SLOT, 4);
    ASSERT_EQ(1u, boxes.size());
    BuildConflictMessage(context->resources, IDC_INPUT_SLOT, 4, text);
    EXPECT_EQ(text, boxes[0].text);
    EXPECT_EQ(0, block.inputSlot);
    // A tray, then such a paper: the same warning, automatic.
    ChoosePaper(kLetter);
    ClickFeedEdge(0);
    Choose(IDC_INPUT_SLOT, 4);
    EXPECT_EQ(4, block.inputSlot);
    boxes.clear();
    ChoosePaper(kStatement);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(text, boxes[0].text);
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ(0, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0));
}

TEST_F(BasicPageDataFileGui, APaperWithoutAFreeInputSlotLocksItWithAnIndicator)
{
    ShowSheet();
    ChoosePaper(kB5);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(1, block.inputSlot);
    EXPECT_EQ(1, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_INPUT_SLOT)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_INPUT_SLOT_WARN)));
    WCHAR text[1024];
    BuildConflictMessage(context->resources, IDC_INPUT_SLOT, context->pageLink->constraints->word[CONSTRAINT_INPUT_SLOT],
                         text);
    ASSERT_NE(nullptr, page->m_tip.FindTool(Item(IDC_INPUT_SLOT_WARN)));
    EXPECT_EQ(std::wstring(text), page->m_tip.FindTool(Item(IDC_INPUT_SLOT_WARN))->strText.GetString());
    // B5 has no free feed edge: picture 0, locked.
    EXPECT_EQ(0, page->m_pFeedEdge->GetCheck());
    EXPECT_FALSE(IsWindowEnabled(page->m_pFeedEdge->m_hWnd));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_FEEDEDGE_WARN)));

    ChoosePaper(kLetter);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_INPUT_SLOT)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_INPUT_SLOT_WARN)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_FEEDEDGE_WARN)));
    EXPECT_TRUE(IsWindowEnabled(page->m_pFeedEdge->m_hWnd));
}

TEST_F(BasicPageDataFileGui, TheFeedEdgeChoiceSurvivesAnIndicatorRefreshAndReachesTheDriver)
{
    StartSheet();
    block.paperId = kLetter;
    block.feedEdge = 1;
    ShowSheet();
    EXPECT_EQ(1, page->m_pFeedEdge->GetCheck());
    ClickFeedEdge(0);
    EXPECT_EQ(0, block.feedEdge);
    ChoosePaper(kLegal);
    Choose(IDC_MEDIA_TYPE, 1);
    EXPECT_EQ(0, page->m_pFeedEdge->GetCheck());
    apply();
    // Thick paper takes the input slot to the tray (option 1).
    const std::vector<std::string> expected = { "PageSize=Legal", "JCLMediaType=Thick", "JCLInputSlot=Tray",
                                                "JCLFeedEdge=ShortEdge" };
    EXPECT_EQ(expected, written());
    EXPECT_EQ(0, block.feedEdge);
    EXPECT_EQ(1, publicDm.dmCopies);
}

TEST_F(BasicPageDataFileGui, EachFeedEdgeChoiceNamesTheEdgeTheDriverGets)
{
    setInstallableInfo(true, 0, false, 0);
    StartSheet();
    block.paperId = kA5;
    ShowSheet();
    // A text names an option keyword when both read the same without blanks or case.
    auto squeezed = [](std::wstring text) {
        std::wstring out;
        for (wchar_t c : text)
            if (c != L' ')
                out += (wchar_t)towlower(c);
        return out;
    };
    std::wstring labels[2];
    for (int choice : { 0, 1 }) {
        ClickFeedEdge(choice);
        apply();
        labels[choice] = Text(GetDlgItem(page->m_pFeedEdge->m_hWnd, page->m_pFeedEdge->m_entries[choice].nLabelID));
        const std::string option = WrittenOption("JCLFeedEdge");
        EXPECT_EQ(squeezed(std::wstring(option.begin(), option.end())), squeezed(labels[choice])) << choice;
    }
    // The optional-tray warning for A5 names the edge of the choice it refuses.
    Choose(IDC_INPUT_SLOT, 3);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::wstring::npos, squeezed(boxes[0].text).find(squeezed(labels[1]))) << boxes[0].text;
}

TEST_F(BasicPageDataFileGui, TheDefaultButtonResetsThePageButNotTheOtherFields)
{
    ShowSheet();
    Choose(IDC_QUICKSET_COMBO, 0);   // a saved set, then settings of another kind
    block.paperId = kLegal;
    block.mediaType = 3;
    block.inputSlot = 2;
    block.feedEdge = 1;
    block.copies = 7;
    block.collate = 1;
    block.duplex = 2;
    ApplySettingsToPages(context->pageLink);
    ASSERT_EQ(3, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCURSEL, 0, 0));
    ASSERT_EQ(0, block.quickSetId);
    ResetApply();

    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BASIC_DEFAULT, BN_CLICKED), (LPARAM)Item(IDC_BASIC_DEFAULT));
    pumpMessages();
    EXPECT_TRUE(block.paperId == kLetter || block.paperId == kA4);
    EXPECT_EQ(0, block.mediaType);
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ(0, block.feedEdge);
    EXPECT_EQ(1u, block.copies);
    EXPECT_EQ(0, block.collate);
    EXPECT_EQ(2, block.duplex);   // an Advanced setting
    EXPECT_EQ(0, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(1u, page->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE));
    EXPECT_EQ(0, page->m_collate.m_bOn);
    EXPECT_EQ(0, page->m_pFeedEdge->GetCheck());
    EXPECT_EQ(block.paperId, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(applyEnabled());
    ExpectUnsaved();
}

// --- quick sets --------------------------------------------------------------------

TEST_F(BasicPageDataFileGui, ASavedSetIsStoredSelectedAndRecalledOnBothPages)
{
    ShowSheet();
    ShowAdvancedPage();
    ChoosePaper(kLegal);
    Choose(IDC_MEDIA_TYPE, 2);
    TypeCopies(L"4");
    SaveQuickSet(L"  Draft  ");
    EXPECT_EQ(L"Draft", Text(Item(IDC_QUICKSET_COMBO)));
    ASSERT_EQ(2, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCURSEL, 0, 0));
    const int id = (int)SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETITEMDATA, 1, 0);
    EXPECT_EQ(id, block.quickSetId);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_SAVE)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_QUICKSET_DELETE)));
    const std::string file = QuickSetFile();
    EXPECT_EQ(1u, Count(file, "<Item name=\"Draft\" id=\"" + std::to_string(id) + "\""));

    // Changed on both pages, then recalled.
    ChoosePaper(kLetter);
    Choose(IDC_MEDIA_TYPE, 0);
    TypeCopies(L"9");
    CAdvanceDlg* advanced = context->pageLink->advancedPage;
    ASSERT_NE(nullptr, advanced);
    block.duplex = 1;
    ExpectUnsaved();
    Choose(IDC_QUICKSET_COMBO, 1);
    EXPECT_EQ(kLegal, block.paperId);
    EXPECT_EQ(2, block.mediaType);
    EXPECT_EQ(4u, block.copies);
    EXPECT_EQ(0, block.duplex);
    EXPECT_EQ(id, block.quickSetId);   // the recall does not mark the set unsaved
    EXPECT_EQ(kLegal, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(2, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(4u, page->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE));
    EXPECT_EQ(L"Draft", Text(Item(IDC_QUICKSET_COMBO)));
    pumpMessages();
    EXPECT_EQ(id, block.quickSetId);
}

TEST_F(BasicPageDataFileGui, ARecalledSetIsFittedToThePrinterSoThePagesTheBlockAndTheDriverAgree)
{
    // A set with copies 2, scale 150, orientation 1, quality 1 and density 2,
    // or with numbers and option indexes the pages refuse.
    auto set = [](const char* name, int id, int paper, int slot, int feed, int duplex, bool refused = false) {
        char xml[1024];
        snprintf(xml, sizeof xml,
                 "<Item name=\"%s\" id=\"%d\"><Paper><Size name=\"\" index=\"%d\"/><Media name=\"\" index=\"%d\"/>"
                 "<InputSlot name=\"\" index=\"%d\"/><FeedEdge name=\"\" index=\"%d\"/></Paper><Copies>"
                 "<Number value=\"%d\"/><Collate value=\"false\"/></Copies><Duplex><AutoDuplex name=\"\" index=\"%d\"/>"
                 "</Duplex><Layout><Nup index=\"%d\"/><NupBorder value=\"false\"/><Scale value=\"%d\"/></Layout>"
                 "<Orientation><DocOrientation name=\"\" index=\"%d\"/><Rotate180 value=\"false\"/></Orientation>"
                 "<Effect><Resolution index=\"%d\" name=\"\"/><Economic value=\"false\"/><Density value=\"%d\"/>"
                 "</Effect></Item>",
                 name, id, paper, refused ? 7 : 0, slot, feed, refused ? 1000 : 2, duplex, refused ? 7 : 0,
                 refused ? 500 : 150, refused ? 3 : 1, refused ? 2 : 1, refused ? 3 : 2);
        return std::string(xml);
    };
    enum : INT16 { kEnv10 = 7 };
    ASSERT_TRUE(quickSettings.write("<Root><QuickSetting>" + set("Tray gone", 1, kLetter, 4, 1, 0) +
                                    set("Paper gone", 2, 258, 2, 1, 2) + set("Numbers", 3, kLetter, 5, 2, 3, true) +
                                    set("Duplex", 4, kEnv10, 0, 0, 1) + set("Barred", 5, kStatement, 3, 0, 0) +
                                    set("Locked", 6, kB5, 3, 1, 0) + "</QuickSetting></Root>"));
    setInstallableInfo(true, 0, false, 0);
    StartSheet();
    block.paperId = kLetter;
    ShowSheet();
    ShowAdvancedPage();
    CAdvanceDlg* advanced = context->pageLink->advancedPage;
    DEFAULT_SETTINGS defaults;
    const INT16 localePaper = (INT16)LocaleDefaultPaper(*LoadDefaultSettings(&defaults)).paperId;
    WCHAR noDuplex[1024], noTray[1024];
    BuildConflictMessage(context->resources, IDC_PAPER_SIZE, 1, noDuplex);
    BuildConflictMessage(context->resources, IDC_INPUT_SLOT, 4, noTray);
    // Paper, input slot, feed edge, duplex; the warning shown.
    const std::pair<std::vector<INT16>, const WCHAR*> expected[] = {
        { { kLetter, 0, 1, 0 }, nullptr },  { { localePaper, 2, 1, 2 }, nullptr }, { { kLetter, 0, 0, 0 }, nullptr },
        { { kLetter, 0, 0, 1 }, noDuplex }, { { kStatement, 0, 0, 0 }, noTray },  { { kB5, 1, 0, 0 }, nullptr },
    };
    for (int row = 0; row < 6; ++row) {
        boxes.clear();
        Choose(IDC_QUICKSET_COMBO, row);
        EXPECT_EQ(row + 1, block.quickSetId);
        std::wstring shown;
        for (const MessageBoxes::Box& box : boxes.shown())
            shown += box.text;
        EXPECT_EQ(expected[row].second ? expected[row].second : L"", shown) << row;
        EXPECT_EQ(expected[row].first, std::vector<INT16>({ block.paperId, block.inputSlot, block.feedEdge, block.duplex }))
            << row;
        const std::vector<int> others = { block.mediaType,  (int)block.copies, block.pagesPerSheet, (int)block.scale,
                                          block.orientation, block.printQuality, block.density };
        const std::vector<int> fitted = { 0, 1, 0, 100, 0, 0, 1 }, kept = { 0, 2, 0, 150, 1, 1, 2 };
        EXPECT_EQ(row == 2 ? fitted : kept, others) << row;
        // The pages show the block.
        EXPECT_EQ(block.paperId, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0)) << row;
        const LRESULT slotRow = SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0);
        EXPECT_EQ(block.inputSlot, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETITEMDATA, slotRow, 0)) << row;
        EXPECT_EQ(block.feedEdge, page->m_pFeedEdge->GetCheck()) << row;
        EXPECT_EQ(block.mediaType, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCURSEL, 0, 0)) << row;
        EXPECT_EQ(block.copies, page->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE)) << row;
        EXPECT_EQ(block.duplex, advanced->m_pDuplex->GetCheck()) << row;
        EXPECT_EQ(block.scale, advanced->m_pScale->GetDlgItemInt(advanced->m_pScale->m_nEditID, nullptr, TRUE));
        EXPECT_EQ(block.density, advanced->m_density.GetFrameValue()) << row;
        EXPECT_EQ(row == 5, IsWindowVisible(Item(IDC_INPUT_SLOT_WARN)) != FALSE) << row;
        // The driver gets the block.
        apply();
        for (const auto& [feature, index] : std::vector<std::pair<std::string, int>>{
                 { "PageSize", block.paperId }, { "JCLInputSlot", block.inputSlot }, { "JCLFeedEdge", block.feedEdge },
                 { "Duplex", block.duplex }, { "JCLDensity", block.density } })
            EXPECT_EQ(core->optionKeywords(feature)[index], WrittenOption(feature)) << row << " " << feature;
    }
}

TEST_F(BasicPageDataFileGui, SavingUnderATakenNameAsksAndReplacesOnlyOnYes)
{
    ShowSheet();
    SaveQuickSet(L"Draft");
    const int first = block.quickSetId;
    SaveQuickSet(L"Other");
    ASSERT_EQ(3, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    const std::string before = QuickSetFile();

    boxes.clear();
    boxes.answer = IDNO;
    ChoosePaper(kLegal);
    SaveQuickSet(L"Draft");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_REPLACE), boxes[0].text);
    EXPECT_EQ(languageString(IDS_QUICKSET_CAPTION), boxes[0].caption);
    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), boxes[0].type);
    EXPECT_EQ(before, QuickSetFile());
    EXPECT_EQ(3, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));

    boxes.answer = IDYES;
    SaveQuickSet(L"Draft");
    ASSERT_EQ(3, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    WCHAR name[64];
    SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETLBTEXT, 1, (LPARAM)name);
    EXPECT_STREQ(L"Other", name);
    SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETLBTEXT, 2, (LPARAM)name);
    EXPECT_STREQ(L"Draft", name);
    EXPECT_EQ(2, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCURSEL, 0, 0));
    EXPECT_NE(first, block.quickSetId);
    const std::string file = QuickSetFile();
    EXPECT_EQ(1u, Count(file, "name=\"Draft\""));
    EXPECT_EQ(0u, Count(file, "id=\"" + std::to_string(first) + "\""));
    // Names differ by letter case.
    boxes.clear();
    SaveQuickSet(L"draft");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(4, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
}

TEST_F(BasicPageDataFileGui, TheSeventeenthSetIsRefusedButASixteenthCanBeReplaced)
{
    ShowSheet();
    for (int i = 1; i < 16; ++i)
        SaveQuickSet((L"Set" + std::to_wstring(i)).c_str());
    ASSERT_EQ(16, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    EXPECT_TRUE(boxes.empty());
    const std::string full = QuickSetFile();

    SaveQuickSet(L"Set16");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_FULL), boxes[0].text);
    EXPECT_EQ(languageString(IDS_QUICKSET_CAPTION), boxes[0].caption);
    EXPECT_EQ(UINT(MB_ICONEXCLAMATION), boxes[0].type);
    EXPECT_EQ(full, QuickSetFile());

    boxes.clear();
    boxes.answer = IDYES;
    ChoosePaper(kLegal);
    SaveQuickSet(L"Set5");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_REPLACE), boxes[0].text);
    EXPECT_EQ(16, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    const std::string file = QuickSetFile();
    EXPECT_EQ(1u, Count(file, "name=\"Set5\""));
    EXPECT_NE(full, file);
}

TEST_F(BasicPageDataFileGui, AFailedSaveIsToldAndKeepsTheOldSet)
{
    ShowSheet();
    SaveQuickSet(L"Draft");
    const int id = block.quickSetId;
    // The replacing file cannot be put in the old one's place.
    const std::string before = QuickSetFile();
    g_DataFileCalls.MoveFileExW = [](LPCWSTR, LPCWSTR, DWORD) -> BOOL {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    boxes.clear();
    boxes.answer = IDYES;
    SaveQuickSet(L"Draft");
    ResetDataFileCalls();
    EXPECT_EQ(before, QuickSetFile());
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_CAPTION), boxes[1].caption);
    EXPECT_EQ(2, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(id, (int)SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETITEMDATA, 1, 0));
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Item name=\"Draft\" id=\"" + std::to_string(id) + "\""));
}

TEST_F(BasicPageDataFileGui, FailedWritesAreToldAndAFailedSaveNeverReachesTheFileLater)
{
    ShowSheet();
    SaveQuickSet(L"Draft");
    const int draft = block.quickSetId;
    g_DataFileCalls.MoveFileExW = [](LPCWSTR, LPCWSTR, DWORD) -> BOOL {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    boxes.clear();
    SaveQuickSet(L"Lost");
    Choose(IDC_QUICKSET_COMBO, 1);
    Click(Item(IDC_QUICKSET_DELETE));
    ResetDataFileCalls();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_NOT_SAVED), boxes[0].text);
    EXPECT_EQ(languageString(IDS_QUICKSET_NOT_DELETED), boxes[1].text);
    EXPECT_EQ(languageString(IDS_QUICKSET_CAPTION), boxes[1].caption);
    EXPECT_EQ(2, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0)) << "the set stays listed";
    EXPECT_EQ(1, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(draft, block.quickSetId);

    SaveQuickSet(L"Other");
    const std::string file = QuickSetFile();
    EXPECT_EQ(0u, Count(file, "name=\"Lost\""));
    EXPECT_EQ(1u, Count(file, "name=\"Draft\""));
    EXPECT_EQ(1u, Count(file, "name=\"Other\""));
}

TEST_F(BasicPageDataFileGui, ASaveKeepsAndListsTheSetAnotherSheetSavedMeanwhile)
{
    ShowSheet();
    {
        CQuickSetting other(printer.handle(), context->settings);
        _QS_STRUCK set = other.GetItem(0);
        set.name = L"Elsewhere";
        set.id = 1;
        ASSERT_EQ(S_OK, other.AddItem(set));
    }
    SaveQuickSet(L"Here");
    HWND combo = Item(IDC_QUICKSET_COMBO);
    ASSERT_EQ(3, SendMessageW(combo, CB_GETCOUNT, 0, 0));
    WCHAR name[64];
    SendMessageW(combo, CB_GETLBTEXT, 1, (LPARAM)name);
    EXPECT_STREQ(L"Elsewhere", name);
    EXPECT_EQ(2, SendMessageW(combo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(2, block.quickSetId) << "an id free in the file";
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Item name=\"Elsewhere\" id=\"1\""));
}

TEST_F(BasicPageDataFileGui, DeletingASetRemovesItFromTheFileAndTheList)
{
    ShowSheet();
    SaveQuickSet(L"Draft");
    ASSERT_EQ(1u, Count(QuickSetFile(), "name=\"Draft\""));
    Click(Item(IDC_QUICKSET_DELETE));
    EXPECT_EQ(0u, Count(QuickSetFile(), "name=\"Draft\""));
    EXPECT_EQ(1, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCOUNT, 0, 0));
    ExpectUnsaved();
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_DELETE)));
    // The default set can be chosen but neither deleted nor saved over.
    Choose(IDC_QUICKSET_COMBO, 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_DELETE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_SAVE)));
}

TEST_F(BasicPageDataFileGui, AStaleListActsOnlyOnTheSetsTheFileStillHolds)
{
    ShowSheet();
    // Another sheet deletes the set and saves one of its own under the freed id.
    auto replaceElsewhere = [&](int id, const wchar_t* name) {
        CQuickSetting other(printer.handle(), context->settings);
        _QS_STRUCK set = other.GetItem(0);
        ASSERT_EQ(S_OK, other.DeleteItem(id));
        set.name = name;
        set.id = id;
        set.paper.sizeIndex = kLegal;
        ASSERT_EQ(S_OK, other.AddItem(set));
    };
    SaveQuickSet(L"Old");
    replaceElsewhere(1, L"New");
    boxes.clear();
    Click(Item(IDC_QUICKSET_DELETE));
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Item name=\"New\" id=\"1\""));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_GONE), boxes[0].text);
    ExpectUnsaved();

    SaveQuickSet(L"Mine");   // id 2, shown at row 2
    replaceElsewhere(2, L"Theirs");
    Choose(IDC_QUICKSET_COMBO, 2);
    EXPECT_NE(kLegal, block.paperId) << "not the other set's values";
    ExpectUnsaved();
    WCHAR name[64];
    SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETLBTEXT, 2, (LPARAM)name);
    EXPECT_STREQ(L"Theirs", name) << "the list shows the file";

    SaveQuickSet(L"Mine2");   // id 3
    replaceElsewhere(3, L"Yours");
    boxes.answer = IDYES;
    SaveQuickSet(L"Mine2");
    const std::string file = QuickSetFile();
    EXPECT_EQ(1u, Count(file, "<Item name=\"Yours\" id=\"3\""));
    EXPECT_EQ(1u, Count(file, "name=\"Mine2\""));
}

TEST_F(BasicPageDataFileGui, ChoosingOrSavingASetTakesTheCustomPapersAsTheFileNumbersThem)
{
    auto paper = &CustomPaper;
    // Another sheet deletes a paper: its quick sets follow in the file.
    auto deleteElsewhere = [&](const wchar_t* name, std::vector<PAPER_INFO> left) {
        ASSERT_TRUE(customPapers.write(left));
        CQuickSetting other(printer.handle(), context->settings);
        ASSERT_TRUE(SUCCEEDED(other.FollowCustomPaperDeletion(257, name, L"A4", kA4)));
    };
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ paper(L"Small", 100), paper(L"Big", 200),
                                                            paper(L"Last", 150) }));
    ShowSheet();
    const int standard = (int)context->settings->PaperList().GetStandardCount();
    ChoosePaper(standard + 1);
    SaveQuickSet(L"Big set");
    deleteElsewhere(L"Small", { paper(L"Big", 200), paper(L"Last", 150) });
    ChoosePaper(kLegal);
    Choose(IDC_QUICKSET_COMBO, 1);
    EXPECT_EQ(257, block.paperId);
    EXPECT_EQ(L"Big", Text(Item(IDC_PAPER_SIZE)));
    apply();
    EXPECT_EQ("566 566 0 0 ShortEdge", WrittenOption("%CustomPageSize")) << "Big's size";

    deleteElsewhere(L"Big", { paper(L"Last", 150) });
    ChoosePaper(standard + 1);   // Last, as this sheet still lists it
    SaveQuickSet(L"Last set");
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Size name=\"Last\" index=\"257\""));
    EXPECT_EQ(257, block.paperId);
}

namespace {

// The other sheet's step run at the moment this sheet takes the quick sets' lock.
std::function<void()> g_atSetsLock;
HANDLE WINAPI StepAtSetsLock(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile)
{
    const std::wstring name = path;
    const std::wstring lock = L"bq2100PS_qs.xml.lock";
    if (g_atSetsLock && name.size() >= lock.size() && name.compare(name.size() - lock.size(), lock.size(), lock) == 0) {
        auto step = std::move(g_atSetsLock);
        g_atSetsLock = nullptr;
        step();
    }
    return CreateFileW(path, access, share, security, disposition, flags, templateFile);
}

} // namespace

TEST_F(BasicPageDataFileGui, ASetSavedWhileAnotherSheetDeletesAPaperNamesItsPaperAsTheFileNumbersIt)
{
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Small", 100), CustomPaper(L"Big", 200),
                                                            CustomPaper(L"Last", 150), CustomPaper(L"Extra", 120) }));
    ShowSheet();
    ChoosePaper((int)context->settings->PaperList().GetStandardCount() + 2);
    // Between this sheet's read of the papers and its write of the set,
    // another sheet deletes Small as a deletion does: the papers, then the
    // sets, under the paper file's lock.
    g_atSetsLock = [&]() {
        char path[MAX_PATH] = {};
        ASSERT_EQ(S_OK, BuildDataFilePath(path, CUSTOM_PAPER_FILE_NAME));
        CDataFileLock lock(path);
        if (!lock.Held())
            return;
        ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Big", 200), CustomPaper(L"Last", 150),
                                                                CustomPaper(L"Extra", 120) }));
        CQuickSetting other(printer.handle(), context->settings);
        other.FollowCustomPaperDeletion(257, L"Small", L"A4", kA4);
    };
    g_DataFileCalls.CreateFileW = &StepAtSetsLock;
    g_DataFileCalls.Sleep = [](DWORD) {};
    SaveQuickSet(L"Last set");
    g_atSetsLock = nullptr;
    CQuickSetting stored(printer.handle(), context->settings);
    ASSERT_EQ(2, stored.GetCount());
    const int number = stored.GetItem(1).paper.sizeIndex;
    const std::string papers = customPapers.read().value_or("");
    ASSERT_LT((size_t)(number - 257) * sizeof(PAPER_INFO), papers.size());
    PAPER_INFO named;
    memcpy(&named, papers.data() + (number - 257) * sizeof(PAPER_INFO), sizeof named);
    EXPECT_STREQ(L"Last", named.name) << "the set's number " << number;

    // A choice waits for the papers a bounded time, then is told and not made.
    char path[MAX_PATH] = {};
    ASSERT_EQ(S_OK, BuildDataFilePath(path, CUSTOM_PAPER_FILE_NAME));
    CDataFileLock held(path);
    ASSERT_TRUE(held.Held());
    ChoosePaper(kLegal);
    boxes.clear();
    Choose(IDC_QUICKSET_COMBO, 1);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(languageString(IDS_QUICKSET_NOT_READ), boxes[0].text);
    EXPECT_EQ(kLegal, block.paperId);
}

TEST_F(BasicPageDataFileGui, ANumberTheListLackedStaysThePaperShownWhenAPaperComesUnderIt)
{
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Only", 100) }));
    StartSheet();
    block.paperId = 258;   // deleted elsewhere
    ShowSheet();
    ResetApply();
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Only", 100), CustomPaper(L"Later", 120) }));
    SaveQuickSet(L"Set");
    DEFAULT_SETTINGS defaults;
    const INT16 shown = (INT16)LocaleDefaultPaper(*LoadDefaultSettings(&defaults)).paperId;
    EXPECT_EQ(shown, block.paperId);
    EXPECT_EQ(shown, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(shown, context->quickSettings->GetItem(1).paper.sizeIndex);
    EXPECT_TRUE(applyEnabled());
}

TEST_F(BasicPageDataFileGui, APaperReadAgainBringsTheLocksIndicatorsAndApplyIntoStep)
{
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Card", 100) }));
    StartSheet();
    block.paperId = 257;
    ShowSheet();
    ShowAdvancedPage();
    HWND duplex = context->pageLink->advancedPage->m_pDuplex->m_hWnd;
    ASSERT_FALSE(IsWindowEnabled(page->m_pFeedEdge->m_hWnd));
    ASSERT_FALSE(IsWindowEnabled(duplex));

    // Resized elsewhere: the driver is to get the new size.
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ CustomPaper(L"Card", 150) }));
    ResetApply();
    SaveQuickSet(L"Resized");
    EXPECT_TRUE(applyEnabled());
    apply();
    EXPECT_EQ("425 566 0 0 ShortEdge", WrittenOption("%CustomPageSize"));

    // Deleted elsewhere: the default paper, with its own locks.
    ASSERT_TRUE(customPapers.write(std::string()));
    SaveQuickSet(L"Deleted");
    EXPECT_LT(block.paperId, FIRST_CUSTOM_PAPER_ID);
    EXPECT_TRUE(IsWindowEnabled(page->m_pFeedEdge->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_FEEDEDGE_WARN)));
    EXPECT_TRUE(IsWindowEnabled(duplex));
}

TEST_F(BasicPageDataFileGui, TypedNamesLoseTheRefusedCharacters)
{
    ShowSheet();
    Type(QuickSetEdit(), L"a.b:c");
    EXPECT_EQ(L"abc", Text(Item(IDC_QUICKSET_COMBO)));
    DWORD start = 0, end = 0;
    SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETEDITSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(3u, start);
    EXPECT_EQ(3u, end);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_QUICKSET_SAVE)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_DELETE)));
    Type(QuickSetEdit(), L"   ");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_QUICKSET_SAVE)));
}

TEST_F(BasicPageDataFileGui, ASetWithACustomPaperIsRecalledWithThatPaper)
{
    PAPER_INFO custom = {};
    custom.unit = PAPER_UNIT_INCH;
    SetPaperName(&custom, L"Wide");
    SetPaperSize(&custom, 8.5f, 11.0f, TRUE, 72);
    ASSERT_TRUE(customPapers.write(std::vector<PAPER_INFO>{ custom }));
    ShowSheet();
    const int rows = (int)SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0);
    ChoosePaper(rows - 1);
    EXPECT_EQ(257, block.paperId);
    SaveQuickSet(L"Wide set");
    const int id = block.quickSetId;
    EXPECT_EQ(1u, Count(QuickSetFile(), "index=\"257\""));
    ChoosePaper(kLetter);
    Choose(IDC_QUICKSET_COMBO, 1);
    EXPECT_EQ(257, block.paperId);
    EXPECT_EQ(rows - 1, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    pumpMessages();
    EXPECT_EQ(id, block.quickSetId);
}

TEST_F(BasicPageDataFileGui, ACustomPaperNamedLikeAStandardOneButForCaseStaysItself)
{
    StartSheet();
    PAPER_INFO custom = {};
    SetPaperName(&custom, L"a4");
    SetPaperSize(&custom, 210.0f, 297.0f, FALSE, 72);
    ASSERT_EQ(0, context->settings->PaperList().AddCustomPaper(&custom));
    ShowSheet();
    const int row = (int)SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0) - 1;
    HWND popup = page->m_pPaperPopup->m_hWnd;
    // A click on the paper's row of the open popup: the pointer selected it.
    SendMessageW(popup, WM_PAPER_POPUP_TOGGLE, 0, 0);
    page->m_pPaperPopup->m_list.SelectRow(row);
    NMHDR click = { page->m_pPaperPopup->m_list.m_hWnd, IDC_PAPER_LIST, (UINT)NM_CLICK };
    SendMessageW(popup, WM_NOTIFY, IDC_PAPER_LIST, (LPARAM)&click);
    pumpMessages();
    EXPECT_EQ(257, block.paperId);
    EXPECT_EQ(row, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"a4", Text(Item(IDC_PAPER_SIZE)));
    SendMessageW(popup, WM_PAPER_POPUP_TOGGLE, 0, 0);
    EXPECT_EQ(row, page->m_pPaperPopup->m_list.GetNextItem(-1, LVNI_SELECTED));
}

// --- apply -------------------------------------------------------------------------

TEST_F(BasicPageDataFileGui, BeforeApplyAnAutomaticSlotTakesTheTrayHoldingThePaper)
{
    CArray<PAPER_INFO> trayPapers;
    StartSheet();
    context->settings->PaperList().GetTrayPaperList(&trayPapers);
    ASSERT_GE(trayPapers.GetSize(), 3);
    block.paperId = (INT16)trayPapers[2].id;
    block.inputSlot = 0;
    // Both trays hold the paper: tray 1 is taken.
    setInstallableInfo(true, 2, true, 2);
    ShowSheet();
    apply();
    std::vector<std::string> written = core->writtenPairs();
    ASSERT_EQ(4u, written.size());
    EXPECT_EQ("JCLInputSlot=OptionalTray1", written[2]);

    // Tray 2 alone holds it.
    setInstallableInfo(true, 1, true, 2);
    apply();
    EXPECT_EQ("OptionalTray2", WrittenOption("JCLInputSlot"));
    // Entry 0 of the tray list is "*", which holds no paper.
    setInstallableInfo(true, 0, true, 0);
    apply();
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ("JCLInputSlot=Auto", core->writtenPairs()[2]);
}

TEST_F(BasicPageDataFileGui, TheTrayAnApplyPicksStaysThatApplysAndTheSlotStaysAutomatic)
{
    StartSheet();
    const DWORD letter = TrayPaperIndex(kLetter);
    ASSERT_NE(0u, letter);
    setInstallableInfo(true, letter, false, 0);
    block.paperId = kLetter;
    block.inputSlot = 0;
    ShowSheet();
    apply();
    EXPECT_EQ("OptionalTray1", WrittenOption("JCLInputSlot"));
    EXPECT_EQ(0, block.inputSlot);
    SaveQuickSet(L"After apply");
    EXPECT_EQ(0, context->quickSettings->GetItem(1).paper.inputSlotIndex);

    // Opened again on what the apply gave the driver: automatic, as chosen.
    restart();
    EXPECT_EQ(0, block.inputSlot);
    ShowSheet();
    ChoosePaper(kA4);   // in no tray
    apply();
    EXPECT_EQ("Auto", WrittenOption("JCLInputSlot"));

    // Tray 1 chosen by hand stays tray 1.
    ChoosePaper(kLetter);
    Choose(IDC_INPUT_SLOT, 3);
    apply();
    restart();
    EXPECT_EQ(3, block.inputSlot);
}

TEST_F(BasicPageDataFileGui, AnApplyGivesAPaperNumberTheListLacksThePaperThePageShows)
{
    StartSheet();
    block.paperId = 258;   // deleted elsewhere: no custom paper is left
    ShowSheet();
    DEFAULT_SETTINGS defaults;
    const INT16 shown = (INT16)LocaleDefaultPaper(*LoadDefaultSettings(&defaults)).paperId;
    EXPECT_EQ(shown, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(258, block.paperId) << "kept until the apply";
    apply();
    EXPECT_EQ(shown, block.paperId);
    EXPECT_EQ(core->optionKeywords("PageSize")[shown], WrittenOption("PageSize"));
}

TEST_F(BasicPageDataFileGui, BeforeApplyATrayThePageRefusesIsNotPicked)
{
    StartSheet();
    const DWORD a5 = TrayPaperIndex(kA5);
    ASSERT_NE(0u, a5);
    setInstallableInfo(true, a5, true, a5);
    block.paperId = kA5;
    block.feedEdge = 1;
    block.inputSlot = 0;
    ShowSheet();
    apply();
    EXPECT_EQ(0, block.inputSlot);
    EXPECT_EQ("Auto", WrittenOption("JCLInputSlot"));
    EXPECT_EQ("LongEdge", WrittenOption("JCLFeedEdge"));
}

// --- the custom-paper dialog --------------------------------------------------------

namespace {

CPaperList* g_papers = nullptr;
HWND g_sheet = nullptr;
int g_modalRuns = 0;

BOOL CALLBACK CancelModal(HWND window, LPARAM)
{
    if (window != g_sheet && IsWindowVisible(window) && !IsWindowEnabled(g_sheet)) {
        WCHAR name[32] = {};
        GetClassNameW(window, name, 32);
        if (lstrcmpW(name, L"#32770") == 0 && GetWindow(window, GW_OWNER) == g_sheet) {
            ++g_modalRuns;
            PAPER_INFO paper = {};
            paper.unit = PAPER_UNIT_MM;
            SetPaperName(&paper, L"Card");
            SetPaperSize(&paper, 100.0f, 150.0f, FALSE, 72);
            g_papers->AddCustomPaper(&paper);
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return FALSE;
        }
    }
    return TRUE;
}

void CALLBACK WatchModal(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_modalRuns)
        EnumThreadWindows(GetCurrentThreadId(), &CancelModal, 0);
}

} // namespace

TEST_F(BasicPageDataFileGui, TheCustomPaperButtonRunsItsDialogThenRefillsThePapers)
{
    ShowSheet();
    const int rows = (int)SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0);
    EXPECT_EQ(languageString(IDS_CUSTOM_PAPER),
              std::wstring(page->m_tip.FindTool(Item(IDC_CUSTOM_PAPER))->strText.GetString()));
    g_papers = &context->settings->PaperList();
    g_sheet = sheetWindow;
    g_modalRuns = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &WatchModal);
    Click(Item(IDC_CUSTOM_PAPER));
    KillTimer(nullptr, timer);
    EXPECT_EQ(1, g_modalRuns);
    EXPECT_TRUE(IsWindowEnabled(sheetWindow));
    ASSERT_EQ(rows + 1, SendMessageW(Item(IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(std::wstring(L"Card"), page->m_pPaperPopup->m_list.GetItemText(rows, 0).GetString());
    EXPECT_EQ(std::wstring(L"100.0"), page->m_pPaperPopup->m_list.GetItemText(rows, 1).GetString());
}

// --- longer option lists -------------------------------------------------------------

namespace {

// The printer's PPD with an eighth media type and a sixth input slot.
std::unique_ptr<CoreDriver> LongerListsDriver()
{
    std::optional<std::string> text = readFile(programFile(L"bq2100PS.ppd"));
    if (!text)
        return nullptr;
    auto insert = [&](const std::string& before, const std::string& line) {
        size_t at = text->find(before);
        if (at != std::string::npos)
            text->insert(at, line);
    };
    insert("*JCLCloseUI: *JCLMediaType", "*JCLMediaType Card/Card Stock: \"@PJL SET MEDIATYPE = CARD<0A>\"\n");
    insert("*JCLCloseUI: *JCLInputSlot", "*JCLInputSlot Envelope/Envelope Feeder: \"@PJL SET MEDIASOURCE = ENV<0A>\"\n");
    return std::make_unique<CoreDriver>(PpdModel::parse(*text));
}

class BasicPageLongerLists : public BasicPage {
protected:
    void SetUp() override
    {
        core = LongerListsDriver();
        BasicPage::SetUp();
    }
};
typedef BasicPageLongerLists BasicPageLongerListsDataFileGui;

// The printer's PPD without "JCLMediaType" (its feature and its constraints).
class BasicPageWithoutMedia : public BasicPage {
protected:
    void SetUp() override
    {
        std::optional<std::string> text = readFile(programFile(L"bq2100PS.ppd"));
        ASSERT_TRUE(text);
        std::istringstream in(*text);
        std::string line, kept;
        while (std::getline(in, line))
            if (line.find("JCLMediaType") == std::string::npos)
                kept += line + "\n";
        core = std::make_unique<CoreDriver>(PpdModel::parse(kept));
        BasicPage::SetUp();
    }
};
typedef BasicPageWithoutMedia BasicPageWithoutMediaDataFileGui;

} // namespace

TEST_F(BasicPageWithoutMediaDataFileGui, ASetSavedWithoutTheFeatureKeepsTheInputSlotWhenRecalled)
{
    StartSheet();
    block.inputSlot = 2;
    ShowSheet();
    ASSERT_EQ(0, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCOUNT, 0, 0));
    SaveQuickSet(L"No media");
    EXPECT_EQ(0u, Count(QuickSetFile(), "index=\"-1\"")) << QuickSetFile();
    Choose(IDC_QUICKSET_COMBO, 0);   // the default set, then this one again
    Choose(IDC_QUICKSET_COMBO, 1);
    EXPECT_EQ(2, block.inputSlot);
    EXPECT_EQ(2, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCURSEL, 0, 0));
    apply();
    EXPECT_EQ("Manual", WrittenOption("JCLInputSlot"));
    EXPECT_EQ(2, block.inputSlot);
}

TEST_F(BasicPageLongerListsDataFileGui, OptionsPastTheNameTablesShowTheirOwnNames)
{
    ShowSheet();
    ASSERT_EQ(8, SendMessageW(Item(IDC_MEDIA_TYPE), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(languageString(5065), ComboRow(Item(IDC_MEDIA_TYPE), 6));
    EXPECT_EQ(L"Card Stock", ComboRow(Item(IDC_MEDIA_TYPE), 7));
    // No tray fitted: options 0, 1, 2 and 5.
    ASSERT_EQ(4, SendMessageW(Item(IDC_INPUT_SLOT), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Envelope Feeder", ComboRow(Item(IDC_INPUT_SLOT), 3));
    EXPECT_EQ(5, (int)SendMessageW(Item(IDC_INPUT_SLOT), CB_GETITEMDATA, 3, 0));
    Choose(IDC_INPUT_SLOT, 3);
    EXPECT_EQ(5, block.inputSlot);
}

TEST_F(BasicPageDataFileGui, OpeningOnASavedSetKeepsItChosen)
{
    StartSheet();
    block.quickSetId = 0;   // the default set
    publicDm.dmCopies = 5;
    block.copies = 1;
    ShowSheet();
    EXPECT_EQ(5u, block.copies);
    EXPECT_EQ(0, block.quickSetId);
    EXPECT_EQ(0, SendMessageW(Item(IDC_QUICKSET_COMBO), CB_GETCURSEL, 0, 0));
    EXPECT_EQ(languageString(IDS_QUICKSET_DEFAULT), Text(Item(IDC_QUICKSET_COMBO)));
    EXPECT_EQ(16, SendMessageW(QuickSetEdit(), EM_GETLIMITTEXT, 0, 0));
}

TEST_F(BasicPageDataFileGui, ThePointerOverAPictureTracksItsTipUntilItLeaves)
{
    ShowSheet();
    HWND save = Item(IDC_QUICKSET_SAVE);
    SendMessageW(page->m_hWnd, WM_SETCURSOR, (WPARAM)save, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(save, page->m_tip.GetTrackedControl());
    EXPECT_EQ(languageString(IDS_QUICKSET_SAVE_TIP), std::wstring(page->m_tip.FindTool(save)->strText.GetString()));
    SendMessageW(page->m_hWnd, WM_PICTURE_LEFT, 0, 0);
    EXPECT_EQ(nullptr, page->m_tip.GetTrackedControl());
    pumpMessages();
}

// --- keyboard ----------------------------------------------------------------------

TEST_F(BasicPageDataFileGui, EverySettingIsReachedInReadingOrderAndSetWithTheKeys)
{
    ShowSheet();
    const KeyLoop keys = sheetLoop(sheetWindow);
    SetFocus(Item(IDC_QUICKSET_COMBO));
    // The sub-dialogs where their placeholders stand; the quick-set buttons
    // wait for a name and a saved set.
    const std::vector<int> order = { IDC_QUICKSET_COMBO, IDC_COPIES_EDIT, IDC_COLLATE,    IDC_PAPER_SIZE,
                                     IDC_CUSTOM_PAPER,   IDC_MEDIA_TYPE,  IDC_INPUT_SLOT, IDC_FEEDEDGE_SHORT,
                                     IDC_BASIC_DEFAULT };
    EXPECT_EQ(order, tabStops(keys, page->m_hWnd));
    EXPECT_EQ(backwards(order), tabStops(keys, page->m_hWnd, true));

    pressKey(keys, VK_END);
    pressKey(keys, VK_HOME, KEY_SHIFT);
    typeText(keys, L"Keys");
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Item name=\"Keys\""));
    // A button its own press disables hands the focus back to the name.
    ASSERT_EQ(QuickSetEdit(), GetFocus()) << "after the save";
    pressKey(keys, VK_TAB);
    EXPECT_EQ(Item(IDC_QUICKSET_DELETE), GetFocus()) << "the saved set's delete button joins in";
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(0u, Count(QuickSetFile(), "<Item name=\"Keys\""));
    EXPECT_EQ(QuickSetEdit(), GetFocus()) << "after the delete";
    pressKey(keys, VK_TAB);
    typeText(keys, L"7");
    EXPECT_EQ(7u, block.copies);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(1, block.collate);

    // F4 opens the paper popup, Down and Enter choose; Alt+Down opens it
    // again, Escape closes it without a choice.
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_F4);
    EXPECT_TRUE(page->m_pPaperPopup->IsWindowVisible());
    EXPECT_FALSE(SendMessageW(Item(IDC_PAPER_SIZE), CB_GETDROPPEDSTATE, 0, 0));
    pressKey(keys, VK_DOWN);
    pressKey(keys, VK_RETURN);
    EXPECT_EQ(kA4, block.paperId);
    pressKey(keys, VK_DOWN, KEY_ALT);
    EXPECT_TRUE(page->m_pPaperPopup->IsWindowVisible());
    pressKey(keys, VK_END);
    pressKey(keys, VK_ESCAPE);
    EXPECT_FALSE(page->m_pPaperPopup->IsWindowVisible());
    EXPECT_EQ(kA4, block.paperId);

    pressKey(keys, VK_TAB);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_END);   // the last media type leaves the input slot free
    EXPECT_EQ(6, block.mediaType);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_DOWN);
    EXPECT_EQ(1, block.inputSlot);
    pressKey(keys, VK_TAB);
    for (const auto& key : std::vector<std::pair<UINT, int>>{ { VK_RIGHT, 1 }, { VK_RIGHT, 0 }, { VK_UP, 1 } }) {
        pressKey(keys, key.first);
        EXPECT_EQ(key.second, block.feedEdge);
    }
    // The group's one tab stop is its choice.
    pressKey(keys, VK_TAB, KEY_SHIFT);
    pressKey(keys, VK_TAB);
    EXPECT_EQ(GetDlgItem(page->m_pFeedEdge->m_hWnd, IDC_FEEDEDGE_LONG), GetFocus());
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(0, block.feedEdge) << "Default";
    EXPECT_EQ(1u, block.copies);
}

// Enter on the focused save picture presses it, as on a push button.
TEST_F(BasicPageDataFileGui, EnterOnTheFocusedSavePictureSavesTheSet)
{
    ShowSheet();
    Type(QuickSetEdit(), L"Keys");
    SetFocus(Item(IDC_QUICKSET_SAVE));
    pressKey(sheetLoop(sheetWindow), VK_RETURN);
    EXPECT_EQ(1u, Count(QuickSetFile(), "<Item name=\"Keys\""));
}

// F4, Alt+Down and Alt+Up close the paper popup as they open it; after Alt+F4
// hid it, the next F4 opens it with its list holding the keys.
TEST_F(BasicPageDataFileGui, TheKeysThatOpenThePaperPopupCloseIt)
{
    ShowSheet();
    const KeyLoop keys = sheetLoop(sheetWindow);
    SetFocus(Item(IDC_PAPER_SIZE));
    for (const auto& [key, modifiers] : { std::pair<UINT, UINT>{ VK_F4, 0 }, { VK_DOWN, KEY_ALT },
                                          { VK_UP, KEY_ALT }, { VK_F4, KEY_ALT } }) {
        pressKey(keys, VK_F4);
        pressKey(keys, key, modifiers);
        EXPECT_FALSE(page->m_pPaperPopup->IsWindowVisible()) << key << " " << modifiers;
    }
    pressKey(keys, VK_F4);
    pressKey(keys, VK_DOWN);
    pressKey(keys, VK_RETURN);
    EXPECT_EQ(kA4, block.paperId);
}
