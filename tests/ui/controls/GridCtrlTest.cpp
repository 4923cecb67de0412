// The editable grid in a dialog, driven by the messages a user's clicks,
// keys and wheel cause; checked by what the grid, its editors, its parent
// and the screen then hold.
#include <gtest/gtest.h>

#include "framework/AfxDialog.h"
#include "harness/TestWindow.h"
#include "ui/controls/GridComboBox.h"
#include "ui/controls/GridCtrl.h"
#include "ui/controls/GridEdit.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

using namespace harness;

namespace {

enum : UINT { IDD_GRID_HOST = 7300, IDC_GRID = 7301 };
enum { NAME, WIDTH, UNIT, USE, ONE, SHARE, NOTE };   // the test grid's columns

const COLORREF kWarning = RGB(230, 100, 15);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(192, 192, 192);

class CGridHost : public CDialog {
public:
    explicit CGridHost(CWnd* parent = nullptr) : CDialog(IDD_GRID_HOST, parent) {}
    CGridCtrl grid;
    int invalidSent = 0;
    int validSent = 0;
    std::function<void()> onInit;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_GRID, grid); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit)
            onInit();
        return TRUE;
    }
    LRESULT OnInvalid(WPARAM, LPARAM) { return ++invalidSent, 0; }
    LRESULT OnValid(WPARAM, LPARAM) { return ++validSent, 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGridHost, CDialog)
    ON_MESSAGE(WM_GRID_CELL_INVALID, &CGridHost::OnInvalid)
    ON_MESSAGE(WM_GRID_CELL_VALID, &CGridHost::OnValid)
END_MESSAGE_MAP()

// The owner's judgement: a text with an 'x' is refused.
struct Judged {
    HWND owner;
    int row, column;
    CString text;
};
std::vector<Judged> g_judged;

BOOL JudgeCell(CWnd* owner, const int cell[2])
{
    HWND grid = ::GetDlgItem(owner->m_hWnd, IDC_GRID);
    WCHAR text[64] = {};
    LVITEMW item = {};
    item.iSubItem = cell[1];
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(grid, LVM_GETITEMTEXTW, (WPARAM)cell[0], (LPARAM)&item);
    g_judged.push_back({ owner->m_hWnd, cell[0], cell[1], text });
    return wcschr(text, L'x') == nullptr;
}

// Columns of every kind, rows of papers; unit cells choose from {mm, inch}.
void FillGrid(CGridCtrl& grid, int rows = 4)
{
    grid.m_pfnValidate = &JudgeCell;
    grid.InsertColumn(NAME, L"Name", 110, GRID_KIND_EDIT);
    grid.InsertColumn(WIDTH, L"Width", 60, GRID_KIND_EDIT);
    grid.InsertColumn(UNIT, L"Unit", 70, GRID_KIND_CHOICE);
    grid.InsertColumn(USE, L"Use", 60, GRID_KIND_CHECK);
    grid.InsertColumn(ONE, L"One", 60, GRID_KIND_RADIO);
    grid.InsertColumn(SHARE, L"Share", 110, GRID_KIND_PERCENT);
    grid.InsertColumn(NOTE, L"Note", 70, GRID_KIND_LEFT_TEXT);
    const wchar_t* names[] = { L"Alpha", L"Beta", L"Gamma", L"Delta" };
    for (int r = 0; r < rows; ++r) {
        CString name = names[r % 4];
        if (r >= 4)
            name.AppendFormat(L"%d", r);
        grid.InsertItem(r, name);
        grid.SetItemText(r, WIDTH, L"210.0");
        grid.SetItemText(r, UNIT, L"mm");
        grid.SetItemText(r, USE, L"use");
        grid.SetItemText(r, ONE, L"one");
        grid.SetItemText(r, NOTE, L"note");
        GRID_CELL* unit = grid.GetCell(r, UNIT);
        unit->choices.Add(L"mm");
        unit->choices.Add(L"inch");
        grid.GetCell(r, USE)->ticked = r % 2 == 0;
        grid.GetCell(r, ONE)->ticked = r == 1;
        grid.GetCell(r, SHARE)->value = 45;
    }
}

