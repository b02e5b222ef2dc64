#pragma once
// The vector layer drawn into a new main background image that covers the square round
// the data extents, with the image's own integer line, dot and text primitives.
#include <cstdint>
#include <string>

// Settings of the conversion, kept while the program runs.
extern int32_t g_dxfImageSizeIndex;    // 0..4: 2000, 4000, 8000, 16000, 24000 pixels square
extern int32_t g_dxfImageThickLines;   // 1: lines drawn with a five-pixel plus
extern uint32_t g_dxfImageBackColour;  // 0x00RRGGBB

// Side of the image for a size index (out-of-range indexes give 2000).
int32_t DxfImageSize(int32_t sizeIndex);
// Sizes from 16000 up are 1 bit per pixel.
bool DxfImageIsMono(int32_t sizeIndex);

enum class DxfToImageResult {
    kNothing,   // no vector element: the image is left as it was
    kDone,      // the new image is the main image
    kNoMemory,  // the block could not be had: the old image is kept
};

// Draws every visible element into a new image and makes it the main image; the old
// image is freed only once the new block is there.
DxfToImageResult RasterizeDxfToImage();

// A 1-bit main image with a block has all its bits inverted; anything else is left.
void InvertMonoImage();

// The canvas the primitives draw on (rows bottom-up); exposed for tests.
struct DxfRasterCanvas {
    uint8_t* bits = nullptr;
    int32_t size = 0;
    int32_t stride = 0;
    bool mono = false;
    int32_t lineColour = 60;
    int32_t dotColour = 60;
};
// The segment (x0, y0) - (x1, y1), both ends included, clipped to columns and rows
// 0..size - 2.
void DrawImageLine(DxfRasterCanvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// A five-pixel plus, only when it lies whole inside 1..size - 3.
void PlotImageDot(DxfRasterCanvas& c, int32_t column, int32_t row);

// The conversion dialog: what it shows and what 実行 takes.
struct DxfToImageDialogState {
    int32_t sizeIndex = 0;
    int32_t thickLines = 0;
    uint32_t backColour = 0;  // 0x00RRGGBB
    bool showOnBase = false;
    std::string warning;  // shown when the present image will be replaced
};
// Opening: the settings and the main image's base-plane switch.
void OpenDxfToImageDialog(DxfToImageDialogState& state);
// 底面表示 takes effect at once, also when the dialog is then cancelled.
void OnDxfToImageBasePlane(DxfToImageDialogState& state, bool on);
// 実行: keeps the settings, draws the picture (a black-and-white one inverted) and tells
// the user when the memory was not there.
DxfToImageResult OnDxfToImageRun(const DxfToImageDialogState& state);
// After the dialog, run or cancelled: the main image no longer comes from a file.
void OnDxfToImageClosed();
