// What text flags add to a full repaint of the Jacksboro plan view (1920 x 1080, the
// 138,632 grid points with their TIN): the frame without flags, then with 500 flags of
// double-byte text spread over the grid. Aim: the flags add under 15 ms per frame.
#include <benchmark/benchmark.h>

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
