// Projection of the 138,632 points of the Jacksboro grid with their TIN: the time of one
// full projection for the view, in fit mode, and of the overall view's extents.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "../tests/support/survey_data.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t kRows = 344;
constexpr int32_t kColumns = 403;

// The data lie beside the project (or beside the folder of worktrees).
fs::path GridFile() { return SurveyFile("jacksboro_grid.RND"); }

bool LoadPoints() {
    const fs::path path = GridFile();
    if (path.empty()) return false;
    g_pointCapacity = static_cast<int32_t>(fs::file_size(path) / 63 + 1000);
    if (GrowPointBlock(g_pointCapacity) != 0) return false;
    if (ReadRndText(std::fopen(path.c_str(), "rb")) != 0) return false;
    g_pointsPresent = -1;
    return g_pointCount == kRows * kColumns;
}

// The grid's TIN, built by the grid TIN builder inside the ring of boundary nodes (rows
// run from the north edge).
bool BuildTin() {
    auto node = [](int32_t r, int32_t c) { return r * kColumns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < kColumns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < kRows; ++r) ring.push_back(node(r, kColumns - 1));
    for (int32_t c = kColumns - 2; c >= 0; --c) ring.push_back(node(kRows - 1, c));
    for (int32_t r = kRows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    g_outline.Reset();
    for (int32_t v : ring) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    return LastTinBuildResult() == TinBuildResult::kComplete;
}

bool Setup(benchmark::State& state) {
    static bool loaded = false;
    if (!loaded) {
        InitDataModel();
        if (!LoadPoints()) {
            state.SkipWithError("cannot read the Jacksboro grid (run from the project root)");
            return false;
        }
        if (!BuildTin()) {
            state.SkipWithError("the TIN build did not complete");
            return false;
        }
        loaded = true;
    }
    g_bufferMaxX = 1600;
    g_bufferMaxY = 1000;
    g_viewportCenterX = 800;
    g_viewportCenterY = 500;
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    return true;
}

void BM_ProjectAllDataView(benchmark::State& state) {
    if (!Setup(state)) return;
    g_viewScale *= 4;  // a zoomed view: most points off the window, all projected
    for (auto _ : state) {
        ProjectAllData(0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * g_pointCount);
    state.counters["points"] = g_pointCount;
    state.counters["tinEdges"] = g_tinEdgeCount;
}
BENCHMARK(BM_ProjectAllDataView)->Unit(benchmark::kMillisecond);

void BM_ProjectAllDataFit(benchmark::State& state) {
    if (!Setup(state)) return;
    for (auto _ : state) {
        ProjectAllData(1024);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * g_pointCount);
}
BENCHMARK(BM_ProjectAllDataFit)->Unit(benchmark::kMillisecond);

void BM_ComputeDataExtents(benchmark::State& state) {
    if (!Setup(state)) return;
    for (auto _ : state) {
        ComputeDataExtents(0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * g_pointCount);
}
BENCHMARK(BM_ComputeDataExtents)->Unit(benchmark::kMillisecond);
}  // namespace
