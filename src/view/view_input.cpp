#include "view/view_input.h"

#include <cmath>
#include <cstdlib>

#include "analysis/sag_curve.h"
#include "image/raster_trace.h"
#include "analysis/simple_section.h"
#include "dxf/dxf_info.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/vector_editor.h"
#include "contour/contour_files.h"
#include "analysis/tunnel_command.h"
#include "contour/slice_line_tool.h"
#include "contour/slice_store.h"
#include "dxf/dxf_position_dialog.h"
#include "image/image_placement_dialog.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/tin_edit.h"
#include "model/terrain_data.h"
#include "model/watershed.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "analysis/flow_tool.h"
#include "analysis/visibility_tool.h"
#include "pointedit/area_edit_commands.h"
#include "pointedit/area_selection.h"
#include "pointedit/batch_edit.h"
#include "pointedit/edit_point.h"
#include "pointedit/line_numbers.h"
#include "pointedit/point_tools.h"
#include "pointedit/point_list.h"
#include "route/cut_positions.h"
#include "route/ip_editing.h"
#include "pointedit/generated_points.h"
#include "pointedit/offset_points.h"
#include "pointedit/parallel_points.h"
#include "pointedit/two_point_tool.h"
#include "route/route_data.h"
#include "route/route_lists.h"
#include "section/cross_section_command.h"
#include "section/route_point_entry.h"
#include "shell/plotter_file_command.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/birds_eye_camera.h"
#include "view/color_band_gizmo.h"
#include "view/color_band_params.h"
#include "view/cursor_state.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/text_flag_tool.h"
#include "view/text_flags.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_area_tool.h"
#include "volume/mesh_data.h"
#include "volume/mesh_node_edit.h"

ViewMouseState g_viewMouse;
int32_t g_rubberBandRect[4] = {0, 0, 0, 0};
std::vector<RubberLine> g_rubberLines;

namespace {
constexpr const char* kNotInBirdsEye = "立体表示中は設定できません";
constexpr int32_t kMeshRegisterWaiting = 256;  // sub-states of the mesh-area registration
constexpr int32_t kMeshRegisterPressed = 513;  // bit 1: not dragged yet
constexpr int32_t kMeshVertexRadius2 = 50;
constexpr int32_t kClickSlack = 9;  // pixels a click may move and stay a click

bool Held(int32_t flags, int32_t flag) { return (flags & flag) != 0; }

// Layers that drag frames leave out: after a drag they need one full frame.
bool LabelsOrOverlaysShown() {
    return g_showSimpleContours || g_showTextFlags || g_showPointNames || g_showPointElevations ||
           g_showSliceContours || g_showDrawingContours || g_colorBandOn || g_showSlopeLines ||
           (g_birdsEyeOn && g_showBackgroundImage);
}

bool AnyToolWindowOpen() {
    for (size_t i = 0; i < kToolWindowCount; ++i)
        if (IsToolWindowOpen(static_cast<ToolWindow>(i))) return true;
    return false;
}

bool InRasterTraceMode(int32_t mode) {
    return mode >= MODE_RASTER_TRACE && mode <= MODE_RASTER_TRACE + 3;
}

// Client position of a record from its screen offsets.
int32_t ClientColumn(int32_t column) { return g_viewportCenterX + column; }
int32_t ClientRow(int32_t row) { return g_viewportCenterY - row; }

// ---- Button down by mode ----

// The mesh area is registered and edited in the plan only.
bool RefuseInBirdsEye() {
    if (!g_birdsEyeOn) return false;
    ShowMessage(kNotInBirdsEye, "", msg::kOk | msg::kIconError);
    return true;
}

void PressMeshAreaRegister(int32_t flags, int32_t x, int32_t y) {
    if (RefuseInBirdsEye()) return;
    if (g_toolSubState == kMeshRegisterWaiting) g_toolSubState = kMeshRegisterPressed;
    if (!Held(flags, kMouseFlagShift)) return;
    g_pickedPoint = FindPointAtCursor(x, y, kPickRadius2);
    if (g_pickedPoint > 0 && g_pickedPoint <= g_pointCount) {
        g_viewMouse.anchorX = ClientColumn(g_points[g_pickedPoint].screenX);
        g_viewMouse.anchorY = ClientRow(g_points[g_pickedPoint].screenY);
    }
}

void PressMeshAreaEdit(int32_t x, int32_t y) {
    if (RefuseInBirdsEye()) return;
    g_draggedMeshVertex = 0;
    const int32_t n = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    for (int32_t i = 1; i <= n; ++i) {
        const MeshAreaVertex& v = g_meshAreaPolygon[i];
        const int64_t dx = int64_t{ClientColumn(v.screenColumn)} - x;
        const int64_t dy = int64_t{ClientRow(v.screenRow)} - y;
        if (dx * dx + dy * dy < kMeshVertexRadius2) {
            g_draggedMeshVertex = i;
            return;
        }
    }
}

// ---- Lines that follow the mouse ----

void AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool inverted = false,
             std::string label = {}) {
    g_rubberLines.push_back(RubberLine{x0, y0, x1, y1, inverted, std::move(label)});
}

bool ValidIp(int32_t i) { return i >= 1 && i <= std::min(g_ipPointCount, kMaxIpPoints); }

// Red lines from the neighbours of the IP being moved to the cursor.
void IpChangeLines(int32_t x, int32_t y) {
    const int32_t count = std::min(g_ipPointCount, kMaxIpPoints);
    for (int32_t i : {g_currentIp - 1, g_currentIp + 1}) {
        if (i < 1 || i > count || g_ipPoints[i].offScreen != 0) continue;
        AddLine(ClientColumn(g_ipPoints[i].screenX), ClientRow(g_ipPoints[i].screenY), x, y);
    }
}

