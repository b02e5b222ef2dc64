#include "view/view_input.h"

#include <string>
#include <vector>

#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/point_list.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/cursor_state.h"
#include "view/projection.h"
#include "view/view_navigation.h"
#include "view/view_painter.h"
#include "view_fixture.h"
#include "volume/mesh_data.h"

namespace {
std::vector<std::string> Callees(int32_t mode, int32_t subState, int32_t flags = 0) {
    std::vector<std::string> names;
    for (const ToolClickRoute& r : FindToolClickRoutes(mode, subState, flags))
        names.push_back(r.callee);
    return names;
}

// A 3 x 3 grid of points 50 m apart at one pixel per metre (1 south-west .. 9 north-east).
class ViewInput : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                AddPoint(-50.0 + 50 * row, -50.0 + 50 * column, 10);
        ResetToolMode();
        g_toolSubState = 0;
        g_areaInfoState = 0;
        g_rubberLines.clear();
        ClearRecordedMessages();
    }
    void TearDown() override {
        SetHeadlessKeyDown(key::kAlt, false);
        CloseProgressWindow();
        ResetToolMode();
        g_rubberLines.clear();
        ViewTest::TearDown();
    }

    static int32_t X(int32_t i) { return g_viewportCenterX + static_cast<int32_t>(g_points[i].y); }
    static int32_t Y(int32_t i) { return g_viewportCenterY - static_cast<int32_t>(g_points[i].x); }

    // A click as the window delivers it: press, a move of `jiggle` pixels, release.
    static void Click(int32_t x, int32_t y, int32_t flags = 0, int32_t jiggle = 0) {
        OnViewLButtonDown(kMouseFlagLeft | flags, x, y, IsKeyDown(key::kAlt));
        if (jiggle) OnViewMouseMove(kMouseFlagLeft | flags, x + jiggle, y + jiggle);
        OnViewLButtonUp(flags, x + jiggle, y + jiggle, IsKeyDown(key::kAlt));
    }
    static void ClickPoint(int32_t i, int32_t flags = 0, int32_t jiggle = 0) {
        Click(X(i), Y(i), flags, jiggle);
    }
};
}  // namespace

