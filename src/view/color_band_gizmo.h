#pragma once
// The inclined reference plane of the colour bands, shown and dragged in the view while
// the colour-band dialog is open: the reference point, the direction handle and (in the
// bird's-eye view) the slope handle, and the target pick that aims the plane.
#include <cstdint>
#include <functional>

#include "view/color_band_edit.h"

class OverlayCanvas;

enum class GizmoHandle { kNone, kReference, kDirection, kSlope };

struct ColorBandGizmoState {
    bool targetOption = false;  // マウス 目標点: a plain click aims the plane
    bool targetPicked = false;
    GizmoPoint target{};
    GizmoHandle dragged = GizmoHandle::kNone;
    double pressOffset = 0;  // bird's-eye direction drag: measured angle minus θ at the press
};
extern ColorBandGizmoState g_colorBandGizmo;

// Mouse messages the view passes on.
constexpr int32_t kGizmoMouseMove = 0x200;
constexpr int32_t kGizmoLButtonDown = 0x201;
constexpr int32_t kGizmoLButtonUp = 0x202;
constexpr int32_t kGizmoLButtonDblClk = 0x203;

// Drawn and dragged only while the colour-band dialog is open, the reference is inclined
// and the mode is striped or gradient.
bool ColorBandGizmoShown();

// The handles in window pixels (rows down).
struct GizmoScreen {
    int32_t refX, refY, poleX, poleY, baseAX, baseAY, baseBX, baseBY;
    int32_t dirX, dirY, slopeX, slopeY, groundX, groundY, tickX, tickY;
};
GizmoScreen ProjectColorBandGizmo();

void DrawColorBandGizmo(OverlayCanvas& canvas);

// flags: the view's kMouseFlag* bits. Messages with Ctrl or Alt are left alone. Returns
// true when the plane or the target changed (the view was repainted).
bool DragColorBandGizmo(int32_t message, int32_t flags, int32_t x, int32_t y);

// The dialog's page shows the plane's fields; it is told after each change.
void SetColorBandGizmoChangedHandler(std::function<void()> handler);
