#include "app/DialogPlacement.h"

void CenterOver(const UiRect& page, int32_t width, int32_t height, int32_t* x, int32_t* y) {
    *x = page.left + (page.Width() - width) / 2;
    *y = page.top + (page.Height() - height) / 2;
}

bool KeepOnWorkArea(UiRect* rect, const UiRect& workArea) {
    const int32_t width = rect->Width();
    const int32_t height = rect->Height();
    bool moved = false;
    if (rect->left < workArea.left) {
        rect->left = workArea.left;
        rect->right = workArea.left + width;
        moved = true;
    }
    if (rect->right > workArea.right) {
        rect->right = workArea.right;
        rect->left = workArea.right - width;
        moved = true;
    }
    if (rect->bottom > workArea.bottom) {
        rect->bottom = workArea.bottom;
        rect->top = workArea.bottom - height;
        moved = true;
    }
    return moved;
}
