// The IP tools, the station deletion and the cut-position tool driven through the view's
// mouse handlers, as the window delivers the clicks (one pixel per metre, centre 400, 300).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "../view/view_fixture.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "route/cut_positions.h"
#include "route/ip_editing.h"
#include "route/ip_list.h"
#include "route/route_data.h"
#include "route/station_list.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"

namespace {
class RouteMouse : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        ResetToolMode();
        g_toolSubState = 0;
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetCoordRegisterDialogRunner(nullptr);
        SetHeadlessKeyDown(key::kAlt, false);
        ResetToolMode();
        g_toolSubState = 0;
        ViewTest::TearDown();
    }

    // Client pixel of a ground position.
    static int32_t Column(double y) { return g_viewportCenterX + static_cast<int32_t>(y); }
    static int32_t Row(double x) { return g_viewportCenterY - static_cast<int32_t>(x); }

    static void Press(int32_t x, int32_t y, int32_t flags = 0) {
        OnViewLButtonDown(kMouseFlagLeft | flags, x, y, false);
    }
    static void Release(int32_t x, int32_t y, int32_t flags = 0) {
        OnViewMouseMove(kMouseFlagLeft | flags, x, y);
        OnViewLButtonUp(flags, x, y, false);
    }
    static void Click(int32_t x, int32_t y, int32_t flags = 0) {
        Press(x, y, flags);
        Release(x, y, flags);
    }

    static IpPoint& AddIp(const char* name, int32_t number, double x, double y) {
        IpPoint& ip = g_ipPoints[++g_ipPointCount];
        std::memset(&ip, 0, sizeof ip);
        std::snprintf(ip.name, sizeof ip.name, "%s", name);
        ip.number = number;
        ip.x = x;
        ip.y = y;
        return ip;
    }
    // BP, four IPs and EP running east along a zigzag, legs about 100 pixels long.
    static void Route() {
        AddIp("BP", 0, 0, -250);
        AddIp("IP", 1, 50, -150);
        AddIp("IP", 2, 0, -50);
        AddIp("IP", 3, 50, 50);
        AddIp("IP", 4, 0, 150);
        AddIp("EP", 5, 50, 250);
    }
    static void Tool(int32_t mode, int32_t subState = 0) {
        g_toolMode = mode;
        g_toolSubState = subState;
    }
    static std::string LastMessage() {
        return RecordedMessages().empty() ? "" : RecordedMessages().back().text;
    }
};
}  // namespace

TEST_F(RouteMouse, ChangeToolTellsAClickFromADrag) {
    Route();
    IpPoint& ip = g_ipPoints[3];
    ip.radius = 120;
    ip.radius2 = 300;
    ip.a1 = 60;
    ip.a2 = 70;
    ip.ke1X = 1.5;
    ip.ke1Y = 2.5;
    ip.ke2X = 3.5;
    ip.ke2Y = 4.5;
    Tool(MODE_IP_POINT, IP_POINT_CHANGE);
    IpPoint seen{};
    int32_t seenCurrent = 0;
    int answer = 1;
    SetCoordRegisterDialogRunner([&] {
        seen = g_ipEdit;
        seenCurrent = g_currentIp;
        if (answer == 0) {
            StoreCoordRegister();
        } else {
            CancelCoordRegister();
        }
        CoordRegisterClosed();
        return answer;
    });
    // Under 10 pixels both ways: a click, which opens IP 3 (near the release) at its own
    // place.
    Press(Column(-50) - 6, Row(0));
    Release(Column(-50) + 3, Row(0) - 3);
    EXPECT_EQ(seenCurrent, 3);
    EXPECT_EQ(seen.x, 0);
    EXPECT_EQ(seen.y, -50);
    EXPECT_EQ(g_currentIp, 0);
    EXPECT_EQ(ip.x, 0);  // cancelled

    // Ten pixels away: a drag, which 登録 makes the IP's new place; the curve stays.
    answer = 0;
    Press(Column(-50) + 2, Row(0));
    Release(Column(-50) + 2, Row(0) - 10);
    EXPECT_EQ(seenCurrent, 3);
    EXPECT_DOUBLE_EQ(seen.x, 10);
    EXPECT_DOUBLE_EQ(seen.y, -48);
    EXPECT_DOUBLE_EQ(ip.x, 10);
    EXPECT_DOUBLE_EQ(ip.y, -48);
    EXPECT_EQ(ip.radius, 120);
    EXPECT_EQ(ip.radius2, 300);
    EXPECT_EQ(ip.a1, 60);
    EXPECT_EQ(ip.a2, 70);
    EXPECT_EQ(ip.ke1X, 1.5);
    EXPECT_EQ(ip.ke1Y, 2.5);
    EXPECT_EQ(ip.ke2X, 3.5);
    EXPECT_EQ(ip.ke2Y, 4.5);
    EXPECT_STREQ(ip.name, "IP");
    EXPECT_EQ(g_ipPointCount, 6);
    EXPECT_EQ(g_currentIp, 0);

    // A click beside every IP opens nothing.
    seenCurrent = -1;
    Click(Column(-100), Row(-100));
    EXPECT_EQ(seenCurrent, -1);
    // Shift keeps the click from the tool.
    Click(Column(-48), Row(10), kMouseFlagShift);
    EXPECT_EQ(seenCurrent, -1);
}

