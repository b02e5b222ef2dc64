// A full repaint of the plan view into a 1920 x 1080 back buffer: the 138,632 points of
// the Jacksboro grid with the TIN the grid builder makes over them and their outline, in
// the overall view. Reports milliseconds per frame; panning needs well under 100 ms.
#include <benchmark/benchmark.h>

#include "plan_frame_bench_support.h"

#include <filesystem>
#include <vector>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "../tests/support/survey_data.h"

namespace fs = std::filesystem;

namespace {

using plan_frame_bench::Frame;
using plan_frame_bench::kClient;

bool LoadGridWithTin() {
    static bool ready = false;
    if (ready) return true;
    if (!plan_frame_bench::LoadGridWithTin()) return false;
    g_showTin = -1;
    g_showPoints = -1;
    ready = true;
    return true;
}

void BM_FullPlanRepaint(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    for (auto _ : state) Frame(state);
    state.counters["points"] = g_pointCount;
    state.counters["edges"] = g_tinEdgeCount;
}
BENCHMARK(BM_FullPlanRepaint)->Unit(benchmark::kMillisecond);

// A pan step: the view moved by a few pixels, then the full repaint it asks for, zoomed in
// four times (most of the TIN beyond the window).
void BM_PanStepZoomedIn(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    const double scale = g_viewScale;
    g_viewScale = scale * 4;
    int32_t step = 0;
    for (auto _ : state) {
        PanByPixels(++step % 2 ? 7 : -7, 3);
        Frame(state);
    }
    g_viewScale = scale;
}
BENCHMARK(BM_PanStepZoomedIn)->Unit(benchmark::kMillisecond);

// The overall view with every point's name and elevation.
void BM_FullPlanRepaintWithLabels(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    g_showPointNames = -1;
    g_showPointElevations = -1;
    for (auto _ : state) Frame(state);
    g_showPointNames = 0;
    g_showPointElevations = 0;
}
BENCHMARK(BM_FullPlanRepaintWithLabels)->Unit(benchmark::kMillisecond);
}  // namespace
