#pragma once
// The active background image as the view's rasteriser reads it. The image subsystem
// loads, places and frees the pictures; this record is what the view needs of it.
#include <cstdint>

struct ImageSlot {
    int32_t width;  // pixels
    int32_t height;
    int32_t positionKnown;
    int32_t loaded;
    int32_t blendMode;  // 0 hidden, nonzero shown
    int32_t isMono;     // 1 bit per pixel, most significant bit first
    int32_t keepIndexed;
    int32_t isIndexed8;  // 8-bit indexes into g_bgImagePalette
    int32_t stride;      // bytes per row
    uint8_t* pixels;     // bottom-up rows; null when the slot holds no picture
};

// The active image.
extern ImageSlot g_bgImage;
// Palette of indexed images, 0x00RRGGBB.
extern uint32_t g_bgImagePalette[256];

// Row length in bytes of an image of the slot's format and width.
int32_t ImageRowStride(const ImageSlot& slot);
