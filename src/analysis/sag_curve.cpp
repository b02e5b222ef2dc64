#include "analysis/sag_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/section_profile.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/cursor_state.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_from_tin.h"

namespace {
constexpr double kSideTolerance = 0.00001;

int32_t RightCount() { return std::clamp(g_profile.right.count, 0, kProfileMaxPoints); }
bool SegmentForm() { return g_profile.right.count > 0 && g_profile.left.count == -g_profile.right.count; }

double PlanDistance(const LinePoint& a, const LinePoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

LinePoint ProfilePoint(int32_t i) { return {g_profile.right.x[i], g_profile.right.y[i], g_profile.right.z[i]}; }

void Cut(const LinePoint& a, const LinePoint& b) {
    if (g_tinEdgeCount > 3) {
        g_profileFromPoints = 0;
        CutTinProfile(a.x, a.y, b.x, b.y, 0);
    } else {
        g_profileFromPoints = 1;
        CollectBandPoints(a.x, a.y, b.x, b.y);
    }
}

double Lerp(double d0, double h0, double d1, double h1, double d) {
    if (d1 == d0) return h0;
    return h0 + (h1 - h0) * (d - d0) / (d1 - d0);
}

// Distance along the profile of a plan point: its projection on the line from the first
// profile point to the last, counted like the profile's distances.
double ProfileDistance(double x, double y) {
    const int32_t n = RightCount();
    const LinePoint p1 = ProfilePoint(1), pn = ProfilePoint(n);
    const double len = PlanDistance(p1, pn);
    double along = 0;
    if (len > 0) along = ((x - p1.x) * (pn.x - p1.x) + (y - p1.y) * (pn.y - p1.y)) / len;
    return g_profile.right.dist[1] + along;
}

bool SideOf(double x1, double y1, double x2, double y2, double px, double py, int wanted) {
    int side = 0;
    PointSideOfLine(x1, y1, x2, y2, px, py, kSideTolerance, &side);
    return side == wanted;
}

constexpr int kRight = 1;  // above a line running toward growing distance
constexpr int kLeft = 2;   // below it

void Call(const std::function<void()>& f) {
    if (f) f();
}
bool Ask(const std::function<bool()>& f) { return f && f(); }
}  // namespace

// ---- Tower input ----

double TowerInputValue(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(v)) return 0;
    return std::strtod(FormatString("%.5f", v).c_str(), nullptr);
}

std::string TowerWidthText() { return FormatString("%.3f", PlanDistance(g_towerStart, g_towerEnd) / 10); }

double TowerExtensionRatio(double width) {
    const double d = PlanDistance(g_towerStart, g_towerEnd);
    if (!(d > 0) || !(width > 0)) return 0;
    return std::min(1.0, width / d);
}

bool ConfirmTowerInput(TowerInputState& state, double x, double y) {
    if (!state.widthMode) ++g_linePickState;
    const int32_t st = g_linePickState;
    if (st == 1 || st == 3) {
        g_towerStart.x = x, g_towerStart.y = y;
        g_linePickState = 1;
        return false;
    }
    if (st != 2) return false;
    if (!state.widthMode) {
        g_towerEnd.x = x, g_towerEnd.y = y;
        if (g_towerEnd.x != g_towerStart.x || g_towerEnd.y != g_towerStart.y) {
            state.widthMode = true;
            return true;
        }
        g_linePickState = 1;
        return false;
    }
    const double t = TowerExtensionRatio(x);
    g_pickedPoint = 0;
    BuildTowerGroundProfile(t);
    LineToolWindows& w = LineTools();
    if (g_profile.right.count < 2) {
        if (Ask(w.sagOpen)) Call(w.reloadSag);
        g_linePickState = 0;
    } else if (w.openSag) {
        w.openSag(t);
    }
    if (Ask(w.simpleSectionOpen)) Call(w.closeSimpleSection);
    return false;
}

