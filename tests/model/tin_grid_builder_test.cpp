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
