#include "model/tin_query.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "view/view_state.h"

namespace {

bool IsPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }

// Records chained by the absolute value of their A, each chain in record order.
class RecordIndex {
public:
    RecordIndex() : m_head(static_cast<size_t>(g_pointCount) + 1, 0), m_next(static_cast<size_t>(g_tinEdgeCount) + 1, 0) {
        for (int32_t i = g_tinEdgeCount; i >= 1; --i) {
            const int32_t a = std::abs(g_tinEdges[i].a);
            if (!IsPoint(a)) continue;
            m_next[i] = m_head[a];
            m_head[a] = i;
        }
    }

    // Calls found(record) for every record from -> to (absolute values).
    template <typename Found>
    void ForEach(int32_t from, int32_t to, Found found) const {
        if (!IsPoint(from)) return;
        for (int32_t r = m_head[from]; r != 0; r = m_next[r])
            if (std::abs(g_tinEdges[r].b) == to) found(r);
    }

private:
    std::vector<int32_t> m_head;
    std::vector<int32_t> m_next;
};

}  // namespace

int32_t BuildTinAdjacency(std::vector<int32_t>* searchCounts, std::vector<int32_t>* backCounts,
                          std::vector<uint8_t>* firstFlags) {
    const size_t size = static_cast<size_t>(g_tinEdgeCount) + 1;
    try {
        if (searchCounts) searchCounts->assign(size, 0);
        if (backCounts) backCounts->assign(size, 0);
        if (firstFlags) firstFlags->assign(size, 0);
        const RecordIndex index;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            const int32_t a = std::abs(r.a), b = std::abs(r.b), s = std::abs(r.apexSearch);
            const int32_t c = std::abs(r.apexBack);
            if (firstFlags) {
                int32_t p = 0, q = 0;
                index.ForEach(b, s, [&](int32_t k) {
                    if (p == 0 && std::abs(g_tinEdges[k].apexSearch) == a) p = k;
                });
                index.ForEach(s, a, [&](int32_t k) {
                    if (q == 0 && std::abs(g_tinEdges[k].apexSearch) == b) q = k;
                });
                const int32_t h = (p ? (*firstFlags)[p] + 1 : 1) + (q ? (*firstFlags)[q] : 0);
                (*firstFlags)[i] = h < 2 ? static_cast<uint8_t>(h) : 0;
            }
            if (backCounts && IsPoint(c)) {
                int32_t n = 1;
                index.ForEach(b, c, [&](int32_t k) { n += std::abs(g_tinEdges[k].apexBack) == a; });
                index.ForEach(c, a, [&](int32_t k) { n += std::abs(g_tinEdges[k].apexBack) == b; });
                (*backCounts)[i] = n;
            }
            if (searchCounts) {
                int32_t n = 1;
                index.ForEach(b, s, [&](int32_t k) { n += std::abs(g_tinEdges[k].apexSearch) == a; });
                index.ForEach(s, a, [&](int32_t k) { n += std::abs(g_tinEdges[k].apexSearch) == b; });
                (*searchCounts)[i] = n;
            }
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return -1;
}

int32_t CheckBadTriangles(int32_t centreFlag) {
    int32_t kept = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        if (r.a == 0 || r.b == 0 || r.apexBack == 0 || r.apexSearch == 0) continue;
        ++kept;
        // The state word stays with its slot.
        TinEdge& to = g_tinEdges[kept];
        to.a = r.a;
        to.b = r.b;
        to.apexBack = r.apexBack;
        to.apexSearch = r.apexSearch;
    }
    if (kept != g_tinEdgeCount) {
        g_tinEdgeCount = kept;
        if (g_tinEdgeCount + 1 < g_tinEdgesBlock.Size()) {
            TinEdge& end = g_tinEdges[g_tinEdgeCount + 1];
            end.a = end.b = end.apexBack = end.apexSearch = -1;
        }
    }

    std::vector<int32_t> searchCounts, backCounts;
    if (BuildTinAdjacency(&searchCounts, &backCounts, nullptr) == 0) return 0;
    int32_t bad = 0;
    int32_t firstBad = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (backCounts[i] <= 2) continue;
        TinEdge& r = g_tinEdges[i];
        r.a = -std::abs(r.a);
        r.b = -std::abs(r.b);
        if (firstBad == 0) firstBad = i;
        ++bad;
    }
    if (firstBad != 0 && centreFlag != 0) {
        const TinEdge& r = g_tinEdges[firstBad];
        double lowX = std::numeric_limits<double>::max(), highX = -lowX, lowY = lowX, highY = -lowX;
        for (int32_t p : {r.a, r.b, r.apexSearch, r.apexBack}) {
            p = std::abs(p);
            if (!IsPoint(p)) continue;
            lowX = std::min(lowX, g_points[p].x);
            highX = std::max(highX, g_points[p].x);
            lowY = std::min(lowY, g_points[p].y);
            highY = std::max(highY, g_points[p].y);
        }
        g_birdsEyeOn = 0;
        g_extentCenterX = g_viewCenterX = 0.5 * (lowX + highX);
        g_extentCenterY = g_viewCenterY = 0.5 * (lowY + highY);
    }
    return bad;
}

