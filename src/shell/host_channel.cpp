#include "shell/host_channel.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "model/outline_edit.h"
#include "model/pick_reset.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/shared_memory.h"
#include "shell/quiet_mode.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_history.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "volume/mesh_data.h"

namespace {
constexpr const char* kDone = "正常終了";

// A string field of the block: the bytes before its NUL, never beyond the field.
std::string Field(const char (&field)[kHostStringBytes]) {
    return std::string(field, strnlen(field, kHostStringBytes));
}
bool Terminated(const char* field) { return memchr(field, '\0', kHostStringBytes) != nullptr; }

void SetText(ExternalCommandBlock& block, const std::string& utf8) {
    const std::string cp932 = Utf8ToCp932(utf8);
    const size_t n = Cp932PrefixLength(cp932, kHostStringBytes - 1);
    std::memcpy(block.resultText, cp932.data(), n);
    std::memset(block.resultText + n, 0, kHostStringBytes - n);
}

void Result(ExternalCommandBlock& block, int32_t code, const std::string& text) {
    block.resultCode = code;
    SetText(block, text);
}

void ClearData() {
    g_pointsPresent = 0;
    g_pointCount = 0;
    g_tinPresent = 0;
    g_tinEdgeCount = 0;
    g_meshAreaDefined = 0;
    g_meshElevationsDone = 0;
    g_meshRows = 0;
    g_meshColumns = 0;
    ClearOutline();
    ClearPicks();
    ClearPickList();
}

void ResetMeshParams(double pitch) {
    g_meshRotation = 0;
    g_meshPitchLength = g_meshPitchWidth = pitch;
    g_meshVolumeZeroLimit = 0;
    g_meshAreaPolygonCount = 0;
    g_draggedMeshVertex = 0;
    g_meshAreaDefined = 0;
    g_meshElevationsDone = 0;
    g_meshPlanDone = 0;
    g_meshVolumeDone = 0;
    g_meshSectionDirection = 0;
    g_meshStationNameStyleV = 0;
    g_meshStationNameStyleH = 0;
    g_meshAverageDigits = 3;
    g_meshVolumeDigits = 3;
}

// The step a command needs that this program does not do yet; said instead of a result.
const char* MissingStep(int32_t command) {
    switch (command) {
    case 1:
    case 2:
    case 5: return "外部コマンド未対応: 入力ファイルからの外周・三角網作成は実行できません";
    case 3: return "外部コマンド未対応: メッシュ土量計算は実行できません";
    case 11:
    case 12: return "外部コマンド未対応: RND/TRIからのメッシュ作成は実行できません";
    default: return nullptr;
    }
}
}  // namespace

int ClassifyInputExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 9;
    std::string ext = path.substr(dot, 4);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".RND") return 0;
    if (ext == ".DXF") return 10;
    if (ext == ".BN2") return 200;
    return 9;
}

void ReorderOutlinePointsFirst() {
    const int32_t n = g_outline.Count();
    if (n <= 0 || n > g_pointCount || !g_points) return;
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].multiUse = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const int32_t p = g_outline[k];
        if (p < 1 || p > g_pointCount || g_points[p].multiUse != 0) return;  // damaged outline: left alone
        g_points[p].multiUse = k;
    }
    int32_t j = 1;
    for (int32_t i = 1; i <= n; ++i) {
        if (g_points[i].multiUse != 0) continue;
        if (j <= i) j = i + 1;
        while (j <= g_pointCount && g_points[j].multiUse == 0) ++j;
        if (j > g_pointCount) return;
        std::swap(g_points[i], g_points[j]);
    }
    for (int32_t i = 1; i <= n; ++i) g_outline[g_points[i].multiUse] = i;
    g_outline[n + 1] = g_outline[1];
    // The end record follows the kept points.
    g_points[n + 1] = g_points[g_pointCount + 1];
    g_pointCount = n;
}