class Grid : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_judged.clear();
        ASSERT_TRUE(host.Create(IDD_GRID_HOST, nullptr));
        FillGrid(host.grid);
        host.ShowWindow(SW_SHOW);
        SetForegroundWindow(host.m_hWnd);
        pump();
    }
    void TearDown() override { g_judged.clear(); }

    // What a dialog's modal loop does with each message: the targets'
    // PreTranslateMessage up to the dialog, then the dialog manager.
    void pump()
    {
        MSG msg;
        for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
            CAfxTempMapLock scope;
            bool eaten = false;
            for (HWND h = msg.hwnd; h && !eaten; h = ::GetParent(h)) {
                CWnd* wnd = CWnd::FromHandlePermanent(h);
                eaten = wnd && wnd->PreTranslateMessage(&msg);
                if (h == host.m_hWnd)
                    break;
            }
            if (eaten || (host.m_hWnd && IsDialogMessageW(host.m_hWnd, &msg)))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Pumps until the state is reached; false after 3 s.
    bool pumpUntil(const std::function<bool()>& reached)
    {
        for (DWORD start = GetTickCount(); !reached(); pump()) {
            if (GetTickCount() - start > 3000)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }
    CRect cell(int row, int column)
    {
        CRect rect;
        EXPECT_TRUE(host.grid.GetCellRect(row, column, rect));
        return rect;
    }
    LPARAM at(int row, int column)
    {
        CRect r = cell(row, column);
        return MAKELPARAM(r.left + 10, (r.top + r.bottom) / 2);
    }
    void click(int row, int column, WPARAM keys = 0)
    {
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, at(row, column));
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONUP, keys, at(row, column));
        pump();
    }
    void doubleClick(int row, int column)
    {
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at(row, column));
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONUP, 0, at(row, column));
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at(row, column));
        SendMessageW(host.grid.m_hWnd, WM_LBUTTONUP, 0, at(row, column));
        pump();
    }
    void type(HWND target, const wchar_t* text)
    {
        for (const wchar_t* c = text; *c; ++c)
            PostMessageW(target, WM_CHAR, *c, 1);
        pump();
    }
    void key(HWND target, UINT vk)
    {
        PostMessageW(target, WM_KEYDOWN, vk, 1);
        PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
        pump();
    }
    CString text(int row, int column) { return host.grid.GetItemText(row, column); }
    CString windowText(HWND hwnd)
    {
        WCHAR buffer[64] = {};
        GetWindowTextW(hwnd, buffer, 64);
        return buffer;
    }
    // A point of the cell that no text covers.
    COLORREF cellColour(int row, int column)
    {
        CRect r = cell(row, column);
        return screenPixel(host.grid.m_hWnd, r.right - 4, r.top + 3);
    }
    // Ends an edit of the name of row 2 with a refused text.
    void makeInvalid()
    {
        doubleClick(2, NAME);
        type(host.grid.GetEditWindow(), L"x");
        key(host.grid.GetEditWindow(), VK_RETURN);
    }

    CAfxTempMapLock lock;
    CGridHost host;
};

typedef Grid GridCtrlGui;

} // namespace

TEST(GridPercent, RatioAndText)
{
    EXPECT_STREQ(L"45.00%", CGridCtrl::PercentText(45, 100));
    EXPECT_STREQ(L"0.00%", CGridCtrl::PercentText(0, 100));
    EXPECT_STREQ(L"100.00%", CGridCtrl::PercentText(150, 100));
    EXPECT_STREQ(L"100.00%", CGridCtrl::PercentText(0, 0));
    EXPECT_STREQ(L"100.00%", CGridCtrl::PercentText(7, 0));
    EXPECT_STREQ(L"33.33%", CGridCtrl::PercentText(1, 3));
    // Unsigned: a value past 2^31 is still "not below" a smaller total.
    EXPECT_EQ(1.0f, CGridCtrl::PercentRatio(0x80000000u, 5));
}

TEST_F(GridCtrlGui, EveryRowHasOneCellPerColumn)
{
    CGridCtrl& grid = host.grid;
    EXPECT_EQ(7, grid.m_nColumnCount);
    EXPECT_EQ(4, grid.m_arrRows.GetSize());
    // A column inserted into a grid with rows: a default cell in every row.
    grid.GetCell(1, NAME)->image = 3;
    EXPECT_EQ(1, grid.InsertColumn(1, L"New", 40, 9));
    EXPECT_EQ(8, grid.m_nColumnCount);
    EXPECT_EQ(9, grid.GetColumnKind(1));
    EXPECT_EQ(GRID_KIND_EDIT, grid.GetColumnKind(2));
    for (int r = 0; r < 4; ++r) {
        ASSERT_EQ(8, grid.m_arrRows[r].GetSize());
        const GRID_CELL& added = *grid.GetCell(r, 1);
        EXPECT_EQ(1, added.enabled);
        EXPECT_EQ(0, added.ticked);
        EXPECT_EQ(0, added.choices.GetSize());
        EXPECT_EQ(-1, added.image);
        EXPECT_EQ(0u, added.value);
        EXPECT_EQ(100u, added.total);
        EXPECT_EQ(2, grid.GetCell(r, UNIT + 1)->choices.GetSize());
    }
    EXPECT_EQ(3, grid.GetCell(1, NAME)->image);
    // A column the list refuses changes nothing.
    EXPECT_EQ(-1, grid.InsertColumn(-1, L"Bad", 40, 5));
    EXPECT_EQ(8, grid.m_nColumnCount);
    EXPECT_EQ(8, grid.m_arrColumnKinds.GetSize());

    // An item inserted between rows brings its own row of default cells.
    grid.InsertItem(1, L"Inserted");
    ASSERT_EQ(5, grid.m_arrRows.GetSize());
    EXPECT_EQ(-1, grid.GetCell(1, NAME)->image);
    EXPECT_EQ(3, grid.GetCell(2, NAME)->image);
    EXPECT_EQ(8, grid.m_arrRows[1].GetSize());

    // The first column's cell ends where the second begins.
    EXPECT_EQ(cell(0, 1).left, cell(0, NAME).right);
    int row = -1, column = -1;
    CRect unit = cell(3, UNIT + 1);
    EXPECT_TRUE(grid.HitTestCell(CPoint(unit.left + 2, (unit.top + unit.bottom) / 2), row, column));
    EXPECT_EQ(3, row);
    EXPECT_EQ(UNIT + 1, column);
    EXPECT_EQ(nullptr, grid.GetCell(5, 0));
    EXPECT_EQ(nullptr, grid.GetCell(0, 8));
}

