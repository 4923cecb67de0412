// The interface ids are defined here as well (selectany, so they merge with the
// plug-in's): the harness library also links into programs without the plug-in core.
#include <windows.h>
#include <objbase.h>
#include <initguid.h>

#include "CoreDriver.h"

#include "MultiSz.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace harness {
namespace {

constexpr char kInstallableGroup[] = "InstallableOptions";

std::wstring fromLatin1(std::string_view s)
{
    std::wstring w;
    w.reserve(s.size());
    for (char c : s)
        w.push_back(static_cast<unsigned char>(c));
    return w;
}

// A keyword argument, which DrvGetDriverSetting may also give as a small index.
std::string keywordArg(PCSTR s)
{
    return reinterpret_cast<ULONG_PTR>(s) >= 0x10000 ? std::string(s) : std::string();
}

// "None", "False" and "Off" do not count as a choice where a constraint names no option.
bool isOffOption(std::string_view option)
{
    return option == "None" || option == "False" || option == "Off";
}

bool optionMatches(std::string_view ruleOption, std::string_view option)
{
    return ruleOption.empty() ? !option.empty() && !isOffOption(option) : ruleOption == option;
}

bool parseNumber(std::string_view s, bool allowFraction, double* value)
{
    if (s.empty())
        return false;
    bool point = false;
    for (char c : s) {
        if (c == '.' && allowFraction && !point)
            point = true;
        else if (c < '0' || c > '9')
            return false;
    }
    if (s == ".")
        return false;
    *value = std::atof(std::string(s).c_str());
    return true;
}

// "width height widthOffset heightOffset edge", sizes in points.
bool isPaperText(std::string_view text)
{
    std::vector<std::string_view> w;
    size_t pos = 0;
    while ((pos = text.find_first_not_of(' ', pos)) != std::string_view::npos) {
        size_t end = std::min(text.find(' ', pos), text.size());
        w.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    if (w.size() != 5)
        return false;
    double v = 0;
    for (int i = 0; i < 4; ++i)
        if (!parseNumber(w[i], true, &v))
            return false;
    return w[4] == "ShortEdge" || w[4] == "LongEdge";
}

} // namespace

const char* coreMethodName(CoreMethod m)
{
    static const char* const names[kCoreMethodCount] = {
        "QueryInterface", "AddRef", "Release", "DrvGetDriverSetting", "DrvUpgradeRegistrySetting",
        "DrvUpdateUISetting", "GetOptions", "SetOptions", "EnumConstrainedOptions", "WhyConstrained",
        "GetGlobalAttribute", "GetFeatureAttribute", "GetOptionAttribute", "EnumFeatures", "EnumOptions",
        "QuerySimulationSupport",
    };
    int i = static_cast<int>(m);
    return i >= 0 && i < kCoreMethodCount ? names[i] : "?";
}

AttributeValue AttributeValue::ascii(std::string_view text)
{
    AttributeValue v{kADT_ASCII, std::string(text)};
    v.bytes.push_back('\0');
    return v;
}

AttributeValue AttributeValue::unicode(std::wstring_view text)
{
    AttributeValue v{kADT_UNICODE, {}};
    v.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    v.bytes.append(sizeof(wchar_t), '\0');
    return v;
}

AttributeValue AttributeValue::longValue(LONG value)
{
    return {kADT_LONG, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

// --- construction -----------------------------------------------------------

CoreDriver::CoreDriver(const PpdModel& model, Kind kind, bool driverFeatures) : m_kind(kind), m_languageLevel(model.languageLevel())
{
    m_uiObject.cbSize = sizeof m_uiObject;
    m_uiObject.pOemUIProcs = &m_procs;

    for (const PpdFeature& pf : model.features()) {
        if (pf.keyword == "PageRegion")
            continue; // the driver folds it into PageSize
        Feature f;
        f.keyword = pf.keyword;
        f.displayName = fromLatin1(pf.text);
        f.group = pf.group;
        for (const PpdOption& po : pf.options)
            f.options.push_back({po.keyword, fromLatin1(po.text)});
        if (pf.keyword == "PageSize" && model.customPageSize()) {
            const std::string& text = model.customPageSizeText();
            f.options.push_back({"CustomPageSize", fromLatin1(text.empty() ? "Custom Page Size" : text)});
        }
        f.defaultOption = pf.defaultOption;
        m_features.push_back(std::move(f));
    }
    if (driverFeatures)
        addSynthesized(model);

    for (const PpdConstraint& c : model.constraints())
        if (find(c.feature) && find(c.constrainedFeature) && c.feature != c.constrainedFeature)
            m_constraints.push_back(c);
    resetSelections();
}

void CoreDriver::addSynthesized(const PpdModel& model)
{
    auto list = [this](const char* keyword, std::vector<std::string> options) {
        Feature f;
        f.keyword = keyword;
        f.synthesized = true;
        for (std::string& o : options)
            f.options.push_back({std::move(o), {}});
        f.defaultOption = f.options.front().keyword;
        m_features.push_back(std::move(f));
    };
    auto number = [this](const char* keyword, long minimum, long maximum, long initial) {
        Feature f;
        f.keyword = keyword;
        f.synthesized = true;
        f.values = Values::Number;
        f.minimum = minimum;
        f.maximum = maximum;
        f.defaultOption = std::to_string(std::clamp(initial, minimum, maximum));
        m_features.push_back(std::move(f));
    };

    list("%Orientation", {"Portrait", "Landscape", "RotatedLandscape"});
    list("%PagePerSheet", {"1", "2", "4", "6", "9", "16", "Booklet"});
    list("%PageOrder", {"FrontToBack", "BackToFront"});

    Feature custom;
    custom.keyword = "%CustomPageSize";
    custom.synthesized = true;
    custom.values = Values::PaperText;
    m_features.push_back(std::move(custom));

    std::vector<std::string> levels;
    for (int level = 1; level <= std::max(1, m_languageLevel); ++level)
        levels.push_back(std::to_string(level));
    list("%OutputPSLevel", std::move(levels));

    long freeVm = std::atol(model.value("FreeVM").c_str()) / 1024;
    number("%PSMemory", m_languageLevel == 1 ? 172 : 249, 32767, freeVm > 0 ? freeVm : 4096);
    number("%JobTimeout", 0, 32767, 0);
    number("%WaitTimeout", 0, 32767, 300);
    list("%MetafileSpooling", {"True", "False"});
}

std::unique_ptr<CoreDriver> CoreDriver::fromDefaultPpd(Kind kind)
{
    std::optional<PpdModel> model = PpdModel::loadDefault();
    if (!model)
        return nullptr;
    return std::make_unique<CoreDriver>(*model, kind);
}

// --- the model --------------------------------------------------------------

CoreDriver::Feature* CoreDriver::find(std::string_view keyword)
{
    for (Feature& f : m_features)
        if (f.keyword == keyword)
            return &f;
    return nullptr;
}

const CoreDriver::Feature* CoreDriver::find(std::string_view keyword) const
{
    return const_cast<CoreDriver*>(this)->find(keyword);
}

bool CoreDriver::acceptable(const Feature& f, std::string_view value) const
{
    double number = 0;
    switch (f.values) {
    case Values::List:
        return std::any_of(f.options.begin(), f.options.end(), [&](const Option& o) { return o.keyword == value; });
    case Values::Number:
        return value.size() <= 9 && parseNumber(value, false, &number) && number >= f.minimum &&
               number <= f.maximum;
    case Values::PaperText:
        return isPaperText(value);
    }
    return false;
}

// Whether feature currently holds option (in the sense of a constraint).
bool CoreDriver::holds(const std::string& feature, const std::string& option) const
{
    const Feature* f = find(feature);
    return f && optionMatches(option, f->current);
}

bool CoreDriver::violated(const PpdConstraint& c) const
{
    return holds(c.feature, c.option) && holds(c.constrainedFeature, c.constrainedOption);
}

bool CoreDriver::conflicts(const Feature& f) const
{
    return std::any_of(m_constraints.begin(), m_constraints.end(), [&](const PpdConstraint& c) {
        return (c.feature == f.keyword || c.constrainedFeature == f.keyword) && violated(c);
    });
}

// Settles every violated constraint by moving the side that is not fixed (the
// features this call set, then those already moved): to its default or else its
// first option that conflicts with nothing; failing that, to the first one whose
// conflicts can still be settled by moving features that are not fixed. False
// when a conflict stays.
bool CoreDriver::resolve(std::vector<std::string> fixed)
{
    auto isFixed = [&](const std::string& k) { return std::find(fixed.begin(), fixed.end(), k) != fixed.end(); };
    auto conflictsWithFixed = [&](const Feature& f) {
        return std::any_of(m_constraints.begin(), m_constraints.end(), [&](const PpdConstraint& c) {
            const std::string* other = c.feature == f.keyword            ? &c.constrainedFeature
                                       : c.constrainedFeature == f.keyword ? &c.feature
                                                                          : nullptr;
            return other && isFixed(*other) && violated(c);
        });
    };
    for (size_t round = 0; round <= m_features.size(); ++round) {
        auto c = std::find_if(m_constraints.begin(), m_constraints.end(),
                              [&](const PpdConstraint& x) { return violated(x); });
        if (c == m_constraints.end())
            return true;
        Feature* target = !isFixed(c->constrainedFeature) ? find(c->constrainedFeature)
                          : !isFixed(c->feature)          ? find(c->feature)
                                                          : find(c->constrainedFeature);
        std::string original = target->current;
        std::vector<std::string> candidates{target->defaultOption};
        for (const Option& o : target->options)
            if (o.keyword != target->defaultOption)
                candidates.push_back(o.keyword);
        candidates.erase(std::remove(candidates.begin(), candidates.end(), original), candidates.end());

        auto pick = [&](auto acceptable) {
            for (const std::string& candidate : candidates) {
                target->current = candidate;
                if (acceptable(*target))
                    return true;
            }
            target->current = original;
            return false;
        };
        if (!pick([&](const Feature& f) { return !conflicts(f); }) &&
            !pick([&](const Feature& f) { return !conflictsWithFixed(f); }))
            return false;
        if (!isFixed(target->keyword))
            fixed.push_back(target->keyword);
    }
    return false;
}

HRESULT CoreDriver::checkObject(POEMUIOBJ poemuiobj, DWORD dwFlags) const
{
    return poemuiobj == &m_uiObject && dwFlags == 0 ? S_OK : E_INVALIDARG;
}

std::optional<std::optional<AttributeValue>> CoreDriver::overrideFor(const AttributeKey& key) const
{
    auto it = m_overrides.find(key);
    if (it == m_overrides.end())
        return std::nullopt;
    return it->second;
}

// Counts and logs a call, fires a due fault or runs the body.
template <class Body>
HRESULT CoreDriver::serve(CoreCall call, DWORD cbSize, PDWORD pcbNeeded, Body body)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[static_cast<int>(call.method)];
    std::optional<Fault> due;
    for (auto it = m_faults.begin(); it != m_faults.end();) {
        if (it->method != call.method) {
            ++it;
        } else if (it->remaining == 0) {
            due = due ? due : *it;
            ++it;
        } else if (--it->remaining == 0) {
            due = due ? due : *it;
            it = m_faults.erase(it);
        } else {
            ++it;
        }
    }
    HRESULT hr;
    if (due) {
        hr = due->hr;
        if (due->understate && pcbNeeded)
            *pcbNeeded = cbSize;
    } else {
        m_serving = call.method;
        hr = body(call);
    }
    call.result = hr;
    m_log.push_back(std::move(call));
    return hr;
}

HRESULT CoreDriver::answer(const std::string& data, void* out, DWORD cbSize, PDWORD pcbNeeded, PDWORD type)
{
    if (!pcbNeeded)
        return E_INVALIDARG;
    CoreReply reply;
    reply.method = m_serving;
    reply.data = data;
    reply.type = type ? *type : 0;
    reply.needed = static_cast<DWORD>(data.size());
    if (m_mutator)
        m_mutator(reply);
    *pcbNeeded = reply.needed;
    if (type)
        *type = reply.type;
    if (FAILED(reply.result))
        return reply.result;
    if (!out || cbSize < reply.data.size())
        return E_OUTOFMEMORY;
    std::memcpy(out, reply.data.data(), reply.data.size());
    return reply.result;
}

HRESULT CoreDriver::answer(const AttributeValue& v, PDWORD pdwDataType, PBYTE out, DWORD cbSize, PDWORD pcbNeeded)
{
    if (!pdwDataType || !pcbNeeded)
        return E_INVALIDARG;
    *pdwDataType = v.type;
    return answer(v.bytes, out, cbSize, pcbNeeded, pdwDataType);
}

void CoreDriver::setReplyMutator(std::function<void(CoreReply&)> mutator)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mutator = std::move(mutator);
}

// --- IUnknown ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CoreDriver::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv)
        *ppv = nullptr; // also when an injected failure answers
    CoreCall call{CoreMethod::QueryInterface};
    return serve(call, 0, nullptr, [&](CoreCall&) -> HRESULT {
        if (!ppv)
            return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPrintOemDriverUI) &&
            !(IsEqualIID(riid, IID_IPrintCoreUI2) && m_kind == Kind::CoreUI2))
            return E_NOINTERFACE;
        *ppv = static_cast<IPrintCoreUI2*>(this);
        ++m_refs;
        return S_OK;
    });
}

