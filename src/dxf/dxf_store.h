#pragma once
// The background vector layer: pen-coded elements (polyline vertices, points, texts), the
// block definitions kept while a drawing is read, and the layer table. Records are
// numbered from 1; record 0 is never used.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/record_block.h"

constexpr uint8_t DXF_PEN_MOVE = 0;
constexpr uint8_t DXF_PEN_DRAW = 1;
constexpr uint8_t DXF_PEN_POINT = 2;
constexpr uint8_t DXF_PEN_TEXT = 3;
constexpr uint8_t DXF_PEN_BLOCK_END = 254;
constexpr uint8_t DXF_PEN_BLOCK_START = 255;

struct DxfElement {
    uint8_t pen;
    double x;  // north as shown, after the registration
    double y;  // east as shown
    double z;
    double textHeight;
    double textAngle;  // degrees, counter-clockwise from the drawing's x axis
    double sourceX;    // as read, before any registration
    double sourceY;
    int32_t screenX;  // written by the view's projection
    int32_t screenY;
    // Plan view: the marker size (6). Bird's-eye view: the bits of a float perspective
    // factor (focal length over depth).
    int32_t projectionWord;
    uint8_t offScreen;
    int32_t colour;  // DXF colour number; negative: the layer is off
    int32_t layer;   // 0 none
    char text[32];
    uint8_t selected;
};

struct DxfLayer {
    char name[132];  // as read, with its line end
    int32_t colour;  // negative: the layer is off
};

enum DxfTarget : int32_t {
    DXF_TARGET_NONE = 0,
    DXF_TARGET_BLOCKS = 1,
    DXF_TARGET_ENTITIES = 2,
    DXF_TARGET_FAILED = 3,
};

constexpr int32_t kMaxDxfLayers = 1024;
constexpr int32_t kStartDxfElementCapacity = 1000;

extern RecordBlock<DxfElement> g_dxfElementsBlock;
extern int32_t g_dxfElementCount;
extern int32_t g_dxfElementCapacity;
extern RecordBlock<DxfElement> g_dxfBlockElementsBlock;
extern int32_t g_dxfBlockElementCount;
extern int32_t g_dxfBlockElementCapacity;

extern DxfLayer g_dxfLayers[kMaxDxfLayers + 1];
extern int32_t g_dxfLayerCount;

extern int32_t g_dxfFirstNewElement;
extern int32_t g_dxfElementCountAtLoad;
extern int32_t g_dxfClippedCount;
extern std::string g_dxfSourcePath;
// Full names of the block definitions (a block start's text holds 31 bytes): name with
// its line end -> numbers of its block-start records, in store order.
extern std::unordered_map<std::string, std::vector<int32_t>> g_dxfBlockNames;

// The background drawing last chosen or opened with a document.
extern std::string g_backgroundDxfPath;

// Colour and layer of new vector elements, the 3D switch of vector saves and the
// unsaved-changes flag of the vector layer.
extern int32_t g_vectorColour;
extern int32_t g_vectorLayer;
extern int32_t g_dxfSave3d;
extern int32_t g_dxfModified;

// Most elements one store may hold: a drawing that needs more is refused as too big
// instead of taking all memory.
extern int32_t g_dxfElementLimit;
constexpr int32_t kDefaultDxfElementLimit = 8'000'000;

// Resize a store to n records (plus 8192 spare bytes on first allocation): 0, or -1 with
// the old block kept; n = 0 frees it and sets its capacity to 0.
int32_t GrowDxfElementBlock(int32_t n);
int32_t GrowDxfBlockElementBlock(int32_t n);

// The layer named exactly `name` (same bytes, same length; names keep their line end),
// added when missing while the table has room. 0: found (colour := the layer's colour);
// 1: added, or the table is full (layerIndex 0); colour then unchanged.
int32_t FindOrAddDxfLayer(std::string_view name, int32_t& layerIndex, int32_t& colour);

// Room for `need` more records in the store `target` selects: 1 ready (grown to count +
// need + 10000 when short); -1 target selects no store; -2 the store could not grow or
// would pass g_dxfElementLimit: target becomes DXF_TARGET_FAILED and both stores keep
// what they held.
int32_t EnsureDxfCapacity(DxfTarget& target, int32_t need);

// Appends one record to the store `target` selects (room must have been made) and
// returns it; its number is the store's new count.
DxfElement& AppendDxfRecord(DxfTarget target);
