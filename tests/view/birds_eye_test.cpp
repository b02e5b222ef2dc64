// The bird's-eye view: camera commands, the camera and its projection, the band texture,
// and whole pictures of a terrain whose every pixel can be worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "image/image_mapping.h"
#include "image/image_slot.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "png_support.h"
#include "raster_fixture.h"
#include "shell/frame_timer.h"
#include "shell/status_text.h"
#include "view/band_texture.h"
#include "view/birds_eye_camera.h"
#include "view/birds_eye_projection.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/triangle_pass.h"
#include "view/view_painter.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "../support/survey_data.h"

namespace fs = std::filesystem;

namespace {

class BirdsEyeTest : public RasterTest {
protected:
    void SetUp() override {
        InitDataModel();
        Open(320, 240);
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 1;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_birdsEyeRoll = 0;
        g_heightScale = 1;
        g_rotationAxis = 0;
        g_targetZ = 0;
        g_focalLength = g_bufferMaxX;
        g_redrawMask = 0;
        g_colorBandOn = 0;
        g_showTin = 0;
        g_showPoints = 0;
        g_depthOrderPoints = 0;
        InstallTrianglePass();
        SetFrameTimerHandler([this](int id) { m_frameTimers.push_back(id); });
    }
    void TearDown() override {
        SetFrameTimerHandler(nullptr);
        SetHeadlessKeyDown(key::kAlt, false);
        FreeBandTexture();
        FreeTriangleRasterBlocks();
        ReleaseDataModel();
        RasterTest::TearDown();
    }

    static int32_t AddPoint(double x, double y, double z) {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        const int32_t i = ++g_pointCount;
        g_points[i] = RandomPoint{};
        g_points[i].x = x;
        g_points[i].y = y;
        g_points[i].z = z;
        SetPointEndMarker();
        g_pointsPresent = -1;
        return i;
    }

    // The grid TIN builder over the points inside the ring `outline`.
    static void BuildTin(const std::vector<int32_t>& outline) {
        g_outline.Reset();
        for (int32_t v : outline) {
            g_outline.Append(v);
            g_points[v].flags |= kPointFlagOutline;
        }
        g_outline.Close();
        if (4 * g_pointCount > g_tinEdgeCapacity) {
            g_tinEdgeCapacity = 4 * g_pointCount + 100;
            GrowTinEdgeBlock(g_tinEdgeCapacity);
        }
        OrientPolygonClockwise(g_outline);
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
        ClearRecordedMessages();
        ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
        for (int32_t v : outline) g_points[v].flags &= ~kPointFlagOutline;
    }

    // One full repaint of the view into the buffer; true when the triangle pass drew.
    static bool Paint() {
        g_redrawMask = -1;
        g_rasterStatus = 0;
        return PaintView(nullptr) == 1 && g_rasterStatus == 0;
    }

