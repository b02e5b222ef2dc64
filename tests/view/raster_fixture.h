#pragma once
// A locked back buffer with the default palette for the raster tests, and helpers that
// read its pixels back.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "view/back_buffer.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"

constexpr uint32_t kInk = 0x00FF0000;
constexpr uint32_t kSentinel = 0x00123456;

using PixelSet = std::set<std::pair<int32_t, int32_t>>;

class RasterTest : public ::testing::Test {
protected:
    void SetUp() override { Open(16, 12); }
    void TearDown() override {
        FreeRasterBlocks();
        g_drawBitmapInfo = nullptr;
        g_zBuffer = nullptr;
    }

    // A buffer whose drawable part is width x height, every pixel set to kSentinel.
    void Open(int32_t width, int32_t height) {
        m_bmi = DrawBitmapInfo{};
        m_bmi.header.biSize = 40;
        m_bmi.header.biWidth = 1024;
        m_bmi.header.biHeight = 1027;
        m_bmi.header.biPlanes = 1;
        m_bmi.header.biBitCount = 8;
        g_drawBitmapInfo = &m_bmi;
        InitPaletteCanvas(m_bmi);
        AllocateBackBuffer(width, height);
        ASSERT_NE(LockBackBuffer(), 0);
        FillAll(kSentinel);
        g_lineColor = kInk;
        g_rasterColor = kInk;
        g_penSize = 1;
    }

    // The first w columns of the first h rows; the whole buffer by default.
    static void FillAll(uint32_t color, int32_t w = INT32_MAX, int32_t h = INT32_MAX) {
        for (int32_t r = 0; r < std::min(h, BackBufferHeight()); ++r)
            for (int32_t c = 0; c < std::min(w, BackBufferWidth()); ++c) g_rowTable[r][c] = color;
    }

    static void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        g_lineX0 = x0;
        g_lineY0 = y0;
        g_lineX1 = x1;
        g_lineY1 = y1;
    }

    // Every pixel of the whole buffer that differs from kSentinel.
    static PixelSet Written(int32_t w = INT32_MAX, int32_t h = INT32_MAX) {
        PixelSet out;
        for (int32_t r = 0; r < std::min(h, BackBufferHeight()); ++r)
            for (int32_t c = 0; c < std::min(w, BackBufferWidth()); ++c)
                if (g_rowTable[r][c] != kSentinel) out.insert({c, r});
        return out;
    }

    // Whether every written pixel of the whole buffer lies in columns l..r of rows t..b;
    // `count` gets how many were written.
    static bool WrittenOnlyIn(int32_t l, int32_t t, int32_t r, int32_t b, size_t& count) {
        count = 0;
        bool inside = true;
        for (int32_t y = 0; y < BackBufferHeight(); ++y) {
            const uint32_t* row = g_rowTable[y];
            for (int32_t x = 0; x < BackBufferWidth(); ++x)
                if (row[x] != kSentinel) {
                    ++count;
                    inside = inside && x >= l && x <= r && y >= t && y <= b;
                }
        }
        return inside;
    }

    // Columns 0..w-1 of rows h-1 down to 0 (the top of the window first): '#' written.
    static std::vector<std::string> Picture(int32_t w, int32_t h) {
        std::vector<std::string> rows;
        for (int32_t r = h - 1; r >= 0; --r) {
            std::string s;
            for (int32_t c = 0; c < w; ++c) s += g_rowTable[r][c] != kSentinel ? '#' : '.';
            rows.push_back(s);
        }
        return rows;
    }

    DrawBitmapInfo m_bmi{};
};
