// Both TIN builders on outlines that hide most points from most sides (combs, spirals, C
// shapes) and on surveys whose points lie on the outline's sides: the TIN must be CGAL's
// constrained Delaunay triangulation of the points inside, every triangle inside the outline
// and no two overlapping.
#include <gtest/gtest.h>

#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/tin_grid_builder.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "tin_cgal_support.h"

using namespace tintest;

namespace {

class TinOutlineShapesTest : public ::testing::Test {
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

enum class Builder { kRegions, kGrid };
const char* Name(Builder b) { return b == Builder::kRegions ? "region builder" : "grid builder"; }

void Build(Builder builder) {
    OrientPolygonClockwise(g_outline);
    if (4 * g_pointCount > g_tinEdgeCapacity) {
        g_tinEdgeCapacity = 4 * g_pointCount;
        ASSERT_EQ(GrowTinEdgeBlock(g_tinEdgeCapacity), 0);
    }
    g_tinEdgeCount = 0;
    SetTinEndRecord();
    if (builder == Builder::kRegions) {
        MarkPointsInPolygonRaster(g_outline, 0);
        BuildTinRegions(0);
    } else {
        MarkPointsOutsideOutline(g_outline);
        BuildTinGrid();
    }
}

// Outline vertices listed counterclockwise on the map, given as (X, Y).
void OutlineThrough(const std::vector<std::pair<double, double>>& ring) {
    std::vector<int32_t> vertices;
    for (const auto& [x, y] : ring) vertices.push_back(AddPoint(x, y));
    SetOutline(vertices);
}

// A comb on the map: a base `base` deep (along X) and `teeth` teeth `depth` long, each
// `width` wide with `gap` between them (along Y).
std::vector<std::pair<double, double>> Comb(int32_t teeth, double width, double gap, double depth,
                                            double base) {
    std::vector<std::pair<double, double>> ring{{0, 0}};
    double y = 0;
    for (int32_t k = 0; k < teeth; ++k) {
        if (k > 0) {
            ring.emplace_back(base, y);
            y += gap;
            ring.emplace_back(base, y);
        }
        ring.emplace_back(base + depth, y);
        y += width;
        ring.emplace_back(base + depth, y);
    }
    ring.emplace_back(0, y);
    // Counterclockwise on the map (Y right, X up): along the base, up the last tooth, back
    // over the teeth, down to the start.
    std::reverse(ring.begin() + 1, ring.end());
    return ring;
}

// A band `width` wide wound `turns` times around (0, 0), arms `pitch` apart.
std::vector<std::pair<double, double>> Spiral(double turns, double pitch, double width,
                                              int32_t steps) {
    std::vector<std::pair<double, double>> outer, inner;
    for (int32_t k = 0; k <= steps; ++k) {
        const double t = turns * 2 * M_PI * k / steps;
        const double r = 2 * width + pitch * t / (2 * M_PI);
        outer.emplace_back((r + width / 2) * std::sin(t), (r + width / 2) * std::cos(t));
        inner.emplace_back((r - width / 2) * std::sin(t), (r - width / 2) * std::cos(t));
    }
    std::vector<std::pair<double, double>> ring(inner.begin(), inner.end());
    ring.insert(ring.end(), outer.rbegin(), outer.rend());
    return ring;
}

// A ring of radii `inner` to `outer` around (0, 0) with a gap of `gap` radians.
std::vector<std::pair<double, double>> CShape(double inner, double outer, double gap,
                                              int32_t steps) {
    std::vector<std::pair<double, double>> ring;
    for (int32_t k = 0; k <= steps; ++k) {
        const double t = gap / 2 + (2 * M_PI - gap) * k / steps;
        ring.emplace_back(outer * std::sin(t), outer * std::cos(t));
    }
    for (int32_t k = steps; k >= 0; --k) {
        const double t = gap / 2 + (2 * M_PI - gap) * k / steps;
        ring.emplace_back(inner * std::sin(t), inner * std::cos(t));
    }
    return ring;
}

// n random points over the box of the ring; with `keep`, only those it accepts.
template <typename Keep>
void RandomPointsOver(const std::vector<std::pair<double, double>>& ring, int32_t n, uint32_t seed,
                      Keep keep) {
    double lowX = 1e300, highX = -1e300, lowY = 1e300, highY = -1e300;
    for (const auto& [x, y] : ring) {
        lowX = std::min(lowX, x);
        highX = std::max(highX, x);
        lowY = std::min(lowY, y);
        highY = std::max(highY, y);
    }
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> ux(lowX, highX), uy(lowY, highY);
    for (int32_t added = 0; added < n;) {
        const double x = ux(rng), y = uy(rng);
        if (!keep(x, y)) continue;
        AddPoint(x, y);
        ++added;
    }
}

int Turn(const Point& a, const Point& b, const Point& c) {
    return static_cast<int>(CGAL::orientation(a, b, c));
}

// The triangles of the records, each once, as counterclockwise triples.
std::vector<std::array<int32_t, 3>> Triangles() {
    std::set<std::array<int32_t, 3>> set;
    auto add = [&](int32_t a, int32_t b, int32_t c) {
        std::array<int32_t, 3> t{a, b, c};
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        set.insert(t);
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        if (r.apexSearch > 0) add(r.a, r.b, r.apexSearch);
        if (r.apexBack > 0) add(r.b, r.a, r.apexBack);
    }
    return {set.begin(), set.end()};
}

// Pairs of triangles whose interiors meet, by exact predicates.
int32_t OverlappingTriangles(const std::vector<std::array<int32_t, 3>>& triangles) {
    using Triangle = Kernel::Triangle_2;
    std::vector<Triangle> t;
    std::vector<CGAL::Bbox_2> box;
    for (const auto& v : triangles) {
        t.emplace_back(MapPoint(v[0]), MapPoint(v[1]), MapPoint(v[2]));
        box.push_back(t.back().bbox());
    }
    auto interiorsMeet = [](const Triangle& p, const Triangle& q) {
        // Two triangles of one triangulation meet only along shared sides and corners: any
        // side that properly crosses a side of the other, or a corner strictly inside the
        // other, or the same three corners, is an overlap.
        for (int i = 0; i < 3; ++i) {
            if (q.bounded_side(p[i]) == CGAL::ON_BOUNDED_SIDE) return true;
            if (p.bounded_side(q[i]) == CGAL::ON_BOUNDED_SIDE) return true;
            for (int j = 0; j < 3; ++j) {
                const Point a = p[i], b = p[(i + 1) % 3], c = q[j], d = q[(j + 1) % 3];
                if (Turn(a, b, c) * Turn(a, b, d) < 0 && Turn(c, d, a) * Turn(c, d, b) < 0)
                    return true;
            }
        }
        std::set<Point> corners{p[0], p[1], p[2], q[0], q[1], q[2]};
        return corners.size() == 3;
    };
    int32_t overlaps = 0;
    std::vector<size_t> order(t.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t l, size_t r) { return box[l].xmin() < box[r].xmin(); });
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t j = i + 1; j < order.size() && box[order[j]].xmin() <= box[order[i]].xmax();
             ++j)
            if (CGAL::do_overlap(box[order[i]], box[order[j]]) &&
                interiorsMeet(t[order[i]], t[order[j]]))
                ++overlaps;
    return overlaps;
}

