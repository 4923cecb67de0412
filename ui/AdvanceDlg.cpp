#include "ui/AdvanceDlg.h"
#include "res/resource.h"

CAdvanceDlg::CAdvanceDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_ADVANCED_PAGE), m_context(context) {}

CAdvanceDlg::~CAdvanceDlg() = default;

BEGIN_MESSAGE_MAP(CAdvanceDlg, CPropDlg)
END_MESSAGE_MAP()
