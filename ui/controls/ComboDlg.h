// CComboDlg: the paper popup of the Basic page (template 1109): a captionless
// tool window that a click does not activate, holding a four-column list of
// papers. It slides down under its combo box, or up above it when the work
// area has no room below, and reports the chosen paper to its owner.
//
// Use: construct with the combo box (subclassed to the page's combo) and the
// page as owner; CreateFromModule(1109, page, module); SetColumns; SetOwner
// (page); AddItem per paper; SelectItem. The owner gets WM_PAPER_CHOSEN
// (ui/controls/ComboMessages.h) with lParam the chosen name (a CString*)
// whenever a paper is chosen in the list or the combo box's own selection
// changes (keys, wheel). The combo box and the popup forget each other when
// either object goes first.
#pragma once

#include "ui/UIDialog.h"
#include "ui/controls/ComboBtn.h"
#include "ui/controls/ComboList.h"
#include "ui/controls/ComboMessages.h"

class CComboDlg : public CUIDialog {
public:
    // Both or neither: without a combo box or an owner neither is kept.
    CComboDlg(CComboBtn* combo, CWnd* owner);
    ~CComboDlg() override;

    // Four columns, each a quarter of the list's width, left-aligned.
    void SetColumns(const WCHAR* t0, const WCHAR* t1, const WCHAR* t2, const WCHAR* t3);
    // A row with the name and the three texts, and the name at the same index
    // in the combo box; answers the list row's index (-1 when it failed).
    int AddItem(int row, const WCHAR* name, const WCHAR* t1, const WCHAR* t2, const WCHAR* t3);
    // Between BeginFill and EndFill the list and the combo box neither redraw
    // nor re-measure per row; EndFill lays both out and redraws them once.
    void BeginFill();
    void EndFill();
    // Selects the row (a negative row counts as 0) in the list and in the
    // combo box; answers the row used.
    int SelectItem(int row);

    CComboList m_list;
    CComboBtn* m_pCombo = nullptr;   // not owned
    CWnd* m_pOwner = nullptr;        // not owned: the page, which owns this popup
    // 1: below the combo box, sliding down; 0: above it, sliding up.
    int m_bSlideDown = 1;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Alt+F4 (the close of the popup) hides it as a toggle does; the dialog's
    // end would keep its list from the focus when it opens again.
    void OnCancel() override;

    LRESULT OnItemChosen(WPARAM wParam, LPARAM lParam);
    LRESULT OnToggle(WPARAM wParam, LPARAM lParam);
    void OnActivate(UINT state, CWnd* other, BOOL minimized);
    int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT mouseMessage);

    DECLARE_MESSAGE_MAP()

private:
    friend class CComboBtn;

    // Under the combo box when it fits above the bottom of the work area of
    // the combo box's monitor, else above the combo box.
    void PlacePopup();
    // Focus, the sheet's caption kept active, the slide.
    void ShowPopup();
    void HidePopup();
    HWND ComboWindow() const { return m_pCombo ? m_pCombo->m_hWnd : nullptr; }

    // Set when deactivation hid the popup while the left button was down
    // over the combo box: that press closed the popup and must not open it
    // again. The combo box takes it at its next press.
    BOOL m_bClosedByPress = FALSE;
};
