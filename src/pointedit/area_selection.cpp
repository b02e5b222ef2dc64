#include "pointedit/area_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/pick_reset.h"
#include "platform/input.h"
#include "platform/window_state.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

LassoPoint g_lassoPoints[kLassoCapacity];
int32_t g_lassoPointCount = 0;
int32_t g_lassoDrawing = 0;
LassoPoint g_lassoCursor{0, 0};
uint32_t g_lassoColor = 0xFF8040;
BatchLassoState g_batchLasso;

namespace {
std::function<void()> g_batchEditLassoRunner;
}  // namespace

int32_t PointClientColumn(const RandomPoint& p) { return g_viewportCenterX + p.screenX; }
int32_t PointClientRow(const RandomPoint& p) { return g_viewportCenterY - p.screenY; }

void ClearPointFlags(uint8_t bits) {
    const uint8_t keep = static_cast<uint8_t>(~bits);
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].flags &= keep;
}

bool ProjectGround(double x, double y, double z, int32_t& column, int32_t& row) {
    RandomPoint p{};
    p.x = x;
    p.y = y;
    p.z = z;
    ProjectRecord(p);
    if (p.hidden & 0x05) return false;
    column = PointClientColumn(p);
    row = PointClientRow(p);
    return true;
}

void AddGroundLine(AreaOverlay& overlay, const double a[3], const double b[3], uint32_t color,
                   int32_t width) {
    int32_t x0, y0, x1, y1;
    if (!ProjectGround(a[0], a[1], a[2], x0, y0) || !ProjectGround(b[0], b[1], b[2], x1, y1)) return;
    overlay.lines.push_back({x0, y0, x1, y1, color, width});
}

// ---- mask ----

PixelMask::PixelMask(int32_t width, int32_t height)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_bytesPerRow((m_width + 7) / 8),
      m_bits(static_cast<size_t>(m_bytesPerRow) * m_height, 0) {}

void PixelMask::Put(int32_t x, int32_t y, bool value) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    uint8_t& byte = m_bits[static_cast<size_t>(y) * m_bytesPerRow + (x >> 3)];
    const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
    byte = value ? (byte | bit) : (byte & ~bit);
}

void PixelMask::SetSpan(int32_t row, int32_t from, int32_t to) {
    from = std::max(from, 0);
    to = std::min(to, m_width);
    if (from >= to) return;
    uint8_t* bits = &m_bits[static_cast<size_t>(row) * m_bytesPerRow];
    const int32_t firstByte = from >> 3, lastByte = (to - 1) >> 3;
    const uint8_t head = static_cast<uint8_t>(0xFFu >> (from & 7));
    const uint8_t tail = static_cast<uint8_t>(0xFFu << (7 - ((to - 1) & 7)));
    if (firstByte == lastByte) {
        bits[firstByte] |= head & tail;
        return;
    }
    bits[firstByte] |= head;
    if (lastByte > firstByte + 1) std::memset(bits + firstByte + 1, 0xFF, lastByte - firstByte - 1);
    bits[lastByte] |= tail;
}

