// The Advanced page in the document sheet: what it shows from the private
// block, what each change a user makes writes there and tells the sheet, the
// constraint rules between its settings, its Default button, and what an
// apply hands to the core driver. The sheet is started through the plug-in
// with the core-driver double and a printer of the test's own; its pages run
// in a real property sheet. Sheet starts read and write the data files.
#include <gtest/gtest.h>

#include "harness/MessageBoxes.h"
#include "harness/CoreDriver.h"
#include "harness/DocumentSheet.h"
#include "harness/Keys.h"
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
#include "ui/BaseDlg.h"
#include "ui/PageLink.h"
#include "ui/controls/TipTesting.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace harness;

namespace {

constexpr int kApplyButton = 0x3021;   // the property sheet's Apply button

// A document sheet started through the plug-in with a recording sheet
// callback; its pages shown in a modeless property sheet, as the common UI
// shows them, and the Advanced page chosen.
class AdvancedPage : public ::testing::Test, protected DocumentSheet {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(prepare());
        block.copies = 1;
        block.scale = 100;
        block.density = 1;
        block.quickSetId = 3;
        tiptest::FakePointer::at = { 0, 0 };
        wanted = block;
        frameWidth = frameHeight = 700;
    }
    void TearDown() override { close(); }

    // Starts the sheet on the block as the test left it and shows the
    // Advanced page (or the Basic page, page 0); the sheet's PSM_CHANGED
    // messages are counted from its creation.
    void Open(int startPage = 1)
    {
        ASSERT_NO_FATAL_FAILURE(start());
        // The sheet start copied the driver's selections: the test's block is what opens.
        block = wanted;
        opened = block;
        ASSERT_NO_FATAL_FAILURE(show(startPage));
        if (startPage == 1) {
            showPage(1);
            ASSERT_TRUE(page && page->m_hWnd);
        }
    }
    // The user picks the page's tab; the Advanced page is made when first shown.
    void showPage(int index)
    {
        DocumentSheet::showPage(index);
        page = context->pageLink->advancedPage;
        dialog = page ? page->m_hWnd : nullptr;
    }
    HWND item(int id) const { return GetDlgItem(dialog, id); }
    std::wstring text(HWND window) const
    {
        WCHAR buffer[512] = {};
        GetWindowTextW(window, buffer, 512);
        return buffer;
    }
    std::wstring text(int id) const { return text(item(id)); }
    std::wstring tipOf(CTipTools& tips, HWND control) const
    {
        TipToolMap* entry = tips.FindTool(control);
        return entry ? std::wstring(entry->strText) : L"<none>";
    }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool shown(HWND window) const { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

    // --- what a user does -----------------------------------------------------------
    // A row chosen in the list: its combo box reports the new selection
    // through the extended combo box to the page.
    void choosePagesPerSheet(int index)
    {
        HWND list = item(IDC_PAGES_PER_SHEET);
        HWND combo = (HWND)SendMessageW(list, CBEM_GETCOMBOCONTROL, 0, 0);
        ASSERT_NE(nullptr, combo);
        SendMessageW(combo, CB_SETCURSEL, (WPARAM)index, 0);
        SendMessageW(list, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), (LPARAM)combo);
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

    PRIVATE_DEVMODE wanted;    // what the test wants the page to open on
    PRIVATE_DEVMODE opened;    // the block as the page opened on it
    tiptest::FakePointer pointer;
    CAdvanceDlg* page = nullptr;
    HWND dialog = nullptr;
    MessageBoxes boxes;
};

typedef AdvancedPage AdvancedPageDataFileGui;

// The N-up icon of a list as drawn on white, and the icon resource drawn at
// the list's size on white.
std::vector<COLORREF> DrawnOnWhite(HIMAGELIST list, int image, UINT iconId, int loadedSize = 38)
{
    const int size = 38;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = { 0, 0, size, size };
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    if (list) {
        ImageList_Draw(list, image, dc, 0, 0, ILD_NORMAL);
    } else {
        HICON icon =
            (HICON)LoadImageW(g_hModuleInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, loadedSize, loadedSize, 0);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Pixels whose colours differ by more than alpha rounding.
int Unlike(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : { 0, 8, 16 })
            if (abs((int)((a[i] >> shift) & 0xFF) - (int)((b[i] >> shift) & 0xFF)) > 2) {
                ++count;
                break;
            }
    return count + (int)(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

std::vector<UINT> NormalPictures(const CPicRadioDlg* picker)
{
    std::vector<UINT> ids;
    for (INT_PTR i = 0; i < picker->m_entries.GetSize(); ++i)
        ids.push_back(picker->m_entries[i].nNormalID);
    return ids;
}

} // namespace

// --- opening ---------------------------------------------------------------------------

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
    EXPECT_EQ(0, changes());
    EXPECT_FALSE(applyEnabled());

    EXPECT_EQ(languageString(IDS_DEFAULT_BUTTON), text(IDC_ADVANCED_DEFAULT));
    const std::pair<int, UINT> labels[] = {
        { IDC_DUPLEX_TITLE, IDS_DUPLEX_GROUP },       { IDC_LAYOUT_TITLE, IDS_LAYOUT_GROUP },
        { IDC_ORIENTATION_TITLE, IDS_ORIENTATION_GROUP }, { IDC_EFFECTS_TITLE, IDS_EFFECTS_GROUP },
        { IDC_PAGES_PER_SHEET_LABEL, IDS_PAGES_PER_SHEET_LABEL }, { IDC_PAGE_BORDER_LABEL, IDS_PAGE_BORDER_LABEL },
        { IDC_SCALE_LABEL, IDS_SCALE_LABEL },         { IDC_ORIENTATION_LABEL, IDS_ORIENTATION_LABEL },
        { IDC_ROTATE180_LABEL, IDS_ROTATE180_LABEL }, { IDC_FINE_GRAPHICS_LABEL, IDS_FINE_GRAPHICS_LABEL },
        { IDC_TONER_SAVE_LABEL, IDS_TONER_SAVE_LABEL }, { IDC_DENSITY_LABEL, IDS_DENSITY_LABEL },
        { IDC_QUALITY_LABEL, IDS_QUALITY_LABEL },
    };
    for (const auto& label : labels) {
        EXPECT_FALSE(languageString(label.second).empty()) << label.second;
        EXPECT_EQ(languageString(label.second), text(label.first)) << label.first;
    }
    EXPECT_EQ(languageString(IDS_DUPLEX_LONG), text(GetDlgItem(page->m_pDuplex->m_hWnd, IDC_DUPLEX_LONG_LABEL)));
    EXPECT_EQ(languageString(IDS_QUALITY_1200DPI),
              text(GetDlgItem(page->m_pPrintQuality->m_hWnd, IDC_QUALITY_1200DPI_LABEL)));

    // The stored choices, on the pictures of the stored orientation.
    EXPECT_EQ(1, page->m_pDuplex->GetCheck());
    EXPECT_EQ(1, page->m_pOrientation->GetCheck());
    EXPECT_EQ(1, page->m_pPrintQuality->GetCheck());
    EXPECT_EQ(2, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ((std::vector<UINT>{ 1421, 1424, 1427 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ((LRESULT)page->m_pLandscapeIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));
    EXPECT_EQ(1, page->m_border.m_bOn);
    EXPECT_EQ(1, page->m_rotate.m_bOn);
    EXPECT_EQ(1, page->m_fineGraphics.m_bOn);
    EXPECT_EQ(0, page->m_tonerSaving.m_bOn);
    EXPECT_EQ(2, page->m_density.GetFrameValue());
    EXPECT_TRUE(enabled(IDC_DENSITY));
    EXPECT_EQ(L"100", scaleText());

    // Tips: the switches by their state, the slider by its density, the
    // orientation pictures in their own popup.
    EXPECT_EQ(languageString(IDS_SWITCH_ON_TIP), tipOf(page->m_tip, page->m_border.m_hWnd));
    EXPECT_EQ(languageString(IDS_SWITCH_OFF_TIP), tipOf(page->m_tip, page->m_tonerSaving.m_hWnd));
    EXPECT_EQ(languageString(IDS_DENSITY_DARK_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
    EXPECT_EQ(languageString(IDS_LANDSCAPE),
              tipOf(page->m_pOrientation->m_tip, GetDlgItem(page->m_pOrientation->m_hWnd, IDC_LANDSCAPE)));
    EXPECT_EQ(languageString(IDS_PORTRAIT),
              tipOf(page->m_pOrientation->m_tip, GetDlgItem(page->m_pOrientation->m_hWnd, IDC_PORTRAIT)));

    // No constraint holds with these settings: every indicator hidden.
    EXPECT_FALSE(shown(page->m_duplexWarn.m_hWnd));
    EXPECT_FALSE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_TRUE(shown(page->m_scaleWarn.m_hWnd)) << "more than one page per sheet locks the scale";
    EXPECT_FALSE(IsWindowEnabled(page->m_pScale->m_hWnd));
}

TEST_F(AdvancedPageDataFileGui, ThePagesPerSheetNamesAreTextAndTheLastOptionIsNotOffered)
{
    Open();
    HWND list = item(IDC_PAGES_PER_SHEET);
    const int offered = (int)context->settings->GetPagesPerSheetCount() - 1;
    ASSERT_EQ(6, offered);   // 1, 2, 4, 6, 9, 16 of the driver's seven
    ASSERT_EQ(offered, (int)SendMessageW(list, CB_GETCOUNT, 0, 0));
    const wchar_t* expected[] = { L"1", L"2", L"4", L"6", L"9" };
    for (int i = 0; i < offered; ++i) {
        WCHAR name[64] = {};
        COMBOBOXEXITEMW row = {};
        row.mask = CBEIF_TEXT | CBEIF_IMAGE;
        row.iItem = i;
        row.pszText = name;
        row.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, CBEM_GETITEMW, 0, (LPARAM)&row));
        EXPECT_EQ(i, row.iImage);
        if (i < 5) {
            EXPECT_STREQ(expected[i], name);
        }
        EXPECT_NE(L'\0', name[0]) << i;
        EXPECT_NE(0, wcsncmp(name, L"64", 2)) << "a string id shown as a number: " << name;
    }
}

TEST_F(AdvancedPageDataFileGui, TheNUpIconsAreLoadedAtTheListSize)
{
    Open();
    for (CImageList* list : { page->m_pPortraitIcons, page->m_pLandscapeIcons }) {
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(6, list->GetImageCount());
        int cx = 0, cy = 0;
        ImageList_GetIconSize(*list, &cx, &cy);
        EXPECT_EQ(38, cx);
        EXPECT_EQ(38, cy);
    }
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const auto portrait = DrawnOnWhite(nullptr, 0, IDI_NUP1_PORTRAIT + i);
        EXPECT_EQ(0, Unlike(portrait, DrawnOnWhite(*page->m_pPortraitIcons, i, 0)));
        EXPECT_EQ(0, Unlike(DrawnOnWhite(nullptr, 0, IDI_NUP1_LANDSCAPE + i), DrawnOnWhite(*page->m_pLandscapeIcons, i, 0)));
        // What a 32 x 32 icon stretched into the list would look like.
        EXPECT_LT(20, Unlike(portrait, DrawnOnWhite(nullptr, 0, IDI_NUP1_PORTRAIT + i, 32)));
    }
    // Portrait in the block: the portrait pictures and icons.
    EXPECT_EQ((std::vector<UINT>{ 1406, 1409, 1412 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ((LRESULT)page->m_pPortraitIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));
}

TEST_F(AdvancedPageDataFileGui, EachOpenOwnsItsIconListsAndTheNextOpenDrawsTheSameIcons)
{
    // Closing the first sheet destroys its page's lists; the lists the
    // next page gets are whole copies, not the ones destroyed.
    Open();
    ASSERT_EQ(6, page->m_pPortraitIcons->GetImageCount());
    close();
    ASSERT_NO_FATAL_FAILURE(prepare());
    Open();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(6, page->m_pPortraitIcons->GetImageCount());
        ASSERT_EQ(6, page->m_pLandscapeIcons->GetImageCount());
        EXPECT_EQ(0, Unlike(DrawnOnWhite(nullptr, 0, IDI_NUP1_PORTRAIT + i), DrawnOnWhite(*page->m_pPortraitIcons, i, 0)));
        EXPECT_EQ(0, Unlike(DrawnOnWhite(nullptr, 0, IDI_NUP1_LANDSCAPE + i), DrawnOnWhite(*page->m_pLandscapeIcons, i, 0)));
    }
    EXPECT_NE(page->m_pPortraitIcons->GetSafeHandle(), page->m_pLandscapeIcons->GetSafeHandle());
    EXPECT_EQ((LRESULT)page->m_pPortraitIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));
}

TEST_F(AdvancedPageDataFileGui, ValuesOutOfRangeOpenAsTheDefaults)
{
    wanted.density = 7;
    wanted.scale = 0;
    Open();
    EXPECT_EQ(1, page->m_density.m_nCurFrame);
    EXPECT_EQ(1, block.density) << "an unknown density is replaced";
    EXPECT_EQ(L"100", scaleText());
    EXPECT_EQ(100u, block.scale) << "the block takes the scale the box shows";
    EXPECT_EQ(0, changes());
}

TEST_F(AdvancedPageDataFileGui, TonerSavingStoredOnShowsTheStoredDensityOnALockedSlider)
{
    wanted.tonerSaving = 1;
    wanted.density = 2;
    Open();
    EXPECT_EQ(2, page->m_density.GetFrameValue());
    EXPECT_FALSE(enabled(IDC_DENSITY));
    EXPECT_TRUE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_EQ(2, block.density);
}

// --- changes ---------------------------------------------------------------------------

TEST_F(AdvancedPageDataFileGui, EveryChangeLandsInTheBlockAndApplyWritesThemInOrder)
{
    wanted.pagesPerSheet = 1;
    Open();
    ASSERT_FALSE(applyEnabled());
    // Each action: its field at once, the quick set no saved set, the sheet told.
    auto change = [&](const char* what, auto action, auto check) {
        SCOPED_TRACE(what);
        block.quickSetId = 3;
        const int before = changes();
        action();
        check();
        EXPECT_EQ(-1, (INT16)LOWORD(block.quickSetId));
        EXPECT_LT(before, changes());
        EXPECT_TRUE(applyEnabled());
    };
    change("duplex", [&] { pick(page->m_pDuplex, 2); }, [&] { EXPECT_EQ(2, block.duplex); });
    change("border", [&] { click(IDC_PAGE_BORDER); }, [&] { EXPECT_EQ(1, block.pageBorder); });
    change("pages per sheet", [&] { choosePagesPerSheet(0); }, [&] {
        EXPECT_EQ(0, block.pagesPerSheet);
        EXPECT_EQ(0, block.pageBorder);
    });
    change("scale", [&] { typeScale(L"250"); }, [&] { EXPECT_EQ(250u, block.scale); });
    change("orientation", [&] { pick(page->m_pOrientation, 1); }, [&] { EXPECT_EQ(1, block.orientation); });
    change("rotate", [&] { click(IDC_ROTATE180); }, [&] { EXPECT_EQ(1, block.rotate180); });
    change("print quality", [&] { pick(page->m_pPrintQuality, 1); }, [&] { EXPECT_EQ(1, block.printQuality); });
    change("fine graphics", [&] { click(IDC_FINE_GRAPHICS); }, [&] { EXPECT_EQ(1, block.fineGraphics); });
    change("density", [&] { clickAt(item(IDC_DENSITY), 80, 5); }, [&] { EXPECT_EQ(2, block.density); });
    change("toner saving", [&] { click(IDC_TONER_SAVE); }, [&] {
        EXPECT_EQ(1, block.tonerSaving);
        EXPECT_EQ(0, block.density);
    });

    pressApply();
    EXPECT_EQ(250, publicDm.dmScale);
    EXPECT_EQ((std::vector<std::string>{ "Duplex=DuplexTumble", "%PagePerSheet=1", "%Orientation=Landscape",
                                         "JCLTonerMode=On", "JCLDensity=Light", "JCLGraphFine=On",
                                         "JCLPrintQuality=1200dpi" }),
              written());
    for (const CoreCall& call : core->calls(CoreMethod::SetOptions))
        EXPECT_EQ((DWORD)SETOPTIONS_FLAG_KEEP_CONFLICT, call.flags);
}

TEST_F(AdvancedPageDataFileGui, EachSwitchInvertsItsOwnFieldAndTip)
{
    wanted.pagesPerSheet = 1;   // the border switch is enabled
    Open();
    struct {
        int id;
        CPicSwitchButton* button;
        BYTE PRIVATE_DEVMODE::*field;
    } switches[] = {
        { IDC_PAGE_BORDER, &page->m_border, &PRIVATE_DEVMODE::pageBorder },
        { IDC_ROTATE180, &page->m_rotate, &PRIVATE_DEVMODE::rotate180 },
        { IDC_FINE_GRAPHICS, &page->m_fineGraphics, &PRIVATE_DEVMODE::fineGraphics },
        { IDC_TONER_SAVE, &page->m_tonerSaving, &PRIVATE_DEVMODE::tonerSaving },
    };
    for (auto& s : switches) {
        SCOPED_TRACE(s.id);
        for (BYTE expected : { 1, 0 }) {
            PRIVATE_DEVMODE others = block;
            click(s.id);
            EXPECT_EQ(expected, block.*s.field);
            EXPECT_EQ(expected, s.button->m_bOn);
            EXPECT_EQ(languageString(expected ? IDS_SWITCH_ON_TIP : IDS_SWITCH_OFF_TIP), tipOf(page->m_tip, s.button->m_hWnd));
            // Nothing else moved (toner saving also sets the density).
            others.*s.field = expected;
            others.quickSetId = block.quickSetId;
            others.density = block.density;
            EXPECT_EQ(0, memcmp(&others, &block, sizeof block));
        }
    }
}

TEST_F(AdvancedPageDataFileGui, ASwitchTurnedByAnotherControlShowsItsStateInItsTip)
{
    wanted.pagesPerSheet = 2;
    wanted.pageBorder = wanted.rotate180 = 1;
    Open();
    choosePagesPerSheet(0);   // the border goes off
    SendMessageW(item(IDC_ADVANCED_DEFAULT), BM_CLICK, 0, 0);   // and the rotation
    pumpMessages();
    for (CPicSwitchButton* button : { &page->m_border, &page->m_rotate })
        EXPECT_EQ(languageString(IDS_SWITCH_OFF_TIP), tipOf(page->m_tip, button->m_hWnd));
}

TEST_F(AdvancedPageDataFileGui, TheFirstPagesPerSheetItemTurnsTheBorderOffAndLocksIt)
{
    wanted.pagesPerSheet = 2;
    wanted.pageBorder = 1;
    Open();
    EXPECT_TRUE(enabled(IDC_PAGE_BORDER));

    choosePagesPerSheet(0);
    EXPECT_EQ(0, block.pagesPerSheet);
    EXPECT_EQ(0, block.pageBorder);
    EXPECT_EQ(0, page->m_border.m_bOn);
    EXPECT_FALSE(enabled(IDC_PAGE_BORDER));
    EXPECT_TRUE(IsWindowEnabled(page->m_pScale->m_hWnd)) << "one page per sheet frees the scale";
    EXPECT_FALSE(shown(page->m_scaleWarn.m_hWnd));

    choosePagesPerSheet(3);
    EXPECT_EQ(3, block.pagesPerSheet);
    EXPECT_TRUE(enabled(IDC_PAGE_BORDER));
    EXPECT_EQ(0, block.pageBorder) << "the border stays off";
    EXPECT_FALSE(IsWindowEnabled(page->m_pScale->m_hWnd));
    EXPECT_TRUE(shown(page->m_scaleWarn.m_hWnd));
    EXPECT_FALSE(tipOf(page->m_tip, page->m_scaleWarn.m_hWnd).empty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AdvancedPageDataFileGui, AScaleOtherThan100RefusesMorePagesPerSheet)
{
    Open();
    typeScale(L"150");
    ASSERT_EQ(150u, block.scale);
    const int before = changes();
    choosePagesPerSheet(2);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::wstring::npos, boxes[0].text.find(languageString(IDS_CONFLICT_PAGES)));
    EXPECT_EQ(languageString(5004), boxes[0].caption);
    EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxes[0].type);
    EXPECT_EQ(dialog, boxes[0].owner);
    EXPECT_EQ(0, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ(0, block.pagesPerSheet);
    (void)before;

    typeScale(L"100");
    choosePagesPerSheet(2);
    EXPECT_EQ(1u, boxes.size());
    EXPECT_EQ(2, block.pagesPerSheet);
    EXPECT_EQ(2, page->m_pagesPerSheet.GetCurSel());
}

TEST_F(AdvancedPageDataFileGui, AStoredScaleDoesNotRefuseMorePagesPerSheet)
{
    wanted.scale = 150;
    Open();
    choosePagesPerSheet(1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(1, block.pagesPerSheet);
}

TEST_F(AdvancedPageDataFileGui, ARefusedChoiceAfterARecalledSetLeavesListAndBlockOnTheFirstItem)
{
    Open();
    // A recalled set with four pages per sheet, the border on and scale 150,
    // as a quick-set choice sets them.
    block.pagesPerSheet = 2;
    block.pageBorder = 1;
    block.scale = 150;
    PAGE_LINK* link = context->pageLink;
    UpdateConstraintState(link);
    ApplySettingsToPages(link);
    ShowConstraintIndicators(link);
    ASSERT_EQ(2, page->m_pagesPerSheet.GetCurSel());
    ASSERT_EQ(L"150", scaleText());

    block.quickSetId = 3;
    choosePagesPerSheet(3);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ(0, block.pagesPerSheet) << "the list and the block agree";
    EXPECT_EQ(0, block.pageBorder);
    EXPECT_EQ(0, page->m_border.m_bOn);
    EXPECT_FALSE(enabled(IDC_PAGE_BORDER));
    EXPECT_EQ(-1, (INT16)LOWORD(block.quickSetId));
}

TEST_F(AdvancedPageDataFileGui, TheScaleBoxStoresOnlyValuesInRangeAndFeedsTheScaleRule)
{
    Open();
    CONSTRAINT_STATE* state = context->pageLink->constraints;
    typeScale(L"5");
    EXPECT_EQ(100u, block.scale);
    EXPECT_EQ(0u, state->word[CONSTRAINT_SCALE_RULE]);
    typeScale(L"250");
    EXPECT_EQ(250u, block.scale);
    EXPECT_EQ(1u, state->word[CONSTRAINT_SCALE_RULE]);
    typeScale(L"100");
    EXPECT_EQ(100u, block.scale);
    EXPECT_EQ(0u, state->word[CONSTRAINT_SCALE_RULE]);
    // Beyond the maximum the box corrects itself to 400.
    typeScale(L"999");
    EXPECT_EQ(L"400", scaleText());
    EXPECT_EQ(400u, block.scale);
}

TEST_F(AdvancedPageDataFileGui, TonerSavingForcesTheLightestDensityAndOffRestoresNormal)
{
    wanted.density = 2;
    Open();
    click(IDC_TONER_SAVE);
    EXPECT_EQ(0, block.density);
    EXPECT_EQ(0, page->m_density.GetFrameValue());
    EXPECT_FALSE(enabled(IDC_DENSITY));
    EXPECT_NE(0u, context->pageLink->constraints->word[CONSTRAINT_DENSITY]);
    EXPECT_TRUE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_FALSE(tipOf(page->m_tip, page->m_densityWarn.m_hWnd).empty());
    EXPECT_EQ(languageString(IDS_DENSITY_LIGHT_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));

    click(IDC_TONER_SAVE);
    EXPECT_EQ(1, block.density) << "not the density before toner saving";
    EXPECT_TRUE(enabled(IDC_DENSITY));
    EXPECT_FALSE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_EQ(languageString(IDS_DENSITY_NORMAL_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
}

TEST_F(AdvancedPageDataFileGui, TheDensitySliderStepsByItsZonesAndADragCountsAsAChange)
{
    Open();   // density 1
    clickAt(item(IDC_DENSITY), 20, 5);   // step back
    EXPECT_EQ(0, block.density);
    EXPECT_EQ(languageString(IDS_DENSITY_LIGHT_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
    clickAt(item(IDC_DENSITY), 15, 5);   // the thumb: no step
    EXPECT_EQ(0, block.density);

    // A drag from the light end to the dark end.
    block.quickSetId = 3;
    HWND slider = item(IDC_DENSITY);
    SendMessageW(slider, WM_MOUSEMOVE, 0, MAKELPARAM(12, 5));
    SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 5));
    clearChanges();
    SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 5));
    EXPECT_EQ(2, block.density) << "the drag writes the density";
    SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
    pumpMessages();
    EXPECT_EQ(2, block.density);
    EXPECT_EQ(1, changes()) << "the end of the drag tells the sheet";
    EXPECT_EQ(-1, (INT16)LOWORD(block.quickSetId));
    EXPECT_EQ(languageString(IDS_DENSITY_DARK_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
}

TEST_F(AdvancedPageDataFileGui, AnotherOrientationSwapsThePicturesAndKeepsTheChoices)
{
    wanted.orientation = 1;
    wanted.duplex = 2;
    wanted.pagesPerSheet = 3;
    Open();
    pick(page->m_pOrientation, 0);
    EXPECT_EQ(0, block.orientation);
    EXPECT_EQ((std::vector<UINT>{ 1406, 1409, 1412 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ(1407u, page->m_pDuplex->m_entries[0].nSelectedID);
    EXPECT_EQ(1414u, page->m_pDuplex->m_entries[2].nHoverID);
    EXPECT_EQ(1412u, page->m_pDuplex->m_buttons[2]->m_nNormalID) << "the pictures are laid out again";
    EXPECT_EQ((LRESULT)page->m_pPortraitIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));
    EXPECT_EQ(2, page->m_pDuplex->GetCheck());
    EXPECT_EQ(2, block.duplex);
    EXPECT_EQ(3, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ(3, block.pagesPerSheet);

    pick(page->m_pOrientation, 1);
    EXPECT_EQ((std::vector<UINT>{ 1421, 1424, 1427 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ((LRESULT)page->m_pLandscapeIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));

    // The chosen orientation once more: still a change for the sheet.
    const int before = changes();
    pick(page->m_pOrientation, 1);
    EXPECT_EQ(before + 1, changes());
    EXPECT_EQ(1, block.orientation);
}

TEST_F(AdvancedPageDataFileGui, TheChosenPrintQualityOnceMoreOnlyMarksTheQuickSet)
{
    wanted.printQuality = 1;
    Open();
    pick(page->m_pPrintQuality, 1);
    EXPECT_EQ(0, changes());
    EXPECT_FALSE(applyEnabled());
    EXPECT_EQ(1, block.printQuality);
    EXPECT_EQ(-1, (INT16)LOWORD(block.quickSetId));

    pick(page->m_pPrintQuality, 0);
    EXPECT_EQ(1, changes());
    EXPECT_EQ(0, block.printQuality);
}

TEST_F(AdvancedPageDataFileGui, DuplexFeedsTheMediaRule)
{
    Open();
    CONSTRAINT_STATE* state = context->pageLink->constraints;
    pick(page->m_pDuplex, 1);
    EXPECT_EQ(1, block.duplex);
    EXPECT_NE(0u, state->word[CONSTRAINT_MEDIA] & 1u);
    const int before = changes();
    pick(page->m_pDuplex, 1);   // the same picture: no change for the sheet
    EXPECT_EQ(before, changes());
    pick(page->m_pDuplex, 0);
    EXPECT_EQ(0u, state->word[CONSTRAINT_MEDIA] & 1u);
}

TEST_F(AdvancedPageDataFileGui, DefaultResetsThePageButFineGraphics)
{
    wanted.duplex = 2;
    wanted.pagesPerSheet = 1;
    wanted.pageBorder = 1;
    wanted.scale = 100;
    wanted.orientation = 1;
    wanted.rotate180 = 1;
    wanted.printQuality = 1;
    wanted.tonerSaving = 1;
    wanted.density = 0;
    wanted.fineGraphics = 1;
    wanted.copies = 7;
    wanted.mediaType = 3;
    Open();
    SendMessageW(item(IDC_ADVANCED_DEFAULT), BM_CLICK, 0, 0);
    pumpMessages();

    EXPECT_EQ(0, block.duplex);
    EXPECT_EQ(0, block.pagesPerSheet);
    EXPECT_EQ(0, block.pageBorder);
    EXPECT_EQ(100u, block.scale);
    EXPECT_EQ(0, block.orientation);
    EXPECT_EQ(0, block.rotate180);
    EXPECT_EQ(0, block.printQuality);
    EXPECT_EQ(0, block.tonerSaving);
    EXPECT_EQ(1, block.density);
    EXPECT_EQ(1, block.fineGraphics) << "fine graphics keeps its value";
    EXPECT_EQ(7u, block.copies) << "the Basic page's settings stay";
    EXPECT_EQ(3, block.mediaType);
    EXPECT_EQ(-1, (INT16)LOWORD(block.quickSetId));
    EXPECT_LT(0, changes());
    EXPECT_TRUE(applyEnabled());

    // The controls follow the block.
    EXPECT_EQ(0, page->m_pDuplex->GetCheck());
    EXPECT_EQ(0, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ(0, page->m_border.m_bOn);
    EXPECT_FALSE(enabled(IDC_PAGE_BORDER));
    EXPECT_EQ(0, page->m_pOrientation->GetCheck());
    EXPECT_EQ((std::vector<UINT>{ 1406, 1409, 1412 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ(0, page->m_rotate.m_bOn);
    EXPECT_EQ(0, page->m_pPrintQuality->GetCheck());
    EXPECT_EQ(0, page->m_tonerSaving.m_bOn);
    EXPECT_EQ(1, page->m_density.GetFrameValue());
    EXPECT_TRUE(enabled(IDC_DENSITY));
    EXPECT_FALSE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_EQ(languageString(IDS_DENSITY_NORMAL_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
    EXPECT_EQ(1, page->m_fineGraphics.m_bOn);
    EXPECT_EQ(L"100", scaleText());
}

// --- with the Basic page ------------------------------------------------------------

namespace {

// Both pages of the sheet, the Basic page shown first.
class BothPages : public AdvancedPage {
protected:
    void OpenBoth()
    {
        Open(0);
        basic = context->pageLink->basicPage;
        ASSERT_TRUE(basic && basic->m_hWnd);
        showPage(1);
        ASSERT_TRUE(page && page->m_hWnd);
    }
    HWND basicItem(int id) const { return GetDlgItem(basic->m_hWnd, id); }
    void chooseOnBasic(int id, int row)
    {
        SendMessageW(basicItem(id), CB_SETCURSEL, (WPARAM)row, 0);
        SendMessageW(basic->m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)basicItem(id));
        pumpMessages();
    }
    static void type(HWND edit, const wchar_t* keys)
    {
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        for (const wchar_t* k = keys; *k; ++k)
            SendMessageW(edit, WM_CHAR, *k, 1);
        pumpMessages();
    }
    void typeCopies(const wchar_t* keys) { type(GetDlgItem(basic->m_pCopies->m_hWnd, IDC_COPIES_EDIT), keys); }
    UINT copiesShown() const { return basic->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, nullptr, TRUE); }
    void saveQuickSet(const wchar_t* name)
    {
        COMBOBOXINFO combo = { sizeof combo };
        GetComboBoxInfo(basicItem(IDC_QUICKSET_COMBO), &combo);
        type(combo.hwndItem, name);
        clickAt(basicItem(IDC_QUICKSET_SAVE), 2, 2);
    }
    void pressDefault(CWnd* onPage, int id)
    {
        SendMessageW(onPage->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(onPage->m_hWnd, id));
        pumpMessages();
    }

    CBaseDlg* basic = nullptr;
};

typedef BothPages BothPagesDataFileGui;

} // namespace

TEST_F(BothPagesDataFileGui, ASetSavedWithBothPagesChangedIsRecalledOnBoth)
{
    OpenBoth();
    EXPECT_EQ(0, changes()) << "making the Advanced page changes nothing";
    typeCopies(L"3");
    choosePagesPerSheet(2);
    pick(page->m_pOrientation, 1);
    pick(page->m_pPrintQuality, 1);
    click(IDC_TONER_SAVE);
    // An Advanced change shows on the Basic page as settings that are no saved set.
    EXPECT_EQ(languageString(IDS_QUICKSET_UNSAVED), text(basicItem(IDC_QUICKSET_COMBO)));
    saveQuickSet(L"Both");
    ASSERT_EQ(L"Both", text(basicItem(IDC_QUICKSET_COMBO)));
    const int saved = (int)SendMessageW(basicItem(IDC_QUICKSET_COMBO), CB_GETCURSEL, 0, 0);
    ASSERT_LT(0, saved);

    // The default set, then the saved one again.
    chooseOnBasic(IDC_QUICKSET_COMBO, 0);
    ASSERT_EQ(0, block.pagesPerSheet);
    ASSERT_EQ(0, page->m_tonerSaving.m_bOn);
    ASSERT_EQ((std::vector<UINT>{ 1406, 1409, 1412 }), NormalPictures(page->m_pDuplex));
    chooseOnBasic(IDC_QUICKSET_COMBO, saved);
    EXPECT_EQ(3u, block.copies);
    EXPECT_EQ(3u, copiesShown());
    EXPECT_EQ(2, block.pagesPerSheet);
    EXPECT_EQ(2, page->m_pagesPerSheet.GetCurSel());
    EXPECT_EQ(1, page->m_pOrientation->GetCheck());
    EXPECT_EQ((std::vector<UINT>{ 1421, 1424, 1427 }), NormalPictures(page->m_pDuplex));
    EXPECT_EQ((LRESULT)page->m_pLandscapeIcons->GetSafeHandle(),
              SendMessageW(item(IDC_PAGES_PER_SHEET), CBEM_GETIMAGELIST, 0, 0));
    EXPECT_EQ(1, page->m_pPrintQuality->GetCheck());
    EXPECT_EQ(1, page->m_tonerSaving.m_bOn);
    EXPECT_EQ(0, page->m_density.GetFrameValue());
    EXPECT_FALSE(enabled(IDC_DENSITY));
    EXPECT_TRUE(shown(page->m_densityWarn.m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(page->m_pScale->m_hWnd)) << "four pages per sheet lock the scale";
    EXPECT_EQ(L"Both", text(basicItem(IDC_QUICKSET_COMBO)));
    saveScreenshot(sheetWindow, L"advanced-page-recalled");

    // Apply: both pages write their features, the Basic page's first.
    pressApply();
    const std::vector<std::string> written = core->writtenPairs();
    ASSERT_LE(7u, written.size());
    EXPECT_EQ((std::vector<std::string>{ "Duplex=None", "%PagePerSheet=4", "%Orientation=Landscape", "JCLTonerMode=On",
                                         "JCLDensity=Light", "JCLGraphFine=Off", "JCLPrintQuality=1200dpi" }),
              std::vector<std::string>(written.end() - 7, written.end()));
    EXPECT_EQ(3, publicDm.dmCopies);
}

TEST_F(BothPagesDataFileGui, AStoredScaleOutOfRangeIsTheShownHundredUpToTheApply)
{
    wanted.scale = 500;
    OpenBoth();
    EXPECT_EQ(100u, block.scale);
    pressDefault(basic, IDC_BASIC_DEFAULT);
    EXPECT_EQ(L"100", scaleText());
    apply();
    EXPECT_EQ(100, publicDm.dmScale);
}

TEST_F(BothPagesDataFileGui, AnApplyWhileNumbersAreTypedTakesThemAsTheBoxesWillShowThem)
{
    OpenBoth();
    typeCopies(L"12");
    typeCopies(L"0");
    typeScale(L"5");
    apply();   // OK by the keyboard: no box loses the focus
    EXPECT_EQ(1, publicDm.dmCopies);
    EXPECT_EQ(25, publicDm.dmScale);
    EXPECT_EQ(1u, copiesShown());
    EXPECT_EQ(L"25", scaleText());
}

TEST_F(BothPagesDataFileGui, EachDefaultButtonResetsOnlyItsOwnPage)
{
    OpenBoth();
    typeCopies(L"5");
    pick(page->m_pDuplex, 2);
    pressDefault(page, IDC_ADVANCED_DEFAULT);
    EXPECT_EQ(0, block.duplex);
    EXPECT_EQ(5u, block.copies);
    EXPECT_EQ(5u, copiesShown());
    EXPECT_EQ(languageString(IDS_QUICKSET_UNSAVED), text(basicItem(IDC_QUICKSET_COMBO)));

    pick(page->m_pDuplex, 1);
    pressDefault(basic, IDC_BASIC_DEFAULT);
    EXPECT_EQ(1u, block.copies);
    EXPECT_EQ(1, block.duplex);
    EXPECT_EQ(1, page->m_pDuplex->GetCheck());
}

TEST_F(BothPagesDataFileGui, AConflictFromOnePageShowsOnTheOther)
{
    OpenBoth();
    // Duplex on the Advanced page locks the media type on the Basic page.
    pick(page->m_pDuplex, 1);
    EXPECT_FALSE(IsWindowEnabled(basicItem(IDC_MEDIA_TYPE)));
    EXPECT_TRUE(shown(basic->m_mediaTypeWarn.m_hWnd));
    EXPECT_NE(std::wstring::npos, tipOf(basic->m_tip, basic->m_mediaTypeWarn.m_hWnd).find(languageString(5007)));
    pick(page->m_pDuplex, 0);
    EXPECT_TRUE(IsWindowEnabled(basicItem(IDC_MEDIA_TYPE)));
    EXPECT_FALSE(shown(basic->m_mediaTypeWarn.m_hWnd));

    // Another media type on the Basic page locks the duplex group here.
    chooseOnBasic(IDC_MEDIA_TYPE, 2);
    ASSERT_EQ(2, block.mediaType);
    EXPECT_FALSE(IsWindowEnabled(page->m_pDuplex->m_hWnd));
    EXPECT_TRUE(shown(page->m_duplexWarn.m_hWnd));
    EXPECT_NE(std::wstring::npos, tipOf(page->m_tip, page->m_duplexWarn.m_hWnd).find(languageString(5008)));
    chooseOnBasic(IDC_MEDIA_TYPE, 0);
    EXPECT_TRUE(IsWindowEnabled(page->m_pDuplex->m_hWnd));
    EXPECT_FALSE(shown(page->m_duplexWarn.m_hWnd));
}

// --- tips ------------------------------------------------------------------------------

TEST_F(AdvancedPageDataFileGui, TheIndicatorExplainsItsConstraintUnderThePointer)
{
    wanted.pagesPerSheet = 2;   // the scale is locked
    Open();
    HWND indicator = page->m_scaleWarn.m_hWnd;
    ASSERT_TRUE(shown(indicator));
    const std::wstring why = tipOf(page->m_tip, indicator);
    EXPECT_NE(std::wstring::npos, why.find(languageString(IDS_CONFLICT_SCALE))) << why;

    HWND popup = page->m_tip.m_hWnd;
    tiptest::FakePointer::at = tiptest::centerOf(indicator);
    SendMessageW(indicator, WM_SETCURSOR, (WPARAM)indicator, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(indicator, page->m_tip.GetTrackedControl());
    SendMessageW(popup, WM_TIMER, CTipTools::TIMER_SHOW, 0);
    ASSERT_TRUE(IsWindowVisible(popup));
    saveScreenshot(sheetWindow, L"advanced-page-tip");

    // The pointer leaves: the page hears of it and the tip fades; the sheet
    // then ends during the fade.
    SendMessageW(indicator, WM_MOUSELEAVE, 0, 0);
    pumpMessages();
    EXPECT_EQ(nullptr, page->m_tip.GetTrackedControl());
    EXPECT_TRUE(page->m_tip.IsFading());
}

// --- without a sheet -------------------------------------------------------------------

// A setting the page's rules lock is passed over; Enter presses the sheet's OK.
TEST_F(AdvancedPageDataFileGui, EverySettingIsReachedInReadingOrderAndSetWithTheKeys)
{
    wanted.pagesPerSheet = 1;   // the border free, the scale locked
    Open();
    const KeyLoop keys = sheetLoop(sheetWindow);
    SetFocus(page->m_pDuplex->m_buttons[0]->m_hWnd);
    const std::vector<int> order = { IDC_DUPLEX_NONE,    IDC_PORTRAIT,      IDC_ROTATE180,  IDC_PAGES_PER_SHEET,
                                     IDC_PAGE_BORDER,    IDC_QUALITY_600DPI, IDC_FINE_GRAPHICS, IDC_TONER_SAVE,
                                     IDC_DENSITY,        IDC_ADVANCED_DEFAULT };
    EXPECT_EQ(order, tabStops(keys, dialog));
    EXPECT_EQ(backwards(order), tabStops(keys, dialog, true));

    pressKey(keys, VK_RIGHT);
    EXPECT_EQ(1, block.duplex);
    saveScreenshot(sheetWindow, L"advanced-page-keys");
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_DOWN);
    pressKey(keys, VK_SPACE);   // the chosen picture stays chosen
    EXPECT_EQ(1, block.orientation);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(1, block.rotate180);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(1, block.pageBorder);
    // One page per sheet locks the border and frees the scale.
    pressKey(keys, VK_TAB, KEY_SHIFT);
    pressKey(keys, VK_HOME);
    EXPECT_EQ(0, block.pageBorder);
    pressKey(keys, VK_TAB);
    typeText(keys, L"150");
    EXPECT_EQ(150u, block.scale);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_LEFT);   // round the row
    EXPECT_EQ(1, block.printQuality);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(1, block.fineGraphics);
    pressKey(keys, VK_TAB);
    pressKey(keys, VK_TAB);
    clearChanges();
    for (const auto& key : std::vector<std::pair<UINT, int>>{ { VK_RIGHT, 2 }, { VK_RIGHT, 2 }, { VK_SPACE, 2 },
                                                              { VK_HOME, 0 }, { VK_END, 2 }, { VK_UP, 1 } }) {
        pressKey(keys, key.first);
        EXPECT_EQ(key.second, block.density) << key.first;
    }
    EXPECT_EQ(4, changes()) << "a key that moves nothing tells nothing";
    EXPECT_EQ(languageString(IDS_DENSITY_NORMAL_TIP), tipOf(page->m_tip, page->m_density.m_hWnd));
    pressKey(keys, VK_TAB, KEY_SHIFT);
    pressKey(keys, VK_SPACE);
    EXPECT_EQ(0, block.density) << "toner saving";
    pressKey(keys, VK_TAB);
    EXPECT_EQ(item(IDC_ADVANCED_DEFAULT), GetFocus()) << "the locked slider is passed over";

    pressKey(keys, VK_TAB, KEY_SHIFT);
    pressKey(keys, VK_RETURN);
    EXPECT_EQ(150, publicDm.dmScale);
    EXPECT_EQ((std::vector<std::string>{ "Duplex=DuplexNoTumble", "%PagePerSheet=1", "%Orientation=Landscape",
                                         "JCLTonerMode=On", "JCLDensity=Light", "JCLGraphFine=On",
                                         "JCLPrintQuality=1200dpi" }),
              written());
}

TEST(AdvancedPageGui, WithoutASheetThePageStaysAsItsTemplateAndIgnoresClicks)
{
    CAfxTempMapLock lock;
    TestFrame frame{ 700, 600 };
    CAdvanceDlg page(nullptr);
    ASSERT_TRUE(page.CreateFromModule(IDD_ADVANCED_PAGE, CWnd::FromHandle(frame.hwnd()), nullptr));
    HWND dialog = page.m_hWnd;
    WCHAR text[64] = {};
    GetDlgItemTextW(dialog, IDC_DUPLEX_TITLE, text, 64);
    EXPECT_STREQ(L"Static", text);
    EXPECT_EQ(nullptr, page.m_pDuplex);
    EXPECT_EQ(nullptr, page.m_pScale);
    for (int id : { IDC_PAGE_BORDER, IDC_ROTATE180, IDC_FINE_GRAPHICS, IDC_TONER_SAVE, IDC_DENSITY })
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PAGES_PER_SHEET, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(dialog, IDC_PAGES_PER_SHEET));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADVANCED_DEFAULT, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, IDC_ADVANCED_DEFAULT));
    CAdvanceDlg::OnScaleChanged(&page);
    CAdvanceDlg::OnOrientationChanged(&page);
    pumpMessages();
    EXPECT_EQ(0, page.m_border.m_bOn);
}
