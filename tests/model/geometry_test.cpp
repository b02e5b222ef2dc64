#include "model/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Coordinates of the random cases are dyadic (multiples of 1/16), held as integers in
// sixteenths, so that the oracle decides with exact integer arithmetic.
constexpr double kUnit = 16.0;
using Int = __int128;

struct IPoint {
    int64_t x;
    int64_t y;
    double X() const { return x / kUnit; }
    double Y() const { return y / kUnit; }
};

Int Cross(const IPoint& a, const IPoint& b, const IPoint& c) {
    return Int(b.x - a.x) * (c.y - a.y) - Int(b.y - a.y) * (c.x - a.x);
}

int Sign(Int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

long double SegmentDistance(const IPoint& a, const IPoint& b, const IPoint& p) {
    const long double ax = a.X(), ay = a.Y(), bx = b.X(), by = b.Y(), px = p.X(), py = p.Y();
    const long double dx = bx - ax, dy = by - ay;
    long double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

TEST(IntersectLines, MeetsOrReportsParallel) {
    double x = 0, y = 0;
    ASSERT_EQ(IntersectLines(0, 0, 2, 2, 0, 2, 2, 0, &x, &y), 0);
    EXPECT_DOUBLE_EQ(x, 1);
    EXPECT_DOUBLE_EQ(y, 1);

    // Two long, nearly parallel lines: determinant 1000 * 2^-20, still above 1e-6.
    const double rise = std::ldexp(1.0, -20);
    ASSERT_EQ(IntersectLines(0, 0, 1000, 0, 0, 1, 1000, 1 + rise, &x, &y), 0);
    EXPECT_NEAR(x, -1000.0 / rise, 1e-3);
    EXPECT_NEAR(y, 0, 1e-6);

    // Unit-length lines whose determinant is 1e-7: parallel, outputs not written.
    x = y = kNaN;
    EXPECT_EQ(IntersectLines(0, 0, 1, 0, 0, 0, 1, 1e-7, &x, &y), 8);
    EXPECT_TRUE(std::isnan(x) && std::isnan(y));
}

TEST(IntersectSegments, HandChecked) {
    struct Case {
        double x1, y1, x2, y2, x3, y3, x4, y4;
        int unbounded;
        int result, cls;
        double x, y;
    };
    const Case cases[] = {
        {0, 0, 2, 2, 0, 2, 2, 0, 0, 0, 0, 1, 1},          // plain crossing
        {0, 0, 1, 1, 5, 5, 6, 7, 0, 0, 1, 5, 5},          // boxes apart: P3 stays
        {0, 0, 4, 4, 3, 0, 2.5, 0.5, 0, 0, 1, 1.5, 1.5},  // lines meet outside segment 2
        {0, 0, 4, 4, 3, 0, 2.5, 0.5, 1, 0, 0, 1.5, 1.5},  // unbounded: they meet
        {0, 5, 10, 5, 3, 0, 3, 10, 0, 0, 0, 3, 5},        // constant Y against constant X
        {5, 0, 5, 10, 0, 3, 10, 3, 0, 0, 0, 5, 3},        // constant X against constant Y
        {0, 0, 10, 0, 0, 1, 10, 1, 0, 0, 1, 0, 1},        // both along one axis
        {0, 0, 2, 2, 0, 1, 2, 3, 0, 12, 1, 0, 1},         // parallel sloped lines
        {1, 1, 1, 1, 0, 0, 2, 2, 0, 8, 1, 0, 0},          // degenerate segment 1
        {0, 0, 2, 1, 2, 1, 3, 0, 0, 0, 0, 2, 1},          // touching at an end
    };
    for (const Case& c : cases) {
        double x = kNaN, y = kNaN;
        int cls = -1;
        EXPECT_EQ(IntersectSegments(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, c.unbounded,
                                    1e-6, 1e-6, &x, &y, &cls),
                  c.result)
            << c.x3 << "," << c.y3;
        EXPECT_EQ(cls, c.cls) << c.x3 << "," << c.y3;
        EXPECT_NEAR(x, c.x, 1e-9) << c.x3 << "," << c.y3;
        EXPECT_NEAR(y, c.y, 1e-9) << c.x3 << "," << c.y3;
    }
}

// Random segments against an exact orientation oracle, skipping touching and collinear
// configurations and intersections within 1e-3 of a segment end.
TEST(IntersectSegments, AgreesWithExactOracle) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int64_t> coord(-16000, 16000);
    std::uniform_int_distribution<int> pick(0, 9);
    int checkedCrossing = 0, checkedApart = 0, checkedParallel = 0;
    for (int iter = 0; iter < 40000; ++iter) {
        IPoint p1{coord(rng), coord(rng)}, p2{coord(rng), coord(rng)};
        IPoint p3{coord(rng), coord(rng)}, p4{coord(rng), coord(rng)};
        // Shorter second segments near the first one give more crossings.
        if (pick(rng) < 5) {
            p3 = {(p1.x + p2.x) / 2 + coord(rng) / 8, (p1.y + p2.y) / 2 + coord(rng) / 8};
            p4 = {(p1.x + p2.x) / 2 + coord(rng) / 8, (p1.y + p2.y) / 2 + coord(rng) / 8};
        }
        switch (pick(rng)) {
            case 0:
                p2.x = p1.x;
                break;  // axis-parallel segments
            case 1:
                p4.y = p3.y;
                break;
            case 2:
                p2.y = p1.y;
                p4.x = p3.x;
                break;
            case 3:
                p4 = {p3.x + (p1.x - p2.x), p3.y + (p1.y - p2.y)};
                break;  // parallel
            default:
                break;
        }
        if ((p1.x == p2.x && p1.y == p2.y) || (p3.x == p4.x && p3.y == p4.y)) continue;
        const Int o1 = Cross(p1, p2, p3), o2 = Cross(p1, p2, p4);
        const Int o3 = Cross(p3, p4, p1), o4 = Cross(p3, p4, p2);
        if (o1 == 0 || o2 == 0 || o3 == 0 || o4 == 0) continue;
        const Int det = Int(p2.x - p1.x) * (p4.y - p3.y) - Int(p4.x - p3.x) * (p2.y - p1.y);

        double x, y;
        int cls;
        const int rc = IntersectSegments(p1.X(), p1.Y(), p2.X(), p2.Y(), p3.X(), p3.Y(), p4.X(),
                                         p4.Y(), 0, 1e-6, 1e-6, &x, &y, &cls);
        if (det == 0) {
            const bool boxesMeet = std::max(p1.x, p2.x) >= std::min(p3.x, p4.x) &&
                                   std::max(p3.x, p4.x) >= std::min(p1.x, p2.x) &&
                                   std::max(p1.y, p2.y) >= std::min(p3.y, p4.y) &&
                                   std::max(p3.y, p4.y) >= std::min(p1.y, p2.y);
            const bool bothAxis = (p1.x == p2.x && p3.x == p4.x) || (p1.y == p2.y && p3.y == p4.y);
            EXPECT_EQ(rc, boxesMeet && !bothAxis ? 12 : 0) << iter;
            EXPECT_EQ(cls, 1) << iter;
            ++checkedParallel;
            continue;
        }
        // Exact intersection of the lines: P1 + t (P2 - P1), t = cross(P3 - P1, D34) / det.
        const Int tn = Int(p3.x - p1.x) * (p4.y - p3.y) - Int(p3.y - p1.y) * (p4.x - p3.x);
        const long double t = static_cast<long double>(tn) / static_cast<long double>(det);
        const long double ex = p1.X() + t * (p2.X() - p1.X());
        const long double ey = p1.Y() + t * (p2.Y() - p1.Y());
        if (static_cast<long double>(det) / (kUnit * kUnit) < 1.0L &&
            static_cast<long double>(det) / (kUnit * kUnit) > -1.0L)
            continue;  // nearly parallel: the computed point is not accurate to the margin
        auto nearEnds = [&](const IPoint& a, const IPoint& b) {
            const bool useX = std::llabs(b.x - a.x) >= std::llabs(b.y - a.y);
            const long double v = useX ? ex : ey;
            const long double lo = useX ? std::min(a.X(), b.X()) : std::min(a.Y(), b.Y());
            const long double hi = useX ? std::max(a.X(), b.X()) : std::max(a.Y(), b.Y());
            return std::fabs(v - lo) < 1e-3L || std::fabs(v - hi) < 1e-3L;
        };
        if (nearEnds(p1, p2) || nearEnds(p3, p4)) continue;
        const bool crossing = Sign(o1) != Sign(o2) && Sign(o3) != Sign(o4);
        ASSERT_EQ(rc, 0) << iter;
        EXPECT_EQ(cls, crossing ? 0 : 1) << iter;
        if (crossing) {
            EXPECT_NEAR(x, static_cast<double>(ex), 1e-6) << iter;
            EXPECT_NEAR(y, static_cast<double>(ey), 1e-6) << iter;
            ++checkedCrossing;
        } else {
            ++checkedApart;
        }
        // Unbounded lines always meet at the exact point.
        ASSERT_EQ(IntersectSegments(p1.X(), p1.Y(), p2.X(), p2.Y(), p3.X(), p3.Y(), p4.X(), p4.Y(),
                                    1, 1e-6, 1e-6, &x, &y, &cls),
                  0);
        EXPECT_EQ(cls, 0);
        EXPECT_NEAR(x, static_cast<double>(ex), 1e-5 * (1 + std::fabs(static_cast<double>(ex))));
        EXPECT_NEAR(y, static_cast<double>(ey), 1e-5 * (1 + std::fabs(static_cast<double>(ey))));
    }
    // The generator must actually reach every branch of the oracle.
    EXPECT_GT(checkedCrossing, 1000);
    EXPECT_GT(checkedApart, 1000);
    EXPECT_GT(checkedParallel, 100);
}

TEST(AngleAtVertex, TurnsClockwiseOnTheMap) {
    struct Case {
        double x1, y1, x3, y3;  // vertex at the origin
        double signedAngle, fullAngle;
    };
    const Case cases[] = {
        {2, 0, 5, 0, 0, 0},       // P3 on the ray towards P1
        {-1, 0, 3, 0, 180, 180},  // straight through the vertex
        {-1, 0, 0, -1, 90, 90},   // reached from the south, P3 to the west
        {-1, 0, 0, 1, -90, 270},  // ... P3 to the east
        {1, 0, 1, 1, 45, 45},     // from north to north-east
        {1, 0, 1, -1, -45, 315},  // from north to north-west
        {1, 0, -0.5, 0.8660254037844386, 120, 120},
    };
    for (const Case& c : cases) {
        double s = kNaN, f = kNaN;
        ASSERT_EQ(AngleAtVertex(c.x1, c.y1, 0, 0, c.x3, c.y3, 0.001, &s, &f), 0);
        EXPECT_NEAR(s, c.signedAngle, 1e-9) << c.x3 << "," << c.y3;
        EXPECT_NEAR(f, c.fullAngle, 1e-9) << c.x3 << "," << c.y3;
    }
    // Shifting everything to survey-sized coordinates changes nothing.
    double s, f;
    ASSERT_EQ(AngleAtVertex(-35001, 12000, -35000, 12000, -35000, 11999, 0.001, &s, &f), 0);
    EXPECT_NEAR(f, 90, 1e-6);

    s = f = kNaN;
    EXPECT_EQ(AngleAtVertex(0, 0, 0.0005, 0, 3, 3, 0.001, &s, &f), 8);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(f, 0);
}

TEST(PerpendicularFoot, DistanceAndFoot) {
    double d, fx, fy;
    ASSERT_EQ(PerpendicularFoot(0, 0, 10, 0, 3, 4, &d, &fx, &fy), 0);
    EXPECT_DOUBLE_EQ(d, 4);
    EXPECT_DOUBLE_EQ(fx, 3);
    EXPECT_NEAR(fy, 0, 1e-12);
    ASSERT_EQ(PerpendicularFoot(0, 0, 3, 4, 3.1, 0.8, &d, &fx, &fy), 0);
    EXPECT_NEAR(d, 2, 1e-12);
    EXPECT_NEAR(fx, 1.5, 1e-12);
    EXPECT_NEAR(fy, 2, 1e-12);
    EXPECT_EQ(PerpendicularFoot(1, 1, 1, 1 + 1e-7, 3, 4, &d, &fx, &fy), 8);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(fx, 3);
    EXPECT_EQ(fy, 4);
}

TEST(PointSideOfLine, RightIsSideOne) {
    struct Case {
        double x1, y1, x2, y2, px, py, tol;
        int result, side;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 0, 1, 0.001, 0, 1},       // line running north, point east
        {0, 0, 1, 0, 0, -1, 0.001, 0, 2},      // ... point west
        {0, 0, 1, 0, 0, 0.0005, 0.001, 0, 0},  // within the tolerance
        {1, 0, 0, 0, 0, 1, 0.001, 0, 2},       // running south, point east
        {0, 0, 0, 1, -1, 0.5, 0.001, 0, 1},    // running east, point south
        {0, 1, 0, 0, -1, 0.5, 0.001, 0, 2},    // running west, point south
        {0, 0, 1, 1, 1, 0, 0.001, 0, 2},       // running north-east, point north
        {0, 0, 1, 1, 0, 1, 0.001, 0, 1},
        {0, 0, 1e-5, 1e-5, 0, 1, 0.001, 8, 0},  // shorter than 1e-4
        {2, 3, 2, 3, 5, 5, 0.001, 8, 0},        // one point: no direction
    };
    for (const Case& c : cases) {
        int side = -1;
        EXPECT_EQ(PointSideOfLine(c.x1, c.y1, c.x2, c.y2, c.px, c.py, c.tol, &side), c.result)
            << c.x2 << "," << c.y2 << " " << c.px << "," << c.py;
        EXPECT_EQ(side, c.side) << c.x2 << "," << c.y2 << " " << c.px << "," << c.py;
    }
}

