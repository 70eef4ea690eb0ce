#include "ui/Drawing.h"

#include "ui/Geometry.h"

namespace {

// Keeps pixel units for the duration of a drawing step, whatever the caller had set.
class PixelUnitScope {
public:
    explicit PixelUnitScope(Gdiplus::Graphics& graphics)
        : m_graphics(graphics), m_unit(graphics.GetPageUnit()) {
        m_graphics.SetPageUnit(Gdiplus::UnitPixel);
    }
    ~PixelUnitScope() { m_graphics.SetPageUnit(m_unit); }

private:
    Gdiplus::Graphics& m_graphics;
    Gdiplus::Unit m_unit;
};

Gdiplus::StringAlignment ToAlignment(int32_t value) {
    switch (value) {
        case ALIGN_CENTER:
            return Gdiplus::StringAlignmentCenter;
        case ALIGN_FAR:
            return Gdiplus::StringAlignmentFar;
        default:
            return Gdiplus::StringAlignmentNear;
    }
}

}  // namespace

void AddRoundRectPath(Gdiplus::GraphicsPath& path, int32_t x, int32_t y, int32_t w, int32_t h,
                      int32_t diameter) {
    ArcBox arcs[4];
    RoundRectArcs(x, y, w, h, diameter, arcs);
    path.Reset();
    for (const ArcBox& arc : arcs) {
        path.AddArc(Gdiplus::Rect(arc.x, arc.y, arc.size, arc.size), arc.startAngle, arc.sweepAngle);
    }
    path.CloseFigure();
}

void FillShape(Gdiplus::Graphics& graphics, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
               int32_t radius) {
    Gdiplus::Pen pen(Gdiplus::Color(colour), 1.0f);
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    Gdiplus::GraphicsPath path;
    if (radius > 0) {
        PixelUnitScope pixels(graphics);
        AddRoundRectPath(path, x, y, w, h, 2 * radius);
        graphics.FillPath(&brush, &path);
        graphics.DrawPath(&pen, &path);
        return;
    }
    // The outline in the same colour makes the fill cover its last row and column.
    path.AddRectangle(Gdiplus::Rect(x, y, w - 1, h - 1));
    graphics.FillPath(&brush, &path);
    graphics.DrawPath(&pen, &path);
}

void DrawBorder(Gdiplus::Graphics& graphics, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
                int32_t radius, int32_t width) {
    if (width <= 0) return;
    if (radius > 0) {
        PixelUnitScope pixels(graphics);
        Gdiplus::Pen pen(Gdiplus::Color(colour), 1.0f);
        Gdiplus::GraphicsPath path;
        AddRoundRectPath(path, x, y, w, h, 2 * radius);
        graphics.DrawPath(&pen, &path);
        // Concentric one-pixel outlines rather than a wide pen, which would blur the corners.
        for (int32_t i = 1; i < width; ++i) {
            x += 1;
            w -= 2;
            AddRoundRectPath(path, x, y, w, h, 2 * radius);
            graphics.DrawPath(&pen, &path);
            y += 1;
            h -= 2;
            AddRoundRectPath(path, x, y, w, h, 2 * radius);
            graphics.DrawPath(&pen, &path);
        }
        return;
    }
    Gdiplus::Pen pen(Gdiplus::Color(colour), static_cast<Gdiplus::REAL>(width));
    pen.SetAlignment(Gdiplus::PenAlignmentCenter);
    Gdiplus::GraphicsPath path;
    path.AddRectangle(Gdiplus::Rect(x, y, w - 1, h - 1));
    graphics.DrawPath(&pen, &path);
}

double FontLineHeight(const Gdiplus::Font& font) {
    Gdiplus::FontFamily family;
    font.GetFamily(&family);
    const UINT16 emHeight = family.GetEmHeight(font.GetStyle());
    return emHeight ? font.GetSize() * family.GetLineSpacing(font.GetStyle()) / double(emHeight)
                    : font.GetSize();
}

