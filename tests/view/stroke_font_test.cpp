#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/encoding.h"
#include "platform/system_text.h"
#include "platform/text_io.h"
#include "raster_fixture.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
bool IsEmpty(const StrokeGlyph& g) { return g.x[1] == kStrokeEnd; }

// A glyph from strokes of points; the rest of the record as the file has it.
StrokeGlyph MakeGlyph(
    std::initializer_list<std::initializer_list<std::pair<int16_t, int16_t>>> strokes) {
    StrokeGlyph g{};
    int k = 0;
    for (const auto& s : strokes) {
        if (k > 0) g.x[k++] = kStrokePenUp;
        for (auto [x, y] : s) {
            g.x[k] = x;
            g.y[k++] = y;
        }
    }
    g.x[k] = kStrokeEnd;
    return g;
}

std::string FontBytes(const StrokeFont& font, int glyphs) {
    std::string out;
    for (int c = 0; c < glyphs; ++c)
        for (int k = 0; k < 42; ++k) {
            const int16_t v = k < 21 ? font.glyphs[c].x[k] : font.glyphs[c].y[k - 21];
            out += static_cast<char>(v & 0xFF);
            out += static_cast<char>((v >> 8) & 0xFF);
        }
    return out;
}

PixelSet Shift(const PixelSet& s, int32_t dx, int32_t dy) {
    PixelSet out;
    for (auto [x, y] : s) out.insert({x + dx, y + dy});
    return out;
}

// A canvas whose lit pixels the test chooses.
struct PatternCanvas : SystemTextCanvas {
    int w, h;
    std::set<std::pair<int, int>> lit;
    PatternCanvas(int width, int height) : w(width), h(height) {}
    void SelectFont(const SystemFont&) override {}
    SystemTextExtent Extent(std::string_view) override { return {w, h}; }
    void DrawText(std::string_view) override {}
    bool IsLit(int c, int r) const override { return lit.count({c, r}) != 0; }
};

class StrokeFontTest : public RasterTest {
protected:
    void SetUp() override {
        Open(400, 300);
        m_dir = fs::temp_directory_path() / ("nostrel_font_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        LoadStrokeFontFrom(m_dir);  // no file: the built-in copy
        g_strokeTextStyle = StrokeTextStyle{};
    }
    void TearDown() override {
        fs::remove_all(m_dir);
        RasterTest::TearDown();
    }
    PixelSet Draw(std::string_view text, int32_t col, int32_t row, int32_t h, int32_t w,
                  double angle = 0) {
        FillAll(kSentinel, 400, 300);
        DrawTextRotatedPixels(text, col, row, h, w, 0, angle);
        return Written(400, 300);
    }
    fs::path m_dir;
};
}  // namespace

TEST_F(StrokeFontTest, BuiltInGlyphSet) {
    int defined = 0;
    for (int c = 0; c < 256; ++c) {
        const StrokeGlyph& g = g_strokeFont.glyphs[c];
        const bool wanted =
            (c >= 33 && c <= 126) || (c >= 0xA1 && c <= 0xDF) || c == kDoubleByteGlyph;
        EXPECT_EQ(!IsEmpty(g), wanted) << c;
        if (IsEmpty(g)) continue;
        ++defined;
        // Ends within the record, every point on the glyph's cell.
        const int top = c == kDoubleByteGlyph ? 7 : 4;
        bool ended = false, penUp = true;
        for (int k = 0; k < 21 && !ended; ++k) {
            if (k > 0 && g.x[k] == kStrokeEnd)
                ended = true;
            else if (k > 0 && g.x[k] == kStrokePenUp)
                penUp = true;
            else {
                EXPECT_TRUE(g.x[k] >= 0 && g.x[k] <= top && g.y[k] >= 0 && g.y[k] <= top)
                    << c << " entry " << k;
                penUp = false;
            }
        }
        EXPECT_TRUE(ended) << c;
        EXPECT_FALSE(penUp) << c << ": a pen-up without a start point";
    }
    EXPECT_EQ(defined, 158);
    EXPECT_EQ(g_strokeFont.glyphs[kDoubleByteGlyph].x[2], 7) << "the box spans the 8-unit cell";
    EXPECT_TRUE(IsEmpty(g_strokeFont.glyphs[255])) << "slot 255 is never loaded";
}

