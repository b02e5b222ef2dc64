#pragma once
// Another survey's RND file and its .TRI, read for merging into the loaded data. Both are
// read whole and checked before anything in memory changes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/terrain_data.h"

struct MergeInputFile {
    std::string bytes;                   // the whole file
    std::vector<std::string_view> lines;  // the point lines, into `bytes`, without line ends
    std::vector<RandomPoint> points;      // one per line, read as the document reader does
};

// Reads the point lines of an RND file: the five header lines skipped, blank lines
// skipped, every other line a point. Lines that are not points are allowed only at the
// end of the file (a damaged end, fewer than the points; then left out), since anywhere
// else they would shift the numbering that the .TRI refers to. False after a message when
// the file cannot be read or is damaged.
bool ReadMergeInputFile(const std::filesystem::path& path, MergeInputFile& file);

enum class MergeTinStatus { kRead, kMissing, kDamaged };

// The edge records (A, B, apex back, apex search) of the .TRI beside an RND file, found
// without regard to case. kDamaged for a bad edge count (below 1 or above 100000000) or a
// file shorter than its count.
MergeTinStatus ReadMergeInputTin(const std::filesystem::path& rndPath, std::vector<int32_t>& fields);

// Tells that the other file's points were merged without its TIN (missing or damaged .TRI).
void ReportMergeTinStatus(MergeTinStatus status);

// Makes room for one more point (the block grows by 10000 when fewer than 50 records are
// left). False after the message "ランダムデータのメモリ確保に失敗しました" when the block
// cannot grow; it then keeps its size and the points so far stay, closed by the end marker.
bool RoomForMergedPoint();

// Whether a record of a file with `pointCount` points refers only to its own points:
// A, B and apex search in 1..pointCount by magnitude, apex back too unless it is kNoApex.
bool MergeTinRecordInRange(const int32_t* record, int32_t pointCount);

// The outline polygon (closed, the first vertex repeated) and its box, with the inside
// test of the merge: a point is outside when it lies outside the box or the polygon test
// with tolerance 1e-6 (ClassifyPointInPolygon) says outside.
//
// The answers are those of the polygon test, found faster: the box is cut into cells, and
// in a cell that no side comes within the tolerance of, every point gets the answer of the
// cell's centre (no side separates them), which is asked once. Only points in cells near
// a side are tested one by one.
class MergeOutlinePolygon {
public:
    explicit MergeOutlinePolygon(const IndexList& outline);
    bool Outside(double x, double y) const;
    // The same answer without the cells: the box, then the polygon test.
    bool OutsideByPolygonTest(double x, double y) const;
    int32_t Entries() const { return static_cast<int32_t>(m_xs.size()); }

private:
    enum CellState : uint8_t { kUnknown, kNearSide, kCellOutside, kCellNotOutside };
    int32_t Column(double y) const;
    int32_t Row(double x) const;

    std::vector<double> m_xs, m_ys;
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
    int32_t m_cells = 0;  // per side of the grid; 0 without one
    double m_cellX = 0, m_cellY = 0;
    mutable std::vector<CellState> m_state;
};
