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
};
