#include "analysis/visibility.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "terrain_grid_tin.h"

namespace {
bool Bit(const VisibilityImage& img, int i, int j) {
    return (img.bits[static_cast<size_t>(j) * img.stride + (i >> 3)] & (0x80 >> (i & 7))) != 0;
}

void SetObserver(double east, double north, double ground, double eyeHeight) {
    g_visibilityObserver = VisibilityObserver{east, north, ground + eyeHeight, ground, 1};
}

class Visibility : public ::testing::Test {
protected:
    void SetUp() override { ResetVisibility(); }
    void TearDown() override { ResetVisibility(); }
};

TEST_F(Visibility, FlatGroundIsSeenToTheSumOfBothHorizons) {
    BuildLatticeTin(3, 3, 0.0, 0.0, 25000.0, [](double, double) { return 100.0; });
    g_visibilityGridSize = 1024;
    ASSERT_EQ(BuildVisibilityGrid(), -1);
    const double cell = 50000.0 / 1024;
    EXPECT_DOUBLE_EQ(g_visibilityGridBox.maxEast, 50000.0);
    EXPECT_FLOAT_EQ(g_visibilityGrid[300 * 1024 + 700], 100.0f);
    SetObserver(25000.0, 25000.0, 100.0, 20.0);
    g_visibilityTargetHeight = 1.0;
    VisibilityImage img;
    ASSERT_TRUE(InvisibleVisibilityImage(1024, img));
    EXPECT_TRUE(ScanVisibility(kScanVisible, g_visibilityGrid.data(), img.bits.data(), img.stride));

    const double reach = std::sqrt(2 * kEarthRadius * 20) + std::sqrt(2 * kEarthRadius * 1);
    EXPECT_NEAR(reach, 19543.0, 1.0);
    // Along the four axes from the observer cell (512, 512): visible without a gap up to
    // the reach, hidden beyond it.
    const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : dirs) {
        int last = 0;
        for (int k = 1; k < 500; ++k)
            if (!Bit(img, 512 + d[0] * k, 512 + d[1] * k)) last = k;
        for (int k = 1; k < last; ++k) ASSERT_FALSE(Bit(img, 512 + d[0] * k, 512 + d[1] * k)) << k;
        EXPECT_NEAR(last * cell, reach, 2 * cell) << d[0] << "," << d[1];
    }
}

TEST(VisibilitySector, TypedValuesAndTheFoldedDifference) {
    EXPECT_DOUBLE_EQ(NormalizeSectorAzimuth(-10.0), 350.0);
    EXPECT_DOUBLE_EQ(NormalizeSectorAzimuth(725.0), 365.0);  // one wrap only
    EXPECT_DOUBLE_EQ(NormalizeSectorAzimuth(360.0), 0.0);
    EXPECT_DOUBLE_EQ(ClampSectorWidth(500.0), 360.0);
    EXPECT_DOUBLE_EQ(ClampSectorWidth(-500.0), -360.0);
    struct Case { double ray; bool in; };
    const Case cases[] = {{335.0, true}, {350.0, true}, {359.9, true}, {0.0, true}, {5.0, true},
                          {334.9, false}, {5.1, false}, {170.0, false}, {180.0, false}};
    for (const Case& c : cases) EXPECT_EQ(InVisibilitySector(c.ray, 350.0, 30.0), c.in) << c.ray;
    EXPECT_TRUE(InVisibilitySector(123.0, 0.0, -360.0));
}

