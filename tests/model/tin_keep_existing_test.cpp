#include "model/tin_keep_existing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_region_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "tin_cgal_support.h"
#include "view/view_state.h"

using namespace tintest;

namespace {

class TinKeepExistingTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        SetLongLoopPollInterval(0);
    }
    void TearDown() override {
        SetLongLoopPollInterval(100);
        InjectAllocationFailures(-1, 0);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

using Record = std::tuple<int32_t, int32_t, int32_t, int32_t>;

std::vector<Record> Records() {
    std::vector<Record> records;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        records.emplace_back(r.a, r.b, r.apexBack, r.apexSearch);
    }
    return records;
}

void MakeOutline(const std::vector<int32_t>& vertices) {
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].flags &= static_cast<uint8_t>(~kPointFlagOutline);
    SetOutline(vertices);
}

void BuildFresh() {
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    }
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
}

void RandomPoints(int32_t n, double lowY, double highY, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> x(1.0, 999.0), y(lowY, highY);
    for (int32_t i = 0; i < n; ++i) AddPoint(x(rng), y(rng));
}

// The old TIN covers the west half (east 0..500); its east side runs through three points
// that the new outline shares. The new points fill the east half.
struct TwoHalves {
    int32_t c1, c2, c3, c4, m1, m2, m3, d3, d4;
    std::vector<Record> old;
    std::set<std::pair<int32_t, int32_t>> oldEdges;

    void Make(int32_t oldPoints, int32_t newPoints) {
        c1 = AddPoint(0, 0);
        c2 = AddPoint(1000, 0);
        c3 = AddPoint(1000, 500);
        m3 = AddPoint(750, 500);
        m2 = AddPoint(500, 500);
        m1 = AddPoint(250, 500);
        c4 = AddPoint(0, 500);
        RandomPoints(oldPoints, 1.0, 499.0, 7);
        MakeOutline({c1, c2, c3, m3, m2, m1, c4});
        BuildFresh();
        old = Records();
        oldEdges = TinEdgeSet();
        d3 = AddPoint(1000, 1000);
        d4 = AddPoint(0, 1000);
        RandomPoints(newPoints, 501.0, 999.0, 11);
        MakeOutline({c4, m1, m2, m3, c3, d3, d4});
        ClearRecordedMessages();
    }
};

}  // namespace

TEST_F(TinKeepExistingTest, OldTrianglesStayAndTheNewOnesFillTheOutlineAsConstrainedDelaunay) {
    TwoHalves h;
    h.Make(300, 400);
    const std::set<std::pair<int32_t, int32_t>> newEdges = CgalOutlineEdges(PointsInsideByCgal());
    const std::set<std::pair<int32_t, int32_t>> shared = {Edge(h.c4, h.m1), Edge(h.m1, h.m2), Edge(h.m2, h.m3),
                                                           Edge(h.m3, h.c3)};

    BuildTinKeepingExisting(0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網作成終了");
    EXPECT_EQ(g_tinPresent, -1);

    // The old records away from the shared lines are still there, unchanged and in order.
    const std::vector<Record> now = Records();
    std::vector<Record> expectedOld;
    for (const Record& r : h.old)
        if (!shared.count(Edge(std::abs(std::get<0>(r)), std::abs(std::get<1>(r))))) expectedOld.push_back(r);
    ASSERT_GE(now.size(), expectedOld.size());
    EXPECT_TRUE(std::equal(expectedOld.begin(), expectedOld.end(), now.begin()));

    // The lines are the old ones and the constrained Delaunay ones inside the outline.
    std::set<std::pair<int32_t, int32_t>> expected = h.oldEdges;
    expected.insert(newEdges.begin(), newEdges.end());
    EXPECT_EQ(TinEdgeSet(), expected);

    // Every record's apexes turn the right way, no line twice, and the triangles cover the
    // whole square exactly once.
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_NEAR(c.area, 1000.0 * 1000.0, 1e-3);

    // Each shared line carries the old triangle on one side and a new one on the other.
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        if (!shared.count(Edge(std::abs(r.a), std::abs(r.b)))) continue;
        ASSERT_GT(r.apexBack, 0);
        ASSERT_GT(r.apexSearch, 0);
        const double backY = g_points[r.apexBack].y, searchY = g_points[r.apexSearch].y;
        EXPECT_TRUE((backY < 500 && searchY > 500) || (backY > 500 && searchY < 500)) << i;
    }

    // Only the outline mark stays on the outline vertices; no work bits anywhere.
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;
    EXPECT_EQ(g_points[h.d3].flags, kPointFlagOutline);

    // A consistent TIN passes the check unchanged and silently.
    const std::vector<Record> before = Records();
    ClearRecordedMessages();
    CheckTinConsistency();
    EXPECT_EQ(Records(), before);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TinKeepExistingTest, OutlineAcrossTheTinWithoutFollowingALineIsRefused) {
    TwoHalves h;
    h.Make(200, 100);
    ASSERT_EQ(h.oldEdges.count(Edge(h.c1, h.c3)), 0u);
    MakeOutline({h.c1, h.c3, h.d3, h.d4});
    g_pickedPoint = g_pickedPoint2 = 0;

    BuildTinKeepingExisting(0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "既存三角網を残す場合は\n外周が三角網に沿うようにしてください");
    EXPECT_EQ(g_pickedPoint, h.c1);
    EXPECT_EQ(g_pickedPoint2, h.c3);
    EXPECT_EQ(Records(), h.old);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;
}

