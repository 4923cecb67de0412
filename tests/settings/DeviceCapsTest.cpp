// The DeviceCapabilities extension: fixed answers, the core-paper table, the
// paper answers over a paper list, and whole queries through the plug-in
// object with the spooler routed back into it. The paper table and the
// process-wide model start empty in every CTest case (a process each).
// Suites ending in "DataFile" read the machine-wide custom-paper file, hold
// the CTest lock "datafiles" and put the file back at the end.
#include "SettingsFixture.h"

#include "harness/CoreCapabilities.h"
#include "harness/TestPrinter.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "settings/DefaultSettings.h"
#include "settings/DeviceCaps.h"
#include "settings/Features.h"
#include "settings/PaperList.h"
#include "sheets/DataFiles.h"
#include "sheets/ResourceModule.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using harness::CorePaper;

namespace {

constexpr size_t kNameBytes = CORE_PAPER_NAME_CHARS * sizeof(WCHAR);
constexpr size_t kGuardEntries = 4;
constexpr BYTE kUnwritten = 0xA5;

const std::vector<std::wstring> kStandardNames = { L"Letter",    L"A4",    L"Legal", L"Executive", L"A5",
                                                   L"B5 ",       L"Statement", L"Env10", L"EnvDL", L"EnvC5" };

bool PaperStateIsEmpty()
{
    CResourceModuleLock hold;
    const CORE_PAPER_NAME* table = GetCorePaperTable();
    return !table[0].name[0] && !table[0].id && g_ProcessFeatures.GetCount() == 0;
}

#define REQUIRE_FRESH_PAPER_STATE()                                                                   \
    if (!PaperStateIsEmpty())                                                                         \
    GTEST_SKIP() << "the process-wide paper state is already filled: run this case in a process of " \
                    "its own, as CTest does"

std::wstring TableName(int row)
{
    CResourceModuleLock hold;
    return GetCorePaperTable()[row].name;
}
DWORD TableId(int row)
{
    CResourceModuleLock hold;
    return GetCorePaperTable()[row].id;
}

PAPER_INFO MakePaper(const WCHAR* name, float widthMm, float heightMm, int dpi = 72)
{
    PAPER_INFO p = {};
    SetPaperName(&p, name);
    SetPaperSize(&p, widthMm, heightMm, FALSE, dpi);
    return p;
}

// A bare list with standard papers named S0, S1, ... and custom papers C0, C1, ...
std::unique_ptr<CPaperList> MakeList(int standard, int custom)
{
    auto list = std::make_unique<CPaperList>();
    for (int i = 0; i < standard; ++i) {
        PAPER_INFO p = MakePaper((L"S" + std::to_wstring(i)).c_str(), 100.0f + i, 200.0f, 600);
        p.id = i;
        list->StandardPapers().Add(p);
    }
    for (int j = 0; j < custom; ++j) {
        PAPER_INFO p = MakePaper((L"C" + std::to_wstring(j)).c_str(), 100.0f, 150.0f + j);
        if (list->AddCustomPaper(&p) < 0)  // past 20: added behind the list's back
            list->CustomPapers().Add(p);
    }
    return list;
}

// An output of entries, with guard entries behind it that nobody may write.
struct Output {
    Output(size_t entries, size_t entrySize)
        : size(entrySize), count(entries), bytes((entries + kGuardEntries) * entrySize, kUnwritten)
    {
    }
    void* data() { return bytes.data(); }
    std::wstring name(size_t i) const
    {
        const WCHAR* p = reinterpret_cast<const WCHAR*>(&bytes[i * kNameBytes]);
        return std::wstring(p, wcsnlen(p, CORE_PAPER_NAME_CHARS));
    }
    WORD id(size_t i) const { return reinterpret_cast<const WORD*>(bytes.data())[i]; }
    POINT point(size_t i) const { return reinterpret_cast<const POINT*>(bytes.data())[i]; }
    bool guardIntact() const
    {
        for (size_t b = count * size; b < bytes.size(); ++b)
            if (bytes[b] != kUnwritten)
                return false;
        return true;
    }
    size_t size, count;
    std::vector<BYTE> bytes;
};

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

} // namespace

// --- fixed answers -----------------------------------------------------------------------

TEST(DeviceCaps, ColourAndPrintRateAnswerZero)
{
    for (WORD capability : { (WORD)DC_COLORDEVICE, (WORD)DC_PRINTRATEPPM }) {
        DWORD result = 1;
        EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, capability, nullptr, &result, nullptr));
        EXPECT_EQ(0u, result);
    }
}

