#include "model/tin_region_builder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "tin_test_support.h"
#include "view/display_flags.h"
#include "view/view_state.h"

using namespace tintest;

namespace {

class TinRegionBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetTinRegionLinearScans(false);
        SetHeadlessKeyDown('Q', false);
        SetHeadlessKeyDown(key::kMouseLeft, false);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

// n random points in [0, size)^2 and a square outline just outside them.
void RandomSquare(int32_t n, uint32_t seed, double size = 1000.0) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, size);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng));
    SetOutline({AddPoint(-1, -1), AddPoint(-1, size + 1), AddPoint(size + 1, size + 1),
                AddPoint(size + 1, -1)});
}

// A star-shaped outline of m vertices around (500, 500), radii `inner` to 1 x 450, and n
// random points over its box: notches as deep as `inner` makes them.
void RandomStarOutline(int32_t n, int32_t m, uint32_t seed, double inner = 0.3) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> angles(m);
    for (double& a : angles) a = u(rng) * 2 * M_PI;
    std::sort(angles.begin(), angles.end());
    std::vector<int32_t> ring;
    for (double a : angles) {
        const double r = 450.0 * (inner + (1 - inner) * u(rng));
        ring.push_back(AddPoint(500 + r * std::sin(a), 500 + r * std::cos(a)));
    }
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng) * 1000, u(rng) * 1000);
    SetOutline(ring);
}

// A lattice of unit squares (every four corners co-circular) rows x columns, its boundary
// ring as the outline.
void Lattice(int32_t rows, int32_t columns) {
    auto node = [&](int32_t r, int32_t c) { return r * (columns + 1) + c + 1; };
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c <= columns; ++c) AddPoint(r, c, 0.5 * r + 0.25 * c);
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 0; r < rows; ++r) ring.push_back(node(r, columns));
    for (int32_t c = columns; c > 0; --c) ring.push_back(node(rows, c));
    for (int32_t r = rows; r > 0; --r) ring.push_back(node(r, 0));
    SetOutline(ring);
}

void Build() {
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    }
    g_tinEdgeCount = 0;
    BuildTinRegions(0);
}

std::vector<std::array<int32_t, 4>> Records() {
    std::vector<std::array<int32_t, 4>> records;
    for (int32_t i = 1; i <= g_tinEdgeCount + 1; ++i) {
        const TinEdge& r = g_tinEdges[i];
        records.push_back({r.a, r.b, r.apexBack, r.apexSearch});
    }
    return records;
}

// Builds once with the scans over everything and once with the lookups: the same records
// in the same order.
void ExpectSameTinBothWays(const char* what) {
    SCOPED_TRACE(what);
    SetTinRegionLinearScans(true);
    Build();
    const TinBuildResult linearResult = LastTinBuildResult();
    const std::vector<std::array<int32_t, 4>> linear = Records();
    SetTinRegionLinearScans(false);
    ClearRecordedMessages();
    Build();
    EXPECT_EQ(LastTinBuildResult(), linearResult);
    const std::vector<std::array<int32_t, 4>> lookups = Records();
    ASSERT_EQ(lookups.size(), linear.size());
    for (size_t i = 0; i < linear.size(); ++i)
        ASSERT_EQ(lookups[i], linear[i]) << "record " << i + 1;
}

// The TIN is the constrained Delaunay triangulation of the points inside the outline.
void ExpectDelaunay(const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(c.notLocallyDelaunay, 0);
    EXPECT_NEAR(c.area, OutlineArea(), 1e-9 * OutlineArea());
    const std::vector<int32_t> inside = PointsInsideByCgal();
    EXPECT_TRUE(CgalOutlineEdges(inside) == TinEdgeSet());
}

}  // namespace

