#include "pointedit/two_point_tool.h"

#include <cmath>
#include <limits>
#include <vector>

#include "analysis/two_point_info.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "pointedit/point_gen_dialogs.h"
#include "shell/status_text.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

int32_t g_twoPointChainMode = 0;

namespace {
constexpr int32_t kBaseRadius2 = 4800;
constexpr int32_t kCreateRadius2 = 400;

int32_t& Phase() { return g_outlineEditState; }

bool ValidPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }

void EmptyList(PickList& list) {
    list[0] = 0;
    list[1] = 0;
}

void SetList(PickList& list, std::initializer_list<int32_t> entries) {
    EmptyList(list);
    for (int32_t p : entries) list.Append(p);
}

void CopyPickRecords() {
    if (ValidPoint(g_pickedPoint)) g_pickedPointRecord = g_points[g_pickedPoint];
    if (ValidPoint(g_pickedPoint2)) g_pickedPointRecord2 = g_points[g_pickedPoint2];
}

int32_t RunInfo() {
    const PointGenDialogs& dialogs = PointGenDialogHooks();
    return dialogs.runTwoPointInfo ? dialogs.runTwoPointInfo() : kTwoPointInfoCancel;
}

// The tool switches off as its command would.
void EndTool() {
    if (g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_BETWEEN)
        OnPointAddBetweenTwo();
}

void StartCreating(int32_t phase) {
    Phase() = phase;
    SetList(g_pickList2, {g_pickedPoint});
    g_addedPointsInMode = 0;
    SetStatusText("登録を終了するには最終点をクリックしてください");
}

// The information of the two picks; cancel goes on to creating points, anything else ends.
void ShowInfoAndContinue(int32_t createPhase) {
    if (RunInfo() == kTwoPointInfoCancel) {
        StartCreating(createPhase);
    } else {
        Phase() = kTwoPointPick;
        EndTool();
    }
}

int32_t Created() {
    const int32_t n = g_pickList2.Count();
    return n > 1 ? n - 1 : 0;
}

// Takes the last created point away again (it is the last record).
void DropLastCreated() {
    const int32_t n = g_pickList2.Count();
    g_pickList2.Remove(n);
    RollBackPointsTo(g_pointCount - 1);
    ++g_addedPointsInMode;
}

void FinishChain() {
    g_twoPointChainMode = 0;
    SetStatusText("");
    const int32_t n = g_pickList.Count();
    if (n < 2) {
        EmptyList(g_pickList);
        Phase() = kTwoPointPick;
        return;
    }
    g_pickedPoint = g_pickList[1];
    g_pickedPoint2 = g_pickList[n];
    CopyPickRecords();
    QuickRepaintView();
    ShowInfoAndContinue(kTwoPointChainCreate);
}

void PickBasePoints(int32_t x, int32_t y, bool shift) {
    const int32_t p = FindPointAtCursor(x, y, kBaseRadius2);
    if (!ValidPoint(p)) return;
    if (p == g_pickedPoint) {
        g_pickedPoint = g_pickedPoint2 = 0;
        EmptyList(g_pickList);
        QuickRepaintView();
        return;
    }
    if (g_pickedPoint == 0) {
        g_pickedPoint = p;
        EmptyList(g_pickList);
        EmptyList(g_pickList2);
        g_pickedPoint2 = 0;
        g_twoPointChainMode = 0;
        QuickRepaintView();
        return;
    }
    g_pickedPoint2 = p;
    SetList(g_pickList, {g_pickedPoint, p});
    QuickRepaintView();
    CopyPickRecords();
    if (shift) {
        g_twoPointChainMode = 1;
        Phase() = kTwoPointChain;
        SetList(g_pickList2, {g_pickedPoint});
        g_addedPointsInMode = 0;
        return;
    }
    ShowInfoAndContinue(kTwoPointCreate);
    if (Phase() == kTwoPointCreate) SetList(g_pickList, {g_pickedPoint, g_pickedPoint2});
}

