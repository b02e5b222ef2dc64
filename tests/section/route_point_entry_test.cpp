// IP points and arbitrary sections entered by clicks in the plan view, as the window
// delivers them (one pixel per metre, centre 400, 300).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../view/view_fixture.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/point_input_settings.h"
#include "route/ip_editing.h"
#include "route/route_data.h"
#include "section/route_point_entry.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"

namespace {

class RoutePointEntry : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ResetToolMode();
        g_ipPointCount = 0;
        g_currentIp = 0;
        g_coordInputSnap = 0;
        g_stationCount = 0;
        ClearRecordedMessages();
        // The dialog as the window runs it: 登録 takes the working copy.
        SetCoordRegisterDialogRunner([this] {
            ++m_dialogs;
            if (m_cancel) return 1;
            g_ipEdit.number += m_numberChange;
            StoreCoordRegister();
            return 0;
        });
    }
    void TearDown() override {
        SetCoordRegisterDialogRunner(nullptr);
        SetHeadlessKeyDown(key::kAlt, false);
        ResetToolMode();
        g_ipPointCount = 0;
        g_stationCount = 0;
        g_coordInputSnap = 0;
        ViewTest::TearDown();
    }
    static int32_t Column(double y) { return g_viewportCenterX + static_cast<int32_t>(y); }
    static int32_t Row(double x) { return g_viewportCenterY - static_cast<int32_t>(x); }
    static void Click(int32_t x, int32_t y, int32_t flags = 0) {
        OnViewLButtonDown(kMouseFlagLeft | flags, x, y, false);
        OnViewMouseMove(kMouseFlagLeft | flags, x, y);
        OnViewLButtonUp(flags, x, y, false);
    }
    static void Tool(int32_t mode, int32_t subState = 0) {
        g_toolMode = mode;
        g_toolSubState = subState;
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? "" : RecordedMessages().back().text;
    }
    int m_dialogs = 0;
    bool m_cancel = false;
    int32_t m_numberChange = 0;
};

TEST_F(RoutePointEntry, FirstClickIsBpThenNumberedIps) {
    Tool(MODE_IP_POINT, IP_POINT_INPUT);
    Click(Column(30), Row(20));
    ASSERT_EQ(g_ipPointCount, 1);
    EXPECT_STREQ(g_ipPoints[1].name, "BP");
    EXPECT_EQ(g_ipPoints[1].number, 0);
    EXPECT_DOUBLE_EQ(g_ipPoints[1].x, 20);  // north from the row
    EXPECT_DOUBLE_EQ(g_ipPoints[1].y, 30);  // east from the column
    EXPECT_EQ(g_ipPoints[1].screenX, 30);
    EXPECT_EQ(g_ipPoints[1].screenY, 20);
    EXPECT_EQ(m_dialogs, 1);
    for (int k = 1; k <= 3; ++k) Click(Column(30 + 10 * k), Row(20));
    ASSERT_EQ(g_ipPointCount, 4);
    for (int32_t k = 2; k <= 4; ++k) {
        EXPECT_STREQ(g_ipPoints[k].name, "IP");
        EXPECT_EQ(g_ipPoints[k].number, k - 1);
    }
    // A number typed in the dialog carries on.
    m_numberChange = 5;
    Click(Column(100), Row(20));
    m_numberChange = 0;
    Click(Column(110), Row(20));
    EXPECT_EQ(g_ipPoints[5].number, 9);
    EXPECT_EQ(g_ipPoints[6].number, 10);
}

TEST_F(RoutePointEntry, ShiftSkipsTheDialogAndCancelDropsThePoint) {
    Tool(MODE_IP_POINT, IP_POINT_INPUT);
    Click(Column(10), Row(10), kMouseFlagShift);
    EXPECT_EQ(g_ipPointCount, 1);
    EXPECT_EQ(m_dialogs, 0);
    m_cancel = true;
    Click(Column(20), Row(10));
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_EQ(g_ipPointCount, 1);
}

