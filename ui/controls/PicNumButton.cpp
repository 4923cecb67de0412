#include "ui/controls/PicNumButton.h"

BEGIN_MESSAGE_MAP(CPicNumButton, CPicButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_MOUSELEAVE()
    ON_WM_CAPTURECHANGED()
    ON_WM_CANCELMODE()
END_MESSAGE_MAP()

void CPicNumButton::Step()
{
    if (!m_pEdit)
        return;
    if (m_nKind == ARROW_UP)
        m_pEdit->StepUp();
    else if (m_nKind == ARROW_DOWN)
        m_pEdit->StepDown();
}

void CPicNumButton::Press()
{
    SetFocus();
    if (!HoldsCapture())
        SetCapture();
    Step();
    SetTimer(TIMER_DELAY, m_nDelayMs);
}

void CPicNumButton::StopRepeat()
{
    KillTimer(TIMER_DELAY);
    if (m_bRepeating) {
        KillTimer(TIMER_REPEAT);
        m_bRepeating = FALSE;
    }
}

void CPicNumButton::OnLButtonDown(UINT, CPoint) { Press(); }

void CPicNumButton::OnLButtonDblClk(UINT, CPoint) { Press(); }

void CPicNumButton::OnLButtonUp(UINT, CPoint)
{
    StopRepeat();
    if (HoldsCapture())
        ReleaseCapture();
}

void CPicNumButton::OnMouseMove(UINT flags, CPoint point)
{
    // While pressed the arrow hears every move: one off the arrow is its leaving.
    CRect client;
    GetClientRect(client);
    if (HoldsCapture() && !client.PtInRect(point)) {
        OnMouseLeave();
        return;
    }
    CPicButton::OnMouseMove(flags, point);
}

void CPicNumButton::OnTimer(UINT_PTR id)
{
    if (id == TIMER_DELAY) {
        KillTimer(TIMER_DELAY);
        m_bRepeating = TRUE;
        Step();
        SetTimer(TIMER_REPEAT, m_nPeriodMs);
    } else if (id == TIMER_REPEAT) {
        if (m_bRepeating)
            Step();
        else
            KillTimer(TIMER_REPEAT);
    } else {
        Default();
    }
}

void CPicNumButton::OnMouseLeave()
{
    SendMessage(WM_LBUTTONUP, 0, 0);
    CPicButton::OnMouseLeave();
}

void CPicNumButton::OnCaptureChanged(CWnd* newCapture)
{
    if (!newCapture || newCapture->m_hWnd != m_hWnd)
        StopRepeat();
    Default();
}

void CPicNumButton::OnCancelMode()
{
    StopRepeat();
    if (HoldsCapture())
        ReleaseCapture();
    Default();
}
