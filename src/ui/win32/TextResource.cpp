#include "ui/TextResource.h"

#include "ui/Drawing.h"
#include "ui/UiScale.h"

namespace {

const ResourceStyle* DefaultTextStyles() {
    static ResourceStyle styles[kStateCount];
    static bool ready = false;
    if (!ready) {
        styles[STATE_NORMAL].m_backColor = 0xFFFFFFFF;
        ready = true;
    }
    return styles;
}

}  // namespace

CTextResource::CTextResource(const std::wstring& text, int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_TEXT, styles ? styles : DefaultTextStyles()), m_text(text) {}

bool CTextResource::Draw(HDC hdc) {
    if (!m_visible) return true;
    auto graphics = MakeGraphics(hdc);
    DrawBackground(*graphics);

    const ResourceStyle& style = GetCurrentStyle();
    Gdiplus::StringFormat format(0, 0);
    ApplyStyleFormat(format, style);
    auto font = MakeStyleFont(style, GetUiScale());
    const Gdiplus::RectF layout(
        static_cast<Gdiplus::REAL>(m_rect.left), static_cast<Gdiplus::REAL>(m_rect.top),
        static_cast<Gdiplus::REAL>(m_rect.Width()), static_cast<Gdiplus::REAL>(m_rect.Height()));
    PaintText(*graphics, m_text, *font, layout, style.m_textColor, format);
    return true;
}