// The square of the new mesh from the anchor along the drag, the side turned a quarter to
// the left.
void MeshSquareLines(int32_t x, int32_t y) {
    const int32_t ax = g_viewMouse.anchorX, ay = g_viewMouse.anchorY;
    const int32_t vx = x - ax, vy = y - ay;
    const int32_t bx = x + vy, by = y - vx;
    const int32_t cx = ax + vy, cy = ay - vx;
    AddLine(ax, ay, x, y, true);
    AddLine(x, y, bx, by, true);
    AddLine(bx, by, cx, cy, true);
    AddLine(cx, cy, ax, ay, true);
    if (vx * vx + vy * vy > 1) g_toolSubState &= ~1;
}

void DragMeshVertex() {
    const int32_t n = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    const int32_t i = g_draggedMeshVertex;
    if (i < 1 || i > n) return;
    g_meshAreaPolygon[i].x = g_cursorX;
    g_meshAreaPolygon[i].y = g_cursorY;
    if (i == 1) {
        g_meshAreaPolygon[n].x = g_cursorX;
        g_meshAreaPolygon[n].y = g_cursorY;
    }
    ProjectAllData(0);
    QuickRepaintView();
}

// "L:" and the ground distance of the rubber line's length label.
std::string LengthLabel(double metres) { return FormatString("L:%10.3f  ", metres); }

// The rubber line of a tool that enters a line by clicks, from its last point to the
// cursor, while no button is down.
void EntryLines(int32_t x, int32_t y) {
    if (g_birdsEyeOn || g_dragState != 0 || !g_cursorValid) return;
    const bool ipInput = g_toolMode == MODE_IP_POINT && g_toolSubState == IP_POINT_INPUT;
    if ((ipInput || g_toolMode == MODE_ARBITRARY_SECTION) && g_ipPointCount > 0) {
        const IpPoint& last = g_ipPoints[std::min(g_ipPointCount, kMaxIpPoints)];
        if (last.offScreen != 0) return;
        const double metres = std::hypot(last.x - g_cursorX, last.y - g_cursorY);
        AddLine(ClientColumn(last.screenX), ClientRow(last.screenY), x, y, false,
                LengthLabel(metres));
    }
    // The simple-section and sag-curve lines and the vector editor's come with those tools.
}

// ---- The dispatch table of a release ----

void OutlineTool(const ToolClick& c, void (*tool)(int32_t, int32_t, int32_t)) {
    ShowWaitCursor(true);
    g_dataChanged = -1;
    tool(c.flags, c.x, c.y);
    ShowWaitCursor(false);
    InvalidateAndUpdateView();
}
void EnterOutlineRow(const ToolClick& c) { OutlineTool(c, EnterOutlinePointAtCursor); }
void EraseOutlineRow(const ToolClick& c) { OutlineTool(c, EditOutlineVertexAtCursor); }
void ExtendOutlineRow(const ToolClick& c) { OutlineTool(c, ExtendOutlineAtCursor); }
void PickChainRow(const ToolClick& c) { OutlineTool(c, PickOutlineChainAtCursor); }
void ReplaceOutlineRow(const ToolClick& c) { OutlineTool(c, ReplaceOutlineAtCursor); }
void TinPolygonRow(const ToolClick& c) { OutlineTool(c, PickTinPolygonAtCursor); }
void SwapRow(const ToolClick& c) { OutlineTool(c, SwapTinDiagonal); }

// The route tools: the open IP and station lists follow their edits.
void AfterRouteTool() {
    RefreshIpList();
    RefreshStationList();
    InvalidateAndUpdateView();
}
void IpChangeRow(const ToolClick& c) {
    // A click (not a drag) picks the IP at the release instead of moving the pressed one.
    if (std::abs(c.x - c.pressX) < 10 && std::abs(c.y - c.pressY) < 10) g_currentIp = 0;
    double x = 0, y = 0;
    ClientToGround(c.x, c.y, x, y);
    EditIpAtCursor(c.flags, c.x, c.y, x, y);
    AfterRouteTool();
}
void IpDeleteRow(const ToolClick& c) {
    DeleteIpAtCursor(c.flags, c.x, c.y);
    AfterRouteTool();
}
void RoutePointEntryRow(const ToolClick& c) {
    EnterRoutePointAtCursor(c.flags, c.x, c.y);
    AfterRouteTool();
}
void IpInsertRow(const ToolClick& c) {
    InsertIpAtCursor(c.flags, c.x, c.y);
    AfterRouteTool();
}
void StationDeleteRow(const ToolClick& c) {
    PickOrDeleteStation(c.flags, c.x, c.y);
    RefreshStationList();
    InvalidateAndUpdateView();
}
void StakeRow(const ToolClick& c) {
    RegisterStakeAtPoint(c.flags, c.x, c.y);
    RefreshStationList();
}
// Shift clears the marks, so the tool checks its keys itself.
void WatershedRow(const ToolClick& c) {
    ToggleEdgeMarksAtCursor(c.flags, c.x, c.y);
    InvalidateAndUpdateView();
}

constexpr int32_t kAny = INT32_MIN;
// Rows of the modes that a click in "any other mode" (the point list's row) does not reach.
constexpr int32_t kOtherModes = INT32_MIN + 1;
enum class CtrlRule { kAny, kHeld, kNotHeld };

struct ToolClickRow {
    int32_t modeFirst;
    int32_t modeLast;
    int32_t subState;
    CtrlRule ctrl;
    bool terrainTool;
    const char* callee;
    ToolClickHandler run;
};

