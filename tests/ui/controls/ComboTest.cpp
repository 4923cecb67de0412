// The drop-down paper list in real windows, hosted as the Basic page hosts it
// (sheet > host page > page), driven with the messages a user's actions cause.
#include <gtest/gtest.h>

#include "PictureTesting.h"
#include "harness/TestWindow.h"
#include "plugin/TessivonApp.h"
#include "ui/controls/ComboDlg.h"

#include <string>
#include <vector>

using namespace harness;
using picturetest::realMouse;

namespace {

const wchar_t* const kNames[] = { L"Letter", L"Legal", L"Executive", L"A4", L"A5", L"A6", L"B5 (JIS)", L"Envelope #10",
                                  L"Envelope DL", L"Envelope C5", L"Envelope B5", L"Postcard" };
const int kNameCount = 12;
std::wstring PaperName(int i)
{
    std::wstring name = kNames[i % kNameCount];
    return i < kNameCount ? name : name + L" " + std::to_wstring(i);
}

// The sheet records its caption's activation.
BOOL g_sheetCaptionActive = -1;
LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCACTIVATE && !GetParent(hwnd))
        g_sheetCaptionActive = (BOOL)wParam;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeWindow(HWND parent, int x, int y, int w, int h)
{
    static const WNDCLASSW wc = { 0, SheetProc, 0, 0, GetModuleHandleW(nullptr), nullptr, LoadCursorW(nullptr, IDC_ARROW),
                                  (HBRUSH)(COLOR_BTNFACE + 1), nullptr, L"BqComboSheet" };
    static ATOM atom = RegisterClassW(&wc);
    (void)atom;
    return CreateWindowExW(0, wc.lpszClassName, L"Paper sheet", (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE,
                           x, y, w, h, parent, nullptr, wc.hInstance, nullptr);
}

// Plays the Basic page: owns the popup, records the names it is given and
// answers E_FAIL for a name it lacks.
class CTestPage : public CUIDialog {
public:
    CTestPage() : CUIDialog(9640) {}
    ~CTestPage() override { delete m_popup; }
    CComboBtn m_combo;
    CComboDlg* m_popup = nullptr;
    std::vector<std::wstring> chosen;
    bool shownAtChoice = false;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 2300, m_combo); }
    LRESULT OnChosen(WPARAM, LPARAM lParam)
    {
        chosen.push_back(reinterpret_cast<const CString*>(lParam)->GetString());
        shownAtChoice = m_popup->IsWindowVisible();
        return chosen.back() == L"Not a paper" ? E_FAIL : 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CUIDialog)
    ON_MESSAGE(WM_PAPER_CHOSEN, &CTestPage::OnChosen)
END_MESSAGE_MAP()

// A real click of the pointer; true once its release was handled.
bool RealClick(HWND window, POINT p) { return realMouse(window, p, { MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP }); }

