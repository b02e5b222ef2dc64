#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/image_readers.h"
#include "image_test_support.h"

namespace {

using imagetest::ReadBytes;
using imagetest::ScratchDir;
using imagetest::WriteBytes;

const std::string kDir = "tests/data/image/readers/";

// How the reader's pixels relate to GDAL's reading of the same file.
enum class Compare {
    Rgb,         // colours equal GDAL's red, green, blue
    Grey,        // red = green = blue = GDAL's single band
    Grey16,      // red = green = blue = value * 255 / 65535, truncated
    Mono,        // a set bit where GDAL reads 1 (the dark value is the clear bit)
    MonoBright,  // a set bit where GDAL's colour is light
    MonoWhite,   // min-is-white: GDAL gives the stored sample (1 black), the reader a set bit for white
};

struct ReaderCase {
    const char* file;
    bool keepIndexed;
    int32_t bits;  // 1, 8 or 32 per pixel expected
    Compare compare;
    int tolerance = 0;
    const char* oracle = nullptr;  // another file's GDAL reading, when GDAL has none of its own
};

const ReaderCase kCases[] = {
    {"bmp24.bmp", true, 32, Compare::Rgb},
    {"bmp24_top_down.bmp", true, 32, Compare::Rgb, 0, "bmp24.bmp"},
    {"bmp8.bmp", true, 8, Compare::Rgb},
    {"bmp8.bmp", false, 32, Compare::Rgb},
    {"bmp4.bmp", true, 8, Compare::Rgb},
    {"bmp4.bmp", false, 32, Compare::Rgb},
    {"bmp1.bmp", true, 1, Compare::Mono},  // palette white, black: the bits stay as stored
    {"png24.png", true, 32, Compare::Rgb},
    {"png24_interlaced.png", true, 32, Compare::Rgb},
    {"png8_palette.png", true, 8, Compare::Rgb},
    {"png8_grey.png", true, 8, Compare::Grey},
    {"png4_palette.png", true, 8, Compare::Rgb},
    {"png4_interlaced.png", true, 8, Compare::Rgb},
    {"png1_grey.png", true, 1, Compare::Mono},
    {"png1_interlaced.png", true, 1, Compare::Mono},
    {"tif_rgb.tif", true, 32, Compare::Rgb},
    {"tif_rgb_lzw.tif", true, 32, Compare::Rgb},
    {"tif_rgb_deflate.tif", true, 32, Compare::Rgb},
    {"tif_rgb_packbits.tif", true, 32, Compare::Rgb},
    {"tif_rgb_tiled.tif", true, 32, Compare::Rgb},
    {"tif_rgb_separate.tif", true, 32, Compare::Rgb},
    {"tif_rgb_separate_strips.tif", true, 32, Compare::Rgb},
    {"tif_rgb_separate_tiled.tif", true, 32, Compare::Rgb},
    {"tif_grey8.tif", true, 32, Compare::Grey},
    {"tif_grey16.tif", true, 32, Compare::Grey16},
    {"tif_palette8.tif", true, 32, Compare::Rgb},
    {"tif_palette4.tif", true, 32, Compare::Rgb},
    {"tif_bit_black.tif", true, 1, Compare::Mono},
    {"tif_bit_white.tif", true, 1, Compare::MonoWhite},
    {"tif_bit_white_packbits.tif", true, 1, Compare::MonoWhite},
    {"tif_bit_tiled.tif", true, 1, Compare::Mono},
    {"tif_bit_palette.tif", true, 1, Compare::MonoBright},  // entry 0 white: complemented
    {"jpeg_rgb.jpg", true, 32, Compare::Rgb, 1},
    {"jpeg_grey.jpg", true, 8, Compare::Grey, 1},
};

constexpr int kW = 37, kH = 23;

class ImageReaders : public ::testing::Test {
protected:
    void SetUp() override { ResetImageSlots(); }
    void TearDown() override { ResetImageSlots(); }
};

// Red, green, blue of the active image's pixel at column x, row y counted from the top.
void PixelAt(int x, int y, int& r, int& g, int& b, int& bitValue) {
    const uint8_t* row = g_bgImage.pixels + size_t(g_bgImage.height - 1 - y) * g_bgImage.stride;
    bitValue = -1;
    uint32_t c;
    if (g_bgImage.isMono) {
        bitValue = (row[x / 8] >> (7 - x % 8)) & 1;
        c = bitValue ? 0xFFFFFF : 0;
    } else if (g_bgImage.isIndexed8) {
        c = g_bgImagePalette[row[x]];
    } else {
        std::memcpy(&c, row + 4 * x, 4);
        EXPECT_EQ(c >> 24, 0u);
    }
    r = (c >> 16) & 0xFF;
    g = (c >> 8) & 0xFF;
    b = c & 0xFF;
}

TEST_F(ImageReaders, EveryVariantDecodesToGdalsPixels) {
    for (const ReaderCase& c : kCases) {
        SCOPED_TRACE(std::string(c.file) + (c.keepIndexed ? " kept indexed" : ""));
        const std::string path = kDir + c.file;
        ASSERT_TRUE(ReadImageFile(path, ImageFileKindOf(path), c.keepIndexed));
        ASSERT_EQ(g_bgImage.width, kW);
        ASSERT_EQ(g_bgImage.height, kH);
        EXPECT_EQ(g_bgImage.loaded, 1);
        EXPECT_EQ(g_bgImage.blendMode, 1);
        EXPECT_EQ(g_bgImagePath, path);
        EXPECT_EQ(g_bgImage.isMono ? 1 : g_bgImage.isIndexed8 ? 8 : 32, c.bits);
        EXPECT_EQ(g_bgImage.stride, ImageRowStride(g_bgImage));
        ASSERT_GE(g_bgImageHandle.Size(), size_t(g_bgImage.stride) * kH);
        const std::string raw = ReadBytes(kDir + (c.oracle ? c.oracle : c.file) + ".raw");
        const bool sixteen = c.compare == Compare::Grey16;
        const int bands = int(raw.size()) / (kW * kH * (sixteen ? 2 : 1));
        ASSERT_TRUE(bands == 1 || bands == 3) << raw.size();
        auto oracle = [&](int band, int x, int y) -> int {
            const size_t i = (size_t(band) * kH + y) * kW + x;
            if (sixteen) return uint8_t(raw[2 * i]) | (uint8_t(raw[2 * i + 1]) << 8);
            return uint8_t(raw[i]);
        };
        int mismatches = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                int r, g, b, bit;
                PixelAt(x, y, r, g, b, bit);
                int want[3];
                switch (c.compare) {
                    case Compare::Rgb:
                        for (int k = 0; k < 3; ++k) want[k] = oracle(k, x, y);
                        break;
                    case Compare::Grey: want[0] = want[1] = want[2] = oracle(0, x, y); break;
                    case Compare::Grey16: want[0] = want[1] = want[2] = oracle(0, x, y) * 255 / 65535; break;
                    case Compare::Mono: want[0] = want[1] = want[2] = oracle(0, x, y) ? 255 : 0; break;
                    case Compare::MonoWhite: want[0] = want[1] = want[2] = oracle(0, x, y) ? 0 : 255; break;
                    case Compare::MonoBright: want[0] = want[1] = want[2] = oracle(0, x, y) > 127 ? 255 : 0; break;
                }
                const int got[3] = {r, g, b};
                for (int k = 0; k < 3; ++k)
                    if (std::abs(got[k] - want[k]) > c.tolerance && mismatches++ < 5)
                        ADD_FAILURE() << "pixel " << x << "," << y << " band " << k << ": " << got[k] << " want " << want[k];
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(ImageReaders, IndexedReadersSetTheSharedPalette) {
    // A grey JPEG overwrites the palette with the grey ramp.
    for (uint32_t& e : g_bgImagePalette) e = 0x123456;
    ASSERT_TRUE(ReadImageFile(kDir + "jpeg_grey.jpg", kImageJpeg, true));
    for (int i = 0; i < 256; ++i) ASSERT_EQ(g_bgImagePalette[i], uint32_t(i * 0x010101)) << i;
    // A 4-bit BMP kept indexed brings 16 entries and leaves the others.
    for (uint32_t& e : g_bgImagePalette) e = 0x123456;
    ASSERT_TRUE(ReadImageFile(kDir + "bmp4.bmp", kImageBmp, true));
    EXPECT_EQ(g_bgImagePalette[1], uint32_t((16 << 16) | (240 << 8) | 77));
    EXPECT_EQ(g_bgImagePalette[16], 0x123456u);
    // Its pixels follow the nibbles of each byte, high nibble first.
    EXPECT_EQ(g_bgImage.pixels[size_t(kH - 1) * g_bgImage.stride + 0], 0);
    EXPECT_EQ(g_bgImage.pixels[size_t(kH - 1) * g_bgImage.stride + 1], 1);
    EXPECT_EQ(g_bgImage.pixels[size_t(kH - 2) * g_bgImage.stride + 1], 3);
}

TEST_F(ImageReaders, ReaderChoiceByExtension) {
    const struct {
        const char* path;
        ImageFileKind kind;
    } cases[] = {{"a.bmp", kImageBmp}, {"/x.y/A.BMP", kImageBmp}, {"a.tif", kImageTiff}, {"a.Tiff", kImageTiff},
                 {"a.png", kImagePng},  {"a.jpg", kImageJpeg},        {"a.JpEg", kImageJpeg}, {"a.jfif", kImageNone},
                 {"a.gif", kImageNone}, {"/x.tif/a", kImageNone},     {"noext", kImageNone}};
    for (const auto& c : cases) EXPECT_EQ(ImageFileKindOf(c.path), c.kind) << c.path;
}

// A little-endian BMP header and information header with the given fields, then `tail`.
std::string Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t offset,
                const std::string& tail, uint32_t infoSize = 40) {
    std::string s = "BM";
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        s += char(v & 0xFF);
        s += char(v >> 8);
    };
    u32(uint32_t(54 + tail.size()));
    u32(0);
    u32(offset);
    u32(infoSize);
    u32(uint32_t(width));
    u32(uint32_t(height));
    u16(1);
    u16(bits);
    u32(compression);
    for (int i = 0; i < 5; ++i) u32(0);
    return s + tail;
}

TEST_F(ImageReaders, DamagedFilesFailAndKeepTheImageThatWasThere) {
    ScratchDir dir;
    const std::string pngBytes = ReadBytes(kDir + "png24.png");
    const std::string jpegBytes = ReadBytes(kDir + "jpeg_rgb.jpg");
    const std::string tiffBytes = ReadBytes(kDir + "tif_rgb_lzw.tif");
    std::string corruptPng = pngBytes;
    corruptPng[60] ^= 0x55;  // inside the image data: its checksum no longer matches
    std::string corruptJpeg = jpegBytes;
    for (size_t i = 2; i < 40; ++i) corruptJpeg[i] = char(0xFF);
    std::string tiffBadOffset = tiffBytes;
    tiffBadOffset[4] = char(0xF0);  // the first directory far beyond the end
    const std::string row24(12, '\x7F');
    // A TIFF that claims 60000 x 60000 grey pixels.
    std::string hugeTiff("II*\0\x08\0\0\0", 8);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        hugeTiff += char(tag & 0xFF);
        hugeTiff += char(tag >> 8);
        hugeTiff += char(type);
        hugeTiff += '\0';
        hugeTiff += std::string("\x01\0\0\0", 4);
        for (int i = 0; i < 4; ++i) hugeTiff += char((value >> (8 * i)) & 0xFF);
    };
    hugeTiff += std::string("\x07\0", 2);
    entry(256, 4, 60000);
    entry(257, 4, 60000);
    entry(258, 3, 8);
    entry(262, 3, 1);
    entry(273, 4, 8);
    entry(278, 4, 60000);
    entry(279, 4, 16);
    hugeTiff += std::string(4, '\0');
    std::string hugePng = pngBytes;  // width 1 000 000 in its header (checksum mended)
    hugePng[16] = 0;
    hugePng[17] = 0x0F;
    hugePng[18] = 0x42;
    hugePng[19] = 0x40;

    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"truncated.png", pngBytes.substr(0, pngBytes.size() / 2)},
        {"corrupt.png", corruptPng},
        {"not_a.png", "GIF89a........"},
        {"huge.png", hugePng},
        {"truncated.jpg", jpegBytes.substr(0, jpegBytes.size() / 3)},
        {"corrupt.jpg", corruptJpeg},
        {"empty.jpg", ""},
        {"truncated.tif", tiffBytes.substr(0, tiffBytes.size() - 200)},
        {"bad_offset.tif", tiffBadOffset},
        {"huge.tif", hugeTiff},
        {"zero_width.bmp", Bmp(0, 1, 24, 0, 54, row24)},
        {"negative_width.bmp", Bmp(-4, 1, 24, 0, 54, row24)},
        {"zero_height.bmp", Bmp(4, 0, 24, 0, 54, row24)},
        {"huge.bmp", Bmp(100000, 100000, 24, 0, 54, row24)},
        {"offset_past_end.bmp", Bmp(4, 1, 24, 0, 5000, row24)},
        {"rows_cut_short.bmp", Bmp(4, 3, 24, 0, 54, row24)},
        {"bits16.bmp", Bmp(4, 1, 16, 0, 54, row24)},
        {"bits32.bmp", Bmp(3, 1, 32, 0, 54, row24)},
        {"rle8.bmp", Bmp(4, 1, 8, 1, 54 + 1024, std::string(1024, '\0') + row24)},
        {"short_header.bmp", Bmp(4, 1, 24, 0, 54, row24, 12)},
        {"not_a.bmp", "XX" + std::string(60, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetImageSlots();
        ASSERT_TRUE(ReadImageFile(kDir + "png8_palette.png", kImagePng, true));
        const ImageSlot before = g_bgImage;
        const ImageHandle handle = g_bgImageHandle;
        const uint32_t palette5 = g_bgImagePalette[5];
        const auto path = dir / c.name;
        WriteBytes(path, c.bytes);
        EXPECT_FALSE(ReadImageFile(path.string(), ImageFileKindOf(path.string()), true));
        EXPECT_EQ(std::memcmp(&g_bgImage, &before, sizeof before), 0);
        EXPECT_TRUE(g_bgImageHandle == handle);
        EXPECT_EQ(g_bgImagePalette[5], palette5);
        EXPECT_EQ(g_bgImagePath, kDir + "png8_palette.png");
    }
    EXPECT_FALSE(ReadImageFile((dir / "missing.png").string(), kImagePng, true));
}

