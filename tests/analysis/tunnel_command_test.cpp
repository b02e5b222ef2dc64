// The tunnel window's work without the window: the axis picked in the plan view, the
// chain kept in order, heights for new chain points, the route import, the two-sided
// TIN, the duplicate marks and every way of closing.
#include "analysis/tunnel_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

int32_t Add(double x, double y, double z, const char* name = "") {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    RandomPoint p{};
    p.x = x, p.y = y, p.z = z;
    std::snprintf(p.name, sizeof p.name, "%s", name);
    g_points[++g_pointCount] = p;
    SetPointEndMarker();
    g_pointsPresent = -1;
    return g_pointCount;
}

// The plan view at one pixel per metre: ground (x north, y east) at client (400 + y, 300 - x).
class TunnelCommand : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_extentSize = 500;
        g_projectionValid = 0;
    }
    void TearDown() override {
        delete g_tunnelDlg;
        ClearRecordedMessages();
        ReleaseDataModel();
    }
    static int32_t ClientX(double y) { return 400 + static_cast<int32_t>(y); }
    static int32_t ClientY(double x) { return 300 - static_cast<int32_t>(x); }
    int32_t Click(CTunnelDevelopDlg& d, double x, double y) {
        g_projectionValid = 0;
        return d.OnViewClick(0, ClientX(y), ClientY(x));
    }
    static std::vector<double> ChainX(const CTunnelDevelopDlg& d) {
        std::vector<double> xs;
        for (int32_t i = 0; i < d.ChainCount(); ++i) xs.push_back(d.state.chain[i].x);
        return xs;
    }
};

}  // namespace

TEST_F(TunnelCommand, OpensInChainModeWithTheMarkedBasePoints) {
    Add(0, 0, 0, "@BGN");
    const int32_t begin = Add(1, 0, 0, "@BGN2");  // the last of each counts
    const int32_t end = Add(50, 0, 0, "@END");
    Add(60, 0, 0, "BGN");
    auto* d = new CTunnelDevelopDlg;
    EXPECT_EQ(g_tunnelDlg, d);
    EXPECT_EQ(d->state.basePoint1, begin);
    EXPECT_EQ(d->state.basePoint2, end);
    EXPECT_EQ(d->axisMode, CTunnelDevelopDlg::kChain);
    EXPECT_EQ(d->state.width, 30.0);
    EXPECT_FALSE(d->restoreEnabled);
    EXPECT_FALSE(d->sphereEnabled);
    EXPECT_EQ(d->ChainCount(), 0);
    // Chain mode shows the chain's last point, not the base points.
    EXPECT_EQ(d->baseText1, "");
    d->OnTwoPointMode();
    EXPECT_EQ(d->baseText1, "NO 2");
    EXPECT_EQ(d->baseText2, "NO 3");
    EXPECT_TRUE(d->sphereEnabled);
    EXPECT_FALSE(d->importEnabled);
    delete d;
    EXPECT_EQ(g_tunnelDlg, nullptr);
}

TEST_F(TunnelCommand, TwoPointPicking) {
    const int32_t a = Add(10, 10, 0), b = Add(40, -20, 0);
    CTunnelDevelopDlg d;
    d.OnTwoPointMode();
    d.OnBasePoint1(true);
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    EXPECT_EQ(d.state.messageText, "基点側ランダム点を指定します");
    EXPECT_EQ(Click(d, 10, 12), a);
    EXPECT_EQ(d.state.basePoint1, a);
    EXPECT_EQ(d.pickMode, 0);
    // The other base point is not taken again; the pick goes on.
    d.OnBasePoint2(true);
    EXPECT_EQ(Click(d, 10, 10), 0);
    EXPECT_EQ(d.pickMode, 2);
    EXPECT_EQ(Click(d, 200, 200), 0) << "nothing there";
    EXPECT_EQ(Click(d, 40, -20), b);
    // Clicking the pick's own base point ends the pick.
    d.OnBasePoint1(true);
    EXPECT_EQ(Click(d, 10, 10), 0);
    EXPECT_EQ(d.pickMode, 0);
    EXPECT_EQ(d.state.basePoint1, a);
    // Shift-clicks are not picks.
    d.OnBasePoint2(true);
    d.state.basePoint2 = 0;
    EXPECT_EQ(d.OnViewClick(kMouseFlagShift, ClientX(-20), ClientY(40)), 0);
    d.state.basePoint2 = b;
    // Delete takes the last axis point first.
    EXPECT_EQ(d.OnViewKey(vkey::kDelete), 1);
    EXPECT_EQ(d.state.basePoint2, 0);
    EXPECT_EQ(d.OnViewKey(vkey::kBack), 1);
    EXPECT_EQ(d.state.basePoint1, 0);
    EXPECT_EQ(d.OnViewKey(vkey::kDelete), 0);
    EXPECT_EQ(d.OnViewKey('A'), 0);
}

