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
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {

constexpr char kAsteriskLine[] = "********************";
constexpr const char* kNotPointsText =
    "点データとして読めない行があるため読み込めません。\n%s\n行: %s";
constexpr const char* kSkippedEndText =
    "ファイルの終わりにある点データとして読めない行を読み飛ばしました。\n%s\n行: %s";
constexpr size_t kPointLineColumns = 61;  // without CR LF

// ---- reading ----

bool IsBlankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

bool AllBlanks(const char* begin, const char* end) {
    for (; begin < end; ++begin)
        if (*begin != ' ') return false;
    return true;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The decimal number that fills the field [begin, end), blanks around it allowed. False
// when the field holds anything else or no finite number.
bool ParseField(const char* begin, const char* end, double& value) {
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    if (begin == end) return false;

    // Plain decimals of up to 15 digits: mantissa and power of ten are exact doubles, so
    // one division rounds correctly, exactly as a full conversion would.
    const char* p = begin;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) mantissa = mantissa * 10 + (*p - '0');
    if (p < end && *p == '.') {
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, ++digits, ++decimals)
            mantissa = mantissa * 10 + (*p - '0');
    }
    if (p == end && digits > 0 && digits <= 15) {
        const double v = static_cast<double>(mantissa) / kPowersOfTen[decimals];
        value = negative ? -v : v;
        return true;
    }

    // Exponents and long digit strings.
    const char* start = begin;
    if (*start == '+') {
        ++start;
        if (start == end || *start == '+' || *start == '-') return false;
    }
    double v = 0.0;
    const auto result = std::from_chars(start, end, v);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// A one-column flag: its digit, blank for 0. False for anything else.
bool ParseFlag(char c, int16_t& value) {
    if (c == ' ') {
        value = 0;
        return true;
    }
    if (c < '0' || c > '9') return false;
    value = static_cast<int16_t>(c - '0');
    return true;
}

bool PointFitsColumns(const RandomPoint& p);

// Reads one point line by its columns into `p`; false, with `p` partly written, when the
// line is not a point. The flag columns may be missing altogether, nothing else.
bool ParsePointLine(std::string_view line, RandomPoint& p) {
    // A text file holds no NUL; one is a sign of an unfinished write.
    if (line.size() < 52 || std::memchr(line.data(), '\0', line.size())) return false;
    const char* text = line.data();
    const size_t size = line.size();

    if (!ParseField(text + 10, text + 24, p.x) || !ParseField(text + 26, text + 40, p.y) ||
        !ParseField(text + 42, text + 52, p.z))
        return false;
    if (!AllBlanks(text + 24, text + 26) || !AllBlanks(text + 40, text + 42)) return false;

    int16_t invalid = 0, outside = 0, plot = 0;
    if (size >= 61) {
        if (!AllBlanks(text + 52, text + 54) || !AllBlanks(text + 55, text + 57) ||
            !AllBlanks(text + 58, text + 60) || !AllBlanks(text + 61, text + size))
            return false;
        if (!ParseFlag(text[54], invalid) || !ParseFlag(text[57], outside) ||
            !ParseFlag(text[60], plot))
            return false;
    } else if (!AllBlanks(text + 52, text + size)) {
        return false;  // cut inside the flags
    }
    if (!PointFitsColumns(p)) return false;
    p.invalid = invalid;
    p.outside = static_cast<int8_t>(outside);
    p.plotKind = plot;
    p.hidden = 0;
    p.flags = 0;

    // The name: all ten columns, which the record holds with its NUL.
    char name[10];
    std::memcpy(name, text, 10);
    // A "#" colour name keeps a mark where column 7 holds a control character.
    if (name[0] == '#' && static_cast<unsigned char>(name[7]) < 0x20) name[7] = '!';
    size_t nameLength = 10;
    while (nameLength > 0 && name[nameLength - 1] == ' ') --nameLength;
    std::memset(p.name, 0, sizeof p.name);
    std::memcpy(p.name, name, nameLength);
    return true;
}

constexpr size_t kListedBadLines = 10;

// "12, 30, 31" and how many more, for the messages.
std::string BadLineList(const RndBadLines& bad) {
    std::string text;
    for (int32_t n : bad.lineNumbers) text += (text.empty() ? "" : ", ") + std::to_string(n);
    const int32_t more = bad.count - static_cast<int32_t>(bad.lineNumbers.size());
    if (more > 0) text += FormatString(" ほか %d 行", more);
    return text;
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
    return FitsRndPlanColumn(p.x) && FitsRndPlanColumn(p.y) && FitsRndHeightColumn(p.z);
}

// The one-digit file value of a flag: the temporary invalid mark 99 is a valid point
// for the file; any other value outside 0..9 becomes `otherwise`.
int FileDigit(int value, int otherwise) {
    if (value >= 0 && value <= 9) return value;
    return otherwise;
}

int FileInvalidFlag(int value) { return value == 99 ? 0 : FileDigit(value, 1); }

// Formats point i into `line` (exactly 63 bytes with CR LF).
size_t FormatPointLine(const RandomPoint& p, char* line, int32_t validityColumn) {
    const size_t nameLength =
        Cp932PrefixLength(std::string_view(p.name, strnlen(p.name, sizeof p.name)), 10);
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
    line[54] = static_cast<char>(
        '0' + (validityColumn >= 0 ? FileDigit(validityColumn, 1) : FileInvalidFlag(p.invalid)));
    line[57] = static_cast<char>('0' + FileDigit(p.outside, 1));
    line[60] = static_cast<char>('0' + FileDigit(p.plotKind, 0));
    return kPointLineColumns + 2;
}

}  // namespace

