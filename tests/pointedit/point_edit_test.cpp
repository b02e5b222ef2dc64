// The point edit dialog's work: start state, latitude and longitude in a plane zone,
// register, copy (also with no record free) and cancel.
#include <gtest/gtest.h>

#include <cstring>

#include "model/geodesy.h"
#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_edit.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"

namespace {

class PointEdit : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_pointCapacity = 100;
        ASSERT_EQ(GrowPointBlock(100), 0);
        for (int32_t i = 1; i <= 5; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = -30000 + i;
            g_points[i].y = 10000 + 2 * i;
            g_points[i].z = 50 + i;
            std::snprintf(g_points[i].name, sizeof g_points[i].name, "P%d", i);
        }
        g_pointCount = 5;
        SetPointEndMarker();
        g_planeZone = 9;
        g_useWorldDatum = 1;
        g_pointEditState = POINT_EDIT_MODIFY;
        g_redrawMask = 0;
        ClearRecordedMessages();
    }
    void TearDown() override {
        g_planeZone = 0;
        ReleaseDataModel();
    }
    static void Edit(int32_t i) {
        g_pickedPoint = i;
        g_editPoint = g_points[i];
    }
};

TEST_F(PointEdit, StartShowsNumberOrCopy) {
    Edit(3);
    PointEditSession s;
    PointEditSession::Start start = s.Begin();
    EXPECT_EQ(start.title, "ランダム点編集 NO. 3");
    EXPECT_EQ(start.numberText, "NO. 3");
    EXPECT_TRUE(start.numberShown);
    EXPECT_FALSE(start.copyShown) << "a point in place cannot be copied";
    g_editPoint.x += 2;  // dragged
    start = s.Begin();
    EXPECT_TRUE(start.copyShown);
    EXPECT_FALSE(start.numberShown);

    g_pointEditState = POINT_EDIT_ADD;
    g_pickedPoint = 6;
    start = s.Begin();
    EXPECT_EQ(start.title, "新規ランダム点作成");
    EXPECT_FALSE(start.copyShown);
    EXPECT_FALSE(start.numberShown);
}

TEST_F(PointEdit, DegreesSplitWithCarries) {
    struct Case { double v; int32_t d, m; double s; };
    const Case cases[] = {
        {35.5, 35, 30, 0.0},
        {35 + 10 / 60.0 + 59.999995 / 3600, 35, 11, 0.0},  // seconds carry a minute
        {35 + 59 / 60.0 + 59.999995 / 3600, 36, 0, 0.0},   // and the minutes a degree
        {139.75, 139, 45, 0.0},
    };
    for (const Case& c : cases) {
        int32_t d = 0, m = 0;
        double s = -1;
        SplitDegrees(c.v, d, m, s);
        EXPECT_EQ(d, c.d) << c.v;
        EXPECT_EQ(m, c.m) << c.v;
        EXPECT_NEAR(s, c.s, 1e-6) << c.v;
    }
}

TEST_F(PointEdit, LatitudeTypedInDecimalDegrees) {
    Edit(2);
    PointEditSession s;
    LatLongTexts t = s.LatLong();
    ASSERT_FALSE(t[0].empty());
    t[0] = "35.5";
    s.EditLatLong(0, t);
    EXPECT_EQ(t[0], "  35");
    EXPECT_EQ(t[1], " 30");
    EXPECT_EQ(t[2], "  0.0000");
    // The point moved to 35°30' in zone 9, whose origin lies at 36°: about 55.5 km south.
    EXPECT_NEAR(g_editPoint.x, -55470, 150);
    EXPECT_EQ(g_nameEdited, -1);
    // Shown again from the new position, the same angles come back.
    const LatLongTexts again = s.LatLong();
    EXPECT_EQ(again[0], "  35");
    EXPECT_EQ(again[1], " 30");
    EXPECT_EQ(again[2], "  0.0000");
    EXPECT_EQ(again[3], t[3]);

    // Decimal minutes clear the seconds.
    t[4] = "15.5";
    s.EditLatLong(4, t);
    EXPECT_EQ(t[4], " 15");
    EXPECT_EQ(t[5], " 30.0000");
}