// Triangles that reach outside the outline: a side properly crossing an outline side, or a
// centre outside it.
int32_t TrianglesOutside(const std::vector<std::array<int32_t, 3>>& triangles) {
    const std::vector<Point> poly = OutlineRingPolygon();
    int32_t outside = 0;
    for (const auto& v : triangles) {
        const Point a = MapPoint(v[0]), b = MapPoint(v[1]), c = MapPoint(v[2]);
        bool out = CGAL::bounded_side_2(poly.begin(), poly.end(), CGAL::centroid(a, b, c),
                                        Kernel()) == CGAL::ON_UNBOUNDED_SIDE;
        for (int i = 0; i < 3 && !out; ++i) {
            const Point p = MapPoint(v[i]), q = MapPoint(v[(i + 1) % 3]);
            for (size_t k = 0; k < poly.size() && !out; ++k) {
                const Point s = poly[k], e = poly[(k + 1) % poly.size()];
                out = Turn(s, e, p) * Turn(s, e, q) < 0 && Turn(p, q, s) * Turn(p, q, e) < 0;
            }
        }
        if (out) ++outside;
    }
    return outside;
}

// The TIN covers the outline once, with no triangle outside it.
void ExpectProperCover(const std::vector<std::array<int32_t, 3>>& triangles) {
    const TinCheck c = CheckTin();
    EXPECT_EQ(c.openRecords, 0);
    EXPECT_EQ(c.badTurns, 0);
    EXPECT_EQ(c.duplicateEdges, 0);
    EXPECT_EQ(OverlappingTriangles(triangles), 0);
    EXPECT_EQ(TrianglesOutside(triangles), 0);
    EXPECT_NEAR(c.area, OutlineArea(), 1e-9 * OutlineArea());
}

