#include "contour/slice_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "contour/contour_calc.h"
#include "contour/level_loop_poll.h"
#include "model/geometry.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/projection.h"
#include "view/view_state.h"

TinSkirtState g_tinSkirt;
int32_t g_skirtFirstPoint = 0;

namespace {
constexpr size_t kStoreSpareBytes = 8192;
constexpr double kSameVertex = 0.000001;
constexpr char kNoStoreMessage[] = "等高線データ用のメモリ確保に失敗しました。";

std::vector<double> g_skippedSliceLevels;

const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_tinSkirt = TinSkirtState();
        g_skirtFirstPoint = 0;
        g_skippedSliceLevels.clear();
    });
    return true;
}();
}  // namespace

// ---- Store -----------------------------------------------------------------------------

int32_t GrowSliceStore() {
    const int32_t had = g_sliceStore.Size();
    if (g_sliceStoreBlocks <= 0) return 0;
    if (g_sliceStore.Resize(g_sliceStoreBlocks, kStoreSpareBytes) != 0) {
        g_sliceStoreBlocks = had;
        return -1;
    }
    return 0;
}

void FreeSliceStore() {
    g_sliceStore.Release();
    g_sliceStoreBlocks = 0;
    g_sliceLineCount = 0;
    g_sliceExtraBlocks = 0;
}

int32_t ClearSliceLines() {
    SliceStoreBlock* store = g_sliceStore.Data();
    if (!store) return 0;
    for (int32_t b = 1; b < g_sliceStore.Size(); ++b) {
        auto* line = reinterpret_cast<SliceLine*>(store[b].bytes);
        line->count = 0;
        line->extraBlocks = 0;
    }
    g_sliceLineCount = 0;
    g_sliceExtraBlocks = 0;
    g_highlightedSliceLine = 0;
    return 1;
}

SliceLine* GetSliceLine(int32_t i) {
    SliceLine* found = nullptr;
    if (i <= 0 || i > g_sliceLineCount) return nullptr;
    ForEachSliceLine([&](int32_t k, SliceLine& line) {
        if (k == i) found = &line;
    });
    return found;
}

int32_t AddSliceLine(const SliceLine& header, const double* xs, const double* ys, bool reverse) {
    const int32_t n = header.count;
    if (n < 0) return -1;
    const int32_t needed = n / kSliceVerticesPerBlock + 1;
    if (g_sliceStoreBlocks < g_sliceExtraBlocks + needed + 10 + g_sliceLineCount + 1) {
        g_sliceStoreBlocks += 500 + needed;
        if (GrowSliceStore() != 0) return -1;
    }
    const int32_t block = g_sliceLineCount + 1 + g_sliceExtraBlocks;
    auto* line = reinterpret_cast<SliceLine*>(g_sliceStore.Data()[block].bytes);
    *line = header;
    line->selected = 0;
    line->extraBlocks = n / kSliceVerticesPerBlock;
    SliceVertex* v = SliceLineVertices(line);
    for (int32_t k = 0; k < n; ++k) {
        const int32_t from = reverse ? n - 1 - k : k;
        v[k] = SliceVertex{xs[from], ys[from], 0, 0, 1};
    }
    ++g_sliceLineCount;
    g_sliceExtraBlocks += line->extraBlocks;
    return 0;
}

// ---- Skirt -----------------------------------------------------------------------------

