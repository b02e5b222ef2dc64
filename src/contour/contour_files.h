#pragma once
// Contour work files and the contour level parameters stored in their index header.
#include <cstdint>
#include <string>

// Full path of the contour line work file (set when the main window is made).
extern std::string g_contourLinesPath;
// -1 while the drawing contours are shown.
extern int32_t g_showDrawingContours;

// Contour parameters: lowest and highest level, main interval, index interval.
extern double g_contourMinZ;
extern double g_contourMaxZ;
extern double g_contourInterval;
extern double g_indexContourInterval;

// Default levels for a freshly loaded elevation range: the range truncated toward zero
// to whole metres, main interval 1, 2 or 5 by the size of the range, index every fifth.
void SetDefaultContourLevels(double zMin, double zMax);
