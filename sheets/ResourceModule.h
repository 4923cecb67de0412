// The language resource module of the driver package: the source of every
// text and dialog template of the plug-in.
#pragma once

#include <windows.h>

struct RESOURCE_MODULE {
    DWORD subLanguage;   // SUBLANGID of the user's language when it chose the module
    DWORD primaryLanguage;
    HMODULE module;      // loaded as a data/resource image; null when none loaded
};

// Loads the language module for that printer: the file named by the printer
// data "BqPSResDll", else "bq2100PS<code>.dll" for the user's language, else
// the "enUS" module, from the subfolder "3" of the printer driver directory.
// The module of the record is null when nothing could be loaded.
void LoadResourceModule(RESOURCE_MODULE* record, HANDLE hPrinter);
// Frees the record's module when there is one (the field keeps its value).
void FreeResourceModule(RESOURCE_MODULE* record);

// The process-wide record, created all zero on first use and freed at unload.
// Another thread may load another printer's module into it at any moment,
// freeing the one it held: take its module only through CProcessLanguage.
RESOURCE_MODULE* GetResourceModule();

// The lock of the process-wide record; re-entrant on one thread.
class CResourceModuleLock {
public:
    CResourceModuleLock();
    ~CResourceModuleLock();
    CResourceModuleLock(const CResourceModuleLock&) = delete;
    CResourceModuleLock& operator=(const CResourceModuleLock&) = delete;
};

// The process-wide language module for as long as this object lives: it
// holds the lock that keeps the module loaded (re-entrant, so a nested query
// on the same thread passes). A handle from Module() is used only while the
// object that gave it lives.
class CProcessLanguage {
public:
    // The module as the record holds it.
    CProcessLanguage() = default;
    // The module of that printer, loaded into the record first.
    explicit CProcessLanguage(HANDLE hPrinter);
    CProcessLanguage(const CProcessLanguage&) = delete;
    CProcessLanguage& operator=(const CProcessLanguage&) = delete;

    HMODULE Module() const;

private:
    CResourceModuleLock m_hold;
};

// The code that ends the names of the language module and the help file for a
// Windows language id ("enUS" for 0x0409); null when the table has none.
const WCHAR* GetLanguageCode(LANGID language);

// The printer driver directory's subfolder "3" (no trailing backslash).
BOOL GetDriverFilesFolder(WCHAR* folder, DWORD chars);
