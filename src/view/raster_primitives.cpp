#include "view/raster_primitives.h"

#include <algorithm>
#include <utility>

#include "view/back_buffer.h"

uint32_t* g_backBufferPixels = nullptr;
int32_t g_backBufferStride = 0;
std::vector<uint32_t*> g_rowTable;

int32_t g_clipLeft = 0;
int32_t g_clipTop = 0;
int32_t g_bufferMaxX = 0;
int32_t g_bufferMaxY = 0;
int32_t g_innerLeft = 0;
int32_t g_innerTop = 0;
int32_t g_innerRight = 0;
int32_t g_innerBottom = 0;
int32_t g_clipLeftBytes = 0;
int32_t g_clipRightBytes = 0;
int32_t g_viewportCenterX = 0;
int32_t g_viewportCenterY = 0;

uint32_t g_rasterColor = 0;
uint32_t g_lineColor = 0;
int32_t g_penSize = 1;
int32_t g_lineX0 = 0;
int32_t g_lineY0 = 0;
int32_t g_lineX1 = 0;
int32_t g_lineY1 = 0;

uint32_t* g_zBuffer = nullptr;
int32_t g_zBufferStride = 0;

std::vector<int32_t> g_edgeLeft;
std::vector<int32_t> g_edgeRight;

uint32_t g_dashPattern = 0;
int32_t g_dashStep = 0;
int32_t g_rasterStatus = 0;

namespace {
// Products of two coordinate differences need more than 64 bits when the ends are far
// off screen; exact products keep every clipped end on the segment.
using Wide = __int128;

inline bool Drawable() { return g_backBufferPixels != nullptr; }

inline void Put(int32_t x, int32_t y, uint32_t color) { g_rowTable[y][x] = color; }

inline bool StrictlyInside(int32_t x, int32_t y) {
    return x > 0 && x < g_bufferMaxX && y > 0 && y < g_bufferMaxY;
}

inline uint32_t& DepthAt(int32_t x, int32_t y) {
    auto* row = reinterpret_cast<uint8_t*>(g_zBuffer) + static_cast<ptrdiff_t>(y) * g_zBufferStride;
    return reinterpret_cast<uint32_t*>(row)[x];
}

inline bool PutDepth(int32_t x, int32_t y, uint32_t depth) {
    uint32_t& stored = DepthAt(x, y);
    if (depth < stored) return false;
    stored = depth;
    Put(x, y, g_rasterColor);
    return true;
}

// from + (to - from) * num / den, truncated toward zero.
inline int32_t Interpolate(int32_t from, int32_t to, int64_t num, int64_t den) {
    return static_cast<int32_t>(from +
                                static_cast<Wide>(static_cast<int64_t>(to) - from) * num / den);
}

// A line after ordering and clipping: A has the larger column.
struct ClippedLine {
    int32_t ax, ay, bx, by;
};

bool ClipLine(int32_t left, int32_t top, int32_t right, int32_t bottom, ClippedLine& out) {
    if (left > right || top > bottom) return false;
    int32_t ax = g_lineX0, ay = g_lineY0, bx = g_lineX1, by = g_lineY1;
    if (bx > ax) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    if (ax < left || bx > right) return false;
    // Both ends are placed from the original ends, so neither inherits the other's rounding.
    const int32_t ax0 = ax, ay0 = ay, bx0 = bx, by0 = by;
    const int64_t dx = static_cast<int64_t>(ax0) - bx0;
    if (ax0 > right) {
        ay = Interpolate(ay0, by0, static_cast<int64_t>(ax0) - right, dx);
        ax = right;
    }
    if (bx0 < left) {
        by = Interpolate(ay0, by0, static_cast<int64_t>(ax0) - left, dx);
        bx = left;
    }
    if ((ay < top && by < top) || (ay > bottom && by > bottom)) return false;
    const int32_t ax1 = ax, ay1 = ay, bx1 = bx, by1 = by;
    const int64_t dy = static_cast<int64_t>(ay1) - by1;
    for (int end = 0; end < 2; ++end) {
        int32_t& x = end == 0 ? ax : bx;
        int32_t& y = end == 0 ? ay : by;
        const int32_t boundary = y < top ? top : y > bottom ? bottom : y;
        if (boundary == y) continue;
        x = Interpolate(ax1, bx1, static_cast<int64_t>(ay1) - boundary, dy);
        y = boundary;
    }
    out = {ax, ay, bx, by};
    return true;
}

template <class Plot>
void WalkLine(const ClippedLine& l, Plot&& plot) {
    WalkLinePixels(l.ax, l.ay, l.bx, l.by, plot);
}

// Integer edge stepping for rows y0 .. y1 - 1, stored as byte offsets.
void StepEdge(int32_t x0, int32_t y0, int32_t x1, int32_t y1, std::vector<int32_t>& table) {
    const int32_t n = y1 - y0;
    if (n <= 0) return;
    const int32_t s = x1 >= x0 ? 1 : -1;
    const int32_t d = x1 >= x0 ? x1 - x0 : x0 - x1;
    const int32_t lo = std::min(x0, x1), hi = std::max(x0, x1);
    int32_t col = x0;
    if (d <= n) {
        int32_t err = n / 2;
        for (int32_t r = y0; r < y1; ++r) {
            table[r] = col * 4;
            err -= d;
            if (err < 0) {
                err += n;
                col += s;
            }
        }
    } else {
        int32_t err = d / 2 - n;
        for (int32_t r = y0; r < y1; ++r) {
            do {
                col += s;
                err -= n;
            } while (err >= 0);
            table[r] = std::clamp(col, lo, hi) * 4;
            err += d;
        }
    }
}

// Column of the edge (x0, y0)-(x1, y1) at row r by similar triangles, nearest column.
int32_t EdgeColumnAt(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t r) {
    const Wide n = static_cast<Wide>(y1) - y0;
    const Wide num = (static_cast<Wide>(x1) - x0) * (static_cast<Wide>(r) - y0);
    const Wide half = num >= 0 ? n / 2 : -(n / 2);
    const Wide col = x0 + (num + half) / n;
    return static_cast<int32_t>(std::clamp<Wide>(col, INT32_MIN, INT32_MAX));
}

inline int32_t ClampedEdgeBytes(int32_t col) {
    if (col < g_clipLeft) return g_clipLeftBytes;
    if (col > g_bufferMaxX) return g_clipRightBytes;
    return col * 4;
}

inline void FillRun(int32_t y, int32_t fromBytes, int32_t toBytes) {
    uint32_t* row = g_rowTable[y];
    const uint32_t color = g_rasterColor;
    for (int32_t x = fromBytes / 4, end = toBytes / 4; x <= end; ++x) row[x] = color;
}
}  // namespace

