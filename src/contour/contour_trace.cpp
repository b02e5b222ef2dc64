#include <cmath>
#include <cstdlib>
#include <new>
#include <unordered_map>
#include <utility>

#include "contour/contour_calc.h"
#include "model/terrain_data.h"

double g_contourSmoothness = 0.0;
double g_contourLevelTolerance = 0.00001;
int32_t g_contourMethod = 1;
ContourWorkspace* g_contourWorkspace = nullptr;

bool ContourWorkspace::Allocate() {
    try {
        const size_t edges = static_cast<size_t>(std::max(g_tinEdgeCapacity, g_tinEdgeCount)) + 2;
        const size_t points = static_cast<size_t>(std::max(g_pointCapacity, g_pointCount)) + 2;
        crossingKind.assign(edges, 0);
        crossingEdge.assign(edges, 0);
        traceX.assign(points, 0.0);
        traceY.assign(points, 0.0);
        tracePen.assign(points, 0);
        traceEndA.assign(points + 10, 0);
        traceEndB.assign(points + 10, 0);
        knotValues.assign(points + 16, 0.0);
        smoothLimit = static_cast<int32_t>(10 * (points - 2));
        smoothX.assign(static_cast<size_t>(smoothLimit) + 20, 0.0);
        smoothY.assign(static_cast<size_t>(smoothLimit) + 20, 0.0);
        traceLimit = static_cast<int32_t>(points - 2) - 1;
    } catch (const std::bad_alloc&) {
        *this = ContourWorkspace();
        return false;
    }
    return true;
}

namespace {
struct Edge {
    int32_t a;
    int32_t b;
};

bool Same(int32_t p, int32_t q) { return std::abs(p) == std::abs(q); }
bool SameEnds(const TinEdge& e, int32_t p, int32_t q) {
    return (Same(e.a, p) && Same(e.b, q)) || (Same(e.a, q) && Same(e.b, p));
}

class LevelTracer {
public:
    LevelTracer(ContourWorkspace& ws, double w) : m_ws(ws), m_w(w) {}

    int32_t Run() {
        m_ws.traceCount = 0;
        ListCrossings();
        IndexCrossings();
        for (int32_t k = 1; k <= m_n; ++k) {
            if (m_ws.crossingKind[k] <= 0) continue;
            if (!WalkFrom(k)) return -1;
        }
        return 0;
    }

private:
    void ListCrossings() {
        m_n = 0;
        for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
            const TinEdge& r = g_tinEdges[e];
            const double za = g_points[std::abs(r.a)].z;
            const double zb = g_points[std::abs(r.b)].z;
            int32_t kind = 0;
            if ((za - m_w) * (zb - m_w) < 0)
                kind = 1;
            else if (za == m_w || zb == m_w)
                kind = 2;
            if (kind == 0) continue;
            ++m_n;
            m_ws.crossingKind[m_n] = kind;
            m_ws.crossingEdge[m_n] = e;
        }
    }

    const TinEdge& Rec(int32_t l) const { return g_tinEdges[m_ws.crossingEdge[l]]; }

    // False when the trace is full.
    bool Append(int32_t a, int32_t b, int32_t pen) {
        if (m_ws.traceCount + 1 >= m_ws.traceLimit) return false;
        ++m_ws.traceCount;
        Put(m_ws.traceCount, a, b, pen);
        return true;
    }

    void Put(int32_t i, int32_t a, int32_t b, int32_t pen) {
        const RandomPoint& pa = g_points[std::abs(a)];
        const RandomPoint& pb = g_points[std::abs(b)];
        const double t = std::fabs(pa.z - pb.z) <= 0.000001 ? 1.0 : (m_w - pb.z) / (pa.z - pb.z);
        m_ws.traceX[i] = pb.x + t * (pa.x - pb.x);
        m_ws.traceY[i] = pb.y + t * (pa.y - pb.y);
        m_ws.traceEndA[i] = a;
        m_ws.traceEndB[i] = b;
        m_ws.tracePen[i] = pen;
    }

    // The first listed crossing whose edge joins p and q, or null.
    const TinEdge* FindListed(int32_t p, int32_t q) const {
        if (m_ws.linearScan) {
            for (int32_t l = 1; l <= m_n; ++l)
                if (SameEnds(Rec(l), p, q)) return &Rec(l);
            return nullptr;
        }
        const std::vector<int32_t>* list = Listed(p, q);
        return list ? &Rec(list->front()) : nullptr;
    }

    // The pen of a segment from the previous edge to the new edge (a, b) whose far apex is
    // apex; holes interrupt the line. A closing segment passes no apex (apexKnown false).
    int32_t HolePen(Edge next, int32_t apex, bool apexKnown, Edge prev) const {
        if (g_holesInverted == 0) {
            if (next.a >= 0 && next.b >= 0) return 2;
            if (apexKnown && apex >= 0) return 2;
            const TinEdge* e1 = FindListed(next.a, next.b);
            const TinEdge* e2 = FindListed(prev.a, prev.b);
            if (!e1 || !e2) return 3;
            if (e1->a < 1 && e1->b < 1 && e2->a < 1 && e2->b < 1) return 3;
            return 2;
        }
        const TinEdge* e1 = FindListed(next.a, next.b);
        const TinEdge* e2 = FindListed(prev.a, prev.b);
        if (e1 && e2 && e1->a > 0 && e1->b > 0 && e2->a > 0 && e2->b > 0) return 2;
        return 3;
    }

