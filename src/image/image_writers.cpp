#include "image/image_writers.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "image/image_mapping.h"
#include "image/image_position.h"
#include "platform/message_box.h"

namespace {

void PutU16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> BmpHeaders(int32_t width, int32_t height, int bits, uint32_t paletteBytes, uint32_t rowBytes,
                                uint32_t colorsUsed) {
    std::vector<uint8_t> h;
    h.push_back('B');
    h.push_back('M');
    PutU32(h, uint32_t(54 + paletteBytes + uint64_t(rowBytes) * uint32_t(height)));
    PutU16(h, 0);
    PutU16(h, 0);
    PutU32(h, 54 + paletteBytes);
    PutU32(h, 40);
    PutU32(h, uint32_t(width));
    PutU32(h, uint32_t(height));
    PutU16(h, 1);
    PutU16(h, uint32_t(bits));
    for (uint32_t v : {0u, 0u, 0u, 0u, colorsUsed, 0u}) PutU32(h, v);
    return h;
}

bool Put(std::FILE* f, const void* data, size_t n) { return std::fwrite(data, 1, n, f) == n; }

// A half-written picture is not left under the name (only ever a plain file).
void RemoveFailedFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

// Closes and reports whether everything reached the file.
bool Finish(std::FILE* f, bool ok, const std::string& path) {
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) RemoveFailedFile(path);
    return ok;
}

void Error(const char* text) { ShowMessage(text, "Error", msg::kOk); }

void QuietTiffHandler(const char*, const char*, va_list) {}

}  // namespace

int32_t SaveImageBmp(const std::string& path) {
    const ImageSlot& image = g_bgImage;
    if (g_bgImageHandle.Empty() || !image.loaded || image.width <= 0 || image.height <= 0) return 0;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        Error("Failed in OpenFile!");
        return 0;
    }
    const int bits = image.isMono ? 1 : image.isIndexed8 ? 8 : 24;
    const uint32_t paletteBytes = bits == 1 ? 8 : bits == 8 ? 1024 : 0;
    const uint32_t rowBytes = bits == 24 ? uint32_t((3 * image.width + 3) & ~3) : uint32_t(image.stride);
    const std::vector<uint8_t> headers =
        BmpHeaders(image.width, image.height, bits, paletteBytes, rowBytes, bits == 1 ? 2 : bits == 8 ? 256 : 0);
    bool ok = Put(f, headers.data(), headers.size());
    if (bits == 1) {
        const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
        ok = ok && Put(f, palette, 8);
    } else if (bits == 8) {
        ok = ok && Put(f, g_bgImagePalette, 1024);
    }
    const uint8_t* block = g_bgImageHandle.Lock();
    std::vector<uint8_t> row(rowBytes, 0);
    for (int32_t y = 0; y < image.height && ok; ++y) {
        const uint8_t* src = block + size_t(y) * size_t(image.stride);
        if (bits != 24) {
            ok = Put(f, src, rowBytes);
            continue;
        }
        for (int32_t x = 0; x < image.width; ++x) std::memcpy(&row[3 * size_t(x)], src + 4 * size_t(x), 3);
        ok = Put(f, row.data(), rowBytes);
    }
    g_bgImageHandle.Unlock();
    if (!Finish(f, ok, path)) {
        Error("Failed in WriteFile!");
        return 0;
    }
    return 1;
}

int32_t SaveTiffImage(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t bits,
                      const uint32_t* palette) {
    if (!pixels || width <= 0 || height <= 0 || (bits != 1 && bits != 8 && bits != 32)) return 0;
    TIFFSetErrorHandler(QuietTiffHandler);
    TIFFSetWarningHandler(QuietTiffHandler);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return 0;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(0xFFFFFFFF));
    std::vector<uint16_t> map;
    if (bits == 32) {
        ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) && TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    } else if (bits == 8) {
        map.resize(3 * 256);
        for (int i = 0; i < 256; ++i) {
            const uint32_t c = palette ? palette[i] : uint32_t(i * 0x010101);
            map[i] = uint16_t(((c >> 16) & 0xFF) * 256);
            map[256 + i] = uint16_t(((c >> 8) & 0xFF) * 256);
            map[512 + i] = uint16_t((c & 0xFF) * 256);
        }
        ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE) &&
             TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS) &&
             TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
    } else {
        ok = ok && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
             TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
             TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    }
    const size_t stride = bits == 1 ? size_t(((width + 7) / 8 + 3) & ~3) : bits == 8 ? size_t((width + 3) & ~3) : 4 * size_t(width);
    std::vector<uint8_t> rgb(bits == 32 ? 3 * size_t(width) : 0);
    for (int32_t i = 0; i < height && ok; ++i) {
        const uint8_t* src = pixels + size_t(height - 1 - i) * stride;
        if (bits == 32) {
            for (int32_t x = 0; x < width; ++x) {
                rgb[3 * size_t(x)] = src[4 * size_t(x) + 2];
                rgb[3 * size_t(x) + 1] = src[4 * size_t(x) + 1];
                rgb[3 * size_t(x) + 2] = src[4 * size_t(x)];
            }
            src = rgb.data();
        }
        ok = TIFFWriteScanline(tif, const_cast<uint8_t*>(src), uint32_t(i), 0) == 1;
    }
    ok = ok && TIFFFlush(tif) == 1;
    TIFFClose(tif);
    if (!ok) {
        RemoveFailedFile(path);
        return 0;
    }
    return 1;
}

