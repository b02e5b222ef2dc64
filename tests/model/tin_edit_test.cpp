#include "model/tin_edit.h"

#include <gtest/gtest.h>

#include "hole_test_support.h"
#include "model/hole_commands.h"
#include "model/holes.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

using namespace holetest;

namespace {

// A plan view of 801 x 601 pixels, 5 pixels a metre, centred on the lattice.
class TinEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        SetLongLoopPollInterval(0);
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewScale = 5;
        g_birdsEyeOn = 0;
        g_showTin = -1;
        g_projectionValid = 0;
    }
    void TearDown() override {
        SetLongLoopPollInterval(100);
        SetHoleKindChooser(nullptr);
        g_toolMode = MODE_NONE;
        g_outlineEditState = 0;
        g_pointEditState = 0;
        ClearRecordedMessages();
        ReleaseDataModel();
    }
    // The lattice TIN in view.
    Lattice Make(int32_t n, uint32_t seed) {
        const Lattice l = BuildLatticeTin(n, 10.0, 1.5, seed);
        g_viewCenterX = 1000.0 + 5.0 * (n - 1);
        g_viewCenterY = 2000.0 + 5.0 * (n - 1);
        ProjectAllData(0);
        ClearRecordedMessages();
        return l;
    }
};

// Client pixel of a ground position in the plan.
std::pair<int32_t, int32_t> Client(double x, double y) {
    return {static_cast<int32_t>(std::lround(g_viewportCenterX + (y - g_viewCenterY) * g_viewScale)),
            static_cast<int32_t>(std::lround(g_viewportCenterY - (x - g_viewCenterX) * g_viewScale))};
}
std::pair<int32_t, int32_t> ClientOf(int32_t p) { return Client(g_points[p].x, g_points[p].y); }
std::pair<int32_t, int32_t> ClientMid(int32_t a, int32_t b) {
    return Client(0.5 * (g_points[a].x + g_points[b].x), 0.5 * (g_points[a].y + g_points[b].y));
}

void SwapClick(std::pair<int32_t, int32_t> at) { SwapTinDiagonal(0, at.first, at.second); }
void PolygonClick(int32_t p) {
    ProjectAllData(0);
    const auto [x, y] = ClientOf(p);
    PickTinPolygonAtCursor(0, x, y);
}

// An interior record of the lattice away from the border, with both triangles.
int32_t InteriorRecord(const Lattice& l) {
    const int32_t p = l.At(l.n / 2, l.n / 2);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        if (r.a == p && r.apexBack > 0 && r.apexSearch > 0) return i;
    }
    return 0;
}

}  // namespace

TEST_F(TinEditTest, SwappingTheSameDiagonalTwiceRestoresThePair) {
    const Lattice l = Make(7, 3);
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_TIN_EDGE;
    const std::set<Triangle> before = Triangles(false, true);
    const int32_t e = InteriorRecord(l);
    ASSERT_NE(e, 0);
    const TinEdge r = g_tinEdges[e];

    SwapClick(ClientMid(r.a, r.b));
    ASSERT_EQ(g_pickAux2, r.a);
    ASSERT_EQ(g_pickAux1, r.b);
    EXPECT_EQ(g_pickedPoint3, r.apexSearch);
    EXPECT_EQ(g_pickedPoint4, r.apexBack);
    EXPECT_EQ(g_swapNoCross, 0);
    SwapClick({5, 5});  // the second click acts wherever it is made
    EXPECT_EQ(g_pickAux1, 0);
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(Edge(g_tinEdges[e].a, g_tinEdges[e].b), Edge(r.apexBack, r.apexSearch));
    std::set<Triangle> swapped = before;
    swapped.erase(SortedTriangle(r.a, r.b, r.apexSearch));
    swapped.erase(SortedTriangle(r.a, r.b, r.apexBack));
    swapped.insert(SortedTriangle(r.apexBack, r.apexSearch, r.a));
    swapped.insert(SortedTriangle(r.apexBack, r.apexSearch, r.b));
    EXPECT_EQ(Triangles(false, true), swapped);
    const TinCheck after = CheckTin();
    EXPECT_EQ(after.badTurns, 0);
    EXPECT_EQ(after.duplicateEdges, 0);
    EXPECT_EQ(after.openRecords, 0);

    SwapClick(ClientMid(g_tinEdges[e].a, g_tinEdges[e].b));
    ASSERT_NE(g_pickAux1, 0);
    SwapClick({5, 5});
    EXPECT_EQ(Triangles(false, true), before);
    EXPECT_EQ(Edge(g_tinEdges[e].a, g_tinEdges[e].b), Edge(r.a, r.b));
    EXPECT_EQ(CheckTin().badTurns, 0);
}

