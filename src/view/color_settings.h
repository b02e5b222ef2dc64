#pragma once
// The colour dialog (色設定): one swatch per layer colour of the drawing palette. The
// swatch table, the hit test, and the changes the buttons make to the palette.
#include <array>
#include <cstdint>

struct PaletteSwatch {
    int32_t controlId;
    int32_t paletteEntry;
};
constexpr int32_t kColorSwatchCount = 40;
// Group by group as the dialog lays them out: random points, outline, background, TIN,
// contours, simple contours, grid, IP points, sections, route, background image B/W, the
// sixteen DXF colours, mesh.
extern const std::array<PaletteSwatch, kColorSwatchCount> kColorSwatches;

// A swatch's rectangle (one pixel inside its control), right and bottom exclusive as a
// client rectangle has them.
struct SwatchRect {
    int32_t left, top, right, bottom;
};
// The first swatch whose rectangle holds (x, y) strictly inside (not on its edge), else -1.
int32_t SwatchAt(const std::array<SwatchRect, kColorSwatchCount>& rects, int32_t x, int32_t y);

// A palette entry as 0x00RRGGBB, and setting one (the grey ramp between the background
// image colours is rebuilt).
uint32_t PaletteEntryColour(int32_t entry);
void SetPaletteEntryColour(int32_t entry, uint32_t rgb);
// 初期化: every layer colour back to its default.
void ResetPaletteColours();
// 反転: the two background-image colours (entries 80 and 240) exchanged.
void SwapBackgroundImageColours();
