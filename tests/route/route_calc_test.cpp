#include "route/route_calc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "route_test_state.h"
#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "section/section_defaults.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

struct IpInput {
    const char* name;
    double x, y;
    double radius = 0, a1 = 0, a2 = 0, radius2 = 0;
};

class RouteCalc : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRouteTestState();
    }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        ReleaseDataModel();
        ClearRecordedMessages();
    }
    static void SetIps(const std::vector<IpInput>& ips) {
        g_ipPointCount = static_cast<int32_t>(ips.size());
        for (size_t k = 0; k < ips.size(); ++k) {
            IpPoint& ip = g_ipPoints[k + 1];
            std::memset(&ip, 0, sizeof ip);
            std::snprintf(ip.name, sizeof ip.name, "%s", ips[k].name);
            ip.number = static_cast<int32_t>(k + 1);
            ip.x = ips[k].x;
            ip.y = ips[k].y;
            ip.radius = ips[k].radius;
            ip.a1 = ips[k].a1;
            ip.a2 = ips[k].a2;
            ip.radius2 = ips[k].radius2;
        }
    }
    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : RecordedMessages()) texts.push_back(m.text);
        return texts;
    }
    static const StationRecord* Find(const char* name) {
        for (int32_t k = 1; k <= g_stationCount; ++k)
            if (std::strcmp(g_stations[k].name, name) == 0) return &g_stations[k];
        return nullptr;
    }
};

// Clothoid of parameter a from its origin along +X, by Simpson's rule over its arc:
// x = integral of cos(s^2 / 2a^2), y = integral of sin(s^2 / 2a^2).
void IntegrateClothoid(double a, double length, double* x, double* y) {
    const int steps = 4000;
    const double h = length / steps;
    double sx = 0.0, sy = 0.0;
    for (int k = 0; k <= steps; ++k) {
        const double s = k * h;
        const double w = (k == 0 || k == steps) ? 1.0 : (k % 2 == 1 ? 4.0 : 2.0);
        const double phase = s * s / (2.0 * a * a);
        sx += w * std::cos(phase);
        sy += w * std::sin(phase);
    }
    *x = sx * h / 3.0;
    *y = sy * h / 3.0;
}

double Dist(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }

// Twice the signed area of (a, b, p): zero when p lies on the line a-b.
double Cross(double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}
}  // namespace

TEST_F(RouteCalc, UnitClothoidMatchesTheIntegral) {
    for (double tau : {0.001, 0.05, 0.125, 0.5, 1.0, 1.5}) {
        double x = 0, y = 0;
        EXPECT_EQ(CalcUnitClothoid(tau, 1e-7, &x, &y), 0);
        double wx = 0, wy = 0;
        IntegrateClothoid(1.0, std::sqrt(2.0 * tau), &wx, &wy);
        EXPECT_NEAR(x, wx, 2e-7) << tau;
        EXPECT_NEAR(y, wy, 2e-7) << tau;
    }
}

TEST_F(RouteCalc, ClothoidElementsRefuseAZeroAngle) {
    ClothoidElements el{};
    el.shift = 7.0;
    double normal = 3.0;
    EXPECT_EQ(CalcClothoidElements(0.0, 1.0, 0.0, 100.0, &el, &normal), -1);
    EXPECT_EQ(el.shift, 7.0);
    EXPECT_EQ(normal, 3.0);
}

TEST_F(RouteCalc, LineAgainstSegment) {
    double a = -1, b = -1;
    // The line X = 5 (direction along Y through (5, 0)) crosses the segment (0,2)-(10,2).
    IntersectRouteSegments(0, 1, 5, 0, 0, 2, 10, 2, &a, &b);
    EXPECT_NEAR(a, 5, 1e-12);
    EXPECT_NEAR(b, 2, 1e-12);
    // Touching only at the far end, or entirely on one side: unchanged.
    a = b = -1;
    IntersectRouteSegments(0, 1, 5, 0, 0, 2, 5, 2, &a, &b);
    EXPECT_EQ(a, -1);
    IntersectRouteSegments(0, 1, 5, 0, 6, 2, 10, 2, &a, &b);
    EXPECT_EQ(a, -1);
}

