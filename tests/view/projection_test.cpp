#include <cmath>
#include <cstring>
#include <limits>

#include "contour/slice_store.h"
#include "dxf/dxf_store.h"
#include "route/route_data.h"
#include "view/text_flags.h"
#include "view_fixture.h"
#include "volume/mesh_data.h"

namespace {
using Projection = ViewTest;

// Screen offsets of the plan projection (column from Y, row from X).
struct Offsets {
    int32_t column;
    int32_t row;
};

bool operator==(Offsets a, Offsets b) { return a.column == b.column && a.row == b.row; }
std::ostream& operator<<(std::ostream& out, Offsets o) {
    return out << "(" << o.column << ", " << o.row << ")";
}

template <typename R>
Offsets Of(const R& r) {
    return {r.screenX, r.screenY};
}

constexpr double kTwo29 = 536870912.0;
}  // namespace

TEST_F(Projection, EachProjectionRoundsItsOwnWay) {
    // All data to the nearest pixel (halves away from zero); single records down (by the
    // shift of 4096, so values at or below -4096 go toward zero); routes toward zero.
    struct Case {
        double offset;
        int32_t nearest, down, towardZero;
    };
    const Case cases[] = {
        {0.5, 1, 0, 0},
        {-0.5, -1, -1, 0},
        {-0.25, 0, -1, 0},
        {2.7, 3, 2, 2},
        {-2.7, -3, -3, -2},
        {-4095.5, -4096, -4096, -4095},
        {-5000.5, -5001, -5000, -5000},
        {1234.999, 1235, 1234, 1234},
    };
    g_viewCenterX = 1000;
    g_viewCenterY = 2000;
    g_viewScale = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        InitDataModel();
        const double x = 1000 + c.offset / 4, y = 2000 - c.offset / 4;
        const int32_t i = AddPoint(x, y, 0);
        g_ipPointCount = 1;
        g_ipPoints[1].x = x;
        g_ipPoints[1].y = y;
        ProjectAllData(0);
        EXPECT_EQ(Of(g_points[i]), (Offsets{-c.nearest, c.nearest}));
        EXPECT_EQ(Of(g_ipPoints[1]), (Offsets{-c.towardZero, c.towardZero}));
        ProjectRecord(g_points[i]);
        EXPECT_EQ(g_points[i].screenY, c.down);
        EXPECT_EQ(g_points[i].multiUse, 6);  // a single record keeps its marker size
    }
}

