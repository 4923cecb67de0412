#include "settings/FeatureAccess.h"

#include "plugin/UIHelper.h"
#include "settings/Features.h"
#include "settings/HeapBlock.h"

#include <stdio.h>
#include <string.h>

namespace {

constexpr DWORD kDefaultOptionFirstSize = 255;
constexpr char kCustomPageSize[] = "%CustomPageSize";

} // namespace

CFeatureAccess::CFeatureAccess(CFeatures* features, CUIHelper* core, const OEMUIPSPARAM* param)
    : m_valid(1), m_features(features), m_core(core)
{
    if (param) {
        m_poemuiobj = param->poemuiobj;
        m_heap = param->hOEMHeap;
    }
}

HRESULT CFeatureAccess::FindFeature(const char* keyword, WORD* index) const
{
    if (!m_features)
        return E_INVALIDARG;
    if (!m_valid)
        return E_NOTIMPL;
    if (!keyword || !index)
        return E_INVALIDARG;
    for (WORD i = 0; i < m_features->GetDocumentCount(); ++i) {
        const char* k = m_features->GetKeyword(m_features->GetFeatureIndex(i, FEATURE_TYPE_DOCUMENT));
        if (k && strcmp(k, keyword) == 0) {
            *index = i;
            return S_OK;
        }
    }
    return E_FAIL;
}

bool CFeatureAccess::FindFeatureIndex(const char* keyword, WORD* position) const
{
    WORD n = 0;
    if (FAILED(FindFeature(keyword, &n)) || n >= m_features->GetDocumentCount())
        return false;
    WORD index = m_features->GetFeatureIndex(n, FEATURE_TYPE_DOCUMENT);
    if (!m_features->GetFeatureInfo(index))
        return false;
    *position = index;
    return true;
}

COptions* CFeatureAccess::GetFeatureOptions(const char* keyword) const
{
    if (!keyword || !m_features || !m_valid)
        return nullptr;
    WORD n = 0;
    if (FAILED(FindFeature(keyword, &n)))
        return nullptr;
    return m_features->GetFeature(n, FEATURE_TYPE_DOCUMENT);
}

HRESULT CFeatureAccess::SetFeatureOption(const char* keyword, WORD optionIndex)
{
    if (!m_features || !m_core || !m_poemuiobj || !m_heap || !keyword)
        return E_INVALIDARG;
    if (!m_valid)
        return E_NOTIMPL;
    const COptions* options = GetFeatureOptions(keyword);
    const char* option = options ? options->GetOptionKeyword(optionIndex) : nullptr;
    if (!option)
        return E_FAIL;

    // Feature, NUL, option, NUL and zeros: the pair list ends with an empty string.
    size_t featureLength = strlen(keyword), optionLength = strlen(option);
    if (featureLength + optionLength > 0xFFFF0000u)
        return E_FAIL;
    DWORD size = (DWORD)(featureLength + optionLength + 4);
    CHeapBlock<char> pairs;
    if (!pairs.Allocate(m_heap, size))
        return E_FAIL;
    memcpy(pairs.Get(), keyword, featureLength);
    memcpy(pairs.Get() + featureLength + 1, option, optionLength);
    DWORD result = 0;
    HRESULT hr = m_core->SetOptions(m_poemuiobj, SETOPTIONS_FLAG_KEEP_CONFLICT, pairs.Get(), size, &result);
    return FAILED(hr) ? E_FAIL : hr;
}

HRESULT CFeatureAccess::SetCustomPageSize(int width, int height)
{
    if (!m_features || !m_core || !m_poemuiobj || !m_heap)
        return E_INVALIDARG;
    if (!m_valid)
        return E_NOTIMPL;
    char text[255] = {};
    int length = snprintf(text, sizeof text, "%d %d 0 0 %s", width, height, "ShortEdge");
    if (length < 0 || length >= (int)sizeof text)
        return E_INVALIDARG;
    char pairs[512] = {};
    memcpy(pairs, kCustomPageSize, sizeof kCustomPageSize);
    memcpy(pairs + sizeof kCustomPageSize, text, (size_t)length);
    DWORD cbIn = (DWORD)(sizeof kCustomPageSize + (length + 1) + 1);
    DWORD result = 0;
    return m_core->SetOptions(m_poemuiobj, SETOPTIONS_FLAG_KEEP_CONFLICT, pairs, cbIn, &result);
}

const WCHAR* CFeatureAccess::GetOptionDisplayName(const char* keyword, WORD optionIndex) const
{
    const COptions* options = GetFeatureOptions(keyword);
    return options ? options->GetDisplayText(optionIndex) : nullptr;
}

const WCHAR* CFeatureAccess::GetFeatureDisplayName(const char* keyword) const
{
    WORD index = 0;
    if (!m_valid || !m_features || !FindFeatureIndex(keyword, &index))
        return nullptr;
    return m_features->GetDisplayText(index);
}

const WCHAR* CFeatureAccess::GetDuplexDisplayName() const { return GetFeatureDisplayName("Duplex"); }

const char* CFeatureAccess::GetSleepTimeOption(WORD index) const
{
    const COptions* options = GetFeatureOptions("JCLSleepTime");
    return options ? options->GetOptionKeyword(index) : nullptr;
}

char* CFeatureAccess::GetSleepTimeDefault(DWORD* size)
{
    if (!m_heap || !m_core || !m_poemuiobj || !m_valid)
        return nullptr;
    CHeapBlock<BYTE> buffer;
    DWORD needed = 0;
    HRESULT hr = CallGrowingOnce(m_heap, kDefaultOptionFirstSize, buffer, nullptr, &needed, nullptr,
                                 [&](BYTE* data, DWORD cb, DWORD* want) {
                                     DWORD type = 0;
                                     return m_core->GetFeatureAttribute(m_poemuiobj, 0, "JCLSleepTime",
                                                                        "DefaultOption", &type, data, cb, want);
                                 });
    if (size)
        *size = SUCCEEDED(hr) ? needed : 0;
    return SUCCEEDED(hr) ? reinterpret_cast<char*>(buffer.Detach()) : nullptr;
}

WORD CFeatureAccess::GetOptionCount(const char* keyword) const
{
    WORD index = 0;
    if (!m_valid || !m_features || !FindFeatureIndex(keyword, &index))
        return 0;
    return m_features->GetFeatureInfo(index)->options.GetCount();
}

WORD CFeatureAccess::GetMediaTypeCount() const { return GetOptionCount("JCLMediaType"); }
WORD CFeatureAccess::GetInputSlotCount() const { return GetOptionCount("JCLInputSlot"); }
WORD CFeatureAccess::GetPagesPerSheetCount() const { return GetOptionCount("%PagePerSheet"); }
WORD CFeatureAccess::GetSleepTimeCount() const { return GetOptionCount("JCLSleepTime"); }
