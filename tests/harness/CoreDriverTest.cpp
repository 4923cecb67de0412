#include "ComPtr.h"
#include "CoreDriver.h"
#include "MultiSz.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace harness;
using Strings = std::vector<std::string>;

namespace {

class CoreDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core = CoreDriver::fromDefaultPpd();
        ASSERT_TRUE(core) << "bq2100PS.ppd beside the test program cannot be read";
    }

    POEMUIOBJ ui() { return core->uiObject(); }

    // Runs a buffer-answering call twice, sized by the first; the answer's bytes.
    template <class Call>
    std::string fetch(Call call)
    {
        DWORD needed = 0;
        EXPECT_EQ(E_OUTOFMEMORY, call(nullptr, 0, &needed));
        std::string buffer(needed, '\x5A');
        DWORD again = 0;
        EXPECT_EQ(S_OK, call(buffer.data(), needed, &again));
        EXPECT_EQ(needed, again);
        return buffer;
    }
    Strings split(const std::string& bytes)
    {
        std::optional<Strings> s = splitMultiSz(bytes);
        EXPECT_TRUE(s) << "not a multi-string";
        EXPECT_TRUE(s && multiSz(*s) == bytes) << "bytes after the list";
        return s ? *s : Strings();
    }

    Strings features()
    {
        return split(fetch([&](char* b, DWORD n, DWORD* need) { return core->EnumFeatures(ui(), 0, b, n, need); }));
    }
    Strings options(const char* feature)
    {
        return split(fetch(
            [&](char* b, DWORD n, DWORD* need) { return core->EnumOptions(ui(), 0, feature, b, n, need); }));
    }
    Strings selections(const Strings& request)
    {
        std::string in = multiSz(request);
        return split(fetch([&](char* b, DWORD n, DWORD* need) {
            return core->GetOptions(ui(), 0, in.data(), static_cast<DWORD>(in.size()), b, n, need);
        }));
    }
    std::string selected(const char* feature)
    {
        Strings pair = selections({feature});
        return pair.size() == 2 ? pair[1] : "<none>";
    }
    HRESULT set(DWORD flags, const Strings& pairs, DWORD* result = nullptr)
    {
        std::string in = multiSz(pairs);
        DWORD r = 0xFFFF;
        HRESULT hr = core->SetOptions(ui(), flags, in.data(), static_cast<DWORD>(in.size()), &r);
        if (result)
            *result = r;
        return hr;
    }
    Strings constrained(const char* feature)
    {
        return split(fetch([&](char* b, DWORD n, DWORD* need) {
            return core->EnumConstrainedOptions(ui(), 0, feature, b, n, need);
        }));
    }
    Strings why(const char* feature, const char* option)
    {
        return split(fetch([&](char* b, DWORD n, DWORD* need) {
            return core->WhyConstrained(ui(), 0, feature, option, b, n, need);
        }));
    }
    // A feature attribute: its type and bytes.
    std::pair<DWORD, std::string> featureAttribute(const char* feature, const char* attribute)
    {
        DWORD type = 0;
        std::string bytes = fetch([&](char* b, DWORD n, DWORD* need) {
            return core->GetFeatureAttribute(ui(), 0, feature, attribute, &type, reinterpret_cast<BYTE*>(b), n, need);
        });
        return {type, bytes};
    }
    static std::wstring wide(const std::string& bytes)
    {
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

    std::unique_ptr<CoreDriver> core;
};

std::unique_ptr<CoreDriver> driverOver(const char* ppd)
{
    return std::make_unique<CoreDriver>(PpdModel::parse(ppd));
}

const Strings kDriverFeatures = {"%Orientation", "%PagePerSheet", "%PageOrder", "%CustomPageSize", "%OutputPSLevel",
                                 "%PSMemory", "%JobTimeout", "%WaitTimeout", "%MetafileSpooling"};

} // namespace

// --- COM identity and references ------------------------------------------------

class CoreDriverCom : public CoreDriverTest {};

TEST_F(CoreDriverCom, GivesItsThreeInterfacesAsOneObject)
{
    ComPtr<IUnknown> unknown;
    ComPtr<IPrintOemDriverUI> driverUi;
    ComPtr<IPrintCoreUI2> coreUi;
    ASSERT_EQ(S_OK, core->QueryInterface(IID_IUnknown, unknown.putVoid()));
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IPrintOemDriverUI, driverUi.putVoid()));
    ASSERT_EQ(S_OK, driverUi->QueryInterface(IID_IPrintCoreUI2, coreUi.putVoid()));
    EXPECT_EQ(core->unknown(), unknown.get());
    EXPECT_EQ(static_cast<IUnknown*>(driverUi.get()), unknown.get());
    EXPECT_EQ(static_cast<IUnknown*>(coreUi.get()), unknown.get());
    EXPECT_EQ(4, core->refCount());
}

