// Printer, port and user-rights utilities and the heap string helpers.
#include <gtest/gtest.h>

#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"

#include <string>
#include <vector>

namespace {

// A heap of the test's own, destroyed with everything on it.
struct TestHeap {
    HANDLE h = HeapCreate(0, 0, 0);
    ~TestHeap() { HeapDestroy(h); }
};

HMODULE Self() { return GetModuleHandleW(nullptr); }

// --- a token whose groups the test chooses --------------------------------

std::vector<BYTE> g_groups;

BOOL WINAPI FakeTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS cls, LPVOID info, DWORD size, PDWORD needed)
{
    if (cls != TokenGroups) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *needed = (DWORD)g_groups.size();
    if (size < g_groups.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(info, g_groups.data(), g_groups.size());
    return TRUE;
}

// Builds TOKEN_GROUPS with the well-known SIDs given, each with its attributes.
void SetGroups(const std::vector<std::pair<WELL_KNOWN_SID_TYPE, DWORD>>& sids)
{
    size_t head = offsetof(TOKEN_GROUPS, Groups) + sizeof(SID_AND_ATTRIBUTES) * (sids.empty() ? 1 : sids.size());
    g_groups.assign(head + sids.size() * SECURITY_MAX_SID_SIZE, 0);
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(g_groups.data());
    groups->GroupCount = (DWORD)sids.size();
    BYTE* sidArea = g_groups.data() + head;
    for (size_t i = 0; i < sids.size(); ++i) {
        DWORD n = SECURITY_MAX_SID_SIZE;
        PSID sid = sidArea + i * SECURITY_MAX_SID_SIZE;
        CreateWellKnownSid(sids[i].first, nullptr, sid, &n);
        groups->Groups[i].Sid = sid;
        groups->Groups[i].Attributes = sids[i].second;
    }
}

class UserRights : public ::testing::Test {
protected:
    void TearDown() override { ResetSystemSeams(); }
};

} // namespace

TEST(InstallableInfo, IsTheStoredSixteenByteLayout)
{
    INSTALLABLE_INFO info = {};
    info.tray[0].installed = 1;
    info.tray[0].paper = 0x04030201;
    info.tray[1].installed = 1;
    info.tray[1].paper = 7;
    const BYTE expected[16] = { 1, 0, 0, 0, 1, 2, 3, 4, 1, 0, 0, 0, 7, 0, 0, 0 };
    EXPECT_EQ(0, memcmp(expected, &info, 16));
}

TEST_F(UserRights, TheWineTokenIsAnAdministrator)
{
    EXPECT_TRUE(IsUserAdmin());
}

TEST_F(UserRights, ATokenWithoutAdministratorsIsNot)
{
    SetGroups({ { WinWorldSid, SE_GROUP_ENABLED }, { WinBuiltinUsersSid, SE_GROUP_ENABLED } });
    g_seams.GetTokenInformation = &FakeTokenInformation;
    EXPECT_FALSE(IsUserAdmin());
}

TEST_F(UserRights, AdministratorsForDenyChecksOnlyStillCount)
{
    SetGroups({ { WinWorldSid, SE_GROUP_ENABLED }, { WinBuiltinAdministratorsSid, SE_GROUP_USE_FOR_DENY_ONLY } });
    g_seams.GetTokenInformation = &FakeTokenInformation;
    EXPECT_TRUE(IsUserAdmin());
}

TEST_F(UserRights, AnUnreadableTokenIsNot)
{
    g_groups.clear();
    g_seams.GetTokenInformation = &FakeTokenInformation;
    EXPECT_FALSE(IsUserAdmin());
}

TEST(SplitMultiSz, PointsIntoTheList)
{
    TestHeap heap;
    const char list[] = "PageSize\0A4\0Duplex\0";
    char** strings = nullptr;
    WORD count = 0;
    ASSERT_EQ(S_OK, SplitMultiSz(heap.h, list, &strings, &count));
    ASSERT_EQ(3, count);
    EXPECT_EQ(list, strings[0]);
    EXPECT_EQ(list + 9, strings[1]);
    EXPECT_EQ(list + 12, strings[2]);
    EXPECT_STREQ("Duplex", strings[2]);
    HeapFree(heap.h, 0, strings);
}

