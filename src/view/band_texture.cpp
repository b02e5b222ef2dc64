#include "view/band_texture.h"

#include <memory>
#include <new>

#include "view/color_band_params.h"

uint32_t* g_bandTexture = nullptr;
ImageSlot g_bandTextureSlot{};
ImageSlot g_savedImageSlot{};

namespace {
std::unique_ptr<uint32_t[]> g_bandBlock;

uint32_t* Row(int32_t r) { return g_bandTexture + r * kBandTextureSide; }

void FillRow(int32_t r, uint32_t color) {
    uint32_t* row = Row(r);
    for (int32_t c = 0; c < kBandTextureSide; ++c) row[c] = color;
}

// Each of the three colour bytes from `from` towards `to` by i / n, truncated.
uint32_t Between(uint32_t from, uint32_t to, int32_t i, int32_t n) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        out |= static_cast<uint32_t>(a + static_cast<double>(b - a) * i / n) << shift;
    }
    return out;
}

uint32_t Scaled(uint32_t color, double factor) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= static_cast<uint32_t>(((color >> shift) & 0xFF) * factor) << shift;
    return out;
}

uint32_t Colour(int32_t c) { return static_cast<uint32_t>(c) & 0xFFFFFF; }
}  // namespace

void BuildElevationPalette() {
    g_savedImageSlot = g_bgImage;
    // The block is kept from one build to the next; a new one starts black.
    if (!g_bandBlock) {
        g_bandBlock.reset(new (std::nothrow) uint32_t[kBandTextureSide * kBandTextureSide]());
        g_bandTexture = g_bandBlock.get();
        if (!g_bandTexture) return;
    }

    const ColorBandParams& p = g_colorBandParams;
    switch (p.mode) {
        case 0:
            for (int32_t k = 0; k < 20; ++k)
                for (int32_t r = 12 * k; r < 12 * k + 12; ++r)
                    FillRow(r, Colour(p.stripeColours[k]));
            break;
        case 1:
            for (int32_t i = 0; i < 120; ++i) {
                FillRow(
                    i, Between(Colour(p.gradientColours[0]), Colour(p.gradientColours[1]), i, 119));
                FillRow(120 + i, Between(Colour(p.gradientColours[2]), Colour(p.gradientColours[3]),
                                         i, 119));
            }
            break;
        case 3:
            if (p.twoColourSlope) {
                for (int32_t i = 0; i < kBandRows; ++i)
                    FillRow(
                        i, Between(Colour(p.slopeColours[10]), Colour(p.slopeColours[11]), i, 239));
            } else {
                for (int32_t k = 0; k < 10; ++k)
                    for (int32_t r = 24 * k; r < 24 * k + 24; ++r)
                        FillRow(r, Colour(p.slopeColours[k]));
            }
            break;
        default:
            // The bird's-eye colouring draws flat colours; the rows stay as they were.
            break;
    }

    for (int32_t r = 0; r < kBandTextureSide; ++r) {
        uint32_t* row = Row(r);
        for (int32_t c = 1; c < kBandShadeColumns; ++c)
            row[c] = Scaled(row[0], (63 - c) / 90.0 + 0.3);
        row[kBandShadeColumns] = Scaled(row[0], 0.2);
    }

    g_bandTextureSlot = ImageSlot{};
    g_bandTextureSlot.width = kBandTextureSide;
    g_bandTextureSlot.height = kBandTextureSide;
    g_bandTextureSlot.stride = kBandTextureSide * 4;
    g_bandTextureSlot.loaded = 1;
    g_bandTextureSlot.positionKnown = 1;
    g_bandTextureSlot.pixels = reinterpret_cast<uint8_t*>(g_bandTexture);
}

void FreeBandTexture() {
    g_bandBlock.reset();
    g_bandTexture = nullptr;
    g_bandTextureSlot = ImageSlot{};
}
