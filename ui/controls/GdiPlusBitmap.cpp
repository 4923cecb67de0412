#include "ui/controls/GdiPlusBitmap.h"

#include <cstring>

CGdiPlusBitmap::~CGdiPlusBitmap()
{
    delete m_pBitmap;
    m_pBitmap = nullptr;
}

void CGdiPlusBitmap::GetSize(UINT& width, UINT& height) const
{
    if (!m_pBitmap)
        return;
    width = m_pBitmap->GetWidth();
    height = m_pBitmap->GetHeight();
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource() { Empty(); }

void CGdiPlusBitmapResource::Empty()
{
    delete m_pBitmap;
    m_pBitmap = nullptr;
    if (m_hBuffer) {
        GlobalUnlock(m_hBuffer);
        GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

bool CGdiPlusBitmapResource::Load(LPCWSTR name, LPCWSTR /*type*/, HMODULE module)
{
    Empty();
    HRSRC found = FindResourceW(module, name, L"PNG");
    if (!found)
        return false;
    DWORD size = SizeofResource(module, found);
    if (!size)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return false;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(copy, bytes, size);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream)) || !stream) {
        GlobalUnlock(block);
        GlobalFree(block);
        return false;
    }
    m_hBuffer = block;
    m_pBitmap = new Gdiplus::Bitmap(stream);   // keeps its own reference
    stream->Release();
    if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
        return true;
    Empty();
    return false;
}
