#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "image/dxf_to_image.h"
#include "image/image_slot.h"
#include "platform/message_box.h"
#include "platform/system_text.h"
#include "view/display_flags.h"
#include "view/stroke_font.h"
#include "view/view_state.h"

namespace {

struct El {
    uint8_t pen;
    double north, east;
    int32_t colour = 7;
    const char* text = "";
    double height = 0;
};

class DxfToImage : public ::testing::Test {
protected:
    void SetUp() override {
        ResetImageSlots();
        GrowDxfElementBlock(0);
        g_dxfElementCount = 0;
        g_dxfImageSizeIndex = 0;
        g_dxfImageThickLines = 0;
        g_dxfImageBackColour = 0x123456;
        g_showHiddenDxfLayers = 0;
        g_dxfRegistration = DxfRegistration{};
        g_extentCenterX = 5000;  // north
        g_extentCenterY = 2000;  // east
        g_extentSize = 100;      // 20 pixels per metre at 2000
        ClearRecordedSystemTexts();
    }
    void TearDown() override {
        ResetImageSlots();
        GrowDxfElementBlock(0);
        g_dxfElementCount = 0;
        g_imageBlockByteLimit = 0;
    }
    static void Store(const std::vector<El>& els) {
        ASSERT_EQ(GrowDxfElementBlock(static_cast<int32_t>(els.size()) + 1), 0);
        DxfElement* d = g_dxfElementsBlock.Data();
        for (size_t i = 0; i < els.size(); ++i) {
            DxfElement& e = d[i + 1];
            e = DxfElement{};
            e.pen = els[i].pen;
            e.x = els[i].north;
            e.y = els[i].east;
            e.colour = els[i].colour;
            e.textHeight = els[i].height;
            std::strncpy(e.text, els[i].text, sizeof e.text - 1);
        }
        g_dxfElementCount = static_cast<int32_t>(els.size());
    }
    static uint8_t Px(int col, int row) {
        return g_bgImage.pixels[static_cast<size_t>(row) * g_bgImage.stride + col];
    }
    static bool Bit(int col, int row) {
        return (g_bgImage.pixels[static_cast<size_t>(row) * g_bgImage.stride + col / 8] >> (7 - col % 8)) & 1;
    }
    static int CountNot(uint8_t value) {
        int n = 0;
        for (int r = 0; r < g_bgImage.height; ++r)
            for (int c = 0; c < g_bgImage.width; ++c) n += Px(c, r) != value;
        return n;
    }
};

TEST_F(DxfToImage, APointAtTheExtentCentreLandsOnPixelThousandAndThePictureCoversTheSquare) {
    Store({{DXF_PEN_POINT, 5000, 2000, -3}, {DXF_PEN_POINT, 5000.5, 2000.25, 12}});
    g_showHiddenDxfLayers = 1;
    ASSERT_EQ(RasterizeDxfToImage(), DxfToImageResult::kDone);
    EXPECT_EQ(g_dxfElementsBlock.Data()[1].screenX, 1000);
    EXPECT_EQ(g_dxfElementsBlock.Data()[1].screenY, 1000);
    EXPECT_EQ(g_dxfElementsBlock.Data()[2].screenX, 1005);
    EXPECT_EQ(g_dxfElementsBlock.Data()[2].screenY, 1010);
    EXPECT_EQ(g_bgImage.width, 2000);
    EXPECT_EQ(g_bgImage.stride, 2000);
    EXPECT_EQ(g_bgImage.isIndexed8, 1);
    EXPECT_EQ(g_bgImageHandle.Size(), 2000u * 2000u + 8192u);
    EXPECT_EQ(g_bgImagePalette[80], 0x123456u);
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][0], 1950);  // UL east
    EXPECT_DOUBLE_EQ(g_bgImage.corners[0][1], 5050);  // UL north
    EXPECT_DOUBLE_EQ(g_bgImage.corners[3][0], 2050);  // LR east
    EXPECT_DOUBLE_EQ(g_bgImage.corners[3][1], 4950);
    // Two plus marks of five pixels, the first in index 63 (colour -3 shown), the second 72.
    for (auto [c, r] : {std::pair{999, 1000}, {1000, 1000}, {1001, 1000}, {1000, 999}, {1000, 1001}})
        EXPECT_EQ(Px(c, r), 63);
    EXPECT_EQ(Px(1005, 1010), 72);
    EXPECT_EQ(Px(999, 999), 0x50);
    EXPECT_EQ(CountNot(0x50), 10);
}

