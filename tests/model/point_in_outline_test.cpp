#include <gtest/gtest.h>

#include "model/point_in_outline.h"
#include "tin_cgal_support.h"

using namespace tintest;

namespace {

class PointInOutline : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override { ReleaseDataModel(); }
};

// Crossing-test segments (Y, X of the start, Y, X of the end) of the outline as it is.
std::vector<double> OutlineSegments() {
    std::vector<double> s;
    const int32_t n = g_outline.Count();
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint& a = g_points[g_outline[i]];
        const RandomPoint& b = g_points[g_outline[i % n + 1]];
        s.insert(s.end(), {a.y, a.x, b.y, b.x});
    }
    return s;
}

int Crossing(double x, double y) {
    const std::vector<double> s = OutlineSegments();
    return PointInPolygonCrossing(s.data(), x, y, static_cast<int32_t>(s.size() / 4));
}

// A star-shaped polygon around (500, 500) whose radii vary between 0.25 and 1 x 480:
// deep notches, listed either way round.
std::vector<int32_t> StarPolygon(std::mt19937_64& rng, int32_t m, bool counterclockwise) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> angles(m);
    for (double& a : angles) a = u(rng) * 2 * M_PI;
    std::sort(angles.begin(), angles.end());
    if (!counterclockwise) std::reverse(angles.begin(), angles.end());
    std::vector<int32_t> ring;
    for (double a : angles) {
        const double r = 480.0 * (0.25 + 0.75 * u(rng));
        ring.push_back(AddPoint(500 + r * std::sin(a), 500 + r * std::cos(a)));
    }
    return ring;
}

double DistanceToOutline(int32_t p) {
    const double px = g_points[p].x, py = g_points[p].y;
    double best = 1e300;
    const int32_t n = g_outline.Count();
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint& a = g_points[g_outline[i]];
        const RandomPoint& b = g_points[g_outline[i % n + 1]];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        best = std::min(best, std::hypot(px - a.x - t * dx, py - a.y - t * dy));
    }
    return best;
}

}  // namespace

TEST_F(PointInOutline, ASquareListedClockwiseOnTheMapIsReversedFirst) {
    // North-east-south-west corners: up, right, down on the map is clockwise there.
    const int32_t a = AddPoint(0, 0), b = AddPoint(10, 0), c = AddPoint(10, 10), d = AddPoint(0, 10);
    SetOutline({a, b, c, d});
    EXPECT_EQ(Crossing(5, 5), 1) << "the wrong way round the sum is -4";
    OrientPolygonClockwise(g_outline);
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_EQ(g_outline[1], d);
    EXPECT_EQ(g_outline[2], c);
    EXPECT_EQ(g_outline[3], b);
    EXPECT_EQ(g_outline[4], a);
    EXPECT_EQ(g_outline[5], d);
    EXPECT_EQ(Crossing(5, 5), 0);
    // Already right: left alone.
    OrientPolygonClockwise(g_outline);
    EXPECT_EQ(g_outline[1], d);
    EXPECT_EQ(g_outline[4], a);
}

TEST_F(PointInOutline, CrossingTestOnSidesVerticesAndThroughVertices) {
    // A diamond: a point level with its east and west corners crosses through both.
    const int32_t s = AddPoint(0, 5), e = AddPoint(5, 10), n = AddPoint(10, 5), w = AddPoint(5, 0);
    SetOutline({s, e, n, w});
    OrientPolygonClockwise(g_outline);
    struct Case {
        double x, y;
        int want;
    };
    const Case cases[] = {
        {5, 5, 0},       // through two vertices with half weights
        {5, 1, 0},       // level with a vertex, near it
        {2.5, 2.5, 1},   // on a side
        {0, 5, 1},       // on a vertex
        {5, 10, 1},      // on a vertex level with the centre
        {5, 11, 1},      // level with vertices, outside
        {9, 5.5, 0},     // near the north corner
        {9.9, 6, 1},     // outside beside it
    };
    for (const Case& c : cases) EXPECT_EQ(Crossing(c.x, c.y), c.want) << c.x << ", " << c.y;
    EXPECT_EQ(PointInPolygonCrossing(nullptr, 5, 5, 0), 1);
}

TEST_F(PointInOutline, GridAndRasterAgreeWithAnIndependentTestOnNonConvexPolygons) {
    std::mt19937_64 rng(4242);
    std::uniform_real_distribution<double> u(-20.0, 1020.0);
    for (int32_t round = 0; round < 6; ++round) {
        InitDataModel();
        const std::vector<int32_t> ring = StarPolygon(rng, 8 + round * 40, round % 2 == 0);
        SetOutline(ring);
        OrientPolygonClockwise(g_outline);
        const int32_t first = g_pointCount + 1;
        for (int32_t i = 0; i < 4000; ++i) AddPoint(u(rng), u(rng));
        // Points level with vertices and on the classifier's grid lines.
        for (int32_t v : ring) AddPoint(g_points[v].x, u(rng));
        for (int32_t k = 0; k <= 40; ++k) AddPoint(500.0 + (k - 20) * 24.0, u(rng));

        MarkPointsOutsideOutline(g_outline);
        std::vector<int8_t> grid(g_pointCount + 1);
        for (int32_t p = 1; p <= g_pointCount; ++p) grid[p] = g_points[p].outside;
        MarkPointsInPolygonRaster(g_outline, 0);
        std::vector<int8_t> raster(g_pointCount + 1);
        for (int32_t p = 1; p <= g_pointCount; ++p) raster[p] = g_points[p].outside;
        for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].hidden = 9;
        MarkPointsInPolygonRaster(g_outline, 1);

        const std::vector<Point> poly = OutlinePolygon();
        // Points on a side within the duplicate tolerance are on the outline, so inside it.
        const std::vector<int32_t> ringWithSidePoints = OutlineRing();
        const std::set<int32_t> onSide(ringWithSidePoints.begin(), ringWithSidePoints.end());
        int32_t checked = 0;
        for (int32_t p = first; p <= g_pointCount; ++p) {
            if (DistanceToOutline(p) <= 1e-6) continue;
            const int8_t exact = CGAL::bounded_side_2(poly.begin(), poly.end(), MapPoint(p),
                                                      Kernel()) == CGAL::ON_BOUNDED_SIDE
                                     ? 0
                                     : 1;
            const int8_t want = onSide.count(p) ? 0 : exact;
            ASSERT_EQ(grid[p], want) << "grid, round " << round << ", point " << p;
            ASSERT_EQ(raster[p], want) << "raster, round " << round << ", point " << p;
            ASSERT_EQ(g_points[p].hidden, exact)
                << "raster mode 1, round " << round << ", point " << p;
            ++checked;
        }
        EXPECT_GT(checked, 4000);
        for (int32_t v : ring) {
            EXPECT_EQ(grid[v], 0) << "outline vertices count as inside";
            EXPECT_EQ(raster[v], 0);
        }
    }
}

