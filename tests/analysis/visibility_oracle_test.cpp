// The visibility scan against gdal_viewshed on the same elevation grid: GDAL's own
// viewshed with pure curvature (-cc 1.0) on the Bessel ellipsoid of EPSG:30169.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "../support/jacksboro_grid.h"
#include "analysis/visibility.h"
#include "terrain_grid_tin.h"

namespace fs = std::filesystem;

namespace {
bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }
bool HaveViewshed() { return Run("command -v gdal_viewshed >/dev/null && command -v gdal_translate >/dev/null"); }

struct Comparison {
    double agreement = 0;  // share of cells judged alike
    double iou = 0;        // visible cells of both / visible cells of either
    std::vector<uint8_t> ours, theirs;  // 1 visible, element j * n + i
};

// Whether the target over cell (i, j) is seen from the eye over cell (i0, j0): the line of
// sight over the bilinear surface through the cell centres, sampled every quarter cell,
// with the same curvature drop. A third opinion, sharing the cell walk with neither side.
bool SeenOverSurface(const float* grid, int n, double cellE, double cellN, int i0, int j0,
                     double eyeZ, int i, int j, double target) {
    auto z = [&](int a, int b) { return static_cast<double>(grid[static_cast<size_t>(b) * n + a]); };
    auto surface = [&](double x, double y) {
        const int a = std::clamp(static_cast<int>(std::floor(x)), 0, n - 2);
        const int b = std::clamp(static_cast<int>(std::floor(y)), 0, n - 2);
        const double fx = x - a, fy = y - b;
        return z(a, b) * (1 - fx) * (1 - fy) + z(a + 1, b) * fx * (1 - fy) + z(a, b + 1) * (1 - fx) * fy +
               z(a + 1, b + 1) * fx * fy;
    };
    const double dx = i - i0, dy = j - j0, length = std::hypot(dx * cellE, dy * cellN);
    const double drop = length * length / (2 * kEarthRadius);
    const double targetSlope = (z(i, j) + target - drop - eyeZ) / length;
    const int steps = 4 * static_cast<int>(std::max(std::fabs(dx), std::fabs(dy)));
    for (int k = 1; k < steps; ++k) {
        const double t = static_cast<double>(k) / steps, d = t * length;
        if ((surface(i0 + t * dx, j0 + t * dy) - d * d / (2 * kEarthRadius) - eyeZ) / d >= targetSlope) return false;
    }
    return true;
}

