#include "app/PageFlow.h"

#include "app/AppMessages.h"

bool IsViewFlag(int flag) {
    return flag >= 0 && flag < VIEW_FLAG_COUNT;
}

PageWindowSize WindowSizeForSwitch(int flag, int current) {
    // The latest-version page is the small one; every other page has the full size, which the
    // window already has unless it is leaving the small page.
    if (flag == VIEW_FLAG_REMINDER) return {true, 400, 200};
    if (current == VIEW_FLAG_REMINDER) return {true, 600, 400};
    return {false, 600, 400};
}
