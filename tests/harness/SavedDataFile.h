// The plug-in's machine-wide data files: the folder Brixom\Bq2100_PS under the
// common application-data folder, found with the system call (the harness
// does not link the plug-in), and a file of it kept aside for a test.
#pragma once

#include "Files.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace harness {

// The common application-data folder, without a trailing backslash; empty
// when the system has none.
std::wstring commonDataFolder();
// The data folder of the plug-in below it.
std::wstring dataFolder();
// A file of the data folder.
std::wstring dataFilePath(const std::wstring& name);

// A file of the data folder kept aside while this lives: the folder is made,
// the file's content and attributes are kept and the file is removed, so a
// test starts without it. At the end the kept file comes back as it was, or,
// when there was none, whatever the test left at its path goes (a file, or
// an empty folder made in its place). A file that exists but cannot be read
// is left alone: ok() is false and nothing is written.
class SavedDataFile {
public:
    explicit SavedDataFile(const std::wstring& name);
    // ASCII names, as the plug-in's narrow calls take them.
    explicit SavedDataFile(const char* name) : SavedDataFile(widen(name)) {}
    ~SavedDataFile();
    SavedDataFile(const SavedDataFile&) = delete;
    SavedDataFile& operator=(const SavedDataFile&) = delete;

    bool ok() const { return m_kept; }
    const std::wstring& path() const { return m_path; }

    std::optional<std::string> read() const { return readFile(m_path); }
    // Replaces the file whatever its attributes; false unless all was written.
    [[nodiscard]] bool write(const std::string& content) const;
    template <class T>
    [[nodiscard]] bool write(const std::vector<T>& records) const
    {
        return write(recordBytes(records));
    }

private:
    std::wstring m_path;
    std::optional<std::string> m_saved;
    DWORD m_attributes = INVALID_FILE_ATTRIBUTES;
    bool m_kept = false;
};

// The data folder replaced, while this lives, by a link (see makeFolderLink)
// to a scratch folder of its own: the real folder is moved aside and comes
// back at the end, and the scratch folder goes with what the test left there.
// Hold the CTest lock "datafiles".
class LinkedDataFolder {
public:
    LinkedDataFolder();
    ~LinkedDataFolder();
    LinkedDataFolder(const LinkedDataFolder&) = delete;
    LinkedDataFolder& operator=(const LinkedDataFolder&) = delete;

    bool ok() const { return m_linked; }
    // The folder the link leads to.
    const std::wstring& target() const { return m_target; }

private:
    std::wstring m_folder, m_kept, m_target;
    bool m_moved = false;
    bool m_linked = false;
};

} // namespace harness