void PlotPixel(int32_t x, int32_t y) {
    if (!Drawable()) return;
    if (static_cast<uint32_t>(x) <= static_cast<uint32_t>(g_bufferMaxX) &&
        static_cast<uint32_t>(y) <= static_cast<uint32_t>(g_bufferMaxY))
        Put(x, y, g_rasterColor);
}

int32_t PlotCross(int32_t x, int32_t y) {
    if (!Drawable() || !StrictlyInside(x, y)) return -1;
    const uint32_t c = g_rasterColor;
    Put(x, y, c);
    Put(x - 1, y, c);
    Put(x + 1, y, c);
    Put(x, y - 1, c);
    Put(x, y + 1, c);
    return 0;
}

int32_t PlotPoint(int32_t x, int32_t y) {
    if (!Drawable() || !StrictlyInside(x, y)) return -1;
    const uint32_t c = g_rasterColor;
    switch (g_penSize) {
        case 1:
            Put(x, y, c);
            break;
        case 2:
            Put(x - 1, y, c);
            Put(x, y, c);
            break;
        case 3:
            for (int32_t r = y - 1; r <= y; ++r)
                for (int32_t col = x - 1; col <= x + 1; ++col) Put(col, r, c);
            break;
        default:
            for (int32_t r = y - 1; r <= y + 1; ++r)
                for (int32_t col = x - 1; col <= x + 1; ++col) Put(col, r, c);
            break;
    }
    return 0;
}

int32_t PlotPointDepth(int32_t x, int32_t y, uint32_t depth) {
    if (!Drawable() || g_zBuffer == nullptr || !StrictlyInside(x, y)) return 4;
    bool drawn = false;
    auto block = [&](int32_t r0, int32_t r1, int32_t c0, int32_t c1) {
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t col = c0; col <= c1; ++col) drawn |= PutDepth(col, r, depth);
    };
    switch (g_penSize) {
        case 1:
            block(y, y, x, x);
            break;
        case 2:
            block(y, y, x - 1, x + 1);
            break;
        case 3:
            block(y - 1, y, x - 1, x + 1);
            break;
        default:
            block(y - 1, y + 1, x - 1, x + 1);
            break;
    }
    return drawn ? 0 : 2;
}

