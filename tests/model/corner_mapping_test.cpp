#include "model/corner_mapping.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Point {
    double x, y;
};
struct Quad {
    const char* name;
    Point p1, p2, p3, p4;  // image (0,1), (1,1), (0,0), (1,0)
};

CornerMapping Make(const Quad& q) {
    CornerMapping m;
    m.SetCornerMapping(q.p1.x, q.p1.y, q.p2.x, q.p2.y, q.p3.x, q.p3.y, q.p4.x, q.p4.y);
    return m;
}

Point Map(const CornerMapping& m, double u, double v) {
    Point p;
    m.ImageToGround(u, v, p.x, p.y);
    return p;
}

double Cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Intersection of the lines a-b and c-d, by Cramer's rule.
Point Intersect(Point a, Point b, Point c, Point d) {
    const double den = (b.x - a.x) * (d.y - c.y) - (b.y - a.y) * (d.x - c.x);
    const double t = ((c.x - a.x) * (d.y - c.y) - (c.y - a.y) * (d.x - c.x)) / den;
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

void ExpectCorners(const CornerMapping& m, const Quad& q, double tolerance) {
    const struct {
        double u, v;
        Point want;
    } corners[] = {{0, 0, q.p3}, {1, 0, q.p4}, {0, 1, q.p1}, {1, 1, q.p2}};
    for (const auto& c : corners) {
        const Point got = Map(m, c.u, c.v);
        EXPECT_NEAR(got.x, c.want.x, tolerance) << q.name << " (" << c.u << ", " << c.v << ")";
        EXPECT_NEAR(got.y, c.want.y, tolerance) << q.name << " (" << c.u << ", " << c.v << ")";
    }
}

void ExpectInverseExact(const CornerMapping& m, const char* name) {
    // Also a little outside the square, this side of the horizon.
    for (double u = -0.125; u <= 1.25; u += 0.125) {
        for (double v = -0.125; v <= 1.25; v += 0.125) {
            const Point g = Map(m, u, v);
            double gotU = NAN, gotV = NAN;
            ASSERT_TRUE(m.GroundToImage(g.x, g.y, gotU, gotV)) << name;
            EXPECT_NEAR(gotU, u, 1e-9) << name << " " << u << " " << v;
            EXPECT_NEAR(gotV, v, 1e-9) << name << " " << u << " " << v;
        }
    }
}

// Quadrilaterals in survey coordinates (X north, Y east), corners P1 to P4.
const Quad kConvex[] = {
    {"kite-like", {100, 0}, {120, 90}, {0, 10}, {-10, 80}},
    {"skewed",
     {-35210.5, 12004.0},
     {-35190.25, 12110.75},
     {-35320.0, 12020.5},
     {-35305.5, 12098.0}},
    {"strong perspective", {0, -60}, {8, 50}, {-100, -300}, {-90, 310}},
    {"clockwise", {0, 80}, {0, 0}, {-60, 100}, {-50, -10}},
};
}  // namespace

TEST(CornerMapping, RectangleIsAffineAndExactAtTheCorners) {
    const Quad rectangles[] = {
        {"axis-aligned", {10, 0}, {10, 20}, {0, 0}, {0, 20}},
        {"rotated, far from the origin",
         {-35200.0 + 60 * 0.6, 12000.0 + 60 * 0.8},
         {-35200.0 + 60 * 0.6 + 30 * 0.8, 12000.0 + 60 * 0.8 - 30 * 0.6},
         {-35200.0, 12000.0},
         {-35200.0 + 30 * 0.8, 12000.0 - 30 * 0.6}},
    };
    for (const Quad& q : rectangles) {
        const CornerMapping m = Make(q);
        EXPECT_EQ(m.m_kind, 0) << q.name;
        ExpectCorners(m, q, 1e-9);
        const Point centre = Map(m, 0.5, 0.5);
        EXPECT_NEAR(centre.x, (q.p1.x + q.p4.x) / 2, 1e-9);
        EXPECT_NEAR(centre.y, (q.p1.y + q.p4.y) / 2, 1e-9);
        ExpectInverseExact(m, q.name);
    }
}

TEST(CornerMapping, NearParallelogramStaysAffineAndIgnoresP2) {
    // P2 off by 2e-10 relative: within the 1e-8 length tolerance.
    const Quad q = {"almost", {100, 0}, {100 + 2e-8, 50}, {0, 0}, {0, 50}};
    const CornerMapping m = Make(q);
    EXPECT_EQ(m.m_kind, 0);
    const Point p2 = Map(m, 1, 1);
    EXPECT_EQ(p2.x, 100.0);  // P4 + P1 - P3, not P2
    EXPECT_EQ(p2.y, 50.0);

    // A tenth of a millimetre on 50 m is a perspective.
    const Quad off = {"off", {100, 0}, {100.0001, 50}, {0, 0}, {0, 50}};
    EXPECT_EQ(Make(off).m_kind, 1);
}

