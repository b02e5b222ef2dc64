#pragma once
// A bucket grid over the TIN records' search-side triangles for many point lookups in a
// row: it answers as FindTinTriangleInBox does (the first record, ascending, whose box
// holds the point and whose triangle InterpolateInTriangle accepts) without walking every
// record. Built from the TIN as it stands; rebuild after the TIN changes.
#include <cstdint>
#include <vector>

class TinTriangleGrid {
public:
    // False when the work memory cannot be had (the grid then finds nothing).
    bool Build();
    // The record and the elevation there, or 0 (elevation untouched).
    int32_t Find(double x, double y, double* elevation) const;

private:
    int64_t CellX(double x) const;
    int64_t CellY(double y) const;

    double m_minX = 0, m_minY = 0, m_maxX = -1, m_maxY = -1;
    double m_cellSize = 1;
    int64_t m_columns = 0, m_rows = 0;
    std::vector<int32_t> m_start;    // per cell: its first entry in m_records; one extra
    std::vector<int32_t> m_records;  // ascending within each cell
};
