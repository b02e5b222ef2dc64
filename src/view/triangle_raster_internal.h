#pragma once
// Helpers shared by the rasteriser's set-ups and its clipper.
#include <cstdint>

#include "view/triangle_raster.h"

namespace raster_internal {

// A polygon or triangle corner as the edge walkers read it.
struct EdgePoint {
    int32_t sx;
    int32_t sy;
    float w;  // depth
    float u;
    float v;
    float invZ;  // 1/z of the projection (perspective texture coordinates)
    int32_t depthFixed;
    uint32_t color;
};

// How far off the window a projected vertex may lie in pixels: the edge walkers' integer
// products stay well inside 64 bits, their sums inside 32.
constexpr int32_t kScreenReach = 1000000;
// The buffer column (row) of a projected coordinate x / z (y / z) with its centre.
int32_t ScreenColumn(double px);
int32_t ScreenRow(double py);
// The 16.16 depth ratio of the perspective set-ups, float product as computed.
int32_t DepthFixed(float ratio);
// Whether every coordinate of the vertex is a number of finite size.
bool FiniteVertex(const RasterVertex& v);

// Nearest integer, ties to even; INT32_MIN for values beyond the int32 range.
int32_t RoundToInt(float f);
// num / den rounded to nearest (halves upwards), den > 0.
int32_t RoundDiv(int64_t num, int64_t den);
// Per channel (a x (256 - k) + b x k) >> 8, k limited to 0..256.
uint32_t MixColor(uint32_t a, uint32_t b, int32_t k);
// The depth word's value for a camera depth z, with the bias while it is on.
float DepthW(double z);
// Row a.sy + k of the edge a -> b over n rows into the right or left end of its span
// row. keepOuter: a row this chain already wrote keeps the outer column (the row's
// SpanEnd.spare marks a written end).
void WriteEdgeRow(const EdgePoint& a, const EdgePoint& b, int32_t k, int32_t n, bool right,
                  bool perspective, float zNear, bool keepOuter);
// Runs the span routine over rows first..last, limited to the window.
void CallSpans(SpanRoutine routine, int32_t firstRow, int32_t lastRow);

}  // namespace raster_internal
