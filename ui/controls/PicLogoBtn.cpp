#include "ui/controls/PicLogoBtn.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"

CPicLogoBtn::~CPicLogoBtn() = default;

BEGIN_MESSAGE_MAP(CPicLogoBtn, CPicButton)
    ON_WM_SETCURSOR()
    ON_CONTROL_REFLECT(STN_CLICKED, &CPicLogoBtn::OnClicked)
END_MESSAGE_MAP()

void CPicLogoBtn::InitLogo()
{
    if (m_hWnd)
        ModifyStyle(0, SS_NOTIFY | SS_BITMAP);
    m_nImageType = 0;
    m_nNormalID = m_nSelectedID = m_nHoverID = IDR_LOGO;
    m_nPressedID = 0;
    UINT width = 0, height = 0;
    GetImageSize(IDR_LOGO, width, height, m_nImageType);
    SizeToImage(width, height);
}

// The hand over the logo's client area; elsewhere (never for a static) the usual.
BOOL CPicLogoBtn::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest != HTCLIENT)
        return (BOOL)Default();
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

void CPicLogoBtn::OnClicked()
{
    g_seams.ShellExecuteW(nullptr, L"open", m_strUrl, nullptr, nullptr, SW_SHOWNORMAL);
}
