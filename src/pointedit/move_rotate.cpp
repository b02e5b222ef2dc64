#include "pointedit/move_rotate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/file_report.h"
#include "model/rnd_file.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

CMoveRotateDlg* g_moveRotateDlg = nullptr;

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double degrees) { return degrees * kPi / 180.0; }
double Deg(double radians) { return radians * 180.0 / kPi; }

// Into [0, 360).
double Wrap360(double degrees) {
    const double t = degrees / 360.0;
    return (t - std::floor(t)) * 360.0;
}
void ToEun(const RandomPoint& p, double v[3]) {
    v[0] = p.y;
    v[1] = p.z;
    v[2] = p.x;
}
void FromEun(RandomPoint& p, const double v[3]) {
    p.y = v[0];
    p.z = v[1];
    p.x = v[2];
}
void Apply(const Matrix3& m, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r) out[r] = m[3 * r] * in[0] + m[3 * r + 1] * in[1] + m[3 * r + 2] * in[2];
}
// p -> b + K·(p - b - pre) + post, as M·p + v.
void AboutBase(const Matrix3& k, const double b[3], const double pre[3], const double post[3],
               double v[3]) {
    double shifted[3] = {b[0] + pre[0], b[1] + pre[1], b[2] + pre[2]};
    double kb[3];
    Apply(k, shifted, kb);
    for (int i = 0; i < 3; ++i) v[i] = b[i] - kb[i] + post[i];
}
bool Nonzero(const double m[3]) { return m[0] != 0.0 || m[1] != 0.0 || m[2] != 0.0; }
double Length(const double m[3]) { return std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]); }
}  // namespace

Matrix3 MoveRotateMatrix(double turnDegrees, double tiltDegrees, double tiltDirectionDegrees) {
    Matrix3 turn = IDENTITY3X3;
    RotationAboutY(Rad(turnDegrees), turn);  // [[c,0,s],[0,1,0],[-s,0,c]]
    const double c = Rad(tiltDirectionDegrees);
    const Vector3 axis{{-std::cos(c), 0.0, std::sin(c)}};
    Matrix3 tilt;
    AxisAngleMatrix(tilt, axis, Rad(tiltDegrees));
    Matrix3 g;
    MultiplyMatrix3(g, tilt, turn);
    return g;
}

CMoveRotateDlg::CMoveRotateDlg() = default;

