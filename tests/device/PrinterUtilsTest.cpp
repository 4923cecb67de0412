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

// --- against the Wine test printer -----------------------------------------

#include "harness/TestPrinter.h"

namespace {

// A port list served through the enumeration seam.
struct FakePort {
    const wchar_t* name;
    const wchar_t* monitor;
};
std::vector<FakePort> g_ports;
bool g_failSecondEnum = false;

BOOL WINAPI FakeEnumPorts(LPWSTR, DWORD level, LPBYTE buf, DWORD size, LPDWORD needed, LPDWORD returned)
{
    if (level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    DWORD need = (DWORD)(g_ports.size() * sizeof(PORT_INFO_2W));
    *needed = need;
    *returned = 0;
    if (!buf || size < need) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (g_failSecondEnum) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto* info = reinterpret_cast<PORT_INFO_2W*>(buf);
    for (size_t i = 0; i < g_ports.size(); ++i) {
        info[i] = PORT_INFO_2W();
        info[i].pPortName = const_cast<LPWSTR>(g_ports[i].name);
        info[i].pMonitorName = const_cast<LPWSTR>(g_ports[i].monitor);
    }
    *returned = (DWORD)g_ports.size();
    return TRUE;
}

class PortKind : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        g_failSecondEnum = false;
    }
    void TearDown() override { ResetSystemSeams(); }
    int KindWith(std::vector<FakePort> ports)
    {
        g_ports = std::move(ports);
        g_seams.EnumPortsW = &FakeEnumPorts;
        return GetPortKind(printer.handle());
    }
    harness::TestPrinter printer;   // on port FILE:
};

const HANDLE kBadPrinter = reinterpret_cast<HANDLE>(0x5A5A);

} // namespace

TEST_F(PortKind, WinesLocalPortIsOther)
{
    EXPECT_EQ(PORT_KIND_OTHER, GetPortKind(printer.handle()));
}

TEST_F(PortKind, TheMonitorNamesDecide)
{
    EXPECT_EQ(PORT_KIND_USB, KindWith({ { L"LPT1:", L"Local Monitor" }, { L"FILE:", L"Dynamic Print Monitor" } }));
    EXPECT_EQ(PORT_KIND_NETWORK, KindWith({ { L"FILE:", L"TCPMON.DLL" } }));
    EXPECT_EQ(PORT_KIND_NETWORK, KindWith({ { L"FILE:", L"WSD Port Monitor" } }));
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"FILE:", L"Local Monitor" } }));
}

TEST_F(PortKind, NamesCompareExactly)
{
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"FILE:", L"tcpmon.dll" } }));
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"FILE:", L"Dynamic print monitor" } }));
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"file:", L"Dynamic Print Monitor" } }));
}

TEST_F(PortKind, AnOtherMonitorGoesOnToTheNextPortOfTheName)
{
    EXPECT_EQ(PORT_KIND_USB, KindWith({ { L"FILE:", L"Local Monitor" }, { L"FILE:", L"Dynamic Print Monitor" } }));
}

TEST_F(PortKind, PortsWithoutNamesAreSkipped)
{
    EXPECT_EQ(PORT_KIND_USB, KindWith({ { nullptr, L"TCPMON.DLL" }, { L"FILE:", L"Dynamic Print Monitor" } }));
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"FILE:", nullptr } }));
}

TEST_F(PortKind, FailedEnumerationsGiveOther)
{
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({}));
    g_failSecondEnum = true;
    EXPECT_EQ(PORT_KIND_OTHER, KindWith({ { L"FILE:", L"Dynamic Print Monitor" } }));
}

TEST_F(PortKind, AnUnreadablePrinterGivesOther)
{
    g_ports = { { L"FILE:", L"Dynamic Print Monitor" } };
    g_seams.EnumPortsW = &FakeEnumPorts;
    EXPECT_EQ(PORT_KIND_OTHER, GetPortKind(kBadPrinter));
    EXPECT_EQ(PORT_KIND_OTHER, GetPortKind(nullptr));
}

TEST(PrinterInfo, CopiesLevelsOneAndTwo)
{
    harness::TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    ProcessHeapPtr<PRINTER_INFO_2W> two(GetPrinterInfo2(printer.handle()));
    ASSERT_TRUE(two);
    EXPECT_STREQ(harness::kPrinterName, two->pPrinterName);
    EXPECT_STREQ(L"FILE:", two->pPortName);
    EXPECT_STREQ(harness::kDriverName, two->pDriverName);
    ProcessHeapPtr<PRINTER_INFO_1W> one(GetPrinterInfo1(printer.handle()));
    ASSERT_TRUE(one);
    EXPECT_NE(nullptr, wcsstr(one->pName, harness::kPrinterName));
}

TEST(PrinterInfo, AnUnreadablePrinterGivesNull)
{
    EXPECT_EQ(nullptr, GetPrinterInfo2(kBadPrinter));
    EXPECT_EQ(nullptr, GetPrinterInfo1(kBadPrinter));
}

namespace {

class InstallableInfoValue : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.ok()) << printer.failureText(); }
    void Store(const std::vector<BYTE>& bytes)
    {
        ASSERT_EQ(0u, SetPrinterDataW(printer.handle(), const_cast<LPWSTR>(L"InstallableInfo"), REG_BINARY,
                                      const_cast<BYTE*>(bytes.data()), (DWORD)bytes.size()));
    }
    harness::TestPrinter printer{ harness::TestPrinter::Mode::Unique };
};

} // namespace

TEST_F(InstallableInfoValue, AMissingValueAnswersNotFound)
{
    INSTALLABLE_INFO info;
    memset(&info, 0x77, sizeof info);
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, ReadInstallableInfo(printer.handle(), &info));
    EXPECT_EQ(0x77, info.tray[0].installed);
}

TEST_F(InstallableInfoValue, SixteenBytesAreRead)
{
    Store({ 1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0 });
    INSTALLABLE_INFO info = {};
    EXPECT_EQ(0u, ReadInstallableInfo(printer.handle(), &info));
    EXPECT_EQ(1, info.tray[0].installed);
    EXPECT_EQ(3u, info.tray[0].paper);
    EXPECT_EQ(0, info.tray[1].installed);
    EXPECT_EQ(2u, info.tray[1].paper);
}

TEST_F(InstallableInfoValue, OtherSizesLeaveTheOutputAlone)
{
    for (size_t size : { 15u, 17u, 1u }) {
        Store(std::vector<BYTE>(size, 1));
        INSTALLABLE_INFO info;
        memset(&info, 0x77, sizeof info);
        EXPECT_EQ(0u, ReadInstallableInfo(printer.handle(), &info)) << size;
        EXPECT_EQ(0x77, info.tray[0].installed) << size;
        EXPECT_EQ(0x77777777u, info.tray[1].paper) << size;
    }
}
