#pragma once
// What changes the part of the ground the view shows: the zoom and pan commands, the
// wheel, the zoom box, the overall view and the view's keys.
//
// Client positions are window pixels, rows counted downwards.
#include <cstdint>
#include <functional>

#include "view/view_input.h"

// Virtual-key codes of OnViewKey.
namespace vkey {
constexpr int32_t kBack = 0x08;
constexpr int32_t kReturn = 0x0D;
constexpr int32_t kEscape = 0x1B;
constexpr int32_t kEnd = 0x23;
constexpr int32_t kHome = 0x24;
constexpr int32_t kLeft = 0x25;
constexpr int32_t kUp = 0x26;
constexpr int32_t kRight = 0x27;
constexpr int32_t kDown = 0x28;
constexpr int32_t kInsert = 0x2D;
constexpr int32_t kDelete = 0x2E;
}  // namespace vkey

constexpr double kZoomStep = 1.2;
constexpr double kZoomOutStep = 0.8333333333333334;  // the double nearest 1 / 1.2

// Centres the view on the box (client pixels) and scales it to fill width x height;
// nothing for a box of 3 x 3 pixels or less. Returns -1.
int32_t ZoomToBox(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width,
                  int32_t height);
// Zoom-box mode click: centres the view on the click and zooms in x 1.2; nothing with
// Shift or Ctrl in the flags or Alt held.
void ZoomAtClick(int32_t flags, int32_t column, int32_t row);
// The view's keys (virtual-key codes).
void OnViewKey(int32_t key);
// The overall view, keeping the colour-band settings.
void ShowAllKeepSettings();
// Refits the extents when IP point i lies near or beyond their edge (the view stays).
void EnsureIpPointVisible(int32_t i);

// The view's commands and their menu rules.
void OnZoomIn();
void OnZoomOut();
void OnZoomRectMode();
void OnPanMode();
void OnShowAll();
void OnPreviousScreen();
bool ZoomRectModeChecked();
bool PanModeChecked();
bool ShowAllEnabled();
bool PreviousScreenEnabled();

// Wheel step at the client pixel: forward zooms in x 1.2, back out; the plan view keeps
// the ground point under the cursor. With Alt held (alt) the bird's-eye view steps the
// exaggeration instead. Repaints.
void ZoomWheel(int32_t delta, int32_t column, int32_t row, bool alt);
// Double-click: in the plan view brings the picked point under the click. True when the
// view moved (and was repainted).
bool CentreOnPickedPoint(int32_t column, int32_t row);

// Repaints of the view: quick (overlays only, g_redrawMask 0) and full (-1).
void QuickRepaintView();
void FullRepaintView();

// Moves the mouse cursor to a client pixel of the view (installed by the window).
void SetViewCursorMover(std::function<void(int32_t column, int32_t row)> mover);
