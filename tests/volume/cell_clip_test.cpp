#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_2.h>
#include <CGAL/Polygon_with_holes_2.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "model/terrain_data.h"
#include "volume/cell_clip.h"
#include "volume/mesh_data.h"
#include "mesh_test_support.h"

namespace {

using meshtest::Vertex;

class CellClip : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override { ReleaseDataModel(); }
};

struct Clip {
    int32_t result = 0;
    int32_t count = 0;
    double xs[kCellPolygonCapacity], ys[kCellPolygonCapacity], zs[kCellPolygonCapacity],
        planZs[kCellPolygonCapacity];
    double area = 0;
    std::vector<std::pair<double, double>> Points() const {
        std::vector<std::pair<double, double>> p;
        for (int32_t i = 0; i < count; ++i) p.emplace_back(xs[i], ys[i]);
        return p;
    }
};

Clip ClipOutline(int32_t c, int32_t r) {
    Clip k;
    k.result = ClipCellByOutline(MeshNodeNumber(c, r), MeshNodeNumber(c + 1, r),
                                 MeshNodeNumber(c + 1, r + 1), MeshNodeNumber(c, r + 1), &k.count,
                                 k.xs, k.ys, k.zs, k.planZs, &k.area);
    return k;
}

Clip ClipPlan(int32_t c, int32_t r) {
    Clip k;
    k.result = ClipCellByPlanLines(MeshNodeNumber(c, r), MeshNodeNumber(c + 1, r),
                                   MeshNodeNumber(c + 1, r + 1), MeshNodeNumber(c, r + 1), &k.count,
                                   k.xs, k.ys, k.zs, k.planZs, &k.area);
    return k;
}

std::vector<Vertex> Reversed(std::vector<Vertex> p) {
    std::reverse(p.begin(), p.end());
    return p;
}

std::vector<Vertex> StartingAt(std::vector<Vertex> p, size_t first) {
    std::rotate(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(first), p.end());
    return p;
}

auto Flat = [](double, double) { return 10.0; };

TEST_F(CellClip, FourValidCornersAndNoCrossingsCountWholeWithoutReadingTheList) {
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
    g_outlineCrossingCount = 1;  // one entry, but no block: it must not be read
    EXPECT_EQ(ClipOutline(1, 1).result, kCellWhole);
    g_outlineCrossingCount = 0;
    EXPECT_EQ(ClipOutline(2, 2).result, kCellWhole);
    EXPECT_EQ(ClipOutline(1, 1).count, 0);
}

// A notch of the outline through side 1 (X 5..15 at Y = 0, reaching Y = 5): the four
// entries, then corners 2, 3, 4, 1, whichever way the outline runs and wherever its first
// vertex lies (the notch's inner vertex first splits the run at the list's end).
TEST_F(CellClip, NotchThroughOneSideGivesItsEntriesThenTheCorners) {
    const std::vector<Vertex> outline = {{-10, -10, 0}, {5, -10, 0}, {5, 5, 0}, {15, 5, 0},
                                         {15, -10, 0}, {50, -10, 0}, {50, 50, 0}, {-10, 50, 0}};
    const std::vector<std::vector<Vertex>> ways = {outline, Reversed(outline), StartingAt(outline, 3),
                                                   StartingAt(Reversed(outline), 4)};
    const std::vector<std::pair<double, double>> expected = {{5, 0}, {5, 5}, {15, 5}, {15, 0},
                                                             {20, 0}, {20, 20}, {0, 20}, {0, 0}};
    for (size_t w = 0; w < ways.size(); ++w) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
        meshtest::SetOutline(ways[w]);
        const Clip k = ClipOutline(1, 1);
        ASSERT_EQ(k.result, kCellPolygon) << w;
        EXPECT_EQ(k.Points(), expected) << w;
        EXPECT_DOUBLE_EQ(k.xs[k.count], 5) << "first vertex repeated";
        EXPECT_DOUBLE_EQ(k.area, 400 - 50) << w;
    }
}

