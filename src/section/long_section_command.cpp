#include "section/long_section_command.h"

#include "route/route_data.h"
#include "section/long_section.h"
#include "section/section_records.h"
#include "shell/sibling_programs.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

int32_t g_longSectionViewMode = 0;
SectionWindowRect g_longSectionWndRect = {0, 0, 0, 0};

void OnLongSectionCommand(const std::function<void()>& openWindow) {
    if (FindRunningSectionProgram(0) != 0) return;
    g_dragState = 0;
    g_toolMode = 0;
    if (IsToolWindowOpen(ToolWindow::kLongSection)) {
        CloseToolWindow(ToolWindow::kLongSection);
        return;
    }
    if (!g_hasSections || g_stationCount < 2) return;
    CloseToolWindows();
    if (openWindow) openWindow();
}

void LongSectionWindowOpened() {
    g_currentStation = 0;
    g_longSectionViewMode = 0;
    RefreshStationHeights();
}

void LongSectionWindowClosed() {
    g_currentStation = 0;
    g_longSectionViewMode = 0;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
