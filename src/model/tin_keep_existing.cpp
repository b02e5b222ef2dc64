#include "model/tin_keep_existing.h"

#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "model/tin_region_builder.h"
#include "platform/message_box.h"
#include "view/display_flags.h"
#include "view/view_state.h"

namespace {
constexpr uint8_t kInsideMark = 0x10;
constexpr uint8_t kBoundaryMark = 0x20;

bool HasMark(int32_t p, uint8_t mark) {
    p = std::abs(p);
    return p >= 1 && p <= g_pointCount && (g_points[p].flags & mark) != 0;
}

void ClearMarks(uint8_t marks) {
    for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].flags &= static_cast<uint8_t>(~marks);
}

bool HasBack(const TinEdge& r) { return r.apexBack != kNoApex && r.apexBack != 0; }

// Whether p-q is a side of the closed polygon [1..n] (either direction).
bool IsPolygonSide(const std::vector<int32_t>& polygon, int32_t n, int32_t p, int32_t q) {
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t u = polygon[i], v = polygon[i + 1];
        if ((u == p && v == q) || (u == q && v == p)) return true;
    }
    return false;
}

// Makes room for `records` records plus the end record; false (capacity restored, reported)
// when the block cannot grow, so nothing is written past it.
bool EnsureRoom(int64_t records) {
    if (records + 1 <= g_tinEdgeCapacity) return true;
    const int32_t previous = g_tinEdgeCapacity;
    g_tinEdgeCapacity = static_cast<int32_t>(records + 1);
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) == 0) return true;
    g_tinEdgeCapacity = previous;
    ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
    return false;
}

// The records of the region build just run, 0 unless it completed.
int32_t NewRecordCount() {
    return LastTinBuildResult() == TinBuildResult::kComplete ? g_tinEdgeCount : 0;
}

// Links the new outline sides (no back apex) to the old triangles across them.
// flipTwice: also the record just flipped is turned back into line with it.
void StitchNewRecords(const std::vector<TinEdge>& old, int32_t oldCount, int32_t newCount, bool flipTwice) {
    const TinEdge* oldRecords = old.data();
    for (int32_t i = 1; i <= newCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        if (r.apexBack != kNoApex) continue;
        const int32_t a = std::abs(r.a), b = std::abs(r.b);
        for (int32_t k = 1; k <= oldCount; ++k) {
            const TinEdge& o = old[k];
            const int32_t oa = std::abs(o.a), ob = std::abs(o.b);
            if (oa == a && ob == b) {
                if (HasBack(o)) r.apexBack = std::abs(o.apexBack);
                break;
            }
            if (oa == b && ob == a) {
                const int32_t g = std::abs(o.apexSearch);
                r.apexBack = g;
                if (FindRecordByApex(oldRecords, oldCount, g, b, a) == 0 &&
                    FindRecordByApex(oldRecords, oldCount, a, g, b) == 0) {
                    const int32_t formerSearch = std::abs(r.apexSearch);
                    std::swap(r.a, r.b);
                    std::swap(r.apexBack, r.apexSearch);
                    const int32_t j = FlipOrFindRecord(formerSearch, a, b);
                    if (j > 0 && flipTwice) {
                        const TinEdge& f = g_tinEdges[j];
                        FlipOrFindRecord(std::abs(f.b), std::abs(f.a), std::abs(f.apexSearch));
                    }
                }
                break;
            }
        }
    }
}
}  // namespace

int32_t FindRecordByApex(const TinEdge* records, int32_t count, int32_t a, int32_t b, int32_t c) {
    for (int32_t i = 1; i <= count; ++i) {
        const TinEdge& r = records[i];
        if (std::abs(r.a) == a && std::abs(r.b) == b && std::abs(r.apexSearch) == c) return i;
    }
    return 0;
}

