#include "view/birds_eye_projection.h"

#include <algorithm>
#include <cmath>

#include "dxf/dxf_store.h"
#include "model/rotation.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "route/route_data.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

int32_t g_rotationAxis = 0;
double g_targetZ = 0;
double g_fieldOfView = 45;

namespace {

// The elevation of the data nearest to the view centre in plan: a random point, or (when
// the route is shown) a station's centre, or without either a background DXF element.
// Records whose place or elevation is not a number of finite size cannot be looked at.
void FindTargetElevation() {
    auto distance2 = [](double x, double y, double z) {
        const double dx = x - g_viewCenterX, dy = y - g_viewCenterY;
        const double d = dx * dx + dy * dy;
        return std::isfinite(d) && std::isfinite(z) ? d : HUGE_VAL;
    };
    bool found = false;
    if (g_pointsPresent && g_points && g_pointCount > 0) {
        const int32_t last = std::min(g_pointCount, g_pointsBlock.Size() - 1);
        double best = 0;
        for (int32_t i = 1; i <= last && g_points[i].hidden >= 0; ++i) {
            const double d = distance2(g_points[i].x, g_points[i].y, g_points[i].z);
            if (d < HUGE_VAL && (!found || d < best)) {
                best = d;
                g_targetZ = g_points[i].z;
                found = true;
            }
        }
    }
    bool station = false;
    if (g_stations && g_stationCount > 0 && g_showRoute) {
        const int32_t last = std::min(g_stationCount, g_stationsBlock.Size() - 1);
        double best = 0;
        for (int32_t i = 1; i <= last; ++i) {
            const double d = distance2(g_stations[i].x, g_stations[i].y, g_stations[i].groundZ);
            if (d < HUGE_VAL && (!station || d < best)) {
                best = d;
                g_targetZ = g_stations[i].groundZ;
                station = true;
            }
        }
    }
    if (found || station || !g_showBackgroundDxf) return;
    if (const DxfElement* elements = g_dxfElementsBlock.Data()) {
        const int32_t last = std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1);
        double best = 1e10;
        for (int32_t i = 1; i <= last; ++i) {
            const double d = distance2(elements[i].x, elements[i].y, elements[i].z);
            if (d < best) {
                best = d;
                g_targetZ = elements[i].z;
            }
        }
    }
}

}  // namespace

void BuildBirdsEyeCamera() {
    const int32_t width = g_bufferMaxX + 1, height = g_bufferMaxY + 1;
    const double longer = std::max(g_bufferMaxX, g_bufferMaxY);
    const double angle = std::atan2(longer, g_focalLength) * 180.0 / M_PI;
    g_fieldOfView = std::clamp(angle, 0.01, 60.0);
    SetRasterFrustum(g_fieldOfView, width, height);

    if (!IsKeyDown(key::kAlt)) FindTargetElevation();

    if (g_birdsEyeAzimuth > M_PI)
        g_birdsEyeAzimuth -= 2 * M_PI;
    else if (g_birdsEyeAzimuth < -M_PI)
        g_birdsEyeAzimuth += 2 * M_PI;
    g_birdsEyeTilt = std::clamp(g_birdsEyeTilt, -M_PI / 2, 0.5);

    Matrix3 c = IDENTITY3X3;
    RotationAboutX(g_birdsEyeTilt, c);
    if (g_rotationAxis == 1) {
        RotationAboutZ(g_birdsEyeAzimuth, c);
        RotationAboutY(g_birdsEyeRoll, c);
    } else {
        RotationAboutZ(g_birdsEyeRoll, c);
        RotationAboutY(g_birdsEyeAzimuth, c);
    }
    std::copy(c.m, c.m + 9, g_cameraMatrixPlain);

    // The eye stands the view's width in metres back from the target, along the view.
    const double w = g_bufferMaxX / g_viewScale;
    g_focalLength = 1.5 * g_bufferMaxX;
    g_nearPlane = 0.2 * w;
    g_eyeX = g_viewCenterX - c[8] * w;
    g_eyeY = g_viewCenterY - c[6] * w;
    g_eyeZ = g_targetZ - c[7] / g_heightScale * w;

    for (int i = 0; i < 9; ++i) g_birdsEyeMatrix[i] = c[i] * (i % 3 == 1 ? g_heightScale : 1.0);
    std::copy(g_birdsEyeMatrix, g_birdsEyeMatrix + 9, g_cameraMatrix);
}

void ProjectBirdsEye() {
    BuildBirdsEyeCamera();
    ProjectRecordsBirdsEye();
}

void ProjectTriangle3D(RasterVertex* first, RasterVertex* second, RasterVertex* third) {
    const double* m = g_cameraMatrix;
    for (RasterVertex* v : {first, second, third}) {
        if (v == nullptr) continue;
        const double east = v->x - g_eyeY, up = v->y - g_eyeZ, north = v->z - g_eyeX;
        v->x = m[0] * east + m[1] * up + m[2] * north;
        v->y = m[3] * east + m[4] * up + m[5] * north;
        v->z = m[6] * east + m[7] * up + m[8] * north;
    }
}

void ClipSegmentNearPlane(RasterVertex& a, RasterVertex& b) { ClipEdge3D(a, b); }
