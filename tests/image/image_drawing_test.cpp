// Drawing background images into the view's buffer: hand-computed small buffers for the
// row path, the blend rules on both paths, slot order, 1-bit colours, the on-the-fly
// placement, brightness, and the projective path checked against the mapping's own
// ground-to-image routine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "image/image_drawing.h"
#include "image/image_mapping.h"
#include "image/image_slot.h"
#include "view/back_buffer.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {

constexpr uint32_t kBack = 0x00123456;

// A small buffer of its own: bottom-up rows of (maxX + 1) pixels.
struct Canvas {
    int32_t maxX, maxY;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t*> rows;
    Canvas(int32_t w, int32_t h, uint32_t fill = kBack) : maxX(w - 1), maxY(h - 1), pixels(size_t(w) * h, fill) {
        for (int32_t r = 0; r < h; ++r) rows.push_back(&pixels[size_t(r) * w]);
    }
    uint32_t At(int32_t col, int32_t row) const { return rows[row][col]; }
    ImageDrawTarget Target(double cE = 0, double cN = 0, double scale = 1) const {
        return {rows.data(), maxX, maxY, cE, cN, scale};
    }
};

// A 32-bit image with its pixels kept here; `texel(col, row)` gives each pixel.
struct TestImage {
    ImageSlot slot{};
    std::vector<uint8_t> bytes;
    template <typename F>
    TestImage(int32_t w, int32_t h, F texel) {
        slot.width = w;
        slot.height = h;
        slot.stride = w * 4;
        bytes.resize(size_t(w) * h * 4);
        for (int32_t r = 0; r < h; ++r)
            for (int32_t c = 0; c < w; ++c) {
                const uint32_t v = texel(c, r);
                std::memcpy(&bytes[(size_t(r) * w + c) * 4], &v, 4);
            }
        slot.pixels = bytes.data();
        slot.loaded = 1;
        slot.blendMode = BLEND_OVERWRITE;
    }
    // Axis-parallel placement west..east, south..north.
    void Place(double west, double south, double east, double north) {
        const double c[4][2] = {{west, north}, {east, north}, {west, south}, {east, south}};
        Corners(c, 1);
    }
    void Corners(const double c[4][2], int32_t known) {
        std::memcpy(slot.corners, c, sizeof slot.corners);
        for (int i = 0; i < 4; ++i) {
            std::memcpy(slot.pairGround[i], c[i], sizeof c[i]);
        }
        ComputeImageEdgeLengths(slot);
        slot.positionKnown = 1;
        SetupImageMapping(slot);
        slot.positionKnown = known;
    }
};

uint32_t Id(int32_t c, int32_t r) { return uint32_t(c) | uint32_t(r) << 8 | 0x00AA0000u; }

}  // namespace

// An 8 x 8 view at scale 1 spans 6 m (its integer half-sides are 3 pixels) over all eight
// columns, so a 4 x 4 image placed on those 6 m gives each texel a 2 x 2 block.
TEST(ImageDrawingRows, HandComputedBlocks) {
    Canvas canvas(8, 8);
    TestImage image(4, 4, Id);
    image.Place(-3, -3, 3, 3);
    DrawImageByRows(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0});
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) EXPECT_EQ(canvas.At(c, r), Id(c / 2, r / 2)) << c << "," << r;
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[0], -3);
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[1], 3);
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[2], 3);
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[3], -3);
}

// An image over the middle of the view leaves the other pixels, first and last column too.
TEST(ImageDrawingRows, PartialCoverLeavesTheRest) {
    Canvas canvas(8, 8);
    TestImage image(2, 2, Id);
    image.Place(-1.5, -1.5, 1.5, 1.5);  // columns and rows 2..5
    DrawImageByRows(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0});
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) {
            const bool in = c >= 2 && c <= 5 && r >= 2 && r <= 5;
            EXPECT_EQ(canvas.At(c, r), in ? Id((c - 2) / 2, (r - 2) / 2) : kBack) << c << "," << r;
        }
}

