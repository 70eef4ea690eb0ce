// The drawing primitives every widget shares: rounded shapes, borders and text filled as an
// outline path. Windows only (GDI+).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resources/GdiPlus.h"
#include "ui/LineBreak.h"
#include "ui/ResourceStyle.h"

// A rounded rectangle whose right and bottom pixels are x + w - 1 and y + h - 1; `diameter`
// is clamped to the shape.
void AddRoundRectPath(Gdiplus::GraphicsPath& path, int32_t x, int32_t y, int32_t w, int32_t h,
                      int32_t diameter);
// Fills the box, rounded when `radius` > 0, including its last row and column.
void FillShape(Gdiplus::Graphics& graphics, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
               int32_t radius);
// An outline `width` pixels wide inside the box; nothing when `width` <= 0.
void DrawBorder(Gdiplus::Graphics& graphics, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
                int32_t radius, int32_t width);
// Text filled as a path; only underlined text, which a path cannot carry, goes through
// DrawString.
void PaintText(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::Font& font,
               const Gdiplus::RectF& layout, uint32_t colour, const Gdiplus::StringFormat& format);

// Distance from one line of `font` to the next, in the font's unit (pixels here).
double FontLineHeight(const Gdiplus::Font& font);
// The lines a text widget sets `text` in when `width` pixels wide: BreakLines with the widths
// the system measures for `format` on one line.
std::vector<TextLine> BreakTextLines(Gdiplus::Graphics& graphics, const std::wstring& text,
                                     const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                                     double width);

// The style's font at the scaled size; a family that is not installed falls back to the
// generic sans-serif one.
std::unique_ptr<Gdiplus::Font> MakeStyleFont(const ResourceStyle& style, double scale);
// Alignment and line alignment from the style, with ellipsis trimming.
void ApplyStyleFormat(Gdiplus::StringFormat& format, const ResourceStyle& style);

// A Graphics on a device context with anti-aliased shapes and text.
std::unique_ptr<Gdiplus::Graphics> MakeGraphics(HDC hdc);
