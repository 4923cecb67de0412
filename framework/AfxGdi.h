// Device contexts and bitmaps: thin owners of GDI handles.
#pragma once

#include "framework/AfxTypes.h"

class CWnd;

// A device context. CDC(HDC) wraps a DC it does not own (a handler's DC);
// CreateCompatibleDC makes a memory DC that the object deletes.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL CreateCompatibleDC(CDC* like);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, DWORD rop);
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    void FillRect(LPCRECT rect, HBRUSH brush) { ::FillRect(m_hDC, rect, brush); }
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }

    HDC m_hDC = nullptr;

private:
    bool m_ownsDC = false;
};

// BeginPaint / EndPaint of a window's WM_PAINT.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};

// GetDC / ReleaseDC of a window's client area.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// Owns one bitmap; deletes it with the object.
class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // From the framework's current resource module, or from the given module.
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(HINSTANCE module, UINT id);
    BOOL CreateCompatibleBitmap(CDC* like, int width, int height);
    int GetBitmap(BITMAP* info) const;
    BOOL DeleteObject();
    BOOL Attach(HBITMAP bitmap);
    HBITMAP Detach();

    HBITMAP GetSafeHandle() const { return m_hObject; }
    operator HBITMAP() const { return m_hObject; }

    HBITMAP m_hObject = nullptr;
};
