#include "ui/TextResource.h"

#include <algorithm>

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
    // Some text layouts wrap only at spaces and cut a Chinese sentence at the box's edge, so
    // the lines are broken here and each drawn on its own; one line is drawn as it always was.
    const std::vector<TextLine> lines = BreakTextLines(*graphics, m_text, *font, format, layout.Width);
    if (lines.size() <= 1) {
        PaintText(*graphics, m_text, *font, layout, style.m_textColor, format);
        return true;
    }
    PaintLines(*graphics, lines, *font, format, layout);
    return true;
}

void CTextResource::PaintLines(Gdiplus::Graphics& graphics, const std::vector<TextLine>& lines,
                               const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                               const Gdiplus::RectF& layout) {
    const double lineHeight = FontLineHeight(font);
    // Lines below the box are not drawn; the last one shown takes the rest of the text and ends
    // in the ellipsis of the format's trimming.
    const size_t room = std::max<size_t>(1, static_cast<size_t>((layout.Height + 0.5) / lineHeight));
    const size_t shown = std::min(lines.size(), room);
    const double block = shown * lineHeight;
    double top = layout.Y;
    if (format.GetLineAlignment() == Gdiplus::StringAlignmentCenter) top += (layout.Height - block) / 2;
    if (format.GetLineAlignment() == Gdiplus::StringAlignmentFar) top += layout.Height - block;

    Gdiplus::StringFormat lineFormat(&format);
    lineFormat.SetFormatFlags(lineFormat.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    lineFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);
    const uint32_t colour = GetCurrentStyle().m_textColor;
    for (size_t i = 0; i < shown; ++i) {
        std::wstring text = m_text.substr(lines[i].start, lines[i].length);
        if (i + 1 == shown && shown < lines.size()) {
            text = m_text.substr(lines[i].start);
            std::replace(text.begin(), text.end(), L'\n', L' ');
        }
        const Gdiplus::RectF box(layout.X, static_cast<Gdiplus::REAL>(top + i * lineHeight), layout.Width,
                                 static_cast<Gdiplus::REAL>(lineHeight));
        PaintText(graphics, text, font, box, colour, lineFormat);
    }
}
