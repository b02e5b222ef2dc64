#include "view/line_3d.h"

#include <cmath>

#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {
// Offsets beyond this many pixels are not drawn (nor a segment to them).
constexpr double kFarthest = 1e9;
}  // namespace

bool ProjectGround3D(double x, double y, double z, int32_t* column, int32_t* row) {
    const double v[3] = {y - g_eyeY, z - g_eyeZ, x - g_eyeX};
    const double* m = g_cameraMatrix;
    const double d = m[6] * v[0] + m[7] * v[1] + m[8] * v[2];
    if (!(d > g_nearPlane)) return false;
    const double c = g_focalLength * (m[0] * v[0] + m[1] * v[1] + m[2] * v[2]) / d;
    const double r = g_focalLength * (m[3] * v[0] + m[4] * v[1] + m[5] * v[2]) / d;
    if (!(std::fabs(c) <= kFarthest && std::fabs(r) <= kFarthest)) return false;
    *column = g_viewportCenterX + TruncToRaster(c);
    *row = g_viewportCenterY + TruncToRaster(r);
    return true;
}

bool ProjectGroundToWindow3D(double x, double y, double z, int32_t* column, int32_t* row) {
    int32_t c = 0, r = 0;
    if (!ProjectGround3D(x, y, z, &c, &r)) return false;
    c -= g_viewportCenterX;
    r -= g_viewportCenterY;
    constexpr int32_t kLimit = 1 << 23;
    if (c < -kLimit || c >= kLimit || r < -kLimit || r >= kLimit) return false;
    // The back buffer's rows count upwards from the centre, the window's downwards.
    *column = g_viewportCenterX + c;
    *row = g_viewportCenterY - r;
    return true;
}

void DrawLine3D(double x0, double y0, double z0, double x1, double y1, double z1) {
    if (!ProjectGround3D(x0, y0, z0, &g_lineX0, &g_lineY0)) return;
    if (!ProjectGround3D(x1, y1, z1, &g_lineX1, &g_lineY1)) return;
    DrawLine();
}

void DrawLevelLine3D(double x0, double y0, double x1, double y1, double z) { DrawLine3D(x0, y0, z, x1, y1, z); }

bool PlanGroundToBuffer(double x, double y, int32_t* column, int32_t* row) {
    const double c = (y - g_viewCenterY) * g_viewScale;
    const double r = (x - g_viewCenterX) * g_viewScale;
    if (!(std::fabs(c) <= kFarthest && std::fabs(r) <= kFarthest)) return false;
    *column = g_viewportCenterX + TruncToRaster(c);
    *row = g_viewportCenterY + TruncToRaster(r);
    return true;
}
