#include "view/back_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "view/raster_primitives.h"

uint8_t g_shadeTable[64][256];
ReciprocalPair g_reciprocalTable[514];
uint32_t g_colorTable[256];
uint32_t g_monoBackColor = 0;
uint32_t g_monoForeColor = 0;
uint32_t g_monoColorDiff = 0;
thread_local SpanKind g_spanKind = SpanKind::kTexture;
thread_local int32_t g_spanVertexColors = 0;

namespace {
constexpr size_t kHeaderBytes = sizeof(BitmapInfoHeader);
constexpr size_t kSlackBytes = 4096;

// The single back buffer of the view.
struct BackBuffer {
    std::unique_ptr<uint8_t[]> block;    // header, pixel rows, slack
    size_t byteSize = 0;                 // width x height x 4 of the current block
    BitmapInfoHeader* header = nullptr;  // set while locked
    int32_t width = 0;
    int32_t height = 0;
};
BackBuffer g_buffer;

void BuildShadeTable() {
    for (int k = 0; k < 64; ++k) {
        const uint32_t s = static_cast<uint32_t>(std::trunc((k + 16) * 829.5696202531645));
        for (uint32_t c = 0; c < 256; ++c) g_shadeTable[k][c] = static_cast<uint8_t>((c * s) >> 16);
    }
}

void BuildReciprocalTable() {
    for (int i = 1; i < 512; ++i)
        g_reciprocalTable[i] = {512.0f / static_cast<float>(i), static_cast<float>(i) / 512.0f};
    g_reciprocalTable[0] = g_reciprocalTable[1];
    g_reciprocalTable[512] = {1.0f, 1.0f};
    g_reciprocalTable[513] = {1.0f, 1.0f};
}

void BuildColorTable() {
    if (g_drawBitmapInfo == nullptr) return;
    for (int i = 0; i < 256; ++i) {
        const RgbQuad& q = g_drawBitmapInfo->colors[i];
        g_colorTable[i] =
            static_cast<uint32_t>(q.red) << 16 | static_cast<uint32_t>(q.green) << 8 | q.blue;
    }
    g_monoBackColor = g_colorTable[80];
    g_monoForeColor = g_colorTable[240];
    g_monoColorDiff = g_monoForeColor - g_monoBackColor;
}
}  // namespace

int32_t BackBufferSideFor(int32_t drawable) {
    for (int32_t step : {1026, 1282, 1536, 2050, 4098})
        if (drawable <= step) return step + 100;
    // Beyond the ladder the buffer still follows the window, so nothing is drawn past it.
    return 4098 + (drawable - 4098 + 1023) / 1024 * 1024 + 100;
}

int32_t BackBufferWidth() { return g_buffer.block ? g_buffer.width : 0; }
int32_t BackBufferHeight() { return g_buffer.block ? g_buffer.height : 0; }

void AllocateBackBuffer(int32_t width, int32_t height) {
    if (g_drawBitmapInfo == nullptr || width < 2 || height < 2) return;
    width = std::min(width, kMaxDrawableSide);
    height = std::min(height, kMaxDrawableSide);
    const int32_t bufferWidth = BackBufferSideFor(width);
    const int32_t bufferHeight = BackBufferSideFor(height);
    const size_t byteSize = static_cast<size_t>(bufferWidth) * bufferHeight * 4;

    UnlockBackBuffer();
    if (!g_buffer.block || byteSize != g_buffer.byteSize) {
        g_buffer.block.reset();
        g_buffer.byteSize = 0;
        g_buffer.block.reset(new (std::nothrow) uint8_t[kHeaderBytes + byteSize + kSlackBytes]());
        // Without a block the view shows nothing: the lock reports it in g_rasterStatus.
        if (!g_buffer.block) return;
        g_buffer.byteSize = byteSize;
    }
    g_buffer.width = bufferWidth;
    g_buffer.height = bufferHeight;

    BitmapInfoHeader header{};
    header.biSize = 40;
    header.biWidth = bufferWidth;
    header.biHeight = bufferHeight;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = kBiRgb;
    header.biXPelsPerMeter = 1000;
    header.biYPelsPerMeter = 1000;
    std::memcpy(g_buffer.block.get(), &header, sizeof header);

    g_backBufferStride = bufferWidth * 4;
    g_rowTable.assign(bufferHeight, nullptr);
    g_edgeLeft.assign(bufferHeight, 0);
    g_edgeRight.assign(bufferHeight, 0);
    g_clipLeft = 0;
    g_clipTop = 0;
    g_bufferMaxX = width - 1;
    g_bufferMaxY = height - 1;
    g_innerLeft = 1;
    g_innerTop = 1;
    g_innerRight = g_bufferMaxX - 1;
    g_innerBottom = g_bufferMaxY - 1;
    g_clipLeftBytes = 0;
    g_clipRightBytes = g_bufferMaxX * 4;
    g_viewportCenterX = g_bufferMaxX / 2;
    g_viewportCenterY = g_bufferMaxY / 2;
    g_zBufferStride = width * 4;
    SetDashPattern(0x1F1F1F1F);
    BuildShadeTable();
    BuildReciprocalTable();
}

int32_t LockBackBuffer() {
    if (!g_buffer.block) {
        g_rasterStatus |= 1;
        return 0;
    }
    g_rasterStatus &= ~1;
    g_buffer.header = reinterpret_cast<BitmapInfoHeader*>(g_buffer.block.get());
    g_backBufferPixels = reinterpret_cast<uint32_t*>(g_buffer.block.get() + kHeaderBytes);
    g_backBufferStride = g_buffer.header->biWidth * 4;
    const size_t rowWords = static_cast<size_t>(g_buffer.header->biWidth);
    g_rowTable.resize(g_buffer.height);
    for (int32_t r = 0; r < g_buffer.height; ++r) g_rowTable[r] = g_backBufferPixels + r * rowWords;
    BuildColorTable();
    SelectSpanRenderer();
    return 1;
}

void UnlockBackBuffer() {
    g_buffer.header = nullptr;
    g_backBufferPixels = nullptr;
}

void BlitBackBuffer(BlitTarget& target) {
    if (g_buffer.header == nullptr || g_backBufferPixels == nullptr) return;
    const int32_t w = std::min(g_bufferMaxX + 1, g_buffer.width);
    const int32_t h = std::min(g_bufferMaxY + 1, g_buffer.height);
    if (w <= 0 || h <= 0) return;
    target.ShowBottomUpRows(g_backBufferPixels, w, h, g_backBufferStride);
}

void FreeRasterBlocks() {
    UnlockBackBuffer();
    g_buffer = BackBuffer{};
    g_rowTable.clear();
}

const BitmapInfoHeader* BackBufferHeader() { return g_buffer.header; }

void SelectSpanRenderer() {
    g_spanKind = SpanKind::kTexture;
    g_spanVertexColors = 0;
}
void UseVertexColorSpans() {
    g_spanKind = SpanKind::kVertexColor;
    g_spanVertexColors = 1;
}
void UseHalfTransparentVertexColorSpans() {
    g_spanKind = SpanKind::kHalfTransparentVertexColor;
    g_spanVertexColors = 1;
}
void UseFlatSpans() {
    g_spanKind = SpanKind::kFlat;
    g_spanVertexColors = 0;
}
void UseHalfTransparentFlatSpans() {
    g_spanKind = SpanKind::kHalfTransparentFlat;
    g_spanVertexColors = 0;
}
void UseHalfTransparentTextureSpans() {
    g_spanKind = SpanKind::kHalfTransparentTexture;
    g_spanVertexColors = 0;
}