void BuildTowerGroundProfile(double t) {
    LinePoint& s = g_towerStart;
    LinePoint& e = g_towerEnd;
    LinePoint from{s.x + t * (s.x - e.x), s.y + t * (s.y - e.y), s.z};
    LinePoint to{e.x + t * (e.x - s.x), e.y + t * (e.y - s.y), e.z};
    Cut(from, to);
    // Nothing to put an outside tower on: the empty profile stands.
    if (RightCount() < 2) return;
    const LinePoint first = ProfilePoint(1), last = ProfilePoint(RightCount());
    if (FindTinElevation(s.x, s.y, &s.z) == 0) from = s = first;
    if (FindTinElevation(e.x, e.y, &e.z) == 0) to = e = last;
    Cut(from, to);
}

void OnTowerClick(int32_t, int32_t x, int32_t y) {
    LineToolWindows& w = LineTools();
    if (g_birdsEyeOn) {
        const int32_t i = FindPointAtCursor(x, y, kPickRadius2);
        if (i <= 0 || i > g_pointCount) return;
        g_cursorX = g_points[i].x;
        g_cursorY = g_points[i].y;
        (g_linePickState % 2 == 0 ? g_towerStart : g_towerEnd).z = g_points[i].z;
    } else {
        ClientToGround(x, y, g_cursorX, g_cursorY);
    }
    if (g_linePickState == 2 && Ask(w.sagOpen)) {
        RandomPoint r{};
        r.x = g_towerEnd.x, r.y = g_towerEnd.y, r.z = g_towerEnd.z;
        ProjectRecord(r);
        const int32_t ex = g_viewportCenterX + r.screenX, ey = g_viewportCenterY - r.screenY;
        // Grabbing E: the next confirmed point replaces it.
        if (r.hidden == 0 && std::abs(ex - x) <= 6 && std::abs(ey - y) <= 6) {
            g_linePickState = 1;
            QuickRepaintView();
            return;
        }
    }
    const bool confirmed = w.runTowerInput && w.runTowerInput();
    if (!confirmed && Ask(w.sagOpen) && w.sagWindowStart) g_towerStart = w.sagWindowStart();
    g_redrawMask = 0;
    QuickRepaintView();
}

// ---- Window model ----

void SagGroundHeight(double x, double y, double* height) {
    const int32_t n = RightCount();
    if (n < 1) {
        FindTinElevation(x, y, height);
        return;
    }
    const double f = ProfileDistance(x, y);
    const ProfileSide& r = g_profile.right;
    if (SegmentForm()) {
        const ProfileSide& l = g_profile.left;
        bool any = false;
        double best = 0;
        for (int32_t i = 1; i <= n; ++i) {
            const double a = l.dist[i], b = r.dist[i];
            if (a == b || f < std::min(a, b) || f > std::max(a, b)) continue;
            const double h = Lerp(a, l.z[i], b, r.z[i], f);
            if (!any || h > best) best = h, any = true;
        }
        if (any) *height = best;
        return;
    }
    if (n == 1) {
        *height = r.z[1];
        return;
    }
    int32_t i = 1;
    while (i < n - 1 && f > r.dist[i + 1]) ++i;
    *height = Lerp(r.dist[i], r.z[i], r.dist[i + 1], r.z[i + 1], f);
}

double SagModel::DistanceOf(double x, double y) const { return std::hypot(x - originX, y - originY) + originDist; }

