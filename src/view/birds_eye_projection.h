#pragma once
// The bird's-eye camera: a perspective view from above and behind the view centre, built
// from the view state (centre, scale, azimuth, tilt, roll, exaggeration) on every
// projection; and the hand-over of ground vertices to the triangle rasteriser.
//
// Camera vectors are (east, up, north) = (Y - g_eyeY, Z - g_eyeZ, X - g_eyeX); rows 0, 1, 2
// of g_cameraMatrix give the column, the row (upwards) and the depth.
#include <cstdint>

#include "view/triangle_raster.h"

extern int32_t g_rotationAxis;  // the azimuth turns about 0 the vertical, 1 the fore-aft axis
extern double g_targetZ;        // elevation of the point the camera looks at
extern double g_fieldOfView;    // degrees, 0.01 .. 60

// Builds the camera into g_cameraMatrix, g_birdsEyeMatrix, g_cameraMatrixPlain, the eye,
// g_nearPlane and g_focalLength (the first half of ProjectBirdsEye).
void BuildBirdsEyeCamera();

// Rotates the ground positions (x east, y up, z north, elevations unexaggerated) of two
// or three vertices into camera coordinates in place; `third` null for a line.
void ProjectTriangle3D(RasterVertex* first, RasterVertex* second, RasterVertex* third);

// Clips the segment a -> b (camera coordinates and outcodes set) against the near plane
// and the sides of the view: b's in-fields and a's out-fields; a cut at the near plane
// also goes into the first empty near-point slot (g_nearPointB, then g_nearPointA; see
// EmptyNearPointSlots).
void ClipSegmentNearPlane(RasterVertex& a, RasterVertex& b);
