#include "ui/AdvanceDlg.h"
#include "res/resource.h"

CAdvanceDlg::CAdvanceDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_ADVANCED_PAGE), m_context(context) {}

CAdvanceDlg::~CAdvanceDlg()
{
    delete m_pDuplex;
    delete m_pPortraitIcons;
    delete m_pLandscapeIcons;
    delete m_pScale;
    delete m_pOrientation;
    delete m_pPrintQuality;
}

BEGIN_MESSAGE_MAP(CAdvanceDlg, CPropDlg)
END_MESSAGE_MAP()