TEST_F(PointEdit, ZoneZeroEmptiesAndKeepsThePoint) {
    Edit(2);
    PointEditSession s;
    s.EditZone("0");
    EXPECT_EQ(g_planeZone, 0);
    LatLongTexts t = s.LatLong();
    for (const std::string& f : t) EXPECT_TRUE(f.empty());
    t[0] = "35.5";
    const RandomPoint before = g_editPoint;
    s.EditLatLong(0, t);
    EXPECT_EQ(g_editPoint.x, before.x);
    EXPECT_EQ(g_editPoint.y, before.y);
    for (const std::string& f : t) EXPECT_TRUE(f.empty());

    for (const char* bad : {"20", "-1", "abc", "3.5", ""}) {
        s.EditZone(bad);
        EXPECT_EQ(g_planeZone, 0) << bad;
    }
    s.EditZone("19");
    EXPECT_EQ(g_planeZone, 19);
    EXPECT_EQ(s.ZoneText(), "19");
}

TEST_F(PointEdit, FieldsKeepOldValuesOnBadInput) {
    Edit(4);
    PointEditSession s;
    EXPECT_EQ(s.XText(false), " -29996.0000");
    s.EditX("north");
    s.EditZ("");
    EXPECT_EQ(g_editPoint.x, -29996);
    EXPECT_EQ(g_editPoint.z, 54);
    s.EditZ("12.5");
    EXPECT_EQ(s.ZText(true), "      12.500");
    EXPECT_EQ(s.EditName("ABCDEFGHIJKL"), "ABCDEFGHIJK");
    EXPECT_EQ(s.EditName("ABCDEFGHIJ\x88\x9f"), "ABCDEFGHIJ");
}

TEST_F(PointEdit, RegisterCountsOnlyANewPoint) {
    Edit(2);
    PointEditSession s;
    s.EditZ("99");
    s.Register();
    EXPECT_EQ(g_points[2].z, 99);
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_addedPointsInMode, 2);

    g_editPoint = RandomPoint{};
    g_editPoint.x = 1;
    ASSERT_EQ(AppendEditPoint(), 6);
    g_pickedPoint = 6;
    PointEditSession n;
    n.Register();
    EXPECT_EQ(g_pointCount, 6);
    EXPECT_EQ(g_addedPointsInMode, -1);
    PointEditSession::Close();
    EXPECT_EQ(g_points[7].hidden, kEndMarker);
}

TEST_F(PointEdit, CancelDropsANewPointAndRedrawsAfterEdits) {
    g_editPoint = RandomPoint{};
    ASSERT_EQ(AppendEditPoint(), 6);
    g_pickedPoint = 6;
    PointEditSession s;
    s.EditZ("3");
    s.Cancel();
    PointEditSession::Close();
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_points[6].hidden, kEndMarker);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_redrawMask, -1);
}

TEST_F(PointEdit, CopyPutsTheStoredPointAtTheNewPlace) {
    Edit(3);
    g_editPoint.x = 7;
    g_editPoint.y = 8;
    g_editPoint.z = 1000;  // the copy keeps the stored elevation
    PointEditSession s;
    ASSERT_TRUE(s.Copy());
    EXPECT_EQ(g_pointCount, 6);
    EXPECT_EQ(g_points[6].x, 7);
    EXPECT_EQ(g_points[6].y, 8);
    EXPECT_EQ(g_points[6].z, 53);
    EXPECT_STREQ(g_points[6].name, "P3");
    EXPECT_EQ(g_points[3].x, -29997) << "the edited point stays";
    EXPECT_EQ(g_points[7].hidden, kEndMarker);
    EXPECT_EQ(g_pickedPoint, 6);
    EXPECT_GE(g_pointCapacity, 10100) << "fewer than 200 free records grow the block";
}

TEST_F(PointEdit, CopyWithNoFreeRecordWritesNothing) {
    g_pointCapacity = 7;  // records 0..6: the marker fills the last one
    ASSERT_EQ(GrowPointBlock(7), 0);
    g_pointCount = 5;
    SetPointEndMarker();
    Edit(3);
    g_editPoint.x = 7;
    PointEditSession s;
    InjectAllocationFailures(0, 1);
    EXPECT_FALSE(s.Copy());
    EXPECT_EQ(g_pointCount, 5);
    EXPECT_EQ(g_pointCapacity, 7);
    EXPECT_EQ(g_points[6].hidden, kEndMarker);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ランダムデータのメモリ確保に失敗しました。");
}

TEST_F(PointEdit, OutlineVertexStaysValid) {
    g_outline.Append(1);
    g_outline.Append(2);
    g_outline.Append(3);
    g_outline.Close();
    Edit(2);
    PointEditSession s;
    EXPECT_FALSE(s.SetInvalid(true));
    EXPECT_EQ(g_editPoint.invalid, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周の点は未使用にできません。");
    Edit(4);
    EXPECT_TRUE(s.SetInvalid(true));
    EXPECT_EQ(g_editPoint.invalid, 1);
}

}  // namespace
