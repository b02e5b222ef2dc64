// The cross sections in the bird's-eye view: by hand under a camera looking straight down,
// and through the painter's bird's-eye frame.
#include "section/section_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "../view/raster_fixture.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "view/birds_eye_projection.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/stroke_font.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

constexpr uint32_t kSectionInk = 0x00ABCDEF;
constexpr uint32_t kLabelInk = 0x00FEDCBA;

struct Side {
    std::vector<double> offsets;  // left negative, right positive; the section runs east-west
};

class SectionDrawing : public RasterTest {
protected:
    void SetUp() override {
        InitDataModel();
        InitRouteSectionDefaults();
        CreateSectionBlocks();
        Open(320, 240);
        g_colorTable[46] = kSectionInk;
        g_colorTable[58] = kLabelInk;
        g_showIpNames = 0;
        g_birdsEyeOn = 1;
    }
    void TearDown() override {
        g_painterLayers.crossSections3D = nullptr;
        InitRouteSectionDefaults();
        ReleaseDataModel();
        RasterTest::TearDown();
    }

    // Looking straight down from 100 m: a ground point (north x, east y) at height 0 lands
    // on column 160 + y, row 120 + x.
    static void LookDown() {
        const double down[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
        std::memcpy(g_cameraMatrix, down, sizeof down);
        g_eyeX = g_eyeY = 0;
        g_eyeZ = 100;
        g_nearPlane = 1;
        g_focalLength = 100;
        g_viewportCenterX = 160;
        g_viewportCenterY = 120;
    }

    // Section n with its centre at (x, y, z) and points at height z across the north.
    static CrossSection* AddSection(double x, double y, double z, const std::vector<double>& left,
                                    const std::vector<double>& right, int32_t estimated = 0) {
        const int32_t n = ++g_crossSectionCount;
        CrossSection* s = GetCrossSection(n);
        s->number = n;
        std::snprintf(s->name, sizeof s->name, "NO.%d", n);
        s->centreX = x, s->centreY = y, s->height = z;
        s->centreEstimated = estimated;
        s->leftDirX = 0, s->leftDirY = -1, s->rightDirX = 0, s->rightDirY = 1;
        EXPECT_TRUE(ReserveSectionPoints(s, static_cast<int32_t>(std::max(left.size(), right.size()))));
        for (size_t k = 0; k < left.size(); ++k) {
            SectionPoint& p = s->points[k + 1];
            p.leftOffset = left[k], p.leftX = x, p.leftY = y + left[k], p.leftHeight = z;
        }
        for (size_t k = 0; k < right.size(); ++k) {
            SectionPoint& p = s->points[k + 1];
            p.rightOffset = right[k], p.rightX = x, p.rightY = y + right[k], p.rightHeight = z;
        }
        s->leftCount = static_cast<int32_t>(left.size());
        s->rightCount = static_cast<int32_t>(right.size());
        return s;
    }

    static bool Ink(int32_t column, int32_t row) { return g_rowTable[row][column] == kSectionInk; }
    static int CountInk(uint32_t ink) {
        int n = 0;
        for (int32_t r = 0; r < BackBufferHeight(); ++r)
            for (int32_t c = 0; c < BackBufferWidth(); ++c) n += g_rowTable[r][c] == ink;
        return n;
    }
};

TEST_F(SectionDrawing, GroundLinesAndTheCentreLineUnderACameraLookingDown) {
    LookDown();
    AddSection(0, 0, 0, {-10, -20}, {15});
    AddSection(30, 0, 0, {-10}, {10, 20}, /*estimated*/ 1);
    AddSection(60, 40, 0, {}, {});  // no ground at all: left out, and not joined
    AddSection(90, 0, 5, {}, {});   // a centre height alone is drawn and joined
    DrawCrossSections3D();

    // Section 1 from its left end through the centre to its right end.
    for (int32_t c = 140; c <= 175; ++c) EXPECT_TRUE(Ink(c, 120)) << c;
    EXPECT_FALSE(Ink(139, 120));
    EXPECT_FALSE(Ink(176, 120));
    // Section 2's centre is no ground: its sides start at their first points, so nothing
    // runs between the centre and the points at 10 m either side.
    for (int32_t c = 170; c <= 180; ++c) EXPECT_TRUE(Ink(c, 150)) << c;
    for (int32_t c : {151, 155, 159, 161, 165, 169}) EXPECT_FALSE(Ink(c, 150)) << c;
    // The centre line: 1 to 2, then 2 on to 4 past the empty section 3.
    for (int32_t r = 121; r <= 210; ++r) EXPECT_TRUE(Ink(160, r)) << r;
    EXPECT_FALSE(Ink(200, 180));
    EXPECT_EQ(CountInk(kLabelInk), 0);
}

TEST_F(SectionDrawing, ArbitrarySectionsAreNotJoinedAndNamesAreLabelled) {
    LookDown();
    AddSection(0, 0, 0, {-10}, {10});
    CrossSection* s = AddSection(30, 0, 0, {-10}, {10});
    s->points[1].rightNamed = 1;
    std::strcpy(s->points[1].rightName, "P1");
    g_stationCapacity = 10;
    ASSERT_EQ(GrowStationBlock(g_stationCapacity), 0);
    g_stationCount = 2;
    g_stations[2].kind = -1;
    DrawCrossSections3D();
    for (int32_t r = 125; r <= 145; ++r) EXPECT_FALSE(Ink(160, r)) << r;
    EXPECT_TRUE(Ink(150, 150));
    EXPECT_EQ(CountInk(kLabelInk), 0);

    g_showIpNames = -1;
    LoadStrokeFontFrom("/nonexistent");  // the built-in font
    FillAll(kSentinel);
    DrawCrossSections3D();
    EXPECT_GT(CountInk(kLabelInk), 0);
    // Labels stand beside their points: the centre's name and the named right point of
    // section 2, not its unnamed left point.
    const PixelSet all = Written();
    bool nearCentre = false, nearNamed = false, nearUnnamed = false;
    for (const auto& [c, r] : all) {
        if (g_rowTable[r][c] != kLabelInk) continue;
        nearCentre = nearCentre || (std::abs(c - 150) <= 20 && r >= 150 && r <= 170);
        nearNamed = nearNamed || (c >= 162 && c <= 180 && r >= 150 && r <= 170);
        nearUnnamed = nearUnnamed || (c < 140 && r >= 150 && r <= 170);
    }
    EXPECT_TRUE(nearCentre);
    EXPECT_TRUE(nearNamed);
    EXPECT_FALSE(nearUnnamed);
}

TEST_F(SectionDrawing, ThePainterDrawsThemInItsBirdsEyeFrameOnly) {
    // Points to give the view its extent (not drawn), and two sections among them.
    auto addPoint = [](double x, double y, double z) {
        ASSERT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.z = z;
        SetPointEndMarker();
        g_pointsPresent = -1;
    };
    for (double x : {-50.0, 50.0})
        for (double y : {-50.0, 50.0}) addPoint(x, y, 0);
    AddSection(-20, 0, 2, {-15, -30}, {20, 35});
    AddSection(20, 0, 2, {-25}, {30});
    // The same places as points, projected by the view's own record projection.
    const std::vector<std::pair<double, double>> marks = {{-20, -30}, {-20, 35}, {20, -25}, {20, 30}, {0, 0}};
    const int32_t firstMark = g_pointCount + 1;
    for (const auto& [x, y] : marks) addPoint(x, y, 2);

    InstallCrossSectionLayer();
    g_viewCenterX = g_viewCenterY = 0;
    g_viewScale = 2;
    g_birdsEyeAzimuth = -0.3;
    g_birdsEyeTilt = -0.7;
    g_birdsEyeRoll = 0;
    g_heightScale = 1;
    g_focalLength = g_bufferMaxX;
    g_showPoints = 0;
    g_showTin = 0;
    g_showRoute = 0;
    auto paint = [] {
        g_redrawMask = -1;
        FillAll(kSentinel);
        ASSERT_EQ(PaintView(nullptr), 1);
        g_colorTable[46] = kSectionInk;  // the frame may set its palette; paint again in ours
        FillAll(kSentinel);
        ASSERT_EQ(PaintView(nullptr), 1);
    };

    g_showSections = -1;
    paint();
    ASSERT_GT(CountInk(kSectionInk), 0);
    for (size_t k = 0; k < marks.size(); ++k) {
        SCOPED_TRACE(k);
        const RandomPoint& p = g_points[firstMark + static_cast<int32_t>(k)];
        ASSERT_EQ(p.hidden, 0);
        const int32_t c = g_viewportCenterX + p.screenX, r = g_viewportCenterY + p.screenY;
        bool found = false;
        for (int32_t dr = -2; dr <= 2; ++dr)
            for (int32_t dc = -2; dc <= 2; ++dc) found = found || Ink(c + dc, r + dr);
        EXPECT_TRUE(found) << c << " " << r;
    }

    g_showSections = 0;
    paint();
    EXPECT_EQ(CountInk(kSectionInk), 0);
    g_showSections = -1;
    g_birdsEyeOn = 0;
    paint();
    EXPECT_EQ(CountInk(kSectionInk), 0);
    g_birdsEyeOn = 1;
    g_crossSectionCount = 0;
    paint();
    EXPECT_EQ(CountInk(kSectionInk), 0);
}

}  // namespace
