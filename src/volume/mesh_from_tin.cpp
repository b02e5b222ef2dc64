#include "volume/mesh_from_tin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "model/geometry.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "shell/quiet_mode.h"
#include "view/display_flags.h"
#include "volume/mesh_data.h"
#include "volume/outline_crossings.h"

const char* const kMeshStopQuestion = "メッシュ標高計算を中止してよろしいですか";

namespace {

int32_t g_lastHit = 0;
void (*g_meshSaveRunner)() = nullptr;

constexpr int32_t kRings = 16;
constexpr int32_t kRasterSize = 1024;

bool IsPoint(int32_t p) { return p >= 1 && p <= g_pointCount; }

struct Triangle {
    const RandomPoint* p[3];
};

Triangle TriangleOf(int32_t record) {
    const TinEdge& e = g_tinEdges[record];
    return {{&g_points[std::abs(e.a)], &g_points[std::abs(e.b)], &g_points[std::abs(e.apexSearch)]}};
}

bool Holds(int32_t record, double x, double y, double* z) {
    const Triangle t = TriangleOf(record);
    return InterpolateInTriangle(t.p[0]->x, t.p[0]->y, t.p[0]->z, t.p[1]->x, t.p[1]->y, t.p[1]->z, t.p[2]->x,
                                 t.p[2]->y, t.p[2]->z, x, y, z) != 0;
}

// Bucket index along one axis: 1..64 over the extent, 0 before, 65 beyond (unclamped
// values are kept within a range that still ends every ring search).
int32_t BucketIndex(double v, double extent) {
    const double q = std::trunc(v * 64 / extent) + 1;
    if (!(q > -100)) return -100;
    if (q > 200) return 200;
    return static_cast<int32_t>(q);
}

int32_t Clamp65(int32_t v) { return std::clamp(v, 0, kMeshBucketSide - 1); }

// Conservative fill: every pixel (column u, row v) of the raster that the triangle touches,
// in continuous pixel coordinates (the node's pixel is the one its coordinates fall in).
void FillTriangle(std::vector<uint8_t>& pixels, const double (&u)[3], const double (&v)[3]) {
    constexpr double kEps = 1e-7;
    const double vmin = std::min({v[0], v[1], v[2]}) - kEps, vmax = std::max({v[0], v[1], v[2]}) + kEps;
    if (vmax < 0 || vmin >= kRasterSize) return;
    const int32_t r0 = std::max(0, static_cast<int32_t>(std::floor(vmin)));
    const int32_t r1 = std::min(kRasterSize - 1, static_cast<int32_t>(std::floor(vmax)));
    for (int32_t row = r0; row <= r1; ++row) {
        const double lo = row - kEps, hi = row + 1 + kEps;
        double umin = 1e300, umax = -1e300;
        for (int k = 0; k < 3; ++k) {
            if (v[k] >= lo && v[k] <= hi) umin = std::min(umin, u[k]), umax = std::max(umax, u[k]);
            const int m = (k + 1) % 3;
            const double va = v[k], vb = v[m];
            if (va == vb) continue;
            for (double edge : {lo, hi}) {
                if ((edge - va) * (edge - vb) > 0) continue;
                const double uu = u[k] + (u[m] - u[k]) * (edge - va) / (vb - va);
                umin = std::min(umin, uu), umax = std::max(umax, uu);
            }
        }
        if (umin > umax) continue;
        umin -= kEps, umax += kEps;
        if (umax < 0 || umin >= kRasterSize) continue;
        const int32_t c0 = std::max(0, static_cast<int32_t>(std::floor(umin)));
        const int32_t c1 = std::min(kRasterSize - 1, static_cast<int32_t>(std::floor(umax)));
        std::fill(pixels.begin() + static_cast<ptrdiff_t>(row) * kRasterSize + c0,
                  pixels.begin() + static_cast<ptrdiff_t>(row) * kRasterSize + c1 + 1, uint8_t{1});
    }
}

// Shows the stop question when Q was pressed; true when the user confirms.
bool StopConfirmed() {
    PumpOneMessage();
    return AskToStopWhenRequested(kMeshStopQuestion, msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
}

void ShowMeshMemoryFailure() { ShowMessage(kMeshMemoryMessage, "", msg::kOk | msg::kIconError); }

}  // namespace

bool BuildMeshTriangleMask(std::vector<uint8_t>* mask) {
    try {
        if (!g_tinEdges || g_tinEdgeCount <= 0) {
            mask->assign(static_cast<size_t>(std::max(g_tinEdgeCount, 0)) + 1, 0);
            return true;
        }
        if (BuildTinAdjacency(nullptr, nullptr, mask) == 0) {
            mask->assign(static_cast<size_t>(g_tinEdgeCount) + 1, 0);
            return false;
        }
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& e = g_tinEdges[i];
            if ((*mask)[i] && !(IsPoint(std::abs(e.a)) && IsPoint(std::abs(e.b)) && IsPoint(std::abs(e.apexSearch))))
                (*mask)[i] = 0;
        }
        return true;
    } catch (const std::bad_alloc&) {
        mask->clear();
        return false;
    }
}

