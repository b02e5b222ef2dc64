#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/watershed.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/projection.h"
#include "view/view_input.h"
#include "view/view_picking.h"
#include "view/view_state.h"

void ToggleEdgeMarksAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (IsProgressWindowOpen() || (flags & kMouseFlagControl) || IsKeyDown(key::kAlt) ||
        g_tinEdgeCount < 6)
        return;
    if (g_toolMode != MODE_OUTLINE_EDIT || g_outlineEditState != OUTLINE_EDIT_WATERSHED) return;
    if (!g_projectionValid) ProjectAllData(0);
    const int32_t edge = g_birdsEyeOn ? FindTinEdgeNearCursor(x, y) : FindTinEdgeNearWorld(x, y);
    if (IsKeyDown(key::kShift))
        ToggleEdgeMark(-1, -1);
    else if (edge != 0)
        ToggleEdgeMark(edge, 0);
    g_redrawMask = -1;
}

void OnWatershed() {
    if (g_toolMode == MODE_OUTLINE_EDIT && g_outlineEditState == OUTLINE_EDIT_WATERSHED) {
        ResetToolMode();
        ClearPickedPoints();
        return;
    }
    ResetToolMode();
    CloseToolWindows();
    if (g_tinPresent == 0) {
        ShowMessage("三角網が計算されていません", "", msg::kOk | msg::kIconInformation);
        return;
    }
    g_toolMode = MODE_OUTLINE_EDIT;
    g_outlineEditState = IsProgressWindowOpen() ? 0 : OUTLINE_EDIT_WATERSHED;
    ClearPickedPoints();
    ClearPicks();
    ClearPickList();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