    struct Step {
        Edge edge;
        int32_t apex;
        int32_t kind;
    };

    // The continuation of the walk from edge cur with apex: the first unused crossing from
    // `from` on that sets out from one of the two other sides of the triangle (cur, apex);
    // 0 when none. Reports whether an unused end-on-level crossing was passed on the way
    // (fanSeen) and, for the first look of a chain, the first unused crossing (examined).
    static bool Continue(const TinEdge& c, Edge cur, int32_t apex, Edge* next, int32_t* nextApex) {
        if (Same(c.a, cur.a) && Same(c.b, apex)) {
            *next = {cur.a, c.b};
            *nextApex = c.apexSearch;
        } else if (Same(c.a, apex) && Same(c.b, cur.b)) {
            *next = {c.a, cur.b};
            *nextApex = c.apexSearch;
        } else if (Same(c.a, apex) && Same(c.b, cur.a)) {
            *next = {cur.a, c.a};
            *nextApex = c.apexBack;
        } else if (Same(c.a, cur.b) && Same(c.b, apex)) {
            *next = {c.b, cur.b};
            *nextApex = c.apexBack;
        } else {
            return false;
        }
        return true;
    }

    int32_t ScanLinear(int32_t from, Edge cur, int32_t apex, Edge* next, int32_t* nextApex,
                       bool* fanSeen, bool* examined, Edge* firstCandidate) const {
        for (int32_t l = from; l <= m_n; ++l) {
            const int32_t kind = m_ws.crossingKind[l];
            if (kind <= 0) continue;
            if (kind == 2) *fanSeen = true;
            const TinEdge& c = Rec(l);
            if (!*examined) {
                *examined = true;
                *firstCandidate = {c.a, c.b};
            }
            if (Continue(c, cur, apex, next, nextApex)) return l;
        }
        return 0;
    }

    // The same answer from the crossings listed by their end points.
    int32_t ScanIndexed(int32_t from, Edge cur, int32_t apex, Edge* next, int32_t* nextApex,
                        bool* fanSeen, bool* examined, Edge* firstCandidate) {
        int32_t best = 0;
        for (int32_t end : {cur.a, cur.b}) {
            const std::vector<int32_t>* list = Listed(end, apex);
            if (!list) continue;
            for (int32_t l : *list) {
                if (l < from || m_ws.crossingKind[l] <= 0) continue;
                if (best != 0 && l >= best) break;
                Edge n;
                int32_t na;
                if (Continue(Rec(l), cur, apex, &n, &na)) {
                    best = l;
                    *next = n;
                    *nextApex = na;
                    break;
                }
            }
        }
        const int32_t last = best != 0 ? best : m_n;
        if (NextAlive(m_nextKind2, from) <= last) *fanSeen = true;
        if (!*examined) {
            const int32_t first = NextAlive(m_nextAlive, from);
            if (first <= last) {
                *examined = true;
                *firstCandidate = {Rec(first).a, Rec(first).b};
            }
        }
        return best;
    }

    // Marks crossing l used in the lookups.
    void Use(int32_t l) {
        m_nextAlive[l] = l + 1;
        m_nextKind2[l] = l + 1;
    }

    // The first index from i on whose entry points to itself (path-halving).
    static int32_t NextAlive(std::vector<int32_t>& next, int32_t i) {
        while (next[i] != i) {
            next[i] = next[next[i]];
            i = next[i];
        }
        return i;
    }

    static uint64_t PairKey(int32_t p, int32_t q) {
        uint32_t a = static_cast<uint32_t>(std::abs(p)), b = static_cast<uint32_t>(std::abs(q));
        if (a > b) std::swap(a, b);
        return (static_cast<uint64_t>(a) << 32) | b;
    }

    const std::vector<int32_t>* Listed(int32_t p, int32_t q) const {
        if (p == kNoApex || q == kNoApex) return nullptr;
        const auto it = m_byEnds.find(PairKey(p, q));
        return it == m_byEnds.end() ? nullptr : &it->second;
    }

    void IndexCrossings() {
        m_byEnds.clear();
        m_byEnds.reserve(static_cast<size_t>(m_n) * 2);
        m_nextAlive.assign(static_cast<size_t>(m_n) + 2, 0);
        m_nextKind2.assign(static_cast<size_t>(m_n) + 2, 0);
        for (int32_t l = 1; l <= m_n; ++l) {
            m_byEnds[PairKey(Rec(l).a, Rec(l).b)].push_back(l);
            m_nextAlive[l] = l;
            m_nextKind2[l] = m_ws.crossingKind[l] == 2 ? l : l + 1;
        }
        m_nextAlive[m_n + 1] = m_n + 1;
        m_nextKind2[m_n + 1] = m_n + 1;
    }