// Random lines and points against the exact sign of the cross product. With tolerance 0
// there is no band at all; with 0.25 the cases within 1e-9 of it are skipped.
TEST(PointSideOfLine, AgreesWithExactOracle) {
    std::mt19937 rng(777);
    std::uniform_int_distribution<int64_t> coord(-16000, 16000);
    std::uniform_int_distribution<int> pick(0, 9);
    int counts[3] = {0, 0, 0};
    for (int iter = 0; iter < 40000; ++iter) {
        IPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)}, p{coord(rng), coord(rng)};
        switch (pick(rng)) {
            case 0:
                b.x = a.x;
                break;
            case 1:
                b.y = a.y;
                break;
            case 2:
                p = {a.x + (b.x - a.x) / 4, a.y + (b.y - a.y) / 4};
                break;  // on the line
            case 3:
                p = {a.x + (b.x - a.x) / 4 + pick(rng) - 4, a.y + (b.y - a.y) / 4};
                break;
            default:
                break;
        }
        if (a.x == b.x && a.y == b.y) continue;
        const Int cross = Cross(a, b, p);  // > 0: right of a -> b in the survey frame
        for (double tol : {0.0, 0.25}) {
            const long double len = std::hypot(b.X() - a.X(), b.Y() - a.Y());
            const long double s = static_cast<long double>(cross) / (kUnit * kUnit) / len;
            if (tol > 0 && std::fabs(std::fabs(s) - tol) < 1e-9L) continue;
            const int want = s > tol ? 1 : (s < -tol ? 2 : 0);
            int side = -1;
            ASSERT_EQ(PointSideOfLine(a.X(), a.Y(), b.X(), b.Y(), p.X(), p.Y(), tol, &side), 0);
            EXPECT_EQ(side, want) << iter << " tol " << tol;
            ++counts[want];
        }
    }
    EXPECT_GT(counts[0], 1000);
    EXPECT_GT(counts[1], 1000);
    EXPECT_GT(counts[2], 1000);
}

