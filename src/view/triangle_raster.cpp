#include "view/triangle_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "image/image_slot.h"
#include "view/back_buffer.h"
#include "view/raster_primitives.h"
#include "view/triangle_raster_internal.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

double g_halfWidth = 0;
double g_halfHeight = 0;
double g_projScale = 0;
int32_t g_projCenterX = 0;
int32_t g_projCenterY = 0;
int32_t g_rasterWidth = 0;
int32_t g_rasterHeight = 0;
double g_viewAngle = 0;

thread_local std::vector<SpanRow> g_spanRows;

const uint8_t* g_texturePixels = nullptr;
int32_t g_textureWidth = 0;
int32_t g_textureHeight = 0;
int32_t g_textureStride = 0;
int32_t g_textureMono = 0;
int32_t g_textureIndexed8 = 0;

thread_local uint32_t g_triangleColor = 0;
thread_local int32_t g_triangleShade = 0x3F00;
int32_t g_lightingOn = 0;
double g_depthBias = 0;
int32_t g_depthBiasOn = 0;

uint32_t g_monoShadeTable[64][2];

thread_local SpanRoutine g_spanAffine = SpanFlat;
thread_local SpanRoutine g_spanPerspective = SpanFlat;
thread_local int32_t g_forceAffine = 0;

namespace {
// The depth-buffer block, kept across frames of one size.
std::unique_ptr<uint32_t[]> g_depthBlock;
int32_t g_depthBlockWidth = 0;
int32_t g_depthBlockHeight = 0;

// 512.5 in 16.16: the nearest vertex's normalised 1/z.
constexpr int32_t kDepthFixedNear = 0x2008000;

// The rows this thread writes pixels to (DrawInRowBands).
thread_local int32_t g_bandFirst = INT32_MIN;
thread_local int32_t g_bandLast = INT32_MAX;
}  // namespace

namespace raster_internal {

int32_t RoundToInt(float f) {
#if defined(__SSE2__)
    // Nearest, ties to even; out of range and NaN give INT32_MIN, which no table takes.
    return _mm_cvtss_si32(_mm_set_ss(f));
#else
    if (!(f > -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(std::nearbyint(f));
#endif
}

int32_t RoundDiv(int64_t num, int64_t den) {
    // floor(num / den + 1/2) for den > 0, in exact integers so that two edges through
    // the same rows keep their order after rounding.
    const int64_t a = 2 * num + den;
    const int64_t b = 2 * den;
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return static_cast<int32_t>(q);
}

uint32_t MixColor(uint32_t a, uint32_t b, int32_t k) {
    if (a == b) return a;
    k = std::clamp(k, 0, 256);
    const uint32_t ka = static_cast<uint32_t>(256 - k);
    const uint32_t kb = static_cast<uint32_t>(k);
    const uint32_t rb = (((a & 0xFF00FF) * ka + (b & 0xFF00FF) * kb) >> 8) & 0xFF00FF;
    const uint32_t g = (((a & 0x00FF00) * ka + (b & 0x00FF00) * kb) >> 8) & 0x00FF00;
    return rb | g;
}

float DepthW(double z) {
    if (g_depthBiasOn) z = std::max(z + g_depthBias, 1e-6);
    return static_cast<float>(1.0 / z);
}

void WriteEdgeRow(const EdgePoint& a, const EdgePoint& b, int32_t k, int32_t n, bool right,
                  bool perspective, float zNear, bool keepOuter) {
    const int32_t row = a.sy + k;
    if (row < 0 || row >= static_cast<int32_t>(g_spanRows.size())) return;
    SpanRow& spanRow = g_spanRows[row];
    SpanEnd& e = right ? spanRow.right : spanRow.left;
    int32_t x;
    float w, u, v;
    int32_t depthFixed = a.depthFixed;
    uint32_t color = a.color;
    if (n <= 0) {
        x = a.sx;
        w = a.w;
        u = a.u;
        v = a.v;
    } else {
        x = a.sx + RoundDiv(int64_t{k} * (b.sx - a.sx), n);
        const float fk = static_cast<float>(k);
        const float fn = static_cast<float>(n);
        w = a.w + (b.w - a.w) / fn * fk;
        if (perspective) {
            const int32_t step = RoundToInt(static_cast<float>(b.depthFixed - a.depthFixed) / fn);
            depthFixed = a.depthFixed + step * k;
            const float rB = zNear * b.invZ;
            const int32_t index = std::clamp(depthFixed >> 16, 0, 513);
            const float r = g_reciprocalTable[index].reciprocal;
            u = a.u + (b.u - a.u) / fn * rB * fk * r;
            v = a.v + (b.v - a.v) / fn * rB * fk * r;
        } else {
            u = a.u + (b.u - a.u) / fn * fk;
            v = a.v + (b.v - a.v) / fn * fk;
        }
        if (a.color != b.color) {
            const int32_t weight = RoundToInt(65536.0f / fn) * k;
            color = MixColor(a.color, b.color, weight >> 8);
        }
    }
    if (keepOuter && e.spare == 1.0f) {
        // The row already has this chain's end: the outer column stays.
        if (right ? x <= e.x : x >= e.x) return;
    }
    e.x = x;
    e.w = w;
    e.u = u;
    e.v = v;
    e.depthFixed = depthFixed;
    e.color = color;
    e.spare = 1.0f;
}

int32_t ScreenColumn(double px) {
    return TruncToRaster(g_projScale * px, kScreenReach) + g_projCenterX;
}

int32_t ScreenRow(double py) {
    return TruncToRaster(g_projScale * py, kScreenReach) + g_projCenterY;
}

int32_t DepthFixed(float ratio) { return TruncToRaster(static_cast<double>(ratio)); }

bool FiniteVertex(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void CallSpans(SpanRoutine routine, int32_t firstRow, int32_t lastRow) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, g_rasterHeight - 1);
    if (firstRow > lastRow || g_zBuffer == nullptr) return;
    routine(firstRow, lastRow);
}

}  // namespace raster_internal

using namespace raster_internal;

uint32_t LerpColor(uint32_t a, uint32_t b, float t) {
    if (a == b) return a;
    return MixColor(a, b, RoundToInt(t * 256.0f));
}

void SetRasterFrustum(double viewAngleDeg, int32_t width, int32_t height) {
    g_viewAngle = std::clamp(viewAngleDeg, 0.01, 60.0);
    const double t = 0.5 * std::tan(g_viewAngle * M_PI / 180.0);
    if (width > height) {
        g_halfWidth = t;
        g_halfHeight = t * height / width;
        g_projScale = width / g_halfWidth * 0.5;
    } else {
        g_halfHeight = t;
        g_halfWidth = t * width / height;
        g_projScale = height / g_halfHeight * 0.5;
    }
    g_projCenterX = width / 2;
    g_projCenterY = height / 2;
}

void LockRasterTexture() {
    const ImageSlot& image = g_bgImage;
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) {
        g_texturePixels = nullptr;
        g_textureWidth = g_textureHeight = g_textureStride = 0;
        g_textureMono = g_textureIndexed8 = 0;
        return;
    }
    g_texturePixels = image.pixels;
    g_textureWidth = image.width;
    g_textureHeight = image.height;
    g_textureMono = image.isMono ? 1 : 0;
    g_textureIndexed8 = image.isIndexed8 ? 1 : 0;
    g_textureStride = ImageRowStride(image);
}