    std::vector<int> m_frameTimers;
};

// ---- commands ----

TEST_F(BirdsEyeTest, RotationStepsReturnAndTheResetRestoresTheStartCamera) {
    g_birdsEyeAzimuth = 0.3;
    for (int i = 0; i < 4; ++i) OnRotateRight();
    EXPECT_NEAR(g_birdsEyeAzimuth, 0.3 + 4 * 0.174533, 1e-12);
    for (int i = 0; i < 4; ++i) OnRotateLeft();
    EXPECT_NEAR(g_birdsEyeAzimuth, 0.3, 1e-12);
    OnTiltDown();
    EXPECT_NEAR(g_birdsEyeTilt, -0.2 - 0.0872665, 1e-12);
    OnTiltUp();
    OnTiltUp();
    EXPECT_NEAR(g_birdsEyeTilt, -0.2 + 0.0872665, 1e-12);
    EXPECT_EQ(g_redrawMask, -1);

    g_viewScale = 3;
    g_viewCenterX = 5;
    g_viewCenterY = 6;
    g_heightScale = 4;
    g_birdsEyeRoll = 0.2;
    OnResetBirdsEye();
    EXPECT_EQ(g_birdsEyeAzimuth, 0);
    EXPECT_EQ(g_birdsEyeTilt, -0.2);
    EXPECT_EQ(g_birdsEyeRoll, 0);
    EXPECT_EQ(g_heightScale, 1);
    EXPECT_EQ(g_viewScale, 3);
    EXPECT_EQ(g_viewCenterX, 5);
    EXPECT_EQ(g_viewCenterY, 6);
}

TEST_F(BirdsEyeTest, TheSwitchNeedsDataAndTheStepsTheBirdsEyeView) {
    g_birdsEyeOn = 0;
    EXPECT_FALSE(CanToggleBirdsEye());
    EXPECT_FALSE(CanSteerBirdsEye());
    AddPoint(1, 2, 3);
    EXPECT_TRUE(CanToggleBirdsEye());
    OnToggleBirdsEye();
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_TRUE(CanSteerBirdsEye());
    OnToggleBirdsEye();
    EXPECT_EQ(g_birdsEyeOn, 0);
    // The exaggeration box follows each switch.
    EXPECT_EQ(m_frameTimers, (std::vector<int>{353, 353}));
}

TEST_F(BirdsEyeTest, TheWheelStepsTheExaggerationWithinItsLimits) {
    struct Case {
        double from;
        int delta;
        double want;
    };
    const Case cases[] = {{1.95, 120, 2.05}, {0.15, -120, 0.1}, {0.1, -120, 0.1}, {2.0, 120, 2.3},
                          {9.8, 120, 10.3},  {10, 120, 11},     {49.5, 120, 50},  {1.0, 0, 1.0}};
    for (const Case& c : cases) {
        g_heightScale = c.from;
        WheelExaggeration(c.delta);
        EXPECT_NEAR(g_heightScale, c.want, 1e-12) << c.from << " " << c.delta;
    }
    g_heightScale = 2.05;
    EXPECT_EQ(ExaggerationStatusText(), "高さ倍率 [ 2.0]");
    g_heightScale = 1.0;
    WheelExaggeration(120);
    EXPECT_EQ(StatusText(), "高さ倍率 [ 1.1]");
    EXPECT_EQ(m_frameTimers.back(), 353);
    // Only in the bird's-eye view.
    g_birdsEyeOn = 0;
    EXPECT_FALSE(WheelExaggeration(120));

    g_birdsEyeOn = 1;
    g_heightScale = 3;
    EXPECT_FALSE(ResetExaggeration(false));
    EXPECT_TRUE(ResetExaggeration(true));
    EXPECT_EQ(g_heightScale, 1.0);
    EXPECT_FALSE(ResetExaggeration(true));
}

TEST_F(BirdsEyeTest, DragsTurnTiltAndRollByTheWindowWidth) {
    const double w = g_bufferMaxX;
    EXPECT_TRUE(DragBirdsEyeCamera(g_bufferMaxX, g_bufferMaxX, true, false, false));
    EXPECT_NEAR(g_birdsEyeAzimuth, M_PI, 1e-12);
    EXPECT_NEAR(g_birdsEyeTilt, -0.2 + M_PI / 2, 1e-12);
    EXPECT_TRUE(DragBirdsEyeCamera(-10, 0, false, true, false));
    EXPECT_NEAR(g_birdsEyeAzimuth, M_PI - 10 * M_PI / w, 1e-12);
    EXPECT_TRUE(DragBirdsEyeCamera(20, 0, false, false, true));
    EXPECT_NEAR(g_birdsEyeRoll, 20 * M_PI / w, 1e-12);
    EXPECT_FALSE(DragBirdsEyeCamera(20, 0, false, false, false));
    g_birdsEyeOn = 0;
    EXPECT_FALSE(DragBirdsEyeCamera(20, 5, true, false, false));
    EXPECT_FALSE(DragBirdsEyeCamera(20, 5, false, true, false));
}

// ---- the camera ----

TEST_F(BirdsEyeTest, TheCameraWrapsTheAzimuthAndLimitsTheTilt) {
    struct Case {
        double azimuth, tilt, wantAzimuth, wantTilt;
    };
    const Case cases[] = {{3.5, 1.0, 3.5 - 2 * M_PI, 0.5},
                          {-3.5, -2.0, -3.5 + 2 * M_PI, -M_PI / 2},
                          {1.0, -0.3, 1.0, -0.3}};
    for (const Case& c : cases) {
        g_birdsEyeAzimuth = c.azimuth;
        g_birdsEyeTilt = c.tilt;
        BuildBirdsEyeCamera();
        EXPECT_NEAR(g_birdsEyeAzimuth, c.wantAzimuth, 1e-12);
        EXPECT_NEAR(g_birdsEyeTilt, c.wantTilt, 1e-12);
    }
}

TEST_F(BirdsEyeTest, TheFieldOfViewIs45DegreesForAWideWindowAndAtMost60) {
    g_focalLength = g_bufferMaxX;
    BuildBirdsEyeCamera();
    EXPECT_DOUBLE_EQ(g_fieldOfView, 45);
    EXPECT_DOUBLE_EQ(g_halfWidth, 0.5 * std::tan(M_PI / 4));
    EXPECT_DOUBLE_EQ(g_projScale, (g_bufferMaxX + 1) / g_halfWidth * 0.5);
    EXPECT_DOUBLE_EQ(g_focalLength, 1.5 * g_bufferMaxX);
    g_bufferMaxX = 100;
    g_bufferMaxY = 400;
    g_focalLength = 100;
    BuildBirdsEyeCamera();
    EXPECT_DOUBLE_EQ(g_fieldOfView, 60);
}

TEST_F(BirdsEyeTest, ExaggerationTwoShowsTenMetresAsTwenty) {
    AddPoint(0, 0, 50);  // the target
    const int32_t up10 = AddPoint(0, 0, 60);
    const int32_t up20 = AddPoint(0, 0, 70);
    const int32_t aside = AddPoint(30, -40, 60);
    const int32_t aside20 = AddPoint(30, -40, 70);
    g_viewScale = 2;
    g_birdsEyeTilt = -0.5;
    g_birdsEyeAzimuth = 0.7;

    g_heightScale = 2;
    ProjectAllData(0);
    EXPECT_EQ(g_targetZ, 50);
    // The target lies on the view axis, the view's width in metres ahead.
    const double w = g_bufferMaxX / g_viewScale;
    const double* m = g_cameraMatrix;
    const double depth = m[6] * (0 - g_eyeY) + m[7] * (50 - g_eyeZ) + m[8] * (0 - g_eyeX);
    EXPECT_NEAR(depth, w, 1e-9);
    const RandomPoint twice10 = g_points[up10], twiceAside = g_points[aside];

    g_heightScale = 1;
    ProjectAllData(0);
    EXPECT_EQ(twice10.screenX, g_points[up20].screenX);
    EXPECT_EQ(twice10.screenY, g_points[up20].screenY);
    EXPECT_EQ(twiceAside.screenX, g_points[aside20].screenX);
    EXPECT_EQ(twiceAside.screenY, g_points[aside20].screenY);
    EXPECT_GT(twice10.screenY, 0);  // above the target on the screen
}

TEST_F(BirdsEyeTest, TheTargetIsTheNearestPointUnlessAltIsHeld) {
    AddPoint(10, 0, 7);
    AddPoint(0, 10, 8);  // as near: the first one counts
    AddPoint(50, 50, 9);
    BuildBirdsEyeCamera();
    EXPECT_EQ(g_targetZ, 7);
    g_viewCenterX = g_viewCenterY = 49;
    SetHeadlessKeyDown(key::kAlt, true);
    BuildBirdsEyeCamera();
    EXPECT_EQ(g_targetZ, 7);
    SetHeadlessKeyDown(key::kAlt, false);
    BuildBirdsEyeCamera();
    EXPECT_EQ(g_targetZ, 9);
}

TEST_F(BirdsEyeTest, APointOnTheNearPlaneIsOffScreen) {
    AddPoint(0, 0, 0);
    const int32_t on = AddPoint(-100, 3, 1);
    const int32_t beyond = AddPoint(-90, 3, 1);
    BuildBirdsEyeCamera();
    // Move the near plane onto the first point's depth.
    const double* m = g_cameraMatrix;
    const RandomPoint& p = g_points[on];
    g_nearPlane = m[6] * (p.y - g_eyeY) + m[7] * (p.z - g_eyeZ) + m[8] * (p.x - g_eyeX);
    ASSERT_GT(g_nearPlane, 0);
    ProjectRecordsBirdsEye();
    EXPECT_EQ(g_points[on].hidden, 1);
    EXPECT_EQ(g_points[on].multiUse, 0);
    EXPECT_EQ(g_points[beyond].hidden, 0);
    EXPECT_EQ(g_points[beyond].multiUse, 10);  // 35 near-plane lengths over the depth, at most 10
}

TEST_F(BirdsEyeTest, TriangleCornersLandWhereTheirPointsAre) {
    for (double x : {-60.0, 0.0, 45.0})
        for (double y : {-80.0, 10.0, 70.0}) AddPoint(x, y, x * 0.3 - y * 0.1);
    g_viewScale = 2;
    g_birdsEyeTilt = -0.6;
    g_birdsEyeAzimuth = -0.4;
    g_heightScale = 3;
    ProjectAllData(0);
    ASSERT_GE(InitTriangleRaster(std::atan(g_bufferMaxX / g_focalLength) * 180 / M_PI,
                                 g_bufferMaxX + 1, g_bufferMaxY + 1),
              0);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        ASSERT_EQ(g_points[i].hidden, 0);
        RasterVertex v{};
        v.x = g_points[i].y;
        v.y = g_points[i].z;
        v.z = g_points[i].x;
        ProjectTriangle3D(&v, nullptr, nullptr);
        ComputeVertexOutcode(v);
        // The triangles' frame is one pixel wider than the points' (its centre half a pixel
        // further on, its scale 1 / 319 larger): they agree within two pixels.
        EXPECT_NEAR(g_projScale * v.px + g_projCenterX, g_viewportCenterX + g_points[i].screenX,
                    2.5);
        EXPECT_NEAR(g_projScale * v.py + g_projCenterY, g_viewportCenterY + g_points[i].screenY,
                    2.5);
    }
}

