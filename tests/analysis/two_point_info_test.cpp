#include "analysis/two_point_info.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {
RandomPoint At(double x, double y, double z, const char* name = "") {
    RandomPoint p{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::strncpy(p.name, name, sizeof p.name);
    return p;
}

// Bearings from north towards east, as degrees-minutes-seconds D.MMSS.
TEST(TwoPointInfo, AzimuthShownAsDegreesMinutesSeconds) {
    const double kPi = 3.14159265358979323846;
    const double a = 45.5 * kPi / 180;
    struct Case { double dx, dy; const char* shown; };
    const Case cases[] = {
        {0, 100, "方位角　（90.0000）"},                                 // due east
        {0, -100, "方位角　（270.0000）"},                               // due west
        {-100, 0, "方位角　（180.0000）"},                               // due south
        {100 * std::cos(a), 100 * std::sin(a), "方位角　（45.3000）"},  // 45°30'
        {0.003, 0.004, "方位角　（0.0000）"},                            // 0.005 m apart
    };
    const RandomPoint s = At(1000, 2000, 10);
    for (const Case& c : cases)
        EXPECT_EQ(FormatTwoPointInfo(s, At(1000 + c.dx, 2000 + c.dy, 10)).azimuth, c.shown) << c.dx << " " << c.dy;
}

// A 3-4-5 plan triangle with a 12 m rise: slant 13 m, slope 240 %.
TEST(TwoPointInfo, DistancesHeightAndSlope) {
    const TwoPointInfoTexts t = FormatTwoPointInfo(At(100, 200, 50, "P1"), At(103, 204, 62, "P2"));
    EXPECT_EQ(t.startX, "100.0000");
    EXPECT_EQ(t.endY, "204.0000");
    EXPECT_EQ(t.startZ, "  50.000");
    EXPECT_EQ(t.startName, "P1");
    EXPECT_EQ(t.endName, "P2");
    EXPECT_EQ(t.planeDistance, "平面距離（5.000）m");
    EXPECT_EQ(t.slantDistance, "斜距離　（13.000）m");
    EXPECT_EQ(t.heightDifference, "比高差　（12.000）m");
    EXPECT_EQ(t.slope, "勾配　　（240.00）%");
}

// One point straight above the other: no slope is computed from a zero distance.
TEST(TwoPointInfo, SamePlanPositionShowsNoSlope) {
    const TwoPointInfoTexts t = FormatTwoPointInfo(At(100, 200, 50), At(100, 200, 55));
    EXPECT_EQ(t.planeDistance, "平面距離（0.000）m");
    EXPECT_EQ(t.heightDifference, "比高差　（5.000）m");
    EXPECT_EQ(t.slope.find("inf"), std::string::npos);
    EXPECT_EQ(t.slope.find("nan"), std::string::npos);
    EXPECT_EQ(t.azimuth, "方位角　（0.0000）");
}
}  // namespace
