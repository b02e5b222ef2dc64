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
inline std::set<Triangle> CgalFacesOutsideHoles(const std::vector<std::vector<int32_t>>& holes) {
    using Vb = CGAL::Triangulation_vertex_base_with_info_2<int32_t, Kernel>;
    using Fb0 = CGAL::Constrained_triangulation_face_base_2<Kernel>;
    using Fb = CGAL::Triangulation_face_base_with_info_2<int, Kernel, Fb0>;
    using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
    using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds, CGAL::Exact_predicates_tag>;
    std::vector<std::pair<Point, int32_t>> input;
    for (int32_t p = 1; p <= g_pointCount; ++p) input.emplace_back(MapPoint(p), p);
    Cdt cdt;
    cdt.insert(input.begin(), input.end());
    std::map<int32_t, Cdt::Vertex_handle> handle;
    for (auto v = cdt.finite_vertices_begin(); v != cdt.finite_vertices_end(); ++v) handle[v->info()] = v;
    std::vector<std::vector<int32_t>> rings = holes;
    std::vector<int32_t> outline;
    for (int32_t i = 1; i <= g_outline.Count(); ++i) outline.push_back(g_outline[i]);
    rings.push_back(outline);
    for (const auto& ring : rings)
        for (size_t i = 0; i < ring.size(); ++i)
            cdt.insert_constraint(handle[ring[i]], handle[ring[(i + 1) % ring.size()]]);
    MarkConstraintDepths(cdt);  // odd: inside the outline and outside every hole
    std::set<Triangle> faces;
    for (auto f = cdt.finite_faces_begin(); f != cdt.finite_faces_end(); ++f)
        if (f->info() % 2 == 1)
            faces.insert(SortedTriangle(f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()));
    return faces;
}

inline std::vector<TinEdge> RecordsCopy() {
    return std::vector<TinEdge>(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
}

inline bool SameBytes(const std::vector<TinEdge>& before) {
    return static_cast<int32_t>(before.size()) == g_tinEdgeCount &&
           std::memcmp(before.data(), g_tinEdges + 1, before.size() * sizeof(TinEdge)) == 0;
}

}  // namespace holetest
