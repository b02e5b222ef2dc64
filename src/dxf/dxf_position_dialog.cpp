#include "dxf/dxf_position_dialog.h"

#include <algorithm>
#include <cmath>

#include "dxf/dxf_picking.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

namespace {
constexpr int32_t kDxfPick = MODE_BG_DXF_POSITION;
constexpr int32_t kPublicPick = MODE_BG_DXF_POSITION * 2;

DxfPositionPickReceiver g_pickReceiver = nullptr;
void* g_pickDialog = nullptr;

DxfRegistration& R() { return g_dxfRegistration; }

bool Registered(int k) { return R().vertexFlags[k - 1] != 0; }

void UncheckVertices(DxfPositionDialogState& s) { std::fill(std::begin(s.vertexChecked), std::end(s.vertexChecked), false); }

std::string Entry(double v) { return FormatString("%10.3f", v); }

// An edit's text as a number; anything else keeps the stored value.
void TakeNumber(const std::string& text, double& stored) {
    double v;
    if (ParseDialogNumber(text.substr(0, 60), &v) && std::isfinite(v)) stored = v;
}

void RefreshView() {
    g_redrawMask = 0;
    InvalidateAndUpdateView();
}
}  // namespace

void OpenDxfPositionDialog(DxfPositionDialogState& s) {
    s = DxfPositionDialogState{};
    g_dxfRegistrationBackup = g_dxfRegistration;
    R().currentVertex = 0;
    R().transformActive = 0;
    std::fill(std::begin(R().vertexFlags), std::end(R().vertexFlags), 0);
    s.prompt = "ＤＸＦデータの点と対応する公共座標を３点以上指定してください";
}

void OnDxfVertexButton(DxfPositionDialogState& s, int32_t vertex, bool checked) {
    if (vertex < 1 || vertex > 4) return;
    if (vertex >= 2 && !Registered(vertex - 1)) checked = false;
    UncheckVertices(s);
    s.vertexChecked[vertex - 1] = checked;
    if (checked) {
        s.mouse = false;
        R().entryY = R().publicPoint[vertex - 1][0];
        R().entryX = R().publicPoint[vertex - 1][1];
        R().currentVertex = vertex;
        g_toolMode = kDxfPick;
        g_dragState = 0;
    } else {
        R().currentVertex = 0;
        g_toolMode = MODE_NONE;
    }
    RefreshDxfPositionDialog(s);
}

void OnDxfEndPointCheck(DxfPositionDialogState& s, bool checked) {
    s.endPointSnap = checked;
    if (checked) s.midPointSnap = false;
}

void OnDxfMidPointCheck(DxfPositionDialogState& s, bool checked) {
    s.midPointSnap = checked;
    if (checked) s.endPointSnap = false;
}

void OnDxfMouseCheck(DxfPositionDialogState& s, bool checked) {
    if (checked && R().currentVertex == 0) {
        s.mouse = false;
        return;
    }
    s.mouse = checked;
    g_toolMode = checked ? kPublicPick : MODE_NONE;
}

namespace {
void KillFocus(DxfPositionDialogState& s, const std::string& text, bool east) {
    double& stored = east ? R().entryY : R().entryX;
    if (!s.escapePressed) TakeNumber(text, stored);
    s.escapePressed = false;
    (east ? s.yText : s.xText) = Entry(stored);
    if (!s.enterPressed) return;
    const int k = R().currentVertex;
    if (g_toolMode == kDxfPick && k >= 1 && k <= 4) {
        R().publicPoint[k - 1][east ? 0 : 1] = stored;
        R().vertexFlags[k - 1] = 1;
    }
    if (Registered(1)) {
        s.registerEnabled = true;
        s.projectiveEnabled = true;
    }
}
}  // namespace

void OnDxfKillFocusY(DxfPositionDialogState& s, const std::string& text) { KillFocus(s, text, true); }
void OnDxfKillFocusX(DxfPositionDialogState& s, const std::string& text) { KillFocus(s, text, false); }

