#include "contour/slice_store.h"

#include "model/terrain_data.h"

RecordBlock<SliceStoreBlock> g_sliceStore;
int32_t g_sliceStoreBlocks = 0;
int32_t g_sliceLineCount = 0;
int32_t g_sliceExtraBlocks = 0;
int32_t g_sliceContoursLoaded = 0;
int32_t g_showSliceContours = 0;
int32_t g_highlightedSliceLine = 0;
int32_t g_sliceMethod = 0;
double g_sliceSmoothness = 0.0;
int32_t g_sliceRangeMode = 2;
int32_t g_sliceAreaDecimals = 2;

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_sliceStore.Release();
        g_sliceStoreBlocks = 0;
        g_sliceLineCount = 0;
        g_sliceExtraBlocks = 0;
        g_sliceContoursLoaded = 0;
        g_showSliceContours = 0;
        g_highlightedSliceLine = 0;
        g_sliceMethod = 0;
        g_sliceSmoothness = 0.0;
        g_sliceRangeMode = 2;
        g_sliceAreaDecimals = 2;
    });
    return true;
}();
}  // namespace