int32_t InitTriangleRaster(double viewAngleDeg, int32_t width, int32_t height) {
    if (width < 16 || height < 16 || !(viewAngleDeg >= 0.1)) return -1;

    // The depth buffer, the span rows and the frustum follow the real window; only a
    // window larger than the back buffer is cut to what the buffer holds.
    if (g_backBufferStride > 0) width = std::min(width, g_backBufferStride / 4);
    if (!g_rowTable.empty()) height = std::min(height, static_cast<int32_t>(g_rowTable.size()));

    g_rasterWidth = width;
    g_rasterHeight = height;
    SetRasterFrustum(viewAngleDeg, width, height);

    if (!g_depthBlock || width != g_depthBlockWidth || height != g_depthBlockHeight) {
        g_depthBlock.reset();
        g_depthBlockWidth = g_depthBlockHeight = 0;
        g_depthBlock.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width) * height]);
        if (g_depthBlock) {
            g_depthBlockWidth = width;
            g_depthBlockHeight = height;
        }
    }
    g_zBuffer = g_depthBlock.get();
    g_zBufferStride = 4 * width;
    if (g_zBuffer) std::memset(g_zBuffer, 0, static_cast<size_t>(width) * height * 4);

    LockRasterTexture();

    g_spanRows.assign(static_cast<size_t>(height) + 1, SpanRow{});
    for (int32_t r = 0; r <= height; ++r) {
        uint32_t* row = r < static_cast<int32_t>(g_rowTable.size()) ? g_rowTable[r] : nullptr;
        g_spanRows[r].left.row = row;
        g_spanRows[r].right.row = row;
    }

    for (int i = 0; i < 64; ++i) {
        const double f = (i + 16) / 79.5;
        auto scale = [f](uint32_t c) {
            const uint32_t r = static_cast<uint32_t>(((c >> 16) & 0xFF) * f);
            const uint32_t g = static_cast<uint32_t>(((c >> 8) & 0xFF) * f);
            const uint32_t b = static_cast<uint32_t>((c & 0xFF) * f);
            return r << 16 | g << 8 | b;
        };
        g_monoShadeTable[i][0] = scale(g_monoForeColor);
        g_monoShadeTable[i][1] = scale(g_monoBackColor);
    }

    if (g_zBuffer)
        g_rasterStatus &= ~2;
    else
        g_rasterStatus |= 2;
    const bool haveBuffer = !g_rowTable.empty() && g_rowTable[0] != nullptr;
    return haveBuffer && g_texturePixels != nullptr ? 1 : 0;
}

void EndTriangleRaster() {
    g_texturePixels = nullptr;
    g_zBuffer = nullptr;
}

