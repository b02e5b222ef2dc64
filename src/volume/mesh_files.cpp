#include "volume/mesh_files.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "model/document_services.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"

namespace fs = std::filesystem;

const char* const kMeshFileDamagedMessage = "ファイル形式に異常があります";
const char* const kMeshFileWriteFailedMessage = "メッシュファイルを書き込めませんでした。\n%s";
const char* const kMeshNoNodesToWriteMessage =
    "メッシュの節点データがないため、ファイルを書き込みませんでした。";
const char* const kPlanMeshNotComputedMessage = "メッシュ標高計算されていません";
const char* const kPlanMeshOriginMessage = "メッシュ原点座標が一致していません";
const char* const kPlanMeshRotationMessage = "メッシュ回転角が一致していません";
const char* const kPlanMeshPitchMessage = "メッシュピッチが一致していません";
const char* const kPlanMeshCountMessage = "メッシュ測点数が一致していません";
const char* const kPlanMeshDuplicateMessage = "既に読み込まれているメッシュデータを選択しました";
const char* const kMeshVolumeNotComputedMessage = "土量計算されていません";

namespace {

constexpr const char* kAsterisks = "********************";
constexpr const char* kMeshFilter = "メッシュファイル (*.MSH)|*.MSH|すべてのファイル|*.*||";
constexpr const char* kMeshVolumeFilter = "メッシュ土量ファイル (*.MVO)|*.MVO|すべてのファイル|*.*||";
constexpr size_t kLineLimit = 1023;  // the readers' line buffer of 1024 characters
// No file of ours holds this many entries; a count beyond it is damage.
constexpr int64_t kCountLimit = int64_t{1} << 30;

// ---- reading ----

class LineSource {
public:
    explicit LineSource(std::FILE* f) : m_file(f) {}
    bool Next(std::string& line) {
        if (!ReadTextLine(m_file, line)) return false;
        if (line.size() > kLineLimit) line.resize(kLineLimit);
        return true;
    }

private:
    std::FILE* m_file;
};

// Fields at commas; empty fields do not count.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ',') ++i;
        if (i >= line.size()) break;
        const size_t end = line.find(',', i);
        fields.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
        i = end == std::string::npos ? line.size() : end;
    }
    return fields;
}

// atof, except that a value that is not a finite number is refused.
bool Number(const std::string& field, double* value) {
    const double v = std::atof(field.c_str());
    if (!std::isfinite(v)) return false;
    *value = v;
    return true;
}

