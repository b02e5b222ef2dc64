#include "shell/setting_params.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "contour/contour_dialog.h"
#include "view/birds_eye_projection.h"
#include "view/display_flags.h"
#include "view/display_layers_settings.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

using namespace setting_dlg;

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

void FullRedraw() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void RedrawWhen(int32_t shown) {
    if (shown) FullRedraw();
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The number at the start of the text; false for no number or a non-finite one.
bool ReadNumber(const std::string& typed, double& value) {
    const std::string text = typed.substr(0, kEditChars);
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) value = 0;  // no number reads as 0
    return std::isfinite(value);
}
}  // namespace

std::array<int, 6> CheckedSettingRadios() {
    const int decimals[] = {kDecimals0, kDecimals1, kDecimals2};
    const int dots[] = {kDot1, kDot2, kDot3};
    return {g_elevationDecimals >= 0 && g_elevationDecimals <= 2 ? decimals[g_elevationDecimals] : kDecimals3,
            g_overviewExtent == 0   ? kOverviewAll
            : g_overviewExtent == 1 ? kOverviewUsed
                                    : kOverviewInside,
            g_showRouteCrossSections ? kRouteSectionsOn : kRouteSectionsOff,
            g_showOtherRouteCrossSections ? kOtherSectionsOn : kOtherSectionsOff,
            g_rotationAxis ? kAxisForeAft : kAxisVertical,
            g_penSize >= 1 && g_penSize <= 3 ? dots[g_penSize - 1] : kDot4};
}

void OnSettingRadio(int id) {
    switch (id) {
        case kDecimals0:
        case kDecimals1:
        case kDecimals2:
        case kDecimals3:
            g_elevationDecimals = id - kDecimals0;
            RedrawWhen(g_showPointElevations);
            break;
        case kOverviewAll:
            g_overviewExtent = 0;
            break;
        case kOverviewUsed:
            g_overviewExtent = 1;
            break;
        case kOverviewInside:
            g_overviewExtent = 2;
            break;
        case kRouteSectionsOn:
        case kRouteSectionsOff:
            g_showRouteCrossSections = id == kRouteSectionsOn ? 1 : 0;
            RedrawWhen(g_showRoute);
            break;
        case kOtherSectionsOn:
        case kOtherSectionsOff:
            g_showOtherRouteCrossSections = id == kOtherSectionsOn ? 1 : 0;
            RedrawWhen(g_showOtherRoutes);
            break;
        case kAxisVertical:
        case kAxisForeAft:
            g_rotationAxis = id == kAxisForeAft ? 1 : 0;
            FullRedraw();
            break;
        case kDot1:
        case kDot2:
        case kDot3:
        case kDot4:
            g_penSize = id == kDot1 ? 1 : id == kDot2 ? 2 : id == kDot3 ? 3 : 0;
            FullRedraw();
            break;
        default:
            break;
    }
}

std::string SimpleIntervalText() { return Format("%8.3f", g_simpleContourInterval); }

std::string CursorStepText() {
    // A step typed as 29 is held as 0.29, whose hundredfold lies just below 29.
    char text[32];
    std::snprintf(text, sizeof text, "%3d", static_cast<int>(g_cursorStep * 100 + 1e-9));
    return text;
}

std::string AzimuthText() {
    double degrees = g_birdsEyeAzimuth * kRadToDeg;
    if (degrees < 0) degrees += 360;
    return Format("%.1f", degrees);
}

std::string TiltText() { return Format("%.1f", g_birdsEyeTilt * kRadToDeg); }

std::string OnSimpleIntervalEdit(const std::string& typed) {
    double v = 0;
    if (typed.empty() || !ReadNumber(typed, v) || !(v > 0)) return typed;
    g_simpleContourInterval = v;
    g_simpleContourIndexInterval = SimpleContourIndexIntervalFor(v);
    RedrawWhen(g_showSimpleContours);
    return SimpleIntervalText();
}

std::string OnCursorStepEdit(const std::string& typed) {
    double v = 0;
    if (typed.empty() || !ReadNumber(typed, v) || !(v > 0)) return typed;
    g_cursorStep = std::clamp(v * 0.01, 0.01, 1.0);
    return CursorStepText();
}

std::string OnAzimuthEdit(const std::string& typed) {
    double a = 0;
    if (!ReadNumber(typed, a) || a < 0 || a > 360) return AzimuthText();
    g_birdsEyeAzimuth = (a > 180 ? a - 360 : a) * kDegToRad;
    RedrawWhen(g_birdsEyeOn);
    return typed;
}

std::string OnTiltEdit(const std::string& typed) {
    double x = 0;
    if (!ReadNumber(typed, x) || x < -90 || x > 30) return TiltText();
    g_birdsEyeTilt = x * kDegToRad;
    RedrawWhen(g_birdsEyeOn);
    return typed;
}
