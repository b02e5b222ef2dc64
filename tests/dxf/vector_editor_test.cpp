// The vector editor driven as the view and the window drive it: clicks and keys as
// commands, the fields as they lose the focus, presses and moves of the end-point tool.
#include "dxf/vector_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "analysis/section_profile.h"
#include "dxf/dxf_info.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_position_dialog.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "dxf_test_support.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "view/display_flags.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

constexpr int32_t kEsc = vkey::kEscape;
constexpr int32_t kIns = vkey::kInsert;

// A plan view of 801 x 601 pixels, 1 pixel per metre, centred on the origin: (north, east)
// shows at column 400 + east, row 300 - north.
class VectorEditor : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_projectionValid = 0;
        g_vecCreateTool = VEC_TOOL_POLYLINE;
        g_pointSnapMode = 0;
        g_vecElevationSource = 0;
        g_vecTinCross = 0;
        g_vecDivisions = 36;
        g_vecWheelStep = 1.0;
        g_vecNewText[0] = '\0';
        g_vecTextHeight = 5.0;
        g_vecDecimals = 3;
        g_newPointZ = 0;
        g_vectorLayer = 0;
        g_vectorColour = 0;
        g_dxfModified = 0;
        saved_cutter_ = g_vecProfileCutter;
        dlg_ = std::make_unique<CVecCreate>();
    }
    void TearDown() override {
        dlg_.reset();
        g_vecProfileCutter = saved_cutter_;
        g_birdsEyeOn = 0;
        ReleaseDataModel();
    }

    // An element as if read from a file.
    static int32_t Add(uint8_t pen, double north, double east, double z = 0, int32_t layer = 0, int32_t colour = 0) {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = e.sourceX = north;
        e.y = e.sourceY = east;
        e.z = z;
        e.layer = layer;
        e.colour = colour;
        g_dxfElementCountAtLoad = g_dxfElementCount;
        g_projectionValid = 0;
        return g_dxfElementCount;
    }
    static DxfElement& At(int32_t i) { return g_dxfElementsBlock.Data()[i]; }
    static int32_t Column(double east) { return 400 + static_cast<int32_t>(std::lround(east)); }
    static int32_t Row(double north) { return 300 - static_cast<int32_t>(std::lround(north)); }

    void Click(int32_t column, int32_t row) {
        g_projectionValid = 0;
        g_dxfPickCursorX = column;
        g_dxfPickCursorY = row;
        dlg_->OnTimer(kVecCmdClick);
    }
    void ClickAt(double north, double east) { Click(Column(east), Row(north)); }
    void Key(int32_t key) {
        const int32_t id = VecCommandForViewKey(key);
        ASSERT_NE(id, 0) << key;
        dlg_->OnTimer(id);
    }

    std::unique_ptr<CVecCreate> dlg_;
    std::function<void(double, double, double, double)> saved_cutter_;
};

// A ground profile of four points along the segment, at elevation 7.
void FourPointProfile(double x1, double y1, double x2, double y2) {
    g_profile.right.count = 4;
    for (int i = 1; i <= 4; ++i) {
        const double t = i / 4.0;
        g_profile.right.x[i] = x1 + (x2 - x1) * t;
        g_profile.right.y[i] = y1 + (y2 - y1) * t;
        g_profile.right.z[i] = 7;
    }
}

