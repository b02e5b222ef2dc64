#pragma once
// The view transform and the view's shared state.
//
// Ground: metres, X north, Y east, Z up. A record's screen position is a pair of int32
// offsets from the viewport centre: column = (Y - g_viewCenterY) x g_viewScale growing
// eastwards, row = (X - g_viewCenterX) x g_viewScale growing northwards. The bottom-up back
// buffer draws it at (g_viewportCenterX + column, g_viewportCenterY + row); the window
// (mouse coordinates) at (g_viewportCenterX + column, g_viewportCenterY - row).
//
// Bird's-eye: v = (Y - g_eyeY, Z - g_eyeZ, X - g_eyeX) (east, up, north); rows 0, 1, 2
// of g_cameraMatrix times v give column, row and depth d; a point is in front when
// d > g_nearPlane, and its offsets are g_focalLength x row / d.
#include <cstdint>
#include <functional>

extern double g_viewCenterX;
extern double g_viewCenterY;
extern double g_viewScale;  // pixels per metre
// Every position on the screen divides by the scale: it is set only through here. A value
// that is not a positive number leaves the scale as it was; others are held within
// kMinViewScale..kMaxViewScale, so no run of zoom steps ends at 0 or infinity.
constexpr double kMinViewScale = 1e-6;
constexpr double kMaxViewScale = 1e7;
void SetViewScale(double scale);

extern int32_t g_birdsEyeOn;
extern double g_birdsEyeAzimuth;  // radians
extern double g_birdsEyeTilt;
extern double g_birdsEyeRoll;
extern double g_heightScale;  // vertical exaggeration of the bird's-eye view
extern double g_rotateStep;   // radians
extern double g_cursorStep;   // arrow-key pan step as a fraction of the view

extern double g_extentCenterX;
extern double g_extentCenterY;
extern double g_extentCenterZ;
extern double g_extentSize;  // largest side of the data box x 1.2
extern double g_dataBaseZ;   // lowest Z of the extents, set by the overall view
// Which random points the extents take: 0 all, 1 valid points inside the outline,
// 2 the outline vertices.
extern int32_t g_overviewExtent;
// 0: point colours from names "#RRGGBB"; 1: grey from the intensity character (byte 7).
extern int32_t g_pointColorMode;

// The view before any data: a 20 m extent round the origin shown at 25.6 pixels per metre,
// so that panning, zooming and the status bar have a scale to divide by.
void SetStartViewDefaults();

struct ScrollInfo {
    int32_t min;
    int32_t max;
    int32_t page;
    int32_t pos;
};
extern ScrollInfo g_horzScrollInfo;
extern ScrollInfo g_vertScrollInfo;

// The bird's-eye camera. Matrices are row-major 3 x 3; g_cameraMatrix and
// g_birdsEyeMatrix carry the exaggeration in their up column, g_cameraMatrixPlain not.
extern double g_eyeX;
extern double g_eyeY;
extern double g_eyeZ;
extern double g_nearPlane;
extern double g_cameraMatrix[9];
extern double g_birdsEyeMatrix[9];
extern double g_cameraMatrixPlain[9];

// What the next paint re-renders: -1 everything; other values are the painter's.
extern int32_t g_redrawMask;

// The TIN layer is shown (-1 or 1) or hidden (0).
extern int32_t g_showTin;

// Points the view marks as picked (0 none); a TIN build marks the side it works on.
extern int32_t g_pickedPoint;
extern int32_t g_pickedPoint2;
extern int32_t g_pickedPoint3;
extern int32_t g_pickedPoint4;

// Invalidates the whole view without erasing and repaints it at once.
void InvalidateAndUpdateView();
// Installed by the window; headless there is nothing to repaint.
void SetViewRepaintHandler(std::function<void()> handler);
