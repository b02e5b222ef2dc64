#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/progress.h"
#include "platform/input.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_tin.h"
#include "volume_test_support.h"

using namespace voltest;

namespace {

class MeshFromTin : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        SetLongLoopPollInterval(0);
    }
    void TearDown() override {
        SetHeadlessPumpCallback({});
        SetHeadlessKeyDown(kStopKey, false);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

void SetMesh(double x0, double y0, double rotation, double length, double width, double pl, double pw) {
    g_meshOriginX = x0;
    g_meshOriginY = y0;
    g_meshRotation = rotation;
    g_meshLength = length;
    g_meshWidth = width;
    g_meshPitchLength = pl;
    g_meshPitchWidth = pw;
    g_meshAreaDefined = 1;
}

const MeshNode& Node(int32_t c, int32_t r) { return g_meshNodes.Data()[MeshNodeNumber(c, r)]; }

// Two triangles over the square (x0, y0) .. (x0 + size, y0 + size) with z = plane(x, y).
void MakeSquareTin(double x0, double y0, double size, const std::function<double(double, double)>& plane) {
    const double xs[4] = {x0, x0 + size, x0 + size, x0}, ys[4] = {y0, y0, y0 + size, y0 + size};
    int32_t p[4];
    for (int k = 0; k < 4; ++k) p[k] = AddPoint(xs[k], ys[k], plane(xs[k], ys[k]));
    SetTin({{p[0], p[1], p[2]}, {p[0], p[2], p[3]}});
}

TEST_F(MeshFromTin, PlanarTinGivesThePlaneRoundedToThreeDecimals) {
    auto plane = [](double x, double y) { return 100.1234567 + 0.0123 * x - 0.0456 * y; };
    struct Case {
        double rotation;
        int32_t lattice;
    } const cases[] = {{0, 0}, {30, 0}, {90, 0}, {211, 0}, {0, 1}, {30, 1}};
    for (const Case& k : cases) {
        InitDataModel();
        MakeSquareTin(-1000, -1000, 2000, plane);
        SetMesh(10, -20, k.rotation, 100, 60, 20, 20);
        ASSERT_EQ(CalcMeshFromTin(kMissingGiven, -9, 0, k.lattice), 0);
        EXPECT_EQ(g_meshElevationsDone, 1);
        const double f = k.lattice ? std::sqrt(0.75) : 1;
        EXPECT_EQ(g_meshColumns, k.lattice ? 6 : 6);
        EXPECT_EQ(g_meshRows, 4);
        const MeshFrame frame = CurrentMeshFrame();
        for (int32_t r = 1; r <= g_meshRows; ++r)
            for (int32_t c = 1; c <= g_meshColumns; ++c) {
                const MeshNode& n = Node(c, r);
                const double b = (r - 1) * 20 + (k.lattice && c % 2 == 0 ? 10 : 0);
                double x, y;
                frame.ToMap((c - 1) * 20 * f, b, &x, &y);
                ASSERT_NEAR(n.x, x, 1e-9);
                ASSERT_NEAR(n.y, y, 1e-9);
                EXPECT_EQ(n.column, c);
                EXPECT_EQ(n.row, r);
                char text[32];
                std::snprintf(text, sizeof text, "%.3lf", plane(x, y));
                if (b > 60) {  // a shifted column's last node lies past the width
                    EXPECT_EQ(n.valid, 0);
                    EXPECT_EQ(n.z, -9);
                } else {
                    EXPECT_EQ(n.valid, 1) << k.rotation << " " << c << "," << r;
                    EXPECT_EQ(n.z, std::atof(text)) << k.rotation << " " << c << "," << r;
                }
            }
        if (k.lattice) {
            EXPECT_NEAR(std::hypot(Node(3, 1).x - Node(1, 1).x, Node(3, 1).y - Node(1, 1).y), 34.6410, 1e-4);
            EXPECT_NEAR(std::hypot(Node(2, 1).x - Node(1, 1).x, Node(2, 1).y - Node(1, 1).y), 20.0, 1e-9);
        }
    }
}

TEST_F(MeshFromTin, LatticeColumnsLieSqrtThreeQuartersOfAPitchApart) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 5; });
    SetMesh(0, 0, 0, 100, 60, 20, 20);
    ASSERT_EQ(CalcMeshFromTin(kMissingGiven, 0, 0, 1), 0);
    EXPECT_EQ(g_meshColumns, 6);  // 100 / 17.3205 = 5.77
    EXPECT_NEAR(Node(2, 1).x - Node(1, 1).x, 17.3205, 1e-4);
    EXPECT_NEAR(Node(2, 1).y - Node(1, 1).y, 10, 1e-9);
}

