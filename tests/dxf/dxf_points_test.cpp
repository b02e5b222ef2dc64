// Random points from the picked background elements.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_points.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"

namespace {

class DxfPoints : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override {
        ClearDxfPick();
        g_newPointName.clear();
        ReleaseDataModel();
    }
    static void Reset() {
        InitDataModel();
        ClearDxfPick();
        g_newPointName = "NEW";
        g_newPointInvalid = 0;
        g_newPointPlotMode = 3;
    }
    static int32_t Add(uint8_t pen, double north, double east, int32_t layer = 0, const char* text = "") {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = north;
        e.y = east;
        e.layer = layer;
        std::snprintf(e.text, sizeof e.text, "%s", text);
        return g_dxfElementCount;
    }
    static void Pick(int32_t element, int32_t first, int32_t last) {
        g_pickedDxfElement = element;
        g_pickedDxfFirst = first;
        g_pickedDxfLast = last;
    }
    static std::vector<double> Easts(int32_t from = 1) {
        std::vector<double> v;
        for (int32_t i = from; i <= g_pointCount; ++i) v.push_back(g_points[i].y);
        return v;
    }
};

TEST_F(DxfPoints, PointsAlongAPolyline) {
    struct Row {
        const char* what;
        std::vector<double> vertices;  // east positions on the line north = 0
        int32_t method;
        double interval;
        std::vector<double> points;
    };
    const Row rows[] = {
        {"straight, 12 long, interval 5", {0, 12}, DXF_ADD_INTERVAL, 5, {0, 5, 10, 12}},
        {"a vertex at 7, interval only", {0, 7, 12}, DXF_ADD_INTERVAL, 5, {0, 5, 10, 12}},
        {"a vertex at 7, both", {0, 7, 12}, DXF_ADD_BOTH, 5, {0, 5, 7, 10, 12}},
        {"shorter than the interval", {0, 1, 4}, DXF_ADD_INTERVAL, 5, {0, 4}},
        {"shorter than the interval, both", {0, 1, 4}, DXF_ADD_BOTH, 5, {0, 4}},
        {"interval point on a vertex", {0, 5, 12}, DXF_ADD_BOTH, 5, {0, 5, 10, 12}},
        {"degenerate last segment", {0, 12, 12.0005}, DXF_ADD_INTERVAL, 5, {0, 5, 10}},
        {"vertices only", {0, 7, 12}, DXF_ADD_VERTICES, 5, {0, 7, 12}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        for (size_t k = 0; k < r.vertices.size(); ++k) Add(k ? DXF_PEN_DRAW : DXF_PEN_MOVE, 0, r.vertices[k]);
        Pick(1, 1, g_dxfElementCount);
        DxfPointSettings s;
        s.m_addMethod = r.method;
        s.m_interval = r.interval;
        s.m_elevation = 42.5;
        AddPointsFromDxf(s);
        const std::vector<double> got = Easts();
        ASSERT_EQ(got.size(), r.points.size());
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_NEAR(got[k], r.points[k], 1e-9);
            EXPECT_EQ(g_points[k + 1].z, 42.5);
            EXPECT_EQ(g_points[k + 1].plotKind, 3);
            EXPECT_STREQ(g_points[k + 1].name, "NEW");
        }
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
    }
}