TEST_F(RouteCalc, InputChecksStopWithTheirMessage) {
    struct Case {
        const char* what;
        std::vector<IpInput> ips;
        double interval;
        const char* message;
    };
    const Case cases[] = {
        {"one IP", {{"BP", 0, 0}}, 20, "ＩＰ点が１点以下では計算できませんよ。"},
        {"no interval", {{"BP", 0, 0}, {"EP", 100, 0}}, 0, "縦断測点間隔が入力されていません。"},
        {"short leg",
         {{"BP", 0, 0}, {"IP", 100, 0}, {"EP", 100.0005, 0}},
         20,
         "IP2～EP3間の路線区間長が短すぎます。"},
    };
    for (const Case& c : cases) {
        ClearRecordedMessages();
        SetIps(c.ips);
        g_stationInterval = c.interval;
        g_stationCount = 5;
        CalcRoute();
        ASSERT_EQ(Messages().size(), 1u) << c.what;
        EXPECT_EQ(Messages()[0], c.message) << c.what;
        EXPECT_EQ(RecordedMessages()[0].buttons & msg::kIconMask, msg::kIconInformation);
    }
}

TEST_F(RouteCalc, CurveDataThatCannotBeUsedIsClearedWithAMessage) {
    // A radius on a straight, and a clothoid parameter without radius.
    SetIps({{"BP", 0, 0}, {"IP", 50, 0, 100, 30}, {"IP", 100, 0, 0, 40}, {"EP", 200, 50}});
    CalcRoute();
    const std::vector<std::string> want = {
        "直線上のＩＰ点に曲線データが入力されています。\n各データをクリアーして計算します。",
        "半径の入力されていない点にクロソイドパラメータが入力されています。\n"
        "パラメータをクリアーして計算します。"};
    EXPECT_EQ(Messages(), want);
    EXPECT_EQ(g_ipPoints[2].curveType, kCurveNone);
    EXPECT_EQ(g_ipPoints[2].radius, 0);
    EXPECT_EQ(g_ipPoints[3].curveType, kCurveNone);
    EXPECT_EQ(g_ipPoints[3].a1, 0);
    EXPECT_GT(g_stationCount, 0);
}

TEST_F(RouteCalc, OverlappingCurvesAreReportedAndStillComputed) {
    // Two circles whose tangents (about 57.7 m each) share a 100 m leg.
    const double c60 = std::cos(kPi / 3), s60 = std::sin(kPi / 3);
    SetIps({{"BP", 0, 0},
            {"IP", 100, 0, 100},
            {"IP", 100 + 100 * c60, 100 * s60, 100},
            {"EP", 100 + 100 * c60 - 100 * s60, 100 * s60 + 50}});
    CalcRoute();
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "IP2～IP3間の曲線が重なります。");
    EXPECT_GT(g_stationCount, 0);
}

