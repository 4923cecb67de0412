#include "ui/controls/ComboBtn.h"
#include "ui/controls/ComboDlg.h"

#include <stdlib.h>

namespace {
// How far the pointer may move between press and release of a click.
constexpr int kClickSlop = 5;
}

BEGIN_MESSAGE_MAP(CComboBtn, CComboBox)
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_WM_SYSKEYDOWN()
    ON_CONTROL_REFLECT(CBN_SELCHANGE, &CComboBtn::OnSelChange)
END_MESSAGE_MAP()

CComboBtn::~CComboBtn()
{
    // Either may go first: neither keeps the other's address past its end.
    if (m_pPopup && m_pPopup->m_pCombo == this)
        m_pPopup->m_pCombo = nullptr;
}

CComboDlg* CComboBtn::Popup() const { return m_pPopup && m_pPopup->m_hWnd ? m_pPopup : nullptr; }

BOOL CComboBtn::Press(CPoint point)
{
    CComboDlg* popup = Popup();
    // A press while the popup is open closes it. The popup may already have
    // hidden itself: the press activated the sheet, which deactivated it.
    BOOL wasOpen = popup && (popup->IsWindowVisible() || popup->m_bClosedByPress);
    if (popup)
        popup->m_bClosedByPress = FALSE;
    SetFocus();
    m_ptPress = point;
    if (wasOpen) {
        m_bArmed = 0;
        if ((popup = Popup()) != nullptr && popup->IsWindowVisible())
            popup->SendMessage(WM_PAPER_POPUP_TOGGLE);
        return FALSE;
    }
    m_bArmed = 1;
    return TRUE;
}

// No default processing: the combo box's own list never opens.
void CComboBtn::OnLButtonDown(UINT, CPoint point) { Press(point); }

void CComboBtn::OnLButtonDblClk(UINT, CPoint point)
{
    // Each press of a double-click toggles: this one at once.
    if (!Press(point))
        return;
    if (CComboDlg* popup = Popup()) {
        popup->SendMessage(WM_PAPER_POPUP_TOGGLE);
        m_bArmed = 0;
    }
}

void CComboBtn::OnLButtonUp(UINT, CPoint)
{
    CComboDlg* popup = Popup();
    if (m_bArmed && popup) {
        m_bArmed = 0;
        popup->SendMessage(WM_PAPER_POPUP_TOGGLE);
    }
}

void CComboBtn::OnMouseMove(UINT, CPoint point)
{
    if (m_bArmed && (abs(point.x - m_ptPress.x) > kClickSlop || abs(point.y - m_ptPress.y) > kClickSlop))
        m_bArmed = 0;
    Default();
}

BOOL CComboBtn::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    // The box itself may change its selection (CBN_SELCHANGE tells the
    // popup); the popup's list scrolls with it.
    Default();
    CComboDlg* popup = Popup();
    if (popup && popup->m_list.m_hWnd)
        popup->m_list.DefWindowProc(WM_MOUSEWHEEL, MAKEWPARAM(flags, (WORD)delta), MAKELPARAM(point.x, point.y));
    return TRUE;
}

// The keys that drop a combo box's list toggle the popup in its place.
void CComboBtn::OnKeyDown(UINT key, UINT, UINT)
{
    CComboDlg* popup = Popup();
    if (key == VK_F4 && popup)
        popup->SendMessage(WM_PAPER_POPUP_TOGGLE);
    else
        Default();
}

void CComboBtn::OnSysKeyDown(UINT key, UINT, UINT flags)
{
    CComboDlg* popup = Popup();
    if ((key == VK_DOWN || key == VK_UP) && (flags & KF_ALTDOWN) && popup)
        popup->SendMessage(WM_PAPER_POPUP_TOGGLE);
    else
        Default();
}

void CComboBtn::OnSelChange()
{
    if (CComboDlg* popup = Popup())
        popup->SendMessage(WM_PAPER_CHOSEN, 0, 0);
}