TEST_F(TunnelCommand, ChainPointsGoInPlaceAndClickedOnesGo) {
    // Ground points every 10 m along x = 0..100, y = 0, at height 20.
    for (int i = 0; i <= 10; ++i) Add(i * 10.0, 0, 20);
    CTunnelDevelopDlg d;
    d.OnBasePoint2(true);  // heights: the point's Z less the height difference
    EXPECT_TRUE(d.heightDifferenceShown);
    EXPECT_EQ(Click(d, 20, 3), -1);
    EXPECT_DOUBLE_EQ(d.state.chain[0].z, 17.0);
    EXPECT_DOUBLE_EQ(d.state.chain[0].y, 3.0) << "the click's ground position";
    Click(d, 60, 0);
    Click(d, 90, 0);  // beyond the end: appended
    Click(d, 0, 0);   // before the start: in front
    Click(d, 40, 0);  // between 20 and 60
    EXPECT_EQ(ChainX(d), (std::vector<double>{0, 20, 40, 60, 90}));
    EXPECT_EQ(d.baseText1, "[5] 17.0m");
    // A click on a chain point removes it.
    EXPECT_EQ(Click(d, 60, 1), -1);
    EXPECT_EQ(ChainX(d), (std::vector<double>{0, 20, 40, 90}));
    // Far from every random point nothing is added in the plan view.
    EXPECT_EQ(Click(d, 45, 50), 0);
    EXPECT_EQ(d.ChainCount(), 4);
    EXPECT_EQ(d.OnViewKey(vkey::kDelete), 1);
    EXPECT_EQ(ChainX(d), (std::vector<double>{0, 20, 40}));
    // Without a pick button down, clicks do nothing.
    d.OnBasePoint2(false);
    EXPECT_EQ(Click(d, 70, 0), 0);
}

