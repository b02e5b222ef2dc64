#pragma once
// Outline and hole boundaries kept as coordinate lists, matched to the random points on
// reading, so they survive renumbering. .BN2 (and the host channel's .BN5): one
// "X,Y,Z" line per outline vertex, no closing copy. .HOL: per hole region one boundary
// polygon of such lines (positive trapezoid sum, no closing copy) followed by a line "E".
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

struct CoordinateLine {
    double x = 0, y = 0, z = 0;
};

// Finds the first point (lowest number) near a position, as a scan of the points in
// order would, through a grid of the points. Points appended while it is used are added
// with Add.
class PointMatchIndex {
public:
    // Indexes points 1..g_pointCount; `cell` must be at least twice the largest radius asked.
    explicit PointMatchIndex(double cell = 0.002);
    void Add(int32_t point);
    // First point within a horizontal distance of at most `radius`.
    int32_t FindWithinDistance(double x, double y, double radius) const;
    // First point with |X - Xi| < box and |Y - Yi| < box.
    int32_t FindWithinBox(double x, double y, double box) const;

private:
    template <class Near>
    int32_t FindFirst(double x, double y, Near near) const;
    bool CellOf(double x, double y, int64_t& cx, int64_t& cy) const;
    static uint64_t Key(int64_t cx, int64_t cy);
    double m_cell;
    std::unordered_map<uint64_t, std::vector<int32_t>> m_cells;
    std::vector<int32_t> m_unplaced;  // coordinates too large for a cell number, or not finite
};

// Splits one line into X, Y and Z. Blank lines give false with `blank` set; a line whose X
// or Y is not a finite number, or whose Z (optional) is not, gives false.
bool ParseCoordinateLine(const std::string& line, CoordinateLine& out, bool& blank);

// Writes g_outline's vertices as "%.3f,%.3f,%.3f" lines with CR LF. False (reported) when
// the file cannot be created or written.
bool SaveOutlineFile(const std::filesystem::path& path);

// Reads a .BN2/.BN5 file into `vertices` (blank lines skipped). False, with the reason
// reported and nothing changed, when the file cannot be opened or a line is damaged.
bool ReadOutlineFile(const std::filesystem::path& path, std::vector<CoordinateLine>& vertices);
// Appends the vertices to g_outline: each to the first point within 0.001 m (made valid,
// inside, outline vertex; elevation kept), else to a new point made there. The outline
// ends closed. Returns the number of points made.
int32_t AppendOutlineVertices(const std::vector<CoordinateLine>& vertices);
// Both; the caller empties the outline first.
bool LoadOutlineFile(const std::filesystem::path& path);

// Results of SaveHoleFile.
constexpr int32_t kHoleFileWritten = 0;
constexpr int32_t kHoleFileNoHole = 1;
constexpr int32_t kHoleFileCannotCreate = 2;
constexpr int32_t kHoleFileWriteFailed = 3;

// Traces the boundary of every hole region and writes it. A boundary that does not close
// into a ring is not written; their number goes to *unclosed.
int32_t SaveHoleFile(const std::filesystem::path& path, int32_t* unclosed = nullptr);

// Reads a .HOL file and applies each polygon with the kind `chooseKind` gives (asked once,
// after the file was read and every vertex matched to a point within 0.001 m in X and Y).
// 1 applied; 0 when the file cannot be opened, is damaged or a vertex has no point (told
// to the user, nothing applied).
int32_t LoadHoleFile(const std::filesystem::path& path, const std::function<int32_t()>& chooseKind);
