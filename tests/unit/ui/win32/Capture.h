// Test helpers: GDI+ for the test process, PNG files of what the toolkit drew, pixel checks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "resources/GdiPlus.h"
#include "ui/DibSurface.h"

// Writes the surface as a PNG in the current (build) folder; keeps the alpha when asked.
bool SaveSurfacePng(const CDibSurface& surface, const std::wstring& fileName, bool keepAlpha);
// Copies what the window shows (its client area) into a new surface.
void CaptureClient(HWND hwnd, CDibSurface& surface);

inline uint8_t Alpha(uint32_t bgra) {
    return static_cast<uint8_t>(bgra >> 24);
}
inline uint8_t Red(uint32_t bgra) {
    return static_cast<uint8_t>(bgra >> 16);
}
inline uint8_t Green(uint32_t bgra) {
    return static_cast<uint8_t>(bgra >> 8);
}
inline uint8_t Blue(uint32_t bgra) {
    return static_cast<uint8_t>(bgra);
}
// Whether the colour channels are within `tolerance` of an 0xAARRGGBB value (alpha ignored).
bool ColourNear(uint32_t bgra, uint32_t argb, int tolerance);
std::string DescribePixel(uint32_t bgra);

// Dispatches whatever is queued for the thread.
void PumpMessages();