void CullTrianglesOutsideMeshArea(std::vector<uint8_t>& mask) {
    const MeshFrame f = CurrentMeshFrame();
    double cx[5], cy[5];
    f.ToMap(0, 0, &cx[0], &cy[0]);
    f.ToMap(0, g_meshWidth, &cx[1], &cy[1]);
    f.ToMap(g_meshLength, g_meshWidth, &cx[2], &cy[2]);
    f.ToMap(g_meshLength, 0, &cx[3], &cy[3]);
    cx[4] = cx[0], cy[4] = cy[0];
    const int32_t last = std::min<int32_t>(g_tinEdgeCount, static_cast<int32_t>(mask.size()) - 1);
    for (int32_t i = 1; i <= last; ++i) {
        if (!mask[i]) continue;
        const Triangle t = TriangleOf(i);
        for (int side = 0; side < 4 && mask[i]; ++side) {
            int outside = 0;
            for (const RandomPoint* v : t.p)
                outside += (cy[side + 1] - cy[side]) * (v->x - cx[side]) - (cx[side + 1] - cx[side]) * (v->y - cy[side]) < 0;
            if (outside == 3) mask[i] = 0;
        }
    }
}

void MarkOutsideNodes(const std::vector<uint8_t>& mask, std::vector<uint8_t>& raster, int32_t bytesPerColumn,
                      int32_t lastColumnIndex, int32_t lattice) {
    std::fill(raster.begin(), raster.end(), uint8_t{0});
    if (!(g_meshLength > 0 && g_meshWidth > 0 && g_meshPitchLength > 0 && g_meshPitchWidth > 0)) return;
    std::vector<uint8_t> pixels(static_cast<size_t>(kRasterSize) * kRasterSize, 0);
    const double sx = 1020 / (2 * g_meshPitchWidth + g_meshWidth);
    const double sy = 1020 / (2 * g_meshPitchLength + g_meshLength);
    const MeshFrame f = CurrentMeshFrame();
    const int32_t last = std::min<int32_t>(g_tinEdgeCount, static_cast<int32_t>(mask.size()) - 1);
    for (int32_t i = 1; i <= last; ++i) {
        if (!mask[i]) continue;
        const Triangle t = TriangleOf(i);
        double u[3], v[3];
        for (int k = 0; k < 3; ++k) {
            double a, b;
            f.ToFrame(t.p[k]->x, t.p[k]->y, &a, &b);
            u[k] = b * sx + 2;
            v[k] = a * sy + 2;
        }
        FillTriangle(pixels, u, v);
    }
    const double factor = lattice ? kMeshLatticeFactor : 1;
    const double shift = lattice ? g_meshPitchWidth / 2 : 0;
    for (int32_t i = 0; i < lastColumnIndex && i * g_meshPitchLength * factor <= g_meshLength; ++i) {
        const double a = i * g_meshPitchLength * factor;
        const double h = lattice && (i % 2) ? shift : 0;
        for (int32_t j = 0; j + 1 < bytesPerColumn && j * g_meshPitchWidth + h <= g_meshWidth; ++j) {
            const double b = j * g_meshPitchWidth + h;
            const double pu = b * sx + 2, pv = a * sy + 2;
            const int32_t col = static_cast<int32_t>(std::floor(pu)), row = static_cast<int32_t>(std::floor(pv));
            const size_t at = static_cast<size_t>(i + 1) * bytesPerColumn + (j + 1);
            if (at >= raster.size()) continue;
            raster[at] = col >= 0 && col < kRasterSize && row >= 0 && row < kRasterSize &&
                         pixels[static_cast<size_t>(row) * kRasterSize + col];
        }
    }
}

