// Benchmarks of the picture controls' drawing: a 40 x 40 PNG drawn into a
// memory DC as a control draws it, disabled (gamma 0.4) and enabled, from the
// process-wide cache and, for comparison, decoded from its resource for every
// draw; and a picture-size query from the cache.
#include "Bench.h"

#include "res/resource.h"
#include "ui/controls/GdiPlusBitmap.h"
#include "ui/controls/PictureCache.h"

#include <cstdio>
#include <memory>

namespace {

struct PictureScene {
    ULONG_PTR token = 0;
    bool started = false;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    HMODULE module = GetModuleHandleW(nullptr);

    PictureScene()
    {
        Gdiplus::GdiplusStartupInput input;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 40;
        info.bmiHeader.biHeight = -40;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~PictureScene()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        if (started)
            Gdiplus::GdiplusShutdown(token);
    }
    void draw(Gdiplus::Image& image, bool disabled = true)
    {
        Gdiplus::Graphics graphics(dc);
        Gdiplus::ImageAttributes attributes;
        if (disabled)
            attributes.SetGamma(0.4f, Gdiplus::ColorAdjustTypeDefault);
        graphics.DrawImage(&image, Gdiplus::Rect(0, 0, 40, 40), 0, 0, 40, 40, Gdiplus::UnitPixel, &attributes);
    }
};

} // namespace

BENCH_CASE(PictureDrawCached, "picture draw 40x40 PNG disabled, cached", 500)
{
    auto s = std::make_shared<PictureScene>();
    if (!s->started || !CPictureCache::Get(s->module, 0, IDR_PORTRAIT)) {
        std::printf("picture draw: no GDI+ or no picture\n");
        return {};
    }
    return [s] {
        CPictureCache::PicturePtr picture = CPictureCache::Get(s->module, 0, IDR_PORTRAIT);
        CPictureBitmap image(*picture);
        s->draw(image);
    };
}

BENCH_CASE(PictureDrawCachedEnabled, "picture draw 40x40 PNG enabled, cached", 500)
{
    auto s = std::make_shared<PictureScene>();
    if (!s->started || !CPictureCache::Get(s->module, 0, IDR_PORTRAIT)) {
        std::printf("picture draw: no GDI+ or no picture\n");
        return {};
    }
    return [s] {
        CPictureCache::PicturePtr picture = CPictureCache::Get(s->module, 0, IDR_PORTRAIT);
        CPictureBitmap image(*picture);
        s->draw(image, false);
    };
}

BENCH_CASE(PictureDrawDecoded, "picture draw 40x40 PNG disabled, decoded each time", 500)
{
    auto s = std::make_shared<PictureScene>();
    if (!s->started) {
        std::printf("picture draw: no GDI+\n");
        return {};
    }
    return [s] {
        CGdiPlusBitmapResource png;
        if (png.Load(IDR_PORTRAIT, L"PNG", s->module))
            s->draw(*png.m_pBitmap);
    };
}

BENCH_CASE(PictureSizeCached, "picture size query, cached", 2000)
{
    auto s = std::make_shared<PictureScene>();
    if (!s->started || !CPictureCache::Get(s->module, 0, IDR_LOGO)) {
        std::printf("picture size: no GDI+ or no picture\n");
        return {};
    }
    return [s] { (void)CPictureCache::Get(s->module, 0, IDR_LOGO)->width; };
}
