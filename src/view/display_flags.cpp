#include "view/display_flags.h"

#include "model/terrain_data.h"

int32_t g_showPoints = -1;
int32_t g_showPointNames = 0;
int32_t g_showPointElevations = 0;
int32_t g_showGrid = 0;
int32_t g_showSimpleContours = 0;
double g_simpleContourInterval = 1.0;
int32_t g_showSlopeLines = 0;
int32_t g_showBackgroundImage = 0;
int32_t g_colorBandOn = 0;
int32_t g_hideDoubleByteText = 0;
int32_t g_viewer3dAutoUpdate = 0;

int32_t g_showRoute = -1;
int32_t g_showOtherRoutes = 0;
int32_t g_showIpNames = 0;
int32_t g_showRouteCrossSections = 1;
int32_t g_showOtherRouteCrossSections = 1;
int32_t g_showSections = 0;
int32_t g_showMesh = 0;
int32_t g_showMeshElevations = 0;
int32_t g_showMeshVolumes = 0;
int32_t g_showBackgroundDxf = -1;
int32_t g_showHiddenDxfLayers = 0;

char g_pointColorPrefix = '#';
int32_t g_hideInvalidPoints = 0;
int32_t g_depthOrderPoints = 0;
int32_t g_elevationDecimals = 2;
double g_gridInterval = 1000.0;

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

        g_showRoute = -1;
        g_showOtherRoutes = 0;
        g_showIpNames = 0;
        g_showRouteCrossSections = 1;
        g_showOtherRouteCrossSections = 1;
        g_showSections = 0;
        g_showMesh = 0;
        g_showMeshElevations = 0;
        g_showMeshVolumes = 0;
        g_showBackgroundDxf = -1;
        g_showHiddenDxfLayers = 0;

        g_pointColorPrefix = '#';
        g_hideInvalidPoints = 0;
        g_depthOrderPoints = 0;
        g_elevationDecimals = 2;
        g_gridInterval = 1000.0;
    });
    return true;
}();
}  // namespace
