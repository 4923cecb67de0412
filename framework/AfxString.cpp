#include "framework/AfxString.h"
#include "framework/AfxApp.h"

#include <wchar.h>
#include <vector>

CString::CString(const char* text)
{
    if (!text || !*text)
        return;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return;
    m_s.resize((size_t)n);
    MultiByteToWideChar(CP_ACP, 0, text, -1, &m_s[0], n);
    m_s.resize((size_t)n - 1);
}

wchar_t* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_s.resize((size_t)minLength);
    // Room for a terminator written by the caller.
    m_s.reserve(m_s.size() + 1);
    return &m_s[0];
}

wchar_t* CString::GetBufferSetLength(int length)
{
    m_s.resize(length > 0 ? (size_t)length : 0);
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = (int)wcsnlen(m_s.c_str(), m_s.size());
    if ((size_t)newLength <= m_s.size())
        m_s.resize((size_t)newLength);
}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    size_t p = m_s.find(ch, (size_t)start);
    return p == std::wstring::npos ? -1 : (int)p;
}

int CString::Find(const wchar_t* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    size_t p = m_s.find(sub, (size_t)start);
    return p == std::wstring::npos ? -1 : (int)p;
}

int CString::ReverseFind(wchar_t ch) const
{
    size_t p = m_s.rfind(ch);
    return p == std::wstring::npos ? -1 : (int)p;
}

CString CString::Left(int count) const
{
    if (count <= 0)
        return CString();
    return CString(m_s.substr(0, (size_t)count).c_str());
}

CString CString::Right(int count) const
{
    if (count <= 0)
        return CString();
    if (count >= GetLength())
        return *this;
    return CString(m_s.substr(m_s.size() - (size_t)count).c_str());
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength())
        return CString();
    size_t n = count < 0 ? std::wstring::npos : (size_t)count;
    return CString(m_s.substr((size_t)first, n).c_str());
}

int CString::Replace(const wchar_t* from, const wchar_t* to)
{
    if (!from || !*from)
        return 0;
    std::wstring f(from), t(to ? to : L"");
    int n = 0;
    for (size_t p = m_s.find(f); p != std::wstring::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++n;
    }
    return n;
}

int CString::Remove(wchar_t ch)
{
    size_t before = m_s.size();
    std::wstring out;
    out.reserve(before);
    for (wchar_t c : m_s)
        if (c != ch)
            out += c;
    m_s.swap(out);
    return (int)(before - m_s.size());
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_s.size() && iswspace(m_s[i]))
        ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = m_s.size();
    while (n > 0 && iswspace(m_s[n - 1]))
        --n;
    m_s.resize(n);
    return *this;
}

void CString::FormatV(const wchar_t* format, va_list args)
{
    m_s.clear();
    if (!format)
        return;
    va_list probe;
    va_copy(probe, args);
    int n = _vscwprintf(format, probe);
    va_end(probe);
    if (n <= 0)
        return;
    std::vector<wchar_t> buf((size_t)n + 1);
    _vsnwprintf(buf.data(), buf.size(), format, args);
    buf[(size_t)n] = 0;
    m_s.assign(buf.data(), (size_t)n);
}

void CString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const wchar_t* format, ...)
{
    CString tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    *this += tail;
}

BOOL CString::LoadString(UINT id)
{
    return LoadString(AfxGetResourceHandle(), id);
}

BOOL CString::LoadString(HINSTANCE module, UINT id)
{
    m_s.clear();
    const wchar_t* text = nullptr;
    // Length 0 asks for a pointer to the resource text itself.
    int n = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text)
        return FALSE;
    m_s.assign(text, (size_t)n);
    return TRUE;
}
