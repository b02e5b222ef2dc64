#include "view/display_settings.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "contour/contour_dialog.h"
#include "platform/text_io.h"
#include "shell/height_scale.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/display_layers_settings.h"
#include "view/view_state.h"

namespace {
double ClampSlopeLineAngle(double degrees) {
    if (!(degrees >= 0)) return 0;  // also NaN
    return degrees >= 89 ? 89 : degrees;
}

std::string AngleText(double degrees) { return FormatString("%4.2f", degrees); }

bool HasPercent(const std::string& text) { return text.find('%') != std::string::npos; }

std::function<void()>& BarRefresh() {
    static std::function<void()> refresh;
    return refresh;
}
}  // namespace

void SetHeightScaleBarRefresh(std::function<void()> refresh) { BarRefresh() = std::move(refresh); }
void RefreshHeightScaleBar() {
    if (BarRefresh()) BarRefresh()();
}

HeightScaleBarRefresh UpdateHeightScaleBar(HeightScaleBarState& bar, bool birdsEyeOn) {
    HeightScaleBarRefresh r;
    if (birdsEyeOn && bar.enabled) {
        r.show = !bar.shown;
        bar.shown = true;
    } else if (bar.shown) {
        r.hide = true;
        bar.shown = false;
    }
    if (g_heightScale != bar.lastShown) {
        bar.lastShown = g_heightScale;
        r.text = FormatString(" %3.1f", g_heightScale);
    }
    return r;
}

bool WheelHeightScaleBar(int wheelDelta) {
    const double before = g_heightScale;
    g_heightScale = StepHeightScale(g_heightScale, wheelDelta);
    return g_heightScale != before;
}

bool LeaveHeightScaleField(const HeightScaleBarState& bar, const std::string& text) {
    if (text.empty()) return false;
    double v = std::atof(text.c_str());
    if (!(v >= 0.01)) v = 0.1;  // also NaN
    if (v > 100) v = 100;
    g_heightScale = v;
    return v != bar.lastShown;
}

std::string OpenSimpleContourDialog() {
    if (g_simpleContourInterval < 0) g_simpleContourInterval = 0;
    return FormatString("%3.3f", g_simpleContourInterval);
}

std::string LeaveSimpleContourField(const std::string& text) {
    const double a = std::atof(text.c_str());
    if (a > 0) {
        g_simpleContourInterval = a;
        g_simpleContourIndexInterval = SimpleContourIndexIntervalFor(a);
    } else if (a == 0) {
        g_simpleContourInterval = 0;
    }
    return FormatString("%3.3f", g_simpleContourInterval);
}

SlopeLineDialogValues OpenSlopeLineDialog() {
    ColorBandParams& p = g_colorBandParams;
    SlopeLineDialogValues v;
    v.percent = (g_showSlopeLines & kSlopeLabelsPercent) != 0;
    v.labels = SlopeLabelsWanted(g_showSlopeLines);
    v.gentle = AngleText(p.gentleSlope);
    v.steep = AngleText(p.steepSlope);
    v.decimals = FormatString(" %d", p.slopeLineSetting);
    if ((g_showSlopeLines & kSlopeLabelsPercentSign) != 0) v.decimals += "%";
    g_colorBandParamsCopy.gentleSlope = p.gentleSlope;
    g_colorBandParamsCopy.steepSlope = p.steepSlope;
    g_colorBandParamsCopy.slopeLinesShown = g_showSlopeLines;
    return v;
}

std::string LeaveGentleSlopeField(const std::string& text) {
    g_colorBandParams.gentleSlope = ClampSlopeLineAngle(std::atof(text.c_str()));
    return AngleText(g_colorBandParams.gentleSlope);
}

std::string LeaveSteepSlopeField(const std::string& text) {
    g_colorBandParams.steepSlope = ClampSlopeLineAngle(std::atof(text.c_str()));
    return AngleText(g_colorBandParams.steepSlope);
}

std::string LeaveSlopeDecimalsField(const std::string& text) {
    int d = std::atoi(text.c_str());
    if (d < 0) d = 0;
    if (d > 4) d = 5;
    g_colorBandParams.slopeLineSetting = d;
    std::string shown = FormatString(" %d", d);
    if (HasPercent(text)) shown += "%";
    return shown;
}

void AcceptSlopeLineDialog(const SlopeLineDialogValues& values) {
    g_showSlopeLines = kSlopeLinesOn;
    if (!values.labels) return;
    if (!values.percent)
        g_showSlopeLines |= kSlopeLabelsDegrees;
    else
        g_showSlopeLines |= kSlopeLabelsPercent | (HasPercent(values.decimals) ? kSlopeLabelsPercentSign : 0);
}

void CancelSlopeLineDialog() {
    g_colorBandParams.gentleSlope = g_colorBandParamsCopy.gentleSlope;
    g_colorBandParams.steepSlope = g_colorBandParamsCopy.steepSlope;
    g_showSlopeLines = 0;
}