TEST_F(RouteCalc, SimpleCircleElementsFollowTheClosedForms) {
    const double ia = kPi / 3, r = 50;
    SetIps({{"BP", 0, 0}, {"IP", 100, 0, r}, {"EP", 100 + 100 * std::cos(ia), 100 * std::sin(ia)}});
    g_outputSingleCurveSp = 1;
    CalcRoute();
    EXPECT_TRUE(Messages().empty());
    const IpPoint& ip = g_ipPoints[2];
    const double t = r * std::tan(ia / 2);
    EXPECT_EQ(ip.curveType, kCurveCircle);
    EXPECT_EQ(ip.turnSide, 1);
    EXPECT_NEAR(ip.ia, 60.0, 1e-9);
    EXPECT_NEAR(ip.arcTangentLength, t, 1e-9);
    EXPECT_NEAR(ip.arcLength, r * ia, 1e-9);
    EXPECT_NEAR(ip.arcSecant, r / std::cos(ia / 2) - r, 1e-9);
    EXPECT_NEAR(ip.centerX, 100 - t, 1e-9);
    EXPECT_NEAR(ip.centerY, r, 1e-9);
    EXPECT_NEAR(Dist(ip.centerX, ip.centerY, ip.x, ip.y), r + ip.arcSecant, 1e-9);
    EXPECT_NEAR(ip.ke1Distance, 100 - t, 1e-9);
    EXPECT_NEAR(ip.ke2Distance, 100 - t + r * ia, 1e-9);
    EXPECT_NEAR(g_ipPoints[3].addedDistance, 2 * (100 - t) + r * ia, 1e-9);

    // The SP lies the middle ordinate R (1 - cos(IA/2)) off the chord BC-EC.
    const StationRecord* sp = Find("SP2");
    ASSERT_NE(sp, nullptr);
    EXPECT_EQ(sp->kind, 40);
    const double mx = (ip.ke1X + ip.ke2X) / 2, my = (ip.ke1Y + ip.ke2Y) / 2;
    EXPECT_NEAR(Dist(mx, my, sp->x, sp->y), r * (1 - std::cos(ia / 2)), 1e-9);

    // Radial cut lines: through the centre, the left stake outside the right turn.
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& st = g_stations[k];
        if (st.kind != 5 && st.kind != 6 && st.kind != 8 && st.kind != 40) continue;
        EXPECT_NEAR(Dist(st.x, st.y, ip.centerX, ip.centerY), r, 1e-9) << st.name;
        EXPECT_NEAR(Dist(st.leftX, st.leftY, ip.centerX, ip.centerY), r + 30, 1e-9) << st.name;
        EXPECT_NEAR(Dist(st.rightX, st.rightY, ip.centerX, ip.centerY), r - 30, 1e-9) << st.name;
        EXPECT_NEAR(Cross(st.leftX, st.leftY, st.rightX, st.rightY, ip.centerX, ip.centerY), 0,
                    1e-7)
            << st.name;
    }
}