    bool WalkFrom(int32_t k) {
        const TinEdge start = Rec(k);
        const Edge startEdge{start.a, start.b};
        m_ws.crossingKind[k] = -m_ws.crossingKind[k];
        Use(k);
        const int32_t startKind = m_ws.crossingKind[k];
        int32_t prevKind = startKind;
        Edge prev = startEdge;
        bool reverse = false;
        bool reversedAtBorder = false;

        Edge cur = startEdge;
        int32_t apex = start.apexSearch;
        for (;;) {
            // A chain.
            if (!Append(cur.a, cur.b, 3)) return false;
            const double firstX = m_ws.traceX[m_ws.traceCount];
            const double firstY = m_ws.traceY[m_ws.traceCount];
            bool examined = false;
            Edge firstCandidate{0, 0};
            Step fan{cur, apex, 0};
            Step saved{cur, apex, 0};
            bool trying = false;
            int32_t from = k + 1;
            for (;;) {
                bool matched = false;
                Edge next{0, 0};
                int32_t nextApex = 0;
                bool fanSeen = false;
                const int32_t l = m_ws.linearScan
                                      ? ScanLinear(from, cur, apex, &next, &nextApex, &fanSeen,
                                                   &examined, &firstCandidate)
                                      : ScanIndexed(from, cur, apex, &next, &nextApex, &fanSeen,
                                                    &examined, &firstCandidate);
                if (fanSeen) fan = {cur, apex, 0};
                if (l != 0) {
                    int32_t& kind = m_ws.crossingKind[l];
                    Use(l);
                    const int32_t pen = HolePen(next, nextApex, true, prev);
                    if (trying)
                        Put(m_ws.traceCount, next.a, next.b, pen);
                    else if (!Append(next.a, next.b, pen))
                        return false;
                    prev = next;
                    cur = next;
                    apex = nextApex;
                    kind = -kind;
                    reverse = false;
                    matched = true;
                    if (trying) {
                        if (nextApex == kNoApex) {
                            cur = saved.edge;
                            apex = saved.apex;
                            prevKind = saved.kind;
                        } else {
                            prevKind = kind;
                        }
                        trying = false;
                        from = k + 1;
                    } else if (prevKind == -2 && kind == -2) {
                        // The line passes through a vertex on the level: try the way
                        // round the fan of that vertex before going on.
                        saved = {cur, apex, kind};
                        cur = fan.edge;
                        apex = fan.apex;
                        trying = true;
                        from = l + 1;
                    } else {
                        prevKind = kind;
                        from = k + 1;
                    }
                }
                if (matched) continue;
                if (trying) {
                    cur = saved.edge;
                    apex = saved.apex;
                    prevKind = saved.kind;
                    trying = false;
                    from = k + 1;
                    continue;
                }
                break;
            }
            // The chain ends. One that reached the border still leaves the part of the line
            // behind the start crossing: the crossings there can no longer reach the start
            // crossing, so the walk goes that way from the start once.
            if (apex == kNoApex) {
                if (reversedAtBorder) return true;
                reversedAtBorder = true;
                reverse = true;
                cur = {startEdge.b, startEdge.a};
                apex = start.apexBack;
                prev = startEdge;
                prevKind = startKind;
                continue;
            }
            auto closesTriangle = [&](Edge e) {
                return (Same(e.a, cur.a) && Same(e.b, apex)) ||
                       (Same(e.a, apex) && Same(e.b, cur.a)) ||
                       (Same(e.a, cur.b) && Same(e.b, apex)) ||
                       (Same(e.a, apex) && Same(e.b, cur.b));
            };
            if (closesTriangle(startEdge) || (examined && closesTriangle(firstCandidate))) {
                const Edge closing{startEdge.b, startEdge.a};
                if (!Append(closing.a, closing.b, HolePen(closing, 0, false, prev))) return false;
                m_ws.traceX[m_ws.traceCount] = firstX;
                m_ws.traceY[m_ws.traceCount] = firstY;
                return true;
            }
            if (reverse) return true;
            reverse = true;
            reversedAtBorder = true;
            cur = {startEdge.b, startEdge.a};
            apex = start.apexBack;
            prev = startEdge;
            prevKind = startKind;
        }
    }

    ContourWorkspace& m_ws;
    double m_w;
    int32_t m_n = 0;
    std::unordered_map<uint64_t, std::vector<int32_t>> m_byEnds;
    std::vector<int32_t> m_nextAlive;  // unused crossings
    std::vector<int32_t> m_nextKind2;  // unused end-on-level crossings
};
}  // namespace

int32_t TraceContourLevel(ContourWorkspace& ws, double w) {
    g_dataChanged = -1;
    return LevelTracer(ws, w).Run();
}
