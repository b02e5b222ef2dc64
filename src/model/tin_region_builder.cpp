#include "model/tin_region_builder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/grid_walk.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_state.h"

int32_t g_tinCalcBusy = 0;

namespace {

bool g_linearScans = false;

constexpr double kTie = 1e-6;  // tie tolerance of the candidate choice
constexpr double kSegmentTolerance = 1e-6;
constexpr double kNoValue = 1e32;  // "no best value yet"
constexpr int32_t kExclusionLimit = 90;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kCellMargin = 1e-3;  // cells, for walking segments through the grid

}  // namespace

// ---- the partition ----

std::vector<int32_t> RegionBlock(int32_t k) {
    std::vector<int32_t> block;
    if (k < 1 || k > kRegionCount) return block;
    const int32_t xBand = (k - 1) / kRegionBands + 1, yBand = (k - 1) % kRegionBands + 1;
    block.push_back(k);
    // Then the neighbours in the order of their region numbers.
    for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            if (dx == 0 && dy == 0) continue;
            const int32_t xb = xBand + dx, yb = yBand + dy;
            if (xb < 1 || xb > kRegionBands || yb < 1 || yb > kRegionBands) continue;
            block.push_back(kRegionBands * (xb - 1) + yb);
        }
    }
    return block;
}

bool AssignPointsToRegions(int32_t mode, TinRegionPartition& partition) {
    partition = TinRegionPartition{};
    const int32_t n = g_pointCount;
    partition.pointRegion.assign(static_cast<size_t>(n) + 1, 0);
    double minX = kInfinity, maxX = -kInfinity, minY = kInfinity, maxY = -kInfinity;
    auto take = [&](const RandomPoint& p) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    };
    if (mode == 1) {
        for (int32_t i = 1; i <= g_outline.Count(); ++i) {
            const int32_t v = g_outline[i];
            if (v >= 1 && v <= n) take(g_points[v]);
        }
    } else {
        for (int32_t p = 1; p <= n; ++p) take(g_points[p]);
    }
    if (!(minX <= maxX) || !(minY <= maxY)) return false;
    const double x0 = minX - 1, y0 = minY - 1;
    const double t = std::max(std::fabs(maxX + 1 - x0), std::fabs(maxY + 1 - y0)) * 0.125;
    partition.side = t;
    for (int32_t xb = 1; xb <= kRegionBands; ++xb) {
        for (int32_t yb = 1; yb <= kRegionBands; ++yb) {
            TinRegion& r = partition.regions[kRegionBands * (xb - 1) + yb];
            r.lowX = x0 + (xb - 1) * t;
            r.highX = x0 + xb * t;
            r.lowY = y0 + (yb - 1) * t;
            r.highY = y0 + yb * t;
            r.centerX = 0.5 * (r.lowX + r.highX);
            r.centerY = 0.5 * (r.lowY + r.highY);
        }
    }
    auto band = [&](double v, double low) {
        for (int32_t k = 1; k <= kRegionBands; ++k)
            if (low + (k - 1) * t <= v && v <= low + k * t) return k;
        return 0;
    };
    std::vector<int32_t> counts(kRegionCount + 1, 0);
    for (int32_t p = 1; p <= n; ++p) {
        const RandomPoint& pt = g_points[p];
        if (mode == 1 && (pt.invalid != 0 || pt.outside != 0)) continue;
        const int32_t xb = band(pt.x, x0), yb = band(pt.y, y0);
        if (xb == 0 || yb == 0) continue;
        const int32_t region = kRegionBands * (xb - 1) + yb;
        partition.pointRegion[p] = region;
        ++counts[region];
    }
    int32_t start = 0;
    for (int32_t k = 1; k <= kRegionCount; ++k) {
        partition.regions[k].start = start;
        partition.regions[k].count = counts[k];
        start += counts[k];
    }
    partition.list.assign(start, 0);
    std::vector<int32_t> fill(kRegionCount + 1, 0);
    for (int32_t k = 1; k <= kRegionCount; ++k) fill[k] = partition.regions[k].start;
    for (int32_t p = 1; p <= n; ++p)
        if (const int32_t region = partition.pointRegion[p]) partition.list[fill[region]++] = p;
    return true;
}

void SetTinRegionLinearScans(bool on) { g_linearScans = on; }

namespace {

// Directed record lookup: the first record A->B of a pair, as a scan from record 1 finds
// it. Each point lists the records that start at it; the lists stay short (its
// neighbours), and a point's records are looked up while it is being worked on.
class DirectedEdgeIndex {
public:
    void Reset(int32_t points, size_t records) {
        m_head.assign(static_cast<size_t>(points) + 1, 0);
        m_next.assign(1, 0);
        m_next.reserve(records + 1);
    }
    int32_t Find(int32_t a, int32_t b) const {
        int32_t first = 0;
        for (int32_t r = m_head[a]; r != 0; r = m_next[r])
            if (g_tinEdges[r].b == b)
                first = r;  // newest first: the last match is the first record
        return first;
    }
    // Records are added in increasing order.
    void Add(int32_t a, int32_t record) {
        if (m_next.size() <= static_cast<size_t>(record))
            m_next.resize(static_cast<size_t>(record) + 1, 0);
        m_next[record] = m_head[a];
        m_head[a] = record;
    }

private:
    std::vector<int32_t> m_head;
    std::vector<int32_t> m_next;
};

// Where the search of one open side stands: the best value and its point.
struct ScanState {
    int32_t e = 0;  // 0: nothing taken
    double best = kNoValue;
};

class TinRegionBuilder {
public:
    TinBuildResult Run(bool* openedWindow);

private:
    struct Entry {
        double x;
        double y;
        int32_t point;
        int32_t region;
    };
    struct Candidate {
        double q;
        int64_t key;  // place in the scan order
        int32_t point;
    };

