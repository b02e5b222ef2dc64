#pragma once
// Watershed search on the TIN: from a clicked edge, a breadth-first search across the
// neighbouring triangles, each step accepted by a plane test, marks the records reached.
//
// A marked record has A, B and its back apex negative (the missing-apex mark stays) and
// its search apex positive; the high 16 bits of its state word count the searches that
// marked it. Hole records differ by their negative search apex.
#include <cstdint>

// Watershed mark count of a record (the high 16 bits of its state word).
inline int32_t WatershedCount(int32_t state) { return (state >> 16) & 0x7FFF; }
// Whether the record carries the watershed mark.
bool IsWatershedMarked(int32_t record);

// a = record index, b = 0: searches from that record's edge and marks what it reaches.
// Records marked before keep their mark and their count, whether reached again or not.
// a = b = -1: clears every watershed mark (the counts stay).
void ToggleEdgeMark(int32_t a, int32_t b);

// Plane test of the record's search-side triangle seen from the points n and m: 2 when the
// triangle is level, else 1 or 0 (in flat mode by the mean elevations, otherwise by the
// side of the fall line).
int32_t IsRidgeOrValley(int32_t record, int32_t n, int32_t m, int32_t flatMode);

// The click of the watershed tool: the edge under the cursor is searched from; with Shift
// held every mark is cleared. Nothing while a long operation runs, with Ctrl in the key
// flags or Alt held, or with fewer than 6 TIN records.
void ToggleEdgeMarksAtCursor(int32_t flags, int32_t x, int32_t y);

// The command 分水嶺探索 (32978): starts the watershed tool, or ends it when it runs.
void OnWatershed();
