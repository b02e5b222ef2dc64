#pragma once
// The rules shared by the simple-contour and slope-line layers and the dialogs that set
// them. The values stay where the painter and the settings file keep them:
// g_simpleContourInterval, g_simpleContourIndexInterval, the slope-line members of
// g_colorBandParams and g_showSlopeLines.
#include <cstdint>

// Bits of g_showSlopeLines.
constexpr int32_t kSlopeLinesOn = 1;
constexpr int32_t kSlopeLabelsDegrees = 2;
constexpr int32_t kSlopeLabelsPercent = 4;  // labels in percent instead of degrees
constexpr int32_t kSlopeLabelsPercentSign = 8;  // "%" after a percent label

// The index interval that goes with a simple-contour interval: five steps, at least 1 m.
double SimpleContourIndexIntervalFor(double interval);
// Whether g_showSlopeLines-style bits ask for labels.
inline bool SlopeLabelsWanted(int32_t bits) {
    return (bits & (kSlopeLabelsDegrees | kSlopeLabelsPercent)) != 0;
}
