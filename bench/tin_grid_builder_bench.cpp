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
#include "platform/message_box.h"

namespace {

void AddPoint(double x, double y, double z) {
    EnsurePointCapacity(g_pointCount + 1, 500000);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
}

void SetOutline(const std::vector<int32_t>& vertices) {
    g_outline.Reset();
    for (int32_t v : vertices) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

void MakeRandomSquare(int32_t n) {
    InitDataModel();
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng), 0.0);
    AddPoint(-1, -1, 0);
    AddPoint(-1, 10001, 0);
    AddPoint(10001, 10001, 0);
    AddPoint(10001, -1, 0);
    SetOutline({n + 1, n + 2, n + 3, n + 4});
    SetPointEndMarker();
}

// The jacksboro grid (rows from the north edge, as written) with the ring of its boundary
// nodes as the outline. False when the file is not there.
bool MakeJacksboroGrid() {
    InitDataModel();
    // From the project root the data lie in ../shared; from a worktree one more level up.
    std::ifstream in;
    for (const char* up : {"../", "../../"}) {
        in.open(std::string(up) + "shared/data/jacksboro/jacksboro_grid.RND", std::ios::binary);
        if (in) break;
    }
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 48 || line[0] == '*') continue;
        AddPoint(std::stod(line.substr(10, 14)), std::stod(line.substr(24, 14)), std::stod(line.substr(38, 10)));
    }
    SetPointEndMarker();
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
            state.SkipWithError("../shared/data/jacksboro/jacksboro_grid.RND not found (run from the project root)");
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
