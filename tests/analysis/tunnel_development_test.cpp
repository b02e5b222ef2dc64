#include "analysis/tunnel_development.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "view/view_state.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

int32_t Add(double x, double y, double z, int16_t invalid = 0) {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    RandomPoint p{};
    p.x = x;
    p.y = y;
    p.z = z;
    p.invalid = invalid;
    g_points[++g_pointCount] = p;
    SetPointEndMarker();
    return g_pointCount;
}

class TunnelDevelopment : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_extentSize = 500;
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
    // A cylinder of radius 3 about the line north from (0, 0, 10) to (100, 0, 10): the
    // points at angle phi (0 straight above, positive towards east).
    void Cylinder() {
        s.basePoint1 = Add(0, 0, 10);
        s.basePoint2 = Add(100, 0, 10);
        for (int i = 0; i < 40; ++i) {
            const double phi = -kPi + (i + 0.5) * 2 * kPi / 40;
            Add(5 + 2 * i, 3 * std::sin(phi), 10 + 3 * std::cos(phi));
        }
    }
    TunnelDevelopState s;
};
}  // namespace

TEST_F(TunnelDevelopment, CylinderUnrollsAroundTheAxis) {
    Cylinder();
    const int32_t side = Add(50, 3, 10);  // 90 degrees towards east
    ASSERT_TRUE(DevelopCylinder(s));
    EXPECT_EQ(s.messageText, "Transform complete");
    for (int32_t i = 3; i <= g_pointCount; ++i) EXPECT_NEAR(g_points[i].z, 13, 1e-9) << i;
    EXPECT_NEAR(g_points[side].y, 47.124, 5e-4);
    EXPECT_NEAR(g_points[side].x, 50, 1e-9);
    // The base points lie on the axis.
    EXPECT_EQ(g_points[1].invalid, kPointOnTunnelAxis);
    EXPECT_EQ(g_points[2].invalid, kPointOnTunnelAxis);
    EXPECT_DOUBLE_EQ(g_points[1].z, 10);
    // One transform at a time.
    EXPECT_FALSE(DevelopSphere(s));
}

TEST_F(TunnelDevelopment, FlipAndSlopedAxis) {
    // Axis rising 1 in 1 towards north-east; a point square to it, straight above.
    s.basePoint1 = Add(0, 0, 0);
    s.basePoint2 = Add(10, 10, 10 * std::sqrt(2.0));
    const double lift = 4;
    // Above the axis point (5, 5, 5√2), along v = (-a_z u_y, a_z u_x, ...) normalised.
    const double az = std::sqrt(0.5);
    // u = (-1, 1, 0)/√2, v = (-az·uY, az·uX, aX·uY − aY·uX) with a = (0.5, 0.5, az).
    const double vx = -az * (1 / std::sqrt(2.0)), vy = az * (-1 / std::sqrt(2.0)), vz = 0.5 * (1 / std::sqrt(2.0)) * 2;
    const int32_t top = Add(5 + lift * vx, 5 + lift * vy, 5 * std::sqrt(2.0) + lift * vz);
    const int32_t east = Add(5 - 2 / std::sqrt(2.0), 5 + 2 / std::sqrt(2.0), 5 * std::sqrt(2.0));  // +u
    s.flip = 1;
    ASSERT_TRUE(DevelopCylinder(s));
    EXPECT_NEAR(g_points[top].z, lift, 1e-9);
    // On the axis: 10 m along it from P1, the half-way point in plan.
    EXPECT_NEAR(g_points[top].x, 5, 1e-9);
    EXPECT_NEAR(g_points[top].y, 5, 1e-9);
    // Flipped: +90 degrees goes to -u, that is north-west of the axis.
    EXPECT_NEAR(g_points[east].z, 2, 1e-9);
    const double sideU = (g_points[east].x - 5) * (-1 / std::sqrt(2.0)) + (g_points[east].y - 5) / std::sqrt(2.0);
    EXPECT_NEAR(sideU, -30 * kPi / 2, 1e-9);
}

TEST_F(TunnelDevelopment, RestoreGivesEveryCoordinateBack) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-50, 50);
    s.basePoint1 = Add(0, 0, 0);
    s.basePoint2 = Add(100, 30, 5);
    for (int i = 0; i < 200; ++i) Add(u(rng) + 50, u(rng), u(rng));
    std::vector<RandomPoint> before(g_points + 1, g_points + g_pointCount + 1);
    for (auto develop : {DevelopCylinder, DevelopSphere}) {
        ASSERT_TRUE(develop(s));
        ASSERT_TRUE(RestoreTunnelPoints(s));
        EXPECT_FALSE(s.Developed());
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            EXPECT_EQ(g_points[i].x, before[i - 1].x);
            EXPECT_EQ(g_points[i].y, before[i - 1].y);
            EXPECT_EQ(g_points[i].z, before[i - 1].z);
        }
    }
    for (int k = 0; k < 3; ++k) s.chain[k] = {true, 40.0 * k, 10.0 * k * k, 1.0 * k};
    ASSERT_TRUE(DevelopCylinderAlongChain(s));
    ASSERT_TRUE(RestoreTunnelPoints(s));
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        EXPECT_EQ(g_points[i].x, before[i - 1].x);
        EXPECT_EQ(g_points[i].z, before[i - 1].z);
    }
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TunnelDevelopment, RestoreAfterDeletionsIsRefusedAndKeepsTheCopy) {
    Cylinder();
    ASSERT_TRUE(DevelopCylinder(s));
    const RandomPoint last = g_points[g_pointCount];
    --g_pointCount;
    SetPointEndMarker();
    EXPECT_FALSE(RestoreTunnelPoints(s));
    EXPECT_EQ(s.messageText, "Restore Failed");
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "ランダム点数が変化したので\n復元できません");
    EXPECT_TRUE(s.Developed());
    EXPECT_EQ(g_points[3].z, 13);  // nothing moved
    // With the point back the copy still fits.
    g_points[++g_pointCount] = last;
    SetPointEndMarker();
    EXPECT_TRUE(RestoreTunnelPoints(s));
    EXPECT_NEAR(g_points[1].x, 0, 0);
}

