#include "dxf/dxf_snap_index.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "dxf/dxf_store.h"

int32_t g_dxfSnapIndexThreshold = 20000;

namespace {

// Segments reaching over more cells than this are kept in one list searched every time.
constexpr int64_t kMaxSegmentCells = 256;
// A segment's closeness passes 0.8 only within 3/8 of its length; a little more for the
// rounding of the closeness itself.
constexpr double kCloseReach = 0.38;

struct CellBox {
    int32_t c0 = -1, r0 = 0, c1 = -1, r1 = 0;  // c0 < 0: not in the cells
    bool inList = false;                       // in the list of long or unplaceable ones
};

struct Sample {
    int32_t element;
    double x, y;
    uint8_t pen;
};

class SnapGrid {
public:
    bool Sync();
    void NoteMoved(int32_t element) {
        if (element >= 1 && element <= m_count) m_moved.push_back(element);
        if (m_moved.size() > 4096) m_stale = true;
    }
    void NoteChanged(int32_t first) { m_changedFrom = std::min(m_changedFrom, std::max(first, 1)); }

    void ElementsInBox(double x0, double y0, double x1, double y1,
                       const std::function<void(int32_t)>& visit) const;
    void SegmentsAround(double north, double east, const std::function<void(int32_t)>& visit) const;
    void SegmentsByDistance(double north, double east, const std::function<void(int32_t)>& visit,
                            const std::function<bool(double)>& done) const;

private:
    void Rebuild(int32_t count);
    void AddElement(int32_t i);
    CellBox SegmentBox(int32_t e) const;
    void AddSegment(int32_t e);
    void RemoveElement(int32_t i);
    void RemoveSegment(int32_t e);
    void TakeSamples();
    bool SamplesHold() const;

    int32_t Column(double east) const {
        const double c = std::floor((east - m_east0) / m_size);
        return static_cast<int32_t>(std::clamp(c, 0.0, double(m_columns - 1)));
    }
    int32_t Row(double north) const {
        const double r = std::floor((north - m_north0) / m_size);
        return static_cast<int32_t>(std::clamp(r, 0.0, double(m_rows - 1)));
    }
    size_t Cell(int32_t c, int32_t r) const { return size_t(r) * size_t(m_columns) + size_t(c); }

    bool m_stale = true;
    int32_t m_changedFrom = std::numeric_limits<int32_t>::max();
    int32_t m_count = 0;  // elements 1..m_count are in the grid
    double m_north0 = 0, m_east0 = 0, m_size = 1;
    int32_t m_columns = 1, m_rows = 1;
    // Per cell: a packed part filled at the build (removed entries become -1) and a part
    // for what came in since.
    struct Cells {
        std::vector<int64_t> start;  // cells + 1
        std::vector<int32_t> packed;
        std::vector<std::vector<int32_t>> added;
        template <typename Visit>
        void ForEach(size_t cell, Visit&& visit) const {
            for (int64_t k = start[cell]; k < start[cell + 1]; ++k)
                if (packed[size_t(k)] >= 0) visit(packed[size_t(k)]);
            for (const int32_t v : added[cell]) visit(v);
        }
        void Remove(size_t cell, int32_t value) {
            std::vector<int32_t>& extra = added[cell];
            for (size_t k = extra.size(); k-- > 0;)
                if (extra[k] == value) {
                    extra.erase(extra.begin() + static_cast<std::ptrdiff_t>(k));
                    return;
                }
            for (int64_t k = start[cell]; k < start[cell + 1]; ++k)
                if (packed[size_t(k)] == value) {
                    packed[size_t(k)] = -1;
                    return;
                }
        }
    };
    Cells m_elementCells, m_segmentCells;
    std::vector<int32_t> m_elementCell;  // per element; -1 in the list
    std::vector<CellBox> m_segmentBox;   // per segment
    std::vector<int32_t> m_elementList, m_segmentList;
    std::vector<int32_t> m_moved;
    std::vector<Sample> m_samples;
};

SnapGrid g_grid;

int32_t StoreCount() {
    if (!g_dxfElementsBlock.Data()) return 0;
    return std::max(0, std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1));
}

const DxfElement& Element(int32_t i) { return g_dxfElementsBlock.Data()[i]; }

bool Finite(const DxfElement& e) { return std::isfinite(e.x) && std::isfinite(e.y); }

