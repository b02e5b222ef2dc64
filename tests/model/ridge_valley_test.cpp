#include "model/ridge_valley.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/auto_outline.h"
#include "model/tin_calc_command.h"
#include "model/tin_point_lists.h"
#include "model/tin_query.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "shell/status_text.h"
#include "terrain_edit_test_support.h"
#include "tin_test_support.h"
#include "view/view_transform.h"

using namespace terraintest;

namespace {

class RidgeValleyTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }

    // The TIN by the command 三角網計算, which must finish without a question.
    static void CalcTin() {
        OnTinCalc();
        ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    }
};

constexpr int32_t kGridRows = 344, kGridColumns = 403;
int32_t GridNode(int32_t r, int32_t c) { return r * kGridColumns + c + 1; }

void JacksboroGridWithRingOutline() {
    ASSERT_EQ(tintest::LoadRndPoints(tintest::JacksboroFile("jacksboro_grid.RND")),
              kGridRows * kGridColumns);
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < kGridColumns; ++c) ring.push_back(GridNode(0, c));
    for (int32_t r = 1; r < kGridRows; ++r) ring.push_back(GridNode(r, kGridColumns - 1));
    for (int32_t c = kGridColumns - 2; c >= 0; --c) ring.push_back(GridNode(kGridRows - 1, c));
    for (int32_t r = kGridRows - 2; r >= 1; --r) ring.push_back(GridNode(r, 0));
    tintest::SetOutline(ring);
}

std::vector<TinEdge> Records() { return {g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount}; }

int32_t MarkedRecords() {
    int32_t n = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) n += g_tinEdges[i].a < 0;
    return n;
}

// The edges at the given points, as unordered pairs.
std::set<std::pair<int32_t, int32_t>> EdgesAt(const std::set<int32_t>& points) {
    std::set<std::pair<int32_t, int32_t>> edges;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const int32_t a = std::abs(g_tinEdges[i].a), b = std::abs(g_tinEdges[i].b);
        if (points.count(a) || points.count(b)) edges.insert({std::min(a, b), std::max(a, b)});
    }
    return edges;
}

bool SamePointData(const RandomPoint& p, const RandomPoint& q) {
    return p.x == q.x && p.y == q.y && p.z == q.z && p.invalid == q.invalid &&
           p.flags == q.flags && std::memcmp(p.name, q.name, sizeof p.name) == 0;
}

}  // namespace

