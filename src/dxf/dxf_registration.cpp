#include "dxf/dxf_registration.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "model/corner_mapping.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

DxfRegistration g_dxfRegistration;
DxfRegistration g_dxfRegistrationBackup;

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;

// The drawing whose registration the user reset in this run; only its side file may go.
std::string g_resetDxfPath;

void SetIdentity() {
    g_dxfRegistration.a = 1;
    g_dxfRegistration.b = 0;
    g_dxfRegistration.tx = 0;
    g_dxfRegistration.ty = 0;
    g_dxfRegistration.rotation = 0;
    g_dxfRegistration.scale = 1;
}

const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_dxfRegistration = DxfRegistration{};
        SetIdentity();
        g_dxfRegistrationBackup = g_dxfRegistration;
        g_resetDxfPath.clear();
    });
    return true;
}();

CornerMapping LoadedCornerMapping() {
    const double* c = g_dxfRegistration.corners;
    CornerMapping mapping;
    mapping.SetCornerMapping(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    return mapping;
}

// Solves m x = r in place (n unknowns, partial pivoting); false when singular.
template <int N>
bool SolveLinear(double (&m)[N][N], double (&r)[N]) {
    double largest = 0.0;
    for (auto& row : m)
        for (double v : row) largest = std::max(largest, std::fabs(v));
    if (!(largest > 0.0)) return false;
    for (int col = 0; col < N; ++col) {
        int pivot = col;
        for (int row = col + 1; row < N; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        if (std::fabs(m[pivot][col]) <= 1e-12 * largest) return false;
        std::swap(m[pivot], m[col]);
        std::swap(r[pivot], r[col]);
        for (int row = col + 1; row < N; ++row) {
            const double f = m[row][col] / m[col][col];
            for (int k = col; k < N; ++k) m[row][k] -= f * m[col][k];
            r[row] -= f * r[col];
        }
    }
    for (int row = N - 1; row >= 0; --row) {
        double s = r[row];
        for (int k = row + 1; k < N; ++k) s -= m[row][k] * r[k];
        r[row] = s / m[row][row];
    }
    return true;
}

// The map from frame position (u, v) to ground (east, north) through the pairs: a
// perspective map through four pairs, an affine one through three.
struct FrameMap {
    double h[8] = {};  // east = (h0 u + h1 v + h2) / w, north = (h3 u + h4 v + h5) / w, w = h6 u + h7 v + 1
    double originE = 0.0, originN = 0.0;
    void At(double u, double v, double& east, double& north) const {
        const double w = h[6] * u + h[7] * v + 1.0;
        east = (h[0] * u + h[1] * v + h[2]) / w + originE;
        north = (h[3] * u + h[4] * v + h[5]) / w + originN;
    }
};

bool SolveFrameMap(int n, const double (&u)[4], const double (&v)[4], const double (&e)[4], const double (&no)[4],
                   FrameMap& map) {
    // Ground relative to the first pair keeps the system well scaled for survey coordinates.
    map.originE = e[0];
    map.originN = no[0];
    if (n == 4) {
        double m[8][8] = {};
        double r[8] = {};
        for (int i = 0; i < 4; ++i) {
            const double x = e[i] - map.originE, y = no[i] - map.originN;
            double* rowE = m[2 * i];
            double* rowN = m[2 * i + 1];
            rowE[0] = u[i], rowE[1] = v[i], rowE[2] = 1, rowE[6] = -u[i] * x, rowE[7] = -v[i] * x;
            rowN[3] = u[i], rowN[4] = v[i], rowN[5] = 1, rowN[6] = -u[i] * y, rowN[7] = -v[i] * y;
            r[2 * i] = x;
            r[2 * i + 1] = y;
        }
        if (!SolveLinear(m, r)) return false;
        std::copy(std::begin(r), std::end(r), map.h);
    } else {
        double m[3][3];
        double rE[3], rN[3];
        for (int i = 0; i < 3; ++i) {
            m[i][0] = u[i], m[i][1] = v[i], m[i][2] = 1;
            rE[i] = e[i] - map.originE;
            rN[i] = no[i] - map.originN;
        }
        double m2[3][3];
        std::copy(&m[0][0], &m[0][0] + 9, &m2[0][0]);
        if (!SolveLinear(m, rE) || !SolveLinear(m2, rN)) return false;
        map.h[0] = rE[0], map.h[1] = rE[1], map.h[2] = rE[2];
        map.h[3] = rN[0], map.h[4] = rN[1], map.h[5] = rN[2];
    }
    for (double c : map.h)
        if (!std::isfinite(c)) return false;
    return true;
}

// -1 points 1 and 2 coincide; -2 point 3 lies on the line through them; 0 fine.
int32_t CheckThreePoints(const double (&p)[4][2]) {
    const double dx = p[1][0] - p[0][0], dy = p[1][1] - p[0][1];
    const double length = std::hypot(dx, dy);
    if (length < 1e-12) return -1;
    const double cross = (dx * (p[2][1] - p[0][1]) - dy * (p[2][0] - p[0][0])) / length;
    if (std::fabs(cross) < 1e-12) return -2;
    return 0;
}

bool AllFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// One fixed-width column: blank reads as zero; anything but a whole finite number is damage.
template <typename T>
bool ParseColumn(const std::string& line, size_t first, size_t width, T& value) {
    const std::string_view field =
        first < line.size() ? Trimmed(std::string_view(line).substr(first, width)) : std::string_view();
    value = 0;
    if (field.empty()) return true;
    const char* begin = field.data();
    if (*begin == '+') ++begin;
    const auto [end, ec] = std::from_chars(begin, field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size()) return false;
    if constexpr (std::is_floating_point_v<T>) return std::isfinite(value);
    return true;
}

std::string ExistingDxiPath() {
    std::string path = DxiPathFor(g_dxfSourcePath);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        std::string lower = path.substr(0, path.size() - 4) + ".dxi";
        if (std::filesystem::exists(lower, ec)) return lower;
    }
    return path;
}
}  // namespace

