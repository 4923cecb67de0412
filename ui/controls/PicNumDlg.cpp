#include "ui/controls/PicNumDlg.h"

#include <new>

CPicNumDlg::CPicNumDlg(UINT templateId) : CUIDialog(templateId)
{
    m_pEdit = new (std::nothrow) CNumEdit<int>;
    m_pUpArrow = new (std::nothrow) CPicNumButton(m_pEdit, CPicNumButton::ARROW_UP);
    m_pDownArrow = new (std::nothrow) CPicNumButton(m_pEdit, CPicNumButton::ARROW_DOWN);
}

CPicNumDlg::~CPicNumDlg()
{
    delete m_pUpArrow;
    delete m_pDownArrow;
    delete m_pEdit;
}

BEGIN_MESSAGE_MAP(CPicNumDlg, CUIDialog)
    ON_WM_ENABLE()
END_MESSAGE_MAP()

void CPicNumDlg::DoDataExchange(CDataExchange* dx)
{
    CUIDialog::DoDataExchange(dx);
    if (m_pUpArrow)
        DDX_Control(dx, (int)m_resUpArrow.nCtrlID, *m_pUpArrow);
    if (m_pDownArrow)
        DDX_Control(dx, (int)m_resDownArrow.nCtrlID, *m_pDownArrow);
    if (m_pEdit)
        DDX_Control(dx, (int)m_nEditID, *m_pEdit);
}

void CPicNumDlg::InitArrow(CPicNumButton* arrow, const _RES_CTL_ID& record)
{
    if (!arrow)
        return;
    arrow->m_nImageType = m_nImageType;
    arrow->m_nNormalID = record.nNormalID;
    arrow->m_nHoverID = record.nHoverID;
    arrow->m_nSelectedID = 0;
    arrow->m_nPressedID = 0;
    UINT width = 0, height = 0;
    CPicButton::GetImageSize(arrow->m_nNormalID, width, height, arrow->m_nImageType);
    arrow->SizeToImage(width, height);
    arrow->Redraw();
}

BOOL CPicNumDlg::OnInitDialog()
{
    CUIDialog::OnInitDialog();
    InitArrow(m_pUpArrow, m_resUpArrow);
    InitArrow(m_pDownArrow, m_resDownArrow);
    SetDlgItemInt((int)m_nEditID, (UINT)m_nInitValue, TRUE);
    return TRUE;
}

void CPicNumDlg::OnEditChange(CWnd* numberBox)
{
    auto* box = dynamic_cast<CPicNumDlg*>(numberBox);
    if (!box || !box->m_hWnd)
        return;
    HWND page = ::GetParent(box->m_hWnd);
    if (page && box->m_pfnCallback)
        box->m_pfnCallback(CWnd::FromHandle(page));
}

void CPicNumDlg::OnEnable(BOOL enable)
{
    Default();
    if (m_pUpArrow && m_pUpArrow->m_hWnd)
        m_pUpArrow->EnableWindow(enable);
    if (m_pDownArrow && m_pDownArrow->m_hWnd)
        m_pDownArrow->EnableWindow(enable);
    if (m_pEdit && m_pEdit->m_hWnd)
        m_pEdit->EnableWindow(enable);
}