// ---- band texture ----

uint32_t Texel(int32_t row, int32_t column) { return g_bandTexture[row * 256 + column]; }

uint32_t Times(uint32_t c, double f) {
    uint32_t out = 0;
    for (int s = 0; s <= 16; s += 8) out |= static_cast<uint32_t>(((c >> s) & 0xFF) * f) << s;
    return out;
}

TEST_F(BirdsEyeTest, StripedBandsFillTwelveRowsPerColour) {
    for (int k = 0; k < 20; ++k)
        g_colorBandParams.stripeColours[k] = 0x010000 * (k + 1) + 0x000203 * k;
    BuildElevationPalette();
    ASSERT_NE(g_bandTexture, nullptr);
    for (int32_t r = 0; r < 240; ++r) {
        const uint32_t want = static_cast<uint32_t>(g_colorBandParams.stripeColours[r / 12]);
        ASSERT_EQ(Texel(r, 0), want) << r;
        ASSERT_EQ(Texel(r, 255), want) << r;
    }
    EXPECT_EQ(Texel(120, 0), static_cast<uint32_t>(g_colorBandParams.stripeColours[10]));  // c111
    EXPECT_EQ(Texel(119, 0), static_cast<uint32_t>(g_colorBandParams.stripeColours[9]));   // c110
    EXPECT_EQ(g_bandTextureSlot.width, 256);
    EXPECT_EQ(g_bandTextureSlot.stride, 1024);
    EXPECT_EQ(g_bandTextureSlot.loaded, 1);
}

TEST_F(BirdsEyeTest, TheGradientRunsFromEachHalfsStartToItsEnd) {
    ColorBandParams& p = g_colorBandParams;
    p.mode = 1;
    p.gradientColours[0] = 0x0000FF;
    p.gradientColours[1] = 0xD2D2FF;
    p.gradientColours[2] = 0xFFD97E;
    p.gradientColours[3] = 0xFF0080;
    BuildElevationPalette();
    EXPECT_EQ(Texel(0, 0), 0x0000FFu);
    EXPECT_EQ(Texel(119, 0), 0xD2D2FFu);
    EXPECT_EQ(Texel(120, 0), 0xFFD97Eu);
    EXPECT_EQ(Texel(239, 0), 0xFF0080u);
    // Row 60 of the lower half: each byte trunc(start + (end - start) x 60 / 119).
    const uint32_t r = static_cast<uint32_t>(0 + (0xD2 - 0) * 60.0 / 119);
    const uint32_t b = 0xFF;
    EXPECT_EQ(Texel(60, 0), r << 16 | r << 8 | b);
    // Decreasing bytes are truncated too (0xD9 down to 0x00 in the upper half's green).
    const uint32_t g = static_cast<uint32_t>(0xD9 + (0x00 - 0xD9) * 1.0 / 119);
    EXPECT_EQ((Texel(121, 0) >> 8) & 0xFF, g);
}

TEST_F(BirdsEyeTest, ShadeColumnsDarkenToThirtyAndTwentyPercent) {
    g_colorBandParams.stripeColours[0] = 0xC86432;
    BuildElevationPalette();
    EXPECT_EQ(Texel(5, 63), Times(0xC86432, 0.3));
    EXPECT_EQ(Texel(5, 64), Times(0xC86432, 0.2));
    EXPECT_EQ(Texel(5, 1), Times(0xC86432, 62 / 90.0 + 0.3));
    EXPECT_EQ(Texel(5, 65), 0xC86432u);
}

TEST_F(BirdsEyeTest, SlopeBandsAndTheBirdsEyeColouringModes) {
    ColorBandParams& p = g_colorBandParams;
    p.mode = 3;
    BuildElevationPalette();
    for (int32_t r = 0; r < 240; ++r)
        ASSERT_EQ(Texel(r, 0), static_cast<uint32_t>(p.slopeColours[r / 24])) << r;
    p.twoColourSlope = 1;
    BuildElevationPalette();
    EXPECT_EQ(Texel(0, 0), static_cast<uint32_t>(p.slopeColours[10]));
    EXPECT_EQ(Texel(239, 0), static_cast<uint32_t>(p.slopeColours[11]));
    // The bird's-eye colouring leaves the rows as they were.
    p.mode = 2;
    BuildElevationPalette();
    EXPECT_EQ(Texel(239, 0), static_cast<uint32_t>(p.slopeColours[11]));
}

// ---- band values and shading ----

TEST_F(BirdsEyeTest, BandValuesPutTheCentreOnTheFirstRowOfTheUpperHalf) {
    ColorBandParams& p = g_colorBandParams;
    p.centre = 100;
    p.highest = 120;
    p.lowest = 80;
    struct Case {
        double z;
        float want;
        int row;
    };
    const Case cases[] = {{100, 119.501f, 120}, {99.99999, 119.499f, 119}, {120, 239.4f, 239},
                          {80, 0.0f, 0},        {130, 239.4f, 239},        {50, 0.0f, 0},
                          {110, 179.501f, 180}};
    for (const Case& c : cases) {
        const float v = BandValue(0, 0, c.z);
        EXPECT_NEAR(v, c.want, 1e-3) << c.z;
        EXPECT_EQ(static_cast<int>(std::nearbyint(v)), c.row) << c.z;
    }
    // A band range of zero gives the factor 0.
    p.highest = p.centre;
    EXPECT_NEAR(BandValue(0, 0, 150), 119.501f, 1e-4);
    // An inclined reference measures from the plane: a point on it is at the centre.
    p.highest = 120;
    p.refInclined = 1;
    p.refX = 10;
    p.refY = 20;
    p.refH = 100;
    p.refDirection = 0;
    p.refInclination = 10;
    const double rise = 30 * std::tan(10 * M_PI / 180);  // 30 m north of the point
    EXPECT_NEAR(BandValue(40, 20, 100 + rise), 119.501f, 1e-3);
    EXPECT_LT(BandValue(40, 20, 100), 119.5f);
}

