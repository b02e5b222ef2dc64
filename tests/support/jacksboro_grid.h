#pragma once
// The Jacksboro grid survey for the core tests: 344 rows of 403 nodes, the ring of boundary
// nodes as the outline and the TIN built inside it.
#include <gtest/gtest.h>

#include <cstdio>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "survey_data.h"

namespace jacksboro_grid {

constexpr int32_t kRows = 344, kColumns = 403;
inline int32_t Node(int32_t r, int32_t c) { return r * kColumns + c + 1; }

// The grid's points alone, in a fresh data model.
inline ::testing::AssertionResult Load() {
    InitDataModel();
    g_pointCapacity = 200000;
    if (GrowPointBlock(g_pointCapacity) != 0) return ::testing::AssertionFailure() << "no room";
    std::FILE* f = std::fopen(SurveyFile("jacksboro_grid.RND").c_str(), "rb");
    if (!f) return ::testing::AssertionFailure() << "jacksboro_grid.RND not found";
    const int32_t read = ReadRndText(f);  // closes the file
    if (read != 0) return ::testing::AssertionFailure() << "unreadable: " << read;
    if (g_pointCount != kRows * kColumns)
        return ::testing::AssertionFailure() << g_pointCount << " points";
    g_pointsPresent = -1;
    return ::testing::AssertionSuccess();
}

// The outline (its points marked as such) and the TIN inside it, on the loaded grid.
inline void BuildTin() {
    g_outline.Reset();
    for (int32_t c = 0; c < kColumns; ++c) g_outline.Append(Node(0, c));
    for (int32_t r = 1; r < kRows; ++r) g_outline.Append(Node(r, kColumns - 1));
    for (int32_t c = kColumns - 2; c >= 0; --c) g_outline.Append(Node(kRows - 1, c));
    for (int32_t r = kRows - 2; r >= 1; --r) g_outline.Append(Node(r, 0));
    for (int32_t k = 1; k <= g_outline.Count(); ++k)
        g_points[g_outline[k]].flags |= kPointFlagOutline;
    g_outline.Close();
    g_tinEdgeCapacity = 4 * g_pointCount;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    OrientPolygonClockwise(g_outline);
    g_tinEdgeCount = 0;
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_GT(g_tinEdgeCount, 3 * g_pointCount / 2);
}

inline void LoadWithTin() {
    ASSERT_TRUE(Load());
    BuildTin();
}

}  // namespace jacksboro_grid
