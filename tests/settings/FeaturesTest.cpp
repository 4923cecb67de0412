// The feature and option model read through the core driver's helper.
#include "SettingsFixture.h"

#include "settings/Features.h"

#include <algorithm>
#include <functional>
#include <set>

using namespace settings_test;
using harness::AttributeValue;
using harness::CoreMethod;

namespace {

// Forwards to the double, except that it reports no selection for one
// feature and an empty option list for another.
class QuietHelper : public CUIHelper {
public:
    std::string noSelection;
    std::string noOptions;

    HRESULT GetOptions(POEMUIOBJ o, DWORD flags, PCSTR request, DWORD cbIn, PSTR out, DWORD cb,
                       PDWORD needed) override
    {
        if (request && noSelection == request)
            return emptyList(out, cb, needed);
        return CUIHelper::GetOptions(o, flags, request, cbIn, out, cb, needed);
    }
    HRESULT EnumOptions(POEMUIOBJ o, DWORD flags, PCSTR feature, PSTR out, DWORD cb, PDWORD needed) override
    {
        if (feature && noOptions == feature)
            return emptyList(out, cb, needed);
        return CUIHelper::EnumOptions(o, flags, feature, out, cb, needed);
    }

private:
    static HRESULT emptyList(PSTR out, DWORD cb, PDWORD needed)
    {
        *needed = 1;
        if (!out || cb < 1)
            return E_OUTOFMEMORY;
        out[0] = 0;
        return S_OK;
    }
};

class FeatureModel : public DriverFixture {
protected:
    HRESULT acquire(BOOL skip = FALSE) { return model.Acquire(heap.get(), &helper, core->uiObject(), skip); }

    // Absolute index of a keyword, or the count.
    WORD indexOf(const char* keyword) const
    {
        for (WORD i = 0; i < model.GetCount(); ++i)
            if (strcmp(model.GetKeyword(i), keyword) == 0)
                return i;
        return model.GetCount();
    }
    const CFeatures::FEATURE_INFO& info(const char* keyword) const
    {
        const CFeatures::FEATURE_INFO* f = model.GetFeatureInfo(indexOf(keyword));
        EXPECT_TRUE(f) << keyword;
        static CFeatures::FEATURE_INFO none;
        return f ? *f : none;
    }
    const COptions& options(const char* keyword) const { return info(keyword).options; }
    std::vector<std::string> keywords(const COptions& o) const
    {
        std::vector<std::string> out;
        for (WORD i = 0; i < o.GetCount(); ++i)
            out.push_back(o.GetOptionKeyword(i));
        return out;
    }
    void expectEmpty()
    {
        EXPECT_EQ(0, model.GetCount());
        EXPECT_EQ(0, model.GetDocumentCount());
        EXPECT_EQ(0, model.GetPrinterCount());
        EXPECT_EQ(nullptr, model.GetFeature(0, 0));
        EXPECT_EQ(nullptr, model.GetFeatureInfo(0));
        EXPECT_EQ(0, heap.busyBlocks()) << "the cleared model left blocks on the heap";
    }

    CFeatures model;
};

const std::set<std::string> kPrinterFeatures = {"OptionalTray1", "OptionalTray2", "InstalledMemory",
                                                 "%PSMemory",     "%JobTimeout",   "%WaitTimeout"};

} // namespace

TEST_F(FeatureModel, HoldsEveryFeatureInTheDriversOrderWithItsKind)
{
    ASSERT_EQ(S_OK, acquire());
    std::vector<std::string> expected = core->featureKeywords();
    ASSERT_EQ(expected.size(), model.GetCount());
    WORD documents = 0, printers = 0;
    for (WORD i = 0; i < model.GetCount(); ++i) {
        EXPECT_EQ(expected[i], model.GetKeyword(i));
        bool printer = kPrinterFeatures.count(expected[i]) != 0;
        EXPECT_EQ(printer ? 2u : 1u, model.GetFeatureInfo(i)->type) << expected[i];
        (printer ? printers : documents)++;
    }
    EXPECT_EQ(6, model.GetPrinterCount());
    EXPECT_EQ(printers, model.GetPrinterCount());
    EXPECT_EQ(documents, model.GetDocumentCount());
    EXPECT_EQ(g_SpecialFeatures + 13, info("%OutputPSLevel").special);
    EXPECT_EQ(nullptr, info("PageSize").special);
}