void FreeTriangleRasterBlocks() {
    EndTriangleRaster();
    g_depthBlock.reset();
    g_depthBlockWidth = g_depthBlockHeight = 0;
}

const uint32_t* LastFrameDepth() { return g_depthBlock.get(); }

void ComputeVertexOutcode(RasterVertex& v) {
    v.zf = static_cast<float>(v.z);
    if (v.z < kNearDepth) {
        v.outcode = static_cast<uint16_t>(kOutNear + (v.x >= 0 ? kOutRight : kOutLeft) +
                                          (v.y >= 0 ? kOutBottom : kOutTop));
        v.px = v.py = 0;
        v.invZ = 0;
        v.w = 0;
        return;
    }
    v.invZ = 1.0 / v.z;
    v.w = g_depthBiasOn ? DepthW(v.z) : static_cast<float>(v.invZ);
    v.px = v.x * v.invZ;
    v.py = v.y * v.invZ;
    // A coordinate that is not a number counts as outside, so it never reaches a span.
    const int32_t cx = v.px > g_halfWidth ? kOutRight : !(v.px >= -g_halfWidth) ? kOutLeft : 0;
    const int32_t cy = v.py > g_halfHeight ? kOutBottom : !(v.py >= -g_halfHeight) ? kOutTop : 0;
    v.outcode = static_cast<uint16_t>(cx + cy);
}

