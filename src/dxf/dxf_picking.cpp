#include "dxf/dxf_picking.h"

#include <algorithm>
#include <cmath>

#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "model/geometry.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

int32_t LastElement() {
    if (!g_dxfElementsBlock.Data()) return 0;
    return std::max(0, std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1));
}

const DxfElement& Element(int32_t i) { return g_dxfElementsBlock.Data()[i]; }

// Element e ends a segment that starts at e - 1.
bool IsSegment(int32_t e) {
    if (e < 2) return false;
    const DxfElement& q = Element(e);
    const DxfElement& p = Element(e - 1);
    return q.pen == DXF_PEN_DRAW && (p.pen == DXF_PEN_MOVE || p.pen == DXF_PEN_DRAW);
}

int64_t ElementColumn(const DxfElement& e) { return int64_t{g_viewportCenterX} + e.screenX; }
int64_t ElementRow(const DxfElement& e) { return int64_t{g_viewportCenterY} - e.screenY; }

bool InsideBuffer(int64_t column, int64_t row) {
    return column > 0 && column < g_bufferMaxX && row > 0 && row < g_bufferMaxY;
}

void EnsureProjection() {
    if (!g_projectionValid) ProjectAllData(0);
}

// Distance from the camera along the bird's-eye view direction.
double BirdsEyeDepth(const DxfElement& p) {
    const double* m = g_birdsEyeMatrix;
    return m[6] * (p.y - g_eyeY) + m[7] * (p.z - g_eyeZ) + m[8] * (p.x - g_eyeX);
}

// Closeness of the cursor to the segment P-Q: 1 on it, smaller further away.
double Closeness(double px, double py, double qx, double qy, double north, double east) {
    const double pq = std::hypot(qx - px, qy - py);
    const double sum = std::hypot(qx - north, qy - east) + std::hypot(px - north, py - east);
    if (!(sum > 0)) return 0;  // a zero-length segment under the cursor has no direction
    return pq / sum;
}

bool BetweenEnds(const DxfElement& p, const DxfElement& q, double north, double east,
                 double limit) {
    return (p.x - north) * (q.x - north) <= limit && (p.y - east) * (q.y - east) <= limit;
}

// Whether (px, py) lies within `margin` of the box of the segment: a segment further off
// cannot beat a distance of margin less its tolerances.
bool NearBox(double x1, double y1, double x2, double y2, double px, double py, double margin) {
    return px >= std::min(x1, x2) - margin && px <= std::max(x1, x2) + margin &&
           py >= std::min(y1, y2) - margin && py <= std::max(y1, y2) + margin;
}

int64_t Millimetres(double v) { return static_cast<int64_t>(v * 1000.0); }

bool SameMillimetre(const DxfElement& a, const DxfElement& b) {
    return Millimetres(a.x) == Millimetres(b.x) && Millimetres(a.y) == Millimetres(b.y);
}

bool SamePlace(const DxfElement& a, const DxfElement& b) { return a.x == b.x && a.y == b.y; }

}  // namespace

void DxfClientToPlan(int32_t column, int32_t row, double& north, double& east) {
    north = g_viewCenterX + (g_viewportCenterY - row) / g_viewScale;
    east = g_viewCenterY + (column - g_viewportCenterX) / g_viewScale;
}

void DxfPlanToClient(double north, double east, int32_t& column, int32_t& row) {
    const double c = std::trunc((east - g_viewCenterY) * g_viewScale);
    const double r = std::trunc((north - g_viewCenterX) * g_viewScale);
    // Held to the int range: a point far off the view must not overflow.
    const double limit = 1 << 29;
    column = g_viewportCenterX + static_cast<int32_t>(std::clamp(std::isnan(c) ? 0.0 : c, -limit, limit));
    row = g_viewportCenterY - static_cast<int32_t>(std::clamp(std::isnan(r) ? 0.0 : r, -limit, limit));
}