TEST_F(TunnelDevelopment, RestoreAfterAdditionsRestoresTheCopiedPoints) {
    Cylinder();
    const RandomPoint third = g_points[3];
    ASSERT_TRUE(DevelopCylinder(s));
    const int32_t added = Add(1, 2, 3);
    EXPECT_TRUE(RestoreTunnelPoints(s));
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_points[3].y, third.y);
    EXPECT_EQ(g_points[3].z, third.z);
    EXPECT_EQ(g_points[added].z, 3);
}

TEST_F(TunnelDevelopment, OnAxisPointsAreFlaggedNotMoved) {
    Cylinder();
    const int32_t on = Add(30, 0, 10);
    const int32_t near = Add(60, 0.00005, 10);  // r² = 2.5e-9
    const int32_t invalid = Add(70, 0, 10, 1);
    ASSERT_TRUE(DevelopCylinder(s));
    EXPECT_EQ(g_points[on].invalid, kPointOnTunnelAxis);
    EXPECT_EQ(g_points[near].invalid, kPointOnTunnelAxis);
    EXPECT_EQ(g_points[near].y, 0.00005);
    EXPECT_EQ(g_points[invalid].invalid, 1);
}

TEST_F(TunnelDevelopment, RefusedWithoutAnAxis) {
    Cylinder();
    const auto x3 = g_points[3].x;
    struct Case {
        int32_t b1, b2;
    } cases[] = {{0, 2}, {1, 0}, {1, 999}, {1, 1}};
    const int32_t close = Add(0.000005, 0.000005, 50);
    for (const Case& c : cases) {
        s.basePoint1 = c.b1;
        s.basePoint2 = c.b2;
        EXPECT_FALSE(DevelopCylinder(s));
        EXPECT_FALSE(s.Developed());
    }
    s.basePoint1 = 1;
    s.basePoint2 = close;  // plan distance ≤ 1e-5
    EXPECT_FALSE(DevelopSphere(s));
    EXPECT_FALSE(s.Developed());
    EXPECT_FALSE(DevelopCylinderAlongChain(s));  // no chain
    EXPECT_EQ(g_points[3].x, x3);
}

TEST_F(TunnelDevelopment, ChainOfTwoPointsIsOneStraightCylinder) {
    s.chain[0] = {true, 0, 0, 10};
    s.chain[1] = {true, 100, 0, 10};
    const int32_t side = Add(50, 3, 10);
    const int32_t top = Add(20, 0, 14);
    ASSERT_TRUE(DevelopCylinderAlongChain(s));
    EXPECT_NEAR(g_points[side].y, (30 / 3.14 + 0.01) * kPi / 2, 1e-9);
    EXPECT_NEAR(g_points[side].y, 15.023, 5e-4);
    EXPECT_NEAR(g_points[side].x, 50, 1e-9);
    EXPECT_NEAR(g_points[side].z, 13, 1e-9);
    EXPECT_NEAR(g_points[top].y, 0, 1e-9);
    EXPECT_NEAR(g_points[top].z, 14, 1e-9);
}

TEST_F(TunnelDevelopment, BentChainIsStraightened) {
    // North 100 m, then east 100 m. A point 3 m east of the first leg's middle, at axis
    // height, and one 3 m north of the second leg's middle.
    s.chain[0] = {true, 0, 0, 10};
    s.chain[1] = {true, 100, 0, 10};
    s.chain[2] = {true, 100, 100, 10};
    const int32_t first = Add(50, 3, 10);
    const int32_t second = Add(103, 50, 10);
    const int32_t onAxis = Add(100, 50, 10);
    ASSERT_TRUE(DevelopCylinderAlongChain(s));
    const double aside = (30 / 3.14 + 0.01) * kPi / 2;
    // Between the bisectors of the bend each offset line is stretched to the leg's length:
    // 3 m inside the bend that line is 97 m long and the point 50 m along it.
    EXPECT_NEAR(g_points[first].x, 50 * 100 / 97.0, 1e-9);
    EXPECT_NEAR(g_points[first].y, aside, 1e-9);
    // The second leg continues north; 3 m outside the bend its line is 103 m long and the
    // point 53 m along it. North of a leg running east is its left: the point goes west.
    EXPECT_NEAR(g_points[second].x, 100 + 53 * 100 / 103.0, 1e-9);
    EXPECT_NEAR(g_points[second].y, -aside, 1e-9);
    EXPECT_NEAR(g_points[second].z, 13, 1e-9);
    EXPECT_EQ(g_points[onAxis].invalid, kPointOnTunnelAxis);
}
