// Coordinates far beyond any survey, or not numbers at all, reach the painter from files,
// editing and imports alike: every layer must draw them without an undefined conversion
// (the sanitizer build catches one) and leave a point that is not a number out.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "contour/contour_drawing.h"
#include "contour/contour_files.h"
#include "painter_fixture.h"
#include "route/route_data.h"
#include "view/band_texture.h"
#include "view/birds_eye_projection.h"
#include "view/color_band_params.h"
#include "view/text_flags.h"
#include "view/triangle_pass.h"
#include "view/triangle_raster.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class FarCoordinates : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        m_lines = std::filesystem::temp_directory_path() /
                  ("far_coordinates_" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        g_contourLinesPath = m_lines.string();
        InstallTrianglePass();
        InstallContourLayer();
        g_birdsEyeAzimuth = 0.3;
        g_birdsEyeTilt = -0.4;
        g_birdsEyeRoll = 0;
        g_heightScale = 1;
        g_rotationAxis = 0;
        g_colorBandParams.centre = 20;
        g_colorBandParams.highest = 40;
        g_colorBandParams.lowest = 0;
        g_colorBandParams.shading = 1;
        BuildElevationPalette();
        g_showPoints = -1;
        g_showGrid = -1;
        g_gridInterval = 10;
        g_showTextFlags = -1;
        g_showDrawingContours = -1;
        g_drawingContoursLoaded = -1;
        g_indexContourInterval = 5;
        LoadStrokeFontFrom("/nonexistent");  // the built-in font: the labels are drawn too
        g_showPointNames = -1;
        g_showPointElevations = -1;
    }
    void TearDown() override {
        std::filesystem::remove(m_lines);
        FreeBandTexture();
        FreeTriangleRasterBlocks();
        g_painterLayers = PainterLayers{};
        PainterTest::TearDown();
    }

    // The square of the fixture and a fifth point (x, y, z) with two triangles on the
    // square's sides, a contour line through it, a text flag and a route's IP on it.
    void MakeWorld(double x, double y, double z) {
        MakeSquareTin();
        const int32_t far = AddPoint(x, y, z, "F");
        SetTin({{1, 2, kNoApex, 3, 0},
                {2, 3, far, 1, 0},
                {3, 4, far, 1, 0},
                {4, 1, kNoApex, 3, 0},
                {1, 3, 2, 4, 0},
                {3, far, kNoApex, 2, 0},
                {far, 3, kNoApex, 4, 0}});
        g_textFlagCount = 1;
        g_textFlags[1] = TextFlag{};
        g_textFlags[1].x = x;
        g_textFlags[1].y = y;
        g_textFlags[1].z = z;
        g_textFlags[1].sizeClass = 1;
        std::snprintf(g_textFlags[1].text, sizeof g_textFlags[1].text, "F");
        g_ipPointCount = 2;
        g_ipPoints[1] = IpPoint{};
        g_ipPoints[1].x = 10;
        g_ipPoints[1].y = 10;
        g_ipPoints[2] = IpPoint{};
        g_ipPoints[2].x = x;
        g_ipPoints[2].y = y;
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_TRUE(f);
        // A line inside the square, one through the far point, one at its height.
        const ContourRecord lines[] = {{3, 10.0, 2}, {0, 5, 5},  {0, 35, 5},  {1, 12.0, 3},
                                       {0, 10, 30},  {0, x, y},  {0, 30, 30}, {1, z, 2},
                                       {0, 15, 15},  {0, 25, 25}};
        for (const ContourRecord& r : lines) ASSERT_TRUE(WriteContourRecord(f, r));
        std::fclose(f);
    }

    // The drawable pixels that show neither the background nor the grid and lie outside the
    // box of the square's projected corners and the first IP grown by `margin`.
    static int DrawnOutsideSquare(int32_t margin) {
        int32_t c0 = INT32_MAX, r0 = INT32_MAX, c1 = INT32_MIN, r1 = INT32_MIN;
        auto add = [&](int8_t offScreen, int32_t column, int32_t row) {
            if (offScreen == 1) return;
            c0 = std::min(c0, g_viewportCenterX + column);
            c1 = std::max(c1, g_viewportCenterX + column);
            r0 = std::min(r0, g_viewportCenterY + row);
            r1 = std::max(r1, g_viewportCenterY + row);
        };
        for (int32_t i = 1; i <= 4; ++i)
            add(g_points[i].hidden, g_points[i].screenX, g_points[i].screenY);
        add(g_ipPoints[1].offScreen, g_ipPoints[1].screenX, g_ipPoints[1].screenY);
        int n = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c)
                if (Pixel(c, r) != Color(10) && Pixel(c, r) != Color(54) &&
                    Pixel(c, r) != Color(55) &&
                    (c < c0 - margin || c > c1 + margin || r < r0 - margin || r > r1 + margin))
                    ++n;
        return n;
    }

    std::filesystem::path m_lines;
};

TEST_F(FarCoordinates, EveryLayerDrawsFarAndUndefinedPointsSafely) {
    struct Case {
        double x, y, z;
        bool finite;  // a drawable position in both forms
    };
    const Case cases[] = {
        {1e42, 20, 10, true},       {20, 1e308, 10, true},  {20, -kInf, 10, false},
        {-1e308, -1e308, 10, true}, {20, 20, 1e308, true},  {20, 20, -1e42, true},
        {kNaN, 20, 10, false},      {20, kInf, 10, false},  {-kInf, kNaN, 10, false},
        {20, 20, kNaN, false},      {20, 20, -kInf, false}, {kNaN, kNaN, kNaN, false}};
    struct View {
        bool birdsEye;
        double scale, exaggeration, centre;
    };
    // Centred on the square, and on the far point's plan position (20, 20), where it is
    // the point the bird's-eye camera looks at.
    const View views[] = {{false, 1, 1, 0},     {false, 1e-6, 1, 20}, {false, 1e6, 1, 20},
                          {false, 1e300, 1, 0}, {true, 1, 1, 0},      {true, 1, 5, 20},
                          {true, 1e-6, 5, 0},   {true, 1e6, 1, 20},   {true, 1e-300, 5, 0},
                          {true, 1e300, 1, 20}};
    for (const Case& c : cases) {
        // A clean model and view for each point.
        TearDown();
        SetUp();
        MakeWorld(c.x, c.y, c.z);
        for (const View& v : views) {
            for (int bands : {0, -1}) {
                SCOPED_TRACE(testing::Message()
                             << c.x << " " << c.y << " " << c.z << " view " << v.birdsEye << " "
                             << v.scale << " " << v.exaggeration << " bands " << bands);
                g_birdsEyeOn = v.birdsEye ? 1 : 0;
                g_viewScale = v.scale;
                g_viewCenterX = g_viewCenterY = v.centre;
                g_heightScale = v.exaggeration;
                g_colorBandOn = bands;
                g_showTin = -1;
                g_redrawMask = -1;
                ASSERT_EQ(Paint(), 1);
                // A point that is not a number is nowhere: nothing of it shows in the view
                // of the square at one pixel per metre, beyond the labels of its corners.
                const bool planDrawable = std::isfinite(c.x) && std::isfinite(c.y);
                if (!c.finite && v.scale == 1 && (v.birdsEye || !planDrawable)) {
                    EXPECT_EQ(DrawnOutsideSquare(24), 0);
                }
            }
        }
    }
}

}  // namespace
