#include "dxf/dxf_entities.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "dxf/dxf_spline.h"
#include "platform/encoding.h"
#include "platform/text_io.h"

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;

std::string_view SkipBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    return s.substr(i);
}

bool AllFinite(const std::vector<DxfPoint3>& points) {
    for (const DxfPoint3& p : points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    return true;
}

void CopyName(char* field, size_t size, std::string_view value) {
    const std::string stored = DxfStoredName(value, size);
    std::memset(field, 0, size);
    std::memcpy(field, stored.data(), stored.size());
}

// Layer and colour of an entity; false when it is not drawn (its layer is off or its
// own colour is negative).
bool ResolveLayer(const DxfEntityHead& head, int32_t& layer, int32_t& colour) {
    int32_t layerColour = head.colour;
    FindOrAddDxfLayer(head.layer, layer, layerColour);
    if (layerColour < 0 || head.colour < 0) return false;
    colour = (head.colour == 256 || head.colour == -256) ? layerColour : head.colour;
    return true;
}

void Cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace

void ResetDxfEntityHead(DxfEntityHead& head) {
    std::memset(&head, 0, sizeof head);
    head.colour = 256;
}

int32_t DxfGroupCode(std::string_view line) {
    if (line.size() > kDxfLineLimit) return -1;
    const int32_t value = ParseDxfInt(line);
    if (value < 0) return -1;
    char digits[16];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    if (line.find(std::string_view(digits, r.ptr - digits)) == std::string_view::npos) return -1;
    return value;
}

bool IsDxfGroupCode(std::string_view line, int32_t code) { return DxfGroupCode(line) == code; }

bool MatchesDxfKeyword(std::string_view line, std::string_view keyword) {
    auto drop = [](std::string_view s) {
        if (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
        return s;
    };
    return line.size() <= kDxfLineLimit && drop(line) == drop(keyword);
}

double ParseDxfDouble(std::string_view text) {
    text = SkipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec == std::errc()) return value;
    if (r.ec == std::errc::result_out_of_range) {
        // strtod's answer: infinity for an overflow, 0 for an underflow.
        return std::strtod(std::string(text.substr(0, std::min<size_t>(text.size(), 400))).c_str(), nullptr);
    }
    return 0;
}

int32_t ParseDxfInt(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) {
            value = int64_t{INT32_MAX} + 1;
            break;
        }
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string DxfStoredName(std::string_view value, size_t limit) {
    std::string name(value);
    name += '\n';
    name.resize(Cp932PrefixLength(name, limit - 1));
    return name;
}

bool DxfGroupReader::NextLine(std::string_view& line) { return m_lines.Next(line); }

bool DxfGroupReader::NextPair(int32_t& code, std::string_view& value) {
    std::string_view line;
    if (!m_lines.Next(line) || line.empty()) return false;
    code = DxfGroupCode(line);
    if (code == 0) return false;
    if (!m_lines.Next(value) || value.empty()) return false;
    return true;
}

double DxfGroupReader::Number(std::string_view value) {
    const double v = ParseDxfDouble(value);
    if (!std::isfinite(v)) {
        refused = true;
        return 0;
    }
    return v;
}

bool ComputeOcsAxes(const double normal[3], double xAxis[3], double yAxis[3]) {
    double n[3] = {normal[0], normal[1], normal[2]};
    if ((n[0] == 0 && n[1] == 0 && (n[2] == 0 || n[2] == 1))) return false;
    // A direction given at some other length means the same direction.
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0) || !std::isfinite(length)) return false;
    for (double& c : n) c /= length;
    double preliminary[3];
    if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64) {
        preliminary[0] = n[2];
        preliminary[1] = 0;
        preliminary[2] = -n[0];
    } else {
        preliminary[0] = -n[1];
        preliminary[1] = n[0];
        preliminary[2] = 0;
    }
    Cross(n, preliminary, yAxis);
    const double yl = std::sqrt(yAxis[0] * yAxis[0] + yAxis[1] * yAxis[1] + yAxis[2] * yAxis[2]);
    for (int i = 0; i < 3; ++i) yAxis[i] /= yl;
    Cross(yAxis, n, xAxis);
    return true;
}

