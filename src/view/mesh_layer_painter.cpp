#include "view/mesh_layer_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "platform/input.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
constexpr int kValidColor = 47;
constexpr int kInvalidColor = 48;
constexpr int kPlanColor = 49;
constexpr int kCutColor = 56;
constexpr int kFillColor = 57;
// A lattice whose axes are this far from perpendicular (|cos|) gets its diagonals drawn.
constexpr double kSkewedLattice = 0.25;

int32_t BufferX(int32_t column) { return static_cast<int32_t>(int64_t{g_viewportCenterX} + column); }
int32_t BufferY(int32_t row) { return static_cast<int32_t>(int64_t{g_viewportCenterY} + row); }

void Segment(int color, int32_t c0, int32_t r0, int32_t c1, int32_t r1) {
    g_lineColor = g_colorTable[color];
    g_lineX0 = BufferX(c0);
    g_lineY0 = BufferY(r0);
    g_lineX1 = BufferX(c1);
    g_lineY1 = BufferY(r1);
    DrawLine();
}

int LineColor(const MeshNode& n) { return n.planSource != 0 ? kPlanColor : kValidColor; }

// Keys of the crossing on the grid line from p to its next node: along a row (row, -column),
// along a column (-row, column).
void GridSegment(const MeshNode& p, const MeshNode& q, bool alongRow) {
    if (p.offScreen != 0 || q.offScreen != 0) return;
    const int32_t rowKey = alongRow ? p.row : -p.row;
    const int32_t columnKey = alongRow ? -p.column : p.column;
    if (p.valid && q.valid) {
        if ((p.planSource != 0) == (q.planSource != 0)) {
            Segment(LineColor(p), p.screenColumn, p.screenRow, q.screenColumn, q.screenRow);
            return;
        }
        const CrossingLookup c = FindPlanCrossing(rowKey, columnKey);
        if (c.entry == 0) {
            Segment(kPlanColor, p.screenColumn, p.screenRow, q.screenColumn, q.screenRow);
            return;
        }
        Segment(LineColor(p), p.screenColumn, p.screenRow, c.screenColumn, c.screenRow);
        Segment(LineColor(q), c.screenColumn, c.screenRow, q.screenColumn, q.screenRow);
    } else if (p.valid || q.valid) {
        const CrossingLookup c = FindOutlineCrossing(rowKey, columnKey);
        if (c.entry == 0) {
            Segment(kInvalidColor, p.screenColumn, p.screenRow, q.screenColumn, q.screenRow);
            return;
        }
        Segment(p.valid ? kValidColor : kInvalidColor, p.screenColumn, p.screenRow, c.screenColumn,
                c.screenRow);
        Segment(q.valid ? kValidColor : kInvalidColor, c.screenColumn, c.screenRow, q.screenColumn,
                q.screenRow);
    } else {
        Segment(kInvalidColor, p.screenColumn, p.screenRow, q.screenColumn, q.screenRow);
    }
}

void Label(double value, int color, int32_t column, int32_t row, int32_t markerSize) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.3lf", value);
    if (n <= 0 || n >= static_cast<int>(sizeof text)) return;
    g_lineColor = g_colorTable[color];
    DrawStrokeText(std::string_view(text, static_cast<size_t>(n)), column - 4 * n, row, markerSize,
                   markerSize * 3 / 4);
}

void DrawGrid(const MeshNode* nodes, int32_t columns, int32_t rows) {
    for (int32_t r = 1; r <= rows; ++r)
        for (int32_t c = 2; c <= columns; ++c)
            GridSegment(nodes[MeshNodeNumber(c - 1, r)], nodes[MeshNodeNumber(c, r)], true);
    for (int32_t c = 1; c <= columns; ++c)
        for (int32_t r = 2; r <= rows; ++r)
            GridSegment(nodes[MeshNodeNumber(c, r - 1)], nodes[MeshNodeNumber(c, r)], false);
}

void DrawDiagonals(const MeshNode* nodes, int32_t columns, int32_t rows) {
    if (columns < 2 || rows < 2) return;
    const MeshNode& n1 = nodes[1];
    const MeshNode& n2 = nodes[2];
    const MeshNode& row2 = nodes[MeshNodeNumber(1, 2)];
    const double ux = n2.x - n1.x, uy = n2.y - n1.y;
    const double vx = row2.x - n1.x, vy = row2.y - n1.y;
    const double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    if (!(lu > 0) || !(lv > 0)) return;
    if (!(std::fabs((ux * vx + uy * vy) / (lu * lv)) > kSkewedLattice)) return;
    auto diagonal = [](const MeshNode& a, const MeshNode& b) {
        if (a.offScreen != 0 || b.offScreen != 0) return;
        Segment(a.valid && b.valid ? kValidColor : kInvalidColor, a.screenColumn, a.screenRow,
                b.screenColumn, b.screenRow);
    };
    for (int32_t j = 2; j <= columns; j += 2)
        for (int32_t k = 1; k < rows; ++k) {
            const MeshNode& a = nodes[MeshNodeNumber(j, k)];
            diagonal(a, nodes[MeshNodeNumber(j - 1, k + 1)]);
            if (j < columns) diagonal(a, nodes[MeshNodeNumber(j + 1, k + 1)]);
        }
}

