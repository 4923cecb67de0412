// CAdvanceDlg: the Advanced page of the document sheet (template 1103).
#pragma once

#include "ui/PropDlg.h"

struct PROPSHEET_CONTEXT;

class CAdvanceDlg : public CPropDlg {
public:
    explicit CAdvanceDlg(PROPSHEET_CONTEXT* context);
    ~CAdvanceDlg() override;

    PROPSHEET_CONTEXT* m_context;   // not owned

protected:
    DECLARE_MESSAGE_MAP()
};
