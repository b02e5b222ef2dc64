#include "model/bridge_tunnel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/file_report.h"
#include "model/geometry.h"
#include "model/merge_input.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/command_routing.h"
#include "shell/work_folder.h"
#include "view/view_state.h"

namespace {
constexpr const char* kMergeCaption = "橋梁トンネルランダムデータ合成中";
constexpr const char* kNoTinMemoryText =
    "三角網のメモリ確保に失敗しました。点だけを合成し、三角網は元のままです。";
constexpr const char* kBadRouteText =
    "路線ルートデータとして読めない行があるため読み込めません。\n%s\n行: %s";
constexpr double kPortalInset = 0.5;

bool IsStructureName(std::string_view name) {
    return name.find("_CB") != std::string_view::npos || name.find("_FB") != std::string_view::npos;
}

// The field [from, to) of a line as a number; blanks around it allowed, nothing else.
bool NumberField(const std::string& line, size_t from, size_t to, double& value) {
    if (line.size() < to) to = line.size();
    if (from >= to) return false;
    std::string field = line.substr(from, to - from);
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const size_t last = field.find_last_not_of(' ');
    field = field.substr(first, last - first + 1);
    char* end = nullptr;
    value = std::strtod(field.c_str(), &end);
    return end == field.c_str() + field.size() && std::isfinite(value);
}

// Appends a point; false after the message when the block cannot grow.
bool AppendPoint(const char* name, size_t nameLength, double x, double y, double z, int16_t invalid) {
    if (!RoomForMergedPoint()) return false;
    RandomPoint p{};
    std::memcpy(p.name, name, std::min(nameLength, sizeof p.name - 1));
    p.x = x;
    p.y = y;
    p.z = z;
    p.invalid = invalid;
    g_points[++g_pointCount] = p;
    return true;
}

// The nine points of an opening at S across the direction P -> C, moved 0.5 m along it
// (`entry`) or against it. False when the block cannot grow; an opening without a
// direction (P and C in one place) is left out.
bool AppendOpening(const TunnelStation& s, const TunnelStation& p, const TunnelStation& c, bool entry) {
    const double half = s.width / 2;
    const bool atStart = entry;  // S is P for an entry portal, C for an exit portal
    double lx1, ly1, lx2, ly2, rx1, ry1, rx2, ry2;
    if (OffsetSegment(p.x, p.y, c.x, c.y, half, 0.001, &lx1, &ly1, &lx2, &ly2) != kGeomOk ||
        OffsetSegment(p.x, p.y, c.x, c.y, -half, 0.001, &rx1, &ry1, &rx2, &ry2) != kGeomOk)
        return true;
    const double lx = atStart ? lx1 : lx2, ly = atStart ? ly1 : ly2;
    const double rx = atStart ? rx1 : rx2, ry = atStart ? ry1 : ry2;
    double mrx, mry, mlx, mly;
    if (OffsetSegment(rx, ry, lx, ly, entry ? -kPortalInset : kPortalInset, 0.001, &mrx, &mry, &mlx,
                      &mly) != kGeomOk)
        return true;
    const double mx = (mrx + mlx) / 2, my = (mry + mly) / 2;
    const double length = std::hypot(mlx - mx, mly - my);
    if (!(length > 0)) return true;
    const double ux = (mlx - mx) / length, uy = (mly - my) / length;
    for (int k = 0; k <= 8; ++k) {
        const double theta = k * 0.39269908169872414;
        if (!AppendPoint("T", 1, mx + std::cos(theta) * half * ux, my + std::cos(theta) * half * uy,
                         (s.z + 1) + (s.height - 1) * std::sin(theta), 0))
            return false;
    }
    return true;
}

void RefreshAfterAdding() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
}  // namespace

int32_t MergeBridgeTunnelData(const std::string& path) {
    MergeInputFile input;
    if (!ReadMergeInputFile(path, input)) return 0;
    OpenProgressWindow(progress::kRandomMerge, kMergeCaption);

    const int32_t first = g_pointCount;
    std::vector<bool> structure(input.points.size() + 1, false);
    for (size_t k = 0; k < input.points.size(); ++k) {
        const RandomPoint& read = input.points[k];
        const std::string_view name(read.name, strnlen(read.name, sizeof read.name));
        // The mark is looked for in the whole name, also where the stored name is cut.
        structure[k + 1] = IsStructureName(name);
        if (!AppendPoint(read.name, Cp932PrefixLength(name, 8), read.x, read.y, read.z, 1)) {
            g_dataChanged = -1;
            CloseProgressWindow();
            return 0;
        }
    }
    SetPointEndMarker();
    g_dataChanged = -1;
    if (g_pointCount > 0) g_pointsPresent = -1;

    std::vector<int32_t> fields;
    const MergeTinStatus status = ReadMergeInputTin(path, fields);
    if (status != MergeTinStatus::kRead) {
        CloseProgressWindow();
        ReportMergeTinStatus(status);
        return 0;
    }
    const int32_t fileEdges = static_cast<int32_t>(fields.size() / 4);
    // Every record can give two edges.
    const int64_t wanted = 2 * (static_cast<int64_t>(fileEdges) + g_tinEdgeCount);
    if (wanted >= g_tinEdgeCapacity || wanted + 2 > g_tinEdgesBlock.Size()) {
        const int32_t old = g_tinEdgeCapacity;
        g_tinEdgeCapacity = static_cast<int32_t>(std::min<int64_t>(wanted + 2, INT32_MAX - 2));
        if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) {
            g_tinEdgeCapacity = old;
            CloseProgressWindow();
            ShowMessage(kNoTinMemoryText, "", msg::kOk | msg::kIconError);
            return 0;
        }
    }
    const int32_t filePoints = static_cast<int32_t>(input.points.size());
    for (int32_t j = 0; j < fileEdges; ++j) {
        const int32_t* r = &fields[4 * static_cast<size_t>(j)];
        if (!MergeTinRecordInRange(r, filePoints)) continue;
        const int32_t a = std::abs(r[0]), b = std::abs(r[1]);
        const int32_t search = std::abs(r[3]) + first;
        const int32_t back = r[2] == kNoApex ? search : std::abs(r[2]) + first;
        g_tinEdges[++g_tinEdgeCount] = TinEdge{-(a + first), -(b + first), -back, -search, 0};
        if (structure[a] && structure[b])
            g_tinEdges[++g_tinEdgeCount] = TinEdge{-(b + first), -(a + first), -back, -search, 0};
    }
    SetTinEndRecord();
    g_tinPresent = -1;
    CloseProgressWindow();
    return 1;
}

