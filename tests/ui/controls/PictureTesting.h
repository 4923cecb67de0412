// Helpers of the picture-control tests: a GDI+ start-up as a plug-in object
// makes one, a canvas that draws a picture as the controls do, and the
// pointer moves and clicks a user's mouse causes.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include "harness/TestWindow.h"
#include "plugin/TessivonApp.h"
#include "ui/controls/GdiPlusBitmap.h"

#include <utility>
#include <vector>

namespace picturetest {

class GdiPlusSession {
public:
    GdiPlusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        ok = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiPlusSession()
    {
        if (ok)
            Gdiplus::GdiplusShutdown(token);
    }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
    ULONG_PTR token = 0;
    bool ok = false;
};

// A test suite with one GDI+ start-up for all of its cases.
class GdiPlusSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_gdiplus = new GdiPlusSession; }
    static void TearDownTestSuite()
    {
        delete s_gdiplus;
        s_gdiplus = nullptr;
    }
    static inline GdiPlusSession* s_gdiplus = nullptr;
};

// A 32-bit DIB filled with one colour, drawn into with GDI+ and read back.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Draws as a picture control does: natural size at the origin, gamma 0.4 when disabled.
    void draw(Gdiplus::Image& image, bool disabled);
    // Pixels as 0x00RRGGBB, row by row.
    std::vector<DWORD> pixels() const;
    COLORREF pixel(int x, int y) const;

    const int w, h;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

// The colour a flat picture of the test module shows when drawn over white,
// enabled or disabled.
COLORREF drawnColour(UINT pngId, bool disabled);

// A user's pointer over a control: the real pointer goes to the client point
// and the control gets the move Windows sends; presses and releases there.
void pointerTo(HWND control, int x, int y);
void press(HWND control, int x, int y);
void release(HWND control, int x, int y);
// The pointer leaves the control: the real pointer goes off the window, the
// control's leave tracking ends and it gets WM_MOUSELEAVE, as Windows does.
void pointerAway(HWND control);
// Moves the real pointer off every test window.
void parkPointer();
// Real input of a user's mouse (for what only input does: the capture's
// routing, activation by a click): the pointer moved to a client point of the
// window, then the button events (MOUSEEVENTF_LEFTDOWN, ...) there; true once
// the last of them (or the move) has been handled.
bool realMouse(HWND window, POINT p, std::initializer_list<DWORD> buttons = {});

// --- definitions ---


inline Canvas::Canvas(int width, int height, COLORREF fill) : w(width), h(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all = { 0, 0, w, h };
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(m_dc, &all, brush);
    DeleteObject(brush);
}

inline Canvas::~Canvas()
{
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

inline void Canvas::draw(Gdiplus::Image& image, bool disabled)
{
    Gdiplus::Graphics graphics(m_dc);
    Gdiplus::ImageAttributes attributes;
    if (disabled)
        attributes.SetGamma(0.4f, Gdiplus::ColorAdjustTypeDefault);
    INT iw = (INT)image.GetWidth(), ih = (INT)image.GetHeight();
    graphics.DrawImage(&image, Gdiplus::Rect(0, 0, iw, ih), 0, 0, iw, ih, Gdiplus::UnitPixel, &attributes);
}

inline std::vector<DWORD> Canvas::pixels() const
{
    GdiFlush();
    return std::vector<DWORD>(m_bits, m_bits + w * h);
}

inline COLORREF Canvas::pixel(int x, int y) const
{
    GdiFlush();
    DWORD p = m_bits[y * w + x];
    return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
}

inline COLORREF drawnColour(UINT pngId, bool disabled)
{
    CGdiPlusBitmapResource png;
    if (!png.Load(pngId, L"PNG", g_hModuleInstance))
        return CLR_INVALID;
    Canvas canvas((int)png.m_pBitmap->GetWidth(), (int)png.m_pBitmap->GetHeight(), RGB(255, 255, 255));
    canvas.draw(*png.m_pBitmap, disabled);
    return canvas.pixel(1, 1);
}

inline void pointerTo(HWND control, int x, int y)
{
    POINT p = { x, y };
    ClientToScreen(control, &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    harness::pumpMessages();
}

inline void press(HWND control, int x, int y)
{
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    harness::pumpMessages();
}

inline void release(HWND control, int x, int y)
{
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    harness::pumpMessages();
}

inline void parkPointer()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

inline UINT g_awaitedMouseMessage = 0;

inline LRESULT CALLBACK SeeMouseMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && wParam == g_awaitedMouseMessage)
        g_awaitedMouseMessage = 0;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

inline bool realMouse(HWND window, POINT p, std::initializer_list<DWORD> buttons)
{
    ClientToScreen(window, &p);
    std::vector<INPUT> in(1, INPUT{ INPUT_MOUSE });
    in[0].mi = { (p.x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN),
                 (p.y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN), 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE };
    for (DWORD flags : buttons) {
        in.push_back(INPUT{ INPUT_MOUSE });
        in.back().mi.dwFlags = flags;
    }
    const DWORD last = in.back().mi.dwFlags;
    g_awaitedMouseMessage = last == MOUSEEVENTF_LEFTDOWN ? WM_LBUTTONDOWN
                            : last == MOUSEEVENTF_LEFTUP ? WM_LBUTTONUP : WM_MOUSEMOVE;
    HHOOK hook = SetWindowsHookExW(WH_MOUSE, &SeeMouseMessage, nullptr, GetCurrentThreadId());
    for (DWORD start = GetTickCount(), sent = SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
         sent && g_awaitedMouseMessage && GetTickCount() - start < 5000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        harness::pumpMessages();
    }
    UnhookWindowsHookEx(hook);
    return std::exchange(g_awaitedMouseMessage, 0u) == 0;
}

inline void pointerAway(HWND control)
{
    parkPointer();
    harness::pumpMessages();   // the moves the pointer made so far
    TRACKMOUSEEVENT track = { sizeof track, TME_CANCEL | TME_LEAVE, control, 0 };
    TrackMouseEvent(&track);
    SendMessageW(control, WM_MOUSELEAVE, 0, 0);
    harness::pumpMessages();
}

} // namespace picturetest