void BuildMeshTriangleBuckets(std::vector<MeshBucket>& buckets, std::vector<int32_t>& list,
                              const std::vector<uint8_t>& mask) {
    buckets.assign(kMeshBucketCount, MeshBucket{0, 0});
    const MeshFrame f = CurrentMeshFrame();
    const int32_t last = std::min<int32_t>(g_tinEdgeCount, static_cast<int32_t>(mask.size()) - 1);
    std::vector<int32_t> bucketOf(static_cast<size_t>(std::max(last, 0)) + 1, -1);
    int32_t masked = 0;
    for (int32_t i = 1; i <= last; ++i) {
        if (!mask[i]) continue;
        const Triangle t = TriangleOf(i);
        const double x = (t.p[0]->x + t.p[1]->x + t.p[2]->x) / 3, y = (t.p[0]->y + t.p[1]->y + t.p[2]->y) / 3;
        double a, b;
        f.ToFrame(x, y, &a, &b);
        const int32_t k = Clamp65(BucketIndex(a, g_meshLength)) * kMeshBucketSide + Clamp65(BucketIndex(b, g_meshWidth));
        bucketOf[i] = k;
        ++buckets[k].count;
        ++masked;
    }
    int32_t position = 1;
    for (MeshBucket& bucket : buckets) {
        if (bucket.count == 0) continue;
        bucket.first = position;
        position += bucket.count;
        bucket.count = 0;
    }
    list.assign(static_cast<size_t>(masked) + 1, 0);
    for (int32_t i = 1; i <= last; ++i) {
        if (bucketOf[i] < 0) continue;
        MeshBucket& bucket = buckets[bucketOf[i]];
        list[bucket.first + bucket.count++] = i;
    }
}

void ResetMeshLastHit() { g_lastHit = 0; }

int32_t FindTinElevationInBuckets(const std::vector<MeshBucket>& buckets, const std::vector<int32_t>& list,
                                  const std::vector<uint8_t>& mask, double x, double y, double* z) {
    const int32_t last = std::min<int32_t>(g_tinEdgeCount, static_cast<int32_t>(mask.size()) - 1);
    auto found = [&](int32_t record) {
        g_lastHit = record;
        return record;
    };
    if (g_lastHit > 0 && g_lastHit <= last && mask[g_lastHit] && Holds(g_lastHit, x, y, z)) return g_lastHit;
    if (buckets.size() == static_cast<size_t>(kMeshBucketCount)) {
        double a, b;
        CurrentMeshFrame().ToFrame(x, y, &a, &b);
        const int32_t L = BucketIndex(a, g_meshLength), W = BucketIndex(b, g_meshWidth);
        auto visit = [&](int32_t row, int32_t column) -> int32_t {
            const MeshBucket& bucket = buckets[row * kMeshBucketSide + column];
            for (int32_t e = bucket.first; e < bucket.first + bucket.count; ++e)
                if (Holds(list[e], x, y, z)) return list[e];
            return 0;
        };
        for (int32_t k = 0; k < kRings; ++k) {
            for (int32_t row = L - k; row <= L + k; ++row) {
                if (row < 0) continue;
                if (row >= kMeshBucketSide) break;
                const bool edgeRow = row == L - k || row == L + k;
                for (int32_t column = W - k; column <= W + k; column += edgeRow || k == 0 ? 1 : 2 * k) {
                    if (column < 0) continue;
                    if (column >= kMeshBucketSide) break;
                    if (const int32_t hit = visit(row, column)) return found(hit);
                }
            }
        }
    }
    for (int32_t i = 1; i <= last; ++i)
        if (mask[i] && Holds(i, x, y, z)) return found(i);
    g_lastHit = 0;
    return 0;
}

