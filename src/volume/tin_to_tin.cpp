#include "volume/tin_to_tin.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/file_report.h"
#include "model/le_bytes.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/projection.h"
#include "view/raster_primitives.h"

TinClipBuffers g_tinClip;

namespace {

std::function<void()>& RepaintHook() {
    static std::function<void()> hook;
    return hook;
}

void RepaintView() {
    if (RepaintHook()) RepaintHook()();
}

void Progress(const TinVolumeRequest* request, const std::string& text) {
    if (request->progressWindow) request->progressWindow(text);
}

std::filesystem::path Companion(const std::filesystem::path& base, const char* extension) {
    std::filesystem::path wanted = base;
    wanted.replace_extension(extension);
    const std::filesystem::path found = FindFileNoCase(wanted);
    return found.empty() ? wanted : found;
}

// Side of P against U -> V on the map (north up, east right): positive on the left.
inline double Side(double ux, double uy, double vx, double vy, double px, double py) {
    return (vy - uy) * (px - ux) - (vx - ux) * (py - uy);
}

struct Slot {
    int32_t code;
    double x, y;
};

struct ClipVertex {
    double x, y, z;
    int32_t code;
};

void RecordEdgeCrossing(double a, double b, const ClipVertex& u, const ClipVertex& v, const ClipVertex& s,
                        const ClipVertex& e, Slot* slots, int32_t k) {
    Slot* at = slots + 3 * k;
    auto put = [](Slot& slot, int32_t code, double x, double y) { slot = {code, x, y}; };
    if (std::fabs(a) < 1e-10 && std::fabs(b) < 1e-10) {
        // The current edge lies on the base edge's line.
        const double dx = v.x - u.x, dy = v.y - u.y;
        const double w = (s.x - u.x) * dx + (s.y - u.y) * dy;
        const double en = (e.x - u.x) * dx + (e.y - u.y) * dy;
        const double l = dx * dx + dy * dy;
        if (!(w < en)) return;
        if (w <= 0 && 0 < en) {
            at[0].code = 0;
            put(at[1], std::abs(u.code), u.x, u.y);
        }
        if (0 < w && w < l) put(at[1], std::abs(s.code), s.x, s.y);
        if (0 < en && en < l) put(at[2], std::abs(e.code), e.x, e.y);
        if (w <= l && l <= en) {
            put(at[2], std::abs(v.code), v.x, v.y);
            at[3].code = 0;
        }
        return;
    }
    const double t = a / (a - b);
    const double cx = s.x + t * (e.x - s.x), cy = s.y + t * (e.y - s.y);
    if (a > b) {
        if (s.code > 100) put(at[0], s.code, s.x, s.y);
        put(at[1], 3 * k + 1, cx, cy);
        if (v.code > 100) put(at[3], v.code, v.x, v.y);
    } else if (a < b) {
        if (u.code > 100) put(at[0], u.code, u.x, u.y);
        put(at[2], 3 * k + 2, cx, cy);
        if (e.code > 100) put(at[3], e.code, e.x, e.y);
    }
}

// Height of the plane through p with the normal n (east, north, up) at (x, y).
inline double PlaneZ(const std::array<double, 3>& n, double px, double py, double pz, double x, double y) {
    return pz - (n[0] * (y - py) + n[1] * (x - px)) / n[2];
}

std::array<double, 3> UnitNormal(const double p[3][3]) {
    const double ue = p[1][1] - p[0][1], un = p[1][0] - p[0][0], uz = p[1][2] - p[0][2];
    const double we = p[2][1] - p[0][1], wn = p[2][0] - p[0][0], wz = p[2][2] - p[0][2];
    std::array<double, 3> n{un * wz - uz * wn, uz * we - ue * wz, ue * wn - un * we};
    const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (l > 0) {
        n[0] /= l;
        n[1] /= l;
        n[2] /= l;
    }
    return n;
}

void AddBySign(TinPairRecord* pair, double volume, double area) {
    if (volume > 0) {
        pair->plusVolume += volume;
        pair->plusArea += area;
    } else if (volume < 0) {
        pair->minusVolume += volume;
        pair->minusArea += area;
    } else {
        pair->zeroArea += area;
    }
}

bool WriteAll(std::FILE* f, const void* data, size_t size) { return std::fwrite(data, 1, size, f) == size; }

}  // namespace