ULONG STDMETHODCALLTYPE CoreDriver::AddRef()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[static_cast<int>(CoreMethod::AddRef)];
    ++m_addRefCalls;
    return static_cast<ULONG>(++m_refs);
}

ULONG STDMETHODCALLTYPE CoreDriver::Release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_counts[static_cast<int>(CoreMethod::Release)];
    ++m_releaseCalls;
    if (--m_refs <= 0)
        m_overReleased = true; // the owner's reference is never released through COM
    return static_cast<ULONG>(std::max<LONG>(m_refs, 0));
}

// --- IPrintOemDriverUI: recorded, not implemented -----------------------------

HRESULT STDMETHODCALLTYPE CoreDriver::DrvGetDriverSetting(PVOID, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                          PDWORD pcbNeeded, PDWORD)
{
    CoreCall call{CoreMethod::DrvGetDriverSetting};
    call.feature = keywordArg(Feature);
    call.cbSize = cbSize;
    call.nullOutput = !pOutput;
    return serve(call, cbSize, pcbNeeded, [](CoreCall&) { return E_NOTIMPL; });
}

HRESULT STDMETHODCALLTYPE CoreDriver::DrvUpgradeRegistrySetting(HANDLE, PCSTR pFeature, PCSTR pOption)
{
    CoreCall call{CoreMethod::DrvUpgradeRegistrySetting};
    call.feature = keywordArg(pFeature);
    call.option = keywordArg(pOption);
    return serve(call, 0, nullptr, [](CoreCall&) { return E_NOTIMPL; });
}

