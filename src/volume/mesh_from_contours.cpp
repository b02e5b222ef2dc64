#include "volume/mesh_from_contours.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <set>

#include "contour/contour_files.h"
#include "model/geometry.h"
#include "model/progress.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_files.h"
#include "volume/mesh_data.h"
#include "volume/mesh_from_tin.h"
#include "volume/outline_crossings.h"

const char* const kNoContourCrossingsMessage = "メッシュと等高線の交点が見つかっていません。";

namespace {

constexpr double kFarPitches = 1000;
// Averaging converges on the pair's mean, which lies in the band; this only bounds a band
// of width 0 that rounding never quite reaches.
constexpr int kMaxAveraging = 200;
constexpr double kSameCrossing = 0.0001;

void StopMessage(const std::string& text) { ShowMessage(text, "", msg::kOk | msg::kIconError); }

bool WriteCrossing(std::FILE* file, const ContourCrossing& c) {
    unsigned char bytes[kContourCrossingBytes] = {};
    std::memcpy(bytes, &c.distance, 8);
    std::memcpy(bytes + 8, &c.level, 8);
    std::memcpy(bytes + 28, &c.row, 4);
    return std::fwrite(bytes, 1, sizeof bytes, file) == sizeof bytes;
}

bool ReadCrossing(std::FILE* file, ContourCrossing* c) {
    unsigned char bytes[kContourCrossingBytes];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
    std::memcpy(&c->distance, bytes, 8);
    std::memcpy(&c->level, bytes + 8, 8);
    std::memcpy(&c->row, bytes + 28, 4);
    return true;
}

// Lagrange polynomial through the records at s, leaving out of each product the points at
// the same distance as the current one.
double Lagrange(const std::vector<ContourCrossing>& list, const std::vector<int32_t>& points, double s) {
    double value = 0;
    for (int32_t j : points) {
        double term = list[j].level;
        for (int32_t m : points) {
            if (m == j || list[m].distance == list[j].distance) continue;
            term *= (s - list[m].distance) / (list[j].distance - list[m].distance);
        }
        value += term;
    }
    return value;
}

bool Brackets(const ContourCrossing& p, const ContourCrossing& q, double s) {
    return (p.distance < s && s < q.distance) || s == p.distance || s == q.distance;
}

}  // namespace

int64_t g_contourCrossingBatch = int64_t{1} << 20;

void SortCrossingsByDistance(std::vector<ContourCrossing>& list, int32_t n) {
    n = std::min<int32_t>(n, static_cast<int32_t>(list.size()) - 1);
    if (n < 2) return;
    // Records of equal distance end in an order that only the exchanges decide. Where every
    // such group holds identical records any order gives the same list, so the stable sort
    // may stand in; otherwise the exchanges run as they always did.
    std::vector<ContourCrossing> sorted(list.begin() + 1, list.begin() + 1 + n);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ContourCrossing& a, const ContourCrossing& b) { return a.distance < b.distance; });
    bool ties = false;
    for (size_t k = 1; k < sorted.size() && !ties; ++k) {
        const ContourCrossing &a = sorted[k - 1], &b = sorted[k];
        ties = a.distance == b.distance && (std::signbit(a.distance) != std::signbit(b.distance) ||
                                            std::memcmp(&a.level, &b.level, sizeof a.level) != 0 || a.row != b.row);
    }
    if (!ties) {
        std::copy(sorted.begin(), sorted.end(), list.begin() + 1);
        return;
    }
    for (int32_t i = 1; i < n; ++i)
        for (int32_t j = i + 1; j <= n; ++j)
            if (list[i].distance > list[j].distance) std::swap(list[i], list[j]);
}

int32_t InterpolateOnLineStraight(const std::vector<ContourCrossing>& list, int32_t n, double s, double* z) {
    n = std::min<int32_t>(n, static_cast<int32_t>(list.size()) - 1);
    int32_t found = 0;
    *z = 0;
    for (int32_t i = 1; i < n; ++i) {
        const ContourCrossing &p = list[i], &q = list[i + 1];
        if (!Brackets(p, q, s)) continue;
        // Two crossings at one place (a contour through the row's first node gives +0 and
        // -0) have no slope between them.
        *z = q.distance == p.distance ? p.level
                                      : p.level + (q.level - p.level) * (s - p.distance) / (q.distance - p.distance);
        found = 1;
    }
    return found;
}

