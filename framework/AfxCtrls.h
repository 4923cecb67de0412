// Thin wrappers of the common controls: each call is the control's message.
#pragma once

#include "framework/AfxWnd.h"

#include <commctrl.h>

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP bitmap)
    {
        return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
    }
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(L"EDIT", nullptr, style, rect, parent, id);
    }
    void SetLimitText(UINT maxChars) { SendMessage(EM_LIMITTEXT, maxChars); }
    void LimitText(int maxChars = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)maxChars); }
    void SetSel(int start, int end, BOOL noScroll = FALSE)
    {
        SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end);
        if (!noScroll)
            SendMessage(EM_SCROLLCARET);
    }
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(L"COMBOBOX", nullptr, style, rect, parent, id);
    }
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int index) { return (int)SendMessage(CB_SETCURSEL, (WPARAM)index); }
    int AddString(LPCWSTR text) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)text); }
    int InsertString(int index, LPCWSTR text) { return (int)SendMessage(CB_INSERTSTRING, (WPARAM)index, (LPARAM)text); }
    int DeleteString(UINT index) { return (int)SendMessage(CB_DELETESTRING, index); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    DWORD_PTR GetItemData(int index) const { return (DWORD_PTR)SendMessage(CB_GETITEMDATA, (WPARAM)index); }
    int SetItemData(int index, DWORD_PTR data) { return (int)SendMessage(CB_SETITEMDATA, (WPARAM)index, (LPARAM)data); }
    int FindStringExact(int startAfter, LPCWSTR text) const
    {
        return (int)SendMessage(CB_FINDSTRINGEXACT, (WPARAM)startAfter, (LPARAM)text);
    }
    int SelectString(int startAfter, LPCWSTR text)
    {
        return (int)SendMessage(CB_SELECTSTRING, (WPARAM)startAfter, (LPARAM)text);
    }
    int GetLBTextLen(int index) const { return (int)SendMessage(CB_GETLBTEXTLEN, (WPARAM)index); }
    int GetLBText(int index, LPWSTR text) const { return (int)SendMessage(CB_GETLBTEXT, (WPARAM)index, (LPARAM)text); }
    void GetLBText(int index, CString& text) const;
    // itemIndex -1: the selection field.
    int SetItemHeight(int itemIndex, UINT height) { return (int)SendMessage(CB_SETITEMHEIGHT, (WPARAM)itemIndex, height); }
    BOOL LimitText(int maxChars) { return (BOOL)SendMessage(CB_LIMITTEXT, (WPARAM)maxChars); }
    BOOL SetEditSel(int start, int end) { return (BOOL)SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, (WPARAM)show); }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
};

class CComboBoxEx : public CComboBox {
public:
    int InsertItem(const COMBOBOXEXITEMW* item) { return (int)SendMessage(CBEM_INSERTITEMW, 0, (LPARAM)item); }
    BOOL GetItem(COMBOBOXEXITEMW* item) const { return (BOOL)SendMessage(CBEM_GETITEMW, 0, (LPARAM)item); }
    // The list it had before.
    HIMAGELIST SetImageList(HIMAGELIST images) { return (HIMAGELIST)SendMessage(CBEM_SETIMAGELIST, 0, (LPARAM)images); }
    HIMAGELIST GetImageList() const { return (HIMAGELIST)SendMessage(CBEM_GETIMAGELIST); }
};

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::Create(WC_LISTVIEWW, nullptr, style, rect, parent, id);
    }
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1);
    BOOL SetColumn(int column, const LVCOLUMNW* info) { return (BOOL)SendMessage(LVM_SETCOLUMNW, (WPARAM)column, (LPARAM)info); }
    BOOL GetColumn(int column, LVCOLUMNW* info) const { return (BOOL)SendMessage(LVM_GETCOLUMNW, (WPARAM)column, (LPARAM)info); }
    int InsertItem(int item, LPCWSTR text);
    int InsertItem(const LVITEMW* item) { return (int)SendMessage(LVM_INSERTITEMW, 0, (LPARAM)item); }
    BOOL SetItemText(int item, int subItem, LPCWSTR text);
    CString GetItemText(int item, int subItem) const;
    BOOL DeleteItem(int item) { return (BOOL)SendMessage(LVM_DELETEITEM, (WPARAM)item); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const { return (UINT)SendMessage(LVM_GETITEMSTATE, (WPARAM)item, mask); }
    int GetNextItem(int item, int flags) const { return (int)SendMessage(LVM_GETNEXTITEM, (WPARAM)item, MAKELPARAM(flags, 0)); }
    int GetSelectionMark() const { return (int)SendMessage(LVM_GETSELECTIONMARK); }
    int SetSelectionMark(int item) { return (int)SendMessage(LVM_SETSELECTIONMARK, 0, (LPARAM)item); }
    BOOL EnsureVisible(int item, BOOL partialOk) { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, (WPARAM)item, partialOk); }
    DWORD SetExtendedStyle(DWORD exStyle) { return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, exStyle); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
    BOOL GetSubItemRect(int item, int subItem, int area, RECT& rect) const;
    BOOL GetItemPosition(int item, LPPOINT point) const { return (BOOL)SendMessage(LVM_GETITEMPOSITION, (WPARAM)item, (LPARAM)point); }
    int HitTest(LVHITTESTINFO* info) const { return (int)SendMessage(LVM_HITTEST, 0, (LPARAM)info); }
    int SubItemHitTest(LVHITTESTINFO* info) const { return (int)SendMessage(LVM_SUBITEMHITTEST, 0, (LPARAM)info); }
    HIMAGELIST GetImageList(int kind) const { return (HIMAGELIST)SendMessage(LVM_GETIMAGELIST, (WPARAM)kind); }
    HIMAGELIST SetImageList(HIMAGELIST images, int kind) { return (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)kind, (LPARAM)images); }
    HWND GetHeaderCtrl() const { return (HWND)SendMessage(LVM_GETHEADER); }
};

// Owns one image list; destroys it with the object.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    BOOL DeleteImageList();
    // The new image's index, or -1.
    int Add(HICON icon) { return m_hImageList ? ImageList_ReplaceIcon(m_hImageList, -1, icon) : -1; }
    int Replace(int image, HICON icon) { return m_hImageList ? ImageList_ReplaceIcon(m_hImageList, image, icon) : -1; }
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }

    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