int32_t FlipOrFindRecord(int32_t a, int32_t b, int32_t c) {
    if (FindRecordByApex(g_tinEdges, g_tinEdgeCount, a, b, c) != 0) return -1;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge& r = g_tinEdges[i];
        if (std::abs(r.a) == b && std::abs(r.b) == a && std::abs(r.apexBack) == c) {
            r.apexBack = r.apexSearch;
            r.a = a;
            r.b = b;
            r.apexSearch = c;
            return i;
        }
    }
    return 0;
}

void CountTriangleRecords(int32_t* searchCounts, int32_t* backCounts) {
    const int32_t count = g_tinEdgeCount;
    // Records by their first end, so each count looks only at the records leaving one point.
    std::unordered_map<int32_t, std::vector<int32_t>> byStart;
    for (int32_t i = 1; i <= count; ++i) byStart[std::abs(g_tinEdges[i].a)].push_back(i);
    auto countFrom = [&](int32_t from, int32_t to, int32_t apex, bool search) {
        int32_t n = 0;
        const auto it = byStart.find(from);
        if (it == byStart.end()) return n;
        for (int32_t k : it->second) {
            const TinEdge& r = g_tinEdges[k];
            if (std::abs(r.b) != to) continue;
            if (std::abs(search ? r.apexSearch : r.apexBack) == apex) ++n;
        }
        return n;
    };
    for (int32_t i = 1; i <= count; ++i) {
        const TinEdge& r = g_tinEdges[i];
        const int32_t a = std::abs(r.a), b = std::abs(r.b);
        if (searchCounts) {
            const int32_t s = std::abs(r.apexSearch);
            searchCounts[i] = 1 + countFrom(b, s, a, true) + countFrom(s, a, b, true);
        }
        if (backCounts) {
            backCounts[i] = 0;
            if (HasBack(r)) {
                const int32_t c = std::abs(r.apexBack);
                backCounts[i] = 1 + countFrom(b, c, a, false) + countFrom(c, a, b, false);
            }
        }
    }
}

void CheckTinConsistency() {
    std::vector<int32_t> searchCounts, backCounts;
    for (int pass = 0; pass < 6; ++pass) {
        searchCounts.assign(g_tinEdgeCount + 1, 0);
        backCounts.assign(g_tinEdgeCount + 1, 0);
        CountTriangleRecords(searchCounts.data(), backCounts.data());
        int32_t found = 0;
        for (int32_t i = 1; i <= g_tinEdgeCount && found == 0; ++i)
            if (backCounts[i] > 2 && searchCounts[i] > 1) found = i;
        if (found == 0) return;
        TinEdge& r = g_tinEdges[found];
        if (pass == 5) {
            g_pickedPoint = std::abs(r.a);
            g_pickedPoint2 = std::abs(r.b);
            CheckBadTriangles(0);
            g_redrawMask = -1;
            InvalidateAndUpdateView();
            ShowMessage("三角網発生に問題があります\n再計算が必要です", "", msg::kOk | msg::kIconQuestion);
            g_pickedPoint = g_pickedPoint2 = 0;
            return;
        }
        const TinEdge was = r;
        r.a = std::abs(was.b);
        r.b = std::abs(was.a);
        r.apexBack = std::abs(was.apexSearch);
        r.apexSearch = std::abs(was.apexBack);
    }
}

