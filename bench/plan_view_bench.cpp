// A full repaint of the plan view into a 1920 x 1080 back buffer: the 138,632 points of
// the Jacksboro grid with the TIN the grid builder makes over them and their outline, in
// the overall view. Reports milliseconds per frame; panning needs well under 100 ms.
#include <benchmark/benchmark.h>

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
constexpr int32_t kRows = 344;
constexpr int32_t kColumns = 403;
constexpr ViewClient kClient{1920, 1080};

fs::path GridFile() { return SurveyFile("jacksboro_grid.RND"); }

// The grid read as a document, the ring of its boundary nodes as the outline, the TIN
// built; then the overall view of a 1920 x 1080 window. False when something is missing.
bool LoadGridWithTin() {
    static bool loaded = false;
    if (loaded) return true;
    const fs::path path = GridFile();
    if (path.empty()) return false;
    InitDataModel();
    g_pointCapacity = static_cast<int32_t>(fs::file_size(path) / 63 + 1000);
    if (GrowPointBlock(g_pointCapacity) != 0) return false;
    g_currentDataPath = path.string();
    if (ReadRndDocument() != -1 || g_pointCount != kRows * kColumns) return false;

    auto node = [](int32_t r, int32_t c) { return r * kColumns + c + 1; };
    g_outline.Reset();
    for (int32_t c = 0; c < kColumns; ++c) g_outline.Append(node(0, c));
    for (int32_t r = 1; r < kRows; ++r) g_outline.Append(node(r, kColumns - 1));
    for (int32_t c = kColumns - 2; c >= 0; --c) g_outline.Append(node(kRows - 1, c));
    for (int32_t r = kRows - 2; r >= 1; --r) g_outline.Append(node(r, 0));
    g_outline.Close();
    for (int32_t k = 1; k <= g_outline.Count(); ++k)
        g_points[g_outline[k]].flags = kPointFlagOutline;
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    if (LastTinBuildResult() != TinBuildResult::kComplete) return false;

    LoadStrokeFont();
    AllocateBackBuffer(kClient.width + 1, kClient.height + 1);
    g_showTin = -1;
    g_showPoints = -1;
    ShowAllKeepSettings();
    loaded = true;
    return true;
}

void Frame(benchmark::State& state) {
    LockBackBuffer();
    g_redrawMask = -1;
    if (PaintView(&kClient) != 1) state.SkipWithError("nothing painted");
    UnlockBackBuffer();
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