TEST_F(BirdsEyeTest, ShadeLevelsNeverFallBelowNineteen) {
    g_colorBandParams.lightAzimuth = 120;
    g_colorBandParams.lightElevation = 47;
    const double az = 120 * M_PI / 180, el = 47 * M_PI / 180;
    const double l[3] = {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
    // A triangle facing the light: normal along l. Corners counterclockwise on the map.
    auto facing = [&](double sign, double(&a)[3], double(&b)[3], double(&c)[3]) {
        // Two vectors at right angles to l.
        const double u[3] = {-l[1], l[0], 0};
        const double nu = std::hypot(u[0], u[1]);
        const double uu[3] = {u[0] / nu, u[1] / nu, 0};
        const double v[3] = {l[1] * uu[2] - l[2] * uu[1], l[2] * uu[0] - l[0] * uu[2],
                             l[0] * uu[1] - l[1] * uu[0]};
        for (int k = 0; k < 3; ++k) {
            a[k] = 0;
            b[k] = 10 * uu[k] * sign;
            c[k] = 10 * v[k];
        }
    };
    double a[3], b[3], c[3];
    facing(1, a, b, c);
    const int32_t one = ShadeLevel(a, b, c);
    facing(-1, a, b, c);
    const int32_t other = ShadeLevel(a, b, c);
    EXPECT_EQ(std::max(one, other), 63);
    EXPECT_EQ(std::min(one, other), 19);  // trunc(0.3 x 63.9)
    const double flat[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    EXPECT_EQ(ShadeLevel(flat[0], flat[1], flat[2]), 19);
}

TEST_F(BirdsEyeTest, SlopeRowsRunFromFlatToTheMaximumSlope) {
    g_colorBandParams.maxSlope = 45;
    const double a[3] = {0, 0, 0}, b[3] = {0, 10, 0}, c[3] = {10, 0, 0};
    EXPECT_NEAR(SlopeRow(a, b, c), -0.499f, 1e-6);
    const double steep[3] = {10, 0, 10};
    EXPECT_NEAR(SlopeRow(a, b, steep), 239.0f, 1e-6);
    const double half[3] = {10, 0, 10 * std::tan(22.5 * M_PI / 180)};
    EXPECT_NEAR(SlopeRow(a, b, half), 120 - 0.499, 1e-3);
    g_colorBandParams.maxSlope = 0;  // would divide by nothing
    EXPECT_TRUE(std::isfinite(SlopeRow(a, b, half)));
}

// ---- whole pictures ----

// A plane z = 100 + 0.05 x over a 200 m square, as a TIN of 11 x 11 points.
class PlaneTerrainTest : public BirdsEyeTest {
protected:
    static constexpr double kSide = 200;
    static double Height(double x) { return 100 + 0.05 * x; }

    void SetUp() override {
        BirdsEyeTest::SetUp();
        const int n = 11;
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) {
                const double x = -kSide / 2 + kSide * r / (n - 1);
                AddPoint(x, -kSide / 2 + kSide * c / (n - 1), Height(x));
            }
        std::vector<int32_t> ring;
        auto node = [n](int r, int c) { return r * n + c + 1; };
        for (int c = 0; c < n; ++c) ring.push_back(node(0, c));
        for (int r = 1; r < n; ++r) ring.push_back(node(r, n - 1));
        for (int c = n - 2; c >= 0; --c) ring.push_back(node(n - 1, c));
        for (int r = n - 2; r >= 1; --r) ring.push_back(node(r, 0));
        BuildTin(ring);

        ColorBandParams& p = g_colorBandParams;
        p.mode = 0;
        p.centre = 100;
        p.highest = 110;
        p.lowest = 90;
        p.shading = 0;
        for (int k = 0; k < 20; ++k) p.stripeColours[k] = 0x0A0000 * (k + 1) + 0x40 + 5 * k;
        BuildElevationPalette();
        g_colorBandOn = -1;
        g_viewScale = 1.2;
    }

    // The ground point the view ray through the middle of a buffer pixel meets on the
    // plane (bird's-eye), or the ground under it (plan); false when it misses.
    static bool GroundAt(int32_t column, int32_t row, double& x, double& y, double& z) {
        const double cx = (column + 0.5 - g_projCenterX) / g_projScale;
        const double cy = (row + 0.5 - g_projCenterY) / g_projScale;
        if (!g_birdsEyeOn) {
            y = g_viewCenterY + cx * g_projScale / g_viewScale;
            x = g_viewCenterX + cy * g_projScale / g_viewScale;
            z = Height(x);
            return true;
        }
        // Camera direction back to the ground: transpose of the plain rotation, with the
        // exaggeration taken out of the up component.
        const double* c = g_cameraMatrixPlain;
        const double east = c[0] * cx + c[3] * cy + c[6];
        const double up = (c[1] * cx + c[4] * cy + c[7]) / g_heightScale;
        const double north = c[2] * cx + c[5] * cy + c[8];
        const double s = (100 + 0.05 * g_eyeX - g_eyeZ) / (up - 0.05 * north);
        if (!(s > 0)) return false;
        x = g_eyeX + s * north;
        y = g_eyeY + s * east;
        z = g_eyeZ + s * up;
        return true;
    }

    // Every pixel whose ground point lies clear of the terrain's border and of a band
    // boundary shows that band's colour (the texture row through the texel's shading
    // when `expected` says so); returns how many pixels were compared.
    template <typename Expected>
    int CheckBands(Expected expected) {
        int compared = 0;
        for (int32_t r = 1; r < g_bufferMaxY; ++r) {
            for (int32_t c = 1; c < g_bufferMaxX; ++c) {
                double x, y, z;
                if (!GroundAt(c, r, x, y, z)) continue;
                if (std::abs(x) > kSide / 2 - 8 || std::abs(y) > kSide / 2 - 8) continue;
                const float v = BandValue(x, y, z);
                const double fromBoundary = std::abs(std::fmod(v + 0.5, 12.0) - 6.0);
                // Vertices sit on whole pixels (truncated), which moves a boundary by up
                // to two pixels: 1.2 rows at this scale.
                if (fromBoundary > 6 - 2.5) continue;
                const int32_t row = static_cast<int32_t>(std::nearbyint(v));
                ++compared;
                EXPECT_EQ(g_rowTable[r][c] & 0xFFFFFF, expected(row)) << "pixel " << c << "," << r;
                if (HasFailure()) return compared;
            }
        }
        return compared;
    }
};

TEST_F(PlaneTerrainTest, TheBirdsEyePictureShowsEachGroundPointsBand) {
    g_birdsEyeTilt = -0.5;
    g_birdsEyeAzimuth = 0.4;
    g_heightScale = 2;
    ASSERT_TRUE(Paint());
    const ColorBandParams& p = g_colorBandParams;
    const int compared =
        CheckBands([&](int32_t row) { return static_cast<uint32_t>(p.stripeColours[row / 12]); });
    EXPECT_GT(compared, 20000);
    // The picture shows several bands.
    std::set<uint32_t> colours;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) colours.insert(g_rowTable[r][c] & 0xFFFFFF);
    EXPECT_GE(colours.size(), 8u);
}

TEST_F(PlaneTerrainTest, ThePlanPictureShowsEachGroundPointsBandWithItsShade) {
    g_birdsEyeOn = 0;
    g_viewScale = 1.0;
    g_colorBandParams.shading = 1;
    ASSERT_TRUE(Paint());
    // One plane, one shade level: the texel of column 63 - level, through the shade table.
    double a[3] = {0, 0, Height(0)}, b[3] = {0, 10, Height(0)}, c[3] = {10, 0, Height(10)};
    const int32_t level = ShadeLevel(a, b, c);
    EXPECT_GT(level, 19);
    const int compared = CheckBands([&](int32_t row) {
        const uint32_t texel = Texel(row, 63 - level);
        const uint8_t* shade = g_shadeTable[level];
        return uint32_t{shade[(texel >> 16) & 0xFF]} << 16 |
               uint32_t{shade[(texel >> 8) & 0xFF]} << 8 | shade[texel & 0xFF];
    });
    EXPECT_GT(compared, 20000);
}

