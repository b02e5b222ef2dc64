#pragma once
// Fixtures and checks shared by the TIN tests: building point sets and outlines, reading
// the jacksboro RND files, and comparing a TIN with CGAL's (constrained) Delaunay
// triangulation and its exact predicates. The CGAL work is compiled once, in
// tin_test_support.cpp; tin_cgal_support.h gives tests CGAL's points of the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../support/survey_data.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "view/view_state.h"

namespace tintest {

inline int32_t AddPoint(double x, double y, double z = 0.0) {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    const int32_t i = ++g_pointCount;
    RandomPoint& p = g_points[i];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::snprintf(p.name, sizeof p.name, "P%d", i % 10000000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

// Makes the given points the outline (closed, vertices marked).
inline void SetOutline(const std::vector<int32_t>& vertices) {
    g_outline.Reset();
    for (int32_t v : vertices) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

inline std::string JacksboroFile(const std::string& name) { return SurveyFile(name).string(); }

// Loads the points of an RND file with the program's reader.
inline int32_t LoadRndPoints(const std::string& path) {
    g_pointCapacity = 200000;
    EXPECT_EQ(GrowPointBlock(g_pointCapacity), 0);
    EXPECT_EQ(ReadRndText(std::fopen(path.c_str(), "rb")), 0) << path;
    g_pointsPresent = -1;
    return g_pointCount;
}

inline std::pair<int32_t, int32_t> Edge(int32_t a, int32_t b) { return {std::min(a, b), std::max(a, b)}; }

inline std::set<std::pair<int32_t, int32_t>> TinEdgeSet() {
    std::set<std::pair<int32_t, int32_t>> edges;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        edges.insert(Edge(std::abs(g_tinEdges[i].a), std::abs(g_tinEdges[i].b)));
    return edges;
}

struct TinCheck {
    int32_t openRecords = 0;       // search apex still 0
    int32_t badTurns = 0;          // a search-side triangle not strictly counterclockwise
    int32_t duplicateEdges = 0;    // two records for one edge
    int32_t notLocallyDelaunay = 0;  // the back apex strictly inside the search-side circle
    int32_t triangles = 0;
    double area = 0;               // sum of the triangles' areas
};

// The outline as the TIN has it: a valid point within the duplicate tolerance of a side,
// and farther than that from the side's ends, lies on the outline and splits the side.
std::vector<int32_t> OutlineRing();

// Points that CGAL puts inside the outline (or on it), by its exact predicate.
std::vector<int32_t> PointsInsideByCgal();

// Edges of the constrained Delaunay triangulation of the given points with the outline
// sides as constraints, restricted to the inside of the outline.
std::set<std::pair<int32_t, int32_t>> CgalOutlineEdges(const std::vector<int32_t>& points);

// Checks the TIN's records with exact predicates: every record closed, every triangle
// counterclockwise, no edge twice, and every interior edge locally Delaunay, which for a
// proper triangulation means no circumcircle holds a point.
TinCheck CheckTin();

// The plan area inside the outline ring.
double OutlineArea();

// A TIN from before a build: records that a build which does not complete must leave as
// they were, marked present.
class PreviousTin {
public:
    PreviousTin() {
        g_tinEdgeCount = 0;
        for (int32_t i = 1; i <= 3; ++i)
            g_tinEdges[++g_tinEdgeCount] = TinEdge{i, i % 3 + 1, kNoApex, -7, 5};
        SetTinEndRecord();
        g_tinPresent = -1;
        g_showTin = 0;
        m_records.assign(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
    }
    void ExpectBack() const {
        ASSERT_EQ(g_tinEdgeCount, static_cast<int32_t>(m_records.size()));
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            const TinEdge& w = m_records[i - 1];
            EXPECT_TRUE(r.a == w.a && r.b == w.b && r.apexBack == w.apexBack &&
                        r.apexSearch == w.apexSearch && r.state == w.state)
                << "record " << i;
        }
        EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
        EXPECT_EQ(g_tinPresent, -1);
        EXPECT_EQ(g_showTin, 0);
    }

private:
    std::vector<TinEdge> m_records;
};

}  // namespace tintest
