#pragma once
// Part of a real survey with duplicates planted in it, and short texts of what each long
// operation leaves behind, for tests that compare a run with something happening in the
// middle of it against a run alone.
#include <cstdlib>
#include <functional>
#include <string>

#include "contour/contour_files.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "survey_data.h"

namespace long_ops {
constexpr int kSurveyPoints = 1500;
constexpr int kPlantedDuplicates = kSurveyPoints / 10;

// The first points of the scattered survey as an RND file, and a second copy of every
// tenth of them 0.4 mm away (one metre higher) for the duplicate check to find.
inline std::string SurveyWithDuplicates() {
    std::string bytes;
    if (!ReadFileBytes(SurveyFile("jacksboro_scatter20k.RND"), bytes)) return {};
    const size_t header = 5 * 22, line = 63;
    std::string out = bytes.substr(0, header + kSurveyPoints * line);
    for (int i = 0; i < kSurveyPoints; i += 10) {
        const std::string record = bytes.substr(header + i * line, line);
        const double x = std::atof(record.substr(10, 14).c_str());
        const double y = std::atof(record.substr(26, 14).c_str());
        const double z = std::atof(record.substr(42, 10).c_str());
        out += FormatString("%-10s%14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n",
                            ("D" + std::to_string(i)).c_str(), x + 0.0004, y, z + 1.0, 0, 0, 0);
    }
    return out;
}

// A long text as its length and hash.
inline std::string Digest(const std::string& text) {
    return std::to_string(text.size()) + "/" + std::to_string(std::hash<std::string>{}(text));
}

inline std::string Points() {
    std::string s = std::to_string(g_pointCount) + ":";
    for (int32_t i = 1; i <= g_pointCount; ++i)
        s += FormatString("%.4f,%.4f,%.3f,%d;", g_points[i].x, g_points[i].y, g_points[i].z,
                          g_points[i].invalid);
    return Digest(s);
}

inline std::string Outline() {
    std::string s = g_outline.IsClosed() ? "closed:" : "open:";
    for (int32_t i = 1; i <= g_outline.Count(); ++i) s += std::to_string(g_outline[i]) + ",";
    return Digest(s);
}

inline std::string Tin() {
    std::string s = std::to_string(g_tinEdgeCount) + ":";
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        s += FormatString("%d %d %d %d;", g_tinEdges[i].a, g_tinEdges[i].b, g_tinEdges[i].apexBack,
                          g_tinEdges[i].apexSearch);
    return Digest(s);
}

inline std::string Contours() {
    std::string bytes;
    ReadFileBytes(g_contourLinesPath, bytes);
    return std::to_string(g_drawingContoursLoaded) + ":" + Digest(bytes);
}
}  // namespace long_ops
