// The few system calls that the tests must stand in for (what Wine cannot
// give: a non-administrator token, answered message boxes, the help viewer's
// window, USB port monitors). Each entry defaults to the real call.
#pragma once

#include <windows.h>
#include <winspool.h>

struct SYSTEM_SEAMS {
    BOOL(WINAPI* GetTokenInformation)(HANDLE token, TOKEN_INFORMATION_CLASS cls, LPVOID info, DWORD size,
                                      PDWORD needed);
    BOOL(WINAPI* EnumPortsW)(LPWSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                             LPDWORD returned);
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    HWND(WINAPI* HtmlHelpW)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
};

extern SYSTEM_SEAMS g_seams;

// Puts back the real calls (for tests that replaced some).
void ResetSystemSeams();
