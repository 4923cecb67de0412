#include "ui/controls/PicNumButton.h"

BEGIN_MESSAGE_MAP(CPicNumButton, CPicButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_TIMER()
    ON_WM_MOUSELEAVE()
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

void CPicNumButton::OnLButtonUp(UINT, CPoint) { StopRepeat(); }

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
