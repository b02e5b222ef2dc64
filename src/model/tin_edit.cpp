#include "model/tin_edit.h"

#include <algorithm>

#include "model/document_services.h"
#include "model/geometry.h"
#include "model/hole_commands.h"
#include "model/holes.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_intersection.h"
#include "model/tin_keep_existing.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/point_tools.h"
#include "shell/command_routing.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

int32_t g_swapEdge = 0;
int32_t g_swapNoCross = 0;
int32_t g_swapBusy = 0;

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_swapEdge = 0;
        g_swapNoCross = 0;
        g_swapBusy = 0;
    });
    return true;
}();

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

// ---- Diagonal swap ----

namespace {
constexpr const char* kNoTinText = "三角網が計算されていません";
constexpr const char* kConfirmCaption = "確認";
constexpr const char* kRegisterQuestion = "選択範囲を中抜登録します";
constexpr const char* kReleaseQuestion = "選択範囲を中抜解除します";
constexpr const char* kPartialQuestion = "三角網部分計算を開始します";
constexpr const char* kBadTrianglesText = "不良三角網が %d個あります。";
constexpr const char* kNoBadTrianglesText = "不良三角網はありませんでした。";

void ClearSwapPick() {
    g_pickAux1 = 0;
    g_pickAux2 = 0;
    ClearPickedPoints();
}

bool SwapToolActive() {
    return g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == OUTLINE_EDIT_TIN_EDGE;
}

// The first click: the edge under the cursor, kept when its quadrilateral is convex.
void SelectSwapEdge(int32_t x, int32_t y) {
    g_swapEdge = g_birdsEyeOn ? FindTinEdgeNearCursor(x, y) : FindTinEdgeNearWorld(x, y);
    if (g_swapEdge < 1 || g_swapEdge > g_tinEdgeCount) {
        g_swapEdge = 0;
        return;
    }
    const TinEdge& r = g_tinEdges[g_swapEdge];
    const int32_t a = r.a, b = r.b, k = r.apexBack, s = r.apexSearch;
    // Both triangles must be there: a side still open or at the border cannot turn.
    if (!IsPoint(a) || !IsPoint(b) || !IsPoint(k) || !IsPoint(s)) {
        g_swapEdge = 0;
        return;
    }
    g_pickedPoint = a;
    g_pickedPoint2 = b;
    g_pickedPoint3 = s;
    g_pickedPoint4 = k;
    g_pickAux2 = a;
    g_pickAux1 = b;
    const RandomPoint &pa = g_points[a], &pb = g_points[b], &ps = g_points[s], &pk = g_points[k];
    double cx = 0, cy = 0;
    int cls = 1;
    const int rc = IntersectSegments(pa.x, pa.y, pb.x, pb.y, ps.x, ps.y, pk.x, pk.y, 0, 0.00001,
                                     0.00001, &cx, &cy, &cls);
    g_swapNoCross = cls == 0 ? 0 : 1;
    if (rc != kGeomOk) return;  // shown, but the second click will not swap
    bool keep = cls == 0;
    if (keep) {
        double d, fx, fy;
        int c;
        keep = PointToSegment(ps.x, ps.y, pk.x, pk.y, pa.x, pa.y, 0.0001, &d, &fx, &fy, &c) == kGeomOk &&
               PointToSegment(ps.x, ps.y, pk.x, pk.y, pb.x, pb.y, 0.0001, &d, &fx, &fy, &c) == kGeomOk;
    }
    if (!keep) ClearSwapPick();
}

// Turns the diagonal A-B of record e into K-S and rewrites the apexes of the four outer
// edges that saw A or B across the old diagonal.
void SwapDiagonal(int32_t e) {
    TinEdge& r = g_tinEdges[e];
    const int32_t a = r.a, b = r.b, k = r.apexBack, s = r.apexSearch;
    bool searchChanged = false;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (i == e) continue;
        TinEdge& o = g_tinEdges[i];
        auto is = [&o](int32_t first, int32_t second) { return o.a == first && o.b == second; };
        if (is(a, s) && o.apexBack == b) {
            o.apexBack = k;
        } else if (is(s, a) && o.apexSearch == b) {
            o.apexSearch = k;
            searchChanged = true;
        } else if (is(a, k) && o.apexSearch == b) {
            o.apexSearch = s;
            searchChanged = true;
        } else if (is(k, a) && o.apexBack == b) {
            o.apexBack = s;
        } else if (is(k, b) && o.apexSearch == a) {
            o.apexSearch = s;
        } else if (is(b, k) && o.apexBack == a) {
            o.apexBack = s;
        } else if (is(b, s) && o.apexSearch == a) {
            o.apexSearch = k;
        } else if (is(s, b) && o.apexBack == a) {
            o.apexBack = k;
        }
    }
    if (!searchChanged) {
        r.a = k;
        r.b = s;
        r.apexBack = b;
        r.apexSearch = a;
    } else {
        r.a = s;
        r.b = k;
        r.apexBack = a;
        r.apexSearch = b;
    }
    g_redrawMask = -1;
}
}  // namespace