TEST_F(MeshFromTin, StoredElevationIsRoundedThroughPrintf) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 12.3456; });
    SetMesh(0, 0, 0, 40, 40, 20, 20);
    ASSERT_EQ(CalcMeshFromTin(kMissingLowest, 0, 0, 0), 0);
    EXPECT_EQ(Node(2, 2).z, 12.346);
    EXPECT_EQ(RoundMeshElevation(-0.0004), -0.0);
    EXPECT_EQ(RoundMeshElevation(1.0625), 1.062);  // an exact tie goes to the even digit
}

TEST_F(MeshFromTin, MissingNodesTakeThePolicyValue) {
    // The TIN covers a = 0..50 of a 100 m mesh; elevations rise to the north.
    auto plane = [](double x, double) { return 10 + x / 10; };
    struct Case {
        int32_t policy;
        double given;
        bool covered;
        double expected;
    } const cases[] = {
        {kMissingLowest, 99, true, 10},   {kMissingHighest, -99, true, 15},
        {kMissingGiven, 7.25, true, 7.25}, {0, 7.25, true, 7.25},  // any other policy: the value
        {kMissingLowest, 3.5, false, 3.5}, {kMissingHighest, 3.5, false, 3.5},
    };
    for (const Case& k : cases) {
        InitDataModel();
        if (k.covered) {
            MakeSquareTin(-0.5, -0.5, 50.5, plane);
        } else {
            MakeSquareTin(500, 500, 50, plane);
        }
        SetMesh(0, 0, 0, 100, 40, 10, 20);
        ASSERT_EQ(CalcMeshFromTin(k.policy, k.given, 0, 0), 0);
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            const MeshNode& n = Node(c, 2);
            const bool inside = k.covered && (c - 1) * 10 <= 50;
            EXPECT_EQ(n.valid, inside ? 1 : 0) << c;
            EXPECT_EQ(n.z, inside ? plane(n.x, n.y) : k.expected) << "policy " << k.policy << " column " << c;
        }
        EXPECT_EQ(g_meshElevationsDone, 1);
    }
}

TEST_F(MeshFromTin, CalculationRangeMakesCoveredNodesMissing) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 5; });
    SetMesh(0, 0, 0, 40, 40, 20, 20);
    // A range of the south-west quarter of the mesh (20 x 20 m), closed.
    const double ring[5][2] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {0, 0}};
    for (int k = 0; k < 5; ++k) g_meshAreaPolygon[k + 1] = {ring[k][0], ring[k][1], 0, 0, 0};
    g_meshAreaPolygonCount = 5;
    ASSERT_EQ(CalcMeshFromTin(kMissingGiven, -1, 0, 0), 0);
    EXPECT_EQ(Node(1, 1).valid, 1);
    EXPECT_EQ(Node(2, 2).valid, 1);  // on the range's corner
    EXPECT_EQ(Node(3, 3).valid, 0);
    EXPECT_EQ(Node(3, 3).z, -1);
    EXPECT_EQ(Node(1, 3).valid, 0);
}

