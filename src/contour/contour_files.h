#pragma once
// Contour work files and the contour level parameters stored in their index header.
//
// Line file: lines one after the other, each a header ContourRecord (code, level, vertex
// count) and that many vertex records (0, X, Y); no file header. Lines of more than 2000
// vertices are cut into pieces that share their joining vertex. Index file: four entries
// (offset 0) holding lowest level, highest level, main and index interval, then one entry
// (level, byte offset of the header) per header record of the line file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Full path of the contour line work file (set when the main window is made).
extern std::string g_contourLinesPath;
// -1 while the drawing contours are shown.
extern int32_t g_showDrawingContours;

// Contour parameters: lowest and highest level, main interval, index interval.
extern double g_contourMinZ;
extern double g_contourMaxZ;
extern double g_contourInterval;
extern double g_indexContourInterval;

// Default levels for a freshly loaded elevation range: main interval 1, 2 or 5 by the size
// of the range truncated toward zero to whole metres, index every fifth; the lowest level
// is the first multiple of the interval at or above zMin (so index levels fall on
// multiples of the index interval), the highest zMax truncated toward zero.
void SetDefaultContourLevels(double zMin, double zMax);

// Whether levels minZ, minZ + interval, ... up to maxZ can be stepped through: finite
// values, a positive interval large enough to change every level it is added to.
bool ContourLevelsUsable(double minZ, double maxZ, double interval);

constexpr int32_t kContourRecordBytes = 18;
constexpr int32_t kContourIndexEntryBytes = 12;
constexpr int32_t kContourPieceMaxVertices = 2000;
constexpr int32_t kContourIndexHeaderEntries = 4;

// Line kinds of a header record.
constexpr int16_t kContourCodeBSpline = 1;
constexpr int16_t kContourCodeSplineThrough = 2;
constexpr int16_t kContourCodeStraight = 3;

struct ContourRecord {
    int16_t code;
    double a;  // level in a header, X in a vertex
    double b;  // vertex count in a header, Y in a vertex
};

struct ContourIndexEntry {
    double level;
    int32_t offset;
};

// Packed little-endian records; false when the write failed.
bool WriteContourRecord(std::FILE* file, const ContourRecord& record);
bool WriteContourIndexEntry(std::FILE* file, const ContourIndexEntry& entry);
// False at the end of the file (or a short record).
bool ReadContourRecord(std::FILE* file, ContourRecord* record);
// As ReadContourRecord, telling how many bytes it took: 18 for a whole record (then filled
// in), fewer at the end of the file (a file cut inside a record when not 0).
size_t ReadContourRecordBytes(std::FILE* file, ContourRecord* record);
bool ReadContourIndexEntry(std::FILE* file, ContourIndexEntry* entry);

// The open pair of work files a calculation appends to. The line file's size is kept so
// each index entry can name the header's position. Records are gathered and written in
// large blocks: a line file holds millions of them.
class ContourFileWriter {
public:
    ~ContourFileWriter() { Close(); }
    // Replace: both files made anew with the index header from the current parameters.
    // Add: both opened for appending, the header left as it is. False (both closed) when
    // either cannot be opened.
    bool Open(bool replace);
    // Lines kept in memory, offsets counted from their start, until Append takes them.
    void OpenInMemory();
    // Appends one line of n vertices (x[i], y[i] for i = 0..n-1) in pieces of at most 2000.
    void WriteLine(int16_t code, double level, const double* x, const double* y, int32_t n);
    // Appends the lines an in-memory writer holds, as if written here, and empties it.
    void Append(ContourFileWriter& part);
    // False when any write failed since Open.
    bool Close();
    bool ok() const { return m_ok; }

private:
    // Written before a piece when this much is pending; small enough to stay in the cache.
    static constexpr size_t kFlushBytes = 48 << 10;
    static constexpr size_t kLineBufferBytes =
        kFlushBytes + (kContourPieceMaxVertices + 1) * kContourRecordBytes;
    void Flush();

    struct PendingEntry {
        double level;
        int64_t offset;
    };

    std::FILE* m_lines = nullptr;
    std::FILE* m_index = nullptr;
    bool m_memory = false;
    // Not yet written.
    std::vector<char> m_linePending;
    size_t m_lineUsed = 0;
    std::vector<PendingEntry> m_indexPending;
    int64_t m_lineBytes = 0;
    bool m_ok = true;
};

// Copies the work files beside the document as <base>.CT1 and <base>.CT2. -1 and nothing
// done when no contours are loaded; 0 otherwise (copy failures are not reported).
int32_t CopyContourFilesToDocument(const std::string& documentPath);

// Takes the .ct1/.ct2 beside g_currentDataPath into the work files and the contour
// parameters from the index header. Without a .ct2 the index is rebuilt from the line
// file's headers (keeping the current parameters); without a .ct1 the contour parameters
// are not taken from a stale index file. A header whose levels cannot be stepped through
// is said and not taken: the index is rebuilt as without a .ct2.
void RestoreContourFiles();
// The same for the document at documentPath.
void RestoreContourFilesFor(const std::string& documentPath);

// Rebuilds the index file from the headers of the line file with the current parameters.
// False when the line file cannot be read or the index cannot be written.
bool RebuildContourIndex();
