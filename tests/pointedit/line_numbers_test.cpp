// White-line IDs in point names: the ID order and increment, numbering by clicks (lines,
// triangle pairs, continuing a line), the two edits, renumbering a broken chain, erasing
// and the saved file against a golden one.
#include "pointedit/line_numbers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "../view/view_fixture.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/view_input.h"

namespace fs = std::filesystem;

namespace {

TEST(LineIds, IncrementCountsNumbersThenLettersWithCarries) {
    struct Case {
        const char* id;
        const char* want;
    };
    const Case cases[] = {
        {"001", "002"}, {"007", "008"}, {"099", "100"}, {"997", "998"}, {"998", "0AA"},
        {"999", "0AA"}, {"0AA", "0AB"}, {"0AZ", "0Aa"}, {"0Az", "0BA"}, {"0zz", "1AA"},
        {"9zz", "0AA"}, {"  7", "008"}, {"0A ", "0AA"}, {"0A~", "0B~"}, {"A12", "A12"},
    };
    for (const Case& c : cases) EXPECT_EQ(IncrementLineId(c.id), c.want) << c.id;
}

TEST(LineIds, ValueOrdersNumbersBelowLetterIds) {
    EXPECT_EQ(LineIdValue("007"), 7);
    EXPECT_EQ(LineIdValue("  7"), 7);
    EXPECT_EQ(LineIdValue("998"), 998);
    EXPECT_EQ(LineIdValue("0AA"), ('0' << 16) | ('A' << 8) | 'A');
    EXPECT_GT(LineIdValue("0AA"), LineIdValue("999"));
    EXPECT_LT(LineIdValue("0AZ"), LineIdValue("0Aa"));
    EXPECT_EQ(LineIdValue("12"), 0);
    EXPECT_EQ(LineIdValue("X12"), 0);
}

class LineNumbers : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        g_lineWidthCm = 15;
        g_toolMode = MODE_NONE;
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }
    void TearDown() override {
        delete g_lineNumberDlg;
        SetLineNumberWindowFactory(nullptr);
        ViewTest::TearDown();
    }
    // A row of points 30 m apart going east from the view centre.
    void Row(int count) {
        for (int k = 0; k < count; ++k) AddPoint(0.0, 30.0 * k - 90.0, 10.0 + k);
        ProjectAllData(0);
    }
    static int32_t Click(CLineNumberDlg& dlg, int32_t i, int32_t flags = 0) {
        return dlg.OnViewClick(flags, PointClientColumn(g_points[i]), PointClientRow(g_points[i]));
    }
    static std::string Name(int32_t i) { return g_points[i].name; }
    static void Rename(int32_t i, const char* name) {
        std::memset(g_points[i].name, 0, sizeof g_points[i].name);
        std::strcpy(g_points[i].name, name);
    }
};

TEST_F(LineNumbers, ClicksChainALineFromItsWidthHead) {
    Row(5);
    CLineNumberDlg dlg;
    EXPECT_EQ(g_lineNumberDlg, &dlg);
    EXPECT_EQ(g_nextLineId, "001");
    EXPECT_EQ(Click(dlg, 1), 0) << "no numbering before ナンバリング開始";
    dlg.OnStartNumbering(true);
    EXPECT_EQ(dlg.CurrentMode(), CLineNumberDlg::kNumbering);
    EXPECT_EQ(g_showPointNames, -1);
    EXPECT_EQ(Click(dlg, 1), 1);
    EXPECT_EQ(Name(1), "_015W002");
    EXPECT_EQ(g_pickedPoint, 1);
    EXPECT_EQ(Click(dlg, 1), 0) << "the same point again";
    EXPECT_EQ(Click(dlg, 2), 1);
    EXPECT_EQ(Name(1), "_015W002");
    EXPECT_EQ(Name(2), "_002");
    EXPECT_EQ(Click(dlg, 3), 1);
    EXPECT_EQ(Name(2), "_002.003");
    EXPECT_EQ(Name(3), "_003");
    EXPECT_EQ(g_nextLineId, "004");
    EXPECT_EQ(g_dataChanged, -1);
    // Shift, Ctrl and a click on no point are not the dialog's.
    EXPECT_EQ(Click(dlg, 4, kMouseFlagShift), 0);
    EXPECT_EQ(Click(dlg, 4, kMouseFlagControl), 0);
    EXPECT_EQ(dlg.OnViewClick(0, 5, 5), 0);
    EXPECT_EQ(Name(4), "");

    // 開始(追加) continues the line from its last point.
    dlg.OnEndNumbering();
    dlg.OnStartAppend(true);
    EXPECT_EQ(g_nextLineId, "");
    EXPECT_EQ(Click(dlg, 4), 0) << "the first click must hit a numbered point";
    EXPECT_EQ(Click(dlg, 3), 1);
    EXPECT_EQ(g_nextLineId, "004");
    EXPECT_EQ(Click(dlg, 4), 1);
    EXPECT_EQ(Name(3), "_003.004");
    EXPECT_EQ(Name(4), "_004");
    dlg.OnEndNumbering();
    EXPECT_EQ(g_nextLineId, "005") << "the start value after appending";
}