    bool CheckOutline();
    void AllocateWork();
    void BuildLookups();
    int InitRegionFrontFromOutline();
    TinBuildResult AdvanceTinFrontRegions();

    // The open side A->B.
    void SetSide(int32_t a, int32_t b);
    bool Eligible(int32_t p) const;
    bool Hidden(int32_t p) const;
    bool CircleInsideBlock(double q) const;
    bool Measure(double xp, double yp, double* q) const;
    void Consider(ScanState& state, int32_t p, double q);
    int32_t Search();
    void ScanMode(bool fullMode, ScanState& state);
    void ScanLinear(bool fullMode, ScanState& state);
    void ScanWithLookups(bool fullMode, ScanState& state);
    bool CollectLowCandidates(bool fullMode, double window, std::vector<Candidate>& low,
                              bool* complete);

    // Records and the outline.
    int32_t FindRecord(int32_t a, int32_t b) const;
    int32_t AppendRecord(int32_t a, int32_t b, int32_t apexBack);
    void IndexSegment(std::vector<int32_t>& head, std::vector<int32_t>& next,
                      std::vector<int32_t>& item, int32_t p, int32_t q, int32_t id);
    template <typename Visit>
    void WalkCells(int32_t p, int32_t q, Visit visit) const;
    bool RecordsCrossNewSides(int32_t a, int32_t b, int32_t p);
    bool CrossesRecords(int32_t p);
    bool SideCrossesRecord(int32_t p, int32_t x, int32_t record) const;
    bool NewSidesCrossOutlineList(int32_t a, int32_t b, int32_t p) const;
    bool SideCrossesOutlineSide(int32_t p, int32_t x, int32_t side) const;

    // Endings.
    TinBuildResult Complete();
    TinBuildResult LimitStop();
    TinBuildResult NoCandidate(int32_t a, int32_t b);
    TinBuildResult Stopped();

    // Outline (1..n, [n+1] = [1]).
    int32_t m_outlineCount = 0;
    std::vector<int32_t> m_outline;

    // Points.
    int32_t m_n = 0;
    std::vector<double> m_x, m_y;
    std::vector<uint8_t> m_qualifies;  // invalid flag 0 and outside byte 0
    TinRegionPartition m_partition;

    // Grid of the lookups: m_dim x m_dim square cells over the partition.
    int32_t m_dim = kRegionBands;
    double m_cell = 1, m_diag = 1, m_lowX = 0, m_lowY = 0;
    std::vector<int32_t> m_cellStart;
    std::vector<Entry> m_entries;
    std::vector<int32_t> m_stray;  // qualifying points outside the partition
    std::vector<int32_t> m_sideHead, m_sideNext, m_sideItem;        // outline sides by cell
    std::vector<int32_t> m_recordHead, m_recordNext, m_recordItem;  // records by cell
    // The walk of a new side meets a record in every cell it shares with it: one test does.
    std::vector<uint32_t> m_recordSeen;
    uint32_t m_walk = 0;
    bool m_recordsIndexed = false;
    DirectedEdgeIndex m_edges;

    // Records.
    int32_t m_count = 0;

    // The open side and its search.
    int32_t m_a = 0, m_b = 0;
    double m_xa = 0, m_ya = 0, m_xb = 0, m_yb = 0, m_xm = 0, m_ym = 0, m_h2 = 0, m_h = 0;
    bool m_regionMode = false;
    std::vector<int32_t> m_block;  // regions scanned in region mode, in order
    std::vector<int32_t> m_blocks[kRegionCount + 1];  // RegionBlock of each region
    double m_blockLowX = 0, m_blockLowY = 0, m_blockHighX = 0, m_blockHighY = 0;
    uint64_t m_blockMask = 0;
    int32_t m_limitR0 = 0, m_limitR1 = 0, m_limitC0 = 0, m_limitC1 = 0;
    std::vector<uint32_t> m_excludedStamp;
    uint32_t m_stamp = 0;
    // Whether new sides to a point cross the records, known for the open side when the
    // point's stamp is the side's: the records do not change while a side is searched.
    std::vector<uint32_t> m_crossStamp;
    std::vector<uint8_t> m_crosses;
    std::vector<int32_t> m_excluded;
    bool m_visibleOnly = false;  // searches skip points that the outline hides
    bool m_setAside = false;     // the scan set a tied pair aside
    std::vector<Candidate> m_low;

