#include "view/stroke_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

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

// ---- glyph stamps ----
// A glyph point's offset from the pen, in the drawers that keep the pen on whole pixels, is
// rounded the same way wherever the pen stands within one class: toward zero right of the
// viewport centre (down) or left of it (up), or to the nearest pixel, halves to even, with
// the pen on an even or an odd pixel. Within a class a glyph at one size is therefore one
// set of pixels around the pen's pixel: its stamp, found once and then written pixel by
// pixel instead of stroke by stroke. Stamps are used only where they lie wholly inside the
// clip rectangle (or wholly beside it, where no stroke would draw).
enum Rounding : uint8_t { kDown, kUp, kNearestEven, kNearestOdd };

// The extent of a glyph's points, kept with the record it was found for.
struct GlyphExtent {
    StrokeGlyph record{};
    uint32_t version = 0;  // 0: not found yet
    int16_t minH = 0, maxH = 0, minV = 0, maxV = 0;
    bool any = false;  // the glyph has a stroke
};
GlyphExtent g_extents[256];
uint32_t g_extentVersion = 0;

// Whether two glyph records hold the same bytes (asked for every glyph drawn).
bool SameRecord(const StrokeGlyph& a, const StrokeGlyph& b) {
    static_assert(sizeof(StrokeGlyph) == 10 * 8 + 4);
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    uint64_t differ = 0;
    for (int k = 0; k < 10; ++k) {
        uint64_t x, y;
        std::memcpy(&x, pa + 8 * k, 8);
        std::memcpy(&y, pb + 8 * k, 8);
        differ |= x ^ y;
    }
    uint32_t x, y;
    std::memcpy(&x, pa + 80, 4);
    std::memcpy(&y, pb + 80, 4);
    return (differ | (x ^ y)) == 0;
}

const GlyphExtent& ExtentOf(int code) {
    GlyphExtent& e = g_extents[code];
    const StrokeGlyph& g = g_strokeFont.glyphs[code];
    if (e.version != 0 && SameRecord(e.record, g)) return e;
    e.record = g;
    e.version = ++g_extentVersion;
    e.any = false;
    WalkStrokeGlyph(g, [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
        if (!e.any) {
            e.minH = e.maxH = h0;
            e.minV = e.maxV = v0;
            e.any = true;
        }
        e.minH = std::min({e.minH, h0, h1});
        e.maxH = std::max({e.maxH, h0, h1});
        e.minV = std::min({e.minV, v0, v1});
        e.maxV = std::max({e.maxV, v0, v1});
    });
    return e;
}

struct StampPixel {
    int16_t dx, dy;
};

struct GlyphStamp {
    // What it was made for.
    uint32_t version = 0;  // of the glyph's extent; 0: empty slot
    int32_t code = 0, width = 0, height = 0, unit = 0;
    Rounding columns = kDown, rows = kDown;
    // Made: false when the glyph is too large to stamp.
    bool usable = false;
    int32_t left = 0, right = 0, bottom = 0, top = 0;
    std::vector<StampPixel> pixels;
};
// The stamps of one text size, per glyph code and rounding of columns and rows (both
// toward zero or both to the nearest pixel).
struct StampSize {
    int32_t width = 0, height = 0;
    std::unique_ptr<GlyphStamp[]> stamps;
};
constexpr int kStampsPerSize = 256 * 8;
StampSize g_stampSizes[8];
size_t g_nextStampSize = 0;

// The stamp table of a size (one not drawn lately takes the place of the oldest); null
// when there is no memory for it.
GlyphStamp* StampsOf(int32_t width, int32_t height) {
    for (StampSize& s : g_stampSizes)
        if (s.stamps && s.width == width && s.height == height) return s.stamps.get();
    StampSize& s = g_stampSizes[g_nextStampSize];
    g_nextStampSize = (g_nextStampSize + 1) % std::size(g_stampSizes);
    s.width = width;
    s.height = height;
    s.stamps.reset(new (std::nothrow) GlyphStamp[kStampsPerSize]);
    return s.stamps.get();
}

