#include "shell/height_scale.h"

#include <cmath>
#include <cstdlib>

#include "platform/text_io.h"

double ClampHeightScale(double value) {
    if (!(value >= kMinHeightScale)) return kMinHeightScale;  // also NaN
    if (value > kMaxHeightScale) return kMaxHeightScale;
    return value;
}

double HeightScaleFromText(const std::string& text) {
    return ClampHeightScale(std::atof(text.c_str()));
}

double HeightScaleStep(double value) {
    if (value >= 10.0) return 1.0;
    if (value >= 5.0) return 0.5;
    if (value >= 2.0) return 0.3;
    return 0.1;
}

double StepHeightScale(double value, int wheelDelta) {
    const double step = HeightScaleStep(value);
    if (wheelDelta > 0)
        value += step;
    else if (wheelDelta < 0)
        value -= step;
    else
        return ClampHeightScale(value);
    // Held to the tenths the box shows, so that repeated steps do not drift below a
    // threshold (1.9999... would step like 1.9).
    return ClampHeightScale(std::round(value * 10.0) / 10.0);
}

std::string FormatHeightScale(double value) { return FormatString("%.1f", value); }