TEST(PolygonArea, AreaAndOrientation) {
    const double x[] = {0, 0, 1, 1, 0};
    const double y[] = {0, 1, 1, 0, 0};
    double area = kNaN;
    int orientation = -1;
    ASSERT_EQ(PolygonArea(x, y, 5, &area, &orientation), 0);
    EXPECT_DOUBLE_EQ(area, 1);
    EXPECT_EQ(orientation, 0);  // counterclockwise on the map
    const double xr[] = {0, 1, 1, 0, 0};
    const double yr[] = {0, 0, 1, 1, 0};
    ASSERT_EQ(PolygonArea(xr, yr, 5, &area, &orientation), 0);
    EXPECT_DOUBLE_EQ(area, 1);
    EXPECT_EQ(orientation, 1);
    const double xt[] = {0, 0, 3, 0};
    const double yt[] = {0, 4, 0, 0};
    ASSERT_EQ(PolygonArea(xt, yt, 4, &area, &orientation), 0);
    EXPECT_DOUBLE_EQ(area, 6);
    EXPECT_EQ(orientation, 0);

    area = kNaN;
    orientation = -1;
    EXPECT_EQ(PolygonArea(x, y, 3, &area, &orientation), 8);
    EXPECT_EQ(area, 0);
    EXPECT_EQ(orientation, 1);
}

