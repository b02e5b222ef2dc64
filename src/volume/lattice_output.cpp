#include "volume/lattice_output.h"

#include <chrono>
#include <filesystem>
#include <new>
#include <thread>
#include <vector>

#include "model/file_report.h"
#include "model/geodesy.h"
#include "model/progress.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "pointedit/point_array.h"
#include "shell/status_text.h"
#include "shell/work_folder.h"
#include "volume/mesh_data.h"
#include "volume/mesh_elevation_command.h"
#include "volume/mesh_from_tin.h"

namespace {

bool StopKeysDown() { return IsKeyDown(key::kEscape) || IsKeyDown(kStopKey); }

}  // namespace

int32_t WriteTriangularLatticeRnd(const std::string& path, int32_t missingPolicy, double missingValue,
                                  LatticeOutputSummary* summary) {
    LatticeOutputSummary local;
    LatticeOutputSummary& out = summary ? *summary : local;
    out = {};
    if (path.size() < 4) return kLatticeBadPath;
    ResetMeshLastHit();
    if (missingPolicy < 1) {
        missingPolicy = g_meshMissingPolicy;
        missingValue = g_meshMissingValue;
    }
    if (!(g_meshLength > 0 && g_meshWidth > 0 && g_meshPitchLength > 0 && g_meshPitchWidth > 0))
        return kLatticeNoMemory;
    const MeshRangeTest range;
    const double e = kMeshLatticeFactor * g_meshPitchLength;
    const double h = g_meshPitchWidth / 2;
    const int32_t bytesPerColumn = MeshNodeLineCount(g_meshWidth, g_meshPitchWidth) + 1;
    const int32_t columns = MeshNodeLineCount(g_meshLength, e);
    if (bytesPerColumn < 2 || columns < 1) return kLatticeNoMemory;

    std::vector<uint8_t> mask, raster;
    std::vector<MeshBucket> buckets;
    std::vector<int32_t> list;
    try {
        raster.assign((static_cast<size_t>(columns) + 2) * bytesPerColumn, 0);
        SetStatusText("Creating triangle list...");
        if (!BuildMeshTriangleMask(&mask)) return kLatticeNoMemory;
        CullTrianglesOutsideMeshArea(mask);
        SetStatusText("Marking outsid points...");
        MarkOutsideNodes(mask, raster, bytesPerColumn, columns + 1, 1);
        BuildMeshTriangleBuckets(buckets, list, mask);
    } catch (const std::bad_alloc&) {
        return kLatticeNoMemory;
    }

    TextFileWriter file;
    if (!file.Open(path)) return kLatticeCannotCreate;
    file.WriteRaw(g_planeZone > 0 ? FormatString("BL%2d\r\n", g_planeZone) : "********************\r\n");
    for (int k = 0; k < 4; ++k) file.WriteRaw("********************\r\n");

    const MeshFrame frame = CurrentMeshFrame();
    MeshElevationRange found{missingValue, missingValue};
    int32_t missing = 0;
    uint32_t last = TickCount();
    auto writePoint = [&](double x, double y, double z, int32_t middle) {
        file.WriteRaw(FormatString("          %14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", x, y, z, g_newPointInvalid,
                                   middle, g_newPointPlotMode));
        ++out.written;
    };
    // Reports progress and polls the stop keys at most every 100 ms; true to stop.
    auto poll = [&](int pass, int32_t i, int32_t j) {
        const uint32_t now = TickCount();
        if (LongLoopPollInterval() > 0 && now - last <= LongLoopPollInterval()) return false;
        last = now;
        SetStatusText(FormatString("RND file writing... %d (pass%d %d:%d)", out.written, pass, i, j));
        PumpOneMessage();
        if (!StopKeysDown()) return false;
        SetStatusText("Break by ESC");
        while (StopKeysDown()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            PumpOneMessage();
        }
        return true;
    };
    for (int pass = 1; pass <= 2 && !out.stopped; ++pass) {
        if (pass == 2 && missing == 0) break;
        const double fill = found.MissingValue(missingPolicy, missingValue);
        for (int32_t i = 0; i * e <= g_meshLength && i <= columns && !out.stopped; ++i) {
            for (int32_t j = 0; j + 1 < bytesPerColumn && j * g_meshPitchWidth + (i % 2 ? h : 0) <= g_meshWidth; ++j) {
                if (poll(pass, i, j)) {
                    out.stopped = true;
                    break;
                }
                double x, y;
                frame.ToMap(i * e, j * g_meshPitchWidth + (i % 2 ? h : 0), &x, &y);
                if (range.Outside(x, y)) continue;
                uint8_t& byte = raster[static_cast<size_t>(i + 1) * bytesPerColumn + (j + 1)];
                if (pass == 1) {
                    double z = 0;
                    if (byte && FindTinElevationInBuckets(buckets, list, mask, x, y, &z) != 0) {
                        z = RoundMeshElevation(z);
                        found.Add(z);
                        writePoint(x, y, z, 0);
                    } else {
                        byte = 0;
                        ++missing;
                    }
                } else if (!byte) {
                    writePoint(x, y, fill, 1);
                }
            }
        }
    }
    const bool closed = file.Close();
    if (out.written == 0) RemovePartialFile(path);
    // A TIN of the same name beside the new points would no longer belong to them.
    RemoveCompanion(path, ".tri");
    if (!closed) return kLatticeWriteFailed;
    SetStatusText(LatticeOutputStatus(kLatticeDone, out));
    return kLatticeDone;
}

std::string LatticeOutputStatus(int32_t result, const LatticeOutputSummary& summary) {
    switch (result) {
        case kLatticeDone:
            if (summary.stopped)
                return FormatString("Break by ESC: %d RND points written, the file is incomplete", summary.written);
            return FormatString("%d RND points file created", summary.written);
        case kLatticeBadPath:
            return "ファイル名が正しくありません。";
        case kLatticeCannotCreate:
            return "ファイルを作成できません。";
        case kLatticeNoMemory:
            return "三角形配列の作業用メモリが確保できませんでした。";
        default:
            return "ファイルに書き込めません。";
    }
}

int32_t RunTriangularLatticeOutput(const std::string& path) {
    LatticeOutputSummary summary;
    const int32_t result = WriteTriangularLatticeRnd(path, 0, 0, &summary);
    if (result == kLatticeCannotCreate) {
        ReportCannotCreate(path);
    } else if (result == kLatticeWriteFailed) {
        ReportWriteFailed(path);
    } else if (result != kLatticeDone) {
        ShowMessage(LatticeOutputStatus(result, summary), "", msg::kOk | msg::kIconError);
    } else if (summary.stopped) {
        ShowMessage(LatticeOutputStatus(result, summary) + "\n" + path, "", msg::kOk | msg::kIconWarning);
    }
    return result;
}

void OnTriangularLatticeOutput() {
    FileDialogRequest request;
    request.save = true;
    request.title = "メッシュエリアランダム点ファイル作成";
    request.filter = "ランダムデータファイル (*.RND)|*.RND|すべてのファイル|*.*|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    g_lastFolder = FolderOfPath(chosen);
    ShowWaitCursor(true);
    RunTriangularLatticeOutput(chosen);
    ShowWaitCursor(false);
}
