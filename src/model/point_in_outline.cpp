#include "model/point_in_outline.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>
#include <utility>

#include "model/geometry.h"
#include "model/grid_walk.h"
#include "model/tin_build_support.h"
#include "model/tin_grid_builder.h"

namespace {

// The polygon's vertex coordinates, n + 1 entries with the first repeated at the end;
// false (and nothing read) for fewer than 3 vertices or an index that names no point.
bool ReadPolygon(const IndexList& polygon, std::vector<double>& xs, std::vector<double>& ys) {
    const int32_t n = polygon.Count();
    if (n < 3 || n > kIndexListMaxVertices) return false;
    xs.resize(n + 1);
    ys.resize(n + 1);
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t p = polygon[i];
        if (p < 1 || p > g_pointCount) return false;
        xs[i - 1] = g_points[p].x;
        ys[i - 1] = g_points[p].y;
    }
    xs[n] = xs[0];
    ys[n] = ys[0];
    return true;
}

constexpr int32_t kGridCells = 40;
constexpr int32_t kGridNodes = 41;
// In cell units: how far a side's touch is widened, far above the rounding of the
// coordinate transform, so a cell left unmarked lies wholly on one side of the outline.
constexpr double kCellMargin = 1e-6;
constexpr int32_t kRasterSize = 1024;
constexpr double kPixelMargin = 0.01;

}  // namespace

double OutlineSideTolerance() {
    const double tolerance = std::fabs(g_dupTolerance);
    return std::isfinite(tolerance) ? tolerance : 0.001;
}

bool PointOnSideInterior(double xa, double ya, double xb, double yb, double x, double y,
                         double tolerance) {
    const double dx = xb - xa, dy = yb - ya;
    const double length2 = dx * dx + dy * dy;
    if (!(length2 > 0)) return false;
    const double ax = x - xa, ay = y - ya, bx = x - xb, by = y - yb;
    const double tolerance2 = tolerance * tolerance;
    if (ax * ax + ay * ay <= tolerance2 || bx * bx + by * by <= tolerance2) return false;
    const double along = ax * dx + ay * dy;
    if (!(along > 0 && along < length2)) return false;
    const double across = ax * dy - ay * dx;
    return across * across <= tolerance2 * length2;
}

