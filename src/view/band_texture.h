#pragma once
// The band texture: the colour bands rendered once into a 256 x 256 texture whose rows
// are band positions (elevation or slope) and whose columns are light levels, so that
// the triangle pass draws banding, gradients and shading with one texel per pixel.
#include <cstdint>

#include "image/image_slot.h"

constexpr int32_t kBandTextureSide = 256;
constexpr int32_t kBandRows = 240;         // rows 0..239 are band positions
constexpr int32_t kBandShadeColumns = 64;  // columns 1..63 darker, 64 at a fifth

// The texture's pixels (0x00RRGGBB, row r at r x 256); null when there is none.
extern uint32_t* g_bandTexture;
// The slot that describes the texture when the triangle pass makes it the active image.
extern ImageSlot g_bandTextureSlot;
// The real background image while the band texture stands in for it.
extern ImageSlot g_savedImageSlot;

// Rebuilds the texture for the band mode and colours of g_colorBandParams. Without a
// block (allocation failed) g_bandTexture stays null and the bands are not drawn.
void BuildElevationPalette();
// Frees the texture block.
void FreeBandTexture();