TEST_F(DxfToImage, AHiddenSegmentLeavesThePenWhereTheLastDrawnOneEnded) {
    // Move to A, draw to B, hidden draw to C, draw to D: the last line runs B-D.
    Store({{DXF_PEN_MOVE, 5000, 1990}, {DXF_PEN_DRAW, 5000, 1995}, {DXF_PEN_DRAW, 5010, 1995, -1},
           {DXF_PEN_DRAW, 5000, 2005, 1}});
    ASSERT_EQ(RasterizeDxfToImage(), DxfToImageResult::kDone);
    // Row 1000 from column 800 (A) through 900 (B) to 1100 (D).
    for (int c = 800; c <= 1100; ++c) ASSERT_NE(Px(c, 1000), 0x50) << c;
    EXPECT_EQ(Px(850, 1000), 67);
    EXPECT_EQ(Px(1000, 1000), 61);
    EXPECT_EQ(Px(900, 1100), 0x50);  // on the hidden B-C line
    EXPECT_EQ(CountNot(0x50), 301);
}

TEST_F(DxfToImage, ThickLinesAreAPlusOfFiveAndEachIsClippedOnItsOwn) {
    g_dxfImageThickLines = 1;
    // Along the top clip row 1998 and on to the right, beyond the picture.
    Store({{DXF_PEN_MOVE, 5049.9, 2000}, {DXF_PEN_DRAW, 5049.9, 2060}});
    ASSERT_EQ(RasterizeDxfToImage(), DxfToImageResult::kDone);
    const int row = g_dxfElementsBlock.Data()[1].screenY;
    ASSERT_EQ(row, 1998);
    EXPECT_NE(Px(1000, 1998), 0x50);
    EXPECT_NE(Px(1000, 1997), 0x50);  // the line shifted down
    EXPECT_EQ(Px(1000, 1999), 0x50);  // the one shifted up lies past the clip row
    EXPECT_NE(Px(999, 1998), 0x50);   // shifted left starts one column earlier
    EXPECT_EQ(Px(998, 1998), 0x50);
    EXPECT_EQ(Px(1999, 1998), 0x50);  // the last column is never drawn
    EXPECT_NE(Px(1998, 1998), 0x50);
}

TEST_F(DxfToImage, SegmentsAreClippedAndDrawnWithinHalfAPixelOfTheTrueLine) {
    struct Case {
        int x0, y0, x1, y1;
    } cases[] = {{-5, 3, 20, 3}, {2, -10, 2, 30}, {-7, -3, 25, 13}, {17, 1, 1, 17},
                 {3, 3, 3, 3},   {30, 30, 40, 35}, {-20, 10, -1, 2}, {0, 0, 14, 14}};
    constexpr int kSize = 16;
    for (const Case& k : cases) {
        std::vector<uint8_t> bits(kSize * kSize, 0);
        DxfRasterCanvas c{bits.data(), kSize, kSize, false, 9, 9};
        DrawImageLine(c, k.x0, k.y0, k.x1, k.y1);
        const double dx = k.x1 - k.x0, dy = k.y1 - k.y0, len = std::hypot(dx, dy);
        const double major = std::max(std::abs(dx), std::abs(dy));
        int inside = 0;
        for (int r = 0; r < kSize; ++r)
            for (int col = 0; col < kSize; ++col) {
                if (!bits[r * kSize + col]) continue;
                EXPECT_LE(col, kSize - 2);
                EXPECT_LE(r, kSize - 2);
                if (len > 0) {
                    // Distance measured along the minor axis stays under one pixel.
                    const double across = std::abs((col - k.x0) * dy - (r - k.y0) * dx) / major;
                    EXPECT_LT(across, 1.0) << k.x0 << "," << k.y0 << " " << col << "," << r;
                }
                ++inside;
            }
        // Every column (or row) of the major axis that lies within the clip window is hit.
        int expected = 0;
        for (int t = 0; t <= static_cast<int>(major); ++t) {
            const double f = major > 0 ? t / major : 0;
            const double x = k.x0 + f * dx, y = k.y0 + f * dy;
            if (x >= -0.01 && x <= kSize - 2 + 0.01 && y >= -0.01 && y <= kSize - 2 + 0.01) ++expected;
        }
        EXPECT_NEAR(inside, expected, 1) << k.x0 << "," << k.y0 << "-" << k.x1 << "," << k.y1;
    }
}

TEST_F(DxfToImage, MarksNearTheBorderAreDroppedWhole) {
    std::vector<uint8_t> bits(10 * 10, 0);
    DxfRasterCanvas c{bits.data(), 10, 10, false, 1, 5};
    for (auto [col, row] : {std::pair{0, 4}, {8, 4}, {4, 0}, {4, 8}}) PlotImageDot(c, col, row);
    EXPECT_EQ(std::count(bits.begin(), bits.end(), 0), 100);
    PlotImageDot(c, 7, 7);
    EXPECT_EQ(std::count(bits.begin(), bits.end(), 5), 5);
    EXPECT_EQ(bits[8 * 10 + 7], 5);
}

