#include "pointedit/edit_windows.h"

#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

void CloseEditToolWindows() {
    CloseToolWindow(ToolWindow::kPointEditDialog);
    CloseToolWindow(ToolWindow::kOffsetDialog);
    if (g_pickedPoint != 0) {
        ClearPickedPoints();
        FullRepaintView();
    }
}