TEST(PointsCoincide, EuclideanWithinTolerance) {
    EXPECT_EQ(PointsCoincide(0, 0, 0.0006, 0.0007, 0.001), 4);
    EXPECT_EQ(PointsCoincide(0, 0, 0.0008, 0.0008, 0.001),
              0);  // each axis within, not the distance
    EXPECT_EQ(PointsCoincide(0, 0, 0.002, 0, 0.001), 0);
    EXPECT_EQ(PointsCoincide(5, 5, 5, 5, 0), 4);
}

TEST(CircleThrough3Points, HandChecked) {
    struct Case {
        double x1, y1, x2, y2, x3, y3;
        int result;
        double cx, cy, r;
    };
    const Case cases[] = {
        {0, 0, 1, 1, 2, 0, 0, 1, 0, 1},
        {0, 0, 0, 2, 1, 1, 0, 0, 1, 1},  // one chord along the Y axis
        {-34950.5, 12000.25, -35000.5, 12050.25, -35030.5, 11960.25, 0, -35000.5, 12000.25, 50},
        {0, 0, 0, 0.0005, 3, 3, 1, 0, 0, 0},  // two points coincide
        {0, 0, 1, 1, 2, 2, 2, 0, 0, 0},       // collinear
        {5, 0, 5, 1, 5, 3, 2, 0, 0, 0},       // collinear on a line of constant X
        {0, 5, 1, 5, 3, 5, 2, 0, 0, 0},       // collinear on a line of constant Y
    };
    for (const Case& c : cases) {
        double cx = kNaN, cy = kNaN, r = kNaN;
        EXPECT_EQ(CircleThrough3Points(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, 0.001, &cx, &cy, &r),
                  c.result)
            << c.x3 << "," << c.y3;
        EXPECT_NEAR(cx, c.cx, 1e-6) << c.x3 << "," << c.y3;
        EXPECT_NEAR(cy, c.cy, 1e-6) << c.x3 << "," << c.y3;
        EXPECT_NEAR(r, c.r, 1e-6) << c.x3 << "," << c.y3;
    }
}

