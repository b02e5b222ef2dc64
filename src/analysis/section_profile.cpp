#include "analysis/section_profile.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "model/terrain_data.h"
#include "shell/status_text.h"

SectionProfile g_profile;

double g_sectionBandWidth = 0.2;
int32_t g_bandAlignWithHeight = 1;
int32_t g_bandConnectAll = 1;

void InitSectionBandDefaults() {
    g_sectionBandWidth = 0.2;
    g_bandAlignWithHeight = 1;
    g_bandConnectAll = 1;
}

namespace {

constexpr double kMinLineLength = 0.00001;
constexpr double kOnLine = 0.00007;
constexpr int32_t kIndexHeads = 4096;

struct LineFrame {
    double x1, y1, ux, uy, length;
    double Along(double px, double py) const { return (px - x1) * ux + (py - y1) * uy; }
    double Across(double px, double py) const { return (px - x1) * uy - (py - y1) * ux; }
};

bool MakeFrame(double x1, double y1, double x2, double y2, LineFrame* f) {
    const double d = std::hypot(x2 - x1, y2 - y1);
    if (!(d >= kMinLineLength)) return false;
    *f = {x1, y1, (x2 - x1) / d, (y2 - y1) / d, d};
    return true;
}

struct Vertex3 {
    double x, y, z;
};

Vertex3 Lerp(const Vertex3& p, const Vertex3& q, double f) {
    return {p.x + f * (q.x - p.x), p.y + f * (q.y - p.y), p.z + f * (q.z - p.z)};
}

// A triangle is met once for each of its edges: the pieces are kept in chains keyed by the
// low 12 bits of their first and of their second vertex number.
class TriangleIndex {
public:
    TriangleIndex() : m_headA(kIndexHeads, 0), m_tailA(kIndexHeads, 0), m_headB(kIndexHeads, 0), m_tailB(kIndexHeads, 0) {}

    bool Contains(const CrossingSegment* s, int32_t a, int32_t b, int32_t c) const {
        for (int32_t v : {a, b}) {
            for (int32_t k = m_headA[v & 0xFFF]; k != 0; k = s[k].nextA)
                if (Same(s[k], a, b, c)) return true;
            for (int32_t k = m_headB[v & 0xFFF]; k != 0; k = s[k].nextB)
                if (Same(s[k], a, b, c)) return true;
        }
        return false;
    }

