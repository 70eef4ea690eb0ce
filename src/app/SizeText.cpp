#include "app/SizeText.h"

#include <cstdio>

std::wstring FormatSize(double bytes) {
    static const struct {
        double limit;
        double unit;
        const char* format;
    } kUnits[] = {
        {1024.0, 1.0, "%.1f B"},
        {1048576.0, 1024.0, "%.1f KB"},
        {1073741824.0, 1048576.0, "%.1f MB"},
        {1099511627776.0, 1073741824.0, "%.1f GB"},
    };
    char text[64] = {};
    bool done = false;
    for (const auto& unit : kUnits) {
        if (bytes <= unit.limit) {
            std::snprintf(text, sizeof(text), unit.format, bytes / unit.unit);
            done = true;
            break;
        }
    }
    if (!done) std::snprintf(text, sizeof(text), "%.1f TB", bytes / 1099511627776.0);
    // The text is plain ASCII, so widening byte by byte is exact.
    std::wstring wide;
    for (const char* p = text; *p; ++p) wide.push_back(static_cast<wchar_t>(*p));
    return wide;
}
