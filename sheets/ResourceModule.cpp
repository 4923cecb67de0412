#include "sheets/ResourceModule.h"
#include "framework/AfxApp.h"

#include <winspool.h>
#include <string.h>
#include <wchar.h>

namespace {

constexpr WCHAR kBaseName[] = L"bq2100PS";
constexpr DWORD kDirChars = 261;

struct LANGUAGE_CODE_ROW {
    WORD primary;
    WORD firstSub, lastSub;
    const WCHAR* code;
};

const LANGUAGE_CODE_ROW kLanguageCodes[] = {
    { 0x00, 0, 5, L"NEUT" }, { 0x01, 1, 16, L"ar" },   { 0x02, 1, 1, L"bgBG" }, { 0x03, 1, 1, L"caES" },
    { 0x04, 1, 1, L"zhTW" }, { 0x04, 2, 2, L"zhCN" },  { 0x04, 3, 5, L"zhTW" }, { 0x05, 1, 1, L"csCZ" },
    { 0x06, 1, 1, L"daDK" }, { 0x07, 1, 5, L"deDE" },  { 0x08, 1, 1, L"elGR" }, { 0x09, 1, 16, L"enUS" },
    { 0x0A, 1, 21, L"esES" }, { 0x0B, 1, 1, L"fiFI" }, { 0x0C, 1, 6, L"frFR" }, { 0x0D, 1, 1, L"heIL" },
    { 0x0E, 1, 1, L"huHU" }, { 0x0F, 1, 1, L"isIS" },  { 0x10, 1, 2, L"itIT" }, { 0x11, 1, 1, L"jaJP" },
    { 0x12, 1, 1, L"koKR" }, { 0x12, 2, 2, L"koJO" },  { 0x13, 1, 1, L"nlNL" }, { 0x13, 2, 2, L"nlBE" },
    { 0x14, 1, 2, L"noNO" }, { 0x15, 1, 1, L"plPL" },  { 0x16, 1, 1, L"ptBR" }, { 0x16, 2, 2, L"ptPT" },
    { 0x17, 1, 1, L"rhCH" }, { 0x18, 1, 1, L"roRO" },  { 0x19, 1, 1, L"ruRU" }, { 0x1A, 1, 1, L"hrHR" },
    { 0x1A, 2, 2, L"srLA" }, { 0x1A, 3, 3, L"srCY" },  { 0x1A, 4, 4, L"hrBA" }, { 0x1A, 6, 6, L"srBL" },
    { 0x1A, 7, 7, L"srBC" }, { 0x1B, 1, 1, L"skSK" },  { 0x1C, 1, 1, L"sqAL" }, { 0x1D, 1, 1, L"svSE" },
    { 0x1D, 2, 2, L"svFI" }, { 0x1E, 1, 1, L"thTH" },  { 0x1F, 1, 1, L"trTR" }, { 0x20, 1, 1, L"urPK" },
    { 0x20, 2, 2, L"urIN" }, { 0x21, 1, 1, L"idID" },  { 0x22, 1, 1, L"ukUA" }, { 0x23, 1, 1, L"beBY" },
    { 0x24, 1, 1, L"slSI" }, { 0x25, 1, 1, L"etEE" },  { 0x26, 1, 1, L"lvLV" }, { 0x27, 1, 1, L"ltLT" },
    { 0x28, 1, 1, L"tgTJ" }, { 0x29, 1, 1, L"faFA" },  { 0x2A, 1, 1, L"viVN" }, { 0x2B, 1, 1, L"hyAM" },
    { 0x2C, 1, 1, L"azLA" }, { 0x2C, 2, 2, L"azCY" },  { 0x2D, 1, 1, L"euEU" }, { 0x2E, 2, 2, L"lsDE" },
    { 0x2F, 1, 1, L"mkMK" },
};

// Guards the process-wide record; re-entrant on one thread.
struct ProcessRecord {
    CRITICAL_SECTION lock;
    RESOURCE_MODULE record;
    WCHAR path[MAX_PATH * 2];   // the file the record's module came from

