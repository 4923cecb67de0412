// CCustomPaperDlg: the modal dialog (template 1110) in which the user defines,
// renames, resizes and deletes the custom papers of the sheet's paper list.
#pragma once

#include "ui/PropDlg.h"

struct PROPSHEET_CONTEXT;

class CCustomPaperDlg : public CPropDlg {
public:
    explicit CCustomPaperDlg(CWnd* parent);
    ~CCustomPaperDlg() override;

    PROPSHEET_CONTEXT* m_context = nullptr;   // set by the Basic page before DoModal; not owned

protected:
    DECLARE_MESSAGE_MAP()
};