int32_t ResetDxfRegistration(int32_t fromLatestLoad) {
    DxfElement* elements = g_dxfElementsBlock.Data();
    if (g_dxfElementCount <= 0 || !elements) return 0;
    g_dxfRegistration.transformActive = 0;
    g_dxfRegistration.projective = 0;
    std::fill(std::begin(g_dxfRegistration.vertexFlags), std::end(g_dxfRegistration.vertexFlags), 0);
    const int32_t first = fromLatestLoad ? std::max(g_dxfFirstNewElement, 1) : 1;
    const int32_t last = std::min(g_dxfElementCount, g_dxfElementCapacity);
    for (int32_t i = first; i <= last; ++i) {
        elements[i].x = elements[i].sourceX;
        elements[i].y = elements[i].sourceY;
    }
    NoteDxfElementsChanged(first);
    SetIdentity();
    return 0;
}

void SetDxfRegistrationIdentity() {
    g_dxfRegistration.transformActive = 0;
    g_dxfRegistration.projective = 0;
    std::fill(std::begin(g_dxfRegistration.vertexFlags), std::end(g_dxfRegistration.vertexFlags), 0);
    SetIdentity();
}

void ApplyDxfRegistration(int32_t fromLatestLoad) {
    DxfElement* elements = g_dxfElementsBlock.Data();
    if (g_dxfElementCount <= 0 || !elements) return;
    const DxfRegistration& r = g_dxfRegistration;
    const int32_t first = fromLatestLoad ? std::max(g_dxfFirstNewElement, 1) : 1;
    const int32_t last = std::min(g_dxfElementCount, g_dxfElementCapacity);
    NoteDxfElementsChanged(first);
    if (r.projective == -1) {
        const CornerMapping mapping = LoadedCornerMapping();
        for (int32_t i = first; i <= last; ++i) {
            double east, north;
            mapping.ImageToGround((elements[i].sourceY - r.ty) / r.b, (elements[i].sourceX - r.tx) / r.a, east, north);
            elements[i].y = east;
            elements[i].x = north;
        }
        return;
    }
    for (int32_t i = first; i <= last; ++i) {
        const double xs = elements[i].sourceX, ys = elements[i].sourceY;
        elements[i].x = r.a * xs + r.b * ys + r.tx;
        elements[i].y = r.a * ys - r.b * xs + r.ty;
    }
}

void DxfShownToOriginal(double shownY, double shownX, double& sourceX, double& sourceY) {
    const DxfRegistration& r = g_dxfRegistration;
    if (r.projective == -1) {
        double u = 0.0, v = 0.0;
        LoadedCornerMapping().GroundToImage(shownY, shownX, u, v);
        sourceY = r.a * u + r.ty;
        sourceX = r.b * v + r.tx;
        return;
    }
    const double dX = shownX - r.tx, dY = shownY - r.ty;
    const double d = r.a * r.a + r.b * r.b;
    sourceX = (r.a * dX - r.b * dY) / d;
    sourceY = (r.b * dX + r.a * dY) / d;
}

