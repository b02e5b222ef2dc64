#pragma once
// ２点間情報: the geometry between two points, as the window shows it.
#include <string>

#include "model/terrain_data.h"

// The window's texts: the point fields ("%8.4f", "%8.3f", names as stored, CP932) and
// the five results (UTF-8).
struct TwoPointInfoTexts {
    std::string startX, startY, startZ, startName;
    std::string endX, endY, endZ, endName;
    std::string planeDistance, slantDistance, heightDifference, slope, azimuth;
};
TwoPointInfoTexts FormatTwoPointInfo(const RandomPoint& start, const RandomPoint& end);

// Azimuth from north towards east in 0..360 degrees (0 when the points are closer than
// 0.01 in plan).
double TwoPointAzimuth(const RandomPoint& start, const RandomPoint& end);

// Where the window goes: beside the middle of the two picks when both are in the view (a
// point outside it in one direction takes the other's coordinate there), else beside the
// cursor. Client pixels of the view; halfGap is half the picks' horizontal distance (1 at
// the cursor). The window's right edge goes 32 + halfGap left of the reference.
struct TwoPointInfoPlace {
    int x, y, halfGap;
};
TwoPointInfoPlace TwoPointInfoReference(int cursorX, int cursorY);

// OK: both picks and both pick lists cleared, full repaint, the data-changed mark cleared.
void TwoPointInfoOk();

// What the window returns: OK, and Esc.
constexpr int kTwoPointInfoOk = 0;
constexpr int kTwoPointInfoCancel = 2;
