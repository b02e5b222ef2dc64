#include "model/auto_outline.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/geometry.h"
#include "model/numeric_text.h"
#include "model/outline_edit.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/busy.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

double g_autoOutlineDistance = 0;
int32_t g_autoOutlineWnd = 0;

namespace {

constexpr int32_t kGridCells = 16;
constexpr int32_t kStopCheckEvery = 300;  // examined points between checks of the right button
constexpr uint32_t kRepaintInterval = 1000;
constexpr double kCrossTolerance = 1e-5;

// Vectors as drawn on the map: east to the right, north up.
struct Vec {
    double e;
    double n;
};
Vec operator-(Vec a, Vec b) { return {a.e - b.e, a.n - b.n}; }
Vec operator+(Vec a, Vec b) { return {a.e + b.e, a.n + b.n}; }
Vec operator*(double k, Vec a) { return {k * a.e, k * a.n}; }
double Dot(Vec a, Vec b) { return a.e * b.e + a.n * b.n; }
// Positive when b lies counterclockwise of a on the map.
double Cross(Vec a, Vec b) { return a.e * b.n - a.n * b.e; }
Vec Unit(Vec a) {
    const double l = std::sqrt(Dot(a, a));
    return l > 0 ? (1.0 / l) * a : Vec{0, 0};
}
// The right-hand side of a direction on the map.
Vec Right(Vec d) { return {d.n, -d.e}; }
Vec At(int32_t p) { return {g_points[p].y, g_points[p].x}; }

// The centre of the circle of radius r through `from` and `to` that lies to the right of
// from -> to.
Vec CentreRightOf(Vec from, Vec to, double r) {
    const Vec d = to - from;
    const double half2 = Dot(d, d) / 4;
    const double offset = std::sqrt(std::max(0.0, r * r - half2));
    return 0.5 * (from + to) + offset * Right(Unit(d));
}

// The turn from u to v as one number: 1 for none, falling to -1 at half a turn
// counterclockwise and on to -3 for a full turn.
double TurnRank(Vec u, Vec v) {
    const double c = Dot(u, v), s = Cross(u, v);
    return s > 0 || (s == 0 && c > 0) ? c : -c - 2;
}

class OutlineWalk {
public:
    int32_t Run(double distance);

private:
    void BinValidPoints();
    bool SideCrossesOutline(Vec a, Vec b, int32_t firstSide, int32_t lastSide) const;
    bool InGuideBand(int32_t p) const;
    bool Append(int32_t p);
    bool StopRequested();
    void Publish(bool force);
    int32_t Finish(int32_t result);

    // Grid of the valid points.
    double m_lowX = 0, m_lowY = 0, m_cellX = 1, m_cellY = 1, m_limit = 0;
    std::vector<int32_t> m_cellStart;
    std::vector<int32_t> m_bucket;
    double m_diagonal = 0;

    // Guide (follow mode): 1..n, [n+1] = [1].
    std::vector<int32_t> m_guide;
    int32_t m_guideCount = 0;
    int32_t m_guideSide = 1;
    std::unordered_map<int32_t, int32_t> m_guidePlace;

