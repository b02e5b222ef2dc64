#pragma once
// Read-mostly services over the TIN: which record stands for which triangle, the bad-TIN
// check, the triangle that holds a point and the elevation of the TIN there.
//
// The search-side triangle of a record A->B is (A, B, search apex), counterclockwise on
// the map; the back-side triangle is (A, B, back apex). Vertex numbers are used by
// absolute value (holes carry negative ones).
#include <cstdint>
#include <vector>

// Per-record counts, indexed 1..g_tinEdgeCount (each output is resized to count + 1 and
// zeroed; pass nullptr for those not wanted):
// - searchCounts: 1 + the other records that hold the record's search-side triangle on
//   their search side;
// - backCounts: 1 + the other records that hold its back-side triangle on their back side
//   (0 when it has no back triangle);
// - firstFlags: 1 on the lowest-numbered record of a triangle held on three search sides
//   (and on every record whose search triangle no other record holds).
// 0 when the work memory cannot be had, -1 otherwise.
int32_t BuildTinAdjacency(std::vector<int32_t>* searchCounts, std::vector<int32_t>* backCounts,
                          std::vector<uint8_t>* firstFlags);

// Drops the records that still have a 0 in one of their four index fields, then marks
// every record whose back triangle is held by more than two records as bad (both end
// numbers negative) and returns how many. With centreFlag set the plan view is centred on
// the first bad record's box.
int32_t CheckBadTriangles(int32_t centreFlag);

// The first record whose search-side triangle holds (x, y) (edges and corners included),
// else 0; the elevation of the triangle's plane there goes to *elevation when given. A
// triangle of no plan area gives the elevation of its first vertex.
int32_t LocateTinTriangle(double x, double y, double* elevation);

// -1 when (x, y) lies inside or on the triangle 1-2-3 (counterclockwise on the map), with
// the elevation of its plane in *elevation; 0 otherwise, and 0 for a triangle of no plan
// area, which has no plane to give.
int32_t InterpolateInTriangle(double x1, double y1, double z1, double x2, double y2, double z2,
                              double x3, double y3, double z3, double x, double y,
                              double* elevation);

// The first record (ascending) whose search-side triangle's box holds (x, y), bounds
// included, and whose triangle InterpolateInTriangle accepts; the elevation goes to
// *elevation. 0 when none: triangles of no plan area are passed over.
int32_t FindTinTriangleInBox(double x, double y, double* elevation);

// The first record whose search-side triangle holds (x, y), else 0; the elevation there
// goes to the Z of g_editPoint (unchanged when there is none). Triangles of no plan area
// are passed over.
int32_t GetTinZ(double x, double y);
