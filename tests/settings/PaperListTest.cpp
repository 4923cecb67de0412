// The paper list: "PageSize" texts, standard and custom papers, the
// custom-paper file. Suites ending in "DataFile" write the machine-wide file
// and hold the CTest lock "datafiles"; they put the file back at the end.
#include "SettingsFixture.h"

#include "settings/DefaultSettings.h"
#include "settings/Features.h"
#include "settings/PaperList.h"
#include "sheets/DataFiles.h"

#include <locale.h>
#include <math.h>
#include <optional>

using namespace settings_test;
using harness::CoreMethod;

namespace {

struct ParsedText {
    float width = -1, height = -1;
    DWORD inches = 99;
    DWORD flags[4] = {9, 9, 9, 9};
    std::wstring name;
};

ParsedText parse(const wchar_t* text)
{
    ParsedText p;
    CPaperList::ParsePaperSizeText(text, &p.width, &p.height, &p.inches);
    for (int k = 0; k < 4; ++k)
        p.flags[k] = CPaperList::GetPaperSizeFlag(text, k);
    WCHAR name[260] = {};
    wcsncpy(name, text, 259);
    CPaperList::ExtractPaperName(name);
    p.name = name;
    return p;
}

std::vector<DWORD> flagsOf(const ParsedText& p) { return {p.flags[0], p.flags[1], p.flags[2], p.flags[3]}; }
std::vector<DWORD> flagsOf(const PAPER_INFO& p) { return {p.flag[0], p.flag[1], p.flag[2], p.flag[3]}; }

PAPER_INFO customPaper(const wchar_t* name, float width, float height, DWORD unit = PAPER_UNIT_MM)
{
    PAPER_INFO p = {};
    p.id = 999;
    p.unit = unit;
    SetPaperName(&p, name);
    SetPaperSize(&p, width, height, unit == PAPER_UNIT_INCH, 72);
    p.flag[0] = p.flag[2] = 1;
    p.flag[1] = p.flag[3] = 0;
    return p;
}

// A list over the printer's PPD with no custom papers, whatever the file
// holds. Making it reads the file, which must not meet a save in between.
class PaperListWithDataFile : public DriverFixture {
protected:
    void SetUp() override
    {
        DriverFixture::SetUp();
        ASSERT_EQ(S_OK, model.Acquire(heap.get(), &helper, core->uiObject(), FALSE));
        list = std::make_unique<CPaperList>(&model, &helper, &param);
        list->CustomPapers().RemoveAll();
        core->clearCalls();
    }
    void TearDown() override
    {
        list.reset();
        DriverFixture::TearDown();
    }
    void addCustom(int n)
    {
        for (int i = 0; i < n; ++i) {
            PAPER_INFO p = customPaper((L"Custom " + std::to_wstring(i)).c_str(), 100.0f + i, 150.0f);
            ASSERT_NE(-1, list->AddCustomPaper(&p));
        }
    }

    CFeatures model;
    std::unique_ptr<CPaperList> list;
};

// A list over a PPD of the test's own.
struct OwnDriver {
    explicit OwnDriver(const std::string& ppd, HANDLE heap)
        : core(harness::PpdModel::parse("*PPD-Adobe: \"4.3\"\n" + ppd))
    {
        attach(helper, core);
        param.cbSize = sizeof param;
        param.poemuiobj = core.uiObject();
        param.hOEMHeap = heap;
        hr = model.Acquire(heap, &helper, core.uiObject(), FALSE);
    }
    ~OwnDriver()
    {
        model.Clear();
        helper.Release();
    }
    harness::CoreDriver core;
    CUIHelper helper;
    OEMUIPSPARAM param = {};
    CFeatures model;
    HRESULT hr = E_FAIL;
};

// The custom-paper file kept aside, with the file calls of the saves reset
// around it.
class PaperFile : public KeptDataFile {
public:
    PaperFile() : KeptDataFile(CUSTOM_PAPER_FILE_NAME) { ResetDataFileCalls(); }
    ~PaperFile() { ResetDataFileCalls(); }

    // Files of the folder other than the two data files and these backups.
    int strayFiles() const
    {
        int n = 0;
        for (const std::wstring& name : harness::filesIn(harness::dataFolder()))
            if (name != harness::widen(CUSTOM_PAPER_FILE_NAME) && name != harness::widen(QUICK_SETTINGS_FILE_NAME) &&
                name != backup.path().substr(backup.path().rfind(L'\\') + 1) &&
                name != secondBackup.path().substr(secondBackup.path().rfind(L'\\') + 1))
                ++n;
        return n;
    }

    KeptDataFile backup{ CUSTOM_PAPER_FILE_NAME ".bak" };
    KeptDataFile secondBackup{ CUSTOM_PAPER_FILE_NAME ".bak2" };
};

std::vector<PAPER_INFO> records(int n)
{
    std::vector<PAPER_INFO> out;
    for (int i = 0; i < n; ++i) {
        PAPER_INFO p = customPaper((L"Stored " + std::to_wstring(i)).c_str(), 100.0f + i, 200.0f);
        p.id = 5000 + i;  // ids and flags are not taken from the file
        out.push_back(p);
    }
    return out;
}

// A bare list (as a DEVMODE merge makes one) loaded from the file.
struct LoadedList {
    CPaperList list;
    BOOL result = list.LoadCustomPapers();
};

} // namespace

