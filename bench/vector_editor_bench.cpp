// The vector editor on a background drawing of a million elements: polylines of 50
// vertices scattered over a 10 km square. A snapped click, the vertex grab of the
// end-point tool and a vertex appended at the end. Aim: each well under 20 ms.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

constexpr int32_t kElements = 1'000'000;

void FillDrawing() {
    InitDataModel();
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> place(0, 10000), step(-15, 15);
    DxfTarget target = DXF_TARGET_ENTITIES;
    EnsureDxfCapacity(target, kElements);
    double n = 0, e = 0;
    for (int32_t i = 0; i < kElements; ++i) {
        DxfElement& d = AppendDxfRecord(target);
        std::memset(&d, 0, sizeof d);
        if (i % 50 == 0) {
            n = place(random);
            e = place(random);
            d.pen = DXF_PEN_MOVE;
        } else {
            n += step(random);
            e += step(random);
            d.pen = DXF_PEN_DRAW;
        }
        d.x = d.sourceX = n;
        d.y = d.sourceY = e;
    }
    g_dxfElementCountAtLoad = g_dxfElementCount;
    g_bufferMaxX = 1600;
    g_bufferMaxY = 1000;
    g_viewportCenterX = 800;
    g_viewportCenterY = 500;
    g_viewCenterX = g_viewCenterY = 5000;
    g_viewScale = 0.16;  // the whole square in view
    g_birdsEyeOn = 0;
    ProjectAllData(0);
}

// One snapped position per iteration, for each snap mode (1 vertex, 2 line, 3 crossing).
void BM_SnappedClick(benchmark::State& state) {
    FillDrawing();
    CVecCreate editor;
    g_pointSnapMode = static_cast<int32_t>(state.range(0));
    g_dxfPickCursorX = 800;
    g_dxfPickCursorY = 500;
    double n, e, z;
    for (auto _ : state) {
        editor.ResolveClick(0, n, e, z);
        benchmark::DoNotOptimize(n);
    }
    g_pointSnapMode = 0;
}
BENCHMARK(BM_SnappedClick)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_GrabVertex(benchmark::State& state) {
    FillDrawing();
    CVecCreate editor;
    editor.SelectTool(VEC_TOOL_END_POINT);
    for (auto _ : state) {
        editor.OnViewMouse(kVecMouseDown, 0x01, 800, 500);
        benchmark::DoNotOptimize(editor.m_grabbedElement);
    }
}
BENCHMARK(BM_GrabVertex)->Unit(benchmark::kMillisecond);

// A click of the polyline tool: the snap to the nearest vertex and the append, taken
// back each time so the store stays the same.
void BM_PolylineClick(benchmark::State& state) {
    FillDrawing();
    CVecCreate editor;
    g_pointSnapMode = 1;
    g_dxfPickCursorX = 800;
    g_dxfPickCursorY = 500;
    for (auto _ : state) {
        editor.OnTimer(kVecCmdClick);
        --g_dxfElementCount;
        editor.m_drawing = 0;
    }
    g_pointSnapMode = 0;
}
BENCHMARK(BM_PolylineClick)->Unit(benchmark::kMillisecond);

}  // namespace