// Which function a release reaches, mode by mode, as the dispatch table lists it.
TEST(ToolDispatch, ReleaseReachesTheToolOfTheModeAndSubState) {
    const std::string list = "g_pointListWnd";
    constexpr int32_t ctrl = kMouseFlagControl;
    struct Case {
        int32_t mode;
        int32_t subState;
        int32_t flags;
        std::vector<std::string> callees;
    };
    const Case cases[] = {
        {4, 1, 0, {"EnterOutlinePointAtCursor"}},
        {4, 2, 0, {"EditOutlineVertexAtCursor"}},
        {4, 33, ctrl, {"ExtendOutlineAtCursor"}},
        {4, 33, 0, {"PickOutlineChainAtCursor"}},
        {4, 34, 0, {"ReplaceOutlineAtCursor"}},
        {4, 5, 0, {"SwapTinDiagonal"}},
        {4, 53, 0, {"PickTinPolygonAtCursor"}},
        {4, 54, 0, {"PickTinPolygonAtCursor"}},
        {4, 55, 0, {"PickTinPolygonAtCursor"}},
        {4, 7, 0, {"OnFlowMouse"}},
        {4, 6, 0, {"ToggleEdgeMarksAtCursor"}},
        {2, 0, 0, {"OnClickModifyPoint"}},
        {2, 1, 0, {"OnClickAddPoint"}},
        {2, 2, 0, {"OnClickTwoPointMode"}},
        {2, 3, 0, {"OnClickOffsetMode"}},
        {2, 4, 0, {"OnClickFourPointIntersection"}},
        {2, 5, 0, {"OnClickToggleValid"}},
        {2, 6, 0, {"PickTraceOutputBasePoints"}},
        {2, 7, 0, {"PickPolylinePoint"}},
        {2, 8, 0, {}},
        {2, 9, 0, {"PickSelectionPolygonPoint"}},
        {2, 10, 0, {"TrackBatchEditLasso"}},
        {2, 11, 0, {}},
        {0x800, 0, 0, {"CRasterTraceDlg::OnViewClick"}},
        {0x803, 0, 0, {"CRasterTraceDlg::OnViewClick"}},
        {0x80, 0, 0, {"g_bgImagePositionDlg"}},
        {0x100, 0, 0, {"g_bgImagePositionDlg"}},
        {0x200, 0, 0, {"g_dxfPositionDlgWnd"}},
        {0x400, 0, 0, {"g_dxfPositionDlgWnd"}},
        {0x40000, 0, 0, {"CTextFlagDlg::OnViewMouse"}},
        {0, 0, 0, {list}},
        {8, 4, 0, {list, "OnClickSliceLineInfo"}},
        {8, 2, 0, {list, "OnDragSliceLinesValid"}},
        {0x10, 1, 0, {list, "EnterRoutePointAtCursor"}},
        {0x10, 2, 0, {list, "EditIpAtCursor"}},
        {0x10, 3, 0, {list, "DeleteIpAtCursor"}},
        {0x10, 4, 0, {list, "InsertIpAtCursor"}},
        {0x40, 0, 0, {list, "EnterRoutePointAtCursor"}},
        {0x20, 0, 0, {list, "OnSimpleSectionPick"}},
        {0x100000, 0, 0, {list, "CTowerIP"}},
        {0x8000, 0, 0, {list, "RegisterStakeAtPoint"}},
        {0x10000, 0, 0, {list, "RegisterStakeAtPoint"}},
        {0x20000, 0, 0, {list, "RegisterStakeAtPoint"}},
        {0x7F8F8, 0, 0, {list, "PickOrDeleteStation"}},
        {0x7FF, 513, 0, {list, "DefineMeshAreaFromDrag"}},
        {0x1000, 16, 0, {list, "CMeshAreaDlg"}},
        {0x4000, 0, 0, {list, "CMeshElevationEditDlg"}},
        {0x2000, 0, 0, {list}},
        {0xFF1F0, 0, 0, {list}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Callees(c.mode, c.subState, c.flags), c.callees)
            << "mode " << c.mode << " sub-state " << c.subState << " flags " << c.flags;

    // The outline tools are here; their rows run them.
    for (int32_t sub : {1, 2, 33, 34})
        for (const ToolClickRoute& r : FindToolClickRoutes(MODE_OUTLINE_EDIT, sub, 0))
            EXPECT_NE(r.run, nullptr) << r.callee;
    EXPECT_NE(FindToolClickRoutes(MODE_OUTLINE_EDIT, 33, ctrl)[0].run, nullptr);
}

TEST(ToolDispatch, SubStateWordOfEachMode) {
    g_outlineEditState = 33;
    g_pointEditState = 5;
    g_areaInfoState = 2;
    g_toolSubState = 513;
    EXPECT_EQ(ToolSubState(MODE_OUTLINE_EDIT), 33);
    EXPECT_EQ(ToolSubState(MODE_POINT_EDIT), 5);
    EXPECT_EQ(ToolSubState(MODE_AREA_INFO), 2);
    EXPECT_EQ(ToolSubState(MODE_IP_POINT), 513);
    EXPECT_EQ(ToolSubState(MODE_MESH_AREA_REGISTER), 513);
    EXPECT_EQ(ToolSubState(MODE_SIMPLE_SECTION), 0);
    ResetToolMode();
    g_toolSubState = g_areaInfoState = 0;
}

TEST_F(ViewInput, IgnoreRules) {
    const ToolClickRoute terrain = FindToolClickRoutes(MODE_OUTLINE_EDIT, 1, 0)[0];
    const ToolClickRoute extend = FindToolClickRoutes(MODE_OUTLINE_EDIT, 33, kMouseFlagControl)[0];
    const ToolClickRoute other = FindToolClickRoutes(MODE_IP_POINT, 1, 0)[1];
    struct Case {
        const char* what;
        const ToolClickRoute& route;
        int32_t flags;
        bool alt;
        bool busy;
        bool ignored;
    };
    const Case cases[] = {
        {"terrain plain", terrain, 0, false, false, false},
        {"terrain Shift", terrain, kMouseFlagShift, false, false, true},
        {"terrain Ctrl", terrain, kMouseFlagControl, false, false, true},
        {"terrain Alt", terrain, 0, true, false, true},
        {"terrain busy", terrain, 0, false, true, true},
        {"insertion Ctrl", extend, kMouseFlagControl, false, false, false},
        {"insertion busy", extend, kMouseFlagControl, false, true, true},
        {"route tool Shift", other, kMouseFlagShift, false, false, false},
        {"route tool Alt", other, 0, true, false, true},
        {"route tool busy", other, 0, false, true, true},
    };
    for (const Case& c : cases) {
        SetHeadlessKeyDown(key::kAlt, c.alt);
        if (c.busy) {
            ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
        }
        EXPECT_EQ(ToolClickIgnored(c.route, c.flags), c.ignored) << c.what;
        CloseProgressWindow();
    }
}

TEST_F(ViewInput, ClicksEnterTheOutlineThroughTheMouseHandlers) {
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    ClickPoint(1);
    ClickPoint(3, 0, 1);  // a click that moved a pixel is still a click
    ClickPoint(9, 0, 4);
    EXPECT_EQ(g_outline.Count(), 3);
    EXPECT_EQ(g_dragState, 0);

    // Alt, Ctrl and Shift clicks and clicks while busy reach no tool.
    SetHeadlessKeyDown(key::kAlt, true);
    ClickPoint(7);
    SetHeadlessKeyDown(key::kAlt, false);
    ClickPoint(7, kMouseFlagControl);
    ClickPoint(7, kMouseFlagShift);
    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    ClickPoint(7);
    CloseProgressWindow();
    EXPECT_EQ(g_outline.Count(), 3);

    ClickPoint(7);
    ClickPoint(1);
    EXPECT_TRUE(g_outline.IsClosed());
    const int32_t want[] = {4, 1, 3, 9, 7, 1};
    for (int32_t k = 0; k < 6; ++k) EXPECT_EQ(g_outline[k], want[k]) << k;

    // In the partial change, Ctrl-clicks insert vertices.
    g_outlineEditState = OUTLINE_EDIT_PARTIAL_CHANGE;
    ClickPoint(3, kMouseFlagControl);
    ClickPoint(6, kMouseFlagControl);
    EXPECT_EQ(g_outline.Count(), 5);
    EXPECT_EQ(g_outline[3], 6);

    // The Delete key takes back; a right double-click ends the tool.
    ClickPoint(3);
    EXPECT_EQ(g_pickList2.Count(), 1);
    OnViewKeyDown(vkey::kDelete);
    EXPECT_EQ(g_pickList2.Count(), 0);
    OnViewRButtonDoubleClick();
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_outlineEditState, 0);
}