TEST_F(RoutePointEntry, RefusalsChangeNothing) {
    Tool(MODE_IP_POINT, IP_POINT_INPUT);
    Click(Column(10), Row(10), kMouseFlagShift);
    // The same screen position again; one pixel beside it is taken.
    Click(Column(10), Row(10), kMouseFlagShift);
    EXPECT_EQ(LastMessage(), "同一座標には設定できません");
    EXPECT_EQ(g_ipPointCount, 1);
    Click(Column(11), Row(10), kMouseFlagShift);
    EXPECT_EQ(g_ipPointCount, 2);
    ClearRecordedMessages();
    g_birdsEyeOn = 1;
    Click(Column(50), Row(50), kMouseFlagShift);
    EXPECT_EQ(LastMessage(), "立体表示中は設定できません");
    EXPECT_EQ(g_ipPointCount, 2);
    g_birdsEyeOn = 0;
    // Alt held: silently nothing.
    ClearRecordedMessages();
    SetHeadlessKeyDown(key::kAlt, true);
    Click(Column(60), Row(50), kMouseFlagShift);
    SetHeadlessKeyDown(key::kAlt, false);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_ipPointCount, 2);
    // A random-point snap without a point near the click.
    g_coordInputSnap = 3;
    Click(Column(70), Row(50), kMouseFlagShift);
    EXPECT_EQ(g_ipPointCount, 2);
}

TEST_F(RoutePointEntry, MouseEntryStopsAt498Points) {
    Tool(MODE_IP_POINT, IP_POINT_INPUT);
    for (int32_t k = 1; k <= 497; ++k) {
        g_ipPoints[k] = IpPoint{};
        g_ipPoints[k].x = 5000 + k;  // far off the screen
        std::strcpy(g_ipPoints[k].name, "IP");
        g_ipPoints[k].number = k - 1;
    }
    g_ipPointCount = 497;
    g_projectionValid = 0;
    Click(Column(10), Row(10), kMouseFlagShift);
    ASSERT_EQ(g_ipPointCount, 498);
    EXPECT_EQ(g_ipPoints[498].number, 497);
    Click(Column(20), Row(10), kMouseFlagShift);
    EXPECT_EQ(g_ipPointCount, 498);
    EXPECT_EQ(LastMessage(), "ＩＰ点数が制限に達しました");
}

TEST_F(RoutePointEntry, RandomPointSnapTakesThePointsPosition) {
    AddPoint(20.25, 30.75, 5, "A");
    Tool(MODE_IP_POINT, IP_POINT_INPUT);
    g_coordInputSnap = 3;
    g_projectionValid = 0;
    Click(Column(33), Row(22), kMouseFlagShift);
    ASSERT_EQ(g_ipPointCount, 1);
    EXPECT_DOUBLE_EQ(g_ipPoints[1].x, 20.25);
    EXPECT_DOUBLE_EQ(g_ipPoints[1].y, 30.75);
}

TEST_F(RoutePointEntry, TwoClicksMakeAnArbitrarySectionStation) {
    ASSERT_EQ(GrowStationBlock(201), 0);
    g_stationCapacity = 200;
    g_stationCount = 200;  // the block is full
    for (int32_t k = 1; k <= 200; ++k) g_stations[k] = StationRecord{};
    Tool(MODE_ARBITRARY_SECTION);
    Click(Column(10), Row(40));
    ASSERT_EQ(g_ipPointCount, 1);
    EXPECT_STREQ(g_ipPoints[1].name, "");
    EXPECT_EQ(g_ipPoints[1].number, 0);
    Click(Column(50), Row(40));
    EXPECT_EQ(g_ipPointCount, 0);
    ASSERT_EQ(g_stationCount, 201);
    EXPECT_GE(g_stationCapacity, 201);
    const StationRecord& s = g_stations[201];
    EXPECT_EQ(s.kind, -1);
    EXPECT_EQ(s.number, 0);
    EXPECT_EQ(s.addedDistance, 0);
    EXPECT_DOUBLE_EQ(s.x, 40);
    EXPECT_DOUBLE_EQ(s.y, 10);
    EXPECT_DOUBLE_EQ(s.leftX, s.x);
    EXPECT_DOUBLE_EQ(s.leftY, s.y);
    EXPECT_DOUBLE_EQ(s.rightX, 40);
    EXPECT_DOUBLE_EQ(s.rightY, 50);
    // A cancelled second point leaves the first and no station.
    Click(Column(10), Row(80));
    m_cancel = true;
    Click(Column(50), Row(80));
    EXPECT_EQ(g_ipPointCount, 1);
    EXPECT_EQ(g_stationCount, 201);
}

}  // namespace
