// SUNMAP output: fixed columns byte for byte, index levels by the index interval, extents
// from the contours when there are no points, and a missing contour file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "contour/contour_files.h"
#include "exchange/sunmap_out.h"
#include "import_test_support.h"
#include "platform/text_io.h"

namespace {

using importtest::ImportFixture;

class SunmapOutTest : public ImportFixture {
protected:
    void SetUp() override {
        ImportFixture::SetUp();
        m_savedLines = g_contourLinesPath;
        m_savedIndex = g_indexContourInterval;
        g_contourLinesPath = (m_dir / "lines.bin").string();
        g_indexContourInterval = 5;
    }
    void TearDown() override {
        g_contourLinesPath = m_savedLines;
        g_indexContourInterval = m_savedIndex;
        ImportFixture::TearDown();
    }
    // Lines at the given levels, each of `n` vertices (x = level + v, y = 2v).
    void WriteLines(std::initializer_list<double> levels, int n) {
        std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (double level : levels) {
            WriteContourRecord(f, ContourRecord{kContourCodeStraight, level, static_cast<double>(n)});
            for (int v = 0; v < n; ++v) WriteContourRecord(f, ContourRecord{0, level + v, 2.0 * v});
        }
        std::fclose(f);
    }
    std::string m_savedLines;
    double m_savedIndex = 0;
};

TEST_F(SunmapOutTest, ColumnsAndIndexLayers) {
    WriteLines({10, 12}, 3);
    const auto out = m_dir / "a.DAT";
    ASSERT_EQ(WriteSunmapFile(out, 500, 1, 2, 3, 4), 0);
    std::string text;
    ASSERT_TRUE(ReadFileBytes(out, text));
    const std::string want =
        "  10   0     0   0        0.000       10.000        4.000       14.000\r\n"  // from the contours
        "  14   0     0   0      500.000      500.000\r\n"
        "   1   4     0   2        0.000       10.000       10.000\r\n"
        "   2   4     0   2        2.000       11.000       10.000\r\n"
        "   2   4     0   2        4.000       12.000       10.000\r\n"
        "   1   3     0   1        0.000       12.000       12.000\r\n"
        "   2   3     0   1        2.000       13.000       12.000\r\n"
        "   2   3     0   1        4.000       14.000       12.000\r\n";
    EXPECT_EQ(text, want);
}

TEST_F(SunmapOutTest, IndexLevels) {
    struct Case {
        double level;
        bool index;
    };
    for (const Case& c : {Case{10, true}, Case{15, true}, Case{12, false}, Case{-5, true}, Case{14.9999999, true}})
        EXPECT_EQ(IsIndexContourLevel(c.level), c.index) << c.level;
}

TEST_F(SunmapOutTest, MissingContourFileCreatesNothing) {
    const auto out = m_dir / "b.DAT";
    EXPECT_EQ(WriteSunmapFile(out, 1, 1, 2, 1, 2), kSunmapNotCreated);
    EXPECT_FALSE(std::filesystem::exists(out));
    WriteLines({10}, 2);
    EXPECT_EQ(WriteSunmapFile(m_dir / "none" / "b.DAT", 1, 1, 2, 1, 2), kSunmapNotCreated);
}

}  // namespace