TEST_F(FeatureModel, MapsTheNthFeatureOfAKindToItsPosition)
{
    ASSERT_EQ(S_OK, acquire());
    // The installable options come first in the PPD.
    EXPECT_EQ(indexOf("OptionalTray1"), model.GetFeatureIndex(0, 2));
    EXPECT_EQ(indexOf("InstalledMemory"), model.GetFeatureIndex(2, 2));
    EXPECT_EQ(indexOf("%PSMemory"), model.GetFeatureIndex(3, 2));
    EXPECT_EQ(indexOf("PageSize"), model.GetFeatureIndex(0, 1));
    EXPECT_EQ(7, model.GetFeatureIndex(7, 0));
    EXPECT_EQ(model.GetCount(), model.GetFeatureIndex(6, 2));
    EXPECT_EQ(0, model.GetFeatureIndex(1, 3));

    EXPECT_EQ(&options("PageSize"), model.GetFeature(0, 1));
    EXPECT_EQ(&options("OptionalTray2"), model.GetFeature(1, 2));
    EXPECT_EQ(&options("OptionalTray1"), model.GetFeature(0, 0));
    EXPECT_EQ(nullptr, model.GetFeature(model.GetPrinterCount(), 2));
    EXPECT_EQ(nullptr, model.GetFeature(model.GetDocumentCount(), 1));
    EXPECT_EQ(nullptr, model.GetFeature(model.GetCount(), 0));
    EXPECT_EQ(nullptr, model.GetFeature(0, -1));
}

TEST_F(FeatureModel, ReadsOptionsDisplayNamesAndSelections)
{
    core->setSelection("JCLDensity", "Dark");
    ASSERT_EQ(S_OK, acquire());
    const COptions& media = options("JCLMediaType");
    EXPECT_EQ(OPTIONS_TYPE_COMBOBOX, media.GetType());
    EXPECT_EQ(core->optionKeywords("JCLMediaType"), keywords(media));
    EXPECT_STREQ(L"Thin Paper", media.GetDisplayName(2));
    EXPECT_EQ(media.GetDisplayName(2), media.GetDisplayText(2));
    EXPECT_EQ(0u, media.GetCurrent());
    EXPECT_STREQ("JCLMediaType", media.GetFeatureKeyword());
    EXPECT_EQ(nullptr, media.GetOptionKeyword(media.GetCount()));
    EXPECT_EQ(nullptr, media.GetDisplayName(media.GetCount()));

    EXPECT_EQ(2u, options("JCLDensity").GetCurrent());
    EXPECT_EQ(2u, options("JCLSleepTime").GetCurrent());  // 15Min

    const COptions& paper = options("PageSize");
    ASSERT_EQ(11, paper.GetCount());
    EXPECT_STREQ("CustomPageSize", paper.GetOptionKeyword(10));
    EXPECT_STREQ(L"A4(210,297,15)", paper.GetDisplayText(1));
    EXPECT_EQ(0u, paper.GetCurrent());

    EXPECT_STREQ(L"Paper Size", info("PageSize").displayName);
    EXPECT_STREQ(L"Two-Sided Printing", model.GetDisplayText(indexOf("Duplex")));
    EXPECT_STREQ(L"Installed", options("OptionalTray1").GetDisplayText(0));
    EXPECT_EQ(3, options("InstalledMemory").GetCount());
    EXPECT_EQ(1u, options("OptionalTray1").GetCurrent());  // False
}

