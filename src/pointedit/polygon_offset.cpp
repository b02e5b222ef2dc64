#include "pointedit/polygon_offset.h"

#include <cmath>
#include <limits>

#include "model/geometry.h"

namespace {
constexpr double kTolerance = 0.00001;
}

int32_t OffsetPointPolygon(double distance, const int32_t* polygon, RandomPoint* out) {
    if (!polygon || !out || !g_points) return -1;
    const int32_t n = polygon[0];
    if (n <= 2 || n > 200000) return -1;
    for (int32_t j = 1; j <= n; ++j)
        if (polygon[j] < 1 || polygon[j] > g_pointCount) return -1;
    const double d = -std::fabs(distance);
    auto vertex = [&](int32_t j) -> const RandomPoint& {
        if (j < 1) j += n;
        if (j > n) j -= n;
        return g_points[polygon[j]];
    };

    double prevX = std::numeric_limits<double>::infinity();
    double prevY = prevX;
    int32_t count = 0;
    bool flag = false;
    out[0].hidden = kEndMarker;
    for (int32_t step = 0; step < n; ++step) {
        const int32_t j = step + 2 <= n ? step + 2 : 1;  // P2, P3, ..., Pn, then P1
        const RandomPoint& a = vertex(j - 1);
        const RandomPoint& b = vertex(j);
        const RandomPoint& c = vertex(j + 1);
        double ax, ay, bx1, by1, bx2, by2, cx, cy;
        OffsetSegment(a.x, a.y, b.x, b.y, d, kTolerance, &ax, &ay, &bx1, &by1);
        OffsetSegment(b.x, b.y, c.x, c.y, d, kTolerance, &bx2, &by2, &cx, &cy);
        double x = bx1, y = by1;
        if (IntersectLines(ax, ay, bx1, by1, bx2, by2, cx, cy, &x, &y) != kGeomOk) {
            x = bx1;
            y = by1;
        }
        if (std::fabs(x - prevX) <= kTolerance && std::fabs(y - prevY) <= kTolerance) {
            if (count < 2) {
                flag = true;
            } else {
                out[count - 1].x = (out[count - 1].x + out[count - 2].x) / 2;
                out[count - 1].y = (out[count - 1].y + out[count - 2].y) / 2;
            }
        }
        if (j == 1 && flag && count > 0) {
            out[count].x = (out[count - 1].x + x) / 2;
            out[count].y = (out[count - 1].y + y) / 2;
            out[count].hidden = 0;
            ++count;
        }
        out[count].x = x;
        out[count].y = y;
        out[count].hidden = 0;
        ++count;
        out[count].hidden = kEndMarker;
        prevX = x;
        prevY = y;
    }
    return count;
}
