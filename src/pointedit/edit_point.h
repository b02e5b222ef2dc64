#pragma once
// The template of new points: the point tools copy it into every point they add, and
// GetTinZ writes the TIN elevation into its Z.
#include <cstdint>

#include "model/terrain_data.h"

extern RandomPoint g_editPoint;

// Copies of the first and second pick (or of a snap position) for the point dialogs.
extern RandomPoint g_pickedPointRecord;
extern RandomPoint g_pickedPointRecord2;
// Snapping of new points: 0 none, 1 DXF end point, 2 on a DXF line, 3 DXF intersection;
// -1 snaps to nothing.
extern int32_t g_pointSnapMode;
