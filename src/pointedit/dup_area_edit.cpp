#include "pointedit/dup_area_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "model/duplicate_points.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "pointedit/point_deletion.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

CDupPointAreaEditDlg* g_dupPointAreaEditDlg = nullptr;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kVkInsert = 0x2D;
constexpr int32_t kVkDelete = 0x2E;
constexpr int32_t kVkEscape = 0x1B;
constexpr uint32_t kGizmoColor = 0xFF80C0;
constexpr uint32_t kGizmoBackColor = 0x8080C0;
double Rad(double degrees) { return degrees * kPi / 180.0; }
double Deg(double radians) { return radians * 180.0 / kPi; }
double WrapDir(double d) {
    if (d < 0) d += 360.0;
    if (d >= 360.0) d -= 360.0;
    return d;
}
void Apply(const Matrix3& m, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[3 * r] * in[0] + m[3 * r + 1] * in[1] + m[3 * r + 2] * in[2];
}
void ApplyTransposed(const Matrix3& m, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[r] * in[0] + m[3 + r] * in[1] + m[6 + r] * in[2];
}
Matrix3 Ry(double radians) {
    Matrix3 m = IDENTITY3X3;
    RotationAboutY(radians, m);
    return m;
}
double ViewWidthMetres() { return g_viewScale > 0 ? (g_bufferMaxX + 1) / g_viewScale : 100.0; }
}  // namespace

CDupPointAreaEditDlg::CDupPointAreaEditDlg() {
    g_hideInvalidPoints = 0;
    g_lassoPointCount = 0;
    RebuildView();
}

CDupPointAreaEditDlg::~CDupPointAreaEditDlg() {
    if (m_rotated) Restore(false);
    bool selected = false;
    for (int32_t i = 1; i <= g_pointCount; ++i)
        selected = selected || (g_points[i].flags & POINT_FLAG_AREA_SELECTED);
    ClearPointFlags(POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION);
    g_hideInvalidPoints = 0;
    g_lassoDrawing = 0;
    if (g_dupPointAreaEditDlg == this) g_dupPointAreaEditDlg = nullptr;
    if (selected) g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CDupPointAreaEditDlg::Refresh() {
    if (refreshControls) refreshControls();
}

void CDupPointAreaEditDlg::Redraw(bool everything) {
    if (everything) g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CDupPointAreaEditDlg::RebuildView() {
    m_view = IDENTITY3X3;
    RotationAboutX(Rad(m_tilt), m_view);
    RotationAboutY(Rad(180.0 - m_dir), m_view);
}

void CDupPointAreaEditDlg::DeriveAngles() {
    const double axisUp = m_view[4];
    if (std::fabs(axisUp) < 0.999999) {
        m_tilt = Deg(std::acos(axisUp));
        m_dir = WrapDir(Deg(std::atan2(m_view[3], m_view[5])));
    } else {
        // The axis stands vertical: no tilt, and no direction to speak of.
        m_tilt = axisUp > 0 ? 0.0 : 180.0;
        m_dir = 0.0;
    }
}

// ---- values ----

void CDupPointAreaEditDlg::JudgeDistanceLeft(double value) {
    if (value != 0.0) m_judgeDistance = value;
    if (m_judgeDistance < 1e-6) m_judgeDistance = 0.1;
    Refresh();
}

void CDupPointAreaEditDlg::TiltLeft(double value) {
    m_tilt = value;
    RebuildView();
    Refresh();
    Redraw(false);
}

void CDupPointAreaEditDlg::DirLeft(double value) {
    m_dir = WrapDir(value);
    RebuildView();
    Refresh();
    Redraw(false);
}

void CDupPointAreaEditDlg::WheelOnAngle(bool tilt, int32_t delta) {
    const double step = delta > 0 ? 1.0 : -1.0;
    if (tilt) {
        m_tilt += step;
        if (m_tilt >= 180.0) m_tilt = 179.0;
        if (m_tilt <= -180.0) m_tilt = -179.0;
    } else {
        m_dir = WrapDir(m_dir + step);
    }
    RebuildView();
    Refresh();
    Redraw(false);
}

void CDupPointAreaEditDlg::ShowInvalidPoints(bool shown) {
    g_hideInvalidPoints = shown ? 0 : 1;
    Redraw(true);
}

void CDupPointAreaEditDlg::SetGizmo(bool on) {
    m_gizmo = on;
    if (on) m_centrePoint = m_lastPick;
    Refresh();
    Redraw(false);
}

// ---- selection ----

int32_t CDupPointAreaEditDlg::PickPoint(int32_t x, int32_t y, int32_t radius) const {
    return PickNearestPoint(x, y, radius, g_birdsEyeOn ? 4 : 0);
}

void CDupPointAreaEditDlg::SelectRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    ClearPointFlags(POINT_FLAG_NEW_SELECTION);
    int32_t inside = 0, newly = 0, last = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!PointSelectable(p) || (p.flags & POINT_FLAG_OUTLINE_VERTEX)) continue;
        if (!InsideDragRectangle(x0, y0, x1, y1, PointClientColumn(p), PointClientRow(p))) continue;
        ++inside;
        last = i;
        if (!(p.flags & POINT_FLAG_AREA_SELECTED)) {
            p.flags |= POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
            ++newly;
        }
    }
    m_selectedCount = inside;
    m_lastPick = newly == 1 ? last : 0;
}