TEST_F(VectorEditor, KeyAndClickSequences) {
    // One step: a key (0: a click at north, east); then the element count and, when not
    // -1, the construction points collected.
    struct Step {
        int32_t key;
        double north, east;
        int32_t count;
        int32_t clicks = -1;
    };
    struct Case {
        const char* what;
        int32_t loaded;  // a polyline of this many vertices read before
        int32_t tinCross;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"polyline: the first Esc ends it, further ones remove, Insert brings back up to the mark",
         2,
         0,
         {{'P', 0, 0, 2},
          {0, 10, 0, 3},
          {0, 10, 10, 4},
          {kEsc, 0, 0, 4},
          {kEsc, 0, 0, 3},
          {kEsc, 0, 0, 2},
          {kEsc, 0, 0, 1},
          {kIns, 0, 0, 2},
          {kIns, 0, 0, 3},
          {kIns, 0, 0, 4},
          {kIns, 0, 0, 4}}},
        {"text: Esc keeps removing from the end, elements read included",
         2,
         0,
         {{'T', 0, 0, 2},
          {0, 5, 5, 3},
          {kEsc, 0, 0, 2},
          {kEsc, 0, 0, 1},
          {kEsc, 0, 0, 0},
          {kEsc, 0, 0, 0},
          {kIns, 0, 0, 1},
          {kIns, 0, 0, 2},
          {kIns, 0, 0, 3},
          {kIns, 0, 0, 3}}},
        {"terrain run: one Esc takes the run, a second restores it, Insert only when missing",
         0,
         1,
         {{'P', 0, 0, 0},
          {0, 0, 0, 1},
          {0, 0, 40, 5},
          {kEsc, 0, 0, 1},
          {kEsc, 0, 0, 5},
          {kIns, 0, 0, 5},
          {kEsc, 0, 0, 1},
          {kIns, 0, 0, 5}}},
        {"circle: Esc forgets the second construction click, after a circle takes it all",
         0,
         0,
         {{'Y', 0, 0, 0, 0},
          {0, 10, 0, 0, 1},
          {0, 0, 10, 0, 2},
          {kEsc, 0, 0, 0, 1},
          {0, 0, 10, 0, 2},
          {0, -10, 0, 37, 0},
          {kEsc, 0, 0, 0, 0},
          {kEsc, 0, 0, 0, 0},
          {kIns, 0, 0, 37, 0}}},
        {"redo after a deletion brings back nothing stale",
         5,
         0,
         {{'P', 0, 0, 5},
          {0, 50, 50, 6},
          {kEsc, 0, 0, 6},
          {kEsc, 0, 0, 5},
          {kEsc, 0, 0, 4},
          {kEsc, 0, 0, 3},
          {'S', 0, 0, 3},
          {0, 0, 0, 3},    // picks the polyline 1..3
          {'D', 0, 0, 2},  // its inner vertex goes
          {'P', 0, 0, 2},
          {kIns, 0, 0, 2},
          {kIns, 0, 0, 2}}},
        {"a circle's undo after a deletion removes nothing",
         0,
         0,
         {{'Y', 0, 0, 0},
          {0, 10, 0, 0},
          {0, 0, 10, 0},
          {0, -10, 0, 37},
          {'S', 0, 0, 37},
          {0, 10, 0, 37},
          {'D', 0, 0, 2},
          {'Y', 0, 0, 2},
          {kEsc, 0, 0, 2},
          {kIns, 0, 0, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        for (int32_t i = 0; i < c.loaded; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 0, 10.0 * i);
        g_vecTinCross = c.tinCross;
        g_vecProfileCutter = FourPointProfile;
        int n = 0;
        for (const Step& s : c.steps) {
            SCOPED_TRACE(++n);
            if (s.key == 0)
                ClickAt(s.north, s.east);
            else
                Key(s.key);
            EXPECT_EQ(g_dxfElementCount, s.count);
            if (s.clicks >= 0) {
                EXPECT_EQ(dlg_->m_clickCount, s.clicks);
            }
        }
    }
}

TEST_F(VectorEditor, TerrainRunAppendsTheProfileAfterAPlainFirstVertex) {
    g_vecTinCross = 1;
    g_vecProfileCutter = FourPointProfile;
    g_vectorLayer = 3;
    ClickAt(0, 0);
    ASSERT_EQ(g_dxfElementCount, 1);
    EXPECT_EQ(At(1).pen, DXF_PEN_MOVE);
    ClickAt(0, 40);
    ASSERT_EQ(g_dxfElementCount, 5);
    for (int i = 2; i <= 5; ++i) {
        EXPECT_EQ(At(i).pen, DXF_PEN_DRAW);
        EXPECT_DOUBLE_EQ(At(i).y, 10.0 * (i - 1));
        EXPECT_EQ(At(i).z, 7);
        EXPECT_EQ(At(i).layer, 3);
    }
    EXPECT_EQ(g_pickedDxfElement, 5);
    // A profile of one point: the click itself continues the line.
    g_vecProfileCutter = [](double, double, double, double) { g_profile.right.count = 1; };
    ClickAt(20, 40);
    ASSERT_EQ(g_dxfElementCount, 6);
    EXPECT_EQ(At(6).pen, DXF_PEN_DRAW);
    EXPECT_EQ(At(6).x, 20);
}

TEST_F(VectorEditor, DeletingPicks) {
    // A polyline picked by one click keeps its ends as two lone moves.
    for (int i = 0; i < 4; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 0, 10.0 * i);
    Key('S');
    ClickAt(0, 10);
    EXPECT_EQ(g_pickedDxfFirst, 1);
    EXPECT_EQ(g_pickedDxfLast, 4);
    Key('D');
    ASSERT_EQ(g_dxfElementCount, 2);
    EXPECT_EQ(At(1).pen, DXF_PEN_MOVE);
    EXPECT_EQ(At(2).pen, DXF_PEN_MOVE);
    EXPECT_EQ(At(2).y, 30);
    EXPECT_EQ(g_pickedDxfElement, 0);
    EXPECT_EQ(g_dxfModified, 1);

    // A middle vertex taken with the end-point tool splits the polyline.
    TearDown();
    SetUp();
    for (int i = 0; i < 4; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 0, 10.0 * i);
    Add(DXF_PEN_TEXT, 50, 0);
    Add(DXF_PEN_TEXT, 60, 0);
    std::strcpy(At(6).text, "second");
    Key('E');
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(10), Row(0));
    ClickAt(0, 10);
    EXPECT_EQ(g_pickedDxfElement, 2);
    Key('D');
    ASSERT_EQ(g_dxfElementCount, 5);
    const uint8_t pens[] = {DXF_PEN_MOVE, DXF_PEN_MOVE, DXF_PEN_DRAW, DXF_PEN_TEXT, DXF_PEN_TEXT};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(At(i).pen, pens[i - 1]) << i;
    // A text followed by a text: the second stays as it was.
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(0), Row(50));
    ClickAt(50, 0);
    Key('D');
    ASSERT_EQ(g_dxfElementCount, 4);
    EXPECT_EQ(At(4).pen, DXF_PEN_TEXT);
    EXPECT_STREQ(At(4).text, "second");

    // No answers No: nothing goes, the pick is cleared all the same.
    Key('S');
    ClickAt(0, 0);
    QueueMessageAnswer(msg::kIdNo);
    Key('D');
    EXPECT_EQ(g_dxfElementCount, 4);
    EXPECT_EQ(g_pickedDxfElement, 0);
}

TEST_F(VectorEditor, ContinuousSelectionGrowsAndAClickAwayKeepsIt) {
    for (int i = 0; i < 3; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 0, 10.0 * i);
    for (int i = 0; i < 3; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 100, 10.0 * i);
    dlg_->OnSearchOption(1086, true);
    EXPECT_EQ(g_vecCreateTool, VEC_TOOL_SEARCH);
    ClickAt(0, 20);
    ClickAt(100, 0);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(At(i).selected, 1) << i;
    ClickAt(-250, 300);
    EXPECT_EQ(g_pickedDxfElement, 0);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(At(i).selected, 1) << i;
}

