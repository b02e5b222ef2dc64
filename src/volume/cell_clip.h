#pragma once
// How much of a mesh cell a surface covers: the whole cell, none of it, or a polygon cut
// out by the surface's outline (the TIN outline for the current surface, the plan lines'
// outlines for the plan surface).
#include <cstdint>

// Room of the caller's lists: the polygon's vertices and its first vertex repeated.
constexpr int32_t kCellPolygonCapacity = 512;

constexpr int32_t kCellWhole = 1;
constexpr int32_t kCellNone = 0;
constexpr int32_t kCellPolygon = -1;
// The cell could not be examined (its nodes or the crossing list are not there, or the
// polygon needs more vertices than the lists hold): it does not count, and the caller
// tells the user.
constexpr int32_t kCellRefused = -2;

// The cell of the corner nodes 1 = (c, r), 2 = (c + 1, r), 3 = (c + 1, r + 1),
// 4 = (c, r + 1). For kCellPolygon: count vertices in xs, ys, zs and planZs [0, count),
// the first repeated at [count], and the polygon's horizontal area. The lists hold
// kCellPolygonCapacity values each. count is 0 for the other results.
int32_t ClipCellByOutline(int32_t corner1, int32_t corner2, int32_t corner3, int32_t corner4,
                          int32_t* count, double* xs, double* ys, double* zs, double* planZs,
                          double* area);
int32_t ClipCellByPlanLines(int32_t corner1, int32_t corner2, int32_t corner3, int32_t corner4,
                            int32_t* count, double* xs, double* ys, double* zs, double* planZs,
                            double* area);

// While one lives, both crossing lists are indexed by cell, so that a pass over every
// cell does not scan the whole lists for each one. The lists must not change meanwhile
// (a list whose block or count changed is scanned as without the index).
class CellClipIndex {
public:
    CellClipIndex();
    ~CellClipIndex();
    CellClipIndex(const CellClipIndex&) = delete;
    CellClipIndex& operator=(const CellClipIndex&) = delete;
};
