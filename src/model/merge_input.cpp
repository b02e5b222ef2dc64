#include "model/merge_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>

#include "model/file_report.h"
#include "model/geometry.h"
#include "model/le_bytes.h"
#include "model/rnd_file.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kDamagedLinesText =
    "点データとして読めない行があるため合成できません。\n%s\n行: %s";
constexpr size_t kListedLines = 10;
constexpr double kTolerance = 1e-6;
constexpr const char* kTinMissingText =
    "合成したファイルの三角網ファイル (.TRI) がないため、点だけを合成しました。";
constexpr const char* kTinDamagedText =
    "合成したファイルの三角網ファイル (.TRI) が壊れているため、点だけを合成しました。";
constexpr const char* kNoPointMemoryText = "ランダムデータのメモリ確保に失敗しました";

bool IsBlank(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// Splits at CR LF, LF or a CR alone; a last line without an end counts.
std::vector<std::string_view> SplitLines(const std::string& bytes) {
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 60 + 8);
    size_t start = 0;
    const size_t size = bytes.size();
    while (start < size) {
        size_t end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        lines.emplace_back(bytes.data() + start, end - start);
        if (end < size && bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}
}  // namespace

bool ReadMergeInputFile(const fs::path& path, MergeInputFile& file) {
    file = MergeInputFile();
    if (!ReadFileBytes(path, file.bytes)) {
        ReportCannotOpen(path);
        return false;
    }
    const std::vector<std::string_view> all = SplitLines(file.bytes);
    file.points.reserve(all.size());
    file.lines.reserve(all.size());
    std::vector<int32_t> badLines;
    int32_t badCount = 0;
    bool badBeforePoint = false;
    for (size_t i = 5; i < all.size(); ++i) {
        if (IsBlank(all[i])) continue;
        RandomPoint p{};
        if (!ParseRndPointLine(all[i], p)) {
            if (badLines.size() < kListedLines) badLines.push_back(static_cast<int32_t>(i + 1));
            ++badCount;
            continue;
        }
        if (badCount > 0) badBeforePoint = true;
        file.points.push_back(p);
        file.lines.push_back(all[i]);
    }
    if (badCount > 0 && (badBeforePoint || badCount > static_cast<int32_t>(file.points.size()))) {
        std::string list;
        for (int32_t n : badLines) list += (list.empty() ? "" : ", ") + std::to_string(n);
        if (badCount > static_cast<int32_t>(badLines.size()))
            list += FormatString(" ほか %d 行", badCount - static_cast<int32_t>(badLines.size()));
        ShowMessage(FormatString(kDamagedLinesText, path.c_str(), list.c_str()), "",
                    msg::kOk | msg::kIconError);
        file = MergeInputFile();
        return false;
    }
    // Points over 1e8 would overflow the numbering of the merged data.
    if (file.points.size() > 100000000) {
        ReportDamagedFile(path);
        file = MergeInputFile();
        return false;
    }
    return true;
}

MergeTinStatus ReadMergeInputTin(const fs::path& rndPath, std::vector<int32_t>& fields) {
    fields.clear();
    const fs::path path = FindCompanion(rndPath, ".TRI");
    if (path.empty()) return MergeTinStatus::kMissing;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return MergeTinStatus::kMissing;
    if (bytes.size() < 16) return MergeTinStatus::kDamaged;
    const int32_t n = GetLeI32(bytes.data() + 8);
    if (n < 1 || n > 100000000) return MergeTinStatus::kDamaged;
    if (bytes.size() < 16 + 16 * static_cast<size_t>(n)) return MergeTinStatus::kDamaged;
    fields.resize(4 * static_cast<size_t>(n));
    for (size_t k = 0; k < fields.size(); ++k) fields[k] = GetLeI32(bytes.data() + 16 + 4 * k);
    return MergeTinStatus::kRead;
}

void ReportMergeTinStatus(MergeTinStatus status) {
    if (status == MergeTinStatus::kRead) return;
    ShowMessage(status == MergeTinStatus::kMissing ? kTinMissingText : kTinDamagedText, "",
                msg::kOk | msg::kIconInformation);
}

bool RoomForMergedPoint() {
    if (EnsurePointCapacity(g_pointCount + 1) == 0) return true;
    SetPointEndMarker();
    ShowMessage(kNoPointMemoryText, "", msg::kOk | msg::kIconError);
    return false;
}

bool MergeTinRecordInRange(const int32_t* r, int32_t pointCount) {
    auto inRange = [pointCount](int32_t v) {
        const int64_t m = v < 0 ? -static_cast<int64_t>(v) : v;
        return m >= 1 && m <= pointCount;
    };
    return inRange(r[0]) && inRange(r[1]) && inRange(r[3]) && (r[2] == kNoApex || inRange(r[2]));
}

MergeOutlinePolygon::MergeOutlinePolygon(const IndexList& outline) {
    const int32_t n = outline.Count();
    if (n < 1) return;
    for (int32_t k = 1; k <= n + 1; ++k) {
        const RandomPoint& p = g_points[outline[k == n + 1 ? 1 : k]];
        m_xs.push_back(p.x);
        m_ys.push_back(p.y);
    }
    m_minX = *std::min_element(m_xs.begin(), m_xs.end());
    m_maxX = *std::max_element(m_xs.begin(), m_xs.end());
    m_minY = *std::min_element(m_ys.begin(), m_ys.end());
    m_maxY = *std::max_element(m_ys.begin(), m_ys.end());

    const int32_t sides = Entries() - 1;
    if (sides < 8 || !(m_maxX > m_minX) || !(m_maxY > m_minY)) return;
    m_cells = std::clamp(static_cast<int32_t>(2 * std::sqrt(static_cast<double>(sides))), 8, 512);
    m_cellX = (m_maxX - m_minX) / m_cells;
    m_cellY = (m_maxY - m_minY) / m_cells;
    m_state.assign(static_cast<size_t>(m_cells) * m_cells, kUnknown);
    // Every cell that a point within the tolerance of a side can fall into. Rows and columns
    // grow with X and Y, so the cells of a side's widened box hold all such points.
    const double reach = 2 * kTolerance + 1e-12 * std::max({std::fabs(m_minX), std::fabs(m_maxX),
                                                             std::fabs(m_minY), std::fabs(m_maxY)});
    for (int32_t k = 0; k < sides; ++k) {
        const int32_t r0 = Row(std::min(m_xs[k], m_xs[k + 1]) - reach);
        const int32_t r1 = Row(std::max(m_xs[k], m_xs[k + 1]) + reach);
        const int32_t c0 = Column(std::min(m_ys[k], m_ys[k + 1]) - reach);
        const int32_t c1 = Column(std::max(m_ys[k], m_ys[k + 1]) + reach);
        // A long slanted side would mark its whole box: mark along it instead, cell by cell.
        if (static_cast<int64_t>(r1 - r0 + 1) * (c1 - c0 + 1) > 4 * (r1 - r0 + c1 - c0 + 2)) {
            const double length = std::hypot((m_xs[k + 1] - m_xs[k]) / m_cellX, (m_ys[k + 1] - m_ys[k]) / m_cellY);
            const int32_t steps = static_cast<int32_t>(std::ceil(length * 2)) + 1;
            for (int32_t s = 0; s <= steps; ++s) {
                const double t = static_cast<double>(s) / steps;
                const double x = m_xs[k] + t * (m_xs[k + 1] - m_xs[k]);
                const double y = m_ys[k] + t * (m_ys[k + 1] - m_ys[k]);
                // Half a step along the side plus the reach: the neighbours cover it.
                for (int32_t r = Row(x - reach) - 1; r <= Row(x + reach) + 1; ++r)
                    for (int32_t c = Column(y - reach) - 1; c <= Column(y + reach) + 1; ++c)
                        if (r >= 0 && r < m_cells && c >= 0 && c < m_cells)
                            m_state[static_cast<size_t>(r) * m_cells + c] = kNearSide;
            }
            continue;
        }
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t c = c0; c <= c1; ++c) m_state[static_cast<size_t>(r) * m_cells + c] = kNearSide;
    }
}

