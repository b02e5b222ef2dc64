#pragma once
// A locked back buffer for the targets whose readers feed the drawing.
#include "view/back_buffer.h"
#include "view/palette.h"
#include "view/raster_primitives.h"

namespace fuzz {

inline void OpenBackBuffer(int32_t width, int32_t height) {
    static DrawBitmapInfo bmi{};
    bmi.header.biSize = 40;
    bmi.header.biWidth = 1024;
    bmi.header.biHeight = 1027;
    bmi.header.biPlanes = 1;
    bmi.header.biBitCount = 8;
    g_drawBitmapInfo = &bmi;
    InitPaletteCanvas(bmi);
    AllocateBackBuffer(width, height);
    if (LockBackBuffer() == 0) std::abort();
    g_lineColor = 0x00FF0000;
    g_rasterColor = 0x00FF0000;
    g_penSize = 1;
}

}  // namespace fuzz
