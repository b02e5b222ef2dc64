#include "view/view_navigation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "pointedit/parallel_points.h"
#include "pointedit/point_tools.h"
#include "pointedit/two_point_tool.h"
#include "pointedit/unused_points.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/birds_eye_camera.h"
#include "view/color_band_params.h"
#include "view/raster_primitives.h"
#include "view/view_history.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"

namespace {
std::function<void(int32_t, int32_t)>& CursorMover() {
    static std::function<void(int32_t, int32_t)> mover;
    return mover;
}

bool AnyViewData() {
    return (g_pointsPresent && g_pointCount > 0) || g_ipPointCount > 0 || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_otherRouteIpCount > 0 || g_dxfElementCount > 0 ||
           g_meshAreaDefined;
}

}  // namespace

void QuickRepaintView() {
    g_redrawMask = 0;
    InvalidateAndUpdateView();
}

void FullRepaintView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void SetViewCursorMover(std::function<void(int32_t, int32_t)> mover) {
    CursorMover() = std::move(mover);
}

int32_t ZoomToBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width,
                  int32_t height) {
    const int32_t w = std::abs(right - left);
    const int32_t h = std::abs(bottom - top);
    if (w <= 3 && h <= 3) return -1;
    const int32_t bx = (left + right) / 2;
    const int32_t by = (top + bottom) / 2;
    if (g_birdsEyeOn && g_tinPresent)
        CentreOnPixel3D(bx - g_viewportCenterX, g_viewportCenterY - by);
    else
        PanByPixels(g_viewportCenterX - bx, g_viewportCenterY - by);
    const double fx = (w + 1.0) / (width + 1.0);
    const double fy = (h + 1.0) / (height + 1.0);
    SetViewScale(g_viewScale / std::max(fx, fy));
    return -1;
}

void ZoomAtClick(int32_t flags, int32_t column, int32_t row) {
    if ((flags & (kMouseFlagShift | kMouseFlagControl)) != 0 || IsKeyDown(key::kAlt)) return;
    g_redrawMask = -1;
    g_viewCenterY += (column - g_viewportCenterX) / g_viewScale;
    g_viewCenterX += (g_viewportCenterY - row) / g_viewScale;
    SetViewScale(g_viewScale * kZoomStep);
    InvalidateAndUpdateView();
    if (CursorMover()) CursorMover()(g_viewportCenterX, g_viewportCenterY);
}

void OnViewKey(int32_t key) {
    if (g_vecCreateDlg) {
        if (const int32_t command = VecCommandForViewKey(key)) {
            g_vecCreateDlg->OnTimer(command);
            return;
        }
    }
    if (key == vkey::kReturn) {
        if (g_toolMode == MODE_OUTLINE_EDIT && g_pickList2.Count() >= 2) {
            g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE + 1;
            g_pickedPoint4 = g_pickedPoint3 = 0;
            g_pickedPoint2 = g_pickList2[g_pickList2.Count()];
            ClearPickList();
            FullRepaintView();
        } else if (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_PARALLEL &&
                   g_pickList.Count() >= 2) {
            RunParallelAddLoop();
        } else if (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_BETWEEN) {
            TwoPointEnterKey();
        }
    }
    if (key == vkey::kDelete) {
        if (g_toolMode == MODE_OUTLINE_EDIT ||
            (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_PARALLEL)) {
            UndoLastPick();
        } else if (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_BATCH + 1) {
            UndoLastPick();
            const int32_t n = std::clamp(g_pickList.Count(), 0, kIndexListMaxVertices);
            g_pickedPoint3 = n > 0 ? g_pickList[n] : 0;
            if (n == 0) g_pickedPoint = 0;
            FullRepaintView();
        } else if (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_BETWEEN) {
            UndoTwoPointStep();
        }
    }
    // D: with the vector editor open, its delete key.
    if (key == 'D' && !IsToolWindowOpen(ToolWindow::kVecCreate)) DeleteUnusedPointsByKey();
    switch (key) {
        case vkey::kLeft:
            PanByArrowKey(-1, 0);
            break;
        case vkey::kRight:
            PanByArrowKey(1, 0);
            break;
        case vkey::kUp:
            PanByArrowKey(0, 1);
            break;
        case vkey::kDown:
            PanByArrowKey(0, -1);
            break;
        default:
            break;
    }
}