TEST_F(TinEditTest, BorderHoleAndConcaveEdgesAreNotSelected) {
    const Lattice l = Make(7, 4);
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_TIN_EDGE;
    const std::vector<TinEdge> before = RecordsCopy();
    // A border edge (no triangle behind it).
    SwapClick(ClientMid(l.At(0, 2), l.At(0, 3)));
    EXPECT_EQ(g_pickAux1, 0);
    // A hole edge.
    const int32_t e = InteriorRecord(l);
    const TinEdge r = g_tinEdges[e];
    MarkHoleTriangles(1, 1, 1, 1, 1, 1);
    SwapClick(ClientMid(-g_tinEdges[e].a, -g_tinEdges[e].b));
    EXPECT_EQ(g_pickAux1, 0);
    MarkHoleTriangles(1, 1, 1, 1, 1, 0);
    // Without the TIN shown, clicks are ignored.
    g_showTin = 0;
    SwapClick(ClientMid(r.a, r.b));
    EXPECT_EQ(g_pickAux1, 0);
    g_showTin = -1;
    EXPECT_TRUE(SameBytes(before));

    // A quadrilateral that is not convex: its diagonals do not cross, nothing is kept.
    InitDataModel();
    const int32_t a = AddPoint(0, 0), b = AddPoint(10, 0), s = AddPoint(12, 5), k = AddPoint(12, -5);
    g_tinEdgeCount = 5;
    g_tinEdges[1] = TinEdge{a, b, k, s, 0};
    g_tinEdges[2] = TinEdge{b, s, kNoApex, a, 0};
    g_tinEdges[3] = TinEdge{s, a, kNoApex, b, 0};
    g_tinEdges[4] = TinEdge{a, k, kNoApex, b, 0};
    g_tinEdges[5] = TinEdge{k, b, kNoApex, a, 0};
    SetTinEndRecord();
    g_tinPresent = -1;
    g_viewCenterX = 5;
    g_viewCenterY = 0;
    ProjectAllData(0);
    const std::vector<TinEdge> quad = RecordsCopy();
    SwapClick(ClientMid(a, b));
    EXPECT_EQ(g_pickAux1, 0);
    EXPECT_EQ(g_swapNoCross, 1);
    SwapClick(ClientMid(a, b));
    EXPECT_TRUE(SameBytes(quad));
}

TEST_F(TinEditTest, TheSwapToolNeedsATinAndItsCommandSwitchesItOff) {
    AddPoint(0, 0);
    OnTinEdit();
    EXPECT_EQ(g_outlineEditState, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    InitDataModel();
    Make(4, 1);
    OnTinEdit();
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    EXPECT_EQ(g_outlineEditState, OUTLINE_EDIT_TIN_EDGE);
    OnTinEdit();
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_outlineEditState, 0);
}