HRESULT STDMETHODCALLTYPE CoreDriver::DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD dwMode)
{
    CoreCall call{CoreMethod::DrvUpdateUISetting};
    call.flags = dwMode;
    return serve(call, 0, nullptr, [](CoreCall&) { return E_NOTIMPL; });
}

HRESULT STDMETHODCALLTYPE CoreDriver::QuerySimulationSupport(HANDLE, DWORD dwLevel, PBYTE pCaps, DWORD cbSize,
                                                             PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::QuerySimulationSupport};
    call.flags = dwLevel;
    call.cbSize = cbSize;
    call.nullOutput = !pCaps;
    return serve(call, cbSize, pcbNeeded, [](CoreCall&) { return E_NOTIMPL; });
}

// --- IPrintCoreUI2 ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CoreDriver::GetOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pmszFeaturesRequested,
                                                 DWORD cbIn, PSTR pmszFeatureOptionBuf, DWORD cbSize,
                                                 PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::GetOptions, dwFlags};
    if (pmszFeaturesRequested)
        call.input.assign(pmszFeaturesRequested, cbIn);
    call.cbIn = cbIn;
    call.cbSize = cbSize;
    call.nullOutput = !pmszFeatureOptionBuf;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)))
            return E_INVALIDARG;
        std::vector<std::string> requested;
        if (pmszFeaturesRequested) {
            std::optional<std::vector<std::string>> list = splitMultiSz(pmszFeaturesRequested, cbIn);
            if (!list)
                return E_INVALIDARG;
            requested = std::move(*list);
        } else {
            for (const Feature& f : m_features)
                requested.push_back(f.keyword);
        }
        std::vector<std::string> pairs;
        for (const std::string& keyword : requested) {
            const Feature* f = find(keyword);
            if (!f || f->current.empty())
                continue; // unknown features and an unset custom size are left out
            pairs.push_back(f->keyword);
            pairs.push_back(f->current);
        }
        return answer(multiSz(pairs), pmszFeatureOptionBuf, cbSize, pcbNeeded);
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::SetOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pmszFeatureOptionBuf,
                                                 DWORD cbIn, PDWORD pdwResult)
{
    CoreCall call{CoreMethod::SetOptions, dwFlags};
    if (pmszFeatureOptionBuf)
        call.input.assign(pmszFeatureOptionBuf, cbIn);
    call.cbIn = cbIn;
    return serve(call, 0, nullptr, [&](CoreCall& c) -> HRESULT {
        if (poemuiobj != &m_uiObject ||
            (dwFlags != SETOPTIONS_FLAG_RESOLVE_CONFLICT && dwFlags != SETOPTIONS_FLAG_KEEP_CONFLICT))
            return E_INVALIDARG;
        std::optional<std::vector<std::string>> list = splitMultiSz(pmszFeatureOptionBuf, cbIn);
        if (!list || list->empty() || list->size() % 2 != 0)
            return E_INVALIDARG;
        for (size_t i = 0; i < list->size(); i += 2) {
            const Feature* f = find((*list)[i]);
            if (!f || !acceptable(*f, (*list)[i + 1]))
                return E_INVALIDARG; // nothing is set then
        }
        std::vector<std::string> set;
        for (size_t i = 0; i < list->size(); i += 2) {
            find((*list)[i])->current = (*list)[i + 1];
            set.push_back((*list)[i]);
        }

        DWORD result = SETOPTIONS_RESULT_NO_CONFLICT;
        if (std::any_of(m_constraints.begin(), m_constraints.end(),
                        [&](const PpdConstraint& x) { return violated(x); })) {
            result = dwFlags == SETOPTIONS_FLAG_RESOLVE_CONFLICT && resolve(set)
                         ? SETOPTIONS_RESULT_CONFLICT_RESOLVED
                         : SETOPTIONS_RESULT_CONFLICT_REMAINED;
        }
        c.conflictResult = result;
        if (pdwResult)
            *pdwResult = result;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::EnumConstrainedOptions(POEMUIOBJ poemuiobj, DWORD dwFlags,
                                                             PCSTR pszFeatureKeyword,
                                                             PSTR pmszConstrainedOptionList, DWORD cbSize,
                                                             PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::EnumConstrainedOptions, dwFlags};
    call.feature = pszFeatureKeyword ? pszFeatureKeyword : "";
    call.cbSize = cbSize;
    call.nullOutput = !pmszConstrainedOptionList;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszFeatureKeyword)
            return E_INVALIDARG;
        const Feature* f = find(pszFeatureKeyword);
        if (!f)
            return E_INVALIDARG;
        if (f->options.empty())
            return E_NOTIMPL;
        std::vector<std::string> constrained;
        for (const Option& o : f->options) {
            bool isConstrained = std::any_of(m_constraints.begin(), m_constraints.end(), [&](const PpdConstraint& c) {
                return c.constrainedFeature == f->keyword && optionMatches(c.constrainedOption, o.keyword) &&
                       holds(c.feature, c.option);
            });
            if (isConstrained)
                constrained.push_back(o.keyword);
        }
        return answer(multiSz(constrained), pmszConstrainedOptionList, cbSize, pcbNeeded);
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::WhyConstrained(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                                     PCSTR pszOptionKeyword, PSTR pmszReasonList, DWORD cbSize,
                                                     PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::WhyConstrained, dwFlags};
    call.feature = pszFeatureKeyword ? pszFeatureKeyword : "";
    call.option = pszOptionKeyword ? pszOptionKeyword : "";
    call.cbSize = cbSize;
    call.nullOutput = !pmszReasonList;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszFeatureKeyword || !pszOptionKeyword)
            return E_INVALIDARG;
        const Feature* f = find(pszFeatureKeyword);
        if (!f || f->synthesized || !acceptable(*f, pszOptionKeyword))
            return E_INVALIDARG;
        std::vector<std::string> reasons;
        for (const PpdConstraint& c : m_constraints) {
            if (c.constrainedFeature != f->keyword || !optionMatches(c.constrainedOption, pszOptionKeyword) ||
                !holds(c.feature, c.option))
                continue;
            const std::string& current = find(c.feature)->current;
            bool known = false;
            for (size_t i = 0; i < reasons.size(); i += 2)
                known = known || (reasons[i] == c.feature && reasons[i + 1] == current);
            if (!known) {
                reasons.push_back(c.feature);
                reasons.push_back(current);
            }
        }
        return answer(multiSz(reasons), pmszReasonList, cbSize, pcbNeeded);
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszAttribute,
                                                         PDWORD pdwDataType, PBYTE pbData, DWORD cbSize,
                                                         PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::GetGlobalAttribute, dwFlags};
    call.attribute = pszAttribute ? pszAttribute : "";
    call.cbSize = cbSize;
    call.nullOutput = !pbData;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszAttribute)
            return E_INVALIDARG;
        if (auto o = overrideFor({"", "", pszAttribute}))
            return *o ? answer(**o, pdwDataType, pbData, cbSize, pcbNeeded) : E_INVALIDARG;
        if (std::strcmp(pszAttribute, "LanguageLevel") == 0)
            return answer(AttributeValue::longValue(m_languageLevel), pdwDataType, pbData, cbSize, pcbNeeded);
        return E_INVALIDARG;
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::GetFeatureAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags,
                                                          PCSTR pszFeatureKeyword, PCSTR pszAttribute,
                                                          PDWORD pdwDataType, PBYTE pbData, DWORD cbSize,
                                                          PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::GetFeatureAttribute, dwFlags};
    call.feature = pszFeatureKeyword ? pszFeatureKeyword : "";
    call.attribute = pszAttribute ? pszAttribute : "";
    call.cbSize = cbSize;
    call.nullOutput = !pbData;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszFeatureKeyword || !pszAttribute)
            return E_INVALIDARG;
        if (auto o = overrideFor({pszFeatureKeyword, "", pszAttribute}))
            return *o ? answer(**o, pdwDataType, pbData, cbSize, pcbNeeded) : E_INVALIDARG;
        const Feature* f = find(pszFeatureKeyword);
        if (!f)
            return E_INVALIDARG;
        std::string_view attribute = pszAttribute;
        std::optional<AttributeValue> value;
        if (attribute == "DisplayName" && !f->synthesized)
            value = AttributeValue::unicode(f->displayName);
        else if (attribute == "OpenGroupType" && !f->synthesized)
            value = AttributeValue::ascii(f->group == kInstallableGroup ? kInstallableGroup : "");
        else if (attribute == "DefaultOption" && !f->defaultOption.empty())
            value = AttributeValue::ascii(f->defaultOption);
        return value ? answer(*value, pdwDataType, pbData, cbSize, pcbNeeded) : E_INVALIDARG;
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::GetOptionAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags,
                                                         PCSTR pszFeatureKeyword, PCSTR pszOptionKeyword,
                                                         PCSTR pszAttribute, PDWORD pdwDataType, PBYTE pbData,
                                                         DWORD cbSize, PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::GetOptionAttribute, dwFlags};
    call.feature = pszFeatureKeyword ? pszFeatureKeyword : "";
    call.option = pszOptionKeyword ? pszOptionKeyword : "";
    call.attribute = pszAttribute ? pszAttribute : "";
    call.cbSize = cbSize;
    call.nullOutput = !pbData;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszFeatureKeyword || !pszOptionKeyword || !pszAttribute)
            return E_INVALIDARG;
        if (auto o = overrideFor({pszFeatureKeyword, pszOptionKeyword, pszAttribute}))
            return *o ? answer(**o, pdwDataType, pbData, cbSize, pcbNeeded) : E_INVALIDARG;
        const Feature* f = find(pszFeatureKeyword);
        if (!f || f->synthesized || std::strcmp(pszAttribute, "DisplayName") != 0)
            return E_INVALIDARG;
        for (const Option& o : f->options)
            if (o.keyword == pszOptionKeyword)
                return answer(AttributeValue::unicode(o.displayName), pdwDataType, pbData, cbSize, pcbNeeded);
        return E_INVALIDARG;
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::EnumFeatures(POEMUIOBJ poemuiobj, DWORD dwFlags, PSTR pmszFeatureList,
                                                   DWORD cbSize, PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::EnumFeatures, dwFlags};
    call.cbSize = cbSize;
    call.nullOutput = !pmszFeatureList;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)))
            return E_INVALIDARG;
        std::vector<std::string> keywords;
        for (const Feature& f : m_features)
            keywords.push_back(f.keyword);
        return answer(multiSz(keywords), pmszFeatureList, cbSize, pcbNeeded);
    });
}