// Random TINs (CGAL's Delaunay triangulation of random points) against a brute-force scan
// of every triangle: the raster rejects no covered node, the bucket search finds the
// covering triangle's elevation, and every uncovered node is missing.
TEST_F(MeshFromTin, BucketsAndRasterAgreeWithABruteForceScan) {
    using K = CGAL::Exact_predicates_inexact_constructions_kernel;
    using Dt = CGAL::Delaunay_triangulation_2<K>;
    std::mt19937 rng(20261211);
    for (int round = 0; round < 12; ++round) {
        InitDataModel();
        std::uniform_real_distribution<double> coord(0, 400), height(50, 80);
        std::vector<std::pair<K::Point_2, int32_t>> pts;
        // Points in a disc, so the TIN's outline cuts through the mesh.
        while (pts.size() < 300) {
            const double x = coord(rng), y = coord(rng);
            if (std::hypot(x - 200, y - 200) > 180) continue;
            pts.push_back({K::Point_2(x, y), AddPoint(x, y, height(rng))});
        }
        Dt dt;
        std::map<K::Point_2, int32_t> ids;
        for (auto& p : pts) ids[p.first] = p.second, dt.insert(p.first);
        std::vector<std::array<int32_t, 3>> tris;
        for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f)
            tris.push_back({ids[f->vertex(0)->point()], ids[f->vertex(1)->point()], ids[f->vertex(2)->point()]});
        SetTin(tris);

        // The mesh turned round the disc's centre, a little larger than the disc.
        std::uniform_real_distribution<double> rot(0, 360);
        SetMesh(0, 0, rot(rng), 390, 370, 7.5 + round, 6 + round);
        double cx, cy;
        CurrentMeshFrame().ToMap(195, 185, &cx, &cy);
        g_meshOriginX = 200 - cx;
        g_meshOriginY = 200 - cy;
        const int32_t lattice = round % 3 == 2;
        ASSERT_EQ(CalcMeshFromTin(kMissingGiven, -1, 0, lattice), 0);

        std::vector<uint8_t> mask, raster((g_meshColumns + 2) * (g_meshRows + 1));
        ASSERT_TRUE(BuildMeshTriangleMask(&mask));
        MarkOutsideNodes(mask, raster, g_meshRows + 1, g_meshColumns + 1, lattice);
        std::vector<MeshBucket> buckets;
        std::vector<int32_t> list;
        BuildMeshTriangleBuckets(buckets, list, mask);

        int covered = 0;
        for (int32_t r = 1; r <= g_meshRows; ++r)
            for (int32_t c = 1; c <= g_meshColumns; ++c) {
                const MeshNode& n = Node(c, r);
                bool inside = false;
                double z = 0;
                // A shifted lattice column's node past the width is outside the raster.
                const bool reached = (r - 1) * g_meshPitchWidth + (lattice && c % 2 == 0 ? g_meshPitchWidth / 2 : 0) <=
                                     g_meshWidth;
                for (const auto& t : tris) {
                    if (!reached) break;
                    const RandomPoint &p = g_points[t[0]], &q = g_points[t[1]], &s = g_points[t[2]];
                    const double d = (q.x - p.x) * (s.y - p.y) - (s.x - p.x) * (q.y - p.y);
                    const double u = ((n.x - p.x) * (s.y - p.y) - (s.x - p.x) * (n.y - p.y)) / d;
                    const double v = ((q.x - p.x) * (n.y - p.y) - (n.x - p.x) * (q.y - p.y)) / d;
                    if (u >= -1e-12 && v >= -1e-12 && u + v <= 1 + 1e-12) {
                        inside = true;
                        z = p.z + u * (q.z - p.z) + v * (s.z - p.z);
                        break;
                    }
                }
                covered += inside;
                ASSERT_EQ(n.valid, inside ? 1 : 0) << "round " << round << " node " << c << "," << r;
                if (inside) {
                    EXPECT_NEAR(n.z, z, 0.0005 + 1e-9);
                    EXPECT_EQ(raster[c * (g_meshRows + 1) + r], 1);
                    double zb = 0, zf = 0;
                    ResetMeshLastHit();
                    ASSERT_NE(FindTinElevationInBuckets(buckets, list, mask, n.x, n.y, &zb), 0);
                    ASSERT_NE(FindTinElevation(n.x, n.y, &zf), 0);
                    EXPECT_NEAR(zb, zf, 1e-9);
                }
            }
        EXPECT_GT(covered, 100);
    }
}

