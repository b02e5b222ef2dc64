#pragma once
// The vector stroke font of the view's texts and the operations that draw with it (and,
// for double-byte text, with the system font) into the locked back buffer.
//
// A glyph is a polyline list on a small grid: entry 0 is the start point; in entries
// 1..20 an x of 8 lifts the pen (the next entry is a new start point), an x above 8 ends
// the glyph, any other x draws a line to that point. Cells are 4 units wide and high
// (origin lower left, y up), except glyph 224, drawn on an 8-unit cell, which stands for
// every double-byte character.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

class SystemTextCanvas;

struct StrokeGlyph {
    int16_t x[21];
    int16_t y[21];
};
static_assert(sizeof(StrokeGlyph) == 84);

struct StrokeFont {
    StrokeGlyph glyphs[256];
};

constexpr int16_t kStrokePenUp = 8;
constexpr int16_t kStrokeEnd = 9;
constexpr int kDoubleByteGlyph = 224;
constexpr const char* kStrokeFontFileName = "OVKFONT.FON";

extern StrokeFont g_strokeFont;
extern int32_t g_fontLoaded;  // 1 once a font was read

// The built-in copy: 256 records in the file's layout.
extern const unsigned char kBuiltinStrokeFont[];
extern const size_t kBuiltinStrokeFontSize;

// Reads "OVKFONT.FON" from the program folder, else the built-in copy.
void LoadStrokeFont();
// The same from a given folder (the program folder is the one the program uses).
void LoadStrokeFontFrom(const std::filesystem::path& folder);

// Style of the centred, rotatable stroke text.
struct StrokeTextStyle {
    float dirCos = 1.0f;
    float dirNegSin = 0.0f;
    float dirSin = 0.0f;
    float dirCos2 = 1.0f;
    float widthScale = 3.5f;    // pixels per glyph x unit
    float heightScale = 2.25f;  // pixels per glyph y unit
    float alignAlong = -0.5f;   // string lengths along the direction
    float alignAcross = 0.3f;   // units of 4 x heightScale across it
    int32_t pitch = 10;         // advance per character, pixels
};
extern StrokeTextStyle g_strokeTextStyle;

// Height 5..100, width 4..80 and pitch 1..100 pixels (pitch <= 0 becomes 1).
void SetStrokeTextSize(int32_t height, int32_t width, int32_t pitch);
// Unit vector of (dx, dy), turned round when dx < 0; (0, 0) is horizontal.
void SetStrokeTextDirection(int32_t dx, int32_t dy);
// Codes 32..127 up to the first other byte, centred on the buffer point (x, y).
void DrawStrokeTextRotated(std::string_view text, int32_t x, int32_t y);
// Codes 32..127 unrotated, first glyph origin at the viewport centre + (dx, dy).
void DrawStrokeText(std::string_view text, int32_t dx, int32_t dy, int32_t size, int32_t width);

// Every byte drawn (double-byte characters as glyph 224) in ground units: origin (east,
// north), sizes in metres, angle in degrees from east towards north; -1 without a font.
int32_t DrawTextRotated(std::string_view text, double east, double north, double height,
                        double width, double spacing, double angle);
// The same in pixels, origin at the viewport centre + (col, row); -1 without a font.
int32_t DrawTextRotatedPixels(std::string_view text, int32_t col, int32_t row, int32_t height,
                              int32_t width, double spacing, double angle);
// The canvas's lit pixels scaled into the buffer, lower left corner at the viewport
// centre + (col, row), in g_rasterColor; returns 0.
int32_t DrawGdiTextScaled(SystemTextCanvas* canvas, std::string_view text, int32_t col, int32_t row,
                          int32_t height);
// Each lit pixel of the canvas as a cell outline of height / text height metres at the
// ground origin (east, north), turned by `angle` degrees, in g_lineColor.
void DrawGdiTextRotated(SystemTextCanvas* canvas, std::string_view text, double east, double north,
                        double height, double angle);
// Each lit pixel of the canvas as a cell outline of height / text height pixels, turned by
// `angle` degrees about the viewport centre + (col, row), in g_lineColor.
void DrawGdiTextRotatedPixels(SystemTextCanvas* canvas, std::string_view text, int32_t col,
                              int32_t row, int32_t height, double angle);

// A label beside the ground point (X north, Y east, Z up) in the bird's-eye view, its
// size shrinking with the distance; nothing for a point behind the near plane.
void DrawLabel3D(double x, double y, double z, std::string_view text);

// Walks one glyph: segment(h0, v0, h1, v1) for every stroke line, in glyph units. Never
// reads past the record, whatever it holds.
template <class Segment>
void WalkStrokeGlyph(const StrokeGlyph& g, Segment&& segment) {
    int k = 0;
    int16_t h = g.x[0], v = g.y[0];
    while (++k <= 20) {
        const int16_t code = g.x[k];
        if (code > kStrokePenUp) return;
        if (code == kStrokePenUp) {
            if (++k > 20) return;
            h = g.x[k];
            v = g.y[k];
            continue;
        }
        segment(h, v, code, g.y[k]);
        h = code;
        v = g.y[k];
    }
}