TEST_F(TinKeepExistingTest, FailedEnlargementReportsAndKeepsTheOldTin) {
    TwoHalves h;
    h.Make(100, 10100);  // four records per point no longer fit
    ASSERT_GT(4 * g_pointCount, g_tinEdgeCapacity);
    const int32_t capacity = g_tinEdgeCapacity;
    InjectAllocationFailures(0, 1);

    BuildTinKeepingExisting(0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網計算の作業用メモリ確保に失敗しました。");
    EXPECT_EQ(g_tinEdgeCapacity, capacity);
    EXPECT_EQ(Records(), h.old);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;

    // The partial recalculation likewise: nothing recalculated, the caller's marks cleared.
    g_pickList2.Reset();
    for (int32_t v : {h.c4, h.m1, h.m2, h.m3, h.c3, h.d3, h.d4}) g_pickList2.Append(v);
    g_pickList2.Close();
    g_points[h.m1].flags |= 0x10;
    g_points[h.m2].flags |= 0x10;
    ClearRecordedMessages();
    InjectAllocationFailures(0, 1);
    EXPECT_EQ(RecalcTinInPolygon(), static_cast<int32_t>(h.old.size()));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網計算の作業用メモリ確保に失敗しました。");
    EXPECT_EQ(g_tinEdgeCapacity, capacity);
    EXPECT_EQ(Records(), h.old);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;
}

TEST_F(TinKeepExistingTest, ANewPartStoppedPartwayIsNotJoinedToTheOldTin) {
    TwoHalves h;
    h.Make(300, 400);
    // The part built so far is shown with the left button, then Q stops the build.
    auto stopAfterShowing = [] {
        int polls = 0;
        SetHeadlessPumpCallback([polls]() mutable {
            ++polls;
            SetHeadlessKeyDown(key::kMouseLeft, polls == 20);
            SetHeadlessKeyDown('Q', polls == 40);
        });
        QueueMessageAnswer(msg::kIdOk);
    };
    stopAfterShowing();
    BuildTinKeepingExisting(0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_EQ(Records(), h.old);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
    EXPECT_EQ(g_tinPresent, -1);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;

    // The partial recalculation likewise.
    g_pickList2.Reset();
    for (int32_t v : {h.c4, h.m1, h.m2, h.m3, h.c3, h.d3, h.d4}) g_pickList2.Append(v);
    g_pickList2.Close();
    OrientPolygonClockwise(g_pickList2);
    stopAfterShowing();
    EXPECT_EQ(RecalcTinInPolygon(), static_cast<int32_t>(h.old.size()));
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_EQ(Records(), h.old);
    SetHeadlessPumpCallback(nullptr);
    SetHeadlessKeyDown(key::kMouseLeft, false);
    SetHeadlessKeyDown('Q', false);
}

TEST_F(TinKeepExistingTest, RecalculationInsideAPolygonReplacesOnlyTheLinesInside) {
    TwoHalves h;
    h.Make(200, 200);
    BuildTinKeepingExisting(0);
    RandomPoints(150, 501.0, 999.0, 23);  // new points inside the east half
    const std::vector<Record> before = Records();

    g_pickList2.Reset();
    for (int32_t v : {h.c4, h.m1, h.m2, h.m3, h.c3, h.d3, h.d4}) g_pickList2.Append(v);
    g_pickList2.Close();
    OrientPolygonClockwise(g_pickList2);
    // The caller marks the ends of the lines whose midpoint is inside or on the polygon.
    std::vector<Point> poly;
    for (int32_t i = 1; i <= g_pickList2.Count(); ++i) poly.push_back(MapPoint(g_pickList2[i]));
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const int32_t a = std::abs(g_tinEdges[i].a), b = std::abs(g_tinEdges[i].b);
        const Point mid = CGAL::midpoint(MapPoint(a), MapPoint(b));
        if (CGAL::bounded_side_2(poly.begin(), poly.end(), mid, Kernel()) != CGAL::ON_UNBOUNDED_SIDE) {
            g_points[a].flags |= 0x10;
            g_points[b].flags |= 0x10;
        }
    }
    const std::set<std::pair<int32_t, int32_t>> eastEdges = CgalOutlineEdges(PointsInsideByCgal());
    const std::vector<int32_t> outlineBefore(g_outline.Data(), g_outline.Data() + 10);
    ClearRecordedMessages();

    EXPECT_EQ(RecalcTinInPolygon(), g_tinEdgeCount);
    std::set<std::pair<int32_t, int32_t>> expected = h.oldEdges;
    expected.insert(eastEdges.begin(), eastEdges.end());
    EXPECT_EQ(TinEdgeSet(), expected);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_NEAR(c.area, 1000.0 * 1000.0, 1e-3);
    EXPECT_EQ(std::vector<int32_t>(g_outline.Data(), g_outline.Data() + 10), outlineBefore);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & 0x30, 0) << p;
    // The old records of the west half are untouched.
    const std::vector<Record> now = Records();
    for (const Record& r : before) {
        const int32_t a = std::abs(std::get<0>(r)), b = std::abs(std::get<1>(r));
        if (g_points[a].y < 500 || g_points[b].y < 500) {
            EXPECT_NE(std::find(now.begin(), now.end(), r), now.end());
        }
    }
}

