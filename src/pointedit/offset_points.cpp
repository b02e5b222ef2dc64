#include "pointedit/offset_points.h"

#include <cmath>
#include <vector>

#include "model/geometry.h"
#include "model/numeric_text.h"
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
#include "pointedit/point_tools.h"
#include "shell/tool_windows.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

OffsetPointValues g_offsetPointDlg;
std::string g_offsetDlgName;

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;

struct GroupRule {
    int32_t method;
    double value;
};
}  // namespace

void InitOffsetPointDialog(OffsetPointValues& v) {
    if (!v.bottomTopSwitchedOn) {
        v.bottomTop = 1;
        v.bottomTopSwitchedOn = true;
    }
    if (v.elevationMethod < 1 || v.elevationMethod > 3) v.elevationMethod = 0;
    if (v.bottomMethod < 1 || v.bottomMethod > 3) v.bottomMethod = 0;
    if (v.polygonKind != 1) v.polygonKind = 0;
    if (v.circleDivisions < 2) v.circleDivisions = 6;
    if (v.squareDivisions < 1) v.squareDivisions = 1;
    if (std::fabs(v.move) < 0.001) v.move = -0.01;
    if (v.size < 0.001) v.size = 0.2;
    if (v.retireBase != 1) v.retireBase = 0;
    g_offsetDlgName = g_newPointName;
}

double OffsetElevation(int32_t method, double value, double r, double baseZ, double x, double y) {
    switch (method) {
        case 1:
            return value * r * 0.01 + baseZ;
        case 2:
            return value;
        case 3: {
            // GetTinZ writes into the template; keep it.
            const double saved = g_editPoint.z;
            g_editPoint.z = 0;
            GetTinZ(x, y);
            const double z = g_editPoint.z;
            g_editPoint.z = saved;
            return z;
        }
        default:
            return baseZ + value;
    }
}