void InsertPointsOnOutlineSides(std::vector<int32_t>& ring, int32_t& count) {
    const int32_t n = count;
    if (n < 3) return;
    const double tolerance = OutlineSideTolerance();
    double lowX = g_points[ring[1]].x, highX = lowX, lowY = g_points[ring[1]].y, highY = lowY;
    std::vector<uint8_t> inRing(static_cast<size_t>(g_pointCount) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint& v = g_points[ring[i]];
        lowX = std::min(lowX, v.x);
        highX = std::max(highX, v.x);
        lowY = std::min(lowY, v.y);
        highY = std::max(highY, v.y);
        inRing[ring[i]] = 1;
    }
    lowX -= tolerance;
    highX += tolerance;
    lowY -= tolerance;
    highY += tolerance;
    auto candidate = [&](int32_t p) {
        const RandomPoint& pt = g_points[p];
        return pt.invalid == 0 && !inRing[p] && pt.x >= lowX && pt.x <= highX && pt.y >= lowY &&
               pt.y <= highY;
    };
    int64_t candidates = 0;
    for (int32_t p = 1; p <= g_pointCount; ++p) candidates += candidate(p);
    if (candidates == 0) return;

    // The candidates by cell of a grid over the outline's box, so each side looks only at the
    // points along it; only the cells that a side comes near are filled.
    const int32_t dim =
        std::clamp(static_cast<int32_t>(std::sqrt(static_cast<double>(candidates))), 1, 1024);
    const double cellX = std::max((highX - lowX) / dim, 1e-6),
                 cellY = std::max((highY - lowY) / dim, 1e-6);
    auto cellOf = [&](int32_t p) {
        return CellIndex((g_points[p].x - lowX) / cellX, dim - 1) * dim +
               CellIndex((g_points[p].y - lowY) / cellY, dim - 1);
    };
    const double margin = tolerance / std::min(cellX, cellY) + 1e-6;
    auto walkSide = [&](int32_t i, auto visitCell) {
        const RandomPoint& a = g_points[ring[i]];
        const RandomPoint& b = g_points[ring[i + 1]];
        ForEachTouchedRow(
            (a.x - lowX) / cellX, (a.y - lowY) / cellY, (b.x - lowX) / cellX, (b.y - lowY) / cellY,
            margin, [&](int64_t row, int64_t c, int64_t cLast) {
                if (row < 0 || row >= dim) return;
                for (c = std::max<int64_t>(c, 0); c <= std::min<int64_t>(cLast, dim - 1); ++c)
                    visitCell(row * dim + c);
            });
    };
    std::vector<uint8_t> nearSide(static_cast<size_t>(dim) * dim, 0);
    for (int32_t i = 1; i <= n; ++i) walkSide(i, [&](int64_t cell) { nearSide[cell] = 1; });
    // (cell, point) in cell order, points in their order within a cell.
    std::vector<std::pair<int32_t, int32_t>> binned;
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        if (!candidate(p)) continue;
        const int32_t cell = cellOf(p);
        if (nearSide[cell]) binned.emplace_back(cell, p);
    }
    std::sort(binned.begin(), binned.end());

    std::vector<uint8_t> taken(static_cast<size_t>(g_pointCount) + 1, 0);
    std::vector<int32_t> split{0};
    std::vector<std::pair<double, int32_t>> onSide;
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint& a = g_points[ring[i]];
        const RandomPoint& b = g_points[ring[i + 1]];
        split.push_back(ring[i]);
        onSide.clear();
        walkSide(i, [&](int64_t cell) {
            auto k = std::lower_bound(binned.begin(), binned.end(),
                                      std::pair<int32_t, int32_t>(static_cast<int32_t>(cell), 0));
            for (; k != binned.end() && k->first == cell; ++k) {
                const int32_t p = k->second;
                const RandomPoint& pt = g_points[p];
                if (taken[p] || !PointOnSideInterior(a.x, a.y, b.x, b.y, pt.x, pt.y, tolerance))
                    continue;
                taken[p] = 1;
                onSide.emplace_back((pt.x - a.x) * (b.x - a.x) + (pt.y - a.y) * (b.y - a.y), p);
            }
        });
        std::sort(onSide.begin(), onSide.end());
        for (const auto& entry : onSide) split.push_back(entry.second);
    }
    if (static_cast<int32_t>(split.size()) == n + 1) return;
    split.push_back(split[1]);
    ring = std::move(split);
    count = static_cast<int32_t>(ring.size()) - 2;
}

void OrientPolygonClockwise(IndexList& polygon) {
    std::vector<double> xs, ys;
    if (!ReadPolygon(polygon, xs, ys)) return;
    const int32_t n = polygon.Count();
    double area = 0.0;
    int orientation = 1;
    PolygonArea(xs.data(), ys.data(), n + 1, &area, &orientation);
    if (orientation != 0) {
        for (int32_t i = 1, j = n; i < j; ++i, --j) std::swap(polygon[i], polygon[j]);
    }
    polygon[n + 1] = polygon[1];
}

namespace {
// The signed crossing sum of the test below (4 inside a polygon in the expected
// orientation, -4 inside one listed the other way, 0 outside); `onSegment` when the point
// lies on a segment.
int CrossingSum(const double* segments, double x, double y, int32_t count, bool* onSegment) {
    *onSegment = false;
    int sum = 0;
    for (int32_t k = 0; k < count; ++k) {
        const double* s = segments + 4 * static_cast<size_t>(k);
        const double ya = s[0], xa = s[1], yb = s[2], xb = s[3];
        if ((xa - x) * (x - xb) < 0.0) continue;
        if (xa == xb) {
            if ((y - yb) * (ya - y) >= 0.0) {
                *onSegment = true;
                return 0;
            }
            continue;
        }
        const double d = (x - xb) * (yb - ya) - (y - yb) * (xb - xa);
        if (d == 0.0) {
            if ((y - yb) * (ya - y) >= 0.0) {
                *onSegment = true;
                return 0;
            }
            continue;
        }
        const int weight = (x - xa) * (x - xb) == 0.0 ? 1 : 2;
        sum += d > 0.0 ? weight : -weight;
    }
    return sum;
}
}  // namespace

