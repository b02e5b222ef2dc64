#include "shell/mode_toolbars.h"

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "shell/shell_conditions.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {
constexpr int kSlice[] = {32889, 32901, 32893, 32892, 32895, 32896, 32837, 32842};
constexpr int kAverageEnd[] = {32811, 32808, 32976, 32809, 32810, 32806, 32817, 32911, 32818, 32980,
                               32838, 32819, 32770, 32822, 32823, 32897, 32953, 32840, 32839};
// The terrain and cross-section calculation bars hold the commands of their work.
constexpr int kTerrain[] = {32858, 32831, 32832, 32835, 32834, 32833,
                            32836, 32837, 32862, 32955, 32954};
constexpr int kMesh[] = {32869, 32903, 32877, 32878, 32807, 32806, 32888, 32953,
                         32822, 32823, 32897, 32890, 32839, 32840, 32905};
constexpr int kCrossSection[] = {32808, 32809, 32976, 32810, 32811, 32806,
                                 32817, 32819, 32770, 32823, 32822, 32953};
constexpr int kPlanning[] = {32904, 32902, 32906, 32907};
constexpr int kTinAndPoints[] = {32858, 32831, 32832, 32833, 32834, 32835, 32836, 32837, 32862,
                                 32955, 32954, 32956, 32957, 32802, 32842, 32843, 32844, 32845,
                                 32846, 32879, 32847, 32914, 32891, 32829, 32966, 33025};
constexpr int kExternal[] = {32999, 32995, 33000, 33014, 33058};

const ModeToolBarLayout kBars[] = {
    {1, 32799, "スライス数量ツール", kSlice},
    {2, 32796, "平均断面土量ツール", kAverageEnd},
    {3, 32853, "地形作成ﾂｰﾙ ﾊﾞｰ", kTerrain},
    {4, 32795, "メッシュ土量ツール", kMesh},
    {5, 32856, "横断計算ﾂｰﾙ ﾊﾞｰ", kCrossSection},
    {6, 32899, "計画ﾂｰﾙ", kPlanning},
    {7, 32909, "計画ﾂｰﾙ", kPlanning},
    {8, 32787, "三角網、ランダム点編集ツール", kTinAndPoints},
    {10, 32989, "その他ツール", kExternal},
};
}  // namespace

std::span<const ModeToolBarLayout> ModeToolBars() { return kBars; }

const ModeToolBarLayout* FindModeToolBarCommand(int commandId) {
    for (const ModeToolBarLayout& bar : kBars)
        if (bar.commandId == commandId) return &bar;
    return nullptr;
}

bool HiddenWithModeToolBars(int code) { return code != 3 && code != 5; }

void EndToolForModeToolBars() {
    if (g_toolMode == MODE_NONE) return;
    g_toolMode = MODE_NONE;
    g_outlineEditState = 0;
    ClearPicks();
    ClearPickList();
    CloseToolWindow(ToolWindow::kPointInputPanel);
}

bool ApplyModeToolBarDisplay(int code) {
    const bool tin = g_tinPresent != 0;
    if (code == 3) {
        if (tin) g_showTin = -1;
        g_showIpNames = g_showSections = g_showRoute = g_showOtherRoutes = 0;
        g_showPoints = -1;
        g_showMesh = g_showMeshElevations = g_showMeshVolumes = g_showSliceContours = 0;
    } else if (code == 5) {
        if (tin) g_showTin = -1;
        g_showIpNames = 0;
        if (CurrentShellConditions().sections) g_showSections = -1;
        if (g_ipPointCount > 1 || g_stationCount > 1) g_showRoute = -1;
        g_showOtherRoutes = g_showPoints = 0;
        g_showMesh = g_showMeshElevations = g_showMeshVolumes = 0;
        g_showDrawingContours = g_showSliceContours = 0;
    }
    return code == 8 || code == 4 || code == 2 || code == 1 || code == 3 || code == 5;
}
