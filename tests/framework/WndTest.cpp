// The window layer of the framework: message maps, reflection, subclassing
// and the end of windows, wrappers, creation, dialogs, modal loops,
// backgrounds, and handlers that throw, in real windows.
#include <gtest/gtest.h>

#include "framework/Afx.h"
#include "harness/TestWindow.h"

#include <string>
#include <vector>

using namespace harness;

namespace {

enum : UINT {
    IDD_CONTROLS = 9100,
    IDC_PUSH = 9101,
    IDC_PLAIN = 9102,
    IDC_COMBO = 9103,
    IDC_EDIT = 9104,
    IDC_LIST = 9105,
    IDC_OWN = 9106,
    IDC_TEXT = 9107,
    IDD_MODAL = 9200,
    IDC_MODAL_EDIT = 9201,
    IDD_BACKGROUND = 9300,
    IDC_BACKGROUND_TEXT = 9301,
};

const COLORREF kListFill = RGB(200, 0, 0);
const COLORREF kTextFill = RGB(0, 0, 190);

// A notify static that handles its own click.
class COwnClickStatic : public CStatic {
public:
    int clicks = 0;

protected:
    void OnClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnClickStatic, CStatic)
    ON_CONTROL_REFLECT(STN_CLICKED, &COwnClickStatic::OnClicked)
END_MESSAGE_MAP()

// A list that paints every row itself through custom draw.
class CPaintedList : public CListCtrl {
public:
    int prepaints = 0;
    int itemPrepaints = 0;

protected:
    void OnCustomDraw(NMHDR* header, LRESULT* result)
    {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            ++prepaints;
            *result = CDRF_NOTIFYITEMDRAW;
        } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            ++itemPrepaints;
            CRect row;
            GetItemRect((int)draw->nmcd.dwItemSpec, row, LVIR_BOUNDS);
            CDC dc(draw->nmcd.hdc);
            dc.FillSolidRect(row, kListFill);
            *result = CDRF_SKIPDEFAULT;
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CPaintedList::OnCustomDraw)
END_MESSAGE_MAP()

class CControlsDlg : public CDialogEx {
public:
    CControlsDlg() : CDialogEx(IDD_CONTROLS) {}
    ~CControlsDlg() override { DeleteObject(textBrush); }

    COwnClickStatic own;
    CStatic plain;
    CPaintedList list;
    CComboBox combo;
    HBRUSH textBrush = CreateSolidBrush(kTextFill);

    int pushes = 0, plainClicks = 0, ownClicksSeenByParent = 0, comboChanges = 0, parentCustomDraws = 0;
    int timers = 0, postNcDestroys = 0;
    UINT_PTR lastTimer = 0;
    HWND cursorWindow = nullptr;
    bool cursorWindowPermanent = false;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, IDC_OWN, own);
        DDX_Control(dx, IDC_PLAIN, plain);
        DDX_Control(dx, IDC_LIST, list);
        DDX_Control(dx, IDC_COMBO, combo);
    }
    void PostNcDestroy() override { ++postNcDestroys; }
    void OnPush() { ++pushes; }
    void OnPlainClicked() { ++plainClicks; }
    void OnOwnClicked() { ++ownClicksSeenByParent; }
    void OnComboChanged() { ++comboChanges; }
    void OnListCustomDraw(NMHDR*, LRESULT*) { ++parentCustomDraws; }
    LRESULT OnAsk(WPARAM wParam, LPARAM lParam) { return (LRESULT)(wParam + lParam); }
    void OnTimer(UINT_PTR id)
    {
        ++timers;
        lastTimer = id;
    }
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message)
    {
        cursorWindow = window->m_hWnd;
        cursorWindowPermanent = CWnd::FromHandlePermanent(window->m_hWnd) == window;
        return CDialogEx::OnSetCursor(window, hitTest, message);
    }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)
    {
        if (ctlColor == CTLCOLOR_STATIC && control->GetDlgCtrlID() == (int)IDC_TEXT) {
            dc->SetBkColor(kTextFill);
            return textBrush;
        }
        return CDialogEx::OnCtlColor(dc, control, ctlColor);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDlg, CDialogEx)
    ON_BN_CLICKED(IDC_PUSH, &CControlsDlg::OnPush)
    ON_STN_CLICKED(IDC_PLAIN, &CControlsDlg::OnPlainClicked)
    ON_STN_CLICKED(IDC_OWN, &CControlsDlg::OnOwnClicked)
    ON_CBN_SELCHANGE(IDC_COMBO, &CControlsDlg::OnComboChanged)
    ON_NOTIFY(NM_CUSTOMDRAW, IDC_LIST, &CControlsDlg::OnListCustomDraw)
    ON_MESSAGE(WM_APP + 1, &CControlsDlg::OnAsk)
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// A child dialog of a test frame, made from template 9100.
class Framework : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(frame.hwnd());
        dlg = new CControlsDlg;
        ASSERT_TRUE(dlg->Create(IDD_CONTROLS, CWnd::FromHandle(frame.hwnd())));
        pumpMessages();
    }
    void TearDown() override { delete dlg; }

    HWND item(UINT id) const { return GetDlgItem(dlg->m_hWnd, (int)id); }
    void click(HWND control)
    {
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }

    CAfxTempMapLock lock;
    TestFrame frame;
    CControlsDlg* dlg = nullptr;
};

