// The layers the painter hands out: simple contours, slope lines, the north arrow and the
// bird's-eye segments, checked against hand-worked triangles and planes.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "contour/contour_dialog.h"
#include "painter_fixture.h"
#include "view/birds_eye_projection.h"
#include "view/color_band_params.h"
#include "view/display_layers_settings.h"
#include "view/line_3d.h"
#include "view/north_arrow.h"
#include "view/projection.h"
#include "view/simple_contours.h"
#include "view/slope_lines.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A triangle A (0, 0), B (0, 40) east, C (40, 0) north, counter-clockwise on the map,
// rising northwards at `degrees`.
struct Corners {
    double c[3][3];
};
Corners NorthwardSlope(double degrees, double base = 100) {
    const double t = std::tan(degrees * kPi / 180);
    return {{{0, 0, base}, {0, 40, base}, {40, 0, base + 40 * t}}};
}

TEST(SlopeArrow, ColourFollowsTheGentleAndSteepAngles) {
    struct Case {
        double degrees;
        bool drawn;
        int color;
    };
    const Case cases[] = {{20, true, kSlopeLineColor},
                          {40, true, kSteepSlopeLineColor},
                          {5, false, 0},
                          {0, false, 0},
                          {10.5, true, kSlopeLineColor},
                          {29.5, true, kSlopeLineColor},
                          {30.5, true, kSteepSlopeLineColor}};
    for (const Case& k : cases) {
        SlopeArrow a{};
        const Corners t = NorthwardSlope(k.degrees);
        EXPECT_EQ(ComputeSlopeArrow(t.c, 10, 30, &a), k.drawn) << k.degrees;
        if (!k.drawn) continue;
        EXPECT_EQ(a.colorIndex, k.color) << k.degrees;
        EXPECT_NEAR(std::atan(-a.slope) * 180 / kPi, k.degrees, 1e-9);
    }
}

TEST(SlopeArrow, RunsDownhillBetweenTheEdgesShortenedByATenth) {
    // Uphill is north: from the centroid (40/3, 40/3) the line meets B-C at X = 80/3 and
    // A-B at X = 0; C-A runs along it and gives no end.
    const Corners t = NorthwardSlope(20);
    SlopeArrow a{};
    ASSERT_TRUE(ComputeSlopeArrow(t.c, 10, 30, &a));
    const double u = 80.0 / 3, d = 0, slope = std::tan(20 * kPi / 180);
    EXPECT_NEAR(a.up[0], 0.9 * u + 0.1 * d, 1e-9);
    EXPECT_NEAR(a.down[0], 0.9 * d + 0.1 * u, 1e-9);
    EXPECT_NEAR(a.up[1], 40.0 / 3, 1e-9);
    EXPECT_NEAR(a.down[1], 40.0 / 3, 1e-9);
    // Both ends on the triangle's plane.
    EXPECT_NEAR(a.up[2], 100 + a.up[0] * slope, 1e-9);
    EXPECT_NEAR(a.down[2], 100 + a.down[0] * slope, 1e-9);
}

TEST(SlopeArrow, NoneForAClockwiseOrFlatTriangle) {
    Corners t = NorthwardSlope(40);
    std::swap(t.c[1], t.c[2]);  // A, C, B: clockwise on the map
    SlopeArrow a{};
    EXPECT_FALSE(ComputeSlopeArrow(t.c, 10, 30, &a));
    EXPECT_FALSE(ComputeSlopeArrow(NorthwardSlope(0).c, 0, 30, &a));
    // Three corners in one vertical plane: no area on the map.
    const double wall[3][3] = {{0, 0, 0}, {10, 0, 5}, {20, 0, 0}};
    EXPECT_FALSE(ComputeSlopeArrow(wall, 0, 30, &a));
}

