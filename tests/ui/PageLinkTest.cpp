// The page link without its pages: quick-set names, the combo lookup, the
// quick set captured from and applied to the private block, the busy flag,
// the unsaved marking and the constraint rules fed from the block. The link
// is the one a document sheet's start makes (through the recording sheet
// callback), over the core driver's Q2100 PPD; the start reads the data files.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "framework/Afx.h"
#include "ui/PageLink.h"

#include <commctrl.h>
#include <string>
#include <vector>

using namespace harness;

// --- names -------------------------------------------------------------------------

TEST(PageLinkNames, ANameWithARefusedCharacterIsNotValid)
{
    EXPECT_FALSE(IsValidQuickSetName(nullptr));
    EXPECT_TRUE(IsValidQuickSetName(L""));
    EXPECT_TRUE(IsValidQuickSetName(L"Draft - A&B [2] {x} 50% #1 !"));
    for (const wchar_t* refused = L"<>(),;?:|\\/'.\"*"; *refused; ++refused) {
        const wchar_t name[] = { L'a', *refused, L'b', 0 };
        EXPECT_FALSE(IsValidQuickSetName(name)) << (char)*refused;
    }
}

TEST(PageLinkNames, StrippingRemovesEveryRefusedCharacterInPlace)
{
    wchar_t letters[] = L"a.b:c";
    EXPECT_EQ(letters, StripRefusedNameChars(letters));
    EXPECT_STREQ(L"abc", letters);
    wchar_t dots[] = L"..";
    EXPECT_STREQ(L"", StripRefusedNameChars(dots));
    wchar_t all[] = L"<x>(y),;?:|\\/'.\"*z*";
    EXPECT_STREQ(L"xyz", StripRefusedNameChars(all));
    wchar_t kept[] = L"Report - A&B";
    EXPECT_STREQ(L"Report - A&B", StripRefusedNameChars(kept));
    EXPECT_EQ(nullptr, StripRefusedNameChars(nullptr));
}

// --- the combo lookup --------------------------------------------------------------

TEST(PageLinkComboGui, TheFirstRowWithTheDataElseRowZero)
{
    CAfxTempMapLock lock;
    TestFrame frame;
    EXPECT_EQ(0, GetComboIndexByData(nullptr, 3));
    for (const wchar_t* cls : { L"COMBOBOX", WC_COMBOBOXEXW }) {
        SCOPED_TRACE(testing::Message() << (cls[0] == L'C' && cls[1] == L'O' ? "combo box" : "extended"));
        HWND combo = CreateWindowExW(0, cls, nullptr, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 0, 100, 200,
                                     frame.hwnd(), (HMENU)1, nullptr, nullptr);
        ASSERT_NE(nullptr, combo);
        CWnd* wrapper = CWnd::FromHandle(combo);
        EXPECT_EQ(0, GetComboIndexByData(wrapper, 0));   // no rows
        const int data[] = { 4, 7, 7, -1 };
        for (int i = 0; i < 4; ++i) {
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<LPWSTR>(L"row");
            LRESULT row = cls[0] == L'C' && cls[1] == L'O' ? SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)L"row")
                                                            : SendMessageW(combo, CBEM_INSERTITEMW, 0, (LPARAM)&item);
            ASSERT_EQ(i, row);
            SendMessageW(combo, CB_SETITEMDATA, (WPARAM)i, (LPARAM)data[i]);
        }
        EXPECT_EQ(1, GetComboIndexByData(wrapper, 7));
        EXPECT_EQ(3, GetComboIndexByData(wrapper, -1));
        EXPECT_EQ(0, GetComboIndexByData(wrapper, 4));
        EXPECT_EQ(0, GetComboIndexByData(wrapper, 5));
        DestroyWindow(combo);
    }
}

// --- the sheet's link --------------------------------------------------------------