TEST_F(MeshFromTin, CullingDropsOnlyTrianglesWhollyBeyondOneSide) {
    // Mesh rectangle 0..100 north, 0..60 east, turned by 90 degrees round (0, 0): it then
    // covers x 0..60, y -100..0.
    SetMesh(0, 0, 90, 100, 60, 20, 20);
    struct Case {
        const char* what;
        double v[3][2];
        bool kept;
    } const cases[] = {
        {"inside", {{10, -10}, {20, -10}, {10, -20}}, true},
        {"beyond the east side", {{10, 5}, {20, 5}, {10, 15}}, false},
        {"beyond the south side", {{-5, -10}, {-15, -10}, {-5, -20}}, false},
        {"across a side", {{-5, -10}, {15, -10}, {-5, -20}}, true},
        // Outside two sides, but not wholly beyond either: it stays.
        {"round a corner", {{-5, 10}, {30, 10}, {-5, -30}}, true},
        {"beyond the corner", {{-5, 5}, {-15, 5}, {-5, 15}}, false},
    };
    for (const Case& k : cases) {
        InitDataModel();
        SetMesh(0, 0, 90, 100, 60, 20, 20);
        SetTin({{AddPoint(k.v[0][0], k.v[0][1], 0), AddPoint(k.v[1][0], k.v[1][1], 0),
                 AddPoint(k.v[2][0], k.v[2][1], 0)}});
        std::vector<uint8_t> mask;
        ASSERT_TRUE(BuildMeshTriangleMask(&mask));
        int before = 0, after = 0;
        for (uint8_t m : mask) before += m;
        CullTrianglesOutsideMeshArea(mask);
        for (uint8_t m : mask) after += m;
        EXPECT_EQ(before, 1) << k.what;
        EXPECT_EQ(after, k.kept ? 1 : 0) << k.what;
    }
}

TEST_F(MeshFromTin, FindTinElevationTakesTheFirstRecordAndNothingOutside) {
    MakeSquareTin(0, 0, 10, [](double x, double y) { return x + 2 * y; });
    double z = -1;
    struct Case {
        double x, y;
        bool found;
        double z;
    } const cases[] = {
        {2, 3, true, 8}, {5, 5, true, 15},  // on the shared diagonal
        {0, 0, true, 0}, {10, 10, true, 30}, {10.001, 5, false, 0}, {-3, 4, false, 0},
    };
    for (const Case& k : cases) {
        z = -1;
        const int32_t record = FindTinElevation(k.x, k.y, &z);
        EXPECT_EQ(record != 0, k.found) << k.x << "," << k.y;
        if (k.found) {
            EXPECT_NEAR(z, k.z, 1e-9);
        }
    }
}

TEST_F(MeshFromTin, StopWithQLeavesTheRestClearedAndElevationsNotDone) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 5; });
    SetMesh(0, 0, 0, 100, 100, 20, 20);
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        if (++pumps == 3) SetHeadlessKeyDown(kStopKey, true);  // during row 3
    });
    QueueMessageAnswer(msg::kIdYes);
    g_meshElevationsDone = g_meshVolumeDone = 1;  // of an earlier run
    EXPECT_EQ(CalcMeshFromTin(kMissingGiven, 42, 1, 0), -1);
    EXPECT_EQ(g_meshElevationsDone, 0);
    EXPECT_EQ(g_meshVolumeDone, 0);  // the cells' cut and fill are gone with the old nodes
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, kMeshStopQuestion);
    EXPECT_EQ(Node(3, 2).valid, 1);
    EXPECT_EQ(Node(3, 2).z, 5);
    EXPECT_EQ(Node(3, 3).valid, 0);
    EXPECT_EQ(Node(3, 3).z, 0);  // no policy applied
    EXPECT_EQ(Node(3, 3).x, 0);
    EXPECT_EQ(g_outlineCrossingCount, 0);
}

TEST_F(MeshFromTin, DecliningTheStopQuestionGoesOn) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 5; });
    SetMesh(0, 0, 0, 100, 100, 20, 20);
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        if (++pumps == 2) SetHeadlessKeyDown(kStopKey, true);
    });
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(CalcMeshFromTin(kMissingGiven, 42, 0, 0), 0);
    EXPECT_EQ(g_meshElevationsDone, 1);
    EXPECT_EQ(Node(6, 6).z, 5);
}

TEST_F(MeshFromTin, MemoryFailureKeepsTheMeshAndSaysSo) {
    MakeSquareTin(-50, -50, 300, [](double, double) { return 5; });
    SetMesh(0, 0, 0, 100, 60, 20, 20);
    ASSERT_EQ(CalcMeshFromTin(kMissingGiven, 0, 0, 0), 0);
    g_meshPitchLength = g_meshPitchWidth = 1;
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(CalcMeshFromTin(kMissingGiven, 0, 0, 0), -1);
    EXPECT_EQ(g_meshColumns, 6);
    EXPECT_EQ(g_meshRows, 4);
    EXPECT_EQ(g_meshNodeCount, 24);
    EXPECT_EQ(g_meshElevationsDone, 1);
    EXPECT_EQ(Node(6, 4).z, 5);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, kMeshMemoryMessage);
}

}  // namespace
