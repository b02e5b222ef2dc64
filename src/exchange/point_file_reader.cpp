#include "exchange/point_file_reader.h"

#include <array>
#include <string>
#include <string_view>

#include "exchange/import_request.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "shell/status_text.h"

namespace {

constexpr int32_t kGrowthStep = 500000;
constexpr uint32_t kStatusIntervalMs = 110;

struct Record {
    double x = 0, y = 0, z = 0;
    std::string_view name;
    int16_t invalid = 0;
    int16_t plot = -1;  // -1: the caller's plot mode
    int8_t outside = 0;
};

enum class LineResult { kNone, kRecord, kBad };

// Comma fields with empty ones skipped, as strtok on "," takes them.
size_t SplitCommaFields(std::string_view line, std::array<std::string_view, 8>& fields) {
    size_t n = 0;
    size_t pos = 0;
    while (pos < line.size() && n < fields.size()) {
        const size_t comma = line.find(',', pos);
        const size_t end = comma == std::string_view::npos ? line.size() : comma;
        if (end > pos) fields[n++] = line.substr(pos, end - pos);
        pos = end + 1;
    }
    return n;
}

bool Number(std::string_view field, double* value) { return ParseImportNumber(field, value); }

bool IsBlankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\x1a') return false;
    return true;
}