TEST_F(GridCtrlGui, AGridThatMakesItsOwnWindowIsAReportList)
{
    CGridCtrl own;
    ASSERT_TRUE(own.Create(WS_CHILD | WS_VISIBLE | LVS_SMALLICON | LVS_SORTASCENDING | LVS_SORTDESCENDING,
                           CRect(0, 0, 100, 50), &host, 7399));
    DWORD style = own.GetStyle();
    EXPECT_EQ((DWORD)LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_FALSE(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING));
}

TEST_F(GridCtrlGui, ADoubleClickEditsTextInPlaceAndEnterStoresIt)
{
    doubleClick(1, NAME);
    HWND edit = host.grid.GetEditWindow();
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_EQ(edit, GetFocus());
    EXPECT_EQ(host.grid.m_hWnd, GetParent(edit));
    EXPECT_EQ((LONG_PTR)GRID_EDIT_ID, GetWindowLongPtrW(edit, GWLP_ID));
    EXPECT_EQ(SendMessageW(host.grid.m_hWnd, WM_GETFONT, 0, 0), SendMessageW(edit, WM_GETFONT, 0, 0));
    EXPECT_STREQ(L"Beta", windowText(edit));
    CRect onScreen;
    GetWindowRect(edit, onScreen);
    host.grid.ScreenToClient(onScreen);
    EXPECT_EQ(cell(1, NAME), onScreen);
    EXPECT_EQ(1, host.grid.m_nCurRow);
    EXPECT_EQ(NAME, host.grid.m_nCurCol);

    SendMessageW(edit, EM_SETSEL, 0, -1);
    type(edit, L"Letter");
    key(edit, VK_RETURN);
    EXPECT_STREQ(L"Letter", text(1, NAME));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(host.grid.m_hWnd, GetFocus());
    // Judged by the owner, the dialog: the cell that was current when the
    // double click moved away from it, then the edited cell; the parent told.
    ASSERT_EQ(2u, g_judged.size());
    EXPECT_EQ(host.m_hWnd, g_judged[1].owner);
    EXPECT_EQ(0, g_judged[0].row);
    EXPECT_EQ(1, g_judged[1].row);
    EXPECT_EQ(NAME, g_judged[1].column);
    EXPECT_EQ(1, host.validSent);
    EXPECT_EQ(0, host.invalidSent);
    EXPECT_TRUE(host.grid.m_bValid);
    EXPECT_TRUE(IsWindowVisible(host.m_hWnd));   // Enter did not reach the dialog's OK
}

TEST_F(GridCtrlGui, TheEditTakesSixteenCharactersAndEndsOnTabOrFocusLoss)
{
    doubleClick(0, WIDTH);
    HWND edit = host.grid.GetEditWindow();
    SendMessageW(edit, EM_SETSEL, 0, -1);
    type(edit, L"12345678901234567");
    EXPECT_STREQ(L"1234567890123456", windowText(edit));
    key(edit, VK_TAB);
    EXPECT_STREQ(L"1234567890123456", text(0, WIDTH));
    EXPECT_EQ(1, host.validSent);

    // Any loss of focus stores the text too.
    doubleClick(3, WIDTH);
    edit = host.grid.GetEditWindow();
    type(edit, L"9");
    SetFocus(GetDlgItem(host.m_hWnd, IDCANCEL));
    pump();
    EXPECT_STREQ(L"9210.0", text(3, WIDTH));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(2, host.validSent);
}

TEST_F(GridCtrlGui, EscapeDropsTheEdit)
{
    doubleClick(2, NAME);
    HWND edit = host.grid.GetEditWindow();
    g_judged.clear();
    type(edit, L"zz");
    key(edit, VK_ESCAPE);
    EXPECT_STREQ(L"Gamma", text(2, NAME));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_TRUE(g_judged.empty());
    EXPECT_EQ(0, host.validSent + host.invalidSent);
    EXPECT_TRUE(IsWindowVisible(host.m_hWnd));   // nor did Escape cancel the dialog
}

