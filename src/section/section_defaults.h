#pragma once
// Start-up settings of the route, section and mesh calculations.
#include <cstdint>

extern double g_crossSectionInterval;  // section point spacing; travels in the route file
extern int32_t g_sectionIntervalMode;
extern int32_t g_sectionInterpolation;
extern int32_t g_calcLongCrossings;
extern int32_t g_planSurfaceOnly;

// Sets the route parameters, the section options and the mesh parameters to their
// defaults; leaves g_outputSingleCurveSp, g_makeAuxStations and g_routeTolerance alone.
void InitRouteSectionDefaults();
