#include "section/section_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "analysis/section_profile.h"
#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/section_calc.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "shell/work_files.h"
#include "view/display_flags.h"

namespace fs = std::filesystem;

std::string g_earthworkCurrentPath;
int32_t g_earthworkCurrentLoaded = 0;
std::string g_earthworkPlanPath;
int32_t g_earthworkPlanLoaded = 0;
std::string g_earthworkOutputPath;

namespace {

constexpr int32_t kMaxSidePoints = 50000;
constexpr const char* kHeaderLine = "********************";

// The companion as it lies on disk (the extension in any case), else the name with the
// extension given.
fs::path CompanionFile(const fs::path& path, const std::string& extension) {
    const fs::path found = FindCompanion(path, extension);
    return found.empty() ? WithExtension(path, extension) : found;
}

bool ReadLines(const fs::path& file, std::vector<std::string>& lines) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) return false;
    TextLineReader reader(f);
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    const bool ok = !reader.Error();
    std::fclose(f);
    return ok;
}

void CopyName(char* field, std::string_view text) {
    const size_t n = Cp932PrefixLength(text, kSectionNameBytes - 1);
    if (n > 0) std::memcpy(field, text.data(), n);  // an empty view may have no data
    field[n] = '\0';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void WidenElevationRange(double z) {
    if (std::fabs(g_pointZMin) < 0.001 && std::fabs(g_pointZMax) < 0.001) {
        g_pointZMin = g_pointZMax = z;
        return;
    }
    g_pointZMin = std::min(g_pointZMin, z);
    g_pointZMax = std::max(g_pointZMax, z);
}

// The station of a section: the one of its own number when its added distance agrees,
// else the highest-numbered one that agrees; 0 when none does.
int32_t StationOfSection(int32_t k, double distance) {
    if (k <= g_stationCount && std::fabs(g_stations[k].addedDistance - distance) < 0.01) return k;
    for (int32_t s = g_stationCount; s >= 1; --s)
        if (std::fabs(g_stations[s].addedDistance - distance) < 0.01) return s;
    return 0;
}

void UnitDirection(double dx, double dy, double* ux, double* uy) {
    double length = std::hypot(dx, dy);
    if (length < 0.001) length = 1;
    *ux = dx / length;
    *uy = dy / length;
}

}  // namespace

std::string_view ColumnField(std::string_view line, size_t first, size_t last) {
    if (first < 1 || first > line.size() || last < first) return {};
    return line.substr(first - 1, std::min(last, line.size()) - (first - 1));
}

double ColumnNumber(std::string_view line, size_t first, size_t last) {
    return std::atof(std::string(ColumnField(line, first, last)).c_str());
}

int32_t ReadOdnFile(const fs::path& path) {
    if (g_stationCount < 1) return -1;
    const fs::path file = CompanionFile(path, ".ODN");
    std::vector<std::string> lines;
    if (!ReadLines(file, lines)) return -1;

    std::vector<CrossSection> read;
    try {
        size_t at = 5;
        while (at < lines.size()) {
            const std::string& head = lines[at++];
            CrossSection s{};
            s.number = static_cast<int32_t>(read.size()) + 1;
            CopyName(s.name, TrimRight(ColumnField(head, 4, 15)));
            s.distance = ColumnNumber(head, 16, 27);
            s.singleDistance = read.empty() ? 0.0 : s.distance - read.back().distance;
            s.height = ColumnNumber(head, 28, 39);
            s.height2 = ColumnNumber(head, 40, 51);
            s.centreEstimated = std::atoi(std::string(ColumnField(head, 52, 54)).c_str());
            s.points.resize(1);
            while (at < lines.size()) {
                const std::string_view line = lines[at++];
                if (!line.empty() && line[0] == 'E') break;
                const double offset = ColumnNumber(line, 1, 10);
                const double height = ColumnNumber(line, 11, 20);
                const std::string_view name = line.size() > 21 ? line.substr(21) : std::string_view{};
                WidenElevationRange(height);
                const bool left = offset < 0;
                int32_t& count = left ? s.leftCount : s.rightCount;
                if (count >= kMaxSidePoints) continue;
                ++count;
                if (static_cast<int32_t>(s.points.size()) <= count) s.points.resize(count + 1, SectionPoint{});
                SectionPoint& p = s.points[count];
                if (left) {
                    p.leftOffset = offset, p.leftHeight = height, p.leftX = p.leftY = 0;
                    CopyName(p.leftName, name);
                    p.leftNamed = p.leftName[0] != '\0';
                } else {
                    p.rightOffset = offset, p.rightHeight = height, p.rightX = p.rightY = 0;
                    CopyName(p.rightName, name);
                    p.rightNamed = p.rightName[0] != '\0';
                }
                if (count + 2 >= kSectionBlockEntries * (1 + s.extraBlocks)) ++s.extraBlocks;
            }
            read.push_back(std::move(s));
        }
    } catch (const std::bad_alloc&) {
        ReportNoMemory();
        return -1;
    }

    const int32_t n = static_cast<int32_t>(read.size());
    if (!EnsureCrossSectionRoom(n, 10, 300)) return -1;
    g_hasSections = 0;
    g_showSections = 0;
    g_sectionViewCount = 0;
    for (int32_t k = 1; k <= n; ++k) {
        CrossSection& s = g_crossSections[k];
        s = std::move(read[k - 1]);
        const int32_t st = StationOfSection(k, s.distance);
        if (st == 0) continue;
        StationRecord& station = g_stations[st];
        s.centreX = station.x;
        s.centreY = station.y;
        UnitDirection(station.leftX - s.centreX, station.leftY - s.centreY, &s.leftDirX, &s.leftDirY);
        UnitDirection(station.rightX - s.centreX, station.rightY - s.centreY, &s.rightDirX, &s.rightDirY);
        for (int32_t j = 1; j <= s.leftCount; ++j) {
            SectionPoint& p = s.points[j];
            p.leftX = s.centreX + std::fabs(p.leftOffset) * s.leftDirX;
            p.leftY = s.centreY + std::fabs(p.leftOffset) * s.leftDirY;
        }
        for (int32_t j = 1; j <= s.rightCount; ++j) {
            SectionPoint& p = s.points[j];
            p.rightX = s.centreX + std::fabs(p.rightOffset) * s.rightDirX;
            p.rightY = s.centreY + std::fabs(p.rightOffset) * s.rightDirY;
        }
        station.groundZ = s.height;
        ++g_sectionViewCount;
    }
    g_crossSectionCount = n;
    // A file of its header lines only (as a route saved without sections writes it)
    // holds no sections.
    g_hasSections = n > 0 ? 1 : 0;
    g_showSections = n > 0 ? -1 : 0;
    g_earthworkCurrentPath = file.string();
    g_earthworkCurrentLoaded = 1;
    g_earthworkPlanPath.clear();
    g_earthworkPlanLoaded = 0;
    RecalcSectionExtents();
    return 0;
}