// The blend rules; half-transparent differs between rows wholly inside the image (exact
// average) and the others (each channel's low bit dropped).
TEST(ImageDrawingRows, BlendRulesOnBothPaths) {
    struct Case {
        int32_t mode;
        uint32_t p, c, inside, other;
    } cases[] = {
        {BLEND_OVERWRITE, 0xFFFFFF, 0x102030, 0x102030, 0x102030},
        {BLEND_BLACK_LINES, 0xFFFFFF, 0x102030, 0x102030, 0x102030},  // dark lines stay over white
        {BLEND_BLACK_LINES, 0xF0F0F0, 0x0F0FFF, 0x0000F0, 0x0000F0},
        {BLEND_WHITE_LINES, 0x000000, 0xE0D0C0, 0xE0D0C0, 0xE0D0C0},  // light lines stay over black
        {BLEND_HALF_TRANSPARENT, 0xFFFFFF, 0x000000, 0x7F7F7F, 0x7F7F7F},
        {BLEND_HALF_TRANSPARENT, 0x0000FF, 0x000001, 0x000080, 0x00007F},
    };
    for (const Case& k : cases) {
        // Inside: the image reaches well beyond the view.
        Canvas inside(4, 4, k.p);
        TestImage big(16, 16, [&](int32_t, int32_t) { return k.c; });
        big.Place(-20, -20, 20, 20);
        DrawImageByRows(big.slot, k.mode, inside.Target(), {0, 0});
        EXPECT_EQ(inside.At(1, 1), k.inside) << "mode " << k.mode;
        // Other rows: the image ends inside the view.
        Canvas other(8, 8, k.p);
        TestImage small(2, 2, [&](int32_t, int32_t) { return k.c; });
        small.Place(-1.5, -1.5, 1.5, 1.5);
        DrawImageByRows(small.slot, k.mode, other.Target(), {0, 0});
        EXPECT_EQ(other.At(3, 3), k.other) << "mode " << k.mode;
        EXPECT_EQ(other.At(0, 3), k.p);
    }
}

TEST(ImageDrawingRows, MonoBitsTakeTheGivenColours) {
    // 8 x 1 bits 1010 0000: set bits at columns 0 and 2.
    TestImage image(1, 1, Id);
    std::vector<uint8_t> bits = {0xA0, 0, 0, 0};
    image.slot.width = 8;
    image.slot.height = 1;
    image.slot.stride = 4;
    image.slot.isMono = 1;
    image.slot.pixels = bits.data();
    image.Place(-3, -3, 3, 3);
    Canvas canvas(8, 8);
    DrawImageByRows(image.slot, BLEND_OVERWRITE, canvas.Target(), {0x000000, 0x00FF8000});
    const uint32_t expected[8] = {0, 0x00FF8000, 0, 0x00FF8000, 0x00FF8000, 0x00FF8000, 0x00FF8000, 0x00FF8000};
    for (int32_t c = 0; c < 8; ++c) EXPECT_EQ(canvas.At(c, 4), expected[c]) << c;
}

TEST(ImageDrawingRows, IndexedPixelsGoThroughThePalette) {
    ResetImageSlots();
    g_bgImagePalette[3] = 0x00ABCDEF;
    TestImage image(1, 1, Id);
    std::vector<uint8_t> bytes = {3, 0, 0, 0};
    image.slot.stride = 4;
    image.slot.isIndexed8 = 1;
    image.slot.pixels = bytes.data();
    Canvas canvas(4, 4);
    DrawImageByRows(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0});
    EXPECT_EQ(canvas.At(2, 2), 0x00ABCDEFu);
    ResetImageSlots();
}

