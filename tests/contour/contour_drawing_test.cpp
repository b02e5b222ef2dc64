// The contour lines of the line file drawn into the back buffer.
#include "contour/contour_drawing.h"

#include "../view/raster_fixture.h"
#include "contour/contour_files.h"
#include "contour_test_support.h"
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