TEST_F(CoreDriverCom, RefusesOtherInterfacesAndClearsTheOut)
{
    void* out = core.get();
    EXPECT_EQ(E_NOINTERFACE, core->QueryInterface(IID_IPrintOemUI, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, core->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1, core->refCount());
}

TEST_F(CoreDriverCom, DriverUiOnlyVariantRefusesCoreUi2)
{
    auto only = std::make_unique<CoreDriver>(*PpdModel::loadDefault(), CoreDriver::Kind::DriverUIOnly);
    ComPtr<IPrintCoreUI2> coreUi;
    ComPtr<IPrintOemDriverUI> driverUi;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(E_NOINTERFACE, only->QueryInterface(IID_IPrintCoreUI2, coreUi.putVoid()));
    EXPECT_FALSE(coreUi);
    EXPECT_EQ(S_OK, only->QueryInterface(IID_IPrintOemDriverUI, driverUi.putVoid()));
    EXPECT_EQ(S_OK, only->QueryInterface(IID_IUnknown, unknown.putVoid()));
}

TEST_F(CoreDriverCom, CountsAddRefAndReleaseCalls)
{
    ComPtr<IPrintCoreUI2> coreUi;
    ASSERT_EQ(S_OK, core->QueryInterface(IID_IPrintCoreUI2, coreUi.putVoid()));
    EXPECT_EQ(3u, coreUi->AddRef());
    EXPECT_EQ(2u, coreUi->Release());
    coreUi.reset();
    EXPECT_EQ(1, core->addRefCalls());
    EXPECT_EQ(2, core->releaseCalls());
    EXPECT_EQ(1, core->refCount());
    EXPECT_FALSE(core->overReleased());
}

TEST_F(CoreDriverCom, ReleasingTheOwnersReferenceIsOverRelease)
{
    core->Release();
    EXPECT_TRUE(core->overReleased());
    EXPECT_EQ(0, core->refCount());
}

// --- the buffer protocol ------------------------------------------------------------

class CoreDriverBuffers : public CoreDriverTest {};

TEST_F(CoreDriverBuffers, NeededSizeIsExact)
{
    Strings list = features();
    DWORD needed = 0;
    ASSERT_EQ(E_OUTOFMEMORY, core->EnumFeatures(ui(), 0, nullptr, 0, &needed));
    size_t size = 1;
    for (const std::string& s : list)
        size += s.size() + 1;
    EXPECT_EQ(size, needed);
}

TEST_F(CoreDriverBuffers, ShortBufferWritesNothing)
{
    DWORD needed = 0;
    core->EnumFeatures(ui(), 0, nullptr, 0, &needed);
    std::string buffer(needed, '\x5A');
    DWORD answered = 0;
    EXPECT_EQ(E_OUTOFMEMORY, core->EnumFeatures(ui(), 0, buffer.data(), needed - 1, &answered));
    EXPECT_EQ(needed, answered);
    EXPECT_EQ(std::string(needed, '\x5A'), buffer);
    EXPECT_EQ(S_OK, core->EnumFeatures(ui(), 0, buffer.data(), needed, &answered));
}

TEST_F(CoreDriverBuffers, NullBufferOfAnySizeAnswersTheNeed)
{
    DWORD needed = 0;
    EXPECT_EQ(E_OUTOFMEMORY, core->EnumOptions(ui(), 0, "Duplex", nullptr, 4096, &needed));
    EXPECT_EQ(sizeof("None\0DuplexNoTumble\0DuplexTumble\0"), needed);
}

TEST_F(CoreDriverBuffers, MissingNeededPointerIsInvalid)
{
    char buffer[256];
    DWORD type = 0;
    EXPECT_EQ(E_INVALIDARG, core->EnumFeatures(ui(), 0, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(E_INVALIDARG, core->GetGlobalAttribute(ui(), 0, "LanguageLevel", &type, nullptr, 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, core->GetGlobalAttribute(ui(), 0, "LanguageLevel", nullptr,
                                                     reinterpret_cast<BYTE*>(buffer), sizeof buffer, &type));
}

TEST_F(CoreDriverBuffers, NonZeroFlagsAreRefused)
{
    char b[512];
    auto* bytes = reinterpret_cast<BYTE*>(b);
    DWORD n = 0, type = 0;
    const char request[] = "Duplex\0";
    EXPECT_EQ(E_INVALIDARG, core->EnumFeatures(ui(), 1, b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->EnumOptions(ui(), 1, "Duplex", b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->GetOptions(ui(), 1, request, sizeof request, b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->EnumConstrainedOptions(ui(), 1, "Duplex", b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(ui(), 1, "Duplex", "DuplexTumble", b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->GetGlobalAttribute(ui(), 1, "LanguageLevel", &type, bytes, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->GetFeatureAttribute(ui(), 1, "Duplex", "DisplayName", &type, bytes, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG,
              core->GetOptionAttribute(ui(), 1, "Duplex", "None", "DisplayName", &type, bytes, sizeof b, &n));
}

TEST_F(CoreDriverBuffers, ForeignOrNullUiObjectIsRefused)
{
    OEMUIOBJ copy = *ui();
    char b[512];
    DWORD n = 0, result = 0;
    const char pair[] = "Duplex\0None\0";
    EXPECT_EQ(E_INVALIDARG, core->EnumFeatures(&copy, 0, b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->EnumFeatures(nullptr, 0, b, sizeof b, &n));
    EXPECT_EQ(E_INVALIDARG, core->SetOptions(&copy, SETOPTIONS_FLAG_KEEP_CONFLICT, pair, sizeof pair, &result));
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(nullptr, 0, "Duplex", "None", b, sizeof b, &n));
}

TEST_F(CoreDriverBuffers, EmptyListIsOneNul)
{
    DWORD needed = 0;
    char b[8] = {'x', 'x'};
    EXPECT_EQ(S_OK, core->WhyConstrained(ui(), 0, "Duplex", "DuplexTumble", b, sizeof b, &needed));
    EXPECT_EQ(1u, needed);
    EXPECT_EQ('\0', b[0]);
    EXPECT_EQ('x', b[1]);
}

// --- features and options ---------------------------------------------------------

class CoreDriverFeatures : public CoreDriverTest {};

TEST_F(CoreDriverFeatures, PpdFeaturesThenTheDriversOwn)
{
    Strings expected = {"OptionalTray1", "OptionalTray2", "InstalledMemory", "PageSize", "Duplex", "JCLMediaType",
                        "JCLInputSlot", "JCLFeedEdge", "JCLTonerMode", "JCLDensity", "JCLGraphFine",
                        "JCLPrintQuality", "JCLSleepTime"};
    expected.insert(expected.end(), kDriverFeatures.begin(), kDriverFeatures.end());
    EXPECT_EQ(expected, features()); // PageRegion is folded into PageSize
}

TEST_F(CoreDriverFeatures, PageSizeEndsWithTheCustomSize)
{
    EXPECT_EQ((Strings{"Letter", "A4", "Legal", "Executive", "A5", "B5", "Statement", "Env10", "EnvDL", "EnvC5",
                       "CustomPageSize"}),
              options("PageSize"));
}

TEST_F(CoreDriverFeatures, NoCustomSizeWithoutPpdSupport)
{
    auto plain = driverOver("*OpenUI *PageSize: PickOne\n*PageSize A4/A4(210,297,15): \"\"\n*CloseUI: *PageSize\n");
    DWORD needed = 0;
    char b[64];
    ASSERT_EQ(S_OK, plain->EnumOptions(plain->uiObject(), 0, "PageSize", b, sizeof b, &needed));
    EXPECT_EQ(multiSz({"A4"}), std::string(b, needed));
}

TEST_F(CoreDriverFeatures, DriverFeatureOptions)
{
    EXPECT_EQ((Strings{"Portrait", "Landscape", "RotatedLandscape"}), options("%Orientation"));
    EXPECT_EQ((Strings{"1", "2", "4", "6", "9", "16", "Booklet"}), options("%PagePerSheet"));
    EXPECT_EQ((Strings{"FrontToBack", "BackToFront"}), options("%PageOrder"));
    EXPECT_EQ((Strings{"True", "False"}), options("%MetafileSpooling"));
}

TEST_F(CoreDriverFeatures, OutputLevelsFollowTheLanguageLevel)
{
    EXPECT_EQ((Strings{"1", "2", "3"}), options("%OutputPSLevel"));
    auto level2 = driverOver("*LanguageLevel: \"2\"\n");
    char b[64];
    DWORD needed = 0;
    ASSERT_EQ(S_OK, level2->EnumOptions(level2->uiObject(), 0, "%OutputPSLevel", b, sizeof b, &needed));
    EXPECT_EQ(multiSz({"1", "2"}), std::string(b, needed));
}

TEST_F(CoreDriverFeatures, FeaturesWithoutOptionsAreNotImplemented)
{
    char b[64];
    DWORD needed = 0;
    for (const char* f : {"%CustomPageSize", "%PSMemory", "%JobTimeout", "%WaitTimeout"})
        EXPECT_EQ(E_NOTIMPL, core->EnumOptions(ui(), 0, f, b, sizeof b, &needed)) << f;
}

TEST_F(CoreDriverFeatures, UnknownFeatureIsInvalid)
{
    char b[64];
    DWORD needed = 0;
    EXPECT_EQ(E_INVALIDARG, core->EnumOptions(ui(), 0, "InputSlot", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->EnumOptions(ui(), 0, "PageRegion", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->EnumOptions(ui(), 0, nullptr, b, sizeof b, &needed));
}

// --- attributes --------------------------------------------------------------------

class CoreDriverAttributes : public CoreDriverTest {};

TEST_F(CoreDriverAttributes, FeatureDisplayNameIsUnicodeWithItsNul)
{
    auto [type, bytes] = featureAttribute("PageSize", "DisplayName");
    EXPECT_EQ(static_cast<DWORD>(kADT_UNICODE), type);
    EXPECT_EQ(sizeof(L"Paper Size"), bytes.size());
    EXPECT_EQ(std::wstring(L"Paper Size", 11), wide(bytes));
}

TEST_F(CoreDriverAttributes, OptionDisplayNameIsThePaperText)
{
    DWORD type = 0;
    std::string bytes = fetch([&](char* b, DWORD n, DWORD* need) {
        return core->GetOptionAttribute(ui(), 0, "PageSize", "B5", "DisplayName", &type, reinterpret_cast<BYTE*>(b), n,
                                        need);
    });
    EXPECT_EQ(static_cast<DWORD>(kADT_UNICODE), type);
    EXPECT_EQ(std::wstring(L"B5 (182,257,1)", 15), wide(bytes));
}

TEST_F(CoreDriverAttributes, OpenGroupTypeOfAnInstallableFeature)
{
    auto [type, bytes] = featureAttribute("OptionalTray2", "OpenGroupType");
    EXPECT_EQ(static_cast<DWORD>(kADT_ASCII), type);
    EXPECT_EQ(std::string("InstallableOptions", 19), bytes);
}

TEST_F(CoreDriverAttributes, OpenGroupTypeOutsideTheGroupIsEmpty)
{
    auto [type, bytes] = featureAttribute("JCLSleepTime", "OpenGroupType");
    EXPECT_EQ(static_cast<DWORD>(kADT_ASCII), type);
    EXPECT_EQ(std::string(1, '\0'), bytes);
}

TEST_F(CoreDriverAttributes, DefaultOptionIsAscii)
{
    auto [type, bytes] = featureAttribute("JCLSleepTime", "DefaultOption");
    EXPECT_EQ(static_cast<DWORD>(kADT_ASCII), type);
    EXPECT_EQ(std::string("15Min", 6), bytes);
}

TEST_F(CoreDriverAttributes, DriverFeaturesHaveNoDisplayNameOrGroup)
{
    BYTE b[256];
    DWORD type = 0, needed = 0;
    for (const std::string& f : kDriverFeatures) {
        for (const char* attribute : {"DisplayName", "OpenGroupType"})
            EXPECT_EQ(E_INVALIDARG,
                      core->GetFeatureAttribute(ui(), 0, f.c_str(), attribute, &type, b, sizeof b, &needed))
                << f << " " << attribute;
        for (const std::string& o : core->optionKeywords(f))
            EXPECT_EQ(E_INVALIDARG, core->GetOptionAttribute(ui(), 0, f.c_str(), o.c_str(), "DisplayName", &type, b,
                                                             sizeof b, &needed)) << f << " " << o;
    }
}

TEST_F(CoreDriverAttributes, LanguageLevelIsAFourByteLong)
{
    BYTE b[16] = {};
    DWORD type = 0, needed = 0;
    ASSERT_EQ(S_OK, core->GetGlobalAttribute(ui(), 0, "LanguageLevel", &type, b, sizeof b, &needed));
    EXPECT_EQ(static_cast<DWORD>(kADT_LONG), type);
    EXPECT_EQ(4u, needed);
    EXPECT_EQ(3, *reinterpret_cast<LONG*>(b));
    EXPECT_EQ(E_OUTOFMEMORY, core->GetGlobalAttribute(ui(), 0, "LanguageLevel", &type, b, 3, &needed));
}

TEST_F(CoreDriverAttributes, UnknownNamesAreInvalid)
{
    BYTE b[256];
    DWORD type = 0, needed = 0;
    EXPECT_EQ(E_INVALIDARG, core->GetGlobalAttribute(ui(), 0, "ColorDevice", &type, b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->GetFeatureAttribute(ui(), 0, "Duplex", "Flavour", &type, b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG,
              core->GetFeatureAttribute(ui(), 0, "Stapling", "DisplayName", &type, b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG,
              core->GetOptionAttribute(ui(), 0, "Duplex", "Triple", "DisplayName", &type, b, sizeof b, &needed));
}

TEST_F(CoreDriverAttributes, ShortBufferWritesNothing)
{
    BYTE b[22];
    std::fill(std::begin(b), std::end(b), 0x5A);
    DWORD type = 0, needed = 0;
    EXPECT_EQ(E_OUTOFMEMORY, core->GetFeatureAttribute(ui(), 0, "PageSize", "DisplayName", &type, b, 21, &needed));
    EXPECT_EQ(22u, needed);
    EXPECT_TRUE(std::all_of(std::begin(b), std::end(b), [](BYTE x) { return x == 0x5A; }));
}

TEST_F(CoreDriverAttributes, RemovedDisplayNamesAreRefused)
{
    core->removeDisplayName("Duplex");
    core->removeDisplayName("Duplex", "DuplexTumble");
    BYTE b[256];
    DWORD type = 0, needed = 0;
    EXPECT_EQ(E_INVALIDARG, core->GetFeatureAttribute(ui(), 0, "Duplex", "DisplayName", &type, b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG,
              core->GetOptionAttribute(ui(), 0, "Duplex", "DuplexTumble", "DisplayName", &type, b, sizeof b, &needed));
    EXPECT_EQ(S_OK, core->GetOptionAttribute(ui(), 0, "Duplex", "None", "DisplayName", &type, b, sizeof b, &needed));
}

TEST_F(CoreDriverAttributes, ReplacedAttributesAreAnsweredAsGiven)
{
    core->setGlobalAttribute("LanguageLevel", AttributeValue::longValue(1));
    std::wstring longName(100, L'N');
    core->setFeatureAttribute("JCLMediaType", "DisplayName", AttributeValue::unicode(longName));
    core->setFeatureAttribute("%PagePerSheet", "DisplayName", AttributeValue::unicode(L"Pages"));
    BYTE b[16];
    DWORD type = 0, needed = 0;
    ASSERT_EQ(S_OK, core->GetGlobalAttribute(ui(), 0, "LanguageLevel", &type, b, sizeof b, &needed));
    EXPECT_EQ(1, *reinterpret_cast<LONG*>(b));
    EXPECT_EQ(longName + L'\0', wide(featureAttribute("JCLMediaType", "DisplayName").second));
    EXPECT_EQ(std::wstring(L"Pages", 6), wide(featureAttribute("%PagePerSheet", "DisplayName").second));
}

// --- selections ----------------------------------------------------------------------

class CoreDriverSelections : public CoreDriverTest {};

TEST_F(CoreDriverSelections, StartAtThePpdDefaults)
{
    EXPECT_EQ((Strings{"PageSize", "Letter", "Duplex", "None", "JCLDensity", "Medium", "JCLSleepTime", "15Min",
                       "OptionalTray1", "False"}),
              selections({"PageSize", "Duplex", "JCLDensity", "JCLSleepTime", "OptionalTray1"}));
}

TEST_F(CoreDriverSelections, DriverFeaturesStartAtTheirFirstOption)
{
    EXPECT_EQ("Portrait", selected("%Orientation"));
    EXPECT_EQ("1", selected("%PagePerSheet"));
    EXPECT_EQ("FrontToBack", selected("%PageOrder"));
    EXPECT_EQ("1", selected("%OutputPSLevel"));
    EXPECT_EQ("0", selected("%JobTimeout"));
    EXPECT_EQ("4096", selected("%PSMemory")); // *FreeVM in KB
}

TEST_F(CoreDriverSelections, NullRequestAnswersEveryFeatureButAnUnsetCustomSize)
{
    Strings all = split(fetch([&](char* b, DWORD n, DWORD* need) {
        return core->GetOptions(ui(), 0, nullptr, 0, b, n, need);
    }));
    Strings keys;
    for (size_t i = 0; i < all.size(); i += 2)
        keys.push_back(all[i]);
    Strings expected = features();
    expected.erase(std::find(expected.begin(), expected.end(), "%CustomPageSize"));
    EXPECT_EQ(expected, keys);
}

TEST_F(CoreDriverSelections, UnknownFeaturesAreLeftOut)
{
    EXPECT_EQ((Strings{"Duplex", "None"}), selections({"Stapling", "Duplex", "%CustomPageSize"}));
    EXPECT_EQ(Strings{}, selections({}));
}

TEST_F(CoreDriverSelections, RequestMustEndWithinCbIn)
{
    const char request[] = "Duplex\0PageSize\0"; // two NULs more follow in memory
    char b[128];
    DWORD needed = 0;
    EXPECT_EQ(E_INVALIDARG, core->GetOptions(ui(), 0, request, 16, b, sizeof b, &needed));
    EXPECT_EQ(S_OK, core->GetOptions(ui(), 0, request, 17, b, sizeof b, &needed));
}

TEST_F(CoreDriverSelections, SetThenGetRoundTrip)
{
    DWORD result = 0;
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"JCLMediaType", "Thin", "%PagePerSheet", "Booklet"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_NO_CONFLICT), result);
    EXPECT_EQ((Strings{"JCLMediaType", "Thin", "%PagePerSheet", "Booklet"}),
              selections({"JCLMediaType", "%PagePerSheet"}));
}

TEST_F(CoreDriverSelections, BytesAfterTheListAreIgnored)
{
    // As the plug-in writes one option: keyword, NUL, option, NUL, NUL, NUL.
    const char in[] = "JCLMediaType\0Thick\0\0";
    DWORD result = 0;
    ASSERT_EQ(21u, sizeof in);
    EXPECT_EQ(S_OK, core->SetOptions(ui(), SETOPTIONS_FLAG_KEEP_CONFLICT, in, sizeof in, &result));
    EXPECT_EQ("Thick", core->selection("JCLMediaType"));
}

TEST_F(CoreDriverSelections, AnUnknownPairChangesNothing)
{
    EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble", "JCLDensity", "Darkest"}));
    EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble", "Stapling", "On"}));
    EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"PageRegion", "A4"}));
    EXPECT_EQ("None", core->selection("Duplex"));
}

TEST_F(CoreDriverSelections, MalformedListsAreRefused)
{
    DWORD result = 0;
    const char unterminated[] = {'D', 'u', 'p', 'l', 'e', 'x', '\0', 'N', 'o', 'n', 'e', '\0'};
    const char odd[] = "Duplex\0";
    const char empty[] = "";
    EXPECT_EQ(E_INVALIDARG, core->SetOptions(ui(), 2, unterminated, sizeof unterminated, &result));
    EXPECT_EQ(E_INVALIDARG, core->SetOptions(ui(), 2, odd, sizeof odd, &result));
    EXPECT_EQ(E_INVALIDARG, core->SetOptions(ui(), 2, empty, sizeof empty, &result));
    EXPECT_EQ(E_INVALIDARG, core->SetOptions(ui(), 2, nullptr, 0, &result));
}

TEST_F(CoreDriverSelections, OnlyResolveOrKeepIsAFlag)
{
    EXPECT_EQ(E_INVALIDARG, set(0, {"Duplex", "DuplexTumble"}));
    EXPECT_EQ(E_INVALIDARG, set(3, {"Duplex", "DuplexTumble"}));
    EXPECT_EQ("None", core->selection("Duplex"));
}

TEST_F(CoreDriverSelections, EveryCallIsRecordedExactly)
{
    set(SETOPTIONS_FLAG_RESOLVE_CONFLICT, {"Duplex", "DuplexTumble"});
    set(0, {"Duplex", "None"});
    std::vector<CoreCall> calls = core->calls(CoreMethod::SetOptions);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(std::string("Duplex\0DuplexTumble\0\0", 21), calls[0].input);
    EXPECT_EQ(21u, calls[0].cbIn);
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_FLAG_RESOLVE_CONFLICT), calls[0].flags);
    EXPECT_EQ(S_OK, calls[0].result);
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_NO_CONFLICT), calls[0].conflictResult);
    EXPECT_EQ(0u, calls[1].flags);
    EXPECT_EQ(E_INVALIDARG, calls[1].result);
}

TEST_F(CoreDriverSelections, CustomPageSizeKeepsItsText)
{
    char in[512] = {};
    const char text[] = "612 792 0 0 ShortEdge";
    memcpy(in, "%CustomPageSize", 16);
    memcpy(in + 16, text, sizeof text);
    DWORD result = 0;
    ASSERT_EQ(S_OK, core->SetOptions(ui(), SETOPTIONS_FLAG_KEEP_CONFLICT, in, 39, &result));
    EXPECT_EQ(text, selected("%CustomPageSize"));
    EXPECT_EQ("Letter", core->selection("PageSize"));
}

TEST_F(CoreDriverSelections, CustomPageSizeRefusesOtherText)
{
    for (const char* text : {"612 792", "612 792 0 0 Sideways", "a b c d ShortEdge", "612 792 0 0 ShortEdge 1", ""})
        EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%CustomPageSize", text})) << text;
    EXPECT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%CustomPageSize", "255.5 340 0 0 LongEdge"}));
}

TEST_F(CoreDriverSelections, NumberFeaturesTakeNumbersInRange)
{
    EXPECT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%JobTimeout", "30"}));
    EXPECT_EQ("30", selected("%JobTimeout"));
    for (const char* value : {"-1", "x", "32768", "1.5", ""})
        EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%JobTimeout", value})) << value;
    EXPECT_EQ(E_INVALIDARG, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%PSMemory", "248"}));
    EXPECT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"%PSMemory", "249"}));
}

TEST_F(CoreDriverSelections, DirectSelectionSkipsConstraintsUntilReset)
{
    EXPECT_TRUE(core->setSelection("JCLMediaType", "Labels"));
    EXPECT_TRUE(core->setSelection("Duplex", "DuplexTumble"));
    EXPECT_FALSE(core->setSelection("Duplex", "Sideways"));
    EXPECT_EQ("DuplexTumble", selected("Duplex"));
    core->resetSelections();
    EXPECT_EQ("None", selected("Duplex"));
    EXPECT_EQ("Plain", selected("JCLMediaType"));
}

// --- constraints ---------------------------------------------------------------------

class CoreDriverConstraints : public CoreDriverTest {};

TEST_F(CoreDriverConstraints, KeepLeavesBothSidesAndReportsRemained)
{
    DWORD result = 0;
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"JCLMediaType", "Thick"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_NO_CONFLICT), result);
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_REMAINED), result);
    EXPECT_EQ("Thick", selected("JCLMediaType"));
    EXPECT_EQ("DuplexTumble", selected("Duplex"));
}

TEST_F(CoreDriverConstraints, KeepReportsTheConflictFromTheOtherSide)
{
    DWORD result = 0;
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexNoTumble"}, &result));
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"PageSize", "EnvDL"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_REMAINED), result);
}