TEST_F(RouteMouse, RegistrationDialogFieldsKeepToTheirRules) {
    Route();
    g_currentIp = 2;
    g_ipEdit = g_ipPoints[2];
    g_ipEdit.a1 = 50;
    EXPECT_EQ(CoordRegisterFieldText(kCoordRegisterX), "50.00000");
    EXPECT_EQ(CoordRegisterFieldText(kCoordRegisterNumber), "    1");
    EXPECT_EQ(CoordRegisterFieldText(kCoordRegisterA1), "    50.000");
    EXPECT_EQ(CoordRegisterNumberLabel(), "NO. 2");
    EXPECT_EQ(CoordRegisterFieldLeft(kCoordRegisterA1, "-3"), "    50.000");
    EXPECT_EQ(CoordRegisterFieldLeft(kCoordRegisterRadius, "-3"), "    -3.000");
    EXPECT_EQ(CoordRegisterFieldLeft(kCoordRegisterNumber, "1200"), "    1");
    EXPECT_EQ(LastMessage(), kIpNumberRangeMessage);
    EXPECT_EQ(CoordRegisterFieldLeft(kCoordRegisterName, "ABCDEFGHIJ"), "ABCDEFG");
    // A new IP after the last one is appended by 登録.
    g_currentIp = 7;
    g_ipEdit.x = 5;
    StoreCoordRegister();
    EXPECT_EQ(g_ipPointCount, 7);
    EXPECT_EQ(g_ipPoints[7].x, 5);
    EXPECT_EQ(g_redrawMask, -1);
    g_toolMode = MODE_ARBITRARY_SECTION;
    EXPECT_FALSE(CoordRegisterFieldEnabled(kCoordRegisterRadius));
    EXPECT_TRUE(CoordRegisterFieldEnabled(kCoordRegisterX));
}

