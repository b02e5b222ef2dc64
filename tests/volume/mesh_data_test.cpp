#include <gtest/gtest.h>

#include <cmath>

#include "model/record_block.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "volume/mesh_data.h"

namespace {

class MeshData : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

void SetFrame(double x0, double y0, double rotation, double length, double width, double pl, double pw) {
    g_meshOriginX = x0;
    g_meshOriginY = y0;
    g_meshRotation = rotation;
    g_meshLength = length;
    g_meshWidth = width;
    g_meshPitchLength = pl;
    g_meshPitchWidth = pw;
}

TEST_F(MeshData, GridSizeStopsAtTheLastWholePitch) {
    struct Case {
        double extent, pitch;
        int32_t lines;
    } const cases[] = {
        {100, 20, 6}, {60, 20, 4}, {99.9, 20, 5}, {0, 20, 1}, {19.999, 20, 1}, {20, 20, 2},
        {10, 0, 0}, {10, -5, 0}, {1e12, 1e-3, 0},  // a count that does not fit is no grid
    };
    for (const Case& c : cases)
        EXPECT_EQ(MeshNodeLineCount(c.extent, c.pitch), c.lines) << c.extent << " / " << c.pitch;
}

TEST_F(MeshData, NodeNumberingRunsRowAfterRow) {
    SetFrame(1000, 2000, 0, 100, 60, 20, 20);
    ASSERT_EQ(PrepareMeshNodeBlock(MeshNodeLineCount(g_meshLength, g_meshPitchLength),
                                   MeshNodeLineCount(g_meshWidth, g_meshPitchWidth)),
              0);
    EXPECT_EQ(g_meshColumns, 6);
    EXPECT_EQ(g_meshRows, 4);
    EXPECT_EQ(g_meshNodeCount, 24);
    EXPECT_EQ(g_meshNodes.Size(), 36);  // n + n/2 records
    EXPECT_EQ(MeshNodeColumn(7), 1);
    EXPECT_EQ(MeshNodeRow(7), 2);
    EXPECT_EQ(MeshNodeNumber(1, 2), 7);
    EXPECT_EQ(MeshNodeNumber(6, 4), 24);
    double x, y;
    MeshNodePosition(CurrentMeshFrame(), 1, 2, &x, &y);  // a = 0, b = 20: 20 m east
    EXPECT_DOUBLE_EQ(x, 1000);
    EXPECT_DOUBLE_EQ(y, 2020);
}

TEST_F(MeshData, FrameTurnsCounterClockwise) {
    struct Case {
        double rotation, a, b, x, y;
    } const cases[] = {
        {0, 20, 0, 120, 200},     // length axis north
        {0, 0, 20, 100, 220},     // width axis east
        {90, 20, 0, 100, 180},    // length axis west: node (2, 1) at (X0, Y0 - pitch)
        {90, 0, 20, 120, 200},    // width axis north
        {180, 20, 0, 80, 200},
        {45, 10, 0, 100 + 10 / std::sqrt(2.0), 200 - 10 / std::sqrt(2.0)},
    };
    for (const Case& c : cases) {
        SetFrame(100, 200, c.rotation, 100, 60, 20, 20);
        const MeshFrame f = CurrentMeshFrame();
        double x, y, a, b;
        f.ToMap(c.a, c.b, &x, &y);
        EXPECT_NEAR(x, c.x, 1e-9) << c.rotation;
        EXPECT_NEAR(y, c.y, 1e-9) << c.rotation;
        f.ToFrame(x, y, &a, &b);
        EXPECT_NEAR(a, c.a, 1e-9) << c.rotation;
        EXPECT_NEAR(b, c.b, 1e-9) << c.rotation;
    }
}

TEST_F(MeshData, FailedGrowthKeepsTheOldGridAndCounts) {
    ASSERT_EQ(PrepareMeshNodeBlock(6, 4), 0);
    g_meshNodes.Data()[5].z = 12.5;
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(PrepareMeshNodeBlock(600, 400), -1);
    EXPECT_EQ(g_meshColumns, 6);
    EXPECT_EQ(g_meshRows, 4);
    EXPECT_EQ(g_meshNodeCount, 24);
    EXPECT_EQ(g_meshNodes.Data()[5].z, 12.5);
    EXPECT_EQ(PrepareMeshNodeBlock(70000, 70000), -1);  // node numbers would overflow
    EXPECT_EQ(PrepareMeshNodeBlock(0, 4), -1);
    EXPECT_EQ(g_meshNodeCount, 24);
}

TEST_F(MeshData, CellCentresLieHalfAPitchFurther) {
    for (double rotation : {0.0, 30.0, 90.0, 237.5}) {
        SetFrame(500, -300, rotation, 100, 60, 20, 10);
        ASSERT_EQ(PrepareMeshNodeBlock(6, 7), 0);
        const MeshFrame f = CurrentMeshFrame();
        for (int32_t r = 1; r <= g_meshRows; ++r)
            for (int32_t c = 1; c <= g_meshColumns; ++c) {
                MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
                MeshNodePosition(f, c, r, &n.x, &n.y);
            }
        CalcMeshCellCentres();
        for (int32_t node : {1, 6, 42}) {
            const MeshNode& n = g_meshNodes.Data()[node];
            double x, y;
            f.ToMap((MeshNodeColumn(node) - 0.5) * 20, (MeshNodeRow(node) - 0.5) * 10, &x, &y);
            EXPECT_NEAR(n.centreX, x, 1e-9) << rotation << " node " << node;
            EXPECT_NEAR(n.centreY, y, 1e-9) << rotation << " node " << node;
        }
    }
}

TEST_F(MeshData, ResetDropsPlanAndVolumeResults) {
    ASSERT_EQ(PrepareMeshNodeBlock(2, 2), 0);  // 4 nodes, records 1..5
    for (int32_t i = 1; i <= 5; ++i) {
        MeshNode& n = g_meshNodes.Data()[i];
        n.z = i;
        n.planZ = 100 + i;
        n.planSource = 3;
        n.averageZ = n.planAverageZ = n.cut = n.fill = 7;
    }
    g_planLineCount = 2;
    g_planLines[1] = {"a.msh", 1, 5, 1};
    g_planLines[2] = {"b.msh", 7, 9, 2};
    g_planCrossingCount = 10;
    g_meshPlanDone = 1;
    ResetMeshResults();
    for (int32_t i = 1; i <= 5; ++i) {
        const MeshNode& n = g_meshNodes.Data()[i];
        EXPECT_EQ(n.planZ, i);
        EXPECT_EQ(n.planSource, 0);
        EXPECT_EQ(n.cut + n.fill + n.averageZ + n.planAverageZ, 0);
    }
    EXPECT_TRUE(g_planLines[2].path.empty());
    EXPECT_EQ(g_planLines[2].first + g_planLines[2].last, 0);
    EXPECT_EQ(g_planLineCount, 0);
    EXPECT_EQ(g_planCrossingCount, 0);
    EXPECT_EQ(g_meshPlanDone, 0);

    // Without nodes the plan lines are still emptied.
    g_meshNodes.Release();
    g_planLineCount = 1;
    g_planLines[1] = {"a.msh", 1, 5, 1};
    g_meshPlanDone = 1;
    ResetMeshResults();
    EXPECT_TRUE(g_planLines[1].path.empty());
    EXPECT_EQ(g_meshPlanDone, 0);
}

TEST_F(MeshData, CrossingLookupSkipsVerticesAndSingleEntries) {
    ASSERT_EQ(GrowOutlineCrossingBlock(8), 0);
    OutlineCrossing* e = g_outlineCrossings.Data();
    e[1] = OutlineCrossing{};
    e[1].column = -2;
    e[1].row = 3;
    e[1].vertexClass = 2;  // a vertex with the very keys asked for
    g_outlineCrossingCount = 1;
    EXPECT_EQ(FindOutlineCrossing(3, -2).entry, 0);  // one entry only
    e[2] = OutlineCrossing{};
    e[2].x = 5;
    e[2].column = -2;
    e[2].row = 3;
    e[3] = e[2];
    e[3].x = 6;
    g_outlineCrossingCount = 3;
    const CrossingLookup found = FindOutlineCrossing(3, -2);
    EXPECT_EQ(found.entry, 2);
    EXPECT_EQ(found.x, 5);
    EXPECT_EQ(FindOutlineCrossing(-2, 3).entry, 0);
    EXPECT_EQ(FindPlanCrossing(3, -2).entry, 0);  // the other list is empty
}

TEST_F(MeshData, TableLimitsAreRefusedWithAMessage) {
    EXPECT_TRUE(PlanLineCountFits(1000));
    EXPECT_TRUE(MeshAreaPolygonFits(33));
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_FALSE(PlanLineCountFits(1001));
    EXPECT_FALSE(MeshAreaPolygonFits(34));
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[0].text, kPlanLineLimitMessage);
    EXPECT_EQ(RecordedMessages()[1].text, kMeshAreaLimitMessage);
}

}  // namespace
