#include "ui/controls/ComboDlg.h"
#include "res/resource.h"

namespace {
constexpr DWORD kSlideMs = 200;

// The list's row of a chosen name: the selection mark, from which the list
// sends its choice, else the first row of exactly that name; -1 when none.
// Rows and combo items share positions; names may differ only in case.
int ChosenRow(CComboList& list, const CString& name)
{
    const int mark = list.GetSelectionMark();
    if (mark >= 0 && list.GetItemText(mark, 0) == name)
        return mark;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row, 0) == name)
            return row;
    return -1;
}
} // namespace

CComboDlg::CComboDlg(CComboBtn* combo, CWnd* owner) : CUIDialog(IDD_PAPER_POPUP)
{
    if (combo && owner) {
        m_pCombo = combo;
        m_pOwner = owner;
    }
}

CComboDlg::~CComboDlg()
{
    if (m_pCombo && m_pCombo->m_pPopup == this)
        m_pCombo->m_pPopup = nullptr;
}

BEGIN_MESSAGE_MAP(CComboDlg, CUIDialog)
    ON_MESSAGE(WM_PAPER_CHOSEN, &CComboDlg::OnItemChosen)
    ON_MESSAGE(WM_PAPER_POPUP_TOGGLE, &CComboDlg::OnToggle)
    ON_WM_ACTIVATE()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

void CComboDlg::DoDataExchange(CDataExchange* dx)
{
    CUIDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PAPER_LIST, m_list);
}

BOOL CComboDlg::OnInitDialog()
{
    CUIDialog::OnInitDialog();
    ModifyStyleEx(0, WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
    ShowWindow(SW_HIDE);
    if (m_pCombo) {
        m_pCombo->SetFocus();
        m_pCombo->m_pPopup = this;
    }
    // The focus is given: the dialog manager's default would focus the
    // hidden list, and so activate the hidden popup in place of the sheet.
    return FALSE;
}

void CComboDlg::OnCancel() { HidePopup(); }

void CComboDlg::SetColumns(const WCHAR* t0, const WCHAR* t1, const WCHAR* t2, const WCHAR* t3)
{
    CRect rect;
    m_list.GetWindowRect(rect);
    const int width = rect.Width() / 4;
    const WCHAR* titles[4] = { t0, t1, t2, t3 };
    for (int i = 0; i < 4; ++i)
        m_list.InsertColumn(i, titles[i] ? titles[i] : L"", LVCFMT_LEFT, width);
    LVCOLUMNW format = {};
    format.mask = LVCF_FMT;
    format.fmt = LVCFMT_LEFT;
    for (int i = 0; i < 4; ++i)
        m_list.SetColumn(i, &format);
}

int CComboDlg::AddItem(int row, const WCHAR* name, const WCHAR* t1, const WCHAR* t2, const WCHAR* t3)
{
    if (!name)
        name = L"";
    int index = m_list.InsertItem(row, name);
    if (index < 0)
        return -1;
    m_list.SetItemText(index, 1, t1 ? t1 : L"");
    m_list.SetItemText(index, 2, t2 ? t2 : L"");
    m_list.SetItemText(index, 3, t3 ? t3 : L"");
    // At the list's index: a row past the end is appended to both.
    if (HWND combo = ComboWindow())
        ::SendMessageW(combo, CB_INSERTSTRING, (WPARAM)index, (LPARAM)name);
    return index;
}

void CComboDlg::BeginFill()
{
    if (m_list.m_hWnd)
        m_list.SetRedraw(FALSE);
    if (HWND combo = ComboWindow())
        ::SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
}

void CComboDlg::EndFill()
{
    if (m_list.m_hWnd) {
        m_list.SetRedraw(TRUE);
        m_list.Invalidate();
    }
    if (HWND combo = ComboWindow()) {
        ::SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(combo, nullptr, TRUE);
    }
}

int CComboDlg::SelectItem(int row)
{
    if (row < 0)
        row = 0;
    m_list.SelectRow(row);
    if (HWND combo = ComboWindow())
        ::SendMessageW(combo, CB_SETCURSEL, (WPARAM)row, 0);
    return row;
}

void CComboDlg::PlacePopup()
{
    HWND combo = ComboWindow();
    if (!combo)
        return;
    CRect popup, box;
    GetWindowRect(popup);
    ::GetWindowRect(combo, box);
    const int width = popup.Width(), height = popup.Height();
    CRect placed(box.left, box.bottom, box.left + width, box.bottom + height);
    // The bottom of the work area (no taskbar) of the combo box's monitor.
    MONITORINFO monitor = { sizeof monitor };
    LONG limit = ::GetMonitorInfoW(::MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST), &monitor)
                     ? monitor.rcWork.bottom
                     : ::GetSystemMetrics(SM_CYSCREEN);
    if (placed.bottom <= limit) {
        m_bSlideDown = 1;
    } else {
        placed = CRect(box.left, box.top - height, box.left + width, box.top);
        m_bSlideDown = 0;
    }
    MoveWindow(placed, TRUE);
}