namespace {

EdgePoint ToEdgePoint(const RasterVertex& v) {
    return EdgePoint{v.sx, v.sy, v.w, v.u, v.v, static_cast<float>(v.invZ), v.depthFixed, v.color};
}
EdgePoint ToEdgePoint(const ScreenCorner& v) {
    return EdgePoint{v.sx, v.sy, v.w, v.u, v.v, static_cast<float>(v.invZ), 0, v.color};
}

int64_t FloorDiv(int64_t a, int64_t b) {
    // Within 32 bits, as the edges of a triangle on the window are, the division is
    // cheaper; the quotient is rounded down without a branch.
    if (a == static_cast<int32_t>(a) && b == static_cast<int32_t>(b)) {
        const int32_t a32 = static_cast<int32_t>(a), b32 = static_cast<int32_t>(b);
        const int32_t q = a32 / b32, r = a32 % b32;
        return q - static_cast<int32_t>((r != 0) & ((a32 < 0) != (b32 < 0)));
    }
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// 1 / n in float for the row counts of an edge, as the division gives it.
struct InverseTable {
    static constexpr int32_t kSize = 4200;
    float values[kSize];
    InverseTable() {
        values[0] = 0;
        for (int32_t n = 1; n < kSize; ++n) values[n] = 1.0f / static_cast<float>(n);
    }
    float operator()(int32_t n) const {
        return n < kSize ? values[n] : 1.0f / static_cast<float>(n);
    }
};
const InverseTable kInverse;

// Rows a.sy .. b.sy - 1 of the edge a -> b into the right or left ends of the span rows,
// stepping every value by its per-row change; the columns are those of WriteEdgeRow.
template <bool Perspective>
void WalkEdgeT(const EdgePoint& a, const EdgePoint& b, float zNear, SpanEnd SpanRow::*side) {
    constexpr bool perspective = Perspective;
    const int32_t n = b.sy - a.sy;
    if (n <= 0) return;
    const int32_t rows = static_cast<int32_t>(g_spanRows.size());
    const int32_t k0 = std::max(0, -a.sy);
    const int32_t k1 = std::min(n - 1, rows - 1 - a.sy);
    if (k0 > k1) return;

    // Column a.sx + floor((2 k dx + n) / 2n), carried as quotient and remainder.
    const int64_t den = 2 * int64_t{n};
    const int64_t step = 2 * (int64_t{b.sx} - a.sx);
    const int64_t stepQ = FloorDiv(step, den);
    const int64_t stepR = step - stepQ * den;
    int64_t q = 0, rem = n;
    if (k0 > 0) {
        const int64_t start = step * k0 + n;
        q = FloorDiv(start, den);
        rem = start - q * den;
    }

    const float inverse = kInverse(n);
    const float fk = static_cast<float>(k0);
    const float dw = (b.w - a.w) * inverse;
    float w = a.w + dw * fk;
    const bool gouraud = a.color != b.color;
    const int32_t weightStep = gouraud ? RoundToInt(65536.0f * inverse) : 0;
    int32_t weight = weightStep * k0;
    float u, v, du, dv;
    int32_t m = a.depthFixed, mStep = 0;
    if constexpr (perspective) {
        const float rB = zNear * b.invZ;
        du = (b.u - a.u) * inverse * rB;
        dv = (b.v - a.v) * inverse * rB;
        mStep = RoundToInt(static_cast<float>(b.depthFixed - a.depthFixed) * inverse);
        m += mStep * k0;
        u = du * fk;  // the accumulated parts, multiplied by 1/z at each row
        v = dv * fk;
    } else {
        du = (b.u - a.u) * inverse;
        dv = (b.v - a.v) * inverse;
        u = a.u + du * fk;
        v = a.v + dv * fk;
    }
    SpanRow* row = g_spanRows.data() + a.sy + k0;
    for (int32_t k = k0; k <= k1; ++k, ++row) {
        SpanEnd& e = row->*side;
        e.x = a.sx + static_cast<int32_t>(q);
        e.w = w;
        if constexpr (perspective) {
            const float r = g_reciprocalTable[std::clamp(m >> 16, 0, 513)].reciprocal;
            e.u = a.u + u * r;
            e.v = a.v + v * r;
            e.depthFixed = m;
            m += mStep;
        } else {
            e.u = u;
            e.v = v;
            e.depthFixed = a.depthFixed;
        }
        e.color = gouraud ? MixColor(a.color, b.color, weight >> 8) : a.color;
        q += stepQ;
        rem += stepR;
        if (rem >= den) {
            ++q;
            rem -= den;
        }
        w += dw;
        u += du;
        v += dv;
        weight += weightStep;
    }
}

void WalkEdge(const EdgePoint& a, const EdgePoint& b, bool right, bool perspective, float zNear) {
    SpanEnd SpanRow::*side = right ? &SpanRow::right : &SpanRow::left;
    if (perspective)
        WalkEdgeT<true>(a, b, zNear, side);
    else
        WalkEdgeT<false>(a, b, zNear, side);
}

// Fills the span rows of the triangle top, middle, bottom (rows of top .. bottom); the
// middle vertex lies on the right or the left of the long edge.
template <class V>
void SetUpTriangle(const V& top, const V& mid, const V& bottom, bool midRight, bool perspective) {
    float zNear = 0;
    EdgePoint t = ToEdgePoint(top), m = ToEdgePoint(mid), b = ToEdgePoint(bottom);
    if (perspective) {
        const V* nearest = &top;
        if (mid.invZ > nearest->invZ) nearest = &mid;
        if (bottom.invZ > nearest->invZ) nearest = &bottom;
        zNear = nearest->zf;
        for (EdgePoint* e : {&t, &m, &b}) e->depthFixed = DepthFixed(e->invZ * zNear * 33587200.0f);
    }
    WalkEdge(t, m, midRight, perspective, zNear);
    WalkEdge(m, b, midRight, perspective, zNear);
    WalkEdge(t, b, !midRight, perspective, zNear);
    if (b.sy >= 0 && b.sy < static_cast<int32_t>(g_spanRows.size())) {
        SpanRow& row = g_spanRows[b.sy];
        for (SpanEnd* e : {&row.right, &row.left}) {
            e->x = b.sx;
            e->w = b.w;
            e->u = b.u;
            e->v = b.v;
            e->depthFixed = b.depthFixed;
            e->color = b.color;
        }
    }
    CallSpans(perspective ? g_spanPerspective : g_spanAffine, t.sy, b.sy);
}

// Back faces in camera space: the triangle is drawn when this is not negative.
template <class V>
double Facing(const V& p, const V& q, const V& r) {
    const double ax = q.x - p.x, ay = q.y - p.y, az = q.z - p.z;
    const double bx = r.x - p.x, by = r.y - p.y, bz = r.z - p.z;
    return p.x * (ay * bz - az * by) + p.y * (az * bx - ax * bz) + p.z * (ax * by - ay * bx);
}

// A front-facing triangle whose corners lie inside the view volume, their pixels known.
template <class V>
void DrawInside(const V& p, const V& q, const V& r) {
    const float ratio = r.zf * static_cast<float>(p.invZ) + p.zf * static_cast<float>(q.invZ) +
                        q.zf * static_cast<float>(r.invZ);
    const bool perspective = !g_forceAffine && ratio > 3.01f;

    // Top to bottom by y / z; corners on one height keep their order. Selections rather
    // than branches: the order of a terrain's corners is hard to foretell.
    const bool qAbove = q.py < p.py;
    const V* top = qAbove ? &q : &p;
    const V* mid = qAbove ? &p : &q;
    const bool rAbove = r.py < mid->py;
    const V* bottom = rAbove ? mid : &r;
    mid = rAbove ? &r : mid;
    const bool rTop = rAbove && mid->py < top->py;
    const V* first = rTop ? mid : top;
    mid = rTop ? top : mid;
    top = first;
    // The middle vertex's side of the long edge, on the pixel positions themselves.
    const int64_t cross = int64_t{mid->sx - top->sx} * (bottom->sy - top->sy) -
                          int64_t{bottom->sx - top->sx} * (mid->sy - top->sy);
    const bool midRight = cross != 0 ? cross > 0 : mid->sx >= top->sx;
    SetUpTriangle(*top, *mid, *bottom, midRight, perspective);
}

}  // namespace

void ScreenPosition(double px, double py, int32_t& sx, int32_t& sy) {
    sx = ScreenColumn(px);
    sy = ScreenRow(py);
}

void DrawScreenTriangle(const ScreenCorner& p, const ScreenCorner& q, const ScreenCorner& r) {
    EnsureSpanRoutines();
    if (Facing(p, q, r) < 0) return;
    DrawInside(p, q, r);
}

int32_t DrawTriangle3D(RasterVertex& p, RasterVertex& q, RasterVertex& r) {
    EnsureSpanRoutines();
    // A corner that is not a number lies nowhere: there is no triangle to draw.
    if (!FiniteVertex(p) || !FiniteVertex(q) || !FiniteVertex(r)) return 0;
    if (Facing(p, q, r) < 0) return 0;

    if (p.outcode == 0 && q.outcode == 0 && r.outcode == 0) {
        for (RasterVertex* v : {&p, &q, &r}) ScreenPosition(v->px, v->py, v->sx, v->sy);
        DrawInside(p, q, r);
        return 0;
    }
    if (p.outcode & q.outcode & r.outcode) return -1;
    return ClipTriangle3D(p, q, r);
}

int32_t DrawLine3D(RasterVertex& a, RasterVertex& b) {
    EnsureSpanRoutines();
    if (!FiniteVertex(a) || !FiniteVertex(b)) return 0;
    RasterVertex s = a, e = b;
    if (a.outcode || b.outcode) {
        if (a.outcode & b.outcode) return -1;
        ClipEdge3D(a, b);
        if (b.inPlane >= kEdgeOutside || a.outPlane >= kEdgeOutside) return 0;
        s.x = a.outX, s.y = a.outY, s.z = a.outZ, s.u = a.outU, s.v = a.outV, s.color = a.outColor;
        e.x = b.inX, e.y = b.inY, e.z = b.inZ, e.u = b.inU, e.v = b.inV, e.color = b.inColor;
        // Ends too far off for the cut to be computed leave nothing to draw either.
        if (!FiniteVertex(s) || !FiniteVertex(e)) return 0;
        ComputeVertexOutcode(s);
        ComputeVertexOutcode(e);
        if (s.outcode & e.outcode) return -1;
        if ((s.outcode | e.outcode) & kOutNear) return 0;
    }
    for (RasterVertex* v : {&s, &e}) {
        v->sx = ScreenColumn(v->px);
        v->sy = ScreenRow(v->py);
    }
    if (s.sy > e.sy) std::swap(s, e);
    const int32_t dx = e.sx - s.sx;
    const int32_t dy = e.sy - s.sy;
    const EdgePoint ps = ToEdgePoint(s), pe = ToEdgePoint(e);
    auto setEnd = [&](SpanEnd& end, int32_t x, float f) {
        end.x = x;
        end.w = ps.w + (pe.w - ps.w) * f;
        end.u = ps.u + (pe.u - ps.u) * f;
        end.v = ps.v + (pe.v - ps.v) * f;
        end.depthFixed = 0;
        end.color = ps.color;
    };
    const int32_t firstRow = std::max(s.sy, 0);
    const int32_t lastRow = std::min(e.sy, g_rasterHeight - 1);
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        SpanRow& sr = g_spanRows[row];
        int32_t x0, x1;
        if (dy == 0) {
            x0 = std::min(s.sx, e.sx);
            x1 = std::max(s.sx, e.sx);
        } else if (std::abs(dy) >= std::abs(dx)) {
            x0 = x1 = s.sx + RoundDiv(int64_t{row - s.sy} * dx, dy);
        } else {
            // The columns whose nearest row is this one.
            const int32_t k = row - s.sy;
            const int32_t from = s.sx + RoundDiv(int64_t{2 * k - 1} * dx, 2 * dy);
            const int32_t to = s.sx + RoundDiv(int64_t{2 * k + 1} * dx, 2 * dy);
            x0 = std::clamp(std::min(from, to), std::min(s.sx, e.sx), std::max(s.sx, e.sx));
            x1 = std::clamp(std::max(from, to), std::min(s.sx, e.sx), std::max(s.sx, e.sx));
            if (row != e.sy && x1 > x0) {
                // The column halfway between two rows belongs to the next one.
                if (dx > 0)
                    --x1;
                else
                    ++x0;
            }
        }
        const float f0 = dx != 0 ? static_cast<float>(x0 - s.sx) / dx
                                 : (dy != 0 ? static_cast<float>(row - s.sy) / dy : 0.0f);
        const float f1 = dx != 0 ? static_cast<float>(x1 - s.sx) / dx : f0;
        setEnd(sr.left, x0, std::clamp(f0, 0.0f, 1.0f));
        setEnd(sr.right, x1, std::clamp(f1, 0.0f, 1.0f));
    }
    CallSpans(g_spanAffine, firstRow, lastRow);
    return 0;
}

