#include "model/tin_calc_command.h"

#include <gtest/gtest.h>

#include "model/auto_outline.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "model/tin_region_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/window_state.h"
#include "shell/tool_mode.h"
#include "tin_test_support.h"
#include "view/view_state.h"
#include "view/view_transform.h"

using namespace tintest;

namespace {

class TinCalcCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetKeepExistingTinBuilder(nullptr);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        InjectAllocationFailures(-1, 0);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

void RandomSquare(int32_t n, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1000.0);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng));
    SetOutline({AddPoint(-1, -1), AddPoint(-1, 1001), AddPoint(1001, 1001), AddPoint(1001, -1)});
}

const std::string kExistingTinQuestion =
    "三角網が既に作成されています。\n "
    "既存の三角網を残さない場合は「はい」\n既存の三角網を残す場合は「いいえ」\n計算しない場合は「キ"
    "ャンセル」を選択してくだい。";

}  // namespace

TEST_F(TinCalcCommandTest, JacksboroScatterWithItsAutomaticOutlineGivesTheConstrainedDelaunayTin) {
    ASSERT_EQ(LoadRndPoints(JacksboroFile("jacksboro_scatter20k.RND")), 20000);
    ComputeDataExtents(0);
    ASSERT_EQ(BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)),
              kAutoOutlineDone);
    ASSERT_GE(g_outline.Count(), 3);
    g_showTin = 0;
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網作成終了");
    EXPECT_EQ(g_showTin, 1);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(g_tinCalcBusy, 0);
    EXPECT_TRUE(MainWindowEnabled());
    EXPECT_FALSE(WaitCursorShown());

    // Every triangle has an empty circumcircle (exact predicates), and the edges are those
    // of CGAL's constrained Delaunay triangulation with the outline as constraints.
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(c.notLocallyDelaunay, 0);
    EXPECT_NEAR(c.area, OutlineArea(), 1e-9 * OutlineArea());
    const auto regionEdges = TinEdgeSet();
    EXPECT_TRUE(CgalOutlineEdges(PointsInsideByCgal()) == regionEdges);
    // And those of the grid builder.
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_TRUE(TinEdgeSet() == regionEdges);
}

TEST_F(TinCalcCommandTest, AnOutlineOfFewerThanThreeVerticesIsRefused) {
    for (int32_t vertices : {0, 2}) {
        InitDataModel();
        ClearRecordedMessages();
        for (int32_t i = 0; i < 10; ++i) AddPoint(i, i * i);
        for (int32_t i = 1; i <= vertices; ++i) g_outline.Append(i);
        OnTinCalc();
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(RecordedMessages()[0].text, "外周が設定されていません");
        EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOk | msg::kIconQuestion);
        EXPECT_EQ(g_tinEdgeCount, 0);
        EXPECT_EQ(g_tinPresent, 0);
    }
}

TEST_F(TinCalcCommandTest, AnOpenOutlineIsClosedOnlyWhenTheUserAgrees) {
    RandomSquare(200, 1);
    const int32_t n = g_outline.Count();
    g_outline[n + 1] = 0;  // open
    QueueMessageAnswer(msg::kIdCancel);
    OnTinCalc();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周が閉じていません\n始点と終点をつなぎますか");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOkCancel | msg::kIconQuestion);
    EXPECT_FALSE(g_outline.IsClosed());
    EXPECT_EQ(g_tinEdgeCount, 0);

    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdOk);
    OnTinCalc();
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_EQ(g_tinPresent, -1);
}

