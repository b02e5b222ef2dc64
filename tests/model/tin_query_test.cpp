#include <gtest/gtest.h>

#include "model/point_in_outline.h"
#include "model/tin_grid_builder.h"
#include "model/tin_query.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "tin_test_support.h"
#include "view/view_state.h"

using namespace tintest;

namespace {

class TinQuery : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_editPoint = RandomPoint{};
    }
    void TearDown() override {
        ClearRecordedMessages();
        ReleaseDataModel();
    }
};

constexpr double kA = 0.3, kB = -0.2, kC = 50.0;
double Plane(double x, double y) { return kA * x + kB * y + kC; }

// Random points on the plane z = a x + b y + c inside a square outline, with their TIN.
void PlaneTin(int32_t n, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(10000.0, 11000.0);
    for (int32_t i = 0; i < n; ++i) {
        const double x = u(rng), y = u(rng);
        AddPoint(x, y, Plane(x, y));
    }
    std::vector<int32_t> ring;
    for (auto [x, y] : {std::pair{9999.0, 9999.0}, {9999.0, 11001.0}, {11001.0, 11001.0}, {11001.0, 9999.0}})
        ring.push_back(AddPoint(x, y, Plane(x, y)));
    SetOutline(ring);
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
}

void AddRecord(int32_t a, int32_t b, int32_t back, int32_t search) {
    ASSERT_EQ(EnsureTinEdgeCapacity(g_tinEdgeCount + 1), 0);
    g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, back, search, 0};
    SetTinEndRecord();
}

}  // namespace

TEST_F(TinQuery, ElevationOnAPlaneTinIsThePlane) {
    PlaneTin(400, 3);
    std::mt19937_64 rng(8);
    std::uniform_real_distribution<double> u(9999.0, 11001.0);
    std::vector<std::pair<double, double>> probes;
    for (int i = 0; i < 300; ++i) probes.emplace_back(u(rng), u(rng));
    // On TIN vertices and on the middle of TIN lines as well.
    for (int32_t i = 1; i <= 200; ++i) {
        const RandomPoint& a = g_points[g_tinEdges[i].a];
        const RandomPoint& b = g_points[g_tinEdges[i].b];
        probes.emplace_back(a.x, a.y);
        probes.emplace_back(0.5 * (a.x + b.x), 0.5 * (a.y + b.y));
    }
    for (auto [x, y] : probes) {
        double z = -1;
        const int32_t located = LocateTinTriangle(x, y, &z);
        ASSERT_GT(located, 0) << x << ", " << y;
        EXPECT_NEAR(z, Plane(x, y), 1e-9) << x << ", " << y;
        EXPECT_EQ(LocateTinTriangle(x, y, nullptr), located);
        g_editPoint.z = -1;
        ASSERT_GT(GetTinZ(x, y), 0) << x << ", " << y;
        EXPECT_NEAR(g_editPoint.z, Plane(x, y), 1e-9) << x << ", " << y;
    }
    // Outside the TIN: nothing found, the template keeps its elevation.
    g_editPoint.z = 123.0;
    double z = 7.0;
    EXPECT_EQ(LocateTinTriangle(9998.0, 10500.0, &z), 0);
    EXPECT_EQ(z, 7.0);
    EXPECT_EQ(GetTinZ(9998.0, 10500.0), 0);
    EXPECT_EQ(GetTinZ(10500.0, 11001.5), 0);
    EXPECT_EQ(g_editPoint.z, 123.0);
}

TEST_F(TinQuery, TrianglesWithoutPlanAreaAreNeverDividedBy) {
    // Record 1: three points on one line in plan (a vertical triangle). Record 2: a proper
    // triangle over the same place.
    const int32_t p1 = AddPoint(0, 0, 10), p2 = AddPoint(0, 10, 20), p3 = AddPoint(0, 5, 99);
    const int32_t q1 = AddPoint(-5, 0, 1), q2 = AddPoint(-5, 10, 1), q3 = AddPoint(5, 5, 1);
    AddRecord(p1, p2, kNoApex, p3);
    AddRecord(q1, q2, kNoApex, q3);
    double z = 0;
    EXPECT_EQ(InterpolateInTriangle(0, 0, 10, 0, 10, 20, 0, 5, 99, 0, 5, &z), 0);
    EXPECT_EQ(GetTinZ(0, 5), 2);
    EXPECT_DOUBLE_EQ(g_editPoint.z, 1.0);
    // The lookup by plane normal takes the first vertex's elevation for it.
    EXPECT_EQ(LocateTinTriangle(0, 5, &z), 1);
    EXPECT_DOUBLE_EQ(z, 10.0);
}

