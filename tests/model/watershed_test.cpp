#include "model/watershed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "model/tin_calc_command.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "tin_test_support.h"

namespace {

class WatershedTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

constexpr int32_t kSide = 11;
int32_t g_node[kSide][kSide];

// A V-shaped valley: its floor runs north along the middle column and rises northwards,
// the sides rise east and west of it.
void VValley() {
    for (int32_t r = 0; r < kSide; ++r)
        for (int32_t c = 0; c < kSide; ++c)
            g_node[r][c] = tintest::AddPoint(10 * r, 10 * c, 3.0 * std::abs(c - 5) + 0.5 * r);
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < kSide; ++c) ring.push_back(g_node[0][c]);
    for (int32_t r = 1; r < kSide; ++r) ring.push_back(g_node[r][kSide - 1]);
    for (int32_t c = kSide - 2; c >= 0; --c) ring.push_back(g_node[kSide - 1][c]);
    for (int32_t r = kSide - 2; r >= 1; --r) ring.push_back(g_node[r][0]);
    tintest::SetOutline(ring);
    OnTinCalc();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
}

int32_t RecordJoining(int32_t p, int32_t q) {
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const int32_t a = std::abs(g_tinEdges[i].a), b = std::abs(g_tinEdges[i].b);
        if ((a == p && b == q) || (a == q && b == p)) return i;
    }
    return 0;
}

// The plane rule as the test reads it: the triangle's fall gradient g by Cramer's rule,
// D twice its signed area in (X, Y); the probe is taken when D (g x (M - N)) >= 0, always
// for a level triangle, and in flat mode when N and M lie at or below its mean elevation.
int32_t PlaneRule(const std::array<int32_t, 3>& t, int32_t n, int32_t m, bool flat) {
    const RandomPoint &a = g_points[t[0]], &b = g_points[t[1]], &s = g_points[t[2]];
    const double bx = b.x - a.x, by = b.y - a.y, bz = b.z - a.z;
    const double sx = s.x - a.x, sy = s.y - a.y, sz = s.z - a.z;
    const double d = bx * sy - sx * by;
    const double gx = (bz * sy - sz * by) / d, gy = (bx * sz - sx * bz) / d;
    if (d * d * (gx * gx + gy * gy) <= 1e-10) return 2;
    const RandomPoint &pn = g_points[n], &pm = g_points[m];
    if (flat) return (pn.z + pm.z) / 2 > (a.z + b.z + s.z) / 3 ? 0 : 1;
    return d * (gx * (pm.y - pn.y) - gy * (pm.x - pn.x)) >= 0 ? 1 : 0;
}

std::array<int32_t, 3> SearchTriangle(int32_t r) {
    const TinEdge& e = g_tinEdges[r];
    return {std::abs(e.a), std::abs(e.b), std::abs(e.apexSearch)};
}

// The records a search from `start` reaches on an unmarked TIN: generations of the six
// neighbour probes around each record's search-side triangle, by plain scans.
std::set<int32_t> ExpectedSearch(int32_t start) {
    std::set<int32_t> visited{start};
    std::vector<int32_t> current{start};
    while (!current.empty()) {
        std::vector<int32_t> next;
        for (int32_t w : current) {
            const auto t = SearchTriangle(w);
            const int32_t b0 = t[0], c0 = t[1], d0 = t[2];
            const bool flat = PlaneRule(t, b0, c0, false) == 2;
            struct Probe {
                int32_t point;
                bool first, search;
                int32_t apex, n, m;
            };
            const Probe probes[6] = {{b0, true, true, c0, b0, c0},  {c0, true, true, b0, c0, d0},
                                     {b0, false, true, c0, d0, b0}, {c0, false, true, b0, b0, c0},
                                     {b0, true, false, c0, d0, b0}, {c0, false, false, b0, c0, d0}};
            for (const Probe& p : probes) {
                for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
                    const TinEdge& e = g_tinEdges[r];
                    if (std::abs(p.first ? e.a : e.b) != p.point) continue;
                    if (visited.count(r) || r == w) continue;
                    if ((p.search ? e.apexSearch : e.apexBack) != p.apex) continue;
                    const auto rt = SearchTriangle(r);
                    std::array<int32_t, 3> rot = rt;
                    bool same = false;
                    for (int k = 0; k < 3; ++k) {
                        same = same || rot == t;
                        std::rotate(rot.begin(), rot.begin() + 1, rot.end());
                    }
                    if (PlaneRule(rt, p.n, p.m, flat) != 0 || same) {
                        visited.insert(r);
                        next.push_back(r);
                    }
                    break;
                }
            }
        }
        current.swap(next);
    }
    return visited;
}

