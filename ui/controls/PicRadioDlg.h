// CPicRadioDlg: a row of pictures of which exactly one is chosen, each with a
// label, and a tooltip popup for them.
//
// The owner (a page):
//   CPicRadioDlg* group = new CPicRadioDlg(IDD_DUPLEX_PICKER, page);
//   group->m_entries.Add({ IDC_DUPLEX_NONE, normal, selected, hover, IDC_DUPLEX_NONE_LABEL, label }); ...
//   group->m_nImageType = 0;                     // "PNG" pictures
//   group->CreateFromModule(IDD_DUPLEX_PICKER, page, languageModule);
//   move it onto its placeholder, ShowWindow(SW_SHOW);
//   group->m_pfnCallback = &OnDuplexChosen;      // called with the page after a click
//   group->SetCheck(current);
//   group->m_tip.AddTool(group->GetDlgItem(IDC_DUPLEX_NONE), text); ...
// and reads the choice with GetCheck. The owner deletes the group in its
// destructor body; the group's window goes with the page.
//
// Keyboard, as a group of radio buttons: the group is one tab stop, on the
// chosen picture (the first while none is chosen); the arrow keys move the
// choice to the next or previous picture, round the row; Space chooses the
// focused picture. A press on a picture gives it the focus, and a choice
// leaves the focus on the chosen picture, whatever the owner's callback did
// with the focus. The focused picture draws its focus cue in its own
// painting.
#pragma once

#include "framework/Afx.h"
#include "ui/UIDialog.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/TipTools.h"

// A picture of a radio group: its arrow keys move the group's choice.
class CPicRadioButton : public CPicButton {
public:
    CPicRadioButton()
    {
        m_bPushButton = FALSE;
        m_bOwnFocusCue = TRUE;
    }

protected:
    UINT OnGetDlgCode();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnSetFocus(CWnd* oldFocus);
    LRESULT OnUpdateUIState(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};

class CPicRadioDlg : public CUIDialog {
public:
    typedef void (*OWNER_CALLBACK)(CWnd* owner);

    CPicRadioDlg(UINT templateId, CWnd* parent);
    ~CPicRadioDlg() override;

    OWNER_CALLBACK m_pfnCallback = nullptr;   // after the user chose a picture; null: none
    BOOL m_bBackground = FALSE;               // the page has given the group its background
    UINT m_nImageType = 0;                    // of every picture: 0 PNG, 1 bitmap
    CTipTools m_tip;
    CArray<_RES_CTL_ID> m_entries;            // one per picture, in display order
    CArray<CPicButton*> m_buttons;            // owned, one per entry (CPicRadioButton)

    // Picture `index` chosen, every other one not; an index outside the
    // pictures leaves none chosen. The owner callback is not called.
    void SetCheck(int index);
    // The chosen picture's index; -1 when none is chosen.
    int GetCheck() const;
    // The chosen picture's label text (at most maxChars - 1 characters and a
    // NUL); the buffer stays as it was when none is chosen.
    void GetCheckedText(LPWSTR buffer, int maxChars = 100) const;
    // Gives every picture its images, size and label.
    void LayoutButtons();
    // The picture at that index was clicked: it is chosen, then the owner hears of it.
    void OnButtonClicked(int index);
    // The choice moved by an arrow key from that picture, `step` pictures on
    // (round the row): the new picture takes the focus and is clicked.
    void MoveChoice(HWND from, int step);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnEnable(BOOL enable);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage);
    LRESULT OnPictureLeft(WPARAM, LPARAM);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    int IndexOfButton(HWND control) const;
    // The tab stop on the chosen picture only (the first while none is).
    void UpdateTabStop();
};