// Without a placement the overwrite mode centres the image on the data with 0.9 of the
// data size on its longer side; the merge modes draw nothing.
TEST(ImageDrawing, UnplacedImageCentredOnTheData) {
    TestImage image(20, 10, [](int32_t, int32_t) { return 0x00FFFFFFu; });
    image.slot.positionKnown = 0;
    Canvas merged(41, 41);
    DrawImageIntoTarget(image.slot, BLEND_WHITE_LINES, merged.Target(100, 200), {0, 0}, 100, 200, 20);
    EXPECT_EQ(merged.At(20, 20), kBack);

    Canvas canvas(41, 41);  // scale 1: a 20 m half-side, 1 m per pixel
    DrawImageIntoTarget(image.slot, BLEND_OVERWRITE, canvas.Target(100, 200), {0, 0}, 100, 200, 20);
    EXPECT_EQ(image.slot.positionKnown, 0);
    EXPECT_DOUBLE_EQ(image.slot.corners[0][0], 91);   // UL east: 100 - 9
    EXPECT_DOUBLE_EQ(image.slot.corners[0][1], 204.5);  // UL north: 200 + 4.5
    EXPECT_DOUBLE_EQ(image.slot.corners[3][0], 109);
    EXPECT_DOUBLE_EQ(image.slot.corners[3][1], 195.5);
    EXPECT_DOUBLE_EQ(image.slot.edgeLengths[0], 18);
    EXPECT_DOUBLE_EQ(image.slot.edgeLengths[2], 9);
    // 18 m wide and 9 m high around the centre column and row.
    int32_t columns = 0, rows = 0;
    for (int32_t c = 0; c <= canvas.maxX; ++c) columns += canvas.At(c, 20) != kBack;
    for (int32_t r = 0; r <= canvas.maxY; ++r) rows += canvas.At(20, r) != kBack;
    EXPECT_NEAR(columns, 18, 1);
    EXPECT_NEAR(rows, 9, 1);
}

TEST(ImageDrawing, HiddenImageIsNotDrawn) {
    Canvas canvas(4, 4);
    TestImage image(2, 2, Id);
    image.Place(-20, -20, 20, 20);
    DrawImageIntoTarget(image.slot, BLEND_HIDDEN, canvas.Target(), {0, 0}, 0, 0, 10);
    image.slot.loaded = 0;
    DrawImageIntoTarget(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0}, 0, 0, 10);
    for (uint32_t p : canvas.pixels) EXPECT_EQ(p, kBack);
}

TEST(ImageDrawing, Brightness) {
    struct Case {
        int32_t percent;
        uint32_t in, out;
    } cases[] = {{50, 0xFF80FF03, 0xFF407F01}, {0, 0x00FFFFFF, 0}, {100, 0x00123456, 0x00123456},
                 {150, 0x00123456, 0x00123456}};
    for (const Case& k : cases) {
        Canvas canvas(3, 2, k.in);
        ApplyImageBrightness(canvas.rows.data(), 3, 2, k.percent);
        for (uint32_t p : canvas.pixels) EXPECT_EQ(p, k.out) << k.percent;
    }
}

// The projective path: every drawn pixel shows the texel that the mapping's own
// ground-to-image routine gives for the pixel's centre, and the texels at the corners
// land on the projected corners.
TEST(ImageDrawingProjective, TexelsFollowTheMapping) {
    TestImage image(64, 48, Id);
    const double corners[4][2] = {{-30, 25}, {28, 22}, {-20, -26}, {18, -20}};  // UL UR LL LR
    image.Corners(corners, 4);
    ASSERT_NE(image.slot.mapping.projectiveKind, 0);
    Canvas canvas(80, 70);
    ASSERT_TRUE(DrawProjectiveImage(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0}));
    const double ox = 40, oy = 35;
    int32_t drawn = 0, off = 0;
    for (int32_t r = 0; r <= canvas.maxY; ++r)
        for (int32_t c = 0; c <= canvas.maxX; ++c) {
            double u, v;
            MapGroundToImage(image.slot, c + 0.5 - ox, r + 0.5 - oy, u, v);
            const double x = u * 64, y = v * 48;
            const uint32_t p = canvas.At(c, r);
            if (p == kBack) {
                // Only pixels outside (or at the very edge of) the image stay.
                EXPECT_FALSE(x > 0.01 && x < 63.99 && y > 0.01 && y < 47.99) << c << "," << r;
                continue;
            }
            ++drawn;
            const int32_t col = p & 0xFF, row = p >> 8 & 0xFF;
            if (std::abs(col - std::floor(x)) > 1 || std::abs(row - std::floor(y)) > 1) ++off;
            EXPECT_LE(std::abs(col - x), 1.01) << c << "," << r;
            EXPECT_LE(std::abs(row - y), 1.01) << c << "," << r;
        }
    EXPECT_GT(drawn, 2000);
    EXPECT_EQ(off, 0);
    // One pixel in from each projected corner: the corner texel or its neighbour.
    struct Corner {
        int32_t col, row, texCol, texRow;
    } marks[] = {{-30 + 40 + 1, 25 + 35 - 1, 0, 47}, {28 + 40 - 1, 22 + 35 - 1, 63, 47},
                 {-20 + 40 + 1, -26 + 35 + 1, 0, 0}, {18 + 40 - 1, -20 + 35 + 1, 63, 0}};
    for (const Corner& m : marks) {
        const uint32_t p = canvas.At(m.col, m.row);
        ASSERT_NE(p, kBack) << m.col << "," << m.row;
        EXPECT_LE(std::abs(int32_t(p & 0xFF) - m.texCol), 2) << m.col;
        EXPECT_LE(std::abs(int32_t(p >> 8 & 0xFF) - m.texRow), 2) << m.row;
    }
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[0], -40);
    EXPECT_DOUBLE_EQ(image.slot.viewWindow[1], 35);
}

