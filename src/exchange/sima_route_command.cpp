#include "exchange/sima_route_command.h"

#include <cstdint>
#include <filesystem>
#include <string>

#include "exchange/sima_route.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/work_folder.h"

namespace {

constexpr const char* kSaveFilter = "ＳＩＭＡデータ|*.SIM| すべてのファイル|*.*|";
constexpr const char* kOpenFilter = "SIMAファイル (*.SIM)|*.SIM|すべてのファイル|*.*||";

void RunWriter(const char* title, int32_t (*writer)(const std::filesystem::path&)) {
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.filter = kSaveFilter;
    request.defaultExtension = "SIM";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    if (writer(chosen) == kRouteSimaWriteFailed)
        ShowMessage("ファイルが作成できませんでした。\n" + chosen, "ファイル作成失敗",
                    msg::kOk | msg::kIconError);
}

}  // namespace

void RunRouteSimaOutput() { RunWriter("路線ＳＩＭＡファイル名設定", WriteRouteSima); }
void RunLongSectionSimaOutput() { RunWriter("縦断ＳＩＭＡファイル名設定", WriteLongSectionSima); }
void RunCrossSectionSimaOutput() { RunWriter("横断ＳＩＭＡファイル名設定", WriteCrossSectionSima); }

bool RunRouteSimaRead() {
    FileDialogRequest request;
    request.title = "SIMA路線データ読み込み";
    request.filter = kOpenFilter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    if (ReadRouteSima(chosen) == kRouteSimaOpenFailed)
        ShowMessage("ファイルが開けません。\n" + chosen, "", msg::kOk | msg::kIconError);
    return true;
}
