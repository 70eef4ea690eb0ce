#include "Capture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool FindPngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0) return false;
    std::vector<uint8_t> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

bool SaveSurfacePng(const CDibSurface& surface, const std::wstring& fileName, bool keepAlpha) {
    const int32_t w = surface.GetWidth(), h = surface.GetHeight();
    Gdiplus::Bitmap bitmap(w, h, keepAlpha ? PixelFormat32bppPARGB : PixelFormat32bppRGB);
    Gdiplus::Rect all(0, 0, w, h);
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, bitmap.GetPixelFormat(), &data) != Gdiplus::Ok) {
        return false;
    }
    for (int32_t y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + y * data.Stride);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t pixel = surface.GetPixel(x, y);
            row[x] = keepAlpha ? pixel : (pixel | 0xFF000000u);
        }
    }
    bitmap.UnlockBits(&data);
    CLSID png;
    return FindPngEncoder(&png) && bitmap.Save(fileName.c_str(), &png, nullptr) == Gdiplus::Ok;
}

void CaptureClient(HWND hwnd, CDibSurface& surface) {
    HDC windowDC = GetDC(hwnd);
    BitBlt(surface.GetDC(), 0, 0, surface.GetWidth(), surface.GetHeight(), windowDC, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, windowDC);
    GdiFlush();
}

bool ColourNear(uint32_t bgra, uint32_t argb, int tolerance) {
    return std::abs(int(Red(bgra)) - int(Red(argb))) <= tolerance &&
           std::abs(int(Green(bgra)) - int(Green(argb))) <= tolerance &&
           std::abs(int(Blue(bgra)) - int(Blue(argb))) <= tolerance;
}

std::string DescribePixel(uint32_t bgra) {
    char text[64];
    std::snprintf(text, sizeof(text), "a=%u r=%u g=%u b=%u", Alpha(bgra), Red(bgra), Green(bgra), Blue(bgra));
    return text;
}

void PumpMessages() {
    MSG msg;
    // Bounded: a window that keeps posting to itself must not hold the test here.
    for (int n = 0; n < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
