#pragma once
// The template of new points: the point tools copy it into every point they add, and
// GetTinZ writes the TIN elevation into its Z.
#include "model/terrain_data.h"

extern RandomPoint g_editPoint;
