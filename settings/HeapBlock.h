// Owners of blocks on a given heap, and the driver's grow-once buffer protocol.
#pragma once

#include <windows.h>

// A zero-filled block on a heap, freed there unless detached.
template <class T>
class CHeapBlock {
public:
    CHeapBlock() = default;
    CHeapBlock(HANDLE heap, T* p) : m_heap(heap), m_p(p) {}
    ~CHeapBlock() { Free(); }
    CHeapBlock(const CHeapBlock&) = delete;
    CHeapBlock& operator=(const CHeapBlock&) = delete;

    // Replaces the block by a new zero-filled one of that many bytes.
    bool Allocate(HANDLE heap, SIZE_T bytes)
    {
        Free();
        m_heap = heap;
        m_p = heap ? static_cast<T*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes)) : nullptr;
        return m_p != nullptr;
    }
    void Free()
    {
        if (m_p && m_heap)
            HeapFree(m_heap, 0, m_p);
        m_p = nullptr;
    }
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    HANDLE m_heap = nullptr;
    T* m_p = nullptr;
};

// Frees a heap string or array the model owns; string ids (below 65536) are
// not blocks and are left alone.
inline void FreeHeapText(HANDLE heap, const void* p)
{
    if (heap && reinterpret_cast<ULONG_PTR>(p) >= 0x10000)
        HeapFree(heap, 0, const_cast<void*>(p));
}

// Runs a variable-size driver call into a zero-filled buffer of firstSize
// bytes; when it answers E_OUTOFMEMORY with a larger needed size, the buffer
// is grown to that size and the call made once more. Zero bytes beyond the
// size given to the driver (two, and one more after an odd size) keep every
// answer terminated, as a string of bytes and of UTF-16 characters. On success the
// buffer holds the answer, *size the buffer's size and *needed the driver's;
// on failure the buffer is empty and *noMemory tells a failed allocation from
// a driver's answer.
// call: HRESULT (BYTE* buffer, DWORD cbSize, DWORD* pcbNeeded).
template <class Call>
HRESULT CallGrowingOnce(HANDLE heap, DWORD firstSize, CHeapBlock<BYTE>& buffer, DWORD* size, DWORD* needed,
                        bool* noMemory, Call call)
{
    constexpr DWORD kGuard = 2;
    DWORD cb = firstSize;
    if (noMemory)
        *noMemory = false;
    auto allocate = [&]() {
        if (buffer.Allocate(heap, (SIZE_T)cb + kGuard + (cb & 1)))
            return true;
        if (noMemory)
            *noMemory = true;
        return false;
    };
    if (!allocate())
        return E_OUTOFMEMORY;
    DWORD want = 0;
    HRESULT hr = call(buffer.Get(), cb, &want);
    if (hr == E_OUTOFMEMORY) {
        if (want <= cb || want > 0xFFFFFFFFu - kGuard) {
            buffer.Free();
            return hr;
        }
        cb = want;
        if (!allocate())
            return E_OUTOFMEMORY;
        want = 0;
        hr = call(buffer.Get(), cb, &want);
    }
    if (FAILED(hr)) {
        buffer.Free();
        return hr;
    }
    if (size)
        *size = cb;
    if (needed)
        *needed = want;
    return hr;
}
