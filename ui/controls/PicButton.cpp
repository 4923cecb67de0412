#include "ui/controls/PicButton.h"
#include "plugin/TessivonApp.h"
#include "ui/controls/PictureCache.h"

CPicButton::~CPicButton() = default;

BEGIN_MESSAGE_MAP(CPicButton, CStatic)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CAPTURECHANGED()
    ON_WM_PAINT()
    ON_WM_ENABLE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(WM_GETDLGCODE, &CPicButton::OnGetDlgCode)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
END_MESSAGE_MAP()

void CPicButton::GetImageSize(UINT id, UINT& width, UINT& height, UINT kind)
{
    CPictureCache::PicturePtr picture = CPictureCache::Get(g_hModuleInstance, kind, id);
    if (!picture)
        return;
    width = picture->width;
    height = picture->height;
}

CRect CPicButton::RectInParent() const
{
    CRect rect;
    ::GetWindowRect(m_hWnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<LPPOINT>(&rect), 2);
    return rect;
}

void CPicButton::SizeToImage(UINT width, UINT height)
{
    if (!m_hWnd)
        return;
    CRect rect;
    ::GetWindowRect(m_hWnd, &rect);
    if (rect.Width() == (int)width && rect.Height() == (int)height)
        return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, (int)width, (int)height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPicButton::InvalidateBackground()
{
    if (!m_hWnd)
        return;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent) {
        Invalidate(TRUE);
        return;
    }
    CRect rect = RectInParent();
    ::InvalidateRect(parent, &rect, TRUE);
}

void CPicButton::DrawImage(UINT id)
{
    // A hidden control shows nothing: its WM_PAINT draws it once it is shown.
    if (!m_hWnd || !id || !::IsWindowVisible(m_hWnd))
        return;
    CPictureCache::PicturePtr picture = CPictureCache::Get(g_hModuleInstance, m_nImageType, id);
    if (!picture)
        return;
    CPictureBitmap image(*picture);
    if (image.GetLastStatus() != Gdiplus::Ok)
        return;
    CClientDC dc(this);
    // A control with a window shape draws inside it only: a static's DC is
    // clipped to its parent, not to the control.
    if (HRGN shape = ::CreateRectRgn(0, 0, 0, 0)) {
        if (::GetWindowRgn(m_hWnd, shape) != ERROR)
            ::SelectClipRgn(dc.GetSafeHdc(), shape);
        ::DeleteObject(shape);
    }
    {
        Gdiplus::Graphics graphics(dc.GetSafeHdc());
        Gdiplus::ImageAttributes attributes;
        if (!IsWindowEnabled())
            attributes.SetGamma(0.4f, Gdiplus::ColorAdjustTypeDefault);
        const INT width = (INT)picture->width, height = (INT)picture->height;
        graphics.DrawImage(&image, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel,
                           &attributes);
    }
    if (!ShowsFocusCue())
        return;
    // Dotted as the system's focus frame, but drawn, not inverted: drawing
    // the picture again over it leaves it as it was.
    CRect cue;
    GetClientRect(cue);
    cue.InflateRect(-3, -3);
    LOGBRUSH colour = { BS_SOLID, ::GetSysColor(COLOR_WINDOWTEXT), 0 };
    if (HPEN pen = ::ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &colour, 0, nullptr)) {
        const HDC hdc = dc.GetSafeHdc();
        HGDIOBJ oldPen = ::SelectObject(hdc, pen), oldBrush = ::SelectObject(hdc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hdc, cue.left, cue.top, cue.right, cue.bottom);
        ::SelectObject(hdc, oldBrush);
        ::SelectObject(hdc, oldPen);
        ::DeleteObject(pen);
    }
}

bool CPicButton::ShowsFocusCue() const
{
    return m_bOwnFocusCue && ::GetFocus() == m_hWnd &&
           !(::SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

UINT CPicButton::StateImage() const
{
    if (m_bSelected)
        return m_nSelectedID;
    if (m_bHover)
        return m_bPressed ? m_nPressedID : m_nHoverID;
    return m_nNormalID;
}

void CPicButton::Redraw() { DrawImage(StateImage()); }

void CPicButton::TrackLeave()
{
    TRACKMOUSEEVENT track = { sizeof track, TME_LEAVE, m_hWnd, 0 };
    m_bLeaveTracked = TrackMouseEvent(&track);
}

void CPicButton::NotifyClicked()
{
    if (HWND parent = ::GetParent(m_hWnd))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), STN_CLICKED), (LPARAM)m_hWnd);
}

