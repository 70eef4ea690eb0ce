// A check box: a checked or unchecked picture beside one line of text. Checking is the caller's
// business (SetChecked); the widget only draws it. Windows only.
#pragma once

#include <string>

#include "ui/ImageResource.h"

class CCheckboxResource : public CImageResource {
public:
    // Pictures are borrowed. Starts checked. Null `styles`: grey text turning blue on hover.
    CCheckboxResource(const std::wstring& text, Gdiplus::Image* checkedImage, Gdiplus::Image* uncheckedImage,
                      int32_t id, const ResourceStyle* styles);

    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    // 1 checked, 0 unchecked; the icon keeps its place. The caller repaints.
    void SetChecked(int32_t checked) { m_checked = checked; }
    int32_t GetChecked() const { return m_checked; }
    void SetText(const std::wstring& text) { m_text = text; }
    const std::wstring& GetText() const { return m_text; }
    const UiRect& GetIconRect() const { return m_rcIcon; }

private:
    Gdiplus::Image* m_pCheckedImage;
    Gdiplus::Image* m_pUncheckedImage;
    UiRect m_rcIcon;
    int32_t m_checked = 1;
    std::wstring m_text;
};
