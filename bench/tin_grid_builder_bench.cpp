// Grid TIN builder: uniformly random points in a square outline (fixed seed) and the
// jacksboro grid with its boundary ring as the outline. Reports points per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "tin_bench_support.h"
#include "platform/message_box.h"

namespace {

using namespace tin_bench;

void Build(benchmark::State& state) {
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        GrowTinEdgeBlock(g_tinEdgeCapacity);
    }
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    if (LastTinBuildResult() != TinBuildResult::kComplete) state.SkipWithError("the build did not complete");
}

void BM_RandomSquare(benchmark::State& state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        MakeRandomSquare(n);
        state.ResumeTiming();
        Build(state);
    }
    state.counters["edges"] = g_tinEdgeCount;
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(n) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
    ReleaseDataModel();
}
BENCHMARK(BM_RandomSquare)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JacksboroGrid(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!MakeJacksboroGrid()) {
            state.SkipWithError("data/jacksboro/jacksboro_grid.RND not found");
            return;
        }
        state.ResumeTiming();
        Build(state);
    }
    state.counters["edges"] = g_tinEdgeCount;
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(g_pointCount) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
    ReleaseDataModel();
}
BENCHMARK(BM_JacksboroGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
