// The passes that rework a finished TIN, on the jacksboro grid's TIN (138,632 points, whole-
// metre heights): the watershed search from an edge on a valley floor, the ridge and
// valley correction, and the flat-point marking. Each run starts from the same TIN.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "contour_bench_support.h"
#include "model/flat_points.h"
#include "model/ridge_valley.h"
#include "model/terrain_data.h"
#include "model/watershed.h"

namespace {

struct Saved {
    std::vector<TinEdge> records;
    std::vector<RandomPoint> points;
    void Keep() {
        records.assign(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
        points.assign(g_points + 1, g_points + 1 + g_pointCount);
    }
    void Restore() const {
        std::copy(records.begin(), records.end(), g_tinEdges + 1);
        std::copy(points.begin(), points.end(), g_points + 1);
    }
};

bool Load(Saved& saved) {
    if (!LoadJacksboroTin()) return false;
    saved.Keep();
    return true;
}

// The search from the record at the middle of the TIN, however far it spreads; on the
// terrain (level false), and with every point at one elevation, where every plane test
// passes and the search covers the whole TIN.
template <bool level>
void WatershedSearch(benchmark::State& state) {
    Saved saved;
    if (!Load(saved)) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    if (level) {
        for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].z = 0;
        saved.Keep();
    }
    const int32_t start = g_tinEdgeCount / 2;
    int64_t marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        saved.Restore();
        state.ResumeTiming();
        ToggleEdgeMark(start, 0);
        ToggleEdgeMark(-1, -1);
    }
    ToggleEdgeMark(start, 0);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) marked += IsWatershedMarked(i);
    state.counters["records_marked"] = static_cast<double>(marked);
}
BENCHMARK(WatershedSearch<false>)->Name("WatershedSearch")->Unit(benchmark::kMillisecond);
BENCHMARK(WatershedSearch<true>)->Name("WatershedSearchWholeTin")->Unit(benchmark::kMillisecond);

void RidgeValleyCorrection(benchmark::State& state) {
    Saved saved;
    if (!Load(saved)) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    int32_t flipped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        saved.Restore();
        state.ResumeTiming();
        flipped = CorrectRidgesValleys(0, 1, 2);
    }
    state.counters["flipped"] = flipped;
}
BENCHMARK(RidgeValleyCorrection)->Unit(benchmark::kMillisecond);

void FlatPoints(benchmark::State& state) {
    Saved saved;
    if (!Load(saved)) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    int32_t marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        saved.Restore();
        state.ResumeTiming();
        marked = DeleteFlatPoints(5);
    }
    state.counters["marked"] = marked;
}
BENCHMARK(FlatPoints)->Unit(benchmark::kMillisecond);

}  // namespace