    uint32_t m_start = 0;
    TinBuildPoll m_poll{0};
};

// ---- set-up ----

bool TinRegionBuilder::CheckOutline() {
    if (!CopyOutlineForBuild(m_outline, m_outlineCount)) return false;
    InsertPointsOnOutlineSides(m_outline, m_outlineCount);
    return true;
}

void TinRegionBuilder::AllocateWork() {
    m_n = g_pointCount;
    const size_t points = static_cast<size_t>(m_n) + 1;
    m_x.assign(points, 0);
    m_y.assign(points, 0);
    m_qualifies.assign(points, 0);
    m_excludedStamp.assign(points, 0);
    m_crossStamp.assign(points, 0);
    m_crosses.assign(points, 0);
    for (int32_t p = 1; p <= m_n; ++p) {
        m_x[p] = g_points[p].x;
        m_y[p] = g_points[p].y;
        m_qualifies[p] = g_points[p].invalid == 0 && g_points[p].outside == 0;
    }
    AssignPointsToRegions(1, m_partition);
    if (!g_linearScans) BuildLookups();
}

// Bins the qualifying points into cells of about two points each, aligned with the
// regions, and indexes the outline sides by the cells they pass.
void TinRegionBuilder::BuildLookups() {
    int64_t usable = 0;
    for (int32_t p = 1; p <= m_n; ++p) usable += m_qualifies[p];
    const int32_t perBand = std::max<int32_t>(
        1, static_cast<int32_t>(std::ceil(std::sqrt(usable / 2.0) / kRegionBands)));
    m_dim = perBand * kRegionBands;
    const TinRegion& first = m_partition.regions[1];
    m_lowX = first.lowX;
    m_lowY = first.lowY;
    m_cell = m_partition.side * kRegionBands / m_dim;
    if (!(m_cell > 0)) m_cell = 1;
    m_diag = m_cell * std::sqrt(2.0);

    const size_t cells = static_cast<size_t>(m_dim) * m_dim;
    std::vector<int32_t> cellOf(static_cast<size_t>(m_n) + 1, -1);
    m_cellStart.assign(cells + 1, 0);
    m_stray.clear();
    for (int32_t p = 1; p <= m_n; ++p) {
        if (!m_qualifies[p]) continue;
        const double fr = (m_x[p] - m_lowX) / m_cell, fc = (m_y[p] - m_lowY) / m_cell;
        if (m_partition.pointRegion[p] == 0 ||
            !(fr >= 0 && fr < m_dim + 1 && fc >= 0 && fc < m_dim + 1)) {
            m_stray.push_back(p);
            continue;
        }
        const int32_t r = CellIndex(fr, m_dim - 1);
        const int32_t c = CellIndex(fc, m_dim - 1);
        cellOf[p] = r * m_dim + c;
        ++m_cellStart[cellOf[p] + 1];
    }
    for (size_t c = 0; c < cells; ++c) m_cellStart[c + 1] += m_cellStart[c];
    m_entries.assign(m_cellStart[cells], Entry{});
    std::vector<int32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (int32_t p = 1; p <= m_n; ++p)
        if (cellOf[p] >= 0)
            m_entries[fill[cellOf[p]]++] = Entry{m_x[p], m_y[p], p, m_partition.pointRegion[p]};

    m_sideHead.assign(cells, 0);
    m_sideNext.assign(1, 0);
    m_sideItem.assign(1, 0);
    for (int32_t i = 1; i <= m_outlineCount; ++i)
        IndexSegment(m_sideHead, m_sideNext, m_sideItem, m_outline[i], m_outline[i + 1], i);
    m_edges.Reset(m_n, static_cast<size_t>(m_n) * 3 + m_outlineCount);
}

// Calls visit(cell) for every cell the segment p-q comes near; parts outside the grid fall
// on its border cells, for the index and the queries alike.
template <typename Visit>
void TinRegionBuilder::WalkCells(int32_t p, int32_t q, Visit visit) const {
    const double margin = std::max(kCellMargin, 1e-5 / m_cell);
    ForEachTouchedRow((m_x[p] - m_lowX) / m_cell, (m_y[p] - m_lowY) / m_cell,
                      (m_x[q] - m_lowX) / m_cell, (m_y[q] - m_lowY) / m_cell, margin,
                      [&](int64_t row, int64_t c0, int64_t c1) {
                          const int64_t r = std::clamp<int64_t>(row, 0, m_dim - 1);
                          c0 = std::clamp<int64_t>(c0, 0, m_dim - 1);
                          c1 = std::clamp<int64_t>(c1, 0, m_dim - 1);
                          for (int64_t c = c0; c <= c1; ++c)
                              visit(static_cast<size_t>(r * m_dim + c));
                      });
}

void TinRegionBuilder::IndexSegment(std::vector<int32_t>& head, std::vector<int32_t>& next,
                                    std::vector<int32_t>& item, int32_t p, int32_t q, int32_t id) {
    size_t lastCell = static_cast<size_t>(-1);
    WalkCells(p, q, [&](size_t cell) {
        // Rows outside the grid fold onto the border row; one entry per cell is enough.
        if (cell == lastCell || (head[cell] != 0 && item[head[cell]] == id)) return;
        lastCell = cell;
        next.push_back(head[cell]);
        item.push_back(id);
        head[cell] = static_cast<int32_t>(item.size() - 1);
    });
}

int TinRegionBuilder::InitRegionFrontFromOutline() {
    for (int32_t i = 1; i <= m_outlineCount; ++i) {
        g_tinEdges[i] = TinEdge{m_outline[i], m_outline[i + 1], kNoApex, 0, 0};
        if (!g_linearScans) m_edges.Add(m_outline[i], i);
    }
    m_count = m_outlineCount;
    g_tinEdgeCount = m_count;
    SetTinEndRecord();
    return 0;
}

// ---- records ----

int32_t TinRegionBuilder::FindRecord(int32_t a, int32_t b) const {
    if (!g_linearScans) return m_edges.Find(a, b);
    for (int32_t r = 1; r <= m_count; ++r)
        if (g_tinEdges[r].a == a && g_tinEdges[r].b == b) return r;
    return 0;
}

int32_t TinRegionBuilder::AppendRecord(int32_t a, int32_t b, int32_t apexBack) {
    const int32_t record = ++m_count;
    g_tinEdges[record] = TinEdge{a, b, apexBack, 0, 0};
    if (!g_linearScans) {
        m_edges.Add(a, record);
        if (m_recordsIndexed) IndexSegment(m_recordHead, m_recordNext, m_recordItem, a, b, record);
    }
    return record;
}

// Whether the new side p-x crosses the record (ends shared within the tolerance do not
// count).
bool TinRegionBuilder::SideCrossesRecord(int32_t p, int32_t x, int32_t record) const {
    const TinEdge& r = g_tinEdges[record];
    const int32_t ra = std::abs(r.a), rb = std::abs(r.b);
    // A shared end coincides (unless its coordinates are not numbers).
    auto finite = [&](int32_t q) { return std::isfinite(m_x[q]) && std::isfinite(m_y[q]); };
    if ((ra == p || rb == p) && finite(p)) return false;
    if ((ra == x || rb == x) && finite(x)) return false;
    const double px = m_x[p], py = m_y[p], xx = m_x[x], xy = m_y[x];
    const double ax = m_x[ra], ay = m_y[ra], bx = m_x[rb], by = m_y[rb];
    const double e = kSegmentTolerance;
    // Most records lie wholly to one side of the new side's box; each of these tests implies
    // the one below, roundings included.
    if ((ax > px + e && ax > xx + e && bx > px + e && bx > xx + e) ||
        (px > ax + e && px > bx + e && xx > ax + e && xx > bx + e) ||
        (ay > py + e && ay > xy + e && by > py + e && by > xy + e) ||
        (py > ay + e && py > by + e && xy > ay + e && xy > by + e))
        return false;
    if (MaxOf(MinOf(px, xx), MinOf(ax, bx)) > MinOf(MaxOf(px, xx), MaxOf(ax, bx)) + e ||
        MaxOf(MinOf(py, xy), MinOf(ay, by)) > MinOf(MaxOf(py, xy), MaxOf(ay, by)) + e)
        return false;
    if (PointsCoincide(px, py, ax, ay, e) || PointsCoincide(px, py, bx, by, e) ||
        PointsCoincide(xx, xy, ax, ay, e) || PointsCoincide(xx, xy, bx, by, e))
        return false;
    double ix = 0, iy = 0;
    int pointClass = 1;
    return IntersectSegments(px, py, xx, xy, ax, ay, bx, by, 0, e, e, &ix, &iy, &pointClass) ==
               kGeomOk &&
           pointClass == 0;
}

bool TinRegionBuilder::RecordsCrossNewSides(int32_t a, int32_t b, int32_t p) {
    if (!g_linearScans && !m_recordsIndexed) {
        // Only ties need the records by cell; many builds never meet one.
        const size_t cells = static_cast<size_t>(m_dim) * m_dim;
        m_recordHead.assign(cells, 0);
        m_recordNext.assign(1, 0);
        m_recordItem.assign(1, 0);
        for (int32_t r = 1; r <= m_count; ++r)
            IndexSegment(m_recordHead, m_recordNext, m_recordItem, g_tinEdges[r].a, g_tinEdges[r].b,
                         r);
        m_recordsIndexed = true;
    }
    for (int32_t x : {a, b}) {
        if (g_linearScans) {
            for (int32_t r = 1; r <= m_count; ++r)
                if (SideCrossesRecord(p, x, r)) return true;
            continue;
        }
        if (m_recordSeen.size() <= static_cast<size_t>(m_count))
            m_recordSeen.resize(static_cast<size_t>(m_count) * 2 + 1, 0);
        if (++m_walk == 0) {
            std::fill(m_recordSeen.begin(), m_recordSeen.end(), 0);
            m_walk = 1;
        }
        const uint32_t walk = m_walk;
        bool crosses = false;
        WalkCells(p, x, [&](size_t cell) {
            for (int32_t k = m_recordHead[cell]; k != 0 && !crosses; k = m_recordNext[k]) {
                const int32_t record = m_recordItem[k];
                if (m_recordSeen[record] == walk) continue;
                m_recordSeen[record] = walk;
                crosses = SideCrossesRecord(p, x, record);
            }
        });
        if (crosses) return true;
    }
    return false;
}

bool TinRegionBuilder::CrossesRecords(int32_t p) {
    if (m_crossStamp[p] != m_stamp) {
        m_crossStamp[p] = m_stamp;
        m_crosses[p] = RecordsCrossNewSides(m_a, m_b, p);
    }
    return m_crosses[p] != 0;
}

bool TinRegionBuilder::SideCrossesOutlineSide(int32_t p, int32_t x, int32_t side) const {
    const int32_t o1 = m_outline[side], o2 = m_outline[side + 1];
    const double e = kSegmentTolerance;
    auto same = [&](int32_t u, int32_t v) {
        return std::fabs(m_x[u] - m_x[v]) <= e && std::fabs(m_y[u] - m_y[v]) <= e;
    };
    if (same(p, o1) || same(p, o2) || same(x, o1) || same(x, o2)) return false;
    const double px = m_x[p], py = m_y[p], xx = m_x[x], xy = m_y[x];
    const double ax = m_x[o1], ay = m_y[o1], bx = m_x[o2], by = m_y[o2];
    if (MaxOf(MinOf(px, xx), MinOf(ax, bx)) > MinOf(MaxOf(px, xx), MaxOf(ax, bx)) + e ||
        MaxOf(MinOf(py, xy), MinOf(ay, by)) > MinOf(MaxOf(py, xy), MaxOf(ay, by)) + e)
        return false;
    const double d1x = xx - px, d1y = xy - py, d2x = bx - ax, d2y = by - ay;
    const double det = d1x * d2y - d1y * d2x;
    if (std::fabs(det) < e) return false;
    const double wx = ax - px, wy = ay - py;
    const double t = (wx * d2y - wy * d2x) / det;
    const double u = (wx * d1y - wy * d1x) / det;
    return t >= 0 && t <= 1 && u >= 0 && u <= 1;
}

bool TinRegionBuilder::NewSidesCrossOutlineList(int32_t a, int32_t b, int32_t p) const {
    for (int32_t x : {a, b}) {
        if (g_linearScans) {
            for (int32_t j = 1; j <= m_outlineCount; ++j)
                if (SideCrossesOutlineSide(p, x, j)) return true;
            continue;
        }
        bool crosses = false;
        WalkCells(p, x, [&](size_t cell) {
            for (int32_t k = m_sideHead[cell]; k != 0 && !crosses; k = m_sideNext[k])
                crosses = SideCrossesOutlineSide(p, x, m_sideItem[k]);
        });
        if (crosses) return true;
    }
    return false;
}

// ---- candidate search ----

void TinRegionBuilder::SetSide(int32_t a, int32_t b) {
    m_a = a;
    m_b = b;
    m_xa = m_x[a];
    m_ya = m_y[a];
    m_xb = m_x[b];
    m_yb = m_y[b];
    m_xm = (m_xa + m_xb) * 0.5;
    m_ym = (m_ya + m_yb) * 0.5;
    m_h2 = ((m_xa - m_xb) * (m_xa - m_xb) + (m_ya - m_yb) * (m_ya - m_yb)) / 4;
    m_h = std::sqrt(m_h2);
    ++m_stamp;
    m_excluded.clear();

    const int32_t k = m_partition.pointRegion[a];
    m_regionMode = false;
    if (k != 0 && m_partition.pointRegion[b] == k) {
        if (m_blocks[k].empty()) m_blocks[k] = RegionBlock(k);
        m_block = m_blocks[k];
        m_regionMode = true;
        m_blockMask = 0;
        for (int32_t region : m_block) {
            if (m_partition.regions[region].count < 1) m_regionMode = false;
            m_blockMask |= uint64_t{1} << (region - 1);
        }
        if (m_regionMode) {
            // The block's corner regions give its box.
            const int32_t xb = (k - 1) / kRegionBands + 1, yb = (k - 1) % kRegionBands + 1;
            const TinRegion& low =
                m_partition.regions[kRegionBands * (std::max(xb - 1, 1) - 1) + std::max(yb - 1, 1)];
            const TinRegion& high =
                m_partition.regions[kRegionBands * (std::min(xb + 1, kRegionBands) - 1) +
                                    std::min(yb + 1, kRegionBands)];
            m_blockLowX = low.lowX;
            m_blockLowY = low.lowY;
            m_blockHighX = high.highX;
            m_blockHighY = high.highY;
        }
        if (m_regionMode && !g_linearScans) {
            // The cells of the block's regions, one more on each side for points on a band line.
            const int32_t perBand = m_dim / kRegionBands;
            const int32_t xb = (k - 1) / kRegionBands, yb = (k - 1) % kRegionBands;
            m_limitR0 = std::max(0, (xb - 1) * perBand - 1);
            m_limitR1 = std::min(m_dim - 1, (xb + 2) * perBand);
            m_limitC0 = std::max(0, (yb - 1) * perBand - 1);
            m_limitC1 = std::min(m_dim - 1, (yb + 2) * perBand);
        }
    }
}

bool TinRegionBuilder::Eligible(int32_t p) const {
    return p != m_a && p != m_b && m_excludedStamp[p] != m_stamp;
}

// In a search for visible points only: whether a new side to p would cross the outline.
bool TinRegionBuilder::Hidden(int32_t p) const {
    return m_visibleOnly && NewSidesCrossOutlineList(m_a, m_b, p);
}

// The candidate's value: the circumcentre of A, B, P lies at M + Q x h along the normal
// towards the search side, so the smallest Q is the Delaunay choice. False for a point not
// strictly on the search side. Every scan evaluates it with the same operations.
bool TinRegionBuilder::Measure(double xp, double yp, double* q) const {
    const double s = (yp - m_ym) * (m_xa - m_xb) - (xp - m_xm) * (m_ya - m_yb);
    if (!(s > 0)) return false;
    const double dx = xp - m_xm, dy = yp - m_ym;
    *q = (dx * dx + dy * dy - m_h2) / s;
    return true;
}

// One scanned point: the smaller value wins; within the tie tolerance the crossing test
// with the records made so far decides.
void TinRegionBuilder::Consider(ScanState& state, int32_t p, double q) {
    if (std::fabs(q - state.best) < kTie && state.e != 0) {
        const bool pCrosses = CrossesRecords(p);
        const bool eCrosses = CrossesRecords(state.e);
        if (pCrosses && eCrosses) {
            // Neither can be taken: both are set aside and the search runs again.
            m_excludedStamp[p] = m_excludedStamp[state.e] = m_stamp;
            m_setAside = true;
            state.best = kNoValue;
        } else if (pCrosses != eCrosses) {
            if (!pCrosses) {
                state.e = p;
                state.best = q;
            }
        } else if (q < state.best) {
            state.e = p;
            state.best = q;
        }
    } else if (q < state.best) {
        state.e = p;
        state.best = q;
    }
}

// The scan in its original order: in full mode the qualifying points by number (key =
// number), in region mode the block's regions in order, each in point order (key = place in
// the block x 2^32 + number).
void TinRegionBuilder::ScanLinear(bool fullMode, ScanState& state) {
    double q = 0;
    if (fullMode) {
        for (int32_t i = 1; i <= m_n; ++i) {
            // A point beyond the tie band changes nothing: only the others need the outline.
            if (m_qualifies[i] && Eligible(i) && Measure(m_x[i], m_y[i], &q) &&
                !(q < state.best + kTie && Hidden(i)))
                Consider(state, i, q);
        }
        return;
    }
    for (size_t bi = 0; bi < m_block.size(); ++bi) {
        const TinRegion& region = m_partition.regions[m_block[bi]];
        for (int32_t k = region.start; k < region.start + region.count; ++k) {
            const int32_t p = m_partition.list[k];
            if (Eligible(p) && Measure(m_x[p], m_y[p], &q) && !(q < state.best + kTie && Hidden(p)))
                Consider(state, p, q);
        }
    }
}

// Gathers every scanned candidate whose value lies below (smallest value + window), searching
// ring by ring outwards from the side's cells until the circle of that value lies inside
// the cells seen. `complete` tells whether every scanned point was seen.
bool TinRegionBuilder::CollectLowCandidates(bool fullMode, double window,
                                            std::vector<Candidate>& low, bool* complete) {
    low.clear();
    double bestMin = kInfinity;
    const int32_t lr0 = fullMode ? 0 : m_limitR0, lr1 = fullMode ? m_dim - 1 : m_limitR1;
    const int32_t lc0 = fullMode ? 0 : m_limitC0, lc1 = fullMode ? m_dim - 1 : m_limitC1;
    auto rowOf = [&](double x) {
        return std::clamp(CellIndex((x - m_lowX) / m_cell, m_dim - 1), lr0, lr1);
    };
    auto colOf = [&](double y) {
        return std::clamp(CellIndex((y - m_lowY) / m_cell, m_dim - 1), lc0, lc1);
    };
    const int32_t r0 = std::min(rowOf(m_xa), rowOf(m_xb)), r1 = std::max(rowOf(m_xa), rowOf(m_xb));
    const int32_t c0 = std::min(colOf(m_ya), colOf(m_yb)), c1 = std::max(colOf(m_ya), colOf(m_yb));
    // Unit vectors along the side and towards the search side.
    const double ux = (m_xb - m_xa) / (2 * m_h), uy = (m_yb - m_ya) / (2 * m_h);
    const double vx = uy, vy = -ux;  // (YB - YA, XA - XB) / 2h
    auto reachOf = [&](double c) { return c > 0 ? m_h * (c + std::sqrt(c * c + 1)) : m_h; };
    auto slack = [&](double length) { return 1e-7 * (length + m_h) + 1e-6; };

    auto scanCell = [&](int32_t r, int32_t c) {
        const size_t cell = static_cast<size_t>(r) * m_dim + c;
        const int32_t from = m_cellStart[cell], to = m_cellStart[cell + 1];
        if (from == to) return;
        const double cx = m_lowX + (r + 0.5) * m_cell, cy = m_lowY + (c + 0.5) * m_cell;
        // A cell wholly behind the side, or beyond the circle of the current bound, holds no
        // candidate worth taking.
        if ((cx - m_xm) * vx + (cy - m_ym) * vy <= -0.6 * m_diag) return;
        if (bestMin < kInfinity) {
            const double reach = reachOf(bestMin + window);
            const double limit = reach + slack(reach) + 0.51 * m_diag;
            const double dx = cx - m_xm, dy = cy - m_ym;
            if (dx * dx + dy * dy > limit * limit) return;
        }
        double q = 0;
        for (int32_t k = from; k < to; ++k) {
            const Entry& en = m_entries[k];
            if (!fullMode && !(m_blockMask >> (en.region - 1) & 1)) continue;
            if (!Measure(en.x, en.y, &q) || !Eligible(en.point)) continue;
            if (!(q < bestMin + window) || Hidden(en.point)) continue;
            int64_t key = en.point;
            if (!fullMode) {
                const size_t bi =
                    std::find(m_block.begin(), m_block.end(), en.region) - m_block.begin();
                key = static_cast<int64_t>(bi) << 32 | en.point;
            }
            low.push_back(Candidate{q, key, en.point});
            bestMin = std::min(bestMin, q);
        }
    };
    // Whether every point below the bound lies inside the box of the rings seen.
    auto circleInside = [&](double lowX, double highX, double lowY, double highY) {
        if (!(bestMin < kInfinity)) return false;
        const double c = bestMin + window;
        const double reach = reachOf(c);
        const double along = c >= 0 ? m_h * std::sqrt(c * c + 1) : m_h;
        const double e = slack(std::max(reach, along));
        auto inside = [&](double x, double y) {
            return x > lowX + e && x < highX - e && y > lowY + e && y < highY - e;
        };
        for (double a : {-along, along}) {
            const double x = m_xm + a * ux, y = m_ym + a * uy;
            if (!inside(x, y) || !inside(x + reach * vx, y + reach * vy)) return false;
        }
        return true;
    };

    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) scanCell(r, c);
    *complete = false;
    for (int32_t ring = 0;; ++ring) {
        const int32_t rl = r0 - ring, rh = r1 + ring, cl = c0 - ring, ch = c1 + ring;
        if (ring > 0) {
            const int32_t cFrom = std::max(cl, lc0), cTo = std::min(ch, lc1);
            for (int32_t r : {rl, rh})
                if (r >= lr0 && r <= lr1)
                    for (int32_t c = cFrom; c <= cTo; ++c) scanCell(r, c);
            const int32_t rFrom = std::max(rl + 1, lr0), rTo = std::min(rh - 1, lr1);
            for (int32_t c : {cl, ch})
                if (c >= lc0 && c <= lc1)
                    for (int32_t r = rFrom; r <= rTo; ++r) scanCell(r, c);
        }
        if (rl <= lr0 && rh >= lr1 && cl <= lc0 && ch >= lc1) {
            *complete = true;
            break;
        }
        if (circleInside(m_lowX + rl * m_cell, m_lowX + (rh + 1) * m_cell, m_lowY + cl * m_cell,
                         m_lowY + (ch + 1) * m_cell))
            break;
    }
    if (fullMode) {
        double q = 0;
        for (int32_t p : m_stray)
            if (Eligible(p) && Measure(m_x[p], m_y[p], &q) && q < bestMin + window && !Hidden(p)) {
                low.push_back(Candidate{q, p, p});
                bestMin = std::min(bestMin, q);
            }
    }
    const double bound = bestMin + window;
    low.erase(
        std::remove_if(low.begin(), low.end(), [&](const Candidate& c) { return !(c.q < bound); }),
        low.end());
    return bestMin < kInfinity;
}

