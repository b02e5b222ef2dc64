#include "view/palette.h"

#include <algorithm>
#include <memory>

#include "model/terrain_data.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"

DrawBitmapInfo* g_drawBitmapInfo = nullptr;
int32_t g_paletteDevice = 0;
int32_t g_canvasRowLength = 0;
int32_t g_canvasClipTop = 0;

namespace {
int32_t g_screenWidth = 1024;
int32_t g_screenHeight = 768;
std::unique_ptr<DrawBitmapInfo> g_ownedBitmapInfo;

const bool g_registered = [] {
    RegisterDataModelReset(MakeDrawBitmapInfo);
    return true;
}();

struct Rgb {
    uint8_t r, g, b;
};

void Set(DrawBitmapInfo& bmi, int index, Rgb c) { bmi.colors[index] = {c.b, c.g, c.r, 0}; }

void SetRun(DrawBitmapInfo& bmi, int first, std::initializer_list<Rgb> colors) {
    for (const Rgb& c : colors) Set(bmi, first++, c);
}

// The drawing functions never get clip values beyond the allocated back buffer.
void KeepCanvasClipInBuffer() {
    if (BackBufferWidth() > 0) g_bufferMaxX = std::min(g_bufferMaxX, BackBufferWidth() - 2);
    if (BackBufferHeight() > 0) g_bufferMaxY = std::min(g_bufferMaxY, BackBufferHeight() - 2);
}
}  // namespace

void SetPaletteCanvasRows(const DrawBitmapInfo& bmi) {
    g_canvasRowLength = (bmi.header.biWidth + 3) & ~3;
    g_clipLeft = 0;
    g_canvasClipTop = 0;
    g_bufferMaxX = bmi.header.biWidth - 1;
    g_bufferMaxY = bmi.header.biHeight - 1;
    KeepCanvasClipInBuffer();
    g_viewportCenterX = g_bufferMaxX / 2;
    g_viewportCenterY = g_bufferMaxY / 2;
}

void LoadStaticColors(DrawBitmapInfo& bmi) {
    SetRun(bmi, 0,
           {{0, 0, 0},
            {191, 0, 0},
            {0, 191, 0},
            {191, 191, 0},
            {0, 0, 191},
            {191, 0, 191},
            {0, 191, 191},
            {191, 191, 191},
            {192, 220, 192},
            {164, 200, 220}});
    SetRun(bmi, 246,
           {{255, 251, 240},
            {160, 160, 164},
            {128, 128, 128},
            {255, 0, 0},
            {0, 255, 0},
            {255, 255, 0},
            {0, 0, 255},
            {255, 0, 255},
            {0, 255, 255},
            {255, 255, 255}});
}

void ReadSystemPalette() { g_paletteDevice = 0; }

void InitPaletteDefaults(DrawBitmapInfo& bmi) {
    SetRun(bmi, 10, {{0, 0, 0}, {0, 0, 0}});
    SetRun(
        bmi, 20,
        {{255, 255, 255}, {255, 0, 255}, {255, 0, 0}, {255, 250, 0}, {255, 0, 255}, {200, 200, 0}});
    SetRun(bmi, 30, {{0, 150, 50}, {255, 0, 0}});
    SetRun(bmi, 40,
           {{255, 0, 0},
            {0, 255, 255},
            {255, 255, 0},
            {255, 255, 255},
            {255, 0, 255},
            {0, 255, 255},
            {255, 255, 0},
            {255, 0, 255},
            {0, 0, 255},
            {0, 255, 255}});
    SetRun(bmi, 50,
           {{255, 255, 255},
            {255, 255, 0},
            {150, 150, 150},
            {150, 150, 0},
            {0, 0, 150},
            {0, 150, 150},
            {255, 255, 0},
            {0, 255, 0},
            {255, 255, 255},
            {0, 255, 255}});
    SetRun(bmi, 60,
           {{255, 255, 255},
            {255, 0, 0},
            {255, 255, 0},
            {0, 255, 0},
            {0, 255, 255},
            {0, 0, 255},
            {255, 0, 255},
            {200, 200, 200},
            {150, 150, 150},
            {150, 0, 0}});
    SetRun(bmi, 70,
           {{150, 150, 0},
            {0, 150, 0},
            {0, 150, 150},
            {0, 0, 150},
            {150, 0, 150},
            {100, 100, 100},
            {255, 255, 255},
            {0, 255, 255},
            {255, 255, 0},
            {255, 0, 255}});
    bmi.colors[80] = bmi.colors[0];
    Set(bmi, 240, {128, 128, 128});
}

void CreateCanvasPalette(DrawBitmapInfo& bmi) {
    const RgbQuad low = bmi.colors[80];
    const RgbQuad high = bmi.colors[240];
    auto channel = [](uint8_t from, uint8_t to, int i) {
        const double v = from + (static_cast<int>(to) - static_cast<int>(from)) * i * 0.00625;
        return static_cast<uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
    };
    for (int i = 1; i <= 159; ++i) {
        RgbQuad& e = bmi.colors[80 + i];
        e.red = channel(low.red, high.red, i);
        e.green = channel(low.green, high.green, i);
        e.blue = channel(low.blue, high.blue, i);
        e.reserved = 0;
    }
    // True-colour displays need no window-system palette.
}

int32_t InitPaletteCanvas(DrawBitmapInfo& bmi) {
    SetPaletteCanvasRows(bmi);
    LoadStaticColors(bmi);
    ReadSystemPalette();
    InitPaletteDefaults(bmi);
    for (int i = 0; i < 16; ++i) bmi.colors[80 + i] = bmi.colors[i];
    CreateCanvasPalette(bmi);

    g_bufferMaxX = std::max(std::min(bmi.header.biWidth - 1, g_canvasRowLength - 1), 2);
    const int32_t b = std::clamp(bmi.header.biHeight - 1, 1, 1022);
    g_bufferMaxY = b + 1;
    KeepCanvasClipInBuffer();
    g_viewportCenterX = g_bufferMaxX / 2;
    g_viewportCenterY = g_bufferMaxY / 2;
    g_clipLeft = 0;
    g_canvasClipTop = 0;
    return 0;
}

void SetPaletteCanvasViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::max(std::min(right, g_canvasRowLength - 1), 2);
    bottom = std::clamp(bottom, 1, 1022);
    g_bufferMaxX = right;
    g_clipLeft = left;
    g_viewportCenterX = (left + right) / 2;
    g_canvasClipTop = top;
    g_bufferMaxY = bottom + 1;
    g_viewportCenterY = (top + bottom + 1) / 2;
    KeepCanvasClipInBuffer();
}

void SetScreenSize(int32_t width, int32_t height) {
    g_screenWidth = std::max(width, 1);
    g_screenHeight = std::max(height, 1);
}

void MakeDrawBitmapInfo() {
    auto bmi = std::make_unique<DrawBitmapInfo>();
    BitmapInfoHeader& h = bmi->header;
    h.biSize = 40;
    h.biWidth = std::max(1024, (g_screenWidth + 3) / 4 * 4);
    h.biHeight = std::max(g_screenHeight, 1024) + 3;
    h.biPlanes = 1;
    h.biBitCount = 8;
    g_ownedBitmapInfo = std::move(bmi);
    g_drawBitmapInfo = g_ownedBitmapInfo.get();
    InitPaletteCanvas(*g_drawBitmapInfo);
}
