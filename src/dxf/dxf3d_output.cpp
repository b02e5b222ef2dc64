#include "dxf/dxf3d_output.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "contour/contour_files.h"
#include "dxf/dxf_writer.h"
#include "model/holes.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/folders.h"
#include "platform/message_box.h"

int32_t g_dxf3dContours;
int32_t g_dxf3dTin;
int32_t g_dxf3dTinKind;
int32_t g_dxf3dMainContourLayer, g_dxf3dMainContourColour;
int32_t g_dxf3dIndexContourLayer, g_dxf3dIndexContourColour;
int32_t g_dxf3dExistingLayer, g_dxf3dExistingColour;
int32_t g_dxf3dPlanLayer, g_dxf3dPlanColour;
int32_t g_dxf3dSlopeLayer, g_dxf3dSlopeColour;
int32_t g_dxf3dWaterLayer, g_dxf3dWaterColour;
int32_t g_dxf3dBuildingLayer, g_dxf3dBuildingColour;
int32_t g_dxf3dOutline;
int32_t g_dxf3dOutlineLayer, g_dxf3dOutlineColour;
int32_t g_dxf3dContourKind;
int32_t g_dxf3dDrawingCoords;
int32_t g_dxf3d2d;
int32_t g_dxf3dLayerPerElevation;
int32_t g_dxf3dElevationUnitMm;
std::string g_dxf3dOutputPath;
int32_t g_dxpFileRead;
int32_t g_dxf3dBusy;
Dxf3dReport g_dxf3dReport;

namespace {
struct StaticInit {
    StaticInit() { ResetDxf3dOptions(); }
} g_staticInit;

// The sixteen stored numbers, in file order.
int32_t* const kStored[] = {
    &g_dxf3dMainContourLayer, &g_dxf3dMainContourColour, &g_dxf3dIndexContourLayer, &g_dxf3dIndexContourColour,
    &g_dxf3dExistingLayer,    &g_dxf3dExistingColour,    &g_dxf3dPlanLayer,         &g_dxf3dPlanColour,
    &g_dxf3dSlopeLayer,       &g_dxf3dSlopeColour,       &g_dxf3dWaterLayer,        &g_dxf3dWaterColour,
    &g_dxf3dBuildingLayer,    &g_dxf3dBuildingColour,    &g_dxf3dOutlineLayer,      &g_dxf3dOutlineColour,
};

// A whole number in the int32 range, spaces around it allowed.
bool ParseStoredNumber(const std::string& line, int32_t& value) {
    const char* s = line.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r') ++end;
    if (*end != '\0') return false;
    value = static_cast<int32_t>(v);
    return true;
}

// One line of the contour work file.
enum class LineRead { kLine, kEnd, kCorrupt };

struct ContourReader {
    std::FILE* file = nullptr;
    char buffer[1 << 16];

