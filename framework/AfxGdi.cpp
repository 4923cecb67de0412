#include "framework/AfxGdi.h"
#include "framework/AfxApp.h"
#include "framework/AfxWnd.h"

CDC::~CDC() { DeleteDC(); }

BOOL CDC::CreateCompatibleDC(CDC* like)
{
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(like ? like->m_hDC : nullptr);
    m_ownsDC = m_hDC != nullptr;
    return m_ownsDC;
}

BOOL CDC::DeleteDC()
{
    if (!m_ownsDC)
        return FALSE;
    BOOL ok = ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_ownsDC = false;
    return ok;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, DWORD rop)
{
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, srcWidth,
                        srcHeight, rop);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    if (m_hDC)
        ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr)
{
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

BOOL CBitmap::LoadBitmap(UINT id) { return LoadBitmap(AfxGetResourceHandle(), id); }

BOOL CBitmap::LoadBitmap(HINSTANCE module, UINT id)
{
    DeleteObject();
    m_hObject = ::LoadBitmapW(module, MAKEINTRESOURCEW(id));
    return m_hObject != nullptr;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* like, int width, int height)
{
    DeleteObject();
    m_hObject = ::CreateCompatibleBitmap(like ? like->m_hDC : nullptr, width, height);
    return m_hObject != nullptr;
}

int CBitmap::GetBitmap(BITMAP* info) const
{
    return m_hObject && info ? ::GetObjectW(m_hObject, sizeof(BITMAP), info) : 0;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

BOOL CBitmap::Attach(HBITMAP bitmap)
{
    DeleteObject();
    m_hObject = bitmap;
    return bitmap != nullptr;
}

HBITMAP CBitmap::Detach()
{
    HBITMAP bitmap = m_hObject;
    m_hObject = nullptr;
    return bitmap;
}
