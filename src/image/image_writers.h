#pragma once
// Image writers: the active image as BMP or TIFF, the composition of all shown 1-bit
// images, and plain 24-bit BMP, JPEG and PNG writers of 32-bit rows (the view export writes
// the back buffer through them). Every write is checked: a full disk is a failure.
#include <cstdint>
#include <functional>
#include <string>

#include "image/image_slot.h"

// Writes the active image as BMP: 1 on success, 0 otherwise (with a message box).
int32_t SaveImageBmp(const std::string& path);
// Writes a bottom-up block of 1, 8 or 32 bits per pixel as TIFF (one strip; PackBits for
// 1 and 8 bits, 8 bits with `palette` as its colour map). 1 on success, 0 otherwise.
int32_t SaveTiffImage(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height, int32_t bits,
                      const uint32_t* palette);

// One row of 32-bit pixels (blue in the low byte, then green, red), counted from the
// bottom row (BMP) or from the top row (JPEG).
using PixelRowSource = std::function<const uint32_t*(int32_t row)>;
// A 24-bit BMP; false when the file cannot be made or a write fails.
bool WriteBmp24File(const std::string& path, int32_t width, int32_t height, const PixelRowSource& rowFromBottom);
// A baseline JPEG of the given quality (1 to 100); false on any failure.
bool WriteJpegFile(const std::string& path, int32_t width, int32_t height, int32_t quality,
                   const PixelRowSource& rowFromTop);
// An 8-bit RGB PNG; false on any failure.
bool WritePngFile(const std::string& path, int32_t width, int32_t height, const PixelRowSource& rowFromTop);

// The result record of ComposeImageSlots.
struct ComposedImageInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t planes = 0;
    int32_t bits = 0;
    uint8_t* pixels = nullptr;
};

// A slot that takes part in the composition: a 1-bit, placed, shown image.
bool SlotQualifiesForComposition(int32_t slot);
// Builds one 1-bit image from all shown 1-bit slots (slot 0 must be one, and one more)
// and makes it the active image; a clear bit marks a clear bit of any slot. Empty when
// there is nothing to compose or no memory (the active image may then have changed: the
// caller restores it).
ImageHandle ComposeImageSlots(ComposedImageInfo& info);

// Sets the target's bits (bottom-up rows of `targetStride` bytes, most significant bit
// first) where `image`, a 1-bit image, has clear bits, over the ground rectangle
// (west, north, east, south) covered by the target's `targetWidth` x `targetHeight`
// pixels. The affine form interpolates along each target row between its mapped ends; the
// projective form maps every target pixel.
void ComposeMonoSlotAffine(const ImageSlot& image, const double rect[4], uint8_t* target, int32_t targetWidth,
                           int32_t targetHeight, int32_t targetStride);
void ComposeMonoSlotProjective(const ImageSlot& image, const double rect[4], uint8_t* target, int32_t targetWidth,
                               int32_t targetHeight, int32_t targetStride);

// The background-image save: `compose` after the user agreed to compose the 1-bit slots.
// The writer follows the extension (.tif, .tiff, .bmp in any case); any other is refused
// with a message. After a write the path becomes the active image's and its placement
// files are written. True when the image was written.
bool SaveBackgroundImage(const std::string& path, bool compose);