bool ParseRndPointLine(std::string_view line, RandomPoint& p) { return ParsePointLine(line, p); }

bool FitsRndPlanColumn(double value) { return FitsColumn(value, 14, 4, -9e7, 9e8); }
bool FitsRndHeightColumn(double value) { return FitsColumn(value, 10, 3, -9e4, 9e5); }

int32_t WriteRndText(TextFileWriter& file, const std::function<bool(const RandomPoint&)>& keep,
                     const RndTextLayout& layout) {
    if (g_pointsPresent == 0) return kRndNoData;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        if (keep && !keep(g_points[i])) continue;
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
    const std::string header =
        std::string(layout.headerLine ? layout.headerLine : kAsteriskLine) + "\r\n";
    if (!layout.headerLine && g_planeZone >= 1 && g_planeZone <= 19)
        out += FormatString("BL%2d\r\n", g_planeZone);
    else
        out += header;
    for (int i = 0; i < 4; ++i) out += header;

    char line[80];
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        if (keep && !keep(g_points[i])) continue;
        out.append(line, FormatPointLine(g_points[i], line, layout.validityColumn));
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

bool WriteRndFile(const std::string& path, const std::function<bool(const RandomPoint&)>& keep,
                  const RndTextLayout& layout) {
    TextFileWriter file;
    if (!file.Open(path)) {
        ReportWriteFailed(path);
        return false;
    }
    if (WriteRndText(file, keep, layout) != kRndWritten) {
        file.Close();
        RemovePartialFile(path);
        return false;
    }
    if (!file.Close()) {
        ReportWriteFailed(path);
        RemovePartialFile(path);
        return false;
    }
    return true;
}

int32_t WriteRndRecords(TextFileWriter& file, const std::vector<RandomPoint>& records) {
    for (size_t i = 0; i < records.size(); ++i) {
        const RandomPoint& p = records[i];
        if (!PointFitsColumns(p)) {
            ShowMessage(
                FormatString("点 %d の座標値がファイルの桁数に収まらないため保存できません。\n"
                             "X=%.4f Y=%.4f Z=%.3f",
                             static_cast<int>(i + 1), p.x, p.y, p.z),
                "", msg::kOk | msg::kIconError);
            return kRndWriteFailed;
        }
    }
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kAsteriskLine) + "\r\n";
    char line[80];
    for (const RandomPoint& p : records) out.append(line, FormatPointLine(p, line, -1));
    file.WriteRaw(out);
    if (!file.Flush()) {
        ReportWriteFailed(file.Path());
        return kRndWriteFailed;
    }
    return kRndWritten;
}

