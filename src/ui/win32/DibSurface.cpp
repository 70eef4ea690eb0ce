#include "ui/DibSurface.h"

CDibSurface::CDibSurface(HDC reference, int32_t width, int32_t height) : m_width(width), m_height(height) {
    m_hDC = CreateCompatibleDC(reference);
    SetBkMode(m_hDC, TRANSPARENT);
    BITMAPINFO info = {};
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;  // positive: rows run bottom-up
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(((width * 32 + 31) & ~31) / 8 * height);
    void* bits = nullptr;
    m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_pBits = static_cast<uint32_t*>(bits);
    if (m_hBitmap) m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
}

CDibSurface::~CDibSurface() {
    if (m_hOldBitmap) SelectObject(m_hDC, m_hOldBitmap);
    if (m_hBitmap) DeleteObject(m_hBitmap);
    if (m_hDC) DeleteDC(m_hDC);
}

uint32_t CDibSurface::GetPixel(int32_t x, int32_t y) const {
    if (!m_pBits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    GdiFlush();
    return m_pBits[static_cast<size_t>(m_height - 1 - y) * m_width + x];
}
