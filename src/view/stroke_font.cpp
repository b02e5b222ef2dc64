#include "view/stroke_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/system_text.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

StrokeFont g_strokeFont;
int32_t g_fontLoaded = 0;
StrokeTextStyle g_strokeTextStyle;

namespace {
constexpr int kFileGlyphs = 255;
constexpr size_t kRecordBytes = sizeof(StrokeGlyph);
// Degrees to radians as the view has always converted them.
constexpr double kDegree = 0.017453292519444445;

void ClearFont() {
    std::memset(&g_strokeFont, 0, sizeof g_strokeFont);
    for (StrokeGlyph& g : g_strokeFont.glyphs) g.x[1] = kStrokeEnd;
}

// Whole little-endian records from `bytes` into glyphs 0.., at most 255 of them.
void DecodeRecords(const unsigned char* bytes, size_t size) {
    const size_t count = std::min(size / kRecordBytes, static_cast<size_t>(kFileGlyphs));
    for (size_t c = 0; c < count; ++c) {
        const unsigned char* rec = bytes + c * kRecordBytes;
        StrokeGlyph& g = g_strokeFont.glyphs[c];
        auto value = [rec](int k) {
            return static_cast<int16_t>(rec[2 * k] | rec[2 * k + 1] << 8);
        };
        for (int k = 0; k < 21; ++k) g.x[k] = value(k);
        for (int k = 0; k < 21; ++k) g.y[k] = value(21 + k);
    }
}

inline int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// base + trunc(v), without wrapping far-off points round.
inline int32_t Offset(int32_t base, double v) {
    return Clamp32(static_cast<int64_t>(base) + TruncToRaster(v));
}

inline void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    g_lineX0 = x0;
    g_lineY0 = y0;
    g_lineX1 = x1;
    g_lineY1 = y1;
    DrawLine();
}

// TruncToRaster of a whole number.
inline int32_t HoldToRaster(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -INT32_MAX, INT32_MAX));
}

// TruncToRaster(nearbyint(q / 4)): the nearest whole number, halves to the even one.
inline int32_t NearestQuarter(int64_t q) {
    const int64_t floor = q >> 2;
    const int64_t rest = q & 3;
    return HoldToRaster(floor + (rest > 2 || (rest == 2 && (floor & 1) != 0) ? 1 : 0));
}

// Number of leading characters the centred and plain drawers show: codes 32..127.
size_t PrintableRun(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && static_cast<signed char>(text[n]) >= 32) ++n;
    return n;
}
}  // namespace

void LoadStrokeFontFrom(const std::filesystem::path& folder) {
    ClearFont();
    const std::filesystem::path path = FindFileNoCase(folder / kStrokeFontFileName);
    if (!path.empty()) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::string bytes(kFileGlyphs * kRecordBytes, '\0');
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            // A short file gives the glyphs it holds in whole; the rest stay empty.
            DecodeRecords(reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<size_t>(in.gcount()));
            g_fontLoaded = 1;
            return;
        }
    }
    DecodeRecords(kBuiltinStrokeFont, kBuiltinStrokeFontSize);
    g_fontLoaded = 1;
}

void LoadStrokeFont() { LoadStrokeFontFrom(ProgramFolder()); }

void SetStrokeTextSize(int32_t height, int32_t width, int32_t pitch) {
    height = std::clamp(height, 5, 100);
    width = std::clamp(width, 4, 80);
    g_strokeTextStyle.heightScale = static_cast<float>(height) * 0.25f;
    g_strokeTextStyle.widthScale = static_cast<float>(width) * 0.25f;
    g_strokeTextStyle.pitch = pitch <= 0 ? 1 : std::min(pitch, 100);
}

void SetStrokeTextDirection(int32_t dx, int32_t dy) {
    float c = 1.0f, s = 0.0f;
    if (dx != 0 || dy != 0) {
        const double len = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
        c = static_cast<float>(dx / len);
        s = static_cast<float>(dy / len);
        if (dx < 0) {
            c = -c;
            s = -s;
        }
    }
    g_strokeTextStyle.dirCos = c;
    g_strokeTextStyle.dirNegSin = -s;
    g_strokeTextStyle.dirSin = s;
    g_strokeTextStyle.dirCos2 = c;
}

