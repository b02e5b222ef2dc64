#include "model/holes.h"

#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/geometry.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "view/projection.h"

namespace {
constexpr double kPolygonTolerance = 1e-6;

int32_t Abs(int32_t v) { return v < 0 ? -v : v; }

// -|v| or |v|; the no-apex mark is no point and keeps its value.
int32_t Registered(int32_t v) { return v == kNoApex ? v : -Abs(v); }
int32_t Released(int32_t v) { return v == kNoApex ? v : Abs(v); }

void Register(TinEdge& r) {
    r.a = Registered(r.a);
    r.b = Registered(r.b);
    r.apexBack = Registered(r.apexBack);
    r.apexSearch = Registered(r.apexSearch);
}

void Release(TinEdge& r) {
    r.a = Released(r.a);
    r.b = Released(r.b);
    r.apexBack = Released(r.apexBack);
    r.apexSearch = Released(r.apexSearch);
}

bool IsPoint(int32_t i) { return i >= 1 && i <= g_pointCount; }

int32_t ClassOf(int32_t v) {
    const int32_t p = Abs(v);
    return IsPoint(p) ? SurfaceClassOfName(g_points[p].name) : kSurfaceCurrent;
}

// Hidden byte of a record's point, 0 for what is no point.
int8_t HiddenOf(int32_t v) {
    if (v == kNoApex) return 0;
    const int32_t p = Abs(v);
    return IsPoint(p) ? g_points[p].hidden : 0;
}

// The polygon of g_pickList2 as coordinate arrays of n+1 entries (the last repeating the
// first), and the hidden bytes: 1 inside, 3 on the vertices, 0 elsewhere. False when the
// polygon cannot be used.
bool PreparePolygon(int32_t n, std::vector<double>& xs, std::vector<double>& ys) {
    if (n < 3 || n > kIndexListMaxVertices || !g_points) return false;
    IndexList& polygon = g_pickList2;
    for (int32_t i = 1; i <= n; ++i)
        if (!IsPoint(polygon[i])) return false;
    polygon[0] = n;
    polygon[n + 1] = polygon[1];
    xs.resize(n + 1);
    ys.resize(n + 1);
    for (int32_t i = 0; i <= n; ++i) {
        xs[i] = g_points[polygon[i + 1]].x;
        ys[i] = g_points[polygon[i + 1]].y;
    }
    MarkPointsInPolygonRaster(polygon, 1);
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].hidden = g_points[p].hidden == 0 ? 1 : 0;
    for (int32_t i = 1; i <= n; ++i) g_points[polygon[i]].hidden = 3;
    // The hidden bytes are the view's too: the next pick projects again.
    g_projectionValid = 0;
    return true;
}

bool InsideOrOn(const std::vector<double>& xs, const std::vector<double>& ys, double x, double y) {
    int cls = 0;
    ClassifyPointInPolygon(0, xs.data(), ys.data(), static_cast<int>(xs.size()), x, y,
                           kPolygonTolerance, &cls);
    return cls == kPolygonInside || cls == kPolygonOnEdge;
}

bool InOrVertex(int8_t h) { return h == 1 || h == 3; }

// Registers or releases the taken records and leaves the verdict in flag bit 0x10 of |A|.
template <class Taken>
void MarkTakenRecords(int32_t mode, Taken taken) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        const int32_t a = Abs(r.a);
        const bool take = taken(r);
        if (take) {
            if (mode == 0)
                Register(r);
            else
                Release(r);
        }
        if (IsPoint(a)) {
            if (take)
                g_points[a].flags |= kPointFlagRectSelected;
            else
                g_points[a].flags &= static_cast<uint8_t>(~kPointFlagRectSelected);
        }
    }
}

uint64_t PairKey(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    return (static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32) | static_cast<uint32_t>(b);
}
}  // namespace

int32_t SurfaceClassOfName(const char* name) {
    if (name[0] != '_') return kSurfaceCurrent;
    switch (name[1]) {
        case 'C':
            return kSurfacePlanC;
        case 'F':
            return kSurfacePlanF;
        case 'N':
            return kSurfaceSlope;
        case 'W':
            return kSurfaceWater;
        case 'H':
            return kSurfaceBuilding;
        default:
            return kSurfaceCurrent;
    }
}