int32_t SolveDxfProjective() {
    DxfRegistration& r = g_dxfRegistration;
    r.projective = 0;
    r.transformActive = 0;
    const bool four = r.vertexFlags[3] != 0;
    if (!four) {
        if (const int32_t bad = CheckThreePoints(r.sourcePoint)) return bad;
        if (const int32_t bad = CheckThreePoints(r.publicPoint)) return bad;
    }
    double minX = r.sourcePoint[0][0], maxX = minX, minY = r.sourcePoint[0][1], maxY = minY;
    for (const auto& p : r.sourcePoint) {
        minX = std::min(minX, p[0]), maxX = std::max(maxX, p[0]);
        minY = std::min(minY, p[1]), maxY = std::max(maxY, p[1]);
    }
    double width = maxX - minX;
    if (!(width > 0.0)) width = 1.0;
    const double size = std::max(maxY - minY, width);
    double u[4], v[4], e[4], n[4];
    for (int i = 0; i < 4; ++i) {
        u[i] = (r.sourcePoint[i][1] - minY) / size;
        v[i] = (r.sourcePoint[i][0] - minX) / size;
        e[i] = r.publicPoint[i][0];
        n[i] = r.publicPoint[i][1];
    }
    FrameMap map;
    if (!SolveFrameMap(four ? 4 : 3, u, v, e, n, map)) return -3;
    double corners[8];
    map.At(0, 1, corners[0], corners[1]);
    map.At(1, 1, corners[2], corners[3]);
    map.At(0, 0, corners[4], corners[5]);
    map.At(1, 0, corners[6], corners[7]);
    if (!std::all_of(std::begin(corners), std::end(corners), [](double c) { return std::isfinite(c); })) return -3;
    r.projective = -1;
    std::copy(std::begin(corners), std::end(corners), r.corners);
    r.transformActive = 1;
    r.tx = minX;
    r.ty = minY;
    r.a = size;
    r.b = size;
    r.rotation = -std::atan2(corners[7] - corners[5], corners[6] - corners[4]) * kDegreesPerRadian;
    r.scale = std::hypot(corners[6] - corners[4], corners[7] - corners[5]) / size;
    return 0;
}

int32_t ComputeDxfRegistration(int32_t showReport) {
    DxfRegistration& r = g_dxfRegistration;
    if (r.vertexFlags[0] == 2) {
        const DxfRegistration before = r;
        if (SolveDxfProjective() == 0) return kDxfRegistrationDone;
        // The similarity below replaces what the failed attempt cleared.
        r.projective = before.projective;
        r.transformActive = before.transformActive;
    }
    if (r.vertexFlags[2] == 0) return kDxfRegistrationDone;
    const int n = r.vertexFlags[3] != 0 ? 4 : 3;
    double ma = 0, mb = 0, mc = 0, md = 0;
    for (int i = 0; i < n; ++i) {
        ma += r.sourcePoint[i][0];
        mb += r.sourcePoint[i][1];
        mc += r.publicPoint[i][1];
        md += r.publicPoint[i][0];
    }
    ma /= n, mb /= n, mc /= n, md /= n;
    double S = 0, P = 0, Q = 0;
    for (int i = 0; i < n; ++i) {
        const double da = r.sourcePoint[i][0] - ma, db = r.sourcePoint[i][1] - mb;
        const double dc = r.publicPoint[i][1] - mc, dd = r.publicPoint[i][0] - md;
        S += da * da + db * db;
        P += dc * da + dd * db;
        Q += dc * db - dd * da;
    }
    // All DXF points in one place fix no rotation or scale: keep what is in force.
    if (!(S > 0.0)) return kDxfRegistrationDegenerate;
    const double a = P / S, b = Q / S;
    const double tx = mc - a * ma - b * mb;
    const double ty = md - a * mb + b * ma;
    const double G = P / S, H = -Q / S;
    const double theta = std::atan2(H, G);
    const double scale = std::fabs(std::cos(theta)) > 0.01 ? G / std::cos(theta) : H / std::sin(theta);
    const double rotation = theta * kDegreesPerRadian;
    if (!AllFinite({a, b, tx, ty, scale, rotation}) || (a == 0.0 && b == 0.0)) return kDxfRegistrationDegenerate;
    double sumX = 0, sumY = 0;
    for (int i = 0; i < n; ++i) {
        const double ai = r.sourcePoint[i][0], bi = r.sourcePoint[i][1];
        const double rx = a * ai + b * bi + tx - r.publicPoint[i][1];
        const double ry = a * bi - b * ai + ty - r.publicPoint[i][0];
        sumX += rx * rx;
        sumY += ry * ry;
    }
    const double kex = std::sqrt(sumX / n), key = std::sqrt(sumY / n);
    r.projective = 0;
    r.a = a, r.b = b, r.tx = tx, r.ty = ty, r.rotation = rotation, r.scale = scale;
    if (showReport) {
        const double degrees = std::trunc(rotation) + 0.0;  // no "-0" for a turn of a few ulps
        const double minutesFull = (rotation - degrees) * 60.0;
        const double minutes = std::fabs(std::trunc(minutesFull));
        const double seconds = std::fabs((minutesFull - std::trunc(minutesFull)) * 60.0);
        std::string text = FormatString(
            "座標変換計算終了\n XAM=%11.3f  XBM=%11.3f  G=%e W=%4.0f-%2.0f-%2.0f  KEX=%7.3f\n"
            " YAM=%11.3f  YBM=%11.3f H=%e  K=%11.3f  KEY=%7.3f\n",
            ma, mc, G, degrees, minutes, seconds, kex, mb, md, H, scale, key);
        if (text.size() > 511) text.resize(511);
        ShowMessage(text, "", msg::kOk | msg::kIconInformation);
    }
    return kDxfRegistrationDone;
}

