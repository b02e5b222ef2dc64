// The mesh layer on an offscreen frame: which colour each grid segment, diagonal, label and
// crossing polyline takes, and that nothing is drawn before the mesh has elevations.
#include <cmath>

#include "painter_fixture.h"
#include "view/birds_eye_projection.h"
#include "view/mesh_layer_painter.h"
#include "volume/mesh_data.h"

namespace {
constexpr int kValid = 47, kInvalid = 48, kPlan = 49, kCut = 56, kFill = 57;

class MeshLayer : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        InstallMeshLayer();
        g_showMesh = 1;
        g_showMeshElevations = 0;
        g_showMeshVolumes = 0;
    }
    void TearDown() override {
        g_painterLayers.meshLayer = nullptr;
        PainterTest::TearDown();
    }

    // A 3 x 3 grid, 20 m pitch, node (c, r) at X = -40 + 20 (c - 1) + skewX (r - 1),
    // Y = -60 + rowStep (r - 1): rectangular with skewX 0 and rowStep 20.
    static void MakeGrid(double skewX = 0, double rowStep = 20) {
        ASSERT_EQ(PrepareMeshNodeBlock(3, 3), 0);
        for (int32_t r = 1; r <= 3; ++r)
            for (int32_t c = 1; c <= 3; ++c) {
                MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
                n = MeshNode{};
                n.x = -40 + 20.0 * (c - 1) + skewX * (r - 1);
                n.y = -60 + rowStep * (r - 1);
                n.centreX = n.x + 10;
                n.centreY = n.y + 10;
                n.z = n.planZ = 10;
                n.column = c;
                n.row = r;
                n.valid = 1;
            }
        g_meshAreaDefined = 1;
        g_meshElevationsDone = 1;
    }
    // A fresh model, buffer and view for the next case.
    void Restart() {
        TearDown();
        SetUp();
    }
    static MeshNode& Node(int32_t c, int32_t r) { return g_meshNodes.Data()[MeshNodeNumber(c, r)]; }

    static OutlineCrossing Crossing(double x, double y, int32_t row, int32_t column, int32_t vertexClass) {
        OutlineCrossing e{};
        e.x = x;
        e.y = y;
        e.z = e.planZ = 10;
        e.row = row;
        e.column = column;
        e.vertexClass = vertexClass;
        return e;
    }
    // The current outline: a crossing of row 1 between nodes 2 and 3 at X = -10 and an
    // outside vertex (segments touching it are not drawn), closed by a copy of the first.
    static void SetOutlineCrossing(int32_t columnKey) {
        ASSERT_EQ(GrowOutlineCrossingBlock(8), 0);
        OutlineCrossing* e = g_outlineCrossings.Data();
        e[1] = Crossing(-10, -60, 1, columnKey, 0);
        e[2] = Crossing(60, 90, 0, 0, 1);
        e[3] = e[1];
        g_outlineCrossingCount = 2;
    }
    // Plan line 1 with the same crossing; its list holds the closing copy.
    static void SetPlanCrossing(int32_t columnKey) {
        ASSERT_EQ(GrowPlanCrossingBlock(8), 0);
        OutlineCrossing* e = g_planCrossings.Data();
        e[1] = Crossing(-10, -60, 1, columnKey, 0);
        e[2] = e[1];
        g_planCrossingCount = 2;
        g_planLines[1].first = g_planLines[1].last = 1;
        g_planLineCount = 1;
    }
    static int32_t ColumnOf(const MeshNode& n) { return g_viewportCenterX + n.screenColumn; }
    static int32_t RowOf(const MeshNode& n) { return g_viewportCenterY + n.screenRow; }
};

TEST_F(MeshLayer, NothingBeforeTheMeshHasElevations) {
    MakeGrid();
    g_meshElevationsDone = 0;
    ASSERT_EQ(Paint(), 1);
    for (int color : {kValid, kInvalid, kPlan}) EXPECT_EQ(CountColor(Color(color)), 0) << color;
}

TEST_F(MeshLayer, GridLinesRunThroughTheProjectedNodes) {
    MakeGrid();
    ASSERT_EQ(Paint(), 1);
    for (int32_t r = 1; r <= 3; ++r)
        for (int32_t c = 1; c <= 3; ++c) {
            const MeshNode& n = Node(c, r);
            EXPECT_EQ(At(n.x, n.y), Color(kValid)) << c << "," << r;
        }
    EXPECT_EQ(At(-30, -60), Color(kValid));  // along row 1
    EXPECT_EQ(At(-40, -50), Color(kValid));  // along column 1
    EXPECT_EQ(CountColor(Color(kValid)), 3 * 41 + 3 * 41 - 9);
    // Hidden mesh lines: nothing.
    g_showMesh = 0;
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(CountColor(Color(kValid)), 0);
}

