// The main window's page-switch decisions that do not need a window.
#pragma once

#include <cstdint>

// The base size the window takes when the page `flag` replaces the page `current` (-1 before
// the first page); `resize` false keeps the size it has.
struct PageWindowSize {
    bool resize;
    uint32_t width;
    uint32_t height;
};
PageWindowSize WindowSizeForSwitch(int flag, int current);

bool IsViewFlag(int flag);