std::vector<TextLine> BreakTextLines(Gdiplus::Graphics& graphics, const std::wstring& text,
                                     const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                                     double width) {
    Gdiplus::StringFormat oneLine(&format);
    oneLine.SetFormatFlags(oneLine.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    return BreakLines(text, width, [&](size_t start, size_t length) {
        Gdiplus::RectF box;
        graphics.MeasureString(text.c_str() + start, static_cast<INT>(length), &font, Gdiplus::PointF(0, 0),
                               &oneLine, &box);
        return static_cast<double>(box.Width);
    });
}

void PaintText(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
               const Gdiplus::RectF& layout, uint32_t colour, const Gdiplus::StringFormat& format) {
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    if (font.GetStyle() == Gdiplus::FontStyleUnderline) {
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        graphics.DrawString(text.c_str(), -1, &font, layout, &format, &brush);
        return;
    }
    Gdiplus::FontFamily family;
    font.GetFamily(&family);
    Gdiplus::GraphicsPath path;
    const Gdiplus::StringAlignment line = format.GetLineAlignment();
    if ((format.GetFormatFlags() & Gdiplus::StringFormatFlagsNoWrap) &&
        line != Gdiplus::StringAlignmentNear) {
        // One line: place its line box ourselves. Some GDI+ implementations ignore the line
        // alignment of unwrapped text in paths; this gives the same position everywhere.
        const double lineHeight = FontLineHeight(font);
        const double room = layout.Height - lineHeight;
        Gdiplus::RectF placed = layout;
        placed.Y += static_cast<Gdiplus::REAL>(line == Gdiplus::StringAlignmentCenter ? room / 2 : room);
        placed.Height = static_cast<Gdiplus::REAL>(lineHeight);
        Gdiplus::StringFormat nearFormat(&format);
        nearFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);
        path.AddString(text.c_str(), -1, &family, font.GetStyle(), font.GetSize(), placed, &nearFormat);
    } else {
        path.AddString(text.c_str(), -1, &family, font.GetStyle(), font.GetSize(), layout, &format);
    }
    path.CloseFigure();
    graphics.FillPath(&brush, &path);
}

std::unique_ptr<Gdiplus::Font> MakeStyleFont(const ResourceStyle& style, double scale) {
    const Gdiplus::REAL size = static_cast<Gdiplus::REAL>(style.m_fontSize * scale);
    int fontStyle = Gdiplus::FontStyleRegular;
    if (style.m_underline) fontStyle = Gdiplus::FontStyleUnderline;
    if (style.m_bold) fontStyle = Gdiplus::FontStyleBold;
    Gdiplus::FontFamily family(style.m_fontFamily.c_str());
    if (family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable()) {
        return std::make_unique<Gdiplus::Font>(&family, size, fontStyle, Gdiplus::UnitPixel);
    }
    // The generic sans-serif family, or, where the system lacks the face behind it, the
    // toolkit's own default face, then one that every Windows has.
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (generic && generic->IsAvailable()) {
        return std::make_unique<Gdiplus::Font>(generic, size, fontStyle, Gdiplus::UnitPixel);
    }
    for (const std::wstring& name : {DefaultFontFamily(), std::wstring(L"Tahoma")}) {
        Gdiplus::FontFamily fallback(name.c_str());
        if (fallback.GetLastStatus() == Gdiplus::Ok && fallback.IsAvailable()) {
            return std::make_unique<Gdiplus::Font>(&fallback, size, fontStyle, Gdiplus::UnitPixel);
        }
    }
    return std::make_unique<Gdiplus::Font>(generic, size, fontStyle, Gdiplus::UnitPixel);
}

void ApplyStyleFormat(Gdiplus::StringFormat& format, const ResourceStyle& style) {
    format.SetAlignment(ToAlignment(style.m_hAlign));
    format.SetLineAlignment(ToAlignment(style.m_vAlign));
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
}

std::unique_ptr<Gdiplus::Graphics> MakeGraphics(HDC hdc) {
    auto graphics = std::make_unique<Gdiplus::Graphics>(hdc);
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    return graphics;
}
