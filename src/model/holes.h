#pragma once
// Holes in the TIN. A record whose search-side triangle is a hole carries the negative of
// each of its four index fields (the no-apex mark stays as it is); registering negates,
// releasing takes the absolute values. The consumers leave hole triangles out.
#include <cstdint>

// Surface kind of a point from the first two bytes of its name.
enum SurfaceClass : int32_t {
    kSurfaceCurrent = 0,   // anything else
    kSurfacePlanC = 1,     // "_C"
    kSurfacePlanF = 2,     // "_F"
    kSurfaceSlope = 3,     // "_N"
    kSurfaceWater = 4,     // "_W"
    kSurfaceBuilding = 5,  // "_H"
};
int32_t SurfaceClassOfName(const char* name);

// The surface of a triangle from its vertices' classes: 0 current ground, 1 plan, 3 slope,
// 4 water, 5 building (the values of the switches' order in MarkHoleTriangles).
enum TriangleSurface : int32_t {
    kTriangleCurrent = 0,
    kTrianglePlan = 1,
    kTriangleSlope = 3,
    kTriangleWater = 4,
    kTriangleBuilding = 5,
};
int32_t TriangleSurfaceOf(int32_t classA, int32_t classB, int32_t classS);

// Registers (mode 1) or releases (mode 0) every record whose search-side triangle is of a
// selected surface (nonzero switch).
void MarkHoleTriangles(int32_t current, int32_t plan, int32_t slope, int32_t water,
                       int32_t building, int32_t mode);

// The polygon routines take the polygon from g_pickList2: n vertices in 1..n, the closing
// copy in n+1. Nothing happens for n < 3. They leave the hidden byte 1 for points inside,
// 3 for the vertices and 0 for the rest.
//
// Records whose edge lies inside the polygon (both ends inside, or one end a vertex and the
// other inside, or both ends vertices and the midpoint inside or on the polygon): mode 0
// registers, 1 releases. Flag bit 0x10 of |A| tells whether the record was taken.
void MarkEdgePointsInPolygon(int32_t n, int32_t mode);
// The same for the search-side triangles: every vertex inside or a polygon vertex and at
// least one inside, or all three vertices of the polygon and the centroid inside or on it.
void MarkTrianglePointsInPolygon(int32_t n, int32_t mode);
// Removes the records inside the polygon (cuts the TIN open, as for a tunnel opening);
// a record left with no triangle behind it loses its back apex. Order of the rest kept.
void CutTinInsideHole(int32_t n);

// The polygon kinds of the hole dialog and the routine each applies in register mode.
enum HoleKind : int32_t { kHoleContour = 0, kHoleAreaVolume = 1, kHoleCutTin = 2 };
void ApplyHolePolygon(int32_t kind, int32_t n);

// Acts on the records whose two end points carry flag bit 0x10: mode 0 registers, 1
// releases, 2 registers and traces the boundary of the registered region into g_pickList2
// (closed, count 0 when no ring can be traced). Returns the number registered.
int32_t SetHoleSignOfMarkedEdges(int32_t mode);

// Every negative index field made positive (no-apex mark kept); g_holesInverted 0.
void ReleaseAllHoleMarks();
// Every index field negated (no-apex mark and 0 kept); g_holesInverted switched.
void InvertHoleMarks();