void RebuildSagModel(SagModel& m) {
    m.ground.clear();
    const int32_t n = RightCount();
    struct End {
        double d, h, x, y;
    };
    std::vector<End> ends;
    for (int32_t i = 1; i <= n; ++i)
        ends.push_back({g_profile.right.dist[i], g_profile.right.z[i], g_profile.right.x[i], g_profile.right.y[i]});
    if (SegmentForm())
        for (int32_t i = 1; i <= n; ++i)
            ends.push_back({g_profile.left.dist[i], g_profile.left.z[i], g_profile.left.x[i], g_profile.left.y[i]});
    std::vector<GroundPoint> sorted;
    for (const End& e : ends) sorted.push_back({e.d, e.h});
    std::stable_sort(sorted.begin(), sorted.end(), [](const GroundPoint& a, const GroundPoint& b) { return a.d < b.d; });
    for (const GroundPoint& g : sorted)
        if (m.ground.empty() || std::fabs(g.d - m.ground.back().d) > 0.001) m.ground.push_back(g);

    m.s = g_towerStart;
    m.e = g_towerEnd;
    SagGroundHeight(m.s.x, m.s.y, &m.s.z);
    SagGroundHeight(m.e.x, m.e.y, &m.e.z);

    m.dMin = m.dMax = m.hMin = m.hMax = 0;
    for (size_t k = 0; k < ends.size(); ++k) {
        const End& e = ends[k];
        if (k == 0 || e.d < m.dMin) m.dMin = e.d, m.originX = e.x, m.originY = e.y;
        if (k == 0 || e.d > m.dMax) m.dMax = e.d;
        if (k == 0 || e.h < m.hMin) m.hMin = e.h;
        if (k == 0 || e.h > m.hMax) m.hMax = e.h;
    }
    m.originDist = m.dMin;
    m.distanceSpan = m.dMax - m.dMin;
    m.heightSpan = m.hMax - m.hMin;
    if (m.distanceSpan < 0.001 && m.heightSpan < 0.001)
        m.distanceSpan = m.heightSpan = 5;
    else
        m.distanceSpan = std::max(m.distanceSpan, 2 * std::max(std::fabs(m.dMin), std::fabs(m.dMax)));
}

int32_t DefaultSagCoefficient(const SagModel& m) {
    const double tenth = 0.1 * PlanDistance(m.s, m.e);
    const double a = std::floor(tenth * tenth);
    if (!(a >= 1)) return 1;
    return a > 2e9 ? 2000000000 : static_cast<int32_t>(a);
}

bool SagCurveClears(const std::vector<GroundPoint>& ground, const std::vector<CatenaryPoint>& curve) {
    const size_t nc = curve.size(), ng = ground.size();
    // A curve point under a ground piece.
    size_t j = 0;
    for (size_t k = 0; k + 1 < ng; ++k) {
        const GroundPoint& g0 = ground[k];
        const GroundPoint& g1 = ground[k + 1];
        while (j < nc && curve[j].x < g0.d) ++j;
        for (; j < nc && curve[j].x < g1.d; ++j) {
            const CatenaryPoint& c = curve[j];
            if (c.z > g0.h && c.z > g1.h) continue;
            if (SideOf(g0.d, g0.h, g1.d, g1.h, c.x, c.z, kLeft)) return false;
        }
    }
    // A ground point above a curve piece; the ground behind the first curve point stands
    // under the tower and is left to the first test.
    size_t g = 0;
    while (nc > 0 && g < ng && ground[g].d < curve[0].x) ++g;
    for (size_t k = 0; k + 1 < nc; ++k) {
        const CatenaryPoint& c0 = curve[k];
        const CatenaryPoint& c1 = curve[k + 1];
        for (; g < ng && ground[g].d < c1.x; ++g) {
            const GroundPoint& p = ground[g];
            if (p.h < c0.z && p.h < c1.z) continue;
            if (SideOf(c0.x, c0.z, c1.x, c1.z, p.d, p.h, kRight)) return false;
        }
    }
    return true;
}

bool SagChordClears(const std::vector<GroundPoint>& ground, double d1, double top1, double d2, double top2) {
    for (const GroundPoint& g : ground) {
        if ((top1 > g.h && top2 > g.h) || g.d == d1 || g.d == d2) continue;
        if (SideOf(d1, top1, d2, top2, g.d, g.h, kRight)) return false;
    }
    return true;
}

double SagCoefficientValue(double typed, bool* corrected) {
    // Below 1 the curve's cosh runs away; no number counts as below.
    const bool bad = !(typed >= 1) || !std::isfinite(typed);
    if (corrected) *corrected = bad;
    return bad ? 1 : typed;
}

double SagHeightValue(double typed, bool* corrected) {
    const bool bad = !(typed >= 0) || !std::isfinite(typed);
    if (corrected) *corrected = bad;
    return bad ? 0 : typed;
}

