#include "analysis/flow_tool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <utility>

#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"

CFlowDlg* g_flowDlg = nullptr;
int32_t g_flowDragState = 0;

namespace {
constexpr int32_t kButtonDown = 0x201, kButtonUp = 0x202, kMove = 0x200;

std::function<void()> g_flowWindowFactory;
int32_t g_pressX = -1000, g_pressY = -1000;
bool g_firstMove = false;

bool FlowModeOn() { return g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == OUTLINE_EDIT_FLOW_PATH; }

void RedrawForChange() {
    g_redrawMask = g_flowSettings.redrawAll ? -1 : 1;
    InvalidateAndUpdateView();
}

uint32_t BufferOrder(uint32_t colorRef) {
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}

struct Screen {
    bool on;
    int32_t column, row;  // offsets from the viewport centre, row up
};
Screen Project(const FlowPoint& p) {
    RandomPoint r{};
    r.x = p.x;
    r.y = p.y;
    r.z = p.z;
    ProjectRecord(r);
    return Screen{r.hidden == 0, r.screenX, r.screenY};
}

// The cursor's ground position; false where there is none (bird's-eye off the TIN).
bool CursorPosition(int32_t x, int32_t y, FlowPoint& p) {
    if (g_birdsEyeOn) return PickTinPoint3D(x - g_bufferMaxX / 2, g_bufferMaxY / 2 - y, p.x, p.y, p.z) != 0;
    p.y = g_viewCenterY + (x - g_bufferMaxX / 2) / g_viewScale;
    p.x = g_viewCenterX + (g_bufferMaxY / 2 - y) / g_viewScale;
    p.z = GetTinZ(p.x, p.y) != 0 ? g_editPoint.z : 0.0;
    return true;
}

double TinZ(const FlowPoint& p, double fallback) {
    double z = fallback;
    return LocateTinTriangle(p.x, p.y, &z) != 0 ? z : fallback;
}

// The square's window corners (origin, end, far end, far origin) as inverted rubber lines.
void RubberSquare() {
    const FlowSettings& s = g_flowSettings;
    const FlowPoint corners[4] = {s.areaOrigin, s.areaEnd, s.areaFarEnd, s.areaFarOrigin};
    int32_t wx[4], wy[4];
    for (int k = 0; k < 4; ++k) {
        const Screen sc = Project(corners[k]);
        wx[k] = g_viewportCenterX + sc.column;
        wy[k] = g_viewportCenterY - sc.row;
    }
    g_rubberLines.clear();
    for (int k = 0; k < 4; ++k)
        g_rubberLines.push_back(RubberLine{wx[k], wy[k], wx[(k + 1) % 4], wy[(k + 1) % 4], true, {}});
}

void FarCornersFromEnd(FlowSettings& s) {
    const double px = s.areaEnd.y - s.areaOrigin.y, py = -(s.areaEnd.x - s.areaOrigin.x);
    s.areaFarEnd = FlowPoint{s.areaEnd.x + px, s.areaEnd.y + py, s.areaEnd.z};
    s.areaFarOrigin = FlowPoint{s.areaOrigin.x + px, s.areaOrigin.y + py, s.areaOrigin.z};
}

// The dragged corner at the position; the others follow.
void MoveCorner(int32_t state, const FlowPoint& q) {
    FlowSettings& s = g_flowSettings;
    const FlowPoint o = s.areaOrigin;
    switch (state) {
        case 1:
            s.areaOrigin = q;
            UpdateFlowAreaCorners(s);
            break;
        case 2:
            s.areaEnd = q;
            FarCornersFromEnd(s);
            break;
        case 3:
            s.areaFarEnd = q;
            s.areaEnd = FlowPoint{(o.x + q.x) / 2 - (q.y - o.y) / 2, (o.y + q.y) / 2 + (q.x - o.x) / 2, q.z};
            s.areaFarOrigin = FlowPoint{(o.x + q.x) / 2 + (q.y - o.y) / 2, (o.y + q.y) / 2 - (q.x - o.x) / 2, q.z};
            break;
        case 4: {
            s.areaFarOrigin = q;
            const double px = q.x - o.x, py = q.y - o.y;
            s.areaEnd = FlowPoint{o.x - py, o.y + px, q.z};
            s.areaFarEnd = FlowPoint{s.areaEnd.x + px, s.areaEnd.y + py, q.z};
            break;
        }
        default:
            break;
    }
}

bool Near(const FlowPoint& corner, int32_t x, int32_t y, int32_t limit) {
    const Screen sc = Project(corner);
    return sc.on && std::abs(g_viewportCenterX + sc.column - x) < limit &&
           std::abs(g_viewportCenterY - sc.row - y) < limit;
}

void DrawSegment(const Screen& a, const Screen& b, uint32_t color, bool thick) {
    g_lineColor = color;
    g_lineX0 = g_viewportCenterX + a.column;
    g_lineY0 = g_viewportCenterY + a.row;
    g_lineX1 = g_viewportCenterX + b.column;
    g_lineY1 = g_viewportCenterY + b.row;
    if (thick)
        DrawThickLine();
    else
        DrawLine();
}
}  // namespace

