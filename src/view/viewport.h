#pragma once
// The drawable size of the back buffer and the view centre in it, and the colour the
// raster primitives draw with.
#include <cstdint>

extern int32_t g_bufferMaxX;       // last drawable column (drawable width - 1)
extern int32_t g_bufferMaxY;       // last drawable row
extern int32_t g_viewportCenterX;  // g_bufferMaxX / 2
extern int32_t g_viewportCenterY;  // g_bufferMaxY / 2
extern uint32_t g_rasterColor;     // 0x00RRGGBB