int PointInPolygonCrossing(const double* segments, double x, double y, int32_t count) {
    if (count <= 0) return 1;
    bool onSegment = false;
    const int sum = CrossingSum(segments, x, y, count, &onSegment);
    return !onSegment && sum >= 4 ? 0 : 1;
}

void MarkPointsOutsideOutline(const IndexList& polygon) {
    std::vector<double> xs, ys;
    if (!ReadPolygon(polygon, xs, ys)) return;
    const int32_t n = polygon.Count();

    const auto [minX, maxX] = std::minmax_element(xs.begin(), xs.end() - 1);
    const auto [minY, maxY] = std::minmax_element(ys.begin(), ys.end() - 1);
    const double lowX = *minX - 1.0, highX = *maxX + 1.1;
    const double lowY = *minY - 1.0, highY = *maxY + 1.1;
    const double cellX = (highX - lowX) * 0.025;
    const double cellY = (highY - lowY) * 0.025;

    for (int32_t p = 1; p <= g_pointCount; ++p) {
        const RandomPoint& pt = g_points[p];
        if (pt.x <= lowX || pt.x >= highX || pt.y <= lowY || pt.y >= highY) g_points[p].outside = 1;
    }

    const double tolerance = OutlineSideTolerance();
    try {
        // Which cells an outline side comes near, and per row of cells the sides that reach
        // into it: a point of that row only needs those for the exact test and for being on
        // a side.
        const double margin = tolerance / std::min(cellX, cellY) + kCellMargin;
        std::vector<uint8_t> touched(kGridCells * kGridCells, 0);
        std::vector<std::vector<double>> rowSegments(kGridCells);
        for (int32_t k = 0; k < n; ++k) {
            const double r0 = (xs[k] - lowX) / cellX, c0 = (ys[k] - lowY) / cellY;
            const double r1 = (xs[k + 1] - lowX) / cellX, c1 = (ys[k + 1] - lowY) / cellY;
            ForEachTouchedRow(r0, c0, r1, c1, margin, [&](int64_t row, int64_t c, int64_t cLast) {
                if (row < 0 || row >= kGridCells) return;
                std::vector<double>& seg = rowSegments[row];
                seg.insert(seg.end(), {ys[k], xs[k], ys[k + 1], xs[k + 1]});
                for (c = std::max<int64_t>(c, 0); c <= std::min<int64_t>(cLast, kGridCells - 1); ++c)
                    touched[row * kGridCells + c] = 1;
            });
        }
        auto crossing = [&](int32_t row, double x, double y) {
            const std::vector<double>& seg = rowSegments[row];
            return PointInPolygonCrossing(seg.data(), x, y, static_cast<int32_t>(seg.size() / 4));
        };
        auto onSide = [&](int32_t row, double x, double y) {
            const std::vector<double>& seg = rowSegments[row];
            for (size_t k = 0; k + 3 < seg.size(); k += 4)
                if (PointOnSideInterior(seg[k + 1], seg[k], seg[k + 3], seg[k + 2], x, y,
                                        tolerance))
                    return true;
            return false;
        };
        // A cell the outline does not touch lies wholly inside or outside: its centre says
        // which.
        std::vector<int8_t> cellOutside(kGridCells * kGridCells, 1);
        for (int32_t r = 0; r < kGridCells; ++r)
            for (int32_t c = 0; c < kGridCells; ++c)
                if (!touched[r * kGridCells + c])
                    cellOutside[r * kGridCells + c] = static_cast<int8_t>(
                        crossing(r, lowX + (r + 0.5) * cellX, lowY + (c + 0.5) * cellY));

        for (int32_t p = 1; p <= g_pointCount; ++p) {
            RandomPoint& pt = g_points[p];
            if (pt.invalid != 0 || pt.x <= lowX || pt.x >= highX || pt.y <= lowY || pt.y >= highY) {
                pt.multiUse = -1;
                continue;
            }
            const int32_t r = CellIndex((pt.x - lowX) / cellX, kGridCells - 1);
            const int32_t c = CellIndex((pt.y - lowY) / cellY, kGridCells - 1);
            pt.multiUse = c + kGridNodes * r;
            if (pt.flags & kPointFlagOutline) pt.outside = 0;
            else if (touched[r * kGridCells + c])
                pt.outside = crossing(r, pt.x, pt.y) == 0 || onSide(r, pt.x, pt.y) ? 0 : 1;
            else pt.outside = cellOutside[r * kGridCells + c];
        }
    } catch (const std::bad_alloc&) {
        // Only the box step has been applied.
    }
}

