#pragma once
// Global drawing state of the back buffer: its drawable size, the view centre in it and
// the colour of points, markers, fills and clears.
#include <cstdint>

extern int32_t g_bufferMaxX;       // last usable column
extern int32_t g_bufferMaxY;       // last usable row
extern int32_t g_viewportCenterX;  // g_bufferMaxX / 2
extern int32_t g_viewportCenterY;  // g_bufferMaxY / 2

extern uint32_t g_rasterColor;  // points, markers, fills, clears
