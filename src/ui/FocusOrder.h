// The order in which the keyboard walks a window's controls, kept free of any platform type so
// it is built and tested on every platform.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/Geometry.h"

struct FocusCandidate {
    int32_t index;  // the widget's place in its view's list
    UiRect rect;
};

// Reading order: rows from top to bottom, each row from left to right. A control belongs to the
// row of the control above it when its vertical centre lies within that control's height, so
// controls of different heights centred on one line (a check box next to a link) stay one row.
// Returns the candidates' indexes.
std::vector<int32_t> ReadingOrder(const std::vector<FocusCandidate>& candidates);

// The index after (or, `backward`, before) `current` in `order`, wrapping around; the first (or
// last) when `current` is not in it; -1 for an empty order.
int32_t NextInOrder(const std::vector<int32_t>& order, int32_t current, bool backward);
