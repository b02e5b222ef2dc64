#pragma once
// Editing the TIN by hand in the view: the diagonal swap of two triangles, the polygon
// along TIN edges and the dragged rectangle that register or release holes or recalculate
// the TIN inside them, the removal of the triangles of invalid points and the bad-triangle
// check.
//
// The click handlers take the key flags of the click (kMouseFlag*) and its client
// position; they only set g_redrawMask, the view repaints after each call.
#include <cstdint>

class FrameCommandTarget;

// The diagonal swap (sub-state 5): the edge selected by the first click (0 none), and
// whether the last crossing test found the two diagonals apart (1) or crossing (0). While
// the first click is handled g_swapBusy is -1. The edge waiting for the confirming click
// has its end points in g_pickAux2 (A) and g_pickAux1 (B).
extern int32_t g_swapEdge;
extern int32_t g_swapNoCross;
extern int32_t g_swapBusy;

// 三角網編集 (32837): switches the swap tool on or off.
void OnTinEdit();
// First click: selects the edge under the cursor when the quadrilateral of its two
// triangles is convex; second click (anywhere): swaps its diagonal.
void SwapTinDiagonal(int32_t flags, int32_t x, int32_t y);

// Sub-states 53 (register holes, kind asked), 54 (release holes) and 55 (recalculate the
// TIN inside): each click adds a point joined to the last one by a TIN edge; clicking the
// first point again, from the third point on, closes the polygon and acts on it.
void PickTinPolygonAtCursor(int32_t flags, int32_t x, int32_t y);

// A dragged rectangle (client pixels, either corner order): selects the drawn points
// strictly inside it (flag bit 0x10) and hands them to the active tool. Returns the number
// of points selected (in the TIN-intersection tool the number of crossings), 0 when it
// did nothing.
int32_t ApplyRectangleSelection(int32_t left, int32_t top, int32_t right, int32_t bottom);

// Removes the triangles of invalid points: a record with an invalid end point goes, an
// invalid apex leaves its side open (or turns the record to face its other side).
void DeleteUnusedPointTriangles();

// 不良三角網チェック (32884) and 未使用点三角網削除 (32925).
void OnBadTriangleCheck();
void OnDeleteUnusedPointTriangles();

// Registers 32837, 32884 and 32925 with the frame.
void RegisterTinEditCommands(FrameCommandTarget& commands);
