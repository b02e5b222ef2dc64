#include "view/legends.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "dxf/dxf_writer.h"
#include "model/file_report.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "view/color_band_params.h"

int32_t BandLegendColour(int32_t band) {
    return g_colorBandParams.stripeColours[std::clamp(band, 1, 20) - 1];
}

std::array<std::string, 19> BandLegendLabels() {
    const ColorBandParams& p = g_colorBandParams;
    double low = p.centre - p.lowest;
    double high = p.highest - p.centre;
    if (low < 0.001) low = 0.00001;
    if (high < 0.001) high = 0.00001;
    std::array<std::string, 19> labels;
    for (int j = 1; j <= 19; ++j) {
        const double v = j <= 9 ? p.lowest + low * j / 10 : p.centre + high * (j - 10) / 10;
        labels[j - 1] = FormatString("%4.3f", v);
    }
    return labels;
}

int32_t SlopeLegendColour(int32_t band) {
    return g_colorBandParams.slopeColours[std::clamp(band, 1, 10) - 1];
}

std::array<std::string, 10> SlopeLegendLabels() {
    std::array<std::string, 10> labels;
    for (int j = 1; j <= 10; ++j)
        labels[j - 1] = FormatString(" %5.1f", j * g_colorBandParams.maxSlope / 10);
    return labels;
}

double ReadSlopeDxfAngle(const std::string& text) {
    const double v = std::atof(text.c_str());
    if (!(v >= 0)) return 0;
    return std::min(v, 90.0);
}

std::string SlopeDxfAngleText(double degrees) { return FormatString("%.1f", degrees); }

int32_t ReadSlopeDxfNumber(const std::string& text) { return std::atoi(text.c_str()); }

double TriangleSlopeAngle(double ax, double ay, double az, double bx, double by, double bz,
                          double cx, double cy, double cz) {
    const double d1x = bx - ax, d1y = by - ay, d1z = bz - az;
    const double d2x = cx - ax, d2y = cy - ay, d2z = cz - az;
    const double nx = d1y * d2z - d1z * d2y;
    const double ny = d1z * d2x - d1x * d2z;
    const double nz = d1x * d2y - d1y * d2x;
    const double l2 = nx * nx + ny * ny;
    if (l2 <= 1e-8) return 0;
    return std::atan(-std::sqrt(l2) / nz) * 57.29577951;
}

int32_t ExportSlopeFacesDxf(const std::string& path, double minAngle, double maxAngle,
                            int32_t layer, int32_t colour) {
    if (OpenDxfWriter(path, 0) != 0) return kDxfWriteCannotCreate;
    std::vector<uint8_t> marks;
    bool ok = g_tinEdgeCount <= 0 || !g_tinEdges ||
              BuildTinAdjacency(nullptr, nullptr, &marks) != 0;
    auto valid = [](int32_t n) { return n >= 1 && n <= g_pointCount; };
    for (int32_t i = 1; ok && g_tinEdges && i <= g_tinEdgeCount &&
                        i < static_cast<int32_t>(marks.size()) && !DxfWriterFailed();
         ++i) {
        if (marks[i] == 0) continue;
        const TinEdge& e = g_tinEdges[i];
        if (e.apexSearch == kNoApex) continue;
        const int32_t a = std::abs(e.a), b = std::abs(e.b), c = std::abs(e.apexSearch);
        if (!valid(a) || !valid(b) || !valid(c)) continue;
        const RandomPoint& A = g_points[a];
        const RandomPoint& B = g_points[b];
        const RandomPoint& C = g_points[c];
        const double angle = TriangleSlopeAngle(A.x, A.y, A.z, B.x, B.y, B.z, C.x, C.y, C.z);
        if (angle < minAngle || angle > maxAngle) continue;
        WriteDxf3dFace(A.x, A.y, A.z, B.x, B.y, B.z, C.x, C.y, C.z, A.x, A.y, A.z, colour, layer);
    }
    // A failed write or close leaves an incomplete drawing, which no one should take for
    // the output; neither should a list of triangles that could not be made.
    if (CloseDxfWriter() != 0 || !ok) {
        RemovePartialFile(path);
        return kDxfWriteFailed;
    }
    return 0;
}

void RunSlopeFacesDxfOutput(const SlopeDxfFields& fields) {
    FileDialogRequest request;
    request.save = true;
    request.title = "ＤＸＦファイル出力";
    request.filter = "ＤＸＦファイル (*.DXF)|*.DXF|すべてのファイル|*.*||";
    request.defaultExtension = "DXF";
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    const int32_t result =
        ExportSlopeFacesDxf(path, fields.minAngle, fields.maxAngle, fields.layer, fields.colour);
    if (result == kDxfWriteCannotCreate)
        ReportCannotCreate(path);
    else if (result != 0)
        ReportWriteFailed(path);
}
