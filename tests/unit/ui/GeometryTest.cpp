#include <gtest/gtest.h>

#include "ui/Geometry.h"
#include "ui/ResourceTypes.h"

namespace {

const UiRect kLandscape = MakeUiRect(0, 0, 1920, 1040);
const UiRect kPortrait = MakeUiRect(0, 0, 1080, 1880);

::testing::AssertionResult RectIs(const UiRect& rc, int l, int t, int r, int b) {
    if (rc == MakeUiRect(l, t, r, b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << ") expected (" << l
           << "," << t << "," << r << "," << b << ")";
}

}  // namespace

TEST(CalcWindowSize, ScalesWithTheScreenButNeverBelowTheBaseSize) {
    struct Case {
        uint32_t w, h;
        UiRect work;
        double screen;
        double outW, outH, scale;
    } cases[] = {
        {600, 400, kLandscape, 1.5, 900, 600, 1.5},
        {400, 200, kLandscape, 1.5, 600, 300, 1.5},
        {600, 400, kLandscape, 0.8, 600, 400, 1.0},
        {600, 400, kLandscape, 1.0, 600, 400, 1.0},
        // Portrait: the width is scaled first, the height follows from the aspect.
        {600, 400, kPortrait, 1.25, 750, 500, 1.25},
        {400, 200, kPortrait, 2.0, 800, 400, 2.0},
    };
    for (const Case& c : cases) {
        const WindowSize size = CalcWindowSize(c.w, c.h, c.work, true, c.screen);
        EXPECT_DOUBLE_EQ(c.outW, size.width) << c.w << "x" << c.h << " at " << c.screen;
        EXPECT_DOUBLE_EQ(c.outH, size.height) << c.w << "x" << c.h << " at " << c.screen;
        EXPECT_DOUBLE_EQ(c.scale, size.scale) << c.w << "x" << c.h << " at " << c.screen;
    }
    const WindowSize failed = CalcWindowSize(600, 400, kLandscape, false, 2.0);
    EXPECT_DOUBLE_EQ(600, failed.width);
    EXPECT_DOUBLE_EQ(400, failed.height);
    EXPECT_DOUBLE_EQ(1.0, failed.scale);
}

TEST(CenterWindowPos, UsesOnlyTheRightAndBottomEdges) {
    int32_t x = 0, y = 0;
    CenterWindowPos(kLandscape, 900, 600, &x, &y);
    EXPECT_EQ(510, x);
    EXPECT_EQ(220, y);
    // A work area that does not start at the origin still centres on right/2, bottom/2.
    CenterWindowPos(MakeUiRect(100, 50, 1921, 1041), 600.6, 399.4, &x, &y);
    EXPECT_EQ(960 - 300, x);
    EXPECT_EQ(520 - 200, y);
    // A failed work-area query leaves zeros: the window lands at (-W/2, -H/2).
    CenterWindowPos(UiRect{}, 600, 400, &x, &y);
    EXPECT_EQ(-300, x);
    EXPECT_EQ(-200, y);
}

TEST(InflateAndKeepAspect, InflatesThenCentresAtTheRatio) {
    EXPECT_TRUE(RectIs(InflateAndKeepAspect(MakeUiRect(0, 0, 120, 30), 0, 0, 76.0 / 30, 1.0), 22, 0, 98, 30));
    // Too tall: centred vertically.
    EXPECT_TRUE(RectIs(InflateAndKeepAspect(MakeUiRect(0, 0, 100, 300), 0, 0, 1.0, 1.0), 0, 100, 100, 200));
    // Inflation is scaled and truncated: 3 * 1.5 = 4.5 -> 4; negative shrinks.
    EXPECT_TRUE(RectIs(InflateAndKeepAspect(MakeUiRect(10, 10, 50, 40), 3, -2, 0, 1.5), 6, 13, 54, 37));
}

TEST(FitImageRect, FitsCentredWithoutCropping) {
    // The banner: 560 by 280 with a 2:1 picture fills the rectangle exactly.
    EXPECT_TRUE(RectIs(FitImageRect(MakeUiRect(20, 10, 580, 290), 1200, 600), 20, 10, 580, 290));
    // Wider than the picture: full height, equal margins left and right.
    EXPECT_TRUE(RectIs(FitImageRect(MakeUiRect(0, 0, 400, 100), 200, 200), 150, 0, 250, 100));
    // Taller: full width, centred vertically.
    EXPECT_TRUE(RectIs(FitImageRect(MakeUiRect(0, 0, 100, 300), 32, 32), 0, 100, 100, 200));
}

TEST(PlaceIconRect, AgainstTheChosenEdgeAndVerticallyCentred) {
    const UiRect button = MakeUiRect(100, 10, 220, 42);  // 120 by 32
    EXPECT_TRUE(RectIs(PlaceIconRect(button, 32, 32, false), 100, 10, 132, 42));
    EXPECT_TRUE(RectIs(PlaceIconRect(button, 32, 32, true), 188, 10, 220, 42));
    EXPECT_TRUE(RectIs(PlaceIconRect(MakeUiRect(0, 0, 20, 40), 32, 32, false), 0, 10, 20, 30));
}

TEST(ProgressBarRect, FollowsThePercentWithoutClamping) {
    const UiRect track = MakeUiRect(10, 5, 210, 17);
    EXPECT_TRUE(RectIs(ProgressBarRect(track, 0), 10, 5, 10, 17));
    EXPECT_TRUE(RectIs(ProgressBarRect(track, 37), 10, 5, 84, 17));
    EXPECT_TRUE(RectIs(ProgressBarRect(track, 100), 10, 5, 210, 17));
    EXPECT_TRUE(RectIs(ProgressBarRect(track, 150), 10, 5, 310, 17));
}

TEST(IconTextBox, ReservesTheIconAndAMargin) {
    const TextBox left = IconTextBox(MakeUiRect(0, 0, 100, 20), 20, false);
    EXPECT_DOUBLE_EQ(23, left.x);
    EXPECT_DOUBLE_EQ(77, left.width);
    const TextBox right = IconTextBox(MakeUiRect(0, 0, 100, 20), 20, true);
    EXPECT_DOUBLE_EQ(0, right.x);
    EXPECT_DOUBLE_EQ(77, right.width);
    // Three pixels or narrower: no margin.
    EXPECT_DOUBLE_EQ(1, IconTextBox(MakeUiRect(0, 0, 3, 20), 2, true).width);
    const TextBox none = IconTextBox(MakeUiRect(5, 6, 105, 26), -1, false);
    EXPECT_DOUBLE_EQ(5, none.x);
    EXPECT_DOUBLE_EQ(100, none.width);
}

TEST(RoundRectArcs, ClampsTheDiameterAndWidensTwenty) {
    ArcBox arcs[4];
    // Diameter 200 on a 12-pixel-high bar: the ends become 12-pixel half circles.
    RoundRectArcs(0, 0, 100, 12, 200, arcs);
    EXPECT_EQ(12, arcs[0].size);
    EXPECT_EQ(100 - 12 - 1, arcs[1].x);
    EXPECT_EQ(0, arcs[1].y);
    EXPECT_EQ(12 - 12 - 1, arcs[2].y);

    // Diameter 20: 21-pixel boxes whose far edges are still x + w - 1 and y + h - 1.
    RoundRectArcs(10, 20, 100, 50, 20, arcs);
    for (const ArcBox& arc : arcs) EXPECT_EQ(21, arc.size);
    EXPECT_EQ(10, arcs[0].x);
    EXPECT_EQ(10 + 100 - 1 - 20 - 1, arcs[1].x);
    EXPECT_EQ(10 + 100 - 1, arcs[1].x + arcs[1].size);
    EXPECT_EQ(20 + 50 - 1, arcs[2].y + arcs[2].size);
    EXPECT_FLOAT_EQ(180.f, arcs[0].startAngle);
    EXPECT_FLOAT_EQ(270.f, arcs[1].startAngle);
    EXPECT_FLOAT_EQ(0.f, arcs[2].startAngle);
    EXPECT_FLOAT_EQ(90.f, arcs[3].startAngle);
    EXPECT_EQ(arcs[3].x, arcs[0].x);
    EXPECT_EQ(arcs[3].y, arcs[2].y);
}

TEST(LayoutByWeights, PlacesByProportion) {
    std::vector<UiRect> out;
    LayoutSpacing margins;
    margins.top = margins.bottom = 16;
    ASSERT_TRUE(LayoutByWeights(LAYOUT_VERTICAL, MakeUiRect(0, 0, 300, 170), margins, {5, 2}, 1.0, &out));
    ASSERT_EQ(2u, out.size());
    EXPECT_TRUE(RectIs(out[0], 0, 16, 300, 115));
    EXPECT_TRUE(RectIs(out[1], 0, 115, 300, 154));

    ASSERT_TRUE(LayoutByWeights(LAYOUT_HORIZONTAL, MakeUiRect(0, 0, 352, 40), LayoutSpacing{}, {15, 6, 1, 6},
                                1.0, &out));
    ASSERT_EQ(4u, out.size());
    EXPECT_TRUE(RectIs(out[0], 0, 0, 189, 40));
    EXPECT_TRUE(RectIs(out[1], 189, 0, 264, 40));
    EXPECT_TRUE(RectIs(out[2], 264, 0, 277, 40));
    EXPECT_TRUE(RectIs(out[3], 277, 0, 352, 40));
}

TEST(LayoutByWeights, ScalesMarginsAndSpacingAsDoubles) {
    std::vector<UiRect> out;
    LayoutSpacing spacing;
    spacing.left = spacing.right = 10;
    spacing.top = 5;
    spacing.spacing = 3;
    // Scale 1.5: margins 15 and 7.5, spacing 4.5; unit = (200 - 30 - 4.5) / 2 = 82.75.
    ASSERT_TRUE(LayoutByWeights(LAYOUT_HORIZONTAL, MakeUiRect(0, 0, 200, 50), spacing, {1, 1}, 1.5, &out));
    EXPECT_TRUE(RectIs(out[0], 15, 8, 98, 50));
    EXPECT_TRUE(RectIs(out[1], 102, 8, 185, 50));
}

TEST(LayoutByWeights, ImpossibleLayoutsFail) {
    std::vector<UiRect> out;
    LayoutSpacing big;
    big.left = big.right = 200;
    EXPECT_FALSE(
        LayoutByWeights(LAYOUT_VERTICAL, MakeUiRect(0, 0, 300, 100), LayoutSpacing{}, {}, 1.0, &out));
    EXPECT_FALSE(
        LayoutByWeights(LAYOUT_VERTICAL, MakeUiRect(0, 0, 300, 100), LayoutSpacing{}, {0, 0}, 1.0, &out));
    EXPECT_FALSE(LayoutByWeights(LAYOUT_VERTICAL, MakeUiRect(0, 0, 300, 100), big, {1}, 1.0, &out));
    EXPECT_FALSE(LayoutByWeights(LAYOUT_HORIZONTAL, MakeUiRect(0, 0, 300, 100), big, {1}, 1.0, &out));
    // Three children need at least three pixels.
    EXPECT_FALSE(
        LayoutByWeights(LAYOUT_VERTICAL, MakeUiRect(0, 0, 300, 2), LayoutSpacing{}, {1, 1, 1}, 1.0, &out));
    EXPECT_TRUE(out.empty());
    // Any other direction places nothing and is not an error.
    EXPECT_TRUE(LayoutByWeights(0, MakeUiRect(0, 0, 300, 100), LayoutSpacing{}, {1}, 1.0, &out));
    EXPECT_TRUE(out.empty());
}

TEST(HitTestWidgets, PrefersInteractiveWidgetsOverBackgrounds) {
    const std::vector<HitCandidate> widgets = {
        {RES_LAYOUT, MakeUiRect(0, 0, 600, 400)},  {RES_IMAGE, MakeUiRect(0, 0, 600, 400)},
        {RES_IMAGE, MakeUiRect(0, 0, 300, 200)},   {RES_ICON, MakeUiRect(10, 10, 50, 50)},
        {RES_MOVIE, MakeUiRect(0, 300, 600, 400)}, {RES_BUTTON, MakeUiRect(100, 100, 200, 140)},
    };
    EXPECT_EQ(3, HitTestWidgets(widgets, 20, 20));    // icon over two backgrounds
    EXPECT_EQ(2, HitTestWidgets(widgets, 250, 20));   // the last background under the point
    EXPECT_EQ(4, HitTestWidgets(widgets, 20, 350));   // a banner counts as background
    EXPECT_EQ(5, HitTestWidgets(widgets, 150, 120));  // button
    EXPECT_EQ(2, HitTestWidgets(widgets, 200, 140));  // right and bottom edges are outside
    EXPECT_EQ(1, HitTestWidgets(widgets, 300, 200));
    EXPECT_EQ(0, HitTestWidgets(widgets, 700, 500));  // over nothing
    EXPECT_EQ(0, HitTestWidgets({}, 1, 1));
}
