// A memory device context with a 32-bit bottom-up DIB section selected into it: the canvas of
// the layered pipeline, fully transparent (all zero) when made. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

class CDibSurface {
public:
    // `reference` is only the context the memory context is made compatible with.
    CDibSurface(HDC reference, int32_t width, int32_t height);
    CDibSurface(const CDibSurface&) = delete;
    CDibSurface& operator=(const CDibSurface&) = delete;
    ~CDibSurface();

    bool IsValid() const { return m_hBitmap != nullptr; }
    HDC GetDC() const { return m_hDC; }
    HBITMAP GetBitmap() const { return m_hBitmap; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // Premultiplied BGRA of the pixel at (x, y) counted from the top-left; 0 outside.
    uint32_t GetPixel(int32_t x, int32_t y) const;

private:
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    uint32_t* m_pBits = nullptr;
    int32_t m_width;
    int32_t m_height;
};