TEST(SlopeLabel, DegreesOrPercentWithTheChosenDecimals) {
    struct Case {
        double slope;
        int32_t bits;
        int32_t decimals;
        const char* text;
    };
    const double tan20 = std::tan(20 * kPi / 180);
    const Case cases[] = {
        {-0.15, kSlopeLinesOn | kSlopeLabelsPercent | kSlopeLabelsPercentSign, 1, "15.0%"},
        {-0.15, kSlopeLinesOn | kSlopeLabelsPercent, 1, "15.0"},
        {-0.15, kSlopeLinesOn | kSlopeLabelsPercent | kSlopeLabelsPercentSign, 0, "15%"},
        {-tan20, kSlopeLinesOn | kSlopeLabelsDegrees, 2, "20.00"},
        // The sign bit without percent changes nothing.
        {-tan20, kSlopeLinesOn | kSlopeLabelsDegrees | kSlopeLabelsPercentSign, 0, "20"},
        {-1.0, kSlopeLinesOn | kSlopeLabelsDegrees, 1, "45.0"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(SlopeLabelText(k.slope, k.bits, k.decimals), k.text) << k.text;
}

TEST(SimpleContourCrossings, EdgesCutInOrderAndACornerCountsTwice) {
    const double t[3][3] = {{0, 0, 0}, {0, 10, 10}, {10, 0, 20}};
    double at[3][2];
    // Level 5: A-B at its middle, C-A at a quarter from C.
    ASSERT_EQ(SimpleContourCrossings(t, 5, at), 2);
    EXPECT_DOUBLE_EQ(at[0][0], 0);
    EXPECT_DOUBLE_EQ(at[0][1], 5);
    EXPECT_DOUBLE_EQ(at[1][0], 2.5);
    EXPECT_DOUBLE_EQ(at[1][1], 0);
    // Level 10 through corner B: B twice (A-B, B-C) and the middle of C-A.
    ASSERT_EQ(SimpleContourCrossings(t, 10, at), 3);
    EXPECT_DOUBLE_EQ(at[0][0], 0);
    EXPECT_DOUBLE_EQ(at[0][1], 10);
    EXPECT_DOUBLE_EQ(at[1][0], 0);
    EXPECT_DOUBLE_EQ(at[1][1], 10);
    EXPECT_DOUBLE_EQ(at[2][0], 5);
    EXPECT_DOUBLE_EQ(at[2][1], 0);
    // Outside the triangle's range, nothing; a horizontal edge at the level gives its ends
    // through the other two edges.
    EXPECT_EQ(SimpleContourCrossings(t, 25, at), 0);
    const double flat[3][3] = {{0, 0, 3}, {0, 10, 3}, {10, 0, 8}};
    ASSERT_EQ(SimpleContourCrossings(flat, 3, at), 2);
    EXPECT_DOUBLE_EQ(at[0][1], 10);
    EXPECT_DOUBLE_EQ(at[1][1], 0);
}

TEST(SimpleContourSettings, IndexIntervalIsFiveStepsAndAtLeastOneMetre) {
    EXPECT_DOUBLE_EQ(SimpleContourIndexIntervalFor(0.1), 1.0);
    EXPECT_DOUBLE_EQ(SimpleContourIndexIntervalFor(1.0), 5.0);
    EXPECT_DOUBLE_EQ(SimpleContourIndexIntervalFor(10.0), 50.0);
    // Levels stepped by 0.1 reach the index levels despite rounding.
    for (int k = 0; k <= 100; ++k) {
        const double level = -0.1 + k * 0.1;
        EXPECT_EQ(IsContourIndexLevel(level, 1.0), (k - 1) % 10 == 0) << level;
    }
}

class LayerTest : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        LoadStrokeFont();
        g_rasterColor = g_colorTable[0];
        ClearViewport();
    }
    static void Clear() {
        g_rasterColor = g_colorTable[0];
        ClearViewport();
    }
    static int ColoredPixels(int index) { return CountColor(Color(index)); }
    // One triangle A, B, C (records A-B, B-C, C-A, all with the third corner as apex).
    static void OneTriangle(const Corners& t) {
        for (const auto& c : t.c) AddPoint(c[0], c[1], c[2]);
        SetTin({{1, 2, kNoApex, 3, 0}, {2, 3, kNoApex, 1, 0}, {3, 1, kNoApex, 2, 0}});
    }
    static void Project() {
        g_projectionValid = 0;
        ProjectAllData(0);
    }
};