int32_t TriangleSurfaceOf(int32_t classA, int32_t classB, int32_t classS) {
    const int32_t c[3] = {classA, classB, classS};
    auto any = [&c](int32_t k) { return c[0] == k || c[1] == k || c[2] == k; };
    if (c[0] == kSurfacePlanF && c[1] == kSurfacePlanF && c[2] == kSurfacePlanF) return kTrianglePlan;
    if (any(kSurfaceCurrent)) return kTriangleCurrent;
    if (any(kSurfacePlanC)) return kTrianglePlan;
    if (any(kSurfaceBuilding)) return kTriangleBuilding;
    if (any(kSurfaceWater)) return kTriangleWater;
    return kTriangleSlope;
}

void MarkHoleTriangles(int32_t current, int32_t plan, int32_t slope, int32_t water,
                       int32_t building, int32_t mode) {
    if (!g_tinEdges || !g_points) return;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        int32_t selected = 0;
        switch (TriangleSurfaceOf(ClassOf(r.a), ClassOf(r.b), ClassOf(r.apexSearch))) {
            case kTriangleCurrent:
                selected = current;
                break;
            case kTrianglePlan:
                selected = plan;
                break;
            case kTriangleSlope:
                selected = slope;
                break;
            case kTriangleWater:
                selected = water;
                break;
            default:
                selected = building;
                break;
        }
        if (selected == 0) continue;
        if (mode == 1)
            Register(r);
        else
            Release(r);
    }
}

void MarkEdgePointsInPolygon(int32_t n, int32_t mode) {
    std::vector<double> xs, ys;
    if (!PreparePolygon(n, xs, ys)) return;
    MarkTakenRecords(mode, [&](const TinEdge& r) {
        const int8_t a = HiddenOf(r.a), b = HiddenOf(r.b);
        if ((a == 1 && b == 1) || (a == 1 && b == 3) || (a == 3 && b == 1)) return true;
        if (a != 3 || b != 3) return false;
        const RandomPoint& pa = g_points[Abs(r.a)];
        const RandomPoint& pb = g_points[Abs(r.b)];
        return InsideOrOn(xs, ys, 0.5 * (pa.x + pb.x), 0.5 * (pa.y + pb.y));
    });
}

void MarkTrianglePointsInPolygon(int32_t n, int32_t mode) {
    std::vector<double> xs, ys;
    if (!PreparePolygon(n, xs, ys)) return;
    MarkTakenRecords(mode, [&](const TinEdge& r) {
        const int8_t a = HiddenOf(r.a), b = HiddenOf(r.b), s = HiddenOf(r.apexSearch);
        if (!InOrVertex(a) || !InOrVertex(b) || !InOrVertex(s)) return false;
        if (a == 1 || b == 1 || s == 1) return true;
        const RandomPoint& pa = g_points[Abs(r.a)];
        const RandomPoint& pb = g_points[Abs(r.b)];
        const RandomPoint& ps = g_points[Abs(r.apexSearch)];
        return InsideOrOn(xs, ys, (pa.x + pb.x + ps.x) / 3.0, (pa.y + pb.y + ps.y) / 3.0);
    });
}

void CutTinInsideHole(int32_t n) {
    std::vector<double> xs, ys;
    if (!PreparePolygon(n, xs, ys) || !g_tinEdges) return;
    // A hole mark or an unsearched side is no triangle corner here.
    auto hidden = [](int32_t v) -> int8_t { return v == kNoApex || v <= 0 ? 0 : HiddenOf(v); };
    // A triangle on an edge between two polygon vertices lies in the hole when its apex is
    // inside, or when the apex is a polygon vertex too and the triangle's centroid is inside:
    // in a notch of a concave polygon all three corners can be vertices of it.
    auto inHole = [&](const TinEdge& r, int32_t apex, int8_t h) {
        if (h == 1) return true;
        if (h != 3) return false;
        const RandomPoint& pa = g_points[r.a];
        const RandomPoint& pb = g_points[r.b];
        const RandomPoint& ps = g_points[apex];
        return InsideOrOn(xs, ys, (pa.x + pb.x + ps.x) / 3.0, (pa.y + pb.y + ps.y) / 3.0);
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        const int8_t a = hidden(r.a), b = hidden(r.b), s = hidden(r.apexSearch),
                     k = hidden(r.apexBack);
        r.state = 0;
        if ((a == 1 && b == 1) || (a == 3 && b == 1) || (a == 1 && b == 3) ||
            (a == 3 && b == 3 && inHole(r, r.apexSearch, s))) {
            r.state = 1;
        } else if (a == 3 && b == 3 && inHole(r, r.apexBack, k)) {
            r.apexBack = kNoApex;
        }
    }
    int32_t kept = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (g_tinEdges[i].state == 1) continue;
        g_tinEdges[++kept] = g_tinEdges[i];
        g_tinEdges[kept].state = 0;
    }
    g_tinEdgeCount = kept;
    SetTinEndRecord();
    ClearPicks();
}

