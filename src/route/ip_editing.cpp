#include "route/ip_editing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/geometry.h"
#include "model/numeric_text.h"
#include "platform/encoding.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "route/ip_list.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
std::function<int()> g_coordRegisterRunner;

int32_t IpCount() { return std::min(std::max(g_ipPointCount, 0), kMaxIpPoints); }

// Shift or Ctrl in the message's flags, or Alt held.
bool KeysKeepFromTool(int32_t flags) {
    return (flags & (kMouseFlagShift | kMouseFlagControl)) != 0 || IsKeyDown(key::kAlt);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double* FieldValue(int id) {
    switch (id) {
        case kCoordRegisterX:
            return &g_ipEdit.x;
        case kCoordRegisterY:
            return &g_ipEdit.y;
        case kCoordRegisterRadius:
            return &g_ipEdit.radius;
        case kCoordRegisterA1:
            return &g_ipEdit.a1;
        case kCoordRegisterA2:
            return &g_ipEdit.a2;
        default:
            return nullptr;
    }
}

void RemoveIp(int32_t i) {
    const int32_t n = IpCount();
    for (int32_t k = i; k < n; ++k) g_ipPoints[k] = g_ipPoints[k + 1];
    g_ipPointCount = n - 1;
}
}  // namespace

std::string CoordRegisterFieldText(int id) {
    switch (id) {
        case kCoordRegisterName:
            return std::string(g_ipEdit.name, strnlen(g_ipEdit.name, sizeof g_ipEdit.name));
        case kCoordRegisterNumber: {
            char text[32];
            std::snprintf(text, sizeof text, "%5d", g_ipEdit.number);
            return text;
        }
        case kCoordRegisterX:
            return Format("%.5f", g_ipEdit.x);
        case kCoordRegisterY:
            return Format("%.5f", g_ipEdit.y);
        default:
            if (const double* v = FieldValue(id)) return Format("%10.3f", *v);
            return {};
    }
}

std::string CoordRegisterNumberLabel() {
    char text[32];
    std::snprintf(text, sizeof text, "NO. %d", g_currentIp);
    return text;
}

std::string CoordRegisterFieldLeft(int id, const std::string& typed) {
    switch (id) {
        case kCoordRegisterName: {
            std::memset(g_ipEdit.name, 0, sizeof g_ipEdit.name);
            const std::string cut = CutCp932(typed, kIpNameBytes);
            std::memcpy(g_ipEdit.name, cut.data(), cut.size());
            break;
        }
        case kCoordRegisterNumber: {
            const double n = std::trunc(FieldNumber(TrimBlanks(typed)));
            if (IpNumberFits(n))
                g_ipEdit.number = static_cast<int32_t>(n);
            else
                ShowMessage(kIpNumberRangeMessage, "", msg::kOk | msg::kIconError);
            break;
        }
        default:
            if (double* v = FieldValue(id)) {
                const double value = FieldNumber(TrimBlanks(typed));
                const bool clothoid = id == kCoordRegisterA1 || id == kCoordRegisterA2;
                if (std::isfinite(value) && !(clothoid && value < 0)) *v = value;
            }
            break;
    }
    return CoordRegisterFieldText(id);
}

bool CoordRegisterFieldEnabled(int id) {
    const bool sectionTool =
        g_toolMode == MODE_SIMPLE_SECTION || g_toolMode == MODE_ARBITRARY_SECTION;
    if (!sectionTool) return true;
    return id != kCoordRegisterRadius && id != kCoordRegisterNumber && id != kCoordRegisterA1 &&
           id != kCoordRegisterA2;
}

void StoreCoordRegister() {
    const int32_t i = g_currentIp;
    if (i > 0 && i <= std::min(IpCount() + 1, kMaxIpPoints)) {
        g_ipPoints[i] = g_ipEdit;
        if (i == IpCount() + 1) g_ipPointCount = i;
        EnsureIpPointVisible(i);
    }
    g_redrawMask = -1;
}

void CancelCoordRegister() {
    g_currentIp = 0;
    g_redrawMask = 0;
}

void CoordRegisterClosed() {
    g_currentIp = 0;
    InvalidateAndUpdateView();
}

int RunCoordRegisterDialog() {
    if (g_coordRegisterRunner) return g_coordRegisterRunner();
    CancelCoordRegister();
    CoordRegisterClosed();
    return 1;
}

void SetCoordRegisterDialogRunner(std::function<int()> runner) {
    g_coordRegisterRunner = std::move(runner);
}

int32_t FindRouteSegmentAtCursor(int32_t x, int32_t y, int32_t limitPixels) {
    if (!g_projectionValid) ProjectAllData(0);
    const int32_t n = IpCount();
    if (n < 2) return 0;
    double px, py;
    ClientToGround(x, y, px, py);
    int32_t found = 0;
    double limit = limitPixels;
    for (int32_t i = 1; i < n; ++i) {
        const IpPoint& a = g_ipPoints[i];
        const IpPoint& b = g_ipPoints[i + 1];
        double distance = 0, fx = 0, fy = 0;
        int pointClass = 0;
        PointToSegment(a.x, a.y, b.x, b.y, px, py, 0.001, &distance, &fx, &fy, &pointClass);
        if (pointClass == 0) continue;
        const double d = std::trunc(distance * g_viewScale);
        if (d < limit) {
            found = i;
            limit = d;
        }
    }
    return found;
}

