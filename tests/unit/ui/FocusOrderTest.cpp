// The keyboard's walk over a window's controls: reading order and wrapping.
#include <gtest/gtest.h>

#include "ui/FocusOrder.h"

namespace {

FocusCandidate At(int32_t index, int32_t l, int32_t t, int32_t r, int32_t b) {
    return FocusCandidate{index, MakeUiRect(l, t, r, b)};
}

TEST(FocusOrderTest, RowsTopToBottomThenLeftToRight) {
    // The welcome page's shape: a close cross top right, the big button, then one row where a
    // tall check box, a short link and a button of its own height are centred on one line; the
    // list order is not the reading order.
    const std::vector<FocusCandidate> widgets = {
        At(9, 500, 330, 580, 350),  // custom button, terms row
        At(3, 200, 220, 400, 270),  // install button
        At(2, 560, 24, 576, 40),    // close cross
        At(7, 120, 332, 200, 348),  // link, shorter than the box
        At(6, 20, 326, 120, 354),   // check box
    };
    EXPECT_EQ(ReadingOrder(widgets), (std::vector<int32_t>{2, 3, 6, 7, 9}));
}

TEST(FocusOrderTest, ARowEndsWhereTheNextControlIsCentredBelowTheFirst) {
    // The second control starts inside the first's height but its centre lies below it.
    const std::vector<FocusCandidate> widgets = {At(1, 300, 0, 340, 20), At(2, 0, 15, 40, 45)};
    EXPECT_EQ(ReadingOrder(widgets), (std::vector<int32_t>{1, 2}));
    EXPECT_TRUE(ReadingOrder({}).empty());
}

TEST(FocusOrderTest, NextWrapsBothWaysAndStartsAtAnEnd) {
    const std::vector<int32_t> order = {4, 2, 7};
    struct Case {
        int32_t current;
        bool backward;
        int32_t next;
    } cases[] = {
        {4, false, 2},  {7, false, 4}, {4, true, 7},  {2, true, 4},
        {-1, false, 4}, {-1, true, 7}, {5, false, 4},  // not in the order (none, or now disabled)
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NextInOrder(order, c.current, c.backward), c.next) << c.current << " " << c.backward;
    }
    EXPECT_EQ(NextInOrder({}, 3, false), -1);
}

}  // namespace
