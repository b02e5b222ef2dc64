#include "section/section_calc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <new>
#include <numeric>
#include <vector>

#include "analysis/section_profile.h"
#include "contour/contour_files.h"
#include "model/geometry.h"
#include "model/le_bytes.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/profile_interpolation.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "shell/status_text.h"
#include "shell/work_files.h"
#include "volume/mesh_data.h"

const char* const kSectionCalcDoneQuestion = "縦横断計算終了。\n計算結果を保存しますか";
const char* const kNoStationsMessage = "測点がありません。\n先に路線を計算してください。";

int32_t g_simpleSectionCount = 0;

namespace {

bool g_useCrossingIndex = true;
constexpr int32_t kMaxSidePoints = 50000;
constexpr int32_t kHitBytes = 48;

// One record of the hit work files.
struct SectionHit {
    int32_t station;
    int32_t side;  // 0 centre, 1 left half, 2 right half, -1 left stake, -2 right stake
    int32_t source;
    double x, y, z;
    double offset;
};

void EncodeHit(const SectionHit& h, unsigned char* b) {
    std::memset(b, 0, kHitBytes);
    std::memcpy(b + 0, &h.station, 4);
    std::memcpy(b + 4, &h.side, 4);
    std::memcpy(b + 8, &h.source, 4);
    std::memcpy(b + 16, &h.x, 8);
    std::memcpy(b + 24, &h.y, 8);
    std::memcpy(b + 32, &h.z, 8);
    std::memcpy(b + 40, &h.offset, 8);
}

SectionHit DecodeHit(const unsigned char* b) {
    SectionHit h;
    std::memcpy(&h.station, b + 0, 4);
    std::memcpy(&h.side, b + 4, 4);
    std::memcpy(&h.source, b + 8, 4);
    std::memcpy(&h.x, b + 16, 8);
    std::memcpy(&h.y, b + 24, 8);
    std::memcpy(&h.z, b + 32, 8);
    std::memcpy(&h.offset, b + 40, 8);
    return h;
}

// The two work files of one calculation, checked on every write.
struct HitFiles {
    std::FILE* hits = nullptr;
    std::FILE* cross = nullptr;
    bool failed = false;
    int32_t crossCount = 0;

    bool Open() {
        std::remove(g_tempPath4.c_str());
        std::remove(g_tempPath5.c_str());
        hits = g_tempPath4.empty() ? nullptr : std::fopen(g_tempPath4.c_str(), "wb");
        cross = g_tempPath5.empty() ? nullptr : std::fopen(g_tempPath5.c_str(), "wb");
        if (hits && cross) return true;
        ShowMessage("作業ファイルを作成できません。\n" + (hits ? g_tempPath5 : g_tempPath4), "",
                    msg::kOk | msg::kIconError);
        Close();
        Remove();
        return false;
    }
    void Write(std::FILE* f, const SectionHit& h) {
        unsigned char b[kHitBytes];
        EncodeHit(h, b);
        if (std::fwrite(b, 1, kHitBytes, f) != kHitBytes) failed = true;
    }
    void Close() {
        if (hits && std::fclose(hits) != 0) failed = true;
        if (cross && std::fclose(cross) != 0) failed = true;
        hits = cross = nullptr;
    }
    static void Remove() {
        std::remove(g_tempPath4.c_str());
        std::remove(g_tempPath5.c_str());
    }
};

std::vector<SectionHit> ReadHits(const std::string& path) {
    std::vector<SectionHit> out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char b[kHitBytes];
    while (std::fread(b, 1, kHitBytes, f) == kHitBytes) out.push_back(DecodeHit(b));
    std::fclose(f);
    return out;
}

struct StationLine {
    double mx, my, lx, ly, rx, ry;
    double halfLeft, halfRight;
};

StationLine LineOf(int32_t i) {
    const StationRecord& s = g_stations[i];
    return {s.x, s.y, s.leftX, s.leftY, s.rightX, s.rightY, std::hypot(s.leftX - s.x, s.leftY - s.y),
            std::hypot(s.rightX - s.x, s.rightY - s.y)};
}

// A grid of the stations' cut lines (and centre-line legs) over the plan, so that a source
// element is tested only against the stations whose lines come near it. The candidates
// come out in station order, so the hits are written exactly as a scan of every pair would.
class StationGrid {
public:
    void Build(int32_t stations, bool withLegs) {
        m_stations = stations;
        m_minX = m_minY = 1e300;
        double maxX = -1e300, maxY = -1e300, sumSize = 0;
        std::vector<std::array<double, 4>>& boxes = m_boxes;
        boxes.assign(static_cast<size_t>(stations) + 1, {});
        for (int32_t i = 1; i <= stations; ++i) {
            const StationLine l = LineOf(i);
            double x0 = std::min({l.mx, l.lx, l.rx}), x1 = std::max({l.mx, l.lx, l.rx});
            double y0 = std::min({l.my, l.ly, l.ry}), y1 = std::max({l.my, l.ly, l.ry});
            if (withLegs && i < stations) {
                x0 = std::min(x0, g_stations[i + 1].x), x1 = std::max(x1, g_stations[i + 1].x);
                y0 = std::min(y0, g_stations[i + 1].y), y1 = std::max(y1, g_stations[i + 1].y);
            }
            boxes[i] = {x0 - kMargin, y0 - kMargin, x1 + kMargin, y1 + kMargin};
            m_minX = std::min(m_minX, boxes[i][0]), m_minY = std::min(m_minY, boxes[i][1]);
            maxX = std::max(maxX, boxes[i][2]), maxY = std::max(maxY, boxes[i][3]);
            sumSize += std::max(boxes[i][2] - boxes[i][0], boxes[i][3] - boxes[i][1]);
        }
        const double extent = std::max({maxX - m_minX, maxY - m_minY, 1.0});
        m_cell = std::max({sumSize / std::max(stations, 1) / 2, extent / 2048, 0.01});
        m_nx = static_cast<int32_t>((maxX - m_minX) / m_cell) + 1;
        m_ny = static_cast<int32_t>((maxY - m_minY) / m_cell) + 1;
        m_cells.assign(static_cast<size_t>(m_nx) * m_ny, {});
        for (int32_t i = 1; i <= stations; ++i) {
            int32_t c0, c1, r0, r1;
            Range(boxes[i][0], boxes[i][1], boxes[i][2], boxes[i][3], &c0, &r0, &c1, &r1);
            for (int32_t r = r0; r <= r1; ++r)
                for (int32_t c = c0; c <= c1; ++c) m_cells[static_cast<size_t>(r) * m_nx + c].push_back(i);
        }
        m_seen.assign(static_cast<size_t>(stations) + 1, 0);
    }