int32_t InterpolateOnLineCurve(const std::vector<ContourCrossing>& list, int32_t n, double s, double interval,
                               double* z) {
    n = std::min<int32_t>(n, static_cast<int32_t>(list.size()) - 1);
    int32_t found = 0;
    *z = 0;
    for (int32_t i = 1; i < n; ++i) {
        const ContourCrossing &p = list[i], &q = list[i + 1];
        if (!Brackets(p, q, s)) continue;
        found = 1;
        if (q.distance == p.distance) {
            *z = p.level;
            continue;
        }
        // The stencil P1..P4; a record that does not exist is left out.
        int32_t p1 = i + 2, p4 = i - 1;
        if (i == 1) p4 = i + 3;
        if (i + 1 == n) p1 = i - 2;
        auto exists = [&](int32_t k) { return k >= 1 && k <= n; };
        // A row line through a contour vertex meets both of its segments: records closer
        // than the intersection's tolerance are one crossing, or the polynomial would take
        // that level twice (or bend hard between two points a rounding error apart).
        auto stencil = [&](std::initializer_list<int32_t> ks) {
            std::vector<int32_t> out;
            for (int32_t k : ks) {
                if (!exists(k)) continue;
                if (std::none_of(out.begin(), out.end(), [&](int32_t m) {
                        return std::fabs(list[m].distance - list[k].distance) <= kSameCrossing;
                    }))
                    out.push_back(k);
            }
            return out;
        };
        const int32_t p2 = i + 1, p3 = i;
        const double w = std::max(std::fabs(q.level - p.level), interval);
        auto accepted = [&](double v) { return std::fabs(v - p.level) <= w && std::fabs(v - q.level) <= w; };
        const std::vector<int32_t> full = stencil({p1, p2, p3, p4});
        const std::vector<int32_t> tries[] = {
            full,
            stencil({p1, p2, p3}),
            stencil({p2, p3, p4}),
            std::fabs(p.level - q.level) > 0.00001 ? stencil({p2, p3}) : stencil({p2, p3, p4}),
        };
        bool done = false;
        for (const std::vector<int32_t>& points : tries) {
            const double v = Lagrange(list, points, s);
            if (accepted(v)) {
                *z = v;
                done = true;
                break;
            }
        }
        if (done) continue;
        double v = Lagrange(list, full, s);
        for (int k = 0; k < kMaxAveraging && !accepted(v); ++k) v = (p.level + q.level + v) / 3;
        *z = accepted(v) ? v : (p.level + q.level) / 2;
    }
    return found;
}

