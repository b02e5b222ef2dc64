#pragma once
// Slice lines put into the store by hand, as the slice calculation leaves them.
#include <cstdlib>
#include <utility>
#include <vector>

#include "contour/slice_store.h"

namespace slicetest {

// Appends one line with its vertices in the store's block layout.
inline void AddSliceLine(int32_t kind, int32_t valid, int32_t attribute, double elevation,
                         double area, const std::vector<std::pair<double, double>>& vertices) {
    const int32_t n = static_cast<int32_t>(vertices.size());
    const int32_t extra = n / kSliceVerticesPerBlock;
    int32_t used = 1;  // block 0
    SliceLine* line = FirstSliceLine();
    for (int32_t k = 1; k <= g_sliceLineCount; ++k, line = NextSliceLine(line))
        used += 1 + line->extraBlocks;
    if (g_sliceStore.Resize(used + 1 + extra, 8192) != 0) std::abort();
    g_sliceStoreBlocks = used + 1 + extra;
    auto* header = reinterpret_cast<SliceLine*>(g_sliceStore.Data() + used);
    *header = SliceLine{n, extra, kind, valid, attribute, 0, elevation, area};
    SliceVertex* v = SliceLineVertices(header);
    for (int32_t i = 0; i < n; ++i) v[i] = SliceVertex{vertices[i].first, vertices[i].second, 0, 0, 0};
    ++g_sliceLineCount;
    g_sliceExtraBlocks += extra;
    g_sliceContoursLoaded = -1;
}

// A closed square of side s about the origin, as a line of 5 vertices.
inline std::vector<std::pair<double, double>> Square(double s) {
    const double h = s / 2;
    return {{-h, -h}, {-h, h}, {h, h}, {h, -h}, {-h, -h}};
}

}  // namespace slicetest
