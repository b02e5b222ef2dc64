#include "model/outline_hole_files.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/file_report.h"
#include "model/holes.h"
#include "model/numeric_text.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/point_array.h"

namespace fs = std::filesystem;

namespace {
constexpr double kOutlineMatchDistance = 0.001;
constexpr double kHoleMatchBox = 0.001;
constexpr const char* kNoHolePointText = "中抜になるランダム点が見つかりません。";
constexpr const char* kDamagedLineText = "ファイルが壊れているため読み込めません。\n%s\n%lld 行目";
constexpr const char* kTooManyVerticesText =
    "頂点が上限の %d 点を超える多角形があるため読み込めません。\n%s";
constexpr const char* kOutlineFullText = "外周の点数が上限の %d 点に達したため、残りは読み込みませんでした。";

int32_t Abs(int32_t v) { return v < 0 ? -v : v; }

// Cells numbered beyond this are not placed: their coordinates lose the precision a cell
// needs, and such points are checked one by one.
constexpr double kMaxCellNumber = 4.0e15;

void ReportDamagedLine(const fs::path& path, long long lineNumber) {
    ShowMessage(FormatString(kDamagedLineText, path.string().c_str(), lineNumber), "",
                msg::kOk | msg::kIconError);
}

// One field as a decimal number: blanks around it allowed, nothing else.
bool ParseField(const std::string& field, double& value) {
    const char* begin = field.c_str();
    char* end = nullptr;
    errno = 0;
    value = std::strtod(begin, &end);
    if (end == begin) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0' && std::isfinite(value);
}

// Reads every line of a file; false when it cannot be opened (reported).
bool ReadLines(const fs::path& path, std::vector<std::string>& lines) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ReportCannotOpen(path);
        return false;
    }
    TextLineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    const bool error = reader.Error();
    std::fclose(file);
    if (error) {
        ReportCannotOpen(path);
        return false;
    }
    return true;
}

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\x1a'; });
}

std::string VertexLine(int32_t p) {
    const RandomPoint& pt = g_points[p];
    return FormatString("%.3f,%.3f,%.3f", pt.x, pt.y, pt.z);
}
}  // namespace

// ---- Point matching ----

PointMatchIndex::PointMatchIndex(double cell) : m_cell(cell) {
    for (int32_t p = 1; p <= g_pointCount; ++p) Add(p);
}

bool PointMatchIndex::CellOf(double x, double y, int64_t& cx, int64_t& cy) const {
    const double fx = std::floor(x / m_cell), fy = std::floor(y / m_cell);
    if (!(std::fabs(fx) < kMaxCellNumber && std::fabs(fy) < kMaxCellNumber)) return false;
    cx = static_cast<int64_t>(fx);
    cy = static_cast<int64_t>(fy);
    return true;
}

uint64_t PointMatchIndex::Key(int64_t cx, int64_t cy) {
    // Two cells that share a key only add candidates; every candidate is tested exactly.
    return static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(cy);
}

void PointMatchIndex::Add(int32_t point) {
    int64_t cx, cy;
    if (CellOf(g_points[point].x, g_points[point].y, cx, cy))
        m_cells[Key(cx, cy)].push_back(point);
    else
        m_unplaced.push_back(point);
}

template <class Near>
int32_t PointMatchIndex::FindFirst(double x, double y, Near near) const {
    int32_t best = 0;
    auto consider = [&](int32_t p) {
        if ((best == 0 || p < best) && near(g_points[p])) best = p;
    };
    int64_t cx, cy;
    if (CellOf(x, y, cx, cy)) {
        for (int64_t i = cx - 1; i <= cx + 1; ++i)
            for (int64_t j = cy - 1; j <= cy + 1; ++j) {
                const auto it = m_cells.find(Key(i, j));
                if (it == m_cells.end()) continue;
                for (int32_t p : it->second) consider(p);
            }
    }
    for (int32_t p : m_unplaced) consider(p);
    return best;
}

int32_t PointMatchIndex::FindWithinDistance(double x, double y, double radius) const {
    return FindFirst(x, y, [&](const RandomPoint& p) {
        return std::sqrt((y - p.y) * (y - p.y) + (x - p.x) * (x - p.x)) <= radius;
    });
}

int32_t PointMatchIndex::FindWithinBox(double x, double y, double box) const {
    return FindFirst(x, y, [&](const RandomPoint& p) {
        return std::fabs(x - p.x) < box && std::fabs(y - p.y) < box;
    });
}

// ---- Lines ----

