#include "image/image_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/image_mapping.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/view_painter.h"
#include "view/view_state.h"

namespace {

enum Kind { kTrueColor, kIndexed, kMono };

Kind KindOf(const ImageSlot& image) {
    if (image.isMono) return kMono;
    if (image.isIndexed8) return kIndexed;
    return kTrueColor;
}

template <Kind K>
inline uint32_t Texel(const uint8_t* row, int32_t column, MonoPixels mono) {
    if constexpr (K == kMono) {
        return (row[column >> 3] >> (7 - (column & 7)) & 1) ? mono.fore : mono.back;
    } else if constexpr (K == kIndexed) {
        return g_bgImagePalette[row[column]];
    } else {
        uint32_t c;
        std::memcpy(&c, row + size_t(column) * 4, 4);
        return c;
    }
}

// Half-transparent has two forms: the exact average (rows wholly inside the image) and
// the cheaper one that drops each channel's low bit first (everywhere else).
enum Blend { kOverwrite = 1, kBlackLines = 2, kWhiteLines = 3, kHalfExact = 4, kHalfShifted = 5 };

template <Blend B>
inline uint32_t Mix(uint32_t p, uint32_t c) {
    if constexpr (B == kOverwrite) return c;
    if constexpr (B == kBlackLines) return p & c;
    if constexpr (B == kWhiteLines) return p | c;
    if constexpr (B == kHalfExact) return (p & c) + (((p ^ c) & 0xFEFEFEu) >> 1);
    return ((p >> 1) & 0x7F7F7Fu) + ((c >> 1) & 0x7F7F7Fu);
}

struct RowRun {
    const uint8_t* pixels;
    int32_t stride, width, height;
};

template <Kind K, Blend B>
void SampleRowInside(uint32_t* out, int32_t count, double x, double y, double dx, double dy, const RowRun& im,
                     MonoPixels mono) {
    // Every sample is inside: step in 32.32 fixed point.
    constexpr double kOne = 4294967296.0;
    int64_t fx = static_cast<int64_t>((x + 0.5) * kOne), fy = static_cast<int64_t>((y + 0.5) * kOne);
    const int64_t fdx = static_cast<int64_t>(dx * kOne), fdy = static_cast<int64_t>(dy * kOne);
    for (int32_t j = 0; j < count; ++j, fx += fdx, fy += fdy) {
        const int32_t c = static_cast<int32_t>(fx >> 32), r = static_cast<int32_t>(fy >> 32);
        out[j] = Mix<B>(out[j], Texel<K>(im.pixels + size_t(r) * im.stride, c, mono));
    }
}

template <Kind K, Blend B>
void SampleRowTested(uint32_t* out, int32_t count, double x, double y, double dx, double dy, const RowRun& im,
                     MonoPixels mono) {
    for (int32_t j = 0; j < count; ++j, x += dx, y += dy) {
        const double cx = std::floor(x + 0.5), cy = std::floor(y + 0.5);
        if (!(cx >= 0 && cx < im.width && cy >= 0 && cy < im.height)) continue;
        const int32_t c = static_cast<int32_t>(cx), r = static_cast<int32_t>(cy);
        out[j] = Mix<B>(out[j], Texel<K>(im.pixels + size_t(r) * im.stride, c, mono));
    }
}

using RowSampler = void (*)(uint32_t*, int32_t, double, double, double, double, const RowRun&, MonoPixels);

template <Kind K>
RowSampler PickSampler(int32_t mode, bool inside) {
    switch (mode) {
    case 1: return inside ? SampleRowInside<K, kOverwrite> : SampleRowTested<K, kOverwrite>;
    case 2: return inside ? SampleRowInside<K, kBlackLines> : SampleRowTested<K, kBlackLines>;
    case 3: return inside ? SampleRowInside<K, kWhiteLines> : SampleRowTested<K, kWhiteLines>;
    default: return inside ? SampleRowInside<K, kHalfExact> : SampleRowTested<K, kHalfShifted>;
    }
}

RowSampler PickSampler(Kind kind, int32_t mode, bool inside) {
    switch (kind) {
    case kMono: return PickSampler<kMono>(mode, inside);
    case kIndexed: return PickSampler<kIndexed>(mode, inside);
    default: return PickSampler<kTrueColor>(mode, inside);
    }
}

// Projective spans: (U, V, Wh) are linear in the screen, u = U / Wh and v = V / Wh.
template <Kind K, Blend B>
void FillSpan(uint32_t* out, int32_t count, double U, double V, double Wh, double dU, double dV, double dW,
              double sign, const RowRun& im, MonoPixels mono) {
    for (int32_t j = 0; j < count; ++j, U += dU, V += dV, Wh += dW) {
        if (!(Wh * sign > 0)) continue;
        const double u = U / Wh, v = V / Wh;
        if (!(u >= 0 && u < 1 && v >= 0 && v < 1)) continue;
        const int32_t c = std::min(static_cast<int32_t>(u * im.width), im.width - 1);
        const int32_t r = std::min(static_cast<int32_t>(v * im.height), im.height - 1);
        out[j] = Mix<B>(out[j], Texel<K>(im.pixels + size_t(r) * im.stride, c, mono));
    }
}

using SpanFiller = void (*)(uint32_t*, int32_t, double, double, double, double, double, double, double,
                            const RowRun&, MonoPixels);

template <Kind K>
SpanFiller PickFiller(int32_t mode) {
    switch (mode) {
    case 1: return FillSpan<K, kOverwrite>;
    case 2: return FillSpan<K, kBlackLines>;
    case 3: return FillSpan<K, kWhiteLines>;
    default: return FillSpan<K, kHalfShifted>;
    }
}

SpanFiller PickFiller(Kind kind, int32_t mode) {
    switch (kind) {
    case kMono: return PickFiller<kMono>(mode);
    case kIndexed: return PickFiller<kIndexed>(mode);
    default: return PickFiller<kTrueColor>(mode);
    }
}

// Ground to image fractions of the quadrilateral UL, UR, LL, LR as a 3 x 3 matrix acting on
// (east, north, 1); false when the corners are degenerate.
bool GroundToImageMatrix(const ImageSlot& image, double m[3][3]) {
    const double* p0 = image.corners[2];  // LL at (0, 0)
    const double* p1 = image.corners[3];  // LR at (1, 0)
    const double* p2 = image.corners[1];  // UR at (1, 1)
    const double* p3 = image.corners[0];  // UL at (0, 1)
    const double sx = p0[0] - p1[0] + p2[0] - p3[0], sy = p0[1] - p1[1] + p2[1] - p3[1];
    double a, b, c, d, e, f, g = 0, h = 0;
    const double dx1 = p1[0] - p2[0], dx2 = p3[0] - p2[0], dy1 = p1[1] - p2[1], dy2 = p3[1] - p2[1];
    const double den = dx1 * dy2 - dx2 * dy1;
    if (sx != 0 || sy != 0) {
        if (den == 0) return false;
        g = (sx * dy2 - dx2 * sy) / den;
        h = (dx1 * sy - sx * dy1) / den;
    }
    a = p1[0] - p0[0] + g * p1[0];
    b = p3[0] - p0[0] + h * p3[0];
    c = p0[0];
    d = p1[1] - p0[1] + g * p1[1];
    e = p3[1] - p0[1] + h * p3[1];
    f = p0[1];
    // Inverse up to scale: the adjugate of [[a b c] [d e f] [g h 1]].
    m[0][0] = e - f * h;
    m[0][1] = c * h - b;
    m[0][2] = b * f - c * e;
    m[1][0] = f * g - d;
    m[1][1] = a - c * g;
    m[1][2] = c * d - a * f;
    m[2][0] = d * h - e * g;
    m[2][1] = b * g - a * h;
    m[2][2] = a * e - b * d;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!std::isfinite(m[i][j])) return false;
    return m[2][2] != 0 || m[2][0] != 0 || m[2][1] != 0;
}

}  // namespace

