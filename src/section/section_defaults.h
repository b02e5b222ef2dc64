#pragma once
// Start-up settings of the route, section and mesh calculations.
#include <cstdint>

extern double g_crossSectionInterval;  // section point spacing; travels in the route file
extern int32_t g_sectionIntervalMode;  // 0 the crossings, 1 points every g_crossSectionInterval
extern int32_t g_sectionInterpolation;  // interval mode: 0 straight, 1 curve
extern int32_t g_calcLongCrossings;
extern int32_t g_followSurface;
extern int32_t g_planSurfaceOnly;

// Cross-section window state.
extern int32_t g_sectionEditMode;
extern int32_t g_sectionViewMode;
struct SectionWindowRect {
    int32_t left, top, right, bottom;  // left = right = 0: none saved
};
extern SectionWindowRect g_sectionWndRect;
constexpr int32_t kSectionViewColorSlots = 16;
extern uint32_t g_sectionViewColors[kSectionViewColorSlots];  // 0x00RRGGBB
// The eleven colours of the section windows as at program start.
void ResetSectionViewColors();

// Sets the route parameters, the section options and window state, the section record
// globals (no blocks, nothing counted) and the mesh parameters to their defaults; leaves
// g_outputSingleCurveSp, g_makeAuxStations and g_routeTolerance alone.
void InitRouteSectionDefaults();
