// The GDI+ side of the shared drawing primitives: fonts from styles and the rounded path.
#include <gtest/gtest.h>

#include "ui/Drawing.h"

namespace {

class DrawingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_token); }
    static ULONG_PTR s_token;
};
ULONG_PTR DrawingTest::s_token = 0;

}  // namespace

TEST_F(DrawingTest, FontsFollowTheStyle) {
    ResourceStyle style;
    style.m_fontSize = 16;
    auto plain = MakeStyleFont(style, 1.5);
    EXPECT_FLOAT_EQ(24.f, plain->GetSize());
    EXPECT_EQ(Gdiplus::FontStyleRegular, plain->GetStyle());
    EXPECT_EQ(Gdiplus::UnitPixel, plain->GetUnit());

    style.m_underline = true;
    EXPECT_EQ(Gdiplus::FontStyleUnderline, MakeStyleFont(style, 1.0)->GetStyle());
    style.m_bold = true;
    EXPECT_EQ(Gdiplus::FontStyleBold, MakeStyleFont(style, 1.0)->GetStyle()) << "bold wins over underline";

    style.m_fontFamily = L"No Such Family Anywhere";
    auto fallback = MakeStyleFont(style, 1.0);
    EXPECT_EQ(Gdiplus::Ok, fallback->GetLastStatus());
    EXPECT_TRUE(fallback->IsAvailable());
}

TEST_F(DrawingTest, RoundedPathStaysInsideItsBox) {
    struct Case {
        int x, y, w, h, d;
    } cases[] = {{10, 20, 100, 50, 20}, {0, 0, 100, 12, 200}, {5, 5, 40, 40, 8}};
    for (const Case& c : cases) {
        Gdiplus::GraphicsPath path;
        AddRoundRectPath(path, c.x, c.y, c.w, c.h, c.d);
        Gdiplus::RectF bounds;
        path.GetBounds(&bounds);
        EXPECT_NEAR(c.x, bounds.X, 0.01) << c.d;
        EXPECT_NEAR(c.y, bounds.Y, 0.01) << c.d;
        EXPECT_NEAR(c.x + c.w - 1, bounds.X + bounds.Width, 0.01) << c.d;
        EXPECT_NEAR(c.y + c.h - 1, bounds.Y + bounds.Height, 0.01) << c.d;
    }
}
