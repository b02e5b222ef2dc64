#include "model/tin_intersection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <unordered_map>

#include "model/progress.h"
#include "model/tin_query.h"
#include "platform/message_box.h"

std::vector<RandomPoint> g_intersectionResults;

namespace {
constexpr double kCoincident = 0.001;
constexpr double kParallel = 1e-6;
constexpr double kAreaExcess = 0.001;

bool Near(const RandomPoint& a, const RandomPoint& b) {
    return std::fabs(a.x - b.x) < kCoincident && std::fabs(a.y - b.y) < kCoincident &&
           std::fabs(a.z - b.z) < kCoincident;
}

double Area(double ax, double ay, double az, const RandomPoint& b, const RandomPoint& c) {
    const double ux = b.x - ax, uy = b.y - ay, uz = b.z - az;
    const double vx = c.x - ax, vy = c.y - ay, vz = c.z - az;
    const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    return 0.5 * std::sqrt(cx * cx + cy * cy + cz * cz);
}

struct Box {
    double x0, y0, z0, x1, y1, z1;
};

Box BoxOf(std::initializer_list<const RandomPoint*> pts) {
    Box b{INFINITY, INFINITY, INFINITY, -INFINITY, -INFINITY, -INFINITY};
    for (const RandomPoint* p : pts) {
        b.x0 = std::min(b.x0, p->x), b.x1 = std::max(b.x1, p->x);
        b.y0 = std::min(b.y0, p->y), b.y1 = std::max(b.y1, p->y);
        b.z0 = std::min(b.z0, p->z), b.z1 = std::max(b.z1, p->z);
    }
    return b;
}

bool Selected(int32_t v) {
    const int32_t a = v < 0 ? -v : v;
    return a >= 1 && a <= g_pointCount && (g_points[a].flags & kPointFlagRectSelected);
}

const RandomPoint& At(int32_t v) { return g_points[v < 0 ? -v : v]; }

// Triangles bucketed by their plan boxes, so that an edge meets only the triangles whose
// boxes overlap its own, still in record order.
class TriangleGrid {
public:
    void Build(const std::vector<int32_t>& tris, const std::vector<Box>& boxes) {
        m_boxes = &boxes;
        double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
        for (const Box& b : boxes) {
            x0 = std::min(x0, b.x0), y0 = std::min(y0, b.y0);
            x1 = std::max(x1, b.x1), y1 = std::max(y1, b.y1);
        }
        const auto n = static_cast<double>(std::max<size_t>(tris.size(), 1));
        const double side = std::max({x1 - x0, y1 - y0, 1e-9});
        m_cells = static_cast<int32_t>(std::clamp(std::sqrt(n), 1.0, 2048.0));
        m_x0 = x0;
        m_y0 = y0;
        m_size = side / m_cells;
        m_start.assign(static_cast<size_t>(m_cells) * m_cells + 1, 0);
        for (const Box& b : boxes) ForCells(b, [&](size_t c) { ++m_start[c + 1]; });
        for (size_t c = 1; c < m_start.size(); ++c) m_start[c] += m_start[c - 1];
        m_items.resize(m_start.back());
        std::vector<int32_t> fill(m_start.begin(), m_start.end() - 1);
        for (size_t t = 0; t < boxes.size(); ++t)
            ForCells(boxes[t], [&](size_t c) { m_items[fill[c]++] = static_cast<int32_t>(t); });
        m_stamp.assign(boxes.size(), 0);
    }

