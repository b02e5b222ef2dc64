#include "pointedit/parallel_points.h"

#include <cmath>
#include <cstdlib>

#include "model/geometry.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/generated_points.h"
#include "pointedit/point_array.h"
#include "pointedit/point_gen_dialogs.h"
#include "shell/tool_commands.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

ParallelAddValues g_parallelAddDlg;

namespace {
struct Place {
    double x, y, z;
};

// The TIN elevation at (x, y), or nothing off the TIN.
bool TinZ(double x, double y, double& z) {
    const double saved = g_editPoint.z;
    const int32_t found = GetTinZ(x, y);
    z = g_editPoint.z;
    g_editPoint.z = saved;
    return found != 0;
}

double CornerZ(int32_t rule, const Place& at, double baseZ, double r, double heightDiff,
               double givenZ, double gradient) {
    double z = 0;
    switch (rule) {
        case 1:
            return givenZ;
        case 2:
            return TinZ(at.x, at.y, z) ? z : baseZ + heightDiff;
        case 3:
            return r * gradient * 0.01 + baseZ;
        default:
            return baseZ + heightDiff;
    }
}

Place BasePlace(int32_t k) {
    const RandomPoint& p = g_points[g_pickList[k]];
    return {p.x, p.y, p.z};
}

bool ValidPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }
}  // namespace

bool InitParallelAddDialog(ParallelAddValues& v) {
    if (!g_tinPresent && v.elevationRule == 2) v.elevationRule = 0;
    if (v.bothSides != 1) v.bothSides = 0;
    return g_pickList2.Count() > 1;
}

bool CheckParallelAdd(const ParallelAddValues& v) {
    if (std::fabs(v.distance) < 0.001 &&
        (v.spacingMode == 0 || (v.spacingMode == 1 && v.divisions == 0) ||
         (v.spacingMode == 2 && std::fabs(v.spacing) < 0.001))) {
        ShowMessage("指定した状態では点追加できません", "点追加中止", msg::kOk);
        return false;
    }
    return true;
}

bool MoveParallelBaseLine() {
    const int32_t n = g_pickList2.Count();
    if (n < 2) return false;
    std::vector<int32_t> line(n);
    for (int32_t k = 1; k <= n; ++k) line[k - 1] = g_pickList2[k];
    ClearPickList();
    g_pickList.Reset();
    for (int32_t p : line) {
        if (!ValidPoint(p)) continue;
        g_pickList.Append(p);
        g_points[p].flags |= kPointFlagPickList;
    }
    ClearPicks();
    FullRepaintView();
    return true;
}

