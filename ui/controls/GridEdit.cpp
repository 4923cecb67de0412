#include "ui/controls/GridEdit.h"

#include <commctrl.h>
#include <vector>

// --- what both editors share ---------------------------------------------------

void CGridEditorState::Begin(int row, int column)
{
    m_nRow = row;
    m_nColumn = column;
    m_bCancelled = FALSE;
    m_editing = true;
}

BOOL CGridEditorState::TranslateEndKey(HWND editor, const MSG* msg)
{
    if (msg->message != WM_KEYDOWN)
        return FALSE;
    if (msg->wParam != VK_TAB && msg->wParam != VK_RETURN && msg->wParam != VK_ESCAPE)
        return FALSE;
    if (msg->wParam == VK_ESCAPE)
        m_bCancelled = TRUE;
    if (HWND grid = ::GetParent(editor))
        ::SetFocus(grid);
    // The focus was elsewhere: the edit ends all the same.
    EndEdit(editor);
    return TRUE;
}

void CGridEditorState::EndEdit(HWND editor)
{
    if (!m_editing)
        return;
    m_editing = false;
    if (!::IsWindow(editor))
        return;
    HWND grid = ::GetParent(editor);
    if (!m_bCancelled && grid) {
        int length = ::GetWindowTextLengthW(editor);
        std::vector<WCHAR> text((size_t)length + 1, L'\0');
        ::GetWindowTextW(editor, text.data(), length + 1);
        NMLVDISPINFOW info = {};
        info.hdr.hwndFrom = editor;
        info.hdr.idFrom = (UINT_PTR)::GetWindowLongPtrW(editor, GWLP_ID);
        info.hdr.code = LVN_ENDLABELEDITW;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = m_nRow;
        info.item.iSubItem = m_nColumn;
        info.item.pszText = text.data();
        info.item.cchTextMax = length;
        ::SendMessageW(grid, WM_NOTIFY, info.hdr.idFrom, (LPARAM)&info);
    }
    if (::IsWindow(editor))
        ::PostMessageW(editor, WM_CLOSE, 0, 0);
}

// --- the edit box ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CGridEdit, CEdit)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CGridEdit::~CGridEdit()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        m_editing = false;   // nothing is stored from a dying editor
        SendMessage(WM_CLOSE);
    }
}

int CGridEdit::OnCreate(LPCREATESTRUCTW cs)
{
    if (CEdit::OnCreate(cs) == -1)
        return -1;
    LRESULT font = ::SendMessageW(::GetParent(m_hWnd), WM_GETFONT, 0, 0);
    SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
    ShowWindow(SW_SHOW);
    SetFocus();
    LimitText(16);
    return 0;
}

void CGridEdit::OnKillFocus(CWnd* newFocus)
{
    CEdit::OnKillFocus(newFocus);
    EndEdit(m_hWnd);
}

BOOL CGridEdit::PreTranslateMessage(MSG* msg)
{
    return TranslateEndKey(m_hWnd, msg) || CEdit::PreTranslateMessage(msg);
}
