// A copy of the installed language module under a name of its own, with some
// strings replaced or left out, for tests of what the plug-in does with
// another or an incomplete module. The copy is deleted at the end.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace harness {

class PatchedLanguageModule {
public:
    // Strings to change (none: a plain copy): an empty text leaves the string
    // out. The copy goes into the folder given (the driver folder's "3" by
    // default). Dialog templates of the ids in removedDialogs are left out.
    explicit PatchedLanguageModule(const std::map<UINT, std::wstring>& strings = {}, std::wstring folder = {},
                                   const std::vector<UINT>& removedDialogs = {});
    ~PatchedLanguageModule();
    PatchedLanguageModule(const PatchedLanguageModule&) = delete;
    PatchedLanguageModule& operator=(const PatchedLanguageModule&) = delete;

    bool ok() const { return m_ok; }
    const std::wstring& path() const { return m_path; }
    const std::wstring& fileName() const { return m_name; }
    // The copy loaded as a data image (once; null on failure), freed before
    // the copy is deleted.
    HMODULE load();

private:
    std::wstring m_path, m_name;
    HMODULE m_module = nullptr;
    bool m_ok = false;
};

// Names the language module of a printer in its data "BqPSResDll" (a file of
// the driver folder's "3"); the error of SetPrinterDataW.
DWORD nameLanguageModule(HANDLE printer, const std::wstring& value, DWORD type = REG_SZ);

} // namespace harness