void CDupPointAreaEditDlg::OnSetValid(bool valid) {
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!(p.flags & POINT_FLAG_AREA_SELECTED) ||
            (p.flags & (POINT_FLAG_LOCK | POINT_FLAG_OUTLINE_VERTEX)))
            continue;
        if (valid) {
            p.invalid = 0;
            p.outside = 0;
        } else {
            p.invalid = 1;
        }
        p.flags &= static_cast<uint8_t>(~(POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION));
    }
    g_dataChanged = 1;
    m_selectedCount = 0;
    Refresh();
    Redraw(true);
}

void CDupPointAreaEditDlg::OnClearSelection() {
    m_selectedCount = 0;
    m_lastPick = 0;
    m_centrePoint = 0;
    bool any = false;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.flags & POINT_FLAG_NEW_SELECTION) {
            p.flags &= static_cast<uint8_t>(~(POINT_FLAG_NEW_SELECTION | POINT_FLAG_AREA_SELECTED));
            any = true;
        }
    }
    if (any) {
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (g_points[i].flags & POINT_FLAG_AREA_SELECTED) ++m_selectedCount;
    } else {
        ClearPointFlags(POINT_FLAG_AREA_SELECTED);
    }
    Refresh();
    Redraw(true);
}

// ---- duplicate check ----

void CDupPointAreaEditDlg::GizmoCentre(double c[3]) const {
    if (m_centrePoint >= 1 && m_centrePoint <= g_pointCount) {
        const RandomPoint& p = g_points[m_centrePoint];
        c[0] = p.y;
        c[1] = p.z;
        c[2] = p.x;
    } else if (g_birdsEyeOn) {
        const double w = ViewWidthMetres();
        c[0] = g_eyeY + w * g_cameraMatrixPlain[6];
        c[1] = g_eyeZ + w * g_cameraMatrixPlain[7];
        c[2] = g_eyeX + w * g_cameraMatrixPlain[8];
    } else {
        c[0] = g_viewCenterY;
        c[1] = 0.5 * (g_pointZMin + g_pointZMax);
        c[2] = g_viewCenterX;
    }
}

