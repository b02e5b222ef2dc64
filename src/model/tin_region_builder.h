#pragma once
// The region TIN builder of the menu's TIN calculation: the advancing front and Delaunay
// choice of the grid builder, with the candidates of an open side taken from an 8 x 8
// partition of the outline's box into square regions (the side's region and its
// neighbours, or all points when that is not enough), a fixed tie tolerance of 1e-6 and its
// own progress window.
//
// The candidates, the existing sides and the outline sides are found through lookups that
// give exactly the answer of a scan over all of them in the original order, so the TIN is
// the one the scans would make, at a cost near linear in the points.
#include <cstdint>
#include <vector>

#include "model/tin_build_support.h"

// -1 while the TIN calculation command builds; the command does nothing while it is set.
extern int32_t g_tinCalcBusy;

constexpr int32_t kRegionBands = 8;
constexpr int32_t kRegionCount = kRegionBands * kRegionBands;

// Region number = 8 x (X band - 1) + Y band, bands 1..8 from the low side.
struct TinRegion {
    int32_t start = 0;  // first entry of the region's run in the region point list
    int32_t count = 0;
    double lowX = 0, lowY = 0, highX = 0, highY = 0;
    double centerX = 0, centerY = 0;
};

struct TinRegionPartition {
    double side = 0;                      // t, the side of every (square) region
    TinRegion regions[kRegionCount + 1];  // 1..64
    std::vector<int32_t> pointRegion;     // per point 1..g_pointCount: its region, 0 none
    std::vector<int32_t> list;            // point numbers grouped by region, in point order
};

// Mode 1: the box of the outline vertices, and the points with invalid flag 0 and outside
// byte 0; mode 0: the box of all points, and every point. False (nothing assigned) when
// the box has nothing to come from.
bool AssignPointsToRegions(int32_t mode, TinRegionPartition& partition);

// The regions a search from region k (1..64) scans, in scan order: k, then its neighbours
// within the partition (4 for a corner, 6 on an edge, 9 inside).
std::vector<int32_t> RegionBlock(int32_t k);

// Builds the TIN inside g_outline (closed, oriented by OrientPolygonClockwise, points
// classified into their outside byte) from the valid points inside it. The argument is
// not used (callers pass 0). Valid points on an outline side are vertices of the outline.
// A build that does not complete leaves the TIN it found. However it ends, the edge array
// is closed by its end record after g_tinEdgeCount records and g_tinPresent tells whether a
// TIN exists; LastTinBuildResult says how it ended.
void BuildTinRegions(int32_t unused);

// Tests: make every search a scan over all candidates, records and outline sides in order,
// the way the method was first written. Both ways give the same TIN.
void SetTinRegionLinearScans(bool on);