void DrawStrokeTextRotated(std::string_view text, int32_t x, int32_t y) {
    if (g_fontLoaded != 1) return;
    const StrokeTextStyle& st = g_strokeTextStyle;
    const size_t n = PrintableRun(text);
    const float t = st.alignAcross * st.heightScale * 4.0f;
    const float e = static_cast<float>(n) * static_cast<float>(st.pitch) * st.alignAlong;
    float ox = static_cast<float>(x) + e * st.dirCos + t * st.dirNegSin;
    float oy = static_cast<float>(y) + e * st.dirSin + t * st.dirCos;
    for (size_t i = 0; i < n; ++i) {
        auto map = [&](int16_t gx, int16_t gy, int32_t& col, int32_t& row) {
            const float h = static_cast<float>(gx) * st.widthScale;
            const float v = static_cast<float>(gy) * st.heightScale;
            col = TruncToRaster(ox + h * st.dirCos + v * st.dirNegSin);
            row = TruncToRaster(oy + h * st.dirSin + v * st.dirCos2);
        };
        WalkStrokeGlyph(g_strokeFont.glyphs[static_cast<unsigned char>(text[i])],
                        [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                            int32_t c0, r0, c1, r1;
                            map(h0, v0, c0, r0);
                            map(h1, v1, c1, r1);
                            Line(c0, r0, c1, r1);
                        });
        ox += static_cast<float>(st.pitch) * st.dirCos;
        oy += static_cast<float>(st.pitch) * st.dirSin;
    }
}

void DrawStrokeText(std::string_view text, int32_t dx, int32_t dy, int32_t size, int32_t width) {
    if (g_fontLoaded != 1) return;
    const size_t n = PrintableRun(text);
    // The glyph points are whole quarters of a pixel from a pen on whole pixels: their
    // places rounded to the nearest pixel (halves to even) are worked out in integers.
    int64_t ox4 = 4 * (int64_t{g_viewportCenterX} + dx);
    const int64_t oy4 = 4 * (int64_t{g_viewportCenterY} + dy);
    for (size_t i = 0; i < n; ++i) {
        auto col = [&](int16_t gx) { return NearestQuarter(ox4 + int64_t{gx} * width); };
        auto row = [&](int16_t gy) { return NearestQuarter(oy4 + int64_t{gy} * size); };
        WalkStrokeGlyph(g_strokeFont.glyphs[static_cast<unsigned char>(text[i])],
                        [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                            Line(col(h0), row(v0), col(h1), row(v1));
                        });
        ox4 += 4 * int64_t{size};
    }
}

namespace {
// The text walk of the rotatable drawers: every byte a glyph, a double-byte character
// glyph 224 on its 8-unit cell. `place(a, b, px, py, col, row)` turns a glyph point's
// offsets along (a) and across (b) the text at pen position (px, py) into a pixel; the pen
// starts at (x, y) and advances by height + spacing along the text.
template <class Place>
void WalkText(std::string_view text, double x, double y, double height, double width,
              double spacing, double c, double s, Place&& place) {
    const double advance = height + spacing;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        int glyph = b;
        if (IsCp932LeadByte(b)) {
            glyph = kDoubleByteGlyph;
            ++i;  // the trail byte is part of the same character
        }
        const double u = glyph == kDoubleByteGlyph ? 1.0 / 8 : 1.0 / 4;
        auto map = [&](int16_t h, int16_t v, int32_t& col, int32_t& row) {
            place(h * u * width, v * u * height, x, y, col, row);
        };
        WalkStrokeGlyph(g_strokeFont.glyphs[glyph],
                        [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                            int32_t c0, r0, c1, r1;
                            map(h0, v0, c0, r0);
                            map(h1, v1, c1, r1);
                            Line(c0, r0, c1, r1);
                        });
        x += advance * c;
        y += advance * s;
    }
}

