#include "model/rnd_file.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "contour/contour_files.h"
#include "model/bnd_file.h"
#include "model/file_report.h"
#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {

constexpr char kAsteriskLine[] = "********************";
constexpr size_t kPointLineColumns = 61;  // without CR LF

// ---- reading ----

bool IsBlankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// The decimal number at the start of a NUL-terminated field, leading white space
// skipped; 0 when there is none. Values that are not finite count as none.
double ParseNumber(const char* field) {
    while (*field == ' ' || (*field >= '\t' && *field <= '\r')) ++field;
    if (*field == '+') ++field;
    double value = 0.0;
    const char* end = field + std::strlen(field);
    const auto result = std::from_chars(field, end, value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

// A one-column integer field: its digit, or 0.
int16_t ParseDigit(char c) { return c >= '0' && c <= '9' ? static_cast<int16_t>(c - '0') : 0; }

// Reads one point line by its columns. Columns past the line's end read as empty; a
// longer line's tail is ignored.
void ParsePointLine(std::string_view line, RandomPoint& p) {
    char cols[64] = {};
    std::memcpy(cols, line.data(), std::min(line.size(), kPointLineColumns));
    // A "#" name whose line ends at column 7 keeps a mark in that column.
    if (cols[0] == '#' && static_cast<unsigned char>(cols[7]) < 0x20) cols[7] = '!';
    for (int cut : {8, 24, 40, 52, 55, 58}) cols[cut] = '\0';

    size_t nameLength = std::strlen(cols);
    while (nameLength > 0 && cols[nameLength - 1] == ' ') --nameLength;
    std::memset(p.name, 0, sizeof p.name);
    std::memcpy(p.name, cols, nameLength);

    p.x = ParseNumber(cols + 10);
    p.y = ParseNumber(cols + 26);
    p.z = ParseNumber(cols + 42);
    p.invalid = ParseDigit(cols[54]);
    p.outside = static_cast<int8_t>(ParseDigit(cols[57]));
    p.plotKind = ParseDigit(cols[60]);
    p.hidden = 0;
    p.flags = 0;
}

int32_t ZoneFromHeader(std::string_view line) {
    if (line.find("BL") == std::string_view::npos) return -1;
    const std::string rest(line.size() > 2 ? line.substr(2) : std::string_view());
    const int zone = std::atoi(rest.c_str());
    return zone >= 1 && zone <= 19 ? zone : 0;
}

// ---- writing ----

// True when printf with this width and these decimals keeps to its columns.
bool FitsColumn(double value, int width, int decimals, double safeLow, double safeHigh) {
    if (!std::isfinite(value)) return false;
    if (value > safeLow && value < safeHigh) return true;
    char text[64];
    return std::snprintf(text, sizeof text, "%*.*f", width, decimals, value) <= width;
}

bool PointFitsColumns(const RandomPoint& p) {
    return FitsColumn(p.x, 14, 4, -9e7, 9e8) && FitsColumn(p.y, 14, 4, -9e7, 9e8) &&
           FitsColumn(p.z, 10, 3, -9e4, 9e5);
}

// The one-digit file value of a flag: the temporary invalid mark 99 is a valid point
// for the file; any other value outside 0..9 becomes `otherwise`.
int FileDigit(int value, int otherwise) {
    if (value >= 0 && value <= 9) return value;
    return otherwise;
}

int FileInvalidFlag(int value) { return value == 99 ? 0 : FileDigit(value, 1); }

// Formats point i into `line` (exactly 63 bytes with CR LF).
size_t FormatPointLine(const RandomPoint& p, char* line) {
    size_t nameLength = strnlen(p.name, sizeof p.name);
    if (nameLength > 10) nameLength = 10;
    std::memset(line, ' ', 10);
    for (size_t i = 0; i < nameLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(p.name[i]);
        line[i] =
            c < 0x20 ? ' ' : static_cast<char>(c);  // a line end in a name would split the line
    }
    const int n = std::snprintf(line + 10, 64, "%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n", p.x,
                                p.y, p.z, FileInvalidFlag(p.invalid), FileDigit(p.outside, 1),
                                FileDigit(p.plotKind, 0));
    return 10 + static_cast<size_t>(n);
}

}  // namespace

int32_t WriteRndText(TextFileWriter& file) {
    if (g_pointsPresent == 0) return kRndNoData;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        if (!PointFitsColumns(g_points[i])) {
            ShowMessage(
                FormatString("点 %d の座標値がファイルの桁数に収まらないため保存できません。\n"
                             "X=%.4f Y=%.4f Z=%.3f",
                             i, g_points[i].x, g_points[i].y, g_points[i].z),
                "", msg::kOk | msg::kIconError);
            return kRndWriteFailed;
        }
    }

    std::string out;
    out.reserve(1 << 17);
    if (g_planeZone >= 1 && g_planeZone <= 19)
        out += FormatString("BL%2d\r\n", g_planeZone);
    else
        out += std::string(kAsteriskLine) + "\r\n";
    for (int i = 0; i < 4; ++i) out += std::string(kAsteriskLine) + "\r\n";

    char line[80];
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        out.append(line, FormatPointLine(g_points[i], line));
        if (out.size() >= (1 << 16)) {
            file.WriteRaw(out);
            out.clear();
        }
    }
    file.WriteRaw(out);
    if (!file.Flush()) {
        ReportWriteFailed(file.Path());
        return kRndWriteFailed;
    }
    return kRndWritten;
}

