#include "pointedit/valid_area_edit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "pointedit/point_array.h"
#include "pointedit/point_deletion.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

CValidAreaEditDlg* g_validAreaEditDlg = nullptr;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kOverlayColor = 0xFF80C0;
double Rad(double degrees) { return degrees * kPi / 180.0; }

Matrix3 CameraRotation() {
    Matrix3 c;
    for (int i = 0; i < 9; ++i) c[i] = g_cameraMatrixPlain[i];
    return c;
}

double ViewWidthMetres() {
    return g_viewScale > 0 ? (g_bufferMaxX + 1) / g_viewScale : 100.0;
}
}  // namespace

CValidAreaEditDlg::CValidAreaEditDlg() = default;

CValidAreaEditDlg::~CValidAreaEditDlg() {
    ClearPointFlags(POINT_FLAG_AREA_SELECTED | POINT_FLAG_PICKED | POINT_FLAG_NEW_SELECTION |
                    POINT_FLAG_LOCK);
    if (g_validAreaEditDlg == this) g_validAreaEditDlg = nullptr;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CValidAreaEditDlg::Refresh() {
    if (refreshControls) refreshControls();
}

void CValidAreaEditDlg::Redraw() { InvalidateAndUpdateView(); }

// ---- values ----

void CValidAreaEditDlg::RadiusLeft(double value) {
    if (value > 0) m_radius = value;
    Refresh();
}

void CValidAreaEditDlg::LowOffsetLeft(double value) {
    m_lowOffset = value;
    Refresh();
}

void CValidAreaEditDlg::ConeAngleLeft(double value) {
    m_coneAngle = std::clamp(value, 0.01, 89.0);
    if (m_conePick) {
        // The cone changed shape: what it marked before goes, so a narrower cone selects less.
        DropLastGesture();
        m_marked = false;
        SelectByCone();
        if (m_marked) g_redrawMask = -1;
    }
    Refresh();
    Redraw();
}

void CValidAreaEditDlg::NameLeft(const std::string& text) {
    std::string name = text.substr(0, Cp932PrefixLength(text, 14));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    m_newName = name.substr(0, Cp932PrefixLength(name, 8));
    Refresh();
}

void CValidAreaEditDlg::SetSphereMode(bool on) {
    m_sphere = on;
    m_hasPick = false;
    m_conePick = 0;
    Refresh();
    Redraw();
}

void CValidAreaEditDlg::SetConeMode(bool on) {
    m_cone = on;
    m_hasPick = false;
    m_conePick = 0;
    m_orientation = IDENTITY3X3;
    Refresh();
    Redraw();
}

void CValidAreaEditDlg::SetLowestMode(bool on) {
    m_lowest = on;
    m_hasPick = false;
    m_conePick = 0;
    Refresh();
    Redraw();
}

void CValidAreaEditDlg::SetScreenUp(bool on) {
    m_screenUp = on;
    m_hasPick = false;
    m_conePick = 0;
    m_orientation = on && g_birdsEyeOn ? CameraRotation() : IDENTITY3X3;
    Refresh();
    Redraw();
}

void CValidAreaEditDlg::ConeAxis(double a[3]) const {
    const double len = std::sqrt(m_orientation[3] * m_orientation[3] +
                                 m_orientation[4] * m_orientation[4] +
                                 m_orientation[5] * m_orientation[5]);
    for (int k = 0; k < 3; ++k) a[k] = len > 0 ? m_orientation[3 + k] / len : (k == 1 ? 1 : 0);
}

// ---- selection ----

int32_t CValidAreaEditDlg::PickPoint(int32_t x, int32_t y, int32_t radius) const {
    return PickNearestPoint(x, y, radius, 4);
}

bool CValidAreaEditDlg::DropLastGesture() {
    bool any = false;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.flags & POINT_FLAG_NEW_SELECTION) {
            p.flags &= static_cast<uint8_t>(~(POINT_FLAG_NEW_SELECTION | POINT_FLAG_AREA_SELECTED));
            any = true;
        }
    }
    if (any) g_redrawMask = -1;
    return any;
}