TEST_F(Visibility, SectorRaysAcrossNorthAreWalked) {
    BuildLatticeTin(3, 3, 0.0, 0.0, 500.0, [](double, double) { return 10.0; });
    g_visibilityGridSize = 256;
    ASSERT_EQ(BuildVisibilityGrid(), -1);
    SetObserver(500.0, 500.0, 10.0, 20.0);
    g_visibilityUseSector = 1;
    g_visibilitySectorAzimuth = 350.0;
    g_visibilitySectorWidth = 30.0;
    VisibilityImage img;
    ASSERT_TRUE(InvisibleVisibilityImage(256, img));
    ScanVisibility(kScanVisible, g_visibilityGrid.data(), img.bits.data(), img.stride);
    // 300 m from the observer cell (128, 128) at the given azimuths.
    struct Case { double azimuth; bool visible; };
    const Case cases[] = {{0, true}, {340, true}, {4, true}, {337, true}, {330, false}, {10, false},
                          {90, false}, {180, false}};
    const double cell = 1000.0 / 256;
    for (const Case& c : cases) {
        const double a = c.azimuth * M_PI / 180;
        const int i = 128 + static_cast<int>(std::lround(300 * std::sin(a) / cell));
        const int j = 128 + static_cast<int>(std::lround(300 * std::cos(a) / cell));
        EXPECT_EQ(!Bit(img, i, j), c.visible) << c.azimuth;
    }
}

// 64 x 64 cells of 10 m: flat at 0, a 50 m wall in column 40, no terrain from column 60.
// The observer stands in cell (10, 32), eye 2 m above the ground.
class VisibilityModes : public Visibility {
protected:
    void SetUp() override {
        Visibility::SetUp();
        g_visibilityGridSize = 64;
        g_visibilityGridBox = VisibilityGridBox{640.0, 640.0, 0.0, 0.0};
        grid.assign(64 * 64, 0.0f);
        for (int j = 0; j < 64; ++j) {
            grid[j * 64 + 40] = 50.0f;
            for (int i = 60; i < 64; ++i) grid[j * 64 + i] = kVisibilityNoData;
        }
        SetObserver(105.0, 325.0, 0.0, 2.0);
    }
    std::vector<float> grid;
};

TEST_F(VisibilityModes, EachModeChangesOnlyItsOwnBits) {
    struct Cell { int i, j; };
    const Cell front{20, 32}, behind{50, 32}, noData{62, 32}, far{10, 60};
    struct Case {
        int mode;
        bool maxDistanceOn;
        uint8_t fill;
        bool front, behind, noData, far;  // bits after the run (1 invisible)
    };
    const Case cases[] = {
        {kScanVisible, false, 0xFF, false, true, true, false},
        {kScanInvisible, false, 0x00, false, true, true, false},
        {kScanVisible, true, 0xFF, false, true, true, true},
        {kScanInvisible, true, 0x00, false, false, false, false},
        {kScanOutOfRange, true, 0x00, false, true, true, true},
        {kScanOutOfRange, false, 0x00, false, false, false, false},
    };
    for (const Case& c : cases) {
        g_visibilityUseMaxDistance = c.maxDistanceOn;
        g_visibilityMaxDistance = 250.0;
        VisibilityImage img;
        ASSERT_TRUE(InvisibleVisibilityImage(64, img));
        std::fill(img.bits.begin(), img.bits.end(), c.fill);
        ScanVisibility(c.mode, grid.data(), img.bits.data(), img.stride);
        const std::string label = "mode " + std::to_string(c.mode) + (c.maxDistanceOn ? " limited" : "");
        EXPECT_EQ(Bit(img, front.i, front.j), c.front) << label;
        EXPECT_EQ(Bit(img, behind.i, behind.j), c.behind) << label;
        EXPECT_EQ(Bit(img, noData.i, noData.j), c.noData) << label;
        EXPECT_EQ(Bit(img, far.i, far.j), c.far) << label;
    }
}

