#include "ui/controls/GridComboBox.h"

BEGIN_MESSAGE_MAP(CGridComboBox, CComboBox)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
    ON_CONTROL_REFLECT(CBN_CLOSEUP, &CGridComboBox::OnCloseUp)
END_MESSAGE_MAP()

CGridComboBox::~CGridComboBox()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        m_editing = false;   // nothing is stored from a dying editor
        SendMessage(WM_CLOSE);
    }
}

int CGridComboBox::OnCreate(LPCREATESTRUCTW cs)
{
    int result = CComboBox::OnCreate(cs);
    if (result != -1) {
        LRESULT font = ::SendMessageW(::GetParent(m_hWnd), WM_GETFONT, 0, 0);
        SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
        SetFocus();
    }
    return result;
}

void CGridComboBox::OnKillFocus(CWnd* newFocus)
{
    // The list closes here (its close-up finds the focus gone already).
    CComboBox::OnKillFocus(newFocus);
    EndEdit(m_hWnd);
}

void CGridComboBox::OnCloseUp()
{
    // Choosing from the list ends the edit; a list closed because the focus
    // left leaves the focus where it went.
    if (IsEditing() && ::GetFocus() == m_hWnd)
        ::SetFocus(::GetParent(m_hWnd));
}

BOOL CGridComboBox::PreTranslateMessage(MSG* msg)
{
    return TranslateEndKey(m_hWnd, msg) || CComboBox::PreTranslateMessage(msg);
}