TEST_F(TinCalcCommandTest, AnExistingTinAsksYesNoOrCancel) {
    RandomSquare(300, 2);
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const int32_t built = g_tinEdgeCount;
    const std::set<std::pair<int32_t, int32_t>> edges = TinEdgeSet();

    // Cancel: nothing changes.
    ClearRecordedMessages();
    g_dataChanged = 0;
    QueueMessageAnswer(msg::kIdCancel);
    OnTinCalc();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, kExistingTinQuestion);
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kYesNoCancel | msg::kIconQuestion);
    EXPECT_EQ(g_tinEdgeCount, built);
    EXPECT_EQ(g_dataChanged, 0);

    // No: the keep-existing build runs instead of the full one.
    int kept = 0;
    SetKeepExistingTinBuilder([&] { ++kept; });
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    OnTinCalc();
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_EQ(g_tinEdgeCount, built);
    // The program's own keep-existing build: the outline encloses the whole TIN, so the
    // rebuild inside it gives the same lines again.
    SetKeepExistingTinBuilder(nullptr);
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdNo);
    OnTinCalc();
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, "三角網作成終了");
    EXPECT_EQ(TinEdgeSet(), edges);

    // Yes: built again from the start.
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    int pumpsWhileBuilding = 0;
    SetLongLoopPollInterval(0);
    SetHeadlessPumpCallback([&] {
        ++pumpsWhileBuilding;
        EXPECT_EQ(g_tinCalcBusy, -1);
        EXPECT_FALSE(MainWindowEnabled());
        EXPECT_TRUE(WaitCursorShown());
    });
    OnTinCalc();
    EXPECT_GT(pumpsWhileBuilding, 0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_EQ(TinEdgeSet(), edges);
    EXPECT_TRUE(MainWindowEnabled());
    EXPECT_EQ(g_tinCalcBusy, 0);
}

TEST_F(TinCalcCommandTest, ARebuildThatDoesNotCompleteKeepsTheOldTin) {
    RandomSquare(2000, 4);
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    auto records = [] {
        std::vector<std::array<int32_t, 4>> r;
        for (int32_t i = 1; i <= g_tinEdgeCount + 1; ++i)
            r.push_back({g_tinEdges[i].a, g_tinEdges[i].b, g_tinEdges[i].apexBack,
                         g_tinEdges[i].apexSearch});
        return r;
    };
    const std::vector<std::array<int32_t, 4>> old = records();

    // Yes, then Q stops the new build partway.
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    QueueMessageAnswer(msg::kIdOk);
    SetLongLoopPollInterval(0);
    int polls = 0;
    SetHeadlessPumpCallback([&] { SetHeadlessKeyDown('Q', ++polls == 30); });
    OnTinCalc();
    SetHeadlessKeyDown('Q', false);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_EQ(records(), old);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinCalcBusy, 0);
}

TEST_F(TinCalcCommandTest, AFailedEnlargementOfTheEdgeBlockStopsBeforeWriting) {
    RandomSquare(300, 3);
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const int32_t built = g_tinEdgeCount;
    // More points than a quarter of the capacity: the block must grow first.
    for (int32_t i = 0; i < kStartTinEdgeCapacity / 4; ++i) AddPoint(-500 - i, -500);
    const int32_t capacity = g_tinEdgeCapacity;
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdYes);
    InjectAllocationFailures(0, 1);
    OnTinCalc();
    InjectAllocationFailures(-1, 0);
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[1].text, "三角網計算の作業用メモリ確保に失敗しました。");
    EXPECT_EQ(g_tinEdgeCapacity, capacity);
    EXPECT_EQ(g_tinEdgeCount, built);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinEdges[built + 1].a, -1);
    EXPECT_EQ(g_tinCalcBusy, 0);
    EXPECT_TRUE(MainWindowEnabled());
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(TinCalcCommandTest, NothingWhileBusy) {
    RandomSquare(100, 4);
    g_tinCalcBusy = -1;
    g_toolMode = MODE_OUTLINE_EDIT;
    OnTinCalc();
    g_tinCalcBusy = 0;
    EXPECT_EQ(g_toolMode, 0);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_tinEdgeCount, 0);

    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    OnTinCalc();
    CloseProgressWindow();
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_tinEdgeCount, 0);
}
