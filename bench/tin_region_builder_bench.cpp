// Region TIN builder (the menu's TIN calculation): uniformly random points in a square
// outline (fixed seed), the jacksboro scatter inside its automatic outline and the jacksboro
// grid with its boundary ring as the outline. Reports points per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/auto_outline.h"
#include "tin_bench_support.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

using namespace tin_bench;

bool MakeJacksboroScatter() {
    if (!LoadJacksboro("jacksboro_scatter20k.RND")) return false;
    ComputeDataExtents(0);
    return BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)) ==
           kAutoOutlineDone;
}


void Build(benchmark::State& state) {
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        GrowTinEdgeBlock(g_tinEdgeCapacity);
    }
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
    ClearRecordedMessages();
    if (LastTinBuildResult() != TinBuildResult::kComplete)
        state.SkipWithError("the build did not complete");
}

template <bool (*Make)()>
void BM_Jacksboro(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!Make()) {
            state.SkipWithError("data/jacksboro not found");
            return;
        }
        state.ResumeTiming();
        Build(state);
    }
    state.counters["points"] = g_pointCount;
    state.counters["edges"] = g_tinEdgeCount;
    state.counters["points/s"] = benchmark::Counter(
        static_cast<double>(g_pointCount) * state.iterations(), benchmark::Counter::kIsRate);
    ReleaseDataModel();
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

}  // namespace

BENCHMARK(BM_RandomSquare)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Jacksboro<MakeJacksboroScatter>)
    ->Name("BM_JacksboroScatter20k")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Jacksboro<MakeJacksboroGrid>)
    ->Name("BM_JacksboroGrid")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
