// CDialog and CDialogEx: dialogs made from templates.
//
// The dialog's window is subclassed when it is created, before its first
// message: every message reaches the object's map first, and Default() is the
// dialog manager's own processing. The dialog procedure only answers
// WM_INITDIALOG, with the object's OnInitDialog.
#pragma once

#include "framework/AfxWnd.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Modeless, from the template of the framework's current resource module;
    // the parent makes it a child or the owner of a popup, as the template's
    // style says. OnInitDialog runs inside.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Runs the dialog from its template in the current resource module with a
    // modal loop of its own; the answer of EndDialog, or -1 when the dialog
    // could not be made.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    // Ends the modal loop with that answer; a modeless dialog is hidden.
    void EndDialog(int result);

protected:
    // IDOK: UpdateData(TRUE), then EndDialog(IDOK). IDCANCEL: EndDialog(IDCANCEL).
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate = 0;
    HWND m_hWndParent = nullptr;   // the constructor's parent

    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateIndirect(UINT templateId, HWND parent);
    void RunModalLoop();
    BOOL PreTranslateChain(MSG* msg);
    BOOL m_inModalLoop = FALSE;
    BOOL m_endModal = FALSE;
    int m_modalResult = -1;
};

// Where SetBackgroundImage puts its image: tiled over the client area.
enum BackgroundLocation { BACKGR_TILE };

// A dialog with a background colour and a background image.
// - WM_ERASEBKGND: with either set, the client area is filled with the colour
//   (or the dialog's own background without one) and the image is tiled over
//   it, pixel for pixel; with neither, the dialog manager erases.
// - WM_CTLCOLOR*: with either set, a static control is drawn transparent on
//   the colour's brush (a hollow brush without a colour, or while the dialog
//   is disabled); a button-class control (group box, check box) transparent on
//   a hollow brush; the dialog itself (CTLCOLOR_DLG) gets the colour's brush.
//   Everything else is the dialog manager's answer.
class CDialogEx : public CDialog {
public:
    CDialogEx() = default;
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
    ~CDialogEx() override;

    // autoDestroy: the dialog deletes the bitmap when it is replaced and with
    // the dialog. A null bitmap removes the image.
    void SetBackgroundImage(HBITMAP bitmap, BackgroundLocation location = BACKGR_TILE, BOOL autoDestroy = TRUE,
                            BOOL repaint = TRUE);
    // (COLORREF)-1 removes the colour.
    void SetBackgroundColor(COLORREF color, BOOL repaint = TRUE);

protected:
    BOOL OnEraseBkgnd(CDC* dc);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor);

    DECLARE_MESSAGE_MAP()

private:
    void FreeBackgroundImage();
    void Repaint();
    HBITMAP m_hBkgrBitmap = nullptr;
    CSize m_sizeBkgrBitmap;
    BOOL m_bAutoDestroyBmp = FALSE;
    HBRUSH m_brBkgr = nullptr;
};