int32_t ReadJdnFile(const fs::path& path) {
    g_longCrossingCount = 0;
    if (g_stationCount < 1) return -1;
    std::vector<std::string> lines;
    if (!ReadLines(CompanionFile(path, ".JDN"), lines)) return -1;
    // The list follows the end line of the section lines, as a line of its own: a section
    // named "CROSS..." is no list, and only the first list is read.
    size_t at = 7;
    while (at < lines.size() && TrimRight(lines[at]) != "E") ++at;
    ++at;
    while (at < lines.size() && TrimRight(lines[at]) != "CROSS") ++at;
    if (at + 1 >= lines.size()) return 0;
    const int64_t wanted = std::atoll(lines[at + 1].c_str());
    at += 2;
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(wanted, static_cast<int64_t>(lines.size() - at)));
    if (n <= 0) return 0;
    const int32_t oldCapacity = g_longCrossingCapacity;
    g_longCrossingCapacity = n + 20;
    if (GrowLongCrossingBlock(g_longCrossingCapacity) != 0) {
        g_longCrossingCapacity = oldCapacity;
        return 0;
    }
    for (int32_t i = 1; i <= n; ++i) {
        const std::string_view line = lines[at++];
        LongCrossing& c = g_longCrossings[i];
        c = LongCrossing{};
        const std::string_view name = ColumnField(line, 1, 12);
        std::memcpy(c.name, name.data(), name.size());
        c.distance = ColumnNumber(line, 13, 24);
        c.height = ColumnNumber(line, 25, 36);
        c.height2 = ColumnNumber(line, 37, 48);
        c.station = std::atoi(std::string(line.size() >= 49 ? line.substr(48) : std::string_view{}).c_str());
        g_longCrossingCount = i;
    }
    return 0;
}

std::string FormatOdnText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    for (int32_t k = 1; k <= g_crossSectionCount; ++k) {
        const CrossSection* s = GetCrossSection(k);
        if (s == nullptr) continue;
        out += FormatString("%3d%-12.12s%12.3f%12.3f%12.3f%3d\r\n", k < 1000 ? k : 0, s->name, s->distance,
                            s->height, s->height2, s->centreEstimated);
        const int32_t have = static_cast<int32_t>(s->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(s->leftCount, have); ++j) {
            const SectionPoint& p = s->points[j];
            if (std::fabs(p.leftOffset) < 0.001) continue;
            out += FormatString("%10.3f%10.3f", -std::fabs(p.leftOffset), p.leftHeight);
            if (p.leftNamed) out += FormatString(" %.*s", kSectionNameBytes, p.leftName);
            out += "\r\n";
        }
        for (int32_t j = 1; j <= std::min(s->rightCount, have); ++j) {
            const SectionPoint& p = s->points[j];
            if (std::fabs(p.rightOffset) < 0.001) continue;
            out += FormatString("%10.3f%10.3f", p.rightOffset, p.rightHeight);
            if (p.rightNamed) out += FormatString(" %.*s", kSectionNameBytes, p.rightName);
            out += "\r\n";
        }
        out += "E\r\n";
    }
    return out;
}