void DrawImageByRows(ImageSlot& image, int32_t mode, const ImageDrawTarget& t, MonoPixels mono) {
    if (!image.pixels || image.width <= 0 || image.height <= 0 || t.scale <= 0) return;
    const double hx = (t.maxX / 2) / t.scale, hy = (t.maxY / 2) / t.scale;
    const double west = t.centerEast - hx, east = t.centerEast + hx;
    const double north = t.centerNorth + hy, south = t.centerNorth - hy;
    image.viewWindow[0] = west;
    image.viewWindow[1] = north;
    image.viewWindow[2] = east;
    image.viewWindow[3] = south;

    const RowRun run{image.pixels, image.stride > 0 ? image.stride : ImageRowStride(image), image.width,
                     image.height};
    const Kind kind = KindOf(image);
    const RowSampler inside = PickSampler(kind, mode, true), tested = PickSampler(kind, mode, false);
    const int32_t columns = t.maxX + 1;
    const double w = image.width, h = image.height;
    auto within = [](double value, int32_t limit) {
        return value >= 1 && value < limit - 1 && std::trunc(value) <= limit - 2;
    };
    for (int32_t r = 0; r <= t.maxY; ++r) {
        const double n = south + r * (north - south) / (t.maxY + 1);
        double u0, v0, u1, v1;
        MapGroundToImage(image, west, n, u0, v0);
        MapGroundToImage(image, east, n, u1, v1);
        const double x0 = u0 * w - 0.5, y0 = v0 * h - 0.5, x1 = u1 * w - 0.5, y1 = v1 * h - 0.5;
        const double dx = (x1 - x0) / columns, dy = (y1 - y0) / columns;
        const bool in = within(x0, image.width) && within(x1, image.width) && within(y0, image.height) &&
                        within(y1, image.height);
        (in ? inside : tested)(t.rows[r], columns, x0, y0, dx, dy, run, mono);
    }
}

