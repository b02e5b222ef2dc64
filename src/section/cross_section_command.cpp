#include "section/cross_section_command.h"

#include <algorithm>
#include <vector>

#include "analysis/simple_section.h"
#include "route/route_data.h"
#include "section/cross_section_edit.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "shell/sibling_programs.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
std::function<void()>& Repaint() {
    static std::function<void()> repaint;
    return repaint;
}
}  // namespace

void SetCrossSectionRepaint(std::function<void()> repaint) { Repaint() = std::move(repaint); }

void RepaintCrossSectionWindow() {
    if (Repaint()) Repaint()();
}

void OnCrossSectionCommand(const std::function<void()>& openWindow) {
    if (FindRunningSectionProgram(0) != 0) return;
    g_dragState = 0;
    g_toolMode = 0;
    if (!g_hasSections) {
        if (IsToolWindowOpen(ToolWindow::kSimpleSection))
            CloseToolWindow(ToolWindow::kSimpleSection);
        else if (g_simpleSectionCount > 0)
            ShowStoredSimpleSections();
        return;
    }
    if (IsToolWindowOpen(ToolWindow::kSection)) {
        CloseToolWindow(ToolWindow::kSection);
        CloseToolWindow(ToolWindow::kSimpleSection);
        return;
    }
    CloseToolWindows();
    if (openWindow) openWindow();
    if (g_simpleSectionCount > 0) ShowStoredSimpleSections();
}

void CrossSectionWindowOpened() {
    g_currentSection = 1;
    g_sectionEditMode = 0;
    g_sectionViewMode = 0;
    g_sectionHitLeftPoint = 0;
    g_sectionHitRightPoint = 0;
    g_sectionSelectedPoint = 0;
    QuickRepaintView();
}

void CrossSectionWindowClosed() {
    SetCrossSectionRepaint(nullptr);
    g_sectionEditMode = 0;
    g_sectionViewMode = 0;
    g_currentSection = 0;
    g_sectionSelectedPoint = 0;
    QuickRepaintView();
}

void SetShownSection(int32_t n) {
    g_currentSection = n;
    g_sectionSelectedPoint = 0;
    RepaintCrossSectionWindow();
    QuickRepaintView();
}

bool SelectSectionAtPoint(int32_t x, int32_t y) {
    if (g_birdsEyeOn) return false;
    if (!g_stations) return false;
    const int32_t count = std::min(g_stationCount, g_stationsBlock.Size() - 1);
    std::vector<SectionPixel> marks;
    marks.reserve(std::max(0, count));
    for (int32_t i = 1; i <= count; ++i)
        marks.push_back({g_viewportCenterX + g_stations[i].screenX, g_viewportCenterY - g_stations[i].screenY});
    const int32_t n = NearestStationMark(x, y, marks);
    if (n == 0) return false;
    SetShownSection(n);
    return true;
}
