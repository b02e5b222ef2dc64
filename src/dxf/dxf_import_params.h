#pragma once
// The choices made before a DXF drawing is read as points: entity kinds, axes, unit,
// extents and spline smoothness. The smoothness is shared with the background reader.
#include <cstdint>

// Spline smoothness, 0 to 100; the background reader samples splines with it.
extern int32_t g_dxfSplineQuality;

struct DxfImportParams {
    int32_t read3dFace;
    int32_t readArc;
    int32_t readCircle;
    int32_t readLine;
    int32_t readPoint;
    int32_t readSolid;
    int32_t readText;
    int32_t readVertex;
    int32_t readBlocks;
    int32_t readMText;
    int32_t readSpline;
    int32_t xyMode;  // 0: the drawing's y axis is north; 1: its x axis is north
    int32_t unit;    // -1 mm, 0 m, 1 km
    int32_t clipToExtents;
    int32_t splineQuality;
};

// The values the dialog opens with.
DxfImportParams StartDxfImportParams();
// Slider position (0 to 5) of a smoothness.
int32_t DxfSplineSliderPosition(int32_t quality);
// One slider step up (+1) or down (-1), kept inside 0..5.
int32_t StepDxfSplineSlider(int32_t position, int32_t step);
// Shift-click on the dialog: every kind cleared when all eleven are set, else all set.
void ToggleAllDxfKinds(DxfImportParams& params);
// 開始: the smoothness of the slider position becomes the shared setting.
void StartDxfImport(DxfImportParams& params, int32_t sliderPosition);
