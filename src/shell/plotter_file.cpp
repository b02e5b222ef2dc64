#include "shell/plotter_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "model/file_report.h"
#include "contour/contour_files.h"
#include "model/geometry.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"

int32_t g_plotterScale = 500;
double g_plotterLineTolerance = 1.0;
int32_t g_plotterPaper = 0;
std::string g_plotterFilePath;

double RoundToTenths(double value) {
    const double x = value * 10;
    // Far from a tie, the product's rounding cannot change the side: round here. Near a
    // tie, or out of the exact integer range, printf decides on the exact binary value.
    if (std::fabs(x) < 1e15) {
        const double r = std::nearbyint(x);
        if (std::fabs(std::fabs(x - r) - 0.5) > 1e-6) {
            const double t = r / 10;
            return t == 0 && std::signbit(value) ? -0.0 : t;
        }
    }
    char text[400];
    std::snprintf(text, sizeof text, "%.1lf", value);
    return std::strtod(text, nullptr);
}

char* AppendTenths(char* out, double tenthsValue) {
    const double x = tenthsValue * 10;
    if (!(std::fabs(x) < 1e15)) return out + std::snprintf(out, 48, "%.1lf", tenthsValue);
    const long long t = std::llround(x);
    if (t < 0 || std::signbit(tenthsValue)) *out++ = '-';
    unsigned long long a = static_cast<unsigned long long>(t < 0 ? -t : t);
    const unsigned digit = static_cast<unsigned>(a % 10);
    a /= 10;
    char whole[24];
    int n = 0;
    do {
        whole[n++] = static_cast<char>('0' + a % 10);
        a /= 10;
    } while (a != 0);
    while (n > 0) *out++ = whole[--n];
    *out++ = '.';
    *out++ = static_cast<char>('0' + digit);
    return out;
}