TEST_F(ImageReaders, NamedReadersReportThroughTheirHandles) {
    ImageHandle handle;
    int32_t w = 0, h = 0, mono = 0;
    ASSERT_EQ(LoadTiffImage(kDir + "tif_bit_black.tif", handle, w, h, mono), 1);
    EXPECT_EQ(w, kW);
    EXPECT_EQ(mono, 1);
    const ImageHandle first = handle;
    EXPECT_EQ(LoadPngImage(kDir + "missing.png", handle, w, h, mono), 0);
    EXPECT_TRUE(handle == first);
    ASSERT_EQ(LoadJpegImage(kDir + "jpeg_rgb.jpg", handle, w, h), 1);
    EXPECT_FALSE(handle == first);
    FreeImageBlock(handle);

    g_bgImage.keepIndexed = 0;
    ASSERT_EQ(LoadBmpImage(kDir + "bmp8.bmp"), 1);
    EXPECT_EQ(g_bgImage.isIndexed8, 0);
    EXPECT_EQ(g_bgImage.stride, 4 * kW);
    EXPECT_EQ(g_bgImage.loaded, 1);
}

// Random damage to every fixture: each read either fails cleanly or gives a block that
// holds the rows its record states (the sanitizer tree checks the memory use).
TEST_F(ImageReaders, MutatedFilesNeverBreakTheReader) {
    ScratchDir dir;
    std::mt19937 rng(11102);
    const char* sources[] = {"bmp8.bmp", "bmp24.bmp", "png4_interlaced.png", "png24.png", "tif_rgb_lzw.tif",
                             "tif_rgb_separate_tiled.tif", "tif_bit_tiled.tif", "tif_palette4.tif", "jpeg_rgb.jpg",
                             "jpeg_grey.jpg"};
    for (const char* name : sources) {
        const std::string original = ReadBytes(kDir + name);
        const std::string ext = std::string(name).substr(std::string(name).rfind('.'));
        for (int trial = 0; trial < 30; ++trial) {
            std::string bytes = original;
            const int flips = 1 + int(rng() % 8);
            for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = char(rng());
            if (trial % 5 == 0) bytes.resize(rng() % bytes.size());
            const auto path = dir / ("m" + ext);
            WriteBytes(path, bytes);
            if (ReadImageFile(path.string(), ImageFileKindOf(path.string()), trial % 2 == 0)) {
                ASSERT_GT(g_bgImage.width, 0);
                ASSERT_GT(g_bgImage.height, 0);
                ASSERT_GE(g_bgImageHandle.Size(), size_t(g_bgImage.stride) * size_t(g_bgImage.height)) << name;
            }
        }
    }
}

}  // namespace