// Writes the grid as a GeoTIFF (rows from the north), runs gdal_viewshed from the centre
// of cell (i0, j0) and compares its visible set with a mode-0 scan of ours.
Comparison CompareWithGdal(const fs::path& dir, int i0, int j0, double eyeHeight, double target) {
    const int n = g_visibilityGridSize;
    const VisibilityGridBox& b = g_visibilityGridBox;
    const double cellE = (b.maxEast - b.minEast) / n, cellN = (b.maxNorth - b.minNorth) / n;
    {
        std::ofstream bil(dir / "dem.bil", std::ios::binary);
        for (int j = n - 1; j >= 0; --j)
            bil.write(reinterpret_cast<const char*>(&g_visibilityGrid[static_cast<size_t>(j) * n]), 4 * n);
        std::ofstream hdr(dir / "dem.hdr");
        char text[512];
        std::snprintf(text, sizeof text,
                      "BYTEORDER I\nLAYOUT BIL\nNROWS %d\nNCOLS %d\nNBANDS 1\nNBITS 32\nPIXELTYPE FLOAT\n"
                      "ULXMAP %.10f\nULYMAP %.10f\nXDIM %.10f\nYDIM %.10f\nNODATA -9999\n",
                      n, n, b.minEast + cellE / 2, b.maxNorth - cellN / 2, cellE, cellN);
        hdr << text;
    }
    const double east = b.minEast + (i0 + 0.5) * cellE, north = b.minNorth + (j0 + 0.5) * cellN;
    const std::string d = dir.string();
    char command[1024];
    std::snprintf(command, sizeof command,
                  "gdal_translate -q -a_srs EPSG:30169 %s/dem.bil %s/dem.tif && "
                  "gdal_viewshed -q -cc 1.0 -oz %.3f -tz %.3f -ox %.6f -oy %.6f -f EHdr %s/dem.tif %s/vs.bil",
                  d.c_str(), d.c_str(), eyeHeight, target, east, north, d.c_str(), d.c_str());
    EXPECT_TRUE(Run(command)) << command;
    std::vector<uint8_t> gdal(static_cast<size_t>(n) * n);
    std::ifstream vs(dir / "vs.bil", std::ios::binary);
    vs.read(reinterpret_cast<char*>(gdal.data()), static_cast<std::streamsize>(gdal.size()));
    EXPECT_TRUE(vs.good());

    const double ground = g_visibilityGrid[static_cast<size_t>(j0) * n + i0];
    g_visibilityObserver = VisibilityObserver{east, north, ground + eyeHeight, ground, 1};
    g_visibilityTargetHeight = target;
    VisibilityImage img;
    EXPECT_TRUE(InvisibleVisibilityImage(n, img));
    ScanVisibility(kScanVisible, g_visibilityGrid.data(), img.bits.data(), img.stride);

    Comparison result;
    result.ours.assign(static_cast<size_t>(n) * n, 0);
    result.theirs.assign(static_cast<size_t>(n) * n, 0);
    long same = 0, both = 0, either = 0, cells = 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            if (i == i0 && j == j0) continue;
            const bool ours = !(img.bits[static_cast<size_t>(j) * img.stride + (i >> 3)] & (0x80 >> (i & 7)));
            const bool theirs = gdal[static_cast<size_t>(n - 1 - j) * n + i] != 0;
            result.ours[static_cast<size_t>(j) * n + i] = ours;
            result.theirs[static_cast<size_t>(j) * n + i] = theirs;
            ++cells;
            same += ours == theirs;
            both += ours && theirs;
            either += ours || theirs;
        }
    result.agreement = static_cast<double>(same) / cells;
    result.iou = either ? static_cast<double>(both) / either : 1.0;
    return result;
}

class VisibilityOracle : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveViewshed()) GTEST_SKIP() << "gdal_viewshed not installed";
        dir = fs::temp_directory_path() / ("viewshed_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        ResetVisibility();
    }
    void TearDown() override {
        ResetVisibility();
        if (!dir.empty()) fs::remove_all(dir);
    }
    fs::path dir;
};

// On flat ground GDAL's reach (19.56 km) and ours agree within a cell or two everywhere.
TEST_F(VisibilityOracle, FlatGround) {
    BuildLatticeTin(3, 3, 0.0, 0.0, 25000.0, [](double, double) { return 100.0; });
    g_visibilityGridSize = 512;
    ASSERT_EQ(BuildVisibilityGrid(), -1);
    const Comparison c = CompareWithGdal(dir, 256, 256, 20.0, 1.0);
    RecordProperty("agreement", std::to_string(c.agreement));
    EXPECT_GE(c.agreement, 0.995);
    EXPECT_GE(c.iou, 0.98);
}

