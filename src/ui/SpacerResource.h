// An invisible placeholder that takes a share of a layout; it is still hit-tested, so the
// cursor over it counts as over the background. Windows only.
#pragma once

#include "ui/BaseResource.h"

class CSpacerResource : public IBaseResource {
public:
    explicit CSpacerResource(int32_t id) : IBaseResource(RES_SPACER, id) {}

    bool Draw(HDC) override { return true; }
    // Taken as given: no inflation, no aspect.
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        m_rect = MakeUiRect(left, top, right, bottom);
        return true;
    }
};