    // Positions (in the triangle list) of the triangles whose plan boxes touch `b`, in order.
    void Candidates(const Box& b, std::vector<int32_t>& out) {
        out.clear();
        if (m_boxes->empty()) return;
        ++m_round;
        ForCells(b, [&](size_t c) {
            for (int32_t k = m_start[c]; k < m_start[c + 1]; ++k) {
                const int32_t t = m_items[k];
                if (m_stamp[t] == m_round) continue;
                m_stamp[t] = m_round;
                out.push_back(t);
            }
        });
        std::sort(out.begin(), out.end());
    }

private:
    int32_t CellOf(double v, double origin) const {
        const double c = std::floor((v - origin) / m_size);
        return static_cast<int32_t>(std::clamp(c, 0.0, static_cast<double>(m_cells - 1)));
    }
    template <typename F>
    void ForCells(const Box& b, F f) const {
        const int32_t cx0 = CellOf(b.x0, m_x0), cx1 = CellOf(b.x1, m_x0);
        const int32_t cy0 = CellOf(b.y0, m_y0), cy1 = CellOf(b.y1, m_y0);
        for (int32_t cy = cy0; cy <= cy1; ++cy)
            for (int32_t cx = cx0; cx <= cx1; ++cx) f(static_cast<size_t>(cy) * m_cells + cx);
    }

    const std::vector<Box>* m_boxes = nullptr;
    int32_t m_cells = 1;
    double m_x0 = 0, m_y0 = 0, m_size = 1;
    std::vector<int32_t> m_start, m_items;
    std::vector<uint32_t> m_stamp;
    uint32_t m_round = 0;
};

// Marks the results that lie within the tolerance of an earlier kept one; a hash of
// tolerance-sized cells finds the neighbours the pairwise comparison would.
std::vector<uint8_t> MarkDuplicates(const std::vector<RandomPoint>& results) {
    std::vector<uint8_t> dup(results.size(), 0);
    auto key = [](int64_t i, int64_t j, int64_t k) {
        return static_cast<uint64_t>(i) * 73856093u ^ static_cast<uint64_t>(j) * 19349663u ^
               static_cast<uint64_t>(k) * 83492791u;
    };
    auto cell = [](double v) { return static_cast<int64_t>(std::floor(v / kCoincident)); };
    std::unordered_multimap<uint64_t, int32_t> cells;
    cells.reserve(results.size() * 2);
    for (size_t r = 0; r < results.size(); ++r)
        cells.emplace(key(cell(results[r].x), cell(results[r].y), cell(results[r].z)),
                      static_cast<int32_t>(r));
    for (size_t k = 0; k < results.size(); ++k) {
        if (dup[k]) continue;
        const RandomPoint& p = results[k];
        const int64_t i = cell(p.x), j = cell(p.y), l = cell(p.z);
        for (int64_t di = -1; di <= 1; ++di)
            for (int64_t dj = -1; dj <= 1; ++dj)
                for (int64_t dl = -1; dl <= 1; ++dl) {
                    auto range = cells.equal_range(key(i + di, j + dj, l + dl));
                    for (auto it = range.first; it != range.second; ++it) {
                        const auto r = static_cast<size_t>(it->second);
                        if (r != k && Near(p, results[r])) dup[r] = 1;
                    }
                }
    }
    return dup;
}
}  // namespace

int32_t IntersectTriangles3D(bool unbounded, const RandomPoint& t1, const RandomPoint& t2,
                             const RandomPoint& t3, const RandomPoint& p, const RandomPoint& q,
                             RandomPoint& out) {
    Box seg{};
    if (!unbounded) {
        seg = BoxOf({&p, &q});
        const Box tri = BoxOf({&t1, &t2, &t3});
        if (seg.x1 < tri.x0 || tri.x1 < seg.x0 || seg.y1 < tri.y0 || tri.y1 < seg.y0 ||
            seg.z1 < tri.z0 || tri.z1 < seg.z0)
            return 0;
        for (const RandomPoint* v : {&t1, &t2, &t3})
            if (Near(p, *v) || Near(q, *v)) return 0;
    }
    const double nz = (t2.x - t1.x) * (t3.y - t1.y) - (t3.x - t1.x) * (t2.y - t1.y);
    const double ny = (t3.x - t1.x) * (t2.z - t1.z) - (t2.x - t1.x) * (t3.z - t1.z);
    const double nx = (t2.y - t1.y) * (t3.z - t1.z) - (t3.y - t1.y) * (t2.z - t1.z);
    const double dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
    const double d = nx * dx + ny * dy + nz * dz;
    if (std::fabs(d) < kParallel) return 0;
    const double t = ((nx * t1.x + ny * t1.y + nz * t1.z) - (nx * p.x + ny * p.y + nz * p.z)) / d;
    const double cx = p.x + t * dx, cy = p.y + t * dy, cz = p.z + t * dz;
    if (!unbounded) {
        if (cx < seg.x0 || cx > seg.x1 || cy < seg.y0 || cy > seg.y1 || cz < seg.z0 || cz > seg.z1)
            return 0;
        const double parts = Area(cx, cy, cz, t1, t2) + Area(cx, cy, cz, t1, t3) +
                             Area(cx, cy, cz, t2, t3);
        if (parts - Area(t1.x, t1.y, t1.z, t2, t3) > kAreaExcess) return 0;
    }
    out = RandomPoint{};
    out.x = cx;
    out.y = cy;
    out.z = cz;
    return 1;
}