SagCurve ComputeSagCurve(const SagModel& m, double hL, double hR, double a) {
    SagCurve c;
    c.d1 = m.D1();
    c.d2 = m.D2();
    c.top1 = m.s.z + hL;
    c.top2 = m.e.z + hR;
    c.a = a;
    CatenarySpan span{c.d1, 0, c.top1, c.d2, 0, c.top2, a, 1};
    c.result = c.curve.Compute(span);
    c.clear = c.result == kCatenaryOk ? SagCurveClears(m.ground, c.curve.points) : true;
    return c;
}

int32_t HitSagHandle(const SagHandles& h, int32_t x, int32_t y) {
    for (int32_t k = 1; k <= 4; ++k)
        if (std::abs(x - h.x[k]) <= 6 && std::abs(y - h.y[k]) <= 6) return k;
    return 0;
}

bool DragSagFoot(SagModel& m, int32_t which, int32_t column, double d, const SagColumns& c) {
    const bool allowed = which == 2   ? column >= c.groundLeft && column < c.footE
                         : which == 4 ? column > c.footS && column <= c.groundRight
                                      : false;
    if (!allowed) return false;
    const double d1 = m.D1(), d2 = m.D2();
    if (d2 == d1) return false;
    const double k = (d - d1) / (d2 - d1);
    LinePoint p{m.s.x + k * (m.e.x - m.s.x), m.s.y + k * (m.e.y - m.s.y), 0};
    p.z = which == 2 ? m.s.z : m.e.z;
    SagGroundHeight(p.x, p.y, &p.z);
    if (which == 2)
        m.s = g_towerStart = p;
    else
        m.e = g_towerEnd = p;
    return true;
}

bool ShiftSagLine(SagModel& m, SagShift direction) {
    const double len = PlanDistance(m.s, m.e);
    double dx = 0, dy = 0;
    switch (direction) {
        case SagShift::West: dy = -1; break;
        case SagShift::East: dy = 1; break;
        case SagShift::North: dx = 1; break;
        case SagShift::South: dx = -1; break;
        case SagShift::Left:
        case SagShift::Right: {
            if (!(len > 0)) return false;
            const double ux = (m.e.x - m.s.x) / len, uy = (m.e.y - m.s.y) / len;
            // Facing from S to E, the right-hand side.
            dx = -uy, dy = ux;
            if (direction == SagShift::Left) dx = -dx, dy = -dy;
            break;
        }
    }
    LinePoint s{g_towerStart.x + dx, g_towerStart.y + dy, g_towerStart.z};
    LinePoint e{g_towerEnd.x + dx, g_towerEnd.y + dy, g_towerEnd.z};
    if (FindTinElevation(s.x, s.y, &s.z) == 0 || FindTinElevation(e.x, e.y, &e.z) == 0) return false;
    g_towerStart = s;
    g_towerEnd = e;
    BuildTowerGroundProfile(m.ratio);
    RebuildSagModel(m);
    return true;
}

SagShiftPanel LayoutSagShiftPanel(int32_t areaRight, int32_t areaTop, double dirX, double dirY) {
    SagShiftPanel p;
    p.left = areaRight - 10 - p.size;
    p.top = areaTop + 10;
    p.closeLeft = p.left + p.size - 15;
    p.closeTop = p.top;
    p.centreX = p.left + p.size / 2;
    p.centreY = p.top + p.size / 2;
    // North is up and east to the right on the screen.
    const int32_t arm = 36;
    const int32_t dx[4] = {-arm, arm, 0, 0}, dy[4] = {0, 0, -arm, arm};  // W, E, N, S
    for (int k = 0; k < 4; ++k) p.buttonX[k] = p.centreX + dx[k], p.buttonY[k] = p.centreY + dy[k];
    const double len = std::hypot(dirX, dirY);
    const double sx = len > 0 ? dirY / len : 0, sy = len > 0 ? -dirX / len : -1;  // screen S->E
    p.lineX = static_cast<int32_t>(std::lround(27 * sx));
    p.lineY = static_cast<int32_t>(std::lround(27 * sy));
    // Across the line, 10 pixels from the centre: the right-hand side of S->E first.
    const int32_t rx = static_cast<int32_t>(std::lround(-10 * sy)), ry = static_cast<int32_t>(std::lround(10 * sx));
    p.buttonX[static_cast<int>(SagShift::Right)] = p.centreX + rx;
    p.buttonY[static_cast<int>(SagShift::Right)] = p.centreY + ry;
    p.buttonX[static_cast<int>(SagShift::Left)] = p.centreX - rx;
    p.buttonY[static_cast<int>(SagShift::Left)] = p.centreY - ry;
    return p;
}

