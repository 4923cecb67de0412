#include "sheets/DataFiles.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

namespace {

// A sharing violation is tried again this many times, this long apart.
constexpr int kOpenTries = 5;
constexpr DWORD kRetryWaitMs = 50;
constexpr int kMaxBackups = 99;
constexpr int kTemporaryNameTries = 32;
// Paths from this length on go to the wide calls with the "\\?\" prefix,
// which lifts the limits of the narrow calls and of folder names.
constexpr size_t kLongPathChars = 240;
constexpr DWORD kCopyChunk = 64 * 1024;

const DATA_FILE_CALLS kRealDataFileCalls = {
    &::CreateFileW, &::WriteFile, &::MoveFileExW, &::GetFileAttributesW, &::Sleep,
};

std::wstring Widen(const char* path)
{
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring out((size_t)n - 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &out[0], n);
    return out;
}

// A full drive path as the wide calls take it, whatever its length.
std::wstring CallPath(const std::wstring& path)
{
    bool drivePath = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    return drivePath && path.size() >= kLongPathChars ? L"\\\\?\\" + path : path;
}

bool IsSharingError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool IsMissingError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The common application-data folder, asked once per loaded module (through
// the system's one-time initialisation: a local static's guard would take a
// TLS slot that the module's unload never gives back).
INIT_ONCE g_commonOnce = INIT_ONCE_STATIC_INIT;
WCHAR g_commonFolder[MAX_PATH];

BOOL CALLBACK FindCommonFolder(PINIT_ONCE, PVOID, PVOID*)
{
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, g_commonFolder)))
        g_commonFolder[0] = 0;
    return TRUE;
}

const WCHAR* CommonFolder()
{
    if (!InitOnceExecuteOnce(&g_commonOnce, &FindCommonFolder, nullptr, nullptr))
        return L"";
    return g_commonFolder;
}

// Where the folders that the plug-in makes (and anybody could replace) begin.
size_t OwnedPartStart(const std::wstring& path)
{
    const WCHAR* common = CommonFolder();
    size_t n = wcslen(common);
    if (n && path.size() > n && path[n] == L'\\' && _wcsnicmp(path.c_str(), common, n) == 0)
        return n + 1;
    // Elsewhere every folder below the root counts.
    if (path.size() > 2 && path[1] == L':')
        return 3;
    return 0;
}

// Opens an existing data file for reading, waiting out a momentary sharing
// violation; the last error tells a missing file from an unreadable one.
HANDLE OpenForReading(const std::wstring& path)
{
    for (int attempt = 1;; ++attempt) {
        HANDLE file = g_DataFileCalls.CreateFileW(CallPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                  nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        DWORD error = GetLastError();
        if (!IsSharingError(error) || attempt == kOpenTries) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        g_DataFileCalls.Sleep(kRetryWaitMs);
    }
}

// A handle that was opened on a reparse point or a folder is no data file.
bool IsPlainFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

bool ReadWhole(HANDLE file, void* data, DWORD bytes)
{
    BYTE* p = static_cast<BYTE*>(data);
    while (bytes > 0) {
        DWORD read = 0;
        if (!ReadFile(file, p, bytes, &read, nullptr) || read == 0)
            return false;
        p += read;
        bytes -= read;
    }
    return true;
}

bool WriteWhole(HANDLE file, const void* data, size_t size)
{
    const BYTE* p = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : (DWORD)size, written = 0;
        if (!g_DataFileCalls.WriteFile(file, p, chunk, &written, nullptr) || written != chunk)
            return false;
        p += chunk;
        size -= chunk;
    }
    return true;
}

// Whether two open files hold the same bytes (both read from their start).
bool SameContent(HANDLE a, HANDLE b)
{
    LARGE_INTEGER sizeA = {}, sizeB = {};
    if (!GetFileSizeEx(a, &sizeA) || !GetFileSizeEx(b, &sizeB) || sizeA.QuadPart != sizeB.QuadPart)
        return false;
    std::string chunkA(kCopyChunk, '\0'), chunkB(kCopyChunk, '\0');
    for (LONGLONG left = sizeA.QuadPart; left > 0;) {
        DWORD n = left > kCopyChunk ? kCopyChunk : (DWORD)left;
        if (!ReadWhole(a, &chunkA[0], n) || !ReadWhole(b, &chunkB[0], n) || memcmp(&chunkA[0], &chunkB[0], n) != 0)
            return false;
        left -= n;
    }
    return true;
}

bool Rewind(HANDLE file)
{
    LARGE_INTEGER zero = {};
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
}