    // Stations whose box meets (x0, y0)-(x1, y1), in ascending order.
    const std::vector<int32_t>& Near(double x0, double y0, double x1, double y1) {
        m_found.clear();
        if (!g_useCrossingIndex) {
            for (int32_t i = 1; i <= m_stations; ++i) m_found.push_back(i);
            return m_found;
        }
        if (m_cells.empty()) return m_found;
        ++m_stamp;
        int32_t c0, c1, r0, r1;
        Range(x0 - kMargin, y0 - kMargin, x1 + kMargin, y1 + kMargin, &c0, &r0, &c1, &r1);
        if (c0 > c1 || r0 > r1) return m_found;
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t c = c0; c <= c1; ++c)
                for (int32_t i : m_cells[static_cast<size_t>(r) * m_nx + c]) {
                    if (m_seen[i] == m_stamp) continue;
                    m_seen[i] = m_stamp;
                    const std::array<double, 4>& b = m_boxes[i];
                    if (x1 + kMargin < b[0] || x0 - kMargin > b[2] || y1 + kMargin < b[1] || y0 - kMargin > b[3]) continue;
                    m_found.push_back(i);
                }
        std::sort(m_found.begin(), m_found.end());
        return m_found;
    }

private:
    static constexpr double kMargin = 0.01;
    // Cells covered by a box, clamped to the grid; c0 > c1 when it lies outside.
    void Range(double x0, double y0, double x1, double y1, int32_t* c0, int32_t* r0, int32_t* c1, int32_t* r1) const {
        auto cell = [&](double v, double origin, int32_t n) {
            const double f = std::floor((v - origin) / m_cell);
            if (!(f >= 0)) return f < 0 ? -1 : n;  // NaN counts as outside
            return f >= n ? n : static_cast<int32_t>(f);
        };
        const int32_t a0 = cell(x0, m_minX, m_nx), a1 = cell(x1, m_minX, m_nx);
        const int32_t b0 = cell(y0, m_minY, m_ny), b1 = cell(y1, m_minY, m_ny);
        *c0 = std::max(a0, 0), *c1 = std::min(a1, m_nx - 1);
        *r0 = std::max(b0, 0), *r1 = std::min(b1, m_ny - 1);
        if (a1 < 0 || a0 >= m_nx || b1 < 0 || b0 >= m_ny) *c1 = -1;
    }
    int32_t m_stations = 0;
    double m_minX = 0, m_minY = 0, m_cell = 1;
    int32_t m_nx = 0, m_ny = 0;
    std::vector<std::vector<int32_t>> m_cells;
    std::vector<std::array<double, 4>> m_boxes;
    std::vector<uint32_t> m_seen;
    uint32_t m_stamp = 0;
    std::vector<int32_t> m_found;
};

struct HitCounters {
    std::vector<int32_t> left, right;
};

bool AllocateCounters(HitCounters* c, int32_t stations) {
    try {
        c->left.assign(static_cast<size_t>(stations) + 2, 0);
    } catch (const std::bad_alloc&) {
        ShowMessage("縦横断計算作業用メモリ１が確保できませんでした。", "", msg::kOk | msg::kIconError);
        return false;
    }
    try {
        c->right.assign(static_cast<size_t>(stations) + 2, 0);
    } catch (const std::bad_alloc&) {
        ShowMessage("縦横断計算作業用メモリ２が確保できませんでした。", "", msg::kOk | msg::kIconError);
        return false;
    }
    return true;
}

void CountHit(HitCounters& c, const SectionHit& h) {
    if (h.side == 2 || h.side == -2) ++c.right[h.station];
    else ++c.left[h.station];
}

// A crossing of a half cut line: side 1 or 2, or the centre within 0.001.
SectionHit HalfHit(int32_t station, int32_t side, int32_t source, double x, double y, double z, double offset) {
    if (offset < 0.001) return {station, 0, source, x, y, z, 0.0};
    return {station, side, source, x, y, z, offset};
}

// Mesh nodes and (with points) mesh-section points lying on a cut line: each serves the
// first station whose line it lies on.
void MeshCrossings(HitFiles& files, HitCounters& counters, bool withSectionPoints) {
    auto test = [&](double x, double y, double z, int32_t source) {
        for (int32_t i = 1; i <= g_stationCount; ++i) {
            const StationLine l = LineOf(i);
            double d = 0, fx = 0, fy = 0;
            int cls = 0;
            const int r = PointToSegment(l.lx, l.ly, l.rx, l.ry, x, y, 0.001, &d, &fx, &fy, &cls);
            if (r != kGeomWithinTolerance) continue;
            const double fromLeft = std::hypot(x - l.lx, y - l.ly);
            const double offset = std::hypot(x - l.mx, y - l.my);
            const SectionHit h = HalfHit(i, fromLeft > l.halfLeft ? 2 : 1, source, x, y, z, offset);
            CountHit(counters, h);
            files.Write(files.hits, h);
            return;
        }
    };
    if (!g_meshNodes.Empty()) {
        const MeshNode* nodes = g_meshNodes.Data();
        for (int32_t row = 1; row <= g_meshRows; ++row)
            for (int32_t col = 1; col <= g_meshColumns; ++col) {
                const int32_t k = (row - 1) * g_meshColumns + col;
                if (k >= g_meshNodes.Size() || nodes[k].valid != 1) continue;
                test(nodes[k].x, nodes[k].y, nodes[k].z, k);
            }
    }
    if (withSectionPoints && !g_meshSectionBlock.Empty()) {
        const MeshNode* pts = g_meshSectionBlock.Data();
        for (int32_t k = 1; k <= g_meshSectionPointCount && k < g_meshSectionBlock.Size(); ++k)
            test(pts[k].x, pts[k].y, pts[k].z, -k);
    }
}

