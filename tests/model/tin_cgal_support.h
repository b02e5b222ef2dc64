#pragma once
// CGAL's points of the map for the TIN tests that use its predicates themselves.
#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_2_algorithms.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include "tin_test_support.h"

namespace tintest {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
// CGAL points are (Y, X): east to the right, north up, as drawn on the map, so CGAL's
// counterclockwise is the map's counterclockwise.
using Point = Kernel::Point_2;

inline Point MapPoint(int32_t p) { return Point(g_points[p].y, g_points[p].x); }

// The map polygon of the outline (counterclockwise on the map after orientation).
std::vector<Point> OutlinePolygon();

// The map polygon of OutlineRing().
std::vector<Point> OutlineRingPolygon();

}  // namespace tintest
