// The point array's appends, deletions and roll-backs: capacity steps, the end marker,
// and references that stay valid when points go.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "model/record_block.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "view/display_flags.h"
#include "view/text_flags.h"

namespace {

void LoadPoints(int32_t n, int32_t capacity) {
    InitDataModel();
    g_pointCapacity = capacity;
    ASSERT_EQ(GrowPointBlock(capacity), 0);
    for (int32_t i = 1; i <= n; ++i) {
        g_points[i] = RandomPoint{};
        g_points[i].x = i;
        g_points[i].y = 2.0 * i;
        g_points[i].z = 100 + i;
    }
    g_pointCount = n;
    SetPointEndMarker();
}

bool MarkerAfterLast() { return g_points[g_pointCount + 1].hidden == kEndMarker; }

TEST(PointArray, AppendsGrowOnlyBelowTheReserve) {
    struct Case { int32_t freeSlots; int32_t grownBy; };
    for (const Case c : {Case{50, 0}, Case{49, 10000}, Case{51, 0}}) {
        LoadPoints(100, 100 + c.freeSlots);
        g_editPoint = RandomPoint{};
        g_editPoint.x = 7;
        EXPECT_EQ(AppendEditPoint(), 101) << c.freeSlots;
        EXPECT_EQ(g_pointCapacity, 100 + c.freeSlots + c.grownBy) << c.freeSlots;
        EXPECT_EQ(g_pointCount, 100) << "the caller raises the count";
        EXPECT_EQ(g_points[101].x, 7);
        EXPECT_EQ(g_points[102].hidden, kEndMarker);
    }
}

TEST(PointArray, FailedGrowthWritesNothing) {
    LoadPoints(100, 149);
    const RandomPoint before = g_points[101];
    g_editPoint = RandomPoint{};
    g_editPoint.x = 7;
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(AppendEditPoint(), 0);
    EXPECT_EQ(g_pointCapacity, 149);
    EXPECT_EQ(std::memcmp(&g_points[101], &before, sizeof before), 0);
    EXPECT_EQ(g_points[100].x, 100);
}

TEST(PointArray, DeletionOutsideTheCountChangesNothing) {
    LoadPoints(5, 100);
    for (int32_t i : {0, -1, 6}) {
        DeletePointRecord(i);
        EXPECT_EQ(g_pointCount, 5);
    }
    DeletePointRecord(5);  // the last: only the marker moves down
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_TRUE(MarkerAfterLast());
    DeletePointRecord(2);
    EXPECT_EQ(g_points[2].x, 3);
    EXPECT_TRUE(MarkerAfterLast());
}

TEST(PointArray, MarkerFollowsTheLastPointThroughMixedEdits) {
    LoadPoints(20, 100);
    std::mt19937 rng(5);
    for (int step = 0; step < 2000; ++step) {
        switch (rng() % 4) {
        case 0:
        case 1:
            g_editPoint = RandomPoint{};
            if (AppendEditPoint()) ++g_pointCount;
            break;
        case 2:
            DeletePointRecord(static_cast<int32_t>(rng() % (g_pointCount + 2)));
            break;
        default: {
            // A run of a tool that is then abandoned.
            const int32_t before = g_pointCount;
            for (int k = 0; k < 3; ++k)
                if (AppendEditPoint()) ++g_pointCount;
            EXPECT_EQ(RollBackPointsTo(before), 3);
            EXPECT_EQ(g_pointCount, before);
        }
        }
        ASSERT_TRUE(MarkerAfterLast()) << step;
    }
}

TEST(PointArray, DeletionKeepsEveryReferenceAndTheClosedOutline) {
    LoadPoints(8, 100);
    g_tinEdgeCapacity = 10;
    ASSERT_EQ(GrowTinEdgeBlock(10), 0);
    g_tinEdges[1] = TinEdge{1, 6, kNoApex, -7, 0};
    g_tinEdges[2] = TinEdge{-6, 8, 3, 1, 0};
    g_tinEdgeCount = 2;
    for (int32_t v : {1, 6, 8, 7}) g_outline.Append(v);
    g_outline.Close();
    g_pickList2.Append(4);
    g_pickList2.Append(5);
    g_pickList2.Append(8);

    DeletePointKeepingReferences(4);
    EXPECT_EQ(g_pointCount, 7);
    const TinEdge want1{1, 5, kNoApex, -6, 0}, want2{-5, 7, 3, 1, 0};
    for (auto [got, want] : {std::pair{g_tinEdges[1], want1}, std::pair{g_tinEdges[2], want2}}) {
        EXPECT_EQ(got.a, want.a);
        EXPECT_EQ(got.b, want.b);
        EXPECT_EQ(got.apexBack, want.apexBack);
        EXPECT_EQ(got.apexSearch, want.apexSearch);
    }
    // Every edge end keeps its coordinates.
    EXPECT_EQ(g_points[5].x, 6);
    EXPECT_EQ(g_points[7].x, 8);
    ASSERT_EQ(g_outline.Count(), 4);
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_EQ(g_outline[2], 5);
    EXPECT_EQ(g_outline[5], 1);
    ASSERT_EQ(g_pickList2.Count(), 2);
    EXPECT_EQ(g_pickList2[1], 4);
    EXPECT_EQ(g_pickList2[2], 7);
    EXPECT_EQ(g_pickList2[3], 0);
}

TEST(PointArray, CompactionRenumbersWithSignsAndKeepsCoordinates) {
    LoadPoints(6, 100);
    g_tinEdgeCapacity = 10;
    ASSERT_EQ(GrowTinEdgeBlock(10), 0);
    g_tinEdges[1] = TinEdge{-2, 5, kNoApex, 6, 0};
    g_tinEdgeCount = 1;
    g_outline.Append(2);
    g_outline.Append(5);
    g_outline.Append(6);
    g_outline.Close();
    g_pickList.Append(6);
    const std::vector<int32_t> newIndex{0, 0, 1, 0, 0, 2, 3};
    RenumberPointReferences(newIndex, true);
    EXPECT_EQ(CompactPoints(newIndex), 3);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_tinEdges[1].b, 2);
    EXPECT_EQ(g_tinEdges[1].apexBack, kNoApex);
    EXPECT_EQ(g_tinEdges[1].apexSearch, 3);
    EXPECT_EQ(g_outline[4], 1);
    EXPECT_EQ(g_pickList[1], 3);
    EXPECT_EQ(g_points[1].x, 2);
    EXPECT_EQ(g_points[2].x, 5);
    EXPECT_EQ(g_points[3].x, 6);
    EXPECT_TRUE(MarkerAfterLast());
}

