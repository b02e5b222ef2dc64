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

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The decimal number at the start of a field ending at its first NUL or at `limit`,
// leading white space skipped; 0 when there is none. Values that are not finite count
// as none.
double ParseNumber(const char* field, const char* limit) {
    while (field < limit && (*field == ' ' || (*field >= '\t' && *field <= '\r'))) ++field;
    const char* start = field;
    bool negative = false;
    if (field < limit && (*field == '+' || *field == '-')) negative = *field++ == '-';

    // Plain decimals of up to 15 digits: mantissa and power of ten are exact doubles, so
    // one division rounds correctly, exactly as a full conversion would.
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    const char* p = field;
    for (; p < limit && *p >= '0' && *p <= '9'; ++p, ++digits)
        mantissa = mantissa * 10 + (*p - '0');
    if (p < limit && *p == '.') {
        for (++p; p < limit && *p >= '0' && *p <= '9'; ++p, ++digits, ++decimals)
            mantissa = mantissa * 10 + (*p - '0');
    }
    const bool exponent = p < limit && (*p == 'e' || *p == 'E');
    if (digits > 0 && digits <= 15 && !exponent) {
        const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
        return negative ? -value : value;
    }

    if (*start == '+') ++start;
    const char* end = static_cast<const char*>(std::memchr(start, '\0', limit - start));
    double value = 0.0;
    const auto result = std::from_chars(start, end ? end : limit, value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

// A one-column integer field: its digit, or 0.
int16_t ParseDigit(char c) { return c >= '0' && c <= '9' ? static_cast<int16_t>(c - '0') : 0; }

// Reads one point line by its columns. Columns past the line's end read as empty; a
// longer line's tail is ignored.
void ParsePointLine(std::string_view line, RandomPoint& p) {
    const char* text = line.data();
    char padded[64];
    if (line.size() < kPointLineColumns) {
        std::memset(padded, 0, sizeof padded);
        std::memcpy(padded, line.data(), line.size());
        text = padded;
    }

    char name[8];
    std::memcpy(name, text, 8);
    // A "#" name whose line ends at column 7 keeps a mark in that column.
    if (name[0] == '#' && static_cast<unsigned char>(name[7]) < 0x20) name[7] = '!';
    size_t nameLength = 0;
    while (nameLength < 8 && name[nameLength] != '\0') ++nameLength;
    while (nameLength > 0 && name[nameLength - 1] == ' ') --nameLength;
    std::memset(p.name, 0, sizeof p.name);
    std::memcpy(p.name, name, nameLength);

    // Each field is read from its own columns only.
    p.x = ParseNumber(text + 10, text + 24);
    p.y = ParseNumber(text + 26, text + 40);
    p.z = ParseNumber(text + 42, text + 52);
    p.invalid = ParseDigit(text[54]);
    p.outside = static_cast<int8_t>(ParseDigit(text[57]));
    p.plotKind = ParseDigit(text[60]);
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

// Writes `value` right-aligned in `width` columns with `decimals` decimals, as printf
// "%*.*f" would; false when it needs more columns (or is not finite).
bool FormatFixed(char* out, double value, int width, int decimals) {
    if (!std::isfinite(value)) return false;
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return false;
    const int length = static_cast<int>(result.ptr - text);
    if (length > width) return false;
    std::memset(out, ' ', width - length);
    std::memcpy(out + (width - length), text, length);
    return true;
}

bool FitsColumn(double value, int width, int decimals, double safeLow, double safeHigh) {
    if (value > safeLow && value < safeHigh) return true;
    char text[64];
    return FormatFixed(text, value, width, decimals);
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
    // Checked by PointFitsColumns before anything is written.
    FormatFixed(line + 10, p.x, 14, 4);
    FormatFixed(line + 26, p.y, 14, 4);
    FormatFixed(line + 42, p.z, 10, 3);
    std::memcpy(line + 24, "  ", 2);
    std::memcpy(line + 40, "  ", 2);
    std::memcpy(line + 52, "  0  0  0\r\n", 11);
    line[54] = static_cast<char>('0' + FileInvalidFlag(p.invalid));
    line[57] = static_cast<char>('0' + FileDigit(p.outside, 1));
    line[60] = static_cast<char>('0' + FileDigit(p.plotKind, 0));
    return kPointLineColumns + 2;
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
