#include "exchange/delimited_text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/import_request.h"
#include "model/geodesy.h"
#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "model/zone_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/status_text.h"

namespace {

constexpr int32_t kGrowthStep = 500000;
constexpr int32_t kLatLongGrowthStep = 10000;
constexpr uint32_t kStatusIntervalMs = 110;
constexpr int32_t kIntensityMax = 9999;

ImportZoneDialog g_zoneDialog;

struct TextRecord {
    double x = 0, y = 0, z = 0;
    std::string name;
    bool colour = false;
    int32_t intensity = 0;
};

enum class LineResult { kNone, kRecord, kBad };

bool Number(std::string_view field, double* value) { return ParseImportNumber(field, value); }

std::string ColourName(std::string_view r, std::string_view g, std::string_view b) {
    auto value = [](std::string_view f) { return std::atoi(std::string(f).c_str()); };
    return FormatString("#%02X", value(r)) + FormatString("%02X", value(g)) +
           FormatString("%02X", value(b));
}

// Fields 1 to n: X, Y (exchanged on request), Z, then the name or intensity and colour.
LineResult FillRecord(const std::vector<std::string_view>& f, bool colour, bool named,
                      TextRecord& r) {
    if (!Number(f[0], &r.x) || !Number(f[1], &r.y)) return LineResult::kBad;
    if (f.size() >= 3 && !Number(f[2], &r.z)) return LineResult::kBad;
    if (g_importRequest.swapXY) std::swap(r.x, r.y);
    if (colour) {
        double intensity = 0;
        if (!Number(f[3], &intensity)) return LineResult::kBad;
        r.colour = true;
        r.intensity = static_cast<int32_t>(std::clamp(intensity, -1e9, 1e9));
        r.name = ColourName(f[4], f[5], f[6]);
    } else if (named && f.size() >= 4) {
        const std::string_view name = f[3];
        // A name starting with a control character is none.
        if (!name.empty() && static_cast<unsigned char>(name[0]) >= 0x20) r.name = name;
    }
    return LineResult::kRecord;
}

LineResult CommaLine(std::string_view line, TextRecord& r) {
    if (line.find(",,,") != std::string_view::npos) return LineResult::kNone;
    std::vector<std::string_view> f;
    const size_t doubled = line.find(",,");
    if (doubled != std::string_view::npos) {
        // Read with empty fields skipped.
        size_t pos = 0;
        while (pos <= line.size() && f.size() < 9) {
            const size_t comma = std::min(line.find(',', pos), line.size());
            if (comma > pos) f.push_back(line.substr(pos, comma - pos));
            pos = comma + 1;
        }
        if (f.size() < 2) return LineResult::kBad;
        if (doubled + 2 == line.size()) return FillRecord(f, false, false, r);  // X, Y, Z
        // X, Y and the name; no elevation.
        if (!Number(f[0], &r.x) || !Number(f[1], &r.y)) return LineResult::kBad;
        if (g_importRequest.swapXY) std::swap(r.x, r.y);
        if (f.size() >= 3 && static_cast<unsigned char>(f[2][0]) >= 0x20) r.name = f[2];
        return LineResult::kRecord;
    }
    // Up to 8 commas honoured.
    size_t commas = 0;
    size_t pos = 0;
    while (commas < 8) {
        const size_t comma = line.find(',', pos);
        if (comma == std::string_view::npos) break;
        f.push_back(line.substr(pos, comma - pos));
        pos = comma + 1;
        ++commas;
    }
    f.push_back(line.substr(pos, commas < 8 ? std::string_view::npos : line.find(',', pos) - pos));
    if (commas >= 6) return FillRecord(f, true, false, r);
    return FillRecord(f, false, commas >= 3, r);
}

LineResult BlankLine(std::string_view line, TextRecord& r) {
    std::vector<std::string_view> f;
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    if (i < line.size() && static_cast<unsigned char>(line[i]) < 0x20) return LineResult::kNone;
    while (i < line.size() && f.size() < 8) {
        const size_t start = i;
        while (i < line.size() && static_cast<unsigned char>(line[i]) > 0x20) ++i;
        if (i > start) f.push_back(line.substr(start, i - start));
        while (i < line.size() && static_cast<unsigned char>(line[i]) <= 0x20) {
            if (line[i] != ' ') {
                i = line.size();  // a control character ends the line
                break;
            }
            ++i;
        }
    }
    if (f.size() < 2) return LineResult::kNone;
    if (f.size() >= 7) return FillRecord(f, true, false, r);
    return FillRecord(f, false, f.size() >= 4, r);
}

LineResult TextLine(std::string_view line, TextRecord& r) {
    if (line.find(',') != std::string_view::npos) return CommaLine(line, r);
    if (line.find(' ') != std::string_view::npos) return BlankLine(line, r);
    return LineResult::kNone;
}

// Grey levels of the colour points of one call, from their intensities relative to the
// lowest: the 80 % level of the histogram maps to the top grey.
void AssignGreyLevels(const std::vector<int32_t>& colourPoints, int32_t lowest, int32_t highest) {
    if (colourPoints.empty() || highest == lowest) return;
    std::array<int64_t, 256> histogram{};
    int64_t n = 0;
    for (int32_t i : colourPoints) {
        RandomPoint& p = g_points[i];
        p.multiUse -= lowest;
        ++histogram[static_cast<size_t>(p.multiUse % 256)];
        ++n;
    }
    const int64_t target = n - n / 5;
    int64_t q = 256;
    int64_t sum = 0;
    for (int64_t bin = 0; bin < 256; ++bin) {
        sum += histogram[bin];
        if (sum >= target) {
            q = bin;
            break;
        }
    }
    q = std::min<int64_t>(q, static_cast<int64_t>(highest) - lowest);
    if (q < 1) q = 1;
    for (int32_t i : colourPoints) {
        RandomPoint& p = g_points[i];
        const int64_t g = std::min<int64_t>(static_cast<int64_t>(p.multiUse) * 91 / (q + 1), 91);
        p.name[7] = static_cast<char>(35 + g);
        p.name[8] = '\0';
    }
}

}  // namespace

