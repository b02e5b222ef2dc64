#pragma once
// Segments between ground points (X north, Y east, Z up) in the bird's-eye view, drawn
// into the locked back buffer in g_lineColor; and the plan form's position of a ground
// point.
#include <cstdint>

// The back-buffer position of a ground point; false when it is not beyond the near plane
// or lies too far off to draw.
bool ProjectGround3D(double x, double y, double z, int32_t* column, int32_t* row);

// Draws the segment when both ends lie beyond the near plane; one that crosses it is left
// out, not clipped.
void DrawLine3D(double x0, double y0, double z0, double x1, double y1, double z1);

// A horizontal segment at elevation z.
void DrawLevelLine3D(double x0, double y0, double x1, double y1, double z);

// The window position (rows downwards) of a ground point, for drawing over the shown
// frame; false when it is not beyond the near plane or its offsets from the viewport
// centre exceed what the window's drawing takes (+-2^23).
bool ProjectGroundToWindow3D(double x, double y, double z, int32_t* column, int32_t* row);

// The plan's back-buffer position of a ground point (X north, Y east); false when it lies
// too far off to draw.
bool PlanGroundToBuffer(double x, double y, int32_t* column, int32_t* row);
