#include "view/raster_primitives.h"

int32_t g_bufferMaxX = 0;
int32_t g_bufferMaxY = 0;
int32_t g_viewportCenterX = 0;
int32_t g_viewportCenterY = 0;
uint32_t g_rasterColor = 0;
