#include "analysis/visibility_tool.h"

#include <gtest/gtest.h>

#include "image/image_slot.h"
#include "platform/message_box.h"
#include "terrain_grid_tin.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {
class VisibilityTool : public ::testing::Test {
protected:
    void SetUp() override {
        ResetVisibility();
        ClearRecordedMessages();
        BuildLatticeTin(3, 3, 0.0, 0.0, 500.0, [](double, double) { return 100.0; });
        g_pointZMax = 100.0;
        g_viewCenterX = 400.0;
        g_viewCenterY = 600.0;
        g_extentCenterX = 500.0;
        g_extentCenterY = 500.0;
    }
    void TearDown() override {
        delete g_visibilityDlg;
        SetVisibilityImageSlots(nullptr, nullptr);
        g_bgImage = ImageSlot{};
        ResetVisibility();
        ClearRecordedMessages();
    }
};

TEST_F(VisibilityTool, OpeningPutsAnUnsetObserverAtTheViewCentre) {
    auto* dlg = new CVisibilityDlg;
    EXPECT_EQ(g_visibilityDlg, dlg);
    const VisibilityObserver& o = g_visibilityObserver;
    EXPECT_DOUBLE_EQ(o.north, 400.0);
    EXPECT_DOUBLE_EQ(o.east, 600.0);
    EXPECT_DOUBLE_EQ(o.groundElevation, 100.0);
    EXPECT_DOUBLE_EQ(o.eyeElevation, 120.0);
    EXPECT_EQ(o.state, 9);
    for (const VisibilityObserver& s : g_visibilityObserverSlots) EXPECT_DOUBLE_EQ(s.east, 600.0);
    EXPECT_EQ(g_visibilityGridSize, 2048);
    EXPECT_TRUE(dlg->ControlStates().create);
    EXPECT_FALSE(dlg->ControlStates().scan);
    delete dlg;
    EXPECT_EQ(g_visibilityDlg, nullptr);
    EXPECT_EQ(g_visibilityGridSize, 0);
}

TEST_F(VisibilityTool, EditsKeepTheirRanges) {
    CVisibilityDlg dlg;
    struct Case { int control; const char* typed; bool enter; const char* shown; };
    const Case cases[] = {
        {visctl::kAzimuth, "-10", false, " 350.0"},
        {visctl::kAzimuth, "725", false, " 365.0"},
        {visctl::kWidth, "500", false, " 360.0"},
        {visctl::kWidth, "-400", false, " -360.0"},
        {visctl::kMaxDistance, "250.5", false, " 250.50"},
        {visctl::kEyeHeight, "5", false, " 5.000"},
        {visctl::kEyeElevation, "130", false, " 130.000"},
    };
    for (const Case& c : cases) {
        dlg.EditLeft(c.control, c.typed, c.enter, false);
        EXPECT_EQ(dlg.FieldText(c.control), c.shown) << c.typed;
    }
    // Enter on the eye height puts the eye that high above the ground.
    dlg.EditLeft(visctl::kEyeHeight, "7", true, false);
    EXPECT_DOUBLE_EQ(g_visibilityObserver.eyeElevation, 107.0);
    // ESC keeps the value but counts the place as set.
    dlg.EditLeft(visctl::kNorth, "999", false, true);
    EXPECT_DOUBLE_EQ(g_visibilityObserver.north, 400.0);
    EXPECT_EQ(g_visibilityObserver.state, 1);
    // A slot keeps its observer while another is chosen.
    dlg.SelectSlot(1);
    dlg.EditLeft(visctl::kEast, "250", false, false);
    dlg.SelectSlot(0);
    EXPECT_DOUBLE_EQ(g_visibilityObserver.east, 600.0);
    dlg.SelectSlot(1);
    EXPECT_DOUBLE_EQ(g_visibilityObserver.east, 250.0);
}

TEST_F(VisibilityTool, ImagesAreMadeScannedAndDiscarded) {
    CVisibilityDlg dlg;
    dlg.SetMapSize(1024);
    dlg.CreateVisibilityImage();
    const VisibilityImageRecord* made = ActiveVisibilityImage();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->path, "AREAMAP01.TIF");
    EXPECT_DOUBLE_EQ(made->upperLeft[1], 1000.0);
    EXPECT_EQ(g_bgImage.width, 1024);
    EXPECT_EQ(g_bgImage.isMono, 1);
    EXPECT_EQ(g_bgImage.stride, 128);
    // The observer stands on flat ground: the cell beside it is visible.
    const int i = static_cast<int>(600.0 / 1000 * 1024) + 2, j = static_cast<int>(400.0 / 1000 * 1024);
    EXPECT_EQ(g_bgImage.pixels[j * 128 + i / 8] & (0x80 >> (i % 8)), 0);
    EXPECT_TRUE(dlg.ControlStates().scan);
    EXPECT_FALSE(dlg.ControlStates().outOfRange);
    g_visibilityUseMaxDistance = 1;
    EXPECT_TRUE(dlg.ControlStates().outOfRange);
    g_visibilityMaxDistance = 0.0;
    EXPECT_FALSE(dlg.ControlStates().outOfRange);

    dlg.ClearAll();
    EXPECT_NE(g_bgImage.pixels[j * 128 + i / 8] & (0x80 >> (i % 8)), 0);
    dlg.RunScan(kScanVisible);
    EXPECT_EQ(g_bgImage.pixels[j * 128 + i / 8] & (0x80 >> (i % 8)), 0);

    // A second image would drop the shown one: only when the user agrees.
    uint8_t* const first = g_bgImage.pixels;
    QueueMessageAnswer(msg::kIdNo);
    dlg.CreateVisibilityImage();
    EXPECT_EQ(g_bgImage.pixels, first);
    EXPECT_EQ(ActiveVisibilityImage()->path, "AREAMAP01.TIF");
    ASSERT_FALSE(RecordedMessages().empty());
    QueueMessageAnswer(msg::kIdYes);
    dlg.CreateVisibilityImage();
    EXPECT_EQ(ActiveVisibilityImage()->path, "AREAMAP02.TIF");

    dlg.OnDiscardImage();
    EXPECT_EQ(g_bgImage.loaded, 0);
    EXPECT_EQ(ActiveVisibilityImage(), nullptr);
    EXPECT_EQ(g_visibilityGridValid, 0);
    EXPECT_FALSE(dlg.ControlStates().discard);
}

TEST_F(VisibilityTool, APickedPlaceBecomesTheObserver) {
    CVisibilityDlg dlg;
    g_birdsEyeOn = 0;
    g_bufferMaxX = 200;
    g_bufferMaxY = 200;
    g_viewScale = 1.0;
    EXPECT_EQ(dlg.OnViewClick(0, 150, 40), 0);  // not armed
    dlg.m_pickArmed = true;
    EXPECT_EQ(dlg.OnViewClick(kMouseFlagControl, 150, 40), 0);
    EXPECT_EQ(dlg.OnViewClick(0, 150, 40), 1);
    EXPECT_FALSE(dlg.m_pickArmed);
    const VisibilityObserver& o = g_visibilityObserver;
    EXPECT_DOUBLE_EQ(o.east, 650.0);
    EXPECT_DOUBLE_EQ(o.north, 460.0);
    EXPECT_DOUBLE_EQ(o.eyeElevation, 120.0);
    EXPECT_EQ(o.state, 1);
}
}  // namespace
