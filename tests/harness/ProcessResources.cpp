#include "ProcessResources.h"

#include <tlhelp32.h>
#include <winternl.h>

namespace harness {

int threadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = { sizeof entry };
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    CloseHandle(snapshot);
    return count;
}

namespace {

// One entry of Wine's GDI handle table (measured under Wine 8: 24 bytes; a
// live entry has a non-zero ExtType, a freed one zero).
struct GDI_TABLE_ENTRY {
    UINT64 object;
    ULONG owner;
    UCHAR type;
    UCHAR generation;
    UCHAR extType;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GDI_TABLE_ENTRY) == 24, "GDI table entry");
const int kGdiTableEntries = 0x10000;
const size_t kPebGdiTableOffset = 0xF8;   // PEB.GdiSharedHandleTable, x64

} // namespace

int gdiObjectCount()
{
    DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted)
        return (int)counted;
    typedef LONG(NTAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !basic.PebBaseAddress)
        return -1;
    auto* peb = reinterpret_cast<BYTE*>(basic.PebBaseAddress);
    auto* table = *reinterpret_cast<GDI_TABLE_ENTRY**>(peb + kPebGdiTableOffset);
    if (!table)
        return -1;
    int count = 0;
    for (int i = 0; i < kGdiTableEntries; ++i)
        if (table[i].extType)
            ++count;
    return count;
}

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, &CountChild, count);
    return TRUE;
}

} // namespace

int threadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

size_t heapBytesInUse()
{
    HANDLE heaps[256];
    DWORD n = GetProcessHeaps(256, heaps);
    size_t bytes = 0;
    for (DWORD i = 0; i < n && i < 256; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        if (!HeapLock(heaps[i]))
            continue;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes;
}

} // namespace harness
