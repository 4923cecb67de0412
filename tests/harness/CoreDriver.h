// A stand-in for the PostScript driver's UI core as a plug-in sees it: a COM
// object behind IPrintCoreUI2 (and IPrintOemDriverUI, IUnknown) over a PPD
// model, with the driver's own "%" features, selections, constraints and the
// documented buffer protocol, plus instrumentation for tests.
//
// The test owns the object (on the stack or in a unique_ptr); COM references
// are counted but never delete it. It starts with one reference, the owner's:
// refCount() is 1 again once everybody else has released theirs.
//
//   auto core = harness::CoreDriver::fromDefaultPpd();
//   plugin->PublishDriverInterface(core->unknown());
//   param.poemuiobj = core->uiObject();
//   core->failCall(harness::CoreMethod::EnumFeatures, E_FAIL);
//   ... run the code under test ...
//   EXPECT_EQ(1, core->refCount());  // every reference it took is released
//   auto writes = core->calls(harness::CoreMethod::SetOptions); // bytes, cbIn, flags
#pragma once

#include "PpdModel.h"
#include "oem/PrintOemUI.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace harness {

enum class CoreMethod {
    QueryInterface,
    AddRef,
    Release,
    DrvGetDriverSetting,
    DrvUpgradeRegistrySetting,
    DrvUpdateUISetting,
    GetOptions,
    SetOptions,
    EnumConstrainedOptions,
    WhyConstrained,
    GetGlobalAttribute,
    GetFeatureAttribute,
    GetOptionAttribute,
    EnumFeatures,
    EnumOptions,
    QuerySimulationSupport,
};
constexpr int kCoreMethodCount = static_cast<int>(CoreMethod::QuerySimulationSupport) + 1;
const char* coreMethodName(CoreMethod m);

// One call as the double saw it.
struct CoreCall {
    CoreMethod method = CoreMethod::QueryInterface;
    DWORD flags = 0;
    std::string feature;   // keyword arguments, empty when not given
    std::string option;
    std::string attribute;
    std::string input;     // GetOptions and SetOptions: the cbIn bytes of the list
    DWORD cbIn = 0;
    DWORD cbSize = 0;      // size of the output buffer
    bool nullOutput = false;
    HRESULT result = S_OK;
    DWORD conflictResult = 0; // SetOptions: what went to *pdwResult
};

// A typed attribute answer: kADT_* and the exact bytes.
struct AttributeValue {
    DWORD type = kADT_UNKNOWN;
    std::string bytes;

    static AttributeValue ascii(std::string_view text);      // with its NUL
    static AttributeValue unicode(std::wstring_view text);   // UTF-16 with its NUL
    static AttributeValue longValue(LONG value);
};

// A reply the double is about to give, for a mutation hook: the bytes of the
// answer (a list, an attribute's value, the selections), the attribute's
// type, the needed size it will report and its result. The hook may change
// any of them; the double then keeps the buffer protocol with what it got:
// it reports the needed size, and copies the bytes only when they fit the
// caller's buffer (else E_OUTOFMEMORY), so it never writes past that buffer.
struct CoreReply {
    CoreMethod method = CoreMethod::QueryInterface;
    std::string data;
    DWORD type = 0;   // attribute answers only
    DWORD needed = 0; // data.size() unless changed
    HRESULT result = S_OK;
};

class CoreDriver final : public IPrintCoreUI2 {
public:
    enum class Kind {
        CoreUI2,      // answers IPrintCoreUI2, IPrintOemDriverUI, IUnknown
        DriverUIOnly, // refuses IPrintCoreUI2
    };

    // Without driverFeatures the list holds the PPD's features only (no "%" ones).
    explicit CoreDriver(const PpdModel& model, Kind kind = Kind::CoreUI2, bool driverFeatures = true);
    // Over bq2100PS.ppd beside the running program; null when it cannot be read.
    static std::unique_ptr<CoreDriver> fromDefaultPpd(Kind kind = Kind::CoreUI2);

