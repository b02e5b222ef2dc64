#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_readers.h"
#include "image/image_writers.h"
#include "image/image_mapping.h"
#include "image_test_support.h"
#include "platform/message_box.h"

namespace {

namespace fs = std::filesystem;
using imagetest::HaveGdal;
using imagetest::ReadBytes;
using imagetest::RunCommand;
using imagetest::ScratchDir;

uint32_t U32At(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(s[at + i]);
    return v;
}

// GDAL's pixels of a file: band-sequential top-down bytes.
std::string GdalPixels(const ScratchDir& dir, const fs::path& file, bool expand = false) {
    const fs::path raw = dir / "gdal.raw";
    EXPECT_TRUE(RunCommand("gdal_translate -q -of ENVI -co INTERLEAVE=BSQ " + std::string(expand ? "-expand rgb " : "") +
                           "'" + file.string() + "' '" + raw.string() + "' 2>/dev/null"));
    return ReadBytes(raw);
}

class ImageWriters : public ::testing::Test {
protected:
    void SetUp() override {
        ResetImageSlots();
        ClearRecordedMessages();
    }
    void TearDown() override {
        ResetImageSlots();
        ClearRecordedMessages();
    }
    // An active image of the kind (1, 8 or 32 bits) with a pattern of its own.
    static void MakeActive(int32_t bits, int32_t width, int32_t height) {
        ResetImageSlots();
        ImageSlot& s = g_bgImage;
        s.width = width;
        s.height = height;
        s.isMono = bits == 1;
        s.isIndexed8 = bits == 8;
        s.stride = ImageRowStride(s);
        s.loaded = 1;
        s.blendMode = 1;
        SetActiveImageBlock(AllocImageBlock(size_t(s.stride) * height + 8192));
        uint8_t* p = g_bgImageHandle.Lock();
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* row = p + size_t(y) * s.stride;
                if (bits == 1) {
                    if ((x * 3 + y * 5) % 7 < 3) row[x / 8] |= uint8_t(0x80 >> (x % 8));
                } else if (bits == 8) {
                    row[x] = uint8_t(x * 11 + y * 3);
                } else {
                    const uint32_t c = uint32_t((x * 20) & 0xFF) | uint32_t(((y * 30) & 0xFF) << 8) |
                                       uint32_t(((x * y) & 0xFF) << 16);
                    std::memcpy(row + 4 * x, &c, 4);
                }
            }
        for (int i = 0; i < 256; ++i) g_bgImagePalette[i] = uint32_t((i << 16) | ((255 - i) << 8) | ((i * 7) & 0xFF));
    }
    // Red, green, blue of the active image at column x, row y from the top.
    static void Rgb(int32_t x, int32_t yTop, int out[3]) {
        const ImageSlot& s = g_bgImage;
        const uint8_t* row = g_bgImageHandle.Lock() + size_t(s.height - 1 - yTop) * s.stride;
        uint32_t c;
        if (s.isMono)
            c = (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFF : 0;
        else if (s.isIndexed8)
            c = g_bgImagePalette[row[x]];
        else
            std::memcpy(&c, row + 4 * x, 4);
        out[0] = (c >> 16) & 0xFF;
        out[1] = (c >> 8) & 0xFF;
        out[2] = c & 0xFF;
    }
    // GDAL's colours of the written file equal the active image's.
    // `tolerance`: GDAL reads a TIFF colour map's 16-bit values as value / 257, one below
    // the 8-bit value that was multiplied by 256 for the larger ones.
    static void ExpectGdalSeesTheActiveImage(const ScratchDir& dir, const fs::path& file, int tolerance = 0) {
        const ImageSlot& s = g_bgImage;
        const std::string raw = GdalPixels(dir, file, s.isIndexed8 != 0);
        const int bands = s.isMono ? 1 : 3;
        ASSERT_EQ(raw.size(), size_t(bands) * s.width * s.height);
        int bad = 0;
        for (int32_t y = 0; y < s.height; ++y)
            for (int32_t x = 0; x < s.width; ++x) {
                int want[3];
                Rgb(x, y, want);
                for (int b = 0; b < bands; ++b) {
                    int got = uint8_t(raw[(size_t(b) * s.height + y) * s.width + x]);
                    if (s.isMono) got = got ? 255 : 0;
                    if (std::abs(got - want[b]) > tolerance && bad++ < 5)
                        ADD_FAILURE() << x << "," << y << " band " << b << ": " << got << " want " << want[b];
                }
            }
    }
};

TEST_F(ImageWriters, BmpFilesHaveTheLayoutAndPixelsGdalReads) {
    ScratchDir dir;
    // A 32-bit image three pixels wide: rows of 9 pixel bytes and 3 padding bytes.
    MakeActive(32, 3, 5);
    ASSERT_EQ(SaveImageBmp((dir / "w3.bmp").string()), 1);
    const std::string bmp = ReadBytes(dir / "w3.bmp");
    EXPECT_EQ(U32At(bmp, 2), 54u + 12 * 5);
    EXPECT_EQ(bmp.size(), 54u + 12 * 5);
    EXPECT_EQ(U32At(bmp, 10), 54u);
    EXPECT_EQ(uint8_t(bmp[28]), 24);
    EXPECT_EQ(bmp.substr(54 + 9, 3), std::string(3, '\0'));

    const struct {
        int32_t bits, width, height;
        uint32_t offset;
    } cases[] = {{32, 37, 23, 54}, {8, 37, 23, 54 + 1024}, {1, 37, 23, 54 + 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        MakeActive(c.bits, c.width, c.height);
        const fs::path path = dir / ("k" + std::to_string(c.bits) + ".bmp");
        ASSERT_EQ(SaveImageBmp(path.string()), 1);
        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(U32At(bytes, 10), c.offset);
        if (c.bits == 1) {
            EXPECT_EQ(bytes.substr(54, 8), std::string("\0\0\0\0\xFF\xFF\xFF\0", 8));
        }
        if (HaveGdal()) ExpectGdalSeesTheActiveImage(dir, path);
    }
}

TEST_F(ImageWriters, TiffFilesAsTiffinfoAndGdalSeeThem) {
    ScratchDir dir;
    const bool tools = HaveGdal() && RunCommand("command -v tiffinfo >/dev/null");
    const struct {
        int32_t bits;
        const char* compression;
        const char* photometric;
    } cases[] = {{32, "None", "RGB color"},
                 {8, "PackBits", "palette color (RGB from colormap)"},
                 {1, "PackBits", "min-is-black"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        MakeActive(c.bits, 37, 23);
        const fs::path path = dir / ("k" + std::to_string(c.bits) + ".tif");
        ASSERT_EQ(SaveTiffImage(path.string(), g_bgImageHandle.Lock(), 37, 23, c.bits, g_bgImagePalette), 1);
        if (tools) {
            std::string info;
            ASSERT_TRUE(RunCommand("tiffinfo -c '" + path.string() + "' 2>/dev/null", &info));
            EXPECT_NE(info.find(std::string("Compression Scheme: ") + c.compression), std::string::npos) << info;
            EXPECT_NE(info.find(std::string("Photometric Interpretation: ") + c.photometric), std::string::npos) << info;
            EXPECT_NE(info.find("Rows/Strip: (infinite)"), std::string::npos) << info;
            if (c.bits == 8) {
                // Colour map entries: the palette's 8-bit values times 256.
                EXPECT_NE(info.find("Color Map:"), std::string::npos);
                EXPECT_NE(info.find("   1:   256 65024  1792"), std::string::npos) << info;
            }
            ExpectGdalSeesTheActiveImage(dir, path, c.bits == 8 ? 1 : 0);
        }
        // Our own reader gives the bits back.
        if (c.bits == 1) {
            std::vector<uint8_t> before(g_bgImageHandle.Lock(), g_bgImageHandle.Lock() + size_t(g_bgImage.stride) * 23);
            ASSERT_TRUE(ReadImageFile(path.string(), kImageTiff, true));
            ASSERT_EQ(g_bgImage.isMono, 1);
            for (int32_t y = 0; y < 23; ++y)
                for (int32_t x = 0; x < 37; ++x) {
                    const int a = (before[size_t(y) * g_bgImage.stride + x / 8] >> (7 - x % 8)) & 1;
                    const int b = (g_bgImage.pixels[size_t(y) * g_bgImage.stride + x / 8] >> (7 - x % 8)) & 1;
                    ASSERT_EQ(a, b) << x << "," << y;
                }
        }
    }
}

TEST_F(ImageWriters, JpegDecodedByGdalIsClose) {
    if (!HaveGdal()) GTEST_SKIP() << "gdal-bin is missing";
    ScratchDir dir;
    const int32_t w = 64, h = 48;
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[size_t(y) * w + x] = uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t(128 + (x - y));
    const fs::path path = dir / "view.jpg";
    ASSERT_TRUE(WriteJpegFile(path.string(), w, h, 90, [&](int32_t row) { return &pixels[size_t(row) * w]; }));
    const std::string raw = GdalPixels(dir, path);
    ASSERT_EQ(raw.size(), size_t(3) * w * h);
    double error = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int b = 0; b < 3; ++b) {
                const int want = (pixels[size_t(y) * w + x] >> (16 - 8 * b)) & 0xFF;
                error += std::abs(int(uint8_t(raw[(size_t(b) * h + y) * w + x])) - want);
            }
    EXPECT_LT(error / (3.0 * w * h), 2.0);

    // A 24-bit BMP of the same rows (bottom row first) reads back exactly.
    const fs::path bmp = dir / "view.bmp";
    ASSERT_TRUE(WriteBmp24File(bmp.string(), w, h, [&](int32_t row) { return &pixels[size_t(h - 1 - row) * w]; }));
    const std::string exact = GdalPixels(dir, bmp);
    ASSERT_EQ(exact.size(), size_t(3) * w * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            ASSERT_EQ(uint8_t(exact[(size_t(0) * h + y) * w + x]), (pixels[size_t(y) * w + x] >> 16) & 0xFF);

    // A PNG of the same rows (top row first) reads back exactly, every band.
    const fs::path png = dir / "view.png";
    ASSERT_TRUE(WritePngFile(png.string(), w, h, [&](int32_t row) { return &pixels[size_t(row) * w]; }));
    EXPECT_EQ(ReadBytes(png).substr(1, 3), "PNG");
    const std::string lossless = GdalPixels(dir, png);
    ASSERT_EQ(lossless.size(), size_t(3) * w * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int b = 0; b < 3; ++b)
                ASSERT_EQ(uint8_t(lossless[(size_t(b) * h + y) * w + x]), (pixels[size_t(y) * w + x] >> (16 - 8 * b)) & 0xFF)
                    << x << "," << y << " band " << b;
}

TEST_F(ImageWriters, WriteFailuresAreReported) {
    ScratchDir dir;
    MakeActive(32, 40, 30);
    const std::string noFolder = (dir / "none" / "a.bmp").string();
    EXPECT_EQ(SaveImageBmp(noFolder), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "Failed in OpenFile!");
    EXPECT_EQ(RecordedMessages()[0].caption, "Error");
    ClearRecordedMessages();
    // A full disk.
    EXPECT_EQ(SaveImageBmp("/dev/full"), 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "Failed in WriteFile!");
    EXPECT_TRUE(fs::exists("/dev/full"));
    EXPECT_EQ(SaveTiffImage("/dev/full", g_bgImageHandle.Lock(), 40, 30, 32, nullptr), 0);
    EXPECT_EQ(SaveTiffImage(noFolder, g_bgImageHandle.Lock(), 40, 30, 32, nullptr), 0);
    std::vector<uint32_t> row(40);
    const auto rows = [&](int32_t) { return row.data(); };
    EXPECT_FALSE(WriteJpegFile("/dev/full", 40, 30, 90, rows));
    EXPECT_FALSE(WriteBmp24File("/dev/full", 40, 30, rows));
    EXPECT_FALSE(WritePngFile("/dev/full", 40, 30, rows));
    EXPECT_FALSE(WritePngFile(noFolder, 40, 30, rows));
    EXPECT_TRUE(fs::exists("/dev/full"));
}

// A north-up 1-bit image of 200 x 200 pixels over 100 m x 100 m with its west edge at
// `west`, dark (clear) everywhere but where `light` says.
void AddMonoSlot(int32_t k, double west, bool (*light)(int32_t x, int32_t y), int32_t blendMode = 1) {
    ImageSlot s{};
    s.width = s.height = 200;
    s.isMono = 1;
    s.stride = ImageRowStride(s);
    s.loaded = 1;
    s.blendMode = blendMode;
    const double c[4][2] = {{west, 1100}, {west + 100, 1100}, {west, 1000}, {west + 100, 1000}};
    std::copy(&c[0][0], &c[0][0] + 8, &s.corners[0][0]);
    s.positionKnown = 1;
    ComputeImageEdgeLengths(s);
    SetupImageMapping(s);
    g_imageSlotHandles[k] = AllocImageBlock(size_t(s.stride) * 200);
    uint8_t* p = g_imageSlotHandles[k].Lock();
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 200; ++x)
            if (light(x, y)) p[size_t(y) * s.stride + x / 8] |= uint8_t(0x80 >> (x % 8));
    g_imageSlots[k] = s;
    g_imageSlots[k].pixels = p;
}

bool VerticalStripe(int32_t x, int32_t) { return x < 40 || x >= 60; }
bool HorizontalStripe(int32_t, int32_t y) { return y < 100 || y >= 120; }

TEST_F(ImageWriters, TwoMonoImagesComposeSideBySide) {
    AddMonoSlot(0, 0, VerticalStripe);
    AddMonoSlot(1, 100, HorizontalStripe);
    AddMonoSlot(2, 50, [](int32_t, int32_t) { return false; }, 0);  // hidden: not composed
    LoadMainImageSlot();
    ComposedImageInfo info;
    ImageHandle composite = ComposeImageSlots(info);
    ASSERT_FALSE(composite.Empty());
    EXPECT_EQ(info.width, 416);
    EXPECT_EQ(info.height, 200);
    EXPECT_EQ(info.stride, 52);
    EXPECT_EQ(info.bits, 1);
    EXPECT_EQ(g_bgImage.width, 416);
    EXPECT_EQ(g_bgImage.stride, 52);
    EXPECT_NEAR(g_bgImage.corners[1][0] - g_bgImage.corners[0][0], 208.0, 1e-9);
    EXPECT_NEAR(g_bgImage.corners[0][1] - g_bgImage.corners[2][1], 100.0, 1e-9);
    const uint8_t* p = composite.Lock();
    auto bit = [&](int32_t x, int32_t y) { return (p[size_t(y) * 52 + x / 8] >> (7 - x % 8)) & 1; };
    // Away from the stripes' edges: dark in either stripe, light elsewhere and beyond the
    // images (the padding columns).
    const struct {
        int32_t x, y, light;
    } probes[] = {{50, 10, 0}, {50, 190, 0}, {20, 110, 1}, {10, 10, 1},  {300, 110, 0},
                  {300, 50, 1}, {250, 150, 1}, {405, 110, 1}, {410, 5, 1}, {150, 110, 1}};
    for (const auto& q : probes) EXPECT_EQ(bit(q.x, q.y), q.light) << q.x << "," << q.y;
    FreeImageBlock(composite);
    g_bgImageHandle = g_imageSlotHandles[0];
}

TEST_F(ImageWriters, CompositionNeedsTwoShownMonoImagesAndLimitsItsSize) {
    ComposedImageInfo info;
    AddMonoSlot(0, 0, VerticalStripe);
    LoadMainImageSlot();
    EXPECT_TRUE(ComposeImageSlots(info).Empty());  // one image only
    // Far apart: the larger count becomes 65000 before padding.
    AddMonoSlot(1, 40000, HorizontalStripe);
    ImageHandle composite = ComposeImageSlots(info);
    ASSERT_FALSE(composite.Empty());
    const int32_t columns = int32_t(std::floor(40100 / ((40100 / 0.5) / 65000 * 0.5)));
    EXPECT_GE(columns, 64999);
    EXPECT_EQ(info.stride, ((columns + 7) / 8 + 3) & ~3);
    EXPECT_LE(info.width - 32, 65000);
    EXPECT_LT(info.height, 200);
    FreeImageBlock(composite);
    g_bgImageHandle = g_imageSlotHandles[0];
    // The main image must itself be a shown 1-bit image.
    LoadMainImageSlot();
    g_imageSlots[0].blendMode = 0;
    EXPECT_TRUE(ComposeImageSlots(info).Empty());
}

TEST_F(ImageWriters, SaveChoosesTheWriterByExtension) {
    ScratchDir dir;
    const struct {
        const char* name;
        bool written;
        const char* magic;
    } cases[] = {{"a.TIF", true, "II"}, {"b.tiff", true, "II"}, {"c.Bmp", true, "BM"},
                 {"d.png", false, nullptr}, {"e.tif.bak", false, nullptr}, {"f", false, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeActive(8, 20, 10);
        g_bgImage.positionKnown = 1;
        const double corners[4][2] = {{0, 10}, {20, 10}, {0, 0}, {20, 0}};
        std::copy(&corners[0][0], &corners[0][0] + 8, &g_bgImage.corners[0][0]);
        ClearRecordedMessages();
        const fs::path path = dir / c.name;
        EXPECT_EQ(SaveBackgroundImage(path.string(), false), c.written);
        EXPECT_EQ(fs::exists(path), c.written);
        if (c.written) {
            EXPECT_EQ(ReadBytes(path).substr(0, 2), c.magic);
            EXPECT_EQ(g_bgImagePath, path.string());
            EXPECT_TRUE(fs::exists(fs::path(path).replace_extension(".MPI")));
            EXPECT_TRUE(RecordedMessages().empty());
        } else {
            EXPECT_EQ(RecordedMessages().size(), 1u);
        }
        ResetImageSlots();
    }
}

TEST_F(ImageWriters, SaveOfAComposite) {
    ScratchDir dir;
    AddMonoSlot(0, 0, VerticalStripe);
    AddMonoSlot(1, 100, HorizontalStripe);
    LoadMainImageSlot();
    g_bgImagePath = "/main.tif";
    const ImageSlot before = g_bgImage;
    const fs::path path = dir / "both.tif";
    ASSERT_TRUE(SaveBackgroundImage(path.string(), true));
    EXPECT_EQ(std::memcmp(&g_bgImage, &before, sizeof before), 0);
    EXPECT_TRUE(g_bgImageHandle == g_imageSlotHandles[0]);
    EXPECT_EQ(g_bgImagePath, "/main.tif");
    ASSERT_TRUE(ReadImageFile(path.string(), kImageTiff, true));
    EXPECT_EQ(g_bgImage.width, 416);
    EXPECT_EQ(g_bgImage.height, 200);
    // Its placement was written with it.
    ASSERT_EQ(ReadBytes(dir / "both.TFW").substr(0, 9), "0.500000\r");
    // Without a second image there is nothing to compose.
    LoadMainImageSlot();
    FreeImageBlock(g_imageSlotHandles[1]);
    g_imageSlots[1] = ImageSlot{};
    ClearRecordedMessages();
    EXPECT_FALSE(SaveBackgroundImage((dir / "one.tif").string(), true));
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "画像の合成に失敗しました");
}

}  // namespace
