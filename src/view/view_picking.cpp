#include "view/view_picking.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "route/route_data.h"
#include "view/back_buffer.h"
#include "view/palette.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"

namespace {
int32_t LastPointRecord() {
    if (!g_points) return 0;
    return std::max(0, std::min(g_pointCount, g_pointsBlock.Size() - 2));
}

bool ValidPoint(int32_t i) { return i >= 1 && i <= LastPointRecord(); }

// The running nearest record of a search.
struct Nearest {
    int64_t column;
    int64_t row;
    int64_t r2;
    int32_t found = 0;

    void Offer(int32_t index, int8_t offScreen, int32_t columnOffset, int32_t rowOffset) {
        if (offScreen != 0) return;
        const int64_t c = int64_t{g_viewportCenterX} + columnOffset;
        const int64_t r = int64_t{g_viewportCenterY} - rowOffset;
        if (!(c > 0 && c < g_bufferMaxX && r > 0 && r < g_bufferMaxY)) return;
        const int64_t d2 = (c - column) * (c - column) + (r - row) * (r - row);
        if (d2 < r2) {
            r2 = d2;
            found = index;
        }
    }
};

void EnsureProjection() {
    if (!g_projectionValid) ProjectAllData(0);
}

// An end of a TIN edge the pick can use: on the screen, not hidden by the depth pass.
bool PickableEnd(const RandomPoint& p) { return p.hidden != 1 && (p.hidden & 2) == 0; }

// The edge-near-cursor search on any plane: a, b and p give the positions of the ends
// and the cursor, box the limit of the between-the-ends test.
template <class Position>
int32_t FindEdge(double px, double py, double box, Position&& position) {
    if (g_tinEdgeCount <= 4 || !g_tinEdges || !g_points) return 0;
    const int32_t last = std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 2);
    double best = 0.8;
    int32_t winner = 0;
    for (int32_t i = 1; i <= last; ++i) {
        const TinEdge& e = g_tinEdges[i];
        if (e.a < 0 || e.b < 0 || !ValidPoint(e.a) || !ValidPoint(e.b)) continue;
        const RandomPoint& a = g_points[e.a];
        const RandomPoint& b = g_points[e.b];
        if (!PickableEnd(a) || !PickableEnd(b)) continue;
        double ax, ay, bx, by;
        position(a, ax, ay);
        position(b, bx, by);
        if ((ax - px) * (bx - px) > box || (ay - py) * (by - py) > box) continue;
        const double ab = std::hypot(bx - ax, by - ay);
        const double pa = std::hypot(ax - px, ay - py);
        const double pb = std::hypot(bx - px, by - py);
        if (!(pa + pb > 0)) continue;
        const double ratio = ab / (pa + pb);
        if (ratio > best) {
            best = ratio;
            winner = i;
        }
    }
    if (winner != 0 && g_tinEdges[winner].apexBack < 0) return 0;
    return winner;
}
}  // namespace

int32_t FindPointAtCursor(int32_t column, int32_t row, int32_t r2) {
    EnsureProjection();
    Nearest n{column, row, r2};
    const int32_t last = LastPointRecord();
    for (int32_t i = 1; i <= last; ++i) {
        const RandomPoint& p = g_points[i];
        n.Offer(i, p.hidden, p.screenX, p.screenY);
    }
    return n.found;
}

int32_t FindIpPointAtCursor(int32_t column, int32_t row, int32_t r2) {
    EnsureProjection();
    Nearest n{column, row, r2};
    const int32_t last = std::min(g_ipPointCount, kMaxIpPoints);
    for (int32_t i = 1; i <= last; ++i) {
        const IpPoint& ip = g_ipPoints[i];
        n.Offer(i, ip.offScreen, ip.screenX, ip.screenY);
    }
    return n.found;
}

int32_t FindMeshNodeAtCursor(int32_t column, int32_t row, int32_t r2) {
    EnsureProjection();
    const MeshNode* nodes = g_meshNodes.Data();
    if (!nodes || g_meshColumns <= 0 || g_meshRows <= 0) return 0;
    const int64_t count =
        std::min<int64_t>(int64_t{g_meshColumns} * g_meshRows, int64_t{g_meshNodes.Size()} - 1);
    Nearest n{column, row, r2};
    for (int32_t i = 1; i <= count; ++i)
        n.Offer(i, nodes[i].offScreen, nodes[i].screenColumn, nodes[i].screenRow);
    return n.found;
}

int32_t FindTinEdgeNearCursor(int32_t column, int32_t row) {
    // Offsets may reach 2^29: the products are taken in double.
    const double cc = static_cast<double>(column) - g_viewportCenterX;
    const double cr = static_cast<double>(g_viewportCenterY) - row;
    return FindEdge(cc, cr, 2500, [](const RandomPoint& p, double& x, double& y) {
        x = p.screenX;
        y = p.screenY;
    });
}

