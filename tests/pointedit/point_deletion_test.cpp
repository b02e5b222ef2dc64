// Deleting invalid points while the TIN stays: hole signs and the no-apex value kept, the
// closed outline kept closed, the block shrunk only above 10000 spare records.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

#include "model/terrain_data.h"
#include "pointedit/area_selection.h"
#include "pointedit/point_deletion.h"

namespace {

int32_t Add(double x, double y, int16_t invalid = 0) {
    EnsurePointCapacity(g_pointCount + 1);
    const int32_t i = ++g_pointCount;
    g_points[i] = RandomPoint{};
    g_points[i].x = x;
    g_points[i].y = y;
    g_points[i].z = 100 + i;
    g_points[i].invalid = invalid;
    std::snprintf(g_points[i].name, sizeof g_points[i].name, "P%d", i % 1000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

void AddEdge(int32_t a, int32_t b, int32_t back, int32_t search) {
    EnsureTinEdgeCapacity(g_tinEdgeCount + 1);
    g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, back, search, 0};
    SetTinEndRecord();
    g_tinPresent = -1;
}

std::string Name(int32_t i) { return g_points[std::abs(i)].name; }

TEST(PointDeletion, InvalidPointsGoReferencesFollow) {
    InitDataModel();
    const int32_t p1 = Add(0, 0);
    Add(1, 1, 1);               // 2: unused invalid, goes
    const int32_t p3 = Add(0, 10, 1);   // used by the TIN: stays invalid
    const int32_t p4 = Add(10, 10);
    Add(2, 2, 1);               // 5: goes
    const int32_t p6 = Add(10, 0, 1);   // outline vertex only: stays
    Add(3, 3, 3);               // 7: a dropped duplicate, goes
    // A hole triangle's edges carry negative ends; the border edge has no back apex.
    AddEdge(p1, -p3, kNoApex, p4);
    AddEdge(-p3, p4, p1, -p1);
    AddEdge(p4, p1, 0, -p3);
    g_outline.Append(p1);
    g_outline.Append(p3);
    g_outline.Append(p4);
    g_outline.Append(p6);
    g_outline.Close();
    g_points[p4].flags = POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION | 0x80;

    DeleteInvalidPoints();

    ASSERT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_points[5].hidden, kEndMarker);
    EXPECT_EQ(Name(1), "P1");
    EXPECT_EQ(Name(2), "P3");
    EXPECT_EQ(Name(3), "P4");
    EXPECT_EQ(Name(4), "P6");
    EXPECT_EQ(g_points[2].invalid, 1);
    EXPECT_EQ(g_points[3].flags, 0x80) << "the selection bits are cleared";
    const TinEdge want[] = {{1, -2, kNoApex, 3, 0}, {-2, 3, 1, -1, 0}, {3, 1, 0, -2, 0}};
    for (int e = 0; e < 3; ++e) {
        const TinEdge& t = g_tinEdges[e + 1];
        EXPECT_EQ(std::tie(t.a, t.b, t.apexBack, t.apexSearch),
                  std::tie(want[e].a, want[e].b, want[e].apexBack, want[e].apexSearch))
            << e;
    }
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_EQ(g_outline[2], 2);
    EXPECT_EQ(g_outline[4], 4);
    EXPECT_TRUE(g_outline.IsClosed());
    EXPECT_EQ(g_outline[5], 1);
    EXPECT_EQ(g_dataChanged, 1);
}

// The pick lists of a tool still open follow their points; picks of deleted points leave
// the lists, so no entry names another point or one past the end.
TEST(PointDeletion, PickListsFollowTheirPoints) {
    InitDataModel();
    Add(0, 0);
    Add(1, 0, 1);  // 2: goes
    Add(2, 0);
    Add(3, 0, 1);  // 4: goes
    Add(4, 0);
    for (int32_t i : {5, 2, 3}) g_pickList.Append(i);
    for (int32_t i : {1, 4, 5}) g_pickList2.Append(i);
    g_pickList2.Close();
    DeleteInvalidPoints();
    ASSERT_EQ(g_pointCount, 3);
    ASSERT_EQ(g_pickList.Count(), 2);
    EXPECT_EQ(g_pickList[1], 3);
    EXPECT_EQ(g_pickList[2], 2);
    EXPECT_EQ(g_pickList[3], 0);
    ASSERT_EQ(g_pickList2.Count(), 2);
    EXPECT_EQ(g_pickList2[1], 1);
    EXPECT_EQ(g_pickList2[2], 3);
    EXPECT_TRUE(g_pickList2.IsClosed());
}

TEST(PointDeletion, OpenOutlineSlotAfterTheLastIsLeftAlone) {
    InitDataModel();
    Add(0, 0, 1);
    const int32_t a = Add(1, 0);
    const int32_t b = Add(2, 0);
    g_outline.Append(a);
    g_outline.Append(b);
    g_outline[3] = 77;  // not a closing entry
    DeleteInvalidPoints();
    EXPECT_EQ(g_outline[1], 1);
    EXPECT_EQ(g_outline[2], 2);
    EXPECT_EQ(g_outline[3], 77);
}

TEST(PointDeletion, ShrinksAboveTenThousandSpare) {
    struct Case { int32_t spareAfter; bool shrinks; };
    for (const Case c : {Case{10000, false}, Case{10001, true}}) {
        InitDataModel();
        for (int32_t i = 0; i < 20; ++i) Add(i, 0);
        Add(99, 0, 1);
        g_pointCapacity = 20 + c.spareAfter;
        ASSERT_EQ(GrowPointBlock(g_pointCapacity + 16), 0);
        DeleteInvalidPoints();
        ASSERT_EQ(g_pointCount, 20);
        EXPECT_EQ(g_pointCapacity, c.shrinks ? 1020 : 20 + c.spareAfter) << c.spareAfter;
        EXPECT_EQ(g_points[21].hidden, kEndMarker);
        EXPECT_EQ(g_points[20].x, 19);
    }
}

TEST(PointDeletion, DeletingEveryPointEmptiesTheData) {
    InitDataModel();
    Add(0, 0, 1);
    Add(1, 0, 1);
    DeleteInvalidPoints();
    EXPECT_EQ(g_pointCount, 0);
    EXPECT_EQ(g_pointsPresent, 0);
    EXPECT_EQ(g_points[1].hidden, kEndMarker);
}

TEST(PointDeletion, LineNumberVariantKeepsUsedPointsAndFollowsPickLists) {
    InitDataModel();
    const int32_t a = Add(0, 0);
    std::strcpy(g_points[Add(1, 0)].name, "_001A");   // 2: goes
    std::strcpy(g_points[Add(2, 0)].name, "_002B");   // 3: TIN vertex, stays nameless
    std::strcpy(g_points[Add(3, 0)].name, "_X");      // 4: not a line number
    const int32_t e = Add(4, 0, 1);                   // 5: invalid but not a line point
    AddEdge(a, 3, kNoApex, 0);
    g_pickList.Append(5);
    g_pickList2.Append(3);
    g_dataChanged = 0;
    const int32_t capacity = g_pointCapacity;
    DeletePointsKeepingTin(PointDeletionVariant::kLineNumbers);
    ASSERT_EQ(g_pointCount, 4);
    EXPECT_EQ(Name(2), "");
    EXPECT_EQ(Name(3), "_X");
    EXPECT_EQ(g_tinEdges[1].b, 2);
    EXPECT_EQ(g_pickList[1], 4);
    EXPECT_EQ(g_pickList2[1], 2);
    EXPECT_EQ(g_dataChanged, 0);
    EXPECT_EQ(g_pointCapacity, capacity);
    (void)e;
}

}  // namespace
