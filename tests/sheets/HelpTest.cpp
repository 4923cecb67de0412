// Context help: the topic table and the help file the viewer is asked to open.
#include <gtest/gtest.h>

#include "plugin/SystemSeams.h"
#include "sheets/Help.h"
#include "sheets/ResourceModule.h"

#include <htmlhelp.h>
#include <string>
#include <vector>

namespace {

struct HelpCall {
    int calls = 0;
    std::wstring file;
    UINT command = 0;
    DWORD_PTR data = 0;
} g_help;

HWND WINAPI RecordHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR data)
{
    ++g_help.calls;
    g_help.file = file ? file : L"";
    g_help.command = command;
    g_help.data = data;
    return reinterpret_cast<HWND>(0x1234);
}

class HelpViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_help = HelpCall();
        g_seams.HtmlHelpW = &RecordHelp;
    }
    void TearDown() override { ResetSystemSeams(); }
};

} // namespace

TEST(HelpTopics, ControlsMapToTheirContexts)
{
    EXPECT_EQ(500u, GetHelpContext(1101));
    EXPECT_EQ(2028u, GetHelpContext(2404));
    EXPECT_EQ(1154u, GetHelpContext(2400));
    EXPECT_EQ(5100u, GetHelpContext(1110));
    EXPECT_EQ(513u, GetHelpContext(1103));
    EXPECT_EQ(1173u, GetHelpContext(2203));
}

TEST(HelpTopics, UnknownIdsGetTheDefaultContext)
{
    EXPECT_EQ(500u, GetHelpContext(0));
    EXPECT_EQ(500u, GetHelpContext(9999));
}

TEST_F(HelpViewer, OpensTheLanguagesHelpFileAtTheContext)
{
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), ShowHelpTopic(2404));
    ASSERT_EQ(1, g_help.calls);
    EXPECT_EQ((UINT)HH_HELP_CONTEXT, g_help.command);
    EXPECT_EQ(2028u, g_help.data);
    WCHAR folder[260];
    ASSERT_TRUE(GetDriverFilesFolder(folder, 260));
    const WCHAR* code = GetLanguageCode(GetUserDefaultLangID());
    std::wstring expected = std::wstring(folder) + L"\\bq2100PS" + (code ? code : L"enUS") + L".chm";
    EXPECT_EQ(expected, g_help.file);
}

TEST_F(HelpViewer, UnknownIdOpensTheDefaultTopic)
{
    ShowHelpTopic(4242);
    ASSERT_EQ(1, g_help.calls);
    EXPECT_EQ(500u, g_help.data);
}

TEST(LanguageCodes, TableCoversTheUsualLanguages)
{
    EXPECT_STREQ(L"enUS", GetLanguageCode(0x0409));
    EXPECT_STREQ(L"enUS", GetLanguageCode(0x0809));
    EXPECT_STREQ(L"zhCN", GetLanguageCode(0x0804));
    EXPECT_STREQ(L"zhTW", GetLanguageCode(0x0404));
    EXPECT_STREQ(L"zhTW", GetLanguageCode(0x1404));
    EXPECT_STREQ(L"ptBR", GetLanguageCode(0x0416));
    EXPECT_STREQ(L"ptPT", GetLanguageCode(0x0816));
    EXPECT_STREQ(L"srCY", GetLanguageCode(0x0C1A));
    EXPECT_STREQ(L"NEUT", GetLanguageCode(0x0000));
    EXPECT_STREQ(L"lsDE", GetLanguageCode(MAKELANGID(0x2E, 2)));
    EXPECT_STREQ(L"mkMK", GetLanguageCode(0x042F));
}

TEST(LanguageCodes, EmptyCellsAndIdsBeyondTheTableHaveNone)
{
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x1A, 5)));
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x2E, 1)));
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x09, 17)));
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x02, 2)));
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x30, 1)));
    EXPECT_EQ(nullptr, GetLanguageCode(MAKELANGID(0x00, 6)));
}

namespace {

std::vector<std::wstring> g_viewerLoads;
int g_viewerLoadFailures = 0;

HMODULE WINAPI RecordViewerLoad(LPCWSTR path, HANDLE file, DWORD flags)
{
    g_viewerLoads.push_back(path ? path : L"");
    if (g_viewerLoadFailures > 0) {
        --g_viewerLoadFailures;
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryExW(path, file, flags);
}

} // namespace

TEST(HelpViewerModule, ComesFromTheSystemFolderAndAFailedLoadIsTriedAgain)
{
    g_viewerLoads.clear();
    g_viewerLoadFailures = 1;
    g_LoadHelpViewer = &RecordViewerLoad;
    // HH_CLOSE_ALL shows nothing.
    EXPECT_EQ(nullptr, SystemHtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0));
    SystemHtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
    SystemHtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
    g_LoadHelpViewer = &LoadLibraryExW;

    WCHAR system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    ASSERT_EQ(2u, g_viewerLoads.size()) << "a failed load is tried again, a module loaded is kept";
    for (const std::wstring& path : g_viewerLoads)
        EXPECT_EQ(0, _wcsicmp((std::wstring(system) + L"\\hhctrl.ocx").c_str(), path.c_str())) << path;
}
