#include "view/view_navigation.h"

#include <cmath>

#include "painter_fixture.h"
#include "shell/tool_mode.h"
#include "view/color_band_params.h"
#include "view/view_picking.h"
#include "view/view_history.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
class Navigation : public PainterTest {
protected:
    void SetUp() override {
        PainterTest::SetUp();
        g_dragState = 0;
        g_toolMode = MODE_NONE;
        SetViewRepaintHandler([this] {
            ++m_repaints;
            Paint();
            g_redrawMask = 0;
        });
    }
    void TearDown() override {
        SetViewRepaintHandler(nullptr);
        g_dragState = 0;
        PainterTest::TearDown();
    }

    // The state a data load leaves: the ring empty, the overall view painted once.
    void Load() {
        ResetViewHistory();
        ComputeDataExtents(0);
        FullRepaintView();
    }

    struct View {
        double x, y, scale;
    };
    static View Current() { return {g_viewCenterX, g_viewCenterY, g_viewScale}; }
    static void ExpectView(View want, double tolerance = 1e-9) {
        EXPECT_NEAR(g_viewCenterX, want.x, tolerance);
        EXPECT_NEAR(g_viewCenterY, want.y, tolerance);
        EXPECT_NEAR(g_viewScale, want.scale, tolerance * want.scale);
    }

    int m_repaints = 0;
};
}  // namespace

TEST_F(Navigation, ZoomStepsAndTheModeCommands) {
    AddPoint(0, 0, 0);
    g_viewScale = 2;
    OnZoomIn();
    EXPECT_DOUBLE_EQ(g_viewScale, 2 * 1.2);
    OnZoomOut();
    EXPECT_DOUBLE_EQ(g_viewScale, 2 * 1.2 * 0.8333333333333334);
    EXPECT_EQ(m_repaints, 2);

    OnZoomRectMode();
    EXPECT_EQ(g_dragState, 16);
    EXPECT_TRUE(ZoomRectModeChecked());
    OnZoomRectMode();
    EXPECT_EQ(g_dragState, 0);
    OnPanMode();
    EXPECT_TRUE(PanModeChecked());
    OnZoomRectMode();
    EXPECT_EQ(g_dragState, 16) << "zoom-box mode replaces pan mode";
    OnPanMode();
    OnPanMode();
    EXPECT_EQ(g_dragState, 0);
}

TEST_F(Navigation, WheelForwardAndBackKeepsTheGroundPointUnderTheCursor) {
    AddPoint(0, 0, 0);
    g_viewCenterX = 1234.5;
    g_viewCenterY = -987.25;
    g_viewScale = 3.7;
    const View start = Current();
    struct Cursor {
        int32_t column, row;
    };
    for (const Cursor c : {Cursor{30, 20}, Cursor{199, 149}, Cursor{100, 75}, Cursor{0, 150}}) {
        SCOPED_TRACE(c.column);
        double x0, y0, x1, y1;
        ClientToGround(c.column, c.row, x0, y0);
        ZoomWheel(120, c.column, c.row, false);
        EXPECT_DOUBLE_EQ(g_viewScale, start.scale * 1.2);
        ClientToGround(c.column, c.row, x1, y1);
        EXPECT_NEAR(x1, x0, 1e-9);
        EXPECT_NEAR(y1, y0, 1e-9);
        ZoomWheel(-120, c.column, c.row, false);
        ClientToGround(c.column, c.row, x1, y1);
        EXPECT_NEAR(x1, x0, 1e-9);
        EXPECT_NEAR(y1, y0, 1e-9);
        ExpectView(start);
    }
}

