#pragma once
// The RND random-point file, the document file of the program: five header lines, then
// one fixed-column line of 63 bytes (CR LF included) per point.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TextFileWriter;
struct RandomPoint;

// Results of WriteRndText.
constexpr int32_t kRndWritten = -1;
constexpr int32_t kRndNoData = 0;
constexpr int32_t kRndWriteFailed = 1;  // refused or failed; the user has been told

// How a point file other than the document is laid out.
struct RndTextLayout {
    // Each of the five header lines; null: the document's header (the zone line first).
    const char* headerLine = nullptr;
    // A value written in every point's validity column; -1: the point's own flag.
    int32_t validityColumn = -1;
};

// Writes the points as RND text through an open file. Nothing is written when no random
// data are loaded. A coordinate that does not fit its column refuses the whole file
// before anything is written. `keep`, when given, chooses the points written.
int32_t WriteRndText(TextFileWriter& file,
                     const std::function<bool(const RandomPoint&)>& keep = nullptr,
                     const RndTextLayout& layout = {});

// Creates the file and writes the points into it. Every failure is told (a file that
// cannot be created or written with ReportWriteFailed) and what a failed write left is
// removed. True when the file was written.
bool WriteRndFile(const std::string& path, const std::function<bool(const RandomPoint&)>& keep,
                  const RndTextLayout& layout = {});

// Writes records that are not the document's points (generated ones) as RND text: five
// lines of asterisks, then one line per record. Refused like WriteRndText when a value does
// not fit its column; kRndWriteFailed after a message when the writes fail.
int32_t WriteRndRecords(TextFileWriter& file, const std::vector<RandomPoint>& records);

// Whether the writer can put a value into an X or Y column (%14.4f), or a Z column
// (%10.3f). Readers refuse what could not be written back.
bool FitsRndPlanColumn(double value);
bool FitsRndHeightColumn(double value);

// Lines of an RND file that are not points: too short, not numbers, values that do not
// fit their columns, or more than one point's columns.
struct RndBadLines {
    int32_t count = 0;
    std::vector<int32_t> lineNumbers;  // the first few, counted from 1 in the file
};

// Reads one point line by the RND reader's columns (name 0-9, X 10-23, Y 26-39, Z 42-51,
// the flags in 54, 57 and 60) into `p`; false when the line is not a point, `p` then
// partly written. Files that other programs wrote are read by it too, so they agree with
// what the document reader would make of them.
bool ParseRndPointLine(std::string_view line, RandomPoint& p);

// Result of ReadRndText for a file it refuses.
constexpr int32_t kRndDamaged = -2;

// Reads RND text into the point block and closes the stream. 0 when every point was
// stored (g_pointCount set); k > 0 when the block was too small, k being the number of
// lines that did not fit (g_pointCount unchanged); -1 on a read error. Lines that are not
// points are never stored: when they only follow the last point (a damaged end) and are
// fewer than the points, they are skipped and listed in `bad`; otherwise the file is
// refused with kRndDamaged (g_pointCount unchanged, `bad` telling the lines), since
// skipping them would renumber the points that the .TRI and .BND refer to. Records past
// g_pointCount may have been overwritten whatever the result.
int32_t ReadRndText(std::FILE* stream, RndBadLines* bad = nullptr);

// Loads g_currentDataPath with its .TRI and .BND companions, sets the title and data
// folder and the default contour levels. -1 on success (skipped lines at the end of the
// file are told); 0 on failure, after a message, with the loaded data as they were and
// g_currentDataPath cleared.
int32_t ReadRndDocument();

// g_pointZMin/g_pointZMax over the valid points inside the outline (both 0 when there
// are none), then the default contour levels for that range.
void SetLoadedElevationRange();