TEST_F(VectorEditor, LayerField) {
    for (int i = 0; i < 3; ++i) Add(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, 0, 10.0 * i, 0, 1);
    Add(DXF_PEN_POINT, 50, 50, 0, 1);
    // Nothing picked: only the setting.
    dlg_->OnLayerField("7");
    EXPECT_EQ(g_vectorLayer, 7);
    EXPECT_EQ(dlg_->controls.layer, " 7");
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(At(i).layer, 1);
    // Esc leaves the setting; an empty field keeps it.
    dlg_->escapePressed = true;
    dlg_->OnLayerField("9");
    dlg_->escapePressed = false;
    dlg_->OnLayerField("");
    EXPECT_EQ(g_vectorLayer, 7);
    // A picked polyline takes it whole; the pick goes.
    Key('S');
    ClickAt(0, 0);
    dlg_->OnLayerField("4");
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(At(i).layer, 4) << i;
    EXPECT_EQ(At(4).layer, 1);
    EXPECT_EQ(g_pickedDxfElement, 0);
    EXPECT_EQ(g_dxfModified, 1);
    // The colour list: the same, with the colour.
    ClickAt(50, 50);
    dlg_->OnColourSelected(5);
    EXPECT_EQ(At(4).colour, 5);
    EXPECT_EQ(At(1).colour, 0);
}

TEST_F(VectorEditor, ElevationFieldAndWheel) {
    struct Case {
        const char* field;
        double stepAfter, zAfter;
    };
    const Case fields[] = {{"s0.5", 0.5, 3}, {"S-1", 0.001, 3}, {"s0", 0.001, 3}, {"12.5", 1.0, 12.5}, {"abc", 1.0, 0}};
    for (const Case& c : fields) {
        SCOPED_TRACE(c.field);
        g_vecWheelStep = 1.0;
        g_newPointZ = 3;
        dlg_->OnElevationField(c.field);
        EXPECT_DOUBLE_EQ(g_vecWheelStep, c.stepAfter);
        EXPECT_DOUBLE_EQ(g_newPointZ, c.zAfter);
    }
    struct Turn {
        double step, z;
        int delta;
        double want;
        const char* shown;
    };
    const Turn turns[] = {{1.0, 10.25, 120, 11, "11.000"},  {1.0, 10.25, -120, 9, "9.000"},
                          {0.5, 10.25, 120, 10.75, "10.750"}, {1.0, -10.25, 0, -11, "-11.000"},
                          // Far beyond 2^31 steps the quotient still rounds in floating point.
                          {1.0, 5e12 + 0.25, 120, 5e12 + 1, "5000000000001.000"}};
    for (const Turn& t : turns) {
        SCOPED_TRACE(t.z);
        g_vecWheelStep = t.step;
        g_newPointZ = t.z;
        dlg_->OnWheel(t.delta);
        EXPECT_DOUBLE_EQ(g_newPointZ, t.want);
        EXPECT_EQ(dlg_->controls.elevation, t.shown);
    }
}

TEST_F(VectorEditor, ClosingAsksAndNoKeepsTheChange) {
    ClickAt(0, 0);
    ASSERT_EQ(g_dxfModified, 1);
    QueueMessageAnswer(msg::kIdNo);
    dlg_->PostNcDestroy();
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "作成したＤＸＦデータを保存しますか");
    EXPECT_EQ(g_dxfModified, 1);
    // Yes but the file dialog cancelled: still changed.
    dlg_ = std::make_unique<CVecCreate>();
    QueueMessageAnswer(msg::kIdYes);
    dlg_->PostNcDestroy();
    EXPECT_EQ(g_dxfModified, 1);
    EXPECT_EQ(RecordedFileDialogs().size(), 1u);
}

TEST_F(VectorEditor, OpeningShowsColourEntryZeroButKeepsTheColour) {
    g_vectorColour = 7;
    g_vectorLayer = 12;
    dlg_ = std::make_unique<CVecCreate>();
    EXPECT_EQ(dlg_->controls.colourIndex, 0);
    EXPECT_EQ(dlg_->controls.layer, " 12");
    ClickAt(0, 0);
    EXPECT_EQ(At(1).colour, 7);
    EXPECT_EQ(At(1).layer, 12);
}