TEST_F(TinEditTest, UnusedPointTrianglesGoOrTurnAway) {
    // Points 1..4 are A, B, back apex K and search apex S of one record.
    struct Case {
        const char* what;
        std::vector<int32_t> invalid;
        TinEdge record;
        bool kept;
        TinEdge want;
    };
    const TinEdge r{1, 2, 3, 4, 7};
    const TinEdge hole{-1, -2, -3, -4, 0};
    const Case cases[] = {
        {"none invalid", {}, r, true, {1, 2, 3, 4, 0}},
        {"A invalid", {1}, r, false, {}},
        {"B invalid", {2}, r, false, {}},
        {"back apex invalid", {3}, r, true, {1, 2, kNoApex, 4, 0}},
        {"search apex invalid", {4}, r, true, {2, 1, kNoApex, 3, 0}},
        {"search apex invalid, no back", {4}, {1, 2, kNoApex, 4, 0}, false, {}},
        {"both apexes invalid", {3, 4}, r, false, {}},
        {"hole, search apex invalid", {4}, hole, true, {-2, -1, kNoApex, -3, 0}},
        {"temporarily invalid counts as valid", {-4}, r, true, {1, 2, 3, 4, 0}},
    };
    for (const Case& c : cases) {
        InitDataModel();
        for (int i = 0; i < 5; ++i) AddPoint(i, i * i);
        for (int32_t p : c.invalid) g_points[std::abs(p)].invalid = p < 0 ? 99 : 1;
        // The record between two others that stay, to see the order kept.
        g_tinEdgeCount = 3;
        g_tinEdges[1] = TinEdge{5, 1, kNoApex, 2, 0};
        g_tinEdges[2] = c.record;
        g_tinEdges[3] = TinEdge{2, 5, kNoApex, 1, 0};
        if (!c.invalid.empty() && c.invalid[0] <= 2 && c.invalid[0] > 0) {
            // Keep the neighbours free of the invalid end point.
            g_tinEdges[1] = TinEdge{5, 3, kNoApex, 4, 0};
            g_tinEdges[3] = TinEdge{4, 5, kNoApex, 3, 0};
        }
        const TinEdge first = g_tinEdges[1], last = g_tinEdges[3];
        SetTinEndRecord();
        DeleteUnusedPointTriangles();
        ASSERT_EQ(g_tinEdgeCount, c.kept ? 3 : 2) << c.what;
        EXPECT_EQ(std::memcmp(&g_tinEdges[1], &first, sizeof first), 0) << c.what;
        EXPECT_EQ(std::memcmp(&g_tinEdges[g_tinEdgeCount], &last, sizeof last), 0) << c.what;
        if (c.kept) {
            EXPECT_EQ(std::memcmp(&g_tinEdges[2], &c.want, sizeof c.want), 0) << c.what;
        }
        EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1) << c.what;
        EXPECT_EQ(g_dataChanged, -1);
    }
}