TEST_F(FeatureModel, MakesThePluginsOwnOptions)
{
    ASSERT_EQ(S_OK, acquire());
    const COptions& custom = options("%CustomPageSize");
    EXPECT_EQ(0, custom.GetCount());
    EXPECT_EQ(OPTIONS_TYPE_COMBOBOX, custom.GetType());
    EXPECT_EQ(nullptr, custom.GetOptionKeywords());

    const COptions& memory = options("%PSMemory");
    EXPECT_EQ(OPTIONS_TYPE_UDARROW, memory.GetType());
    EXPECT_EQ(249, memory.GetMinimum());
    EXPECT_EQ(32767, memory.GetMaximum());
    EXPECT_EQ(4096u, memory.GetCurrent());
    EXPECT_EQ(nullptr, memory.GetUnitText());

    EXPECT_EQ(OPTIONS_TYPE_UDARROW, options("%JobTimeout").GetType());
    EXPECT_EQ(0, options("%JobTimeout").GetMinimum());
    EXPECT_EQ(32767, options("%JobTimeout").GetMaximum());
    EXPECT_EQ(300u, options("%WaitTimeout").GetCurrent());

    const COptions& level = options("%OutputPSLevel");
    EXPECT_EQ(OPTIONS_TYPE_COMBOBOX, level.GetType());
    EXPECT_EQ((std::vector<std::string>{"1", "2", "3"}), keywords(level));
    EXPECT_STREQ(L"3", level.GetDisplayName(2));
    EXPECT_EQ(nullptr, level.GetOptionInfo(0)->special);
    EXPECT_EQ(0u, level.GetCurrent());

    // The driver is not asked for the options the plug-in makes.
    const std::set<std::string> own = {"%CustomPageSize", "%PSMemory", "%JobTimeout", "%WaitTimeout",
                                       "%OutputPSLevel"};
    for (const harness::CoreCall& c : calls(CoreMethod::EnumOptions))
        EXPECT_EQ(0u, own.count(c.feature)) << c.feature;
}

TEST_F(FeatureModel, LanguageLevelSetsTheMemoryRangeAndTheLevels)
{
    core->setGlobalAttribute("LanguageLevel", AttributeValue::longValue(1));
    core->setSelection("%OutputPSLevel", "1");
    ASSERT_EQ(S_OK, acquire());
    EXPECT_EQ(172, options("%PSMemory").GetMinimum());
    EXPECT_EQ((std::vector<std::string>{"1"}), keywords(options("%OutputPSLevel")));
    model.Clear();

    // Option names have one digit: at most nine levels.
    core->setGlobalAttribute("LanguageLevel", AttributeValue::longValue(12));
    core->setSelection("%OutputPSLevel", "2");
    ASSERT_EQ(S_OK, acquire());
    const COptions& level = options("%OutputPSLevel");
    ASSERT_EQ(9, level.GetCount());
    EXPECT_STREQ("9", level.GetOptionKeyword(8));
    EXPECT_STREQ(L"9", level.GetDisplayText(8));
    EXPECT_EQ(1u, level.GetCurrent());
    EXPECT_EQ(249, options("%PSMemory").GetMinimum());
    model.Clear();

    core->setGlobalAttribute("LanguageLevel", AttributeValue::longValue(0));
    ASSERT_EQ(S_OK, acquire());
    EXPECT_EQ(0, options("%OutputPSLevel").GetCount());
    EXPECT_EQ(0u, options("%OutputPSLevel").GetCurrent());
}

TEST_F(FeatureModel, UnreportedSelectionTakesTheLastOptionOrZero)
{
    QuietHelper quiet;
    attach(quiet, *core);
    quiet.noSelection = "JCLMediaType";
    quiet.noOptions = "JCLDensity";
    ASSERT_EQ(S_OK, model.Acquire(heap.get(), &quiet, core->uiObject(), FALSE));
    EXPECT_EQ(6u, options("JCLMediaType").GetCurrent());
    EXPECT_EQ(0, options("JCLDensity").GetCount());
    EXPECT_EQ(0u, options("JCLDensity").GetCurrent());
}

TEST_F(FeatureModel, NamesFallBackToSpecialRowsThenKeywords)
{
    core->removeDisplayName("Duplex");
    core->removeDisplayName("JCLTonerMode", "On");
    ASSERT_EQ(S_OK, acquire());
    EXPECT_STREQ(L"Duplex", info("Duplex").displayName);
    EXPECT_STREQ(L"On", options("JCLTonerMode").GetDisplayName(1));
    // The driver's own features have no driver names.
    EXPECT_STREQ(L"CustomPageSize", info("%CustomPageSize").displayName);
    EXPECT_STREQ(L"Available PostScript Memory", info("%PSMemory").displayName);
    EXPECT_STREQ(L"PostScript Language Level", info("%OutputPSLevel").displayText);
    EXPECT_STREQ(L"16 pages", options("%PagePerSheet").GetDisplayText(5));
    // A string the language module lacks gives the keyword, not an empty model.
    EXPECT_STREQ(L"WaitTimeout", info("%WaitTimeout").displayName);
}

