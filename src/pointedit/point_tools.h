#pragma once
// The click functions of the point tools (tool mode 2): modify, add, four-point
// intersection and valid/invalid, with the windows they open and the tools of other files
// that the view reaches through hooks.
#include <cstdint>
#include <functional>

// Squared client-pixel radii of the point tools.
constexpr int32_t kPointPickRadius2 = 4800;
constexpr int32_t kAddToolHitRadius2 = 60;

// The windows the tools open; empty entries are windows that are not there (tests run the
// tools without them).
struct PointToolWindows {
    // Runs the point edit dialog modally on g_editPoint and g_pickedPoint (the cursor set
    // aside while it is open). Without it a new point is dropped at once.
    std::function<void()> runPointEditDialog;
    // Repaints the open point edit dialog.
    std::function<void()> repaintPointEditDialog;
    // The point-input panel shows the new-point settings again.
    std::function<void()> refreshPointInputPanel;
};
PointToolWindows& PointToolWindowHooks();

// Whether the point edit dialog is open.
bool PointEditDialogOpen();

// The DXF snap of g_pointSnapMode at a client pixel: X and Y of the snapped position, or
// false when nothing was found (or no snap is set).
bool SnapToDxf(int32_t x, int32_t y, double& snappedX, double& snappedY);

// Sub-state 0: edits the point under the release (or the one picked at the press, moved to
// the release or the snapped position). Returns the point's number, 0 for none.
int32_t OnClickModifyPoint(int32_t flags, int32_t x, int32_t y, int32_t snapped);
// Sub-state 1: adds a point, deletes a loose one, or takes over a point's attributes.
void OnClickAddPoint(int32_t flags, int32_t x, int32_t y);
// Sub-state 4: crossing of two picked lines, or of a line with a TIN triangle.
void OnClickFourPointIntersection(int32_t flags, int32_t x, int32_t y);
// Sub-state 5: toggles the validity of the point under the click (or names it by the key
// held).
void OnClickToggleValid(int32_t flags, int32_t x, int32_t y);
// Sub-state 5 rectangle: the points carrying the new-selection flag. Nonzero when the
// points were changed.
int32_t ToggleValidInSelection();

// The point tools' part of a dragged tool rectangle (client pixels): selects the shown
// points strictly inside, then by sub-state toggles their validity (5) or applies the batch
// edit (8). Returns nonzero when the view is to be repainted fully.
int32_t ApplyPointToolRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);

// The TIN record whose search-side triangle lies under the client pixel: in the plan view
// by ground position, in the bird's-eye view by projected positions. 0 for none.
int32_t FindTinTriangleAtCursor(int32_t x, int32_t y);
int32_t FindTinTriangleAtCursor3D(int32_t x, int32_t y);