// The result of the scan in its original order, found through the grid: the scan's answer
// depends only on the candidates whose values lie below a gap of at least the tie
// tolerance (every later point then loses to them without a tie), taken in scan order.
void TinRegionBuilder::ScanWithLookups(bool fullMode, ScanState& state) {
    double window = 4 * kTie;
    size_t take = 0;
    for (;;) {
        bool complete = false;
        if (!CollectLowCandidates(fullMode, window, m_low, &complete)) return;  // no candidate
        std::sort(m_low.begin(), m_low.end(), [](const Candidate& l, const Candidate& r) {
            return l.q < r.q || (l.q == r.q && l.key < r.key);
        });
        const double bound = m_low.front().q + window;
        take = 0;
        for (size_t i = 0; i < m_low.size() && take == 0; ++i) {
            const double next =
                i + 1 < m_low.size() ? m_low[i + 1].q : (complete ? kInfinity : bound);
            if (next - m_low[i].q >= kTie) take = i + 1;
        }
        if (take > 0) break;
        window *= 16;
    }
    m_low.resize(take);
    std::sort(m_low.begin(), m_low.end(),
              [](const Candidate& l, const Candidate& r) { return l.key < r.key; });
    for (const Candidate& c : m_low) Consider(state, c.point, c.q);
}

