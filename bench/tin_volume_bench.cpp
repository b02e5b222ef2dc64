// The TIN-against-TIN volume over the jacksboro grid TIN (about 275,000 triangles) as the
// base, against the same TIN raised by a smooth function.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "model/tri_file.h"
#include "tin_bench_support.h"
#include "volume/tin_to_tin.h"

namespace {

std::filesystem::path PrepareBase() {
    if (!tin_bench::MakeJacksboroGrid()) return {};
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "nostrel_tin_volume_bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path rnd = folder / "base.RND";
    if (!WriteRndFile(rnd.string(), nullptr) || WriteTriFile(rnd) != 0) return {};
    for (int32_t i = 1; i <= g_pointCount; ++i)
        g_points[i].z += 1 + 0.5 * std::sin(g_points[i].x / 900) * std::cos(g_points[i].y / 700);
    return rnd;
}

void BM_TinToTinVolumeJacksboro(benchmark::State& state) {
    const std::filesystem::path base = PrepareBase();
    if (base.empty()) {
        state.SkipWithError("jacksboro grid TIN not available");
        return;
    }
    for (auto _ : state) {
        TinVolumeRequest q;
        benchmark::DoNotOptimize(CalcTinToTinVolume(base, &q));
        state.counters["plusVolume"] = q.plusVolume;
    }
    state.counters["triangles"] = g_tinEdgeCount / 1.5;
    ReleaseDataModel();
}
BENCHMARK(BM_TinToTinVolumeJacksboro)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
