#include "exchange/digital_map_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "contour/contour_dialog.h"
#include "exchange/delimited_text.h"
#include "model/document_services.h"
#include "model/file_report.h"
#include "model/geodesy.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

// The bytes of 1-based columns [from, to] that the line has.
std::string_view Columns(std::string_view line, size_t from, size_t to) {
    if (from > line.size()) return {};
    return line.substr(from - 1, std::min(to, line.size()) - from + 1);
}

// atoi / atof of a field: leading blanks, a sign, digits; 0 when there is no number.
int32_t FieldInt(std::string_view text) {
    const std::string s(text);
    return static_cast<int32_t>(std::strtol(s.c_str(), nullptr, 10));
}
double FieldDouble(std::string_view text) {
    const std::string s(text);
    const double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

struct Plane {
    double x = 0, y = 0;
};
struct LatLon {
    double lat = 0, lon = 0;
};

double Degrees(const double dms[3]) { return dms[0] + dms[1] / 60.0 + dms[2] / 3600.0; }

// P(r, c) with r, c from 1.
struct Grid {
    int32_t n, m;
    int32_t P(int32_t r, int32_t c) const { return (r - 1) * n + c; }
};

// The projection of one import: source and target ellipsoids, the shift between them.
struct Projection {
    Ellipsoid target;
    Ellipsoid source;
    HelmertParams shift;
    bool convert = false;
    double originLat = 0, originLon = 0;

    Plane ToPlane(LatLon& g) const {
        if (convert) shift.ShiftDatum(source, target, g.lat, g.lon);
        Plane p;
        target.GeographicToPlane(p.x, p.y, originLat, originLon, g.lat, g.lon);
        return p;
    }
    Plane Project(const LatLon& g) const {
        Plane p;
        target.GeographicToPlane(p.x, p.y, originLat, originLon, g.lat, g.lon);
        return p;
    }
};

// The zone dialog as the import's caller runs it; without one, as if OK were pressed.
bool AskZone(ZoneSelectValues& values) {
    if (ImportZoneDialogInstalled()) return RunImportZoneDialog(values);
    const ZoneDialogControls controls = OpenZoneSelect(values);
    AcceptZoneSelect(values, controls);
    return true;
}

// The four corners: [0] south-west, [1] south-east, [2] north-west, [3] north-east.
enum Corner { kSW, kSE, kNW, kNE };

// Each corner moves half a cell inward, along the rows and then along the columns. The
// steps keep their sign: rows of one latitude fall in X on one side of the zone's central
// meridian and rise on the other, and a step taken without its sign would put the west
// column a whole cell's fall away from its cell centres there.
void InsetCorners(Plane c[4], int32_t n, int32_t m) {
    for (auto [w, e] : {std::pair{kSW, kSE}, std::pair{kNW, kNE}}) {
        const double dx = (c[e].x - c[w].x) / n, dy = (c[e].y - c[w].y) / n;
        c[w].x += dx / 2, c[w].y += dy / 2;
        c[e].x -= dx / 2, c[e].y -= dy / 2;
    }
    for (auto [s, no] : {std::pair{kSW, kNW}, std::pair{kSE, kNE}}) {
        const double dx = (c[no].x - c[s].x) / m, dy = (c[no].y - c[s].y) / m;
        c[s].x += dx / 2, c[s].y += dy / 2;
        c[no].x -= dx / 2, c[no].y -= dy / 2;
    }
}

// The north and south rows from column 2 onward onto the projected cell centres, the inner
// rows of the inner columns onto the straight lines between them.
void RefineRows(std::vector<RandomPoint>& pts, const Grid& g, const LatLon ll[4], const Projection& proj) {
    const int32_t n = g.n, m = g.m;
    const double dLatS = std::fabs(ll[kSE].lat - ll[kSW].lat) / n, dLonS = std::fabs(ll[kSE].lon - ll[kSW].lon) / n;
    const double dLatN = std::fabs(ll[kNE].lat - ll[kNW].lat) / n, dLonN = std::fabs(ll[kNE].lon - ll[kNW].lon) / n;
    const double hLat = std::fabs(ll[kNW].lat - ll[kSW].lat) / (2.0 * m);
    const double hLon = std::fabs(ll[kNW].lon - ll[kSW].lon) / (2.0 * m);
    const LatLon north{ll[kNW].lat + dLatN / 2 - hLat, ll[kNW].lon + dLonN / 2 - hLon};
    const LatLon south{ll[kSW].lat + dLatS / 2 + hLat, ll[kSW].lon + dLonS / 2 + hLon};
    for (int32_t k = 1; k <= n - 1; ++k) {
        const Plane a = proj.Project({north.lat + k * dLatN, north.lon + k * dLonN});
        const Plane b = proj.Project({south.lat + k * dLatS, south.lon + k * dLonS});
        pts[g.P(1, k + 1)].x = a.x, pts[g.P(1, k + 1)].y = a.y;
        pts[g.P(m, k + 1)].x = b.x, pts[g.P(m, k + 1)].y = b.y;
    }
    for (int32_t c = 2; c <= n - 1; ++c) {
        const RandomPoint& top = pts[g.P(1, c)];
        const RandomPoint& bottom = pts[g.P(m, c)];
        for (int32_t r = 2; r <= m - 1; ++r) {
            const double t = static_cast<double>(r - 1) / (m - 1);
            pts[g.P(r, c)].x = top.x + t * (bottom.x - top.x);
            pts[g.P(r, c)].y = top.y + t * (bottom.y - top.y);
        }
    }
}

// The grid's TIN: the border edges, then row, column and diagonal edges cell by cell.
void BuildGridTin(std::vector<TinEdge>& edges, const Grid& g) {
    const int32_t n = g.n, m = g.m;
    auto add = [&edges](int32_t a, int32_t b, int32_t back, int32_t search) {
        edges.push_back(TinEdge{a, b, back, search, 0});
    };
    for (int32_t r = 1; r <= m - 1; ++r) add(g.P(r, 1), g.P(r + 1, 1), kNoApex, g.P(r + 1, 2));
    for (int32_t c = 1; c <= n - 1; ++c) add(g.P(m, c), g.P(m, c + 1), kNoApex, g.P(m - 1, c));
    for (int32_t r = m; r >= 2; --r) add(g.P(r, n), g.P(r - 1, n), kNoApex, g.P(r - 1, n - 1));
    for (int32_t c = n; c >= 2; --c) add(g.P(1, c), g.P(1, c - 1), kNoApex, g.P(2, c));
    for (int32_t r = 1; r <= m - 1; ++r) {
        g_progressCurrent = r;
        RefreshProgressWindow();
        for (int32_t c = 1; c <= n - 1; ++c) {
            if (r > 1) add(g.P(r, c + 1), g.P(r, c), g.P(r - 1, c), g.P(r + 1, c + 1));
            if (c > 1) add(g.P(r, c), g.P(r + 1, c), g.P(r, c - 1), g.P(r + 1, c + 1));
            add(g.P(r + 1, c + 1), g.P(r, c), g.P(r, c + 1), g.P(r + 1, c));
        }
    }
}

// The border from the north-west point down, east, up and back west, closed.
std::vector<int32_t> BorderPoints(const Grid& g) {
    std::vector<int32_t> border;
    for (int32_t r = 1; r <= g.m; ++r) border.push_back(g.P(r, 1));
    for (int32_t c = 2; c <= g.n; ++c) border.push_back(g.P(g.m, c));
    for (int32_t r = g.m - 1; r >= 1; --r) border.push_back(g.P(r, g.n));
    for (int32_t c = g.n - 1; c >= 1; --c) border.push_back(g.P(1, c));
    return border;  // 2(m + n) - 3 entries, the last repeating the first
}

class ProgressScope {
public:
    ProgressScope(int32_t mode, const char* caption, int32_t total) {
        g_progressCurrent = 0;
        g_progressTotal = total;
        m_opened = OpenProgressWindow(mode, caption);
    }
    ~ProgressScope() {
        if (m_opened) CloseProgressWindow();
    }

private:
    bool m_opened = false;
};

void TellNoMemory() { ShowMessage("メモリ不足で取り込めません", "", msg::kOk | msg::kIconError); }

}  // namespace

