#include "route/route_text.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/encoding.h"

bool RouteLineCursor::Next(std::string_view& line) {
    if (m_pos >= m_bytes.size()) return false;
    const size_t lf = m_bytes.find('\n', m_pos);
    const size_t end = lf == std::string_view::npos ? m_bytes.size() : lf;
    size_t stop = end;
    while (stop > m_pos && m_bytes[stop - 1] == '\r') --stop;
    line = m_bytes.substr(m_pos, stop - m_pos);
    m_pos = lf == std::string_view::npos ? m_bytes.size() : lf + 1;
    return true;
}

std::string_view RouteColumns(std::string_view line, size_t from, size_t width) {
    if (from >= line.size()) return {};
    return line.substr(from, width);
}

namespace {
std::string_view SkipLeadingBlanks(std::string_view text) {
    size_t k = 0;
    while (k < text.size() && (text[k] == ' ' || text[k] == '\t' || text[k] == '\n' ||
                               text[k] == '\r' || text[k] == '\v' || text[k] == '\f'))
        ++k;
    return text.substr(k);
}
}  // namespace

double RouteAtof(std::string_view text) {
    text = SkipLeadingBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // A leading sign of its own only; "+-1" is no number.
    if (text.empty() ||
        !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return 0.0;
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (end == text.data() || ec == std::errc::invalid_argument) return 0.0;
    if (ec == std::errc::result_out_of_range || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

int32_t RouteAtoi(std::string_view text) {
    text = SkipLeadingBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max()) {
            value = std::numeric_limits<int32_t>::max() + int64_t{1};
            break;
        }
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

bool IsBlankRouteLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

void AppendFormat(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof buffer) {
        out.append(buffer, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    big.resize(static_cast<size_t>(n));
    out += big;
}

void AppendFixed(std::string& out, double value, int width, int precision) {
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (ec != std::errc()) {
        AppendFormat(out, "%*.*f", width, precision, value);
        return;
    }
    const size_t n = static_cast<size_t>(end - buffer);
    if (n < static_cast<size_t>(width)) out.append(static_cast<size_t>(width) - n, ' ');
    out.append(buffer, n);
}

void AppendNameField(std::string& out, std::string_view text, size_t width) {
    const size_t n = Cp932PrefixLength(text, width);
    out.append(text.data(), n);
    out.append(width - n, ' ');
}

std::string_view FieldText(const char* field, size_t size) {
    return std::string_view(field, strnlen(field, size));
}
