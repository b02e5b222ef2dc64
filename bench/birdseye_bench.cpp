// The bird's-eye picture of the Jacksboro grid's TIN (138,632 points, about 276,000
// triangles) with shaded colour bands in a 1920 x 1080 back buffer: milliseconds per full
// repaint of the view, for a still camera and for one turning a little every frame (the
// user's rotation).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "view/back_buffer.h"
#include "view/band_texture.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/triangle_pass.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "../tests/support/survey_data.h"

namespace {
constexpr int32_t kRows = 344;
constexpr int32_t kColumns = 403;
constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

DrawBitmapInfo g_bitmapInfo{};

// The grid with the ring of its boundary nodes as the outline, and its TIN.
bool LoadGridTin() {
    std::FILE* file = std::fopen(SurveyFile("jacksboro_grid.RND").c_str(), "rb");
    if (!file) return false;
    InitDataModel();
    g_pointCapacity = kRows * kColumns + 100;
    GrowPointBlock(g_pointCapacity);
    if (ReadRndText(file) != 0 || g_pointCount != kRows * kColumns) return false;
    g_pointsPresent = -1;

    auto node = [](int32_t r, int32_t c) { return r * kColumns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < kColumns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < kRows; ++r) ring.push_back(node(r, kColumns - 1));
    for (int32_t c = kColumns - 2; c >= 0; --c) ring.push_back(node(kRows - 1, c));
    for (int32_t r = kRows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    g_outline.Reset();
    for (int32_t v : ring) g_outline.Append(v);
    g_outline.Close();
    g_tinEdgeCapacity = 4 * g_pointCount;
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    return LastTinBuildResult() == TinBuildResult::kComplete;
}

// One full repaint of the view, as the window's paint does it.
bool PaintFrame() {
    g_redrawMask = -1;
    g_rasterStatus = 0;
    return PaintView(nullptr) == 1 && g_rasterStatus == 0;
}

bool Setup(benchmark::State& state) {
    static int ready = 0;  // 0 not tried, 1 ready, -1 failed
    if (ready == 0) {
        ready = LoadGridTin() ? 1 : -1;
        if (ready == 1) {
            g_bitmapInfo.header.biSize = 40;
            g_bitmapInfo.header.biWidth = 1024;
            g_bitmapInfo.header.biHeight = 1027;
            g_bitmapInfo.header.biPlanes = 1;
            g_bitmapInfo.header.biBitCount = 8;
            g_drawBitmapInfo = &g_bitmapInfo;
            InitPaletteCanvas(g_bitmapInfo);
            AllocateBackBuffer(kWidth, kHeight);
        }
    }
    if (ready < 0) {
        state.SkipWithError(
            "cannot read or triangulate the Jacksboro grid (run from the project root)");
        return false;
    }
    LockBackBuffer();
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0.5;
    g_birdsEyeTilt = -0.45;
    g_heightScale = 3;
    g_viewScale *= 1.7;
    g_colorBandParams.shading = 1;
    g_colorBandOn = -1;
    // As the start-up shows a survey with a TIN: the coloured surface alone.
    g_showTin = 0;
    g_showPoints = 0;
    InstallTrianglePass();
    BuildElevationPalette();
    return true;
}

void BM_BirdsEyeFrame(benchmark::State& state) {
    if (!Setup(state)) return;
    for (auto _ : state) {
        if (!PaintFrame()) state.SkipWithError("no raster");
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = static_cast<double>(g_tinEdgeCount) * 2 / 3;  // about
}
BENCHMARK(BM_BirdsEyeFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BirdsEyeRotating(benchmark::State& state) {
    if (!Setup(state)) return;
    for (auto _ : state) {
        g_birdsEyeAzimuth += 0.05;
        if (!PaintFrame()) state.SkipWithError("no raster");
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BirdsEyeRotating)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