// The segment of row 1 from node 2 (X -20) to node 3 (X 0), a crossing at X -10.
TEST_F(MeshLayer, SegmentColoursSplitAtTheCrossingOfItsKeys) {
    struct Case {
        const char* name;
        int32_t pValid, qValid, pPlan, qPlan;
        int crossings;  // 0 none, 1 outline, 2 plan
        int32_t columnKey;
        int nearP, nearQ;
    } cases[] = {
        {"valid, same source", 1, 1, 0, 0, 0, -2, kValid, kValid},
        {"valid, both plan", 1, 1, 1, 1, 0, -2, kPlan, kPlan},
        {"plan source changes at the plan line", 1, 1, 0, 1, 2, -2, kValid, kPlan},
        {"plan source changes, no crossing", 1, 1, 0, 1, 0, -2, kPlan, kPlan},
        {"plan crossing of another key", 1, 1, 1, 0, 2, -1, kPlan, kPlan},
        {"outline between valid and invalid", 1, 0, 0, 0, 1, -2, kValid, kInvalid},
        {"outline between invalid and valid", 0, 1, 0, 0, 1, -2, kInvalid, kValid},
        {"one valid, no crossing", 1, 0, 0, 0, 0, -2, kInvalid, kInvalid},
        {"outline crossing of a column key", 1, 0, 0, 0, 1, 2, kInvalid, kInvalid},
        {"neither valid", 0, 0, 0, 0, 1, -2, kInvalid, kInvalid},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Restart();
        MakeGrid();
        Node(2, 1).valid = k.pValid;
        Node(3, 1).valid = k.qValid;
        Node(2, 1).planSource = k.pPlan;
        Node(3, 1).planSource = k.qPlan;
        if (k.crossings == 1) SetOutlineCrossing(k.columnKey);
        if (k.crossings == 2) SetPlanCrossing(k.columnKey);
        ASSERT_EQ(Paint(), 1);
        EXPECT_EQ(At(-15, -60), Color(k.nearP));
        EXPECT_EQ(At(-5, -60), Color(k.nearQ));
    }
}

TEST_F(MeshLayer, OnlyASkewedLatticeGetsDiagonals) {
    // Node (2, 1) to node (1, 2): its midpoint is inside a cell of the rectangular grid.
    MakeGrid();
    ASSERT_EQ(Paint(), 1);
    const int32_t c = g_viewportCenterX - 50, r = g_viewportCenterY - 30;
    EXPECT_FALSE(AnyInBox(Color(kValid), c - 2, r - 2, c + 2, r + 2));

    // 60-degree lattice: rows 17.32 apart, each shifted half a pitch.
    Restart();
    MakeGrid(10, 17.3205);
    Node(1, 2).valid = 0;  // a diagonal with an invalid end
    ASSERT_EQ(Paint(), 1);
    // (2,1) = (-20, -60) to (1,2) = (-30, -42.68); (2,1) to (3,2) = (10, -42.68).
    const int32_t c1 = g_viewportCenterX + static_cast<int32_t>(std::lround(-51.34));
    EXPECT_TRUE(AnyInBox(Color(kInvalid), c1 - 1, g_viewportCenterY - 26, c1 + 1, g_viewportCenterY - 24));
    EXPECT_TRUE(AnyInBox(Color(kValid), c1 - 1, g_viewportCenterY - 6, c1 + 1, g_viewportCenterY - 4));
}