TEST_F(TinQuery, InterpolationCountsEdgesAndCornersAsInside) {
    // Counterclockwise on the map: (X, Y) = (0, 0), (0, 10), (10, 0).
    struct Case {
        double x, y;
        int32_t want;
    };
    const Case cases[] = {{2, 2, -1}, {0, 5, -1}, {5, 5, -1}, {0, 0, -1}, {10, 0, -1}, {6, 6, 0}, {-1, 2, 0}};
    for (const Case& c : cases) {
        double z = -1;
        EXPECT_EQ(InterpolateInTriangle(0, 0, 1, 0, 10, 2, 10, 0, 3, c.x, c.y, &z), c.want) << c.x << ", " << c.y;
        if (c.want) {
            EXPECT_NEAR(z, 1 + 0.1 * c.y + 0.2 * c.x, 1e-12);
        }
    }
    // Taken clockwise the same triangle holds nothing.
    double z = 0;
    EXPECT_EQ(InterpolateInTriangle(0, 0, 1, 10, 0, 3, 0, 10, 2, 2, 2, &z), 0);
}

TEST_F(TinQuery, AdjacencyCountsAgreeWithACountByHand) {
    PlaneTin(150, 5);
    std::vector<int32_t> search, back;
    std::vector<uint8_t> first;
    ASSERT_EQ(BuildTinAdjacency(&search, &back, &first), -1);
    ASSERT_EQ(search.size(), static_cast<size_t>(g_tinEdgeCount) + 1);
    // The same triangle, turning the same way: equal as rotations of one another.
    auto same = [](std::array<int32_t, 3> t, std::array<int32_t, 3> u) {
        for (int k = 0; k < 3; ++k) {
            if (t == u) return true;
            std::rotate(u.begin(), u.begin() + 1, u.end());
        }
        return false;
    };
    int32_t firsts = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        int32_t bySearch = 0, byBack = 0;
        for (int32_t j = 1; j <= g_tinEdgeCount; ++j) {
            const TinEdge& o = g_tinEdges[j];
            bySearch += same({r.a, r.b, r.apexSearch}, {o.a, o.b, o.apexSearch});
            if (r.apexBack > 0 && o.apexBack > 0) byBack += same({r.b, r.a, r.apexBack}, {o.b, o.a, o.apexBack});
        }
        EXPECT_EQ(search[i], bySearch) << i;
        EXPECT_EQ(back[i], r.apexBack > 0 ? byBack : 0) << i;
        firsts += first[i];
    }
    EXPECT_EQ(firsts, CheckTin().triangles) << "one first flag per triangle";
}

TEST_F(TinQuery, BadTinCheckDropsOpenRecordsAndMarksTriplyHeldTriangles) {
    PlaneTin(100, 6);
    const int32_t edges = g_tinEdgeCount;
    for (int32_t i = 1; i <= edges; ++i) g_tinEdges[i].state = i;
    const TinEdge sixth = g_tinEdges[6];
    g_tinEdges[5].apexSearch = 0;  // still open: dropped
    EXPECT_EQ(CheckBadTriangles(0), 0);
    EXPECT_EQ(g_tinEdgeCount, edges - 1);
    EXPECT_EQ(g_tinEdges[edges].a, -1);
    EXPECT_EQ(g_tinEdges[edges].apexSearch, -1);
    // Fields A to the search apex move down; the state word stays with its slot.
    EXPECT_EQ(g_tinEdges[5].a, sixth.a);
    EXPECT_EQ(g_tinEdges[5].apexSearch, sixth.apexSearch);
    EXPECT_EQ(g_tinEdges[5].state, 5);
    EXPECT_EQ(g_tinEdges[4].state, 4);

    // A triangle (a, b, c), counterclockwise on the map, held on the back side of all
    // three of its records.
    InitDataModel();
    const int32_t a = AddPoint(0, 0), b = AddPoint(0, 10), c = AddPoint(10, 0), d = AddPoint(-4, -4);
    AddRecord(b, a, c, d);
    AddRecord(c, b, a, d);
    AddRecord(a, c, b, d);
    AddRecord(a, d, kNoApex, b);
    g_birdsEyeOn = -1;
    EXPECT_EQ(CheckBadTriangles(-1), 3);
    for (int32_t i = 1; i <= 3; ++i) {
        EXPECT_LT(g_tinEdges[i].a, 0) << i;
        EXPECT_LT(g_tinEdges[i].b, 0) << i;
    }
    EXPECT_GT(g_tinEdges[4].a, 0);
    EXPECT_EQ(g_birdsEyeOn, 0);
    // Box of a, b, c and d: X -4..10, Y -4..10.
    EXPECT_DOUBLE_EQ(g_viewCenterX, 3.0);
    EXPECT_DOUBLE_EQ(g_extentCenterY, 3.0);
}