// --- the "PageSize" text --------------------------------------------------------------

TEST(PaperSizeText, ReadsNameSizeUnitAndFlags)
{
    ParsedText a4 = parse(L"A4(210,297,15)");
    EXPECT_EQ(L"A4", a4.name);
    EXPECT_FLOAT_EQ(210.0f, a4.width);
    EXPECT_FLOAT_EQ(297.0f, a4.height);
    EXPECT_EQ(0u, a4.inches);
    EXPECT_EQ((std::vector<DWORD>{1, 1, 1, 1}), flagsOf(a4));

    ParsedText letter = parse(L"Letter(8.5,11,143)");
    EXPECT_EQ(1u, letter.inches);
    EXPECT_FLOAT_EQ(8.5f, letter.width);
    EXPECT_EQ((std::vector<DWORD>{1, 1, 1, 1}), flagsOf(letter));

    ParsedText b5 = parse(L"B5 (182,257,1)");
    EXPECT_EQ(L"B5 ", b5.name);
    EXPECT_EQ((std::vector<DWORD>{1, 0, 0, 0}), flagsOf(b5));

    // The last character is dropped whatever it is.
    ParsedText legal = parse(L"Legal(8.5,14,136]");
    EXPECT_EQ(1u, legal.inches);
    EXPECT_FLOAT_EQ(14.0f, legal.height);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 1}), flagsOf(legal));

    ParsedText word = parse(L"Plain");
    EXPECT_EQ(L"", word.name);
    EXPECT_EQ(0.0f, word.width);
    EXPECT_EQ(0.0f, word.height);
    EXPECT_EQ(0u, word.inches);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 0}), flagsOf(word));
}

TEST(PaperSizeText, FollowsTheCutsCharacterForCharacter)
{
    // The flag cuts run over the whole text, the size cuts after "(".
    ParsedText comma = parse(L"Env,X(1,2,3)");
    EXPECT_EQ(L"Env,X", comma.name);
    EXPECT_FLOAT_EQ(1.0f, comma.width);
    EXPECT_FLOAT_EQ(2.0f, comma.height);
    EXPECT_EQ((std::vector<DWORD>{0, 1, 0, 0}), flagsOf(comma));  // "2,3" reads as 2

    ParsedText open = parse(L"A(1,2,");  // nothing after the last comma
    EXPECT_FLOAT_EQ(2.0f, open.height);
    EXPECT_EQ(0u, open.inches);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 0}), flagsOf(open));

    ParsedText noSize = parse(L"A(");
    EXPECT_EQ(L"A", noSize.name);
    EXPECT_EQ(0.0f, noSize.width);
    ParsedText empty = parse(L"");
    EXPECT_EQ(0.0f, empty.width);
    EXPECT_EQ(0u, empty.flags[0]);
    ParsedText nameless = parse(L"(5,6,135)");
    EXPECT_EQ(L"", nameless.name);
    EXPECT_FLOAT_EQ(6.0f, nameless.height);
    EXPECT_EQ(1u, nameless.inches);

    // Without a comma the whole size part is the width text's rest.
    ParsedText single = parse(L"X(7)");
    EXPECT_EQ(0.0f, single.width);
    EXPECT_EQ(0.0f, single.height);

    float w = 0, h = 0;
    DWORD inches = 0;
    CPaperList::ParsePaperSizeText(nullptr, &w, &h, &inches);
    EXPECT_EQ(0.0f, w);
    EXPECT_EQ(0u, CPaperList::GetPaperSizeFlag(L"A(1,2,255)", 32));
    EXPECT_EQ(1u, CPaperList::GetPaperSizeFlag(L"A(1,2,255)", 7));
}

TEST(PaperSizeText, ReadsNumbersWithAPointWhateverTheLocale)
{
    const char* old = setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    bool comma = setlocale(LC_ALL, "German_Germany.1252") || setlocale(LC_ALL, "de-DE");
    struct Case {
        const wchar_t* text;
        float width;
    } cases[] = {
        {L"A( 8.5,1,0)", 8.5f}, {L"A(+8.25,1,0)", 8.25f}, {L"A(-3,1,0)", -3.0f},   {L"A(.5,1,0)", 0.5f},
        {L"A(5.,1,0)", 5.0f},   {L"A(2.1e2,1,0)", 210.0f}, {L"A(1e,1,0)", 1.0f},   {L"A(1.5x,1,0)", 1.5f},
        {L"A(abc,1,0)", 0.0f},  {L"A(25E-1,1,0)", 2.5f},   {L"A(4.125,1,0)", 4.125f}, {L"A(8,5,1,0)", 8.0f},
    };
    for (const Case& c : cases) {
        float w = -1, h = 0;
        DWORD inches = 0;
        CPaperList::ParsePaperSizeText(c.text, &w, &h, &inches);
        EXPECT_FLOAT_EQ(c.width, w) << c.text << (comma ? " (comma locale)" : "");
    }
    setlocale(LC_ALL, saved.c_str());
}

