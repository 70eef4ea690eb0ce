// The look of a widget in one state. Sizes are base pixels; widgets multiply them by the window
// scale when they draw.
#pragma once

#include <cstdint>
#include <string>

// A = 255 and the given red, green and blue.
constexpr uint32_t MakeRgb(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

enum : int32_t {
    ALIGN_NEAR = 0,
    ALIGN_CENTER = 1,
    ALIGN_FAR = 2,
};

enum : int32_t {
    ICON_LEFT = 0,
    ICON_RIGHT = 1,
};

// "Microsoft Yahei", or "SimHei" on Windows XP, which lacks the former.
std::wstring DefaultFontFamily();

struct ResourceStyle {
    uint32_t m_textColor = 0xFF000000;  // also the filled part of a progress bar
    uint32_t m_backColor = 0x00FFFFFF;  // transparent
    uint32_t m_borderWidth = 0;         // 0: no border
    uint32_t m_radius = 0;              // 0: square corners
    uint32_t m_borderColor = 0xFFC0C0C0;
    uint32_t m_fontSize = 16;
    std::wstring m_fontFamily = DefaultFontFamily();
    bool m_underline = false;
    bool m_bold = false;  // wins over underline
    int32_t m_hAlign = ALIGN_NEAR;
    int32_t m_vAlign = ALIGN_CENTER;
    int32_t m_iconPos = ICON_LEFT;  // ICON_RIGHT puts a button's icon at its right edge
};
