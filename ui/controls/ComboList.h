// CComboList: the report-view list of the paper popup (control 2801). Its
// selection follows the pointer; a click or Return chooses a paper. Escape,
// and the keys that open the popup (F4, Alt+Down, Alt+Up), close it.
#pragma once

#include "framework/AfxCtrls.h"

class CComboList : public CListCtrl {
public:
    CComboList() = default;
    ~CComboList() override;

    // Selects the row by code as a click would: selected and focused, the
    // selection mark moved there, scrolled entirely into view; no editor
    // opens. A row that is not in the list is skipped.
    void SelectRow(int row);

    // The name of the last row sent as a choice; its address travels with
    // WM_PAPER_CHOSEN, so it lives as long as the list.
    CString m_strChosen;
    // The row last selected by the pointer (or by SelectRow); -1 at the start.
    int m_nHotRow = -1;

protected:
    void PreSubclassWindow() override;

    void OnReturn(NMHDR* header, LRESULT* result);
    void OnClick(NMHDR* header, LRESULT* result);
    void OnKeyDown(NMHDR* header, LRESULT* result);
    void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    int OnMouseActivate(CWnd* topLevel, UINT hitTest, UINT mouseMessage);

    DECLARE_MESSAGE_MAP()

private:
    // Sends the row at the selection mark to the parent as the choice;
    // nothing without a mark.
    void SendChoice();
    // Set while the button-up's default processing runs: the click it
    // reports has already been sent.
    BOOL m_bInButtonUp = FALSE;
};
