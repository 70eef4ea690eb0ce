// The window scale every widget multiplies its base sizes by.
#pragma once

#include "platform/CommonIntf.h"

// The shared settings' window scale; 1.0 before the settings object exists.
inline double GetUiScale() {
    const CCommonIntf* common = GetCommonIntf();
    return common ? common->GetWindowScale() : 1.0;
}

inline void SetUiScale(double scale) {
    if (CCommonIntf* common = GetCommonIntf()) common->SetWindowScale(scale);
}