TEST_F(TinRegionBuilderTest, PartitionIsEightByEightSquaresOfTheOutlineBox) {
    // Outline box X 100..300, Y 1000..1100: t = (200 + 2) / 8 along X, the longer side.
    SetOutline(
        {AddPoint(100, 1000), AddPoint(100, 1100), AddPoint(300, 1100), AddPoint(300, 1000)});
    const int32_t low = AddPoint(100.5, 1000.5);
    const int32_t onLine = AddPoint(99 + 202.0 / 8, 1050);  // on the line between X bands 1 and 2
    const int32_t outsideByte = AddPoint(200, 1050);
    g_points[outsideByte].outside = 1;
    const int32_t invalid = AddPoint(200, 1060);
    g_points[invalid].invalid = 1;
    TinRegionPartition partition;
    ASSERT_TRUE(AssignPointsToRegions(1, partition));
    EXPECT_DOUBLE_EQ(partition.side, 202.0 / 8);
    EXPECT_DOUBLE_EQ(partition.regions[1].lowX, 99);
    EXPECT_DOUBLE_EQ(partition.regions[1].lowY, 999);
    EXPECT_DOUBLE_EQ(partition.regions[64].highY, 999 + 202);  // beyond the box on Y
    EXPECT_EQ(partition.pointRegion[low], 1);
    EXPECT_EQ(partition.pointRegion[onLine], 8 * 0 + 3);  // the lower X band takes it
    EXPECT_EQ(partition.pointRegion[outsideByte], 0);
    EXPECT_EQ(partition.pointRegion[invalid], 0);
    // Mode 0 takes every point, and the box of all of them.
    ASSERT_TRUE(AssignPointsToRegions(0, partition));
    EXPECT_NE(partition.pointRegion[outsideByte], 0);
    EXPECT_NE(partition.pointRegion[invalid], 0);
    int32_t listed = 0;
    for (int32_t k = 1; k <= kRegionCount; ++k) {
        const TinRegion& r = partition.regions[k];
        EXPECT_EQ(r.start, listed);
        for (int32_t i = r.start; i < r.start + r.count; ++i) {
            EXPECT_EQ(partition.pointRegion[partition.list[i]], k);
            if (i > r.start) {
                EXPECT_LT(partition.list[i - 1], partition.list[i]);
            }
        }
        listed += r.count;
    }
    EXPECT_EQ(listed, g_pointCount);
}

TEST_F(TinRegionBuilderTest, BlocksOfCornerEdgeAndInnerRegions) {
    struct Case {
        int32_t k;
        std::vector<int32_t> block;
    };
    const Case cases[] = {
        {1, {1, 2, 9, 10}},
        {8, {8, 7, 15, 16}},
        {57, {57, 49, 50, 58}},
        {64, {64, 55, 56, 63}},
        {3, {3, 2, 4, 10, 11, 12}},
        {60, {60, 51, 52, 53, 59, 61}},
        {17, {17, 9, 10, 18, 25, 26}},
        {24, {24, 15, 16, 23, 31, 32}},
        {27, {27, 18, 19, 20, 26, 28, 34, 35, 36}},
    };
    for (const Case& c : cases) EXPECT_EQ(RegionBlock(c.k), c.block) << c.k;
}

TEST_F(TinRegionBuilderTest, LookupsGiveTheTinOfTheScans) {
    RandomSquare(1500, 3);
    ExpectSameTinBothWays("random square");
    InitDataModel();
    // Co-circular squares: every choice goes through the tie rules and the crossing test.
    Lattice(12, 17);
    ExpectSameTinBothWays("lattice");
    InitDataModel();
    // Deep notches: candidates behind the outline are excluded and searched again.
    RandomStarOutline(1500, 30, 7);
    ExpectSameTinBothWays("star outline");
    InitDataModel();
    // Points in a few clusters: empty regions send the searches to all points.
    std::mt19937_64 rng(11);
    std::normal_distribution<double> g(0.0, 20.0);
    for (int32_t i = 0; i < 600; ++i) AddPoint(200 + g(rng), 200 + g(rng));
    for (int32_t i = 0; i < 600; ++i) AddPoint(800 + g(rng), 700 + g(rng));
    SetOutline({AddPoint(0, 0), AddPoint(0, 1000), AddPoint(1000, 1000), AddPoint(1000, 0)});
    ExpectSameTinBothWays("clusters");
    InitDataModel();
    // Near-duplicate pairs on long sides tie within the tolerance and both of a pair cross
    // what is already built: the pair is set aside and the search runs again.
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    for (int32_t i = 0; i < 800; ++i) {
        const double x = u(rng), y = u(rng);
        AddPoint(x, y);
        if (i % 2 == 0) AddPoint(x + 1e-5, y + 0.7e-5);
    }
    SetOutline(
        {AddPoint(-1, -1), AddPoint(-1, 10001), AddPoint(10001, 10001), AddPoint(10001, -1)});
    ExpectSameTinBothWays("near duplicates");
}

TEST_F(TinRegionBuilderTest, RandomPointsGiveTheConstrainedDelaunayTriangulation) {
    RandomSquare(10000, 17);
    Build();
    ExpectDelaunay("square");
    // The same edges as the grid builder.
    const auto regionEdges = TinEdgeSet();
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_TRUE(TinEdgeSet() == regionEdges);

    // Notches shallow enough that fewer than 90 hidden points ever come before the visible one.
    for (uint32_t seed : {2u, 5u}) {
        InitDataModel();
        RandomStarOutline(5000, 25, seed, 0.6);
        Build();
        ExpectDelaunay(("star " + std::to_string(seed)).c_str());
    }
}

TEST_F(TinRegionBuilderTest, LatticeIsTriangulatedWithEmptyCircles) {
    Lattice(30, 40);
    Build();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(c.notLocallyDelaunay, 0);
    EXPECT_EQ(c.triangles, 2 * 30 * 40);
    EXPECT_NEAR(c.area, 30.0 * 40.0, 1e-9);
}

