#include "volume/mesh_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <vector>

#include "model/file_report.h"
#include "model/le_bytes.h"
#include "model/pick_reset.h"
#include "model/progress.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kBadMeshSize = "メッシュ幅、もしくはメッシュピッチの値が不正です。";
constexpr const char* kPointMemory = "ランダム点データのメモリ確保に失敗しました。";
constexpr const char* kTinMemory = "三角網データのメモリ確保に失敗しました。";
constexpr const char* kNoValidElevation =
    "有効な標高値がないため、欠損点の標高を 0 としました。";
constexpr const char* kAskMissing =
    "欠損点も出力しますか？\n（欠損点を出力しない場合、三角網データは作成されません)";
constexpr const char* kNoMeshNodes = "メッシュ標高データがありません。";
constexpr const char* kAsterisks = "********************";
// A grid beyond this many points is damage, not a survey: four TIN records per point
// must still fit the edge block's int32 count.
constexpr double kMaxMeshTextPoints = 100000000.0;

// Lines of a whole file with the length of each line's break, so that a line is read
// whole however long it is.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line, size_t& breakLength) {
        if (m_pos >= m_text.size()) return false;
        size_t end = m_text.find_first_of("\r\n", m_pos);
        if (end == std::string_view::npos) {
            line = m_text.substr(m_pos);
            breakLength = 0;
            m_pos = m_text.size();
            return true;
        }
        line = m_text.substr(m_pos, end - m_pos);
        breakLength = (m_text[end] == '\r' && end + 1 < m_text.size() && m_text[end + 1] == '\n') ? 2 : 1;
        m_pos = end + breakLength;
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                               : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

double HeaderValue(const std::string& field) {
    const size_t eq = field.find('=');
    return std::atof(eq == std::string::npos ? field.c_str() : field.c_str() + eq + 1);
}

bool Contains(const std::string& s, char a, char b) {
    return s.find(a) != std::string::npos || s.find(b) != std::string::npos;
}

void StorePoint(int32_t index, double x, double y, const MeshTextField& f) {
    RandomPoint& p = g_points[index];
    std::memset(&p, 0, sizeof p);
    p.x = x;
    p.y = y;
    p.z = f.z;
    p.invalid = f.invalid ? 1 : 0;
    std::strncpy(p.name, f.name.c_str(), sizeof p.name - 1);
}

bool EnsureRecords(int32_t points) {
    if (g_pointCapacity >= points + 2) return true;
    const int32_t want = points + 100;
    if (GrowPointBlock(want) != 0) return false;
    g_pointCapacity = want;
    return true;
}

// The grid's edges in the builder's convention: the search-side triangle counter-
// clockwise on the map, "none" in the back slot for border edges. The cell (j..j+1,
// i..i+1) is split by the diagonal (j, i)-(j+1, i+1).
void AppendGridEdges(int32_t columns, int32_t rows) {
    auto node = [columns](int32_t j, int32_t i) { return (i - 1) * columns + j; };
    int32_t n = 0;
    auto add = [&n](int32_t a, int32_t b, int32_t search, int32_t back) {
        g_tinEdges[++n] = TinEdge{a, b, back, search, 0};
    };
    for (int32_t i = 1; i <= rows - 1; ++i) add(node(1, i), node(1, i + 1), node(2, i + 1), kNoApex);
    for (int32_t j = 1; j <= columns - 1; ++j)
        add(node(j, rows), node(j + 1, rows), node(j, rows - 1), kNoApex);
    for (int32_t i = rows - 1; i >= 1; --i)
        add(node(columns, i + 1), node(columns, i), node(columns - 1, i), kNoApex);
    for (int32_t j = columns; j >= 2; --j) add(node(j, 1), node(j - 1, 1), node(j, 2), kNoApex);
    for (int32_t i = 1; i <= rows - 1; ++i) {
        g_progressCurrent = i;
        RefreshProgressWindow();
        for (int32_t j = 1; j <= columns - 1; ++j) {
            if (i > 1) add(node(j + 1, i), node(j, i), node(j + 1, i + 1), node(j, i - 1));
            if (j > 1) add(node(j, i), node(j, i + 1), node(j + 1, i + 1), node(j - 1, i));
            add(node(j + 1, i + 1), node(j, i), node(j, i + 1), node(j + 1, i));
        }
    }
    g_tinEdgeCount = n;
}
}  // namespace

