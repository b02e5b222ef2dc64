#include "analysis/flow_paths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/geometry.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/text_io.h"

FlowSettings g_flowSettings;
const FlowSettings g_flowSettingsDefaults;
FlowSettings g_flowSettingsBackup;

namespace {
constexpr double kPi = 3.14159265358979323846;

struct Vec2 {
    double x, y;
};

// Per vertex, the records whose end A (or B) it is, in record order.
struct VertexLists {
    std::vector<int32_t> aStart, aList, bStart, bList;

    void Build() {
        const int32_t n = g_pointCount;
        aStart.assign(n + 2, 0);
        bStart.assign(n + 2, 0);
        for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
            const int32_t a = std::abs(g_tinEdges[r].a), b = std::abs(g_tinEdges[r].b);
            if (a >= 1 && a <= n) ++aStart[a + 1];
            if (b >= 1 && b <= n) ++bStart[b + 1];
        }
        for (int32_t v = 1; v <= n; ++v) {
            aStart[v + 1] += aStart[v];
            bStart[v + 1] += bStart[v];
        }
        aList.assign(aStart[n + 1], 0);
        bList.assign(bStart[n + 1], 0);
        std::vector<int32_t> aFill(aStart.begin(), aStart.end()), bFill(bStart.begin(), bStart.end());
        for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
            const int32_t a = std::abs(g_tinEdges[r].a), b = std::abs(g_tinEdges[r].b);
            if (a >= 1 && a <= n) aList[aFill[a]++] = r;
            if (b >= 1 && b <= n) bList[bFill[b]++] = r;
        }
    }
    template <typename F>
    void ForA(int32_t v, F f) const {
        for (int32_t k = aStart[v]; k < aStart[v + 1]; ++k) f(aList[k]);
    }
    template <typename F>
    void ForB(int32_t v, F f) const {
        for (int32_t k = bStart[v]; k < bStart[v + 1]; ++k) f(bList[k]);
    }
};

bool ValidVertex(int32_t v) { return v >= 1 && v <= g_pointCount; }

struct Triangle {
    int32_t a = 0, b = 0, c = 0;
};

// The search-side triangle of a record; false when it has none.
bool RecordTriangle(int32_t r, Triangle& t) {
    if (r < 1 || r > g_tinEdgeCount) return false;
    const TinEdge& e = g_tinEdges[r];
    if (e.apexSearch == kNoApex || e.apexSearch == 0) return false;
    t = Triangle{std::abs(e.a), std::abs(e.b), std::abs(e.apexSearch)};
    return ValidVertex(t.a) && ValidVertex(t.b) && ValidVertex(t.c);
}

const RandomPoint& P(int32_t v) { return g_points[v]; }

// Unnormalised descent vector of the plane through a, b, c (counterclockwise on the map).
Vec2 Descent(int32_t a, int32_t b, int32_t c, double* g = nullptr) {
    const RandomPoint &pa = P(a), &pb = P(b), &pc = P(c);
    const double ux = pb.x - pa.x, uy = pb.y - pa.y, uz = pb.z - pa.z;
    const double wx = pc.x - pa.x, wy = pc.y - pa.y, wz = pc.z - pa.z;
    if (g) *g = uy * wx - ux * wy;
    return Vec2{uz * wy - uy * wz, ux * wz - uz * wx};
}

struct WalkResult {
    int32_t bits = 0;  // exit side (1 A->B, 2 B->C, 4 C->A), or the sides the point lies on
    bool flat = false;
    FlowPoint exit;
    double travelled = 0.0;
};

