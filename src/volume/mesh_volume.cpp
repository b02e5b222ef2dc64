#include "volume/mesh_volume.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/numeric_text.h"
#include "model/progress.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/quiet_mode.h"
#include "shell/sibling_programs.h"
#include "volume/cell_clip.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"

namespace {

constexpr const char* kSurplusText =
    "　切土[%.1f]\n　盛土[%.1f]\n　残土[%.1f]\n計算結果を保存しますか？";
constexpr const char* kShortageText =
    " 　切土[%.1f]\n 　盛土[%.1f]\n 不足土[%.1f]\n計算結果を保存しますか？";
constexpr const char* kNoElevationsText = "メッシュ標高計算されていません";
constexpr const char* kRefusedCellsText =
    "%d 個のメッシュは形状が複雑すぎるかデータが不足しているため、土量に含まれていません。";

// The grid's nodes are all in the node block (a mesh read without elevations has none).
bool GridNodesPresent() {
    if (!g_meshElevationsDone || g_meshColumns < 1 || g_meshRows < 1 || g_meshNodes.Empty()) return false;
    return int64_t{g_meshColumns} * g_meshRows < g_meshNodes.Size();
}

}  // namespace

double RoundMeshValue(double value, int32_t digits) {
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", std::clamp(digits, 0, 9));
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return std::strtod(text, nullptr);
}

MeshVolumeRun ComputeMeshAverageVolume(int32_t mode, int32_t partialCells) {
    MeshVolumeRun run;
    if (!GridNodesPresent()) {
        ShowMessage(kNoElevationsText, "", msg::kOk | msg::kIconError);
        return run;
    }
    const double a0 = g_meshPitchWidth * g_meshPitchLength;
    MeshNode* nodes = g_meshNodes.Data();
    g_progressCaption = "平均標高土量計算中";
    OpenRecordProgressWindow();

    static double xs[kCellPolygonCapacity], ys[kCellPolygonCapacity], zs[kCellPolygonCapacity],
        planZs[kCellPolygonCapacity];
    double totalCut = 0, totalFill = 0;
    const int32_t columns = g_meshColumns, rows = g_meshRows;
    const CellClipIndex index;
    for (int32_t r = 1; r < rows; ++r) {
        g_progressCounter = FormatRecordCounter(r, rows - 1);
        RefreshRecordProgressWindow();
        for (int32_t c = 1; c < columns; ++c) {
            const int32_t p1 = MeshNodeNumber(c, r), p2 = MeshNodeNumber(c + 1, r);
            const int32_t p3 = MeshNodeNumber(c + 1, r + 1), p4 = MeshNodeNumber(c, r + 1);
            MeshNode& cell = nodes[p1];
            cell.averageZ = cell.planAverageZ = cell.cut = cell.fill = 0;
            int32_t count = 0;
            double area = 0;
            bool polygon = false;
            const int32_t current = ClipCellByOutline(p1, p2, p3, p4, &count, xs, ys, zs, planZs, &area);
            if (current == kCellRefused) {
                ++run.refusedCells;
                continue;
            }
            if (current == kCellWhole) {
                int32_t planCount = 0;
                double planArea = 0;
                static double px[kCellPolygonCapacity], py[kCellPolygonCapacity], pz[kCellPolygonCapacity],
                    ppz[kCellPolygonCapacity];
                const int32_t plan = ClipCellByPlanLines(p1, p2, p3, p4, &planCount, px, py, pz, ppz, &planArea);
                if (plan == kCellPolygon && partialCells == kPartialCellsAll) {
                    polygon = true;
                    count = planCount;
                    area = planArea;
                    std::copy(pz, pz + planCount, zs);
                    std::copy(ppz, ppz + planCount, planZs);
                } else if (plan == kCellRefused && partialCells == kPartialCellsAll) {
                    ++run.refusedCells;
                    continue;
                }
            } else if (current == kCellPolygon && partialCells != kPartialCellsNone) {
                polygon = true;
            } else {
                continue;
            }
            if (polygon) {
                double sz = 0, spz = 0;
                for (int32_t i = 0; i < count; ++i) {
                    sz += zs[i];
                    spz += planZs[i];
                }
                cell.averageZ = RoundMeshValue(sz * (1.0 / count), g_meshAverageDigits);
                cell.planAverageZ = RoundMeshValue(spz * (1.0 / count), g_meshAverageDigits);
            } else {
                area = a0;
                const MeshNode &n1 = nodes[p1], &n2 = nodes[p2], &n3 = nodes[p3], &n4 = nodes[p4];
                cell.averageZ = RoundMeshValue(0.25 * (n1.z + n2.z + n3.z + n4.z), g_meshAverageDigits);
                cell.planAverageZ =
                    RoundMeshValue(0.25 * (n1.planZ + n2.planZ + n3.planZ + n4.planZ), g_meshAverageDigits);
            }
            if (mode == kMeshVolumeAreaCheck) {
                if (area >= 0) cell.fill = std::fabs(area);
                else cell.cut = std::fabs(area);
            } else {
                const double v = RoundMeshValue((cell.planAverageZ - cell.averageZ) * area, g_meshVolumeDigits);
                if (std::fabs(v) <= g_meshVolumeZeroLimit) cell.fill = 0;
                else if (v >= 0) cell.fill = v;
                else cell.cut = -v;
            }
            totalCut += cell.cut;
            totalFill += cell.fill;
        }
    }
    // Row sums into the last column, column sums into the last row, totals into the last node.
    for (int32_t r = 1; r < rows; ++r) {
        double cut = 0, fill = 0;
        for (int32_t c = 1; c < columns; ++c) {
            cut += nodes[MeshNodeNumber(c, r)].cut;
            fill += nodes[MeshNodeNumber(c, r)].fill;
        }
        nodes[MeshNodeNumber(columns, r)].cut = cut;
        nodes[MeshNodeNumber(columns, r)].fill = fill;
    }
    for (int32_t c = 1; c < columns; ++c) {
        double cut = 0, fill = 0;
        for (int32_t r = 1; r < rows; ++r) {
            cut += nodes[MeshNodeNumber(c, r)].cut;
            fill += nodes[MeshNodeNumber(c, r)].fill;
        }
        nodes[MeshNodeNumber(c, rows)].cut = cut;
        nodes[MeshNodeNumber(c, rows)].fill = fill;
    }
    nodes[MeshNodeNumber(columns, rows)].cut = totalCut;
    nodes[MeshNodeNumber(columns, rows)].fill = totalFill;
    CalcMeshCellCentres();
    CloseRecordProgressWindow();

    const double d = totalCut - totalFill;
    run.text = FormatString(d > 0 ? kSurplusText : kShortageText, totalCut, totalFill, std::fabs(d));
    run.cut = totalCut;
    run.fill = totalFill;
    run.computed = true;
    g_meshVolumeDone = 1;
    return run;
}