TEST_F(GridCtrlGui, OnlyTheirOwnClickOpensTheEditors)
{
    click(1, NAME);   // a single click on a text cell
    SendMessageW(host.grid.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at(1, UNIT));   // a double click on a choice cell
    pump();
    click(1, UNIT, MK_CONTROL);
    click(1, SHARE);
    doubleClick(1, NOTE);
    host.grid.GetCell(2, NAME)->enabled = 0;
    doubleClick(2, NAME);
    EXPECT_EQ(nullptr, host.grid.GetEditWindow());
    EXPECT_EQ(nullptr, host.grid.GetComboWindow());
    EXPECT_EQ(0, host.grid.m_nCurRow);
    EXPECT_EQ(0, host.grid.m_nCurCol);
}

TEST_F(GridCtrlGui, AClickOnAChoiceCellDropsItsChoicesAndTheChosenOneIsStored)
{
    click(1, UNIT);
    HWND combo = host.grid.GetComboWindow();
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ((LONG_PTR)GRID_COMBO_ID, GetWindowLongPtrW(combo, GWLP_ID));
    EXPECT_EQ(combo, GetFocus());
    EXPECT_EQ(2, SendMessageW(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(combo, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(1, host.grid.m_nCurRow);
    EXPECT_EQ(UNIT, host.grid.m_nCurCol);

    // A click on "inch" in the dropped list.
    COMBOBOXINFO info = { sizeof info };
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    CRect item;
    SendMessageW(info.hwndList, LB_GETITEMRECT, 1, (LPARAM)&item);
    LPARAM point = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
    SendMessageW(info.hwndList, WM_MOUSEMOVE, 0, point);
    SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(info.hwndList, WM_LBUTTONUP, 0, point);
    pump();
    EXPECT_STREQ(L"inch", text(1, UNIT));
    EXPECT_FALSE(IsWindow(combo));
    EXPECT_EQ(host.grid.m_hWnd, GetFocus());
    EXPECT_EQ(1, host.validSent);

    // From the keyboard: down to the next entry, Enter.
    click(2, UNIT);
    combo = host.grid.GetComboWindow();
    key(combo, VK_DOWN);
    key(combo, VK_RETURN);
    EXPECT_STREQ(L"inch", text(2, UNIT));
    EXPECT_FALSE(IsWindow(combo));
    EXPECT_EQ(2, host.validSent);
}

TEST_F(GridCtrlGui, TheChoiceThatIsTheCellTextIsSelectedNotOneBeginningWithIt)
{
    const wchar_t* texts[] = { L"A", L"AB", L"B" };
    const int expected[] = { 0, 1, -1 };
    for (int i = 0; i < 3; ++i) {
        GRID_CELL* cell = host.grid.GetCell(i, UNIT);
        cell->choices.RemoveAll();
        cell->choices.Add(L"A");
        cell->choices.Add(L"AB");
        host.grid.SetItemText(i, UNIT, texts[i]);
        click(i, UNIT);
        HWND combo = host.grid.GetComboWindow();
        ASSERT_NE(nullptr, combo);
        EXPECT_EQ(expected[i], SendMessageW(combo, CB_GETCURSEL, 0, 0)) << texts[i];
        key(combo, VK_ESCAPE);
        EXPECT_FALSE(IsWindow(combo));
        EXPECT_STREQ(texts[i], text(i, UNIT));
    }
}

TEST_F(GridCtrlGui, ARefusedCellFlashesEightTicksAndKeepsTheWarningColour)
{
    makeInvalid();
    EXPECT_STREQ(L"xGamma", text(2, NAME));
    EXPECT_EQ(1, host.invalidSent);
    EXPECT_EQ(0, host.validSent);
    EXPECT_FALSE(host.grid.m_bValid);
    EXPECT_EQ(0, host.grid.m_nFlashCount);
    EXPECT_EQ(kWarning, cellColour(2, NAME));
    EXPECT_EQ(kWhite, cellColour(1, NAME));

    // The flash as its timer drives it: white at odd ticks, warning at even
    // ones; the tick after the eighth ends the timer.
    SetTimer(host.grid.m_hWnd, GRID_FLASH_TIMER, 100000, nullptr);
    for (int tick = 1; tick <= 8; ++tick) {
        SendMessageW(host.grid.m_hWnd, WM_TIMER, GRID_FLASH_TIMER, 0);
        EXPECT_EQ(tick, host.grid.m_nFlashCount);
        EXPECT_EQ(tick % 2 ? kWhite : kWarning, cellColour(2, NAME)) << tick;
    }
    SendMessageW(host.grid.m_hWnd, WM_TIMER, 7, 0);   // not its timer
    SendMessageW(host.grid.m_hWnd, WM_TIMER, GRID_FLASH_TIMER, 0);
    EXPECT_FALSE(KillTimer(host.grid.m_hWnd, GRID_FLASH_TIMER));
    EXPECT_EQ(8, host.grid.m_nFlashCount);
    EXPECT_EQ(kWarning, cellColour(2, NAME));
    EXPECT_EQ(1, host.invalidSent);
}

TEST_F(GridCtrlGui, TheFlashRunsOnTheGridsOwnTimer)
{
    makeInvalid();
    ASSERT_TRUE(pumpUntil([&] { return host.grid.m_nFlashCount == 8; }));
    EXPECT_EQ(kWarning, cellColour(2, NAME));
    EXPECT_EQ(1, host.invalidSent);
}

TEST_F(GridCtrlGui, WhileTheCurrentCellIsInvalidNoOtherCellOpens)
{
    makeInvalid();
    host.grid.m_nFlashCount = 5;
    click(0, UNIT);
    EXPECT_EQ(nullptr, host.grid.GetComboWindow());
    EXPECT_EQ(0, host.grid.m_nFlashCount);   // flashed again
    host.grid.m_nFlashCount = 5;
    doubleClick(0, WIDTH);
    EXPECT_EQ(nullptr, host.grid.GetEditWindow());
    EXPECT_EQ(0, host.grid.m_nFlashCount);
    EXPECT_EQ(2, host.grid.m_nCurRow);
    EXPECT_EQ(NAME, host.grid.m_nCurCol);
    EXPECT_EQ(1, host.invalidSent);   // the hint stays shown

    // The invalid cell itself opens again, and a good text validates it.
    doubleClick(2, NAME);
    HWND edit = host.grid.GetEditWindow();
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(host.grid.m_bValid);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    type(edit, L"Gamma");
    key(edit, VK_RETURN);
    EXPECT_EQ(1, host.validSent);
    EXPECT_TRUE(host.grid.m_bValid);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), cellColour(2, NAME));   // its row is selected
}

TEST_F(GridCtrlGui, DeletingRowsKeepsTheCurrentCell)
{
    makeInvalid();
    ASSERT_TRUE(pumpUntil([&] { return host.grid.m_nFlashCount == 8; }));
    EXPECT_FALSE(host.grid.DeleteItem(9));
    EXPECT_EQ(4, host.grid.m_arrRows.GetSize());
    // The row above: the same cell, one row up, still invalid.
    host.grid.GetCell(2, WIDTH)->value = 77;
    EXPECT_TRUE(host.grid.DeleteItem(0));
    EXPECT_EQ(3, host.grid.GetItemCount());
    EXPECT_EQ(3, host.grid.m_arrRows.GetSize());
    EXPECT_EQ(77u, host.grid.GetCell(1, WIDTH)->value);
    EXPECT_EQ(1, host.grid.m_nCurRow);
    EXPECT_FALSE(host.grid.m_bValid);
    EXPECT_EQ(kWarning, cellColour(1, NAME));
    // A row below changes nothing; the current row clears the invalid state.
    EXPECT_TRUE(host.grid.DeleteItem(2));
    EXPECT_EQ(1, host.grid.m_nCurRow);
    EXPECT_FALSE(host.grid.m_bValid);
    host.grid.StartFlash();
    EXPECT_TRUE(host.grid.DeleteItem(1));
    EXPECT_EQ(1, host.grid.m_nCurRow);
    EXPECT_TRUE(host.grid.m_bValid);
    EXPECT_TRUE(host.grid.ValidateCurrentCell());   // outside the rows: valid
    // The flash that was running still ends, its cell gone.
    ASSERT_TRUE(pumpUntil([&] { return host.grid.m_nFlashCount == 8; }));

    // An edit running on a deleted row is dropped; one below keeps its row.
    host.grid.InsertItem(1, L"One");
    host.grid.InsertItem(2, L"Two");
    doubleClick(1, NAME);
    HWND edit = host.grid.GetEditWindow();
    type(edit, L"q");
    g_judged.clear();
    EXPECT_TRUE(host.grid.DeleteItem(1));
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_TRUE(g_judged.empty());
    doubleClick(1, NAME);
    type(host.grid.GetEditWindow(), L"q");
    EXPECT_TRUE(host.grid.DeleteItem(0));
    host.grid.CommitEdit();
    EXPECT_STREQ(L"qTwo", text(0, NAME));
}

TEST_F(GridCtrlGui, TheWheelOrScrollBarHidesAnOpenTextEditorAndTheListScrolls)
{
    for (int r = 4; r < 40; ++r)
        host.grid.InsertItem(r, L"More");
    CRect screen;
    host.grid.GetWindowRect(screen);
    const LPARAM centre = MAKELPARAM((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2);
    const UINT scrolls[][2] = { { WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA) }, { WM_VSCROLL, SB_LINEDOWN } };
    for (int i = 0; i < 2; ++i) {
        const int top = (int)SendMessageW(host.grid.m_hWnd, LVM_GETTOPINDEX, 0, 0);
        doubleClick(top + 1, NAME);
        HWND edit = host.grid.GetEditWindow();
        ASSERT_NE(nullptr, edit);
        type(edit, L"q");
        SendMessageW(host.grid.m_hWnd, scrolls[i][0], scrolls[i][1], scrolls[i][0] == WM_MOUSEWHEEL ? centre : 0);
        EXPECT_FALSE(IsWindowVisible(edit));
        EXPECT_GT((int)SendMessageW(host.grid.m_hWnd, LVM_GETTOPINDEX, 0, 0), top);
        // Hiding the editor hands the focus to the grid, which ends the edit
        // as any loss of focus does: the text is kept, not lost.
        EXPECT_EQ(host.grid.m_hWnd, GetFocus());
        EXPECT_EQ(CString(L"q") + (top + 1 == 1 ? L"Beta" : L"More"), text(top + 1, NAME));
        EXPECT_EQ(i + 1, host.validSent);
        pump();
        EXPECT_FALSE(IsWindow(edit));
    }
}

TEST_F(GridCtrlGui, ARowSelectedByCodeIsSelectedFocusedAndShown)
{
    for (int r = 4; r < 40; ++r)
        host.grid.InsertItem(r, L"More");
    host.grid.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(host.grid.SimulateRightClick(30));
    pump();
    EXPECT_EQ((UINT)(LVIS_SELECTED | LVIS_FOCUSED), host.grid.GetItemState(30, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(0u, host.grid.GetItemState(0, LVIS_SELECTED));
    EXPECT_EQ(30, host.grid.GetSelectionMark());
    EXPECT_EQ(30, host.grid.GetNextItem(-1, LVNI_SELECTED));
    CRect row, client;
    host.grid.GetItemRect(30, row, LVIR_BOUNDS);
    host.grid.GetClientRect(client);
    EXPECT_TRUE(row.top >= 0 && row.bottom <= client.bottom) << row.top;
    EXPECT_EQ(nullptr, host.grid.GetEditWindow());
    EXPECT_EQ(nullptr, host.grid.GetComboWindow());
    EXPECT_EQ(0, host.grid.m_nCurRow);
    EXPECT_FALSE(host.grid.SimulateRightClick(40));
    EXPECT_FALSE(host.grid.SimulateRightClick(-1));
    EXPECT_EQ(30, host.grid.GetSelectionMark());
}

TEST_F(GridCtrlGui, APercentageCellShowsItsShareAsTextAndBar)
{
    const UINT shares[][2] = { { 45, 100 }, { 0, 100 }, { 150, 100 }, { 0, 0 } };
    const wchar_t* texts[] = { L"45.00%", L"0.00%", L"100.00%", L"100.00%" };
    const double ratios[] = { 0.45, 0, 1, 1 };
    HDC dc = GetDC(host.grid.m_hWnd);
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageW(host.grid.m_hWnd, WM_GETFONT, 0, 0));
    for (int r = 0; r < 4; ++r) {
        host.grid.GetCell(r, SHARE)->value = shares[r][0];
        host.grid.GetCell(r, SHARE)->total = shares[r][1];
    }
    host.grid.Invalidate();
    for (int r = 0; r < 4; ++r) {
        CRect c = cell(r, SHARE);
        std::vector<COLORREF> pixels = screenPixels(host.grid.m_hWnd, c);
        const int w = c.Width();
        // The bar: grey from 1 px right of the text area (3 px in) on the row
        // just inside the top, where no text is.
        int bar = 0;
        while (4 + bar < w && pixels[w + 4 + bar] == kGrey)
            ++bar;
        const int area = w - 3;
        EXPECT_NEAR(area * ratios[r], bar + 1, 1.0) << r;
        EXPECT_NE(kGrey, pixels[w + 4 + bar]);
        // The text: dark pixels as wide as the text, centred over the area.
        int first = w, last = -1;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < w; ++x)
                if (GetRValue(pixels[y * w + x]) < 96 && GetGValue(pixels[y * w + x]) < 96) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        SIZE extent = {};
        GetTextExtentPoint32W(dc, texts[r], lstrlenW(texts[r]), &extent);
        EXPECT_NEAR(extent.cx, last - first + 1, 2) << texts[r];
        EXPECT_NEAR(3 + area / 2.0, (first + last + 1) / 2.0, 2) << texts[r];
    }
    SelectObject(dc, oldFont);
    ReleaseDC(host.grid.m_hWnd, dc);
    // A selected row's bar is dark green.
    host.grid.SimulateRightClick(0);
    CRect c = cell(0, SHARE);
    EXPECT_EQ(RGB(56, 86, 10), screenPixel(host.grid.m_hWnd, c.left + 5, c.top + 1));
}

TEST_F(GridCtrlGui, AnEditorStillOpenIsClosedBeforeAnotherCellIsEdited)
{
    // A double click that reaches the grid while its text editor still runs.
    doubleClick(1, NAME);
    HWND first = host.grid.GetEditWindow();
    type(first, L"q");
    SendMessageW(host.grid.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at(2, WIDTH));
    pump();
    EXPECT_STREQ(L"qBeta", text(1, NAME));
    EXPECT_FALSE(IsWindow(first));
    HWND second = host.grid.GetEditWindow();
    ASSERT_NE(nullptr, second);
    EXPECT_STREQ(L"210.0", windowText(second));
    CRect onScreen;
    GetWindowRect(second, onScreen);
    host.grid.ScreenToClient(onScreen);
    EXPECT_EQ(cell(2, WIDTH), onScreen);
    key(second, VK_ESCAPE);

    // A click on another choice cell while a list is dropped.
    GRID_CELL* other = host.grid.GetCell(3, UNIT);
    other->choices.RemoveAll();
    other->choices.Add(L"cm");
    other->choices.Add(L"pt");
    host.grid.SetItemText(3, UNIT, L"pt");
    click(1, UNIT);
    HWND combo = host.grid.GetComboWindow();
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    click(3, UNIT);
    EXPECT_FALSE(IsWindow(combo));
    combo = host.grid.GetComboWindow();
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(2, SendMessageW(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageW(combo, CB_GETCURSEL, 0, 0));
    EXPECT_STREQ(L"pt", windowText(combo));
    EXPECT_STREQ(L"mm", text(1, UNIT));
    saveScreenshot(host.m_hWnd, L"grid-choice-open");
}

TEST_F(GridCtrlGui, TheKeysMoveAFramedCellAndF2OpensItsEditor)
{
    HWND grid = host.grid.m_hWnd;
    // The dots of the focus frame on the shown part of the cell's top line.
    auto framed = [&](int row, int column) {
        CRect c, client;
        GetClientRect(grid, client);
        ::IntersectRect(&c, cell(row, column), client);
        std::vector<COLORREF> top = screenPixels(grid, CRect(c.left, c.top, c.right, c.top + 1));
        return std::count(top.begin(), top.end(), screenPixel(grid, c.right - 4, c.top + 3)) < c.Width() * 3 / 4;
    };
    SetFocus(grid);
    for (UINT k : { VK_HOME, VK_DOWN, VK_RIGHT })
        key(grid, k);
    EXPECT_TRUE(framed(1, WIDTH));
    EXPECT_FALSE(framed(1, NAME));

    // F2 opens the text selected; Enter stores and judges it, Escape drops it.
    key(grid, VK_F2);
    type(host.grid.GetEditWindow(), L"99");
    key(host.grid.GetEditWindow(), VK_RETURN);
    key(grid, VK_F2);
    type(host.grid.GetEditWindow(), L"5");
    key(host.grid.GetEditWindow(), VK_ESCAPE);
    EXPECT_STREQ(L"99", text(1, WIDTH));
    EXPECT_EQ(1, host.validSent);
    EXPECT_EQ(grid, GetFocus());

    // A choice opens closed: Down shows the next one, F4 drops the list, Enter stores it.
    key(grid, VK_RIGHT);
    key(grid, VK_F2);
    HWND combo = host.grid.GetComboWindow();
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    key(combo, VK_DOWN);
    key(combo, VK_F4);
    EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
    key(combo, VK_RETURN);
    EXPECT_STREQ(L"inch", text(1, UNIT));

    // An invalid cell keeps the others closed, as it does for a click.
    key(grid, VK_LEFT);
    key(grid, VK_F2);
    type(host.grid.GetEditWindow(), L"x");
    key(host.grid.GetEditWindow(), VK_RETURN);
    key(grid, VK_DOWN);
    key(grid, VK_F2);
    EXPECT_EQ(1, host.invalidSent);
    EXPECT_EQ(nullptr, host.grid.GetEditWindow());

    // A column out of view scrolls in; a wide one shows its start.
    SendMessageW(grid, LVM_SETCOLUMNWIDTH, NAME, 900);
    for (int c = WIDTH; c < NOTE; ++c)
        key(grid, VK_RIGHT);
    CRect client;
    GetClientRect(grid, client);
    EXPECT_LE(cell(2, NOTE).right, client.right);
    for (int c = NAME; c < NOTE; ++c)
        key(grid, VK_LEFT);
    EXPECT_EQ(0, cell(2, NAME).left);
    // The row the frame leaves is repainted to its very edge; the frame leaves with the focus.
    key(grid, VK_UP);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), screenPixel(grid, 0, (cell(2, NAME).top + cell(2, NAME).bottom) / 2));
    EXPECT_TRUE(framed(1, NAME));
    key(grid, VK_TAB);
    EXPECT_FALSE(framed(1, NAME));
}