typedef Framework WindowFrameworkGui;

} // namespace

TEST_F(WindowFrameworkGui, CommandsReachTheEntryOfTheirIdAndCode)
{
    SendMessageW(item(IDC_PUSH), BM_CLICK, 0, 0);
    EXPECT_EQ(1, dlg->pushes);
    SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PUSH, BN_SETFOCUS), (LPARAM)item(IDC_PUSH));
    EXPECT_EQ(1, dlg->pushes);

    dlg->combo.AddString(L"one");
    dlg->combo.AddString(L"two");
    dlg->combo.SetCurSel(1);
    SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELCHANGE), (LPARAM)item(IDC_COMBO));
    EXPECT_EQ(1, dlg->comboChanges);
    // The same code from another control has no entry.
    SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_EDIT, CBN_SELCHANGE), (LPARAM)item(IDC_EDIT));
    EXPECT_EQ(1, dlg->comboChanges);

    EXPECT_EQ(42, SendMessageW(dlg->m_hWnd, WM_APP + 1, 40, 2));
    SendMessageW(dlg->m_hWnd, WM_TIMER, 7, 0);
    EXPECT_EQ(1, dlg->timers);
    EXPECT_EQ(7u, dlg->lastTimer);

    // Without an entry the dialog manager answers.
    SetWindowTextW(dlg->m_hWnd, L"caption");
    EXPECT_EQ(7, SendMessageW(dlg->m_hWnd, WM_GETTEXTLENGTH, 0, 0));
}

TEST_F(WindowFrameworkGui, AControlThatHandlesItsNotificationHidesItFromTheParent)
{
    click(item(IDC_OWN));
    EXPECT_EQ(1, dlg->own.clicks);
    EXPECT_EQ(0, dlg->ownClicksSeenByParent);

    // A bound control without a reflected entry lets the parent see it.
    click(item(IDC_PLAIN));
    EXPECT_EQ(1, dlg->plainClicks);
}

TEST_F(WindowFrameworkGui, ACustomDrawAnswerReachesTheListThroughTheDialog)
{
    dlg->list.InsertColumn(0, L"name", LVCFMT_LEFT, 120);
    dlg->list.InsertItem(0, L"first");
    dlg->list.InsertItem(1, L"second");
    RedrawWindow(dlg->list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    EXPECT_GT(dlg->list.prepaints, 0);
    // Item stages come only when the prepaint answer reached the list.
    EXPECT_GE(dlg->list.itemPrepaints, 2);
    EXPECT_EQ(0, dlg->parentCustomDraws);
    CRect row;
    ASSERT_TRUE(dlg->list.GetItemRect(1, row, LVIR_BOUNDS));
    EXPECT_EQ(kListFill, screenPixel(dlg->list.m_hWnd, row.left + 30, (row.top + row.bottom) / 2));
    saveScreenshot(frame.hwnd(), L"framework-controls");
}

TEST_F(WindowFrameworkGui, ACtlColorBrushIsTheAnswer)
{
    HDC dc = GetDC(item(IDC_TEXT));
    EXPECT_EQ((LRESULT)dlg->textBrush, SendMessageW(dlg->m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)item(IDC_TEXT)));
    // Other controls get the dialog manager's brush.
    LRESULT other = SendMessageW(dlg->m_hWnd, WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)item(IDC_EDIT));
    EXPECT_NE(0, other);
    EXPECT_NE((LRESULT)dlg->textBrush, other);
    ReleaseDC(item(IDC_TEXT), dc);

    InvalidateRect(item(IDC_TEXT), nullptr, TRUE);
    EXPECT_EQ(kTextFill, screenPixel(item(IDC_TEXT), 5, 5));
}

