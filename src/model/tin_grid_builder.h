#pragma once
// The grid TIN builder: a Delaunay TIN of the valid points inside the outline, grown as an
// advancing front from the outline sides. A bucket grid over the outline keeps every
// candidate search local.
#include <cstdint>

#include "model/tin_build_support.h"

// Duplicate-point judging distance in metres (0.001 at start); also the seed of the
// builder's tie tolerance.
extern double g_dupTolerance;

// Tie tolerance of the TIN builders (2e-7 at start) with its square and its negative;
// BuildTinGrid derives it from g_dupTolerance for the time of a build.
extern double g_tinEpsilon;
extern double g_tinEpsilonSquared;
extern double g_tinEpsilonNegative;

// The tie tolerance a build uses for a duplicate tolerance.
double TinEpsilonForDupTolerance(double dupTolerance);

// Builds the TIN from g_outline (oriented by OrientPolygonClockwise, points classified by
// MarkPointsOutsideOutline) and the valid points whose outside byte is 0: the constrained
// Delaunay triangulation with the outline sides as constraints; valid points on a side are
// vertices of the outline. No new side crosses the outline. The TIN edge block grows as
// needed. Shows the progress window while it runs (unless the caller has one open); Q asks
// to stop, the left button shows the TIN so far.
// A build that does not complete leaves the TIN it found. However it ends, the TIN edge
// array is closed by its end record after g_tinEdgeCount records and g_tinPresent tells
// whether a TIN exists.
void BuildTinGrid();