TEST_F(PlaneTerrainTest, PointsBelowTheSurfaceAreHiddenAndPointsAboveItDrawn) {
    const int32_t below = AddPoint(20, 10, Height(20) - 30);
    const int32_t above = AddPoint(-20, -10, Height(-20) + 30);
    g_showPoints = -1;
    g_penSize = 1;
    g_birdsEyeTilt = -0.7;
    ASSERT_TRUE(Paint());
    EXPECT_EQ(g_pointsDrawnWithDepth, -1);
    EXPECT_EQ(g_points[below].hidden, 2);
    EXPECT_EQ(g_points[above].hidden, 0);
    const RandomPoint& p = g_points[above];
    EXPECT_EQ(g_rowTable[g_viewportCenterY + p.screenY][g_viewportCenterX + p.screenX],
              g_colorTable[20]);
}

TEST_F(PlaneTerrainTest, WaterOverHolesIsOpaqueOrMixedOnce) {
    // The triangles west of x = -40 (inclusive) become holes: their records carry negative
    // indices.
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& e = g_tinEdges[i];
        if (e.apexSearch <= 0) continue;
        if (g_points[e.a].x < -39 && g_points[e.b].x < -39 && g_points[e.apexSearch].x < -39) {
            e.a = -e.a;
            e.b = -e.b;
            if (e.apexBack != kNoApex) e.apexBack = -e.apexBack;
            e.apexSearch = -e.apexSearch;
        }
    }
    g_birdsEyeOn = 0;
    g_viewScale = 1.0;
    // A large extent weighs the height above the water heavily in the plan's depths; the
    // picture must still lie where the plan puts the ground.
    g_extentSize = 40000;
    ColorBandParams& p = g_colorBandParams;
    p.waterShown = -1;
    p.waterLevel = 200;  // above the whole surface
    const uint32_t water = 0x2060A0;
    p.waterColour = static_cast<int32_t>(water);
    std::set<uint32_t> stripes;
    for (int k = 0; k < 20; ++k) stripes.insert(static_cast<uint32_t>(p.stripeColours[k]));

    for (int transparent : {0, 1}) {
        p.waterTransparent = transparent;
        ASSERT_TRUE(Paint());
        int inHoles = 0, outside = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r) {
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) {
                double x = 0, y = 0, z = 0;
                GroundAt(c, r, x, y, z);
                if (std::abs(y) > kSide / 2 - 5 || std::abs(x) > kSide / 2 - 5) continue;
                const uint32_t pixel = g_rowTable[r][c];
                if (x > -35) {
                    // No water: the bands as they are.
                    ASSERT_TRUE(stripes.count(pixel)) << c << "," << r;
                    ++outside;
                } else if (x < -45) {
                    ++inHoles;
                    if (!transparent) {
                        ASSERT_EQ(pixel, water) << c << "," << r;
                        continue;
                    }
                    // Mixed once with a band colour, also where two hole triangles met.
                    ASSERT_TRUE(pixel & 0x80000000u) << c << "," << r;
                    bool found = false;
                    for (uint32_t s : stripes)
                        found |= pixel == ((((s >> 1) & 0x7F7F7F7F) + ((water >> 1) & 0x7F7F7F)) |
                                           0x80000000u);
                    ASSERT_TRUE(found) << c << "," << r << " " << std::hex << pixel;
                }
            }
        }
        EXPECT_GT(inHoles, 1000);
        EXPECT_GT(outside, 1000);
    }
}

TEST_F(PlaneTerrainTest, TheWaterPlaneCoversTheGroundBelowTheLevel) {
    // The ground rises east of x = 0 out of water at 100.
    g_birdsEyeOn = 0;
    ColorBandParams& p = g_colorBandParams;
    p.waterShown = 1;
    p.waterLevel = 100;
    const uint32_t water = 0x2060A0;
    p.waterColour = static_cast<int32_t>(water);
    std::set<uint32_t> stripes;
    for (int k = 0; k < 20; ++k) stripes.insert(static_cast<uint32_t>(p.stripeColours[k]));
    for (int transparent : {0, 1}) {
        p.waterTransparent = transparent;
        ASSERT_TRUE(Paint());
        int under = 0, dry = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) {
                double x = 0, y = 0, z = 0;
                GroundAt(c, r, x, y, z);
                if (std::abs(y) > kSide / 2 - 5 || std::abs(x) > kSide / 2 - 5) continue;
                const uint32_t pixel = g_rowTable[r][c];
                if (x > 5) {
                    ASSERT_TRUE(stripes.count(pixel)) << c << "," << r;
                    ++dry;
                } else if (x < -5) {
                    ++under;
                    if (!transparent) {
                        ASSERT_EQ(pixel, water) << c << "," << r;
                    } else {
                        ASSERT_FALSE(stripes.count(pixel)) << c << "," << r;
                        ASSERT_TRUE(pixel & 0x80000000u) << c << "," << r;
                    }
                }
            }
        EXPECT_GT(under, 1000);
        EXPECT_GT(dry, 1000);
    }
    // Switched off, no water at all.
    p.waterShown = 0;
    ASSERT_TRUE(Paint());
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) ASSERT_NE(g_rowTable[r][c], water);
}

TEST_F(PlaneTerrainTest, ThePlanWaterPlaneFillsTheExtentSquareMixingEachPixelOnce) {
    // A square of 100 m around the middle of the 200 m terrain, above all of it.
    g_birdsEyeOn = 0;
    g_viewScale = 1.0;
    g_extentCenterX = g_extentCenterY = 0;
    g_extentSize = 100;
    ColorBandParams& p = g_colorBandParams;
    p.waterShown = 1;
    p.waterLevel = 500;
    const uint32_t water = 0x2060A0;
    p.waterColour = static_cast<int32_t>(water);
    std::set<uint32_t> stripes;
    for (int k = 0; k < 20; ++k) stripes.insert(static_cast<uint32_t>(p.stripeColours[k]));
    for (int transparent : {0, 1}) {
        p.waterTransparent = transparent;
        ASSERT_TRUE(Paint());
        int inside = 0, outside = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) {
                double x = 0, y = 0, z = 0;
                GroundAt(c, r, x, y, z);
                const uint32_t pixel = g_rowTable[r][c];
                if (std::abs(x) > 52 || std::abs(y) > 52) {
                    if (std::abs(x) < kSide / 2 - 5 && std::abs(y) < kSide / 2 - 5) {
                        ASSERT_TRUE(stripes.count(pixel)) << c << "," << r;
                        ++outside;
                    }
                    continue;
                }
                if (std::abs(x) > 48 || std::abs(y) > 48) continue;
                ++inside;
                if (!transparent) {
                    ASSERT_EQ(pixel, water) << c << "," << r;
                    continue;
                }
                // Half band, half water: once, also on the diagonals where the plane's
                // triangles (each drawn in both windings) meet.
                bool once = false;
                for (uint32_t s : stripes)
                    once |= pixel == ((((s >> 1) & 0x7F7F7F7F) + ((water >> 1) & 0x7F7F7F)) |
                                      0x80000000u);
                ASSERT_TRUE(once) << c << "," << r << " " << std::hex << pixel;
            }
        EXPECT_GT(inside, 5000);
        EXPECT_GT(outside, 1000);
    }
}