TEST_F(TunnelCommand, HeightFromFloorAndCrown) {
    CTunnelDevelopDlg d;
    struct Case {
        const char* what;
        int floor, crown;
        double crownZ;
        bool found;
        double z;
    };
    const Case cases[] = {
        {"five and five", 5, 5, 6.0, true, 3.0},
        {"too few points", 5, 4, 6.0, false, 0},
        {"too flat for W 30", 6, 6, 1.8, false, 0},
        {"one side short", 8, 4, 6.0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_pointCount = 0;
        for (int i = 0; i < c.floor; ++i) Add(0.2 * i, 1.0, 0.0);
        for (int i = 0; i < c.crown; ++i) Add(0.2 * i, -1.0, c.crownZ);
        Add(10, 10, 99);  // out of reach
        double z = 0;
        EXPECT_EQ(d.HeightFromFloorAndCrown(0.5, 0, z), c.found);
        if (c.found) {
            EXPECT_DOUBLE_EQ(z, c.z);
        }
    }
    // Neighbours all 2 m higher: the mean difference with one more in the divisor.
    g_pointCount = 0;
    for (int i = 0; i < 4; ++i) Add(i, 0, 12);
    EXPECT_DOUBLE_EQ(d.HeightFromNeighbours(0, 0, 10), 10 + 8.0 / 5.0);
}

TEST_F(TunnelCommand, EditsKeepTheirRanges) {
    CTunnelDevelopDlg d;
    EXPECT_EQ(d.OnWidthChanged("-5"), " 30.0");
    EXPECT_EQ(d.OnWidthChanged("12.5"), " 12.5");
    EXPECT_EQ(d.OnHeightDifferenceChanged("-1.5"), " -1.5");
    EXPECT_EQ(d.OnHeightDifferenceChanged("x"), " -1.5");
    EXPECT_EQ(d.OnDistanceChanged("0.00001"), " 0.001");
    EXPECT_EQ(d.OnDistanceChanged("0.05"), " 0.050");
}

TEST_F(TunnelCommand, EveryCloseRestoresTheDevelopment) {
    struct Case {
        const char* what;
        int how;  // 0 the view command (object deleted), 1 閉じる, 2 the close box
        int16_t flagAfter;
    };
    for (const Case& c : {Case{"view command", 0, 3}, Case{"閉じる", 1, 3}, Case{"close box", 2, 1}}) {
        SCOPED_TRACE(c.what);
        g_pointCount = 0;
        Add(0, 0, 10);
        Add(100, 0, 10);
        const int32_t wall = Add(50, 3, 10);
        auto* d = new CTunnelDevelopDlg;
        d->OnTwoPointMode();
        d->state.basePoint1 = 1, d->state.basePoint2 = 2;
        d->OnDevelopCylinder();
        ASSERT_TRUE(d->restoreEnabled);
        EXPECT_FALSE(d->cylinderEnabled);
        ASSERT_NE(g_points[wall].y, 3.0);
        EXPECT_EQ(g_points[1].invalid, kPointOnTunnelAxis);
        if (c.how == 0) delete d;
        if (c.how == 1) d->OnOK();
        if (c.how == 2) d->OnClose();
        EXPECT_EQ(g_tunnelDlg, nullptr);
        EXPECT_EQ(g_points[wall].x, 50.0);
        EXPECT_EQ(g_points[wall].y, 3.0);
        EXPECT_EQ(g_points[wall].z, 10.0);
        EXPECT_EQ(g_points[1].invalid, c.flagAfter);
    }
}

TEST_F(TunnelCommand, RefusedRestoreKeepsTheWayBack) {
    Add(0, 0, 10);
    Add(100, 0, 10);
    Add(50, 3, 10);
    CTunnelDevelopDlg d;
    d.OnTwoPointMode();
    d.state.basePoint1 = 1, d.state.basePoint2 = 2;
    d.OnDevelopCylinder();
    g_pointCount = 2;  // a point deleted since
    SetPointEndMarker();
    d.OnRestore();
    EXPECT_TRUE(d.restoreEnabled);
    EXPECT_FALSE(d.cylinderEnabled);
    EXPECT_EQ(d.state.messageText, "Restore Failed");
    g_pointCount = 3;
    SetPointEndMarker();
    d.OnRestore();
    EXPECT_FALSE(d.restoreEnabled);
    EXPECT_TRUE(d.sphereEnabled);
    EXPECT_EQ(g_points[3].y, 3.0);
}

TEST_F(TunnelCommand, DuplicatesMarkedAndReleased) {
    const int32_t low = Add(0, 0, 1), high = Add(0.0005, 0, 2);
    const int32_t apart = Add(10, 0, 1);
    CTunnelDevelopDlg d;
    d.OnDistanceChanged("0.001");
    d.OnInvalidateDuplicates();
    EXPECT_EQ(g_points[low].invalid, 3);
    EXPECT_EQ(g_points[high].invalid, 0);
    EXPECT_EQ(g_points[apart].invalid, 0);
    d.OnReleaseInvalid();
    EXPECT_EQ(g_points[low].invalid, 0);
    d.OnKeepLowest();
    d.OnInvalidateDuplicates();
    EXPECT_EQ(g_points[high].invalid, 3);
}

TEST_F(TunnelCommand, TwoSidedOnceThenTold) {
    // Ten points in 28 records, as a one-sided TIN has them (fewer than 5 per point).
    for (int i = 0; i < 10; ++i) Add(i, i % 3, 0);
    g_tinEdgeCapacity = 30;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    for (int r = 1; r <= 28; ++r) g_tinEdges[r] = TinEdge{1 + r % 10, 1 + (r + 3) % 10, 1 + (r + 5) % 10, r, 0};
    g_tinEdgeCount = 28;
    SetTinEndRecord();
    CTunnelDevelopDlg d;
    d.OnMakeTwoSided();
    EXPECT_EQ(d.state.messageText, "両面化完了");
    ASSERT_EQ(g_tinEdgeCount, 56);
    for (int r = 1; r <= 28; ++r) {
        const TinEdge& there = g_tinEdges[2 * r - 1];
        const TinEdge& back = g_tinEdges[2 * r];
        EXPECT_EQ(there.a, 1 + r % 10);
        EXPECT_EQ(back.a, there.b);
        EXPECT_EQ(back.b, there.a);
        EXPECT_EQ(back.apexBack, there.apexBack);
        EXPECT_EQ(back.apexSearch, r);
    }
    EXPECT_EQ(g_tinEdges[57].a, -1);
    d.OnMakeTwoSided();
    EXPECT_EQ(d.state.messageText, "既に両面化されています");
    EXPECT_EQ(g_tinEdgeCount, 56);
}

TEST_F(TunnelCommand, RouteImport) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tunnel_route_test";
    std::filesystem::create_directories(dir);
    // Station lines: name in 0..9, X in 24..38, Y in 39..53, Z from 54.
    auto station = [](int i) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "NO.%-7d%14s%15.3f%15.3f%10.3f\r\n", i, "", 1000.0 + i, 2000.5 + i, 50.25);
        return std::string(buf);
    };
    const std::string header = "**********\r\n**********\r\n**********\r\n**********\r\n**********\r\n";
    auto write = [&](const char* name, const std::string& text) {
        const std::filesystem::path p = dir / name;
        EXPECT_TRUE(WriteFileBytes(p, text));
        return p.string();
    };
    CTunnelDevelopDlg d;
    d.OnHeightDifferenceChanged("2");
    ASSERT_TRUE(d.ImportRoute(write("three.RUT", header + station(1) + station(2) + station(3))));
    ASSERT_EQ(d.ChainCount(), 3);
    EXPECT_DOUBLE_EQ(d.state.chain[1].x, 1002.0);
    EXPECT_DOUBLE_EQ(d.state.chain[1].y, 2002.5);
    EXPECT_DOUBLE_EQ(d.state.chain[1].z, 52.25);
    EXPECT_EQ(d.state.messageText, "3 点の路線データを取込");

    // A fourth header line that is not "**" changes nothing.
    const std::string bad = "**\r\n**\r\n**\r\nNO\r\n**\r\n" + station(9);
    EXPECT_FALSE(d.ImportRoute(write("bad.RUT", bad)));
    EXPECT_FALSE(d.ImportRoute((dir / "missing.RUT").string()));
    EXPECT_EQ(d.ChainCount(), 3);

    std::string many = header;
    for (int i = 1; i <= 2100; ++i) many += station(i);
    ASSERT_TRUE(d.ImportRoute(write("many.RUT", many)));
    EXPECT_EQ(d.ChainCount(), 2000);
    EXPECT_EQ(d.state.messageText, "2001 点以降の路線データは\n読み込めません");
    std::filesystem::remove_all(dir);
}

