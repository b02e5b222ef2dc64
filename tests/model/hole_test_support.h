#pragma once
// A jittered lattice with its TIN inside the lattice's border, and hole polygons that run
// along lattice lines (which are TIN edges for a small jitter).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_region_builder.h"
#include "tin_test_support.h"

namespace holetest {

using namespace tintest;

struct Lattice {
    int32_t n = 0;                 // points per side
    std::vector<int32_t> index;    // point number of (row, column)
    int32_t At(int32_t row, int32_t column) const { return index[row * n + column]; }

    // Ring of lattice points around the lattice cells (column, row) pairs given in order.
    std::vector<int32_t> Path(const std::vector<std::pair<int32_t, int32_t>>& corners) const {
        std::vector<int32_t> ring;
        for (size_t k = 0; k < corners.size(); ++k) {
            auto [c0, r0] = corners[k];
            auto [c1, r1] = corners[(k + 1) % corners.size()];
            const int32_t dc = (c1 > c0) - (c1 < c0), dr = (r1 > r0) - (r1 < r0);
            for (int32_t c = c0, r = r0; c != c1 || r != r1; c += dc, r += dr) ring.push_back(At(r, c));
        }
        return ring;
    }
};

// n x n points about `spacing` apart, each moved by up to `jitter` in X and Y; the outline
// runs through the border points; the TIN is built by the region builder.
inline Lattice BuildLatticeTin(int32_t n, double spacing, double jitter, uint32_t seed) {
    Lattice l;
    l.n = n;
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> d(-jitter, jitter);
    for (int32_t r = 0; r < n; ++r)
        for (int32_t c = 0; c < n; ++c)
            l.index.push_back(AddPoint(1000.0 + r * spacing + d(rng), 2000.0 + c * spacing + d(rng),
                                       50.0 + 0.1 * (r + c)));
    SetOutline(l.Path({{0, 0}, {n - 1, 0}, {n - 1, n - 1}, {0, n - 1}}));
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    g_tinEdgeCapacity = 4 * g_pointCount + 100;
    EXPECT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    g_tinPresent = -1;
    return l;
}

// Puts the ring into g_pickList2 (closed) and returns its vertex count.
inline int32_t SetPickPolygon(const std::vector<int32_t>& ring) {
    g_pickList2.Reset();
    for (int32_t p : ring) g_pickList2.Append(p);
    g_pickList2.Close();
    return g_pickList2.Count();
}

inline bool IsTinEdge(int32_t a, int32_t b) { return TinEdgeSet().count(Edge(a, b)) != 0; }

using Triangle = std::array<int32_t, 3>;
inline Triangle SortedTriangle(int32_t a, int32_t b, int32_t c) {
    Triangle t{std::abs(a), std::abs(b), std::abs(c)};
    std::sort(t.begin(), t.end());
    return t;
}

// Triangles held by records (search sides, and back sides when `backToo`); a record whose
// four fields are negative stands for a hole triangle.
inline std::set<Triangle> Triangles(bool holes, bool backToo) {
    std::set<Triangle> out;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        const bool hole = r.a < 0;
        if (hole != holes) continue;
        if (r.apexSearch != 0) out.insert(SortedTriangle(r.a, r.b, r.apexSearch));
        if (backToo && r.apexBack != kNoApex && r.apexBack != 0)
            out.insert(SortedTriangle(r.a, r.b, r.apexBack));
    }
    return out;
}

// The faces of CGAL's constrained Delaunay triangulation of the points with the outline
// and the hole rings as constraints, inside the outline and outside every hole.
std::set<Triangle> CgalFacesOutsideHoles(const std::vector<std::vector<int32_t>>& holes);

inline std::vector<TinEdge> RecordsCopy() {
    return std::vector<TinEdge>(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
}

inline bool SameBytes(const std::vector<TinEdge>& before) {
    return static_cast<int32_t>(before.size()) == g_tinEdgeCount &&
           std::memcmp(before.data(), g_tinEdges + 1, before.size() * sizeof(TinEdge)) == 0;
}

}  // namespace holetest