TEST_F(WindowFrameworkGui, SubclassingAndUnsubclassingSwapTheWindowProcedure)
{
    HWND text = item(IDC_TEXT);
    auto original = GetWindowLongPtrW(text, GWLP_WNDPROC);
    CStatic first;
    ASSERT_TRUE(first.SubclassWindow(text));
    EXPECT_EQ((LONG_PTR)&AfxWndProc, GetWindowLongPtrW(text, GWLP_WNDPROC));
    EXPECT_EQ(&first, CWnd::FromHandlePermanent(text));
    CStatic second;
    EXPECT_FALSE(second.SubclassWindow(text));
    EXPECT_EQ(nullptr, second.m_hWnd);
    // The control still works through its own procedure.
    first.SetWindowText(L"abc");
    EXPECT_EQ(3, first.GetWindowTextLength());

    EXPECT_EQ(text, first.UnsubclassWindow());
    EXPECT_EQ(original, GetWindowLongPtrW(text, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, first.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(text));
}

TEST_F(WindowFrameworkGui, ObjectsLetGoOfWindowsTheirParentDestroyed)
{
    HWND list = dlg->list.m_hWnd, dialog = dlg->m_hWnd;
    ASSERT_TRUE(list && dialog);
    frame.destroy();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, dlg->m_hWnd);
    EXPECT_EQ(nullptr, dlg->list.m_hWnd);
    EXPECT_EQ(nullptr, dlg->own.m_hWnd);
    EXPECT_EQ(nullptr, dlg->combo.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(list));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(dialog));
    EXPECT_EQ(1, dlg->postNcDestroys);
    delete dlg;   // nothing left to destroy
    dlg = nullptr;
}

TEST_F(WindowFrameworkGui, DeletingAnObjectDestroysItsWindow)
{
    HWND dialog = dlg->m_hWnd, list = dlg->list.m_hWnd;
    delete dlg;
    dlg = nullptr;
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(dialog));
    EXPECT_TRUE(IsWindow(frame.hwnd()));
}

TEST_F(WindowFrameworkGui, FromHandleAnswersThePermanentObjectOrAWrapper)
{
    HWND edit = item(IDC_EDIT);
    CWnd* wrapper = CWnd::FromHandle(edit);
    ASSERT_NE(nullptr, wrapper);
    EXPECT_EQ(edit, wrapper->m_hWnd);
    EXPECT_EQ(wrapper, CWnd::FromHandle(edit));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
    EXPECT_EQ(&dlg->list, dlg->GetDlgItem(IDC_LIST));
    EXPECT_EQ(dlg, dlg->list.GetParent());

    CEdit bound;
    ASSERT_TRUE(bound.SubclassWindow(edit));
    EXPECT_EQ(&bound, CWnd::FromHandle(edit));
    bound.UnsubclassWindow();

    // A handler's window argument: a wrapper of the right window, or the object.
    SendMessageW(dlg->m_hWnd, WM_SETCURSOR, (WPARAM)edit, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(edit, dlg->cursorWindow);
    EXPECT_FALSE(dlg->cursorWindowPermanent);
    SendMessageW(dlg->m_hWnd, WM_SETCURSOR, (WPARAM)dlg->list.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(dlg->cursorWindowPermanent);
}

namespace {

class CCreatedEdit : public CEdit {
public:
    int creates = 0;
    DWORD styleAtCreate = 0;
    bool refuse = false;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.style |= ES_NUMBER;
        return !refuse;
    }
    int OnCreate(LPCREATESTRUCTW cs)
    {
        ++creates;
        styleAtCreate = cs->style;
        return CEdit::OnCreate(cs);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreatedEdit, CEdit)
    ON_WM_CREATE()
END_MESSAGE_MAP()

} // namespace

TEST_F(WindowFrameworkGui, ACreatedWindowIsTheObjectsFromItsFirstMessage)
{
    CCreatedEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 200, 110, 220), dlg, 9999));
    EXPECT_EQ(1, edit.creates);
    EXPECT_TRUE(edit.styleAtCreate & ES_NUMBER);
    EXPECT_TRUE(edit.styleAtCreate & WS_CHILD);
    EXPECT_EQ(&edit, CWnd::FromHandlePermanent(edit.m_hWnd));
    EXPECT_EQ(9999, edit.GetDlgCtrlID());
    EXPECT_EQ(dlg->m_hWnd, GetParent(edit.m_hWnd));

    CCreatedEdit refused;
    refused.refuse = true;
    EXPECT_FALSE(refused.Create(WS_VISIBLE, CRect(0, 0, 10, 10), dlg, 9998));
    EXPECT_EQ(nullptr, refused.m_hWnd);
    EXPECT_EQ(nullptr, GetDlgItem(dlg->m_hWnd, 9998));
}