    int32_t m_start = 0;
    uint32_t m_startTime = 0;
    uint32_t m_lastRepaint = 0;
    uint32_t m_lastPump = 0;
    int64_t m_examined = 0;
    bool m_stopped = false;
};

void OutlineWalk::BinValidPoints() {
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        g_points[p].multiUse = 0;
        if (g_points[p].invalid != 0) continue;
        minX = std::min(minX, g_points[p].x);
        maxX = std::max(maxX, g_points[p].x);
        minY = std::min(minY, g_points[p].y);
        maxY = std::max(maxY, g_points[p].y);
    }
    m_lowX = minX - 1.0;
    m_lowY = minY - 1.0;
    const double extentX = maxX - minX + 2.0, extentY = maxY - minY + 2.0;
    m_cellX = extentX / kGridCells;
    m_cellY = extentY / kGridCells;
    m_limit = std::max(extentX, extentY);
    m_diagonal = std::sqrt(extentX * extentX + extentY * extentY);
    m_cellStart.assign(kGridCells * kGridCells + 2, 0);
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        if (g_points[p].invalid != 0) continue;
        const int32_t r =
            std::clamp(static_cast<int32_t>(std::floor((g_points[p].x - m_lowX) / m_cellX)), 0,
                       kGridCells - 1);
        const int32_t c =
            std::clamp(static_cast<int32_t>(std::floor((g_points[p].y - m_lowY) / m_cellY)), 0,
                       kGridCells - 1);
        g_points[p].multiUse = r * kGridCells + c + 1;
        ++m_cellStart[g_points[p].multiUse + 1];
    }
    for (size_t k = 1; k < m_cellStart.size(); ++k) m_cellStart[k] += m_cellStart[k - 1];
    m_bucket.assign(m_cellStart.back(), 0);
    std::vector<int32_t> fill(m_cellStart.begin(), m_cellStart.end());
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (g_points[p].multiUse > 0) m_bucket[fill[g_points[p].multiUse]++] = p;
}

// Whether a -> b crosses one of the outline sides firstSide..lastSide (side k joins
// entries k and k + 1).
bool OutlineWalk::SideCrossesOutline(Vec a, Vec b, int32_t firstSide, int32_t lastSide) const {
    for (int32_t k = std::max(firstSide, 1); k <= lastSide; ++k) {
        const Vec s = At(g_outline[k]), t = At(g_outline[k + 1]);
        double x = 0, y = 0;
        int pointClass = 1;
        if (IntersectSegments(a.n, a.e, b.n, b.e, s.n, s.e, t.n, t.e, 0, kCrossTolerance,
                              kCrossTolerance, &x, &y, &pointClass) == kGeomOk &&
            pointClass == 0)
            return true;
    }
    return false;
}

// Follow mode: the next guide vertex, or a point whose projection on the current guide side
// falls within the side, on its inner (left) half-plane.
bool OutlineWalk::InGuideBand(int32_t p) const {
    const int32_t from = m_guide[m_guideSide], to = m_guide[m_guideSide + 1];
    if (p == to) return true;
    const Vec s = At(to) - At(from), w = At(p) - At(from);
    const double length2 = Dot(s, s);
    if (!(length2 > 0)) return false;
    const double t = Dot(w, s) / length2;
    return t >= 0 && t <= 1 && Cross(s, w) >= 0;
}

bool OutlineWalk::Append(int32_t p) {
    if (!g_outline.Append(p)) return false;
    g_points[p].flags |= kPointFlagOutline;
    if (m_guideCount > 0) {
        const auto it = m_guidePlace.find(p);
        if (it != m_guidePlace.end() && it->second > m_guideSide)
            m_guideSide = std::min(it->second, m_guideCount);
    }
    return true;
}

// The right button, pressed now or since the last look, asks whether to stop.
bool OutlineWalk::StopRequested() {
    const uint32_t now = TickCount();
    if (now - m_lastPump >= LongLoopPollInterval()) {
        m_lastPump = now;
        PumpOneMessage();
    }
    if (!KeyPressedSinceLastCheck(key::kMouseRight)) return false;
    return ShowMessage("自動外周処理を中止します", "中断要求", msg::kYesNo | msg::kIconQuestion) ==
           msg::kIdYes;
}

void OutlineWalk::Publish(bool force) {
    const uint32_t now = TickCount();
    if (!force && now - m_lastRepaint < kRepaintInterval && !IsKeyDown(key::kMouseLeft)) return;
    m_lastRepaint = now;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

int32_t OutlineWalk::Finish(int32_t result) {
    if (result == kAutoOutlineDone) {
        for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].flags = 0;
        for (int32_t i = 1; i <= g_outline.Count(); ++i)
            g_points[g_outline[i]].flags |= kPointFlagOutline;
        const uint32_t ms = TickCount() - m_startTime;
        SetStatusText(FormatString("作成外周 %7d ライン  %7d.%02d 秒", g_outline.Count(),
                                   static_cast<int>(ms / 1000), static_cast<int>(ms % 1000 / 10)));
    }
    return result;
}

