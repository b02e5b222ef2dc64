#include <algorithm>
#include <cmath>

#include "view/raster_primitives.h"
#include "view/triangle_raster.h"
#include "view/triangle_raster_internal.h"

thread_local ClipPolygonVertex g_clipPolygon[kMaxClipPolygon];
thread_local int32_t g_clipPolygonCount = 0;
thread_local RasterVertex* g_clipV0 = nullptr;
thread_local RasterVertex* g_clipV1 = nullptr;
thread_local RasterVertex* g_clipV2 = nullptr;
thread_local RasterVertex g_nearPointA{};
thread_local RasterVertex g_nearPointB{};

using namespace raster_internal;

namespace {

constexpr uint16_t kEmptySlot = 0xFFFF;
constexpr int32_t kCornerBottomRight = kOutBottom | kOutRight;  // 20
constexpr int32_t kCornerBottomLeft = kOutBottom | kOutLeft;    // 24
constexpr int32_t kCornerTopRight = kOutTop | kOutRight;        // 36
constexpr int32_t kCornerTopLeft = kOutTop | kOutLeft;          // 40

// A clipped position with what travels with it.
struct ClipPoint {
    double x, y, z;
    float u, v;
    uint32_t color;
};

ClipPoint PointOf(const RasterVertex& v) { return {v.x, v.y, v.z, v.u, v.v, v.color}; }

// from + t (to - from); the colour by the same weight.
ClipPoint Between(const ClipPoint& from, const ClipPoint& to, double t) {
    const float tf = static_cast<float>(t);
    return {from.x + t * (to.x - from.x),  from.y + t * (to.y - from.y),
            from.z + t * (to.z - from.z),  from.u + tf * (to.u - from.u),
            from.v + tf * (to.v - from.v), LerpColor(from.color, to.color, tf)};
}

int32_t YCode(const ClipPoint& p) {
    const double py = p.y / p.z;
    return py > g_halfHeight ? kOutBottom : !(py >= -g_halfHeight) ? kOutTop : 0;
}

// The outcode of a point on the near plane.
int32_t NearCode(const ClipPoint& p) {
    const double px = p.x / kNearDepth, py = p.y / kNearDepth;
    const int32_t cx = px > g_halfWidth ? kOutRight : !(px >= -g_halfWidth) ? kOutLeft : 0;
    const int32_t cy = py > g_halfHeight ? kOutBottom : !(py >= -g_halfHeight) ? kOutTop : 0;
    return cx + cy;
}

// Signed distance to a side plane, positive inside.
double SideDistance(const ClipPoint& p, int32_t plane) {
    switch (plane) {
        case kOutRight:
            return g_halfWidth * p.z - p.x;
        case kOutLeft:
            return p.x + g_halfWidth * p.z;
        case kOutBottom:
            return g_halfHeight * p.z - p.y;
        default:
            return p.y + g_halfHeight * p.z;
    }
}

void StoreNearPoint(const RasterVertex& source, const ClipPoint& p, int32_t code) {
    RasterVertex* slot = g_nearPointB.outcode == kEmptySlot   ? &g_nearPointB
                         : g_nearPointA.outcode == kEmptySlot ? &g_nearPointA
                                                              : nullptr;
    if (!slot) return;
    *slot = source;
    slot->x = p.x;
    slot->y = p.y;
    slot->z = p.z;
    slot->u = p.u;
    slot->v = p.v;
    slot->color = p.color;
    slot->outcode = static_cast<uint16_t>(code);
}

// ---- the triangle's plane, for the window corners ----

struct TrianglePlane {
    double qx, qy, qz;  // a point on the plane (Q)
    double nx, ny, nz;  // (Q - P) x (R - P)
    double ex, ey, ez;  // Q - P
    double c;           // ray length
};

TrianglePlane SetupTrianglePlane() {
    const RasterVertex& p = *g_clipV0;
    const RasterVertex& q = *g_clipV1;
    const RasterVertex& r = *g_clipV2;
    TrianglePlane t{};
    t.qx = q.x, t.qy = q.y, t.qz = q.z;
    t.ex = q.x - p.x, t.ey = q.y - p.y, t.ez = q.z - p.z;
    const double fx = r.x - p.x, fy = r.y - p.y, fz = r.z - p.z;
    t.nx = t.ey * fz - t.ez * fy;
    t.ny = t.ez * fx - t.ex * fz;
    t.nz = t.ex * fy - t.ey * fx;
    t.c = std::abs(p.z) + std::abs(q.z) + std::abs(r.z) + 0.01;
    return t;
}

ClipPoint IntersectCornerRay(double px, double py, const TrianglePlane& t) {
    const double dx = px * t.c, dy = py * t.c, dz = t.c;
    double den = t.nx * dx + t.ny * dy + t.nz * dz;
    if (den == 0) den = -1;
    const double s = (t.nx * t.qx + t.ny * t.qy + t.nz * t.qz) / den;
    return {s * dx, s * dy, s * dz, 0, 0, 0};
}

double Distance(double ax, double ay, double az, double bx, double by, double bz) {
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by) + (az - bz) * (az - bz));
}