CMoveRotateDlg::~CMoveRotateDlg() {
    ClearPointFlags(POINT_FLAG_MOVE_SELECTED);
    if (g_moveRotateDlg == this) g_moveRotateDlg = nullptr;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CMoveRotateDlg::Refresh() {
    if (!HasBase()) m_absolute = false;
    if (refreshControls) refreshControls();
}

void CMoveRotateDlg::Redraw(bool everything) {
    // The preview lives in the back buffer: a changed or ended preview needs the layers
    // drawn again, or the old one stays on the screen.
    if (everything || m_previewDrawn || PreviewPending()) g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// ---- base ----

void CMoveRotateDlg::SetBasePoint(int32_t index) {
    if (index < 1 || index > g_pointCount) return;
    m_baseSource = index;
    m_base = g_points[index];
}

void CMoveRotateDlg::SetFreeBase(double x, double y, double z) {
    m_baseSource = kFreeBase;
    m_base = RandomPoint{};
    m_base.x = x;
    m_base.y = y;
    m_base.z = z;
}

void CMoveRotateDlg::RecopyBase() {
    if (m_baseSource >= 1 && m_baseSource <= g_pointCount) m_base = g_points[m_baseSource];
}

std::string CMoveRotateDlg::BaseLabel() const {
    if (m_baseSource == kNoBase) return "---";
    if (m_baseSource == kFreeBase) return "free";
    return std::to_string(m_baseSource);
}

// ---- values ----

void CMoveRotateDlg::SetAbsoluteMode(bool absolute) {
    m_absolute = absolute && HasBase();
    Refresh();
}

void CMoveRotateDlg::SetMouseOperation(int32_t operation) {
    m_mouseOperation = operation;
    Refresh();
}

void CMoveRotateDlg::SetPending(double mx, double my, double mz, double rotation, double tilt,
                                double tiltDirection) {
    m_move[0] = mx;
    m_move[1] = my;
    m_move[2] = mz;
    m_rotation = rotation;
    m_tilt = std::clamp(tilt, -180.0, 180.0);
    m_tiltDirection = Wrap360(tiltDirection);
}

double CMoveRotateDlg::ShownValue(int id) const {
    const double base[3] = {m_base.x, m_base.y, m_base.z};
    switch (id) {
        case kMoveXEdit:
        case kMoveYEdit:
        case kMoveZEdit: {
            const int axis = id - kMoveXEdit;
            const double v = m_move[axis] + m_movePreview[axis];
            return AbsoluteMode() ? base[axis] + v : v;
        }
        case kRotationEdit:
            return Wrap360(m_rotation + m_rotationPreview);
        case kTiltDirectionEdit:
            return Wrap360(m_tiltDirection);
        case kTiltEdit:
            return std::clamp(m_tilt, -180.0, 180.0);
        default:
            return 0.0;
    }
}

void CMoveRotateDlg::EditLeft(int id, double value, bool enter, bool escape) {
    if (escape) return;
    if (value == 0.0 && !enter) return;
    const double base[3] = {m_base.x, m_base.y, m_base.z};
    switch (id) {
        case kMoveXEdit:
        case kMoveYEdit:
        case kMoveZEdit: {
            const int axis = id - kMoveXEdit;
            m_move[axis] = AbsoluteMode() ? value - base[axis] : value;
            m_movePreview[axis] = 0.0;
            break;
        }
        case kRotationEdit:
            m_rotation = Wrap360(value);
            m_rotationPreview = 0.0;
            break;
        case kTiltDirectionEdit:
            m_tiltDirection = Wrap360(value);
            break;
        case kTiltEdit:
            m_tilt = std::clamp(value, -180.0, 180.0);
            break;
        default:
            return;
    }
    Refresh();
    Redraw(false);
}

void CMoveRotateDlg::WheelOnEdit(int id, int32_t delta) {
    const double step = delta > 0 ? 1.0 : -1.0;
    switch (id) {
        case kMoveXEdit:
        case kMoveYEdit:
        case kMoveZEdit:
            m_move[id - kMoveXEdit] += step;
            break;
        case kRotationEdit:
            m_rotation = Wrap360(m_rotation + step);
            break;
        case kTiltDirectionEdit:
            m_tiltDirection = Wrap360(m_tiltDirection + step);
            break;
        case kTiltEdit:
            m_tilt = std::clamp(m_tilt + step, -180.0, 180.0);
            break;
        default:
            return;
    }
    Refresh();
    Redraw(false);
}

// ---- transforms ----

void CMoveRotateDlg::PendingTransform(Matrix3& m, double v[3]) const {
    const double moveNorth = m_move[0] + m_movePreview[0];
    const double moveEast = m_move[1] + m_movePreview[1];
    const double moveUp = m_move[2] + m_movePreview[2];
    const double shift[3] = {moveEast, moveUp, moveNorth};
    const double r = m_rotation + m_rotationPreview;
    if (r == 0.0 && m_tilt == 0.0) {
        m = IDENTITY3X3;
        for (int i = 0; i < 3; ++i) v[i] = shift[i];
        return;
    }
    const Matrix3 now = MoveRotateMatrix(m_accRotation + r, m_tilt, m_tiltDirection);
    const Matrix3 before = MoveRotateMatrix(m_accRotation, m_committedTilt, m_committedDirection);
    MultiplyMatrix3Transposed(m, now, before);
    double b[3];
    ToEun(m_base, b);
    const double zero[3] = {0, 0, 0};
    AboutBase(m, b, zero, shift, v);
}

void CMoveRotateDlg::MarkMovingPoints() {
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!PointChangeLocked(p)) p.flags |= POINT_FLAG_MOVE_SELECTED;
    }
}

void CMoveRotateDlg::ApplyToMovingPoints(const Matrix3& m, const double v[3]) {
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!(p.flags & POINT_FLAG_MOVE_SELECTED) || PointChangeLocked(p)) continue;
        double a[3], b[3];
        ToEun(p, a);
        Apply(m, a, b);
        for (int k = 0; k < 3; ++k) b[k] += v[k];
        FromEun(p, b);
    }
    // composite = (m, v) after (M, V): m·M, m·V + v.
    Matrix3 cm;
    MultiplyMatrix3(cm, m, m_compositeM);
    double cv[3];
    Apply(m, m_compositeV, cv);
    for (int k = 0; k < 3; ++k) m_compositeV[k] = cv[k] + v[k];
    m_compositeM = cm;
    g_dataChanged = -1;
}

