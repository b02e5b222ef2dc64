#include "model/duplicate_points.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/progress.h"
#include "model/tin_calc_command.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "shell/status_text.h"
#include "tin_test_support.h"

using namespace tintest;

namespace {

class DuplicatePointsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        g_dupTolerance = 0.001;
    }
    void TearDown() override {
        SetDupPointChooser(nullptr);
        SetHeadlessPumpCallback(nullptr);
        SetHeadlessKeyDown('Q', false);
        SetLongLoopPollInterval(100);
        g_dupTolerance = 0.001;
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

int32_t Named(const char* name, double x, double y, double z = 0) {
    const int32_t p = AddPoint(x, y, z);
    std::snprintf(g_points[p].name, sizeof g_points[p].name, "%s", name);
    return p;
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int32_t p = 1; p <= g_pointCount; ++p) names.emplace_back(g_points[p].name);
    return names;
}

// Points, an outline and a TIN over them, so that the removal's clearing shows.
void WithOutlineAndTin() {
    SetOutline({1, 2, 3});
    g_tinEdgeCount = 3;
    g_tinPresent = -1;
    for (int32_t i = 1; i <= 3; ++i) g_tinEdges[i] = TinEdge{i, i % 3 + 1, kNoApex, 0, 0};
    SetTinEndRecord();
    g_points[4].outside = 1;
}

}  // namespace

TEST_F(DuplicatePointsTest, ComparatorPutsLargerXFirst) {
    const double a = 1.0, b = 2.0;
    EXPECT_EQ(CompareXDescending(&a, &b), 1);
    EXPECT_EQ(CompareXDescending(&b, &a), -1);
    EXPECT_EQ(CompareXDescending(&a, &a), 0);
}

TEST_F(DuplicatePointsTest, TheWindowIsSquareAndGroupsStartAtTheirFirstPoint) {
    Named("A", 0, 0);
    Named("B", 0.0009, 0.0009);  // 0.00127 away, inside the square window
    Named("C", 50, 50);
    Named("D", 50.0011, 50);  // just outside in X
    Named("E", 100, 100);
    Named("F", 100, 100.0011);  // just outside in Y
    // A group of three around G; J is within the tolerance of H but not of G, so it starts a
    // group of its own with K.
    Named("G", 200.0000, 10);
    Named("H", 199.9995, 10);
    Named("I", 199.9992, 10.0005);
    Named("J", 199.9987, 10);
    Named("K", 199.9980, 10.0003);
    QueueMessageAnswer(msg::kIdOk);
    CheckDuplicatePoints(0);  // keep the first point of each group
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "C", "D", "E", "F", "G", "J"}));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "重複点がありました。\n重複点数 [    4]");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOk | msg::kIconInformation | msg::kSystemModal);
    EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
}

TEST_F(DuplicatePointsTest, KeepRulesChooseTheDataThatStays) {
    struct Case {
        int32_t rule;
        std::vector<std::string> want;
    };
    // The group's first point (largest X) is P; Q is the highest, R the lowest; S and T tie.
    const Case cases[] = {
        {kKeepHighest, {"Q", "S"}},
        {kKeepLowest, {"R", "S"}},
        {0, {"P", "S"}},
    };
    for (const Case& c : cases) {
        InitDataModel();
        ClearRecordedMessages();
        Named("R", 10.0000, 5, 1.0);
        Named("P", 10.0008, 5, 5.0);
        Named("Q", 10.0004, 5, 9.0);
        Named("T", 20.0000, 5, 3.0);
        Named("S", 20.0005, 5, 3.0);  // equal elevations: the first (largest X) stays
        CheckDuplicatePoints(c.rule);
        EXPECT_EQ(Names(), c.want) << c.rule;
    }
}

