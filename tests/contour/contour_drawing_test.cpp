// The contour lines of the line file drawn into the back buffer.
#include "contour/contour_drawing.h"

#include <cmath>
#include <limits>

#include "../view/raster_fixture.h"
#include "contour/contour_files.h"
#include "contour/elevation_table.h"
#include "slice_table_support.h"
#include "contour_test_support.h"
#include "view/birds_eye_projection.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace {
class ContourDrawingTest : public RasterTest {
protected:
    void SetUp() override {
        RasterTest::SetUp();
        Open(64, 48);
        m_path = std::filesystem::temp_directory_path() /
                 ("contour_drawing_" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        g_contourLinesPath = m_path.string();
        g_viewCenterX = 0;
        g_viewCenterY = 0;
        g_viewScale = 1;
        g_viewportCenterX = 32;
        g_viewportCenterY = 24;
        g_birdsEyeOn = 0;
        g_indexContourInterval = 5;
        g_colorTable[50] = 0x00000050;
        g_colorTable[51] = 0x00000051;
    }
    void TearDown() override {
        std::filesystem::remove(m_path);
        RasterTest::TearDown();
    }
    std::filesystem::path m_path;
};

void Write(std::FILE* f, const std::vector<ContourRecord>& records) {
    for (const ContourRecord& r : records) ASSERT_TRUE(WriteContourRecord(f, r));
}
}  // namespace

TEST_F(ContourDrawingTest, IndexLevelsInTheirColourAndADamagedHeaderEndsTheFile) {
    std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
    ASSERT_TRUE(f);
    // Level 10 (an index level) along row 24 + 0; level 12 along row 24 + 10 (X north).
    Write(f, {{3, 10.0, 2}, {0, 0, -10}, {0, 0, 10}});
    Write(f, {{1, 12.0, 3}, {0, 10, -10}, {0, 10, 0}, {0, 10, 10}});
    // A count beyond 2000: what follows is not read.
    Write(f, {{3, 12.0, 5000}, {0, -10, -10}, {0, -10, 10}});
    std::fclose(f);
    DrawDrawingContours();
    EXPECT_EQ(g_rowTable[24][32], 0x51u);
    EXPECT_EQ(g_rowTable[24][23], 0x51u);
    EXPECT_EQ(g_rowTable[34][32], 0x50u);
    EXPECT_EQ(g_rowTable[34][41], 0x50u);
    EXPECT_EQ(g_rowTable[14][32], kSentinel);
}

TEST_F(ContourDrawingTest, VerticesAndLevelsThatAreNotNumbersDrawNothing) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    // Lines whose middle vertex (and then whose level) is `bad`, drawn in plan and in
    // bird's-eye form beside the lines without it: the segments to a vertex that is not a
    // number, and a line at a level that is not one, leave no pixel.
    auto draw = [&](double bad, double badLevel, bool withBad) {
        FillAll(kSentinel);
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_TRUE(f);
        if (withBad) {
            Write(f,
                  {{3, 10.0, 5}, {0, 0, -10}, {0, 0, 10}, {0, bad, 0}, {0, 10, 10}, {0, 10, -10}});
            Write(f, {{1, 12.0, 3}, {0, 5, -5}, {0, 5, bad}, {0, 5, 5}});
            Write(f, {{1, badLevel, 2}, {0, -5, -5}, {0, -5, 5}});
        } else {
            Write(f, {{3, 10.0, 2}, {0, 0, -10}, {0, 0, 10}});
            Write(f, {{3, 10.0, 2}, {0, 10, 10}, {0, 10, -10}});
            if (!g_birdsEyeOn) Write(f, {{1, 12.0, 2}, {0, -5, -5}, {0, -5, 5}});
        }
        std::fclose(f);
        DrawDrawingContours();
    };
    g_colorTable[50] = g_colorTable[51] = kInk;
    for (const double bad : {kNaN, kInf, -kInf, 1e42, -1e308}) {
        for (const double badLevel : {kNaN, kInf, -kInf}) {
            for (const int birdsEye : {0, 1}) {
                SCOPED_TRACE(testing::Message() << bad << " " << badLevel << " " << birdsEye);
                g_birdsEyeOn = birdsEye;
                g_birdsEyeAzimuth = birdsEye ? -0.3 : 0;
                g_birdsEyeTilt = -0.4;
                g_viewScale = 0.5;
                g_heightScale = 1;
                g_focalLength = g_bufferMaxX;
                if (birdsEye) BuildBirdsEyeCamera();
                draw(bad, badLevel, true);
                if (std::isfinite(bad)) continue;  // far but drawable: only safely
                const PixelSet got = Written();
                EXPECT_FALSE(got.empty());
                draw(bad, badLevel, false);
                EXPECT_EQ(got, Written());
            }
        }
    }
}

// Slice lines turned into contours carry minus their attribute as the line code (0 for a
// main level, -1 for an index level) and are drawn like any contour.
TEST_F(ContourDrawingTest, ConvertedSliceLinesAreDrawn) {
    g_contourIndexPath = m_path.string() + ".idx";
    for (double e : {10.0, 12.0}) ASSERT_TRUE(AppendSliceLevel(e, 0));
    slicetest::AddSliceLine(0, 1, 1, 10.0, 400, {{0, -10}, {0, 10}});
    slicetest::AddSliceLine(1, 1, 0, 12.0, 400, {{10, -10}, {10, 0}, {10, 10}});
    ASSERT_EQ(WriteSliceLinesAsContours(true), 0);
    DrawDrawingContours();
    EXPECT_EQ(g_rowTable[24][32], 0x51u);  // 10 is an index level
    EXPECT_EQ(g_rowTable[34][32], 0x50u);
    EXPECT_EQ(g_rowTable[34][41], 0x50u);
    std::filesystem::remove(g_contourIndexPath);
    InitDataModel();
}
