// The arithmetic behind the toolkit's windows and widgets, kept free of any platform type so it
// is built and tested on every platform. The drawing code converts these rectangles to its own.
#pragma once

#include <cstdint>
#include <vector>

// Same layout and meaning as a Win32 RECT: right and bottom are one past the last pixel.
struct UiRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // A point on the right or bottom edge is outside, as with PtInRect.
    bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const UiRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const UiRect& other) const { return !(*this == other); }
};

inline UiRect MakeUiRect(int32_t l, int32_t t, int32_t r, int32_t b) {
    UiRect rc;
    rc.left = l;
    rc.top = t;
    rc.right = r;
    rc.bottom = b;
    return rc;
}

// The outer size of a top-level window and the scale its widgets use.
struct WindowSize {
    double width;
    double height;
    double scale;
};

// Grows the base size with the screen's scale but never below it, keeping the base aspect
// exactly: a landscape work area scales the height first, any other the width.
// `haveWorkArea` false (the query failed) gives the base size at scale 1.
WindowSize CalcWindowSize(uint32_t baseWidth, uint32_t baseHeight, const UiRect& workArea, bool haveWorkArea,
                          double screenScale);

// Top-left corner that centres a window of the given outer size on the point halfway along the
// work area's right and bottom edges (its left and top edges are not used).
void CenterWindowPos(const UiRect& workArea, double width, double height, int32_t* x, int32_t* y);

// The rectangle an image-like widget takes inside the box it is given: grown (or shrunk) by the
// inflation on each side, then, when `aspect` is set, the largest centred part with that ratio.
UiRect InflateAndKeepAspect(const UiRect& box, int32_t inflateX, int32_t inflateY, double aspect,
                            double scale);

// Where a picture of iw by ih is drawn inside `rect`: scaled to fit, centred, never cropped.
UiRect FitImageRect(const UiRect& rect, double iw, double ih);

// A button's or check box's icon: scaled to fit the widget's height (or width), vertically
// centred, against the right edge when `atRight`, else against the left edge.
UiRect PlaceIconRect(const UiRect& rect, double iw, double ih, bool atRight);

// The filled part of a progress bar; percentages above 100 reach past the track on purpose.
UiRect ProgressBarRect(const UiRect& rect, uint32_t percent);

// Text area of a button or check box next to its icon; `iconWidth` < 0 means no icon.
struct TextBox {
    double x, y, width, height;
};
TextBox IconTextBox(const UiRect& rect, int32_t iconWidth, bool iconAtRight);

// One quarter of a rounded rectangle: the square that holds the arc, where it starts and how far
// it sweeps (degrees, clockwise as GDI+ draws).
struct ArcBox {
    int32_t x, y, size;
    float startAngle, sweepAngle;
};
// The four arcs, in drawing order, of a rounded rectangle with corner diameter `diameter`.
// The diameter is clamped to the shape; a diameter of exactly 20 gets 21-pixel arc boxes.
void RoundRectArcs(int32_t x, int32_t y, int32_t w, int32_t h, int32_t diameter, ArcBox arcs[4]);

// Margins and spacing of a layout container in base pixels.
struct LayoutSpacing {
    uint32_t left = 0, top = 0, right = 0, bottom = 0, spacing = 0;
};

enum : int32_t {
    LAYOUT_VERTICAL = 1,
    LAYOUT_HORIZONTAL = 2,
};

// Places children by weight along the container's direction. Fills `out` (one rectangle per
// weight) and returns true; false when the layout is impossible (no weight, too little room),
// leaving `out` empty. Any direction other than the two above places nothing and succeeds.
bool LayoutByWeights(int32_t direction, const UiRect& rect, const LayoutSpacing& spacing,
                     const std::vector<uint32_t>& weights, double scale, std::vector<UiRect>* out);

// What the view's hit test needs of one widget.
struct HitCandidate {
    int32_t type;
    UiRect rect;
};
// Index of the widget under (x, y): the first interactive one in list order, otherwise the last
// background picture, otherwise 0. Layout containers never count.
int32_t HitTestWidgets(const std::vector<HitCandidate>& widgets, int32_t x, int32_t y);