// ---- span routines ----

namespace {

enum class Fill { kTex32, kTex8, kTex1, kFlat, kGouraud, kGouraudBlend, kFlatBlend, kTexBlend32 };

inline uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

inline uint32_t ShadeColor(uint32_t c, const uint8_t* table) {
    return uint32_t{table[(c >> 16) & 0xFF]} << 16 | uint32_t{table[(c >> 8) & 0xFF]} << 8 |
           table[c & 0xFF];
}

// The texture as a span routine reads it, taken out of the globals once per call (the
// pixel stores could otherwise alias them).
struct TextureView {
    const uint8_t* pixels;
    uint32_t width;
    uint32_t height;
    ptrdiff_t stride;
    const uint8_t* shade;
    int32_t level;
    // The last texel shaded and its result: neighbouring pixels mostly share a texel.
    mutable uint32_t lastTexel;
    mutable uint32_t lastShaded;
};

// The texel at (row, column), or false when it lies outside the texture.
template <Fill F, bool Shaded>
inline bool FetchTexel(const TextureView& t, int32_t row, int32_t column, uint32_t& out) {
    if (static_cast<uint32_t>(row) >= t.height || static_cast<uint32_t>(column) >= t.width)
        return false;
    const uint8_t* line = t.pixels + static_cast<ptrdiff_t>(row) * t.stride;
    if constexpr (F == Fill::kTex1) {
        const bool set = (line[column >> 3] & (0x80 >> (column & 7))) != 0;
        if (Shaded)
            out = g_monoShadeTable[t.level][set ? 0 : 1];
        else
            out = set ? g_monoForeColor : g_monoBackColor;
        return true;
    }
    uint32_t texel;
    if constexpr (F == Fill::kTex8) {
        texel = g_bgImagePalette[line[column]] & 0xFFFFFF;
    } else {
        std::memcpy(&texel, line + static_cast<ptrdiff_t>(column) * 4, 4);
        texel &= 0xFFFFFF;
    }
    if constexpr (Shaded) {
        if (texel != t.lastTexel) {
            t.lastTexel = texel;
            t.lastShaded = ShadeColor(texel, t.shade);
        }
        out = t.lastShaded;
    } else {
        out = texel;
    }
    return true;
}

inline uint32_t Blend(uint32_t old, uint32_t color) {
    return (((old >> 1) & 0x7F7F7F7F) + ((color >> 1) & 0x7F7F7F)) | 0x80000000u;
}

template <Fill F, bool Perspective, bool Shaded>
void SpanRowsImpl(int32_t firstRow, int32_t lastRow) {
    constexpr bool kTexture =
        F == Fill::kTex32 || F == Fill::kTex8 || F == Fill::kTex1 || F == Fill::kTexBlend32;
    constexpr bool kGouraud = F == Fill::kGouraud || F == Fill::kGouraudBlend;
    constexpr bool kBlend =
        F == Fill::kGouraudBlend || F == Fill::kFlatBlend || F == Fill::kTexBlend32;
    constexpr bool kStrict = F == Fill::kFlatBlend;

    if constexpr (kTexture) {
        if (g_texturePixels == nullptr) return;
    }
    const int32_t level = (g_triangleShade >> 8) & 63;
    const uint8_t* shade = g_shadeTable[level];
    const int32_t width = g_rasterWidth;
    uint32_t* const zBuffer = g_zBuffer;
    const TextureView texture{g_texturePixels,
                              static_cast<uint32_t>(g_textureWidth),
                              static_cast<uint32_t>(g_textureHeight),
                              g_textureStride,
                              shade,
                              level,
                              0xFFFFFFFFu,
                              0};
    const uint32_t flat = g_triangleColor & 0xFFFFFF;

    // Rows of another thread's band are walked only for whether they end the triangle.
    lastRow = std::min(lastRow, g_bandLast);
    for (int32_t rowIndex = firstRow; rowIndex <= lastRow; ++rowIndex) {
        const SpanRow& row = g_spanRows[rowIndex];
        const SpanEnd& L = row.left;
        const SpanEnd& R = row.right;
        const int32_t n = R.x - L.x;
        if (n < 0) return;
        if (rowIndex < g_bandFirst) continue;
        uint32_t* pixels = L.row;
        if (pixels == nullptr) continue;
        uint32_t* depth = zBuffer + static_cast<ptrdiff_t>(rowIndex) * width;

        uint32_t leftColor = L.color & 0xFFFFFF, rightColor = R.color & 0xFFFFFF;
        if constexpr (kGouraud) {
            if (g_lightingOn) {
                leftColor = ShadeColor(leftColor, shade);
                rightColor = ShadeColor(rightColor, shade);
            }
        }

        auto plot = [&](int32_t x, float w, uint32_t color, bool have) {
            const uint32_t bits = FloatBits(w);
            if (kStrict ? bits <= depth[x] : bits < depth[x]) return;
            depth[x] = bits;
            if (!have) return;
            uint32_t& p = pixels[x];
            if constexpr (kBlend) {
                if (p & 0x80000000u) return;
                if constexpr (F == Fill::kTexBlend32)
                    p = (((p & 0xFEFEFEFEu) + (color & 0xFEFEFEu)) >> 1) | 0x80000000u;
                else
                    p = Blend(p, color);
            } else {
                p = color;
            }
        };

        if (n == 0) {
            const int32_t x = L.x;
            if (x < 0 || x >= width) continue;
            uint32_t color = flat;
            bool have = true;
            if constexpr (kTexture) {
                have = FetchTexel<F, Shaded>(texture, RoundToInt(R.v), RoundToInt(R.u), color);
            } else if constexpr (kGouraud) {
                color = leftColor;
            }
            plot(x, L.w, color, have);
            continue;
        }

        const float fn = static_cast<float>(n);
        const float dw = (R.w - L.w) / fn;
        int32_t i0 = 0;
        int32_t i1 = n;
        if (L.x < 0) i0 = -L.x;
        if (R.x >= width) i1 = width - 1 - L.x;
        if (i0 > i1) continue;

        float w = L.w + dw * static_cast<float>(i0);
        if constexpr (kTexture && !Perspective) {
            const float du = (R.u - L.u) / fn, dv = (R.v - L.v) / fn;
            float u = L.u + du * static_cast<float>(i0);
            float v = L.v + dv * static_cast<float>(i0);
            for (int32_t i = i0; i <= i1; ++i) {
                uint32_t color = 0;
                const bool have =
                    FetchTexel<F, Shaded>(texture, RoundToInt(v), RoundToInt(u), color);
                plot(L.x + i, w, color, have);
                u += du;
                v += dv;
                w += dw;
            }
        } else if constexpr (kTexture && Perspective) {
            const int32_t qL = L.depthFixed, qR = R.depthFixed;
            int32_t mStart, mEnd;
            float du = (R.u - L.u) / fn, dv = (R.v - L.v) / fn;
            if (qR < qL) {
                mStart = kDepthFixedNear;
                mEnd = RoundToInt(static_cast<float>(qR) * 512.0f /
                                  static_cast<float>(std::max(qL >> 16, 1)));
                const float ratio = g_reciprocalTable[std::clamp(mEnd >> 16, 0, 513)].fraction;
                du *= ratio;
                dv *= ratio;
            } else {
                mStart = RoundToInt(static_cast<float>(qL) * 512.0f /
                                    static_cast<float>(std::max(qR >> 16, 1)));
                mEnd = kDepthFixedNear;
            }
            const int32_t mStep = RoundToInt(static_cast<float>(mEnd - mStart) / fn);
            int32_t m = mStart + mStep * i0;
            float U = du * static_cast<float>(i0), V = dv * static_cast<float>(i0);
            for (int32_t i = i0; i <= i1; ++i) {
                const float r = g_reciprocalTable[std::clamp(m >> 16, 0, 513)].reciprocal;
                uint32_t color = 0;
                const bool have = FetchTexel<F, Shaded>(texture, RoundToInt(V * r + L.v),
                                                        RoundToInt(L.u + U * r), color);
                plot(L.x + i, w, color, have);
                m += mStep;
                U += du;
                V += dv;
                w += dw;
            }
        } else if constexpr (kGouraud) {
            const int32_t step = RoundToInt(65536.0f / fn);
            int32_t weight = step * i0;
            for (int32_t i = i0; i <= i1; ++i) {
                plot(L.x + i, w, MixColor(leftColor, rightColor, weight >> 8), true);
                weight += step;
                w += dw;
            }
        } else {
            for (int32_t i = i0; i <= i1; ++i) {
                plot(L.x + i, w, flat, true);
                w += dw;
            }
        }
    }
}

}  // namespace

