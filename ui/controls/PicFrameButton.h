// CPicFrameButton: a slider drawn as one picture per step (frame).
//
// Each frame names its pictures and the value it stands for, and three x
// ranges in client pixels (both ends included): a click in the current
// frame's step-forward zone moves to the next frame, in its step-back zone to
// the previous one (the owner calls StepFrame on STN_CLICKED); a press
// anywhere else starts a drag, during which the frame whose frame range holds
// the pointer's x becomes current and the current value is written into the
// density of the sheet's private DEVMODE (nothing without a DEVMODE pair). A
// drag that ends on another frame than it started from tells the parent with
// STN_CLICKED, as a click does (the press of a drag in the thumb clicks
// without stepping; the owner's click handling then takes the new value).
// The keys move it as a slider's: Left or Up one frame back, Right or Down one
// forward, Home to the first and End to the last; a key that moves it writes
// the value and tells the parent as the end of a drag does.
#pragma once

#include "ui/controls/PicButton.h"

struct PROPSHEET_CONTEXT;

// One frame of a slider; x ranges in client pixels of the slider, inclusive.
struct _PIC_FRAME_DATA {
    int nImageID;
    int nHoverID;
    int nImageType;
    int nValue;          // the number the frame stands for
    int nForwardFrom;    // step-forward zone
    int nForwardTo;
    int nBackFrom;       // step-back zone
    int nBackTo;
    int nThumbFrom;      // the thumb (not consulted by the slider)
    int nThumbTo;
    int nFrameFrom;      // selects this frame while dragging
    int nFrameTo;
};

class CPicFrameButton : public CPicButton {
public:
    enum { ZONE_FORWARD = 0, ZONE_BACK = 1, ZONE_OTHER = 2 };

    CArray<_PIC_FRAME_DATA> m_arrFrames;    // frame 0 first; filled by the owner
    int m_nCurFrame = 0;
    int m_nZone = ZONE_OTHER;               // zone under the pointer
    BOOL m_bDragging = FALSE;
    int m_nDragFrom = 0;                    // the current frame when the drag started
    PROPSHEET_CONTEXT* m_pContext = nullptr; // the sheet's; not owned

    // Makes the frame current and shows it; E_INVALIDARG outside the frames.
    HRESULT SetFrame(int index);
    // SetFrame of the first frame with that value; E_FAIL when none has it
    // (the current frame stays).
    HRESULT SetFrameByValue(int value);
    // The current frame's value (0 without frames).
    int GetFrameValue() const;
    // On the control's click: one frame forward in the step-forward zone, back
    // in the step-back zone, none elsewhere or past either end; the current
    // frame is shown again in every case.
    void StepFrame();

protected:
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    // The static's own handling (STN_DBLCLK), not the picture's press.
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    UINT OnGetDlgCode();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);

    void ShowFrame();
    // The zone of the current frame that holds x.
    int ZoneAt(int x) const;
    // The current frame's value into the density of the private DEVMODE.
    void WriteValue();
    bool HoldsCapture() const { return ::GetCapture() == m_hWnd; }

    DECLARE_MESSAGE_MAP()
};