bool ParseTunnelStationLine(const std::string& line, TunnelStation& station) {
    station = TunnelStation();
    double code = 0;
    const bool coded = line.size() > 64 && line.find_first_not_of(' ', 64) < std::min<size_t>(line.size(), 67);
    if (!coded) {
        // A plain station (the route-file writer's own lines end after Z): no tunnel here.
        double z = 0;
        return NumberField(line, 24, 39, station.x) && NumberField(line, 39, 54, station.y) &&
               NumberField(line, 54, 64, z);
    }
    if (!NumberField(line, 64, 67, code) || code != std::floor(code) || std::fabs(code) > 999) return false;
    station.code = static_cast<int32_t>(code);
    if (station.code != kTunnelPortal && station.code != kTunnelInside) return true;
    return NumberField(line, 24, 39, station.x) && NumberField(line, 39, 54, station.y) &&
           NumberField(line, 54, 64, station.z) && NumberField(line, 67, 77, station.width) &&
           NumberField(line, 77, 87, station.height);
}

int32_t GetTunnelPortalsFromRoute(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        ReportCannotOpen(path);
        return 0;
    }
    // Every line is checked before a point is added.
    std::vector<TunnelStation> stations;
    std::string list;
    int32_t bad = 0;
    size_t start = 0;
    for (int32_t number = 1; start < bytes.size(); ++number) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number <= 5) continue;
        if (line.empty()) break;
        TunnelStation station;
        if (!ParseTunnelStationLine(line, station)) {
            if (++bad <= 10) list += (list.empty() ? "" : ", ") + std::to_string(number);
            continue;
        }
        stations.push_back(station);
    }
    if (bad > 0) {
        if (bad > 10) list += FormatString(" ほか %d 行", bad - 10);
        ShowMessage(FormatString(kBadRouteText, path.c_str(), list.c_str()), "", msg::kOk | msg::kIconError);
        return 0;
    }

    const int32_t before = g_pointCount;
    TunnelStation previous;
    for (const TunnelStation& current : stations) {
        const bool tunnelCode = current.code == kTunnelPortal || current.code == kTunnelInside;
        const bool entryFailed = previous.code == kTunnelPortal && tunnelCode &&
                                 !AppendOpening(previous, previous, current, true);
        const bool exitFailed = !entryFailed && current.code == kTunnelPortal &&
                                (previous.code == kTunnelPortal || previous.code == kTunnelInside) &&
                                !AppendOpening(current, previous, current, false);
        if (entryFailed || exitFailed) {
            // The openings so far stay, as points the views show.
            if (g_pointCount > before) {
                g_pointsPresent = -1;
                g_dataChanged = -1;
            }
            return 0;
        }
        previous = current;
    }
    SetPointEndMarker();
    if (g_pointCount > before) {
        g_pointsPresent = -1;
        g_dataChanged = -1;
    }
    return 1;
}

void OnBridgeTunnelMerge() {
    FileDialogRequest request;
    request.filter = "ランダムデータファイル (*.RND)|*.RND|すべてのファイル|*.*||";
    request.title = "橋梁、トンネルランダムデータ読み込み";
    request.folder = g_workFolder;
    const std::vector<std::string> paths = RunMultipleFileDialog(request);
    if (paths.empty()) return;
    g_lastFolder = FolderOfPath(paths.front());
    for (const std::string& path : paths) MergeBridgeTunnelData(path);
    RefreshAfterAdding();
}

void OnTunnelPortalFromRoute() {
    FileDialogRequest request;
    request.filter = "路線ルートデータファイル (*.RUT)|*.RUT|すべてのファイル|*.*||";
    request.title = "トンネル開口部データ登録";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    GetTunnelPortalsFromRoute(path);
    RefreshAfterAdding();
}

void RegisterBridgeTunnelCommands(FrameCommandTarget& commands) {
    commands.SetHandler(32926, OnBridgeTunnelMerge);
    commands.SetHandler(32927, OnTunnelPortalFromRoute);
}