TEST_F(Navigation, ZoomBoxAndClickZoom) {
    AddPoint(0, 0, 0);
    g_viewScale = 2;
    const View start = Current();
    ZoomToBox(10, 10, 13, 13, g_bufferMaxX, g_bufferMaxY);
    ExpectView(start);

    // About half the window's width (100 of 201 pixels) about doubles the scale.
    ZoomToBox(50, 20, 149, 20, g_bufferMaxX, g_bufferMaxY);
    EXPECT_NEAR(g_viewScale, 2 * 201 / 100.0, 1e-12);
    EXPECT_NEAR(g_viewCenterY, (99 - 100) / 2.0, 1e-12);
    EXPECT_NEAR(g_viewCenterX, (75 - 20) / 2.0, 1e-12);

    const View before = Current();
    ZoomAtClick(kMouseFlagControl, 20, 20);
    ExpectView(before);
    ZoomAtClick(0, g_viewportCenterX + 10, g_viewportCenterY - 5);
    EXPECT_NEAR(g_viewScale, before.scale * 1.2, 1e-12);
    EXPECT_NEAR(g_viewCenterY, before.y + 10 / before.scale, 1e-12);
    EXPECT_NEAR(g_viewCenterX, before.x + 5 / before.scale, 1e-12);
}

TEST_F(Navigation, ZoomBoxGestureStaysArmed) {
    AddPoint(0, 0, 0);
    OnZoomRectMode();
    const View start = Current();
    // A drag of 3 x 3 pixels is no box and zooms in at the click instead.
    OnViewLButtonDown(kMouseFlagLeft, 60, 40, false);
    OnViewMouseMove(kMouseFlagLeft, 63, 43);
    EXPECT_EQ(g_dragState, kDragZoomBox);
    OnViewLButtonUp(0, 63, 43, false);
    EXPECT_EQ(g_dragState, kDragZoomArmed);
    ExpectView(start);

    OnViewLButtonDown(kMouseFlagLeft, 50, 20, false);
    OnViewMouseMove(kMouseFlagLeft, 100, 50);
    OnViewMouseMove(kMouseFlagLeft, 149, 119);
    OnViewLButtonUp(0, 149, 119, false);
    EXPECT_EQ(g_dragState, kDragZoomArmed);
    EXPECT_NEAR(g_viewScale, 151 / 100.0, 1e-12) << "the taller side decides";

    // A click without a drag zooms in x 1.2 at the point.
    const double scale = g_viewScale;
    OnViewLButtonDown(kMouseFlagLeft, 80, 80, false);
    OnViewLButtonUp(0, 80, 80, false);
    EXPECT_NEAR(g_viewScale, scale * 1.2, 1e-12);
    EXPECT_EQ(g_dragState, kDragZoomArmed);
}

TEST_F(Navigation, PanDragMovesTheGroundWithTheMouse) {
    AddPoint(0, 0, 0);
    g_viewScale = 4;
    OnPanMode();
    double x0, y0, x1, y1;
    ClientToGround(50, 60, x0, y0);
    OnViewLButtonDown(kMouseFlagLeft, 50, 60, false);
    OnViewMouseMove(kMouseFlagLeft, 70, 40);
    OnViewMouseMove(kMouseFlagLeft, 90, 30);
    ClientToGround(90, 30, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-12);
    EXPECT_NEAR(y1, y0, 1e-12);
    OnViewLButtonUp(0, 90, 30, false);
    EXPECT_EQ(g_dragState, kDragPan);

    // The right button pans in any mode.
    g_dragState = 0;
    ClientToGround(90, 30, x0, y0);
    OnViewMouseMove(kMouseFlagRight, 80, 35);
    ClientToGround(80, 35, x1, y1);
    EXPECT_NEAR(x1, x0, 1e-12);
    EXPECT_NEAR(y1, y0, 1e-12);
}