namespace {
// Puts the TIN and the points back as the saved record has them and drops the skirt.
void RestoreTin(TinSkirtState& s) {
    g_pointCount = s.pointCount;
    SetPointEndMarker();
    for (int32_t i = 1; i <= s.pointCount && i < g_pointsBlock.Size(); ++i) {
        g_points[i].multiUse = s.multiUse[i];
        g_points[i].screenX = s.screenX[i];
        g_points[i].screenY = s.screenY[i];
    }
    // Records past the end marker go back to the zeros they were.
    const int32_t pointsEnd = std::min<int32_t>(g_pointsBlock.Size(),
                                                s.pointCount + 2 + static_cast<int32_t>(s.parent.size()));
    if (s.pointCount + 2 < pointsEnd) g_pointsBlock.Zero(s.pointCount + 2, pointsEnd);
    g_tinEdgeCount = s.edgeCount;
    if (s.edgeCount > 0)
        std::memcpy(&g_tinEdges[1], s.edges.data(), sizeof(TinEdge) * static_cast<size_t>(s.edgeCount));
    SetTinEndRecord();
    const int32_t edgesEnd =
        std::min<int32_t>(g_tinEdgesBlock.Size(), s.edgeCount + 2 + 6 * static_cast<int32_t>(s.parent.size()));
    if (s.edgeCount + 2 < edgesEnd) g_tinEdgesBlock.Zero(s.edgeCount + 2, edgesEnd);
    g_holesInverted = s.holesInverted;
    g_skirtFirstPoint = 0;
    s = TinSkirtState();
}
}  // namespace

