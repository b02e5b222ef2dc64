#include "route/station_files.h"

#include <cstring>
#include <string_view>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "route/route_text.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kNoStationMemory =
    "路線データ用のメモリーが確保できないので読み込みを中止しました。";
constexpr size_t kNameColumn = 32;
constexpr size_t kNameBytes = sizeof(StationRecord::name) - 1;

bool WriteWhole(const fs::path& target, const std::string& text) {
    TextFileWriter file;
    if (!file.Open(target)) {
        ReportCannotCreate(target);
        return false;
    }
    file.WriteRaw(text);
    if (!file.Close()) {
        ReportWriteFailed(target);
        RemovePartialFile(target);
        return false;
    }
    return true;
}

// Station blocks of a .RSN text, handed one by one to `take`; a block counts once its
// four data lines are there. Only the exact end line "**" ends the stations: a name may
// hold two asterisks.
template <typename Take>
void ForEachRsnStation(std::string_view bytes, Take take) {
    RouteLineCursor lines(bytes);
    std::string_view head;
    while (lines.Next(head)) {
        if (head == "**") return;
        std::string_view coordinates[3];
        for (std::string_view& line : coordinates)
            if (!lines.Next(line)) return;
        std::string_view end;
        lines.Next(end);
        take(head, coordinates);
    }
}

void ParseRsnStation(std::string_view head, const std::string_view (&lines)[3], StationRecord& st) {
    std::memset(&st, 0, sizeof st);
    st.addedDistance = ColumnDouble(head, 0, 15);
    st.kind = ColumnInt(head, 15, 5);
    st.number = ColumnInt(head, 20, 5);
    std::string_view name = RouteColumns(head, kNameColumn, kNameBytes);
    if (const size_t stop = name.find_first_of(std::string_view("\0\r\n", 3));
        stop != std::string_view::npos)
        name = name.substr(0, stop);
    if (!name.empty()) std::memcpy(st.name, name.data(), name.size());
    st.y = ColumnDouble(lines[0], 0, 15);
    st.x = ColumnDouble(lines[0], 15, 15);
    st.leftY = ColumnDouble(lines[1], 0, 15);
    st.leftX = ColumnDouble(lines[1], 15, 15);
    st.rightY = ColumnDouble(lines[2], 0, 15);
    st.rightX = ColumnDouble(lines[2], 15, 15);
}

int32_t CountRsnStations(std::string_view bytes) {
    int32_t count = 0;
    ForEachRsnStation(bytes, [&](std::string_view, const std::string_view(&)[3]) { ++count; });
    return count;
}

bool ReadRsnBeside(const fs::path& path, std::string& bytes) {
    const fs::path found = FindCompanion(path, ".RSN");
    return !found.empty() && ReadFileBytes(found, bytes);
}
}  // namespace

std::string FormatRsnText() {
    std::string out;
    out.reserve(static_cast<size_t>(g_stationCount) * 160 + 4);
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        const StationRecord& st = g_stations[i];
        AppendFixed(out, st.addedDistance, 15, 5);
        AppendFormat(out, "%5d%5d       ", st.kind, st.number);
        out += FieldText(st.name, kNameBytes);
        const double coordinates[6] = {st.y, st.x, st.leftY, st.leftX, st.rightY, st.rightX};
        for (int k = 0; k < 6; k += 2) {
            out += "\r\n";
            AppendFixed(out, coordinates[k], 15, 5);
            AppendFixed(out, coordinates[k + 1], 15, 5);
        }
        out += "\r\nE\r\n";
    }
    out += "**\r\n";
    return out;
}

int32_t WriteRsnFile(const fs::path& path) {
    if (g_stations == nullptr || g_stationCount < 1) {
        RemoveCompanion(path, ".RSN");
        return -1;
    }
    return WriteWhole(WithExtension(path, ".RSN"), FormatRsnText()) ? -1 : 0;
}

int32_t ReadRsnFile(const fs::path& path) {
    g_documentTitle.clear();
    std::string bytes;
    if (!ReadRsnBeside(path, bytes)) return -1;

    const int32_t count = CountRsnStations(bytes);
    const int32_t capacity = count + 100;
    GrowStationBlock(0);
    if (GrowStationBlock(capacity) != 0) {
        g_stationCapacity = 0;
        g_stationCount = 0;
        ShowMessage(kNoStationMemory, "", msg::kOk | msg::kIconInformation);
        return -1;
    }
    g_stationCapacity = capacity;
    g_stationCount = 0;
    ForEachRsnStation(bytes, [&](std::string_view head, const std::string_view(&lines)[3]) {
        ParseRsnStation(head, lines, g_stations[++g_stationCount]);
    });
    return 0;
}

int32_t ReadOtherRouteRsn(const fs::path& path) {
    std::string bytes;
    if (!ReadRsnBeside(path, bytes)) return -1;

    int32_t lines = 0;
    {
        RouteLineCursor cursor(bytes);
        std::string_view line;
        while (cursor.Next(line)) ++lines;
    }
    const int64_t wanted = int64_t{g_otherRouteStationCount} + lines + 50;
    if (wanted > INT32_MAX || GrowOtherRouteStationBlock(static_cast<int32_t>(wanted)) != 0) {
        GrowOtherRouteStationBlock(0);
        g_otherRouteStationCount = 0;
        g_otherRouteStationCapacity = 0;
        ShowMessage(kNoStationMemory, "", msg::kOk | msg::kIconInformation);
        return -1;
    }
    g_otherRouteStationCapacity = static_cast<int32_t>(wanted);
    ForEachRsnStation(bytes, [&](std::string_view head, const std::string_view(&block)[3]) {
        ParseRsnStation(head, block, g_otherRouteStations[++g_otherRouteStationCount]);
    });
    StationRecord& separator = g_otherRouteStations[++g_otherRouteStationCount];
    std::memset(&separator, 0, sizeof separator);
    separator.kind = kRouteSeparator;
    return 0;
}

int32_t WriteRutFile(const fs::path& path, const RutSectionSource* sections) {
    if (sections == nullptr || !sections->getCrossSection) return 0;
    std::string out;
    for (int k = 0; k < 5; ++k) out += "******************************\r\n";
    RutSection section;
    for (int32_t n = 1; n <= sections->count; ++n) {
        if (!sections->getCrossSection(n, &section)) continue;
        AppendNameField(out, section.name, 12);
        AppendFormat(out, "%12.3f%15.4f%15.4f%10.3f\r\n", section.addedDistance, section.centerX,
                     section.centerY, section.groundZ);
    }
    return WriteWhole(WithExtension(path, ".RUT"), out) ? 0 : -1;
}
