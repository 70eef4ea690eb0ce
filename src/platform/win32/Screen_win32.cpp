#include <windows.h>

#include <cmath>

#include "platform/CommonIntf.h"

double QueryScreenScale() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 1.0;
    double ratio = static_cast<double>(GetDeviceCaps(screen, DESKTOPHORZRES)) /
                   static_cast<double>(GetDeviceCaps(screen, HORZRES));
    double dpiScale = GetDeviceCaps(screen, LOGPIXELSX) / 0.96 / 100.0;
    ReleaseDC(nullptr, screen);
    // A ratio of 1 means the system does not stretch us, so the DPI tells the scale.
    return std::fabs(ratio) - 1.0 < 1e-8 ? dpiScale : ratio;
}