bool AddTinSkirt() {
    TinSkirtState& s = g_tinSkirt;
    RemoveTinSkirt();
    if (!g_points || !g_tinEdges || g_tinEdgeCount <= 0 || g_pointCount <= 0) return false;
    try {
        s.edges.assign(&g_tinEdges[1], &g_tinEdges[1] + g_tinEdgeCount);
        s.multiUse.resize(static_cast<size_t>(g_pointCount) + 1);
        s.screenX.resize(static_cast<size_t>(g_pointCount) + 1);
        s.screenY.resize(static_cast<size_t>(g_pointCount) + 1);
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            s.multiUse[i] = g_points[i].multiUse;
            s.screenX[i] = g_points[i].screenX;
            s.screenY[i] = g_points[i].screenY;
        }
    } catch (const std::bad_alloc&) {
        s = TinSkirtState();
        return false;
    }
    s.pointCount = g_pointCount;
    s.edgeCount = g_tinEdgeCount;
    s.holesInverted = g_holesInverted;

    // The holes would cut the slice lines: the trace runs through the whole TIN.
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        TinEdge& r = g_tinEdges[e];
        r.state = 0;
        for (int32_t* f : {&r.a, &r.b, &r.apexBack, &r.apexSearch})
            if (*f < 0 && *f != kNoApex) *f = -*f;
    }
    g_holesInverted = 0;

    // Border successor (screenX) and predecessor (screenY) of every border point.
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].multiUse = 0;
    int32_t border = 0;
    for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
        const TinEdge& r = g_tinEdges[e];
        if (r.apexBack != kNoApex) continue;
        const int32_t a = std::abs(r.a), b = std::abs(r.b);
        if (a < 1 || a > g_pointCount || b < 1 || b > g_pointCount) continue;
        g_points[a].screenX = b;
        g_points[b].screenY = a;
        for (int32_t p : {a, b}) {
            if (g_points[p].multiUse == 0) ++border;
            g_points[p].multiUse = 1;
        }
    }
    const int32_t first = g_pointCount + 1;
    const bool grown =
        border > 0 && EnsurePointCapacity(g_pointCount + border, 50, 50) == 0 &&
        EnsureTinEdgeCapacity(g_tinEdgeCount + (border + 5) * 10, 1000, 2) == 0;
    s.saved = true;
    try {
        if (grown) s.parent.reserve(static_cast<size_t>(border));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Without room for the skirt the lines are traced over the TIN alone (the holes stay
    // released); removing the skirt still puts everything back.
    if (!grown) return false;

    g_skirtFirstPoint = first;
    for (int32_t j = 1; j < first; ++j) {
        if (g_points[j].multiUse != 1) continue;
        RandomPoint& p = g_points[++g_pointCount];
        const RandomPoint& q = g_points[j];
        p = RandomPoint{};
        p.x = q.x;
        p.y = q.y;
        p.z = q.z;
        std::snprintf(p.name, sizeof p.name, "%d", j);
        p.multiUse = j;
        s.parent.push_back(j);
        g_points[j].multiUse = g_pointCount;
    }
    SetPointEndMarker();

    auto append = [](int32_t a, int32_t b, int32_t back, int32_t search) {
        g_tinEdges[++g_tinEdgeCount] = TinEdge{a, b, back, search, 0};
    };
    for (int32_t e = 1; e <= s.edgeCount; ++e) {
        TinEdge& r = g_tinEdges[e];
        if (r.apexBack != kNoApex) continue;
        const int32_t a = std::abs(r.a), b = std::abs(r.b);
        if (a < 1 || a >= first || b < 1 || b >= first) continue;
        const int32_t a2 = g_points[a].multiUse, b2 = g_points[b].multiUse;
        const int32_t apex = std::abs(r.apexSearch);
        const int32_t before = g_points[a].screenY;
        r.apexBack = b2;
        r.state = 1;
        // The quad A B B' A' as the triangles A B B' and A B' A'; its diagonal is written once,
        // so the walk crosses it once.
        append(b, a, apex, b2);
        append(a2, b2, kNoApex, a);
        append(a, b2, a2, b);
        append(a, a2, before, b2);
    }
    SetTinEndRecord();
    s.added = true;
    return true;
}

void RemoveTinSkirt() {
    if (!g_tinSkirt.saved) return;
    RestoreTin(g_tinSkirt);
}

// ---- Calculation -----------------------------------------------------------------------

namespace {
// One polyline of a level on its way into the store.
struct SliceCopy {
    std::vector<double> x, y;
    std::vector<int32_t> endA, endB;  // the crossed edge's ends; 0 for smoothed vertices
    void Clear() {
        x.clear();
        y.clear();
        endA.clear();
        endB.clear();
    }
    // Takes the vertex when it differs from the last one taken by more than the tolerance.
    void Take(double vx, double vy, int32_t a, int32_t b) {
        if (!x.empty() && !(std::fabs(vx - x.back()) > kSameVertex) &&
            !(std::fabs(vy - y.back()) > kSameVertex))
            return;
        x.push_back(vx);
        y.push_back(vy);
        endA.push_back(a);
        endB.push_back(b);
    }
    int32_t Size() const { return static_cast<int32_t>(x.size()); }
};

class SliceBuilder {
public:
    SliceBuilder(ContourWorkspace& ws, const SliceCalcSettings& s) : m_ws(ws), m_s(s) {
        m_dataLimit = g_tinSkirt.added ? g_skirtFirstPoint : g_pointCount + 1;
    }

    // The lines of the traced level into the store; false when the store could not grow.
    bool Build(double level, int32_t attribute, double* areaSum) {
        *areaSum = 0;
        int32_t start = 1;
        for (int32_t i = 2; i <= m_ws.traceCount; ++i) {
            if (m_ws.tracePen[i] != 3) continue;
            if (!Polyline(start, i - 1, level, attribute, areaSum)) return false;
            start = i;
        }
        if (m_ws.traceCount >= 1 && !Polyline(start, m_ws.traceCount, level, attribute, areaSum))
            return false;
        return true;
    }

private:
    bool IsData(int32_t p) const {
        const int32_t a = std::abs(p);
        return a >= 1 && a < m_dataLimit;
    }
    bool DataVertex(int32_t k) const { return IsData(m_copy.endA[k]) && IsData(m_copy.endB[k]); }

    bool Polyline(int32_t first, int32_t last, double level, int32_t attribute, double* areaSum) {
        const int32_t segments = last - first;
        if (segments < 4) return true;
        bool closed =
            m_ws.traceX[first] == m_ws.traceX[last] && m_ws.traceY[first] == m_ws.traceY[last];
        m_copy.Clear();
        for (int32_t i = first; i <= last; ++i)
            m_copy.Take(m_ws.traceX[i], m_ws.traceY[i], m_ws.traceEndA[i], m_ws.traceEndB[i]);
        if (m_copy.Size() < 4) return true;
        if (!closed) closed = CutAtFirstRepeat();
        if (!closed && m_s.rangeMode != 0) {
            const int32_t n = m_copy.Size();
            ShowMessage(FormatString("閉合していない等高線がありました。標高値［%8.3fm]\n"
                                     " X1:%.3f Y1:%.3f\n X2:%.3f Y2:%.3f",
                                     level, m_copy.x[0], m_copy.y[0], m_copy.x[n - 1],
                                     m_copy.y[n - 1]),
                        "", msg::kOk | msg::kIconInformation);
        }
        int32_t hills = 0, basins = 0;
        if (closed) CountEvidence(level, &hills, &basins);
        if (m_s.method == 1 || m_s.method == 2) Smooth(closed);
        const int32_t n = m_copy.Size();

        double area = 0;
        bool clockwise = true;
        if (closed && n >= 4) {
            int orientation = 1;
            PolygonArea(m_copy.x.data(), m_copy.y.data(), n, &area, &orientation);
            // Orientation 1: a negative sum of (X[k+1] - X[k]) (Y[k] + Y[k+1]), clockwise on the
            // map (north up, east to the right).
            clockwise = orientation == 1;
            char text[400];
            std::snprintf(text, sizeof text, "%.*f", std::clamp(m_s.areaDecimals, 0, 9), area);
            area = std::strtod(text, nullptr);
            if (std::fabs(area) <= m_s.minimumArea) {
                if (m_s.dropSmall) return true;
                area = 0;
            }
        }
        SliceLine header{};
        header.count = n;
        header.elevation = level;
        header.attribute = attribute;
        header.area = area;
        if (!closed) {
            header.kind = 2;
            header.valid = 0;
        } else if (hills == 0 && basins == 0) {
            header.kind = m_s.rangeMode == 1 ? 0 : m_s.rangeMode == 2 ? 1 : 2;
            header.valid = m_s.rangeMode == 0 ? 0 : 1;
        } else {
            header.kind = basins > hills ? 1 : 0;
            header.valid = 1;
        }
        if (area == 0) header.valid = 0;
        if (header.valid) *areaSum += header.kind == 0 ? area : -area;
        return Store(header, closed && !clockwise);
    }

    // An open polyline that meets itself: the part between its first repeated vertex pair.
    bool CutAtFirstRepeat() {
        const int32_t n = m_copy.Size();
        for (int32_t i = 0; i < n; ++i)
            for (int32_t j = i + 1; j < n; ++j) {
                if (std::fabs(m_copy.x[i] - m_copy.x[j]) > kSameVertex ||
                    std::fabs(m_copy.y[i] - m_copy.y[j]) > kSameVertex)
                    continue;
                if (j - i < 3) continue;  // a spike, not a ring
                for (auto* v : {&m_copy.x, &m_copy.y}) {
                    v->erase(v->begin() + j + 1, v->end());
                    v->erase(v->begin(), v->begin() + i);
                }
                for (auto* v : {&m_copy.endA, &m_copy.endB}) {
                    v->erase(v->begin() + j + 1, v->end());
                    v->erase(v->begin(), v->begin() + i);
                }
                m_copy.x.back() = m_copy.x.front();
                m_copy.y.back() = m_copy.y.front();
                return true;
            }
        return false;
    }

    // Whether the data edges the line crosses rise inward (a hill) or fall inward (a basin).
    void CountEvidence(double level, int32_t* hills, int32_t* basins) {
        const int32_t n = m_copy.Size();
        const double* xs = m_copy.x.data();
        const double* ys = m_copy.y.data();
        double twiceArea = 0;  // > 0: the ring turns left, its inside is on the left
        for (int32_t k = 0; k + 1 < n; ++k) twiceArea += xs[k] * ys[k + 1] - xs[k + 1] * ys[k];
        for (int32_t k = 0; k < n && *hills <= 5 && *basins <= 5; ++k) {
            if (!DataVertex(k)) continue;
            const RandomPoint& pa = g_points[std::abs(m_copy.endA[k])];
            const RandomPoint& pb = g_points[std::abs(m_copy.endB[k])];
            int ca = 0, cb = 0;
            const bool classified =
                ClassifyPointInPolygon(0, xs, ys, n, pa.x, pa.y, kSameVertex, &ca) == 0 &&
                ClassifyPointInPolygon(0, xs, ys, n, pb.x, pb.y, kSameVertex, &cb) == 0 &&
                ((ca == kPolygonInside && cb == kPolygonOutside) ||
                 (cb == kPolygonInside && ca == kPolygonOutside));
            if (!classified) {
                // A ring drawn tight round points that lie on the level (a pit or a knoll
                // of one flat triangle) passes within the tolerance of the edge ends. The
                // line's segment in the next triangle still splits it into the higher end's
                // side and the lower end's side.
                const int side = HigherEndSide(k, pa.z >= pb.z ? pa : pb, twiceArea);
                if (side > 0) ++*hills;
                if (side < 0) ++*basins;
                continue;
            }
            double zIn, zOut;
            if (ca == kPolygonInside) {
                zIn = pa.z;
                zOut = pb.z;
            } else {
                zIn = pb.z;
                zOut = pa.z;
            }
            if (zIn >= level && level >= zOut)
                ++*hills;
            else if (zIn <= level && level <= zOut)
                ++*basins;
        }
    }

    // +1 when the higher end of vertex k's edge lies inside the closed ring, -1 outside, 0
    // when the line gives no direction there.
    int HigherEndSide(int32_t k, const RandomPoint& higher, double twiceArea) const {
        const int32_t n = m_copy.Size();
        if (n < 4 || twiceArea == 0) return 0;
        const double px = m_copy.x[k], py = m_copy.y[k];
        // The next vertex along the ring that differs from this one (last = first).
        for (int32_t step = 1; step < n - 1; ++step) {
            const int32_t j = (k + step) % (n - 1);
            const double dx = m_copy.x[j] - px, dy = m_copy.y[j] - py;
            if (dx == 0 && dy == 0) continue;
            const double cross = dx * (higher.y - py) - dy * (higher.x - px);
            if (cross == 0) return 0;
            return (cross > 0) == (twiceArea > 0) ? 1 : -1;
        }
        return 0;
    }

    // Smooths the runs of vertices on data edges; the parts along the skirt keep the outline.
    void Smooth(bool closed) {
        const int32_t n = m_copy.Size();
        SliceCopy out;
        auto keep = [&](int32_t k) { out.Take(m_copy.x[k], m_copy.y[k], m_copy.endA[k], m_copy.endB[k]); };
        auto smoothRun = [&](int32_t from, int32_t to, bool ring) {
            const int32_t s = to - from;
            if (s < 3) {
                for (int32_t k = from; k <= to; ++k) keep(k);
                return;
            }
            const int32_t m = SmoothContourPolyline(m_ws, &m_copy.x[from], &m_copy.y[from], s, ring,
                                                    m_s.method, m_s.smoothness);
            if (m < 2) {
                for (int32_t k = from; k <= to; ++k) keep(k);
                return;
            }
            if (ring) {
                for (int32_t k = 1; k <= m; ++k) out.Take(m_ws.smoothX[k], m_ws.smoothY[k], 0, 0);
                return;
            }
            // The run's ends stay where the trace put them, so the parts join.
            keep(from);
            for (int32_t k = 2; k < m; ++k) out.Take(m_ws.smoothX[k], m_ws.smoothY[k], 0, 0);
            keep(to);
        };
        int32_t run = -1;
        for (int32_t k = 0; k < n; ++k) {
            if (DataVertex(k)) {
                if (run < 0) run = k;
                continue;
            }
            if (run >= 0) smoothRun(run, k - 1, false);
            run = -1;
            keep(k);
        }
        if (run >= 0) smoothRun(run, n - 1, run == 0 && closed);
        if (closed && out.Size() > 0) {
            out.x.back() = out.x.front();
            out.y.back() = out.y.front();
        }
        if (out.Size() >= 4) m_copy = std::move(out);
    }

    bool Store(const SliceLine& header, bool reverse) {
        return AddSliceLine(header, m_copy.x.data(), m_copy.y.data(), reverse) == 0;
    }

    ContourWorkspace& m_ws;
    const SliceCalcSettings& m_s;
    int32_t m_dataLimit;
    SliceCopy m_copy;
};

std::string FormatSkippedLevels() {
    std::string text;
    for (size_t i = 0; i < g_skippedSliceLevels.size() && i < 20; ++i)
        text += FormatString("%s%.3f", i ? ", " : "", g_skippedSliceLevels[i]);
    if (g_skippedSliceLevels.size() > 20) text += ", ...";
    return text;
}
}  // namespace

const std::vector<double>& SkippedSliceLevels() { return g_skippedSliceLevels; }

SliceCalcResult CalcSliceContours(std::vector<SliceLevelArea>& rows, const SliceCalcSettings& s) {
    static bool running = false;
    if (running || IsProgressWindowOpen()) return SliceCalcResult::kBusy;
    g_skippedSliceLevels.clear();
    if (g_tinPresent == 0 || g_tinEdgeCount <= 0) {
        ShowMessage("三角網作成が終了していません。", "", msg::kOk | msg::kIconQuestion);
        return SliceCalcResult::kNoTin;
    }
    if (rows.empty()) return SliceCalcResult::kNoLevels;
    if (!ContourToleranceUsable(g_contourLevelTolerance)) {
        ShowMessage(kContourToleranceMessage, "", msg::kOk | msg::kIconInformation);
        return SliceCalcResult::kBadTolerance;
    }
    running = true;
    struct EndOfRun {
        bool& running;
        ~EndOfRun() {
            RemoveTinSkirt();
            running = false;
        }
    } endOfRun{running};

    AddTinSkirt();
    if (g_tinSkirt.added) {
        for (int32_t i = g_skirtFirstPoint; i <= g_pointCount; ++i) {
            const int32_t parent = g_tinSkirt.parent[static_cast<size_t>(i - g_skirtFirstPoint)];
            g_points[i].z = s.rangeMode == 0   ? g_points[parent].z
                            : s.rangeMode == 1 ? g_pointZMin
                                               : g_pointZMax;
        }
    }
    ContourWorkspace ws;
    if (!ws.Allocate()) {
        ShowMessage(
            "スプライン計算領域が不足しています。\n点数を減らして保存し、再度読み込んで"
            "再計算してみてください。",
            "", msg::kOk | msg::kIconWarning);
        return SliceCalcResult::kNoMemory;
    }
    SliceCalcSettings settings = s;
    ClearSliceLines();
    for (SliceLevelArea& r : rows) r.area = 0;
    g_contourCurrentLevel = rows.front().elevation;
    OpenProgressWindow(progress::kContourLevel, "面積計算中");
    LevelLoopPoll poll("面積計算を中止してよろしいですか");
    SliceBuilder builder(ws, settings);
    SliceCalcResult result = SliceCalcResult::kDone;
    for (SliceLevelArea& r : rows) {
        if (!poll.Poll()) {
            result = SliceCalcResult::kStopped;
            break;
        }
        r.area = 0;
        g_contourCurrentLevel = r.elevation;
        if (TraceContourLevel(ws, r.elevation + g_contourLevelTolerance) != 0) {
            g_skippedSliceLevels.push_back(r.elevation);
            continue;
        }
        double sum = 0;
        const int32_t linesBefore = g_sliceLineCount, extraBefore = g_sliceExtraBlocks;
        if (!builder.Build(r.elevation, r.attribute, &sum)) {
            // The lines of the finished levels stay, with their areas; this level's part is
            // taken back so that the lines and the areas agree.
            g_sliceLineCount = linesBefore;
            g_sliceExtraBlocks = extraBefore;
            r.area = 0;
            if (IsProgressWindowOpen()) CloseProgressWindow();
            ShowMessage(kNoStoreMessage, "", msg::kOk | msg::kIconError);
            result = SliceCalcResult::kStoreFull;
            break;
        }
        r.area = sum;
    }
    if (IsProgressWindowOpen()) CloseProgressWindow();
    g_dataChanged = -1;
    g_sliceContoursLoaded = g_sliceLineCount > 0 ? -1 : 0;
    g_showSliceContours = -1;
    g_redrawMask = -1;
    g_projectionValid = 0;
    std::string done = result == SliceCalcResult::kStopped ? "面積計算を中止しました。" : "面積計算終了";
    if (!g_skippedSliceLevels.empty())
        done += "\n点数が多すぎて計算できなかった標高: " + FormatSkippedLevels();
    if (result != SliceCalcResult::kStoreFull)
        ShowMessage(done, "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
    return result;
}
