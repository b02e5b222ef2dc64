#pragma once
// The drawable part of the back buffer as a PNG file, for pictures a person looks at.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "view/raster_primitives.h"

// The drawable part, top row of the window first, as 8-bit RGB.
inline std::vector<uint8_t> WindowRgb(int32_t w, int32_t h) {
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

inline bool WritePng(const std::filesystem::path& path, const std::vector<uint8_t>& rgb, int w,
                     int h) {
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