TEST_F(StrokeFontTest, BuiltInCopyIsTheResourceFile) {
    std::string file;
    ASSERT_TRUE(ReadFileBytes(fs::path(NOSTREL_SOURCE_DIR) / "resources" / "OVKFONT.FON", file));
    ASSERT_EQ(file.size(), 256u * 84);
    EXPECT_EQ(kBuiltinStrokeFontSize, file.size());
    EXPECT_EQ(std::memcmp(file.data(), kBuiltinStrokeFont, file.size()), 0);
}

TEST_F(StrokeFontTest, FontFileInTheProgramFolderWins) {
    StrokeFont custom{};
    for (StrokeGlyph& g : custom.glyphs) g.x[1] = kStrokeEnd;
    custom.glyphs['A'] = MakeGlyph({{{0, 0}, {0, 4}}});
    ASSERT_TRUE(WriteFileBytes(m_dir / "ovkfont.fon", FontBytes(custom, 255)));  // any case
    g_fontLoaded = 0;
    LoadStrokeFontFrom(m_dir);
    EXPECT_EQ(g_fontLoaded, 1);
    EXPECT_EQ(std::memcmp(&g_strokeFont.glyphs['A'], &custom.glyphs['A'], sizeof(StrokeGlyph)), 0);
    EXPECT_TRUE(IsEmpty(g_strokeFont.glyphs['B'])) << "the file, not the built-in copy";

    // A short file gives the whole records it holds; the rest stay empty.
    fs::remove(m_dir / "ovkfont.fon");
    ASSERT_TRUE(
        WriteFileBytes(m_dir / "OVKFONT.FON", FontBytes(custom, 66).substr(0, 66 * 84 - 10)));
    LoadStrokeFontFrom(m_dir);
    EXPECT_EQ(g_fontLoaded, 1);
    EXPECT_TRUE(IsEmpty(g_strokeFont.glyphs['A'])) << "record 65 is cut short";
    EXPECT_TRUE(IsEmpty(g_strokeFont.glyphs['Z']));
}

TEST_F(StrokeFontTest, DamagedFontNeverOverruns) {
    std::mt19937 rng(99);
    std::string noise(255 * 84, '\0');
    for (char& b : noise) b = static_cast<char>(rng());
    // Some glyphs that are all points, and pen-ups in the last entry.
    for (int c = 0; c < 40; ++c)
        for (int k = 0; k < 21; ++k)
            noise[(c * 42 + k) * 2 + 1] = 0, noise[(c * 42 + k) * 2] = k == 20 ? 8 : 3;
    ASSERT_TRUE(WriteFileBytes(m_dir / "OVKFONT.FON", noise));
    LoadStrokeFontFrom(m_dir);
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    SetViewport(50, 40, 350, 250);
    DrawTextRotatedPixels(all, -150, 0, 40, 30, 2, 17);
    DrawTextRotatedPixels(all, 0, 0, 2000000000, 2000000000, 1e12, 400);
    g_strokeTextStyle = StrokeTextStyle{};
    DrawStrokeTextRotated(all.substr(31), 200, 150);
    DrawStrokeText(all.substr(31), -100, 0, 30, 20);
    for (auto [x, y] : Written(400, 300)) {
        ASSERT_GE(x, 50);
        ASSERT_LE(x, 350);
        ASSERT_GE(y, 40);
        ASSERT_LE(y, 251);
    }
}

TEST_F(StrokeFontTest, TextStyleNumbers) {
    SetStrokeTextSize(0, 0, 0);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.heightScale, 1.25f);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.widthScale, 1.0f);
    EXPECT_EQ(g_strokeTextStyle.pitch, 1);
    SetStrokeTextSize(500, 500, 500);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.heightScale, 25.0f);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.widthScale, 20.0f);
    EXPECT_EQ(g_strokeTextStyle.pitch, 100);

    SetStrokeTextDirection(-3, 0);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirCos, 1.0f);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirSin, 0.0f);
    SetStrokeTextDirection(0, -1);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirSin, -1.0f);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirNegSin, 1.0f);
    SetStrokeTextDirection(-3, -4);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirCos, 0.6f);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirSin, 0.8f);
    SetStrokeTextDirection(0, 0);
    EXPECT_FLOAT_EQ(g_strokeTextStyle.dirCos, 1.0f);
}