    bool Open(const std::string& path) {
        file = std::fopen(path.c_str(), "rb");
        if (file) std::setvbuf(file, buffer, _IOFBF, sizeof buffer);
        return file != nullptr;
    }
    ~ContourReader() {
        if (file) std::fclose(file);
    }
    // A record read in full (true); at the end, `cut` tells whether bytes were left over.
    bool Record(ContourRecord& r, bool& cut) {
        const size_t n = ReadContourRecordBytes(file, &r);
        cut = n != 0 && n != kContourRecordBytes;
        return n == kContourRecordBytes;
    }
    // Reads one line: its elevation and vertices. A count that is not a whole number in
    // 0..2000, a value that is not finite or a line cut short is a damaged file.
    LineRead Line(double& elevation, std::vector<double>& xs, std::vector<double>& ys) {
        ContourRecord head;
        bool cut = false;
        if (!Record(head, cut)) return cut ? LineRead::kCorrupt : LineRead::kEnd;
        const double n = head.b;
        if (!std::isfinite(head.a) || !std::isfinite(n) || n < 0 || n > kContourPieceMaxVertices || n != std::trunc(n))
            return LineRead::kCorrupt;
        elevation = head.a;
        const int32_t count = static_cast<int32_t>(n);
        xs.resize(count);
        ys.resize(count);
        for (int32_t i = 0; i < count; ++i) {
            ContourRecord v;
            if (!Record(v, cut)) return LineRead::kCorrupt;
            if (!std::isfinite(v.a) || !std::isfinite(v.b)) return LineRead::kCorrupt;
            xs[i] = v.a;
            ys[i] = v.b;
        }
        return LineRead::kLine;
    }
};

bool ValidPoint(int32_t i) {
    return g_points && i >= 1 && i <= g_pointCount && std::isfinite(g_points[i].x) && std::isfinite(g_points[i].y) &&
           std::isfinite(g_points[i].z);
}

// The outline's vertices that name a point: 1..n, the first again when the list is closed.
std::vector<int32_t> OutlineVertices() {
    std::vector<int32_t> v;
    const int32_t n = std::min(g_outline.Count(), kIndexListMaxVertices);
    for (int32_t i = 1; i <= n; ++i)
        if (ValidPoint(g_outline[i])) v.push_back(g_outline[i]);
    if (n >= 2 && g_outline[n + 1] == g_outline[1] && ValidPoint(g_outline[1])) v.push_back(g_outline[1]);
    return v;
}

struct Origin {
    double x = 0, y = 0, z = 0;
    bool any = false;
    void Take(double px, double py, double pz) {
        if (!any) {
            x = px, y = py, z = pz;
            any = true;
            return;
        }
        x = std::min(x, px);
        y = std::min(y, py);
        z = std::min(z, pz);
    }
};

// The drawing origin: the smallest X, Y and Z of the first end points of the TIN edges; a
// TIN without edges gives the smallest values of the contours and outline to be written.
Origin DrawingOrigin(bool contours, bool outline) {
    Origin o;
    if (g_tinEdges && g_tinEdgeCount > 0) {
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const int32_t a = std::abs(g_tinEdges[i].a);
            if (ValidPoint(a)) o.Take(g_points[a].x, g_points[a].y, g_points[a].z);
        }
        return o;
    }
    if (contours) {
        ContourReader reader;
        if (reader.Open(g_contourLinesPath)) {
            double e;
            std::vector<double> xs, ys;
            while (reader.Line(e, xs, ys) == LineRead::kLine) {
                if (xs.size() < 2) continue;
                for (size_t i = 0; i < xs.size(); ++i) o.Take(xs[i], ys[i], e);
            }
        }
    }
    if (outline) {
        const auto v = OutlineVertices();
        if (v.size() >= 2)
            for (int32_t p : v) o.Take(g_points[p].x, g_points[p].y, g_points[p].z);
    }
    return o;
}
}  // namespace

void ResetDxf3dOptions() {
    g_dxf3dContours = 1;
    g_dxf3dTin = 1;
    g_dxf3dTinKind = 1;
    for (int i = 0; i < 16; i += 2) {
        *kStored[i] = i / 2 + 1;
        *kStored[i + 1] = i / 2 + 1;
    }
    g_dxf3dOutline = 1;
    g_dxf3dContourKind = 0;
    g_dxf3dDrawingCoords = 0;
    g_dxf3d2d = 0;
    g_dxf3dLayerPerElevation = 0;
    g_dxf3dElevationUnitMm = 0;
    g_dxf3dOutputPath.clear();
    g_dxpFileRead = 0;
    g_dxf3dBusy = 0;
    g_dxf3dReport = Dxf3dReport{};
}

std::string DxpFilePath() { return (SettingsFolder() / "QUARVEL.DXP").string(); }

int32_t ReadDxpFile() {
    std::ifstream in(DxpFilePath(), std::ios::binary);
    if (!in) return 0;
    bool damaged = false;
    for (int32_t* value : kStored) {
        std::string line;
        if (!std::getline(in, line)) break;
        // The lines were never longer than 511 characters.
        if (line.size() > 511) line.resize(511);
        if (!ParseStoredNumber(line, *value)) damaged = true;
    }
    if (damaged)
        ShowMessage("レイヤ・色番号の設定ファイル QUARVEL.DXP に数値でない行があります。\nその行の番号は変更していません。",
                    "", msg::kOk | msg::kIconInformation);
    return 1;
}

