// The point tools' clicks on a 3 x 3 survey grid with its TIN (10 m spacing, plan view at
// 10 pixels a metre): adding, deleting and taking over, modifying, four-point crossings,
// validity by click and by rectangle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <array>
#include <cstring>

#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/area_selection.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_edit.h"
#include "pointedit/point_input_settings.h"
#include "pointedit/point_tools.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/color_band_params.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

// A stand-in for an open dialog window.
struct FakeWindow : ToolWindowHandle {
    void CloseToolWindow() override {}
};

class PointTools : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_pointCapacity = 100;
        ASSERT_EQ(GrowPointBlock(100), 0);
        std::FILE* rnd = std::fopen(NOSTREL_SOURCE_DIR "/tests/data/plan_grid.RND", "rb");
        ASSERT_EQ(ReadRndText(rnd), 0);
        std::FILE* tri = std::fopen(NOSTREL_SOURCE_DIR "/tests/data/plan_grid.TRI", "rb");
        ASSERT_EQ(ReadTriFile(tri), 0);
        std::fclose(tri);
        g_tinPresent = -1;
        g_pointsPresent = -1;
        ASSERT_EQ(g_pointCount, 9);
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = 1010;
        g_viewCenterY = 2010;
        g_viewScale = 10;
        g_birdsEyeOn = 0;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_heightScale = 1;
        g_extentCenterX = 1010;
        g_extentCenterY = 2010;
        g_extentCenterZ = 105;
        g_extentSize = 100;
        g_overviewExtent = 0;
        g_projectionValid = 0;
        g_toolMode = MODE_POINT_EDIT;
        g_newPointMethod = 0;
        g_newPointZ = 0;
        g_newPointInvalid = 0;
        g_newPointPlotMode = 0;
        g_newPointName.clear();
        g_pointSnapMode = 0;
        g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
        g_pickList2.Reset();
        ClearRecordedMessages();
        PointToolWindowHooks() = PointToolWindows{};
    }
    void TearDown() override {
        ClearToolWindow(ToolWindow::kPointEditDialog);
        PointToolWindowHooks() = PointToolWindows{};
        for (int k : {int(key::kSpace), int('K'), int('B'), int('3'), int(vkey::kInsert), int(vkey::kDelete)})
            SetHeadlessKeyDown(k, false);
        ReleaseDataModel();
    }
    // Client pixel of a ground position.
    static int32_t Col(double y) { return static_cast<int32_t>(std::lround(400 + (y - 2010) * 10)); }
    static int32_t Row(double x) { return static_cast<int32_t>(std::lround(300 - (x - 1010) * 10)); }
    static int32_t ColOf(int32_t i) { return Col(g_points[i].y); }
    static int32_t RowOf(int32_t i) { return Row(g_points[i].x); }
    static bool MarkerAfterLast() { return g_points[g_pointCount + 1].hidden == kEndMarker; }
    // The edit dialog registers (or cancels) whatever it is shown.
    static void DialogAnswers(bool registers) {
        PointToolWindowHooks().runPointEditDialog = [registers] {
            PointEditSession s;
            if (registers)
                s.Register();
            else
                s.Cancel();
            PointEditSession::Close();
        };
    }
};

// The elevation of the plane through three points at (x, y).
double PlaneZ(const RandomPoint& a, const RandomPoint& b, const RandomPoint& c, double x, double y) {
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return a.z - (nx * (x - a.x) + ny * (y - a.y)) / nz;
}

