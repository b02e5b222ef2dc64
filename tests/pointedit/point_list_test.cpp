// The point list's work without its window: rows, the table copy, pastes in both line
// ends, deletion in one pass (the same result as deleting row by row), registering a new
// point, and the messages of a clipboard that is empty or held.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "pointedit/point_array.h"
#include "pointedit/point_list.h"

namespace {

void AddPoint(double x, double y, double z, const char* name = "") {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    CopyPointName(p.name, name);
    SetPointEndMarker();
    g_pointsPresent = -1;
}

void AddPoints(int n) {
    for (int i = 1; i <= n; ++i) {
        char name[12];
        std::snprintf(name, sizeof name, "P%d", i);
        AddPoint(i, 2.0 * i, 0.5 * i, name);
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class PointList : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        SetClipboardHooks({});
        SetClipboardText("");
        g_listHighlightedPoint = 0;
    }
    void TearDown() override {
        SetClipboardHooks({});
        ClearRecordedMessages();
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? "" : RecordedMessages().back().text;
    }
};

TEST_F(PointList, RowsShowTheRecordAndTheNewPointRow) {
    AddPoint(12.5, -3.25, 101.2345, "BM1");
    g_points[1].invalid = 1;
    g_points[1].plotKind = 3;
    const auto row = PointListRow(1);
    EXPECT_EQ(row[0], "    1");
    EXPECT_EQ(row[1], "12.5000");
    EXPECT_EQ(row[2], "-3.2500");
    EXPECT_EQ(row[3], "101.234");
    EXPECT_EQ(row[4], "BM1");
    EXPECT_EQ(row[5], "X");
    EXPECT_EQ(row[6], "HN");
    const auto next = PointListRow(2);
    EXPECT_EQ(next[0], "    2");
    EXPECT_EQ(next[1], "");
    EXPECT_STREQ(PlotKindText(1), "N ");
    EXPECT_STREQ(PlotKindText(2), " H");
    EXPECT_STREQ(PlotKindText(0), "");
}

TEST_F(PointList, WindowOfLoadedRows) {
    AddPoints(500);
    struct Case {
        int32_t start, n, wantStart, wantShown;
    };
    const Case fill[] = {{1, 0, 1, 500}, {0, 10, 1, 10}, {495, 10, 495, 6}, {900, 5, 500, 1}};
    for (const Case& c : fill) {
        const PointListWindow w = ClampPointListWindow(c.start, c.n);
        EXPECT_EQ(w.start, c.wantStart) << c.start << "," << c.n;
        EXPECT_EQ(w.shown, c.wantShown) << c.start << "," << c.n;
    }
    PointListWindow w = OpeningPointListWindow();
    EXPECT_EQ(w.start, 1);
    EXPECT_EQ(w.shown, 200);
    g_listHighlightedPoint = 400;
    w = OpeningPointListWindow();
    EXPECT_EQ(w.start, 400);
    EXPECT_EQ(w.shown, 102) << "to the end and the new-point row";

    w = CountFieldLeft({1, 200}, "5000");
    EXPECT_EQ(w.shown, 500) << "3000 is past the end: to the end";
    AddPoints(4000);
    w = CountFieldLeft({1, 200}, "5000");
    EXPECT_EQ(w.shown, 3000) << "the count field takes at most 3000";
    w = CountFieldLeft({10, 200}, "0");
    EXPECT_EQ(w.shown, 4491);
    w = StartFieldLeft({1, 200}, "99999");
    EXPECT_EQ(w.start, 4500);
    EXPECT_EQ(w.shown, 1);
}

TEST_F(PointList, CopyOfThreePointsIsFourLines) {
    AddPoint(100, 200.5, 5.25, "A1");
    AddPoint(-1.0005, 0, 0, "");
    AddPoint(123456.789, 98765.4321, 12.3456, "\x82\xa0");
    ASSERT_TRUE(CopyPointTable());
    EXPECT_EQ(LastMessage(), "クリップボードにコピーしました");
    EXPECT_EQ(RecordedMessages().back().caption, "コピー終了");
    const std::string text = GetClipboardText();
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Cp932ToUtf8(lines[0]), " Ｎｏ\t      Ｘ座標\t      Ｙ座標\t        標高\t点名\t\r");
    EXPECT_EQ(lines[1], "   1\t     100.000\t     200.500\t       5.250\tA1\r");
    EXPECT_EQ(lines[1].substr(0, 4), "   1");
    EXPECT_EQ(lines[2], "   2\t      -1.000\t       0.000\t       0.000\t\r");
    EXPECT_EQ(lines[3], "   3\t  123456.789\t   98765.432\t      12.346\t\x82\xa0\r");
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(PointList, CopyIntoAHeldClipboardIsReported) {
    AddPoints(2);
    SetClipboardHooks({[](const std::string&) { return false; }, [] { return std::string(); }});
    EXPECT_FALSE(CopyPointTable());
    EXPECT_EQ(LastMessage(), "クリップボードは他のアプリケーションで使用中です");
    EXPECT_EQ(RecordedMessages().back().caption, "コピーできません");
    ClearRecordedMessages();
    InitDataModel();
    EXPECT_TRUE(CopyPointTable()) << "nothing to copy, nothing said";
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(PointList, PastedLinesInEitherLineEnd) {
    struct Case {
        const char* text;
        std::vector<PastedPoint> want;
    };
    const std::string longName = "ABCDEFGHIJKLMNO";
    const Case cases[] = {
        {"100\t200\t5\r\n", {{100, 200, 5, "", 0, 0}}},
        {"100\t200\t5\n", {{100, 200, 5, "", 0, 0}}},
        {"100\t200\t5", {{100, 200, 5, "", 0, 0}}},
        {"1\t2\t3\t  ABCDEFGHIJKLMNO \t1\t2\r\n", {{1, 2, 3, "ABCDEFGHIJK", 1, 2}}},
        {"1\t2\t3\tABCDEFGHIJK\n", {{1, 2, 3, "ABCDEFGHIJK", 0, 0}}},
        {"\r\n\n1\t2\t3\r\n\t\t\r\n4\t5\t6\n", {{1, 2, 3, "", 0, 0}, {4, 5, 6, "", 0, 0}}},
        {"X\tY\tZ\r\n7\t\t8\r\n", {{7, 0, 8, "", 0, 0}}},
        {"-1.5e2\t2\t3\n", {{-150, 2, 3, "", 0, 0}}},
    };
    for (const Case& c : cases) {
        const std::vector<PastedPoint> got = ParsePastedPoints(c.text);
        ASSERT_EQ(got.size(), c.want.size()) << c.text;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].x, c.want[i].x) << c.text;
            EXPECT_EQ(got[i].y, c.want[i].y) << c.text;
            EXPECT_EQ(got[i].z, c.want[i].z) << c.text;
            EXPECT_EQ(got[i].name, c.want[i].name) << c.text;
            EXPECT_EQ(got[i].invalid, c.want[i].invalid) << c.text;
            EXPECT_EQ(got[i].plotKind, c.want[i].plotKind) << c.text;
        }
    }
    // Our own copy's heading line is no point; its data lines read from the number column.
    AddPoints(2);
    EXPECT_EQ(ParsePastedPoints(PointTableText()).size(), 2u);
}