TEST(DeviceCaps, TheFirstResolutionBecomes1200)
{
    LONG pairs[2][2] = { { 600, 600 }, { 1200, 1200 } };
    DWORD result = 2;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, pairs, &result, nullptr));
    EXPECT_EQ(2u, result);
    EXPECT_EQ(1200, pairs[0][0]);
    EXPECT_EQ(1200, pairs[0][1]);
    EXPECT_EQ(1200, pairs[1][0]);

    result = 2;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, nullptr, &result, nullptr));
    EXPECT_EQ(2u, result);
}

TEST(DeviceCaps, NoResolutionIsWrittenOverAnEmptyCoreAnswer)
{
    // The caller sized the output from a count of 0 (or the core driver failed).
    for (DWORD core : { 0u, 0xFFFFFFFFu }) {
        LONG pair[2] = { 7, 7 };
        DWORD result = core;
        EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, pair, &result, nullptr));
        EXPECT_EQ(core, result);
        EXPECT_EQ(7, pair[0]);
        EXPECT_EQ(7, pair[1]);
    }
}

TEST(DeviceCaps, TheFirstResolutionGoesOnlyIntoAnOutputSizedForIt)
{
    // Found by the fuzz test: the caller sized its output from an answer of
    // no pairs, and the core driver counts two when it is asked with output.
    DWORD result = 0;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, nullptr, &result, nullptr, L"Sized"));
    EXPECT_EQ(0u, result);
    LONG guard[4] = { 7, 7, 7, 7 };
    result = 2;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, guard, &result, nullptr, L"Sized"));
    EXPECT_EQ((std::vector<LONG>{ 7, 7, 7, 7 }), std::vector<LONG>(guard, guard + 4));

    // Sized for one pair: it is written.
    result = 1;
    OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, nullptr, &result, nullptr, L"Sized");
    result = 2;
    OnDeviceCapabilities(nullptr, nullptr, DC_ENUMRESOLUTIONS, guard, &result, nullptr, L"Sized");
    EXPECT_EQ((std::vector<LONG>{ 1200, 1200, 7, 7 }), std::vector<LONG>(guard, guard + 4));
}

TEST(DeviceCaps, OtherCapabilitiesAndAFailedPaperAnswerAreLeftAlone)
{
    WORD bins[2] = { 1, 2 };
    DWORD result = 2;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_BINS, bins, &result, nullptr));
    EXPECT_EQ(2u, result);
    EXPECT_EQ(1, bins[0]);

    // GDI_ERROR from the core driver: no paper is written, the failure stands.
    result = 0xFFFFFFFFu;
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_PAPERS, nullptr, &result, nullptr));
    EXPECT_EQ(0xFFFFFFFFu, result);
    EXPECT_EQ(S_OK, OnDeviceCapabilities(nullptr, nullptr, DC_COLORDEVICE, nullptr, nullptr, nullptr));
}

// --- the core-paper table ----------------------------------------------------------------

TEST(CorePaperTable, KeepsTheNameBeforeTheParenthesisOrMarksASystemName)
{
    REQUIRE_FRESH_PAPER_STATE();
    Output names(4, kNameBytes);
    auto put = [&](size_t i, const std::wstring& text) {
        WCHAR* slot = reinterpret_cast<WCHAR*>(&names.bytes[i * kNameBytes]);
        wmemset(slot, 0, CORE_PAPER_NAME_CHARS);
        wmemcpy(slot, text.data(), std::min<size_t>(text.size(), CORE_PAPER_NAME_CHARS));
    };
    put(0, L"A5 (148 x 210 mm)");
    put(1, L"Statement");
    put(2, std::wstring(64, L'x'));                // a full slot without its NUL
    put(3, L"Ledger (" + std::wstring(60, L'y'));  // cut before "(" only
    RecordCorePapers(names.data(), 4, DC_PAPERNAMES);

    EXPECT_EQ(L"A5 ", TableName(0));
    EXPECT_EQ(L"Sys:Statement", TableName(1));
    EXPECT_EQ(L"Sys:" + std::wstring(59, L'x'), TableName(2));
    EXPECT_EQ(L"Ledger ", TableName(3));
    EXPECT_EQ(L"", TableName(4));
}

