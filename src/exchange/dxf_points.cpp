#include "exchange/dxf_points.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "shell/quiet_mode.h"

namespace {

constexpr int32_t kGrowthStep = 10000;

DxfPointParamDialog g_paramDialog;

enum class Kind { kNone, k3dFace, kArc, kCircle, kLine, kPoint, kSolid, kText, kPolyline, kVertex, kLwPolyline };

Kind KindOf(std::string_view name) {
    static constexpr std::pair<std::string_view, Kind> kNames[] = {
        {"3DFACE", Kind::k3dFace}, {"ARC", Kind::kArc},     {"CIRCLE", Kind::kCircle},
        {"LINE", Kind::kLine},     {"POINT", Kind::kPoint}, {"SOLID", Kind::kSolid},
        {"TEXT", Kind::kText},     {"POLYLINE", Kind::kPolyline}, {"VERTEX", Kind::kVertex},
        {"LWPOLYLINE", Kind::kLwPolyline}};
    for (const auto& [n, k] : kNames)
        if (name == n) return k;
    return Kind::kNone;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A group-code line: an integer and nothing else.
bool ParseCode(std::string_view line, int32_t* code) {
    line = Trim(line);
    if (line.empty() || line.size() > 6) return false;
    int32_t v = 0;
    size_t i = 0;
    bool negative = false;
    if (line[0] == '-') negative = true, i = 1;
    if (i == line.size()) return false;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        v = v * 10 + (line[i] - '0');
    }
    *code = negative ? -v : v;
    return true;
}

double Value(std::string_view line) {
    double v = 0;
    // A value that is not a number counts as 0, as every DXF reader of this program takes it.
    if (!ParseImportNumber(Trim(line), &v)) v = 0;
    return v;
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 Normalised(const Vec3& v) {
    const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return n > 0 ? Vec3{v.x / n, v.y / n, v.z / n} : v;
}

// The object axes of an extrusion direction by the arbitrary-axis rule.
struct ObjectAxes {
    bool set = false;
    Vec3 normal{0, 0, 1};
    Vec3 ax{1, 0, 0}, ay{0, 1, 0};
    void Compute() {
        const Vec3 n = normal;
        Vec3 provisional = (std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64) ? Vec3{n.z, 0, -n.x}
                                                                                   : Vec3{-n.y, n.x, 0};
        ay = Normalised(Cross(n, provisional));
        ax = Cross(ay, n);
    }
    Vec3 ToWorld(const Vec3& p) const {
        return {p.x * ax.x + p.y * ay.x + p.z * normal.x, p.x * ax.y + p.y * ay.y + p.z * normal.y,
                p.x * ax.z + p.y * ay.z + p.z * normal.z};
    }
};

class DxfPointReader {
public:
    DxfPointReader(const DxfImportParams& params, int32_t takeZero, ImportPointAppender& appender)
        : m_params(params), m_takeZero(takeZero != 0), m_appender(appender) {}

    // False when the point block cannot grow.
    bool AddPoint(double x, double y, double z, std::string_view name) {
        if (z == 0 && !m_takeZero) return true;
        double north = m_params.xyMode == 0 ? y : x;
        double east = m_params.xyMode == 0 ? x : y;
        const double scale = m_params.unit == -1 ? 0.001 : m_params.unit == 1 ? 1000.0 : 1.0;
        north *= scale, east *= scale, z *= scale;
        return m_appender.Append(north, east, z, name) != 0;
    }

    bool Chosen(Kind k) const {
        switch (k) {
            case Kind::k3dFace: return m_params.read3dFace != 0;
            case Kind::kSolid: return m_params.readSolid != 0;
            case Kind::kLine: return m_params.readLine != 0;
            case Kind::kArc: return m_params.readArc != 0;
            case Kind::kCircle: return m_params.readCircle != 0;
            case Kind::kPoint: return m_params.readPoint != 0;
            case Kind::kText: return m_params.readText != 0;
            case Kind::kVertex:
            case Kind::kLwPolyline: return m_params.readVertex != 0;
            default: return false;
        }
    }

    void Begin(Kind k) {
        m_kind = k;
        m_corners = {};
        m_text.clear();
        m_elevation = 0;
        m_lwX = 0;
        if (k == Kind::kPolyline) m_axes = ObjectAxes{};
    }

    // One group of the current entity; false when the point block cannot grow.
    bool Group(int32_t code, std::string_view value) {
        if (m_kind == Kind::kNone) return true;
        if (m_kind == Kind::kLwPolyline) {
            // Each 20 completes a vertex at the entity's elevation; the vertex count (90)
            // is not trusted to size anything.
            if (code == 38) m_elevation = Value(value);
            if (code == 10) m_lwX = Value(value);
            if (code == 20 && Chosen(m_kind)) return AddPoint(m_lwX, Value(value), m_elevation, {});
            return true;
        }
        if (m_kind == Kind::kPolyline) {
            if (code == 210) m_axes.normal.x = Value(value), m_axes.set = true;
            if (code == 220) m_axes.normal.y = Value(value), m_axes.set = true;
            if (code == 230) m_axes.normal.z = Value(value);
            return true;
        }
        if (code == 1 && m_kind == Kind::kText) {
            m_text = std::string(value);
            return true;
        }
        if (code >= 10 && code <= 13) m_corners[code - 10].x = Value(value);
        if (code >= 20 && code <= 23) m_corners[code - 20].y = Value(value);
        if (code >= 30 && code <= 33) m_corners[code - 30].z = Value(value);
        return true;
    }

    // The end of the current entity; false when the point block cannot grow.
    bool End() {
        const Kind k = m_kind;
        m_kind = Kind::kNone;
        if (k == Kind::kPolyline) {
            if (m_axes.set) m_axes.Compute();
            return true;
        }
        if (k == Kind::kNone || k == Kind::kLwPolyline || !Chosen(k)) return true;
        int corners = 1;
        switch (k) {
            case Kind::k3dFace:
            case Kind::kSolid: {
                const Vec3& c3 = m_corners[2];
                const Vec3& c4 = m_corners[3];
                const bool triangle = std::fabs(c4.x - c3.x) <= 0.001 && std::fabs(c4.y - c3.y) <= 0.001 &&
                                      std::fabs(c4.z - c3.z) <= 0.001;
                corners = triangle ? 3 : 4;
                break;
            }
            case Kind::kLine: corners = 2; break;
            default: corners = 1; break;
        }
        if (k == Kind::kVertex && m_axes.set) m_corners[0] = m_axes.ToWorld(m_corners[0]);
        for (int c = 0; c < corners; ++c)
            if (!AddPoint(m_corners[c].x, m_corners[c].y, m_corners[c].z, k == Kind::kText ? m_text : ""))
                return false;
        return true;
    }

private:
    const DxfImportParams& m_params;
    bool m_takeZero;
    ImportPointAppender& m_appender;
    Kind m_kind = Kind::kNone;
    std::array<Vec3, 4> m_corners{};
    std::string m_text;
    double m_elevation = 0;
    double m_lwX = 0;
    ObjectAxes m_axes;
};

}  // namespace

void SetDxfPointParamDialog(DxfPointParamDialog dialog) { g_paramDialog = std::move(dialog); }

DxfImportParams QuietDxfPointParams() {
    DxfImportParams p = StartDxfImportParams();
    p.read3dFace = p.readArc = p.readCircle = p.readLine = p.readSolid = p.readText = 0;
    p.readBlocks = p.readMText = p.readSpline = 0;
    p.readPoint = 1;
    p.readVertex = 1;
    p.xyMode = 1;
    p.unit = 0;
    return p;
}

int32_t ReadDxfEntitiesAsPoints(const std::filesystem::path& path, int32_t takeZeroElevation,
                                int32_t plotMode, int32_t addError, int32_t errorDigits) {
    DxfImportParams params = StartDxfImportParams();
    if (g_quietMode) {
        params = QuietDxfPointParams();
    } else if (g_paramDialog && g_paramDialog(params) == 0) {
        return 0;
    }
    return ReadDxfEntitiesWithParams(path, params, takeZeroElevation, plotMode, addError, errorDigits);
}

int32_t ReadDxfEntitiesWithParams(const std::filesystem::path& path, const DxfImportParams& params,
                                  int32_t takeZeroElevation, int32_t plotMode, int32_t addError,
                                  int32_t errorDigits) {
    g_dataChanged = -1;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kImportCannotOpen;
    const int32_t startCount = g_pointCount;
    ImportPointAppender appender(plotMode, addError, errorDigits, kGrowthStep);
    DxfPointReader entities(params, takeZeroElevation, appender);
    TextLineReader reader(file);
    std::string_view codeLine, valueLine;
    bool inEntities = false;
    bool damaged = false;
    int32_t result = 0;
    while (reader.Next(codeLine)) {
        int32_t code = 0;
        if (!ParseCode(codeLine, &code)) {
            // Code and value lines out of step: nothing after here can be trusted.
            damaged = !Trim(codeLine).empty() || reader.Next(valueLine);
            break;
        }
        if (!reader.Next(valueLine)) break;
        const std::string_view value = Trim(valueLine);
        if (!inEntities) {
            inEntities = code == 2 && value == "ENTITIES";
            continue;
        }
        if (code != 0) {
            if (!entities.Group(code, valueLine)) {
                result = -1;
                break;
            }
            continue;
        }
        if (!entities.End()) {
            result = -1;
            break;
        }
        if (value == "EOF" || value == "ENDSEC") break;
        entities.Begin(KindOf(value));
    }
    if (result == 0 && !damaged && !entities.End()) result = -1;
    const bool readError = reader.Error();
    std::fclose(file);
    if (result == -1) {
        appender.Finish();
        return -1;
    }
    if (damaged || readError) {
        TruncateImportedPoints(startCount);
        return kImportReadFailed;
    }
    appender.Finish();
    return 0;
}