void SpanTexPersp32(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex32, true, false>(f, l); }
void SpanTexAffine32(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex32, false, false>(f, l); }
void SpanTexPersp32Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex32, true, true>(f, l); }
void SpanTexAffine32Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex32, false, true>(f, l); }
void SpanTexPersp8(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex8, true, false>(f, l); }
void SpanTexAffine8(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex8, false, false>(f, l); }
void SpanTexPersp8Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex8, true, true>(f, l); }
void SpanTexAffine8Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex8, false, true>(f, l); }
void SpanTexPersp1(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex1, true, false>(f, l); }
void SpanTexAffine1(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex1, false, false>(f, l); }
void SpanTexPersp1Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex1, true, true>(f, l); }
void SpanTexAffine1Shaded(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTex1, false, true>(f, l); }
void SpanFlat(int32_t f, int32_t l) { SpanRowsImpl<Fill::kFlat, false, false>(f, l); }
void SpanGouraud(int32_t f, int32_t l) { SpanRowsImpl<Fill::kGouraud, false, false>(f, l); }
void SpanGouraudBlend(int32_t f, int32_t l) {
    SpanRowsImpl<Fill::kGouraudBlend, false, false>(f, l);
}
void SpanFlatBlend(int32_t f, int32_t l) { SpanRowsImpl<Fill::kFlatBlend, false, false>(f, l); }
void SpanTexBlend32(int32_t f, int32_t l) { SpanRowsImpl<Fill::kTexBlend32, false, false>(f, l); }

