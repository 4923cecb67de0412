// Files of the test programs: the folder of the running program, whole-file
// reads and writes, and the files of a folder.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace harness {

// Owns a kernel handle that CreateFileW and its kind answer
// (INVALID_HANDLE_VALUE or null when empty).
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : m_handle(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle() { close(); }

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void close();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// The folder of the running program, without a trailing backslash.
std::wstring programDirectory();
// A file beside the running program (test data is copied there).
std::wstring programFile(const std::wstring& name);
// The user's temporary folder, without a trailing backslash.
std::wstring temporaryFolder();

// The whole content of a file; nothing when it cannot be read. Others may
// hold the file open for reading or writing.
std::optional<std::string> readFile(const std::wstring& path);
// Creates or replaces a file with that content; false unless all of it was written.
bool writeFile(const std::wstring& path, const std::string& content);

// Records as a file holds them, one after another.
template <class T>
std::string recordBytes(const std::vector<T>& records)
{
    static_assert(std::is_trivially_copyable_v<T>, "records are written as their bytes");
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(T));
}

bool fileExists(const std::wstring& path);
// Sets a file's size, creating it when missing; what a longer file gains is a
// hole, which takes no disk (under Wine on a Linux file system: a sparse file).
bool setFileSize(const std::wstring& path, ULONGLONG size);
// Which file the path names now (its index on its volume); nothing when none.
std::optional<ULONGLONG> fileIndex(const std::wstring& path);

// The names of the files (not the folders) in a folder.
std::set<std::wstring> filesIn(const std::wstring& folder);

// Makes link a symbolic link to the existing folder target, one that the
// system reports with FILE_ATTRIBUTE_REPARSE_POINT. Where CreateSymbolicLinkW
// only pretends (Wine 8 answers TRUE and makes nothing, and refuses
// FSCTL_SET_REPARSE_POINT), a link of the host's file system is made with the
// host's "ln": Wine shows a host link to a folder as a reparse point (a host
// link to a file it shows as a plain file). False when neither works.
bool makeFolderLink(const std::wstring& link, const std::wstring& target);
// Removes such a link (never what it points to).
bool removeFolderLink(const std::wstring& link);
// Whether the path reports FILE_ATTRIBUTE_REPARSE_POINT.
bool isReparsePoint(const std::wstring& path);

// ASCII names and paths between the plug-in's narrow calls and the wide ones
// (other characters become '?' when narrowed).
std::wstring widen(const std::string& ascii);
std::string narrow(const std::wstring& text);

} // namespace harness
