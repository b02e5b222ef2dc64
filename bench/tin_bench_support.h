#pragma once
// Survey set-ups shared by the TIN builder benchmarks.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "platform/message_box.h"
#include "../tests/support/survey_data.h"

namespace tin_bench {

inline void SetOutline(const std::vector<int32_t>& vertices) {
    g_outline.Reset();
    for (int32_t v : vertices) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

inline int32_t AddPoint(double x, double y) {
    EnsurePointCapacity(g_pointCount + 1, 500000);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    SetPointEndMarker();
    return g_pointCount;
}

inline void MakeRandomSquare(int32_t n) {
    InitDataModel();
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> u(0.0, 10000.0);
    for (int32_t i = 0; i < n; ++i) AddPoint(u(rng), u(rng));
    SetOutline(
        {AddPoint(-1, -1), AddPoint(-1, 10001), AddPoint(10001, 10001), AddPoint(10001, -1)});
}

inline bool LoadJacksboro(const char* name) {
    InitDataModel();
    {
        if (FILE* f = std::fopen(SurveyFile(name).c_str(), "rb")) {
            g_pointCapacity = 200000;
            GrowPointBlock(g_pointCapacity);
            if (ReadRndText(f) != 0 || g_pointCount == 0) return false;
            g_pointsPresent = -1;
            return true;
        }
    }
    return false;
}

constexpr int32_t kJacksboroGridRows = 344, kJacksboroGridColumns = 403;
constexpr int32_t kJacksboroGridNodes = kJacksboroGridRows * kJacksboroGridColumns;

// The grid with the ring of its boundary nodes as the outline.
inline bool MakeJacksboroGrid() {
    if (!LoadJacksboro("jacksboro_grid.RND")) return false;
    const int32_t rows = kJacksboroGridRows, columns = kJacksboroGridColumns;
    if (g_pointCount != kJacksboroGridNodes) return false;
    auto node = [&](int32_t r, int32_t c) { return r * columns + c + 1; };
    std::vector<int32_t> ring;
    for (int32_t c = 0; c < columns; ++c) ring.push_back(node(0, c));
    for (int32_t r = 1; r < rows; ++r) ring.push_back(node(r, columns - 1));
    for (int32_t c = columns - 2; c >= 0; --c) ring.push_back(node(rows - 1, c));
    for (int32_t r = rows - 2; r >= 1; --r) ring.push_back(node(r, 0));
    SetOutline(ring);
    return true;
}

// The grid as above with the grid builder's TIN over it. False when the data is missing
// or the TIN is not complete.
inline bool MakeJacksboroGridTin() {
    if (!MakeJacksboroGrid()) return false;
    g_tinEdgeCapacity = 4 * g_pointCount;
    if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) return false;
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    ClearRecordedMessages();
    if (LastTinBuildResult() != TinBuildResult::kComplete) return false;
    g_tinPresent = -1;
    return true;
}

}  // namespace tin_bench