// atoi, held to the int32 range.
int32_t Integer(const std::string& field) {
    errno = 0;
    const long long v = std::strtoll(field.c_str(), nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

bool Contains(const std::string& line, const char* word) { return line.find(word) != std::string::npos; }

struct MeshHeader {
    double originX, originY, rotation, length, width, pitchLength, pitchWidth;
    int32_t done, columns, rows;
    bool rowsPresent = false;
};

// The current parameters, overwritten by the fields line 6 has.
bool ParseHeader(const std::string& line, MeshHeader* h) {
    h->originX = g_meshOriginX;
    h->originY = g_meshOriginY;
    h->rotation = g_meshRotation;
    h->length = g_meshLength;
    h->width = g_meshWidth;
    h->pitchLength = g_meshPitchLength;
    h->pitchWidth = g_meshPitchWidth;
    h->done = g_meshElevationsDone;
    h->columns = g_meshColumns;
    h->rows = g_meshRows;
    const std::vector<std::string> f = SplitFields(line);
    double* numbers[] = {&h->originX, &h->originY, &h->rotation, &h->length, &h->width,
                         &h->pitchLength, &h->pitchWidth};
    for (size_t i = 0; i < 7 && i < f.size(); ++i)
        if (!Number(f[i], numbers[i])) return false;
    if (f.size() > 7) h->done = Integer(f[7]);
    if (f.size() > 8) h->columns = Integer(f[8]);
    if (f.size() > 9) {
        h->rows = Integer(f[9]);
        h->rowsPresent = true;
    }
    return true;
}

// Skips the five asterisk lines and reads line 6.
bool ReadHeaderLine(LineSource& in, std::string& line) {
    for (int i = 0; i < 6; ++i)
        if (!in.Next(line)) return false;
    return true;
}

// Records 1..n + n/2 - 1 of a new node block for a grid; false when it cannot be made.
bool MakeNodeBlock(RecordBlock<MeshNode>& block, int32_t columns, int32_t rows, bool* absurd) {
    *absurd = false;
    if (columns < 1 || rows < 1) {
        *absurd = true;
        return false;
    }
    const int64_t n = int64_t{columns} * rows;
    const int64_t records = n + n / 2;
    if (records >= kCountLimit) {
        *absurd = true;
        return false;
    }
    return block.Resize(static_cast<int32_t>(records), 8192) == 0;
}

// x, y, z, fourth, column, row, vertexClass. False when a field is missing or no number.
bool ParseCrossing(const std::string& line, bool fourthIsPlan, OutlineCrossing* e) {
    const std::vector<std::string> f = SplitFields(line);
    if (f.size() < 7) return false;
    *e = OutlineCrossing{};
    double fourth = 0;
    if (!Number(f[0], &e->x) || !Number(f[1], &e->y) || !Number(f[2], &e->z) || !Number(f[3], &fourth))
        return false;
    if (fourthIsPlan) {
        e->planZ = fourth;
    } else {
        e->planZ = e->z;
        e->distance = fourth;
    }
    e->column = Integer(f[4]);
    e->row = Integer(f[5]);
    e->vertexClass = Integer(f[6]);
    return true;
}

enum class BlockRead { kRead, kDamaged };

// A crossing block after its "OUTLINE" or "PLANLINE" line: the count, then that many
// entry lines (lines lacking a field dropped). `next` receives the line after the block.
BlockRead ReadCrossingBlock(LineSource& in, bool fourthIsPlan, std::vector<OutlineCrossing>* entries) {
    std::string line;
    if (!in.Next(line)) return BlockRead::kRead;
    const std::vector<std::string> f = SplitFields(line);
    const int64_t n = f.empty() ? 0 : std::strtoll(f[0].c_str(), nullptr, 10);
    if (n < 0 || n >= kCountLimit) return BlockRead::kDamaged;
    for (int64_t i = 0; i < n && in.Next(line); ++i) {
        OutlineCrossing e;
        if (ParseCrossing(line, fourthIsPlan, &e)) entries->push_back(e);
    }
    return BlockRead::kRead;
}

// Entries 1..count and the closing copy at count + 1 in a new block with room to spare.
bool FillCrossingBlock(RecordBlock<OutlineCrossing>& block, const std::vector<OutlineCrossing>& entries,
                       int32_t* capacity) {
    const int32_t count = static_cast<int32_t>(entries.size());
    const int32_t size = std::max(2 * count, count + 2);
    if (block.Resize(size, 8192) != 0) return false;
    for (int32_t i = 0; i < count; ++i) block.Data()[i + 1] = entries[i];
    block.Data()[count + 1] = count > 0 ? entries[0] : OutlineCrossing{};
    *capacity = size;
    return true;
}

void ShowDamaged() { ShowMessage(kMeshFileDamagedMessage, "", msg::kOk | msg::kIconWarning); }
void ShowMemory() { ShowMessage(kMeshMemoryMessage, "", msg::kOk | msg::kIconError); }

void ApplyHeader(const MeshHeader& h) {
    g_meshOriginX = h.originX;
    g_meshOriginY = h.originY;
    g_meshRotation = h.rotation;
    g_meshLength = h.length;
    g_meshWidth = h.width;
    g_meshPitchLength = h.pitchLength;
    g_meshPitchWidth = h.pitchWidth;
    g_meshElevationsDone = h.done;
    g_meshColumns = h.columns;
    g_meshRows = h.rows;
    g_meshNodeCount = h.columns >= 0 && h.rows >= 0 && int64_t{h.columns} * h.rows < INT32_MAX
                          ? h.columns * h.rows
                          : 0;
    if (h.rowsPresent) g_meshAreaDefined = 1;
}

// The current crossings as read: the block and its counts.
void InstallOutline(RecordBlock<OutlineCrossing>& block, int32_t count, int32_t capacity) {
    g_outlineCrossings.Swap(block);
    g_outlineCrossingCount = count;
    g_outlineCrossingCapacity = capacity;
}

void ReadRangeFile(const std::string& meshPath) {
    const fs::path mbo = FindCompanion(meshPath, ".MBO");
    if (mbo.empty()) return;
    std::FILE* f = std::fopen(mbo.c_str(), "rb");
    if (!f) return;
    LineSource in(f);
    std::string line;
    std::vector<std::pair<double, double>> vertices;
    bool ok = ReadHeaderLine(in, line);
    const int64_t count = ok ? std::strtoll(line.c_str(), nullptr, 10) : 0;
    if (ok && count > kMeshAreaPolygonEntries) {
        std::fclose(f);
        g_meshAreaPolygonCount = 0;
        MeshAreaPolygonFits(static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX)));
        return;
    }
    for (int64_t i = 0; ok && i < count && in.Next(line); ++i) {
        const std::vector<std::string> fields = SplitFields(line);
        double x = 0, y = 0;
        if (fields.size() < 2 || !Number(fields[0], &x) || !Number(fields[1], &y)) {
            ok = false;
            break;
        }
        vertices.emplace_back(x, y);
    }
    std::fclose(f);
    if (!ok || static_cast<int64_t>(vertices.size()) != std::max<int64_t>(count, 0)) {
        ShowDamaged();
        g_meshAreaPolygonCount = 0;
        return;
    }
    for (size_t i = 0; i < vertices.size(); ++i) {
        MeshAreaVertex& v = g_meshAreaPolygon[i + 1];
        v = MeshAreaVertex{};
        v.x = vertices[i].first;
        v.y = vertices[i].second;
    }
    g_meshAreaPolygonCount = static_cast<int32_t>(vertices.size());
}