void ApplyHolePolygon(int32_t kind, int32_t n) {
    switch (kind) {
        case kHoleContour:
            MarkEdgePointsInPolygon(n, 0);
            break;
        case kHoleAreaVolume:
            MarkTrianglePointsInPolygon(n, 0);
            break;
        case kHoleCutTin:
            CutTinInsideHole(n);
            break;
        default:
            break;
    }
}

int32_t SetHoleSignOfMarkedEdges(int32_t mode) {
    if (!g_tinEdges || !g_points) return 0;
    auto marked = [](int32_t v) {
        const int32_t p = Abs(v);
        return IsPoint(p) && (g_points[p].flags & kPointFlagRectSelected) != 0;
    };
    int32_t registered = 0;
    std::vector<TinEdge> copied;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        if (!marked(r.a) || !marked(r.b)) continue;
        if (mode == 1) {
            Release(r);
            continue;
        }
        Register(r);
        ++registered;
        if (mode == 2)
            copied.push_back(TinEdge{Abs(r.a), Abs(r.b), r.apexBack == kNoApex ? kNoApex : Abs(r.apexBack),
                                     Abs(r.apexSearch), 0});
    }
    if (mode != 2) return registered;

    // A boundary record has exactly one apex that is an end point of the region's records.
    std::unordered_set<int32_t> ends;
    for (const TinEdge& r : copied) {
        ends.insert(r.a);
        ends.insert(r.b);
    }
    std::vector<const TinEdge*> boundary;
    for (const TinEdge& r : copied) {
        const bool back = r.apexBack != kNoApex && ends.count(r.apexBack) != 0;
        const bool search = ends.count(r.apexSearch) != 0;
        if (back != search) boundary.push_back(&r);
    }

    ClearPicks();
    IndexList& list = g_pickList2;
    if (boundary.size() <= 2) return registered;

    // Boundary records by end point, in record order.
    std::unordered_map<int32_t, std::vector<int32_t>> byPoint;
    for (int32_t k = 0; k < static_cast<int32_t>(boundary.size()); ++k) {
        byPoint[boundary[k]->a].push_back(k);
        byPoint[boundary[k]->b].push_back(k);
    }
    std::unordered_set<uint64_t> used;
    const int32_t start = boundary[0]->a;
    int32_t count = 0;
    auto append = [&](int32_t p) {
        list[++count] = p;
        list[count + 1] = start;
        g_points[p].flags |= kPointFlagPickList2;
    };
    append(start);
    append(boundary[0]->b);
    used.insert(PairKey(start, boundary[0]->b));
    // Each step takes a boundary line not yet in the ring, so the walk ends.
    while (true) {
        const int32_t last = list[count];
        int32_t next = 0;
        for (int32_t k : byPoint[last]) {
            const int32_t other = boundary[k]->a == last ? boundary[k]->b : boundary[k]->a;
            if (used.count(PairKey(last, other))) continue;
            next = other;
            break;
        }
        if (next == 0 || count >= kIndexListMaxVertices) {
            count = 0;
            break;
        }
        used.insert(PairKey(last, next));
        if (next == start) break;
        append(next);
    }
    list[0] = count;
    if (count == 0) {
        ClearPicks();
        return registered;
    }
    list[count + 1] = start;
    list[count + 2] = 0;
    return registered;
}

void ReleaseAllHoleMarks() {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) Release(g_tinEdges[i]);
    g_holesInverted = 0;
}

void InvertHoleMarks() {
    auto negate = [](int32_t v) { return v == kNoApex ? v : -v; };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        r.a = negate(r.a);
        r.b = negate(r.b);
        r.apexBack = negate(r.apexBack);
        r.apexSearch = negate(r.apexSearch);
    }
    g_holesInverted = g_holesInverted == 0 ? 1 : 0;
}
