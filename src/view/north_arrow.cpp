#include "view/north_arrow.h"

#include <cmath>

#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {
// The needle, a stroke across it and an upright stick, as pairs of ends (east, north, up).
constexpr double kShape[][6] = {
    {0, 100, 0, 0, -100, 0},   {0, 100, 0, -20, 70, 0}, {-20, 70, 0, 20, 50, 0},
    {50, -40, 0, -50, -40, 0}, {0, -40, 0, 0, -40, 50},
};
constexpr uint32_t kUprightColor = 0xFF8080;
}  // namespace

void NorthArrowPosition(double east, double north, double up, int32_t* column, int32_t* row) {
    const double* m = g_cameraMatrix;
    // The up component tilts the shape only while the camera rolls.
    const double u = std::fabs(g_birdsEyeRoll) > 0.01 ? up : 0;
    const double k = 100 / (north * m[8] + east * m[6] + 300);
    *column = 50 + TruncToRaster(k * (m[0] * east + m[1] * u + m[2] * north), 1 << 20);
    *row = 50 + TruncToRaster(k * (m[3] * east + m[4] * u + m[5] * north), 1 << 20);
}

void DrawNorthArrow() {
    for (const auto& s : kShape) {
        g_lineColor = s[5] > 0 ? kUprightColor : g_colorTable[kNorthArrowColor];
        NorthArrowPosition(s[0], s[1], s[2], &g_lineX0, &g_lineY0);
        NorthArrowPosition(s[3], s[4], s[5], &g_lineX1, &g_lineY1);
        DrawLine();
    }
}

void InstallNorthArrowLayer() { g_painterLayers.northArrow = DrawNorthArrow; }
