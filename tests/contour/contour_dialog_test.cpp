// The contour dialog's proposals, edit rules and start.
#include "contour/contour_dialog.h"

#include "contour_test_support.h"
#include "platform/text_io.h"

using namespace contourtest;

namespace {
void SetPoints(const std::vector<std::tuple<double, double, double>>& points) {
    for (auto [x, y, z] : points) {
        EnsurePointCapacity(g_pointCount + 1);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = x, p.y = y, p.z = z;
    }
    SetPointEndMarker();
}
}  // namespace

TEST_F(ContourFixture, DialogProposesLevelsFromThePoints) {
    struct Case {
        double zLow, zHigh;
        double minZ, maxZ, interval, index;
    };
    const Case cases[] = {
        {12.7, 187.3, 10, 187, 5, 25},
        {0.2, 50.4, 0, 50, 2, 10},
        {0.2, 49.9, 0, 49, 1, 5},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.zHigh);
        InitDataModel();
        g_contourMinZ = g_contourMaxZ = g_contourInterval = g_indexContourInterval = 0;
        g_contourSmoothness = 0;
        // An invalid point and one outside the outline do not count.
        SetPoints({{0, 0, t.zLow}, {30, 40, t.zHigh}, {500, 500, -100}, {600, 600, 900}});
        g_points[3].invalid = 1;
        g_points[4].outside = 1;
        ProposeContourParameters();
        EXPECT_EQ(g_pointZMin, t.zLow);
        EXPECT_EQ(g_pointZMax, t.zHigh);
        EXPECT_EQ(g_contourMinZ, t.minZ);
        EXPECT_EQ(g_contourMaxZ, t.maxZ);
        EXPECT_EQ(g_contourInterval, t.interval);
        EXPECT_EQ(g_indexContourInterval, t.index);
        EXPECT_DOUBLE_EQ(g_contourSmoothness, 0.002 * 50);
        EXPECT_EQ(ContourEditText(contour_dlg::kMinZ), FormatString("%8.3f", t.minZ));
    }
}

TEST_F(ContourFixture, DialogEditRules) {
    using namespace contour_dlg;
    g_contourMinZ = 13;
    g_contourInterval = 5;
    g_indexContourInterval = 25;
    g_contourSmoothness = 2;
    // Not a positive number: the index interval and smoothness keep their values unsaid;
    // a main interval is refused with a message, so the old one is not used unknowingly.
    for (const char* text : {"0", "-1", "abc", "inf", "nan", "1e999"}) {
        SCOPED_TRACE(text);
        ClearRecordedMessages();
        EXPECT_EQ(ReadContourEdit(kIndexInterval, text), ContourEditRead::kIgnored);
        EXPECT_EQ(ReadContourEdit(kSmoothness, text), ContourEditRead::kIgnored);
        EXPECT_TRUE(RecordedMessages().empty());
        EXPECT_EQ(ReadContourEdit(kInterval, text), ContourEditRead::kRefused);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text, "主曲線間隔には0より大きい数値を入力してください。");
    }
    EXPECT_EQ(g_contourInterval, 5);
    EXPECT_EQ(g_indexContourInterval, 25);
    EXPECT_EQ(g_contourSmoothness, 2);
    EXPECT_EQ(ContourEditText(kInterval), "   5.000");
    // 0.5 gives the index interval 1; 13 is no multiple of 0.5: said, nothing changed.
    ClearRecordedMessages();
    EXPECT_EQ(ReadContourEdit(kInterval, "0.5"), ContourEditRead::kStored);
    EXPECT_EQ(g_indexContourInterval, 1);
    EXPECT_EQ(g_simpleContourIndexInterval, 1);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(ReadContourEdit(kInterval, "5"), ContourEditRead::kStored);
    EXPECT_EQ(g_indexContourInterval, 25);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "最低標高が主曲線間隔の倍数でありません");
    EXPECT_EQ(g_contourMinZ, 13);
    // Levels and the tolerance take whatever is typed; text that is no number reads as 0.
    EXPECT_EQ(ReadContourEdit(kMaxZ, "x"), ContourEditRead::kStored);
    EXPECT_EQ(g_contourMaxZ, 0);
    EXPECT_EQ(ReadContourEdit(kTolerance, "0.5"), ContourEditRead::kStored);
    EXPECT_EQ(ContourEditText(kTolerance), " 0.500000");
}

TEST_F(ContourFixture, RefusedStartLeavesTheContourFlags) {
    g_drawingContoursLoaded = 0;
    g_showDrawingContours = 0;
    StartContourCalculation();  // no TIN
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);

    BuildGrid(4, 10.0, [](double x, double) { return x; });
    g_contourMinZ = 0, g_contourMaxZ = 40, g_contourInterval = 10;
    g_contourMethod = 1;
    StartContourCalculation();
    EXPECT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_EQ(g_showDrawingContours, -1);
    EXPECT_FALSE(ReadLines().empty());
}

TEST_F(ContourFixture, FailedReplaceRunLeavesNoContoursLoaded) {
    BuildGrid(4, 10.0, [](double x, double) { return x; });
    g_contourMinZ = 0, g_contourMaxZ = 40, g_contourInterval = 10;
    g_contourMethod = 0;
    StartContourCalculation();
    ASSERT_EQ(g_drawingContoursLoaded, -1);
    ASSERT_FALSE(ReadLines().empty());
    // The line file is truncated, then the index file cannot be opened.
    g_contourIndexPath = (m_dir / "missing" / "index").string();
    ClearRecordedMessages();
    StartContourCalculation();
    EXPECT_TRUE(ReadLines().empty());
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "等高線作業ファイルを作成できません。");
}
