#include <gtest/gtest.h>

#include "raster_fixture.h"

namespace {
// Records what a blit hands over.
struct RecordingTarget : BlitTarget {
    int calls = 0;
    const uint32_t* rows = nullptr;
    int32_t width = 0, height = 0, stride = 0;
    void ShowBottomUpRows(const uint32_t* r, int32_t w, int32_t h, int32_t s) override {
        ++calls;
        rows = r;
        width = w;
        height = h;
        stride = s;
    }
};

uint32_t Rgb(const RgbQuad& q) { return uint32_t{q.red} << 16 | uint32_t{q.green} << 8 | q.blue; }
}  // namespace

TEST(BackBufferLadder, WidthsAndHeightsFollowTheLadderAndTheWindow) {
    struct Case {
        int32_t drawable, buffer;
    };
    const Case cases[] = {
        {2, 1126},
        {1000, 1126},
        {1026, 1126},
        {1027, 1382},
        {1282, 1382},
        {1283, 1636},
        {1536, 1636},
        {2050, 2150},
        {2051, 4198},
        {4098, 4198},
        // Beyond the ladder the buffer keeps growing with the window.
        {4099, 5222},
        {5122, 5222},
        {5123, 6246},
    };
    for (const Case& c : cases) EXPECT_EQ(BackBufferSideFor(c.drawable), c.buffer) << c.drawable;
}

TEST_F(RasterTest, AllocationSetsExtentsHeaderAndClip) {
    Open(1000, 700);
    const BitmapInfoHeader* h = BackBufferHeader();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, 1126);
    EXPECT_EQ(h->biHeight, 1126);  // positive: bottom-up rows
    EXPECT_EQ(h->biPlanes, 1);
    EXPECT_EQ(h->biBitCount, 32);
    EXPECT_EQ(h->biXPelsPerMeter, 1000);
    EXPECT_EQ(g_backBufferStride, 1126 * 4);
    EXPECT_EQ(g_bufferMaxX, 999);
    EXPECT_EQ(g_bufferMaxY, 699);
    EXPECT_EQ(g_viewportCenterX, 499);
    EXPECT_EQ(g_viewportCenterY, 349);
    EXPECT_EQ(g_innerRight, 998);
    EXPECT_EQ(g_innerBottom, 698);
    EXPECT_EQ(g_clipRightBytes, 999 * 4);
    EXPECT_EQ(g_zBufferStride, 1000 * 4);
    EXPECT_EQ(g_dashPattern, 0x1F1F1F1Fu);
    EXPECT_EQ(g_rowTable[1] - g_rowTable[0], 1126);
    EXPECT_EQ(g_rowTable.size(), 1126u);

    // Wider than 4096 and taller than 4098: the buffer and its tables follow the window.
    Open(5000, 4500);
    EXPECT_EQ(BackBufferWidth(), 5222);
    EXPECT_EQ(BackBufferHeight(), 5222);
    EXPECT_EQ(g_bufferMaxX, 4999);
    EXPECT_EQ(g_bufferMaxY, 4499);
    EXPECT_EQ(g_rowTable.size(), 5222u);
    EXPECT_GE(g_edgeLeft.size(), 4500u);
    g_rasterColor = kInk;
    ClearViewport();
    EXPECT_EQ(g_rowTable[4499][5000], kInk);

    // A window beyond what a buffer may take shows that much of its picture.
    Open(20000, 30);
    EXPECT_EQ(g_bufferMaxX, kMaxDrawableSide - 1);
}

