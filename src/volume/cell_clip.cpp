#include "volume/cell_clip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "model/geometry.h"
#include "volume/mesh_data.h"

namespace {

// A crossing list's entry positions by the cells they bound.
struct ListIndex {
    const OutlineCrossing* data = nullptr;
    int32_t count = -1;
    double outlineSum = 0;
    std::unordered_map<uint64_t, std::vector<int32_t>> cells;
};
ListIndex g_listIndex[2];  // [0] outline, [1] plan lines
bool g_indexActive = false;

uint64_t CellKey(int32_t c, int32_t r) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(c)) << 32) | static_cast<uint32_t>(r);
}

void BuildListIndex(ListIndex& ix, const RecordBlock<OutlineCrossing>& block, int32_t count) {
    ix = ListIndex{};
    if (count <= 0 || block.Empty() || count >= block.Size()) return;
    ix.data = block.Data();
    ix.count = count;
    for (int32_t i = 1; i <= count; ++i) {
        const OutlineCrossing& e = ix.data[i];
        const OutlineCrossing& next = ix.data[i % count + 1];
        ix.outlineSum += e.x * next.y - next.x * e.y;
        auto add = [&](int32_t c, int32_t r) {
            if (c >= 1 && r >= 1) ix.cells[CellKey(c, r)].push_back(i);
        };
        if (e.column > 0 && e.row > 0) {
            add(e.column, e.row);  // a vertex inside the cell
        } else if (e.column < 0 && e.row > 0) {  // on a row line: side 1 above, side 3 below
            add(-e.column, e.row);
            add(-e.column, e.row - 1);
        } else if (e.column > 0 && e.row < 0) {  // on a column line: side 4 and side 2
            add(e.column, -e.row);
            add(e.column - 1, -e.row);
        }
    }
}

// The index of the list when one was built for it as it is now.
const ListIndex* ActiveIndex(bool byOutline, const RecordBlock<OutlineCrossing>& block, int32_t count) {
    if (!g_indexActive) return nullptr;
    const ListIndex& ix = g_listIndex[byOutline ? 0 : 1];
    return ix.data == block.Data() && ix.count == count ? &ix : nullptr;
}

struct CellEntry {
    int32_t position;  // in the crossing list
    int32_t side;      // 1..4, 0 inside the cell
    bool boundary;     // first or last entry of its run
    double x, y, z, planZ;
};

// Side of the cell (c, r) that a list entry lies on, by its grid keys; -1 for none.
int32_t SideOfCell(const OutlineCrossing& e, int32_t c, int32_t r) {
    if (e.column == -c && e.row == r) return 1;
    if (e.column == c + 1 && e.row == -r) return 2;
    if (e.column == -c && e.row == r + 1) return 3;
    if (e.column == c && e.row == -r) return 4;
    if (e.column == c && e.row == r) return 0;
    return -1;
}

class PolygonOut {
public:
    PolygonOut(double* xs, double* ys, double* zs, double* planZs)
        : m_xs(xs), m_ys(ys), m_zs(zs), m_planZs(planZs) {}
    // False once the lists are full (the repeated first vertex needs the last place).
    bool Add(double x, double y, double z, double planZ) {
        if (m_count >= kCellPolygonCapacity - 1) {
            m_overflow = true;
            return false;
        }
        m_xs[m_count] = x;
        m_ys[m_count] = y;
        m_zs[m_count] = z;
        m_planZs[m_count] = planZ;
        ++m_count;
        return true;
    }
    void Close() {
        m_xs[m_count] = m_xs[0];
        m_ys[m_count] = m_ys[0];
        m_zs[m_count] = m_zs[0];
        m_planZs[m_count] = m_planZs[0];
    }
    int32_t Count() const { return m_count; }
    double X(int32_t i) const { return m_xs[i]; }
    double Y(int32_t i) const { return m_ys[i]; }
    double Z(int32_t i) const { return m_zs[i]; }
    double PlanZ(int32_t i) const { return m_planZs[i]; }
    bool Overflow() const { return m_overflow; }

private:
    double* m_xs;
    double* m_ys;
    double* m_zs;
    double* m_planZs;
    int32_t m_count = 0;
    bool m_overflow = false;
};

