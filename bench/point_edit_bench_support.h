#pragma once
// The set-up shared by the point-editing benchmarks: the Jacksboro grid with its TIN and
// extra points that no triangle uses, copied once and put back before each run.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"

namespace point_edit_bench {

// The grid with its TIN built inside its outline, then `extras` invalid points: copies of
// random grid nodes moved up to 30 m each way. `step` is the point block's growth.
inline bool MakeGridWithUnusedPoints(int32_t extras, uint64_t seed, int32_t step) {
    if (!tin_bench::MakeJacksboroGrid()) return false;
    const int32_t gridCount = g_pointCount;
    g_tinEdgeCapacity = 4 * g_pointCount;
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int32_t> node(1, gridCount);
    std::uniform_real_distribution<double> jitter(-30.0, 30.0);
    EnsurePointCapacity(gridCount + extras + 10, step);
    for (int32_t k = 0; k < extras; ++k) {
        RandomPoint p = g_points[node(rng)];
        p.x += jitter(rng);
        p.y += jitter(rng);
        p.flags = 0;
        p.invalid = 1;
        g_points[++g_pointCount] = p;
    }
    SetPointEndMarker();
    return true;
}

// The points and TIN (with their end records), and the outline when asked for.
struct ModelCopy {
    std::vector<RandomPoint> points;
    std::vector<TinEdge> edges;
    std::vector<int32_t> outline;

    bool empty() const { return points.empty(); }
    int32_t PointCount() const { return static_cast<int32_t>(points.size()) - 2; }

    void Take(bool withOutline) {
        points.assign(g_points, g_points + g_pointCount + 2);
        edges.assign(g_tinEdges, g_tinEdges + g_tinEdgeCount + 2);
        if (withOutline) outline.assign(g_outline.Data(), g_outline.Data() + g_outline.Count() + 2);
    }

    void Restore(int32_t step) const {
        EnsurePointCapacity(static_cast<int32_t>(points.size()), step);
        std::copy(points.begin(), points.end(), g_points);
        g_pointCount = PointCount();
        std::copy(edges.begin(), edges.end(), g_tinEdges);
        g_tinEdgeCount = static_cast<int32_t>(edges.size()) - 2;
        std::copy(outline.begin(), outline.end(), g_outline.Data());
        g_pointsPresent = -1;
    }
};

}  // namespace point_edit_bench
