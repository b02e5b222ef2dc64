#include "view/birds_eye_camera.h"

#include <algorithm>
#include <cmath>

#include "dxf/dxf_store.h"
#include "dxf/vector_editor.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "shell/frame_timer.h"
#include "shell/height_scale.h"
#include "shell/status_text.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
void RepaintFully() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
}  // namespace

bool CanToggleBirdsEye() {
    return g_dxfElementCount > 0 || (g_pointsPresent && g_pointCount > 0) || g_stationCount > 0 ||
           g_otherRouteStationCount > 0 || g_meshElevationsDone;
}

void OnToggleBirdsEye() {
    g_birdsEyeOn = g_birdsEyeOn != 1 ? 1 : 0;
    SendFrameTimer(kFrameTimerExaggerationBox);
    if (g_vecCreateDlg) g_vecCreateDlg->OnTimer(kVecCmdBirdsEyeToggled);
    RepaintFully();
}

bool CanSteerBirdsEye() { return g_birdsEyeOn != 0; }

void OnRotateRight() {
    g_birdsEyeAzimuth += g_rotateStep;
    RepaintFully();
}

void OnRotateLeft() {
    g_birdsEyeAzimuth -= g_rotateStep;
    RepaintFully();
}

void OnTiltDown() {
    g_birdsEyeTilt -= g_rotateStep * 0.5;
    RepaintFully();
}

void OnTiltUp() {
    g_birdsEyeTilt += g_rotateStep * 0.5;
    RepaintFully();
}

void OnResetBirdsEye() {
    g_heightScale = 1;
    g_birdsEyeRoll = 0;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;
    RepaintFully();
}

bool DragBirdsEyeCamera(int32_t dx, int32_t dy, bool alt, bool shift, bool ctrl) {
    const double w = std::max(g_bufferMaxX, 1);
    if (alt || (shift && g_birdsEyeOn)) {
        if (!g_birdsEyeOn) return false;
        g_birdsEyeAzimuth += dx * M_PI / w;
        g_birdsEyeTilt += dy * (M_PI / 2) / w;
    } else if (ctrl) {
        g_birdsEyeRoll += dx * M_PI / w;
        g_birdsEyeTilt += dy * (M_PI / 2) / w;
    } else {
        return false;
    }
    RepaintFully();
    return true;
}

double StepExaggeration(double h, int32_t delta) {
    const double step = HeightScaleStep(h);
    if (delta > 0) h += step;
    if (delta < 0) h -= step;
    return ClampHeightScale(h);
}

bool WheelExaggeration(int32_t delta) {
    if (!g_birdsEyeOn || delta == 0) return false;
    g_heightScale = StepExaggeration(g_heightScale, delta);
    SetStatusText(ExaggerationStatusText());
    SendFrameTimer(kFrameTimerExaggerationBox);
    return true;
}

bool ResetExaggeration(bool alt) {
    if (!alt || g_heightScale == 1.0) return false;
    g_heightScale = 1.0;
    SetStatusText("1.0");
    SendFrameTimer(kFrameTimerExaggerationBox);
    RepaintFully();
    return true;
}

std::string ExaggerationStatusText() { return FormatString("高さ倍率 [%4.1f]", g_heightScale); }