TEST(CorePaperTable, RecordsNamesAndNumbersOnceAndAtMost128Rows)
{
    REQUIRE_FRESH_PAPER_STATE();
    RecordCorePapers(nullptr, 3, DC_PAPERS);
    std::vector<WORD> none = { 0 };
    RecordCorePapers(none.data(), 0, DC_PAPERS);
    EXPECT_EQ(0u, TableId(0));

    std::vector<WORD> ids(130);
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = (WORD)(60000 + i);
    RecordCorePapers(ids.data(), 130, DC_PAPERS);
    EXPECT_EQ(60000u, TableId(0));
    EXPECT_EQ(60127u, TableId(127));

    std::vector<WORD> later(130, 5);
    RecordCorePapers(later.data(), 130, DC_PAPERS);
    EXPECT_EQ(60000u, TableId(0));

    Output first(1, kNameBytes), second(1, kNameBytes);
    wcscpy(reinterpret_cast<WCHAR*>(first.data()), L"A4 (210 x 297 mm)");
    wcscpy(reinterpret_cast<WCHAR*>(second.data()), L"Letter (8.5 x 11 in)");
    RecordCorePapers(first.data(), 1, DC_PAPERNAMES);
    RecordCorePapers(second.data(), 1, DC_PAPERNAMES);
    EXPECT_EQ(L"A4 ", TableName(0));
    EXPECT_EQ(60000u, TableId(0));  // names and numbers are recorded apart
}

// --- answers over a paper list ---------------------------------------------------------------

TEST(PaperAnswer, NamesAreTheStandardThenTheCustomPapersAndTheRestIsEmpty)
{
    auto list = MakeList(10, 3);
    Output names(13, kNameBytes);
    FillPaperNames(static_cast<PAPER_NAME_ENTRY*>(names.data()), list.get(), 12);
    EXPECT_EQ(L"S0", names.name(0));
    EXPECT_EQ(L"S9", names.name(9));
    EXPECT_EQ(L"C0", names.name(10));
    EXPECT_EQ(L"C2", names.name(12));
    EXPECT_TRUE(names.guardIntact());
    EXPECT_EQ(13, CountAnsweredPapers(list.get()));

    // A core driver with more papers: its other entries are emptied.
    Output wide(16, kNameBytes);
    FillPaperNames(static_cast<PAPER_NAME_ENTRY*>(wide.data()), list.get(), 16);
    EXPECT_EQ(L"C2", wide.name(12));
    EXPECT_EQ(std::wstring(CORE_PAPER_NAME_CHARS, L'\0'),
              std::wstring(reinterpret_cast<const WCHAR*>(&wide.bytes[15 * kNameBytes]), CORE_PAPER_NAME_CHARS));
    EXPECT_TRUE(wide.guardIntact());
}

TEST(PaperAnswer, BelowTheStandardCountEveryAnsweredEntryIsWrittenAndNoMore)
{
    // The core driver gave 4 entries; the answer is 10 + 3 = 13.
    auto list = MakeList(10, 3);
    Output names(13, kNameBytes), sizes(13, sizeof(POINT));
    FillPaperNames(static_cast<PAPER_NAME_ENTRY*>(names.data()), list.get(), 4);
    FillPaperSizes(static_cast<POINT*>(sizes.data()), list.get(), 4);
    EXPECT_EQ(L"S3", names.name(3));
    EXPECT_EQ(L"C0", names.name(4));
    EXPECT_EQ(L"C2", names.name(6));
    for (size_t i = 7; i < 13; ++i) {
        EXPECT_EQ(L"", names.name(i)) << i;
        EXPECT_TRUE(SamePoint(POINT{ 0, 0 }, sizes.point(i))) << i;
    }
    EXPECT_TRUE(names.guardIntact());
    EXPECT_TRUE(sizes.guardIntact());
}

TEST(PaperAnswer, AtMostTwentyCustomPapersAreAdded)
{
    auto list = MakeList(2, 25);
    ASSERT_EQ(25, list->GetCustomCount());
    EXPECT_EQ(22, CountAnsweredPapers(list.get()));
    Output names(22, kNameBytes), ids(22, sizeof(WORD)), sizes(22, sizeof(POINT));
    FillPaperNames(static_cast<PAPER_NAME_ENTRY*>(names.data()), list.get(), 2);
    FillPaperIds(static_cast<WORD*>(ids.data()), list.get(), 2);
    FillPaperSizes(static_cast<POINT*>(sizes.data()), list.get(), 2);
    EXPECT_EQ(L"C19", names.name(21));
    EXPECT_TRUE(names.guardIntact());
    EXPECT_TRUE(ids.guardIntact());
    EXPECT_TRUE(sizes.guardIntact());
}

