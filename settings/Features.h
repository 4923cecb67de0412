// CFeatures: the model of the driver's features and options.
#pragma once

#include "oem/PrintOemUI.h"

class CFeatures {
public:
    CFeatures() = default;
    virtual ~CFeatures() = default;
    CFeatures(const CFeatures&) = delete;
    CFeatures& operator=(const CFeatures&) = delete;
};
