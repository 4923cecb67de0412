#include "plugin/SystemSeams.h"

namespace {

typedef HWND(WINAPI* HtmlHelpFn)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The help viewer's entry, from its control module, loaded on first use.
HWND WINAPI RealHtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data)
{
    static HtmlHelpFn fn = [] {
        HMODULE hh = LoadLibraryW(L"hhctrl.ocx");
        return hh ? reinterpret_cast<HtmlHelpFn>(GetProcAddress(hh, "HtmlHelpW")) : nullptr;
    }();
    return fn ? fn(caller, file, command, data) : nullptr;
}

const SYSTEM_SEAMS kRealCalls = {
    &::GetTokenInformation,
    &::EnumPortsW,
    &::MessageBoxW,
    &RealHtmlHelpW,
};

} // namespace

SYSTEM_SEAMS g_seams = kRealCalls;

void ResetSystemSeams() { g_seams = kRealCalls; }
