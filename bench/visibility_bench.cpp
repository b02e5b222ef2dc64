// Visibility on the Jacksboro grid TIN: the elevation grid from the TIN and one scan from
// the centre, at 2048 and 4096 cells a side. Both should grow about fourfold per doubling.
// For comparison, gdal_viewshed on the same 2048 grid takes about 0.16 s here.
#include <benchmark/benchmark.h>

#include "analysis/visibility.h"
#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"

namespace {
bool PrepareTin() {
    static bool ready = false;
    if (ready) return true;
    if (!tin_bench::MakeJacksboroGrid()) return false;
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ready = g_tinEdgeCount > 0;
    return ready;
}

void BM_BuildVisibilityGrid(benchmark::State& state) {
    if (!PrepareTin()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    g_visibilityGridSize = static_cast<int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(BuildVisibilityGrid());
}
BENCHMARK(BM_BuildVisibilityGrid)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_ScanVisibility(benchmark::State& state) {
    if (!PrepareTin()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    const int32_t n = static_cast<int32_t>(state.range(0));
    g_visibilityGridSize = n;
    BuildVisibilityGrid();
    const VisibilityGridBox& b = g_visibilityGridBox;
    const double north = (b.minNorth + b.maxNorth) / 2, east = (b.minEast + b.maxEast) / 2;
    const double ground = g_visibilityGrid[static_cast<size_t>(n / 2) * n + n / 2];
    g_visibilityObserver = VisibilityObserver{east, north, ground + 20.0, ground, 1};
    VisibilityImage image;
    InvisibleVisibilityImage(n, image);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanVisibility(kScanVisible, g_visibilityGrid.data(), image.bits.data(), image.stride));
}
BENCHMARK(BM_ScanVisibility)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);
}  // namespace