double HeronArea(double a, double b, double c) {
    const double s = (a + b + c) / 2;
    return std::sqrt(std::max(0.0, s * (s - a) * (s - b) * (s - c)));
}

double Area(const ClipPoint& a, const RasterVertex& b, const RasterVertex& c) {
    return HeronArea(Distance(a.x, a.y, a.z, b.x, b.y, b.z), Distance(b.x, b.y, b.z, c.x, c.y, c.z),
                     Distance(c.x, c.y, c.z, a.x, a.y, a.z));
}

void InterpolateAtPlanePoint(ClipPoint& x) {
    const RasterVertex& p = *g_clipV0;
    const RasterVertex& q = *g_clipV1;
    const RasterVertex& r = *g_clipV2;
    const ClipPoint pp = PointOf(p);
    const double whole = Area(pp, q, r);
    const double wq = whole > 0 ? Area(x, p, r) / whole : 0;
    const double wr = whole > 0 ? Area(x, p, q) / whole : 0;
    x.u = static_cast<float>(p.u + wq * (q.u - p.u) + wr * (r.u - p.u));
    x.v = static_cast<float>(p.v + wq * (q.v - p.v) + wr * (r.v - p.v));
    if (p.color == q.color && p.color == r.color) {
        x.color = p.color;
        return;
    }
    uint32_t color = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double cp = (p.color >> shift) & 0xFF;
        const double cq = (q.color >> shift) & 0xFF;
        const double cr = (r.color >> shift) & 0xFF;
        const double c = cp + std::trunc(wq * (cq - cp) + wr * (cr - cp));
        color |= static_cast<uint32_t>(std::max(TruncToRaster(c, 255), 0)) << shift;
    }
    x.color = color;
}

// Whether the view ray through the window centre meets the triangle in front of the
// near plane.
bool CentreRayHitsTriangle() {
    const RasterVertex& p = *g_clipV0;
    const RasterVertex& q = *g_clipV1;
    const RasterVertex& r = *g_clipV2;
    const TrianglePlane t = SetupTrianglePlane();
    if (t.nz == 0) return false;
    const double s = (t.nx * p.x + t.ny * p.y + t.nz * p.z) / t.nz;
    if (!(s >= kNearDepth)) return false;
    auto side = [&](const RasterVertex& a, const RasterVertex& b) {
        const double ax = b.x - a.x, ay = b.y - a.y, az = b.z - a.z;
        const double hx = -a.x, hy = -a.y, hz = s - a.z;
        return (ay * hz - az * hy) * t.nx + (az * hx - ax * hz) * t.ny + (ax * hy - ay * hx) * t.nz;
    };
    return side(p, q) >= 0 && side(q, r) >= 0 && side(r, p) >= 0;
}

// ---- polygon assembly ----

struct PolygonBuilder {
    int32_t count = 0;
    TrianglePlane plane{};
    bool havePlane = false;

    void Add(const ClipPoint& p, int32_t code) {
        if (count >= kMaxClipPolygon) return;
        ClipPolygonVertex& v = g_clipPolygon[count++];
        v.x = p.x;
        v.y = p.y;
        v.zc = p.z;
        v.z = static_cast<float>(p.z);
        v.w = static_cast<float>(1.0 / p.z);
        v.u = p.u;
        v.v = p.v;
        v.color = p.color;
        v.plane = code;
        v.spare = 0;
    }

    void AddCorner(int32_t corner) {
        if (!havePlane) {
            plane = SetupTrianglePlane();
            havePlane = true;
        }
        const double px = (corner & kOutRight) ? g_halfWidth : -g_halfWidth;
        const double py = (corner & kOutBottom) ? g_halfHeight : -g_halfHeight;
        ClipPoint p = IntersectCornerRay(px, py, plane);
        InterpolateAtPlanePoint(p);
        Add(p, corner);
    }

