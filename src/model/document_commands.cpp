#include "model/document_commands.h"

#include "model/document_services.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/window_registry.h"
#include "shell/work_folder.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
constexpr const char* kAskSave = "上書き保存してよろしいですか";
}  // namespace

const SiblingProgramRow kContourPlotRow = {
    32857, "等高線作図", "OnContourPlot", "HOL_VAN", "HOLVAN.exe", SiblingArgument::kDataPath,
    "作画プログラムはインストールされていません。", "作画プログラムのパスが見つかりません。",
    "作画プログラムファイルが異常です。"};

const SiblingProgramRow kMeshProgramRow = {
    32962, "", "OnStartMeshProgram", "OVK_BELMORA", "BELMORA.exe", SiblingArgument::kDataPath,
    "メッシュ計算プログラムはインストールされていません。", "メッシュ計算プログラムのパスが見つかりません。",
    "メッシュ計算プログラムファイルが異常です。"};

std::string AskDocumentFile(const DocumentFileDialog& dialog) {
    FileDialogRequest request;
    request.save = dialog.save;
    request.title = dialog.title;
    request.filter = dialog.filter;
    request.defaultExtension = dialog.defaultExtension;
    request.folder = g_workFolder;
    request.fileName = dialog.fileName;
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) g_lastFolder = FolderOfPath(chosen);
    return chosen;
}

void ResetViewAfterLoad(const std::function<void()>& setScrollExtent) {
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    if (setScrollExtent) setScrollExtent();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void RefreshDocumentView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OnContourPlot(const DocumentSaveHooks& hooks) {
    if (FindWindowClass(kContourPlotRow.className)) {
        RaiseWindowClass(kContourPlotRow.className);
        return;
    }
    if (ShowMessage(kAskSave, "", msg::kYesNo | msg::kIconQuestion) != msg::kIdYes) return;
    // The plotter reads the saved file: after a failed or refused save it would show
    // other data than the user sees.
    if (!hooks.save || !hooks.save()) return;
    LaunchSiblingProgram(kContourPlotRow, g_currentDataPath);
}

void OnStartMeshProgram(const DocumentSaveHooks& hooks) {
    if (FindWindowClass(kMeshProgramRow.className)) {
        RaiseWindowClass(kMeshProgramRow.className);
        return;
    }
    std::string argument;
    if (g_pointsPresent != 0) {
        bool withFile = true;
        if (hooks.modified && hooks.modified()) {
            withFile = ShowMessage(kAskSave, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
            // A file that could not be saved is not the data the user sees.
            if (withFile) withFile = hooks.save && hooks.save();
        }
        if (withFile) argument = g_currentDataPath;
    }
    LaunchSiblingProgram(kMeshProgramRow, argument);
}
