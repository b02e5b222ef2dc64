#include "section/section_files_command.h"

#include <string>

#include "platform/file_dialog.h"
#include "platform/files.h"
#include "route/route_files_command.h"
#include "section/section_files.h"
#include "shell/work_folder.h"

int32_t SaveSimpleSectionsAs() {
    FileDialogRequest request;
    request.save = true;
    request.title = "簡易断面ファイル名設定";
    request.filter = "簡易断面データ|*.QDN| すべてのファイル|*.*|";
    request.defaultExtension = "QDN";
    request.folder = g_workFolder;
    request.fileName = "No_Name";
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return 1;
    g_lastFolder = FolderOfPath(chosen);
    const std::string path = WithDefaultExtension(chosen, "QDN");
    const bool qdn = WriteQdnFile(path) == 0;
    const bool route = WriteRouteDocument(WithExtension(path, ".ALG"), nullptr);
    return qdn && route ? 0 : -1;
}
