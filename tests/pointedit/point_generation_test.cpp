// Points generated around a base point, beside a base line and between two points: their
// places and elevations against closed-form values, and every run that is not accepted
// leaving the array as it was with the end marker after the last point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "../view/view_fixture.h"
#include "analysis/two_point_info.h"
#include "model/geometry.h"
#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/generated_points.h"
#include "pointedit/offset_points.h"
#include "pointedit/parallel_points.h"
#include "pointedit/point_array.h"
#include "pointedit/point_gen_dialogs.h"
#include "pointedit/point_tools.h"
#include "pointedit/polygon_offset.h"
#include "pointedit/two_point_tool.h"
#include "shell/status_text.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

bool MarkerAfterLast() { return g_points[g_pointCount + 1].hidden == kEndMarker; }

// Distance of P from the infinite line A-B.
double LineDistance(double ax, double ay, double bx, double by, double px, double py) {
    return std::fabs((bx - ax) * (py - ay) - (by - ay) * (px - ax)) / std::hypot(bx - ax, by - ay);
}

class PointGeneration : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ClearRecordedMessages();
        PointGenDialogHooks() = PointGenDialogs{};
        PointToolWindowHooks() = PointToolWindows{};
        g_newPointName.clear();
        g_newPointInvalid = 0;
        g_newPointPlotMode = 0;
        g_toolMode = MODE_NONE;
        g_pointEditState = 0;
        g_outlineEditState = 0;
        g_pickedPoint = g_pickedPoint2 = 0;
        g_offsetPointDlg = OffsetPointValues{};
        g_parallelAddDlg = ParallelAddValues{};
    }
    void TearDown() override {
        PointGenDialogHooks() = PointGenDialogs{};
        PointToolWindowHooks() = PointToolWindows{};
        SetHeadlessKeyDown(key::kShift, false);
        ViewTest::TearDown();
    }
    // The offset dialog's base point.
    void Base(double x, double y, double z) {
        const int32_t b = AddPoint(x, y, z, "B");
        g_pickedPoint = b;
        g_editPoint = g_points[b];
    }
    void PickBaseLine(std::initializer_list<int32_t> points) {
        g_pickList.Reset();
        for (int32_t p : points) g_pickList.Append(p);
    }
};

// ---- offsets ----

TEST_F(PointGeneration, CircleOfSixAroundTheBase) {
    Base(0, 0, 5);
    OffsetPointValues v;
    InitOffsetPointDialog(v);
    v.registration = 1;
    v.bottomTop = 0;
    EXPECT_EQ(v.circleDivisions, 6);
    EXPECT_DOUBLE_EQ(v.size, 0.2);
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(ComputeOffsetPoints(v), kOffsetClosed);
    ASSERT_EQ(g_pointCount, 7);
    EXPECT_DOUBLE_EQ(g_points[2].x, 0.1);
    EXPECT_DOUBLE_EQ(g_points[2].y, 0);
    for (int32_t k = 0; k < 6; ++k) {
        const RandomPoint& p = g_points[2 + k];
        EXPECT_NEAR(std::hypot(p.x, p.y), 0.1, 0.0006) << k;
        EXPECT_NEAR(std::atan2(p.y, p.x), std::remainder(k * kPi / 3, 2 * kPi), 0.01) << k;
        EXPECT_DOUBLE_EQ(p.z, 5);  // height difference 0
    }
    EXPECT_TRUE(MarkerAfterLast());
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(PointGeneration, SquareCornersThenSidePointsInOrder) {
    Base(0, 0, 0);
    OffsetPointValues v;
    InitOffsetPointDialog(v);
    v.registration = 1;
    v.polygonKind = 1;
    v.size = 2;
    v.direction = 0;
    v.squareDivisions = 1;
    v.bottomTop = 0;
    QueueMessageAnswer(msg::kIdYes);
    ComputeOffsetPoints(v);
    const double want[8][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1},
                               {0, 1}, {-1, 0},  {0, -1}, {1, 0}};
    ASSERT_EQ(g_pointCount, 9);
    for (int k = 0; k < 8; ++k) {
        EXPECT_NEAR(g_points[2 + k].x, want[k][0], 1e-9) << k;
        EXPECT_NEAR(g_points[2 + k].y, want[k][1], 1e-9) << k;
    }
}