// ---- raster ----

BitRaster::BitRaster(int32_t width, int32_t height)
    : m_width(width), m_height(height), m_wordsPerRow((width + 63) / 64),
      m_bits(static_cast<size_t>(m_wordsPerRow) * height, 0) {}

bool BitRaster::Get(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return true;
    return (m_bits[static_cast<size_t>(y) * m_wordsPerRow + (x >> 6)] >> (x & 63)) & 1u;
}

void BitRaster::Set(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_bits[static_cast<size_t>(y) * m_wordsPerRow + (x >> 6)] |= uint64_t{1} << (x & 63);
}

void BitRaster::DrawSegment(double x0, double y0, double x1, double y1, double margin) {
    ForEachTouchedRow(y0, x0, y1, x1, margin, [&](int64_t row, int64_t c, int64_t cLast) {
        if (row < 0 || row >= m_height) return;
        for (c = std::max<int64_t>(c, 0); c <= std::min<int64_t>(cLast, m_width - 1); ++c)
            Set(static_cast<int32_t>(c), static_cast<int32_t>(row));
    });
}

void BitRaster::FloodFill(int32_t x, int32_t y) { FloodFill(x, y, [](int32_t, int32_t, int32_t) {}); }

void BitRaster::FloodFill(int32_t x, int32_t y, const std::function<void(int32_t, int32_t, int32_t)>& onRun) {
    if (Get(x, y)) return;
    std::vector<std::pair<int32_t, int32_t>> stack{{x, y}};
    while (!stack.empty()) {
        auto [sx, sy] = stack.back();
        stack.pop_back();
        if (Get(sx, sy)) continue;
        int32_t left = sx, right = sx;
        while (!Get(left - 1, sy)) --left;
        while (!Get(right + 1, sy)) ++right;
        for (int32_t i = left; i <= right; ++i) Set(i, sy);
        onRun(sy, left, right);
        for (int32_t ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= m_height) continue;
            bool inRun = false;
            for (int32_t i = left; i <= right; ++i) {
                const bool open = !Get(i, ny);
                if (open && !inRun) stack.emplace_back(i, ny);
                inRun = open;
            }
        }
    }
}