MeshVolumeRun CalcMeshAverageVolume(int32_t mode, int32_t partialCells) {
    MeshVolumeRun run = ComputeMeshAverageVolume(mode, partialCells);
    if (!run.computed || g_quietMode) return run;
    if (run.refusedCells > 0)
        ShowMessage(FormatString(kRefusedCellsText, run.refusedCells), "", msg::kOk | msg::kIconWarning);
    if (ShowMessage(run.text, "", msg::kYesNo | msg::kIconInformation) != msg::kIdYes) return run;
    run.writtenPath = SaveMeshVolumeFile();
    // Only a file this run wrote is offered for plotting: never an older result.
    if (run.writtenPath.empty()) return run;
    if (ShowMessage("作画しますか", "", msg::kYesNo | msg::kIconQuestion) != msg::kIdYes) return run;
    run.plotResult = StartSiblingProgram("HOL_VAN", "HOLVAN.exe", run.writtenPath);
    const std::string failure = PlottingProgramStartMessage(run.plotResult);
    if (!failure.empty()) ShowMessage(failure, "", msg::kOk | msg::kIconError);
    return run;
}

bool MeshVolumePlanSelectEnabled() { return g_meshAreaDefined != 0; }
bool MeshVolumeClearEnabled() { return g_meshPlanDone != 0; }
bool MeshVolumeStartEnabled() { return g_meshAreaDefined && g_meshPlanDone && GridNodesPresent(); }

std::string MeshVolumePlanPaths() {
    std::string text;
    for (int32_t k = 1; k <= g_planLineCount && k <= kMaxPlanLines; ++k) text += g_planLines[k].path + "\n";
    return text;
}

bool SetMeshVolumeZeroLimit(const std::string& text) {
    double value = 0;
    if (!ParseDialogNumber(text, &value) || !std::isfinite(value)) return false;
    g_meshVolumeZeroLimit = std::fabs(value);
    return true;
}
