#pragma once
// The sample picture of the raster tests: every primitive and both kinds of stroke text,
// drawn into the locked back buffer (720 x 480 drawable pixels, built-in font loaded).
#include <cmath>
#include <cstdint>
#include <string>

#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"

constexpr int32_t kSampleWidth = 720;
constexpr int32_t kSampleHeight = 480;

// Its first triangle (and a point inside it, in buffer rows).
constexpr int32_t kSampleTriangle[6] = {20, 20, 160, 40, 70, 180};
constexpr int32_t kSampleInsideX = 60, kSampleInsideY = 30;
constexpr int kSampleTriangleColor = 54;

inline std::string SampleBytes(int from, int to) {
    std::string s;
    for (int c = from; c <= to; ++c) s += static_cast<char>(c);
    return s;
}

inline void DrawRasterSample() {
    const int32_t cx = g_viewportCenterX, cy = g_viewportCenterY;
    g_rasterColor = g_colorTable[20];  // white
    ClearViewport();

    // Triangles, one cut by the left edge; a fan of solid, dotted and thick lines.
    const int colors[] = {kSampleTriangleColor, 71, 72, 52};
    const int32_t tri[][6] = {{kSampleTriangle[0], kSampleTriangle[1], kSampleTriangle[2],
                               kSampleTriangle[3], kSampleTriangle[4], kSampleTriangle[5]},
                              {180, 30, 300, 30, 240, 150},
                              {310, 160, 420, 20, 440, 140},
                              {-40, 150, 60, 200, 10, 260}};
    for (int i = 0; i < 4; ++i) {
        g_rasterColor = g_colorTable[colors[i]];
        FillTriangle2D(tri[i][0], tri[i][1], tri[i][2], tri[i][3], tri[i][4], tri[i][5]);
    }
    for (int i = 0; i <= 12; ++i) {
        g_lineX0 = 570;
        g_lineY0 = 120;
        g_lineX1 = 570 + static_cast<int32_t>(130 * std::cos(i * M_PI / 12));
        g_lineY1 = 120 + static_cast<int32_t>(110 * std::sin(i * M_PI / 12));
        g_lineColor = g_colorTable[i % 3 == 0 ? 22 : i % 3 == 1 ? 48 : 30];
        if (i % 3 == 0)
            DrawLine();
        else if (i % 3 == 1)
            DrawDottedLine();
        else
            DrawThickLine();
    }
    for (int pen = 0; pen < 4; ++pen) {
        g_penSize = pen;
        g_rasterColor = g_colorTable[22];
        for (int i = 0; i < 6; ++i) PlotPoint(470 + 12 * i, 15 + 8 * pen);
    }

    // Stroke text: ASCII, katakana, a double-byte text (boxes), turned text.
    g_lineColor = g_colorTable[0];
    const int32_t left = 20 - cx;
    DrawTextRotatedPixels(SampleBytes(32, 63), left, 440 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(SampleBytes(64, 95), left, 414 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(SampleBytes(96, 126), left, 388 - cy, 18, 13, 1, 0);
    g_lineColor = g_colorTable[65];
    DrawTextRotatedPixels(SampleBytes(0xA1, 0xC0), left, 356 - cy, 18, 13, 1, 0);
    DrawTextRotatedPixels(SampleBytes(0xC1, 0xDF), left, 330 - cy, 18, 13, 1, 0);
    g_lineColor = g_colorTable[61];
    DrawTextRotatedPixels("\x95\x57\x8D\x82 123.45m", left, 298 - cy, 18, 18, 0, 0);
    DrawTextRotatedPixels("TIN No.1 \xC3\xDE\xB0\xC0", 130 - cx, 215 - cy, 16, 11, 0, 12);
    g_lineColor = g_colorTable[73];
    SetStrokeTextSize(14, 10, 11);
    SetStrokeTextDirection(4, 1);
    DrawStrokeTextRotated("Elev. 250.75", 610, 275);
    SetStrokeTextDirection(0, 0);
    DrawStrokeText("Station No.12+5.0", 420 - cx, 300 - cy, 12, 8);
}