bool DrawProjectiveImage(ImageSlot& image, int32_t mode, const ImageDrawTarget& t, MonoPixels mono) {
    if (!image.pixels || image.width <= 0 || image.height <= 0 || t.scale <= 0) return false;
    const double ox = (t.maxX + 1) / 2.0, oy = (t.maxY + 1) / 2.0;
    image.viewWindow[0] = t.centerEast - ox / t.scale;
    image.viewWindow[1] = t.centerNorth + oy / t.scale;
    image.viewWindow[2] = t.centerEast + ox / t.scale;
    image.viewWindow[3] = t.centerNorth - oy / t.scale;

    double m[3][3];
    if (!GroundToImageMatrix(image, m)) return false;
    int32_t top = INT32_MIN, bottom = INT32_MAX, left = INT32_MAX, right = INT32_MIN;
    double cornerE = 0, cornerN = 0;
    for (const auto& c : image.corners) {
        const double col = (c[0] - t.centerEast) * t.scale + ox, row = (c[1] - t.centerNorth) * t.scale + oy;
        if (!std::isfinite(col) || !std::isfinite(row)) return false;
        const int32_t ci = static_cast<int32_t>(std::clamp(std::trunc(col), -1e9, 1e9));
        const int32_t ri = static_cast<int32_t>(std::clamp(std::trunc(row), -1e9, 1e9));
        top = std::max(top, ri);
        bottom = std::min(bottom, ri);
        left = std::min(left, ci);
        right = std::max(right, ci);
        cornerE += c[0] / 4;
        cornerN += c[1] / 4;
    }
    if (top - bottom <= 1) return false;
    bottom = std::max(bottom, 0);
    top = std::min(top, t.maxY);
    left = std::max(left, 0);
    right = std::min(right, t.maxX);
    if (bottom > top || left > right) return false;

    // The homogeneous weight keeps one sign inside the quadrilateral; the other sign is
    // beyond its horizon.
    const double sign = m[2][0] * cornerE + m[2][1] * cornerN + m[2][2] > 0 ? 1.0 : -1.0;
    const RowRun run{image.pixels, image.stride > 0 ? image.stride : ImageRowStride(image), image.width,
                     image.height};
    const SpanFiller fill = PickFiller(KindOf(image), mode);
    // Sample at pixel centres: ground east = cE + (j + 0.5 - ox) / scale.
    const double de = 1 / t.scale;
    const double dU = m[0][0] * de, dV = m[1][0] * de, dW = m[2][0] * de;
    const double e0 = t.centerEast + (left + 0.5 - ox) / t.scale;
    for (int32_t r = bottom; r <= top; ++r) {
        const double n = t.centerNorth + (r + 0.5 - oy) / t.scale;
        const double U = m[0][0] * e0 + m[0][1] * n + m[0][2];
        const double V = m[1][0] * e0 + m[1][1] * n + m[1][2];
        const double W = m[2][0] * e0 + m[2][1] * n + m[2][2];
        fill(t.rows[r] + left, right - left + 1, U, V, W, dU, dV, dW, sign, run, mono);
    }
    return true;
}