void PickChainPoint(int32_t x, int32_t y, bool shift) {
    const int32_t p = FindPointAtCursor(x, y, kBaseRadius2);
    if (!ValidPoint(p)) return;
    const int32_t n = g_pickList.Count();
    bool appended = false;
    if (n > 0 && p == g_pickList[n]) {
        if (n > 2) {
            g_pickList.Remove(n);
            g_pickedPoint2 = g_pickList[n - 1];
        } else {
            EmptyList(g_pickList);
            g_pickedPoint2 = 0;
            Phase() = kTwoPointPick;
        }
    } else if (g_pickList.Append(p)) {
        g_pickedPoint2 = p;
        appended = true;
    }
    FullRepaintView();
    SetStatusText("設定終了後Enterキーを押してください");
    if (appended && !shift) {
        Phase() = kTwoPointChainDone;
        FinishChain();
    }
}

void CreateOrFinish(int32_t x, int32_t y) {
    if (g_birdsEyeOn) {
        ShowMessage("立体表示中は座標を決定できません。", "", msg::kOk | msg::kIconError);
        return;
    }
    const int32_t q = FindPointAtCursor(x, y, kCreateRadius2);
    const int32_t n2 = g_pickList2.Count();
    if (q != 0 && q == g_pickedPoint) return;
    if (q != 0 && q == g_pickedPoint2) {
        SetStatusText("");
        const int32_t created = Created();
        if (created == 0) return;
        g_pickList2.Append(q);
        InterpolateAddedPointsZ();
        FullRepaintView();
        if (ShowMessage("よろしいですか", "", msg::kYesNo) == msg::kIdNo)
            RollBackPointsTo(g_pointCount - created);
        else
            g_dataChanged = -1;
        g_pickedPoint = g_pickedPoint2 = 0;
        g_addedPointsInMode = 0;
        Phase() = kTwoPointPick;
        ClearPicks();
        ClearPickList();
        FullRepaintView();
        return;
    }
    if (q != 0 && n2 > 1 && q == g_pickList2[n2] && g_addedPointsInMode < 0) {
        DropLastCreated();
        FullRepaintView();
        return;
    }
    if (q != 0) {
        SetStatusText("既存ランダム点に近すぎます");
        return;
    }
    SetStatusText("２点間ランダム点作成処理中");
    CopyPointName(g_editPoint.name, g_newPointName);
    g_editPoint.invalid = static_cast<int16_t>(g_newPointInvalid);
    g_editPoint.plotKind = static_cast<int16_t>(g_newPointPlotMode);
    g_editPoint.outside = 0;
    const int32_t b = AppendPointAtCursor(x, y);
    if (b == 0) return;
    --g_addedPointsInMode;
    g_pickList2.Append(b);
    g_pointCount = b;
    SetPointEndMarker();
    FullRepaintView();
}
}  // namespace