std::wstring BackupName(const std::wstring& path, int n)
{
    return n == 1 ? path + L".bak" : path + L".bak" + std::to_wstring(n);
}

// A new backup from the open source, at most `limit` bytes; false when the
// name is taken or the copy fails.
bool CopyToNew(HANDLE source, const std::wstring& backup, ULONGLONG limit, bool* taken)
{
    *taken = false;
    CFileHandle target(g_DataFileCalls.CreateFileW(CallPath(backup).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) {
        DWORD error = GetLastError();
        *taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return false;
    }
    bool ok = Rewind(source);
    std::string chunk(kCopyChunk, '\0');
    for (ULONGLONG copied = 0; ok;) {
        DWORD read = 0;
        if (!ReadFile(source, &chunk[0], kCopyChunk, &read, nullptr)) {
            ok = false;
        } else if (read == 0) {
            break;
        } else {
            // A file that grew past the bound meanwhile is not the one measured.
            copied += read;
            ok = copied <= limit && WriteWhole(target.Get(), chunk.data(), read);
        }
    }
    ok = ok && FlushFileBuffers(target.Get());
    ok = target.Close() && ok;
    if (!ok)
        DeleteFileW(CallPath(backup).c_str());
    return ok;
}

// Copies the open file to the first free backup name, or finds an earlier
// backup of the same content.
bool CopyAside(HANDLE source, const std::wstring& path, ULONGLONG limit)
{
    for (int n = 1; n <= kMaxBackups; ++n) {
        std::wstring backup = BackupName(path, n);
        bool taken = false;
        if (CopyToNew(source, backup, limit, &taken))
            return true;
        if (!taken)
            return false;
        // An earlier backup of the same content is the backup.
        DWORD attributes = g_DataFileCalls.GetFileAttributesW(CallPath(backup).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
            continue;
        CFileHandle earlier(OpenForReading(backup));
        if (earlier && IsPlainFile(earlier.Get()) && Rewind(source) && SameContent(source, earlier.Get()))
            return true;
    }
    return false;
}

// Renames the file to the first free backup name: no copy, no wait.
bool MoveAside(const std::wstring& path)
{
    const std::wstring from = CallPath(path);
    for (int n = 1; n <= kMaxBackups; ++n) {
        if (g_DataFileCalls.MoveFileExW(from.c_str(), CallPath(BackupName(path, n)).c_str(), 0))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// One file as it was when its backup failed.
struct FILE_IDENTITY {
    DWORD volume;
    DWORD indexHigh, indexLow;
    ULONGLONG size;
    FILETIME written;

    bool operator==(const FILE_IDENTITY& o) const
    {
        return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow && size == o.size &&
               CompareFileTime(&written, &o.written) == 0;
    }
};

bool Identify(HANDLE file, FILE_IDENTITY* identity)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info))
        return false;
    *identity = { info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                  ((ULONGLONG)info.nFileSizeHigh << 32) | info.nFileSizeLow, info.ftLastWriteTime };
    return true;
}

// The last files whose backup failed in this process (a fixed table: nothing
// to free at unload).
constexpr int kFailedBackups = 8;
SRWLOCK g_failedLock = SRWLOCK_INIT;
FILE_IDENTITY g_failed[kFailedBackups];
int g_failedCount = 0;   // entries in use
int g_failedNext = 0;    // the entry the next failure takes

bool FailedBefore(const FILE_IDENTITY& identity)
{
    AcquireSRWLockShared(&g_failedLock);
    bool found = false;
    for (int i = 0; i < g_failedCount && !found; ++i)
        found = g_failed[i] == identity;
    ReleaseSRWLockShared(&g_failedLock);
    return found;
}

void RememberFailure(const FILE_IDENTITY& identity)
{
    AcquireSRWLockExclusive(&g_failedLock);
    bool known = false;
    for (int i = 0; i < g_failedCount && !known; ++i)
        known = g_failed[i] == identity;
    if (!known) {
        g_failed[g_failedNext] = identity;
        g_failedNext = (g_failedNext + 1) % kFailedBackups;
        if (g_failedCount < kFailedBackups)
            ++g_failedCount;
    }
    ReleaseSRWLockExclusive(&g_failedLock);
}

// Seeded at first use without a guarded local static (see CommonFolder).
volatile LONG g_temporaryNumber = 0;

ULONG NextTemporaryNumber()
{
    if (g_temporaryNumber == 0)
        InterlockedCompareExchange(&g_temporaryNumber, (LONG)(GetTickCount() ^ (GetCurrentProcessId() << 16)) | 1, 0);
    return (ULONG)InterlockedIncrement(&g_temporaryNumber);
}

} // namespace

