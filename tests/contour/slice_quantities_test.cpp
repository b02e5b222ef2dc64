// The average-end-area quantities against closed forms and the worked cases, the list's
// copy text and the text report.
#include "contour/slice_quantities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "contour/elevation_table.h"
#include "contour_test_support.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "slice_table_support.h"

using contourtest::ContourFixture;
using slicetest::AddSliceLine;
using slicetest::Square;

namespace {

using SliceQuantities = ContourFixture;

// Rows at the levels with one ground line of the given area each, the range all rows.
void TableWithGroundAreas(const std::vector<std::pair<double, double>>& levelAreas) {
    for (auto [level, area] : levelAreas) {
        ASSERT_TRUE(AppendSliceLevel(level, 0));
        AddSliceLine(0, 1, 0, level, area, Square(std::sqrt(std::fabs(area))));
    }
    g_sliceStartRow = 1;
    g_sliceEndRow = g_sliceLevelCount;
}

TEST_F(SliceQuantities, WorkedExampleWithReferenceLevel) {
    TableWithGroundAreas({{100, 50}, {101, 30}, {102, 10}});
    g_sliceReferenceLevel = 101;
    ASSERT_EQ(CalcSliceQuantities(), 0);
    struct Want { double area, average, volume, cumulative, remaining, effective, depth; };
    const Want want[] = {{50, 0, 0, 0, 60, 0, 0}, {30, 40, 40, 40, 20, 0, 1},
                         {10, 20, 20, 60, 0, -20, 2}};
    for (int32_t i = 1; i <= 3; ++i) {
        const SliceLevel& r = g_sliceLevels[i];
        const Want& w = want[i - 1];
        EXPECT_DOUBLE_EQ(r.area, w.area) << i;
        EXPECT_DOUBLE_EQ(r.averageArea, w.average) << i;
        EXPECT_DOUBLE_EQ(r.volume, w.volume) << i;
        EXPECT_DOUBLE_EQ(r.cumulativeVolume, w.cumulative) << i;
        EXPECT_DOUBLE_EQ(r.remainingVolume, w.remaining) << i;
        EXPECT_DOUBLE_EQ(r.effectiveCapacity, w.effective) << i;
        EXPECT_DOUBLE_EQ(r.depth, w.depth) << i;
    }
    EXPECT_DOUBLE_EQ(g_sliceTotal, 60);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(SliceQuantities, WhichLinesCountAtALevel) {
    struct LineSpec { int32_t kind, valid; double elevation, area; };
    struct Case { const char* name; std::vector<LineSpec> lines; double want; };
    const Case cases[] = {
        {"ground minus water", {{0, 1, 100, 80}, {1, 1, 100, 30}}, 50},
        {"undetermined never counts, even set valid", {{0, 1, 100, 80}, {2, 1, 100, 30}}, 80},
        {"invalid does not count", {{0, 1, 100, 80}, {0, 0, 100, 30}}, 80},
        {"0.0001 off is another level", {{0, 1, 100, 80}, {0, 1, 100.0001, 30}}, 80},
        {"just inside 0.0001", {{0, 1, 100, 80}, {0, 1, 100.00009, 30}}, 110},
    };
    for (const Case& c : cases) {
        InitDataModel();
        ASSERT_TRUE(AppendSliceLevel(100, 0));
        for (const LineSpec& l : c.lines) AddSliceLine(l.kind, l.valid, 0, l.elevation, l.area, Square(1));
        g_sliceStartRow = g_sliceEndRow = 1;
        ASSERT_EQ(CalcSliceQuantities(), 0) << c.name;
        EXPECT_DOUBLE_EQ(g_sliceLevels[1].area, c.want) << c.name;
    }
}

TEST_F(SliceQuantities, RefusedAndEmptyRanges) {
    EXPECT_EQ(CalcSliceQuantities(), 1);  // no rows
    ASSERT_TRUE(AppendSliceLevel(100, 0));
    EXPECT_EQ(CalcSliceQuantities(), 1);  // no slice store
    InitDataModel();
    TableWithGroundAreas({{100, 50}, {101, 30}, {102, 10}});
    g_sliceTotal = 99;
    g_sliceLevels[1].volume = 7;
    g_sliceStartRow = 3, g_sliceEndRow = 1;
    ASSERT_EQ(CalcSliceQuantities(), 0);
    EXPECT_EQ(g_sliceTotal, 0);
    EXPECT_EQ(g_sliceLevels[1].volume, 7);  // rows outside the range keep their values
}

// Square pyramid of side c(H - z): each layer's end-area volume exceeds the exact one by
// c²h³/6 (the trapezoid rule on a quadratic), so the whole by (b - a)c²h²/6.
TEST_F(SliceQuantities, PyramidFrustumOverestimateAndPrism) {
    g_sliceAreaDecimals = g_sliceAverageDecimals = g_sliceVolumeDecimals = 6;
    const double H = 50, c = 2, a = 10, b = 40, h = 2.5;
    std::vector<std::pair<double, double>> rows;
    for (double z = a; z <= b + 1e-9; z += h) rows.push_back({z, c * c * (H - z) * (H - z)});
    TableWithGroundAreas(rows);
    ASSERT_EQ(CalcSliceQuantities(), 0);
    const double exact = c * c * (std::pow(H - a, 3) - std::pow(H - b, 3)) / 3;
    const double over = (b - a) * c * c * h * h / 6;
    EXPECT_NEAR(g_sliceTotal, exact + over, 1e-4);
    double cumulative = 0;
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i) {
        const SliceLevel& r = g_sliceLevels[i];
        const double layer =
            i == 1 ? 0 : (g_sliceLevels[i - 1].area + r.area) / 2 * h;  // (A1 + A2)/2 · h
        cumulative += layer;
        EXPECT_NEAR(r.volume, layer, 1e-6) << i;
        EXPECT_NEAR(r.cumulativeVolume, cumulative, 1e-5) << i;
        EXPECT_NEAR(r.remainingVolume, g_sliceTotal - cumulative, 1e-5) << i;
    }

    // A prism: the rule is exact.
    InitDataModel();
    TableWithGroundAreas({{0, 12.5}, {3, 12.5}, {4, 12.5}, {10, 12.5}});
    ASSERT_EQ(CalcSliceQuantities(), 0);
    EXPECT_DOUBLE_EQ(g_sliceTotal, 125);
}

// Water lines count negative: a storage basin gives negative volumes and a positive
// effective capacity above the LWL.
TEST_F(SliceQuantities, StorageSpaceCountsNegative) {
    for (double level : {100.0, 101.0, 102.0}) {
        ASSERT_TRUE(AppendSliceLevel(level, 0));
        AddSliceLine(1, 1, 0, level, 10 + 20 * (level - 100), Square(1));
    }
    g_sliceStartRow = 1, g_sliceEndRow = 3, g_sliceReferenceLevel = 101;
    ASSERT_EQ(CalcSliceQuantities(), 0);
    EXPECT_DOUBLE_EQ(g_sliceLevels[3].area, -50);
    EXPECT_DOUBLE_EQ(g_sliceTotal, -60);
    EXPECT_DOUBLE_EQ(g_sliceLevels[3].effectiveCapacity, 40);
    // The grid shows signs, the copy absolute values.
    EXPECT_EQ(QuantityListCells(QuantityLayout::kStorage, 3)[2], "-50.00");
    EXPECT_NE(QuantityTableText(QuantityLayout::kStorage).find("     50.00\t"), std::string::npos);
}

TEST_F(SliceQuantities, CopyTextAndReportInBothLayouts) {
    TableWithGroundAreas({{100, 50}, {101, 30}, {102, 10}});
    g_sliceReferenceLevel = 101;
    ASSERT_EQ(CalcSliceQuantities(), 0);

    EXPECT_EQ(Cp932ToUtf8(QuantityTableText(QuantityLayout::kEarthwork)),
              "    標高差\t      標高\t    平面積\t平均平面積\t      土量\t累加土量１\t累加土量２\r\n"
              "       (m)\t       (m)\t      (m2)\t      (m2)\t      (m3)\t      (m3)\t      (m3)\r\n"
              "     0.000\t    100.00\t     50.00\t       0.0\t       0.0\t       0.0\t      60.0\r\n"
              "     1.000\t    101.00\t     30.00\t      40.0\t      40.0\t      40.0\t      20.0\r\n"
              "     2.000\t    102.00\t     10.00\t      20.0\t      20.0\t      60.0\t       0.0\r\n");

    struct Case { QuantityLayout layout; bool headings; const char* want; };
    const Case cases[] = {
        {QuantityLayout::kStorage, true,
         "        水深,        標高,      平面積,  平均平面積,      貯水量,  累加貯水量,  　有効容量,  累加空容量\r\n"
         "         (m),         (m),        (m2),        (m2),        (m3),        (m3),        (m3),        (m3)\r\n"
         "       0.000,      100.00,       50.00,         0.0,         0.0,        60.0,         0.0,         0.0\r\n"
         "       1.000,      101.00,       30.00,        40.0,        40.0,        20.0,         0.0,        40.0\r\n"
         "       2.000,      102.00,       10.00,        20.0,        20.0,         0.0,        20.0,        60.0\r\n"},
        {QuantityLayout::kEarthwork, false,
         "       0.000,      100.00,       50.00,         0.0,         0.0,         0.0,        60.0\r\n"
         "       1.000,      101.00,       30.00,        40.0,        40.0,        40.0,        20.0\r\n"
         "       2.000,      102.00,       10.00,        20.0,        20.0,        60.0,         0.0\r\n"},
        {QuantityLayout::kEarthwork, true,
         "      標高差,        標高,      平面積,  平均平面積,        土量,  累加土量１,  累加土量２\r\n"
         "         (m),         (m),        (m2),        (m2),        (m3),        (m3),        (m3)\r\n"
         "       0.000,      100.00,       50.00,         0.0,         0.0,         0.0,        60.0\r\n"
         "       1.000,      101.00,       30.00,        40.0,        40.0,        40.0,        20.0\r\n"
         "       2.000,      102.00,       10.00,        20.0,        20.0,        60.0,         0.0\r\n"},
    };
    for (const Case& c : cases) {
        const std::string path = (m_dir / "q.TXT").string();
        ASSERT_EQ(WriteQuantityTextFile(path, c.layout, c.headings), 0);
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(path, bytes));
        EXPECT_EQ(Cp932ToUtf8(bytes), c.want) << c.headings;
    }
    EXPECT_EQ(WriteQuantityTextFile((m_dir / "missing" / "q.TXT").string(),
                                    QuantityLayout::kStorage, true),
              1);

