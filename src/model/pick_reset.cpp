#include "model/pick_reset.h"

#include <algorithm>

#include "model/terrain_data.h"
#include "view/view_state.h"

namespace {
// Clears the flag bit in every point up to the end marker, never past the block.
void ClearFlagBit(uint8_t bit) {
    if (!g_points) return;
    const int32_t last = g_pointsBlock.Size() - 1;
    for (int32_t i = 1; i <= last && g_points[i].hidden >= 0; ++i)
        g_points[i].flags &= static_cast<uint8_t>(~bit);
}
}  // namespace

void ClearPicks() {
    g_pickedPoint = 0;
    g_pickedPoint2 = 0;
    if (g_pointCount < 2) return;
    g_pickList2.ClearHead();
    ClearFlagBit(kPointFlagPickList2);
}

void ClearPickList() {
    if (g_pointCount < 2) return;
    g_pickList.ClearHead();
    ClearFlagBit(kPointFlagPickList);
}
