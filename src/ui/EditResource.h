// A native single-line edit control placed like any widget. It paints itself after the page's
// bitmap is on the window, without a frame of its own so it sits flat on the skin; the page
// answers WM_CTLCOLOREDIT for its colours and gets its changes as WM_COMMAND. Windows only.
#pragma once

#include <string>

#include "ui/ImageResource.h"

class CEditResource : public CImageResource {
public:
    // Creates the control as a child of `parent` with `id` as its control id. Null `styles`:
    // dark grey text, no fill, no border. Throws "create widget error".
    CEditResource(const std::wstring& text, HWND parent, int32_t id, const ResourceStyle* styles);

    // Shows the control and lets it repaint; nothing goes into the view's bitmap.
    bool Draw(HDC hdc) override;
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    bool SetEditText(const std::wstring& text);
    // Copies at most `capacity` characters (with the terminator); true when any text was copied.
    bool GetEditText(wchar_t* buffer, int32_t capacity);
    std::wstring GetEditText();
    void ShowEdit(bool show);
    HWND GetEditHwnd() const { return m_hEdit; }

    static LRESULT CALLBACK EditWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    std::wstring m_text;
    HWND m_hEdit = nullptr;
};