// Jacksboro, measured against GDAL 3.6.2: 1024 cells, centre: agreement 0.9929, IoU 0.9078.
// With NOSTREL_SLOW_ORACLES set also 2048: centre 0.9954 / 0.9373, five more observers
// 0.9962..0.9995 / 0.868..0.954. At 512 cells see the next test.
TEST_F(VisibilityOracle, Jacksboro) {
    jacksboro_grid::LoadWithTin();
    struct Case { int n; double i, j; };
    std::vector<Case> cases{{1024, 0.5, 0.5}};
    if (std::getenv("NOSTREL_SLOW_ORACLES"))
        cases = {{1024, 0.5, 0.5}, {2048, 0.5, 0.5}, {2048, 0.25, 0.25}, {2048, 0.75, 0.5},
                 {2048, 0.3, 0.7}, {2048, 0.6, 0.2}, {2048, 0.45, 0.55}};
    for (const Case& k : cases) {
        if (g_visibilityGridSize != k.n) {
            g_visibilityGridSize = k.n;
            ASSERT_EQ(BuildVisibilityGrid(), -1);
        }
        const Comparison c = CompareWithGdal(dir, static_cast<int>(k.i * k.n), static_cast<int>(k.j * k.n), 20.0, 1.0);
        std::printf("jacksboro %d at (%.2f, %.2f): agreement %.4f, IoU %.4f\n", k.n, k.i, k.j, c.agreement, c.iou);
        const std::string tag = std::to_string(k.n) + "_" + std::to_string(static_cast<int>(k.i * 100)) + "_" +
                                std::to_string(static_cast<int>(k.j * 100));
        RecordProperty("agreement_" + tag, std::to_string(c.agreement));
        RecordProperty("iou_" + tag, std::to_string(c.iou));
        EXPECT_GE(c.agreement, 0.99) << tag;
        EXPECT_GE(c.iou, 0.85) << tag;
    }
}

// At 512 cells (about 60 m, finer than the 74 m survey grid) GDAL and we part more:
// centre agreement 0.9858, IoU 0.830; five more observers 0.9921..0.9983 / 0.818..0.855.
// A third opinion (the line of sight over the bilinear surface) shows why: over the whole
// grid it sides with GDAL on 0.9925 of cells and with our cell walk on 0.9874 (the walk
// judges a cell by cells up to half a cell beside the true line), while within a dozen
// cells of the observer it sides with us (0.946 against 0.873): GDAL's propagation hides a
// wedge north-west of the observer.
TEST_F(VisibilityOracle, JacksboroCoarseReferee) {
    jacksboro_grid::LoadWithTin();
    const int n = 512, i0 = n / 2, j0 = n / 2;
    g_visibilityGridSize = n;
    ASSERT_EQ(BuildVisibilityGrid(), -1);
    const Comparison c = CompareWithGdal(dir, i0, j0, 20.0, 1.0);
    const VisibilityGridBox& b = g_visibilityGridBox;
    const double cellE = (b.maxEast - b.minEast) / n, cellN = (b.maxNorth - b.minNorth) / n;
    const double eyeZ = g_visibilityGrid[static_cast<size_t>(j0) * n + i0] + 20.0;
    long cells = 0, ours = 0, theirs = 0, nearCells = 0, nearOurs = 0, nearTheirs = 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            if (i == i0 && j == j0) continue;
            const bool isNear = std::abs(i - i0) <= 12 && std::abs(j - j0) <= 12;
            if (!isNear && (i % 3 || j % 3)) continue;
            const bool seen = SeenOverSurface(g_visibilityGrid.data(), n, cellE, cellN, i0, j0, eyeZ, i, j, 1.0);
            const size_t k = static_cast<size_t>(j) * n + i;
            ++cells; ours += c.ours[k] == seen; theirs += c.theirs[k] == seen;
            if (isNear) { ++nearCells; nearOurs += c.ours[k] == seen; nearTheirs += c.theirs[k] == seen; }
        }
    RecordProperty("agreement_512", std::to_string(c.agreement));
    RecordProperty("iou_512", std::to_string(c.iou));
    std::printf("jacksboro 512: agreement with GDAL %.4f, IoU %.4f\n", c.agreement, c.iou);
    std::printf("512 referee: ours %.4f gdal %.4f; near ours %.4f gdal %.4f\n", double(ours) / cells,
                double(theirs) / cells, double(nearOurs) / nearCells, double(nearTheirs) / nearCells);
    EXPECT_GT(nearOurs, nearTheirs);
    EXPECT_GE(static_cast<double>(ours) / cells, static_cast<double>(theirs) / cells - 0.01);
}
}  // namespace