bool ParseCoordinateLine(const std::string& line, CoordinateLine& out, bool& blank) {
    blank = IsBlank(line);
    if (blank) return false;
    std::string fields[3];
    size_t start = 0;
    int count = 0;
    while (count < 3) {
        const size_t comma = line.find(',', start);
        fields[count++] = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (count < 2 || !ParseField(fields[0], out.x) || !ParseField(fields[1], out.y)) return false;
    out.z = 0;
    if (count == 3 && !IsBlank(fields[2]) && !ParseField(fields[2], out.z)) return false;
    return true;
}

// ---- Outline ----

bool SaveOutlineFile(const fs::path& path) {
    TextFileWriter file(path);
    if (!file.IsOpen()) {
        ReportCannotCreate(path);
        return false;
    }
    const int32_t n = std::clamp(g_outline.Count(), 0, kIndexListMaxVertices);
    std::string out;
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t p = g_outline[i];
        if (p < 1 || p > g_pointCount) continue;
        out += VertexLine(p);
        out += "\r\n";
    }
    file.WriteRaw(out);
    if (!file.Close()) {
        RemovePartialFile(path);
        ReportWriteFailed(path);
        return false;
    }
    return true;
}

bool ReadOutlineFile(const fs::path& path, std::vector<CoordinateLine>& vertices) {
    vertices.clear();
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return false;
    for (size_t i = 0; i < lines.size(); ++i) {
        CoordinateLine v;
        bool blank = false;
        if (ParseCoordinateLine(lines[i], v, blank)) {
            vertices.push_back(v);
        } else if (!blank) {
            vertices.clear();
            ReportDamagedLine(path, static_cast<long long>(i + 1));
            return false;
        }
    }
    return true;
}

int32_t AppendOutlineVertices(const std::vector<CoordinateLine>& vertices) {
    int32_t made = 0;
    PointMatchIndex index;
    for (const CoordinateLine& v : vertices) {
        if (g_outline.Count() >= kIndexListMaxVertices) {
            ShowMessage(FormatString(kOutlineFullText, kIndexListMaxVertices), "",
                        msg::kOk | msg::kIconWarning);
            break;
        }
        int32_t p = index.FindWithinDistance(v.x, v.y, kOutlineMatchDistance);
        if (p != 0) {
            RandomPoint& pt = g_points[p];
            pt.invalid = 0;
            pt.outside = 0;
            pt.flags = kPointFlagOutline;
        } else {
            p = AppendEditPoint();
            if (p == 0) continue;
            ++g_pointCount;
            RandomPoint& pt = g_points[p];
            pt.x = v.x;
            pt.y = v.y;
            pt.z = v.z;
            std::memset(pt.name, 0, sizeof pt.name);
            pt.invalid = 0;
            pt.plotKind = 0;
            pt.outside = 0;
            pt.hidden = 0;
            pt.flags = kPointFlagOutline;
            g_pointsPresent = -1;
            index.Add(p);
            ++made;
        }
        g_outline.Append(p);
        g_outline.Close();
    }
    return made;
}

bool LoadOutlineFile(const fs::path& path) {
    std::vector<CoordinateLine> vertices;
    if (!ReadOutlineFile(path, vertices)) return false;
    AppendOutlineVertices(vertices);
    return true;
}

// ---- Holes ----