namespace {
constexpr PlotterPaper kPapers[kPlotterPaperCount] = {
    {"A0", 8410, 11880}, {"A1", 5940, 8410}, {"A2", 4200, 5940}, {"A3", 2970, 4200},
    {"A4", 2100, 2970},  {"B4", 2570, 3640}, {"AK", 4000, 5000},
};

struct Layer {
    int number;
    const char* name;  // UTF-8
    int pen1;
    int pen2;
};
constexpr Layer kIndexLayer = {7101, "計曲線", 15, 2};
constexpr Layer kNormalLayer = {7102, "主曲線", 9, 1};

struct PaperPoint {
    double u;
    double v;
};

// Output gathered in a block and written in large pieces.
class Output {
public:
    explicit Output(std::FILE* file) : m_file(file) { m_buffer.reserve(kBlock + 512); }
    template <typename... Args>
    void Put(const char* format, Args... args) {
        char line[512];
        const int n = std::snprintf(line, sizeof line, format, args...);
        if (n <= 0) return;
        // Every record ends in CR LF; the formats end in a bare LF.
        m_buffer.append(line, static_cast<size_t>(n) - 1);
        m_buffer.append("\r\n");
        if (m_buffer.size() >= kBlock) Flush();
    }
    // "  4,<layer>,<u>,<v>" without a printf per line: the coordinates are already held to
    // one decimal (RoundToTenths), so their text is exact.
    void PutVertex(int layer, double u, double v) {
        char line[96];
        char* p = line;
        if (layer != m_vertexLayer) {
            m_vertexLayer = layer;
            m_vertexPrefixLength = std::snprintf(m_vertexPrefix, sizeof m_vertexPrefix, "  4,%d,", layer);
        }
        std::memcpy(p, m_vertexPrefix, static_cast<size_t>(m_vertexPrefixLength));
        p += m_vertexPrefixLength;
        p = AppendTenths(p, u);
        *p++ = ',';
        p = AppendTenths(p, v);
        *p++ = '\r';
        *p++ = '\n';
        m_buffer.append(line, static_cast<size_t>(p - line));
        if (m_buffer.size() >= kBlock) Flush();
    }
    bool Flush() {
        if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
            m_ok = false;
        m_buffer.clear();
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    static constexpr size_t kBlock = 64 << 10;
    std::FILE* m_file;
    std::string m_buffer;
    bool m_ok = true;
    int m_vertexLayer = -1;
    char m_vertexPrefix[32] = {};
    int m_vertexPrefixLength = 0;
};

bool Apart(const PaperPoint& a, const PaperPoint& b) {
    return std::fabs(a.u - b.u) > 0.1 || std::fabs(a.v - b.v) > 0.1;
}

void WriteShortPolyline(Output& out, const Layer& layer, double level, const PaperPoint& p,
                        const PaperPoint& q) {
    const PaperPoint m{(p.u + q.u) / 2, (p.v + q.v) / 2};
    if (!Apart(m, p) || !Apart(q, m)) return;
    out.Put("105,0\n");
    for (const PaperPoint& v : {p, m, q}) out.PutVertex(layer.number, v.u, v.v);
    out.Put("  5,%d,%d,%d,%d,%d,%.3lf\n", layer.number, 0, 0, layer.pen1, layer.pen2, level);
}

// Drops vertices closer than 0.1 to the last one kept, and a kept vertex where the line
// runs on nearly straight, never two such in a row.
std::vector<PaperPoint> KeptVertices(const std::vector<PaperPoint>& line, double tolerance) {
    std::vector<PaperPoint> kept;
    if (line.empty()) return kept;
    kept.push_back(line[0]);
    size_t replacedAt = 0;  // vertex that last replaced a kept one (0: none)
    for (size_t i = 1; i < line.size(); ++i) {
        const PaperPoint& q = line[i];
        if (!Apart(q, kept.back())) continue;
        if (kept.size() >= 2 && !(replacedAt != 0 && replacedAt == i - 1)) {
            const PaperPoint& a = kept[kept.size() - 2];
            const PaperPoint& b = kept.back();
            double signedAngle = 0, fullAngle = 0;
            if (AngleAtVertex(a.u, a.v, b.u, b.v, q.u, q.v, 0.001, &signedAngle, &fullAngle) == kGeomOk &&
                180.0 - std::fabs(signedAngle) <= tolerance) {
                kept.back() = q;
                replacedAt = i;
                continue;
            }
        }
        kept.push_back(q);
    }
    if (line.size() > 1 && Apart(line.back(), kept.back())) kept.push_back(line.back());
    return kept;
}

void WriteKeptLine(Output& out, const Layer& layer, double level, const std::vector<PaperPoint>& kept) {
    if (kept.size() == 2) {
        WriteShortPolyline(out, layer, level, kept[0], kept[1]);
        return;
    }
    if (kept.size() < 2) return;
    auto close = [&] { out.Put("  5,%d,%d,%d,%d,%d,%.3lf\n", layer.number, 0, 0, layer.pen1, layer.pen2, level); };
    out.Put("105,0\n");
    int inPiece = 0;
    for (size_t k = 0; k < kept.size(); ++k) {
        out.PutVertex(layer.number, kept[k].u, kept[k].v);
        // Pieces of at most 199 vertices that share their joining vertex; a single
        // vertex left over stays with the piece.
        if (++inPiece == 199 && kept.size() - 1 - k > 1) {
            close();
            out.Put("105,0\n");
            out.PutVertex(layer.number, kept[k].u, kept[k].v);
            inPiece = 1;
        }
    }
    close();
}

std::string QuotedName(const std::string& cp932) {
    // A name without its end byte stops at the field's width.
    return cp932.substr(0, strnlen(cp932.c_str(), cp932.size()));
}
}  // namespace

const PlotterPaper& PlotterPaperSize(int32_t code) {
    return kPapers[code >= 0 && code < kPlotterPaperCount ? code : 0];
}

bool IsIndexContourLevel(double level, double indexInterval) {
    if (!(indexInterval > 0) || !std::isfinite(level)) return false;
    const double q = std::fabs(level) / indexInterval;
    const double f = q - std::floor(q);
    return f < 0.000001 || f > 0.999999;
}

int WritePlotterCommandFile(const std::string& contourPath, const std::string& outputPath,
                            double minX, double minY, double scale, int32_t paper,
                            double indexInterval, double lineTolerance,
                            const PlotterBasePoint& first, const PlotterBasePoint& second) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(contourPath.c_str(), "rb"), std::fclose);
    if (!in) return -1;
    std::FILE* outFile = std::fopen(outputPath.c_str(), "wb");
    if (!outFile) return -1;
    std::setvbuf(in.get(), nullptr, _IOFBF, 1 << 16);
    Output out(outFile);
    const double s = scale != 0 ? 1.0 / scale : 0.0;
    auto toPaper = [&](double x, double y) {
        return PaperPoint{RoundToTenths((x - minX) * s * 10000), RoundToTenths((y - minY) * s * 10000)};
    };
    const PlotterPaper& size = PlotterPaperSize(paper);
    out.Put("100,0,%c%s%c,%.1lf,%.1lf,%.1lf,%.1lf\n", '"', size.name, '"', 0.0, 0.0, size.shortSide,
            size.longSide);
    out.Put("101,0,%c%s%c,%.1lf,%.1lf,%.3lf,%.3lf,0.0,0.0,0.0000\n", '"', Utf8ToCp932("ＨＬコンタ－図").c_str(), '"',
            scale, scale, minX, minY);
    out.Put("104,0,0,%c%s%c\n", '"', Utf8ToCp932("自動コンタ－").c_str(), '"');
    out.Put("105,0\n");
    for (const PlotterBasePoint* base : {&first, &second}) {
        const PaperPoint p = toPaper(base->x, base->y);
        out.Put("53,0,%.1lf,%.1lf,0.0000,14\n", p.u, p.v);
        out.Put("30,0,%.1lf,%.1lf,%c%s%c,0.0,0,0,0,0,0,0,0,0,30,20,10,14,1\n", p.u, p.v + 2.0, '"',
                QuotedName(base->name).c_str(), '"');
    }
    const std::string indexName = Utf8ToCp932(kIndexLayer.name);
    const std::string normalName = Utf8ToCp932(kNormalLayer.name);
    std::vector<PaperPoint> line;
    ContourRecord header{};
    bool complete = true;
    while (complete && ReadContourRecord(in.get(), &header)) {
        const bool index = IsIndexContourLevel(header.a, indexInterval);
        const Layer& layer = index ? kIndexLayer : kNormalLayer;
        out.Put("104,%d,0,%c%s%c\n", layer.number, '"', (index ? indexName : normalName).c_str(), '"');
        const double level = header.a;
        const double count = header.b;
        const int64_t n = std::isfinite(count) && count > 0 ? static_cast<int64_t>(std::min(count, 2.0e9)) : 0;
        line.clear();
        ContourRecord vertex{};
        for (int64_t k = 0; k < n; ++k) {
            if (!ReadContourRecord(in.get(), &vertex)) {
                complete = false;  // cut short: the file ends with what was written
                break;
            }
            line.push_back(toPaper(vertex.a, vertex.b));
        }
        if (!complete) break;
        if (header.code == kContourCodeStraight) {
            for (size_t k = 1; k < line.size(); ++k) WriteShortPolyline(out, layer, level, line[k - 1], line[k]);
        } else {
            WriteKeptLine(out, layer, level, KeptVertices(line, lineTolerance));
        }
    }
    const bool written = out.Flush() && std::fclose(outFile) == 0;
    if (!written) {
        RemovePartialFile(outputPath);
        return -1;
    }
    return 0;
}

