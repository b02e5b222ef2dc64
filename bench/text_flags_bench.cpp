// What text flags add to a full repaint of the Jacksboro plan view (1920 x 1080, the
// 138,632 grid points with their TIN): the frame without flags, then with 500 flags of
// double-byte text spread over the grid. Aim: the flags add under 15 ms per frame.
#include <benchmark/benchmark.h>

#include "plan_frame_bench_support.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/text_flags.h"
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

// 500 flags on grid nodes spread over the survey, texts like "測点１２３ 盛土".
void PlaceFlags(int32_t count) {
    g_textFlagCount = 0;
    const std::string base = Utf8ToCp932("測点");
    const std::string tail = Utf8ToCp932(" 盛土");
    for (int32_t k = 1; k <= count; ++k) {
        const RandomPoint& p = g_points[1 + (k * 277) % g_pointCount];
        TextFlag& f = g_textFlags[k];
        f = TextFlag{};
        f.x = p.x;
        f.y = p.y;
        f.z = p.z;
        f.lineLength = 50;
        f.colour = 1 + k % 4;
        f.sizeClass = 1 + k % 3;
        std::snprintf(f.text, sizeof f.text, "%s%d%s", base.c_str(), k, tail.c_str());
        g_textFlagCount = k;
    }
    g_showTextFlags = count > 0 ? 1 : 0;
}

void BM_PlanRepaintWithTextFlags(benchmark::State& state) {
    if (!LoadGridWithTin()) {
        state.SkipWithError(
            "jacksboro_grid.RND not found or not triangulated (run from the project root)");
        return;
    }
    PlaceFlags(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) Frame(state);
    state.counters["flags"] = g_textFlagCount;
    PlaceFlags(0);
}
BENCHMARK(BM_PlanRepaintWithTextFlags)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);
}  // namespace
