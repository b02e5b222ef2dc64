// Contours at 10 m intervals of the jacksboro grid's TIN and of the 20k scatter's TIN (each
// built once with the grid builder), by line method (0 straight, 1 B-spline, 2 spline
// through): milliseconds per run, with worker threads and (the grid) on one thread.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contour/contour_calc.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "shell/work_files.h"
#include "contour_bench_support.h"

namespace {

// threads as for SetContourThreads: 0 by the machine, 1 all on the calling thread.
template <bool (*Load)(), int32_t threads>
void Contours(benchmark::State& state) {
    if (!Load()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "contour_bench";
    PrepareContourRun(dir, 10);
    SetContourThreads(threads);
    int64_t bytes = 0;
    for (auto _ : state) {
        ClearRecordedMessages();
        CalcContours(static_cast<int32_t>(state.range(0)));
        bytes = static_cast<int64_t>(std::filesystem::file_size(g_contourLinesPath));
    }
    SetContourThreads(0);
    state.counters["line_file_bytes"] = static_cast<double>(bytes);
    std::filesystem::remove_all(dir);
}
// The levels are worked out on worker threads: wall-clock time.
BENCHMARK(Contours<LoadJacksboroTin, 0>)
    ->Name("Contours")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Contours<LoadJacksboroTin, 1>)
    ->Name("ContoursOneThread")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Contours<LoadJacksboroScatterTin, 0>)
    ->Name("ContoursScatter")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