void PixelMask::FillPolygon(const std::vector<double>& xs, const std::vector<double>& ys) {
    const size_t n = std::min(xs.size(), ys.size());
    if (n < 3 || m_height == 0) return;
    // Each side crosses the pixel-centre rows r with lo <= r < hi. The crossings are
    // bucketed by row in one flat array (counted first), then each row is sorted and
    // filled where the winding is nonzero.
    struct Crossing {
        double x;
        int32_t dir;
        bool operator<(const Crossing& o) const { return x < o.x; }
    };
    // The first row whose centre r satisfies r >= y, within 0 .. height (clamped before the
    // conversion, so far-off vertices cannot overflow it).
    const double h = m_height;
    auto firstRowFrom = [h](double y) { return static_cast<int32_t>(std::ceil(std::clamp(y, 0.0, h))); };
    auto rowsOf = [&](size_t k, int32_t& first, int32_t& last) {
        const size_t j = (k + 1) % n;
        const double lo = std::min(ys[k], ys[j]), hi = std::max(ys[k], ys[j]);
        first = firstRowFrom(lo);
        last = firstRowFrom(hi) - 1;
        return ys[k] != ys[j] && first <= last;
    };
    // Only the rows the polygon spans get buckets: a small triangle in a large mask costs
    // little.
    double yMin = ys[0], yMax = ys[0];
    for (size_t k = 1; k < n; ++k) {
        yMin = std::min(yMin, ys[k]);
        yMax = std::max(yMax, ys[k]);
    }
    const int32_t base = firstRowFrom(yMin);
    const int32_t top = firstRowFrom(yMax) - 1;
    if (base > top) return;
    const int32_t rows = top - base + 1;
    std::vector<int32_t> offset(static_cast<size_t>(rows) + 1, 0);
    for (size_t k = 0; k < n; ++k) {
        int32_t first, last;
        if (!rowsOf(k, first, last)) continue;
        ++offset[first - base];
        if (last + 1 <= top) --offset[last + 1 - base];
    }
    // Counts per row, then where each row's crossings start.
    int32_t running = 0;
    for (int32_t r = 0; r < rows; ++r) {
        running += offset[r];
        offset[r] = running;
    }
    size_t total = 0;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t count = offset[r];
        offset[r] = static_cast<int32_t>(total);
        total += static_cast<size_t>(count);
    }
    offset[rows] = static_cast<int32_t>(total);
    std::vector<Crossing> crossings(total);
    std::vector<int32_t> fill(offset.begin(), offset.end() - 1);
    for (size_t k = 0; k < n; ++k) {
        int32_t first, last;
        if (!rowsOf(k, first, last)) continue;
        const size_t j = (k + 1) % n;
        const double y0 = ys[k], y1 = ys[j];
        const int32_t dir = y1 > y0 ? 1 : -1;
        const double slope = (xs[j] - xs[k]) / (y1 - y0);
        for (int32_t r = first; r <= last; ++r)
            crossings[fill[r - base]++] = {xs[k] + (r - y0) * slope, dir};
    }
    for (int32_t r = 0; r < rows; ++r) {
        Crossing* begin = crossings.data() + offset[r];
        Crossing* end = crossings.data() + offset[r + 1];
        if (end - begin < 2) continue;
        std::sort(begin, end);
        int winding = 0;
        for (Crossing* c = begin; c + 1 < end; ++c) {
            winding += c->dir;
            if (winding == 0) continue;
            // Clamped before the conversion: far-off vertices must not overflow it.
            const double w = m_width;
            SetSpan(base + r, static_cast<int32_t>(std::clamp(std::ceil(c->x), 0.0, w)),
                    static_cast<int32_t>(std::clamp(std::ceil((c + 1)->x), 0.0, w)));
        }
    }
}

void PixelMask::ClearOutline(const std::vector<int32_t>& xs, const std::vector<int32_t>& ys) {
    const size_t n = std::min(xs.size(), ys.size());
    for (size_t k = 0; k < n; ++k) {
        const size_t j = (k + 1) % n;
        int32_t ax = xs[k], ay = ys[k], bx = xs[j], by = ys[j];
        if (ax < bx || (ax == bx && ay < by)) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        WalkLinePixels(ax, ay, bx, by,
                       [&](int32_t, int32_t x, int32_t y, bool, int32_t) { Put(x, y, false); });
    }
}

// ---- lasso ----

void AppendLassoPoint(int32_t x, int32_t y) {
    if (g_lassoPointCount < kLassoCapacity) ++g_lassoPointCount;
    g_lassoPoints[g_lassoPointCount - 1] = LassoPoint{x, y};
}