// One step in triangle t from p; false when p is not in the triangle or nothing is
// approached.
bool WalkFlowTriangle(const Triangle& t, const FlowPoint& p, Vec2& direction, WalkResult& out) {
    double g = 0.0;
    const Vec2 d = Descent(t.a, t.b, t.c, &g);
    const double len2 = d.x * d.x + d.y * d.y;
    double k;
    out.flat = len2 <= 1e-10;
    if (out.flat) {
        k = 1e20;
    } else {
        const double len = std::sqrt(len2);
        direction = Vec2{d.x / len, d.y / len};
        k = g / len;
    }
    const int32_t vs[3][2] = {{t.a, t.b}, {t.b, t.c}, {t.c, t.a}};
    double s[3], tt[3], h[3];
    for (int i = 0; i < 3; ++i) {
        const RandomPoint &pp = P(vs[i][0]), &q = P(vs[i][1]);
        const double nx = q.y - pp.y, ny = -(q.x - pp.x);
        const double nl = std::sqrt(nx * nx + ny * ny);
        const double ux = nl > 0 ? nx / nl : 0.0, uy = nl > 0 ? ny / nl : 0.0;
        s[i] = ux * (p.x - pp.x) + uy * (p.y - pp.y);
        h[i] = direction.x * ux + direction.y * uy;
        tt[i] = h[i] == 0.0 ? 1e16 : -s[i] / h[i];
    }
    if (s[0] < -1e-10 || s[1] < -1e-10 || s[2] < -1e-10) return false;
    // Ties keep C->A over A->B over B->C.
    int best = -1;
    for (int i : {2, 0, 1})
        if (h[i] < 0 && (best < 0 || tt[i] < tt[best])) best = i;
    if (best < 0) return false;
    const double t0 = tt[best];
    out.exit = FlowPoint{p.x + t0 * direction.x, p.y + t0 * direction.y, p.z - t0 / k};
    out.travelled = std::max(t0, 0.0);
    if (t0 < 0) {
        out.bits = 0;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(s[i]) < 1e-10) out.bits |= 1 << i;
    } else {
        out.bits = 1 << best;
    }
    return true;
}

FlowPoint Nudged(int32_t v, int32_t o1, int32_t o2) {
    const RandomPoint &pv = P(v), &p1 = P(o1), &p2 = P(o2);
    return FlowPoint{0.984375 * pv.x + 0.0078125 * (p1.x + p2.x), 0.984375 * pv.y + 0.0078125 * (p1.y + p2.y),
                     0.984375 * pv.z + 0.0078125 * (p1.z + p2.z)};
}

// The other two vertices of a triangle that holds v.
void Others(const Triangle& t, int32_t v, int32_t& o1, int32_t& o2) {
    if (t.a == v) o1 = t.b, o2 = t.c;
    else if (t.b == v) o1 = t.c, o2 = t.a;
    else o1 = t.a, o2 = t.b;
}

// Steepest falling edge from v: > 0 the record (its triangle and the nudged point), 0 a
// pit, -1 level.
int32_t ContinueFlowFromVertex(const VertexLists& lists, int32_t v, FlowPoint& point) {
    int32_t best = 0;
    double bestSlope = 0.0;
    auto consider = [&](int32_t r, int32_t other) {
        if (!ValidVertex(other)) return;
        const double dx = P(other).x - P(v).x, dy = P(other).y - P(v).y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length <= 0.0) return;
        const double slope = (P(other).z - P(v).z) / length;
        if (slope > 0) return;
        if (best == 0 || slope <= bestSlope) best = r, bestSlope = slope;
    };
    lists.ForA(v, [&](int32_t r) { consider(r, std::abs(g_tinEdges[r].b)); });
    lists.ForB(v, [&](int32_t r) { consider(r, std::abs(g_tinEdges[r].a)); });
    if (best == 0) return 0;
    if (bestSlope == 0.0) return -1;
    Triangle t;
    if (!RecordTriangle(best, t)) return 0;
    int32_t o1, o2;
    Others(t, v, o1, o2);
    point = Nudged(v, o1, o2);
    return best;
}

Vec2 UnitTo(int32_t v, int32_t p) {
    const double dx = P(p).x - P(v).x, dy = P(p).y - P(v).y;
    const double l = std::sqrt(dx * dx + dy * dy);
    return l > 0 ? Vec2{dx / l, dy / l} : Vec2{0, 0};
}
double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }

// From a level vertex, the falling triangle that best holds the arrival direction.
int32_t ContinueFlowByDirection(const VertexLists& lists, int32_t v, Vec2 dir, FlowPoint& point) {
    const double zv = P(v).z;
    struct Choice {
        int32_t record = 0;
        int32_t apex = 0;
        bool atOnce = false;
        double align = -2.0;
    };
    // Neither edge from v may rise; a triangle that holds the direction between its edges
    // is taken at once, else the best aligned one is remembered.
    auto judge = [&](Choice& c, int32_t r, int32_t p1, int32_t p2, int32_t apex) {
        if (c.atOnce || !ValidVertex(p1) || !ValidVertex(p2)) return;
        if (P(p1).z > zv || P(p2).z > zv) return;
        const Vec2 e1 = UnitTo(v, p1), e2 = UnitTo(v, p2);
        if (Cross(e2, dir) * Cross(e1, dir) < 0) {
            c = Choice{r, apex, true, c.align};
            return;
        }
        const double align = std::max(Dot(e1, dir), Dot(e2, dir));
        if (align > c.align) c = Choice{r, apex, false, align};
    };
    Choice front;
    lists.ForA(v, [&](int32_t r) {
        Triangle t;
        if (RecordTriangle(r, t)) judge(front, r, t.b, t.c, 0);
    });
    lists.ForB(v, [&](int32_t r) {
        Triangle t;
        if (RecordTriangle(r, t)) judge(front, r, t.c, t.a, 0);
    });
    int32_t result = front.record;
    if (result == 0) {
        // The back sides of v's records: the triangle (v, B, D) is found again as the
        // record in D's list whose search apex is v.
        Choice back;
        lists.ForA(v, [&](int32_t r) {
            const TinEdge& e = g_tinEdges[r];
            if (e.apexBack == kNoApex || e.apexBack == 0) return;
            judge(back, r, std::abs(e.b), std::abs(e.apexBack), std::abs(e.apexBack));
        });
        if (back.record != 0 && ValidVertex(back.apex))
            lists.ForA(back.apex, [&](int32_t r) {
                const int32_t apex = g_tinEdges[r].apexSearch;
                if (result == 0 && apex != kNoApex && std::abs(apex) == v) result = r;
            });
    }
    if (result == 0) return 0;
    Triangle t;
    if (!RecordTriangle(result, t)) return 0;
    int32_t o1, o2;
    Others(t, v, o1, o2);
    point = Nudged(v, o1, o2);
    return result;
}

// The record other than `current` whose triangle has the side from -> to.
int32_t NeighbourWithSide(const VertexLists& lists, int32_t current, int32_t from, int32_t to, int32_t& third) {
    int32_t found = 0;
    auto check = [&](int32_t r) {
        if (found || r == current) return;
        Triangle t;
        if (!RecordTriangle(r, t)) return;
        if (t.a == from && t.b == to) found = r, third = t.c;
        else if (t.b == from && t.c == to) found = r, third = t.a;
        else if (t.c == from && t.a == to) found = r, third = t.b;
    };
    lists.ForA(from, check);
    lists.ForB(from, check);
    lists.ForA(to, check);
    return found;
}

// The first record whose triangle holds the point (edges included).
int32_t StartTriangle(const FlowPoint& p, Triangle& out) {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        Triangle t;
        if (!RecordTriangle(r, t)) continue;
        const int32_t vs[3][2] = {{t.a, t.b}, {t.b, t.c}, {t.c, t.a}};
        bool inside = true;
        for (const auto& side : vs) {
            const RandomPoint &pp = P(side[0]), &q = P(side[1]);
            if ((p.x - pp.x) * (q.y - pp.y) - (q.x - pp.x) * (p.y - pp.y) < 0) {
                inside = false;
                break;
            }
        }
        if (inside) {
            out = t;
            return r;
        }
    }
    return 0;
}

FlowPoint At(int32_t v) { return FlowPoint{P(v).x, P(v).y, P(v).z}; }

void TraceOne(const VertexLists& lists, std::vector<uint32_t>& marks, uint32_t mark, FlowPath& path) {
    path.vertices.clear();
    Triangle tri;
    int32_t current = StartTriangle(path.start, tri);
    if (current == 0) return;
    Vec2 dir{0.0, 0.0};
    WalkResult w;
    if (!WalkFlowTriangle(tri, path.start, dir, w) || w.flat) return;
    path.vertices.push_back(path.start);
    path.vertices.push_back(w.exit);
    FlowPoint point = w.exit;
    int32_t counter = 0;
    for (;;) {
        // The side left by.
        int32_t s = 0, t = 0;
        if (w.bits & 4) s = tri.c, t = tri.a;
        else if (w.bits & 2) s = tri.b, t = tri.c;
        else if (w.bits & 1) s = tri.a, t = tri.b;
        if (s == 0) {
            path.end = FlowEnd::kNoExit;
            return;
        }
        int32_t o = 0;
        const int32_t next = NeighbourWithSide(lists, current, t, s, o);
        if (next == 0) {
            path.end = FlowEnd::kBorder;
            return;
        }
        const Vec2 d2 = Descent(t, s, o);
        const bool flat = d2.x * d2.x + d2.y * d2.y <= 1e-10;
        if (flat || d2.x * (P(s).y - P(t).y) - d2.y * (P(s).x - P(t).x) > 0) {
            current = next;
            RecordTriangle(current, tri);
        } else {
            // A valley: down the shared side to its lower end, then on from that vertex.
            const int32_t v = P(t).z > P(s).z ? s : t;
            const FlowPoint vp = At(v);
            path.vertices.push_back(vp);
            const double ax = vp.x - point.x, ay = vp.y - point.y, al = std::sqrt(ax * ax + ay * ay);
            dir = al > 0 ? Vec2{ax / al, ay / al} : Vec2{ax, ay};
            FlowPoint nudged;
            int32_t r = ContinueFlowFromVertex(lists, v, nudged);
            if (r == -1) {
                counter += 100;
                r = ContinueFlowByDirection(lists, v, dir, nudged);
            }
            if (r <= 0) {
                path.end = FlowEnd::kPit;
                return;
            }
            if (marks[v] == mark) {
                path.end = FlowEnd::kRepeatedVertex;
                return;
            }
            marks[v] = mark;
            current = r;
            RecordTriangle(current, tri);
            point = nudged;
        }
        if (counter > kFlowStepBudget) {
            path.end = FlowEnd::kStepBudget;
            path.steps = counter;
            return;
        }
        if (!WalkFlowTriangle(tri, point, dir, w)) {
            path.end = FlowEnd::kLeftTriangle;
            path.steps = counter + 1;
            return;
        }
        counter += w.flat ? 101 : 1;
        path.steps = counter;
        if (w.travelled > 0) path.vertices.push_back(w.exit);
        point = w.exit;
    }
}
}  // namespace