void CValidAreaEditDlg::Mark(RandomPoint& p) {
    if (p.flags & POINT_FLAG_OUTLINE_VERTEX) return;
    p.flags |= POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
    m_marked = true;
}

void CValidAreaEditDlg::SelectByCone() {
    if (m_conePick < 1 || m_conePick > g_pointCount) return;
    const RandomPoint& picked = g_points[m_conePick];
    const double P[3] = {picked.y, picked.z, picked.x};
    double a[3];
    ConeAxis(a);
    const double t = std::tan(Rad(m_coneAngle));
    const double g = m_sphere ? m_radius / t : 0.0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        const double v[3] = {p.y - P[0], p.z - P[1], p.x - P[2]};
        const double s = v[0] * a[0] + v[1] * a[1] + v[2] * a[2];
        if (m_lowest && s < m_lowOffset) continue;
        const double y = g + s;
        if (y < 0.001) continue;
        const double w[3] = {v[0] + g * a[0], v[1] + g * a[1], v[2] + g * a[2]};
        const double r = std::sqrt(std::max(0.0, w[0] * w[0] + w[1] * w[1] + w[2] * w[2] - y * y));
        if (t > r / y) Mark(p);
    }
}

void CValidAreaEditDlg::Evaluate(int32_t x, int32_t y, int32_t path) {
    ClearPointFlags(POINT_FLAG_NEW_SELECTION);
    m_marked = false;
    if (path >= 9) {
        m_hasPick = false;
        m_conePick = 0;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            if (!PointSelectable(p) || (p.flags & (POINT_FLAG_OUTLINE_VERTEX | POINT_FLAG_AREA_SELECTED)))
                continue;
            if (InsideDragRectangle(m_startX, m_startY, x, y, PointClientColumn(p), PointClientRow(p)))
                Mark(p);
        }
    } else if (m_cone) {
        const int32_t pick = m_conePick ? m_conePick : PickPoint(x, y, 30);
        if (pick == 0) return;
        m_conePick = pick;
        m_hasPick = true;
        const RandomPoint& p = g_points[pick];
        m_centre[0] = p.x;
        m_centre[1] = p.y;
        m_centre[2] = p.z;
        SelectByCone();
    } else if (m_sphere) {
        const int32_t pick = PickPoint(x, y, 30);
        if (pick == 0) return;
        const RandomPoint& c = g_points[pick];
        m_hasPick = true;
        m_centre[0] = c.x;
        m_centre[1] = c.y;
        m_centre[2] = c.z + (m_lowest ? m_radius + m_lowOffset : 0.0);
        const double r2 = m_radius * m_radius;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            const double dx = p.x - m_centre[0], dy = p.y - m_centre[1], dz = p.z - m_centre[2];
            if (dx * dx + dy * dy + dz * dz <= r2) Mark(p);
        }
    } else {
        const int32_t pick = PickPoint(x, y, 50);
        if (pick == 0) return;
        Mark(g_points[pick]);
    }
    if (m_marked) g_redrawMask = -1;
}

// ---- buttons ----

void CValidAreaEditDlg::OnApply() {
    g_dataChanged = 1;
    m_hasPick = false;
    m_conePick = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!(p.flags & POINT_FLAG_AREA_SELECTED)) continue;
        if (m_lockAction == 1) {
            p.flags |= POINT_FLAG_LOCK | POINT_FLAG_PICKED;
        } else if (m_lockAction == -1) {
            // Only the points chosen lose their lock; the others keep their outside mark.
            p.flags &= static_cast<uint8_t>(~(POINT_FLAG_LOCK | POINT_FLAG_PICKED));
            p.outside = 0;
        } else if (!(p.flags & (POINT_FLAG_OUTLINE_VERTEX | POINT_FLAG_LOCK))) {
            if (m_validity == 1) {
                p.invalid = 0;
                p.outside = 0;
            } else if (m_validity == -1) {
                p.invalid = 1;
            }
            if (m_rename) {
                const std::string name = m_newName.substr(0, Cp932PrefixLength(m_newName, 9));
                CopyPointName(p.name, name);
            }
        }
    }
    ClearPointFlags(POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION);
    g_redrawMask = -1;
    Redraw();
}

