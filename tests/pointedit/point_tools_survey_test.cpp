// The add tool on a real survey (the Jacksboro grid with its TIN): points clicked with the
// TIN-elevation method take the elevation of the triangle under them, as the test's own
// barycentric interpolation over the triangle it finds computes it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "../support/jacksboro_grid.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_tools.h"
#include "shell/tool_mode.h"
#include "view/color_band_params.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

using namespace jacksboro_grid;

void LoadGridWithTin() {
    LoadWithTin();
    g_tinPresent = -1;
}

// The elevation at (x, y) of the first triangle that holds it, by barycentric weights;
// false when none does.
bool BarycentricZ(double x, double y, double& z) {
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& t = g_tinEdges[e];
        if (t.apexSearch == 0 || t.apexSearch == kNoApex) continue;
        const RandomPoint& a = g_points[std::abs(t.a)];
        const RandomPoint& b = g_points[std::abs(t.b)];
        const RandomPoint& c = g_points[std::abs(t.apexSearch)];
        const double d = (b.y - c.y) * (a.x - c.x) + (c.x - b.x) * (a.y - c.y);
        if (d == 0) continue;
        const double wa = ((b.y - c.y) * (x - c.x) + (c.x - b.x) * (y - c.y)) / d;
        const double wb = ((c.y - a.y) * (x - c.x) + (a.x - c.x) * (y - c.y)) / d;
        const double wc = 1 - wa - wb;
        if (wa < -1e-12 || wb < -1e-12 || wc < -1e-12) continue;
        z = wa * a.z + wb * b.z + wc * c.z;
        return true;
    }
    return false;
}

TEST(PointToolsSurvey, TinElevationClicksTakeTheTrianglesPlane) {
    LoadGridWithTin();
    // A plan view of 801 x 601 pixels at 1 pixel a metre over the survey's middle.
    g_bufferMaxX = 800;
    g_bufferMaxY = 600;
    g_viewportCenterX = 400;
    g_viewportCenterY = 300;
    g_viewScale = 1;
    g_viewCenterX = g_points[Node(kRows / 2, kColumns / 2)].x;
    g_viewCenterY = g_points[Node(kRows / 2, kColumns / 2)].y;
    g_birdsEyeOn = 0;
    g_heightScale = 1;
    g_projectionValid = 0;
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_ADD;
    g_newPointMethod = 2;
    g_newPointInvalid = 1;
    g_pointSnapMode = 0;
    g_pickList2.Reset();

    const int32_t before = g_pointCount;
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> column(50, 750), row(50, 550);
    int added = 0;
    for (int k = 0; k < 40 && added < 20; ++k) {
        const int x = column(rng), y = row(rng);
        const int32_t count = g_pointCount;
        OnClickAddPoint(0, x, y);
        if (g_pointCount == count) continue;  // on a point: not an addition
        ++added;
        const RandomPoint& p = g_points[g_pointCount];
        double want = 0;
        ASSERT_TRUE(BarycentricZ(p.x, p.y, want)) << p.x << " " << p.y;
        EXPECT_NEAR(p.z, want, 1e-6) << k;
        EXPECT_EQ(p.invalid, 1);
        g_projectionValid = 0;  // as the repaint after an addition
    }
    EXPECT_EQ(added, 20);
    EXPECT_EQ(g_pointCount, before + 20);
    EXPECT_EQ(g_pickList2.Count(), 20);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    ReleaseDataModel();
}

}  // namespace
