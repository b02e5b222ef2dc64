#pragma once
// Image file readers: BMP of our own, TIFF, PNG and JPEG through libtiff, libpng and
// libjpeg. Each produces one of the three pixel kinds of the background images (1 bit,
// 8-bit indexes into g_bgImagePalette, or blue, green, red, 0) in bottom-up rows. Files
// are untrusted: a damaged or unsupported file is a failure that leaves the image that was
// there before as it was.
#include <cstdint>
#include <cstdio>
#include <string>

#include "image/image_slot.h"

// Largest image a reader accepts: sides and block bytes.
constexpr int32_t kMaxImageSide = 200000;
constexpr uint64_t kMaxImageBytes = uint64_t{1} << 32;

// A decoded picture, not yet the active image.
struct DecodedImage {
    ImageHandle handle;  // bottom-up rows, room to spare after the last row
    int32_t width = 0;
    int32_t height = 0;
    int32_t isMono = 0;
    int32_t isIndexed8 = 0;
    int32_t stride = 0;
    uint32_t palette[256] = {};
    int32_t paletteCount = 0;  // entries that replace the first ones of g_bgImagePalette
};

// Each decoder fills `out` and returns true, or frees what it made and returns false.
// `keepIndexed`: 4-bit and 8-bit BMPs stay 8-bit indexed instead of 32 bits.
bool DecodeBmpImage(std::FILE* file, bool keepIndexed, DecodedImage& out);
bool DecodeTiffImage(const std::string& path, DecodedImage& out);
bool DecodePngImage(const std::string& path, DecodedImage& out);
bool DecodeJpegImage(const std::string& path, DecodedImage& out);

// Reader of a file name: by its extension, upper-cased and cut to five characters with
// the dot: 1 BMP, 2 TIFF, 3 PNG, 4 JPEG, 0 none.
enum ImageFileKind : int32_t { kImageNone = 0, kImageBmp = 1, kImageTiff = 2, kImagePng = 3, kImageJpeg = 4 };
ImageFileKind ImageFileKindOf(const std::string& path);

// Decodes `path` with the reader of `kind` and, on success, makes it the active image:
// its block, size and kind, `stride`, `loaded` 1, `blendMode` 1, `positionKnown` 0,
// `showOnBase` 0, `keepIndexed` as given, the palette entries it brings and
// g_bgImagePath. The previous block is freed unless slot 0 holds it. On failure nothing
// changes and false is returned.
bool ReadImageFile(const std::string& path, ImageFileKind kind, bool keepIndexed);

// The readers in the form the rest of the program names them. Each returns 1 on success
// and 0 on failure; on success the handle holds the new block (a block it held before is
// freed), on failure it is left as it was.
int32_t LoadBmpImage(const std::string& path);  // into the active image
int32_t LoadTiffImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height,
                      int32_t& isMono);
int32_t LoadPngImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height,
                     int32_t& isMono);
int32_t LoadJpegImage(const std::string& path, ImageHandle& handle, int32_t& width, int32_t& height);