// ---- writing ----

// Writes into a file beside the target and puts it in place only when every write
// succeeded, so a full disk never leaves a cut file or destroys the older one.
class SafeFile {
public:
    explicit SafeFile(const fs::path& path) : m_path(path) {
        // Only a regular file is replaced; a device or pipe is written in place.
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        m_inPlace = fs::exists(status) && !fs::is_regular_file(status);
        m_part = path;
        if (!m_inPlace) m_part += ".part";
        m_writer.Open(m_part);
    }
    ~SafeFile() {
        if (!m_done && m_writer.IsOpen()) {
            m_writer.Close();
            if (m_inPlace) return;
            std::error_code ec;
            fs::remove(m_part, ec);
        }
    }
    TextFileWriter& Out() { return m_writer; }
    bool IsOpen() const { return m_writer.IsOpen(); }
    bool Commit() {
        m_done = true;
        const bool ok = m_writer.Close();
        if (m_inPlace) return ok;
        std::error_code ec;
        if (ok) fs::rename(m_part, m_path, ec);
        if (!ok || ec) {
            fs::remove(m_part, ec);
            return false;
        }
        return true;
    }

private:
    fs::path m_path;
    fs::path m_part;
    TextFileWriter m_writer;
    bool m_done = false;
    bool m_inPlace = false;
};

void ReportWriteFailure(const std::string& path) {
    ShowMessage(FormatString(kMeshFileWriteFailedMessage, path.c_str()), "", msg::kOk | msg::kIconError);
}

void WriteHeader(TextFileWriter& out) {
    for (int i = 0; i < 5; ++i) out.WriteLine(kAsterisks);
    out.PrintLine("%.3f,%.3f,%.7f,%.3f,%.3f,%.3f,%.3f,%d,%d,%d", g_meshOriginX, g_meshOriginY,
                  g_meshRotation, g_meshLength, g_meshWidth, g_meshPitchLength, g_meshPitchWidth,
                  g_meshElevationsDone, g_meshColumns, g_meshRows);
}

