#include "view/view_state.h"

#include <algorithm>
#include <cmath>

double g_viewCenterX = 0;
double g_viewCenterY = 0;
double g_viewScale = 25.6;

int32_t g_birdsEyeOn = 0;
double g_birdsEyeAzimuth = 0;
double g_birdsEyeTilt = -0.2;
double g_birdsEyeRoll = 0;
double g_heightScale = 1.0;
double g_rotateStep = 0.174533;
double g_cursorStep = 0.2;

double g_extentCenterX = 0;
double g_extentCenterY = 0;
double g_extentCenterZ = 0;
double g_extentSize = 20.0;
double g_dataBaseZ = 0;
int32_t g_overviewExtent = 0;
int32_t g_pointColorMode = 0;

ScrollInfo g_horzScrollInfo{};
ScrollInfo g_vertScrollInfo{};

double g_eyeX = 0;
double g_eyeY = 0;
double g_eyeZ = 0;
double g_nearPlane = 0;
double g_cameraMatrix[9] = {};
double g_birdsEyeMatrix[9] = {};
double g_cameraMatrixPlain[9] = {};

int32_t g_redrawMask = 0;

int32_t g_showTin = 0;

int32_t g_pickedPoint = 0;
int32_t g_pickedPoint2 = 0;
int32_t g_pickedPoint3 = 0;
int32_t g_pickedPoint4 = 0;

void SetViewScale(double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) return;
    g_viewScale = std::clamp(scale, kMinViewScale, kMaxViewScale);
}

void SetStartViewDefaults() {
    g_extentSize = 20.0;
    g_extentCenterX = g_viewCenterX = 0.0;
    g_extentCenterY = g_viewCenterY = 0.0;
    g_extentCenterZ = 0.0;
    g_viewScale = 25.6;
}

namespace {
std::function<void()>& RepaintHandler() {
    static std::function<void()> handler;
    return handler;
}
}  // namespace

void InvalidateAndUpdateView() {
    if (RepaintHandler()) RepaintHandler()();
}

void SetViewRepaintHandler(std::function<void()> handler) { RepaintHandler() = std::move(handler); }