TEST(PaperSizeText, NameIsCutBeforeTheFirstParenthesis)
{
    WCHAR text[260];
    wmemset(text, L'n', 260);
    CPaperList::ExtractPaperName(text);
    EXPECT_EQ(0, text[0]);
    wmemset(text, L'n', 260);
    text[250] = L'(';
    CPaperList::ExtractPaperName(text);
    EXPECT_EQ(250u, wcslen(text));
    wcscpy(text, L"Oficio (216,340,15)");
    CPaperList::ExtractPaperName(text);
    EXPECT_STREQ(L"Oficio ", text);
}

// --- standard papers ------------------------------------------------------------------

TEST_F(PaperListWithDataFile, StandardPapersAreThePageSizeOptionsButTheLast)
{
    ASSERT_EQ(10, list->GetStandardCount());
    EXPECT_EQ(10, list->GetCount());
    for (INT_PTR i = 0; i < 10; ++i)
        EXPECT_EQ(i, list->StandardPapers()[i].id);

    const PAPER_INFO& a4 = list->StandardPapers()[1];
    EXPECT_STREQ(L"A4", a4.name);
    EXPECT_EQ(0u, a4.unit);
    EXPECT_EQ(4960, a4.width);
    EXPECT_EQ(7015, a4.height);
    EXPECT_NEAR(8.2677, a4.widthInch, 1e-4);
    EXPECT_NEAR(11.6929, a4.heightInch, 1e-4);
    EXPECT_EQ((std::vector<DWORD>{1, 1, 1, 1}), flagsOf(a4));

    const PAPER_INFO& letter = list->StandardPapers()[0];
    EXPECT_STREQ(L"Letter", letter.name);
    EXPECT_EQ(1u, letter.unit);
    EXPECT_EQ(5100, letter.width);
    EXPECT_EQ(6600, letter.height);
    EXPECT_NEAR(215.9, letter.widthMm, 1e-3);
    EXPECT_NEAR(279.4, letter.heightMm, 1e-3);

    const PAPER_INFO& b5 = list->StandardPapers()[5];
    EXPECT_STREQ(L"B5 ", b5.name);
    EXPECT_EQ((std::vector<DWORD>{1, 0, 0, 0}), flagsOf(b5));
    EXPECT_STREQ(L"EnvC5", list->StandardPapers()[9].name);
    // The list is filled once: no driver call after construction.
    EXPECT_TRUE(core->calls().empty());
}

TEST_F(PaperListWithDataFile, TextsOfAnotherPpdMakeTheirPapers)
{
    OwnDriver own("*OpenUI *PageSize: PickOne\n*DefaultPageSize: Legal\n"
                  "*PageSize Legal/Legal(8.5,14,136]: \"\"\n"
                  "*PageSize Long/A Paper Name Longer Than Thirty-One Characters(100,150,8): \"\"\n"
                  "*PageSize Word/Plain: \"\"\n*CloseUI: *PageSize\n"
                  "*CustomPageSize True: \"\"\n",
                  heap.get());
    ASSERT_EQ(S_OK, own.hr);
    CPaperList papers(&own.model, &own.helper, &own.param);
    ASSERT_EQ(3, papers.GetStandardCount());
    const PAPER_INFO& legal = papers.StandardPapers()[0];
    EXPECT_EQ(1u, legal.unit);
    EXPECT_EQ(5100, legal.width);
    EXPECT_EQ(8400, legal.height);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 1}), flagsOf(legal));
    EXPECT_STREQ(L"A Paper Name Longer Than Thirty", papers.StandardPapers()[1].name);
    const PAPER_INFO& word = papers.StandardPapers()[2];
    EXPECT_STREQ(L"", word.name);
    EXPECT_EQ(0, word.width);
    EXPECT_EQ(0u, word.unit);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 0}), flagsOf(word));
}

TEST_F(PaperListWithDataFile, NoPageSizeOrOnlyTheCustomSizeGivesNoStandardPaper)
{
    const std::string cases[] = {
        "*OpenUI *Duplex: PickOne\n*Duplex None/Off: \"\"\n*CloseUI: *Duplex\n",
        "*OpenUI *PageSize: PickOne\n*CloseUI: *PageSize\n*CustomPageSize True: \"\"\n",
        "*OpenUI *PageSize: PickOne\n*CloseUI: *PageSize\n",
    };
    for (const std::string& ppd : cases) {
        SCOPED_TRACE(ppd);
        OwnDriver own(ppd, heap.get());
        ASSERT_EQ(S_OK, own.hr);
        CPaperList papers(&own.model, &own.helper, &own.param);
        EXPECT_EQ(0, papers.GetStandardCount());
        EXPECT_TRUE(papers.LoadStandardPapers());
    }
    EXPECT_FALSE(CPaperList().LoadStandardPapers());
}

// --- custom papers in memory ----------------------------------------------------------