std::string DxiPathFor(const std::string& dxfPath) {
    std::filesystem::path path(dxfPath);
    path.replace_extension(".DXI");
    return path.string();
}

void MarkDxfRegistrationReset() { g_resetDxfPath = g_dxfSourcePath; }

void WriteDxiFile() {
    const DxfRegistration& r = g_dxfRegistration;
    if (r.dxfLoaded == 0 || g_dxfSourcePath.empty()) return;
    if (r.transformActive == 0) {
        // A drawing read without its side file (a document's companion) is not registered
        // but its side file is still wanted; only a reset by the user removes it.
        if (g_resetDxfPath.empty() || g_resetDxfPath != g_dxfSourcePath) return;
        std::error_code ec;
        std::filesystem::remove(ExistingDxiPath(), ec);
        g_resetDxfPath.clear();
        return;
    }
    std::string text;
    for (int i = 0; i < 3; ++i) text += "*********************************\r\n";
    for (int i = 0; i < 4; ++i) {
        const double values[4] = {r.publicPoint[i][1], r.publicPoint[i][0], r.sourcePoint[i][1], r.sourcePoint[i][0]};
        for (double v : values) text += FormatString("%15.3f", std::isfinite(v) ? v : 0.0);
        text += "\r\n";
    }
    text += FormatString("%2d%2d%2d%2d\r\n", r.vertexFlags[0], r.vertexFlags[1], r.vertexFlags[2], r.vertexFlags[3]);
    std::ofstream out(ExistingDxiPath(), std::ios::binary | std::ios::trunc);
    if (!out) return;
    out << text;
    out.close();
    if (out) g_resetDxfPath.clear();
}

int32_t ReadDxiFile(int32_t read) {
    g_dxfRegistration.transformActive = 0;
    if (g_dxfRegistration.dxfLoaded == 0) return 0;
    const std::string path = ExistingDxiPath();
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    if (read == 0) return 1;
    std::string line;
    std::vector<std::string> lines;
    bool leading = true;
    while (lines.size() < 5 && std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (leading && !line.empty() && line[0] == '*') continue;
        leading = false;
        lines.push_back(line);
    }
    lines.resize(5);
    double publicPoint[4][2], sourcePoint[4][2];
    int32_t flags[4];
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
        double v[4];
        for (int c = 0; c < 4 && ok; ++c)
            ok = ParseColumn(lines[i], 15 * c, c < 3 ? 15 : std::string::npos, v[c]);
        publicPoint[i][1] = v[0], publicPoint[i][0] = v[1];
        sourcePoint[i][1] = v[2], sourcePoint[i][0] = v[3];
    }
    for (int c = 0; c < 4 && ok; ++c) {
        ok = ParseColumn(lines[4], 2 * c, c < 3 ? 2 : std::string::npos, flags[c]);
        ok = ok && flags[c] >= 0 && flags[c] <= 2 && (c == 0 || flags[c] <= 1);
    }
    if (!ok) {
        ShowMessage(FormatString("位置合わせファイルが正しくありません\n%s", path.c_str()), "",
                    msg::kOk | msg::kIconWarning);
        return 0;
    }
    std::copy(&publicPoint[0][0], &publicPoint[0][0] + 8, &g_dxfRegistration.publicPoint[0][0]);
    std::copy(&sourcePoint[0][0], &sourcePoint[0][0] + 8, &g_dxfRegistration.sourcePoint[0][0]);
    std::copy(std::begin(flags), std::end(flags), g_dxfRegistration.vertexFlags);
    return 1;
}