void Erase(std::vector<int32_t>& list, int32_t value) {
    // Entries go in mostly in order: the one sought is usually near the back.
    for (size_t k = list.size(); k-- > 0;)
        if (list[k] == value) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(k));
            return;
        }
}

void SnapGrid::Rebuild(int32_t count) {
    m_stale = false;
    m_changedFrom = std::numeric_limits<int32_t>::max();
    m_moved.clear();
    double n0 = std::numeric_limits<double>::max(), e0 = n0, n1 = -n0, e1 = -n0;
    for (int32_t i = 1; i <= count; ++i) {
        const DxfElement& d = Element(i);
        if (!Finite(d)) continue;
        n0 = std::min(n0, d.x), n1 = std::max(n1, d.x);
        e0 = std::min(e0, d.y), e1 = std::max(e1, d.y);
    }
    if (n0 > n1) n0 = n1 = e0 = e1 = 0;
    // Some eight elements to a cell, at most 1024 cells a side.
    const double width = std::max(n1 - n0, e1 - e0);
    double size = std::sqrt(std::max((n1 - n0) * (e1 - e0), width * width / 1024) * 8 /
                            std::max(count, 1));
    size = std::max({size, width / 1024, 1e-6});
    if (!std::isfinite(size)) size = width > 0 ? width : 1;
    m_north0 = n0, m_east0 = e0, m_size = size;
    m_rows = static_cast<int32_t>(std::clamp((n1 - n0) / size + 1, 1.0, 1024.0));
    m_columns = static_cast<int32_t>(std::clamp((e1 - e0) / size + 1, 1.0, 1024.0));
    const size_t cells = size_t(m_rows) * size_t(m_columns);
    m_elementList.clear();
    m_segmentList.clear();
    m_elementCell.assign(size_t(count) + 1, -1);
    m_segmentBox.assign(size_t(count) + 1, CellBox{});
    m_count = count;
    // Counted first, then filled in place.
    for (Cells* grid : {&m_elementCells, &m_segmentCells}) {
        grid->start.assign(cells + 1, 0);
        grid->added.assign(cells, {});
    }
    for (int32_t i = 1; i <= count; ++i) {
        const DxfElement& d = Element(i);
        if (!Finite(d)) {
            m_elementList.push_back(i);
            continue;
        }
        m_elementCell[i] = static_cast<int32_t>(Cell(Column(d.y), Row(d.x)));
        ++m_elementCells.start[size_t(m_elementCell[i]) + 1];
    }
    for (int32_t e = 2; e <= count; ++e) {
        const CellBox box = m_segmentBox[e] = SegmentBox(e);
        if (box.inList) m_segmentList.push_back(e);
        if (box.c0 < 0) continue;
        for (int32_t r = box.r0; r <= box.r1; ++r)
            for (int32_t c = box.c0; c <= box.c1; ++c) ++m_segmentCells.start[Cell(c, r) + 1];
    }
    for (Cells* grid : {&m_elementCells, &m_segmentCells}) {
        for (size_t k = 1; k <= cells; ++k) grid->start[k] += grid->start[k - 1];
        grid->packed.assign(size_t(grid->start[cells]), -1);
    }
    std::vector<int64_t> next(m_elementCells.start.begin(), m_elementCells.start.end() - 1);
    for (int32_t i = 1; i <= count; ++i)
        if (m_elementCell[i] >= 0) m_elementCells.packed[size_t(next[size_t(m_elementCell[i])]++)] = i;
    next.assign(m_segmentCells.start.begin(), m_segmentCells.start.end() - 1);
    for (int32_t e = 2; e <= count; ++e) {
        const CellBox& box = m_segmentBox[e];
        if (box.c0 < 0) continue;
        for (int32_t r = box.r0; r <= box.r1; ++r)
            for (int32_t c = box.c0; c <= box.c1; ++c) m_segmentCells.packed[size_t(next[Cell(c, r)]++)] = e;
    }
    TakeSamples();
}

void SnapGrid::AddElement(int32_t i) {
    const DxfElement& d = Element(i);
    if (!Finite(d)) {
        m_elementCell[i] = -1;
        m_elementList.push_back(i);
        return;
    }
    const size_t cell = Cell(Column(d.y), Row(d.x));
    m_elementCell[i] = static_cast<int32_t>(cell);
    m_elementCells.added[cell].push_back(i);
}