TEST(SplitMultiSz, AnEmptyListHasNoStrings)
{
    TestHeap heap;
    char** strings = reinterpret_cast<char**>(1);
    WORD count = 9;
    EXPECT_EQ(S_OK, SplitMultiSz(heap.h, "\0", &strings, &count));
    EXPECT_EQ(nullptr, strings);
    EXPECT_EQ(0, count);
}

TEST(SplitMultiSz, MissingArgumentsAreRefused)
{
    TestHeap heap;
    char** strings = nullptr;
    WORD count = 0;
    EXPECT_EQ(E_INVALIDARG, SplitMultiSz(nullptr, "a\0", &strings, &count));
    EXPECT_EQ(E_INVALIDARG, SplitMultiSz(heap.h, nullptr, &strings, &count));
    EXPECT_EQ(E_INVALIDARG, SplitMultiSz(heap.h, "a\0", nullptr, &count));
    EXPECT_EQ(E_INVALIDARG, SplitMultiSz(heap.h, "a\0", &strings, nullptr));
}

TEST(HeapStrings, CopiesAreExactAndOnTheGivenHeap)
{
    TestHeap heap;
    WCHAR* wide = DupAnsiAsWide(heap.h, "Letter");
    ASSERT_NE(nullptr, wide);
    EXPECT_STREQ(L"Letter", wide);
    EXPECT_EQ(7u * sizeof(WCHAR), HeapSize(heap.h, 0, wide));
    WCHAR* copy = DupWideString(heap.h, L"A4");
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ(L"A4", copy);
    EXPECT_EQ(3u * sizeof(WCHAR), HeapSize(heap.h, 0, copy));
    char* ansi = DupAnsiString(heap.h, "JCLMediaType");
    ASSERT_NE(nullptr, ansi);
    EXPECT_STREQ("JCLMediaType", ansi);
    EXPECT_EQ(13u, HeapSize(heap.h, 0, ansi));
}

TEST(HeapStrings, NullInputsGiveNull)
{
    TestHeap heap;
    EXPECT_EQ(nullptr, DupAnsiAsWide(heap.h, nullptr));
    EXPECT_EQ(nullptr, DupAnsiAsWide(nullptr, "x"));
    EXPECT_EQ(nullptr, DupWideString(heap.h, nullptr));
    EXPECT_EQ(nullptr, DupAnsiString(heap.h, nullptr));
    EXPECT_STREQ(L"", DupAnsiAsWide(heap.h, ""));
}

TEST(LoadHeapString, ShrinksTheBufferToTheText)
{
    TestHeap heap;
    WCHAR* text = nullptr;
    ASSERT_EQ(S_OK, LoadHeapString(heap.h, Self(), 60000, &text));
    EXPECT_STREQ(L"Short", text);
    EXPECT_EQ(6u * sizeof(WCHAR), HeapSize(heap.h, 0, text));
}

TEST(LoadHeapString, LongStringsAreCutTo259Characters)
{
    TestHeap heap;
    WCHAR* text = nullptr;
    ASSERT_EQ(S_OK, LoadHeapString(heap.h, Self(), 60001, &text));
    ASSERT_EQ(259u, wcslen(text));
    EXPECT_EQ(L'0', text[0]);
    EXPECT_EQ(L'8', text[258]);
}

TEST(LoadHeapString, AMissingStringIsAnError)
{
    TestHeap heap;
    WCHAR* text = reinterpret_cast<WCHAR*>(1);
    HRESULT hr = LoadHeapString(heap.h, Self(), 60099, &text);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(nullptr, text);
    text = reinterpret_cast<WCHAR*>(1);
    EXPECT_TRUE(FAILED(LoadHeapString(heap.h, nullptr, 60000, &text)));
    EXPECT_EQ(nullptr, text);
}

TEST(LoadHeapString, MissingArgumentsAreRefused)
{
    TestHeap heap;
    WCHAR* text = nullptr;
    EXPECT_EQ(E_INVALIDARG, LoadHeapString(nullptr, Self(), 60000, &text));
    EXPECT_EQ(E_INVALIDARG, LoadHeapString(heap.h, Self(), 60000, nullptr));
}