TEST(PaperAnswer, SizesAreTenthsOfMillimetres)
{
    CPaperList list;
    PAPER_INFO a4 = MakePaper(L"A4", 210.0f, 297.0f, 600);
    list.StandardPapers().Add(a4);
    PAPER_INFO custom = MakePaper(L"Photo", 100.0f, 150.0f);
    list.AddCustomPaper(&custom);
    PAPER_INFO broken = MakePaper(L"Broken", 100.0f, 150.0f);
    broken.widthMm = NAN;
    broken.heightMm = 1e12f;
    list.AddCustomPaper(&broken);

    Output sizes(3, sizeof(POINT));
    FillPaperSizes(static_cast<POINT*>(sizes.data()), &list, 1);
    EXPECT_TRUE(SamePoint(POINT{ 2100, 2970 }, sizes.point(0)));
    EXPECT_TRUE(SamePoint(POINT{ 1000, 1500 }, sizes.point(1)));
    EXPECT_TRUE(SamePoint(POINT{ 0, 0 }, sizes.point(2)));  // what no LONG holds
    EXPECT_TRUE(sizes.guardIntact());
}

TEST(PaperAnswer, WithoutNamesTheCoreNumbersOfTheStandardPapersStay)
{
    REQUIRE_FRESH_PAPER_STATE();
    auto list = MakeList(3, 2);
    Output ids(5, sizeof(WORD));
    WORD* out = static_cast<WORD*>(ids.data());
    out[0] = 9;
    out[1] = 1;
    out[2] = 5;
    FillPaperIds(out, list.get(), 3);
    EXPECT_EQ((std::vector<WORD>{ 9, 1, 5, 257, 258 }),
              (std::vector<WORD>{ ids.id(0), ids.id(1), ids.id(2), ids.id(3), ids.id(4) }));
    EXPECT_TRUE(ids.guardIntact());
}

TEST(PaperAnswer, NumbersComeFromTheFirstRowOfTheSameNameWithinTheCoreCount)
{
    REQUIRE_FRESH_PAPER_STATE();
    Output names(4, kNameBytes);
    const WCHAR* core[] = { L"S1(x)", L"S0 (y)", L"S0(z)", L"S2(w)" };
    for (int i = 0; i < 4; ++i)
        wcscpy(reinterpret_cast<WCHAR*>(&names.bytes[i * kNameBytes]), core[i]);
    RecordCorePapers(names.data(), 4, DC_PAPERNAMES);
    WORD numbers[4] = { 11, 22, 33, 44 };
    RecordCorePapers(numbers, 4, DC_PAPERS);

    auto list = MakeList(3, 1);
    Output ids(4, sizeof(WORD));
    FillPaperIds(static_cast<WORD*>(ids.data()), list.get(), 3);
    // S0 is row 2 ("S0 " of row 1 is another name); S2 stands beyond the count.
    EXPECT_EQ((std::vector<WORD>{ 33, 11, 0, 257 }),
              (std::vector<WORD>{ ids.id(0), ids.id(1), ids.id(2), ids.id(3) }));
}

// --- whole queries through the plug-in object ----------------------------------------------

namespace {

std::vector<PAPER_INFO> CustomPapers(int n)
{
    std::vector<PAPER_INFO> out;
    for (int i = 0; i < n; ++i)
        out.push_back(MakePaper((L"Custom " + std::to_wstring(i)).c_str(), 100.0f, 150.0f + 10 * i));
    return out;
}

// The plug-in object of this program (its seams are the program's) with the
// double published, the shared printer, three custom papers and the spooler
// routed back into the object.
class DeviceCapsDataFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_FRESH_PAPER_STATE();
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        core = harness::CoreDriver::fromDefaultPpd();
        ASSERT_TRUE(core);
        plugin = new IOemUI2;
        ASSERT_TRUE(plugin);
        ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
        route = std::make_unique<harness::SpoolerRoute>(plugin, *core, printer.handle());
        ASSERT_EQ(10u, route->papers.size());
        ASSERT_TRUE(file.write(CustomPapers(3)));
    }
    void TearDown() override
    {
        route.reset();
        if (plugin)
            plugin->Release();
    }

    // One call as the driver makes it, over what the core driver put in the output.
    DWORD Query(WORD capability, void* output, DWORD coreCount, HANDLE on = nullptr)
    {
        DWORD result = coreCount;
        EXPECT_EQ(S_OK, plugin->DeviceCapabilities(core->uiObject(), on ? on : printer.handle(),
                                                   const_cast<PWSTR>(printer.name().c_str()), capability, output,
                                                   nullptr, nullptr, coreCount, &result));
        return result;
    }
    // As an application asks: the count, then the entries into an output of that size.
    Output Ask(WORD capability, DWORD* answer, const std::vector<CorePaper>* papers = nullptr,
               HANDLE on = nullptr)
    {
        const std::vector<CorePaper>& core = papers ? *papers : route->papers;
        DWORD count = Query(capability, nullptr, (DWORD)core.size(), on);
        Output out(std::max<size_t>(count, core.size()), harness::entryBytes(capability));
        harness::coreAnswer(core, capability, out.data());
        *answer = Query(capability, out.data(), (DWORD)core.size(), on);
        EXPECT_EQ(count, *answer);
        EXPECT_TRUE(out.guardIntact());
        return out;
    }
    std::vector<WORD> Ids(const Output& out, size_t n) const
    {
        std::vector<WORD> ids;
        for (size_t i = 0; i < n; ++i)
            ids.push_back(out.id(i));
        return ids;
    }
    // The core driver's names without the blank before "(", so that they match.
    void TightNames()
    {
        for (CorePaper& p : route->papers) {
            size_t open = p.name.find(L" (");
            p.name.erase(open, 1);
        }
    }

    settings_test::KeptDataFile file{ CUSTOM_PAPER_FILE_NAME };
    harness::TestPrinter printer;
    std::unique_ptr<harness::CoreDriver> core;
    IOemUI2* plugin = nullptr;
    std::unique_ptr<harness::SpoolerRoute> route;
};

} // namespace

