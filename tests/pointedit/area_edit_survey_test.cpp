// The area edits on a real survey (the Jacksboro grid with its TIN): invalidating a sphere
// and deleting the invalid points keeps every TIN edge on the same ground; a block left
// unlocked turns and tilts as the test's own matrix says while the rest stays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "../support/jacksboro_grid.h"
#include "../support/tin_edge_ends.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "pointedit/area_selection.h"
#include "pointedit/move_rotate.h"
#include "pointedit/valid_area_edit.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {

using namespace jacksboro_grid;

// Plan screen positions, every point placed (the view centre at the data's middle).
void PlaceOnScreen(double scale) {
    g_viewportCenterX = 0;
    g_viewportCenterY = 0;
    g_bufferMaxX = 2000;
    g_bufferMaxY = 2000;
    g_birdsEyeOn = 0;
    g_viewScale = scale;
    g_viewCenterX = g_points[Node(kRows / 2, kColumns / 2)].x;
    g_viewCenterY = g_points[Node(kRows / 2, kColumns / 2)].y;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        p.screenX = static_cast<int32_t>(std::floor((p.y - g_viewCenterY) * scale));
        p.screenY = static_cast<int32_t>(std::floor((p.x - g_viewCenterX) * scale));
        p.hidden = 0;
    }
}

TEST(AreaEditSurvey, SphereInvalidatedAndDeletedKeepsTheTinOnItsGround) {
    ASSERT_TRUE(Load());
    BuildTin();
    // Extra points that no TIN edge uses, spread over the grid.
    std::mt19937_64 rng(3);
    const RandomPoint& low = g_points[Node(0, 0)];
    const RandomPoint& high = g_points[Node(kRows - 1, kColumns - 1)];
    std::uniform_real_distribution<double> ux(std::min(low.x, high.x), std::max(low.x, high.x));
    std::uniform_real_distribution<double> uy(std::min(low.y, high.y), std::max(low.y, high.y));
    const int32_t gridCount = g_pointCount;
    for (int k = 0; k < 3000; ++k) {
        EnsurePointCapacity(g_pointCount + 1);
        RandomPoint& p = g_points[++g_pointCount];
        p = g_points[Node(kRows / 2, kColumns / 2)];
        p.x = ux(rng);
        p.y = uy(rng);
        p.flags = 0;
        SetPointEndMarker();
    }
    const std::vector<EdgeEnds> before = TinEdgeEnds();
    PlaceOnScreen(1.0);  // grid nodes 74 pixels apart: the click picks the centre node

    CValidAreaEditDlg dlg;
    dlg.SetSphereMode(true);
    const double radius = 1500.0;
    dlg.RadiusLeft(radius);
    const RandomPoint centre = g_points[Node(kRows / 2, kColumns / 2)];
    const int32_t cx = PointClientColumn(centre), cy = PointClientRow(centre);
    dlg.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, cx, cy);
    dlg.OnViewMouse(kViewLButtonUp, 0, cx, cy);
    ASSERT_TRUE(dlg.HasPick());
    dlg.SetValidity(-1);
    dlg.OnApply();

    int32_t unusedInvalid = 0, invalid = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const double d = std::sqrt((p.x - centre.x) * (p.x - centre.x) +
                                   (p.y - centre.y) * (p.y - centre.y) +
                                   (p.z - centre.z) * (p.z - centre.z));
        const bool shouldBe = d <= radius && !(p.flags & POINT_FLAG_OUTLINE_VERTEX);
        ASSERT_EQ(p.invalid != 0, shouldBe) << i;
        invalid += p.invalid != 0;
        if (p.invalid != 0 && i > gridCount) ++unusedInvalid;
    }
    ASSERT_GT(unusedInvalid, 10);
    ASSERT_GT(invalid - unusedInvalid, 1000);
    const int32_t count = g_pointCount;
    dlg.OnDeleteInvalid();
    EXPECT_EQ(g_pointCount, count - unusedInvalid);
    const std::vector<EdgeEnds> after = TinEdgeEnds();
    ASSERT_NO_FATAL_FAILURE(AssertSameEdgeEnds(before, after));
}

TEST(AreaEditSurvey, UnlockedBlockTurnsAndTiltsAsTheMatrixSays) {
    ASSERT_TRUE(Load());
    PlaceOnScreen(0.05);
    // The block: rows 100..139, columns 200..259.
    auto inBlock = [](int32_t i) {
        const int32_t r = (i - 1) / kColumns, c = (i - 1) % kColumns;
        return r >= 100 && r < 140 && c >= 200 && c < 260;
    };
    std::vector<RandomPoint> original(g_points + 1, g_points + g_pointCount + 1);
    {
        CValidAreaEditDlg locks;
        // Lock everything (one rectangle over the whole screen), then unlock the block.
        locks.OnViewMouse(kViewLButtonDown, kMouseFlagLeft, -3000, -3000);
        locks.OnViewMouse(kViewMouseMove, kMouseFlagLeft, 3000, 3000);
        locks.OnViewMouse(kViewLButtonUp, 0, 3000, 3000);
        locks.SetLockAction(1);
        locks.OnApply();
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (inBlock(i)) g_points[i].flags |= POINT_FLAG_AREA_SELECTED;
        locks.SetLockAction(-1);
        locks.OnApply();

        CMoveRotateDlg move;
        const int32_t base = Node(120, 230);
        move.SetBasePoint(base);
        move.SetPending(12.0, -7.0, 3.5, 33.0, 8.0, 210.0);
        move.OnCommit();
        // G = Tilt(210°, 8°) · Turn(33°) on (east, up, north), by Rodrigues.
        auto rodrigues = [](const double k[3], double degrees, const double v[3], double out[3]) {
            const double t = degrees * M_PI / 180.0, c = std::cos(t), s = std::sin(t);
            const double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
            const double cross[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2],
                                     k[0] * v[1] - k[1] * v[0]};
            for (int i = 0; i < 3; ++i) out[i] = v[i] * c + cross[i] * s + k[i] * dot * (1 - c);
        };
        const double up[3] = {0, 1, 0};
        const double dirRad = 210.0 * M_PI / 180.0;
        const double across[3] = {-std::cos(dirRad), 0, std::sin(dirRad)};
        const RandomPoint& b = original[base - 1];
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            const RandomPoint& p0 = original[i - 1];
            const RandomPoint& p = g_points[i];
            if (!inBlock(i)) {
                ASSERT_EQ(p.x, p0.x) << i;
                ASSERT_EQ(p.z, p0.z) << i;
                continue;
            }
            const double d[3] = {p0.y - b.y, p0.z - b.z, p0.x - b.x};
            double turned[3], tilted[3];
            rodrigues(up, 33.0, d, turned);
            rodrigues(across, 8.0, turned, tilted);
            ASSERT_NEAR(p.y, b.y + tilted[0] - 7.0, 1e-9) << i;
            ASSERT_NEAR(p.z, b.z + tilted[1] + 3.5, 1e-9) << i;
            ASSERT_NEAR(p.x, b.x + tilted[2] + 12.0, 1e-9) << i;
        }
    }
    for (int32_t i = 1; i <= g_pointCount; ++i)
        ASSERT_FALSE(PointChangeLocked(g_points[i])) << "closing the dialog unlocks " << i;
}

}  // namespace
