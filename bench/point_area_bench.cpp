// The area edits on the Jacksboro grid with as many extra points again (277,264 points):
// deleting the extra unused invalid points under the TIN, a 2000-vertex lasso, a
// turn-and-tilt commit and the point list's deletion of 10,000 selected rows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/terrain_data.h"
#include "point_edit_bench_support.h"
#include "pointedit/area_selection.h"
#include "pointedit/move_rotate.h"
#include "pointedit/point_deletion.h"
#include "pointedit/point_list.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

// The grid, its TIN built, and the extras; the outline is left as the runs leave it.
point_edit_bench::ModelCopy g_setUp;
constexpr int32_t kGridNodes = tin_bench::kJacksboroGridNodes;

bool PrepareOnce() {
    if (!g_setUp.empty()) return true;
    if (!point_edit_bench::MakeGridWithUnusedPoints(kGridNodes, 11, 2 * kGridNodes + 100))
        return false;
    g_setUp.Take(false);
    return true;
}

void Restore() { g_setUp.Restore(300000); }

void BM_DeleteInvalidPoints(benchmark::State& state) {
    if (!PrepareOnce()) {
        state.SkipWithError("Jacksboro grid not found");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Restore();
        state.ResumeTiming();
        DeleteInvalidPoints();
        benchmark::DoNotOptimize(g_pointCount);
    }
    state.counters["kept"] = g_pointCount;
}
BENCHMARK(BM_DeleteInvalidPoints)->Unit(benchmark::kMillisecond);

void PlaceOnScreen() {
    g_viewportCenterX = 960;
    g_viewportCenterY = 540;
    g_bufferMaxX = 1919;
    g_bufferMaxY = 1079;
    g_birdsEyeOn = 0;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        minX = std::min(minX, g_points[i].x);
        maxX = std::max(maxX, g_points[i].x);
        minY = std::min(minY, g_points[i].y);
        maxY = std::max(maxY, g_points[i].y);
    }
    const double scale = 1000.0 / std::max(maxX - minX, maxY - minY);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        p.screenX = static_cast<int32_t>(std::floor((p.y - 0.5 * (minY + maxY)) * scale));
        p.screenY = static_cast<int32_t>(std::floor((p.x - 0.5 * (minX + maxX)) * scale));
        p.hidden = 0;
    }
}

void BM_Lasso2000Vertices(benchmark::State& state) {
    if (!PrepareOnce()) {
        state.SkipWithError("Jacksboro grid not found");
        return;
    }
    Restore();
    PlaceOnScreen();
    // A star of 2000 vertices round the middle of the screen.
    g_lassoPointCount = 0;
    for (int32_t k = 0; k < kLassoCapacity; ++k) {
        const double a = 2 * M_PI * k / kLassoCapacity;
        const double r = (k % 2 ? 250.0 : 480.0) + 30 * std::sin(7 * a);
        AppendLassoPoint(960 + static_cast<int32_t>(r * std::cos(a)),
                         540 + static_cast<int32_t>(r * std::sin(a)));
    }
    int32_t selected = 0;
    for (auto _ : state) {
        ClearPointFlags(POINT_FLAG_AREA_SELECTED);
        selected = SelectInsideLasso();
        benchmark::DoNotOptimize(selected);
    }
    state.counters["points"] = g_pointCount;
    state.counters["selected"] = selected;
}
BENCHMARK(BM_Lasso2000Vertices)->Unit(benchmark::kMillisecond);

void BM_TurnAndTiltCommit(benchmark::State& state) {
    if (!PrepareOnce()) {
        state.SkipWithError("Jacksboro grid not found");
        return;
    }
    Restore();
    CMoveRotateDlg dlg;
    dlg.SetBasePoint(kGridNodes / 2);
    for (auto _ : state) {
        dlg.SetPending(1.0, 2.0, 0.5, 17.0, 6.0, 140.0);
        dlg.OnCommit();
        benchmark::DoNotOptimize(g_points[1].x);
    }
    state.counters["points"] = g_pointCount;
}
BENCHMARK(BM_TurnAndTiltCommit)->Unit(benchmark::kMillisecond);

// Rows spread over the whole list, so that nearly every record moves.
void BM_PointListDelete10000Rows(benchmark::State& state) {
    if (!PrepareOnce()) {
        state.SkipWithError("Jacksboro grid not found");
        return;
    }
    std::vector<int32_t> rows;
    const int32_t total = g_setUp.PointCount();
    for (int32_t k = 0; k < 10000; ++k) rows.push_back(1 + static_cast<int32_t>(int64_t{k} * total / 10000));
    for (auto _ : state) {
        state.PauseTiming();
        Restore();
        state.ResumeTiming();
        DeleteListedPoints(rows);  // the TIN question takes its default, Yes
        benchmark::DoNotOptimize(g_pointCount);
    }
    state.counters["kept"] = g_pointCount;
}
BENCHMARK(BM_PointListDelete10000Rows)->Unit(benchmark::kMillisecond);

}  // namespace