void ApplyOcs(const double normal[3], std::vector<DxfPoint3>& points) {
    double xa[3], ya[3];
    if (!ComputeOcsAxes(normal, xa, ya)) return;
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const double n[3] = {normal[0] / length, normal[1] / length, normal[2] / length};
    for (DxfPoint3& p : points) {
        const DxfPoint3 q = p;
        p.x = q.x * xa[0] + q.y * ya[0] + q.z * n[0];
        p.y = q.x * xa[1] + q.y * ya[1] + q.z * n[1];
        p.z = q.x * xa[2] + q.y * ya[2] + q.z * n[2];
    }
}

void DivideDxfArc(const DxfPoint3& centre, double radius, double startDeg, double endDeg,
                  std::vector<DxfPoint3>& out) {
    out.clear();
    // Angles of any size describe the same arc: the start is brought into [0, 360) and
    // the sweep into (0, 360], so a huge or wound-up angle costs no more than a circle.
    double start = std::fmod(startDeg, 360.0);
    if (start < 0) start += 360.0;
    double end = std::fmod(endDeg, 360.0);
    if (end < 0) end += 360.0;
    if (start > end) end += 360.0;
    double sweep = end - start;
    if (sweep == 0 && startDeg != endDeg && std::fmod(endDeg - startDeg, 360.0) == 0) sweep = 360.0;
    end = start + sweep;
    double step = 10;
    if (sweep < 1)
        step = 0.2;
    else if (sweep < 10)
        step = 1;
    else if (sweep < 50)
        step = 5;
    double angle = start;
    bool last = false;
    for (int32_t guard = 0; guard < 4000; ++guard) {
        const double a = (angle >= 360 ? angle - 360 : angle) * kDegree;
        out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z});
        if (last) break;
        angle += step;
        if (angle > end) {
            angle = end;
            last = true;
        }
    }
}

void DivideDxfCircle(const DxfPoint3& centre, double radius, std::vector<DxfPoint3>& out) {
    out.clear();
    double step = 10;
    if (radius < 1)
        step = 40;
    else if (radius < 10)
        step = 30;
    else if (radius < 20)
        step = 20;
    const int32_t n = static_cast<int32_t>(360 / step);
    for (int32_t i = 0; i <= n; ++i) {
        double angle = i * step;
        if (angle >= 360) angle = 0;
        out.push_back({centre.x + radius * std::cos(angle * kDegree), centre.y + radius * std::sin(angle * kDegree),
                       centre.z});
    }
}

bool ComputeBulgeArc(bool clockwise, double includedAngle, const DxfPoint3& p1, const DxfPoint3& p2,
                     double& centreX, double& centreY, double& radius, int32_t& segments, double& step,
                     double& startAngle, double& endAngle) {
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double chord = std::hypot(dx, dy);
    const double half = std::fabs(includedAngle) / 2;
    if (!(chord > 0) || !std::isfinite(chord) || !(std::sin(half) > 0)) return false;
    radius = (chord / 2) / std::sin(half);
    if (!(radius > 0.0005) || !std::isfinite(radius)) return false;
    const double alpha = (kPi - std::fabs(includedAngle)) / 2;
    const double turn = clockwise ? -alpha : alpha;
    const double ux = dx / chord, uy = dy / chord;
    centreX = p1.x + radius * (ux * std::cos(turn) - uy * std::sin(turn));
    centreY = p1.y + radius * (ux * std::sin(turn) + uy * std::cos(turn));
    const double c = std::acos(std::fabs((radius - 0.001) / radius));
    if (!(c > 0)) return false;
    const double a = 1 + std::trunc(kPi / c);
    segments = a > 10000 ? 10000 : static_cast<int32_t>(a);
    step = 2 * kPi / segments;
    auto wrap = [](double v) {
        v = std::fmod(v, 2 * kPi);
        return v < 0 ? v + 2 * kPi : v;
    };
    startAngle = wrap(std::atan2(p1.y - centreY, p1.x - centreX));
    endAngle = wrap(std::atan2(p2.y - centreY, p2.x - centreX));
    if (clockwise) {
        if (startAngle < endAngle) endAngle -= 2 * kPi;
    } else if (startAngle > endAngle) {
        startAngle -= 2 * kPi;
    }
    return true;
}

