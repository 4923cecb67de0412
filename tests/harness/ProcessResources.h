// Counts of what a process holds, for leak checks around a loop.
#pragma once

#include <windows.h>

namespace harness {

// Threads of this process.
int threadCount();
// Live GDI objects of this process: GetGuiResources where it answers; under
// Wine (where it does not) the live entries of the process's GDI handle table.
int gdiObjectCount();
// Windows of this thread: top-level ones and all their descendants.
int threadWindowCount();
// Bytes in the busy blocks of every heap of the process (HeapWalk).
size_t heapBytesInUse();

} // namespace harness
