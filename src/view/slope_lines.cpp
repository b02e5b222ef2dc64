#include "view/slope_lines.h"

#include <cmath>
#include <cstdlib>

#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/display_layers_settings.h"
#include "view/line_3d.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_helpers.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951;

const RandomPoint* Corner(int32_t index) {
    const int32_t i = std::abs(index);
    if (index == kNoApex || i < 1 || i > g_pointCount) return nullptr;
    return &g_points[i];
}

// Within a window ten view widths wide around the view (offsets compared, not positions).
bool NearView(const RandomPoint& p) {
    const int64_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    return p.screenX >= g_clipLeft - 10 * cx && p.screenX <= g_bufferMaxX + 10 * cx &&
           p.screenY >= g_clipTop - 10 * cy && p.screenY <= g_bufferMaxY + 10 * cy;
}

void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    g_lineX0 = x0;
    g_lineY0 = y0;
    g_lineX1 = x1;
    g_lineY1 = y1;
    DrawLine();
}

// The line (x0, y0) - (x1, y1) in buffer pixels with its label and, at (x1, y1), the
// arrow head along the unit vector (ex, ey): 10-pixel strokes at 20 degrees to the line.
void DrawArrow(int32_t x0, int32_t y0, int32_t x1, int32_t y1, double ex, double ey,
               double slope, int32_t bits, int32_t decimals) {
    Line(x0, y0, x1, y1);
    if (SlopeLabelsWanted(bits)) {
        SetStrokeTextDirection(x1 - x0, y1 - y0);
        const std::string text = SlopeLabelText(slope, bits, decimals);
        const int64_t mx = (int64_t{x0} + x1) >> 1, my = (int64_t{y0} + y1) >> 1;
        DrawStrokeTextRotated(text, static_cast<int32_t>(mx), static_cast<int32_t>(my));
    }
    const double ax = -9.3969 * ex + 3.4202 * ey, ay = -9.3969 * ey - 3.4202 * ex;
    const double bx = -9.3969 * ex - 3.4202 * ey, by = -9.3969 * ey + 3.4202 * ex;
    Line(x1, y1, TruncToRaster(x1 + ax), TruncToRaster(y1 + ay));
    Line(x1, y1, TruncToRaster(x1 + bx), TruncToRaster(y1 + by));
}
}  // namespace

bool ComputeSlopeArrow(const double corners[3][3], double gentleAngle, double steepAngle,
                       SlopeArrow* arrow) {
    const double* a = corners[0];
    const double* b = corners[1];
    const double* c = corners[2];
    const double gentle = -std::tan(gentleAngle * kDegToRad);
    const double steep = -std::tan(steepAngle * kDegToRad);
    double g[3];
    for (int k = 0; k < 3; ++k) g[k] = (a[k] + b[k] + c[k]) / 3;
    const double d1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double d2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double nx = d1[1] * d2[2] - d1[2] * d2[1];
    const double ny = d1[2] * d2[0] - d1[0] * d2[2];
    const double nz = d1[0] * d2[1] - d1[1] * d2[0];
    const double l2 = nx * nx + ny * ny;
    if (!(l2 > 1e-8)) return false;
    const double l = std::sqrt(l2);
    const double slope = l / nz;
    if (!(slope <= gentle)) return false;
    const double ux = nx / l, uy = ny / l;  // uphill, (north, east)
    int missing = 0;
    bool haveUp = false, haveDown = false;
    double tUp = 0, tDown = 0;
    for (int k = 0; k < 3; ++k) {
        const double* p = corners[k];
        const double* q = corners[(k + 1) % 3];
        const double ex = q[0] - p[0], ey = q[1] - p[1];
        const double across = ux * ey - uy * ex;
        if (std::fabs(across) <= 1e-12 * std::hypot(ex, ey)) {
            ++missing;
            continue;
        }
        const double t = ((p[0] - g[0]) * ey - (p[1] - g[1]) * ex) / across;
        if (t >= 0) {
            if (!haveUp || t < tUp) tUp = t;
            haveUp = true;
        } else {
            if (!haveDown || t > tDown) tDown = t;
            haveDown = true;
        }
    }
    if (missing >= 2) return false;
    const double up[3] = {g[0] + tUp * ux, g[1] + tUp * uy, g[2] - tUp * slope};
    const double down[3] = {g[0] + tDown * ux, g[1] + tDown * uy, g[2] - tDown * slope};
    for (int k = 0; k < 3; ++k) {
        arrow->up[k] = 0.9 * up[k] + 0.1 * down[k];
        arrow->down[k] = 0.9 * down[k] + 0.1 * up[k];
    }
    arrow->slope = slope;
    arrow->colorIndex = slope < steep ? kSteepSlopeLineColor : kSlopeLineColor;
    return true;
}