TEST(CornerMapping, TrapezoidMapsItsMidlineParallelAndNearerTheShortSide) {
    // P1P2 (north, 100 m) parallel to and longer than P3P4 (south, 40 m).
    const Quad q = {"trapezoid", {80, -50}, {80, 50}, {0, -20}, {0, 20}};
    const CornerMapping m = Make(q);
    EXPECT_EQ(m.m_kind, 1);
    EXPECT_EQ(m.m_trapezoid, 1);
    ExpectCorners(m, q, 1e-9);
    const Point a = Map(m, 0.0, 0.5), b = Map(m, 0.3, 0.5), c = Map(m, 1.0, 0.5);
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.x, c.x, 1e-9);
    EXPECT_LT(a.x, 40.0);  // nearer the short side
    // Perspective: the midline divides the height as the side lengths do, 40 : 100.
    EXPECT_NEAR(a.x, 80.0 * 40.0 / 140.0, 1e-9);
    ExpectInverseExact(m, q.name);
}

TEST(CornerMapping, GeneralQuadrilateralIsAPerspective) {
    for (const Quad& q : kConvex) {
        const CornerMapping m = Make(q);
        EXPECT_EQ(m.m_kind, 1) << q.name;
        EXPECT_EQ(m.m_trapezoid, 0) << q.name;
        ExpectCorners(m, q, 1e-8);

        // The centre of the square is where its diagonals cross; so on the ground.
        const Point centre = Map(m, 0.5, 0.5);
        const Point want = Intersect(q.p3, q.p2, q.p4, q.p1);
        EXPECT_NEAR(centre.x, want.x, 1e-8) << q.name;
        EXPECT_NEAR(centre.y, want.y, 1e-8) << q.name;

        // Straight image lines stay straight: any line, also beyond the square.
        const struct {
            double u0, v0, du, dv;
        } lines[] = {{0.3, -0.2, 0, 1}, {-0.1, 0.7, 1, 0}, {0, 0.1, 1, 0.8}, {1.2, 0, -1, 1}};
        for (const auto& l : lines) {
            const Point s = Map(m, l.u0, l.v0);
            const Point e = Map(m, l.u0 + 1.3 * l.du, l.v0 + 1.3 * l.dv);
            const double length = std::hypot(e.x - s.x, e.y - s.y);
            for (double t = 0.1; t < 1.3; t += 0.2) {
                const Point p = Map(m, l.u0 + t * l.du, l.v0 + t * l.dv);
                EXPECT_NEAR(Cross(s, e, p) / length, 0.0, 1e-8) << q.name << " t " << t;
            }
        }
        ExpectInverseExact(m, q.name);
    }
}

TEST(CornerMapping, BeyondTheHorizonStaysFinite) {
    // The sides meet 250 m north of P3P4, on the ground horizon; the image horizon is the
    // line v = -1.5, and image positions past it are floored.
    const Quad q = {"converging", {100, -60}, {100, 60}, {0, -100}, {0, 100}};
    const CornerMapping m = Make(q);
    ASSERT_EQ(m.m_kind, 1);
    const Point far = Map(m, 0.5, -5.0);
    EXPECT_TRUE(std::isfinite(far.x) && std::isfinite(far.y));

    // A ground point behind the horizon is taken just to its image side.
    double u = NAN, v = NAN;
    ASSERT_TRUE(m.GroundToImage(400.0, 0.0, u, v));
    EXPECT_TRUE(std::isfinite(u) && std::isfinite(v));
    EXPECT_GT(v, 1e4);
}

TEST(CornerMapping, DegenerateCornersGiveNoNaN) {
    const Quad cases[] = {
        {"one point", {5, 5}, {5, 5}, {5, 5}, {5, 5}},
        {"collinear", {0, 0}, {10, 10}, {20, 20}, {40, 40}},
        {"triangle", {10, 0}, {10, 0}, {0, 0}, {0, 10}},
    };
    for (const Quad& q : cases) {
        const CornerMapping m = Make(q);
        for (double u : {0.0, 0.5, 1.0}) {
            const Point p = Map(m, u, 0.5);
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << q.name;
        }
        double gu = 0.25, gv = 0.75;
        if (!m.GroundToImage(3.0, 4.0, gu, gv)) {
            EXPECT_EQ(gu, 0.25) << q.name;
            EXPECT_EQ(gv, 0.75) << q.name;
        } else {
            EXPECT_TRUE(std::isfinite(gu) && std::isfinite(gv)) << q.name;
        }
    }
}