// A crossing of segment a-b with the centre line from station i to the next, away from
// both stations, for the CROSS list.
void LegCrossing(HitFiles& files, int32_t i, double ax, double ay, double za, double bx, double by, double zb) {
    if (g_calcLongCrossings != 1 || i >= g_stationCount) return;
    const StationRecord &here = g_stations[i], &next = g_stations[i + 1];
    double px = 0, py = 0;
    int none = 1;
    if (IntersectSegments(ax, ay, bx, by, here.x, here.y, next.x, next.y, 0, 0.0001, 0.0001, &px, &py, &none) !=
            kGeomOk ||
        none != 0)
        return;
    const double dm = std::hypot(px - here.x, py - here.y), dn = std::hypot(px - next.x, py - next.y);
    if (dm < 0.001 || dn < 0.001) return;
    const double ab = std::hypot(bx - ax, by - ay);
    const double z = ab > 0 ? za + (zb - za) * std::hypot(px - ax, py - ay) / ab : za;
    files.Write(files.cross, {i, 0, 0, px, py, z, here.addedDistance + dm});
    ++files.crossCount;
}

// The crossings of segment a-b (heights za, zb, or a fixed level) with station i's halves
// and, when asked, its centre-line leg.
void SegmentCrossings(HitFiles& files, HitCounters& counters, int32_t i, double ax, double ay, double za,
                      double bx, double by, double zb, bool withLeg) {
    const StationLine l = LineOf(i);
    const double ab = std::hypot(bx - ax, by - ay);
    auto heightAt = [&](double px, double py) {
        return ab > 0 ? za + (zb - za) * std::hypot(px - ax, py - ay) / ab : za;
    };
    for (int32_t side = 1; side <= 2; ++side) {
        const double ex = side == 1 ? l.lx : l.rx, ey = side == 1 ? l.ly : l.ry;
        double px = 0, py = 0;
        int none = 1;
        if (IntersectSegments(ax, ay, bx, by, l.mx, l.my, ex, ey, 0, 0.0001, 0.0001, &px, &py, &none) != kGeomOk ||
            none != 0)
            continue;
        const SectionHit h = HalfHit(i, side, 0, px, py, heightAt(px, py), std::hypot(px - l.mx, py - l.my));
        CountHit(counters, h);
        files.Write(files.hits, h);
    }
    if (withLeg) LegCrossing(files, i, ax, ay, za, bx, by, zb);
}

bool IsPlanPoint(int32_t p) {
    const char* n = g_points[p].name;
    if (n[0] != '_') return false;
    const char c = n[1];
    return c == 'C' || c == 'c' || c == 'F' || c == 'f' || c == 'N' || c == 'n' || c == 'H' || c == 'h';
}

void TinCrossings(HitFiles& files, HitCounters& counters, StationGrid& grid) {
    int32_t lastShown = 0;
    for (int32_t k = 1; k <= g_tinEdgeCount; ++k) {
        if (k - lastShown > 300) {
            lastShown = k;
            g_progressCounter = FormatRecordCounter(k, g_tinEdgeCount);
            RefreshRecordProgressWindow();
        }
        const TinEdge& e = g_tinEdges[k];
        const int32_t a = std::abs(e.a), b = std::abs(e.b), c = std::abs(e.apexSearch);
        if (a < 1 || b < 1 || c < 1 || a > g_pointCount || b > g_pointCount || c > g_pointCount) continue;
        if (g_planSurfaceOnly == 1 && !(IsPlanPoint(a) && IsPlanPoint(b))) continue;
        const RandomPoint &pa = g_points[a], &pb = g_points[b], &pc = g_points[c];
        const double tx[4] = {pa.x, pb.x, pc.x, pa.x}, ty[4] = {pa.y, pb.y, pc.y, pa.y};
        double area = 0;
        int orientation = 1;
        PolygonArea(tx, ty, 4, &area, &orientation);
        const std::vector<int32_t>& near = grid.Near(std::min({pa.x, pb.x, pc.x}), std::min({pa.y, pb.y, pc.y}),
                                                     std::max({pa.x, pb.x, pc.x}), std::max({pa.y, pb.y, pc.y}));
        bool planeMade = false, planeOk = false;
        PlaneCoefficients plane{};
        auto heightInside = [&](double x, double y, double* z) {
            int cls = 0;
            if (ClassifyPointInPolygon(orientation, tx, ty, 4, x, y, 0.0001, &cls) != kGeomOk || cls != kPolygonInside)
                return false;
            if (!planeMade) {
                planeMade = true;
                PointTriple3D t{};
                t[1] = {0, pa.x, pb.x, pc.x};
                t[2] = {0, pa.y, pb.y, pc.y};
                t[3] = {0, pa.z, pb.z, pc.z};
                planeOk = PlaneFrom3Points(t, 0.0001, 0.000001, &plane) == kGeomOk;
            }
            if (!planeOk) return false;
            Point3D p{};
            if (IntersectLinePlane({0, x, y, 0}, {0, x, y, 5000}, plane, 0.0001, 0.000001, &p) != kGeomOk) return false;
            *z = p[3];
            return true;
        };
        for (int32_t i : near) {
            const StationLine l = LineOf(i);
            SegmentCrossings(files, counters, i, pa.x, pa.y, pa.z, pb.x, pb.y, pb.z, false);
            double z = 0;
            if (heightInside(l.mx, l.my, &z)) {
                const SectionHit h{i, 0, 0, l.mx, l.my, z, 0.0};
                CountHit(counters, h);
                files.Write(files.hits, h);
            }
            if (heightInside(l.lx, l.ly, &z)) {
                const SectionHit h{i, -1, 0, l.lx, l.ly, z, l.halfLeft};
                CountHit(counters, h);
                files.Write(files.hits, h);
            }
            if (heightInside(l.rx, l.ry, &z)) {
                const SectionHit h{i, -2, 0, l.rx, l.ry, z, l.halfRight};
                CountHit(counters, h);
                files.Write(files.hits, h);
            }
            LegCrossing(files, i, pa.x, pa.y, pa.z, pb.x, pb.y, pb.z);
        }
    }
}