TEST_F(PointInOutline, RasterLeavesPointsNearASideToTheExactTest) {
    // A 1000 m square: a raster pixel is about a metre.
    const int32_t a = AddPoint(0, 0), b = AddPoint(0, 1000), c = AddPoint(1000, 1000), d = AddPoint(1000, 0);
    SetOutline({a, b, c, d});
    OrientPolygonClockwise(g_outline);
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> along(1.0, 999.0), off(-2.0, 2.0);
    const int32_t first = g_pointCount + 1;
    for (int32_t i = 0; i < 2000; ++i) {
        const double t = along(rng), o = off(rng);
        switch (i % 4) {
            case 0: AddPoint(o, t); break;
            case 1: AddPoint(1000 + o, t); break;
            case 2: AddPoint(t, o); break;
            default: AddPoint(t, 1000 + o); break;
        }
    }
    AddPoint(0.3, 500);    // a third of a pixel inside
    AddPoint(-0.3, 500);   // a third of a pixel outside
    MarkPointsInPolygonRaster(g_outline, 0);
    for (int32_t p = first; p <= g_pointCount; ++p) {
        const RandomPoint& pt = g_points[p];
        if (std::min({std::fabs(pt.x), std::fabs(pt.y), std::fabs(1000 - pt.x), std::fabs(1000 - pt.y)}) <= 1e-6)
            continue;
        // Within the duplicate tolerance of a side a point is on the outline, so inside it.
        const bool onSide = std::min({std::fabs(pt.x), std::fabs(pt.y), std::fabs(1000 - pt.x),
                                      std::fabs(1000 - pt.y)}) <= g_dupTolerance;
        const int8_t want = onSide || (pt.x > 0 && pt.x < 1000 && pt.y > 0 && pt.y < 1000) ? 0 : 1;
        ASSERT_EQ(pt.outside, want) << pt.x << ", " << pt.y;
    }
}

TEST_F(PointInOutline, GridBoxCellsInvalidPointsAndShortPolygons) {
    const int32_t a = AddPoint(0, 0), b = AddPoint(0, 100), c = AddPoint(100, 100), d = AddPoint(100, 0);
    SetOutline({a, b, c, d});
    OrientPolygonClockwise(g_outline);
    const int32_t inside = AddPoint(50, 25);
    const int32_t farAway = AddPoint(5000, 5000);
    const int32_t nearOutside = AddPoint(100.5, 50);  // outside the outline, inside the widened box
    const int32_t invalid = AddPoint(50, 50);
    g_points[invalid].invalid = 1;
    g_points[invalid].outside = 5;
    g_points[farAway].multiUse = 77;

    // Fewer than three vertices change nothing.
    IndexList& two = g_pickList;
    two.Append(a);
    two.Append(b);
    MarkPointsOutsideOutline(two);
    MarkPointsInPolygonRaster(two, 0);
    EXPECT_EQ(g_points[farAway].outside, 0);
    EXPECT_EQ(g_points[farAway].multiUse, 77);

    MarkPointsOutsideOutline(g_outline);
    EXPECT_EQ(g_points[inside].outside, 0);
    EXPECT_EQ(g_points[farAway].outside, 1);
    EXPECT_EQ(g_points[farAway].multiUse, -1);
    EXPECT_EQ(g_points[nearOutside].outside, 1);
    EXPECT_EQ(g_points[invalid].outside, 5) << "invalid points inside the box keep their byte";
    EXPECT_EQ(g_points[invalid].multiUse, -1);
    // Box -1 .. 101.1 on both axes, 40 cells of 2.553 m: X 50 is row 19, Y 25 column 10.
    EXPECT_EQ(g_points[inside].multiUse, 10 + 41 * 19);
}

TEST(BitRasterTest, FloodFillStopsAtDiagonalWalls) {
    BitRaster raster(64, 64);
    const double xs[] = {32, 60, 32, 4, 32};
    const double ys[] = {4, 32, 60, 32, 4};
    for (int k = 0; k < 4; ++k) raster.DrawSegment(xs[k], ys[k], xs[k + 1], ys[k + 1], 0.01);
    raster.FloodFill(0, 0);
    EXPECT_FALSE(raster.Get(32, 32));
    EXPECT_FALSE(raster.Get(32, 8));
    EXPECT_TRUE(raster.Get(1, 1));
    EXPECT_TRUE(raster.Get(62, 62));
    EXPECT_TRUE(raster.Get(-1, 5)) << "outside the raster reads as set";
}