std::string SlopeLabelText(double slope, int32_t bits, int32_t decimals) {
    const bool percent = (bits & kSlopeLabelsPercent) != 0;
    const double value = percent ? -slope * 100 : std::atan(-slope) * kRadToDeg;
    char text[64];
    const int32_t n = FormatFixed(value, decimals, text, sizeof text);
    std::string out(text, static_cast<size_t>(n > 0 ? n : 0));
    if (percent && (bits & kSlopeLabelsPercentSign)) out += '%';
    return out;
}

void DrawSlopeLines(const uint8_t* mask) {
    if (!g_tinEdges || !g_points) return;
    SetStrokeTextSize(10, 6, 8);
    const ColorBandParams& p = g_colorBandParams;
    const int32_t bits = g_showSlopeLines;
    const int32_t decimals = p.slopeLineSetting;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (mask && mask[i] == 0) continue;
        const TinEdge& e = g_tinEdges[i];
        const RandomPoint* a = Corner(e.a);
        const RandomPoint* b = Corner(e.b);
        const RandomPoint* c = Corner(e.apexSearch);
        if (!a || !b || !c) continue;
        if (!NearView(*a) && !NearView(*b) && !NearView(*c)) continue;
        const double corners[3][3] = {{a->x, a->y, a->z}, {b->x, b->y, b->z}, {c->x, c->y, c->z}};
        SlopeArrow arrow;
        if (!ComputeSlopeArrow(corners, p.gentleSlope, p.steepSlope, &arrow)) continue;
        g_lineColor = g_colorTable[arrow.colorIndex];
        if (!g_birdsEyeOn) {
            const double dn = arrow.down[0] - arrow.up[0], de = arrow.down[1] - arrow.up[1];
            const double ground2 = dn * dn + de * de;
            if (!(ground2 * g_viewScale * g_viewScale > 144)) continue;
            int32_t x0, y0, x1, y1;
            if (!PlanGroundToBuffer(arrow.up[0], arrow.up[1], &x0, &y0) ||
                !PlanGroundToBuffer(arrow.down[0], arrow.down[1], &x1, &y1))
                continue;
            const double len = std::sqrt(ground2);
            DrawArrow(x0, y0, x1, y1, de / len, dn / len, arrow.slope, bits, decimals);
            continue;
        }
        if (int64_t{a->multiUse} + b->multiUse + c->multiUse < 12) continue;
        int32_t x0, y0, x1, y1;
        if (!ProjectGround3D(arrow.up[0], arrow.up[1], arrow.up[2], &x0, &y0) ||
            !ProjectGround3D(arrow.down[0], arrow.down[1], arrow.down[2], &x1, &y1))
            continue;
        const double sx = static_cast<double>(x1) - x0, sy = static_cast<double>(y1) - y0;
        const double s2 = sx * sx + sy * sy;
        if (!(s2 > 64)) continue;
        const double len = std::sqrt(s2);
        DrawArrow(x0, y0, x1, y1, sx / len, sy / len, arrow.slope, bits, decimals);
    }
}

void InstallSlopeLineLayer() {
    g_painterLayers.slopeLines = [](uint8_t* bytes) { DrawSlopeLines(bytes); };
}
