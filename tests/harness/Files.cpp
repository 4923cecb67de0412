#include "Files.h"

#include <string.h>
#include <vector>

namespace harness {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = INVALID_HANDLE_VALUE;
    }
    return *this;
}

void FileHandle::close()
{
    if (*this)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

std::wstring programDirectory()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            std::wstring full(path.data(), n);
            size_t slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

std::wstring programFile(const std::wstring& name)
{
    return programDirectory() + L"\\" + name;
}

std::wstring temporaryFolder()
{
    WCHAR folder[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH)
        return {};
    std::wstring path(folder, n);
    if (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

std::optional<std::string> readFile(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return std::nullopt;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
         read != content.size()))
        return std::nullopt;
    return content;
}

bool writeFile(const std::wstring& path, const std::string& content)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return content.empty() ||
           (WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size());
}

bool fileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool setFileSize(const std::wstring& path, ULONGLONG size)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)size;
    return file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

std::optional<ULONGLONG> fileIndex(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !GetFileInformationByHandle(file.get(), &info))
        return std::nullopt;
    return ((ULONGLONG)info.nFileIndexHigh << 32) | info.nFileIndexLow;
}

std::set<std::wstring> filesIn(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool isReparsePoint(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

namespace {

// The host's path of a Windows path under Wine; empty elsewhere.
std::wstring hostPath(const std::wstring& path)
{
    typedef char*(CDECL * UnixFileName)(LPCWSTR);
    auto convert = reinterpret_cast<UnixFileName>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    char* host = convert ? convert(path.c_str()) : nullptr;
    if (!host)
        return {};
    std::wstring out(host, host + strlen(host));
    HeapFree(GetProcessHeap(), 0, host);
    return out;
}

// Starts a program of the host (under Wine a host program starts like any
// other, but its end cannot be waited for) and polls, for at most 10 s,
// until done() holds.
template <class Done>
bool runHost(const std::wstring& commandLine, Done done)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 1000 && !done(); ++i)
        Sleep(10);
    return done();
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::vector<std::wstring> parts(const std::wstring& path)
{
    std::vector<std::wstring> out;
    size_t from = 0;
    while (from <= path.size()) {
        size_t to = path.find(L'\\', from);
        if (to == std::wstring::npos)
            to = path.size();
        if (to > from)
            out.push_back(path.substr(from, to - from));
        from = to + 1;
    }
    return out;
}

// The target as seen from the link's folder, with host separators: Wine
// shows a host link whose text leads through its drive links as no file at all.
std::wstring relativeHostTarget(const std::wstring& link, const std::wstring& target)
{
    std::vector<std::wstring> from = parts(link), to = parts(target);
    from.pop_back();
    if (from.empty() || to.empty() || _wcsicmp(from[0].c_str(), to[0].c_str()) != 0)
        return {};
    size_t same = 0;
    while (same < from.size() && same < to.size() && _wcsicmp(from[same].c_str(), to[same].c_str()) == 0)
        ++same;
    std::wstring out;
    for (size_t i = same; i < from.size(); ++i)
        out += L"../";
    for (size_t i = same; i < to.size(); ++i)
        out += to[i] + (i + 1 < to.size() ? L"/" : L"");
    return out.empty() ? L"." : out;
}

} // namespace

bool makeFolderLink(const std::wstring& link, const std::wstring& target)
{
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && isReparsePoint(link))
        return true;
    std::wstring hostLink = hostPath(link), hostTarget = relativeHostTarget(link, target);
    if (hostLink.empty() || hostTarget.empty())
        return false;
    return runHost(L"Z:\\bin\\ln -s " + quoted(hostTarget) + L" " + quoted(hostLink),
                   [&] { return isReparsePoint(link); });
}

bool removeFolderLink(const std::wstring& link)
{
    if (!isReparsePoint(link))
        return false;
    if (RemoveDirectoryW(link.c_str()) && !isReparsePoint(link))
        return true;
    std::wstring hostLink = hostPath(link);
    return !hostLink.empty() && runHost(L"Z:\\bin\\rm -f " + quoted(hostLink), [&] {
        return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES;
    });
}

std::wstring widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

} // namespace harness
