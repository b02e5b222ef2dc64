#include "model/holes.h"

#include <gtest/gtest.h>

#include <CGAL/Exact_predicates_exact_constructions_kernel.h>

#include "hole_test_support.h"
#include "tin_cgal_support.h"
#include "model/hole_commands.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/message_box.h"

using namespace holetest;

namespace {

class HolesTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        SetLongLoopPollInterval(0);
    }
    void TearDown() override {
        SetLongLoopPollInterval(100);
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

// An L-shaped hole (concave) and a rectangle, both away from the outline.
const std::vector<std::pair<int32_t, int32_t>> kLShape = {{2, 2}, {6, 2}, {6, 4}, {4, 4}, {4, 7}, {2, 7}};
const std::vector<std::pair<int32_t, int32_t>> kRectangle = {{8, 2}, {10, 2}, {10, 5}, {8, 5}};

void ExpectAlongTinEdges(const std::vector<int32_t>& ring) {
    for (size_t i = 0; i < ring.size(); ++i)
        ASSERT_TRUE(IsTinEdge(ring[i], ring[(i + 1) % ring.size()])) << "ring side " << i;
}

}  // namespace

TEST_F(HolesTest, SurfaceKindOfATriangleFollowsItsVerticesNames) {
    struct Case {
        const char* a;
        const char* b;
        const char* s;
        int32_t want;
    };
    const Case cases[] = {
        {"_F1", "_F2", "_F3", kTrianglePlan},      {"_F1", "_F2", "_N3", kTriangleSlope},
        {"_H1", "_H2", "P3", kTriangleCurrent},    {"_C1", "_H2", "_W3", kTrianglePlan},
        {"_H1", "_W2", "_N3", kTriangleBuilding},  {"_W1", "_N2", "_F3", kTriangleWater},
        {"_N1", "_N2", "_N3", kTriangleSlope},     {"_X1", "_N2", "_N3", kTriangleCurrent},
        {"C1", "_C2", "_C3", kTriangleCurrent},    {"_", "_N2", "_N3", kTriangleCurrent},
    };
    // One triangle per case, its record registered only when its kind's switch is on.
    for (const Case& c : cases) {
        InitDataModel();
        const int32_t a = AddPoint(0, 0), b = AddPoint(0, 10), s = AddPoint(10, 0);
        std::strcpy(g_points[a].name, c.a);
        std::strcpy(g_points[b].name, c.b);
        std::strcpy(g_points[s].name, c.s);
        EXPECT_EQ(TriangleSurfaceOf(SurfaceClassOfName(c.a), SurfaceClassOfName(c.b),
                                    SurfaceClassOfName(c.s)),
                  c.want)
            << c.a << " " << c.b << " " << c.s;
        g_tinEdgeCount = 1;
        g_tinEdges[1] = TinEdge{a, b, kNoApex, s, 0};
        SetTinEndRecord();
        const int32_t kinds[] = {kTriangleCurrent, kTrianglePlan, kTriangleSlope, kTriangleWater,
                                 kTriangleBuilding};
        for (int32_t k : kinds) {
            MarkHoleTriangles(k == kTriangleCurrent, k == kTrianglePlan, k == kTriangleSlope,
                              k == kTriangleWater, k == kTriangleBuilding, 1);
            EXPECT_EQ(g_tinEdges[1].a < 0, k == c.want) << c.a << " " << c.b << " " << c.s << " switch " << k;
            EXPECT_EQ(g_tinEdges[1].apexBack, kNoApex);
            MarkHoleTriangles(1, 1, 1, 1, 1, 0);
        }
    }
}

TEST_F(HolesTest, RegisterThenReleaseAndInvertTwiceRestoreEveryRecord) {
    BuildLatticeTin(8, 10.0, 1.5, 3);
    const char* prefixes[] = {"_C", "_F", "_N", "_W", "_H", "P"};
    for (int32_t p = 1; p <= g_pointCount; ++p) std::snprintf(g_points[p].name, 12, "%s%d", prefixes[p % 6], p % 1000);
    const std::vector<TinEdge> before = RecordsCopy();
    int32_t border = 0;
    for (const TinEdge& r : before) border += r.apexBack == kNoApex;
    ASSERT_GT(border, 0);

    MarkHoleTriangles(1, 1, 1, 1, 1, 1);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        EXPECT_TRUE(r.a < 0 && r.b < 0 && r.apexSearch < 0) << i;
        EXPECT_TRUE(r.apexBack < 0) << i;  // the no-apex mark is negative as it stands
        EXPECT_EQ(r.apexBack == kNoApex, before[i - 1].apexBack == kNoApex) << i;
    }
    MarkHoleTriangles(1, 1, 1, 1, 1, 0);
    EXPECT_TRUE(SameBytes(before));

    // Some kinds only, twice over: registering is idempotent and releasing undoes it.
    MarkHoleTriangles(0, 1, 0, 1, 0, 1);
    MarkHoleTriangles(0, 1, 0, 1, 0, 1);
    EXPECT_FALSE(SameBytes(before));
    MarkHoleTriangles(0, 1, 0, 1, 0, 0);
    EXPECT_TRUE(SameBytes(before));

    for (int32_t inverted : {0, 1}) {
        MarkHoleTriangles(0, 0, 1, 0, 0, 1);
        const std::vector<TinEdge> marked = RecordsCopy();
        g_holesInverted = inverted;
        InvertHoleMarks();
        EXPECT_EQ(g_holesInverted, 1 - inverted);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
            EXPECT_EQ(g_tinEdges[i].a, -marked[i - 1].a);
        InvertHoleMarks();
        EXPECT_EQ(g_holesInverted, inverted);
        EXPECT_TRUE(SameBytes(marked));
        ReleaseAllHoleMarks();
        EXPECT_EQ(g_holesInverted, 0);
        EXPECT_TRUE(SameBytes(before));
    }
}

