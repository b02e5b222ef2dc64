#pragma once
// The overview window (全体図): the whole data set as a thumbnail with the frame of the
// area the view shows, and the click or drag in it that moves and zooms the view. The
// thumbnail is drawn into its own pixels, so the view's back buffer keeps its picture;
// the fit-mode projection it needs does overwrite the records' screen offsets, so the
// next paint of the view redraws everything.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// A top-down picture of 0x00RRGGBB words.
struct OverviewImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // row 0 is the top row
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The corners of the view's frame in overview pixels (x right, y down), for an overview of
// width x height whose fit scale is g_fitScale, a view of viewWidth x viewHeight pixels at
// g_viewScale around g_viewCenterX/Y. In the bird's-eye view the frame is enlarged by
// 1 / max(|sin tilt|, 0.3) and turned by minus the azimuth.
std::array<std::array<double, 2>, 4> OverviewFrameCorners(int32_t width, int32_t height,
                                                          int32_t viewWidth, int32_t viewHeight);

// The thumbnail: TIN lines, random points, stations' cut and centre lines, IP lines and the
// view's frame on black. Projects all data in fit mode for `width` (sides held to 1023)
// and asks for a full repaint of the view. Without random points the picture is white.
OverviewImage DrawOverviewThumbnail(int32_t width, int32_t height, int32_t viewWidth,
                                    int32_t viewHeight);

// A rectangle in overview client pixels (a click is a rectangle of one point).
struct OverviewRect {
    int32_t left, top, right, bottom;
};
// Centres the view on the rectangle's centre; a rectangle larger than 2 pixels also sets
// the scale so that it fills the view's larger side. Returns -1.
int32_t OverviewPickToView(const OverviewRect& rect, int32_t width, int32_t height);

// The mouse in the overview: press, drag, release.
enum class OverviewDragState { kIdle = 16, kPressed = 17, kDragging = 19 };
struct OverviewMouse {
    int32_t pressX = 0, pressY = 0, currentX = 0, currentY = 0;
    bool armed = false;
    OverviewDragState state = OverviewDragState::kIdle;
};
void OverviewButtonDown(OverviewMouse& m, int32_t x, int32_t y);
// With the left button held: the drag goes on to (x, y); true when the rubber rectangle
// changed.
bool OverviewDragTo(OverviewMouse& m, int32_t x, int32_t y);
// The left button released at (x, y): moves the view (a drag by its rectangle, a click by
// the point after a fit-mode projection for the width). True when the view moved.
bool OverviewButtonUp(OverviewMouse& m, int32_t x, int32_t y, int32_t width, int32_t height);

// The overview window's refresh, installed by the window: the view calls it before a paint
// that redraws everything, so that the frame follows the view.
void SetOverviewRefresh(std::function<void(int32_t viewWidth, int32_t viewHeight)> refresh);
void RefreshOverviewBeforeFullPaint(int32_t viewWidth, int32_t viewHeight);
