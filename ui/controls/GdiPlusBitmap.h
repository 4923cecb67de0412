// Owners of GDI+ bitmaps made from the module's resources.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

// Owns one GDI+ bitmap; null when empty. Deleting the object deletes the bitmap.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    // Takes ownership of the bitmap (null is an empty holder).
    explicit CGdiPlusBitmap(Gdiplus::Bitmap* bitmap) : m_pBitmap(bitmap) {}
    virtual ~CGdiPlusBitmap();
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    // The bitmap's size in pixels: width into width, height into height. An
    // empty holder leaves both as they were.
    void GetSize(UINT& width, UINT& height) const;

    operator Gdiplus::Bitmap*() const { return m_pBitmap; }

    Gdiplus::Bitmap* m_pBitmap = nullptr;
};

// A bitmap built from a "PNG" resource: a movable memory block holds a copy of
// the resource for exactly as long as the bitmap that reads from it.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() = default;
    ~CGdiPlusBitmapResource() override;

    // Builds the bitmap from the resource `name` (an integer resource) of the
    // module, always of the type "PNG" (`type` is not consulted). What was held
    // before is freed first. False, and nothing held, when the resource is
    // missing or empty, or is not a picture GDI+ can read.
    bool Load(LPCWSTR name, LPCWSTR type, HMODULE module);
    bool Load(UINT id, LPCWSTR type, HMODULE module) { return Load(MAKEINTRESOURCEW(id), type, module); }

    // Deletes the bitmap, then unlocks and frees the block.
    void Empty();

    HGLOBAL m_hBuffer = nullptr;
};