namespace {

// The windows this thread has, children included.
int CountWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND hwnd, LPARAM p) -> BOOL {
        ++*(int*)p;
        EnumChildWindows(hwnd, [](HWND, LPARAM q) -> BOOL { return ++*(int*)q, TRUE; }, p);
        return TRUE;
    }, (LPARAM)&count);
    return count;
}

} // namespace

TEST_F(GridCtrlGui, DestroyingTheGridWithAnEditorOpenClosesIt)
{
    const int before = CountWindows();
    for (int i = 0; i < 20; ++i) {
        auto* grid = new CGridCtrl;
        ASSERT_TRUE(grid->Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 400, 200), &host, 7399));
        FillGrid(*grid, 2);
        CRect r;
        grid->GetCellRect(1, i % 2 ? UNIT : NAME, r);
        const LPARAM point = MAKELPARAM(r.left + 10, (r.top + r.bottom) / 2);
        SendMessageW(grid->m_hWnd, i % 2 ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        pump();
        HWND editor = i % 2 ? grid->GetComboWindow() : grid->GetEditWindow();
        ASSERT_TRUE(IsWindow(editor));
        g_judged.clear();
        if (i % 4 < 2) {
            grid->DestroyWindow();   // its window goes first, the object after
            EXPECT_FALSE(IsWindow(editor));
        }
        delete grid;
        pump();
        EXPECT_FALSE(IsWindow(editor));
        EXPECT_TRUE(g_judged.empty());   // an edit of a dying grid is dropped
    }
    EXPECT_EQ(before, CountWindows());
    EXPECT_EQ(0, host.validSent + host.invalidSent);

    // The whole dialog with an editor open: it loses the focus as the
    // dialog is deactivated, before anything is destroyed, which stores the
    // edit as any loss of focus does.
    doubleClick(1, NAME);
    HWND edit = host.grid.GetEditWindow();
    type(edit, L"q");
    g_judged.clear();
    host.DestroyWindow();
    pump();
    EXPECT_FALSE(IsWindow(edit));
    ASSERT_EQ(1u, g_judged.size());
    EXPECT_STREQ(L"qBeta", g_judged[0].text);
    EXPECT_EQ(1, host.validSent);
    EXPECT_EQ(0, host.grid.m_arrRows.GetSize());
}

