// Paths of the data files and the folders they need.
#include <gtest/gtest.h>

#include "harness/SavedDataFile.h"
#include "harness/Files.h"
#include "sheets/DataFiles.h"

#include <algorithm>
#include <vector>

#include <string>

namespace {

std::string CommonFolder() { return harness::narrow(harness::commonDataFolder()); }

bool IsFolder(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A scratch folder of this process under the temporary folder.
std::string ScratchFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "bqdirs" + std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(DataFiles, PathJoinsTheCommonFolderMakerAndModel)
{
    char path[MAX_PATH] = {};
    ASSERT_EQ(S_OK, BuildDataFilePath(path, QUICK_SETTINGS_FILE_NAME));
    EXPECT_EQ(CommonFolder() + "\\Brixom\\Bq2100_PS\\bq2100PS_qs.xml", std::string(path));
}

TEST(DataFiles, WithoutANameMakesAUniqueTemporaryFile)
{
    char a[MAX_PATH] = {}, b[MAX_PATH] = {};
    ASSERT_EQ(S_OK, BuildDataFilePath(a, nullptr));
    ASSERT_EQ(S_OK, BuildDataFilePath(b, nullptr));
    EXPECT_STRNE(a, b);
    std::string first(a);
    EXPECT_EQ(0u, first.find(CommonFolder() + "\\bq"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(a));
    DeleteFileA(a);
    DeleteFileA(b);
}

TEST(DataFiles, NullPathIsRefused)
{
    EXPECT_EQ(E_INVALIDARG, BuildDataFilePath(nullptr, "x"));
    EXPECT_EQ(E_INVALIDARG, CreateDirectoryPath(nullptr));
}

TEST(DataFiles, CreatesMissingFoldersButNotTheFile)
{
    std::string root = ScratchFolder();
    std::string file = root + "\\outer\\inner\\data.cfg";
    ASSERT_EQ(S_OK, CreateDirectoryPath(file.c_str()));
    EXPECT_TRUE(IsFolder(root + "\\outer"));
    EXPECT_TRUE(IsFolder(root + "\\outer\\inner"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    // Existing folders count as made.
    EXPECT_EQ(S_OK, CreateDirectoryPath(file.c_str()));
    RemoveDirectoryA((root + "\\outer\\inner").c_str());
    RemoveDirectoryA((root + "\\outer").c_str());
    RemoveDirectoryA(root.c_str());
}

TEST(DataFiles, AFileInTheWayFailsTheFolder)
{
    std::string root = ScratchFolder();
    CreateDirectoryA(root.c_str(), nullptr);
    std::string blocker = root + "\\blocked";
    HANDLE h = CreateFileA(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    EXPECT_EQ(E_FAIL, CreateDirectoryPath((blocker + "\\sub\\x.cfg").c_str()));
    DeleteFileA(blocker.c_str());
    RemoveDirectoryA(root.c_str());
}

TEST(DataFiles, EmptyPathIsNothingToMake)
{
    EXPECT_EQ(S_OK, CreateDirectoryPath(""));
}

TEST(DataFiles, AFileWhereTheLastFolderShouldBeFails)
{
    std::string root = ScratchFolder();
    CreateDirectoryA(root.c_str(), nullptr);
    std::string blocker = root + "\\blocked";
    ASSERT_TRUE(harness::writeFile(harness::widen(blocker), "a file"));
    EXPECT_EQ(E_FAIL, CreateDirectoryPath((blocker + "\\x.cfg").c_str()));
    DeleteFileA(blocker.c_str());
    RemoveDirectoryA(root.c_str());
}

// --- the writer ---------------------------------------------------------------------------

namespace {

// Folders made below the scratch folder, removed with what they hold.
class ScratchTree {
public:
    ScratchTree() : m_root(ScratchFolder()) { CreateDirectoryA(m_root.c_str(), nullptr); }
    ~ScratchTree()
    {
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) {
            std::wstring folder = LongName(*it);
            for (const std::wstring& name : harness::filesIn(*it)) {
                SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((folder + L"\\" + name).c_str());
            }
            RemoveDirectoryW(folder.c_str());
        }
        RemoveDirectoryA(m_root.c_str());
    }
    // A folder whose path has exactly that many characters.
    std::string FolderOfLength(size_t length)
    {
        std::string path = m_root;
        while (path.size() < length) {
            size_t part = std::min<size_t>(length - path.size() - 1, 100);
            if (part == 0) {  // one character left: widen the last part instead
                path.insert(path.rfind('\\') + 1, "e");
                continue;
            }
            path += "\\" + std::string(part, 'd');
            Make(path);
        }
        Make(path);
        return path;
    }
    std::string Folder(const std::string& name)
    {
        std::string path = m_root + "\\" + name;
        Make(path);
        return path;
    }

private:
    static std::wstring LongName(const std::wstring& path) { return L"\\\\?\\" + path; }
    void Make(const std::string& path)
    {
        std::wstring wide = harness::widen(path);
        if (CreateDirectoryW(LongName(wide).c_str(), nullptr))
            m_folders.push_back(wide);
    }
    std::string m_root;
    std::vector<std::wstring> m_folders;
};

std::string Read(const std::string& path) { return harness::readFile(harness::widen(path)).value_or("<none>"); }

} // namespace

TEST(DataFileWriter, SavesInFoldersOfLongPaths)
{
    for (size_t folderChars : { 240u, 246u, 247u, 248u, 250u, 253u, 255u, 257u }) {
        SCOPED_TRACE(folderChars);
        ScratchTree tree;
        std::string folder = tree.FolderOfLength(folderChars);
        ASSERT_EQ(folderChars, folder.size());
        ASSERT_TRUE(IsFolder(folder));
        std::string path = folder + "\\" + std::string(258 - folderChars, 'f');
        ASSERT_EQ(259u, path.size());
        ASSERT_TRUE(harness::writeFile(harness::widen(path), "old"));

        CDataFileWriter writer(path.c_str());
        EXPECT_TRUE(writer.IsOpen());
        EXPECT_TRUE(writer.Write("new content", 11));
        EXPECT_TRUE(writer.Commit());
        EXPECT_EQ("new content", Read(path));
        EXPECT_EQ(1u, harness::filesIn(harness::widen(folder)).size()) << "a temporary file was left";
    }
}

TEST(DataFileLinks, NoSaveGoesThroughALinkedFolder)
{
    ScratchTree tree;
    std::string target = tree.Folder("target");
    ASSERT_TRUE(harness::writeFile(harness::widen(target + "\\data.cfg"), "old"));
    std::wstring link = harness::widen(ScratchFolder() + "\\link");
    ASSERT_TRUE(harness::makeFolderLink(link, harness::widen(target))) << "no folder link can be made here";

    {
        CDataFileWriter writer((harness::narrow(link) + "\\data.cfg").c_str());
        writer.Write("new", 3);
        EXPECT_FALSE(writer.Commit());
    }
    {
        // Nor one whose missing folders would be made through the link.
        CDataFileWriter writer((harness::narrow(link) + "\\sub\\data.cfg").c_str());
        writer.Write("new", 3);
        EXPECT_FALSE(writer.Commit());
    }
    EXPECT_TRUE(harness::removeFolderLink(link));
    EXPECT_EQ("old", Read(target + "\\data.cfg"));
    EXPECT_FALSE(IsFolder(target + "\\sub"));
    EXPECT_EQ(1u, harness::filesIn(harness::widen(target)).size()) << "a temporary file was left";
}

namespace {

// The attribute query of the data files, reporting a reparse point at one path.
std::wstring g_linkedPath;
DWORD WINAPI AttributesWithLink(LPCWSTR path)
{
    DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && _wcsicmp(path, g_linkedPath.c_str()) == 0)
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes;
}

} // namespace

TEST(DataFileLinks, NoSaveReplacesALinkedFile)
{
    // Wine shows a host link to a file as a plain file: the attribute query
    // stands in for a system that reports it.
    ScratchTree tree;
    std::string path = tree.Folder("files") + "\\data.cfg";
    ASSERT_TRUE(harness::writeFile(harness::widen(path), "old"));
    g_linkedPath = harness::widen(path);
    g_DataFileCalls.GetFileAttributesW = &AttributesWithLink;
    {
        CDataFileWriter writer(path.c_str());
        writer.Write("new", 3);
        EXPECT_FALSE(writer.Commit());
    }
    ResetDataFileCalls();
    EXPECT_EQ("old", Read(path));
    EXPECT_EQ(1u, harness::filesIn(harness::widen(tree.Folder("files"))).size());
}