TEST_F(PaperListWithDataFile, AddingGivesIdsAndCustomFlagsUpToTwenty)
{
    PAPER_INFO p = customPaper(L"Card", 100, 150);
    ASSERT_EQ(0, list->AddCustomPaper(&p));
    EXPECT_EQ(257, p.id);  // written into the caller's record too
    EXPECT_EQ((std::vector<DWORD>{0, 1, 0, 1}), flagsOf(p));
    EXPECT_EQ(257, list->CustomPapers()[0].id);
    EXPECT_EQ((std::vector<DWORD>{0, 1, 0, 1}), flagsOf(list->CustomPapers()[0]));
    addCustom(19);
    EXPECT_EQ(276, list->CustomPapers()[19].id);
    PAPER_INFO extra = customPaper(L"Extra", 100, 150);
    EXPECT_EQ(-1, list->AddCustomPaper(&extra));
    EXPECT_EQ(999, extra.id);
    EXPECT_EQ(20, list->GetCustomCount());
    EXPECT_EQ(-1, list->AddCustomPaper(nullptr));
}

TEST_F(PaperListWithDataFile, DeletingRenumbersTheRest)
{
    addCustom(3);
    EXPECT_FALSE(list->DeleteCustomPaper(3));
    EXPECT_FALSE(list->DeleteCustomPaper(-1));
    ASSERT_TRUE(list->DeleteCustomPaper(0));
    ASSERT_EQ(2, list->GetCustomCount());
    EXPECT_EQ(257, list->CustomPapers()[0].id);
    EXPECT_STREQ(L"Custom 1", list->CustomPapers()[0].name);
    EXPECT_EQ(258, list->CustomPapers()[1].id);
    PAPER_INFO p = customPaper(L"Next", 100, 150);
    EXPECT_EQ(2, list->AddCustomPaper(&p));
    EXPECT_EQ(259, p.id);
}

TEST_F(PaperListWithDataFile, FindsPapersByIndexIdAndName)
{
    EXPECT_EQ(-1, list->FindPaperById(257));
    PAPER_INFO odd = list->StandardPapers()[0];
    odd.id = 257;
    list->StandardPapers().Add(odd);  // a standard paper with an id in the custom range
    EXPECT_EQ(-1, list->FindPaperById(257));
    list->StandardPapers().RemoveAt(10);

    addCustom(2);
    EXPECT_EQ(5, list->FindPaperById(5));
    EXPECT_EQ(11, list->FindPaperById(258));
    EXPECT_EQ(-1, list->FindPaperById(259));
    EXPECT_EQ(-1, list->FindPaperById(-1));
    EXPECT_EQ(&list->CustomPapers()[1], list->GetPaper(11));
    EXPECT_EQ(&list->StandardPapers()[0], list->GetPaper(0));
    EXPECT_EQ(nullptr, list->GetPaper(12));
    EXPECT_EQ(nullptr, list->GetPaper(-1));

    EXPECT_EQ(&list->StandardPapers()[1], list->FindPaperByName(CString(L"A4")));
    EXPECT_EQ(&list->CustomPapers()[1], list->FindPaperByName(CString(L"Custom 1")));
    EXPECT_EQ(nullptr, list->FindPaperByName(CString(L"a4")));
    EXPECT_EQ(nullptr, list->FindPaperByName(CString(L"B5")));  // it is "B5 "

    EXPECT_EQ(1u, list->GetPaperField(1, PAPER_FLAG_FEED_EDGE));
    EXPECT_EQ(0u, list->GetPaperField(5, PAPER_FLAG_OPTIONAL_TRAY));
    EXPECT_EQ(0u, list->GetPaperField(10, PAPER_FLAG_DUPLEX));
    EXPECT_EQ(1u, list->GetPaperField(10, PAPER_FLAG_INPUT_SLOT));
    EXPECT_EQ(0u, list->GetPaperField(-1, 1));
    EXPECT_EQ(0u, list->GetPaperField(12, 1));
    EXPECT_EQ(0u, list->GetPaperField(1, 4));
}

TEST_F(PaperListWithDataFile, NamesMustBeNewNonBlankAsStored)
{
    addCustom(2);
    EXPECT_FALSE(list->IsValidPaperName(-1, L"A4"));
    EXPECT_FALSE(list->IsValidPaperName(-1, L"Custom 1"));
    EXPECT_FALSE(list->IsValidPaperName(0, L"Custom 1"));
    EXPECT_TRUE(list->IsValidPaperName(1, L"Custom 1"));  // keeps its own name
    EXPECT_TRUE(list->IsValidPaperName(0, L"Custom 0"));
    EXPECT_TRUE(list->IsValidPaperName(-1, L"a4"));
    EXPECT_FALSE(list->IsValidPaperName(-1, L""));
    EXPECT_FALSE(list->IsValidPaperName(-1, nullptr));
    EXPECT_FALSE(list->IsValidPaperName(-1, L"   "));
    EXPECT_TRUE(list->IsValidPaperName(-1, L"\t"));
    EXPECT_TRUE(list->IsValidPaperName(-1, L"  Card"));

    // Compared as the record will hold it: the first 31 characters.
    PAPER_INFO p = customPaper(L"A very long paper name, part on", 100, 150);
    ASSERT_EQ(2, list->AddCustomPaper(&p));
    EXPECT_FALSE(list->IsValidPaperName(-1, L"A very long paper name, part one"));
    EXPECT_FALSE(list->IsValidPaperName(-1, L"A very long paper name, part on and more"));
    EXPECT_TRUE(list->IsValidPaperName(2, L"A very long paper name, part one"));
    EXPECT_FALSE(list->IsValidPaperName(-1, (std::wstring(31, L' ') + L"x").c_str()));
}