void MarkPointsInPolygonRaster(const IndexList& polygon, int32_t mode) {
    std::vector<double> xs, ys;
    if (!ReadPolygon(polygon, xs, ys)) return;
    const int32_t n = polygon.Count();

    const auto [minX, maxX] = std::minmax_element(xs.begin(), xs.end() - 1);
    const auto [minY, maxY] = std::minmax_element(ys.begin(), ys.end() - 1);
    const double boxLowX = *minX, boxHighX = *maxX, boxLowY = *minY, boxHighY = *maxY;
    // The polygon fills a 1000-pixel square in the middle of the raster: columns from Y,
    // rows from X.
    double pixel = std::max(boxHighX - boxLowX, boxHighY - boxLowY) / 1000.0;
    if (!(pixel > 0.0)) pixel = 1.0;
    const double centerX = 0.5 * (boxLowX + boxHighX), centerY = 0.5 * (boxLowY + boxHighY);
    const double half = kRasterSize / 2;
    auto column = [&](double y) { return (y - centerY) / pixel + half; };
    auto row = [&](double x) { return (x - centerX) / pixel + half; };

    BitRaster raster(kRasterSize, kRasterSize);
    for (int32_t k = 0; k < n; ++k)
        raster.DrawSegment(column(ys[k]), row(xs[k]), column(ys[k + 1]), row(xs[k + 1]), kPixelMargin);
    raster.FloodFill(0, 0);

    std::vector<double> segments;
    for (int32_t k = 0; k < n; ++k) segments.insert(segments.end(), {ys[k], xs[k], ys[k + 1], xs[k + 1]});
    auto crossingOutside = [&](double x, double y) -> int8_t {
        bool onSegment = false;
        const int sum = CrossingSum(segments.data(), x, y, n, &onSegment);
        return !onSegment && (sum >= 4 || sum <= -4) ? 0 : 1;
    };
    // The clear pixels left form regions that no side touches, so each lies wholly on one
    // side of the polygon. Most are inside, but the drawn sides can also close off the
    // mouth of a narrow notch: one exact test per region tells which it is.
    BitRaster inside(kRasterSize, kRasterSize);
    for (int32_t py = 0; py < kRasterSize; ++py) {
        for (int32_t px = 0; px < kRasterSize; ++px) {
            if (raster.Get(px, py)) continue;
            const double x = (py + 0.5 - half) * pixel + centerX, y = (px + 0.5 - half) * pixel + centerY;
            const bool isInside = crossingOutside(x, y) == 0;
            raster.FloodFill(px, py, [&](int32_t runY, int32_t left, int32_t right) {
                if (isInside)
                    for (int32_t i = left; i <= right; ++i) inside.Set(i, runY);
            });
        }
    }

    auto exactOutside = [&](double x, double y) -> int8_t {
        if (x <= boxLowX || x >= boxHighX || y <= boxLowY || y >= boxHighY) return 1;
        int cls = 0;
        if (ClassifyPointInPolygon(0, xs.data(), ys.data(), n + 1, x, y, 1e-6, &cls) == kGeomOk)
            return cls == kPolygonInside || cls == kPolygonOnVertex ? 0 : 1;
        // A degenerate side (two equal vertices in a row): the crossing sum still decides.
        return crossingOutside(x, y);
    };
    auto insidePixel = [&](double cx, double cy) {
        if (!(cx >= 0.0 && cx < kRasterSize && cy >= 0.0 && cy < kRasterSize)) return false;
        return inside.Get(static_cast<int32_t>(cx), static_cast<int32_t>(cy));
    };
    const double tolerance = OutlineSideTolerance();
    auto onSide = [&](double x, double y) {
        if (x < boxLowX - tolerance || x > boxHighX + tolerance || y < boxLowY - tolerance ||
            y > boxHighY + tolerance)
            return false;
        for (int32_t k = 0; k < n; ++k)
            if (PointOnSideInterior(xs[k], ys[k], xs[k + 1], ys[k + 1], x, y, tolerance))
                return true;
        return false;
    };

    // Mode 1 takes a point on a side or at a vertex, within the exact test's tolerance, as
    // one of the polygon's.
    constexpr double kOnPolygon = 1e-6;
    auto exactOnOrInside = [&](double x, double y) {
        if (x < boxLowX - kOnPolygon || x > boxHighX + kOnPolygon || y < boxLowY - kOnPolygon ||
            y > boxHighY + kOnPolygon)
            return false;
        int cls = 0;
        if (ClassifyPointInPolygon(0, xs.data(), ys.data(), n + 1, x, y, kOnPolygon, &cls) ==
            kGeomOk)
            return cls == kPolygonInside || cls == kPolygonOnEdge || cls == kPolygonOnVertex;
        return crossingOutside(x, y) == 0;
    };

    for (int32_t p = 1; p <= g_pointCount; ++p) {
        RandomPoint& pt = g_points[p];
        const double cx = column(pt.y), cy = row(pt.x);
        if (mode == 0) {
            const bool in = (pt.flags & kPointFlagOutline) ||
                                (insidePixel(cx, cy) && insidePixel(cx - 1, cy) && insidePixel(cx + 1, cy) &&
                                 insidePixel(cx, cy - 1) && insidePixel(cx, cy + 1));
            pt.outside = in || exactOutside(pt.x, pt.y) == 0 || onSide(pt.x, pt.y) ? 0 : 1;
        } else {
            pt.hidden = insidePixel(cx, cy) || exactOnOrInside(pt.x, pt.y) ? 0 : 1;
        }
    }
}