// The offset of a glyph point q / unit from the pen's pixel (q = point x size).
int64_t PointOffset(int64_t q, int64_t unit, Rounding rounding) {
    const int64_t floor = q >= 0 ? q / unit : -((-q + unit - 1) / unit);
    const int64_t rest = q - floor * unit;
    switch (rounding) {
        case kDown:
            return floor;
        case kUp:
            return rest != 0 ? floor + 1 : floor;
        case kNearestEven:
        case kNearestOdd: {
            // The pen's parity plus the offset decides the even neighbour of a half.
            const int64_t parity = (rounding == kNearestOdd ? 1 : 0) + floor;
            return floor + (2 * rest > unit || (2 * rest == unit && (parity & 1) != 0) ? 1 : 0);
        }
    }
    return floor;
}

// The stamp of glyph `code` at the size (width, height) in glyph units of 1 / unit, rounded
// as given; null when the glyph cannot be stamped.
// `table` is StampsOf(width, height).
const GlyphStamp* StampOf(GlyphStamp* table, int code, const GlyphExtent& extent, int32_t width,
                          int32_t height, int32_t unit, Rounding columns, Rounding rows) {
    if (table == nullptr) return nullptr;
    GlyphStamp& s = table[code * 8 + (columns & 2) * 2 + (columns & 1) * 2 + (rows & 1)];
    if (s.version == extent.version && s.unit == unit && s.columns == columns && s.rows == rows)
        return s.usable ? &s : nullptr;
    s.version = extent.version;
    s.code = code;
    s.width = width;
    s.height = height;
    s.unit = unit;
    s.columns = columns;
    s.rows = rows;
    s.usable = false;
    s.pixels.clear();
    // Offsets and pixel counts of ordinary text; anything larger is drawn stroke by stroke.
    constexpr int64_t kReach = 2048;
    constexpr size_t kMostPixels = 1 << 16;
    bool fits = true;
    auto place = [&](int16_t h, int16_t v, int32_t& x, int32_t& y) {
        const int64_t ox = PointOffset(int64_t{h} * width, unit, columns);
        const int64_t oy = PointOffset(int64_t{v} * height, unit, rows);
        fits = fits && std::abs(ox) <= kReach && std::abs(oy) <= kReach;
        x = static_cast<int32_t>(std::clamp<int64_t>(ox, -kReach, kReach));
        y = static_cast<int32_t>(std::clamp<int64_t>(oy, -kReach, kReach));
    };
    WalkStrokeGlyph(g_strokeFont.glyphs[code], [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
        if (!fits || s.pixels.size() > kMostPixels) return;
        int32_t x0, y0, x1, y1;
        place(h0, v0, x0, y0);
        place(h1, v1, x1, y1);
        // As DrawLine orders the ends.
        const bool second = x1 > x0;
        WalkLinePixels(second ? x1 : x0, second ? y1 : y0, second ? x0 : x1, second ? y0 : y1,
                       [&](int32_t, int32_t x, int32_t y, bool, int32_t) {
                           s.pixels.push_back({static_cast<int16_t>(x), static_cast<int16_t>(y)});
                       });
    });
    if (!fits || s.pixels.size() > kMostPixels) return nullptr;
    std::sort(s.pixels.begin(), s.pixels.end(),
              [](StampPixel a, StampPixel b) { return a.dy != b.dy ? a.dy < b.dy : a.dx < b.dx; });
    s.pixels.erase(
        std::unique(s.pixels.begin(), s.pixels.end(),
                    [](StampPixel a, StampPixel b) { return a.dx == b.dx && a.dy == b.dy; }),
        s.pixels.end());
    s.left = s.bottom = INT32_MAX;
    s.right = s.top = INT32_MIN;
    for (const StampPixel& p : s.pixels) {
        s.left = std::min<int32_t>(s.left, p.dx);
        s.right = std::max<int32_t>(s.right, p.dx);
        s.bottom = std::min<int32_t>(s.bottom, p.dy);
        s.top = std::max<int32_t>(s.top, p.dy);
    }
    s.usable = true;
    return &s;
}