// WalkText unturned (direction (1, 0)) with the pen advancing by the height, on whole
// pixels from the viewport centre: a glyph point lies whole quarters (eighths on the
// double-byte cell) of a pixel from the pen, so its place truncated toward zero is
// worked out in integers.
void WalkLevelText(std::string_view text, int32_t col, int32_t row, int32_t height, int32_t width) {
    int64_t x = col;
    const int64_t y = row;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        int glyph = b;
        if (IsCp932LeadByte(b)) {
            glyph = kDoubleByteGlyph;
            ++i;  // the trail byte is part of the same character
        }
        const int64_t unit = glyph == kDoubleByteGlyph ? 8 : 4;
        auto column = [&](int16_t h) {
            return Clamp32(g_viewportCenterX +
                           int64_t{HoldToRaster((h * int64_t{width} + unit * x) / unit)});
        };
        auto line = [&](int16_t v) {
            return Clamp32(g_viewportCenterY +
                           int64_t{HoldToRaster((v * int64_t{height} + unit * y) / unit)});
        };
        WalkStrokeGlyph(g_strokeFont.glyphs[glyph],
                        [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                            Line(column(h0), line(v0), column(h1), line(v1));
                        });
        x += height;
    }
}

// The drawers that transform ground coordinates themselves: (value - centre) x scale,
// truncated toward zero.
inline int32_t GroundColumn(double east) {
    return Offset(g_viewportCenterX, (east - g_viewCenterY) * g_viewScale);
}
inline int32_t GroundRow(double north) {
    return Offset(g_viewportCenterY, (north - g_viewCenterX) * g_viewScale);
}

// The cell outline of every lit canvas pixel but the last column's: origin (ox, oy), steps
// u along the text and v up it, in pixels.
void DrawCellOutlines(const SystemTextCanvas& canvas, int w, int hs, double ox, double oy,
                      double ux, double uy, double vx, double vy) {
    auto T = [](double v) { return TruncToRaster(v); };
    for (int r = hs - 1, k = 0; r >= 0; --r, ++k) {
        double px = ox + k * vx, py = oy + k * vy;
        for (int i = 0; i <= w - 2; ++i) {
            if (canvas.IsLit(i, r)) {
                Line(T(px), T(py), T(px + ux), T(py + uy));
                Line(T(px + ux + vx), T(py + uy + vy), T(px + ux), T(py + uy));
                Line(T(px + ux + vx), T(py + uy + vy), T(px + vx), T(py + vy));
                Line(T(px), T(py), T(px + vx), T(py + vy));
            }
            px += ux;
            py += uy;
        }
    }
}
}  // namespace

int32_t DrawTextRotated(std::string_view text, double east, double north, double height,
                        double width, double spacing, double angle) {
    if (g_fontLoaded != 1) return -1;
    const double c = std::cos(angle * kDegree), s = std::sin(angle * kDegree);
    WalkText(text, east, north, height, width, spacing, c, s,
             [&](double a, double b, double pe, double pn, int32_t& col, int32_t& row) {
                 col = GroundColumn(pe + a * c - b * s);
                 row = GroundRow(pn + a * s + b * c);
             });
    return 0;
}

int32_t DrawTextRotatedPixels(std::string_view text, int32_t col, int32_t row, int32_t height,
                              int32_t width, double spacing, double angle) {
    if (g_fontLoaded != 1) return -1;
    if (angle == 0 && spacing == 0) {
        WalkLevelText(text, col, row, height, width);
        return 0;
    }
    const double c = std::cos(angle * kDegree), s = std::sin(angle * kDegree);
    WalkText(text, col, row, height, width, spacing, c, s,
             [&](double a, double b, double x, double y, int32_t& outCol, int32_t& outRow) {
                 outCol = Offset(g_viewportCenterX, a * c - b * s + x);
                 outRow = Offset(g_viewportCenterY, a * s + b * c + y);
             });
    return 0;
}