// The profile header of station i, both sets empty.
void ProfileHeaderFromStation(int32_t i) {
    const StationRecord& s = g_stations[i];
    g_profile.number = i;
    CopySectionName(g_profile.name, sizeof g_profile.name, s.name);
    g_profile.distance = s.addedDistance;
    g_profile.height = kNoProfileHeight;
    g_profile.height2 = 0;
    g_profile.x = s.x;
    g_profile.y = s.y;
    auto unit = [&](double dx, double dy, double* ux, double* uy) {
        const double d = std::hypot(dx, dy);
        if (d < 0.001) *ux = dx, *uy = dy;
        else *ux = dx / d, *uy = dy / d;
    };
    unit(s.leftX - s.x, s.leftY - s.y, &g_profile.leftDirX, &g_profile.leftDirY);
    unit(s.rightX - s.x, s.rightY - s.y, &g_profile.rightDirX, &g_profile.rightDirY);
    g_profile.left.count = 0;
    g_profile.right.count = 0;
}

void AddUnlessRepeated(ProfileSide& side, const SectionHit& h) {
    if (side.count >= kMaxSidePoints) return;
    for (int32_t j = 1; j <= side.count; ++j)
        if (std::fabs(side.dist[j] - h.offset) <= 0.001 && std::fabs(side.z[j] - h.z) <= 0.001) return;
    const int32_t n = ++side.count;
    side.dist[n] = h.offset, side.z[n] = h.z, side.x[n] = h.x, side.y[n] = h.y, side.tag[n] = h.source;
}

void SortSide(ProfileSide& s) {
    const int32_t n = s.count;
    std::vector<int32_t> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return s.dist[a] < s.dist[b]; });
    std::vector<double> d(n), z(n), x(n), y(n);
    std::vector<int32_t> t(n);
    for (int32_t j = 0; j < n; ++j) {
        const int32_t k = order[j];
        d[j] = s.dist[k], z[j] = s.z[k], x[j] = s.x[k], y[j] = s.y[k], t[j] = s.tag[k];
    }
    for (int32_t j = 0; j < n; ++j)
        s.dist[j + 1] = d[j], s.z[j + 1] = z[j], s.x[j + 1] = x[j], s.y[j + 1] = y[j], s.tag[j + 1] = t[j];
}

// Centre height from the nearest points; returns centreEstimated as the TIN rule has it
// (1 when one side or none supplied it).
int32_t CentreHeightFromSides() {
    const ProfileSide &l = g_profile.left, &r = g_profile.right;
    if (l.count > 0 && r.count > 0) {
        const double den = r.dist[1] + l.dist[1];
        g_profile.height = den != 0 ? l.z[1] + (r.z[1] - l.z[1]) * l.dist[1] / den : l.z[1];
        return 0;
    }
    if (l.count > 0) g_profile.height = l.z[1];
    else if (r.count > 0) g_profile.height = r.z[1];
    else g_profile.height = 0;
    return 1;
}

void SetCentreEntries() {
    for (ProfileSide* s : {&g_profile.left, &g_profile.right}) {
        s->dist[0] = 0, s->z[0] = g_profile.height, s->x[0] = g_profile.x, s->y[0] = g_profile.y, s->tag[0] = 0;
    }
}

void CopyRightToLeft() {
    const int32_t n = g_profile.right.count;
    ProfileSide &l = g_profile.left, &r = g_profile.right;
    for (int32_t j = 0; j <= n; ++j)
        l.dist[j] = r.dist[j], l.z[j] = r.z[j], l.x[j] = r.x[j], l.y[j] = r.y[j], l.tag[j] = r.tag[j];
    l.count = n;
}

std::string MeshPointName(int32_t tag) {
    if (tag > 0 && !g_meshNodes.Empty() && tag < g_meshNodes.Size()) {
        const MeshNode& n = g_meshNodes.Data()[tag];
        return MeshLineName(n.column, g_meshStationNameStyleV) + "-" + MeshLineName(n.row, g_meshStationNameStyleH);
    }
    if (tag < 0 && !g_meshSectionBlock.Empty() && -tag < g_meshSectionBlock.Size()) {
        const MeshNode& n = g_meshSectionBlock.Data()[-tag];
        return MeshLineName(n.column, g_meshStationNameStyleV) + "-" + MeshLineName(n.row, g_meshStationNameStyleH) +
               FormatString("+%.3f", n.planZ);
    }
    return "";
}

struct StoreOptions {
    bool intervalMode = false;
    bool curve = false;
    int32_t useGiven = 1;
    double givenTolerance = 0;
    bool nameMeshPoints = false;
    bool nameSectionPoints = true;  // mesh-section points as well as nodes
};

