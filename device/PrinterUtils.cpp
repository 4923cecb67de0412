#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"

#include <string.h>
#include <wchar.h>

namespace {

template <class T>
T* GetPrinterInfo(HANDLE hPrinter, DWORD level)
{
    DWORD needed = 0;
    GetPrinterW(hPrinter, level, nullptr, 0, &needed);
    if (needed == 0)
        return nullptr;
    BYTE* buf = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (!buf)
        return nullptr;
    if (!GetPrinterW(hPrinter, level, buf, needed, &needed)) {
        HeapFree(GetProcessHeap(), 0, buf);
        return nullptr;
    }
    return reinterpret_cast<T*>(buf);
}

int KindOfMonitor(const WCHAR* monitor)
{
    if (!monitor)
        return PORT_KIND_OTHER;
    if (wcscmp(monitor, L"TCPMON.DLL") == 0 || wcscmp(monitor, L"WSD Port Monitor") == 0)
        return PORT_KIND_NETWORK;
    if (wcscmp(monitor, L"Dynamic Print Monitor") == 0)
        return PORT_KIND_USB;
    return PORT_KIND_OTHER;
}

struct TokenHandle {
    HANDLE h = nullptr;
    ~TokenHandle() { if (h) CloseHandle(h); }
};

struct Sid {
    PSID p = nullptr;
    ~Sid() { if (p) FreeSid(p); }
};

} // namespace

PRINTER_INFO_1W* GetPrinterInfo1(HANDLE hPrinter) { return GetPrinterInfo<PRINTER_INFO_1W>(hPrinter, 1); }
PRINTER_INFO_2W* GetPrinterInfo2(HANDLE hPrinter) { return GetPrinterInfo<PRINTER_INFO_2W>(hPrinter, 2); }

int GetPortKind(HANDLE hPrinter)
{
    DWORD needed = 0, count = 0;
    g_seams.EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0)
        return PORT_KIND_OTHER;
    ProcessHeapPtr<BYTE> ports(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed)));
    if (!ports)
        return PORT_KIND_OTHER;
    if (!g_seams.EnumPortsW(nullptr, 2, ports.p, needed, &needed, &count))
        return PORT_KIND_OTHER;
    ProcessHeapPtr<PRINTER_INFO_2W> printer(GetPrinterInfo2(hPrinter));
    if (!printer || count == 0 || !printer->pPortName)
        return PORT_KIND_OTHER;

    const PORT_INFO_2W* info = reinterpret_cast<const PORT_INFO_2W*>(ports.p);
    int kind = PORT_KIND_OTHER;
    for (DWORD i = 0; i < count; ++i) {
        if (!info[i].pPortName || wcscmp(info[i].pPortName, printer->pPortName) != 0)
            continue;
        kind = KindOfMonitor(info[i].pMonitorName);
        if (kind != PORT_KIND_OTHER)
            break;
    }
    return kind;
}

BOOL IsUserAdmin()
{
    TokenHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token.h))
        return FALSE;
    DWORD needed = 0;
    g_seams.GetTokenInformation(token.h, TokenGroups, nullptr, 0, &needed);
    if (needed == 0)
        return FALSE;
    ProcessHeapPtr<TOKEN_GROUPS> groups(static_cast<TOKEN_GROUPS*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed)));
    if (!groups || !g_seams.GetTokenInformation(token.h, TokenGroups, groups.p, needed, &needed))
        return FALSE;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    Sid admins;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &admins.p))
        return FALSE;
    // A group present for deny checks only still counts.
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (groups->Groups[i].Sid && EqualSid(groups->Groups[i].Sid, admins.p))
            return TRUE;
    return FALSE;
}

DWORD ReadInstallableInfo(HANDLE hPrinter, INSTALLABLE_INFO* info)
{
    DWORD type = 0, needed = 0;
    DWORD status = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(L"InstallableInfo"), &type, nullptr, 0, &needed);
    if (status != ERROR_MORE_DATA)
        return status;
    ProcessHeapPtr<BYTE> buf(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed)));
    if (!buf)
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD size = needed;
    status = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(L"InstallableInfo"), &type, buf.p, size, &needed);
    if (status == ERROR_SUCCESS && needed == sizeof(INSTALLABLE_INFO) && info)
        memcpy(info, buf.p, sizeof(INSTALLABLE_INFO));
    return status;
}

HRESULT SplitMultiSz(HANDLE heap, const char* list, char*** strings, WORD* count)
{
    if (!heap || !list || !strings || !count)
        return E_INVALIDARG;
    WORD n = 0;
    for (const char* p = list; *p && n < 0xFFFF; p += strlen(p) + 1)
        ++n;
    *strings = nullptr;
    *count = 0;
    if (n == 0)
        return S_OK;
    char** array = static_cast<char**>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(char*) * n));
    if (!array)
        return E_OUTOFMEMORY;
    const char* p = list;
    for (WORD i = 0; i < n; ++i, p += strlen(p) + 1)
        array[i] = const_cast<char*>(p);
    *strings = array;
    *count = n;
    return S_OK;
}

WCHAR* DupAnsiAsWide(HANDLE heap, const char* text)
{
    if (!heap || !text)
        return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    WCHAR* out = static_cast<WCHAR*>(HeapAlloc(heap, 0, sizeof(WCHAR) * (size_t)n));
    if (!out)
        return nullptr;
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, out, n) <= 0) {
        HeapFree(heap, 0, out);
        return nullptr;
    }
    return out;
}

WCHAR* DupWideString(HANDLE heap, const WCHAR* text)
{
    if (!heap || !text)
        return nullptr;
    size_t n = wcslen(text) + 1;
    WCHAR* out = static_cast<WCHAR*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(WCHAR) * n));
    if (out)
        memcpy(out, text, sizeof(WCHAR) * n);
    return out;
}

char* DupAnsiString(HANDLE heap, const char* text)
{
    if (!heap || !text)
        return nullptr;
    size_t n = strlen(text) + 1;
    char* out = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, n));
    if (out)
        memcpy(out, text, n);
    return out;
}

HRESULT LoadHeapString(HANDLE heap, HMODULE module, UINT id, WCHAR** text)
{
    constexpr int kChars = 260;
    if (!heap || !text)
        return E_INVALIDARG;
    WCHAR* buf = static_cast<WCHAR*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(WCHAR) * kChars));
    if (!buf) {
        *text = nullptr;
        return E_OUTOFMEMORY;
    }
    SetLastError(ERROR_SUCCESS);
    int n = module ? LoadStringW(module, id, buf, kChars) : 0;
    if (n <= 0) {
        DWORD err = GetLastError();
        HeapFree(heap, 0, buf);
        *text = nullptr;
        // A missing string is an error even when the system left no code.
        return HRESULT_FROM_WIN32(err != ERROR_SUCCESS ? err : ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    WCHAR* shrunk = static_cast<WCHAR*>(HeapReAlloc(heap, 0, buf, sizeof(WCHAR) * ((size_t)n + 1)));
    *text = shrunk ? shrunk : buf;
    return S_OK;
}