MeshTextField ParseMeshTextField(const std::string& field) {
    MeshTextField f;
    if (field.find_first_not_of(" \t") == std::string::npos) return f;
    f.z = std::atof(field.c_str());
    f.invalid = false;
    if (std::fabs(f.z - 9999.0) <= 0.001) {
        f.z = 0;
        f.name = "_W";
    }
    if (field.find('*') != std::string::npos) f.invalid = true;
    if (Contains(field, 'C', 'c')) f.name = "_C";
    if (Contains(field, 'F', 'f')) f.name = "_F";
    if (Contains(field, 'N', 'n')) f.name = "_N";
    if (Contains(field, 'W', 'w')) f.name = "_W";
    if (Contains(field, 'H', 'h')) f.name = "_H";
    return f;
}

int32_t ImportMeshText(const std::string& path, int32_t rule, double elevation) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return -1;
    LineCursor lines(bytes);
    std::string_view line;
    size_t breakLength = 0;
    if (!lines.Next(line, breakLength)) line = {};

    double header[7] = {0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::string> fields = SplitFields(line);
    for (size_t k = 0; k < 7 && k < fields.size(); ++k) header[k] = HeaderValue(fields[k]);
    const double ox = header[0], oy = header[1], rotation = header[2];
    const double lengthL = header[3], widthW = header[4], pitchL = header[5], pitchW = header[6];
    // NaN fails each comparison too.
    if (!(lengthL > 0) || !(widthW > 0) || !(pitchL > 0) || !(pitchW > 0)) {
        ShowMessage(kBadMeshSize, "", msg::kOk | msg::kIconError);
        return -1;
    }
    const double columnsD = std::floor(lengthL / pitchL) + 1;
    const double rowsD = std::floor(widthW / pitchW) + 1;
    if (!(columnsD * rowsD <= kMaxMeshTextPoints) || !std::isfinite(ox) || !std::isfinite(oy) ||
        !std::isfinite(rotation)) {
        ShowMessage(kPointMemory, "", msg::kOk | msg::kIconError);
        return -1;
    }
    const int32_t columns = static_cast<int32_t>(columnsD);
    const int32_t rows = static_cast<int32_t>(rowsD);
    const int32_t total = columns * rows;
    // The points loaded stay when the new ones do not fit.
    if (!EnsureRecords(total)) {
        ShowMessage(kPointMemory, "", msg::kOk | msg::kIconError);
        return -1;
    }

    const bool progress = OpenProgressWindow(progress::kMeshTextImport, "メッシュテキストデータ取り込み中");
    g_progressTotal = rows;
    g_progressCurrent = 0;
    g_pointCount = 0;
    g_pointsPresent = 0;
    ClearPicks();
    ClearPickList();
    g_outline.Reset();  // its vertex numbers named the points that are gone

    const double t = rotation * M_PI / 180.0;
    const double c = std::cos(t), s = std::sin(t);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const MeshTextField missing;
    for (int32_t i = 1; i <= rows; ++i) {
        g_progressCurrent = i;
        RefreshProgressWindow();
        // A line of at most two characters with its break is an empty row, unless it holds
        // a number (a one-column mesh, or a last line without a break).
        const bool have = lines.Next(line, breakLength) &&
                          (line.size() + breakLength > 2 || line.find_first_of("0123456789") != std::string_view::npos);
        const std::vector<std::string> values = have ? SplitFields(line) : std::vector<std::string>{};
        const double b = (i - 1) * pitchW;
        for (int32_t j = 1; j <= columns; ++j) {
            const double a = (j - 1) * pitchL;
            const MeshTextField f =
                static_cast<size_t>(j) <= values.size() ? ParseMeshTextField(values[j - 1]) : missing;
            StorePoint(++g_pointCount, ox + a * c + b * s, oy - a * s + b * c, f);
            if (!f.invalid) {
                low = std::min(low, f.z);
                high = std::max(high, f.z);
            }
        }
    }
    SetPointEndMarker();
    g_pointsPresent = -1;
    g_dataChanged = -1;
    if (progress) CloseProgressWindow();

    double fill = 0;
    bool anyMissing = false;
    for (int32_t k = 1; k <= g_pointCount; ++k) anyMissing |= g_points[k].invalid != 0;
    const bool noValid = low > high;
    if (rule == kMeshTextLowest) fill = noValid ? 0 : low;
    else if (rule == kMeshTextHighest) fill = noValid ? 0 : high;
    else if (rule == kMeshTextGiven) fill = elevation;
    if (anyMissing && noValid && (rule == kMeshTextLowest || rule == kMeshTextHighest))
        ShowMessage(kNoValidElevation, "", msg::kOk | msg::kIconWarning);
    for (int32_t k = 1; k <= g_pointCount; ++k)
        if (g_points[k].invalid == 1) g_points[k].z = fill;

    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    SetTinEndRecord();
    const int32_t edges = 4 * total;
    if (g_tinEdgeCapacity < edges + 2) {
        const int32_t old = g_tinEdgeCapacity;
        if (GrowTinEdgeBlock(edges + 2) != 0) {
            g_tinEdgeCapacity = old;
            ShowMessage(kTinMemory, "", msg::kOk | msg::kIconError);
            return -1;
        }
        g_tinEdgeCapacity = edges + 2;
    }
    const bool tinProgress = OpenProgressWindow(progress::kTinData, "三角網作成中");
    g_progressTotal = rows;
    g_progressCurrent = 0;
    AppendGridEdges(columns, rows);
    SetTinEndRecord();
    g_tinPresent = -1;
    if (tinProgress) CloseProgressWindow();
    return 0;
}