    // The grid: headings and signed cells without width.
    EXPECT_EQ(QuantityListHeadings(QuantityLayout::kStorage).size(), 8u);
    EXPECT_EQ(QuantityListHeadings(QuantityLayout::kEarthwork).size(), 7u);
    const std::vector<std::string> cells = QuantityListCells(QuantityLayout::kStorage, 3);
    EXPECT_EQ(cells, (std::vector<std::string>{"2.000", "102.00", "10.00", "20.0", "20.0", "0.0",
                                               "-20.0", "60.0"}));
}

TEST_F(SliceQuantities, ReportButtonAsksAndSaysWhenItCannotWrite) {
    TableWithGroundAreas({{100, 50}, {101, 30}});
    ASSERT_EQ(CalcSliceQuantities(), 0);
    ClearRecordedFileDialogs();
    const std::string path = (m_dir / "report").string();
    QueueFileDialogAnswer(path);
    QueueMessageAnswer(msg::kIdNo);
    OnWriteQuantityText(QuantityLayout::kEarthwork);
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].defaultExtension, "TXT");
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path + ".TXT", bytes));  // the default extension added
    EXPECT_EQ(bytes.find("(m)"), std::string::npos);  // no headings
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2);

    ClearRecordedMessages();
    QueueFileDialogAnswer((m_dir / "no" / "such" / "r.TXT").string());
    OnWriteQuantityText(QuantityLayout::kEarthwork);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ファイル作成できません。");
}

TEST_F(SliceQuantities, FrameCommandShowsTotalOnlyAfterACalculation) {
    TableWithGroundAreas({{100, 50}, {101, 30}, {102, 10}});
    int opened = 0;
    ClearRecordedMessages();
    OnQuantityCalc([] { return false; }, [&] { ++opened; });
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(RecordedMessages().empty());
    OnQuantityCalc([] { OpenQuantityCalcRows(); return true; }, [&] { ++opened; });
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "数量合計[60.000]");
}

TEST_F(SliceQuantities, CopyGoesToTheClipboard) {
    TableWithGroundAreas({{100, 50}, {101, 30}});
    ASSERT_EQ(CalcSliceQuantities(), 0);
    OnCopyQuantityTable(QuantityLayout::kStorage);
    EXPECT_EQ(GetClipboardText(), QuantityTableText(QuantityLayout::kStorage));
}

}  // namespace