TEST_F(Navigation, PreviousScreenAfterALoad) {
    AddPoint(0, 0, 0);
    AddPoint(100, 100, 0);
    Load();
    EXPECT_FALSE(PreviousScreenEnabled()) << "right after a load";
    const View first = Current();
    OnPreviousScreen();
    ExpectView(first);

    OnZoomOut();  // zooming out alone is a change
    const View second = Current();
    ASSERT_TRUE(PreviousScreenEnabled());
    OnPreviousScreen();
    ExpectView(first, 1e-6);
    EXPECT_FALSE(PreviousScreenEnabled()) << "returns once, then stops";
    OnPreviousScreen();
    ExpectView(first, 1e-6);
    EXPECT_NE(second.scale, g_viewScale);

    // Repaints of an unchanged view record nothing.
    Load();
    for (int k = 0; k < 5; ++k) FullRepaintView();
    EXPECT_FALSE(PreviousScreenEnabled());
}

TEST_F(Navigation, PreviousScreenRingWrapsAfter300Views) {
    AddPoint(0, 0, 0);
    Load();
    // 400 views after the first (entry 1): the ring keeps the newest 300, one of them the
    // tail.
    for (int k = 1; k <= 400; ++k) {
        g_viewCenterY = k;
        FullRepaintView();
    }
    EXPECT_EQ(g_viewHistoryHead, 401 % kViewHistorySize);
    EXPECT_EQ(g_viewHistoryTail, (g_viewHistoryHead + 1) % kViewHistorySize);
    int restores = 0;
    while (PreviousScreenEnabled()) {
        OnPreviousScreen();
        ++restores;
        EXPECT_DOUBLE_EQ(g_viewCenterY, 400 - restores);
        ASSERT_LT(restores, 400);
    }
    EXPECT_EQ(restores, kViewHistorySize - 2);
    EXPECT_DOUBLE_EQ(g_viewCenterY, 102);
}

TEST_F(Navigation, ShowAllKeepsTheColourBands) {
    AddPoint(0, 0, 5);
    AddPoint(50, 20, 15);
    g_colorBandParams.centre = 123;
    g_colorBandParams.lowest = -7;
    g_birdsEyeOn = 1;
    g_birdsEyeTilt = 0.5;
    OnShowAll();
    EXPECT_EQ(g_colorBandParams.centre, 123);
    EXPECT_EQ(g_colorBandParams.lowest, -7);
    EXPECT_EQ(g_birdsEyeOn, 0);
    EXPECT_DOUBLE_EQ(g_birdsEyeTilt, -0.2);
    EXPECT_DOUBLE_EQ(g_viewCenterX, 25);
    EXPECT_DOUBLE_EQ(g_viewCenterY, 10);
    EXPECT_DOUBLE_EQ(g_viewScale, 150 / (1.2 * 50));
    EXPECT_TRUE(ShowAllEnabled());
}

TEST_F(Navigation, DoubleClickBringsThePickedPointUnderTheCursor) {
    const int32_t i = AddPoint(30, -20, 0);
    g_viewScale = 2;
    EXPECT_FALSE(CentreOnPickedPoint(40, 50)) << "no picked point";
    g_pickedPoint = i;
    g_outlineEditState = 1;
    EXPECT_FALSE(CentreOnPickedPoint(40, 50)) << "an outline tool is busy";
    g_outlineEditState = 0;
    ASSERT_TRUE(CentreOnPickedPoint(40, 50));
    EXPECT_EQ(FindPointAtCursor(40, 50, 2), i);
}

TEST_F(Navigation, FindPointAtCursorTakesTheLowerNumberAndNotTheRadius) {
    // Points 2 and 3 lie 10 pixels from the cursor (100, 75), point 1 exactly 20 away.
    const int32_t p1 = AddPoint(0, 20, 0);
    const int32_t p2 = AddPoint(0, -10, 0);
    const int32_t p3 = AddPoint(10, 0, 0);
    g_projectionValid = 0;
    EXPECT_EQ(FindPointAtCursor(100, 75, 101), p2);
    EXPECT_EQ(FindPointAtCursor(100, 75, 100), 0) << "exactly at the radius";
    EXPECT_EQ(FindPointAtCursor(120, 75, 1), p1);
    EXPECT_EQ(FindPointAtCursor(100, 65, 1), p3);
    // Border columns are never picked.
    AddPoint(0, -100, 0);  // column 0
    g_projectionValid = 0;
    EXPECT_EQ(FindPointAtCursor(0, 75, 50), 0);
}

