#include "pointedit/area_edit_commands.h"

#include "model/pick_reset.h"
#include "platform/input.h"
#include "pointedit/dup_area_edit.h"
#include "pointedit/edit_windows.h"
#include "pointedit/move_rotate.h"
#include "pointedit/valid_area_edit.h"
#include "shell/command_routing.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

AreaEditWindows& AreaEditWindowFactory() {
    static AreaEditWindows windows;
    return windows;
}

namespace {
void ToggleAreaDialog(ToolWindow slot, const std::function<void()>& open) {
    ResetToolMode();
    g_pickedPoint = 0;
    CloseEditToolWindows();
    CloseToolWindows();
    ClearPicks();
    g_showPoints = -1;
    if (IsToolWindowOpen(slot))
        CloseToolWindow(slot);
    else if (open)
        open();
}
}  // namespace

void OnAreaValidInvalidEdit() {
    ToggleAreaDialog(ToolWindow::kValidAreaEdit, AreaEditWindowFactory().openValidAreaEdit);
    InvalidateAndUpdateView();
}

void OnAreaDuplicateDelete() {
    ToggleAreaDialog(ToolWindow::kDupPointAreaEdit, AreaEditWindowFactory().openDupAreaEdit);
    FullRepaintView();
}

void OnMoveRotate() {
    g_pickedPoint = 0;
    OnPointValidInvalid(true);
    InvalidateAndUpdateView();
}

void RegisterAreaEditCommands(FrameCommandTarget& commands) {
    if (AreaEditWindowFactory().openValidAreaEdit) commands.SetHandler(33012, OnAreaValidInvalidEdit);
    if (AreaEditWindowFactory().openDupAreaEdit) commands.SetHandler(33013, OnAreaDuplicateDelete);
    if (ToolServices().openMoveRotateDialog) commands.SetHandler(33074, OnMoveRotate);
}

// ---- the view ----

void AreaDialogsViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y) {
    if (g_validAreaEditDlg) g_validAreaEditDlg->OnViewMouse(message, flags, x, y);
    if (g_dupPointAreaEditDlg) g_dupPointAreaEditDlg->OnViewMouse(message, flags, x, y);
    if (g_moveRotateDlg) g_moveRotateDlg->OnViewMouse(message, flags, x, y);
}

bool AreaDialogsViewKey(int32_t key) {
    if (!g_dupPointAreaEditDlg) return false;
    // The dialog stands back while a tool or a drag is active; the tool keeps its keys.
    const bool taken = (key == 0x2D || key == 0x2E || key == 0x1B) && g_dragState == 0 &&
                       g_toolMode == 0 && !IsKeyDown(key::kAlt);
    g_dupPointAreaEditDlg->OnViewMouse(kViewKeyDown, 0, key, 0);
    return taken;
}

void AreaDialogsDrawPreview() {
    if (g_moveRotateDlg) g_moveRotateDlg->DrawPreview();
}

std::vector<AreaOverlay> AreaDialogsOverlays() {
    std::vector<AreaOverlay> overlays;
    if (g_validAreaEditDlg) overlays.push_back(g_validAreaEditDlg->Overlay());
    if (g_dupPointAreaEditDlg) overlays.push_back(g_dupPointAreaEditDlg->Overlay());
    if (g_moveRotateDlg) overlays.push_back(g_moveRotateDlg->HandleOverlay());
    if (g_lassoDrawing && g_lassoPointCount > 0) {
        AreaOverlay lasso;
        for (int32_t k = 0; k + 1 < g_lassoPointCount; ++k)
            lasso.lines.push_back({g_lassoPoints[k].x, g_lassoPoints[k].y, g_lassoPoints[k + 1].x,
                                   g_lassoPoints[k + 1].y, g_lassoColor, 1});
        const LassoPoint& last = g_lassoPoints[g_lassoPointCount - 1];
        lasso.lines.push_back({last.x, last.y, g_lassoCursor.x, g_lassoCursor.y, g_lassoColor, 1});
        overlays.push_back(lasso);
    }
    return overlays;
}
