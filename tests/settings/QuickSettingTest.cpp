// The quick-settings store over its file: the default set and the file's
// bytes, adding and deleting, damaged, unreadable and large files, failed
// saves. Suites ending in "DataFile" write the machine-wide file and hold the
// CTest lock "datafiles"; they put the file and its backup back at the end.
#include "SettingsFixture.h"

#include "harness/TestPrinter.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/Features.h"
#include "settings/QuickSetting.h"
#include "sheets/DataFiles.h"

#include <set>

using namespace settings_test;

namespace {

std::string utf8(const wchar_t* text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? (size_t)n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

// An attribute value as the file holds it.
std::string escaped(const CString& text)
{
    std::string out;
    for (char c : utf8(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string boolText(bool b) { return b ? "true" : "false"; }

// One Item as the store writes it, at the depth of Root/QuickSetting/Item.
std::string itemText(const _QS_STRUCK& r)
{
    auto named = [](const char* element, const CString& name, int index) {
        return "\t\t\t\t<" + std::string(element) + " name=\"" + escaped(name) + "\" index=\"" +
               std::to_string(index) + "\" />\n";
    };
    auto valued = [](const char* element, const std::string& value) {
        return "\t\t\t\t<" + std::string(element) + " value=\"" + value + "\" />\n";
    };
    return "\t\t<Item name=\"" + escaped(r.name) + "\" id=\"" + std::to_string(r.id) + "\">\n" +
           "\t\t\t<Paper>\n" + named("Size", r.paper.sizeName, r.paper.sizeIndex) +
           named("Media", r.paper.mediaName, r.paper.mediaIndex) +
           named("InputSlot", r.paper.inputSlotName, r.paper.inputSlotIndex) +
           named("FeedEdge", r.paper.feedEdgeName, r.paper.feedEdgeIndex) + "\t\t\t</Paper>\n" +
           "\t\t\t<Copies>\n" + valued("Number", std::to_string(r.copies)) + valued("Collate", boolText(r.collate)) +
           "\t\t\t</Copies>\n" + "\t\t\t<Duplex>\n" + named("AutoDuplex", r.duplexName, r.duplexIndex) +
           "\t\t\t</Duplex>\n" + "\t\t\t<Layout>\n" + "\t\t\t\t<Nup index=\"" + std::to_string(r.pagesPerSheet) +
           "\" />\n" + valued("NupBorder", boolText(r.pageBorder)) + valued("Scale", std::to_string(r.scale)) +
           "\t\t\t</Layout>\n" + "\t\t\t<Orientation>\n" +
           named("DocOrientation", r.orientationName, r.orientationIndex) +
           valued("Rotate180", boolText(r.rotate180)) + "\t\t\t</Orientation>\n" + "\t\t\t<Effect>\n" +
           "\t\t\t\t<Resolution index=\"" + std::to_string(r.resolutionIndex) + "\" name=\"" +
           escaped(r.resolutionName) + "\" />\n" + valued("Economic", boolText(r.tonerEconomy)) +
           valued("Density", std::to_string(r.density)) + "\t\t\t</Effect>\n" + "\t\t</Item>\n";
}

// The declaration of a file the store made, and of one it saves after a load.
const char kFullDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char kShortDeclaration[] = "<?xml version=\"1.0\"?>\n";

// A whole file around these items' texts, as a save after a load writes it.
std::string wrapped(const std::string& items, const std::string& declaration = kShortDeclaration)
{
    return declaration + "<Root>\n\t<QuickSetting>\n" + items + "\t</QuickSetting>\n</Root>\n";
}

std::string fileText(const std::vector<_QS_STRUCK>& items)
{
    std::string text;
    for (const _QS_STRUCK& r : items)
        text += itemText(r);
    return wrapped(text);
}

// An item's text without one of its elements (and that element's children).
std::string without(const std::string& item, const std::string& element)
{
    std::string out = item;
    const size_t from = out.find("\t\t\t<" + element + ">\n");
    const std::string end = "</" + element + ">\n";
    const size_t to = out.find(end, from) + end.size();
    out.erase(from, to - from);
    return out;
}

// A set in which every field differs from the defaults and from the other samples.
_QS_STRUCK sample(int id, const wchar_t* name = nullptr)
{
    _QS_STRUCK r;
    r.name = name ? CString(name) : CString((L"Set " + std::to_wstring(id)).c_str());
    r.id = id;
    r.paper.sizeName = L"A5";
    r.paper.sizeIndex = 4 + id;
    r.paper.mediaName = L"Thick Paper";
    r.paper.mediaIndex = 1 + id;
    r.paper.inputSlotName = L"Manual Feed";
    r.paper.inputSlotIndex = 2 + id;
    r.paper.feedEdgeName = L"Long Edge";
    r.paper.feedEdgeIndex = 1 + id;
    r.copies = 12 + id;
    r.collate = true;
    r.duplexName = L"Long Edge Binding";
    r.duplexIndex = 1 + id;
    r.pagesPerSheet = 3 + id;
    r.pageBorder = true;
    r.scale = 250 + id;
    r.orientationName = L"Landscape";
    r.orientationIndex = 1 + id;
    r.rotate180 = true;
    r.resolutionName = L"1200 dpi";
    r.resolutionIndex = 1 + id;
    r.tonerEconomy = true;
    r.density = -2 - id;
    return r;
}

std::vector<_QS_STRUCK> recordsOf(const CQuickSetting& store)
{
    std::vector<_QS_STRUCK> out;
    for (INT_PTR i = 0; i < store.GetCount(); ++i)
        out.push_back(store.GetItem((int)i));
    return out;
}

// The records as file text: equal texts mean equal fields.
std::string textOf(const std::vector<_QS_STRUCK>& records)
{
    std::string text;
    for (const _QS_STRUCK& r : records)
        text += itemText(r);
    return text;
}

size_t count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The store over the printer's PPD, with the quick-settings file and its
// backup kept aside: each test starts without either.
class QuickSettingDataFile : public DriverFixture {
protected:
    void SetUp() override
    {
        DriverFixture::SetUp();
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        ASSERT_EQ(S_OK, model.Acquire(heap.get(), &helper, core->uiObject(), FALSE));
        settings = std::make_unique<CFeatureSettings>(&model, &helper, &param);
        ResetDataFileCalls();
        m_before = harness::filesIn(harness::dataFolder());
    }
    void TearDown() override
    {
        ResetDataFileCalls();
        settings.reset();
        DriverFixture::TearDown();
    }

    std::unique_ptr<CQuickSetting> open() { return std::make_unique<CQuickSetting>(printer.handle(), settings.get()); }
    // Files of the data folder that the test did not start with.
    std::vector<std::wstring> strayFiles() const
    {
        std::vector<std::wstring> out;
        for (const std::wstring& name : harness::filesIn(harness::dataFolder()))
            if (!m_before.count(name) && name != harness::widen(QUICK_SETTINGS_FILE_NAME) &&
                name != harness::widen(QUICK_SETTINGS_FILE_NAME ".bak") &&
                name != harness::widen(QUICK_SETTINGS_FILE_NAME ".bak2"))
                out.push_back(name);
        return out;
    }
    std::string content() const { return file.read().value_or("<no file>"); }

    // The default set as the English language module and the PPD name it.
    _QS_STRUCK expectedDefault() const
    {
        _QS_STRUCK r;
        r.name = L"Factory Defaults";
        r.paper.sizeName = IsMetricLocale() ? L"A4" : L"Letter";
        r.paper.sizeIndex = IsMetricLocale() ? 1 : 0;
        r.paper.mediaName = L"Plain Paper";
        r.paper.inputSlotName = L"Automatic";
        r.paper.feedEdgeName = L"Short Edge";
        r.copies = 1;
        r.duplexName = L"One-sided";
        r.scale = 100;
        r.orientationName = L"Portrait";
        r.resolutionName = L"600 dpi";
        r.density = 1;
        return r;
    }

    harness::TestPrinter printer;
    CFeatures model;
    std::unique_ptr<CFeatureSettings> settings;
    KeptDataFile file{ QUICK_SETTINGS_FILE_NAME };
    KeptDataFile backup{ QUICK_SETTINGS_FILE_NAME ".bak" };
    KeptDataFile secondBackup{ QUICK_SETTINGS_FILE_NAME ".bak2" };

private:
    std::set<std::wstring> m_before;
};

} // namespace

TEST(QuickSetRecord, StartsAllZero)
{
    _QS_STRUCK r;
    EXPECT_TRUE(r.name.IsEmpty() && r.paper.sizeName.IsEmpty() && r.duplexName.IsEmpty());
    EXPECT_EQ(0, r.id | r.paper.sizeIndex | r.paper.mediaIndex | r.paper.inputSlotIndex | r.paper.feedEdgeIndex |
                     r.copies | r.duplexIndex | r.pagesPerSheet | r.scale | r.orientationIndex | r.resolutionIndex |
                     r.density);
    EXPECT_FALSE(r.collate || r.pageBorder || r.rotate180 || r.tonerEconomy);
}

// --- a new file -------------------------------------------------------------------------

TEST_F(QuickSettingDataFile, ANewFileHoldsExactlyTheDefaultSet)
{
    auto store = open();
    ASSERT_EQ(1, store->GetCount());
    EXPECT_EQ(textOf({ expectedDefault() }), textOf(recordsOf(*store)));

    const std::string paper =
        IsMetricLocale() ? "<Size name=\"A4\" index=\"1\" />" : "<Size name=\"Letter\" index=\"0\" />";
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<Root>\n"
                                 "\t<QuickSetting>\n"
                                 "\t\t<Item name=\"Factory Defaults\" id=\"0\">\n"
                                 "\t\t\t<Paper>\n"
                                 "\t\t\t\t" + paper + "\n"
                                 "\t\t\t\t<Media name=\"Plain Paper\" index=\"0\" />\n"
                                 "\t\t\t\t<InputSlot name=\"Automatic\" index=\"0\" />\n"
                                 "\t\t\t\t<FeedEdge name=\"Short Edge\" index=\"0\" />\n"
                                 "\t\t\t</Paper>\n"
                                 "\t\t\t<Copies>\n"
                                 "\t\t\t\t<Number value=\"1\" />\n"
                                 "\t\t\t\t<Collate value=\"false\" />\n"
                                 "\t\t\t</Copies>\n"
                                 "\t\t\t<Duplex>\n"
                                 "\t\t\t\t<AutoDuplex name=\"One-sided\" index=\"0\" />\n"
                                 "\t\t\t</Duplex>\n"
                                 "\t\t\t<Layout>\n"
                                 "\t\t\t\t<Nup index=\"0\" />\n"
                                 "\t\t\t\t<NupBorder value=\"false\" />\n"
                                 "\t\t\t\t<Scale value=\"100\" />\n"
                                 "\t\t\t</Layout>\n"
                                 "\t\t\t<Orientation>\n"
                                 "\t\t\t\t<DocOrientation name=\"Portrait\" index=\"0\" />\n"
                                 "\t\t\t\t<Rotate180 value=\"false\" />\n"
                                 "\t\t\t</Orientation>\n"
                                 "\t\t\t<Effect>\n"
                                 "\t\t\t\t<Resolution index=\"0\" name=\"600 dpi\" />\n"
                                 "\t\t\t\t<Economic value=\"false\" />\n"
                                 "\t\t\t\t<Density value=\"1\" />\n"
                                 "\t\t\t</Effect>\n"
                                 "\t\t</Item>\n"
                                 "\t</QuickSetting>\n"
                                 "</Root>\n";
    EXPECT_EQ(expected, content()) << "no byte-order mark, LF line ends, one tab per level";
    EXPECT_TRUE(strayFiles().empty());
    EXPECT_FALSE(backup.read()) << "nothing to keep aside";
}

TEST_F(QuickSettingDataFile, ReopeningKeepsTheSetAndLaterSavesWriteTheShortDeclaration)
{
    open();
    auto store = open();
    ASSERT_EQ(1, store->GetCount());
    EXPECT_EQ(textOf({ expectedDefault() }), textOf(recordsOf(*store)));
    EXPECT_EQ(1, store->GetFreeId());
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_EQ(fileText({ expectedDefault(), sample(1) }), content());
}

TEST_F(QuickSettingDataFile, AMissingFileThatCannotBeWrittenStillGivesTheDefaultSet)
{
    g_DataFileCalls.CreateFileW = &NoNewFiles;
    auto store = open();
    EXPECT_FALSE(file.read());
    ASSERT_EQ(1, store->GetCount());
    EXPECT_EQ(1, store->GetFreeId()) << "the default set's id is taken";
    ResetDataFileCalls();
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_EQ(2u, count(content(), "<Item "));
}

// --- adding and deleting ----------------------------------------------------------------

TEST_F(QuickSettingDataFile, SetsRoundTripThroughTheFileInOrder)
{
    _QS_STRUCK negative = sample(4);
    negative.copies = -7;
    negative.scale = 0;
    negative.collate = negative.pageBorder = negative.rotate180 = negative.tonerEconomy = false;
    const std::vector<_QS_STRUCK> added = { expectedDefault(), sample(1), sample(2), sample(3), negative };
    {
        auto store = open();
        for (size_t i = 1; i < added.size(); ++i)
            ASSERT_EQ(S_OK, store->AddItem(added[i]));
        EXPECT_EQ(5, store->GetCount());
        EXPECT_EQ(wrapped(textOf(added), kFullDeclaration), content()) << "a store that made the file";
    }
    auto store = open();
    EXPECT_EQ(textOf(added), textOf(recordsOf(*store)));

    ASSERT_EQ(S_OK, store->DeleteItem(2));
    EXPECT_EQ(E_FAIL, store->DeleteItem(2)) << "already gone";
    EXPECT_EQ(E_FAIL, store->DeleteItem(77));
    EXPECT_EQ(fileText({ expectedDefault(), sample(1), sample(3), negative }), content());
    EXPECT_EQ(2, store->GetFreeId());

    auto reopened = open();
    EXPECT_EQ(textOf({ expectedDefault(), sample(1), sample(3), negative }), textOf(recordsOf(*reopened)));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(QuickSettingDataFile, SixteenSetsComeBack)
{
    std::vector<_QS_STRUCK> expected = { expectedDefault() };
    {
        auto store = open();
        for (int i = 1; i < 16; ++i) {
            _QS_STRUCK r = sample(store->GetFreeId(), (L"Sixteen " + std::to_wstring(i)).c_str());
            expected.push_back(r);
            ASSERT_EQ(S_OK, store->AddItem(r));
        }
    }
    auto store = open();
    EXPECT_EQ(16, store->GetCount());
    EXPECT_EQ(textOf(expected), textOf(recordsOf(*store)));
    EXPECT_EQ(16, store->GetFreeId());
}

TEST_F(QuickSettingDataFile, FreeIdsAreTheLowestOnesNoSetHolds)
{
    ASSERT_TRUE(file.write(fileText({ sample(0), sample(1), sample(3) })));
    {
        auto store = open();
        EXPECT_EQ(2, store->GetFreeId());
        EXPECT_EQ(E_FAIL, store->AddItem(sample(3))) << "an id that is held";
        EXPECT_EQ(E_FAIL, store->AddItem(sample(-1)));
        EXPECT_EQ(3, store->GetCount());
    }

    std::vector<_QS_STRUCK> all;
    for (int id = 999; id >= 0; --id)
        all.push_back(sample(id));
    const std::string full = fileText(all);
    ASSERT_TRUE(file.write(full));
    auto store = open();
    ASSERT_EQ(1000, store->GetCount());
    EXPECT_EQ(1000, store->GetFreeId());
    EXPECT_EQ(E_FAIL, store->AddItem(sample(store->GetFreeId())));
    EXPECT_EQ(1000, store->GetCount());
    EXPECT_EQ(full, content()) << "a refused set writes nothing";
    ASSERT_EQ(S_OK, store->DeleteItem(500));
    EXPECT_EQ(500, store->GetFreeId());
}

TEST_F(QuickSettingDataFile, GetItemAnswersNoSetOutsideTheList)
{
    auto store = open();
    ASSERT_EQ(1, store->GetCount());
    for (int index : { -1, 1, 1000 }) {
        _QS_STRUCK none = store->GetItem(index);
        EXPECT_EQ(-1, none.id) << index;
        EXPECT_TRUE(none.name.IsEmpty());
    }
}

TEST_F(QuickSettingDataFile, NamesWithXmlSpecialCharactersComeBackAsTyped)
{
    const wchar_t* names[] = { L"R&D <draft>", L"\"Quoted\" 'single'", L"B\u00fcro \u65e5\u672c &amp;" };
    {
        auto store = open();
        int id = 1;
        for (const wchar_t* name : names)
            ASSERT_EQ(S_OK, store->AddItem(sample(id++, name)));
    }
    const std::string text = content();
    EXPECT_NE(std::string::npos, text.find("name=\"R&amp;D &lt;draft>\""));
    EXPECT_NE(std::string::npos, text.find("name=\"&quot;Quoted&quot; 'single'\""));
    EXPECT_NE(std::string::npos, text.find("name=\"B\xc3\xbcro \xe6\x97\xa5\xe6\x9c\xac &amp;amp;\""));
    auto store = open();
    ASSERT_EQ(4, store->GetCount());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CString(names[i]), store->GetItem(i + 1).name);
}

// --- files that cannot be read whole ----------------------------------------------------

TEST_F(QuickSettingDataFile, AFileThatIsNotXmlIsKeptAsBackup)
{
    const std::string junk("This is no XML \x01\x02\xff<<\0 at all", 27);
    ASSERT_TRUE(file.write(junk));
    auto store = open();
    EXPECT_EQ(0, store->GetCount());
    EXPECT_EQ(junk, content()) << "not touched by the load";
    EXPECT_EQ(junk, backup.read().value_or(""));

    ASSERT_EQ(S_OK, store->AddItem(sample(store->GetFreeId())));
    EXPECT_EQ(fileText({ sample(0) }), content());
    EXPECT_EQ(junk, backup.read().value_or(""));
    auto reopened = open();
    EXPECT_EQ(textOf({ sample(0) }), textOf(recordsOf(*reopened)));
}

TEST_F(QuickSettingDataFile, AFileCutInTheMiddleKeepsTheSetsBeforeTheCut)
{
    const std::string whole = fileText({ sample(0), sample(1), sample(7) });
    // Cut inside the last set's paper size: its index "11" would read as "1".
    const size_t cut = whole.find("index=\"11\"") + 8;
    const std::string cutFile = whole.substr(0, cut);
    ASSERT_TRUE(file.write(cutFile));

    auto store = open();
    EXPECT_EQ(textOf({ sample(0), sample(1) }), textOf(recordsOf(*store)));
    EXPECT_EQ(cutFile, backup.read().value_or(""));
    EXPECT_EQ(2, store->GetFreeId());
    ASSERT_EQ(S_OK, store->AddItem(sample(2)));
    EXPECT_EQ(E_FAIL, store->AddItem(sample(7))) << "the cut set's id stays taken";
    EXPECT_EQ(3, store->GetFreeId());

    const std::string text = content();
    EXPECT_EQ(4u, count(text, "<Item ")) << "the cut set is kept as far as it could be read";
    EXPECT_EQ(cutFile, backup.read().value_or(""));
    auto reopened = open();
    std::vector<_QS_STRUCK> records = recordsOf(*reopened);
    EXPECT_EQ(textOf({ sample(0), sample(1), sample(2) }), textOf(records));
}

TEST_F(QuickSettingDataFile, ACutInTheLastValueDoesNotPassForASet)
{
    const std::string whole = fileText({ sample(0), sample(7) });
    // Every element of the last set is there, but its density reads "-" instead of "-9".
    const std::string cutFile = whole.substr(0, whole.rfind("<Density value=\"-9\"") + 17);
    ASSERT_TRUE(file.write(cutFile));
    auto store = open();
    EXPECT_EQ(textOf({ sample(0) }), textOf(recordsOf(*store)));
    EXPECT_EQ(E_FAIL, store->DeleteItem(7));
    EXPECT_EQ(1, store->GetFreeId());
}

TEST_F(QuickSettingDataFile, ASetThatCannotBeReadIsSkippedAndWrittenBackAsItWas)
{
    // The middle set lacks its Copies element.
    const std::string broken = without(itemText(sample(5)), "Copies");
    ASSERT_TRUE(file.write(wrapped(itemText(sample(0)) + broken + itemText(sample(2)))));

    auto store = open();
    EXPECT_EQ(textOf({ sample(0), sample(2) }), textOf(recordsOf(*store)));
    EXPECT_FALSE(backup.read()) << "the file itself parses";
    EXPECT_EQ(1, store->GetFreeId());
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    ASSERT_EQ(S_OK, store->AddItem(sample(3)));
    EXPECT_EQ(4, store->GetFreeId()) << "id 5 belongs to the skipped set";
    EXPECT_EQ(E_FAIL, store->AddItem(sample(5)));
    EXPECT_EQ(E_FAIL, store->DeleteItem(5));
    ASSERT_EQ(S_OK, store->DeleteItem(2));

    EXPECT_EQ(wrapped(itemText(sample(0)) + broken + itemText(sample(1)) + itemText(sample(3))), content());
    auto reopened = open();
    EXPECT_EQ(textOf({ sample(0), sample(1), sample(3) }), textOf(recordsOf(*reopened)));
}

TEST_F(QuickSettingDataFile, MissingAttributesReadAsZeroAndOrderDoesNotMatter)
{
    const std::string reordered =
        "<Root><QuickSetting>"
        "<Item><Paper><Size/><Media/><InputSlot/><FeedEdge/></Paper><Copies><Number/><Collate/></Copies>"
        "<Duplex><AutoDuplex/></Duplex><Layout><Nup/><NupBorder/><Scale/></Layout>"
        "<Orientation><DocOrientation/><Rotate180/></Orientation>"
        "<Effect><Resolution/><Economic/><Density/></Effect></Item>"
        "<Preset extra='1' id=' 0x1F' name='Reordered'>"
        "<Effect><Density value='2'/><Economic value='Yes'/><Resolution name='1200 dpi' index='1'/></Effect>"
        "<Orientation><Rotate180 value='1'/><DocOrientation index='1' name='Landscape'/></Orientation>"
        "<Layout><Scale value='-40'/><NupBorder value='T'/><Nup index='2'/></Layout>"
        "<Duplex><AutoDuplex index='1' name='Long'/></Duplex>"
        "<Copies><Collate value='no'/><Number value='3'/></Copies><Unknown/>"
        "<Paper><FeedEdge index='1' name='Long Edge'/><InputSlot index='2' name='Manual'/>"
        "<Media index='3' name='Thin'/><Size index='4' name='A5'/></Paper></Preset>"
        "</QuickSetting></Root>";
    ASSERT_TRUE(file.write(reordered));
    auto store = open();
    ASSERT_EQ(2, store->GetCount());
    EXPECT_EQ(textOf({ _QS_STRUCK() }), textOf({ store->GetItem(0) }));
    _QS_STRUCK r = store->GetItem(1);
    EXPECT_EQ(31, r.id);
    EXPECT_EQ(CString(L"Reordered"), r.name);
    EXPECT_EQ(4, r.paper.sizeIndex);
    EXPECT_EQ(CString(L"Thin"), r.paper.mediaName);
    EXPECT_EQ(3, r.copies);
    EXPECT_FALSE(r.collate);
    EXPECT_TRUE(r.pageBorder && r.rotate180 && r.tonerEconomy);
    EXPECT_EQ(-40, r.scale);
    EXPECT_EQ(2, r.density);
    EXPECT_EQ(CString(L"1200 dpi"), r.resolutionName);

    // The set without an id is set 0: a delete of 0 takes it.
    ASSERT_EQ(S_OK, store->DeleteItem(0));
    EXPECT_EQ(1u, count(content(), "<Preset "));
    EXPECT_EQ(0u, count(content(), "<Item"));
}

TEST_F(QuickSettingDataFile, ADeleteNeverTakesASetThatCouldNotBeRead)
{
    // First a set without an id that lacks its Effect, then the default set (id 0).
    std::string unreadable = without(itemText(sample(9)), "Effect");
    unreadable.replace(unreadable.find(" id=\"9\""), 7, "");
    ASSERT_TRUE(file.write(wrapped(unreadable + itemText(expectedDefault()))));

    auto store = open();
    ASSERT_EQ(1, store->GetCount());
    ASSERT_EQ(S_OK, store->DeleteItem(0));
    EXPECT_EQ(wrapped(unreadable), content()) << "the unreadable set stays";
}

TEST_F(QuickSettingDataFile, AFileOfSeveralMegabytesLoadsWhole)
{
    std::vector<_QS_STRUCK> many;
    for (int id = 0; id < 4000; ++id)
        many.push_back(sample(id));
    _QS_STRUCK longName = sample(4000);
    longName.name = CString(L'x', 2 << 20);
    many.push_back(longName);
    const std::string text = fileText(many);
    ASSERT_GT(text.size(), 4u << 20);
    ASSERT_TRUE(file.write(text));

    auto store = open();
    ASSERT_EQ(4001, store->GetCount());
    EXPECT_EQ(textOf({ sample(3999) }), textOf({ store->GetItem(3999) }));
    EXPECT_EQ(2 << 20, store->GetItem(4000).name.GetLength());
    EXPECT_EQ(1000, store->GetFreeId());
    ASSERT_EQ(S_OK, store->DeleteItem(17));
    EXPECT_EQ(17, store->GetFreeId());

    auto reopened = open();
    EXPECT_EQ(4000, reopened->GetCount());
    EXPECT_EQ(text.size() - itemText(sample(17)).size(), content().size());
}

TEST_F(QuickSettingDataFile, AGoodFileThatWasBrieflyUnreadableKeepsItsSets)
{
    const std::string previous = fileText({ sample(0), sample(1) });
    ASSERT_TRUE(file.write(previous));
    FileLock::reset();
    g_DataFileCalls.Sleep = &FileLock::Wait;
    std::unique_ptr<CQuickSetting> store;
    {
        FileLock lock(file.path());
        ASSERT_TRUE(lock.held());
        store = open();
        EXPECT_EQ(0, store->GetCount());
        EXPECT_EQ(E_FAIL, store->AddItem(sample(5))) << "not replaced while it cannot be read";
    }
    EXPECT_EQ(previous, content()) << "no default file over it";
    EXPECT_FALSE(backup.read()) << "a file that could not be opened is no damaged file";

    // Readable again: the file is read once more before the save, so its sets stay.
    ASSERT_EQ(S_OK, store->AddItem(sample(6)));
    EXPECT_EQ(fileText({ sample(0), sample(1), sample(6) }), content());
    EXPECT_EQ(textOf({ sample(0), sample(1), sample(6) }), textOf(recordsOf(*store)));
    EXPECT_FALSE(backup.read());
}

TEST_F(QuickSettingDataFile, AMomentaryLockIsWaitedOut)
{
    ASSERT_TRUE(file.write(fileText({ sample(0), sample(1) })));
    FileLock::reset();
    FileLock::releaseAtFirstWait(true);
    g_DataFileCalls.Sleep = &FileLock::Wait;
    FileLock lock(file.path());
    ASSERT_TRUE(lock.held());
    auto store = open();
    EXPECT_EQ(textOf({ sample(0), sample(1) }), textOf(recordsOf(*store)));
    EXPECT_EQ(1, FileLock::waits());
}

TEST_F(QuickSettingDataFile, BackupsAreNumberedAndNeverOverwritten)
{
    const std::string first = "<Root><QuickSetting><Item";
    ASSERT_TRUE(file.write(first));
    open();
    EXPECT_EQ(first, backup.read().value_or(""));
    open();
    EXPECT_FALSE(secondBackup.read()) << "the same damaged file is kept once";

    const std::string second = "no XML";
    ASSERT_TRUE(file.write(second));
    auto store = open();
    EXPECT_EQ(first, backup.read().value_or(""));
    EXPECT_EQ(second, secondBackup.read().value_or(""));
    ASSERT_EQ(S_OK, store->AddItem(sample(0)));
    EXPECT_EQ(first, backup.read().value_or(""));
    EXPECT_EQ(second, secondBackup.read().value_or(""));
}

namespace {

// A set that is whole but for one extra element nested that many levels deep.
std::string deepItemText(int id, int levels)
{
    std::string item = itemText(sample(id));
    std::string chain;
    chain.reserve((size_t)levels * 7);
    for (int i = 0; i < levels; ++i)
        chain += "<X>";
    for (int i = 0; i < levels; ++i)
        chain += "</X>";
    item.insert(item.find("\t\t</Item>"), "\t\t\t" + chain + "\n");
    return item;
}

} // namespace

TEST_F(QuickSettingDataFile, ADeepSetIsSkippedAndNeverFreedLevelByLevel)
{
    const std::string text = wrapped(itemText(sample(0)) + deepItemText(3, 200000) + itemText(sample(1)));
    ASSERT_TRUE(file.write(text));
    auto store = open();
    EXPECT_EQ(textOf({ sample(0), sample(1) }), textOf(recordsOf(*store)));
    EXPECT_EQ(E_FAIL, store->DeleteItem(3));
    EXPECT_EQ(E_FAIL, store->AddItem(sample(3))) << "the skipped set's id stays taken";
    ASSERT_EQ(S_OK, store->DeleteItem(1));
    ASSERT_EQ(S_OK, store->AddItem(sample(2)));
    EXPECT_EQ(fileText({ sample(0), sample(2) }), content());
    EXPECT_EQ(text, backup.read().value_or("")) << "the file with the deep set is kept";
}

TEST_F(QuickSettingDataFile, NoSaveGrowsTheFileBeyondItsContent)
{
    const std::string text = wrapped(itemText(sample(0)) + deepItemText(3, 3000));
    ASSERT_TRUE(file.write(text));
    auto store = open();
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_LE(content().size(), text.size() + itemText(sample(1)).size());
}

TEST_F(QuickSettingDataFile, AFileFarBeyondAThousandSetsIsDamaged)
{
    _QS_STRUCK huge = sample(0);
    huge.name = CString(L'x', 17 << 20);
    const std::string text = fileText({ huge });
    ASSERT_TRUE(file.write(text));
    auto store = open();
    EXPECT_EQ(0, store->GetCount());
    EXPECT_EQ(text.size(), backup.read().value_or("").size());
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_EQ(fileText({ sample(1) }), content());
}

namespace {

int g_refusedMoves = 0;

BOOL WINAPI RefuseMove(LPCWSTR, LPCWSTR, DWORD)
{
    ++g_refusedMoves;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

} // namespace

TEST_F(QuickSettingDataFile, AFileLargerThanALoadTakesIsMovedAsideWholeOnce)
{
    // A hole just over the bound: no plug-in wrote it, and no load copies it.
    ASSERT_TRUE(file.write("<Root>"));
    ASSERT_TRUE(harness::setFileSize(file.path(), MAX_QUICK_SETTINGS_FILE_BYTES + 1));
    const auto original = harness::fileIndex(file.path());
    EXPECT_EQ(0, open()->GetCount());
    EXPECT_FALSE(harness::fileExists(file.path()));
    EXPECT_EQ(original, harness::fileIndex(backup.path())) << "the file itself, renamed";

    // A move that failed is not tried again by the next load of that file.
    ASSERT_TRUE(harness::setFileSize(file.path(), MAX_QUICK_SETTINGS_FILE_BYTES + 1));
    g_DataFileCalls.MoveFileExW = &RefuseMove;
    g_refusedMoves = 0;
    open();
    open();
    EXPECT_EQ(1, g_refusedMoves);
    EXPECT_FALSE(harness::fileExists(secondBackup.path())) << "nor copied instead";
}

TEST_F(QuickSettingDataFile, ALinkedDataFolderIsNeitherReadNorWritten)
{
    harness::LinkedDataFolder linked;
    ASSERT_TRUE(linked.ok()) << "no folder link can be made here";
    const std::wstring elsewhere = linked.target() + L"\\" + harness::widen(QUICK_SETTINGS_FILE_NAME);
    const std::string stored = fileText({ sample(0), sample(1) });
    ASSERT_TRUE(harness::writeFile(elsewhere, stored));

    auto store = open();
    EXPECT_EQ(0, store->GetCount());
    EXPECT_EQ(E_FAIL, store->AddItem(sample(2)));
    EXPECT_EQ(stored, harness::readFile(elsewhere).value_or(""));
    EXPECT_EQ(1u, harness::filesIn(linked.target()).size());
}

TEST_F(QuickSettingDataFile, NoSaveReplacesADamagedFileThatCouldNotBeKeptAside)
{
    const std::string damaged = "<Root><QuickSetting><Item";
    ASSERT_TRUE(file.write(damaged));
    g_DataFileCalls.CreateFileW = &NoNewFiles;
    auto store = open();
    EXPECT_FALSE(backup.read());
    EXPECT_EQ(E_FAIL, store->AddItem(sample(0)));
    EXPECT_EQ(damaged, content());

    // A folder where the first backup would go: the next number takes it.
    ResetDataFileCalls();
    ASSERT_TRUE(CreateDirectoryW(backup.path().c_str(), nullptr));
    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_EQ(damaged, secondBackup.read().value_or(""));
    EXPECT_TRUE(RemoveDirectoryW(backup.path().c_str()));
}

// --- failed saves -----------------------------------------------------------------------

TEST_F(QuickSettingDataFile, AFailedSaveLeavesThePreviousFile)
{
    const std::vector<_QS_STRUCK> stored = { sample(0), sample(1) };
    const std::string previous = fileText(stored);
    ASSERT_TRUE(file.write(previous));
    auto store = open();
    ASSERT_EQ(2, store->GetCount());

    auto expectKept = [&](const char* what, HRESULT hr) {
        SCOPED_TRACE(what);
        EXPECT_EQ(E_FAIL, hr);
        ResetDataFileCalls();
        SetFileAttributesW(file.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(previous, content());
        EXPECT_TRUE(strayFiles().empty()) << "a temporary file was left";
    };

    ASSERT_TRUE(SetFileAttributesW(file.path().c_str(), FILE_ATTRIBUTE_READONLY));
    expectKept("read-only target", store->AddItem(sample(2)));

    HANDLE holder = CreateFileW(file.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    HRESULT hr = store->AddItem(sample(3));
    CloseHandle(holder);
    expectKept("held open by a reader", hr);

    g_DataFileCalls.WriteFile = [](HANDLE h, LPCVOID data, DWORD size, LPDWORD written,
                                           LPOVERLAPPED o) -> BOOL {
        // The disk fills up half way.
        return ::WriteFile(h, data, size / 2, written, o);
    };
    expectKept("a write that comes short", store->AddItem(sample(4)));

    g_DataFileCalls.WriteFile = [](HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) -> BOOL {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    };
    expectKept("a write that fails", store->AddItem(sample(5)));

    g_DataFileCalls.CreateFileW = &NoNewFiles;
    expectKept("a folder that cannot be written", store->AddItem(sample(6)));

    g_DataFileCalls.MoveFileExW = [](LPCWSTR, LPCWSTR, DWORD) -> BOOL {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    };
    expectKept("the replacement refused", store->DeleteItem(1));
    EXPECT_EQ(textOf({ sample(1) }), textOf({ store->GetItem(1) })) << "a failed delete keeps the set";

    // No set of a failed save comes back with a later one.
    EXPECT_EQ(textOf(stored), textOf(recordsOf(*store)));
    ASSERT_EQ(S_OK, store->AddItem(sample(7)));
    EXPECT_EQ(fileText({ sample(0), sample(1), sample(7) }), content());
    ASSERT_EQ(S_OK, store->DeleteItem(1));
    auto reopened = open();
    EXPECT_EQ(textOf({ sample(0), sample(7) }), textOf(recordsOf(*reopened)));
}

// --- other writers of the file ------------------------------------------------------------

TEST_F(QuickSettingDataFile, TwoStoresOnTheFileKeepEachOthersSets)
{
    auto first = open();   // writes the default set, id 0
    auto second = open();
    ASSERT_EQ(S_OK, first->AddItem(sample(1)));
    EXPECT_EQ(E_FAIL, second->AddItem(sample(1, L"Same id"))) << "id 1 is taken in the file";
    EXPECT_EQ(2, second->GetFreeId());
    ASSERT_EQ(S_OK, second->AddItem(sample(2)));
    ASSERT_EQ(S_OK, first->DeleteItem(0));
    ASSERT_EQ(S_OK, second->AddItem(sample(3)));
    ASSERT_EQ(S_OK, first->DeleteItem(2));
    EXPECT_EQ(S_FALSE, second->DeleteItem(2)) << "already deleted by the other";

    const std::vector<_QS_STRUCK> expected = { sample(1), sample(3) };
    EXPECT_EQ(fileText(expected), content());
    EXPECT_EQ(textOf(expected), textOf(recordsOf(*first)));
    EXPECT_EQ(textOf(expected), textOf(recordsOf(*second)));
}

TEST_F(QuickSettingDataFile, AWriterThatCannotGetTheLockFailsAfterABoundedWait)
{
    auto store = open();
    const std::string before = content();
    FileLock::reset();
    g_DataFileCalls.Sleep = &FileLock::Wait;
    const std::wstring lockPath = file.path() + harness::widen(DATA_FILE_LOCK_SUFFIX);
    HANDLE held = CreateFileW(lockPath.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(E_FAIL, store->AddItem(sample(1)));
    CloseHandle(held);
    EXPECT_EQ(DATA_FILE_LOCK_TRIES - 1, FileLock::waits());
    EXPECT_LE(FileLock::waitedMs(), 1000u);
    EXPECT_EQ(before, content());
    EXPECT_EQ(1, store->GetCount());

    ASSERT_EQ(S_OK, store->AddItem(sample(1)));
    EXPECT_EQ(GetFileAttributesW(lockPath.c_str()), INVALID_FILE_ATTRIBUTES) << "the lock goes when let go";
}

// --- a deleted custom paper ----------------------------------------------------------------

namespace {
int g_moves = 0;
BOOL WINAPI CountedMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    ++g_moves;
    return MoveFileExW(from, to, flags);
}
_QS_STRUCK onPaper(int id, const wchar_t* paper, int paperId)
{
    _QS_STRUCK r = sample(id);
    r.paper.sizeName = paper;
    r.paper.sizeIndex = paperId;
    return r;
}
} // namespace

TEST_F(QuickSettingDataFile, ADeletedCustomPaperMovesItsSetsToTheEndAndRenumbersTheLaterOnesInOneWrite)
{
    // Custom papers before the deletion: 257 Poster, 258 Card, 259 Slip.
    {
        auto store = open();
        ASSERT_EQ(S_OK, store->AddItem(onPaper(1, L"Poster", 257)));
        ASSERT_EQ(S_OK, store->AddItem(onPaper(2, L"Poster", 257)));
        ASSERT_EQ(S_OK, store->AddItem(onPaper(3, L"Card", 258)));
        ASSERT_EQ(S_OK, store->AddItem(onPaper(4, L"Old name", 257)));   // Poster before a rename
        ASSERT_EQ(S_OK, store->AddItem(onPaper(5, L"Slip", 259)));
    }
    auto store = open();
    g_moves = 0;
    g_DataFileCalls.MoveFileExW = &CountedMove;
    ASSERT_EQ(S_OK, store->FollowCustomPaperDeletion(257, L"Poster", L"A4", 1));
    EXPECT_EQ(1, g_moves);

    const std::vector<_QS_STRUCK> expected = { expectedDefault(),    onPaper(3, L"Card", 257),
                                               onPaper(5, L"Slip", 258), onPaper(1, L"A4", 1),
                                               onPaper(2, L"A4", 1), onPaper(4, L"A4", 1) };
    EXPECT_EQ(textOf(expected), textOf(recordsOf(*store)));
    EXPECT_EQ(fileText(expected), content());

    // Nothing names the last custom paper: no write.
    EXPECT_EQ(S_FALSE, store->FollowCustomPaperDeletion(259, L"Gone", L"A4", 1));
    EXPECT_EQ(E_INVALIDARG, store->FollowCustomPaperDeletion(1, L"A4", L"Letter", 0)) << "a standard paper";
    EXPECT_EQ(1, g_moves);
}

TEST_F(QuickSettingDataFile, ASetWhosePaperStaysIsNotMovedByTheNameItWasSavedUnder)
{
    // Saved on 257 as "Custom1", since renamed; the new 258 "Custom1" is deleted.
    {
        auto store = open();
        ASSERT_EQ(S_OK, store->AddItem(onPaper(1, L"Custom1", 257)));
    }
    auto store = open();
    EXPECT_EQ(S_FALSE, store->FollowCustomPaperDeletion(258, L"Custom1", L"A4", 1));
    EXPECT_EQ(textOf({ expectedDefault(), onPaper(1, L"Custom1", 257) }), textOf(recordsOf(*store)));
}
