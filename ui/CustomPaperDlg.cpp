#include "ui/CustomPaperDlg.h"
#include "res/resource.h"

CCustomPaperDlg::CCustomPaperDlg(CWnd* parent) : CPropDlg(IDD_CUSTOM_PAPER, parent) {}

CCustomPaperDlg::~CCustomPaperDlg() = default;

BEGIN_MESSAGE_MAP(CCustomPaperDlg, CPropDlg)
END_MESSAGE_MAP()