void OnDxfNumericEntry(DxfPositionDialogState& s, const std::string& yText, const std::string& xText) {
    TakeNumber(yText, R().entryY);
    TakeNumber(xText, R().entryX);
    if (g_toolMode != kDxfPick) {
        s.yText = Entry(R().entryY);
        s.xText = Entry(R().entryX);
        return;
    }
    const int k = R().currentVertex;
    if (k >= 1 && k <= 4) {
        R().publicPoint[k - 1][0] = R().entryY;
        R().publicPoint[k - 1][1] = R().entryX;
        R().vertexFlags[k - 1] = 1;
    }
    R().transformActive = 0;
    R().currentVertex = 0;
    g_toolMode = MODE_NONE;
    UncheckVertices(s);
    s.mouse = false;
    RefreshDxfPositionDialog(s);
}

bool OnDxfPositionPick(DxfPositionDialogState& s) {
    const int k = R().currentVertex;
    if (k < 1 || k > 4) return false;
    if (g_toolMode == kDxfPick) {
        R().transformActive = 0;
        double x = 0, y = 0;
        int32_t column = 0, row = 0;
        int32_t found = 0;
        if (s.endPointSnap)
            found = FindNearestDxfVertex(R().clickColumn, R().clickRow, kPickRadius2, x, y, column, row);
        else if (s.midPointSnap)
            found = FindNearestDxfMidpoint(R().clickColumn, R().clickRow, x, y);
        if (found != 0) {
            R().entryY = y;
            R().entryX = x;
        }
        double sourceX, sourceY;
        DxfShownToOriginal(R().entryY, R().entryX, sourceX, sourceY);
        R().sourcePoint[k - 1][0] = sourceX;
        R().sourcePoint[k - 1][1] = sourceY;
        R().shownPoint[k - 1][0] = R().entryY;
        R().shownPoint[k - 1][1] = R().entryX;
    } else if (g_toolMode == kPublicPick) {
        R().transformActive = 0;
        if (s.pointSnap) {
            const int32_t i = FindPointAtCursor(R().clickColumn, R().clickRow, kPickRadius2);
            if (i > 0) {
                R().entryY = g_pointsBlock.Data()[i].y;
                R().entryX = g_pointsBlock.Data()[i].x;
            }
        }
        R().publicPoint[k - 1][0] = R().entryY;
        R().publicPoint[k - 1][1] = R().entryX;
        R().vertexFlags[k - 1] = 1;
        R().currentVertex = 0;
        g_toolMode = MODE_NONE;
        UncheckVertices(s);
        s.mouse = false;
    } else {
        return false;
    }
    RefreshDxfPositionDialog(s);
    RefreshView();
    return true;
}

void RefreshDxfPositionDialog(DxfPositionDialogState& s) {
    s.yText = Entry(R().entryY);
    s.xText = Entry(R().entryX);
    const int k = R().currentVertex;
    const bool selected = k >= 1 && k <= 4;
    s.sourceText = g_toolMode == kDxfPick && selected
                       ? FormatString("(%.3f , %.3f)", R().sourcePoint[k - 1][0], R().sourcePoint[k - 1][1])
                       : std::string();
    static const char* const kDxfPrompts[4] = {"ＤＸＦ画像上の１点目を指定", "ＤＸＦ画像上の２点目を指定",
                                               "ＤＸＦ画像上の３点目を指定", "ＤＸＦ画像上の４点目を指定"};
    static const char* const kPublicPrompts[4] = {"１点目の公共座標を指定", "２点目の公共座標を指定",
                                                  "３点目の公共座標を指定", "４点目の公共座標を指定"};
    if (selected && g_toolMode == kDxfPick)
        s.prompt = kDxfPrompts[k - 1];
    else if (selected && g_toolMode == kPublicPick)
        s.prompt = kPublicPrompts[k - 1];
    else
        s.prompt = "画像上の点と対応する公共座標を３点以上指定してください";
    s.projectiveEnabled = Registered(1) && Registered(2) && Registered(3);
    s.registerEnabled = Registered(1);
}