HRESULT BuildDataFilePath(char* path, const char* name)
{
    if (!path)
        return E_INVALIDARG;
    char common[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                common)))
        return E_FAIL;
    char text[MAX_PATH] = {};
    if (name) {
        int n = snprintf(text, sizeof text, "%s\\%s\\%s\\%s", common, "Brixom", "Bq2100_PS", name);
        if (n < 0 || n >= (int)sizeof text)
            return E_FAIL;
    } else if (!GetTempFileNameA(common, "bq", 0, text)) {
        return E_FAIL;
    }
    strncpy(path, text, MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    return S_OK;
}

HRESULT CreateDirectoryPath(const char* path)
{
    if (!path)
        return E_INVALIDARG;
    char copy[MAX_PATH] = {};
    strncpy(copy, path, MAX_PATH - 1);
    std::wstring wide = Widen(copy);
    for (size_t at = wide.find(L'\\'); at != std::wstring::npos; at = wide.find(L'\\', at + 1)) {
        std::wstring folder = CallPath(wide.substr(0, at + 1));
        auto isFolder = [&folder] {
            DWORD attributes = GetFileAttributesW(folder.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        };
        if (isFolder())
            continue;
        // A folder made meanwhile by someone else counts as made; a file in its place does not.
        if (!CreateDirectoryW(folder.c_str(), nullptr) && (GetLastError() != ERROR_ALREADY_EXISTS || !isFolder()))
            return E_FAIL;
    }
    return S_OK;
}

bool HasReparsePoint(const char* path)
{
    if (!path)
        return false;
    std::wstring wide = Widen(path);
    for (size_t at = OwnedPartStart(wide); at <= wide.size(); ++at) {
        if (at < wide.size() && wide[at] != L'\\')
            continue;
        if (at == 0 || wide[at - 1] == L'\\')
            continue;
        DWORD attributes = g_DataFileCalls.GetFileAttributesW(CallPath(wide.substr(0, at)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;  // nothing stands there, nor below it
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return true;
    }
    return false;
}

DATA_FILE_READ ReadDataFile(const char* path, size_t maxBytes, std::string* content, ULONGLONG* size)
{
    if (content)
        content->clear();
    if (size)
        *size = 0;
    if (!path || !path[0] || HasReparsePoint(path))
        return DATA_FILE_UNREADABLE;
    CFileHandle file(OpenForReading(Widen(path)));
    if (!file)
        return IsMissingError(GetLastError()) ? DATA_FILE_MISSING : DATA_FILE_UNREADABLE;
    LARGE_INTEGER whole = {};
    if (!IsPlainFile(file.Get()) || !GetFileSizeEx(file.Get(), &whole) || whole.QuadPart < 0)
        return DATA_FILE_UNREADABLE;
    if (size)
        *size = (ULONGLONG)whole.QuadPart;
    ULONGLONG want = (ULONGLONG)whole.QuadPart < maxBytes ? (ULONGLONG)whole.QuadPart : maxBytes;
    if (want > 0x7FFFFFFF)
        return DATA_FILE_UNREADABLE;
    if (content) {
        content->assign((size_t)want, '\0');
        if (want && !ReadWhole(file.Get(), &(*content)[0], (DWORD)want)) {
            content->clear();
            return DATA_FILE_UNREADABLE;
        }
    }
    return DATA_FILE_READ_OK;
}

bool KeepDataFileBackup(const char* path, ULONGLONG bound, DATA_FILE_BACKUP_RETRY retry)
{
    if (!path || HasReparsePoint(path))
        return false;
    std::wstring wide = Widen(path);
    CFileHandle source(OpenForReading(wide));
    FILE_IDENTITY identity = {};
    if (!source || !IsPlainFile(source.Get()) || !Identify(source.Get(), &identity))
        return false;
    if (retry == DATA_FILE_BACKUP_ONCE && FailedBefore(identity))
        return false;
    bool kept;
    if (identity.size > bound) {
        source.Close();   // a file held open cannot be renamed
        kept = MoveAside(wide);
    } else {
        kept = CopyAside(source.Get(), wide, bound);
    }
    if (!kept)
        RememberFailure(identity);
    return kept;
}

DATA_FILE_CALLS g_DataFileCalls = kRealDataFileCalls;

void ResetDataFileCalls() { g_DataFileCalls = kRealDataFileCalls; }

CDataFileWriter::CDataFileWriter(const char* path)
{
    if (!path || strlen(path) >= MAX_PATH)
        return;
    strcpy(m_path, path);
    // No folder is made, and nothing written, through a reparse point; a
    // folder replaced by one meanwhile is found by the second look.
    if (HasReparsePoint(m_path) || FAILED(CreateDirectoryPath(m_path)) || HasReparsePoint(m_path))
        return;
    std::wstring wide = Widen(m_path);
    DWORD attributes = GetFileAttributesW(CallPath(wide).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return;
    size_t slash = wide.rfind(L'\\');
    if (slash == std::wstring::npos)
        return;
    std::wstring folder = wide.substr(0, slash + 1);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        WCHAR name[32];
        swprintf(name, 32, L"bq%08lx.tmp", NextTemporaryNumber());
        std::wstring temp = folder + name;
        m_file.Reset(g_DataFileCalls.CreateFileW(CallPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file) {
            m_temp = temp;
            m_ok = true;
            return;
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return;
    }
}

CDataFileWriter::~CDataFileWriter()
{
    m_file.Close();
    if (!m_temp.empty() && !m_committed)
        DeleteFileW(CallPath(m_temp).c_str());
}

bool CDataFileWriter::Write(const void* data, size_t size)
{
    if (m_ok && !WriteWhole(m_file.Get(), data, size))
        m_ok = false;
    return m_ok;
}

bool CDataFileWriter::Commit()
{
    if (!m_ok)
        return false;
    bool flushed = FlushFileBuffers(m_file.Get()) != FALSE;
    bool closed = m_file.Close();
    if (!flushed || !closed || HasReparsePoint(m_path))
        return m_ok = false;
    std::wstring from = CallPath(m_temp), to = CallPath(Widen(m_path));
    for (int attempt = 1;; ++attempt) {
        if (g_DataFileCalls.MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        // A reader that holds the file for a moment is waited out.
        DWORD error = GetLastError();
        if ((!IsSharingError(error) && error != ERROR_ACCESS_DENIED) || attempt == kOpenTries)
            return m_ok = false;
        g_DataFileCalls.Sleep(kRetryWaitMs);
    }
    m_committed = true;
    return true;
}

bool operator==(const DATA_FILE_STAMP& a, const DATA_FILE_STAMP& b)
{
    if (a.present != b.present)
        return false;
    return !a.present || (a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow &&
                          CompareFileTime(&a.written, &b.written) == 0 && a.size == b.size);
}

bool GetDataFileStamp(const char* path, DATA_FILE_STAMP* stamp)
{
    if (!path || !path[0] || !stamp)
        return false;
    *stamp = DATA_FILE_STAMP();
    // Attributes only: no reader or writer is kept out meanwhile.
    CFileHandle file(g_DataFileCalls.CreateFileW(CallPath(Widen(path)).c_str(), FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return IsMissingError(GetLastError());
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.Get(), &info))
        return false;
    stamp->present = true;
    stamp->volume = info.dwVolumeSerialNumber;
    stamp->indexHigh = info.nFileIndexHigh;
    stamp->indexLow = info.nFileIndexLow;
    stamp->written = info.ftLastWriteTime;
    stamp->size = ((ULONGLONG)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    return true;
}

CDataFileLock::CDataFileLock(const char* path)
{
    if (!path || !path[0] || strlen(path) + sizeof DATA_FILE_LOCK_SUFFIX > MAX_PATH)
        return;
    char lock[MAX_PATH] = {};
    snprintf(lock, sizeof lock, "%s%s", path, DATA_FILE_LOCK_SUFFIX);
    if (HasReparsePoint(lock) || FAILED(CreateDirectoryPath(lock)) || HasReparsePoint(lock))
        return;
    const std::wstring name = CallPath(Widen(lock));
    for (int attempt = 1;; ++attempt) {
        // Removed when let go; a lock file of another user that this one may
        // not remove still locks.
        m_file.Reset(g_DataFileCalls.CreateFileW(name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE |
                                                     FILE_FLAG_OPEN_REPARSE_POINT,
                                                 nullptr));
        DWORD error = m_file ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            m_file.Reset(g_DataFileCalls.CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            error = m_file ? ERROR_SUCCESS : GetLastError();
        }
        if (m_file && !IsPlainFile(m_file.Get()))
            m_file.Close();
        // Held by another, or let go by one a moment ago: tried again.
        if (m_file || (!IsSharingError(error) && error != ERROR_ACCESS_DENIED) || attempt == DATA_FILE_LOCK_TRIES)
            return;
        g_DataFileCalls.Sleep(kRetryWaitMs);
    }
}