TEST_F(StrokeFontTest, CentredTextOrigin) {
    // A glyph that is one point at its origin shows where the glyph origin lands:
    // with the initial style a one-character text at (100, 100) starts at 95, 102.7.
    g_strokeFont.glyphs['X'] = MakeGlyph({{{0, 0}, {0, 0}}});
    DrawStrokeTextRotated("X", 100, 100);
    EXPECT_EQ(Written(400, 300), (PixelSet{{95, 102}}));
    // Glyph x scales by 3.5 and y by 2.25: (2, 4) lies at 95 + 7, 102.7 + 9.
    g_strokeFont.glyphs['X'] = MakeGlyph({{{2, 4}, {2, 4}}});
    FillAll(kSentinel, 400, 300);
    DrawStrokeTextRotated("X", 100, 100);
    EXPECT_EQ(Written(400, 300), (PixelSet{{102, 111}}));

    // Only codes 32..127 are drawn; a lead byte ends the text.
    FillAll(kSentinel, 400, 300);
    DrawStrokeTextRotated("", 100, 100);
    DrawStrokeTextRotated("\x82\xA0X", 100, 100);
    DrawStrokeText("\xB1X", 0, 0, 10, 8);
    EXPECT_TRUE(Written(400, 300).empty());

    // A glyph with nothing but its start point draws nothing and still advances.
    g_strokeFont.glyphs['X'] = MakeGlyph({{{0, 0}, {0, 0}}});
    g_strokeFont.glyphs['.'] = StrokeGlyph{};
    g_strokeFont.glyphs['.'].x[1] = kStrokeEnd;
    FillAll(kSentinel, 400, 300);
    DrawStrokeTextRotated(".X", 100, 100);  // two characters: origin 90, then +10
    EXPECT_EQ(Written(400, 300), (PixelSet{{100, 102}}));
}

TEST_F(StrokeFontTest, PlainStrokeTextRoundsAndAdvancesBySize) {
    g_strokeFont.glyphs['X'] = MakeGlyph({{{0, 0}, {4, 0}}, {{2, 4}, {2, 4}}});
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    DrawStrokeText("XX", 10, 20, 12, 6);  // x scaled by 6/4, y by 12/4, 12 pixels a character
    PixelSet want;
    for (int i = 0; i < 2; ++i) {
        for (int x = 0; x <= 6; ++x) want.insert({cx + 10 + 12 * i + x, cy + 20});
        want.insert({cx + 10 + 12 * i + 3, cy + 20 + 12});
    }
    EXPECT_EQ(Written(400, 300), want);
}

TEST_F(StrokeFontTest, PixelTextBoxesForDoubleByteCharacters) {
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    // Two kanji: one box a character, each 7/8 of its 16-pixel cell.
    const PixelSet two = Draw("\x88\x9F\x88\x9F", 0, 0, 16, 16);
    PixelSet box;
    for (int i = 0; i <= 14; ++i) {
        box.insert({cx + i, cy});
        box.insert({cx + i, cy + 14});
        box.insert({cx, cy + i});
        box.insert({cx + 14, cy + i});
    }
    PixelSet both = box;
    for (auto p : Shift(box, 16, 0)) both.insert(p);
    EXPECT_EQ(two, both);
    // A lone lead byte at the end draws its box and ends.
    EXPECT_EQ(Draw("\x88", 0, 0, 16, 16), box);
    // Glyph 224 is itself a lead byte: the same box.
    EXPECT_EQ(Draw("\xE0", 0, 0, 16, 16), box);

    // Empty glyphs (255, control codes) advance the pen and draw nothing.
    const PixelSet a = Draw("A", 0, 0, 20, 14);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(Draw("\xFF"
                   "A",
                   0, 0, 20, 14),
              Shift(a, 20, 0));
    EXPECT_EQ(Draw("\x01"
                   "A",
                   0, 0, 20, 14),
              Shift(a, 20, 0));
    // Half-width katakana have their own glyphs.
    EXPECT_FALSE(Draw("\xB1", 0, 0, 20, 14).empty());

    // Angle 0 writes eastwards, 90 northwards (rows up).
    const PixelSet l = Draw("|", 0, 0, 20, 14);
    EXPECT_EQ(Draw("||", 0, 0, 20, 14), [&] {
        PixelSet s = l;
        for (auto p : Shift(l, 20, 0)) s.insert(p);
        return s;
    }());
    const PixelSet up = Draw("--", 0, 0, 20, 16, 90);
    int32_t minY = INT32_MAX, maxY = INT32_MIN;
    for (auto [x, y] : up) minY = std::min(minY, y), maxY = std::max(maxY, y);
    EXPECT_GE(maxY - minY, 20) << "the second character lies a cell further north";
    for (auto [x, y] : up) EXPECT_LE(x, cx) << "glyphs turned a quarter to the left";

    g_fontLoaded = 0;
    EXPECT_EQ(DrawTextRotatedPixels("A", 0, 0, 10, 10, 0, 0), -1);
}