TEST_F(RasterTest, ResizingWithinALadderStepKeepsTheBlock) {
    Open(800, 600);
    const uint32_t* before = g_backBufferPixels;
    g_backBufferPixels[5] = 0xABCDEF;
    UnlockBackBuffer();
    AllocateBackBuffer(900, 650);
    ASSERT_NE(LockBackBuffer(), 0);
    EXPECT_EQ(g_backBufferPixels, before);
    EXPECT_EQ(g_backBufferPixels[5], 0xABCDEFu);
    EXPECT_EQ(g_bufferMaxX, 899);
    EXPECT_EQ(g_bufferMaxY, 649);
    EXPECT_EQ(g_viewportCenterX, 449);

    UnlockBackBuffer();
    AllocateBackBuffer(1500, 650);  // next ladder step: a new block
    ASSERT_NE(LockBackBuffer(), 0);
    EXPECT_EQ(BackBufferWidth(), 1636);

    // Too small, or no palette yet: the buffer stays as it was.
    AllocateBackBuffer(1, 500);
    EXPECT_EQ(g_bufferMaxX, 1499);
    g_drawBitmapInfo = nullptr;
    AllocateBackBuffer(300, 300);
    EXPECT_EQ(g_bufferMaxX, 1499);
}

TEST_F(RasterTest, LockAndBlit) {
    RecordingTarget target;
    BlitBackBuffer(target);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.rows, g_rowTable[0]) << "the bottom row first";
    EXPECT_EQ(target.width, 16);
    EXPECT_EQ(target.height, 12);
    EXPECT_EQ(target.stride, 1126 * 4);

    UnlockBackBuffer();
    EXPECT_EQ(g_backBufferPixels, nullptr);
    EXPECT_EQ(BackBufferHeader(), nullptr);
    BlitBackBuffer(target);
    EXPECT_EQ(target.calls, 1) << "nothing after the unlock";

    FreeRasterBlocks();
    g_rasterStatus = 0;
    EXPECT_EQ(LockBackBuffer(), 0);
    EXPECT_EQ(g_rasterStatus & 1, 1);
    // Without a buffer the primitives draw nothing and do not fail.
    Line(0, 0, 10, 10);
    DrawLine();
    FillTriangle2D(0, 0, 10, 0, 5, 5);
    PlotPixel(1, 1);
    ClearViewport();
}

TEST_F(RasterTest, ColorTableFollowsThePaletteAtEveryLock) {
    EXPECT_EQ(g_colorTable[20], 0x00FFFFFFu);
    EXPECT_EQ(g_colorTable[30], 0x00009632u);
    EXPECT_EQ(g_monoBackColor, 0u);
    EXPECT_EQ(g_monoForeColor, 0x00808080u);
    EXPECT_EQ(g_monoColorDiff, 0x00808080u);

    m_bmi.colors[30] = {1, 2, 3, 0};  // blue, green, red
    EXPECT_EQ(g_colorTable[30], 0x00009632u) << "not before the next lock";
    UnlockBackBuffer();
    LockBackBuffer();
    EXPECT_EQ(g_colorTable[30], 0x00030201u);
}

TEST_F(RasterTest, ShadeAndReciprocalTables) {
    for (int k : {0, 1, 17, 40, 63}) {
        const uint32_t s = (k + 16) * 65536 / 79;  // exact integer form of (k + 16) * 65536 / 79
        for (int c : {0, 1, 100, 128, 200, 255})
            EXPECT_EQ(g_shadeTable[k][c], static_cast<uint8_t>((c * s) >> 16)) << k << " " << c;
    }
    EXPECT_EQ(g_shadeTable[63][255], 255);
    EXPECT_EQ(g_shadeTable[0][255], 51);  // 16/79 of 255
    EXPECT_EQ(g_shadeTable[32][200], 121);

    EXPECT_FLOAT_EQ(g_reciprocalTable[1].reciprocal, 512.0f);
    EXPECT_FLOAT_EQ(g_reciprocalTable[0].reciprocal, 512.0f);
    EXPECT_FLOAT_EQ(g_reciprocalTable[0].fraction, 1.0f / 512);
    EXPECT_FLOAT_EQ(g_reciprocalTable[256].reciprocal, 2.0f);
    EXPECT_FLOAT_EQ(g_reciprocalTable[256].fraction, 0.5f);
    EXPECT_FLOAT_EQ(g_reciprocalTable[511].reciprocal, 512.0f / 511);
    EXPECT_FLOAT_EQ(g_reciprocalTable[513].reciprocal, 1.0f);
}