void DrawNodeLabels(const MeshNode* nodes, int32_t count) {
    for (int32_t i = 1; i <= count; ++i) {
        const MeshNode& n = nodes[i];
        if (g_showMeshElevations && n.offScreen == 0 && n.valid && n.markerSize > 3) {
            const int32_t m = n.markerSize;
            Label(n.z, kValidColor, n.screenColumn, n.screenRow - 9, m);
            if (std::fabs(n.planZ - n.z) > 0.001 && n.planZ != 0)
                Label(n.planZ, kPlanColor, n.screenColumn, n.screenRow + 3, m);
        }
        if (g_meshVolumeDone && g_showMeshVolumes && n.centreOffScreen == 0 && n.centreMarkerSize > 3) {
            const int32_t m = n.centreMarkerSize;
            if (std::fabs(n.cut) > 0.001)
                Label(n.cut, kCutColor, n.centreScreenColumn, n.centreScreenRow + 3, m);
            if (std::fabs(n.fill) > 0.001)
                Label(n.fill, kFillColor, n.centreScreenColumn, n.centreScreenRow - 9, m);
        }
    }
}

// The polyline of entries first .. last + 1 (the entry after last closes it).
void DrawCrossingChain(const OutlineCrossing* e, int32_t first, int32_t last, int color) {
    for (int32_t i = first; i <= last; ++i) {
        const OutlineCrossing& a = e[i];
        const OutlineCrossing& b = e[i + 1];
        if (a.vertexClass == 1 || b.vertexClass == 1 || a.offScreen != 0 || b.offScreen != 0) continue;
        Segment(color, a.screenColumn, a.screenRow, b.screenColumn, b.screenRow);
    }
}

void DrawCrossingLabels(const OutlineCrossing* e, int32_t first, int32_t last, int zColor) {
    for (int32_t i = first; i <= last; ++i) {
        const OutlineCrossing& c = e[i];
        if (c.vertexClass == 1 || c.markerSize <= 3) continue;
        Label(c.z, zColor, c.screenColumn, c.screenRow - 9, c.markerSize);
        if (std::fabs(c.planZ - c.z) > 0.001)
            Label(c.planZ, kPlanColor, c.screenColumn, c.screenRow + 3, c.markerSize);
    }
}
}  // namespace

void DrawMeshLayer() {
    if (!g_meshElevationsDone) return;
    const bool labels = (g_redrawMask & kRedrawTexts) && g_fontLoaded == 1 &&
                        !IsKeyDown(key::kMouseLeft) && !IsKeyDown(key::kMouseRight);

    const MeshNode* nodes = g_meshNodes.Data();
    const int64_t gridNodes = int64_t{g_meshColumns} * g_meshRows;
    // A grid the block does not hold (a failed resize) is not drawn.
    if (nodes && g_meshColumns > 0 && g_meshRows > 0 && gridNodes <= g_meshNodes.Size() - 1) {
        if (g_showMesh) {
            DrawGrid(nodes, g_meshColumns, g_meshRows);
            DrawDiagonals(nodes, g_meshColumns, g_meshRows);
        }
        if (labels && (g_showMeshElevations || g_showMeshVolumes))
            DrawNodeLabels(nodes, static_cast<int32_t>(gridNodes));
    }

    // Each list holds the closing copy after its counted entries.
    const OutlineCrossing* outline = g_outlineCrossings.Data();
    if (outline && g_outlineCrossingCount > 1 && g_outlineCrossingCount + 1 <= g_outlineCrossings.Size() - 1) {
        if (g_showMesh) DrawCrossingChain(outline, 1, g_outlineCrossingCount, kValidColor);
        if (labels && g_showMeshElevations)
            DrawCrossingLabels(outline, 1, g_outlineCrossingCount, kValidColor);
    }

    const OutlineCrossing* plan = g_planCrossings.Data();
    if (plan && g_planCrossingCount > 1) {
        const int32_t lastEntry = std::min(g_planCrossingCount, g_planCrossings.Size() - 1);
        const int32_t lines = std::min(g_planLineCount, kMaxPlanLines);
        for (int32_t k = 1; k <= lines; ++k) {
            const PlanLine& line = g_planLines[k];
            if (line.first < 1 || line.last < line.first || line.last + 1 > lastEntry) continue;
            if (g_showMesh) DrawCrossingChain(plan, line.first, line.last, kPlanColor);
            if (labels && g_showMeshElevations) DrawCrossingLabels(plan, line.first, line.last, kPlanColor);
        }
    }
}

void InstallMeshLayer() { g_painterLayers.meshLayer = DrawMeshLayer; }