std::vector<FlowPath> TraceFlowPaths(const std::vector<FlowPoint>& starts) {
    std::vector<FlowPath> paths(starts.size());
    if (starts.empty() || g_tinEdgeCount <= 0 || g_pointCount <= 0) {
        for (size_t k = 0; k < starts.size(); ++k) paths[k].start = starts[k];
        return paths;
    }
    VertexLists lists;
    lists.Build();
    // A mark per start point; 32 bits never wrap back to a mark in use.
    std::vector<uint32_t> marks(static_cast<size_t>(g_pointCount) + 1, 0);
    uint32_t mark = 0;
    for (size_t k = starts.size(); k-- > 0;) {
        paths[k].start = starts[k];
        TraceOne(lists, marks, ++mark, paths[k]);
    }
    return paths;
}

std::vector<FlowPoint> FlowGridPoints(const FlowPoint& a, const FlowPoint& b, int32_t n, int32_t m) {
    n = std::clamp(n, 0, 28);
    m = std::clamp(m, 0, 28);
    const FlowPoint c{b.x + (a.y - b.y), b.y - (a.x - b.x), 0.0};
    const double sx = (c.x - b.x) / (m + 1), sy = (c.y - b.y) / (m + 1);
    std::vector<FlowPoint> points;
    for (int32_t k = 0; k <= m + 1; ++k) {
        const double akx = a.x + k * sx, aky = a.y + k * sy, bkx = b.x + k * sx, bky = b.y + k * sy;
        for (int32_t i = 0; i <= n + 1; ++i) {
            FlowPoint p{(akx * (n + 1 - i) + bkx * i) / (n + 1), (aky * (n + 1 - i) + bky * i) / (n + 1), 0.0};
            if (LocateTinTriangle(p.x, p.y, &p.z) != 0) points.push_back(p);
        }
    }
    return points;
}

std::vector<FlowPoint> FlowArrowPoints(const std::vector<FlowPoint>& path, double interval,
                                       const std::function<bool(const FlowPoint&, const FlowPoint&)>& drawable,
                                       std::vector<size_t>* segments) {
    std::vector<FlowPoint> arrows;
    if (segments) segments->clear();
    if (!(interval > 0)) return arrows;
    double carried = 0.0;
    for (size_t k = 1; k < path.size(); ++k) {
        const FlowPoint &p = path[k - 1], &q = path[k];
        const double length = std::hypot(q.x - p.x, q.y - p.y);
        const double total = length + carried;
        if (length < 0.0001 || (drawable && !drawable(p, q))) {
            carried = total;
            continue;
        }
        double last = 0.0;
        for (double c = interval; c < total; c += interval) {
            // Places on segments that had no room for an arrow are passed over.
            if (c < carried) continue;
            const double f = (c - carried) / length;
            arrows.push_back(FlowPoint{p.x + f * (q.x - p.x), p.y + f * (q.y - p.y), p.z + f * (q.z - p.z)});
            if (segments) segments->push_back(k);
            last = c;
        }
        carried = total - last;
    }
    return arrows;
}