// The TIN is CGAL's constrained Delaunay triangulation of the points inside the outline.
void ExpectConstrainedDelaunay(Builder builder, const std::string& what) {
    SCOPED_TRACE(what + ", " + Name(builder));
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    EXPECT_EQ(g_tinPresent, -1);
    EXPECT_EQ(g_tinEdges[g_tinEdgeCount + 1].a, -1);
    ExpectProperCover(Triangles());
    EXPECT_TRUE(CgalOutlineEdges(PointsInsideByCgal()) == TinEdgeSet());
}

struct ShapeCase {
    std::string name;
    std::vector<std::pair<double, double>> ring;
    int32_t points;
    uint32_t seed;
    bool (*keep)(double x, double y);  // null: every point over the box
};

// Deep narrow comb: 24 teeth 4 wide and 300 long with gaps of 3, on a base 10 deep.
bool InDeepTeeth(double x, double y) { return x > 10 && std::fmod(y, 7.0) < 4.0; }

}  // namespace

TEST_F(TinOutlineShapesTest, HidingOutlinesGiveTheConstrainedDelaunayTriangulation) {
    const ShapeCase cases[] = {
        {"deep narrow comb", Comb(24, 4, 3, 300, 10), 3000, 1, nullptr},
        {"deep narrow comb, points in the teeth", Comb(24, 4, 3, 300, 10), 3000, 2, InDeepTeeth},
        // Sides inside a tooth with circles far wider than the tooth: the nearest point in
        // the side's own neighbourhood is not the Delaunay choice.
        {"deep narrow comb, seed 3", Comb(24, 4, 3, 300, 10), 3000, 3, nullptr},
        {"forty teeth", Comb(40, 2, 1, 200, 5), 3000, 6, nullptr},
        {"shallow wide comb", Comb(6, 60, 40, 30, 20), 2000, 3, nullptr},
        {"spiral", Spiral(3.5, 40, 12, 220), 3000, 4, nullptr},
        {"C", CShape(180, 200, 0.05, 120), 2000, 5, nullptr},
    };
    for (const ShapeCase& c : cases) {
        for (Builder builder : {Builder::kRegions, Builder::kGrid}) {
            InitDataModel();
            ClearRecordedMessages();
            OutlineThrough(c.ring);
            if (c.keep)
                RandomPointsOver(c.ring, c.points, c.seed, c.keep);
            else
                RandomPointsOver(c.ring, c.points, c.seed, [](double, double) { return true; });
            Build(builder);
            ExpectConstrainedDelaunay(builder, c.name);
        }
    }
}