// Two candidates that tie and both cross lines already made are never the triangle's
// apex; once set aside, the scan runs again over the others (not only over the points after
// them, which could pass over the nearest valid one).
void TinRegionBuilder::ScanMode(bool fullMode, ScanState& state) {
    do {
        m_setAside = false;
        state = ScanState{};
        if (g_linearScans)
            ScanLinear(fullMode, state);
        else
            ScanWithLookups(fullMode, state);
    } while (m_setAside);
}

// The candidate of the open side: the side's block of regions when both ends lie in one
// region with a full block, all points when the block cannot tell (ends in different
// regions, an empty region, nothing found, or a result farther than one region side).
int32_t TinRegionBuilder::Search() {
    ScanState state;
    if (m_regionMode) {
        ScanMode(false, state);
        if (state.e != 0) {
            const double dx = m_x[state.e] - m_xm, dy = m_y[state.e] - m_ym;
            if (dx * dx + dy * dy <= m_partition.side * m_partition.side &&
                CircleInsideBlock(state.best))
                return state.e;
        }
        state = ScanState{};
    }
    ScanMode(true, state);
    return state.e;
}

// Whether every point that could beat (or tie) the value q lies in the block: the part of
// the circle through A and B with that value on the search side must lie inside the
// block's box. A nearly straight triangle has a circle far larger than the block, and a
// point outside the block can then be the Delaunay choice.
bool TinRegionBuilder::CircleInsideBlock(double q) const {
    const double c = q + kTie;
    const double root = std::sqrt(c * c + 1);
    const double reach = c > 0 ? m_h * (c + root) : m_h;
    const double along = c > 0 ? m_h * root : m_h;
    const double e = 1e-7 * (std::max(reach, along) + m_h) + 1e-6;
    const double ux = (m_xb - m_xa) / (2 * m_h), uy = (m_yb - m_ya) / (2 * m_h);
    const double vx = uy, vy = -ux;  // towards the search side
    auto inside = [&](double x, double y) {
        return x > m_blockLowX + e && x < m_blockHighX - e && y > m_blockLowY + e &&
               y < m_blockHighY - e;
    };
    for (double a : {-along, along}) {
        const double x = m_xm + a * ux, y = m_ym + a * uy;
        if (!inside(x, y) || !inside(x + reach * vx, y + reach * vy)) return false;
    }
    return true;
}

