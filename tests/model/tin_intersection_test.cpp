// Crossings of the TIN's two surfaces: the segment/triangle test against CGAL's exact
// construction, the edge cases of the tolerances, and the surface crossing against a
// plain scan of every edge over every triangle in record order.
#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/intersections.h>

#include <array>
#include <cmath>
#include <tuple>
#include <random>

#include "model/record_block.h"
#include "model/terrain_data.h"
#include "model/tin_intersection.h"
#include "platform/message_box.h"

namespace {
using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;

RandomPoint P(double x, double y, double z) {
    RandomPoint p{};
    p.x = x;
    p.y = y;
    p.z = z;
    return p;
}

Kernel::Point_3 K(const RandomPoint& p) { return {p.x, p.y, p.z}; }

// Barycentric coordinates of the line's crossing with the triangle's plane and the
// segment parameter, in doubles: only used to keep the random cases off the bands where
// the program's tolerances decide.
bool FarFromBands(const RandomPoint& a, const RandomPoint& b, const RandomPoint& c,
                  const RandomPoint& p, const RandomPoint& q) {
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
    const double nn = std::sqrt(nx * nx + ny * ny + nz * nz);
    const double dd = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double den = nx * dx + ny * dy + nz * dz;
    if (std::fabs(den) < 0.05 * nn * dd) return false;
    const double t = (nx * (a.x - p.x) + ny * (a.y - p.y) + nz * (a.z - p.z)) / den;
    if (std::fabs(t) < 0.02 || std::fabs(t - 1) < 0.02) return false;
    const double cx = p.x + t * dx - a.x, cy = p.y + t * dy - a.y, cz = p.z + t * dz - a.z;
    const double uu = ux * ux + uy * uy + uz * uz, uv = ux * vx + uy * vy + uz * vz;
    const double vv = vx * vx + vy * vy + vz * vz;
    const double cu = cx * ux + cy * uy + cz * uz, cv = cx * vx + cy * vy + cz * vz;
    const double det = uu * vv - uv * uv;
    const double s = (vv * cu - uv * cv) / det, r = (uu * cv - uv * cu) / det;
    return std::fabs(s) > 0.02 && std::fabs(r) > 0.02 && std::fabs(1 - s - r) > 0.02;
}

TEST(IntersectTriangles3D, AgreesWithCgalExactIntersection) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> u(-10, 10);
    int hits = 0, compared = 0;
    for (int n = 0; n < 20000 && compared < 4000; ++n) {
        const RandomPoint a = P(u(rng), u(rng), u(rng)), b = P(u(rng), u(rng), u(rng)),
                          c = P(u(rng), u(rng), u(rng)), p = P(u(rng), u(rng), u(rng)),
                          q = P(u(rng), u(rng), u(rng));
        if (!FarFromBands(a, b, c, p, q)) continue;
        ++compared;
        const Kernel::Triangle_3 tri(K(a), K(b), K(c));
        const Kernel::Segment_3 seg(K(p), K(q));
        RandomPoint out{};
        const int32_t got = IntersectTriangles3D(false, a, b, c, p, q, out);
        const auto exact = CGAL::intersection(tri, seg);
        ASSERT_EQ(got == 1, static_cast<bool>(exact)) << n;
        if (!exact) continue;
        const auto* point = boost::get<Kernel::Point_3>(&*exact);
        ASSERT_NE(point, nullptr);
        EXPECT_NEAR(out.x, CGAL::to_double(point->x()), 1e-9);
        EXPECT_NEAR(out.y, CGAL::to_double(point->y()), 1e-9);
        EXPECT_NEAR(out.z, CGAL::to_double(point->z()), 1e-9);
        ++hits;
    }
    EXPECT_GT(compared, 3000);
    EXPECT_GT(hits, 100);
}