    // The window corners passed when the outline runs along the border from one side
    // plane to another.
    int32_t InsertWindowCorners(int32_t from, int32_t to) {
        auto isSide = [](int32_t p) {
            return p == kOutRight || p == kOutLeft || p == kOutBottom || p == kOutTop;
        };
        if (from == to || !isSide(from) || !isSide(to)) return 0;
        int32_t corners[3];
        int32_t n = 0;
        switch (from) {
            case kOutRight:
                corners[n++] = kCornerBottomRight;
                if (to == kOutLeft || to == kOutTop) corners[n++] = kCornerBottomLeft;
                if (to == kOutTop) corners[n++] = kCornerTopLeft;
                break;
            case kOutLeft:
                corners[n++] = kCornerTopLeft;
                if (to == kOutRight || to == kOutBottom) corners[n++] = kCornerTopRight;
                if (to == kOutBottom) corners[n++] = kCornerBottomRight;
                break;
            case kOutBottom:
                corners[n++] = kCornerBottomLeft;
                if (to == kOutRight || to == kOutTop) corners[n++] = kCornerTopLeft;
                if (to == kOutRight) corners[n++] = kCornerTopRight;
                break;
            default:  // top
                corners[n++] = kCornerTopRight;
                if (to == kOutLeft || to == kOutBottom) corners[n++] = kCornerBottomRight;
                if (to == kOutLeft) corners[n++] = kCornerBottomLeft;
                break;
        }
        for (int32_t i = 0; i < n; ++i) AddCorner(corners[i]);
        return n;
    }
};

ClipPoint InPoint(const RasterVertex& v) { return {v.inX, v.inY, v.inZ, v.inU, v.inV, v.inColor}; }
ClipPoint OutPoint(const RasterVertex& v) {
    return {v.outX, v.outY, v.outZ, v.outU, v.outV, v.outColor};
}

void RasterizePolygon(int32_t count, bool perspective);

// Assembles the polygon from the clipped edges start -> end, in the order given, and
// rasterises it.
void BuildClipPolygon(RasterVertex* const (*edges)[2], int32_t edgeCount) {
    PolygonBuilder b;
    bool first = true;
    int32_t lastPlane = 0;
    for (int32_t i = 0; i < edgeCount; ++i) {
        const RasterVertex& start = *edges[i][0];
        const RasterVertex& end = *edges[i][1];
        if (end.inPlane >= kEdgeOutside || start.outPlane >= kEdgeOutside) continue;
        if (first) {
            b.Add(InPoint(end), end.inPlane);
            first = false;
        } else if (end.inPlane != 0) {
            if (lastPlane != end.inPlane) b.InsertWindowCorners(lastPlane, end.inPlane);
            b.Add(InPoint(end), end.inPlane);
        }
        b.Add(OutPoint(start), start.outPlane);
        lastPlane = start.outPlane;
    }
    if (b.count > 0 && lastPlane != 0 && lastPlane != g_clipPolygon[0].plane)
        b.InsertWindowCorners(lastPlane, g_clipPolygon[0].plane);

    // The start of the last edge and the end of the first are one vertex when neither
    // was cut; keep it once.
    int32_t n = 0;
    for (int32_t i = 0; i < b.count; ++i) {
        const ClipPolygonVertex& v = g_clipPolygon[i];
        const ClipPolygonVertex& prev = g_clipPolygon[n > 0 ? n - 1 : 0];
        if (n > 0 && v.x == prev.x && v.y == prev.y && v.zc == prev.zc) continue;
        g_clipPolygon[n++] = v;
    }
    while (n > 1 && g_clipPolygon[n - 1].x == g_clipPolygon[0].x &&
           g_clipPolygon[n - 1].y == g_clipPolygon[0].y &&
           g_clipPolygon[n - 1].zc == g_clipPolygon[0].zc)
        --n;
    g_clipPolygonCount = n;
    if (n > 2) RasterizePolygon(n, true);
}

void BuildClipPolygonTri(RasterVertex& a, RasterVertex& b, RasterVertex& c) {
    RasterVertex* const edges[3][2] = {{&a, &b}, {&c, &a}, {&b, &c}};
    BuildClipPolygon(edges, 3);
}

void BuildClipPolygonQuad(RasterVertex& a, RasterVertex& b, RasterVertex& c, RasterVertex& d) {
    RasterVertex* const edges[4][2] = {{&b, &c}, {&a, &b}, {&d, &a}, {&c, &d}};
    BuildClipPolygon(edges, 4);
}

void FillWindowFromPlane() {
    PolygonBuilder b;
    for (int32_t corner : {kCornerBottomLeft, kCornerTopLeft, kCornerTopRight, kCornerBottomRight})
        b.AddCorner(corner);
    g_clipPolygonCount = b.count;
    RasterizePolygon(b.count, false);
}

