#include "view/color_band_gizmo.h"

#include <cmath>
#include <cstdlib>

#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "pointedit/edit_point.h"
#include "shell/tool_windows.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"

ColorBandGizmoState g_colorBandGizmo;

namespace {
constexpr double kDeg = 180.0 / M_PI;
constexpr int32_t kHitDistance = 8;  // Manhattan, pixels
constexpr int32_t kClickSlack = 9;   // as the view's clicks

std::function<void()>& ChangedHandler() {
    static std::function<void()> handler;
    return handler;
}

// COLORREF order for the canvas.
constexpr uint32_t Ref(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

void Project(const GizmoPoint& p, int32_t& x, int32_t& y) {
    RandomPoint r{};
    r.x = p.x;
    r.y = p.y;
    r.z = p.z;
    ProjectRecord(r);
    x = g_viewportCenterX + r.screenX;
    y = g_viewportCenterY - r.screenY;
}

bool Near(int32_t x, int32_t y, int32_t hx, int32_t hy) { return std::abs(x - hx) + std::abs(y - hy) < kHitDistance; }

// The ground point under the cursor; false where the bird's-eye view shows no TIN.
bool GroundAt(int32_t x, int32_t y, GizmoPoint& p) {
    if (g_birdsEyeOn)
        return PickTinPoint3D(x - g_bufferMaxX / 2, g_bufferMaxY / 2 - y, p.x, p.y, p.z) != 0;
    ClientToGround(x, y, p.x, p.y);
    p.z = g_colorBandParams.refH;
    if (g_tinPresent) {
        // GetTinZ reports through the edit point; keep that as it was.
        const RandomPoint saved = g_editPoint;
        if (GetTinZ(p.x, p.y) != 0) p.z = g_editPoint.z;
        g_editPoint = saved;
    }
    return true;
}

// Screen angle of the cursor around the reference point, turned into a survey direction.
bool CursorDirection(int32_t x, int32_t y, const GizmoScreen& s, double& direction) {
    const double right = x - s.refX;
    double up = s.refY - y;
    double extra = 0;
    if (g_birdsEyeOn) {
        const double sinTilt = std::sin(-g_birdsEyeTilt);
        if (std::fabs(g_birdsEyeTilt) < 0.001) return false;
        up /= sinTilt;
        extra = g_birdsEyeAzimuth * kDeg;
    }
    if (right == 0 && up == 0) return false;
    direction = 90.0 - std::atan2(up, right) * kDeg + extra;
    return true;
}

void Changed() {
    if (ChangedHandler()) ChangedHandler()();
    FullRepaintView();
}

void MoveReference(const GizmoPoint& ground, int32_t flags) {
    ColorBandParams& p = g_colorBandParams;
    p.refX = ground.x;
    p.refY = ground.y;
    if (!(flags & kMouseFlagShift)) p.refH = ground.z;
}
}  // namespace

bool ColorBandGizmoShown() {
    const ColorBandParams& p = g_colorBandParams;
    return IsToolWindowOpen(ToolWindow::kColorBand) && p.refInclined != 0 && (p.mode == 0 || p.mode == 1);
}

GizmoScreen ProjectColorBandGizmo() {
    const GizmoGeometry g = ComputeGizmoGeometry(g_colorBandParams, g_viewScale);
    GizmoScreen s{};
    Project(g.ref, s.refX, s.refY);
    Project(g.poleTop, s.poleX, s.poleY);
    Project(g.baseA, s.baseAX, s.baseAY);
    Project(g.baseB, s.baseBX, s.baseBY);
    Project(g.direction, s.dirX, s.dirY);
    Project(g.slope, s.slopeX, s.slopeY);
    Project(g.ground, s.groundX, s.groundY);
    Project(g.tick, s.tickX, s.tickY);
    return s;
}

void DrawColorBandGizmo(OverlayCanvas& canvas) {
    if (!ColorBandGizmoShown()) return;
    const GizmoScreen s = ProjectColorBandGizmo();
    const GizmoHandle dragged = g_colorBandGizmo.dragged;
    canvas.SetPenStyle(1, false);
    canvas.SetPen(Ref(255, 128, 128));
    canvas.MoveTo(s.baseAX, s.baseAY);
    canvas.LineTo(s.baseBX, s.baseBY);
    canvas.MoveTo(s.refX, s.refY);
    canvas.LineTo(s.poleX, s.poleY);
    canvas.SetPen(Ref(0, 192, 192));
    canvas.MoveTo(s.dirX, s.dirY);
    canvas.LineTo(s.refX, s.refY);
    canvas.LineTo(s.slopeX, s.slopeY);
    canvas.LineTo(s.groundX, s.groundY);
    const auto square = [&](int32_t x, int32_t y, bool held, uint32_t colour) {
        if (held) canvas.FillRect(x - 4, y - 4, x + 5, y + 5, Ref(255, 192, 255));
        canvas.FillRect(x - 3, y - 3, x + 3, y + 3, colour);
    };
    square(s.dirX, s.dirY, dragged == GizmoHandle::kDirection, Ref(255, 192, 0));
    if (g_birdsEyeOn) square(s.slopeX, s.slopeY, dragged == GizmoHandle::kSlope, Ref(0, 192, 255));
    if (g_colorBandGizmo.targetPicked) {
        int32_t tx, ty;
        Project(g_colorBandGizmo.target, tx, ty);
        canvas.SetPen(Ref(255, 192, 255));
        canvas.MoveTo(tx - 6, ty);
        canvas.LineTo(tx + 6, ty);
        canvas.MoveTo(tx, ty - 6);
        canvas.LineTo(tx, ty + 6);
    }
}

bool DragColorBandGizmo(int32_t message, int32_t flags, int32_t x, int32_t y) {
    ColorBandGizmoState& st = g_colorBandGizmo;
    if (!ColorBandGizmoShown()) {
        st.dragged = GizmoHandle::kNone;
        return false;
    }
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return false;
    ColorBandParams& p = g_colorBandParams;
    const GizmoScreen s = ProjectColorBandGizmo();
    switch (message) {
        case kGizmoLButtonDown: {
            st.dragged = GizmoHandle::kNone;
            if (Near(x, y, s.refX, s.refY)) {
                st.dragged = GizmoHandle::kReference;
            } else if (Near(x, y, s.dirX, s.dirY)) {
                st.dragged = GizmoHandle::kDirection;
                double measured;
                st.pressOffset = CursorDirection(x, y, s, measured) ? measured - p.refDirection : 0;
            } else if (g_birdsEyeOn && Near(x, y, s.slopeX, s.slopeY)) {
                st.dragged = GizmoHandle::kSlope;
            }
            if (st.dragged == GizmoHandle::kNone) return false;
            QuickRepaintView();
            return true;
        }
        case kGizmoMouseMove: {
            if (!(flags & kMouseFlagLeft)) return false;
            GizmoPoint ground;
            switch (st.dragged) {
                case GizmoHandle::kReference:
                    if (!GroundAt(x, y, ground)) return false;
                    MoveReference(ground, flags);
                    break;
                case GizmoHandle::kDirection: {
                    double measured;
                    if (!CursorDirection(x, y, s, measured)) return false;
                    // The plan's handle sits where the direction points; the bird's-eye one
                    // keeps the offset of the press so that it does not jump.
                    p.refDirection = g_birdsEyeOn ? measured - st.pressOffset : measured;
                    break;
                }
                case GizmoHandle::kSlope:
                    p.refInclination = SlopeHandleInclination(s.groundY - y, s.groundY - s.tickY);
                    break;
                case GizmoHandle::kNone:
                    return false;
            }
            Changed();
            return true;
        }
        case kGizmoLButtonUp: {
            const bool handle = st.dragged != GizmoHandle::kNone;
            st.dragged = GizmoHandle::kNone;
            if (handle) {
                QuickRepaintView();
                return true;
            }
            // A drag that grabbed no handle aims nothing.
            const bool drag = std::abs(x - g_viewMouse.pressX) > kClickSlack || std::abs(y - g_viewMouse.pressY) > kClickSlack;
            if (drag || !st.targetOption) return false;
            GizmoPoint ground;
            if (!GroundAt(x, y, ground)) return false;
            st.target = ground;
            st.targetPicked = true;
            AimPlaneAtTarget(p, ground.x, ground.y, ground.z);
            Changed();
            return true;
        }
        case kGizmoLButtonDblClk: {
            GizmoPoint ground;
            if (!GroundAt(x, y, ground)) return false;
            MoveReference(ground, flags);
            Changed();
            return true;
        }
        default:
            return false;
    }
}

void SetColorBandGizmoChangedHandler(std::function<void()> handler) { ChangedHandler() = std::move(handler); }
