// CFeatureSettings: the settings object of one property sheet, with its paper list.
#pragma once

#include "settings/FeatureAccess.h"
#include "settings/PaperList.h"

class CFeatureSettings : public CFeatureAccess {
public:
    CFeatureSettings(CFeatures* features, CUIHelper* core, OEMUIPSPARAM* param);
    ~CFeatureSettings();
    CFeatureSettings(const CFeatureSettings&) = delete;
    CFeatureSettings& operator=(const CFeatureSettings&) = delete;

    CPaperList& PaperList() { return m_paperList; }
    const CPaperList& PaperList() const { return m_paperList; }
    // The parameters the settings were made for (not owned).
    OEMUIPSPARAM* SheetParam() const { return m_param; }

private:
    CPaperList m_paperList;
    OEMUIPSPARAM* m_param;
};