void WriteCrossing(TextFileWriter& out, const OutlineCrossing& e, bool fourthIsPlan) {
    out.PrintLine("%.3f,%.3f,%.3f,%.3f,%d,%d,%d", e.x, e.y, e.z, fourthIsPlan ? e.planZ : e.distance,
                  e.column, e.row, e.vertexClass);
}

// The node block holds every node of the grid.
bool NodesPresent() {
    if (g_meshColumns < 1 || g_meshRows < 1 || g_meshNodes.Empty()) return false;
    const int64_t n = int64_t{g_meshColumns} * g_meshRows;
    return n < g_meshNodes.Size();
}

bool CurrentOutlineReadable() {
    return g_outlineCrossingCount > 1 && !g_outlineCrossings.Empty() &&
           g_outlineCrossingCount < g_outlineCrossings.Size();
}

std::string OpenDialog(const char* title, const char* filter) {
    FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (!chosen.empty()) g_lastFolder = FolderOfPath(chosen);
    return chosen;
}

}  // namespace

bool WriteMeshFile(const std::string& path) {
    if (g_meshElevationsDone != 0 && !NodesPresent()) {
        ShowMessage(kMeshNoNodesToWriteMessage, "", msg::kOk | msg::kIconError);
        return false;
    }
    {
        SafeFile file(path);
        if (!file.IsOpen()) {
            ReportWriteFailure(path);
            return false;
        }
        TextFileWriter& out = file.Out();
        WriteHeader(out);
        if (g_meshElevationsDone != 0) {
            for (int32_t r = 1; r <= g_meshRows; ++r)
                for (int32_t c = 1; c <= g_meshColumns; ++c) {
                    const MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
                    out.PrintLine("%.3f,%.3f,%.3f,%d,%d,%d", n.x, n.y, n.z, n.column, n.row, n.valid);
                }
            if (CurrentOutlineReadable()) {
                out.WriteLine("OUTLINE");
                out.PrintLine("%d", g_outlineCrossingCount);
                for (int32_t i = 1; i <= g_outlineCrossingCount; ++i)
                    WriteCrossing(out, g_outlineCrossings.Data()[i], false);
            }
        }
        if (!file.Commit()) {
            ReportWriteFailure(path);
            return false;
        }
    }
    // The range beside it; no range leaves no range file that a later read would take.
    const fs::path mbo = WithExtension(path, ".MBO");
    if (g_meshAreaPolygonCount <= 0) {
        RemoveCompanion(path, ".MBO");
        return true;
    }
    SafeFile file(mbo);
    if (!file.IsOpen()) {
        ReportWriteFailure(mbo.string());
        return false;
    }
    TextFileWriter& out = file.Out();
    for (int i = 0; i < 5; ++i) out.WriteLine(kAsterisks);
    const int32_t count = std::min(g_meshAreaPolygonCount, kMeshAreaPolygonEntries);
    out.PrintLine("%d", count);
    for (int32_t i = 1; i <= count; ++i) out.PrintLine("%.3f,%.3f", g_meshAreaPolygon[i].x, g_meshAreaPolygon[i].y);
    if (!file.Commit()) {
        ReportWriteFailure(mbo.string());
        return false;
    }
    RemoveStaleCompanions(path, mbo);
    return true;
}