void CMoveRotateDlg::UpdateChangedState() {
    if (Length(m_accMove) > 1e-5)
        m_changedState = 1;
    else
        m_changedState = 0;
    if (std::fabs(m_accRotation) > 1e-5 || std::fabs(m_committedTilt) > 1e-5) m_changedState = 3;
    if (m_changedState == 0) {
        m_accMove[0] = m_accMove[1] = m_accMove[2] = 0.0;
        m_accRotation = 0.0;
        m_committedTilt = m_committedDirection = 0.0;
    }
}

void CMoveRotateDlg::OnCommit() {
    const double r = m_rotation;
    const double m[3] = {m_move[0], m_move[1], m_move[2]};
    if (r == 0.0 && m_tilt == 0.0 && !Nonzero(m)) {
        m_rotation = 0.0;
    } else {
        MarkMovingPoints();
        Matrix3 k;
        double v[3];
        PendingTransform(k, v);
        ApplyToMovingPoints(k, v);

        m_lastBase = m_base;
        for (int i = 0; i < 3; ++i) {
            m_lastMove[i] = m[i];
            m_accMove[i] += m[i];
        }
        m_lastRotation = r;
        m_lastCommit = true;
        m_accRotation += r;
        if (m_accRotation > 180.0) m_accRotation -= 360.0;
        // A move alone leaves the body tilted as it was.
        if (r != 0.0 || m_tilt != 0.0) {
            m_committedTilt = m_tilt;
            m_committedDirection = m_tiltDirection;
        }
        UpdateChangedState();
        if (m_previewKind == 1) {
            m_previewKind = 2;
            ReinvalidateUnderStructure();
        }
        // The base point goes with the move.
        m_base.x += m[0];
        m_base.y += m[1];
        RecopyBase();
    }
    m_move[0] = m_move[1] = m_move[2] = 0.0;
    m_rotation = 0.0;
    m_movePreview[0] = m_movePreview[1] = m_movePreview[2] = 0.0;
    m_rotationPreview = 0.0;
    Refresh();
    Redraw(true);
}

void CMoveRotateDlg::OnUndo() {
    if (m_committedTilt == 0.0) m_tilt = 0.0;
    if (!m_lastCommit) {
        Refresh();
        return;
    }
    const double a = m_accRotation;
    const Matrix3 back = MoveRotateMatrix(a - m_lastRotation, 0.0, 0.0);
    const Matrix3 now = MoveRotateMatrix(a, m_committedTilt, m_committedDirection);
    Matrix3 k;
    MultiplyMatrix3Transposed(k, back, now);
    double b[3], pre[3] = {m_lastMove[1], m_lastMove[2], m_lastMove[0]}, v[3];
    ToEun(m_lastBase, b);
    const double zero[3] = {0, 0, 0};
    AboutBase(k, b, pre, zero, v);
    ApplyToMovingPoints(k, v);

    for (int i = 0; i < 3; ++i) m_accMove[i] -= m_lastMove[i];
    m_accRotation -= m_lastRotation;
    if (m_accRotation <= -180.0) m_accRotation += 360.0;
    m_committedTilt = m_committedDirection = 0.0;
    UpdateChangedState();
    if (m_changedState == 0) {
        ClearPointFlags(POINT_FLAG_MOVE_SELECTED);
        m_previewKind = 0;
        m_compositeM = IDENTITY3X3;
        m_compositeV[0] = m_compositeV[1] = m_compositeV[2] = 0.0;
    }
    m_base.x -= m_lastMove[0];
    m_base.y -= m_lastMove[1];
    RecopyBase();
    for (int i = 0; i < 3; ++i) m_move[i] = m_lastMove[i];
    m_rotation = m_lastRotation;
    m_lastCommit = false;
    m_lastMove[0] = m_lastMove[1] = m_lastMove[2] = 0.0;
    m_lastRotation = 0.0;
    Refresh();
    Redraw(true);
}

