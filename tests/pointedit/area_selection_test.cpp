// Area selection: the lasso's pixel mask (nonzero winding, its own line outside), the
// drag rectangle, the batch lasso's path rule and the nearest-point pick's tie-breaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "model/terrain_data.h"
#include "pointedit/area_selection.h"
#include "platform/input.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {

// Points placed at client pixels (column, row); the view centre is (0, 0) so screen
// offsets are (column, -row).
void SetUpScreen(int32_t width, int32_t height) {
    g_bufferMaxX = width;
    g_bufferMaxY = height;
    g_viewportCenterX = 0;
    g_viewportCenterY = 0;
    g_birdsEyeOn = 0;
}

int32_t AddPointAt(int32_t column, int32_t row, double z = 0.0) {
    EnsurePointCapacity(g_pointCount + 1);
    const int32_t i = ++g_pointCount;
    g_points[i] = RandomPoint{};
    g_points[i].screenX = column;
    g_points[i].screenY = -row;
    g_points[i].z = z;
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

void SetLasso(std::initializer_list<LassoPoint> points) {
    g_lassoPointCount = 0;
    for (const LassoPoint& p : points) AppendLassoPoint(p.x, p.y);
}

bool Selected(int32_t i) { return (g_points[i].flags & POINT_FLAG_AREA_SELECTED) != 0; }

class AreaSelection : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        SetUpScreen(400, 300);
    }
};

TEST_F(AreaSelection, FigureEightSelectsBothLobesAndNotItsLine) {
    // Two squares joined at a crossing: (10,10)-(50,50) and (50,50)-(90,90), drawn as one
    // self-crossing path; each lobe winds once, in opposite senses.
    SetLasso({{10, 10}, {50, 10}, {50, 90}, {90, 90}, {90, 50}, {10, 50}});
    const int32_t lobe1 = AddPointAt(30, 30);
    const int32_t lobe2 = AddPointAt(70, 70);
    const int32_t outsideBoth = AddPointAt(70, 30);
    const int32_t onLine = AddPointAt(30, 10);
    const int32_t onVertical = AddPointAt(50, 70);
    EXPECT_EQ(SelectInsideLasso(), 2);
    EXPECT_TRUE(Selected(lobe1));
    EXPECT_TRUE(Selected(lobe2));
    EXPECT_FALSE(Selected(outsideBoth));
    EXPECT_FALSE(Selected(onLine));
    EXPECT_FALSE(Selected(onVertical));
    EXPECT_TRUE(g_points[lobe1].flags & POINT_FLAG_NEW_SELECTION);
}

// A five-pointed star drawn in one stroke winds twice round its centre: the nonzero rule
// keeps the centre inside (an even-odd fill would leave a hole there).
TEST_F(AreaSelection, StarKeepsItsDoublyWoundCentre) {
    g_lassoPointCount = 0;
    for (int k = 0; k < 5; ++k) {
        const double a = -M_PI / 2 + k * 4 * M_PI / 5;
        AppendLassoPoint(static_cast<int32_t>(std::lround(200 + 100 * std::cos(a))),
                         static_cast<int32_t>(std::lround(150 + 100 * std::sin(a))));
    }
    const int32_t centre = AddPointAt(200, 150);
    const int32_t tip = AddPointAt(200, 70);     // inside the top point, wound once
    const int32_t outside = AddPointAt(130, 70);
    EXPECT_EQ(SelectInsideLasso(), 2);
    EXPECT_TRUE(Selected(centre));
    EXPECT_TRUE(Selected(tip));
    EXPECT_FALSE(Selected(outside));
}

