#include "view/view_transform.h"

#include <cmath>
#include <cstring>

#include "dxf/dxf_store.h"
#include "platform/input.h"
#include "route/route_data.h"
#include "view_fixture.h"
#include "volume/mesh_data.h"

namespace {
using ViewTransform = ViewTest;
}  // namespace

TEST_F(ViewTransform, GroundToScreenAndBackWithinAPixel) {
    struct Case {
        double scale, centerX, centerY, x, y;
    };
    const Case cases[] = {
        {1, 0, 0, 12.3, -45.6},
        {25.6, 100, 200, 103.37, 187.91},
        {0.01, -123456.789, 45678.123, -120000.5, 47000.25},
        {512, 3.5, -7.25, 3.5001, -7.2501},
        {4.2666, 1e5, 2e5, 1e5 - 70, 2e5 + 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        InitDataModel();
        g_viewScale = c.scale;
        g_viewCenterX = c.centerX;
        g_viewCenterY = c.centerY;
        const int32_t i = AddPoint(c.x, c.y, 0);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 0)
                ProjectRecord(g_points[i]);
            else
                ProjectAllData(0);
            // Window (mouse) pixel of the point, and back to the ground.
            const int32_t column = g_viewportCenterX + g_points[i].screenX;
            const int32_t row = g_viewportCenterY - g_points[i].screenY;
            double x, y;
            ClientToGround(column, row, x, y);
            EXPECT_LT(std::abs(x - c.x), 1 / c.scale) << "pass " << pass;
            EXPECT_LT(std::abs(y - c.y), 1 / c.scale) << "pass " << pass;
        }
    }
}

TEST_F(ViewTransform, OverallViewOfAHundredMetres) {
    AddPoint(1000, 2000, 10);
    AddPoint(1100, 2050, 20);
    AddPoint(1030, 2080, 60);
    g_birdsEyeOn = 1;
    ComputeDataExtents(0);
    EXPECT_DOUBLE_EQ(g_extentSize, 120);
    EXPECT_DOUBLE_EQ(g_viewScale, 512.0 / 120);
    EXPECT_DOUBLE_EQ(g_extentCenterX, 1050);
    EXPECT_DOUBLE_EQ(g_extentCenterY, 2040);
    EXPECT_DOUBLE_EQ(g_extentCenterZ, 35);
    EXPECT_EQ(g_viewCenterX, g_extentCenterX);
    EXPECT_EQ(g_viewCenterY, g_extentCenterY);
    EXPECT_EQ(g_dataBaseZ, 10);
    EXPECT_EQ(g_birdsEyeOn, 0);

    // The point at the extent centre lands on the viewport centre.
    const int32_t centre = AddPoint(1050, 2040, 0);
    ProjectAllData(0);
    EXPECT_EQ(g_points[centre].screenX, 0);
    EXPECT_EQ(g_points[centre].screenY, 0);

    // The colour bands follow the elevation range.
    const ColorBandParams& b = g_colorBandParams;
    EXPECT_EQ(b.dataHighest, 60);
    EXPECT_EQ(b.dataLowest, 10);
    EXPECT_EQ(b.highest, 60);
    EXPECT_EQ(b.lowest, 10);
    EXPECT_EQ(b.centre, 35);
    EXPECT_EQ(b.waterLevel, 35);
    EXPECT_EQ(b.refX, 1050);
    EXPECT_EQ(b.refY, 2040);
    EXPECT_EQ(b.refH, 35);
    EXPECT_EQ(g_colorBandParamsCopy.centre, 35);
    EXPECT_EQ(g_colorBandParamsCopy.waterLevel, 0);  // the copy is taken before the level
}

TEST_F(ViewTransform, ExtentSizeCases) {
    struct Case {
        const char* what;
        double x1, y1, z1, x2, y2, z2;
        double size;
    };
    const Case cases[] = {
        {"one point", 5, 5, 5, 5, 5, 5, 1.0},
        {"below a millimetre", 5, 5, 5, 5.0001, 5, 5, 1.0},
        {"elevation is the largest side", 0, 0, 0, 10, 10, 500, 600},
        {"east is the largest side", 0, 0, 0, 10, -40, 1, 48},
    };
    for (const Case& c : cases) {
        InitDataModel();
        AddPoint(c.x1, c.y1, c.z1);
        if (c.x1 != c.x2 || c.y1 != c.y2 || c.z1 != c.z2) AddPoint(c.x2, c.y2, c.z2);
        ComputeDataExtents(0);
        EXPECT_DOUBLE_EQ(g_extentSize, c.size) << c.what;
        EXPECT_DOUBLE_EQ(g_viewScale, 512 / c.size) << c.what;
    }
}