HRESULT STDMETHODCALLTYPE CoreDriver::EnumOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                                  PSTR pmszOptionList, DWORD cbSize, PDWORD pcbNeeded)
{
    CoreCall call{CoreMethod::EnumOptions, dwFlags};
    call.feature = pszFeatureKeyword ? pszFeatureKeyword : "";
    call.cbSize = cbSize;
    call.nullOutput = !pmszOptionList;
    return serve(call, cbSize, pcbNeeded, [&](CoreCall&) -> HRESULT {
        if (FAILED(checkObject(poemuiobj, dwFlags)) || !pszFeatureKeyword)
            return E_INVALIDARG;
        const Feature* f = find(pszFeatureKeyword);
        if (!f)
            return E_INVALIDARG;
        if (f->options.empty())
            return E_NOTIMPL;
        std::vector<std::string> keywords;
        for (const Option& o : f->options)
            keywords.push_back(o.keyword);
        return answer(multiSz(keywords), pmszOptionList, cbSize, pcbNeeded);
    });
}

// --- for tests ------------------------------------------------------------------

LONG CoreDriver::refCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refs;
}

int CoreDriver::addRefCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_addRefCalls;
}

int CoreDriver::releaseCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_releaseCalls;
}

bool CoreDriver::overReleased() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_overReleased;
}