TEST_F(PointGeneration, OnePointAtDirectionAndDistanceWithGradient) {
    Base(100, 200, 50);
    OffsetPointValues v;
    InitOffsetPointDialog(v);
    v.registration = 0;
    v.direction = 30.3000;  // 30 degrees 30 minutes
    v.distance = 10;
    v.elevationMethod = 1;
    v.elevationValue = 5;
    g_offsetDlgName = "OFS";
    EXPECT_EQ(ComputeOffsetPoints(v), kOffsetEditNewPoint);
    EXPECT_EQ(g_pointCount, 1) << "the point edit dialog registers it";
    const RandomPoint& p = g_points[2];
    EXPECT_NEAR(p.x, 100 + 10 * std::cos(30.5 * kPi / 180), 1e-9);
    EXPECT_NEAR(p.y, 200 + 10 * std::sin(30.5 * kPi / 180), 1e-9);
    EXPECT_NEAR(p.z, 50 + 5 * 10 * 0.01, 1e-12);
    EXPECT_STREQ(p.name, "OFS");
    EXPECT_EQ(g_pickedPoint, 2);
    // Gradient 5 at 20 m: one metre up.
    EXPECT_DOUBLE_EQ(OffsetElevation(1, 5, 20, 50, 0, 0), 51.0);
}

TEST_F(PointGeneration, OffsetToolLeavesNoReservedRecordBehind) {
    Base(0, 0, 0);
    AddPoint(50, 50, 0);
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_OFFSET;
    g_offsetPointDlg.registration = 0;
    g_offsetPointDlg.distance = 3;
    int edits = 0;
    PointGenDialogHooks().runOffsetDialog = [] { return ComputeOffsetPoints(g_offsetPointDlg); };
    PointToolWindowHooks().runPointEditDialog = [&edits] { ++edits; };  // abandons the point
    g_pickedPoint = 1;
    // Dragged 30 pixels east of the base: direction 90 degrees, 30 m (scale 1).
    OnClickOffsetMode(0, 430, 300, 1);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_TRUE(MarkerAfterLast());
    EXPECT_NEAR(g_offsetPointDlg.distance, 30, 1e-9);
    EXPECT_NEAR(g_offsetPointDlg.direction, 90, 1e-9);
    // Registered by the dialog: the point stays.
    PointToolWindowHooks().runPointEditDialog = [] { g_pointCount += 1; };
    g_pickedPoint = 1;
    OnClickOffsetMode(0, 300, 300, 0);
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_TRUE(MarkerAfterLast());
    EXPECT_NEAR(g_points[3].y, 30, 1e-9);
}

TEST_F(PointGeneration, NoRemovesTheWholeRunAndTheRingLiesInside) {
    Base(0, 0, 0);
    OffsetPointValues v;
    InitOffsetPointDialog(v);
    v.registration = 1;
    v.size = 2;
    v.circleDivisions = 4;
    EXPECT_EQ(v.bottomTop, 1) << "switched on at the first opening";
    EXPECT_DOUBLE_EQ(v.move, -0.01);
    v.retireBase = 1;
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(ComputeOffsetPoints(v), kOffsetClosed);
    EXPECT_EQ(g_pointCount, 1);
    EXPECT_TRUE(MarkerAfterLast());
    EXPECT_EQ(g_points[1].invalid, 0);

    g_pickedPoint = 1;
    QueueMessageAnswer(msg::kIdYes);
    ComputeOffsetPoints(v);
    ASSERT_EQ(g_pointCount, 9);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(std::hypot(g_points[2 + 2 * k].x, g_points[2 + 2 * k].y), 1, 1e-9);
        EXPECT_NEAR(std::hypot(g_points[3 + 2 * k].x, g_points[3 + 2 * k].y), 0.99, 1e-9);
    }
    EXPECT_EQ(g_points[1].invalid, 1) << "the base point retires";
}

