#include "ui/CheckboxResource.h"

#include "ui/Drawing.h"
#include "ui/UiScale.h"

namespace {

const ResourceStyle* DefaultCheckboxStyles() {
    static ResourceStyle styles[kStateCount];
    static bool ready = false;
    if (!ready) {
        const uint32_t text[kStateCount - 1] = {MakeRgb(77, 77, 77), MakeRgb(65, 151, 255),
                                                MakeRgb(24, 115, 222)};
        for (int32_t i = 0; i < kStateCount; ++i) {
            if (i < kStateCount - 1) styles[i].m_textColor = text[i];
            styles[i].m_backColor = 0x00FFFFFF;
            styles[i].m_borderColor = 0x00FFFFFF;
        }
        ready = true;
    }
    return styles;
}

}  // namespace

CCheckboxResource::CCheckboxResource(const std::wstring& text, Gdiplus::Image* checkedImage,
                                     Gdiplus::Image* uncheckedImage, int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_CHECKBOX, styles ? styles : DefaultCheckboxStyles()),
      m_pCheckedImage(checkedImage),
      m_pUncheckedImage(uncheckedImage),
      m_text(text) {}

bool CCheckboxResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CImageResource::SetRect(left, top, right, bottom);
    Gdiplus::Image* image = m_checked == 1 ? m_pCheckedImage : (m_checked == 0 ? m_pUncheckedImage : nullptr);
    if (image) {
        double iw, ih;
        GetImageSize(image, &iw, &ih);
        m_rcIcon = PlaceIconRect(m_rect, iw, ih, GetCurrentStyle().m_iconPos == ICON_RIGHT);
    }
    return true;
}

bool CCheckboxResource::Draw(HDC hdc) {
    if (!m_visible) return true;
    auto graphics = MakeGraphics(hdc);
    DrawBackground(*graphics);

    const ResourceStyle& style = GetCurrentStyle();
    Gdiplus::StringFormat format(0, 0);
    ApplyStyleFormat(format, style);
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    auto font = MakeStyleFont(style, GetUiScale());
    // The icon's width is reserved even before an icon was placed.
    const TextBox box = IconTextBox(m_rect, m_rcIcon.Width(), style.m_iconPos == ICON_RIGHT);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(box.x), static_cast<Gdiplus::REAL>(box.y),
                                static_cast<Gdiplus::REAL>(box.width),
                                static_cast<Gdiplus::REAL>(box.height));
    PaintText(*graphics, m_text, *font, layout, style.m_textColor, format);

    Gdiplus::Image* image = m_checked == 1 ? m_pCheckedImage : (m_checked == 0 ? m_pUncheckedImage : nullptr);
    if (image) {
        graphics->DrawImage(image,
                            Gdiplus::Rect(m_rcIcon.left, m_rcIcon.top, m_rcIcon.Width(), m_rcIcon.Height()));
    }
    return true;
}