bool PlotterDataMinimum(double* minX, double* minY) {
    bool found = false;
    *minX = *minY = 0;
    for (int32_t i = 1; g_points && i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.invalid != 0 || p.outside != 0) continue;
        if (!found || p.x < *minX) *minX = p.x;
        if (!found || p.y < *minY) *minY = p.y;
        found = true;
    }
    return found;
}

PlotterFileDialogValues OpenPlotterFileDialog() {
    namespace fs = std::filesystem;
    fs::path path(g_currentDataPath);
    g_plotterFilePath = (path.parent_path() / path.stem()).string() + ".txt";
    if (g_currentDataPath.empty()) g_plotterFilePath.clear();
    g_plotterPaper = 0;
    return {g_plotterScale, g_plotterLineTolerance, g_plotterPaper, g_plotterFilePath};
}

std::string FormatPlotterScale(int32_t scale) {
    char text[32];
    std::snprintf(text, sizeof text, " %5d", scale);
    return text;
}

std::string FormatPlotterTolerance(double tolerance, bool opening) {
    char text[64];
    std::snprintf(text, sizeof text, opening ? " %8.3f" : "%8.3f", tolerance);
    return text;
}

int32_t ParsePlotterScale(const std::string& text, int32_t old) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || value <= 0 || value > INT32_MAX) return old;
    return static_cast<int32_t>(value);
}

double ParsePlotterTolerance(const std::string& text, double old) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value) || value <= 0) return old;
    return value;
}

bool StartPlotterFileOutput(const PlotterFileDialogValues& values, const PlotterBasePoint& first,
                            const PlotterBasePoint& second) {
    g_plotterScale = values.scale;
    g_plotterLineTolerance = values.tolerance;
    g_plotterPaper = values.paper;
    g_plotterFilePath = values.path;
    double minX = 0, minY = 0;
    PlotterDataMinimum(&minX, &minY);
    std::error_code ec;
    if (std::filesystem::exists(g_plotterFilePath, ec) &&
        ShowMessage("同一名のファイルがありますが\n上書きしてよろしいですか", "上書き確認",
                    msg::kYesNo | msg::kIconInformation) != msg::kIdYes)
        return false;
    const bool progress = OpenProgressWindow(9, "カルドミア出力");
    const int result = WritePlotterCommandFile(g_contourLinesPath, g_plotterFilePath, minX, minY, g_plotterScale,
                                               g_plotterPaper, g_indexContourInterval, g_plotterLineTolerance,
                                               first, second);
    if (progress) CloseProgressWindow();
    if (result != 0) ShowMessage("ファイルが作成できませんでした。", "ファイル作成失敗", msg::kOk | msg::kIconError);
    return true;
}
