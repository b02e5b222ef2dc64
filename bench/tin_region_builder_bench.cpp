// Region TIN builder (the menu's TIN calculation): uniformly random points in a square
// outline (fixed seed), the jacksboro scatter inside its automatic outline and the jacksboro
// grid with its boundary ring as the outline. Reports points per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/auto_outline.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

void SetOutline(const std::vector<int32_t>& vertices) {
    g_outline.Reset();
    for (int32_t v : vertices) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

int32_t AddPoint(double x, double y) {
    EnsurePointCapacity(g_pointCount + 1, 500000);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    SetPointEndMarker();
    return g_pointCount;
}

void MakeRandomSquare(int32_t n) {
    InitDataModel();
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng));
    SetOutline(
        {AddPoint(-1, -1), AddPoint(-1, 10001), AddPoint(10001, 10001), AddPoint(10001, -1)});
}

// From the project root the data lie in ../shared; from a worktree one more level up.
bool LoadJacksboro(const char* name) {
    InitDataModel();
    for (const char* up : {"../", "../../"}) {
        const std::string path = std::string(up) + "shared/data/jacksboro/" + name;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            g_pointCapacity = 200000;
            GrowPointBlock(g_pointCapacity);
            if (ReadRndText(f) != 0 || g_pointCount == 0) return false;
            g_pointsPresent = -1;
            return true;
        }
    }
    return false;
}

bool MakeJacksboroScatter() {
    if (!LoadJacksboro("jacksboro_scatter20k.RND")) return false;
    ComputeDataExtents(0);
    return BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)) ==
           kAutoOutlineDone;
}

bool MakeJacksboroGrid() {
    if (!LoadJacksboro("jacksboro_grid.RND")) return false;
    const int32_t rows = 344, columns = 403;
    if (g_pointCount != rows * columns) return false;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < rows; ++r) ring.push_back(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) ring.push_back(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    SetOutline(ring);
    return true;
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
            state.SkipWithError("../shared/data/jacksboro not found (run from the project root)");
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