// Every tool a release reaches. Rows without a handler belong to tools that are not part
// of the program yet: their clicks do nothing until the tool comes with its subsystem.
// The receivers outside this table come with their windows too: the flow window, the
// colour-band gizmo, the text-flag window, the vector editor, the valid-area, duplicate-
// area and move-and-rotate editors (press, move, release), the visibility, the tunnel,
// line-number and DXF-information windows (release, before the tools), the cross-section
// window and the text-flag link marks (PickLinkMark, release without a tool), the batch
// lasso (TrackBatchEditLasso, press) and the mesh handles (StartMeshAreaDrag, press, and
// MoveMeshAreaDrag, move).
void BatchLassoRow(const ToolClick& c) { TrackBatchEditLasso(kViewLButtonUp, c.flags, c.x, c.y); }
void BatchPolygonRow(const ToolClick& c) {
    if (PickSelectionPolygonPoint(c.flags, c.x, c.y)) InvalidateAndUpdateView();
}

// ---- Point tools ----

bool Dragged(const ToolClick& c) {
    return std::abs(c.x - c.pressX) > kClickSlack || std::abs(c.y - c.pressY) > kClickSlack;
}

void ModifyPointRow(const ToolClick& c) {
    int32_t snapped = 0;
    if (!Dragged(c)) {
        g_pickedPoint = 0;
    } else if (g_pickedPoint != 0) {
        double sx = 0, sy = 0;
        if (SnapToDxf(c.x, c.y, sx, sy)) {
            g_pickedPointRecord.x = sx;
            g_pickedPointRecord.y = sy;
            AddLine(c.pressX, c.pressY, c.x, c.y);
            snapped = 1;
        }
    }
    OnClickModifyPoint(c.flags, c.x, c.y, snapped);
}
void AddPointRow(const ToolClick& c) { OnClickAddPoint(c.flags, c.x, c.y); }
void FourPointRow(const ToolClick& c) { OnClickFourPointIntersection(c.flags, c.x, c.y); }
void ToggleValidRow(const ToolClick& c) { OnClickToggleValid(c.flags, c.x, c.y); }
// The open point list makes the row of the clicked point current.
void PointListClickRow(const ToolClick& c) {
    if (PointListViewRelease(c.x, c.y)) QuickRepaintView();
}

void TwoPointRow(const ToolClick& c) { OnClickTwoPointMode(c.flags, c.x, c.y); }
void OffsetRow(const ToolClick& c) { OnClickOffsetMode(c.flags, c.x, c.y, Dragged(c) ? 1 : 0); }
void DxfPositionRow(const ToolClick& c) { DxfPositionViewClick(c.x, c.y); }
void ImagePositionRow(const ToolClick& c) { ImagePlacementViewClick(c.x, c.y); }
// The tracing window takes the ground point under the release (plan view).
void RasterTraceRow(const ToolClick& c) {
    if (!g_rasterTraceDlg) return;
    double north = 0.0, east = 0.0;
    ClientToGround(c.x, c.y, north, east);
    g_rasterTraceDlg->OnViewClick(north, east);
}

void PolylineRow(const ToolClick& c) { PickPolylinePoint(c.flags, c.x, c.y); }
void TraceBaseRow(const ToolClick& c) { PickTraceOutputBasePoints(c.x, c.y, c.flags); }

void SimpleSectionRow(const ToolClick& c) { OnSimpleSectionPick(c.flags, c.x, c.y); }
void TowerRow(const ToolClick& c) { OnTowerClick(c.flags, c.x, c.y); }

bool InBatchLasso() {
    return g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_BATCH + 2;
}

void MeshAreaRegisterRow(const ToolClick& c) {
    DefineMeshAreaFromDrag(c.flags, c.x, c.y, c.pressX, c.pressY);
}
void MeshAreaDragRow(const ToolClick&) { EndMeshAreaDrag(); }
void MeshElevationEditRow(const ToolClick& c) { OnClickMeshElevationEdit(c.x, c.y); }

void FlowRow(const ToolClick& c) { OnFlowMouse(kViewLButtonUp, c.flags, c.x, c.y); }

void SliceLineInfoRow(const ToolClick& c) { OnClickSliceLineInfo(c.flags, c.x, c.y); }
void SliceLinesValidRow(const ToolClick& c) {
    OnDragSliceLinesValid(c.flags, c.pressX, c.pressY, c.x, c.y);
}