void BuildTinKeepingExisting(int32_t /*unused*/) {
    const int32_t savedSimpleContours = g_showSimpleContours;

    // The outline must follow existing TIN lines wherever both ends of a side are TIN vertices.
    ClearMarks(kInsideMark);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& r = g_tinEdges[i];
        for (int32_t p : {std::abs(r.a), std::abs(r.b)})
            if (p >= 1 && p <= g_pointCount) g_points[p].flags |= kInsideMark;
    }
    std::vector<int32_t> outline;
    int32_t n = 0;
    if (!CopyOutlineForBuild(outline, n)) {
        ClearMarks(kInsideMark);
        return;
    }
    // Points on the outline's sides split them, in the check as in the new TIN.
    InsertPointsOnOutlineSides(outline, n);
    int32_t badSide = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t p = outline[i], q = outline[i + 1];
        if (!HasMark(p, kInsideMark) || !HasMark(q, kInsideMark)) continue;
        bool joined = g_tinEdgeCount == 0;
        for (int32_t k = 1; k <= g_tinEdgeCount && !joined; ++k) {
            const int32_t a = std::abs(g_tinEdges[k].a), b = std::abs(g_tinEdges[k].b);
            joined = (a == p && b == q) || (a == q && b == p);
        }
        if (!joined) badSide = i;
    }
    if (badSide != 0) {
        ShowMessage("既存三角網を残す場合は\n外周が三角網に沿うようにしてください", "",
                    msg::kOk | msg::kIconQuestion);
        ClearMarks(kInsideMark);
        g_pickedPoint = outline[badSide];
        g_pickedPoint2 = outline[badSide + 1];
        return;
    }

    // The old TIN stays untouched when the block cannot grow.
    if (!EnsureRoom(std::max<int64_t>(4 * static_cast<int64_t>(g_pointCount), g_tinEdgeCount) - 1)) {
        ClearMarks(kInsideMark);
        return;
    }
    const int32_t oldCount = g_tinEdgeCount;
    std::vector<TinEdge> old(g_tinEdges, g_tinEdges + oldCount + 1);

    OrientPolygonClockwise(g_outline);
    MarkPointsInPolygonRaster(g_outline, 0);
    // The oriented outline, split at the points on its sides, decides which old sides are
    // outline sides.
    CopyOutlineForBuild(outline, n);
    const std::vector<int32_t> vertices(outline.begin() + 1, outline.begin() + n + 1);
    InsertPointsOnOutlineSides(outline, n);
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        if (g_points[p].outside == 0)
            g_points[p].flags |= kInsideMark;
        else
            g_points[p].flags &= static_cast<uint8_t>(~kInsideMark);
    }
    for (int32_t i = 1; i <= n; ++i) g_points[outline[i]].flags |= kInsideMark | kBoundaryMark;

    g_tinEdgeCount = 0;
    SetTinEndRecord();
    BuildTinRegions(0);
    // Only a complete build is joined: records of one that stopped partway would leave holes
    // and open sides inside the outline.
    const int32_t newCount = NewRecordCount();

    std::vector<TinEdge> joined;
    joined.reserve(static_cast<size_t>(oldCount) + newCount + 2);
    joined.push_back(TinEdge{});
    if (newCount == 0) {
        joined.insert(joined.end(), old.begin() + 1, old.begin() + oldCount + 1);
    } else {
        StitchNewRecords(old, oldCount, newCount, true);
        for (int32_t k = 1; k <= oldCount; ++k) {
            const TinEdge& o = old[k];
            const int32_t a = std::abs(o.a), b = std::abs(o.b);
            bool drop;
            if (HasMark(a, kBoundaryMark) && HasMark(b, kBoundaryMark))
                drop = IsPolygonSide(outline, n, a, b) || !HasBack(o) ||
                       (HasMark(o.apexBack, kInsideMark) && HasMark(o.apexSearch, kInsideMark));
            else
                drop = HasMark(a, kInsideMark) && HasMark(b, kInsideMark);
            if (!drop) joined.push_back(o);
        }
        joined.insert(joined.end(), g_tinEdges + 1, g_tinEdges + newCount + 1);
    }

    ClearMarks(kInsideMark | kBoundaryMark);
    for (int32_t v : vertices) g_points[v].flags = kPointFlagOutline;

    const int32_t joinedCount = static_cast<int32_t>(joined.size()) - 1;
    if (!EnsureRoom(joinedCount)) {
        // Cannot hold the join: the old TIN comes back as it was.
        joined.assign(old.begin(), old.end());
    }
    g_tinEdgeCount = static_cast<int32_t>(joined.size()) - 1;
    std::copy(joined.begin() + 1, joined.end(), g_tinEdges + 1);
    SetTinEndRecord();
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
        for (int32_t p : {std::abs(g_tinEdges[i].a), std::abs(g_tinEdges[i].b)})
            if (p >= 1 && p <= g_pointCount) g_points[p].outside = 0;

    CheckTinConsistency();
    g_showSimpleContours = savedSimpleContours;
    if (g_tinEdgeCount != 0) g_tinPresent = -1;
}