// Several runs through one cell: the pieces of the surface are found by walking. Each run
// is a chain that enters and leaves the cell through its sides; the surface lies on the
// same hand of every chain (inside the outline), so after a chain leaves, the boundary of
// the covered part follows the cell's sides in the outline's turning sense up to the next
// chain that enters, taking the corners it passes. Returns false when the runs do not
// pair up (a chain that starts or ends inside the cell), so the caller falls back.
bool WalkCellPieces(const std::vector<CellEntry>& entries, const std::vector<size_t>& runStarts,
                    const std::array<const MeshNode*, 5>& corner, bool outlineCounterClockwise,
                    PolygonOut& out) {
    struct Chain {
        size_t first, last;
        double inT, outT;  // positions of entry and exit along the cell's sides, 0..4
    };
    auto sideT = [&](const CellEntry& e) {
        const MeshNode& a = *corner[e.side];
        const MeshNode& b = *corner[e.side % 4 + 1];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double len2 = dx * dx + dy * dy;
        double f = len2 > 0 ? ((e.x - a.x) * dx + (e.y - a.y) * dy) / len2 : 0;
        f = std::clamp(f, 0.0, 1.0);
        return e.side - 1 + f;
    };
    std::vector<Chain> chains;
    for (size_t k = 0; k < runStarts.size(); ++k) {
        const size_t first = runStarts[k];
        const size_t last = (k + 1 < runStarts.size() ? runStarts[k + 1] : entries.size()) - 1;
        if (entries[first].side == 0 || entries[last].side == 0) return false;
        chains.push_back({first, last, sideT(entries[first]), sideT(entries[last])});
    }
    double cellSum = 0;
    for (int k = 1; k <= 4; ++k) {
        const MeshNode& a = *corner[k];
        const MeshNode& b = *corner[k % 4 + 1];
        cellSum += a.x * b.y - b.x * a.y;
    }
    // Cell sides walked in the sense of growing t when the corner order turns as the outline.
    const bool forward = (cellSum > 0) == outlineCounterClockwise;
    auto ahead = [&](double from, double to) {
        double d = forward ? to - from : from - to;
        while (d < 0) d += 4;
        while (d >= 4) d -= 4;
        return d;
    };
    std::vector<bool> used(chains.size(), false);
    bool firstLoop = true;
    for (size_t start = 0; start < chains.size(); ++start) {
        if (used[start]) continue;
        if (!firstLoop) out.Add(out.X(0), out.Y(0), out.Z(0), out.PlanZ(0));  // back to the first piece
        const int32_t loopStart = out.Count();
        size_t cur = start;
        for (size_t steps = 0;; ++steps) {
            if (steps > chains.size() || used[cur]) return false;
            used[cur] = true;
            for (size_t i = chains[cur].first; i <= chains[cur].last; ++i)
                out.Add(entries[i].x, entries[i].y, entries[i].z, entries[i].planZ);
            size_t next = cur;
            double best = 5;
            for (size_t j = 0; j < chains.size(); ++j) {
                const double d = ahead(chains[cur].outT, chains[j].inT);
                if (j == cur && d == 0 && chains[cur].first != chains[cur].last) continue;
                if (d < best) {
                    best = d;
                    next = j;
                }
            }
            std::vector<std::pair<double, int>> passed;
            for (int k = 1; k <= 4; ++k) {
                const double d = ahead(chains[cur].outT, k - 1);
                if (d > 0 && d < best) passed.emplace_back(d, k);
            }
            std::sort(passed.begin(), passed.end());
            for (const auto& [d, k] : passed) out.Add(corner[k]->x, corner[k]->y, corner[k]->z, corner[k]->planZ);
            if (next == start) break;
            cur = next;
        }
        if (!firstLoop) out.Add(out.X(loopStart), out.Y(loopStart), out.Z(loopStart), out.PlanZ(loopStart));
        firstLoop = false;
    }
    return true;
}