int ReadMshHeader(const std::string& pathWithoutExtension) {
    ResetMeshParams(1.0);
    const auto path = FindFileNoCase(pathWithoutExtension + ".MSH");
    if (path.empty()) return 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    std::string line;
    for (int i = 0; i < 6; ++i) {
        if (!std::getline(in, line)) return 0;
        if (line.size() > 1000) line.resize(1000);
    }
    std::vector<std::string> fields(1);
    int commas = 0;
    for (char c : line) {
        if (c == ',') {
            if (++commas == 10) break;
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (commas < 9) return 0;
    double* doubles[] = {&g_meshOriginX, &g_meshOriginY, &g_meshRotation, &g_meshLength,
                         &g_meshWidth,   &g_meshPitchLength, &g_meshPitchWidth};
    for (int i = 0; i < 7; ++i) *doubles[i] = std::strtod(fields[i].c_str(), nullptr);
    g_meshColumns = static_cast<int32_t>(std::strtol(fields[8].c_str(), nullptr, 10));
    g_meshRows = static_cast<int32_t>(std::strtol(fields[9].c_str(), nullptr, 10));
    g_meshElevationsDone = 0;
    g_meshAreaDefined = 1;
    g_showMesh = 1;
    return commas;
}

void CalcHostMeshExtent(double pitch) {
    const double p = pitch < 0.001 ? 1.0 : pitch;
    ResetMeshParams(p);
    g_meshOriginX = g_meshOriginY = 0;
    if (!g_points || g_pointCount < 1) return;
    double minX = g_points[1].x, maxX = minX, minY = g_points[1].y, maxY = minY;
    auto take = [&](const RandomPoint& r) {
        minX = std::min(minX, r.x);
        maxX = std::max(maxX, r.x);
        minY = std::min(minY, r.y);
        maxY = std::max(maxY, r.y);
    };
    if (g_tinEdgeCount > 0 && g_tinEdges) {
        for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
            for (int32_t end : {g_tinEdges[e].a, g_tinEdges[e].b}) {
                const int32_t i = std::abs(end);
                if (i >= 1 && i <= g_pointCount) take(g_points[i]);
            }
        }
    } else {
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (g_points[i].invalid == 0 && g_points[i].outside == 0) take(g_points[i]);
    }
    g_meshOriginX = p * std::floor(minX / p);
    g_meshOriginY = p * std::floor(minY / p);
    g_meshLength = p * (std::floor(maxX / p) + 1.2) - g_meshOriginX;
    g_meshWidth = p * (std::floor(maxY / p) + 1.2) - g_meshOriginY;
    g_meshAreaDefined = 1;
    g_showMesh = 1;
}

void RunExternalCommandOn(int32_t command, void* data, size_t size, std::string& documentPath,
                          const ExternalCommandHooks& hooks) {
    documentPath.clear();
    // Not even room for the result text: nothing can be said.
    if (!data || size < offsetof(ExternalCommandBlock, basePath)) return;
    auto& block = *static_cast<ExternalCommandBlock*>(data);
    auto commonEnd = [&] {
        if (documentPath.size() < 5) documentPath.clear();
        if (block.resultCode > 10) g_showMesh = 0;
        g_showPoints = 1;
        g_showTin = 1;
        ShowAllKeepSettings();
    };
    if (block.version != kHostBlockVersion) {
        Result(block, 99, "Quarvelのバージョンが異なります");
        commonEnd();
        return;
    }
    // A block too short for its paths, or paths without their end, are refused before
    // anything is touched.
    if (size < sizeof(ExternalCommandBlock)) {
        SetText(block, "パラメータ領域が短すぎます");
        commonEnd();
        return;
    }
    for (const char* field : {block.basePath, block.firstInputFile, block.meshPath, block.secondMeshPath}) {
        if (!Terminated(field)) {
            SetText(block, "パラメータ領域の文字列が終端していません");
            commonEnd();
            return;
        }
    }
    if ((command == 1 || command == 2) &&
        (block.extraFileCount < 0 ||
         kHostExtraFilesOffset + kHostStringBytes * static_cast<size_t>(block.extraFileCount) > size)) {
        SetText(block, "追加ファイル数がパラメータ領域を超えています");
        commonEnd();
        return;
    }
    const std::string base = Field(block.basePath);
    if (base.size() >= kHostBasePathLimit) {
        SetText(block, "出力パスが長すぎます(255文字まで)");
        commonEnd();
        return;
    }
    if (const char* missing = MissingStep(command)) {
        // Data unchanged: the host reads this text and no result code.
        SetText(block, missing);
        commonEnd();
        return;
    }
    g_viewHistoryHead = g_viewHistoryTail = g_viewHistoryBack = 0;
    if (!base.empty()) {
        documentPath = base + ".RND";
        g_currentDataPath = documentPath;
    } else {
        g_currentDataPath = "NoName.RND";
    }
    switch (command) {
    case 0:
        block.resultCode = 103;
        SetText(block, kDone);
        if (hooks.postFrameCommand) hooks.postFrameCommand(32787);
        break;
    case 4:
        documentPath = " ";
        g_meshWidth = g_meshLength = 0;
        ClearData();
        g_showMesh = 0;
        SetText(block, kDone);
        break;
    default:
        SetText(block, kDone);
        break;
    }
    commonEnd();
}

void RunExternalCommand(int32_t command, std::string& documentPath, const ExternalCommandHooks& hooks) {
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    documentPath.clear();
    SharedMemoryBlock block;
    if (!block.Open(kHostBlockName)) return;
    RunExternalCommandOn(command, block.Data(), block.Size(), documentPath, hooks);
    block.Close();
}