int32_t AddParallelPoints(double distance, int32_t spacingMode, int32_t divisions, double spacing,
                          int32_t elevationRule, double heightDiff, double givenZ, double gradient,
                          int32_t bothSides) {
    const int32_t n = g_pickList.Count();
    if (n < 2 || !g_points) return 0;
    for (int32_t k = 1; k <= n; ++k)
        if (!ValidPoint(g_pickList[k])) return 0;

    double length = 0;
    for (int32_t k = 1; k < n; ++k) {
        const Place a = BasePlace(k), b = BasePlace(k + 1);
        length += std::hypot(b.x - a.x, b.y - a.y);
    }
    double s0 = 0;
    if (spacingMode == 1) s0 = length / (divisions + 1);
    if (spacingMode == 2) s0 = spacing;

    const double ad = std::fabs(distance);
    const int32_t sides = (bothSides == 1 && ad > 0.001) ? 2 : 1;
    ClearPicks();
    int32_t q = 0;
    const int32_t countBefore = g_pointCount;
    auto create = [&](const Place& at, bool corner) {
        const int32_t b = AppendGeneratedPoint(at.x, at.y, at.z, g_newPointName);
        if (b == 0) return;
        ++q;
        if (corner && sides == 1) g_pickList2.Append(b);
    };

    for (int32_t side = 0; side < sides; ++side) {
        const double d = sides == 2 ? (side == 0 ? ad : -ad) : distance;
        double t = s0;
        Place s{};
        for (int32_t k = 1; k < n; ++k) {
            const Place pk = BasePlace(k), pk1 = BasePlace(k + 1);
            Place e{};
            if (ad < 0.001) {
                s = pk;
                e = pk1;
            } else {
                double sx, sy, ex, ey;
                OffsetSegment(pk.x, pk.y, pk1.x, pk1.y, -d, 0.001, &sx, &sy, &ex, &ey);
                e = {ex, ey, 0};
                if (k + 1 < n) {
                    const Place pk2 = BasePlace(k + 2);
                    double nsx, nsy, nex, ney, ix, iy;
                    OffsetSegment(pk1.x, pk1.y, pk2.x, pk2.y, -d, 0.001, &nsx, &nsy, &nex, &ney);
                    if (IntersectLines(sx, sy, ex, ey, nsx, nsy, nex, ney, &ix, &iy) == kGeomOk)
                        e = {ix, iy, 0};
                }
                if (k == 1) {
                    s = {sx, sy, 0};
                    s.z = CornerZ(elevationRule, s, pk.z, ad, heightDiff, givenZ, gradient);
                    create(s, true);
                }
                e.z = CornerZ(elevationRule, e, pk1.z, ad, heightDiff, givenZ, gradient);
                create(e, true);
            }
            const double l = std::hypot(e.x - s.x, e.y - s.y);
            if (s0 >= 0.001) {
                for (; t < l; t += s0) {
                    if (t < 0.001 || l - t < 0.001) continue;
                    const double f = t / l;
                    Place at{s.x + f * (e.x - s.x), s.y + f * (e.y - s.y), 0};
                    const double along = s.z + f * (e.z - s.z);
                    double z = along;
                    if (elevationRule == 1) z = givenZ;
                    if (elevationRule == 2 && !TinZ(at.x, at.y, z)) z = along;
                    at.z = z;
                    create(at, false);
                }
                // The spacing runs on across the corner.
                t -= l;
            }
            s = e;
        }
        g_addedPointsInMode = -q;
    }

    if (q > 0) {
        FullRepaintView();
        if (ShowMessage("よろしいですか", "", msg::kYesNo) == msg::kIdNo) {
            ClearPicks();
            RollBackPointsTo(countBefore);
            FullRepaintView();
        } else {
            g_dataChanged = -1;
        }
    }
    return q;
}

int32_t PickPolylinePoint(int32_t flags, int32_t x, int32_t y) {
    if (IsProgressWindowOpen() || IsKeyDown(key::kAlt)) return 0;
    if (flags & (kMouseFlagShift | kMouseFlagControl)) return 0;
    g_dataChanged = -1;
    const int32_t p = FindPointAtCursor(x, y, kPickRadius2);
    if (!ValidPoint(p)) return 0;
    if (g_points[p].flags & kPointFlagPickList) {
        const int32_t n = g_pickList.Count();
        if (n > 0 && g_pickList[n] == p) {
            g_redrawMask = 5;
            UndoLastPick();
        }
        return 0;
    }
    if (g_pickList.Count() == 0) g_pickedPoint = p;
    if (!g_pickList.Append(p)) return 0;
    g_points[p].flags |= kPointFlagPickList;
    g_redrawMask = 1;
    InvalidateAndUpdateView();
    return p;
}

int32_t RunParallelAddRound() {
    const PointGenDialogs& dialogs = PointGenDialogHooks();
    const int32_t result = dialogs.runParallelDialog ? dialogs.runParallelDialog() : 0;
    if (result != 0) {
        const ParallelAddValues& v = g_parallelAddDlg;
        AddParallelPoints(v.distance, v.spacingMode, v.divisions, v.spacing, v.elevationRule,
                          v.heightDiff, v.givenZ, v.gradient, v.bothSides);
    }
    return result;
}

void RunParallelAddLoop() {
    if (g_pickList.Count() < 2) return;
    while (RunParallelAddRound() != 0) {
    }
    ClearPicks();
    ClearPickList();
    if (ToolServices().focusMainWindow) ToolServices().focusMainWindow();
    FullRepaintView();
}