namespace {
// What the installed pair was chosen for.
struct SpanChoice {
    SpanKind kind;
    int32_t lighting;
    int32_t mono;
    int32_t indexed8;
    bool operator==(const SpanChoice&) const = default;
};
thread_local SpanChoice g_installedFor{SpanKind::kFlat, -1, -1, -1};

SpanChoice CurrentChoice() {
    return {g_spanKind, g_lightingOn != 0, g_textureMono, g_textureIndexed8};
}
}  // namespace

void EnsureSpanRoutines() {
    if (!(CurrentChoice() == g_installedFor)) InstallSpanRoutines();
}

void InstallSpanRoutines() {
    g_installedFor = CurrentChoice();
    switch (g_spanKind) {
        case SpanKind::kTexture:
            g_forceAffine = 0;
            if (g_textureMono) {
                g_spanAffine = g_lightingOn ? SpanTexAffine1Shaded : SpanTexAffine1;
                g_spanPerspective = g_lightingOn ? SpanTexPersp1Shaded : SpanTexPersp1;
            } else if (g_textureIndexed8) {
                g_spanAffine = g_lightingOn ? SpanTexAffine8Shaded : SpanTexAffine8;
                g_spanPerspective = g_lightingOn ? SpanTexPersp8Shaded : SpanTexPersp8;
            } else {
                g_spanAffine = g_lightingOn ? SpanTexAffine32Shaded : SpanTexAffine32;
                g_spanPerspective = g_lightingOn ? SpanTexPersp32Shaded : SpanTexPersp32;
            }
            break;
        case SpanKind::kVertexColor:
            g_forceAffine = 1;
            g_spanAffine = g_spanPerspective = SpanGouraud;
            break;
        case SpanKind::kHalfTransparentVertexColor:
            g_forceAffine = 1;
            g_spanAffine = g_spanPerspective = SpanGouraudBlend;
            break;
        case SpanKind::kFlat:
            g_forceAffine = 0;
            g_spanAffine = g_spanPerspective = SpanFlat;
            break;
        case SpanKind::kHalfTransparentFlat:
            g_forceAffine = 0;
            g_spanAffine = g_spanPerspective = SpanFlatBlend;
            break;
        case SpanKind::kHalfTransparentTexture:
            g_forceAffine = 0;
            g_spanAffine = g_spanPerspective = SpanTexBlend32;
            break;
    }
}

