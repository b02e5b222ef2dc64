// The overview: where a click or a drag moves the view, the view's frame in the thumbnail,
// and what the thumbnail shows. The colour dialog's swatches and buttons.
#include "view/overview.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/terrain_data.h"
#include "view/color_settings.h"
#include "view/palette.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
class Overview : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_extentCenterX = 1000;
        g_extentCenterY = 2000;
        g_fitScale = 2;
        g_bufferMaxX = 1000;
        g_bufferMaxY = 800;
        g_viewScale = 5;
        g_birdsEyeOn = 0;
    }
    void TearDown() override { InitDataModel(); }

    static void AddPoint(double x, double y, uint8_t flags = 0) {
        ASSERT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.flags = flags;
        SetPointEndMarker();
        g_pointsPresent = -1;
    }
};

TEST_F(Overview, ADragSetsCentreAndScale) {
    // 50 pixels across in a 200 x 160 overview: 2 x 1000 / 50 = 40 pixels per metre.
    EXPECT_EQ(OverviewPickToView({100, 60, 150, 90}, 200, 160), -1);
    EXPECT_DOUBLE_EQ(g_viewScale, 40);
    // Centre (125, 75): 25 px right of and 5 px above the middle, at 2 px per metre.
    EXPECT_DOUBLE_EQ(g_viewCenterY, 2000 + 12.5);
    EXPECT_DOUBLE_EQ(g_viewCenterX, 1000 + 2.5);
    // A view without a size yet keeps a usable scale.
    const int32_t keptX = g_bufferMaxX, keptY = g_bufferMaxY;
    g_bufferMaxX = g_bufferMaxY = 0;
    OverviewPickToView({100, 60, 150, 90}, 200, 160);
    EXPECT_DOUBLE_EQ(g_viewScale, 40);
    g_bufferMaxX = keptX;
    g_bufferMaxY = keptY;
}

TEST_F(Overview, ClicksAndSmallDragsRecentreAtTheSameScale) {
    struct Case {
        OverviewRect r;
        double north, east;
    } cases[] = {
        {{100, 80, 100, 80}, 1000, 2000},      // the middle
        {{140, 40, 140, 40}, 1020, 2020},      // 40 px right and up
        {{100, 80, 102, 82}, 999.5, 2000.5},   // a drag of 2 px is a click
    };
    for (const Case& c : cases) {
        g_viewScale = 5;
        OverviewPickToView(c.r, 200, 160);
        EXPECT_DOUBLE_EQ(g_viewScale, 5);
        EXPECT_DOUBLE_EQ(g_viewCenterX, c.north);
        EXPECT_DOUBLE_EQ(g_viewCenterY, c.east);
    }
}

TEST_F(Overview, MouseClickProjectsForTheWidthAndRecentres) {
    AddPoint(0, 0);
    AddPoint(100, 100);
    ComputeDataExtents(0);
    OverviewMouse m;
    OverviewButtonDown(m, 150, 50);
    EXPECT_TRUE(OverviewButtonUp(m, 150, 50, 200, 200));
    // The fit scale of a 200-pixel overview; the point 50 px right and up of the middle.
    const double f = 200 / g_extentSize * 0.95;
    EXPECT_DOUBLE_EQ(g_fitScale, f);
    EXPECT_NEAR(g_viewCenterX, g_extentCenterX + 50 / f, 1e-9);
    EXPECT_NEAR(g_viewCenterY, g_extentCenterY + 50 / f, 1e-9);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(m.state, OverviewDragState::kIdle);
    EXPECT_FALSE(OverviewButtonUp(m, 150, 50, 200, 200));  // no longer armed

    OverviewButtonDown(m, 10, 10);
    EXPECT_TRUE(OverviewDragTo(m, 60, 30));
    EXPECT_EQ(m.state, OverviewDragState::kDragging);
    EXPECT_TRUE(OverviewButtonUp(m, 60, 30, 200, 200));
    EXPECT_DOUBLE_EQ(g_viewScale, g_fitScale * 1000 / 50);
}

double Side(const std::array<std::array<double, 2>, 4>& c, int i) {
    return std::hypot(c[(i + 1) % 4][0] - c[i][0], c[(i + 1) % 4][1] - c[i][1]);
}

TEST_F(Overview, FrameIsTheViewsAreaAndGrowsForAFlatTilt) {
    g_viewCenterX = 1000;
    g_viewCenterY = 2000;
    // 1000 x 800 view at 5 px/m: 200 x 160 m, at 2 px/m 400 x 320 px round the middle.
    const auto plan = OverviewFrameCorners(600, 500, 1000, 800);
    EXPECT_NEAR(Side(plan, 0), 320, 1e-9);  // west side, south to north
    EXPECT_NEAR(Side(plan, 1), 400, 1e-9);
    EXPECT_NEAR(plan[0][0], 300 - 200, 1e-9);
    EXPECT_NEAR(plan[0][1], 250 + 160, 1e-9);

    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;  // |sin| < 0.3: held at 0.3
    const auto tilted = OverviewFrameCorners(600, 500, 1000, 800);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(Side(tilted, i), Side(plan, i) / 0.3, 1e-9);
    g_birdsEyeTilt = -1.0;
    EXPECT_NEAR(Side(OverviewFrameCorners(600, 500, 1000, 800), 1), 400 / std::sin(1.0), 1e-9);
    // Turned a quarter: the long side stands upright.
    g_birdsEyeTilt = -M_PI / 2;
    g_birdsEyeAzimuth = M_PI / 2;
    const auto turned = OverviewFrameCorners(600, 500, 1000, 800);
    EXPECT_NEAR(std::fabs(turned[1][1] - turned[0][1]), 0, 1e-9);
    EXPECT_NEAR(std::fabs(turned[1][0] - turned[0][0]), 320, 1e-9);
}

