#include "TestWindow.h"
#include "Files.h"
#include "Screenshot.h"

#include <cstdio>

namespace harness {

namespace {

const wchar_t kFrameClass[] = L"BqTestFrame";

void RegisterFrameClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    registered = RegisterClassW(&wc) != 0;
}

} // namespace

TestFrame::TestFrame(int width, int height, const wchar_t* caption)
{
    RegisterFrameClass();
    m_hwnd = CreateWindowExW(0, kFrameClass, caption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                             width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
}

TestFrame::~TestFrame() { destroy(); }

void TestFrame::destroy()
{
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

void pumpMessages()
{
    MSG msg;
    for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

COLORREF screenPixel(HWND window, int x, int y)
{
    pumpMessages();
    GdiFlush();
    POINT p = { x, y };
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

std::vector<COLORREF> screenPixels(HWND window, const RECT& rect)
{
    pumpMessages();
    GdiFlush();
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    std::vector<COLORREF> colours;
    if (w <= 0 || h <= 0)
        return colours;
    POINT origin = { rect.left, rect.top };
    ClientToScreen(window, &origin);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        for (int i = 0; i < w * h; ++i)
            colours.push_back(RGB((pixels[i] >> 16) & 0xff, (pixels[i] >> 8) & 0xff, pixels[i] & 0xff));
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colours;
}

bool saveScreenshot(HWND window, const std::wstring& name)
{
    pumpMessages();
    std::wstring dir = programDirectory();
    dir = dir.substr(0, dir.find_last_of(L'\\')) + L"\\screenshots";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring path = dir + L"\\" + name + L".png";
    bool ok = saveWindowPng(window, path);
    std::printf("screenshot: %ls%s\n", path.c_str(), ok ? "" : " (failed)");
    return ok;
}

} // namespace harness
