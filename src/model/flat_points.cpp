#include "model/flat_points.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

#include "model/numeric_text.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_point_lists.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {
constexpr uint8_t kFlatWorkFlag = 0x20;
constexpr double kSmallestAngle = 1.0 / 3600;
constexpr double kLargestAngle = 85;

struct Normal {
    double x, y, z;
};

// Unit normal of the record's search-side triangle (A, B, S): (S - A) x (B - A); false for
// a record without one or a triangle of no area.
bool SearchNormal(const TinEdge& e, Normal* n) {
    const int32_t a = std::abs(e.a), b = std::abs(e.b), s = std::abs(e.apexSearch);
    if (s < 1 || s > g_pointCount || a < 1 || a > g_pointCount || b < 1 || b > g_pointCount)
        return false;
    const RandomPoint &pa = g_points[a], &pb = g_points[b], &ps = g_points[s];
    const double ux = ps.x - pa.x, uy = ps.y - pa.y, uz = ps.z - pa.z;
    const double vx = pb.x - pa.x, vy = pb.y - pa.y, vz = pb.z - pa.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0)) return false;
    *n = {nx / length, ny / length, nz / length};
    return true;
}

void Repaint() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
}  // namespace

int32_t DeleteFlatPoints(double angle) {
    const double limit = std::cos(angle * M_PI / 180);
    std::optional<TinPointLists> lists;
    try {
        lists.emplace(true);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    for (int32_t k = 1; k <= g_pointCount; ++k) g_points[k].flags &= ~kFlatWorkFlag;

    int32_t count = 0;
    std::vector<Normal> normals;
    for (int32_t k = 1; k <= g_pointCount; ++k) {
        RandomPoint& p = g_points[k];
        if ((p.flags & kPointFlagOutline) || p.invalid != 0 || p.name[0] == '_') continue;
        bool higher = false, lower = false, anyRecord = false;
        normals.clear();
        Normal reference{0, 0, 1};
        auto visit = [&](int32_t r, int32_t neighbour) {
            anyRecord = true;
            const double z = g_points[std::abs(neighbour)].z;
            if (z >= p.z) higher = true;
            if (z <= p.z) lower = true;
            Normal n;
            if (!SearchNormal(g_tinEdges[r], &n)) return;
            if (n.z < reference.z) reference = n;
            normals.push_back(n);
        };
        for (int32_t r = lists->FirstFrom(k); r != 0; r = lists->NextFrom(r))
            visit(r, g_tinEdges[r].b);
        for (int32_t r = lists->FirstTo(k); r != 0; r = lists->NextTo(r))
            visit(r, g_tinEdges[r].a);
        // A point the TIN does not reach has nothing to judge it by.
        if (!anyRecord) continue;
        if (higher != lower) continue;  // a peak or a pit
        double c = 1.0;
        for (const Normal& n : normals)
            c = std::min(c, reference.x * n.x + reference.y * n.y + reference.z * n.z);
        if (c > limit) {
            p.invalid = kFlatPointMark;
            ++count;
        }
    }
    return count;
}

std::string FlatPointAngleText(double angle) {
    std::string text = FormatString(" %5.3f", angle);
    double shown = 0;
    if (ParseDialogNumber(text, &shown) && shown == 0) text = FormatString(" %7.5f", angle);
    return text;
}

void FlatPointAngleLeft(FlatPointDeleteValues& values) {
    double typed = 0;
    if (ParseDialogNumber(values.angleText.substr(0, 32), &typed) && std::isfinite(typed)) {
        if (typed <= 0) typed = kSmallestAngle;
        if (typed > kLargestAngle) typed = kLargestAngle;
        values.angle = typed;
    }
    values.angleText = FlatPointAngleText(values.angle);
}

int32_t FlatPointExecute(FlatPointDeleteValues& values) {
    g_dataChanged = -1;
    const int32_t n = DeleteFlatPoints(values.angle);
    Repaint();
    values.title = FormatString("平坦点削除 [ %d ]点削除", n);
    return n;
}

void FlatPointCancelMarks(FlatPointDeleteValues& values) {
    for (int32_t k = 1; k <= g_pointCount; ++k)
        if (g_points[k].invalid == kFlatPointMark) g_points[k].invalid = 0;
    Repaint();
    values.title = "平坦点削除";
}

void FlatPointCommitMarks() {
    // Only this dialog's marks: other invalid values that share the bit (3 duplicate marks,
    // 99 points held by an area tool) are not flat points.
    for (int32_t k = 1; k <= g_pointCount; ++k)
        if (g_points[k].invalid == kFlatPointMark) g_points[k].invalid = 1;
}

void OnFlatPointDelete(const std::function<void(FlatPointDeleteValues&)>& runDialog) {
    if (IsProgressWindowOpen() || !runDialog) return;
    if (g_tinPresent == 0 || g_tinEdgeCount < 1) {
        ShowMessage("三角網が計算されていません", "", msg::kOk | msg::kIconInformation);
        return;
    }
    g_showPoints = -1;
    FlatPointDeleteValues values;
    values.angleText = FlatPointAngleText(values.angle);
    runDialog(values);
    Repaint();
}
