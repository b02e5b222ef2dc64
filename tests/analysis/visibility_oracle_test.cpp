// The visibility scan against gdal_viewshed on the same elevation grid: GDAL's own
// viewshed with pure curvature (-cc 1.0) on the Bessel ellipsoid of EPSG:30169.
#include <gtest/gtest.h>
#include <unistd.h>

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
};

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

    long same = 0, both = 0, either = 0, cells = 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            if (i == i0 && j == j0) continue;
            const bool ours = !(img.bits[static_cast<size_t>(j) * img.stride + (i >> 3)] & (0x80 >> (i & 7)));
            const bool theirs = gdal[static_cast<size_t>(n - 1 - j) * n + i] != 0;
            ++cells;
            same += ours == theirs;
            both += ours && theirs;
            either += ours || theirs;
        }
    return Comparison{static_cast<double>(same) / cells, either ? static_cast<double>(both) / either : 1.0};
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

// Jacksboro from the centre cell at 1024 cells (measured: agreement 0.9929, IoU 0.9078).
// With NOSTREL_SLOW_ORACLES set also 2048 (0.9954, 0.9373) and five more observers at
// 2048 (agreement 0.9962..0.9995, IoU 0.868..0.954). At 512 cells the two methods part
// further (centre: 0.9858, 0.830), so the coarse grid is not held to these bounds.
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
}  // namespace
