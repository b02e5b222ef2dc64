#pragma once
// The jacksboro grid's TIN and the contour run set-up shared by the contour benchmarks.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "contour/contour_calc.h"
#include "model/auto_outline.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "shell/work_files.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "tin_bench_support.h"

// The TIN of the loaded points inside g_outline by the grid builder, and their Z range.
inline bool BuildGridTinInOutline() {
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    g_pointZMin = 1e300;
    g_pointZMax = -1e300;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        g_pointZMin = std::min(g_pointZMin, g_points[i].z);
        g_pointZMax = std::max(g_pointZMax, g_points[i].z);
    }
    return g_tinPresent != 0;
}

// The grid read with the program's own RND reader, its boundary ring as the outline, the
// TIN built by the grid builder.
inline bool LoadJacksboroTin() { return tin_bench::MakeJacksboroGrid() && BuildGridTinInOutline(); }

// The 20k scatter inside its automatic outline, the TIN built by the grid builder.
inline bool LoadJacksboroScatterTin() {
    if (!tin_bench::LoadJacksboro("jacksboro_scatter20k.RND")) return false;
    ComputeDataExtents(0);
    return BuildAutoOutline(DefaultAutoOutlineDistance(g_pointCount, g_extentSize)) ==
               kAutoOutlineDone &&
           BuildGridTinInOutline();
}

// Work files in `dir`, levels every `interval` metres over the whole range.
inline void PrepareContourRun(const std::filesystem::path& dir, double interval) {
    std::filesystem::create_directories(dir);
    g_contourLinesPath = (dir / "_#ovk$1.$$$").string();
    g_contourIndexPath = (dir / "_#ovk$2.$$$").string();
    g_contourMinZ = std::floor(g_pointZMin / interval) * interval;
    g_contourMaxZ = g_pointZMax;
    g_contourInterval = interval;
    g_indexContourInterval = 5 * interval;
    g_contourSmoothness = 5;
    SetLongLoopPollInterval(100);
}
