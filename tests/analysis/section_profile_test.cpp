#include "analysis/section_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../section/section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class SectionProfileTest : public SectionFixture {};

double Plane(double x, double y) { return 100 + 0.05 * x - 0.02 * y; }

// The crossing of segment p-q with segment a-b, worked out here on its own.
bool SegmentCross(double px, double py, double qx, double qy, double ax, double ay, double bx, double by, double* t,
                  double* x, double* y) {
    const double d = (qx - px) * (by - ay) - (qy - py) * (bx - ax);
    if (std::fabs(d) < 1e-12) return false;
    const double s = ((ax - px) * (by - ay) - (ay - py) * (bx - ax)) / d;
    const double u = ((ax - px) * (qy - py) - (ay - py) * (qx - px)) / d;
    if (s < 0 || s > 1 || u < 0 || u > 1) return false;
    *t = s, *x = px + s * (qx - px), *y = py + s * (qy - py);
    return true;
}

TEST_F(SectionProfileTest, OneTriangleInSegmentForm) {
    // z = x over the triangle (0,0) (10,0) (0,10).
    const int32_t a = AddPoint(0, 0, 0), b = AddPoint(10, 0, 10), c = AddPoint(0, 10, 0);
    AddTriangle(a, b, c);
    CutTinProfile(-5, 2, 20, 2, 0);
    ASSERT_EQ(g_profile.right.count, 2);
    EXPECT_EQ(g_profile.left.count, -2);
    EXPECT_DOUBLE_EQ(g_profile.x, -5);
    // Near end (x = 0) first, far end on the hypotenuse x + y = 10.
    EXPECT_NEAR(g_profile.right.x[1], 0, 1e-12);
    EXPECT_NEAR(g_profile.right.dist[1], 5, 1e-12);
    EXPECT_NEAR(g_profile.right.x[2], 8, 1e-12);
    EXPECT_NEAR(g_profile.right.z[2], 8, 1e-12);
    EXPECT_NEAR(g_profile.right.dist[2], 13, 1e-12);
    // Both entries hold the same piece.
    EXPECT_NEAR(g_profile.left.x[1], 8, 1e-12);
    EXPECT_NEAR(g_profile.left.x[2], 0, 1e-12);

    // A line that starts and ends inside: the ends are the line's, heights on the plane.
    CutTinProfile(1, 1, 3, 3, 0);
    ASSERT_EQ(g_profile.right.count, 2);
    EXPECT_NEAR(g_profile.right.x[1], 1, 1e-12);
    EXPECT_NEAR(g_profile.right.z[1], 1, 1e-12);
    EXPECT_NEAR(g_profile.right.x[2], 3, 1e-12);
    EXPECT_NEAR(g_profile.right.z[2], 3, 1e-12);

    // Refused: a line shorter than 0.00001, and a line that misses.
    CutTinProfile(1, 1, 1.000001, 1, 0);
    EXPECT_EQ(g_profile.right.count, 0);
    CutTinProfile(20, 20, 30, 30, 0);
    EXPECT_EQ(g_profile.right.count, 0);
    EXPECT_EQ(g_profile.left.count, 0);
}

TEST_F(SectionProfileTest, EdgeAlongTheLineOnceAndNoTinyPieces) {
    BuildGrid(10, 10, Plane);
    std::vector<CrossingSegment> s(kMaxCrossingSegments + 1);
    // Along the grid line y = 50: each of its ten edges once, though two triangles share it.
    ASSERT_EQ(FindTinEdgeCrossings(-1, 50, 101, 50, s.data()), 10);
    double length = 0;
    for (int32_t k = 1; k <= 10; ++k) {
        EXPECT_NEAR(s[k].y1, 50, 1e-12);
        EXPECT_NEAR(s[k].y2, 50, 1e-12);
        length += std::fabs(s[k].x2 - s[k].x1);
    }
    EXPECT_NEAR(length, 100, 1e-9);
    // Through grid vertices on a diagonal: no piece shorter than 0.00001.
    const int32_t n = FindTinEdgeCrossings(-5, 105, 105, -5, s.data());
    ASSERT_GT(n, 0);
    for (int32_t k = 1; k <= n; ++k)
        EXPECT_GE(std::fabs(s[k].x2 - s[k].x1) + std::fabs(s[k].y2 - s[k].y1) + std::fabs(s[k].z2 - s[k].z1), 0.00001);
}