TEST_F(DeviceCapsDataFile, PapersWithoutOutputAnswerTheLargerCountAndRecordNothing)
{
    EXPECT_EQ(13u, Query(DC_PAPERS, nullptr, 10));
    EXPECT_EQ(20u, Query(DC_PAPERS, nullptr, 20));
    EXPECT_EQ(13u, Query(DC_PAPERNAMES, nullptr, 12));
    EXPECT_TRUE(route->calls().empty());
    EXPECT_EQ(L"", TableName(0));
    EXPECT_EQ(0u, TableId(0));
}

TEST_F(DeviceCapsDataFile, NamesAreTheStandardPapersThenTheCustomPapers)
{
    route->papers.push_back({ L"Postcard (100 x 148 mm)", 43, { 1000, 1480 } });
    route->papers.push_back({ L"Statement", 6, { 1397, 2159 } });
    DWORD answer = 0;
    Output names = Ask(DC_PAPERNAMES, &answer);
    EXPECT_EQ(13u, answer);
    for (size_t i = 0; i < kStandardNames.size(); ++i)
        EXPECT_EQ(kStandardNames[i], names.name(i)) << i;
    EXPECT_EQ(L"Custom 0", names.name(10));
    EXPECT_EQ(L"Custom 2", names.name(12));

    EXPECT_EQ(L"Letter ", TableName(0));
    EXPECT_EQ(L"A5 ", TableName(4));
    EXPECT_EQ(L"Postcard ", TableName(10));
    EXPECT_EQ(L"Sys:Statement", TableName(11));
}

TEST_F(DeviceCapsDataFile, PapersFetchTheCoreNamesThroughTheSpoolerOnTheSameThread)
{
    DWORD answer = 0;
    Output ids = Ask(DC_PAPERS, &answer);
    EXPECT_EQ(13u, answer);

    std::vector<harness::SpoolerRoute::Call> calls = route->calls();
    ASSERT_EQ(2u, calls.size());  // the count, then the names
    for (const auto& c : calls) {
        EXPECT_EQ(DC_PAPERNAMES, c.capability);
        EXPECT_EQ(GetCurrentThreadId(), c.thread);
        EXPECT_EQ(printer.name(), c.device);
        EXPECT_EQ(L"FILE:", c.port);
        EXPECT_TRUE(c.devmode);
        EXPECT_EQ(13, c.answer);
    }
    EXPECT_FALSE(calls[0].output);
    EXPECT_TRUE(calls[1].output);
    EXPECT_GE(calls[1].outputBytes, 13 * kNameBytes);  // room for the plug-in's whole answer
    EXPECT_FALSE(calls[1].refused);

    EXPECT_EQ(L"Letter ", TableName(0));
    EXPECT_EQ(1u, TableId(0));
    // Only "B5 " is named alike on both sides; the custom papers follow.
    EXPECT_EQ((std::vector<WORD>{ 0, 0, 0, 0, 0, DMPAPER_B5, 0, 0, 0, 0, 257, 258, 259 }), Ids(ids, 13));

    // Recorded once: later queries ask the spooler no more.
    Ask(DC_PAPERS, &answer);
    EXPECT_EQ(2u, route->calls().size());
}

TEST_F(DeviceCapsDataFile, TheFetchSizesItsOutputFromTheSpoolersAnswer)
{
    // The driver names more papers than this query's count and the plug-in's.
    std::vector<CorePaper> papers = route->papers;
    for (int i = 0; i < 4; ++i)
        route->papers.push_back({ L"Form " + std::to_wstring(i) + L" (1 x 1 mm)", (WORD)(400 + i), { 10, 10 } });
    DWORD answer = 0;
    Ask(DC_PAPERS, &answer, &papers);
    EXPECT_EQ(13u, answer);
    std::vector<harness::SpoolerRoute::Call> calls = route->calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(14, calls[0].answer);
    EXPECT_FALSE(calls[1].refused);
    EXPECT_EQ(L"Form 3 ", TableName(13));
}