TEST_F(RouteCalc, SymmetricClothoidCurve) {
    const double r = 200, a = 100, ia = kPi / 2;
    SetIps({{"BP", 0, 0}, {"IP", 300, 0, r, a, a}, {"EP", 300, 300}});
    g_stationInterval = 10;
    CalcRoute();
    EXPECT_TRUE(Messages().empty());
    const IpPoint& ip = g_ipPoints[2];
    ASSERT_EQ(ip.curveType, kCurveClothoid);
    const double l = a * a / r;
    EXPECT_NEAR(ip.clothoid1.length * r, a * a, 1e-9);
    double x = 0, y = 0;
    IntegrateClothoid(a, l, &x, &y);
    for (const ClothoidElements* c : {&ip.clothoid1, &ip.clothoid2}) {
        EXPECT_NEAR(c->x, x, 1e-6);
        EXPECT_NEAR(c->y, y, 1e-6);
        const double tau = l / (2 * r);
        EXPECT_NEAR(c->tauRad, tau, 1e-12);
        EXPECT_NEAR(c->shift, y + r * std::cos(tau) - r, 1e-6);
        EXPECT_NEAR(c->xm, x - r * std::sin(tau), 1e-6);
        EXPECT_NEAR(c->tangentToIp, c->xm + (r + c->shift) * std::tan(ia / 2), 1e-6);
    }
    const double t = ip.clothoid1.tangentToIp;
    EXPECT_NEAR(ip.ka1X, 300 - t, 1e-6);
    EXPECT_NEAR(ip.ka1Y, 0, 1e-9);
    EXPECT_NEAR(ip.ka2X, 300, 1e-9);
    EXPECT_NEAR(ip.ka2Y, t, 1e-6);
    EXPECT_NEAR(ip.ke1X, 300 - t + x, 1e-6);
    EXPECT_NEAR(ip.ke1Y, y, 1e-6);
    EXPECT_NEAR(Dist(ip.ke1X, ip.ke1Y, ip.centerX, ip.centerY), r, 1e-6);
    EXPECT_NEAR(Dist(ip.ke2X, ip.ke2Y, ip.centerX, ip.centerY), r, 1e-6);
    EXPECT_NEAR(ip.arcAngleRad, ia - l / r, 1e-12);
    EXPECT_NEAR(ip.ka2Distance - ip.ka1Distance, 2 * l + r * (ia - l / r), 1e-9);
    EXPECT_NEAR(ip.ka1Distance, 300 - t, 1e-6);

    // Every station inside the entry clothoid lies on it, its cut line on the normal.
    int checked = 0;
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& st = g_stations[k];
        if (st.kind != 4) continue;
        double sx = 0, sy = 0;
        const double s = st.addedDistance - ip.ka1Distance;
        IntegrateClothoid(a, s, &sx, &sy);
        // The series stops at 1e-7 of the unit clothoid: A times that here.
        EXPECT_NEAR(st.x, ip.ka1X + sx, a * 1e-7) << st.name;
        EXPECT_NEAR(st.y, ip.ka1Y + sy, a * 1e-7) << st.name;
        const double tangent = s * s / (2 * a * a);
        // Left stake 30 m to the left of the tangent direction (cos, sin)(tangent).
        EXPECT_NEAR(st.leftX, st.x + 30 * std::sin(tangent), 1e-9) << st.name;
        EXPECT_NEAR(st.leftY, st.y - 30 * std::cos(tangent), 1e-9) << st.name;
        EXPECT_NEAR(st.rightX, st.x - 30 * std::sin(tangent), 1e-9) << st.name;
        ++checked;
    }
    EXPECT_EQ(checked, 5);  // 10 m stations inside a 50 m clothoid starting off the grid

    // The exit clothoid mirrors it from KA2 (the leg runs east, the centre lies south);
    // the arc stations lie on the circle.
    int exits = 0, arcs = 0;
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& st = g_stations[k];
        if (st.kind == 6) {
            EXPECT_NEAR(Dist(st.x, st.y, ip.centerX, ip.centerY), r, 1e-6) << st.name;
            ++arcs;
        }
        if (st.kind != 9) continue;
        double sx = 0, sy = 0;
        IntegrateClothoid(a, ip.ka2Distance - st.addedDistance, &sx, &sy);
        EXPECT_NEAR(st.x, ip.ka2X - sy, a * 1e-7) << st.name;
        EXPECT_NEAR(st.y, ip.ka2Y - sx, a * 1e-7) << st.name;
        ++exits;
    }
    EXPECT_EQ(exits, 5);
    EXPECT_GT(arcs, 20);

    const StationRecord* ka1 = Find("KA2-1");
    const StationRecord* ke1 = Find("KE2-1");
    const StationRecord* ke2 = Find("KE2-2");
    const StationRecord* ka2 = Find("KA2-2");
    ASSERT_TRUE(ka1 && ke1 && ke2 && ka2);
    EXPECT_EQ(ka1->kind, 3);
    EXPECT_EQ(ke1->kind, 5);
    EXPECT_EQ(ke2->kind, 21);
    EXPECT_EQ(ka2->kind, 10);
    // Stations run in chainage order.
    for (int32_t k = 2; k <= g_stationCount; ++k)
        EXPECT_LE(g_stations[k - 1].addedDistance, g_stations[k].addedDistance + 1e-9) << k;
}