int32_t CalcTinIntersections() {
    g_intersectionResults.clear();
    if (IsProgressWindowOpen()) return -1;
    int32_t selected = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        if (!(g_points[i].flags & kPointFlagRectSelected)) continue;
        if (++selected > kMaxIntersectionPoints) {
            char text[160];
            std::snprintf(text, sizeof text, "矩形内点数が %d 点以内に収まるように\n選択しなおしてください",
                          kMaxIntersectionPoints);
            ShowMessage(text, "Error", msg::kOk);
            return -1;
        }
    }
    const bool opened = OpenProgressWindow(progress::kTinIntersection, "三角網交差計算");
    struct CloseOnExit {
        bool opened;
        ~CloseOnExit() {
            if (opened) CloseProgressWindow();
        }
    } closer{opened};

    std::vector<RandomPoint> results;
    bool overflow = false;
    try {
        std::vector<uint8_t> first;
        if (BuildTinAdjacency(nullptr, nullptr, &first) == 0) return -2;
        std::vector<int32_t> edges, tris;
        std::vector<Box> triBoxes;
        for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
            const TinEdge& r = g_tinEdges[e];
            if (!Selected(r.a) || !Selected(r.b)) continue;
            edges.push_back(e);
            if (first[e] && r.apexSearch != kNoApex && r.apexSearch != 0 && Selected(r.apexSearch)) {
                tris.push_back(e);
                triBoxes.push_back(BoxOf({&At(r.a), &At(r.b), &At(r.apexSearch)}));
            }
        }
        TriangleGrid grid;
        grid.Build(tris, triBoxes);
        std::vector<int32_t> candidates;
        for (const int32_t e : edges) {
            const TinEdge& r = g_tinEdges[e];
            const RandomPoint& p = At(r.a);
            const RandomPoint& q = At(r.b);
            const bool hole = r.a < 0;
            grid.Candidates(BoxOf({&p, &q}), candidates);
            for (const int32_t k : candidates) {
                const TinEdge& t = g_tinEdges[tris[k]];
                if ((t.a < 0) == hole) continue;
                RandomPoint c;
                if (!IntersectTriangles3D(false, At(t.a), At(t.b), At(t.apexSearch), p, q, c)) continue;
                results.push_back(c);
                break;
            }
            if (static_cast<int32_t>(results.size()) >= kMaxIntersectionPoints) {
                overflow = true;
                break;
            }
        }
        const std::vector<uint8_t> dup = MarkDuplicates(results);
        for (size_t k = 0; k < results.size(); ++k)
            if (!dup[k]) g_intersectionResults.push_back(results[k]);
    } catch (const std::bad_alloc&) {
        g_intersectionResults.clear();
        return -2;
    }
    if (opened) {
        CloseProgressWindow();
        closer.opened = false;
    }
    if (g_intersectionResults.empty())
        ShowMessage("交差点はありません", "三角網交差点計算結果", msg::kOk);
    else if (overflow)
        ShowMessage("交差点が多いため、最初の 100000 点で計算を打ち切りました。", "三角網交差点計算結果",
                    msg::kOk | msg::kIconWarning);
    return static_cast<int32_t>(g_intersectionResults.size());
}
