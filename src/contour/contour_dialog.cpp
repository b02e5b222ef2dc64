#include "contour/contour_dialog.h"

#include <cmath>
#include <cstdlib>

#include "contour/contour_calc.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "view/view_painter.h"
#include "view/view_state.h"

double g_simpleContourIndexInterval = 5.0;

namespace {
std::function<void()> g_opener;
bool g_starting = false;

double ParseNumber(const std::string& text) { return std::strtod(text.c_str(), nullptr); }
}  // namespace

void ProposeContourParameters() {
    bool any = false;
    double zMin = 0, zMax = 0, xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (int32_t i = 1; i <= g_pointCount && g_points[i].hidden != kEndMarker; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0 || p.outside != 0) continue;
        if (!any) {
            zMin = zMax = p.z;
            xMin = xMax = p.x;
            yMin = yMax = p.y;
            any = true;
        }
        zMin = std::min(zMin, p.z), zMax = std::max(zMax, p.z);
        xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
    }
    g_pointZMin = zMin;
    g_pointZMax = zMax;
    if (g_contourMinZ == 0 && g_contourMaxZ == 0) {
        g_contourMinZ = std::trunc(zMin);
        g_contourMaxZ = std::trunc(zMax);
    }
    if (g_contourInterval == 0) {
        const double range = std::fabs(g_contourMaxZ - g_contourMinZ);
        g_contourInterval = range < 50 ? 1 : range < 100 ? 2 : 5;
    }
    if (g_indexContourInterval == 0) {
        g_indexContourInterval = std::trunc(5 * g_contourInterval);
        g_contourMinZ = g_contourInterval * std::trunc(g_contourMinZ / g_contourInterval);
    }
    if (g_contourSmoothness == 0)
        g_contourSmoothness = 0.002 * std::hypot(xMax - xMin, yMax - yMin);
    g_toolMode = 0;
    g_pointEditState = 0;
    g_outlineEditState = 0;
}

std::string ContourEditText(int id) {
    using namespace contour_dlg;
    switch (id) {
        case kMinZ:
            return FormatString("%8.3f", g_contourMinZ);
        case kMaxZ:
            return FormatString("%8.3f", g_contourMaxZ);
        case kInterval:
            return FormatString("%8.3f", g_contourInterval);
        case kIndexInterval:
            return FormatString("%8.3f", g_indexContourInterval);
        case kSmoothness:
            return FormatString("%8.3f", g_contourSmoothness);
        case kTolerance:
            return FormatString("%9.6f", g_contourLevelTolerance);
        case kPointMinZ:
            return FormatString("(%8.3f)m", g_pointZMin);
        case kPointMaxZ:
            return FormatString("(%8.3f)m", g_pointZMax);
        default:
            return "";
    }
}

ContourEditRead ReadContourEdit(int id, const std::string& text) {
    using namespace contour_dlg;
    const double v = ParseNumber(text);
    // A stored infinity or NaN would be taken as a value by every later step.
    const bool positive = std::isfinite(v) && v > 0;
    switch (id) {
        case kMinZ:
            g_contourMinZ = v;
            return ContourEditRead::kStored;
        case kMaxZ:
            g_contourMaxZ = v;
            return ContourEditRead::kStored;
        case kTolerance:
            if (!ContourToleranceUsable(v)) {
                ShowMessage(kContourToleranceMessage, "", msg::kOk | msg::kIconInformation);
                return ContourEditRead::kRefused;
            }
            g_contourLevelTolerance = v;
            return ContourEditRead::kStored;
        case kIndexInterval:
            if (!positive) return ContourEditRead::kIgnored;
            g_indexContourInterval = v;
            return ContourEditRead::kStored;
        case kSmoothness:
            if (!positive) return ContourEditRead::kIgnored;
            g_contourSmoothness = v;
            return ContourEditRead::kStored;
        case kInterval: {
            if (!positive) {
                // Keeping the old interval unsaid would start the next calculation with it.
                ShowMessage("主曲線間隔には0より大きい数値を入力してください。", "",
                            msg::kOk | msg::kIconInformation);
                return ContourEditRead::kRefused;
            }
            g_contourInterval = v;
            g_indexContourInterval = v < 1 ? 1 : 5 * v;
            g_simpleContourIndexInterval = g_indexContourInterval;
            const double q = g_contourMinZ / v;
            const double f = q - std::trunc(q);
            if (std::fabs(f) >= 0.000001 && std::fabs(f - 1) >= 0.000001)
                ShowMessage("最低標高が主曲線間隔の倍数でありません", "",
                            msg::kOk | msg::kIconInformation);
            return ContourEditRead::kStored;
        }
        default:
            return ContourEditRead::kIgnored;
    }
}

void StartContourCalculation() {
    if (g_starting || IsProgressWindowOpen()) return;
    g_starting = true;
    const ContourCalcResult result = CalcContours(g_contourMethod);
    g_starting = false;
    // Only files this calculation wrote count as contours; a refused one leaves the state
    // as it was.
    if (result == ContourCalcResult::kDone || result == ContourCalcResult::kStopped) {
        g_showDrawingContours = -1;
        g_drawingContoursLoaded = -1;
    } else if (result == ContourCalcResult::kFileError) {
        // A replace run may have truncated the files before failing: they hold no contours.
        g_showDrawingContours = 0;
        g_drawingContoursLoaded = 0;
    }
    g_dataChanged = -1;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void SetContourDialogOpener(std::function<void()> open) { g_opener = std::move(open); }

void OnContourCommand() {
    if (IsProgressWindowOpen()) return;
    if (IsToolWindowOpen(ToolWindow::kContourCalc)) {
        CloseToolWindow(ToolWindow::kContourCalc);
        return;
    }
    ResetToolMode();
    g_pointEditState = 0;
    g_outlineEditState = 0;
    if (g_opener) g_opener();
}
