#include "section/section_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

SectionWorld SectionScreenToWorld(const SectionFrame& frame, int32_t x, int32_t y) {
    SectionWorld w;
    w.offset = (x - frame.CentreX()) * frame.metresPerPixel + frame.offsetPan + frame.offsetOrigin;
    w.height = (frame.CentreY() - y) / frame.verticalScale * frame.metresPerPixel + frame.heightPan +
               frame.heightOrigin;
    return w;
}

SectionPixel SectionWorldToScreen(const SectionFrame& frame, double offset, double height) {
    const double dx = std::trunc(frame.pixelsPerMetre * (offset - frame.offsetOrigin - frame.offsetPan));
    const double dy =
        std::trunc(frame.pixelsPerMetre * (height - frame.heightOrigin - frame.heightPan) * frame.verticalScale);
    // Far-off points stay far off without overflowing the int.
    const double lim = 1.0e8;
    SectionPixel p;
    p.x = frame.CentreX() + static_cast<int32_t>(std::clamp(dx, -lim, lim));
    p.y = frame.CentreY() - static_cast<int32_t>(std::clamp(dy, -lim, lim));
    return p;
}

void UpdateSectionScale(SectionFrame& frame, double widthSpan, double heightSpan, double factor) {
    frame.zoom = std::min(frame.zoom, kSectionMaxZoom);
    const double w = frame.Width();
    const double h = std::max(1, frame.Height());
    const double ws = widthSpan > 0.0 ? widthSpan : 50.0;
    const double hs = heightSpan > 0.0 ? heightSpan : 50.0;
    const double base = (w / h) * ws > hs ? w / ws : h / hs;
    frame.pixelsPerMetre = base * factor * frame.zoom;
    if (!(frame.pixelsPerMetre > 0.0)) frame.pixelsPerMetre = 1.0;
    frame.metresPerPixel = 1.0 / frame.pixelsPerMetre;
}

namespace {

// Multiples of `step` from the first at or below `from` downward while above `to`.
template <class Fn>
void ForEachMultipleDown(double from, double to, double step, Fn fn) {
    double v = std::floor(from / step) * step;
    for (int guard = 0; v > to && guard < 100000; ++guard, v -= step) fn(v);
}

template <class Fn>
void ForEachMultipleUp(double from, double to, double step, Fn fn) {
    double v = std::ceil(from / step) * step;
    for (int guard = 0; v < to && guard < 100000; ++guard, v += step) fn(v);
}

double TopHeight(const SectionFrame& f) { return SectionScreenToWorld(f, f.left, f.top).height; }
double BottomHeight(const SectionFrame& f) { return SectionScreenToWorld(f, f.left, f.bottom).height; }
double LeftOffset(const SectionFrame& f) { return SectionScreenToWorld(f, f.left, f.top).offset; }
double RightOffset(const SectionFrame& f) { return SectionScreenToWorld(f, f.right, f.top).offset; }

}  // namespace

SectionGridLines ComputeSectionGrid(const SectionFrame& frame) {
    SectionGridLines g;
    const double step = frame.gridInterval;
    if (step < kSectionMinGrid || frame.Width() <= 0 || frame.Height() <= 0) return g;
    // A grid finer than a pixel would only fill the frame.
    if (step * frame.pixelsPerMetre * frame.verticalScale >= 1.0) {
        ForEachMultipleDown(TopHeight(frame), BottomHeight(frame), step, [&](double v) {
            const int32_t row = SectionWorldToScreen(frame, frame.offsetOrigin, v).y;
            if (row >= frame.top && row < frame.bottom) g.rows.push_back(row);
        });
    }
    if (step * frame.pixelsPerMetre >= 1.0) {
        ForEachMultipleUp(LeftOffset(frame), RightOffset(frame), step, [&](double v) {
            const int32_t col = SectionWorldToScreen(frame, v, frame.heightOrigin).x;
            if (col >= frame.left && col < frame.right) g.columns.push_back(col);
        });
    }
    return g;
}

double SectionLabelStep(double interval, double range) {
    if (interval < kSectionMinGrid) return 0.0;
    static constexpr double kMultipliers[] = {1.0, 2.0, 5.0, 10.0, 20.0, 50.0};
    for (double m : kMultipliers) {
        const double step = interval * m;
        if (range / step < 20.0) return step;
    }
    return 0.0;
}

SectionLabels ComputeSectionLabels(const SectionFrame& frame) {
    SectionLabels out;
    if (frame.gridInterval < kSectionMinGrid || frame.Width() <= 0 || frame.Height() <= 0) return out;
    char buf[64];
    const double visibleHeight = frame.Height() / frame.verticalScale * frame.metresPerPixel;
    if (const double step = SectionLabelStep(frame.gridInterval, visibleHeight); step > 0.0) {
        ForEachMultipleDown(TopHeight(frame), BottomHeight(frame), step, [&](double v) {
            std::snprintf(buf, sizeof buf, "%1.0f ", v);
            out.heights.push_back({SectionWorldToScreen(frame, frame.offsetOrigin, v).y, v, buf});
        });
    }
    const double visibleWidth = frame.Width() * frame.metresPerPixel;
    if (const double step = SectionLabelStep(frame.gridInterval, visibleWidth); step > 0.0) {
        ForEachMultipleUp(LeftOffset(frame), RightOffset(frame), step, [&](double v) {
            const int32_t col = SectionWorldToScreen(frame, v, frame.heightOrigin).x;
            if (col <= 30) return;
            std::snprintf(buf, sizeof buf, "%+1.0f ", v);
            out.offsets.push_back({col, v, buf});
        });
    }
    return out;
}