TEST_F(DxfPoints, SinglesAndTexts) {
    struct Row {
        const char* what;
        uint8_t pen;
        const char* text;
        int32_t method;
        int32_t count;
        double z;
    };
    const Row rows[] = {
        {"interval on a point", DXF_PEN_POINT, "", DXF_ADD_INTERVAL, 0, 0},
        {"interval on a text", DXF_PEN_TEXT, "7", DXF_ADD_INTERVAL, 0, 0},
        {"both on a point", DXF_PEN_POINT, "", DXF_ADD_BOTH, 1, 3},
        {"text as elevation", DXF_PEN_TEXT, "12.75m", DXF_ADD_TEXT_Z, 1, 12.75},
        {"text without a number", DXF_PEN_TEXT, "abc", DXF_ADD_TEXT_Z, 1, 0},
        {"text elevation on a point", DXF_PEN_POINT, "5", DXF_ADD_TEXT_Z, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        const int32_t e = Add(r.pen, 10, 20, 0, r.text);
        Pick(e, e, e);
        DxfPointSettings s;
        s.m_addMethod = r.method;
        s.m_elevation = 3;
        AddPointsFromDxf(s);
        ASSERT_EQ(g_pointCount, r.count);
        if (r.count) {
            EXPECT_EQ(g_points[1].x, 10);
            EXPECT_EQ(g_points[1].z, r.z);
        }
    }
    // A picked vertex of a polyline with text as elevation adds nothing.
    Reset();
    Add(DXF_PEN_MOVE, 0, 0, 0, "9");
    Add(DXF_PEN_DRAW, 0, 5);
    Pick(1, 1, 2);
    DxfPointSettings s;
    s.m_addMethod = DXF_ADD_TEXT_Z;
    AddPointsFromDxf(s);
    EXPECT_EQ(g_pointCount, 0);
}

TEST_F(DxfPoints, NamesFromLayers) {
    int32_t plain = 0, longName = 0, colour = 7;
    FindOrAddDxfLayer("ROAD\n", plain, colour);
    FindOrAddDxfLayer("ABCDEFGHIJKLMNOPQRST\n", longName, colour);
    const int32_t a = Add(DXF_PEN_POINT, 0, 0, plain);
    const int32_t b = Add(DXF_PEN_POINT, 0, 1, longName);
    const int32_t c = Add(DXF_PEN_POINT, 0, 2, 0);
    DxfPointSettings s;
    s.m_nameFromLayer = 1;
    for (int32_t e : {a, b, c}) {
        Pick(e, e, e);
        AddPointsFromDxf(s);
    }
    ASSERT_EQ(g_pointCount, 3);
    EXPECT_STREQ(g_points[1].name, "ROAD");
    EXPECT_STREQ(g_points[2].name, "ABCDEFGHIJK");
    EXPECT_STREQ(g_points[3].name, "NEW") << "no layer: the new-point name";
}

TEST_F(DxfPoints, UndoTakesBackOnlyTheLastAdditionAndOnlyWhileNothingChanged) {
    Add(DXF_PEN_MOVE, 0, 0);
    Add(DXF_PEN_DRAW, 0, 10);
    Pick(1, 1, 2);
    DxfPointSettings s;
    EXPECT_FALSE(CanUndoAddedPoints(s));
    AddPointsFromDxf(s);  // 2 points
    ASSERT_TRUE(CanUndoAddedPoints(s)) << "also from an empty array";
    s.m_addMethod = DXF_ADD_INTERVAL;
    s.m_interval = 4;
    AddPointsFromDxf(s);  // 0, 4, 8, 10
    ASSERT_EQ(g_pointCount, 6);
    ASSERT_TRUE(UndoAddedPoints(s));
    EXPECT_EQ(g_pointCount, 2);
    EXPECT_EQ(g_points[3].hidden, kEndMarker);
    EXPECT_FALSE(UndoAddedPoints(s)) << "only the last addition";

    AddPointsFromDxf(s);
    ASSERT_EQ(g_pointCount, 6);
    g_editPoint.x = 99;
    g_pointCount = AppendEditPoint();  // a point entered by another tool
    EXPECT_FALSE(CanUndoAddedPoints(s));
    EXPECT_FALSE(UndoAddedPoints(s));
    EXPECT_EQ(g_pointCount, 7);
}

TEST_F(DxfPoints, ChangePointsNearThePick) {
    // Points 1..5 along east, the polyline from (0, 1) to (0, 4); point 5 lies far off.
    const double places[][2] = {{5, 0}, {0.05, 1}, {30, 2}, {-0.05, 3.5}, {0.02, 4}};
    for (const auto& p : places) {
        g_editPoint = RandomPoint{};
        g_editPoint.x = p[0];
        g_editPoint.y = p[1];
        g_pointCount = AppendEditPoint();
    }
    Add(DXF_PEN_MOVE, 0, 1);
    Add(DXF_PEN_DRAW, 0, 4);
    Pick(1, 1, 2);
    DxfPointSettings s;
    s.m_judgeDistance = 0.1;
    EXPECT_EQ(SetPointsNearPick(s, DXF_POINTS_UNUSED), 1);
    const int16_t unused[] = {0, 1, 0, 1, 1};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(g_points[k + 1].invalid, unused[k]) << k + 1;

    // Simple search: everything numbered between the points at the two ends, even far off.
    s.m_simpleSearch = 1;
    s.m_pointName = "EDGE";
    EXPECT_EQ(SetPointsNearPick(s, DXF_POINTS_RENAME), 1);
    const char* names[] = {"", "EDGE", "EDGE", "EDGE", "EDGE"};
    for (int k = 0; k < 5; ++k) EXPECT_STREQ(g_points[k + 1].name, names[k]) << k + 1;

    s.m_judgeDistance = 0.01;  // no point at the start any more
    EXPECT_EQ(SetPointsBetweenEnds(s, DXF_POINTS_USED, 1, 2), 0);
}

TEST_F(DxfPoints, EditRules) {
    struct Row {
        const char* text;
        double interval;  // from 10
        double judge;
    };
    const Row rows[] = {
        {"2.5", 2.5, 2.5}, {"0", 10, 0}, {"-3", 10, 3}, {"-0.5", 10, 0.5}, {"abc", 10, 0}, {"7m", 7, 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        DxfPointSettings s;
        s.m_interval = 10;
        SetIntervalFromText(s, r.text);
        SetJudgeDistanceFromText(s, r.text);
        EXPECT_EQ(s.m_interval, r.interval);
        EXPECT_EQ(s.m_judgeDistance, r.judge);
    }
}

}  // namespace