TEST(ImageDrawingProjective, ThinOrDistantQuadsDrawNothing) {
    TestImage image(8, 8, Id);
    const double thin[4][2] = {{-10, 0.6}, {10, 0.9}, {-9, 0.2}, {9, 0.1}};  // two rows at most
    image.Corners(thin, 4);
    Canvas canvas(40, 40);
    EXPECT_FALSE(DrawProjectiveImage(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0}));
    const double away[4][2] = {{100, 130}, {140, 128}, {104, 100}, {136, 101}};
    image.Corners(away, 4);
    EXPECT_FALSE(DrawProjectiveImage(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0}));
    for (uint32_t p : canvas.pixels) EXPECT_EQ(p, kBack);
}

// A quadrilateral reaching far beyond the view is cut at its edges: the whole view is
// covered and nothing is written outside the rows given.
TEST(ImageDrawingProjective, CutAtTheViewEdges) {
    TestImage image(16, 16, [](int32_t, int32_t) { return 0x00FFFFFFu; });
    const double big[4][2] = {{-5000, 9000}, {5000, 8000}, {-300, -300}, {300, -310}};
    image.Corners(big, 4);
    Canvas canvas(30, 20);
    EXPECT_TRUE(DrawProjectiveImage(image.slot, BLEND_OVERWRITE, canvas.Target(), {0, 0}));
    for (uint32_t p : canvas.pixels) EXPECT_EQ(p, 0x00FFFFFFu);
}

