#include "analysis/visibility_tool.h"

#include <gtest/gtest.h>

#include "image/image_drawing.h"
#include "image/image_slot.h"
#include "platform/message_box.h"
#include "terrain_grid_tin.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_state.h"

namespace {
class VisibilityTool : public ::testing::Test {
protected:
    void SetUp() override {
        ResetVisibility();
        ResetImageSlots();
        BuildLatticeTin(3, 3, 0.0, 0.0, 500.0, [](double, double) { return 100.0; });
        ClearRecordedMessages();
        g_pointZMax = 100.0;
        g_viewCenterX = 400.0;
        g_viewCenterY = 600.0;
        g_extentCenterX = 500.0;
        g_extentCenterY = 500.0;
    }
    void TearDown() override {
        delete g_visibilityDlg;
        ResetImageSlots();
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
    EXPECT_EQ(g_bgImagePath, "AREAMAP01.TIF");
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][0], 0.0);  // upper left: west, north
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][1], 1000.0);
    EXPECT_DOUBLE_EQ(g_bgImage.corners[3][0], 1000.0);  // lower right: east, south
    EXPECT_DOUBLE_EQ(g_bgImage.corners[3][1], 0.0);
    EXPECT_EQ(g_bgImage.width, 1024);
    EXPECT_EQ(g_bgImage.isMono, 1);
    EXPECT_EQ(g_bgImage.stride, 128);
    EXPECT_EQ(g_bgImage.blendMode, BLEND_OVERWRITE);
    EXPECT_EQ(g_bgImage.colorLow, g_visibilityVisibleColor);
    EXPECT_EQ(g_bgImage.colorHigh, g_visibilityInvisibleColor);
    EXPECT_NE(g_showBackgroundImage, 0);
    EXPECT_EQ(UsedImageSlotCount(), 1);
    EXPECT_TRUE(g_imageSlotHandles[0] == g_bgImageHandle);
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

    // A second image goes in front; the first stays behind it, half transparent.
    uint8_t* const first = g_bgImage.pixels;
    dlg.CreateVisibilityImage();
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_bgImagePath, "AREAMAP02.TIF");
    EXPECT_EQ(g_imageSlotPaths[1], "AREAMAP01.TIF");
    EXPECT_EQ(g_imageSlotHandles[1].Lock(), first);
    EXPECT_EQ(g_imageSlots[1].blendMode, BLEND_HALF_TRANSPARENT);

    // Discarding drops the front image; the one behind becomes the main image again.
    dlg.OnDiscardImage();
    EXPECT_EQ(g_bgImagePath, "AREAMAP01.TIF");
    EXPECT_EQ(g_bgImage.pixels, first);
    EXPECT_EQ(g_bgImage.blendMode, BLEND_OVERWRITE);
    EXPECT_EQ(UsedImageSlotCount(), 1);
    EXPECT_EQ(g_visibilityGridValid, 0);
    EXPECT_TRUE(dlg.ControlStates().discard);
    dlg.OnDiscardImage();
    EXPECT_EQ(g_bgImage.loaded, 0);
    EXPECT_EQ(UsedImageSlotCount(), 0);
    EXPECT_FALSE(dlg.ControlStates().discard);
}

// With all eight slots taken the last image goes only when the user agrees.
TEST_F(VisibilityTool, AnEighthImageIsDroppedOnlyWhenAsked) {
    CVisibilityDlg dlg;
    dlg.SetMapSize(1024);
    for (int k = 0; k < IMAGE_SLOT_COUNT; ++k) dlg.CreateVisibilityImage();
    ASSERT_EQ(UsedImageSlotCount(), IMAGE_SLOT_COUNT);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_EQ(g_imageSlotPaths[7], "AREAMAP01.TIF");

    QueueMessageAnswer(msg::kIdNo);
    dlg.CreateVisibilityImage();
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_bgImagePath, "AREAMAP08.TIF");
    EXPECT_EQ(g_imageSlotPaths[7], "AREAMAP01.TIF");

    QueueMessageAnswer(msg::kIdYes);
    dlg.CreateVisibilityImage();
    EXPECT_EQ(g_bgImagePath, "AREAMAP09.TIF");
    EXPECT_EQ(g_imageSlotPaths[7], "AREAMAP02.TIF");
    EXPECT_EQ(UsedImageSlotCount(), IMAGE_SLOT_COUNT);
}

// No room for the image's pixels: a message, and the previous main image is back.
TEST_F(VisibilityTool, NoRoomForTheImageKeepsThePreviousOne) {
    CVisibilityDlg dlg;
    dlg.SetMapSize(1024);
    dlg.CreateVisibilityImage();
    uint8_t* const first = g_bgImage.pixels;
    g_imageBlockByteLimit = 16;
    dlg.CreateVisibilityImage();
    g_imageBlockByteLimit = 0;
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_bgImage.pixels, first);
    EXPECT_EQ(g_bgImagePath, "AREAMAP01.TIF");
    EXPECT_EQ(UsedImageSlotCount(), 1);
}

// The image lies on the map like any background image: north up, in the visible colour
// within the distance and out of it marked as the image layer marks set bits.
TEST_F(VisibilityTool, TheImageIsDrawnWhereItsCellsLie) {
    DrawBitmapInfo bmi{};
    bmi.header.biSize = 40;
    bmi.header.biWidth = 1024;
    bmi.header.biHeight = 1027;
    bmi.header.biPlanes = 1;
    bmi.header.biBitCount = 8;
    g_drawBitmapInfo = &bmi;
    InitPaletteCanvas(bmi);
    AllocateBackBuffer(200, 200);
    ASSERT_NE(LockBackBuffer(), 0);
    CVisibilityDlg dlg;  // observer at north 400, east 600 (the view centre) on flat ground
    g_bufferMaxX = g_bufferMaxY = 199;
    g_viewCenterX = g_viewCenterY = 500.0;
    g_viewScale = 0.2;
    dlg.SetMapSize(1024);
    g_visibilityVisibleColor = 0x00FFFF;  // yellow (COLORREF)
    dlg.CreateVisibilityImage();
    g_visibilityUseMaxDistance = 1;
    g_visibilityMaxDistance = 200.0;
    dlg.ScanOutOfRange();
    for (int32_t r = 0; r <= g_bufferMaxY; ++r)
        for (int32_t c = 0; c <= g_bufferMaxX; ++c) g_rowTable[r][c] = 0x00123456;
    DrawBackgroundImages();

    struct Case { double north, east; bool visible; };
    const Case cases[] = {
        {400, 600, true}, {250, 600, true}, {400, 750, true},    // within 200 m
        {750, 600, false}, {400, 350, false}, {900, 100, false},  // beyond it
    };
    for (const Case& k : cases) {
        const int32_t c = static_cast<int32_t>((k.east - g_viewCenterY) * g_viewScale + g_bufferMaxX / 2);
        const int32_t r = static_cast<int32_t>((k.north - g_viewCenterX) * g_viewScale + g_bufferMaxY / 2);
        EXPECT_EQ(g_rowTable[r][c], k.visible ? 0x00FFFF00u : 0u) << k.north << " " << k.east;
    }
    FreeRasterBlocks();
    g_drawBitmapInfo = nullptr;
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