TEST_F(PlaneTerrainTest, TheBirdsEyeWaterPlaneShowsFromBelow) {
    ColorBandParams& p = g_colorBandParams;
    p.waterShown = 1;
    p.waterTransparent = 0;
    const uint32_t water = 0x2060A0;
    p.waterColour = static_cast<int32_t>(water);
    g_extentCenterX = g_extentCenterY = 0;
    g_extentSize = 4000;
    g_birdsEyeTilt = 0.3;  // looking up
    p.waterLevel = -1000;  // first somewhere below, to find the eye
    ASSERT_TRUE(Paint());
    p.waterLevel = g_eyeZ + 100;
    ASSERT_TRUE(Paint());
    ASSERT_LT(g_eyeZ, p.waterLevel);
    int shown = 0;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) shown += g_rowTable[r][c] == water;
    EXPECT_GT(shown, 1000);
}

TEST_F(PlaneTerrainTest, TinLinesAreDrawnInFrontOfTheBands) {
    g_showTin = -1;
    g_birdsEyeTilt = -0.9;
    ASSERT_TRUE(TinLinesDrawnWithDepth());
    ASSERT_TRUE(Paint());
    int lines = 0;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) lines += g_rowTable[r][c] == g_colorTable[30];
    EXPECT_GT(lines, 500);
}

// Convex hull of the points, counterclockwise on the map: the outline of a scatter.
std::vector<int32_t> ConvexHull() {
    std::vector<int32_t> order;
    for (int32_t i = 1; i <= g_pointCount; ++i) order.push_back(i);
    std::sort(order.begin(), order.end(), [](int32_t a, int32_t b) {
        return g_points[a].y != g_points[b].y ? g_points[a].y < g_points[b].y
                                              : g_points[a].x < g_points[b].x;
    });
    auto cross = [](int32_t o, int32_t a, int32_t b) {
        const RandomPoint &po = g_points[o], &pa = g_points[a], &pb = g_points[b];
        return (pa.y - po.y) * (pb.x - po.x) - (pa.x - po.x) * (pb.y - po.y);
    };
    std::vector<int32_t> hull(2 * order.size());
    size_t k = 0;
    for (int32_t i : order) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], i) <= 0) --k;
        hull[k++] = i;
    }
    for (size_t i = order.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], order[i]) <= 0) --k;
        hull[k++] = order[i];
    }
    hull.resize(k - 1);
    return hull;
}

// The start-up survey: 20,000 points of real terrain, their convex hull as the outline and
// the grid TIN inside it, in a 1024 x 768 view of the whole set.
class JacksboroTest : public BirdsEyeTest {
protected:
    void SetUp() override {
        BirdsEyeTest::SetUp();
        std::FILE* file = std::fopen(SurveyFile("jacksboro_scatter20k.RND").c_str(), "rb");
        ASSERT_NE(file, nullptr);
        g_pointCapacity = 20100;
        GrowPointBlock(g_pointCapacity);
        ASSERT_EQ(ReadRndText(file), 0);
        ASSERT_EQ(g_pointCount, 20000);
        g_pointsPresent = -1;
        BuildTin(ConvexHull());

        FreeRasterBlocks();
        Open(1024, 768);
        g_overviewExtent = 0;
        ComputeDataExtents(0);
    }

    // A picture beside the others for a person to look at.
    static void Save(const char* name) {
        const fs::path folder = fs::exists("/work/wt/screens") ? fs::path("/work/wt/screens")
                                                               : fs::temp_directory_path();
        const fs::path path = folder / name;
        EXPECT_TRUE(WritePng(path, WindowRgb(g_bufferMaxX + 1, g_bufferMaxY + 1), g_bufferMaxX + 1,
                             g_bufferMaxY + 1));
        std::printf("bird's-eye picture: %s\n", path.c_str());
    }
};

TEST_F(JacksboroTest, TheScatterAsABirdsEyePicture) {
    g_birdsEyeOn = 1;
    g_birdsEyeTilt = -0.45;
    g_birdsEyeAzimuth = 0.5;
    g_heightScale = 3;
    g_viewScale *= 1.7;
    g_colorBandParams.shading = 1;
    g_colorBandOn = -1;
    BuildElevationPalette();
    ASSERT_TRUE(Paint());

    // The terrain fills most of the picture, in many bands.
    int terrain = 0;
    std::set<uint32_t> colours;
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) {
            const uint32_t pixel = g_rowTable[r][c] & 0xFFFFFF;
            terrain += pixel != (g_colorTable[10] & 0xFFFFFF);
            colours.insert(pixel);
        }
    EXPECT_GT(terrain, (g_bufferMaxX + 1) * (g_bufferMaxY + 1) / 3);
    EXPECT_GT(colours.size(), 200u);

    Save("birdseye.png");
}

// ---- an independent rendering ----

// The TIN's triangles once each, wound so that their upper side faces an eye above them:
// the rasteriser draws a face whose camera-space normal N = (Q - P) x (R - P) meets
// P . N >= 0, so for an eye high above (P = -h U, U the camera's up) N . U must be negative.
std::vector<std::array<int32_t, 3>> UpperFaces() {
    const double* m = g_cameraMatrix;
    const double up[3] = {m[1], m[4], m[7]};
    std::set<std::array<int32_t, 3>> seen;
    std::vector<std::array<int32_t, 3>> faces;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        if (e.apexSearch <= 0) continue;
        std::array<int32_t, 3> t = {std::abs(e.a), std::abs(e.b), e.apexSearch};
        std::array<int32_t, 3> key = t;
        std::sort(key.begin(), key.end());
        if (!seen.insert(key).second) continue;
        double c[3][3];
        for (int k = 0; k < 3; ++k) {
            const RandomPoint& p = g_points[t[k]];
            for (int r = 0; r < 3; ++r)
                c[k][r] = m[3 * r] * p.y + m[3 * r + 1] * p.z + m[3 * r + 2] * p.x;
        }
        const double a[3] = {c[1][0] - c[0][0], c[1][1] - c[0][1], c[1][2] - c[0][2]};
        const double b[3] = {c[2][0] - c[0][0], c[2][1] - c[0][1], c[2][2] - c[0][2]};
        const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                             a[0] * b[1] - a[1] * b[0]};
        if (n[0] * up[0] + n[1] * up[1] + n[2] * up[2] > 0) std::swap(t[1], t[2]);
        faces.push_back(t);
    }
    return faces;
}

