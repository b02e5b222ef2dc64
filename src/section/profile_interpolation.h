#pragma once
// Heights between the points of one side of g_profile (side 0 left, 1 right; entries
// 0..count sorted by distance, entry 0 the centre), for sections at a fixed spacing.
#include <cstdint>

// Straight-line height at distance d: 1 when d lies within the set, else 0 with height 0.
int32_t InterpolateProfileHeight(int32_t side, double d, double* height);

// Local Lagrange curve through up to four neighbours, falling back to simpler forms when
// it swings farther than the tolerance from the two bracketing heights. With useGiven 0
// the tolerance is at least givenTolerance.
int32_t InterpolateProfileCurve(int32_t useGiven, int32_t side, double givenTolerance, double d,
                                double* height);