TEST_F(DeviceCapsDataFile, PapersGetTheCoreNumbersOfTheSameNames)
{
    TightNames();
    route->papers[6].name = L"Statement";  // a form without a size: "Sys:Statement"
    DWORD answer = 0;
    Output ids = Ask(DC_PAPERS, &answer);
    EXPECT_EQ((std::vector<WORD>{ DMPAPER_LETTER, DMPAPER_A4, DMPAPER_LEGAL, DMPAPER_EXECUTIVE, DMPAPER_A5, 0, 0,
                                  DMPAPER_ENV_10, DMPAPER_ENV_DL, DMPAPER_ENV_C5, 257, 258, 259 }),
              Ids(ids, 13));
}

TEST_F(DeviceCapsDataFile, PapersArrivingFirstWithMoreThan128EntriesStayAsTheCoreGaveThem)
{
    for (int i = 10; i < 130; ++i)
        route->papers.push_back({ L"Form " + std::to_wstring(i), (WORD)(1000 + i), { 1000, 1000 } });
    Output ids(130, sizeof(WORD));
    harness::coreAnswer(route->papers, DC_PAPERS, ids.data());
    std::vector<BYTE> before = ids.bytes;
    EXPECT_EQ(130u, Query(DC_PAPERS, ids.data(), 130));
    EXPECT_EQ(before, ids.bytes);
    EXPECT_TRUE(route->calls().empty());
    EXPECT_EQ(0u, TableId(0));
}

TEST_F(DeviceCapsDataFile, AFailedFetchKeepsTheCoreNumbersAndAddsTheCustomPapers)
{
    route->failWith = -1;
    DWORD answer = 0;
    Output ids = Ask(DC_PAPERS, &answer);
    EXPECT_EQ(13u, answer);
    EXPECT_EQ(L"", TableName(0));
    EXPECT_EQ(1u, TableId(0));
    std::vector<WORD> expected;
    for (const CorePaper& p : route->papers)
        expected.push_back(p.number);
    expected.insert(expected.end(), { 257, 258, 259 });
    EXPECT_EQ(expected, Ids(ids, 13));
}

TEST_F(DeviceCapsDataFile, SizesOfStandardAndCustomPapers)
{
    DWORD answer = 0;
    Output sizes = Ask(DC_PAPERSIZE, &answer);
    EXPECT_EQ(13u, answer);
    EXPECT_TRUE(SamePoint(POINT{ 2159, 2794 }, sizes.point(0)));  // Letter, from inches
    EXPECT_TRUE(SamePoint(POINT{ 2100, 2970 }, sizes.point(1)));
    EXPECT_TRUE(SamePoint(POINT{ 1000, 1500 }, sizes.point(10)));
    EXPECT_TRUE(SamePoint(POINT{ 1000, 1700 }, sizes.point(12)));
}

TEST_F(DeviceCapsDataFile, TheTableIsNeverRefreshed)
{
    TightNames();
    DWORD answer = 0;
    Ask(DC_PAPERNAMES, &answer);
    ASSERT_EQ(L"A4", TableName(1));

    // Another printer whose driver names and numbers its papers otherwise.
    harness::TestPrinter other(harness::TestPrinter::Mode::Unique);
    ASSERT_TRUE(other.ok()) << other.failureText();
    std::vector<CorePaper> otherPapers = route->papers;
    for (size_t i = 0; i < otherPapers.size(); ++i) {
        otherPapers[i].name = L"ISO " + otherPapers[i].name;
        otherPapers[i].number = (WORD)(500 + i);
    }
    Ask(DC_PAPERNAMES, &answer, &otherPapers, other.handle());
    EXPECT_EQ(L"A4", TableName(1));
    Output ids = Ask(DC_PAPERS, &answer, &otherPapers, other.handle());
    EXPECT_EQ(501u, ids.id(1));  // the first printer's name, the other's number
    EXPECT_TRUE(route->calls().empty());
}

TEST_F(DeviceCapsDataFile, ADriverThatGivesNoPapersKeepsItsAnswerWhole)
{
    core->failAlways(harness::CoreMethod::EnumFeatures, E_FAIL);
    Output names(10, kNameBytes);
    harness::coreAnswer(route->papers, DC_PAPERNAMES, names.data());
    std::vector<BYTE> before = names.bytes;
    EXPECT_EQ(10u, Query(DC_PAPERNAMES, names.data(), 10));
    EXPECT_EQ(before, names.bytes);
    EXPECT_EQ(10u, Query(DC_PAPERS, nullptr, 10));

    // The model is filled at the next query the driver answers.
    core->clearFaults();
    EXPECT_EQ(13u, Query(DC_PAPERS, nullptr, 10));
}