int32_t OutlineWalk::Run(double distance) {
    g_dataChanged = -1;
    m_startTime = TickCount();
    m_lastRepaint = m_lastPump = m_startTime;

    int32_t f = g_outline.Count();
    if (f < 2 || g_outline[1] == g_outline[f]) {
        g_outline.Reset();
        f = 0;
    }
    const int32_t guideCount = g_pickList2.Count();
    if (f == 0 && guideCount >= 3 && guideCount <= kIndexListMaxVertices) {
        OrientPolygonClockwise(g_pickList2);
        g_pickList2.Close();
        m_guideCount = guideCount;
        m_guide.assign(guideCount + 2, 0);
        for (int32_t i = 1; i <= guideCount + 1; ++i) m_guide[i] = g_pickList2[i];
        for (int32_t i = guideCount; i >= 2; --i) m_guidePlace[m_guide[i]] = i;
        m_guidePlace[m_guide[1]] = guideCount + 1;  // the start closes the guide
    }

    BinValidPoints();
    if (m_bucket.empty()) return kAutoOutlineFailed;
    const double radius = distance > 0 ? distance : 0.1 * m_diagonal;

    // Start vertex and the direction the walk comes from.
    Vec incoming{0, -1};  // southwards: the start is entered from a point north of it
    if (f == 0) {
        int32_t start = 0;
        if (m_guideCount > 0) {
            start = m_guide[1];
            incoming = Unit(At(m_guide[2]) - At(m_guide[1]));
        } else {
            for (int32_t p = 1; p <= g_pointCount; ++p)
                if (g_points[p].invalid == 0 && (start == 0 || g_points[p].y < g_points[start].y))
                    start = p;
        }
        if (start == 0) return kAutoOutlineFailed;
        g_outline.Append(start);
        f = 1;
    } else {
        incoming = Unit(At(g_outline[f]) - At(g_outline[f - 1]));
    }
    m_start = g_outline[1];
    int32_t current = g_outline[f];
    // The first circle passes through the current vertex and a point 0.1 R behind it, its
    // centre on the outer (right-hand) side.
    Vec previous = At(current) - 0.1 * radius * incoming;
    Vec centre = CentreRightOf(previous, At(current), radius);
    Vec u = Unit(centre - At(current));
    Publish(true);
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].flags = 0;
    for (int32_t i = 1; i <= f; ++i) g_points[g_outline[i]].flags |= kPointFlagOutline;

    double r = radius;
    int32_t doubledGrace = 0;  // steps left in which clockwise points are still ranked
    for (;;) {
        Publish(false);
        const Vec pc = At(current);
        const bool enlarged = r > radius;
        const bool graceStep = doubledGrace > 0;
        const double reach2 = 4 * r * r;
        const int32_t rowFrom = std::clamp(
            static_cast<int32_t>(std::floor((pc.n - 2 * r - m_lowX) / m_cellX)), 0, kGridCells - 1);
        const int32_t rowTo = std::clamp(
            static_cast<int32_t>(std::floor((pc.n + 2 * r - m_lowX) / m_cellX)), 0, kGridCells - 1);
        const int32_t colFrom = std::clamp(
            static_cast<int32_t>(std::floor((pc.e - 2 * r - m_lowY) / m_cellY)), 0, kGridCells - 1);
        const int32_t colTo = std::clamp(
            static_cast<int32_t>(std::floor((pc.e + 2 * r - m_lowY) / m_cellY)), 0, kGridCells - 1);

        int32_t best = 0;
        double bestRank = -1e300;
        Vec bestCentre{0, 0};
        bool positive = false;
        bool rejected = false;
        for (int32_t row = rowFrom; row <= rowTo; ++row) {
            for (int32_t col = colFrom; col <= colTo; ++col) {
                const int32_t cell = row * kGridCells + col + 1;
                for (int32_t k = m_cellStart[cell]; k < m_cellStart[cell + 1]; ++k) {
                    if (++m_examined % kStopCheckEvery == 0 && StopRequested())
                        return Finish(kAutoOutlineStopped);
                    const int32_t p = m_bucket[k];
                    if ((g_points[p].flags & kPointFlagOutline) && !(p == m_start && f > 2))
                        continue;
                    const Vec d = At(p) - pc;
                    const double d2 = Dot(d, d);
                    if (!(d2 < reach2) || d2 == 0) continue;
                    if (m_guideCount > 0 && !InGuideBand(p)) continue;
                    if (positive && !graceStep && Cross(u, d) < 0) continue;
                    const Vec c = CentreRightOf(pc, At(p), r);
                    const double rank = TurnRank(u, Unit(c - pc));
                    if (!(rank > bestRank)) continue;
                    if ((rank < -1 || enlarged) && f > 3 && best != m_start &&
                        SideCrossesOutline(pc, At(p), 2, f - 2)) {
                        rejected = true;
                        continue;
                    }
                    best = p;
                    bestRank = rank;
                    bestCentre = c;
                    rejected = false;
                    if (rank > 0) positive = true;
                }
            }
        }
        if (rejected) return Finish(kAutoOutlineFailed);

        bool byGuide = false;
        if (best == 0) {
            r *= 2;
            doubledGrace = 2;
            if (2 * r > m_limit) {
                if (m_guideCount == 0) return Finish(kAutoOutlineFailed);
                best = m_guide[m_guideSide + 1];
                byGuide = true;
            } else {
                u = Unit(previous - pc);
                continue;
            }
        }
        if (!byGuide && f > 3 && best != m_start && SideCrossesOutline(pc, At(best), 1, f - 2)) {
            Append(best);  // the crossing stays visible
            return Finish(kAutoOutlineFailed);
        }
        if (best == m_start) {
            g_outline.Close();
            return Finish(kAutoOutlineDone);
        }
        if (!Append(best)) {
            for (int32_t i = 1; i <= g_outline.Count(); ++i)
                g_points[g_outline[i]].flags |= kPointFlagOutline;
            return Finish(kAutoOutlineFull);
        }
        ++f;
        previous = pc;
        current = best;
        u = enlarged || byGuide ? Unit(previous - At(current)) : Unit(bestCentre - At(current));
        r = radius;
        if (doubledGrace > 0) --doubledGrace;
    }
}

