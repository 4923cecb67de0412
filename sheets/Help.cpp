#include "sheets/Help.h"
#include "plugin/SystemSeams.h"
#include "sheets/ResourceModule.h"

#include <htmlhelp.h>
#include <wchar.h>

namespace {

struct HELP_TOPIC {
    UINT id;
    DWORD context;
};

// The first row's context is the default.
const HELP_TOPIC kHelpTopics[] = {
    { 1101, 500 },  { 2200, 3091 }, { 2600, 1154 }, { 2401, 1154 }, { 2400, 1154 }, { 2403, 1701 },
    { 2300, 2020 }, { 2302, 2022 }, { 2303, 2023 }, { 2420, 2024 }, { 2419, 2024 }, { 2418, 2024 },
    { 2423, 5100 }, { 1110, 5100 }, { 1103, 513 },  { 2407, 2028 }, { 2404, 2028 }, { 2405, 2028 },
    { 2406, 2028 }, { 2301, 2029 }, { 2408, 2030 }, { 2601, 2032 }, { 2433, 2032 }, { 2432, 2032 },
    { 2411, 2050 }, { 2409, 2050 }, { 2410, 2050 }, { 2412, 2015 }, { 2417, 2016 }, { 2415, 2016 },
    { 2416, 2016 }, { 2413, 2017 }, { 2414, 2018 }, { 2435, 2018 }, { 2444, 2019 }, { 1114, 511 },
    { 2106, 1170 }, { 2201, 1171 }, { 2442, 1172 }, { 2443, 1172 }, { 2202, 1173 }, { 2203, 1173 },
};
static_assert(sizeof kHelpTopics / sizeof kHelpTopics[0] == 42, "help topic table");

typedef HWND(WINAPI* HtmlHelpFn)(HWND, LPCWSTR, UINT, DWORD_PTR);

} // namespace

HMODULE(WINAPI* g_LoadHelpViewer)(LPCWSTR path, HANDLE file, DWORD flags) = &LoadLibraryExW;

HWND WINAPI SystemHtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data)
{
    // Loaded once it loads, from the system folder only (never a file of the
    // same name that the search order would find first); a load that failed
    // is tried again at the next request.
    static HtmlHelpFn s_entry = nullptr;
    HtmlHelpFn entry = reinterpret_cast<HtmlHelpFn>(InterlockedCompareExchangePointer(
        reinterpret_cast<void* volatile*>(&s_entry), nullptr, nullptr));
    if (!entry) {
        WCHAR path[MAX_PATH];
        UINT n = GetSystemDirectoryW(path, MAX_PATH);
        if (n == 0 || n >= MAX_PATH || _snwprintf(path + n, MAX_PATH - n, L"\\hhctrl.ocx") < 0)
            return nullptr;
        path[MAX_PATH - 1] = 0;
        HMODULE viewer = g_LoadHelpViewer(path, nullptr, 0);
        entry = viewer ? reinterpret_cast<HtmlHelpFn>(GetProcAddress(viewer, "HtmlHelpW")) : nullptr;
        if (!entry) {
            if (viewer)
                FreeLibrary(viewer);
            return nullptr;
        }
        // Another thread's load counts the same; this one's reference stays.
        InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&s_entry),
                                          reinterpret_cast<void*>(entry), nullptr);
    }
    return entry(caller, file, command, data);
}

DWORD GetHelpContext(UINT id)
{
    for (const HELP_TOPIC& row : kHelpTopics)
        if (row.id == id)
            return row.context;
    return kHelpTopics[0].context;
}

HWND ShowHelpTopic(UINT id)
{
    DWORD context = GetHelpContext(id);
    WCHAR folder[260];
    if (!GetDriverFilesFolder(folder, 260))
        return nullptr;
    // The help file follows the user's language; a language without a code
    // gets the English file.
    const WCHAR* code = GetLanguageCode(GetUserDefaultLangID());
    WCHAR path[260];
    int n = _snwprintf(path, 260, L"%s\\%s%s.chm", folder, L"bq2100PS", code ? code : L"enUS");
    if (n < 0 || n >= 260)
        return nullptr;
    return g_seams.HtmlHelpW(nullptr, path, HH_HELP_CONTEXT, context);
}
