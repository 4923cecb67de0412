// CGridEdit: the grid's in-place edit box for one cell, at most 16
// characters. Tab and Enter end the edit (the text is stored), Escape drops
// it; so does any loss of focus, which stores the text. Its window closes
// itself when the edit ends; the object stays with the grid for the next edit.
#pragma once

#include "framework/AfxCtrls.h"

// What both in-place editors share: the cell they edit and how the edit ends.
class CGridEditorState {
public:
    int m_nRow = 0;
    int m_nColumn = 0;
    BOOL m_bCancelled = FALSE;

    // Starts an edit of the cell.
    void Begin(int row, int column);
    // TRUE from Begin until the edit has ended (stored or dropped).
    bool IsEditing() const { return m_editing; }

protected:
    // Tab, Enter and Escape end the edit (Escape drops it): the grid takes
    // the focus and the key is consumed.
    BOOL TranslateEndKey(HWND editor, const MSG* msg);
    // Once per edit: unless dropped, LVN_ENDLABELEDITW with the editor's text
    // goes to the grid; then the window closes itself.
    void EndEdit(HWND editor);

    bool m_editing = false;
};

class CGridEdit : public CEdit, public CGridEditorState {
public:
    CGridEdit() = default;
    ~CGridEdit() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    // Ends the edit now, as a loss of focus does.
    void End() { EndEdit(m_hWnd); }

protected:
    int OnCreate(LPCREATESTRUCTW cs);
    void OnKillFocus(CWnd* newFocus);

    DECLARE_MESSAGE_MAP()
};