// ---- the front ----

TinBuildResult TinRegionBuilder::Complete() {
    g_tinEdgeCount = m_count;
    SetTinEndRecord();
    g_tinPresent = -1;
    g_pickedPoint = g_pickedPoint2 = 0;
    RefreshProgressWindow();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
    if (g_outlineEditState != OUTLINE_EDIT_PARTIAL_TIN)
        ShowMessage("三角網作成終了", "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    return TinBuildResult::kComplete;
}

// The endings that do not complete leave the TIN to RunTinBuild, which puts back the one
// the build found.
TinBuildResult TinRegionBuilder::LimitStop() {
    g_pickedPoint = g_pickedPoint2 = 0;
    ShowMessage("作成ラインが制限を越えました。\n計算を終了します。", "",
                msg::kOk | msg::kIconWarning);
    return TinBuildResult::kLimit;
}

// No point that the outline leaves visible on the search side of an open record; the side
// stays marked in the view.
TinBuildResult TinRegionBuilder::NoCandidate(int32_t a, int32_t b) {
    g_redrawMask = -1;
    ShowMessage(FormatString("失敗しました。\n %7d : %7d 間で停止", a, b), "",
                msg::kOk | msg::kIconWarning);
    return TinBuildResult::kNoCandidate;
}

TinBuildResult TinRegionBuilder::Stopped() {
    g_pickedPoint = g_pickedPoint2 = 0;
    g_redrawMask = -1;
    return TinBuildResult::kStopped;
}

TinBuildResult TinRegionBuilder::AdvanceTinFrontRegions() {
    // Two more records and the end record must fit in the block.
    const int32_t capacity = g_tinEdgeCapacity;
    if (m_count >= 5.0 * g_pointCount || m_count >= capacity - 3) return LimitStop();
    g_showSimpleContours = 0;
    m_start = TickCount();
    m_poll = TinBuildPoll(m_start);
    for (int32_t i = 1;; ++i) {
        if (i > m_count) return Complete();
        if (g_tinEdges[i].apexSearch != 0) continue;
        const int32_t a = g_tinEdges[i].a, b = g_tinEdges[i].b;
        SetSide(a, b);
        int32_t e = 0;
        for (;;) {
            e = Search();
            g_pickedPoint = a;
            g_pickedPoint2 = b;
            // Nothing on the search side, or only points hidden behind the outline.
            if (e == 0) return NoCandidate(a, b);
            if (!NewSidesCrossOutlineList(a, b, e)) break;
            if (static_cast<int32_t>(m_excluded.size()) >= kExclusionLimit) {
                const int answer = ShowMessage(
                    "作成ラインが外周と交差しました。\n三角網が正しく作成されない可能性があります"
                    "。",
                    "", msg::kOkCancel | msg::kIconInformation | msg::kSystemModal);
                if (answer != msg::kIdOk) return Stopped();
                // Going on takes the nearest point that the outline does not hide: a side
                // across the outline would leave triangles outside it and over others.
                m_visibleOnly = true;
                e = Search();
                m_visibleOnly = false;
                if (e == 0) return NoCandidate(a, b);
                break;
            }
            m_excluded.push_back(e);
            m_excludedStamp[e] = m_stamp;
        }

        g_tinEdges[i].apexSearch = e;
        if (const int32_t ea = FindRecord(e, a))
            g_tinEdges[ea].apexSearch = b;
        else
            AppendRecord(a, e, b);
        if (const int32_t be = FindRecord(b, e))
            g_tinEdges[be].apexSearch = a;
        else
            AppendRecord(e, b, a);

        if (!m_poll.Poll(m_count)) return Stopped();
        if (m_count >= 5.0 * g_pointCount || m_count >= capacity - 3) return LimitStop();
    }
}

TinBuildResult TinRegionBuilder::Run(bool* openedWindow) {
    g_dataChanged = -1;
    // Records are only ever written inside the block, whatever the capacity word says.
    g_tinEdgeCapacity = std::min(g_tinEdgeCapacity, g_tinEdgesBlock.Size());
    if (!CheckOutline() || g_tinEdgeCapacity < m_outlineCount + 3)
        return TinBuildResult::kNothingDone;
    try {
        AllocateWork();
    } catch (const std::bad_alloc&) {
        ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
        return TinBuildResult::kNothingDone;
    }
    g_tinPresent = 0;
    g_holesInverted = 0;
    InvalidateAndUpdateView();
    InitRegionFrontFromOutline();
    if (!IsProgressWindowOpen()) *openedWindow = OpenProgressWindow(progress::kTinEdges);
    try {
        return AdvanceTinFrontRegions();
    } catch (const std::bad_alloc&) {
        return LimitStop();
    }
}

}  // namespace

void BuildTinRegions(int32_t /*unused*/) {
    RunTinBuild([](bool* openedWindow) {
        TinRegionBuilder builder;
        return builder.Run(openedWindow);
    });
}
