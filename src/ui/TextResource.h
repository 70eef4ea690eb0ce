// Text that wraps onto further lines inside its rectangle and ends in an ellipsis when it runs
// out of room. Windows only.
#pragma once

#include <string>

#include "ui/ImageResource.h"

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
    std::wstring m_text;
};
