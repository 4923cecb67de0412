// The data file kept aside for a test: what comes back at the end. The suite
// writes into the machine-wide data folder, so its name ends in "DataFile".
#include "Files.h"
#include "SavedDataFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace harness;

namespace {

// A name of this process only, so no plug-in file is touched.
std::wstring scratchName() { return L"bqkept" + std::to_wstring(GetCurrentProcessId()) + L".tmp"; }

} // namespace

TEST(KeptAsideDataFile, ThePathIsTheMakerAndModelFolderOfTheCommonFolder)
{
    ASSERT_FALSE(commonDataFolder().empty());
    EXPECT_EQ(commonDataFolder() + L"\\Brixom\\Bq2100_PS", dataFolder());
    EXPECT_EQ(dataFolder() + L"\\x.cfg", dataFilePath(L"x.cfg"));
    EXPECT_EQ(dataFilePath(L"x.cfg"), SavedDataFile("x.cfg").path());
}

TEST(KeptAsideDataFile, AFileComesBackWithItsContentAndAttributes)
{
    const std::wstring path = dataFilePath(scratchName());
    {
        SavedDataFile first(scratchName());
        ASSERT_TRUE(first.ok());
        ASSERT_TRUE(first.write("old"));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
        {
            SavedDataFile kept(scratchName());
            ASSERT_TRUE(kept.ok());
            EXPECT_FALSE(fileExists(path)) << "the test starts without the file";
            EXPECT_FALSE(kept.read());
            ASSERT_TRUE(kept.write("new"));
            ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
            ASSERT_TRUE(kept.write("newer")) << "whatever the attributes";
            EXPECT_EQ("newer", kept.read().value_or(""));
            EXPECT_TRUE(filesIn(dataFolder()).count(scratchName()));
        }
        EXPECT_EQ("old", readFile(path).value_or(""));
        EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
                  GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }
    EXPECT_FALSE(fileExists(path));
}

TEST(KeptAsideDataFile, WithoutAFileWhatTheTestLeftGoes)
{
    const std::wstring path = dataFilePath(scratchName());
    {
        SavedDataFile kept(scratchName());
        ASSERT_TRUE(kept.ok());
        ASSERT_TRUE(kept.write(std::string(1000, 'x')));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    {
        SavedDataFile kept(scratchName());
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "nor an empty folder in its place";
}

TEST(KeptAsideDataFile, AFileThatCannotBeReadIsLeftAlone)
{
    SavedDataFile first(scratchName());
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(first.write("old"));
    FileHandle lock(CreateFileW(first.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    {
        SavedDataFile kept(scratchName());
        EXPECT_FALSE(kept.ok());
        EXPECT_FALSE(kept.write("new"));
    }
    lock.close();
    EXPECT_EQ("old", first.read().value_or(""));
}
