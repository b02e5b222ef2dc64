// Mesh node elevations from the jacksboro grid TIN (about 275,000 triangles): a 5120 m
// square mesh, turned by 30 degrees, in the middle of the survey at 40, 20 and 10 m
// pitches. The time per node should stay flat as the node count grows fourfold per step.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_tin.h"

namespace {

bool PrepareTin() {
    static bool ready = false;
    if (ready) return true;
    if (!tin_bench::MakeJacksboroGrid()) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ready = g_tinEdgeCount > 0;
    return ready;
}

void BM_CalcMeshFromTinJacksboro(benchmark::State& state) {
    if (!PrepareTin()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    double minX = g_points[1].x, maxX = minX, minY = g_points[1].y, maxY = minY;
    for (int32_t i = 2; i <= g_pointCount; ++i) {
        minX = std::min(minX, g_points[i].x), maxX = std::max(maxX, g_points[i].x);
        minY = std::min(minY, g_points[i].y), maxY = std::max(maxY, g_points[i].y);
    }
    const double pitch = static_cast<double>(state.range(0));
    g_meshRotation = 30;
    g_meshLength = g_meshWidth = 5120;
    g_meshPitchLength = g_meshPitchWidth = pitch;
    g_meshOriginX = g_meshOriginY = 0;
    double cx, cy;
    CurrentMeshFrame().ToMap(2560, 2560, &cx, &cy);
    g_meshOriginX = (minX + maxX) / 2 - cx;
    g_meshOriginY = (minY + maxY) / 2 - cy;
    g_meshAreaDefined = 1;
    for (auto _ : state) benchmark::DoNotOptimize(CalcMeshFromTin(kMissingLowest, 0, 0, 0));
    int32_t valid = 0;
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) valid += g_meshNodes.Data()[i].valid;
    state.counters["nodes"] = g_meshNodeCount;
    state.counters["validNodes"] = valid;
    state.counters["perNode"] =
        benchmark::Counter(static_cast<double>(g_meshNodeCount), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_CalcMeshFromTinJacksboro)->Arg(40)->Arg(20)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