TEST_F(TinRegionBuilderTest, CompletionClosesTheArrayAndReports) {
    RandomSquare(300, 5);
    g_showSimpleContours = -1;
    g_pickedPoint = 7;
    Build();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網作成終了");
    EXPECT_EQ(RecordedMessages()[0].buttons, msg::kOk | msg::kIconInformation | msg::kSystemModal);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].apexSearch, -1);
    EXPECT_EQ(g_showSimpleContours, 0);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_EQ(g_dataChanged, -1);

    // In the partial-TIN sub-state it builds without the box.
    InitDataModel();
    ClearRecordedMessages();
    RandomSquare(300, 6);
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_TIN;
    Build();
    g_outlineEditState = 0;
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(TinRegionBuilderTest, ASideWithoutAnyPointOnItsSearchSideStopsAndPutsThePreviousTinBack) {
    // Three points on one line: no triangle with some other point is ever made.
    SetOutline({AddPoint(0, 0), AddPoint(10, 0), AddPoint(20, 0)});
    AddPoint(-50, 40);  // point 4, outside the outline
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    const PreviousTin previous;
    BuildTinRegions(0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kNoCandidate);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text.rfind("失敗しました。\n ", 0), 0u);
    EXPECT_NE(RecordedMessages()[0].text.find(" 間で停止"), std::string::npos);
    previous.ExpectBack();
    EXPECT_NE(g_pickedPoint, 0) << "the side where it stopped stays marked";
    EXPECT_EQ(g_progressWnd, nullptr);
}

TEST_F(TinRegionBuilderTest, QStopsAfterConfirmationLeavingAConsistentState) {
    RandomSquare(3000, 21);
    SetLongLoopPollInterval(0);
    SetHeadlessKeyDown('Q', true);  // held from before the start: asks nothing by itself
    QueueMessageAnswer(msg::kIdCancel);
    QueueMessageAnswer(msg::kIdOk);
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        if (++pumps % 100 == 0) TapKey('Q');
    });
    Build();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_GE(pumps, 200) << "asked before the second press";
    ASSERT_EQ(RecordedMessages().size(), 2u);
    for (const RecordedMessage& m : RecordedMessages())
        EXPECT_EQ(m.text, "三角網計算を中止してよろしいですか");
    // Nothing was there before: no TIN remains, and the array says so.
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_EQ(g_pickedPoint, 0);

    // Shown with the left button first: the part shown is not kept, the TIN from before
    // comes back.
    InitDataModel();
    ClearRecordedMessages();
    SetHeadlessKeyDown('Q', false);
    RandomSquare(3000, 22);
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    const PreviousTin previous;
    int polls = 0;
    SetHeadlessPumpCallback([&] {
        ++polls;
        if (polls == 100) SetHeadlessKeyDown(key::kMouseLeft, true);
        if (polls == 101) {
            EXPECT_EQ(g_tinPresent, -1);
            EXPECT_GT(g_tinEdgeCount, 100);
            EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
            SetHeadlessKeyDown(key::kMouseLeft, false);
        }
        if (polls == 300) SetHeadlessKeyDown('Q', true);
    });
    QueueMessageAnswer(msg::kIdOk);
    BuildTinRegions(0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    previous.ExpectBack();
}

TEST_F(TinRegionBuilderTest, TheEdgeLimitStopsInsideTheBlockAndPutsThePreviousTinBack) {
    RandomSquare(2000, 31);
    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    g_tinEdgeCapacity = 1000;
    ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    int32_t most = 0;
    SetLongLoopPollInterval(0);
    SetHeadlessPumpCallback([&] { most = std::max(most, g_tinEdgeCount); });
    const PreviousTin previous;
    BuildTinRegions(0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kLimit);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "作成ラインが制限を越えました。\n計算を終了します。");
    EXPECT_GE(most, 1000 - 3 - 64) << "it built up to the limit";
    EXPECT_LT(most + 1, g_tinEdgesBlock.Size());
    previous.ExpectBack();
}

TEST_F(TinRegionBuilderTest, MoreThanNinetyHiddenPointsAskBeforeCrossingTheOutline) {
    // A deep notch: more than 90 points behind the outline come before the visible one.
    RandomStarOutline(5000, 25, 5);
    QueueMessageAnswer(msg::kIdCancel);
    Build();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text,
              "作成ラインが外周と交差しました。\n三角網が正しく作成されない可能性があります。");
    EXPECT_EQ(RecordedMessages()[0].buttons,
              msg::kOkCancel | msg::kIconInformation | msg::kSystemModal);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_progressWnd, nullptr);

    // OK goes on with the nearest point that the outline does not hide: the TIN is the
    // constrained Delaunay triangulation, with no triangle across the outline.
    InitDataModel();
    ClearRecordedMessages();
    RandomStarOutline(5000, 25, 5);
    Build();
    EXPECT_GE(RecordedMessages().size(), 2u);
    ExpectDelaunay("star 5, going on");
}