void OnTinEdit() {
    if (SwapToolActive()) {
        g_dragState = 0;
        g_toolMode = MODE_NONE;
        g_outlineEditState = 0;
        g_pointEditState = 0;
        ClearPickedPoints();
        return;
    }
    ResetToolMode();
    CloseToolWindows();
    if (g_tinPresent == 0) {
        ShowMessage(kNoTinText, "", msg::kOk | msg::kIconInformation);
        g_outlineEditState = 0;
        return;
    }
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = IsProgressWindowOpen() ? 0 : OUTLINE_EDIT_TIN_EDGE;
    g_pickAux1 = 0;
    g_pickAux2 = 0;
    ClearPickedPoints();
    ClearPicks();
    ClearPickList();
    FullRepaintView();
}

void SwapTinDiagonal(int32_t flags, int32_t x, int32_t y) {
    if (TerrainToolClickRefused(flags) || !g_showTin || g_swapBusy != 0) return;
    if (!g_points || !g_tinEdges || g_tinEdgeCount <= 0) return;
    if (!g_projectionValid) ProjectAllData(0);
    if (g_pickAux2 == 0 || g_pickAux1 == 0) {
        g_swapBusy = -1;
        SelectSwapEdge(x, y);
        g_swapBusy = 0;
        return;
    }
    const int32_t e = g_swapEdge;
    // The record must still be the edge that was shown.
    if (g_swapNoCross == 0 && e >= 1 && e <= g_tinEdgeCount && g_tinEdges[e].a == g_pickAux2 &&
        g_tinEdges[e].b == g_pickAux1 && IsPoint(g_tinEdges[e].apexBack) && IsPoint(g_tinEdges[e].apexSearch)) {
        SwapDiagonal(e);
        g_dataChanged = -1;
    }
    g_pickedPoint4 = -5;
    SendViewToViewer3d();
    ClearSwapPick();
}

// ---- Rectangle selection ----

int32_t ApplyRectangleSelection(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (IsProgressWindowOpen() || g_pointCount <= 0 || !g_points) return 0;
    if (SwapToolActive()) return 0;
    // The point tools select with their own rules (validity, batch, crossings).
    if (g_toolMode == MODE_POINT_EDIT) return ApplyPointToolRectangle(left, top, right, bottom);
    const int32_t selected = MarkPointsInClientRect(left, top, right, bottom);
    int32_t result = selected;
    if (selected > 0) {
        if (g_toolMode == MODE_OUTLINE_EDIT) {
            const int32_t state = g_outlineEditState;
            if (state == OUTLINE_EDIT_HOLE_REGISTER || state == OUTLINE_EDIT_HOLE_DELETE) {
                const bool reg = state == OUTLINE_EDIT_HOLE_REGISTER;
                if (ShowMessage(reg ? kRegisterQuestion : kReleaseQuestion, kConfirmCaption,
                                msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
                    SetHoleSignOfMarkedEdges(reg ? 0 : 1);
                    g_dataChanged = -1;
                }
            } else if (state == OUTLINE_EDIT_PARTIAL_TIN) {
                SetHoleSignOfMarkedEdges(2);
                const int32_t n = g_pickList2.Count();
                if (n < 3) {
                    SetHoleSignOfMarkedEdges(1);
                } else {
                    FullRepaintView();
                    if (ShowMessage(kPartialQuestion, kConfirmCaption, msg::kYesNo | msg::kIconQuestion) ==
                        msg::kIdYes) {
                        OrientPolygonClockwise(g_pickList2);
                        MarkEdgePointsInPolygon(n, 0);
                        RecalcTinInPolygon();
                        g_dataChanged = -1;
                    } else {
                        SetHoleSignOfMarkedEdges(1);
                    }
                }
                ClearPicks();
            }
        }
    }
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].flags &= static_cast<uint8_t>(~kPointFlagRectSelected);
    return result;
}

// ---- Invalid points and bad triangles ----

void DeleteUnusedPointTriangles() {
    if (!g_tinEdges || !g_points) return;
    auto invalid = [](int32_t v) {
        if (v == kNoApex) return false;
        const int32_t p = Abs(v);
        return p >= 1 && p <= g_pointCount && g_points[p].invalid == 1;
    };
    int32_t kept = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge r = g_tinEdges[i];
        r.state = 0;
        if (invalid(r.a) || invalid(r.b)) continue;
        if (!invalid(r.apexSearch)) {
            if (invalid(r.apexBack)) r.apexBack = kNoApex;
        } else if (r.apexBack == kNoApex || invalid(r.apexBack)) {
            // No triangle is left on either side.
            continue;
        } else {
            r = TinEdge{r.b, r.a, kNoApex, r.apexBack, 0};
        }
        g_tinEdges[++kept] = r;
    }
    g_tinEdgeCount = kept;
    SetTinEndRecord();
    g_dataChanged = -1;
}

void OnBadTriangleCheck() {
    const int32_t n = CheckBadTriangles(1);
    if (n != 0) {
        FullRepaintView();
        if (ToolServices().focusMainWindow) ToolServices().focusMainWindow();
        ShowMessage(FormatString(kBadTrianglesText, n), "", msg::kOk | msg::kIconInformation);
    } else {
        ShowMessage(kNoBadTrianglesText, "", msg::kOk | msg::kIconInformation);
    }
}

void OnDeleteUnusedPointTriangles() {
    DeleteUnusedPointTriangles();
    FullRepaintView();
}

void RegisterTinEditCommands(FrameCommandTarget& commands) {
    commands.SetHandler(32837, OnTinEdit);
    commands.SetHandler(32884, OnBadTriangleCheck);
    commands.SetHandler(32925, OnDeleteUnusedPointTriangles);
}
