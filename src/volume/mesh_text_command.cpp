#include "volume/mesh_text_command.h"

#include "model/document_services.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/work_folder.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {
constexpr const char* kAskDiscard = "現在読み込んでいるデータは破棄されますがよろしいですか";
constexpr const char* kClipboardDone = "クリップボード出力終了";
constexpr const char* kClipboardBusy = "クリップボードは他のアプリケーションで使用中です";

void PutOnClipboard(const std::string& table) {
    if (SetClipboardText(table))
        ShowMessage(kClipboardDone, "", msg::kOk | msg::kIconInformation);
    else
        ShowMessage(kClipboardBusy, "", msg::kOk | msg::kIconError);
}
}  // namespace

void OnImportMeshText(const std::function<bool(MeshTextImportValues&)>& runImportDialog) {
    if (g_pointsPresent != 0 &&
        ShowMessage(kAskDiscard, "", msg::kOkCancel | msg::kIconQuestion) != msg::kIdOk)
        return;
    FileDialogRequest request;
    request.title = "メッシュテキストデータ取り込み";
    request.filter = "ＣＳＶファイル (*.CSV)|*.CSV|テキストファイル (*.TXT)|*.TXT|すべてのファイル|*.*||";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    MeshTextImportValues values;
    if (!runImportDialog || !runImportDialog(values)) return;
    ImportMeshText(path, values.rule, values.elevation);
    SetLoadedElevationRange();
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void OnCopyMeshElevations(const std::function<bool(MeshClipboardValues&)>& runClipboardDialog) {
    MeshClipboardValues values;
    if (!runClipboardDialog || !runClipboardDialog(values)) return;
    PutOnClipboard(MeshElevationTable(values));
}

void OnCopyMeshVolumes() { PutOnClipboard(MeshVolumeTable()); }

void OnExportMeshAsRandom() {
    FileDialogRequest request;
    request.save = true;
    request.title = "ランダムデータ書き込み";
    request.filter = "ランダムファイル (*.RND)|*.RND|すべてのファイル|*.*|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    WriteMeshAsRandom(WithDefaultExtension(path, "RND"));
}