TEST_F(Navigation, FindTinEdgeNearCursorNeverGivesTheOutline) {
    // Two squares side by side: outline sides 1..6, inner sides 7..9 with triangles on
    // both sides.
    AddPoint(-20, -40, 0);  // 1
    AddPoint(-20, 0, 0);    // 2
    AddPoint(-20, 40, 0);   // 3
    AddPoint(20, 40, 0);    // 4
    AddPoint(20, 0, 0);     // 5
    AddPoint(20, -40, 0);   // 6
    SetTin({{1, 2, kNoApex, 5, 0},
            {2, 3, kNoApex, 4, 0},
            {3, 4, kNoApex, 2, 0},
            {4, 5, kNoApex, 2, 0},
            {5, 6, kNoApex, 1, 0},
            {6, 1, kNoApex, 5, 0},
            {2, 5, 4, 1, 0},
            {1, 5, 2, 6, 0},
            {2, 4, 3, 5, 0}});
    ProjectAllData(0);
    auto client = [](double x, double y) {
        return std::pair<int32_t, int32_t>{g_viewportCenterX + static_cast<int32_t>(y),
                                           g_viewportCenterY - static_cast<int32_t>(x)};
    };
    struct Case {
        double x, y;
        int32_t want;
    };
    const Case cases[] = {
        {0, 1, 7},      // on the middle edge 2-5
        {10, 20, 9},    // the diagonal 2-4
        {-20, -20, 0},  // on the outline side 1-2
        {21, 30, 0},    // just beyond the outline side 4-5
        {0, 40, 0},     // on the outline side 3-4
    };
    for (const Case& c : cases) {
        const auto [column, row] = client(c.x, c.y);
        EXPECT_EQ(FindTinEdgeNearCursor(column, row), c.want) << c.x << ", " << c.y;
        EXPECT_EQ(FindTinEdgeNearWorld(column, row), c.want) << c.x << ", " << c.y;
    }
    // A hole edge is never found.
    g_tinEdges[7] = {-2, -5, -4, -1, 0};
    const auto [column, row] = client(0, 1);
    EXPECT_NE(FindTinEdgeNearCursor(column, row), 7);
}

TEST_F(Navigation, TriangleIdMapHoldsTheRecordOfEachTriangle) {
    MakeSquareTin(-20, -20);
    ComputeDataExtents(0);
    std::vector<int32_t> map(kTriangleIdMapSide * kTriangleIdMapSide, -1);
    const int32_t maxX = g_bufferMaxX, centreY = g_viewportCenterY;
    BuildTriangleIdMap(map.data());
    EXPECT_EQ(g_bufferMaxX, maxX) << "clip state put back";
    EXPECT_EQ(g_viewportCenterY, centreY);
    EXPECT_EQ(g_projectionValid, 0) << "positions stay in fit form";

    // Fit scale 1023 / (1.2 x 40) x 0.95 around the centre (0, 0): the centre of triangle
    // 1-2-3 (search side of records 1 and 2) and of 1-3-4 (records 3, 4 and 5).
    const double k = 1023 / g_extentSize * 0.95;
    auto at = [&](double x, double y) {
        const int32_t c = 511 + static_cast<int32_t>(std::lround(y * k));
        const int32_t r = 511 + static_cast<int32_t>(std::lround(x * k));
        return map[r * kTriangleIdMapSide + c];
    };
    const int32_t lower = at(-20 + 40 / 3.0, -20 + 80 / 3.0);
    const int32_t upper = at(-20 + 80 / 3.0, -20 + 40 / 3.0);
    EXPECT_TRUE(lower == 1 || lower == 2) << lower;
    EXPECT_TRUE(upper >= 3 && upper <= 5) << upper;
    EXPECT_EQ(at(-22, 0), 0) << "beside the square";
    EXPECT_EQ(map[0], 0);

    // The lookup answers with the first record of the triangle, inside the map only.
    EXPECT_EQ(FindTriangleAtPoint(map.data(), -20 + 40 / 3.0, -20 + 80 / 3.0), -1);
    EXPECT_EQ(FindTriangleAtPoint(map.data(), -20 + 80 / 3.0, -20 + 40 / 3.0), -3);
    EXPECT_EQ(FindTriangleAtPoint(map.data(), 0, 40), 0) << "beyond the map's inner area";
}