bool WriteBmp24File(const std::string& path, int32_t width, int32_t height, const PixelRowSource& rowFromBottom) {
    if (width <= 0 || height <= 0) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t rowBytes = uint32_t((3 * width + 3) & ~3);
    const std::vector<uint8_t> headers = BmpHeaders(width, height, 24, 0, rowBytes, 0);
    bool ok = Put(f, headers.data(), headers.size());
    std::vector<uint8_t> row(rowBytes, 0);
    for (int32_t y = 0; y < height && ok; ++y) {
        const uint32_t* src = rowFromBottom(y);
        if (!src) {
            ok = false;
            break;
        }
        for (int32_t x = 0; x < width; ++x) {
            row[3 * size_t(x)] = uint8_t(src[x]);
            row[3 * size_t(x) + 1] = uint8_t(src[x] >> 8);
            row[3 * size_t(x) + 2] = uint8_t(src[x] >> 16);
        }
        ok = Put(f, row.data(), rowBytes);
    }
    return Finish(f, ok, path);
}

namespace {

struct JpegWriteFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegWriteErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegWriteFailure*>(cinfo->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

// The part that may jump back on a library error: no objects with destructors.
bool CompressJpeg(jpeg_compress_struct& cinfo, JpegWriteFailure& failure, std::FILE* f, int32_t width, int32_t height,
                  int32_t quality, const PixelRowSource& rowFromTop, uint8_t* line) {
    if (setjmp(failure.jump)) return false;
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* src = rowFromTop(y);
        if (!src) return false;
        for (int32_t x = 0; x < width; ++x) {
            line[3 * size_t(x)] = uint8_t(src[x] >> 16);
            line[3 * size_t(x) + 1] = uint8_t(src[x] >> 8);
            line[3 * size_t(x) + 2] = uint8_t(src[x]);
        }
        JSAMPROW rows[1] = {line};
        if (jpeg_write_scanlines(&cinfo, rows, 1) != 1) return false;
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

}  // namespace

bool WriteJpegFile(const std::string& path, int32_t width, int32_t height, int32_t quality,
                   const PixelRowSource& rowFromTop) {
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::vector<uint8_t> line(3 * size_t(width));
    jpeg_compress_struct cinfo;
    JpegWriteFailure failure;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = JpegWriteErrorExit;
    failure.manager.output_message = JpegQuiet;
    volatile bool ok = false;
    if (setjmp(failure.jump) == 0) {
        jpeg_create_compress(&cinfo);
        ok = CompressJpeg(cinfo, failure, f, width, height, quality, rowFromTop, line.data());
    }
    jpeg_destroy_compress(&cinfo);
    return Finish(f, ok, path);
}

namespace {

struct PngWriteFailure {
    std::jmp_buf jump;
};

void PngWriteError(png_structp png, png_const_charp) {
    std::longjmp(static_cast<PngWriteFailure*>(png_get_error_ptr(png))->jump, 1);
}
void PngWriteWarning(png_structp, png_const_charp) {}

// The part that may jump back on a library error: no objects with destructors.
bool CompressPng(png_structp png, png_infop info, PngWriteFailure& failure, std::FILE* f, int32_t width,
                 int32_t height, const PixelRowSource& rowFromTop, uint8_t* line) {
    if (setjmp(failure.jump)) return false;
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* src = rowFromTop(y);
        if (!src) return false;
        for (int32_t x = 0; x < width; ++x) {
            line[3 * size_t(x)] = uint8_t(src[x] >> 16);
            line[3 * size_t(x) + 1] = uint8_t(src[x] >> 8);
            line[3 * size_t(x) + 2] = uint8_t(src[x]);
        }
        png_write_row(png, line);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool WritePngFile(const std::string& path, int32_t width, int32_t height, const PixelRowSource& rowFromTop) {
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500) return false;
    PngWriteFailure failure;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, PngWriteError, PngWriteWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::FILE* f = info ? std::fopen(path.c_str(), "wb") : nullptr;
    if (!f) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    std::vector<uint8_t> line(3 * size_t(width));
    const bool ok = CompressPng(png, info, failure, f, width, height, rowFromTop, line.data());
    png_destroy_write_struct(&png, &info);
    return Finish(f, ok, path);
}

// ---- Composition -------------------------------------------------------------------------

namespace {

inline bool ClearBitAt(const ImageSlot& image, const uint8_t* pixels, double column, double row) {
    if (!(column >= 0 && column < image.width && row >= 0 && row < image.height)) return false;
    const int32_t c = int32_t(column), r = int32_t(row);
    return ((pixels[size_t(r) * size_t(image.stride) + size_t(c / 8)] >> (7 - c % 8)) & 1) == 0;
}

inline void SetTargetBit(uint8_t* target, int32_t targetStride, int32_t x, int32_t y) {
    target[size_t(y) * size_t(targetStride) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
}

}  // namespace

void ComposeMonoSlotAffine(const ImageSlot& image, const double rect[4], uint8_t* target, int32_t targetWidth,
                           int32_t targetHeight, int32_t targetStride) {
    if (!image.pixels || !image.isMono || targetWidth <= 0 || targetHeight <= 0) return;
    const double west = rect[0], north = rect[1], east = rect[2], south = rect[3];
    const double step = (north - south) / targetHeight;
    for (int32_t y = 0; y < targetHeight; ++y) {
        const double n = south + step * y;
        double u0, v0, u1, v1;
        MapGroundToImage(image, west, n, u0, v0);
        MapGroundToImage(image, east, n, u1, v1);
        const double x0 = image.width * u0, y0 = image.height * v0;
        const double dx = (image.width * u1 - x0) / targetWidth, dy = (image.height * v1 - y0) / targetWidth;
        for (int32_t x = 0; x < targetWidth; ++x)
            if (ClearBitAt(image, image.pixels, x0 + dx * x, y0 + dy * x)) SetTargetBit(target, targetStride, x, y);
    }
}

void ComposeMonoSlotProjective(const ImageSlot& image, const double rect[4], uint8_t* target, int32_t targetWidth,
                               int32_t targetHeight, int32_t targetStride) {
    if (!image.pixels || !image.isMono || targetWidth <= 0 || targetHeight <= 0) return;
    const double west = rect[0], north = rect[1], east = rect[2], south = rect[3];
    const double stepN = (north - south) / targetHeight, stepE = (east - west) / targetWidth;
    for (int32_t y = 0; y < targetHeight; ++y)
        for (int32_t x = 0; x < targetWidth; ++x) {
            double u, v;
            MapGroundToImage(image, west + stepE * x, south + stepN * y, u, v);
            if (ClearBitAt(image, image.pixels, image.width * u, image.height * v)) SetTargetBit(target, targetStride, x, y);
        }
}

bool SlotQualifiesForComposition(int32_t k) {
    if (k < 0 || k >= IMAGE_SLOT_COUNT || g_imageSlotHandles[k].Empty()) return false;
    const ImageSlot& s = g_imageSlots[k];
    return s.loaded && s.isMono && s.positionKnown && s.blendMode;
}

ImageHandle ComposeImageSlots(ComposedImageInfo& info) {
    info = ComposedImageInfo{};
    if (!SlotQualifiesForComposition(0)) return {};
    double minE = HUGE_VAL, maxE = -HUGE_VAL, minN = HUGE_VAL, maxN = -HUGE_VAL;
    int32_t count = 0;
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        if (!SlotQualifiesForComposition(k)) continue;
        ++count;
        for (const auto& c : g_imageSlots[k].corners) {
            minE = std::min(minE, c[0]);
            maxE = std::max(maxE, c[0]);
            minN = std::min(minN, c[1]);
            maxN = std::max(maxN, c[1]);
        }
    }
    if (count < 2) return {};
    const ImageSlot& main = g_imageSlots[0];
    double s = std::min(main.edgeLengths[1] / main.width, main.edgeLengths[2] / main.height);
    if (!(s > 0) || !std::isfinite(s)) return {};
    double rows = std::floor((maxN - minN) / s), cols = std::floor((maxE - minE) / s);
    const double larger = std::max(rows, cols);
    if (larger > 65000) {
        s *= larger / 65000;
        rows = std::floor((maxN - minN) / s);
        cols = std::floor((maxE - minE) / s);
    }
    // Truncated pixel counts may lose the last pixel to rounding: a picture of at least one.
    const int32_t n = std::max(1, int32_t(rows)), m = std::max(1, int32_t(cols));
    const int32_t stride = ((m + 7) / 8 + 3) & ~3;
    const int32_t width = stride * 8;
    const double east = minE + s * width, north = minN + s * n;

    ImageSlot& active = g_bgImage;
    active.isMono = 1;
    active.isIndexed8 = 0;
    active.stride = stride;
    active.blendMode = BLEND_OVERWRITE;
    active.positionKnown = 1;
    active.loaded = 1;
    active.width = width;
    active.height = n;
    const double corners[4][2] = {{minE, north}, {east, north}, {minE, minN}, {east, minN}};
    std::copy(&corners[0][0], &corners[0][0] + 8, &active.corners[0][0]);
    ComputeImageEdgeLengths(active);
    SetupImageMapping(active);
    ImageHandle handle = AllocImageBlock(size_t(stride) * size_t(n) + 8192);
    if (handle.Empty()) return {};
    uint8_t* target = handle.Lock();
    info = {width, n, stride, 1, 1, target};

    const double rect[4] = {minE, north, east, minN};
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        if (!SlotQualifiesForComposition(k)) continue;
        ImageSlot slot = g_imageSlots[k];
        slot.pixels = g_imageSlotHandles[k].Lock();
        if (slot.positionKnown == 4)
            ComposeMonoSlotProjective(slot, rect, target, width, n, stride);
        else
            ComposeMonoSlotAffine(slot, rect, target, width, n, stride);
        g_imageSlotHandles[k].Unlock();
    }
    for (size_t i = 0; i < size_t(stride) * size_t(n); ++i) target[i] = uint8_t(~target[i]);
    SetActiveImageBlock(handle);
    return handle;
}

// ---- The background-image save -------------------------------------------------------------

namespace {

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

}  // namespace

bool SaveBackgroundImage(const std::string& path, bool compose) {
    const std::string ext = LowerExtension(path);
    const bool tiff = ext == ".tif" || ext == ".tiff";
    if (!tiff && ext != ".bmp") {
        ShowMessage("この形式では保存できません\nTIF または BMP の名前を指定してください", "", msg::kOk | msg::kIconWarning);
        return false;
    }
    const ImageSlot savedImage = g_bgImage;
    const ImageHandle savedHandle = g_bgImageHandle;
    const std::string savedPath = g_bgImagePath;
    ImageHandle composite;
    if (compose) {
        ComposedImageInfo info;
        composite = ComposeImageSlots(info);
        if (composite.Empty()) {
            g_bgImage = savedImage;
            g_bgImageHandle = savedHandle;
            ShowMessage("画像の合成に失敗しました", "", msg::kOk | msg::kIconError);
            return false;
        }
        if (info.width >= 65000 || info.height >= 65000)
            ShowMessage("画像サイズが65000を超えています\n縮小して保存します", "", msg::kOk | msg::kIconInformation);
    }
    if (g_bgImageHandle.Empty() || !g_bgImage.loaded) return false;
    const int32_t bits = g_bgImage.isMono ? 1 : g_bgImage.isIndexed8 ? 8 : 32;
    const int32_t written = tiff ? SaveTiffImage(path, g_bgImageHandle.Lock(), g_bgImage.width, g_bgImage.height, bits,
                                                 g_bgImagePalette)
                                 : SaveImageBmp(path);
    if (written) {
        g_bgImagePath = path;
        WriteImagePositionFiles();
    } else if (tiff) {
        ShowMessage("Failed in WriteFile!", "Error", msg::kOk);
    }
    if (compose) {
        FreeImageBlock(composite);
        g_bgImage = savedImage;
        g_bgImageHandle = savedHandle;
        g_bgImagePath = savedPath;
    }
    return written != 0;
}