bool WriteMeshVolumeFile(const std::string& path) {
    if (!g_meshAreaDefined || !g_meshElevationsDone || !g_meshVolumeDone) return false;
    if (!NodesPresent()) {
        ShowMessage(kMeshNoNodesToWriteMessage, "", msg::kOk | msg::kIconError);
        return false;
    }
    SafeFile file(path);
    if (!file.IsOpen()) {
        ReportWriteFailure(path);
        return false;
    }
    TextFileWriter& out = file.Out();
    WriteHeader(out);
    for (int32_t r = 1; r <= g_meshRows; ++r)
        for (int32_t c = 1; c <= g_meshColumns; ++c) {
            const MeshNode& n = g_meshNodes.Data()[MeshNodeNumber(c, r)];
            out.PrintLine("%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%d,%d,%d,%d", n.x, n.y, n.z, n.planZ,
                          n.averageZ, n.planAverageZ, n.cut, n.fill, n.column, n.row, n.valid, n.planSource);
        }
    if (CurrentOutlineReadable()) {
        out.WriteLine("OUTLINE");
        out.PrintLine("%d", g_outlineCrossingCount);
        for (int32_t i = 1; i <= g_outlineCrossingCount; ++i) WriteCrossing(out, g_outlineCrossings.Data()[i], true);
    }
    if (g_planCrossingCount > 1 && !g_planCrossings.Empty() && g_planCrossingCount < g_planCrossings.Size()) {
        for (int32_t k = 1; k <= g_planLineCount && k <= kMaxPlanLines; ++k) {
            const PlanLine& line = g_planLines[k];
            if (line.last == 0 || line.first < 1 || line.first > line.last || line.last > g_planCrossingCount)
                continue;
            out.PrintLine("PLANLINE,%d", line.number);
            out.PrintLine("%d", line.last - line.first + 1);
            for (int32_t i = line.first; i <= line.last; ++i) WriteCrossing(out, g_planCrossings.Data()[i], true);
        }
    }
    if (!file.Commit()) {
        ReportWriteFailure(path);
        return false;
    }
    g_meshVolumeFilePath = path;
    return true;
}

int32_t ReadMeshFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    LineSource in(f);
    std::string line;
    MeshHeader h;
    if (!ReadHeaderLine(in, line) || !ParseHeader(line, &h)) {
        std::fclose(f);
        ShowDamaged();
        return 0;
    }
    RecordBlock<MeshNode> nodes;
    std::vector<OutlineCrossing> outline;
    if (h.done != 0) {
        bool absurd = false;
        if (!MakeNodeBlock(nodes, h.columns, h.rows, &absurd)) {
            std::fclose(f);
            if (absurd) ShowDamaged();
            else ShowMemory();
            return 0;
        }
        bool outlineFollows = false;
        while (in.Next(line)) {
            if (Contains(line, "OUTLINE")) {
                outlineFollows = true;
                break;
            }
            const std::vector<std::string> fl = SplitFields(line);
            if (fl.size() < 6) continue;
            double x, y, z;
            if (!Number(fl[0], &x) || !Number(fl[1], &y) || !Number(fl[2], &z)) continue;
            const int32_t column = Integer(fl[3]), row = Integer(fl[4]);
            const int64_t number = (int64_t{row} - 1) * h.columns + column;
            if (number < 1 || number >= nodes.Size()) continue;
            MeshNode& n = nodes.Data()[number];
            n.x = x;
            n.y = y;
            n.z = n.planZ = z;
            n.column = column;
            n.row = row;
            n.valid = Integer(fl[5]);
        }
        if (outlineFollows && ReadCrossingBlock(in, false, &outline) == BlockRead::kDamaged) {
            std::fclose(f);
            ShowDamaged();
            return 0;
        }
    }
    std::fclose(f);
    RecordBlock<OutlineCrossing> crossings;
    int32_t capacity = 0;
    if (!outline.empty() && !FillCrossingBlock(crossings, outline, &capacity)) outline.clear();  // read as empty

    ResetMeshResults();
    ApplyHeader(h);
    g_meshFilePath = path;
    if (h.done != 0) {
        g_meshNodes.Swap(nodes);
        g_showMesh = -1;
        g_showMeshElevations = 0;
        InstallOutline(crossings, static_cast<int32_t>(outline.size()), capacity);
        CalcMeshCellCentres();
    } else {
        // A mesh without elevations has no nodes, and its node count says so.
        GrowMeshNodeBlock(0);
        g_meshNodeCount = 0;
        g_outlineCrossingCount = 0;
    }
    ReadRangeFile(path);
    return 1;
}