int32_t ReadRndText(std::FILE* stream, RndBadLines* bad) {
    RndBadLines local;
    RndBadLines& lines = bad ? *bad : local;
    lines = RndBadLines();
    if (!stream) return -1;
    TextLineReader reader(stream);
    std::string_view line;
    int32_t lineNumber = 0;

    g_planeZone = 0;
    for (int i = 0; i < 5 && reader.Next(line); ++i) {
        ++lineNumber;
        const int32_t zone = ZoneFromHeader(line);
        if (zone >= 0) g_planeZone = zone;
    }

    // Record i and the end marker after it must lie inside the block.
    const int32_t records = std::min(g_pointCapacity, g_pointsBlock.Size());
    int32_t count = 0;
    int32_t overflow = 0;
    bool badBeforePoint = false;
    while (reader.Next(line)) {
        ++lineNumber;
        if (IsBlankLine(line)) continue;
        if (overflow > 0 || count + 2 > records - 1) {
            ++overflow;
            continue;
        }
        RandomPoint point = g_points[count + 1];
        if (!ParsePointLine(line, point)) {
            if (lines.lineNumbers.size() < kListedBadLines) lines.lineNumbers.push_back(lineNumber);
            ++lines.count;
            continue;
        }
        if (lines.count > 0) badBeforePoint = true;
        g_points[++count] = point;
    }
    const bool failed = reader.Error();
    std::fclose(stream);
    if (failed) return -1;
    if (overflow > 0) return overflow;
    if (lines.count > 0 && (badBeforePoint || lines.count > count)) return kRndDamaged;
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
    const int32_t loadedZone = g_planeZone;
    RndBadLines bad;
    enum class Failure { kNoMemory, kCannotOpen, kReadError, kNotPoints };
    auto giveUp = [&](Failure failure) {
        if (stream) std::fclose(stream);
        g_pointsBlock.Swap(loaded);
        g_points = g_pointsBlock.Data();
        g_pointCount = loadedCount;
        g_pointCapacity = loadedCapacity;
        g_planeZone = loadedZone;
        if (failure == Failure::kNoMemory)
            ReportNoMemory();
        else if (failure == Failure::kCannotOpen)
            ReportCannotOpen(path);
        else if (failure == Failure::kNotPoints)
            ShowMessage(FormatString(kNotPointsText, path.c_str(), BadLineList(bad).c_str()), "",
                        msg::kOk | msg::kIconError);
        else
            ReportDamagedFile(path);
        g_currentDataPath.clear();
        return 0;
    };

    if (g_pointCapacity < 2) g_pointCapacity = 2;  // room for the end marker
    if (GrowPointBlock(g_pointCapacity) != 0) return giveUp(Failure::kNoMemory);
    for (;;) {
        const int32_t missing = ReadRndText(stream, &bad);
        stream = nullptr;
        if (missing == 0) break;
        if (missing == kRndDamaged) return giveUp(Failure::kNotPoints);
        if (missing < 0) return giveUp(Failure::kReadError);
        g_pointCapacity += missing + 8;
        if (GrowPointBlock(g_pointCapacity) != 0) return giveUp(Failure::kNoMemory);
        stream = std::fopen(path.c_str(), "rb");
        if (!stream) return giveUp(Failure::kCannotOpen);
    }
    loaded.Release();
    if (bad.count > 0)
        ShowMessage(FormatString(kSkippedEndText, path.c_str(), BadLineList(bad).c_str()), "",
                    msg::kOk | msg::kIconWarning);

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
