#pragma once
// Crossings of the TIN's two surfaces (the hole-marked records and the others): every
// edge of one surface among the selected points against every triangle of the other.
#include <cstdint>
#include <vector>

#include "model/terrain_data.h"

constexpr int32_t kMaxIntersectionPoints = 100000;

// The distinct crossing points of the last CalcTinIntersections, X, Y and Z set and every
// other field 0.
extern std::vector<RandomPoint> g_intersectionResults;

// Segment P-Q against triangle T1 T2 T3: 1 and the crossing written into `out` (other
// fields 0), or 0. Bounded: only a crossing inside the segment and the triangle counts,
// and a segment with an end within 0.001 of a triangle vertex never crosses it.
int32_t IntersectTriangles3D(bool unbounded, const RandomPoint& t1, const RandomPoint& t2,
                             const RandomPoint& t3, const RandomPoint& p, const RandomPoint& q,
                             RandomPoint& out);

// Over the points carrying kPointFlagRectSelected: the number of distinct crossings, kept
// in g_intersectionResults; -1 while the progress window is open or when more than
// kMaxIntersectionPoints points are selected (with a message); -2 when the work memory
// cannot be had.
int32_t CalcTinIntersections();
