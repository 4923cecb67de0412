// The plug-in module's pictures: every picture the pages name is in the built
// DLL and loads the way the picture controls load it, with the size the pages
// are laid out for.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "harness/Files.h"
#include "res/resource.h"

namespace {

using namespace Gdiplus::DllExports;

enum class Kind { Png, Bitmap, Icon };

struct Picture {
    UINT id;
    Kind kind;
    int width;
    int height;
    int bits;  // bits per pixel of a bitmap or icon; 0 for a PNG
};

std::vector<Picture> range(UINT first, UINT last, Kind kind, int width, int height, int bits = 0)
{
    std::vector<Picture> out;
    for (UINT id = first; id <= last; ++id)
        out.push_back({id, kind, width, height, bits});
    return out;
}

// Every picture the pages, pickers and dialogs name, with its size in pixels.
std::vector<Picture> allPictures()
{
    std::vector<std::vector<Picture>> parts = {
        range(IDI_NUP1_PORTRAIT, IDI_NUP16_LANDSCAPE, Kind::Icon, 38, 38, 32),
        range(IDB_BASIC_BACKGROUND, IDB_ADVANCED_BACKGROUND, Kind::Bitmap, 608, 553, 8),
        range(IDB_SWITCH_ON, IDB_SWITCH_OFF_HOVER, Kind::Bitmap, 50, 19, 24),
        range(IDB_DENSITY_SCALE, IDB_DENSITY_SCALE, Kind::Bitmap, 110, 22, 24),
        range(IDR_ARROW_UP, IDR_ARROW_UP_HOVER, Kind::Png, 23, 23),
        range(IDR_ARROW_DOWN, IDR_ARROW_DOWN_HOVER, Kind::Png, 23, 23),
        range(IDR_DUPLEX_NONE_PORTRAIT, IDR_FEEDEDGE_SHORT_HOVER, Kind::Png, 40, 40),
        range(IDR_QUICKSET_SAVE, IDR_PAPER_DELETE_HOVER, Kind::Png, 23, 21),
        range(IDR_DENSITY_LIGHT, IDR_DENSITY_DARK_HOVER, Kind::Png, 113, 30),
        range(IDR_WARNING, IDR_WARNING, Kind::Png, 32, 32),
        range(IDR_INFORMATION, IDR_INFORMATION, Kind::Png, 23, 21),
        range(IDR_LOGO, IDR_LOGO, Kind::Png, 112, 32),
    };
    std::vector<Picture> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<Picture> picturesOf(Kind kind)
{
    std::vector<Picture> out;
    for (const Picture& p : allPictures())
        if (p.kind == kind)
            out.push_back(p);
    return out;
}

struct ModuleDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModulePtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

struct ImageDeleter {
    void operator()(Gdiplus::GpImage* image) const { GdipDisposeImage(image); }
};
using ImagePtr = std::unique_ptr<Gdiplus::GpImage, ImageDeleter>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using GdiObjectPtr = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&s_token, &input, nullptr));
        // Loaded for its resources only, as a picture viewer would; the
        // picture controls use the same calls on the running module.
        std::wstring path = harness::programFile(L"bq2100PSui.dll");
        s_module.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(s_module) << "cannot load bq2100PSui.dll, error " << GetLastError();
    }
    static void TearDownTestSuite()
    {
        s_module.reset();
        Gdiplus::GdiplusShutdown(s_token);
    }
    void SetUp() override { ASSERT_TRUE(s_module); }

    static HMODULE module() { return s_module.get(); }

    // The bytes of a resource; empty when it is missing.
    static std::string resource(LPCWSTR type, LPCWSTR name)
    {
        HRSRC found = FindResourceW(module(), name, type);
        if (!found)
            return {};
        DWORD size = SizeofResource(module(), found);
        const void* data = LockResource(LoadResource(module(), found));
        return data ? std::string(static_cast<const char*>(data), size) : std::string();
    }

    // A PNG resource decoded as a picture control decodes it: GDI+ over a
    // stream on a movable memory block holding a copy of the resource.
    static ImagePtr decodePng(UINT id)
    {
        std::string bytes = resource(L"PNG", MAKEINTRESOURCEW(id));
        if (bytes.empty())
            return nullptr;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!block)
            return nullptr;
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        IStream* stream = nullptr;
        if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
            GlobalFree(block);
            return nullptr;
        }
        Gdiplus::GpBitmap* bitmap = nullptr;
        Gdiplus::GpStatus status = GdipCreateBitmapFromStream(stream, &bitmap);
        stream->Release();
        return ImagePtr(status == Gdiplus::Ok ? bitmap : nullptr);
    }

    static std::set<UINT> namesOf(LPCWSTR type)
    {
        std::set<UINT> ids;
        EnumResourceNamesW(module(), type, [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::set<UINT>*>(param)->insert(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        }, reinterpret_cast<LONG_PTR>(&ids));
        return ids;
    }

    static ULONG_PTR s_token;
    static ModulePtr s_module;
};

ULONG_PTR Pictures::s_token = 0;
ModulePtr Pictures::s_module;