TEST_F(CoreDriverConstraints, ResolveMovesTheOtherSide)
{
    DWORD result = 0;
    set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"JCLMediaType", "Thick"});
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_RESOLVE_CONFLICT, {"Duplex", "DuplexTumble"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_RESOLVED), result);
    EXPECT_EQ("DuplexTumble", selected("Duplex"));
    EXPECT_EQ("Plain", selected("JCLMediaType"));
}

TEST_F(CoreDriverConstraints, ResolveInstallsTrayOneForTrayTwo)
{
    DWORD result = 0;
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_RESOLVE_CONFLICT, {"OptionalTray2", "True"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_RESOLVED), result);
    EXPECT_EQ("True", selected("OptionalTray1"));
    EXPECT_EQ("True", selected("OptionalTray2"));
}

TEST_F(CoreDriverConstraints, ResolveFollowsTheChain)
{
    core->setSelection("OptionalTray1", "True");
    core->setSelection("OptionalTray2", "True");
    core->setSelection("JCLInputSlot", "OptionalTray2");
    DWORD result = 0;
    ASSERT_EQ(S_OK, set(SETOPTIONS_FLAG_RESOLVE_CONFLICT, {"OptionalTray1", "False"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_RESOLVED), result);
    EXPECT_EQ("False", selected("OptionalTray2"));
    EXPECT_EQ("Auto", selected("JCLInputSlot"));
}

TEST_F(CoreDriverConstraints, ResolveWithinOneCallKeepsOneSide)
{
    DWORD result = 0;
    ASSERT_EQ(S_OK,
              set(SETOPTIONS_FLAG_RESOLVE_CONFLICT, {"JCLMediaType", "Labels", "Duplex", "DuplexTumble"}, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_RESOLVED), result);
    bool labels = selected("JCLMediaType") == "Labels", tumble = selected("Duplex") == "DuplexTumble";
    EXPECT_NE(labels, tumble);
    EXPECT_EQ(Strings{}, why("Duplex", selected("Duplex").c_str()));
}

TEST_F(CoreDriverConstraints, ResolveSkipsADefaultThatConflictsToo)
{
    auto d = driverOver("*OpenUI *A: PickOne\n*DefaultA: x\n*A x: \"\"\n*A y: \"\"\n*A z: \"\"\n*CloseUI: *A\n"
                        "*OpenUI *B: PickOne\n*B p: \"\"\n*B q: \"\"\n*CloseUI: *B\n"
                        "*UIConstraints: *B q *A x\n*UIConstraints: *B q *A y\n");
    const char in[] = "B\0q\0";
    DWORD result = 0;
    ASSERT_EQ(S_OK, d->SetOptions(d->uiObject(), SETOPTIONS_FLAG_RESOLVE_CONFLICT, in, sizeof in, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_RESOLVED), result);
    EXPECT_EQ("z", d->selection("A"));
}

TEST_F(CoreDriverConstraints, UnresolvableConflictRemains)
{
    auto d = driverOver("*OpenUI *A: PickOne\n*A x: \"\"\n*CloseUI: *A\n*OpenUI *B: PickOne\n*B p: \"\"\n*B q: \"\"\n"
                        "*CloseUI: *B\n*UIConstraints: *B q *A x\n");
    const char in[] = "B\0q\0";
    DWORD result = 0;
    ASSERT_EQ(S_OK, d->SetOptions(d->uiObject(), SETOPTIONS_FLAG_RESOLVE_CONFLICT, in, sizeof in, &result));
    EXPECT_EQ(static_cast<DWORD>(SETOPTIONS_RESULT_CONFLICT_REMAINED), result);
    EXPECT_EQ("q", d->selection("B"));
}

TEST_F(CoreDriverConstraints, ConstrainedOptionsFollowTheSelections)
{
    EXPECT_EQ(Strings{}, constrained("Duplex"));
    set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"PageSize", "Env10"});
    EXPECT_EQ((Strings{"DuplexNoTumble", "DuplexTumble"}), constrained("Duplex"));
    EXPECT_EQ((Strings{"OptionalTray1", "OptionalTray2"}), constrained("JCLInputSlot"));
    set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"OptionalTray1", "True"});
    EXPECT_EQ((Strings{"OptionalTray2"}), constrained("JCLInputSlot"));
}

