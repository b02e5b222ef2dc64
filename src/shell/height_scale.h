#pragma once
// The vertical exaggeration of the bird's-eye view, set from the toolbar box.
#include <string>

#include "view/view_state.h"  // g_heightScale

constexpr double kMinHeightScale = 0.1;
constexpr double kMaxHeightScale = 50.0;

double ClampHeightScale(double value);
// The box's text read as a C decimal number (no number reads as 0), clamped.
double HeightScaleFromText(const std::string& text);
// The wheel's step at `value`: it grows with the value (0.1 below 2, 0.3 from 2, 0.5 from
// 5, 1.0 from 10).
double HeightScaleStep(double value);
// One wheel step from `value` over the box: a positive delta adds it, a negative one
// subtracts it; the result is held to the tenths the box shows.
double StepHeightScale(double value, int wheelDelta);
// The box's text for a value: "%.1f".
std::string FormatHeightScale(double value);