class ComboGui : public ::testing::Test {
protected:
    void Open(int papers = 16, int current = 3, bool hostPage = true)
    {
        // The pointer out of the way: a popup opening under it selects the row it rests on.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        sheet = MakeWindow(nullptr, 20, 20, 520, 480);
        HWND host = hostPage ? MakeWindow(sheet, 0, 0, 500, 440) : sheet;
        ASSERT_TRUE(page.CreateFromModule(9640, CWnd::FromHandle(host), g_hModuleInstance));
        SetWindowPos(page.m_hWnd, nullptr, 0, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // As the Basic page builds it.
        page.m_popup = new CComboDlg(&page.m_combo, &page);
        ASSERT_TRUE(page.m_popup->CreateFromModule(1109, &page, g_hModuleInstance));
        page.m_popup->SetColumns(L"Paper", L"Width", L"Height", L"Unit");
        page.m_popup->SetOwner(&page);
        for (int i = 0; i < papers; ++i)
            ASSERT_EQ(i, page.m_popup->AddItem(i, PaperName(i).c_str(), L"210.0", L"297.0", L"mm"));
        page.m_popup->SelectItem(current);
        SetForegroundWindow(sheet);
        pumpMessages();
    }
    void TearDown() override { DestroyWindow(sheet); }

    HWND combo() const { return page.m_combo.m_hWnd; }
    HWND popup() const { return page.m_popup->m_hWnd; }
    HWND list() const { return page.m_popup->m_list.m_hWnd; }
    bool shown() const { return IsWindowVisible(popup()) != FALSE; }
    void Send(HWND to, UINT message, int x, int y, WPARAM keys = 0) { SendMessageW(to, message, keys, MAKELPARAM(x, y)); }
    // Press and release on the combo box, the release dx, dy away.
    void ClickCombo(int dx = 0, int dy = 0)
    {
        Send(combo(), WM_LBUTTONDOWN, 20, 8, MK_LBUTTON);
        Send(combo(), WM_MOUSEMOVE, 20 + dx, 8 + dy, MK_LBUTTON);
        Send(combo(), WM_LBUTTONUP, 20 + dx, 8 + dy);
        pumpMessages();
    }
    RECT Rect(HWND hwnd) const { RECT r; GetWindowRect(hwnd, &r); return r; }
    POINT Row(int row, int x = -1) const
    {
        RECT r = { LVIR_BOUNDS };
        SendMessageW(list(), LVM_GETITEMRECT, row, (LPARAM)&r);
        return { x >= 0 ? x : (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
    }
    int Next(int flags) const { return (int)SendMessageW(list(), LVM_GETNEXTITEM, (WPARAM)-1, flags); }
    int Selected() const { return SendMessageW(list(), LVM_GETSELECTEDCOUNT, 0, 0) == 1 ? Next(LVNI_SELECTED) : -2; }
    int Mark() const { return (int)SendMessageW(list(), LVM_GETSELECTIONMARK, 0, 0); }
    int ComboSel() const { return (int)SendMessageW(combo(), CB_GETCURSEL, 0, 0); }

    CAfxTempMapLock lock;
    HWND sheet = nullptr;
    CTestPage page;
};

} // namespace

TEST_F(ComboGui, IsBuiltHiddenWithoutTakingTheFocus)
{
    Open();
    EXPECT_EQ(page.m_popup, page.m_combo.m_pPopup);
    EXPECT_FALSE(shown());
    EXPECT_EQ(sheet, GetActiveWindow());
    EXPECT_EQ(combo(), GetFocus());
    EXPECT_EQ(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, GetWindowLongPtrW(popup(), GWL_EXSTYLE) & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
    EXPECT_EQ(LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              GetWindowLongPtrW(list(), GWL_STYLE) & (LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS));
    EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, SendMessageW(list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    RECT r = Rect(list());
    EXPECT_EQ((r.right - r.left) / 4, SendMessageW(list(), LVM_GETCOLUMNWIDTH, 3, 0));
    EXPECT_EQ(16, SendMessageW(combo(), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(3, ComboSel());
    EXPECT_EQ(3, Selected());
    EXPECT_EQ(3, Mark());
    // Rows past the end are appended to both; unknown rows are not selected.
    EXPECT_EQ(16, page.m_popup->AddItem(99, L"Custom", L"1", L"2", L"mm"));
    EXPECT_EQ(16, SendMessageW(combo(), CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)L"Custom"));
    page.m_popup->m_list.SelectRow(-1);
    page.m_popup->m_list.SelectRow(40);
    EXPECT_EQ(3, Selected());
    EXPECT_EQ(0, page.m_popup->SelectItem(-3));
    EXPECT_EQ(0, Selected());
    EXPECT_EQ(0, ComboSel());
}

TEST_F(ComboGui, OpensBelowOrAboveWhenTheWorkAreaHasNoRoomBelow)
{
    Open();
    page.m_popup->m_list.SetItemState(9, LVIS_SELECTED, LVIS_SELECTED);   // left from before
    ClickCombo();
    ASSERT_TRUE(shown());
    RECT p = Rect(popup()), c = Rect(combo()), s = Rect(sheet);
    EXPECT_EQ(c.left, p.left);
    EXPECT_EQ(c.bottom, p.top);
    EXPECT_EQ(1, page.m_popup->m_bSlideDown);
    EXPECT_EQ(3, Selected());
    EXPECT_EQ(3, Mark());
    EXPECT_EQ(3, Next(LVNI_FOCUSED));
    EXPECT_EQ(list(), GetFocus());
    EXPECT_TRUE(g_sheetCaptionActive);
    EXPECT_TRUE(saveScreenshot(sheet, L"paper-popup-below"));
    ClickCombo();
    EXPECT_FALSE(shown());
    EXPECT_EQ(combo(), GetFocus());

    // The popup's bottom on the work area's bottom: below; a pixel lower: above.
    MONITORINFO monitor = { sizeof monitor };
    GetMonitorInfoW(MonitorFromWindow(combo(), MONITOR_DEFAULTTONEAREST), &monitor);
    const int height = p.bottom - p.top, top = monitor.rcWork.bottom - height - (c.bottom - s.top);
    SetWindowPos(sheet, nullptr, s.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickCombo();
    EXPECT_EQ(monitor.rcWork.bottom, Rect(popup()).bottom);
    ClickCombo();
    SetWindowPos(sheet, nullptr, s.left, top + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickCombo();
    c = Rect(combo());
    p = Rect(popup());
    EXPECT_EQ(c.top, p.bottom);
    EXPECT_EQ(c.left, p.left);
    EXPECT_EQ(height, p.bottom - p.top);
    EXPECT_EQ(0, page.m_popup->m_bSlideDown);
    EXPECT_TRUE(saveScreenshot(GetDesktopWindow(), L"paper-popup-above"));
    EXPECT_TRUE(page.chosen.empty());
}

TEST_F(ComboGui, AClickTogglesWithin5PixelsAndEachPressOfADoubleClickToggles)
{
    Open();
    ClickCombo(6, 0);
    ClickCombo(0, -6);
    Send(combo(), WM_LBUTTONDOWN, 20, 8, MK_LBUTTON);   // away and back
    Send(combo(), WM_MOUSEMOVE, 26, 8, MK_LBUTTON);
    Send(combo(), WM_MOUSEMOVE, 20, 8, MK_LBUTTON);
    Send(combo(), WM_LBUTTONUP, 20, 8);
    EXPECT_FALSE(shown());
    Send(combo(), WM_LBUTTONUP, 20, 8);
    EXPECT_FALSE(shown());
    ClickCombo(5, -5);
    EXPECT_TRUE(shown());
    ClickCombo(-5, 5);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(SendMessageW(combo(), CB_GETDROPPEDSTATE, 0, 0));

    Send(combo(), WM_LBUTTONDOWN, 20, 8, MK_LBUTTON);
    Send(combo(), WM_LBUTTONUP, 20, 8);
    EXPECT_TRUE(shown());
    Send(combo(), WM_LBUTTONDBLCLK, 20, 8, MK_LBUTTON);
    EXPECT_FALSE(shown());
    Send(combo(), WM_LBUTTONUP, 20, 8);
    EXPECT_FALSE(shown());
    Send(combo(), WM_LBUTTONDBLCLK, 20, 8, MK_LBUTTON);
    EXPECT_TRUE(shown());
}

TEST_F(ComboGui, APressOnTheOpenComboBoxOrElsewhereClosesIt)
{
    Open();
    ClickCombo();
    ASSERT_EQ(popup(), GetActiveWindow());
    // The press activates the sheet, which hides the popup before the combo
    // box hears of the press: its release must not open it again.
    ASSERT_TRUE(RealClick(combo(), { 20, 8 }));
    EXPECT_FALSE(shown());
    EXPECT_EQ(sheet, GetActiveWindow());
    EXPECT_EQ(combo(), GetFocus());
    ASSERT_TRUE(RealClick(combo(), { 20, 8 }));
    EXPECT_TRUE(shown());
    // A press elsewhere on the sheet; then the next click on the box opens.
    ASSERT_TRUE(RealClick(page.m_hWnd, { 300, 25 }));
    EXPECT_FALSE(shown());
    EXPECT_EQ(sheet, GetActiveWindow());
    ClickCombo();
    EXPECT_TRUE(shown());
    SetActiveWindow(sheet);
    EXPECT_FALSE(shown());
    // A click on the popup or its list does not activate it.
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(list(), WM_MOUSEACTIVATE, (WPARAM)sheet, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(popup(), WM_MOUSEACTIVATE, (WPARAM)sheet, MAKELPARAM(HTBORDER, WM_LBUTTONDOWN)));
    EXPECT_TRUE(page.chosen.empty());
}

TEST_F(ComboGui, ThePointerSelectsTheRowUnderItAndAClickChoosesIt)
{
    Open();
    ClickCombo();
    POINT p = Row(5);
    Send(list(), WM_MOUSEMOVE, p.x, p.y);
    EXPECT_EQ(5, Selected());
    EXPECT_EQ(3, Mark());   // only the selection follows
    EXPECT_EQ(3, Next(LVNI_FOCUSED));
    for (int i = 0; i < 4; ++i)
        SendMessageW(list(), LVM_SETCOLUMNWIDTH, i, 40);
    p = Row(8, 250);   // right of the last column
    Send(list(), WM_MOUSEMOVE, p.x, p.y);
    EXPECT_EQ(8, Selected());
    Send(list(), WM_MOUSEMOVE, 10, 3);   // over the column titles
    EXPECT_EQ(8, Selected());

    p = Row(6);
    Send(list(), WM_MOUSEMOVE, p.x, p.y);
    Send(list(), WM_LBUTTONDOWN, p.x, p.y, MK_LBUTTON);
    Send(list(), WM_LBUTTONUP, p.x, p.y);
    ASSERT_EQ(std::vector<std::wstring>{ L"B5 (JIS)" }, page.chosen);   // once
    EXPECT_FALSE(page.shownAtChoice);
    EXPECT_FALSE(shown());
    EXPECT_EQ(6, ComboSel());
    EXPECT_EQ(combo(), GetFocus());

    ClickCombo();
    EXPECT_EQ(6, Selected());
    ASSERT_TRUE(RealClick(list(), Row(10)));
    EXPECT_EQ(L"Envelope B5", page.chosen.back());
    EXPECT_EQ(2u, page.chosen.size());
    EXPECT_EQ(10, ComboSel());
    EXPECT_EQ(sheet, GetActiveWindow());
}

TEST_F(ComboGui, ReturnAndTheListsClickChooseTheMarkedRowEscapeCloses)
{
    Open();
    ClickCombo();
    SendMessageW(list(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(list(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(std::vector<std::wstring>{ L"A5" }, page.chosen);
    EXPECT_FALSE(shown());
    EXPECT_EQ(4, ComboSel());

    ClickCombo();
    page.m_popup->m_list.SetSelectionMark(1);
    NMHDR click = { list(), 2801, (UINT)NM_CLICK };
    EXPECT_EQ(0, SendMessageW(popup(), WM_NOTIFY, 2801, (LPARAM)&click));
    EXPECT_EQ(L"Legal", page.chosen.back());
    EXPECT_EQ(1, ComboSel());

    ClickCombo();
    SendMessageW(list(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(shown());
    EXPECT_EQ(combo(), GetFocus());
    // Without a selection mark nothing is chosen.
    ClickCombo();
    page.m_popup->m_list.SetSelectionMark(-1);
    click.code = (UINT)NM_RETURN;
    SendMessageW(popup(), WM_NOTIFY, 2801, (LPARAM)&click);
    EXPECT_EQ(2u, page.chosen.size());
    EXPECT_TRUE(shown());

    // A name the page lacks (it answers E_FAIL) still reaches it; the popup
    // answers 1 and the box keeps its paper.
    CString unknown(L"Not a paper");
    EXPECT_EQ(1, SendMessageW(popup(), WM_PAPER_CHOSEN, 0, (LPARAM)&unknown));
    EXPECT_EQ(L"Not a paper", page.chosen.back());
    EXPECT_EQ(1, ComboSel());
}

TEST_F(ComboGui, TheWheelOnTheClosedComboBoxDeliversTheNewName)
{
    Open(60, 3);
    Send(combo(), WM_MOUSEWHEEL, 60, 80, MAKEWPARAM(0, (WORD)-WHEEL_DELTA));
    ASSERT_EQ(std::vector<std::wstring>{ L"A5" }, page.chosen);
    EXPECT_EQ(4, ComboSel());
    EXPECT_FALSE(shown());
    EXPECT_LT(0, SendMessageW(list(), LVM_GETTOPINDEX, 0, 0));   // the hidden list scrolled along
    Send(combo(), WM_MOUSEWHEEL, 60, 80, MAKEWPARAM(0, (WORD)WHEEL_DELTA));
    EXPECT_EQ(L"A4", page.chosen.back());
    EXPECT_FALSE(shown());
}

TEST_F(ComboGui, OpeningRevealsTheCurrentPaperFarDownALongList)
{
    Open(60, 0);
    page.m_popup->SelectItem(55);
    SendMessageW(list(), LVM_ENSUREVISIBLE, 0, FALSE);
    ClickCombo();
    EXPECT_EQ(55, Selected());
    EXPECT_EQ(55, Mark());
    RECT row = { LVIR_BOUNDS }, header, client;
    SendMessageW(list(), LVM_GETITEMRECT, 55, (LPARAM)&row);
    GetClientRect((HWND)SendMessageW(list(), LVM_GETHEADER, 0, 0), &header);
    GetClientRect(list(), &client);
    EXPECT_GE(row.top, header.bottom);
    EXPECT_LE(row.bottom, client.bottom);
    EXPECT_TRUE(saveScreenshot(sheet, L"paper-popup-long-list"));
}

TEST_F(ComboGui, OddHostsAndEitherObjectGoingFirst)
{
    // No host page between page and sheet, then no owner window: the walk up
    // to the sheet's caption ends early.
    Open(4, 1, false);
    ClickCombo();
    EXPECT_TRUE(shown());
    page.m_popup->SetOwner(nullptr);
    ClickCombo();
    ClickCombo();
    EXPECT_TRUE(shown());
    EXPECT_EQ(nullptr, CComboDlg(&page.m_combo, nullptr).m_pCombo);

    delete page.m_popup;
    page.m_popup = nullptr;
    EXPECT_EQ(nullptr, page.m_combo.m_pPopup);
    ClickCombo();
    Send(combo(), WM_LBUTTONDBLCLK, 20, 8, MK_LBUTTON);
    Send(combo(), WM_MOUSEWHEEL, 60, 80, MAKEWPARAM(0, (WORD)-WHEEL_DELTA));
    EXPECT_EQ(2, ComboSel());
    EXPECT_TRUE(page.chosen.empty());

    // A popup whose combo box object goes first.
    HWND box = page.m_combo.UnsubclassWindow();
    CComboBtn* combo = new CComboBtn;
    ASSERT_TRUE(combo->SubclassWindow(box));
    CComboDlg* popup = new CComboDlg(combo, &page);
    ASSERT_TRUE(popup->CreateFromModule(1109, &page, g_hModuleInstance));
    delete combo;
    EXPECT_EQ(nullptr, popup->m_pCombo);
    EXPECT_EQ(0, SendMessageW(popup->m_hWnd, WM_PAPER_POPUP_TOGGLE, 0, 0));
    EXPECT_EQ(1, SendMessageW(popup->m_hWnd, WM_PAPER_CHOSEN, 0, 0));
    delete popup;
}