void CDupPointAreaEditDlg::OnDuplicateCheck(bool arbitrary) {
    ShowWaitCursor(true);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        p.flags &= static_cast<uint8_t>(~POINT_FLAG_NEW_SELECTION);
        if (p.invalid != 0) p.flags &= static_cast<uint8_t>(~POINT_FLAG_AREA_SELECTED);
        if (PointChangeLocked(p)) p.flags &= static_cast<uint8_t>(~POINT_FLAG_AREA_SELECTED);
    }
    m_selectedCount = 0;
    int32_t candidates = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.flags & POINT_FLAG_AREA_SELECTED) {
            ++candidates;
        } else if (p.invalid == 0) {
            p.invalid = 99;
            p.flags |= POINT_FLAG_NEW_SELECTION;
        }
    }
    auto unmark = [] {
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            p.flags &= static_cast<uint8_t>(~POINT_FLAG_AREA_SELECTED);
            if (p.flags & POINT_FLAG_NEW_SELECTION) {
                p.invalid = 0;
                p.flags &= static_cast<uint8_t>(~POINT_FLAG_NEW_SELECTION);
            }
        }
    };
    if (candidates < 2) {
        unmark();
        ShowWaitCursor(false);
        Refresh();
        return;
    }
    std::vector<double> saved;
    bool search = true;
    if (arbitrary && !m_rotated) {
        try {
            saved.resize(static_cast<size_t>(g_pointCount + 1) * 3);
        } catch (const std::bad_alloc&) {
            search = false;
        }
        if (search) {
            double c[3];
            GizmoCentre(c);
            for (int32_t i = 1; i <= g_pointCount; ++i) {
                RandomPoint& p = g_points[i];
                if (p.invalid != 0) continue;
                saved[3 * i] = p.x;
                saved[3 * i + 1] = p.y;
                saved[3 * i + 2] = p.z;
                const double v[3] = {p.y - c[0], p.z - c[1], p.x - c[2]};
                double w[3];
                Apply(m_view, v, w);
                p.y = c[0] - w[0];
                p.z = c[1] + w[1];
                p.x = c[2] - w[2];
            }
        }
    }
    if (search) FindDuplicatePoints(statusWindow, m_keepLowest ? 1 : 0, m_judgeDistance);
    if (!saved.empty()) {
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            if (!(p.flags & POINT_FLAG_AREA_SELECTED)) continue;
            p.x = saved[3 * i];
            p.y = saved[3 * i + 1];
            p.z = saved[3 * i + 2];
        }
    }
    unmark();
    ShowWaitCursor(false);
    Refresh();
    Redraw(true);
}

// ---- rotation ----

void CDupPointAreaEditDlg::OnRotateRestore() {
    if (m_rotated)
        Restore(true);
    else
        Rotate();
    Refresh();
    Redraw(true);
}

void CDupPointAreaEditDlg::Rotate() {
    m_panNorth = m_panEast = 0.0;
    m_rotation = IDENTITY3X3;
    m_saved.clear();
    try {
        m_saved.resize(static_cast<size_t>(g_pointCount + 1) * 3 + 32);
    } catch (const std::bad_alloc&) {
        return;
    }
    m_savedCount = g_pointCount;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        m_saved[3 * i] = g_points[i].x;
        m_saved[3 * i + 1] = g_points[i].y;
        m_saved[3 * i + 2] = g_points[i].z;
    }
    if (std::fabs(m_tilt) > 1e-9) {
        Vector3 axis;
        DirectionFromAngles(axis, 0.0, Rad(180.0 - m_dir));
        AxisAngleMatrix(m_rotation, axis, Rad(m_tilt));
    } else {
        m_rotation = Ry(Rad(-m_dir));
    }
    m_appliedDir = m_dir;
    GizmoCentre(m_centre);
    m_rotated = true;
    Recompute();
    // Saving, opening and deleting take the survey coordinates back first.
    SetSurveyFrameRestorer([this] {
        Restore(false);
        Refresh();
        Redraw(true);
    });
}

