#include <gtest/gtest.h>

#include <string>

#include "image/image_slot.h"
#include "view/palette.h"

namespace {

class ImageSlots : public ::testing::Test {
protected:
    void SetUp() override {
        ResetImageSlots();
        m_savedInfo = g_drawBitmapInfo;
        m_info = DrawBitmapInfo{};
        g_drawBitmapInfo = &m_info;
    }
    void TearDown() override {
        ResetImageSlots();
        g_drawBitmapInfo = m_savedInfo;
        g_closeImageListWindow = nullptr;
    }

    // What a reader leaves in the active image: a block, a size, a path; `tag` tells the
    // images apart (it is the width and the first pixel byte).
    static void LoadActive(int32_t tag, int32_t blendMode = BLEND_OVERWRITE) {
        g_bgImage = ImageSlot{};
        SetActiveImageBlock(AllocImageBlock(64));
        g_bgImageHandle.Lock()[0] = static_cast<uint8_t>(tag);
        g_bgImage.width = tag;
        g_bgImage.height = 1;
        g_bgImage.loaded = 1;
        g_bgImage.blendMode = blendMode;
        g_bgImage.colorLow = 0x000000FFu + static_cast<uint32_t>(tag);
        g_bgImagePath = "/data/img" + std::to_string(tag) + ".bmp";
    }
    static void AddImage(int32_t tag, int32_t blendMode = BLEND_OVERWRITE) {
        SaveMainImageSlot();
        LoadActive(tag, blendMode);
        AddImageToSlots();
    }
    // The tags of the slots in use, slot 0 first.
    static std::string Tags() {
        std::string s;
        for (int32_t k = 0; k < UsedImageSlotCount(); ++k) {
            EXPECT_EQ(g_imageSlots[k].width, g_imageSlotHandles[k].Lock()[0]) << "slot " << k;
            s += std::to_string(g_imageSlots[k].width) + " ";
        }
        return s;
    }
    static void ExpectActiveIsSlot0() {
        EXPECT_TRUE(g_bgImageHandle == g_imageSlotHandles[0]);
        EXPECT_EQ(g_bgImage.width, g_imageSlots[0].width);
        EXPECT_EQ(g_bgImagePath, g_imageSlotPaths[0]);
        EXPECT_EQ(g_bgImage.pixels, g_bgImageHandle.Lock());
    }