void CMoveRotateDlg::OnCancelAll() {
    // The inverse of everything committed, exact whatever bases the commits had.
    Matrix3 inverse = m_compositeM;
    Transpose3x3(inverse);
    double v[3];
    Apply(inverse, m_compositeV, v);
    for (double& c : v) c = -c;
    if (m_changedState != 0) {
        ApplyToMovingPoints(inverse, v);
        if (m_baseSource == kFreeBase) {
            double b[3], out[3];
            ToEun(m_base, b);
            Apply(inverse, b, out);
            for (int k = 0; k < 3; ++k) out[k] += v[k];
            FromEun(m_base, out);
        }
    }
    m_compositeM = IDENTITY3X3;
    m_compositeV[0] = m_compositeV[1] = m_compositeV[2] = 0.0;
    for (int i = 0; i < 3; ++i) m_accMove[i] = m_move[i] = m_movePreview[i] = m_lastMove[i] = 0.0;
    m_accRotation = m_rotation = m_rotationPreview = m_lastRotation = 0.0;
    m_committedTilt = m_committedDirection = 0.0;
    m_tilt = 0.0;
    m_lastCommit = false;
    m_changedState = 0;
    ClearPointFlags(POINT_FLAG_MOVE_SELECTED);
    m_previewKind = 0;
    RecopyBase();
    Refresh();
    Redraw(true);
}

// The structure's hole triangles, where they lie after the move, make the terrain points
// below them invalid; the moved points themselves are valid.
void CMoveRotateDlg::ReinvalidateUnderStructure() {
    int32_t still = 0;
    for (int32_t i = 1; i <= g_pointCount && still <= 2; ++i)
        if (!(g_points[i].flags & POINT_FLAG_MOVE_SELECTED)) ++still;
    if (still <= 2) return;
    constexpr int32_t kSide = 4096;
    const double scale = 2000.0 / (g_extentSize > 0 ? g_extentSize : 1.0);
    auto column = [&](double y) { return (y - g_extentCenterY) * scale + 2048.0; };
    auto row = [&](double x) { return (x - g_extentCenterX) * scale + 2048.0; };
    PixelMask raster(kSide, kSide);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        if (t.a >= 0) continue;
        const int32_t v[3] = {std::abs(t.a), std::abs(t.b), std::abs(t.apexSearch)};
        bool ok = true;
        for (int32_t k : v) ok = ok && k >= 1 && k <= g_pointCount;
        if (!ok) continue;
        std::vector<double> xs(3), ys(3);
        for (int k = 0; k < 3; ++k) {
            xs[k] = column(g_points[v[k]].y);
            ys[k] = row(g_points[v[k]].x);
        }
        raster.FillPolygon(xs, ys);
    }
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.flags & POINT_FLAG_MOVE_SELECTED) {
            p.invalid = 0;
        } else if (p.invalid == 0 &&
                   raster.Get(static_cast<int32_t>(std::floor(column(p.y) + 0.5)),
                              static_cast<int32_t>(std::floor(row(p.x) + 0.5)))) {
            p.invalid = 1;
        }
    }
}

// ---- save ----

bool CMoveRotateDlg::SaveRnd(const std::string& path) const {
    // Points turned for viewing by the duplicate-point window are stored as surveyed.
    RestoreSurveyFrame();
    TextFileWriter file;
    if (!file.Open(path)) {
        ReportCannotCreate(path);
        return false;
    }
    const bool movedOnly = m_previewKind == 2;
    const int32_t result = WriteRndText(file, [movedOnly](const RandomPoint& p) {
        return !movedOnly || (p.flags & POINT_FLAG_MOVE_SELECTED) != 0;
    });
    if (result != kRndWritten) {
        file.Close();
        RemovePartialFile(path);
        return false;
    }
    if (!file.Close()) {
        ReportWriteFailed(path);
        RemovePartialFile(path);
        return false;
    }
    return true;
}

bool CMoveRotateDlg::OnSave() {
    FileDialogRequest request;
    request.save = true;
    request.title = "ランダムファイルの保存";
    request.filter = "ランダムファイル (*.RND)|*.RND|すべてのファイル|*.*|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    return SaveRnd(WithDefaultExtension(path, "RND"));
}

// ---- view ----

bool CMoveRotateDlg::ProjectBase(int32_t& column, int32_t& row) const {
    if (!HasBase()) return false;
    RandomPoint b = m_base;
    b.hidden = 0;
    ProjectRecord(b);
    if (b.hidden & 0x05) return false;
    column = g_viewportCenterX + b.screenX;
    row = g_viewportCenterY - b.screenY;
    return true;
}

void CMoveRotateDlg::WorldAt(int32_t x, int32_t y, double& east, double& north) const {
    const double scale = g_viewScale > 0 ? g_viewScale : 1.0;
    east = (x - g_viewportCenterX) / scale + g_viewCenterY;
    north = (g_viewportCenterY - y) / scale + g_viewCenterX;
}