    void Add(CrossingSegment* s, int32_t k) {
        const int32_t ka = s[k].vertexA & 0xFFF;
        const int32_t kb = s[k].vertexB & 0xFFF;
        if (m_tailA[ka] != 0) s[m_tailA[ka]].nextA = k;
        else m_headA[ka] = k;
        m_tailA[ka] = k;
        if (m_tailB[kb] != 0) s[m_tailB[kb]].nextB = k;
        else m_headB[kb] = k;
        m_tailB[kb] = k;
    }

private:
    static bool Same(const CrossingSegment& r, int32_t a, int32_t b, int32_t c) {
        const int32_t v[3] = {r.vertexA, r.vertexB, r.vertexC};
        for (int32_t w : {a, b, c})
            if (w != v[0] && w != v[1] && w != v[2]) return false;
        // Same set: each of a, b, c is present and the three are distinct in a triangle.
        return true;
    }
    std::vector<int32_t> m_headA, m_tailA, m_headB, m_tailB;
};

// The piece of triangle (a, b, c) on the line, or false.
bool PieceOfTriangle(const LineFrame& f, const Vertex3& a, const Vertex3& b, const Vertex3& c, Vertex3* e1,
                     Vertex3* e2) {
    double sA = f.Across(a.x, a.y), sB = f.Across(b.x, b.y), sC = f.Across(c.x, c.y);
    const bool onA = std::fabs(sA) < kOnLine, onB = std::fabs(sB) < kOnLine, onC = std::fabs(sC) < kOnLine;
    if (onA) sA = 0;
    if (onB) sB = 0;
    if (onC) sC = 0;
    if (onC && (onA != onB)) return false;  // the line runs along a side through C
    if (onA && onB) {
        *e1 = a;
        *e2 = b;
        return true;
    }
    const bool crossAB = sA * sB <= -1e-10, crossAC = sA * sC <= -1e-10, crossBC = sB * sC <= -1e-10;
    if (!crossAB && !crossAC && !crossBC) return false;
    if (int(onA) + int(onB) + int(onC) > 1) return false;
    const Vertex3 *p, *q, *r;
    double sP, sQ, sR;
    if (crossAB) p = &a, q = &b, r = &c, sP = sA, sQ = sB, sR = sC;
    else if (crossAC) p = &c, q = &a, r = &b, sP = sC, sQ = sA, sR = sB;
    else p = &b, q = &c, r = &a, sP = sB, sQ = sC, sR = sA;
    *e1 = Lerp(*p, *q, sP / (sP - sQ));
    if (std::fabs(sR) < 1e-8) *e2 = *r;
    else if (sR * sP < 0) *e2 = Lerp(*r, *p, sR / (sR - sP));
    else *e2 = Lerp(*r, *q, sR / (sR - sQ));
    return true;
}

// Clips a piece to the line's ends; false when it lies wholly before or after them.
bool ClipToLine(const LineFrame& f, Vertex3* e1, Vertex3* e2) {
    const double tA = f.Along(e1->x, e1->y), tB = f.Along(e2->x, e2->y);
    const bool beforeBoth = tA <= 0 && tB <= 0;
    int before = 0;  // 1: end 1, 2: end 2
    double zS = 0;
    if (tA * tB < 0) {
        before = tA < 0 ? 1 : 2;
        zS = e1->z + (tA / (tA - tB)) * (e2->z - e1->z);
    }
    const double eA = tA - f.length, eB = tB - f.length;
    const bool afterBoth = eA >= 0 && eB >= 0;
    int after = 0;
    double zE = 0;
    if (eA * eB < 0) {
        after = eA > 0 ? 1 : 2;
        zE = e1->z + (eA / (eA - eB)) * (e2->z - e1->z);
    }
    if (beforeBoth || afterBoth) return false;
    const double xEnd = f.x1 + f.ux * f.length, yEnd = f.y1 + f.uy * f.length;
    if (before == 1) *e1 = {f.x1, f.y1, zS};
    if (before == 2) *e2 = {f.x1, f.y1, zS};
    if (after == 1) *e1 = {xEnd, yEnd, zE};
    if (after == 2) *e2 = {xEnd, yEnd, zE};
    return true;
}

Vertex3 PointOf(int32_t i) {
    const RandomPoint& p = g_points[std::abs(i)];
    return {p.x, p.y, p.z};
}

std::vector<CrossingSegment>* NewPieceBuffer() {
    try {
        return new std::vector<CrossingSegment>(kMaxCrossingSegments + 1);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SetRight(int32_t i, double x, double y, double z, double dist) {
    g_profile.right.x[i] = x;
    g_profile.right.y[i] = y;
    g_profile.right.z[i] = z;
    g_profile.right.dist[i] = dist;
}

void SwapPieces(int32_t a, int32_t b) {
    if (a == b) return;
    for (ProfileSide* s : {&g_profile.left, &g_profile.right}) {
        std::swap(s->x[a], s->x[b]);
        std::swap(s->y[a], s->y[b]);
        std::swap(s->z[a], s->z[b]);
        std::swap(s->dist[a], s->dist[b]);
    }
}

double Closeness(double ax, double ay, double az, double bx, double by, double bz) {
    return std::fabs(ax - bx) + std::fabs(ay - by) + std::fabs(az - bz);
}

void CutSegmentForm(const LineFrame& f, CrossingSegment* s, int32_t n) {
    int32_t imax = 0, imin = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const double t1 = f.Along(s[i].x1, s[i].y1), t2 = f.Along(s[i].x2, s[i].y2);
        // The far end goes right (the second end when both are equal).
        if (t1 > t2) {
            SetRight(i, s[i].x1, s[i].y1, s[i].z1, t1);
            g_profile.left.x[i] = s[i].x2, g_profile.left.y[i] = s[i].y2, g_profile.left.z[i] = s[i].z2;
            g_profile.left.dist[i] = t2;
        } else {
            SetRight(i, s[i].x2, s[i].y2, s[i].z2, t2);
            g_profile.left.x[i] = s[i].x1, g_profile.left.y[i] = s[i].y1, g_profile.left.z[i] = s[i].z1;
            g_profile.left.dist[i] = t1;
        }
        if (imax == 0 || g_profile.right.dist[i] > g_profile.right.dist[imax]) imax = i;
        if (imin == 0 || g_profile.left.dist[i] < g_profile.left.dist[imin]) imin = i;
    }
    if (n == 0) {
        g_profile.left.count = 0;
        return;
    }
    SwapPieces(imin, 1);
    if (imax == 1) imax = imin;
    if (imax != n) SwapPieces(imax, n);
    if (n == 1) {
        for (ProfileSide* side : {&g_profile.left, &g_profile.right}) {
            side->x[2] = side->x[1], side->y[2] = side->y[1], side->z[2] = side->z[1];
            side->dist[2] = side->dist[1];
        }
        n = 2;
    }
    g_profile.right.count = n;
    g_profile.left.count = -n;
    std::swap(g_profile.right.x[1], g_profile.left.x[1]);
    std::swap(g_profile.right.y[1], g_profile.left.y[1]);
    std::swap(g_profile.right.z[1], g_profile.left.z[1]);
    std::swap(g_profile.right.dist[1], g_profile.left.dist[1]);
}

void CutChainForm(const LineFrame& f, CrossingSegment* s, int32_t n) {
    for (int32_t i = 1; i <= n; ++i) s[i].flags &= ~2;
    double lx = g_profile.x, ly = g_profile.y, lz = g_profile.height;
    int32_t count = 0;
    bool full = false;
    // A chain that breaks after every piece appends two points per piece: the set's
    // capacity ends it.
    auto append = [&](double x, double y, double z) {
        if (count >= kProfileMaxPoints) {
            full = true;
            return;
        }
        ++count;
        g_profile.right.x[count] = x, g_profile.right.y[count] = y, g_profile.right.z[count] = z;
        g_profile.right.tag[count] = 0;
        lx = x, ly = y, lz = z;
    };
    constexpr double kJoin = 0.00005;
    while (!full) {
        int32_t best = 0;
        double bestD = 0;
        for (int32_t i = 1; i <= n; ++i) {
            if (s[i].flags & 2) continue;
            const double d = std::min(Closeness(s[i].x1, s[i].y1, s[i].z1, lx, ly, lz),
                                      Closeness(s[i].x2, s[i].y2, s[i].z2, lx, ly, lz));
            if (best == 0 || d < bestD) best = i, bestD = d;
        }
        if (best == 0) break;
        Vertex3 c1{s[best].x1, s[best].y1, s[best].z1}, c2{s[best].x2, s[best].y2, s[best].z2};
        int32_t cur = best;
        while (!full) {
            s[cur].flags |= 2;
            int32_t found = 0, how = 0;
            auto matches = [&](const Vertex3& p, double x, double y, double z) {
                return Closeness(p.x, p.y, p.z, x, y, z) < kJoin;
            };
            for (int32_t pass = 1; pass <= 4 && found == 0; ++pass) {
                const Vertex3& end = pass <= 2 ? c2 : c1;
                for (int32_t i = 1; i <= n; ++i) {
                    if (s[i].flags & 2) continue;
                    const bool first = pass % 2 == 1;
                    if (first ? matches(end, s[i].x1, s[i].y1, s[i].z1) : matches(end, s[i].x2, s[i].y2, s[i].z2)) {
                        found = i, how = pass;
                        break;
                    }
                }
            }
            if (found == 0) {
                if (Closeness(c1.x, c1.y, c1.z, lx, ly, lz) >= kJoin) append(c1.x, c1.y, c1.z);
                if (Closeness(c2.x, c2.y, c2.z, lx, ly, lz) >= kJoin) append(c2.x, c2.y, c2.z);
                lx = c2.x, ly = c2.y, lz = c2.z;
                break;
            }
            const Vertex3 keep = how <= 2 ? c1 : c2;
            if (Closeness(keep.x, keep.y, keep.z, lx, ly, lz) >= kJoin) append(keep.x, keep.y, keep.z);
            const Vertex3 n1{s[found].x1, s[found].y1, s[found].z1}, n2{s[found].x2, s[found].y2, s[found].z2};
            const bool reversed = how == 2 || how == 4;
            c1 = reversed ? n2 : n1;
            c2 = reversed ? n1 : n2;
            cur = found;
        }
    }
    for (int32_t i = 1; i <= count; ++i)
        g_profile.right.dist[i] = f.Along(g_profile.right.x[i], g_profile.right.y[i]);
    g_profile.right.count = count;
}

}  // namespace

int32_t FindTinEdgeCrossings(double x1, double y1, double x2, double y2, CrossingSegment* segments) {
    LineFrame f;
    if (!MakeFrame(x1, y1, x2, y2, &f) || g_tinEdgeCount < 3 || g_pointCount < 3 || segments == nullptr) return 0;
    TriangleIndex* index = nullptr;
    try {
        index = new TriangleIndex;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    int32_t n = 0;
    for (int32_t k = 1; k <= g_tinEdgeCount && n < kMaxCrossingSegments; ++k) {
        const TinEdge& e = g_tinEdges[k];
        const int32_t a = std::abs(e.a), b = std::abs(e.b), c = std::abs(e.apexSearch);
        if (a < 1 || b < 1 || c < 1 || a > g_pointCount || b > g_pointCount || c > g_pointCount) continue;
        Vertex3 e1, e2;
        if (!PieceOfTriangle(f, PointOf(a), PointOf(b), PointOf(c), &e1, &e2)) continue;
        if (Closeness(e1.x, e1.y, e1.z, e2.x, e2.y, e2.z) < kMinLineLength) continue;
        if (!ClipToLine(f, &e1, &e2)) continue;
        if (index->Contains(segments, a, b, c)) continue;
        ++n;
        segments[n] = {e1.x, e1.y, e1.z, e2.x, e2.y, e2.z, a, b, c, 0, 0, 0};
        index->Add(segments, n);
    }
    delete index;
    return n;
}

void CutTinProfile(double x1, double y1, double x2, double y2, int32_t mode) {
    g_profile.right.count = 0;
    LineFrame f;
    if (!MakeFrame(x1, y1, x2, y2, &f) || g_tinEdgeCount < 3 || g_pointCount < 3) return;
    std::vector<CrossingSegment>* buffer = NewPieceBuffer();
    if (buffer == nullptr) return;
    g_profile.x = x1;
    g_profile.y = y1;
    CrossingSegment* s = buffer->data();
    const int32_t n = FindTinEdgeCrossings(x1, y1, x2, y2, s);
    if (mode == 0) CutSegmentForm(f, s, n);
    else CutChainForm(f, s, n);
    delete buffer;
}

void SwapProfileEntries(int32_t a, int32_t b) {
    if (a == b) return;
    ProfileSide& r = g_profile.right;
    std::swap(r.dist[a], r.dist[b]);
    std::swap(r.z[a], r.z[b]);
    std::swap(r.x[a], r.x[b]);
    std::swap(r.y[a], r.y[b]);
    std::swap(r.tag[a], r.tag[b]);
}

void CollectBandPoints(double x1, double y1, double x2, double y2) {
    g_profile.x = x1;
    g_profile.y = y1;
    g_profile.right.count = 0;
    LineFrame f;
    if (!MakeFrame(x1, y1, x2, y2, &f) || g_pointCount < 3) return;
    SetStatusText("ランダム点抽出中...");
    ProfileSide& r = g_profile.right;
    const double half = g_sectionBandWidth / 2;
    int32_t n = 0, imin = 0, imax = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const double s = f.Across(p.x, p.y), t = f.Along(p.x, p.y);
        if (!(std::fabs(s) <= half && t >= 0 && t <= f.length)) continue;
        if (n + 1 >= kMaxCrossingSegments) break;  // at most 49999 points
        ++n;
        r.x[n] = p.x, r.y[n] = p.y, r.z[n] = p.z, r.dist[n] = t, r.tag[n] = 0;
        if (imin == 0 || t < r.dist[imin]) imin = n;
        if (imax == 0 || t > r.dist[imax]) imax = n;
    }
    if (n < 2) {
        SetStatusText("");
        return;
    }
    SwapProfileEntries(imin, 1);
    if (imax == 1) imax = imin;
    SwapProfileEntries(imax, n);
    r.count = n;
    if (n >= 4) {
        SetStatusText("抽出中ソート中...");
        const double w = g_bandAlignWithHeight ? 1.0 : 0.0;
        int32_t prev = 1;
        for (int32_t v = 2; v < r.count; ++v) {
            const int32_t last = g_bandConnectAll ? r.count - 1 : r.count;
            int32_t best = v;
            double bestD = -1;
            for (int32_t j = v; j <= last; ++j) {
                const double dd = r.dist[j] - r.dist[prev], dz = r.z[j] - r.z[prev];
                const double d2 = dd * dd + w * dz * dz;
                if (bestD < 0 || d2 < bestD) best = j, bestD = d2;
            }
            if (best == r.count) {
                r.dist[v] = r.dist[best], r.z[v] = r.z[best], r.x[v] = r.x[best], r.y[v] = r.y[best];
                r.tag[v] = r.tag[best];
                r.count = v;
                break;
            }
            SwapProfileEntries(best, v);
            prev = v;
        }
    }
    SetStatusText("");
}
