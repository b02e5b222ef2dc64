#include "analysis/flow_paths.h"

#include <gtest/gtest.h>

#include <cmath>

#include "../support/jacksboro_grid.h"
#include "terrain_grid_tin.h"

namespace {
FlowPath TraceFrom(double x, double y, double z) {
    std::vector<FlowPath> paths = TraceFlowPaths({FlowPoint{x, y, z}});
    EXPECT_EQ(paths.size(), 1u);
    return paths.front();
}

TEST(FlowPaths, APlaneRisingNorthDrainsDueSouthToTheBorder) {
    auto plane = [](double x, double) { return 0.1 * x; };
    BuildLatticeTin(20, 20, 1000.0, 2000.0, 10.0, plane);
    const FlowPath p = TraceFrom(1150.0, 2093.3, plane(1150.0, 0));
    EXPECT_EQ(p.end, FlowEnd::kBorder);
    ASSERT_GE(p.vertices.size(), 2u);
    for (size_t k = 1; k < p.vertices.size(); ++k) {
        EXPECT_NEAR(p.vertices[k].y, 2093.3, 1e-6) << k;
        EXPECT_LT(p.vertices[k].x, p.vertices[k - 1].x + 1e-9) << k;
        EXPECT_NEAR(p.vertices[k].z, plane(p.vertices[k].x, 0), 1e-6) << k;
    }
    EXPECT_NEAR(p.vertices.back().x, 1000.0, 1e-6);
}

TEST(FlowPaths, AValleyIsFollowedDownToItsLowestVertex) {
    // Two flanks meeting in column 10 (east 2100), the valley falling to the south.
    auto valley = [](double x, double y) { return 0.2 * std::fabs(y - 2100.0) + 0.05 * (x - 1000.0); };
    BuildLatticeTin(20, 20, 1000.0, 2000.0, 10.0, valley);
    const FlowPath p = TraceFrom(1150.0, 2133.3, valley(1150.0, 2133.3));
    EXPECT_EQ(p.end, FlowEnd::kPit);
    ASSERT_GE(p.vertices.size(), 3u);
    size_t reached = 0;
    while (reached < p.vertices.size() && std::fabs(p.vertices[reached].y - 2100.0) > 1e-9) ++reached;
    ASSERT_LT(reached, p.vertices.size());
    EXPECT_GT(p.vertices[reached].x, 1100.0);  // it crossed the flank before turning south
    for (size_t k = reached; k < p.vertices.size(); ++k) EXPECT_NEAR(p.vertices[k].y, 2100.0, 1e-6) << k;
    for (size_t k = 1; k < p.vertices.size(); ++k) EXPECT_LE(p.vertices[k].z, p.vertices[k - 1].z + 1e-9) << k;
    EXPECT_NEAR(p.vertices.back().x, 1000.0, 1e-9);
}

TEST(FlowPaths, APitEndsThePath) {
    auto cone = [](double x, double y) { return std::hypot(x - 1100.0, y - 2100.0); };
    BuildLatticeTin(21, 21, 1000.0, 2000.0, 10.0, cone);
    const FlowPath p = TraceFrom(1163.0, 2131.0, cone(1163.0, 2131.0));
    EXPECT_EQ(p.end, FlowEnd::kPit);
    EXPECT_NEAR(p.vertices.back().x, 1100.0, 1e-9);
    EXPECT_NEAR(p.vertices.back().y, 2100.0, 1e-9);
}

// Each start point marks the vertices it passes with its own number; after 256 starts a
// one-byte number would come round to an earlier start's and cut the path short there.
TEST(FlowPaths, ManyStartsFromOnePlaceAllRunTheSameWay) {
    auto valley = [](double x, double y) { return 0.2 * std::fabs(y - 2100.0) + 0.05 * (x - 1000.0); };
    BuildLatticeTin(20, 20, 1000.0, 2000.0, 10.0, valley);
    const FlowPoint start{1150.0, 2133.3, valley(1150.0, 2133.3)};
    const std::vector<FlowPath> paths = TraceFlowPaths(std::vector<FlowPoint>(600, start));
    ASSERT_EQ(paths.size(), 600u);
    ASSERT_GE(paths[0].vertices.size(), 3u);
    for (size_t k = 1; k < paths.size(); ++k) {
        EXPECT_EQ(paths[k].end, paths[0].end) << k;
        EXPECT_EQ(paths[k].vertices.size(), paths[0].vertices.size()) << k;
    }
}

TEST(FlowPaths, FlatTrianglesCostAHundredSteps) {
    // A slope in the north, then 1.9 km of level ground: about 297 flat triangles use up
    // the budget long before the southern border.
    auto ground = [](double x, double) { return std::max(0.0, 0.1 * (x - 2900.0)); };
    BuildLatticeTin(200, 5, 1000.0, 2000.0, 10.0, ground);
    const FlowPath p = TraceFrom(2950.0, 2023.3, ground(2950.0, 0));
    EXPECT_EQ(p.end, FlowEnd::kStepBudget);
    EXPECT_GT(p.steps, kFlowStepBudget);
    EXPECT_GT(p.vertices.back().x, 1300.0);
    EXPECT_LT(p.vertices.back().x, 1550.0);
    // A start in a flat triangle gives no path.
    EXPECT_TRUE(TraceFrom(1500.0, 2023.3, 0.0).vertices.empty());
    // Outside the TIN neither.
    EXPECT_EQ(TraceFrom(500.0, 2023.3, 0.0).end, FlowEnd::kNoStart);
}

TEST(FlowArrows, EveryIntervalOfPathAcrossSegments) {
    const std::vector<FlowPoint> path{{0, 0, 0}, {0, 30, 0}, {0, 45, 0}, {0, 70, 0}};
    struct Case { double interval; std::vector<double> at; };
    const Case cases[] = {{20.0, {20, 40, 60}}, {25.0, {25, 50}}, {0.0, {}}, {100.0, {}}};
    for (const Case& c : cases) {
        const std::vector<FlowPoint> arrows = FlowArrowPoints(path, c.interval);
        ASSERT_EQ(arrows.size(), c.at.size()) << c.interval;
        for (size_t k = 0; k < arrows.size(); ++k) EXPECT_NEAR(arrows[k].y, c.at[k], 1e-9) << c.interval;
    }
    // A segment without room for arrows passes its length on.
    const auto skipMiddle = [](const FlowPoint& p, const FlowPoint&) { return p.y != 30; };
    const std::vector<FlowPoint> arrows = FlowArrowPoints(path, 20.0, skipMiddle);
    ASSERT_EQ(arrows.size(), 2u);
    EXPECT_NEAR(arrows[0].y, 20.0, 1e-9);
    EXPECT_NEAR(arrows[1].y, 60.0, 1e-9);
}

TEST(FlowSettingsEdits, TypedValuesAreKeptInRange) {
    ResetFlowSettingsValues();
    g_flowSettings.spacing = 10.0;
    struct Case { int control; const char* typed; bool redraw; const char* shown; };
    const Case cases[] = {
        {flowctl::kPointCount, "0", true, " 1 "},
        {flowctl::kPointCount, "25", true, " 10 "},
        {flowctl::kPointCount, "", false, " 10 "},
        {flowctl::kRotation, "450.0000", true, "  90.0000"},
        {flowctl::kRotation, "-30.3000", true, " 329.3000"},
        {flowctl::kSpacing, "-5", true, " 1.000"},
        {flowctl::kSpacing, "abc", false, " 1.000"},
        {flowctl::kArrowInterval, "-1", true, " 0.000"},
        {flowctl::kOriginX, "100.0004", true, " 100.000"},
        {flowctl::kOriginX, "100.0008", false, " 100.001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FlowEditLeft(c.control, c.typed), c.redraw) << c.control << " " << c.typed;
        EXPECT_EQ(FlowFieldText(c.control), c.shown) << c.control << " " << c.typed;
    }
    EXPECT_DOUBLE_EQ(g_flowSettings.rotation, 329.5);
    ResetFlowSettingsValues();
}

TEST(FlowSettingsEdits, AreaCornersAndStartGrid) {
    BuildLatticeTin(20, 20, 1000.0, 2000.0, 10.0, [](double x, double) { return 0.1 * x; });
    FlowSettings s;
    s.areaOrigin = FlowPoint{1050, 2100, 0};
    s.spacing = 20;
    s.pointCount = 4;
    s.rotation = 90.0;
    UpdateFlowAreaCorners(s);
    EXPECT_NEAR(s.areaEnd.x, 1110.0, 1e-9);
    EXPECT_NEAR(s.areaEnd.y, 2100.0, 1e-9);
    EXPECT_NEAR(s.areaFarEnd.x, 1110.0, 1e-9);
    EXPECT_NEAR(s.areaFarEnd.y, 2040.0, 1e-9);
    EXPECT_EQ(FlowAreaStartPoints(s).size(), 16u);
    s.areaOrigin.y = 2050;
    UpdateFlowAreaCorners(s);
    EXPECT_EQ(FlowAreaStartPoints(s).size(), 12u);  // its last row lies outside the TIN
    s.areaOrigin.y = 2100;
    UpdateFlowAreaCorners(s);
    s.pointCount = 1;
    EXPECT_EQ(FlowAreaStartPoints(s).size(), 4u);  // raised to 2 x 2
    EXPECT_EQ(s.pointCount, 2);
    s.areaEnd = FlowPoint{1050, 2160, 0};
    s.pointCount = 4;
    FlowAreaFromCorners(s);
    EXPECT_NEAR(s.spacing, 20.0, 1e-9);
    EXPECT_NEAR(s.rotation, 0.0, 1e-9);
}

TEST(FlowPaths, JacksboroGridPathsAllRunDownhill) {
    jacksboro_grid::LoadWithTin();
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        minX = std::min(minX, g_points[i].x), maxX = std::max(maxX, g_points[i].x);
        minY = std::min(minY, g_points[i].y), maxY = std::max(maxY, g_points[i].y);
    }
    const double side = 0.6 * std::min(maxX - minX, maxY - minY);
    const FlowPoint origin{minX + 0.2 * (maxX - minX), minY + 0.2 * (maxY - minY), 0};
    const FlowPoint end{origin.x, origin.y + side, 0};
    const std::vector<FlowPoint> starts = FlowGridPoints(end, origin, 8, 8);
    ASSERT_EQ(starts.size(), 100u);
    const std::vector<FlowPath> paths = TraceFlowPaths(starts);
    int traced = 0;
    for (const FlowPath& p : paths) {
        if (p.vertices.empty()) continue;
        ++traced;
        EXPECT_NE(p.end, FlowEnd::kNoStart);
        EXPECT_LT(p.vertices.back().z, p.start.z);
    }
    EXPECT_GE(traced, 95);
}
}  // namespace