TEST_F(CoreDriverConstraints, ConstrainedOptionsOfDriverFeatures)
{
    EXPECT_EQ(Strings{}, constrained("%Orientation"));
    char b[64];
    DWORD needed = 0;
    EXPECT_EQ(E_NOTIMPL, core->EnumConstrainedOptions(ui(), 0, "%CustomPageSize", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->EnumConstrainedOptions(ui(), 0, "Stapling", b, sizeof b, &needed));
}

TEST_F(CoreDriverConstraints, WhyConstrainedNamesTheSelectedPair)
{
    set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"JCLMediaType", "Transparency"});
    EXPECT_EQ((Strings{"JCLMediaType", "Transparency"}), why("Duplex", "DuplexNoTumble"));
    // In the order of the PPD's constraint lines.
    EXPECT_EQ((Strings{"OptionalTray1", "False", "JCLMediaType", "Transparency"}),
              why("JCLInputSlot", "OptionalTray1"));
    EXPECT_EQ(Strings{}, why("Duplex", "None"));
}

TEST_F(CoreDriverConstraints, WhyConstrainedListsEachReasonOnce)
{
    set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"JCLMediaType", "Envelope", "PageSize", "EnvC5"});
    EXPECT_EQ((Strings{"JCLMediaType", "Envelope", "PageSize", "EnvC5"}), why("Duplex", "DuplexTumble"));
    EXPECT_EQ((Strings{"Duplex", "None"}), selections({"Duplex"})); // asking does not change anything
}