constexpr int32_t M4 = MODE_OUTLINE_EDIT;
constexpr int32_t M2 = MODE_POINT_EDIT;
const ToolClickRow kToolClickRows[] = {
    {M4, M4, OUTLINE_EDIT_SPECIFY, CtrlRule::kAny, true, "EnterOutlinePointAtCursor",
     EnterOutlineRow},
    {M4, M4, OUTLINE_EDIT_PARTIAL_ERASE, CtrlRule::kAny, true, "EditOutlineVertexAtCursor",
     EraseOutlineRow},
    {M4, M4, OUTLINE_EDIT_PARTIAL_CHANGE, CtrlRule::kHeld, false, "ExtendOutlineAtCursor",
     ExtendOutlineRow},
    {M4, M4, OUTLINE_EDIT_PARTIAL_CHANGE, CtrlRule::kNotHeld, true, "PickOutlineChainAtCursor",
     PickChainRow},
    {M4, M4, OUTLINE_EDIT_PARTIAL_CHANGE + 1, CtrlRule::kAny, true, "ReplaceOutlineAtCursor",
     ReplaceOutlineRow},
    {M4, M4, OUTLINE_EDIT_TIN_EDGE, CtrlRule::kAny, true, "SwapTinDiagonal", SwapRow},
    {M4, M4, OUTLINE_EDIT_HOLE_REGISTER, CtrlRule::kAny, true, "PickTinPolygonAtCursor", TinPolygonRow},
    {M4, M4, OUTLINE_EDIT_HOLE_DELETE, CtrlRule::kAny, true, "PickTinPolygonAtCursor", TinPolygonRow},
    {M4, M4, OUTLINE_EDIT_PARTIAL_TIN, CtrlRule::kAny, true, "PickTinPolygonAtCursor", TinPolygonRow},
    {M4, M4, OUTLINE_EDIT_FLOW_PATH, CtrlRule::kAny, false, "OnFlowMouse", FlowRow},
    {M4, M4, OUTLINE_EDIT_WATERSHED, CtrlRule::kAny, false, "ToggleEdgeMarksAtCursor",
     WatershedRow},
    {M2, M2, POINT_EDIT_MODIFY, CtrlRule::kAny, false, "OnClickModifyPoint", ModifyPointRow},
    {M2, M2, POINT_EDIT_ADD, CtrlRule::kAny, false, "OnClickAddPoint", AddPointRow},
    {M2, M2, POINT_EDIT_BETWEEN, CtrlRule::kAny, false, "OnClickTwoPointMode", TwoPointRow},
    {M2, M2, POINT_EDIT_OFFSET, CtrlRule::kAny, false, "OnClickOffsetMode", OffsetRow},
    {M2, M2, POINT_EDIT_FOUR_POINT, CtrlRule::kAny, false, "OnClickFourPointIntersection",
     FourPointRow},
    {M2, M2, POINT_EDIT_VALID_INVALID, CtrlRule::kAny, false, "OnClickToggleValid",
     ToggleValidRow},
    {M2, M2, POINT_EDIT_PLOTTER_BASE, CtrlRule::kAny, false, "PickTraceOutputBasePoints", TraceBaseRow},
    {M2, M2, POINT_EDIT_PARALLEL, CtrlRule::kAny, false, "PickPolylinePoint", PolylineRow},
    {M2, M2, POINT_EDIT_BATCH + 1, CtrlRule::kAny, false, "PickSelectionPolygonPoint",
     BatchPolygonRow},
    {M2, M2, POINT_EDIT_BATCH + 2, CtrlRule::kAny, false, "TrackBatchEditLasso", BatchLassoRow},
    {MODE_RASTER_TRACE, MODE_RASTER_TRACE + 3, kAny, CtrlRule::kAny, false,
     "CRasterTraceDlg::OnViewClick", RasterTraceRow},
    {MODE_BG_IMAGE_POSITION, MODE_BG_IMAGE_POSITION, kAny, CtrlRule::kAny, false,
     "g_bgImagePositionDlg", ImagePositionRow},
    {MODE_BG_IMAGE_POSITION * 2, MODE_BG_IMAGE_POSITION * 2, kAny, CtrlRule::kAny, false,
     "g_bgImagePositionDlg", ImagePositionRow},
    {MODE_BG_DXF_POSITION, MODE_BG_DXF_POSITION, kAny, CtrlRule::kAny, false, "g_dxfPositionDlgWnd",
     DxfPositionRow},
    {MODE_BG_DXF_POSITION * 2, MODE_BG_DXF_POSITION * 2, kAny, CtrlRule::kAny, false,
     "g_dxfPositionDlgWnd", DxfPositionRow},
    {MODE_TEXT_FLAG, MODE_TEXT_FLAG, kAny, CtrlRule::kAny, false, "CTextFlagDlg::OnViewMouse",
     nullptr},
    {kOtherModes, kOtherModes, kAny, CtrlRule::kAny, false, "g_pointListWnd", PointListClickRow},
    {MODE_AREA_INFO, MODE_AREA_INFO, AREA_INFO_PICK, CtrlRule::kAny, false, "OnClickSliceLineInfo",
     SliceLineInfoRow},
    {MODE_AREA_INFO, MODE_AREA_INFO, AREA_INFO_VALID_INVALID, CtrlRule::kAny, false,
     "OnDragSliceLinesValid", SliceLinesValidRow},
    {MODE_IP_POINT, MODE_IP_POINT, IP_POINT_INPUT, CtrlRule::kAny, false, "EnterRoutePointAtCursor",
     RoutePointEntryRow},
    {MODE_IP_POINT, MODE_IP_POINT, IP_POINT_CHANGE, CtrlRule::kAny, false, "EditIpAtCursor",
     IpChangeRow},
    {MODE_IP_POINT, MODE_IP_POINT, IP_POINT_DELETE, CtrlRule::kAny, false, "DeleteIpAtCursor",
     IpDeleteRow},
    {MODE_IP_POINT, MODE_IP_POINT, IP_POINT_INSERT, CtrlRule::kAny, false, "InsertIpAtCursor",
     IpInsertRow},
    {MODE_ARBITRARY_SECTION, MODE_ARBITRARY_SECTION, kAny, CtrlRule::kAny, false,
     "EnterRoutePointAtCursor", RoutePointEntryRow},
    {MODE_SIMPLE_SECTION, MODE_SIMPLE_SECTION, kAny, CtrlRule::kAny, false, "OnSimpleSectionPick",
     SimpleSectionRow},
    {MODE_SAG_CURVE, MODE_SAG_CURVE, kAny, CtrlRule::kAny, false, "CTowerIP", TowerRow},
    {MODE_CUT_POSITION, MODE_CUT_POSITION, kAny, CtrlRule::kAny, false, "RegisterStakeAtPoint",
     StakeRow},
    {MODE_CUT_POSITION * 2, MODE_CUT_POSITION * 2, kAny, CtrlRule::kAny, false,
     "RegisterStakeAtPoint", StakeRow},
    {MODE_CUT_POSITION * 4, MODE_CUT_POSITION * 4, kAny, CtrlRule::kAny, false,
     "RegisterStakeAtPoint", StakeRow},
    {MODE_CUT_POSITION_DELETE, MODE_CUT_POSITION_DELETE, kAny, CtrlRule::kAny, false,
     "PickOrDeleteStation", StationDeleteRow},
    {MODE_MESH_AREA_REGISTER, MODE_MESH_AREA_REGISTER, kAny, CtrlRule::kAny, false,
     "DefineMeshAreaFromDrag", MeshAreaRegisterRow},
    {MODE_MESH_AREA_DRAG, MODE_MESH_AREA_DRAG, kAny, CtrlRule::kAny, false, "CMeshAreaDlg",
     MeshAreaDragRow},
    {MODE_MESH_ELEVATION_EDIT, MODE_MESH_ELEVATION_EDIT, kAny, CtrlRule::kAny, false,
     "CMeshElevationEditDlg", MeshElevationEditRow},
};