int32_t ReadDelimitedPointText(const std::filesystem::path& path, int32_t takeZeroElevation,
                               int32_t plotMode, int32_t addError, int32_t errorDigits,
                               ImportSkippedLines* skipped) {
    g_dataChanged = -1;
    SetStatusText("file size Checking...");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kImportCannotOpen;
    const int32_t startCount = g_pointCount;
    ImportPointAppender appender(plotMode, addError, errorDigits, kGrowthStep);
    ImportSkippedLines localSkipped;
    ImportSkippedLines& bad = skipped ? *skipped : localSkipped;
    const int32_t limit = g_importRequest.intensityLowerLimit;
    const int32_t mode = g_importRequest.belowLimitMode;
    bool anyIntensity = false;
    int32_t lowest = 0, highest = 0;
    std::vector<int32_t> colourPoints;

    TextLineReader reader(file);
    std::string_view line;
    int64_t lineNumber = 0;
    uint32_t lastStatus = TickCount();
    while (reader.Next(line)) {
        ++lineNumber;
        TextRecord r;
        const LineResult result = TextLine(line, r);
        if (result == LineResult::kBad) bad.Add(lineNumber);
        if (result != LineResult::kRecord) continue;
        bool below = false;
        if (r.colour) {
            if (r.intensity <= limit) {
                below = true;
                if (mode == 1) r.intensity = limit;
            }
            r.intensity = std::min(r.intensity, kIntensityMax);
            lowest = anyIntensity ? std::min(lowest, r.intensity) : r.intensity;
            highest = anyIntensity ? std::max(highest, r.intensity) : r.intensity;
            anyIntensity = true;
        }
        if (r.z == 0 && !takeZeroElevation) continue;
        if (r.colour && below && mode == 1) continue;
        const int32_t i = appender.Append(r.x, r.y, r.z, r.name);
        if (i == 0) {
            appender.Finish();
            std::fclose(file);
            return -1;
        }
        if (r.colour) {
            g_points[i].multiUse = r.intensity;
            colourPoints.push_back(i);
            if (below && mode == 2) g_points[i].invalid = 1;
        }
        const uint32_t now = TickCount();
        if (now - lastStatus >= kStatusIntervalMs) {
            lastStatus = now;
            SetStatusText(FormatString("Reading... %ld ", static_cast<long>(g_pointCount)));
        }
    }
    const bool failed = reader.Error();
    std::fclose(file);
    if (failed) {
        TruncateImportedPoints(startCount);
        return kImportReadFailed;
    }
    appender.Finish();
    SetStatusText(FormatString("%ld Points", static_cast<long>(g_pointCount)));
    if (anyIntensity) AssignGreyLevels(colourPoints, lowest, highest);
    return 0;
}

void SetImportZoneDialog(ImportZoneDialog dialog) { g_zoneDialog = std::move(dialog); }

bool RunImportZoneDialog(ZoneSelectValues& values) { return !g_zoneDialog || g_zoneDialog(values); }

bool ParseDmsField(const char* text, double* degrees) {
    std::string_view rest = text;
    double parts[3] = {0, 0, 0};
    for (int k = 0; k < 3 && !rest.empty(); ++k) {
        const size_t dash = rest.find('-');
        if (!Number(rest.substr(0, dash), &parts[k])) return false;
        rest = dash == std::string_view::npos ? std::string_view{} : rest.substr(dash + 1);
    }
    if (!rest.empty()) return false;
    *degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
    return true;
}