struct PendingPoint {
    double height, offset, x, y;
    std::string name;
};

std::vector<PendingPoint> SidePoints(int32_t side, double half, const StoreOptions& o) {
    const ProfileSide& s = side == 0 ? g_profile.left : g_profile.right;
    const double ux = side == 0 ? g_profile.leftDirX : g_profile.rightDirX;
    const double uy = side == 0 ? g_profile.leftDirY : g_profile.rightDirY;
    const double sign = side == 0 ? -1 : 1;
    std::vector<PendingPoint> out;
    if (o.intervalMode) {
        const double step = g_crossSectionInterval;
        if (!(half > 0)) return out;
        for (double d = 0;;) {
            d += step;
            // A side holds at most as many points as a profile set: a spacing far below the
            // half length ends at the stake instead of filling memory.
            if (!(step > 0) || d >= half || static_cast<int32_t>(out.size()) >= kMaxSidePoints) {
                const int32_t n = std::max(s.count, 0);
                out.push_back({s.z[n], sign * s.dist[n], s.x[n], s.y[n], ""});
                break;
            }
            double h = 0;
            const int32_t found = o.curve ? InterpolateProfileCurve(o.useGiven, side, o.givenTolerance, d, &h)
                                          : InterpolateProfileHeight(side, d, &h);
            if (found) out.push_back({h, sign * d, g_profile.x + d * ux, g_profile.y + d * uy, ""});
        }
        return out;
    }
    for (int32_t j = 1; j <= s.count; ++j) {
        std::string name;
        if (o.nameMeshPoints && s.tag[j] != 0 && (o.nameSectionPoints || s.tag[j] > 0)) name = MeshPointName(s.tag[j]);
        out.push_back({s.z[j], sign * s.dist[j], s.x[j], s.y[j], name});
    }
    return out;
}

// Writes g_profile into CrossSection i. False (after a message) when memory fails; the
// record then keeps what it held.
bool StoreProfileAsSection(int32_t i, int32_t centreEstimated, int32_t margin, int32_t step, const StoreOptions& o) {
    const StationLine l = LineOf(i);
    std::vector<PendingPoint> left, right;
    try {
        left = SidePoints(0, l.halfLeft, o);
        right = SidePoints(1, l.halfRight, o);
    } catch (const std::bad_alloc&) {
        ShowMessage("メモリ確保に失敗しました。(1)", "", msg::kOk | msg::kIconError);
        return false;
    }
    if (!EnsureCrossSectionRoom(i, margin, step)) return false;
    CrossSection* s = GetCrossSection(i);
    const int32_t n = static_cast<int32_t>(std::max(left.size(), right.size()));
    if (s == nullptr || !ReserveSectionPoints(s, n)) {
        ShowMessage("メモリ確保に失敗しました。(1)", "", msg::kOk | msg::kIconError);
        return false;
    }
    CopySectionName(s->name, kSectionNameBytes, g_profile.name);
    s->distance = g_profile.distance;
    s->height = g_profile.height;
    s->height2 = g_profile.height2;
    s->number = i;
    s->centreEstimated = centreEstimated;
    s->centreX = g_profile.x, s->centreY = g_profile.y;
    s->leftDirX = g_profile.leftDirX, s->leftDirY = g_profile.leftDirY;
    s->rightDirX = g_profile.rightDirX, s->rightDirY = g_profile.rightDirY;
    for (size_t j = 0; j < left.size(); ++j) {
        SectionPoint& p = s->points[j + 1];
        p.leftHeight = left[j].height, p.leftOffset = left[j].offset, p.leftX = left[j].x, p.leftY = left[j].y;
        p.leftNamed = left[j].name.empty() ? 0 : 1;
        CopySectionName(p.leftName, kSectionNameBytes, left[j].name.c_str());
    }
    for (size_t j = 0; j < right.size(); ++j) {
        SectionPoint& p = s->points[j + 1];
        p.rightHeight = right[j].height, p.rightOffset = right[j].offset, p.rightX = right[j].x, p.rightY = right[j].y;
        p.rightNamed = right[j].name.empty() ? 0 : 1;
        CopySectionName(p.rightName, kSectionNameBytes, right[j].name.c_str());
    }
    s->leftCount = static_cast<int32_t>(left.size());
    s->rightCount = static_cast<int32_t>(right.size());
    s->extraBlocks = SectionExtraBlocks(s->leftCount, s->rightCount);
    return true;
}

// Builds the CROSS list from the centre-line crossings and the stations.
void BuildLongCrossings(int32_t crossCount) {
    g_longCrossingCount = 0;
    if (g_calcLongCrossings != 1 || (g_stationCount < 1 && crossCount < 1)) return;
    if (g_longCrossingCapacity > 0) GrowLongCrossingBlock(0);
    const int32_t old = g_longCrossingCapacity;
    g_longCrossingCapacity = g_stationCount + crossCount + 20;
    if (GrowLongCrossingBlock(g_longCrossingCapacity) != 0) {
        g_longCrossingCapacity = old > 0 ? 0 : 0;
        return;
    }
    int32_t n = 0;
    for (const SectionHit& h : ReadHits(g_tempPath5)) {
        if (n >= g_longCrossingCapacity) break;
        LongCrossing& c = g_longCrossings[++n];
        c = LongCrossing{};
        c.distance = h.offset, c.height = h.z, c.height2 = h.z, c.x = h.x, c.y = h.y, c.station = -1;
    }
    for (int32_t i = 1; i <= g_stationCount && n < g_longCrossingCapacity; ++i) {
        LongCrossing& c = g_longCrossings[++n];
        c = LongCrossing{};
        const StationRecord& s = g_stations[i];
        c.distance = s.addedDistance, c.height = s.groundZ, c.height2 = 0, c.x = s.x, c.y = s.y, c.station = i;
        CopySectionName(c.name, sizeof c.name, s.name);
    }
    std::stable_sort(g_longCrossings.begin() + 1, g_longCrossings.begin() + 1 + n,
                     [](const LongCrossing& a, const LongCrossing& b) { return a.distance < b.distance; });
    g_longCrossingCount = n;
}

