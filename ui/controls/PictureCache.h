// The decoded pictures of a module, kept for the life of the module.
//
// Each picture (module, image kind, resource id) is decoded once per process,
// the first time a control draws or measures it, and kept as plain pixels in
// the bitmap's own pixel format, never as a GDI+ object. GDI+ is started and
// shut down by every plug-in object; since the cache holds no GDI+ object,
// nothing in it depends on GDI+ still running, and the pixels are freed with
// the module at unload. Drawing wraps the pixels in a GDI+ bitmap for one draw
// only, so what is drawn is what the decoded bitmap would draw.
//
// Thread-safe: one process-wide lock around lookups and decoding; a picture
// once made never changes and lives while anyone holds it.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

class CPictureCache {
public:
    struct PICTURE {
        UINT width;
        UINT height;
        INT stride;                   // bytes per row, positive (top row first)
        Gdiplus::PixelFormat format;  // of the decoded bitmap, or 32-bit ARGB
        std::vector<BYTE> bits;
    };
    typedef std::shared_ptr<const PICTURE> PicturePtr;

    // The picture of that image kind (0 "PNG" resource, 1 RT_BITMAP) and id
    // in the module, decoded on first use; null for another kind or a picture
    // that does not load. A failure is not remembered: the next call tries again.
    static PicturePtr Get(HMODULE module, UINT kind, UINT id);

    // Pictures decoded since the process started (each successful decode counts).
    static LONG DecodeCount();

    // Forgets every picture; pictures still held elsewhere live on.
    static void Clear();
};

// A GDI+ bitmap over the picture's pixels, without a copy; it must not outlive
// the picture. Check its status before use.
class CPictureBitmap : public Gdiplus::Bitmap {
public:
    explicit CPictureBitmap(const CPictureCache::PICTURE& picture)
        : Gdiplus::Bitmap((INT)picture.width, (INT)picture.height, picture.stride, picture.format,
                          const_cast<BYTE*>(picture.bits.data()))
    {
    }
};
