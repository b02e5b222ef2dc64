#include "exchange/section_random_text.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/file_report.h"
#include "model/geometry.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "section/section_records.h"

namespace {

constexpr const char* kHeaderLine = "********************";

// The inside test of the closed outline; everything passes without it.
class OutlineFilter {
public:
    explicit OutlineFilter(bool active) : m_active(active) {
        if (!active) return;
        const int32_t n = g_outline.Count();
        if (n < 3 || !g_outline.IsClosed() || g_points == nullptr) {
            // Without a closed outline no point counts as outside it.
            m_active = false;
            return;
        }
        OrientPolygonClockwise(g_outline);
        for (int32_t i = 1; i <= n + 1; ++i) {
            const RandomPoint& p = g_points[g_outline[i <= n ? i : 1]];
            m_xs.push_back(p.x);
            m_ys.push_back(p.y);
        }
        m_minX = *std::min_element(m_xs.begin(), m_xs.end() - 1);
        m_maxX = *std::max_element(m_xs.begin(), m_xs.end() - 1);
        m_minY = *std::min_element(m_ys.begin(), m_ys.end() - 1);
        m_maxY = *std::max_element(m_ys.begin(), m_ys.end() - 1);
        double area = 0;
        PolygonArea(m_xs.data(), m_ys.data(), n + 1, &area, &m_orientation);
    }
    bool Passes(double x, double y) const {
        if (!m_active) return true;
        if (x < m_minX || x > m_maxX || y < m_minY || y > m_maxY) return false;
        int cls = 0;
        ClassifyPointInPolygon(m_orientation, m_xs.data(), m_ys.data(), static_cast<int>(m_xs.size()), x, y, 0.000001,
                               &cls);
        return cls != kPolygonOutside;
    }

private:
    bool m_active;
    std::vector<double> m_xs, m_ys;
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
    int m_orientation = 0;
};

void PointLine(std::string& out, double x, double y, double z) {
    out += FormatString("        %16.4f%16.4f%12.3f%3d%3d%3d\r\n", x, y, z, 0, 0, 3);
}

}  // namespace

std::string FormatSectionsAsRandomText(int32_t centreOnly, int32_t withCrossings, int32_t insideOnly) {
    const OutlineFilter filter(insideOnly != 0);
    std::string out;
    for (int i = 0; i < 5; ++i) out += std::string(kHeaderLine) + "\r\n";
    for (int32_t n = 1; n <= g_crossSectionCount; ++n) {
        const CrossSection* s = GetCrossSection(n);
        if (s == nullptr) continue;
        if (filter.Passes(s->centreX, s->centreY))
            out += FormatString("%-8.8s%16.4f%16.4f%12.3f%3d%3d%3d\r\n", s->name, s->centreX, s->centreY, s->height, 0,
                                0, 3);
        if (centreOnly) continue;
        const int32_t have = static_cast<int32_t>(s->points.size()) - 1;
        for (int32_t j = 1; j <= std::min(s->leftCount, have); ++j) {
            const SectionPoint& p = s->points[j];
            if (filter.Passes(p.leftX, p.leftY)) PointLine(out, p.leftX, p.leftY, p.leftHeight);
        }
        for (int32_t j = 1; j <= std::min(s->rightCount, have); ++j) {
            const SectionPoint& p = s->points[j];
            if (filter.Passes(p.rightX, p.rightY)) PointLine(out, p.rightX, p.rightY, p.rightHeight);
        }
    }
    if (withCrossings) {
        const int32_t n = std::min<int32_t>(g_longCrossingCount, static_cast<int32_t>(g_longCrossings.size()) - 1);
        for (int32_t i = 1; i <= n; ++i) {
            const LongCrossing& c = g_longCrossings[i];
            if (std::fabs(c.x) < 0.001 && std::fabs(c.y) < 0.001) continue;
            if (filter.Passes(c.x, c.y)) PointLine(out, c.x, c.y, c.height);
        }
    }
    return out;
}

int32_t WriteSectionsAsRandomText(const std::filesystem::path& path, int32_t centreOnly, int32_t withCrossings,
                                  int32_t insideOnly) {
    if (g_crossSections.empty()) return -1;
    if (WriteFileBytes(path, FormatSectionsAsRandomText(centreOnly, withCrossings, insideOnly))) return 0;
    RemovePartialFile(path);
    ReportWriteFailed(path);
    return -1;
}