TEST_F(VectorEditor, SnapModes) {
    // A cross of two segments (elevations 0..10 and 20..20), a lone point, a segment that
    // crosses nothing and a random point.
    Add(DXF_PEN_MOVE, 0, -20, 0);
    Add(DXF_PEN_DRAW, 0, 20, 10);
    Add(DXF_PEN_MOVE, -20, 5, 20);
    Add(DXF_PEN_DRAW, 20, 5, 20);
    Add(DXF_PEN_POINT, 100, 100, 33);
    Add(DXF_PEN_MOVE, 50, -20, 30);  // crossing nothing
    Add(DXF_PEN_DRAW, 50, 20, 30);
    ASSERT_EQ(EnsurePointCapacity(2), 0);
    g_pointCount = 1;
    g_points[1] = RandomPoint{};
    g_points[1].x = -100;
    g_points[1].y = -100;
    g_points[1].z = 44;
    SetPointEndMarker();
    g_pointsPresent = -1;
    struct Case {
        const char* what;
        int32_t key;
        int32_t column, row;
        double north, east, z;
    };
    const Case cases[] = {
        {"F: the vertex", 'F', Column(103), Row(98), 100, 100, 33},
        {"F: nothing near, the cursor with 0", 'F', Column(200), Row(-200), -200, 200, 0},
        {"L: on the segment, interpolated", 'L', Column(-10), Row(2), 0, -10, 2.5},
        {"C: the crossing of the two", 'C', Column(3), Row(1), 0, 5, 6.25},
        {"C: no crossing near, the point on the line with 0", 'C', Column(0), Row(52), 50, 0, 0},
        {"R: the random point", 'R', Column(-98), Row(-101), -100, -100, 44},
        {"N: the cursor", 'N', Column(3), Row(1), 1, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Key(c.key);
        g_projectionValid = 0;
        g_dxfPickCursorX = c.column;
        g_dxfPickCursorY = c.row;
        double n, e, z;
        dlg_->ResolveClick(0, n, e, z);
        EXPECT_NEAR(n, c.north, 1e-9);
        EXPECT_NEAR(e, c.east, 1e-9);
        EXPECT_NEAR(z, c.z, 1e-9);
    }
    // The given elevation overrides any snap.
    Key('F');
    Key('A');
    g_newPointZ = 9.5;
    g_dxfPickCursorX = Column(100);
    g_dxfPickCursorY = Row(100);
    double n, e, z;
    dlg_->ResolveClick(0, n, e, z);
    EXPECT_EQ(z, 9.5);
}

// A camera straight above (eyeX, eyeY, eyeZ) looking down: columns east, rows north.
void LookDown(double eyeX, double eyeY, double eyeZ) {
    const double plain[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    std::memcpy(g_cameraMatrixPlain, plain, sizeof plain);
    std::memcpy(g_cameraMatrix, plain, sizeof plain);
    std::memcpy(g_birdsEyeMatrix, plain, sizeof plain);
    g_heightScale = 1;
    g_eyeX = eyeX;
    g_eyeY = eyeY;
    g_eyeZ = eyeZ;
    g_focalLength = 200;
    g_nearPlane = 1;
    g_birdsEyeOn = 1;
}

int32_t AddPoint(double x, double y, double z) {
    EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
    const int32_t i = ++g_pointCount;
    g_points[i] = RandomPoint{};
    g_points[i].x = x;
    g_points[i].y = y;
    g_points[i].z = z;
    SetPointEndMarker();
    g_pointsPresent = -1;
    return i;
}

TEST_F(VectorEditor, BirdsEyeFallsBackToTheTinPointUnderTheCursor) {
    LookDown(500, 1000, 100);
    const int32_t a = AddPoint(450, 950, 3), b = AddPoint(450, 1100, 3), c = AddPoint(600, 950, 3);
    ASSERT_EQ(GrowTinEdgeBlock(10), 0);
    g_tinEdges[1] = {a, b, kNoApex, c, 0};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    g_tinPresent = -1;
    for (int32_t key : {'N', 'C'}) {
        SCOPED_TRACE(key);
        Key(key);
        g_dxfPickCursorX = 400 + 20;
        g_dxfPickCursorY = 300 - 10;
        double n, e, z;
        dlg_->ResolveClick(0, n, e, z);
        // The ray from 97 above the triangle, 10 and 20 pixels off the axis at a focal
        // length of 200.
        EXPECT_NEAR(n, 500 + 97 * 10 / 200.0, 1e-9);
        EXPECT_NEAR(e, 1000 + 97 * 20 / 200.0, 1e-9);
        EXPECT_NEAR(z, 3, 1e-9);
    }
    // 交点 is offered only in the plan.
    dlg_->UpdateControls();
    EXPECT_FALSE(dlg_->controls.crossingSnapEnabled);
}

TEST_F(VectorEditor, CircleOfSevenDivisionsHasEightVerticesClosingOnTheFirst) {
    g_vecDivisions = 7;
    Key('Y');
    ClickAt(10, 0);
    ClickAt(0, 10);
    ClickAt(-10, 0);
    ASSERT_EQ(g_dxfElementCount, 8);
    EXPECT_EQ(At(1).pen, DXF_PEN_MOVE);
    for (int i = 1; i <= 8; ++i) {
        EXPECT_NEAR(std::hypot(At(i).x, At(i).y), 10, 1e-9) << i;
        if (i > 1) {
            EXPECT_EQ(At(i).pen, DXF_PEN_DRAW);
        }
    }
    EXPECT_EQ(At(8).x, At(1).x);
    EXPECT_EQ(At(8).y, At(1).y);
    EXPECT_EQ(g_pickedDxfElement, 8);
    // Three clicks on one line make nothing; the next click starts a new set.
    ClickAt(0, 0);
    ClickAt(0, 10);
    ClickAt(0, 20);
    EXPECT_EQ(g_dxfElementCount, 8);
    EXPECT_EQ(dlg_->m_clickCount, 0);
}

// Distance from P to the segment AB.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

TEST_F(VectorEditor, ArcBeginsAndEndsAtTheOuterClicksAndPassesTheMiddleOneInEveryOrder) {
    // Three points of a circle of radius 10 round (3, -4), at 20, 100 and 230 degrees
    // clockwise from north.
    const double degrees[3] = {20, 100, 230};
    double pts[3][2];
    for (int i = 0; i < 3; ++i) {
        pts[i][0] = 3 + 10 * std::cos(degrees[i] * M_PI / 180);
        pts[i][1] = -4 + 10 * std::sin(degrees[i] * M_PI / 180);
    }
    g_vecDivisions = 36;
    g_viewScale = 20;  // the arc's vertices lie far apart on screen: clicks snap to the lone points
    int order[3] = {0, 1, 2};
    do {
        SCOPED_TRACE(testing::Message() << order[0] << order[1] << order[2]);
        Key('Z');
        // Clicks land exactly: they snap to lone points placed there.
        for (int k : order) Add(DXF_PEN_POINT, pts[k][0], pts[k][1]);
        const int32_t points = g_dxfElementCount;
        Key('F');
        for (int k : order) {
            g_projectionValid = 0;
            int32_t c, r;
            DxfPlanToClient(pts[k][0], pts[k][1], c, r);
            Click(c, r);
        }
        Key('N');
        const int32_t first = points + 1, last = g_dxfElementCount;
        ASSERT_EQ(last - first + 1, 37);
        const double* s = pts[order[0]];
        const double* t = pts[order[2]];
        const bool forward = At(first).x == s[0] && At(first).y == s[1];
        EXPECT_TRUE(forward || (At(first).x == t[0] && At(first).y == t[1]));
        const double* end = forward ? t : s;
        EXPECT_EQ(At(last).x, end[0]);
        EXPECT_EQ(At(last).y, end[1]);
        double nearest = 1e9;
        for (int32_t i = first; i < last; ++i) {
            EXPECT_NEAR(std::hypot(At(i).x - 3, At(i).y + 4), 10, 1e-9);
            nearest = std::min(nearest, SegmentDistance(pts[order[1]][0], pts[order[1]][1], At(i).x, At(i).y,
                                                        At(i + 1).x, At(i + 1).y));
        }
        // Within the sagitta of one step of at most 10 degrees.
        EXPECT_LT(nearest, 10 * (1 - std::cos(5 * M_PI / 180)) + 1e-9);
    } while (std::next_permutation(order, order + 3));
}

TEST_F(VectorEditor, TextShowsItsElevationWithTheChosenDecimals) {
    g_newPointZ = 12.3456;
    g_vecElevationSource = 2;
    g_vecDecimals = 2;
    dlg_->OnTextAsElevation(true);
    ClickAt(5, 5);
    ASSERT_EQ(g_dxfElementCount, 1);
    EXPECT_EQ(At(1).pen, DXF_PEN_TEXT);
    EXPECT_STREQ(At(1).text, "12.35");
    EXPECT_EQ(At(1).z, 12.3456);
    EXPECT_EQ(At(1).textHeight, 5.0);
    dlg_->OnTextAsElevation(false);
    std::strcpy(g_vecNewText, "A1");
    ClickAt(6, 6);
    EXPECT_STREQ(At(2).text, "A1");
}

TEST_F(VectorEditor, EndPointGrabMoveAndUndo) {
    Add(DXF_PEN_MOVE, 0, 0, 1);
    Add(DXF_PEN_DRAW, 0, 100, 2);
    Key('E');
    // Horizontal plus vertical distance 15 is too far.
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(110), Row(-5));
    EXPECT_EQ(dlg_->m_grabbedElement, 0);
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(110), Row(-4));
    EXPECT_EQ(dlg_->m_grabbedElement, 2);
    // A release within 4 pixels only shows the vertex.
    dlg_->OnViewMouse(kVecMouseMove, 0x01, Column(106), Row(0));
    EXPECT_EQ(dlg_->m_moved, 0);
    ClickAt(0, 106);
    EXPECT_EQ(At(2).y, 100);
    EXPECT_EQ(g_dxfPickY, 100);
    dlg_->UpdateControls();
    EXPECT_EQ(dlg_->controls.pickY, "100.0000");
    // A larger move lands on the snapped release position, keeping the elevation.
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(100), Row(0));
    dlg_->OnViewMouse(kVecMouseMove, 0x01, Column(120), Row(10));
    EXPECT_EQ(dlg_->m_moved, 1);
    EXPECT_NEAR(dlg_->m_markers[0].y, 120, 1e-9);  // the drag marker follows
    ClickAt(10, 120);
    EXPECT_EQ(At(2).x, 10);
    EXPECT_EQ(At(2).y, 120);
    EXPECT_EQ(At(2).z, 2);
    EXPECT_EQ(At(2).sourceY, 120);
    Key(kEsc);
    EXPECT_EQ(At(2).y, 100);
    Key(kEsc);
    EXPECT_EQ(At(2).y, 120);
    Key(kIns);
    EXPECT_EQ(At(2).y, 100);
    // A move without the button drops the grab.
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(100), Row(0));
    dlg_->OnViewMouse(kVecMouseMove, 0, Column(130), Row(0));
    EXPECT_EQ(dlg_->m_grabbedElement, 0);
}