void TessellateBulgeArc(const DxfPoint3& p1, const DxfPoint3& p2, double bulge, std::vector<DxfPoint3>& out) {
    const double theta = 4 * std::atan(bulge);
    const bool clockwise = theta <= 0;
    double cx, cy, r, step, start, end;
    int32_t segments;
    if (!ComputeBulgeArc(clockwise, theta, p1, p2, cx, cy, r, segments, step, start, end)) return;
    for (int32_t j = 0; j < segments; ++j) {
        const double angle = clockwise ? start - j * step : start + j * step;
        if (clockwise ? angle < end : angle > end) break;
        // The arc starts on p1 itself, not on its rounded image.
        if (j == 0)
            out.push_back({p1.x, p1.y, 0});
        else
            out.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle), 0});
    }
}

bool ExpandBulges(const std::vector<DxfBulgePoint>& in, std::vector<DxfPoint3>& out) {
    out.clear();
    std::vector<DxfPoint3> arc;
    const size_t limit = static_cast<size_t>(std::max(g_dxfElementLimit, 0));
    for (size_t i = 0; i < in.size(); ++i) {
        if (out.size() > limit) return false;
        if (i > 0 && in[i - 1].bulge != 0) {
            const DxfBulgePoint& a = in[i - 1];
            const DxfBulgePoint& b = in[i];
            arc.clear();
            TessellateBulgeArc({a.x, a.y, a.z}, {b.x, b.y, b.z}, a.bulge, arc);
            const double c = static_cast<double>(arc.size());
            for (size_t j = 0; j < arc.size(); ++j)
                out.push_back({arc[j].x, arc[j].y, a.z + (b.z - a.z) * static_cast<double>(j) / c});
        }
        out.push_back({in[i].x, in[i].y, in[i].z});
    }
    return out.size() <= limit;
}

std::string StripDxfTextFormatting(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    bool inCode = false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (inCode) {
            if (c == ';') inCode = false;
            continue;
        }
        if (c == '\\') {
            inCode = true;
            continue;
        }
        if (c == ';' || c == '{' || c == '}') continue;
        text += c;
        // The trail byte of a double-byte character may be a backslash or a brace: it
        // belongs to the character.
        if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < value.size()) text += value[++i];
    }
    if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text.resize(Cp932PrefixLength(text, kDxfTextBytes));
    return text;
}

void EmitDxfPolyline(const DxfEntityHead& head, DxfTarget& target, std::vector<DxfPoint3>& points,
                     uint8_t forcedPen, const DxfClip& clip) {
    struct Free {
        std::vector<DxfPoint3>& p;
        ~Free() { p.clear(); }
    } freeList{points};
    if ((target != DXF_TARGET_BLOCKS && target != DXF_TARGET_ENTITIES) || points.empty()) return;
    if (forcedPen == 0 && points.size() < 2) return;
    ApplyOcs(head.extrusion, points);
    if (!AllFinite(points)) return;
    int32_t layer = 0, colour = 0;
    if (!ResolveLayer(head, layer, colour)) return;
    if (points.size() > static_cast<size_t>(INT32_MAX - 200)) return;
    if (EnsureDxfCapacity(target, static_cast<int32_t>(points.size()) + 100) < 0) return;
    const bool clipping = clip.on && target == DXF_TARGET_ENTITIES;
    bool afterDropped = false;
    for (size_t i = 0; i < points.size(); ++i) {
        const DxfPoint3& p = points[i];
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.layer = layer;
        e.colour = colour;
        e.pen = forcedPen ? forcedPen : (i == 0 || afterDropped ? DXF_PEN_MOVE : DXF_PEN_DRAW);
        e.x = e.sourceX = p.y;
        e.y = e.sourceY = p.x;
        e.z = p.z;
        afterDropped = false;
        if (clipping && clip.Outside(e.x, e.y)) {
            --g_dxfElementCount;
            ++g_dxfClippedCount;
            afterDropped = true;
        }
    }
}