int32_t WriteDxpFile() {
    const std::string path = DxpFilePath();
    const std::string temp = path + ".new";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return 0;
    bool ok = true;
    for (const int32_t* value : kStored) ok = ok && std::fprintf(f, "%d\r\n", *value) > 0;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temp, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        return 0;
    }
    return 1;
}

int32_t ElevationLayer(double elevation, int32_t unitMm) {
    double v = unitMm ? std::round(elevation * 1000.0) : std::trunc(elevation);
    if (!(v >= INT32_MIN)) v = INT32_MIN;  // also NaN
    if (v > INT32_MAX) v = INT32_MAX;
    return static_cast<int32_t>(v);
}

bool IsIndexContour(double elevation, double indexInterval) {
    if (!(indexInterval > 0) || !std::isfinite(indexInterval)) return false;
    const double q = elevation / indexInterval;
    if (!std::isfinite(q)) return false;
    const double frac = q - std::floor(q);
    return frac < 1e-6 || frac > 1 - 1e-6;
}

int32_t Write3dDxf(const std::string& path, int32_t contours, int32_t tin, int32_t contourKind, int32_t tinKind,
                   int32_t drawingCoords, int32_t mainLayer, int32_t mainColour, int32_t indexLayer,
                   int32_t indexColour, int32_t existingLayer, int32_t existingColour, int32_t planLayer,
                   int32_t planColour, int32_t slopeLayer, int32_t slopeColour, int32_t waterLayer,
                   int32_t waterColour, int32_t buildingLayer, int32_t buildingColour, int32_t twoD,
                   int32_t outline, int32_t outlineLayer, int32_t outlineColour, int32_t layerPerElevation,
                   int32_t unitMm) {
    g_dxf3dReport = Dxf3dReport{};
    Dxf3dReport& report = g_dxf3dReport;
    if (!contours && !tin && !outline) return k3dDxfNothing;
    if (outline && contourKind == 2) contourKind = 1;

    Origin origin;
    if (drawingCoords) origin = DrawingOrigin(contours != 0, outline != 0);
    auto Z = [&](double z) { return twoD ? 0.0 : z - origin.z; };

    if (OpenDxfWriter(path, contourKind == 2 ? 1 : 0) != 0) return k3dDxfNothing;

    if (tin && g_tinEdges && g_tinEdgeCount > 0) {
        std::vector<uint8_t> marks;
        if (tinKind == 1 && BuildTinAdjacency(nullptr, nullptr, &marks) == 0) {
            CloseDxfWriter();
            return k3dDxfWriteFailed;
        }
        for (int32_t i = 1; i <= g_tinEdgeCount && !DxfWriterFailed(); ++i) {
            if (tinKind == 1 && marks[i] == 0) continue;
            const TinEdge& r = g_tinEdges[i];
            const int32_t a = std::abs(r.a), b = std::abs(r.b);
            const int32_t c = r.apexSearch == kNoApex ? 0 : std::abs(r.apexSearch);
            const bool hasApex = c >= 1 && c <= g_pointCount;
            if (a < 1 || a > g_pointCount || b < 1 || b > g_pointCount) continue;
            if (tinKind == 1 && !hasApex) continue;
            const int32_t classA = SurfaceClassOfName(g_points[a].name);
            const int32_t classB = SurfaceClassOfName(g_points[b].name);
            // An edge without its triangle (LINE output only) is classed by its two ends.
            const int32_t classC = hasApex ? SurfaceClassOfName(g_points[c].name) : classB;
            int32_t layer = existingLayer, colour = existingColour;
            switch (TriangleSurfaceOf(classA, classB, classC)) {
                case kTrianglePlan: layer = planLayer, colour = planColour; break;
                case kTriangleSlope: layer = slopeLayer, colour = slopeColour; break;
                case kTriangleWater: layer = waterLayer, colour = waterColour; break;
                case kTriangleBuilding: layer = buildingLayer, colour = buildingColour; break;
                default: break;
            }
            const RandomPoint& A = g_points[a];
            const RandomPoint& B = g_points[b];
            int32_t written;
            if (tinKind == 1) {
                const RandomPoint& C = g_points[c];
                written = WriteDxf3dFace(A.x - origin.x, A.y - origin.y, Z(A.z), B.x - origin.x, B.y - origin.y, Z(B.z),
                                         C.x - origin.x, C.y - origin.y, Z(C.z), A.x - origin.x, A.y - origin.y, Z(A.z),
                                         colour, layer);
            } else {
                written = WriteDxfLine(A.x - origin.x, A.y - origin.y, Z(A.z), B.x - origin.x, B.y - origin.y, Z(B.z),
                                       colour, layer);
            }
            if (written == 0) ++report.trianglesWritten;
        }
    }

    if (contours) {
        ContourReader reader;
        if (!reader.Open(g_contourLinesPath)) {
            report.contourFileMissing = true;
        } else {
            double e = 0;
            std::vector<double> xs, ys;
            xs.reserve(kContourPieceMaxVertices);
            ys.reserve(kContourPieceMaxVertices);
            const int32_t is3d = twoD ? 0 : 1;
            while (!DxfWriterFailed()) {
                const LineRead got = reader.Line(e, xs, ys);
                if (got == LineRead::kEnd) break;
                if (got == LineRead::kCorrupt) {
                    report.contourFileCorrupt = true;
                    break;
                }
                const int32_t n = static_cast<int32_t>(xs.size());
                // A line of one vertex is no line, and as LWPOLYLINE it would leave the file unreadable.
                if (n < 2) {
                    ++report.contoursTooShort;
                    continue;
                }
                const bool index = IsIndexContour(e, g_indexContourInterval);
                int32_t layer = index ? indexLayer : mainLayer;
                const int32_t colour = index ? indexColour : mainColour;
                if (layerPerElevation) layer = ElevationLayer(e, unitMm);
                const double z = Z(e);
                if (contourKind == 0) {
                    for (int32_t k = 0; k + 1 < n; ++k)
                        WriteDxfLine(xs[k] - origin.x, ys[k] - origin.y, z, xs[k + 1] - origin.x, ys[k + 1] - origin.y, z,
                                     colour, layer);
                } else if (contourKind == 1) {
                    WriteDxfPolylineHeader(0, 0, 0, colour, layer, is3d);
                    for (int32_t k = 0; k < n; ++k)
                        WriteDxfVertex(xs[k] - origin.x, ys[k] - origin.y, z, layer, k == n - 1 ? 1 : 0, is3d);
                } else {
                    for (int32_t k = 0; k < n; ++k)
                        WriteDxfLwPolylineVertex(xs[k] - origin.x, ys[k] - origin.y, z, colour, layer, n,
                                                 k == 0 ? -1 : (k == n - 1 ? 1 : 0), is3d);
                }
                ++report.contoursWritten;
            }
        }
    }

    if (outline) {
        const auto v = OutlineVertices();
        if (v.size() >= 2) {
            const int32_t is3d = twoD ? 0 : 1;
            WriteDxfPolylineHeader(0, 0, 0, outlineColour, outlineLayer, is3d);
            for (size_t k = 0; k < v.size(); ++k) {
                const RandomPoint& p = g_points[v[k]];
                WriteDxfVertex(p.x - origin.x, p.y - origin.y, Z(p.z), outlineLayer, k + 1 == v.size() ? 1 : 0, is3d);
            }
        }
    }

    report.entitiesRefused = DxfWriterRefusedCount();
    if (CloseDxfWriter() != kDxfWriteDone) return k3dDxfWriteFailed;
    if (report.contourFileMissing && !(tin && report.trianglesWritten > 0) && !outline) return k3dDxfNothing;
    if (report.contourFileMissing || report.contourFileCorrupt || report.entitiesRefused > 0) return k3dDxfPartial;
    return k3dDxfDone;
}