int32_t HitSagShiftPanel(const SagShiftPanel& p, int32_t x, int32_t y) {
    if (x < p.left || x >= p.left + p.size || y < p.top || y >= p.top + p.size) return -1;
    if (x >= p.closeLeft && y < p.closeTop + 15) return 6;
    for (int k = 0; k < 6; ++k)
        if (std::abs(x - p.buttonX[k]) <= 5 && std::abs(y - p.buttonY[k]) <= 5) return k;
    return -1;
}

// ---- Report ----

std::string FormatTowerReport(const SagReportValues& v) {
    const char* ind = "    ";
    auto block = [&](const char* title, const LinePoint& p, double h) {
        return FormatString("%s\r\n%sX : %.3f\r\n%sY : %.3f\r\n%sZ : %.3f (%s)\r\n%s    %.3f (%s)\r\n%sH : %.3f\r\n\r\n",
                            title, ind, p.x, ind, p.y, ind, p.z, "基点", ind, p.z + h, "頂点", ind, h);
    };
    const double d = PlanDistance(v.s, v.e);
    const double slope = d < 0.01 ? 0 : (v.e.z - v.s.z) / d * 100;
    std::string text = block("[ S 地点 ]", v.s, v.hL) + block("[ E 地点 ]", v.e, v.hR);
    text += FormatString("%s\r\n%s%.3f m\r\n\r\n", "[ 距離 ]", ind, d);
    text += FormatString("%s\r\n%s%.3f %%\r\n\r\n", "[ 勾配 ]", ind, slope);
    text += FormatString("%s\r\n", "[ 曲線要素]");
    text += FormatString("%s%s%.3f\r\n", ind, "係数 : ", v.a);
    text += FormatString("%s%s%.3f m\r\n\r\n", ind, "実長 : ", v.length);
    text += FormatString("%s\r\n", "[ 構成点 (x,y,z) ]");
    for (const CatenaryPoint& c : v.points) {
        const double k = v.d2 != v.d1 ? (c.x - v.d1) / (v.d2 - v.d1) : 0;
        text += FormatString("%s%.3f  %.3f  %.3f\r\n", ind, v.s.x + k * (v.e.x - v.s.x), v.s.y + k * (v.e.y - v.s.y),
                             c.z);
    }
    return text;
}

bool CopyTowerReport(const SagReportValues& v) {
    if (SetClipboardText(Utf8ToCp932(FormatTowerReport(v)))) return true;
    ShowMessage("クリップボードは他のアプリケーションで使用中です", "コピーできません", msg::kOk);
    return false;
}

// ---- Overlay ----

TowerOverlay ComputeTowerOverlay(const LinePoint& s, const LinePoint& e, double hL, double hR, double a) {
    TowerOverlay o;
    const double len = PlanDistance(s, e);
    o.step = std::max(1.0, std::floor(0.01 * len));
    // The coefficient as typed: the window corrects it only at its next paint.
    const double coefficient = SagCoefficientValue(a, nullptr);
    const CatenarySpan span{s.x, s.y, s.z + hL, e.x, e.y, e.z + hR, coefficient, o.step};
    o.curveOk = std::isfinite(a) && o.curve.Compute(span) == kCatenaryOk;
    if (!o.curveOk) return o;

    const int32_t n = RightCount();
    if (n < 2) return o;
    const ProfileSide& r = g_profile.right;
    const bool segments = SegmentForm();
    double minimum = std::min(hL, hR);
    int32_t k = 1;
    auto consider = [&](const CatenaryPoint& c, double ground) {
        const double clearance = c.z - ground;
        if (clearance < 0) o.touches = true;
        if (clearance < minimum) {
            minimum = clearance;
            o.found = true;
            o.minClearance = clearance;
            o.atCurve = c;
            o.atGround = {c.x, c.y, ground};
        }
    };
    for (const CatenaryPoint& c : o.curve.points) {
        const double f = ProfileDistance(c.x, c.y);
        if (segments) {
            const ProfileSide& l = g_profile.left;
            for (int32_t i = 1; i <= n; ++i) {
                const double d0 = l.dist[i], d1 = r.dist[i];
                if (d0 == d1 || f < std::min(d0, d1) || f > std::max(d0, d1)) continue;
                consider(c, Lerp(d0, l.z[i], d1, r.z[i], f));
            }
        } else {
            while (k < n - 1 && r.dist[k + 1] < f) ++k;
            consider(c, Lerp(r.dist[k], r.z[k], r.dist[k + 1], r.z[k + 1], f));
        }
    }
    return o;
}