TEST_F(ViewTransform, WhichPointsTheExtentsTake) {
    struct Case {
        int32_t mode;
        int32_t outlineEntries;
        double size;
    };
    // Points at X 0, 10, 100 (invalid) and 1000 (outside the outline).
    const Case cases[] = {
        {0, 0, 1200},
        {1, 0, 12},    // valid points inside the outline only
        {2, 2, 108},   // the outline vertices (points 2 and 3)
        {2, 1, 1200},  // an outline of one entry: all points
    };
    for (const Case& c : cases) {
        InitDataModel();
        AddPoint(0, 0, 0);
        AddPoint(10, 0, 0);
        g_points[AddPoint(100, 0, 0)].invalid = 1;
        g_points[AddPoint(1000, 0, 0)].outside = 1;
        g_outline[0] = c.outlineEntries;
        g_outline[1] = 2;
        g_outline[2] = 3;
        g_overviewExtent = c.mode;
        ComputeDataExtents(0);
        EXPECT_DOUBLE_EQ(g_extentSize, c.size)
            << "mode " << c.mode << ", entries " << c.outlineEntries;
    }
}

TEST_F(ViewTransform, RoutesStationsAndVectorsCount) {
    g_ipPointCount = 1;
    g_ipPoints[1].x = 0;
    g_ipPoints[1].y = 0;
    ASSERT_EQ(GrowStationBlock(5), 0);
    g_stationCount = 1;
    g_stations[1].x = 5;
    g_stations[1].leftX = 5;
    g_stations[1].leftY = -30;  // the stakes count
    ASSERT_EQ(GrowOtherRouteStationBlock(5), 0);
    g_otherRouteStationCount = 2;
    g_otherRouteStations[1].kind = kRouteSeparator;
    g_otherRouteStations[1].x = 1e6;  // separators do not count
    g_otherRouteStations[2].x = 50;
    g_otherRouteIpCount = 1;
    g_otherRouteIps[1].number = kRouteSeparator;
    g_otherRouteIps[1].x = -1e6;
    g_dxfElementCount = 1;
    g_dxfElementsBlock.Data()[1].x = -50;
    ComputeDataExtents(0);
    // X -50 .. 50, Y -30 .. 0, Z 0.
    EXPECT_DOUBLE_EQ(g_extentSize, 120);
    EXPECT_DOUBLE_EQ(g_extentCenterX, 0);
    EXPECT_DOUBLE_EQ(g_extentCenterY, -15);
    EXPECT_DOUBLE_EQ(g_extentCenterZ, 0);
}

TEST_F(ViewTransform, TheMeshAreaCountsWithItsNodeElevations) {
    g_meshAreaDefined = 1;
    g_meshOriginX = 100;
    g_meshOriginY = 100;
    g_meshRotation = 90;  // the length axis points west
    g_meshLength = 50;
    g_meshWidth = 20;
    ComputeDataExtents(0);
    EXPECT_NEAR(g_extentCenterX, 110, 1e-9);
    EXPECT_NEAR(g_extentCenterY, 75, 1e-9);
    EXPECT_NEAR(g_extentSize, 60, 1e-9);

    // Without random points the elevations restart from node 1, not from 0.
    g_meshElevationsDone = 1;
    g_meshNodeCount = 2;
    ASSERT_EQ(GrowMeshNodeBlock(3), 0);
    g_meshNodes.Data()[1].z = 105;
    g_meshNodes.Data()[2].z = 115;
    ComputeDataExtents(0);
    EXPECT_NEAR(g_extentCenterZ, 110, 1e-9);
    EXPECT_EQ(g_colorBandParams.dataLowest, 105);
}

TEST_F(ViewTransform, TheTinGivesTheElevationRange) {
    for (int k = 0; k < 5; ++k) AddPoint(k, k, k * 25);  // Z 0 .. 100
    g_tinEdgeCount = 3;
    g_tinEdges[1] = {2, 3, kNoApex, 4, 0};  // end points A: Z 25, 50, 75
    g_tinEdges[2] = {-3, 4, kNoApex, -2, 0};
    g_tinEdges[3] = {4, 2, kNoApex, 3, 0};
    ComputeDataExtents(0);
    EXPECT_EQ(g_colorBandParams.dataLowest, 25);
    EXPECT_EQ(g_colorBandParams.dataHighest, 75);
    EXPECT_EQ(g_colorBandParams.centre, 50);
    EXPECT_EQ(g_dataBaseZ, 0);  // the box itself keeps the points' range
    EXPECT_DOUBLE_EQ(g_extentSize, 120);

    g_tinEdgeCount = 2;  // two records are not enough
    ComputeDataExtents(0);
    EXPECT_EQ(g_colorBandParams.dataHighest, 100);
}