TEST_F(TinEditTest, ARectangleRegistersAndReleasesTheHolesOfItsPoints) {
    const Lattice l = Make(8, 6);
    const std::vector<TinEdge> before = RecordsCopy();
    // The rectangle around rows 2..4 and columns 3..5 of the lattice.
    const auto [x0, y0] = Client(1000.0 + 15.0, 2000.0 + 25.0);
    const auto [x1, y1] = Client(1000.0 + 45.0, 2000.0 + 55.0);
    std::set<int32_t> inside;
    for (int32_t r = 2; r <= 4; ++r)
        for (int32_t c = 3; c <= 5; ++c) inside.insert(l.At(r, c));
    int32_t taken = 0;
    for (const TinEdge& r : before) taken += inside.count(r.a) && inside.count(r.b);

    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_HOLE_REGISTER;
    QueueMessageAnswer(msg::kIdNo);
    EXPECT_EQ(ApplyRectangleSelection(x0, y0, x1, y1), 9);
    EXPECT_TRUE(SameBytes(before));
    EXPECT_EQ(ApplyRectangleSelection(x1, y1, x0, y0), 9);
    EXPECT_EQ(RecordedMessages().back().text, "選択範囲を中抜登録します");
    EXPECT_EQ(RecordedMessages().back().caption, "確認");
    EXPECT_EQ(static_cast<int32_t>(Triangles(true, false).size() > 0), 1);
    int32_t negative = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) negative += g_tinEdges[i].a < 0;
    EXPECT_EQ(negative, taken);
    for (int32_t p = 1; p <= g_pointCount; ++p) EXPECT_EQ(g_points[p].flags & kPointFlagRectSelected, 0);

    g_outlineEditState = OUTLINE_EDIT_HOLE_DELETE;
    EXPECT_EQ(ApplyRectangleSelection(x0, y0, x1, y1), 9);
    EXPECT_EQ(RecordedMessages().back().text, "選択範囲を中抜解除します");
    EXPECT_TRUE(SameBytes(before));

    // Nothing inside, or the swap tool: nothing happens.
    const auto [e0, f0] = Client(900.0, 1900.0);
    EXPECT_EQ(ApplyRectangleSelection(e0, f0, e0 + 20, f0 + 20), 0);
    g_outlineEditState = OUTLINE_EDIT_TIN_EDGE;
    EXPECT_EQ(ApplyRectangleSelection(x0, y0, x1, y1), 0);
    EXPECT_TRUE(SameBytes(before));
}

TEST_F(TinEditTest, PartialRecalculationByPolygonAndByRectangle) {
    for (const bool byRectangle : {false, true}) {
        InitDataModel();
        const Lattice l = Make(10, 8);
        const double area = CheckTin().area;
        // The block of cells from column 2 to 6 and row 2 to 6 gets new points.
        const std::vector<int32_t> ring = l.Path({{2, 2}, {6, 2}, {6, 6}, {2, 6}});
        std::set<int32_t> block;
        for (int32_t r = 2; r <= 6; ++r)
            for (int32_t c = 2; c <= 6; ++c) block.insert(l.At(r, c));
        std::set<std::pair<int32_t, int32_t>> outside;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            if (!block.count(r.a) || !block.count(r.b)) outside.insert(Edge(r.a, r.b));
        }
        std::mt19937_64 rng(5);
        std::uniform_real_distribution<double> u(25.0, 55.0);
        for (int i = 0; i < 30; ++i) AddPoint(1000.0 + u(rng), 2000.0 + u(rng), 60.0);
        ProjectAllData(0);

        g_toolMode = MODE_OUTLINE_EDIT;
        g_outlineEditState = OUTLINE_EDIT_PARTIAL_TIN;
        if (byRectangle) {
            const auto [x0, y0] = Client(1000.0 + 15.0, 2000.0 + 15.0);
            const auto [x1, y1] = Client(1000.0 + 65.0, 2000.0 + 65.0);
            EXPECT_GT(ApplyRectangleSelection(x0, y0, x1, y1), 0);
            EXPECT_EQ(RecordedMessages().at(0).text, "三角網部分計算を開始します");
        } else {
            for (int32_t p : ring) PolygonClick(p);
            EXPECT_EQ(g_pickList2.Count(), static_cast<int32_t>(ring.size()));
            PolygonClick(ring[0]);
            EXPECT_EQ(RecordedMessages().at(0).text, "三角網再計算を開始します。");
            EXPECT_EQ(g_toolMode, MODE_NONE);
        }
        // Every new point is in the TIN, which is still a proper Delaunay triangulation
        // of the same area, and the lines outside the block stayed.
        const TinCheck c = CheckTin();
        EXPECT_EQ(c.openRecords, 0);
        EXPECT_EQ(c.badTurns, 0);
        EXPECT_EQ(c.duplicateEdges, 0);
        EXPECT_EQ(c.notLocallyDelaunay, 0);
        EXPECT_NEAR(c.area, area, 1e-6 * area);
        std::set<int32_t> vertices;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            EXPECT_GT(g_tinEdges[i].a, 0) << "no hole mark left";
            vertices.insert(g_tinEdges[i].a);
            vertices.insert(g_tinEdges[i].b);
        }
        EXPECT_EQ(static_cast<int32_t>(vertices.size()), g_pointCount) << byRectangle;
        const std::set<std::pair<int32_t, int32_t>> now = TinEdgeSet();
        for (const auto& e : outside) EXPECT_TRUE(now.count(e)) << byRectangle << " " << e.first << "-" << e.second;
    }
}