TEST_F(StrokeFontTest, SystemFontTextThroughTheCanvas) {
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    // Every pixel of a 4 x 7 text lit, drawn at height 8: taken as 14.
    PatternCanvas canvas(4, 7);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 7; ++r) canvas.lit.insert({c, r});
    DrawGdiTextScaled(&canvas, "x", 5, 6, 8);
    // W = 4 * 14 / 7 = 8: columns i * 7 / 4; rows k * 13 / 7.
    PixelSet want;
    for (int i : {0, 1, 3, 5})
        for (int k : {0, 1, 3, 5, 7, 9, 11}) want.insert({cx + 5 + i, cy + 6 + k});
    EXPECT_EQ(Written(400, 300), want);

    // Rotated: one lit pixel (bottom row, first column) is the outline of one cell.
    FillAll(kSentinel, 400, 300);
    PatternCanvas one(8, 8);
    one.lit.insert({0, 7});
    g_lineColor = kInk;
    DrawGdiTextRotatedPixels(&one, "x", 10, 10, 24, 0);  // cell 24 / 8 = 3 pixels
    PixelSet cell;
    for (int i = 0; i <= 3; ++i) {
        cell.insert({cx + 10 + i, cy + 10});
        cell.insert({cx + 10 + i, cy + 13});
        cell.insert({cx + 10, cy + 10 + i});
        cell.insert({cx + 13, cy + 10 + i});
    }
    EXPECT_EQ(Written(400, 300), cell);

    // The headless canvas lights nothing and records the text and its font.
    ClearRecordedSystemTexts();
    FillAll(kSentinel, 400, 300);
    auto headless = CreateSystemTextCanvas(1024, 128);
    headless->SelectFont({14, 300, true});
    DrawGdiTextScaled(headless.get(), "\x95\x57\x8D\x82", 0, 0, 14);
    DrawGdiTextScaled(headless.get(), "", 0, 0, 14);
    DrawGdiTextScaled(nullptr, "x", 0, 0, 14);
    ASSERT_EQ(RecordedSystemTexts().size(), 1u);
    EXPECT_EQ(RecordedSystemTexts()[0].text, "\x95\x57\x8D\x82");
    EXPECT_EQ(RecordedSystemTexts()[0].font.pixelHeight, 14);
    EXPECT_TRUE(Written(400, 300).empty());
}

