// Printer, port and user-rights queries, and heap copies of strings.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <stddef.h>

// The kind of port a printer is attached to, told by its port monitor.
enum PORT_KIND {
    PORT_KIND_USB = 0,      // "Dynamic Print Monitor"
    PORT_KIND_NETWORK = 1,  // "TCPMON.DLL" or "WSD Port Monitor"
    PORT_KIND_OTHER = 2,    // any other monitor, or nothing could be read
};

// The printer-data value "InstallableInfo": one group per optional tray.
#pragma pack(push, 1)
struct INSTALLABLE_TRAY {
    BYTE installed;       // 1 = fitted
    BYTE reserved[3];     // written as 0
    DWORD paper;          // position in the tray paper list; 0 = any paper ("*")
};
struct INSTALLABLE_INFO {
    INSTALLABLE_TRAY tray[2];
};
#pragma pack(pop)
static_assert(sizeof(INSTALLABLE_INFO) == 16, "INSTALLABLE_INFO is a stored 16-byte value");
static_assert(offsetof(INSTALLABLE_INFO, tray[0].paper) == 4 && offsetof(INSTALLABLE_INFO, tray[1].installed) == 8 &&
                  offsetof(INSTALLABLE_INFO, tray[1].paper) == 12,
              "INSTALLABLE_INFO layout");

// Copies on the process heap, zero-filled before they are written; null on
// failure. Free them with HeapFree(GetProcessHeap(), 0, p).
PRINTER_INFO_1W* GetPrinterInfo1(HANDLE hPrinter);
PRINTER_INFO_2W* GetPrinterInfo2(HANDLE hPrinter);

int GetPortKind(HANDLE hPrinter);
// TRUE when the process token's groups hold the Administrators group.
BOOL IsUserAdmin();
// Status of the read; the output is written only for a value of exactly 16 bytes.
DWORD ReadInstallableInfo(HANDLE hPrinter, INSTALLABLE_INFO* info);

// Points into the caller's multi-string: strings[i] for i below count; the
// array comes from the given heap (null when there are no strings).
HRESULT SplitMultiSz(HANDLE heap, const char* list, char*** strings, WORD* count);
WCHAR* DupAnsiAsWide(HANDLE heap, const char* text);
WCHAR* DupWideString(HANDLE heap, const WCHAR* text);
char* DupAnsiString(HANDLE heap, const char* text);
// A string resource (at most 259 characters) copied onto the heap.
HRESULT LoadHeapString(HANDLE heap, HMODULE module, UINT id, WCHAR** text);

// Frees a process-heap copy when the owner goes.
template <class T>
struct ProcessHeapPtr {
    T* p = nullptr;
    explicit ProcessHeapPtr(T* q = nullptr) : p(q) {}
    ~ProcessHeapPtr()
    {
        if (p)
            HeapFree(GetProcessHeap(), 0, p);
    }
    ProcessHeapPtr(const ProcessHeapPtr&) = delete;
    ProcessHeapPtr& operator=(const ProcessHeapPtr&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};