TEST(PointArray, NamesAreCutOnCharacterBoundaries) {
    struct Case { std::string in; size_t kept; };
    const Case cases[] = {
        {"ABCDEFGHIJKL", 11},
        {"ABCDEFGHIJ\x88\x9f", 10},  // a lead byte at byte 11 goes with its trail byte
        {"\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x88\x9f\x41", 11},
        {"", 0},
    };
    for (const Case& c : cases) {
        char field[12];
        std::memset(field, 'x', sizeof field);
        CopyPointName(field, c.in);
        EXPECT_EQ(std::strlen(field), c.kept) << c.in;
        EXPECT_EQ(std::string(field), c.in.substr(0, c.kept));
    }
}

TEST(ColorCode, ReadsAndWritesTheNamePrefix) {
    g_pointColorPrefix = '#';
    int32_t colour = -1;
    EXPECT_TRUE(ParseColorCode("#ff8001rest", colour));
    EXPECT_EQ(colour, 0xff | 0x80 << 8 | 0x01 << 16);
    EXPECT_FALSE(ParseColorCode("#ff80", colour));
    EXPECT_FALSE(ParseColorCode("#ff80g1", colour));
    g_pointColorPrefix = '\0';
    EXPECT_FALSE(ParseColorCode("#ff8001", colour)) << "colours not shown";
    g_pointColorPrefix = '#';

    char name[12] = "P1";
    FormatColorCode(0x0000ff | 0x10 << 16, name);
    EXPECT_STREQ(name, "#ff0010~");
    char named[12] = "#000000Xab";
    FormatColorCode(0x123456, named);
    EXPECT_STREQ(named, "#563412X");
}

}  // namespace