int32_t ReadPlanMeshFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    LineSource in(f);
    std::string line;
    MeshHeader h;
    if (!ReadHeaderLine(in, line) || !ParseHeader(line, &h)) {
        std::fclose(f);
        ShowDamaged();
        return 0;
    }
    const std::vector<std::string> fields = SplitFields(line);
    const char* mismatch = nullptr;
    if (fields.size() < 8 || h.done == 0) mismatch = kPlanMeshNotComputedMessage;
    if (std::fabs(h.originX - g_meshOriginX) > 0.01 || std::fabs(h.originY - g_meshOriginY) > 0.001)
        mismatch = kPlanMeshOriginMessage;
    if (std::fabs(h.rotation - g_meshRotation) > 0.01) mismatch = kPlanMeshRotationMessage;
    if (std::fabs(h.pitchLength - g_meshPitchLength) > 0.01 || std::fabs(h.pitchWidth - g_meshPitchWidth) > 0.001)
        mismatch = kPlanMeshPitchMessage;
    if (h.columns != g_meshColumns || h.rows != g_meshRows) mismatch = kPlanMeshCountMessage;
    for (int32_t k = 1; k <= g_planLineCount && k <= kMaxPlanLines; ++k)
        if (g_planLines[k].path.find(path) != std::string::npos) {
            std::fclose(f);
            ShowMessage(kPlanMeshDuplicateMessage, "", msg::kOk | msg::kIconError);
            return 0;
        }
    if (mismatch) {
        std::fclose(f);
        ShowMessage(mismatch, "", msg::kOk | msg::kIconError);
        return 0;
    }
    if (!PlanLineCountFits(g_planLineCount + 1)) {
        std::fclose(f);
        return 0;
    }
    const int32_t number = g_planLineCount + 1;

    // Node lines: a node beyond the block ends them (and no outline block is read then).
    struct PlanValue {
        int32_t node;
        double z;
    };
    std::vector<PlanValue> values;
    std::vector<OutlineCrossing> outline;
    bool outlineFollows = false;
    while (in.Next(line)) {
        if (Contains(line, "OUTLINE")) {
            outlineFollows = true;
            break;
        }
        const std::vector<std::string> fl = SplitFields(line);
        if (fl.size() < 6) continue;
        double x, y, z;
        if (!Number(fl[0], &x) || !Number(fl[1], &y) || !Number(fl[2], &z)) continue;
        const int64_t node = (int64_t{Integer(fl[4])} - 1) * g_meshColumns + Integer(fl[3]);
        if (node < 1 || node >= g_meshNodes.Size()) break;
        if (Integer(fl[5]) != 0) values.push_back({static_cast<int32_t>(node), z});
    }
    if (outlineFollows && ReadCrossingBlock(in, false, &outline) == BlockRead::kDamaged) {
        std::fclose(f);
        ShowDamaged();
        return 0;
    }
    std::fclose(f);

    PlanLine& plan = g_planLines[number];
    plan = PlanLine{};
    plan.path = path;
    plan.number = number;
    if (!outline.empty()) {
        const int64_t need = int64_t{g_planCrossingCount} + static_cast<int64_t>(outline.size()) + 1;
        bool room = need < g_planCrossings.Size() && !g_planCrossings.Empty();
        if (!room && 2 * need < INT32_MAX && GrowPlanCrossingBlock(static_cast<int32_t>(2 * need)) == 0) {
            g_planCrossingCapacity = static_cast<int32_t>(2 * need);
            room = true;
        }
        if (room) {  // else the block is read as empty
            plan.first = g_planCrossingCount + 1;
            for (const OutlineCrossing& e : outline) g_planCrossings.Data()[++g_planCrossingCount] = e;
            plan.last = g_planCrossingCount;
            g_planCrossings.Data()[g_planCrossingCount + 1] = g_planCrossings.Data()[plan.first];
            ++g_planCrossingCount;
        }
    }
    g_planLineCount = number;
    for (const PlanValue& v : values) {
        MeshNode& n = g_meshNodes.Data()[v.node];
        n.planZ = v.z;
        n.planSource = number;
    }
    g_meshPlanDone = 1;
    return 1;
}

