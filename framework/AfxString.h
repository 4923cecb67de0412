// CString: the framework's wide string, a thin value type over std::wstring.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const wchar_t* text) : m_s(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_s(text ? text : L"", text ? (size_t)length : 0) {}
    CString(wchar_t ch, int repeat = 1) : m_s(repeat > 0 ? (size_t)repeat : 0, ch) {}
    // From 8-bit text in the ANSI code page.
    CString(const char* text);

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* text) { m_s = text ? text : L""; return *this; }
    CString& operator=(const char* text) { return *this = CString(text); }

    int GetLength() const { return (int)m_s.size(); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    const wchar_t* GetString() const { return m_s.c_str(); }
    operator const wchar_t*() const { return m_s.c_str(); }
    wchar_t GetAt(int i) const { return m_s.at((size_t)i); }
    wchar_t operator[](int i) const { return GetAt(i); }
    void SetAt(int i, wchar_t ch) { m_s.at((size_t)i) = ch; }

    // A writable buffer of at least minLength characters; ReleaseBuffer fixes
    // the length (-1: up to the first NUL).
    wchar_t* GetBuffer(int minLength = 0);
    wchar_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const wchar_t* s) { if (s) m_s += s; return *this; }
    CString& operator+=(wchar_t ch) { m_s += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
    friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }

    int Compare(const wchar_t* s) const { return wcscmp(m_s.c_str(), s ? s : L""); }
    int CompareNoCase(const wchar_t* s) const { return _wcsicmp(m_s.c_str(), s ? s : L""); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first, int count = -1) const;
    int Replace(const wchar_t* from, const wchar_t* to);
    int Remove(wchar_t ch);
    CString& Trim() { TrimRight(); return TrimLeft(); }
    CString& TrimLeft();
    CString& TrimRight();

    // printf-style formatting with the C runtime's wide rules (%s is a wide string).
    void Format(const wchar_t* format, ...);
    void AppendFormat(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    // Loads a string resource from the framework's current resource module.
    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE module, UINT id);

private:
    std::wstring m_s;
};