TEST_F(PointGeneration, MissingValuesKeepTheDialogOpen) {
    struct Case {
        int32_t registration, kind, circle, square, bottomTop;
        double distance, size, move;
        const char* message;
    };
    const Case cases[] = {
        {0, 0, 6, 1, 0, 0.0005, 1, 1, "距離を入力してください。"},
        {1, 0, 6, 1, 0, 0, 0.0009, 1, "半径（矩形幅）を入力してください。"},
        {1, 0, 1, 1, 0, 0, 1, 1, "分割数を入力してください。"},
        {1, 1, 6, -1, 0, 0, 1, 1, "分割数を入力してください。"},
        {1, 0, 6, 1, 1, 0, 1, 0.0005, "多角形底部移動量を入力してください。"},
    };
    Base(0, 0, 0);
    for (const Case& c : cases) {
        ClearRecordedMessages();
        OffsetPointValues v;
        v.registration = c.registration;
        v.polygonKind = c.kind;
        v.circleDivisions = c.circle;
        v.squareDivisions = c.square;
        v.bottomTop = c.bottomTop;
        v.distance = c.distance;
        v.size = c.size;
        v.move = c.move;
        EXPECT_EQ(ComputeOffsetPoints(v), kOffsetStayOpen) << c.message;
        ASSERT_EQ(RecordedMessages().size(), 1u) << c.message;
        EXPECT_EQ(RecordedMessages()[0].text, c.message);
        EXPECT_EQ(g_pointCount, 1);
        EXPECT_TRUE(MarkerAfterLast());
    }
}

TEST_F(PointGeneration, GrowthFailureMidRunUndoesTheRun) {
    InitDataModel();
    g_pointCapacity = 60;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    for (int32_t i = 0; i < 8; ++i) AddPoint(i, 0, 0);
    g_pickedPoint = 1;
    g_editPoint = g_points[1];
    OffsetPointValues v;
    InitOffsetPointDialog(v);
    v.registration = 1;
    v.circleDivisions = 12;  // the run needs more than the two free records before growth
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(ComputeOffsetPoints(v), kOffsetStayOpen);
    EXPECT_EQ(RecordedMessages().back().text, "ランダムデータのメモリ確保に失敗しました。");
    EXPECT_EQ(g_pointCount, 8);
    EXPECT_TRUE(MarkerAfterLast());
}

// ---- parallel lines ----

TEST_F(PointGeneration, ParallelEndPointsOneAndBothSides) {
    const int32_t a = AddPoint(0, 0, 10), b = AddPoint(0, 10, 20);
    struct Case {
        int32_t both;
        int32_t want;
    };
    for (const Case c : {Case{0, 2}, Case{1, 4}}) {
        PickBaseLine({a, b});
        QueueMessageAnswer(msg::kIdYes);
        EXPECT_EQ(AddParallelPoints(1, 0, 0, 0, 0, 0.5, 0, 0, c.both), c.want);
        ASSERT_EQ(g_pointCount, 2 + c.want);
        for (int32_t i = 3; i <= g_pointCount; ++i) {
            EXPECT_NEAR(std::fabs(g_points[i].x), 1, 1e-9);
            EXPECT_TRUE(std::fabs(g_points[i].y) < 1e-9 || std::fabs(g_points[i].y - 10) < 1e-9);
            EXPECT_DOUBLE_EQ(g_points[i].z, g_points[i].y < 5 ? 10.5 : 20.5);
        }
        if (c.both) {
            EXPECT_LT(g_points[3].x * g_points[5].x, 0) << "one line on each side";
        }
        EXPECT_EQ(g_pickList2.Count(), c.both ? 0 : 2) << "a one-sided run can become the base";
        g_pointCount = 2;
        SetPointEndMarker();
    }
}

