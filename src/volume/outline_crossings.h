#pragma once
// The TIN outline against the mesh: every outline vertex with the cell that holds it, and
// every point where an outline segment crosses a row or column line, with grid keys and an
// elevation interpolated along the segment (g_outlineCrossings).
#include <cstdint>

constexpr int32_t kOutlineCrossingsDone = 0;
constexpr int32_t kOutlineTooShort = -1;
constexpr int32_t kOutlineCrossingsNoMemory = -2;

// 0 done, -1 an outline of fewer than 4 entries, -2 memory failed (reported; the list is
// then empty).
int32_t CalcOutlineMeshCrossings();
