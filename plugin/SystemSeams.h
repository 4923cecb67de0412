// The few system calls that the tests must stand in for (what Wine cannot
// give: a non-administrator token, answered message boxes, the help viewer's
// window, USB port monitors, USB printing devices, the browser). Each entry
// defaults to the real call.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <setupapi.h>
#include <shellapi.h>

struct SYSTEM_SEAMS {
    BOOL(WINAPI* GetTokenInformation)(HANDLE token, TOKEN_INFORMATION_CLASS cls, LPVOID info, DWORD size,
                                      PDWORD needed);
    BOOL(WINAPI* EnumPortsW)(LPWSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                             LPDWORD returned);
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    HWND(WINAPI* HtmlHelpW)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
    // The pointer's position (the tooltip's delay and placement): a pointer
    // that stays where a test puts it. Moving the real pointer under the
    // virtual X server brings input of its own, later than what a test sends.
    BOOL(WINAPI* GetCursorPos)(LPPOINT point);

    // Device-interface enumeration (SetupAPI).
    HDEVINFO(WINAPI* SetupDiGetClassDevsW)(const GUID* cls, PCWSTR enumerator, HWND parent, DWORD flags);
    BOOL(WINAPI* SetupDiEnumDeviceInterfaces)(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* cls,
                                              DWORD index, PSP_DEVICE_INTERFACE_DATA data);
    BOOL(WINAPI* SetupDiGetDeviceInterfaceDetailW)(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                   PDWORD needed, PSP_DEVINFO_DATA device);
    BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO list);

    // I/O on a device opened by its interface path. The device is opened for
    // reading and writing, shared both ways; INVALID_HANDLE_VALUE and the last
    // error on failure. Writes, reads and control requests end within
    // timeoutMs: a request still pending then is cancelled and fails with
    // ERROR_SEM_TIMEOUT. Every failure leaves the last error set.
    HANDLE (*OpenDevice)(LPCWSTR path);
    BOOL (*WriteDevice)(HANDLE device, const void* data, DWORD size, DWORD* written, DWORD timeoutMs);
    BOOL (*ReadDevice)(HANDLE device, void* buffer, DWORD size, DWORD* read, DWORD timeoutMs);
    BOOL (*ControlDevice)(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                          DWORD* returned, DWORD timeoutMs);
    BOOL (*CloseDevice)(HANDLE device);

    // The spooler's capability query, which passes through the printer's
    // driver (and so back into this plug-in) on the calling thread.
    int(WINAPI* DeviceCapabilitiesW)(LPCWSTR device, LPCWSTR port, WORD capability, LPWSTR output,
                                     const DEVMODEW* devmode);

    // Opens a document or an address with the shell (the logo's web page).
    HINSTANCE(WINAPI* ShellExecuteW)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                     LPCWSTR directory, INT show);
};

extern SYSTEM_SEAMS g_seams;

// Puts back the real calls (for tests that replaced some).
void ResetSystemSeams();
