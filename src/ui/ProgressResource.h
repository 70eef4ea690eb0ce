// A progress bar: a rounded track (background colour) and a filled part (text colour) as wide
// as the percentage. Windows only.
#pragma once

#include "ui/ImageResource.h"

class CProgressResource : public CImageResource {
public:
    // Null `styles`: a blue pill on a light grey track.
    CProgressResource(int32_t id, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    // Not clamped: above 100 the bar reaches past the track. The caller repaints.
    void SetPercent(uint32_t percent);
    uint32_t GetPercent() const { return m_percent; }
    const UiRect& GetBarRect() const { return m_rcBar; }

private:
    UiRect m_rcBar;
    uint32_t m_percent = 0;
};
