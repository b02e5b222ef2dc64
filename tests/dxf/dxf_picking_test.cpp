// Snapping to the background vector layer: vertex, point on a segment, midpoint, crossing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dxf/dxf_picking.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

// A plan view of 801 x 601 pixels, 1 pixel per metre, centred on the origin: the element
// at (north, east) shows at column 400 + east, row 300 - north.
class DxfPicking : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    static void Reset() {
        InitDataModel();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_projectionValid = 0;
    }
    void TearDown() override {
        g_birdsEyeOn = 0;
        ReleaseDataModel();
    }

    static int32_t Add(uint8_t pen, double north, double east, double z = 0) {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = north;
        e.y = east;
        e.z = z;
        g_projectionValid = 0;
        return g_dxfElementCount;
    }
    static DxfElement& At(int32_t i) { return g_dxfElementsBlock.Data()[i]; }
};

TEST_F(DxfPicking, NearestVertexRadiusAndBorders) {
    struct Row {
        const char* what;
        double north, east;  // the one element
        int32_t radius2;
        bool found;
    };
    const Row rows[] = {
        {"at the cursor, radius 1", 0, 0, 1, true},
        {"69 pixels, inside 69.28", 0, 69, 4800, true},
        {"70 pixels, outside 69.28", 0, 70, 4800, false},
        {"40 x 56 pixels: 4736", 40, 56, 4800, true},
        {"column 0", 0, -400, 1000000, false},
        {"last usable column", 0, 400, 1000000, false},
        {"row 0", 300, 0, 1000000, false},
        {"last usable row", -300, 0, 1000000, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        const int32_t i = Add(DXF_PEN_POINT, r.north, r.east, 5);
        double x = -1, y = -1;
        int32_t c = -1, w = -1;
        const int32_t got = FindNearestDxfVertex(400, 300, r.radius2, x, y, c, w);
        EXPECT_EQ(got, r.found ? i : 0);
        if (r.found) {
            EXPECT_EQ(x, r.north);
            EXPECT_EQ(y, r.east);
            EXPECT_EQ(c, 400 + static_cast<int32_t>(r.east));
            EXPECT_EQ(w, 300 - static_cast<int32_t>(r.north));
        } else {
            EXPECT_EQ(x, 0);
            EXPECT_EQ(c, 0);
        }
    }
}

TEST_F(DxfPicking, NearestVertexTieAndEmptyStore) {
    double x = 7, y = 7;
    int32_t c = 7, w = 7;
    EXPECT_EQ(FindNearestDxfVertex(400, 300, 4800, x, y, c, w), 0);
    EXPECT_EQ(x, 7) << "an empty store leaves the outputs";
    EXPECT_EQ(c, 7);
    Add(DXF_PEN_MOVE, 0, 30);
    const int32_t second = Add(DXF_PEN_TEXT, 0, -10);
    Add(DXF_PEN_DRAW, 10, 0);  // the same 10 pixels, a higher number
    EXPECT_EQ(FindNearestDxfVertex(400, 300, 4800, x, y, c, w), second);
}

TEST_F(DxfPicking, LinePointInterpolatesTheElevation) {
    struct Row {
        const char* what;
        double sz, ez;
        int32_t column, row;  // cursor
        double x, y, z;
    };
    // Segment (0, 0) -> (0, 100) along the east axis.
    const Row rows[] = {
        {"rising, cursor above the middle", 10, 20, 450, 290, 0, 50, 15},
        {"rising, cursor below a quarter", 10, 20, 425, 340, 0, 25, 12.5},
        {"level segment", 7.5, 7.5, 480, 280, 0, 80, 7.5},
        {"on the segment", 0, -4, 475, 300, 0, 75, -3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        Add(DXF_PEN_MOVE, 0, 0, r.sz);
        const int32_t e = Add(DXF_PEN_DRAW, 0, 100, r.ez);
        double x, y, z;
        int32_t c, w;
        ASSERT_EQ(FindNearestDxfLinePoint(r.column, r.row, x, y, z, c, w), e);
        EXPECT_NEAR(x, r.x, 1e-9);
        EXPECT_NEAR(y, r.y, 1e-9);
        EXPECT_NEAR(z, r.z, 1e-9);
        EXPECT_EQ(c, 400 + static_cast<int32_t>(r.y));
        EXPECT_EQ(w, 300);
    }
}

TEST_F(DxfPicking, LinePointCandidates) {
    // A far segment whose foot falls on it wins over a near one whose foot does not.
    Add(DXF_PEN_MOVE, 0, 10);
    Add(DXF_PEN_DRAW, 0, 20);
    Add(DXF_PEN_MOVE, 200, -100);
    const int32_t far = Add(DXF_PEN_DRAW, 200, 100);
    double x, y, z;
    int32_t c, w;
    EXPECT_EQ(FindNearestDxfLinePoint(400, 300, x, y, z, c, w), far);
    EXPECT_NEAR(x, 200, 1e-9);
    EXPECT_NEAR(y, 0, 1e-9);

    // A point element ends a polyline: no segment from it.
    Reset();
    Add(DXF_PEN_POINT, 0, -50);
    Add(DXF_PEN_DRAW, 0, 50);
    EXPECT_EQ(FindNearestDxfLinePoint(400, 310, x, y, z, c, w), 0);

    // A segment with an end off the screen is ignored.
    Reset();
    Add(DXF_PEN_MOVE, 0, -50);
    const int32_t e = Add(DXF_PEN_DRAW, 0, 50);
    EXPECT_EQ(FindNearestDxfLinePoint(400, 310, x, y, z, c, w), e);
    At(e).offScreen = 1;  // positions stay current
    EXPECT_EQ(FindNearestDxfLinePoint(400, 310, x, y, z, c, w), 0);
}

// Bird's-eye: camera at the origin looking north, focal length 100, no tilt, so an element
// shows at column 100 east / north and row 100 z / north from the centre.
class DxfPickingBirdsEye : public DxfPicking {
protected:
    void SetUp() override {
        DxfPicking::SetUp();
        g_birdsEyeOn = 1;
        g_eyeX = g_eyeY = g_eyeZ = 0;
        const double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::memcpy(g_birdsEyeMatrix, m, sizeof m);
    }
    static int32_t AddSeen(uint8_t pen, double north, double east, double z) {
        const int32_t i = Add(pen, north, east, z);
        At(i).screenX = static_cast<int32_t>(std::trunc(100 * east / north));
        At(i).screenY = static_cast<int32_t>(std::trunc(100 * z / north));
        g_projectionValid = 1;
        return i;
    }
};

TEST_F(DxfPickingBirdsEye, PointFollowsThePerspective) {
    // From (10, -10) to (30, 30): the screen's centre column looks along east = 0, which
    // meets the segment a quarter of the way along (north 15), not halfway.
    AddSeen(DXF_PEN_MOVE, 10, -10, 0);
    const int32_t e = AddSeen(DXF_PEN_DRAW, 30, 30, 0);
    double x, y, z;
    int32_t c, w;
    ASSERT_EQ(FindNearestDxfLinePoint(400, 303, x, y, z, c, w), e);
    EXPECT_NEAR(x, 15, 1e-9);
    EXPECT_NEAR(y, 0, 1e-9);
    EXPECT_EQ(c, 400);
    EXPECT_EQ(w, 300);
}

TEST_F(DxfPickingBirdsEye, VerticalSegmentTakesTheStartElevation) {
    // Both ends at one plan position: the segment has length on the screen only.
    AddSeen(DXF_PEN_MOVE, 50, 0, 0);
    const int32_t e = AddSeen(DXF_PEN_DRAW, 50, 0, 100);
    double x, y, z;
    int32_t c, w;
    ASSERT_EQ(FindNearestDxfLinePoint(402, 200, x, y, z, c, w), e);
    EXPECT_TRUE(std::isfinite(z));
    EXPECT_EQ(z, 0);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 0);
}

TEST_F(DxfPicking, MidpointOfTheSegmentAlongTheCursor) {
    Add(DXF_PEN_MOVE, 0, 0);
    const int32_t e = Add(DXF_PEN_DRAW, 0, 100);
    double x = 9, y = 9;
    EXPECT_EQ(FindNearestDxfMidpoint(430, 302, x, y), e);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(FindNearestDxfMidpoint(430, 200, x, y), 0) << "100 pixels off a 100 long segment";
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(DxfPicking, CrossingOfTwoSegments) {
    Add(DXF_PEN_MOVE, -50, 0);   // 1
    Add(DXF_PEN_DRAW, 50, 0);    // 2: runs north
    Add(DXF_PEN_MOVE, 3, -50);   // 3
    Add(DXF_PEN_DRAW, 3, 50);    // 4: runs east at north 3
    double x, y;
    int32_t c, w;
    // The cursor lies on the north-running segment 2 pixels below the crossing.
    ASSERT_EQ(SnapToDxfIntersection(400, 299, x, y, c, w), 1);
    EXPECT_NEAR(x, 3, 1e-9);
    EXPECT_NEAR(y, 0, 1e-9);
    EXPECT_EQ(c, 400);
    EXPECT_EQ(w, 297);
    EXPECT_EQ(FindDxfIntersectionNear(400, 299, 2, 1), 4);
}

TEST_F(DxfPicking, CrossingSearchSkipsTheGivenSegmentAndItsNeighbours) {
    struct Row {
        const char* what;
        double pn, pe, qn, qe;  // a second segment beside the given (0, -50) -> (0, 50)
        int32_t expected;       // 4 when it may be taken
    };
    const Row rows[] = {
        {"crossing", -20, 1, 20, 1, 4},
        {"shares an end", 0, 50, 20, 1, 0},
        {"shares an end to the millimetre", 0.0004, 50.0009, 20, 1, 0},
        {"parallel", 1, -40, 1, 40, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Reset();
        Add(DXF_PEN_MOVE, 0, -50);
        Add(DXF_PEN_DRAW, 0, 50);
        Add(DXF_PEN_MOVE, r.pn, r.pe);
        Add(DXF_PEN_DRAW, r.qn, r.qe);
        EXPECT_EQ(FindDxfIntersectionNear(401, 300, 2, 1), r.expected);
    }
    // A polyline's next segment starts at the given one's end element: never taken.
    Reset();
    Add(DXF_PEN_MOVE, 0, -50);
    Add(DXF_PEN_DRAW, 0, 50);
    Add(DXF_PEN_DRAW, -20, 0);
    EXPECT_EQ(FindDxfIntersectionNear(420, 305, 2, 1), 0);
    EXPECT_EQ(FindDxfIntersectionNear(400, 300, 2, 2), 0);
    EXPECT_EQ(FindDxfIntersectionNear(400, 300, 2, 9), 0);
}

}  // namespace