int32_t FindNearestDxfVertex(int32_t column, int32_t row, int32_t maxSquaredDistance, double& x,
                             double& y, int32_t& vertexColumn, int32_t& vertexRow) {
    if (!g_projectionValid) ProjectAllData(0);
    const int32_t last = LastElement();
    if (last == 0) return 0;
    x = y = 0;
    vertexColumn = vertexRow = 0;
    int64_t best = maxSquaredDistance;
    int32_t result = 0;
    const DxfElement* elements = g_dxfElementsBlock.Data();
    auto consider = [&](int32_t i) {
        const DxfElement& e = elements[i];
        if (e.offScreen != 0) return;
        const int64_t c = ElementColumn(e), r = ElementRow(e);
        if (!InsideBuffer(c, r)) return;
        const int64_t d = (r - row) * (r - row) + (c - column) * (c - column);
        if (d < best || (d == best && result != 0 && i < result)) {
            best = d;
            result = i;
            x = e.x;
            y = e.y;
            vertexColumn = static_cast<int32_t>(c);
            vertexRow = static_cast<int32_t>(r);
        }
    };
    if (!g_birdsEyeOn && g_viewScale > 0 && dxfsnap::Ready()) {
        // In plan a pixel is 1 / scale metres; two more for the truncation to whole pixels.
        double north, east;
        DxfClientToPlan(column, row, north, east);
        const double reach = (std::sqrt(double(std::max(maxSquaredDistance, 0))) + 2) / g_viewScale;
        dxfsnap::ForElementsInBox(north - reach, east - reach, north + reach, east + reach, consider);
    } else {
        for (int32_t i = 1; i <= last; ++i) consider(i);
    }
    return result;
}

int32_t FindNearestDxfMidpoint(int32_t column, int32_t row, double& x, double& y) {
    x = y = 0;
    const int32_t last = LastElement();
    if (last == 0) return 0;
    double north, east;
    DxfClientToPlan(column, row, north, east);
    const double limit = 2500 / g_viewScale;
    double best = 0.8;
    int32_t result = 0;
    auto consider = [&](int32_t e) {
        if (!IsSegment(e)) return;
        const DxfElement& p = Element(e - 1);
        const DxfElement& q = Element(e);
        if (!BetweenEnds(p, q, north, east, limit)) return;
        const double ratio = Closeness(p.x, p.y, q.x, q.y, north, east);
        if (ratio > best || (ratio == best && result != 0 && e < result)) {
            best = ratio;
            result = e;
            x = (p.x + q.x) / 2;
            y = (p.y + q.y) / 2;
        }
    };
    if (dxfsnap::Ready())
        dxfsnap::ForSegmentsAround(north, east, consider);
    else
        for (int32_t e = 2; e <= last; ++e) consider(e);
    return result;
}

int32_t FindNearestDxfLinePoint(int32_t column, int32_t row, double& x, double& y, double& z,
                                int32_t& pointColumn, int32_t& pointRow) {
    x = y = 0;
    pointColumn = pointRow = 0;
    const int32_t last = LastElement();
    if (last == 0) return 0;
    EnsureProjection();
    double north, east;
    DxfClientToPlan(column, row, north, east);
    const bool birdsEye = g_birdsEyeOn != 0;

    int32_t result = 0;
    double bestDistance = 0;
    auto consider = [&](int32_t e) {
        if (!IsSegment(e)) return;
        const DxfElement& s = Element(e - 1);
        const DxfElement& t = Element(e);
        if (s.offScreen != 0 || t.offScreen != 0) return;
        double distance, fx, fy;
        int cls = 0;
        int rc;
        if (birdsEye) {
            const int64_t sc = ElementColumn(s), sr = ElementRow(s);
            const int64_t tc = ElementColumn(t), tr = ElementRow(t);
            if (!InsideBuffer(sc, sr) || !InsideBuffer(tc, tr)) return;
            if (result != 0 && !NearBox(double(sc), double(sr), double(tc), double(tr), column, row,
                                        bestDistance + 20))
                return;
            rc = PointToSegment(double(sc), double(sr), double(tc), double(tr), column, row, 10,
                                &distance, &fx, &fy, &cls);
        } else {
            if (result != 0 && !NearBox(s.x, s.y, t.x, t.y, north, east, bestDistance + 0.02))
                return;
            rc = PointToSegment(s.x, s.y, t.x, t.y, north, east, 0.01, &distance, &fx, &fy, &cls);
        }
        if (rc != kGeomOk && rc != kGeomWithinTolerance) return;
        if (cls != 1 && cls != 2) return;
        if (result == 0 || distance < bestDistance || (distance == bestDistance && e < result)) {
            result = e;
            bestDistance = distance;
        }
    };
    if (!birdsEye && dxfsnap::Ready()) {
        // A segment beyond the searched cells lies further off than that, less the
        // tolerance within which a distance may be given as 0.
        dxfsnap::ForSegmentsByDistance(north, east, consider, [&](double reach) {
            return result != 0 && bestDistance + 0.02 < reach;
        });
    } else {
        for (int32_t e = 2; e <= last; ++e) consider(e);
    }
    if (result == 0) return 0;

    const DxfElement& s = Element(result - 1);
    const DxfElement& t = Element(result);
    if (birdsEye) {
        const double sc = double(ElementColumn(s)), sr = double(ElementRow(s));
        const double tc = double(ElementColumn(t)), tr = double(ElementRow(t));
        // The cursor's foot on the screen segment, also when it lies within the tolerance.
        const double dc = tc - sc, dr = tr - sr;
        const double screenLength2 = dc * dc + dr * dr;
        double along = screenLength2 > 0 ? ((column - sc) * dc + (row - sr) * dr) / screenLength2 : 0;
        along = std::clamp(along, 0.0, 1.0);
        const double fc = sc + along * dc, fr = sr + along * dr;
        // Perspective-correct: equal steps on the screen are shorter steps near the eye.
        const double ds = BirdsEyeDepth(s), dt = BirdsEyeDepth(t);
        const double den = along * ds + (1 - along) * dt;
        double f = den != 0 && std::isfinite(den) ? along * ds / den : 0;
        f = std::clamp(f, 0.0, 1.0);
        x = s.x + f * (t.x - s.x);
        y = s.y + f * (t.y - s.y);
        pointColumn = static_cast<int32_t>(std::trunc(fc));
        pointRow = static_cast<int32_t>(std::trunc(fr));
    } else {
        double distance, fx, fy;
        if (PerpendicularFoot(s.x, s.y, t.x, t.y, north, east, &distance, &fx, &fy) != kGeomOk) {
            fx = north;
            fy = east;
        }
        x = fx;
        y = fy;
        DxfPlanToClient(x, y, pointColumn, pointRow);
    }
    const double length = std::hypot(t.x - s.x, t.y - s.y);
    // A segment of no length in plan (a vertical one) has the elevation of its start.
    z = length > 0 ? s.z + std::hypot(x - s.x, y - s.y) * (t.z - s.z) / length : s.z;
    return result;
}

