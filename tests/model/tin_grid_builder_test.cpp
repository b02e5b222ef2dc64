#include <gtest/gtest.h>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "tin_test_support.h"

using namespace tintest;

namespace {

class TinGridBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetHeadlessKeyDown('Q', false);
        SetHeadlessKeyDown(key::kMouseLeft, false);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        InjectAllocationFailures(-1, 0);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

// Random points in [0, size)^2 plus a square outline just outside them.
void RandomSquare(int32_t n, uint32_t seed, double size = 1000.0) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, size);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng), 0.0);
    const int32_t c1 = AddPoint(-1, -1), c2 = AddPoint(-1, size + 1), c3 = AddPoint(size + 1, size + 1),
                  c4 = AddPoint(size + 1, -1);
    SetOutline({c1, c2, c3, c4});
}

void PrepareAndBuild() {
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
}

void ExpectDelaunay(const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(c.notLocallyDelaunay, 0);
    EXPECT_NEAR(c.area, OutlineArea(), 1e-9 * OutlineArea());
    const std::vector<int32_t> inside = PointsInsideByCgal();
    const int32_t boundary = g_outline.Count();
    EXPECT_EQ(c.triangles, 2 * (static_cast<int32_t>(inside.size()) - boundary) + boundary - 2);
    EXPECT_TRUE(CgalOutlineEdges(inside) == TinEdgeSet());
}

}  // namespace

TEST_F(TinGridBuilderTest, RandomPointsInASquareGiveTheDelaunayTriangulation) {
    for (int32_t n : {1000, 10000}) {
        InitDataModel();
        RandomSquare(n, 17 + n);
        PrepareAndBuild();
        ExpectDelaunay(n == 1000 ? "1k" : "10k");
    }
}

namespace {
// A star-shaped polygon of m vertices around (500, 500) with radii in [0.3, 1] x 450,
// listed in the given turning sense, and n random points over its box.
void RandomStarOutline(int32_t n, int32_t m, uint32_t seed, bool counterclockwiseOnMap) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> angles(m);
    for (double& a : angles) a = u(rng) * 2 * M_PI;
    std::sort(angles.begin(), angles.end());
    if (!counterclockwiseOnMap) std::reverse(angles.begin(), angles.end());
    std::vector<int32_t> ring;
    for (double a : angles) {
        const double r = 450.0 * (0.3 + 0.7 * u(rng));
        // Map angle: east (Y) is the first axis, north (X) the second.
        ring.push_back(AddPoint(500 + r * std::sin(a), 500 + r * std::cos(a)));
    }
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng) * 1000, u(rng) * 1000);
    SetOutline(ring);
}
}  // namespace

TEST_F(TinGridBuilderTest, NonConvexOutlinesGiveTheConstrainedDelaunayTriangulation) {
    struct Case {
        int32_t points, vertices;
        uint32_t seed;
        bool counterclockwise;
    };
    const Case cases[] = {{1000, 12, 1, true}, {1000, 40, 2, false}, {10000, 25, 3, true}, {10000, 200, 4, false}};
    for (const Case& c : cases) {
        InitDataModel();
        RandomStarOutline(c.points, c.vertices, c.seed, c.counterclockwise);
        PrepareAndBuild();
        for (auto& m : RecordedMessages()) printf("MSG %s\n", m.text.c_str());
        if (LastTinBuildResult() != TinBuildResult::kComplete) {
            TinCheck k = CheckTin();
            printf("open %d bad %d dup %d nld %d count %d\n", k.openRecords, k.badTurns, k.duplicateEdges, k.notLocallyDelaunay, g_tinEdgeCount);
            for (int i = 1; i <= g_outline.Count(); ++i) { int p = g_outline[i]; if (p==4179-0 || i < 0) printf("v%d\n", i);} 
        }
        ExpectDelaunay(("seed " + std::to_string(c.seed)).c_str());
    }
}

TEST_F(TinGridBuilderTest, DISABLED_Stress) {
    int failures = 0;
    for (uint32_t seed = 100; seed < 400; ++seed) {
        InitDataModel();
        ClearRecordedMessages();
        const int32_t n = seed % 3 == 0 ? 10000 : 2000;
        const int32_t m = 5 + (seed * 7919) % 300;
        RandomStarOutline(n, m, seed, seed % 2);
        PrepareAndBuild();
        const TinCheck k = CheckTin();
        bool ok = LastTinBuildResult() == TinBuildResult::kComplete && k.openRecords == 0 && k.badTurns == 0 &&
                  k.duplicateEdges == 0 && k.notLocallyDelaunay == 0;
        if (ok) ok = CgalOutlineEdges(PointsInsideByCgal()) == TinEdgeSet();
        if (!ok) {
            ++failures;
            printf("seed %u n %d m %d result %d open %d bad %d dup %d nld %d msgs %zu\n", seed, n, m,
                   (int)LastTinBuildResult(), k.openRecords, k.badTurns, k.duplicateEdges, k.notLocallyDelaunay,
                   RecordedMessages().size());
        }
    }
    EXPECT_EQ(failures, 0);
}
