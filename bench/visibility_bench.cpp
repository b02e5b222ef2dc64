// Visibility on the Jacksboro grid TIN: the elevation grid from the TIN and one scan from
// the centre. Both should grow about fourfold per doubling. Measured here (8 cores shared,
// load about 20): grid 88 / 112 / 303 ms at 1024 / 2048 / 4096, scan 97 / 416 ms at
// 2048 / 4096. gdal_viewshed on the same 2048 grid takes 0.16 s idle, 0.25 s loaded.
// Before the grid was mapped on huge pages a fresh 4096 grid took about 1.2 s, nearly all
// of it in page faults on first touch.
#include <benchmark/benchmark.h>

#include "analysis/visibility.h"
#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"

namespace {
bool PrepareTin() {
    static bool ready = false;
    if (!ready) ready = tin_bench::MakeJacksboroGridTin();
    return ready;
}

void BM_BuildVisibilityGrid(benchmark::State& state) {
    if (!PrepareTin()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    g_visibilityGridSize = static_cast<int32_t>(state.range(0));
    // Each build starts without a grid, as after a change of the map size.
    for (auto _ : state) {
        FreeVisibilityGrid();
        benchmark::DoNotOptimize(BuildVisibilityGrid());
    }
}
BENCHMARK(BM_BuildVisibilityGrid)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond);

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