TEST_F(TinEditTest, ThePolygonFollowsTinEdgesAndClosesFromTheThirdPoint) {
    const Lattice l = Make(6, 2);
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_HOLE_DELETE;
    PolygonClick(l.At(1, 1));
    PolygonClick(l.At(3, 3));  // not joined by an edge: ignored
    EXPECT_EQ(g_pickList2.Count(), 1);
    PolygonClick(l.At(1, 2));
    PolygonClick(l.At(1, 1));  // two points do not close
    EXPECT_EQ(g_pickList2.Count(), 2);
    PolygonClick(l.At(1, 2));  // the last point again takes it back
    EXPECT_EQ(g_pickList2.Count(), 1);
    EXPECT_EQ(g_points[l.At(1, 2)].flags & kPointFlagPickList2, 0);
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
}

TEST_F(TinEditTest, ADraggedRectangleIsAClickOnlyWhenItSelectedNothing) {
    const Lattice l = Make(6, 7);
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_HOLE_REGISTER;
    const std::vector<TinEdge> before = RecordsCopy();
    auto drag = [](std::pair<int32_t, int32_t> from, std::pair<int32_t, int32_t> to) {
        OnViewLButtonDown(kMouseFlagLeft, from.first, from.second, false);
        OnViewMouseMove(kMouseFlagLeft, (from.first + to.first) / 2, (from.second + to.second) / 2);
        OnViewMouseMove(kMouseFlagLeft, to.first, to.second);
        OnViewLButtonUp(0, to.first, to.second, false);
    };
    // From south-west of one point to a point two cells north-east: the points between are
    // selected and the selection is asked about (No); the release is no click.
    const int32_t p = l.At(2, 2), target = l.At(3, 4);
    const auto [px, py] = ClientOf(p);
    QueueMessageAnswer(msg::kIdNo);
    ProjectAllData(0);
    drag({px - 12, py + 12}, ClientOf(target));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages().back().text, "選択範囲を中抜登録します");
    EXPECT_EQ(g_pickList2.Count(), 0);
    EXPECT_EQ(g_dragState, 0);
    EXPECT_TRUE(SameBytes(before));
    // A rectangle from empty ground that ends on a point: nothing selected, so the release
    // is the polygon tool's click there.
    ClearRecordedMessages();
    const auto [tx, ty] = ClientOf(target);
    drag({tx + 12, ty + 12}, {tx, ty});
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_pickList2.Count(), 1);
    EXPECT_EQ(g_pickList2[1], target);
}

TEST_F(TinEditTest, TheBadTriangleCheckTellsHowManyItFound) {
    const Lattice l = Make(6, 9);
    OnBadTriangleCheck();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "不良三角網はありませんでした。");
    // A second record of an interior edge: its back triangle is held three times.
    const int32_t e = InteriorRecord(l);
    ASSERT_EQ(EnsureTinEdgeCapacity(g_tinEdgeCount + 1), 0);
    g_tinEdges[++g_tinEdgeCount] = g_tinEdges[e];
    SetTinEndRecord();
    ClearRecordedMessages();
    OnBadTriangleCheck();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    const int32_t n = std::count_if(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount,
                                    [](const TinEdge& r) { return r.a < 0 && r.b < 0; });
    ASSERT_GT(n, 0);
    EXPECT_EQ(RecordedMessages()[0].text, FormatString("不良三角網が %d個あります。", n));
}
