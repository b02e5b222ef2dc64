#include <gtest/gtest.h>

#include <cstring>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "platform/input.h"
#include "platform/busy.h"
#include "platform/message_box.h"
#include "shell/quiet_mode.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"
#include "tin_test_support.h"

using namespace tintest;

namespace {

class TinGridBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetHeadlessKeyDown('Q', false);
        SetHeadlessKeyDown(key::kMouseLeft, false);
        SetHeadlessPumpCallback(nullptr);
        SetLongLoopPollInterval(100);
        InjectAllocationFailures(-1, 0);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

// Random points in [0, size)^2 plus a square outline just outside them.
void RandomSquare(int32_t n, uint32_t seed, double size = 1000.0) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, size);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng), 0.0);
    const int32_t c1 = AddPoint(-1, -1), c2 = AddPoint(-1, size + 1), c3 = AddPoint(size + 1, size + 1),
                  c4 = AddPoint(size + 1, -1);
    SetOutline({c1, c2, c3, c4});
}

void PrepareAndBuild() {
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
}

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
    const int32_t boundary = static_cast<int32_t>(OutlineRing().size());
    EXPECT_EQ(c.triangles, 2 * (static_cast<int32_t>(inside.size()) - boundary) + boundary - 2);
    EXPECT_TRUE(CgalOutlineEdges(inside) == TinEdgeSet());
}

}  // namespace

TEST_F(TinGridBuilderTest, RandomPointsInASquareGiveTheDelaunayTriangulation) {
    for (int32_t n : {1000, 10000}) {
        InitDataModel();
        RandomSquare(n, 17 + n);
        PrepareAndBuild();
        ExpectDelaunay(n == 1000 ? "1k" : "10k");
    }
}

namespace {
// A star-shaped polygon of m vertices around (500, 500) with radii in [0.3, 1] x 450,
// listed in the given turning sense, and n random points over its box.
void RandomStarOutline(int32_t n, int32_t m, uint32_t seed, bool counterclockwiseOnMap) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> angles(m);
    for (double& a : angles) a = u(rng) * 2 * M_PI;
    std::sort(angles.begin(), angles.end());
    if (!counterclockwiseOnMap) std::reverse(angles.begin(), angles.end());
    std::vector<int32_t> ring;
    for (double a : angles) {
        const double r = 450.0 * (0.3 + 0.7 * u(rng));
        // Map angle: east (Y) is the first axis, north (X) the second.
        ring.push_back(AddPoint(500 + r * std::sin(a), 500 + r * std::cos(a)));
    }
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng) * 1000, u(rng) * 1000);
    SetOutline(ring);
}
}  // namespace

TEST_F(TinGridBuilderTest, NonConvexOutlinesGiveTheConstrainedDelaunayTriangulation) {
    struct Case {
        int32_t points, vertices;
        uint32_t seed;
        bool counterclockwise;
    };
    // Deep notches: the nearest point of an open side often lies across the outline, more
    // than 90 times over for some sides, and fronts far from the outline still reach
    // across a notch.
    const Case cases[] = {{1000, 12, 1, true},     {1000, 40, 2, false},     {10000, 25, 3, true},
                          {10000, 200, 4, false},  {10000, 41, 144, false},  {10000, 290, 315, true}};
    for (const Case& c : cases) {
        InitDataModel();
        RandomStarOutline(c.points, c.vertices, c.seed, c.counterclockwise);
        PrepareAndBuild();
        ExpectDelaunay(("seed " + std::to_string(c.seed)).c_str());
    }
}


namespace {
// A lattice of unit squares (every four corners co-circular) over the cells that `inside`
// accepts, with the ring of its boundary nodes as the outline: the tie rules decide every
// square.
void LatticeRegion(int32_t rows, int32_t columns, bool (*inside)(int32_t r, int32_t c)) {
    std::vector<std::vector<int32_t>> node(rows + 1, std::vector<int32_t>(columns + 1, 0));
    auto cellIn = [&](int32_t r, int32_t c) { return r >= 0 && c >= 0 && r < rows && c < columns && inside(r, c); };
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c <= columns; ++c)
            if (cellIn(r, c) || cellIn(r - 1, c) || cellIn(r, c - 1) || cellIn(r - 1, c - 1))
                node[r][c] = AddPoint(r, c, 0.5 * r + 0.25 * c);
    // Walk the boundary with the region on the left (on the map: X up, Y right).
    int32_t r = 0, c = 0;
    while (!cellIn(r, c)) ++c;
    const int32_t startR = r, startC = c;
    int dir = 0;  // 0 +Y, 1 +X, 2 -Y, 3 -X
    const int dr[] = {0, 1, 0, -1}, dc[] = {1, 0, -1, 0};
    std::vector<int32_t> ring;
    do {
        ring.push_back(node[r][c]);
        // Prefer turning left, then straight, then right.
        for (int turn : {1, 0, 3, 2}) {
            const int d = (dir + turn) % 4;
            // The cell to the left of the step from (r, c) in direction d.
            const int32_t lr = d == 0 ? r : d == 1 ? r : d == 2 ? r - 1 : r - 1;
            const int32_t lc = d == 0 ? c : d == 1 ? c - 1 : d == 2 ? c - 1 : c;
            const int32_t rr = d == 0 ? r - 1 : d == 1 ? r : d == 2 ? r : r - 1;
            const int32_t rc = d == 0 ? c : d == 1 ? c : d == 2 ? c - 1 : c - 1;
            if (cellIn(lr, lc) && !cellIn(rr, rc)) {
                dir = d;
                break;
            }
        }
        r += dr[dir];
        c += dc[dir];
    } while (r != startR || c != startC);
    SetOutline(ring);
}

