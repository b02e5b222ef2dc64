#include "route/route_calc_dialog.h"

#include <cmath>
#include <cstdio>

#include "model/numeric_text.h"
#include "model/progress.h"
#include "route/route_calc.h"
#include "route/plus_stakes.h"
#include "route/route_data.h"
#include "route/route_lists.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_state.h"

namespace {
double* FieldValue(int id) {
    switch (id) {
        case kRouteIntervalField:
            return &g_stationInterval;
        case kRouteLeftWidthField:
            return &g_leftCutWidth;
        case kRouteRightWidthField:
            return &g_rightCutWidth;
        case kRouteBpAddedField:
            return &g_bpAddedDistance;
        case kRouteBpBackField:
            return &g_bpBackDistance;
        case kRouteEpForwardField:
            return &g_epForwardDistance;
        case kRouteToleranceField:
            return &g_routeTolerance;
        default:
            return nullptr;
    }
}

const char* FieldFormat(int id) {
    switch (id) {
        case kRouteIntervalField:
        case kRouteLeftWidthField:
        case kRouteRightWidthField:
            return "%10.3f";
        case kRouteToleranceField:
            return "%.4f";
        default:
            return "%12.5f";
    }
}
}  // namespace

std::string RouteCalcFieldText(int id) {
    char text[64];
    if (id == kRouteFirstNumberField) {
        std::snprintf(text, sizeof text, "%5d", g_firstStationNumber);
        return text;
    }
    const double* value = FieldValue(id);
    if (value == nullptr) return "";
    std::snprintf(text, sizeof text, FieldFormat(id), *value);
    return text;
}

std::string RouteCalcFieldLeft(int id, const std::string& typed) {
    double number = 0.0;
    if (ParseDialogNumber(typed, &number) && std::isfinite(number)) {
        if (id == kRouteFirstNumberField) {
            if (std::fabs(number) < 2147483647.0)
                g_firstStationNumber = static_cast<int32_t>(std::trunc(number));
        } else if (double* value = FieldValue(id)) {
            bool accepted = number >= 0.0;
            if (id == kRouteBpAddedField) accepted = true;
            if (id == kRouteToleranceField) accepted = number >= 0.0001;
            if (accepted) *value = number;
        }
    }
    return RouteCalcFieldText(id);
}

RouteCalcDialogValues OpenRouteCalcDialog() {
    RouteCalcDialogValues values;
    values.stationNamingRadio = g_stationNaming == 1   ? kRouteNamingSta
                                : g_stationNaming == 2 ? kRouteNamingAdded
                                                       : kRouteNamingNo;
    values.clothoidNamingRadio = g_clothoidNaming != 0 ? kRouteClothoidKa : kRouteClothoidBtc;
    if (g_outputSingleCurveSp != 1) g_outputSingleCurveSp = 0;
    values.singleCurveSp = g_outputSingleCurveSp == 1;
    values.auxStations = g_makeAuxStations != 0;
    return values;
}

void SelectRouteCalcRadio(int id, RouteCalcDialogValues& values) {
    switch (id) {
        case kRouteNamingNo:
            g_stationNaming = 0;
            break;
        case kRouteNamingSta:
            g_stationNaming = 1;
            break;
        case kRouteNamingAdded:
            g_stationNaming = 2;
            break;
        case kRouteClothoidBtc:
            g_clothoidNaming = 0;
            break;
        case kRouteClothoidKa:
            g_clothoidNaming = 1;
            break;
        default:
            return;
    }
    if (id == kRouteClothoidBtc || id == kRouteClothoidKa)
        values.clothoidNamingRadio = id;
    else
        values.stationNamingRadio = id;
}

void ToggleRouteSingleCurveSp(RouteCalcDialogValues& values) {
    g_outputSingleCurveSp = g_outputSingleCurveSp == 1 ? 0 : 1;
    values.singleCurveSp = g_outputSingleCurveSp == 1;
}

void SetRouteAuxStations(bool checked, RouteCalcDialogValues& values) {
    g_makeAuxStations = checked ? 1 : 0;
    values.auxStations = checked;
}

void StartRouteCalc() {
    CalcRoute();
    g_redrawMask = -1;
}

void CancelRouteCalc() { g_redrawMask = 0; }

void OnRouteCalcCommand(const std::function<void()>& runDialog) {
    if (IsProgressWindowOpen()) return;
    ResetToolMode();
    CloseToolWindows();
    // The calculation wants the stakes in order; the open stake window shows the sort.
    if (IsToolWindowOpen(ToolWindow::kPlusStake)) SortPlusStakes();
    if (runDialog) runDialog();
    RefreshStationList();
    InvalidateAndUpdateView();
}