CFlowDlg::CFlowDlg() {
    g_flowDlg = this;
    g_flowSettings.enabled = 0;
    g_flowSettingsBackup = g_flowSettings;
}

CFlowDlg::~CFlowDlg() {
    g_flowSettings.enabled = 0;
    if (g_flowDlg == this) g_flowDlg = nullptr;
    if (g_outlineEditState == OUTLINE_EDIT_FLOW_PATH) g_outlineEditState = 0;
}

void CFlowDlg::EditLeft(int control, const std::string& text) {
    const std::string cut = text.substr(0, 250);
    if (FlowEditLeft(control, cut.c_str())) RedrawForChange();
    if (repaintWindow) repaintWindow();
}

void CFlowDlg::OnRedraw() {
    g_flowSettings.kind = FLOW_AREA;
    g_flowSettings.enabled = 1;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CFlowDlg::OnClear() {
    g_flowSettings.kind = FLOW_POINT;
    g_flowSettings.enabled = 0;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CFlowDlg::SetKeepOld(bool checked) { g_flowSettings.redrawAll = checked ? 0 : 1; }

void CFlowDlg::SetColor(bool line, uint32_t colorRef) {
    FlowSettings& s = g_flowSettings;
    (line ? s.lineColor : s.arrowColor) = colorRef;
    s.lineColorBuffer = BufferOrder(s.lineColor);
    s.arrowColorBuffer = BufferOrder(s.arrowColor);
    RedrawForChange();
    if (repaintWindow) repaintWindow();
}

void CFlowDlg::OnOK() {
    if (g_flowSettings.enabled) {
        g_flowSettings.enabled = 0;
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    }
    if (closeWindow) closeWindow();
}

void SetFlowWindowFactory(std::function<void()> open) { g_flowWindowFactory = std::move(open); }

void OnFlowPath() {
    if (g_flowDlg) {
        if (g_flowDlg->closeWindow)
            g_flowDlg->closeWindow();
        else
            delete g_flowDlg;
    } else if (g_flowWindowFactory) {
        g_flowWindowFactory();
    }
    if (FlowModeOn()) {
        ResetToolMode();
        ClearPickedPoints();
        InvalidateAndUpdateView();
        return;
    }
    ResetToolMode();
    CloseToolWindows();
    if (g_tinPresent == 0) {
        ShowMessage("三角網が計算されていません", "", msg::kOk | msg::kIconInformation);
        return;
    }
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_FLOW_PATH;
    ClearPickedPoints();
    ClearPicks();
    ClearPickList();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void DrawFlowPaths() {
    if (!g_flowDlg) {
        if (FlowModeOn()) g_toolMode = g_outlineEditState = 0;
        return;
    }
    if (!FlowModeOn()) {
        if (g_flowDlg->closeWindow) g_flowDlg->closeWindow();
        return;
    }
    FlowSettings& s = g_flowSettings;
    if (!s.enabled || (g_redrawMask != 1 && g_redrawMask != -1) || !g_backBufferPixels) return;
    std::vector<FlowPoint> starts;
    if (s.kind == FLOW_AREA) {
        SetStatusText("標高計算中...");
        starts = FlowAreaStartPoints(s);
    } else {
        starts.push_back(s.startPoint);
    }
    if (starts.empty()) {
        SetStatusText("");
        return;
    }
    SetStatusText("流水線描画中...");
    std::vector<FlowPath> paths;
    try {
        paths = TraceFlowPaths(starts);
    } catch (const std::bad_alloc&) {
        // Without the work memory nothing is traced; the paths go off until drawn again.
        s.enabled = 0;
        SetStatusText("");
        ShowMessage("メモリーが不足しています。", "流水経路", msg::kOk | msg::kIconError);
        return;
    }
    const int32_t savedPen = g_penSize;
    std::vector<Screen> marks;
    for (const FlowPath& path : paths) {
        if (path.vertices.size() < 2) continue;
        std::vector<Screen> screen(path.vertices.size());
        for (size_t k = 0; k < path.vertices.size(); ++k) screen[k] = Project(path.vertices[k]);
        if (screen[0].on && screen[1].on) marks.push_back(screen[0]);
        for (size_t k = 1; k < screen.size(); ++k)
            if (screen[k - 1].on && screen[k].on) DrawSegment(screen[k - 1], screen[k], s.lineColorBuffer, true);
        if (s.arrowInterval <= 0) continue;
        // Arrows on the segments shown on the screen and long enough there.
        auto drawable = [](const FlowPoint& a, const FlowPoint& b) {
            const Screen sa = Project(a), sb = Project(b);
            const double dx = sb.column - sa.column, dy = sb.row - sa.row;
            return sa.on && sb.on && dx * dx + dy * dy >= 3;
        };
        std::vector<size_t> segments;
        const std::vector<FlowPoint> arrows = FlowArrowPoints(path.vertices, s.arrowInterval, drawable, &segments);
        for (size_t k = 0; k < arrows.size(); ++k) {
            const Screen at = Project(arrows[k]);
            if (!at.on) continue;
            const Screen &a = screen[segments[k] - 1], &b = screen[segments[k]];
            const double dx = b.column - a.column, dy = b.row - a.row;
            const double f = 11.0 / std::sqrt(dx * dx + dy * dy);
            const Screen one{true, at.column - static_cast<int32_t>(f * (0.9397 * dx - 0.342 * dy)),
                             at.row - static_cast<int32_t>(f * (0.342 * dx + 0.9397 * dy))};
            const Screen two{true, at.column - static_cast<int32_t>(f * (0.9397 * dx + 0.342 * dy)),
                             at.row - static_cast<int32_t>(f * (0.9397 * dy - 0.342 * dx))};
            DrawSegment(at, one, s.arrowColorBuffer, false);
            DrawSegment(at, two, s.arrowColorBuffer, false);
        }
    }
    g_rasterColor = 0xFF80FF;
    for (const Screen& m : marks) PlotPoint(g_viewportCenterX + m.column, g_viewportCenterY + m.row);
    g_penSize = savedPen;
    SetStatusText("");
}

void DrawFlowArea(OverlayCanvas& canvas) {
    FlowSettings& s = g_flowSettings;
    if (!g_flowDlg || s.kind != FLOW_AREA || !s.enabled) return;
    FarCornersFromEnd(s);
    s.areaFarEnd.z = TinZ(s.areaFarEnd, s.areaOrigin.z);
    s.areaFarOrigin.z = TinZ(s.areaFarOrigin, s.areaOrigin.z);
    const FlowPoint corners[4] = {s.areaOrigin, s.areaEnd, s.areaFarEnd, s.areaFarOrigin};
    int32_t wx[4], wy[4];
    for (int k = 0; k < 4; ++k) {
        const Screen sc = Project(corners[k]);
        if (k == 0 && !sc.on) return;
        wx[k] = g_viewportCenterX + sc.column;
        wy[k] = g_viewportCenterY - sc.row;
    }
    canvas.FillRect(wx[0] - 3, wy[0] - 3, wx[0] + 3, wy[0] + 3, 0x0000FF);
    for (int k = 1; k < 4; ++k) canvas.FillRect(wx[k] - 2, wy[k] - 2, wx[k] + 2, wy[k] + 2, 0x00FFFF);
    canvas.SetPen(0xFF8080);
    canvas.SetDashed(true);
    canvas.MoveTo(wx[0], wy[0]);
    for (int k = 1; k <= 4; ++k) canvas.LineTo(wx[k % 4], wy[k % 4]);
    canvas.SetDashed(false);
}

int32_t OnFlowMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return 0;
    if (!g_flowDlg) {
        if (FlowModeOn()) g_toolMode = g_outlineEditState = 0;
        return 0;
    }
    FlowSettings& s = g_flowSettings;
    FlowPoint pos;
    const bool valid = CursorPosition(x, y, pos);
    bool areaChanged = false, changed = false;
    if (message == kButtonDown) {
        if (g_flowDragState != 0) {
            s = g_flowSettingsBackup;
            g_flowDragState = 0;
            g_rubberLines.clear();
            changed = true;
        } else {
            g_pressX = x;
            g_pressY = y;
            g_flowSettingsBackup = s;
            g_firstMove = true;
            if (s.kind == FLOW_AREA && s.enabled) {
                if (Near(s.areaEnd, x, y, 4)) g_flowDragState = 2;
                if (Near(s.areaFarEnd, x, y, 4)) g_flowDragState = 3;
                if (Near(s.areaFarOrigin, x, y, 4)) g_flowDragState = 4;
                if (Near(s.areaOrigin, x, y, 5)) g_flowDragState = 1;
            }
            if (g_flowDragState == 0 && valid) {
                g_flowDragState = -1;
                s.startPoint = pos;
            }
        }
    } else if (message == kMove) {
        if (g_flowDragState == 0 || !valid) return 0;
        if (g_flowDragState > 0) {
            MoveCorner(g_flowDragState, pos);
        } else {
            if (g_firstMove) s.areaOrigin = s.startPoint;
            s.areaEnd = pos;
            FarCornersFromEnd(s);
        }
        g_firstMove = false;
        if (flags & kMouseFlagLeft)
            RubberSquare();
        else
            g_rubberLines.clear();
        QuickRepaintView();
        return 0;
    } else if (message == kButtonUp) {
        g_rubberLines.clear();
        if (valid && g_flowDragState > 0) {
            MoveCorner(g_flowDragState, pos);
            if (g_flowDragState >= 3) {
                s.areaEnd.z = TinZ(s.areaEnd, pos.z);
                s.areaFarEnd.z = TinZ(s.areaFarEnd, pos.z);
                s.areaFarOrigin.z = TinZ(s.areaFarOrigin, pos.z);
            }
            s.enabled = 1;
            areaChanged = changed = true;
        } else if (valid && g_flowDragState == -1) {
            if (std::abs(x - g_pressX) + std::abs(y - g_pressY) < 7) {
                s.kind = FLOW_POINT;
                s.startPoint = pos;
            } else {
                s.kind = FLOW_AREA;
                s.areaOrigin = s.startPoint;
                s.areaEnd = pos;
                areaChanged = true;
            }
            s.enabled = 1;
            changed = true;
        }
        g_flowDragState = 0;
        g_pressX = g_pressY = -1000;
    }
    if (areaChanged) FlowAreaFromCorners(s);
    if (changed) {
        g_redrawMask = s.redrawAll ? -1 : 1;
        if (g_flowDlg->repaintWindow) g_flowDlg->repaintWindow();
    }
    return 0;
}

void ResetFlowSettings() {
    ResetFlowSettingsValues();
    if (g_flowDlg && g_flowDlg->closeWindow) g_flowDlg->closeWindow();
}