    ProcessRecord() : record(), path()
    {
        InitializeCriticalSection(&lock);
    }
    ~ProcessRecord()
    {
        // At process exit the loader lock is held: leave the module to the system.
        if (!AfxGetModuleState()->m_bProcessDetaching && record.module)
            FreeLibrary(record.module);
        record.module = nullptr;
        DeleteCriticalSection(&lock);
    }
};

// Made when the module is loaded, while the loader runs one thread, and
// destroyed when it is unloaded. A local static would be made under the
// thread runtime's guard, whose first use in each loaded copy of the module
// keeps a TLS slot that its unload never gives back.
ProcessRecord g_process;

ProcessRecord& Process() { return g_process; }

// The lock exists before any record is loaded and outlives every user.
CRITICAL_SECTION& ProcessLock() { return Process().lock; }

// The printer data value names a bare file of the driver folder.
bool IsBareFileName(const WCHAR* name)
{
    if (!name[0])
        return false;
    return !wcschr(name, L'\\') && !wcschr(name, L'/') && !wcschr(name, L':') && !wcsstr(name, L"..");
}

// The path of the module to load for the printer; empty when none can be named.
void ChooseModulePath(RESOURCE_MODULE* record, HANDLE hPrinter, const WCHAR* folder, WCHAR* path, size_t chars)
{
    path[0] = 0;
    WCHAR value[262] = {};
    DWORD type = 0, needed = 0;
    DWORD status = GetPrinterDataW(hPrinter, const_cast<LPWSTR>(L"BqPSResDll"), &type, reinterpret_cast<BYTE*>(value),
                                   sizeof value - sizeof(WCHAR), &needed);
    bool named = status == ERROR_SUCCESS && type == REG_SZ && needed >= sizeof(WCHAR) &&
                 needed <= sizeof value - sizeof(WCHAR) && wmemchr(value, 0, needed / sizeof(WCHAR)) &&
                 IsBareFileName(value);
    if (named) {
        _snwprintf(path, chars - 1, L"%s\\%s", folder, value);
        path[chars - 1] = 0;
        return;
    }
    LANGID language = GetUserDefaultLangID();
    record->primaryLanguage = PRIMARYLANGID(language);
    record->subLanguage = SUBLANGID(language);
    if (const WCHAR* code = GetLanguageCode(language)) {
        _snwprintf(path, chars - 1, L"%s\\%s%s.dll", folder, kBaseName, code);
        path[chars - 1] = 0;
    }
}

HMODULE LoadAsResources(const WCHAR* path)
{
    // A data image: no code of a file named by printer data ever runs.
    return LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// Loads the module for the printer; path receives the file it came from.
// A module already loaded from the same file (reuse, reusePath) is taken again
// instead of being mapped a second time.
HMODULE LoadForPrinter(RESOURCE_MODULE* record, HANDLE hPrinter, WCHAR* path, size_t chars, bool* haveFolder,
                       HMODULE reuse = nullptr, const WCHAR* reusePath = nullptr)
{
    WCHAR folder[kDirChars];
    *haveFolder = GetDriverFilesFolder(folder, kDirChars) != FALSE;
    if (!*haveFolder)
        return nullptr;
    auto load = [&](const WCHAR* file) -> HMODULE {
        if (reuse && reusePath && _wcsicmp(file, reusePath) == 0)
            return reuse;
        return LoadAsResources(file);
    };
    ChooseModulePath(record, hPrinter, folder, path, chars);
    OutputDebugStringW(path);
    HMODULE module = path[0] ? load(path) : nullptr;
    if (module)
        return module;
    _snwprintf(path, chars - 1, L"%s\\%s%s.dll", folder, kBaseName, L"enUS");
    path[chars - 1] = 0;
    module = load(path);
    if (!module)
        OutputDebugStringW(path);
    return module;
}

} // namespace

CResourceModuleLock::CResourceModuleLock() { EnterCriticalSection(&ProcessLock()); }
CResourceModuleLock::~CResourceModuleLock() { LeaveCriticalSection(&ProcessLock()); }

CProcessLanguage::CProcessLanguage(HANDLE hPrinter) { LoadResourceModule(&Process().record, hPrinter); }

HMODULE CProcessLanguage::Module() const { return Process().record.module; }

const WCHAR* GetLanguageCode(LANGID language)
{
    WORD primary = PRIMARYLANGID(language), sub = SUBLANGID(language);
    for (const LANGUAGE_CODE_ROW& row : kLanguageCodes)
        if (row.primary == primary && sub >= row.firstSub && sub <= row.lastSub)
            return row.code;
    return nullptr;
}

BOOL GetDriverFilesFolder(WCHAR* folder, DWORD chars)
{
    if (!folder || chars < 3)
        return FALSE;
    DWORD needed = 0;
    folder[0] = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), chars * sizeof(WCHAR),
                                    &needed))
        return FALSE;
    folder[chars - 1] = 0;
    size_t n = wcslen(folder);
    if (n + 2 >= chars)
        return FALSE;
    wcscat(folder, L"\\3");
    return TRUE;
}

void LoadResourceModule(RESOURCE_MODULE* record, HANDLE hPrinter)
{
    if (!record)
        return;
    WCHAR path[MAX_PATH * 2];
    bool haveFolder = false;
    if (record != &Process().record) {
        HMODULE module = LoadForPrinter(record, hPrinter, path, MAX_PATH * 2, &haveFolder);
        if (!haveFolder)
            return;
        FreeResourceModule(record);
        record->module = module;
        return;
    }

    // The process-wide record keeps its module while the file stays the same
    // and is swapped whole, under the lock, when it changes.
    CResourceModuleLock hold;
    ProcessRecord& process = Process();
    RESOURCE_MODULE next = process.record;
    HMODULE module = LoadForPrinter(&next, hPrinter, path, MAX_PATH * 2, &haveFolder, process.record.module,
                                    process.path);
    if (!haveFolder)
        return;
    if (process.record.module && module != process.record.module)
        FreeLibrary(process.record.module);
    next.module = module;
    process.record = next;
    wcscpy(process.path, module ? path : L"");
}

void FreeResourceModule(RESOURCE_MODULE* record)
{
    if (!record || !record->module)
        return;
    if (record == &Process().record) {
        CResourceModuleLock hold;
        FreeLibrary(record->module);
        record->module = nullptr;
        Process().path[0] = 0;
        return;
    }
    FreeLibrary(record->module);
    record->module = nullptr;
}

RESOURCE_MODULE* GetResourceModule() { return &Process().record; }