TEST_F(MeshLayer, LabelsOfElevationsAndVolumes) {
    LoadStrokeFontFrom("/nonexistent");
    MakeGrid();
    g_showMesh = 0;
    g_showMeshElevations = 1;
    Node(1, 1).planZ = 12.5;  // labelled in the plan colour
    Node(3, 3).planZ = 0;     // a plan elevation of 0 never is
    ASSERT_EQ(Paint(), 1);
    auto planLabel = [](const MeshNode& n) {
        return AnyInBox(Color(kPlan), ColumnOf(n) - 26, RowOf(n) + 2, ColumnOf(n) + 2, RowOf(n) + 10);
    };
    auto currentLabel = [](const MeshNode& n) {
        return AnyInBox(Color(kValid), ColumnOf(n) - 26, RowOf(n) - 10, ColumnOf(n) + 2, RowOf(n) - 2);
    };
    EXPECT_TRUE(currentLabel(Node(1, 1)));
    EXPECT_TRUE(planLabel(Node(1, 1)));
    EXPECT_TRUE(currentLabel(Node(3, 3)));
    EXPECT_FALSE(planLabel(Node(3, 3)));
    EXPECT_EQ(CountColor(Color(kCut)) + CountColor(Color(kFill)), 0);

    // Cut and fill at the cell centres once the volumes are done.
    g_showMeshElevations = 0;
    g_showMeshVolumes = 1;
    g_meshVolumeDone = 1;
    Node(1, 1).cut = 4.25;
    Node(1, 1).fill = 0.0005;  // too small to show
    g_redrawMask = -1;
    g_projectionValid = 0;
    ASSERT_EQ(Paint(), 1);
    const MeshNode& n = Node(1, 1);
    const int32_t c = g_viewportCenterX + n.centreScreenColumn, r = g_viewportCenterY + n.centreScreenRow;
    EXPECT_TRUE(AnyInBox(Color(kCut), c - 26, r + 2, c + 2, r + 10));
    EXPECT_EQ(CountColor(Color(kFill)), 0);
    EXPECT_EQ(CountColor(Color(kValid)), 0);

    // A held button drops every label.
    SetHeadlessKeyDown(key::kMouseLeft, true);
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(CountColor(Color(kCut)), 0);
}

TEST_F(MeshLayer, CrossingPolylinesSkipOutsideVertices) {
    g_meshAreaDefined = 1;  // crossings only, no grid
    g_meshElevationsDone = 1;
    ASSERT_EQ(GrowOutlineCrossingBlock(8), 0);
    OutlineCrossing* e = g_outlineCrossings.Data();
    e[1] = Crossing(30, -80, 0, 0, 2);
    e[2] = Crossing(30, -40, 0, 0, 2);
    e[3] = Crossing(60, -40, 0, 0, 1);  // outside: its two segments are left out
    e[4] = e[1];
    g_outlineCrossingCount = 3;
    // A plan line of two entries and its closing copy.
    ASSERT_EQ(GrowPlanCrossingBlock(8), 0);
    OutlineCrossing* p = g_planCrossings.Data();
    p[1] = Crossing(-30, 10, 0, 0, 2);
    p[2] = Crossing(-30, 50, 0, 0, 2);
    p[3] = p[1];
    g_planCrossingCount = 3;
    g_planLines[1].first = 1;
    g_planLines[1].last = 2;
    g_planLineCount = 1;
    ASSERT_EQ(Paint(), 1);
    EXPECT_EQ(At(30, -60), Color(kValid));
    EXPECT_NE(At(45, -40), Color(kValid));
    EXPECT_EQ(CountColor(Color(kValid)), 41);
    EXPECT_EQ(At(-30, 30), Color(kPlan));
    EXPECT_EQ(CountColor(Color(kPlan)), 41);

    // A plan line whose entries run past the list is left out.
    g_planLines[1].last = 3;
    g_redrawMask = -1;
    Paint();
    EXPECT_EQ(CountColor(Color(kPlan)), 0);
}
TEST_F(MeshLayer, BirdsEyeDrawsAtTheProjectedNodes) {
    MakeGrid();
    g_birdsEyeOn = 1;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;
    g_birdsEyeRoll = 0;
    g_heightScale = 1;
    g_rotationAxis = 0;
    g_targetZ = 0;
    g_focalLength = g_bufferMaxX;
    ASSERT_EQ(Paint(), 1);
    int shown = 0;
    for (int32_t i = 1; i <= g_meshNodeCount; ++i) {
        const MeshNode& n = g_meshNodes.Data()[i];
        // Off-screen 0 says only that the node is in front of the camera.
        if (n.offScreen != 0 || ColumnOf(n) < 1 || ColumnOf(n) >= g_bufferMaxX || RowOf(n) < 1 ||
            RowOf(n) >= g_bufferMaxY)
            continue;
        ++shown;
        EXPECT_EQ(Pixel(ColumnOf(n), RowOf(n)), Color(kValid)) << "node " << i;
    }
    EXPECT_GT(shown, 0);
}
}  // namespace
