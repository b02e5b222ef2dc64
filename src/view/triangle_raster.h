#pragma once
// The bird's-eye triangle rasteriser: camera-space vertices in, depth-tested spans of the
// back buffer out. The painter hands triangles (and lines) over three (two) vertices at a
// time; triangles that leave the view volume go through the clipper first.
//
// Camera space: x grows to the right, y grows with the buffer row (the bottom-up back
// buffer, so upwards on the window), z is the distance ahead. A vertex is drawn at
// column trunc(g_projScale x x / z) + g_projCenterX and row trunc(g_projScale x y / z) +
// g_projCenterY. The depth buffer holds the float bits of 1/z, larger nearer.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Outcode and clip-plane bits.
constexpr int32_t kOutNear = 2;
constexpr int32_t kOutRight = 4;    // x / z > g_halfWidth
constexpr int32_t kOutLeft = 8;     // x / z < -g_halfWidth
constexpr int32_t kOutBottom = 16;  // y / z > g_halfHeight (the last buffer rows)
constexpr int32_t kOutTop = 32;     // y / z < -g_halfHeight
constexpr int32_t kEdgeOutside = 256;
constexpr double kNearDepth = 0.01;

struct RasterVertex {
    float w;   // 1/z (biased while g_depthBiasOn), written by ComputeVertexOutcode
    float zf;  // z
    float u;   // texture column in texels
    float v;   // texture row in texels
    int32_t sx;
    int32_t sy;
    double invZ;
    int32_t depthFixed;  // perspective set-up: 1/z relative to the nearest vertex, 16.16
    uint32_t color;      // 0x00RRGGBB
    uint16_t outcode;
    uint16_t inCode;  // clip codes after clipping, on the incoming and outgoing edge
    int16_t outCode;
    double x;
    double y;
    double z;
    double px;                // x / z
    double py;                // y / z
    double inX, inY, inZ;     // position on the incoming edge after clipping
    double outX, outY, outZ;  // position on the outgoing edge after clipping
    float inU, inV, outU, outV;
    uint32_t inColor, outColor;
    int16_t inPlane, outPlane;  // plane that cut the clipped position (0 none)
};

// One end of a span row. Edge walking writes w, u, v, x, depthFixed and color.
struct SpanEnd {
    float w;
    float u;
    float v;
    float spare;
    int32_t x;
    int32_t depthFixed;
    uint32_t* row;  // the back-buffer row
    uint32_t color;
};

struct SpanRow {
    SpanEnd right;
    SpanEnd left;
};

using SpanRoutine = void (*)(int32_t firstRow, int32_t lastRow);

// Projection state of the current frame.
extern double g_halfWidth;  // half extents of the window at distance 1
extern double g_halfHeight;
extern double g_projScale;  // pixels per unit of x / z
extern int32_t g_projCenterX;
extern int32_t g_projCenterY;
extern int32_t g_rasterWidth;
extern int32_t g_rasterHeight;
extern double g_viewAngle;  // degrees, as clamped

// One row more than the window: a vertex exactly on the far border lands there. Like the
// other state a triangle sets (its colour, shade, span routines and the clipper's work),
// it belongs to the thread that draws: see DrawInRowBands.
extern thread_local std::vector<SpanRow> g_spanRows;

// The texture of the textured spans (the active image while a frame is drawn).
extern const uint8_t* g_texturePixels;  // bottom-up rows; null when there is none
extern int32_t g_textureWidth;
extern int32_t g_textureHeight;
extern int32_t g_textureStride;  // bytes per row
extern int32_t g_textureMono;    // 1 bit per texel, most significant bit first
extern int32_t g_textureIndexed8;

// Per-triangle state set by the painter.
extern thread_local uint32_t g_triangleColor;  // the flat spans' colour
extern thread_local int32_t g_triangleShade;   // shade level x 256 (0x3F00 full light)
extern int32_t g_lightingOn;                   // shaded span variants
extern double g_depthBias;                     // added to the depth of every vertex while on
extern int32_t g_depthBiasOn;

// Per level: the mono foreground and background colours at that light.
extern uint32_t g_monoShadeTable[64][2];

// The installed span pair; g_forceAffine makes every triangle use the affine set-up.
extern thread_local SpanRoutine g_spanAffine;
extern thread_local SpanRoutine g_spanPerspective;
extern thread_local int32_t g_forceAffine;

// Sets the projection for a window of width x height pixels and a view angle (degrees,
// clamped to 0.01 .. 60) along the longer side.
void SetRasterFrustum(double viewAngleDeg, int32_t width, int32_t height);

// -1 (nothing changed) for a size below 16 or an angle below 0.1; else sets up the frame:
// projection, depth buffer (cleared), span rows from g_rowTable, texture and the mono
// shade table; 1 when a back buffer and a texture are there, else 0. Bit 1 of
// g_rasterStatus tells whether the depth buffer is missing.
int32_t InitTriangleRaster(double viewAngleDeg, int32_t width, int32_t height);
// Drops the texture and the depth buffer pointer (the block is kept for the next frame).
void EndTriangleRaster();
// Frees the depth-buffer block.
void FreeTriangleRasterBlocks();
// The depth words the last frame left (g_rasterWidth x g_rasterHeight, row after row),
// or null when no block is kept.
const uint32_t* LastFrameDepth();
// Takes the texture of the textured spans from the active image (g_bgImage).
void LockRasterTexture();

