#pragma once
// A TIN over a square lattice of points: rows x cols nodes `spacing` apart from (north0,
// east0), heights z(north, east), the lattice's ring as the outline. Node (r, c) is point
// r * cols + c + 1.
#include <gtest/gtest.h>

#include <functional>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"

inline void BuildLatticeTin(int rows, int cols, double north0, double east0, double spacing,
                            const std::function<double(double, double)>& z) {
    InitDataModel();
    g_pointCapacity = rows * cols + 100;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    auto node = [cols](int r, int c) { return r * cols + c + 1; };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            RandomPoint p{};
            p.x = north0 + spacing * r;
            p.y = east0 + spacing * c;
            p.z = z(p.x, p.y);
            g_points[++g_pointCount] = p;
        }
    SetPointEndMarker();
    g_pointsPresent = -1;
    g_outline.Reset();
    for (int c = 0; c < cols; ++c) g_outline.Append(node(0, c));
    for (int r = 1; r < rows; ++r) g_outline.Append(node(r, cols - 1));
    for (int c = cols - 2; c >= 0; --c) g_outline.Append(node(rows - 1, c));
    for (int r = rows - 2; r >= 1; --r) g_outline.Append(node(r, 0));
    for (int32_t k = 1; k <= g_outline.Count(); ++k) g_points[g_outline[k]].flags |= kPointFlagOutline;
    g_outline.Close();
    g_tinEdgeCapacity = 4 * rows * cols + 100;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_GT(g_tinEdgeCount, 0);
    g_tinPresent = -1;
}
