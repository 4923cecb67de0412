// Loading the language module for a printer, and the process-wide record.
#include <gtest/gtest.h>

#include "framework/AfxString.h"
#include "harness/DebugOutput.h"
#include "harness/Files.h"
#include "harness/LanguagePatch.h"
#include "harness/TestPrinter.h"
#include "res/resource.h"
#include "sheets/ResourceModule.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace harness;

namespace {

std::wstring DriverFolder()
{
    WCHAR folder[261];
    EXPECT_TRUE(GetDriverFilesFolder(folder, 261));
    return folder;
}

void SetResDll(HANDLE printer, const std::wstring& value, DWORD type = REG_SZ)
{
    ASSERT_EQ(0u, nameLanguageModule(printer, value, type));
}

// The loaded image is a data file: its handle carries the data-file marks.
bool IsDataImage(HMODULE m) { return (reinterpret_cast<ULONG_PTR>(m) & 3) != 0; }

bool Mentions(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& l : lines)
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

class LanguageModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.ok()) << printer.failureText(); }
    void TearDown() override { FreeResourceModule(&record); }
    TestPrinter printer{ TestPrinter::Mode::Unique };
    RESOURCE_MODULE record = {};
};

} // namespace

TEST_F(LanguageModule, WithoutPrinterDataTheUsersLanguageChooses)
{
    DebugOutputCapture capture;
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    EXPECT_TRUE(IsDataImage(record.module));
    LANGID lang = GetUserDefaultLangID();
    EXPECT_EQ((DWORD)PRIMARYLANGID(lang), record.primaryLanguage);
    EXPECT_EQ((DWORD)SUBLANGID(lang), record.subLanguage);
    // The loader names the file it loads on the debugger output.
    EXPECT_TRUE(Mentions(capture.lines(), narrow(DriverFolder() + L"\\bq2100PSenUS.dll")));
}

TEST_F(LanguageModule, EveryStringAndTemplateComesThroughTheLoader)
{
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    std::vector<UINT> ids = { 3, 4, 5, 604, 5203 };
    for (UINT id = 4000; id <= 4053; ++id)
        if (id != 4030)
            ids.push_back(id);
    for (UINT id : { 5003, 5004, 5006, 5007, 5008, 5009, 5011, 5012, 5013, 5014, 5015, 5016, 5017, 5020, 5021,
                     5031, 5032, 5033, 5034, 5035, 5036, 5069, 5070, 5071, 5072 })
        ids.push_back(id);
    for (UINT id = 5050; id <= 5066; ++id)
        ids.push_back(id);
    for (UINT id : { 400, 404, 405, 419, 423, 424, 427, 428, 440, 441, 442, 443, 444, 450, 451, 452, 454, 455, 456,
                     457, 458, 459, 460, 461, 462, 463, 464, 471, 507, 508, 509 })
        ids.push_back(id);
    for (UINT id : ids) {
        WCHAR text[512] = {};
        EXPECT_GT(LoadStringW(record.module, id, text, 512), 0) << "string " << id;
    }
    for (UINT id : { 1101, 1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1114 })
        EXPECT_NE(nullptr, FindResourceW(record.module, MAKEINTRESOURCEW(id), RT_DIALOG)) << "template " << id;
    // Host pages are the plug-in's own.
    EXPECT_EQ(nullptr, FindResourceW(record.module, MAKEINTRESOURCEW(1100), RT_DIALOG));
}

TEST_F(LanguageModule, AMissingStringLeavesAnEmptyText)
{
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    CString text(L"placeholder");
    EXPECT_FALSE(text.LoadString(record.module, 4030));
    EXPECT_TRUE(text.IsEmpty());
    WCHAR buf[512] = L"x";
    EXPECT_EQ(0, LoadStringW(record.module, 6, buf, 512));
}

TEST_F(LanguageModule, PrinterDataNamesTheFileAndKeepsTheLanguageIds)
{
    PatchedLanguageModule copy;
    ASSERT_TRUE(copy.ok());
    SetResDll(printer.handle(), copy.fileName());
    record.primaryLanguage = 0x77;
    record.subLanguage = 0x3;
    DebugOutputCapture capture;
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    EXPECT_EQ(0x77u, record.primaryLanguage);
    EXPECT_EQ(0x3u, record.subLanguage);
    EXPECT_TRUE(Mentions(capture.lines(), narrow(copy.path())));
    FreeResourceModule(&record);
    EXPECT_EQ(nullptr, record.module);
}