TEST_F(DeviceCapsDataFile, AFileOfMoreThanTwentyPapersAddsTwenty)
{
    ASSERT_TRUE(file.write(CustomPapers(21)));
    DWORD answer = 0;
    Output names = Ask(DC_PAPERNAMES, &answer);
    EXPECT_EQ(30u, answer);
    EXPECT_EQ(L"Custom 19", names.name(29));
}

TEST_F(DeviceCapsDataFile, TwoThreadsAskingAtOnceGetTheSameAnswers)
{
    TightNames();
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Seen {
        std::vector<std::vector<WORD>> ids;
        std::vector<std::vector<std::wstring>> names;
        std::vector<DWORD> counts;
    } seen[2];
    // Each thread has a printer handle of its own, as each application has.
    harness::PrinterHandle handles[2] = { harness::openPrinter(printer.name(), PRINTER_ACCESS_USE),
                                          harness::openPrinter(printer.name(), PRINTER_ACCESS_USE) };
    ASSERT_TRUE(handles[0] && handles[1]);
    PWSTR name = const_cast<PWSTR>(printer.name().c_str());
    auto worker = [&](int t) {
        WaitForSingleObject(start, INFINITE);
        for (int i = 0; i < 15; ++i) {
            for (WORD capability : { (WORD)DC_PAPERS, (WORD)DC_PAPERNAMES }) {
                // As an application asks: the count, then the entries.
                DWORD result = 10;
                plugin->DeviceCapabilities(core->uiObject(), handles[t].get(), name, capability, nullptr, nullptr,
                                           nullptr, 10, &result);
                Output out(result, harness::entryBytes(capability));
                harness::coreAnswer(route->papers, capability, out.data());
                result = 10;
                plugin->DeviceCapabilities(core->uiObject(), handles[t].get(), name, capability, out.data(),
                                           nullptr, nullptr, 10, &result);
                seen[t].counts.push_back(result);
                if (capability == DC_PAPERS) {
                    seen[t].ids.push_back(Ids(out, 13));
                } else {
                    std::vector<std::wstring> n;
                    for (size_t k = 0; k < 13; ++k)
                        n.push_back(out.name(k));
                    seen[t].names.push_back(n);
                }
            }
        }
    };
    // A sheet start elsewhere reloads the process-wide language module meanwhile.
    std::atomic<bool> done{ false };
    std::atomic<int> missingStrings{ 0 };
    std::thread sheets([&] {
        WaitForSingleObject(start, INFINITE);
        while (!done) {
            CResourceModuleLock hold;
            LoadResourceModule(GetResourceModule(), printer.handle());
            WCHAR text[64] = {};
            if (!GetResourceModule()->module || LoadStringW(GetResourceModule()->module, 4000, text, 64) <= 0)
                ++missingStrings;
        }
    });
    std::thread a(worker, 0), b(worker, 1);
    SetEvent(start);
    a.join();
    b.join();
    done = true;
    sheets.join();
    CloseHandle(start);

    // Tight names: all but "B5 " match.
    const std::vector<WORD> ids = { DMPAPER_LETTER,    DMPAPER_A4,     DMPAPER_LEGAL,  DMPAPER_EXECUTIVE,
                                    DMPAPER_A5,        0,              DMPAPER_STATEMENT, DMPAPER_ENV_10,
                                    DMPAPER_ENV_DL,    DMPAPER_ENV_C5, 257,            258,
                                    259 };
    for (const Seen& s : seen) {
        for (DWORD c : s.counts)
            EXPECT_EQ(13u, c);
        for (const auto& v : s.ids)
            EXPECT_EQ(ids, v);
        for (const auto& n : s.names) {
            EXPECT_EQ(L"B5 ", n[5]);
            EXPECT_EQ(L"Custom 2", n[12]);
        }
    }
    EXPECT_EQ(0, missingStrings.load());
    // The names were fetched once, whichever thread came first.
    EXPECT_EQ(2u, route->calls().size());
}

// --- answers that change between the count and the entries ----------------------------