int32_t PlotBlockDepth(int32_t x, int32_t y, uint32_t depth) {
    if (!Drawable() || g_zBuffer == nullptr || !StrictlyInside(x, y)) return 4;
    bool drawn = false;
    for (int32_t r = y - 1; r <= y + 1; ++r)
        for (int32_t col = x - 1; col <= x + 1; ++col) drawn |= PutDepth(col, r, depth);
    return drawn ? 0 : 2;
}

int32_t TestDepth(int32_t x, int32_t y, uint32_t depth) {
    if (g_zBuffer == nullptr || static_cast<uint32_t>(x) >= static_cast<uint32_t>(g_bufferMaxX) ||
        static_cast<uint32_t>(y) >= static_cast<uint32_t>(g_bufferMaxY))
        return 4;
    return depth >= DepthAt(x, y) ? 0 : 2;
}

void SetDashPattern(uint32_t mask) {
    g_dashPattern = mask;
    g_dashStep = 0;
}

void DrawLine() {
    if (!Drawable()) return;
    const uint32_t c = g_lineColor;
    const int32_t x0 = g_lineX0, y0 = g_lineY0, x1 = g_lineX1, y1 = g_lineY1;
    // Both ends inside, as most short strokes are: nothing to clip.
    auto within = [](int32_t v, int32_t low, int32_t high) {
        return static_cast<uint32_t>(v) - static_cast<uint32_t>(low) <=
               static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
    };
    if (g_clipLeft <= g_bufferMaxX && g_clipTop <= g_bufferMaxY &&
        within(x0, g_clipLeft, g_bufferMaxX) && within(x1, g_clipLeft, g_bufferMaxX) &&
        within(y0, g_clipTop, g_bufferMaxY) && within(y1, g_clipTop, g_bufferMaxY)) {
        const ClippedLine l = x1 > x0 ? ClippedLine{x1, y1, x0, y0} : ClippedLine{x0, y0, x1, y1};
        WalkLine(l, [c](int32_t, int32_t x, int32_t y, bool, int32_t) { Put(x, y, c); });
        return;
    }
    ClippedLine l;
    if (!ClipLine(g_clipLeft, g_clipTop, g_bufferMaxX, g_bufferMaxY, l)) return;
    WalkLine(l, [c](int32_t, int32_t x, int32_t y, bool, int32_t) { Put(x, y, c); });
}

void DrawDottedLine() {
    ClippedLine l;
    if (!Drawable() || !ClipLine(g_clipLeft, g_clipTop, g_bufferMaxX, g_bufferMaxY, l)) return;
    const uint32_t c = g_lineColor;
    WalkLine(l, [c](int32_t i, int32_t x, int32_t y, bool, int32_t) {
        if (i % 2 == 0) Put(x, y, c);
    });
}

void DrawThickLine() {
    ClippedLine l;
    if (!Drawable() || !ClipLine(g_innerLeft, g_innerTop, g_innerRight, g_innerBottom, l)) return;
    const uint32_t c = g_lineColor;
    WalkLine(l, [c](int32_t, int32_t x, int32_t y, bool xMajor, int32_t sy) {
        Put(x, y, c);
        if (xMajor)
            Put(x, y + sy, c);
        else
            Put(x + 1, y, c);
    });
}

void FillTriangle2D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!Drawable() || g_clipLeft > g_bufferMaxX || g_clipTop > g_bufferMaxY) return;
    const int32_t minX = std::min({x0, x1, x2}), maxX = std::max({x0, x1, x2});
    const int32_t minY = std::min({y0, y1, y2}), maxY = std::max({y0, y1, y2});
    if (minX >= g_bufferMaxX || maxX <= g_clipLeft || maxY <= g_clipTop || minY >= g_bufferMaxY)
        return;
    if (minY == maxY) {
        const int32_t from = std::max(minX, g_clipLeft), to = std::min(maxX, g_bufferMaxX);
        if (from <= to) FillRun(minY, from * 4, to * 4);
        return;
    }

    struct V {
        int32_t x, y;
    } v[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
    std::stable_sort(v, v + 3, [](const V& a, const V& b) { return a.y < b.y; });
    const V& top = v[0];
    const V& mid = v[1];
    const V& bot = v[2];

    if (minX >= g_clipLeft && maxX <= g_bufferMaxX && minY >= g_clipTop && maxY <= g_bufferMaxY) {
        StepEdge(top.x, top.y, bot.x, bot.y, g_edgeLeft);
        StepEdge(top.x, top.y, mid.x, mid.y, g_edgeRight);
        StepEdge(mid.x, mid.y, bot.x, bot.y, g_edgeRight);
        for (int32_t r = top.y; r < bot.y; ++r) {
            const int32_t a = g_edgeLeft[r], b = g_edgeRight[r];
            FillRun(r, std::min(a, b), std::max(a, b));
        }
        return;
    }

    // Clipped: only the rows inside the clip rectangle are walked, their columns found
    // by similar triangles and held at the clip columns.
    const int32_t firstRow = std::max(top.y, g_clipTop);
    const int32_t lastRow = std::min(bot.y - 1, g_bufferMaxY);
    for (int32_t r = firstRow; r <= lastRow; ++r) {
        g_edgeLeft[r] = ClampedEdgeBytes(EdgeColumnAt(top.x, top.y, bot.x, bot.y, r));
        g_edgeRight[r] = ClampedEdgeBytes(r < mid.y ? EdgeColumnAt(top.x, top.y, mid.x, mid.y, r)
                                                    : EdgeColumnAt(mid.x, mid.y, bot.x, bot.y, r));
    }
    for (int32_t r = firstRow; r <= lastRow; ++r) {
        int32_t a = g_edgeLeft[r], b = g_edgeRight[r];
        if (a > b) std::swap(a, b);
        if (a >= g_clipRightBytes || b <= 0) continue;
        if (a < 0) a = 0;
        FillRun(r, a, b);
    }
}