int32_t LocateTinTriangle(double x, double y, double* elevation) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        const int32_t ia = std::abs(r.a), ib = std::abs(r.b), is = std::abs(r.apexSearch);
        if (!IsPoint(ia) || !IsPoint(ib) || !IsPoint(is)) continue;
        const RandomPoint& a = g_points[ia];
        const RandomPoint& b = g_points[ib];
        const RandomPoint& s = g_points[is];
        if ((b.y - a.y) * (x - a.x) + (a.x - b.x) * (y - a.y) < 0) continue;
        if ((b.x - s.x) * (y - b.y) + (s.y - b.y) * (x - b.x) < 0) continue;
        if ((a.y - s.y) * (x - s.x) + (s.x - a.x) * (y - s.y) < 0) continue;
        if (elevation) {
            const double bx = b.x - a.x, by = b.y - a.y, bz = b.z - a.z;
            const double sx = s.x - a.x, sy = s.y - a.y, sz = s.z - a.z;
            const double nx = by * sz - bz * sy;
            const double ny = bz * sx - bx * sz;
            const double nz = bx * sy - by * sx;
            *elevation = nz == 0 ? a.z : a.z + (ny * (a.y - y) + nx * (a.x - x)) / nz;
        }
        return i;
    }
    return 0;
}

int32_t InterpolateInTriangle(double x1, double y1, double z1, double x2, double y2, double z2,
                              double x3, double y3, double z3, double x, double y,
                              double* elevation) {
    const double xs[4] = {x1, x2, x3, x1};
    const double ys[4] = {y1, y2, y3, y1};
    for (int k = 0; k < 3; ++k)
        if ((ys[k] - y) * (xs[k + 1] - x) - (xs[k] - x) * (ys[k + 1] - y) < 0) return 0;
    const double e = (y2 - y1) * (x3 - x1) - (y3 - y1) * (x2 - x1);
    if (e == 0) return 0;
    const double g = (z2 - z1) * (y3 - y1) - (y2 - y1) * (z3 - z1);
    const double f = (z3 - z1) * (x2 - x1) - (z2 - z1) * (x3 - x1);
    *elevation = z1 + (g * (x1 - x) + f * (y1 - y)) / e;
    return -1;
}

int32_t FindTinTriangleInBox(double x, double y, double* elevation) {
    if (!g_tinEdges) return 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        const int32_t ia = std::abs(r.a), ib = std::abs(r.b), is = std::abs(r.apexSearch);
        if (!IsPoint(ia) || !IsPoint(ib) || !IsPoint(is)) continue;
        const RandomPoint& a = g_points[ia];
        const RandomPoint& b = g_points[ib];
        const RandomPoint& s = g_points[is];
        if (x < std::min({a.x, b.x, s.x}) || x > std::max({a.x, b.x, s.x})) continue;
        if (y < std::min({a.y, b.y, s.y}) || y > std::max({a.y, b.y, s.y})) continue;
        if (InterpolateInTriangle(a.x, a.y, a.z, b.x, b.y, b.z, s.x, s.y, s.z, x, y, elevation) != 0) return i;
    }
    return 0;
}

int32_t GetTinZ(double x, double y) {
    double z = 0;
    const int32_t record = FindTinTriangleInBox(x, y, &z);
    if (record != 0) g_editPoint.z = z;
    return record;
}