// The information window's deletions move the records the editor's Insert would bring
// back: after either, Insert and Esc must not resurrect what lay past the end.
TEST_F(VectorEditor, DeletionsByTheInformationWindowLeaveNothingStaleToBringBack) {
    struct Case {
        const char* name;
        void (*compact)();
    };
    const Case cases[] = {
        {"the searched element", [] {
             g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 1;
             DeleteSearchedElements();
         }},
        {"everything outside the view", [] { DeleteElementsOutsideView(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_dxfElementCount = g_dxfElementCountAtLoad = 0;
        dlg_ = std::make_unique<CVecCreate>();
        g_vecCreateTool = VEC_TOOL_POLYLINE;
        Add(DXF_PEN_POINT, 5000, 5000);  // far outside the view
        for (int k = 0; k < 4; ++k) ClickAt(10 * k, 20 * k);
        Key(kEsc);  // ends the line
        Key(kEsc);  // and takes two vertices back: they wait for Insert
        Key(kEsc);
        ASSERT_EQ(g_dxfElementCount, 3);
        ASSERT_EQ(g_dxfElementCountAtLoad, 5);
        QueueMessageAnswer(msg::kIdYes);
        c.compact();
        ASSERT_EQ(g_dxfElementCount, 2);
        EXPECT_EQ(g_dxfElementCountAtLoad, 2);
        const std::vector<DxfElement> kept = {At(1), At(2)};
        Key(kIns);
        Key(kIns);
        EXPECT_EQ(g_dxfElementCount, 2);
        EXPECT_EQ(At(1).y, kept[0].y);
        EXPECT_EQ(At(2).y, kept[1].y);
        EXPECT_EQ(int(At(1).pen), int(DXF_PEN_MOVE));  // the line's start stays a start
    }
}

// The same session of snapped clicks, grabs, undos and a deletion over a background of
// crossing lines, once with every search going through all elements and once through the
// snap grid (kept in step with the edits): the drawings must be the same to the bit.
TEST_F(VectorEditor, SnapGridGivesTheSameDrawingAsTheSearchOneByOne) {
    struct Vertex {
        uint8_t pen;
        double x, y, z;
        bool operator==(const Vertex&) const = default;
    };
    std::vector<Vertex> drawings[2];
    const int32_t thresholds[2] = {INT_MAX, 1};
    for (int run = 0; run < 2; ++run) {
        g_dxfSnapIndexThreshold = thresholds[run];
        g_dxfElementCount = 0;
        NoteDxfElementsChanged();
        dlg_ = std::make_unique<CVecCreate>();
        g_vecCreateTool = VEC_TOOL_POLYLINE;
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> north(-250, 250), east(-350, 350), step(-20, 20);
        for (int k = -4; k <= 4; ++k) {
            Add(DXF_PEN_MOVE, 50 * k + 3, -340, k);
            Add(DXF_PEN_DRAW, 50 * k - 3, 340, -k);
            Add(DXF_PEN_MOVE, -260, 70 * k + 5, k);
            Add(DXF_PEN_DRAW, 260, 70 * k - 5, 2 * k);
        }
        for (int line = 0; line < 20; ++line) {
            double n = north(random), e = east(random);
            Add(DXF_PEN_MOVE, n, e, line);
            for (int v = 0; v < 8; ++v) Add(DXF_PEN_DRAW, n += step(random), e += step(random), line + v);
        }
        std::uniform_int_distribution<int32_t> column(20, 780), row(20, 580);
        for (int32_t mode : {kVecSnapVertex, kVecSnapLine, kVecSnapCrossing}) {
            g_pointSnapMode = mode;
            for (int click = 0; click < 12; ++click) Click(column(random), row(random));
            Key(kEsc);  // the last vertex taken back
            Key(kIns);  // and put back
            Key(vkey::kReturn);
        }
        // Vertices grabbed and dragged to snapped places, one move taken back.
        Key('E');
        g_pointSnapMode = kVecSnapVertex;
        int32_t moved = 0;
        for (int grab = 0; grab < 8; ++grab) {
            // Every other grab takes the vertex just moved again, where it went.
            const int32_t i = grab % 2 && moved ? moved
                                                : 1 + static_cast<int32_t>(random() % static_cast<uint64_t>(g_dxfElementCount));
            const int32_t c = 400 + static_cast<int32_t>(At(i).y), r = 300 - static_cast<int32_t>(At(i).x);
            dlg_->OnViewMouse(kVecMouseDown, 0x01, c, r);
            moved = dlg_->m_grabbedElement;
            const int32_t to = column(random), down = row(random);
            dlg_->OnViewMouse(kVecMouseMove, 0x01, to, down);
            Click(to, down);
            if (grab == 3) Key(kEsc);
        }
        // A vertex deleted in the middle of the store, then more drawing on what is left.
        Key('P');
        g_pickedDxfElement = 40;
        g_pickedDxfFirst = g_pickedDxfLast = 0;
        QueueMessageAnswer(msg::kIdYes);
        dlg_->DeleteSelected();
        g_pointSnapMode = kVecSnapCrossing;
        for (int click = 0; click < 6; ++click) Click(column(random), row(random));
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) drawings[run].push_back({At(i).pen, At(i).x, At(i).y, At(i).z});
    }
    g_dxfSnapIndexThreshold = 20000;
    ASSERT_EQ(drawings[0].size(), drawings[1].size());
    EXPECT_GT(drawings[0].size(), 36u + 180u);  // something was drawn
    EXPECT_TRUE(drawings[0] == drawings[1]);
}

TEST_F(VectorEditor, DrawnMovedAndEditedElementsStayPutUnderARegistration) {
    // A drawing of three points, registered by a turn of about 36.87 degrees and a shift.
    Add(DXF_PEN_POINT, 10, 20);
    Add(DXF_PEN_POINT, -50, 30);
    Add(DXF_PEN_POINT, 40, -70);
    g_dxfFirstNewElement = 1;
    g_dxfRegistration.dxfLoaded = 1;
    g_dxfRegistration.a = 0.8;
    g_dxfRegistration.b = 0.6;
    g_dxfRegistration.tx = 100;
    g_dxfRegistration.ty = -50;
    g_dxfRegistration.transformActive = 1;
    ApplyDxfRegistration(0);
    const DxfRegistration registered = g_dxfRegistration;

    ClickAt(10, 10);  // drawn
    ClickAt(20, 30);
    Key('E');  // moved
    {
        int32_t c, r;
        DxfPlanToClient(At(1).x, At(1).y, c, r);
        dlg_->OnViewMouse(kVecMouseDown, 0x01, c, r);
    }
    dlg_->OnViewMouse(kVecMouseMove, 0x01, Column(-60), Row(60));
    ClickAt(60, -60);
    ASSERT_EQ(At(1).x, 60);
    Key('S');  // edited
    {
        int32_t c, r;
        DxfPlanToClient(At(2).x, At(2).y, c, r);
        Click(c, r);
    }
    ASSERT_EQ(g_pickedDxfElement, 2);
    dlg_->OnCoordinateField(1171, "-33.5");
    const std::vector<DxfElement> put = dxftest::Elements();

    auto expectPut = [&](const char* when) {
        SCOPED_TRACE(when);
        for (size_t i = 0; i < put.size(); ++i) {
            EXPECT_NEAR(At(int32_t(i + 1)).x, put[i].x, 1e-7) << i + 1;
            EXPECT_NEAR(At(int32_t(i + 1)).y, put[i].y, 1e-7) << i + 1;
        }
    };
    DxfPositionDialogState s;
    OpenDxfPositionDialog(s);
    OnDxfPositionCancel(s);
    expectPut("キャンセル");

    // 登録 with pairs that give the same registration.
    OpenDxfPositionDialog(s);
    const double src[3][2] = {{0, 0}, {10, 0}, {0, 10}};
    for (int k = 0; k < 3; ++k) {
        double north = 0.8 * src[k][0] + 0.6 * src[k][1] + 100, east = 0.8 * src[k][1] - 0.6 * src[k][0] - 50;
        g_dxfRegistration.sourcePoint[k][0] = src[k][0];
        g_dxfRegistration.sourcePoint[k][1] = src[k][1];
        g_dxfRegistration.publicPoint[k][0] = east;
        g_dxfRegistration.publicPoint[k][1] = north;
        g_dxfRegistration.vertexFlags[k] = 1;
    }
    ASSERT_TRUE(OnDxfPositionRegister(s));
    expectPut("登録");

    // リセット takes the whole drawing, the editor's work with it, back to the source
    // coordinates; registering again puts everything back where it was.
    OpenDxfPositionDialog(s);
    OnDxfPositionReset(s);
    for (size_t i = 0; i < put.size(); ++i) {
        double sx, sy;
        g_dxfRegistration = registered;
        DxfShownToOriginal(put[i].y, put[i].x, sx, sy);
        SetDxfRegistrationIdentity();
        EXPECT_NEAR(At(int32_t(i + 1)).x, sx, 1e-9) << i + 1;
        EXPECT_NEAR(At(int32_t(i + 1)).y, sy, 1e-9) << i + 1;
    }
    g_dxfRegistration = registered;
    ApplyDxfRegistration(0);
    expectPut("again");
    OnDxfPositionClosed();
}

TEST_F(VectorEditor, StoreThatCannotGrowKeepsWhatItHas) {
    // 895 of 1000 records used and no growth allowed: six circle vertices fit the margin.
    g_dxfElementCount = 895;
    g_dxfElementLimit = g_dxfElementCapacity;
    g_vecDivisions = 8;
    Key('Y');
    ClickAt(10, 0);
    ClickAt(0, 10);
    ClickAt(-10, 0);
    g_dxfElementLimit = kDefaultDxfElementLimit;
    EXPECT_EQ(g_dxfElementCount, 901);
    EXPECT_EQ(g_dxfElementCapacity, 1000);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "ＤＸＦメモリ確保できませんでした。");
    EXPECT_EQ(dlg_->m_clickCount, 2);
}

}  // namespace

