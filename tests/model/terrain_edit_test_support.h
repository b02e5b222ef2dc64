#pragma once
// Checks shared by the tests of the TIN passes that rework a finished TIN: the TIN read
// as a set of triangles (marks ignored) and whether it is still a triangulation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "model/terrain_data.h"

namespace terraintest {

using Triangle = std::array<int32_t, 3>;  // counterclockwise, smallest index first

inline Triangle Normalised(int32_t a, int32_t b, int32_t c) {
    Triangle t{std::abs(a), std::abs(b), std::abs(c)};
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
}

// Twice the signed plan area on the map (east to the right, north up): positive when
// counterclockwise there.
inline double MapCross(int32_t a, int32_t b, int32_t c) {
    const RandomPoint &p = g_points[std::abs(a)], &q = g_points[std::abs(b)],
                      &r = g_points[std::abs(c)];
    return (q.y - p.y) * (r.x - p.x) - (q.x - p.x) * (r.y - p.y);
}

struct TinShape {
    std::set<Triangle> triangles;
    int32_t clockwise = 0;        // a triangle of a record not counterclockwise on the map
    int32_t duplicateEdges = 0;   // one edge held by two records
    int32_t wrongSharing = 0;     // a triangle not held by exactly its three edges' records
    double area = 0;
};

// The TIN as triangles, each record giving its search-side and back-side triangle.
inline TinShape ReadTinShape() {
    TinShape s;
    std::set<std::pair<int32_t, int32_t>> edges;
    std::map<Triangle, int32_t> holders;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const int32_t a = std::abs(e.a), b = std::abs(e.b);
        if (!edges.insert({std::min(a, b), std::max(a, b)}).second) ++s.duplicateEdges;
        const int32_t sides[2][3] = {{a, b, std::abs(e.apexSearch)}, {b, a, std::abs(e.apexBack)}};
        for (int k = 0; k < 2; ++k) {
            if (k == 1 && e.apexBack == kNoApex) continue;
            const auto& t = sides[k];
            if (!(MapCross(t[0], t[1], t[2]) > 0)) ++s.clockwise;
            const Triangle n = Normalised(t[0], t[1], t[2]);
            ++holders[n];
            if (s.triangles.insert(n).second) s.area += MapCross(t[0], t[1], t[2]) / 2;
        }
    }
    for (const auto& [t, n] : holders)
        if (n != 3) ++s.wrongSharing;
    return s;
}

inline bool Level(const Triangle& t) {
    return g_points[t[0]].z == g_points[t[1]].z && g_points[t[1]].z == g_points[t[2]].z;
}

inline int32_t LevelTriangles(const TinShape& s) {
    return static_cast<int32_t>(std::count_if(s.triangles.begin(), s.triangles.end(), Level));
}

inline void ExpectTriangulation(const TinShape& s, double area, const char* what) {
    EXPECT_EQ(s.clockwise, 0) << what;
    EXPECT_EQ(s.duplicateEdges, 0) << what;
    EXPECT_EQ(s.wrongSharing, 0) << what;
    EXPECT_NEAR(s.area, area, 1e-9 * area) << what;
}

inline bool Joined(int32_t p, int32_t q) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const int32_t a = std::abs(g_tinEdges[i].a), b = std::abs(g_tinEdges[i].b);
        if ((a == p && b == q) || (a == q && b == p)) return true;
    }
    return false;
}

}  // namespace terraintest
