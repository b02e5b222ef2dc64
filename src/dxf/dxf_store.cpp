#include "dxf/dxf_store.h"

#include <cstring>

#include "model/terrain_data.h"

RecordBlock<DxfElement> g_dxfElementsBlock;
int32_t g_dxfElementCount = 0;
int32_t g_dxfElementCapacity = 0;
RecordBlock<DxfElement> g_dxfBlockElementsBlock;
int32_t g_dxfBlockElementCount = 0;
int32_t g_dxfBlockElementCapacity = 0;

DxfLayer g_dxfLayers[kMaxDxfLayers + 1];
int32_t g_dxfLayerCount = 0;

int32_t g_dxfFirstNewElement = 0;
int32_t g_dxfElementCountAtLoad = 0;
int32_t g_dxfClippedCount = 0;
std::string g_dxfSourcePath;

namespace {
constexpr size_t kSpareBytes = 8192;

int32_t Grow(RecordBlock<DxfElement>& block, int32_t& capacity, int32_t n) {
    if (n == 0) capacity = 0;
    const int32_t r = block.Resize(n, kSpareBytes);
    return block.Empty() && n > 0 ? -1 : r;
}

void FreeDxfBlocks() {
    GrowDxfElementBlock(0);
    GrowDxfBlockElementBlock(0);
}

void ResetDxfData() {
    g_dxfElementCount = 0;
    g_dxfBlockElementCount = 0;
    g_dxfElementCapacity = kStartDxfElementCapacity;
    g_dxfBlockElementCapacity = kStartDxfElementCapacity;
    if (GrowDxfElementBlock(g_dxfElementCapacity) != 0) g_dxfElementCapacity = 0;
    if (GrowDxfBlockElementBlock(g_dxfBlockElementCapacity) != 0) g_dxfBlockElementCapacity = 0;
    std::memset(g_dxfLayers, 0, sizeof g_dxfLayers);
    g_dxfLayerCount = 0;
    g_dxfFirstNewElement = 0;
    g_dxfElementCountAtLoad = 0;
    g_dxfClippedCount = 0;
    g_dxfSourcePath.clear();
}

const bool g_registered = [] {
    RegisterDataBlockRelease(FreeDxfBlocks);
    RegisterDataModelReset(ResetDxfData);
    return true;
}();
}  // namespace

int32_t GrowDxfElementBlock(int32_t n) { return Grow(g_dxfElementsBlock, g_dxfElementCapacity, n); }

int32_t GrowDxfBlockElementBlock(int32_t n) {
    return Grow(g_dxfBlockElementsBlock, g_dxfBlockElementCapacity, n);
}
