#include "Screenshot.h"

#include <gdiplus.h>

namespace harness {

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}
const CLSID kPngEncoder = { 0x557cf406, 0x1a04, 0x11d3, { 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } };

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { if (dc) ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc) DeleteDC(dc); }
};
struct Bitmap {
    HBITMAP bmp;
    Bitmap(HDC like, int w, int h) : bmp(CreateCompatibleBitmap(like, w, h)) {}
    ~Bitmap() { if (bmp) DeleteObject(bmp); }
};
struct GdiplusSession {
    ULONG_PTR token = 0;
    bool ok = false;
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        ok = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() { if (ok) Gdiplus::GdiplusShutdown(token); }
};

} // namespace

bool saveWindowPng(HWND window, const std::wstring& path)
{
    RECT r;
    if (!GetWindowRect(window, &r))
        return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    ScreenDc screen;
    MemoryDc mem(screen.dc);
    Bitmap bitmap(screen.dc, w, h);
    if (!screen.dc || !mem.dc || !bitmap.bmp)
        return false;
    HGDIOBJ old = SelectObject(mem.dc, bitmap.bmp);
    BOOL copied = BitBlt(mem.dc, 0, 0, w, h, screen.dc, r.left, r.top, SRCCOPY);
    SelectObject(mem.dc, old);
    if (!copied)
        return false;

    GdiplusSession gdiplus;
    if (!gdiplus.ok)
        return false;
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.bmp, nullptr, &image) != Gdiplus::Ok)
        return false;
    bool saved = Gdiplus::DllExports::GdipSaveImageToFile(image, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(image);
    return saved;
}

} // namespace harness