// The scan-line fill against the winding number computed pixel by pixel for random
// self-crossing polygons (pixels within half a pixel of a side are left out: there the
// rounding of the side decides).
TEST_F(AreaSelection, MaskFillMatchesTheWindingNumber) {
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> ux(-20.0, 220.0), uy(-20.0, 170.0);
    for (int polygon = 0; polygon < 10; ++polygon) {
        const int n = 3 + polygon * 3;
        std::vector<double> xs(n), ys(n);
        for (int k = 0; k < n; ++k) {
            xs[k] = std::round(ux(rng));
            ys[k] = std::round(uy(rng));
        }
        PixelMask mask(200, 150);
        mask.FillPolygon(xs, ys);
        int checked = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                int winding = 0;
                bool nearSide = false;
                for (int k = 0; k < n; ++k) {
                    const int j = (k + 1) % n;
                    const double ax = xs[k], ay = ys[k], bx = xs[j], by = ys[j];
                    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
                    const double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
                    const double ex = ax + t * dx - x, ey = ay + t * dy - y;
                    if (ex * ex + ey * ey <= 0.25) nearSide = true;
                    const double cross = dx * (y - ay) - dy * (x - ax);
                    if (ay <= y && by > y && cross > 0) ++winding;
                    if (by <= y && ay > y && cross < 0) --winding;
                }
                if (nearSide) continue;
                ++checked;
                ASSERT_EQ(mask.Get(x, y), winding != 0) << polygon << " at " << x << "," << y;
            }
        EXPECT_GT(checked, 10000);
    }
    // Far-off vertices (a structure far outside the data extent) are clipped, not
    // converted as they are.
    PixelMask mask(64, 64);
    mask.FillPolygon({-1e12, 1e12, 10.0}, {-1e12, -1e12, 1e12});
    EXPECT_TRUE(mask.Get(10, 10));
}

TEST_F(AreaSelection, LassoSkipsFewVerticesSelectedAndUnplacedPoints) {
    const int32_t a = AddPointAt(20, 20);
    SetLasso({{0, 0}, {100, 0}});
    EXPECT_EQ(SelectInsideLasso(), 0);
    SetLasso({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const int32_t hidden = AddPointAt(30, 30);
    g_points[hidden].hidden = 0x04;
    const int32_t before = AddPointAt(40, 40);
    g_points[before].flags = POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
    EXPECT_EQ(SelectInsideLasso(), 1);
    EXPECT_TRUE(Selected(a));
    EXPECT_FALSE(Selected(hidden));
    EXPECT_EQ(g_points[before].flags, POINT_FLAG_AREA_SELECTED) << "selected earlier, not new";
}

TEST_F(AreaSelection, FullLassoTableReplacesOnlyTheLastVertex) {
    g_lassoPointCount = 0;
    for (int32_t k = 0; k < kLassoCapacity; ++k) AppendLassoPoint(k, 0);
    AppendLassoPoint(-5, -6);
    EXPECT_EQ(g_lassoPointCount, kLassoCapacity);
    EXPECT_EQ(g_lassoPoints[kLassoCapacity - 2].x, kLassoCapacity - 2);
    EXPECT_EQ(g_lassoPoints[kLassoCapacity - 1].x, -5);
}

TEST_F(AreaSelection, RectangleBordersAreInside) {
    struct Case { int32_t column, row; };
    const Case cases[] = {{10, 20}, {60, 80}, {10, 80}, {35, 50}};
    for (const Case& c : cases) EXPECT_TRUE(InsideDragRectangle(60, 80, 10, 20, c.column, c.row));
    EXPECT_FALSE(InsideDragRectangle(60, 80, 10, 20, 9, 50));
    EXPECT_FALSE(InsideDragRectangle(60, 80, 10, 20, 35, 81));
}

// The batch lasso evaluates a path only when it is longer than 10 pixels.
TEST_F(AreaSelection, BatchLassoPathOfTenIsNotEvaluatedElevenIs) {
    for (int32_t length : {10, 11}) {
        InitDataModel();
        SetUpScreen(400, 300);
        const int32_t inside = AddPointAt(3, 1);
        int32_t runs = 0;
        SetBatchEditLassoRunner([&] { ++runs; });
        EXPECT_EQ(TrackBatchEditLasso(kViewLButtonDown, kMouseFlagLeft, 0, 0), 1);
        // Right 4, up 4, then back left by 2 or 3: the vertices (0,0), (4,0), (4,4).
        TrackBatchEditLasso(kViewMouseMove, kMouseFlagLeft, 4, 0);
        TrackBatchEditLasso(kViewMouseMove, kMouseFlagLeft, 4, 4);
        TrackBatchEditLasso(kViewMouseMove, kMouseFlagLeft, 4 - (length - 8), 4);
        EXPECT_EQ(g_batchLasso.pathLength, length);
        const int32_t consumed = TrackBatchEditLasso(kViewLButtonUp, 0, 0, 4);
        EXPECT_EQ(consumed, length > 10 ? 1 : 0) << length;
        EXPECT_EQ(runs, length > 10 ? 1 : 0) << length;
        EXPECT_EQ(g_batchLasso.dragState, 0);
        EXPECT_EQ(g_lassoPointCount, 0);
        EXPECT_EQ(Selected(inside), length > 10) << length;
    }
    SetBatchEditLassoRunner(nullptr);
}

TEST_F(AreaSelection, BatchLassoIgnoresCtrl) {
    EXPECT_EQ(TrackBatchEditLasso(kViewLButtonDown, kMouseFlagLeft | kMouseFlagControl, 0, 0), 0);
    EXPECT_EQ(g_batchLasso.dragState, 0);
}

TEST_F(AreaSelection, PickTieBreaks) {
    // Same pixel: the lower point in the plan view, with T = 0 and T = 4.
    const int32_t high = AddPointAt(50, 50, 12.0);
    const int32_t low = AddPointAt(50, 50, 3.0);
    const int32_t high2 = AddPointAt(50, 50, 20.0);
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 0), low);
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 4), low);
    // Equal Z on one pixel: the higher index.
    const int32_t twin = AddPointAt(50, 50, 3.0);
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 0), twin);
    // A nearer point wins over a lower one outside the tie distance.
    InitDataModel();
    SetUpScreen(400, 300);
    const int32_t far = AddPointAt(60, 50, -100.0);
    const int32_t near = AddPointAt(55, 50, 50.0);
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 4), near);
    EXPECT_EQ(PickNearestPoint(50, 50, 5, 4), near) << "the lower one is out of reach";
    EXPECT_EQ(PickNearestPoint(70, 90, 5, 4), 0);
    (void)far;
    (void)high;
    (void)high2;
}

