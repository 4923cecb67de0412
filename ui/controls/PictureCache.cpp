#include "ui/controls/PictureCache.h"
#include "ui/controls/GdiPlusBitmap.h"

#include <cstring>
#include <map>
#include <new>
#include <tuple>

namespace {

typedef std::tuple<HMODULE, UINT, UINT> PictureKey;

SRWLOCK g_lock = SRWLOCK_INIT;
LONG g_decodes = 0;

// Made when the module is loaded (a guarded local static would keep a TLS
// slot of the thread runtime after each unload of the module).
std::map<PictureKey, CPictureCache::PicturePtr> g_pictures;

std::map<PictureKey, CPictureCache::PicturePtr>& Pictures() { return g_pictures; }

class CExclusive {
public:
    CExclusive() { AcquireSRWLockExclusive(&g_lock); }
    ~CExclusive() { ReleaseSRWLockExclusive(&g_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;
};

// Formats that are copied as they are; any other (palettes, 16-bit, 48/64-bit)
// is read as 32-bit ARGB, which GDI+ draws alike.
bool KeepsFormat(Gdiplus::PixelFormat format)
{
    return format == PixelFormat24bppRGB || format == PixelFormat32bppRGB || format == PixelFormat32bppARGB ||
           format == PixelFormat32bppPARGB;
}

// The pixels of a decoded bitmap; null when they cannot be read.
CPictureCache::PicturePtr CopyPixels(Gdiplus::Bitmap& bitmap)
{
    auto picture = std::make_shared<CPictureCache::PICTURE>();
    picture->width = bitmap.GetWidth();
    picture->height = bitmap.GetHeight();
    Gdiplus::PixelFormat own = bitmap.GetPixelFormat();
    picture->format = KeepsFormat(own) ? own : PixelFormat32bppARGB;
    if (!picture->width || !picture->height)
        return nullptr;
    Gdiplus::Rect all(0, 0, (INT)picture->width, (INT)picture->height);
    Gdiplus::BitmapData data = {};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, picture->format, &data) != Gdiplus::Ok)
        return nullptr;
    const INT rowBytes = data.Stride < 0 ? -data.Stride : data.Stride;
    picture->stride = rowBytes;
    picture->bits.resize((size_t)rowBytes * picture->height);
    const auto* row = static_cast<const BYTE*>(data.Scan0);
    for (UINT y = 0; y < picture->height; ++y, row += data.Stride)
        std::memcpy(&picture->bits[(size_t)y * rowBytes], row, (size_t)rowBytes);
    bitmap.UnlockBits(&data);
    return picture;
}

CPictureCache::PicturePtr Decode(HMODULE module, UINT kind, UINT id)
{
    if (kind == 0) {
        CGdiPlusBitmapResource png;
        if (!png.Load(id, L"PNG", module))
            return nullptr;
        return CopyPixels(*png.m_pBitmap);
    }
    CGdiPlusBitmap bitmap(Gdiplus::Bitmap::FromResource(module, MAKEINTRESOURCEW(id)));
    if (!bitmap.m_pBitmap || bitmap.m_pBitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return CopyPixels(*bitmap.m_pBitmap);
}

} // namespace

CPictureCache::PicturePtr CPictureCache::Get(HMODULE module, UINT kind, UINT id)
{
    if ((kind != 0 && kind != 1) || !module || !id || !IS_INTRESOURCE(id))
        return nullptr;
    try {
        CExclusive lock;
        auto& pictures = Pictures();
        PictureKey key(module, kind, id);
        auto found = pictures.find(key);
        if (found != pictures.end())
            return found->second;
        PicturePtr picture = Decode(module, kind, id);
        if (!picture)
            return nullptr;
        ++g_decodes;
        pictures.emplace(key, picture);
        return picture;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

LONG CPictureCache::DecodeCount()
{
    CExclusive lock;
    return g_decodes;
}

void CPictureCache::Clear()
{
    std::map<PictureKey, PicturePtr> gone;
    {
        CExclusive lock;
        gone.swap(Pictures());
    }
}
