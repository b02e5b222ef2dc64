#include "section/route_point_entry.h"

#include <algorithm>
#include <cstring>

#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/point_input_settings.h"
#include "route/ip_editing.h"
#include "route/ip_list.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "model/terrain_data.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {

const char* const kBirdsEyeRefused = "立体表示中は設定できません";
const char* const kSamePositionRefused = "同一座標には設定できません";
const char* const kStationMemoryFailed = "路線データ用のメモリが確保できませんでした。";

void Stop(const char* text) { ShowMessage(text, "", msg::kOk | msg::kIconError); }

// The snapped plan position of the click: false when the chosen snap finds nothing.
bool SnapClick(int32_t& x, int32_t& y, double& px, double& py, bool& snapped) {
    snapped = false;
    switch (g_coordInputSnap) {
        case 1:
        case 2:
        case 4:
            // The DXF vertex, on-line and crossing finders are not part of the program yet:
            // a DXF snap finds nothing.
            return false;
        case 3: {
            const int32_t p = FindPointAtCursor(x, y, kPickRadius2);
            if (p <= 0) return false;
            const RandomPoint& r = g_points[p];
            px = r.x;
            py = r.y;
            x = g_viewportCenterX + r.screenX;
            y = g_viewportCenterY - r.screenY;
            snapped = true;
            return true;
        }
        default:
            return true;
    }
}

void AppendArbitrarySectionStation() {
    if (g_stationCapacity < kArbitrarySectionStationCapacity || g_stationCount + 1 > g_stationCapacity) {
        const int32_t wanted = std::max(kArbitrarySectionStationCapacity,
                                        g_stationCount + 1 > g_stationCapacity ? g_stationCapacity + 100 : 0);
        if (GrowStationBlock(wanted) != 0) {
            Stop(kStationMemoryFailed);
            return;
        }
        g_stationCapacity = wanted;
    }
    const IpPoint& a = g_ipPoints[1];
    const IpPoint& b = g_ipPoints[2];
    StationRecord& s = g_stations[++g_stationCount];
    s = StationRecord{};
    s.kind = -1;
    s.number = 0;
    std::memcpy(s.name, a.name, std::min(sizeof s.name - 1, sizeof a.name));
    s.addedDistance = 0;
    s.x = s.leftX = a.x;
    s.y = s.leftY = a.y;
    s.screenX = s.leftScreenX = a.screenX;
    s.screenY = s.leftScreenY = a.screenY;
    s.rightX = b.x;
    s.rightY = b.y;
    s.rightScreenX = b.screenX;
    s.rightScreenY = b.screenY;
    g_ipPointCount = 0;
    g_currentIp = 0;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

}  // namespace

void EnterRoutePointAtCursor(int32_t flags, int32_t x, int32_t y) {
    if (IsKeyDown(key::kAlt)) return;
    if (g_birdsEyeOn) {
        Stop(kBirdsEyeRefused);
        return;
    }
    if (g_ipPointCount >= kMouseIpLimit) {
        Stop(kIpLimitMessage);
        return;
    }
    double px = 0, py = 0;
    bool snapped = false;
    if (!SnapClick(x, y, px, py, snapped)) return;
    if (FindIpPointAtCursor(x, y, 1) != 0) {
        Stop(kSamePositionRefused);
        return;
    }
    if (!snapped) {
        py = g_viewCenterY + (x - g_viewportCenterX) / g_viewScale;
        px = g_viewCenterX + (g_viewportCenterY - y) / g_viewScale;
    }
    const bool arbitrary = g_toolMode == MODE_ARBITRARY_SECTION;
    const int32_t n = g_ipPointCount + 1;
    IpPoint ip{};
    if (!arbitrary) {
        std::strcpy(ip.name, n == 1 ? "BP" : "IP");
        ip.number = n == 1 ? 0 : g_ipPoints[n - 1].number + 1;
    }
    ip.x = px;
    ip.y = py;
    ip.screenX = x - g_viewportCenterX;
    ip.screenY = g_viewportCenterY - y;
    g_ipPoints[n] = ip;
    g_ipPointCount = n;
    g_currentIp = n;
    g_ipEdit = ip;
    g_redrawMask = 0;
    InvalidateAndUpdateView();
    if ((flags & kMouseFlagShift) == 0) {
        if (RunCoordRegisterDialog() != 0) {
            g_ipPointCount = n - 1;
            g_currentIp = 0;
        }
    } else {
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    }
    if (arbitrary && g_ipPointCount == 2) AppendArbitrarySectionStation();
}
