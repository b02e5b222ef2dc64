#pragma once
// Data extents, the overall view and the operations that move the view.
#include <cstdint>

// Recomputes the box of all loaded data into the extent globals and the data's elevation
// range. keepView = 0 also makes the overall view: centred on the data, plan form, scale
// 512 / g_extentSize, colour bands reset to the elevation range.
void ComputeDataExtents(int32_t keepView);

// After point i was added: refits the extents when it lies outside them and widens
// g_pointZMin / g_pointZMax by its Z.
void IncludePointInExtents(int32_t i);

// The ground point under client pixel (column, row) in the plan view.
void ClientToGround(int32_t column, int32_t row, double& x, double& y);

// Moves the view centre by a pixel offset; dx = g_viewportCenterX - target column and
// dy = g_viewportCenterY - target client row bring the target to the centre.
void PanByPixels(int32_t dx, int32_t dy);

// Bird's-eye only: centres the view on the TIN point at offsets (column, row), row up.
void CentreOnPixel3D(int32_t column, int32_t row);

// Arrow keys: dx -1 left, 1 right; dy 1 up, -1 down. Pans (a tenth of the step with Shift
// in the plan view), or in the bird's-eye view with Shift turns and tilts; then repaints.
void PanByArrowKey(int32_t dx, int32_t dy);

// The bird's-eye pick ray through offsets (column, row), row up, from the eye (g_eyeX,
// g_eyeY, g_eyeZ): its unit direction in ground order X (north), Y (east), Z (up), the up
// component divided by the height scale.
void BirdsEyePickRay(int32_t column, int32_t row, double& dirX, double& dirY, double& dirZ);
// Bird's-eye pick on the TIN at offsets (column, row), row up: the TIN record of the
// nearest triangle hit and the ground point hit, or 0. Re-projects the random points.
int32_t PickTinPoint3D(int32_t column, int32_t row, double& x, double& y, double& z);

// Scroll-bar positions to view centre; nothing while the bar has no range.
void ScrollToCentreY(int32_t pos);
void ScrollToCentreX(int32_t pos);