TEST(PaperClamp, EachUnitIsHeldToItsOwnBounds)
{
    PAPER_INFO low = {};
    low.widthMm = 50;
    low.heightMm = 500;
    low.widthInch = 1;
    low.heightInch = 20;
    low.width = 100;
    low.height = 2000;
    CPaperList::ClampPaperSize(&low);
    EXPECT_FLOAT_EQ(90.0f, low.widthMm);
    EXPECT_FLOAT_EQ(356.0f, low.heightMm);
    EXPECT_FLOAT_EQ(3.54f, low.widthInch);
    EXPECT_FLOAT_EQ(14.0f, low.heightInch);
    EXPECT_EQ(256, low.width);
    EXPECT_EQ(1008, low.height);

    PAPER_INFO high = {};
    high.widthMm = 300;
    high.heightMm = 100;
    high.widthInch = 9;
    high.heightInch = 4;
    high.width = 700;
    high.height = 300;
    CPaperList::ClampPaperSize(&high);
    EXPECT_FLOAT_EQ(216.0f, high.widthMm);
    EXPECT_FLOAT_EQ(120.0f, high.heightMm);
    EXPECT_FLOAT_EQ(8.5f, high.widthInch);
    EXPECT_FLOAT_EQ(4.72f, high.heightInch);
    EXPECT_EQ(612, high.width);
    EXPECT_EQ(341, high.height);

    // 216 mm is 8.504 inches: the inch width is held to its own bound.
    PAPER_INFO edge = {};
    SetPaperSize(&edge, 216.0f, 356.0f, FALSE, 72);
    CPaperList::ClampPaperSize(&edge);
    EXPECT_FLOAT_EQ(216.0f, edge.widthMm);
    EXPECT_FLOAT_EQ(8.5f, edge.widthInch);
    EXPECT_EQ(612, edge.width);
    CPaperList::ClampPaperSize(nullptr);

    CPaperList bare;
    const float* mm = bare.GetSizeLimits(PAPER_UNIT_MM);
    const float* inch = bare.GetSizeLimits(PAPER_UNIT_INCH);
    EXPECT_EQ((std::vector<float>{90, 216, 120, 356}), std::vector<float>(mm, mm + 4));
    EXPECT_EQ((std::vector<float>{3.54f, 8.5f, 4.72f, 14.0f}), std::vector<float>(inch, inch + 4));
    EXPECT_EQ(257, bare.GetFirstCustomId());
}

TEST_F(PaperListWithDataFile, TrayListIsAnyPaperThenThoseForOptionalTrays)
{
    addCustom(1);
    CArray<PAPER_INFO> trays;
    PAPER_INFO kept = {};
    kept.id = 42;
    trays.Add(kept);
    list->GetTrayPaperList(&trays);
    ASSERT_EQ(1 + 1 + 5 + 1, trays.GetSize());  // kept, "*", five standard papers, the custom one
    EXPECT_EQ(42, trays[0].id);
    EXPECT_EQ(-1, trays[1].id);
    EXPECT_STREQ(L"*", trays[1].name);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, 0}), flagsOf(trays[1]));
    EXPECT_EQ(0.0f, trays[1].widthMm);
    const wchar_t* names[] = {L"Letter", L"A4", L"Legal", L"Executive", L"A5", L"Custom 0"};
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(names[i], trays[2 + i].name);
    EXPECT_EQ(257, trays[7].id);

    CArray<PAPER_INFO> none;
    CPaperList().GetTrayPaperList(&none);
    ASSERT_EQ(1, none.GetSize());
    EXPECT_EQ(-1, none[0].id);
}

TEST_F(PaperListWithDataFile, SelectingWritesPageSizeOrTheCustomSize)
{
    ASSERT_TRUE(list->SelectPaper(1));
    std::vector<harness::CoreCall> writes = calls(CoreMethod::SetOptions);
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(bytes("PageSize\0A4\0\0\0", 14), writes[0].input);
    EXPECT_EQ("A4", core->selection("PageSize"));

    PAPER_INFO p = customPaper(L"Letter-like", 8.5f, 11.0f, PAPER_UNIT_INCH);
    list->AddCustomPaper(&p);
    core->clearCalls();
    ASSERT_TRUE(list->SelectPaper(257));
    writes = calls(CoreMethod::SetOptions);
    ASSERT_EQ(2u, writes.size());
    EXPECT_EQ(bytes("PageSize\0CustomPageSize\0\0\0", 26), writes[0].input);
    const char size[] = "%CustomPageSize\0" "612 792 0 0 ShortEdge\0";
    EXPECT_EQ(bytes(size, sizeof size), writes[1].input);
    EXPECT_EQ(39u, writes[1].cbIn);

    core->clearCalls();
    EXPECT_FALSE(list->SelectPaper(258));  // no such custom paper
    EXPECT_FALSE(list->SelectPaper(-1));
    EXPECT_FALSE(list->SelectPaper(0x10001));  // not cut to option 1
    EXPECT_FALSE(list->SelectPaper(11));  // beyond the options
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));

    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED);
    EXPECT_FALSE(list->SelectPaper(2));
    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED, 2);
    EXPECT_FALSE(list->SelectPaper(257));
}