TEST_F(PointGeneration, ParallelDivisionsAndSpacingRunOnAcrossCorners) {
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(0, 10, 10);
    PickBaseLine({a, b});
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(AddParallelPoints(2, 1, 4, 0, 0, 0, 0, 0, 1), 12);
    std::vector<double> along;
    for (int32_t i = 3; i <= g_pointCount; ++i)
        if (g_points[i].x > 0) along.push_back(g_points[i].y);
    std::sort(along.begin(), along.end());
    EXPECT_EQ(along, (std::vector<double>{0, 2, 4, 6, 8, 10}));

    // Distance 0, spacing 3 over 4 + 6 m: 3, 6 and 9 along the line, no end points.
    InitDataModel();
    const int32_t p = AddPoint(0, 0, 0), q = AddPoint(0, 4, 4), r = AddPoint(6, 4, 10);
    PickBaseLine({p, q, r});
    QueueMessageAnswer(msg::kIdYes);
    EXPECT_EQ(AddParallelPoints(0, 2, 0, 3, 0, 0, 0, 0, 1), 3);
    const double want[3][3] = {{0, 3, 3}, {2, 4, 6}, {5, 4, 9}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(g_points[4 + k].x, want[k][0], 1e-9) << k;
        EXPECT_NEAR(g_points[4 + k].y, want[k][1], 1e-9) << k;
        EXPECT_NEAR(g_points[4 + k].z, want[k][2], 1e-9) << k;
    }
}

TEST_F(PointGeneration, ParallelCornersKeepTheDistanceFromBothBaseLines) {
    const int32_t p = AddPoint(0, 0, 0), q = AddPoint(0, 20, 0), r = AddPoint(15, 20, 0),
                  s = AddPoint(15, 35, 0);
    const double bx[4] = {0, 0, 15, 15}, by[4] = {0, 20, 20, 35};
    for (double d : {2.5, -2.5}) {
        PickBaseLine({p, q, r, s});
        QueueMessageAnswer(msg::kIdYes);
        ASSERT_EQ(AddParallelPoints(d, 0, 0, 0, 3, 0, 0, 10, 0), 4);
        for (int32_t k = 0; k < 4; ++k) {
            const RandomPoint& c = g_points[5 + k];
            // The segments meeting at base vertex k.
            for (int32_t seg : {k - 1, k}) {
                if (seg < 0 || seg > 2) continue;
                EXPECT_NEAR(LineDistance(bx[seg], by[seg], bx[seg + 1], by[seg + 1], c.x, c.y), 2.5,
                            1e-9)
                    << d << " corner " << k << " segment " << seg;
            }
            EXPECT_NEAR(c.z, 0.25, 1e-12) << "gradient 10 % over 2.5 m";
        }
        g_pointCount = 4;
        SetPointEndMarker();
    }
}

TEST_F(PointGeneration, ParallelNoTakesTheRunAwayAndKeepsTheBaseLine) {
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(0, 10, 0);
    PickBaseLine({a, b});
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(AddParallelPoints(1, 1, 4, 0, 0, 0, 0, 0, 1), 12);
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_TRUE(MarkerAfterLast());
    EXPECT_EQ(g_pickList.Count(), 2);
}

TEST_F(PointGeneration, ParallelAddRefusesNothingToLay) {
    struct Case {
        double distance;
        int32_t mode, divisions;
        double spacing;
        bool accepted;
    };
    const Case cases[] = {{0, 0, 0, 0, false}, {0, 1, 0, 0, false},    {0, 2, 0, 0.0009, false},
                          {0, 1, 2, 0, true},  {0, 2, 0, 0.001, true}, {0.001, 0, 0, 0, true}};
    for (const Case& c : cases) {
        ClearRecordedMessages();
        ParallelAddValues v;
        v.distance = c.distance;
        v.spacingMode = c.mode;
        v.divisions = c.divisions;
        v.spacing = c.spacing;
        EXPECT_EQ(CheckParallelAdd(v), c.accepted) << c.distance << " " << c.mode;
        EXPECT_EQ(RecordedMessages().size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_EQ(RecordedMessages()[0].caption, "点追加中止");
        }
    }
}