DigitalMapHeader ParseDigitalMapHeader(std::string_view line) {
    DigitalMapHeader h;
    h.datum = FieldInt(Columns(line, 20, 23));
    h.columns = FieldInt(Columns(line, 24, 26));
    h.rows = FieldInt(Columns(line, 27, 29));
    auto angle = [&line](double out[3], size_t from) {
        out[0] = FieldDouble(Columns(line, from, from + 2));
        out[1] = FieldDouble(Columns(line, from + 3, from + 4));
        out[2] = FieldDouble(Columns(line, from + 5, from + 6));
    };
    angle(h.southWestLatitude, 30);
    angle(h.southWestLongitude, 37);
    angle(h.northEastLatitude, 44);
    angle(h.northEastLongitude, 51);
    if (h.rows > 0 && h.rows <= 999) h.rowFlags = std::string(Columns(line, 226, 225 + h.rows));
    return h;
}

double DigitalMapMeshSize(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    const char first = ext.size() >= 2 ? ext[1] : '\0';
    if (first == 'M' || first == 'm') return 50;
    if (first == 'S' || first == 's') return 250;
    return 1000;
}

int32_t ImportDigitalMapMesh(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ShowMessage("ファイルが見つからないか、ファイル名が正しくありません。", "", msg::kOk | msg::kIconError);
        return kDigitalMapCannotOpen;
    }
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{file};
    TextLineReader reader(file);
    std::string_view line;
    const bool haveHeader = reader.Next(line);
    const DigitalMapHeader h = haveHeader ? ParseDigitalMapHeader(line) : DigitalMapHeader{};
    const Grid g{h.columns, h.rows};
    // A grid needs two rows and two columns; the published files have more.
    if (!haveHeader || g.n < 2 || g.m < 2 || int64_t{g.n} * g.m > kDigitalMapMaxCells) {
        ReportDamagedFile(path);
        return kDigitalMapBadGrid;
    }
    const double size = DigitalMapMeshSize(path);

    Plane corner[4];
    LatLon kept[4];
    Projection proj;
    const bool toPlane = ShowMessage("公共座標系に変換しますか？", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    if (!toPlane) {
        corner[kSW] = {0, 0};
        corner[kSE] = {0, (g.n - 1) * size};
        corner[kNW] = {(g.m - 1) * size, 0};
        corner[kNE] = {(g.m - 1) * size, (g.n - 1) * size};
    } else {
        ZoneSelectValues values;
        FindNearestPlaneZone(h.southWestLatitude[0], h.southWestLatitude[1], h.southWestLatitude[2],
                             h.southWestLongitude[0], h.southWestLongitude[1], h.southWestLongitude[2],
                             &values.m_zone);
        const bool world = h.datum >= 2000;
        values.m_datumSelection = world ? 1 : 0;
        values.m_dataDatum = world ? 1 : 0;
        values.m_convertDatum = world ? -1 : 1;
        if (!AskZone(values)) return kDigitalMapCancelled;
        // Zone 0 is refused with a message by the origin look-up.
        if (!ZoneOrigin(values.m_zone, proj.originLat, proj.originLon)) return kDigitalMapCancelled;
        g_planeZone = values.m_zone;
        const bool sourceWorld = values.m_dataDatum == 1;
        proj.convert = values.m_convertDatum != 0;
        const bool targetWorld = proj.convert ? !sourceWorld : sourceWorld;
        auto select = [](Ellipsoid& e, bool grs) {
            if (grs)
                e.SelectEllipsoid(kEllipsoidGrs1980);
            else
                e.SetBessel();
        };
        select(proj.source, sourceWorld);
        select(proj.target, targetWorld);
        proj.shift.ClearHelmert();
        proj.shift.LoadHelmertByEpsg(4301);
        if (!sourceWorld) {
            HelmertParams inverse;
            proj.shift = proj.shift.InvertHelmert(inverse);
        }
        const double swLat = Degrees(h.southWestLatitude), swLon = Degrees(h.southWestLongitude);
        const double neLat = Degrees(h.northEastLatitude), neLon = Degrees(h.northEastLongitude);
        kept[kSW] = {swLat, swLon};
        kept[kNE] = {neLat, neLon};
        kept[kNW] = {neLat, swLon};
        kept[kSE] = {swLat, neLon};
        for (int k = 0; k < 4; ++k) corner[k] = proj.ToPlane(kept[k]);
        InsetCorners(corner, g.n, g.m);
    }

    const int32_t count = g.n * g.m;
    std::vector<RandomPoint> pts;
    std::vector<TinEdge> edges;
    try {
        pts.assign(static_cast<size_t>(count) + 2, RandomPoint{});
        edges.reserve(static_cast<size_t>(3) * count + 2);
    } catch (const std::bad_alloc&) {
        TellNoMemory();
        return kDigitalMapNoMemory;
    }
    {
        ProgressScope progress(progress::kDigitalMapImport, "数値地図データ取り込み中", g.m);
        Plane west, east;
        west.x = (corner[kNW].x - corner[kSW].x) / (g.m - 1);
        west.y = (corner[kNW].y - corner[kSW].y) / (g.m - 1);
        east.x = (corner[kNE].x - corner[kSE].x) / (g.m - 1);
        east.y = (corner[kNE].y - corner[kSE].y) / (g.m - 1);
        for (int32_t r = 1; r <= g.m; ++r) {
            g_progressCurrent = r;
            RefreshProgressWindow();
            const Plane w{corner[kNW].x - (r - 1) * west.x, corner[kNW].y - (r - 1) * west.y};
            const Plane e{corner[kNE].x - (r - 1) * east.x, corner[kNE].y - (r - 1) * east.y};
            const Plane step{(e.x - w.x) / (g.n - 1), (e.y - w.y) / (g.n - 1)};
            std::string_view data;
            const bool flagged = static_cast<size_t>(r) <= h.rowFlags.size() && h.rowFlags[r - 1] == '1';
            if (flagged && !reader.Next(data)) {
                if (reader.Error())
                    ReportCannotOpen(path);
                else
                    ReportDamagedFile(path);
                return kDigitalMapDamaged;
            }
            for (int32_t c = 1; c <= g.n; ++c) {
                RandomPoint& p = pts[g.P(r, c)];
                p.x = w.x + (c - 1) * step.x;
                p.y = w.y + (c - 1) * step.y;
                if (flagged) {
                    const size_t from = 10 + 5 * static_cast<size_t>(c - 1);
                    const int32_t value = FieldInt(Columns(data, from, from + 4));
                    p.z = value == -9999 ? 0.0 : value * 0.1;
                }
                p.plotKind = 3;
            }
        }
    }
    if (toPlane) RefineRows(pts, g, kept, proj);

    std::vector<int32_t> border;
    {
        ProgressScope progress(progress::kTinData, "三角網作成中", g.m);
        BuildGridTin(edges, g);
        border = BorderPoints(g);
    }
    for (int32_t p : border) pts[p].flags = kPointFlagOutline;

    // Both blocks large enough before anything is replaced.
    const int32_t savedPointCapacity = g_pointCapacity;
    if (g_pointCapacity < count + 2) {
        g_pointCapacity = count + 100;
        if (GrowPointBlock(g_pointCapacity) != 0) {
            g_pointCapacity = savedPointCapacity;
            TellNoMemory();
            return kDigitalMapNoMemory;
        }
    }
    const int64_t edgeCount = static_cast<int64_t>(edges.size());
    if (int64_t{4} * count > g_tinEdgeCapacity || edgeCount + 1 >= g_tinEdgeCapacity) {
        const int32_t savedEdgeCapacity = g_tinEdgeCapacity;
        g_tinEdgeCapacity = 3 * count + 4096;
        if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) {
            g_tinEdgeCapacity = savedEdgeCapacity;
            TellNoMemory();
            return kDigitalMapNoMemory;
        }
    }

    RestoreSurveyFrame();
    for (int32_t i = 1; i <= count; ++i) g_points[i] = pts[i];
    g_pointCount = count;
    SetPointEndMarker();
    for (int32_t i = 0; i < static_cast<int32_t>(edgeCount); ++i) g_tinEdges[i + 1] = edges[i];
    g_tinEdgeCount = static_cast<int32_t>(edgeCount);
    SetTinEndRecord();
    g_tinPresent = -1;
    g_outline.Reset();
    for (size_t k = 0; k + 1 < border.size(); ++k) g_outline.Append(border[k]);
    g_outline.Close();
    g_dataChanged = -1;
    g_simpleContourInterval = 20.0;
    g_simpleContourIndexInterval = 100.0;
    return 0;
}

void OnDigitalMapImport() {
    if (IsProgressWindowOpen()) return;
    if (g_pointCount > 0 &&
        ShowMessage("現在読み込んでいるデータは破棄されますがよろしいですか", "", msg::kOkCancel | msg::kIconQuestion) !=
            msg::kIdOk)
        return;
    FileDialogRequest request;
    request.filter = "数値地図データ|*.?EM|";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    // A refused import left the data as they were: nothing new to fit or mark as changed.
    if (ImportDigitalMapMesh(path) == 0 && g_pointCount > 0) {
        if (g_pointsPresent == 0) g_pointsPresent = -1;
        g_overviewExtent = 0;
        ComputeDataExtents(0);
        g_birdsEyeTilt = -0.2;
        g_dataChanged = -1;
        ClearViewHistory();
    }
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