void DrawImageIntoTarget(ImageSlot& image, int32_t mode, const ImageDrawTarget& target, MonoPixels mono,
                         double extentEast, double extentNorth, double extentSize) {
    if (mode < BLEND_OVERWRITE || mode > BLEND_HALF_TRANSPARENT || !image.loaded || !image.pixels) return;
    if (image.positionKnown == 0) {
        if (mode != BLEND_OVERWRITE || image.height <= 0) return;
        const double ratio = double(image.width) / image.height;
        const double sx = ratio > 1 ? 1 : ratio, sy = ratio > 1 ? 1 / ratio : 1;
        const double hw = extentSize * sx * 0.45, hh = extentSize * sy * 0.45;
        const double e = extentEast, n = extentNorth;
        const double corners[4][2] = {{e - hw, n + hh}, {e + hw, n + hh}, {e - hw, n - hh}, {e + hw, n - hh}};
        std::memcpy(image.corners, corners, sizeof corners);
        image.edgeLengths[0] = image.edgeLengths[1] = 2 * hw;
        image.edgeLengths[2] = image.edgeLengths[3] = 2 * hh;
        image.mapping.projectiveKind = 0;
        DrawImageByRows(image, mode, target, mono);
        return;
    }
    if (image.positionKnown == 4) {
        DrawProjectiveImage(image, mode, target, mono);
        return;
    }
    if (mode == BLEND_OVERWRITE) image.mapping.projectiveKind = 0;
    DrawImageByRows(image, mode, target, mono);
}

void ApplyImageBrightness(uint32_t* const* rows, int32_t width, int32_t height, int32_t percent) {
    if (percent >= 100 || percent < 0 || !rows) return;
    uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) table[i] = std::min<uint32_t>(255, i * uint32_t(percent) / 100);
    for (int32_t r = 0; r < height; ++r) {
        uint32_t* row = rows[r];
        for (int32_t j = 0; j < width; ++j) {
            const uint32_t p = row[j];
            row[j] = (p & 0xFF000000u) | table[p >> 16 & 0xFF] << 16 | table[p >> 8 & 0xFF] << 8 | table[p & 0xFF];
        }
    }
}

void ApplyImageBrightness(int32_t percent) {
    const BitmapInfoHeader* header = BackBufferHeader();
    if (!header || g_rowTable.empty()) return;
    const int32_t height = std::min<int32_t>(header->biHeight, int32_t(g_rowTable.size()));
    ApplyImageBrightness(g_rowTable.data(), header->biWidth, height, percent);
}

namespace {
uint32_t PaletteColorRef(int index) {
    if (!g_drawBitmapInfo) return 0;
    const RgbQuad& q = g_drawBitmapInfo->colors[index];
    return uint32_t(q.red) | uint32_t(q.green) << 8 | uint32_t(q.blue) << 16;
}
}  // namespace

void DrawBackgroundImages() {
    if (!g_backBufferPixels || g_rowTable.empty()) return;
    // The main image's drawing colours are the palette's image entries, which the user
    // may have changed since it was loaded.
    if (g_drawBitmapInfo) {
        g_bgImage.colorLow = PaletteColorRef(80);
        g_bgImage.colorHigh = PaletteColorRef(240);
    }
    SaveMainImageSlot();

    const ImageDrawTarget target{g_rowTable.data(), g_bufferMaxX, g_bufferMaxY, g_viewCenterY, g_viewCenterX,
                                 g_viewScale};
    auto drawSlot = [&](int32_t k, MonoPixels mono) {
        ImageSlot& slot = g_imageSlots[k];
        slot.pixels = g_imageSlotHandles[k].Lock();
        DrawImageIntoTarget(slot, slot.blendMode, target, mono, g_extentCenterY, g_extentCenterX, g_extentSize);
    };
    bool anyImage = false;
    // Overwrite images first: set bits of 1-bit images are black there.
    for (int32_t k = IMAGE_SLOT_COUNT - 1; k >= 0; --k) {
        if (g_imageSlotHandles[k].Empty()) continue;
        anyImage = true;
        if (g_imageSlots[k].blendMode == BLEND_OVERWRITE) drawSlot(k, {0, SwapRedBlue(g_imageSlots[k].colorLow)});
    }
    for (int32_t k = IMAGE_SLOT_COUNT - 1; k >= 0; --k) {
        if (g_imageSlotHandles[k].Empty()) continue;
        const int32_t mode = g_imageSlots[k].blendMode;
        if (mode >= BLEND_BLACK_LINES && mode <= BLEND_HALF_TRANSPARENT)
            drawSlot(k, {SwapRedBlue(g_imageSlots[k].colorHigh), SwapRedBlue(g_imageSlots[k].colorLow)});
    }
    LoadMainImageSlot();

    if (g_imageBrightness < 100) {
        if (!anyImage) g_imageBrightness = 100;
        ApplyImageBrightness(g_imageBrightness);
    }
}

void InstallBackgroundImageLayer() {
    g_painterLayers.backgroundImages = [] {
        if (g_bgImage.blendMode != BLEND_HIDDEN) DrawBackgroundImages();
    };
}