TEST_F(PointGeneration, MovedBaseLineTakesTheNextParallel) {
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(0, 10, 0);
    PickBaseLine({a, b});
    QueueMessageAnswer(msg::kIdYes);
    AddParallelPoints(1, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(MoveParallelBaseLine());
    EXPECT_EQ(g_pickList.Count(), 2);
    EXPECT_EQ(g_pickList[1], 3);
    QueueMessageAnswer(msg::kIdYes);
    AddParallelPoints(1, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_NEAR(std::fabs(g_points[5].x), 2, 1e-9) << "two lines out from the first base";
}

// ---- polygon offset ----

TEST_F(PointGeneration, PolygonOffsetOfASquare) {
    // Clockwise in the X-Y axes, as the outline is kept.
    const int32_t p1 = AddPoint(0, 0, 0), p2 = AddPoint(10, 0, 0), p3 = AddPoint(10, 10, 0),
                  p4 = AddPoint(0, 10, 0);
    const int32_t list[] = {4, p1, p2, p3, p4, p1};
    std::vector<RandomPoint> out(8), negative(8);
    ASSERT_EQ(OffsetPointPolygon(1, list, out.data()), 4);
    ASSERT_EQ(OffsetPointPolygon(-1, list, negative.data()), 4);
    EXPECT_EQ(out[4].hidden, kEndMarker);
    const int32_t corner[4] = {p2, p3, p4, p1};
    const double sx[5] = {0, 10, 10, 0, 0}, sy[5] = {0, 0, 10, 10, 0};
    for (int k = 0; k < 4; ++k) {
        const RandomPoint& c = out[k];
        EXPECT_EQ(c.hidden, 0);
        EXPECT_NEAR(std::hypot(c.x - g_points[corner[k]].x, c.y - g_points[corner[k]].y),
                    std::sqrt(2.0), 1e-9)
            << k;
        int near = 0;
        for (int e = 0; e < 4; ++e)
            if (std::fabs(LineDistance(sx[e], sy[e], sx[e + 1], sy[e + 1], c.x, c.y) - 1) < 1e-9)
                ++near;
        EXPECT_EQ(near, 2) << k;
        EXPECT_DOUBLE_EQ(negative[k].x, c.x);
        EXPECT_DOUBLE_EQ(negative[k].y, c.y);
    }
}

TEST_F(PointGeneration, PolygonOffsetRefusesBadLists) {
    AddPoint(0, 0, 0);
    AddPoint(1, 0, 0);
    std::vector<RandomPoint> out(10);
    const int32_t two[] = {2, 1, 2};
    EXPECT_EQ(OffsetPointPolygon(1, two, out.data()), -1);
    std::vector<int32_t> big(200003, 1);
    big[0] = 200001;
    EXPECT_EQ(OffsetPointPolygon(1, big.data(), out.data()), -1);
    EXPECT_EQ(OffsetPointPolygon(1, nullptr, out.data()), -1);
}

TEST_F(PointGeneration, PolygonOffsetCollinearVertexTakesTheMovedEdgeEnd) {
    const int32_t p1 = AddPoint(0, 0, 0), p2 = AddPoint(5, 0, 0), p3 = AddPoint(10, 0, 0),
                  p4 = AddPoint(10, 10, 0), p5 = AddPoint(0, 10, 0);
    const int32_t list[] = {5, p1, p2, p3, p4, p5};
    std::vector<RandomPoint> out(8);
    ASSERT_EQ(OffsetPointPolygon(1, list, out.data()), 5);
    EXPECT_NEAR(out[0].x, 5, 1e-9) << "the corner at P2 is the moved P2";
    EXPECT_NEAR(std::fabs(out[0].y), 1, 1e-9);
}

// ---- two points ----

class TwoPointTool : public PointGeneration {
protected:
    void SetUp() override {
        PointGeneration::SetUp();
        g_viewScale = 5;  // 10 m = 50 pixels; the points lie along the row y = 300
        a = AddPoint(0, 0, 10, "A");
        b = AddPoint(0, 40, 20, "B");
        ProjectAllData(0);
        OnPointAddBetweenTwo();
        ASSERT_EQ(g_pointEditState, POINT_EDIT_BETWEEN);
    }
    static void Click(int32_t east, int32_t flags = 0) {
        OnClickTwoPointMode(flags, 400 + east * 5, 300);
    }
    int32_t a = 0, b = 0;
};

TEST_F(TwoPointTool, ThreeEquallySpacedPointsInterpolated) {
    int infos = 0;
    PointGenDialogHooks().runTwoPointInfo = [&infos] {
        ++infos;
        return kTwoPointInfoCancel;
    };
    Click(0);
    EXPECT_EQ(g_pickedPoint, a);
    Click(40);
    EXPECT_EQ(infos, 1);
    EXPECT_EQ(g_outlineEditState, kTwoPointCreate);
    Click(40);  // the end point before anything was made: nothing
    EXPECT_EQ(g_outlineEditState, kTwoPointCreate);
    for (int32_t e : {10, 20, 30}) Click(e);
    ASSERT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_addedPointsInMode, -3);
    EXPECT_TRUE(MarkerAfterLast());
    Click(20);  // an earlier created point
    EXPECT_EQ(StatusText(), "既存ランダム点に近すぎます");
    QueueMessageAnswer(msg::kIdYes);
    Click(40);
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_NEAR(g_points[3].z, 12.5, 1e-9);
    EXPECT_NEAR(g_points[4].z, 15, 1e-9);
    EXPECT_NEAR(g_points[5].z, 17.5, 1e-9);
    EXPECT_EQ(g_outlineEditState, kTwoPointPick);
    EXPECT_EQ(g_dataChanged, -1);
}

TEST_F(TwoPointTool, NoAndDeleteTakeCreatedPointsAway) {
    PointGenDialogHooks().runTwoPointInfo = [] { return kTwoPointInfoCancel; };
    Click(0);
    Click(40);
    for (int32_t e : {10, 20, 30}) Click(e);
    Click(30);  // the last created point goes again
    EXPECT_EQ(g_pointCount, 4);
    UndoTwoPointStep();
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_TRUE(MarkerAfterLast());
    QueueMessageAnswer(msg::kIdNo);
    Click(40);
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_TRUE(MarkerAfterLast());
}

TEST_F(TwoPointTool, OkEndsTheToolEscStartsCreating) {
    PointGenDialogHooks().runTwoPointInfo = [] {
        TwoPointInfoOk();
        return kTwoPointInfoOk;
    };
    Click(0);
    Click(0);  // the first point again: the selection is cleared
    EXPECT_EQ(g_pickedPoint, 0);
    Click(0);
    Click(40);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_dataChanged, 0);
}

