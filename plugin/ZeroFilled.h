// Base of objects whose storage comes zero-filled from the process heap; a
// failed allocation makes the new-expression yield null instead of throwing.
#pragma once

#include <windows.h>
#include <stddef.h>

struct CZeroFilled {
    static void* operator new(size_t size) noexcept
    {
        return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
    }
    static void operator delete(void* p) noexcept
    {
        if (p)
            HeapFree(GetProcessHeap(), 0, p);
    }
    // Construction in storage the caller provides.
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept {}
};

#include <new>
#include <utility>

// The same for a type that does not derive from CZeroFilled: zero-filled
// process-heap storage, then the constructor; null when there is no memory.
template <class T, class... Args>
T* NewZeroFilled(Args&&... args)
{
    void* p = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(T));
    return p ? new (p) T(std::forward<Args>(args)...) : nullptr;
}

template <class T>
void DeleteZeroFilled(T* p)
{
    if (!p)
        return;
    p->~T();
    HeapFree(GetProcessHeap(), 0, p);
}