// A single digit column: its value, 0 for a blank or anything else.
int32_t DigitColumn(std::string_view line, size_t column) {
    if (column > line.size()) return 0;
    const char c = line[column - 1];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

LineResult FixedColumns(std::string_view line, size_t n1, size_t n2, size_t x1, size_t x2,
                        size_t y1, size_t y2, size_t z1, size_t z2, Record& r) {
    if (IsBlankLine(line)) return LineResult::kNone;
    if (!Number(ImportColumns(line, x1, x2), &r.x) || !Number(ImportColumns(line, y1, y2), &r.y) ||
        !Number(ImportColumns(line, z1, z2), &r.z))
        return LineResult::kBad;
    r.name = ImportColumns(line, n1, n2);
    return LineResult::kRecord;
}

LineResult RndLine(std::string_view line, Record& r) {
    if (IsBlankLine(line)) return LineResult::kNone;
    LineResult result = FixedColumns(line, 1, 8, 11, 24, 27, 40, 43, 52, r);
    if (result != LineResult::kRecord) return result;
    r.invalid = DigitColumn(line, 55) != 0 ? 1 : 0;
    r.outside = DigitColumn(line, 58) != 0 ? 1 : 0;
    const int32_t plot = DigitColumn(line, 61);
    r.plot = static_cast<int16_t>(plot <= 3 ? plot : 0);
    return LineResult::kRecord;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

LineResult SimaLine(std::string_view line, Record& r) {
    // The record code is the first field; a name or a parcel member holding "A01" is not
    // a coordinate record.
    const size_t firstComma = line.find(',');
    if (firstComma == std::string_view::npos || TrimBlanks(line.substr(0, firstComma)) != "A01")
        return LineResult::kNone;
    if (line.find(",,,") != std::string_view::npos) return LineResult::kNone;
    std::array<std::string_view, 8> f;
    const size_t n = SplitCommaFields(line, f);
    const size_t doubled = line.find(",,");
    if (doubled != std::string_view::npos && doubled + 2 == line.size()) {
        // An empty elevation: name, X, Y.
        if (n < 5) return LineResult::kBad;
        r.name = f[2];
        if (!Number(f[3], &r.x) || !Number(f[4], &r.y)) return LineResult::kBad;
        return LineResult::kRecord;
    }
    if (doubled != std::string_view::npos) {
        // An empty field in front (an empty name): X, Y, Z without a name.
        if (n < 4) return LineResult::kBad;
        if (!Number(f[2], &r.x) || !Number(f[3], &r.y)) return LineResult::kBad;
        if (n >= 5 && !Number(f[4], &r.z)) return LineResult::kBad;
        return LineResult::kRecord;
    }
    if (n < 5) return LineResult::kBad;
    r.name = f[2];
    if (!Number(f[3], &r.x) || !Number(f[4], &r.y)) return LineResult::kBad;
    if (n >= 6 && !Number(f[5], &r.z)) return LineResult::kBad;
    return LineResult::kRecord;
}

LineResult JecLine(std::string_view line, Record& r) {
    if (IsBlankLine(line)) return LineResult::kNone;
    std::array<std::string_view, 8> f;
    const size_t n = SplitCommaFields(line, f);
    if (n < 5) return LineResult::kBad;
    r.name = f[2];
    if (!Number(f[3], &r.x) || !Number(f[4], &r.y)) return LineResult::kBad;
    if (n >= 6 && !Number(f[5], &r.z)) return LineResult::kBad;
    return LineResult::kRecord;
}

LineResult SunmapLine(std::string_view line, Record& r) {
    double code = 0;
    if (!Number(ImportColumns(line, 1, 4), &code) || code != static_cast<int32_t>(code) ||
        !IsSunmapPointCode(static_cast<int32_t>(code)))
        return LineResult::kNone;
    if (!Number(ImportColumns(line, 19, 31), &r.y) || !Number(ImportColumns(line, 32, 44), &r.x) ||
        !Number(ImportColumns(line, 45, 57), &r.z))
        return LineResult::kBad;
    // The name runs from column 59 to the line end, at most 8 bytes.
    if (line.size() >= 59) r.name = line.substr(58);
    return LineResult::kRecord;
}

LineResult ParseLine(int32_t kind, std::string_view line, Record& r) {
    switch (kind) {
        case kImportKindRnd: return RndLine(line, r);
        case kImportKindSima: return SimaLine(line, r);
        case kImportKindWing: return FixedColumns(line, 12, 19, 35, 48, 56, 69, 83, 90, r);
        case kImportKindBlueTrend: return FixedColumns(line, 7, 14, 24, 38, 40, 54, 56, 70, r);
        case kImportKindTrend: return FixedColumns(line, 8, 15, 17, 30, 32, 45, 51, 61, r);
        case kImportKindJec: return JecLine(line, r);
        case kImportKindSeiko: return FixedColumns(line, 6, 20, 21, 35, 36, 50, 51, 62, r);
        case kImportKindSunmap: return SunmapLine(line, r);
        default: return LineResult::kNone;
    }
}

}  // namespace

bool IsSunmapPointCode(int32_t code) {
    return code == 1 || code == 2 || code == 5 || code == 19 || code == 27 || code == 32;
}

int32_t ReadImportPointFile(std::FILE* file, int32_t kind, int32_t takeZeroElevation,
                            int32_t plotMode, int32_t addError, int32_t errorDigits,
                            ImportSkippedLines* skipped) {
    g_dataChanged = -1;
    ImportPointAppender appender(plotMode, addError, errorDigits, kGrowthStep);
    const int32_t startCount = g_pointCount;
    if (kind == kImportKindRnd) SetStatusText("file size Checking...");

    TextLineReader reader(file);
    std::string_view line;
    int64_t lineNumber = 0;
    uint32_t lastStatus = TickCount();
    ImportSkippedLines localSkipped;
    ImportSkippedLines& bad = skipped ? *skipped : localSkipped;
    while (reader.Next(line)) {
        ++lineNumber;
        if (kind == kImportKindRnd && lineNumber <= 5) continue;  // the header, zone line too
        Record r;
        const LineResult result = ParseLine(kind, line, r);
        if (result == LineResult::kBad) bad.Add(lineNumber);
        if (result != LineResult::kRecord) continue;
        if (r.z == 0 && !takeZeroElevation) continue;
        std::string_view name = r.name;
        std::string sunmapName;
        if (kind == kImportKindSunmap && !name.empty()) {
            sunmapName = CleanImportName(name, 8);
            name = sunmapName;
        }
        const int32_t i = appender.Append(r.x, r.y, r.z, name);
        if (i == 0) {
            appender.Finish();
            return -1;
        }
        if (kind == kImportKindRnd) {
            g_points[i].invalid = r.invalid;
            g_points[i].plotKind = r.plot;
            g_points[i].outside = r.outside;
        }
        const uint32_t now = TickCount();
        if (now - lastStatus >= kStatusIntervalMs) {
            lastStatus = now;
            SetStatusText(FormatString("Reading... %ld ", static_cast<long>(g_pointCount)));
        }
    }
    if (reader.Error()) {
        TruncateImportedPoints(startCount);
        return kImportReadFailed;
    }
    appender.Finish();
    SetStatusText(FormatString("%ld Points", static_cast<long>(g_pointCount)));
    return 0;
}
