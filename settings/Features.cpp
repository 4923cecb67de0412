#include "settings/Features.h"

#include "device/PrinterUtils.h"
#include "plugin/UIHelper.h"
#include "settings/HeapBlock.h"
#include "sheets/FeatureTree.h"

#include <new>
#include <string.h>

namespace {

constexpr DWORD kFeatureListFirstSize = 1024;
constexpr DWORD kFeatureNameFirstSize = 64;
constexpr DWORD kGroupTypeSize = 32;
constexpr char kInstallableGroup[] = "InstallableOptions";

} // namespace

HRESULT QueryFeatureDisplayName(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                                const SPECIAL_ENTRY* row, WCHAR** name)
{
    if (!heap || !core || !featureKeyword || !name)
        return E_INVALIDARG;
    *name = nullptr;
    CHeapBlock<BYTE> buffer;
    bool noMemory = false;
    HRESULT hr = CallGrowingOnce(heap, kFeatureNameFirstSize, buffer, nullptr, nullptr, &noMemory,
                                 [&](BYTE* data, DWORD cb, DWORD* needed) {
                                     DWORD type = 0;
                                     return core->GetFeatureAttribute(poemuiobj, 0, featureKeyword, "DisplayName",
                                                                      &type, data, cb, needed);
                                 });
    return TakeDisplayName(hr, noMemory, buffer, heap, row, featureKeyword, TRUE, name);
}

HRESULT GetFeatureType(CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword, const SPECIAL_ENTRY* row,
                       DWORD* type)
{
    if (!type)
        return E_INVALIDARG;
    if (row) {
        *type = row->featureType;
        return S_OK;
    }
    *type = FEATURE_TYPE_DOCUMENT;
    if (!core || !featureKeyword)
        return E_INVALIDARG;
    char group[kGroupTypeSize + 1] = {};
    DWORD dataType = 0, needed = 0;
    HRESULT hr = core->GetFeatureAttribute(poemuiobj, 0, featureKeyword, "OpenGroupType", &dataType,
                                           reinterpret_cast<PBYTE>(group), kGroupTypeSize, &needed);
    // A group name too long for the buffer is not the installable-options group.
    if (hr == E_OUTOFMEMORY && needed > kGroupTypeSize)
        return S_OK;
    if (SUCCEEDED(hr) && strcmp(group, kInstallableGroup) == 0)
        *type = FEATURE_TYPE_PRINTER;
    return hr;
}

// --- CFeatures ---------------------------------------------------------------------

CFeatures::~CFeatures() { Clear(); }

void CFeatures::FreeFeatureInfos()
{
    if (!m_features)
        return;
    for (WORD i = 0; i < m_count; ++i)
        FreeDisplayName(m_heap, m_features[i].displayName, m_features[i].displayText);
    delete[] m_features;
    m_features = nullptr;
}

void CFeatures::Clear()
{
    FreeFeatureInfos();
    FreeHeapText(m_heap, m_keywords);
    FreeHeapText(m_heap, m_featureList);
    m_count = 0;
    m_documentCount = 0;
    m_printerCount = 0;
    m_featureList = nullptr;
    m_keywords = nullptr;
    m_listSize = 0;
    m_heap = nullptr;
}