TEST_F(PointTools, AddWithGivenAndTinElevation) {
    g_pointEditState = POINT_EDIT_ADD;
    g_newPointZ = 42.5;
    g_newPointName = "NEW";
    g_newPointInvalid = 1;
    OnClickAddPoint(0, Col(2013), Row(1004));
    ASSERT_EQ(g_pointCount, 10);
    EXPECT_NEAR(g_points[10].x, 1004, 0.1);
    EXPECT_NEAR(g_points[10].y, 2013, 0.1);
    EXPECT_EQ(g_points[10].z, 42.5);
    EXPECT_STREQ(g_points[10].name, "NEW");
    EXPECT_EQ(g_points[10].invalid, 1);
    EXPECT_EQ(g_pickList2.Count(), 1);
    EXPECT_EQ(g_pickList2[1], 10);
    EXPECT_TRUE(MarkerAfterLast());

    // Method 2: the TIN's plane at the new point, from the triangle the test finds itself.
    g_newPointMethod = 2;
    OnClickAddPoint(0, Col(2016), Row(1013));
    ASSERT_EQ(g_pointCount, 11);
    const RandomPoint& p = g_points[11];
    // G5 (1010, 2010), G6 (1010, 2020), G9 (1020, 2020) or G8 hold (1013, 2016).
    const double z1 = PlaneZ(g_points[5], g_points[6], g_points[9], p.x, p.y);
    const double z2 = PlaneZ(g_points[5], g_points[9], g_points[8], p.x, p.y);
    EXPECT_TRUE(std::fabs(p.z - z1) < 1e-9 || std::fabs(p.z - z2) < 1e-9) << p.z;

    // Off the TIN: elevation 0.
    OnClickAddPoint(0, Col(2030), Row(1030));
    ASSERT_EQ(g_pointCount, 12);
    EXPECT_EQ(g_points[12].z, 0);
}

TEST_F(PointTools, AddOneAtATimeThroughTheDialog) {
    g_pointEditState = POINT_EDIT_ADD;
    g_newPointMethod = 1;
    DialogAnswers(false);
    OnClickAddPoint(0, Col(2013), Row(1004));
    EXPECT_EQ(g_pointCount, 9) << "cancelled: no point";
    EXPECT_TRUE(MarkerAfterLast());
    DialogAnswers(true);
    OnClickAddPoint(0, Col(2013), Row(1004));
    EXPECT_EQ(g_pointCount, 10);
    EXPECT_TRUE(MarkerAfterLast());
}

TEST_F(PointTools, AddToolDeletesOnlyLoosePoints) {
    g_pointEditState = POINT_EDIT_ADD;
    // A TIN vertex: nothing, not even a question.
    OnClickAddPoint(0, ColOf(5), RowOf(5));
    EXPECT_EQ(g_pointCount, 9);
    EXPECT_TRUE(RecordedMessages().empty());

    // Loose points 10 and 11 and an outline through 1, 3, 11, 9, 7 (closed); deleting 10
    // lowers 11 in the outline, its closing copy too, and in the TIN nothing moves.
    for (double y : {2005.0, 2025.0}) {
        g_editPoint = RandomPoint{};
        g_editPoint.x = 1005;
        g_editPoint.y = y;
        ASSERT_GT(AppendEditPoint(), 0);
        ++g_pointCount;
    }
    g_outline.Reset();
    for (int32_t v : {11, 1, 3, 9, 7}) g_outline.Append(v);
    g_outline.Close();
    g_projectionValid = 0;  // as the repaint after an addition does
    const TinEdge firstEdge = g_tinEdges[1];
    QueueMessageAnswer(msg::kIdYes);
    OnClickAddPoint(0, Col(2005), Row(1005));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "削除してよろしいですか？");
    EXPECT_EQ(g_pointCount, 10);
    EXPECT_EQ(g_points[10].y, 2025);
    EXPECT_EQ(g_outline.Count(), 5);
    EXPECT_EQ(g_outline[1], 10);
    EXPECT_EQ(g_outline[6], 10) << "the outline stays closed";
    EXPECT_EQ(g_tinEdges[1].a, firstEdge.a);
    EXPECT_EQ(g_dataChanged, -1);
    EXPECT_TRUE(MarkerAfterLast());
    // An outline vertex is not deleted.
    OnClickAddPoint(0, Col(2025), Row(1005));
    EXPECT_EQ(g_pointCount, 10);
}

TEST_F(PointTools, ShiftTakesOverAPointsAttributes) {
    g_pointEditState = POINT_EDIT_ADD;
    g_points[5].invalid = 1;
    g_points[5].plotKind = 3;
    std::strcpy(g_points[5].name, "ABCDEFGHIJK");
    OnClickAddPoint(0x04, ColOf(5) + 2, RowOf(5) - 3);
    EXPECT_EQ(g_newPointInvalid, 1);
    EXPECT_EQ(g_newPointPlotMode, 3);
    EXPECT_EQ(g_newPointZ, 110);
    EXPECT_EQ(g_newPointName, "ABCDEFGHIJK");
    EXPECT_EQ(g_pickedPoint, 5);
    EXPECT_EQ(g_pointCount, 9);
}

