// CUIHelper routes each call to the held interface by the id it was taken with.
#include <gtest/gtest.h>

#include "plugin/UIHelper.h"

#include <string>
#include <vector>

namespace {

// Records every call by name; each method answers its own distinctive code.
class RecordingCore : public IPrintCoreUI2 {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { *ppv = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++refs; }
    STDMETHODIMP_(ULONG) Release() override { ++releases; return (ULONG)--refs; }

    STDMETHODIMP DrvGetDriverSetting(PVOID, PCSTR feature, PVOID, DWORD cb, PDWORD, PDWORD) override
    {
        return Hit("DrvGetDriverSetting", feature, cb, 0x101);
    }
    STDMETHODIMP DrvUpgradeRegistrySetting(HANDLE, PCSTR feature, PCSTR) override
    {
        return Hit("DrvUpgradeRegistrySetting", feature, 0, 0x102);
    }
    STDMETHODIMP DrvUpdateUISetting(PVOID, PVOID, DWORD previous, DWORD) override
    {
        return Hit("DrvUpdateUISetting", nullptr, previous, 0x103);
    }
    STDMETHODIMP GetOptions(POEMUIOBJ, DWORD, PCSTR features, DWORD cbIn, PSTR, DWORD, PDWORD) override
    {
        return Hit("GetOptions", features, cbIn, 0x104);
    }
    STDMETHODIMP SetOptions(POEMUIOBJ, DWORD flags, PCSTR pairs, DWORD, PDWORD) override
    {
        return Hit("SetOptions", pairs, flags, 0x105);
    }
    STDMETHODIMP EnumConstrainedOptions(POEMUIOBJ, DWORD, PCSTR feature, PSTR, DWORD cb, PDWORD) override
    {
        return Hit("EnumConstrainedOptions", feature, cb, 0x106);
    }
    STDMETHODIMP WhyConstrained(POEMUIOBJ, DWORD, PCSTR feature, PCSTR, PSTR, DWORD cb, PDWORD) override
    {
        return Hit("WhyConstrained", feature, cb, 0x107);
    }
    STDMETHODIMP GetGlobalAttribute(POEMUIOBJ, DWORD, PCSTR attribute, PDWORD, PBYTE, DWORD cb, PDWORD) override
    {
        return Hit("GetGlobalAttribute", attribute, cb, 0x108);
    }
    STDMETHODIMP GetFeatureAttribute(POEMUIOBJ, DWORD, PCSTR feature, PCSTR, PDWORD, PBYTE, DWORD cb,
                                     PDWORD) override
    {
        return Hit("GetFeatureAttribute", feature, cb, 0x109);
    }
    STDMETHODIMP GetOptionAttribute(POEMUIOBJ, DWORD, PCSTR feature, PCSTR, PCSTR, PDWORD, PBYTE, DWORD cb,
                                    PDWORD) override
    {
        return Hit("GetOptionAttribute", feature, cb, 0x10A);
    }
    STDMETHODIMP EnumFeatures(POEMUIOBJ, DWORD, PSTR, DWORD cb, PDWORD) override
    {
        return Hit("EnumFeatures", nullptr, cb, 0x10B);
    }
    STDMETHODIMP EnumOptions(POEMUIOBJ, DWORD, PCSTR feature, PSTR, DWORD cb, PDWORD) override
    {
        return Hit("EnumOptions", feature, cb, 0x10C);
    }
    STDMETHODIMP QuerySimulationSupport(HANDLE, DWORD level, PBYTE, DWORD, PDWORD) override
    {
        return Hit("QuerySimulationSupport", nullptr, level, 0x10D);
    }

    HRESULT Hit(const char* name, const char* text, DWORD number, HRESULT answer)
    {
        calls.push_back(name);
        lastText = text ? text : "";
        lastNumber = number;
        return answer;
    }

    int refs = 1;
    int releases = 0;
    std::vector<std::string> calls;
    std::string lastText;
    DWORD lastNumber = 0;
};

// Calls all thirteen operations; answers what each returned.
std::vector<HRESULT> CallAll(CUIHelper& h)
{
    DWORD needed = 0, type = 0, result = 0;
    char buf[8] = {};
    return {
        h.DrvGetDriverSetting(nullptr, "F", buf, 8, &needed, &result),
        h.DrvUpgradeRegistrySetting(nullptr, "F", "O"),
        h.DrvUpdateUISetting(nullptr, nullptr, 3, 0),
        h.GetOptions(nullptr, 0, "F\0", 3, buf, 8, &needed),
        h.SetOptions(nullptr, 2, "F\0O\0", 5, &result),
        h.EnumConstrainedOptions(nullptr, 0, "F", buf, 8, &needed),
        h.WhyConstrained(nullptr, 0, "F", "O", buf, 8, &needed),
        h.GetGlobalAttribute(nullptr, 0, "LanguageLevel", &type, (PBYTE)buf, 8, &needed),
        h.GetFeatureAttribute(nullptr, 0, "F", "DisplayName", &type, (PBYTE)buf, 8, &needed),
        h.GetOptionAttribute(nullptr, 0, "F", "O", "DisplayName", &type, (PBYTE)buf, 8, &needed),
        h.EnumFeatures(nullptr, 0, buf, 8, &needed),
        h.EnumOptions(nullptr, 0, "F", buf, 8, &needed),
        h.QuerySimulationSupport(nullptr, 1, (PBYTE)buf, 8, &needed),
    };
}

} // namespace