    DrawBitmapInfo m_info{};
    DrawBitmapInfo* m_savedInfo = nullptr;
};

TEST_F(ImageSlots, ANinthImageTakesSlotSevenAndTheMainImageStays) {
    for (int32_t tag = 1; tag <= 8; ++tag) AddImage(tag);
    EXPECT_EQ(Tags(), "1 2 3 4 5 6 7 8 ");
    AddImage(9);
    EXPECT_EQ(Tags(), "1 2 3 4 5 6 7 9 ");
    ExpectActiveIsSlot0();
    EXPECT_EQ(g_bgImage.width, 1);
}

TEST_F(ImageSlots, DeletingTheMainImagePromotesTheSecond) {
    struct Case {
        int32_t secondMode, wantMode;
    } cases[] = {{BLEND_HALF_TRANSPARENT, BLEND_OVERWRITE}, {BLEND_WHITE_LINES, BLEND_OVERWRITE}, {BLEND_HIDDEN, BLEND_HIDDEN}};
    for (const Case& c : cases) {
        ResetImageSlots();
        AddImage(1);
        AddImage(2, c.secondMode);
        AddImage(3);
        m_info.colors[80] = RgbQuad{};
        DeleteImageSlot(0);
        EXPECT_EQ(Tags(), "2 3 ");
        EXPECT_EQ(g_imageSlots[0].blendMode, c.wantMode);
        ExpectActiveIsSlot0();
        EXPECT_TRUE(g_imageSlotHandles[7].Empty());
        // Its colours reach the drawing palette (red and blue exchanged).
        EXPECT_EQ(m_info.colors[80].red, (0xFF + 2) & 0xFF);
        EXPECT_EQ(m_info.colors[80].green, 0x01);
    }
}

TEST_F(ImageSlots, DeletingTheOnlyImageLeavesNoBlockAnywhere) {
    AddImage(1);
    DeleteImageSlot(0);
    EXPECT_EQ(UsedImageSlotCount(), 0);
    EXPECT_TRUE(g_bgImageHandle.Empty());
    EXPECT_EQ(g_bgImage.pixels, nullptr);
    EXPECT_EQ(g_bgImage.loaded, 0);
}

TEST_F(ImageSlots, DeletingAMiddleSlotClosesTheGap) {
    for (int32_t tag = 1; tag <= 8; ++tag) AddImage(tag);
    DeleteImageSlot(3);
    EXPECT_EQ(Tags(), "1 2 3 5 6 7 8 ");
    DeleteImageSlot(6);
    EXPECT_EQ(Tags(), "1 2 3 5 6 7 ");
    ExpectActiveIsSlot0();
}

TEST_F(ImageSlots, StateClicksCycleTheBlendLabels) {
    for (int32_t tag = 1; tag <= 4; ++tag) AddImage(tag);
    for (int i = 0; i < 3; ++i) {
        CycleSlotBlendMode(0);
        EXPECT_EQ(MakeImageListTexts().state[0], "主画像");
    }
    const char* want[] = {"白線合成", "半透明", "非表示", "上書", "黒線合成", "白線合成"};
    CycleSlotBlendMode(3);  // 1 -> 2
    EXPECT_EQ(MakeImageListTexts().state[3], "黒線合成");
    for (const char* label : want) {
        CycleSlotBlendMode(3);
        EXPECT_EQ(MakeImageListTexts().state[3], label);
    }
    // A hidden main image is listed as hidden.
    g_imageSlots[0].blendMode = 0;
    EXPECT_EQ(MakeImageListTexts().state[0], "非表示");
    CycleSlotBlendMode(6);  // not in use: nothing
    EXPECT_EQ(UsedImageSlotCount(), 4);
}

TEST_F(ImageSlots, MakingSlotTwoMainExchangesItWithSlotZero) {
    for (int32_t tag = 1; tag <= 4; ++tag) AddImage(tag, BLEND_BLACK_LINES);
    MakeSlotMainImage(2);
    EXPECT_EQ(Tags(), "3 2 1 4 ");
    EXPECT_EQ(g_imageSlots[0].blendMode, BLEND_OVERWRITE);
    EXPECT_EQ(g_imageSlotPaths[2], "/data/img1.bmp");
    ExpectActiveIsSlot0();
}

TEST_F(ImageSlots, AnInsertedImageBecomesMainInFrontOfTheOthers) {
    for (int32_t tag = 1; tag <= 8; ++tag) AddImage(tag, tag == 3 ? BLEND_HIDDEN : BLEND_OVERWRITE);
    SaveMainImageSlot();
    LoadActive(20);
    InsertMainImage(0x00112233, 0x00445566);
    EXPECT_EQ(Tags(), "20 1 2 3 4 5 6 7 ");
    EXPECT_EQ(g_imageSlots[1].blendMode, BLEND_HALF_TRANSPARENT);
    EXPECT_EQ(g_imageSlots[3].blendMode, BLEND_HIDDEN);
    EXPECT_EQ(g_imageSlots[0].colorLow, 0x00112233u);
    EXPECT_EQ(m_info.colors[80].red, 0x33);
    EXPECT_EQ(m_info.colors[80].blue, 0x11);
    EXPECT_EQ(m_info.colors[240].green, 0x55);
    ExpectActiveIsSlot0();
}

TEST_F(ImageSlots, FreeingTheSlotsKeepsTheMainBlock) {
    static int closed = 0;
    closed = 0;
    g_closeImageListWindow = [] { ++closed; };
    for (int32_t tag = 1; tag <= 3; ++tag) AddImage(tag);
    const ImageHandle main = g_bgImageHandle;
    FreeImageSlots();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(UsedImageSlotCount(), 0);
    EXPECT_TRUE(g_bgImageHandle == main);
    EXPECT_EQ(g_bgImageHandle.Lock()[0], 1);  // still readable
    EXPECT_EQ(g_imageSlots[0].width, 0);
}

TEST_F(ImageSlots, ListTextsAndUnusedSlotColours) {
    AddImage(1);
    g_bgImage.isMono = 1;
    g_bgImage.width = 1;
    g_bgImage.height = 12345;
    g_bgImage.colorLow = 0x0A0B0C;
    g_bgImage.colorHigh = 0x0D0E0F;
    SaveMainImageSlot();
    g_imageBrightness = 35;
    ShareMainImageColors();
    EXPECT_EQ(g_imageSlots[5].colorHigh, 0x0D0E0Fu);
    const ImageListTexts t = MakeImageListTexts();
    EXPECT_EQ(t.number[0], "  1 ");
    EXPECT_EQ(t.name[0], "img1.bmp");
    EXPECT_EQ(t.size[0], "    1×12345 × 1");
    EXPECT_EQ(t.state[1], "");
    EXPECT_EQ(t.size[1], "");
    EXPECT_EQ(t.brightness, " 35");
}

TEST_F(ImageSlots, PaletteEntriesFollowTheImageKind) {
    AddImage(1);
    g_bgImage.isMono = 1;
    RebuildImagePalette();
    EXPECT_EQ(m_info.colors[80].green, 128);
    EXPECT_EQ(m_info.colors[240].green, 0);
    g_bgImage.isMono = 0;
    RebuildImagePalette();
    EXPECT_EQ(m_info.colors[80].green, 0);
    EXPECT_EQ(m_info.colors[240].red, 128);
}

TEST(ImageRowStrideRule, ByKindWithMonoFirst) {
    struct Case {
        int32_t width, mono, indexed, stride;
    } cases[] = {{1, 1, 0, 4}, {33, 1, 0, 8}, {32, 1, 1, 4}, {5, 0, 1, 8}, {8, 0, 1, 8}, {3, 0, 0, 12}};
    for (const Case& c : cases) {
        ImageSlot s{};
        s.width = c.width;
        s.isMono = c.mono;
        s.isIndexed8 = c.indexed;
        EXPECT_EQ(ImageRowStride(s), c.stride) << c.width << ' ' << c.mono << ' ' << c.indexed;
    }
}

}  // namespace
