// The trace program's command file from 1 m contours (B-spline lines) of the jacksboro
// grid, against reading the same contour work file record by record: the writer should
// stay within twice the read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "contour/contour_calc.h"
#include "contour/contour_files.h"
#include "platform/message_box.h"
#include "shell/plotter_file.h"
#include "contour_bench_support.h"

namespace {
const std::filesystem::path kDir = std::filesystem::temp_directory_path() / "plotter_file_bench";

bool Prepare() {
    static bool ready = false;
    if (ready) return true;
    if (!LoadJacksboroTin()) return false;
    PrepareContourRun(kDir, 1.0);
    CalcContours(1);
    ClearRecordedMessages();
    ready = std::filesystem::exists(g_contourLinesPath);
    return ready;
}

void ReadContourFile(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    for (auto _ : state) {
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "rb");
        std::setvbuf(f, nullptr, _IOFBF, 1 << 16);
        ContourRecord r{};
        double sum = 0;
        while (ReadContourRecord(f, &r)) sum += r.a + r.b;
        std::fclose(f);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(g_contourLinesPath));
}
BENCHMARK(ReadContourFile)->Unit(benchmark::kMillisecond);

void WritePlotterFile(benchmark::State& state) {
    if (!Prepare()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    const std::string out = (kDir / "trace.txt").string();
    double minX = 0, minY = 0;
    PlotterDataMinimum(&minX, &minY);
    for (auto _ : state) {
        const int rc = WritePlotterCommandFile(g_contourLinesPath, out, minX, minY, 500, 0, g_indexContourInterval,
                                               1.0, {"A", minX, minY}, {"B", minX + 10, minY + 10});
        if (rc != 0) state.SkipWithError("write failed");
    }
    state.counters["out_bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(WritePlotterFile)->Unit(benchmark::kMillisecond);
}  // namespace
