// The two exported logging functions, called by their decorated names and
// read back from the debugger output.
#include <gtest/gtest.h>

#include "harness/DebugOutput.h"
#include "harness/PluginHost.h"

#include <string>

using namespace harness;

namespace {

typedef void (*SetErrorFn)(char*, unsigned long, char*, char*, char*, const char*, ...);
typedef void (*SetMsgFn)(char*, char*, char*, const char*, ...);

class Diagnostics : public ::testing::Test {
protected:
    void SetUp() override
    {
        setError = reinterpret_cast<SetErrorFn>(module.proc("?SetError@@YAXPEADK000PEBDZZ"));
        setMsg = reinterpret_cast<SetMsgFn>(module.proc("?SetMsg@@YAXPEAD00PEBDZZ"));
        ASSERT_NE(nullptr, setError);
        ASSERT_NE(nullptr, setMsg);
        capture.clear();
    }
    std::string Only()
    {
        std::vector<std::string> lines = capture.lines();
        EXPECT_EQ(1u, lines.size());
        return lines.empty() ? std::string() : lines.back();
    }

    PluginModule module;
    DebugOutputCapture capture;
    SetErrorFn setError = nullptr;
    SetMsgFn setMsg = nullptr;
    char mod[4] = "Mod", func[5] = "Func", err[6] = "Err: ";
};

} // namespace

TEST_F(Diagnostics, SetMsgWritesTheFirstLineOfTheMessage)
{
    setMsg(mod, func, err, "value %d\nmore %d", 5, 6);
    EXPECT_EQ("Mod.Func  Err: value 5\n", Only());
}

TEST_F(Diagnostics, SetErrorAddsLastErrorAndTheFileBaseName)
{
    char file[] = "C:\\src\\plugin\\OemUI2.cpp";
    SetLastError(1234);
    setError(file, 88, mod, func, err, "open %s", "x");
    EXPECT_EQ("Mod.Func  Err: open x  LastErr=1234  File:OemUI2.cpp  Line:88\n", Only());
}

TEST_F(Diagnostics, SetErrorNamesAFileWithoutFoldersWhole)
{
    char file[] = "OemCF.cpp";
    SetLastError(0);
    setError(file, 1, mod, func, err, "x");
    EXPECT_EQ("Mod.Func  Err: x  LastErr=0  File:OemCF.cpp  Line:1\n", Only());
}

TEST_F(Diagnostics, SetErrorReportsTheLastErrorOfEntryEvenWhenFormattingChangesIt)
{
    char file[] = "a.cpp";
    SetLastError(5);
    // A wide conversion of an invalid code point may reset the last error.
    setError(file, 2, mod, func, err, "%ls", L"\xD800");
    ASSERT_EQ(1u, capture.lines().size());
    EXPECT_NE(std::string::npos, capture.lines()[0].find("LastErr=5  "));
}

TEST_F(Diagnostics, SetErrorWithoutFileNamesNoFile)
{
    SetLastError(0);
    setError(nullptr, 3, mod, func, err, "y");
    EXPECT_EQ("Mod.Func  Err: y  LastErr=0  File:  Line:3\n", Only());
}

TEST_F(Diagnostics, MissingTextWritesNothing)
{
    char file[] = "a.cpp";
    setMsg(mod, func, nullptr, "x");
    setMsg(nullptr, func, err, "x");
    setMsg(mod, func, err, nullptr);
    setError(file, 1, mod, nullptr, err, "x");
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(Diagnostics, LongMessagesAreCutToTheBuffer)
{
    std::string big(3000, 'a');
    setMsg(mod, func, err, "%s", big.c_str());
    std::string line = Only();
    EXPECT_EQ(1023u, line.size());
    EXPECT_EQ(0u, line.find("Mod.Func  Err: aaa"));
}