int CoreDriver::callCount(CoreMethod m) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts[static_cast<int>(m)];
}

std::vector<CoreCall> CoreDriver::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

std::vector<CoreCall> CoreDriver::calls(CoreMethod m) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CoreCall> out;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(out),
                 [m](const CoreCall& c) { return c.method == m; });
    return out;
}

void CoreDriver::clearCalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_log.clear();
    m_addRefCalls = 0;
    m_releaseCalls = 0;
}

void CoreDriver::failCall(CoreMethod m, HRESULT hr, int nth)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back({m, std::max(nth, 1), hr, false});
}

void CoreDriver::failAlways(CoreMethod m, HRESULT hr)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back({m, 0, hr, false});
}

void CoreDriver::understateNeededSize(CoreMethod m, int nth)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back({m, std::max(nth, 1), E_OUTOFMEMORY, true});
}

void CoreDriver::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}

bool CoreDriver::setSelection(std::string_view feature, std::string_view option)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Feature* f = find(feature);
    if (!f || (f->values == Values::List && !acceptable(*f, option)))
        return false;
    f->current = std::string(option);
    return true;
}

std::string CoreDriver::selection(std::string_view feature) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Feature* f = find(feature);
    return f ? f->current : std::string();
}

void CoreDriver::resetSelections()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Feature& f : m_features)
        f.current = f.defaultOption;
}

