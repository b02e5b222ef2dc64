#include "model/hole_commands.h"

#include <string>
#include <vector>

#include "model/file_report.h"
#include "model/holes.h"
#include "model/outline_edit.h"
#include "model/outline_hole_files.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/command_routing.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/work_folder.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
constexpr const char* kNoTinText = "三角網が計算されていません";
constexpr const char* kReleaseQuestion = "中抜を全て解除します。\nよろしいですか？";
constexpr const char* kInvertQuestion = "中抜領域とそれ以外の領域を\n反転します。よろしいですか？";
constexpr const char* kOutlineFilter = "外周データファイル (*.BN2)|*.BN2|すべてのファイル|*.*||";
constexpr const char* kHoleFilter = "中抜データファイル (*.HOL)|*.HOL|すべてのファイル|*.*||";
constexpr const char* kReplaceOutlineQuestion = "現在の外周は解除されます\n よろしいですか";
constexpr const char* kNoHoleText = "中抜領域はありません。";
constexpr const char* kUnclosedText =
    "閉じていない中抜境界が %d 本あり、保存しませんでした。";

std::function<int32_t()>& Chooser() {
    static std::function<int32_t()> chooser;
    return chooser;
}

bool NoTin() { return g_tinEdgeCount <= 0 || g_tinPresent == 0; }

// Asks before a change of all holes; false when there is no TIN or the user cancels.
bool ConfirmHoleChange(const char* question, int flags) {
    if (IsProgressWindowOpen()) return false;
    if (NoTin()) {
        ShowMessage(kNoTinText, "", msg::kOk | msg::kIconInformation);
        return false;
    }
    return ShowMessage(question, "", msg::kOkCancel | msg::kIconInformation | flags) == msg::kIdOk;
}

std::string AskFile(bool save, const char* title, const char* filter, const char* extension) {
    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.filter = filter;
    if (save) request.defaultExtension = extension;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) g_lastFolder = FolderOfPath(chosen);
    return chosen;
}

// The frame's steps around 中抜解除 and 中抜反転.
void AroundAllHoles(void (*change)()) {
    ResetToolMode();
    CloseToolWindows();
    ClearPicks();
    ClearPickedPoints();
    change();
    g_outlineEditState = 0;
    FullRepaintView();
}
}  // namespace

void SetHoleKindChooser(std::function<int32_t()> chooser) { Chooser() = std::move(chooser); }

int32_t RunHoleKindDialog() { return Chooser() ? Chooser()() : kHoleContour; }

void ApplyHoleTypes(const HoleTypeValues& v, bool registerHoles) {
    MarkHoleTriangles(v.current, v.plan, v.slope, v.water, v.building, registerHoles ? 1 : 0);
    g_dataChanged = -1;
    FullRepaintView();
}

void ReleaseAllHoles() {
    if (ConfirmHoleChange(kReleaseQuestion, 0)) ReleaseAllHoleMarks();
}

void InvertHoles() {
    if (ConfirmHoleChange(kInvertQuestion, msg::kSystemModal)) InvertHoleMarks();
}

void OnOutlineSave() {
    const std::string path = AskFile(true, "外周データ保存", kOutlineFilter, "BN2");
    if (!path.empty()) SaveOutlineFile(path);
}

void OnOutlineLoad() {
    if (g_outline.Count() > 1 &&
        ShowMessage(kReplaceOutlineQuestion, "", msg::kOkCancel | msg::kIconQuestion) != msg::kIdOk)
        return;
    const std::string path = AskFile(false, "外周データ読込", kOutlineFilter, "");
    if (path.empty()) return;
    // A file that cannot be read leaves the outline as it was.
    std::vector<CoordinateLine> vertices;
    if (!ReadOutlineFile(path, vertices)) return;
    ClearOutline();
    ClearPicks();
    ClearPickList();
    g_dataChanged = -1;
    ClearPickedPoints();
    AppendOutlineVertices(vertices);
    ShowAllKeepSettings();
}

void OnHoleLoad() {
    const std::string path = AskFile(false, "中抜データ読込", kHoleFilter, "");
    if (path.empty()) return;
    if (NoTin()) {
        ShowMessage(kNoTinText, "", msg::kOk | msg::kIconInformation);
        return;
    }
    ClearPicks();
    g_dataChanged = -1;
    ClearPickedPoints();
    if (LoadHoleFile(path, RunHoleKindDialog) == 1) {
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    }
}

void OnHoleSave() {
    const std::string path = AskFile(true, "中抜データ保存", kHoleFilter, "HOL");
    if (path.empty()) return;
    int32_t unclosed = 0;
    switch (SaveHoleFile(path, &unclosed)) {
        case kHoleFileNoHole:
            ShowMessage(kNoHoleText);
            return;
        case kHoleFileCannotCreate:
            ReportCannotCreate(path);
            return;
        case kHoleFileWriteFailed:
            ReportWriteFailed(path);
            return;
        default:
            break;
    }
    if (unclosed > 0)
        ShowMessage(FormatString(kUnclosedText, unclosed), "", msg::kOk | msg::kIconWarning);
}

void OnHoleRelease() { AroundAllHoles(ReleaseAllHoles); }

void OnHoleInvert() { AroundAllHoles(InvertHoles); }

void RegisterHoleCommands(FrameCommandTarget& commands) {
    commands.SetHandler(32928, OnOutlineSave);
    commands.SetHandler(32929, OnOutlineLoad);
    commands.SetHandler(32931, OnHoleLoad);
    commands.SetHandler(33055, OnHoleSave);
    commands.SetHandler(32956, OnHoleRelease);
    commands.SetHandler(32957, OnHoleInvert);
}
