#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <stdexcept>
#include <vector>

#include "model/terrain_data.h"

namespace {
class TerrainData : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override {
        InjectAllocationFailures(-1, 0);
        ReleaseDataModel();
    }
};

void FillPoints(int32_t n) {
    for (int32_t i = 1; i <= n; ++i) {
        RandomPoint& p = g_points[i];
        p.x = i * 1.5;
        p.y = -i * 0.25;
        p.z = 100 + i;
        p.flags = static_cast<uint8_t>(i);
        std::snprintf(p.name, sizeof p.name, "P%d", i);
    }
    g_pointCount = n;
    SetPointEndMarker();
}
}  // namespace

TEST_F(TerrainData, StartValues) {
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_pointCapacity, 10000);
    EXPECT_EQ(g_tinEdgeCapacity, 40000);
    EXPECT_EQ(g_pointsBlock.Size(), 10000);
    EXPECT_EQ(g_tinEdgesBlock.Size(), 40000);
    EXPECT_EQ(g_pointsPresent, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_holesInverted, 0);
    EXPECT_EQ(g_dataChanged, 0);
    EXPECT_EQ(g_outline.Count(), 0);
    // With no points, record 1 is the end marker; with no edges, record 1 holds -1s.
    EXPECT_LT(g_points[1].hidden, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_tinEdges[1].apexSearch, -1);
}

TEST_F(TerrainData, GrowingKeepsRecordsByteForByte) {
    FillPoints(9000);
    std::vector<RandomPoint> before(g_points + 1, g_points + 9001);
    g_pointCapacity = 200000;
    ASSERT_EQ(GrowPointBlock(g_pointCapacity), 0);
    EXPECT_EQ(std::memcmp(before.data(), g_points + 1, before.size() * sizeof(RandomPoint)), 0);
    EXPECT_LT(g_points[9001].hidden, 0);
    // New records are zero.
    RandomPoint zero{};
    EXPECT_EQ(std::memcmp(&zero, &g_points[150000], sizeof zero), 0);
}

TEST_F(TerrainData, FailedGrowthKeepsOldBlock) {
    FillPoints(500);
    RandomPoint* oldAddress = g_points;
    std::vector<RandomPoint> before(g_points + 1, g_points + 501);
    InjectAllocationFailures(0);
    EXPECT_EQ(GrowPointBlock(50000000), -1);
    EXPECT_EQ(g_points, oldAddress);
    EXPECT_EQ(g_pointsBlock.Size(), 10000);
    EXPECT_EQ(std::memcmp(before.data(), g_points + 1, before.size() * sizeof(RandomPoint)), 0);

    // The capacity helper restores its global on failure.
    g_pointCount = 9990;
    InjectAllocationFailures(0);
    EXPECT_EQ(EnsurePointCapacity(9990), -1);
    EXPECT_EQ(g_pointCapacity, 10000);
    EXPECT_EQ(EnsurePointCapacity(9990), 0);
    EXPECT_EQ(g_pointCapacity, 20000);
    EXPECT_EQ(g_pointsBlock.Size(), 20000);
}

TEST_F(TerrainData, ResizeToZeroThenNGivesFreshZeroBlock) {
    FillPoints(10);
    ASSERT_EQ(GrowTinEdgeBlock(0), 0);
    EXPECT_EQ(g_tinEdges, nullptr);
    ASSERT_EQ(GrowPointBlock(0), 0);
    ASSERT_EQ(GrowPointBlock(100), 0);
    RandomPoint zero{};
    for (int i = 0; i < 100; ++i) EXPECT_EQ(std::memcmp(&zero, &g_points[i], sizeof zero), 0) << i;
}

TEST_F(TerrainData, IndexListsAreBoundsChecked) {
    EXPECT_TRUE(g_outline.Append(5));
    EXPECT_TRUE(g_outline.Append(7));
    EXPECT_TRUE(g_outline.Append(9));
    EXPECT_FALSE(g_outline.IsClosed());
    EXPECT_TRUE(g_outline.Close());
    // A closed outline of n vertices holds n+2 meaningful entries.
    EXPECT_EQ(g_outline[0], 3);
    EXPECT_EQ(g_outline[4], 5);
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_TRUE(g_outline.Insert(2, 6));
    EXPECT_EQ((std::vector<int32_t>{g_outline[1], g_outline[2], g_outline[3], g_outline[4]}),
              (std::vector<int32_t>{5, 6, 7, 9}));
    EXPECT_TRUE(g_outline.Remove(1));
    EXPECT_EQ(g_outline[1], 6);
    EXPECT_FALSE(g_outline.Remove(0));
    EXPECT_FALSE(g_outline.Insert(5, 1));
    EXPECT_THROW(g_outline[kIndexListEntries], std::out_of_range);
    EXPECT_THROW(g_outline[-1], std::out_of_range);

    // The list stops at 199998 vertices so that the closing entry still fits.
    g_pickList2.Reset();
    for (int32_t i = 1; i <= kIndexListMaxVertices; ++i) ASSERT_TRUE(g_pickList2.Append(i));
    EXPECT_FALSE(g_pickList2.Append(1));
    EXPECT_FALSE(g_pickList2.Insert(1, 1));
    EXPECT_TRUE(g_pickList2.Close());
    EXPECT_EQ(g_pickList2[kIndexListMaxVertices + 1], 1);
}

TEST_F(TerrainData, RegisteredBlocksAreFreedAndReset) {
    static RecordBlock<int> other;
    static int resets = 0;
    static bool registered = false;
    if (!registered) {
        RegisterDataBlockRelease([] { other.Resize(0); });
        RegisterDataModelReset([] { ++resets; });
        registered = true;
    }
    ASSERT_EQ(other.Resize(10, 8192), 0);
    const int before = resets;
    InitDataModel();
    EXPECT_TRUE(other.Empty());
    EXPECT_EQ(resets, before + 1);
}

// Sizes across the point where blocks are mapped on their own, and a shrink that leaves
// bytes behind in its last page before growing again: records kept, new ones zero.
TEST(RecordBlockTest, ResizesKeepRecordsAndZeroNewOnes) {
    RecordBlock<int32_t> block;
    std::vector<int32_t> model;
    int32_t step = 0;
    for (int32_t n : {100, 20000, 3000000, 700001, 1500000, 4000000, 50, 30000}) {
        ++step;
        ASSERT_EQ(block.Resize(n), 0) << n;
        model.resize(static_cast<size_t>(n), 0);
        ASSERT_EQ(std::memcmp(block.Data(), model.data(), model.size() * sizeof(int32_t)), 0) << n;
        for (int32_t i = 0; i < n; i += 3) block.Data()[i] = model[i] = step * 1000003 + i;
    }
}

TEST(RecordBlockTest, ZeroClearsExactlyTheRange) {
    const int32_t n = 3000000;
    const int32_t hugePageInts = 524288;
    for (auto [from, to] : {std::pair{5, 2900000}, std::pair{1000000, 1000010}, std::pair{hugePageInts, 2 * hugePageInts},
                            std::pair{0, n}, std::pair{7, 7}}) {
        RecordBlock<int32_t> block;
        ASSERT_EQ(block.Resize(n), 0);
        std::fill(block.Data(), block.Data() + n, 1);
        block.Zero(from, to);
        int32_t wrong = 0;
        for (int32_t i = 0; i < n; ++i) wrong += block.Data()[i] != (i >= from && i < to ? 0 : 1);
        EXPECT_EQ(wrong, 0) << from << ".." << to;
    }
}