void EmitDxfText(const DxfEntityHead& head, DxfTarget& target, const DxfPoint3& position, double height,
                 double angle, std::string_view text, const DxfClip& clip) {
    if ((target != DXF_TARGET_BLOCKS && target != DXF_TARGET_ENTITIES) || text.empty()) return;
    int32_t layer = 0, colour = 0;
    if (!ResolveLayer(head, layer, colour)) return;
    if (EnsureDxfCapacity(target, 100) < 0) return;
    DxfElement& e = AppendDxfRecord(target);
    std::memset(&e, 0, sizeof e);
    e.pen = DXF_PEN_TEXT;
    e.layer = layer;
    e.colour = colour;
    e.x = e.sourceX = position.y;
    e.y = e.sourceY = position.x;
    e.z = position.z;
    e.textHeight = height;
    e.textAngle = angle;
    const size_t n = Cp932PrefixLength(text, sizeof e.text - 1);
    std::memcpy(e.text, text.data(), n);
    if (clip.on && target == DXF_TARGET_ENTITIES && clip.Outside(e.x, e.y)) {
        --g_dxfElementCount;
        ++g_dxfClippedCount;
    }
}

namespace {
// Groups every kind reads into its head.
bool HeadGroup(DxfGroupReader& r, DxfEntityHead& head, int32_t code, std::string_view value, bool extrusion) {
    switch (code) {
        case 8:
            CopyName(head.layer, sizeof head.layer, value);
            return true;
        case 62:
            head.colour = ParseDxfInt(value);
            return true;
        case 210:
        case 220:
        case 230:
            if (!extrusion) return false;
            head.extrusion[(code - 210) / 10] = r.Number(value);
            return true;
        default:
            return false;
    }
}

void ReadPointEntities(DxfGroupReader& r, DxfEntityHead& head, DxfPoint3* corners, int32_t cornerCount) {
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, head, code, value, true)) continue;
        const int32_t axis = code / 10 - 1;  // 10..13 x, 20..23 y, 30..33 z
        const int32_t index = code % 10;
        if (code >= 10 && code < 40 && index < cornerCount) {
            double& field = axis == 0 ? corners[index].x : axis == 1 ? corners[index].y : corners[index].z;
            field = r.Number(value);
        }
    }
}

void ReadLineLike(DxfEntityKind kind, DxfGroupReader& r, DxfEntityRun& run) {
    DxfEntityHead head;
    ResetDxfEntityHead(head);
    DxfPoint3 c[4] = {};
    const int32_t count = kind == DxfEntityKind::kPoint ? 1 : kind == DxfEntityKind::kLine ? 2 : 4;
    ReadPointEntities(r, head, c, count);
    if (r.refused) return;
    if (!kDxfReadRules.ocsOnWorldEntities && kind != DxfEntityKind::kSolid)
        head.extrusion[0] = head.extrusion[1] = head.extrusion[2] = 0;
    run.points.assign(c, c + count);
    if (kind == DxfEntityKind::kSolid && !kDxfReadRules.solidOrder1234) std::swap(run.points[2], run.points[3]);
    EmitDxfPolyline(head, run.target, run.points, kind == DxfEntityKind::kPoint ? DXF_PEN_POINT : 0, run.clip);
}

void ReadArcOrCircle(bool arc, DxfGroupReader& r, DxfEntityRun& run) {
    DxfEntityHead head;
    ResetDxfEntityHead(head);
    DxfPoint3 centre{};
    double radius = 0, start = 0, end = 0;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, head, code, value, true)) continue;
        switch (code) {
            case 10: centre.x = r.Number(value); break;
            case 20: centre.y = r.Number(value); break;
            case 30: centre.z = r.Number(value); break;
            case 40: radius = r.Number(value); break;
            case 50: start = r.Number(value); break;
            case 51: end = r.Number(value); break;
            default: break;
        }
    }
    if (r.refused) return;
    if (arc)
        DivideDxfArc(centre, radius, start, end, run.points);
    else
        DivideDxfCircle(centre, radius, run.points);
    EmitDxfPolyline(head, run.target, run.points, 0, run.clip);
}

