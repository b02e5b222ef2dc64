#include "model/outline_edit.h"

#include "model/terrain_data.h"

void ClearOutline() {
    g_outline.Reset();
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        g_points[p].outside = 0;
        g_points[p].flags = 0;
    }
}