TEST_F(CoreDriverConstraints, WhyConstrainedRefusesDriverFeaturesAndUnknownKeys)
{
    char b[64];
    DWORD needed = 0;
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(ui(), 0, "%Orientation", "Portrait", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(ui(), 0, "Duplex", "Sideways", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(ui(), 0, "Stapling", "On", b, sizeof b, &needed));
    EXPECT_EQ(E_INVALIDARG, core->WhyConstrained(ui(), 0, "Duplex", nullptr, b, sizeof b, &needed));
}

TEST_F(CoreDriverConstraints, ConstraintWithoutOptionMeansAnyChoiceButOff)
{
    auto d = driverOver("*OpenUI *Duplex: PickOne\n*Duplex None: \"\"\n*Duplex DuplexTumble: \"\"\n*CloseUI: *Duplex\n"
                        "*OpenUI *PageSize: PickOne\n*PageSize A4: \"\"\n*PageSize Env10: \"\"\n*CloseUI: *PageSize\n"
                        "*UIConstraints: *Duplex *PageSize Env10\n");
    char b[64];
    DWORD needed = 0;
    ASSERT_EQ(S_OK, d->EnumConstrainedOptions(d->uiObject(), 0, "PageSize", b, sizeof b, &needed));
    EXPECT_EQ(1u, needed);
    d->setSelection("Duplex", "DuplexTumble");
    ASSERT_EQ(S_OK, d->EnumConstrainedOptions(d->uiObject(), 0, "PageSize", b, sizeof b, &needed));
    EXPECT_EQ(multiSz({"Env10"}), std::string(b, needed));
}

// --- instrumentation -------------------------------------------------------------------

class CoreDriverInstrumentation : public CoreDriverTest {};

TEST_F(CoreDriverInstrumentation, CountsCallsPerMethodUntilCleared)
{
    features();
    options("Duplex");
    options("PageSize");
    EXPECT_EQ(2, core->callCount(CoreMethod::EnumFeatures));
    EXPECT_EQ(4, core->callCount(CoreMethod::EnumOptions));
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));
    core->clearCalls();
    EXPECT_EQ(0, core->callCount(CoreMethod::EnumOptions));
    EXPECT_TRUE(core->calls().empty());
}

