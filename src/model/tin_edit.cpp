#include "model/tin_edit.h"

#include <algorithm>

#include "model/hole_commands.h"
#include "model/holes.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_keep_existing.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/projection.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {
constexpr int32_t kPolygonPickRadius2 = 200;
constexpr int32_t kMinimumTinRecords = 6;
constexpr const char* kRecalcQuestion = "三角網再計算を開始します。";
constexpr const char* kListFullText = "点数が上限の %d 点に達しているため追加できません。";

int32_t Abs(int32_t v) { return v < 0 ? -v : v; }

bool IsPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }

// Whether some record has `from` as an end point and `to` as its other end or an apex.
bool JoinedByTinEdge(int32_t from, int32_t to) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        const int32_t a = Abs(r.a), b = Abs(r.b);
        if (a != from && b != from) continue;
        const int32_t other = a == from ? b : a;
        if (other == to || (r.apexBack != kNoApex && Abs(r.apexBack) == to) || Abs(r.apexSearch) == to)
            return true;
    }
    return false;
}

bool EndPointOfSomeRecord(int32_t p) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        if (Abs(g_tinEdges[i].a) == p || Abs(g_tinEdges[i].b) == p) return true;
    return false;
}

void ActOnClosedPolygon(int32_t n) {
    switch (g_outlineEditState) {
        case OUTLINE_EDIT_HOLE_REGISTER: {
            const int32_t kind = RunHoleKindDialog();
            ApplyHolePolygon(kind, n);
            if (IsToolWindowOpen(ToolWindow::kHoleType)) CloseToolWindow(ToolWindow::kHoleType);
            break;
        }
        case OUTLINE_EDIT_HOLE_DELETE:
            MarkEdgePointsInPolygon(n, 1);
            break;
        case OUTLINE_EDIT_PARTIAL_TIN:
            FullRepaintView();
            if (ShowMessage(kRecalcQuestion, "", msg::kOkCancel | msg::kIconInformation) == msg::kIdOk) {
                MarkEdgePointsInPolygon(n, 0);
                RecalcTinInPolygon();
            }
            break;
        default:
            break;
    }
}
}  // namespace

void PickTinPolygonAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags) || !g_points || !g_tinEdges) return;
    if (g_tinEdgeCount < kMinimumTinRecords) return;
    if (!g_projectionValid) ProjectAllData(0);
    const int32_t p = FindPointAtCursor(x, y, kPolygonPickRadius2);
    if (!IsPoint(p)) return;

    IndexList& polygon = g_pickList2;
    const int32_t n = std::clamp(polygon.Count(), 0, kIndexListMaxVertices);
    const int32_t first = n > 0 ? polygon[1] : 0;
    if ((g_points[p].flags & kPointFlagPickList2) && p != first) {
        if (n > 0 && p == polygon[n]) UndoLastPick();
        return;
    }
    if (n == 0) {
        if (!EndPointOfSomeRecord(p)) return;
        g_pickedPoint = p;
    } else if (!JoinedByTinEdge(polygon[n], p)) {
        return;
    }
    g_points[p].flags |= kPointFlagPickList2;

    if (p != first) {
        if (n >= kIndexListMaxVertices) {
            ShowMessage(FormatString(kListFullText, kIndexListMaxVertices), "", msg::kOk | msg::kIconWarning);
            return;
        }
        polygon[n + 1] = p;
        polygon[n + 2] = 0;
        polygon[0] = n + 1;
        g_redrawMask = 1;
        return;
    }
    if (n <= 2) return;

    polygon[n + 1] = polygon[1];
    polygon[n + 2] = 0;
    g_dataChanged = -1;
    OrientPolygonClockwise(polygon);
    ActOnClosedPolygon(n);
    g_toolMode = MODE_NONE;
    g_outlineEditState = 0;
    g_pickedPoint3 = 0;
    g_pickedPoint = 0;
    ClearPicks();
    g_redrawMask = -1;
}