TEST_F(PointTools, ModifyMovesTheDraggedPointOnlyInTheDialog) {
    g_pointEditState = POINT_EDIT_MODIFY;
    DialogAnswers(true);
    // Picked at the press, released 15 pixels east: the dialog gets the new position.
    g_pickedPoint = 5;
    EXPECT_EQ(OnClickModifyPoint(0, ColOf(5) + 15, RowOf(5), 0), 5);
    EXPECT_NEAR(g_points[5].y, 2011.5, 1e-9);
    EXPECT_EQ(g_points[5].x, 1010);
    EXPECT_EQ(g_pointCount, 9);
    EXPECT_EQ(g_pickedPoint, 0);
    // Cancelled: nothing moves.
    DialogAnswers(false);
    g_pickedPoint = 5;
    OnClickModifyPoint(0, ColOf(5) + 30, RowOf(5), 0);
    EXPECT_NEAR(g_points[5].y, 2011.5, 1e-9);
    // Shift or Ctrl keep the tool away.
    g_pickedPoint = 5;
    EXPECT_EQ(OnClickModifyPoint(0x04, ColOf(5), RowOf(5), 0), 0);
}

TEST_F(PointTools, FourPointLineCrossing) {
    g_pointEditState = POINT_EDIT_FOUR_POINT;
    DialogAnswers(true);
    // G1-G9 against G3-G7: the grid's centre G5 position (1010, 2010), Z from the TIN.
    for (int32_t i : {1, 9, 3}) OnClickFourPointIntersection(0, ColOf(i), RowOf(i));
    EXPECT_EQ(g_pickedPoint3, 3);
    OnClickFourPointIntersection(0, ColOf(7), RowOf(7));
    ASSERT_EQ(g_pointCount, 10);
    EXPECT_NEAR(g_points[10].x, 1010, 1e-9);
    EXPECT_NEAR(g_points[10].y, 2010, 1e-9);
    EXPECT_NEAR(g_points[10].z, 110, 1e-9);
    EXPECT_EQ(g_pickedPoint2 + g_pickedPoint3 + g_pickedPoint4, 0);

    // G1-G2 against G4-G6 meet at (1010, 1990)... off the TIN: Z 0. The crossing of
    // y = 2000 + t and x = 1000 + ... computed from the lines themselves.
    g_pickedPoint = 0;
    for (int32_t i : {1, 4, 2, 6}) OnClickFourPointIntersection(0, ColOf(i), RowOf(i));
    ASSERT_EQ(g_pointCount, 11);
    // G1 (1000, 2000)-G4 (1010, 2000) is the line y = 2000; G2 (1000, 2010)-G6 (1010, 2020)
    // is y = 2010 + (x - 1000): they meet at x = 990.
    EXPECT_NEAR(g_points[11].x, 990, 1e-9);
    EXPECT_NEAR(g_points[11].y, 2000, 1e-9);
    EXPECT_EQ(g_points[11].z, 0);

    // Parallel lines, along an axis or slanted, clear the picks and add nothing.
    for (auto picks : {std::array<int32_t, 4>{1, 2, 4, 5}, {1, 5, 2, 6}}) {
        g_pickedPoint = 0;
        for (int32_t i : picks) OnClickFourPointIntersection(0, ColOf(i), RowOf(i));
        EXPECT_EQ(g_pointCount, 11);
        EXPECT_EQ(g_pickedPoint + g_pickedPoint2 + g_pickedPoint3 + g_pickedPoint4, 0);
    }
}

