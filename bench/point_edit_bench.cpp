// Unused-point deletion on the Jacksboro grid with its TIN and 50,000 unused invalid
// points (answered No, as the D key usually is), and appends of 100,000 generated points
// at three sizes to show that they grow linearly.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "pointedit/generated_points.h"
#include "pointedit/unused_points.h"
#include "tin_bench_support.h"

namespace {

std::vector<RandomPoint> g_setUp;  // the grid, its TIN built, and the extras
std::vector<TinEdge> g_setUpEdges;
std::vector<int32_t> g_setUpOutline;

bool PrepareOnce() {
    if (!g_setUp.empty()) return true;
    if (!tin_bench::MakeJacksboroGrid()) return false;
    const int32_t gridCount = g_pointCount;
    g_tinEdgeCapacity = 4 * g_pointCount;
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<int32_t> node(1, gridCount);
    std::uniform_real_distribution<double> jitter(-30.0, 30.0);
    EnsurePointCapacity(gridCount + 50010, 100000);
    for (int32_t k = 0; k < 50000; ++k) {
        RandomPoint p = g_points[node(rng)];
        p.x += jitter(rng);
        p.y += jitter(rng);
        p.flags = 0;
        p.invalid = 1;
        g_points[++g_pointCount] = p;
    }
    SetPointEndMarker();
    g_setUp.assign(g_points, g_points + g_pointCount + 2);
    g_setUpEdges.assign(g_tinEdges, g_tinEdges + g_tinEdgeCount + 2);
    g_setUpOutline.assign(g_outline.Data(), g_outline.Data() + g_outline.Count() + 2);
    return true;
}

void Restore() {
    EnsurePointCapacity(static_cast<int32_t>(g_setUp.size()), 100000);
    std::copy(g_setUp.begin(), g_setUp.end(), g_points);
    g_pointCount = static_cast<int32_t>(g_setUp.size()) - 2;
    std::copy(g_setUpEdges.begin(), g_setUpEdges.end(), g_tinEdges);
    g_tinEdgeCount = static_cast<int32_t>(g_setUpEdges.size()) - 2;
    std::copy(g_setUpOutline.begin(), g_setUpOutline.end(), g_outline.Data());
    g_pointsPresent = -1;
}

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
