#pragma once
// Projection of every drawable record to its screen offsets (see view_state.h for the
// conventions). The painter, the pick overlay and the picking operations only read the
// stored values.
#include <cstdint>

#include "model/terrain_data.h"

extern int32_t g_projectionValid;  // 1 after a view projection, 0 after a fit-mode one
extern double g_fitScale;          // scale of the last fit-mode projection
extern double g_focalLength;

// n = 0: project all data for the current view (plan or bird's-eye). n > 0: fit mode, all
// data in plan form on an n-pixel square around the centre of the data extents.
void ProjectAllData(int32_t n);

// Projects one point-shaped record for the current view, plan or bird's-eye.
void ProjectRecord(RandomPoint& record);

// The bird's-eye form of ProjectAllData: builds the camera, then projects every record.
void ProjectBirdsEye();
// Its second half: every record with the camera as it stands.
void ProjectRecordsBirdsEye();
