// The per-machine data files: folder Brixom\Bq2100_PS under the common
// application-data folder.
#pragma once

#include <windows.h>

#define CUSTOM_PAPER_FILE_NAME "bq2100PS_cp.cfg"
#define QUICK_SETTINGS_FILE_NAME "bq2100PS_qs.xml"

// path (260 bytes) receives the full path of the named data file; without a
// name, a new unique temporary file ("bq" prefix) in the common folder itself.
HRESULT BuildDataFilePath(char* path, const char* name);
// Creates every missing folder of a file path (never the file's own name).
HRESULT CreateDirectoryPath(const char* path);

// Owns a file handle (CreateFile's INVALID_HANDLE_VALUE or null when empty).
class CFileHandle {
public:
    explicit CFileHandle(HANDLE h) : m_h(h) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE Get() const { return m_h; }
    void Reset(HANDLE h)
    {
        Close();
        m_h = h;
    }
    bool Close()
    {
        bool ok = true;
        if (*this)
            ok = CloseHandle(m_h) != FALSE;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

// Replaces a data file whole: the content goes to a temporary file of the
// same folder, which then takes the file's place, so a failed save leaves the
// old file as it was. A read-only file is not replaced.
class CDataFileWriter {
public:
    // Creates the missing folders of the path and the temporary file.
    explicit CDataFileWriter(const char* path);
    ~CDataFileWriter();
    CDataFileWriter(const CDataFileWriter&) = delete;
    CDataFileWriter& operator=(const CDataFileWriter&) = delete;

    bool IsOpen() const { return static_cast<bool>(m_file); }
    // Whole or not at all: a short write fails the save.
    bool Write(const void* data, size_t size);
    // Puts the written content in the file's place; false leaves the old file.
    bool Commit();

private:
    char m_path[MAX_PATH] = {};
    char m_temp[MAX_PATH] = {};
    CFileHandle m_file{ INVALID_HANDLE_VALUE };
    bool m_ok = false;
    bool m_committed = false;
};

// The file calls of the data-file saves, replaceable by tests.
struct DATA_FILE_CALLS {
    UINT(WINAPI* GetTempFileNameA)(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name);
    BOOL(WINAPI* WriteFile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* MoveFileExA)(LPCSTR from, LPCSTR to, DWORD flags);
};
extern DATA_FILE_CALLS g_DataFileCalls;
void ResetDataFileCalls();