// The modes whose rows come before the point list's and keep it from the click.
bool HasOwnRowBeforePointList(int32_t mode) {
    return mode == MODE_OUTLINE_EDIT || mode == MODE_POINT_EDIT || InRasterTraceMode(mode) ||
           mode == MODE_BG_IMAGE_POSITION || mode == MODE_BG_IMAGE_POSITION * 2 ||
           mode == MODE_BG_DXF_POSITION || mode == MODE_BG_DXF_POSITION * 2 ||
           mode == MODE_TEXT_FLAG;
}

bool RowMatches(const ToolClickRow& row, int32_t mode, int32_t subState, int32_t flags) {
    if (row.modeFirst == kOtherModes) return !HasOwnRowBeforePointList(mode);
    if (mode < row.modeFirst || mode > row.modeLast) return false;
    if (row.subState != kAny && row.subState != subState) return false;
    const bool ctrl = Held(flags, kMouseFlagControl);
    return row.ctrl == CtrlRule::kAny || (row.ctrl == CtrlRule::kHeld) == ctrl;
}

// The text-flag tool sees every press, move and release of its mode, Ctrl included.
void TextFlagMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if (g_textFlagDlg && g_toolMode == MODE_TEXT_FLAG && !IsProgressWindowOpen())
        g_textFlagDlg->OnViewMouse(message, flags, x, y);
}

// True when a tool took the click.
bool DispatchToolClick(const ToolClick& click) {
    const int32_t mode = g_toolMode;
    bool taken = false;
    for (const ToolClickRoute& route : FindToolClickRoutes(mode, ToolSubState(mode), click.flags)) {
        if (!route.run || ToolClickIgnored(route, click.flags)) continue;
        route.run(click);
        taken = true;
    }
    return taken;
}

// A point tool's dragged rectangle: true when it was taken (the view is then repainted
// fully); false lets the release go on as a click.
bool PointToolRectangle() {
    if (IsProgressWindowOpen()) return false;
    const int32_t* r = g_rubberBandRect;
    if (g_pointEditState == POINT_EDIT_TIN_INTERSECTION) {
        g_dragState = 0;
        GenerateTinIntersectionsInRectangle(r[0], r[1], r[2], r[3]);
        FullRepaintView();
        return true;
    }
    if (ApplyPointToolRectangle(r[0], r[1], r[2], r[3]) == 0) return false;
    g_dragState = 0;
    FullRepaintView();
    return true;
}

// The partial change inserts outline vertices with Ctrl-clicks.
bool TakesCtrlClicks() {
    return g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == OUTLINE_EDIT_PARTIAL_CHANGE;
}

// Input that changes data waits while a long operation runs.
bool Busy() { return IsProgressWindowOpen(); }

// A drag ends: whichever of the button and the key that turned the camera goes up first,
// the drag's quick pictures give way to the full one once no button is held.
bool EndDragFrames() {
    if (!g_viewMouse.dragFrames || IsKeyDown(key::kMouseLeft) || IsKeyDown(key::kMouseRight))
        return false;
    g_viewMouse.dragFrames = 0;
    FullRepaintView();
    return true;
}
}  // namespace

std::vector<ToolClickRoute> FindToolClickRoutes(int32_t mode, int32_t subState, int32_t flags) {
    std::vector<ToolClickRoute> routes;
    for (const ToolClickRow& row : kToolClickRows)
        if (RowMatches(row, mode, subState, flags))
            routes.push_back(ToolClickRoute{row.callee, row.run, row.terrainTool});
    return routes;
}

int32_t ToolSubState(int32_t mode) {
    switch (mode) {
        case MODE_OUTLINE_EDIT:
            return g_outlineEditState;
        case MODE_POINT_EDIT:
            return g_pointEditState;
        case MODE_AREA_INFO:
            return g_areaInfoState;
        case MODE_IP_POINT:
        case MODE_MESH_AREA_REGISTER:
        case MODE_MESH_AREA_DRAG:
            return g_toolSubState;
        default:
            return 0;
    }
}

bool ToolClickIgnored(const ToolClickRoute& route, int32_t flags) {
    if (Busy() || IsKeyDown(key::kAlt)) return true;
    return route.terrainTool && TerrainToolClickRefused(flags);
}