struct CameraPoint {
    double x, y, z;
};

CameraPoint ToCamera(const RandomPoint& p) {
    const double* m = g_cameraMatrix;
    const double east = p.y - g_eyeY, up = p.z - g_eyeZ, north = p.x - g_eyeX;
    return {m[0] * east + m[1] * up + m[2] * north, m[3] * east + m[4] * up + m[5] * north,
            m[6] * east + m[7] * up + m[8] * north};
}

using Outline = std::vector<std::array<double, 2>>;

// The faces drawn the plain way: each in double precision, cut at the near plane z = 0.01,
// projected with the rasteriser's frustum, every pixel centre inside taken by the nearest
// face by the depth of its plane.
struct ReferencePicture {
    std::vector<int32_t> face;      // per buffer pixel, bottom row first: 1 + face index, or 0
    std::vector<Outline> outlines;  // per face, the projected part in front of the near plane
    int nearCuts = 0;               // faces that show after a cut at the near plane
};

ReferencePicture RenderReference(const std::vector<std::array<int32_t, 3>>& faces) {
    const int32_t w = g_bufferMaxX + 1, h = g_bufferMaxY + 1;
    ReferencePicture out;
    out.face.assign(static_cast<size_t>(w) * h, 0);
    out.outlines.resize(faces.size());
    std::vector<double> depth(out.face.size(), 0);
    for (size_t f = 0; f < faces.size(); ++f) {
        const CameraPoint v[3] = {ToCamera(g_points[faces[f][0]]), ToCamera(g_points[faces[f][1]]),
                                  ToCamera(g_points[faces[f][2]])};
        const double a[3] = {v[1].x - v[0].x, v[1].y - v[0].y, v[1].z - v[0].z};
        const double b[3] = {v[2].x - v[0].x, v[2].y - v[0].y, v[2].z - v[0].z};
        const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                             a[0] * b[1] - a[1] * b[0]};
        const double d = n[0] * v[0].x + n[1] * v[0].y + n[2] * v[0].z;
        if (d <= 0) continue;  // seen from below, or edge-on
        std::vector<CameraPoint> cut;
        for (int k = 0; k < 3; ++k) {
            const CameraPoint& s = v[k];
            const CameraPoint& e = v[(k + 1) % 3];
            if (s.z >= 0.01) cut.push_back(s);
            if ((s.z >= 0.01) != (e.z >= 0.01)) {
                const double t = (0.01 - s.z) / (e.z - s.z);
                cut.push_back({s.x + t * (e.x - s.x), s.y + t * (e.y - s.y), 0.01});
            }
        }
        if (cut.size() < 3) continue;
        Outline& o = out.outlines[f];
        double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300, area = 0;
        for (const CameraPoint& c : cut) {
            o.push_back(
                {g_projScale * c.x / c.z + g_projCenterX, g_projScale * c.y / c.z + g_projCenterY});
            x0 = std::min(x0, o.back()[0]), x1 = std::max(x1, o.back()[0]);
            y0 = std::min(y0, o.back()[1]), y1 = std::max(y1, o.back()[1]);
        }
        const size_t count = o.size();
        for (size_t k = 0; k < count; ++k)
            area += o[k][0] * o[(k + 1) % count][1] - o[(k + 1) % count][0] * o[k][1];
        bool shown = false;
        for (int32_t r = std::max(0, static_cast<int32_t>(std::floor(std::max(y0, -1.0))));
             r <= std::min<double>(h - 1, y1); ++r) {
            for (int32_t c = std::max(0, static_cast<int32_t>(std::floor(std::max(x0, -1.0))));
                 c <= std::min<double>(w - 1, x1); ++c) {
                const double px = c + 0.5, py = r + 0.5;
                bool inside = true;
                for (size_t k = 0; k < count && inside; ++k) {
                    const auto& p = o[k];
                    const auto& q = o[(k + 1) % count];
                    const double side = (q[0] - p[0]) * (py - p[1]) - (q[1] - p[1]) * (px - p[0]);
                    inside = (area >= 0 ? side : -side) >= 0;
                }
                if (!inside) continue;
                // 1/z over the screen, from the plane N . X = d with X = z (dx, dy, 1).
                const double dx = (px - g_projCenterX) / g_projScale;
                const double dy = (py - g_projCenterY) / g_projScale;
                const double inverseZ = (n[0] * dx + n[1] * dy + n[2]) / d;
                const size_t at = static_cast<size_t>(r) * w + c;
                if (inverseZ > depth[at]) {
                    depth[at] = inverseZ;
                    out.face[at] = static_cast<int32_t>(f) + 1;
                }
                shown = true;
            }
        }
        if (shown && (v[0].z < 0.01 || v[1].z < 0.01 || v[2].z < 0.01)) ++out.nearCuts;
    }
    return out;
}

// The same faces through the rasteriser as the triangle pass hands them over, each in a
// flat colour of its own (1 + its index); the picture read back, bottom row first.
std::vector<int32_t> RasteriseFaces(const std::vector<std::array<int32_t, 3>>& faces) {
    const int32_t w = g_bufferMaxX + 1, h = g_bufferMaxY + 1;
    UnlockBackBuffer();
    const double angle =
        std::atan2(std::max(g_bufferMaxX, g_bufferMaxY), g_focalLength) * 180.0 / M_PI;
    EXPECT_GE(InitTriangleRaster(angle, w, h), 0);
    LockBackBuffer();
    for (int32_t r = 0; r < h; ++r) std::fill(g_rowTable[r], g_rowTable[r] + w, 0u);
    UseFlatSpans();
    for (size_t f = 0; f < faces.size(); ++f) {
        RasterVertex v[3]{};
        for (int k = 0; k < 3; ++k) {
            const RandomPoint& p = g_points[faces[f][k]];
            v[k].x = p.y;
            v[k].y = p.z;
            v[k].z = p.x;
        }
        ProjectTriangle3D(&v[0], &v[1], &v[2]);
        for (RasterVertex& vertex : v) ComputeVertexOutcode(vertex);
        g_triangleColor = static_cast<uint32_t>(f) + 1;
        DrawTriangle3D(v[0], v[1], v[2]);
    }
    std::vector<int32_t> out;
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c) out.push_back(static_cast<int32_t>(g_rowTable[r][c]));
    UnlockBackBuffer();
    EndTriangleRaster();
    LockBackBuffer();
    return out;
}

// Pixels that picture a covers with no covered pixel of picture b within two pixels.
int Unmatched(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
    const int32_t w = g_bufferMaxX + 1, h = g_bufferMaxY + 1;
    int n = 0;
    for (int32_t r = 0; r < h; ++r) {
        for (int32_t c = 0; c < w; ++c) {
            if (!a[static_cast<size_t>(r) * w + c]) continue;
            bool near = false;
            for (int32_t rr = std::max(r - 2, 0); rr <= std::min(r + 2, h - 1) && !near; ++rr)
                for (int32_t cc = std::max(c - 2, 0); cc <= std::min(c + 2, w - 1) && !near; ++cc)
                    near = b[static_cast<size_t>(rr) * w + cc] != 0;
            n += !near;
        }
    }
    return n;
}