std::string FormatJdnText() {
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    out += FormatString("%5d\r\n%5d\r\n", 1, 1);
    for (int32_t k = 1; k <= g_crossSectionCount; ++k) {
        const CrossSection* s = GetCrossSection(k);
        if (s == nullptr) continue;
        out += FormatString("%-12.12s%12.3f%12.3f%12.3f\r\n", s->name, s->distance, s->height, s->height2);
    }
    out += "E\r\n";
    const int32_t n = std::min<int32_t>(g_longCrossingCount, static_cast<int32_t>(g_longCrossings.size()) - 1);
    if (n > 0) {
        out += FormatString("CROSS\r\n%d\r\n", n);
        for (int32_t i = 1; i <= n; ++i) {
            const LongCrossing& c = g_longCrossings[i];
            out += FormatString("%-12.12s%12.3f%12.3f%12.3f%5d\r\n", std::string(c.name, strnlen(c.name, sizeof c.name)).c_str(),
                                c.distance, c.height, c.height2, c.station);
        }
        out += "E\r\n";
    }
    return out;
}

int32_t WriteOdnJdnFiles(const fs::path& path, int32_t kind) {
    bool ok = true;
    if (kind == 0 || kind == 1) ok = WriteWholeFileOrReport(WithExtension(path, ".ODN"), FormatOdnText()) && ok;
    if (kind == 0 || kind == 2) ok = WriteWholeFileOrReport(WithExtension(path, ".JDN"), FormatJdnText()) && ok;
    return ok ? 0 : -1;
}

int32_t WriteQdnFile(const fs::path& path) {
    if (g_simpleSectionCount < 1) return 0;
    std::string out;
    for (int32_t i = 1; i <= g_simpleSectionCount; ++i) {
        if (!ReadSimpleSection(i)) {
            ReportCannotOpen(g_sectionTempPath);
            return -1;
        }
        const SectionProfile& p = g_profile;
        out += FormatString("%d,%d,%d,%.4f,%.4f,%.4f,%.4f,%.4f,%s,\r\n", i, p.left.count, p.right.count, p.distance,
                            p.height, p.height2, p.x, p.y, std::string(p.name, strnlen(p.name, sizeof p.name)).c_str());
        const int32_t n = std::clamp(p.right.count, 0, kProfileMaxPoints);
        for (int32_t j = 1; j <= n; ++j)
            out += FormatString("%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,\r\n", p.left.dist[j], p.left.z[j],
                                p.left.x[j], p.left.y[j], p.right.dist[j], p.right.z[j], p.right.x[j], p.right.y[j]);
        out += "E\r\n";
    }
    return WriteWholeFileOrReport(WithExtension(path, ".QDN"), out) ? 0 : -1;
}

int32_t ReadQdnFile(const fs::path& path) {
    const fs::path file = FindCompanion(path, ".QDN");
    if (file.empty()) return 0;
    std::vector<std::string> lines;
    if (!ReadLines(file, lines)) return 0;
    if (!ResetSimpleSections()) return -1;
    auto fields = [](std::string_view line) {
        std::vector<std::string> out(1);
        for (char c : line) {
            if (c == ',') out.emplace_back();
            else out.back() += c;
        }
        return out;
    };
    size_t at = 0;
    while (at < lines.size()) {
        const std::string& head = lines[at++];
        if (head.empty() || head[0] == 'E') continue;
        const std::vector<std::string> f = fields(head);
        auto number = [&f](size_t i) { return i < f.size() ? std::atof(f[i].c_str()) : 0.0; };
        SectionProfile& p = g_profile;
        p.number = f.empty() ? 0 : std::atoi(f[0].c_str());
        const int32_t wanted = f.size() > 2 ? std::atoi(f[2].c_str()) : 0;
        p.distance = number(3), p.height = number(4), p.height2 = number(5), p.x = number(6), p.y = number(7);
        p.leftDirX = p.leftDirY = p.rightDirX = p.rightDirY = 0;
        std::memset(p.name, 0, sizeof p.name);
        if (f.size() > 8) {
            const size_t n = Cp932PrefixLength(f[8], sizeof p.name - 1);
            std::memcpy(p.name, f[8].data(), n);
        }
        int32_t n = 0;
        const int32_t limit = std::clamp(wanted, 0, kProfileMaxPoints);
        while (n < limit && at < lines.size()) {
            const std::string_view line = lines[at];
            if (!line.empty() && line[0] == 'E') break;
            ++at;
            const std::vector<std::string> v = fields(line);
            auto value = [&v](size_t i) { return i < v.size() ? std::atof(v[i].c_str()) : 0.0; };
            ++n;
            p.left.tag[n] = p.right.tag[n] = 0;
            p.left.dist[n] = value(0), p.left.z[n] = value(1), p.left.x[n] = value(2), p.left.y[n] = value(3);
            p.right.dist[n] = value(4), p.right.z[n] = value(5), p.right.x[n] = value(6), p.right.y[n] = value(7);
        }
        p.left.count = -n;
        p.right.count = n;
        if (!AppendSimpleSection()) {
            ReportWriteFailed(g_sectionTempPath);
            return -1;
        }
    }
    return g_simpleSectionCount;
}
