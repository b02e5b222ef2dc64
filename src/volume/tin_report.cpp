#include "volume/tin_report.h"

#include <cstdlib>
#include <vector>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "platform/message_box.h"

bool ForEachTinTriangle(int32_t holesOnly,
                        const std::function<void(const RandomPoint&, const RandomPoint&,
                                                 const RandomPoint&)>& visit) {
    if (!g_tinEdges || g_tinEdgeCount <= 0) return true;
    std::vector<uint8_t> marks;
    if (BuildTinAdjacency(nullptr, nullptr, &marks) == 0) return false;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (marks[i] == 0) continue;
        const TinEdge& r = g_tinEdges[i];
        if (holesOnly && r.a > 0 && r.b > 0 && r.apexSearch > 0) continue;
        const int32_t a = std::abs(r.a), b = std::abs(r.b), s = std::abs(r.apexSearch);
        if (a < 1 || a > g_pointCount || b < 1 || b > g_pointCount || s < 1 || s > g_pointCount)
            continue;
        visit(g_points[a], g_points[b], g_points[s]);
    }
    return true;
}

TinReport::TinReport(bool wanted, const std::string& path) : m_wanted(wanted) {
    if (!wanted) return;
    if (!m_file.Open(path)) {
        m_createFailed = true;
        ReportCannotCreate(path);
    }
}

void TinReport::WriteBytes(std::string_view cp932) {
    if (!m_file.IsOpen()) return;
    std::string out;
    out.reserve(cp932.size() + 8);
    for (char c : cp932) {
        if (c == '\n') out += '\r';
        out += c;
    }
    m_file.WriteRaw(out);
}

void TinReport::Write(std::string_view utf8) { WriteBytes(Utf8ToCp932(utf8)); }

bool TinReport::Finish() {
    if (!m_wanted) return true;
    if (m_createFailed) return false;
    const std::filesystem::path path = m_file.Path();
    if (!m_file.Close()) {
        ReportWriteFailed(path);
        RemovePartialFile(path);
        return false;
    }
    return true;
}