// Corner 3 cut off by the segment X + Y = 35 (crossings (20, 15) on side 2 and (15, 20) on
// side 3): a pentagon, its order following the outline's direction.
TEST_F(CellClip, CornerCutOffGivesThePentagonInOutlineOrder) {
    const std::vector<Vertex> outline = {{-10, -10, 1}, {30, -10, 1}, {30, 5, 1}, {5, 30, 6}, {-10, 30, 6}};
    struct Case {
        std::vector<Vertex> way;
        std::vector<std::pair<double, double>> polygon;
    } const cases[] = {
        {outline, {{20, 0}, {20, 15}, {15, 20}, {0, 20}, {0, 0}}},
        {Reversed(outline), {{0, 20}, {15, 20}, {20, 15}, {20, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
        meshtest::SetOutline(c.way);
        const Clip k = ClipOutline(1, 1);
        ASSERT_EQ(k.result, kCellPolygon);
        EXPECT_EQ(k.Points(), c.polygon);
        EXPECT_DOUBLE_EQ(k.area, 400 - 12.5);
        // Entries bring the outline's elevation at the crossing, corners their node's.
        for (int32_t i = 0; i < k.count; ++i) {
            const double want = k.xs[i] == 20 && k.ys[i] == 15 ? 3 : k.xs[i] == 15 && k.ys[i] == 20 ? 4 : 10;
            EXPECT_NEAR(k.zs[i], want, 1e-12) << i;
        }
    }
}

TEST_F(CellClip, CellsWithoutEnoughOfTheSurfaceDoNotCount) {
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
    // One valid corner and one crossing.
    ASSERT_EQ(GrowOutlineCrossingBlock(4), 0);
    OutlineCrossing e{};
    e.x = 10;
    e.column = -1;
    e.row = 1;
    OutlineCrossing far{};
    far.x = 100;
    g_outlineCrossings.Data()[1] = e;
    g_outlineCrossings.Data()[2] = far;
    g_outlineCrossingCount = 2;
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) g_meshNodes.Data()[i].valid = 0;
    g_meshNodes.Data()[MeshNodeNumber(1, 1)].valid = 1;
    EXPECT_EQ(ClipOutline(1, 1).result, kCellNone);
    // Two valid corners on one side and no entry: a segment, not a polygon.
    g_meshNodes.Data()[MeshNodeNumber(2, 1)].valid = 1;
    EXPECT_EQ(ClipOutline(1, 2).result, kCellNone);
}

TEST_F(CellClip, MissingNodesOrListAreRefusedNotCountedAsEmpty) {
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
    Clip k;
    const int32_t beyond = g_meshNodes.Size();
    EXPECT_EQ(ClipCellByOutline(1, 2, beyond, 4, &k.count, k.xs, k.ys, k.zs, k.planZs, &k.area), kCellRefused);
    g_outlineCrossingCount = 5;  // a count the (absent) block does not hold
    g_meshNodes.Data()[1].valid = 0;
    EXPECT_EQ(ClipOutline(1, 1).result, kCellRefused);
}

// A notch of n vertices inside the cell: n + 2 entries and 4 corners. The lists hold 511
// vertices and the repeated first one; one more is refused, not written past the lists.
TEST_F(CellClip, PolygonsBeyondTheListsAreRefused) {
    struct Case {
        int inner;
        int32_t result, count;
    } const cases[] = {{505, kCellPolygon, 511}, {506, kCellRefused, 0}, {2000, kCellRefused, 0}};
    for (const Case& c : cases) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
        std::vector<Vertex> outline = {{-10, -10, 0}, {1, -10, 0}};
        for (int i = 0; i < c.inner; ++i) outline.push_back({1 + 18.0 * i / (c.inner - 1), i % 2 ? 2.0 : 1.0, 0});
        for (Vertex v : std::vector<Vertex>{{19, -10, 0}, {50, -10, 0}, {50, 50, 0}, {-10, 50, 0}}) outline.push_back(v);
        meshtest::SetOutline(outline);
        const Clip k = ClipOutline(1, 1);
        EXPECT_EQ(k.result, c.result) << c.inner;
        EXPECT_EQ(k.count, c.count) << c.inner;
    }
}

TEST_F(CellClip, VerticesOnAPlanCrossingTakeItsElevation) {
    struct Case {
        double dx;
        double planZ;  // else the crossing's own, 3 on the current outline
    } const cases[] = {{0, 99}, {0.0009, 99}, {0.001, 3}, {-0.0011, 3}};
    for (const Case& c : cases) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
        meshtest::SetOutline({{-10, -10, 1}, {30, -10, 1}, {30, 5, 1}, {5, 30, 6}, {-10, 30, 6}});
        ASSERT_EQ(GrowPlanCrossingBlock(3), 0);
        OutlineCrossing p{};
        p.x = 20 + c.dx;
        p.y = 15;
        p.z = 99;
        g_planCrossings.Data()[1] = p;
        g_planCrossingCount = 1;
        const Clip k = ClipOutline(1, 1);
        ASSERT_EQ(k.result, kCellPolygon);
        ASSERT_EQ(k.xs[1], 20);
        ASSERT_EQ(k.ys[1], 15);
        EXPECT_NEAR(k.planZs[1], c.planZ, 1e-12) << c.dx;
    }
}