TEST_F(ViewTransform, RefittingKeepsTheView) {
    AddPoint(0, 0, 0);
    AddPoint(10, 10, 10);
    ComputeDataExtents(0);
    g_viewCenterX = 77;
    g_viewScale = 3;
    g_birdsEyeOn = 1;
    g_colorBandParams.centre = 999;
    g_colorBandParams.waterLevel = 4;
    AddPoint(100, 0, 50);
    ComputeDataExtents(1);
    EXPECT_DOUBLE_EQ(g_extentSize, 120);
    EXPECT_EQ(g_viewCenterX, 77);
    EXPECT_EQ(g_viewScale, 3);
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_EQ(g_colorBandParams.centre, 999);
    EXPECT_EQ(g_colorBandParams.waterLevel, 4);  // inside the range: kept
    EXPECT_EQ(g_colorBandParams.dataHighest, 50);

    g_colorBandParams.waterLevel = 80;  // outside the range: to the middle
    ComputeDataExtents(1);
    EXPECT_EQ(g_colorBandParams.waterLevel, 25);
}

TEST_F(ViewTransform, NoDataChangesNothing) {
    g_extentSize = 77;
    g_viewScale = 5;
    ComputeDataExtents(0);
    EXPECT_EQ(g_extentSize, 77);
    EXPECT_EQ(g_viewScale, 5);
    // Only invalid points with the valid-points extent: nothing to take either.
    g_points[AddPoint(1, 1, 1)].invalid = 1;
    g_overviewExtent = 1;
    ComputeDataExtents(0);
    EXPECT_EQ(g_extentSize, 77);
}

TEST_F(ViewTransform, APointOutsideTheExtentsRefitsThem) {
    AddPoint(0, 0, 5);
    AddPoint(100, 100, 5);
    ComputeDataExtents(0);  // centre (50, 50), size 120: half side 50
    const double scale = g_viewScale;
    g_pointZMin = g_pointZMax = 5;
    g_overviewExtent = 1;

    IncludePointInExtents(AddPoint(99, 1, 2));
    EXPECT_EQ(g_redrawMask, 0);
    EXPECT_EQ(g_overviewExtent, 1);
    EXPECT_DOUBLE_EQ(g_extentSize, 120);
    EXPECT_EQ(g_pointZMin, 2);

    IncludePointInExtents(AddPoint(50, 101, 9));
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(g_overviewExtent, 0);
    EXPECT_DOUBLE_EQ(g_extentCenterY, 50.5);
    EXPECT_DOUBLE_EQ(g_extentSize, 121.2);
    EXPECT_EQ(g_viewScale, scale);  // a refit, not a new view
    EXPECT_EQ(g_pointZMax, 9);
}

TEST_F(ViewTransform, PanningBringsTheTargetToTheCentre) {
    g_viewScale = 4;
    g_viewCenterX = 1000;
    g_viewCenterY = 2000;
    const int32_t column = 523, row = 111;
    double x, y;
    ClientToGround(column, row, x, y);
    PanByPixels(g_viewportCenterX - column, g_viewportCenterY - row);
    EXPECT_DOUBLE_EQ(g_viewCenterX, x);
    EXPECT_DOUBLE_EQ(g_viewCenterY, y);

    // Bird's-eye, looking east: a drag to the left moves the centre north.
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = M_PI / 2;
    PanByPixels(8, 0);
    EXPECT_NEAR(g_viewCenterX, x - 2, 1e-9);
    EXPECT_NEAR(g_viewCenterY, y, 1e-9);
}

TEST_F(ViewTransform, ArrowKeys) {
    int repaints = 0;
    SetViewRepaintHandler([&] { ++repaints; });
    g_viewScale = 2;  // step 0.1 m per pixel of the view
    struct Case {
        bool birdsEye, shift;
        int32_t dx, dy;
        double wantX, wantY, wantAzimuth, wantTilt;
    };
    const double r = g_rotateStep;
    const Case cases[] = {
        {false, false, 1, 0, 0, 80, 0, -0.2},
        {false, false, 0, -1, -60, 0, 0, -0.2},
        {false, true, 1, 1, 6, 8, 0, -0.2},  // a tenth with Shift
        {true, false, 1, 0, 0, 40, 0, -0.2},
        {true, false, 0, 1, 30, 0, 0, -0.2},
        {true, true, 1, -1, 0, 0, 0.5 * r, -0.2 - 0.3 * r},  // turns and tilts
    };
    for (const Case& c : cases) {
        g_viewCenterX = g_viewCenterY = 0;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeOn = c.birdsEye;
        g_redrawMask = 0;
        SetHeadlessKeyDown(key::kShift, c.shift);
        const int before = repaints;
        PanByArrowKey(c.dx, c.dy);
        SCOPED_TRACE(testing::Message() << c.birdsEye << c.shift << c.dx << c.dy);
        EXPECT_NEAR(g_viewCenterX, c.wantX, 1e-9);
        EXPECT_NEAR(g_viewCenterY, c.wantY, 1e-9);
        EXPECT_NEAR(g_birdsEyeAzimuth, c.wantAzimuth, 1e-12);
        EXPECT_NEAR(g_birdsEyeTilt, c.wantTilt, 1e-12);
        EXPECT_EQ(g_redrawMask, -1);
        EXPECT_EQ(repaints, before + 1);
    }
    SetHeadlessKeyDown(key::kShift, false);
}

