// SUNMAP output: fixed columns byte for byte, index levels by the index interval, extents
// from the contours when there are no points, and a missing contour file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "contour/contour_files.h"
#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "exchange/sunmap_out.h"
#include "model/progress.h"
#include "platform/file_dialog.h"
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

TEST_F(SunmapOutTest, ReadBackAsPointsByTheSunmapKind) {
    // Two lines of 3 and 2 vertices: one point per vertex, the level as elevation.
    std::FILE* f = std::fopen(g_contourLinesPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    WriteContourRecord(f, ContourRecord{kContourCodeStraight, 10, 3});
    for (int v = 0; v < 3; ++v) WriteContourRecord(f, ContourRecord{0, 100.125 + v, -50.5 * v});
    WriteContourRecord(f, ContourRecord{kContourCodeStraight, 12.5, 2});
    for (int v = 0; v < 2; ++v) WriteContourRecord(f, ContourRecord{0, -7.25 * v, 3000.75 + v});
    std::fclose(f);
    const auto out = m_dir / "r.DAT";
    ASSERT_EQ(WriteSunmapFile(out, 1000, 1, 2, 1, 2), 0);
    InitDataModel();
    std::FILE* in = std::fopen(out.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(ReadImportPointFile(in, kImportKindSunmap, 1, 3, 0, 5), 0);
    std::fclose(in);
    struct P {
        double x, y, z;
    };
    const P want[5] = {{100.125, 0, 10}, {101.125, -50.5, 10}, {102.125, -101, 10}, {0, 3000.75, 12.5}, {-7.25, 3001.75, 12.5}};
    ASSERT_EQ(g_pointCount, 5);
    for (int32_t i = 1; i <= 5; ++i) {
        EXPECT_DOUBLE_EQ(g_points[i].x, want[i - 1].x) << i;
        EXPECT_DOUBLE_EQ(g_points[i].y, want[i - 1].y) << i;
        EXPECT_DOUBLE_EQ(g_points[i].z, want[i - 1].z) << i;
    }
}

TEST_F(SunmapOutTest, EditsKeepWhatTheyAccept) {
    ResetSunmapChoices();
    struct Case {
        int id;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {kSunmapEditScale, "500", "  500"},  {kSunmapEditScale, "0", "  500"},
        {kSunmapEditScale, "-20", "  500"},  {kSunmapEditScale, "", "  500"},
        {kSunmapEditMainLayer, "7", "    7"}, {kSunmapEditMainLayer, "-3", "   -3"},
        {kSunmapEditIndexLineType, "12abc", "   12"}, {kSunmapEditIndexLayer, "x", "    0"},
        {kSunmapEditPath, "/tmp/a.DAT", "/tmp/a.DAT"}, {kSunmapEditPath, "", "/tmp/a.DAT"},
    };
    for (const Case& c : cases) {
        SunmapOutEdited(c.id, c.typed);
        EXPECT_EQ(SunmapOutEditText(c.id), c.shown) << c.id << " " << c.typed;
    }
    ResetSunmapChoices();
}

TEST_F(SunmapOutTest, OutputButtonTellsEachOutcome) {
    ResetSunmapChoices();
    WriteLines({10}, 2);
    g_currentDataPath = (m_dir / "survey.RND").string();
    OpenSunmapOut();
    EXPECT_EQ(g_sunmapOutPath, (m_dir / "survey.DAT").string());

    // No contours drawn.
    g_drawingContoursLoaded = 0;
    EXPECT_TRUE(RunSunmapOutput());
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "出力するデータがありません。");
    EXPECT_FALSE(std::filesystem::exists(g_sunmapOutPath));

    g_drawingContoursLoaded = -1;
    ClearRecordedMessages();
    EXPECT_TRUE(RunSunmapOutput());
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_TRUE(std::filesystem::exists(g_sunmapOutPath));
    EXPECT_FALSE(IsProgressWindowOpen());
    EXPECT_EQ(g_sunmapOutBusy, 0);

    // The file exists: No keeps the window open and the file as it was.
    WriteFileBytes(g_sunmapOutPath, "old");
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(RunSunmapOutput());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(g_sunmapOutPath, bytes));
    EXPECT_EQ(bytes, "old");

    // A folder that does not exist, a full device.
    ClearRecordedMessages();
    g_sunmapOutPath = (m_dir / "none" / "x.DAT").string();
    EXPECT_TRUE(RunSunmapOutput());
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].caption, "ファイル作成失敗");
    if (std::filesystem::exists("/dev/full")) {
        ClearRecordedMessages();
        g_sunmapOutPath = "/dev/full";
        QueueMessageAnswer(msg::kIdYes);
        EXPECT_TRUE(RunSunmapOutput());
        ASSERT_EQ(RecordedMessages().size(), 2u);
        EXPECT_EQ(RecordedMessages()[1].text.rfind("ファイル書き込みができません。", 0), 0u);
    }

    // 参照 takes the chosen path.
    QueueFileDialogAnswer((m_dir / "chosen.DAT").string());
    EXPECT_TRUE(BrowseSunmapOutPath());
    EXPECT_EQ(g_sunmapOutPath, (m_dir / "chosen.DAT").string());
    g_currentDataPath.clear();
    ResetSunmapChoices();
}

}  // namespace