TEST_F(LayerTest, PlanSlopeLinesDrawOnlyLongEnoughArrowsInTheirColour) {
    OneTriangle(NorthwardSlope(20));
    g_colorBandParams.gentleSlope = 10;
    g_colorBandParams.steepSlope = 30;
    g_showSlopeLines = kSlopeLinesOn;
    g_viewCenterX = g_viewCenterY = 20;
    const uint8_t mask[] = {0, 1, 0, 0, 0};
    struct Case {
        double scale;
        bool drawn;
    };
    // The arrow is 0.8 x 80/3 = 21.3 m long: 10.7 pixels at 0.5 per metre, 12.8 at 0.6.
    for (const Case& k : {Case{0.5, false}, Case{0.6, true}, Case{2, true}}) {
        g_viewScale = k.scale;
        Project();
        Clear();
        DrawSlopeLines(mask);
        EXPECT_EQ(ColoredPixels(kSlopeLineColor) > 0, k.drawn) << k.scale;
        EXPECT_EQ(ColoredPixels(kSteepSlopeLineColor), 0);
    }
    // The shaft runs north-south through the centroid's column; the head points south.
    g_viewScale = 2;
    Project();
    Clear();
    DrawSlopeLines(mask);
    int32_t x0, y0, x1, y1;
    SlopeArrow a{};
    ASSERT_TRUE(ComputeSlopeArrow(NorthwardSlope(20).c, 10, 30, &a));
    ASSERT_TRUE(PlanGroundToBuffer(a.up[0], a.up[1], &x0, &y0));
    ASSERT_TRUE(PlanGroundToBuffer(a.down[0], a.down[1], &x1, &y1));
    EXPECT_EQ(x0, x1);
    EXPECT_GT(y0, y1);
    for (int32_t r = y1; r <= y0; ++r) EXPECT_EQ(Pixel(x0, r), Color(kSlopeLineColor)) << r;
    // Head strokes reach back up and out to both sides, about 9.4 px above the tip.
    // (The offsets -3.42 and +3.42 truncate to -4 and +3.)
    EXPECT_EQ(Pixel(x1 - 4, y1 + 9), Color(kSlopeLineColor));
    EXPECT_EQ(Pixel(x1 + 3, y1 + 9), Color(kSlopeLineColor));
    const int plain = ColoredPixels(kSlopeLineColor);
    // A mask without the triangle draws nothing; labels add their strokes.
    const uint8_t none[] = {0, 0, 0, 0, 0};
    Clear();
    DrawSlopeLines(none);
    EXPECT_EQ(ColoredPixels(kSlopeLineColor), 0);
    g_showSlopeLines = kSlopeLinesOn | kSlopeLabelsDegrees;
    Clear();
    DrawSlopeLines(mask);
    EXPECT_GT(ColoredPixels(kSlopeLineColor), plain + 10);
}

TEST_F(LayerTest, SimpleContoursOfAPlaneMapBackToTheirLevels) {
    // z = 0.3 X + 0.2 Y + 5 over the square 0..40; every drawn pixel lies on a level.
    auto z = [](double x, double y) { return 0.3 * x + 0.2 * y + 5; };
    AddPoint(0, 0, z(0, 0));
    AddPoint(0, 40, z(0, 40));
    AddPoint(40, 40, z(40, 40));
    AddPoint(40, 0, z(40, 0));
    SetTin({{1, 2, kNoApex, 3, 0},
            {2, 3, kNoApex, 1, 0},
            {3, 4, kNoApex, 1, 0},
            {4, 1, kNoApex, 3, 0},
            {1, 3, 2, 4, 0}});
    const uint8_t mask[] = {0, 1, 0, 1, 0, 0, 0};  // records 1 and 3 stand for the triangles
    g_simpleContourInterval = 1;
    g_simpleContourIndexInterval = 5;
    g_viewCenterX = g_viewCenterY = -5;  // every offset positive: truncation floors
    const double scale = 1.5;
    g_viewScale = scale;
    Project();
    DrawSimpleContours(mask);
    const double grad = std::hypot(0.3, 0.2);
    std::set<int> levels, indexLevels;
    int pixels = 0;
    double worst = 0;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) {
            const uint32_t p = Pixel(c, r);
            if (p != Color(kSimpleContourColor) && p != Color(kSimpleIndexContourColor)) continue;
            ++pixels;
            const double x = g_viewCenterX + (r - g_viewportCenterY + 0.5) / scale;
            const double y = g_viewCenterY + (c - g_viewportCenterX + 0.5) / scale;
            const double h = z(x, y);
            const int level = static_cast<int>(std::lround(h));
            const double off = std::fabs(h - level) / grad * scale;  // pixels from the line
            worst = std::max(worst, off);
            ASSERT_LE(off, 1.0) << c << "," << r;
            (p == Color(kSimpleIndexContourColor) ? indexLevels : levels).insert(level);
        }
    EXPECT_GT(pixels, 500);
    // Every level from 6 to 24 drawn, the multiples of 5 in the index colour only.
    for (int level = 6; level <= 24; ++level)
        EXPECT_TRUE((level % 5 == 0 ? indexLevels : levels).count(level)) << level;
    for (int level : indexLevels) EXPECT_EQ(level % 5, 0) << level;
    for (int level : levels) EXPECT_NE(level % 5, 0) << level;

    // No interval, no lines; a triangle wholly off the buffer is skipped.
    Clear();
    g_simpleContourInterval = 0;
    DrawSimpleContours(mask);
    EXPECT_EQ(ColoredPixels(kSimpleContourColor) + ColoredPixels(kSimpleIndexContourColor), 0);
    g_simpleContourInterval = 1;
    g_viewCenterX = 10000;
    Project();
    DrawSimpleContours(mask);
    EXPECT_EQ(ColoredPixels(kSimpleContourColor) + ColoredPixels(kSimpleIndexContourColor), 0);
}