void CComboDlg::ShowPopup()
{
    m_bClosedByPress = FALSE;
    SetFocus();
    // The popup took the focus from the sheet: keep the sheet's caption
    // active. The owner (the page) lies two parents under the sheet.
    HWND from = m_hWndOwner ? m_hWndOwner : ::GetParent(m_hWnd);
    HWND host = from ? ::GetParent(from) : nullptr;
    HWND sheet = host ? ::GetParent(host) : nullptr;
    if (sheet)
        ::SendMessageW(sheet, WM_NCACTIVATE, TRUE, 0);
    ::AnimateWindow(m_hWnd, kSlideMs, AW_SLIDE | (m_bSlideDown ? AW_VER_POSITIVE : AW_VER_NEGATIVE));
    // Where the system animates nothing, the popup is shown all the same.
    if (!IsWindowVisible())
        ShowWindow(SW_SHOWNA);
}

void CComboDlg::HidePopup()
{
    ShowWindow(SW_HIDE);
    if (HWND combo = ComboWindow())
        ::SetFocus(combo);
}

LRESULT CComboDlg::OnToggle(WPARAM, LPARAM)
{
    if (IsWindowVisible()) {
        HidePopup();
        return 0;
    }
    // Showing always starts from the combo box's current paper.
    if (HWND combo = ComboWindow()) {
        int current = (int)::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (current >= 0)
            m_list.SelectRow(current);
    }
    PlacePopup();
    ShowPopup();
    return 0;
}

LRESULT CComboDlg::OnItemChosen(WPARAM wParam, LPARAM lParam)
{
    HWND owner = m_pOwner ? m_pOwner->m_hWnd : nullptr;
    HWND combo = ComboWindow();
    if (lParam) {
        // A row chosen in the list.
        const CString* name = reinterpret_cast<const CString*>(lParam);
        HidePopup();
        if (combo) {
            const int index = ChosenRow(m_list, *name);
            if (index >= 0)
                ::SendMessageW(combo, CB_SETCURSEL, (WPARAM)index, 0);
        }
        if (owner)
            ::SendMessageW(owner, WM_PAPER_CHOSEN, wParam, lParam);
    } else if (combo) {
        // The combo box's own selection changed (keys, wheel).
        int current = (int)::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (current >= 0 && owner) {
            CString name;
            m_pCombo->GetLBText(current, name);
            ::SendMessageW(owner, WM_PAPER_CHOSEN, wParam, (LPARAM)&name);
        }
    }
    return 1;
}

void CComboDlg::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    CUIDialog::OnActivate(state, other, minimized);
    if (state != WA_INACTIVE)
        return;
    if (IsWindowVisible()) {
        // A press on the combo box activated the sheet: the press has closed
        // the popup, and must not open it again. The button state is the one
        // of the input being handled (the press), whatever the button is now.
        HWND combo = ComboWindow();
        POINT cursor;
        CRect box;
        if (combo && ::GetKeyState(VK_LBUTTON) < 0 && ::GetCursorPos(&cursor) &&
            ::GetWindowRect(combo, box) && box.PtInRect(cursor))
            m_bClosedByPress = TRUE;
    }
    HidePopup();
}

int CComboDlg::OnMouseActivate(CWnd*, UINT, UINT) { return MA_NOACTIVATE; }