TEST_F(FeatureModel, WithoutALanguageModuleNamesAreKeywords)
{
    LanguageModule none(false);
    ASSERT_EQ(S_OK, acquire());
    EXPECT_STREQ(L"PSMemory", info("%PSMemory").displayName);
    EXPECT_STREQ(L"16", options("%PagePerSheet").GetDisplayName(5));
}

TEST_F(FeatureModel, CommonUiRowsAreItsStringsOrBareIds)
{
    // The print system has the module loaded here; a row whose string it
    // lacks keeps the bare id, which the common UI resolves itself.
    HMODULE compstui = LoadLibraryW(L"compstui.dll");
    ASSERT_TRUE(compstui);
    ASSERT_EQ(S_OK, acquire());
    auto expectNamed = [](const WCHAR* name, const WCHAR* text, UINT id, const wchar_t* keyword) {
        std::wstring loaded = compstuiString(id);
        if (loaded.empty()) {
            EXPECT_EQ(stringId((WORD)id), name);
        } else {
            EXPECT_EQ(loaded, std::wstring(name));
        }
        ASSERT_FALSE(IsDisplayNameId(text));
        EXPECT_EQ(loaded.empty() ? keyword : loaded, std::wstring(text));
    };
    expectNamed(info("%Orientation").displayName, info("%Orientation").displayText, 64738, L"Orientation");
    EXPECT_EQ(info("%Orientation").displayText, model.GetDisplayText(indexOf("%Orientation")));
    // An option keyword "1" of any feature is COMPSTUI.DLL's string 64865.
    const COptions& pages = options("%PagePerSheet");
    EXPECT_EQ(g_SpecialOptions + 15, pages.GetOptionInfo(0)->special);
    expectNamed(pages.GetDisplayName(0), pages.GetDisplayText(0), 64865, L"1");
    expectNamed(options("%MetafileSpooling").GetDisplayName(0), options("%MetafileSpooling").GetDisplayText(0),
                64727, L"True");
    model.Clear();
    EXPECT_EQ(0, heap.busyBlocks());
    FreeLibrary(compstui);
}

TEST(SpecialNames, ModuleNotLoadedGivesTheBareIdAndKeywordText)
{
    const SPECIAL_ENTRY row = {"%Stapling", L"bqnotloaded.dll", 321, 1};
    ASSERT_EQ(nullptr, GetModuleHandleW(row.module));
    WCHAR* name = nullptr;
    ASSERT_EQ(S_OK, LoadSpecialName(GetProcessHeap(), &row, &name));
    EXPECT_EQ(stringId(321), name);
    WCHAR* text = nullptr;
    ASSERT_EQ(S_OK, ResolveDisplayText(GetProcessHeap(), &row, row.keyword, TRUE, name, &text));
    EXPECT_STREQ(L"Stapling", text);
    FreeDisplayName(GetProcessHeap(), name, text);
    ASSERT_EQ(S_OK, ResolveDisplayText(GetProcessHeap(), &row, "%Stapling", FALSE, name, &text));
    EXPECT_STREQ(L"%Stapling", text);
    FreeDisplayName(GetProcessHeap(), name, text);
    // A text is its own text.
    WCHAR own[] = L"Own";
    ASSERT_EQ(S_OK, ResolveDisplayText(GetProcessHeap(), &row, row.keyword, TRUE, own, &text));
    EXPECT_EQ(own, text);
}

TEST_F(FeatureModel, SecondAcquireCallsNothing)
{
    ASSERT_EQ(S_OK, acquire());
    WORD count = model.GetCount();
    auto other = harness::CoreDriver::fromDefaultPpd();
    CUIHelper otherHelper;
    attach(otherHelper, *other);
    core->clearCalls();
    other->clearCalls();
    EXPECT_EQ(S_OK, model.Acquire(heap.get(), &otherHelper, other->uiObject(), TRUE));
    EXPECT_TRUE(core->calls().empty());
    EXPECT_TRUE(other->calls().empty());
    EXPECT_EQ(count, model.GetCount());
}