void CValidAreaEditDlg::OnClearSelection() {
    m_hasPick = false;
    m_conePick = 0;
    if (!DropLastGesture()) ClearPointFlags(POINT_FLAG_AREA_SELECTED);
    g_redrawMask = -1;
    Redraw();
}

void CValidAreaEditDlg::OnDeleteInvalid() {
    m_hasPick = false;
    m_conePick = 0;
    DeleteInvalidPoints();
    g_redrawMask = -1;
    Redraw();
}

// ---- view ----

void CValidAreaEditDlg::ConeGeometry(double apex[3], double tip[3], double rim[16][3]) const {
    double a[3];
    ConeAxis(a);
    const double t = std::tan(Rad(m_coneAngle));
    const double g = m_sphere ? m_radius / t : 0.0;
    const double L = 0.15 * ViewWidthMetres();
    const double rimRadius = L * t + (m_sphere ? m_radius : 0.0);
    // (east, up, north) -> X, Y, Z.
    const double P[3] = {m_centre[1], m_centre[2], m_centre[0]};
    const double ap[3] = {P[0] - g * a[0], P[1] - g * a[1], P[2] - g * a[2]};
    auto ground = [](const double e[3], double out[3]) {
        out[0] = e[2];
        out[1] = e[0];
        out[2] = e[1];
    };
    // Two unit vectors across the axis: a × up, and a × that.
    double u[3] = {-a[2], 0.0, a[0]};
    double ul = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    if (ul < 1e-9) {
        u[0] = 1;
        u[1] = u[2] = 0;
        ul = 1;
    }
    for (double& c : u) c /= ul;
    const double w[3] = {a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]};
    const double end[3] = {ap[0] + (g + L) * a[0], ap[1] + (g + L) * a[1], ap[2] + (g + L) * a[2]};
    ground(ap, apex);
    ground(end, tip);
    for (int k = 0; k < 16; ++k) {
        const double phi = k * kPi / 8;
        double e[3];
        for (int i = 0; i < 3; ++i)
            e[i] = end[i] + rimRadius * (std::cos(phi) * u[i] + std::sin(phi) * w[i]);
        ground(e, rim[k]);
    }
}

AreaOverlay CValidAreaEditDlg::Overlay() const {
    AreaOverlay overlay;
    if (m_dragState != 0 && m_path > 0 && m_handle == 0) {
        overlay.band = true;
        overlay.bandRect[0] = m_startX;
        overlay.bandRect[1] = m_startY;
        overlay.bandRect[2] = m_lastX;
        overlay.bandRect[3] = m_lastY;
    }
    if (!m_hasPick) return overlay;
    if (m_cone) {
        double apex[3], tip[3], rim[16][3];
        ConeGeometry(apex, tip, rim);
        for (int k = 0; k < 16; ++k) {
            AddGroundLine(overlay, apex, rim[k], kOverlayColor, 1);
            AddGroundLine(overlay, rim[k], rim[(k + 1) % 16], kOverlayColor, 1);
        }
        int32_t x, y;
        if (ProjectGround(tip[0], tip[1], tip[2], x, y)) overlay.handles.push_back({x, y});
        for (int k = 0; k < 16; k += 4)
            if (ProjectGround(rim[k][0], rim[k][1], rim[k][2], x, y)) overlay.handles.push_back({x, y});
    } else if (m_sphere) {
        const double R = m_radius;
        auto at = [&](double meridian, double polar, double out[3]) {
            out[0] = m_centre[0] + R * std::sin(polar) * std::cos(meridian);
            out[1] = m_centre[1] + R * std::sin(polar) * std::sin(meridian);
            out[2] = m_centre[2] + R * std::cos(polar);
        };
        for (int m = 0; m < 8; ++m) {
            const double phi = m * kPi / 4, next = (m + 1) * kPi / 4;
            for (int s = 0; s < 8; ++s) {
                double a[3], b[3], c[3];
                at(phi, s * kPi / 8, a);
                at(phi, (s + 1) * kPi / 8, b);
                AddGroundLine(overlay, a, b, kOverlayColor, 1);
                if (s > 0) {
                    at(next, s * kPi / 8, c);
                    AddGroundLine(overlay, a, c, kOverlayColor, 1);
                }
            }
        }
    }
    return overlay;
}