// While the walk runs the program is busy: host requests and the backup reminder wait.
class BusyScope {
public:
    BusyScope() : m_was(IsBusy()) { SetBusy(true); }
    ~BusyScope() { SetBusy(m_was); }

private:
    bool m_was;
};

bool g_walkRunning = false;

std::string FormatDistance(const char* format, double d) { return FormatString(format, d); }

void RepaintView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

}  // namespace

int32_t BuildAutoOutline(double distance) {
    // The one message passed on while walking must not start a second walk.
    if (g_walkRunning) return kAutoOutlineStopped;
    g_walkRunning = true;
    int32_t result = kAutoOutlineFailed;
    try {
        BusyScope busy;
        OutlineWalk walk;
        result = walk.Run(distance);
    } catch (...) {
        g_walkRunning = false;
        throw;
    }
    g_walkRunning = false;
    return result;
}

double DefaultAutoOutlineDistance(int32_t n, double extentSize) {
    const double d = extentSize;
    if (n < 30) return 0.5 * d;
    if (n >= 1000) return d / std::sqrt(static_cast<double>(n)) + 0.005 * d;
    return 0.5 * d / std::sqrt(static_cast<double>(n)) + 0.07 * d;
}

double StepAutoOutlineDistance(double distance, int wheelDelta, double extentSize) {
    if (wheelDelta == 0) return distance;
    const double stepped = wheelDelta > 0 ? distance * 1.1 : distance * (1 / 1.1);
    return std::clamp(stepped, 0.01, std::max(0.01, 10 * extentSize));
}

void OpenAutoOutlineDialog(AutoOutlineDialogValues& values) {
    g_autoOutlineWnd = 1;
    g_autoOutlineDistance = DefaultAutoOutlineDistance(g_pointCount, g_extentSize);
    values.distanceText = FormatDistance("%3.3f", g_autoOutlineDistance);
    RepaintView();  // the search circle shows from the start
}

