#pragma once
// Slice lines: closed contours at the levels of the elevation table with their plane area
// and whether they bound ground or water, the temporary skirt that closes them along the
// TIN border, and the picks of the two slice-line tools.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "contour/slice_store.h"
#include "model/terrain_data.h"

// Sizes the store to g_sliceStoreBlocks blocks plus 8192 bytes: 0, or -1 with the store
// as it was (and g_sliceStoreBlocks back at its size).
int32_t GrowSliceStore();
void FreeSliceStore();
// Empties every line of the store: 0 without a store, else 1.
int32_t ClearSliceLines();
// Line i (1..g_sliceLineCount) of the store, or null (also for a line that would run past
// the store).
SliceLine* GetSliceLine(int32_t i);
// Appends a line with the vertices xs/ys[0..count-1] (in reverse order when asked),
// growing the store as needed: 0, or -1 when the store could not grow (nothing added).
int32_t AddSliceLine(const SliceLine& header, const double* xs, const double* ys, bool reverse);
// Calls f(i, line) for every stored line in order; stops where a line runs past the store.
template <typename F>
void ForEachSliceLine(F&& f);

// The skirt: a vertical band of triangles hung from the TIN border while slice lines are
// traced. Adding it saves what it changes (hole marks, g_holesInverted, the edge words, the
// points' work words, the counts); removing it puts all of it back, so the TIN is as it was.
struct TinSkirtState {
    bool saved = false;       // the record holds the TIN as it was; the holes are released
    bool added = false;       // skirt points and triangles are in the data
    int32_t pointCount = 0;   // before the skirt
    int32_t edgeCount = 0;
    int32_t holesInverted = 0;
    std::vector<TinEdge> edges;  // records 1..edgeCount as they were
    std::vector<int32_t> multiUse, screenX, screenY;  // of points 1..pointCount
    std::vector<int32_t> parent;  // per skirt point (from g_skirtFirstPoint): its border point
};
extern TinSkirtState g_tinSkirt;
extern int32_t g_skirtFirstPoint;  // first skirt point; 0 while there is no skirt

// False when no skirt could be added (no TIN, or the point or edge block cannot grow); the
// holes are released all the same, and RemoveTinSkirt puts them back.
bool AddTinSkirt();
void RemoveTinSkirt();

struct SliceCalcSettings {
    int32_t method = 0;  // 0 straight, 1 B-spline, 2 spline through the vertices
    double smoothness = 0;
    double minimumArea = 0.001;
    bool dropSmall = true;  // lines whose area is not above the minimum are not stored
    int32_t rangeMode = 2;  // 0 closed parts only, 1 ground space, 2 storage space
    int32_t areaDecimals = 2;
};

// One row of the calculation: its level and attribute in, the signed area sum out.
struct SliceLevelArea {
    double elevation = 0;
    int32_t attribute = 0;
    double area = 0;
};

enum class SliceCalcResult {
    kDone,
    kNoTin,
    kNoLevels,
    kBadTolerance,  // a level tolerance of 0: said, nothing touched
    kNoMemory,
    kStoreFull,  // the store could not grow: the lines so far stay
    kStopped,    // stopping confirmed: the lines so far stay
    kBusy,
};

// The area calculation: adds the skirt, traces every row's level, stores the lines and
// sets each row's area, removes the skirt. Says what it did.
SliceCalcResult CalcSliceContours(std::vector<SliceLevelArea>& rows, const SliceCalcSettings& s);
// The levels whose trace did not fit in the last calculation (their area stays 0).
const std::vector<double>& SkippedSliceLevels();

template <typename F>
void ForEachSliceLine(F&& f) {
    SliceStoreBlock* store = g_sliceStore.Data();
    if (!store) return;
    const int64_t blocks = g_sliceStore.Size();
    int64_t block = 1;
    for (int32_t i = 1; i <= g_sliceLineCount && block < blocks; ++i) {
        auto* line = reinterpret_cast<SliceLine*>(store[block].bytes);
        const int64_t room = (blocks - block) * kSliceStoreBlockBytes - int64_t{sizeof(SliceLine)};
        if (line->count < 0 || line->extraBlocks < 0 ||
            int64_t{line->count} * int64_t{sizeof(SliceVertex)} > room)
            return;
        f(i, *line);
        block += 1 + int64_t{line->extraBlocks};
    }
}
