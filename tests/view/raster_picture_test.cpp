// Draws a sample picture with every kind of primitive and text and writes it as a PNG
// for a person to look at (the path is printed). Reading the file back with libpng shows
// that what was written is the buffer as the window shows it.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "raster_fixture.h"

namespace fs = std::filesystem;

namespace {
// The drawable part, top row of the window first, as 8-bit RGB.
std::vector<uint8_t> WindowRgb(int32_t w, int32_t h) {
    std::vector<uint8_t> rgb;
    for (int32_t r = h - 1; r >= 0; --r)
        for (int32_t c = 0; c < w; ++c) {
            const uint32_t p = g_rowTable[r][c];
            rgb.push_back(static_cast<uint8_t>(p >> 16));
            rgb.push_back(static_cast<uint8_t>(p >> 8));
            rgb.push_back(static_cast<uint8_t>(p));
        }
    return rgb;
}

bool WritePng(const fs::path& path, const std::vector<uint8_t>& rgb, int w, int h) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

bool ReadPng(const fs::path& path, std::vector<uint8_t>& rgb, int& w, int& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

std::string Bytes(int from, int to) {
    std::string s;
    for (int c = from; c <= to; ++c) s += static_cast<char>(c);
    return s;
}
}  // namespace

TEST_F(RasterTest, SamplePictureAsPng) {
    constexpr int32_t kW = 720, kH = 480;
    Open(kW, kH);
    LoadStrokeFontFrom(fs::path());  // the built-in copy
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    g_rasterColor = g_colorTable[20];  // white
    ClearViewport();

    // Triangles and a fan of lines in the lower half.
    const uint32_t fills[] = {g_colorTable[54], g_colorTable[71], g_colorTable[72], g_colorTable[52]};
    const int32_t tri[][6] = {{20, 20, 160, 40, 70, 180}, {180, 30, 300, 30, 240, 150},
                              {310, 160, 420, 20, 440, 140}, {-40, 150, 60, 200, 10, 260}};
    for (int i = 0; i < 4; ++i) {
        g_rasterColor = fills[i];
        FillTriangle2D(tri[i][0], tri[i][1], tri[i][2], tri[i][3], tri[i][4], tri[i][5]);
    }
    for (int i = 0; i <= 12; ++i) {
        Line(570, 120, 570 + static_cast<int32_t>(130 * std::cos(i * M_PI / 12)),
             120 + static_cast<int32_t>(110 * std::sin(i * M_PI / 12)));
        g_lineColor = g_colorTable[i % 3 == 0 ? 22 : i % 3 == 1 ? 48 : 30];
        if (i % 3 == 0) DrawLine();
        else if (i % 3 == 1) DrawDottedLine();
        else DrawThickLine();
    }
    for (int pen = 0; pen < 4; ++pen) {
        g_penSize = pen;
        g_rasterColor = g_colorTable[22];
        for (int i = 0; i < 6; ++i) PlotPoint(470 + 12 * i, 15 + 8 * pen);
    }

    // Stroke text: ASCII, katakana, a double-byte text (boxes), turned text.
    g_lineColor = g_colorTable[0];
    const int32_t left = 20 - cx;
    DrawTextRotatedPixels(Bytes(32, 63), left, 440 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(Bytes(64, 95), left, 414 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(Bytes(96, 126), left, 388 - cy, 18, 13, 1, 0);
    g_lineColor = g_colorTable[65];
    DrawTextRotatedPixels(Bytes(0xA1, 0xC0), left, 356 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(Bytes(0xC1, 0xDF), left, 330 - cy, 18, 13, 1, 0);
    g_lineColor = g_colorTable[61];
    DrawTextRotatedPixels("\x95\x57\x8D\x82 123.45m", left, 298 - cy, 18, 18, 0, 0);
    DrawTextRotatedPixels("TIN No.1 \xC3\xDE\xB0\xC0", 130 - cx, 215 - cy, 16, 11, 0, 12);
    g_lineColor = g_colorTable[73];
    SetStrokeTextSize(14, 10, 11);
    SetStrokeTextDirection(4, 1);
    DrawStrokeTextRotated("Elev. 250.75", 610, 275);
    SetStrokeTextDirection(0, 0);
    DrawStrokeText("Station No.12+5.0", 420 - cx, 300 - cy, 12, 8);

    const std::vector<uint8_t> rgb = WindowRgb(kW, kH);
    const fs::path path = fs::temp_directory_path() / "nostrel_raster_sample.png";
    ASSERT_TRUE(WritePng(path, rgb, kW, kH));
    std::printf("sample picture: %s\n", path.c_str());

    std::vector<uint8_t> back;
    int w = 0, h = 0;
    ASSERT_TRUE(ReadPng(path, back, w, h));
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    EXPECT_EQ(back, rgb);
    // Row 0 of the buffer is the bottom row of the picture: buffer row 30 of the first
    // triangle is picture row kH - 1 - 30.
    const size_t at = (static_cast<size_t>(kH - 1 - 30) * kW + 60) * 3;
    EXPECT_EQ((uint32_t{back[at]} << 16 | uint32_t{back[at + 1]} << 8 | back[at + 2]), fills[0]);
}