// The whole layer from the slots: lower slots end on top, merge images come after all
// overwrite images, 1-bit images take black (overwrite) or their high colour (merge) for
// set bits, brightness darkens, and the main image is slot 0 again afterwards.
class BackgroundLayer : public ::testing::Test {
protected:
    DrawBitmapInfo bmi{};
    void SetUp() override {
        ResetImageSlots();
        bmi.header.biSize = 40;
        bmi.header.biWidth = 1024;
        bmi.header.biHeight = 1027;
        bmi.header.biPlanes = 1;
        bmi.header.biBitCount = 8;
        g_drawBitmapInfo = &bmi;
        InitPaletteCanvas(bmi);
        AllocateBackBuffer(20, 20);
        ASSERT_NE(LockBackBuffer(), 0);
        Fill(kBack);
        g_viewCenterX = 0;
        g_viewCenterY = 0;
        g_viewScale = 1;
    }
    void TearDown() override {
        ResetImageSlots();
        FreeRasterBlocks();
        g_drawBitmapInfo = nullptr;
    }
    static void Fill(uint32_t c) {
        for (int32_t r = 0; r < BackBufferHeight(); ++r)
            for (int32_t j = 0; j < BackBufferWidth(); ++j) g_rowTable[r][j] = c;
    }
    // Slot k holds a uniform 4 x 4 image (or 1-bit bits) over the whole view.
    static void PutSlot(int32_t k, int32_t mode, uint32_t pixel, bool mono = false, uint32_t low = 0,
                        uint32_t high = 0) {
        ImageSlot& s = g_imageSlots[k];
        s = ImageSlot{};
        s.width = 4;
        s.height = 4;
        s.isMono = mono;
        s.stride = ImageRowStride(s);
        g_imageSlotHandles[k] = AllocImageBlock(size_t(s.stride) * 4);
        uint8_t* px = g_imageSlotHandles[k].Lock();
        for (int32_t i = 0; i < 4; ++i)
            if (mono)
                px[i * s.stride] = uint8_t(pixel);
            else
                for (int32_t j = 0; j < 4; ++j) std::memcpy(px + i * s.stride + j * 4, &pixel, 4);
        const double c[4][2] = {{-50, 50}, {50, 50}, {-50, -50}, {50, -50}};
        std::memcpy(s.corners, c, sizeof c);
        ComputeImageEdgeLengths(s);
        s.positionKnown = 1;
        SetupImageMapping(s);
        s.loaded = 1;
        s.blendMode = mode;
        s.colorLow = low;
        s.colorHigh = high;
        s.pixels = px;
        if (k == 0) LoadMainImageSlot();
    }
    static void SetPaletteImageColours(uint32_t low, uint32_t high) {
        auto put = [](int i, uint32_t ref) {
            g_drawBitmapInfo->colors[i] = {uint8_t(ref >> 16), uint8_t(ref >> 8), uint8_t(ref), 0};
        };
        put(80, low);
        put(240, high);
    }
};

TEST_F(BackgroundLayer, SlotOrderAndMergeAfterOverwrite) {
    PutSlot(0, BLEND_OVERWRITE, 0x00F0F0F0);
    PutSlot(1, BLEND_OVERWRITE, 0x00111111);
    PutSlot(2, BLEND_BLACK_LINES, 0x000000FF);
    DrawBackgroundImages();
    EXPECT_EQ(g_rowTable[10][10], 0x000000F0u);  // slot 0 over slot 1, then slot 2 merged
    EXPECT_EQ(g_bgImageHandle, g_imageSlotHandles[0]);
    EXPECT_EQ(g_bgImage.width, 4);
}

TEST_F(BackgroundLayer, MonoColoursByPass) {
    // Set bits in columns 0 and 1 (0xC0) of a 4-bit wide row; clear ones in 2 and 3.
    SetPaletteImageColours(0x000000FF, 0x0000FF00);  // low red, high green (COLORREF)
    PutSlot(0, BLEND_OVERWRITE, 0xC0, true, 0x000000FF, 0x0000FF00);
    DrawBackgroundImages();
    EXPECT_EQ(g_rowTable[10][1], 0u);                  // set: black
    EXPECT_EQ(g_rowTable[10][18], 0x00FF0000u);        // clear: the low colour as a pixel

    Fill(0);
    g_imageSlots[0].blendMode = BLEND_WHITE_LINES;
    g_bgImage.blendMode = BLEND_WHITE_LINES;
    DrawBackgroundImages();
    EXPECT_EQ(g_rowTable[10][1], 0x0000FF00u);  // set: the high colour
    EXPECT_EQ(g_rowTable[10][18], 0x00FF0000u);
}

TEST_F(BackgroundLayer, BrightnessAndItsReset) {
    PutSlot(0, BLEND_HIDDEN, 0);
    g_imageBrightness = 50;
    Fill(0x00804020);
    DrawBackgroundImages();
    EXPECT_EQ(g_rowTable[3][3], 0x00402010u);
    EXPECT_EQ(g_imageBrightness, 50);

    ResetImageSlots();
    g_imageBrightness = 50;
    Fill(0x00804020);
    DrawBackgroundImages();
    EXPECT_EQ(g_rowTable[3][3], 0x00804020u);
    EXPECT_EQ(g_imageBrightness, 100);
}