void CPicButton::OnMouseMove(UINT, CPoint point)
{
    CRect client;
    GetClientRect(client);
    // Held, the control hears every move: off it, the pressed look goes.
    if (m_bHeld && !client.PtInRect(point)) {
        if (m_bHover) {
            m_bHover = m_bPressed = FALSE;
            if (!m_bSelected)
                InvalidateBackground();
        }
        Default();
        return;
    }
    if (!m_bHover) {
        m_bHover = TRUE;
        if (m_bHeld)
            m_bPressed = m_nPressedID != 0;
        if (!m_bSelected)
            DrawImage(m_bPressed ? m_nPressedID : m_nHoverID);
    }
    // Also when the focus gave the hover look: the pointer's leave ends it.
    if (!m_bLeaveTracked)
        TrackLeave();
    Default();
}

void CPicButton::OnMouseLeave()
{
    m_bLeaveTracked = FALSE;
    m_bHover = FALSE;
    if (!m_bSelected)
        InvalidateBackground();
    if (HWND parent = ::GetParent(m_hWnd))
        ::PostMessageW(parent, WM_PICTURE_LEFT, 0, 0);
    Default();
}

void CPicButton::DrawPressed()
{
    if (m_nPressedID) {
        m_bPressed = TRUE;
        DrawImage(m_bSelected ? m_nSelectedID : m_bHover ? m_nPressedID : m_nNormalID);
    } else {
        m_bPressed = FALSE;
    }
}

void CPicButton::DrawReleased()
{
    m_bPressed = FALSE;
    if (m_nPressedID)
        DrawImage(m_bSelected ? m_nSelectedID : m_bHover ? m_nHoverID : m_nNormalID);
}

// No default processing: the static would click on the press.
void CPicButton::OnLButtonDown(UINT, CPoint)
{
    m_bHeld = TRUE;
    SetCapture();
    DrawPressed();
}

void CPicButton::OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }

void CPicButton::OnLButtonUp(UINT, CPoint point)
{
    const BOOL held = m_bHeld;
    m_bHeld = FALSE;
    if (::GetCapture() == m_hWnd)
        ReleaseCapture();
    DrawReleased();
    Default();
    CRect client;
    GetClientRect(client);
    if (held && client.PtInRect(point))
        NotifyClicked();
}

// The capture taken away while held (another window, cancel mode): no click.
void CPicButton::OnCaptureChanged(CWnd*)
{
    if (m_bHeld) {
        m_bHeld = FALSE;
        DrawReleased();
    }
    Default();
}

// A button's code: the dialog manager keeps Tab, Escape and the arrows. A
// push button takes Enter itself: the sheet's dialog manager would press the
// sheet's default button, and the click it sends a focused default push
// button goes to the sheet, which hands it to its host page, not to the
// picture's dialog.
LRESULT CPicButton::OnGetDlgCode(WPARAM, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (m_bPushButton && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
        return DLGC_BUTTON | DLGC_WANTMESSAGE;
    return DLGC_BUTTON;
}

void CPicButton::OnKeyDown(UINT key, UINT, UINT flags)
{
    if (key == VK_RETURN && m_bPushButton) {
        // A held Enter clicks once: a second save or delete is no user's wish.
        if (!(flags & KF_REPEAT))
            NotifyClicked();
        return;
    }
    if (key != VK_SPACE) {
        Default();
        return;
    }
    // The key's repeat while held presses nothing more.
    if (!(flags & KF_REPEAT) && !m_bSpaceDown) {
        m_bSpaceDown = TRUE;
        DrawPressed();
    }
}

void CPicButton::OnKeyUp(UINT key, UINT, UINT)
{
    if (key != VK_SPACE || !m_bSpaceDown) {
        Default();
        return;
    }
    m_bSpaceDown = FALSE;
    DrawReleased();
    NotifyClicked();
}

void CPicButton::OnPaint()
{
    {
        CPaintDC validate(this);
    }
    Redraw();
}

void CPicButton::OnEnable(BOOL)
{
    Default();
    InvalidateBackground();
}

void CPicButton::OnSetFocus(CWnd*)
{
    Default();
    m_bHover = TRUE;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    CRect rect = RectInParent();
    rect.InflateRect(2, 2);
    HDC dc = ::GetDC(parent);
    if (dc) {
        ::DrawFocusRect(dc, &rect);
        ::ReleaseDC(parent, dc);
    }
}

void CPicButton::OnKillFocus(CWnd*)
{
    Default();
    // A Space still held clicks nothing once the focus has gone.
    if (m_bSpaceDown) {
        m_bSpaceDown = FALSE;
        m_bPressed = FALSE;
    }
    m_bHover = FALSE;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    CRect rect = RectInParent();
    rect.InflateRect(2, 2);
    ::InvalidateRect(parent, &rect, TRUE);
}
