#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/image_slot.h"
#include "image/point_colour_image.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "image_test_support.h"

namespace {

class PointColourImage : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ResetImageSlots();
        g_pointCount = 0;
    }
    void TearDown() override {
        ResetImageSlots();
        g_pointCount = 0;
        g_imageBlockByteLimit = 0;
    }
    // A point at (east, north) in metres named `name`.
    static void Add(double east, double north, const char* name, int16_t invalid = 0) {
        EnsurePointCapacity(g_pointCount + 1);
        RandomPoint& p = g_points[++g_pointCount];
        p = RandomPoint{};
        p.x = north;
        p.y = east;
        p.invalid = invalid;
        std::strncpy(p.name, name, sizeof p.name - 1);
        SetPointEndMarker();
    }
    static uint32_t Px(int c, int r) {
        return reinterpret_cast<const uint32_t*>(g_bgImage.pixels)[static_cast<size_t>(r) * g_bgImage.width + c];
    }
};

constexpr uint32_t kBack = 0x102030;

TEST_F(PointColourImage, CornerPointsLandOnTheCornerPixelsAndNoPassLeavesTheBackground) {
    Add(100, 200, "#FF0000");
    Add(110, 210, "#00FF00");
    Add(105, 205, "#0000FF", 1);  // invalid: left out with validOnly
    ASSERT_EQ(RenderPointColorsToImage(16, 8, 0, 1, 1, kBack), POINT_COLOUR_IMAGE_DONE);
    EXPECT_EQ(Px(0, 0), 0xFF0000u | COLOUR_SET_MARK);
    EXPECT_EQ(Px(15, 7), 0x00FF00u | COLOUR_SET_MARK);
    int background = 0;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 16; ++c) background += Px(c, r) == kBack;
    EXPECT_EQ(background, 16 * 8 - 2);
    EXPECT_EQ(g_bgImage.stride, 64);
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][0], 100);  // UL (min east, max north)
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][1], 210);
    EXPECT_DOUBLE_EQ(g_bgImage.edgeLengths[0], 10);
    EXPECT_EQ(g_bgImage.blendMode, BLEND_OVERWRITE);
    // Counted in, the invalid point lands in the middle.
    ASSERT_EQ(RenderPointColorsToImage(16, 8, 0, 1, 0, kBack), POINT_COLOUR_IMAGE_DONE);
    EXPECT_EQ(Px(7, 3), 0x0000FFu | COLOUR_SET_MARK);
}

TEST_F(PointColourImage, SimpleFillGrowsADiamondAndSouthWins) {
    Add(0, 0, "#000001");
    Add(40, 40, "#000002");
    Add(20, 20, "#0000AA");  // pixel (20, 20) of 41 x 41 after truncation
    ASSERT_EQ(RenderPointColorsToImage(41, 41, 5, 1, 0, kBack), POINT_COLOUR_IMAGE_DONE);
    for (int r = 10; r <= 30; ++r)
        for (int c = 10; c <= 30; ++c) {
            const bool inside = std::abs(c - 20) + std::abs(r - 20) <= 5;
            EXPECT_EQ(Px(c, r) == (0x0000AAu | COLOUR_SET_MARK), inside) << c << "," << r;
        }

    // Two colours one pixel apart vertically: the gap takes the southern one.
    ResetImageSlots();
    g_pointCount = 0;
    Add(0, 0, "#111111");
    Add(10, 10, "#222222");
    Add(5, 4, "#0000BB");  // south
    Add(5, 6, "#0000CC");  // north
    ASSERT_EQ(RenderPointColorsToImage(11, 11, 1, 1, 0, kBack), POINT_COLOUR_IMAGE_DONE);
    EXPECT_EQ(Px(5, 4) & 0xFFFFFF, 0x0000BBu);
    EXPECT_EQ(Px(5, 6) & 0xFFFFFF, 0x0000CCu);
    EXPECT_EQ(Px(5, 5) & 0xFFFFFF, 0x0000BBu);
}

TEST_F(PointColourImage, BlendingTakesTheNeighbourColourAtWeightPointThreeFiveAndKeepsPlottedPixels) {
    Add(0, 0, "#000001");
    Add(20, 20, "#000002");
    Add(10, 10, "#C86432");
    ASSERT_EQ(RenderPointColorsToImage(21, 21, 1, 0, 0, kBack), POINT_COLOUR_IMAGE_DONE);
    const uint32_t centre = Px(10, 10);
    EXPECT_EQ(centre, 0xC86432u | COLOUR_SET_MARK);
    for (auto [c, r] : {std::pair{9, 10}, {11, 10}, {10, 9}, {10, 11}}) {
        const uint32_t p = Px(c, r);
        EXPECT_EQ(p >> 24, 0u);
        // The background had weight 0: the neighbour's colour, within float rounding.
        EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0xC8, 1);
        EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x64, 1);
        EXPECT_NEAR(static_cast<int>(p & 0xFF), 0x32, 1);
    }
    EXPECT_EQ(Px(9, 9), kBack);  // diagonal: untouched after one pass
}