TEST_F(RouteCalc, StationNamesNumbersAndCoincidence) {
    struct Case {
        const char* what;
        double length;
        double bpAdded;
        int32_t naming;
        double interval;
        std::vector<double> plusStakes;
        std::vector<std::string> names;
        std::vector<int32_t> numbers;
    };
    const Case cases[] = {
        {"plain", 70, 0, 0, 20, {}, {"BP", "NO1", "NO2", "NO3", "EP"}, {0, 1, 2, 3, 3}},
        {"STA", 30, 0, 1, 20, {}, {"BP", "STA1", "EP"}, {0, 1, 1}},
        {"end on the grid uses no number", 40, 0, 0, 20, {}, {"BP", "NO1", "EP"}, {0, 1, 1}},
        {"just above the start uses its number",
         30,
         19.995,
         0,
         20,
         {},
         {"BP", "NO2", "EP"},
         {0, 2, 2}},
        {"added distance names",
         1,
         1234.2,
         2,
         0.5,
         {},
         {"BP", "12+34", "12+35", "EP"},
         {0, 1, 2, 2}},
        {"plus stakes",
         40,
         0,
         0,
         20,
         {-5, 10, 20.005, 25.5, 39.999},
         {"BP", "+10.000", "NO1", "+5.500", "EP"},
         {0, 0, 1, 1, 1}},
        {"plus stakes out of order or repeated",
         40,
         0,
         0,
         20,
         {25.5, 10, 10},
         {"BP", "+10.000", "NO1", "+5.500", "EP"},
         {0, 0, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SetIps({{"BP", 0, 0}, {"EP", c.length, 0}});
        g_bpAddedDistance = c.bpAdded;
        g_stationNaming = c.naming;
        g_stationInterval = c.interval;
        g_plusStakeCount = static_cast<int32_t>(c.plusStakes.size());
        for (size_t k = 0; k < c.plusStakes.size(); ++k) g_plusStakes[k + 1] = c.plusStakes[k];
        CalcRoute();
        std::vector<std::string> names;
        std::vector<int32_t> numbers;
        for (int32_t k = 1; k <= g_stationCount; ++k) {
            names.push_back(g_stations[k].name);
            numbers.push_back(g_stations[k].number);
        }
        EXPECT_EQ(names, c.names) << c.what;
        EXPECT_EQ(numbers, c.numbers) << c.what;
        EXPECT_TRUE(Messages().empty()) << c.what;
    }
}

TEST_F(RouteCalc, StraightCutLinesArePerpendicular) {
    // A route running north-east: left of travel is north-west.
    SetIps({{"BP", 0, 0}, {"EP", 60, 60}});
    g_leftCutWidth = 10;
    g_rightCutWidth = 25;
    CalcRoute();
    ASSERT_EQ(g_stationCount, 6);  // BP, NO1 to NO4, EP
    const double h = std::sqrt(0.5);
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& st = g_stations[k];
        EXPECT_NEAR(st.x, st.addedDistance * h, 1e-9);
        EXPECT_NEAR(st.leftX, st.x + 10 * h, 1e-9) << st.name;
        EXPECT_NEAR(st.leftY, st.y - 10 * h, 1e-9) << st.name;
        EXPECT_NEAR(st.rightX, st.x - 25 * h, 1e-9) << st.name;
        EXPECT_NEAR(st.rightY, st.y + 25 * h, 1e-9) << st.name;
    }
    EXPECT_EQ(g_stations[1].kind, 1);
    EXPECT_EQ(g_stations[6].kind, 11);
}

TEST_F(RouteCalc, ExtensionsBeforeBpAndAfterEp) {
    struct Case {
        int32_t first;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {1, {"IP-1", "NO-2", "NO-1", "BP", "NO1", "EP", "NO2", "PLS"}},
        {5, {"IP-1", "NO3", "NO4", "BP", "NO5", "EP", "NO6", "PLS"}},
    };
    for (const Case& c : cases) {
        SetIps({{"BP", 0, 0}, {"EP", 30, 0}});
        g_bpBackDistance = 45;
        g_epForwardDistance = 15;
        g_firstStationNumber = c.first;
        CalcRoute();
        std::vector<std::string> names;
        for (int32_t k = 1; k <= g_stationCount; ++k) names.push_back(g_stations[k].name);
        EXPECT_EQ(names, c.names) << c.first;
        ASSERT_EQ(g_stationCount, 8);
        EXPECT_EQ(g_stations[1].kind, 0);
        EXPECT_NEAR(g_stations[1].x, -45, 1e-9);
        EXPECT_EQ(g_stations[2].kind, 22);
        EXPECT_NEAR(g_stations[2].addedDistance, -40, 1e-9);
        EXPECT_EQ(g_stations[8].kind, 12);
        EXPECT_NEAR(g_stations[8].x, 45, 1e-9);
    }
}

TEST_F(RouteCalc, ClothoidStartingAtBpTakesOverTheBpStation) {
    const double r = 200, a = 100;
    // Place BP exactly at KA1: the tangent length from the closed form.
    double x = 0, y = 0;
    const double l = a * a / r, tau = l / (2 * r);
    IntegrateClothoid(a, l, &x, &y);
    const double t = (x - r * std::sin(tau)) + (y + r * std::cos(tau)) * std::tan(kPi / 4);
    SetIps({{"BP", 300 - t, 0}, {"IP", 300, 0, r, a, a}, {"EP", 300, 300}});
    CalcRoute();
    EXPECT_EQ(g_stations[1].kind, 13);
    EXPECT_STREQ(g_stations[1].name, "BP");
    EXPECT_EQ(Find("KA2-1"), nullptr);
}

TEST_F(RouteCalc, AngleIpWithAuxiliaryStations) {
    // North 100 m, then a right turn of 90 degrees.
    SetIps({{"BP", 0, 0}, {"IP", 100, 0}, {"EP", 100, 100}});
    g_makeAuxStations = 1;
    g_stationInterval = 10;
    g_leftCutWidth = 20;
    g_rightCutWidth = 15;
    CalcRoute();
    const IpPoint& ip = g_ipPoints[2];
    const double h = 20 * std::tan(kPi / 4);  // outer corner allowance W tan(theta / 2)
    EXPECT_NEAR(ip.curveLength, 2 * h, 1e-9);

    std::vector<std::string> around;
    int32_t ipSlot = 0;
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const std::string name = g_stations[k].name;
        if (name.rfind("IP2", 0) == 0) around.push_back(name);
        if (name == "IP2") ipSlot = k;
    }
    const std::vector<std::string> want = {"IP2+1", "IP2+2", "IP2", "IP2-1", "IP2-2"};
    EXPECT_EQ(around, want);
    ASSERT_GT(ipSlot, 0);
    const StationRecord& st = g_stations[ipSlot];
    EXPECT_EQ(st.kind, 7);
    // The outside (left) stake reaches the corner of the two outer offset lines.
    EXPECT_NEAR(st.leftX, 120, 1e-9);
    EXPECT_NEAR(st.leftY, -20, 1e-9);
    EXPECT_NEAR(Dist(st.x, st.y, st.rightX, st.rightY), 15, 1e-9);
    const StationRecord* plus2 = Find("IP2+2");
    ASSERT_NE(plus2, nullptr);
    EXPECT_EQ(plus2->kind, 33);
    EXPECT_NEAR(plus2->x, 120, 1e-6);
    EXPECT_NEAR(plus2->leftY, -20, 1e-9);
    EXPECT_NEAR(plus2->rightY, 0, 1e-9);  // no cut line inside the bend
    const StationRecord* minus2 = Find("IP2-2");
    ASSERT_NE(minus2, nullptr);
    EXPECT_EQ(minus2->kind, 34);
    EXPECT_NEAR(minus2->y, -20, 1e-6);
    EXPECT_NEAR(minus2->addedDistance, 80, 1e-6);

    // The straight stations next to the IP end their cut lines on the IP's cut line.
    const StationRecord* before = &g_stations[ipSlot - 3];
    EXPECT_EQ(before->kind, 2);
    EXPECT_NEAR(before->rightX, 90, 1e-9);
    EXPECT_NEAR(before->rightY, 10, 1e-9);
    EXPECT_NEAR(before->leftY, -20, 1e-9);
}