TEST_F(DuplicatePointsTest, RemovalEmptiesTheOutlineAndTheTinAndLeavesTheTemplateAlone) {
    Named("A", 0, 0);
    Named("B", 10, 0);
    Named("C", 0, 10);
    Named("D", 5, 5);
    Named("E", 5.0005, 5.0005);
    RandomPoint before = g_editPoint;
    std::snprintf(g_editPoint.name, sizeof g_editPoint.name, "NEW");
    before = g_editPoint;
    WithOutlineAndTin();
    g_dataChanged = 0;
    CheckDuplicatePoints(kKeepHighest);
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        EXPECT_EQ(g_points[p].flags, 0);
        EXPECT_EQ(g_points[p].outside, 0);
    }
    EXPECT_EQ(g_dataChanged, 1);
    EXPECT_EQ(std::memcmp(&g_editPoint, &before, sizeof before), 0);
}

TEST_F(DuplicatePointsTest, NothingFoundKeepsEverythingAndReportsTheCount) {
    Named("A", 0, 0);
    Named("B", 10, 0);
    Named("C", 0, 10);
    Named("D", 5, 5);
    WithOutlineAndTin();
    g_dataChanged = -1;  // unsaved changes from before
    CheckDuplicatePoints(kKeepHighest);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "重複点はありませんでした。\n全点数 [    4]");
    EXPECT_EQ(g_outline.Count(), 3);
    EXPECT_EQ(g_tinEdgeCount, 3);
    EXPECT_EQ(g_points[4].outside, 1);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_EQ(LastHeadlessProgressTexts().caption, "重複点チェック中");
}

TEST_F(DuplicatePointsTest, TheUserPicksThePointToKeepOrStops) {
    auto make = [] {
        InitDataModel();
        ClearRecordedMessages();
        Named("P", 1.0008, 0);
        Named("Q", 1.0004, 0);
        Named("R", 1.0000, 0);
    };
    std::vector<int32_t> shown;
    struct Case {
        int32_t row;
        std::vector<std::string> want;
    };
    const Case cases[] = {{1, {"Q"}}, {-1, {"P"}}, {2, {"R"}}, {-2, {"P", "Q", "R"}}};
    for (const Case& c : cases) {
        make();
        SetDupPointChooser([&](const std::vector<int32_t>& group) {
            shown = group;
            return c.row;
        });
        CheckDuplicatePoints(kKeepAsk);
        EXPECT_EQ(shown, (std::vector<int32_t>{1, 2, 3}));
        EXPECT_EQ(Names(), c.want) << c.row;
    }
    // Stopped: nothing removed or exchanged, no report.
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(DuplicatePointsTest, QAsksAndStopsWithoutRemoving) {
    for (int32_t i = 0; i < 50; ++i) {
        Named("L", i, 0, i);
        Named("H", i + 0.0005, 0, 100 + i);  // the higher one has the larger X
    }
    Named("X", -5, -5);
    Named("Y", -6, -5);
    Named("Z", -5, -6);
    SetOutline({g_pointCount - 2, g_pointCount - 1, g_pointCount});
    SetLongLoopPollInterval(0);
    SetHeadlessKeyDown('Q', true);  // held from before the start: asks nothing by itself
    QueueMessageAnswer(msg::kIdCancel);
    QueueMessageAnswer(msg::kIdOk);
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        if (++pumps % 10 == 0) TapKey('Q');
    });
    CheckDuplicatePoints(kKeepLowest);
    EXPECT_GE(pumps, 20) << "asked before the second press";
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[0].text, "重複点チェックを中止してよろしいですか");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOkCancel | msg::kIconQuestion);
    EXPECT_EQ(g_pointCount, 103);
    EXPECT_EQ(g_progressWnd, nullptr);
    // Groups were resolved before the stop, so numbers changed: no outline, no TIN.
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_dataChanged, 1);
}