int32_t ComputeOffsetPoints(OffsetPointValues& v) {
    const RandomPoint base = g_editPoint;
    const double bx = base.x, by = base.y, bz = base.z;

    if (v.registration == 0) {
        if (std::fabs(v.distance) < 0.001) {
            ShowMessage("距離を入力してください。", "", msg::kOk | msg::kIconInformation);
            return kOffsetStayOpen;
        }
        const double theta = ConvertDegreesDms(v.direction, 2) * kDegree;
        const double x = bx + std::cos(theta) * v.distance;
        const double y = by + std::sin(theta) * v.distance;
        const double z = OffsetElevation(v.elevationMethod, v.elevationValue, v.distance, bz, x, y);
        const int32_t b = ReserveGeneratedPoint(x, y, z, g_offsetDlgName);
        if (b == 0) return kOffsetClosed;
        g_pickedPoint = b;
        FullRepaintView();
        return kOffsetEditNewPoint;
    }

    if (std::fabs(v.size) < 0.001) {
        ShowMessage("半径（矩形幅）を入力してください。", "", msg::kOk | msg::kIconInformation);
        return kOffsetStayOpen;
    }
    if ((v.polygonKind == 0 && v.circleDivisions < 2) ||
        (v.polygonKind == 1 && v.squareDivisions < 0)) {
        ShowMessage("分割数を入力してください。", "", msg::kOk | msg::kIconInformation);
        return kOffsetStayOpen;
    }
    if (v.bottomTop == 1 && std::fabs(v.move) < 0.001) {
        ShowMessage("多角形底部移動量を入力してください。", "", msg::kOk | msg::kIconInformation);
        return kOffsetStayOpen;
    }

    const int32_t saved = g_pointCount;
    const double h = v.size / 2, m = v.move;
    const bool ring = v.bottomTop == 1;
    const GroupRule mainRule{v.elevationMethod, v.elevationValue};
    const GroupRule ringRule{v.bottomMethod, v.bottomValue};
    bool failed = false;
    auto add = [&](double x, double y, const GroupRule& rule, double r) {
        if (failed) return;
        x = RoundToDecimals(x, 3);
        y = RoundToDecimals(y, 3);
        const double z = OffsetElevation(rule.method, rule.value, r, bz, x, y);
        if (AppendGeneratedPoint(x, y, z, g_offsetDlgName) == 0) failed = true;
    };

    if (v.polygonKind == 0) {
        const int32_t n = v.circleDivisions;
        for (int32_t k = 0; k < n; ++k) {
            const double a = k * 2 * kPi / n;
            add(bx + h * std::cos(a), by + h * std::sin(a), mainRule, h);
            if (ring) add(bx + (h + m) * std::cos(a), by + (h + m) * std::sin(a), ringRule, h + m);
        }
    } else {
        const double theta = (ConvertDegreesDms(v.direction, 2) + 45) * kDegree;
        struct Corner {
            double x, y;
        };
        auto corners = [&](double half) {
            const double r = half * std::sqrt(2.0);
            const double c = std::cos(theta) * r, s = std::sin(theta) * r;
            const double c90 = std::cos(theta + kPi / 2) * r, s90 = std::sin(theta + kPi / 2) * r;
            return std::vector<Corner>{
                {bx + c, by + s}, {bx - c, by - s}, {bx + c90, by + s90}, {bx - c90, by - s90}};
        };
        const std::vector<Corner> mainCorners = corners(h);
        const std::vector<Corner> ringCorners = corners(h + m);
        const double rMain = h * std::sqrt(2.0), rRing = (h + m) * std::sqrt(2.0);
        for (const Corner& c : mainCorners) add(c.x, c.y, mainRule, rMain);
        if (ring)
            for (const Corner& c : ringCorners) add(c.x, c.y, ringRule, rRing);
        const int32_t n = v.squareDivisions;
        auto sides = [&](const std::vector<Corner>& c, const GroupRule& rule, double r) {
            // c1 -> c3 -> c2 -> c4 -> c1
            static constexpr int kOrder[5] = {0, 2, 1, 3, 0};
            for (int s = 0; s < 4; ++s) {
                const Corner& p = c[kOrder[s]];
                const Corner& q = c[kOrder[s + 1]];
                for (int32_t k = 1; k <= n; ++k) {
                    const double f = static_cast<double>(k) / (n + 1);
                    add(p.x + f * (q.x - p.x), p.y + f * (q.y - p.y), rule, r);
                }
            }
        };
        if (n > 0) {
            sides(mainCorners, mainRule, rMain);
            if (ring) sides(ringCorners, ringRule, rRing);
        }
    }
    g_editPoint = base;

    if (failed) {
        ShowMessage("ランダムデータのメモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
        RollBackPointsTo(saved);
        FullRepaintView();
        return kOffsetStayOpen;
    }
    FullRepaintView();
    if (ShowMessage("よろしいですか", "", msg::kYesNo) == msg::kIdNo) {
        RollBackPointsTo(saved);
        FullRepaintView();
    } else {
        if (v.retireBase == 1 && g_pickedPoint >= 1 && g_pickedPoint <= saved)
            g_points[g_pickedPoint].invalid = 1;
        g_dataChanged = -1;
    }
    g_pickedPoint = g_pickedPoint2 = 0;
    return kOffsetClosed;
}

void OnClickOffsetMode(int32_t flags, int32_t x, int32_t y, int32_t dragged) {
    if (IsProgressWindowOpen() || IsKeyDown(key::kAlt)) return;
    if (g_pickedPoint < 1 || g_pickedPoint > g_pointCount) return;
    g_editPoint = g_points[g_pickedPoint];
    if (IsToolWindowOpen(ToolWindow::kOffsetDialog)) return;
    const double bx = g_editPoint.x, by = g_editPoint.y;

    if (!g_birdsEyeOn && dragged) {
        double tx = 0, ty = 0;
        bool found = false;
        if (flags & kMouseFlagShift) {
            const int32_t p = FindPointAtCursor(x, y, kPickRadius2);
            if (p > 0 && p <= g_pointCount) {
                g_pickedPoint2 = p;
                tx = g_points[p].x;
                ty = g_points[p].y;
                found = true;
            }
        }
        // The DXF snaps come with the DXF finders; until then they find nothing.
        if (!found) ClientToGround(x, y, tx, ty);
        double signedAngle = 0, fullAngle = 0;
        AngleAtVertex(bx + 10, by, bx, by, tx, ty, 0.001, &signedAngle, &fullAngle);
        g_offsetPointDlg.distance = std::hypot(tx - bx, ty - by);
        g_offsetPointDlg.direction = ConvertDegreesDms(fullAngle, 1);
    }

    const PointGenDialogs& dialogs = PointGenDialogHooks();
    const int32_t result = dialogs.runOffsetDialog ? dialogs.runOffsetDialog() : kOffsetClosed;
    if (result == kOffsetEditNewPoint) {
        const int32_t reserved = g_pointCount + 1;
        // The edit dialog registers the point by raising the count, or leaves it.
        if (PointToolWindowHooks().runPointEditDialog) PointToolWindowHooks().runPointEditDialog();
        // A point the dialog left must not stay behind the end marker's place.
        if (g_pointCount < reserved) RollBackPointsTo(g_pointCount);
    }
    g_pickedPoint2 = 0;
    FullRepaintView();
}
