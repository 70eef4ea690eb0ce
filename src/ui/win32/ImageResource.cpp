#include "ui/ImageResource.h"

#include "ui/Drawing.h"
#include "ui/UiScale.h"

void GetImageSize(Gdiplus::Image* image, double* width, double* height) {
    *width = image ? image->GetWidth() : 0;
    *height = image ? image->GetHeight() : 0;
}

CImageResource::CImageResource(int32_t id, ResourceType kind, const ResourceStyle* styles)
    : IBaseResource(kind, id) {
    m_rect = MakeUiRect(0, 0, 50, 20);
    if (styles) {
        for (int32_t i = 0; i < kStateCount; ++i) m_styles[i] = styles[i];
    }
}

const ResourceStyle& CImageResource::GetCurrentStyle() const {
    static const ResourceStyle kDefault;
    return (m_state >= 0 && m_state < kStateCount) ? m_styles[m_state] : kDefault;
}

bool CImageResource::SetImage(Gdiplus::Image* image) {
    if (image != m_pImage) {
        m_pImage = image;
        FitImage();
    }
    return true;
}

void CImageResource::DrawBackground(Gdiplus::Graphics& graphics) {
    const double s = GetUiScale();
    const ResourceStyle& style = GetCurrentStyle();
    const int32_t x = m_rect.left, y = m_rect.top, w = m_rect.Width(), h = m_rect.Height();
    const int32_t radius = static_cast<int32_t>(style.m_radius * s);
    FillShape(graphics, x, y, w, h, style.m_backColor, radius);
    if (m_pImage) {
        graphics.DrawImage(
            m_pImage, Gdiplus::Rect(m_rcImage.left, m_rcImage.top, m_rcImage.Width(), m_rcImage.Height()));
    }
    DrawBorder(graphics, x, y, w, h, style.m_borderColor, radius,
               static_cast<int32_t>(style.m_borderWidth * s));
}

bool CImageResource::Draw(HDC hdc) {
    if (!m_visible) return true;
    auto graphics = MakeGraphics(hdc);
    DrawBackground(*graphics);
    return true;
}

void CImageResource::PlaceRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_rect = InflateAndKeepAspect(MakeUiRect(left, top, right, bottom), m_inflateX, m_inflateY, m_aspect,
                                  GetUiScale());
}

bool CImageResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    PlaceRect(left, top, right, bottom);
    FitImage();
    return true;
}

void CImageResource::FitImage() {
    if (!m_pImage) return;
    double iw, ih;
    GetImageSize(m_pImage, &iw, &ih);
    m_rcImage = FitImageRect(m_rect, iw, ih);
}
