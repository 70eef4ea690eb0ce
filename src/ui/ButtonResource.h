// A push button: background and border from its state's style, an optional icon per state and
// one line of text cut with an ellipsis. Windows only.
#pragma once

#include <string>

#include "ui/ImageResource.h"

class CButtonResource : public CImageResource {
public:
    // Null `styles`: white centred text on a blue rounded face (one colour per state).
    CButtonResource(const std::wstring& text, int32_t id, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    // Icons are borrowed; any may stay null. True.
    bool SetNormalImage(Gdiplus::Image* image);
    bool SetHoverImage(Gdiplus::Image* image);
    bool SetPressedImage(Gdiplus::Image* image);
    bool SetDisabledImage(Gdiplus::Image* image);
    void SetText(const std::wstring& text) { m_text = text; }
    const std::wstring& GetText() const { return m_text; }
    const UiRect& GetIconRect() const { return m_rcIcon; }

private:
    Gdiplus::Image* GetStateImage() const;
    bool SetStateImage(Gdiplus::Image*& slot, Gdiplus::Image* image);
    void PlaceIcon();

    Gdiplus::Image* m_pNormalImage = nullptr;
    Gdiplus::Image* m_pHoverImage = nullptr;
    Gdiplus::Image* m_pPressedImage = nullptr;
    Gdiplus::Image* m_pDisabledImage = nullptr;
    UiRect m_rcIcon;
    std::wstring m_text;
};