int32_t ReadMeshVolumeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    LineSource in(f);
    std::string line;
    MeshHeader h;
    if (!ReadHeaderLine(in, line) || !ParseHeader(line, &h)) {
        std::fclose(f);
        ShowDamaged();
        return 0;
    }
    if (h.done == 0) {
        std::fclose(f);
        ResetMeshResults();
        ApplyHeader(h);
        g_meshFilePath = path;
        GrowMeshNodeBlock(0);
        g_meshNodeCount = 0;
        g_outlineCrossingCount = 0;
        g_showMesh = -1;
        g_showMeshElevations = 0;
        // Without nodes there is no plan surface to compute with.
        ShowMessage("標高計算されていません");
        return 1;
    }
    RecordBlock<MeshNode> nodes;
    bool absurd = false;
    if (!MakeNodeBlock(nodes, h.columns, h.rows, &absurd)) {
        std::fclose(f);
        if (absurd) ShowDamaged();
        else ShowMemory();
        return 0;
    }
    bool haveLine = false;   // `line` holds a line not handled yet
    bool nodesEnded = false;  // a bad node line ended them: no outline block then
    while ((haveLine = in.Next(line))) {
        if (Contains(line, "OUTLINE") || Contains(line, "PLANLINE")) break;
        const std::vector<std::string> fl = SplitFields(line);
        double v[8];
        bool ok = fl.size() >= 12;
        for (int i = 0; ok && i < 8; ++i) ok = Number(fl[i], &v[i]);
        if (!ok) {
            ShowMessage(kMeshFileDamagedMessage);
            nodesEnded = true;
            break;
        }
        const int32_t column = Integer(fl[8]), row = Integer(fl[9]);
        const int64_t number = (int64_t{row} - 1) * h.columns + column;
        if (number < 1 || number >= nodes.Size()) {
            nodesEnded = true;
            break;
        }
        MeshNode& n = nodes.Data()[number];
        n.x = v[0];
        n.y = v[1];
        n.z = v[2];
        n.planZ = v[3];
        n.averageZ = v[4];
        n.planAverageZ = v[5];
        n.cut = v[6];
        n.fill = v[7];
        n.column = column;
        n.row = row;
        n.valid = Integer(fl[10]);
        n.planSource = Integer(fl[11]);
    }
    if (nodesEnded) haveLine = false;
    std::vector<OutlineCrossing> outline;
    if (haveLine && Contains(line, "OUTLINE") && !Contains(line, "PLANLINE")) {
        if (ReadCrossingBlock(in, true, &outline) == BlockRead::kDamaged) {
            std::fclose(f);
            ShowDamaged();
            return 0;
        }
        haveLine = false;
    }
    struct PlanBlock {
        int32_t number;
        std::vector<OutlineCrossing> entries;
    };
    std::vector<PlanBlock> plans;
    for (;;) {
        if (!haveLine && !(haveLine = in.Next(line))) break;
        haveLine = false;
        if (!Contains(line, "PLANLINE")) continue;
        if (static_cast<int32_t>(plans.size()) >= kMaxPlanLines) {
            std::fclose(f);
            PlanLineCountFits(kMaxPlanLines + 1);
            return 0;
        }
        const size_t comma = line.find(',', line.find("PLANLINE"));
        PlanBlock block{comma == std::string::npos ? 0 : Integer(line.substr(comma + 1)), {}};
        if (ReadCrossingBlock(in, true, &block.entries) == BlockRead::kDamaged) {
            std::fclose(f);
            ShowDamaged();
            return 0;
        }
        plans.push_back(std::move(block));
    }
    std::fclose(f);

    RecordBlock<OutlineCrossing> crossings;
    int32_t capacity = 0;
    if (!outline.empty() && !FillCrossingBlock(crossings, outline, &capacity)) outline.clear();
    // The plan list: each line's entries and the counted copy of its first one.
    std::vector<OutlineCrossing> planList;
    std::vector<PlanLine> planLines;
    for (const PlanBlock& b : plans) {
        PlanLine pl;
        pl.number = b.number;
        if (!b.entries.empty()) {
            pl.first = static_cast<int32_t>(planList.size()) + 1;
            planList.insert(planList.end(), b.entries.begin(), b.entries.end());
            pl.last = static_cast<int32_t>(planList.size());
            planList.push_back(b.entries.front());
        }
        planLines.push_back(pl);
    }
    RecordBlock<OutlineCrossing> planBlock;
    int32_t planCapacity = 0;
    bool planRead = true;
    if (!planList.empty()) {
        const int32_t count = static_cast<int32_t>(planList.size());
        planCapacity = 2 * count;
        planRead = planBlock.Resize(planCapacity + 1, 8192) == 0;
        if (planRead)
            for (int32_t i = 0; i < count; ++i) planBlock.Data()[i + 1] = planList[i];
    }

    ResetMeshResults();
    ApplyHeader(h);
    g_meshFilePath = path;
    g_meshNodes.Swap(nodes);
    InstallOutline(crossings, static_cast<int32_t>(outline.size()), capacity);
    if (planRead) {
        g_planCrossings.Swap(planBlock);
        g_planCrossingCount = static_cast<int32_t>(planList.size());
        if (!planList.empty()) g_planCrossingCapacity = planCapacity;
        for (size_t i = 0; i < planLines.size(); ++i) g_planLines[i + 1] = planLines[i];
        g_planLineCount = static_cast<int32_t>(planLines.size());
    }
    g_meshVolumeDone = 1;
    CalcMeshCellCentres();
    g_meshPlanDone = 1;
    g_showMesh = -1;
    g_showMeshElevations = 0;
    return 1;
}