// --- the custom-paper file --------------------------------------------------------------

TEST(CustomPaperDataFile, NoFileIsNoCustomPaper)
{
    PaperFile file;
    LoadedList loaded;
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(0, loaded.list.GetCustomCount());
    EXPECT_EQ(0, loaded.list.GetStandardCount());
    EXPECT_FALSE(loaded.list.IsValid());
}

TEST(CustomPaperDataFile, RecordsGoBackToBackAndComeBackRenumbered)
{
    PaperFile file;
    for (int n : {1, 2}) {
        SCOPED_TRACE(n);
        CPaperList list;
        std::vector<PAPER_INFO> stored = records(n);
        for (PAPER_INFO& p : stored)
            list.AddCustomPaper(&p);
        ASSERT_TRUE(list.SaveCustomPapers());
        std::optional<std::string> content = file.read();
        ASSERT_TRUE(content);
        ASSERT_EQ(112u * n, content->size());
        EXPECT_EQ(0, memcmp(content->data(), list.CustomPapers().GetData(), content->size()));
        EXPECT_EQ(0, file.strayFiles());

        // Ids and flags of the file are replaced on load.
        std::vector<PAPER_INFO> odd = stored;
        for (PAPER_INFO& p : odd) {
            p.id = 7;
            p.flag[0] = p.flag[2] = 1;
            p.flag[1] = p.flag[3] = 0;
        }
        ASSERT_TRUE(file.write(odd));
        LoadedList loaded;
        ASSERT_TRUE(loaded.result);
        ASSERT_EQ(n, loaded.list.GetCustomCount());
        for (int i = 0; i < n; ++i) {
            const PAPER_INFO& p = loaded.list.CustomPapers()[i];
            EXPECT_EQ(257 + i, p.id);
            EXPECT_EQ((std::vector<DWORD>{0, 1, 0, 1}), flagsOf(p));
            EXPECT_STREQ(stored[i].name, p.name);
            EXPECT_EQ(stored[i].width, p.width);
            EXPECT_EQ(stored[i].widthInch, p.widthInch);
            EXPECT_EQ(i, loaded.list.FindPaperById(257 + i));
        }
    }
}

TEST(CustomPaperDataFile, NoPaperSavesAnEmptyFileThatLoadsAsDamaged)
{
    PaperFile file;
    ASSERT_TRUE(file.write(records(2)));
    CPaperList empty;
    ASSERT_TRUE(empty.SaveCustomPapers());
    ASSERT_TRUE(file.read());
    EXPECT_EQ(0u, file.read()->size());

    CPaperList list;
    PAPER_INFO p = customPaper(L"Kept", 100, 150);
    list.AddCustomPaper(&p);
    EXPECT_FALSE(list.LoadCustomPapers());
    ASSERT_EQ(1, list.GetCustomCount());
    EXPECT_STREQ(L"Kept", list.CustomPapers()[0].name);
}

TEST(CustomPaperDataFile, SizesNotAMultipleOfARecordAreIgnoredWhole)
{
    PaperFile file;
    std::string two(reinterpret_cast<const char*>(records(2).data()), 224);
    for (size_t size : {111u, 113u, 225u, 1u}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(
            file.write(two.substr(0, std::min(size, two.size())) + std::string(size > 224 ? size - 224 : 0, 'x')));
        CPaperList list;
        PAPER_INFO p = customPaper(L"Kept", 100, 150);
        list.AddCustomPaper(&p);
        EXPECT_FALSE(list.LoadCustomPapers());
        ASSERT_EQ(1, list.GetCustomCount());
        EXPECT_STREQ(L"Kept", list.CustomPapers()[0].name);
        EXPECT_EQ(size, file.read()->size()) << "the file stays as it is";
    }
}

TEST(CustomPaperDataFile, TakesAtMostTwentyRecords)
{
    PaperFile file;
    for (int n : {20, 21}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(file.write(records(n)));
        LoadedList loaded;
        ASSERT_TRUE(loaded.result);
        ASSERT_EQ(20, loaded.list.GetCustomCount());
        EXPECT_STREQ(L"Stored 19", loaded.list.CustomPapers()[19].name);
        EXPECT_EQ(276, loaded.list.CustomPapers()[19].id);
    }
}