int32_t ClipSegmentToViewport(RasterPoint& p, RasterPoint& q) {
    const bool pFirst = p.x <= q.x;
    RasterPoint lo = pFirst ? p : q;
    RasterPoint hi = pFirst ? q : p;
    if (hi.x <= g_clipLeft || lo.x >= g_bufferMaxX) return 0;
    {
        const RasterPoint a = lo, b = hi;
        const int64_t dx = static_cast<int64_t>(b.x) - a.x;
        if (a.x < g_clipLeft)
            lo = {g_clipLeft, Interpolate(a.y, b.y, static_cast<int64_t>(g_clipLeft) - a.x, dx)};
        if (b.x > g_bufferMaxX)
            hi = {g_bufferMaxX,
                  Interpolate(a.y, b.y, static_cast<int64_t>(g_bufferMaxX) - a.x, dx)};
    }
    if ((lo.y <= g_clipTop && hi.y <= g_clipTop) || (lo.y >= g_bufferMaxY && hi.y >= g_bufferMaxY))
        return 0;
    {
        const RasterPoint a = lo, b = hi;
        const int64_t dy = static_cast<int64_t>(b.y) - a.y;
        for (RasterPoint* e : {&lo, &hi}) {
            const int32_t boundary = e->y < g_clipTop      ? g_clipTop
                                     : e->y > g_bufferMaxY ? g_bufferMaxY
                                                           : e->y;
            if (boundary == e->y) continue;
            *e = {Interpolate(a.x, b.x, static_cast<int64_t>(boundary) - a.y, dy), boundary};
        }
    }
    p = pFirst ? lo : hi;
    q = pFirst ? hi : lo;
    return -1;
}

void ClearViewport() {
    if (!Drawable()) return;
    const uint32_t c = g_rasterColor;
    for (int32_t r = std::max(g_clipTop, 0); r <= g_bufferMaxY; ++r) {
        uint32_t* row = g_rowTable[r];
        for (int32_t x = std::max(g_clipLeft, 0); x <= g_bufferMaxX + 1; ++x) row[x] = c;
    }
}

void ClearMarkBytes() {
    const BitmapInfoHeader* header = BackBufferHeader();
    if (!Drawable() || header == nullptr) return;
    const size_t words = static_cast<size_t>(header->biWidth) * header->biHeight;
    for (size_t i = 0; i < words; ++i) g_backBufferPixels[i] &= 0x00FFFFFFu;
}

void SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    // The clip rectangle stays inside the allocated buffer, one spare column and row
    // included (the clear writes one column beyond the right clip column).
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::max(std::min(right, BackBufferWidth() - 2), 2);
    bottom = std::max(std::min(bottom, BackBufferHeight() - 3), 1);
    g_clipLeft = left;
    g_clipTop = top;
    g_bufferMaxX = right;
    g_bufferMaxY = bottom + 1;
    g_innerLeft = left + 1;
    g_innerTop = top + 1;
    g_innerRight = right - 1;
    g_innerBottom = bottom;
    g_clipLeftBytes = 4 * left;
    g_clipRightBytes = 4 * right;
    g_viewportCenterX = (left + right) / 2;
    g_viewportCenterY = (top + bottom + 1) / 2;
}