void SnapGrid::RemoveElement(int32_t i) {
    if (m_elementCell[i] < 0)
        Erase(m_elementList, i);
    else
        m_elementCells.Remove(size_t(m_elementCell[i]), i);
    m_elementCell[i] = -1;
}

// Only what is a segment now goes in; a pen changed in place comes with a note.
CellBox SnapGrid::SegmentBox(int32_t e) const {
    CellBox box;
    if (e < 2) return box;
    const DxfElement& q = Element(e);
    const DxfElement& p = Element(e - 1);
    if (q.pen != DXF_PEN_DRAW || (p.pen != DXF_PEN_MOVE && p.pen != DXF_PEN_DRAW)) return box;
    const double reach = kCloseReach * std::hypot(q.x - p.x, q.y - p.y) + 1e-9;
    if (!Finite(p) || !Finite(q) || !std::isfinite(reach)) {
        box.inList = true;
        return box;
    }
    box.c0 = Column(std::min(p.y, q.y) - reach);
    box.c1 = Column(std::max(p.y, q.y) + reach);
    box.r0 = Row(std::min(p.x, q.x) - reach);
    box.r1 = Row(std::max(p.x, q.x) + reach);
    if (int64_t(box.c1 - box.c0 + 1) * int64_t(box.r1 - box.r0 + 1) > kMaxSegmentCells) {
        box = CellBox{};
        box.inList = true;
    }
    return box;
}

void SnapGrid::AddSegment(int32_t e) {
    const CellBox box = SegmentBox(e);
    m_segmentBox[e] = box;
    if (box.inList) m_segmentList.push_back(e);
    if (box.c0 < 0) return;
    for (int32_t r = box.r0; r <= box.r1; ++r)
        for (int32_t c = box.c0; c <= box.c1; ++c) m_segmentCells.added[Cell(c, r)].push_back(e);
}

void SnapGrid::RemoveSegment(int32_t e) {
    CellBox& box = m_segmentBox[e];
    if (box.inList) Erase(m_segmentList, e);
    if (box.c0 >= 0)
        for (int32_t r = box.r0; r <= box.r1; ++r)
            for (int32_t c = box.c0; c <= box.c1; ++c) m_segmentCells.Remove(Cell(c, r), e);
    box = CellBox{};
}

// A store replaced or rewritten without a note is caught by a few elements kept aside;
// small stores are searched one by one and need none of this.
void SnapGrid::TakeSamples() {
    m_samples.clear();
    if (m_count == 0) return;
    const int32_t step = std::max(1, m_count / 61);
    for (int32_t i = 1; i <= m_count; i += step) {
        const DxfElement& d = Element(i);
        m_samples.push_back({i, d.x, d.y, d.pen});
    }
    const DxfElement& d = Element(m_count);
    m_samples.push_back({m_count, d.x, d.y, d.pen});
}

bool SnapGrid::SamplesHold() const {
    for (const Sample& s : m_samples) {
        if (s.element > m_count) continue;
        const DxfElement& d = Element(s.element);
        const bool same = (d.x == s.x || (std::isnan(d.x) && std::isnan(s.x))) &&
                          (d.y == s.y || (std::isnan(d.y) && std::isnan(s.y))) && d.pen == s.pen;
        if (!same) return false;
    }
    return true;
}

bool SnapGrid::Sync() {
    const int32_t count = StoreCount();
    // The searches go one by one; the notes wait for the store to grow again.
    if (count < g_dxfSnapIndexThreshold) return false;
    // The tail was taken away (undo, the last vertex removed) or rewritten from a note on.
    const int32_t keep = std::min<int64_t>({int64_t{count}, int64_t{m_count}, int64_t{m_changedFrom} - 1});
    m_changedFrom = std::numeric_limits<int32_t>::max();
    if (!m_stale && keep < m_count) {
        if (m_count - keep > count / 2) {
            m_stale = true;
        } else {
            for (int32_t e = m_count; e > keep; --e) RemoveSegment(e);
            for (int32_t i = m_count; i > keep; --i) RemoveElement(i);
            m_count = keep;
            std::erase_if(m_moved, [keep](int32_t i) { return i > keep; });
            TakeSamples();
        }
    }
    if (!m_stale && !SamplesHold()) m_stale = true;
    if (m_stale) {
        Rebuild(count);
        return true;
    }
    for (const int32_t i : m_moved) {
        RemoveElement(i);
        AddElement(i);
        RemoveSegment(i);
        AddSegment(i);
        if (i + 1 <= m_count) {
            RemoveSegment(i + 1);
            AddSegment(i + 1);
        }
    }
    if (!m_moved.empty()) {
        m_moved.clear();
        TakeSamples();
    }
    if (count > m_count) {
        const int32_t from = m_count + 1;
        m_elementCell.resize(size_t(count) + 1, -1);
        m_segmentBox.resize(size_t(count) + 1, CellBox{});
        m_count = count;
        for (int32_t i = from; i <= count; ++i) AddElement(i);
        for (int32_t e = std::max(from, 2); e <= count; ++e) AddSegment(e);
        TakeSamples();
    }
    return true;
}