void ShowAllKeepSettings() {
    const ColorBandParams saved = g_colorBandParams;
    ComputeDataExtents(0);
    g_colorBandParams = saved;
    g_birdsEyeOn = 0;
    g_redrawMask = -1;
    // Before the window has a size (or without an extent) the fit is 0 or infinite: the
    // scale stays as it was, since every later step divides by it.
    SetViewScale(std::min(g_bufferMaxX, g_bufferMaxY) / g_extentSize);
    g_viewCenterX = g_extentCenterX;
    g_viewCenterY = g_extentCenterY;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;
    g_birdsEyeRoll = 0;
    g_heightScale = 1.0;
    InvalidateAndUpdateView();
}

void EnsureIpPointVisible(int32_t i) {
    if (i < 1 || i > std::min(g_ipPointCount, kMaxIpPoints)) return;
    const IpPoint& ip = g_ipPoints[i];
    const double h = g_extentSize * 5 / 12;
    if (std::abs(ip.x - g_extentCenterX) <= h && std::abs(ip.y - g_extentCenterY) <= h) return;
    const ColorBandParams saved = g_colorBandParams;
    ComputeDataExtents(1);
    g_colorBandParams = saved;
}

void OnZoomIn() {
    SetViewScale(g_viewScale * kZoomStep);
    FullRepaintView();
}

void OnZoomOut() {
    SetViewScale(g_viewScale * kZoomOutStep);
    FullRepaintView();
}

void OnZoomRectMode() { g_dragState = (g_dragState & kDragZoomArmed) ? 0 : kDragZoomArmed; }

void OnPanMode() { g_dragState = g_dragState != kDragPan ? kDragPan : 0; }

void OnShowAll() { ShowAllKeepSettings(); }

void OnPreviousScreen() {
    PopViewHistory();
    FullRepaintView();
}

bool ZoomRectModeChecked() { return (g_dragState & 0x30) == 0x10; }
bool PanModeChecked() { return g_dragState == kDragPan; }
// The background image is not part of this program yet; when it comes, a loaded image
// enables the overall view too.
bool ShowAllEnabled() { return AnyViewData(); }
bool PreviousScreenEnabled() { return CanPopViewHistory(); }

void ZoomWheel(int32_t delta, int32_t column, int32_t row, bool alt) {
    const double k = static_cast<int16_t>(delta) > 0 ? kZoomStep : kZoomOutStep;
    const double s = g_viewScale;
    if (!g_birdsEyeOn) {
        const double e = column - g_bufferMaxX / 2;
        const double f = row - g_bufferMaxY / 2;
        SetViewScale(s * k);
        // About the pixel under the cursor, by the scale actually taken.
        g_viewCenterY -= e / g_viewScale - e / s;
        g_viewCenterX += f / g_viewScale - f / s;
    } else if (!alt) {
        SetViewScale(s * k);
    } else {
        WheelExaggeration(static_cast<int16_t>(delta));
    }
    FullRepaintView();
}

bool CentreOnPickedPoint(int32_t column, int32_t row) {
    if (g_birdsEyeOn || g_pickedPoint == 0 || g_outlineEditState != 0) return false;
    if (!g_points || g_pickedPoint < 1 || g_pickedPoint > g_pointCount) return false;
    const RandomPoint& p = g_points[g_pickedPoint];
    const double s = g_viewScale;
    g_viewCenterY = p.y - (column - g_viewportCenterX) / s;
    g_viewCenterX = p.x + (row - g_viewportCenterY) / s;
    FullRepaintView();
    return true;
}
