// The mesh rectangle's handles, its default calculation range and area dialog fields,
// and the node elevation editor.
#include <gtest/gtest.h>

#include <cmath>

#include "mesh_test_support.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_area.h"
#include "volume/mesh_area_tool.h"
#include "volume/mesh_data.h"
#include "volume/mesh_node_edit.h"

namespace {

constexpr double kDeg = M_PI / 180;

class MeshAreaTest : public ::testing::Test {
protected:
    void SetUp() override { InitDataModel(); }
    void TearDown() override { ReleaseDataModel(); }
};

// Rotation of a rectangle in degrees in [0, 360), as stored.
double StoredRotation(const MeshRectangle& r) {
    StoreMeshRectangle(r);
    return g_meshRotation;
}

TEST_F(MeshAreaTest, HandleDragsFollowTheCursor) {
    const MeshRectangle start{100, 200, 40, 30, 30 * kDeg};
    struct Case {
        const char* what;
        int32_t code;
        double x, y;
        double originX, originY, length, width, rotationDeg;
    };
    const double c = std::cos(30 * kDeg), s = std::sin(30 * kDeg);
    const Case cases[] = {
        {"origin", 16, 90, 210, 90, 210, 40, 30, 30},
        // The width axis points north: the length axis then points west.
        {"width corner north", 32, 150, 200, 100, 200, 40, 30, 90},
        {"width corner east", 32, 100, 260, 100, 200, 40, 30, 0},
        // The length axis points east: (cos t, -sin t) = (0, 1).
        {"length corner east", 64, 100, 250, 100, 200, 40, 30, 270},
        {"length corner north", 64, 160, 200, 100, 200, 40, 30, 0},
        // Across the origin the projections stay positive and the rotation stays.
        {"far corner across", 48, 100 - (10 * c + 5 * s), 200 - (-10 * s + 5 * c), 100, 200, 10, 5, 30},
        {"far corner", 48, 100 + 50 * c + 20 * s, 200 - 50 * s + 20 * c, 100, 200, 50, 20, 30},
        // Distance from the origin side's midpoint (length 40: (100 + 20c, 200 - 20s)).
        {"length side", 80, 100 + 20 * c + 12 * s, 200 - 20 * s + 12 * c, 100, 200, 40, 12, 30},
        {"width side", 96, 100 + 15 * s + 7 * c, 200 + 15 * c - 7 * s, 100, 200, 7, 30, 30},
        {"on the origin", 32, 100.0005, 200, 100, 200, 40, 30, 30},
        {"on the side midpoint", 80, 100 + 20 * c, 200 - 20 * s, 100, 200, 40, 30, 30},
        {"no handle", 0, 0, 0, 100, 200, 40, 30, 30},
    };
    for (const Case& k : cases) {
        const MeshRectangle r = DragMeshHandle(start, k.code, k.x, k.y);
        EXPECT_NEAR(r.originX, k.originX, 1e-9) << k.what;
        EXPECT_NEAR(r.originY, k.originY, 1e-9) << k.what;
        EXPECT_NEAR(r.length, k.length, 1e-9) << k.what;
        EXPECT_NEAR(r.width, k.width, 1e-9) << k.what;
        EXPECT_NEAR(StoredRotation(r), k.rotationDeg, 1e-9) << k.what;
    }
}

TEST_F(MeshAreaTest, DefaultRangeRunsRoundTheRectangleInQuarters) {
    g_meshOriginX = 10;
    g_meshOriginY = 20;
    g_meshRotation = 90;  // length axis west, width axis north
    g_meshLength = 40;
    g_meshWidth = 80;
    BuildDefaultMeshAreaPolygon();
    ASSERT_EQ(g_meshAreaPolygonCount, 17);
    struct Case {
        int32_t vertex;
        double x, y;
    };
    const Case cases[] = {{1, 10, 20},  {2, 30, 20},  {3, 50, 20},  {5, 90, 20},
                          {9, 90, -20}, {11, 50, -20}, {13, 10, -20}, {15, 10, 0}, {17, 10, 20}};
    for (const Case& k : cases) {
        EXPECT_NEAR(g_meshAreaPolygon[k.vertex].x, k.x, 1e-9) << k.vertex;
        EXPECT_NEAR(g_meshAreaPolygon[k.vertex].y, k.y, 1e-9) << k.vertex;
    }
}

TEST_F(MeshAreaTest, RegistrationByALine) {
    EXPECT_FALSE(DefineMeshAreaFromLine(0, 0, 0.6, 0.7));
    EXPECT_EQ(g_meshAreaDefined, 0);
    ASSERT_TRUE(DefineMeshAreaFromLine(5, 5, 5 - 30, 5 - 40));  // south-west
    EXPECT_EQ(g_meshAreaDefined, 1);
    EXPECT_DOUBLE_EQ(g_meshLength, 50);
    EXPECT_DOUBLE_EQ(g_meshWidth, 50);
    EXPECT_DOUBLE_EQ(g_meshPitchLength, 20);
    EXPECT_NEAR(g_meshRotation, 180 + std::atan2(30.0, 40.0) / kDeg, 1e-9);
    // The width corner lies at the end of the line.
    const MeshHandlePoints p = MeshCornerPoints(CurrentMeshRectangle());
    EXPECT_NEAR(p.x[1], -25, 1e-9);
    EXPECT_NEAR(p.y[1], -35, 1e-9);
}

TEST_F(MeshAreaTest, AreaDialogFields) {
    g_meshLength = 40;
    g_meshWidth = 30;
    g_meshPitchLength = 10;
    struct Case {
        int32_t control;
        const char* typed;
        bool accepted;
        const char* shown;
    };
    const Case cases[] = {
        {1032, "123.4567", true, "123.457"}, {1033, "-5", true, "-5.000"},
        {1036, "0", false, "40.000"},        {1036, "-3", false, "40.000"},
        {1036, "55.5", true, "55.500"},      {1037, "abc", false, "30.000"},
        {1039, "-0.1", false, "10.000"},     {1040, "2.5", true, "2.500"},
        {1035, "30.1530", true, "30.1530"},  {1035, "x", false, "30.1530"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(SetMeshAreaField(k.control, k.typed), k.accepted) << k.control << " " << k.typed;
        EXPECT_EQ(MeshAreaFieldText(k.control), k.shown) << k.control << " " << k.typed;
    }
    EXPECT_NEAR(g_meshRotation, 30 + 15 / 60.0 + 30 / 3600.0, 1e-9);
}

TEST_F(MeshAreaTest, DirectionAngleIsTheWidthAxisAzimuth) {
    g_meshWidth = 30;
    struct Case {
        double rotation;
        double direction;
    };
    const Case cases[] = {{0, 90}, {30, 60}, {90, 0}, {135, 315}, {300, 150}};
    for (const Case& k : cases) {
        g_meshRotation = k.rotation;
        EXPECT_NEAR(MeshDirectionAngle(), k.direction, 1e-9) << k.rotation;
        g_meshRotation = 17;
        ASSERT_TRUE(SetMeshAreaField(1038, FormatString("%.4f", k.direction)));
        EXPECT_NEAR(g_meshRotation, k.rotation, 1e-9) << k.direction;
    }
    g_meshWidth = 0;  // a zero width counts as 10 for the angle shown
    g_meshRotation = 30;
    EXPECT_NEAR(MeshDirectionAngle(), 60, 1e-9);
}

TEST_F(MeshAreaTest, NearestHandleWinsAndTiesGoToTheLater) {
    g_viewportCenterX = 100;
    g_viewportCenterY = 100;
    auto place = [](int index, int32_t column, int32_t row) {
        g_meshHandleScreen[index][0] = column;
        g_meshHandleScreen[index][1] = row;
    };
    // Window position = (100 + column, 100 - row).
    place(0, 0, 0);     // origin at (100, 100)
    place(1, 0, 20);    // width corner at (100, 80)
    place(2, 10, 0);    // far corner at (110, 100)
    place(3, 10, 20);   // length corner at (110, 80)
    place(4, 40, 40);   // far away
    place(5, 60, 60);
    struct Case {
        int32_t x, y;
        int32_t code;
    };
    const Case cases[] = {
        {100, 100, 16}, {100, 107, 16}, {100, 108, 0},   // the origin needs less than 8
        {100, 88, 32},  {105, 100, 48},                  // the far corner is later than the origin
        {105, 80, 64},  {108, 102, 48}, {150, 150, 0},
    };
    for (const Case& k : cases) EXPECT_EQ(MeshHandleAt(k.x, k.y), k.code) << k.x << "," << k.y;
}

class MeshNodeEditTest : public MeshAreaTest {};

TEST_F(MeshNodeEditTest, ArrowsStopAtTheMeshEdge) {
    meshtest::LayMesh(0, 0, 0, 30, 20, 10, 10, [](int32_t c, int32_t r) { return c + 0.5 * r; });
    g_meshEditNode = 1;
    MeshNodeEditView v = CurrentMeshNodeView();
    EXPECT_EQ(v.position, "1/1");
    EXPECT_EQ(v.elevation, "1.500");
    EXPECT_TRUE(v.canStep[0]);
    EXPECT_FALSE(v.canStep[1]);
    EXPECT_TRUE(v.canStep[2]);
    EXPECT_FALSE(v.canStep[3]);
    EXPECT_FALSE(StepMeshEditNode(MeshNodeStep::kColumnDown));
    g_meshEditNode = g_meshNodeCount;
    v = CurrentMeshNodeView();
    EXPECT_EQ(v.position, "4/3");
    EXPECT_FALSE(v.canStep[0]);
    EXPECT_FALSE(v.canStep[2]);
    EXPECT_TRUE(v.canStep[1]);
    EXPECT_TRUE(StepMeshEditNode(MeshNodeStep::kRowDown));
    EXPECT_EQ(CurrentMeshNodeView().position, "4/2");
    EXPECT_TRUE(StepMeshEditNode(MeshNodeStep::kColumnDown));
    EXPECT_EQ(g_meshEditNode, 7);
}

TEST_F(MeshNodeEditTest, EditsKeepOldValuesOnBadInputAndTheMissingFlagToggles) {
    meshtest::LayMesh(0, 0, 0, 30, 20, 10, 10, [](int32_t, int32_t) { return 5.0; });
    g_meshEditNode = 6;
    meshtest::NodeAt(2, 2).valid = 0;
    SetMeshEditNodeMissing(true);
    SetMeshEditNodeMissing(false);
    EXPECT_EQ(meshtest::NodeAt(2, 2).valid, 1);
    EXPECT_TRUE(SetMeshEditNodeElevation(" 12.25 "));
    EXPECT_EQ(meshtest::NodeAt(2, 2).z, 12.25);
    for (const char* bad : {"", "abc", "1.2.3x"}) {
        EXPECT_FALSE(SetMeshEditNodeElevation(bad)) << bad;
        EXPECT_EQ(meshtest::NodeAt(2, 2).z, 12.25) << bad;
    }
    EXPECT_EQ(CurrentMeshNodeView().elevation, "12.250");
}

TEST_F(MeshNodeEditTest, StepToANodeOffTheScreenRecentresTheView) {
    meshtest::LayMesh(1000, 2000, 0, 30, 20, 10, 10, [](int32_t, int32_t) { return 5.0; });
    g_viewCenterX = 0;
    g_viewCenterY = 0;
    meshtest::NodeAt(3, 1).offScreen = 1;
    g_meshEditNode = 1;
    g_redrawMask = 0;
    ASSERT_TRUE(StepMeshEditNode(MeshNodeStep::kColumnUp));
    EXPECT_EQ(g_redrawMask, 0);
    EXPECT_EQ(g_viewCenterX, 0);
    ASSERT_TRUE(StepMeshEditNode(MeshNodeStep::kColumnUp));
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_EQ(g_viewCenterX, 1020);
    EXPECT_EQ(g_viewCenterY, 2000);
}

TEST_F(MeshNodeEditTest, ClickPicksTheNearestNodeOnTheScreen) {
    meshtest::LayMesh(0, 0, 0, 10, 10, 10, 10, [](int32_t, int32_t) { return 5.0; });
    g_viewportCenterX = 200;
    g_viewportCenterY = 200;
    const int32_t screen[4][2] = {{0, 0}, {0, 40}, {40, 0}, {40, 40}};
    for (int32_t i = 1; i <= 4; ++i) {
        g_meshNodes.Data()[i].screenColumn = screen[i - 1][0];
        g_meshNodes.Data()[i].screenRow = screen[i - 1][1];
    }
    EXPECT_EQ(FindMeshNodeAtCursor(201, 199), 1);
    EXPECT_EQ(FindMeshNodeAtCursor(232, 166), 4);  // window y runs down
    g_meshNodes.Data()[4].offScreen = 1;
    EXPECT_EQ(FindMeshNodeAtCursor(232, 166), 2);
    EXPECT_EQ(FindMeshNodeAtCursor(200 + 70, 200 + 70), 0);  // beyond 4800 px²
    int opened = 0;
    MeshElevationEditRunner() = [&opened] {
        ++opened;
        EXPECT_EQ(g_meshEditNode, 1);
    };
    OnClickMeshElevationEdit(200, 200);
    MeshElevationEditRunner() = nullptr;
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(g_meshEditNode, 0);
}

}  // namespace
