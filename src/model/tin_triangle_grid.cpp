#include "model/tin_triangle_grid.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "model/terrain_data.h"
#include "model/tin_query.h"

namespace {
bool IsPoint(int32_t p) { return g_points && p >= 1 && p <= g_pointCount; }

struct Box {
    double minX, minY, maxX, maxY;
};

// The box of a record's search-side triangle; false when a corner is not a point or
// not a finite place.
bool RecordBox(const TinEdge& r, Box& box) {
    const int32_t ia = std::abs(r.a), ib = std::abs(r.b), is = std::abs(r.apexSearch);
    if (!IsPoint(ia) || !IsPoint(ib) || !IsPoint(is)) return false;
    const RandomPoint& a = g_points[ia];
    const RandomPoint& b = g_points[ib];
    const RandomPoint& s = g_points[is];
    box = {std::min({a.x, b.x, s.x}), std::min({a.y, b.y, s.y}), std::max({a.x, b.x, s.x}),
           std::max({a.y, b.y, s.y})};
    return std::isfinite(box.minX) && std::isfinite(box.minY) && std::isfinite(box.maxX) &&
           std::isfinite(box.maxY);
}
}  // namespace

int64_t TinTriangleGrid::CellX(double x) const {
    return std::clamp<int64_t>(static_cast<int64_t>((x - m_minX) / m_cellSize), 0, m_columns - 1);
}
int64_t TinTriangleGrid::CellY(double y) const {
    return std::clamp<int64_t>(static_cast<int64_t>((y - m_minY) / m_cellSize), 0, m_rows - 1);
}

bool TinTriangleGrid::Build() {
    m_columns = m_rows = 0;
    m_start.clear();
    m_records.clear();
    m_maxX = m_maxY = -1;
    m_minX = m_minY = 0;
    if (!g_tinEdges || g_tinEdgeCount < 1) return true;
    int64_t count = 0;
    Box all{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        Box b;
        if (!RecordBox(g_tinEdges[i], b)) continue;
        ++count;
        all = {std::min(all.minX, b.minX), std::min(all.minY, b.minY), std::max(all.maxX, b.maxX),
               std::max(all.maxY, b.maxY)};
    }
    if (count == 0) return true;
    // About one triangle per cell.
    const double w = all.maxX - all.minX, h = all.maxY - all.minY;
    const double side = std::max({w, h, 1e-9});
    const double cells = std::clamp(static_cast<double>(count), 1.0, 4.0e6);
    m_cellSize = std::max(std::sqrt(std::max(w, side * 1e-3) * std::max(h, side * 1e-3) / cells), side / 4096);
    m_minX = all.minX;
    m_minY = all.minY;
    m_maxX = all.maxX;
    m_maxY = all.maxY;
    m_columns = std::max<int64_t>(1, static_cast<int64_t>(w / m_cellSize) + 1);
    m_rows = std::max<int64_t>(1, static_cast<int64_t>(h / m_cellSize) + 1);
    try {
        m_start.assign(static_cast<size_t>(m_columns * m_rows + 1), 0);
        for (int pass = 0; pass < 2; ++pass) {
            for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
                Box b;
                if (!RecordBox(g_tinEdges[i], b)) continue;
                const int64_t c0 = CellX(b.minX), c1 = CellX(b.maxX);
                const int64_t r0 = CellY(b.minY), r1 = CellY(b.maxY);
                for (int64_t r = r0; r <= r1; ++r)
                    for (int64_t c = c0; c <= c1; ++c) {
                        const size_t cell = static_cast<size_t>(r * m_columns + c);
                        if (pass == 0)
                            ++m_start[cell + 1];
                        else
                            m_records[m_start[cell]++] = i;
                    }
            }
            if (pass == 0) {
                for (size_t k = 1; k < m_start.size(); ++k) m_start[k] += m_start[k - 1];
                m_records.assign(static_cast<size_t>(m_start.back()), 0);
            } else {
                // The fill moved every start to the next cell's; move them back.
                for (size_t k = m_start.size() - 1; k > 0; --k) m_start[k] = m_start[k - 1];
                m_start[0] = 0;
            }
        }
    } catch (const std::bad_alloc&) {
        m_columns = m_rows = 0;
        m_start.clear();
        m_records.clear();
        return false;
    }
    return true;
}

int32_t TinTriangleGrid::Find(double x, double y, double* elevation) const {
    if (m_columns == 0 || !(x >= m_minX && x <= m_maxX && y >= m_minY && y <= m_maxY)) return 0;
    const size_t cell = static_cast<size_t>(CellY(y) * m_columns + CellX(x));
    for (int32_t k = m_start[cell]; k < m_start[cell + 1]; ++k) {
        const int32_t i = m_records[k];
        const TinEdge& r = g_tinEdges[i];
        const RandomPoint& a = g_points[std::abs(r.a)];
        const RandomPoint& b = g_points[std::abs(r.b)];
        const RandomPoint& s = g_points[std::abs(r.apexSearch)];
        if (x < std::min({a.x, b.x, s.x}) || x > std::max({a.x, b.x, s.x})) continue;
        if (y < std::min({a.y, b.y, s.y}) || y > std::max({a.y, b.y, s.y})) continue;
        double z = 0;
        if (InterpolateInTriangle(a.x, a.y, a.z, b.x, b.y, b.z, s.x, s.y, s.z, x, y, &z) != 0) {
            if (elevation) *elevation = z;
            return i;
        }
    }
    return 0;
}
