#include "exchange/sunmap_out.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "contour/contour_files.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"

int32_t g_sunmapScale = 1;
int32_t g_sunmapMainLineType = 1;
int32_t g_sunmapIndexLineType = 2;
int32_t g_sunmapMainLayer = 1;
int32_t g_sunmapIndexLayer = 2;
std::string g_sunmapOutPath;
int32_t g_sunmapOutBusy = 0;

void ResetSunmapChoices() {
    g_sunmapScale = 1;
    g_sunmapMainLineType = 1;
    g_sunmapIndexLineType = 2;
    g_sunmapMainLayer = 1;
    g_sunmapIndexLayer = 2;
    g_sunmapOutPath.clear();
    g_sunmapOutBusy = 0;
}

bool IsIndexContourLevel(double level) {
    if (!(g_indexContourInterval != 0)) return false;
    const double q = level / g_indexContourInterval;
    const double frac = q - std::floor(q);
    return frac < 0.000001 || frac > 0.999999;
}

namespace {

struct Extents {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    void Add(double x, double y) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    bool Empty() const { return !(minX <= maxX); }
};

// Walks the contour lines: f(level, firstVertex, x, y) per vertex of each complete header.
template <typename F>
void ForEachVertex(std::FILE* lines, F f) {
    ContourRecord header;
    while (ReadContourRecord(lines, &header)) {
        const double count = header.b;
        for (int32_t v = 0; v < count; ++v) {
            ContourRecord vertex;
            if (!ReadContourRecord(lines, &vertex)) return;
            f(header.a, v == 0, vertex.a, vertex.b);
        }
    }
}

}  // namespace

int32_t WriteSunmapFile(const std::filesystem::path& path, int32_t scale, int32_t mainLineType,
                        int32_t indexLineType, int32_t mainLayer, int32_t indexLayer) {
    // The contour file first, so that a missing one leaves no empty output behind.
    std::FILE* lines = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!lines) return kSunmapNotCreated;
    Extents ext;
    for (int32_t i = 1; i <= g_pointCount; ++i) ext.Add(g_points[i].x, g_points[i].y);
    if (ext.Empty()) {
        ForEachVertex(lines, [&](double, bool, double x, double y) { ext.Add(x, y); });
        std::rewind(lines);
    }
    if (ext.Empty()) ext = Extents{0, 0, 0, 0};
    TextFileWriter out;
    if (!out.Open(path)) {
        std::fclose(lines);
        return kSunmapNotCreated;
    }
    out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf%13.3lf%13.3lf", 10, 0, 0, 0, ext.minY, ext.minX, ext.maxY,
                  ext.maxX);
    out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf", 14, 0, 0, 0, static_cast<double>(scale),
                  static_cast<double>(scale));
    ForEachVertex(lines, [&](double level, bool first, double x, double y) {
        const bool index = IsIndexContourLevel(level);
        out.PrintLine("%4d%4d%6d%4d%13.3lf%13.3lf%13.3lf", first ? 1 : 2, index ? indexLayer : mainLayer, 0,
                      index ? indexLineType : mainLineType, y, x, level);
    });
    const bool readError = std::ferror(lines) != 0;
    std::fclose(lines);
    if (!out.Close() || readError) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return kSunmapWriteFailed;
    }
    return 0;
}
