// Colour bands on the Jacksboro grid (138,632 points): a band edit (the step typed) up to
// the repainted 1920 x 1080 frame with the TIN in shaded bands, which should stay well
// under 100 ms; and 適用 of the point colours without a TIN, which should stay under 0.2 s.
#include <benchmark/benchmark.h>

#include "plan_frame_bench_support.h"

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "tin_bench_support.h"
#include "view/back_buffer.h"
#include "view/band_texture.h"
#include "view/color_band_command.h"
#include "view/color_band_edit.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/triangle_pass.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

using plan_frame_bench::kClient;

bool LoadGridWithTin() {
    static bool ready = false;
    if (ready) return true;
    if (!plan_frame_bench::LoadGridWithTin()) return false;
    InstallTrianglePass();
    g_showTin = 0;
    g_showPoints = 0;
    ComputeDataExtents(1);
    ready = true;
    return true;
}

// The step typed, the palette rebuilt and the full frame painted with the bands.
void BM_BandEditToRepaintedFrame(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError("jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    ColorBandParams& p = g_colorBandParams;
    p.mode = 0;
    p.shading = 1;
    p.centre = (p.dataHighest + p.dataLowest) / 2;
    g_colorBandOn = 1;
    // The first banded frame builds what later ones reuse: not part of an edit.
    BuildElevationPalette();
    plan_frame_bench::Frame(state);
    int k = 0;
    for (auto _ : state) {
        EditBandLimitText(p, BandLimitEdit::Step, ++k % 2 ? "1.5" : "2.5");
        BuildElevationPalette();
        LockBackBuffer();
        g_redrawMask = -1;
        if (PaintView(&kClient) != 1) state.SkipWithError("nothing painted");
        UnlockBackBuffer();
    }
    // How much of the frame the bands cover, to see that they were drawn.
    LockBackBuffer();
    int64_t banded = 0;
    const uint32_t background = g_backBufferPixels[0];
    for (int32_t y = 0; y < kClient.height; ++y) {
        const uint32_t* row = g_backBufferPixels + y * (g_backBufferStride / 4);
        for (int32_t x = 0; x < kClient.width; ++x) banded += row[x] != background;
    }
    UnlockBackBuffer();
    state.counters["painted_share"] = static_cast<double>(banded) / (kClient.width * kClient.height);
    state.counters["points"] = g_pointCount;
}
BENCHMARK(BM_BandEditToRepaintedFrame)->Unit(benchmark::kMillisecond);

// 適用 with the colours written as names.
void BM_ApplyVertexColours(benchmark::State& state) {
    if (!tin_bench::LoadJacksboro("jacksboro_grid.RND")) {
        state.SkipWithError("jacksboro_grid.RND not found (run from the project root)");
        return;
    }
    VertexBandRangeFromPoints(g_colorBandParams, g_points, g_pointCount);
    VertexColourOptions options;
    options.updateNames = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ApplyVertexColours(g_colorBandParams, g_points, g_pointCount, options));
    state.counters["points"] = g_pointCount;
}
BENCHMARK(BM_ApplyVertexColours)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
}  // namespace