namespace {

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

// A document sheet's start (no page shown): its context and page link.
class PageLink : public ::testing::Test {
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
        ASSERT_TRUE(context && context->pageLink && context->pageLink->constraints && context->devmode);
        link = context->pageLink;
        g_boxes.clear();
        g_seams.MessageBoxW = &RecordBox;
    }
    void TearDown() override
    {
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

    std::wstring String(UINT id) const
    {
        WCHAR text[512] = {};
        LoadStringW(context->resources->module, id, text, 512);
        return text;
    }
    DWORD Word(int word) const { return link->constraints->word[word]; }
    // The sheet start copied the driver's selections: a known block from here on.
    void Fill(PRIVATE_DEVMODE* b)
    {
        b->quickSetId = 3;
        b->paperId = 2;
        b->mediaType = 1;
        b->inputSlot = 2;
        b->feedEdge = 1;
        b->copies = 5;
        b->collate = 1;
        b->duplex = 2;
        b->pagesPerSheet = 3;
        b->pageBorder = 1;
        b->scale = 150;
        b->orientation = 1;
        b->rotate180 = 1;
        b->tonerSaving = 1;
        b->density = 2;
        b->printQuality = 1;
        b->fineGraphics = 1;
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
    PAGE_LINK* link = nullptr;
};

typedef PageLink PageLinkDataFile;

} // namespace

TEST_F(PageLinkDataFile, TheLinkKnowsTheSheetAndNoPageYet)
{
    EXPECT_EQ(0, link->busy);
    EXPECT_EQ(nullptr, link->basicPage);
    EXPECT_EQ(nullptr, link->advancedPage);
    EXPECT_EQ(context->devmode, link->devmode);
    EXPECT_EQ(&block, link->devmode->pPrivate);
    EXPECT_EQ(context->resources, link->resources);
    EXPECT_EQ(context->settings, link->settings);
    for (int w = 0; w < CONSTRAINT_WORDS; ++w)
        EXPECT_EQ(0u, Word(w)) << w;
}

TEST_F(PageLinkDataFile, WithoutPagesTheQuickSetIsCapturedFromTheBlock)
{
    Fill(&block);
    _QS_STRUCK record;
    record.name = L"kept";
    CaptureQuickSetting(link, &record);
    EXPECT_EQ(L"kept", record.name);   // the name comes from the Basic page only
    EXPECT_EQ(3, record.id);
    EXPECT_EQ(2, record.paper.sizeIndex);
    EXPECT_EQ(1, record.paper.mediaIndex);
    EXPECT_EQ(2, record.paper.inputSlotIndex);
    EXPECT_EQ(1, record.paper.feedEdgeIndex);
    EXPECT_EQ(5, record.copies);
    EXPECT_TRUE(record.collate);
    EXPECT_EQ(2, record.duplexIndex);
    EXPECT_EQ(3, record.pagesPerSheet);
    EXPECT_TRUE(record.pageBorder);
    EXPECT_EQ(150, record.scale);
    EXPECT_EQ(1, record.orientationIndex);
    EXPECT_TRUE(record.rotate180);
    EXPECT_EQ(1, record.resolutionIndex);
    EXPECT_TRUE(record.tonerEconomy);
    EXPECT_EQ(2, record.density);
    for (const CString* name : { &record.paper.sizeName, &record.paper.mediaName, &record.paper.inputSlotName,
                                 &record.paper.feedEdgeName, &record.duplexName, &record.orientationName,
                                 &record.resolutionName })
        EXPECT_EQ(L"Uninitialized", *name);
}

TEST_F(PageLinkDataFile, OutOfRangeValuesAreCapturedAsTheDefaults)
{
    Fill(&block);
    block.quickSetId = -1;
    block.copies = 0x1FFFF;   // the low 16 bits, signed
    block.collate = 2;        // only 1 is on
    for (DWORD scale : { 20u, 500u, 0x10000u + 100u, 24u, 401u }) {
        block.scale = scale;
        _QS_STRUCK record;
        CaptureQuickSetting(link, &record);
        EXPECT_EQ(100, record.scale) << scale;
    }
    for (DWORD scale : { 25u, 400u }) {
        block.scale = scale;
        _QS_STRUCK record;
        CaptureQuickSetting(link, &record);
        EXPECT_EQ((int)scale, record.scale);
    }
    for (WORD density : { 3, 65535 }) {
        block.density = density;
        _QS_STRUCK record;
        CaptureQuickSetting(link, &record);
        EXPECT_EQ(1, record.density) << density;
        EXPECT_EQ(-1, record.id);
        EXPECT_EQ(-1, record.copies);
        EXPECT_FALSE(record.collate);
    }
}

TEST_F(PageLinkDataFile, ApplyingASetWritesItsSettingsButNotItsIdNorFineGraphics)
{
    Fill(&block);
    block.reservedValue = 40;
    block.oemItemValue = 60;
    _QS_STRUCK record;
    record.id = 9;
    record.paper.sizeIndex = 257;
    record.paper.mediaIndex = 6;
    record.paper.inputSlotIndex = 0;
    record.paper.feedEdgeIndex = 0;
    record.copies = -2;
    record.collate = true;
    record.duplexIndex = 0;
    record.pagesPerSheet = 0x10001;   // low 16 bits
    record.pageBorder = false;
    record.scale = 0x10000 + 80;
    record.orientationIndex = 0;
    record.rotate180 = false;
    record.resolutionIndex = 0;
    record.tonerEconomy = false;
    record.density = 0;

    PRIVATE_DEVMODE expected = block;
    expected.paperId = 257;
    expected.mediaType = 6;
    expected.inputSlot = 0;
    expected.feedEdge = 0;
    expected.copies = 0xFFFFFFFE;
    expected.collate = 1;
    expected.duplex = 0;
    expected.pagesPerSheet = 1;
    expected.pageBorder = 0;
    expected.scale = 80;
    expected.orientation = 0;
    expected.rotate180 = 0;
    expected.printQuality = 0;
    expected.tonerSaving = 0;
    expected.density = 0;
    ApplyQuickSetting(link, record);
    EXPECT_EQ(0, memcmp(&expected, &block, sizeof block));
    EXPECT_EQ(3, block.quickSetId);
    EXPECT_EQ(1, block.fineGraphics);

    // What is captured again is what was applied.
    _QS_STRUCK again;
    CaptureQuickSetting(link, &again);
    EXPECT_EQ(257, again.paper.sizeIndex);
    EXPECT_EQ(-2, again.copies);
    EXPECT_EQ(80, again.scale);
    EXPECT_EQ(1, again.pagesPerSheet);

    // Without the pair nothing is written.
    DEVMODE_PAIR* pair = link->devmode;
    link->devmode = nullptr;
    record.paper.sizeIndex = 1;
    ApplyQuickSetting(link, record);
    link->devmode = pair;
    EXPECT_EQ(257, block.paperId);
}

TEST_F(PageLinkDataFile, AnyChangeClearsTheQuickSetIdUnlessTheLinkIsBusy)
{
    block.quickSetId = 4;
    link->busy = 1;
    MarkQuickSetUnsaved(link);
    EXPECT_EQ(4, block.quickSetId);
    link->busy = 0;
    // No Basic page: the id goes all the same.
    MarkQuickSetUnsaved(link);
    EXPECT_EQ(-1, block.quickSetId);

    // Without the pair there is no id to clear.
    block.quickSetId = 4;
    DEVMODE_PAIR* pair = link->devmode;
    link->devmode = nullptr;
    MarkQuickSetUnsaved(link);
    link->devmode = pair;
    EXPECT_EQ(4, block.quickSetId);
    MarkQuickSetUnsaved(nullptr);
    UpdateQuickSetButtons(link, TRUE, FALSE);
    UpdateQuickSetButtons(nullptr, FALSE, TRUE);
}

TEST_F(PageLinkDataFile, SettingThePagesLeavesTheBusyFlagAsItFoundIt)
{
    Fill(&block);
    PRIVATE_DEVMODE before = block;
    ApplySettingsToPages(link);
    EXPECT_EQ(0, link->busy);
    link->busy = 1;   // a page being made
    ApplySettingsToPages(link);
    EXPECT_EQ(1, link->busy);
    link->busy = 0;
    ShowConstraintIndicators(link);
    // Without pages the block is left alone.
    EXPECT_EQ(0, memcmp(&before, &block, sizeof block));
    ApplySettingsToPages(nullptr);
    ShowConstraintIndicators(nullptr);
    UpdateConstraintState(nullptr);
}

TEST_F(PageLinkDataFile, TheRulesAreFedFromTheBlock)
{
    // B5 (position 5) may be printed on both sides only: no free input slot,
    // no feed edge, no optional tray.
    block.paperId = 5;
    block.mediaType = 3;
    block.duplex = 1;
    block.pagesPerSheet = 2;
    block.tonerSaving = 1;
    UpdateConstraintState(link);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(0u, Word(CONSTRAINT_PAPER));
    EXPECT_EQ(0x2u, Word(CONSTRAINT_DUPLEX));        // media 3 forbids duplex
    EXPECT_EQ(0x1u, Word(CONSTRAINT_MEDIA));         // duplex on
    EXPECT_EQ(0x1u, Word(CONSTRAINT_FEED_EDGE));
    EXPECT_EQ(0x1u, Word(CONSTRAINT_SCALE));         // n-up
    EXPECT_EQ(0x3u, Word(CONSTRAINT_INPUT_SLOT));    // paper and media
    EXPECT_EQ(0u, Word(CONSTRAINT_PAGE_BORDER));
    EXPECT_EQ(0x1u, Word(CONSTRAINT_DENSITY));
    EXPECT_EQ(0x4u, Word(CONSTRAINT_TRAY));

    // Letter with media 6 (recycled), one page per sheet, toner saving off.
    block.paperId = 0;
    block.mediaType = 6;
    block.duplex = 0;
    block.pagesPerSheet = 0;
    block.tonerSaving = 0;
    UpdateConstraintState(link);
    EXPECT_EQ(0x2u, Word(CONSTRAINT_DUPLEX));
    EXPECT_EQ(0u, Word(CONSTRAINT_MEDIA));
    EXPECT_EQ(0u, Word(CONSTRAINT_FEED_EDGE));
    EXPECT_EQ(0u, Word(CONSTRAINT_SCALE));
    EXPECT_EQ(0u, Word(CONSTRAINT_INPUT_SLOT));
    EXPECT_EQ(0x1u, Word(CONSTRAINT_PAGE_BORDER));
    EXPECT_EQ(0u, Word(CONSTRAINT_DENSITY));
    EXPECT_EQ(0u, Word(CONSTRAINT_TRAY));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(PageLinkDataFile, ACustomPaperWithDuplexOnIsWarnedAboutWithoutAnOwner)
{
    block.paperId = 257;
    block.duplex = 1;
    UpdateConstraintState(link);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(nullptr, g_boxes[0].owner);   // no Basic page
    EXPECT_EQ(String(IDS_CONFLICT_PAPER_DUPLEX) + L"\r\n", g_boxes[0].text);
    EXPECT_EQ(String(IDS_CONFLICT_CAPTION), g_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), g_boxes[0].type);
    EXPECT_EQ(0u, Word(CONSTRAINT_PAPER));
    // The rules after the refused paper still ran.
    EXPECT_EQ(0x1u, Word(CONSTRAINT_MEDIA));
    EXPECT_EQ(257, block.paperId);

    // Without the pair nothing is checked.
    DEVMODE_PAIR* pair = link->devmode;
    link->devmode = nullptr;
    UpdateConstraintState(link);
    link->devmode = pair;
    EXPECT_EQ(1u, g_boxes.size());
}