TEST_F(CoreDriverInstrumentation, LogRecordsArgumentsAndBufferSizes)
{
    BYTE b[64];
    DWORD type = 0, needed = 0;
    core->GetFeatureAttribute(ui(), 0, "JCLDensity", "DisplayName", &type, b, 64, &needed);
    core->GetOptionAttribute(ui(), 0, "JCLDensity", "Dark", "DisplayName", &type, nullptr, 32, &needed);
    std::vector<CoreCall> calls = core->calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(CoreMethod::GetFeatureAttribute, calls[0].method);
    EXPECT_EQ("JCLDensity", calls[0].feature);
    EXPECT_EQ("DisplayName", calls[0].attribute);
    EXPECT_EQ(64u, calls[0].cbSize);
    EXPECT_EQ(S_OK, calls[0].result);
    EXPECT_EQ("Dark", calls[1].option);
    EXPECT_TRUE(calls[1].nullOutput);
    EXPECT_EQ(E_OUTOFMEMORY, calls[1].result);
}

TEST_F(CoreDriverInstrumentation, FailsTheNextCallOnly)
{
    core->failCall(CoreMethod::EnumFeatures, E_FAIL);
    char b[1024];
    DWORD needed = 0;
    EXPECT_EQ(E_FAIL, core->EnumFeatures(ui(), 0, b, sizeof b, &needed));
    EXPECT_EQ(S_OK, core->EnumFeatures(ui(), 0, b, sizeof b, &needed));
    EXPECT_EQ(2, core->callCount(CoreMethod::EnumFeatures));
}