TEST(UnitVector3D, NormalisesOrRejectsShort) {
    Point3D u;
    double len;
    ASSERT_EQ(UnitVector3D({0, 1, 2, 3}, {0, 4, 6, 15}, 1e-4, &u, &len), 0);
    EXPECT_DOUBLE_EQ(len, 13);
    EXPECT_DOUBLE_EQ(u[1], 3.0 / 13);
    EXPECT_DOUBLE_EQ(u[2], 4.0 / 13);
    EXPECT_DOUBLE_EQ(u[3], 12.0 / 13);
    EXPECT_EQ(UnitVector3D({0, 1, 2, 3}, {0, 1, 2, 3.00001}, 1e-4, &u, &len), 8);
    EXPECT_EQ(u, (Point3D{0, 0, 0, 0}));
    EXPECT_EQ(len, 0);
}

TEST(PlaneFrom3Points, ElevationOnThePlaneByAVerticalLine) {
    PointTriple3D t{};
    // Points (0,0,0), (10,0,10), (0,10,0): the plane Z = X.
    const double pts[3][3] = {{0, 0, 0}, {10, 0, 10}, {0, 10, 0}};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 3; ++i) t[i + 1][k + 1] = pts[k][i];
    PlaneCoefficients plane{};
    ASSERT_EQ(PlaneFrom3Points(t, 1e-4, 1e-6, &plane), 0);
    EXPECT_NEAR(plane[1] * plane[1] + plane[2] * plane[2] + plane[3] * plane[3], 1, 1e-12);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(plane[1] * pts[k][0] + plane[2] * pts[k][1] + plane[3] * pts[k][2] + plane[4],
                    0, 1e-12);
    Point3D p;
    ASSERT_EQ(IntersectLinePlane({0, 3, 4, 0}, {0, 3, 4, 5000}, plane, 1e-4, 1e-6, &p), 0);
    EXPECT_NEAR(p[1], 3, 1e-9);
    EXPECT_NEAR(p[2], 4, 1e-9);
    EXPECT_NEAR(p[3], 3, 1e-9);

    // Collinear points: 8, the plane is not written.
    PointTriple3D line{};
    for (int k = 1; k <= 3; ++k) line[1][k] = line[2][k] = line[3][k] = k;
    PlaneCoefficients untouched{0, 7, 7, 7, 7};
    EXPECT_EQ(PlaneFrom3Points(line, 1e-4, 1e-6, &untouched), 8);
    EXPECT_EQ(untouched, (PlaneCoefficients{0, 7, 7, 7, 7}));
}

