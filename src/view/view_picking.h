#pragma once
// Finding data under the mouse: the nearest record to a client pixel, the TIN edge near
// it, and the triangle-id map of the draping.
//
// Client positions count rows downwards; a record's client position is
// (g_viewportCenterX + column offset, g_viewportCenterY - row offset).
#include <cstdint>

// Squared pixel radii of the picking tools: ordinary and close picks.
constexpr int32_t kPickRadius2 = 4800;
constexpr int32_t kClosePickRadius2 = 80;

// The nearest record strictly within the squared radius r2 of the client pixel, among
// those shown strictly inside the window; the lower number on a tie; 0 for none. Projects
// all data first when the screen positions are not current.
int32_t FindPointAtCursor(int32_t column, int32_t row, int32_t r2);
// Projects the data, clears every point's pick-list-2 and rectangle flags and sets the
// rectangle flag on the shown points strictly inside the client rectangle; their count.
int32_t MarkPointsInClientRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
int32_t FindIpPointAtCursor(int32_t column, int32_t row, int32_t r2);
int32_t FindMeshNodeAtCursor(int32_t column, int32_t row, int32_t r2);

// The TIN record whose edge passes nearest the client pixel, judged by
// |AB| / (|PA| + |PB|) above 0.8; 0 for none and for an edge with no triangle behind it
// (the outline of the TIN) or a hole edge.
int32_t FindTinEdgeNearCursor(int32_t column, int32_t row);
// The same judged in ground coordinates.
int32_t FindTinEdgeNearWorld(int32_t column, int32_t row);

constexpr int32_t kTriangleIdMapSide = 1024;

// Fills map (kTriangleIdMapSide x kTriangleIdMapSide, row-major, row 0 at the bottom) with
// the number of the TIN record whose triangle covers each pixel of the fit raster, 0 for
// none. Draws through the back buffer and leaves the positions in fit form, so the next
// paint is a full one.
void BuildTriangleIdMap(int32_t* map);

// Minus the number of the TIN record whose triangle holds the ground point (X north,
// Y east), 0 when there is none or the point lies outside the map's inner area.
int32_t FindTriangleAtPoint(const int32_t* map, double x, double y);
// Whether (X north, Y east) lies in the map's inner area round the data extents.
bool InsideTriangleIdMapFrame(double x, double y);