void FindNearestPlaneZone(double latDegrees, double latMinutes, double latSeconds,
                          double lonDegrees, double lonMinutes, double lonSeconds, int32_t* zone) {
    const double lat = latDegrees + latMinutes / 60.0 + latSeconds / 3600.0;
    const double lon = lonDegrees + lonMinutes / 60.0 + lonSeconds / 3600.0;
    int32_t best = 1;
    double bestDistance = 0;
    for (int32_t z = 1; z <= kPlaneZoneCount; ++z) {
        const double dLon = lon - g_zoneOrigins[z - 1];
        const double dLat = lat - g_zoneOrigins[z + 18];
        const double d = std::sqrt(dLon * dLon + dLat * dLat);
        if (z == 1 || d < bestDistance) {
            best = z;
            bestDistance = d;
        }
    }
    *zone = best;
}

namespace {

struct LatLongRecord {
    std::string name;
    double latitude = 0, longitude = 0, z = 0;
};

// Comma fields, empty ones kept: 3 name, 4 latitude, 5 longitude, 6 elevation.
LineResult LatLongLine(std::string_view line, LatLongRecord& r) {
    if (line.empty()) return LineResult::kNone;
    std::string text(line);
    std::vector<std::string> f;
    for (char* t = TokenizeText(text.data(), ","); t != nullptr && f.size() < 6;
         t = TokenizeText(nullptr, ","))
        f.emplace_back(t);
    if (f.size() < 5) return LineResult::kBad;
    r.name = f[2];
    if (!ParseDmsField(f[3].c_str(), &r.latitude) || !ParseDmsField(f[4].c_str(), &r.longitude))
        return LineResult::kBad;
    if (f.size() >= 6 && !Number(f[5], &r.z)) return LineResult::kBad;
    return LineResult::kRecord;
}

}  // namespace

int32_t ReadLatLongPointFile(const std::filesystem::path& path, int32_t takeZeroElevation,
                             int32_t plotMode, int32_t addError, int32_t errorDigits,
                             ImportSkippedLines* skipped) {
    Ellipsoid geodesy;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kImportCannotOpen;
    ImportSkippedLines localSkipped;
    ImportSkippedLines& bad = skipped ? *skipped : localSkipped;

    // The zone nearest to the first position that reads.
    {
        TextLineReader first(file);
        std::string_view line;
        LatLongRecord r;
        bool found = false;
        while (first.Next(line))
            if (LatLongLine(line, r) == LineResult::kRecord) {
                found = true;
                break;
            }
        if (!found) {
            std::fclose(file);
            return first.Error() ? kImportReadFailed : 0;
        }
        FindNearestPlaneZone(r.latitude, 0, 0, r.longitude, 0, 0, &g_planeZone);
    }
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_datumSelection = g_useWorldDatum;
    values.m_dataDatum = g_useWorldDatum;
    if (g_zoneDialog && !g_zoneDialog(values)) {
        std::fclose(file);
        return 0;
    }
    g_planeZone = values.m_zone;
    if (values.m_dataDatum == 1) {
        geodesy.SelectEllipsoid(kEllipsoidGrs1980);
        g_useWorldDatum = 1;
    } else {
        geodesy.SelectEllipsoid(kEllipsoidBessel1841);
        g_useWorldDatum = 0;
    }
    double originLatitude = 0, originLongitude = 0;
    {
        double x = 0, y = 0;
        // Refused with a message for a zone outside 1 to 19: nothing is read then.
        if (!geodesy.ZoneGeographicToPlane(x, y, g_planeZone, 0, 0)) {
            std::fclose(file);
            return 0;
        }
        originLongitude = g_zoneOrigins[g_planeZone - 1];
        originLatitude = g_zoneOrigins[g_planeZone + 18];
    }

    std::rewind(file);
    const int32_t startCount = g_pointCount;
    ImportPointAppender appender(plotMode, addError, errorDigits, kLatLongGrowthStep);
    TextLineReader reader(file);
    std::string_view line;
    int64_t lineNumber = 0;
    while (reader.Next(line)) {
        ++lineNumber;
        LatLongRecord r;
        const LineResult result = LatLongLine(line, r);
        if (result == LineResult::kBad) bad.Add(lineNumber);
        if (result != LineResult::kRecord) continue;
        if (r.z == 0 && !takeZeroElevation) continue;
        double x = 0, y = 0;
        geodesy.GeographicToPlane(x, y, originLatitude, originLongitude, r.latitude, r.longitude);
        if (appender.AppendRawName(x, y, r.z, r.name) == 0) {
            appender.Finish();
            std::fclose(file);
            return -1;
        }
        g_dataChanged = -1;
    }
    const bool failed = reader.Error();
    std::fclose(file);
    if (failed) {
        TruncateImportedPoints(startCount);
        return kImportReadFailed;
    }
    appender.Finish();
    return 0;
}
