#include "settings/FeatureSettings.h"

CFeatureSettings::CFeatureSettings(CFeatures* features, CUIHelper* core, OEMUIPSPARAM* param)
    : CFeatureAccess(features, core, param), m_paperList(features, core, param), m_param(param)
{
}

CFeatureSettings::~CFeatureSettings() { m_paperList.Clear(); }
