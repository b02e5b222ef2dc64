#include "pointedit/point_array.h"

#include <algorithm>
#include <cstring>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "pointedit/edit_point.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

int32_t g_newPointInvalid = 0;
int32_t g_newPointPlotMode = 0;
std::string g_newPointName;
double g_newPointZ = 0;
int32_t g_newPointMethod = 1;
int32_t g_addedPointsInMode = 0;

namespace {
constexpr int32_t kGrowthStep = 10000;
constexpr int32_t kReserve = 50;
constexpr int32_t kFreeRadius2 = 60;

// Grows the block by one step when fewer than kReserve records are free; false (block
// and capacity as before) when that fails.
bool MakeRoomForOne() {
    if (g_pointCapacity - g_pointCount >= kReserve && g_points) return true;
    g_pointCapacity += kGrowthStep;
    if (GrowPointBlock(g_pointCapacity) == 0) return true;
    g_pointCapacity -= kGrowthStep;
    GrowPointBlock(g_pointCapacity);
    return false;
}

int32_t WriteTemplate() {
    g_editPoint.hidden = 0;
    g_editPoint.flags = 0;
    const int32_t b = g_pointCount + 1;
    g_points[b] = g_editPoint;
    g_points[b + 1].hidden = kEndMarker;
    return b;
}

int32_t Renumbered(int32_t v, const std::vector<int32_t>& newIndex) {
    if (v == 0 || v == kNoApex) return v;
    const int32_t a = v < 0 ? -v : v;
    if (a >= static_cast<int32_t>(newIndex.size())) return v;
    return v < 0 ? -newIndex[a] : newIndex[a];
}
}  // namespace

int32_t AppendPointAtCursor(int32_t column, int32_t row) {
    if (!MakeRoomForOne()) return 0;
    g_editPoint.screenX = column - g_viewportCenterX;
    g_editPoint.screenY = g_viewportCenterY - row;
    ClientToGround(column, row, g_editPoint.x, g_editPoint.y);
    g_editPoint.z = 0;
    GetTinZ(g_editPoint.x, g_editPoint.y);
    return WriteTemplate();
}

int32_t AppendEditPointIfFree() {
    if (!g_birdsEyeOn) {
        const auto sx = static_cast<int32_t>((g_editPoint.y - g_viewCenterY) * g_viewScale);
        const auto sy = static_cast<int32_t>((g_editPoint.x - g_viewCenterX) * g_viewScale);
        g_editPoint.screenX = sx;
        g_editPoint.screenY = sy;
        if (FindPointAtCursor(g_viewportCenterX + sx, g_viewportCenterY - sy, kFreeRadius2) != 0)
            return 0;
    } else {
        g_editPoint.multiUse = 0;
        g_editPoint.hidden = 0;
        ProjectRecord(g_editPoint);
    }
    if (!MakeRoomForOne()) return 0;
    g_editPoint.z = 0;
    GetTinZ(g_editPoint.x, g_editPoint.y);
    return WriteTemplate();
}

int32_t AppendEditPoint() {
    if (!MakeRoomForOne()) return 0;
    return WriteTemplate();
}

void DeletePointRecord(int32_t i) {
    if (i <= 0 || i > g_pointCount || IsProgressWindowOpen()) return;
    std::memmove(&g_points[i], &g_points[i + 1],
                 sizeof(RandomPoint) * static_cast<size_t>(g_pointCount + 1 - i));
    --g_pointCount;
}

int32_t RollBackPointsTo(int32_t count) {
    if (count < 0) count = 0;
    const int32_t dropped = std::max(g_pointCount - count, 0);
    g_pointCount = std::min(g_pointCount, count);
    if (g_points) SetPointEndMarker();
    return dropped;
}

void DeletePointKeepingReferences(int32_t p) {
    if (p <= 0 || p > g_pointCount || IsProgressWindowOpen()) return;
    auto lower = [p](int32_t& v) {
        if (v == kNoApex) return;
        if (v > p) --v;
        else if (v < -p) ++v;
    };
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        TinEdge& t = g_tinEdges[e];
        lower(t.a);
        lower(t.b);
        lower(t.apexBack);
        lower(t.apexSearch);
    }
    // The closing copy is lowered with the rest, so a closed outline stays closed.
    const int32_t n = g_outline.Count();
    const int32_t last = g_outline.IsClosed() ? n + 1 : n;
    for (int32_t k = 1; k <= last; ++k)
        if (g_outline[k] > p) --g_outline[k];

    int32_t m = 0;
    const int32_t count2 = g_pickList2.Count();
    for (int32_t k = 1; k <= count2; ++k) {
        const int32_t v = g_pickList2[k];
        if (v == p) continue;
        g_pickList2[++m] = v > p ? v - 1 : v;
    }
    for (int32_t k = m + 1; k <= count2 + 1 && k < kIndexListEntries; ++k) g_pickList2[k] = 0;
    g_pickList2[0] = m;

    DeletePointRecord(p);
    if (g_pointCount == 0) g_pointsPresent = 0;
}

void RenumberPointReferences(const std::vector<int32_t>& newIndex, bool pickLists) {
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        TinEdge& t = g_tinEdges[e];
        t.a = Renumbered(t.a, newIndex);
        t.b = Renumbered(t.b, newIndex);
        t.apexSearch = Renumbered(t.apexSearch, newIndex);
        t.apexBack = Renumbered(t.apexBack, newIndex);
    }
    const int32_t n = g_outline.Count();
    if (n > 0) {
        if (g_outline.IsClosed()) g_outline[n + 1] = Renumbered(g_outline[n + 1], newIndex);
        for (int32_t k = 1; k <= n; ++k) g_outline[k] = Renumbered(g_outline[k], newIndex);
    }
    if (!pickLists) return;
    for (PickList* list : {&g_pickList2, &g_pickList}) {
        const int32_t c = list->Count();
        for (int32_t k = 1; k <= c; ++k) (*list)[k] = Renumbered((*list)[k], newIndex);
    }
}

int32_t CompactPoints(const std::vector<int32_t>& newIndex) {
    int32_t kept = 0;
    const int32_t count = std::min<int32_t>(g_pointCount, static_cast<int32_t>(newIndex.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        const int32_t to = newIndex[i];
        if (to <= 0) continue;
        if (to != i) g_points[to] = g_points[i];
        kept = to;
    }
    g_pointCount = kept;
    if (g_points) SetPointEndMarker();
    return kept;
}

void CopyPointName(char (&field)[12], const std::string& name) {
    const size_t n = Cp932PrefixLength(name, 11);
    std::memcpy(field, name.data(), n);
    std::memset(field + n, 0, sizeof field - n);
}