namespace {
class Recording : public OverlayCanvas {
public:
    void SetPen(uint32_t) override {}
    void Ellipse(int32_t l, int32_t t, int32_t, int32_t) override { calls.push_back("circle " + Pos(l + 4, t + 4)); }
    void MoveTo(int32_t x, int32_t y) override { at = Pos(x, y); }
    void LineTo(int32_t x, int32_t y) override { calls.push_back("line " + at + " " + Pos(x, y)); }
    void Text(int32_t, int32_t, const std::string&) override {}
    void FillRect(int32_t l, int32_t t, int32_t, int32_t, uint32_t c) override {
        calls.push_back((c == 0x0000FF ? "red square " : "square ") + Pos(l + 4, t + 4));
    }
    static std::string Pos(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }
    std::vector<std::string> calls;
    std::string at;
};
}  // namespace

TEST_F(TunnelCommand, OverlayDrawsBothSeries) {
    Add(10, 20, 0);
    Add(30, 40, 0);
    CTunnelDevelopDlg d;
    d.state.basePoint1 = 1, d.state.basePoint2 = 2;
    d.state.chain[0] = {true, 0, 0, 0};
    d.state.chain[1] = {true, 1e7, 0, 0};  // off the screen: breaks the line
    d.state.chain[2] = {true, -10, 5, 0};
    d.state.chain[3] = {true, -20, 5, 0};
    Recording canvas;
    DrawTunnelOverlay(canvas);
    EXPECT_EQ(canvas.calls, (std::vector<std::string>{"red square 420,290", "line 420,290 440,270", "circle 440,270",
                                                      "red square 400,300", "circle 405,310",
                                                      "line 405,310 405,320", "circle 405,320"}));
}