std::set<int32_t> MarkedRecords() {
    std::set<int32_t> m;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        if (IsWatershedMarked(i)) m.insert(i);
    return m;
}

}  // namespace

TEST_F(WatershedTest, SearchOnAVValleyFollowsThePlaneRule) {
    VValley();
    const std::vector<TinEdge> plain(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
    struct Case {
        int32_t r0, c0, r1, c1;
        const char* where;
    };
    const Case cases[] = {{2, 5, 3, 5, "valley floor"},
                          {5, 2, 5, 3, "west side"},
                          {8, 7, 8, 8, "east side"},
                          {9, 5, 10, 5, "upper floor"}};
    for (const Case& c : cases) {
        std::copy(plain.begin(), plain.end(), g_tinEdges + 1);
        const int32_t start = RecordJoining(g_node[c.r0][c.c0], g_node[c.r1][c.c1]);
        ASSERT_NE(start, 0) << c.where;
        const std::set<int32_t> expected = ExpectedSearch(start);
        ToggleEdgeMark(start, 0);
        EXPECT_EQ(MarkedRecords(), expected) << c.where;
        EXPECT_GT(expected.size(), 1u) << c.where;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& e = g_tinEdges[i];
            const TinEdge& p = plain[i - 1];
            const bool marked = expected.count(i) != 0;
            ASSERT_EQ(WatershedCount(e.state), marked ? 1 : 0) << c.where << " record " << i;
            ASSERT_EQ(e.state & 0xFFFF, 0);
            ASSERT_EQ(e.a, marked ? -p.a : p.a);
            ASSERT_EQ(e.b, marked ? -p.b : p.b);
            ASSERT_EQ(e.apexBack, marked && p.apexBack != kNoApex ? -p.apexBack : p.apexBack);
            ASSERT_EQ(e.apexSearch, p.apexSearch);
        }
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) g_tinEdges[i].state = 0;
    }
}

TEST_F(WatershedTest, EarlierMarksKeepTheirFormAndCountUntilCleared) {
    VValley();
    const std::vector<TinEdge> plain(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
    const int32_t floor = RecordJoining(g_node[2][5], g_node[3][5]);
    const int32_t west = RecordJoining(g_node[5][2], g_node[5][3]);
    const int32_t east = RecordJoining(g_node[8][7], g_node[8][8]);
    ToggleEdgeMark(west, 0);
    const std::set<int32_t> first = MarkedRecords();
    ToggleEdgeMark(east, 0);
    ToggleEdgeMark(west, 0);
    const std::set<int32_t> all = MarkedRecords();
    EXPECT_TRUE(std::includes(all.begin(), all.end(), first.begin(), first.end()));
    EXPECT_GT(all.size(), first.size());
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        // Never the form of a hole, and counted once however often reached.
        EXPECT_FALSE(e.a < 0 && e.apexSearch < 0) << "record " << i;
        EXPECT_EQ(WatershedCount(e.state), all.count(i) ? 1 : 0) << "record " << i;
    }
    // Clearing gives every record its fields back; the counts stay.
    ToggleEdgeMark(-1, -1);
    EXPECT_TRUE(MarkedRecords().empty());
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const TinEdge& p = plain[i - 1];
        ASSERT_TRUE(e.a == p.a && e.b == p.b && e.apexBack == p.apexBack &&
                    e.apexSearch == p.apexSearch)
            << "record " << i;
        ASSERT_EQ(WatershedCount(e.state), all.count(i) ? 1 : 0);
    }
    // A hole record is not reached and keeps its form.
    TinEdge& hole = g_tinEdges[RecordJoining(g_node[3][4], g_node[3][5])];
    const TinEdge saved = hole;
    hole = TinEdge{-std::abs(hole.a), -std::abs(hole.b), -std::abs(hole.apexBack),
                   -std::abs(hole.apexSearch), 0};
    const TinEdge marked = hole;
    ToggleEdgeMark(floor, 0);
    EXPECT_TRUE(hole.a == marked.a && hole.b == marked.b && hole.apexBack == marked.apexBack &&
                hole.apexSearch == marked.apexSearch && hole.state == 0);
    ToggleEdgeMark(-1, -1);
    EXPECT_EQ(hole.apexSearch, marked.apexSearch);
    hole = saved;
}

TEST_F(WatershedTest, CommandNeedsATinAndTogglesItsTool) {
    OnWatershed();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    EXPECT_EQ(g_toolMode, MODE_NONE);
    VValley();
    OnWatershed();
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    EXPECT_EQ(g_outlineEditState, OUTLINE_EDIT_WATERSHED);
    OnWatershed();
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_outlineEditState, 0);
}
