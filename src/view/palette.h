#pragma once
// The 256-entry drawing palette that names every colour of the view, and the clip
// values of the 8-bit canvas (the triangle-id map and the overview thumbnail draw
// through it, at most 1023 rows).
#include <cstdint>

// Device-independent bitmap header, laid out as bitmap files and the old canvas have it.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: rows stored bottom-up
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

constexpr uint32_t kBiRgb = 0;

struct RgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

// The 8-bit canvas header with its palette.
struct DrawBitmapInfo {
    BitmapInfoHeader header;
    RgbQuad colors[256];
};

// Made at main-frame creation (with the data model); null before.
extern DrawBitmapInfo* g_drawBitmapInfo;

// The screen the canvas is made for; the window system tells it before the main frame
// makes the data model (1024 x 768 until then).
void SetScreenSize(int32_t width, int32_t height);
// Makes g_drawBitmapInfo for the screen (width max(1024, screen width rounded up to 4),
// height max(screen height, 1024) + 3) and sets up its palette. InitDataModel calls it.
void MakeDrawBitmapInfo();

// -1 on a palette display, else 0. Displays here are always true colour.
extern int32_t g_paletteDevice;

// Row length of the 8-bit canvas in bytes and its own top clip row.
extern int32_t g_canvasRowLength;
extern int32_t g_canvasClipTop;

// Start-up set-up of the palette and the canvas clip values; returns 0.
int32_t InitPaletteCanvas(DrawBitmapInfo& bmi);
// Canvas row length and clip values from the header's size.
void SetPaletteCanvasRows(const DrawBitmapInfo& bmi);
// Entries 0..9 and 246..255: the static colours.
void LoadStaticColors(DrawBitmapInfo& bmi);
// Reads the display's static colours on palette displays (none here).
void ReadSystemPalette();
// Entries 10..80 and 240: the program's defaults.
void InitPaletteDefaults(DrawBitmapInfo& bmi);
// The grey gradient 81..239 between entries 80 and 240.
void CreateCanvasPalette(DrawBitmapInfo& bmi);
// Canvas clip rectangle (right limited to the canvas, bottom to 1..1022).
void SetPaletteCanvasViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);