void RefitViewAfterMeshRead() {
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

bool OpenMeshFile() {
    const std::string chosen = OpenDialog("メッシュデータ読み込み", kMeshFilter);
    if (chosen.empty()) return false;
    const bool read = ReadMeshFile(chosen) == 1;
    RefitViewAfterMeshRead();
    return read;
}

bool SaveMeshFile() {
    FileDialogRequest request;
    request.save = true;
    request.title = "メッシュデータ書き込み";
    request.filter = kMeshFilter;
    request.defaultExtension = "MSH";
    request.folder = g_workFolder;
    request.fileName = g_meshFilePath;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    g_lastFolder = FolderOfPath(chosen);
    g_meshFilePath = WithDefaultExtension(chosen, "MSH");
    return WriteMeshFile(g_meshFilePath);
}

bool OpenPlanMeshFile() {
    const std::string chosen = OpenDialog("計画メッシュデータ読み込み", kMeshFilter);
    if (chosen.empty()) return false;
    return ReadPlanMeshFile(chosen) == 1;
}

std::string SaveMeshVolumeFile() {
    if (!g_meshAreaDefined || !g_meshElevationsDone || !g_meshVolumeDone) {
        ShowMessage(kMeshVolumeNotComputedMessage, "", msg::kOk | msg::kIconError);
        return "";
    }
    FileDialogRequest request;
    request.save = true;
    request.title = "メッシュ土量データ書き込み";
    request.filter = kMeshVolumeFilter;
    request.defaultExtension = "MVO";
    request.folder = g_workFolder;
    request.fileName = WithExtension(g_meshFilePath, ".MVO").string();
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return "";
    g_lastFolder = FolderOfPath(chosen);
    const std::string path = WithDefaultExtension(chosen, "MVO");
    return WriteMeshVolumeFile(path) ? path : "";
}

bool OpenMeshVolumeFile() {
    const std::string chosen = OpenDialog("メッシュ土量ファイルの選択", kMeshVolumeFilter);
    if (chosen.empty()) return false;
    if (ReadMeshVolumeFile(chosen) != 1) return false;
    RefitViewAfterMeshRead();
    return true;
}
