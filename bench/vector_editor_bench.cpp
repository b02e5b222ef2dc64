// The vector editor on a background drawing of a million elements: polylines of 50
// vertices scattered over a 10 km square. A snapped click, the vertex grab of the
// end-point tool and a vertex appended at the end. Aim: each well under 20 ms.
#include <benchmark/benchmark.h>

#include "dxf_bench_support.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "view/view_state.h"

namespace {

void FillDrawing() {
    InitDataModel();
    dxfbench::FillDrawing();
    dxfbench::PlanView();
}

// One snapped position per iteration, for each snap mode (1 vertex, 2 line, 3 crossing).
void BM_SnappedClick(benchmark::State& state) {
    FillDrawing();
    CVecCreate editor;
    g_pointSnapMode = static_cast<int32_t>(state.range(0));
    g_dxfPickCursorX = 800;
    g_dxfPickCursorY = 500;
    double n, e, z;
    editor.ResolveClick(0, n, e, z);  // the snap grid is built by the first
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
