#include "section/earthwork_command.h"

#include <utility>

#include "model/numeric_text.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/station_files.h"
#include "section/earthwork.h"
#include "section/earthwork_output.h"
#include "section/section_calc.h"
#include "section/section_files.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "shell/tool_windows.h"
#include "shell/work_folder.h"
#include "view/view_history.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"

const char* const kEarthworkFileFilter = "横断データ|*.ODN|";

namespace {

EarthworkHooks g_earthworkHooks;

constexpr const char* kCannotReadSections = "横断データを読み込めません。\n%s";

void Repaint() {
    g_redrawMask = -1;
    FullRepaintView();
}

std::string ChooseSectionFile(const char* title) {
    FileDialogRequest request;
    request.title = title;
    request.filter = kEarthworkFileFilter;
    request.folder = g_workFolder;
    return RunFileDialog(request);
}

}  // namespace

void SetEarthworkHooks(EarthworkHooks hooks) { g_earthworkHooks = std::move(hooks); }
const EarthworkHooks& CurrentEarthworkHooks() { return g_earthworkHooks; }

EarthworkCalcDialogState OpenEarthworkCalcDialog() {
    EarthworkCalcDialogState s;
    s.rateText = FormatString(" %6.3f", g_diversionRate);
    s.toleranceText = FormatString(" %.3f", g_areaTolerance);
    s.judgeText = FormatString(" %.3f", s.judgeDistance);
    return s;
}

bool EarthworkPlanSelectable() { return g_earthworkCurrentLoaded != 0; }
bool EarthworkCalcAllowed() { return g_earthworkCurrentLoaded != 0 && g_earthworkPlanLoaded != 0; }
std::string EarthworkCurrentPathText() { return g_earthworkCurrentPath; }
std::string EarthworkPlanPathText() { return g_earthworkPlanPath; }

bool SelectEarthworkCurrentFile() {
    const std::string chosen = ChooseSectionFile("現況横断データ読み込み");
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    CloseToolWindows();
    // The stations of the same base name place the sections on the plan.
    ReadRsnFile(chosen);
    if (g_stationCount < 1) {
        ShowMessage(kNoStationsMessage, "", msg::kOk | msg::kIconInformation);
        return false;
    }
    if (ReadOdnFile(chosen) != 0) {
        ShowMessage(FormatString(kCannotReadSections, chosen.c_str()), "", msg::kOk | msg::kIconError);
        return false;
    }
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ResetViewHistory();
    Repaint();
    return true;
}

bool SelectEarthworkPlanFile() {
    const std::string chosen = ChooseSectionFile("計画横断データ読み込み");
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    CloseToolWindows();
    const bool ok = ReadPlanOdnFile(chosen) == 0;
    if (!ok) ShowMessage(FormatString(kCannotReadSections, chosen.c_str()), "", msg::kOk | msg::kIconError);
    Repaint();
    return ok;
}

namespace {
int32_t* DecimalsSlot(int32_t which) {
    switch (which) {
        case 0: return &g_areaDecimals;
        case 1: return &g_meanAreaDecimals;
        case 2: return &g_volumeDecimals;
        case 3: return &g_distanceDecimals;
        default: return nullptr;
    }
}
}  // namespace

void SetEarthworkDecimals(int32_t which, int32_t value) {
    if (int32_t* slot = DecimalsSlot(which); slot != nullptr && value >= 0 && value <= 3) *slot = value;
}

int32_t EarthworkDecimals(int32_t which) {
    const int32_t* slot = DecimalsSlot(which);
    return slot ? *slot : 0;
}

std::string EarthworkRateLeft(const std::string& typed) {
    double v = 0;
    if (ParseDialogNumber(typed, &v) && v > 0) g_diversionRate = v;
    return FormatString(" %6.3f", g_diversionRate);
}

std::string EarthworkToleranceLeft(const std::string& typed) {
    double v = 0;
    if (ParseDialogNumber(typed, &v) && v > 0) g_areaTolerance = v;
    return FormatString("%.3f", g_areaTolerance);
}

std::string EarthworkJudgeLeft(const std::string& typed, EarthworkCalcDialogState& state) {
    double v = 0;
    if (ParseDialogNumber(typed, &v) && v >= 0) state.judgeDistance = v;
    state.judgeText = FormatString("%.3f", state.judgeDistance);
    return state.judgeText;
}

void OnEarthworkCalc() {
    EarthworkCalcDialogState state = OpenEarthworkCalcDialog();
    if (!g_earthworkHooks.runCalcDialog || !g_earthworkHooks.runCalcDialog(state)) return;
    if (!EarthworkCalcAllowed()) return;
    CalcEarthwork();
    if (state.duplicateTest) AdjustCrossSectionPoints(state.judgeDistance, state.adjust ? 1 : 0);
    if (ShowMessage(EarthworkResultMessage(), "", msg::kYesNo | msg::kIconInformation) == msg::kIdYes) {
        FileDialogRequest request;
        request.save = true;
        request.defaultExtension = "OPL";
        request.filter = "土量計算横断データ|*.OPL| すべてのファイル|*.*|";
        request.title = "土量計算横断ファイル名設定";
        request.folder = g_workFolder;
        const std::string chosen = RunFileDialog(request);
        if (!chosen.empty()) {
            g_lastFolder = FolderOfPath(chosen);
            g_earthworkOutputPath = WithDefaultExtension(chosen, "OPL");
            WriteOplFile();
            WriteSd2File();
        }
    }
    if (g_earthworkHooks.runListDialog) g_earthworkHooks.runListDialog();
}

bool VolumeListEnabled() { return g_crossSectionCount > 0; }

void OnVolumeList() {
    if (!VolumeListEnabled()) return;
    if (g_earthworkHooks.runListDialog) g_earthworkHooks.runListDialog();
}
