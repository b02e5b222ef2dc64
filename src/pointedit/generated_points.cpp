#include "pointedit/generated_points.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/rnd_file.h"
#include "model/tin_intersection.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "pointedit/edit_windows.h"
#include "pointedit/point_array.h"
#include "pointedit/point_gen_dialogs.h"
#include "shell/tool_commands.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

PointGenDialogs& PointGenDialogHooks() {
    static PointGenDialogs dialogs;
    return dialogs;
}

namespace {
void FillTemplate(double x, double y, double z, const std::string& name) {
    g_editPoint.x = x;
    g_editPoint.y = y;
    g_editPoint.z = z;
    CopyPointName(g_editPoint.name, name);
    g_editPoint.invalid = static_cast<int16_t>(g_newPointInvalid);
    g_editPoint.plotKind = static_cast<int16_t>(g_newPointPlotMode);
    g_editPoint.outside = 0;
}
}  // namespace

int32_t ReserveGeneratedPoint(double x, double y, double z, const std::string& name) {
    const int32_t b = AppendPointAtCursor(0, 0);
    if (b == 0) return 0;
    FillTemplate(x, y, z, name);
    g_editPoint.hidden = 0;
    g_editPoint.flags = 0;
    // Placed on the screen where it lies, so that clicks find it before the next paint.
    ProjectRecord(g_editPoint);
    g_points[b] = g_editPoint;
    return b;
}

int32_t AppendGeneratedPoint(double x, double y, double z, const std::string& name) {
    const int32_t b = ReserveGeneratedPoint(x, y, z, name);
    if (b == 0) return 0;
    g_pointCount = b;
    SetPointEndMarker();
    return b;
}

bool WriteGeneratedRnd(const std::string& path, const std::vector<RandomPoint>& points) {
    TextFileWriter file;
    if (!file.Open(path)) {
        ShowMessage("ファイルが作成できません。", "", msg::kOk | msg::kIconError);
        return false;
    }
    const int32_t r = WriteRndRecords(file, points);
    if (!file.Close() && r == kRndWritten) {
        ShowMessage("ファイルが作成できません。", "", msg::kOk | msg::kIconError);
        return false;
    }
    return r == kRndWritten;
}

int32_t GenerateTinCrossingPoints(int32_t n) {
    if (n > kMaxGeneratedPoints) {
        char text[200];
        std::snprintf(
            text, sizeof text,
            "矩形内点数が %d 点以内になるように選択しなおしてください。 [ 現在点数 %d 点 ]",
            kMaxGeneratedPoints, n);
        ShowMessage(text, "", msg::kOk | msg::kIconError);
        return -1;
    }
    if (n <= 0) return 0;
    n = std::min<int32_t>(n, static_cast<int32_t>(g_intersectionResults.size()));
    GenPointSaveValues values;
    const PointGenDialogs& dialogs = PointGenDialogHooks();
    if (!dialogs.runGenPointSave || dialogs.runGenPointSave(values) != 1) return 0;

    std::vector<RandomPoint> points(g_intersectionResults.begin(),
                                    g_intersectionResults.begin() + n);
    for (RandomPoint& p : points) {
        // Point names hold 11 bytes; the dialog takes 63.
        CopyPointName(p.name, values.name);
        p.invalid = p.hidden;
    }

    int32_t done = 0;
    if (values.choice == 1) {
        if (!g_points) return -1;
        g_dataChanged = -1;
        g_addedPointsInMode = -1;
        for (RandomPoint p : points) {
            p.plotKind = static_cast<int16_t>(g_newPointPlotMode);
            p.outside = 0;
            p.hidden = 0;
            p.flags = 0;
            const int32_t b = AppendPointAtCursor(0, 0);
            if (b == 0) {
                g_addedPointsInMode = 0;
                SetPointEndMarker();
                break;
            }
            g_points[b] = p;
            g_pointCount = b;
            SetPointEndMarker();
            ++done;
        }
        if (done > 0) g_pointsPresent = -1;
    } else {
        FileDialogRequest request;
        request.save = true;
        request.title = "ランダムファイルの保存";
        request.filter = "ランダムファイル (*.RND)|*.RND|";
        request.defaultExtension = "RND";
        request.folder = g_workFolder;
        request.fileName = g_documentTitle + ".RND";
        const std::string path = RunFileDialog(request);
        if (path.empty()) return 0;
        g_lastFolder = std::filesystem::path(path).parent_path().string();
        if (!g_pointsPresent) return 0;
        if (!WriteGeneratedRnd(path, points)) return -1;
        done = n;
    }
    ResetToolMode();
    g_pickedPoint = 0;
    FullRepaintView();
    return done;
}

int32_t GenerateTinIntersectionsInRectangle(int32_t left, int32_t top, int32_t right,
                                            int32_t bottom) {
    if (IsProgressWindowOpen() || !g_points || g_pointCount <= 0) return 0;
    const int32_t selected = MarkPointsInClientRect(left, top, right, bottom);
    int32_t n = 0;
    if (selected > 0) {
        if (g_birdsEyeOn)
            ShowMessage("2次元表示にしてください。", "確認", msg::kOk | msg::kIconWarning);
        else
            n = CalcTinIntersections();
    }
    for (int32_t i = 1; i <= g_pointCount; ++i)
        g_points[i].flags &= static_cast<uint8_t>(~kPointFlagRectSelected);
    if (n == -2) ShowMessage("メモリが不足しています。", "", msg::kOk | msg::kIconError);
    return n > 0 ? GenerateTinCrossingPoints(n) : 0;
}

void OnTinIntersection() {
    const bool active =
        g_toolMode == MODE_POINT_EDIT && g_pointEditState == POINT_EDIT_TIN_INTERSECTION;
    ResetToolMode();
    g_pickedPoint = 0;
    if (active) return;
    CloseEditToolWindows();
    CloseToolWindows();
    ClearPicks();
    g_showPoints = -1;
    if (g_birdsEyeOn && ShowMessage("2次元表示にしてから選択してください。\n2次元表示にしますか ?",
                                    "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
        g_birdsEyeOn = 0;
    FullRepaintView();
    if (ToolServices().focusMainWindow) ToolServices().focusMainWindow();
    g_toolMode = MODE_POINT_EDIT;
    g_pointEditState = POINT_EDIT_TIN_INTERSECTION;
    if (!g_birdsEyeOn)
        ShowMessage("計算範囲を囲ってください。", "", msg::kOk | msg::kIconInformation);
}
