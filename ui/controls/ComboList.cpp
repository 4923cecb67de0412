#include "ui/controls/ComboList.h"
#include "ui/controls/ComboMessages.h"

BEGIN_MESSAGE_MAP(CComboList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_RETURN, &CComboList::OnReturn)
    ON_NOTIFY_REFLECT(NM_CLICK, &CComboList::OnClick)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, &CComboList::OnKeyDown)
    ON_WM_SYSKEYDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEACTIVATE()
END_MESSAGE_MAP()

CComboList::~CComboList() = default;

void CComboList::PreSubclassWindow()
{
    // Report view, one selection always shown, no label editing.
    ModifyStyle(LVS_TYPEMASK | LVS_EDITLABELS, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    CListCtrl::PreSubclassWindow();
}

void CComboList::SelectRow(int row)
{
    POINT position;
    if (row < 0 || row >= GetItemCount() || !GetItemPosition(row, &position))
        return;
    // Single selection: selecting this row deselects the others.
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetSelectionMark(row);
    EnsureVisible(row, FALSE);
    m_nHotRow = row;
}

void CComboList::SendChoice()
{
    int row = GetSelectionMark();
    if (row < 0)
        return;
    m_strChosen = GetItemText(row, 0);
    ::SendMessageW(::GetParent(m_hWnd), WM_PAPER_CHOSEN, 0, (LPARAM)&m_strChosen);
}

void CComboList::OnReturn(NMHDR*, LRESULT* result)
{
    SendChoice();
    *result = 0;
}

void CComboList::OnClick(NMHDR*, LRESULT* result)
{
    if (!m_bInButtonUp)
        SendChoice();
    *result = 0;
}

void CComboList::OnKeyDown(NMHDR* header, LRESULT* result)
{
    // Escape, or F4 as on a combo box's list, closes the popup without a choice.
    const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
    if (key == VK_ESCAPE || key == VK_F4)
        ::SendMessageW(::GetParent(m_hWnd), WM_PAPER_POPUP_TOGGLE, 0, 0);
    *result = 0;
}

void CComboList::OnSysKeyDown(UINT key, UINT, UINT flags)
{
    if ((key == VK_DOWN || key == VK_UP) && (flags & KF_ALTDOWN))
        ::SendMessageW(::GetParent(m_hWnd), WM_PAPER_POPUP_TOGGLE, 0, 0);
    else
        Default();
}

void CComboList::OnMouseMove(UINT, CPoint point)
{
    // Hit-tested at the left edge, so that any point of a row finds it, also
    // right of the last column.
    LVHITTESTINFO hit = {};
    hit.pt.x = 1;
    hit.pt.y = point.y;
    int row = HitTest(&hit);
    if ((hit.flags & LVHT_ONITEM) && row != -1 && row != m_nHotRow) {
        SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        m_nHotRow = row;
    }
    Default();
}

void CComboList::OnLButtonUp(UINT, CPoint)
{
    SelectRow(m_nHotRow);
    SendChoice();
    // The list reports the click as NM_CLICK while it handles the release;
    // that choice is the one just sent.
    m_bInButtonUp = TRUE;
    Default();
    m_bInButtonUp = FALSE;
}

int CComboList::OnMouseActivate(CWnd*, UINT, UINT) { return MA_NOACTIVATE; }
