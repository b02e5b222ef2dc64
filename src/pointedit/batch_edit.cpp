#include "pointedit/batch_edit.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/file_report.h"
#include "model/numeric_text.h"
#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/rnd_file.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/area_selection.h"
#include "pointedit/point_array.h"
#include "shell/work_folder.h"
#include "view/projection.h"
#include "view/view_input.h"
#include "view/view_picking.h"
#include "view/view_state.h"

int32_t g_batchSetElevation = 0;
int32_t g_batchUseHeightDiff = 0;
double g_batchHeightDiff = 0.0;
double g_batchElevationWheelStep = 2.0;
int32_t g_batchSetValid = 0;
int16_t g_batchInvalid = 0;
int32_t g_batchSetName = 0;
int32_t g_batchSetPlot = 0;

namespace {
std::function<int()> g_batchEditDialogRunner;

constexpr int32_t kPolygonVertexRadius2 = 25;
constexpr double kSmallestWheelStep = 0.001;

bool IsPointIndex(int32_t i) { return i >= 1 && i <= g_pointCount; }
}  // namespace

void ResetBatchSettings() {
    g_batchSetElevation = g_batchUseHeightDiff = 0;
    g_batchHeightDiff = 0.0;
    g_batchElevationWheelStep = 2.0;
    g_batchSetValid = g_batchSetName = g_batchSetPlot = 0;
    g_batchInvalid = 0;
}

// ---- the dialog ----

void SetBatchEditDialogRunner(std::function<int()> runner) {
    g_batchEditDialogRunner = std::move(runner);
}

int32_t RunBatchEditDialog() { return g_batchEditDialogRunner ? g_batchEditDialogRunner() : 0; }

bool BatchEditValidityKey(bool insert, bool del) {
    if (!insert && !del) return false;
    g_batchSetValid = 1;
    g_batchInvalid = insert ? 0 : 1;
    return true;
}

std::string BatchEditElevationLeft(const std::string& text) {
    size_t start = text.find_first_not_of(' ');
    if (start != std::string::npos && (text[start] == 's' || text[start] == 'S')) {
        double step = 0.0;
        if (ParseDialogNumber(text.substr(start + 1), &step))
            // A step of 0 would stop the wheel and divide the snapping by zero.
            g_batchElevationWheelStep = step > 0.0 ? step : kSmallestWheelStep;
    } else {
        double z = 0.0;
        if (ParseDialogNumber(text, &z)) g_newPointZ = z;
    }
    return FormatString("%.3f", g_newPointZ);
}

std::string BatchEditHeightDiffLeft(const std::string& text) {
    double d = 0.0;
    if (ParseDialogNumber(text, &d)) g_batchHeightDiff = d;
    return FormatString("%.3f", g_batchHeightDiff);
}

std::string BatchEditNameLeft(const std::string& utf8) {
    const std::string cp932 = Utf8ToCp932(utf8);
    g_newPointName = cp932.substr(0, Cp932PrefixLength(cp932, 11));
    return Cp932ToUtf8(g_newPointName);
}

void BatchEditWheel(int32_t delta) {
    double step = g_batchElevationWheelStep;
    if (!(step > 0.0)) step = kSmallestWheelStep;
    g_newPointZ += delta > 0 ? step : -step;
    if (step - std::floor(step) < 0.001) g_newPointZ = std::trunc(g_newPointZ / step) * step;
}

// ---- applying ----

void ApplyBatchSettings(RandomPoint& p) {
    if (g_batchSetElevation) p.z = g_batchUseHeightDiff ? p.z + g_batchHeightDiff : g_newPointZ;
    if (g_batchSetValid) p.invalid = (p.flags & POINT_FLAG_OUTLINE_VERTEX) ? 0 : g_batchInvalid;
    if (g_batchSetName) CopyPointName(p.name, g_newPointName);
    if (g_batchSetPlot) p.plotKind = static_cast<int16_t>(g_newPointPlotMode);
}

void ApplyBatchEdit(int32_t result) {
    constexpr uint8_t kSelection = POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!(p.flags & kSelection)) continue;
        p.flags &= static_cast<uint8_t>(~kSelection);
        if (result != 1) continue;
        g_dataChanged = -1;
        ApplyBatchSettings(p);
    }
}

void RunBatchEditOnLasso() { ApplyBatchEdit(RunBatchEditDialog()); }