TEST_F(WindowFrameworkGui, ControlWrappersReadBackWhatTheyWrote)
{
    dlg->combo.AddString(L"alpha");
    EXPECT_EQ(1, dlg->combo.InsertString(1, L"beta"));
    dlg->combo.SetItemData(1, 55);
    EXPECT_EQ(55u, dlg->combo.GetItemData(1));
    CString text;
    dlg->combo.GetLBText(1, text);
    EXPECT_STREQ(L"beta", text);
    EXPECT_EQ(1, dlg->combo.FindStringExact(-1, L"beta"));

    // Item texts longer than the first buffer come back whole.
    std::wstring longText(700, L'x');
    dlg->list.InsertColumn(0, L"c", LVCFMT_LEFT, 50);
    dlg->list.InsertColumn(1, L"d", LVCFMT_LEFT, 50);
    ASSERT_EQ(0, dlg->list.InsertItem(0, L"row"));
    EXPECT_TRUE(dlg->list.SetItemText(0, 1, longText.c_str()));
    EXPECT_EQ(CString(longText.c_str()), dlg->list.GetItemText(0, 1));
    EXPECT_STREQ(L"row", dlg->list.GetItemText(0, 0));

    CImageList icons;
    ASSERT_TRUE(icons.Create(16, 16, ILC_COLOR32, 2, 2));
    EXPECT_EQ(0, icons.Add(LoadIconW(nullptr, IDI_WARNING)));
    EXPECT_EQ(1, icons.GetImageCount());
}

// --- handlers that throw -----------------------------------------------------------

namespace {

// Its start and its WM_APP index an empty array; its text length asks WM_APP first.
class CThrowingDlg : public CDialog {
public:
    CArray<int> items;

protected:
    BOOL OnInitDialog() override { return items[2]; }
    LRESULT OnPastTheEnd(WPARAM, LPARAM) { return items[0]; }
    LRESULT OnTextLength(WPARAM, LPARAM)
    {
        SendMessage(WM_APP);
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingDlg, CDialog)
    ON_MESSAGE(WM_APP, &CThrowingDlg::OnPastTheEnd)
    ON_MESSAGE(WM_GETTEXTLENGTH, &CThrowingDlg::OnTextLength)
END_MESSAGE_MAP()

} // namespace

TEST_F(WindowFrameworkGui, WhatAHandlerThrowsEndsInItsWindowProcedure)
{
    CThrowingDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_BACKGROUND, CWnd::FromHandle(frame.hwnd())));
    EXPECT_EQ(0, dialog.SendMessage(WM_APP));
    // After the throw the outer handler's Default() is its own message's.
    SetWindowTextW(dialog.m_hWnd, L"still here");
    EXPECT_EQ(10, GetWindowTextLengthW(dialog.m_hWnd));
}

// --- modal dialogs ---------------------------------------------------------------

namespace {

std::vector<std::wstring>* g_log = nullptr;

void Log(const wchar_t* who, const MSG* msg)
{
    if (g_log && msg->message == WM_CHAR)
        g_log->push_back(std::wstring(who) + L":" + (wchar_t)msg->wParam);
}

// An edit that eats the letter q before the dialog manager sees it.
class CKeyEdit : public CEdit {
public:
    BOOL PreTranslateMessage(MSG* msg) override
    {
        Log(L"edit", msg);
        return msg->message == WM_CHAR && msg->wParam == 'q';
    }
};

class CModalDlg : public CDialog {
public:
    explicit CModalDlg(CWnd* parent) : CDialog(IDD_MODAL, parent) {}

    CKeyEdit edit;
    std::vector<UINT> script;   // messages posted to the edit at start: WM_CHAR letters or VK_ codes
    int endWith = 0;            // non-zero: EndDialog with it at start
    CString textAtOk;
    HWND owner = nullptr;
    bool ownerDisabled = false;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        Log(L"dlg", msg);
        return FALSE;
    }

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_MODAL_EDIT, edit); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ownerDisabled = owner && !::IsWindowEnabled(owner);
        for (UINT key : script) {
            if (key >= 'a')
                edit.PostMessage(WM_CHAR, key, 1);
            else
                edit.PostMessage(WM_KEYDOWN, key, 1);
        }
        if (endWith)
            PostMessage(WM_APP + 2);
        return TRUE;
    }
    void OnOK() override
    {
        edit.GetWindowText(textAtOk);
        CDialog::OnOK();
    }
    LRESULT OnEnd(WPARAM, LPARAM)
    {
        EndDialog(endWith);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalDlg, CDialog)
    ON_MESSAGE(WM_APP + 2, &CModalDlg::OnEnd)
