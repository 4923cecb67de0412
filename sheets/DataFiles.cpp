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
