// Unused-point deletion on the Jacksboro grid with its TIN and 50,000 unused invalid
// points (answered No, as the D key usually is), and appends of 100,000 generated points
// at three sizes to show that they grow linearly.
#include <benchmark/benchmark.h>

#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "point_edit_bench_support.h"
#include "pointedit/generated_points.h"
#include "pointedit/unused_points.h"

namespace {

point_edit_bench::ModelCopy g_setUp;  // the grid, its TIN built, and the extras

bool PrepareOnce() {
    if (!g_setUp.empty()) return true;
    if (!point_edit_bench::MakeGridWithUnusedPoints(50000, 5, 100000)) return false;
    g_setUp.Take(true);
    return true;
}

void Restore() { g_setUp.Restore(100000); }

void BM_DeleteUnusedPoints(benchmark::State& state) {
    if (!PrepareOnce()) {
        state.SkipWithError("Jacksboro grid not found");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Restore();
        QueueMessageAnswer(msg::kIdNo);
        state.ResumeTiming();
        DeleteUnusedPoints();
        benchmark::DoNotOptimize(g_pointCount);
    }
    state.counters["kept"] = g_pointCount;
}
BENCHMARK(BM_DeleteUnusedPoints)->Unit(benchmark::kMillisecond);

void BM_AppendGeneratedPoints(benchmark::State& state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        InitDataModel();
        state.ResumeTiming();
        for (int32_t k = 0; k < n; ++k) AppendGeneratedPoint(k, 2.0 * k, 0.5 * k, "GEN");
        benchmark::DoNotOptimize(g_pointCount);
    }
    state.SetComplexityN(n);
    state.counters["points"] = g_pointCount;
}
BENCHMARK(BM_AppendGeneratedPoints)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
