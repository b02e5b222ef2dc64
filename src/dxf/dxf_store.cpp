#include "dxf/dxf_store.h"

#include <climits>
#include <cstring>

#include "dxf/dxf_snap_index.h"
#include "platform/encoding.h"

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
std::string g_backgroundDxfPath;
std::unordered_map<std::string, std::vector<int32_t>> g_dxfBlockNames;
int32_t g_vectorColour = 0;
int32_t g_vectorLayer = 0;
int32_t g_dxfSave3d = 1;
int32_t g_dxfModified = 0;
int32_t g_dxfElementLimit = kDefaultDxfElementLimit;

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
    NoteDxfElementsChanged();
    g_dxfBlockElementCount = 0;
    g_dxfElementCapacity = kStartDxfElementCapacity;
    g_dxfBlockElementCapacity = kStartDxfElementCapacity;
    if (GrowDxfElementBlock(g_dxfElementCapacity) != 0) g_dxfElementCapacity = 0;
    if (GrowDxfBlockElementBlock(g_dxfBlockElementCapacity) != 0) g_dxfBlockElementCapacity = 0;
    std::memset(g_dxfLayers, 0, sizeof g_dxfLayers);
    g_dxfLayerCount = 0;
    g_dxfBlockNames.clear();
    g_dxfFirstNewElement = 0;
    g_dxfElementCountAtLoad = 0;
    g_dxfClippedCount = 0;
    g_dxfSourcePath.clear();
    g_backgroundDxfPath.clear();
    g_dxfModified = 0;
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

int32_t FindOrAddDxfLayer(std::string_view name, int32_t& layerIndex, int32_t& colour) {
    layerIndex = 0;
    name = name.substr(0, Cp932PrefixLength(name, sizeof(DxfLayer::name) - 5));
    for (int32_t i = 1; i <= g_dxfLayerCount; ++i) {
        const DxfLayer& layer = g_dxfLayers[i];
        if (std::strlen(layer.name) == name.size() && std::memcmp(layer.name, name.data(), name.size()) == 0) {
            layerIndex = i;
            colour = layer.colour;
            return 0;
        }
    }
    if (g_dxfLayerCount >= kMaxDxfLayers) return 1;
    DxfLayer& layer = g_dxfLayers[++g_dxfLayerCount];
    std::memset(layer.name, 0, sizeof layer.name);
    std::memcpy(layer.name, name.data(), name.size());
    layer.colour = colour;
    layerIndex = g_dxfLayerCount;
    return 1;
}

int32_t EnsureDxfCapacity(DxfTarget& target, int32_t need) {
    int32_t* count;
    int32_t* capacity;
    int32_t (*grow)(int32_t);
    if (target == DXF_TARGET_BLOCKS) {
        count = &g_dxfBlockElementCount;
        capacity = &g_dxfBlockElementCapacity;
        grow = GrowDxfBlockElementBlock;
    } else if (target == DXF_TARGET_ENTITIES) {
        count = &g_dxfElementCount;
        capacity = &g_dxfElementCapacity;
        grow = GrowDxfElementBlock;
    } else {
        return -1;
    }
    if (need < 0) need = 0;
    const int64_t wanted = int64_t{*count} + need;
    if (wanted <= *capacity) return 1;
    // A failed growth keeps both stores as they were: a drawing the user chose to keep
    // is not lost with the one that did not fit.
    const int64_t grown = wanted + 10000;
    if (wanted > g_dxfElementLimit || grown > INT32_MAX) {
        target = DXF_TARGET_FAILED;
        return -2;
    }
    const int32_t old = *capacity;
    *capacity = static_cast<int32_t>(grown);
    if (grow(*capacity) != 0) {
        *capacity = old;
        target = DXF_TARGET_FAILED;
        return -2;
    }
    return 1;
}

DxfElement& AppendDxfRecord(DxfTarget target) {
    if (target == DXF_TARGET_BLOCKS) return g_dxfBlockElementsBlock.Data()[++g_dxfBlockElementCount];
    return g_dxfElementsBlock.Data()[++g_dxfElementCount];
}