int32_t FindDxfIntersectionNear(int32_t column, int32_t row, int32_t a, int32_t b) {
    const int32_t last = LastElement();
    if (last == 0 || a == b || a < 1 || a > last || b < 1 || b > last) return 0;
    double north, east;
    DxfClientToPlan(column, row, north, east);
    const double limit = 2500 / g_viewScale;
    double best = 0.8;
    int32_t result = 0;
    const DxfElement& ea = Element(a);
    const DxfElement& eb = Element(b);
    auto consider = [&](int32_t i) {
        if (!IsSegment(i)) return;
        const int32_t o = i - 1;
        if (o == a || o == b || i == a || i == b) return;
        const DxfElement& p = Element(o);
        const DxfElement& q = Element(i);
        if (!BetweenEnds(p, q, north, east, limit)) return;
        if (SamePlace(p, ea) || SamePlace(p, eb) || SamePlace(q, ea) || SamePlace(q, eb)) return;
        if (SameMillimetre(p, ea) || SameMillimetre(p, eb) || SameMillimetre(q, ea) ||
            SameMillimetre(q, eb))
            return;
        double cx, cy;
        if (IntersectLines(ea.x, ea.y, eb.x, eb.y, p.x, p.y, q.x, q.y, &cx, &cy) != kGeomOk) return;
        const double ratio = Closeness(p.x, p.y, q.x, q.y, north, east);
        if (ratio > best || (ratio == best && result != 0 && i < result)) {
            best = ratio;
            result = i;
        }
    };
    if (dxfsnap::Ready())
        dxfsnap::ForSegmentsAround(north, east, consider);
    else
        for (int32_t i = 2; i <= last; ++i) consider(i);
    return result;
}

int32_t SnapToDxfIntersection(int32_t column, int32_t row, double& x, double& y,
                              int32_t& pointColumn, int32_t& pointRow) {
    double z;
    const int32_t e = FindNearestDxfLinePoint(column, row, x, y, z, pointColumn, pointRow);
    if (e == 0) return 0;
    const int32_t f = FindDxfIntersectionNear(column, row, e, e - 1);
    if (f == 0) return 0;
    const DxfElement& s1 = Element(e - 1);
    const DxfElement& e1 = Element(e);
    const DxfElement& s2 = Element(f - 1);
    const DxfElement& e2 = Element(f);
    double cx, cy;
    int cls = 1;
    if (IntersectSegments(s1.x, s1.y, e1.x, e1.y, s2.x, s2.y, e2.x, e2.y, 0, 0.00001, 0.00001, &cx,
                          &cy, &cls) != kGeomOk ||
        cls != 0)
        return 0;
    x = cx;
    y = cy;
    DxfPlanToClient(x, y, pointColumn, pointRow);
    return 1;
}