TEST(IntersectLinePlane, FailureCodes) {
    const PlaneCoefficients level{0, 0, 0, 1, -1};  // Z = 1
    Point3D p{0, 9, 9, 9};
    EXPECT_EQ(IntersectLinePlane({0, 0, 0, 0}, {0, 0, 0, 5}, {0, 1, 1, 0, 0}, 1e-4, 1e-6, &p), 103);
    EXPECT_EQ(p, (Point3D{0, 0, 0, 0}));
    EXPECT_EQ(IntersectLinePlane({0, 0, 0, 0}, {0, 0, 0, 1e-5}, level, 1e-4, 1e-6, &p), 8);
    EXPECT_EQ(IntersectLinePlane({0, 0, 0, 0}, {0, 5, 0, 0}, level, 1e-4, 1e-6, &p), 9);
    ASSERT_EQ(IntersectLinePlane({0, 2, 3, 0}, {0, 2, 3, 5000}, level, 1e-4, 1e-6, &p), 0);
    EXPECT_NEAR(p[3], 1, 1e-9);
}

TEST(MaxOfMinOf, Values) {
    EXPECT_EQ(MaxOf(1, 2), 2);
    EXPECT_EQ(MaxOf(3, -2), 3);
    EXPECT_EQ(MinOf(1, 2), 1);
    EXPECT_EQ(MinOf(3, -2), -2);
    // Equal values give the second argument: visible with signed zeros.
    EXPECT_TRUE(std::signbit(MaxOf(0.0, -0.0)));
    EXPECT_TRUE(std::signbit(MinOf(0.0, -0.0)));
}

TEST(DegreesMinutesSeconds, ConvertsWithCarries) {
    struct Case {
        double in;
        int type;
        double want;
    };
    const Case cases[] = {
        {35.99999, 1, 36.0},  // seconds come to 60 and carry twice
        {-135.3045, 2, -135.5125},
        {10.5, 1, 10.30},
        {-10.5, 1, -10.30},
        {10.1, 1, 10.06},
        {123.456, 1, 123.2722},  // 123 deg 27 min 21.6 s
        {0.0, 1, 0.0},
        {10.30, 2, 10.5},
        {35.5959, 2, 35 + 59 / 60.0 + 59 / 3600.0},
        {35.99999, 2, 36.0},  // prints as 36.0000: the degrees follow the print
        {123456.3000, 2, 123456.5},
        {7.5, 3, 7.5},  // unknown type
    };
    for (const Case& c : cases)
        EXPECT_NEAR(ConvertDegreesDms(c.in, c.type), c.want, 1e-9) << c.in << " type " << c.type;
}

TEST(DegreesMinutesSeconds, WholeSecondsRoundTrip) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> deg(-359, 359), min(0, 59), sec(0, 59);
    for (int i = 0; i < 2000; ++i) {
        const int d = deg(rng), m = min(rng), s = sec(rng);
        const double sign = d < 0 ? -1 : 1;
        const double decimal = sign * (std::abs(d) + m / 60.0 + s / 3600.0);
        const double dms = sign * (std::abs(d) + m / 100.0 + s / 10000.0);
        EXPECT_NEAR(ConvertDegreesDms(decimal, 1), dms, 1e-9) << d << " " << m << " " << s;
        EXPECT_NEAR(ConvertDegreesDms(dms, 2), decimal, 1e-9) << d << " " << m << " " << s;
    }
}

TEST(PointToSegment, ClassesAndTolerance) {
    struct Case {
        double x1, y1, x2, y2, px, py;
        int result, cls;
        double distance, fx, fy;
    };
    const Case cases[] = {
        {0, 0, 10, 0, 4, 3, 0, 2, 3, 4, 0},      {0, 0, 10, 0, 0, 3, 0, 1, 3, 0, 0},
        {0, 0, 10, 0, 12, 3, 0, 0, 3, 12, 0},  // distance to the line, foot beyond the end
        {0, 0, 10, 0, 12, 0, 4, 0, 0, 12, 0},  // on the line beyond the end
        {0, 0, 10, 0, 5, 0, 4, 2, 0, 5, 0},    // on the segment
        {0, 0, 0, 10, 3, 4, 0, 2, 3, 0, 4},    // constant X
        {0, 0, 3, 4, 3.1, 0.8, 0, 2, 2, 1.5, 2}, {0, 0, 3, 4, 4, -3, 0, 1, 5, 0, 0},  // foot at P1
        {0, 0, 3, 4, 6, 8, 4, 0, 0, 6, 8},       // on the line beyond P2
        {1, 1, 1, 1.0005, 5, 5, 8, 0, 0, 5, 5},  // degenerate
    };
    for (const Case& c : cases) {
        double d = kNaN, fx = kNaN, fy = kNaN;
        int cls = -1;
        EXPECT_EQ(PointToSegment(c.x1, c.y1, c.x2, c.y2, c.px, c.py, 0.001, &d, &fx, &fy, &cls),
                  c.result)
            << c.px << "," << c.py;
        EXPECT_EQ(cls, c.cls) << c.px << "," << c.py;
        EXPECT_NEAR(d, c.distance, 1e-12) << c.px << "," << c.py;
        EXPECT_NEAR(fx, c.fx, 1e-12) << c.px << "," << c.py;
        EXPECT_NEAR(fy, c.fy, 1e-12) << c.px << "," << c.py;
    }
}

