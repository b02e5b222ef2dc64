#include "exchange/import_points.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace {
constexpr size_t kListedLines = 5;
}  // namespace

void ImportSkippedLines::Add(int64_t lineNumber) {
    ++count;
    if (lineNumbers.size() < kListedLines) lineNumbers.push_back(lineNumber);
}

void ReportSkippedImportLines(const std::filesystem::path& path, const ImportSkippedLines& skipped) {
    if (skipped.count <= 0) return;
    std::string lines;
    for (int64_t n : skipped.lineNumbers) lines += FormatString(" %lld", static_cast<long long>(n));
    if (skipped.count > static_cast<int32_t>(skipped.lineNumbers.size())) lines += " ...";
    ShowMessage(FormatString("数値でないデータの %d 行は取り込みませんでした。\n行:%s\n%s",
                             skipped.count, lines.c_str(), path.string().c_str()),
                "", msg::kOk | msg::kIconWarning);
}

void ReportImportResult(const std::filesystem::path& path, int32_t result) {
    switch (result) {
        case 0:
            return;
        case kImportCannotOpen:
            ReportCannotOpen(path);
            return;
        case kImportReadFailed:
            ReportDamagedFile(path);
            return;
        default:
            ShowMessage("Memory ERROR!", "", msg::kOk | msg::kIconError);
            return;
    }
}

bool ParseImportNumber(std::string_view field, double* value) {
    size_t b = 0;
    size_t e = field.size();
    while (b < e && (field[b] == ' ' || field[b] == '\t')) ++b;
    while (e > b && (field[e - 1] == ' ' || field[e - 1] == '\t' || field[e - 1] == '\r' ||
                     field[e - 1] == '\n'))
        --e;
    if (b == e) {
        *value = 0;
        return true;
    }
    // Only a decimal number: no hexadecimal, "inf" or "nan", nothing after it.
    const char* first = field.data() + b;
    const char* last = field.data() + e;
    if (*first == '+') ++first;
    if (first == last) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec != std::errc() || end != last || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

std::string_view ImportColumns(std::string_view line, size_t first, size_t last) {
    if (first == 0 || first > line.size() || last < first) return {};
    return line.substr(first - 1, last - first + 1);
}

std::string CleanImportName(std::string_view name, size_t limit) {
    std::string out;
    out.reserve(name.size());
    for (char c : name)
        if (c != ' ' && c != '"' && c != '\n' && c != '\r' && c != '\0') out.push_back(c);
    out.resize(Cp932PrefixLength(out, limit));
    return out;
}

double ImportErrorUnit(int32_t errorDigits) {
    switch (errorDigits) {
        case 1: return 0.1;
        case 2: return 0.01;
        case 3: return 0.001;
        case 4: return 0.0001;
        default: return 0.00001;
    }
}

ImportPointAppender::ImportPointAppender(int32_t plotMode, int32_t addError, int32_t errorDigits,
                                         int32_t step)
    : m_plotMode(plotMode),
      m_addError(addError != 0),
      m_unit(ImportErrorUnit(errorDigits)),
      m_step(step),
      m_startCount(g_pointCount) {}

int32_t ImportPointAppender::Append(double x, double y, double z, std::string_view name) {
    return AppendPoint(x, y, z, CleanImportName(name));
}

int32_t ImportPointAppender::AppendRawName(double x, double y, double z, std::string_view name) {
    std::string cut(name.substr(0, Cp932PrefixLength(name, 9)));
    const size_t nul = cut.find('\0');
    if (nul != std::string::npos) cut.resize(nul);
    return AppendPoint(x, y, z, cut);
}

int32_t ImportPointAppender::AppendPoint(double x, double y, double z, const std::string& clean) {
    if (g_pointCount >= INT32_MAX - m_step - 64) return 0;
    if (EnsurePointCapacity(g_pointCount + 1, m_step, 50) != 0) return 0;
    if (m_addError) {
        x += m_secondPattern ? 2 * m_unit : m_unit;
        y += m_secondPattern ? 3 * m_unit : 2 * m_unit;
        m_secondPattern = !m_secondPattern;
    }
    const int32_t i = ++g_pointCount;
    RandomPoint& p = g_points[i];
    std::memset(&p, 0, sizeof p);
    p.x = x;
    p.y = y;
    p.z = z;
    p.plotKind = static_cast<int16_t>(m_plotMode);
    std::memcpy(p.name, clean.data(), clean.size());
    g_points[i + 1].hidden = kEndMarker;  // the whole end record is written by Finish
    return i;
}

void ImportPointAppender::Finish() { SetPointEndMarker(); }

void TruncateImportedPoints(int32_t count) {
    if (count < 0 || count > g_pointCount) return;
    g_pointCount = count;
    SetPointEndMarker();
}
