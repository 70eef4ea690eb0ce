// Text that wraps onto further lines inside its rectangle and ends in an ellipsis when it runs
// out of room. Windows only.
#pragma once

#include <string>
#include <vector>

#include "ui/ImageResource.h"
#include "ui/LineBreak.h"

namespace Gdiplus {
class Font;
class RectF;
class StringFormat;
}  // namespace Gdiplus

class CTextResource : public CImageResource {
public:
    // Null `styles`: black text on opaque white (normal state).
    CTextResource(const std::wstring& text, int32_t id, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
        return CImageResource::SetRect(left, top, right, bottom);
    }
    void SetText(const std::wstring& text) { m_text = text; }
    const std::wstring& GetText() const { return m_text; }

private:
    // More than one line: each in its own line box, the block aligned in the rectangle as the
    // style says.
    void PaintLines(Gdiplus::Graphics& graphics, const std::vector<TextLine>& lines,
                    const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                    const Gdiplus::RectF& layout);

    std::wstring m_text;
};
