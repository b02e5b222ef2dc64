// The area edits on the Jacksboro grid with as many extra points again (277,264 points):
// deleting the extra unused invalid points under the TIN, a 2000-vertex lasso, a
// turn-and-tilt commit and the point list's deletion of 10,000 selected rows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "pointedit/area_selection.h"
#include "pointedit/move_rotate.h"
#include "pointedit/point_deletion.h"
#include "pointedit/point_list.h"
#include "tin_bench_support.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

std::vector<RandomPoint> g_setUp;  // the grid, its TIN built, and the extras
std::vector<TinEdge> g_setUpEdges;
int32_t g_gridCount = 0;

bool PrepareOnce() {
    if (!g_setUp.empty()) return true;
    if (!tin_bench::MakeJacksboroGrid()) return false;
    g_gridCount = g_pointCount;
    g_tinEdgeCapacity = 4 * g_pointCount;
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int32_t> node(1, g_gridCount);
    std::uniform_real_distribution<double> jitter(-30.0, 30.0);
    EnsurePointCapacity(2 * g_gridCount + 10, 2 * g_gridCount + 100);
    for (int32_t k = 0; k < g_gridCount; ++k) {
        RandomPoint p = g_points[node(rng)];
        p.x += jitter(rng);
        p.y += jitter(rng);
        p.flags = 0;
        p.invalid = 1;
        g_points[++g_pointCount] = p;
    }
    SetPointEndMarker();
    g_setUp.assign(g_points, g_points + g_pointCount + 2);
    g_setUpEdges.assign(g_tinEdges, g_tinEdges + g_tinEdgeCount + 2);
    return true;
}

void Restore() {
    EnsurePointCapacity(static_cast<int32_t>(g_setUp.size()), 300000);
    std::copy(g_setUp.begin(), g_setUp.end(), g_points);
    g_pointCount = static_cast<int32_t>(g_setUp.size()) - 2;
    std::copy(g_setUpEdges.begin(), g_setUpEdges.end(), g_tinEdges);
    g_tinEdgeCount = static_cast<int32_t>(g_setUpEdges.size()) - 2;
    g_pointsPresent = -1;
}

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
    dlg.SetBasePoint(g_gridCount / 2);
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
    const int32_t total = static_cast<int32_t>(g_setUp.size()) - 2;
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