// Whether pixel (c, r) lies inside the outline or within two pixels of it.
bool NearOutline(const Outline& o, int32_t c, int32_t r) {
    if (o.size() < 3) return false;
    const double px = c + 0.5, py = r + 0.5;
    double area = 0, nearest = 1e300;
    bool inside = true;
    for (size_t k = 0; k < o.size(); ++k) {
        const auto& p = o[k];
        const auto& q = o[(k + 1) % o.size()];
        area += p[0] * q[1] - q[0] * p[1];
    }
    for (size_t k = 0; k < o.size(); ++k) {
        const auto& p = o[k];
        const auto& q = o[(k + 1) % o.size()];
        const double ex = q[0] - p[0], ey = q[1] - p[1];
        const double side = ex * (py - p[1]) - ey * (px - p[0]);
        inside = inside && (area >= 0 ? side : -side) >= 0;
        const double length2 = ex * ex + ey * ey;
        const double t = length2 > 0
                             ? std::clamp(((px - p[0]) * ex + (py - p[1]) * ey) / length2, 0.0, 1.0)
                             : 0.0;
        nearest = std::min(nearest, std::hypot(p[0] + t * ex - px, p[1] + t * ey - py));
    }
    return inside || nearest <= 2;
}

// The largest 8-connected group of pixels that show a face away from where it projects.
// Vertices land on whole pixels and rows, which moves a sliver's flat edge sideways by a
// few pixels here and there; a face filled wrongly shows as a patch.
size_t LargestStrayPatch(const std::vector<int32_t>& faces, const ReferencePicture& reference) {
    const int32_t w = g_bufferMaxX + 1, h = g_bufferMaxY + 1;
    std::set<std::pair<int32_t, int32_t>> strays;
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c) {
            const int32_t f = faces[static_cast<size_t>(r) * w + c];
            if (f != 0 && !NearOutline(reference.outlines[f - 1], c, r)) strays.insert({c, r});
        }
    size_t largest = 0;
    while (!strays.empty()) {
        std::vector<std::pair<int32_t, int32_t>> open{*strays.begin()};
        strays.erase(strays.begin());
        size_t size = 0;
        while (!open.empty()) {
            const auto [c, r] = open.back();
            open.pop_back();
            ++size;
            for (int32_t dr = -1; dr <= 1; ++dr)
                for (int32_t dc = -1; dc <= 1; ++dc) {
                    const auto it = strays.find({c + dc, r + dr});
                    if (it == strays.end()) continue;
                    open.push_back(*it);
                    strays.erase(it);
                }
        }
        largest = std::max(largest, size);
    }
    return largest;
}

TEST_F(JacksboroTest, AtExaggerationFiveThePictureMatchesAnIndependentRendering) {
    // The start-up camera; one nearer the ground; and one in the hills, whose triangles
    // cross the near plane and the window's sides.
    struct View {
        double zoom, tilt, azimuth;
        const char* picture;
    };
    const View views[] = {{1, -0.2, 0, "birdseye_e5.png"},
                          {3, -0.6, 1.0, "birdseye_e5_near.png"},
                          {300, -0.05, 1.0, "birdseye_e5_low.png"}};
    const double startScale = g_viewScale;
    for (const View& v : views) {
        SCOPED_TRACE(v.picture);
        g_viewScale = startScale * v.zoom;
        g_birdsEyeOn = 1;
        g_birdsEyeTilt = v.tilt;
        g_birdsEyeAzimuth = v.azimuth;
        g_heightScale = 5;
        g_colorBandParams.shading = 1;
        g_colorBandOn = -1;
        BuildElevationPalette();
        ASSERT_TRUE(Paint());
        Save(v.picture);
        const uint32_t background = g_colorTable[10] & 0xFFFFFF;
        std::vector<int32_t> painted;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c)
                painted.push_back((g_rowTable[r][c] & 0xFFFFFF) != background);

        const std::vector<std::array<int32_t, 3>> faces = UpperFaces();
        const ReferencePicture reference = RenderReference(faces);
        EXPECT_EQ(Unmatched(painted, reference.face), 0) << "drawn where no triangle lies";
        EXPECT_EQ(Unmatched(reference.face, painted), 0) << "left out where a triangle lies";
        const std::vector<int32_t> rasterised = RasteriseFaces(faces);
        EXPECT_LE(LargestStrayPatch(rasterised, reference), 9u);
        if (v.zoom > 100) {
            EXPECT_GT(reference.nearCuts, 0);
        }
    }
}

}  // namespace

// The background image over the terrain (draped) and as a plane under it.
class BirdsEyeImageTest : public PlaneTerrainTest {
protected:
    static constexpr uint32_t kImageColor = 0x00ABCDEF;
    void SetUp() override {
        PlaneTerrainTest::SetUp();
        g_colorBandOn = 0;
        ImageSlot& s = g_bgImage;
        s = ImageSlot{};
        s.width = s.height = 4;
        s.stride = 16;
        SetActiveImageBlock(AllocImageBlock(64));
        for (int i = 0; i < 16; ++i) std::memcpy(g_bgImage.pixels + 4 * i, &kImageColor, 4);
        s.loaded = 1;
        s.blendMode = BLEND_OVERWRITE;
        Place(kSide / 2);
    }
    static int CountColor(uint32_t color) {
        int n = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) n += (g_rowTable[r][c] & 0xFFFFFF) == color;
        return n;
    }
    void TearDown() override {
        ResetImageSlots();
        PlaneTerrainTest::TearDown();
    }
    // Square placement of half-side h around the centre.
    static void Place(double h) {
        ImageSlot& s = g_bgImage;
        const double c[4][2] = {{-h, h}, {h, h}, {-h, -h}, {h, -h}};
        std::memcpy(s.corners, c, sizeof c);
        ComputeImageEdgeLengths(s);
        s.positionKnown = 1;
        SetupImageMapping(s);
    }
};

TEST_F(BirdsEyeImageTest, DrapedOverTheTerrainAndPlanedUnderIt) {
    ASSERT_TRUE(Paint());
    const int draped = CountColor(kImageColor);
    EXPECT_GT(draped, 2000);

    g_bgImage.blendMode = BLEND_HIDDEN;
    ASSERT_TRUE(Paint());
    EXPECT_EQ(CountColor(kImageColor), 0);

    // Four times the terrain's side on the base: the plane shows around the terrain too.
    g_bgImage.blendMode = BLEND_OVERWRITE;
    g_bgImage.showOnBase = 1;
    Place(2 * kSide);
    ASSERT_TRUE(Paint());
    EXPECT_GT(CountColor(kImageColor), draped + 1000);
}
