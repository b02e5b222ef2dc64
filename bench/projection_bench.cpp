// Projection of the 138,632 points of the Jacksboro grid with their TIN: the time of one
// full projection for the view, in fit mode, and of the overall view's extents.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace fs = std::filesystem;

namespace {
constexpr int32_t kRows = 344;
constexpr int32_t kColumns = 403;

// The data lie beside the project (or beside the folder of worktrees).
fs::path GridFile() {
    for (const char* up : {"..", "../.."}) {
        const fs::path path = fs::current_path() / up / "shared/data/jacksboro/jacksboro_grid.RND";
        if (fs::exists(path)) return path;
    }
    return {};
}

bool LoadPoints() {
    const fs::path path = GridFile();
    if (path.empty()) return false;
    g_pointCapacity = static_cast<int32_t>(fs::file_size(path) / 63 + 1000);
    if (GrowPointBlock(g_pointCapacity) != 0) return false;
    if (ReadRndText(std::fopen(path.c_str(), "rb")) != 0) return false;
    g_pointsPresent = -1;
    return g_pointCount == kRows * kColumns;
}

// The grid's TIN: each cell split into two triangles by its diagonal from the north-west
// to the south-east corner; one record per line with the apexes on both sides.
void BuildGridTin() {
    auto index = [](int32_t row, int32_t column) { return row * kColumns + column + 1; };
    auto add = [](int32_t a, int32_t b, int32_t back, int32_t search) {
        EnsureTinEdgeCapacity(g_tinEdgeCount + 1);
        g_tinEdges[++g_tinEdgeCount] = {a, b, back, search, 0};
    };
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            const bool south = r + 1 < kRows, east = c + 1 < kColumns, north = r > 0, west = c > 0;
            if (east)  // west-east line
                add(index(r, c), index(r, c + 1), north ? index(r - 1, c) : kNoApex,
                    south ? index(r + 1, c + 1) : kNoApex);
            if (south)  // north-south line
                add(index(r, c), index(r + 1, c), west ? index(r, c - 1) : kNoApex,
                    east ? index(r + 1, c + 1) : kNoApex);
            if (south && east)  // the diagonal
                add(index(r, c), index(r + 1, c + 1), index(r, c + 1), index(r + 1, c));
        }
    }
    SetTinEndRecord();
    g_tinPresent = -1;
}

bool Setup(benchmark::State& state) {
    static bool loaded = false;
    if (!loaded) {
        InitDataModel();
        if (!LoadPoints()) {
            state.SkipWithError("cannot read the Jacksboro grid (run from the project root)");
            return false;
        }
        BuildGridTin();
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