int32_t MergeOutlinePolygon::Row(double x) const {
    const double r = std::floor((x - m_minX) / m_cellX);
    return r < 0 ? 0 : r >= m_cells ? m_cells - 1 : static_cast<int32_t>(r);
}

int32_t MergeOutlinePolygon::Column(double y) const {
    const double c = std::floor((y - m_minY) / m_cellY);
    return c < 0 ? 0 : c >= m_cells ? m_cells - 1 : static_cast<int32_t>(c);
}

bool MergeOutlinePolygon::OutsideByPolygonTest(double x, double y) const {
    if (m_xs.empty()) return true;
    if (x < m_minX || x > m_maxX || y < m_minY || y > m_maxY) return true;
    int pointClass = 0;
    ClassifyPointInPolygon(0, m_xs.data(), m_ys.data(), Entries(), x, y, kTolerance, &pointClass);
    return pointClass == kPolygonOutside;
}

bool MergeOutlinePolygon::Outside(double x, double y) const {
    if (m_xs.empty()) return true;
    if (x < m_minX || x > m_maxX || y < m_minY || y > m_maxY) return true;
    if (m_cells == 0) return OutsideByPolygonTest(x, y);
    CellState& state = m_state[static_cast<size_t>(Row(x)) * m_cells + Column(y)];
    if (state == kNearSide) return OutsideByPolygonTest(x, y);
    if (state == kUnknown) {
        const int32_t r = Row(x), c = Column(y);
        const double cx = m_minX + (r + 0.5) * m_cellX, cy = m_minY + (c + 0.5) * m_cellY;
        state = OutsideByPolygonTest(cx, cy) ? kCellOutside : kCellNotOutside;
    }
    return state == kCellOutside;
}
