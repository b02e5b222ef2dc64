#include "section/profile_interpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

#include "analysis/section_profile.h"

namespace {

// Right set of g_profile: the centre (0, z0) then the given (dist, z) points.
void SetRight(double z0, std::initializer_list<std::pair<double, double>> points) {
    ProfileSide& r = g_profile.right;
    r.dist[0] = 0, r.z[0] = z0;
    int32_t n = 0;
    for (const auto& [d, z] : points) ++n, r.dist[n] = d, r.z[n] = z;
    r.count = n;
}

TEST(ProfileInterpolation, EdgeCases) {
    double h = -1;
    SetRight(0, {{10, 5}, {20, 7}, {30, 4}});
    // At a profile point both intervals match; the later gives that point's height.
    EXPECT_EQ(InterpolateProfileHeight(1, 20, &h), 1);
    EXPECT_DOUBLE_EQ(h, 7);
    EXPECT_EQ(InterpolateProfileCurve(1, 1, 0, 20, &h), 1);
    EXPECT_DOUBLE_EQ(h, 7);
    // Beyond the last point, or an empty set: 0 and height 0.
    EXPECT_EQ(InterpolateProfileHeight(1, 30.5, &h), 0);
    EXPECT_EQ(h, 0);
    SetRight(3, {});
    EXPECT_EQ(InterpolateProfileCurve(1, 1, 0, 1, &h), 0);
    EXPECT_EQ(h, 0);

    // One point: the line from the centre; two points: the curve is the straight line.
    SetRight(2, {{10, 12}});
    EXPECT_EQ(InterpolateProfileCurve(1, 1, 0, 5, &h), 1);
    EXPECT_DOUBLE_EQ(h, 7);
    SetRight(0, {{10, 5}, {20, 9}});
    double straight = 0;
    for (double d : {2.5, 12.0, 17.5}) {
        InterpolateProfileHeight(1, d, &straight);
        InterpolateProfileCurve(1, 1, 0, d, &h);
        EXPECT_DOUBLE_EQ(h, straight) << d;
    }
}

TEST(ProfileInterpolation, CurveStaysInItsBand) {
    double h = 0;
    // A straight ramp: every candidate is the line.
    SetRight(1, {{10, 2}, {20, 3}, {30, 4}, {40, 5}});
    for (double d : {3.0, 15.0, 27.0, 38.0}) {
        EXPECT_EQ(InterpolateProfileCurve(1, 1, 0, d, &h), 1);
        EXPECT_NEAR(h, 1 + d / 10, 1e-12) << d;
    }
    // A spike next to a flat interval: the result stays within 0.1 of both heights.
    SetRight(10, {{10, 10}, {20, 10}, {30, 60}, {40, 10}});
    for (double d = 10.5; d < 20; d += 0.5) {
        InterpolateProfileCurve(1, 1, 0, d, &h);
        EXPECT_LE(std::fabs(h - 10), 0.1 + 1e-12) << d;
    }
    // With useGiven 0 and a contour interval of 1 the band is 1 wide: 9..11.
    double widest = 0;
    for (double d = 10.5; d < 20; d += 0.5) {
        InterpolateProfileCurve(0, 1, 1.0, d, &h);
        EXPECT_LE(std::fabs(h - 10), 1.0 + 1e-12) << d;
        widest = std::max(widest, std::fabs(h - 10));
    }
    EXPECT_GT(widest, 0.1);
    // Straight gives exactly 10 there.
    InterpolateProfileHeight(1, 15, &h);
    EXPECT_DOUBLE_EQ(h, 10);
}

}  // namespace