TEST_F(RouteMouse, InsertNearALegMakesTheNextRecord) {
    Route();
    g_ipPoints[4].radius = 80;
    g_ipPoints[4].ke1X = 9;
    Tool(MODE_IP_POINT, IP_POINT_INSERT);
    // Beside the legs' ends or 80 pixels off: nothing.
    Click(Column(-300), Row(0));
    Click(Column(0), Row(-80));
    EXPECT_EQ(g_ipPointCount, 6);
    // Near the leg from record 3 (0, -50) to record 4 (50, 50).
    Click(Column(0), Row(20));
    ASSERT_EQ(g_ipPointCount, 7);
    const IpPoint& added = g_ipPoints[4];
    EXPECT_DOUBLE_EQ(added.x, 20);
    EXPECT_DOUBLE_EQ(added.y, 0);
    EXPECT_EQ(added.number, 3);  // the name and number of the IP after it
    EXPECT_STREQ(added.name, "IP");
    EXPECT_EQ(added.radius, 0);
    EXPECT_EQ(added.ke1X, 0);
    EXPECT_EQ(g_ipPoints[5].number, 3);
    EXPECT_EQ(g_ipPoints[5].radius, 80);
    EXPECT_EQ(g_ipPoints[5].x, 50);
    // At the table's capacity the tool refuses.
    g_ipPointCount = kMaxIpPoints;
    Click(Column(0), Row(20));
    EXPECT_EQ(g_ipPointCount, kMaxIpPoints);
    EXPECT_EQ(LastMessage(), kIpLimitMessage);
}

TEST_F(RouteMouse, DeleteAsksWithTheNameAloneForNumberZero) {
    Route();
    Tool(MODE_IP_POINT, IP_POINT_DELETE);
    QueueMessageAnswer(msg::kIdNo);
    Click(Column(-250), Row(0));
    EXPECT_EQ(LastMessage(), "BPを削除します。\nよろしいですか");
    EXPECT_EQ(g_ipPointCount, 6);
    Click(Column(-150), Row(50));
    EXPECT_EQ(LastMessage(), "IP1を削除します。\nよろしいですか");
    ASSERT_EQ(g_ipPointCount, 5);
    EXPECT_EQ(g_ipPoints[2].number, 2);
    EXPECT_EQ(g_currentIp, 0);
}

TEST_F(RouteMouse, TwoClicksOnAStationDeleteIt) {
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(EnsureStationRoom(2));
        StationRecord& s = g_stations[++g_stationCount];
        std::memset(&s, 0, sizeof s);
        std::snprintf(s.name, sizeof s.name, "NO%d", i);
        s.x = 0;
        s.y = -200.0 + 150 * i;
        s.leftX = s.rightX = s.x;
        s.leftY = s.rightY = s.y;
    }
    Tool(MODE_CUT_POSITION_DELETE);
    Click(Column(-50), Row(0));
    EXPECT_EQ(g_currentStation, 1);
    Click(Column(100), Row(0));  // another station moves the selection
    EXPECT_EQ(g_currentStation, 2);
    EXPECT_EQ(g_stationCount, 3);
    Click(Column(105), Row(3));
    ASSERT_EQ(g_stationCount, 2);
    EXPECT_STREQ(g_stations[2].name, "NO3");
    EXPECT_EQ(g_currentStation, 0);
    Click(Column(-50), Row(0));
    Click(Column(-50), Row(200));  // beside every station: the selection goes
    EXPECT_EQ(g_currentStation, 0);
    g_birdsEyeOn = 1;
    EXPECT_EQ(FindStationAtCursor(Column(-50), Row(0), 10000), 0);
}