int32_t ApplyBatchEditToSelection() {
    if (RunBatchEditDialog() != 1 || g_pointCount <= 0) return 0;
    int32_t changed = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (!(p.flags & POINT_FLAG_NEW_SELECTION)) continue;
        p.flags &= static_cast<uint8_t>(~POINT_FLAG_NEW_SELECTION);
        g_dataChanged = -1;
        ApplyBatchSettings(p);
        ++changed;
    }
    return changed;
}

namespace {
// The polygon's vertex within 5 pixels of the click, the nearest (the later of equally
// near ones); 0 for none.
int32_t PolygonVertexAt(int32_t x, int32_t y) {
    const int32_t n = std::min(g_pickList.Count(), kIndexListMaxVertices);
    int32_t found = 0;
    int64_t best = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const int32_t p = g_pickList[k];
        if (!IsPointIndex(p)) continue;
        const int64_t dx = int64_t{PointClientColumn(g_points[p])} - x;
        const int64_t dy = int64_t{PointClientRow(g_points[p])} - y;
        const int64_t d = dx * dx + dy * dy;
        if (d <= kPolygonVertexRadius2 && (found == 0 || d <= best)) {
            found = p;
            best = d;
        }
    }
    return found;
}

void EditInsidePolygon() {
    if (!g_pickList.Close()) return;
    OrientPolygonClockwise(g_pickList);
    MarkPointsInPolygonRaster(g_pickList, 1);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint& p = g_points[i];
        if (p.hidden != 0) continue;
        g_dataChanged = -1;
        ApplyBatchSettings(p);
    }
}
}  // namespace

int32_t PickSelectionPolygonPoint(int32_t flags, int32_t x, int32_t y) {
    if (flags & (kMouseFlagShift | kMouseFlagControl)) return 0;
    if (IsProgressWindowOpen() || IsKeyDown(key::kAlt)) return 0;
    if (!g_projectionValid) ProjectAllData(0);
    int32_t p = PolygonVertexAt(x, y);
    if (p == 0) p = FindPointAtCursor(x, y, kPickRadius2);
    if (!IsPointIndex(p)) return 0;

    if (g_points[p].flags & POINT_FLAG_PICKED) {
        const int32_t n = g_pickList.Count();
        if (n > 2 && p == g_pickList[1]) {
            if (RunBatchEditDialog() == 1) EditInsidePolygon();
            ClearPickList();
            g_pickedPoint = g_pickedPoint3 = 0;
            g_redrawMask = -1;
        } else if (n > 0 && p == g_pickList[n]) {
            UndoLastPick();
            const int32_t left = g_pickList.Count();
            g_pickedPoint3 = left > 0 ? g_pickList[left] : 0;
            if (left == 0) g_pickedPoint = 0;
        }
    } else {
        if (!g_pickList.Append(p)) return 0;
        if (g_pickList.Count() == 1) g_pickedPoint = p;
        g_points[p].flags |= POINT_FLAG_PICKED;
        g_pickedPoint3 = p;
    }
    g_redrawMask = 1;
    return p;
}

// ---- the points outside the TIN ----

bool WriteUnusedPointsRnd(const std::string& path) {
    RestoreSurveyFrame();  // never turned coordinates into a file
    std::vector<uint8_t> used(static_cast<size_t>(std::max(g_pointCount, 0)) + 1, 0);
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        for (int32_t v : {g_tinEdges[e].a, g_tinEdges[e].b}) {
            if (v == kNoApex) continue;
            const int32_t i = std::abs(v);
            if (IsPointIndex(i)) used[i] = 1;
        }
    }
    bool any = false;
    for (int32_t i = 1; i <= g_pointCount && !any; ++i) any = !used[i];
    if (!any) {
        ShowMessage("該当する点がありませんでした。", "", msg::kOk | msg::kIconError);
        return false;
    }
    RndTextLayout layout;
    layout.headerLine = "********************";
    const RandomPoint* first = g_points;
    return WriteRndFile(
        path,
        [&used, first](const RandomPoint& p) { return used[static_cast<size_t>(&p - first)] == 0; },
        layout);
}

bool OnWriteUnusedPoints() {
    FileDialogRequest request;
    request.save = true;
    request.title = "三角網未使用点ランダムデータ書き込み";
    request.filter = "ランダムファイル (*.RND)|*.RND|すべてのファイル|*.*|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    const std::string path = WithDefaultExtension(chosen, "RND");
    g_lastFolder = FolderOfPath(path);
    return WriteUnusedPointsRnd(path);
}
