#include "exchange/text_outputs.h"

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "volume/mesh_data.h"
#include "volume/mesh_text.h"
#include "volume/tin_report.h"

namespace {
int32_t Finish(TextFileWriter& out) {
    if (out.Close()) return 0;
    RemovePartialFile(out.Path());
    return kTextOutWriteFailed;
}

bool MeshNodesReady() {
    return g_meshElevationsDone && g_meshColumns >= 1 && g_meshRows >= 1 &&
           g_meshNodes.Size() > int64_t{g_meshColumns} * g_meshRows;
}
}  // namespace

int32_t WriteTinCoordinateText(const std::filesystem::path& path, int32_t axisChoice) {
    if (!g_tinPresent || g_tinEdgeCount <= 0) return kTextOutNothing;
    TextFileWriter out;
    if (!out.Open(path)) return kTextOutNotCreated;
    const bool yFirst = axisChoice == kTinTextYFirst;
    auto first = [yFirst](const RandomPoint& p) { return yFirst ? p.y : p.x; };
    auto second = [yFirst](const RandomPoint& p) { return yFirst ? p.x : p.y; };
    const bool marked = ForEachTinTriangle(0, [&](const RandomPoint& a, const RandomPoint& b, const RandomPoint& c) {
        out.PrintLine("%16.3lf%16.3lf%16.3lf%16.3lf%16.3lf%16.3lf%16.3lf%16.3lf%16.3lf", first(a), second(a), a.z,
                      first(b), second(b), b.z, first(c), second(c), c.z);
    });
    if (!marked) {
        out.Close();
        RemovePartialFile(path);
        return kTextOutNoMemory;
    }
    return Finish(out);
}

int32_t WriteMeshElevationNodes(const std::filesystem::path& path, int32_t form, bool withMissing) {
    if (!MeshNodesReady()) return kTextOutNothing;
    TextFileWriter out;
    if (!out.Open(path)) return kTextOutNotCreated;
    const MeshNode* nodes = g_meshNodes.Data();
    int32_t written = 0;
    for (int32_t r = 1; r <= g_meshRows && !out.Failed(); ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            const MeshNode& n = nodes[(r - 1) * g_meshColumns + c];
            if (!withMissing && n.valid == 0) continue;
            if (form == kMeshTextComma)
                out.PrintLine("%.3f,%.3f,%.3f", n.y, n.x, n.z);
            else
                out.PrintLine("%d  %.3f  %.3f  %.3f", ++written, n.y, n.x, n.z);
        }
    return Finish(out);
}

int32_t WriteMeshElevationText(const std::filesystem::path& path) {
    if (!MeshNodesReady()) return kTextOutNothing;
    const int32_t form = AskMeshTextFormat();
    const bool withMissing =
        ShowMessage("欠損点も出力しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    return WriteMeshElevationNodes(path, form, withMissing);
}

void ReportTextOutputResult(int32_t result, const std::filesystem::path& path) {
    switch (result) {
        case kTextOutNothing:
            ShowMessage("出力するデータがありません。", "", msg::kOk | msg::kIconInformation);
            break;
        case kTextOutNotCreated:
            ReportCannotCreate(path);
            break;
        case kTextOutWriteFailed:
            ReportWriteFailed(path);
            break;
        case kTextOutNoMemory:
            ReportNoMemory();
            break;
        default:
            break;
    }
}

void OnTinCoordinateTextOutput(int32_t (*runAxisDialog)()) {
    FileDialogRequest request;
    request.save = true;
    request.filter = "テキストファイル (*.TXT)|*.TXT| すべてのファイル|*.*|";
    request.defaultExtension = "TXT";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    // The dialog answers kAxisSurvey for "公共座標"; "数学座標" is the order that puts Y first.
    const int32_t axes = runAxisDialog ? runAxisDialog() : kAxisSurvey;
    if (axes != kAxisSurvey && axes != kAxisMathematical) return;
    const int32_t choice = axes == kAxisMathematical ? kTinTextYFirst : kTinTextXFirst;
    ReportTextOutputResult(WriteTinCoordinateText(path, choice), path);
}

void OnExportMeshElevationText() {
    FileDialogRequest request;
    request.save = true;
    request.title = "メッシュテキストデータ書き込み";
    request.filter = "すべてのファイル|*.*||";
    request.folder = g_workFolder;
    // Only proposed: the mesh keeps its own file name for the next mesh save.
    request.fileName = std::filesystem::path(g_meshFilePath).filename().string();
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    ReportTextOutputResult(WriteMeshElevationText(path), path);
}
