#include "shell/plotter_file_command.h"

#include <cstring>

#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/edit_windows.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {
PlotterFileDialogRunner& Runner() { return ToolServices().runPlotterFileDialog; }

constexpr int32_t kShiftFlag = 0x04;
constexpr int32_t kControlFlag = 0x08;
constexpr int32_t kTraceBasePickRadius2 = 4800;

bool PickActive() { return g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_PLOTTER_BASE; }

PlotterBasePoint BasePoint(const RandomPoint& r) {
    return {std::string(r.name, strnlen(r.name, sizeof r.name)), r.x, r.y};
}
}  // namespace

void SetPlotterFileDialogRunner(PlotterFileDialogRunner runner) { Runner() = std::move(runner); }
bool HasPlotterFileDialog() { return bool(Runner()); }

void OnPlotterFileOutput() {
    if (PickActive()) {
        ResetToolMode();
        return;
    }
    ResetToolMode();
    CloseEditToolWindows();
    CloseToolWindows();
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_PLOTTER_BASE;
    ClearPickedPoints();
    g_pickAux1 = 0;
    g_pickAux3 = 0;
    g_pickedPointRecord.flags = 0;
    g_pickedPointRecord2.flags = 0;
    ShowMessage("基準となる２点のランダム点を指定してください", "", msg::kOk | msg::kIconInformation);
}

void PickTraceOutputBasePoints(int32_t x, int32_t y, int32_t flags) {
    if (!PickActive() || IsProgressWindowOpen() || (flags & (kShiftFlag | kControlFlag)) != 0 ||
        IsKeyDown(key::kAlt))
        return;
    const int32_t p = FindPointAtCursor(x, y, kTraceBasePickRadius2);
    if (p <= 0 || p > g_pointCount || p == g_pickedPoint) return;
    if (g_pickedPoint == 0) {
        g_pickedPoint = p;
        InvalidateAndUpdateView();
        return;
    }
    g_pickedPoint2 = p;
    InvalidateAndUpdateView();
    g_pickedPointRecord = g_points[g_pickedPoint];
    g_pickedPointRecord2 = g_points[g_pickedPoint2];
    if (Runner()) Runner()(BasePoint(g_pickedPointRecord), BasePoint(g_pickedPointRecord2));
    g_pickedPoint = 0;
    g_pickedPoint2 = 0;
    ResetToolMode();
    InvalidateAndUpdateView();
}
