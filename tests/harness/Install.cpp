// Boot step of the test session: installs the test printer's driver, its
// language module and the shared test printer (see TestPrinter.h), then
// leaves a keeper on Wine's desktop for the rest of the session (Session.h).
//   bq_install.exe                  install, start the keeper, wait until it holds the desktop
//   bq_install.exe --keep-desktop   the keeper itself
#include "Files.h"
#include "Session.h"
#include "TestPrinter.h"

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kKeeperStartMs = 60000;

bool HasArgument(const wchar_t* wanted)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool found = false;
    for (int i = 1; argv && i < argc && !found; ++i)
        found = wcscmp(argv[i], wanted) == 0;
    LocalFree(argv);
    return found;
}

int Fail(const std::wstring& text)
{
    std::fwprintf(stderr, L"bq_install: %ls\n", text.c_str());
    return 1;
}

// The keeper: its first window starts the desktop process (which inherits
// this process's output, the boot log); then it stays on the desktop until
// the server ends the session.
int KeepDesktop()
{
    harness::FileHandle ready(OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, harness::kDesktopKeeperEvent));
    if (!ready)
        return Fail(L"keeper: no start event, error " + std::to_wstring(GetLastError()));
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!w)
        return Fail(L"keeper: no window on the desktop, error " + std::to_wstring(GetLastError()));
    DestroyWindow(w);
    SetEvent(ready.get());
    for (;;)
        Sleep(INFINITE);
}

// Starts the keeper unless this session has one, and waits until it holds the desktop.
bool StartDesktopKeeper(std::wstring* message)
{
    harness::FileHandle ready(CreateEventW(nullptr, TRUE, FALSE, harness::kDesktopKeeperEvent));
    if (!ready) {
        *message = L"CreateEventW failed, error " + std::to_wstring(GetLastError());
        return false;
    }
    if (WaitForSingleObject(ready.get(), 0) == WAIT_OBJECT_0)
        return true;

    std::wstring self = harness::programFile(L"bq_install.exe");
    std::wstring command = L"\"" + self + L"\" --keep-desktop";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(self.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        *message = L"CreateProcessW failed for the desktop keeper, error " + std::to_wstring(GetLastError());
        return false;
    }
    harness::FileHandle process(pi.hProcess), thread(pi.hThread);
    HANDLE waits[2] = { ready.get(), process.get() };
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, kKeeperStartMs);
    if (r == WAIT_OBJECT_0)
        return true;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    *message = r == WAIT_OBJECT_0 + 1 ? L"the desktop keeper ended with code " + std::to_wstring(code)
                                      : L"the desktop keeper did not take the desktop in time";
    return false;
}

} // namespace

int main()
{
    if (HasArgument(L"--keep-desktop"))
        return KeepDesktop();

    std::wstring message;
    if (!harness::installTestPrinter(&message))
        return Fail(message);
    std::fwprintf(stdout, L"bq_install: printer \"%ls\" ready\n", harness::kPrinterName);
    if (!StartDesktopKeeper(&message))
        return Fail(message);
    std::fwprintf(stdout, L"bq_install: desktop kept for the session\n");
    return 0;
}