bool HaveStations() {
    if (g_stationCount >= 1 && g_stations != nullptr) return true;
    ShowMessage(kNoStationsMessage, "", msg::kOk | msg::kIconInformation);
    return false;
}

int32_t AskToSave() { return ShowMessage(kSectionCalcDoneQuestion, "", msg::kYesNo | msg::kIconQuestion); }

enum class CalcSource { kTin, kContours };

// The section phase shared by the TIN and the contour calculations.
void SectionPhase(CalcSource kind, int32_t source, const HitCounters& counters, double contourInterval) {
    g_progressCaption = "交点データを縦横断データに変換中";
    std::vector<SectionHit> hits = ReadHits(g_tempPath4);
    std::stable_sort(hits.begin(), hits.end(), [](const SectionHit& a, const SectionHit& b) { return a.station < b.station; });
    size_t next = 0;
    g_sectionViewCount = 0;
    StoreOptions o;
    o.intervalMode = g_sectionIntervalMode == 1;
    o.curve = g_sectionInterpolation == 1;
    o.nameMeshPoints = true;
    if (kind == CalcSource::kContours) {
        o.useGiven = 0;
        o.givenTolerance = contourInterval;
        o.nameSectionPoints = false;
    }
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        g_progressCounter = FormatRecordCounter(i, g_stationCount);
        RefreshRecordProgressWindow();
        ProfileHeaderFromStation(i);
        while (next < hits.size() && hits[next].station < i) ++next;
        if (counters.left[i] > 0 || counters.right[i] > 0) {
            for (size_t k = next; k < hits.size() && hits[k].station == i; ++k) {
                const SectionHit& h = hits[k];
                if (h.side == 0) g_profile.height = h.z;
                else if (h.side == 1 || h.side == -1) AddUnlessRepeated(g_profile.left, h);
                else if (h.side == 2 || h.side == -2) AddUnlessRepeated(g_profile.right, h);
            }
        }
        SortSide(g_profile.left);
        SortSide(g_profile.right);
        int32_t estimated = 0;
        if (g_profile.height == kNoProfileHeight) {
            estimated = CentreHeightFromSides();
            if (kind == CalcSource::kContours)
                estimated = g_profile.left.count == 0 && g_profile.right.count == 0 ? 1 : 0;
        }
        SetCentreEntries();
        const StationLine l = LineOf(i);
        if (kind == CalcSource::kTin && source == 0 && g_sectionIntervalMode == 0 && g_followSurface == 1) {
            const double keep = g_profile.height;
            CutTinProfile(l.mx, l.my, l.lx, l.ly, 1);
            CopyRightToLeft();
            g_profile.height = keep;
            CutTinProfile(l.mx, l.my, l.rx, l.ry, 1);
            g_profile.x = l.mx, g_profile.y = l.my;
            SetCentreEntries();
        }
        if (kind == CalcSource::kContours && source == 0) {
            // Each side reaches its stake.
            for (int32_t side = 0; side < 2; ++side) {
                ProfileSide& s = side == 0 ? g_profile.left : g_profile.right;
                const double half = side == 0 ? l.halfLeft : l.halfRight;
                if (s.count >= kMaxSidePoints) continue;
                if (s.count == 0 || s.dist[s.count] < half) {
                    const double z = s.count == 0 ? g_profile.height : s.z[s.count];
                    const int32_t n = ++s.count;
                    s.dist[n] = half, s.z[n] = z, s.tag[n] = 0;
                    s.x[n] = side == 0 ? l.lx : l.rx;
                    s.y[n] = side == 0 ? l.ly : l.ry;
                }
            }
        }
        g_stations[i].groundZ = g_profile.height;
        const int32_t margin = kind == CalcSource::kTin ? 160 : 10;
        if (!StoreProfileAsSection(i, estimated, margin, 200, o)) break;
        ++g_sectionViewCount;
        g_crossSectionCount = i;
    }
}

void FinishCalc(HitFiles& files) {
    BuildLongCrossings(files.crossCount);
    CloseRecordProgressWindow();
}

}  // namespace

void SetSectionCrossingIndex(bool on) { g_useCrossingIndex = on; }

int32_t CalcSectionsFromTin(int32_t source) {
    if (!HaveStations()) return kSectionCalcNotStarted;
    HitCounters counters;
    if (!AllocateCounters(&counters, g_stationCount)) return kSectionCalcNotStarted;
    HitFiles files;
    if (!files.Open()) return kSectionCalcNotStarted;
    if (source != 0) MeshCrossings(files, counters, true);
    g_progressCaption = "三角網と路線の交点計算中";
    g_progressCounter.clear();
    OpenRecordProgressWindow();
    if (source != -1) {
        StationGrid grid;
        grid.Build(g_stationCount, g_calcLongCrossings == 1);
        TinCrossings(files, counters, grid);
    }
    files.Close();
    if (files.failed) {
        CloseRecordProgressWindow();
        HitFiles::Remove();
        ShowMessage("作業ファイルに書き込めません。\n" + g_tempPath4, "", msg::kOk | msg::kIconError);
        return kSectionCalcNotStarted;
    }
    SectionPhase(CalcSource::kTin, source, counters, 0);
    FinishCalc(files);
    const int32_t answer = AskToSave();
    HitFiles::Remove();
    g_hasSections = 1;
    RecalcSectionExtents();
    return answer;
}