TEST_F(ViewTransform, ScrollBarsWithoutARangeDoNothing) {
    g_extentCenterX = 10;
    g_extentCenterY = 20;
    g_extentSize = 100;
    g_viewCenterX = 1;
    g_viewCenterY = 2;
    ScrollToCentreY(30);
    ScrollToCentreX(30);
    EXPECT_EQ(g_viewCenterX, 1);
    EXPECT_EQ(g_viewCenterY, 2);

    g_horzScrollInfo = {0, 1000, 100, 0};
    g_vertScrollInfo = {0, 1000, 100, 0};
    ScrollToCentreY(550);
    ScrollToCentreX(550);
    EXPECT_DOUBLE_EQ(g_viewCenterY, 20 + 10);
    EXPECT_DOUBLE_EQ(g_viewCenterX, 10 - 10);
}

namespace {
// A camera straight above (eyeX, eyeY, eyeZ) looking down: columns east, rows north.
void LookDown(double eyeX, double eyeY, double eyeZ, double heightScale) {
    const double plain[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    std::memcpy(g_cameraMatrixPlain, plain, sizeof plain);
    std::memcpy(g_cameraMatrix, plain, sizeof plain);
    for (int row = 0; row < 3; ++row) g_cameraMatrix[row * 3 + 1] *= heightScale;
    std::memcpy(g_birdsEyeMatrix, g_cameraMatrix, sizeof plain);
    g_heightScale = heightScale;
    g_eyeX = eyeX;
    g_eyeY = eyeY;
    g_eyeZ = eyeZ;
    g_focalLength = 200;
    g_nearPlane = 1;
    g_birdsEyeOn = 1;
}

// A TIN record for the triangle (a, b, c); it faces up when a -> b runs east and
// a -> c north.
int32_t AddTriangle(int32_t a, int32_t b, int32_t c) {
    const int32_t i = ++g_tinEdgeCount;
    g_tinEdges[i] = {a, b, kNoApex, c, 0};
    SetTinEndRecord();
    g_tinPresent = -1;
    return i;
}
}  // namespace

TEST_F(ViewTransform, PickOnTheTinFindsTheNearestTriangle) {
    LookDown(500, 1000, 100, 1);
    const int32_t low =
        AddTriangle(AddPoint(450, 950, 0), AddPoint(450, 1100, 0), AddPoint(600, 950, 0));
    double x, y, z;
    EXPECT_EQ(PickTinPoint3D(20, 10, x, y, z), low);
    EXPECT_NEAR(x, 505, 1e-9);
    EXPECT_NEAR(y, 1010, 1e-9);
    EXPECT_NEAR(z, 0, 1e-9);

    // A triangle above it, over the same ground, is nearer to the eye.
    const int32_t high =
        AddTriangle(AddPoint(450, 950, 50), AddPoint(450, 1100, 50), AddPoint(600, 950, 50));
    EXPECT_EQ(PickTinPoint3D(20, 10, x, y, z), high);
    EXPECT_NEAR(x, 502.5, 1e-9);
    EXPECT_NEAR(z, 50, 1e-9);

    // Outside both triangles, and on a triangle turned away from the eye: no hit.
    EXPECT_EQ(PickTinPoint3D(250, 0, x, y, z), 0);
    InitDataModel();
    LookDown(500, 1000, 100, 1);
    AddTriangle(AddPoint(450, 950, 0), AddPoint(600, 950, 0), AddPoint(450, 1100, 0));
    EXPECT_EQ(PickTinPoint3D(20, 10, x, y, z), 0);
}

TEST_F(ViewTransform, PickOnTheTinUndoesTheExaggeration) {
    // Heights shown twice as high: the ground point under the cursor is the same.
    LookDown(500, 1000, 100, 2);
    AddTriangle(AddPoint(450, 950, 0), AddPoint(450, 1100, 0), AddPoint(600, 950, 0));
    double x, y, z;
    ASSERT_EQ(PickTinPoint3D(20, 10, x, y, z), 1);
    EXPECT_NEAR(x, 510, 1e-9);
    EXPECT_NEAR(y, 1020, 1e-9);
    EXPECT_NEAR(z, 0, 1e-9);

    // Centring on that pixel puts the hit in the middle of the view.
    CentreOnPixel3D(20, 10);
    EXPECT_NEAR(g_viewCenterX, 510, 1e-9);
    EXPECT_NEAR(g_viewCenterY, 1020, 1e-9);
}
