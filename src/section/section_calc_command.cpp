#include "section/section_calc_command.h"

#include <cstdlib>

#include "analysis/simple_section.h"
#include "model/numeric_text.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "shell/sibling_programs.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

void ReadState(SectionCalcDialogState& s) {
    s.intervalMode = g_sectionIntervalMode == 1;
    s.curve = g_sectionInterpolation == 1;
    s.longCrossings = g_calcLongCrossings == 1;
    s.followSurface = g_followSurface != 0;
    s.planOnly = g_planSurfaceOnly == 1;
    s.intervalText = FormatString("%10.3f", g_crossSectionInterval);
}

// After a calculation: the sections shown in the bird's-eye view.
void ShowSectionsAfterCalc() {
    if (g_hasSections && g_birdsEyeOn == 1) {
        g_showSections = -1;
        g_redrawMask = -1;
        FullRepaintView();
    }
}

bool CanStartSectionCommand() {
    if (IsProgressWindowOpen()) return false;
    if (FindRunningSectionProgram(0) != 0) return false;
    g_dragState = 0;
    g_toolMode = 0;
    CloseToolWindows();
    return true;
}

}  // namespace

SectionCalcDialogState OpenSectionCalcDialog(bool hideExtras) {
    SectionCalcDialogState s;
    s.hideExtras = hideExtras;
    ReadState(s);
    return s;
}

void ClickSectionCalcControl(int id, bool checked, SectionCalcDialogState& state) {
    switch (id) {
        case kSectionModeNormal: g_sectionIntervalMode = 0; break;
        case kSectionModeInterval: g_sectionIntervalMode = 1; break;
        case kSectionStraight: g_sectionInterpolation = 0; break;
        case kSectionCurve: g_sectionInterpolation = 1; break;
        case kSectionLongCrossings: g_calcLongCrossings = checked ? 1 : 0; break;
        case kSectionFollowSurface:
            g_followSurface = checked ? 1 : 0;
            if (checked) g_planSurfaceOnly = 0;
            break;
        case kSectionPlanOnly:
            g_planSurfaceOnly = checked ? 1 : 0;
            if (checked) g_followSurface = 0;
            break;
        default: break;
    }
    ReadState(state);
}

std::string SectionIntervalFieldLeft(const std::string& typed) {
    double v = 0;
    if (ParseDialogNumber(typed, &v) && v > 0) g_crossSectionInterval = v;
    return FormatString("%10.3f", g_crossSectionInterval);
}

void StartSectionCalcDialog() {
    if (g_sectionIntervalMode == 1) {
        g_followSurface = 0;
        g_planSurfaceOnly = 0;
    }
}

int OnTinSectionCalc(const SectionCommandHooks& hooks) {
    if (!CanStartSectionCommand()) return 0;
    int result = 0;
    bool simple = false;
    if (g_tinEdgeCount > 3) {
        const int answer = hooks.runSectionDialog ? hooks.runSectionDialog(false) : kSectionDialogCancel;
        if (answer == kSectionDialogStart) result = CalcSectionsFromTin(0);
        else if (answer == kSectionDialogSimple) {
            result = CalcSimpleSections();
            simple = true;
            if (result != kSectionCalcNotStarted) ShowStoredSimpleSections();
        }
    } else {
        if (hooks.runPointSettingsDialog) hooks.runPointSettingsDialog();
        result = CalcSectionsFromPoints();
    }
    ShowSectionsAfterCalc();
    if (result == msg::kIdYes) {
        if (simple) {
            if (hooks.saveSimpleSections) hooks.saveSimpleSections();
        } else if (hooks.saveRouteDocument) {
            hooks.saveRouteDocument();
        }
    }
    return result;
}

int OnContourSectionCalc(const SectionCommandHooks& hooks) {
    if (!CanStartSectionCommand()) return 0;
    const int answer = hooks.runSectionDialog ? hooks.runSectionDialog(true) : kSectionDialogCancel;
    if (answer == kSectionDialogCancel) return 0;
    const int result = CalcSectionsFromContours(0);
    g_dataChanged = -1;
    if (result == msg::kIdYes) {
        ShowSectionsAfterCalc();
        if (hooks.saveRouteDocument) hooks.saveRouteDocument();
    }
    return result;
}