void ReadText(bool mtext, DxfGroupReader& r, DxfEntityRun& run) {
    DxfEntityHead head;
    ResetDxfEntityHead(head);
    DxfPoint3 position{};
    double height = 0, angle = 0;
    std::string text;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, head, code, value, false)) continue;
        switch (code) {
            case 10: position.x = r.Number(value); break;
            case 20: position.y = r.Number(value); break;
            case 30: position.z = r.Number(value); break;
            case 40: height = r.Number(value); break;
            case 50:
                if (!mtext) angle = r.Number(value);
                break;
            case 1: text = StripDxfTextFormatting(value); break;
            default: break;
        }
    }
    if (r.refused) return;
    EmitDxfText(head, run.target, position, height, angle, text, run.clip);
}

void EmitPending(DxfEntityRun& run) {
    DxfPendingPolyline& p = run.pending;
    if (!p.vertices.empty()) {
        if (p.closed) p.vertices.push_back(p.vertices.front());
        if (ExpandBulges(p.vertices, run.points))
            EmitDxfPolyline(p.head, run.target, run.points, 0, run.clip);
        else if (run.target == DXF_TARGET_BLOCKS || run.target == DXF_TARGET_ENTITIES)
            run.target = DXF_TARGET_FAILED;
    }
    ResetDxfEntityHead(p.head);
    p.vertices.clear();
    p.closed = false;
}

void ReadPolyline(DxfGroupReader& r, DxfEntityRun& run) {
    DxfPendingPolyline& p = run.pending;
    p.vertices.clear();
    ResetDxfEntityHead(p.head);
    p.closed = false;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, p.head, code, value, true)) continue;
        if (code == 70) p.closed = (ParseDxfInt(value) & 1) != 0;
    }
    // A header with a number that is not finite takes its vertices with it.
    if (r.refused) p.head.colour = -1;
}

void ReadVertex(DxfGroupReader& r, DxfEntityRun& run) {
    DxfBulgePoint v{};
    int32_t flags = 0;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        switch (code) {
            case 10: v.x = r.Number(value); break;
            case 20: v.y = r.Number(value); break;
            case 30: v.z = r.Number(value); break;
            case 42: v.bulge = r.Number(value); break;
            case 70: flags = ParseDxfInt(value); break;
            default: break;
        }
    }
    if (r.refused) return;
    if (!kDxfReadRules.takeFaceVertices && (flags & 128) && !(flags & 64)) return;
    if (run.pending.vertices.size() >= static_cast<size_t>(kMaxDxfLwPolylineVertices)) return;
    run.pending.vertices.push_back(v);
}

void ReadLwPolyline(DxfGroupReader& r, DxfEntityRun& run) {
    DxfEntityHead head;
    ResetDxfEntityHead(head);
    std::vector<DxfBulgePoint>& vertices = run.bulgePoints;
    vertices.clear();
    double x = 0, elevation = 0;
    int32_t flags = 0;
    bool dropped = false;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, head, code, value, true)) continue;
        switch (code) {
            case 38: elevation = r.Number(value); break;
            case 70: flags = ParseDxfInt(value); break;
            case 10: x = r.Number(value); break;
            case 20:
                if (vertices.size() < static_cast<size_t>(kMaxDxfLwPolylineVertices)) {
                    vertices.push_back({x, r.Number(value), elevation, 0});
                    dropped = false;
                } else {
                    dropped = true;
                }
                break;
            case 42:
                if (!vertices.empty() && !dropped) vertices.back().bulge = r.Number(value);
                break;
            default: break;
        }
    }
    if (r.refused || vertices.empty()) return;
    // The elevation may come after the vertices.
    for (DxfBulgePoint& v : vertices) v.z = elevation;
    const bool closed = kDxfReadRules.lwPolylineClosedOnlyAtOne ? flags == 1 : (flags & 1) != 0;
    if (closed) vertices.push_back(vertices.front());
    if (!ExpandBulges(vertices, run.points)) {
        if (run.target == DXF_TARGET_BLOCKS || run.target == DXF_TARGET_ENTITIES) run.target = DXF_TARGET_FAILED;
        return;
    }
    EmitDxfPolyline(head, run.target, run.points, 0, run.clip);
}

