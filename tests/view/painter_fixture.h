#pragma once
// A clean data model, a locked back buffer of 200 x 150 drawable pixels and a plan view
// at one pixel per metre centred on the ground origin; each palette entry a colour of its
// own, so that a pixel tells which layer drew it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/terrain_data.h"
#include "platform/input.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/stroke_font.h"
#include "view/view_history.h"
#include "view/view_painter.h"
#include "view/view_state.h"

class PainterTest : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 200;
    static constexpr int32_t kHeight = 150;

    void SetUp() override {
        InitDataModel();
        for (int i = 0; i < 256; ++i) g_drawBitmapInfo->colors[i] = UniqueQuad(i);
        AllocateBackBuffer(kWidth + 1, kHeight + 1);
        ASSERT_NE(LockBackBuffer(), 0);
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_showTin = -1;  // as the view turns it on when it is made
        g_redrawMask = -1;
        g_projectionValid = 0;
    }
    void TearDown() override {
        SetHeadlessKeyDown(key::kMouseLeft, false);
        SetHeadlessKeyDown(key::kMouseRight, false);
        UnlockBackBuffer();
        FreeRasterBlocks();
        ReleaseDataModel();
    }

    // Palette entry i as a colour no other entry has.
    static RgbQuad UniqueQuad(int i) {
        return {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 77, 0};
    }
    static uint32_t Color(int index) {
        const RgbQuad q = UniqueQuad(index);
        return uint32_t{q.red} << 16 | uint32_t{q.green} << 8 | q.blue;
    }

    static int32_t Paint() {
        const ViewClient client{kWidth, kHeight};
        return PaintView(&client);
    }

    // The pixel at the ground point (x north, y east) of the plan at one pixel per metre.
    static uint32_t At(double x, double y) {
        return Pixel(g_viewportCenterX + static_cast<int32_t>(std::lround(y - g_viewCenterY)),
                     g_viewportCenterY + static_cast<int32_t>(std::lround(x - g_viewCenterX)));
    }
    static uint32_t Pixel(int32_t column, int32_t row) {
        return g_rowTable[row][column] & 0xFFFFFFu;
    }

    // The drawable pixels, bottom row first.
    static std::vector<uint32_t> Frame() {
        std::vector<uint32_t> out;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) out.push_back(g_rowTable[r][c]);
        return out;
    }
    static int CountColor(uint32_t color) {
        int n = 0;
        for (int32_t r = 0; r <= g_bufferMaxY; ++r)
            for (int32_t c = 0; c <= g_bufferMaxX; ++c) n += Pixel(c, r) == color;
        return n;
    }
    // Whether some pixel in the box (columns c0..c1, rows r0..r1) has the colour.
    static bool AnyInBox(uint32_t color, int32_t c0, int32_t r0, int32_t c1, int32_t r1) {
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t c = c0; c <= c1; ++c)
                if (Pixel(c, r) == color) return true;
        return false;
    }

    static int32_t AddPoint(double x, double y, double z, const char* name = "") {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        const int32_t i = ++g_pointCount;
        RandomPoint& p = g_points[i];
        p = RandomPoint{};
        p.x = x;
        p.y = y;
        p.z = z;
        std::snprintf(p.name, sizeof p.name, "%s", name);
        SetPointEndMarker();
        g_pointsPresent = -1;
        return i;
    }

    static void SetTin(const std::vector<TinEdge>& edges) {
        ASSERT_EQ(EnsureTinEdgeCapacity(static_cast<int32_t>(edges.size()) + 1), 0);
        for (size_t k = 0; k < edges.size(); ++k) g_tinEdges[k + 1] = edges[k];
        g_tinEdgeCount = static_cast<int32_t>(edges.size());
        SetTinEndRecord();
        g_tinPresent = -1;
    }

    static void SetList(IndexList& list, const std::vector<int32_t>& entries) {
        list.Reset();
        for (int32_t i : entries) list.Append(i);
    }

    // The square of points 1 (0, 0), 2 (0, 40), 3 (40, 40), 4 (40, 0) cut by the diagonal
    // 1-3: two triangles; records 1..4 are its sides (nothing behind them), 5 the diagonal.
    static void MakeSquareTin(double x0 = 0, double y0 = 0) {
        AddPoint(x0, y0, 10, "P1");
        AddPoint(x0, y0 + 40, 20, "P2");
        AddPoint(x0 + 40, y0 + 40, 30, "P3");
        AddPoint(x0 + 40, y0, 40, "P4");
        SetTin({{1, 2, kNoApex, 3, 0},
                {2, 3, kNoApex, 1, 0},
                {3, 4, kNoApex, 1, 0},
                {4, 1, kNoApex, 3, 0},
                {1, 3, 2, 4, 0}});
    }
};
