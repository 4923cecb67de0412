// Paths of the data files and the folders they need.
#include <gtest/gtest.h>

#include "harness/SavedDataFile.h"
#include "sheets/DataFiles.h"

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
