// The bucket grid over the TIN answers as the record-by-record search does.
#include <gtest/gtest.h>

#include <random>

#include "../support/jacksboro_grid.h"
#include "model/tin_query.h"
#include "model/tin_triangle_grid.h"

namespace {
using namespace jacksboro_grid;

TEST(TinTriangleGrid, SameRecordAndElevationAsTheFullSearch) {
    LoadWithTin();
    TinTriangleGrid grid;
    ASSERT_TRUE(grid.Build());
    const RandomPoint& first = g_points[Node(0, 0)];
    const RandomPoint& last = g_points[Node(kRows - 1, kColumns - 1)];
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int32_t> row(0, kRows - 1), column(0, kColumns - 1);
    std::uniform_real_distribution<double> t(-0.05, 1.05);
    std::vector<std::pair<double, double>> places;
    for (int k = 0; k < 100; ++k) {  // nodes, edge midpoints, and anywhere (also outside)
        const RandomPoint& a = g_points[Node(row(random), column(random))];
        places.emplace_back(a.x, a.y);
        const RandomPoint& b = g_points[Node(std::min(kRows - 1, row(random)), column(random))];
        places.emplace_back((a.x + b.x) / 2, (a.y + b.y) / 2);
        places.emplace_back(first.x + t(random) * (last.x - first.x), first.y + t(random) * (last.y - first.y));
    }
    int32_t found = 0;
    for (const auto& [x, y] : places) {
        SCOPED_TRACE(testing::Message() << x << " " << y);
        double expectedZ = -1, z = -1;
        const int32_t expected = FindTinTriangleInBox(x, y, &expectedZ);
        ASSERT_EQ(grid.Find(x, y, &z), expected);
        if (expected != 0) {
            EXPECT_EQ(z, expectedZ);
            ++found;
        }
    }
    EXPECT_GT(found, 150);
}

TEST(TinTriangleGrid, NoTinFindsNothing) {
    InitDataModel();
    TinTriangleGrid grid;
    ASSERT_TRUE(grid.Build());
    double z = 5;
    EXPECT_EQ(grid.Find(0, 0, &z), 0);
    EXPECT_EQ(z, 5);
}

}  // namespace
