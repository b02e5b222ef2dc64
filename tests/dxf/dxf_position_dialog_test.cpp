// The position dialog of the background drawing, driven as the window drives it: vertex
// buttons, clicks of the plan view, typed coordinates, 登録, キャンセル and リセット.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dxf/dxf_position_dialog.h"
#include "dxf/dxf_registration.h"
#include "dxf_test_support.h"
#include "shell/tool_mode.h"
#include "dxf/dxf_picking.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

using namespace dxftest;

namespace {

void Receive(void* dialog) { OnDxfPositionPick(*static_cast<DxfPositionDialogState*>(dialog)); }

// A plan view of 801 x 601 pixels, 1 pixel per metre, centred on the origin, over a
// drawing of three points (source = shown before any registration).
class DxfPositionDialog : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_projectionValid = 0;
        for (auto [north, east] : {std::pair{10.0, 20.0}, {-50.0, 30.0}, {40.0, -70.0}}) {
            DxfTarget target = DXF_TARGET_ENTITIES;
            ASSERT_EQ(EnsureDxfCapacity(target, 1), 1);
            DxfElement& e = AppendDxfRecord(target);
            std::memset(&e, 0, sizeof e);
            e.pen = DXF_PEN_POINT;
            e.x = e.sourceX = north;
            e.y = e.sourceY = east;
        }
        g_dxfFirstNewElement = 1;
        g_dxfRegistration.dxfLoaded = 1;
        dir_ = ScratchDir("position");
        g_dxfSourcePath = (dir_ / "plan.dxf").string();
        Open();
    }
    void TearDown() override {
        Close();
        std::filesystem::remove_all(dir_);
        ReleaseDataModel();
    }
    void Open() {
        OpenDxfPositionDialog(s_);
        SetDxfPositionPickReceiver(Receive, &s_);
    }
    void Close() { OnDxfPositionClosed(); }
    // A click at the shown plan position (north, east).
    static void ClickAt(double north, double east) {
        g_projectionValid = 0;  // the view projects again after the elements moved
        DxfPlanToClient(north, east, column_, row_);
        ASSERT_TRUE(DxfPositionViewClick(column_, row_));
    }
    static const DxfElement& At(int i) { return g_dxfElementsBlock.Data()[i]; }
    // Vertex k: its DXF point by an end-point click near element e, its public point typed.
    void Register(int k, int e, double publicX, double publicY) {
        OnDxfVertexButton(s_, k, true);
        ASSERT_EQ(g_toolMode, MODE_BG_DXF_POSITION);
        ClickAt(At(e).x + 2, At(e).y - 1);
        OnDxfNumericEntry(s_, std::to_string(publicY), std::to_string(publicX));
        ASSERT_EQ(g_toolMode, MODE_NONE);
    }
    DxfPositionDialogState s_;
    std::filesystem::path dir_;
    static inline int32_t column_ = 0, row_ = 0;
};

TEST_F(DxfPositionDialog, OneVertexGivesATranslationAndWritesTheSideFile) {
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, 1010.5, 2020.25);
    EXPECT_TRUE(s_.registerEnabled);
    EXPECT_FALSE(s_.projectiveEnabled);
    ASSERT_TRUE(OnDxfPositionRegister(s_));
    const DxfRegistration& r = g_dxfRegistration;
    EXPECT_NEAR(r.a, 1, 1e-12);
    EXPECT_NEAR(r.b, 0, 1e-12);
    EXPECT_EQ(r.transformActive, 1);
    EXPECT_NEAR(At(1).x, 1010.5, 1e-9);
    EXPECT_NEAR(At(1).y, 2020.25, 1e-9);
    EXPECT_NEAR(At(2).x, -50 + 1000.5, 1e-9);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_NE(RecordedMessages()[0].text.find("K=      1.000"), std::string::npos) << RecordedMessages()[0].text;
    EXPECT_NE(RecordedMessages()[0].text.find("W=   0- 0- 0"), std::string::npos) << RecordedMessages()[0].text;
    const std::string dxi = ReadBytes(dir_ / "plan.DXI");
    EXPECT_NE(dxi.find("       1010.500       2020.250         20.000         10.000\r\n"), std::string::npos) << dxi;
    EXPECT_NE(dxi.find(" 1 1 1 0\r\n"), std::string::npos) << dxi;
}

TEST_F(DxfPositionDialog, TwoVerticesPassExactlyThroughBoth) {
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, 500, 600);
    Register(2, 2, 500 + 20, 600 + 120);  // the DXF step (-60, 10) turned and doubled
    ASSERT_TRUE(OnDxfPositionRegister(s_));
    EXPECT_NEAR(At(1).x, 500, 1e-9);
    EXPECT_NEAR(At(1).y, 600, 1e-9);
    EXPECT_NEAR(At(2).x, 520, 1e-9);
    EXPECT_NEAR(At(2).y, 720, 1e-9);
    EXPECT_NEAR(g_dxfRegistration.scale, 2, 1e-12);
}

TEST_F(DxfPositionDialog, ButtonsThatCannotStayCheckedDoNot) {
    OnDxfVertexButton(s_, 2, true);  // vertex 1 is not registered
    EXPECT_FALSE(s_.vertexChecked[1]);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    OnDxfMouseCheck(s_, true);  // no vertex selected
    EXPECT_FALSE(s_.mouse);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    OnDxfEndPointCheck(s_, true);
    OnDxfMidPointCheck(s_, true);
    EXPECT_FALSE(s_.endPointSnap);
    EXPECT_TRUE(s_.midPointSnap);
}

