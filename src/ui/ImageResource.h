// A picture or icon with a background fill and a border, and the base of every widget that has
// a look (one style per state). Windows only.
#pragma once

#include "ui/BaseResource.h"
#include "ui/ResourceStyle.h"

namespace Gdiplus {
class Image;
class Graphics;
}  // namespace Gdiplus

class CImageResource : public IBaseResource {
public:
    // `kind` is RES_IMAGE or RES_ICON here; subclasses pass their own. `styles` is null (all
    // defaults) or an array of kStateCount styles, copied.
    CImageResource(int32_t id, ResourceType kind, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    ResourceState GetState() const { return m_state; }
    // Any value; a state outside the four draws with default looks. The caller repaints.
    void SetState(int32_t state) { m_state = static_cast<ResourceState>(state); }
    // The picture is borrowed (the resource manager owns it); true.
    bool SetImage(Gdiplus::Image* image);
    Gdiplus::Image* GetImage() const { return m_pImage; }
    // Keep width:height inside whatever box SetRect is given; (0, 1) turns it off.
    void SetAspect(double width, double height) { m_aspect = height != 0 ? width / height : 0; }
    // Base pixels added to (or, negative, taken from) each side of the box SetRect is given.
    void SetInflate(int32_t dx, int32_t dy) {
        m_inflateX = dx;
        m_inflateY = dy;
    }
    ResourceStyle& GetStyle(int32_t state) { return m_styles[state]; }
    // The style of the current state, or a default one for a state outside the four.
    const ResourceStyle& GetCurrentStyle() const;
    const UiRect& GetImageRect() const { return m_rcImage; }

protected:
    // Background, picture and border: the part every subclass starts its drawing with.
    void DrawBackground(Gdiplus::Graphics& graphics);
    // Inflation and aspect applied to a box, into m_rect.
    void PlaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void FitImage();

    ResourceState m_state = STATE_NORMAL;
    ResourceStyle m_styles[kStateCount];
    int32_t m_inflateX = 0;
    int32_t m_inflateY = 0;
    double m_aspect = 0;
    Gdiplus::Image* m_pImage = nullptr;
    UiRect m_rcImage;
};

// Size of a picture in pixels as doubles; 0 by 0 for null.
void GetImageSize(Gdiplus::Image* image, double* width, double* height);