void SetTinVolumeRepaintHook(std::function<void()> hook) { RepaintHook() = std::move(hook); }

int32_t ReadBaseTinTriangles(const std::filesystem::path& path, std::vector<BaseTinRecord>* records,
                             int32_t* highestPoint) {
    records->clear();
    *highestPoint = 0;
    std::FILE* f = std::fopen(Companion(path, ".TRI").c_str(), "rb");
    if (!f) return 0;
    char header[16];
    int32_t count = 0;
    bool ok = std::fread(header, sizeof header, 1, f) == 1;
    if (ok) {
        count = GetLeI32(header + 8);
        ok = count >= 1 && count <= kMaxTinFileEdges;
    }
    if (ok) {
        try {
            records->resize(static_cast<size_t>(count) + 2);
            std::string fields(static_cast<size_t>(count) * 16, '\0');
            ok = std::fread(fields.data(), 16, count, f) == static_cast<size_t>(count);
            for (int32_t i = 0; ok && i < count; ++i) {
                BaseTinRecord& r = (*records)[i + 1];
                const char* at = fields.data() + 16 * static_cast<size_t>(i);
                r = {GetLeI32(at), GetLeI32(at + 4), GetLeI32(at + 8), GetLeI32(at + 12), 0};
                for (int32_t v : {r.a, r.b, r.search}) {
                    // A vertex number that is no point number is damage; so is the
                    // absent-apex mark on the search side.
                    if (v == 0 || v == INT32_MIN || std::abs(v) >= 999999999) ok = false;
                    else *highestPoint = std::max(*highestPoint, std::abs(v));
                }
            }
            (*records)[count + 1] = {-1, -1, -1, -1, -1};
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    std::fclose(f);
    if (!ok) {
        records->clear();
        *highestPoint = 0;
        return 0;
    }
    return count;
}

int32_t ReadBaseTinPoints(const std::filesystem::path& path, int32_t highest, std::vector<BasePoint>* points) {
    points->assign(1, BasePoint{0, 0, 0});
    std::FILE* f = std::fopen(Companion(path, ".RND").c_str(), "rb");
    if (!f) return 0;
    TextLineReader reader(f);
    std::string_view line;
    bool ok = true;
    for (int i = 0; i < 5 && ok; ++i) ok = reader.Next(line);
    auto field = [&](size_t from, size_t to, double* value) {
        if (line.size() <= from) return false;
        std::string text(line.substr(from, to - from));
        char* end = nullptr;
        *value = std::strtod(text.c_str(), &end);
        while (*end == ' ' || *end == '\t') ++end;
        return end != text.c_str() && *end == '\0' && std::isfinite(*value);
    };
    while (ok && static_cast<int32_t>(points->size()) - 1 < highest && reader.Next(line)) {
        if (line.empty()) break;
        BasePoint p{};
        if (!field(10, 24, &p.x) || !field(26, 40, &p.y) || !field(42, 52, &p.z)) {
            ok = false;
            break;
        }
        points->push_back(p);
    }
    std::fclose(f);
    if (!ok) {
        points->assign(1, BasePoint{0, 0, 0});
        return 0;
    }
    return static_cast<int32_t>(points->size()) - 1;
}

int32_t MarkTrianglesOnce(const BaseTinRecord* records, int32_t pointCount, int32_t recordCount,
                          std::vector<uint8_t>* marks, int32_t holeOption) {
    marks->assign(static_cast<size_t>(recordCount) + 1, 0);
    auto valid = [&](int32_t v) { return v != INT32_MIN && std::abs(v) >= 1 && std::abs(v) <= pointCount; };
    // Records chained by |A|, each chain in record order; `last` finds the last match.
    std::vector<int32_t> head(static_cast<size_t>(pointCount) + 1, 0), next(static_cast<size_t>(recordCount) + 1, 0);
    for (int32_t i = recordCount; i >= 1; --i) {
        const BaseTinRecord& r = records[i];
        if (!valid(r.a) || !valid(r.b) || !valid(r.search)) continue;
        const int32_t a = std::abs(r.a);
        next[i] = head[a];
        head[a] = i;
    }
    auto last = [&](int32_t first, int32_t second, int32_t third) {
        int32_t found = 0;
        for (int32_t k = head[first]; k != 0; k = next[k])
            if (std::abs(records[k].b) == second && std::abs(records[k].search) == third) found = k;
        return found;
    };
    std::vector<uint8_t>& m = *marks;
    for (int32_t i = 1; i <= recordCount; ++i) {
        const BaseTinRecord& r = records[i];
        if (!valid(r.a) || !valid(r.b) || !valid(r.search)) continue;
        const int32_t a = std::abs(r.a), b = std::abs(r.b), s = std::abs(r.search);
        const bool hole = holeOption != 0 && r.a < 0;
        m[i] = hole ? 0x11 : 0x01;
        for (int32_t found : {last(b, s, a), last(s, a, b)}) {
            if (found == 0 || !(m[found] & 0x01)) continue;
            m[i] = 0;
            if (hole) m[found] |= 0x10;
        }
    }
    if (holeOption != 0) {
        for (int32_t i = 1; i <= recordCount; ++i) {
            const BaseTinRecord& r = records[i];
            if (r.a > 0 || r.back == -999999999 || !valid(r.a) || !valid(r.b) || !valid(r.back)) continue;
            const int32_t found = last(std::abs(r.a), std::abs(r.back), std::abs(r.b));
            if (found != 0 && (m[found] & 0x01)) m[found] = 0x11;
        }
    }
    int32_t kept = 0;
    for (int32_t i = 1; i <= recordCount; ++i) {
        if (holeOption == 1 && (m[i] & 0x10)) m[i] = 0;
        if (holeOption == -1 && (m[i] & 0x11) != 0x11) m[i] = 0;
        kept += m[i] != 0;
    }
    return kept;
}

void BuildBaseCellIndex(BaseCellIndex* index, const std::vector<BasePoint>& points,
                        std::vector<BaseTinRecord>* records, int32_t recordCount, int32_t holeOption) {
    std::vector<BaseTinRecord>& rec = *records;
    const int32_t pointCount = static_cast<int32_t>(points.size()) - 1;
    double minY = HUGE_VAL, maxY = -HUGE_VAL, minX = HUGE_VAL, maxX = -HUGE_VAL;
    for (int32_t i = 1; i <= recordCount; ++i) {
        const int32_t a = std::abs(rec[i].a);
        if (a < 1 || a > pointCount) continue;
        minY = std::min(minY, points[a].y);
        maxY = std::max(maxY, points[a].y);
        minX = std::min(minX, points[a].x);
        maxX = std::max(maxX, points[a].x);
    }
    if (minY > maxY) minY = maxY = minX = maxX = 0;
    const double marginY = std::max((maxY - minY) / kBaseCells, 0.25) / 4;
    const double marginX = std::max((maxX - minX) / kBaseCells, 0.25) / 4;
    index->originY = minY - marginY;
    index->upperY = maxY + marginY;
    index->originX = minX - marginX;
    index->upperX = maxX + marginX;
    index->scaleY = kBaseCells / (index->upperY - index->originY);
    index->scaleX = kBaseCells / (index->upperX - index->originX);

    for (int32_t i = 1; i <= recordCount; ++i) {
        BaseTinRecord& r = rec[i];
        r.cell = kLargeCell;
        const int32_t v[3] = {std::abs(r.a), std::abs(r.b), std::abs(r.search)};
        if ((holeOption == 1 && r.a < 0) || (holeOption == -1 && r.a >= 0) || v[0] > pointCount ||
            v[1] > pointCount || v[2] > pointCount || v[0] < 1 || v[1] < 1 || v[2] < 1) {
            r.cell = kExcludedCell;
            continue;
        }
        double sy[3], sx[3];
        for (int k = 0; k < 3; ++k) {
            sy[k] = (points[v[k]].y - index->originY) * index->scaleY;
            sx[k] = (points[v[k]].x - index->originX) * index->scaleX;
        }
        const double cyd = std::floor((sy[0] + sy[1] + sy[2]) / 3), cxd = std::floor((sx[0] + sx[1] + sx[2]) / 3);
        if (!(cyd >= 0 && cyd < kBaseCells && cxd >= 0 && cxd < kBaseCells)) continue;
        const double loY = std::floor(std::min({sy[0], sy[1], sy[2]})), hiY = std::floor(std::max({sy[0], sy[1], sy[2]}));
        const double loX = std::floor(std::min({sx[0], sx[1], sx[2]})), hiX = std::floor(std::max({sx[0], sx[1], sx[2]}));
        if (loY + 2 >= cyd && cyd >= hiY - 2 && loX + 2 >= cxd && cxd >= hiX - 2)
            r.cell = static_cast<int32_t>(cxd) * kBaseCells + static_cast<int32_t>(cyd);
    }
    std::stable_sort(rec.begin() + 1, rec.begin() + 1 + recordCount,
                     [](const BaseTinRecord& p, const BaseTinRecord& q) { return p.cell < q.cell; });
    index->offsets.assign(kExcludedCell + 2, 0);
    std::vector<int32_t> counts(kExcludedCell + 1, 0);
    for (int32_t i = 1; i <= recordCount; ++i) ++counts[rec[i].cell];
    int32_t first = 1;
    for (int32_t c = 0; c <= kExcludedCell; ++c) {
        index->offsets[c] = first;
        first += counts[c];
    }
    index->offsets[kExcludedCell + 1] = recordCount + 1;
}

double PrepareCurrentTriangle(TinPairRecord* pair) {
    const auto& v = pair->v;
    pair->minX = std::min({v[0][0], v[1][0], v[2][0]});
    pair->maxX = std::max({v[0][0], v[1][0], v[2][0]});
    pair->minY = std::min({v[0][1], v[1][1], v[2][1]});
    pair->maxY = std::max({v[0][1], v[1][1], v[2][1]});
    const double p[3][3] = {{v[0][0], v[0][1], v[0][2]}, {v[1][0], v[1][1], v[1][2]}, {v[2][0], v[2][1], v[2][2]}};
    pair->normal = UnitNormal(p);
    pair->area = ((v[1][1] - v[0][1]) * (v[2][0] - v[0][0]) - (v[1][0] - v[0][0]) * (v[2][1] - v[0][1])) / 2;
    pair->plusVolume = pair->minusVolume = 0;
    pair->plusArea = pair->minusArea = pair->zeroArea = 0;
    pair->overlapSum = -1e-6;
    return pair->area;
}

void ComputeCellRange(const BaseCellIndex& index, TinPairRecord* pair) {
    auto clamp = [](double c) { return static_cast<int32_t>(std::clamp(c, 0.0, double(kBaseCells - 1))); };
    pair->firstColumn = clamp(std::floor((pair->minY - index.originY) * index.scaleY) - 2);
    pair->lastColumn = clamp(std::floor((pair->maxY - index.originY) * index.scaleY) + 2);
    pair->firstRow = clamp(std::floor((pair->minX - index.originX) * index.scaleX) - 2);
    pair->lastRow = clamp(std::floor((pair->maxX - index.originX) * index.scaleX) + 2);
}

double PolygonPrismVolume(const RegionVertex* p, int32_t n, double* area) {
    *area = 0;
    if (n < 3) return 0;
    double reference = HUGE_VAL;
    for (int32_t i = 0; i < n; ++i) reference = std::min({reference, p[i].zBase, p[i].zCur});
    // A prism over the reference level, from the triangle's lowest vertex in that surface.
    auto prism = [reference](double z0, double z1, double z2, double a) {
        const double low = std::min({z0, z1, z2});
        return a * ((low - reference) + ((z0 - low) + (z1 - low) + (z2 - low)) / 3);
    };
    double volume = 0;
    for (int32_t i = 1; i + 1 < n; ++i) {
        const double a = ((p[i].y - p[0].y) * (p[i + 1].x - p[0].x) - (p[i].x - p[0].x) * (p[i + 1].y - p[0].y)) / 2;
        *area += a;
        volume += prism(p[0].zCur, p[i].zCur, p[i + 1].zCur, a) - prism(p[0].zBase, p[i].zBase, p[i + 1].zBase, a);
    }
    if (*area > 1e-8 && std::fabs(volume / *area) < 1e-8) volume = 0;
    return volume;
}

int32_t ClipTrianglePair(const std::array<std::array<double, 3>, 3>& base, TinPairRecord* pair) {
    TinClipBuffers& clip = g_tinClip;
    clip.overlapCount = clip.plusCount = clip.minusCount = 0;
    const double bMinY = std::min({base[0][1], base[1][1], base[2][1]}), bMaxY = std::max({base[0][1], base[1][1], base[2][1]});
    const double bMinX = std::min({base[0][0], base[1][0], base[2][0]}), bMaxX = std::max({base[0][0], base[1][0], base[2][0]});
    if (bMaxY < pair->minY || bMinY > pair->maxY || bMaxX < pair->minX || bMinX > pair->maxX) return 0;
    if (bMaxY - bMinY < 1e-8 || bMaxX - bMinX < 1e-8) return 0;

    // The closest pair of vertices comes first on both triangles.
    int32_t bi = 0, cj = 0;
    double best = HUGE_VAL;
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t j = 0; j < 3; ++j) {
            const double dx = base[i][0] - pair->v[j][0], dy = base[i][1] - pair->v[j][1];
            const double d = dx * dx + dy * dy;
            if (d < best) {
                best = d;
                bi = i;
                cj = j;
            }
        }
    ClipVertex b[3], c[3];
    for (int32_t k = 0; k < 3; ++k) {
        const auto& bp = base[(bi + k) % 3];
        const auto& cp = pair->v[(cj + k) % 3];
        b[k] = {bp[0], bp[1], bp[2], 0};
        c[k] = {cp[0], cp[1], cp[2], 0};
    }
    for (int32_t k = 0; k < 3; ++k) {
        const double dx = b[k].x - c[k].x, dy = b[k].y - c[k].y;
        if (dx * dx + dy * dy < 1e-13) b[k].code = c[k].code = 300 + k + 1;
    }
    // sc[k][j]: current vertex j against base edge k; sb[k][j]: base vertex j against current edge k.
    double sc[3][3], sb[3][3];
    for (int32_t k = 0; k < 3; ++k)
        for (int32_t j = 0; j < 3; ++j) {
            const ClipVertex &u = b[k], &v = b[(k + 1) % 3];
            sc[k][j] = Side(u.x, u.y, v.x, v.y, c[j].x, c[j].y);
            const ClipVertex &p = c[k], &q = c[(k + 1) % 3];
            sb[k][j] = Side(p.x, p.y, q.x, q.y, b[j].x, b[j].y);
        }
    int32_t baseInside = 0, currentInside = 0;
    for (int32_t j = 0; j < 3; ++j) {
        if (b[j].code == 0) {
            const double s0 = sb[0][j], s1 = sb[1][j], s2 = sb[2][j];
            if (s0 > 0 && s1 > 0 && s2 > 0) b[j].code = 100 + j + 1;
            else if (s0 >= 0 && s1 >= 0 && s2 >= 0) b[j].code = 10 + j + 1;
        }
        if (c[j].code == 0) {
            const double s0 = sc[0][j], s1 = sc[1][j], s2 = sc[2][j];
            if (s0 > 0 && s1 > 0 && s2 > 0) c[j].code = 200 + j + 1;
            else if (s0 >= 0 && s1 >= 0 && s2 >= 0) c[j].code = 20 + j + 1;
        }
        baseInside += b[j].code != 0;
        currentInside += c[j].code != 0;
    }

    RegionVertex* poly = clip.overlap;
    int32_t n = 0;
    if (baseInside == 3) {
        for (int32_t k = 0; k < 3; ++k) poly[n++] = {b[k].y, b[k].x, 0, 0};
    } else if (currentInside == 3) {
        for (int32_t k = 0; k < 3; ++k) poly[n++] = {c[k].y, c[k].x, 0, 0};
    } else {
        Slot slots[10] = {};
        for (int32_t k = 0; k < 3; ++k)
            for (int32_t m = 0; m < 3; ++m) {
                const double a = sc[k][m], bb = sc[k][(m + 1) % 3];
                if (a * bb <= 0 && sb[m][k] * sb[m][(k + 1) % 3] <= 0)
                    RecordEdgeCrossing(a, bb, b[k], b[(k + 1) % 3], c[m], c[(m + 1) % 3], slots, k);
            }
        int32_t firstCode = 0;
        for (const Slot& s : slots) {
            if (s.code <= 0) continue;
            auto far = [&](const RegionVertex& p) { return std::fabs(p.x - s.x) + std::fabs(p.y - s.y) >= 1e-9; };
            if (n == 0) {
                firstCode = s.code;
            } else if (s.code == firstCode || !far(poly[n - 1]) || !far(poly[0]) || (n >= 3 && !far(poly[1])) ||
                       n >= 10) {
                continue;
            }
            poly[n++] = {s.y, s.x, 0, 0};
        }
        if (n < 3) return 0;
    }
    if (n == 3) {
        const double cross = (poly[1].y - poly[0].y) * (poly[2].x - poly[0].x) - (poly[1].x - poly[0].x) * (poly[2].y - poly[0].y);
        if (cross < 1e-10) return 0;
    }
    const double bp[3][3] = {{base[0][0], base[0][1], base[0][2]}, {base[1][0], base[1][1], base[1][2]},
                             {base[2][0], base[2][1], base[2][2]}};
    const std::array<double, 3> baseNormal = UnitNormal(bp);
    if (!(baseNormal[2] > 0) || !(pair->normal[2] > 0)) return 0;
    clip.overlapCount = n;

    double dMin = HUGE_VAL, dMax = -HUGE_VAL;
    double d[10];
    for (int32_t i = 0; i < n; ++i) {
        RegionVertex& p = poly[i];
        p.zBase = PlaneZ(baseNormal, base[0][0], base[0][1], base[0][2], p.x, p.y);
        p.zCur = PlaneZ(pair->normal, pair->v[0][0], pair->v[0][1], pair->v[0][2], p.x, p.y);
        if (std::fabs(p.zCur - p.zBase) < 1e-9) p.zCur = p.zBase;
        d[i] = p.zCur - p.zBase;
        dMin = std::min(dMin, d[i]);
        dMax = std::max(dMax, d[i]);
    }
    if (dMin * dMax >= 0) {
        double area = 0;
        const double volume = PolygonPrismVolume(poly, n, &area);
        AddBySign(pair, volume, area);
        pair->overlapSum += area;
        return 1;
    }
    for (int32_t i = 0; i < n; ++i) {
        const int32_t j = (i + 1) % n;
        if (d[i] >= 0 && clip.plusCount < 10) clip.plus[clip.plusCount++] = poly[i];
        if (d[i] <= 0 && clip.minusCount < 10) clip.minus[clip.minusCount++] = poly[i];
        if (d[i] * d[j] < 0) {
            const double t = d[i] / (d[i] - d[j]);
            const RegionVertex& p = poly[i];
            const RegionVertex& q = poly[j];
            const RegionVertex z{p.y + t * (q.y - p.y), p.x + t * (q.x - p.x), p.zBase + t * (q.zBase - p.zBase),
                                 p.zCur + t * (q.zCur - p.zCur)};
            if (clip.plusCount < 10) clip.plus[clip.plusCount++] = z;
            if (clip.minusCount < 10) clip.minus[clip.minusCount++] = z;
        }
    }
    double plusArea = 0, minusArea = 0;
    const double plusVolume = PolygonPrismVolume(clip.plus, clip.plusCount, &plusArea);
    const double minusVolume = PolygonPrismVolume(clip.minus, clip.minusCount, &minusArea);
    AddBySign(pair, plusVolume, plusArea);
    AddBySign(pair, minusVolume, minusArea);
    pair->overlapSum += plusArea + minusArea;
    return 1;
}

void WriteRegionRecord(TinVolumeRequest* request, const TinPairRecord& pair) {
    const TinClipBuffers& clip = g_tinClip;
    if (!request->regionFile || clip.overlapCount < 3) return;
    const bool split = clip.plusCount > 0 || clip.minusCount > 0;
    const RegionVertex* poly = clip.overlap;
    int32_t n = clip.overlapCount;
    double volume = 0, area = 0;
    if (request->regionMode == 1) {
        if (!(pair.plusVolume > 0)) return;
        if (split) {
            poly = clip.plus;
            n = clip.plusCount;
        }
        volume = pair.plusVolume;
        area = pair.plusArea;
    } else if (request->regionMode == 2) {
        if (!(pair.minusVolume < 0)) return;
        if (split) {
            poly = clip.minus;
            n = clip.minusCount;
        }
        volume = pair.minusVolume;
        area = pair.minusArea;
    } else {
        return;
    }
    // The record layout allows 3..7 vertices.
    if (n < 3 || n > 7) return;
    const int32_t count = pair.overlapSum > pair.area ? -n : n;
    std::string bytes;
    PutLeI32(bytes, count);
    PutLeF64(bytes, volume);
    PutLeF64(bytes, area);
    for (int32_t i = 0; i < n; ++i) {
        PutLeF64(bytes, poly[i].y);
        PutLeF64(bytes, poly[i].x);
        PutLeF64(bytes, poly[i].zBase);
        PutLeF64(bytes, poly[i].zCur);
    }
    if (!WriteAll(request->regionFile, bytes.data(), bytes.size())) return;
    ++(request->regionMode == 1 ? request->plusRegionCount : request->minusRegionCount);
}

bool DrawRegionPolygon(const RegionVertex* vertices, int32_t count, uint32_t color) {
    if (!g_backBufferPixels || count < 2) return false;
    int32_t cols[10], rows[10];
    for (int32_t i = 0; i < count && i < 10; ++i) {
        RandomPoint p{};
        p.x = vertices[i].x;
        p.y = vertices[i].y;
        p.z = vertices[i].zBase;
        ProjectRecord(p);
        if (p.hidden != 0) return false;
        cols[i] = g_viewportCenterX + p.screenX;
        rows[i] = g_viewportCenterY + p.screenY;
    }
    g_lineColor = color;
    for (int32_t i = 0, prev = count - 1; i < count; prev = i++) {
        g_lineX0 = cols[prev];
        g_lineY0 = rows[prev];
        g_lineX1 = cols[i];
        g_lineY1 = rows[i];
        DrawLine();
    }
    return true;
}

void DrawPairPolygons(const TinPairRecord& pair) {
    const TinClipBuffers& clip = g_tinClip;
    const bool over = pair.overlapSum > pair.area;
    auto pick = [&](uint32_t color) { return over ? 0xFFFFFFu : color; };
    if (clip.plusCount == 0 && clip.minusCount == 0) {
        const uint32_t color = pair.minusVolume < 0 ? 0xFF0000u : pair.plusVolume > 0 ? 0x00FF00u : 0x808080u;
        DrawRegionPolygon(clip.overlap, clip.overlapCount, pick(color));
        return;
    }
    DrawRegionPolygon(clip.plus, clip.plusCount, pick(pair.plusVolume > 0 ? 0x00FF00u : 0x808080u));
    DrawRegionPolygon(clip.minus, clip.minusCount, pick(pair.minusVolume < 0 ? 0xFF0000u : 0x808080u));
}

int32_t CalcTinToTinVolume(const std::filesystem::path& basePath, TinVolumeRequest* request) {
    TinVolumeRequest& q = *request;
    q.plusVolume = q.minusVolume = q.plusArea = q.minusArea = q.zeroArea = q.overhangArea = q.totalArea = 0;
    q.overhangCount = q.plusRegionCount = q.minusRegionCount = 0;
    Progress(request, "Base TIN-data reading...");

    std::vector<BaseTinRecord> records;
    std::vector<BasePoint> points;
    int32_t highest = 0;
    const int32_t recordCount = ReadBaseTinTriangles(basePath, &records, &highest);
    if (recordCount < 1) {
        ShowMessage("現況データの三角網ファイルが読めません。\n" + Companion(basePath, ".TRI").string(), "",
                    msg::kOk | msg::kIconWarning);
        return 0;
    }
    const int32_t pointCount = ReadBaseTinPoints(basePath, highest, &points);
    if (pointCount < 3 || pointCount < highest) {
        // Vertices beyond the point file's end would have no position.
        ShowMessage("現況データの点ファイルが読めないか、三角網が使う点が足りません。\n" +
                        Companion(basePath, ".RND").string(),
                    "", msg::kOk | msg::kIconWarning);
        return 0;
    }
    if (!g_tinEdges || g_tinEdgeCount < 1 || !g_points) return 0;

    std::vector<uint8_t> baseMarks, currentMarks;
    std::vector<BaseTinRecord> current;
    BaseCellIndex index;
    int32_t pairs = 0;
    bool broken = false;
    try {
        current.resize(static_cast<size_t>(g_tinEdgeCount) + 2);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& e = g_tinEdges[i];
            current[i] = {e.a, e.b, e.apexBack, e.apexSearch, 0};
        }
        current[g_tinEdgeCount + 1] = {-1, -1, -1, -1, -1};
        const int32_t currentKept =
            MarkTrianglesOnce(current.data(), g_pointCount, g_tinEdgeCount, &currentMarks, q.currentHoleOption);
        BuildBaseCellIndex(&index, points, &records, recordCount, q.baseHoleOption);
        const int32_t baseKept = MarkTrianglesOnce(records.data(), pointCount, recordCount, &baseMarks, q.baseHoleOption);
        if (currentKept == 0 || baseKept == 0) return 0;
    } catch (const std::bad_alloc&) {
        ReportNoMemory();
        return 0;
    }

    double extMinX = HUGE_VAL, extMaxX = -HUGE_VAL, extMinY = HUGE_VAL, extMaxY = -HUGE_VAL;
    for (int32_t i = 1; i <= pointCount; ++i) {
        extMinX = std::min(extMinX, points[i].x);
        extMaxX = std::max(extMaxX, points[i].x);
        extMinY = std::min(extMinY, points[i].y);
        extMaxY = std::max(extMaxY, points[i].y);
    }

    TinPairRecord pair;
    bool first = true;
    uint32_t lastReport = 0;
    std::array<std::array<double, 3>, 3> base{};
    auto visit = [&](int32_t r) {
        if (baseMarks[r] == 0) return;
        const BaseTinRecord& br = records[r];
        const int32_t v[3] = {std::abs(br.a), std::abs(br.b), std::abs(br.search)};
        for (int k = 0; k < 3; ++k) base[k] = {points[v[k]].x, points[v[k]].y, points[v[k]].z};
        pair.plusVolume = pair.minusVolume = 0;
        pair.plusArea = pair.minusArea = pair.zeroArea = 0;
        if (ClipTrianglePair(base, &pair) != 1 || g_tinClip.overlapCount < 3) return;
        ++pairs;
        q.plusVolume += pair.plusVolume;
        q.minusVolume += pair.minusVolume;
        q.plusArea += pair.plusArea;
        q.minusArea += pair.minusArea;
        q.zeroArea += pair.zeroArea;
        pair.coveredArea += pair.plusArea + pair.minusArea + pair.zeroArea;
        DrawPairPolygons(pair);
        if (q.regionFile && ((q.regionMode == 1 && pair.plusVolume > 0) || (q.regionMode == 2 && pair.minusVolume < 0)))
            WriteRegionRecord(request, pair);
    };
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        if (currentMarks[i] == 0) continue;
        const uint32_t now = TickCount();
        if (first || now - lastReport >= 300) {
            first = false;
            lastReport = now;
            Progress(request, FormatString(" %7d/ %7d", i, g_tinEdgeCount));
            RepaintView();
            if (IsKeyDown(key::kEscape)) {
                broken = true;
                break;
            }
        }
        const TinEdge& e = g_tinEdges[i];
        const int32_t v[3] = {std::abs(e.a), std::abs(e.b), std::abs(e.apexSearch)};
        for (int k = 0; k < 3; ++k) pair.v[k] = {g_points[v[k]].x, g_points[v[k]].y, g_points[v[k]].z};
        PrepareCurrentTriangle(&pair);
        pair.coveredArea = 0;
        if (pair.maxX < extMinX || pair.minX > extMaxX || pair.maxY < extMinY || pair.minY > extMaxY) continue;
        ComputeCellRange(index, &pair);
        for (int32_t r = index.offsets[kLargeCell]; r < index.offsets[kLargeCell + 1]; ++r) visit(r);
        for (int32_t row = pair.firstRow; row <= pair.lastRow; ++row)
            for (int32_t column = pair.firstColumn; column <= pair.lastColumn; ++column) {
                const int32_t code = row * kBaseCells + column;
                for (int32_t r = index.offsets[code]; r < index.offsets[code + 1]; ++r) visit(r);
            }
        if (pair.coveredArea > pair.area + 1e-6) {
            ++q.overhangCount;
            q.overhangArea += pair.coveredArea - pair.area;
        }
        q.totalArea += pair.area;
    }
    RepaintView();
    if (broken) {
        Progress(request, "ESC-Key Break");
        return -1;
    }
    return pairs;
}
