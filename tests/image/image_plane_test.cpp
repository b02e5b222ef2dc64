// The image plane of the bird's-eye view: when it is drawn and how its grid spreads over
// the four corners.
#include <gtest/gtest.h>

#include "image/image_plane.h"

namespace {

ImageSlot Placed() {
    static uint8_t pixel[4] = {};
    ImageSlot s{};
    s.width = 40;
    s.height = 30;
    s.loaded = 1;
    s.blendMode = BLEND_OVERWRITE;
    s.showOnBase = 1;
    s.pixels = pixel;
    // A projective placement: no two edges parallel.
    const double c[4][2] = {{0, 100}, {120, 90}, {10, 0}, {100, 20}};  // UL UR LL LR
    for (int i = 0; i < 4; ++i) {
        s.corners[i][0] = c[i][0];
        s.corners[i][1] = c[i][1];
    }
    return s;
}

}  // namespace

TEST(ImagePlane, DrawnOnlyWhenAskedFor) {
    struct Case {
        const char* what;
        void (*change)(ImageSlot&);
        bool birdsEye, wanted;
    } cases[] = {
        {"shown", [](ImageSlot&) {}, true, true},
        {"plan view", [](ImageSlot&) {}, false, false},
        {"not on the base", [](ImageSlot& s) { s.showOnBase = 0; }, true, false},
        {"hidden", [](ImageSlot& s) { s.blendMode = BLEND_HIDDEN; }, true, false},
        {"not loaded", [](ImageSlot& s) { s.loaded = 0; }, true, false},
        {"no pixels", [](ImageSlot& s) { s.pixels = nullptr; }, true, false},
    };
    for (const Case& k : cases) {
        ImageSlot s = Placed();
        k.change(s);
        EXPECT_EQ(ImagePlaneWanted(s, k.birdsEye), k.wanted) << k.what;
    }
}

TEST(ImagePlane, GridIsBilinearOverTheCorners) {
    const ImageSlot s = Placed();
    ImagePlaneVertex row[kImagePlaneSteps + 1];
    // Row 0 runs along UL-UR with the top of the picture.
    BuildImagePlaneRow(s, 0, 7.5, row);
    EXPECT_DOUBLE_EQ(row[0].east, 0);
    EXPECT_DOUBLE_EQ(row[0].north, 100);
    EXPECT_DOUBLE_EQ(row[100].east, 120);
    EXPECT_DOUBLE_EQ(row[100].north, 90);
    EXPECT_FLOAT_EQ(row[0].textureRow, 30);
    EXPECT_FLOAT_EQ(row[100].textureColumn, 40);
    EXPECT_DOUBLE_EQ(row[37].height, 7.5);
    // Row 100 along LL-LR with the bottom row.
    BuildImagePlaneRow(s, 100, 7.5, row);
    EXPECT_DOUBLE_EQ(row[0].east, 10);
    EXPECT_DOUBLE_EQ(row[100].north, 20);
    EXPECT_FLOAT_EQ(row[50].textureRow, 0);
    EXPECT_FLOAT_EQ(row[50].textureColumn, 20);
    // The centre is the mean of the corners (bilinear, not the projective centre).
    BuildImagePlaneRow(s, 50, 7.5, row);
    EXPECT_NEAR(row[50].east, (0 + 120 + 10 + 100) / 4.0, 1e-9);
    EXPECT_NEAR(row[50].north, (100 + 90 + 0 + 20) / 4.0, 1e-9);
    EXPECT_FLOAT_EQ(row[50].textureRow, 15);
    // A quarter along the left edge from the top.
    BuildImagePlaneRow(s, 25, 7.5, row);
    EXPECT_NEAR(row[0].east, 2.5, 1e-9);
    EXPECT_NEAR(row[0].north, 75, 1e-9);
}