int32_t FindStationAtCursor(int32_t x, int32_t y, int32_t limitSquaredPixels) {
    if (g_birdsEyeOn || !g_stations) return 0;
    if (!g_projectionValid) ProjectAllData(0);
    int32_t best = 0;
    int64_t bestD2 = 0;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        const int64_t dx = int64_t{x} - (int64_t{g_viewportCenterX} + s.screenX);
        const int64_t dy = int64_t{y} - (int64_t{g_viewportCenterY} - s.screenY);
        const int64_t d2 = dx * dx + dy * dy;
        if (best == 0 || d2 < bestD2) {
            best = i;
            bestD2 = d2;
        }
    }
    return best != 0 && bestD2 <= limitSquaredPixels ? best : 0;
}

void EditIpAtCursor(int32_t keyFlags, int32_t x, int32_t y, double worldX, double worldY) {
    if (KeysKeepFromTool(keyFlags)) return;
    double px = worldX, py = worldY;
    if (g_currentIp < 1 || g_currentIp > IpCount()) {
        g_currentIp = FindIpPointAtCursor(x, y, kClosePickRadius2);
        if (g_currentIp < 1 || g_currentIp > IpCount()) {
            g_currentIp = 0;
            return;
        }
        px = g_ipPoints[g_currentIp].x;
        py = g_ipPoints[g_currentIp].y;
        InvalidateAndUpdateView();
    }
    // The whole record: the radii, clothoid parameters and the egg section's KE1 and KE2
    // survive the edit.
    g_ipEdit = g_ipPoints[g_currentIp];
    g_ipEdit.x = px;
    g_ipEdit.y = py;
    RunCoordRegisterDialog();
}

void DeleteIpAtCursor(int32_t keyFlags, int32_t x, int32_t y) {
    if (KeysKeepFromTool(keyFlags)) return;
    const int32_t i = FindIpPointAtCursor(x, y, kClosePickRadius2);
    if (i < 1 || i > IpCount()) return;
    g_currentIp = i;
    const IpPoint& ip = g_ipPoints[i];
    g_ipEdit.x = ip.x;
    g_ipEdit.y = ip.y;
    g_ipEdit.radius = ip.radius;
    g_ipEdit.a1 = ip.a1;
    g_ipEdit.a2 = ip.a2;
    std::memcpy(g_ipEdit.name, ip.name, sizeof g_ipEdit.name);
    g_ipEdit.number = ip.number;
    g_redrawMask = 0;
    QuickRepaintView();

    const std::string name =
        Cp932ToUtf8(std::string(ip.name, strnlen(ip.name, sizeof ip.name)));
    const std::string question =
        ip.number == 0 ? name + "を削除します。\nよろしいですか"
                       : name + std::to_string(ip.number) + "を削除します。\nよろしいですか";
    if (ShowMessage(question, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        RemoveIp(i);
        g_redrawMask = -1;
    }
    g_currentIp = 0;
    InvalidateAndUpdateView();
}

void InsertIpAtCursor(int32_t keyFlags, int32_t x, int32_t y) {
    if (KeysKeepFromTool(keyFlags)) return;
    const int32_t p = FindRouteSegmentAtCursor(x, y, 80);
    if (p == 0) return;
    const int32_t n = IpCount();
    if (n >= kMaxIpPoints) {
        ShowMessage(kIpLimitMessage, "", msg::kOk | msg::kIconError);
        return;
    }
    for (int32_t k = n; k >= p + 1; --k) g_ipPoints[k + 1] = g_ipPoints[k];
    g_ipPointCount = n + 1;
    g_redrawMask = -1;
    // The new IP carries the name and number of the one after it until it is edited.
    IpPoint& ip = g_ipPoints[p + 1];
    ClientToGround(x, y, ip.x, ip.y);
    ip.radius = ip.a1 = ip.a2 = ip.radius2 = 0;
    ip.ke1X = ip.ke1Y = ip.ke2X = ip.ke2Y = 0;
}

void PickOrDeleteStation(int32_t keyFlags, int32_t x, int32_t y) {
    if (KeysKeepFromTool(keyFlags)) return;
    const int32_t s = FindStationAtCursor(x, y, 10000);
    if (s == 0) {
        if (g_currentStation != 0) {
            g_currentStation = 0;
            g_redrawMask = -1;
        }
        return;
    }
    if (s == g_currentStation) {
        for (int32_t k = s; k < g_stationCount; ++k) g_stations[k] = g_stations[k + 1];
        --g_stationCount;
        g_currentStation = 0;
    } else {
        g_currentStation = s;
    }
    g_redrawMask = -1;
}
