#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "contour/contour_calc.h"
#include "model/terrain_data.h"

double g_contourSmoothness = 0.0;
double g_contourLevelTolerance = 0.00001;
int32_t g_contourMethod = 1;
ContourWorkspace* g_contourWorkspace = nullptr;

bool ContourWorkspace::Allocate() { return AllocateTrace() && AllocateSmoothing(); }

bool ContourWorkspace::AllocateSmoothing() {
    const size_t points = static_cast<size_t>(std::max(g_pointCapacity, g_pointCount)) + 2;
    const size_t smooth = 10 * (points - 2);
    if (smooth <= INT32_MAX - 20 && smoothX.Assign(smooth + 20) && smoothY.Assign(smooth + 20)) {
        smoothLimit = static_cast<int32_t>(smooth);
        return true;
    }
    smoothX.Assign(0);
    smoothY.Assign(0);
    smoothLimit = 0;
    return false;
}

bool ContourWorkspace::AllocateTrace() {
    const size_t edges = static_cast<size_t>(std::max(g_tinEdgeCapacity, g_tinEdgeCount)) + 2;
    const size_t points = static_cast<size_t>(std::max(g_pointCapacity, g_pointCount)) + 2;
    bool ok = crossingKind.Assign(edges) && crossingEdge.Assign(edges) && traceX.Assign(points) &&
              traceY.Assign(points) && tracePen.Assign(points) && traceEndA.Assign(points + 10) &&
              traceEndB.Assign(points + 10);
    if (ok) {
        try {
            // Taken now, filled per line as far as the line needs.
            knotValues.clear();
            knotValues.reserve(points + 16);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        *this = ContourWorkspace();
        return false;
    }
    traceLimit = static_cast<int32_t>(points - 2) - 1;
    return true;
}

// The TIN's edges in buckets by their lower end's elevation (a counting sort, each bucket
// in edge order), made once per calculation and only read afterwards, so the workspaces of
// one calculation share it. The TIN must not change during a calculation; another TIN (its
// block or count) has the index made anew.
struct ContourEdgeIndex {
    const TinEdge* edges = nullptr;
    const RandomPoint* points = nullptr;
    int32_t edgeCount = -1;
    std::vector<int32_t> order;        // edge numbers, bucket by bucket
    std::vector<int32_t> bucketStart;  // into order, one more than there are buckets
    std::vector<double> bucketLow;     // lowest lower end in the bucket

    // The points' elevations by point number, close together: the sweep reads them in
    // the order of the edges.
    std::vector<double> z;

    bool Current() const {
        return edges == g_tinEdges && points == g_points && edgeCount == g_tinEdgeCount;
    }
    double Za(const TinEdge& r) const { return z[static_cast<size_t>(std::abs(r.a))]; }
    double Zb(const TinEdge& r) const { return z[static_cast<size_t>(std::abs(r.b))]; }

    // The lower and the higher of an edge's ends' elevations: an end that is not a number
    // is left out; with neither a number the edge is never crossed (and left out of the
    // buckets).
    bool Range(const TinEdge& r, double* lo, double* hi) const {
        const double za = Za(r), zb = Zb(r);
        *lo = std::fmin(za, zb);
        *hi = std::fmax(za, zb);
        return !std::isnan(*lo);
    }

    void Build() {
        edges = g_tinEdges;
        points = g_points;
        edgeCount = g_tinEdgeCount;
        const int32_t n = std::max(edgeCount, 0);
        int64_t last = g_pointCount;
        for (int32_t e = 1; e <= n; ++e)
            last = std::max(
                {last, std::abs(int64_t{g_tinEdges[e].a}), std::abs(int64_t{g_tinEdges[e].b})});
        z.resize(static_cast<size_t>(last) + 1);
        // Buckets over the points' elevations; any lower end outside joins an end bucket.
        double base = std::numeric_limits<double>::infinity();
        double top = -base;
        for (int64_t i = 0; i <= last; ++i) {
            z[i] = g_points[i].z;
            if (i == 0 || !std::isfinite(z[i])) continue;
            base = std::min(base, z[i]);
            top = std::max(top, z[i]);
        }
        const int32_t buckets = std::max(1, n / 64);
        const double scale =
            top > base && std::isfinite(top - base) ? (buckets - 1) / (top - base) : 0.0;
        // The bucket of a lower end; rises with it, so the buckets' values are in order.
        auto bucketOf = [&](double zLow) {
            const double t = (zLow - base) * scale;
            if (!(t >= 0)) return 0;
            if (t >= buckets - 1) return buckets - 1;
            return static_cast<int32_t>(t);
        };
        bucketStart.assign(static_cast<size_t>(buckets) + 1, 0);
        bucketLow.assign(static_cast<size_t>(buckets), std::numeric_limits<double>::infinity());
        double lo, hi;
        for (int32_t e = 1; e <= n; ++e) {
            if (!Range(g_tinEdges[e], &lo, &hi)) continue;
            const int32_t b = bucketOf(lo);
            ++bucketStart[b + 1];
            bucketLow[b] = std::min(bucketLow[b], lo);
        }
        for (int32_t b = 0; b < buckets; ++b) bucketStart[b + 1] += bucketStart[b];
        order.resize(static_cast<size_t>(bucketStart[buckets]));
        std::vector<int32_t> fill(bucketStart.begin(), bucketStart.end() - 1);
        for (int32_t e = 1; e <= n; ++e)
            if (Range(g_tinEdges[e], &lo, &hi)) order[fill[bucketOf(lo)]++] = e;
    }
};

// What the walk of a level looks up, kept from level to level in one workspace.
//
// The sweep: a bit per edge for those whose lower end is at or below the level. As the
// levels rise, buckets of the edge index join and edges whose upper end fell below the
// level leave, so a level tests only the edges it may cross, and tests them in edge order.
// A lower level starts the sweep again.
//
// The look-up: the level's crossings by the end points of their edges, an open-addressing
// table of chains in crossing order.
struct ContourTraceIndex {
    // ---- sweep ----
    std::shared_ptr<const ContourEdgeIndex> edges;
    std::vector<uint64_t> active;  // bit e: edge e joined and not yet left
    int32_t nextBucket = 0;
    double lastLevel = 0;
    bool started = false;

    const ContourEdgeIndex& Edges() {
        if (!edges || !edges->Current()) {
            auto made = std::make_shared<ContourEdgeIndex>();
            made->Build();
            edges = std::move(made);
            started = false;
        }
        return *edges;
    }

    // Calls test(e, record, za, zb) for every edge e that may hold a crossing of level w
    // (finite), in edge order.
    template <typename Test>
    void Sweep(double w, Test&& test) {
        const ContourEdgeIndex& x = Edges();
        if (!started || w < lastLevel) {
            active.assign(static_cast<size_t>(std::max(x.edgeCount, 0)) / 64 + 1, 0);
            nextBucket = 0;
            started = true;
        }
        lastLevel = w;
        const int32_t buckets = static_cast<int32_t>(x.bucketLow.size());
        while (nextBucket < buckets &&
               (x.bucketLow[nextBucket] <= w ||
                x.bucketStart[nextBucket] == x.bucketStart[nextBucket + 1])) {
            for (int32_t i = x.bucketStart[nextBucket]; i < x.bucketStart[nextBucket + 1]; ++i)
                active[x.order[i] >> 6] |= uint64_t{1} << (x.order[i] & 63);
            ++nextBucket;
        }
        for (size_t word = 0; word < active.size(); ++word) {
            uint64_t bits = active[word];
            while (bits) {
                const int32_t e = static_cast<int32_t>(word * 64) + std::countr_zero(bits);
                bits &= bits - 1;
                const TinEdge& r = g_tinEdges[e];
                const double za = x.Za(r), zb = x.Zb(r);
                if (std::fmax(za, zb) < w) {
                    // Below this level and every later one until the sweep starts again.
                    active[word] &= ~(uint64_t{1} << (e & 63));
                    continue;
                }
                test(e, r, za, zb);
            }
        }
    }

    // ---- the level's crossings ----
    std::vector<TinEdge> rec;  // copies of the crossings' edge records, close together

    // ---- look-up ----
    std::vector<int32_t> slotHead, slotTail;
    std::vector<uint64_t> slotKey;
    uint64_t mask = 0;
    std::vector<int32_t> nextSame;   // per crossing: the next with the same ends, or 0
    std::vector<int32_t> nextAlive;  // unused crossings
    std::vector<int32_t> nextKind2;  // unused end-on-level crossings

    static uint64_t PairKey(int32_t p, int32_t q) {
        uint32_t a = static_cast<uint32_t>(std::abs(p)), b = static_cast<uint32_t>(std::abs(q));
        if (a > b) std::swap(a, b);
        return (static_cast<uint64_t>(a) << 32) | b;
    }
    size_t Slot(uint64_t key) const {
        return static_cast<size_t>((key * 0x9e3779b97f4a7c15ull) >> 20) & mask;
    }

    void StartLevel(int32_t n) {
        size_t size = 16;
        while (size < 2 * static_cast<size_t>(n)) size *= 2;
        mask = size - 1;
        slotHead.assign(size, 0);
        if (slotTail.size() < size) {
            slotTail.resize(size);
            slotKey.resize(size);
        }
        const size_t need = static_cast<size_t>(n) + 2;
        if (nextSame.size() < need) {
            nextSame.resize(need);
            nextAlive.resize(need);
            nextKind2.resize(need);
        }
    }

    // Crossings are added in crossing order.
    void Add(uint64_t key, int32_t l) {
        nextSame[l] = 0;
        for (size_t i = Slot(key);; i = (i + 1) & mask) {
            if (slotHead[i] == 0) {
                slotHead[i] = slotTail[i] = l;
                slotKey[i] = key;
                return;
            }
            if (slotKey[i] == key) {
                nextSame[slotTail[i]] = l;
                slotTail[i] = l;
                return;
            }
        }
    }

    int32_t Find(uint64_t key) const {
        for (size_t i = Slot(key);; i = (i + 1) & mask) {
            if (slotHead[i] == 0) return 0;
            if (slotKey[i] == key) return slotHead[i];
        }
    }
};

ContourTraceIndex& ContourWorkspace::TraceIndex() {
    if (!traceIndex) traceIndex = std::make_shared<ContourTraceIndex>();
    return *traceIndex;
}

void ShareContourEdgeIndex(ContourWorkspace& from, ContourWorkspace& to) {
    ContourTraceIndex& source = from.TraceIndex();
    source.Edges();
    ContourTraceIndex& target = to.TraceIndex();
    target.edges = source.edges;
    target.started = false;
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
    LevelTracer(ContourWorkspace& ws, double w) : m_ws(ws), m_w(w), m_x(ws.TraceIndex()) {}

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
    // The crossings of the level in edge order. The sweep only narrows down the edges to
    // test; every edge is tested as the full scan tests it.
    void ListCrossings() {
        m_n = 0;
        auto test = [&](int32_t e, const TinEdge& r, double za, double zb) {
            int32_t kind = 0;
            if ((za - m_w) * (zb - m_w) < 0)
                kind = 1;
            else if (za == m_w || zb == m_w)
                kind = 2;
            if (kind == 0) return;
            ++m_n;
            m_ws.crossingKind[m_n] = kind;
            m_ws.crossingEdge[m_n] = e;
            if (static_cast<size_t>(m_n) >= m_x.rec.size()) m_x.rec.resize(2 * m_n + 16);
            m_x.rec[m_n] = r;
        };
        if (m_ws.linearScan || !std::isfinite(m_w)) {
            for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
                const TinEdge& r = g_tinEdges[e];
                test(e, r, g_points[std::abs(r.a)].z, g_points[std::abs(r.b)].z);
            }
            return;
        }
        m_x.Sweep(m_w, test);
    }

    // The edge record of crossing l.
    const TinEdge& Rec(int32_t l) const { return m_x.rec[l]; }

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
        const int32_t l = Listed(p, q);
        return l != 0 ? &Rec(l) : nullptr;
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
            for (int32_t l = Listed(end, apex); l != 0; l = m_x.nextSame[l]) {
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
        if (NextAlive(m_x.nextKind2, from) <= last) *fanSeen = true;
        if (!*examined) {
            const int32_t first = NextAlive(m_x.nextAlive, from);
            if (first <= last) {
                *examined = true;
                *firstCandidate = {Rec(first).a, Rec(first).b};
            }
        }
        return best;
    }

    // Marks crossing l used in the lookups.
    void Use(int32_t l) {
        m_x.nextAlive[l] = l + 1;
        m_x.nextKind2[l] = l + 1;
    }

    // The first index from i on whose entry points to itself (path-halving).
    static int32_t NextAlive(std::vector<int32_t>& next, int32_t i) {
        while (next[i] != i) {
            next[i] = next[next[i]];
            i = next[i];
        }
        return i;
    }

    // The first listed crossing whose edge joins p and q (m_x.nextSame leads to the
    // others in crossing order), or 0.
    int32_t Listed(int32_t p, int32_t q) const {
        if (p == kNoApex || q == kNoApex) return 0;
        return m_x.Find(ContourTraceIndex::PairKey(p, q));
    }

    void IndexCrossings() {
        m_x.StartLevel(m_n);
        for (int32_t l = 1; l <= m_n; ++l) {
            m_x.Add(ContourTraceIndex::PairKey(Rec(l).a, Rec(l).b), l);
            m_x.nextAlive[l] = l;
            m_x.nextKind2[l] = m_ws.crossingKind[l] == 2 ? l : l + 1;
        }
        m_x.nextAlive[m_n + 1] = m_n + 1;
        m_x.nextKind2[m_n + 1] = m_n + 1;
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
    ContourTraceIndex& m_x;
};
}  // namespace

int32_t TraceContourLevel(ContourWorkspace& ws, double w) {
    g_dataChanged = -1;
    return TraceContourLevelUnmarked(ws, w);
}

int32_t TraceContourLevelUnmarked(ContourWorkspace& ws, double w) {
    return LevelTracer(ws, w).Run();
}