// Every point lies inside the outline or on it.
void ExpectValidTriangulation(const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(c.notLocallyDelaunay, 0) << "a point strictly inside a circumcircle";
    EXPECT_NEAR(c.area, OutlineArea(), 1e-9 * OutlineArea());
    const int32_t boundary = g_outline.Count();
    EXPECT_EQ(c.triangles, 2 * (g_pointCount - boundary) + boundary - 2);
}
}  // namespace

TEST_F(TinGridBuilderTest, JacksboroScatterInItsBoundingRectangle) {
    const int32_t n = LoadRndPoints(JacksboroFile("jacksboro_scatter20k.RND"));
    ASSERT_EQ(n, 20000);
    double lowX = 1e300, highX = -1e300, lowY = 1e300, highY = -1e300;
    for (int32_t p = 1; p <= n; ++p) {
        lowX = std::min(lowX, g_points[p].x);
        highX = std::max(highX, g_points[p].x);
        lowY = std::min(lowY, g_points[p].y);
        highY = std::max(highY, g_points[p].y);
    }
    SetOutline({AddPoint(lowX - 1, lowY - 1), AddPoint(lowX - 1, highY + 1), AddPoint(highX + 1, highY + 1),
                AddPoint(highX + 1, lowY - 1)});
    PrepareAndBuild();
    ExpectDelaunay("jacksboro_scatter20k");
}

TEST_F(TinGridBuilderTest, CoCircularLatticesAreTriangulatedByTheTieRules) {
    LatticeRegion(30, 40, [](int32_t, int32_t) { return true; });
    PrepareAndBuild();
    ExpectValidTriangulation("rectangle");

    InitDataModel();
    // A comb: teeth of width 2 and gaps of width 1, 12 deep, on a base 3 deep.
    LatticeRegion(15, 31, [](int32_t r, int32_t c) { return r < 3 || c % 3 != 2; });
    PrepareAndBuild();
    ExpectValidTriangulation("comb");
}

TEST_F(TinGridBuilderTest, JacksboroGridWithItsBoundaryRing) {
    ASSERT_EQ(LoadRndPoints(JacksboroFile("jacksboro_grid.RND")), 344 * 403);
    const int32_t rows = 344, columns = 403;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < rows; ++r) ring.push_back(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) ring.push_back(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    SetOutline(ring);
    PrepareAndBuild();
    ExpectValidTriangulation("jacksboro_grid");
}

TEST_F(TinGridBuilderTest, NearlyStraightTrianglesOnAnOutlineSideKeepTheirCirclesOnTheGrid) {
    // 201 nodes of the Jacksboro grid along a diagonal, and the outline side joining its
    // ends: the rounded coordinates put the nodes a few hundredths of a millimetre off the
    // side, so their triangles with it have circles of some 1e12 m. With a duplicate
    // tolerance below that offset they are ordinary points, not outline points.
    const int32_t columns = 403;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    ASSERT_EQ(LoadRndPoints(JacksboroFile("jacksboro_grid.RND")), 344 * columns);
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].invalid = 1;
    for (int32_t r = 0; r <= 200; ++r) g_points[node(r, r)].invalid = 0;
    g_points[node(200, 0)].invalid = 0;
    SetOutline({node(0, 0), node(200, 200), node(200, 0)});
    struct KeepTolerance {
        double saved = g_dupTolerance;
        ~KeepTolerance() { g_dupTolerance = saved; }
    } keep;
    g_dupTolerance = 1e-6;
    PrepareAndBuild();
    ExpectDelaunay("diagonal");
}

