#include "hole_test_support.h"

#include "../support/cgal_inside.h"
#include "tin_cgal_support.h"

namespace holetest {

std::set<Triangle> CgalFacesOutsideHoles(const std::vector<std::vector<int32_t>>& holes) {
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

}  // namespace holetest