TEST_F(PointList, PasteAppendsAfterTheLastPoint) {
    AddPoints(3);
    // A 15-byte name of double-byte characters is cut on a character boundary.
    SetClipboardText(
        "100\t200\t5\r\n"
        "1\t2\t3\t\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xa9\x82\xab\t1\t3\r\n");
    EXPECT_EQ(PastePointsFromClipboard(), 2);
    ASSERT_EQ(g_pointCount, 5);
    const RandomPoint& a = g_points[4];
    EXPECT_EQ(a.x, 100);
    EXPECT_EQ(a.y, 200);
    EXPECT_EQ(a.z, 5);
    EXPECT_EQ(a.invalid, 0);
    EXPECT_EQ(a.plotKind, 0);
    EXPECT_STREQ(a.name, "");
    EXPECT_STREQ(g_points[5].name, "\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8");
    EXPECT_EQ(g_points[5].invalid, 1);
    EXPECT_EQ(g_points[5].plotKind, 3);
    EXPECT_EQ(g_points[6].hidden, kEndMarker);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(PointList, PasteFromAnEmptyOrHeldClipboardIsReported) {
    AddPoints(1);
    EXPECT_EQ(PastePointsFromClipboard(), 0);
    EXPECT_EQ(LastMessage(), "クリップボードにデータがありません");
    SetClipboardHooks({[](const std::string&) { return false; }, [] { return std::string("1\t2\t3\n"); },
                       [](std::string&) { return false; }});
    EXPECT_EQ(PastePointsFromClipboard(), 0);
    EXPECT_EQ(LastMessage(), "クリップボードがオープンできません");
    EXPECT_EQ(g_pointCount, 1);
}

TEST_F(PointList, DeletingRowsFiveAndSix) {
    AddPoints(9);
    EXPECT_TRUE(DeleteListedPoints({6, 5}));
    ASSERT_EQ(g_pointCount, 7);
    EXPECT_STREQ(g_points[4].name, "P4");
    EXPECT_STREQ(g_points[5].name, "P7");
    EXPECT_STREQ(g_points[7].name, "P9");
    EXPECT_EQ(g_points[8].hidden, kEndMarker);
    EXPECT_TRUE(RecordedMessages().empty()) << "no TIN, no question";
    EXPECT_FALSE(DeleteListedPoints({}));
    EXPECT_FALSE(DeleteListedPoints({8, 0}));
}

TEST_F(PointList, DeletingWithATinAsksAndReleasesIt) {
    AddPoints(4);
    EnsureTinEdgeCapacity(2);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdges[2] = TinEdge{2, 3, kNoApex, 1, 0};
    g_tinEdgeCount = 2;
    g_tinPresent = -1;
    for (int32_t v : {1, 2, 3}) g_outline.Append(v);
    g_outline.Close();

    QueueMessageAnswer(msg::kIdNo);
    EXPECT_FALSE(DeleteListedPoints({4}));
    EXPECT_EQ(LastMessage(), "現在の三角網は解除されます");
    EXPECT_EQ(RecordedMessages().back().caption, "確認");
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_tinEdgeCount, 2);

    QueueMessageAnswer(msg::kIdYes);
    EXPECT_TRUE(DeleteListedPoints({4}));
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(PointList, OnePassDeletionEqualsRowByRow) {
    std::mt19937 random(7);
    AddPoints(3000);
    std::vector<int32_t> rows;
    for (int32_t i = 1; i <= 3000; ++i)
        if (random() % 3 == 0) rows.push_back(i);
    const std::vector<RandomPoint> original(g_points, g_points + g_pointCount + 2);

    // Row by row from the highest number down, so that each row removes its own point.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) DeletePointRecord(*it);
    const int32_t wantCount = g_pointCount;
    const std::vector<RandomPoint> want(g_points, g_points + g_pointCount + 2);

    std::copy(original.begin(), original.end(), g_points);
    g_pointCount = static_cast<int32_t>(original.size()) - 2;
    rows.push_back(rows.front());  // a row listed twice removes one point
    std::shuffle(rows.begin(), rows.end(), random);
    ASSERT_TRUE(DeleteListedPoints(rows));
    ASSERT_EQ(g_pointCount, wantCount);
    for (int32_t i = 1; i <= g_pointCount; ++i)
        ASSERT_EQ(std::memcmp(&g_points[i], &want[i], sizeof(RandomPoint)), 0) << i;
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
}

TEST_F(PointList, DeletionWaitsForALongOperation) {
    AddPoints(3);
    OpenProgressWindow(0);
    EXPECT_FALSE(DeleteListedPoints({1}));
    CloseProgressWindow();
    EXPECT_EQ(g_pointCount, 3);
}

TEST_F(PointList, RegisteringStoresOrAppends) {
    AddPoints(5);
    const PointListWindow window{1, 6};
    int32_t number = 0;
    EXPECT_EQ(RegisterListedPoint({"3", " 10.5 ", "20", "30.25", "  NEW NAME LONGER "}, window, &number),
              PointRegisterResult::kStored);
    EXPECT_EQ(number, 3);
    EXPECT_EQ(g_points[3].x, 10.5);
    EXPECT_EQ(g_points[3].z, 30.25);
    EXPECT_STREQ(g_points[3].name, "NEW NAME LO");
    EXPECT_EQ(g_points[3].plotKind, 0);

    g_points[6].invalid = 5;  // whatever the record after the last held
    EXPECT_EQ(RegisterListedPoint({"6", "1", "2", "3", ""}, window, &number),
              PointRegisterResult::kAppended);
    ASSERT_EQ(g_pointCount, 6);
    EXPECT_EQ(g_points[6].plotKind, 2);
    EXPECT_EQ(g_points[6].invalid, 0);
    EXPECT_EQ(g_points[6].outside, 0);
    EXPECT_EQ(g_points[6].y, 2);
    EXPECT_EQ(g_points[7].hidden, kEndMarker);

    EXPECT_EQ(RegisterListedPoint({"0", "1", "2", "3", ""}, window, nullptr),
              PointRegisterResult::kNothing);
    EXPECT_TRUE(RecordedMessages().empty());
    // Past the new-point row there is no record to write.
    EXPECT_EQ(RegisterListedPoint({"8", "1", "2", "3", ""}, {1, 8}, nullptr),
              PointRegisterResult::kNotListed);
    EXPECT_EQ(LastMessage(), "指定された番号は一覧にありません");
    EXPECT_EQ(RecordedMessages().back().caption, "番号エラー");
    EXPECT_EQ(RegisterListedPoint({"2", "1", "2", "3", ""}, {3, 4}, nullptr),
              PointRegisterResult::kNotListed);
    EXPECT_EQ(g_pointCount, 6);
}

TEST_F(PointList, ValidityAndLabelModeOfSelectedRows) {
    AddPoints(4);
    g_points[2].invalid = 1;
    EXPECT_EQ(ToggleListedValidity({2, 3}), 0) << "the first row decides";
    EXPECT_EQ(g_points[2].invalid, 0);
    EXPECT_EQ(g_points[3].invalid, 0);
    EXPECT_EQ(ToggleListedValidity({3, 4}), 1);
    EXPECT_EQ(g_points[4].invalid, 1);
    SetListedPlotKind({1, 4, 5}, 2);
    EXPECT_EQ(g_points[1].plotKind, 2);
    EXPECT_EQ(g_points[4].plotKind, 2);
    EXPECT_EQ(g_points[5].hidden, kEndMarker) << "the new-point row gets only the text";
    SetListedPlotKind({1}, -1);
    EXPECT_EQ(g_points[1].plotKind, 2) << "a cancelled choice changes nothing";
}

}  // namespace