TEST_F(CoreDriverInstrumentation, FailsTheNthCall)
{
    core->failCall(CoreMethod::GetOptions, E_ACCESSDENIED, 3);
    char b[128];
    DWORD needed = 0;
    HRESULT results[4];
    for (HRESULT& hr : results)
        hr = core->GetOptions(ui(), 0, nullptr, 0, b, sizeof b, &needed);
    EXPECT_EQ(E_OUTOFMEMORY, results[0]); // everything is more than 128 bytes
    EXPECT_EQ(E_OUTOFMEMORY, results[1]);
    EXPECT_EQ(E_ACCESSDENIED, results[2]);
    EXPECT_EQ(E_OUTOFMEMORY, results[3]);
}

TEST_F(CoreDriverInstrumentation, FailsAlwaysUntilCleared)
{
    core->failAlways(CoreMethod::SetOptions, E_UNEXPECTED);
    EXPECT_EQ(E_UNEXPECTED, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble"}));
    EXPECT_EQ(E_UNEXPECTED, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble"}));
    EXPECT_EQ("None", core->selection("Duplex"));
    core->clearFaults();
    EXPECT_EQ(S_OK, set(SETOPTIONS_FLAG_KEEP_CONFLICT, {"Duplex", "DuplexTumble"}));
    EXPECT_EQ(3u, core->calls(CoreMethod::SetOptions).size()); // failed calls are recorded too
}

TEST_F(CoreDriverInstrumentation, UnderstatedNeedIsTheBufferSize)
{
    core->understateNeededSize(CoreMethod::GetFeatureAttribute);
    BYTE b[8];
    std::fill(std::begin(b), std::end(b), 0x5A);
    DWORD type = 0, needed = 0;
    EXPECT_EQ(E_OUTOFMEMORY, core->GetFeatureAttribute(ui(), 0, "JCLDensity", "DefaultOption", &type, b, 8, &needed));
    EXPECT_EQ(8u, needed);
    EXPECT_TRUE(std::all_of(std::begin(b), std::end(b), [](BYTE x) { return x == 0x5A; }));
    EXPECT_EQ(S_OK, core->GetFeatureAttribute(ui(), 0, "JCLDensity", "DefaultOption", &type, b, 8, &needed));
    EXPECT_EQ(7u, needed);
}

TEST_F(CoreDriverInstrumentation, DriverUiMethodsAreRecordedNotImplemented)
{
    DWORD needed = 0, count = 0;
    char b[16];
    EXPECT_EQ(E_NOTIMPL, core->DrvGetDriverSetting(nullptr, "Duplex", b, sizeof b, &needed, &count));
    EXPECT_EQ(E_NOTIMPL, core->DrvGetDriverSetting(nullptr, reinterpret_cast<PCSTR>(1), b, sizeof b, &needed, &count));
    EXPECT_EQ(E_NOTIMPL, core->DrvUpgradeRegistrySetting(nullptr, "OptionalTray1", "True"));
    EXPECT_EQ(E_NOTIMPL, core->DrvUpdateUISetting(nullptr, nullptr, 0, 0));
    EXPECT_EQ(E_NOTIMPL, core->QuerySimulationSupport(nullptr, 1, nullptr, 0, &needed));
    std::vector<CoreCall> calls = core->calls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ("Duplex", calls[0].feature);
    EXPECT_EQ("", calls[1].feature); // an index, not a keyword
    EXPECT_EQ("OptionalTray1", calls[2].feature);
    EXPECT_EQ("True", calls[2].option);
    EXPECT_EQ(1, core->callCount(CoreMethod::QuerySimulationSupport));
}

// --- multi-strings ------------------------------------------------------------------------

TEST(MultiSz, BuildsWithTheFinalNul)
{
    EXPECT_EQ(std::string("a\0bc\0\0", 6), multiSz({"a", "bc"}));
    EXPECT_EQ(std::string(1, '\0'), multiSz(Strings{}));
}

TEST(MultiSz, SplitStopsAtTheEmptyString)
{
    EXPECT_EQ((Strings{"a", "bc"}), *splitMultiSz("a\0bc\0\0zz", 8));
    EXPECT_EQ(Strings{}, *splitMultiSz("\0", 1));
}

TEST(MultiSz, SplitNeedsTheEndWithinSize)
{
    EXPECT_FALSE(splitMultiSz("a\0bc\0\0", 5));
    EXPECT_FALSE(splitMultiSz("ab", 2));
    EXPECT_FALSE(splitMultiSz("", 0));
    EXPECT_FALSE(splitMultiSz(nullptr, 4));
}

TEST_F(CoreDriverTest, AReplyHookChangesAnswersButNeverWritesPastTheBuffer)
{
    std::vector<CoreMethod> seen;
    core->setReplyMutator([&seen](CoreReply& reply) {
        seen.push_back(reply.method);
        reply.data = std::string(40, 'x');  // no terminator, longer than the buffer below
        reply.needed = 7;                    // and a needed size that is no answer's
    });
    char buffer[24];
    std::fill(std::begin(buffer), std::end(buffer), '?');
    DWORD needed = 0;
    EXPECT_EQ(E_OUTOFMEMORY, core->EnumFeatures(ui(), 0, buffer, 16, &needed));
    EXPECT_EQ(7u, needed);
    EXPECT_EQ(std::string(24, '?'), std::string(buffer, 24));

    core->setReplyMutator([](CoreReply& reply) {
        reply.type = 99;
        reply.result = E_FAIL;
    });
    DWORD type = 0;
    BYTE data[64];
    EXPECT_EQ(E_FAIL, core->GetFeatureAttribute(ui(), 0, "Duplex", "DisplayName", &type, data, sizeof data, &needed));
    EXPECT_EQ(99u, type);
    core->setReplyMutator(nullptr);
    EXPECT_EQ(S_OK, core->GetFeatureAttribute(ui(), 0, "Duplex", "DisplayName", &type, data, sizeof data, &needed));
    EXPECT_EQ((std::vector<CoreMethod>{ CoreMethod::EnumFeatures }), seen);
}