std::vector<std::string> CoreDriver::featureKeywords() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    for (const Feature& f : m_features)
        out.push_back(f.keyword);
    return out;
}

std::vector<std::string> CoreDriver::optionKeywords(std::string_view feature) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    if (const Feature* f = find(feature))
        for (const Option& o : f->options)
            out.push_back(o.keyword);
    return out;
}

void CoreDriver::setGlobalAttribute(std::string_view attribute, AttributeValue value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{"", "", std::string(attribute)}] = std::move(value);
}

void CoreDriver::setFeatureAttribute(std::string_view feature, std::string_view attribute, AttributeValue value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{std::string(feature), "", std::string(attribute)}] = std::move(value);
}

void CoreDriver::setOptionAttribute(std::string_view feature, std::string_view option, std::string_view attribute,
                                    AttributeValue value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{std::string(feature), std::string(option), std::string(attribute)}] = std::move(value);
}

void CoreDriver::removeGlobalAttribute(std::string_view attribute)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{"", "", std::string(attribute)}] = std::nullopt;
}

void CoreDriver::removeFeatureAttribute(std::string_view feature, std::string_view attribute)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{std::string(feature), "", std::string(attribute)}] = std::nullopt;
}

void CoreDriver::removeOptionAttribute(std::string_view feature, std::string_view option,
                                       std::string_view attribute)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_overrides[{std::string(feature), std::string(option), std::string(attribute)}] = std::nullopt;
}

} // namespace harness