int32_t CalcMeshFromContours(int32_t method, int32_t missingPolicy, double missingValue, int32_t outlineOption) {
    std::FILE* contours = g_contourLinesPath.empty() ? nullptr : std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!contours) {
        StopMessage("等高線データファイルが見つかりません。");
        return kMeshElevationsStopped;
    }
    const int32_t rows = MeshNodeLineCount(g_meshWidth, g_meshPitchWidth);
    const int32_t columns = MeshNodeLineCount(g_meshLength, g_meshPitchLength);
    std::vector<int32_t> counts;
    try {
        counts.assign(static_cast<size_t>(std::max(rows, 0)) + 2, 0);
    } catch (const std::bad_alloc&) {
        std::fclose(contours);
        StopMessage("メッシュデータ作業用メモリが確保できませんでした。");
        return kMeshElevationsStopped;
    }
    if (columns < 1 || rows < 1 || PrepareMeshNodeBlock(columns, rows) != 0) {
        std::fclose(contours);
        StopMessage(kMeshMemoryMessage);
        return kMeshElevationsStopped;
    }
    ResetMeshResults();
    // The rebuilt node block holds neither elevations nor volumes until this run ends.
    g_meshElevationsDone = 0;
    g_meshVolumeDone = 0;
    const MeshRangeTest range;
    MeshNode* nodes = g_meshNodes.Data();
    const MeshFrame frame = CurrentMeshFrame();

    const std::string workPath = g_tempPath4;
    std::error_code ignored;
    if (!workPath.empty()) std::filesystem::remove(workPath, ignored);
    std::FILE* work = workPath.empty() ? nullptr : std::fopen(workPath.c_str(), "wb");
    if (!work) {
        std::fclose(contours);
        StopMessage("作業ファイルを作成できません。\n" + workPath);
        return kMeshElevationsStopped;
    }
    auto finish = [&](int32_t result) {
        if (contours) std::fclose(contours);
        if (work) std::fclose(work);
        contours = work = nullptr;
        CloseRecordProgressWindow();
        std::filesystem::remove(workPath, ignored);
        if (result != kMeshElevationsDone) g_meshElevationsDone = 0;
        return result;
    };

    g_progressCaption = "等高線とメッシュの交点計算中[Qキー：中止]";
    g_progressCounter.clear();
    OpenRecordProgressWindow();

    // First pass: crossings of every contour segment with every row line.
    std::vector<double> xs, ys;
    std::set<double> levels;
    bool writeFailed = false;
    const double far = kFarPitches * g_meshPitchLength;
    ContourRecord header;
    while (ReadContourRecord(contours, &header)) {
        const double count = header.b;
        // A damaged header ends the file, as a short read does.
        if (!(count >= 0 && count <= kContourPieceMaxVertices && count == std::floor(count))) break;
        const int32_t n = static_cast<int32_t>(count);
        xs.resize(n), ys.resize(n);
        bool complete = true;
        for (int32_t k = 0; k < n && complete; ++k) {
            ContourRecord v;
            complete = ReadContourRecord(contours, &v);
            xs[k] = v.a, ys[k] = v.b;
        }
        if (!complete) break;
        const double level = header.a;
        levels.insert(level);
        g_progressCounter = FormatString("標高値[%10.3lf]", level);
        RefreshRecordProgressWindow();
        PumpOneMessage();
        if (AskToStopWhenRequested(kMeshStopQuestion, msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
            return finish(kMeshElevationsStopped);
        for (int32_t k = 0; k + 1 < n && !writeFailed; ++k) {
            constexpr double kPad = 0.001;  // beyond the intersection's tolerance
            const double minX = std::min(xs[k], xs[k + 1]) - kPad, maxX = std::max(xs[k], xs[k + 1]) + kPad;
            const double minY = std::min(ys[k], ys[k + 1]) - kPad, maxY = std::max(ys[k], ys[k + 1]) + kPad;
            for (int32_t row = 1; row <= rows + 1 && (row - 1) * g_meshPitchWidth <= g_meshWidth; ++row) {
                const double b = (row - 1) * g_meshPitchWidth;
                double sx, sy, fx, fy, bx, by;
                frame.ToMap(0, b, &sx, &sy);
                frame.ToMap(g_meshLength + far, b, &fx, &fy);
                frame.ToMap(-far, b, &bx, &by);
                // The whole line misses a segment that lies beside its box.
                if (std::max(fx, bx) < minX || std::min(fx, bx) > maxX || std::max(fy, by) < minY ||
                    std::min(fy, by) > maxY)
                    continue;
                for (int side = 0; side < 2; ++side) {
                    const double ex = side == 0 ? fx : bx, ey = side == 0 ? fy : by;
                    double px = 0, py = 0;
                    int cls = 1;
                    if (IntersectSegments(xs[k], ys[k], xs[k + 1], ys[k + 1], sx, sy, ex, ey, 0, 0.0001, 0.0001, &px,
                                          &py, &cls) != kGeomOk ||
                        cls != 0)
                        continue;
                    const double d = std::hypot(px - sx, py - sy);
                    ++counts[row];
                    if (!WriteCrossing(work, {side == 0 ? d : -d, level, row})) writeFailed = true;
                }
            }
        }
        if (writeFailed) break;
    }
    std::fclose(contours);
    contours = nullptr;
    if (std::fclose(work) != 0) writeFailed = true;
    work = nullptr;
    if (writeFailed) {
        StopMessage("作業ファイルに書き込めません。\n" + workPath);
        return finish(kMeshElevationsStopped);
    }
    const int32_t largest = *std::max_element(counts.begin(), counts.end());
    if (largest == 0) {
        StopMessage(kNoContourCrossingsMessage);
        return finish(kMeshElevationsStopped);
    }
    std::vector<ContourCrossing> list;
    try {
        list.resize(static_cast<size_t>(largest) + 2);
    } catch (const std::bad_alloc&) {
        StopMessage("メッシュデータ作業用メモリ２が確保できませんでした。");
        return finish(kMeshElevationsStopped);
    }
    work = std::fopen(workPath.c_str(), "rb");
    if (!work) {
        StopMessage("作業ファイルを読めません。\n" + workPath);
        return finish(kMeshElevationsStopped);
    }
    // The contour interval: the smallest spacing of adjacent distinct levels.
    double interval = 0;
    for (auto it = levels.begin(); it != levels.end() && std::next(it) != levels.end(); ++it) {
        const double gap = *std::next(it) - *it;
        if (gap > 0.00001 && (interval == 0 || gap < interval)) interval = gap;
    }

    // Second pass: the nodes of each row from that row's crossings.
    g_progressCaption = "交点データをメッシュデータに変換中";
    MeshElevationRange found{missingValue, missingValue};
    // The crossings of consecutive rows are gathered in one read of the work file, in file
    // order, as many as g_contourCrossingBatch records (always at least one row).
    std::vector<std::vector<ContourCrossing>> batch;
    int32_t batchFirst = 1, batchLast = 0;
    auto loadBatch = [&](int32_t from) {
        int64_t records = 0;
        int32_t last = from;
        for (int32_t k = from; k <= rows; ++k) {
            const int64_t add = counts[k] > 1 ? counts[k] : 0;
            if (k > from && records + add > g_contourCrossingBatch) break;
            records += add;
            last = k;
        }
        batch.assign(static_cast<size_t>(last - from + 1), {});
        batchFirst = from;
        batchLast = last;
        if (records == 0) return;
        std::rewind(work);
        ContourCrossing c;
        while (records > 0 && ReadCrossing(work, &c)) {
            if (c.row < from || c.row > last || counts[c.row] <= 1) continue;
            std::vector<ContourCrossing>& rowList = batch[static_cast<size_t>(c.row - from)];
            if (static_cast<int64_t>(rowList.size()) >= counts[c.row]) continue;
            rowList.push_back(c);
            --records;
        }
    };
    for (int32_t r = 1; r <= rows; ++r) {
        g_progressCounter = FormatRecordCounter(r, rows);
        RefreshRecordProgressWindow();
        const double b = (r - 1) * g_meshPitchWidth;
        int32_t n = 0;
        if (counts[r] > 1) {
            if (r > batchLast) loadBatch(r);
            std::vector<ContourCrossing>& rowList = batch[static_cast<size_t>(r - batchFirst)];
            for (const ContourCrossing& c : rowList) list[++n] = c;
            std::vector<ContourCrossing>().swap(rowList);
            SortCrossingsByDistance(list, n);
        }
        for (int32_t c = 1; c <= columns; ++c) {
            const double s = (c - 1) * g_meshPitchLength;
            MeshNode& node = nodes[MeshNodeNumber(c, r)];
            frame.ToMap(s, b, &node.x, &node.y);
            node.column = c;
            node.row = r;
            double z = 0;
            bool hit = false;
            if (n > 1 && !range.Outside(node.x, node.y))
                hit = (method == kContourCurve ? InterpolateOnLineCurve(list, n, s, interval, &z)
                                               : InterpolateOnLineStraight(list, n, s, &z)) != 0;
            node.valid = hit;
            node.z = hit ? RoundMeshElevation(z) : 0;
            if (hit) found.Add(node.z);
        }
    }
    std::fclose(work);
    work = nullptr;
    const double fill = found.MissingValue(missingPolicy, missingValue);
    for (int32_t i = 1; i <= g_meshNodeCount; ++i)
        if (!nodes[i].valid) nodes[i].z = fill;

    g_outlineCrossingCount = 0;
    if (outlineOption == 1) {
        g_progressCaption = "メッシュと外周との";
        g_progressCounter = "交点の計算中です。";
        RefreshRecordProgressWindow();
        CalcOutlineMeshCrossings();
    }
    finish(kMeshElevationsDone);
    FinishMeshElevations();
    OfferMeshSave("等高線メッシュ標高計算終了。\n計算結果を保存しますか？");
    return kMeshElevationsDone;
}