TEST_F(RouteCalc, StationBlockThatCannotBeMadeStopsWithAMessage) {
    SetIps({{"BP", 0, 0}, {"EP", 100, 0}});
    InjectAllocationFailures(0, 1);
    CalcRoute();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "路線データ用のメモリが確保できませんでした。");
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteCalc, AnIntervalTooFineForMemoryIsRefused) {
    SetIps({{"BP", 0, 0}, {"EP", 100000, 0}});
    g_stationInterval = 1e-6;
    CalcRoute();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "路線データ用のメモリが確保できませんでした。");
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteCalc, EggSectionWithoutCircleCentresIsRefused) {
    SetIps({{"BP", 0, 0}, {"IP", 100, 0, 200, 80, 0, 300}, {"EP", 150, 100}});
    CalcRoute();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("卵形区間の円の中心"), std::string::npos);
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteCalc, LeftTurnsMirrorRightTurns) {
    // Clothoid curve, simple circle and an angle point, turning right, left and right; then
    // the same route mirrored across the X axis, turning the other ways. Names, kinds and
    // chainages agree; points mirror, and each left stake mirrors the other's right stake.
    const std::vector<IpInput> right = {{"BP", 0, 0},
                                        {"IP", 300, 0, 200, 100, 80},
                                        {"IP", 320, 600, 150},
                                        {"IP", 600, 700},
                                        {"EP", 700, 1000}};
    std::vector<IpInput> left = right;
    for (IpInput& ip : left) ip.y = -ip.y;
    g_makeAuxStations = 1;
    g_outputSingleCurveSp = 1;
    g_stationInterval = 10;

    SetIps(right);
    CalcRoute();
    ASSERT_TRUE(Messages().empty()) << Messages()[0];
    const std::vector<StationRecord> first(g_stations + 1, g_stations + 1 + g_stationCount);
    EXPECT_EQ(g_ipPoints[2].turnSide, 1);
    SetIps(left);
    CalcRoute();
    ASSERT_TRUE(Messages().empty());
    EXPECT_EQ(g_ipPoints[2].turnSide, 2);
    ASSERT_EQ(static_cast<size_t>(g_stationCount), first.size());
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& a = first[k - 1];
        const StationRecord& b = g_stations[k];
        EXPECT_STREQ(a.name, b.name);
        EXPECT_EQ(a.kind, b.kind) << a.name;
        EXPECT_NEAR(a.addedDistance, b.addedDistance, 1e-9) << a.name;
        EXPECT_NEAR(a.x, b.x, 1e-9) << a.name;
        EXPECT_NEAR(a.y, -b.y, 1e-9) << a.name;
        EXPECT_NEAR(a.rightX, b.leftX, 1e-9) << a.name;
        EXPECT_NEAR(a.rightY, -b.leftY, 1e-9) << a.name;
        EXPECT_NEAR(a.leftX, b.rightX, 1e-9) << a.name;
        EXPECT_NEAR(a.leftY, -b.rightY, 1e-9) << a.name;
    }
}

