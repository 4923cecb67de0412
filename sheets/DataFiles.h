// The per-machine data files: folder Brixom\Bq2100_PS under the common
// application-data folder.
//
// The folder is shared by every user of the machine, so no data file is read
// or written through a reparse point (junction, symbolic link) on its way, a
// file is replaced whole (temporary file, then replace), a momentary sharing
// violation is waited out briefly, and a file about to be given up is kept as
// a numbered backup that never replaces an earlier one.
#pragma once

#include <windows.h>

#include <string>

#define CUSTOM_PAPER_FILE_NAME "bq2100PS_cp.cfg"
#define QUICK_SETTINGS_FILE_NAME "bq2100PS_qs.xml"

// path (260 bytes) receives the full path of the named data file; without a
// name, a new unique temporary file ("bq" prefix) in the common folder itself.
HRESULT BuildDataFilePath(char* path, const char* name);
// Creates every missing folder of a file path (never the file's own name).
// Fails where a file stands in place of a folder.
HRESULT CreateDirectoryPath(const char* path);

// Whether a reparse point stands on the path: at one of the folders below the
// common application-data folder (every folder when the path is elsewhere)
// or at the file itself.
bool HasReparsePoint(const char* path);

// What reading a data file found.
enum DATA_FILE_READ {
    DATA_FILE_READ_OK,     // the content is the file's first bytes (all of them up to the bound)
    DATA_FILE_MISSING,     // neither the file nor, maybe, its folder is there
    DATA_FILE_UNREADABLE,  // it is there but could not be read: locked, denied, or a reparse point on its way
};
// Reads at most maxBytes of a data file from its start; *size receives the
// whole file's size. A sharing violation is tried again a few times (about
// 200 ms in all) before the file counts as unreadable.
DATA_FILE_READ ReadDataFile(const char* path, size_t maxBytes, std::string* content, ULONGLONG* size);

// What a backup that failed before means to a later one of the same file
// (same file, size and time of last write) in this process.
enum DATA_FILE_BACKUP_RETRY {
    DATA_FILE_BACKUP_AGAIN,   // tried again: a save is about to replace the file
    DATA_FILE_BACKUP_ONCE,    // not tried again: a load only keeps the file aside
};
// Keeps a data file that cannot be used as the first free "<path>.bak",
// "<path>.bak2", ... "<path>.bak99", never over an earlier backup. A file of
// at most `bound` bytes (what the plug-in itself could have written) is
// copied, and a backup already holding the same content counts; a larger one
// was not written by the plug-in and is moved aside whole: renamed, never
// copied, so no backup larger than the bound is ever written. False when no
// backup could be made.
bool KeepDataFileBackup(const char* path, ULONGLONG bound, DATA_FILE_BACKUP_RETRY retry);

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
// old file as it was. A read-only file, and a file with a reparse point on its
// way, are not replaced. Folders of any length the paths allow work.
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
    std::wstring m_temp;
    CFileHandle m_file{ INVALID_HANDLE_VALUE };
    bool m_ok = false;
    bool m_committed = false;
};

// What tells one version of a data file from another: a save replaces the
// file whole, so every save gives a file of its own.
struct DATA_FILE_STAMP {
    bool present = false;
    DWORD volume = 0;
    DWORD indexHigh = 0, indexLow = 0;
    FILETIME written = {};
    ULONGLONG size = 0;
};
bool operator==(const DATA_FILE_STAMP& a, const DATA_FILE_STAMP& b);
inline bool operator!=(const DATA_FILE_STAMP& a, const DATA_FILE_STAMP& b) { return !(a == b); }
// The stamp of the file as it is now ("not present" when there is none);
// false when it cannot be told.
bool GetDataFileStamp(const char* path, DATA_FILE_STAMP* stamp);

// The lock of a data file is the file "<path>.lock" beside it, held open
// without sharing, which locks out every program and user of the machine
// that asks for it, and removed when let go.
#define DATA_FILE_LOCK_SUFFIX ".lock"

// Holds a data file against the other writers while this lives. A lock held
// by another is waited for a short, bounded time (DATA_FILE_LOCK_TRIES tries,
// about a second in all); then it is not held.
#define DATA_FILE_LOCK_TRIES 20
class CDataFileLock {
public:
    explicit CDataFileLock(const char* path);
    CDataFileLock(const CDataFileLock&) = delete;
    CDataFileLock& operator=(const CDataFileLock&) = delete;
    bool Held() const { return static_cast<bool>(m_file); }

private:
    CFileHandle m_file{ INVALID_HANDLE_VALUE };
};

// The file calls of the data files, replaceable by tests.
struct DATA_FILE_CALLS {
    // Every open and creation of a data file, its temporary file and its backups.
    HANDLE(WINAPI* CreateFileW)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* WriteFile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    // A save's replace of the file, and a backup's move aside.
    BOOL(WINAPI* MoveFileExW)(LPCWSTR from, LPCWSTR to, DWORD flags);
    // The attribute query of the reparse-point check.
    DWORD(WINAPI* GetFileAttributesW)(LPCWSTR path);
    // The wait between two tries after a sharing violation.
    void(WINAPI* Sleep)(DWORD milliseconds);
};
extern DATA_FILE_CALLS g_DataFileCalls;
void ResetDataFileCalls();