void ReadSpline(DxfGroupReader& r, DxfEntityRun& run) {
    DxfSplineRecord spline;
    ResetDxfEntityHead(spline.head);
    spline.quality = run.splineQuality;
    double x = 0;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, spline.head, code, value, true)) continue;
        switch (code) {
            case 10: x = r.Number(value); break;
            case 20:
                if (spline.control.size() < static_cast<size_t>(kMaxDxfSplineControlPoints))
                    spline.control.push_back({x, r.Number(value), 0});
                break;
            case 30:
                if (!spline.control.empty()) spline.control.back().z = r.Number(value);
                break;
            case 40:
                if (spline.knots.size() < static_cast<size_t>(kMaxDxfSplineControlPoints) + 64)
                    spline.knots.push_back(r.Number(value));
                break;
            case 12: spline.startTangent.x = r.Number(value); break;
            case 22: spline.startTangent.y = r.Number(value); break;
            case 32: spline.startTangent.z = r.Number(value); break;
            case 13: spline.endTangent.x = r.Number(value); break;
            case 23: spline.endTangent.y = r.Number(value); break;
            case 33: spline.endTangent.z = r.Number(value); break;
            default: break;
        }
    }
    if (r.refused || spline.control.empty()) return;
    DxfClip clip = run.clip;
    if (clip.on && run.target == DXF_TARGET_ENTITIES) {
        // A curve that starts inside the drawing is kept whole.
        for (const DxfPoint3& c : spline.control)
            if (!clip.Outside(c.y, c.x)) {
                clip.on = false;
                break;
            }
    }
    if (EvaluateDxfSpline(spline, run.points) > 1) EmitDxfPolyline(spline.head, run.target, run.points, 0, clip);
    run.points.clear();
}
}  // namespace

void HandleDxfEntity(DxfEntityKind kind, DxfGroupReader& reader, DxfEntityRun& run) {
    reader.refused = false;
    switch (kind) {
        case DxfEntityKind::kLine:
        case DxfEntityKind::kPoint:
        case DxfEntityKind::k3dFace:
        case DxfEntityKind::kSolid:
            ReadLineLike(kind, reader, run);
            break;
        case DxfEntityKind::kArc:
            ReadArcOrCircle(true, reader, run);
            break;
        case DxfEntityKind::kCircle:
            ReadArcOrCircle(false, reader, run);
            break;
        case DxfEntityKind::kText:
            ReadText(false, reader, run);
            break;
        case DxfEntityKind::kMText:
            ReadText(true, reader, run);
            break;
        case DxfEntityKind::kPolyline:
            ReadPolyline(reader, run);
            break;
        case DxfEntityKind::kVertex:
            ReadVertex(reader, run);
            break;
        case DxfEntityKind::kSeqEnd:
            EmitPending(run);
            break;
        case DxfEntityKind::kLwPolyline:
            ReadLwPolyline(reader, run);
            break;
        case DxfEntityKind::kSpline:
            ReadSpline(reader, run);
            break;
    }
    run.points.clear();
}

void ReadDxfInsertEntity(DxfGroupReader& r, DxfInsert& insert) {
    ResetDxfEntityHead(insert.head);
    insert.blockName.clear();
    insert.position = {};
    insert.scale[0] = insert.scale[1] = insert.scale[2] = 1;
    insert.rotation = 0;
    int32_t code;
    std::string_view value;
    while (r.NextPair(code, value)) {
        if (HeadGroup(r, insert.head, code, value, true)) continue;
        switch (code) {
            case 2: insert.blockName = DxfStoredName(value, 128); break;
            case 10: insert.position.x = r.Number(value); break;
            case 20: insert.position.y = r.Number(value); break;
            case 30: insert.position.z = r.Number(value); break;
            case 41: insert.scale[0] = r.Number(value); break;
            case 42: insert.scale[1] = r.Number(value); break;
            case 43: insert.scale[2] = r.Number(value); break;
            case 50: insert.rotation = r.Number(value); break;
            default: break;
        }
    }
}