TEST_F(TinGridBuilderTest, FourCoCircularPointsTakeTheCandidateLeaningTowardsB) {
    SetOutline({AddPoint(0, 0), AddPoint(0, 10), AddPoint(10, 10), AddPoint(10, 0)});
    PrepareAndBuild();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    // Record 1 runs from outline vertex 1 to 2; of the two far corners the one next to
    // vertex 2 wins, so the diagonal joins vertices 1 and 3.
    const std::set<std::pair<int32_t, int32_t>> edges = TinEdgeSet();
    EXPECT_EQ(edges.size(), 5u);
    EXPECT_TRUE(edges.count(Edge(g_outline[1], g_outline[3])));
}

TEST_F(TinGridBuilderTest, TieToleranceComesFromTheDuplicateToleranceForOneBuild) {
    EXPECT_DOUBLE_EQ(TinEpsilonForDupTolerance(0.001), 2e-7);
    EXPECT_NEAR(TinEpsilonForDupTolerance(0.01), 0.0105 * std::pow(0.08, 4), 1e-20);
    EXPECT_NEAR(TinEpsilonForDupTolerance(0.01), 4.3e-7, 0.01e-7);

    RandomSquare(2000, 5);
    g_dupTolerance = 0.01;
    double during = 0;
    SetLongLoopPollInterval(0);
    SetHeadlessPumpCallback([&] { during = g_tinEpsilon; });
    PrepareAndBuild();
    g_dupTolerance = 0.001;
    EXPECT_NEAR(during, 4.3008e-7, 1e-12);
    EXPECT_DOUBLE_EQ(g_tinEpsilon, 2e-7);
    EXPECT_DOUBLE_EQ(g_tinEpsilonSquared, 4e-14);
    EXPECT_DOUBLE_EQ(g_tinEpsilonNegative, -2e-7);
}

TEST_F(TinGridBuilderTest, AnOutlineWithARepeatedVertexIsRefusedAndTheTinKept) {
    RandomSquare(500, 9);
    PrepareAndBuild();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const int32_t edges = g_tinEdgeCount;
    const int32_t repeated = g_outline[2];
    g_outline.Insert(3, repeated);
    ClearRecordedMessages();
    BuildTinGrid();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kNothingDone);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "外周に重複点があります");
    EXPECT_EQ(g_pickedPoint, repeated);
    EXPECT_EQ(g_tinEdgeCount, edges);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(CheckTin().openRecords, 0);
}

TEST_F(TinGridBuilderTest, CompletionReportsAndClearsTheOutsideBytes) {
    RandomSquare(300, 11);
    const int32_t far = AddPoint(5000, 5000);
    PrepareAndBuild();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text.rfind("三角網作成終了 ", 0), 0u);
    EXPECT_NE(RecordedMessages()[0].text.find(std::to_string(g_tinEdgeCount) + " ライン"), std::string::npos);
    EXPECT_EQ(StatusText(), " " + std::to_string(g_tinEdgeCount) + " ライン作成");
    for (int32_t p = 1; p <= g_pointCount; ++p) ASSERT_EQ(g_points[p].outside, 0) << p;
    EXPECT_FALSE(TinEdgeSet().count(Edge(far, g_outline[1])));
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_progressWnd, nullptr);

    // Quiet (host requests) and in the partial-TIN sub-state: no box.
    InitDataModel();
    ClearRecordedMessages();
    RandomSquare(300, 12);
    g_quietMode = 1;
    PrepareAndBuild();
    g_quietMode = 0;
    EXPECT_TRUE(RecordedMessages().empty());
    InitDataModel();
    RandomSquare(300, 13);
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_TIN;
    PrepareAndBuild();
    g_outlineEditState = 0;
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(StatusText(), "");
    for (int32_t p = 1; p <= g_pointCount; ++p) ASSERT_NE(g_points[p].outside, 2) << p;
}

TEST_F(TinGridBuilderTest, QStopsAfterConfirmationLeavingNoTin) {
    RandomSquare(3000, 21);
    SetLongLoopPollInterval(0);
    // Q held from before the start and never let go asks nothing; each new press asks once.
    SetHeadlessKeyDown('Q', true);
    QueueMessageAnswer(msg::kIdCancel);
    QueueMessageAnswer(msg::kIdCancel);
    QueueMessageAnswer(msg::kIdOk);
    bool busyInside = false;
    std::string firstLine;
    int pumps = 0;
    SetHeadlessPumpCallback([&] {
        busyInside = IsBusy();
        firstLine = LastHeadlessProgressTexts().firstLine;
        if (++pumps % 100 == 0) TapKey('Q');
    });
    PrepareAndBuild();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_GE(pumps, 300) << "asked before the third press";
    ASSERT_EQ(RecordedMessages().size(), 3u);
    for (const RecordedMessage& m : RecordedMessages()) EXPECT_EQ(m.text, "三角網計算を中止してよろしいですか");
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(firstLine.rfind("作成ライン数 ", 0), 0u);
    EXPECT_FALSE(IsBusy());
    EXPECT_EQ(g_progressWnd, nullptr);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_tinEdges[1].apexSearch, -1);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_redrawMask, -1);
    for (int32_t p = 1; p <= g_pointCount; ++p) ASSERT_NE(g_points[p].outside, 2) << p;
}

