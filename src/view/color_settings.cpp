#include "view/color_settings.h"

#include <utility>

#include "view/palette.h"

const std::array<PaletteSwatch, kColorSwatchCount> kColorSwatches = {{
    {1013, 20}, {1014, 21}, {1015, 25}, {1016, 22},  // random points
    {1017, 40},                                      // outline
    {1018, 10},                                      // background
    {1019, 30}, {1020, 31},                          // TIN
    {1021, 50}, {1022, 51},                          // contours
    {1186, 52}, {1187, 53},                          // simple contours
    {1190, 54}, {1191, 55},                          // grid
    {1192, 42},                                      // IP points
    {1193, 46}, {1194, 58},                          // sections
    {1195, 43}, {1196, 44}, {1197, 45},              // route
    {1198, 80}, {1199, 240},                         // background image B, W
    {1200, 60}, {1201, 61}, {1202, 62}, {1203, 63},  // DXF colours 0 .. 15
    {1204, 64}, {1205, 65}, {1206, 66}, {1207, 67},
    {1208, 68}, {1209, 69}, {1210, 70}, {1211, 71},
    {1212, 72}, {1213, 73}, {1214, 74}, {1215, 75},
    {1216, 47}, {1218, 48},                          // mesh
}};

int32_t SwatchAt(const std::array<SwatchRect, kColorSwatchCount>& rects, int32_t x, int32_t y) {
    for (int32_t i = 0; i < kColorSwatchCount; ++i) {
        const SwatchRect& r = rects[i];
        if (x > r.left && x < r.right && y > r.top && y < r.bottom) return i;
    }
    return -1;
}

uint32_t PaletteEntryColour(int32_t entry) {
    if (!g_drawBitmapInfo || entry < 0 || entry > 255) return 0;
    const RgbQuad& q = g_drawBitmapInfo->colors[entry];
    return static_cast<uint32_t>(q.red) << 16 | static_cast<uint32_t>(q.green) << 8 | q.blue;
}

void SetPaletteEntryColour(int32_t entry, uint32_t rgb) {
    if (!g_drawBitmapInfo || entry < 0 || entry > 255) return;
    g_drawBitmapInfo->colors[entry] = {static_cast<uint8_t>(rgb & 0xFF),
                                       static_cast<uint8_t>(rgb >> 8 & 0xFF),
                                       static_cast<uint8_t>(rgb >> 16 & 0xFF), 0};
    CreateCanvasPalette(*g_drawBitmapInfo);
}

void ResetPaletteColours() {
    if (!g_drawBitmapInfo) return;
    InitPaletteDefaults(*g_drawBitmapInfo);
    CreateCanvasPalette(*g_drawBitmapInfo);
}

void SwapBackgroundImageColours() {
    if (!g_drawBitmapInfo) return;
    std::swap(g_drawBitmapInfo->colors[80], g_drawBitmapInfo->colors[240]);
    CreateCanvasPalette(*g_drawBitmapInfo);
}