namespace {

TEST_F(VectorEditor, SavingReportsFailureAndKeepsTheChange) {
    // Nothing to save.
    dlg_->SaveAsDxf();
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().text, "保存するデータがありません");
    EXPECT_TRUE(RecordedFileDialogs().empty());

    ClickAt(0, 0);
    ClickAt(10, 20);
    Key(vkey::kReturn);
    g_dxfSave3d = 1;
    ClickAt(-5, 5);
    const auto dir = dxftest::ScratchDir("vecsave");
    struct Case {
        std::string path;
        bool ok;
    };
    // A full disk: a drawing name that leads to the device that is always full.
    std::filesystem::create_symlink("/dev/full", dir / "full.dxf");
    const Case cases[] = {
        {(dir / "none" / "x.dxf").string(), false}, {(dir / "full.dxf").string(), false}, {(dir / "ok.dxf").string(), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        g_dxfModified = 1;
        ClearRecordedMessages();
        QueueFileDialogAnswer(c.path);
        dlg_->SaveAsDxf();
        EXPECT_EQ(g_dxfModified, c.ok ? 0 : 1);
        EXPECT_EQ(RecordedMessages().empty(), c.ok);
        if (!c.ok) {
            EXPECT_EQ(RecordedMessages().back().text, "ファイル書き込みに失敗しました。");
        }
        EXPECT_EQ(g_backgroundDxfPath, c.path);  // the dialog proposes it next time
    }
    ASSERT_EQ(RecordedFileDialogs().back().defaultExtension, "DXF");
    EXPECT_EQ(RecordedFileDialogs().back().title, "ＤＸＦ保存");
    EXPECT_EQ(RecordedFileDialogs().back().fileName, (dir / "full.dxf").string());
    // Read back by the program's own reader: the polyline and the lone start.
    const std::vector<DxfElement> drawn = dxftest::Elements();
    ASSERT_EQ(dxftest::ReadFresh(dir / "ok.dxf"), 0);
    std::vector<DxfElement> read = dxftest::Elements();
    ASSERT_GE(read.size(), 2u);
    EXPECT_NEAR(read[0].x, drawn[0].x, 0.001);
    EXPECT_NEAR(read[1].y, drawn[1].y, 0.001);
    std::filesystem::remove_all(dir);
}

// Records what the overlays draw.
class RecordingCanvas : public OverlayCanvas {
public:
    void SetPen(uint32_t c) override { log += "pen " + std::to_string(c) + ";"; }
    void SetBrush(uint32_t c) override { log += "brush " + std::to_string(c) + ";"; }
    void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override {
        log += "ellipse " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
               std::to_string(b) + ";";
    }
    void MoveTo(int32_t x, int32_t y) override { log += "move " + std::to_string(x) + "," + std::to_string(y) + ";"; }
    void LineTo(int32_t x, int32_t y) override { log += "line " + std::to_string(x) + "," + std::to_string(y) + ";"; }
    void Text(int32_t, int32_t, const std::string&) override {}
    void FillRect(int32_t l, int32_t t, int32_t r, int32_t b, uint32_t c) override {
        log += "fill " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
               std::to_string(b) + " " + std::to_string(c) + ";";
    }
    std::string log;
};

TEST_F(VectorEditor, OverlaysAndTheRubberLine) {
    RecordingCanvas canvas;
    Key('Z');
    ClickAt(10, 20);
    ClickAt(-30, 40);
    dlg_->DrawRubberBand(&canvas);
    // Marker 1 at (420, 290): a yellow ellipse; marker 2 at (440, 330): a red square and a line.
    EXPECT_EQ(canvas.log, "pen " + std::to_string(0x4040FF) + ";brush " + std::to_string(0x00FFFF) +
                              ";ellipse 416,286,424,294;move 420,290;fill 436,326,444,334 " + std::to_string(0x0000FF) +
                              ";line 440,330;brush " + std::to_string(0xFFFFFF) + ";");
    int32_t x0, y0;
    std::string label;
    ASSERT_TRUE(dlg_->RubberLine(Column(43), Row(-26), x0, y0, label));
    EXPECT_EQ(x0, 440);
    EXPECT_EQ(y0, 330);
    EXPECT_EQ(label, "L:     5.000  ");
    // The polyline tool draws it from the last vertex only while a line is being drawn.
    Key('P');
    EXPECT_FALSE(dlg_->RubberLine(0, 0, x0, y0, label));
    ClickAt(0, 0);
    ASSERT_TRUE(dlg_->RubberLine(Column(0), Row(12), x0, y0, label));
    EXPECT_EQ(label, "L:    12.000  ");
    g_birdsEyeOn = 1;
    EXPECT_FALSE(dlg_->RubberLine(0, 0, x0, y0, label));
    g_birdsEyeOn = 0;

    // The drag marker of the end-point tool: a 6 x 6 orange square round the marker.
    canvas.log.clear();
    dlg_->DrawCursorMark(&canvas);
    EXPECT_EQ(canvas.log, "");
    Key('E');
    dlg_->OnViewMouse(kVecMouseDown, 0x01, Column(1), Row(1));
    ASSERT_EQ(dlg_->m_grabbedElement, g_dxfElementCount);
    dlg_->DrawCursorMark(&canvas);
    EXPECT_EQ(canvas.log, "fill 397,297,403,303 " + std::to_string(0x00C0FF) + ";");
}

TEST_F(VectorEditor, ControlsFollowTheToolAndThePick) {
    struct Case {
        int32_t key;
        int tool;
        bool search, text, tinCross, elevation;
    };
    g_tinEdgeCount = 4;  // "三角網交点" needs a TIN of at least four lines
    g_vecTinCross = 1;
    const Case cases[] = {
        {'P', 1170, false, false, true, false}, {'T', 1027, false, true, false, true},
        {'S', 1172, true, false, false, true},  {'E', 1092, false, false, false, true},
        {'Y', 1049, false, false, false, true}, {'Z', 1050, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        Key(c.key);
        const VecCreateControls& k = dlg_->controls;
        EXPECT_EQ(k.toolButton, c.tool);
        EXPECT_EQ(k.searchOptionsEnabled, c.search);
        EXPECT_EQ(k.textOptionsEnabled, c.text);
        EXPECT_EQ(k.tinCrossEnabled, c.tinCross);
        EXPECT_EQ(k.elevationEnabled, c.elevation);
    }
    g_tinEdgeCount = 0;
    g_vecTinCross = 0;
    // A picked text shows its values and becomes the text and height of new texts.
    Add(DXF_PEN_TEXT, 30, 40, 2.5, 6, 3);
    std::strcpy(At(1).text, "KM1");
    At(1).textHeight = 2.0;
    Key('S');
    ClickAt(30, 40);
    const VecCreateControls& k = dlg_->controls;
    EXPECT_EQ(k.pickX, "30.0000");
    EXPECT_EQ(k.pickY, "40.0000");
    EXPECT_EQ(k.pickZ, "2.5000");
    EXPECT_EQ(k.text, "KM1");
    EXPECT_EQ(k.layer, "6");
    EXPECT_EQ(k.textHeight, "2.000");
    EXPECT_TRUE(k.deleteEnabled);
    EXPECT_STREQ(g_vecNewText, "KM1");
    EXPECT_EQ(g_vecTextHeight, 2.0);
    // Its fields change it; an empty coordinate field changes nothing.
    dlg_->OnTextField("KM2");
    dlg_->OnCoordinateField(1171, "");
    dlg_->OnCoordinateField(1174, "7.25");
    dlg_->OnTextHeightField("3.5");
    EXPECT_STREQ(At(1).text, "KM2");
    EXPECT_EQ(At(1).x, 30);
    EXPECT_EQ(At(1).z, 7.25);
    EXPECT_EQ(At(1).textHeight, 3.5);
    EXPECT_EQ(g_dxfModified, 1);
    // Another tool: the fields show the settings again.
    Key('T');
    EXPECT_EQ(k.pickX, "");
    EXPECT_EQ(k.text, "KM2");
    EXPECT_EQ(k.textHeight, "3.500");
    EXPECT_FALSE(k.deleteEnabled);
    // Divisions: only positive whole numbers.
    for (auto [typed, want] : {std::pair{"12", 12}, {"0", 12}, {"-3", 12}, {"", 12}, {"7", 7}}) {
        dlg_->OnDivisionsField(typed);
        EXPECT_EQ(g_vecDivisions, want) << typed;
    }
    EXPECT_EQ(k.divisions, "7");
}

}  // namespace

namespace {

TEST_F(VectorEditor, TerrainRunFollowsARealTin) {
    // A 10 m square in four cells, eight triangles, on the plane z = north + 2 east: every
    // point of the ground profile must lie on the plane and on the segment.
    int32_t id[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) id[i][j] = AddPoint(5.0 * i, 5.0 * j, 5.0 * i + 10.0 * j);
    ASSERT_EQ(GrowTinEdgeBlock(20), 0);
    g_tinEdgeCount = 0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            g_tinEdges[++g_tinEdgeCount] = {id[i][j], id[i][j + 1], kNoApex, id[i + 1][j], 0};
            g_tinEdges[++g_tinEdgeCount] = {id[i + 1][j + 1], id[i + 1][j], kNoApex, id[i][j + 1], 0};
        }
    SetTinEndRecord();
    g_tinPresent = -1;
    g_vecTinCross = 1;
    ClickAt(1, 1);
    ASSERT_EQ(g_dxfElementCount, 1);
    EXPECT_NEAR(At(1).z, 3, 1e-9);  // the first vertex takes the TIN elevation
    ClickAt(1, 9);
    ASSERT_GE(g_dxfElementCount, 3);
    double east = 1;
    for (int32_t i = 2; i <= g_dxfElementCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(At(i).pen, DXF_PEN_DRAW);
        EXPECT_NEAR(At(i).x, 1, 1e-9);
        EXPECT_NEAR(At(i).z, At(i).x + 2 * At(i).y, 1e-9);
        EXPECT_GE(At(i).y, east - 1e-9);  // onwards from the last vertex
        east = At(i).y;
    }
    EXPECT_NEAR(At(g_dxfElementCount).y, 9, 1e-9);
    Key(kEsc);
    EXPECT_EQ(g_dxfElementCount, 1);
}

}  // namespace
