#pragma once
// The contour lines of the line work file in the view.

// Draws every line of the line file into the locked back buffer (plan or bird's-eye form);
// index contours in colour 51, the others in 50. Reading stops at a header whose count is
// not 1..2000 (a damaged or foreign file).
void DrawDrawingContours();
// Hands DrawDrawingContours to the painter.
void InstallContourLayer();
