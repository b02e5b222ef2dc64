#pragma once
// The background image as a flat textured plane just under the terrain in the bird's-eye
// view: a grid of 101 x 101 vertices spread bilinearly over the image's four corners,
// handed to the depth-buffered triangle rasteriser as 100 x 100 cells of two triangles.
#include <cstdint>

#include "image/image_slot.h"

constexpr int32_t kImagePlaneSteps = 100;

struct ImagePlaneVertex {
    double east;
    double height;
    double north;
    float textureColumn;  // 0 .. width
    float textureRow;     // 0 .. height, from the bottom row
};

// Whether the plane is drawn for `image` (bird's-eye view on, loaded, shown, asked for on
// the base and with pixels).
bool ImagePlaneWanted(const ImageSlot& image, bool birdsEyeOn);
// Grid row i (0 along the upper edge UL-UR, 100 along the lower edge LL-LR) at `height`.
void BuildImagePlaneRow(const ImageSlot& image, int32_t i, double height,
                        ImagePlaneVertex (&row)[kImagePlaneSteps + 1]);
// The plane of g_bgImage, 0.05 under the lowest data height, into the running triangle
// pass; the number of triangles handed over (0 when not wanted).
int32_t DrawImagePlane3D();