namespace {
struct Screen {
    int32_t x = 0, y = 0;
    bool shown = false;
};
Screen Project(double x, double y, double z) {
    RandomPoint r{};
    r.x = x, r.y = y, r.z = z;
    ProjectRecord(r);
    return {g_viewportCenterX + r.screenX, g_viewportCenterY - r.screenY, r.hidden == 0};
}
void Line(OverlayCanvas& c, const Screen& a, const Screen& b) {
    c.MoveTo(a.x, a.y);
    c.LineTo(b.x, b.y);
}
}  // namespace

void DrawTowerOverlay(OverlayCanvas& canvas, const LinePoint& s, const LinePoint& e, double hL, double hR,
                      double a) {
    if (!g_birdsEyeOn) return;
    constexpr uint32_t kTowerPen = 0xFF80FF, kCurvePen = 0x8080FF, kTouchPen = 0x4040FF, kNearPen = 0x40FFFF;
    const Screen sFoot = Project(s.x, s.y, s.z), sTop = Project(s.x, s.y, s.z + hL);
    const Screen eFoot = Project(e.x, e.y, e.z), eTop = Project(e.x, e.y, e.z + hR);
    canvas.SetPen(kTowerPen);
    canvas.SetPenStyle(3, false);
    if (sFoot.shown && sTop.shown) Line(canvas, sFoot, sTop);
    if (eFoot.shown && eTop.shown) Line(canvas, eFoot, eTop);
    canvas.SetPen(kOverlayWhite);
    canvas.SetPenStyle(1, true);
    Line(canvas, sTop, eTop);
    canvas.SetPenStyle(1, false);

    const TowerOverlay o = ComputeTowerOverlay(s, e, hL, hR, a);
    canvas.SetPen(kCurvePen);
    canvas.SetBrush(kCurvePen);
    for (const CatenaryPoint& c : o.curve.points) {
        const Screen p = Project(c.x, c.y, c.z);
        if (p.shown) canvas.Ellipse(p.x - 1, p.y - 1, p.x + 2, p.y + 2);
    }
    if (o.curveOk && o.curve.lowestInside) {
        const Screen p = Project(o.curve.lowest.x, o.curve.lowest.y, o.curve.lowest.z);
        if (p.shown) canvas.Ellipse(p.x - 2, p.y - 2, p.x + 3, p.y + 3);
    }
    canvas.SetBrush(kOverlayWhite);
    if (!o.found) return;
    const Screen g = Project(o.atGround.x, o.atGround.y, o.atGround.z);
    const Screen c = Project(o.atCurve.x, o.atCurve.y, o.atCurve.z);
    canvas.SetPen(o.touches ? kTouchPen : kNearPen);
    Line(canvas, g, c);
    if (o.minClearance > 0) {
        const std::string text = FormatString("LH=%+.2f", o.minClearance);
        canvas.SetPen(0);
        canvas.Text(c.x + 3, c.y - 4, text);
        canvas.Text(c.x + 3, c.y - 3, text);
        canvas.SetPen(kOverlayWhite);
        canvas.Text(c.x + 2, c.y - 5, text);
    }
}

void SagWindowClosed() {
    g_linePickState = 0;
    g_redrawMask = 0;
    if (g_toolMode == MODE_SAG_CURVE) g_toolMode = MODE_NONE;
    QuickRepaintView();
}
