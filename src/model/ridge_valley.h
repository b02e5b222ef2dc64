#pragma once
// Ridge and valley correction of the TIN: diagonal flips that remove level triangles lying
// across a ridge or a valley and join consecutively numbered points of one elevation.
//
// A flipped record is marked with both end points negative (its apexes keep their signs);
// the next run removes the marks first.
#include <cstdint>

class TinPointLists;

// Result of CorrectRidgesValleys when its work lists cannot be had (nothing changed).
constexpr int32_t kRidgeValleyNoMemory = -1;

// The records flipped (a flip made twice counts twice); kRidgeValleyNoMemory when the
// work lists cannot be allocated. showStatus writes the progress texts into the status
// bar; markFlips marks every flipped record; angle (degrees, clamped to 0..45) is the
// right-angle tolerance of the grid-cell test, 0 turning the grid treatment off.
int32_t CorrectRidgesValleys(int32_t showStatus, int32_t markFlips, double angle);

// 1 when the record's end points lie strictly on opposite sides of the line through its
// apexes (in plan); 0 otherwise and when it has no back apex.
int32_t IsQuadConvexAtEdge(int32_t record);

// 1 when the three values are equal within 1e-15 (each within 1e-15 of *reference when
// given).
int32_t ElevationsEqual3(const double* reference, double z1, double z2, double z3);

// Flips the record's diagonal within its convex quadrilateral and keeps the neighbouring
// records and the lists in step; 0 when it cannot (no back apex, not convex, an outer edge
// missing).
int32_t FlipTinEdgeLinked(TinPointLists& lists, int32_t record);

// 1 for a level edge across a ridge or a valley whose four outer neighbours all fall away
// from it (ridge) or all rise (valley).
int32_t IsFlatRidgeValleyEdge(const TinPointLists& lists, int32_t record);

// The command 尾根・谷 補正: wait cursor, the correction with status texts and marks
// (angle 2), full redraw. Without a TIN, or when memory runs out, a message.
void OnRidgeValleyCorrection();
