// Files of the test programs: the folder of the running program and whole-file reads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

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

// The whole content of a file; nothing when it cannot be read.
std::optional<std::string> readFile(const std::wstring& path);

bool fileExists(const std::wstring& path);

} // namespace harness