void OnClickTwoPointMode(int32_t flags, int32_t x, int32_t y) {
    if (IsProgressWindowOpen() || (flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return;
    const bool shift = IsKeyDown(key::kShift) || (flags & kMouseFlagShift);
    switch (Phase()) {
        case kTwoPointPick:
            PickBasePoints(x, y, shift);
            break;
        case kTwoPointChain:
            PickChainPoint(x, y, shift);
            break;
        case kTwoPointChainDone:
            FinishChain();
            break;
        case kTwoPointCreate:
        case kTwoPointChainCreate:
            CreateOrFinish(x, y);
            break;
        default:
            break;
    }
}

void TwoPointEnterKey() {
    if (Phase() == kTwoPointChain) {
        Phase() = kTwoPointChainDone;
        FinishChain();
        return;
    }
    ClearPickList();
    if (ToolServices().focusMainWindow) ToolServices().focusMainWindow();
    FullRepaintView();
}

void UndoTwoPointStep() {
    const int32_t phase = Phase();
    if (phase == kTwoPointPick || phase == kTwoPointChain) {
        const int32_t n = g_pickList.Count();
        if (g_pickedPoint2 != 0 && n >= 2) {
            g_pickList.Remove(n);
            if (n - 1 > 1) {
                g_pickedPoint2 = g_pickList[n - 1];
            } else {
                g_pickedPoint2 = 0;
                Phase() = kTwoPointPick;
            }
        } else if (g_pickedPoint2 == 0) {
            g_pickedPoint = 0;
            EmptyList(g_pickList);
        }
    } else if (phase == kTwoPointCreate || phase == kTwoPointChainCreate) {
        if (g_pickList2.Count() > 1 && g_addedPointsInMode < 0) DropLastCreated();
    }
    FullRepaintView();
}

int32_t ProjectOnPickedChain(RandomPoint& t) {
    const int32_t n = g_pickList.Count();
    if (n < 2) return 0;
    int32_t best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int32_t i = 1; i < n; ++i) {
        const RandomPoint& a = g_points[g_pickList[i]];
        const RandomPoint& b = g_points[g_pickList[i + 1]];
        const double bx = b.x - a.x, by = b.y - a.y;
        if (bx * (t.x - a.x) + by * (t.y - a.y) < 0 || bx * (t.x - b.x) + by * (t.y - b.y) > 0)
            continue;
        const double len = std::hypot(bx, by);
        if (len <= 0) continue;
        const double d = std::fabs(bx * (t.y - a.y) - by * (t.x - a.x)) / len;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    if (best == 0) {
        int32_t nearest = 1;
        double nearestDistance = std::numeric_limits<double>::infinity();
        for (int32_t k = 1; k <= n; ++k) {
            const RandomPoint& v = g_points[g_pickList[k]];
            const double d = std::hypot(t.x - v.x, t.y - v.y);
            if (d < nearestDistance) {
                nearestDistance = d;
                nearest = k;
            }
        }
        best = nearest < n ? nearest : n - 1;
    }
    const RandomPoint& a = g_points[g_pickList[best]];
    const RandomPoint& b = g_points[g_pickList[best + 1]];
    const double bx = b.x - a.x, by = b.y - a.y;
    const double len2 = bx * bx + by * by;
    const double u = len2 > 0 ? (bx * (t.x - a.x) + by * (t.y - a.y)) / len2 : 0;
    t.z = a.z + u * (b.z - a.z);
    return best;
}

void InterpolateAddedPointsZ() {
    const int32_t n = g_pickList.Count();
    const int32_t m = g_pickList2.Count();
    if (n < 2 || m < 3) return;
    for (int32_t k = 1; k <= n; ++k)
        if (!ValidPoint(g_pickList[k])) return;
    std::vector<int32_t> created;
    std::vector<int32_t> segment;
    for (int32_t k = 2; k < m; ++k) {
        const int32_t p = g_pickList2[k];
        if (!ValidPoint(p)) continue;
        RandomPoint t = g_points[p];
        created.push_back(p);
        segment.push_back(ProjectOnPickedChain(t));
    }
    for (int32_t i = 1; i < n; ++i) {
        const RandomPoint& a = g_points[g_pickList[i]];
        const RandomPoint& b = g_points[g_pickList[i + 1]];
        std::vector<int32_t> on;
        for (size_t k = 0; k < created.size(); ++k)
            if (segment[k] == i) on.push_back(created[k]);
        if (on.empty()) continue;
        double length = 0, px = a.x, py = a.y;
        for (int32_t p : on) {
            length += std::hypot(g_points[p].x - px, g_points[p].y - py);
            px = g_points[p].x;
            py = g_points[p].y;
        }
        length += std::hypot(b.x - px, b.y - py);
        if (length <= 0) length = 1;
        double walked = 0;
        px = a.x;
        py = a.y;
        for (int32_t p : on) {
            walked += std::hypot(g_points[p].x - px, g_points[p].y - py);
            px = g_points[p].x;
            py = g_points[p].y;
            g_points[p].z = a.z + (b.z - a.z) * walked / length;
        }
    }
}
