#include "view/display_layers_settings.h"

#include <algorithm>

#include "contour/contour_dialog.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"

DisplayLayersSettings DefaultDisplayLayersSettings() {
    const ColorBandParams p = DefaultColorBandParams();
    DisplayLayersSettings s{};
    s.simpleContourInterval = 1.0;
    s.simpleContourIndexInterval = 5.0;
    s.gentleSlopeAngle = p.gentleSlope;
    s.steepSlopeAngle = p.steepSlope;
    s.slopeLabelDecimals = p.slopeLineSetting;
    s.showSlopeLines = 0;
    return s;
}

DisplayLayersSettings CurrentDisplayLayersSettings() {
    DisplayLayersSettings s{};
    s.simpleContourInterval = g_simpleContourInterval;
    s.simpleContourIndexInterval = g_simpleContourIndexInterval;
    s.gentleSlopeAngle = g_colorBandParams.gentleSlope;
    s.steepSlopeAngle = g_colorBandParams.steepSlope;
    s.slopeLabelDecimals = g_colorBandParams.slopeLineSetting;
    s.showSlopeLines = g_showSlopeLines;
    return s;
}

void ApplyDisplayLayersSettings(const DisplayLayersSettings& s) {
    g_simpleContourInterval = s.simpleContourInterval;
    g_simpleContourIndexInterval = s.simpleContourIndexInterval;
    g_colorBandParams.gentleSlope = s.gentleSlopeAngle;
    g_colorBandParams.steepSlope = s.steepSlopeAngle;
    g_colorBandParams.slopeLineSetting = s.slopeLabelDecimals;
    g_showSlopeLines = s.showSlopeLines;
    g_colorBandParams.slopeLinesShown = s.showSlopeLines;
}

double SimpleContourIndexIntervalFor(double interval) { return std::max(5 * interval, 1.0); }