int32_t CalcSectionsFromContours(int32_t source) {
    std::FILE* contours = g_contourLinesPath.empty() ? nullptr : std::fopen(g_contourLinesPath.c_str(), "rb");
    if (contours == nullptr && source != -1) {
        ShowMessage("等高線データファイルが見つかりません。", "", msg::kOk | msg::kIconError);
        return kSectionCalcNotStarted;
    }
    auto closeContours = [&] {
        if (contours) std::fclose(contours);
        contours = nullptr;
    };
    if (!HaveStations()) {
        closeContours();
        return kSectionCalcNotStarted;
    }
    HitCounters counters;
    if (!AllocateCounters(&counters, g_stationCount)) {
        closeContours();
        return kSectionCalcNotStarted;
    }
    HitFiles files;
    if (!files.Open()) {
        closeContours();
        return kSectionCalcNotStarted;
    }
    if (source != 0) MeshCrossings(files, counters, false);
    g_progressCaption = "等高線と路線の交点計算中";
    g_progressCounter.clear();
    OpenRecordProgressWindow();
    double firstLevel = 0, interval = 0;
    bool haveFirst = false;
    if (source != -1 && contours) {
        StationGrid grid;
        grid.Build(g_stationCount, g_calcLongCrossings == 1);
        std::vector<double> xs, ys;
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
            g_progressCounter = FormatString("標高値[%10.3lf]", level);
            RefreshRecordProgressWindow();
            if (!haveFirst) haveFirst = true, firstLevel = level;
            else if (interval == 0 && std::fabs(level - firstLevel) > 0.00001) interval = std::fabs(level - firstLevel);
            for (int32_t k = 0; k + 1 < n; ++k) {
                const std::vector<int32_t>& near = grid.Near(std::min(xs[k], xs[k + 1]), std::min(ys[k], ys[k + 1]),
                                                             std::max(xs[k], xs[k + 1]), std::max(ys[k], ys[k + 1]));
                for (int32_t i : near)
                    SegmentCrossings(files, counters, i, xs[k], ys[k], level, xs[k + 1], ys[k + 1], level, true);
            }
        }
    }
    closeContours();
    files.Close();
    if (files.failed) {
        CloseRecordProgressWindow();
        HitFiles::Remove();
        ShowMessage("作業ファイルに書き込めません。\n" + g_tempPath4, "", msg::kOk | msg::kIconError);
        return kSectionCalcNotStarted;
    }
    SectionPhase(CalcSource::kContours, source, counters, interval);
    FinishCalc(files);
    const int32_t answer = AskToSave();
    HitFiles::Remove();
    g_hasSections = 1;
    RecalcSectionExtents();
    return answer;
}

int32_t CalcSectionsFromPoints() {
    if (!HaveStations()) return kSectionCalcNotStarted;
    g_profile.left.count = 0;
    g_profile.right.count = 0;
    g_hasSections = 0;
    g_sectionViewCount = 0;
    ClearCrossSections();
    StoreOptions o;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        SetStatusText(FormatString(" %3d / %3d", i, g_stationCount));
        ProfileHeaderFromStation(i);
        const StationLine l = LineOf(i);
        CollectBandPoints(l.mx, l.my, l.lx, l.ly);
        CopyRightToLeft();
        CollectBandPoints(l.mx, l.my, l.rx, l.ry);
        g_profile.x = l.mx, g_profile.y = l.my;
        const int32_t estimated = CentreHeightFromSides();
        const int32_t centreEstimated = g_profile.left.count == 0 && g_profile.right.count == 0 ? 1 : 0;
        (void)estimated;
        SetCentreEntries();
        g_stations[i].groundZ = g_profile.height;
        if (!StoreProfileAsSection(i, centreEstimated, 400, 800, o)) break;
        ++g_sectionViewCount;
        g_crossSectionCount = i;
    }
    if (g_longCrossingCapacity > 0) GrowLongCrossingBlock(0);
    g_longCrossingCapacity = 0;
    g_longCrossingCount = 0;
    g_profile.left.count = 0;
    g_profile.right.count = 0;
    g_hasSections = 1;
    RecalcSectionExtents();
    SetStatusText("");
    return AskToSave();
}

// ---- simple sections ------------------------------------------------------------------

namespace {

// Offsets of the records in the work file, by number; each record is written compactly:
// the header, both counts and the counted entries (entry 0 included) of both sets.
std::vector<long> g_simpleOffsets;

bool WriteAll(std::FILE* f, const void* p, size_t n) { return std::fwrite(p, 1, n, f) == n; }
bool ReadAll(std::FILE* f, void* p, size_t n) { return std::fread(p, 1, n, f) == n; }

bool WriteSide(std::FILE* f, const ProfileSide& s) {
    const int32_t n = std::min(std::abs(s.count), kProfileMaxPoints);
    bool ok = WriteAll(f, &s.count, 4);
    for (int32_t j = 0; j <= n && ok; ++j) {
        ok = WriteAll(f, &s.tag[j], 4) && WriteAll(f, &s.dist[j], 8) && WriteAll(f, &s.z[j], 8) &&
             WriteAll(f, &s.x[j], 8) && WriteAll(f, &s.y[j], 8);
    }
    return ok;
}

bool ReadSide(std::FILE* f, ProfileSide& s) {
    int32_t count = 0;
    if (!ReadAll(f, &count, 4) || count < -kProfileMaxPoints || count > kProfileMaxPoints) return false;
    const int32_t n = std::abs(count);
    for (int32_t j = 0; j <= n; ++j)
        if (!(ReadAll(f, &s.tag[j], 4) && ReadAll(f, &s.dist[j], 8) && ReadAll(f, &s.z[j], 8) &&
              ReadAll(f, &s.x[j], 8) && ReadAll(f, &s.y[j], 8)))
            return false;
    s.count = count;
    return true;
}

}  // namespace