TEST_F(Overview, ThumbnailShowsPointsAndFrame) {
    OverviewImage empty = DrawOverviewThumbnail(100, 80, 1000, 800);
    EXPECT_EQ(empty.At(50, 40), 0xFFFFFFu);  // no data: white

    AddPoint(0, 0);
    AddPoint(100, 100, kPointFlagPickList);
    AddPoint(50, 50);
    ComputeDataExtents(0);
    g_viewCenterX = g_extentCenterX;
    g_viewCenterY = g_extentCenterY;
    g_viewScale = 1000;  // a tiny frame round the middle
    g_redrawMask = 0;
    const OverviewImage img = DrawOverviewThumbnail(201, 201, 100, 100);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(g_projectionValid, 0);
    auto colour = [](int e) {
        const RgbQuad& q = g_drawBitmapInfo->colors[e];
        return static_cast<uint32_t>(q.red) << 16 | q.green << 8 | q.blue;
    };
    const double f = g_fitScale;
    // Within a pixel of where the fit scale puts a ground point (the projection rounds).
    auto near = [&](double north, double east, uint32_t c) {
        const int x = 100 + static_cast<int>(std::floor((east - g_extentCenterY) * f));
        const int y = 100 - static_cast<int>(std::floor((north - g_extentCenterX) * f));
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.At(x + dx, y + dy) == c) return true;
        return false;
    };
    EXPECT_TRUE(near(0, 0, colour(255)));
    EXPECT_TRUE(near(100, 100, colour(249)));  // picked
    EXPECT_FALSE(near(0, 0, colour(249)));
    EXPECT_EQ(img.At(100 - 10, 100 - 10), colour(0));
    // The frame: 100 px at 1000 px/m is 0.1 m, under a pixel: it sits on the middle.
    EXPECT_EQ(img.At(100, 100), colour(251));
    EXPECT_EQ(img.width, 201);
    EXPECT_EQ(DrawOverviewThumbnail(3000, 2000, 10, 10).width, 1023);
}

TEST(ColorSettings, SwatchesMapToTheirPaletteEntries) {
    ASSERT_EQ(kColorSwatches.size(), 40u);
    const std::pair<int, int> expected[] = {
        {1013, 20}, {1016, 22}, {1017, 40}, {1018, 10}, {1020, 31}, {1021, 50}, {1187, 53},
        {1190, 54}, {1192, 42}, {1194, 58}, {1195, 43}, {1197, 45}, {1198, 80}, {1199, 240},
        {1200, 60}, {1215, 75}, {1216, 47}, {1218, 48},
    };
    for (const auto& [id, entry] : expected) {
        bool found = false;
        for (const PaletteSwatch& s : kColorSwatches)
            if (s.controlId == id) {
                EXPECT_EQ(s.paletteEntry, entry) << id;
                found = true;
            }
        EXPECT_TRUE(found) << id;
    }
    // The DXF colours 0..15 run in order; every entry appears once.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(kColorSwatches[22 + i].paletteEntry, 60 + i);
    std::set<int> entries;
    for (const PaletteSwatch& s : kColorSwatches) entries.insert(s.paletteEntry);
    EXPECT_EQ(entries.size(), 40u);
}

TEST(ColorSettings, OnlyAPointStrictlyInsideASwatchHitsIt) {
    std::array<SwatchRect, kColorSwatchCount> rects{};
    for (int i = 0; i < kColorSwatchCount; ++i) rects[i] = {i * 20, 0, i * 20 + 20, 10};
    struct Case {
        int x, y, swatch;
    } cases[] = {{10, 5, 0}, {30, 5, 1}, {20, 5, -1}, {0, 5, -1}, {10, 0, -1}, {10, 10, -1}, {21, 1, 1}};
    for (const Case& c : cases) EXPECT_EQ(SwatchAt(rects, c.x, c.y), c.swatch) << c.x << "," << c.y;
}

TEST(ColorSettings, ResetAndSwapRebuildThePalette) {
    InitDataModel();
    const uint32_t b = PaletteEntryColour(80), w = PaletteEntryColour(240);
    const uint32_t dxf5 = PaletteEntryColour(65);
    SetPaletteEntryColour(65, 0x123456);
    EXPECT_EQ(PaletteEntryColour(65), 0x123456u);
    SetPaletteEntryColour(240, 0xFFFFFF);
    // The grey ramp between the two image colours follows.
    EXPECT_GT(PaletteEntryColour(239) & 0xFF, PaletteEntryColour(81) & 0xFF);

    SwapBackgroundImageColours();
    EXPECT_EQ(PaletteEntryColour(80), 0xFFFFFFu);
    EXPECT_EQ(PaletteEntryColour(240), b);
    EXPECT_GT(PaletteEntryColour(81) & 0xFF, PaletteEntryColour(239) & 0xFF);

    ResetPaletteColours();
    EXPECT_EQ(PaletteEntryColour(65), dxf5);
    EXPECT_EQ(PaletteEntryColour(80), b);
    EXPECT_EQ(PaletteEntryColour(240), w);
    InitDataModel();
}
}  // namespace