void CValidAreaEditDlg::OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return;
    if (message == kViewLButtonDown) {
        m_angleAtDown = m_coneAngle;
        m_startX = m_lastX = x;
        m_startY = m_lastY = y;
        m_dragState = 1;
        m_path = 0;
        m_handle = 0;
        if (m_cone && m_hasPick) {
            const AreaOverlay overlay = Overlay();
            int32_t best = 1 << 30;
            for (size_t k = 0; k < overlay.handles.size(); ++k) {
                const int32_t dx = std::abs(overlay.handles[k].x - x), dy = std::abs(overlay.handles[k].y - y);
                if (dx <= 4 && dy <= 4 && dx + dy <= best) {
                    best = dx + dy;
                    m_handle = static_cast<int32_t>(k) + 1;
                }
            }
            if (m_handle) m_dragState = 0;
        }
        return;
    }
    if (message == kViewMouseMove) {
        if (!(flags & kMouseFlagLeft)) {
            m_dragState = 0;
            m_handle = 0;
            return;
        }
        const int32_t dx = x - m_lastX, dy = y - m_lastY;
        if (m_handle == 1) {
            Matrix3 turn = IDENTITY3X3;
            RotationAboutX(0.005 * dy, turn);
            RotationAboutZ(0.005 * dx, turn);
            if (g_birdsEyeOn) {
                const Matrix3 c = CameraRotation();
                Matrix3 t;
                MultiplyMatrix3(t, turn, c);               // T·C
                Matrix3 ct = c;
                Transpose3x3(ct);
                MultiplyMatrix3(t, ct, t);                 // Cᵀ·T·C
                MultiplyMatrix3(m_orientation, m_orientation, t);
            } else {
                MultiplyMatrix3(m_orientation, m_orientation, turn);
            }
            Redraw();
        } else if (m_handle >= 2) {
            const AreaOverlay overlay = Overlay();
            if (!overlay.handles.empty()) {
                const LassoPointXY tip = overlay.handles[0];
                auto d2 = [&](int32_t px, int32_t py) {
                    return double(px - tip.x) * (px - tip.x) + double(py - tip.y) * (py - tip.y);
                };
                double m = d2(m_startX, m_startY);
                if (std::abs(m_startX - tip.x) + std::abs(m_startY - tip.y) < 2) m = 2;
                const double q = d2(x, y);
                const double t = (std::tan(Rad(m_angleAtDown)) + 0.01) * q / m;
                m_coneAngle = std::clamp(std::atan(t) * 180.0 / kPi, 0.01, 89.0);
                Refresh();
                Redraw();
            }
        } else if (m_dragState != 0) {
            m_path += std::abs(dx) + std::abs(dy);
            m_dragState |= 2;
            QuickRepaintView();
        }
        m_lastX = x;
        m_lastY = y;
        return;
    }
    if (message != kViewLButtonUp) return;
    if (m_handle) {
        DropLastGesture();
        Evaluate(x, y, 0);
    } else if (m_dragState != 0) {
        m_conePick = 0;
        m_lastX = x;
        m_lastY = y;
        Evaluate(x, y, m_path);
    }
    m_handle = 0;
    m_dragState = 0;
    m_path = 0;
    Refresh();
    Redraw();
}