TEST(UIHelper, AnswersNoInterfaceBeforeOneIsHeld)
{
    CUIHelper helper;
    EXPECT_FALSE(helper.IsHolding());
    EXPECT_TRUE(IsEqualIID(GUID_NULL, helper.HeldId()));
    for (HRESULT hr : CallAll(helper))
        EXPECT_EQ(E_NOINTERFACE, hr);
}

TEST(UIHelper, HoldingTheCoreInterfaceReachesAllThirteen)
{
    RecordingCore core;
    CUIHelper helper;
    core.AddRef();
    helper.Attach(&core, IID_IPrintCoreUI2);
    std::vector<HRESULT> answers = CallAll(helper);
    ASSERT_EQ(13u, answers.size());
    for (size_t i = 0; i < answers.size(); ++i)
        EXPECT_EQ((HRESULT)(0x101 + i), answers[i]) << "operation " << i;
    std::vector<std::string> expected = { "DrvGetDriverSetting", "DrvUpgradeRegistrySetting", "DrvUpdateUISetting",
                                          "GetOptions", "SetOptions", "EnumConstrainedOptions", "WhyConstrained",
                                          "GetGlobalAttribute", "GetFeatureAttribute", "GetOptionAttribute",
                                          "EnumFeatures", "EnumOptions", "QuerySimulationSupport" };
    EXPECT_EQ(expected, core.calls);
}

TEST(UIHelper, ForwardsArgumentsUnchanged)
{
    RecordingCore core;
    CUIHelper helper;
    core.AddRef();
    helper.Attach(&core, IID_IPrintCoreUI2);
    DWORD result = 0;
    helper.SetOptions(nullptr, 2, "PageSize\0A4\0", 13, &result);
    EXPECT_EQ("PageSize", core.lastText);
    EXPECT_EQ(2u, core.lastNumber);
}

TEST(UIHelper, HoldingTheOlderInterfaceReachesOnlyItsThreeMethods)
{
    RecordingCore core;
    CUIHelper helper;
    core.AddRef();
    helper.Attach(&core, IID_IPrintOemDriverUI);
    std::vector<HRESULT> answers = CallAll(helper);
    EXPECT_EQ((HRESULT)0x101, answers[0]);
    EXPECT_EQ((HRESULT)0x102, answers[1]);
    EXPECT_EQ((HRESULT)0x103, answers[2]);
    for (size_t i = 3; i < answers.size(); ++i)
        EXPECT_EQ(E_NOINTERFACE, answers[i]) << "operation " << i;
    EXPECT_EQ(3u, core.calls.size());
}

TEST(UIHelper, AnotherIdReachesNothing)
{
    RecordingCore core;
    CUIHelper helper;
    core.AddRef();
    helper.Attach(&core, IID_IPrintOemUI);
    for (HRESULT hr : CallAll(helper))
        EXPECT_EQ(E_NOINTERFACE, hr);
    EXPECT_TRUE(core.calls.empty());
}

TEST(UIHelper, DestructionReleasesTheInterfaceOnce)
{
    RecordingCore core;
    {
        CUIHelper helper;
        core.AddRef();
        helper.Attach(&core, IID_IPrintCoreUI2);
        EXPECT_EQ(2, core.refs);
    }
    EXPECT_EQ(1, core.releases);
    EXPECT_EQ(1, core.refs);
}

TEST(UIHelper, AttachReleasesWhatWasHeld)
{
    RecordingCore first, second;
    CUIHelper helper;
    first.AddRef();
    helper.Attach(&first, IID_IPrintCoreUI2);
    second.AddRef();
    helper.Attach(&second, IID_IPrintOemDriverUI);
    EXPECT_EQ(1, first.releases);
    EXPECT_TRUE(IsEqualIID(IID_IPrintOemDriverUI, helper.HeldId()));
    helper.Release();
    EXPECT_EQ(1, second.releases);
    EXPECT_FALSE(helper.IsHolding());
    EXPECT_TRUE(IsEqualIID(GUID_NULL, helper.HeldId()));
    // Releasing with nothing held calls nothing.
    helper.Release();
    EXPECT_EQ(1, second.releases);
}