TEST_F(FeatureModel, SkippingSelectionsReadsOnlyThePluginsOwn)
{
    core->setSelection("JCLDensity", "Dark");
    ASSERT_EQ(S_OK, acquire(TRUE));
    EXPECT_EQ(0u, options("JCLDensity").GetCurrent());
    std::set<std::string> read;
    for (const harness::CoreCall& c : calls(CoreMethod::GetOptions))
        read.insert(c.input.substr(0, c.input.find('\0')));
    EXPECT_EQ((std::set<std::string>{"%JobTimeout", "%OutputPSLevel", "%PSMemory", "%WaitTimeout"}), read);
}

TEST_F(FeatureModel, AnOddSizedTextIsEndedInsideItsBlock)
{
    // 65 bytes of UTF-16 without its NUL: the last character is half there.
    harness::AttributeValue odd;
    odd.type = kADT_UNICODE;
    odd.bytes = std::string(65, 'A');
    const std::string option = core->optionKeywords("JCLMediaType")[2];
    core->setOptionAttribute("JCLMediaType", option, "DisplayName", odd);
    ASSERT_EQ(S_OK, acquire());
    const WCHAR* name = options("JCLMediaType").GetDisplayName(2);
    ASSERT_TRUE(name);
    SIZE_T bytes = HeapSize(heap.get(), 0, name);
    ASSERT_NE((SIZE_T)-1, bytes);
    const size_t chars = bytes / sizeof(WCHAR);
    EXPECT_LT(wcsnlen(name, chars), chars) << "no NUL inside the block of " << bytes << " bytes";
}

TEST_F(FeatureModel, ShortBuffersGrowOnceToTheNeededSize)
{
    core->setFeatureAttribute("Duplex", "DisplayName",
                              AttributeValue::unicode(L"Two-Sided Printing on Both Faces of the Sheet"));
    ASSERT_EQ(S_OK, acquire());
    EXPECT_STREQ(L"Two-Sided Printing on Both Faces of the Sheet", info("Duplex").displayName);

    auto sizes = [&](CoreMethod m, const std::string& feature, const std::string& option = {}) {
        std::vector<DWORD> out;
        for (const harness::CoreCall& c : calls(m))
            if (c.feature == feature && c.option == option && (m != CoreMethod::GetFeatureAttribute ||
                                                               c.attribute == "DisplayName"))
                out.push_back(c.cbSize);
        return out;
    };
    EXPECT_EQ((std::vector<DWORD>{1024}), sizes(CoreMethod::EnumFeatures, ""));
    // "Letter\0A4\0...CustomPageSize\0\0"
    std::string pageSizes = harness::multiSz(core->optionKeywords("PageSize"));
    EXPECT_EQ((std::vector<DWORD>{64, (DWORD)pageSizes.size()}), sizes(CoreMethod::EnumOptions, "PageSize"));
    EXPECT_EQ((std::vector<DWORD>{64}), sizes(CoreMethod::EnumOptions, "JCLMediaType"));
    EXPECT_EQ((std::vector<DWORD>{64, 92}), sizes(CoreMethod::GetFeatureAttribute, "Duplex"));
    EXPECT_EQ((std::vector<DWORD>{64}), sizes(CoreMethod::GetFeatureAttribute, "PageSize"));
    // 18 characters and the NUL
    EXPECT_EQ((std::vector<DWORD>{32, 38}), sizes(CoreMethod::GetOptionAttribute, "PageSize", "Letter"));
    EXPECT_EQ((std::vector<DWORD>{32}), sizes(CoreMethod::GetOptionAttribute, "PageSize", "A4"));
    for (const harness::CoreCall& c : calls(CoreMethod::GetOptions))
        EXPECT_EQ(64u, c.cbSize);
}

TEST_F(FeatureModel, LongFeatureListGrowsOnce)
{
    std::string ppd = "*PPD-Adobe: \"4.3\"\n";
    for (int i = 0; i < 60; ++i) {
        std::string k = "AVeryLongFeatureKeywordNumber" + std::to_string(i);
        ppd += "*OpenUI *" + k + "/Feature " + std::to_string(i) + ": PickOne\n*Default" + k + ": A\n*" + k +
               " A/Choice A: \"\"\n*CloseUI: *" + k + "\n";
    }
    harness::CoreDriver big(harness::PpdModel::parse(ppd));
    CUIHelper bigHelper;
    attach(bigHelper, big);
    ASSERT_EQ(S_OK, model.Acquire(heap.get(), &bigHelper, big.uiObject(), FALSE));
    std::string list = harness::multiSz(big.featureKeywords());
    ASSERT_GT(list.size(), 1024u);
    std::vector<DWORD> sizes;
    for (const harness::CoreCall& c : big.calls(CoreMethod::EnumFeatures))
        sizes.push_back(c.cbSize);
    EXPECT_EQ((std::vector<DWORD>{1024, (DWORD)list.size()}), sizes);
    EXPECT_EQ(big.featureKeywords().size(), model.GetCount());
    EXPECT_STREQ("AVeryLongFeatureKeywordNumber59", model.GetKeyword(59));
    model.Clear();
    bigHelper.Release();
}