void SnapGrid::ElementsInBox(double x0, double y0, double x1, double y1,
                             const std::function<void(int32_t)>& visit) const {
    for (const int32_t i : m_elementList) visit(i);
    if (!(x0 <= x1) || !(y0 <= y1)) return;
    const int32_t c0 = Column(y0), c1 = Column(y1), r0 = Row(x0), r1 = Row(x1);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c)
            m_elementCells.ForEach(Cell(c, r), visit);
}

void SnapGrid::SegmentsAround(double north, double east,
                              const std::function<void(int32_t)>& visit) const {
    for (const int32_t e : m_segmentList) visit(e);
    if (!std::isfinite(north) || !std::isfinite(east)) return;
    m_segmentCells.ForEach(Cell(Column(east), Row(north)), visit);
}

void SnapGrid::SegmentsByDistance(double north, double east,
                                  const std::function<void(int32_t)>& visit,
                                  const std::function<bool(double)>& done) const {
    for (const int32_t e : m_segmentList) visit(e);
    if (!std::isfinite(north) || !std::isfinite(east)) {
        for (size_t k = 0; k < m_segmentCells.added.size(); ++k) m_segmentCells.ForEach(k, visit);
        return;
    }
    const int32_t c = Column(east), r = Row(north);
    const int32_t rings = std::max({c, r, m_columns - 1 - c, m_rows - 1 - r});
    for (int32_t k = 0; k <= rings; ++k) {
        const int32_t c0 = c - k, c1 = c + k, r0 = r - k, r1 = r + k;
        for (int32_t rr = std::max(r0, 0); rr <= std::min(r1, m_rows - 1); ++rr) {
            const bool edgeRow = rr == r0 || rr == r1;
            for (int32_t cc = std::max(c0, 0); cc <= std::min(c1, m_columns - 1); ++cc) {
                if (!edgeRow && cc != c0 && cc != c1) continue;
                m_segmentCells.ForEach(Cell(cc, rr), visit);
            }
        }
        // Everything not yet visited lies beyond the searched square; the outer cells
        // reach to infinity, so only the sides short of the grid's edge count.
        double reach = std::numeric_limits<double>::infinity();
        if (c0 > 0) reach = std::min(reach, east - (m_east0 + c0 * m_size));
        if (c1 < m_columns - 1) reach = std::min(reach, m_east0 + (c1 + 1) * m_size - east);
        if (r0 > 0) reach = std::min(reach, north - (m_north0 + r0 * m_size));
        if (r1 < m_rows - 1) reach = std::min(reach, m_north0 + (r1 + 1) * m_size - north);
        if (done(std::max(reach, 0.0))) return;
    }
}

}  // namespace

void NoteDxfElementMoved(int32_t element) { g_grid.NoteMoved(element); }
void NoteDxfElementsChanged(int32_t first) { g_grid.NoteChanged(first); }

namespace dxfsnap {

bool Ready() { return g_grid.Sync(); }

void ForElementsInBox(double x0, double y0, double x1, double y1,
                      const std::function<void(int32_t)>& visit) {
    g_grid.ElementsInBox(x0, y0, x1, y1, visit);
}

void ForSegmentsAround(double north, double east, const std::function<void(int32_t)>& visit) {
    g_grid.SegmentsAround(north, east, visit);
}

void ForSegmentsByDistance(double north, double east, const std::function<void(int32_t)>& visit,
                           const std::function<bool(double)>& done) {
    g_grid.SegmentsByDistance(north, east, visit, done);
}

}  // namespace dxfsnap
