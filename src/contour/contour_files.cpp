#include "contour/contour_files.h"

#include <cmath>

#include "model/terrain_data.h"

std::string g_contourLinesPath;
int32_t g_showDrawingContours = 0;

double g_contourMinZ = 0.0;
double g_contourMaxZ = 0.0;
double g_contourInterval = 0.0;
double g_indexContourInterval = 0.0;

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_showDrawingContours = 0;
        g_contourMinZ = 0.0;
        g_contourMaxZ = 0.0;
        g_contourInterval = 0.0;
        g_indexContourInterval = 0.0;
    });
    return true;
}();
}  // namespace

void SetDefaultContourLevels(double zMin, double zMax) {
    g_contourMinZ = std::trunc(zMin);
    g_contourMaxZ = std::trunc(zMax);
    const double range = std::fabs(g_contourMaxZ - g_contourMinZ);
    g_contourInterval = range < 50.0 ? 1.0 : range < 100.0 ? 2.0 : 5.0;
    g_indexContourInterval = 5.0 * g_contourInterval;
}
