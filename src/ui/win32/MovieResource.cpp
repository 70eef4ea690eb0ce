#include "ui/MovieResource.h"

#include "ui/Drawing.h"

CMovieResource::CMovieResource(HWND target, Gdiplus::Image* picture, int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_MOVIE, styles), m_hTarget(target), m_pStillImage(picture) {}

bool CMovieResource::Draw(HDC hdc) {
    const bool result = CImageResource::Draw(hdc);
    if (m_pStillImage) {
        auto graphics = MakeGraphics(hdc);
        graphics->DrawImage(m_pStillImage, Gdiplus::Rect(m_rcMovie.left, m_rcMovie.top, m_rcMovie.Width(),
                                                         m_rcMovie.Height()));
    }
    return result;
}

bool CMovieResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CImageResource::SetRect(left, top, right, bottom);
    FitMovie();
    return true;
}

void CMovieResource::FitMovie() {
    if (!m_pStillImage) return;
    double iw, ih;
    GetImageSize(m_pStillImage, &iw, &ih);
    m_rcMovie = FitImageRect(m_rect, iw, ih);
}
