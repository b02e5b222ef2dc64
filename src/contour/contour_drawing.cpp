#include "contour/contour_drawing.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "contour/contour_files.h"
#include "view/back_buffer.h"
#include "view/line_3d.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {
// Offsets beyond this many pixels are not drawn (nor a segment to them).
constexpr double kFarthest = 1e9;

// The buffer position of column and row offsets; false for offsets too far off to draw
// (or not numbers).
bool ToBuffer(double c, double r, int32_t* column, int32_t* row) {
    if (!(std::fabs(c) <= kFarthest && std::fabs(r) <= kFarthest)) return false;
    *column = g_viewportCenterX + TruncToRaster(c);
    *row = g_viewportCenterY + TruncToRaster(r);
    return true;
}

bool PlanPosition(double x, double y, int32_t* column, int32_t* row) {
    return ToBuffer((y - g_viewCenterY) * g_viewScale, (x - g_viewCenterX) * g_viewScale, column,
                    row);
}

bool IsIndexLevel(double level) {
    if (!(g_indexContourInterval > 0)) return false;
    const double q = level / g_indexContourInterval;
    const double f = q - std::floor(q);
    return std::fabs(f) < 1e-6 || std::fabs(f - 1) < 1e-6;
}
}  // namespace

void DrawDrawingContours() {
    std::FILE* file = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!file) return;
    std::vector<double> xs, ys;
    ContourRecord header;
    while (ReadContourRecord(file, &header)) {
        if (!(header.b >= 1 && header.b <= kContourPieceMaxVertices)) break;
        g_lineColor = g_colorTable[IsIndexLevel(header.a) ? 51 : 50];
        const int32_t count = static_cast<int32_t>(header.b);
        xs.resize(count);
        ys.resize(count);
        int32_t got = 0;
        ContourRecord v;
        while (got < count && ReadContourRecord(file, &v)) {
            xs[got] = v.a;
            ys[got] = v.b;
            ++got;
        }
        for (int32_t i = 0; i + 1 < got; ++i) {
            if (g_birdsEyeOn) {
                DrawLevelLine3D(xs[i], ys[i], xs[i + 1], ys[i + 1], header.a);
            } else if (PlanPosition(xs[i], ys[i], &g_lineX0, &g_lineY0) &&
                       PlanPosition(xs[i + 1], ys[i + 1], &g_lineX1, &g_lineY1)) {
                DrawLine();
            }
        }
        if (got < count) break;
    }
    std::fclose(file);
}

void InstallContourLayer() { g_painterLayers.drawingContours = DrawDrawingContours; }
