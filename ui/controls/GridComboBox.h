// CGridComboBox: the grid's in-place drop-down list for one choice cell.
// Choosing an entry (the list closes), Tab or Enter end the edit with the
// shown entry; Escape drops it; so does any loss of focus, which stores the
// shown entry. Its window closes itself when the edit ends.
#pragma once

#include "ui/controls/GridEdit.h"

class CGridComboBox : public CComboBox, public CGridEditorState {
public:
    CGridComboBox() = default;
    ~CGridComboBox() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    // Ends the edit now, as a loss of focus does.
    void End() { EndEdit(m_hWnd); }

protected:
    int OnCreate(LPCREATESTRUCTW cs);
    void OnKillFocus(CWnd* newFocus);
    void OnCloseUp();

    DECLARE_MESSAGE_MAP()
};