namespace {

// Steps of the modal dialog's test, run by a timer inside its modal loop.
CGridHost* g_modal = nullptr;

void CALLBACK ModalStep(HWND dialog, UINT, UINT_PTR step, DWORD)
{
    KillTimer(dialog, step);
    CGridCtrl& grid = g_modal->grid;
    if (step == 1) {
        // A double click on a name; a character and Enter typed into the edit.
        CRect r;
        grid.GetCellRect(1, NAME, r);
        const LPARAM point = MAKELPARAM(r.left + 10, (r.top + r.bottom) / 2);
        SendMessageW(grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(grid.m_hWnd, WM_LBUTTONUP, 0, point);
        SendMessageW(grid.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        SendMessageW(grid.m_hWnd, WM_LBUTTONUP, 0, point);
        HWND edit = grid.GetEditWindow();
        PostMessageW(edit, WM_CHAR, 'Q', 1);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        SetTimer(dialog, 2, 10, &ModalStep);
    } else if (grid.GetEditWindow()) {
        SetTimer(dialog, 2, 10, &ModalStep);   // until the edit has closed
    } else {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

} // namespace

TEST_F(GridCtrlGui, InAModalDialogEnterEndsTheEditNotTheDialog)
{
    TestFrame frame;
    CGridHost modal(CWnd::FromHandle(frame.hwnd()));
    g_modal = &modal;
    modal.onInit = [&] {
        FillGrid(modal.grid);
        SetTimer(modal.m_hWnd, 1, 10, &ModalStep);
    };
    g_judged.clear();
    // Enter reaching the dialog manager would end it with IDOK.
    EXPECT_EQ(IDCANCEL, modal.DoModal());
    g_modal = nullptr;
    ASSERT_EQ(2u, g_judged.size());
    EXPECT_EQ(1, g_judged[1].row);
    EXPECT_STREQ(L"QBeta", g_judged[1].text);
    EXPECT_EQ(1, modal.validSent);
}

TEST_F(GridCtrlGui, EveryKindDrawn)
{
    // A red picture for the first name, shares of every size, a disabled row,
    // a selected row and an invalid cell at the end of its flash.
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP red = CreateCompatibleBitmap(screen, 16, 16);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, red);
    RECT all = { 0, 0, 16, 16 };
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    FillRect(memory, &all, brush);
    SelectObject(memory, old);
    ImageList_Add(images, red, nullptr);
    DeleteObject(brush);
    DeleteObject(red);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    host.grid.SetImageList(images, LVSIL_SMALL);
    host.grid.GetCell(0, NAME)->image = 0;
    const UINT shares[] = { 0, 45, 100, 80 };
    for (int r = 0; r < 4; ++r)
        host.grid.GetCell(r, SHARE)->value = shares[r];
    for (int c = NAME; c <= NOTE; ++c)
        host.grid.GetCell(3, c)->enabled = 0;
    host.grid.GetCell(3, UNIT)->ticked = 1;
    host.grid.Invalidate();   // cells changed directly are the owner's to repaint
    makeInvalid();
    ASSERT_TRUE(pumpUntil([&] { return host.grid.m_nFlashCount == 8; }));
    host.grid.SimulateRightClick(1);
    pump();
    CRect name = cell(0, NAME);
    EXPECT_EQ(RGB(200, 0, 0), screenPixel(host.grid.m_hWnd, name.left + 2, name.top + 2));
    EXPECT_EQ(kWarning, cellColour(2, NAME));
    saveScreenshot(host.m_hWnd, L"grid-kinds");
    host.grid.SetImageList(nullptr, LVSIL_SMALL);
    ImageList_Destroy(images);
}
