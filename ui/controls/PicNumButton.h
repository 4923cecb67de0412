// CPicNumButton: a spin arrow of a number box, a picture that steps its edit
// by one when pressed and repeats while held.
//
// Press (or double-click): the arrow takes the focus (so the edit's own
// focus-loss correction runs first), steps once and starts the delay timer;
// 500 ms later it steps again and then every 100 ms, until the button is
// released or the pointer leaves the arrow; a release before the delay leaves
// one step. The steps stop changing the number at its bound. The repeat runs
// on timers of the arrow's own window, so every step and every owner callback
// happens on the thread that owns the windows, and the repeat ends with the
// window. The arrow holds the mouse capture while pressed, so it sees the
// release and the pointer's leaving wherever they happen; losing the capture
// (to another window, or to the system's cancel mode) stops the repeat too.
#pragma once

#include "ui/controls/NumEdit.h"
#include "ui/controls/PicButton.h"

class CPicNumButton : public CPicButton {
public:
    enum { ARROW_UP = 1, ARROW_DOWN = 2 };
    enum : UINT_PTR { TIMER_DELAY = 1, TIMER_REPEAT = 2 };
    static const UINT kRepeatDelayMs = 500;
    static const UINT kRepeatPeriodMs = 100;

    // kind: ARROW_UP adds 1, ARROW_DOWN subtracts 1; the edit is not owned.
    CPicNumButton(CNumEdit<int>* edit, int kind) : m_pEdit(edit), m_nKind(kind) { m_bPushButton = FALSE; }

    CNumEdit<int>* const m_pEdit;
    BOOL m_bRepeating = FALSE;   // the repeat timer steps the number
    // The delay before the repeat and its period (tests drive the timers by
    // their messages and set these out of reach).
    UINT m_nDelayMs = kRepeatDelayMs;
    UINT m_nPeriodMs = kRepeatPeriodMs;
    const int m_nKind;

protected:
    void Step();
    void Press();
    void StopRepeat();

    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    void OnMouseLeave();
    void OnCaptureChanged(CWnd* newCapture);
    void OnCancelMode();

    bool HoldsCapture() const { return ::GetCapture() == m_hWnd; }

    DECLARE_MESSAGE_MAP()
};
