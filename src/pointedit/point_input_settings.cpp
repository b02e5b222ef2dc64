#include "pointedit/point_input_settings.h"

#include <cmath>

#include "dxf/dxf_store.h"
#include "model/numeric_text.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"

double g_elevationWheelStep = 1.0;
int32_t g_coordInputSnap = 0;

namespace {
constexpr double kSmallestStep = 0.001;

bool ClearPicksWhenMoved(double before) {
    if (std::fabs(g_newPointZ - before) < kSmallestStep) return false;
    ClearPicks();
    return true;
}
}  // namespace

bool ApplyElevationText(const std::string& text) {
    const double before = g_newPointZ;
    const size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && (text[first] == 's' || text[first] == 'S')) {
        double step = 0;
        if (ParseDialogNumber(text.substr(first + 1), &step))
            g_elevationWheelStep = step < 0 ? kSmallestStep : step;
        return false;
    }
    double z = 0;
    if (ParseDialogNumber(text, &z)) g_newPointZ = z;
    return ClearPicksWhenMoved(before);
}

bool WheelElevation(int delta) {
    const double before = g_newPointZ;
    const double step = g_elevationWheelStep;
    if (step <= 0) {
        // A step of 0 has no multiples to snap to; the wheel still moves the smallest step.
        g_newPointZ += delta > 0 ? kSmallestStep : -kSmallestStep;
    } else {
        g_newPointZ += delta > 0 ? step : -step;
        if (step - std::floor(step) < kSmallestStep)
            g_newPointZ = std::trunc(g_newPointZ / step) * step;
    }
    return ClearPicksWhenMoved(before);
}

std::string ElevationFieldText() { return FormatString("%.3f", g_newPointZ); }

std::string CutPointNameText(const std::string& cp932) {
    return cp932.substr(0, Cp932PrefixLength(cp932, sizeof(RandomPoint::name) - 1));
}

void SetNewPointNameText(const std::string& cp932) { g_newPointName = CutPointNameText(cp932); }

void SelectNewPointMethod(int32_t method) {
    g_newPointMethod = method;
    if (method != 0) ClearPicks();
}

PointInputPanelStart StartPointInputPanel() {
    PointInputPanelStart start;
    if (g_pointSnapMode == -1) {
        g_pointSnapMode = 0;
        start.snapEnabled = false;
    }
    start.elevationEnabled = g_newPointMethod == 0;
    return start;
}

CoordInputStart StartCoordInputDialog() {
    CoordInputStart start;
    start.dxfEnabled = g_dxfElementCount > 0;
    start.randomEnabled = g_pointCount > 0;
    if (!start.dxfEnabled && (g_coordInputSnap == 1 || g_coordInputSnap == 2 || g_coordInputSnap == 4))
        g_coordInputSnap = 0;
    if (!start.randomEnabled && g_coordInputSnap == 3) g_coordInputSnap = 0;
    return start;
}
