// CFeatures: the model of the driver's features and options, read once
// through the core driver's helper interface.
#pragma once

#include "oem/PrintOemUI.h"
#include "settings/Options.h"

class CUIHelper;

#define FEATURE_TYPE_DOCUMENT 1
#define FEATURE_TYPE_PRINTER 2  // an installable option

class CFeatures {
public:
    struct FEATURE_INFO {
        virtual ~FEATURE_INFO() = default;

        const SPECIAL_ENTRY* special = nullptr;  // row of the special feature table, or null
        WCHAR* displayName = nullptr;            // heap text, or a string id below 65536
        COptions options;
        DWORD type = 0;                          // FEATURE_TYPE_*
        WCHAR* displayText = nullptr;            // always text: displayName itself, or the id resolved
    };

    CFeatures() = default;
    virtual ~CFeatures();
    CFeatures(const CFeatures&) = delete;
    CFeatures& operator=(const CFeatures&) = delete;

    // Fills the model from the driver, every buffer on the heap; a filled
    // model is never refilled. Any failure leaves the model empty.
    HRESULT Acquire(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, BOOL skipSelections);
    void Clear();

    // The array position of the n-th feature of a type (0: of all features),
    // the feature count when there is none; 0 for an unknown type.
    WORD GetFeatureIndex(WORD n, int type) const;
    // The options of the n-th feature of a type (0: of all features), or null.
    COptions* GetFeature(WORD n, int type) const;
    // Fills the tree item of the n-th printer feature: name, feature data
    // and option type, all on the heap.
    HRESULT InitPrinterOptItem(HANDLE heap, OPTITEM* item, WORD n);

    WORD GetCount() const { return m_count; }
    WORD GetDocumentCount() const { return m_documentCount; }
    WORD GetPrinterCount() const { return m_printerCount; }
    HANDLE GetHeap() const { return m_heap; }
    // By array position (GetFeatureIndex); null outside the array.
    const char* GetKeyword(WORD index) const;
    FEATURE_INFO* GetFeatureInfo(WORD index) const;
    // The feature's display name as a text (never a string id), or null.
    const WCHAR* GetDisplayText(WORD index) const;

private:
    void FreeFeatureInfos();

    WORD m_count = 0;
    WORD m_documentCount = 0;
    WORD m_printerCount = 0;
    char* m_featureList = nullptr;
    char** m_keywords = nullptr;
    DWORD m_listSize = 0;
    HANDLE m_heap = nullptr;
    FEATURE_INFO* m_features = nullptr;
};

// The display name of a feature: the driver's, else the special row's, else
// the keyword less a leading "%".
HRESULT QueryFeatureDisplayName(HANDLE heap, CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword,
                                const SPECIAL_ENTRY* row, WCHAR** name);
// 2 for a feature of the group "InstallableOptions", else 1; a special row gives its own type.
HRESULT GetFeatureType(CUIHelper* core, POEMUIOBJ poemuiobj, const char* featureKeyword, const SPECIAL_ENTRY* row,
                       DWORD* type);