int32_t ReadRndText(std::FILE* stream) {
    if (!stream) return -1;
    TextLineReader reader(stream);
    std::string_view line;

    g_planeZone = 0;
    for (int i = 0; i < 5 && reader.Next(line); ++i) {
        const int32_t zone = ZoneFromHeader(line);
        if (zone >= 0) g_planeZone = zone;
    }

    // Record i and the end marker after it must lie inside the block.
    const int32_t records = std::min(g_pointCapacity, g_pointsBlock.Size());
    int32_t count = 0;
    int32_t overflow = 0;
    while (reader.Next(line)) {
        if (IsBlankLine(line)) continue;
        if (overflow > 0 || count + 2 > records - 1) {
            ++overflow;
            continue;
        }
        ParsePointLine(line, g_points[++count]);
    }
    const bool failed = reader.Error();
    std::fclose(stream);
    if (failed) return -1;
    if (overflow > 0) return overflow;
    g_pointCount = count;
    SetPointEndMarker();
    return 0;
}

void SetLoadedElevationRange() {
    bool any = false;
    double low = 0.0, high = 0.0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0 || p.outside != 0) continue;
        if (!any || p.z < low) low = p.z;
        if (!any || p.z > high) high = p.z;
        any = true;
    }
    g_pointZMin = low;
    g_pointZMax = high;
    SetDefaultContourLevels(g_pointZMin, g_pointZMax);
}

int32_t ReadRndDocument() {
    const fs::path path = g_currentDataPath;
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream) {
        ReportCannotOpen(path);
        g_currentDataPath.clear();
        return 0;
    }

    // The points are read into a new block; the loaded one stays until the read is complete.
    RecordBlock<RandomPoint> loaded;
    loaded.Swap(g_pointsBlock);
    const int32_t loadedCount = g_pointCount;
    const int32_t loadedCapacity = g_pointCapacity;
    enum class Failure { kNoMemory, kCannotOpen, kReadError };
    auto giveUp = [&](Failure failure) {
        if (stream) std::fclose(stream);
        g_pointsBlock.Swap(loaded);
        g_points = g_pointsBlock.Data();
        g_pointCount = loadedCount;
        g_pointCapacity = loadedCapacity;
        if (failure == Failure::kNoMemory)
            ReportNoMemory();
        else if (failure == Failure::kCannotOpen)
            ReportCannotOpen(path);
        else
            ReportDamagedFile(path);
        g_currentDataPath.clear();
        return 0;
    };

    if (g_pointCapacity < 2) g_pointCapacity = 2;  // room for the end marker
    if (GrowPointBlock(g_pointCapacity) != 0) return giveUp(Failure::kNoMemory);
    for (;;) {
        const int32_t missing = ReadRndText(stream);
        stream = nullptr;
        if (missing == 0) break;
        if (missing < 0) return giveUp(Failure::kReadError);
        g_pointCapacity += missing + 8;
        if (GrowPointBlock(g_pointCapacity) != 0) return giveUp(Failure::kNoMemory);
        stream = std::fopen(path.c_str(), "rb");
        if (!stream) return giveUp(Failure::kCannotOpen);
    }
    loaded.Release();

    g_pointsPresent = -1;
    g_tinPresent = -1;
    g_documentTitle = path.stem().string();
    g_dataFolder = path.parent_path().string();

    const fs::path tri = FindCompanion(path, ".tri");
    bool tinRead = false;
    if (!tri.empty()) {
        if (std::FILE* f = std::fopen(tri.c_str(), "rb")) {
            tinRead = ReadTriFile(f) == 0;
            std::fclose(f);
        }
        if (!tinRead) ReportDamagedFile(tri);
    }
    if (!tinRead || g_tinEdgeCount == 0) {
        g_tinPresent = 0;
        g_tinEdgeCount = 0;
        SetTinEndRecord();
    }

    const fs::path bnd = FindCompanion(path, ".bnd");
    std::FILE* bndStream = bnd.empty() ? nullptr : std::fopen(bnd.c_str(), "rb");
    ReadBndFile(bndStream);
    if (bndStream) std::fclose(bndStream);

    SetLoadedElevationRange();

    if (!g_dataFolder.empty()) {
        std::error_code ec;
        fs::current_path(g_dataFolder, ec);
    }
    return -1;
}