TEST(OffsetSegment, PositiveMovesLeftOnTheMap) {
    struct Case {
        double x1, y1, x2, y2, d;
        int result;
        double nx1, ny1, nx2, ny2;
    };
    const Case cases[] = {
        {0, 0, 10, 0, 1, 0, 0, -1, 10, -1},  // running north: to the west
        {10, 0, 0, 0, 1, 0, 10, 1, 0, 1},    // running south: to the east
        {0, 0, 0, 10, 1, 0, 1, 0, 1, 10},    // running east: to the north
        {0, 10, 0, 0, 1, 0, -1, 10, -1, 0},  // running west: to the south
        {0, 0, 3, 4, 5, 0, 4, -3, 7, 1},          {0, 0, 3, 4, -5, 0, -4, 3, -1, 7},
        {2, 2, 2, 2.0005, 1, 8, 2, 2, 2, 2.0005},
    };
    for (const Case& c : cases) {
        double a, b, e, f;
        EXPECT_EQ(OffsetSegment(c.x1, c.y1, c.x2, c.y2, c.d, 0.001, &a, &b, &e, &f), c.result);
        EXPECT_NEAR(a, c.nx1, 1e-12) << c.x2 << "," << c.y2 << " d " << c.d;
        EXPECT_NEAR(b, c.ny1, 1e-12) << c.x2 << "," << c.y2 << " d " << c.d;
        EXPECT_NEAR(e, c.nx2, 1e-12) << c.x2 << "," << c.y2 << " d " << c.d;
        EXPECT_NEAR(f, c.ny2, 1e-12) << c.x2 << "," << c.y2 << " d " << c.d;
    }
}

TEST(ClassifyPointInPolygon, HandChecked) {
    // An L: the square 0..10 without its quarter X > 5, Y > 5.
    const double x[] = {0, 10, 10, 5, 5, 0, 0};
    const double y[] = {0, 0, 5, 5, 10, 10, 0};
    struct Case {
        double px, py;
        int result, cls;
    };
    const Case cases[] = {
        {2, 2, 0, 2},     {7, 7, 0, 1},   // inside, in the missing quarter
        {5, 5, 0, 4},     {10, 0, 0, 4},  // vertices
        {7.5, 5, 0, 3},   {0, 3, 0, 3},   // edges
        {100, 100, 0, 1},                 // far outside
        {2, 5, 0, 2},     {5, 2, 0, 2},   // on an edge's line beyond its end, inside
        {7, 10, 0, 1},    {10, 7, 0, 1},  // ... outside
    };
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            int cls = -1;
            EXPECT_EQ(ClassifyPointInPolygon(mode, x, y, 7, c.px, c.py, 1e-6, &cls), c.result)
                << c.px << "," << c.py;
            EXPECT_EQ(cls, c.cls) << c.px << "," << c.py;
        }
    }
    int cls = -1;
    EXPECT_EQ(ClassifyPointInPolygon(0, x, y, 3, 2, 2, 1e-6, &cls), 4);
    EXPECT_EQ(cls, 0);
    EXPECT_EQ(ClassifyPointInPolygon(2, x, y, 7, 2, 2, 1e-6, &cls), 5);
    const double xd[] = {0, 10, 10, 10, 0};  // repeated vertex: a degenerate edge
    const double yd[] = {0, 0, 10, 10, 0};
    EXPECT_EQ(ClassifyPointInPolygon(0, xd, yd, 5, 6, 3, 1e-6, &cls), 12);
}