// ---- Clipboard tables ----

std::string MeshElevationTable(const MeshClipboardValues& values) {
    std::string out = FormatString(
        "Ox=%.3f\tOy=%.3f\tRotate=%.7f\tl_len=%.3f\tw_len=%.3f\tl_pich=%.3f\tw_pich=%.3f\t\r\n",
        g_meshOriginX, g_meshOriginY, g_meshRotation, g_meshLength, g_meshWidth, g_meshPitchLength,
        g_meshPitchWidth);
    const int32_t columns = g_meshColumns, rows = g_meshRows;
    if (columns < 1 || rows < 1 || int64_t{columns} * rows > g_meshNodeCount ||
        g_meshNodes.Size() <= int64_t{columns} * rows)
        return out;
    auto cell = [&](int32_t c, int32_t r) {
        const MeshNode& n = g_meshNodes.Data()[c + columns * (r - 1)];
        if (values.outputMissing || n.valid != 0) out += FormatString("%.3f\t", n.z);
        else out += "\t";
    };
    if (values.order == 0) {
        for (int32_t r = 1; r <= rows; ++r) {
            for (int32_t c = 1; c <= columns; ++c) cell(c, r);
            out += "\r\n";
        }
    } else {
        for (int32_t c = columns; c >= 1; --c) {
            for (int32_t r = 1; r <= rows; ++r) cell(c, r);
            out += "\r\n";
        }
    }
    return out;
}

std::string MeshVolumeTable() {
    std::string out =
        "縦番号\t横番号\tＸ座標\tＹ座標\t現況標高\t計画標高\t現況平均標高\t計画平均標高\t切土量\t盛土量"
        "\r\n";
    const int32_t columns = g_meshColumns, rows = g_meshRows;
    if (columns < 1 || rows < 1 || int64_t{columns} * rows > g_meshNodeCount ||
        g_meshNodes.Size() <= int64_t{columns} * rows)
        return out;
    for (int32_t r = 1; r < rows; ++r) {
        for (int32_t c = 1; c < columns; ++c) {
            const MeshNode& n = g_meshNodes.Data()[c + columns * (r - 1)];
            out += FormatString("%d\t%d\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\t%.3f\r\n", n.column,
                                n.row, n.x, n.y, n.z, n.planZ, n.averageZ, n.planAverageZ, n.cut, n.fill);
        }
    }
    return out;
}

// ---- RND and .TRI output ----

