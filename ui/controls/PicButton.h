// CPicButton: a static control that draws one of its pictures by its state.
//
// The owner binds it to a static of its template (DDX_Control) and sets the
// fields directly: the image kind (0 a "PNG" resource, 1 a bitmap resource of
// the plug-in module) and the resource ids of the normal, selected, hover and
// pressed pictures (0: none). The picture drawn is the selected one while
// selected; otherwise, while the pointer is over the control or it has the
// focus, the pressed one while pressed and the hover one while not; otherwise
// the normal one. A disabled control draws its picture with gamma 0.4
// (lighter). Pictures are drawn at the client origin in their own size.
//
// A click reaches the parent as STN_CLICKED (the static needs SS_NOTIFY), as
// a push button's: the control holds the capture from the press and clicks
// on a release over it; it shows pressed only while the pointer is over it,
// and the press of a double click is a press like any other. When the
// pointer leaves, WM_PICTURE_LEFT is posted to the parent.
//
// Keyboard: the picture acts as the push button it stands for. Space clicks
// it (pressed while held, STN_CLICKED on release, as a click does), and so
// does Enter while it has the focus; Tab, Escape and the arrows are left to
// the dialog manager. Kinds that are no push button (switches, spin arrows,
// pictures of a radio group) leave Enter to the dialog's default button.
#pragma once

#include "framework/Afx.h"

// Posted to a picture control's parent (wParam 0, lParam 0) when the pointer
// has left the control: the owner hides its tooltip.
#define WM_PICTURE_LEFT (WM_USER + 102)

// One picture control of a group (radio pictures, spin arrows).
struct _RES_CTL_ID {
    UINT nCtrlID;        // the picture control
    UINT nNormalID;      // pictures
    UINT nSelectedID;
    UINT nHoverID;
    UINT nLabelID;       // the label control under the picture
    CString strLabel;    // the label's text
};

class CPicButton : public CStatic {
public:
    CPicButton() = default;
    ~CPicButton() override;

    BOOL m_bHover = FALSE;      // pointer over the control, or keyboard focus
    BOOL m_bSelected = FALSE;   // the choice is on (set by the owner)
    BOOL m_bPressed = FALSE;    // left button down on it, with a pressed picture
    UINT m_nImageType = 1;      // 0 PNG, 1 bitmap
    UINT m_nNormalID = 0;
    UINT m_nSelectedID = 0;
    UINT m_nHoverID = 0;
    UINT m_nPressedID = 0;

    // The size in pixels of the plug-in module's picture of that kind and id:
    // width into width, height into height. Another kind, or a picture that
    // does not load, leaves both as they were (callers start from 0 x 0).
    static void GetImageSize(UINT id, UINT& width, UINT& height, UINT kind);

    // Gives the control that size where it stands in its parent, repainting.
    void SizeToImage(UINT width, UINT height);
    // Draws the picture of that id (the control's image kind) at the client
    // origin; nothing for id 0 or a picture that does not load.
    void DrawImage(UINT id);
    // Draws the picture of the current state.
    void Redraw();
    // Makes the parent repaint the area the control covers, and with it the control.
    void InvalidateBackground();

    // The id of the picture the current state shows (0: none).
    UINT StateImage() const;
    // Tells the parent of a click as the static does: STN_CLICKED.
    void NotifyClicked();

protected:
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseLeave();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnCaptureChanged(CWnd* newCapture);
    void OnPaint();
    void OnEnable(BOOL enable);
    void OnSetFocus(CWnd* oldFocus);
    void OnKillFocus(CWnd* newFocus);
    LRESULT OnGetDlgCode(WPARAM, LPARAM lParam);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);

    // Asks for WM_MOUSELEAVE when the pointer leaves the control.
    void TrackLeave();
    // The pressed look on or off, as the left button (or Space) gives and takes it.
    void DrawPressed();
    void DrawReleased();
    // The control's window rectangle in its parent's client coordinates.
    CRect RectInParent() const;
    // The control draws its own focus cue and has the focus, and the
    // window's UI state does not hide focus cues (they show once the
    // keyboard is used).
    bool ShowsFocusCue() const;

    // WM_MOUSELEAVE has been asked for and not come yet. (The hover flag is
    // no such sign: the focus sets it too.)
    BOOL m_bLeaveTracked = FALSE;
    // Space went down on the focused control and is not released yet.
    BOOL m_bSpaceDown = FALSE;
    // The left button went down on the control and is not released yet.
    BOOL m_bHeld = FALSE;
    // Enter with the focus on it clicks it; kinds that are no push button
    // clear it.
    BOOL m_bPushButton = TRUE;
    // The focus cue is a dotted frame inside the picture, drawn with it.
    // Otherwise the focus shows as the hover picture and a frame drawn once
    // on the parent around the control.
    BOOL m_bOwnFocusCue = FALSE;

    DECLARE_MESSAGE_MAP()
};
