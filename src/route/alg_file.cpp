#include "route/alg_file.h"

#include <cstring>
#include <string_view>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "route/route_text.h"
#include "section/section_defaults.h"

namespace fs = std::filesystem;

std::string g_routeDataName = "No_Name";

namespace {
constexpr const char* kTooManyIps = "ＩＰ点のデータ数が制限を越えたので読み込みを中止しました。";
constexpr const char* kTooManyStakes =
    "プラス杭のデータ数が制限を越えたので読み込みを中止しました。";
constexpr std::string_view kIpEnd = "++++++++";

const bool g_registered = [] {
    RegisterDataModelReset([] { g_routeDataName = "No_Name"; });
    return true;
}();

void Inform(const char* text) { ShowMessage(text, "", msg::kOk | msg::kIconInformation); }

bool EndsIps(std::string_view line) { return line.find(kIpEnd) != std::string_view::npos; }

// One IP line by its columns; the record is expected cleared.
void ParseIpLine(std::string_view line, IpPoint& ip) {
    std::string_view name = RouteColumns(line, 0, 5);
    if (const size_t nul = name.find('\0'); nul != std::string_view::npos)
        name = name.substr(0, nul);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    std::memset(ip.name, 0, sizeof ip.name);
    if (!name.empty()) std::memcpy(ip.name, name.data(), name.size());
    ip.number = ColumnInt(line, 5, 3);
    ip.x = ColumnDouble(line, 8, 15);
    ip.y = ColumnDouble(line, 23, 15);
    ip.radius = ColumnDouble(line, 38, 10);
    ip.a1 = ColumnDouble(line, 48, 10);
    ip.a2 = ColumnDouble(line, 58, 10);
    ip.radius2 = ColumnDouble(line, 68, 10);
}

// Skips to the line that ends the IP list; false when the file ends first.
bool SkipToIpEnd(RouteLineCursor& lines, std::string_view& line) {
    while (lines.Next(line))
        if (EndsIps(line)) return true;
    return false;
}

fs::path AlgBeside(const fs::path& path) {
    const fs::path found = FindCompanion(path, ".ALG");
    return found.empty() ? WithExtension(path, ".ALG") : found;
}
}  // namespace

int32_t ReadAlgFile(const fs::path& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return -1;
    g_routeDataName = path.stem().string();

    // Nothing of the route read before may survive into this one.
    std::memset(&g_ipPoints[1], 0, sizeof(IpPoint) * kMaxIpPoints);
    g_ipPointCount = 0;
    g_epForwardDistance = 0.0;
    g_bpBackDistance = 0.0;
    g_plusStakeCount = 0;

    RouteLineCursor lines(bytes);
    std::string_view line;
    if (lines.Next(line)) {
        g_stationInterval = ColumnDouble(line, 0, 10);
        g_crossSectionInterval = ColumnDouble(line, 10, 10);
        g_leftCutWidth = ColumnDouble(line, 20, 10);
        g_rightCutWidth = ColumnDouble(line, 30, 10);
        g_bpAddedDistance = ColumnDouble(line, 40, 10);
        g_firstStationNumber = ColumnInt(line, 50, 4);
        g_stationNaming = ColumnInt(line, 54, 2);
        g_clothoidNaming = ColumnInt(line, 56, 2);
    }

    bool ipEnd = false;
    while (lines.Next(line)) {
        if (EndsIps(line)) {
            ipEnd = true;
            break;
        }
        if (IsBlankRouteLine(line)) continue;
        if (g_ipPointCount >= kMaxIpPoints) {
            Inform(kTooManyIps);
            ipEnd = SkipToIpEnd(lines, line);
            break;
        }
        ParseIpLine(line, g_ipPoints[++g_ipPointCount]);
    }

    if (ipEnd) {
        g_epForwardDistance = ColumnDouble(line, 8, 15);
        if (lines.Next(line)) {
            g_bpBackDistance = ColumnDouble(line, 8, 15);
            while (lines.Next(line)) {
                if (IsBlankRouteLine(line)) continue;
                if (g_plusStakeCount >= kMaxPlusStakes) {
                    Inform(kTooManyStakes);
                    break;
                }
                g_plusStakes[++g_plusStakeCount] = RouteAtof(line);
            }
        }
    }
    return 0;
}

std::string FormatAlgText() {
    std::string out;
    out.reserve(200 + static_cast<size_t>(g_ipPointCount) * 80 +
                static_cast<size_t>(g_plusStakeCount) * 17);
    AppendFormat(out, "%10.3lf%10.3lf%10.3lf%10.3lf%10.3lf%4d%2d%2d\r\n", g_stationInterval,
                 g_crossSectionInterval, g_leftCutWidth, g_rightCutWidth, g_bpAddedDistance,
                 g_firstStationNumber, g_stationNaming, g_clothoidNaming);
    for (int32_t i = 1; i <= g_ipPointCount; ++i) {
        const IpPoint& ip = g_ipPoints[i];
        AppendNameField(out, FieldText(ip.name, sizeof ip.name), 5);
        if (i == 1 || i == g_ipPointCount)
            out += "   ";
        else
            AppendFormat(out, "%3d", ip.number);
        AppendFormat(out, "%15.5lf%15.5lf%10.3lf%10.3lf%10.3lf%10.3lf\r\n", ip.x, ip.y, ip.radius,
                     ip.a1, ip.a2, ip.radius2);
    }
    AppendFormat(out, "++++++++%15.5lf\r\n", g_epForwardDistance);
    AppendFormat(out, "--------%15.5lf\r\n", g_bpBackDistance);
    for (int32_t i = 1; i <= g_plusStakeCount; ++i)
        AppendFormat(out, "%15.5lf\r\n", g_plusStakes[i]);
    return out;
}

int32_t WriteAlgArchive(TextFileWriter& archive) {
    archive.WriteRaw(FormatAlgText());
    return -1;
}

int32_t WriteAlgFile(const fs::path& path) {
    if (g_ipPointCount < 1) return -1;
    const fs::path target = WithExtension(path, ".ALG");
    TextFileWriter file;
    if (!file.Open(target)) {
        ReportCannotCreate(target);
        return 0;
    }
    WriteAlgArchive(file);
    if (!file.Close()) {
        ReportWriteFailed(target);
        RemovePartialFile(target);
        return 0;
    }
    return -1;
}

int32_t ReadOtherRouteAlg(const fs::path& path) {
    std::string bytes;
    if (!ReadFileBytes(AlgBeside(path), bytes)) return -1;
    RouteLineCursor lines(bytes);
    std::string_view line;
    lines.Next(line);  // the other route's parameters are not taken

    // The route's IPs and its separator must fit: the separator is kept room for.
    if (g_otherRouteIpCount >= kMaxIpPoints) {
        Inform(kTooManyIps);
        return 0;
    }
    while (lines.Next(line)) {
        if (EndsIps(line)) break;
        if (IsBlankRouteLine(line)) continue;
        if (g_otherRouteIpCount + 1 >= kMaxIpPoints) {
            Inform(kTooManyIps);
            break;
        }
        IpPoint& ip = g_otherRouteIps[++g_otherRouteIpCount];
        std::memset(&ip, 0, sizeof ip);
        ParseIpLine(line, ip);
    }
    IpPoint& separator = g_otherRouteIps[++g_otherRouteIpCount];
    std::memset(&separator, 0, sizeof separator);
    separator.number = kRouteSeparator;
    return 0;
}