void OnViewLButtonDown(int32_t flags, int32_t x, int32_t y, bool alt) {
    ViewMouseState& m = g_viewMouse;
    m.pressFlags = alt ? kMouseFlagControl : flags;
    m.buttonDown = 1;
    m.pressX = m.lastX = m.anchorX = x;
    m.pressY = m.lastY = m.anchorY = y;
    g_rubberLines.clear();
    TrackPressAt(x, y);
    if (!Busy()) AreaDialogsViewMouse(kViewLButtonDown, flags, x, y);
    // A press on a handle of the inclined plane is the plane's drag, no tool's.
    if (!Busy() && DragColorBandGizmo(kGizmoLButtonDown, flags, x, y)) return;
    TextFlagMouse(kFlagLButtonDown, flags, x, y);
    if (g_vecCreateDlg && !Busy()) g_vecCreateDlg->OnViewMouse(kVecMouseDown, flags, x, y);
    if (InBatchLasso() && g_dragState == 0 && g_pickList.Count() == 0 && !Busy()) {
        TrackBatchEditLasso(kViewLButtonDown, flags, x, y);
        return;
    }

    if (g_dragState == kDragZoomArmed) {
        g_dragState = kDragZoomPressed;
        return;
    }
    if (g_dragState != 0) return;
    const int32_t mode = g_toolMode;
    if (mode == MODE_POINT_EDIT &&
        (g_pointEditState == POINT_EDIT_MODIFY || g_pointEditState == POINT_EDIT_OFFSET)) {
        if (!alt) g_pickedPoint = FindPointAtCursor(x, y, kPickRadius2);
        QuickRepaintView();
    } else if (mode == MODE_IP_POINT && g_toolSubState == IP_POINT_CHANGE) {
        if (!g_birdsEyeOn) g_currentIp = FindIpPointAtCursor(x, y, kClosePickRadius2);
    } else if (mode == MODE_MESH_AREA_REGISTER) {
        PressMeshAreaRegister(flags, x, y);
    } else if (mode == MODE_MESH_AREA_EDIT && g_meshAreaDefined) {
        PressMeshAreaEdit(x, y);
    } else if (mode == MODE_NONE && !Busy() && StartMeshAreaDrag(x, y)) {
        QuickRepaintView();
    } else if (g_areaInfoState != AREA_INFO_VALID_INVALID) {
        // The flow window keeps the rubber rectangle away: its drags place the start area.
        if (mode != MODE_NONE) g_dragState = kDragToolArmed;
        if (mode == MODE_TEXT_FLAG || mode == MODE_VECTOR_CREATE || g_flowDlg) g_dragState = 0;
    }
    if (g_flowDlg && !Busy()) OnFlowMouse(kViewLButtonDown, flags, x, y);
}

void OnViewMouseMove(int32_t flags, int32_t x, int32_t y) {
    ViewMouseState& m = g_viewMouse;
    const int32_t dx = x - m.lastX, dy = y - m.lastY;
    TrackCursorAt(x, y);
    const bool linesBefore = !g_rubberLines.empty();
    g_rubberLines.clear();
    const int32_t mode = g_toolMode;
    if (g_colorBandGizmo.dragged != GizmoHandle::kNone && !Busy()) {
        DragColorBandGizmo(kGizmoMouseMove, flags, x, y);
        m.lastX = x;
        m.lastY = y;
        return;
    }
    if (!Busy()) AreaDialogsViewMouse(kViewMouseMove, flags, x, y);
    TextFlagMouse(kFlagMouseMove, flags, x, y);
    if (g_flowDlg && !Busy()) OnFlowMouse(kViewMouseMove, flags, x, y);
    if (InBatchLasso() && g_batchLasso.dragState != 0) TrackBatchEditLasso(kViewMouseMove, flags, x, y);
    if (g_vecCreateDlg && !Busy()) g_vecCreateDlg->OnViewMouse(kVecMouseMove, flags, x, y);

    if (Held(flags, kMouseFlagLeft)) {
        const bool alt = IsKeyDown(key::kAlt);
        const bool shift = Held(flags, kMouseFlagShift), ctrl = Held(flags, kMouseFlagControl);
        if (alt || ctrl || (shift && g_birdsEyeOn)) {
            // The camera turns; dx and dy run from the new position to the previous one.
            if (DragBirdsEyeCamera(m.lastX - x, m.lastY - y, alt, shift, ctrl))
                m.dragFrames = 1;
        } else {
            const int32_t low = g_dragState & 0x1F;
            if (g_dragState == kDragPan) {
                PanByPixels(dx, dy);
                m.dragFrames = 1;
                FullRepaintView();
            } else if (low == kDragZoomPressed || low == kDragZoomBox) {
                g_rubberBandRect[0] = m.pressX;
                g_rubberBandRect[1] = m.pressY;
                g_rubberBandRect[2] = x;
                g_rubberBandRect[3] = y;
                g_dragState |= 0x13;
                QuickRepaintView();
            } else if (g_dragState == 0 &&
                       ((mode == MODE_POINT_EDIT && (g_pointEditState == POINT_EDIT_MODIFY ||
                                                     g_pointEditState == POINT_EDIT_OFFSET)) ||
                        (mode == MODE_AREA_INFO && g_areaInfoState == AREA_INFO_VALID_INVALID) ||
                        mode == MODE_TEXT_FLAG || mode == MODE_VECTOR_CREATE)) {
                AddLine(m.pressX, m.pressY, x, y);
                QuickRepaintView();
            }
            if (g_dragState == 0) {
                if (mode == MODE_IP_POINT && g_toolSubState == IP_POINT_CHANGE &&
                    ValidIp(g_currentIp)) {
                    IpChangeLines(x, y);
                    QuickRepaintView();
                } else if (mode == MODE_MESH_AREA_REGISTER && (g_toolSubState & 0x200)) {
                    MeshSquareLines(x, y);
                    QuickRepaintView();
                } else if (mode == MODE_MESH_AREA_EDIT && g_draggedMeshVertex != 0) {
                    DragMeshVertex();
                } else if (mode == MODE_MESH_AREA_DRAG) {
                    MoveMeshAreaDrag();
                }
            }
            if (mode == MODE_NONE && !AnyToolWindowOpen() &&
                (g_dragState == 0 || g_dragState == kDragRubberLine)) {
                g_rubberBandRect[0] = m.pressX;
                g_rubberBandRect[1] = m.pressY;
                g_rubberBandRect[2] = x;
                g_rubberBandRect[3] = y;
                g_dragState = kDragRubberLine;
                QuickRepaintView();
            }
        }
    } else {
        if ((g_dragState & 0x1F) == kDragZoomBox && g_dragState != kDragZoomBox) {
            // A tool rectangle whose release the view did not see.
            g_dragState = 0;
            QuickRepaintView();
        }
        if (Held(flags, kMouseFlagRight)) {
            PanByPixels(dx, dy);
            m.dragFrames = 1;
            FullRepaintView();
        }
        EntryLines(x, y);
        if (!g_rubberLines.empty()) {
            QuickRepaintView();
        } else if (g_overlaysDrawn == 0) {
            g_overlaysDrawn = -1;
            if (LabelsOrOverlaysShown()) FullRepaintView();
        }
    }
    // The editor's line from the last vertex or construction point, with its length.
    int32_t x0, y0;
    std::string label;
    if (g_vecCreateDlg && g_dragState == 0 && g_vecCreateDlg->RubberLine(x, y, x0, y0, label)) {
        g_rubberLines.push_back(RubberLine{x0, y0, x, y, false, label});
        QuickRepaintView();
    }
    if (linesBefore && g_rubberLines.empty()) QuickRepaintView();
    m.lastX = x;
    m.lastY = y;
}