TEST_F(HolesTest, PolygonKindsMatchTheConstrainedDelaunayTriangulationWithHoleConstraints) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        for (int32_t kind : {kHoleAreaVolume, kHoleCutTin}) {
            InitDataModel();
            const Lattice l = BuildLatticeTin(13, 10.0, 1.5, seed);
            const std::vector<int32_t> lShape = l.Path(kLShape), rectangle = l.Path(kRectangle);
            ExpectAlongTinEdges(lShape);
            ExpectAlongTinEdges(rectangle);
            const std::set<Triangle> all = Triangles(false, true);
            const int32_t records = g_tinEdgeCount;

            for (const auto* ring : {&lShape, &rectangle}) {
                ApplyHolePolygon(kind, SetPickPolygon(*ring));
                ClearPicks();
            }
            const std::set<Triangle> expected = CgalFacesOutsideHoles({lShape, rectangle});
            if (kind == kHoleAreaVolume) {
                EXPECT_EQ(g_tinEdgeCount, records);
                EXPECT_EQ(Triangles(false, false), expected) << "seed " << seed;
                // Every triangle is either a hole or not, and none went missing.
                std::set<Triangle> both = Triangles(false, false);
                for (const Triangle& t : Triangles(true, false)) EXPECT_TRUE(both.insert(t).second);
                EXPECT_EQ(both, all);
            } else {
                EXPECT_LT(g_tinEdgeCount, records);
                EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
                EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].apexSearch, -1);
                EXPECT_EQ(Triangles(false, true), expected) << "seed " << seed;
            }
        }
    }
}

TEST_F(HolesTest, EdgeKindTakesTheEdgesWhoseMidpointIsInOrOnTheConcavePolygon) {
    using Exact = CGAL::Exact_predicates_exact_constructions_kernel;
    int32_t chordsOutside = 0;
    for (uint32_t seed : {4u, 5u, 6u, 7u, 8u, 9u}) {
        InitDataModel();
        const Lattice l = BuildLatticeTin(13, 10.0, 1.5, seed);
        const std::vector<int32_t> lShape = l.Path(kLShape);
        ExpectAlongTinEdges(lShape);
        std::vector<Exact::Point_2> polygon;
        for (int32_t p : lShape) polygon.emplace_back(g_points[p].y, g_points[p].x);
        std::set<std::pair<int32_t, int32_t>> expected;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            const Exact::Point_2 mid =
                CGAL::midpoint(Exact::Point_2(g_points[r.a].y, g_points[r.a].x),
                               Exact::Point_2(g_points[r.b].y, g_points[r.b].x));
            const bool in = CGAL::bounded_side_2(polygon.begin(), polygon.end(), mid, Exact()) !=
                            CGAL::ON_UNBOUNDED_SIDE;
            if (in) expected.insert(Edge(r.a, r.b));
            const bool bothOnRing = std::count(lShape.begin(), lShape.end(), r.a) &&
                                    std::count(lShape.begin(), lShape.end(), r.b);
            chordsOutside += bothOnRing && !in;
        }

        MarkEdgePointsInPolygon(SetPickPolygon(lShape), 0);
        std::set<std::pair<int32_t, int32_t>> taken;
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& r = g_tinEdges[i];
            if (r.a < 0) taken.insert(Edge(-r.a, -r.b));
            // The verdict stays on the record's first point.
            if (i == g_tinEdgeCount) {
                EXPECT_EQ((g_points[std::abs(r.a)].flags & kPointFlagRectSelected) != 0, r.a < 0);
            }
        }
        EXPECT_EQ(taken, expected) << "seed " << seed;

        // Releasing by the same polygon gives every record back.
        MarkEdgePointsInPolygon(SetPickPolygon(lShape), 1);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) EXPECT_GT(g_tinEdges[i].a, 0);
    }
    // Some notch holds a line between two polygon vertices that runs outside the polygon.
    EXPECT_GT(chordsOutside, 0);
}

