#include "model/outline_edit.h"

#include "model/terrain_data.h"
#include "view/view_state.h"

void ClearOutline() {
    g_outline.Reset();
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        g_points[p].outside = 0;
        g_points[p].flags = 0;
    }
}

void ClearPicks() {
    g_pickedPoint = 0;
    g_pickedPoint2 = 0;
    if (g_pointCount < 2) return;
    g_pickList2.ClearHead();
    for (int32_t p = 1; p <= g_pointCount; ++p)
        g_points[p].flags &= static_cast<uint8_t>(~kPointFlagPickList2);
}

void ClearPickList() {
    if (g_pointCount < 2) return;
    g_pickList.ClearHead();
    for (int32_t p = 1; p <= g_pointCount; ++p)
        g_points[p].flags &= static_cast<uint8_t>(~kPointFlagPickList);
}