TEST_F(RouteCalc, EggSectionFollowsItsClothoid) {
    // One clothoid A = 120 from the circle R = 300 down to R2 = 150, entered at IP 1.
    const double a = 120, r = 300, r2 = 150;
    struct Circle {
        double xm, shift;
    };
    auto elements = [&](double radius) {
        const double l = a * a / radius, tau = l / (2 * radius);
        double x = 0, y = 0;
        IntegrateClothoid(a, l, &x, &y);
        return Circle{x - radius * std::sin(tau), y + radius * std::cos(tau) - radius};
    };
    const Circle c1 = elements(r), c2 = elements(r2);
    const double apart = std::hypot(c2.xm - c1.xm, (r + c1.shift) - (r2 + c2.shift));
    SetIps({{"BP", 0, 0}, {"IP", 100, 0, r, a, 0, r2}, {"EP", 150, 100}});
    g_ipPoints[2].ke1X = 0;
    g_ipPoints[2].ke1Y = r;
    g_ipPoints[2].ke2X = apart * 0.6;
    g_ipPoints[2].ke2Y = r + apart * 0.8;
    g_stationInterval = 5;
    g_leftCutWidth = g_rightCutWidth = 10;
    CalcRoute();
    ASSERT_TRUE(Messages().empty()) << Messages()[0];
    const IpPoint& ip = g_ipPoints[2];
    ASSERT_EQ(ip.curveType, kCurveEgg);
    const double lr = a * a / r;
    EXPECT_NEAR(ip.arcLength, a * a / r2 - lr, 1e-9);
    EXPECT_EQ(ip.ka1X, 0);  // starts at the previous IP
    int eggs = 0;
    for (int32_t k = 1; k <= g_stationCount; ++k) {
        const StationRecord& st = g_stations[k];
        if (st.addedDistance <= ip.ka1Distance || st.addedDistance >= ip.ka2Distance) continue;
        EXPECT_EQ(st.kind, 40) << st.name;
        // The station lies on the clothoid, the chord from its origin as long as the
        // integral says.
        double x = 0, y = 0;
        IntegrateClothoid(a, lr + (st.addedDistance - ip.ka1Distance), &x, &y);
        EXPECT_NEAR(Dist(st.x, st.y, ip.centerX, ip.centerY), std::hypot(x, y), a * 1e-7)
            << st.name;
        // Cut line of 10 + 10 m through the station, the left stake left of travel.
        EXPECT_NEAR(Dist(st.x, st.y, st.leftX, st.leftY), 10, 1e-9) << st.name;
        EXPECT_NEAR(Dist(st.x, st.y, st.rightX, st.rightY), 10, 1e-9) << st.name;
        if (k + 1 <= g_stationCount) {
            const StationRecord& next = g_stations[k + 1];
            // Negative: X north, Y east turns the usual sign round.
            EXPECT_LT(Cross(st.x, st.y, next.x, next.y, st.leftX, st.leftY), 0) << st.name;
        }
        ++eggs;
    }
    EXPECT_EQ(eggs, static_cast<int>((a * a / r2 - lr) / 5));

    // Centres the clothoid cannot join are refused.
    ClearRecordedMessages();
    SetIps({{"BP", 0, 0}, {"IP", 100, 0, r, a, 0, r2}, {"EP", 150, 100}});
    g_ipPoints[2].ke1Y = r;
    g_ipPoints[2].ke2X = apart + 1;
    g_ipPoints[2].ke2Y = r;
    CalcRoute();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(g_stationCount, 0);
}

TEST_F(RouteCalc, SimpleCircleGetsItsSpWithoutAnIntervalStationOnTheArc) {
    // BC at about 104.2 and EC at 114.7: no multiple of 20 lies on the arc.
    const double ia = kPi / 3, r = 10;
    SetIps({{"BP", 0, 0}, {"IP", 100, 0, r}, {"EP", 100 + 100 * std::cos(ia), 100 * std::sin(ia)}});
    g_bpAddedDistance = 10;
    g_outputSingleCurveSp = 1;
    CalcRoute();
    std::vector<std::string> names;
    for (int32_t k = 1; k <= g_stationCount; ++k) names.push_back(g_stations[k].name);
    const std::vector<std::string> want = {"BP",  "NO1", "NO2", "NO3", "NO4", "NO5",  "BC2", "SP2",
                                           "EC2", "NO6", "NO7", "NO8", "NO9", "NO10", "EP"};
    EXPECT_EQ(names, want);
    const StationRecord* sp = Find("SP2");
    ASSERT_NE(sp, nullptr);
    EXPECT_NEAR(sp->addedDistance, g_ipPoints[2].ke1Distance + r * ia / 2, 1e-9);
    EXPECT_EQ(sp->number, 5);
}
