#include "view/display_flags.h"

#include "model/terrain_data.h"

int32_t g_showPoints = -1;
int32_t g_showPointNames = 0;
int32_t g_showPointElevations = 0;
int32_t g_showGrid = 0;
int32_t g_showSimpleContours = 0;
int32_t g_showSlopeLines = 0;
int32_t g_showBackgroundImage = 0;
int32_t g_colorBandOn = 0;
int32_t g_hideDoubleByteText = 0;
int32_t g_viewer3dAutoUpdate = 0;

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_showPoints = -1;
        g_showPointNames = 0;
        g_showPointElevations = 0;
        g_showGrid = 0;
        g_showSimpleContours = 0;
        g_showSlopeLines = 0;
        g_showBackgroundImage = 0;
        g_colorBandOn = 0;
        g_hideDoubleByteText = 0;
        g_viewer3dAutoUpdate = 0;
    });
    return true;
}();
}  // namespace
