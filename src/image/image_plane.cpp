#include "image/image_plane.h"

#include "view/birds_eye_projection.h"
#include "view/back_buffer.h"
#include "view/triangle_raster.h"
#include "view/view_state.h"

bool ImagePlaneWanted(const ImageSlot& image, bool birdsEyeOn) {
    return birdsEyeOn && image.loaded && image.blendMode != BLEND_HIDDEN && image.showOnBase &&
           image.pixels != nullptr && image.width > 0 && image.height > 0;
}

void BuildImagePlaneRow(const ImageSlot& image, int32_t i, double height,
                        ImagePlaneVertex (&row)[kImagePlaneSteps + 1]) {
    const double a = double(i) / kImagePlaneSteps, b = 1 - a;
    const double* ul = image.corners[0];
    const double* ur = image.corners[1];
    const double* ll = image.corners[2];
    const double* lr = image.corners[3];
    const double left[2] = {a * ll[0] + b * ul[0], a * ll[1] + b * ul[1]};
    const double right[2] = {a * lr[0] + b * ur[0], a * lr[1] + b * ur[1]};
    for (int32_t n = 0; n <= kImagePlaneSteps; ++n) {
        const double g = double(n) / kImagePlaneSteps, h = 1 - g;
        ImagePlaneVertex& v = row[n];
        v.east = g * right[0] + h * left[0];
        v.north = g * right[1] + h * left[1];
        v.height = height;
        v.textureColumn = static_cast<float>(g * image.width);
        v.textureRow = static_cast<float>(b * image.height);
    }
}

namespace {
void ToRaster(const ImagePlaneVertex& p, RasterVertex& v) {
    v = RasterVertex{};
    v.x = p.east;
    v.y = p.height;
    v.z = p.north;
    v.u = p.textureColumn;
    v.v = p.textureRow;
}
}  // namespace

int32_t DrawImagePlane3D() {
    if (!ImagePlaneWanted(g_bgImage, g_birdsEyeOn)) return 0;
    LockRasterTexture();
    SelectSpanRenderer();
    const int32_t shade = g_triangleShade;
    g_triangleShade = 63 * 256;
    const double z = g_dataBaseZ - 0.05;
    ImagePlaneVertex rows[2][kImagePlaneSteps + 1];
    BuildImagePlaneRow(g_bgImage, 0, z, rows[0]);
    int32_t drawn = 0;
    for (int32_t i = 1; i <= kImagePlaneSteps; ++i) {
        const ImagePlaneVertex(&previous)[kImagePlaneSteps + 1] = rows[(i - 1) & 1];
        ImagePlaneVertex(&current)[kImagePlaneSteps + 1] = rows[i & 1];
        BuildImagePlaneRow(g_bgImage, i, z, current);
        for (int32_t n = 0; n < kImagePlaneSteps; ++n) {
            RasterVertex p0, p1, c0, c1;
            ToRaster(previous[n], p0);
            ToRaster(previous[n + 1], p1);
            ToRaster(current[n], c0);
            ToRaster(current[n + 1], c1);
            ProjectTriangle3D(&p0, &p1, nullptr);
            ProjectTriangle3D(&c0, &c1, nullptr);
            ComputeVertexOutcode(p0);
            ComputeVertexOutcode(p1);
            ComputeVertexOutcode(c0);
            ComputeVertexOutcode(c1);
            RasterVertex a0 = p1, a1 = c0;  // the second triangle's own copies
            DrawTriangle3D(p0, c0, p1);
            DrawTriangle3D(a0, a1, c1);
            drawn += 2;
        }
    }
    g_triangleShade = shade;
    return drawn;
}