HRESULT CFeatures::Acquire(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, BOOL skipSelections)
{
    if (m_count)
        return S_OK;
    if (!heap || !core)
        return E_INVALIDARG;
    Clear();
    m_heap = heap;

    auto fail = [this](HRESULT hr) {
        Clear();
        return hr;
    };
    CHeapBlock<BYTE> list;
    DWORD size = 0;
    HRESULT hr = CallGrowingOnce(heap, kFeatureListFirstSize, list, &size, nullptr, nullptr,
                                 [&](BYTE* data, DWORD cb, DWORD* needed) {
                                     return core->EnumFeatures(poemuiobj, 0, reinterpret_cast<PSTR>(data), cb,
                                                               needed);
                                 });
    if (FAILED(hr))
        return fail(hr);
    m_featureList = reinterpret_cast<char*>(list.Detach());
    m_listSize = size;
    WORD count = 0;
    hr = SplitMultiSz(heap, m_featureList, &m_keywords, &count);
    if (FAILED(hr))
        return fail(hr);
    if (count == 0)
        return S_OK;
    m_features = new (std::nothrow) FEATURE_INFO[count];
    if (!m_features)
        return fail(E_OUTOFMEMORY);
    m_count = count;

    for (WORD i = 0; i < m_count; ++i) {
        FEATURE_INFO& info = m_features[i];
        const char* keyword = m_keywords[i];
        info.special = FindSpecialEntry(g_SpecialFeatures, SPECIAL_FEATURE_ROWS, keyword);
        hr = QueryFeatureDisplayName(heap, core, poemuiobj, keyword, info.special, &info.displayName);
        if (SUCCEEDED(hr))
            hr = ResolveDisplayText(heap, info.special, keyword, TRUE, info.displayName, &info.displayText);
        if (FAILED(hr))
            return fail(hr);
        hr = info.options.Acquire(heap, core, poemuiobj, keyword, skipSelections);
        if (FAILED(hr) && hr != E_NOTIMPL)
            return fail(hr);
        DWORD type = FEATURE_TYPE_DOCUMENT;
        hr = GetFeatureType(core, poemuiobj, keyword, info.special, &type);
        if (FAILED(hr)) {
            if (keyword[0] != '%')
                return fail(hr);
            type = FEATURE_TYPE_DOCUMENT;
        }
        info.type = type;
        if (type == FEATURE_TYPE_DOCUMENT)
            ++m_documentCount;
        else if (type == FEATURE_TYPE_PRINTER)
            ++m_printerCount;
    }
    return S_OK;
}

WORD CFeatures::GetFeatureIndex(WORD n, int type) const
{
    if (type == 0)
        return n;
    if (type != FEATURE_TYPE_DOCUMENT && type != FEATURE_TYPE_PRINTER)
        return 0;
    if (!m_features)
        return m_count;
    WORD seen = 0;
    for (WORD i = 0; i < m_count; ++i) {
        if (m_features[i].type != (DWORD)type)
            continue;
        if (seen == n)
            return i;
        ++seen;
    }
    return m_count;
}

COptions* CFeatures::GetFeature(WORD n, int type) const
{
    if (!m_features)
        return nullptr;
    WORD limit = type == 0                       ? m_count
                 : type == FEATURE_TYPE_DOCUMENT ? m_documentCount
                 : type == FEATURE_TYPE_PRINTER  ? m_printerCount
                                                 : 0;
    if (n >= limit)
        return nullptr;
    WORD index = GetFeatureIndex(n, type);
    return index < m_count ? &m_features[index].options : nullptr;
}

HRESULT CFeatures::InitPrinterOptItem(HANDLE heap, OPTITEM* item, WORD n)
{
    if (n >= m_printerCount || !m_features || !item || !heap)
        return E_INVALIDARG;
    WORD index = GetFeatureIndex(n, FEATURE_TYPE_PRINTER);
    FEATURE_INFO* info = GetFeatureInfo(index);
    item->pName = info ? info->displayName : nullptr;
    auto* data = static_cast<FEATURE_ITEM_DATA*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(FEATURE_ITEM_DATA)));
    if (!data)
        return E_OUTOFMEMORY;
    data->size = sizeof(FEATURE_ITEM_DATA);
    data->tag = FEATURE_ITEM_TAG;
    data->featureKeyword = GetKeyword(index);
    data->options = info ? &info->options : nullptr;
    item->UserData = reinterpret_cast<ULONG_PTR>(data);
    return info ? info->options.InitOptType(heap, item) : S_OK;
}

const char* CFeatures::GetKeyword(WORD index) const
{
    return m_keywords && index < m_count ? m_keywords[index] : nullptr;
}

CFeatures::FEATURE_INFO* CFeatures::GetFeatureInfo(WORD index) const
{
    return m_features && index < m_count ? &m_features[index] : nullptr;
}

const WCHAR* CFeatures::GetDisplayText(WORD index) const
{
    const FEATURE_INFO* info = GetFeatureInfo(index);
    return info && !IsDisplayNameId(info->displayText) ? info->displayText : nullptr;
}
