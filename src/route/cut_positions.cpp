#include "route/cut_positions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "route/station_list.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {
constexpr int32_t kCentreMode = MODE_CUT_POSITION;
constexpr int32_t kLeftMode = MODE_CUT_POSITION * 2;
constexpr int32_t kRightMode = MODE_CUT_POSITION * 4;

bool Same(double x1, double y1, double x2, double y2) {
    return std::fabs(x1 - x2) < 0.001 && std::fabs(y1 - y2) < 0.001;
}

bool Ask(const char* question) {
    return ShowMessage(question, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
}

// (The first station whose stake still lies on its centre) - 1, or 0 when all have one.
int32_t StakeCursor(bool left) {
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& s = g_stations[i];
        if (left ? Same(s.leftX, s.leftY, s.x, s.y) : Same(s.rightX, s.rightY, s.x, s.y))
            return i - 1;
    }
    return 0;
}

void EndTool() {
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    g_toolSubState = 0;
    g_pickedPoint = 0;
}

void RegisterCentre(const RandomPoint& p) {
    if (!EnsureStationRoom(2)) return;
    const int32_t n = g_stationCount;
    if (n >= 1 && Same(g_stations[n].x, g_stations[n].y, p.x, p.y)) {
        g_stationCount = n - 1;  // the last centre clicked again is taken back
        if (g_currentStation > g_stationCount) g_currentStation = 0;
        return;
    }
    StationRecord& s = g_stations[n + 1];
    std::memset(&s, 0, sizeof s);
    s.kind = n == 0 ? 1 : 2;
    s.number = n + 1;
    std::memcpy(s.name, p.name, std::min(sizeof s.name - 1, strnlen(p.name, sizeof p.name)));
    s.x = s.leftX = s.rightX = p.x;
    s.y = s.leftY = s.rightY = p.y;
    g_stationCount = n + 1;
    g_showRoute = -1;
}

// A stake click: the next station gets the stake, or the last one set is taken back.
void RegisterStake(const RandomPoint& p, bool left) {
    int32_t& cursor = left ? g_nextStakeStation : g_nextRightStakeStation;
    const int32_t i = cursor;
    if (i > 0 && i <= g_stationCount) {
        StationRecord& s = g_stations[i];
        double& sx = left ? s.leftX : s.rightX;
        double& sy = left ? s.leftY : s.rightY;
        if (Same(sx, sy, p.x, p.y)) {
            sx = s.x;
            sy = s.y;
            cursor = i - 1;
            return;
        }
    }
    if (i + 1 > g_stationCount || i + 1 < 1) {
        EndTool();
        return;
    }
    cursor = i + 1;
    StationRecord& s = g_stations[i + 1];
    (left ? s.leftX : s.rightX) = p.x;
    (left ? s.leftY : s.rightY) = p.y;
    if (i + 1 < g_stationCount) {
        g_showRoute = -1;
        return;
    }
    ShowMessage(left ? "センター全点の左幅杭測点登録終了" : "センター全点の右幅杭測点登録終了",
                "", msg::kOk | msg::kIconInformation);
    EndTool();
    g_showRoute = -1;
}
}  // namespace

bool CutPointEditButtonEnabled(int id) {
    switch (id) {
        case kCutCentreButton:
            return g_pointCount >= 1;
        case kCutLeftButton:
        case kCutRightButton:
            return g_pointCount >= 1 && g_stationCount >= 1;
        case kCutDeleteAllButton:
        case kCutDeleteLeftButton:
        case kCutDeleteRightButton:
            return g_stationCount >= 1;
        default:
            return true;
    }
}

int StartStakeRegistration(int id) {
    g_dragState = 0;
    switch (id) {
        case kCutCentreButton:
            g_toolMode = kCentreMode;
            return 1;
        case kCutLeftButton:
            g_nextStakeStation = StakeCursor(true);
            g_toolMode = kLeftMode;
            return 2;
        case kCutRightButton:
            g_nextRightStakeStation = StakeCursor(false);
            g_toolMode = kRightMode;
            return 3;
        default:
            return 0;
    }
}

int DeleteStakesAfterQuestion(int id) {
    switch (id) {
        case kCutDeleteAllButton:
            if (!Ask("路線測点すべてを削除します。\nよろしいですか")) return 0;
            for (int32_t i = 1; i <= g_stationCount; ++i) {
                StationRecord& s = g_stations[i];
                s.leftX = s.rightX = s.x;
                s.leftY = s.rightY = s.y;
            }
            // The question speaks of the stations only: the IPs stay.
            g_stationCount = 0;
            g_currentStation = 0;
            return -1;
        case kCutDeleteLeftButton:
            if (!Ask("左幅杭測点すべてを削除します。\nよろしいですか")) return 0;
            for (int32_t i = 1; i <= g_stationCount; ++i) {
                g_stations[i].leftX = g_stations[i].x;
                g_stations[i].leftY = g_stations[i].y;
            }
            g_nextStakeStation = 0;
            return -2;
        case kCutDeleteRightButton:
            if (!Ask("右幅杭測点すべてを削除します。\nよろしいですか")) return 0;
            for (int32_t i = 1; i <= g_stationCount; ++i) {
                g_stations[i].rightX = g_stations[i].x;
                g_stations[i].rightY = g_stations[i].y;
            }
            g_nextRightStakeStation = 0;
            return -3;
        default:
            return 0;
    }
}

void OnCutPointEditCommand(const std::function<int()>& runDialog) {
    const int result = runDialog ? runDialog() : 0;
    if (result > 0) {
        g_showPoints = -1;
        g_showPointNames = -1;
    }
    if (result != 0) {
        RefreshStationList();
        FullRepaintView();
    }
}

void RegisterStakeAtPoint(int32_t keyFlags, int32_t x, int32_t y) {
    if ((keyFlags & (kMouseFlagShift | kMouseFlagControl)) != 0 || IsKeyDown(key::kAlt)) return;
    if (g_birdsEyeOn) {
        ShowMessage("立体表示中は設定できません", "", msg::kOk | msg::kIconError);
        return;
    }
    const int32_t found = FindPointAtCursor(x, y, kPickRadius2);
    if (found < 1 || found > g_pointCount) return;
    g_pickedPoint = found;
    const RandomPoint& p = g_points[found];
    switch (g_toolMode) {
        case kCentreMode:
            RegisterCentre(p);
            break;
        case kLeftMode:
            RegisterStake(p, true);
            break;
        case kRightMode:
            RegisterStake(p, false);
            break;
        default:
            g_showRoute = -1;
            break;
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
