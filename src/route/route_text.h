#pragma once
// Line and column helpers of the route file readers and writers. Readers take a field
// from its fixed columns only, so a short or damaged line never lends its neighbour's
// bytes; a missing column reads as empty.
#include <cstdint>
#include <string>
#include <string_view>

// The lines of a file held in memory. A line ends at LF; the CRs before it are dropped,
// so CR LF, LF and CR CR LF all give the same lines.
class RouteLineCursor {
public:
    explicit RouteLineCursor(std::string_view bytes) : m_bytes(bytes) {}
    // The next line without its end; false when none is left.
    bool Next(std::string_view& line);
    bool AtEnd() const { return m_pos >= m_bytes.size(); }

private:
    std::string_view m_bytes;
    size_t m_pos = 0;
};

// The bytes of columns [from, from + width) that the line has.
std::string_view RouteColumns(std::string_view line, size_t from, size_t width);
// The number at the start of the text as the C library's atof reads it (blanks, a sign,
// digits, a fraction, an exponent), in the C locale; 0 when there is none or it is not
// finite.
double RouteAtof(std::string_view text);
// The same for atoi; values beyond int32 are cut to its range.
int32_t RouteAtoi(std::string_view text);
inline double ColumnDouble(std::string_view line, size_t from, size_t width) {
    return RouteAtof(RouteColumns(line, from, width));
}
inline int32_t ColumnInt(std::string_view line, size_t from, size_t width) {
    return RouteAtoi(RouteColumns(line, from, width));
}
// Nothing but blanks and tabs.
bool IsBlankRouteLine(std::string_view line);

// printf appended to `out`.
void AppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
// printf's "%<width>.<precision>f" appended to `out`, without the cost of a format parse.
void AppendFixed(std::string& out, double value, int width, int precision);
// `text` cut to at most `width` bytes without splitting a double-byte character and
// padded with blanks to `width`: a left-aligned name field.
void AppendNameField(std::string& out, std::string_view text, size_t width);
// The NUL-terminated text of a fixed char field.
std::string_view FieldText(const char* field, size_t size);