TEST_F(ViewInput, ToolPressArmsTheRectangleAndAShortOneIsAClick) {
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    OnViewLButtonDown(kMouseFlagLeft, X(5), Y(5), false);
    EXPECT_EQ(g_dragState, kDragToolArmed);
    OnViewMouseMove(kMouseFlagLeft, X(5) + 6, Y(5) + 3);
    EXPECT_EQ(g_dragState, kDragToolBox);
    const int32_t rect[] = {X(5), Y(5), X(5) + 6, Y(5) + 3};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g_rubberBandRect[k], rect[k]);
    OnViewLButtonUp(0, X(5) + 6, Y(5) + 3, false);
    EXPECT_EQ(g_dragState, 0);
    EXPECT_EQ(g_outline.Count(), 1);

    // A tool rectangle left behind by a release outside the window goes at the next move.
    g_dragState = kDragToolBox;
    OnViewMouseMove(0, 10, 10);
    EXPECT_EQ(g_dragState, 0);

    // The zoom box keeps its own state through all this.
    ResetToolMode();
    g_dragState = kDragZoomArmed;
    Click(100, 100);
    EXPECT_EQ(g_dragState, kDragZoomArmed);
}

TEST_F(ViewInput, LinesThatFollowTheMouse) {
    // Without a tool a plain drag draws the free rubber line.
    OnViewLButtonDown(kMouseFlagLeft, 100, 100, false);
    OnViewMouseMove(kMouseFlagLeft, 140, 120);
    EXPECT_EQ(g_dragState, kDragRubberLine);
    EXPECT_EQ(g_rubberBandRect[2], 140);
    OnViewLButtonUp(0, 140, 120, false);
    EXPECT_EQ(g_dragState, 0);

    // The point modification draws a red line from the press while the button is down.
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_MODIFY;
    OnViewLButtonDown(kMouseFlagLeft, X(5), Y(5), false);
    EXPECT_EQ(g_pickedPoint, 5);
    OnViewMouseMove(kMouseFlagLeft, X(5) + 30, Y(5));
    ASSERT_EQ(g_rubberLines.size(), 1u);
    EXPECT_FALSE(g_rubberLines[0].inverted);
    EXPECT_EQ(g_rubberLines[0].x0, X(5));
    EXPECT_EQ(g_rubberLines[0].x1, X(5) + 30);
    OnViewLButtonUp(0, X(5) + 30, Y(5), false);
    EXPECT_TRUE(g_rubberLines.empty());

    // The IP entry shows the line from the last IP with its length while the mouse moves.
    ResetToolMode();
    g_toolMode = MODE_IP_POINT;
    g_toolSubState = IP_POINT_INPUT;
    g_ipPointCount = 1;
    g_ipPoints[1] = IpPoint{};
    ProjectAllData(0);
    OnViewMouseMove(0, g_viewportCenterX + 30, g_viewportCenterY - 40);
    ASSERT_EQ(g_rubberLines.size(), 1u);
    EXPECT_EQ(g_rubberLines[0].x0, g_viewportCenterX);
    EXPECT_EQ(g_rubberLines[0].y0, g_viewportCenterY);
    EXPECT_EQ(g_rubberLines[0].label, "L:    50.000  ");
    g_toolMode = MODE_NONE;
    OnViewMouseMove(0, 10, 10);
    EXPECT_TRUE(g_rubberLines.empty());
    g_ipPointCount = 0;
}