int32_t SaveHoleFile(const fs::path& path, int32_t* unclosed) {
    if (unclosed) *unclosed = 0;
    if (g_tinEdgeCount <= 0 || !g_tinEdges || !g_points) return kHoleFileNoHole;
    const int32_t count = g_tinEdgeCount;
    bool anyHole = false;
    for (int32_t i = 1; i <= count; ++i) {
        g_tinEdges[i].state = 0;
        if (g_tinEdges[i].a < 0 || g_tinEdges[i].b < 0) anyHole = true;
    }
    if (!anyHole) return kHoleFileNoHole;

    MarkHoleVertices();
    auto isPoint = [](int32_t p) { return p >= 1 && p <= g_pointCount; };
    auto marked = [&](int32_t v) {
        if (v == kNoApex) return false;
        const int32_t p = Abs(v);
        return isPoint(p) && g_points[p].scratch == 1;
    };
    // Boundary records by end point, in record order, for the walk.
    std::vector<int32_t> start(static_cast<size_t>(g_pointCount) + 2, 0);
    for (int32_t i = 1; i <= count; ++i) {
        TinEdge& r = g_tinEdges[i];
        if (!marked(r.a) || !marked(r.b)) continue;
        const bool back = marked(r.apexBack), search = marked(r.apexSearch);
        if ((r.apexBack == kNoApex && search) || back != search) {
            r.state = 1;
            ++start[Abs(r.a) + 1];
            ++start[Abs(r.b) + 1];
        }
    }
    for (size_t p = 1; p < start.size(); ++p) start[p] += start[p - 1];
    std::vector<int32_t> records(static_cast<size_t>(start.back()));
    {
        std::vector<int32_t> fill(start.begin(), start.end() - 1);
        for (int32_t i = 1; i <= count; ++i) {
            const TinEdge& r = g_tinEdges[i];
            if (r.state != 1) continue;
            records[fill[Abs(r.a)]++] = i;
            records[fill[Abs(r.b)]++] = i;
        }
    }
    std::vector<int32_t> cursor(start.begin(), start.end() - 1);
    // The first boundary record not yet taken that ends at p (0 none).
    auto firstAt = [&](int32_t p) {
        int32_t& c = cursor[p];
        while (c < start[p + 1] && g_tinEdges[records[c]].state != 1) ++c;
        return c < start[p + 1] ? records[c] : 0;
    };

    TextFileWriter file(path);
    if (!file.IsOpen()) {
        for (int32_t i = 1; i <= count; ++i) g_tinEdges[i].state = 0;
        return kHoleFileCannotCreate;
    }
    ClearPicks();
    int32_t skipped = 0;
    std::vector<int32_t> chain;
    std::string out;
    for (int32_t i = 1; i <= count; ++i) {
        if (g_tinEdges[i].state != 1) continue;
        g_tinEdges[i].state = 0;
        chain.assign({Abs(g_tinEdges[i].a), Abs(g_tinEdges[i].b)});
        bool closed = false;
        // Every step takes a record, so the walk ends; a chain that cannot go on is open.
        while (true) {
            const int32_t last = chain.back();
            const int32_t k = firstAt(last);
            if (k == 0) break;
            TinEdge& r = g_tinEdges[k];
            r.state = 0;
            const int32_t other = Abs(r.a) == last ? Abs(r.b) : Abs(r.a);
            if (other == chain[chain.size() - 2]) continue;
            chain.push_back(other);
            if (other == chain.front()) {
                closed = true;
                break;
            }
        }
        const int32_t n = static_cast<int32_t>(chain.size()) - 1;
        if (!closed || n > kIndexListMaxVertices) {
            ++skipped;
            continue;
        }
        IndexList& polygon = g_pickList2;
        for (int32_t k = 1; k <= n; ++k) polygon[k] = chain[k - 1];
        polygon[0] = n;
        polygon[n + 1] = polygon[1];
        OrientPolygonClockwise(polygon);
        for (int32_t k = 1; k <= n; ++k) {
            out += VertexLine(polygon[k]);
            out += "\r\n";
        }
        out += "E\r\n";
        if (out.size() > (1u << 20)) {
            file.WriteRaw(out);
            out.clear();
        }
    }
    file.WriteRaw(out);
    const bool written = file.Close();
    ClearPicks();
    for (int32_t i = 1; i <= count; ++i) g_tinEdges[i].state = 0;
    if (unclosed) *unclosed = skipped;
    if (!written) {
        RemovePartialFile(path);
        return kHoleFileWriteFailed;
    }
    return kHoleFileWritten;
}

int32_t LoadHoleFile(const fs::path& path, const std::function<int32_t()>& chooseKind) {
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) return 0;

    // Everything is read and matched first, so a bad file changes nothing.
    std::vector<std::vector<int32_t>> polygons(1);
    PointMatchIndex index;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find('E') != std::string::npos) {
            polygons.emplace_back();
            continue;
        }
        CoordinateLine v;
        bool blank = false;
        if (!ParseCoordinateLine(line, v, blank)) {
            if (blank) continue;
            ReportDamagedLine(path, static_cast<long long>(i + 1));
            return 0;
        }
        const int32_t p = index.FindWithinBox(v.x, v.y, kHoleMatchBox);
        if (p == 0) {
            ShowMessage(kNoHolePointText, "", msg::kOk | msg::kIconError);
            return 0;
        }
        std::vector<int32_t>& polygon = polygons.back();
        // A ring written with its closing copy is the same ring.
        if (polygon.size() >= 3 && p == polygon.front()) continue;
        polygon.push_back(p);
        if (static_cast<int32_t>(polygon.size()) > kIndexListMaxVertices) {
            ShowMessage(FormatString(kTooManyVerticesText, kIndexListMaxVertices, path.string().c_str()),
                        "", msg::kOk | msg::kIconError);
            return 0;
        }
    }

    ClearPicks();
    const int32_t kind = chooseKind ? chooseKind() : kHoleContour;
    for (const std::vector<int32_t>& polygon : polygons) {
        const int32_t n = static_cast<int32_t>(polygon.size());
        if (n < 3) continue;
        IndexList& list = g_pickList2;
        for (int32_t k = 1; k <= n; ++k) list[k] = polygon[k - 1];
        list[0] = n;
        list[n + 1] = list[1];
        ApplyHolePolygon(kind, n);
        ClearPicks();
    }
    return 1;
}
