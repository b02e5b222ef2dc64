#pragma once
// The slice-line store: slice contours with their area and classification, packed in one
// block of 4136-byte store blocks. Block 0 is not used; line 1 starts at block 1 and line
// k + 1 starts 1 + extraBlocks(k) blocks after line k. A line is its header followed by
// its vertices.
#include <cstdint>

#include "model/record_block.h"

struct SliceVertex {
    double x;
    double y;
    int32_t screenX;  // written by the view's projection
    int32_t screenY;
    int8_t offScreen;
};

struct SliceLine {
    int32_t count;        // vertices
    int32_t extraBlocks;  // store blocks beyond the first: count / 128
    int32_t kind;         // 0 ground surface, 1 water surface, 2 undetermined
    int32_t valid;
    int32_t attribute;  // 0 main contour, 1 index contour
    int32_t selected;
    double elevation;
    double area;
};

constexpr int32_t kSliceStoreBlockBytes = 4136;
constexpr int32_t kSliceVerticesPerBlock = 128;
static_assert(sizeof(SliceLine) + kSliceVerticesPerBlock * sizeof(SliceVertex) ==
              kSliceStoreBlockBytes);

struct alignas(8) SliceStoreBlock {
    unsigned char bytes[kSliceStoreBlockBytes];
};

inline SliceVertex* SliceLineVertices(SliceLine* line) {
    return reinterpret_cast<SliceVertex*>(line + 1);
}

// g_sliceStoreBlocks blocks plus 8192 spare bytes; empty when there is no store.
extern RecordBlock<SliceStoreBlock> g_sliceStore;
extern int32_t g_sliceStoreBlocks;
extern int32_t g_sliceLineCount;
extern int32_t g_sliceExtraBlocks;
extern int32_t g_sliceContoursLoaded;
extern int32_t g_showSliceContours;  // -1 shown
extern int32_t g_highlightedSliceLine;

// Calculation settings of the slice lines, edited by the elevation-area dialogs.
extern int32_t g_sliceMethod;      // line method 0, 1, 2 as for the contours
extern double g_sliceSmoothness;   // 0: proposed from the extent when asked
extern int32_t g_sliceRangeMode;   // 0 closed parts only, 1 ground space, 2 storage space
extern int32_t g_sliceAreaDecimals;

// The lines of the store in order: line 1 (null without a store or lines), then each
// line's successor; callers count up to g_sliceLineCount.
inline SliceLine* FirstSliceLine() {
    if (g_sliceStore.Empty() || g_sliceLineCount < 1) return nullptr;
    return reinterpret_cast<SliceLine*>(g_sliceStore.Data() + 1);
}
inline SliceLine* NextSliceLine(SliceLine* line) {
    return reinterpret_cast<SliceLine*>(reinterpret_cast<SliceStoreBlock*>(line) + 1 +
                                        line->extraBlocks);
}
