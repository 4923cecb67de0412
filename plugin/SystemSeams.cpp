#include "plugin/SystemSeams.h"
#include "sheets/Help.h"

namespace {

// --- device I/O: overlapped requests with a time limit --------------------

struct IoEvent {
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~IoEvent()
    {
        if (h)
            CloseHandle(h);
    }
};

// Finishes a request that ReadFile, WriteFile or DeviceIoControl started.
BOOL FinishIo(HANDLE device, OVERLAPPED& ov, BOOL started, DWORD* done, DWORD timeoutMs)
{
    if (!started && GetLastError() != ERROR_IO_PENDING)
        return FALSE;
    DWORD n = 0;
    BOOL wait = FALSE;
    if (WaitForSingleObject(ov.hEvent, timeoutMs) != WAIT_OBJECT_0) {
        // The request must be over before its OVERLAPPED goes.
        CancelIoEx(device, &ov);
        wait = TRUE;
    }
    if (!GetOverlappedResult(device, &ov, &n, wait)) {
        if (wait && GetLastError() == ERROR_OPERATION_ABORTED)
            SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    if (done)
        *done = n;
    return TRUE;
}

HANDLE RealOpenDevice(LPCWSTR path)
{
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

BOOL RealWriteDevice(HANDLE device, const void* data, DWORD size, DWORD* written, DWORD timeoutMs)
{
    if (written)
        *written = 0;
    IoEvent event;
    if (!event.h)
        return FALSE;
    OVERLAPPED ov = {};
    ov.hEvent = event.h;
    BOOL started = WriteFile(device, data, size, nullptr, &ov);
    return FinishIo(device, ov, started, written, timeoutMs);
}

BOOL RealReadDevice(HANDLE device, void* buffer, DWORD size, DWORD* read, DWORD timeoutMs)
{
    if (read)
        *read = 0;
    IoEvent event;
    if (!event.h)
        return FALSE;
    OVERLAPPED ov = {};
    ov.hEvent = event.h;
    BOOL started = ReadFile(device, buffer, size, nullptr, &ov);
    return FinishIo(device, ov, started, read, timeoutMs);
}

BOOL RealControlDevice(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned, DWORD timeoutMs)
{
    if (returned)
        *returned = 0;
    IoEvent event;
    if (!event.h)
        return FALSE;
    OVERLAPPED ov = {};
    ov.hEvent = event.h;
    BOOL started = DeviceIoControl(device, code, const_cast<void*>(in), inSize, out, outSize, nullptr, &ov);
    return FinishIo(device, ov, started, returned, timeoutMs);
}

BOOL RealCloseDevice(HANDLE device) { return CloseHandle(device); }

const SYSTEM_SEAMS kRealCalls = {
    &::GetTokenInformation,
    &::EnumPortsW,
    &::MessageBoxW,
    &SystemHtmlHelpW,
    &::GetCursorPos,
    &::SetupDiGetClassDevsW,
    &::SetupDiEnumDeviceInterfaces,
    &::SetupDiGetDeviceInterfaceDetailW,
    &::SetupDiDestroyDeviceInfoList,
    &RealOpenDevice,
    &RealWriteDevice,
    &RealReadDevice,
    &RealControlDevice,
    &RealCloseDevice,
    &::DeviceCapabilitiesW,
    &::ShellExecuteW,
};

} // namespace

SYSTEM_SEAMS g_seams = kRealCalls;

void ResetSystemSeams() { g_seams = kRealCalls; }
