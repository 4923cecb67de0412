// The bitmap holders, the picture sizes and the process-wide picture cache:
// what a control draws from the cache is what the decoded picture draws.
#include <gtest/gtest.h>

#include "PictureTesting.h"

#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "ui/controls/GdiPlusBitmap.h"
#include "ui/controls/PicButton.h"
#include "ui/controls/PictureCache.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace picturetest;

namespace {

enum : UINT {
    IDP_NORMAL = 9601,
    IDP_SELECTED = 9604,
    IDB_TEST_OFF = 9612,
    IDP_EMPTY = 9620,
    IDP_OTHER_TYPE = 9621,
    IDP_NOT_A_PICTURE = 9622,
};

class PictureHolders : public picturetest::GdiPlusSuite {
protected:
    void SetUp() override { ASSERT_TRUE(s_gdiplus && s_gdiplus->ok); }
    static HMODULE module() { return g_hModuleInstance; }
};

typedef PictureHolders PictureCache;

} // namespace

TEST_F(PictureHolders, APngResourceLoadsWithItsSize)
{
    CGdiPlusBitmapResource png;
    ASSERT_TRUE(png.Load(IDP_NORMAL, L"PNG", module()));
    ASSERT_NE(nullptr, png.m_pBitmap);
    EXPECT_NE(nullptr, png.m_hBuffer);
    UINT width = 0, height = 0;
    png.GetSize(width, height);
    EXPECT_EQ(24u, width);
    EXPECT_EQ(16u, height);
    Gdiplus::Color colour;
    ASSERT_EQ(Gdiplus::Ok, png.m_pBitmap->GetPixel(3, 3, &colour));
    EXPECT_EQ(Gdiplus::Color(255, 160, 40, 40).GetValue(), colour.GetValue());

    // The type argument is not consulted; loading again replaces the picture.
    ASSERT_TRUE(png.Load(MAKEINTRESOURCEW(IDP_SELECTED), RT_RCDATA, module()));
    ASSERT_EQ(Gdiplus::Ok, png.m_pBitmap->GetPixel(3, 3, &colour));
    EXPECT_EQ(Gdiplus::Color(255, 160, 160, 40).GetValue(), colour.GetValue());

    // A real picture of the module.
    ASSERT_TRUE(png.Load(IDR_LOGO, L"PNG", module()));
    png.GetSize(width, height);
    EXPECT_EQ(112u, width);
    EXPECT_EQ(32u, height);
}

TEST_F(PictureHolders, WhatIsNotAPngResourceDoesNotLoad)
{
    // The resources exist: an empty "PNG" and a PNG file stored as RCDATA.
    HRSRC empty = FindResourceW(module(), MAKEINTRESOURCEW(IDP_EMPTY), L"PNG");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, SizeofResource(module(), empty));
    ASSERT_NE(nullptr, FindResourceW(module(), MAKEINTRESOURCEW(IDP_OTHER_TYPE), RT_RCDATA));

    CGdiPlusBitmapResource png;
    for (UINT id : { (UINT)IDP_EMPTY, (UINT)IDP_OTHER_TYPE, (UINT)IDP_NOT_A_PICTURE, 9699u, (UINT)IDB_SWITCH_ON }) {
        ASSERT_TRUE(png.Load(IDP_NORMAL, L"PNG", module()));
        EXPECT_FALSE(png.Load(id, L"PNG", module())) << id;
        // What was held before is gone, nothing is held.
        EXPECT_EQ(nullptr, png.m_pBitmap) << id;
        EXPECT_EQ(nullptr, png.m_hBuffer) << id;
    }
    // Pictures come from the module asked for.
    EXPECT_FALSE(png.Load(IDP_NORMAL, L"PNG", GetModuleHandleW(L"kernel32")));
}

TEST_F(PictureHolders, GetSizeWritesWidthAndHeightInTheirPlaces)
{
    CGdiPlusBitmap bitmap(Gdiplus::Bitmap::FromResource(module(), MAKEINTRESOURCEW(IDB_TEST_OFF)));
    ASSERT_NE(nullptr, bitmap.m_pBitmap);
    UINT width = 0, height = 0;
    bitmap.GetSize(width, height);
    EXPECT_EQ(20u, width);
    EXPECT_EQ(16u, height);

    CGdiPlusBitmap empty;
    width = 7;
    height = 9;
    empty.GetSize(width, height);
    EXPECT_EQ(7u, width);
    EXPECT_EQ(9u, height);
}