int32_t FindTinElevation(double x, double y, double* z) {
    if (!g_tinEdges) return 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        if (!IsPoint(std::abs(e.a)) || !IsPoint(std::abs(e.b)) || !IsPoint(std::abs(e.apexSearch))) continue;
        const Triangle t = TriangleOf(i);
        if (x < std::min({t.p[0]->x, t.p[1]->x, t.p[2]->x}) || x > std::max({t.p[0]->x, t.p[1]->x, t.p[2]->x}))
            continue;
        if (y < std::min({t.p[0]->y, t.p[1]->y, t.p[2]->y}) || y > std::max({t.p[0]->y, t.p[1]->y, t.p[2]->y}))
            continue;
        if (Holds(i, x, y, z)) return i;
    }
    return 0;
}

double RoundMeshElevation(double z) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3lf", z);
    return std::strtod(text, nullptr);
}

MeshRangeTest::MeshRangeTest() {
    const int32_t n = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    if (n <= 0) return;
    m_xs.resize(n);
    m_ys.resize(n);
    for (int32_t i = 0; i < n; ++i) {
        m_xs[i] = g_meshAreaPolygon[i + 1].x;
        m_ys[i] = g_meshAreaPolygon[i + 1].y;
    }
}

bool MeshRangeTest::Outside(double x, double y) const {
    if (m_xs.empty()) return false;
    int cls = 0;
    ClassifyPointInPolygon(0, m_xs.data(), m_ys.data(), static_cast<int>(m_xs.size()), x, y, 0.001, &cls);
    return cls == kPolygonOutside;
}

void MeshElevationRange::Add(double z) {
    if (!any) {
        lowest = highest = z;
        any = true;
        return;
    }
    lowest = std::min(lowest, z);
    highest = std::max(highest, z);
}

double MeshElevationRange::MissingValue(int32_t policy, double given) const {
    if (policy == kMissingLowest) return lowest;
    if (policy == kMissingHighest) return highest;
    return given;
}

void FinishMeshElevations() {
    g_meshElevationsDone = 1;
    g_showMesh = -1;
    g_showMeshElevations = 0;
    g_showMeshVolumes = 0;
    g_meshVolumeDone = 0;
}

void SetMeshSaveRunner(void (*runner)()) { g_meshSaveRunner = runner; }

void OfferMeshSave(const char* question) {
    if (g_quietMode || !g_meshSaveRunner) return;
    if (ShowMessage(question, "", msg::kYesNo | msg::kIconInformation) == msg::kIdYes) g_meshSaveRunner();
}