TEST_F(PointColourImage, FailuresKeepTheOldPicture) {
    g_bgImageHandle = AllocImageBlock(16);
    SetActiveImageBlock(g_bgImageHandle);
    g_bgImage.width = 2;
    g_bgImagePath = "old.bmp";
    // No "#" point, and a single one: nothing to span.
    Add(0, 0, "P1");
    EXPECT_EQ(RenderPointColorsToImage(8, 8, 0, 1, 0, kBack), POINT_COLOUR_IMAGE_NO_POINTS);
    Add(5, 5, "#FFFFFF");
    EXPECT_EQ(RenderPointColorsToImage(8, 8, 0, 1, 0, kBack), POINT_COLOUR_IMAGE_NO_POINTS);
    Add(6, 5.0005, "#FFFFFF");  // under a millimetre in north
    EXPECT_EQ(RenderPointColorsToImage(8, 8, 0, 1, 0, kBack), POINT_COLOUR_IMAGE_NO_POINTS);
    Add(9, 9, "#FFFFFF");
    g_imageBlockByteLimit = 1000;
    EXPECT_EQ(RenderPointColorsToImage(64, 64, 0, 1, 0, kBack), POINT_COLOUR_IMAGE_NO_MEMORY);
    EXPECT_FALSE(g_bgImageHandle.Empty());
    EXPECT_EQ(g_bgImage.width, 2);
    EXPECT_EQ(g_bgImagePath, "old.bmp");
}

TEST_F(PointColourImage, EscStopsThePassesAndStillGivesAPicture) {
    Add(0, 0, "#000001");
    Add(20, 20, "#000002");
    Add(10, 10, "#0000AA");
    int polled = 0;
    PointColourImageHooks hooks;
    hooks.stopRequested = [&] { return ++polled > 2; };
    ASSERT_EQ(RenderPointColorsToImage(21, 21, 10, 1, 0, kBack, hooks), POINT_COLOUR_IMAGE_DONE);
    EXPECT_EQ(Px(10, 8) & 0xFFFFFF, 0x0000AAu);  // two passes
    EXPECT_EQ(Px(10, 7), kBack);
}

TEST_F(PointColourImage, DialogPassCountField) {
    struct Case {
        const char* text;
        int32_t old, expected;
    };
    const Case cases[] = {{"7", 12, 7},    {"", 12, 12},   {"  ", 30, 30}, {"-3", 12, 0},
                          {"513", 12, 512}, {"99999999999", 12, 512}, {" 40x", 12, 40}, {"x", 12, 0}};
    for (const Case& k : cases) EXPECT_EQ(PointColourFillPasses(k.text, k.old), k.expected) << k.text;
}

TEST_F(PointColourImage, DialogCreateAndSave) {
    ClearRecordedMessages();
    ClearRecordedFileDialogs();
    PointColourDialogState state;
    OpenPointColourDialog(state);
    EXPECT_FALSE(state.saveEnabled);
    EXPECT_EQ(OnPointColourCreate(state), POINT_COLOUR_IMAGE_NO_POINTS);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "No Colore Pixel");
    EXPECT_FALSE(state.saveEnabled);

    Add(0, 0, "#FF0000");
    Add(10, 10, "#0000FF");
    state.sizeIndex = 0;
    state.fillPasses = -5;  // clamped
    ASSERT_EQ(OnPointColourCreate(state), POINT_COLOUR_IMAGE_DONE);
    EXPECT_EQ(state.fillPasses, 0);
    EXPECT_EQ(g_bgImage.width, 2048);
    EXPECT_TRUE(state.saveEnabled);
    EXPECT_EQ(state.status, "Complete!");

    // The writer follows the extension in any case; others are refused with a message.
    imagetest::ScratchDir dir;
    const std::string tif = (dir / "colours.Tif").string();
    QueueFileDialogAnswer(tif);
    EXPECT_TRUE(OnPointColourSaveImage(state));
    EXPECT_EQ(RecordedFileDialogs().back().defaultExtension, "BMP");
    EXPECT_EQ(g_bgImagePath, tif);
    std::FILE* f = std::fopen(tif.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char magic[2] = {};
    EXPECT_EQ(std::fread(magic, 1, 2, f), 2u);
    std::fclose(f);
    EXPECT_EQ(magic[0], 'I');
    ClearRecordedMessages();
    QueueFileDialogAnswer((dir / "colours.png").string());
    EXPECT_FALSE(OnPointColourSaveImage(state));
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_bgImagePath, tif);
}

}  // namespace