TEST_F(FeatureModel, UnderstatedSizesFailWithoutAHalfModel)
{
    core->understateNeededSize(CoreMethod::EnumFeatures);
    EXPECT_EQ(E_OUTOFMEMORY, acquire());
    EXPECT_EQ(1, core->callCount(CoreMethod::EnumFeatures));
    expectEmpty();

    core->understateNeededSize(CoreMethod::EnumOptions, 4);
    EXPECT_EQ(E_OUTOFMEMORY, acquire());
    expectEmpty();

    core->understateNeededSize(CoreMethod::GetOptions, 2);
    EXPECT_EQ(E_OUTOFMEMORY, acquire());
    expectEmpty();

    // A display name that cannot be read falls back to the keyword.
    core->clearCalls();
    core->understateNeededSize(CoreMethod::GetFeatureAttribute, 1);
    ASSERT_EQ(S_OK, acquire());
    EXPECT_STREQ(L"OptionalTray1", info("OptionalTray1").displayName);
    std::vector<harness::CoreCall> names = calls(CoreMethod::GetFeatureAttribute);
    EXPECT_EQ(1, std::count_if(names.begin(), names.end(), [](const harness::CoreCall& c) {
                  return c.feature == "OptionalTray1" && c.attribute == "DisplayName";
              }));
}

TEST_F(FeatureModel, AFailureAnywhereLeavesAnEmptyModel)
{
    // Learn the calls of a whole fill, then fail chosen ones.
    ASSERT_EQ(S_OK, acquire());
    model.Clear();
    const std::vector<harness::CoreCall> log = core->calls();
    struct Point {
        const char* what;
        std::function<bool(const harness::CoreCall&)> match;
    };
    auto call = [](CoreMethod m, std::string feature, std::string attribute = {}) {
        return [=](const harness::CoreCall& c) {
            return c.method == m && (feature.empty() || c.feature == feature ||
                                     c.input.substr(0, c.input.find('\0')) == feature) &&
                   (attribute.empty() || c.attribute == attribute);
        };
    };
    const Point points[] = {
        {"the feature list", call(CoreMethod::EnumFeatures, "")},
        {"the first option list", call(CoreMethod::EnumOptions, "OptionalTray1")},
        {"an option list midway", call(CoreMethod::EnumOptions, "JCLDensity")},
        {"a selection", call(CoreMethod::GetOptions, "PageSize")},
        {"a plug-in value", call(CoreMethod::GetOptions, "%PSMemory")},
        {"the last selection", call(CoreMethod::GetOptions, "%MetafileSpooling")},
        {"a group", call(CoreMethod::GetFeatureAttribute, "JCLSleepTime", "OpenGroupType")},
        {"the language level", call(CoreMethod::GetGlobalAttribute, "")},
    };
    for (const Point& p : points) {
        SCOPED_TRACE(p.what);
        auto at = std::find_if(log.begin(), log.end(), p.match);
        ASSERT_NE(log.end(), at);
        int nth = 1 + (int)std::count_if(log.begin(), at, [&](const harness::CoreCall& c) {
                      return c.method == at->method;
                  });
        core->clearFaults();
        core->failCall(at->method, E_ACCESSDENIED, nth);
        EXPECT_EQ(E_ACCESSDENIED, acquire());
        expectEmpty();
    }
    core->clearFaults();
    ASSERT_EQ(S_OK, acquire());
    EXPECT_EQ(core->featureKeywords().size(), model.GetCount());
}

