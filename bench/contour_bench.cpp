// Contours at 10 m intervals of the jacksboro grid's TIN and of the 20k scatter's TIN (each
// built once with the grid builder), by line method (0 straight, 1 B-spline, 2 spline
// through): milliseconds per run.
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

template <bool (*Load)()>
void Contours(benchmark::State& state) {
    if (!Load()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "contour_bench";
    PrepareContourRun(dir, 10);
    int64_t bytes = 0;
    for (auto _ : state) {
        ClearRecordedMessages();
        CalcContours(static_cast<int32_t>(state.range(0)));
        bytes = static_cast<int64_t>(std::filesystem::file_size(g_contourLinesPath));
    }
    state.counters["line_file_bytes"] = static_cast<double>(bytes);
    std::filesystem::remove_all(dir);
}
BENCHMARK(Contours<LoadJacksboroTin>)
    ->Name("Contours")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Contours<LoadJacksboroScatterTin>)
    ->Name("ContoursScatter")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