namespace {
const MeshNode& Node(int32_t c, int32_t r) { return g_meshNodes.Data()[c + g_meshColumns * (r - 1)]; }

bool DiagonalsEqual() {
    const MeshNode &n11 = Node(1, 1), &n22 = Node(2, 2), &n21 = Node(2, 1), &n12 = Node(1, 2);
    const double d1 = std::hypot(n11.x - n22.x, n11.y - n22.y);
    const double d2 = std::hypot(n21.x - n12.x, n21.y - n12.y);
    if (d2 <= 0) return false;
    return std::fabs((d1 / d2) * (d1 / d2) - 1) <= 0.01;
}

// The grid's edges, one record per line between neighbours, the search-side triangle
// counter-clockwise on the map and a missing apex always in the back slot.
std::string GridTriRecords(int32_t& edges) {
    const int32_t columns = g_meshColumns, rows = g_meshRows;
    auto id = [columns, rows](int32_t c, int32_t r) {
        return (c < 1 || c > columns || r < 1 || r > rows) ? kNoApex : (r - 1) * columns + c;
    };
    std::string out;
    edges = 0;
    auto put = [&](int32_t a, int32_t b, int32_t back, int32_t search) {
        PutLeI32(out, a);
        PutLeI32(out, b);
        PutLeI32(out, back);
        PutLeI32(out, search);
        ++edges;
    };
    for (int32_t r = 1; r <= rows; ++r) {
        for (int32_t c = 1; c <= columns; ++c) {
            const int32_t node = id(c, r), up = id(c, r + 1), right = id(c + 1, r);
            const int32_t diagonal = id(c + 1, r + 1), down = id(c, r - 1), left = id(c - 1, r);
            if (c != columns) {
                if (r < rows / 2 || r == 1) put(right, node, down, diagonal);
                else put(node, right, diagonal, down);
            }
            if (r != rows) {
                if (c <= columns / 2) put(node, up, left, diagonal);
                else put(up, node, diagonal, left);
            }
            if (c != columns && r != rows) {
                if (r < rows / 2 && c > columns / 2) put(diagonal, node, right, up);
                else put(node, diagonal, up, right);
            }
        }
    }
    return out;
}
}  // namespace

int32_t WriteMeshNodesAsRandom(const std::string& path, bool withMissing) {
    const int32_t columns = g_meshColumns, rows = g_meshRows;
    const int64_t nodes = int64_t{columns} * rows;
    if (columns < 1 || rows < 1 || nodes > g_meshNodeCount || g_meshNodes.Size() <= nodes) {
        ShowMessage(kNoMeshNodes, "", msg::kOk | msg::kIconError);
        return -1;
    }

    std::string out;
    for (int k = 0; k < 5; ++k) out += std::string(kAsterisks) + "\r\n";
    for (int32_t r = 1; r <= rows; ++r) {
        for (int32_t c = 1; c <= columns; ++c) {
            const MeshNode& n = Node(c, r);
            if (!withMissing && n.valid == 0) continue;
            if (!FitsRndPlanColumn(n.x) || !FitsRndPlanColumn(n.y) || !FitsRndHeightColumn(n.z)) {
                ShowMessage(FormatString("点 %3d-%3d の座標値がファイルの桁数に収まらないため保存できません。",
                                         c, r),
                            "", msg::kOk | msg::kIconError);
                return -1;
            }
            const std::string name = FormatString("%3d-%3d", c, r);
            out += FormatString("%-8.8s%16.4lf%16.4lf%12.3lf%3d%3d%3d\r\n", name.c_str(), n.x, n.y, n.z,
                                0, 0, 3);
        }
    }
    if (!WriteFileBytes(path, out)) {
        RemovePartialFile(path);
        ReportWriteFailed(path);
        return -1;
    }
    RemoveCompanion(path, ".TRI");
    if (!withMissing || columns < 2 || rows < 2 || !DiagonalsEqual()) return 0;

    int32_t edges = 0;
    const std::string records = GridTriRecords(edges);
    std::string tri;
    PutLeI32(tri, 0);
    PutLeI32(tri, 0);
    PutLeI32(tri, edges);
    PutLeI32(tri, 1);
    tri += records;
    const fs::path triPath = WithExtension(path, ".TRI");
    if (!WriteFileBytes(triPath, tri)) {
        RemovePartialFile(triPath);
        ReportWriteFailed(triPath);
    }
    return 0;
}

int32_t WriteMeshAsRandom(const std::string& path) {
    const bool withMissing =
        ShowMessage(kAskMissing, "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes;
    return WriteMeshNodesAsRandom(path, withMissing);
}

std::function<int32_t()>& MeshTextFormatDialogRunner() {
    static std::function<int32_t()> runner;
    return runner;
}

int32_t AskMeshTextFormat() {
    return MeshTextFormatDialogRunner() && MeshTextFormatDialogRunner()() == 0 ? 0 : 1;
}
