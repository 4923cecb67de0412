#include "ui/controls/ToolPic.h"
#include "plugin/TessivonApp.h"
#include "ui/controls/PictureCache.h"

CToolPic::~CToolPic() = default;

BEGIN_MESSAGE_MAP(CToolPic, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CToolPic::OnPaint()
{
    {
        CPaintDC validate(this);
    }
    DrawPicture((WORD)m_nImageID);
}

void CToolPic::DrawPicture(WORD id)
{
    if (!m_hWnd || !id)
        return;
    CPictureCache::PicturePtr picture = CPictureCache::Get(g_hModuleInstance, m_nImageType, id);
    if (!picture)
        return;
    CPictureBitmap image(*picture);
    if (image.GetLastStatus() != Gdiplus::Ok)
        return;
    CClientDC dc(this);
    Gdiplus::Graphics graphics(dc.GetSafeHdc());
    const INT width = (INT)picture->width, height = (INT)picture->height;
    graphics.DrawImage(&image, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
}

void CToolPic::SizeTo(int width, int height)
{
    if (!m_hWnd)
        return;
    CRect rect;
    GetWindowRect(rect);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<LPPOINT>(&rect), 2);
    MoveWindow(rect.left, rect.top, width, height, TRUE);
}
