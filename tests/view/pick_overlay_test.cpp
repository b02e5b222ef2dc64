#include "view/pick_overlay.h"

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/simple_section.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_position_dialog.h"
#include "dxf/dxf_store.h"
#include "dxf/dxf_registration.h"
#include "pointedit/point_list.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view_fixture.h"
#include "volume/mesh_data.h"

namespace {
// Records what the overlay draws, one text per call.
class RecordingCanvas : public OverlayCanvas {
public:
    void SetPen(uint32_t colorRef) override { m_pen = colorRef; }
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override {
        calls.push_back(Format("ellipse", l, t, r, b));
    }
    void MoveTo(int32_t x, int32_t y) override {
        m_x = x;
        m_y = y;
    }
    void LineTo(int32_t x, int32_t y) override {
        calls.push_back(Format("line", m_x, m_y, x, y));
        m_x = x;
        m_y = y;
    }
    void Text(int32_t x, int32_t y, const std::string& text) override {
        calls.push_back(Format("text " + text, x, y, 0, 0));
    }

    std::vector<std::string> calls;

private:
    std::string Format(const std::string& what, int32_t a, int32_t b, int32_t c, int32_t d) {
        char pen[16];
        std::snprintf(pen, sizeof pen, "%06X", m_pen);
        return what + " " + pen + " " + std::to_string(a) + "," + std::to_string(b) + " " +
               std::to_string(c) + "," + std::to_string(d);
    }
    uint32_t m_pen = 0;
    int32_t m_x = 0, m_y = 0;
};

class PickOverlay : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        g_toolMode = MODE_NONE;
        g_pointEditState = 0;
        g_outlineEditState = 0;
        g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
        // Window positions (400 + Y, 300 - X) at one pixel per metre.
        AddPoint(10, 20, 0);    // (420, 290)
        AddPoint(-30, 40, 0);   // (440, 330)
        AddPoint(50, -60, 0);   // (340, 250)
        AddPoint(-70, -80, 0);  // (320, 370)
    }
    void TearDown() override {
        g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
        g_pointEditState = g_outlineEditState = 0;
        g_toolMode = MODE_NONE;
        ViewTest::TearDown();
    }

    std::vector<std::string> Draw() {
        ProjectAllData(0);
        RecordingCanvas canvas;
        DrawPickOverlay(canvas);
        return canvas.calls;
    }
};

using Calls = std::vector<std::string>;
}  // namespace

TEST_F(PickOverlay, PickedPointsAreCircledAndJoinedByTool) {
    g_pickedPoint = 1;
    g_pickedPoint2 = 2;
    g_pointEditState = POINT_EDIT_MODIFY;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0019FF 417,287 422,292", "ellipse 0019FF 437,327 442,332"}))
        << "modify: circled, not joined";

    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_TIN_EDGE;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0019FF 417,287 422,292", "ellipse 0019FF 437,327 442,332",
                             "line 0019FF 420,290 440,330"}))
        << "TIN edge swap: joined";

    g_outlineEditState = 0;
    g_pointEditState = POINT_EDIT_FOUR_POINT;
    g_pickedPoint3 = 3;
    g_pickedPoint4 = 4;
    const Calls four = Draw();
    ASSERT_EQ(four.size(), 6u);
    EXPECT_EQ(four[5], "line FFFFFF 340,250 320,370") << "points 3 and 4 joined in white";

    g_pointEditState = POINT_EDIT_VALID_INVALID;
    EXPECT_TRUE(Draw().empty());

    // A picked point off the screen gets no circle and no line.
    g_pointEditState = POINT_EDIT_BETWEEN;
    g_pickedPoint3 = g_pickedPoint4 = 0;
    g_points[1].x = 1e12;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0019FF 437,327 442,332"}));
}

TEST_F(PickOverlay, ListHighlightIsARedCircleOnAShownPoint) {
    g_listHighlightedPoint = 2;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0000FF 437,327 443,333"}));
    g_points[2].x = 1e12;
    EXPECT_TRUE(Draw().empty()) << "a point off the screen is not marked";
    g_listHighlightedPoint = 5;
    EXPECT_TRUE(Draw().empty()) << "no such point";
    g_listHighlightedPoint = 0;
}