TEST(IntersectTriangles3D, ToleranceCases) {
    const RandomPoint a = P(0, 0, 0), b = P(10, 0, 0), c = P(0, 10, 0);
    struct Case { const char* what; RandomPoint p, q; bool unbounded; int32_t want; };
    const Case cases[] = {
        {"through the inside", P(2, 2, -1), P(2, 2, 1), false, 1},
        {"on a triangle side: the area excess is 0", P(5, 0, -1), P(5, 0, 1), false, 1},
        {"segment end on a vertex", P(0, 0, 0), P(1, 1, 5), false, 0},
        {"segment end within 0.001 of a vertex", P(10.0005, 0, 0.0005), P(3, 3, 5), false, 0},
        {"segment in the triangle's plane", P(-1, 1, 0), P(5, 1, 0), false, 0},
        {"short of the plane", P(2, 2, 1), P(2, 2, 3), false, 0},
        {"short of the plane, unbounded", P(2, 2, 1), P(2, 2, 3), true, 1},
        {"outside the triangle", P(8, 8, -1), P(8, 8, 1), false, 0},
    };
    for (const Case& k : cases) {
        RandomPoint out = P(9, 9, 9);
        EXPECT_EQ(IntersectTriangles3D(k.unbounded, a, b, c, k.p, k.q, out), k.want) << k.what;
        if (k.want) {
            EXPECT_EQ(out.z, 0) << k.what;
        }
    }
}

// A lattice TIN of z = f(x, y) over [x0, x0 + n*s]^2, every triangle held by its three
// records; hole = true writes the first end points negative (the second surface).
template <typename F>
void AddLattice(int n, double x0, double s, bool hole, F f) {
    const int32_t base = g_pointCount;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const double x = x0 + i * s, y = x0 + j * s;
            g_points[++g_pointCount] = P(x, y, f(x, y));
            g_points[g_pointCount].flags = kPointFlagRectSelected;
        }
    auto id = [&](int i, int j) { return base + 1 + j * (n + 1) + i; };
    auto tri = [&](int32_t a, int32_t b, int32_t c) {
        const int32_t sign = hole ? -1 : 1;
        for (auto [u, v, w] : {std::tuple{a, b, c}, std::tuple{b, c, a}, std::tuple{c, a, b}})
            g_tinEdges[++g_tinEdgeCount] = TinEdge{sign * u, v, kNoApex, w, 0};
    };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            // Counterclockwise on the map with X north and Y east: (x, y) -> (x, y+s) -> (x+s, y).
            tri(id(i, j), id(i, j + 1), id(i + 1, j));
            tri(id(i + 1, j), id(i, j + 1), id(i + 1, j + 1));
        }
}

void Reset(int32_t points, int32_t edges) {
    InitDataModel();
    g_pointCapacity = points + 10;
    g_tinEdgeCapacity = edges + 10;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    ClearRecordedMessages();
}

// The crossings the plain scan finds: every edge over every triangle of the other
// surface in record order, the first hit, then the pairwise duplicate marking.
std::vector<RandomPoint> PlainScan() {
    std::vector<RandomPoint> found;
    auto abs = [](int32_t v) { return v < 0 ? -v : v; };
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& r = g_tinEdges[e];
        for (int32_t t = 1; t <= g_tinEdgeCount; ++t) {
            const TinEdge& s = g_tinEdges[t];
            if ((t - 1) % 3 != 0 || (s.a < 0) == (r.a < 0)) continue;  // one record per triangle
            RandomPoint c;
            if (IntersectTriangles3D(false, g_points[abs(s.a)], g_points[s.b], g_points[s.apexSearch],
                                     g_points[abs(r.a)], g_points[r.b], c)) {
                found.push_back(c);
                break;
            }
        }
    }
    std::vector<bool> dup(found.size());
    for (size_t k = 0; k < found.size(); ++k) {
        if (dup[k]) continue;
        for (size_t j = 0; j < found.size(); ++j)
            if (j != k && std::fabs(found[j].x - found[k].x) < 0.001 &&
                std::fabs(found[j].y - found[k].y) < 0.001 && std::fabs(found[j].z - found[k].z) < 0.001)
                dup[j] = true;
    }
    std::vector<RandomPoint> kept;
    for (size_t k = 0; k < found.size(); ++k)
        if (!dup[k]) kept.push_back(found[k]);
    return kept;
}