TEST_F(StrokeFontTest, GroundTextMatchesPixelText) {
    const double saved[] = {g_viewCenterX, g_viewCenterY, g_viewScale};
    // One metre a pixel, centred on the origin: ground and pixel text coincide.
    g_viewCenterX = 0;
    g_viewCenterY = 0;
    g_viewScale = 1;
    for (double angle : {0.0, 30.0, 90.0, 200.0}) {
        const PixelSet pixels = Draw("Ab1\xB1\x88\x9F", -100, -20, 20, 14, angle);
        FillAll(kSentinel, 400, 300);
        EXPECT_EQ(DrawTextRotated("Ab1\xB1\x88\x9F", -100, -20, 20, 14, 0, angle), 0);
        EXPECT_EQ(Written(400, 300), pixels) << angle;
    }
    // Two pixels a metre, the view centred 10 m east and 5 m north of the origin.
    g_viewCenterX = 5;
    g_viewCenterY = 10;
    g_viewScale = 2;
    const PixelSet pixels = Draw("Ab1", 2 * (-40 - 10), 2 * (-10 - 5), 20, 14);
    FillAll(kSentinel, 400, 300);
    DrawTextRotated("Ab1", -40, -10, 10, 7, 0, 0);
    EXPECT_EQ(Written(400, 300), pixels);
    // Angle 90 writes northwards: each bar turns into a run westwards of the pen, the
    // second one 10 m (20 pixels) further north. (The degree factor leaves the cosine of
    // 90 degrees a hair above zero, so a run may step by one row.)
    FillAll(kSentinel, 400, 300);
    DrawTextRotated("||", 0, 0, 10, 7, 0, 90);
    int32_t minX = INT32_MAX, maxX = INT32_MIN, minY = INT32_MAX, maxY = INT32_MIN;
    for (auto [x, y] : Written(400, 300)) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    EXPECT_EQ(maxX, g_viewportCenterX - 19);
    EXPECT_EQ(minX, g_viewportCenterX - 39);
    EXPECT_GE(maxY - minY, 20);
    EXPECT_LE(maxY - minY, 21);

    // System-font text in ground units: a lit pixel is a cell of scale x height / text
    // height pixels at the ground origin.
    FillAll(kSentinel, 400, 300);
    PatternCanvas one(8, 8);
    one.lit.insert({0, 7});
    DrawGdiTextRotated(&one, "x", 20, 15, 12, 0);  // 2 x 12 / 8 = 3 pixels
    const int32_t c0 = g_viewportCenterX + 20, r0 = g_viewportCenterY + 20;
    PixelSet cell;
    for (int i = 0; i <= 3; ++i) {
        cell.insert({c0 + i, r0});
        cell.insert({c0 + i, r0 + 3});
        cell.insert({c0, r0 + i});
        cell.insert({c0 + 3, r0 + i});
    }
    EXPECT_EQ(Written(400, 300), cell);
    g_viewCenterX = saved[0];
    g_viewCenterY = saved[1];
    g_viewScale = saved[2];
}

TEST_F(StrokeFontTest, BirdsEyeLabels) {
    const double saved[] = {g_eyeX, g_eyeY, g_eyeZ, g_nearPlane, g_focalLength, g_viewScale};
    double savedMatrix[9];
    std::memcpy(savedMatrix, g_cameraMatrix, sizeof savedMatrix);
    // Looking north from the origin: depth is the northing.
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(g_cameraMatrix, identity, sizeof identity);
    g_eyeX = g_eyeY = g_eyeZ = 0;
    g_nearPlane = 1;
    g_focalLength = 100;
    g_viewScale = 1;

    // A near point: size 10, offsets (4, 2) from 50 m north, 2 m east, 1 m up.
    DrawLabel3D(50, 2, 1, "P1");
    const PixelSet label = Written(400, 300);
    EXPECT_EQ(label, Draw("P1", 4 - 8, 2 + 3, 10, 7));
    EXPECT_FALSE(label.empty());
    // Farther: 7 x 399 / 560 = 4.98, so size 4.
    FillAll(kSentinel, 400, 300);
    DrawLabel3D(560, 0, 0, "P1");
    EXPECT_EQ(Written(400, 300), Draw("P1", -8, 3, 4, 3));
    // Behind the eye or at the near plane, or beyond the offsets' range: nothing.
    FillAll(kSentinel, 400, 300);
    DrawLabel3D(-20, 0, 0, "P1");
    DrawLabel3D(1, 0, 0, "P1");
    DrawLabel3D(2, 1e9, 0, "P1");
    EXPECT_TRUE(Written(400, 300).empty());

    std::memcpy(g_cameraMatrix, savedMatrix, sizeof savedMatrix);
    g_eyeX = saved[0];
    g_eyeY = saved[1];
    g_eyeZ = saved[2];
    g_nearPlane = saved[3];
    g_focalLength = saved[4];
    g_viewScale = saved[5];
}