END_MESSAGE_MAP()

class ModalGui : public ::testing::Test {
protected:
    void SetUp() override { g_log = &log; }
    void TearDown() override { g_log = nullptr; }
    CAfxTempMapLock lock;
    TestFrame frame;
    std::vector<std::wstring> log;
};

typedef ModalGui ModalDialogGui;

} // namespace

TEST_F(ModalDialogGui, PreTranslateMessageRunsBeforeTheDialogManager)
{
    CModalDlg modal(CWnd::FromHandle(frame.hwnd()));
    modal.owner = frame.hwnd();
    modal.script = { 'a', 'q', 'b', VK_RETURN };
    EXPECT_EQ(IDOK, modal.DoModal());
    // q never reached the edit; Return became IDOK through the dialog manager.
    EXPECT_STREQ(L"ab", modal.textAtOk);
    std::vector<std::wstring> expected = { L"edit:a", L"dlg:a", L"edit:q", L"edit:b", L"dlg:b" };
    EXPECT_EQ(expected, log);
    EXPECT_TRUE(modal.ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(frame.hwnd()));
    EXPECT_EQ(nullptr, modal.m_hWnd);
}

TEST_F(ModalDialogGui, EscapeCancelsAndEndDialogGivesItsAnswer)
{
    CModalDlg cancelled(CWnd::FromHandle(frame.hwnd()));
    cancelled.script = { 'z', VK_ESCAPE };
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
    EXPECT_TRUE(cancelled.textAtOk.IsEmpty());

    CModalDlg ended(CWnd::FromHandle(frame.hwnd()));
    ended.endWith = 77;
    EXPECT_EQ(77, ended.DoModal());

    // Without its template: -1 and the owner stays usable.
    CDialog missing(9999, CWnd::FromHandle(frame.hwnd()));
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_TRUE(IsWindowEnabled(frame.hwnd()));
}

// --- backgrounds ------------------------------------------------------------------

namespace {

// A bitmap of width x height pixels whose pixel (x, y) is Pattern(x, y).
COLORREF Pattern(int x, int y) { return RGB(40 * x + 20, 60 * y + 10, 90); }

HBITMAP PatternBitmap(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = Pattern(x, y);
            pixels[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return bitmap;
}

class BackgroundGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(IDD_BACKGROUND, CWnd::FromHandle(frame.hwnd())));
        dialog.GetClientRect(client);
        pumpMessages();
    }
    COLORREF at(int x, int y) { return screenPixel(dialog.m_hWnd, x, y); }

    CAfxTempMapLock lock;
    TestFrame frame;
    CDialogEx dialog{ IDD_BACKGROUND };
    CRect client;
};

typedef BackgroundGui DialogBackgroundGui;

const COLORREF kGreen = RGB(10, 200, 30);

} // namespace

TEST_F(DialogBackgroundGui, AColourFillsTheDialogAndItsStatics)
{
    dialog.SetBackgroundColor(kGreen);
    EXPECT_EQ(kGreen, at(3, 3));
    EXPECT_EQ(kGreen, at(client.right - 1, client.bottom - 1));
    CRect text;
    GetWindowRect(GetDlgItem(dialog.m_hWnd, IDC_BACKGROUND_TEXT), text);
    dialog.ScreenToClient(text);
    EXPECT_EQ(kGreen, at(text.left + 2, text.top + 2));

    dialog.SetBackgroundColor((COLORREF)-1);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), at(3, 3));
}

TEST_F(DialogBackgroundGui, AnImageIsTiledPixelForPixel)
{
    // Without a colour: the image everywhere, also under the transparent static.
    dialog.SetBackgroundImage(PatternBitmap(3, 2), BACKGR_TILE);
    EXPECT_EQ(Pattern(0, 0), at(3, 2));
    EXPECT_EQ(Pattern(1, 1), at(7, 5));
    CRect text;
    GetWindowRect(GetDlgItem(dialog.m_hWnd, IDC_BACKGROUND_TEXT), text);
    dialog.ScreenToClient(text);
    EXPECT_EQ(Pattern((text.left + 1) % 3, (text.top + 1) % 2), at(text.left + 1, text.top + 1));
    saveScreenshot(frame.hwnd(), L"framework-background");
}