TEST_F(PictureHolders, ImageSizeByKind)
{
    struct Case {
        UINT id, kind, width, height;
    } cases[] = {
        { IDP_NORMAL, 0, 24, 16 },      { IDB_TEST_OFF, 1, 20, 16 },  { IDR_LOGO, 0, 112, 32 },
        { IDB_SWITCH_ON, 1, 50, 19 },   { IDB_DENSITY_SCALE, 1, 110, 22 }, { IDR_ARROW_UP, 0, 23, 23 },
        { IDR_DENSITY_LIGHT, 0, 113, 30 },
    };
    for (const Case& c : cases) {
        UINT width = 0, height = 0;
        CPicButton::GetImageSize(c.id, width, height, c.kind);
        EXPECT_EQ(c.width, width) << c.id;
        EXPECT_EQ(c.height, height) << c.id;
    }
    // Another kind, the wrong kind, a missing or unreadable picture: unchanged.
    struct Unchanged {
        UINT id, kind;
    } unchanged[] = { { IDP_NORMAL, 2 }, { IDP_NORMAL, 1 }, { IDB_TEST_OFF, 0 }, { 9699, 0 },
                      { IDP_EMPTY, 0 },  { IDP_OTHER_TYPE, 0 }, { IDP_NOT_A_PICTURE, 0 }, { 0, 0 } };
    for (const Unchanged& c : unchanged) {
        UINT width = 3, height = 4;
        CPicButton::GetImageSize(c.id, width, height, c.kind);
        EXPECT_EQ(3u, width) << c.id << " kind " << c.kind;
        EXPECT_EQ(4u, height) << c.id << " kind " << c.kind;
    }
}

TEST_F(PictureCache, EachPictureIsDecodedOnce)
{
    CPictureCache::Clear();
    LONG before = CPictureCache::DecodeCount();
    CPictureCache::PicturePtr first = CPictureCache::Get(module(), 0, IDR_ARROW_DOWN);
    ASSERT_TRUE(first);
    UINT width = 0, height = 0;
    for (int i = 0; i < 5; ++i)
        CPicButton::GetImageSize(IDR_ARROW_DOWN, width, height, 0);
    EXPECT_EQ(first, CPictureCache::Get(module(), 0, IDR_ARROW_DOWN));
    EXPECT_EQ(before + 1, CPictureCache::DecodeCount());
    // Kind and module are part of the key; failures are not kept.
    EXPECT_FALSE(CPictureCache::Get(module(), 1, IDR_ARROW_DOWN));
    EXPECT_FALSE(CPictureCache::Get(module(), 0, IDP_EMPTY));
    EXPECT_FALSE(CPictureCache::Get(module(), 0, IDP_EMPTY));
    EXPECT_FALSE(CPictureCache::Get(GetModuleHandleW(L"kernel32"), 0, IDR_ARROW_DOWN));
    EXPECT_EQ(before + 1, CPictureCache::DecodeCount());
    // After Clear the next use decodes again; the old picture stays valid for its holder.
    CPictureCache::Clear();
    CPictureCache::PicturePtr second = CPictureCache::Get(module(), 0, IDR_ARROW_DOWN);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->bits, second->bits);
    EXPECT_EQ(before + 2, CPictureCache::DecodeCount());
}

TEST_F(PictureCache, ThreadsShareOneDecodeOfEachPicture)
{
    CPictureCache::Clear();
    LONG before = CPictureCache::DecodeCount();
    const UINT first = IDR_DUPLEX_NONE_PORTRAIT, last = IDR_FEEDEDGE_SHORT_HOVER;
    std::vector<std::vector<const CPictureCache::PICTURE*>> seen(8);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (UINT id = first; id <= last; ++id)
                seen[t].push_back(CPictureCache::Get(module(), 0, id).get());
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(before + (LONG)(last - first + 1), CPictureCache::DecodeCount());
    for (size_t t = 1; t < seen.size(); ++t)
        EXPECT_EQ(seen[0], seen[t]);
    for (const CPictureCache::PICTURE* p : seen[0])
        EXPECT_NE(nullptr, p);
}