    CoreDriver(const CoreDriver&) = delete;
    CoreDriver& operator=(const CoreDriver&) = delete;
    ~CoreDriver() = default;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPrintOemDriverUI
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                  PDWORD pcbNeeded, PDWORD pdwOptionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature, PCSTR pOption) override;
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                 DWORD dwMode) override;

    // IPrintCoreUI2
    HRESULT STDMETHODCALLTYPE GetOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pmszFeaturesRequested, DWORD cbIn,
                                         PSTR pmszFeatureOptionBuf, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE SetOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pmszFeatureOptionBuf, DWORD cbIn,
                                         PDWORD pdwResult) override;
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                                     PSTR pmszConstrainedOptionList, DWORD cbSize,
                                                     PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE WhyConstrained(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                             PCSTR pszOptionKeyword, PSTR pmszReasonList, DWORD cbSize,
                                             PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszAttribute,
                                                 PDWORD pdwDataType, PBYTE pbData, DWORD cbSize,
                                                 PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE GetFeatureAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                                  PCSTR pszAttribute, PDWORD pdwDataType, PBYTE pbData,
                                                  DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE GetOptionAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                                 PCSTR pszOptionKeyword, PCSTR pszAttribute, PDWORD pdwDataType,
                                                 PBYTE pbData, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE EnumFeatures(POEMUIOBJ poemuiobj, DWORD dwFlags, PSTR pmszFeatureList, DWORD cbSize,
                                           PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE EnumOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                          PSTR pmszOptionList, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE QuerySimulationSupport(HANDLE hPrinter, DWORD dwLevel, PBYTE pCaps, DWORD cbSize,
                                                     PDWORD pcbNeeded) override;

    // --- for tests -------------------------------------------------------------

    Kind kind() const { return m_kind; }
    // The UI object to pass as poemuiobj; any other pointer is refused. Its
    // procedure table holds null pointers.
    POEMUIOBJ uiObject() { return &m_uiObject; }
    IUnknown* unknown() { return static_cast<IPrintCoreUI2*>(this); }

    // References: the current count (1 = only the owner's), the AddRef and
    // Release calls so far (QueryInterface's own reference is not an AddRef
    // call), and whether a Release ever took the count to zero.
    LONG refCount() const;
    int addRefCalls() const;
    int releaseCalls() const;
    bool overReleased() const;

    int callCount(CoreMethod m) const;
    std::vector<CoreCall> calls() const;              // every call but AddRef and Release, in order
    std::vector<CoreCall> calls(CoreMethod m) const;  // the calls of one method
    // Forgets the calls (counts and log, AddRef and Release calls included);
    // the reference count itself stays.
    void clearCalls();

    // Fault injection. The nth call of the method from now (1 = the next one)
    // answers hr without doing anything.
    void failCall(CoreMethod m, HRESULT hr, int nth = 1);
    void failAlways(CoreMethod m, HRESULT hr);
    // The nth call from now answers E_OUTOFMEMORY with a needed size equal to
    // the caller's buffer size, writing nothing: a driver that cannot be grown out of.
    void understateNeededSize(CoreMethod m, int nth = 1);
    void clearFaults();
    // Every reply with data passes through the hook first (none: the replies
    // as the model gives them). The hook runs with the double's lock held and
    // must not call the double.
    void setReplyMutator(std::function<void(CoreReply&)> mutator);

    // Selections, set directly: no constraint is checked. False when the
    // feature or (for a list feature) the option is unknown.
    bool setSelection(std::string_view feature, std::string_view option);
    std::string selection(std::string_view feature) const; // empty when there is none
    void resetSelections();                                // back to the defaults

    std::vector<std::string> featureKeywords() const;
    std::vector<std::string> optionKeywords(std::string_view feature) const;

    // Attribute answers replaced or removed (a removed one answers E_INVALIDARG).
    // They win over the model, also for names the double does not know.
    void setGlobalAttribute(std::string_view attribute, AttributeValue value);
    void setFeatureAttribute(std::string_view feature, std::string_view attribute, AttributeValue value);
    void setOptionAttribute(std::string_view feature, std::string_view option, std::string_view attribute,
                            AttributeValue value);
    void removeGlobalAttribute(std::string_view attribute);
    void removeFeatureAttribute(std::string_view feature, std::string_view attribute);
    void removeOptionAttribute(std::string_view feature, std::string_view option, std::string_view attribute);
    void removeDisplayName(std::string_view feature) { removeFeatureAttribute(feature, "DisplayName"); }
    void removeDisplayName(std::string_view feature, std::string_view option)
    {
        removeOptionAttribute(feature, option, "DisplayName");
    }

private:
    struct Option {
        std::string keyword;
        std::wstring displayName;
    };
    enum class Values {
        List,      // one of its options
        Number,    // a decimal number in [minimum, maximum]
        PaperText, // "%CustomPageSize": "width height offset offset edge"
    };
    struct Feature {
        std::string keyword;
        bool synthesized = false; // the driver's own "%" feature
        std::wstring displayName;
        std::string group;
        Values values = Values::List;
        std::vector<Option> options;
        long minimum = 0;
        long maximum = 0;
        std::string defaultOption;
        std::string current;
    };
    struct Fault {
        CoreMethod method;
        int remaining; // calls of the method until it fires; 0: every call
        HRESULT hr;
        bool understate;
    };
    using AttributeKey = std::tuple<std::string, std::string, std::string>; // feature, option, attribute

    void addSynthesized(const PpdModel& model);
    Feature* find(std::string_view keyword);
    const Feature* find(std::string_view keyword) const;
    bool acceptable(const Feature& f, std::string_view value) const;
    bool holds(const std::string& feature, const std::string& option) const;
    bool violated(const PpdConstraint& c) const;
    bool conflicts(const Feature& f) const;
    bool resolve(std::vector<std::string> fixed);
    HRESULT checkObject(POEMUIOBJ poemuiobj, DWORD dwFlags) const;
    std::optional<std::optional<AttributeValue>> overrideFor(const AttributeKey& key) const;

    template <class Body>
    HRESULT serve(CoreCall call, DWORD cbSize, PDWORD pcbNeeded, Body body);
    // The buffer protocol of one reply, through the mutation hook.
    HRESULT answer(const std::string& data, void* out, DWORD cbSize, PDWORD pcbNeeded, PDWORD type = nullptr);
    HRESULT answer(const AttributeValue& v, PDWORD pdwDataType, PBYTE out, DWORD cbSize, PDWORD pcbNeeded);

    Kind m_kind;
    OEMUIPROCS m_procs{};
    OEMUIOBJ m_uiObject{};
    std::vector<Feature> m_features;
    std::vector<PpdConstraint> m_constraints;
    int m_languageLevel = 1;

    mutable std::mutex m_mutex;
    LONG m_refs = 1;
    int m_addRefCalls = 0;
    int m_releaseCalls = 0;
    bool m_overReleased = false;
    int m_counts[kCoreMethodCount] = {};
    std::vector<CoreCall> m_log;
    std::vector<Fault> m_faults;
    std::map<AttributeKey, std::optional<AttributeValue>> m_overrides;
    std::function<void(CoreReply&)> m_mutator;
    CoreMethod m_serving = CoreMethod::QueryInterface;
};

} // namespace harness
