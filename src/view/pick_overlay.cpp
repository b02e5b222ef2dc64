#include "view/pick_overlay.h"

#include <algorithm>
#include <string>

#include "analysis/section_profile.h"
#include "analysis/simple_section.h"
#include "analysis/flow_tool.h"
#include "analysis/visibility_tool.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_store.h"
#include "dxf/dxf_position_dialog.h"
#include "dxf/dxf_registration.h"
#include "model/terrain_data.h"
#include "pointedit/point_list.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/line_3d.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_area_tool.h"
#include "volume/mesh_data.h"
#include "volume/mesh_node_edit.h"

namespace {
struct WindowPoint {
    int32_t x;
    int32_t y;
};

WindowPoint ToWindow(int32_t column, int32_t row) {
    return {g_viewportCenterX + column, g_viewportCenterY - row};
}

void SmallCircle(OverlayCanvas& c, WindowPoint p) { c.Ellipse(p.x - 3, p.y - 3, p.x + 2, p.y + 2); }
void LargeCircle(OverlayCanvas& c, WindowPoint p) { c.Ellipse(p.x - 4, p.y - 4, p.x + 3, p.y + 3); }
void HandleCircle(OverlayCanvas& c, WindowPoint p) {
    c.Ellipse(p.x - 4, p.y - 4, p.x + 4, p.y + 4);
}

void Line(OverlayCanvas& c, WindowPoint a, WindowPoint b) {
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
}

// A picked point that is a point on the screen.
const RandomPoint* ShownPoint(int32_t i) {
    if (!g_points || i < 1 || i > g_pointCount || i >= g_pointsBlock.Size()) return nullptr;
    const RandomPoint& p = g_points[i];
    return p.hidden == 0 ? &p : nullptr;
}

void DrawPickedPoints(OverlayCanvas& c) {
    if (g_pickedPoint <= 0 || g_pointEditState == POINT_EDIT_VALID_INVALID) return;
    c.SetPen(kOverlayOrange);
    const RandomPoint* p1 = ShownPoint(g_pickedPoint);
    if (p1) SmallCircle(c, ToWindow(p1->screenX, p1->screenY));
    if (const RandomPoint* p2 = ShownPoint(g_pickedPoint2)) {
        SmallCircle(c, ToWindow(p2->screenX, p2->screenY));
        const bool joined =
            g_pointEditState != POINT_EDIT_MODIFY || g_outlineEditState == OUTLINE_EDIT_TIN_EDGE;
        if (joined && p1)
            Line(c, ToWindow(p1->screenX, p1->screenY), ToWindow(p2->screenX, p2->screenY));
    }
    const RandomPoint* p3 = ShownPoint(g_pickedPoint3);
    if (p3) SmallCircle(c, ToWindow(p3->screenX, p3->screenY));
    if (const RandomPoint* p4 = ShownPoint(g_pickedPoint4)) {
        SmallCircle(c, ToWindow(p4->screenX, p4->screenY));
        if (p3) {
            c.SetPen(kOverlayWhite);
            Line(c, ToWindow(p3->screenX, p3->screenY), ToWindow(p4->screenX, p4->screenY));
        }
    }
}

void DrawListHighlight(OverlayCanvas& c) {
    if (g_listHighlightedPoint <= 0) return;
    const RandomPoint* p = ShownPoint(g_listHighlightedPoint);
    if (!p) return;
    c.SetPen(kOverlayRed);
    const WindowPoint w = ToWindow(p->screenX, p->screenY);
    c.Ellipse(w.x - 3, w.y - 3, w.x + 3, w.y + 3);
}

bool SectionsShownInBirdsEye() { return g_birdsEyeOn && g_showSections; }

void DrawCurrentIp(OverlayCanvas& c) {
    const int32_t count = std::min(g_ipPointCount, kMaxIpPoints);
    if (g_currentIp <= 0 || g_currentIp > count || SectionsShownInBirdsEye()) return;
    const IpPoint& ip = g_ipPoints[g_currentIp];
    // The last IP may be the one being entered, not placed yet.
    if (g_currentIp == count && (ip.x == 0 || ip.y == 0)) return;
    if (ip.offScreen != 0) return;
    c.SetPen(kOverlayOrange);
    LargeCircle(c, ToWindow(ip.screenX, ip.screenY));
}

// The cut line of station n: from the centre to the left and to the right stake.
void DrawStationCut(OverlayCanvas& c, int32_t n) {
    if (!g_stations) return;
    const int32_t count = std::min(g_stationCount, g_stationsBlock.Size() - 1);
    if (n <= 0 || n > count) return;
    const StationRecord& s = g_stations[n];
    if (n == count && (s.x == 0 || s.y == 0)) return;
    if (s.offScreen != 0) return;
    c.SetPen(kOverlayOrange);
    const WindowPoint centre = ToWindow(s.screenX, s.screenY);
    if (s.leftOffScreen == 0) Line(c, centre, ToWindow(s.leftScreenX, s.leftScreenY));
    if (s.rightOffScreen == 0) Line(c, centre, ToWindow(s.rightScreenX, s.rightScreenY));
}

void DrawCurrentStation(OverlayCanvas& c) {
    if (SectionsShownInBirdsEye()) return;
    DrawStationCut(c, g_currentStation);
}

// A ground segment over the bird's-eye view; left out when an end lies behind the eye.
void Line3D(OverlayCanvas& c, double x0, double y0, double z0, double x1, double y1, double z1) {
    WindowPoint a{}, b{};
    if (!ProjectGroundToWindow3D(x0, y0, z0, &a.x, &a.y)) return;
    if (!ProjectGroundToWindow3D(x1, y1, z1, &b.x, &b.y)) return;
    Line(c, a, b);
}

// The section on show in the bird's-eye view: from its centre out through each side.
void DrawCurrentSection3D(OverlayCanvas& c) {
    const CrossSection* s = GetCrossSection(g_currentSection);
    if (!s) return;
    c.SetPen(kOverlayOrange);
    const int32_t entries = std::max(0, static_cast<int32_t>(s->points.size()) - 1);
    for (const bool right : {false, true}) {
        const int32_t count = std::clamp(right ? s->rightCount : s->leftCount, 0, entries);
        double x = s->centreX, y = s->centreY, z = s->height;
        for (int32_t j = 1; j <= count; ++j) {
            const SectionPoint& p = s->points[j];
            const double nx = right ? p.rightX : p.leftX, ny = right ? p.rightY : p.leftY;
            const double nz = right ? p.rightHeight : p.leftHeight;
            Line3D(c, x, y, z, nx, ny, nz);
            x = nx, y = ny, z = nz;
        }
    }
}

// The section shown in the cross-section window: its cut line in the plan, the section
// itself in the bird's-eye view.
void DrawCurrentSection(OverlayCanvas& c) {
    if (g_currentSection <= 0 || g_currentSection > g_sectionViewCount) return;
    if (g_birdsEyeOn)
        DrawCurrentSection3D(c);
    else
        DrawStationCut(c, g_currentSection);
}

// The rectangle through its four corners, a square at the origin and, unless the range
// is being edited, circles at the other handles that lie in the window.
void DrawMeshRectangle(OverlayCanvas& c) {
    if (!g_meshAreaDefined || g_birdsEyeOn || !g_showMesh) return;
    DragMeshArea(0, 0);
    c.SetPen(kOverlayOrange);
    WindowPoint p[6];
    for (int i = 0; i < 6; ++i) p[i] = ToWindow(g_meshHandleScreen[i][0], g_meshHandleScreen[i][1]);
    c.MoveTo(p[0].x, p[0].y);
    for (int i : {1, 2, 3, 0}) c.LineTo(p[i].x, p[i].y);
    c.MoveTo(p[0].x - 4, p[0].y - 4);
    c.LineTo(p[0].x + 4, p[0].y - 4);
    c.LineTo(p[0].x + 4, p[0].y + 4);
    c.LineTo(p[0].x - 4, p[0].y + 4);
    c.LineTo(p[0].x - 4, p[0].y - 4);
    if (g_toolMode == MODE_MESH_AREA_EDIT) return;
    for (int i = 1; i < 6; ++i)
        if (p[i].x >= 0 && p[i].y >= 0 && p[i].x < 2 * g_viewportCenterX && p[i].y < 2 * g_viewportCenterY)
            HandleCircle(c, p[i]);
}

// The node the elevation editor is open on.
void DrawMeshEditNode(OverlayCanvas& c) {
    const int32_t i = g_meshEditNode;
    if (i < 1 || i >= g_meshNodes.Size() || int64_t{i} > int64_t{g_meshColumns} * g_meshRows) return;
    const MeshNode& n = g_meshNodes.Data()[i];
    if (n.offScreen != 0) return;
    c.SetPen(kOverlayRed);
    LargeCircle(c, ToWindow(n.screenColumn, n.screenRow));
}

void DrawMeshRange(OverlayCanvas& c) {
    const int32_t n = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    if (!g_meshAreaDefined || g_birdsEyeOn || n < 1 || !g_showMesh) return;
    c.SetPen(kOverlayYellow);
    for (int32_t i = 2; i <= n; ++i) {
        const MeshAreaVertex& a = g_meshAreaPolygon[i - 1];
        const MeshAreaVertex& b = g_meshAreaPolygon[i];
        if (a.offScreen == 0 && b.offScreen == 0)
            Line(c, ToWindow(a.screenColumn, a.screenRow), ToWindow(b.screenColumn, b.screenRow));
    }
    if (g_toolMode != MODE_MESH_AREA_EDIT) return;
    for (int32_t i = 2; i <= n; ++i) {
        const MeshAreaVertex& v = g_meshAreaPolygon[i];
        if (v.offScreen == 0) HandleCircle(c, ToWindow(v.screenColumn, v.screenRow));
    }
}
// While the drawing's position dialog is open: the current entry, and for every registered
// pair its survey point and where its DXF point showed, joined.
void DrawDxfRegistrationPairs(OverlayCanvas& c) {
    if (!DxfPositionDialogOpen() || g_birdsEyeOn != 0) return;
    const auto at = [](double east, double north, bool& onScreen) {
        int32_t column = 0, row = 0;
        DxfPlanToClient(north, east, column, row);
        onScreen = column >= 0 && row >= 0 && column <= g_bufferMaxX && row <= g_bufferMaxY;
        return WindowPoint{column, row};
    };
    const DxfRegistration& r = g_dxfRegistration;
    c.SetPen(kOverlayRed);
    bool onScreen = false;
    const WindowPoint entry = at(r.entryY, r.entryX, onScreen);
    if (onScreen) SmallCircle(c, entry);
    for (int k = 0; k < 4; ++k) {
        if (r.vertexFlags[k] == 0) continue;
        bool publicOn = false, shownOn = false;
        const WindowPoint p = at(r.publicPoint[k][0], r.publicPoint[k][1], publicOn);
        const WindowPoint q = at(r.shownPoint[k][0], r.shownPoint[k][1], shownOn);
        if (publicOn) SmallCircle(c, p);
        if (shownOn) SmallCircle(c, q);
        if (publicOn && shownOn) Line(c, p, q);
    }
}
// A ground position as the view shows it now; `inside` when it falls in the client area.
WindowPoint ProjectGround(double x, double y, double z, bool& inside) {
    RandomPoint r{};
    r.x = x, r.y = y, r.z = z;
    ProjectRecord(r);
    const WindowPoint w = ToWindow(r.screenX, r.screenY);
    inside = r.hidden == 0 && w.x >= 0 && w.y >= 0 && w.x <= g_bufferMaxX && w.y <= g_bufferMaxY;
    return w;
}

// The crossings a Shift+click marked on the background drawing, numbered from 1 where
// they lie strictly inside the view.
void DrawDxfCrossingNumbers(OverlayCanvas& c) {
    if (!g_showBackgroundDxf || g_dxfElementCount <= 0 || g_dxfMarkedPoints.size() < 2) return;
    c.SetPen(kOverlayCyan);
    for (size_t k = 0; k < g_dxfMarkedPoints.size(); ++k) {
        const DxfMarkedPoint& m = g_dxfMarkedPoints[k];
        bool shown = false;
        const WindowPoint w = ProjectGround(m.x, m.y, m.z, shown);
        if (!shown || !(g_clipLeft < w.x && w.x < g_bufferMaxX && g_clipTop < w.y && w.y < g_bufferMaxY))
            continue;
        c.Text(w.x, w.y - 5, std::to_string(k + 1));
    }
}

// The simple-section and sag-curve picks: S and E in the plan, the cut profile in the
// bird's-eye view.
void DrawLineToolPicks(OverlayCanvas& c) {
    if (g_linePickState <= 0) return;
    c.SetPen(kOverlayRed);
    if (!g_birdsEyeOn) {
        const LinePoint* ends[2] = {&g_towerStart, &g_towerEnd};
        const int32_t n = std::min(g_linePickState, 2);
        WindowPoint prev{};
        bool prevInside = false;
        for (int32_t k = 0; k < n; ++k) {
            bool inside = false;
            const WindowPoint w = ProjectGround(ends[k]->x, ends[k]->y, ends[k]->z, inside);
            if (inside) LargeCircle(c, w);
            if (k > 0 && (inside || prevInside)) Line(c, prev, w);
            c.Text(w.x + 4, w.y - 14, k == 0 ? "S" : "E");
            prev = w;
            prevInside = inside;
        }
        return;
    }
    const int32_t n = std::clamp(g_profile.right.count, 0, kProfileMaxPoints);
    if (g_linePickState != 2 || n < 1) return;
    const ProfileSide& r = g_profile.right;
    WindowPoint prev{};
    bool prevInside = false;
    for (int32_t i = 1; i <= n; ++i) {
        bool inside = false;
        const WindowPoint w = ProjectGround(r.x[i], r.y[i], r.z[i], inside);
        if (i > 1 && (inside || prevInside)) Line(c, prev, w);
        prev = w;
        prevInside = inside;
    }
    const bool towers = LineTools().sagOpen && LineTools().sagOpen();
    bool inside = false;
    const WindowPoint s = towers ? ProjectGround(g_towerStart.x, g_towerStart.y, g_towerStart.z, inside)
                                 : ProjectGround(r.x[1], r.y[1], r.z[1], inside);
    const WindowPoint e = towers ? ProjectGround(g_towerEnd.x, g_towerEnd.y, g_towerEnd.z, inside)
                                 : ProjectGround(r.x[n], r.y[n], r.z[n], inside);
    if (towers) {
        c.Ellipse(s.x - 2, s.y - 2, s.x + 3, s.y + 3);
        c.Ellipse(e.x - 2, e.y - 2, e.x + 3, e.y + 3);
    }
    c.Text(s.x + 4, s.y - 14, "S");
    c.Text(e.x + 4, e.y - 14, "E");
}
}  // namespace

void DrawPickOverlay(OverlayCanvas& canvas) {
    DrawPickedPoints(canvas);
    DrawListHighlight(canvas);
    DrawCurrentIp(canvas);
    DrawCurrentStation(canvas);
    DrawCurrentSection(canvas);
    DrawMeshEditNode(canvas);
    DrawMeshRectangle(canvas);
    DrawMeshRange(canvas);
    DrawDxfRegistrationPairs(canvas);
    DrawDxfCrossingNumbers(canvas);
    DrawLineToolPicks(canvas);
    DrawFlowArea(canvas);
    if (g_visibilityDlg) g_visibilityDlg->DrawOverlay(canvas);
}