TEST_F(PickOverlay, CurrentIpAndStation) {
    g_ipPointCount = 2;
    g_ipPoints[1] = IpPoint{};
    g_ipPoints[1].x = 5;
    g_ipPoints[1].y = 6;
    g_ipPoints[2] = IpPoint{};
    g_ipPoints[2].x = 0;  // the one being entered
    g_ipPoints[2].y = 9;
    g_currentIp = 2;
    EXPECT_TRUE(Draw().empty()) << "the last IP with a zero coordinate";
    g_currentIp = 1;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0019FF 402,291 409,298"}));
    g_currentIp = 0;

    ASSERT_EQ(GrowStationBlock(4), 0);
    g_stationCount = 1;
    g_stations[1] = StationRecord{};
    g_stations[1].x = 10;
    g_stations[1].y = 10;
    g_stations[1].leftX = 10;
    g_stations[1].leftY = 0;
    g_stations[1].rightX = 10;
    g_stations[1].rightY = 30;
    g_currentStation = 1;
    EXPECT_EQ(Draw(), (Calls{"line 0019FF 410,290 400,290", "line 0019FF 410,290 430,290"}));
    g_currentStation = 0;
    g_currentIp = 0;
}

// The calls drawn with one pen.
Calls WithPen(const Calls& calls, const std::string& pen) {
    Calls out;
    for (const std::string& c : calls)
        if (c.find(" " + pen + " ") != std::string::npos) out.push_back(c);
    return out;
}

TEST_F(PickOverlay, MeshRectangleWithItsHandles) {
    g_meshAreaDefined = 1;
    g_showMesh = -1;
    g_meshOriginX = 0;
    g_meshOriginY = 0;
    g_meshRotation = 0;  // length axis north, width axis east
    g_meshLength = 10;
    g_meshWidth = 20;
    const Calls rectangle{
        "line 0019FF 400,300 420,300", "line 0019FF 420,300 420,290", "line 0019FF 420,290 400,290",
        "line 0019FF 400,290 400,300", "line 0019FF 396,296 404,296", "line 0019FF 404,296 404,304",
        "line 0019FF 404,304 396,304", "line 0019FF 396,304 396,296"};
    Calls shown = rectangle;
    // Width corner, far corner, length corner, the far length side's and far width side's
    // midpoints.
    for (const char* circle : {"ellipse 0019FF 416,296 424,304", "ellipse 0019FF 416,286 424,294",
                               "ellipse 0019FF 396,286 404,294", "ellipse 0019FF 416,291 424,299",
                               "ellipse 0019FF 406,286 414,294"})
        shown.push_back(circle);
    EXPECT_EQ(Draw(), shown);
    g_toolMode = MODE_MESH_AREA_EDIT;  // the range's vertices take the handles
    EXPECT_EQ(Draw(), rectangle);
    g_birdsEyeOn = 1;
    EXPECT_TRUE(Draw().empty());
    g_birdsEyeOn = 0;
    g_meshAreaDefined = 0;
}

TEST_F(PickOverlay, MeshRangeGetsHandlesOnlyInItsEditTool) {
    g_meshAreaDefined = 1;
    g_showMesh = -1;
    g_meshAreaPolygonCount = 3;
    const double xy[4][2] = {{0, 0}, {0, 0}, {10, 0}, {10, 10}};
    for (int32_t i = 1; i <= 3; ++i) {
        g_meshAreaPolygon[i] = MeshAreaVertex{};
        g_meshAreaPolygon[i].x = xy[i][0];
        g_meshAreaPolygon[i].y = xy[i][1];
    }
    EXPECT_EQ(WithPen(Draw(), "00FFFF"), (Calls{"line 00FFFF 400,300 400,290", "line 00FFFF 400,290 410,290"}));
    g_toolMode = MODE_MESH_AREA_EDIT;
    const Calls edit = WithPen(Draw(), "00FFFF");
    ASSERT_EQ(edit.size(), 4u);
    EXPECT_EQ(edit[2], "ellipse 00FFFF 396,286 404,294");
    EXPECT_EQ(edit[3], "ellipse 00FFFF 406,286 414,294");
    g_showMesh = 0;
    EXPECT_TRUE(Draw().empty());
    g_meshAreaDefined = 0;
    g_meshAreaPolygonCount = 0;
}

