// The plan view of the Jacksboro grid (138,632 points, its TIN) in a 1920 x 1080 window,
// repainted fully with the contour overlays: simple contours at 10 m and labelled slope
// lines. Reports milliseconds per frame; the aim is under 150 ms for both layers.
#include <benchmark/benchmark.h>

#include "plan_frame_bench_support.h"

#include "contour/contour_dialog.h"
#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "tin_bench_support.h"
#include "view/back_buffer.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/display_layers_settings.h"
#include "view/simple_contours.h"
#include "view/slope_lines.h"
#include "view/stroke_font.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

using plan_frame_bench::Frame;
using plan_frame_bench::kClient;

bool LoadGridWithTin() {
    static bool ready = false;
    if (ready) return true;
    if (!plan_frame_bench::LoadGridWithTin()) return false;
    g_showTin = 0;
    g_showPoints = 0;
    InstallSimpleContourLayer();
    InstallSlopeLineLayer();
    ready = true;
    return true;
}

// layers: bit 0 simple contours, bit 1 slope lines (with degree labels).
void BM_PlanRepaintWithLayers(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    const int64_t layers = state.range(0);
    g_showSimpleContours = (layers & 1) ? -1 : 0;
    g_simpleContourInterval = 10;
    g_simpleContourIndexInterval = SimpleContourIndexIntervalFor(10);
    g_showSlopeLines = (layers & 2) ? kSlopeLinesOn | kSlopeLabelsDegrees : 0;
    g_colorBandParams.gentleSlope = 5;
    g_colorBandParams.steepSlope = 20;
    g_colorBandParams.slopeLineSetting = 1;
    for (auto _ : state) Frame(state);
    g_showSimpleContours = 0;
    g_showSlopeLines = 0;
}
BENCHMARK(BM_PlanRepaintWithLayers)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// The same zoomed in four times: most triangles lie beyond the window.
void BM_PlanRepaintWithLayersZoomedIn(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    const double scale = g_viewScale;
    g_viewScale = scale * 4;
    g_showSimpleContours = -1;
    g_simpleContourInterval = 10;
    g_simpleContourIndexInterval = SimpleContourIndexIntervalFor(10);
    g_showSlopeLines = kSlopeLinesOn | kSlopeLabelsDegrees;
    for (auto _ : state) Frame(state);
    g_showSimpleContours = 0;
    g_showSlopeLines = 0;
    g_viewScale = scale;
}
BENCHMARK(BM_PlanRepaintWithLayersZoomedIn)->Unit(benchmark::kMillisecond);
}  // namespace
