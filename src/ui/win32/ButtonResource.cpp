#include "ui/ButtonResource.h"

#include "ui/Drawing.h"
#include "ui/UiScale.h"

namespace {

const ResourceStyle* DefaultButtonStyles() {
    static ResourceStyle styles[kStateCount];
    static bool ready = false;
    if (!ready) {
        const uint32_t faces[kStateCount] = {MakeRgb(65, 151, 255), MakeRgb(98, 166, 251),
                                             MakeRgb(24, 115, 222), MakeRgb(216, 216, 216)};
        for (int32_t i = 0; i < kStateCount; ++i) {
            styles[i].m_textColor = 0xFFFFFFFF;
            styles[i].m_borderColor = 0x00FFFFFF;
            styles[i].m_borderWidth = 0;
            styles[i].m_radius = 2;
            styles[i].m_hAlign = ALIGN_CENTER;
            styles[i].m_vAlign = ALIGN_CENTER;
            styles[i].m_backColor = faces[i];
        }
        ready = true;
    }
    return styles;
}

}  // namespace

CButtonResource::CButtonResource(const std::wstring& text, int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_BUTTON, styles ? styles : DefaultButtonStyles()), m_text(text) {}

Gdiplus::Image* CButtonResource::GetStateImage() const {
    switch (m_state) {
        case STATE_NORMAL:
            return m_pNormalImage;
        case STATE_HOVER:
            return m_pHoverImage;
        case STATE_PRESSED:
            return m_pPressedImage;
        case STATE_DISABLED:
            return m_pDisabledImage;
    }
    return nullptr;
}

bool CButtonResource::SetStateImage(Gdiplus::Image*& slot, Gdiplus::Image* image) {
    if (slot != image) {
        slot = image;
        PlaceIcon();
    }
    return true;
}

bool CButtonResource::SetNormalImage(Gdiplus::Image* image) {
    return SetStateImage(m_pNormalImage, image);
}
bool CButtonResource::SetHoverImage(Gdiplus::Image* image) {
    return SetStateImage(m_pHoverImage, image);
}
bool CButtonResource::SetPressedImage(Gdiplus::Image* image) {
    return SetStateImage(m_pPressedImage, image);
}
bool CButtonResource::SetDisabledImage(Gdiplus::Image* image) {
    return SetStateImage(m_pDisabledImage, image);
}

void CButtonResource::PlaceIcon() {
    // A disabled button keeps the icon rectangle it had.
    if (m_state == STATE_DISABLED) return;
    Gdiplus::Image* image = GetStateImage();
    if (!image) return;
    double iw, ih;
    GetImageSize(image, &iw, &ih);
    m_rcIcon = PlaceIconRect(m_rect, iw, ih, GetCurrentStyle().m_iconPos == ICON_RIGHT);
}

bool CButtonResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CImageResource::SetRect(left, top, right, bottom);
    PlaceIcon();
    return true;
}

bool CButtonResource::Draw(HDC hdc) {
    if (!m_visible) return true;
    auto graphics = MakeGraphics(hdc);
    DrawBackground(*graphics);

    const ResourceStyle& style = GetCurrentStyle();
    Gdiplus::StringFormat format(0, 0);
    ApplyStyleFormat(format, style);
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    auto font = MakeStyleFont(style, GetUiScale());

    Gdiplus::Image* image = GetStateImage();
    int32_t iconWidth = -1;
    if (image) {
        graphics->DrawImage(image,
                            Gdiplus::Rect(m_rcIcon.left, m_rcIcon.top, m_rcIcon.Width(), m_rcIcon.Height()));
        iconWidth = m_rcIcon.Width();
    }
    const TextBox box = IconTextBox(m_rect, iconWidth, style.m_iconPos == ICON_RIGHT);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.x), static_cast<Gdiplus::REAL>(box.y),
                                static_cast<Gdiplus::REAL>(box.width),
                                static_cast<Gdiplus::REAL>(box.height));
    PaintText(*graphics, m_text, *font, layout, style.m_textColor, format);
    return true;
}
