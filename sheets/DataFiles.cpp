#include "sheets/DataFiles.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

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
    for (char* p = copy; *p; ++p) {
        if (*p != '\\')
            continue;
        char keep = p[1];
        p[1] = 0;
        DWORD attributes = GetFileAttributesA(copy);
        bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        // A folder made meanwhile by someone else counts as made.
        if (!exists && !CreateDirectoryA(copy, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            p[1] = keep;
            return E_FAIL;
        }
        p[1] = keep;
    }
    return S_OK;
}

namespace {

const DATA_FILE_CALLS kRealDataFileCalls = {
    &::GetTempFileNameA,
    &::WriteFile,
    &::MoveFileExA,
};

} // namespace

DATA_FILE_CALLS g_DataFileCalls = kRealDataFileCalls;

void ResetDataFileCalls() { g_DataFileCalls = kRealDataFileCalls; }

CDataFileWriter::CDataFileWriter(const char* path)
{
    if (!path || strlen(path) >= MAX_PATH || FAILED(CreateDirectoryPath(path)))
        return;
    strcpy(m_path, path);
    DWORD attributes = GetFileAttributesA(m_path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return;
    char folder[MAX_PATH];
    strcpy(folder, m_path);
    char* slash = strrchr(folder, '\\');
    if (!slash)
        return;
    *slash = 0;
    if (!g_DataFileCalls.GetTempFileNameA(folder, "bq", 0, m_temp))
        return;
    m_file.Reset(CreateFileA(m_temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_ok = static_cast<bool>(m_file);
}

CDataFileWriter::~CDataFileWriter()
{
    m_file.Close();
    if (m_temp[0] && !m_committed)
        DeleteFileA(m_temp);
}

bool CDataFileWriter::Write(const void* data, size_t size)
{
    const BYTE* p = static_cast<const BYTE*>(data);
    while (m_ok && size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : (DWORD)size, written = 0;
        if (!g_DataFileCalls.WriteFile(m_file.Get(), p, chunk, &written, nullptr) || written != chunk)
            m_ok = false;
        p += chunk;
        size -= chunk;
    }
    return m_ok;
}

bool CDataFileWriter::Commit()
{
    if (!m_ok)
        return false;
    bool flushed = FlushFileBuffers(m_file.Get()) != FALSE;
    bool closed = m_file.Close();
    if (!flushed || !closed ||
        !g_DataFileCalls.MoveFileExA(m_temp, m_path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return m_ok = false;
    m_committed = true;
    return true;
}