int32_t FindTinEdgeNearWorld(int32_t column, int32_t row) {
    double x, y;
    ClientToGround(column, row, x, y);
    return FindEdge(x, y, 2500 / g_viewScale, [](const RandomPoint& p, double& px, double& py) {
        px = p.x;
        py = p.y;
    });
}

void BuildTriangleIdMap(int32_t* map) {
    constexpr int32_t side = kTriangleIdMapSide;
    std::memset(map, 0, sizeof(int32_t) * side * side);

    const int32_t saved[] = {
        g_clipLeft,        g_clipTop,         g_bufferMaxX,   g_bufferMaxY,    g_innerLeft,
        g_innerTop,        g_innerRight,      g_innerBottom,  g_clipLeftBytes, g_clipRightBytes,
        g_viewportCenterX, g_viewportCenterY, g_canvasClipTop};
    SetPaletteCanvasViewport(0, 0, side - 1, side - 1);
    if (LockBackBuffer() && BackBufferWidth() >= side && BackBufferHeight() >= side) {
        g_rasterColor = 0;
        ClearViewport();
        ProjectAllData(side - 1);
        const int32_t last = LastPointRecord();
        for (int32_t i = 1; i <= last; ++i) {
            g_points[i].screenX += side / 2 - 1;
            g_points[i].screenY += side / 2 - 1;
        }
        if (g_tinPresent && g_tinEdges) {
            const int32_t lastEdge = std::min(g_tinEdgeCount, g_tinEdgesBlock.Size() - 2);
            for (int32_t i = 1; i <= lastEdge; ++i) {
                const TinEdge& e = g_tinEdges[i];
                // Open sides and holes have no triangle of their own on the search side.
                if (!ValidPoint(e.a) || !ValidPoint(e.b) || !ValidPoint(e.apexSearch)) continue;
                const RandomPoint& a = g_points[e.a];
                const RandomPoint& b = g_points[e.b];
                const RandomPoint& c = g_points[e.apexSearch];
                g_rasterColor = static_cast<uint32_t>(i);
                FillTriangle2D(a.screenX, a.screenY, b.screenX, b.screenY, c.screenX, c.screenY);
            }
        }
        for (int32_t r = 0; r < side; ++r)
            for (int32_t c = 0; c < side; ++c)
                map[r * side + c] = static_cast<int32_t>(g_rowTable[r][c]);
    }
    UnlockBackBuffer();

    int32_t* targets[] = {&g_clipLeft,       &g_clipTop,         &g_bufferMaxX,
                          &g_bufferMaxY,     &g_innerLeft,       &g_innerTop,
                          &g_innerRight,     &g_innerBottom,     &g_clipLeftBytes,
                          &g_clipRightBytes, &g_viewportCenterX, &g_viewportCenterY,
                          &g_canvasClipTop};
    for (size_t k = 0; k < std::size(saved); ++k) *targets[k] = saved[k];
}

bool InsideTriangleIdMapFrame(double x, double y) {
    const double k = 971.85 / g_extentSize;
    auto inside = [k](double v, double centre) {
        const double cell = std::trunc(k * (v - centre)) + 511;
        return cell >= 1 && cell <= kTriangleIdMapSide - 2;
    };
    return inside(y, g_extentCenterY) && inside(x, g_extentCenterX);
}

int32_t FindTriangleAtPoint(const int32_t*, double x, double y) {
    // The map's own pixels are too coarse for the answer; its area only bounds the search.
    if (!InsideTriangleIdMapFrame(x, y)) return 0;
    return -GetTinZ(x, y);
}

int32_t MarkPointsInClientRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const int64_t c0 = int64_t{left} - g_viewportCenterX, c1 = int64_t{right} - g_viewportCenterX;
    const int64_t r0 = int64_t{g_viewportCenterY} - bottom, r1 = int64_t{g_viewportCenterY} - top;
    const int64_t columnLow = std::min(c0, c1), columnHigh = std::max(c0, c1);
    const int64_t rowLow = std::min(r0, r1), rowHigh = std::max(r0, r1);
    ProjectAllData(0);
    int32_t selected = 0;
    constexpr uint8_t kCleared = static_cast<uint8_t>(~(kPointFlagPickList2 | kPointFlagRectSelected));
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        RandomPoint& pt = g_points[p];
        pt.flags &= kCleared;
        if (pt.hidden == 0 && pt.screenX > columnLow && pt.screenX < columnHigh && pt.screenY > rowLow &&
            pt.screenY < rowHigh) {
            pt.flags |= kPointFlagRectSelected;
            ++selected;
        }
    }
    return selected;
}
