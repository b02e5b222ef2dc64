#pragma once
// The view painter: renders every layer of the view into the locked back buffer, plan or
// bird's-eye, fully or in one of the short passes that g_redrawMask selects.
//
// g_redrawMask: 0 redraws the background DXF layer only; 1 the outline and pick-list
// polylines, then the DXF layer; 8 re-projects, then draws texts, routes, mesh and the
// DXF layer; all over the previous frame. Any other value is a full repaint, in which
// bit 4 draws the TIN lines, bit 1 the polylines, bit 8 texts and labels and bit 0x10
// the contour overlays (-1 everything).
#include <cstdint>
#include <functional>

// Mask bits read by the full repaint.
constexpr int32_t kRedrawPolylines = 1;
constexpr int32_t kRedrawTin = 4;
constexpr int32_t kRedrawTexts = 8;
constexpr int32_t kRedrawOverlays = 0x10;

// -1 from the start of the view's paint until its last layer is in the buffer.
extern int32_t g_viewPainting;

// -1 when this paint drew the points through the depth buffer: later passes then read
// each point's visibility from its off-screen flag instead of plotting it again.
extern int32_t g_pointsDrawnWithDepth;
// -1 when the last paint drew the contour overlays (texts and overlays are left out of
// drag frames; the mouse handlers ask for one full frame afterwards).
extern int32_t g_overlaysDrawn;

struct RandomPoint;
struct TinEdge;
// The palette entry a TIN record's line is drawn in: the TIN's, a hole's or a watershed
// mark's.
int TinEdgeColorIndex(const TinEdge& e);
// The colour point p is drawn in, into g_rasterColor; false when the point is not drawn
// at all (an invalid point while invalid points are hidden).
bool ChoosePointColor(const RandomPoint& p);

// Layers that other subsystems draw inside the paint. Each is installed by its owner;
// one that is not installed is skipped. `triangleBytes` is one byte per TIN record
// (index 1..count) marking the records that carry a triangle, or null when none was made.
struct PainterLayers {
    // Plan form with the background image shown.
    std::function<void()> backgroundImages;
    // The depth-buffered triangle pass (colour bands, draped image, water, bird's-eye TIN
    // lines, points and flags). Returns 0 when it drew, nonzero when its raster could not
    // be set up; sets tinLinesDrawn when it drew the TIN as depth lines.
    std::function<int32_t(uint8_t* triangleBytes, bool& tinLinesDrawn)> trianglePass;
    std::function<void()> meshLayer;
    // The contour overlays, in the order they are drawn.
    std::function<void(uint8_t* triangleBytes)> simpleContours;
    std::function<void(uint8_t* triangleBytes)> slopeLines;
    std::function<void()> drawingContours;
    std::function<void()> sliceContours;
    std::function<void()> crossSections3D;  // bird's-eye form with sections shown
    std::function<void()> northArrow;       // bird's-eye form
    std::function<void()> dxfLayer;
    // Drawn over a finished frame before it is shown (the TIN volume regions).
    std::function<void()> volumeRegions;
};
extern PainterLayers g_painterLayers;

// The window's client area the paint fills.
struct ViewClient {
    int32_t width;
    int32_t height;
};

// Changes whenever a paint finds the triangle marks anew (the TIN's records or the point
// count changed since the last): per-triangle work that depends on the TIN alone may be
// kept while it stays.
uint64_t TriangleMarksGeneration();

// Renders into the locked back buffer. 0: there is nothing to show and nothing was drawn
// (the caller shows a white window); 1: the buffer holds the frame to be blitted.
// client: the view's client area, or null for a paint into a buffer of its own size
// (the view-image save).
int32_t PaintView(const ViewClient* client);