int32_t SelectInsideLasso() {
    const int32_t n = std::clamp(g_lassoPointCount, 0, kLassoCapacity);
    if (n < 3) return 0;
    int32_t count = 0;
    try {
        PixelMask mask((g_bufferMaxX + 32) & ~31, g_bufferMaxY + 1);
        std::vector<double> fx(n), fy(n);
        std::vector<int32_t> ix(n), iy(n);
        for (int32_t k = 0; k < n; ++k) {
            ix[k] = g_lassoPoints[k].x;
            iy[k] = g_lassoPoints[k].y;
            fx[k] = ix[k];
            fy[k] = iy[k];
        }
        mask.FillPolygon(fx, fy);
        mask.ClearOutline(ix, iy);
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            p.flags &= static_cast<uint8_t>(~POINT_FLAG_NEW_SELECTION);
            if ((p.flags & POINT_FLAG_AREA_SELECTED) || !PointSelectable(p)) continue;
            if (mask.Get(PointClientColumn(p), PointClientRow(p))) {
                p.flags |= POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
                ++count;
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return count;
}

// ---- pick ----

int32_t PickNearestPoint(int32_t x, int32_t y, int32_t radius, int32_t tieDistance) {
    int32_t pick = 0;
    double pickKey = 0.0;
    int32_t limit = radius;
    const bool birdsEye = g_birdsEyeOn != 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (!PointSelectable(p)) continue;
        const int32_t d = std::abs(PointClientColumn(p) - x) + std::abs(PointClientRow(p) - y);
        if (d > limit) continue;
        const double key =
            birdsEye ? g_cameraMatrix[6] * (p.y - g_eyeY) + g_cameraMatrix[7] * (p.z - g_eyeZ) +
                           g_cameraMatrix[8] * (p.x - g_eyeX)
                     : p.z;
        if (d > tieDistance || pick == 0 || key <= pickKey) {
            pick = i;
            pickKey = key;
            limit = d;
        }
    }
    return pick;
}

// ---- batch lasso ----

void SetBatchEditLassoRunner(std::function<void()> runner) {
    g_batchEditLassoRunner = std::move(runner);
}

namespace {
void ResetBatchLasso() {
    g_lassoPointCount = 0;
    g_batchLasso.pathLength = 0;
    g_batchLasso.dragState = 0;
    g_lassoDrawing = 0;
}
}  // namespace

int32_t TrackBatchEditLasso(int32_t message, int32_t flags, int32_t x, int32_t y) {
    BatchLassoState& s = g_batchLasso;
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) {
        ResetBatchLasso();
        return 0;
    }
    switch (message) {
        case kViewLButtonDown:
            s.start = s.last = LassoPoint{x, y};
            g_lassoPointCount = 0;
            s.pathLength = 0;
            s.dragState = 1;
            g_lassoDrawing = 1;
            g_lassoColor = 0xFF8040;
            g_lassoCursor = s.last;
            return 1;
        case kViewMouseMove:
            if (!(flags & kMouseFlagLeft)) {
                s.dragState = 0;
                g_lassoDrawing = 0;
                return 0;
            }
            if (s.dragState != 0 && g_lassoDrawing) {
                s.pathLength += std::abs(x - s.last.x) + std::abs(y - s.last.y);
                AppendLassoPoint(s.last.x, s.last.y);
                s.last = LassoPoint{x, y};
                g_lassoCursor = s.last;
                s.dragState |= 2;
                QuickRepaintView();
            }
            return 0;
        case kViewLButtonUp: {
            s.last = LassoPoint{x, y};
            if (s.dragState != 0 && s.pathLength > 10) {
                int32_t selected = 0;
                ShowWaitCursor(true);
                if (g_lassoDrawing) selected = SelectInsideLasso();
                ShowWaitCursor(false);
                g_lassoDrawing = 0;
                if (selected > 0) {
                    FullRepaintView();
                    if (g_batchEditLassoRunner) g_batchEditLassoRunner();
                    ClearPickList();
                    g_pickedPoint = 0;
                    g_redrawMask = -1;
                }
                ResetBatchLasso();
                QuickRepaintView();
                return 1;
            }
            ResetBatchLasso();
            return 0;
        }
        default:
            return 0;
    }
}