void OnViewLButtonUp(int32_t flags, int32_t x, int32_t y, bool alt) {
    ViewMouseState& m = g_viewMouse;
    if (!Busy()) AreaDialogsViewMouse(kViewLButtonUp, flags, x, y);
    TextFlagMouse(kFlagLButtonUp, flags, x, y);
    m.buttonDown = 0;
    m.lastX = x;
    m.lastY = y;
    const bool linesShown = !g_rubberLines.empty();
    g_rubberLines.clear();
    if (g_colorBandGizmo.dragged != GizmoHandle::kNone) {
        g_colorBandGizmo.dragged = GizmoHandle::kNone;
        QuickRepaintView();
        return;
    }
    if (!EndDragFrames() && linesShown) QuickRepaintView();
    if (alt) {
        QuickRepaintView();
        return;
    }
    // Ctrl keeps a click from the tools, but for the one tool that takes Ctrl-clicks.
    if (Held(flags, kMouseFlagControl) && !TakesCtrlClicks()) return;
    if (g_dragState == kDragRubberLine) {
        g_dragState = 0;
        QuickRepaintView();
    }
    if ((g_dragState & 0x1F) == kDragZoomBox) {
        if (g_dragState == kDragZoomBox) {
            ZoomToBox(g_rubberBandRect[0], g_rubberBandRect[1], g_rubberBandRect[2],
                      g_rubberBandRect[3], g_bufferMaxX, g_bufferMaxY);
            g_dragState = kDragZoomArmed;
            FullRepaintView();
            return;
        }
        // A tool rectangle selects; only a rectangle that selected nothing for the outline
        // and point tools still counts as their click.
        const bool large = std::abs(g_rubberBandRect[2] - g_rubberBandRect[0]) > kClickSlack ||
                           std::abs(g_rubberBandRect[3] - g_rubberBandRect[1]) > kClickSlack;
        const bool pointTool = g_toolMode == MODE_OUTLINE_EDIT || g_toolMode == MODE_POINT_EDIT;
        if (large && g_toolMode == MODE_POINT_EDIT) {
            if (PointToolRectangle()) return;
        } else if (large) {
            if (ApplyRectangleSelection(g_rubberBandRect[0], g_rubberBandRect[1], g_rubberBandRect[2],
                                        g_rubberBandRect[3]) != 0) {
                g_dragState = 0;
                FullRepaintView();
                return;
            }
            if (!pointTool) {
                QuickRepaintView();
                return;
            }
        }
        if (!large || pointTool) g_dragState = 0;
        QuickRepaintView();
    } else {
        g_dragState &= (g_dragState & 0x20) ? 0x80 : 0x90;
        if (g_dragState & 0x10) ZoomAtClick(flags, x, y);
        if ((g_overlaysDrawn == 0 &&
             (LabelsOrOverlaysShown() || g_showSections || g_showIpNames)) ||
            g_meshAreaDefined)
            FullRepaintView();
        if (g_dragState != 0) return;
    }

    // The visibility window takes its observer pick before any other receiver.
    if (g_visibilityDlg && !Busy() && g_dragState == 0 && g_visibilityDlg->OnViewClick(flags, x, y)) {
        FullRepaintView();
        return;
    }
    if (g_lineNumberDlg && !Busy() && g_lineNumberDlg->OnViewClick(flags, x, y)) {
        FullRepaintView();
        return;
    }
    // Without a tool a plain click picks the section the cross-section window shows.
    if (g_dragState == 0 && g_toolMode == MODE_NONE && IsToolWindowOpen(ToolWindow::kSection))
        SelectSectionAtPoint(x, y);
    // Without a tool a plain click may aim the inclined plane at the clicked point.
    if (g_dragState == 0 && g_toolMode == MODE_NONE && !Busy()) DragColorBandGizmo(kGizmoLButtonUp, flags, x, y);
    const bool taken = DispatchToolClick(ToolClick{flags, x, y, m.pressX, m.pressY});
    // The tunnel window's axis picks come last, when no tool took the click.
    if (g_tunnelDlg && !taken && !Busy() && g_tunnelDlg->OnViewClick(flags, x, y) != 0) InvalidateAndUpdateView();
    if (g_dxfInfoDlg && !Busy() && x == m.pressX && y == m.pressY) g_dxfInfoDlg->OnViewClick(flags, x, y);
    // The editor takes every release, also after the cursor moved: a drag ends a vertex move.
    if (g_vecCreateDlg && !Busy() && !Held(flags, kMouseFlagControl)) {
        g_dxfPickCursorX = x;
        g_dxfPickCursorY = y;
        g_vecCreateDlg->OnTimer(kVecCmdClick);
    }

    if (g_toolMode != MODE_NONE) g_dragState = 0;
    // Without a tool a click on a flag offers its linked file.
    if (g_toolMode == MODE_NONE && !Busy() && g_showTextFlags && g_textFlagCount > 0) {
        PickLinkMark(kFlagLButtonUp, flags, x, y);
        OpenSelectedFlagLink();
    }
}