// Screen rows and columns of the polygon, its chains into the span rows, then the spans:
// perspective-correct for a clipped polygon, affine for the window quad.
void RasterizePolygon(int32_t count, bool perspective) {
    EdgePoint points[kMaxClipPolygon];
    int32_t top = INT32_MAX, bottom = INT32_MIN, topIndex = 0;
    double largestW = -1;
    float zNear = 1;
    for (int32_t i = 0; i < count; ++i) {
        const ClipPolygonVertex& v = g_clipPolygon[i];
        const double invZ = 1.0 / v.zc;
        const double column = g_projScale * invZ * v.x;
        const double row = g_projScale * invZ * v.y;
        if (!std::isfinite(column) || !std::isfinite(row) || !(v.zc > 0)) return;
        EdgePoint& e = points[i];
        e.sx = (v.plane & kOutLeft)    ? 0
               : (v.plane & kOutRight) ? g_rasterWidth - 1
                                       : TruncToRaster(column, kScreenReach) + g_projCenterX;
        e.sy = (v.plane & kOutBottom) ? g_rasterHeight - 1
               : (v.plane & kOutTop)  ? 1
                                      : TruncToRaster(row, kScreenReach) + g_projCenterY;
        e.sx = std::clamp(e.sx, 0, g_rasterWidth);
        e.sy = std::clamp(e.sy, 0, g_rasterHeight);
        e.w = DepthW(v.zc);
        e.u = v.u;
        e.v = v.v;
        e.invZ = static_cast<float>(invZ);
        e.color = v.color;
        e.depthFixed = 0;
        g_clipPolygon[i].column = e.sx;
        g_clipPolygon[i].row = e.sy;
        if (e.sy < top) {
            top = e.sy;
            topIndex = i;
        }
        bottom = std::max(bottom, e.sy);
        if (invZ > largestW) {
            largestW = invZ;
            zNear = v.z;
        }
    }
    if (top == bottom) return;
    if (perspective) {
        for (int32_t i = 0; i < count; ++i) {
            points[i].depthFixed = DepthFixed(points[i].invZ * zNear * 33587200.0f);
            g_clipPolygon[i].depthFixed = points[i].depthFixed;
        }
    }
    for (int32_t r = top; r <= bottom; ++r) {
        g_spanRows[r].left.spare = 0;
        g_spanRows[r].right.spare = 0;
    }
    // Forward through the list: the right ends; backward: the left ends.
    for (int32_t direction : {1, -1}) {
        const bool right = direction == 1;
        int32_t i = topIndex;
        for (int32_t steps = 0; steps < count; ++steps) {
            const int32_t j = (i + direction + count) % count;
            const EdgePoint& a = points[i];
            const EdgePoint& b = points[j];
            if (b.sy < a.sy) break;
            if (a.sy == bottom && b.sy != bottom) break;
            const int32_t n = b.sy - a.sy;
            if (n == 0) {
                WriteEdgeRow(a, a, 0, 0, right, false, zNear, true);
                WriteEdgeRow(b, b, 0, 0, right, false, zNear, true);
            } else {
                for (int32_t k = 0; k <= n; ++k)
                    WriteEdgeRow(a, b, k, n, right, perspective, zNear, true);
            }
            i = j;
        }
    }
    CallSpans(perspective ? g_spanPerspective : g_spanAffine, top, bottom);
}

}  // namespace

void EmptyNearPointSlots() {
    g_nearPointA.outcode = kEmptySlot;
    g_nearPointB.outcode = kEmptySlot;
}

