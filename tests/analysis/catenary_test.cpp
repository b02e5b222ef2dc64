#include "analysis/catenary.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// Height of the curve at position s along the span, from its vertex.
double HeightAt(const CatenaryCurve& c, const CatenarySpan& span, double x0, double s) {
    return c.lowest.z + span.a * (std::cosh((s - x0) / span.a) - 1);
}

double PositionOf(const CatenarySpan& span, const CatenaryPoint& p) {
    return std::hypot(p.x - span.x1, p.y - span.y1);
}

// Arc length by Simpson's rule on sqrt(1 + z'(s)²), independent of the closed form.
double SimpsonLength(double a, double x0, double L) {
    const int n = 2000;
    const double h = L / n;
    auto f = [&](double s) {
        const double slope = std::sinh((s - x0) / a);
        return std::sqrt(1 + slope * slope);
    };
    double sum = f(0) + f(L);
    for (int i = 1; i < n; ++i) sum += f(i * h) * (i % 2 ? 4 : 2);
    return sum * h / 3;
}
}  // namespace

TEST(Catenary, LevelSpanSagAndLength) {
    const CatenarySpan span{0, 0, 50, 100, 0, 50, 100, 1};
    CatenaryCurve c;
    ASSERT_EQ(c.Compute(span), kCatenaryOk);
    EXPECT_NEAR(50 - c.lowest.z, 12.763, 5e-4);
    EXPECT_NEAR(c.length, 104.219, 5e-4);
    EXPECT_TRUE(c.lowestInside);
    EXPECT_NEAR(c.lowest.x, 50, 1e-12);
    // 1..99: the supports themselves are not in the list; the curve is symmetric.
    ASSERT_EQ(c.points.size(), 99u);
    for (size_t i = 0; i < c.points.size(); ++i) {
        EXPECT_NEAR(c.points[i].x, i + 1.0, 1e-9);
        EXPECT_NEAR(c.points[i].z, c.points[98 - i].z, 1e-9);
    }
    EXPECT_NEAR(c.length, SimpsonLength(100, 50, 100), 1e-6);
}

TEST(Catenary, SlopedSpanHitsBothSupports) {
    // 200 m in plan along a 3-4-5 direction.
    const CatenarySpan span{1000, 2000, 0, 1120, 2160, 20, 500, 1};
    CatenaryCurve c;
    ASSERT_EQ(c.Compute(span), kCatenaryOk);
    const double x0 = PositionOf(span, c.lowest);
    EXPECT_NEAR(x0, 50.413, 5e-4);
    EXPECT_NEAR(c.lowest.z, -2.544, 5e-4);
    EXPECT_NEAR(c.length, 202.327, 5e-4);
    EXPECT_TRUE(c.lowestInside);
    EXPECT_NEAR(HeightAt(c, span, x0, 0), 0, 1e-9);
    EXPECT_NEAR(HeightAt(c, span, x0, 200), 20, 1e-9);
    EXPECT_NEAR(c.length, SimpsonLength(500, x0, 200), 1e-6);
    // Ordered from support 1 to support 2, each on the curve and in the span's plan line.
    double last = 0;
    for (const CatenaryPoint& p : c.points) {
        const double s = PositionOf(span, p);
        EXPECT_GT(s, last);
        EXPECT_LT(s, 200);
        EXPECT_NEAR(p.z, HeightAt(c, span, x0, s), 1e-9);
        EXPECT_NEAR((p.x - 1000) * 160, (p.y - 2000) * 120, 1e-6);
        last = s;
    }
}

TEST(Catenary, SagTendsToParabolaForLargeParameter) {
    for (double a : {1e4, 1e5, 1e6}) {
        const CatenarySpan span{0, 0, 10, 0, 100, 10, a, 5};
        CatenaryCurve c;
        ASSERT_EQ(c.Compute(span), kCatenaryOk);
        const double parabola = 100.0 * 100 / (8 * a);
        EXPECT_NEAR((10 - c.lowest.z) / parabola, 1, 1e-4) << a;
    }
}

TEST(Catenary, VertexBeyondTheLowerSupport) {
    // Steep: 100 m up over 50 m with a large parameter puts the vertex before support 1.
    const CatenarySpan span{0, 0, 0, 50, 0, 100, 200, 1};
    CatenaryCurve c;
    ASSERT_EQ(c.Compute(span), kCatenaryOk);
    EXPECT_FALSE(c.lowestInside);
    CatenaryPoint v;
    EXPECT_EQ(c.GetLowestPoint(&v), 1);
    EXPECT_LT(v.x, 0);
    ASSERT_FALSE(c.points.empty());
    for (size_t i = 1; i < c.points.size(); ++i) EXPECT_GT(c.points[i].z, c.points[i - 1].z);
}

TEST(Catenary, SpanShorterThanStepHoldsOnlyTheVertex) {
    const CatenarySpan span{0, 0, 5, 0.5, 0, 5, 10, 1};
    CatenaryCurve c;
    ASSERT_EQ(c.Compute(span), kCatenaryOk);
    ASSERT_EQ(c.points.size(), 1u);
    EXPECT_NEAR(c.points[0].x, 0.25, 1e-12);
    CatenaryPoint p;
    EXPECT_TRUE(c.GetPoint(0, &p));
    EXPECT_FALSE(c.GetPoint(1, &p));
    EXPECT_FALSE(c.GetPoint(-1, &p));
}

TEST(Catenary, RefusedInput) {
    struct Case {
        CatenarySpan span;
        int result;
    } cases[] = {
        {{5, 5, 0, 5, 5, 10, 100, 1}, kCatenaryNoSpan},            // coincident supports
        {{0, 0, 0, 100, 0, 0, 0, 1}, kCatenaryBadParameter},       // a = 0
        {{0, 0, 0, 100, 0, 0, -50, 1}, kCatenaryBadParameter},     // a < 0
        {{0, 0, 0, 100, 0, 0, 0.5, 1}, kCatenaryBadParameter},     // a below 1
        {{0, 0, 0, 100000, 0, 0, 1, 1}, kCatenaryBadParameter},    // cosh overflows
        {{0, 0, 0, 100, 0, 0, NAN, 1}, kCatenaryBadParameter},     // not a number
        {{0, 0, 0, 100, 0, 0, 100, 0}, kCatenaryBadParameter},     // no step
    };
    for (const Case& k : cases) {
        CatenaryCurve c;
        c.points.push_back({1, 2, 3});
        c.length = 7;
        EXPECT_EQ(c.Compute(k.span), k.result) << k.span.a << " " << k.span.x2;
        EXPECT_TRUE(c.points.empty());
        EXPECT_EQ(c.length, 0);
        CatenaryPoint p;
        EXPECT_FALSE(c.GetPoint(0, &p));
    }
}