TEST_F(FeatureModel, GroupNameTooLongForItsBufferIsADocumentFeature)
{
    core->setFeatureAttribute("JCLTonerMode", "OpenGroupType",
                              AttributeValue::ascii("PaperHandlingAndFinishingOptionsGroup"));
    core->setFeatureAttribute("Duplex", "OpenGroupType", AttributeValue::ascii("InstallableOptions"));
    ASSERT_EQ(S_OK, acquire());
    EXPECT_EQ(1u, info("JCLTonerMode").type);
    EXPECT_EQ(2u, info("Duplex").type);
    for (const harness::CoreCall& c : calls(CoreMethod::GetFeatureAttribute))
        EXPECT_TRUE(c.attribute != "OpenGroupType" || c.cbSize == 32u) << c.feature;
}

TEST_F(FeatureModel, ClearAndDestructionGiveEveryBlockBack)
{
    {
        CFeatures scoped;
        ASSERT_EQ(S_OK, scoped.Acquire(heap.get(), &helper, core->uiObject(), FALSE));
        EXPECT_GT(heap.busyBlocks(), 0);
    }
    EXPECT_EQ(0, heap.busyBlocks());
    ASSERT_EQ(S_OK, acquire());
    model.Clear();
    expectEmpty();
    // A cleared model fills again.
    ASSERT_EQ(S_OK, acquire());
    EXPECT_EQ(core->featureKeywords().size(), model.GetCount());
}

TEST(FeatureModelArguments, RefusesMissingPieces)
{
    CFeatures model;
    CUIHelper helper;
    EXPECT_EQ(E_INVALIDARG, model.Acquire(nullptr, &helper, nullptr, FALSE));
    EXPECT_EQ(E_INVALIDARG, model.Acquire(GetProcessHeap(), nullptr, nullptr, FALSE));
    // No interface held: the helper's answer comes back.
    EXPECT_EQ(E_NOINTERFACE, model.Acquire(GetProcessHeap(), &helper, nullptr, FALSE));
    EXPECT_EQ(0, model.GetCount());
    EXPECT_EQ(0, model.GetFeatureIndex(3, 1));

    COptions options;
    char* keyword = reinterpret_cast<char*>(1);
    EXPECT_EQ(E_INVALIDARG, options.GetCurrentSelection(&helper, nullptr, &keyword));
    EXPECT_EQ(nullptr, keyword);
    EXPECT_EQ(7, options.FindOption("A4", 7));
    EXPECT_EQ(7, options.FindOption(nullptr, 7));
}

TEST(SpecialNames, TablesAreSearchedByExactKeyword)
{
    EXPECT_EQ(g_SpecialFeatures + 17, FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, "%PSMemory"));
    EXPECT_EQ(nullptr, FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, "%psmemory"));
    EXPECT_EQ(nullptr, FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, "PSMemory"));
    EXPECT_EQ(nullptr, FindSpecialEntry(nullptr, 3, "True"));
    const SPECIAL_ENTRY* booklet = FindSpecialEntry(g_SpecialOptions, SPECIAL_OPTION_ROWS, "Booklet");
    ASSERT_TRUE(booklet);
    EXPECT_EQ(64873, booklet->stringId);
    EXPECT_STREQ(L"COMPSTUI.DLL", booklet->module);
    EXPECT_EQ(nullptr, FindSpecialEntry(g_SpecialOptions, SPECIAL_OPTION_ROWS - 1, "NativeTrueType"));

    WCHAR* name = nullptr;
    EXPECT_EQ(E_INVALIDARG, LoadSpecialName(nullptr, booklet, &name));
    EXPECT_EQ(E_INVALIDARG, LoadSpecialName(GetProcessHeap(), nullptr, &name));
    {
        LanguageModule none(false);
        SetLastError(ERROR_SUCCESS);
        HRESULT hr = LoadSpecialName(GetProcessHeap(), g_SpecialFeatures + 17, &name);
        EXPECT_TRUE(FAILED(hr)) << "no module must not read as success";
        EXPECT_EQ(nullptr, name);
    }
    LanguageModule language;
    ASSERT_EQ(S_OK, LoadSpecialName(GetProcessHeap(), g_SpecialFeatures + 17, &name));
    EXPECT_STREQ(L"Available PostScript Memory", name);
    HeapFree(GetProcessHeap(), 0, name);
    EXPECT_TRUE(FAILED(LoadSpecialName(GetProcessHeap(), g_SpecialFeatures + 20, &name)));
}