TEST_F(DxfToImage, ABlackAndWhitePictureEndsWithSetBackgroundAndClearLines) {
    g_dxfImageSizeIndex = 3;
    Store({{DXF_PEN_MOVE, 5000, 1990}, {DXF_PEN_DRAW, 5000, 2010}});
    ASSERT_EQ(RasterizeDxfToImage(), DxfToImageResult::kDone);
    InvertMonoImage();
    EXPECT_EQ(g_bgImage.isMono, 1);
    EXPECT_EQ(g_bgImage.stride, 2000);
    EXPECT_EQ(g_bgImageHandle.Size(), 32'000'000u + 4096u);
    // 160 pixels per metre: columns 6400..9600 of row 8000.
    EXPECT_FALSE(Bit(6400, 8000));
    EXPECT_FALSE(Bit(9600, 8000));
    EXPECT_TRUE(Bit(6399, 8000));
    EXPECT_TRUE(Bit(8000, 8001));
    EXPECT_TRUE(Bit(15999, 15999));
}

TEST_F(DxfToImage, WithoutMemoryForTheNewPictureTheOldOneStays) {
    g_bgImageHandle = AllocImageBlock(64);
    SetActiveImageBlock(g_bgImageHandle);
    g_bgImage.width = 8;
    g_bgImage.loaded = 1;
    g_bgImage.pixels[3] = 77;
    Store({{DXF_PEN_POINT, 5000, 2000}});
    g_imageBlockByteLimit = 1'000'000;
    EXPECT_EQ(RasterizeDxfToImage(), DxfToImageResult::kNoMemory);
    EXPECT_EQ(g_bgImage.width, 8);
    EXPECT_EQ(g_bgImage.loaded, 1);
    ASSERT_FALSE(g_bgImageHandle.Empty());
    EXPECT_EQ(g_bgImage.pixels[3], 77);
    EXPECT_EQ(g_dxfElementsBlock.Data()[1].screenX, 0);  // nothing touched

    g_dxfElementCount = 0;  // an empty store changes nothing either
    g_imageBlockByteLimit = 0;
    EXPECT_EQ(RasterizeDxfToImage(), DxfToImageResult::kNothing);
    EXPECT_EQ(g_bgImage.width, 8);
}

TEST_F(DxfToImage, RunningTheDialogWithoutMemoryTellsTheUserAndKeepsTheSettings) {
    Store({{DXF_PEN_POINT, 5000, 2000}});
    g_imageBlockByteLimit = 1'000'000;
    ClearRecordedMessages();
    DxfToImageDialogState state;
    OpenDxfToImageDialog(state);
    EXPECT_TRUE(state.warning.empty());
    state.sizeIndex = 2;
    state.thickLines = 1;
    EXPECT_EQ(OnDxfToImageRun(state), DxfToImageResult::kNoMemory);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(g_dxfImageSizeIndex, 2);
    EXPECT_EQ(g_dxfImageThickLines, 1);
    EXPECT_TRUE(g_bgImageHandle.Empty());
}

TEST_F(DxfToImage, DoubleByteTextGoesWholeToTheSystemFontAndHalfWidthTextToTheStrokeFont) {
    LoadStrokeFontFrom("/nonexistent");  // the built-in glyphs
    // "測点A" followed by a line end, and "あ" ending the text.
    Store({{DXF_PEN_TEXT, 5000, 2000, 7, "\x91\xAA\x93\x5F" "A\r", 2},
           {DXF_PEN_TEXT, 5010, 2000, 7, "B\x82\xA0", 2},
           {DXF_PEN_TEXT, 4990, 1990, 2, "AB", 2}});
    ASSERT_EQ(RasterizeDxfToImage(), DxfToImageResult::kDone);
    const auto& drawn = RecordedSystemTexts();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].text, "\x91\xAA\x93\x5F" "A");
    EXPECT_EQ(drawn[1].text, "B\x82\xA0");
    // The stroke text: two cells of 2 m (40 pixels) from column 800, row 800, colour 62.
    int lit = 0, minCol = 1 << 30, maxCol = -1;
    for (int r = 790; r < 860; ++r)
        for (int c = 780; c < 900; ++c)
            if (Px(c, r) == 62) {
                ++lit;
                minCol = std::min(minCol, c);
                maxCol = std::max(maxCol, c);
            }
    EXPECT_GT(lit, 40);
    EXPECT_GE(minCol, 800);
    EXPECT_GT(maxCol, 840);  // the second cell starts one height along
    EXPECT_LT(maxCol, 880);
}

}  // namespace