bool ResetSimpleSections() {
    g_simpleSectionCount = 0;
    g_simpleOffsets.clear();
    std::remove(g_sectionTempPath.c_str());
    std::FILE* f = g_sectionTempPath.empty() ? nullptr : std::fopen(g_sectionTempPath.c_str(), "wb");
    if (f == nullptr) {
        ShowMessage("作業ファイルを作成できません。\n" + g_sectionTempPath, "", msg::kOk | msg::kIconError);
        return false;
    }
    std::fclose(f);
    return true;
}

bool AppendSimpleSection() {
    std::FILE* f = std::fopen(g_sectionTempPath.c_str(), "ab");
    if (f == nullptr) return false;
    std::fseek(f, 0, SEEK_END);
    const long at = std::ftell(f);
    const SectionProfile& p = g_profile;
    bool ok = WriteAll(f, &p.number, 4) && WriteAll(f, p.name, sizeof p.name);
    for (double v : {p.distance, p.height, p.height2, p.x, p.y, p.leftDirX, p.leftDirY, p.rightDirX, p.rightDirY})
        ok = ok && WriteAll(f, &v, 8);
    ok = ok && WriteSide(f, p.left) && WriteSide(f, p.right);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) return false;
    g_simpleOffsets.push_back(at);
    g_simpleSectionCount = static_cast<int32_t>(g_simpleOffsets.size());
    return true;
}

bool ReadSimpleSection(int32_t k) {
    if (k < 1 || k > g_simpleSectionCount || k > static_cast<int32_t>(g_simpleOffsets.size())) return false;
    std::FILE* f = std::fopen(g_sectionTempPath.c_str(), "rb");
    if (f == nullptr) return false;
    bool ok = std::fseek(f, g_simpleOffsets[k - 1], SEEK_SET) == 0;
    SectionProfile& p = g_profile;
    ok = ok && ReadAll(f, &p.number, 4) && ReadAll(f, p.name, sizeof p.name);
    p.name[sizeof p.name - 1] = '\0';
    for (double* v : {&p.distance, &p.height, &p.height2, &p.x, &p.y, &p.leftDirX, &p.leftDirY, &p.rightDirX,
                      &p.rightDirY})
        ok = ok && ReadAll(f, v, 8);
    ok = ok && ReadSide(f, p.left) && ReadSide(f, p.right);
    std::fclose(f);
    return ok;
}

int32_t CalcSimpleSections() {
    if (!HaveStations()) return kSectionCalcNotStarted;
    if (!ResetSimpleSections()) return kSectionCalcNotStarted;
    g_progressCaption = "";
    g_progressCounter.clear();
    OpenRecordProgressWindow();
    // The pieces of one record: near end (left set) and far end (right set) with signed
    // distances.
    struct Piece {
        double d1, z1, x1, y1, d2, z2, x2, y2;
    };
    bool writeFailed = false;
    for (int32_t i = 1; i <= g_stationCount; ++i) {
        g_progressCounter = FormatRecordCounter(i, g_stationCount);
        RefreshRecordProgressWindow();
        ProfileHeaderFromStation(i);
        // The header alone (the whole record is megabytes): the cuts below overwrite it.
        unsigned char header[offsetof(SectionProfile, left)];
        std::memcpy(header, &g_profile, sizeof header);
        const StationLine l = LineOf(i);
        std::vector<Piece> pieces;
        auto takePieces = [&](double sign) {
            std::vector<Piece> got;
            const int32_t n = g_profile.right.count;
            for (int32_t k = 1; k <= n; ++k) {
                const ProfileSide &a = g_profile.left, &b = g_profile.right;
                got.push_back({sign * a.dist[k], a.z[k], a.x[k], a.y[k], sign * b.dist[k], b.z[k], b.x[k], b.y[k]});
            }
            return got;
        };
        CutTinProfile(l.mx, l.my, l.lx, l.ly, 0);
        std::vector<Piece> leftPieces = takePieces(-1);
        pieces.assign(leftPieces.rbegin(), leftPieces.rend());
        CutTinProfile(l.mx, l.my, l.rx, l.ry, 0);
        for (const Piece& p : takePieces(1)) pieces.push_back(p);
        std::memcpy(static_cast<void*>(&g_profile), header, sizeof header);
        const int32_t n = static_cast<int32_t>(std::min<size_t>(pieces.size(), kProfileMaxPoints));
        double best = kNoProfileHeight, nearest = 0, nearestD = -1;
        bool atCentre = false;
        for (int32_t k = 0; k < n; ++k) {
            const Piece& p = pieces[k];
            ProfileSide &a = g_profile.left, &b = g_profile.right;
            a.dist[k + 1] = p.d1, a.z[k + 1] = p.z1, a.x[k + 1] = p.x1, a.y[k + 1] = p.y1, a.tag[k + 1] = 0;
            b.dist[k + 1] = p.d2, b.z[k + 1] = p.z2, b.x[k + 1] = p.x2, b.y[k + 1] = p.y2, b.tag[k + 1] = 0;
            for (const auto& [d, z] : {std::pair{p.d1, p.z1}, std::pair{p.d2, p.z2}}) {
                if (std::fabs(d) <= 0.001) {
                    if (!atCentre || z > best) best = z;
                    atCentre = true;
                }
                if (nearestD < 0 || std::fabs(d) < nearestD) nearestD = std::fabs(d), nearest = z;
            }
        }
        g_profile.right.count = n;
        g_profile.left.count = -n;
        if (atCentre) g_profile.height = best;
        else if (n > 0) g_profile.height = nearest;
        if (!AppendSimpleSection()) {
            writeFailed = true;
            break;
        }
    }
    CloseRecordProgressWindow();
    if (writeFailed) {
        ShowMessage("作業ファイルに書き込めません。\n" + g_sectionTempPath, "", msg::kOk | msg::kIconError);
        return kSectionCalcNotStarted;
    }
    return AskToSave();
}
