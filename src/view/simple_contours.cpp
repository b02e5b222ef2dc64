#include "view/simple_contours.h"

#include <cmath>
#include <cstdlib>

#include "contour/contour_dialog.h"
#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/line_3d.h"
#include "view/raster_primitives.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {
// A triangle that would need more levels than this is left out: an interval typed far too
// small for the terrain must not stall the repaint.
constexpr double kMostLevelsPerTriangle = 100000;

bool OnBuffer(const RandomPoint& p) {
    const int64_t c = int64_t{g_viewportCenterX} + p.screenX;
    const int64_t r = int64_t{g_viewportCenterY} + p.screenY;
    return c >= g_clipLeft && c <= g_bufferMaxX && r >= g_clipTop && r <= g_bufferMaxY;
}

const RandomPoint* Corner(int32_t index) {
    const int32_t i = std::abs(index);
    if (index == kNoApex || i < 1 || i > g_pointCount) return nullptr;
    return &g_points[i];
}

void Segment(const double p[2], const double q[2], double level) {
    if (g_birdsEyeOn) {
        DrawLevelLine3D(p[0], p[1], q[0], q[1], level);
        return;
    }
    if (PlanGroundToBuffer(p[0], p[1], &g_lineX0, &g_lineY0) &&
        PlanGroundToBuffer(q[0], q[1], &g_lineX1, &g_lineY1))
        DrawLine();
}
}  // namespace

int32_t SimpleContourCrossings(const double corners[3][3], double level, double out[3][2]) {
    int32_t n = 0;
    for (int k = 0; k < 3; ++k) {
        const double* p = corners[k];
        const double* q = corners[(k + 1) % 3];
        const double dz = q[2] - p[2];
        if (dz == 0) continue;
        const double t = (level - p[2]) / dz;
        if (!(t >= 0 && t <= 1)) continue;
        // The ends themselves where the level meets them, so that a corner is one point.
        if (t == 0) {
            out[n][0] = p[0];
            out[n][1] = p[1];
        } else if (t == 1) {
            out[n][0] = q[0];
            out[n][1] = q[1];
        } else {
            out[n][0] = p[0] + t * (q[0] - p[0]);
            out[n][1] = p[1] + t * (q[1] - p[1]);
        }
        ++n;
    }
    return n;
}

bool IsContourIndexLevel(double level, double interval) {
    if (!(interval > 0)) return false;
    const double q = level / interval;
    const double f = q - std::floor(q);
    return std::fabs(f) < 1e-6 || std::fabs(f - 1) < 1e-6;
}

void DrawSimpleContours(const uint8_t* mask) {
    const double step = g_simpleContourInterval;
    if (!(step > 0) || !g_tinEdges || !g_points) return;
    const uint32_t plain = g_colorTable[kSimpleContourColor];
    const uint32_t index = g_colorTable[kSimpleIndexContourColor];
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (mask && mask[i] == 0) continue;
        const TinEdge& e = g_tinEdges[i];
        const RandomPoint* a = Corner(e.a);
        const RandomPoint* b = Corner(e.b);
        const RandomPoint* c = Corner(e.apexSearch);
        if (!a || !b || !c) continue;
        if (!OnBuffer(*a) && !OnBuffer(*b) && !OnBuffer(*c)) continue;
        const double corners[3][3] = {{a->x, a->y, a->z}, {b->x, b->y, b->z}, {c->x, c->y, c->z}};
        const double zmin = std::fmin(a->z, std::fmin(b->z, c->z));
        const double zmax = std::fmax(a->z, std::fmax(b->z, c->z));
        const double first = std::trunc(zmin / step) * step - step;
        if (!std::isfinite(first) || (zmax - first) / step > kMostLevelsPerTriangle) continue;
        for (int32_t k = 0;; ++k) {
            const double level = first + k * step;
            if (level > zmax) break;
            if (level < zmin) continue;  // cuts no edge
            double at[3][2];
            const int32_t n = SimpleContourCrossings(corners, level, at);
            if (n < 2) continue;
            g_lineColor = IsContourIndexLevel(level, g_simpleContourIndexInterval) ? index : plain;
            if (n == 2) {
                Segment(at[0], at[1], level);
            } else {
                Segment(at[0], at[1], level);
                Segment(at[1], at[2], level);
                Segment(at[2], at[0], level);
            }
        }
    }
}

void InstallSimpleContourLayer() {
    g_painterLayers.simpleContours = [](uint8_t* bytes) { DrawSimpleContours(bytes); };
}
