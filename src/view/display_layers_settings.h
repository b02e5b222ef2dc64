#pragma once
// The values the simple-contour and slope-line layers read, gathered in one record for
// the dialogs that edit them. The values themselves stay where the painter and the
// settings file keep them: g_simpleContourInterval, g_simpleContourIndexInterval, the
// slope-line members of g_colorBandParams and g_showSlopeLines.
#include <cstdint>

// Bits of g_showSlopeLines.
constexpr int32_t kSlopeLinesOn = 1;
constexpr int32_t kSlopeLabelsDegrees = 2;
constexpr int32_t kSlopeLabelsPercent = 4;  // labels in percent instead of degrees
constexpr int32_t kSlopeLabelsPercentSign = 8;  // "%" after a percent label

struct DisplayLayersSettings {
    double simpleContourInterval;       // metres; 0 = no simple contours
    double simpleContourIndexInterval;  // every level on a multiple of it is an index line
    double gentleSlopeAngle;            // degrees, 0 .. 89: flatter triangles get no line
    double steepSlopeAngle;             // degrees, 0 .. 89: steeper ones get the steep colour
    int32_t slopeLabelDecimals;         // 0 .. 5
    int32_t showSlopeLines;             // bits above; 0 = off
};

DisplayLayersSettings DefaultDisplayLayersSettings();
// The record as the globals hold it now, and back.
DisplayLayersSettings CurrentDisplayLayersSettings();
void ApplyDisplayLayersSettings(const DisplayLayersSettings& s);

// The index interval that goes with a simple-contour interval: five steps, at least 1 m.
double SimpleContourIndexIntervalFor(double interval);
// Whether g_showSlopeLines-style bits ask for labels.
inline bool SlopeLabelsWanted(int32_t bits) {
    return (bits & (kSlopeLabelsDegrees | kSlopeLabelsPercent)) != 0;
}
