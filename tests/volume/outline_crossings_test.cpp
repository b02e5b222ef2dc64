#include <gtest/gtest.h>

#include <cmath>

#include "model/record_block.h"
#include "volume/mesh_data.h"
#include "volume/outline_crossings.h"
#include "volume_test_support.h"

using namespace voltest;

namespace {

class OutlineCrossings : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        // A 40 x 40 m mesh at the origin, pitch 20: row and column lines at 0, 20 and 40.
        g_meshLength = g_meshWidth = 40;
        g_meshPitchLength = g_meshPitchWidth = 20;
        ASSERT_EQ(PrepareMeshNodeBlock(3, 3), 0);
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

void SetOutline(std::initializer_list<std::array<double, 3>> vertices) {
    g_outline.Reset();
    for (const auto& v : vertices) g_outline.Append(AddPoint(v[0], v[1], v[2]));
    g_outline.Close();
}

struct Entry {
    double x, y, z, distance;
    int32_t column, row, vertexClass;
};

void ExpectEntries(const std::vector<Entry>& expected) {
    ASSERT_EQ(g_outlineCrossingCount, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const OutlineCrossing& e = g_outlineCrossings.Data()[i + 1];
        const Entry& w = expected[i];
        EXPECT_NEAR(e.x, w.x, 1e-9) << "entry " << i + 1;
        EXPECT_NEAR(e.y, w.y, 1e-9) << "entry " << i + 1;
        EXPECT_NEAR(e.z, w.z, 1e-9) << "entry " << i + 1;
        EXPECT_EQ(e.planZ, e.z) << "entry " << i + 1;
        EXPECT_NEAR(e.distance, w.distance, 1e-9) << "entry " << i + 1;
        EXPECT_EQ(e.column, w.column) << "entry " << i + 1;
        EXPECT_EQ(e.row, w.row) << "entry " << i + 1;
        EXPECT_EQ(e.vertexClass, w.vertexClass) << "entry " << i + 1;
    }
    // The entry past the count closes the ring.
    const OutlineCrossing& closing = g_outlineCrossings.Data()[g_outlineCrossingCount + 1];
    EXPECT_EQ(closing.x, g_outlineCrossings.Data()[1].x);
    EXPECT_EQ(closing.y, g_outlineCrossings.Data()[1].y);
}

TEST_F(OutlineCrossings, VerticesThenCrossingsWithKeysAndElevations) {
    SetOutline({{{10, 10, 1}}, {{30, 10, 3}}, {{30, 30, 5}}, {{10, 30, 7}}});
    ASSERT_EQ(CalcOutlineMeshCrossings(), 0);
    ExpectEntries({
        {10, 10, 1, 0, 1, 1, 2},
        {20, 10, 2, 10, 2, -1, 0},  // column line 2, inside cell row 1
        {30, 10, 3, 0, 2, 1, 2},
        {30, 20, 4, 10, -2, 2, 0},  // row line 2, inside cell column 2
        {30, 30, 5, 0, 2, 2, 2},
        {20, 30, 6, 10, 2, -2, 0},
        {10, 30, 7, 0, 1, 2, 2},
        {10, 20, 4, 10, -1, 2, 0},
    });
    // The plan painter's lookups.
    EXPECT_EQ(FindOutlineCrossing(2, -2).entry, 4);
    EXPECT_EQ(FindOutlineCrossing(-2, 2).entry, 6);
}

TEST_F(OutlineCrossings, RotatedFrameGivesTheSameKeys) {
    g_meshRotation = 90;  // the length axis points west: frame (a, b) is map (b, -a)
    g_meshOriginX = 100;
    g_meshOriginY = 50;
    SetOutline({{{110, 40, 1}}, {{110, 20, 3}}, {{130, 20, 5}}, {{130, 40, 7}}});
    ASSERT_EQ(CalcOutlineMeshCrossings(), 0);
    ASSERT_EQ(g_outlineCrossingCount, 8);
    const OutlineCrossing* e = g_outlineCrossings.Data();
    EXPECT_EQ(e[1].column, 1);
    EXPECT_EQ(e[1].row, 1);
    EXPECT_NEAR(e[2].y, 30, 1e-9);  // column line 2 at a = 20
    EXPECT_EQ(e[2].column, 2);
    EXPECT_EQ(e[2].row, -1);
}

TEST_F(OutlineCrossings, CrossingOnANodeGivesARowAndAColumnEntry) {
    SetOutline({{{10, 10, 0}}, {{30, 30, 0}}, {{25, 35, 0}}, {{5, 15, 0}}});
    ASSERT_EQ(CalcOutlineMeshCrossings(), 0);
    const OutlineCrossing* e = g_outlineCrossings.Data();
    ASSERT_GE(g_outlineCrossingCount, 3);
    EXPECT_EQ(e[1].vertexClass, 2);
    EXPECT_NEAR(e[2].x, 20, 1e-9);
    EXPECT_NEAR(e[3].x, 20, 1e-9);
    EXPECT_NEAR(e[2].distance, std::sqrt(200.0), 1e-9);
    EXPECT_EQ(e[2].distance, e[3].distance);
    EXPECT_EQ(e[2].row * e[2].column, -4);  // (2, -2) and (-2, 2) in either order
    EXPECT_EQ(e[3].row * e[3].column, -4);
    EXPECT_NE(e[2].row, e[3].row);
}

TEST_F(OutlineCrossings, CalculationRangeDropsOutsideCrossingsAndKeysOutsideVertices) {
    const double ring[5][2] = {{0, 0}, {20, 0}, {20, 40}, {0, 40}, {0, 0}};
    for (int k = 0; k < 5; ++k) g_meshAreaPolygon[k + 1] = {ring[k][0], ring[k][1], 0, 0, 0};
    g_meshAreaPolygonCount = 5;
    SetOutline({{{10, 10, 1}}, {{30, 10, 3}}, {{30, 30, 5}}, {{10, 30, 7}}});
    ASSERT_EQ(CalcOutlineMeshCrossings(), 0);
    ExpectEntries({
        {10, 10, 1, 0, 1, 1, 2},
        {20, 10, 2, 10, 2, -1, 0},  // on the range's edge: kept
        {30, 10, 3, 0, 0, 0, 1},    // outside: no keys
        {30, 30, 5, 0, 0, 0, 1},    // the crossing at (30, 20) lies outside: dropped
        {20, 30, 6, 10, 2, -2, 0},
        {10, 30, 7, 0, 1, 2, 2},
        {10, 20, 4, 10, -1, 2, 0},
    });
}

TEST_F(OutlineCrossings, ShortOutlineAndMemoryFailures) {
    SetOutline({{{10, 10, 1}}, {{30, 10, 3}}, {{30, 30, 5}}});
    EXPECT_EQ(CalcOutlineMeshCrossings(), kOutlineTooShort);
    EXPECT_EQ(g_outlineCrossingCount, 0);

    SetOutline({{{10, 10, 1}}, {{30, 10, 3}}, {{30, 30, 5}}, {{10, 30, 7}}});
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(CalcOutlineMeshCrossings(), kOutlineCrossingsNoMemory);
    EXPECT_EQ(g_outlineCrossingCount, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周とメッシュ交点データ用メモリが確保できませんでした。");

    // A fine mesh: the list must grow past its first 16 entries, and that growth fails.
    ClearRecordedMessages();
    g_meshPitchLength = g_meshPitchWidth = 1;
    ASSERT_EQ(PrepareMeshNodeBlock(41, 41), 0);
    InjectAllocationFailures(1, 1);
    EXPECT_EQ(CalcOutlineMeshCrossings(), kOutlineCrossingsNoMemory);
    EXPECT_EQ(g_outlineCrossingCount, 0);
    EXPECT_EQ(g_outlineCrossingCapacity, 0);
    EXPECT_TRUE(g_outlineCrossings.Empty());
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周とメッシュ交点データ用メモリが拡張できませんでした。");

    // Without failures the same outline gives every crossing: 21 lines per segment, the
    // lines through its ends included.
    EXPECT_EQ(CalcOutlineMeshCrossings(), 0);
    EXPECT_EQ(g_outlineCrossingCount, 4 + 4 * 21);
}

}  // namespace