int32_t RecalcTinInPolygon() {
    const int32_t savedSimpleContours = g_showSimpleContours;
    std::vector<int32_t> polygon;
    int32_t n = 0;
    const int32_t m = g_pickList2.Count();
    bool ready = m >= 3 && m <= kIndexListMaxVertices &&
                 EnsureRoom(std::max<int64_t>(4 * static_cast<int64_t>(g_pointCount), g_tinEdgeCount) - 1);
    if (ready) {
        n = m;
        polygon.assign(n + 2, 0);
        for (int32_t i = 1; i <= n && ready; ++i) {
            polygon[i] = g_pickList2[i];
            ready = polygon[i] >= 1 && polygon[i] <= g_pointCount;
        }
        polygon[n + 1] = polygon[1];
    }
    if (ready) {
        for (int32_t i = 1; i <= n; ++i) g_points[polygon[i]].invalid = 0;
        InsertPointsOnOutlineSides(polygon, n);
        std::vector<int32_t> savedOutline(g_outline.Data(), g_outline.Data() + kIndexListEntries);
        std::copy(g_pickList2.Data(), g_pickList2.Data() + kIndexListEntries, g_outline.Data());

        const int32_t oldCount = g_tinEdgeCount;
        std::vector<TinEdge> old(g_tinEdges, g_tinEdges + oldCount + 1);
        g_tinEdgeCount = 0;
        SetTinEndRecord();
        MarkPointsInPolygonRaster(g_outline, 0);
        BuildTinRegions(0);
        const int32_t newCount = NewRecordCount();

        std::vector<TinEdge> joined(old.begin(), old.end());
        if (newCount != 0) {
            for (int32_t i = 1; i <= n; ++i) g_points[polygon[i]].flags |= kInsideMark | kBoundaryMark;
            StitchNewRecords(old, oldCount, newCount, false);
            joined.resize(1);
            for (int32_t k = 1; k <= oldCount; ++k) {
                const TinEdge& o = old[k];
                const int32_t a = std::abs(o.a), b = std::abs(o.b);
                bool drop;
                if (HasMark(a, kBoundaryMark) && HasMark(b, kBoundaryMark))
                    drop = IsPolygonSide(polygon, n, a, b) ||
                           (HasBack(o) && HasMark(o.apexBack, kInsideMark) && HasMark(o.apexSearch, kInsideMark));
                else
                    drop = HasMark(a, kInsideMark) && HasMark(b, kInsideMark);
                if (!drop) joined.push_back(o);
            }
            joined.insert(joined.end(), g_tinEdges + 1, g_tinEdges + newCount + 1);
        }

        std::copy(savedOutline.begin(), savedOutline.end(), g_outline.Data());
        // Cannot hold the join: the old TIN comes back as it was.
        if (!EnsureRoom(static_cast<int64_t>(joined.size()) - 1)) joined.assign(old.begin(), old.end());
        g_tinEdgeCount = static_cast<int32_t>(joined.size()) - 1;
        std::copy(joined.begin() + 1, joined.end(), g_tinEdges + 1);
        SetTinEndRecord();
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
            for (int32_t p : {std::abs(g_tinEdges[i].a), std::abs(g_tinEdges[i].b)})
                if (p >= 1 && p <= g_pointCount) g_points[p].outside = 0;
    }
    ClearMarks(kInsideMark | kBoundaryMark);
    CheckTinConsistency();
    g_showSimpleContours = savedSimpleContours;
    if (g_tinEdgeCount != 0) g_tinPresent = -1;
    return g_tinEdgeCount;
}
