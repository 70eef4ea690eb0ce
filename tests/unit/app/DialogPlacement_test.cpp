#include "app/DialogPlacement.h"

#include <gtest/gtest.h>

namespace {

const UiRect kWork = MakeUiRect(0, 0, 1920, 1040);

TEST(DialogPlacement, CentresOverThePageTruncatingTowardZero) {
    int32_t x = 0, y = 0;
    CenterOver(MakeUiRect(660, 320, 1260, 720), 400, 200, &x, &y);
    EXPECT_EQ(760, x);
    EXPECT_EQ(420, y);
    // Odd differences lose the half pixel; a dialog wider than its page sits left of it.
    CenterOver(MakeUiRect(0, 0, 601, 401), 400, 200, &x, &y);
    EXPECT_EQ(100, x);
    EXPECT_EQ(100, y);
    CenterOver(MakeUiRect(100, 100, 300, 200), 401, 201, &x, &y);
    EXPECT_EQ(100 + (-201) / 2, x);
    EXPECT_EQ(100 + (-101) / 2, y);
    EXPECT_EQ(0, x);
    EXPECT_EQ(50, y);
}

TEST(DialogPlacement, KeepOnWorkAreaPullsBackEveryCheckedEdge) {
    struct Case {
        const char* what;
        UiRect in;
        bool moved;
        UiRect out;
    } cases[] = {
        {"inside", MakeUiRect(860, 420, 1260, 720), false, MakeUiRect(860, 420, 1260, 720)},
        {"touching every edge", MakeUiRect(0, 0, 1920, 1040), false, MakeUiRect(0, 0, 1920, 1040)},
        // Page dragged 150 pixels past the right edge: the dialog shifts left by the overhang.
        {"right overhang", MakeUiRect(1570, 420, 2070, 720), true, MakeUiRect(1420, 420, 1920, 720)},
        {"left overhang", MakeUiRect(-120, 420, 380, 720), true, MakeUiRect(0, 420, 500, 720)},
        {"bottom overhang", MakeUiRect(860, 900, 1260, 1200), true, MakeUiRect(860, 740, 1260, 1040)},
        {"right and bottom", MakeUiRect(1600, 900, 2000, 1100), true, MakeUiRect(1520, 840, 1920, 1040)},
        // The top edge is not checked.
        {"above the top", MakeUiRect(860, -300, 1260, 100), false, MakeUiRect(860, -300, 1260, 100)},
        // Wider than the work area: the right edge wins, as the last horizontal rule.
        {"wider than the work area", MakeUiRect(-10, 0, 2000, 300), true, MakeUiRect(-90, 0, 1920, 300)},
    };
    for (const Case& c : cases) {
        UiRect rect = c.in;
        EXPECT_EQ(c.moved, KeepOnWorkArea(&rect, kWork)) << c.what;
        EXPECT_EQ(c.out, rect) << c.what;
        EXPECT_EQ(c.in.Width(), rect.Width()) << c.what;
        EXPECT_EQ(c.in.Height(), rect.Height()) << c.what;
    }
}

TEST(DialogPlacement, WorkAreaThatDoesNotStartAtZero) {
    // A task bar on the left: the work area begins at x 60.
    const UiRect work = MakeUiRect(60, 0, 1920, 1080);
    UiRect rect = MakeUiRect(10, 500, 510, 800);
    EXPECT_TRUE(KeepOnWorkArea(&rect, work));
    EXPECT_EQ(MakeUiRect(60, 500, 560, 800), rect);
}

}  // namespace
