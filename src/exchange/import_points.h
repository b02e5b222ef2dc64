#pragma once
// What every point import shares: the new point's fields, the alternating offsets of
// "誤差を付加", name cleaning, growth of the point block and the lines that were not
// taken because a number field held text.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Results of the import readers besides 0 (read) and -1 (the point block cannot grow).
constexpr int32_t kImportCannotOpen = -2;
constexpr int32_t kImportReadFailed = -3;

// Lines that looked like records but held text where a number belongs; they give no
// point (a point at 0, 0 from a damaged field would be a plainly wrong survey point).
struct ImportSkippedLines {
    int32_t count = 0;
    std::vector<int64_t> lineNumbers;  // the first few, counted from 1
    void Add(int64_t lineNumber);
};

// Tells the user which lines of the file gave no point; nothing when none.
void ReportSkippedImportLines(const std::filesystem::path& path, const ImportSkippedLines& skipped);
// Tells the result of an import reader (cannot open, read error, no memory); nothing for 0.
void ReportImportResult(const std::filesystem::path& path, int32_t result);

// A number field as atof would take it, but refusing text: blanks around the number are
// allowed, and an empty (or all-blank) field is 0. False for anything else.
bool ParseImportNumber(std::string_view field, double* value);
// Columns first..last (1-based, inclusive) of a line; shorter lines give what they have.
std::string_view ImportColumns(std::string_view line, size_t first, size_t last);
// Blanks, double quotes and line ends removed, then cut to at most `limit` bytes without
// splitting a double-byte character.
std::string CleanImportName(std::string_view name, size_t limit = 9);

// Appends points to g_points during one reader call.
class ImportPointAppender {
public:
    // `step`: the growth of the point block when fewer than 50 records are left.
    ImportPointAppender(int32_t plotMode, int32_t addError, int32_t errorDigits, int32_t step);
    // Appends a point with the offsets applied and the name cleaned. Returns the new
    // point's index, or 0 when the block cannot grow (the capacity is set back).
    int32_t Append(double x, double y, double z, std::string_view name);
    // As Append, the name only cut (blanks kept).
    int32_t AppendRawName(double x, double y, double z, std::string_view name);
    // The end marker after the last point.
    void Finish();
    int32_t StartCount() const { return m_startCount; }

private:
    int32_t AppendPoint(double x, double y, double z, const std::string& name);
    int32_t m_plotMode;
    bool m_addError;
    double m_unit;
    int32_t m_step;
    bool m_secondPattern = false;
    int32_t m_startCount;
};

// The offset unit of "誤差を付加" for a digit count.
double ImportErrorUnit(int32_t errorDigits);

// Takes back the points appended after `count` (a read that failed midway).
void TruncateImportedPoints(int32_t count);