TEST_F(LanguageModule, AMissingNamedFileFallsBackToEnglish)
{
    SetResDll(printer.handle(), L"bq2100PSxxXX.dll");
    DebugOutputCapture capture;
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    WCHAR text[64] = {};
    EXPECT_GT(LoadStringW(record.module, 4000, text, 64), 0);
    EXPECT_TRUE(Mentions(capture.lines(), "bq2100PSxxXX.dll"));
}

TEST_F(LanguageModule, OnlyABareFileNameIsTaken)
{
    PatchedLanguageModule copy;
    ASSERT_TRUE(copy.ok());
    std::vector<std::wstring> values = { L"..\\3\\" + copy.fileName(), copy.path(), L"sub/" + copy.fileName(),
                                         std::wstring(L".."), std::wstring() };
    for (const std::wstring& value : values) {
        SetResDll(printer.handle(), value);
        record.primaryLanguage = 0x77;
        DebugOutputCapture capture;
        LoadResourceModule(&record, printer.handle());
        ASSERT_NE(nullptr, record.module) << narrow(value);
        // The language rule was used instead of the value.
        EXPECT_NE(0x77u, record.primaryLanguage) << narrow(value);
        EXPECT_FALSE(Mentions(capture.lines(), narrow(copy.fileName()))) << narrow(value);
        FreeResourceModule(&record);
    }
}

TEST_F(LanguageModule, AValueOfAnotherTypeIsIgnored)
{
    PatchedLanguageModule copy;
    ASSERT_TRUE(copy.ok());
    SetResDll(printer.handle(), copy.fileName(), REG_BINARY);
    record.primaryLanguage = 0x77;
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    EXPECT_NE(0x77u, record.primaryLanguage);
}

TEST_F(LanguageModule, ReloadingASheetRecordReplacesItsModule)
{
    LoadResourceModule(&record, printer.handle());
    HMODULE first = record.module;
    ASSERT_NE(nullptr, first);
    LoadResourceModule(&record, printer.handle());
    ASSERT_NE(nullptr, record.module);
    // The first image is gone: resources can no longer be found through it.
    if (record.module != first) {
        EXPECT_EQ(nullptr, FindResourceW(first, MAKEINTRESOURCEW(1101), RT_DIALOG));
    }
}

TEST(ProcessLanguageModule, KeepsItsModuleWhileTheFileStaysTheSame)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    RESOURCE_MODULE* record = GetResourceModule();
    ASSERT_EQ(record, GetResourceModule());
    LoadResourceModule(record, printer.handle());
    HMODULE first = record->module;
    ASSERT_NE(nullptr, first);
    LoadResourceModule(record, printer.handle());
    EXPECT_EQ(first, record->module);
}

TEST(ProcessLanguageModule, SwapsItsModuleWhenTheFileChanges)
{
    TestPrinter shared;
    TestPrinter named(TestPrinter::Mode::Unique);
    ASSERT_TRUE(shared.ok() && named.ok());
    PatchedLanguageModule copy;
    ASSERT_TRUE(copy.ok());
    SetResDll(named.handle(), copy.fileName());
    RESOURCE_MODULE* record = GetResourceModule();
    LoadResourceModule(record, shared.handle());
    HMODULE first = record->module;
    ASSERT_NE(nullptr, first);
    LoadResourceModule(record, named.handle());
    ASSERT_NE(nullptr, record->module);
    EXPECT_NE(first, record->module);
    EXPECT_EQ(nullptr, FindResourceW(first, MAKEINTRESOURCEW(1101), RT_DIALOG));
    FreeResourceModule(record);
    EXPECT_EQ(nullptr, record->module);
}

TEST(ProcessLanguageModule, TwoThreadsNeverSeeAHalfSwappedRecord)
{
    TestPrinter shared;
    TestPrinter named(TestPrinter::Mode::Unique);
    ASSERT_TRUE(shared.ok() && named.ok());
    PatchedLanguageModule copy;
    ASSERT_TRUE(copy.ok());
    SetResDll(named.handle(), copy.fileName());
    RESOURCE_MODULE* record = GetResourceModule();
    std::atomic<int> failures{ 0 };
    auto worker = [&](HANDLE printer) {
        for (int i = 0; i < 40; ++i) {
            CResourceModuleLock hold;
            LoadResourceModule(record, printer);
            WCHAR text[64] = {};
            if (!record->module || LoadStringW(record->module, 4000, text, 64) <= 0)
                ++failures;
        }
    };
    std::thread a(worker, shared.handle()), b(worker, named.handle());
    a.join();
    b.join();
    EXPECT_EQ(0, failures.load());
    FreeResourceModule(record);
}