std::string FormatSectionReadout(double offset, double height) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "D:%+7.3f H:%7.3f  ", offset, height);
    return buf;
}

void SectionZoomAll(SectionFrame& frame) {
    frame.zoom = 1.0;
    frame.offsetPan = 0.0;
    frame.heightPan = 0.0;
}

void SectionZoomOut(SectionFrame& frame) { frame.zoom = std::max(kSectionMinZoom, frame.zoom * 0.9); }

void ApplyZoomBox(SectionFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t bcx = (x0 + x1) / 2;
    const int32_t bcy = (y0 + y1) / 2;
    frame.offsetPan += (bcx - frame.CentreX()) * frame.metresPerPixel;
    frame.heightPan -= (bcy - frame.CentreY()) / frame.verticalScale * frame.metresPerPixel;
    const int32_t bw = std::abs(x1 - x0);
    const int32_t bh = std::abs(y1 - y0);
    if (bw + bh > 4) {
        frame.zoom *= std::min(static_cast<double>(frame.Width()) / (bw + 1),
                               static_cast<double>(frame.Height()) / (bh + 1));
    } else {
        frame.zoom *= 1.2;
    }
    frame.zoom = std::clamp(frame.zoom, kSectionMinZoom, kSectionMaxZoom);
}

void SectionDragPan(SectionFrame& frame, int32_t prevX, int32_t prevY, int32_t x, int32_t y) {
    frame.offsetPan += (prevX - x) * frame.metresPerPixel;
    frame.heightPan += (y - prevY) / frame.verticalScale * frame.metresPerPixel;
}

void SectionWheelZoom(SectionFrame& frame, bool forward, int32_t x, int32_t y) {
    const double factor = forward ? 1.2 : 1.0 / 1.2;
    const bool inside = frame.Contains(x, y);
    const SectionWorld w = SectionScreenToWorld(frame, x, y);
    frame.zoom = std::clamp(frame.zoom * factor, kSectionMinZoom, kSectionMaxZoom);
    if (!inside) return;
    const double keep = 1.0 - 1.0 / factor;
    frame.offsetPan += (w.offset - frame.offsetOrigin - frame.offsetPan) * keep;
    frame.heightPan += (w.height - frame.heightOrigin - frame.heightPan) * keep;
}

double SectionWheelVerticalScale(double verticalScale, bool forward) {
    double v = verticalScale;
    if (forward) {
        v = v <= 2.0 ? v + 0.1 : v * 1.1;
    } else {
        v = v <= 2.0 ? v - 0.1 : v / 1.1;
    }
    // Cut to one decimal; the small allowance keeps 1.9 from becoming 1.8 through the
    // binary representation.
    v = std::floor(v * 10.0 + 1e-9) * 0.1;
    return std::clamp(v, 0.1, 100.0);
}

void SectionKeyPan(SectionFrame& frame, SectionKey key) {
    const double step = frame.Height() * frame.metresPerPixel * 0.1;
    switch (key) {
    case SectionKey::Up: frame.heightPan += step / frame.verticalScale; break;
    case SectionKey::Down: frame.heightPan -= step / frame.verticalScale; break;
    case SectionKey::Right: frame.offsetPan += step; break;
    case SectionKey::Left: frame.offsetPan -= step; break;
    }
}

bool ApplySectionGridInterval(SectionFrame& frame, double value) {
    if (!(value >= 0.0 && value < 1000.0)) return false;
    frame.gridInterval = value;
    return true;
}

double ClampTypedVerticalScale(double value) {
    if (!(value >= 0.001)) return 1.0;
    return std::min(value, 100.0);
}

SectionPixel PlaceSectionMark(SectionFrame& frame, double offset, double height, SectionPixel& anchor) {
    const SectionPixel mark = SectionWorldToScreen(frame, offset, height);
    if (frame.Contains(mark.x, mark.y)) {
        anchor = mark;
        return mark;
    }
    frame.offsetPan += (mark.x - anchor.x) * frame.metresPerPixel;
    frame.heightPan -= (mark.y - anchor.y) * frame.metresPerPixel / frame.verticalScale;
    return anchor;
}

SectionHit HitTestSectionPoints(const SectionFrame& frame, double radius, int32_t x, int32_t y,
                                const std::vector<SectionWorld>& leftPoints,
                                const std::vector<SectionWorld>& rightPoints) {
    SectionHit hit;
    const SectionWorld w = SectionScreenToWorld(frame, x, y);
    double best = radius * frame.metresPerPixel;
    best *= best;
    auto scan = [&](const std::vector<SectionWorld>& pts, bool left) {
        for (size_t i = 0; i < pts.size(); ++i) {
            const double dd = pts[i].offset - w.offset;
            const double dh = pts[i].height - w.height;
            const double d2 = dd * dd + dh * dh;
            if (d2 < best) {
                best = d2;
                const int32_t idx = static_cast<int32_t>(i + 1);
                hit.code = left ? -idx : idx;
                hit.left = left ? idx : 0;
                hit.right = left ? 0 : idx;
            }
        }
    };
    scan(leftPoints, true);
    scan(rightPoints, false);
    return hit;
}