// The drawers that keep the pen on whole pixels may write a glyph's pixels from a prepared
// set; every text must still come out as its strokes drawn one by one with DrawLine, placed
// by the drawers' own rules (truncation toward zero from the viewport centre for pixel
// text, nearest with halves to even for plain text): across the centre, at every parity,
// across the clip border and beyond it, and after a glyph was changed.
TEST_F(StrokeFontTest, PixelAndPlainTextAreTheirStrokesDrawnOneByOne) {
    Open(120, 90);
    LoadStrokeFontFrom(m_dir);
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    auto line = [](double x0, double y0, double x1, double y1) {
        g_lineX0 = static_cast<int32_t>(x0);
        g_lineY0 = static_cast<int32_t>(y0);
        g_lineX1 = static_cast<int32_t>(x1);
        g_lineY1 = static_cast<int32_t>(y1);
        DrawLine();
    };
    auto pixelText = [&](std::string_view text, int32_t col, int32_t row, int32_t h, int32_t w) {
        double x = col;
        for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
            int glyph = static_cast<unsigned char>(text[i]);
            if (IsCp932LeadByte(static_cast<unsigned char>(glyph))) {
                glyph = kDoubleByteGlyph;
                ++i;
            }
            const double u = glyph == kDoubleByteGlyph ? 1.0 / 8 : 1.0 / 4;
            auto X = [&](int16_t gx) { return cx + std::trunc(gx * u * w + x); };
            auto Y = [&](int16_t gy) { return cy + std::trunc(gy * u * h + row); };
            WalkStrokeGlyph(g_strokeFont.glyphs[glyph],
                            [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                                line(X(h0), Y(v0), X(h1), Y(v1));
                            });
            x += h;
        }
    };
    auto plainText = [&](std::string_view text, int32_t dx, int32_t dy, int32_t size, int32_t w) {
        for (size_t i = 0; i < text.size() && static_cast<signed char>(text[i]) >= 32; ++i) {
            const double ox = cx + dx + static_cast<double>(i) * size, oy = cy + dy;
            auto X = [&](int16_t gx) {
                return std::nearbyint(ox + gx * static_cast<double>(w) / 4);
            };
            auto Y = [&](int16_t gy) {
                return std::nearbyint(oy + gy * static_cast<double>(size) / 4);
            };
            WalkStrokeGlyph(g_strokeFont.glyphs[static_cast<unsigned char>(text[i])],
                            [&](int16_t h0, int16_t v0, int16_t h1, int16_t v1) {
                                line(X(h0), Y(v0), X(h1), Y(v1));
                            });
        }
    };
    struct Size {
        int32_t h, w;
    };
    const Size sizes[] = {{6, 4}, {7, 5}, {10, 7}, {17, 13}};
    const char* texts[] = {"G1207", "-12.345", "Wq%&@",
                           "\x88\x9F"
                           "A"};
    auto check = [&](const char* what) {
        for (const Size& size : sizes)
            for (const char* text : texts)
                for (int32_t dy = -70; dy <= 60; dy += 13)
                    for (int32_t dx = -80 - 7 * size.h; dx <= 62; dx += 9) {
                        FillAll(kSentinel, 120, 90);
                        DrawTextRotatedPixels(text, dx, dy, size.h, size.w, 0, 0);
                        const PixelSet drawn = Written(120, 90);
                        FillAll(kSentinel, 120, 90);
                        pixelText(text, dx, dy, size.h, size.w);
                        ASSERT_EQ(drawn, Written(120, 90))
                            << what << " pixel text " << text << " at " << dx << "," << dy;
                        FillAll(kSentinel, 120, 90);
                        DrawStrokeText(text, dx, dy, size.h, size.w);
                        const PixelSet plain = Written(120, 90);
                        FillAll(kSentinel, 120, 90);
                        plainText(text, dx, dy, size.h, size.w);
                        ASSERT_EQ(plain, Written(120, 90))
                            << what << " plain text " << text << " at " << dx << "," << dy;
                    }
    };
    check("built-in font");
    // Changed glyphs, drawn before with their old strokes.
    g_strokeFont.glyphs['1'] = MakeGlyph({{{0, -3}, {3, 5}, {1, 2}}, {{4, 4}, {-2, 0}}});
    g_strokeFont.glyphs['A'] = MakeGlyph({{{1, 1}, {1, 1}}, {{0, 4}, {4, 0}}});
    check("changed glyphs");
}
