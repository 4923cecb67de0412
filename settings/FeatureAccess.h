// CFeatureAccess: reads and sets driver options by feature keyword and option
// index, over the feature model. Features are looked up among the document
// features only.
#pragma once

#include "oem/PrintOemUI.h"

class CFeatures;
class COptions;
class CUIHelper;

class CFeatureAccess {
public:
    // Not usable: every method refuses.
    CFeatureAccess() = default;
    // Usable; the UI object and the heap come from the sheet's parameters when given.
    CFeatureAccess(CFeatures* features, CUIHelper* core, const OEMUIPSPARAM* param);

    // index: position among the document features.
    HRESULT FindFeature(const char* keyword, WORD* index) const;
    COptions* GetFeatureOptions(const char* keyword) const;
    // Writes feature and option keyword to the driver, keeping conflicts.
    HRESULT SetFeatureOption(const char* keyword, WORD optionIndex);
    // Writes "%CustomPageSize" with a size in points, fed on the short edge.
    HRESULT SetCustomPageSize(int width, int height);

    // Display texts, never string ids: they belong to the feature model and
    // live as long as it; null when there is none.
    const WCHAR* GetOptionDisplayName(const char* keyword, WORD optionIndex) const;
    const WCHAR* GetFeatureDisplayName(const char* keyword) const;
    const WCHAR* GetDuplexDisplayName() const;

    // The option keyword of "JCLSleepTime" at that index, or null.
    const char* GetSleepTimeOption(WORD index) const;
    // The "DefaultOption" attribute of "JCLSleepTime" in a buffer of the
    // sheet's heap that the caller frees there; *size the driver's size.
    char* GetSleepTimeDefault(DWORD* size);

    // The number of options of the document feature; 0 when there is none.
    WORD GetOptionCount(const char* keyword) const;
    WORD GetMediaTypeCount() const;
    WORD GetInputSlotCount() const;
    WORD GetPagesPerSheetCount() const;
    WORD GetSleepTimeCount() const;

    BOOL IsValid() const { return m_valid != 0; }
    CFeatures* GetFeatures() const { return m_features; }
    CUIHelper* GetCore() const { return m_core; }
    POEMUIOBJ GetUIObject() const { return m_poemuiobj; }
    HANDLE GetHeap() const { return m_heap; }

protected:
    // The array position of the document feature, or false.
    bool FindFeatureIndex(const char* keyword, WORD* position) const;

    DWORD m_valid = 0;
    CFeatures* m_features = nullptr;
    CUIHelper* m_core = nullptr;
    POEMUIOBJ m_poemuiobj = nullptr;
    HANDLE m_heap = nullptr;
};