void CDupPointAreaEditDlg::TurnedPosition(int32_t i, double& x, double& y, double& z) const {
    const double v[3] = {m_saved[3 * i + 1] - m_centre[0], m_saved[3 * i + 2] - m_centre[1],
                         m_saved[3 * i] - m_centre[2]};
    double w[3];
    Apply(m_rotation, v, w);
    y = m_centre[0] + w[0] + m_panEast;
    z = m_centre[1] + w[1];
    x = m_centre[2] + w[2] + m_panNorth;
}

void CDupPointAreaEditDlg::Recompute() {
    const int32_t n = std::min(g_pointCount, m_savedCount);
    for (int32_t i = 1; i <= n; ++i) {
        RandomPoint& p = g_points[i];
        TurnedPosition(i, p.x, p.y, p.z);
    }
}

void CDupPointAreaEditDlg::Restore(bool tellCountChange) {
    if (!m_rotated) return;
    SetSurveyFrameRestorer(nullptr);
    m_rotated = false;
    // A point still exactly where the turn put the saved point of its number gets the saved
    // coordinates back unchanged. Any other point was added, moved, edited or renumbered
    // while turned: it was worked on in the turned frame and is turned back, so neither
    // turned coordinates nor another point's coordinates stay behind.
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (i <= m_savedCount) {
            double x, y, z;
            TurnedPosition(i, x, y, z);
            if (p.x == x && p.y == y && p.z == z) {
                p.x = m_saved[3 * i];
                p.y = m_saved[3 * i + 1];
                p.z = m_saved[3 * i + 2];
                continue;
            }
        }
        const double w[3] = {p.y - m_panEast - m_centre[0], p.z - m_centre[1],
                             p.x - m_panNorth - m_centre[2]};
        double v[3];
        ApplyTransposed(m_rotation, w, v);
        p.y = m_centre[0] + v[0];
        p.z = m_centre[1] + v[1];
        p.x = m_centre[2] + v[2];
    }
    if (tellCountChange && g_pointCount != m_savedCount)
        ShowMessage("点数が変化したため、回転後に加わった点も回転前の座標系に戻しました",
                    "", msg::kOk | msg::kIconInformation);
    m_panNorth = m_panEast = 0.0;
    m_rotation = IDENTITY3X3;
    m_saved.clear();
    m_saved.shrink_to_fit();
    m_savedCount = 0;
}

void CDupPointAreaEditDlg::OnDeleteInvalid() {
    if (m_rotated) {
        ShowMessage(kRotatedRefusal, "", msg::kOk | msg::kIconWarning);
        return;
    }
    m_selectedCount = 0;
    DeleteInvalidPoints();
    Refresh();
    Redraw(true);
}

// ---- view ----

AreaOverlay CDupPointAreaEditDlg::Overlay() const {
    AreaOverlay overlay;
    if (m_dragState != 0 && !m_handleDrag && m_method == kRectangle && (m_dragState & 2)) {
        overlay.band = true;
        overlay.bandRect[0] = m_startX;
        overlay.bandRect[1] = m_startY;
        overlay.bandRect[2] = m_lastX;
        overlay.bandRect[3] = m_lastY;
    }
    if (m_rotated || !m_gizmo) return overlay;
    double c[3];
    GizmoCentre(c);
    const double s = 0.13 * ViewWidthMetres();
    const double* u = &m_view.m[0];
    const double* axis = &m_view.m[3];
    const double* v = &m_view.m[6];
    auto ground = [&](double a, double b, double h, double out[3]) {
        const double e[3] = {c[0] + s * (a * u[0] + b * v[0] + h * axis[0]),
                             c[1] + s * (a * u[1] + b * v[1] + h * axis[1]),
                             c[2] + s * (a * u[2] + b * v[2] + h * axis[2])};
        out[0] = e[2];
        out[1] = e[0];
        out[2] = e[1];
    };
    uint32_t color = kGizmoColor;
    if (g_birdsEyeOn) {
        const double facing = axis[0] * g_cameraMatrixPlain[6] + axis[1] * g_cameraMatrixPlain[7] +
                              axis[2] * g_cameraMatrixPlain[8];
        if (facing > 0) color = kGizmoBackColor;
    }
    static constexpr int kSegments[8][4] = {{0, 0, 0, 1},    {0, 0, 1, 0},   {0, 0, 0, -1},
                                            {0, 0, -1, 0},   {1, 1, 1, -1},  {1, -1, -1, -1},
                                            {-1, -1, -1, 1}, {-1, 1, 1, 1}};
    for (int k = 0; k < 8; ++k) {
        double a[3], b[3];
        ground(kSegments[k][0], kSegments[k][1], 0, a);
        ground(kSegments[k][2], kSegments[k][3], 0, b);
        AddGroundLine(overlay, a, b, color, k == 0 ? 2 : 1);
    }
    double centre[3], handle[3];
    ground(0, 0, 0, centre);
    ground(0, 0, 1, handle);
    AddGroundLine(overlay, centre, handle, 0xFF2020, 2);
    int32_t hx, hy;
    if (ProjectGround(handle[0], handle[1], handle[2], hx, hy)) overlay.handles.push_back({hx, hy});
    return overlay;
}

