// Snapping and draping on a background drawing of a million elements: polylines of 50
// vertices scattered over a 10 km square, laid on the Jacksboro grid's TIN. Run from the
// project root.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "dxf_bench_support.h"
#include "dxf/dxf_drape.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

using dxfbench::FillDrawing;
using dxfbench::PlanView;

void BM_NearestVertex(benchmark::State& state) {
    InitDataModel();
    FillDrawing(0, 0, 10000);
    PlanView();
    double x, y;
    int32_t c, r;
    for (auto _ : state) benchmark::DoNotOptimize(FindNearestDxfVertex(800, 500, 4800, x, y, c, r));
}
BENCHMARK(BM_NearestVertex)->Unit(benchmark::kMillisecond);

void BM_LinePoint(benchmark::State& state) {
    InitDataModel();
    FillDrawing(0, 0, 10000);
    PlanView();
    double x, y, z;
    int32_t c, r;
    for (auto _ : state) benchmark::DoNotOptimize(FindNearestDxfLinePoint(800, 500, x, y, z, c, r));
}
BENCHMARK(BM_LinePoint)->Unit(benchmark::kMillisecond);

void BM_Intersection(benchmark::State& state) {
    InitDataModel();
    FillDrawing(0, 0, 10000);
    PlanView();
    double x, y;
    int32_t c, r;
    for (auto _ : state) benchmark::DoNotOptimize(SnapToDxfIntersection(800, 500, x, y, c, r));
}
BENCHMARK(BM_Intersection)->Unit(benchmark::kMillisecond);

void BM_Midpoint(benchmark::State& state) {
    InitDataModel();
    FillDrawing(0, 0, 10000);
    PlanView();
    double x, y;
    for (auto _ : state) benchmark::DoNotOptimize(FindNearestDxfMidpoint(800, 500, x, y));
}
BENCHMARK(BM_Midpoint)->Unit(benchmark::kMillisecond);

// The first snap after the drawing changed whole: the snap grid is built again.
void BM_FirstSnapAfterChange(benchmark::State& state) {
    InitDataModel();
    FillDrawing(0, 0, 10000);
    PlanView();
    double x, y, z;
    int32_t c, r;
    for (auto _ : state) {
        NoteDxfElementsChanged();
        benchmark::DoNotOptimize(FindNearestDxfLinePoint(800, 500, x, y, z, c, r));
    }
}
BENCHMARK(BM_FirstSnapAfterChange)->Unit(benchmark::kMillisecond);

// The Jacksboro grid (344 x 403 nodes) with its ring of boundary nodes as the outline.
bool LoadJacksboroTin() {
    InitDataModel();
    g_pointCapacity = 200000;
    if (GrowPointBlock(g_pointCapacity) != 0) return false;
    std::FILE* f = std::fopen("data/jacksboro/jacksboro_grid.RND", "rb");
    if (!f || ReadRndText(f) != 0) return false;
    g_pointsPresent = -1;
    constexpr int32_t rows = 344, columns = 403;
    auto node = [](int32_t r, int32_t c) { return r * columns + c + 1; };
    g_outline.Reset();
    for (int32_t c = 0; c < columns; ++c) g_outline.Append(node(0, c));
    for (int32_t r = 1; r < rows; ++r) g_outline.Append(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) g_outline.Append(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) g_outline.Append(node(r, 0));
    for (int32_t k = 1; k <= g_outline.Count(); ++k) g_points[g_outline[k]].flags |= kPointFlagOutline;
    g_outline.Close();
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ComputeDataExtents(0);
    return true;
}

void BM_Drape(benchmark::State& state) {
    if (!LoadJacksboroTin()) {
        state.SkipWithError("data/jacksboro/jacksboro_grid.RND not readable (run from the project root)");
        return;
    }
    const double size = g_extentSize / 1.2;
    FillDrawing(g_extentCenterX - size / 2, g_extentCenterY - size / 2, size);
    for (auto _ : state) DrapeDxfOnTin(false);
}
BENCHMARK(BM_Drape)->Unit(benchmark::kMillisecond);

}  // namespace