int32_t CalcMeshFromTin(int32_t missingPolicy, double missingValue, int32_t outlineOption, int32_t lattice) {
    const double factor = lattice ? kMeshLatticeFactor : 1;
    const double shift = lattice ? g_meshPitchWidth / 2 : 0;
    const int32_t rows = MeshNodeLineCount(g_meshWidth, g_meshPitchWidth);
    const int32_t columns = MeshNodeLineCount(g_meshLength, g_meshPitchLength * factor);

    // Work memory first: a failure then leaves the mesh as it was.
    std::vector<uint8_t> mask, raster;
    std::vector<MeshBucket> buckets;
    std::vector<int32_t> list;
    try {
        mask.reserve(static_cast<size_t>(std::max(g_tinEdgeCount, 0)) + 16);
        raster.assign((static_cast<size_t>(columns) + 2) * (static_cast<size_t>(rows) + 1), 0);
        buckets.reserve(kMeshBucketCount);
        list.reserve(static_cast<size_t>(std::max(g_tinEdgeCount, 0)) + 4);
    } catch (const std::bad_alloc&) {
        ShowMeshMemoryFailure();
        return kMeshElevationsStopped;
    }
    if (columns < 1 || rows < 1 || PrepareMeshNodeBlock(columns, rows) != 0) {
        ShowMeshMemoryFailure();
        return kMeshElevationsStopped;
    }
    ResetMeshResults();
    // The rebuilt node block holds neither elevations nor volumes until this run ends.
    g_meshElevationsDone = 0;
    g_meshVolumeDone = 0;
    const MeshRangeTest range;
    ResetMeshLastHit();

    g_progressCaption = "Triangle mapping...";
    g_progressCounter.clear();
    OpenRecordProgressWindow();
    RefreshRecordProgressWindow();

    const bool maskBuilt = BuildMeshTriangleMask(&mask);
    try {
        if (maskBuilt) {
            CullTrianglesOutsideMeshArea(mask);
            MarkOutsideNodes(mask, raster, rows + 1, columns + 1, lattice);
            BuildMeshTriangleBuckets(buckets, list, mask);
        }
    } catch (const std::bad_alloc&) {
        std::fill(raster.begin(), raster.end(), uint8_t{0});
    }

    MeshNode* nodes = g_meshNodes.Data();
    const MeshFrame frame = CurrentMeshFrame();
    g_progressCaption = "メッシュ標高計算中[Qキー：中止]";
    MeshElevationRange found{missingValue, missingValue};
    bool stopped = false;
    for (int32_t r = 1; r <= rows && !stopped; ++r) {
        g_progressCounter = FormatRecordCounter(r, rows);
        RefreshRecordProgressWindow();
        if (StopConfirmed()) {
            stopped = true;
            break;
        }
        for (int32_t c = 1; c <= columns; ++c) {
            const double a = (c - 1) * g_meshPitchLength * factor;
            const double b = (r - 1) * g_meshPitchWidth + (lattice && c % 2 == 0 ? shift : 0);
            MeshNode& node = nodes[MeshNodeNumber(c, r)];
            frame.ToMap(a, b, &node.x, &node.y);
            node.column = c;
            node.row = r;
            double z = 0;
            const bool hit = raster[static_cast<size_t>(c) * (rows + 1) + r] && !range.Outside(node.x, node.y) &&
                             FindTinElevationInBuckets(buckets, list, mask, node.x, node.y, &z) != 0;
            node.valid = hit;
            node.z = hit ? RoundMeshElevation(z) : 0;
            if (hit) found.Add(node.z);
        }
    }
    if (!stopped) {
        const double fill = found.MissingValue(missingPolicy, missingValue);
        for (int32_t i = 1; i <= g_meshNodeCount; ++i)
            if (!nodes[i].valid) nodes[i].z = fill;
    }
    mask = {}, raster = {}, buckets = {}, list = {};

    g_outlineCrossingCount = 0;
    if (outlineOption == 1 && !stopped) {
        g_progressCaption = "メッシュと外周との";
        g_progressCounter = "交点の計算中です。";
        RefreshRecordProgressWindow();
        CalcOutlineMeshCrossings();
    }
    CloseRecordProgressWindow();
    if (stopped) {
        g_meshElevationsDone = 0;
        return kMeshElevationsStopped;
    }
    FinishMeshElevations();
    if (!maskBuilt)
        ShowMessage("三角網の作業用メモリが確保できませんでした。\n三角網から標高を求めた節点はありません。", "",
                    msg::kOk | msg::kIconError);
    OfferMeshSave("三角網メッシュ標高計算終了。\n計算結果を保存しますか？");
    return kMeshElevationsDone;
}