TEST(CalcTinIntersections, VerticalTriangleThroughASquare) {
    Reset(10, 20);
    for (auto [x, y] : {std::pair{0.0, 0.0}, {0.0, 10.0}, {10.0, 10.0}, {10.0, 0.0}}) {
        g_points[++g_pointCount] = P(x, y, 0);
    }
    // Two triangles sharing the diagonal 1-3; the diagonal's two records give one point.
    for (auto [a, b, c] : {std::tuple{1, 2, 3}, std::tuple{1, 3, 4}})
        for (auto [u, v, w] : {std::tuple{a, b, c}, std::tuple{b, c, a}, std::tuple{c, a, b}})
            g_tinEdges[++g_tinEdgeCount] = TinEdge{u, v, kNoApex, w, 0};
    g_points[++g_pointCount] = P(2, 5, -5);
    g_points[++g_pointCount] = P(5, 5, 5);
    g_points[++g_pointCount] = P(8, 5, -5);
    for (auto [u, v, w] : {std::tuple{5, 6, 7}, std::tuple{6, 7, 5}, std::tuple{7, 5, 6}})
        g_tinEdges[++g_tinEdgeCount] = TinEdge{-u, v, kNoApex, w, 0};
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].flags = kPointFlagRectSelected;

    ASSERT_EQ(CalcTinIntersections(), 3);
    std::vector<std::array<double, 3>> got;
    for (const RandomPoint& r : g_intersectionResults) got.push_back({r.x, r.y, r.z});
    std::sort(got.begin(), got.end());
    const std::vector<std::array<double, 3>> want{{3.5, 5, 0}, {5, 5, 0}, {6.5, 5, 0}};
    ASSERT_EQ(got.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k)
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(got[k][a], want[k][a], 1e-12);
    EXPECT_TRUE(RecordedMessages().empty());

    // Without the hole surface among the selection there is nothing to cross.
    for (int32_t i = 5; i <= 7; ++i) g_points[i].flags = 0;
    EXPECT_EQ(CalcTinIntersections(), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "交差点はありません");
}

TEST(CalcTinIntersections, IndexGivesThePlainScansPointsInOrder) {
    Reset(2 * 23 * 23, 2 * 6 * 22 * 22);
    AddLattice(22, 0, 1.0, false, [](double x, double y) { return std::sin(x * 0.4) + 0.3 * y * 0.1; });
    AddLattice(22, 0.37, 0.97, true, [](double x, double y) { return std::cos(y * 0.3) + 0.05 * x; });
    const std::vector<RandomPoint> want = PlainScan();
    ASSERT_GT(want.size(), 50u);
    ASSERT_EQ(CalcTinIntersections(), static_cast<int32_t>(want.size()));
    for (size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(g_intersectionResults[k].x, want[k].x) << k;
        EXPECT_EQ(g_intersectionResults[k].y, want[k].y) << k;
        EXPECT_EQ(g_intersectionResults[k].z, want[k].z) << k;
    }
}

TEST(CalcTinIntersections, SelectionLimit) {
    Reset(kMaxIntersectionPoints + 1, 0);
    for (int32_t i = 1; i <= kMaxIntersectionPoints + 1; ++i) {
        g_points[i] = P(i, 0, 0);
        g_points[i].flags = kPointFlagRectSelected;
    }
    g_pointCount = kMaxIntersectionPoints + 1;
    EXPECT_EQ(CalcTinIntersections(), -1);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("100000"), std::string::npos);
    ClearRecordedMessages();
    g_pointCount = kMaxIntersectionPoints;
    EXPECT_EQ(CalcTinIntersections(), 0);  // computed: no TIN, so no crossing
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "交差点はありません");
}

}  // namespace