// Every picture a control draws, enabled and disabled (gamma 0.4), over a
// page colour: the cached pixels draw exactly what the decoded resource draws.
TEST_F(PictureCache, CachedPicturesDrawWhatTheDecodedPictureDraws)
{
    struct Range {
        UINT first, last, kind;
    } ranges[] = { { IDB_SWITCH_ON, IDB_DENSITY_SCALE, 1 }, { IDR_ARROW_UP, IDR_ARROW_UP_HOVER, 0 },
                   { IDR_ARROW_DOWN, IDR_ARROW_DOWN_HOVER, 0 }, { IDR_DUPLEX_NONE_PORTRAIT, IDR_PAPER_DELETE_HOVER, 0 },
                   { IDR_DENSITY_LIGHT, IDR_LOGO, 0 }, { IDP_NORMAL, IDP_SELECTED, 0 }, { 9611, 9614, 1 } };
    int compared = 0;
    for (const Range& r : ranges)
        for (UINT id = r.first; id <= r.last; ++id) {
            CGdiPlusBitmapResource png;
            CGdiPlusBitmap bmp;
            Gdiplus::Bitmap* decoded = nullptr;
            if (r.kind == 0) {
                ASSERT_TRUE(png.Load(id, L"PNG", module())) << id;
                decoded = png.m_pBitmap;
            } else {
                bmp.m_pBitmap = Gdiplus::Bitmap::FromResource(module(), MAKEINTRESOURCEW(id));
                ASSERT_EQ(Gdiplus::Ok, bmp.m_pBitmap->GetLastStatus()) << id;
                decoded = bmp.m_pBitmap;
            }
            CPictureCache::PicturePtr cached = CPictureCache::Get(module(), r.kind, id);
            ASSERT_TRUE(cached) << id;
            CPictureBitmap wrapped(*cached);
            ASSERT_EQ(Gdiplus::Ok, wrapped.GetLastStatus()) << id;
            for (bool disabled : { false, true }) {
                Canvas expected((int)decoded->GetWidth(), (int)decoded->GetHeight(), RGB(243, 245, 248));
                Canvas actual(expected.w, expected.h, RGB(243, 245, 248));
                expected.draw(*decoded, disabled);
                actual.draw(wrapped, disabled);
                EXPECT_EQ(expected.pixels(), actual.pixels()) << id << (disabled ? " disabled" : " enabled");
                ++compared;
            }
        }
    EXPECT_EQ(2 * (5 + 2 + 2 + 46 + 9 + 4 + 4), compared);
}

// GDI+ is started and shut down by every plug-in object: a picture decoded
// under one start-up draws the same under the next, because the cache keeps
// pixels, not GDI+ objects.
TEST_F(PictureCache, PicturesOutliveTheGdiPlusStartupThatDecodedThem)
{
    CPictureCache::Clear();
    std::vector<DWORD> first;
    {
        GdiPlusSession session;
        ASSERT_TRUE(session.ok);
        CPictureCache::PicturePtr logo = CPictureCache::Get(module(), 0, IDR_LOGO);
        ASSERT_TRUE(logo);
        CPictureBitmap image(*logo);
        Canvas canvas(112, 32, RGB(255, 255, 255));
        canvas.draw(image, true);
        first = canvas.pixels();
    }
    // Every start-up of this process ends, as when the last plug-in object goes.
    delete s_gdiplus;
    s_gdiplus = nullptr;
    LONG decodes = CPictureCache::DecodeCount();
    s_gdiplus = new GdiPlusSession;
    ASSERT_TRUE(s_gdiplus->ok);
    CPictureCache::PicturePtr logo = CPictureCache::Get(module(), 0, IDR_LOGO);
    ASSERT_TRUE(logo);
    EXPECT_EQ(decodes, CPictureCache::DecodeCount());
    CPictureBitmap image(*logo);
    Canvas canvas(112, 32, RGB(255, 255, 255));
    canvas.draw(image, true);
    EXPECT_EQ(first, canvas.pixels());
}