int32_t ClipCell(bool byOutline, const std::array<int32_t, 5>& corner, int32_t* count, double* xs,
                 double* ys, double* zs, double* planZs, double* area) {
    *count = 0;
    *area = 0;
    const MeshNode* nodes = g_meshNodes.Data();
    for (int k = 1; k <= 4; ++k)
        if (!nodes || corner[k] < 1 || corner[k] >= g_meshNodes.Size()) return kCellRefused;

    std::array<bool, 5> valid{};
    int32_t validCount = 0;
    for (int k = 1; k <= 4; ++k) {
        const MeshNode& n = nodes[corner[k]];
        valid[k] = byOutline ? n.valid == 1 : n.planSource != 0;
        validCount += valid[k] ? 1 : 0;
    }

    const RecordBlock<OutlineCrossing>& block = byOutline ? g_outlineCrossings : g_planCrossings;
    const int32_t listCount = byOutline ? g_outlineCrossingCount : g_planCrossingCount;
    if (validCount == 4 && listCount <= 1) return kCellWhole;
    if (listCount > 0 && (block.Empty() || listCount >= block.Size())) return kCellRefused;

    const int32_t c = nodes[corner[1]].column;
    const int32_t r = nodes[corner[1]].row;
    std::vector<CellEntry> entries;
    std::array<int32_t, 5> sideCount{};
    double outlineSum = 0;  // twice the outline's signed area (x, y), for its turning sense
    auto take = [&](int32_t i) {
        const OutlineCrossing& e = block.Data()[i];
        const int32_t side = SideOfCell(e, c, r);
        if (side < 0) return;
        entries.push_back({i, side, false, e.x, e.y, e.z, e.planZ});
        ++sideCount[side];
    };
    if (const ListIndex* ix = ActiveIndex(byOutline, block, listCount)) {
        outlineSum = ix->outlineSum;
        const auto found = ix->cells.find(CellKey(c, r));
        if (found != ix->cells.end())
            for (int32_t i : found->second) take(i);
    } else {
        for (int32_t i = 1; i <= listCount; ++i) {
            const OutlineCrossing& e = block.Data()[i];
            const OutlineCrossing& next = block.Data()[i % listCount + 1];
            outlineSum += e.x * next.y - next.x * e.y;
            take(i);
        }
    }
    // The TIN outline is one closed ring: a run through the cell that holds its first
    // vertex starts at the list's end and goes on at its start. Walking from the start of
    // that run keeps it whole.
    const bool ring = byOutline;
    if (ring && !entries.empty() && entries.front().position == 1 &&
        entries.back().position == listCount && static_cast<int32_t>(entries.size()) < listCount) {
        size_t start = entries.size() - 1;
        while (start > 0 && entries[start - 1].position + 1 == entries[start].position) --start;
        std::vector<CellEntry> rotated(entries.begin() + static_cast<std::ptrdiff_t>(start), entries.end());
        rotated.insert(rotated.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(start));
        entries.swap(rotated);
    }
    auto follows = [&](const CellEntry& before, const CellEntry& after) {
        return after.position == before.position + 1 ||
               (ring && before.position == listCount && after.position == 1);
    };
    std::vector<size_t> runStarts;
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool first = i == 0 || !follows(entries[i - 1], entries[i]);
        const bool last = i + 1 == entries.size() || !follows(entries[i], entries[i + 1]);
        entries[i].boundary = first || last;
        if (first) runStarts.push_back(i);
    }

    if (validCount == 4 && entries.empty()) return kCellWhole;
    if (validCount <= 1 && entries.size() <= 1) return kCellNone;

    PolygonOut out(xs, ys, zs, planZs);
    auto addCorner = [&](int k) {
        const MeshNode& n = nodes[corner[k]];
        out.Add(n.x, n.y, n.z, n.planZ);
    };
    auto addEntry = [&](const CellEntry& e) { out.Add(e.x, e.y, e.z, e.planZ); };

    std::array<const MeshNode*, 5> cornerNode{};
    for (int k = 1; k <= 4; ++k) cornerNode[k] = &nodes[corner[k]];
    bool walked = false;
    if (byOutline && runStarts.size() >= 2) {
        walked = WalkCellPieces(entries, runStarts, cornerNode, outlineSum > 0, out);
        if (!walked) out = PolygonOut(xs, ys, zs, planZs);
    }
    if (walked) {
    } else if (validCount == 4) {
        double s = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            const CellEntry& a = entries[i];
            const CellEntry& b = entries[(i + 1) % entries.size()];
            s += (b.x - a.x) * (a.y + b.y) / 2;
        }
        if (s > 0)
            for (const CellEntry& e : entries) addEntry(e);
        else
            for (auto it = entries.rbegin(); it != entries.rend(); ++it) addEntry(*it);
        const int k0 = entries.back().side % 4 + 1;  // side 4 and side 0 both lead to corner 1
        for (int k = 0; k < 4; ++k) addCorner((k0 - 1 + k) % 4 + 1);
    } else {
        std::array<bool, 5> placed{};
        // The valid corners at the two ends of the entry's side (corner 1 alone for an
        // entry inside the cell). On the outline a side crossed more than once gives each
        // end corner to the crossing nearest to it.
        auto placeSideCorners = [&](const CellEntry& e) {
            const int ends[2] = {e.side == 0 ? 1 : e.side, e.side == 0 ? 0 : e.side % 4 + 1};
            for (int k : ends) {
                if (k == 0 || !valid[k] || placed[k]) continue;
                if (byOutline && e.side != 0 && sideCount[e.side] >= 2) {
                    const MeshNode& n = nodes[corner[k]];
                    const CellEntry* nearest = nullptr;
                    double best = 0;
                    for (const CellEntry& o : entries) {
                        if (o.side != e.side) continue;
                        const double d = std::hypot(o.x - n.x, o.y - n.y);
                        if (!nearest || d < best) {
                            nearest = &o;
                            best = d;
                        }
                    }
                    if (nearest != &e) continue;
                }
                placed[k] = true;
                addCorner(k);
            }
        };
        bool on = false;
        for (const CellEntry& e : entries) {
            if (e.boundary && !on) {
                on = true;
                placeSideCorners(e);
                addEntry(e);
            } else if (e.boundary) {
                addEntry(e);
                on = false;
                placeSideCorners(e);
            } else {
                addEntry(e);
            }
        }
        for (int k = 1; k <= 4; ++k)
            if (valid[k] && !placed[k]) addCorner(k);
    }
    if (out.Overflow()) return kCellRefused;
    if (out.Count() <= 2) return kCellNone;
    out.Close();
    const int32_t n = out.Count();

    if (byOutline && g_planCrossingCount > 0 && !g_planCrossings.Empty() &&
        g_planCrossingCount < g_planCrossings.Size()) {
        const OutlineCrossing* plan = g_planCrossings.Data();
        for (int32_t i = 0; i <= n; ++i)
            for (int32_t j = 1; j <= g_planCrossingCount; ++j)
                if (std::hypot(plan[j].x - xs[i], plan[j].y - ys[i]) < 0.001) planZs[i] = plan[j].z;
    }

    int orientation = 0;
    PolygonArea(ys, xs, n + 1, area, &orientation);
    *count = n;
    return kCellPolygon;
}

}  // namespace

int32_t ClipCellByOutline(int32_t corner1, int32_t corner2, int32_t corner3, int32_t corner4,
                          int32_t* count, double* xs, double* ys, double* zs, double* planZs,
                          double* area) {
    return ClipCell(true, {0, corner1, corner2, corner3, corner4}, count, xs, ys, zs, planZs, area);
}

int32_t ClipCellByPlanLines(int32_t corner1, int32_t corner2, int32_t corner3, int32_t corner4,
                            int32_t* count, double* xs, double* ys, double* zs, double* planZs,
                            double* area) {
    return ClipCell(false, {0, corner1, corner2, corner3, corner4}, count, xs, ys, zs, planZs, area);
}

CellClipIndex::CellClipIndex() {
    BuildListIndex(g_listIndex[0], g_outlineCrossings, g_outlineCrossingCount);
    BuildListIndex(g_listIndex[1], g_planCrossings, g_planCrossingCount);
    g_indexActive = true;
}

CellClipIndex::~CellClipIndex() {
    g_indexActive = false;
    g_listIndex[0] = ListIndex{};
    g_listIndex[1] = ListIndex{};
}