void AutoOutlineDistanceLeft(AutoOutlineDialogValues& values) {
    double typed = 0;
    if (ParseDialogNumber(values.distanceText, &typed) && typed > 0) g_autoOutlineDistance = typed;
    values.distanceText = FormatDistance("%3.3f", g_autoOutlineDistance);
    RepaintView();
}

void AutoOutlineDistanceWheel(int wheelDelta, AutoOutlineDialogValues& values) {
    if (wheelDelta == 0) return;
    g_autoOutlineDistance =
        StepAutoOutlineDistance(g_autoOutlineDistance, wheelDelta, g_extentSize);
    values.distanceText = FormatDistance(" %3.3f", g_autoOutlineDistance);
    RepaintView();
}

void CloseAutoOutlineDialog() {
    g_autoOutlineWnd = 0;
    RepaintView();
}

bool RunAutoOutline(const AutoOutlineDialogValues& /*values*/) {
    if (IsProgressWindowOpen() || g_walkRunning) return false;
    ClearPicks();
    ClearPickList();
    g_dataChanged = -1;

    // Points outside the old outline, made invalid for the walk, with what they held.
    std::vector<std::pair<int32_t, int16_t>> limited;
    const int32_t n = g_outline.Count();
    if (n > 0 && g_outline.IsClosed()) {
        const int answer = ShowMessage(
            "現在の外周は解除されます\n "
            "よろしいですか\r\r※【いいえ】を押すと現在の外周内の点のみを\r　使用して外周計算を行い"
            "ます",
            "", msg::kYesNoCancel | msg::kIconQuestion);
        if (answer == msg::kIdCancel) return false;
        if (answer == msg::kIdYes) {
            ClearOutline();
        } else {
            OrientPolygonClockwise(g_outline);
            MarkPointsOutsideOutline(g_outline);
            for (int32_t p = 1; p <= g_pointCount; ++p) {
                if (g_points[p].outside == 0) continue;
                limited.emplace_back(p, g_points[p].invalid);
                g_points[p].invalid |= 0x02;
                g_points[p].outside = 1;
            }
            g_pickList2.Reset();
            if (n + 1 < kIndexListEntries)
                for (int32_t i = 0; i <= n + 1; ++i) g_pickList2[i] = g_outline[i];
            g_outline.Reset();
        }
    } else if (n > 0) {
        const int answer = ShowMessage("現在の外周に追加します\n よろしいですか", "",
                                       msg::kYesNo | msg::kIconQuestion);
        if (answer != msg::kIdYes) ClearOutline();
    }

    ShowAllKeepSettings();
    ShowWaitCursor(true);
    const double distance = g_autoOutlineDistance;
    g_autoOutlineDistance = -distance;
    int32_t result = kAutoOutlineFailed;
    try {
        result = BuildAutoOutline(distance);
    } catch (...) {
        g_autoOutlineDistance = distance;
        for (const auto& [p, invalid] : limited) g_points[p].invalid = invalid;
        ShowWaitCursor(false);
        throw;
    }
    g_autoOutlineDistance = distance;

    ClearPicks();
    ClearPickList();
    // The temporary mark goes, and each point gets back the flag it had (3 and 99 carry the
    // same bit, so clearing the bit alone would change them).
    for (const auto& [p, invalid] : limited) g_points[p].invalid = invalid;
    ShowWaitCursor(false);

    if (result == kAutoOutlineFailed)
        ShowMessage("外周ラインが交差しました", "自動外周処理失敗",
                    msg::kOkCancel | msg::kIconQuestion);
    g_autoOutlineWnd = 0;
    RepaintView();
    return true;
}

void OnAutoOutline(const std::function<void()>& runDialog) {
    if (IsProgressWindowOpen()) return;
    ResetToolMode();
    CloseToolWindows();
    if (g_showPoints == 0) {
        g_showPoints = -1;
        RepaintView();
    }
    if (runDialog) runDialog();
}