TEST_F(Pictures, PngDecodesToItsSizeWithAlpha)
{
    for (const Picture& p : picturesOf(Kind::Png)) {
        SCOPED_TRACE(p.id);
        ImagePtr image = decodePng(p.id);
        ASSERT_TRUE(image);
        UINT width = 0, height = 0;
        Gdiplus::PixelFormat format = 0;
        GdipGetImageWidth(image.get(), &width);
        GdipGetImageHeight(image.get(), &height);
        GdipGetImagePixelFormat(image.get(), &format);
        EXPECT_EQ(p.width, static_cast<int>(width));
        EXPECT_EQ(p.height, static_cast<int>(height));
        EXPECT_EQ(PixelFormat32bppARGB, format);
    }
}

TEST_F(Pictures, BitmapLoadsWithItsSizeAndDepth)
{
    for (const Picture& p : picturesOf(Kind::Bitmap)) {
        SCOPED_TRACE(p.id);
        // As the pages' background and the switches load them.
        GdiObjectPtr bitmap(LoadImageW(module(), MAKEINTRESOURCEW(p.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_TRUE(bitmap);
        DIBSECTION dib = {};
        ASSERT_EQ(static_cast<int>(sizeof dib), GetObjectW(bitmap.get(), sizeof dib, &dib));
        EXPECT_EQ(p.width, dib.dsBm.bmWidth);
        EXPECT_EQ(p.height, dib.dsBm.bmHeight);
        EXPECT_EQ(p.bits, dib.dsBm.bmBitsPixel);

        // As a picture control of image kind 1 draws them.
        Gdiplus::GpBitmap* gp = nullptr;
        ASSERT_EQ(Gdiplus::Ok, GdipCreateBitmapFromResource(module(), MAKEINTRESOURCEW(p.id), &gp));
        ImagePtr image(gp);
        UINT width = 0, height = 0;
        GdipGetImageWidth(image.get(), &width);
        GdipGetImageHeight(image.get(), &height);
        EXPECT_EQ(p.width, static_cast<int>(width));
        EXPECT_EQ(p.height, static_cast<int>(height));
    }
}

TEST_F(Pictures, IconLoadsAt38By38With32BitColour)
{
    for (const Picture& p : picturesOf(Kind::Icon)) {
        SCOPED_TRACE(p.id);
        IconPtr icon(static_cast<HICON>(LoadImageW(module(), MAKEINTRESOURCEW(p.id), IMAGE_ICON, p.width, p.height, 0)));
        ASSERT_TRUE(icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        GdiObjectPtr colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectW(colour.get(), sizeof bm, &bm));
        EXPECT_EQ(p.width, bm.bmWidth);
        EXPECT_EQ(p.height, bm.bmHeight);

        // The image the group offers for that size is itself that size, with
        // 32 bits per pixel (colour and alpha), not scaled from another one.
        std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(p.id));
        ASSERT_FALSE(group.empty());
        int entry = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE, p.width, p.height,
                                                LR_DEFAULTCOLOR);
        std::string image = resource(RT_ICON, MAKEINTRESOURCEW(entry));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(p.width, header->biWidth);
        EXPECT_EQ(2 * p.height, header->biHeight);  // colour and mask
        EXPECT_EQ(p.bits, header->biBitCount);
    }
}

// The density slider steps by where the pointer is: a press right of the
// thumb steps forward, left of it steps back, on it starts a drag. So each
// frame's thumb must cover exactly the frame's range between its two step
// zones (slider pixels, both ends included), the normal and the hover frame
// alike. Above the track only the thumb is drawn.
TEST_F(Pictures, DensityThumbCoversTheRangeBetweenItsStepZones)
{
    struct Frame {
        UINT image, hover;
        int from, to;
    };
    const Frame frames[] = {
        {IDR_DENSITY_LIGHT, IDR_DENSITY_LIGHT_HOVER, 9, 19},
        {IDR_DENSITY_NORMAL, IDR_DENSITY_NORMAL_HOVER, 49, 59},
        {IDR_DENSITY_DARK, IDR_DENSITY_DARK_HOVER, 91, 101},
    };
    const int trackTop = 13;
    for (const Frame& f : frames) {
        for (UINT id : {f.image, f.hover}) {
            SCOPED_TRACE(id);
            ImagePtr image = decodePng(id);
            ASSERT_TRUE(image);
            auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image.get());
            int left = INT_MAX, right = -1;
            for (int y = 0; y < trackTop; ++y) {
                for (int x = 0; x < 113; ++x) {
                    Gdiplus::ARGB pixel = 0;
                    GdipBitmapGetPixel(bitmap, x, y, &pixel);
                    if ((pixel >> 24) > 0) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
                }
            }
            EXPECT_EQ(f.from, left);
            EXPECT_EQ(f.to, right);
        }
    }
}

// No picture is missing and none is there that no page names.
TEST_F(Pictures, ModuleHoldsExactlyTheNamedPictures)
{
    for (auto [kind, type] : {std::pair{Kind::Png, L"PNG"}, std::pair{Kind::Bitmap, (LPCWSTR)RT_BITMAP},
                              std::pair{Kind::Icon, (LPCWSTR)RT_GROUP_ICON}}) {
        std::set<UINT> expected;
        for (const Picture& p : picturesOf(kind))
            expected.insert(p.id);
        EXPECT_EQ(expected, namesOf(type));
    }
}

} // namespace
