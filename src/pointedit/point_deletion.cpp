#include "pointedit/point_deletion.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "model/terrain_data.h"
#include "pointedit/area_selection.h"
#include "pointedit/point_array.h"

namespace {
bool LineNumberName(const RandomPoint& p) {
    return p.name[0] == '_' && p.name[1] >= '0' && p.name[1] <= '9';
}

// A pick list of a tool that is still open follows its points; entries of points that go
// leave the list (a closed list stays closed).
void RenumberPickListDropping(PickList& list, const std::vector<int32_t>& newIndex) {
    const int32_t n = std::clamp(list.Count(), 0, kIndexListMaxVertices);
    if (n == 0) return;
    const bool closed = list.IsClosed();
    int32_t m = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const int32_t v = list[k];
        if (v >= 1 && v < static_cast<int32_t>(newIndex.size()) && newIndex[v] > 0)
            list[++m] = newIndex[v];
    }
    for (int32_t k = m + 1; k <= n + 1; ++k) list[k] = 0;
    list[0] = m;
    if (closed && m > 0) list.Close();
}

void MarkUsed(std::vector<uint8_t>& used, int32_t index) {
    const int32_t i = std::abs(index);
    if (index != kNoApex && i >= 1 && i < static_cast<int32_t>(used.size())) used[i] = 1;
}
}  // namespace

void DeletePointsKeepingTin(PointDeletionVariant variant) {
    if (!g_points || g_pointCount <= 0) return;
    // Turned coordinates would be compacted into the survey frame's places.
    RestoreSurveyFrame();
    const bool invalidVariant = variant == PointDeletionVariant::kInvalidPoints;
    if (invalidVariant) ClearPointFlags(POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION);

    const int32_t count = g_pointCount;
    std::vector<uint8_t> used(count + 1, 0);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        MarkUsed(used, g_tinEdges[e].a);
        MarkUsed(used, g_tinEdges[e].b);
    }
    if (invalidVariant) {
        const int32_t n = g_outline.Count();
        for (int32_t k = 1; k <= n; ++k) MarkUsed(used, g_outline[k]);
    }

    std::vector<int32_t> newIndex(count + 1, 0);
    int32_t next = 0;
    for (int32_t i = 1; i <= count; ++i) {
        RandomPoint& p = g_points[i];
        const bool stays = used[i] || (invalidVariant ? p.invalid == 0 : !LineNumberName(p));
        if (stays) newIndex[i] = ++next;
        if (!invalidVariant && LineNumberName(p)) p.name[0] = '\0';
    }
    if (next == 0 && invalidVariant) {
        g_pointCount = 0;
        SetPointEndMarker();
        g_pointsPresent = 0;
        g_dataChanged = 1;
        return;
    }
    if (next < count) {
        RenumberPointReferences(newIndex, !invalidVariant);
        if (invalidVariant) {
            RenumberPickListDropping(g_pickList, newIndex);
            RenumberPickListDropping(g_pickList2, newIndex);
        }
        CompactPoints(newIndex);
    }
    if (!invalidVariant) return;

    if (g_pointCapacity - g_pointCount > kPointShrinkSpare) {
        const int32_t old = g_pointCapacity;
        g_pointCapacity = g_pointCount + 1000;
        if (GrowPointBlock(g_pointCount + 1016) != 0) g_pointCapacity = old;
    }
    g_dataChanged = 1;
}

void DeleteInvalidPoints() { DeletePointsKeepingTin(PointDeletionVariant::kInvalidPoints); }
