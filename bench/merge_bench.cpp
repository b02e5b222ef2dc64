// Merging a large survey into another: the jacksboro grid (138,632 points, its TIN by the
// grid builder) written and appended outside the automatic outline of jacksboro_scatter20k,
// and appended whole as a bridge/tunnel model.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/auto_outline.h"
#include "model/bridge_tunnel.h"
#include "model/point_in_outline.h"
#include "model/random_merge.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/tri_file.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "tin_bench_support.h"

namespace fs = std::filesystem;

namespace {

struct Setup {
    fs::path folder;
    fs::path grid;  // the grid survey with its .TRI
    std::vector<RandomPoint> points;  // scatter20k marked against its outline, 0..n+1
    int32_t pointCount = 0;
    bool ready = false;
};

Setup& Prepared() {
    static Setup s = [] {
        Setup setup;
        setup.folder = fs::temp_directory_path() / ("nostrel_merge_bench_" + std::to_string(::getpid()));
        fs::create_directories(setup.folder);
        if (!tin_bench::MakeJacksboroGrid()) return setup;
        g_tinEdgeCapacity = 4 * g_pointCount;
        GrowTinEdgeBlock(g_tinEdgeCapacity);
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        setup.grid = setup.folder / "GRID.RND";
        fs::copy_file(SurveyFile("jacksboro_grid.RND"), setup.grid, fs::copy_options::overwrite_existing);
        if (WriteTriFile(setup.grid) != 0) return setup;

        InitDataModel();
        g_currentDataPath = SurveyFile("jacksboro_scatter20k.RND").string();
        if (ReadRndDocument() != -1 || BuildAutoOutline(0) != kAutoOutlineDone) return setup;
        OrientPolygonClockwise(g_outline);
        MarkPointsInPolygonRaster(g_outline, 0);
        setup.pointCount = g_pointCount;
        setup.points.assign(g_points, g_points + g_pointCount + 2);
        setup.ready = true;
        return setup;
    }();
    return s;
}

// The scattered survey as prepared, without a TIN.
void Restore(const Setup& s) {
    g_pointCount = s.pointCount;
    EnsurePointCapacity(g_pointCount);
    std::copy(s.points.begin(), s.points.end(), g_points);
    g_tinEdgeCount = 0;
    SetTinEndRecord();
    ClearRecordedMessages();
}

void BM_WriteMergedRandomData(benchmark::State& state) {
    Setup& s = Prepared();
    if (!s.ready) return state.SkipWithError("the surveys could not be prepared");
    Restore(s);
    const fs::path out = s.folder / "merged.RND";
    for (auto _ : state)
        if (!WriteMergedRandomData(g_outline, s.grid.string(), out.string())) state.SkipWithError("write failed");
    state.counters["outline"] = g_outline.Count();
}
BENCHMARK(BM_WriteMergedRandomData)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MergeRandomData(benchmark::State& state) {
    Setup& s = Prepared();
    if (!s.ready) return state.SkipWithError("the surveys could not be prepared");
    for (auto _ : state) {
        state.PauseTiming();
        Restore(s);
        state.ResumeTiming();
        MergeRandomData(g_outline, s.grid.string());
    }
    state.counters["points"] = g_pointCount;
    state.counters["edges"] = g_tinEdgeCount;
}
BENCHMARK(BM_MergeRandomData)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MergeBridgeTunnelData(benchmark::State& state) {
    Setup& s = Prepared();
    if (!s.ready) return state.SkipWithError("the surveys could not be prepared");
    for (auto _ : state) {
        state.PauseTiming();
        Restore(s);
        state.ResumeTiming();
        if (MergeBridgeTunnelData(s.grid.string()) != 1) state.SkipWithError("merge failed");
    }
    state.counters["points"] = g_pointCount;
    state.counters["edges"] = g_tinEdgeCount;
}
BENCHMARK(BM_MergeBridgeTunnelData)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
