// Where a dialog goes over the page that opens it: centred on the page's window, then pulled
// back onto the work area so the user can always reach its buttons.
#pragma once

#include <cstdint>

#include "ui/Geometry.h"

// Top-left corner of a dialog of `width` by `height` centred over `page` (window rectangles,
// screen pixels). Halves truncate toward zero, so a dialog larger than the page still centres.
void CenterOver(const UiRect& page, int32_t width, int32_t height, int32_t* x, int32_t* y);

// Shifts `rect` sideways and upwards so its left, right and bottom edges lie inside `workArea`,
// keeping its size; the top edge is left alone (a window dragged above the screen keeps its
// place). Returns whether anything moved. The caller passes the dialog's top-left corner with
// the page's bottom-right corner, so an unmoved page keeps every dialog on screen.
bool KeepOnWorkArea(UiRect* rect, const UiRect& workArea);
