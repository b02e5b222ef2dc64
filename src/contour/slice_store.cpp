#include "contour/slice_store.h"

#include "model/terrain_data.h"

RecordBlock<SliceStoreBlock> g_sliceStore;
int32_t g_sliceStoreBlocks = 0;
int32_t g_sliceLineCount = 0;
int32_t g_sliceExtraBlocks = 0;
int32_t g_sliceContoursLoaded = 0;
int32_t g_showSliceContours = 0;
int32_t g_highlightedSliceLine = 0;

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
    });
    return true;
}();
}  // namespace
