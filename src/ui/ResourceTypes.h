// Widget kinds and states shared by the views, the widgets and the hit test.
#pragma once

#include <cstdint>

// <windows.h> has a RES_ICON of its own (the same value, 1) for resource directories; the
// widget kind takes the name over.
#ifdef RES_ICON
#undef RES_ICON
#endif

enum ResourceType : int32_t {
    RES_IMAGE = 0,
    RES_ICON = 1,
    RES_BUTTON = 2,
    RES_CHECKBOX = 3,
    RES_MOVIE = 4,
    RES_TEXT = 5,
    RES_EDIT = 6,
    RES_PROGRESS = 7,
    RES_LAYOUT = 9,
    RES_SPACER = 10,
};

enum ResourceState : int32_t {
    STATE_NORMAL = 0,
    STATE_HOVER = 1,
    STATE_PRESSED = 2,
    STATE_DISABLED = 3,
};

constexpr int32_t kStateCount = 4;