void OnViewRButtonUp() {
    EndDragFrames();
    // The edge the TIN edit waits to swap is dropped too.
    const bool swapPending = g_toolMode == MODE_OUTLINE_EDIT &&
                             g_outlineEditState == OUTLINE_EDIT_TIN_EDGE && g_pickAux1 != 0 &&
                             g_pickAux2 != 0;
    if (Busy() || (g_pickedPoint == 0 && !swapPending)) return;
    g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = 0;
    if (swapPending) g_pickAux1 = g_pickAux2 = 0;
    QuickRepaintView();
}

void OnViewRButtonDoubleClick() {
    if (Busy()) return;
    if (g_toolMode != MODE_NONE) {
        g_toolMode = MODE_NONE;
        g_outlineEditState = 0;
        ClearPicks();
        ClearPickList();
        if (IsToolWindowOpen(ToolWindow::kPointInputPanel))
            CloseToolWindow(ToolWindow::kPointInputPanel);
        FullRepaintView();
    } else if (g_dragState != 0) {
        g_dragState = 0;
        g_outlineEditState = 0;
        FullRepaintView();
    }
    if (IsToolWindowOpen(ToolWindow::kVecCreate)) CloseToolWindow(ToolWindow::kVecCreate);
}

void OnViewLButtonDblClk(int32_t flags, int32_t x, int32_t y) {
    CentreOnPickedPoint(x, y);
    if (!Busy()) DragColorBandGizmo(kGizmoLButtonDblClk, flags, x, y);
}

void OnViewMButtonDown(bool alt) { ResetExaggeration(alt); }

void OnViewKeyDown(int32_t key) {
    // The tunnel window takes every key first; the raster-trace and duplicate-area windows
    // take theirs once they are part of the program. While a long operation runs only the arrows move the view.
    const bool arrow = key >= vkey::kLeft && key <= vkey::kDown;
    if (Busy() && !arrow) return;
    if (g_tunnelDlg && g_tunnelDlg->OnViewKey(key) == 1) {
        g_redrawMask = -1;
        InvalidateAndUpdateView();
        return;
    }
    if (AreaDialogsViewKey(key)) return;
    OnViewKey(key);
}

bool OnViewTraceKey(int32_t key, bool ctrl, bool shift, bool alt) {
    if (!g_rasterTraceDlg || Busy()) return false;
    const int32_t editKey = TraceKeyForViewInput(key, ctrl, shift, alt);
    if (editKey == 0) return false;
    g_rasterTraceDlg->OnEditKey(editKey);
    return true;
}

int32_t ViewCursorResource(bool leftButtonDown) {
    if (g_viewPainting) return kCursorWait;
    if ((g_dragState & 0x30) == 0x10) return 142;
    if (g_dragState == kDragPan) return leftButtonDown ? 140 : 1029;
    const int32_t mode = g_toolMode;
    if (mode == MODE_POINT_EDIT) {
        static constexpr int32_t kPointCursors[] = {173, 170, 168, 171, 169, 172,
                                                    168, 0,   290, 289, 291};
        const int32_t s = g_pointEditState;
        if (s >= 0 && s < static_cast<int32_t>(std::size(kPointCursors)) && kPointCursors[s])
            return kPointCursors[s];
    } else if (mode == MODE_OUTLINE_EDIT) {
        static constexpr struct {
            int32_t state, cursor;
        } kOutlineCursors[] = {{1, 174},  {2, 175},  {5, 154},   {6, 1033},  {7, 1034},
                               {33, 176}, {34, 177}, {53, 1020}, {54, 1023}, {55, 188}};
        for (const auto& c : kOutlineCursors)
            if (c.state == g_outlineEditState) return c.cursor;
    } else if (mode == MODE_BG_IMAGE_POSITION || mode == MODE_BG_IMAGE_POSITION * 2) {
        return 1024;
    } else if (InRasterTraceMode(mode)) {
        static constexpr int32_t kTraceCursors[] = {1025, 1028, 1027, 1026};
        return kTraceCursors[mode - MODE_RASTER_TRACE];
    } else if (mode == MODE_CUT_POSITION) {
        return 1030;
    } else if (mode == MODE_CUT_POSITION * 2) {
        return 1031;
    } else if (mode == MODE_CUT_POSITION * 4) {
        return 1032;
    }
    return kCursorArrow;
}
