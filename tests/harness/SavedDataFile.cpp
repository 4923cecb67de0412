#include "SavedDataFile.h"

#include <shlobj.h>

namespace harness {

std::wstring commonDataFolder()
{
    WCHAR folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                folder)))
        return {};
    return folder;
}

std::wstring dataFolder()
{
    std::wstring common = commonDataFolder();
    return common.empty() ? common : common + L"\\Brixom\\Bq2100_PS";
}

std::wstring dataFilePath(const std::wstring& name)
{
    std::wstring folder = dataFolder();
    return folder.empty() ? folder : folder + L"\\" + name;
}

SavedDataFile::SavedDataFile(const std::wstring& name) : m_path(dataFilePath(name))
{
    std::wstring folder = dataFolder();
    if (folder.empty())
        return;
    CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    m_attributes = GetFileAttributesW(m_path.c_str());
    if (m_attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD folderAttributes = GetFileAttributesW(folder.c_str());
        m_kept = folderAttributes != INVALID_FILE_ATTRIBUTES && (folderAttributes & FILE_ATTRIBUTE_DIRECTORY);
        return;
    }
    if (m_attributes & FILE_ATTRIBUTE_DIRECTORY)
        return;
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    m_saved = readFile(m_path);
    if (!m_saved) {
        SetFileAttributesW(m_path.c_str(), m_attributes);
        return;
    }
    DeleteFileW(m_path.c_str());
    m_kept = true;
}

SavedDataFile::~SavedDataFile()
{
    if (!m_kept)
        return;
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(m_path.c_str());
    if (m_saved) {
        writeFile(m_path, *m_saved);
        SetFileAttributesW(m_path.c_str(), m_attributes);
    } else {
        DeleteFileW(m_path.c_str());
    }
}

bool SavedDataFile::write(const std::string& content) const
{
    if (!m_kept)
        return false;
    SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return writeFile(m_path, content);
}

LinkedDataFolder::LinkedDataFolder() : m_folder(dataFolder())
{
    if (m_folder.empty())
        return;
    const std::wstring process = std::to_wstring(GetCurrentProcessId());
    m_kept = m_folder + L".kept-" + process;
    m_target = temporaryFolder() + L"\\bqlinked-" + process;
    if (GetFileAttributesW(m_folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!MoveFileW(m_folder.c_str(), m_kept.c_str()))
            return;
        m_moved = true;
    }
    CreateDirectoryW(m_target.c_str(), nullptr);
    m_linked = makeFolderLink(m_folder, m_target);
}

LinkedDataFolder::~LinkedDataFolder()
{
    if (m_linked)
        removeFolderLink(m_folder);
    for (const std::wstring& name : filesIn(m_target)) {
        SetFileAttributesW((m_target + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((m_target + L"\\" + name).c_str());
    }
    RemoveDirectoryW(m_target.c_str());
    if (m_moved)
        MoveFileW(m_kept.c_str(), m_folder.c_str());
}

} // namespace harness