bool OnDxfPositionRegister(DxfPositionDialogState& s) {
    DxfRegistration& r = R();
    if (!Registered(1)) return false;
    if (!Registered(2)) {
        r.sourcePoint[1][0] = r.sourcePoint[0][0] + 1;
        r.sourcePoint[1][1] = r.sourcePoint[0][1];
        r.publicPoint[1][0] = r.publicPoint[0][0];
        r.publicPoint[1][1] = r.publicPoint[0][1] + 1;
        r.vertexFlags[1] = 1;
    }
    if (!Registered(3)) {
        // The step from 1 to 2 turned a right angle, the same way in both systems.
        const double dXs = r.sourcePoint[1][0] - r.sourcePoint[0][0], dYs = r.sourcePoint[1][1] - r.sourcePoint[0][1];
        r.sourcePoint[2][0] = r.sourcePoint[0][0] + dYs;
        r.sourcePoint[2][1] = r.sourcePoint[0][1] - dXs;
        const double dXp = r.publicPoint[1][1] - r.publicPoint[0][1], dYp = r.publicPoint[1][0] - r.publicPoint[0][0];
        r.publicPoint[2][1] = r.publicPoint[0][1] + dYp;
        r.publicPoint[2][0] = r.publicPoint[0][0] - dXp;
        r.vertexFlags[2] = 1;
    }
    const DxfRegistration before = r;
    r.projective = 0;
    r.vertexFlags[0] = s.projectiveChecked ? 2 : 1;
    if (ComputeDxfRegistration(1) != kDxfRegistrationDone) {
        // Coincident drawing points fix no registration: the one in force stays, and the
        // dialog stays open for another pick.
        r.projective = before.projective;
        r.vertexFlags[0] = before.vertexFlags[0];
        ShowMessage("ＤＸＦ画像上の点がすべて同じ位置です\n別の点を指定してください", "", msg::kOk | msg::kIconWarning);
        return false;
    }
    r.transformActive = 1;
    ApplyDxfRegistration(0);
    if (g_dxfSourcePath.size() >= 5) WriteDxiFile();
    r.currentVertex = 0;
    ShowAllKeepSettings();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    return true;
}

void OnDxfPositionCancel(DxfPositionDialogState&) {
    g_dxfRegistration = g_dxfRegistrationBackup;
    R().currentVertex = 0;
    ApplyDxfRegistration(0);
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OnDxfPositionReset(DxfPositionDialogState& s) {
    R().transformActive = 0;
    std::fill(std::begin(R().vertexFlags), std::end(R().vertexFlags), 0);
    R().projective = 0;
    R().currentVertex = 0;
    g_toolMode = MODE_NONE;
    UncheckVertices(s);
    ResetDxfRegistration(0);
    ApplyDxfRegistration(0);
    MarkDxfRegistrationReset();
    ShowAllKeepSettings();
    s.registerEnabled = false;
    s.projectiveEnabled = false;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OnDxfPositionClosed() {
    g_toolMode = MODE_NONE;
    g_pickReceiver = nullptr;
    g_pickDialog = nullptr;
}

void SetDxfPositionPickReceiver(DxfPositionPickReceiver receiver, void* dialog) {
    g_pickReceiver = receiver;
    g_pickDialog = dialog;
}

bool DxfPositionDialogOpen() { return g_pickReceiver != nullptr; }

bool DxfPositionViewClick(int32_t column, int32_t row) {
    if (!g_pickReceiver) return false;
    R().clickColumn = column;
    R().clickRow = row;
    double north, east;
    DxfClientToPlan(column, row, north, east);
    R().entryY = east;
    R().entryX = north;
    g_pickReceiver(g_pickDialog);
    return true;
}