TEST_F(AreaSelection, BirdsEyePickTakesTheNearerToTheEye) {
    g_birdsEyeOn = 1;
    // Camera looking north: depth row (0, 0, 1) on (east, up, north).
    const double camera[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(camera, camera + 9, g_cameraMatrix);
    g_eyeX = -100;
    g_eyeY = 0;
    g_eyeZ = 10;
    const int32_t farther = AddPointAt(50, 50, 0.0);
    g_points[farther].x = 40;
    const int32_t nearer = AddPointAt(50, 50, 100.0);  // higher, but nearer the eye
    g_points[nearer].x = 10;
    const int32_t farthest = AddPointAt(50, 50, -50.0);
    g_points[farthest].x = 90;
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 4), nearer);
    g_birdsEyeOn = 0;
    EXPECT_EQ(PickNearestPoint(50, 50, 30, 4), farthest) << "the plan view takes the lowest";
}

}  // namespace

#include "shell/tool_mode.h"

namespace {

// The view hands the batch edit's lasso its press, moves and release in sub-state 10.
TEST_F(AreaSelection, ViewDrivesTheBatchLasso) {
    const int32_t inside = AddPointAt(60, 40);
    const int32_t outside = AddPointAt(150, 50);
    int32_t runs = 0;
    SetBatchEditLassoRunner([&] {
        ++runs;
        EXPECT_TRUE(g_points[inside].flags & POINT_FLAG_AREA_SELECTED);
    });
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_BATCH + 2;
    OnViewLButtonDown(kMouseFlagLeft, 20, 20, false);
    for (const LassoPoint& p : {LassoPoint{80, 20}, LassoPoint{80, 80}, LassoPoint{20, 80}})
        OnViewMouseMove(kMouseFlagLeft, p.x, p.y);
    OnViewLButtonUp(0, 20, 20, false);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(g_points[outside].flags & POINT_FLAG_AREA_SELECTED);
    EXPECT_EQ(g_batchLasso.dragState, 0);
    g_toolMode = MODE_NONE;
    g_pointEditState = 0;
    g_dragState = 0;
    SetBatchEditLassoRunner(nullptr);
}

}  // namespace
