#include "view/view_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/auto_outline.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {
// Grey levels of the intensity characters '#' (0x23) to '}' (0x7D).
constexpr uint8_t kIntensity[] = {
    64,  66,  68,  70,  72,  74,  76,  78,  80,  83,  85,  87,  89,  91,  94,  95,  98,  100, 102,
    104, 106, 108, 110, 113, 114, 117, 119, 121, 123, 125, 127, 129, 132, 134, 136, 138, 140, 142,
    144, 146, 148, 150, 153, 154, 157, 159, 161, 163, 165, 167, 169, 172, 174, 176, 178, 180, 182,
    184, 186, 188, 190, 193, 195, 197, 199, 201, 203, 205, 207, 209, 211, 214, 216, 218, 220, 222,
    224, 226, 228, 231, 233, 235, 237, 239, 241, 243, 245, 247, 250, 252, 254};
static_assert(sizeof kIntensity == 0x7D - 0x23 + 1);

uint32_t HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c == 0) return 15;
    return 0;
}

// Copies text into out as far as it fits; returns the characters copied.
int32_t CopyOut(const char* text, size_t length, char* out, size_t outSize) {
    const size_t n = std::min(length, outSize - 1);
    std::memcpy(out, text, n);
    out[n] = 0;
    return static_cast<int32_t>(n);
}

int32_t PrintFixed(double value, int32_t decimals, char* out, size_t outSize) {
    const int length = std::snprintf(out, outSize, "%.*f", decimals, value);
    return length < 0 ? 0 : static_cast<int32_t>(std::min<size_t>(length, outSize - 1));
}
}  // namespace

int32_t PointColorFromName(const char* name) {
    // Names never carry a colour cache: a colour always comes from the name's own text,
    // so bytes left behind by a rename cannot pass for a colour.
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    if (bytes[0] != '#') return 0;
    if (g_pointColorMode == 1) {
        const unsigned char c = bytes[7];
        const uint32_t grey = c >= 0x23 && c <= 0x7D ? kIntensity[c - 0x23] : 255;
        g_rasterColor = grey << 16 | grey << 8 | grey;
        return 1;
    }
    uint32_t color = 0;
    HexColorFromName(name, color);
    g_rasterColor = color;
    return 1;
}

bool HexColorFromName(const char* name, uint32_t& color) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(name);
    if (bytes[0] != '#') return false;
    uint32_t channel[3];
    for (int k = 0; k < 3; ++k)
        channel[k] = HexDigit(bytes[2 * k + 1]) * 16 + HexDigit(bytes[2 * k + 2]);
    color = channel[0] << 16 | channel[1] << 8 | channel[2];
    return true;
}

int32_t FormatFixed(double value, int32_t decimals, char* out, size_t outSize) {
    if (decimals < 0 || decimals > 7 || !out || outSize == 0) return 0;
    const double magnitude = std::fabs(value);
    // Where rounding can add an integer digit, and for anything large, printf does it.
    if (!(magnitude < 9999)) return PrintFixed(value, decimals, out, outSize);
    const int32_t n = static_cast<int32_t>(magnitude);
    if (n == 9 || n == 99 || n == 999) return PrintFixed(value, decimals, out, outSize);

    static constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
    const long long rounded = std::llround(magnitude * kPowers[decimals] + 1e-8);
    const int intDigits = n <= 9 ? 1 : n <= 99 ? 2 : n <= 999 ? 3 : 4;
    char digits[24];
    const int count = std::snprintf(digits, sizeof digits, "%0*lld", intDigits + decimals, rounded);
    if (count != intDigits + decimals) return PrintFixed(value, decimals, out, outSize);

    char text[32];
    size_t length = 0;
    if (static_cast<float>(value) < 0) text[length++] = '-';
    std::memcpy(text + length, digits, intDigits);
    length += intDigits;
    if (decimals > 0) {
        text[length++] = '.';
        std::memcpy(text + length, digits + intDigits, decimals);
        length += decimals;
    }
    return CopyOut(text, length, out, outSize);
}

bool AutoOutlineSearchCircle(int& cx, int& cy, int& radius) {
    if (g_autoOutlineWnd == 0 || !(g_autoOutlineDistance > 0)) return false;
    const double r = g_autoOutlineDistance * g_viewScale;
    if (!(r >= 1) || r > 1e6) return false;
    cx = g_viewportCenterX;
    cy = g_viewportCenterY;
    radius = static_cast<int>(r);
    return true;
}