TEST_F(TinKeepExistingTest, FlipOrFindRecordTurnsTheRecordOrFindsIt) {
    g_tinEdgeCapacity = 10;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    g_tinEdgeCount = 2;
    g_tinEdges[1] = TinEdge{1, 2, 3, 4, 0};
    g_tinEdges[2] = TinEdge{6, 5, 7, 8, 0};
    SetTinEndRecord();
    EXPECT_EQ(FindRecordByApex(g_tinEdges, g_tinEdgeCount, 1, 2, 4), 1);
    EXPECT_EQ(FlipOrFindRecord(1, 2, 4), -1);
    EXPECT_EQ(FlipOrFindRecord(5, 6, 7), 2);
    EXPECT_EQ(std::make_tuple(g_tinEdges[2].a, g_tinEdges[2].b, g_tinEdges[2].apexBack, g_tinEdges[2].apexSearch),
              std::make_tuple(5, 6, 8, 7));
    EXPECT_EQ(FlipOrFindRecord(9, 10, 11), 0);
}

TEST_F(TinKeepExistingTest, ATriangleOnTheBackOfAllItsLinesGetsARecordThatHoldsIt) {
    // A centre triangle 1-2-3 with one triangle beyond each side; every inner line has the
    // centre on its back side, so no record holds the centre as its search triangle.
    const int32_t p1 = AddPoint(0, 0), p2 = AddPoint(0, 10), p3 = AddPoint(10, 5);
    const int32_t p4 = AddPoint(-10, 5), p5 = AddPoint(8, 12), p6 = AddPoint(8, -2);
    g_tinEdgeCount = 0;
    for (const TinEdge& r : {TinEdge{p2, p1, p3, p4, 0}, TinEdge{p3, p2, p1, p5, 0}, TinEdge{p1, p3, p2, p6, 0},
                             TinEdge{p1, p4, kNoApex, p2, 0}, TinEdge{p4, p2, kNoApex, p1, 0},
                             TinEdge{p2, p5, kNoApex, p3, 0}, TinEdge{p5, p3, kNoApex, p2, 0},
                             TinEdge{p3, p6, kNoApex, p1, 0}, TinEdge{p6, p1, kNoApex, p3, 0}})
        g_tinEdges[++g_tinEdgeCount] = r;
    SetTinEndRecord();
    ASSERT_EQ(CheckTin().badTurns, 0);

    CheckTinConsistency();
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(Records()[0], Record(p1, p2, p4, p3));
    const std::vector<Record> fixed = Records();
    CheckTinConsistency();
    EXPECT_EQ(Records(), fixed);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.triangles, 4);
}
