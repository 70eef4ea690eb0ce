// The progress page's banner: a still picture fitted into the widget and centred, over the
// background and border of an image widget. Windows only.
#pragma once

#include "ui/ImageResource.h"

class CMovieResource : public CImageResource {
public:
    // `picture` is borrowed from the resource manager and may be null (then only the background
    // and border are painted).
    CMovieResource(HWND target, Gdiplus::Image* picture, int32_t id, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    const UiRect& GetMovieRect() const { return m_rcMovie; }

private:
    void FitMovie();

    HWND m_hTarget;
    Gdiplus::Image* m_pStillImage;
    UiRect m_rcMovie;
};
