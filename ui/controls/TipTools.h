// CTipTools: the tooltip popup of a dialog's picture controls.
//
// A small popup (template 1112) with a dark background and light text of one
// or more lines. The owner registers a text per control, tells the popup which
// control is under the pointer, and the tip shows 500 ms later, 20 pixels
// below the pointer, inside the work area of the pointer's monitor. It fades
// out over 500 ms when the pointer leaves the control, touches the popup or
// clicks the control.
//
// Owner side (every dialog that shows tips does the same):
//   - keep a CTipTools member; AddTool(control, text) per control, before or
//     after the popup exists; change a text later with AddTool again;
//   - create the popup: CreateFromModule(IDD_TIP_POPUP, ownerDialog, module);
//     it is owned by the owner's top-level window, so the owner destroys it
//     in its own OnDestroy (DestroyWindow), or deletes the object first;
//   - WM_SETCURSOR: TrackSetCursor(window, mouseMessage), then default processing;
//   - WM_PICTURE_LEFT (WM_USER+102, posted by picture controls): PictureLeft(),
//     answer 0.
//
// Threads: everything runs on the thread that owns the popup. At most one show
// or hide runs at a time in the whole process: a process-wide flag is taken
// for a show (released at once) or for a whole fade (released when the fade
// ends or the popup goes); a request that finds it taken is dropped.
#pragma once

#include "framework/Afx.h"
#include "ui/UIDialog.h"
#include "ui/controls/ToolPic.h"

// One registered control and its tip.
struct TipToolMap {
    UINT nCtrlID = 0;               // the control's dialog id
    UINT nPictureID = 0;            // "PNG" picture left of the text; 0 = none
    HWND hCtrl = nullptr;           // the key of the entry; not owned
    CString strText;                // lines separated by line feeds
    UINT nFadeTime = 500;           // milliseconds of the fade-out
    UINT nOffset = 20;              // pixels between the pointer and the popup's top
    UINT nDelay = 500;              // milliseconds between tracking and showing
    WORD nMarginX = 5;              // pixels
    WORD nMarginY = 5;
    COLORREF crBack = 0x454242;     // RGB(0x42, 0x42, 0x45)
    COLORREF crText = 0xF1F1F1;
};

class CTipTools : public CUIDialog {
public:
    enum : UINT_PTR { TIMER_SHOW = 2, TIMER_FADE = 3 };
    // Steps of a fade; each timer tick moves it at least one step on.
    enum : UINT { FADE_STEPS = 20 };

    CTipTools();
    ~CTipTools() override;

    // Registers a tip, or changes the text of the control's entry (and clears
    // its picture); a null text is an empty one. FALSE for a null control.
    BOOL AddTool(HWND control, LPCWSTR text);
    BOOL AddTool(CWnd* control, LPCWSTR text) { return AddTool(control ? control->m_hWnd : nullptr, text); }
    // The control's entry, null for none. Valid until the next AddTool.
    TipToolMap* FindTool(HWND control);
    TipToolMap* FindTool(CWnd* control) { return FindTool(control ? control->m_hWnd : nullptr); }
    INT_PTR GetToolCount() const { return m_entries.GetSize(); }

    // A registered control: its tip shows after its delay, if the control is
    // still visible then (its page may have been hidden meanwhile). Anything
    // else (or null): the delay stops and a shown tip fades out.
    void Track(HWND control);
    void Track(CWnd* control) { Track(control ? control->m_hWnd : nullptr); }

    // Show: lays the popup out for the entry at the pointer, then requests the
    // show; an empty text shows nothing. Hide: requests the fade-out.
    void ShowTip(BOOL show, TipToolMap* entry);

    // Geometry: the popup at the cursor, kept in the work area of the
    // cursor's monitor; its size from the text; the line count and the widest
    // line in pixels (first of the greatest width) with its width and the
    // line height, measured on the DC (with its font selected).
    void Layout(POINT cursor, TipToolMap* entry);
    void MeasureTip(TipToolMap* entry);
    static void FindLongestLine(HDC dc, LPCWSTR text, int* lineCount, CString* longestLine, SIZE* lineSize);

    // --- owner side ---
    // The owner's WM_SETCURSOR: a new control under the pointer is tracked; a
    // button going down on the tracked control hides the tip (the control
    // stays tracked, so the tip waits until the pointer has been elsewhere).
    void TrackSetCursor(HWND window, UINT mouseMessage);
    void TrackSetCursor(CWnd* window, UINT mouseMessage)
    {
        TrackSetCursor(window ? window->m_hWnd : nullptr, mouseMessage);
    }
    // The owner's WM_PICTURE_LEFT: forgets the tracked control and hides the tip.
    void PictureLeft();
    // The control last tracked through the owner side (null: none).
    HWND GetTrackedControl() const { return m_hTracked; }
    void SetTrackedControl(HWND control) { m_hTracked = control; }

    // The entry last tracked (null until then).
    TipToolMap* GetCurrentTool();
    BOOL IsFading() const { return m_bFading; }
    const CRect& GetPopupRect() const { return m_rcPopup; }
    const CRect& GetTextRect() const { return m_rcText; }
    const CRect& GetPictureRect() const { return m_rcPicture; }

    // The process-wide flag: TRUE while a show or a fade runs anywhere.
    static BOOL IsBusy();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor);
    void OnMouseMove(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    // The visible change, run with the flag taken: show at once, or start the
    // fade-out. TRUE when a fade took the flag over (it gives it back at its end).
    BOOL ShowOrHide(BOOL show);
    INT_PTR FindIndex(HWND control) const;
    // A show or hide: takes the process-wide flag, or is dropped when another
    // show or hide holds it.
    void Request(BOOL show);
    void StepFade();
    // Ends a running fade: hidden, opaque again, the flag released.
    void EndFade(BOOL hide);

    CArray<TipToolMap> m_entries;
    CToolPic m_picture;
    CRect m_rcPopup;
    CRect m_rcText;
    CRect m_rcPicture;
    INT_PTR m_nCurrent = -1;      // index of the current entry; -1: none
    HWND m_hTracked = nullptr;
    BOOL m_bFading = FALSE;       // a fade runs and holds the process-wide flag
    UINT m_nFadeTicks = 0;
    UINT m_nFadeTime = 0;
    ULONGLONG m_fadeStart = 0;
};
