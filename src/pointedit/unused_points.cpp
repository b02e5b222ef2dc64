#include "pointedit/unused_points.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "pointedit/point_array.h"
#include "shell/quiet_mode.h"
#include "shell/status_bar.h"
#include "shell/status_text.h"
#include "shell/tool_windows.h"
#include "view/view_navigation.h"

namespace {
void MarkUsed(std::vector<uint8_t>& used, int32_t index) {
    if (index == kNoApex) return;
    const int64_t i = std::llabs(int64_t{index});
    if (i >= 1 && i < static_cast<int64_t>(used.size())) used[i] = 1;
}

void Finish() {
    g_dataChanged = 1;
    FullRepaintView();
}
}  // namespace

void DeleteUnusedPoints() {
    if (!g_points || g_pointCount <= 0) return;
    const int answer = g_quietMode ? msg::kIdYes
                                   : ShowMessage("外周外の点も削除しますか", "",
                                                 msg::kYesNoCancel | msg::kIconQuestion);
    if (answer != msg::kIdYes && answer != msg::kIdNo) return;
    // Turned coordinates would be compacted into the survey frame's places.
    RestoreSurveyFrame();
    const bool outsideToo = answer == msg::kIdYes;
    if (outsideToo && g_outline.Count() > 2) {
        OrientPolygonClockwise(g_outline);
        MarkPointsInPolygonRaster(g_outline, 0);
    }

    const int32_t count = g_pointCount;
    std::vector<uint8_t> used(count + 1, 0);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        MarkUsed(used, g_tinEdges[e].a);
        MarkUsed(used, g_tinEdges[e].b);
    }
    const int32_t n = std::min(g_outline.Count(), kIndexListMaxVertices);
    for (int32_t k = 1; k <= n; ++k) MarkUsed(used, g_outline[k]);

    std::vector<int32_t> newIndex(count + 1, 0);
    int32_t kept = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const RandomPoint& p = g_points[i];
        if (used[i] || (p.invalid == 0 && (!outsideToo || p.outside == 0))) newIndex[i] = ++kept;
    }
    if (kept == 0) {
        g_pointCount = 0;
        SetPointEndMarker();
        g_pointsPresent = 0;
        return;
    }
    if (kept < count) {
        RenumberPointReferences(newIndex, false);
        CompactPoints(newIndex);
    }
    g_pointZMin = g_pointZMax = g_points[1].z;
    for (int32_t i = 2; i <= kept; ++i) {
        g_pointZMin = std::min(g_pointZMin, g_points[i].z);
        g_pointZMax = std::max(g_pointZMax, g_points[i].z);
    }
    if (count - kept != 0) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%d", count - kept);
        std::string number = buffer;
        FormatWithThousands(number);
        SetStatusText("   " + number + " 点削除しました。");
        if (g_pointCapacity - kept > kUnusedShrinkSpare &&
            GrowPointBlock(kept + kUnusedKeepSpare) == 0)
            g_pointCapacity = kept + kUnusedKeepSpare;
    }
    g_pointCount = kept;
    SetPointEndMarker();
}

void OnDeleteUnusedPoints() {
    CloseToolWindows();
    ClearPicks();
    ClearPickList();
    DeleteUnusedPoints();
    Finish();
}

void DeleteUnusedPointsByKey() {
    if (!g_pointsPresent || g_pointCount <= 0) return;
    // As the command: the pick lists would otherwise name the old numbers.
    ClearPicks();
    ClearPickList();
    DeleteUnusedPoints();
    Finish();
}
