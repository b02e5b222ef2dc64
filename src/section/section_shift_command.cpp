#include "section/section_shift_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/section_shift.h"
#include "shell/sibling_programs.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/work_folder.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

SectionShiftState g_sectionShift;

namespace {
std::string Fixed(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %.3f", v);
    return buf;
}
std::string TakeNumber(double& value, const std::string& typed) {
    double v = value;
    if (!typed.empty() && ParseDialogNumber(typed, &v)) value = v;
    return Fixed(value);
}
}  // namespace

void OnSectionShiftCommand(const std::function<void()>& openWindow) {
    if (FindRunningSectionProgram(0) != 0) return;
    g_dragState = 0;
    g_toolMode = 0;
    if (IsToolWindowOpen(ToolWindow::kSectionShift)) {
        CloseToolWindow(ToolWindow::kSectionShift);
        return;
    }
    if (!g_hasSections) return;
    CloseToolWindows();
    if (openWindow) openWindow();
}

void SectionShiftWindowOpened() {
    g_sectionShift = SectionShiftState{};
    g_sectionShift.datum = g_pointZMin;
    g_currentSection = 1;
    g_sectionEditMode = 0;
    g_sectionViewMode = 0;
    g_sectionSelectedPoint = 0;
}

void SectionShiftWindowClosed() {
    g_sectionEditMode = 0;
    g_sectionViewMode = 0;
    g_currentSection = 0;
    g_sectionSelectedPoint = 0;
    g_redrawMask = 0;
    InvalidateAndUpdateView();
}

std::string SectionShiftAmountLeft(const std::string& typed) { return TakeNumber(g_sectionShift.shift, typed); }
std::string SectionShiftDatumLeft(const std::string& typed) { return TakeNumber(g_sectionShift.datum, typed); }

bool SaveShiftedSections() {
    FileDialogRequest request;
    request.save = true;
    request.title = "横断データの保存";
    request.filter = "横断ファイル (*.ODN)|*.ODN|すべてのファイル|*.*||";
    request.defaultExtension = "ODN";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    return WriteShiftedSections(chosen, 0) == 0;
}

bool SaveShiftedSectionsAsRandom() {
    FileDialogRequest request;
    request.save = true;
    request.title = "縦横断ランダムファイル名設定";
    request.filter = "ランダムデータ|*.RND|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    return WriteSectionPointsRnd(chosen) == 0;
}

void CurrentPlanSides(std::vector<SectionWorld>& left, std::vector<SectionWorld>& right) {
    left.clear();
    right.clear();
    if (g_currentSection < 1 || g_currentSection > g_planSectionCount) return;
    const PlanSection* plan = GetPlanSection(g_currentSection);
    if (!plan) return;
    const int32_t held = static_cast<int32_t>(plan->points.size()) - 1;
    for (int32_t j = 1; j <= std::min(plan->leftCount, held); ++j)
        left.push_back({plan->points[j].leftOffset, plan->points[j].leftHeight});
    for (int32_t j = 1; j <= std::min(plan->rightCount, held); ++j)
        right.push_back({plan->points[j].rightOffset, plan->points[j].rightHeight});
}

int32_t HitTestPlanPoint(const SectionFrame& frame, double radius, int32_t x, int32_t y) {
    std::vector<SectionWorld> left, right;
    CurrentPlanSides(left, right);
    const SectionHit hit = HitTestSectionPoints(frame, radius, x, y, left, right);
    g_sectionHitLeftPoint = hit.left;
    g_sectionHitRightPoint = hit.right;
    return hit.code;
}

std::string FormatShiftReadout(SectionWorld cursor, const SectionWorld* press) {
    char buf[200];
    if (press == nullptr) {
        std::snprintf(buf, sizeof buf, "D:%+7.3f H:%7.3f%44s", cursor.offset, cursor.height, "");
        return buf;
    }
    const double dd = cursor.offset - press->offset;
    const double v = cursor.height - press->height;
    const double r = std::sqrt(dd * dd + v * v);
    const double grade = r < 0.01 ? 0.0 : v / r * 100.0;
    std::snprintf(buf, sizeof buf, "D:%+7.3f H:%7.3f R:%.3fm P:%.3f%% V:%.3fm             ", cursor.offset,
                  cursor.height, r, grade, v);
    return buf;
}