std::vector<FlowPoint> FlowAreaStartPoints(FlowSettings& s) {
    s.pointCount = std::clamp(s.pointCount, 2, 10);
    return FlowGridPoints(s.areaEnd, s.areaOrigin, s.pointCount - 2, s.pointCount - 2);
}

void UpdateFlowAreaCorners(FlowSettings& s) {
    const double r = s.rotation * kPi / 180.0, side = (s.pointCount - 1) * s.spacing;
    s.areaEnd.x = s.areaOrigin.x + side * std::sin(r);
    s.areaEnd.y = s.areaOrigin.y + side * std::cos(r);
    const double px = s.areaEnd.y - s.areaOrigin.y, py = -(s.areaEnd.x - s.areaOrigin.x);
    s.areaFarEnd = FlowPoint{s.areaEnd.x + px, s.areaEnd.y + py, s.areaEnd.z};
    s.areaFarOrigin = FlowPoint{s.areaOrigin.x + px, s.areaOrigin.y + py, s.areaOrigin.z};
}

void FlowAreaFromCorners(FlowSettings& s) {
    s.pointCount = std::clamp(s.pointCount, 2, 10);
    const double dx = s.areaEnd.x - s.areaOrigin.x, dy = s.areaEnd.y - s.areaOrigin.y;
    s.spacing = std::hypot(dx, dy) / (s.pointCount - 1);
    double r = std::atan2(dx, dy) * 180.0 / kPi;
    if (r < 0) r += 360.0;
    s.rotation = r;
    const double px = dy, py = -dx;
    s.areaFarEnd = FlowPoint{s.areaEnd.x + px, s.areaEnd.y + py, s.areaEnd.z};
    s.areaFarOrigin = FlowPoint{s.areaOrigin.x + px, s.areaOrigin.y + py, s.areaOrigin.z};
}

namespace {
// A field that holds no digit and no point is left as it was.
bool ParseNumberField(const char* text, double& value) {
    if (std::strpbrk(text, "0123456789.") == nullptr) return false;
    value = std::atof(text);
    return true;
}
}  // namespace

bool FlowEditLeft(int control, const char* text) {
    FlowSettings& s = g_flowSettings;
    double v = 0.0;
    switch (control) {
        case flowctl::kOriginX:
        case flowctl::kOriginY:
        case flowctl::kSpacing: {
            if (!ParseNumberField(text, v)) return false;
            double& field = control == flowctl::kOriginX ? s.areaOrigin.x
                            : control == flowctl::kOriginY ? s.areaOrigin.y
                                                           : s.spacing;
            if (control == flowctl::kSpacing && v <= 0.0) v = 1.0;
            const bool changed = std::fabs(v - field) >= 0.001;
            field = v;
            UpdateFlowAreaCorners(s);
            return changed;
        }
        case flowctl::kPointCount: {
            if (*text == '\0') return false;
            const int32_t n = std::clamp(std::atoi(text), 1, 10);
            const bool changed = n != s.pointCount;
            s.pointCount = n;
            return changed;
        }
        case flowctl::kRotation: {
            if (*text == '\0') return false;
            double r = ConvertDegreesDms(std::atof(text), 2);
            if (r >= 360.0) r -= 360.0;
            if (r < 0.0) r += 360.0;
            const bool changed = std::fabs(r - s.rotation) > 1e-9;
            s.rotation = r;
            UpdateFlowAreaCorners(s);
            return changed;
        }
        case flowctl::kArrowInterval: {
            if (!ParseNumberField(text, v)) return false;
            v = std::max(v, 0.0);
            const bool changed = v != s.arrowInterval;
            s.arrowInterval = v;
            return changed;
        }
        default:
            return false;
    }
}

std::string FlowFieldText(int control) {
    const FlowSettings& s = g_flowSettings;
    switch (control) {
        case flowctl::kOriginX: return FormatString(" %5.3f", s.areaOrigin.x);
        case flowctl::kOriginY: return FormatString(" %5.3f", s.areaOrigin.y);
        case flowctl::kSpacing: return FormatString(" %5.3f", s.spacing);
        case flowctl::kPointCount: return FormatString(" %d ", s.pointCount);
        case flowctl::kRotation: return FormatString(" %8.4f", ConvertDegreesDms(s.rotation, 1));
        case flowctl::kArrowInterval: return FormatString(" %5.3f", s.arrowInterval);
        default: return std::string();
    }
}

void ResetFlowSettingsValues() { g_flowSettings = g_flowSettingsDefaults; }