void CDupPointAreaEditDlg::OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if (g_dragState != 0 || g_toolMode != 0 || (flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) {
        m_dragState = 0;
        m_handleDrag = false;
        g_lassoDrawing = 0;
        return;
    }
    if (message == kViewKeyDown) {
        if (x == kVkInsert) OnSetValid(true);
        else if (x == kVkDelete) OnSetValid(false);
        else if (x == kVkEscape) OnClearSelection();
        return;
    }
    const bool left = (flags & kMouseFlagLeft) != 0;
    if (message == kViewLButtonDown) {
        m_dirAtDown = m_dir;
        m_startX = m_lastX = x;
        m_startY = m_lastY = y;
        m_lastPick = 0;
        m_dragState = 1;
        m_path = 0;
        m_handleDrag = false;
        m_handleSign = 0;
        const AreaOverlay overlay = Overlay();
        if (!overlay.handles.empty() && std::abs(overlay.handles[0].x - x) <= 4 &&
            std::abs(overlay.handles[0].y - y) <= 4) {
            m_handleDrag = true;
            m_dragState = -1;
        }
        g_lassoPointCount = 0;
        m_idleMoves = 0;
        if (m_method == kLasso && !m_handleDrag) {
            g_lassoDrawing = 1;
            g_lassoColor = 0xFF00C0;
            g_lassoCursor = LassoPoint{x, y};
        }
        return;
    }
    if (message == kViewMouseMove) {
        const int32_t dx = x - m_lastX, dy = y - m_lastY;
        if (!left && m_dragState != 0 && std::abs(dx) + std::abs(dy) > 60) {
            m_handleDrag = false;
            m_dragState = 0;
            g_lassoDrawing = 0;
            Redraw(false);
        }
        if (m_handleDrag && left) {
            if (g_birdsEyeOn) {
                if (m_handleSign == 0) m_handleSign = m_view[5] > 0 ? -1 : 1;
                Matrix3 r = m_view;
                PreRotationAboutX(0.005 * dy, r);
                RotationAboutY(0.005 * m_handleSign * dx, r);
                m_view = r;
            } else {
                RotationAboutX(0.005 * dy, m_view);
                RotationAboutZ(0.005 * dx, m_view);
            }
            DeriveAngles();
            m_path -= std::abs(dx) + std::abs(dy);
            Refresh();
            Redraw(false);
        } else if (flags & kMouseFlagShift) {
            const bool sameCount = m_rotated && g_pointCount == m_savedCount && !g_birdsEyeOn;
            if ((flags & kMouseFlagRight) && sameCount) {
                const double scale = g_viewScale > 0 ? g_viewScale : 1.0;
                m_panEast += (x - m_lastX) / scale;
                m_panNorth += (m_lastY - y) / scale;
                Recompute();
                Redraw(true);
            } else if (left && sameCount) {
                int32_t cx, cy;
                if (ProjectGround(m_centre[2] + m_panNorth, m_centre[0] + m_panEast, m_centre[1], cx,
                                  cy)) {
                    const double ax = m_startX - cx, ay = cy - m_startY;
                    const double bx = x - cx, by = cy - y;
                    if (ax * ax + ay * ay >= 4 && bx * bx + by * by >= 4) {
                        double d = Deg(std::atan2(ay, ax) - std::atan2(by, bx));
                        while (d > 180.0) d -= 360.0;
                        while (d <= -180.0) d += 360.0;
                        m_dir = m_dirAtDown - d;
                        if (std::fabs(m_tilt) > 1e-9) {
                            // The view rotation at the applied DIR, turned by the change.
                            Matrix3 applied = IDENTITY3X3;
                            RotationAboutX(Rad(m_tilt), applied);
                            RotationAboutY(Rad(180.0 - m_appliedDir), applied);
                            Matrix3 r;
                            MultiplyMatrix3(r, Ry(Rad(-(m_dir - m_appliedDir))),
                                            Ry(Rad(-(180.0 - m_appliedDir))));
                            MultiplyMatrix3(m_rotation, r, applied);
                        } else {
                            m_rotation = Ry(Rad(-m_dir));
                        }
                        Recompute();
                        Refresh();
                        Redraw(true);
                    }
                }
            }
        } else {
            if (left) {
                m_idleMoves = 0;
            } else if (++m_idleMoves > 3) {
                m_dragState = 0;
                g_lassoDrawing = 0;
            }
            if (m_dragState != 0 && left) {
                m_path += std::abs(dx) + std::abs(dy);
                if (m_method == kLasso) {
                    AppendLassoPoint(m_lastX, m_lastY);
                    g_lassoCursor = LassoPoint{x, y};
                }
                m_dragState |= 2;
                QuickRepaintView();
            }
        }
        m_lastX = x;
        m_lastY = y;
        return;
    }
    if (message != kViewLButtonUp || m_dragState == 0) return;
    ShowWaitCursor(true);
    // The lasso runs through the last position moved to, then to the release.
    if (m_method == kLasso && !m_handleDrag && (m_dragState & 2)) AppendLassoPoint(m_lastX, m_lastY);
    m_lastX = x;
    m_lastY = y;
    if (m_handleDrag) {
        // The axis was turned; the release selects nothing.
    } else if (m_path <= 7 || (m_method == kRectangle && m_path == 8)) {
        const int32_t pick = PickPoint(x, y, 30);
        m_lastPick = pick;
        if (pick > 0 &&
            !(g_points[pick].flags & (POINT_FLAG_OUTLINE_VERTEX | POINT_FLAG_AREA_SELECTED))) {
            g_points[pick].flags |= POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
            ++m_selectedCount;
        }
    } else if (m_method == kLasso) {
        AppendLassoPoint(x, y);
        m_selectedCount += SelectInsideLasso();
        // As with the rectangle and the click, outline vertices stay out of the selection:
        // the duplicate check must never make one invalid.
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            if ((p.flags & POINT_FLAG_OUTLINE_VERTEX) && (p.flags & POINT_FLAG_NEW_SELECTION)) {
                p.flags &= static_cast<uint8_t>(~(POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION));
                --m_selectedCount;
            }
        }
    } else {
        SelectRectangle(m_startX, m_startY, x, y);
    }
    ShowWaitCursor(false);
    m_idleMoves = 0;
    g_lassoPointCount = 0;
    g_lassoDrawing = 0;
    m_path = 0;
    m_dragState = 0;
    m_handleDrag = false;
    RebuildView();
    Refresh();
    if (m_selectedCount != 0) g_redrawMask = -1;
    Redraw(false);
}