TEST_F(LayerTest, AnIntervalOfATenthMarksEveryMetreAsIndex) {
    OneTriangle({{{0, 0, 10}, {0, 40, 10}, {40, 0, 12}}});
    g_simpleContourInterval = 0.1;
    g_simpleContourIndexInterval = SimpleContourIndexIntervalFor(0.1);
    g_viewScale = 2;
    g_viewCenterX = g_viewCenterY = 15;
    Project();
    const uint8_t mask[] = {0, 1, 0, 0};
    DrawSimpleContours(mask);
    // The level 11 m runs east-west at X = 20: index colour there, plain between.
    int32_t c, r;
    ASSERT_TRUE(PlanGroundToBuffer(20, 5, &c, &r));
    EXPECT_EQ(Pixel(c, r), Color(kSimpleIndexContourColor));
    ASSERT_TRUE(PlanGroundToBuffer(22, 5, &c, &r));
    EXPECT_EQ(Pixel(c, r), Color(kSimpleContourColor));
}

TEST_F(LayerTest, ALevelThroughACornerDrawsThroughThatCorner) {
    // Corner B (0, 40) at exactly 20 m: the 20 m line runs from B to the middle of C-A.
    OneTriangle({{{0, 0, 10}, {0, 40, 20}, {40, 0, 30}}});
    g_simpleContourInterval = 10;
    g_simpleContourIndexInterval = 50;
    g_viewScale = 2;
    g_viewCenterX = g_viewCenterY = 15;
    Project();
    const uint8_t mask[] = {0, 1, 0, 0};
    DrawSimpleContours(mask);
    int32_t c, r;
    ASSERT_TRUE(PlanGroundToBuffer(0, 40, &c, &r));
    EXPECT_EQ(Pixel(c, r), Color(kSimpleContourColor));
    ASSERT_TRUE(PlanGroundToBuffer(20, 0, &c, &r));
    EXPECT_EQ(Pixel(c, r), Color(kSimpleContourColor));
    ASSERT_TRUE(PlanGroundToBuffer(10, 20, &c, &r));
    EXPECT_EQ(Pixel(c, r), Color(kSimpleContourColor));
}

class BirdsEyeLayerTest : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        g_birdsEyeOn = 1;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeRoll = 0;
        g_heightScale = 1;
        g_focalLength = g_bufferMaxX;
        g_viewScale = 2;
    }
    // The pixels of the needle's colour within `radius` of (column, row).
    static int NeedleNear(int32_t column, int32_t row, int32_t radius) {
        int n = 0;
        for (int32_t r = row - radius; r <= row + radius; ++r)
            for (int32_t c = column - radius; c <= column + radius; ++c)
                n += Pixel(c, r) == Color(kNorthArrowColor);
        return n;
    }
};

TEST_F(BirdsEyeLayerTest, TheNorthArrowTurnsWithTheAzimuth) {
    struct Case {
        double azimuth;
        int32_t dc, dr;  // where north lies from (50, 50)
    };
    g_birdsEyeTilt = -1.3;  // looking well down: north lies flat on the screen
    for (const Case& k : {Case{0, 0, 1}, Case{kPi / 2, 1, 0}, Case{kPi, 0, -1}}) {
        g_birdsEyeAzimuth = k.azimuth;
        BuildBirdsEyeCamera();
        Clear();
        DrawNorthArrow();
        int32_t c, r;
        NorthArrowPosition(0, 100, 0, &c, &r);
        EXPECT_EQ(Pixel(c, r), Color(kNorthArrowColor)) << k.azimuth;
        // The tip lies 20 or more pixels from the corner's centre, that way.
        EXPECT_GT(k.dc * (c - 50) + k.dr * (r - 50), 20) << k.azimuth << " " << c << "," << r;
        EXPECT_GT(NeedleNear(50 + 20 * k.dc, 50 + 20 * k.dr, 2), 0) << k.azimuth;
        // The upright stick in its light red.
        NorthArrowPosition(0, -40, 0, &c, &r);
        EXPECT_EQ(Pixel(c, r), 0xFF8080u) << k.azimuth;
    }
}

