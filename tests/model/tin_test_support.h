#pragma once
// Fixtures and checks shared by the TIN tests: building point sets and outlines, reading
// the jacksboro RND files, and comparing a TIN with CGAL's (constrained) Delaunay
// triangulation and its exact predicates.
#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../support/survey_data.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "view/view_state.h"
#include "../support/cgal_inside.h"

namespace tintest {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
// CGAL points are (Y, X): east to the right, north up, as drawn on the map, so CGAL's
// counterclockwise is the map's counterclockwise.
using Point = Kernel::Point_2;

inline Point MapPoint(int32_t p) { return Point(g_points[p].y, g_points[p].x); }

inline int32_t AddPoint(double x, double y, double z = 0.0) {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    const int32_t i = ++g_pointCount;
    RandomPoint& p = g_points[i];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::snprintf(p.name, sizeof p.name, "P%d", i % 10000000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

// Makes the given points the outline (closed, vertices marked).
inline void SetOutline(const std::vector<int32_t>& vertices) {
    g_outline.Reset();
    for (int32_t v : vertices) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

inline std::string JacksboroFile(const std::string& name) { return SurveyFile(name).string(); }

// Loads the points of an RND file with the program's reader.
inline int32_t LoadRndPoints(const std::string& path) {
    g_pointCapacity = 200000;
    EXPECT_EQ(GrowPointBlock(g_pointCapacity), 0);
    EXPECT_EQ(ReadRndText(std::fopen(path.c_str(), "rb")), 0) << path;
    g_pointsPresent = -1;
    return g_pointCount;
}

inline std::pair<int32_t, int32_t> Edge(int32_t a, int32_t b) { return {std::min(a, b), std::max(a, b)}; }

// The map polygon of the outline (counterclockwise on the map after orientation).
inline std::vector<Point> OutlinePolygon() {
    std::vector<Point> poly;
    for (int32_t i = 1; i <= g_outline.Count(); ++i) poly.push_back(MapPoint(g_outline[i]));
    return poly;
}

// The outline as the TIN has it: a valid point within the duplicate tolerance of a side,
// and farther than that from the side's ends, lies on the outline and splits the side.
inline std::vector<int32_t> OutlineRing() {
    const double tolerance2 = g_dupTolerance * g_dupTolerance;
    const int32_t n = g_outline.Count();
    std::set<int32_t> taken;
    for (int32_t i = 1; i <= n; ++i) taken.insert(g_outline[i]);
    std::vector<int32_t> ring;
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t a = g_outline[i], b = g_outline[i % n + 1];
        ring.push_back(a);
        const Kernel::Segment_2 side(MapPoint(a), MapPoint(b));
        const CGAL::Bbox_2 box = side.bbox();
        std::vector<std::pair<double, int32_t>> on;
        for (int32_t p = 1; p <= g_pointCount; ++p) {
            const RandomPoint& pt = g_points[p];
            if (pt.invalid != 0 || pt.y < box.xmin() - g_dupTolerance ||
                pt.y > box.xmax() + g_dupTolerance || pt.x < box.ymin() - g_dupTolerance ||
                pt.x > box.ymax() + g_dupTolerance || taken.count(p))
                continue;
            const Point q = MapPoint(p);
            if (CGAL::squared_distance(side, q) <= tolerance2 &&
                CGAL::squared_distance(side.source(), q) > tolerance2 &&
                CGAL::squared_distance(side.target(), q) > tolerance2) {
                on.emplace_back(CGAL::squared_distance(side.source(), q), p);
                taken.insert(p);
            }
        }
        std::sort(on.begin(), on.end());
        for (const auto& [key, p] : on) ring.push_back(p);
    }
    return ring;
}

inline std::vector<Point> OutlineRingPolygon() {
    std::vector<Point> poly;
    for (int32_t p : OutlineRing()) poly.push_back(MapPoint(p));
    return poly;
}

// Points that CGAL puts inside the outline (or on it), by its exact predicate.
inline std::vector<int32_t> PointsInsideByCgal() {
    const std::vector<Point> poly = OutlineRingPolygon();
    std::vector<int32_t> inside;
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        if (g_points[p].invalid != 0) continue;
        if ((g_points[p].flags & kPointFlagOutline) ||
            CGAL::bounded_side_2(poly.begin(), poly.end(), MapPoint(p), Kernel()) != CGAL::ON_UNBOUNDED_SIDE)
            inside.push_back(p);
    }
    return inside;
}

// Edges of the constrained Delaunay triangulation of the given points with the outline
// sides as constraints, restricted to the inside of the outline.
inline std::set<std::pair<int32_t, int32_t>> CgalOutlineEdges(const std::vector<int32_t>& points) {
    using Vb = CGAL::Triangulation_vertex_base_with_info_2<int32_t, Kernel>;
    using Fb0 = CGAL::Constrained_triangulation_face_base_2<Kernel>;
    using Fb = CGAL::Triangulation_face_base_with_info_2<int, Kernel, Fb0>;
    using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
    using Cdt = CGAL::Constrained_Delaunay_triangulation_2<Kernel, Tds, CGAL::Exact_predicates_tag>;
    std::vector<std::pair<Point, int32_t>> input;
    for (int32_t p : points) input.emplace_back(MapPoint(p), p);
    Cdt cdt;
    cdt.insert(input.begin(), input.end());
    std::map<int32_t, Cdt::Vertex_handle> handle;
    for (auto v = cdt.finite_vertices_begin(); v != cdt.finite_vertices_end(); ++v) handle[v->info()] = v;
    const std::vector<int32_t> ring = OutlineRing();
    const size_t n = ring.size();
    for (size_t i = 0; i < n; ++i)
        cdt.insert_constraint(handle[ring[i]], handle[ring[(i + 1) % n]]);
    MarkConstraintDepths(cdt);  // odd depths lie inside the outline
    std::set<std::pair<int32_t, int32_t>> edges;
    for (auto f = cdt.finite_faces_begin(); f != cdt.finite_faces_end(); ++f) {
        if (f->info() % 2 != 1) continue;
        for (int k = 0; k < 3; ++k) edges.insert(Edge(f->vertex(k)->info(), f->vertex((k + 1) % 3)->info()));
    }
    return edges;
}

inline std::set<std::pair<int32_t, int32_t>> TinEdgeSet() {
    std::set<std::pair<int32_t, int32_t>> edges;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        edges.insert(Edge(std::abs(g_tinEdges[i].a), std::abs(g_tinEdges[i].b)));
    return edges;
}

struct TinCheck {
    int32_t openRecords = 0;       // search apex still 0
    int32_t badTurns = 0;          // a search-side triangle not strictly counterclockwise
    int32_t duplicateEdges = 0;    // two records for one edge
    int32_t notLocallyDelaunay = 0;  // the back apex strictly inside the search-side circle
    int32_t triangles = 0;
    double area = 0;               // sum of the triangles' areas
};

// Checks the TIN's records with exact predicates: every record closed, every triangle
// counterclockwise, no edge twice, and every interior edge locally Delaunay, which for a
// proper triangulation means no circumcircle holds a point.
inline TinCheck CheckTin() {
    TinCheck c;
    std::set<std::pair<int32_t, int32_t>> edges;
    std::set<std::array<int32_t, 3>> triangles;
    auto addTriangle = [&](int32_t a, int32_t b, int32_t s) {
        std::array<int32_t, 3> t{a, b, s};
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        if (triangles.insert(t).second) {
            ++c.triangles;
            c.area += std::fabs(CGAL::area(MapPoint(a), MapPoint(b), MapPoint(s)));
        }
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        if (!edges.insert(Edge(r.a, r.b)).second) ++c.duplicateEdges;
        if (r.apexSearch == 0) {
            ++c.openRecords;
            continue;
        }
        const Point a = MapPoint(r.a), b = MapPoint(r.b), s = MapPoint(r.apexSearch);
        if (CGAL::orientation(a, b, s) != CGAL::LEFT_TURN) ++c.badTurns;
        addTriangle(r.a, r.b, r.apexSearch);
        if (r.apexBack > 0) {
            const Point back = MapPoint(r.apexBack);
            if (CGAL::orientation(b, a, back) != CGAL::LEFT_TURN) ++c.badTurns;
            addTriangle(r.b, r.a, r.apexBack);
            if (CGAL::side_of_oriented_circle(a, b, s, back) == CGAL::ON_POSITIVE_SIDE) ++c.notLocallyDelaunay;
        }
    }
    return c;
}

// A TIN from before a build: records that a build which does not complete must leave as
// they were, marked present.
class PreviousTin {
public:
    PreviousTin() {
        g_tinEdgeCount = 0;
        for (int32_t i = 1; i <= 3; ++i)
            g_tinEdges[++g_tinEdgeCount] = TinEdge{i, i % 3 + 1, kNoApex, -7, 5};
        SetTinEndRecord();
        g_tinPresent = -1;
        g_showTin = 0;
        m_records.assign(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
    }
    void ExpectBack() const {
        ASSERT_EQ(g_tinEdgeCount, static_cast<int32_t>(m_records.size()));
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            const TinEdge& w = m_records[i - 1];
            EXPECT_TRUE(r.a == w.a && r.b == w.b && r.apexBack == w.apexBack &&
                        r.apexSearch == w.apexSearch && r.state == w.state)
                << "record " << i;
        }
        EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
        EXPECT_EQ(g_tinPresent, -1);
        EXPECT_EQ(g_showTin, 0);
    }

private:
    std::vector<TinEdge> m_records;
};

inline double OutlineArea() {
    const std::vector<Point> poly = OutlineRingPolygon();
    return std::fabs(CGAL::polygon_area_2(poly.begin(), poly.end(), Kernel()));
}

}  // namespace tintest
