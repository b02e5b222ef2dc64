// Reading and writing the RND point file, beside a plain line-by-line read of the same
// file. Run from the project root (the real data lie beside the project).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "platform/folders.h"
#include "platform/text_io.h"
#include "../tests/support/survey_data.h"

namespace fs = std::filesystem;

namespace {
fs::path GridFile() { return SurveyFile("jacksboro_grid.RND"); }

bool Prepare(benchmark::State& state, fs::path& path) {
    path = GridFile();
    if (path.empty()) {
        state.SkipWithError("jacksboro_grid.RND not found; run from the project root");
        return false;
    }
    return true;
}
}  // namespace

static void BM_PlainLineRead(benchmark::State& state) {
    fs::path path;
    if (!Prepare(state, path)) return;
    char line[256];
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        size_t lines = 0;
        while (std::fgets(line, sizeof line, f)) ++lines;
        std::fclose(f);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
}
BENCHMARK(BM_PlainLineRead)->Unit(benchmark::kMillisecond);

static void BM_ReadRndText(benchmark::State& state) {
    fs::path path;
    if (!Prepare(state, path)) return;
    InitDataModel();
    g_pointCapacity = static_cast<int32_t>(fs::file_size(path) / 63 + 1000);
    GrowPointBlock(g_pointCapacity);
    for (auto _ : state) {
        if (ReadRndText(std::fopen(path.c_str(), "rb")) != 0) state.SkipWithError("read failed");
    }
    state.counters["points"] = g_pointCount;
    state.SetBytesProcessed(state.iterations() * fs::file_size(path));
    ReleaseDataModel();
}
BENCHMARK(BM_ReadRndText)->Unit(benchmark::kMillisecond);

static void BM_WriteRndText(benchmark::State& state) {
    fs::path path;
    if (!Prepare(state, path)) return;
    InitDataModel();
    g_pointCapacity = static_cast<int32_t>(fs::file_size(path) / 63 + 1000);
    GrowPointBlock(g_pointCapacity);
    ReadRndText(std::fopen(path.c_str(), "rb"));
    g_pointsPresent = -1;
    const fs::path out = TempFolder() / "bench.RND";
    for (auto _ : state) {
        TextFileWriter file(out);
        if (WriteRndText(file) != kRndWritten || !file.Close()) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * fs::file_size(out));
    ReleaseDataModel();
    RemoveTempFolder();
}
BENCHMARK(BM_WriteRndText)->Unit(benchmark::kMillisecond);
