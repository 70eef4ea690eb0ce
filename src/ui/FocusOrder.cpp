#include "ui/FocusOrder.h"

#include <algorithm>

namespace {

// Twice the vertical centre, so no precision is lost to halving.
int64_t CentreY2(const UiRect& rc) {
    return static_cast<int64_t>(rc.top) + rc.bottom;
}

}  // namespace

std::vector<int32_t> ReadingOrder(const std::vector<FocusCandidate>& candidates) {
    std::vector<FocusCandidate> sorted(candidates);
    std::stable_sort(sorted.begin(), sorted.end(), [](const FocusCandidate& a, const FocusCandidate& b) {
        if (CentreY2(a.rect) != CentreY2(b.rect)) return CentreY2(a.rect) < CentreY2(b.rect);
        return a.rect.left < b.rect.left;
    });
    std::vector<int32_t> order;
    order.reserve(sorted.size());
    size_t rowStart = 0;
    while (rowStart < sorted.size()) {
        const UiRect& first = sorted[rowStart].rect;
        size_t rowEnd = rowStart + 1;
        while (rowEnd < sorted.size() &&
               CentreY2(sorted[rowEnd].rect) < 2 * static_cast<int64_t>(first.bottom)) {
            ++rowEnd;
        }
        std::stable_sort(
            sorted.begin() + static_cast<std::ptrdiff_t>(rowStart),
            sorted.begin() + static_cast<std::ptrdiff_t>(rowEnd),
            [](const FocusCandidate& a, const FocusCandidate& b) { return a.rect.left < b.rect.left; });
        for (size_t i = rowStart; i < rowEnd; ++i) order.push_back(sorted[i].index);
        rowStart = rowEnd;
    }
    return order;
}

int32_t NextInOrder(const std::vector<int32_t>& order, int32_t current, bool backward) {
    if (order.empty()) return -1;
    const auto found = std::find(order.begin(), order.end(), current);
    if (found == order.end()) return backward ? order.back() : order.front();
    const size_t at = static_cast<size_t>(found - order.begin());
    const size_t n = order.size();
    return order[backward ? (at + n - 1) % n : (at + 1) % n];
}