TEST_F(VisibilityModes, TargetHeightShowsWhatRisesAboveTheWall) {
    // The wall's top is 48 m above the eye 300 m away; a target 200 m behind it must
    // stand (48/300)*500 - 2 = 78 m tall to be seen, so 70 m hides and 90 m shows.
    struct Case { double target; bool hidden; };
    for (const Case c : {Case{0.0, true}, Case{70.0, true}, Case{90.0, false}}) {
        g_visibilityTargetHeight = c.target;
        VisibilityImage img;
        ASSERT_TRUE(InvisibleVisibilityImage(64, img));
        ScanVisibility(kScanVisible, grid.data(), img.bits.data(), img.stride);
        EXPECT_EQ(Bit(img, 60 - 1, 32), c.hidden) << c.target;
    }
}

TEST_F(VisibilityModes, AnObserverOutsideTheGridStillSeesIntoIt) {
    std::fill(grid.begin(), grid.end(), 0.0f);
    SetObserver(-300.0, 325.0, 0.0, 2.0);
    VisibilityImage img;
    ASSERT_TRUE(InvisibleVisibilityImage(64, img));
    ScanVisibility(kScanVisible, grid.data(), img.bits.data(), img.stride);
    int visible = 0;
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 64; ++i) visible += !Bit(img, i, j);
    EXPECT_GE(visible, 64 * 64 * 99 / 100);
}

TEST_F(Visibility, ImageNamesCountToNinetyNineAndBeginAgain) {
    g_visibilityImageCounter = 98;
    EXPECT_EQ(NextVisibilityImageName(), "AREAMAP98.TIF");
    EXPECT_EQ(NextVisibilityImageName(), "AREAMAP99.TIF");
    EXPECT_EQ(NextVisibilityImageName(), "AREAMAP01.TIF");
}

TEST_F(Visibility, GridHoldsThePlaneAtCellCentres) {
    auto plane = [](double x, double y) { return 0.3 * x - 0.2 * y + 50; };
    BuildLatticeTin(5, 7, 100.0, 200.0, 10.0, plane);
    g_visibilityGridSize = 32;
    ASSERT_EQ(BuildVisibilityGrid(), -1);
    EXPECT_DOUBLE_EQ(g_visibilityGridBox.minNorth, 100.0);
    EXPECT_DOUBLE_EQ(g_visibilityGridBox.maxEast, 260.0);
    const double cellE = 60.0 / 32, cellN = 40.0 / 32;
    for (int j = 0; j < 32; ++j)
        for (int i = 0; i < 32; ++i)
            ASSERT_NEAR(g_visibilityGrid[j * 32 + i], plane(100 + (j + 0.5) * cellN, 200 + (i + 0.5) * cellE), 1e-3)
                << i << "," << j;
}

TEST(VisibilityLiveDisplay, DimAndTintOncePerRun) {
    EXPECT_EQ(DimmedPixel(0xFFFFFF), 0x7E7F7Fu);
    EXPECT_EQ(DimmedPixel(0x010203), 0x000101u);
    const uint32_t once = TintedPixel(0x7E7F7F, 0x0080FF);  // orange: red 255, green 128
    EXPECT_EQ(once, (0x7E7F7Fu + 0x7F4000u) | 0x010000u);
    EXPECT_EQ(TintedPixel(once, 0x0080FF), once);
}

TEST_F(Visibility, DataMovedDropsTheGridAndFarMovesTheObservers) {
    g_visibilityGrid.assign(4, 0.0f);
    g_visibilityGridValid = 1;
    g_visibilityObserver.state = 1;
    g_visibilityExtentCenter[0] = 100.0;
    g_visibilityExtentCenter[1] = 200.0;
    EXPECT_FALSE(CheckVisibilityDataChange(100.0, 200.0));
    EXPECT_EQ(g_visibilityGridValid, 1);
    EXPECT_TRUE(CheckVisibilityDataChange(600.0, 200.0));
    EXPECT_EQ(g_visibilityGridValid, 0);
    EXPECT_EQ(g_visibilityObserver.state, 1);
    EXPECT_TRUE(CheckVisibilityDataChange(600.0, 1300.0));
    EXPECT_EQ(g_visibilityObserver.state, 0);
}
}  // namespace