TEST_F(RouteMouse, CentresThenLeftStakesFromClickedPoints) {
    const int32_t a = AddPoint(0, -100, 5, "P1");
    const int32_t b = AddPoint(0, 0, 5, "P2");
    const int32_t c = AddPoint(0, 100, 5, "P3");
    const int32_t l1 = AddPoint(30, -100, 5, "L1");
    const int32_t l2 = AddPoint(30, 0, 5, "L2");
    const int32_t l3 = AddPoint(30, 100, 5, "L3");
    auto at = [](int32_t i, auto click) { click(Column(g_points[i].y), Row(g_points[i].x)); };
    auto click = [](int32_t x, int32_t y) { Click(x, y); };

    EXPECT_EQ(StartStakeRegistration(kCutCentreButton), 1);
    for (int32_t p : {a, b, c}) at(p, click);
    ASSERT_EQ(g_stationCount, 3);
    const int32_t kinds[] = {1, 2, 2};
    for (int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(g_stations[i].kind, kinds[i - 1]);
        EXPECT_EQ(g_stations[i].number, i);
        EXPECT_EQ(g_stations[i].addedDistance, 0);
    }
    EXPECT_STREQ(g_stations[3].name, "P3");
    at(c, click);  // the last centre again is taken back
    EXPECT_EQ(g_stationCount, 2);
    at(c, click);
    Click(Column(g_points[a].y), Row(g_points[a].x), kMouseFlagShift);
    EXPECT_EQ(g_stationCount, 3);

    // Stations 1 and 2 have left stakes, 3 has none: the cursor starts at 2.
    g_stations[1].leftX = 30;
    g_stations[2].leftX = 30;
    EXPECT_EQ(StartStakeRegistration(kCutLeftButton), 2);
    EXPECT_EQ(g_nextStakeStation, 2);
    EXPECT_EQ(g_toolMode, MODE_CUT_POSITION * 2);
    // The same point twice sets the stake and takes it back.
    g_nextStakeStation = 0;
    at(l1, click);
    EXPECT_EQ(g_nextStakeStation, 1);
    EXPECT_EQ(g_stations[1].leftX, 30);
    at(l1, click);
    EXPECT_EQ(g_nextStakeStation, 0);
    EXPECT_EQ(g_stations[1].leftX, 0);
    for (int32_t p : {l1, l2}) at(p, click);
    EXPECT_EQ(g_toolMode, MODE_CUT_POSITION * 2);
    at(l3, click);  // the last station's stake ends the tool
    EXPECT_EQ(LastMessage(), "センター全点の左幅杭測点登録終了");
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_stations[3].leftY, 100);
    EXPECT_EQ(g_stations[3].leftX, 30);
}

TEST_F(RouteMouse, CutPointDialogButtonsAndDeletions) {
    EXPECT_FALSE(CutPointEditButtonEnabled(kCutCentreButton));
    EXPECT_FALSE(CutPointEditButtonEnabled(kCutDeleteAllButton));
    AddPoint(0, 0, 1, "P");
    EXPECT_TRUE(CutPointEditButtonEnabled(kCutCentreButton));
    EXPECT_FALSE(CutPointEditButtonEnabled(kCutLeftButton));
    AddIp("BP", 0, 0, 0);
    AddIp("EP", 1, 0, 10);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(EnsureStationRoom(2));
        StationRecord& s = g_stations[++g_stationCount];
        std::memset(&s, 0, sizeof s);
        s.x = i;
        s.leftX = 5;
        s.rightX = 7;
    }
    EXPECT_TRUE(CutPointEditButtonEnabled(kCutRightButton));
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(DeleteStakesAfterQuestion(kCutDeleteLeftButton), 0);
    EXPECT_EQ(g_stations[1].leftX, 5);
    EXPECT_EQ(DeleteStakesAfterQuestion(kCutDeleteLeftButton), -2);
    EXPECT_EQ(g_stations[2].leftX, 1);
    EXPECT_EQ(g_stations[2].rightX, 7);
    EXPECT_EQ(DeleteStakesAfterQuestion(kCutDeleteRightButton), -3);
    EXPECT_EQ(g_stations[2].rightX, 1);
    // All stations go; the IPs, which the question does not name, stay.
    EXPECT_EQ(DeleteStakesAfterQuestion(kCutDeleteAllButton), -1);
    EXPECT_EQ(LastMessage(), "路線測点すべてを削除します。\nよろしいですか");
    EXPECT_EQ(g_stationCount, 0);
    EXPECT_EQ(g_ipPointCount, 2);
    // In the bird's-eye view the tool refuses.
    Tool(MODE_CUT_POSITION);
    g_birdsEyeOn = 1;
    RegisterStakeAtPoint(0, Column(0), Row(0));
    EXPECT_EQ(LastMessage(), "立体表示中は設定できません");
    EXPECT_EQ(g_stationCount, 0);
}
