#pragma once
// The raster layer below the painter: global drawing state of the back buffer (clip
// rectangle, colours, pen, line ends, depth buffer) and the primitives that write pixels
// through it. They assume a locked back buffer (LockBackBuffer) and never allocate.
//
// Coordinates are buffer columns and rows; row 0 is the bottom row of the window.
// Pixels are 0x00RRGGBB words; depth words compare as unsigned, larger is nearer.
#include <climits>
#include <cstdint>
#include <vector>

extern uint32_t* g_backBufferPixels;  // null while no buffer is locked
extern int32_t g_backBufferStride;    // bytes per buffer row
// Start of every buffer row (one entry per row of the allocated buffer).
extern std::vector<uint32_t*> g_rowTable;

extern int32_t g_clipLeft;
extern int32_t g_clipTop;
extern int32_t g_bufferMaxX;  // last usable column (right of the clip rectangle)
extern int32_t g_bufferMaxY;  // last usable row (bottom of the clip rectangle)
extern int32_t g_innerLeft;   // the clip rectangle shrunk by one pixel: thick lines
extern int32_t g_innerTop;
extern int32_t g_innerRight;
extern int32_t g_innerBottom;
extern int32_t g_clipLeftBytes;  // clip columns times 4
extern int32_t g_clipRightBytes;
extern int32_t g_viewportCenterX;
extern int32_t g_viewportCenterY;

extern uint32_t g_rasterColor;  // points, markers, fills, clears
extern uint32_t g_lineColor;    // the line primitives
extern int32_t g_penSize;       // 1, 2, 3; anything else is the largest footprint
extern int32_t g_lineX0;
extern int32_t g_lineY0;
extern int32_t g_lineX1;
extern int32_t g_lineY1;

// Depth buffer of a bird's-eye frame (one word per drawable pixel); null otherwise.
extern uint32_t* g_zBuffer;
extern int32_t g_zBufferStride;  // bytes per depth row

// Per-row byte offsets (column x 4) of the two edges of the triangle being filled.
extern std::vector<int32_t> g_edgeLeft;
extern std::vector<int32_t> g_edgeRight;

// Dash cycle of 32 steps (bit i set: step i draws) and the ring's cursor.
extern uint32_t g_dashPattern;
extern int32_t g_dashStep;

// Bit 0: no buffer or its lock failed; bit 1: no depth buffer for a bird's-eye frame.
extern int32_t g_rasterStatus;

void PlotPixel(int32_t x, int32_t y);
int32_t PlotCross(int32_t x, int32_t y);
int32_t PlotPoint(int32_t x, int32_t y);
// 0 some pixel drawn, 2 all hidden, 4 outside.
int32_t PlotPointDepth(int32_t x, int32_t y, uint32_t depth);
int32_t PlotBlockDepth(int32_t x, int32_t y, uint32_t depth);
int32_t TestDepth(int32_t x, int32_t y, uint32_t depth);
void SetDashPattern(uint32_t mask);

// The Bresenham walk of the line primitives from B to A, A having the larger column (the
// lines take their first end as A on equal columns): plot(position index, x, y, x-major,
// row step toward A) for every position, both ends included.
template <class Plot>
void WalkLinePixels(int32_t ax, int32_t ay, int32_t bx, int32_t by, Plot&& plot) {
    const int32_t dx = ax - bx;  // never negative
    const int32_t dyAbs = ay > by ? ay - by : by - ay;
    const int32_t sy = ay > by ? 1 : -1;
    int32_t x = bx, y = by;
    if (dx >= dyAbs) {
        int32_t err = dx / 2;
        for (int32_t i = 0; i <= dx; ++i) {
            plot(i, x, y, true, sy);
            err -= dyAbs;
            if (err < 0) {
                err += dx;
                y += sy;
            }
            ++x;
        }
    } else {
        int32_t err = dyAbs / 2;
        for (int32_t i = 0; i <= dyAbs; ++i) {
            plot(i, x, y, false, sy);
            err -= dx;
            if (err < 0) {
                err += dyAbs;
                ++x;
            }
            y += sy;
        }
    }
}

// Lines from (g_lineX0, g_lineY0) to (g_lineX1, g_lineY1) in g_lineColor.
void DrawLine();
void DrawDottedLine();
void DrawThickLine();

void FillTriangle2D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

struct RasterPoint {
    int32_t x;
    int32_t y;
};
// Clips the segment in place; 0 when nothing remains, -1 when a part does.
int32_t ClipSegmentToViewport(RasterPoint& p, RasterPoint& q);

void ClearViewport();
void ClearMarkBytes();
// Clip state for a sub-picture; bottom is the last row but one.
void SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Double to int32, truncated toward zero and held within -limit .. limit; a value that is
// not a number becomes -limit. Every computed position reaches the pixels through here, so
// that far-off points stay far off instead of wrapping round or overflowing the conversion.
inline int32_t TruncToRaster(double v, int32_t limit = INT32_MAX) {
    const double bound = limit;
    if (!(v > -bound)) return -limit;
    if (v >= bound) return limit;
    return static_cast<int32_t>(v);
}