void DrawInRowBands(const std::vector<std::pair<int32_t, int32_t>>& bands,
                    const std::function<void(int32_t first, int32_t last)>& draw) {
    if (bands.empty()) return;
    // What every band starts from.
    struct State {
        std::vector<SpanRow> rows;
        uint32_t color;
        int32_t shade;
        SpanKind kind;
        int32_t vertexColors;
        SpanRoutine affine, perspective;
        int32_t forceAffine;
        SpanChoice installedFor;
    };
    auto save = [] {
        return State{
            {},           g_triangleColor,   g_triangleShade, g_spanKind,    g_spanVertexColors,
            g_spanAffine, g_spanPerspective, g_forceAffine,   g_installedFor};
    };
    auto restore = [](const State& s) {
        g_triangleColor = s.color;
        g_triangleShade = s.shade;
        g_spanKind = s.kind;
        g_spanVertexColors = s.vertexColors;
        g_spanAffine = s.affine;
        g_spanPerspective = s.perspective;
        g_forceAffine = s.forceAffine;
        g_installedFor = s.installedFor;
    };
    const State start = save();
    // Every band's span table, copied here, where running out of memory can be answered.
    std::vector<std::vector<SpanRow>> tables(bands.size());
    for (size_t k = 1; k < bands.size(); ++k) tables[k] = g_spanRows;

    auto drawBand = [&](size_t k) {
        restore(start);
        std::swap(g_spanRows, tables[k]);
        g_bandFirst = bands[k].first;
        g_bandLast = bands[k].second;
        draw(bands[k].first, bands[k].second);
        g_bandFirst = INT32_MIN;
        g_bandLast = INT32_MAX;
        std::swap(g_spanRows, tables[k]);
    };
    std::vector<std::thread> threads;
    std::vector<size_t> here;  // bands without a thread of their own
    threads.reserve(bands.size());
    for (size_t k = 1; k < bands.size(); ++k) {
        try {
            threads.emplace_back(drawBand, k);
        } catch (const std::system_error&) {
            here.push_back(k);
        }
    }
    // Band 0 on this thread, in its own table.
    g_bandFirst = bands[0].first;
    g_bandLast = bands[0].second;
    draw(bands[0].first, bands[0].second);
    g_bandFirst = INT32_MIN;
    g_bandLast = INT32_MAX;
    const State after = save();
    for (std::thread& t : threads) t.join();
    for (size_t k : here) {
        std::swap(g_spanRows, tables[0]);
        drawBand(k);
        std::swap(g_spanRows, tables[0]);
    }
    restore(after);
    // Each band's rows of the table as the thread that drew them left them.
    for (size_t k = 1; k < bands.size(); ++k) {
        const int32_t first = std::max(bands[k].first, 0);
        const int32_t last =
            std::min<int32_t>(bands[k].second, static_cast<int32_t>(g_spanRows.size()) - 1);
        for (int32_t r = first; r <= last; ++r) g_spanRows[r] = tables[k][r];
    }
}
