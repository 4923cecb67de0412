#include "framework/AfxCtrls.h"

void CComboBox::GetLBText(int index, CString& text) const
{
    int length = GetLBTextLen(index);
    if (length < 0) {
        text.Empty();
        return;
    }
    WCHAR* buffer = text.GetBufferSetLength(length);
    int copied = (int)SendMessage(CB_GETLBTEXT, (WPARAM)index, (LPARAM)buffer);
    text.ReleaseBuffer(copied < 0 ? 0 : copied);
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width)
{
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0);
    info.fmt = format;
    info.cx = width;
    info.pszText = const_cast<LPWSTR>(heading);
    return (int)SendMessage(LVM_INSERTCOLUMNW, (WPARAM)column, (LPARAM)&info);
}

int CListCtrl::InsertItem(int item, LPCWSTR text)
{
    LVITEMW info = {};
    info.mask = LVIF_TEXT;
    info.iItem = item;
    info.pszText = const_cast<LPWSTR>(text);
    return InsertItem(&info);
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text)
{
    LVITEMW info = {};
    info.iSubItem = subItem;
    info.pszText = const_cast<LPWSTR>(text);
    return (BOOL)SendMessage(LVM_SETITEMTEXTW, (WPARAM)item, (LPARAM)&info);
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    // LVM_GETITEMTEXT answers the copied length: grow until it fits.
    CString text;
    for (int size = 256;; size *= 2) {
        LVITEMW info = {};
        info.iSubItem = subItem;
        info.cchTextMax = size;
        info.pszText = text.GetBufferSetLength(size);
        int copied = (int)SendMessage(LVM_GETITEMTEXTW, (WPARAM)item, (LPARAM)&info);
        if (copied < size - 1 || size >= (1 << 20)) {
            text.ReleaseBuffer(copied < 0 ? 0 : copied);
            return text;
        }
    }
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMW info = {};
    info.state = state;
    info.stateMask = mask;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&info);
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const
{
    if (!rect)
        return FALSE;
    rect->left = (LONG)code;
    return (BOOL)SendMessage(LVM_GETITEMRECT, (WPARAM)item, (LPARAM)rect);
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int area, RECT& rect) const
{
    rect.top = subItem;
    rect.left = area;
    return (BOOL)SendMessage(LVM_GETSUBITEMRECT, (WPARAM)item, (LPARAM)&rect);
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    DeleteImageList();
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return ok;
}