void ComputeVertexOutcode(RasterVertex& v);
// 0 culled or drawn unclipped, 1 through the clipper, -1 wholly beyond one plane.
int32_t DrawTriangle3D(RasterVertex& p, RasterVertex& q, RasterVertex& r);

// A corner that the caller projected once for all the triangles it belongs to: inside the
// view volume (outcode 0), every coordinate finite. The fields are those of RasterVertex.
struct ScreenCorner {
    double x, y, z;  // camera space
    double py;       // y / z
    double invZ;     // 1 / z
    float w;         // ComputeVertexOutcode's depth word
    float zf;
    float u, v;
    int32_t sx, sy;  // ScreenPosition of (x / z, y / z)
    uint32_t color;
};
// The pixel a vertex inside the view volume is drawn at (DrawTriangle3D's sx, sy).
void ScreenPosition(double px, double py, int32_t& sx, int32_t& sy);
// DrawTriangle3D of three corners inside the view volume, drawn as it would draw them.
void DrawScreenTriangle(const ScreenCorner& p, const ScreenCorner& q, const ScreenCorner& r);
// A depth-tested line with the affine span routine: -1 beyond one plane, else 0.
int32_t DrawLine3D(RasterVertex& a, RasterVertex& b);

// Per channel (a x (256 - k) + b x k) >> 8, k = t x 256 rounded.
uint32_t LerpColor(uint32_t a, uint32_t b, float t);

// Draws a sequence of triangles (or lines) on several threads at once: draw(first, last)
// runs once per band of window rows, on a thread of its own that starts from this thread's
// raster state and writes pixels of rows first..last only, walking every other row of a
// triangle just for its ends (a right end left of the left one still ends the triangle).
// Each row belongs to one band and meets its triangles in the order draw gives them, so
// the picture is the one that draw over all rows gives on one thread; so are this thread's
// span table rows afterwards. `draw` must not throw; a thread that cannot be had has its
// band drawn here.
void DrawInRowBands(const std::vector<std::pair<int32_t, int32_t>>& bands,
                    const std::function<void(int32_t first, int32_t last)>& draw);

// Installs the span pair for the kind chosen with the selectors (SelectSpanRenderer,
// UseFlatSpans, ...), the texture's format and g_lightingOn. DrawTriangle3D and DrawLine3D
// reinstall it whenever one of these changed since the last installation.
void InstallSpanRoutines();
void EnsureSpanRoutines();

// The seventeen span routines.
void SpanTexPersp32(int32_t firstRow, int32_t lastRow);
void SpanTexAffine32(int32_t firstRow, int32_t lastRow);
void SpanTexPersp32Shaded(int32_t firstRow, int32_t lastRow);
void SpanTexAffine32Shaded(int32_t firstRow, int32_t lastRow);
void SpanTexPersp8(int32_t firstRow, int32_t lastRow);
void SpanTexAffine8(int32_t firstRow, int32_t lastRow);
void SpanTexPersp8Shaded(int32_t firstRow, int32_t lastRow);
void SpanTexAffine8Shaded(int32_t firstRow, int32_t lastRow);
void SpanTexPersp1(int32_t firstRow, int32_t lastRow);
void SpanTexAffine1(int32_t firstRow, int32_t lastRow);
void SpanTexPersp1Shaded(int32_t firstRow, int32_t lastRow);
void SpanTexAffine1Shaded(int32_t firstRow, int32_t lastRow);
void SpanFlat(int32_t firstRow, int32_t lastRow);
void SpanGouraud(int32_t firstRow, int32_t lastRow);
void SpanGouraudBlend(int32_t firstRow, int32_t lastRow);
void SpanFlatBlend(int32_t firstRow, int32_t lastRow);
void SpanTexBlend32(int32_t firstRow, int32_t lastRow);

// ---- clipping (triangle_clip.cpp) ----

// A vertex of the clipped polygon.
struct ClipPolygonVertex {
    float w;
    float z;
    float u;
    float v;
    double x;
    double y;
    double zc;
    int32_t spare;
    int32_t column;
    int32_t row;
    int32_t depthFixed;
    int32_t plane;
    uint32_t color;
};

constexpr int32_t kMaxClipPolygon = 12;
extern thread_local ClipPolygonVertex g_clipPolygon[kMaxClipPolygon];
extern thread_local int32_t g_clipPolygonCount;  // vertices of the last polygon built
// The triangle being clipped and the near-plane crossings (empty while outcode is 0xFFFF).
extern thread_local RasterVertex* g_clipV0;
extern thread_local RasterVertex* g_clipV1;
extern thread_local RasterVertex* g_clipV2;
extern thread_local RasterVertex g_nearPointA;
extern thread_local RasterVertex g_nearPointB;

// Empties both near-point slots.
void EmptyNearPointSlots();
// Clips the edge start -> end: end's in-fields and start's out-fields.
void ClipEdge3D(RasterVertex& start, RasterVertex& end);
// DrawTriangle3D's road for a triangle that crosses the view volume: 1, or -1 when the
// clipped edges all end beyond one plane.
int32_t ClipTriangle3D(RasterVertex& p, RasterVertex& q, RasterVertex& r);