TEST_F(RidgeValleyTest, JacksboroGridLosesLevelTrianglesAndStaysATriangulation) {
    JacksboroGridWithRingOutline();
    // A block of points whose names begin with "_" must keep every edge it has.
    std::set<int32_t> underscored;
    for (int32_t r = 150; r < 190; ++r)
        for (int32_t c = 100; c < 160; ++c) {
            const int32_t p = GridNode(r, c);
            g_points[p].name[0] = '_';
            underscored.insert(p);
        }
    CalcTin();
    const double area = tintest::OutlineArea();
    const int32_t records = g_tinEdgeCount;
    const std::vector<RandomPoint> points(g_points + 1, g_points + 1 + g_pointCount);
    const TinShape before = ReadTinShape();
    ExpectTriangulation(before, area, "built");
    const auto underscoredEdges = EdgesAt(underscored);
    const int32_t levelBefore = LevelTriangles(before);
    // Whole-metre heights: many level triangles to start with.
    EXPECT_EQ(levelBefore, 1784);

    const int32_t flipped = CorrectRidgesValleys(1, 1, 2);
    EXPECT_EQ(flipped, 519);
    EXPECT_EQ(g_tinEdgeCount, records);
    EXPECT_EQ(g_dataChanged, 1);
    EXPECT_NE(StatusText().find(std::to_string(flipped) + " 個組替え (LOOP"), std::string::npos)
        << StatusText();
    for (int32_t i = 1; i <= g_pointCount; ++i)
        ASSERT_TRUE(SamePointData(g_points[i], points[i - 1])) << "point " << i;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) ASSERT_EQ(g_tinEdges[i].state, 0) << i;
    const int32_t marked = MarkedRecords();
    EXPECT_GT(marked, 0);
    EXPECT_LE(marked, flipped);

    const TinShape after = ReadTinShape();
    ExpectTriangulation(after, area, "corrected");
    EXPECT_EQ(after.triangles.size(), before.triangles.size());
    EXPECT_EQ(LevelTriangles(after), 1305);
    EXPECT_EQ(EdgesAt(underscored), underscoredEdges);

    // A second run clears the marks of the first before it starts: what stays marked is
    // what it flipped itself.
    const std::vector<TinEdge> first = Records();
    const int32_t again = CorrectRidgesValleys(0, 1, 2);
    int32_t changed = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const TinEdge& f = first[i - 1];
        const bool same = std::abs(e.a) == std::abs(f.a) && std::abs(e.b) == std::abs(f.b) &&
                          std::abs(e.apexBack) == std::abs(f.apexBack) &&
                          std::abs(e.apexSearch) == std::abs(f.apexSearch);
        if (!same) ++changed;
        if (e.a < 0) {
            EXPECT_FALSE(same && again == 0) << "record " << i;
        }
    }
    EXPECT_LE(MarkedRecords(), again);
    if (again == 0) {
        EXPECT_EQ(changed, 0);
    }
    ExpectTriangulation(ReadTinShape(), area, "second run");
    EXPECT_EQ(EdgesAt(underscored), underscoredEdges);

    // The bad-triangle check finds nothing (it reads marks as such, so they go first).
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        g_tinEdges[i].a = std::abs(g_tinEdges[i].a);
        g_tinEdges[i].b = std::abs(g_tinEdges[i].b);
    }
    EXPECT_EQ(CheckBadTriangles(0), 0);
}

TEST_F(RidgeValleyTest, ScatterWithoutEqualNeighboursIsLeftAsItIs) {
    ASSERT_EQ(tintest::LoadRndPoints(tintest::JacksboroFile("jacksboro_scatter20k.RND")), 20000);
    ComputeDataExtents(0);
    ASSERT_EQ(BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)),
              kAutoOutlineDone);
    CalcTin();
    // The premise: no two consecutively numbered points share an elevation, so nothing is
    // to be joined (the file's interpolated heights do leave a few level triangles, none of
    // them across a ridge or a valley).
    for (int32_t i = 1; i < g_pointCount; ++i)
        ASSERT_NE(g_points[i].z, g_points[i + 1].z) << "points " << i << ", " << i + 1;
    EXPECT_EQ(LevelTriangles(ReadTinShape()), 22);
    const std::vector<TinEdge> before = Records();
    EXPECT_EQ(CorrectRidgesValleys(0, 1, 2), 0);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        const TinEdge& w = before[i - 1];
        ASSERT_TRUE(e.a == w.a && e.b == w.b && e.apexBack == w.apexBack &&
                    e.apexSearch == w.apexSearch)
            << "record " << i;
    }
}

