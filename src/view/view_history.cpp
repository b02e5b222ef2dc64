#include "view/view_history.h"

#include <cmath>
#include <cstring>

#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "view/view_state.h"

ViewHistoryEntry g_viewHistory[kViewHistorySize];
int32_t g_viewHistoryHead = 0;
int32_t g_viewHistoryTail = 0;
int32_t g_viewHistoryBack = 0;
int32_t g_viewHistoryPrev = 0;
int32_t g_skipHistoryOnce = 0;

namespace {
bool AnyHistoryData() { return (g_pointsPresent && g_pointCount > 0) || g_dxfElementCount > 0; }

ViewHistoryEntry CurrentView() {
    ViewHistoryEntry e{};
    e.birdsEye = static_cast<int16_t>(g_birdsEyeOn);
    e.centreX = g_viewCenterX;
    e.centreY = g_viewCenterY;
    e.scale = static_cast<float>(g_viewScale);
    e.azimuth = static_cast<float>(g_birdsEyeAzimuth);
    e.tilt = static_cast<float>(g_birdsEyeTilt);
    e.roll = static_cast<float>(g_birdsEyeRoll);
    e.heightScale = static_cast<float>(g_heightScale);
    return e;
}

int32_t Next(int32_t i) { return i + 1 >= kViewHistorySize ? 0 : i + 1; }

const bool g_registered = [] {
    RegisterDataModelReset(ResetViewHistory);
    return true;
}();
}  // namespace

void PushViewHistory() {
    if (!AnyHistoryData()) return;
    if (g_skipHistoryOnce) {
        g_skipHistoryOnce = 0;
        return;
    }
    if (IsKeyDown(key::kMouseLeft) || IsKeyDown(key::kMouseRight)) return;

    // The entry keeps scale and angles as floats: compare the view as it would be stored,
    // or every repaint of an unchanged view would count as a change.
    const ViewHistoryEntry now = CurrentView();
    const ViewHistoryEntry& head = g_viewHistory[g_viewHistoryHead];
    const double difference =
        std::abs(double{now.azimuth} - head.azimuth) + std::abs(double{now.tilt} - head.tilt) +
        std::abs(now.centreY - head.centreY) + std::abs(now.centreX - head.centreX) +
        std::abs(double{now.scale} - head.scale);
    if (difference > 1e-9) {
        g_viewHistoryPrev = g_viewHistoryHead;
        g_viewHistoryHead = Next(g_viewHistoryHead);
        if (g_viewHistoryHead == g_viewHistoryTail) g_viewHistoryTail = Next(g_viewHistoryTail);
    }
    g_viewHistoryBack = g_viewHistoryPrev;
    g_viewHistory[g_viewHistoryHead] = now;
    if (g_viewHistoryHead == 1 && g_viewHistoryTail == 0) g_viewHistory[0] = g_viewHistory[1];
}

bool CanPopViewHistory() { return g_viewHistoryBack != g_viewHistoryTail; }

void PopViewHistory() {
    if (!CanPopViewHistory() || !AnyHistoryData()) return;
    const ViewHistoryEntry& e = g_viewHistory[g_viewHistoryBack];
    g_viewCenterX = e.centreX;
    g_viewCenterY = e.centreY;
    SetViewScale(e.scale);
    g_birdsEyeAzimuth = e.azimuth;
    g_birdsEyeTilt = e.tilt;
    g_birdsEyeRoll = e.roll;
    g_heightScale = e.heightScale;
    g_birdsEyeOn = e.birdsEye;
    g_skipHistoryOnce = -1;
    g_viewHistoryBack = g_viewHistoryBack == 0 ? kViewHistorySize - 1 : g_viewHistoryBack - 1;
}

void ResetViewHistory() {
    std::memset(g_viewHistory, 0, sizeof g_viewHistory);
    g_viewHistoryHead = g_viewHistoryTail = g_viewHistoryBack = g_viewHistoryPrev = 0;
    g_skipHistoryOnce = 0;
}