TEST_F(ViewInput, MeshAreaToolsPressAndDrag) {
    // The registration waits for a drag in the plan and is refused in the bird's-eye view.
    g_toolMode = MODE_MESH_AREA_REGISTER;
    g_toolSubState = 256;
    OnViewLButtonDown(kMouseFlagLeft | kMouseFlagShift, X(5) + 5, Y(5), false);
    EXPECT_EQ(g_toolSubState, 513);
    EXPECT_EQ(g_pickedPoint, 5);
    EXPECT_EQ(g_viewMouse.anchorX, X(5)) << "the drag starts at the picked point";
    EXPECT_EQ(g_dragState, 0);
    OnViewMouseMove(kMouseFlagLeft, X(5) + 40, Y(5));
    EXPECT_EQ(g_rubberLines.size(), 4u);
    EXPECT_EQ(g_toolSubState, 512);
    // The release registers the area from the picked point along the drag and ends the mode.
    OnViewLButtonUp(0, X(5) + 40, Y(5), false);
    EXPECT_EQ(g_meshAreaDefined, 1);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_meshOriginX, g_points[5].x);
    EXPECT_EQ(g_meshOriginY, g_points[5].y);
    EXPECT_NEAR(g_meshRotation, 0, 1e-9) << "the width axis points east along the drag";

    g_toolMode = MODE_MESH_AREA_REGISTER;
    g_toolSubState = 256;
    g_birdsEyeOn = 1;
    OnViewLButtonDown(kMouseFlagLeft, 10, 10, false);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "立体表示中は設定できません");
    g_birdsEyeOn = 0;
}

