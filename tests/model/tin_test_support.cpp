#include "tin_cgal_support.h"

#include "../support/cgal_inside.h"

namespace tintest {

std::vector<Point> OutlinePolygon() {
    std::vector<Point> poly;
    for (int32_t i = 1; i <= g_outline.Count(); ++i) poly.push_back(MapPoint(g_outline[i]));
    return poly;
}

std::vector<int32_t> OutlineRing() {
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

std::vector<Point> OutlineRingPolygon() {
    std::vector<Point> poly;
    for (int32_t p : OutlineRing()) poly.push_back(MapPoint(p));
    return poly;
}

std::vector<int32_t> PointsInsideByCgal() {
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

std::set<std::pair<int32_t, int32_t>> CgalOutlineEdges(const std::vector<int32_t>& points) {
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

TinCheck CheckTin() {
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

double OutlineArea() {
    const std::vector<Point> poly = OutlineRingPolygon();
    return std::fabs(CGAL::polygon_area_2(poly.begin(), poly.end(), Kernel()));
}

}  // namespace tintest