// A grid TIN of a plane: every TIN edge the line crosses appears as a piece end, exactly
// where the test's own segment intersection puts it, and every end lies on the plane.
TEST_F(SectionProfileTest, PlaneCrossingsMatchSegmentIntersections) {
    BuildGrid(10, 10, Plane);
    const double x1 = 3.3, y1 = -7, x2 = 91, y2 = 104;
    CutTinProfile(x1, y1, x2, y2, 0);
    const int32_t n = g_profile.right.count;
    ASSERT_GT(n, 10);
    std::vector<double> ends;
    for (int32_t k = 1; k <= n; ++k)
        for (const ProfileSide* s : {&g_profile.left, &g_profile.right}) {
            EXPECT_NEAR(s->z[k], Plane(s->x[k], s->y[k]), 1e-9);
            ends.push_back(s->dist[k]);
        }
    const double len = std::hypot(x2 - x1, y2 - y1);
    int32_t crossings = 0;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const RandomPoint &p = g_points[std::abs(g_tinEdges[e].a)], &q = g_points[std::abs(g_tinEdges[e].b)];
        double t, x, y;
        if (!SegmentCross(x1, y1, x2, y2, p.x, p.y, q.x, q.y, &t, &x, &y)) continue;
        ++crossings;
        bool found = false;
        for (double d : ends) found = found || std::fabs(d - t * len) < 1e-9;
        EXPECT_TRUE(found) << "crossing at " << t * len;
    }
    EXPECT_GT(crossings, 10);

    // Chain form: one ordered polyline from start to end on the plane.
    g_profile.height = Plane(x1, y1);
    CutTinProfile(x1, y1, x2, y2, 1);
    const ProfileSide& r = g_profile.right;
    ASSERT_GT(r.count, 10);
    for (int32_t k = 1; k <= r.count; ++k) {
        EXPECT_NEAR(r.z[k], Plane(r.x[k], r.y[k]), 1e-9);
        if (k > 1) {
            EXPECT_GT(r.dist[k], r.dist[k - 1]);
        }
    }
    // The line leaves the TIN at y = 100.
    EXPECT_NEAR(r.dist[r.count], len * 107 / 111, 1e-9);
    EXPECT_NEAR(r.y[r.count], 100, 1e-9);
}

TEST_F(SectionProfileTest, BandPointsAtStartEndAndHalfWidth) {
    g_sectionBandWidth = 2.0;
    AddPoint(0, 0, 1, "S");           // at the start
    AddPoint(10, 1.0, 2, "W");        // exactly half the width away
    AddPoint(20, 0, 3, "E");          // at the end
    AddPoint(5, -1.0001, 9, "OUT");   // just outside
    const int32_t inv = AddPoint(15, 0.5, 4, "INV");
    g_points[inv].invalid = 1;        // taken all the same
    CollectBandPoints(0, 0, 20, 0);
    ASSERT_EQ(g_profile.right.count, 4);
    const double want[] = {0, 10, 15, 20};
    for (int32_t k = 1; k <= 4; ++k) EXPECT_DOUBLE_EQ(g_profile.right.dist[k], want[k - 1]) << k;

    // Too few points: no profile.
    InitDataModel();
    AddPoint(0, 0, 0);
    AddPoint(5, 0, 0);
    CollectBandPoints(0, 0, 20, 0);
    EXPECT_EQ(g_profile.right.count, 0);
}

TEST_F(SectionProfileTest, BandChainWithoutConnectAllStopsAtTheFarEnd) {
    g_sectionBandWidth = 10;
    g_bandAlignWithHeight = 0;
    AddPoint(0, 0, 0);
    AddPoint(9, 0, 0);
    AddPoint(2, 0, 0);
    AddPoint(10, 0, 0);  // far end; nearest to 9
    AddPoint(3, 0, 0);
    g_bandConnectAll = 0;
    CollectBandPoints(0, 0, 10, 0);
    // 0, 2, 3, then 9's nearest... the chain from 3 goes to 9 (not the end), then the end.
    ASSERT_EQ(g_profile.right.count, 5);
    g_points[2].x = 9.9;  // now the end point (10) is nearer to 3's successor chain early
    CollectBandPoints(0, 0, 10, 0);
    EXPECT_DOUBLE_EQ(g_profile.right.dist[g_profile.right.count], 10);
    g_bandConnectAll = 1;
    CollectBandPoints(0, 0, 10, 0);
    ASSERT_EQ(g_profile.right.count, 5);
    EXPECT_DOUBLE_EQ(g_profile.right.dist[5], 10);
}

}  // namespace
