#pragma once
// The plan positions of each TIN edge's two ends, in edge order, for tests that check an
// edit left every edge joining the same places.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "model/terrain_data.h"

struct EdgeEnds {
    double ax, ay, bx, by;
};

inline std::vector<EdgeEnds> TinEdgeEnds() {
    std::vector<EdgeEnds> ends;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const RandomPoint& a = g_points[std::abs(g_tinEdges[e].a)];
        const RandomPoint& b = g_points[std::abs(g_tinEdges[e].b)];
        ends.push_back({a.x, a.y, b.x, b.y});
    }
    return ends;
}

// Fatal on the first edge that moved; callers wrap it in ASSERT_NO_FATAL_FAILURE.
inline void AssertSameEdgeEnds(const std::vector<EdgeEnds>& before,
                               const std::vector<EdgeEnds>& after) {
    ASSERT_EQ(after.size(), before.size());
    for (size_t e = 0; e < after.size(); ++e) {
        ASSERT_EQ(after[e].ax, before[e].ax) << e;
        ASSERT_EQ(after[e].ay, before[e].ay) << e;
        ASSERT_EQ(after[e].bx, before[e].bx) << e;
        ASSERT_EQ(after[e].by, before[e].by) << e;
    }
}
