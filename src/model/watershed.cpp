#include "model/watershed.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

#include "model/terrain_data.h"
#include "model/tin_point_lists.h"

namespace {
constexpr int32_t kLowBits = 0xFFFF;
constexpr int32_t kUnvisited = 0xFFFF;
constexpr int32_t kVisited = 1;
constexpr int32_t kCountStep = 0x10000;
constexpr int32_t kMaxCount = 0x7FFF;

bool ValidPoint(int32_t i) { return i >= 1 && i <= g_pointCount; }
int32_t Low(int32_t state) { return state & kLowBits; }
void SetLow(TinEdge& e, int32_t low) { e.state = (e.state & ~kLowBits) | low; }

// Plane coefficients of the search-side triangle (A, B, S) of the record.
bool PlaneTerms(const TinEdge& e, double* h, double* m) {
    const int32_t a = std::abs(e.a), b = std::abs(e.b), s = std::abs(e.apexSearch);
    if (!ValidPoint(a) || !ValidPoint(b) || !ValidPoint(s)) return false;
    const RandomPoint &pa = g_points[a], &pb = g_points[b], &ps = g_points[s];
    *h = (pb.z - pa.z) * (ps.y - pa.y) - (ps.z - pa.z) * (pb.y - pa.y);
    *m = (ps.z - pa.z) * (pb.x - pa.x) - (pb.z - pa.z) * (ps.x - pa.x);
    return true;
}

bool SameCyclicTriangle(const TinEdge& r, int32_t b0, int32_t c0, int32_t d0) {
    const int32_t a = std::abs(r.a), b = std::abs(r.b), s = std::abs(r.apexSearch);
    return (a == b0 && b == c0 && s == d0) || (a == c0 && b == d0 && s == b0) ||
           (a == d0 && b == b0 && s == c0);
}

void ClearMarks() {
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        TinEdge& e = g_tinEdges[r];
        if (!(e.a < 0 && e.apexSearch > 0)) continue;
        e.a = std::abs(e.a);
        e.b = std::abs(e.b);
        if (e.apexBack != kNoApex) e.apexBack = std::abs(e.apexBack);
    }
}

// The last record joining p and q in either direction, else 0.
int32_t JoiningRecord(const TinPointLists& lists, int32_t p, int32_t q) {
    int32_t found = 0;
    for (int32_t r = lists.FirstFrom(p); r != 0; r = lists.NextFrom(r))
        if (std::abs(g_tinEdges[r].b) == q) found = std::max(found, r);
    for (int32_t r = lists.FirstFrom(q); r != 0; r = lists.NextFrom(r))
        if (std::abs(g_tinEdges[r].b) == p) found = std::max(found, r);
    return found;
}

void Search(const TinPointLists& lists, int32_t start) {
    std::vector<int32_t> current{start}, next;
    SetLow(g_tinEdges[start], kVisited);
    while (!current.empty()) {
        next.clear();
        for (int32_t w : current) {
            const TinEdge& we = g_tinEdges[w];
            const int32_t b0 = std::abs(we.a), c0 = std::abs(we.b), d0 = std::abs(we.apexSearch);
            double h = 0, m = 0;
            if (!PlaneTerms(we, &h, &m)) continue;
            const int32_t flat = h * h + m * m <= 1e-10 ? 1 : 0;
            struct Probe {
                int32_t point;
                bool firstEnd;    // the list of records starting at the point, else ending there
                bool searchApex;  // the apex required is the search apex, else the back apex
                int32_t apex, n, m;
            };
            const Probe probes[6] = {{b0, true, true, c0, b0, c0},   {c0, true, true, b0, c0, d0},
                                     {b0, false, true, c0, d0, b0},  {c0, false, true, b0, b0, c0},
                                     {b0, true, false, c0, d0, b0},  {c0, false, false, b0, c0, d0}};
            for (const Probe& p : probes) {
                int32_t r = p.firstEnd ? lists.FirstFrom(p.point) : lists.FirstTo(p.point);
                for (; r != 0; r = p.firstEnd ? lists.NextFrom(r) : lists.NextTo(r)) {
                    const TinEdge& re = g_tinEdges[r];
                    if (Low(re.state) == kVisited || r == w) continue;
                    if ((p.searchApex ? re.apexSearch : re.apexBack) != p.apex) continue;
                    if (IsRidgeOrValley(r, p.n, p.m, flat) != 0 || SameCyclicTriangle(re, b0, c0, d0)) {
                        SetLow(g_tinEdges[r], kVisited);
                        next.push_back(r);
                    }
                    break;
                }
            }
        }
        current.swap(next);
    }
}
}  // namespace

bool IsWatershedMarked(int32_t record) {
    const TinEdge& e = g_tinEdges[record];
    return e.a < 0 && e.apexSearch > 0;
}

int32_t IsRidgeOrValley(int32_t record, int32_t n, int32_t m, int32_t flatMode) {
    const TinEdge& e = g_tinEdges[record];
    double h = 0, mm = 0;
    if (!PlaneTerms(e, &h, &mm) || !ValidPoint(n) || !ValidPoint(m)) return 0;
    if (h * h + mm * mm <= 1e-10) return 2;
    const RandomPoint &pn = g_points[n], &pm = g_points[m];
    if (flatMode) {
        const double sum = g_points[std::abs(e.a)].z + g_points[std::abs(e.b)].z +
                           g_points[std::abs(e.apexSearch)].z;
        return 3 * (pn.z + pm.z) > 2 * sum ? 0 : 1;
    }
    return h * (pm.y - pn.y) - mm * (pm.x - pn.x) >= 0 ? 1 : 0;
}

void ToggleEdgeMark(int32_t a, int32_t b) {
    if (a == -1 && b == -1) {
        ClearMarks();
        return;
    }
    if (b != 0 || a < 1 || a > g_tinEdgeCount) return;
    std::optional<TinPointLists> lists;
    try {
        lists.emplace(true);
    } catch (const std::bad_alloc&) {
        return;
    }
    const int32_t p = std::abs(g_tinEdges[a].a), q = std::abs(g_tinEdges[a].b);
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) SetLow(g_tinEdges[r], kUnvisited);
    if (const int32_t start = JoiningRecord(*lists, p, q)) Search(*lists, start);

    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
        TinEdge& e = g_tinEdges[r];
        // Marked before, a hole or another mark: kept as it is and not counted again.
        if (e.a < 0 || e.apexSearch < 0) SetLow(e, 0);
        if (Low(e.state) != kVisited) continue;
        if (WatershedCount(e.state) < kMaxCount) e.state += kCountStep;
        e.a = -std::abs(e.a);
        e.b = -std::abs(e.b);
        if (e.apexBack != kNoApex) e.apexBack = -std::abs(e.apexBack);
    }
    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) g_tinEdges[r].state &= 0x7FFF0000;
}