TEST_F(DuplicatePointsTest, FindMarksDuplicatesInvalidAndKeepsTheCount) {
    struct Case {
        int32_t mode;
        const char* kept;
    };
    const Case cases[] = {{0, "Q"}, {1, "R"}, {2, "P"}};
    for (const Case& c : cases) {
        InitDataModel();
        Named("R", 10.0000, 5, 1.0);
        Named("P", 10.0008, 5, 5.0);
        Named("Q", 10.0004, 5, 9.0);
        Named("S", 30, 5, 3.0);
        g_dataChanged = 0;
        FindDuplicatePoints(nullptr, c.mode, 0.001);
        EXPECT_EQ(g_pointCount, 4);
        for (int32_t p = 1; p <= 3; ++p)
            EXPECT_EQ(g_points[p].invalid, std::string(g_points[p].name) == c.kept ? 0 : 3)
                << c.mode << g_points[p].name;
        EXPECT_EQ(g_points[4].invalid, 0);
        EXPECT_EQ(g_dataChanged, 1);
    }
    // Invalid points take no part; with a window the progress is shown.
    InitDataModel();
    ASSERT_TRUE(OpenProgressWindow(progress::kSortPoints));
    Named("A", 1, 1);
    Named("B", 1.0001, 1);
    g_points[2].invalid = 1;
    g_dataChanged = 0;
    FindDuplicatePoints(g_progressWnd, 0, 0.001);
    EXPECT_EQ(LastHeadlessProgressTexts().note, "");
    EXPECT_EQ(g_points[1].invalid, 0);
    EXPECT_EQ(g_dataChanged, 0);
    Named("C", 1.0002, 1.0002);
    SetLongLoopPollInterval(0);
    FindDuplicatePoints(g_progressWnd, 0, 0.001);
    EXPECT_EQ(LastHeadlessProgressTexts().note, " ");
    EXPECT_EQ(g_points[1].invalid + g_points[3].invalid, 3);
    CloseProgressWindow();
}

TEST_F(DuplicatePointsTest, RemoveForTheHostSetsTheToleranceAndLeavesTheOutlineList) {
    Named("A", 0, 0);
    Named("B", 10, 0);
    Named("C", 0, 10);
    Named("D", 5, 5, 1);
    Named("E", 5.004, 5.004, 2);
    WithOutlineAndTin();
    RemoveDuplicatePoints(0.005, kKeepHighest);
    EXPECT_DOUBLE_EQ(g_dupTolerance, 0.005);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B", "C", "E"}));
    EXPECT_EQ(StatusText(), "重複点数 [    1]");
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_outline.Count(), 3);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
}

TEST_F(DuplicatePointsTest, TheDialogTakesDistancesOfAtLeastAMillimetre) {
    g_dupTolerance = 0.002;
    DuplicateCheckValues values = OpenDuplicateCheckDialog();
    EXPECT_EQ(values.keepRule, kKeepAsk);
    EXPECT_EQ(values.distanceText, "0.002");
    struct Typed {
        const char* text;
        double want;
        const char* shown;
    };
    const Typed typed[] = {{"-0.5", 0.5, "0.500"},
                           {"0.0005", 0.5, "0.500"},
                           {"x", 0.5, "0.500"},
                           {"0.001", 0.001, "0.001"},
                           {"0.0123", 0.0123, "0.012"}};
    for (const Typed& t : typed) {
        values.distanceText = t.text;
        DuplicateDistanceLeft(values);
        EXPECT_DOUBLE_EQ(values.distance, t.want) << t.text;
        EXPECT_EQ(values.distanceText, t.shown) << t.text;
    }

    // OK stores the distance and runs the check with the chosen rule; 終了 does nothing.
    Named("L", 0, 0, 1);
    Named("H", 0.01, 0, 2);
    OnDuplicateCheck([](DuplicateCheckValues&) { return false; });
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_DOUBLE_EQ(g_dupTolerance, 0.002);
    OnDuplicateCheck([](DuplicateCheckValues& v) {
        v.distance = 0.02;
        v.keepRule = kKeepLowest;
        return true;
    });
    EXPECT_DOUBLE_EQ(g_dupTolerance, 0.02);
    EXPECT_EQ(Names(), (std::vector<std::string>{"L"}));
}