void ClipEdge3D(RasterVertex& s, RasterVertex& e) {
    ClipPoint ep = PointOf(e), sp = PointOf(s);
    int32_t ce = e.outcode, cs = s.outcode;
    int32_t pe = 0, ps = 0;
    auto store = [&] {
        e.inX = ep.x, e.inY = ep.y, e.inZ = ep.z, e.inU = ep.u, e.inV = ep.v, e.inColor = ep.color;
        e.inCode = static_cast<uint16_t>(ce);
        e.inPlane = static_cast<int16_t>(pe);
        s.outX = sp.x, s.outY = sp.y, s.outZ = sp.z, s.outU = sp.u, s.outV = sp.v;
        s.outColor = sp.color;
        s.outCode = static_cast<int16_t>(cs);
        s.outPlane = static_cast<int16_t>(ps);
    };
    if (ce == 0 && cs == 0) {
        store();
        return;
    }
    if ((ce & kOutNear) && (cs & kOutNear)) {
        pe = ps = kEdgeOutside;
        store();
        return;
    }
    // The near plane.
    if (ce & kOutNear) {
        const float t = static_cast<float>((s.z - kNearDepth) / (s.z - e.z));
        ep = Between(sp, ep, t);
        ep.z = kNearDepth;
        pe = kOutNear;
        ce = NearCode(ep);
        StoreNearPoint(e, ep, ce);
    }
    if (cs & kOutNear) {
        const float t = static_cast<float>((e.z - kNearDepth) / (e.z - s.z));
        sp = Between(ep, sp, t);
        sp.z = kNearDepth;
        ps = kOutNear;
        cs = NearCode(sp);
        StoreNearPoint(s, sp, cs);
    }
    // The side planes: right and left, then bottom and top; an end outside a plane moves
    // onto it, the end first.
    for (const int32_t pair : {0, 1}) {
        if (ce & cs) {
            pe = ps = kEdgeOutside;
            store();
            return;
        }
        const int32_t planes[2] = {pair == 0 ? kOutRight : kOutBottom,
                                   pair == 0 ? kOutLeft : kOutTop};
        for (const int32_t plane : planes) {
            ClipPoint* moving = nullptr;
            const ClipPoint* fixed = nullptr;
            int32_t* code = nullptr;
            int32_t* cut = nullptr;
            if (ce & plane) {
                moving = &ep, fixed = &sp, code = &ce, cut = &pe;
            } else if (cs & plane) {
                moving = &sp, fixed = &ep, code = &cs, cut = &ps;
            } else {
                continue;
            }
            const double di = SideDistance(*fixed, plane);
            const double dout = SideDistance(*moving, plane);
            const double den = di - dout;
            const double t = den != 0 ? di / den : 0;
            *moving = Between(*fixed, *moving, t);
            *cut = plane;
            *code = pair == 0 ? YCode(*moving) : 0;
        }
    }
    store();
}

int32_t ClipTriangle3D(RasterVertex& p, RasterVertex& q, RasterVertex& r) {
    g_clipV0 = &p;
    g_clipV1 = &q;
    g_clipV2 = &r;
    g_clipPolygonCount = 0;
    EmptyNearPointSlots();
    ClipEdge3D(q, p);
    ClipEdge3D(r, q);
    ClipEdge3D(p, r);

    if (g_nearPointA.outcode != kEmptySlot && g_nearPointB.outcode != kEmptySlot) {
        RasterVertex& a = g_nearPointA;
        RasterVertex& b = g_nearPointB;
        const bool pBehind = p.outcode & kOutNear;
        const bool qBehind = q.outcode & kOutNear;
        const bool rBehind = r.outcode & kOutNear;
        // The segment between the two near points closes the part in front of the plane.
        RasterVertex& from = pBehind ? b : a;
        RasterVertex& to = pBehind ? a : b;
        ClipEdge3D(from, to);
        if (to.inCode == 0 && from.outCode == 0 && to.inPlane < kEdgeOutside) {
            if (pBehind && !qBehind && !rBehind) {
                ClipEdge3D(q, b);
                ClipEdge3D(a, r);
                BuildClipPolygonQuad(r, q, b, a);
            } else if (pBehind && rBehind) {
                ClipEdge3D(q, b);
                ClipEdge3D(a, q);
                BuildClipPolygonTri(q, b, a);
            } else if (pBehind && qBehind) {
                ClipEdge3D(r, b);
                ClipEdge3D(a, r);
                BuildClipPolygonTri(r, b, a);
            } else if (qBehind && rBehind) {
                ClipEdge3D(b, p);
                ClipEdge3D(p, a);
                BuildClipPolygonTri(b, p, a);
            } else if (qBehind) {
                ClipEdge3D(b, p);
                ClipEdge3D(r, a);
                BuildClipPolygonQuad(a, b, p, r);
            } else {
                ClipEdge3D(b, q);
                ClipEdge3D(p, a);
                BuildClipPolygonQuad(b, q, p, a);
            }
            return 1;
        }
    }

    if (p.inCode && q.inCode && r.inCode) {
        // Beyond one plane; unless the eye is inside the triangle's span, where the near
        // cut closes the outline and the ends' codes alone do not tell.
        const bool nearCut = (p.outcode | q.outcode | r.outcode) & kOutNear;
        if (!nearCut && (p.inCode & q.inCode & r.inCode)) return -1;
        // No edge reaches the window, so the window lies wholly inside the part of the
        // triangle in front of the eye or wholly outside it: the ray through its centre
        // tells which.
        const bool covers = CentreRayHitsTriangle();
        if (covers) FillWindowFromPlane();
        return 1;
    }
    BuildClipPolygonTri(q, p, r);
    return 1;
}
