#pragma once
// Snapping to the background vector layer: its nearest vertex, the nearest point on one of
// its segments (with an interpolated elevation), a segment's midpoint, and the crossing of
// two segments near the cursor.
//
// The cursor is a client column and row. A segment is a pair of consecutive elements whose
// second has pen DXF_PEN_DRAW and whose first has pen DXF_PEN_MOVE or DXF_PEN_DRAW; it is
// named by the number of its second element e (its first is e - 1). x is north and y east.
#include <cstdint>

// The element nearest to the cursor strictly within the squared pixel radius, among those
// shown strictly inside the back buffer (every pen counts; the lower number on a tie);
// 0 for none. An empty store leaves the outputs untouched; otherwise they start at 0.
int32_t FindNearestDxfVertex(int32_t column, int32_t row, int32_t maxSquaredDistance, double& x,
                             double& y, int32_t& vertexColumn, int32_t& vertexRow);

// The segment the cursor lies closest along (|PQ| / (|P - c| + |Q - c|) above 0.8), judged
// in plan; its midpoint. 0 for none.
int32_t FindNearestDxfMidpoint(int32_t column, int32_t row, double& x, double& y);

// The nearest segment whose perpendicular foot falls on it (or whose end is at the cursor),
// with both ends on screen; the point on it, its elevation and its screen position.
// 0 for none.
int32_t FindNearestDxfLinePoint(int32_t column, int32_t row, double& x, double& y, double& z,
                                int32_t& pointColumn, int32_t& pointRow);

// A segment near the cursor that can cross the segment from element b to element a: it
// shares no element or end point with it and is not parallel to it. Its number, or 0.
int32_t FindDxfIntersectionNear(int32_t column, int32_t row, int32_t a, int32_t b);

// 1 with the crossing of the segment under the cursor and a neighbouring segment; 0 when
// there is none (the outputs then hold the point found on the line, if any).
int32_t SnapToDxfIntersection(int32_t column, int32_t row, double& x, double& y,
                              int32_t& pointColumn, int32_t& pointRow);

// The cursor's plan position and a plan position's client pixel in the current plan view.
void DxfClientToPlan(int32_t column, int32_t row, double& north, double& east);
void DxfPlanToClient(double north, double east, int32_t& column, int32_t& row);
