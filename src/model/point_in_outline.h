#pragma once
// Which points lie inside the outline (or a picked polygon), and the one polygon
// orientation that every inside test and both TIN builders expect: a positive trapezoid
// sum, counterclockwise as drawn on the map (clockwise in the X-Y axes).
#include <cstdint>
#include <functional>
#include <vector>

#include "model/terrain_data.h"

// Reverses vertices 1..n when the polygon is not in the expected orientation, and writes
// the closing entry [n+1] = [1]. Polygons of fewer than 3 vertices are left alone.
void OrientPolygonClockwise(IndexList& polygon);

// Exact crossing test of a point against segments of 4 doubles each (Y start, X start,
// Y end, X end): 0 inside, 1 outside or on a segment. count <= 0 gives 1. Only right for
// segments of a polygon in the expected orientation.
int PointInPolygonCrossing(const double* segments, double x, double y, int32_t count);

// Sets the outside byte of the points against the polygon with a 40 x 40 cell grid; the
// exact test runs only in cells that the outline passes through. Points on a side (see
// PointOnSideInterior) count as inside. Also sets every point's
// multi-use word to its cell (column + 41 x row) or -1. Nothing for fewer than 3 vertices.
void MarkPointsOutsideOutline(const IndexList& polygon);

// How near an outline side a point must lie to be on it: the duplicate tolerance, the
// distance within which the program takes two points for one place.
double OutlineSideTolerance();

// Whether (x, y) lies on the side (xa, ya)-(xb, yb) within `tolerance` and farther than that
// from both ends: such a point is on the outline, and a TIN vertex that splits the side. A
// point that close to an end is a duplicate of the vertex there, not a side point.
bool PointOnSideInterior(double xa, double ya, double xb, double yb, double x, double y,
                         double tolerance);

// Inserts into the ring [1..count] ([count+1] = [1]) every valid point that lies on one of
// its sides, in order along the side, so the TIN builders take it as a vertex of the
// outline. A point on two sides goes to the first. The ring is unchanged when no point lies
// on a side.
void InsertPointsOnOutlineSides(std::vector<int32_t>& ring, int32_t& count);

// The same decision with a 1024 x 1024 one-bit raster of the polygon; points that the
// raster leaves in doubt get the exact test. Mode 0 writes the outside byte (points on a
// side count as inside), any other mode the hidden byte (1 outside the polygon, 0 inside
// or on a side or vertex).
// Nothing for fewer than 3 vertices.
void MarkPointsInPolygonRaster(const IndexList& polygon, int32_t mode);

// A one-bit raster with conservative segment drawing and a flood fill, for the raster
// inside test. Pixel (x, y) covers the square [x, x+1) x [y, y+1).
class BitRaster {
public:
    BitRaster(int32_t width, int32_t height);
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // Pixels outside the raster read as set.
    bool Get(int32_t x, int32_t y) const;
    void Set(int32_t x, int32_t y);
    // Sets every pixel whose square, widened by `margin` pixels, the segment touches.
    void DrawSegment(double x0, double y0, double x1, double y1, double margin);
    // Sets the 4-connected region of clear pixels that holds (x, y), telling onRun each
    // run of pixels it sets (row, first column, last column).
    void FloodFill(int32_t x, int32_t y);
    void FloodFill(int32_t x, int32_t y, const std::function<void(int32_t, int32_t, int32_t)>& onRun);

private:
    int32_t m_width;
    int32_t m_height;
    int32_t m_wordsPerRow;
    std::vector<uint64_t> m_bits;
};