TEST_F(LineNumbers, TrianglePairsRestartEveryTwoClicks) {
    Row(4);
    CLineNumberDlg dlg;
    dlg.OnTriangle(true);
    dlg.OnStartNumbering(true);
    EXPECT_EQ(dlg.CurrentMode(), CLineNumberDlg::kTrianglePairs);
    for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(Click(dlg, i), 1) << i;
    EXPECT_EQ(Name(1), "_015T002");
    EXPECT_EQ(Name(2), "_002");
    EXPECT_EQ(Name(3), "_015T004");
    EXPECT_EQ(Name(4), "_004");
    EXPECT_EQ(g_pickedPoint, 0) << "a pair's end clears the pick";
    EXPECT_EQ(dlg.RunCount(), 0);
}

TEST_F(LineNumbers, TheEditsTakeOnlyWhatFits) {
    Row(3);
    Rename(1, "_012");
    CLineNumberDlg dlg;
    EXPECT_EQ(g_nextLineId, "013");
    EXPECT_EQ(dlg.NextIdLeft("7"), "007");
    EXPECT_EQ(dlg.NextIdLeft("  2a x"), "02a");
    EXPECT_EQ(dlg.NextIdLeft("12"), "02a") << "in use: refused";
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "012 は使用されています");
    EXPECT_EQ(g_nextLineId, "02a");
    EXPECT_EQ(dlg.NextIdLeft("a12"), "02a");
    EXPECT_EQ(dlg.NextIdLeft("1-2"), "02a");
    EXPECT_EQ(dlg.NextIdLeft("   "), "013") << "empty: the start value";

    struct Case {
        const char* text;
        int32_t want;
    };
    // A width of four digits would push the kind and link out of their places.
    const Case widths[] = {{"20", 20}, {"999", 999}, {"1000", 999}, {"2999", 999},
                           {"0", 999}, {"-5", 999},  {"x", 999},    {"1", 1}};
    for (const Case& c : widths) {
        dlg.WidthLeft(c.text);
        EXPECT_EQ(g_lineWidthCm, c.want) << c.text;
    }
    EXPECT_EQ(dlg.WidthLeft("15"), "  15");
}

// A link that is no ID (not starting with a digit) cannot be stepped to a free one.
TEST_F(LineNumbers, AppendingFromAHeadWithALetterLinkEnds) {
    Row(3);
    Rename(1, "_015WABC");
    Rename(2, "_000");  // the value 0 that "ABC" also has
    CLineNumberDlg dlg;
    dlg.OnStartAppend(true);
    EXPECT_EQ(Click(dlg, 1), 1);
    EXPECT_EQ(g_nextLineId, "ABC");
}

// A head whose link leads nowhere, a chain that breaks off, a lone numbered point and a
// head without a link.
TEST_F(LineNumbers, RenumberingFollowsChainsAndClearsWhatNoneReaches) {
    Row(7);
    Rename(1, "_015W002");
    Rename(2, "_002.003");
    Rename(3, "_003.005");  // 005 does not exist
    Rename(4, "_007");
    Rename(5, "_020W050");  // nothing carries 050
    Rename(6, "_015W");
    Rename(7, "ABC");
    CLineNumberDlg dlg;
    EXPECT_EQ(g_nextLineId, "008");
    dlg.OnRenumber();
    EXPECT_EQ(Name(1), "_015W009");
    EXPECT_EQ(Name(2), "_009.010");
    EXPECT_EQ(Name(3), "_010.011");
    EXPECT_EQ(Name(4), "");
    EXPECT_EQ(Name(5), "_020W011");
    EXPECT_EQ(Name(6), "_015W");
    EXPECT_EQ(Name(7), "ABC");
    EXPECT_EQ(g_nextLineId, "011");
}