TEST_F(TwoPointTool, ShiftChainThenPlainClickEndsIt) {
    const int32_t c = AddPoint(0, 60, 30, "C"), d = AddPoint(0, 70, 40, "D");
    ProjectAllData(0);
    PointGenDialogHooks().runTwoPointInfo = [] { return kTwoPointInfoCancel; };
    Click(0);
    SetHeadlessKeyDown(key::kShift, true);
    Click(40);
    EXPECT_EQ(g_outlineEditState, kTwoPointChain);
    Click(60);
    EXPECT_EQ(g_pickList.Count(), 3);
    Click(60);  // the last chain point again: dropped
    EXPECT_EQ(g_pickList.Count(), 2);
    Click(60);
    SetHeadlessKeyDown(key::kShift, false);
    Click(70);
    EXPECT_EQ(g_outlineEditState, kTwoPointChainCreate);
    EXPECT_EQ(g_pickedPoint, a);
    EXPECT_EQ(g_pickedPoint2, d);
    EXPECT_EQ(g_pickList.Count(), 4);
    (void)c;
    // Points on the second and third legs, 5 m after B and 5 m after C.
    Click(45);
    Click(65);
    QueueMessageAnswer(msg::kIdYes);
    Click(70);
    EXPECT_NEAR(g_points[5].z, 22.5, 1e-9);
    EXPECT_NEAR(g_points[6].z, 35, 1e-9);
}

TEST_F(TwoPointTool, EnterEndsAChainWithoutAddingDeleteStepsBack) {
    PointGenDialogHooks().runTwoPointInfo = [] { return kTwoPointInfoCancel; };
    Click(0);
    SetHeadlessKeyDown(key::kShift, true);
    Click(40);
    SetHeadlessKeyDown(key::kShift, false);
    UndoTwoPointStep();
    EXPECT_EQ(g_pickedPoint2, 0);
    EXPECT_EQ(g_outlineEditState, kTwoPointPick);
    UndoTwoPointStep();
    EXPECT_EQ(g_pickedPoint, 0);
    Click(0);
    SetHeadlessKeyDown(key::kShift, true);
    Click(40);
    SetHeadlessKeyDown(key::kShift, false);
    TwoPointEnterKey();
    EXPECT_EQ(g_outlineEditState, kTwoPointChainCreate);
    EXPECT_EQ(g_pickList.Count(), 2);
}