// While the drawing's position dialog is open: the entry, and per registered pair its
// survey point and its shown DXF point joined (the line only when both are on screen).
TEST_F(PickOverlay, DxfRegistrationPairsWhileThePositionDialogIsOpen) {
    static int dialog = 0;
    g_dxfRegistration = DxfRegistration{};
    g_dxfRegistration.entryY = 20;
    g_dxfRegistration.entryX = 10;
    g_dxfRegistration.vertexFlags[0] = 1;
    g_dxfRegistration.publicPoint[0][0] = 40;  // (east, north) -> window (440, 330)
    g_dxfRegistration.publicPoint[0][1] = -30;
    g_dxfRegistration.shownPoint[0][0] = -60;  // -> (340, 250)
    g_dxfRegistration.shownPoint[0][1] = 50;
    g_dxfRegistration.vertexFlags[1] = 1;
    g_dxfRegistration.publicPoint[1][0] = 5000;  // off screen: circle of the shown point only
    g_dxfRegistration.shownPoint[1][0] = 0;
    g_dxfRegistration.vertexFlags[2] = 0;
    g_dxfRegistration.publicPoint[2][0] = 1;  // not registered: nothing
    EXPECT_EQ(Draw(), Calls{});
    SetDxfPositionPickReceiver([](void*) {}, &dialog);
    const Calls expected = {"ellipse 0000FF 417,287 422,292", "ellipse 0000FF 437,327 442,332",
                            "ellipse 0000FF 337,247 342,252", "line 0000FF 440,330 340,250",
                            "ellipse 0000FF 397,297 402,302"};
    EXPECT_EQ(Draw(), expected);
    OnDxfPositionClosed();
    g_dxfRegistration = DxfRegistration{};
}

TEST_F(PickOverlay, LineToolPicksInThePlan) {
    g_toolMode = MODE_SIMPLE_SECTION;
    g_towerStart = {10, 20, 0};   // (420, 290)
    g_towerEnd = {-30, 40, 0};    // (440, 330)
    g_linePickState = 1;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0000FF 416,286 423,293", "text S 0000FF 424,276 0,0"})) << "S alone";
    g_linePickState = 2;
    EXPECT_EQ(Draw(), (Calls{"ellipse 0000FF 416,286 423,293", "text S 0000FF 424,276 0,0",
                             "ellipse 0000FF 436,326 443,333", "line 0000FF 420,290 440,330",
                             "text E 0000FF 444,316 0,0"}));
    // An end off the window: no circle there, the line still reaches it.
    g_towerEnd = {-30, 4000, 0};
    const Calls off = Draw();
    ASSERT_EQ(off.size(), 4u);
    EXPECT_EQ(off[2].rfind("line 0000FF 420,290 ", 0), 0u) << off[2];
    g_linePickState = 0;
    EXPECT_TRUE(Draw().empty());
}

// The crossings a Shift+click marked are numbered from 1 where they lie strictly inside the
// view; a single crossing or a hidden drawing gets none.
TEST_F(PickOverlay, MarkedDxfCrossingsAreNumberedInsideTheView) {
    g_dxfElementCount = 2;  // the overlay asks only whether the drawing has elements
    g_showBackgroundDxf = -1;
    g_dxfMarkedPoints = {{10, 20, 0},     // (420, 290)
                         {0, 400, 0},     // column 800: on the clip edge, not inside
                         {-30, 40, 0},    // (440, 330)
                         {-300, 0, 0}};   // row 600: on the bottom edge
    EXPECT_EQ(Draw(), (Calls{"text 1 FFFF00 420,285 0,0", "text 3 FFFF00 440,325 0,0"}));
    g_dxfMarkedPoints.resize(1);
    EXPECT_TRUE(Draw().empty());
    g_dxfMarkedPoints = {{10, 20, 0}, {-30, 40, 0}};
    g_showBackgroundDxf = 0;
    EXPECT_TRUE(Draw().empty());
    g_showBackgroundDxf = -1;
    g_dxfElementCount = 0;
    EXPECT_TRUE(Draw().empty());
    g_dxfMarkedPoints.clear();
}