namespace {

// The points of the TIN's records.
std::set<int32_t> TinVertices() {
    std::set<int32_t> vertices;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        vertices.insert(std::abs(g_tinEdges[i].a));
        vertices.insert(std::abs(g_tinEdges[i].b));
    }
    return vertices;
}

// A TIN over points with co-circular fours (a lattice), where the Delaunay triangulation is
// not unique: every point inside or on the outline is a vertex, every circle is empty by
// the exact test, and the triangles cover the outline once.
void ExpectDelaunayCover(Builder builder, const std::string& what) {
    SCOPED_TRACE(what + ", " + Name(builder));
    ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
    const std::vector<int32_t> inside = PointsInsideByCgal();
    EXPECT_TRUE(TinVertices() == std::set<int32_t>(inside.begin(), inside.end()));
    const std::vector<std::array<int32_t, 3>> triangles = Triangles();
    ExpectProperCover(triangles);
    EXPECT_EQ(CheckTin().notLocallyDelaunay, 0);
    // Local emptiness suffices for a proper triangulation; every circle is tested anyway,
    // against the points whose east coordinate lies within its reach.
    std::vector<std::pair<double, int32_t>> byEast;
    for (int32_t p : inside) byEast.emplace_back(g_points[p].y, p);
    std::sort(byEast.begin(), byEast.end());
    int32_t pointsInCircles = 0;
    for (const auto& t : triangles) {
        const Point a = MapPoint(t[0]), b = MapPoint(t[1]), c = MapPoint(t[2]);
        const Point centre = CGAL::circumcenter(a, b, c);
        const double reach = std::sqrt(CGAL::squared_distance(centre, a)) * (1 + 1e-9) + 1e-9;
        for (auto it = std::lower_bound(byEast.begin(), byEast.end(),
                                        std::make_pair(centre.x() - reach, 0));
             it != byEast.end() && it->first <= centre.x() + reach; ++it)
            if (CGAL::side_of_oriented_circle(a, b, c, MapPoint(it->second)) ==
                CGAL::ON_POSITIVE_SIDE)
                ++pointsInCircles;
    }
    EXPECT_EQ(pointsInCircles, 0);
}

// Lattice nodes (r, c) at (x0 + r * dx, y0 + c * dy), r in 0..rows, c in 0..columns.
struct Lattice {
    int32_t rows, columns;
    int32_t first = 0;
    int32_t Node(int32_t r, int32_t c) const { return first + r * (columns + 1) + c; }
    void Make(double x0, double y0, double dx, double dy) {
        first = g_pointCount + 1;
        for (int32_t r = 0; r <= rows; ++r)
            for (int32_t c = 0; c <= columns; ++c) AddPoint(x0 + r * dx, y0 + c * dy);
    }
    // The rectangle of nodes r0..r1 x c0..c1 by its four corners.
    void CornerOutline(int32_t r0, int32_t c0, int32_t r1, int32_t c1) const {
        SetOutline({Node(r0, c0), Node(r0, c1), Node(r1, c1), Node(r1, c0)});
    }
};

}  // namespace

TEST_F(TinOutlineShapesTest, SurveyPointsOnTheOutlineSidesAreVerticesOfTheTin) {
    for (Builder builder : {Builder::kRegions, Builder::kGrid}) {
        // A 20 x 20 survey with its four corners as the outline.
        InitDataModel();
        Lattice whole{20, 20};
        whole.Make(0, 0, 1, 1);
        whole.CornerOutline(0, 0, 20, 20);
        Build(builder);
        ExpectDelaunayCover(builder, "20 x 20 lattice");
        EXPECT_EQ(static_cast<int32_t>(TinVertices().size()), 21 * 21);

        // The outline through four inner nodes: the nodes on its sides are vertices, the
        // ones beyond stay out.
        InitDataModel();
        Lattice outer{30, 30};
        outer.Make(100, 200, 2.5, 1.5);
        outer.CornerOutline(5, 8, 25, 22);
        Build(builder);
        ExpectDelaunayCover(builder, "inner rectangle of a lattice");
        EXPECT_EQ(static_cast<int32_t>(TinVertices().size()), 21 * 15);
    }
}

