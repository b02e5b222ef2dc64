#include "pointedit/point_list_command.h"

#include "shell/command_routing.h"
#include "shell/tool_windows.h"

std::function<void()>& PointListWindowFactory() {
    static std::function<void()> factory;
    return factory;
}

void OnPointList() {
    if (IsToolWindowOpen(ToolWindow::kPointList)) {
        CloseToolWindow(ToolWindow::kPointList);
        return;
    }
    if (PointListWindowFactory()) PointListWindowFactory()();
}

void RegisterPointListCommands(FrameCommandTarget& commands) {
    if (PointListWindowFactory()) commands.SetHandler(32829, OnPointList);
}