TEST_F(DxfPositionDialog, EnterInAnEditRegistersOneCoordinate) {
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, 100, 200);
    g_dxfRegistration.publicPoint[1][0] = 777;  // the stored east of vertex 2
    OnDxfVertexButton(s_, 2, true);
    s_.enterPressed = true;
    OnDxfKillFocusX(s_, "  345.5");
    EXPECT_EQ(g_dxfRegistration.vertexFlags[1], 1);
    EXPECT_EQ(g_dxfRegistration.publicPoint[1][1], 345.5);
    EXPECT_EQ(g_dxfRegistration.publicPoint[1][0], 777);
    EXPECT_EQ(g_dxfRegistration.currentVertex, 2);
    EXPECT_TRUE(s_.registerEnabled);
    EXPECT_TRUE(s_.projectiveEnabled);
    EXPECT_EQ(s_.xText, "   345.500");

    // ESC, then the focus leaves: the typed text goes, the stored value comes back.
    s_.enterPressed = false;
    s_.escapePressed = true;
    OnDxfKillFocusY(s_, "99999");
    EXPECT_EQ(s_.yText, "   777.000");
    EXPECT_FALSE(s_.escapePressed);
    // A typed text that is no number keeps the stored value.
    OnDxfKillFocusY(s_, "12,5x");
    EXPECT_EQ(g_dxfRegistration.entryY, 777);
}

TEST_F(DxfPositionDialog, ASecondClickReplacesTheDxfPointAndTheMousePicksThePublicPoint) {
    OnDxfEndPointCheck(s_, true);
    OnDxfVertexButton(s_, 1, true);
    ClickAt(At(1).x, At(1).y);
    ClickAt(At(3).x + 1, At(3).y);
    EXPECT_EQ(g_dxfRegistration.sourcePoint[0][0], 40);
    EXPECT_EQ(g_dxfRegistration.sourcePoint[0][1], -70);
    EXPECT_EQ(s_.sourceText, "(40.000 , -70.000)");
    EXPECT_EQ(s_.prompt, "ＤＸＦ画像上の１点目を指定");
    EXPECT_EQ(g_dxfRegistration.vertexFlags[0], 0);
    OnDxfMouseCheck(s_, true);
    EXPECT_EQ(g_toolMode, MODE_BG_DXF_POSITION * 2);
    ClickAt(123, 45);  // no snap: the clicked world point, to the pixel
    EXPECT_EQ(g_dxfRegistration.vertexFlags[0], 1);
    EXPECT_NEAR(g_dxfRegistration.publicPoint[0][1], 123, 1.0);
    EXPECT_NEAR(g_dxfRegistration.publicPoint[0][0], 45, 1.0);
    EXPECT_EQ(g_toolMode, MODE_NONE);
    EXPECT_FALSE(s_.mouse);
    EXPECT_FALSE(s_.vertexChecked[0]);
}

TEST_F(DxfPositionDialog, CancelRestoresTheEarlierRegistrationOnAllElements) {
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, 30, 40);
    ASSERT_TRUE(OnDxfPositionRegister(s_));
    Close();
    const double shown = At(2).x;
    Open();
    ClearRecordedMessages();
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, -5000, -6000);
    ASSERT_TRUE(OnDxfPositionRegister(s_));
    Close();
    EXPECT_NE(At(2).x, shown);
    // The next opening is cancelled: back to the last registration, also on the elements
    // of an earlier load.
    Open();
    OnDxfVertexButton(s_, 1, true);
    g_dxfRegistration.entryX = g_dxfRegistration.entryY = 0;
    OnDxfPositionPick(s_);
    OnDxfNumericEntry(s_, "1", "1");
    g_dxfFirstNewElement = 3;
    g_dxfElementsBlock.Data()[2].x = At(2).sourceX;
    OnDxfPositionCancel(s_);
    EXPECT_EQ(g_dxfRegistration.transformActive, 1);
    EXPECT_NEAR(At(2).x, -50 - 5010, 1e-9);
}

TEST_F(DxfPositionDialog, CoincidentDrawingPointsAreRefused) {
    OnDxfEndPointCheck(s_, true);
    for (int k = 1; k <= 3; ++k) Register(k, 1, 100.0 * k, 50.0 * k);
    const double before = At(2).x;
    EXPECT_FALSE(OnDxfPositionRegister(s_));
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(At(2).x, before);
    EXPECT_TRUE(std::isfinite(g_dxfRegistration.a));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "plan.DXI"));
}

TEST_F(DxfPositionDialog, ResetRemovesTheSideFileAtTheNextSave) {
    OnDxfEndPointCheck(s_, true);
    Register(1, 1, 1000, 2000);
    ASSERT_TRUE(OnDxfPositionRegister(s_));
    ASSERT_TRUE(std::filesystem::exists(dir_ / "plan.DXI"));
    Close();
    Open();
    OnDxfPositionReset(s_);
    EXPECT_EQ(At(1).x, 10);
    EXPECT_EQ(At(1).y, 20);
    EXPECT_FALSE(s_.registerEnabled);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "plan.DXI"));
    WriteDxiFile();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "plan.DXI"));
}

}  // namespace
