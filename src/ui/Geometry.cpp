#include "ui/Geometry.h"

#include <algorithm>

#include "ui/ResourceTypes.h"

WindowSize CalcWindowSize(uint32_t baseWidth, uint32_t baseHeight, const UiRect& workArea, bool haveWorkArea,
                          double screenScale) {
    const double w0 = baseWidth;
    const double h0 = baseHeight;
    WindowSize size{w0, h0, 1.0};
    if (!haveWorkArea || baseWidth == 0 || baseHeight == 0) return size;

    const int32_t workW = workArea.right - workArea.left;
    const int32_t workH = workArea.bottom - workArea.top;
    const double aspect = w0 / h0;
    if (workW > workH) {
        size.height = std::max(h0, h0 * screenScale);
        size.width = size.height * aspect;
        size.scale = size.height / h0;
    } else {
        size.width = std::max(w0, w0 * screenScale);
        size.height = size.width / aspect;
        size.scale = size.width / w0;
    }
    return size;
}

void CenterWindowPos(const UiRect& workArea, double width, double height, int32_t* x, int32_t* y) {
    *x = workArea.right / 2 - static_cast<int32_t>(width / 2 + 0.5);
    *y = workArea.bottom / 2 - static_cast<int32_t>(height / 2 + 0.5);
}

UiRect InflateAndKeepAspect(const UiRect& box, int32_t inflateX, int32_t inflateY, double aspect,
                            double scale) {
    const int32_t dx = static_cast<int32_t>(inflateX * scale);
    const int32_t dy = static_cast<int32_t>(inflateY * scale);
    const int32_t l = box.left - dx, r = box.right + dx;
    const int32_t t = box.top - dy, b = box.bottom + dy;
    if (aspect <= 1e-8 && aspect >= -1e-8) return MakeUiRect(l, t, r, b);

    const double w = r - l;
    const double h = b - t;
    if (w / h > aspect) {
        const double cut = (w - h * aspect) / 2;
        return MakeUiRect(static_cast<int32_t>(l + cut + 0.5), t, static_cast<int32_t>(r - cut + 0.5), b);
    }
    const double cut = (h - w / aspect) / 2;
    return MakeUiRect(l, static_cast<int32_t>(t + cut + 0.5), r, static_cast<int32_t>(b - cut + 0.5));
}

namespace {

// Scale factor that makes an iw by ih picture fit inside w by h.
double FitFactor(double w, double h, double iw, double ih) {
    return (w / h > iw / ih) ? h / ih : w / iw;
}

}  // namespace

UiRect FitImageRect(const UiRect& rect, double iw, double ih) {
    if (iw <= 0 || ih <= 0) return rect;
    const double w = rect.Width();
    const double h = rect.Height();
    const double k = FitFactor(w, h, iw, ih);
    const double dx = (w - iw * k) / 2;
    const double dy = (h - ih * k) / 2;
    return MakeUiRect(static_cast<int32_t>(rect.left + dx + 0.5), static_cast<int32_t>(rect.top + dy + 0.5),
                      static_cast<int32_t>(rect.right - dx + 0.5),
                      static_cast<int32_t>(rect.bottom - dy + 0.5));
}

UiRect PlaceIconRect(const UiRect& rect, double iw, double ih, bool atRight) {
    if (iw <= 0 || ih <= 0) return rect;
    const double w = rect.Width();
    const double h = rect.Height();
    const double k = FitFactor(w, h, iw, ih);
    const double iconW = iw * k;
    const double iconH = ih * k;
    UiRect icon;
    if (atRight) {
        icon.left = static_cast<int32_t>(rect.left + (w - iconW) + 0.5);
        icon.right = rect.right;
    } else {
        icon.left = rect.left;
        icon.right = static_cast<int32_t>(rect.right - (w - iconW) + 0.5);
    }
    icon.top = static_cast<int32_t>(rect.top + (h - iconH) / 2 + 0.5);
    icon.bottom = static_cast<int32_t>(rect.bottom - (h - iconH) / 2 + 0.5);
    return icon;
}