namespace {
// The compass bearing of the cursor seen from the base point's screen position; in the
// bird's-eye view the upward component is stretched back onto the ground and the camera's
// azimuth added.
double ScreenBearing(int32_t x, int32_t y, int32_t bx, int32_t by) {
    double up = by - y;
    if (g_birdsEyeOn) {
        const double s = -std::sin(g_birdsEyeTilt);
        if (std::fabs(s) > 1e-6) up /= s;
    }
    const double angle = Deg(std::atan2(up, static_cast<double>(x - bx)));
    return 90.0 - angle + (g_birdsEyeOn ? Deg(g_birdsEyeAzimuth) : 0.0);
}

constexpr int32_t kDirectionHandlePixels = 40;
constexpr int32_t kGaugeOffset = 60;
constexpr int32_t kGaugeLength = 50;
}  // namespace

AreaOverlay CMoveRotateDlg::HandleOverlay() const {
    AreaOverlay overlay;
    int32_t bx, by;
    if (!ProjectBase(bx, by)) return overlay;
    const uint32_t dark = 0x2040C0, white = 0xFFFFFF;
    for (const auto& [w, c] : {std::pair<int32_t, uint32_t>{3, dark}, {1, white}}) {
        overlay.lines.push_back({bx - 5, by, bx + 5, by, c, w});
        overlay.lines.push_back({bx, by - 5, bx, by + 5, c, w});
    }
    const double c = Rad(m_tiltDirection);
    const int32_t hx = bx + static_cast<int32_t>(std::lround(kDirectionHandlePixels * std::sin(c)));
    const int32_t hy = by - static_cast<int32_t>(std::lround(kDirectionHandlePixels * std::cos(c)));
    overlay.lines.push_back({bx, by, hx, hy, 0xC04020, 3});
    overlay.lines.push_back({bx, by, hx, hy, white, 1});
    overlay.handles.push_back({hx, hy});
    if (g_birdsEyeOn) {
        const int32_t gx = bx + kGaugeOffset;
        overlay.lines.push_back({gx, by, gx, by - kGaugeLength, dark, 3});
        const double pixels = std::tan(Rad(std::clamp(m_tilt, -80.0, 80.0))) * kGaugeLength / 0.1;
        const int32_t top = by - static_cast<int32_t>(std::clamp(pixels, -400.0, 400.0));
        overlay.handles.push_back({gx, top});
    }
    return overlay;
}

void CMoveRotateDlg::OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return;
    const bool left = (flags & kMouseFlagLeft) != 0;
    const bool up = message == kViewLButtonUp;
    int32_t op = kMouseNone;
    if (m_mouseOperation == kMouseBase)
        op = kMouseBase;
    else if ((flags & kMouseFlagShift) && (left || up))
        op = kMouseRotate;
    else if (left || up)
        op = m_mouseOperation;

    if (message == kViewLButtonDown) {
        m_handle = 0;
        const AreaOverlay overlay = HandleOverlay();
        if (!overlay.handles.empty()) {
            const LassoPointXY& h = overlay.handles[0];
            if (std::abs(x - h.x) < 5 && std::abs(y - h.y) < 5) m_handle = 1;
            if (g_birdsEyeOn && overlay.handles.size() > 1 &&
                std::abs(x - overlay.handles[1].x) < 5 && std::abs(y - overlay.handles[1].y) < 5)
                m_handle = 2;
        }
        WorldAt(x, y, m_dragStartEast, m_dragStartNorth);
        m_dragStartColumn = x;
        m_dragStartRow = y;
        m_movePreview[0] = m_movePreview[1] = m_movePreview[2] = 0.0;
        m_rotationPreview = 0.0;
        m_directionOffset = 0.0;
        int32_t bx, by;
        if (m_handle == 1 && g_birdsEyeOn && ProjectBase(bx, by))
            m_directionOffset = ScreenBearing(x, y, bx, by) - m_tiltDirection;
        if (m_handle) Redraw(false);
        return;
    }
    if (message == kViewMouseMove) {
        int32_t bx = 0, by = 0;
        const bool baseShown = ProjectBase(bx, by);
        if (!left || !baseShown) m_handle = 0;
        if (!left) return;
        if (m_handle == 1) {
            m_tiltDirection = Wrap360(ScreenBearing(x, y, bx, by) - m_directionOffset);
        } else if (m_handle == 2) {
            const double above = by - y;
            m_tilt = Deg(std::atan(0.1 * above / (kGaugeLength + 0.001)));
        } else if (op == kMouseMove && !g_birdsEyeOn) {
            double east, north;
            WorldAt(x, y, east, north);
            m_movePreview[0] = north - m_dragStartNorth;
            m_movePreview[1] = east - m_dragStartEast;
            m_movePreview[2] = 0.0;
        } else if (op == kMouseRotate && HasBase()) {
            double ax, ay, cx, cy;
            if (g_birdsEyeOn) {
                if (!baseShown) return;
                ax = m_dragStartColumn - bx;
                ay = by - m_dragStartRow;
                cx = x - bx;
                cy = by - y;
            } else {
                double east, north;
                WorldAt(x, y, east, north);
                ax = m_dragStartEast - m_base.y;
                ay = m_dragStartNorth - m_base.x;
                cx = east - m_base.y;
                cy = north - m_base.x;
            }
            if (ax * ax + ay * ay > 0 && cx * cx + cy * cy > 0) {
                const double ccw = std::atan2(ax * cy - ay * cx, ax * cx + ay * cy);
                m_rotationPreview = -Deg(ccw);
            }
        } else {
            return;
        }
        Refresh();
        Redraw(false);
        return;
    }
    if (!up) return;
    if (m_handle == 0) {
        if (op == kMouseMove) {
            for (int i = 0; i < 3; ++i) m_move[i] += m_movePreview[i];
        } else if (op == kMouseRotate) {
            m_rotation += m_rotationPreview;
        } else if (op == kMouseBase) {
            const int32_t pick = FindPointAtCursor(x, y, kPickRadius2);
            if (pick > 0) {
                SetBasePoint(pick);
            } else if (!g_birdsEyeOn) {
                double east, north;
                WorldAt(x, y, east, north);
                if (flags & kMouseFlagShift) {
                    east = std::floor(east + 0.5);
                    north = std::floor(north + 0.5);
                }
                SetFreeBase(north, east);
            }
            m_mouseOperation = kMouseNone;
        }
    }
    m_movePreview[0] = m_movePreview[1] = m_movePreview[2] = 0.0;
    m_rotationPreview = 0.0;
    m_handle = 0;
    Refresh();
    Redraw(false);
}