TEST_F(LineNumbers, RenumberingEndsOnAChainThatLoops) {
    Row(3);
    Rename(1, "_015W002");
    Rename(2, "_002.003");
    Rename(3, "_003.002");
    CLineNumberDlg dlg;
    dlg.OnRenumber();
    EXPECT_EQ(Name(1), "_015W005");
    EXPECT_EQ(Name(2), "_005.006");
    EXPECT_EQ(Name(3), "_006.007");
}

TEST_F(LineNumbers, EraseInsideTheTinOnlyClearsNames) {
    Row(3);
    Rename(1, "_015W002");
    Rename(2, "_002");
    EnsureTinEdgeCapacity(2);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    const RandomPoint before = g_points[2];
    CLineNumberDlg dlg;
    dlg.OnErase();
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_EQ(Name(1), "");
    EXPECT_EQ(Name(2), "");
    EXPECT_EQ(g_points[2].x, before.x);
    EXPECT_EQ(g_points[2].y, before.y);
    EXPECT_EQ(g_nextLineId, "001");

    // Outside the TIN a numbered point goes and the TIN follows.
    Rename(3, "_004");
    g_tinEdges[1] = TinEdge{1, 3, kNoApex, 0, 0};
    Rename(2, "_003");
    dlg.OnErase();
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_EQ(g_tinEdges[1].b, 2);
    EXPECT_EQ(Name(2), "");
}

TEST_F(LineNumbers, SaveWritesTheGoldenFile) {
    Row(4);
    CLineNumberDlg dlg;
    dlg.OnStartNumbering(true);
    for (int32_t i = 1; i <= 3; ++i) ASSERT_EQ(Click(dlg, i), 1);
    // The file's values.
    const struct {
        double x, y, z;
        int8_t outside;
        int16_t plot;
        int16_t invalid;
    } values[] = {{1000.0, 2000.0, 50.125, 0, 0, 0},
                  {1010.25, 2000.5, 51.0, 0, 2, 1},
                  {1020.0, -2001.0, -3.5, 1, 3, 0}};
    for (int32_t i = 1; i <= 3; ++i) {
        g_points[i].x = values[i - 1].x;
        g_points[i].y = values[i - 1].y;
        g_points[i].z = values[i - 1].z;
        g_points[i].outside = values[i - 1].outside;
        g_points[i].plotKind = values[i - 1].plot;
        g_points[i].invalid = values[i - 1].invalid;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("line_numbers_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    QueueFileDialogAnswer((dir / "white").string());
    ASSERT_TRUE(dlg.OnSave());
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].title, "白線ランダムデータを保存");
    auto bytes = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    EXPECT_EQ(bytes(dir / "white.RND"), bytes("tests/data/white_line.RND"));

    // A file that cannot be made is told.
    ClearRecordedMessages();
    EXPECT_FALSE(dlg.SaveRnd("/nonexistent-folder-for-test/white.RND"));
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_NE(RecordedMessages().back().text.find("ファイル書き込みができません。"),
              std::string::npos);
    fs::remove_all(dir);

    // Without numbered points there is nothing to save.
    for (int32_t i = 1; i <= g_pointCount; ++i) Rename(i, "");
    ClearRecordedFileDialogs();
    EXPECT_FALSE(dlg.OnSave());
    EXPECT_EQ(RecordedMessages().back().text, "白線データがありません");
    EXPECT_TRUE(RecordedFileDialogs().empty());
}

// The view offers every release to the open dialog before its tools; the command opens
// and closes it.
TEST_F(LineNumbers, CommandAndViewRelease) {
    Row(3);
    int32_t opened = 0;
    SetLineNumberWindowFactory([&] {
        ++opened;
        new CLineNumberDlg;
    });
    OnLineNumbering();
    ASSERT_NE(g_lineNumberDlg, nullptr);
    EXPECT_EQ(opened, 1);
    g_lineNumberDlg->OnStartNumbering(true);
    // A tool that would take the click: the batch polygon.
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_BATCH + 1;
    const int32_t x = PointClientColumn(g_points[2]), y = PointClientRow(g_points[2]);
    OnViewLButtonDown(kMouseFlagLeft, x, y, false);
    OnViewLButtonUp(0, x, y, false);
    EXPECT_EQ(Name(2), "_015W002");
    EXPECT_EQ(g_pickList.Count(), 0) << "the tool did not see the click";
    g_toolMode = MODE_NONE;
    g_pointEditState = 0;
    g_dragState = 0;
    g_pickedPoint = 2;
    OnLineNumbering();
    EXPECT_EQ(g_lineNumberDlg, nullptr);
    EXPECT_EQ(g_pickedPoint, 0);
}

}  // namespace
