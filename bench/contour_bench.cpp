// Contours of the jacksboro grid's TIN (built once with the grid builder) at 10 m
// intervals, straight lines and B-spline smoothing: milliseconds per run.
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
#include "tin_bench_support.h"

namespace {

// The survey is read with the program's own RND reader, so its columns are those of the file.
bool LoadJacksboroTin() {
    if (!tin_bench::MakeJacksboroGrid()) return false;
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    g_pointZMin = 1e300;
    g_pointZMax = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        g_pointZMin = std::min(g_pointZMin, g_points[i].z);
        g_pointZMax = std::max(g_pointZMax, g_points[i].z);
    }
    return g_tinPresent != 0;
}

void Contours(benchmark::State& state) {
    static const bool loaded = LoadJacksboroTin();
    if (!loaded) {
        state.SkipWithError("jacksboro_grid.RND not found");
        return;
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "contour_bench";
    std::filesystem::create_directories(dir);
    g_contourLinesPath = (dir / "_#ovk$1.$$$").string();
    g_contourIndexPath = (dir / "_#ovk$2.$$$").string();
    g_contourMinZ = std::floor(g_pointZMin / 10) * 10;
    g_contourMaxZ = g_pointZMax;
    g_contourInterval = 10;
    g_indexContourInterval = 50;
    g_contourSmoothness = 5;
    SetLongLoopPollInterval(100);
    int64_t bytes = 0;
    for (auto _ : state) {
        ClearRecordedMessages();
        CalcContours(static_cast<int32_t>(state.range(0)));
        bytes = static_cast<int64_t>(std::filesystem::file_size(g_contourLinesPath));
    }
    state.counters["line_file_bytes"] = static_cast<double>(bytes);
    std::filesystem::remove_all(dir);
}
BENCHMARK(Contours)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
