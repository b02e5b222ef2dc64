#include "route/curve_list_dialog.h"

#include "route/curve_report.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"

namespace {
void ShowCurrent(std::string& text) {
    FormatCurveReport(text);
    g_redrawMask = 0;
    InvalidateAndUpdateView();
}
}  // namespace

void OpenCurveElementList(std::string& text) {
    g_currentIp = 2;
    ShowCurrent(text);
}

bool CurveElementListNext(std::string& text) {
    if (g_currentIp >= g_ipPointCount - 1) return false;
    ++g_currentIp;
    ShowCurrent(text);
    return true;
}

bool CurveElementListPrevious(std::string& text) {
    if (g_currentIp <= 2) return false;
    --g_currentIp;
    ShowCurrent(text);
    return true;
}

void CloseCurveElementList() { g_currentIp = 0; }

void OnCurveElementListCommand(const std::function<void()>& runDialog) {
    g_toolMode = 0;
    g_dragState = 0;
    if (runDialog) runDialog();
    CloseCurveElementList();
}
