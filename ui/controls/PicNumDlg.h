// CPicNumDlg: the number box, a small child dialog with a number edit and two
// spin arrows (templates 1104 for the copies, 1111 for the scale).
//
// The owner constructs it with the template id, sets the image kind, both
// arrow records (control id, normal and hover picture) and the edit's control
// id, creates it with CreateFromModule as a child of the page, places and
// shows it; then sets the edit's bounds (m_pEdit->m_nMin / m_nMax), limits its
// text to CountDigits of the maximum, sets m_pfnCallback and the edit's
// callback CPicNumDlg::OnEditChange, and writes the value with SetDlgItemInt
// of the edit id. Every change then reaches the page once, as m_pfnCallback
// with the page; the page reads the number with GetDlgItemInt of the edit id.
#pragma once

#include "ui/UIDialog.h"
#include "ui/controls/NumEdit.h"
#include "ui/controls/PicNumButton.h"

class CPicNumDlg : public CUIDialog {
public:
    explicit CPicNumDlg(UINT templateId);
    ~CPicNumDlg() override;

    UINT m_bBackgroundGiven = 0;   // set by the page once it gave the background
    UINT m_nImageType = 0;         // of both arrows
    CPicNumButton* m_pUpArrow = nullptr;     // owned
    CPicNumButton* m_pDownArrow = nullptr;   // owned
    CNumEdit<int>* m_pEdit = nullptr;        // owned
    _RES_CTL_ID m_resUpArrow;      // control id, normal and hover picture
    _RES_CTL_ID m_resDownArrow;
    UINT m_nEditID = 0;            // 2600 in template 1104, 2601 in 1111
    int m_nInitValue = 0;          // written into the edit at initialisation
    PFN_OWNER_CALLBACK m_pfnCallback = nullptr;   // called with the page

    // The edit's owner callback: hands a change of the number box's edit on
    // to the number box's own callback, with the number box's parent.
    static void OnEditChange(CWnd* numberBox);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnEnable(BOOL enable);

    DECLARE_MESSAGE_MAP()

private:
    void InitArrow(CPicNumButton* arrow, const _RES_CTL_ID& record);
};