TEST_F(Projection, FarPointsAreFlaggedNotWrapped) {
    // Offsets outside -2^29 .. 2^29 - 1 set the off-screen flag; a point 10^9 pixels away
    // must not overflow the integer conversion (the sanitizer build checks that).
    struct Case {
        double x, y;
        int8_t flag;
    };
    const Case cases[] = {
        {kTwo29 - 1, 0, 0},
        {kTwo29, 0, 1},
        {-kTwo29, 0, 0},
        {-kTwo29 - 1, 0, 1},
        {0, 1e9, 1},
        {0, -1e9, 1},
        {1e300, 0, 1},
        {0, -1e300, 1},
        {std::numeric_limits<double>::quiet_NaN(), 0, 1},
        {0, std::numeric_limits<double>::infinity(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        InitDataModel();
        const int32_t i = AddPoint(c.x, c.y, 0);
        g_textFlagCount = 1;
        g_textFlags[1].x = c.x;
        g_textFlags[1].y = c.y;
        ProjectAllData(0);
        EXPECT_EQ(g_points[i].hidden, c.flag);
        EXPECT_EQ(g_textFlags[1].offScreen, c.flag);
        // The stored offsets stay inside the range the drawing code can add to.
        EXPECT_LE(std::abs(int64_t{g_points[i].screenX}), int64_t{1} << 29);
        EXPECT_LE(std::abs(int64_t{g_points[i].screenY}), int64_t{1} << 29);
        ProjectRecord(g_points[i]);
        EXPECT_EQ(g_points[i].hidden, c.flag);
    }
    // A flag from an earlier projection is cleared when the point comes back.
    g_points[1].x = 5;
    g_points[1].y = 5;
    ProjectAllData(0);
    EXPECT_EQ(g_points[1].hidden, 0);
    EXPECT_EQ(g_textFlags[1].offScreen, 1);  // the flag was not moved
}

TEST_F(Projection, FitModeLaysAllDataOnTheRaster) {
    g_extentCenterX = 1000;
    g_extentCenterY = 2000;
    g_extentSize = 100;
    g_viewScale = 50;
    g_birdsEyeOn = 1;  // fit mode is always a plan
    const int32_t i = AddPoint(1010, 1990, 0);
    ProjectAllData(1024);
    EXPECT_DOUBLE_EQ(g_fitScale, 9.728);
    EXPECT_EQ(g_projectionValid, 0);  // so that the next paint projects anew
    EXPECT_EQ(Of(g_points[i]), (Offsets{-97, 97}));

    g_birdsEyeOn = 0;
    ProjectAllData(0);
    EXPECT_EQ(g_projectionValid, 1);
    EXPECT_EQ(g_focalLength, g_bufferMaxX);
}

TEST_F(Projection, EveryDrawableRecordGetsItsPosition) {
    g_viewCenterX = 100;
    g_viewCenterY = 200;
    g_viewScale = 2;
    // Ground (x, y) whose offsets are (column, row) = (2 (y - 200), 2 (x - 100)).
    auto at = [](double column, double row) { return std::pair{100 + row / 2, 200 + column / 2}; };

    const auto [px, py] = at(10, 20);
    const int32_t point = AddPoint(px, py, 5);

    g_ipPointCount = 2;
    std::tie(g_ipPoints[1].x, g_ipPoints[1].y) = at(-3, 4);
    std::tie(g_ipPoints[2].x, g_ipPoints[2].y) = at(7, -8);
    g_currentIp = 2;

    ASSERT_EQ(GrowStationBlock(10), 0);
    g_stationCount = 1;
    StationRecord& s = g_stations[1];
    std::tie(s.x, s.y) = at(1, 1);
    std::tie(s.leftX, s.leftY) = at(-20, 1);
    std::tie(s.rightX, s.rightY) = at(22, 1);

    ASSERT_EQ(GrowOtherRouteStationBlock(10), 0);
    g_otherRouteStationCount = 3;
    std::tie(g_otherRouteStations[1].x, g_otherRouteStations[1].y) = at(40, 40);
    g_otherRouteStations[2].kind = kRouteSeparator;
    g_otherRouteStations[2].screenX = 12345;
    std::tie(g_otherRouteStations[3].x, g_otherRouteStations[3].y) = at(-40, 40);
    g_otherRouteIpCount = 1;
    std::tie(g_otherRouteIps[1].x, g_otherRouteIps[1].y) = at(50, 50);

    g_dxfElementCount = 1;
    DxfElement& e = g_dxfElementsBlock.Data()[1];
    std::tie(e.x, e.y) = at(60, -60);

    g_meshAreaDefined = 1;
    g_meshAreaPolygonCount = 2;
    std::tie(g_meshAreaPolygon[2].x, g_meshAreaPolygon[2].y) = at(70, 70);

    g_meshElevationsDone = 1;
    g_meshVolumeDone = 1;
    g_meshColumns = 2;
    g_meshRows = 2;
    g_meshNodeCount = 4;
    ASSERT_EQ(GrowMeshNodeBlock(6), 0);
    MeshNode& node = g_meshNodes.Data()[4];
    std::tie(node.x, node.y) = at(80, 80);
    std::tie(node.centreX, node.centreY) = at(90, 90);

    g_outlineCrossingCount = 2;
    ASSERT_EQ(GrowOutlineCrossingBlock(5), 0);
    std::tie(g_outlineCrossings.Data()[3].x, g_outlineCrossings.Data()[3].y) = at(100, 0);
    g_outlineCrossings.Data()[4].screenColumn = 777;  // past the closing entry
    g_planCrossingCount = 2;
    ASSERT_EQ(GrowPlanCrossingBlock(5), 0);
    std::tie(g_planCrossings.Data()[2].x, g_planCrossings.Data()[2].y) = at(0, 100);

    // Two slice lines: 130 vertices over two store blocks, then one of 2 vertices.
    g_sliceStoreBlocks = 6;
    ASSERT_EQ(g_sliceStore.Resize(g_sliceStoreBlocks, 8192), 0);
    auto* line1 = reinterpret_cast<SliceLine*>(g_sliceStore.Data()[1].bytes);
    line1->count = 130;
    line1->extraBlocks = 1;
    std::tie(SliceLineVertices(line1)[129].x, SliceLineVertices(line1)[129].y) = at(110, 110);
    auto* line2 = reinterpret_cast<SliceLine*>(g_sliceStore.Data()[3].bytes);
    line2->count = 2;
    std::tie(SliceLineVertices(line2)[1].x, SliceLineVertices(line2)[1].y) = at(-110, 110);
    g_sliceLineCount = 2;
    g_showSliceContours = -1;

    g_textFlagCount = 1;
    std::tie(g_textFlags[1].x, g_textFlags[1].y) = at(120, -120);

    ProjectAllData(0);

    struct Case {
        const char* what;
        Offsets got;
        Offsets want;
        int32_t marker, wantMarker;
    };
    const Case cases[] = {
        {"point", Of(g_points[point]), {10, 20}, g_points[point].multiUse, 6},
        {"IP 1", Of(g_ipPoints[1]), {-3, 4}, g_ipPoints[1].markerSize, 7},
        {"IP 2", Of(g_ipPoints[2]), {7, -8}, g_ipPoints[2].markerSize, 7},
        {"station", Of(s), {1, 1}, s.markerSize, 7},
        {"left stake", {s.leftScreenX, s.leftScreenY}, {-20, 1}, 7, 7},
        {"right stake", {s.rightScreenX, s.rightScreenY}, {22, 1}, 7, 7},
        {"other route 1",
         Of(g_otherRouteStations[1]),
         {40, 40},
         g_otherRouteStations[1].markerSize,
         7},
        {"separator",
         Of(g_otherRouteStations[2]),
         {12345, 0},
         g_otherRouteStations[2].markerSize,
         0},
        {"other route 3",
         Of(g_otherRouteStations[3]),
         {-40, 40},
         g_otherRouteStations[3].markerSize,
         7},
        {"other IP", Of(g_otherRouteIps[1]), {50, 50}, g_otherRouteIps[1].markerSize, 7},
        {"DXF", Of(e), {60, -60}, e.projectionWord, 6},
        {"mesh area",
         {g_meshAreaPolygon[2].screenColumn, g_meshAreaPolygon[2].screenRow},
         {70, 70},
         0,
         0},
        {"node", {node.screenColumn, node.screenRow}, {80, 80}, node.markerSize, 6},
        {"cell centre",
         {node.centreScreenColumn, node.centreScreenRow},
         {90, 90},
         node.centreMarkerSize,
         6},
        {"closing crossing",
         {g_outlineCrossings.Data()[3].screenColumn, g_outlineCrossings.Data()[3].screenRow},
         {100, 0},
         g_outlineCrossings.Data()[3].markerSize,
         6},
        {"past the closing crossing",
         {g_outlineCrossings.Data()[4].screenColumn, 0},
         {777, 0},
         0,
         0},
        {"plan crossing",
         {g_planCrossings.Data()[2].screenColumn, g_planCrossings.Data()[2].screenRow},
         {0, 100},
         g_planCrossings.Data()[2].markerSize,
         6},
        {"slice vertex 130", Of(SliceLineVertices(line1)[129]), {110, 110}, 0, 0},
        {"second slice line", Of(SliceLineVertices(line2)[1]), {-110, 110}, 0, 0},
        {"text flag", Of(g_textFlags[1]), {120, -120}, g_textFlags[1].markerSize, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got, c.want) << c.what;
        EXPECT_EQ(c.marker, c.wantMarker) << c.what;
    }
}

TEST_F(Projection, LayersThatAreNotThereAreLeftAlone) {
    g_viewScale = 1;
    const int32_t i = AddPoint(3, 4, 0);
    g_meshAreaDefined = 1;
    g_meshAreaPolygonCount = 1;
    g_meshAreaPolygon[1].x = 9;
    g_meshColumns = g_meshRows = 1;
    g_meshNodeCount = 1;
    ASSERT_EQ(GrowMeshNodeBlock(2), 0);
    g_meshNodes.Data()[1].x = 9;
    g_meshNodes.Data()[1].centreX = 9;
    g_outlineCrossingCount = 1;  // a single entry is no outline
    ASSERT_EQ(GrowOutlineCrossingBlock(3), 0);
    g_outlineCrossings.Data()[1].x = 9;
    g_sliceStoreBlocks = 2;
    ASSERT_EQ(g_sliceStore.Resize(2, 8192), 0);
    auto* line = reinterpret_cast<SliceLine*>(g_sliceStore.Data()[1].bytes);
    line->count = 1;
    SliceLineVertices(line)[0].x = 9;
    g_sliceLineCount = 1;

    g_pointsPresent = 0;
    ProjectAllData(0);
    EXPECT_EQ(g_points[i].screenY, 0);              // no points present
    EXPECT_EQ(g_meshAreaPolygon[1].screenRow, 9);   // the area is defined
    EXPECT_EQ(g_meshNodes.Data()[1].screenRow, 0);  // no node elevations yet
    EXPECT_EQ(g_outlineCrossings.Data()[1].screenRow, 0);
    EXPECT_EQ(SliceLineVertices(line)[0].screenY, 0);  // slice lines not shown

    g_pointsPresent = -1;
    g_meshElevationsDone = 1;
    g_showSliceContours = -1;
    ProjectAllData(0);
    EXPECT_EQ(g_points[i].screenY, 3);
    EXPECT_EQ(g_meshNodes.Data()[1].screenRow, 9);
    EXPECT_EQ(g_meshNodes.Data()[1].centreScreenRow, 0);  // no volume, no cell centres
    EXPECT_EQ(g_outlineCrossings.Data()[1].screenRow, 0);
    EXPECT_EQ(SliceLineVertices(line)[0].screenY, 9);
}

TEST_F(Projection, DamagedCountsNeverReachPastTheirBlocks) {
    g_viewScale = 1;
    ASSERT_EQ(GrowStationBlock(3), 0);
    g_stationCount = 1000;
    g_dxfElementCount = 5000;  // the element block holds 1000
    g_ipPointCount = 100000;
    g_textFlagCount = 100000;
    g_meshElevationsDone = 1;
    g_meshColumns = g_meshRows = 1000;
    ASSERT_EQ(GrowMeshNodeBlock(4), 0);
    g_sliceStoreBlocks = 2;
    ASSERT_EQ(g_sliceStore.Resize(2, 8192), 0);
    auto* line = reinterpret_cast<SliceLine*>(g_sliceStore.Data()[1].bytes);
    line->count = 100000;
    g_sliceLineCount = 3;
    g_showSliceContours = -1;
    ProjectAllData(0);  // the address sanitizer would object to any stray write
    SUCCEED();
}

TEST_F(Projection, PointsEndAtTheEndMarker) {
    const int32_t a = AddPoint(1, 1, 0);
    const int32_t b = AddPoint(2, 2, 0);
    g_points[b].invalid = 1;  // invalid and hidden points are projected too
    g_points[b].hidden = 1;
    g_points[3].screenX = 99;  // the end-marker record is never written
    ProjectAllData(0);
    EXPECT_EQ(g_points[a].screenX, 1);
    EXPECT_EQ(g_points[b].screenX, 2);
    EXPECT_EQ(g_points[b].hidden, 0);
    EXPECT_LT(g_points[3].hidden, 0);
    EXPECT_EQ(g_points[3].screenX, 99);
}

TEST_F(Projection, BirdsEyeRecordsGetDepthMarkers) {
    // Eye at the origin looking north: column from east, row from up, depth from north.
    g_birdsEyeOn = 1;
    const double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(g_birdsEyeMatrix, m, sizeof m);
    g_eyeX = g_eyeY = g_eyeZ = 0;
    g_nearPlane = 10;
    g_focalLength = 100;
    struct Case {
        double north, east, up;
        int8_t flag;
        int32_t marker;
        Offsets offsets;
    };
    const Case cases[] = {
        {35, 7, -3.5, 0, 10, {20, -10}},                            // 3.5 near-plane distances
        {350, 35, 35, 0, 1, {10, 10}},                              // 35 near-plane distances
        {100, 1, 0, 0, 3, {1, 0}},       {10, 1, 1, 1, 0, {0, 0}},  // on the near plane
        {-50, 1, 1, 1, 0, {0, 0}},                                  // behind the eye
        {11, 1e6, 0, 1, 10, {0, 0}},                                // beyond 2^23 pixels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.north);
        RandomPoint p{};
        p.x = c.north;
        p.y = c.east;
        p.z = c.up;
        p.multiUse = 55;
        ProjectRecord(p);
        EXPECT_EQ(p.hidden, c.flag);
        EXPECT_EQ(p.multiUse, c.marker);
        if (c.flag == 0) {
            EXPECT_EQ(Of(p), c.offsets);
        }
    }
}
