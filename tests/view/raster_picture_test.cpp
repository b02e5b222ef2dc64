// Draws a sample picture with every kind of primitive and text and writes it as a PNG
// for a person to look at (the path is printed). Reading the file back with libpng shows
// that what was written is the buffer as the window shows it.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "png_support.h"
#include "raster_fixture.h"
#include "raster_sample.h"

namespace fs = std::filesystem;

namespace {
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

}  // namespace

TEST_F(RasterTest, SamplePictureAsPng) {
    constexpr int32_t kW = kSampleWidth, kH = kSampleHeight;
    Open(kW, kH);
    LoadStrokeFontFrom(fs::path());  // the built-in copy
    DrawRasterSample();

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
    // Row 0 of the buffer is the bottom row of the picture.
    const size_t at = (static_cast<size_t>(kH - 1 - kSampleInsideY) * kW + kSampleInsideX) * 3;
    EXPECT_EQ((uint32_t{back[at]} << 16 | uint32_t{back[at + 1]} << 8 | back[at + 2]),
              g_colorTable[kSampleTriangleColor]);
}