TEST_F(TinGridBuilderTest, QAfterTheLeftButtonShowedTheTinPutsThePreviousTinBack) {
    RandomSquare(3000, 22);
    const PreviousTin previous;
    SetLongLoopPollInterval(0);
    int polls = 0;
    SetHeadlessPumpCallback([&] {
        ++polls;
        if (polls == 200) SetHeadlessKeyDown(key::kMouseLeft, true);
        if (polls == 201) {
            EXPECT_EQ(g_tinPresent, -1);
            EXPECT_EQ(g_showTin, -1);
            EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
            // The points finished so far are marked as such while the TIN is shown.
            std::set<int32_t> open;
            for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
                if (g_tinEdges[r].apexSearch != 0) continue;
                open.insert(g_tinEdges[r].a);
                open.insert(g_tinEdges[r].b);
            }
            int32_t finished = 0;
            for (int32_t p = 1; p <= g_pointCount; ++p) {
                if (g_points[p].outside != 2) continue;
                ++finished;
                EXPECT_EQ(open.count(p), 0u) << p;
            }
            EXPECT_GT(finished, 0);
            SetHeadlessKeyDown(key::kMouseLeft, false);
        }
        if (polls == 400) SetHeadlessKeyDown('Q', true);
    });
    QueueMessageAnswer(msg::kIdOk);
    PrepareAndBuild();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kStopped);
    EXPECT_EQ(LastHeadlessProgressTexts().note, "       0 秒経過");
    // The part shown while building is not a TIN: the one from before comes back.
    previous.ExpectBack();
    for (int32_t p = 1; p <= g_pointCount; ++p) ASSERT_NE(g_points[p].outside, 2) << p;
}

TEST_F(TinGridBuilderTest, AFailedEnlargementOfTheEdgeBlockStopsAtTheLimit) {
    // 20000 points need about 60000 records, more than the 40000 the block starts with.
    RandomSquare(20000, 31);
    const PreviousTin previous;
    InjectAllocationFailures(0, 1000);
    PrepareAndBuild();
    InjectAllocationFailures(-1, 0);
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kLimit);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "作成ラインが制限を越えました。\n計算を終了します。");
    EXPECT_EQ(g_tinEdgeCapacity, kStartTinEdgeCapacity);
    previous.ExpectBack();
    for (int32_t p = 1; p <= g_pointCount; ++p) ASSERT_NE(g_points[p].outside, 2) << p;
}

TEST_F(TinGridBuilderTest, FiveRecordsPerPointIsTheLimit) {
    // Three points and an outline that goes round them six times: 18 sides, more than
    // five records per point before the first triangle.
    const int32_t a = AddPoint(0, 0), b = AddPoint(0, 10), c = AddPoint(10, 0);
    std::vector<int32_t> ring;
    for (int k = 0; k < 6; ++k) ring.insert(ring.end(), {a, c, b});
    SetOutline(ring);
    BuildTinGrid();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kLimit);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "作成ラインが制限を越えました。\n計算を終了します。");
    // No TIN before, none after.
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_tinEdges[1].a, -1);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_progressWnd, nullptr);
}

TEST_F(TinGridBuilderTest, ASideWithoutCandidateStopsAndPutsThePreviousTinBack) {
    // Three points on one line: no side has a point on its inner side.
    const int32_t a = AddPoint(0, 0), b = AddPoint(10, 0), c = AddPoint(20, 0);
    SetOutline({a, b, c});
    const PreviousTin previous;
    PrepareAndBuild();
    EXPECT_EQ(LastTinBuildResult(), TinBuildResult::kNoCandidate);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text.rfind("失敗しました。\n ", 0), 0u);
    EXPECT_NE(RecordedMessages()[0].text.find(" 間で停止"), std::string::npos);
    previous.ExpectBack();
    EXPECT_NE(g_pickedPoint, 0) << "the side where it stopped stays marked";
    EXPECT_EQ(g_progressWnd, nullptr);
}

TEST_F(TinGridBuilderTest, AMessagePassedOnWhileBuildingCannotStartASecondBuild) {
    RandomSquare(2000, 41);
    SetLongLoopPollInterval(0);
    int nested = 0;
    SetHeadlessPumpCallback([&] {
        if (nested++ < 3) BuildTinGrid();
    });
    PrepareAndBuild();
    ExpectDelaunay("outer build");
}
