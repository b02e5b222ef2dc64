#pragma once
// Drawing the background images under the plan view: every slot in overwrite mode first,
// then the merge modes, each pass from slot 7 down to slot 0 (so lower slots end on top),
// then the brightness. An affine placement is sampled row by row (the mapping evaluated
// only at the row ends); a projective one is filled with perspective-correct spans.
#include <cstdint>

#include "image/image_slot.h"

// Where an image is drawn: bottom-up pixel rows (0x00RRGGBB), the last usable column and
// row, and the plan transform (view centre east and north, pixels per metre).
struct ImageDrawTarget {
    uint32_t* const* rows;
    int32_t maxX;
    int32_t maxY;
    double centerEast;
    double centerNorth;
    double scale;
};

// Pixel values of set and clear bits of 1-bit images.
struct MonoPixels {
    uint32_t fore;
    uint32_t back;
};

// 0x00BBGGRR <-> 0x00RRGGBB.
constexpr uint32_t SwapRedBlue(uint32_t c) {
    return (c & 0xFF00u) | (c & 0xFFu) << 16 | (c >> 16 & 0xFFu);
}

// Draws `image` in blend mode 1..4 (nothing for 0, without pixels or when not loaded).
// Without a placement only the overwrite mode draws, centred on the data box of side
// `extentSize` around (extentEast, extentNorth): the corners are written but positionKnown
// stays 0. Every drawing writes the record's viewWindow.
void DrawImageIntoTarget(ImageSlot& image, int32_t mode, const ImageDrawTarget& target, MonoPixels mono,
                         double extentEast, double extentNorth, double extentSize);

// The affine path; `mode` 1..4.
void DrawImageByRows(ImageSlot& image, int32_t mode, const ImageDrawTarget& target, MonoPixels mono);
// The projective path (positionKnown 4). False when nothing was drawn: the quadrilateral
// covers fewer than three screen rows or lies outside the view.
bool DrawProjectiveImage(ImageSlot& image, int32_t mode, const ImageDrawTarget& target, MonoPixels mono);

// Darkens every pixel of `rows` (width x height) by `percent`; 100 and above change nothing.
void ApplyImageBrightness(uint32_t* const* rows, int32_t width, int32_t height, int32_t percent);

// The whole image layer of the plan view into the locked back buffer, from the slots and
// g_bgImage; afterwards g_bgImage is slot 0 again.
void DrawBackgroundImages();
// Whole back buffer (header size) through ApplyImageBrightness; nothing without a buffer.
void ApplyImageBrightness(int32_t percent);

// Makes DrawBackgroundImages the painter's image layer, drawn while the main image is
// shown (its blend mode non-zero).
void InstallBackgroundImageLayer();
