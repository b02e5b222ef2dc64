// TIN editing: the hole file written from the jacksboro grid's TIN with its western half
// in holes (one large hole region; the trace and the writing of its boundary).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "model/outline_hole_files.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "tin_bench_support.h"

namespace {

using namespace tin_bench;

constexpr int32_t kColumns = 403;

// The grid's TIN once; every record whose search-side triangle lies in the western half
// of the columns is a hole.
bool MakeHalfHoledGrid() {
    static bool made = false;
    if (made) return true;
    if (!MakeJacksboroGrid()) return false;
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
    ClearRecordedMessages();
    if (LastTinBuildResult() != TinBuildResult::kComplete) return false;
    auto west = [](int32_t v) { return v != kNoApex && v > 0 && (v - 1) % kColumns < kColumns / 2; };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        if (!west(r.a) || !west(r.b) || !west(r.apexSearch)) continue;
        r.a = -r.a;
        r.b = -r.b;
        r.apexSearch = -r.apexSearch;
        if (r.apexBack != kNoApex) r.apexBack = -std::abs(r.apexBack);
    }
    made = true;
    return true;
}

void BM_SaveHoleFileHalfGrid(benchmark::State& state) {
    if (!MakeHalfHoledGrid()) {
        state.SkipWithError("data/jacksboro not found or the TIN did not complete");
        return;
    }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tin_edit_bench_" + std::to_string(::getpid()) + ".HOL");
    for (auto _ : state) {
        if (SaveHoleFile(path) != kHoleFileWritten) state.SkipWithError("the hole file was not written");
    }
    state.counters["records"] = g_tinEdgeCount;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveHoleFileHalfGrid)->Unit(benchmark::kMillisecond);

}  // namespace