TEST_F(HolesTest, PolygonsOfFewerThanThreeVerticesChangeNothing) {
    const Lattice l = BuildLatticeTin(6, 10.0, 1.0, 9);
    const std::vector<TinEdge> before = RecordsCopy();
    const std::vector<int32_t> triangle = {l.At(2, 2), l.At(2, 3), l.At(3, 3)};
    for (int32_t kind : {kHoleContour, kHoleAreaVolume, kHoleCutTin}) {
        SetPickPolygon({l.At(2, 2), l.At(2, 3)});
        ApplyHolePolygon(kind, 2);
        EXPECT_TRUE(SameBytes(before)) << kind;
    }
    // Three vertices are a polygon for all three routines.
    ASSERT_TRUE(IsTinEdge(triangle[0], triangle[1]) && IsTinEdge(triangle[1], triangle[2]));
    if (IsTinEdge(triangle[0], triangle[2])) {
        ApplyHolePolygon(kHoleAreaVolume, SetPickPolygon(triangle));
        EXPECT_EQ(Triangles(true, false), std::set<Triangle>{SortedTriangle(triangle[0], triangle[1], triangle[2])});
    }
}

TEST_F(HolesTest, TheRectangleMarksRegisterReleaseAndTraceTheirBoundary) {
    const Lattice l = BuildLatticeTin(10, 10.0, 1.5, 11);
    const std::vector<TinEdge> before = RecordsCopy();
    // The points of a 4 x 3 block of the lattice carry bit 0x10.
    std::set<int32_t> block;
    for (int32_t r = 3; r <= 5; ++r)
        for (int32_t c = 2; c <= 5; ++c) {
            block.insert(l.At(r, c));
            g_points[l.At(r, c)].flags |= kPointFlagRectSelected;
        }
    int32_t inside = 0;
    for (const TinEdge& r : before) inside += block.count(r.a) && block.count(r.b);
    EXPECT_EQ(SetHoleSignOfMarkedEdges(0), inside);
    EXPECT_EQ(SetHoleSignOfMarkedEdges(1), 0);
    EXPECT_TRUE(SameBytes(before));

    EXPECT_EQ(SetHoleSignOfMarkedEdges(2), inside);
    // The ring of the block's border points, closed, each with bit 0x02.
    const std::vector<int32_t> border = l.Path({{2, 3}, {5, 3}, {5, 5}, {2, 5}});
    const int32_t n = g_pickList2.Count();
    ASSERT_EQ(n, static_cast<int32_t>(border.size()));
    EXPECT_EQ(g_pickList2[n + 1], g_pickList2[1]);
    EXPECT_EQ(std::set<int32_t>(g_pickList2.Data() + 1, g_pickList2.Data() + 1 + n),
              std::set<int32_t>(border.begin(), border.end()));
    for (int32_t k = 1; k <= n; ++k) {
        EXPECT_TRUE(g_points[g_pickList2[k]].flags & kPointFlagPickList2);
        EXPECT_TRUE(IsTinEdge(g_pickList2[k], g_pickList2[k + 1]));
    }
}

TEST_F(HolesTest, ReleaseAllAndInvertAskFirstAndNeedATin) {
    // No TIN: a message and nothing else.
    AddPoint(0, 0);
    g_holesInverted = 1;
    ReleaseAllHoles();
    InvertHoles();
    ASSERT_EQ(RecordedMessages().size(), 2u);
    EXPECT_EQ(RecordedMessages()[0].text, "三角網が計算されていません");
    EXPECT_EQ(g_holesInverted, 1);

    InitDataModel();
    BuildLatticeTin(5, 10.0, 1.0, 2);
    MarkHoleTriangles(1, 0, 0, 0, 0, 1);
    const std::vector<TinEdge> marked = RecordsCopy();
    ClearRecordedMessages();
    QueueMessageAnswer(msg::kIdCancel);
    InvertHoles();
    EXPECT_TRUE(SameBytes(marked));
    EXPECT_EQ(RecordedMessages().back().text, "中抜領域とそれ以外の領域を\n反転します。よろしいですか？");
    InvertHoles();  // OK by default
    EXPECT_EQ(g_holesInverted, 1);
    EXPECT_GT(g_tinEdges[1].a, 0);
    ReleaseAllHoles();
    EXPECT_EQ(RecordedMessages().back().text, "中抜を全て解除します。\nよろしいですか？");
    EXPECT_EQ(g_holesInverted, 0);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) EXPECT_GT(g_tinEdges[i].a, 0);
}
