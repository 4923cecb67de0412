// CArray: the framework's growable array, a thin value type over std::vector.
#pragma once

#include <windows.h>
#include <stdexcept>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    INT_PTR GetSize() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_v.size() - 1; }
    bool IsEmpty() const { return m_v.empty(); }

    // New elements are value-initialised; growBy is accepted for the
    // framework's signature and left to the allocator.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1)
    {
        (void)growBy;
        if (newSize < 0)
            throw std::invalid_argument("CArray::SetSize");
        m_v.resize((size_t)newSize);
    }
    void RemoveAll() { m_v.clear(); }
    void FreeExtra() { m_v.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR i) const { return m_v.at(Index(i)); }
    TYPE& GetAt(INT_PTR i) { return m_v.at(Index(i)); }
    void SetAt(INT_PTR i, ARG_TYPE e) { m_v.at(Index(i)) = e; }
    TYPE& ElementAt(INT_PTR i) { return m_v.at(Index(i)); }
    const TYPE& ElementAt(INT_PTR i) const { return m_v.at(Index(i)); }
    TYPE& operator[](INT_PTR i) { return m_v.at(Index(i)); }
    const TYPE& operator[](INT_PTR i) const { return m_v.at(Index(i)); }
    TYPE* GetData() { return m_v.empty() ? nullptr : m_v.data(); }
    const TYPE* GetData() const { return m_v.empty() ? nullptr : m_v.data(); }

    INT_PTR Add(ARG_TYPE e)
    {
        m_v.push_back(e);
        return (INT_PTR)m_v.size() - 1;
    }
    INT_PTR Append(const CArray& other)
    {
        INT_PTR first = GetSize();
        m_v.insert(m_v.end(), other.m_v.begin(), other.m_v.end());
        return first;
    }
    void Copy(const CArray& other) { m_v = other.m_v; }
    // Inserting at or beyond the end grows the array as the framework does.
    void InsertAt(INT_PTR i, ARG_TYPE e, INT_PTR count = 1)
    {
        if (i < 0 || count < 0)
            throw std::invalid_argument("CArray::InsertAt");
        if ((size_t)i > m_v.size())
            m_v.resize((size_t)i);
        m_v.insert(m_v.begin() + i, (size_t)count, e);
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1)
    {
        if (i < 0 || count < 0 || (size_t)(i + count) > m_v.size())
            throw std::out_of_range("CArray::RemoveAt");
        m_v.erase(m_v.begin() + i, m_v.begin() + i + count);
    }

private:
    static size_t Index(INT_PTR i)
    {
        if (i < 0)
            throw std::out_of_range("CArray index");
        return (size_t)i;
    }
    std::vector<TYPE> m_v;
};