enum class Stamped { kDrawn, kOutside, kNo };

// Writes the stamp at the pen's pixel (x, y) when it lies inside the clip rectangle;
// kOutside when it lies wholly beside it (no stroke would draw); kNo when it crosses the
// rectangle's border and must be drawn stroke by stroke.
Stamped WriteStamp(const GlyphStamp& s, int64_t x, int64_t y) {
    if (s.pixels.empty() || g_backBufferPixels == nullptr) return Stamped::kOutside;
    if (x + s.right < g_clipLeft || x + s.left > g_bufferMaxX || y + s.top < g_clipTop ||
        y + s.bottom > g_bufferMaxY)
        return Stamped::kOutside;
    if (x + s.left < g_clipLeft || x + s.right > g_bufferMaxX || y + s.bottom < g_clipTop ||
        y + s.top > g_bufferMaxY)
        return Stamped::kNo;
    const uint32_t c = g_lineColor;
    const int32_t px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
    uint32_t* const* rows = g_rowTable.data() + py;
    for (const StampPixel& p : s.pixels) rows[p.dy][px + p.dx] = c;
    return Stamped::kDrawn;
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
    GlyphStamp* const table = n > 0 ? StampsOf(width, size) : nullptr;
    for (size_t i = 0; i < n; ++i) {
        const int code = static_cast<unsigned char>(text[i]);
        const GlyphExtent& extent = ExtentOf(code);
        const int64_t ox = ox4 / 4, oy = oy4 / 4;
        const GlyphStamp* stamp = extent.any ? StampOf(table, code, extent, width, size, 4,
                                                       (ox & 1) ? kNearestOdd : kNearestEven,
                                                       (oy & 1) ? kNearestOdd : kNearestEven)
                                             : nullptr;
        if (!extent.any || (stamp && WriteStamp(*stamp, ox, oy) != Stamped::kNo)) {
            ox4 += 4 * int64_t{size};
            continue;
        }
        auto col = [&](int16_t gx) { return NearestQuarter(ox4 + int64_t{gx} * width); };
        auto row = [&](int16_t gy) { return NearestQuarter(oy4 + int64_t{gy} * size); };
        WalkStrokeGlyph(g_strokeFont.glyphs[code],
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
    GlyphStamp* const table = !text.empty() ? StampsOf(width, height) : nullptr;
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        int glyph = b;
        if (IsCp932LeadByte(b)) {
            glyph = kDoubleByteGlyph;
            ++i;  // the trail byte is part of the same character
        }
        const int64_t unit = glyph == kDoubleByteGlyph ? 8 : 4;
        const GlyphExtent& extent = ExtentOf(glyph);
        if (!extent.any) {
            x += height;
            continue;
        }
        // Each point's place truncated toward zero: down when every point of the glyph
        // lies right of the centre (or on it), up when every point lies left of it.
        auto rounding = [&](int64_t pen, int16_t low, int16_t high, int32_t size) {
            const int64_t a = unit * pen + int64_t{low} * size,
                          b = unit * pen + int64_t{high} * size;
            return std::min(a, b) >= 0 ? 0 : std::max(a, b) <= 0 ? 1 : -1;
        };
        const int columns = rounding(x, extent.minH, extent.maxH, width);
        const int rows = rounding(y, extent.minV, extent.maxV, height);
        if (columns >= 0 && rows >= 0) {
            const GlyphStamp* stamp =
                StampOf(table, glyph, extent, width, height, static_cast<int32_t>(unit),
                        columns == 0 ? kDown : kUp, rows == 0 ? kDown : kUp);
            if (stamp && WriteStamp(*stamp, int64_t{g_viewportCenterX} + x,
                                    int64_t{g_viewportCenterY} + y) != Stamped::kNo) {
                x += height;
                continue;
            }
        }
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