TEST_F(RidgeValleyTest, ConsecutiveContourPointsEndJoined) {
    // Columns of points 6 m apart, rows staggered by 10 m: the 10 m line (x = 0) and the
    // 20 m line (x = 6) are numbered in order, and each of their consecutive pairs is
    // crossed by a TIN edge between the neighbouring columns, in a convex quadrilateral.
    auto column = [](double x, double y0, int32_t n, double z) {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < n; ++i) ids.push_back(tintest::AddPoint(x, y0 + 20 * i, z));
        return ids;
    };
    const std::vector<int32_t> line10 = column(0, 0, 11, 10);
    const std::vector<int32_t> line20 = column(6, 10, 10, 20);
    const std::vector<int32_t> west = column(-6, -10, 12, 5);
    const std::vector<int32_t> east = column(12, 0, 11, 25);
    std::vector<int32_t> ring(west.begin(), west.end());
    ring.insert(ring.end(), east.rbegin(), east.rend());
    tintest::SetOutline(ring);
    CalcTin();
    const double area = tintest::OutlineArea();
    auto pairsJoined = [&] {
        int32_t joined = 0;
        for (const auto* line : {&line10, &line20})
            for (size_t i = 0; i + 1 < line->size(); ++i) joined += Joined((*line)[i], (*line)[i + 1]);
        return joined;
    };
    ASSERT_EQ(pairsJoined(), 0);  // the TIN crosses between every pair

    const int32_t flipped = CorrectRidgesValleys(0, 1, 2);
    EXPECT_EQ(flipped, 19);
    EXPECT_EQ(pairsJoined(), 19);
    EXPECT_EQ(MarkedRecords(), 19);
    ExpectTriangulation(ReadTinShape(), area, "joined");

    // Nothing left to do: the second run only takes the first run's marks away.
    EXPECT_EQ(CorrectRidgesValleys(0, 1, 2), 0);
    EXPECT_EQ(MarkedRecords(), 0);
    EXPECT_EQ(pairsJoined(), 19);
}

TEST_F(RidgeValleyTest, QuadHelpersAndFlipKeepNeighboursInStep) {
    // A convex quadrilateral A(0,0) B(10,0) with apexes on either side, and a dart whose
    // back apex lies so that the diagonal cannot be flipped.
    struct Case {
        double kx, ky;
        int32_t convex;
    };
    const Case cases[] = {{-5, 5, 1}, {-1, 12, 0}, {-5, 15, 0}};
    for (const Case& c : cases) {
        InitDataModel();
        const int32_t a = tintest::AddPoint(0, 0), b = tintest::AddPoint(0, 10);
        const int32_t s = tintest::AddPoint(5, 5), k = tintest::AddPoint(c.kx, c.ky);
        // Records of the two triangles (A, B, S) and (B, A, K), counterclockwise on the map.
        g_tinEdgeCount = 0;
        auto add = [](int32_t p, int32_t q, int32_t back, int32_t search) {
            g_tinEdges[++g_tinEdgeCount] = TinEdge{p, q, back, search, 0};
        };
        add(a, b, k, s);
        add(b, s, kNoApex, a);
        add(s, a, kNoApex, b);
        add(a, k, kNoApex, b);
        add(k, b, kNoApex, a);
        SetTinEndRecord();
        EXPECT_EQ(IsQuadConvexAtEdge(1), c.convex) << c.kx;
        TinPointLists lists(false);
        EXPECT_EQ(FlipTinEdgeLinked(lists, 1), c.convex);
        if (!c.convex) continue;
        g_tinPresent = -1;
        ExpectTriangulation(ReadTinShape(), 50, "flipped");
        EXPECT_TRUE(Joined(s, k));
        EXPECT_EQ(lists.Find(std::abs(g_tinEdges[1].a), std::abs(g_tinEdges[1].b)), 1);
        // Flipping back restores the pair of triangles.
        EXPECT_EQ(FlipTinEdgeLinked(lists, 1), 1);
        EXPECT_TRUE(Joined(a, b));
        ExpectTriangulation(ReadTinShape(), 50, "flipped back");
    }
    const double z = 3;
    EXPECT_EQ(ElevationsEqual3(nullptr, 3, 3, 3 + 1e-16), 1);
    EXPECT_EQ(ElevationsEqual3(&z, 3, 3, 3.0001), 0);
    EXPECT_EQ(ElevationsEqual3(nullptr, 1, 1, 2), 0);
}

TEST_F(RidgeValleyTest, WithoutATinTheCommandSaysSoAndChangesNothing) {
    tintest::AddPoint(0, 0, 1);
    tintest::AddPoint(0, 1, 1);
    OnRidgeValleyCorrection();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    EXPECT_EQ(g_dataChanged, 0);
}
