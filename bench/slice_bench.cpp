// The slice-area calculation on the jacksboro grid's TIN (built once with the grid
// builder), ground space (range mode 1), levels 300..1000 every 10 m and every 1 m; then
// the average-end-area quantities and the area list over the lines of the 10 m run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "contour/elevation_table.h"
#include "contour/slice_line_tool.h"
#include "contour/slice_lines.h"
#include "contour/slice_quantities.h"
#include "contour/slice_store.h"
#include "contour_bench_support.h"
#include "model/progress.h"
#include "platform/message_box.h"

namespace {

SliceCalcSettings GroundSpace() {
    SliceCalcSettings s;
    s.rangeMode = 1;
    return s;
}

std::vector<SliceLevelArea> Levels(double step) {
    std::vector<SliceLevelArea> rows;
    for (int k = 0; 300 + k * step <= 1000; ++k) rows.push_back({300 + k * step, 0, 0});
    return rows;
}

// Levels 300..1000 every `step` m in the table, their lines of one calculation in the store.
bool CalculateTable(double step) {
    if (!LoadJacksboroTin()) return false;
    SetLongLoopPollInterval(100);
    std::vector<SliceLevelArea> rows = Levels(step);
    if (CalcSliceContours(rows, GroundSpace()) != SliceCalcResult::kDone) return false;
    ClearSliceLevels();
    for (const SliceLevelArea& r : rows)
        if (!AppendSliceLevel(r.elevation, r.attribute)) return false;
    g_sliceStartRow = 1;
    g_sliceEndRow = g_sliceLevelCount;
    g_sliceReferenceLevel = 300;
    ClearRecordedMessages();
    return true;
}

// state.range(0): the level step in tenths of a metre.
void SliceAreas(benchmark::State& state) {
    if (!LoadJacksboroTin()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    SetLongLoopPollInterval(100);
    const std::vector<SliceLevelArea> levels = Levels(state.range(0) / 10.0);
    for (auto _ : state) {
        std::vector<SliceLevelArea> rows = levels;
        ClearRecordedMessages();
        if (CalcSliceContours(rows, GroundSpace()) != SliceCalcResult::kDone) {
            state.SkipWithError("calculation failed");
            return;
        }
        benchmark::DoNotOptimize(rows.back().area);
    }
    state.counters["levels"] = static_cast<double>(levels.size());
    state.counters["lines"] = g_sliceLineCount;
}
BENCHMARK(SliceAreas)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void SliceQuantities(benchmark::State& state) {
    if (!CalculateTable(10)) {
        state.SkipWithError("data/jacksboro not found or calculation failed");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(CalcSliceQuantities());
    state.counters["total"] = g_sliceTotal;
}
BENCHMARK(SliceQuantities)->Unit(benchmark::kMicrosecond);

void SliceAreaList(benchmark::State& state) {
    if (!CalculateTable(10)) {
        state.SkipWithError("data/jacksboro not found or calculation failed");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(SliceAreaListRows());
        benchmark::DoNotOptimize(SliceAreaListText());
    }
    state.counters["lines"] = g_sliceLineCount;
}
BENCHMARK(SliceAreaList)->Unit(benchmark::kMicrosecond);

}  // namespace