TEST_F(RasterTest, SpanSelectorsSetTheKindAndTheVertexColourFlag) {
    EXPECT_EQ(g_spanKind, SpanKind::kTexture) << "the lock installs the textured spans";
    struct Case {
        void (*select)();
        SpanKind kind;
        int32_t vertexColors;
    };
    const Case cases[] = {
        {UseVertexColorSpans, SpanKind::kVertexColor, 1},
        {UseHalfTransparentVertexColorSpans, SpanKind::kHalfTransparentVertexColor, 1},
        {UseFlatSpans, SpanKind::kFlat, 0},
        {UseHalfTransparentFlatSpans, SpanKind::kHalfTransparentFlat, 0},
        {UseHalfTransparentTextureSpans, SpanKind::kHalfTransparentTexture, 0},
        {SelectSpanRenderer, SpanKind::kTexture, 0},
    };
    for (const Case& c : cases) {
        c.select();
        EXPECT_EQ(g_spanKind, c.kind);
        EXPECT_EQ(g_spanVertexColors, c.vertexColors);
    }
}

TEST_F(RasterTest, PaletteDefaultsAndGradient) {
    struct Case {
        int index;
        uint32_t rgb;
    };
    const Case cases[] = {
        {0, 0x000000},   {1, 0xBF0000},   {9, 0xA4C8DC},   {10, 0x000000},  {20, 0xFFFFFF},
        {23, 0xFFFA00},  {25, 0xC8C800},  {30, 0x009632},  {31, 0xFF0000},  {48, 0x0000FF},
        {53, 0x969600},  {67, 0xC8C8C8},  {75, 0x646464},  {79, 0xFF00FF},  {80, 0x000000},
        {81, 0x000000},  {82, 0x010101},  {160, 0x404040}, {239, 0x7F7F7F}, {240, 0x808080},
        {246, 0xFFFBF0}, {247, 0xA0A0A4}, {255, 0xFFFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(Rgb(m_bmi.colors[c.index]), c.rgb) << c.index;
    EXPECT_EQ(g_paletteDevice, 0);

    // A darker upper end: the gradient runs down.
    m_bmi.colors[80] = {200, 200, 200, 0};
    m_bmi.colors[240] = {0, 100, 40, 0};
    CreateCanvasPalette(m_bmi);
    EXPECT_EQ(m_bmi.colors[160].blue, 100);
    EXPECT_EQ(m_bmi.colors[160].green, 150);
    EXPECT_EQ(m_bmi.colors[160].red, 120);
}

TEST_F(RasterTest, CanvasClipValues) {
    // The 1024 x 1027 canvas of the fixture: 1024 columns, at most 1023 rows.
    InitPaletteCanvas(m_bmi);
    EXPECT_EQ(g_canvasRowLength, 1024);
    EXPECT_EQ(g_bufferMaxX, 1023);
    EXPECT_EQ(g_bufferMaxY, 1023);
    EXPECT_EQ(g_viewportCenterX, 511);
    EXPECT_EQ(g_viewportCenterY, 511);

    SetPaletteCanvasViewport(-3, 10, 4000, 5000);
    EXPECT_EQ(g_clipLeft, 0);
    EXPECT_EQ(g_canvasClipTop, 10);
    EXPECT_EQ(g_bufferMaxX, 1023);
    EXPECT_EQ(g_bufferMaxY, 1023);
    EXPECT_EQ(g_viewportCenterY, 516);
    SetPaletteCanvasViewport(0, 0, 1, 0);
    EXPECT_EQ(g_bufferMaxX, 2);
    EXPECT_EQ(g_bufferMaxY, 2);

    // A wide screen's canvas never hands out columns the back buffer does not have.
    DrawBitmapInfo wide = m_bmi;
    wide.header.biWidth = 2560;
    SetPaletteCanvasRows(wide);
    EXPECT_EQ(g_canvasRowLength, 2560);
    EXPECT_EQ(g_bufferMaxX, BackBufferWidth() - 2);
}