bool CMoveRotateDlg::PreviewPending() const {
    const double mx = m_move[0] + m_movePreview[0], my = m_move[1] + m_movePreview[1],
                 mz = m_move[2] + m_movePreview[2];
    const double r = m_rotation + m_rotationPreview;
    return mx * mx + my * my + (g_birdsEyeOn ? mz * mz : 0.0) > 0.0 || r * r > 1e-12 ||
           std::fabs(m_tilt - m_committedTilt) > 1e-8 ||
           std::fabs(m_tiltDirection - m_committedDirection) > 1e-8;
}

void CMoveRotateDlg::DrawPreview() {
    m_previewDrawn = false;
    if (!PreviewPending() || !g_backBufferPixels) return;
    m_previewDrawn = true;
    Matrix3 k;
    double v[3];
    PendingTransform(k, v);
    auto moved = [&](const RandomPoint& p) {
        RandomPoint q = p;
        double a[3], b[3];
        ToEun(p, a);
        Apply(k, a, b);
        for (int i = 0; i < 3; ++i) b[i] += v[i];
        FromEun(q, b);
        q.hidden = 0;
        ProjectRecord(q);
        return q;
    };
    if (g_showPoints) {
        g_rasterColor = 0xFF4080;
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            RandomPoint& p = g_points[i];
            if (PointChangeLocked(p)) continue;
            p.flags |= POINT_FLAG_MOVE_SELECTED;
            const RandomPoint q = moved(p);
            if (q.hidden & 0x05) continue;
            PlotPoint(g_viewportCenterX + q.screenX, g_viewportCenterY + q.screenY);
        }
        m_previewKind = 0;
    } else if (g_showTin) {
        g_lineColor = 0xFF4080;
        for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
            const TinEdge& t = g_tinEdges[e];
            if (t.a >= 0 || t.b >= 0 || -t.a > g_pointCount || -t.b > g_pointCount) continue;
            const RandomPoint a = moved(g_points[-t.a]), b = moved(g_points[-t.b]);
            if ((a.hidden & 0x05) || (b.hidden & 0x05)) continue;
            g_lineX0 = g_viewportCenterX + a.screenX;
            g_lineY0 = g_viewportCenterY + a.screenY;
            g_lineX1 = g_viewportCenterX + b.screenX;
            g_lineY1 = g_viewportCenterY + b.screenY;
            DrawLine();
        }
        m_previewKind = 1;
    }
}