TEST(CustomPaperDataFile, StoredRecordsAreSanitised)
{
    PaperFile file;
    std::vector<PAPER_INFO> stored = records(2);
    for (int i = 0; i < PAPER_NAME_CHARS; ++i)
        stored[0].name[i] = L'a' + (i % 26);  // 32 characters, no NUL
    stored[1].unit = 7;
    ASSERT_TRUE(file.write(stored));
    LoadedList loaded;
    ASSERT_TRUE(loaded.result);
    ASSERT_EQ(2, loaded.list.GetCustomCount());
    EXPECT_EQ(31u, wcslen(loaded.list.CustomPapers()[0].name));
    EXPECT_EQ(0, wmemcmp(stored[0].name, loaded.list.CustomPapers()[0].name, 31));
    EXPECT_EQ(0u, loaded.list.CustomPapers()[1].unit);
    EXPECT_EQ(stored[1].widthMm, loaded.list.CustomPapers()[1].widthMm);
}

TEST(CustomPaperDataFile, ReadingSharesTheFileForReading)
{
    PaperFile file;
    ASSERT_TRUE(file.write(records(3)));
    ASSERT_TRUE(SetFileAttributesW(file.path().c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE reader = CreateFileW(file.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    {
        LoadedList loaded;
        EXPECT_TRUE(loaded.result);
        EXPECT_EQ(3, loaded.list.GetCustomCount());
    }
    CloseHandle(reader);
}

TEST(CustomPaperDataFile, AFailedSaveKeepsThePreviousFile)
{
    PaperFile file;
    const std::vector<PAPER_INFO> previous = records(2);
    const std::string before(reinterpret_cast<const char*>(previous.data()), 224);
    CPaperList list;
    for (PAPER_INFO p : records(3))
        list.AddCustomPaper(&p);

    auto expectKept = [&](const char* what, BOOL saved) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(saved);
        ResetDataFileCalls();
        SetFileAttributesW(file.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::optional<std::string> after = file.read();
        ASSERT_TRUE(after);
        EXPECT_EQ(before, *after);
        EXPECT_EQ(0, file.strayFiles()) << "a temporary file was left";
        ASSERT_TRUE(file.write(before));
    };
    ASSERT_TRUE(file.write(before));

    ASSERT_TRUE(SetFileAttributesW(file.path().c_str(), FILE_ATTRIBUTE_READONLY));
    expectKept("read-only target", list.SaveCustomPapers());

    HANDLE holder = CreateFileW(file.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    BOOL saved = list.SaveCustomPapers();
    CloseHandle(holder);
    expectKept("held open by a reader", saved);

    static int writes;
    writes = 0;
    g_DataFileCalls.WriteFile = [](HANDLE h, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED o) -> BOOL {
        // The disk fills up at the second record.
        return ::WriteFile(h, data, ++writes == 2 ? size / 2 : size, written, o);
    };
    expectKept("a write that comes short", list.SaveCustomPapers());
    EXPECT_EQ(2, writes) << "nothing is written after a short write";

    g_DataFileCalls.CreateFileW = &NoNewFiles;
    expectKept("a folder that cannot be written", list.SaveCustomPapers());

    g_DataFileCalls.MoveFileExW = [](LPCWSTR, LPCWSTR, DWORD) -> BOOL {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    };
    expectKept("the replacement refused", list.SaveCustomPapers());

    // And once nothing is in the way, the save goes through.
    ASSERT_TRUE(list.SaveCustomPapers());
    EXPECT_EQ(336u, file.read()->size());
}

// --- files that cannot be read, damaged and linked ------------------------------------

namespace {

std::string recordBytesOf(const std::vector<PAPER_INFO>& papers)
{
    return std::string(reinterpret_cast<const char*>(papers.data()), papers.size() * sizeof(PAPER_INFO));
}

} // namespace

TEST(CustomPaperDataFile, AMomentaryLockIsWaitedOut)
{
    PaperFile file;
    ASSERT_TRUE(file.write(records(3)));
    FileLock::reset();
    FileLock::releaseAtFirstWait(true);
    g_DataFileCalls.Sleep = &FileLock::Wait;
    FileLock lock(file.path());
    ASSERT_TRUE(lock.held());
    LoadedList loaded;
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(3, loaded.list.GetCustomCount());
    EXPECT_EQ(1, FileLock::waits());
}

TEST(CustomPaperDataFile, AFileThatStaysLockedIsNeverReplacedByWhatDidNotLoad)
{
    PaperFile file;
    const std::string stored = recordBytesOf(records(3));
    ASSERT_TRUE(file.write(stored));
    FileLock::reset();
    g_DataFileCalls.Sleep = &FileLock::Wait;
    CPaperList list;
    {
        FileLock lock(file.path());
        ASSERT_TRUE(lock.held());
        EXPECT_FALSE(list.LoadCustomPapers()) << "a file that is there but cannot be read is no empty list";
        EXPECT_EQ(0, list.GetCustomCount());
    }
    // A few short waits, then the load gives up.
    EXPECT_GE(FileLock::waits(), 1);
    EXPECT_LE(FileLock::waits(), 5);
    EXPECT_LE(FileLock::waitedMs(), 250u);

    // The user adds a paper to the list that did not load, then closes the dialog.
    PAPER_INFO p = customPaper(L"New", 100, 150);
    list.AddCustomPaper(&p);
    EXPECT_FALSE(list.SaveCustomPapers());
    EXPECT_EQ(stored, file.read().value_or(""));
    EXPECT_EQ(0, file.strayFiles());
}

TEST(CustomPaperDataFile, ADamagedFileIsKeptAsABackupBeforeItIsReplaced)
{
    PaperFile file;
    const std::string first = recordBytesOf(records(2)).substr(0, 150);
    ASSERT_TRUE(file.write(first));
    CPaperList list;
    EXPECT_FALSE(list.LoadCustomPapers());
    PAPER_INFO p = customPaper(L"New", 100, 150);
    list.AddCustomPaper(&p);
    ASSERT_TRUE(list.SaveCustomPapers());
    EXPECT_EQ(first, file.backup.read().value_or("")) << "the damaged file is kept";
    EXPECT_EQ(112u, file.read().value_or("").size());

    // A later damaged file gets a backup of its own; the first stays.
    const std::string second = recordBytesOf(records(1)) + "xyz";
    ASSERT_TRUE(file.write(second));
    ASSERT_TRUE(list.SaveCustomPapers());
    EXPECT_EQ(first, file.backup.read().value_or(""));
    EXPECT_EQ(second, file.secondBackup.read().value_or(""));
}

TEST(CustomPaperDataFile, ADamagedFileLargerThanTwentyRecordsIsMovedAsideWhole)
{
    // A hole of 2 GiB: no plug-in wrote it, and the dialog's close copies none of it.
    PaperFile file;
    ASSERT_TRUE(file.write(recordBytesOf(records(1))));
    ASSERT_TRUE(harness::setFileSize(file.path(), 1ull << 31));
    const auto original = harness::fileIndex(file.path());
    CPaperList list;
    EXPECT_TRUE(list.SaveCustomPapers());
    EXPECT_EQ(original, harness::fileIndex(file.backup.path())) << "the file itself, renamed";
    EXPECT_EQ(0u, file.read().value_or("-").size());
    EXPECT_FALSE(harness::fileExists(file.secondBackup.path()));
}

TEST(CustomPaperDataFile, NumbersThatAreNoSizesAreRecomputedFromTheDots)
{
    PaperFile file;
    std::vector<PAPER_INFO> stored = { customPaper(L"Nan", 100, 150), customPaper(L"Inf", 100, 150),
                                       customPaper(L"Huge", 100, 150, PAPER_UNIT_INCH),
                                       customPaper(L"Good", 200, 300) };
    stored[0].widthMm = NAN;
    stored[0].heightInch = -NAN;
    stored[1].heightMm = INFINITY;
    stored[1].widthInch = -INFINITY;
    stored[2].heightInch = -3.0f;  // and every other size far out of bounds
    ASSERT_TRUE(file.write(stored));
    LoadedList loaded;
    ASSERT_TRUE(loaded.result);
    ASSERT_EQ(4, loaded.list.GetCustomCount());
    const PAPER_INFO* p = loaded.list.CustomPapers().GetData();
    auto mm = [](INT32 dots) { return (float)dots * 25.4f / 72.0f; };
    auto inch = [](INT32 dots) { return (float)dots / 72.0f; };

    EXPECT_FLOAT_EQ(mm(p[0].width), p[0].widthMm);
    EXPECT_FLOAT_EQ(inch(p[0].height), p[0].heightInch);
    EXPECT_FLOAT_EQ(mm(p[1].height), p[1].heightMm);
    EXPECT_FLOAT_EQ(inch(p[1].width), p[1].widthInch);
    // Dots beyond their bounds are held to them first.
    EXPECT_EQ(612, p[2].width);
    EXPECT_EQ(1008, p[2].height);
    EXPECT_FLOAT_EQ(mm(612), p[2].widthMm);
    EXPECT_FLOAT_EQ(mm(1008), p[2].heightMm);
    EXPECT_FLOAT_EQ(8.5f, p[2].widthInch);
    EXPECT_FLOAT_EQ(14.0f, p[2].heightInch);
    // What was good stays as stored.
    EXPECT_EQ(stored[0].heightMm, p[0].heightMm);
    EXPECT_EQ(stored[0].widthInch, p[0].widthInch);
    EXPECT_EQ(0, memcmp(&stored[3].width, &p[3].width, offsetof(PAPER_INFO, flag) - offsetof(PAPER_INFO, width)));
}

TEST(CustomPaperDataFile, ALinkedDataFolderIsNeitherReadNorWritten)
{
    harness::LinkedDataFolder linked;
    ASSERT_TRUE(linked.ok()) << "no folder link can be made here";
    const std::wstring elsewhere = linked.target() + L"\\" + harness::widen(CUSTOM_PAPER_FILE_NAME);
    const std::string stored = recordBytesOf(records(2));
    ASSERT_TRUE(harness::writeFile(elsewhere, stored));

    CPaperList list;
    EXPECT_FALSE(list.LoadCustomPapers());
    EXPECT_EQ(0, list.GetCustomCount());
    PAPER_INFO p = customPaper(L"New", 100, 150);
    list.AddCustomPaper(&p);
    EXPECT_FALSE(list.SaveCustomPapers());
    EXPECT_EQ(stored, harness::readFile(elsewhere).value_or(""));
    EXPECT_EQ(1u, harness::filesIn(linked.target()).size());
}