TEST_F(PointTools, FourPointLineAgainstATriangle) {
    g_pointEditState = POINT_EDIT_FOUR_POINT;
    DialogAnswers(true);
    // A steep line through two loose points over the south-west cell; the triangle is
    // clicked in the north-east cell, whose plane the line meets beyond the points.
    for (auto [x, y, z] : {std::array<double, 3>{1002, 2003, 300}, {1004, 2006, 200}}) {
        g_editPoint = RandomPoint{};
        g_editPoint.x = x;
        g_editPoint.y = y;
        g_editPoint.z = z;
        ASSERT_GT(AppendEditPoint(), 0);
        ++g_pointCount;
    }
    g_projectionValid = 0;
    OnClickFourPointIntersection(0, ColOf(10), RowOf(10));
    OnClickFourPointIntersection(0, ColOf(11), RowOf(11));
    OnClickFourPointIntersection(0x04, Col(2014), Row(1017));
    ASSERT_EQ(g_pointCount, 12);
    const RandomPoint& c = g_points[12];
    // The crossing lies on the line ...
    const double t = (300 - c.z) / 100;
    EXPECT_NEAR(c.x, 1002 + 2 * t, 1e-9);
    EXPECT_NEAR(c.y, 2003 + 3 * t, 1e-9);
    // ... and on the plane of a triangle of the cell G5 G6 G9 G8 (either diagonal).
    bool onPlane = false;
    for (auto tri : {std::array<int32_t, 3>{5, 6, 9}, {5, 9, 8}, {5, 6, 8}, {6, 9, 8}})
        onPlane |= std::fabs(c.z - PlaneZ(g_points[tri[0]], g_points[tri[1]], g_points[tri[2]],
                                          c.x, c.y)) < 1e-6;
    EXPECT_TRUE(onPlane) << c.x << " " << c.y << " " << c.z;
    EXPECT_EQ(g_pickList2.Count(), 0) << "the triangle shown goes with the picks";
    EXPECT_EQ(g_pickedPoint + g_pickedPoint2 + g_pickedPoint3 + g_pickedPoint4, 0);
}

TEST_F(PointTools, ValidityClickAndKeys) {
    g_pointEditState = POINT_EDIT_VALID_INVALID;
    g_outline.Reset();
    for (int32_t v : {1, 3, 9, 7}) g_outline.Append(v);
    g_outline.Close();
    OnClickToggleValid(0, ColOf(5), RowOf(5));
    EXPECT_EQ(g_points[5].invalid, 1);
    EXPECT_EQ(g_dataChanged, -2);
    OnClickToggleValid(0, ColOf(5), RowOf(5));
    EXPECT_EQ(g_points[5].invalid, 0);
    OnClickToggleValid(0, ColOf(3), RowOf(3));
    EXPECT_EQ(g_points[3].invalid, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周の点は無効にできません。");

    SetHeadlessKeyDown('K', true);
    OnClickToggleValid(0, ColOf(5), RowOf(5));
    SetHeadlessKeyDown('K', false);
    EXPECT_STREQ(g_points[5].name, "_K");
    EXPECT_EQ(g_points[5].invalid, 0);
    SetHeadlessKeyDown('3', true);
    OnClickToggleValid(0, ColOf(5), RowOf(5));
    SetHeadlessKeyDown('3', false);
    EXPECT_EQ(g_points[5].name[0], 0);
}

TEST_F(PointTools, ValidityRectangleWithKeysHeld) {
    g_pointEditState = POINT_EDIT_VALID_INVALID;
    for (int32_t i = 1; i <= 9; ++i) g_points[i].invalid = 1;
    g_points[2].flags |= POINT_FLAG_OUTLINE_VERTEX;
    // The rectangle holds G1, G2, G4, G5 (rows x <= 1010, columns y <= 2010).
    const int32_t l = Col(1995), r = Col(2015), t = Row(1015), b = Row(995);
    SetHeadlessKeyDown(vkey::kInsert, true);
    EXPECT_NE(ApplyPointToolRectangle(l, t, r, b), 0);
    SetHeadlessKeyDown(vkey::kInsert, false);
    for (int32_t i = 1; i <= 9; ++i)
        EXPECT_EQ(g_points[i].invalid, (i == 1 || i == 2 || i == 4 || i == 5) ? 0 : 1) << i;
    SetHeadlessKeyDown(vkey::kDelete, true);
    ApplyPointToolRectangle(l, t, r, b);
    SetHeadlessKeyDown(vkey::kDelete, false);
    EXPECT_EQ(g_points[2].invalid, 0) << "Delete never touches an outline vertex";
    EXPECT_EQ(g_points[5].invalid, 1);
    // Neither key: asked first; No changes nothing, Yes toggles all but the outline vertex.
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(ApplyPointToolRectangle(l, t, r, b), 0);
    EXPECT_EQ(g_points[5].invalid, 1);
    QueueMessageAnswer(msg::kIdYes);
    ApplyPointToolRectangle(l, t, r, b);
    EXPECT_EQ(g_points[5].invalid, 0);
    EXPECT_EQ(g_points[2].invalid, 0);
    for (int32_t i = 1; i <= 9; ++i) EXPECT_EQ(g_points[i].flags & POINT_FLAG_NEW_SELECTION, 0);
}

}  // namespace