TEST_F(TinOutlineShapesTest, JacksboroGridSampleWithTheCornersOfABlockAsOutline) {
    const int32_t rows = 344, columns = 403;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    for (Builder builder : {Builder::kRegions, Builder::kGrid}) {
        InitDataModel();
        ASSERT_EQ(LoadRndPoints(JacksboroFile("jacksboro_grid.RND")), rows * columns);
        // Rows 100..150 and columns 200..260 take part; a ring of nodes around them lies
        // outside the outline.
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns; ++c)
                if (r < 98 || r > 152 || c < 198 || c > 262) g_points[node(r, c)].invalid = 1;
        SetOutline({node(100, 200), node(100, 260), node(150, 260), node(150, 200)});
        Build(builder);
        ExpectDelaunayCover(builder, "jacksboro grid block");
        EXPECT_EQ(static_cast<int32_t>(TinVertices().size()), 51 * 61);
    }
}

TEST_F(TinOutlineShapesTest, PointsOnSidesSplitThemAmongRandomPoints) {
    // Random points inside a square, points exactly on its sides, points just outside them,
    // and points a little off the sides within the duplicate tolerance.
    for (Builder builder : {Builder::kRegions, Builder::kGrid}) {
        InitDataModel();
        std::mt19937_64 rng(41);
        std::uniform_real_distribution<double> u(1.0, 999.0);
        const int32_t c1 = AddPoint(0, 0), c2 = AddPoint(0, 1000), c3 = AddPoint(1000, 1000),
                      c4 = AddPoint(1000, 0);
        for (int32_t i = 0; i < 1500; ++i) AddPoint(u(rng), u(rng));
        std::vector<std::vector<std::pair<double, int32_t>>> onSide(4);
        for (int32_t i = 0; i < 15; ++i) {
            const double a = u(rng), b = u(rng), c = u(rng), d = u(rng);
            onSide[0].emplace_back(a, AddPoint(0, a));
            onSide[1].emplace_back(b, AddPoint(b, 1000));
            onSide[2].emplace_back(-c, AddPoint(1000, c));
            onSide[3].emplace_back(-d, AddPoint(d, 0));
            // Just off a side by a fraction of the duplicate tolerance, on either side.
            const double off = (i % 2 == 0 ? 0.3 : -0.3) * g_dupTolerance;
            const double e = u(rng);
            onSide[0].emplace_back(e, AddPoint(off, e));
            // Clearly outside: out.
            AddPoint(u(rng), -0.01);
            AddPoint(1000.01, u(rng));
        }
        for (auto& side : onSide) std::sort(side.begin(), side.end());
        SetOutline({c1, c2, c3, c4});
        Build(builder);
        SCOPED_TRACE(Name(builder));
        ASSERT_EQ(LastTinBuildResult(), TinBuildResult::kComplete);
        // CGAL's triangulation with the outline through every point on a side.
        std::vector<int32_t> ring{c1};
        for (const auto& [key, p] : onSide[0]) ring.push_back(p);
        ring.push_back(c2);
        for (const auto& [key, p] : onSide[1]) ring.push_back(p);
        ring.push_back(c3);
        for (const auto& [key, p] : onSide[2]) ring.push_back(p);
        ring.push_back(c4);
        for (const auto& [key, p] : onSide[3]) ring.push_back(p);
        std::vector<int32_t> points(ring.begin(), ring.end());
        for (int32_t p = 5; p <= 1504; ++p) points.push_back(p);
        // The checks go by the outline through them.
        SetOutline(ring);
        ExpectProperCover(Triangles());
        EXPECT_TRUE(CgalOutlineEdges(points) == TinEdgeSet());
    }
}