int32_t DrawGdiTextScaled(SystemTextCanvas* canvas, std::string_view text, int32_t col, int32_t row,
                          int32_t height) {
    if (canvas == nullptr || text.empty()) return 0;
    const SystemTextExtent ext = canvas->Extent(text);
    canvas->DrawText(text);
    const int64_t w = ext.width, hs = ext.height;
    if (hs <= 0 || w <= 0) return 0;
    const int64_t h = std::max(height, 14);
    const int64_t targetWidth = w * h / hs;
    const int64_t baseCol = static_cast<int64_t>(col) + g_viewportCenterX;
    const int64_t baseRow = static_cast<int64_t>(row) + g_viewportCenterY;
    for (int64_t r = hs - 1, k = 0; r >= 0; --r, ++k) {
        const int32_t y = Clamp32(baseRow + k * (h - 1) / hs);
        for (int64_t i = 0; i < w; ++i)
            if (canvas->IsLit(static_cast<int>(i), static_cast<int>(r)))
                PlotPixel(Clamp32(baseCol + i * (targetWidth - 1) / w), y);
    }
    return 0;
}

void DrawGdiTextRotated(SystemTextCanvas* canvas, std::string_view text, double east, double north,
                        double height, double angle) {
    if (canvas == nullptr || text.empty()) return;
    const SystemTextExtent ext = canvas->Extent(text);
    canvas->DrawText(text);
    if (ext.width < 4 || ext.height < 4) return;
    const double g = g_viewScale * height / ext.height;
    const double c = std::cos(angle * kDegree), s = std::sin(angle * kDegree);
    const double ox = g_viewportCenterX + (east - g_viewCenterY) * g_viewScale;
    const double oy = g_viewportCenterY + (north - g_viewCenterX) * g_viewScale;
    DrawCellOutlines(*canvas, ext.width, ext.height, ox, oy, g * c, g * s, -g * s, g * c);
}

void DrawGdiTextRotatedPixels(SystemTextCanvas* canvas, std::string_view text, int32_t col,
                              int32_t row, int32_t height, double angle) {
    if (canvas == nullptr || text.empty()) return;
    const SystemTextExtent ext = canvas->Extent(text);
    canvas->DrawText(text);
    if (ext.width < 4 || ext.height < 4) return;
    const double g = static_cast<double>(height) / ext.height;
    const double c = std::cos(angle * kDegree), s = std::sin(angle * kDegree);
    DrawCellOutlines(*canvas, ext.width, ext.height, static_cast<double>(g_viewportCenterX) + col,
                     static_cast<double>(g_viewportCenterY) + row, g * c, g * s, -g * s, g * c);
}

void DrawLabel3D(double x, double y, double z, std::string_view text) {
    const double* m = g_cameraMatrix;
    const double east = y - g_eyeY, up = z - g_eyeZ, north = x - g_eyeX;
    const double d = m[6] * east + m[7] * up + m[8] * north;
    if (!(d > g_nearPlane)) return;
    const double size = std::min(std::trunc(7.0 * g_bufferMaxX / (g_viewScale * d)), 10.0);
    const double col = std::trunc(g_focalLength / d * (m[0] * east + m[1] * up + m[2] * north));
    const double row = std::trunc(g_focalLength / d * (m[3] * east + m[4] * up + m[5] * north));
    // Tested before the conversion, so far-off points are dropped, not wrapped round.
    constexpr double kLimit = 8388608.0;  // 2^23
    if (!(col >= -kLimit && col < kLimit && row >= -kLimit && row < kLimit)) return;
    const int32_t px = size > 0 ? static_cast<int32_t>(size) : 0;
    const auto length = static_cast<int32_t>(std::min<size_t>(text.size(), 1 << 20));
    DrawTextRotatedPixels(text, static_cast<int32_t>(col) - 4 * length,
                          static_cast<int32_t>(row) + 3, px, px * 3 / 4, 0, 0);
}