TEST_F(ViewInput, BusyKeepsDataChangingInputAway) {
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = OUTLINE_EDIT_SPECIFY;
    ClickPoint(1);
    ClickPoint(3);
    g_pickedPoint = 3;
    ASSERT_TRUE(OpenProgressWindow(progress::kTinEdges));
    OnViewKeyDown(vkey::kDelete);
    OnViewRButtonUp();
    OnViewRButtonDoubleClick();
    EXPECT_EQ(g_outline.Count(), 2);
    EXPECT_EQ(g_pickedPoint, 3);
    EXPECT_EQ(g_toolMode, MODE_OUTLINE_EDIT);
    const double centreY = g_viewCenterY;
    OnViewKeyDown(vkey::kRight);
    EXPECT_NE(g_viewCenterY, centreY) << "the arrows still move the view";
    CloseProgressWindow();
    OnViewKeyDown(vkey::kDelete);
    EXPECT_EQ(g_outline.Count(), 1);
}

// While the point list is open a release on a point (within 20 pixels) makes its row
// current; the point tools keep their clicks.
TEST_F(ViewInput, ReleaseOnAPointReachesTheOpenList) {
    std::vector<int32_t> received;
    Click(X(5) + 5, Y(5) + 5);
    SetPointListReceiver([&received](int32_t p) { received.push_back(p); });
    Click(X(5) + 12, Y(5) + 15);  // 369 squared pixels
    Click(X(5) + 12, Y(5) + 16);  // 400: outside
    Click(X(9) - 3, Y(9));
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_MODIFY;
    Click(X(1), Y(1));
    ResetToolMode();
    ClearPicks();
    SetPointListReceiver(nullptr);
    EXPECT_EQ(received, (std::vector<int32_t>{5, 9}));
}

TEST_F(ViewInput, CursorByStateAndMode) {
    struct Case {
        int32_t mode;
        int32_t pointState;
        int32_t outlineState;
        int32_t drag;
        bool leftDown;
        int32_t cursor;
    };
    const Case cases[] = {
        {0, 0, 0, 0, false, kCursorArrow}, {0, 0, 0, 16, false, 142},
        {0, 0, 0, 17, true, 142},          {0, 0, 0, 128, true, 140},
        {0, 0, 0, 128, false, 1029},       {2, 0, 0, 0, false, 173},
        {2, 4, 0, 0, false, 169},          {2, 7, 0, 0, false, kCursorArrow},
        {2, 10, 0, 0, false, 291},         {4, 0, 1, 0, false, 174},
        {4, 0, 34, 0, false, 177},         {4, 0, 55, 0, false, 188},
        {0x100, 0, 0, 0, false, 1024},     {0x801, 0, 0, 0, false, 1028},
        {0x20000, 0, 0, 0, false, 1032},   {0x40, 0, 0, 0, false, kCursorArrow},
    };
    for (const Case& c : cases) {
        g_toolMode = c.mode;
        g_pointEditState = c.pointState;
        g_outlineEditState = c.outlineState;
        g_dragState = c.drag;
        EXPECT_EQ(ViewCursorResource(c.leftDown), c.cursor)
            << c.mode << " " << c.pointState << " " << c.outlineState << " " << c.drag;
    }
    g_viewPainting = -1;
    EXPECT_EQ(ViewCursorResource(false), kCursorWait);
    g_viewPainting = 0;
}