TEST_F(Navigation, RightButtonClearsPicksAndDoubleClickEndsTheTool) {
    AddPoint(0, 0, 0);
    AddPoint(10, 10, 0);
    g_pickedPoint = 1;
    g_pickedPoint2 = 2;
    OnViewRButtonUp();
    EXPECT_EQ(g_pickedPoint, 0);
    EXPECT_EQ(g_pickedPoint2, 0);

    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = 33;
    g_pickList2.Append(1);
    g_points[1].flags = kPointFlagPickList2;
    OnViewRButtonDoubleClick();
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_EQ(g_outlineEditState, 0);
    EXPECT_EQ(g_pickList2.Count(), 0);
    EXPECT_EQ(g_points[1].flags, 0);
}

// Every later step divides by the scale: no way of setting it leaves 0, a negative or
// an infinite scale, and the centre stays finite.
TEST_F(Navigation, ScaleNeverBecomesZeroOrInfinite) {
    AddPoint(0, 0, 0);
    AddPoint(100, 50, 3);
    Load();
    SetViewRepaintHandler([] {});
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    const Case kCases[] = {
        {"zoom out without end", [] { for (int i = 0; i < 5000; ++i) OnZoomOut(); }},
        {"zoom in without end", [] { for (int i = 0; i < 5000; ++i) OnZoomIn(); }},
        {"wheel back without end", [] { for (int i = 0; i < 5000; ++i) ZoomWheel(-120, 10, 20, false); }},
        {"wheel forward without end", [] { for (int i = 0; i < 5000; ++i) ZoomWheel(120, 600, 20, false); }},
        {"box zoom without end", [] { for (int i = 0; i < 500; ++i) ZoomToBox(100, 100, 104, 104, 100000, 100000); }},
        {"click zoom without end", [] { for (int i = 0; i < 5000; ++i) ZoomAtClick(0, 300, 200); }},
        {"previous screen holding no scale",
         [] {
             g_viewHistory[1] = g_viewHistory[0];
             g_viewHistory[1].scale = 0;
             g_viewHistoryHead = g_viewHistoryBack = 1;
             g_viewHistoryTail = 0;
             PopViewHistory();
         }},
        {"show all before the window has a size",
         [] {
             const int32_t x = g_bufferMaxX, y = g_bufferMaxY;
             g_bufferMaxX = g_bufferMaxY = 0;
             ShowAllKeepSettings();
             g_bufferMaxX = x;
             g_bufferMaxY = y;
         }},
        {"values that are no scale",
         [] {
             for (double v : {0.0, -3.0, std::nan(""), HUGE_VAL, -HUGE_VAL}) SetViewScale(v);
         }},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        g_viewScale = 4;
        g_viewCenterX = 10;
        g_viewCenterY = 20;
        c.act();
        EXPECT_GE(g_viewScale, kMinViewScale);
        EXPECT_LE(g_viewScale, kMaxViewScale);
        EXPECT_TRUE(std::isfinite(g_viewCenterX) && std::isfinite(g_viewCenterY));
    }
    SetViewScale(0);
    EXPECT_EQ(g_viewScale, 4);  // refused, not clamped
    SetViewScale(1e-300);
    EXPECT_EQ(g_viewScale, kMinViewScale);
}