TEST_F(DeviceCapsDataFile, EntriesNeverOutnumberTheCountTheSameQueryGave)
{
    for (WORD capability : { (WORD)DC_PAPERNAMES, (WORD)DC_PAPERS, (WORD)DC_PAPERSIZE }) {
        SCOPED_TRACE(capability);
        ASSERT_TRUE(file.write(CustomPapers(3)));
        DWORD count = Query(capability, nullptr, 10);
        ASSERT_EQ(13u, count);
        // A custom paper saved between the application's two calls.
        ASSERT_TRUE(file.write(CustomPapers(4)));
        Output out(count, harness::entryBytes(capability));
        harness::coreAnswer(route->papers, capability, out.data());
        EXPECT_EQ(13u, Query(capability, out.data(), 10)) << "the count says what was written";
        EXPECT_TRUE(out.guardIntact());
    }
}

TEST_F(DeviceCapsDataFile, WithoutACountAnsweredBeforeNoMoreThanTheCoreCountIsWritten)
{
    for (WORD capability : { (WORD)DC_PAPERNAMES, (WORD)DC_PAPERS, (WORD)DC_PAPERSIZE }) {
        SCOPED_TRACE(capability);
        // Sized from the core driver's count alone, on a printer never asked before.
        Output out(10, harness::entryBytes(capability));
        harness::coreAnswer(route->papers, capability, out.data());
        EXPECT_EQ(10u, Query(capability, out.data(), 10));
        EXPECT_TRUE(out.guardIntact());
    }
    // The standard papers come first.
    Output names(10, kNameBytes);
    harness::coreAnswer(route->papers, DC_PAPERNAMES, names.data());
    Query(DC_PAPERNAMES, names.data(), 10);
    EXPECT_EQ(L"EnvC5", names.name(9));
}

TEST_F(DeviceCapsDataFile, AModelFilledAfterTheCountWritesNoMoreThanTheCount)
{
    core->failAlways(harness::CoreMethod::EnumFeatures, E_FAIL);
    DWORD count = Query(DC_PAPERNAMES, nullptr, 10);
    ASSERT_EQ(10u, count) << "the core driver's answer stands";
    core->clearFaults();
    Output out(count, kNameBytes);
    harness::coreAnswer(route->papers, DC_PAPERNAMES, out.data());
    EXPECT_EQ(10u, Query(DC_PAPERNAMES, out.data(), 10));
    EXPECT_TRUE(out.guardIntact());
}

TEST_F(DeviceCapsDataFile, TheCountOfOnePrinterDoesNotSizeAnother)
{
    harness::TestPrinter other(harness::TestPrinter::Mode::Unique);
    ASSERT_TRUE(other.ok()) << other.failureText();
    ASSERT_EQ(13u, Query(DC_PAPERNAMES, nullptr, 10));
    Output out(10, kNameBytes);
    harness::coreAnswer(route->papers, DC_PAPERNAMES, out.data());
    DWORD result = 10;
    EXPECT_EQ(S_OK, plugin->DeviceCapabilities(core->uiObject(), other.handle(),
                                               const_cast<PWSTR>(other.name().c_str()), DC_PAPERNAMES, out.data(),
                                               nullptr, nullptr, 10, &result));
    EXPECT_EQ(10u, result);
    EXPECT_TRUE(out.guardIntact());
}

TEST_F(DeviceCapsDataFile, TheFetchHoldsWhatTheNestedQueryWritesWhenTheFileGrowsMeanwhile)
{
    // The custom-paper file grows to 20 papers between the fetch's count and its names.
    route->onQuery = [this](WORD capability, bool output) {
        if (capability == DC_PAPERNAMES && output) {
            EXPECT_TRUE(file.write(CustomPapers(20)));
        }
    };
    DWORD answer = 0;
    Ask(DC_PAPERS, &answer);
    std::vector<harness::SpoolerRoute::Call> calls = route->calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_TRUE(calls[1].output);
    EXPECT_FALSE(calls[1].refused) << "the scratch output is smaller than what the nested query may write";
    EXPECT_EQ(L"Letter ", TableName(0));
}

TEST_F(DeviceCapsDataFile, TheFetchLeavesTheCountACallerWasGiven)
{
    // The application sizes its names, a custom paper is saved, and a paper
    // query fetches the core driver's names (asking for a count of its own).
    DWORD count = Query(DC_PAPERNAMES, nullptr, 10);
    ASSERT_EQ(13u, count);
    ASSERT_TRUE(file.write(CustomPapers(4)));
    DWORD answer = 0;
    Ask(DC_PAPERS, &answer);
    ASSERT_EQ(2u, route->calls().size());
    // The names go into the output sized from the application's count.
    Output names(count, kNameBytes);
    harness::coreAnswer(route->papers, DC_PAPERNAMES, names.data());
    EXPECT_EQ(13u, Query(DC_PAPERNAMES, names.data(), 10));
    EXPECT_TRUE(names.guardIntact());
}