TEST_F(BirdsEyeLayerTest, ASegmentCrossingTheNearPlaneIsLeftOut) {
    BuildBirdsEyeCamera();
    // A point in front of the eye and one behind it, on the line of sight.
    const double ax = g_eyeX + 50 * g_cameraMatrix[8], ay = g_eyeY + 50 * g_cameraMatrix[6];
    const double az = g_eyeZ + 50 * g_cameraMatrix[7];
    const double bx = g_eyeX - 50 * g_cameraMatrix[8] + 5, by = g_eyeY - 50 * g_cameraMatrix[6];
    const double bz = g_eyeZ - 50 * g_cameraMatrix[7];
    int32_t c, r;
    ASSERT_TRUE(ProjectGround3D(ax, ay, az, &c, &r));
    ASSERT_FALSE(ProjectGround3D(bx, by, bz, &c, &r));
    g_lineColor = Color(46);
    DrawLine3D(ax, ay, az, bx, by, bz);
    DrawLine3D(bx, by, bz, ax, ay, az);
    EXPECT_EQ(ColoredPixels(46), 0);
    // A segment wholly in front is drawn.
    DrawLine3D(ax, ay, az, ax + 5, ay + 5, az);
    EXPECT_GT(ColoredPixels(46), 0);
}

TEST_F(BirdsEyeLayerTest, SlopeLinesOnlyOnNearTriangles) {
    OneTriangle(NorthwardSlope(40, 0));
    g_colorBandParams.gentleSlope = 10;
    g_colorBandParams.steepSlope = 30;
    g_showSlopeLines = kSlopeLinesOn;
    g_viewCenterX = g_viewCenterY = 15;
    Project();
    const uint8_t mask[] = {0, 1, 0, 0};
    for (int32_t i = 1; i <= 3; ++i) g_points[i].multiUse = 4;
    DrawSlopeLines(mask);
    EXPECT_GT(ColoredPixels(kSteepSlopeLineColor), 8);
    Clear();
    g_points[1].multiUse = 3;  // sizes add up to 11: too far off
    DrawSlopeLines(mask);
    EXPECT_EQ(ColoredPixels(kSteepSlopeLineColor), 0);
}

}  // namespace

namespace {

// The layers as the painter draws them in a full repaint, switched by the view's flags.
class PaintedLayers : public LayerTest {
protected:
    void SetUp() override {
        LayerTest::SetUp();
        InstallSimpleContourLayer();
        InstallSlopeLineLayer();
        InstallNorthArrowLayer();
    }
    void TearDown() override {
        g_painterLayers.simpleContours = nullptr;
        g_painterLayers.slopeLines = nullptr;
        g_painterLayers.northArrow = nullptr;
        LayerTest::TearDown();
    }
};

TEST_F(PaintedLayers, FlagsShowTheLayersInTheFrame) {
    OneTriangle(NorthwardSlope(40));
    g_colorBandParams.gentleSlope = 10;
    g_colorBandParams.steepSlope = 30;
    g_simpleContourInterval = 5;
    g_simpleContourIndexInterval = 1000;
    g_viewCenterX = g_viewCenterY = 15;
    g_viewScale = 2;
    g_showTin = 0;
    g_showPoints = 0;
    struct Case {
        int32_t contours, slopes;
    };
    for (const Case& k : {Case{0, 0}, Case{-1, 0}, Case{0, kSlopeLinesOn}, Case{-1, kSlopeLinesOn}}) {
        g_showSimpleContours = k.contours;
        g_showSlopeLines = k.slopes;
        g_redrawMask = -1;
        ASSERT_EQ(Paint(), 1);
        EXPECT_EQ(ColoredPixels(kSimpleContourColor) > 0, k.contours != 0) << k.contours;
        EXPECT_EQ(ColoredPixels(kSteepSlopeLineColor) > 0, k.slopes != 0) << k.slopes;
        EXPECT_EQ(ColoredPixels(kNorthArrowColor), 0) << "no needle in the plan";
    }
    g_showSimpleContours = 0;
    g_showSlopeLines = 0;
    g_birdsEyeOn = 1;
    g_birdsEyeTilt = -1.0;
    g_focalLength = g_bufferMaxX;
    g_redrawMask = -1;
    ASSERT_EQ(Paint(), 1);
    EXPECT_GT(ColoredPixels(kNorthArrowColor), 50);
    EXPECT_TRUE(AnyInBox(Color(kNorthArrowColor), 40, 40, 60, 60));
}

}  // namespace