// Random star-shaped (often concave) polygons against an exact crossing-number oracle;
// points within 1e-3 of the boundary are skipped, edge midpoints and vertices are
// checked on their own.
TEST(ClassifyPointInPolygon, AgreesWithExactOracle) {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> sizes(3, 14);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int64_t> offset(-16000 * 50, 16000 * 50);
    int counts[5] = {0, 0, 0, 0, 0};
    for (int poly = 0; poly < 400; ++poly) {
        const int n = sizes(rng);
        const IPoint centre{offset(rng), offset(rng)};
        std::vector<IPoint> v;
        for (int i = 0; i < n; ++i) {
            const double angle = (i + 0.4 * (unit(rng) - 0.5)) * 2 * M_PI / n;
            const double radius = (20 + 80 * unit(rng)) * kUnit;
            v.push_back({centre.x + std::llround(radius * std::cos(angle)),
                         centre.y + std::llround(radius * std::sin(angle))});
        }
        if (unit(rng) < 0.5) std::reverse(v.begin(), v.end());
        v.push_back(v.front());
        std::vector<double> xs, ys;
        Int twiceArea = 0;
        for (size_t i = 0; i < v.size(); ++i) {
            xs.push_back(v[i].X());
            ys.push_back(v[i].Y());
            if (i + 1 < v.size()) twiceArea += Int(v[i + 1].x - v[i].x) * (v[i].y + v[i + 1].y);
        }
        const int count = static_cast<int>(v.size());

        double area;
        int orientation;
        ASSERT_EQ(PolygonArea(xs.data(), ys.data(), count, &area, &orientation), 0);
        EXPECT_EQ(area, std::fabs(static_cast<double>(twiceArea)) / 2 / (kUnit * kUnit));
        EXPECT_EQ(orientation, twiceArea > 0 ? 0 : 1);

        auto classify = [&](double px, double py) {
            int cls = -1;
            EXPECT_EQ(ClassifyPointInPolygon(0, xs.data(), ys.data(), count, px, py, 1e-6, &cls),
                      0);
            return cls;
        };
        for (int i = 0; i + 1 < count; ++i) {
            EXPECT_EQ(classify(xs[i], ys[i]), 4);
            EXPECT_EQ(classify((xs[i] + xs[i + 1]) / 2, (ys[i] + ys[i + 1]) / 2), 3);
            counts[4]++;
            counts[3]++;
        }
        std::uniform_int_distribution<int64_t> around(-110 * 16, 110 * 16);
        for (int k = 0; k < 200; ++k) {
            const IPoint p{centre.x + around(rng), centre.y + around(rng)};
            bool nearBoundary = false;
            bool inside = false;
            for (int i = 0; i + 1 < count; ++i) {
                const IPoint& a = v[i];
                const IPoint& b = v[i + 1];
                if (SegmentDistance(a, b, p) < 1e-3L) nearBoundary = true;
                // Crossing number along +X: an edge straddling the point's Y, crossed at
                // X beyond the point's X, decided exactly.
                if ((a.y > p.y) != (b.y > p.y)) {
                    const Int lhs = Int(p.x - a.x) * (b.y - a.y);
                    const Int rhs = Int(p.y - a.y) * (b.x - a.x);
                    if ((b.y > a.y) ? lhs < rhs : lhs > rhs) inside = !inside;
                }
            }
            if (nearBoundary) continue;
            const int want = inside ? 2 : 1;
            EXPECT_EQ(classify(p.X(), p.Y()), want) << poly << " " << k;
            counts[want]++;
        }
    }
    EXPECT_GT(counts[1], 1000);
    EXPECT_GT(counts[2], 1000);
}

TEST(TriangleArea, BaseTimesHeight) {
    double area = kNaN;
    ASSERT_EQ(TriangleArea(0, 0, 4, 0, 1, 3, 0.001, &area), 0);
    EXPECT_DOUBLE_EQ(area, 6);
    ASSERT_EQ(TriangleArea(0, 0, 3, 4, 3.1, 0.8, 0.001, &area), 0);
    EXPECT_NEAR(area, 5, 1e-12);
    area = kNaN;
    EXPECT_EQ(TriangleArea(0, 0, 4, 0, 8, 0, 0.001, &area), 8);  // apex on the base line
    EXPECT_EQ(area, 0);
    EXPECT_EQ(TriangleArea(0, 0, 0.0005, 0, 8, 3, 0.001, &area), 8);
}