// The plan lines decide by planSource; a plan line crossing the cell gives its polygon.
TEST_F(CellClip, PlanLinesCutCellsByTheirOwnOutline) {
    meshtest::MakeMesh(0, 0, 40, 40, 20, 20, Flat);
    EXPECT_EQ(ClipPlan(1, 1).result, kCellNone);  // no plan surface at all
    meshtest::AddPlanLine({{-10, -10, 12}, {30, -10, 12}, {30, 5, 12}, {5, 30, 12}, {-10, 30, 12}},
                          [](double, double) { return 12.0; });
    const Clip k = ClipPlan(1, 1);
    ASSERT_EQ(k.result, kCellPolygon);
    EXPECT_DOUBLE_EQ(k.area, 387.5);
    EXPECT_EQ(ClipOutline(1, 1).result, kCellWhole);  // the current surface is whole
}

// Random outlines over a 10 x 10 cell mesh: every cell's share (whole, none or polygon)
// equals CGAL's exact area of cell ∩ outline.
TEST_F(CellClip, CellAreasEqualExactIntersectionsOnRandomOutlines) {
    using K = CGAL::Exact_predicates_exact_constructions_kernel;
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 60; ++trial) {
        InitDataModel();
        meshtest::MakeMesh(0, 0, 200, 200, 20, 20, Flat);
        // A star-shaped outline around a random centre, turning either way.
        const int n = 5 + static_cast<int>(unit(rng) * 25);
        std::vector<double> angles;
        for (int i = 0; i < n; ++i) angles.push_back(unit(rng) * 2 * M_PI);
        std::sort(angles.begin(), angles.end());
        const double cx = 80 + 40 * unit(rng), cy = 80 + 40 * unit(rng);
        std::vector<Vertex> outline;
        for (double t : angles) {
            const double radius = 40 + 90 * unit(rng);
            outline.push_back({cx + radius * std::cos(t), cy + radius * std::sin(t), 0});
        }
        if (trial % 2) outline = Reversed(outline);
        meshtest::SetOutline(outline);
        CGAL::Polygon_2<K> shape;
        for (const Vertex& v : outline) shape.push_back(K::Point_2(v.x, v.y));
        if (!shape.is_simple()) continue;
        if (shape.is_clockwise_oriented()) shape.reverse_orientation();
        std::vector<std::vector<std::pair<double, double>>> scanned;
        for (int32_t r = 1; r < g_meshRows; ++r)
            for (int32_t c = 1; c < g_meshColumns; ++c) {
                const double x0 = (c - 1) * 20.0, y0 = (r - 1) * 20.0;
                CGAL::Polygon_2<K> cell;
                cell.push_back(K::Point_2(x0, y0));
                cell.push_back(K::Point_2(x0 + 20, y0));
                cell.push_back(K::Point_2(x0 + 20, y0 + 20));
                cell.push_back(K::Point_2(x0, y0 + 20));
                std::vector<CGAL::Polygon_with_holes_2<K>> parts;
                CGAL::intersection(cell, shape, std::back_inserter(parts));
                double exact = 0;
                for (const auto& p : parts) exact += CGAL::to_double(p.outer_boundary().area());
                const Clip k = ClipOutline(c, r);
                const double got = k.result == kCellWhole ? 400 : k.result == kCellPolygon ? k.area : 0;
                EXPECT_NEAR(got, exact, 1e-6) << "trial " << trial << " cell " << c << "," << r;
                scanned.push_back(k.Points());
            }
        // The same polygons, vertex for vertex, with the lists indexed by cell.
        const CellClipIndex index;
        size_t i = 0;
        for (int32_t r = 1; r < g_meshRows; ++r)
            for (int32_t c = 1; c < g_meshColumns; ++c)
                EXPECT_EQ(ClipOutline(c, r).Points(), scanned[i++]) << "trial " << trial << " cell " << c << "," << r;
    }
}

}  // namespace