TEST_F(TwoPointTool, InformationTexts) {
    struct Case {
        double ex, ey;
        const char* azimuth;
    };
    const Case cases[] = {
        {0, 10, "方位角　（90.0000）"},
        {0, -10, "方位角　（270.0000）"},
        {-10, 0, "方位角　（180.0000）"},
        {0.003, 0.004, "方位角　（0.0000）"},
        {std::cos(45.5 * kPi / 180), std::sin(45.5 * kPi / 180), "方位角　（45.3000）"}};
    RandomPoint s{}, e{};
    s.z = 10;
    for (const Case& c : cases) {
        e.x = c.ex;
        e.y = c.ey;
        e.z = 12;
        EXPECT_EQ(FormatTwoPointInfo(s, e).azimuth, c.azimuth) << c.ex << " " << c.ey;
    }
    e.x = 3;
    e.y = 4;
    const TwoPointInfoTexts t = FormatTwoPointInfo(s, e);
    EXPECT_EQ(t.planeDistance, "平面距離（5.000）m");
    EXPECT_EQ(t.heightDifference, "比高差　（2.000）m");
    EXPECT_EQ(t.slope, "勾配　　（40.00）%");
    e.x = e.y = 0;
    EXPECT_EQ(FormatTwoPointInfo(s, e).slope, "勾配　　（---）%");
}
}  // namespace

namespace {
// Appends, deletions and accepted and refused runs of every generator in a random order:
// the end marker always follows the last point and no point before it is marked.
TEST_F(PointGeneration, EndMarkerFollowsTheLastPointThroughRandomRuns) {
    std::mt19937 rng(77);
    for (int32_t i = 0; i < 6; ++i) AddPoint(10.0 * i, 3.0 * i, i);
    for (int step = 0; step < 300; ++step) {
        const int answer = rng() % 2 ? msg::kIdYes : msg::kIdNo;
        switch (rng() % 5) {
            case 0:
                AppendGeneratedPoint(rng() % 100, rng() % 100, 0, "R");
                break;
            case 1:
                // Out of range too (0 and count + 1), which changes nothing.
                if (g_pointCount > 6)
                    DeletePointRecord(static_cast<int32_t>(rng() % (g_pointCount + 2)) *
                                      (rng() % 2));
                if (g_pointCount > 6)
                    DeletePointRecord(3 + static_cast<int32_t>(rng() % (g_pointCount - 1)));
                break;
            case 2: {
                g_pickedPoint = 1;
                g_editPoint = g_points[1];
                OffsetPointValues v;
                InitOffsetPointDialog(v);
                v.registration = 1;
                QueueMessageAnswer(answer);
                ComputeOffsetPoints(v);
                break;
            }
            case 3:
                g_pickList.Reset();
                g_pickList.Append(1);
                g_pickList.Append(2);
                QueueMessageAnswer(answer);
                AddParallelPoints(1, 1, 3, 0, 0, 0, 0, 0, rng() % 2);
                break;
            default:
                // The offset tool's one point, left by the edit dialog.
                g_pickedPoint = 1;
                g_offsetPointDlg.registration = 0;
                g_offsetPointDlg.distance = 5;
                PointGenDialogHooks().runOffsetDialog = [] {
                    return ComputeOffsetPoints(g_offsetPointDlg);
                };
                OnClickOffsetMode(0, 400, 300, 0);
                break;
        }
        ClearRecordedMessages();
        ASSERT_GE(g_pointCount, 2);
        ASSERT_TRUE(MarkerAfterLast()) << step;
        for (int32_t i = 1; i <= g_pointCount; ++i)
            ASSERT_NE(g_points[i].hidden, kEndMarker) << step;
        if (g_pointCount > 400) RollBackPointsTo(6);
    }
}
}  // namespace
