#include "exchange/scanner.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "model/terrain_data.h"

namespace {
constexpr int32_t kGrowthStep = 10000;
constexpr double kDegree = 0.017453292519943295;
constexpr size_t kRecordLimit = 511;

RieglSetupDialog g_setupDialog;

bool Number(std::string_view field, double* value) { return ParseImportNumber(field, value); }
}  // namespace

void SetRieglSetupDialog(RieglSetupDialog dialog) { g_setupDialog = std::move(dialog); }
bool RieglSetupDialogAvailable() { return static_cast<bool>(g_setupDialog); }

bool ParseScanRecord(std::string_view record, ScanMeasurement* m, bool* bad) {
    *bad = false;
    bool haveRange = false, haveStatus = false, haveB = false, haveI = false;
    int32_t status = -1;
    bool first = true;
    size_t pos = 0;
    while (pos <= record.size()) {
        const size_t semicolon = std::min(record.find(';', pos), record.size());
        const std::string_view token = record.substr(pos, semicolon - pos);
        pos = semicolon + 1;
        if (token.empty()) continue;
        if (first && token.find("m...") != std::string_view::npos) return false;  // a header
        first = false;
        double v = 0;
        if (token.find('r') != std::string_view::npos) {
            if (!Number(token.substr(1), &v)) return *bad = true, false;
            m->range = v, haveRange = true;
        } else if (token.find("eTW") != std::string_view::npos) {
            const size_t at = token.find("eTW");
            if (!Number(token.substr(at + 3), &v)) return *bad = true, false;
            status = static_cast<int32_t>(v), haveStatus = true;
        } else if (token.find("eTB") != std::string_view::npos) {
            if (!Number(token.substr(token.find("eTB") + 3), &v)) return *bad = true, false;
            m->horizontal = v, haveB = true;
        } else if (token.find("eTI") != std::string_view::npos) {
            if (!Number(token.substr(token.find("eTI") + 3), &v)) return *bad = true, false;
            m->vertical = v, haveI = true;
        }
    }
    return haveRange && haveStatus && status == 0 && haveB && haveI;
}

int32_t ReadRieglScanFile(const std::filesystem::path& path, int32_t takeZeroElevation,
                          int32_t plotMode, int32_t addError, int32_t errorDigits,
                          ImportSkippedLines* skipped) {
    RieglSetup setup;
    if (g_setupDialog) g_setupDialog(setup);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kImportCannotOpen;
    const int32_t startCount = g_pointCount;
    ImportPointAppender appender(plotMode, addError, errorDigits, kGrowthStep);
    ImportSkippedLines localSkipped;
    ImportSkippedLines& bad = skipped ? *skipped : localSkipped;
    std::string record;
    int64_t recordNumber = 0;
    int c = 0;
    bool more = true;
    while (more) {
        // A record ends at CR (the export's own end) or LF. One longer than any the export
        // writes is damage: it is listed, not cut into pieces that could read as records.
        record.clear();
        bool tooLong = false;
        while ((c = std::fgetc(file)) != EOF && c != '\r' && c != '\n') {
            if (record.size() < kRecordLimit)
                record.push_back(static_cast<char>(c));
            else
                tooLong = true;
        }
        more = c != EOF;
        if (record.empty()) continue;
        ++recordNumber;
        if (tooLong) {
            bad.Add(recordNumber);
            continue;
        }
        ScanMeasurement m;
        bool damaged = false;
        if (!ParseScanRecord(record, &m, &damaged)) {
            if (damaged) bad.Add(recordNumber);
            continue;
        }
        const double b = m.horizontal * kDegree;
        const double i = m.vertical * kDegree;
        const double x = m.range * std::cos(b);
        const double y = -m.range * std::sin(b);
        const double z = m.range * std::cos(i);
        if (z == 0 && !takeZeroElevation) continue;
        // The offsets of "誤差を付加" come before the set-up point is added.
        const int32_t k = appender.Append(x, y, z, {});
        if (k == 0) {
            appender.Finish();
            std::fclose(file);
            return -1;
        }
        g_points[k].x += setup.x;
        g_points[k].y += setup.y;
        g_points[k].z += setup.z;
        g_dataChanged = -1;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        TruncateImportedPoints(startCount);
        return kImportReadFailed;
    }
    appender.Finish();
    return 0;
}