UiRect ProgressBarRect(const UiRect& rect, uint32_t percent) {
    const int32_t filled = static_cast<int32_t>(percent / 100.0 * rect.Width());
    return MakeUiRect(rect.left, rect.top, rect.left + filled, rect.bottom);
}

TextBox IconTextBox(const UiRect& rect, int32_t iconWidth, bool iconAtRight) {
    if (iconWidth < 0) {
        return TextBox{double(rect.left), double(rect.top), double(rect.Width()), double(rect.Height())};
    }
    const int32_t margin = rect.Width() > 3 ? 3 : 0;
    const double x = iconAtRight ? rect.left : rect.left + margin + iconWidth;
    return TextBox{x, double(rect.top), double(rect.Width() - margin - iconWidth), double(rect.Height())};
}

void RoundRectArcs(int32_t x, int32_t y, int32_t w, int32_t h, int32_t diameter, ArcBox arcs[4]) {
    const int32_t d = std::max(0, std::min({diameter, w, h}));
    int32_t box = d;
    if (d == 20) {
        // One more pixel of curve while the arcs still meet the same outer edges.
        box = 21;
        w -= 1;
        h -= 1;
    }
    const int32_t rightX = x + w - d - 1;
    const int32_t bottomY = y + h - d - 1;
    arcs[0] = ArcBox{x, y, box, 180.f, 90.f};
    arcs[1] = ArcBox{rightX, y, box, 270.f, 90.f};
    arcs[2] = ArcBox{rightX, bottomY, box, 0.f, 90.f};
    arcs[3] = ArcBox{x, bottomY, box, 90.f, 90.f};
}

bool LayoutByWeights(int32_t direction, const UiRect& rect, const LayoutSpacing& spacing,
                     const std::vector<uint32_t>& weights, double scale, std::vector<UiRect>* out) {
    out->clear();
    if (direction != LAYOUT_VERTICAL && direction != LAYOUT_HORIZONTAL) return true;

    const double mL = spacing.left * scale, mT = spacing.top * scale;
    const double mR = spacing.right * scale, mB = spacing.bottom * scale;
    const double sp = spacing.spacing * scale;
    double total = 0;
    for (uint32_t weight : weights) total += weight;
    if (total == 0) return false;

    const double n = static_cast<double>(weights.size());
    const double w = rect.Width();
    const double h = rect.Height();
    const bool vertical = direction == LAYOUT_VERTICAL;
    // Every child must be able to get at least one pixel along the direction.
    const double along = vertical ? h : w;
    const double alongMargins = vertical ? mT + mB : mL + mR;
    const double acrossMargins = vertical ? mL + mR : mT + mB;
    const double across = vertical ? w : h;
    if (alongMargins + n + (n - 1) * sp > along || acrossMargins > across) return false;

    const double unit = (along - alongMargins - (n - 1) * sp) / total;
    double pos = vertical ? rect.top + mT : rect.left + mL;
    for (uint32_t weight : weights) {
        const double end = pos + weight * unit;
        if (vertical) {
            out->push_back(
                MakeUiRect(static_cast<int32_t>(rect.left + mL + 0.5), static_cast<int32_t>(pos + 0.5),
                           static_cast<int32_t>(rect.right - mR + 0.5), static_cast<int32_t>(end + 0.5)));
        } else {
            out->push_back(
                MakeUiRect(static_cast<int32_t>(pos + 0.5), static_cast<int32_t>(rect.top + mT + 0.5),
                           static_cast<int32_t>(end + 0.5), static_cast<int32_t>(rect.bottom - mB + 0.5)));
        }
        pos = end + sp;
    }
    return true;
}

int32_t HitTestWidgets(const std::vector<HitCandidate>& widgets, int32_t x, int32_t y) {
    int32_t lastBackground = -1;
    for (size_t i = 0; i < widgets.size(); ++i) {
        const HitCandidate& widget = widgets[i];
        if (widget.type == RES_LAYOUT || !widget.rect.Contains(x, y)) continue;
        if (widget.type == RES_IMAGE || widget.type == RES_MOVIE) {
            lastBackground = static_cast<int32_t>(i);
            continue;
        }
        return static_cast<int32_t>(i);
    }
    return lastBackground >= 0 ? lastBackground : 0;
}
