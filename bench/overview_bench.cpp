// The overview's thumbnail of the Jacksboro grid (138,632 points, its TIN) in a 400 x 300
// window: the fit-mode projection of every record and the drawing of TIN lines, points
// and the view's frame. Reports milliseconds per thumbnail; it should stay under 30 ms.
#include <benchmark/benchmark.h>

#include "contour_bench_support.h"
#include "view/overview.h"
#include "view/view_transform.h"

namespace {
void BM_OverviewThumbnail(benchmark::State& state) {
    static const bool loaded = LoadJacksboroTin();
    if (!loaded) {
        state.SkipWithError("jacksboro_grid.RND not found or its TIN not built");
        return;
    }
    ComputeDataExtents(0);
    g_viewCenterX = g_extentCenterX;
    g_viewCenterY = g_extentCenterY;
    g_viewScale = 0.05;
    size_t lit = 0;
    for (auto _ : state) {
        const OverviewImage image = DrawOverviewThumbnail(400, 300, 1920, 1080);
        lit += image.pixels[image.pixels.size() / 2];
        benchmark::DoNotOptimize(lit);
    }
    state.SetLabel("400 x 300 thumbnail");
}
BENCHMARK(BM_OverviewThumbnail)->Unit(benchmark::kMillisecond);
}  // namespace
