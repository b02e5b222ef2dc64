#include "image/image_slot.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "model/terrain_data.h"
#include "view/palette.h"

struct ImageBlock {
    size_t size;
    uint8_t* bytes;
};

uint8_t* ImageHandle::Lock() const { return m_block ? m_block->bytes : nullptr; }
size_t ImageHandle::Size() const { return m_block ? m_block->size : 0; }

size_t g_imageBlockByteLimit = 0;

ImageHandle AllocImageBlock(size_t bytes) {
    ImageHandle handle;
    if (bytes == 0 || (g_imageBlockByteLimit != 0 && bytes > g_imageBlockByteLimit)) return handle;
    uint8_t* data = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!data) return handle;
    ImageBlock* block = new (std::nothrow) ImageBlock{bytes, data};
    if (!block) {
        std::free(data);
        return handle;
    }
    handle.m_block = block;
    return handle;
}

void FreeImageBlock(ImageHandle& handle) {
    if (handle.m_block) {
        std::free(handle.m_block->bytes);
        delete handle.m_block;
    }
    handle.m_block = nullptr;
}

ImageSlot g_bgImage{};
ImageHandle g_bgImageHandle;
std::string g_bgImagePath;
uint32_t g_bgImagePalette[256] = {};
ImageSlot g_imageSlots[IMAGE_SLOT_COUNT] = {};

namespace {
// A fresh data model has no active image: neither loaded nor placed.
const bool g_activeImageResetRegistered = [] {
    RegisterDataModelReset([] {
        g_bgImage.loaded = 0;
        g_bgImage.positionKnown = 0;
    });
    return true;
}();
}  // namespace
ImageHandle g_imageSlotHandles[IMAGE_SLOT_COUNT];
std::string g_imageSlotPaths[IMAGE_SLOT_COUNT];
int32_t g_imageBrightness = 100;
void (*g_closeImageListWindow)() = nullptr;
void (*g_refreshImageListWindow)() = nullptr;

int32_t ImageRowStride(const ImageSlot& slot) {
    if (slot.isMono) return ((slot.width + 7) / 8 + 3) & ~3;
    if (slot.isIndexed8) return (slot.width + 3) & ~3;
    return slot.width * 4;
}

void SetActiveImageBlock(ImageHandle handle) {
    g_bgImageHandle = handle;
    g_bgImage.pixels = handle.Lock();
}

namespace {

bool InUse(int32_t k) { return !g_imageSlotHandles[k].Empty(); }

void MoveSlot(int32_t from, int32_t to) {
    g_imageSlots[to] = g_imageSlots[from];
    g_imageSlotHandles[to] = g_imageSlotHandles[from];
    g_imageSlotPaths[to] = g_imageSlotPaths[from];
}

// COLORREF (red low) to a palette entry (blue first) and back: red and blue change places.
RgbQuad QuadFromColorRef(uint32_t c) {
    return RgbQuad{static_cast<uint8_t>((c >> 16) & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
                   static_cast<uint8_t>(c & 0xFF), 0};
}

void SetImagePaletteEntries(uint32_t low, uint32_t high) {
    if (!g_drawBitmapInfo) return;
    g_drawBitmapInfo->colors[80] = QuadFromColorRef(low);
    g_drawBitmapInfo->colors[240] = QuadFromColorRef(high);
}

void ActiveColorsToPalette() {
    if (g_bgImage.loaded) SetImagePaletteEntries(g_bgImage.colorLow, g_bgImage.colorHigh);
}

}  // namespace

void ResetImageSlots() {
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        if (!(g_imageSlotHandles[k] == g_bgImageHandle)) FreeImageBlock(g_imageSlotHandles[k]);
        g_imageSlotHandles[k] = ImageHandle{};
        g_imageSlots[k] = ImageSlot{};
        g_imageSlotPaths[k].clear();
    }
    FreeImageBlock(g_bgImageHandle);
    g_bgImage = ImageSlot{};
    g_bgImagePath.clear();
    for (uint32_t& entry : g_bgImagePalette) entry = 0;
    g_imageBrightness = 100;
}

void FreeImageSlots() {
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        // Slot 0's block is the active image's; its owner frees it.
        if (k > 0 && !(g_imageSlotHandles[k] == g_bgImageHandle)) FreeImageBlock(g_imageSlotHandles[k]);
        g_imageSlotHandles[k] = ImageHandle{};
        g_imageSlotPaths[k].clear();
        g_imageSlots[k] = ImageSlot{};
    }
    if (g_closeImageListWindow) g_closeImageListWindow();
}

void RebuildImagePalette() {
    if (g_bgImageHandle.Empty() || !g_drawBitmapInfo) return;
    constexpr uint32_t kGrey = 0x808080, kBlack = 0;
    if (g_bgImage.isMono)
        SetImagePaletteEntries(kGrey, kBlack);
    else
        SetImagePaletteEntries(kBlack, kGrey);
    CreateCanvasPalette(*g_drawBitmapInfo);
}

void SaveMainImageSlot() {
    g_imageSlots[0] = g_bgImage;
    g_imageSlotHandles[0] = g_bgImageHandle;
    g_imageSlotPaths[0] = g_bgImagePath;
}

void LoadMainImageSlot() {
    // An active image read but never put into a slot has no other owner: free it, or it
    // is lost when slot 0 takes its place.
    bool held = g_bgImageHandle.Empty();
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT && !held; ++k) held = g_imageSlotHandles[k] == g_bgImageHandle;
    if (!held) FreeImageBlock(g_bgImageHandle);
    g_bgImage = g_imageSlots[0];
    g_bgImageHandle = g_imageSlotHandles[0];
    g_bgImagePath = g_imageSlotPaths[0];
    g_bgImage.pixels = g_bgImageHandle.Lock();
}

int32_t UsedImageSlotCount() {
    int32_t n = 0;
    while (n < IMAGE_SLOT_COUNT && InUse(n)) ++n;
    return n;
}

void AddImageToSlots() {
    constexpr int32_t last = IMAGE_SLOT_COUNT - 1;
    if (InUse(last)) FreeImageBlock(g_imageSlotHandles[last]);
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        if (InUse(k)) continue;
        g_imageSlots[k] = g_bgImage;
        g_imageSlotHandles[k] = g_bgImageHandle;
        g_imageSlotPaths[k] = g_bgImagePath;
        break;
    }
    LoadMainImageSlot();
}

void MakeSlotMainImage(int32_t k) {
    if (k < 1 || k >= IMAGE_SLOT_COUNT || !InUse(k)) return;
    MoveSlot(k, 0);
    g_imageSlots[k] = g_bgImage;
    g_imageSlotHandles[k] = g_bgImageHandle;
    g_imageSlotPaths[k] = g_bgImagePath;
    g_imageSlots[0].blendMode = BLEND_OVERWRITE;
    LoadMainImageSlot();
    ActiveColorsToPalette();
}

void DeleteImageSlot(int32_t k) {
    if (k < 0 || k >= IMAGE_SLOT_COUNT) return;
    if (InUse(k)) {
        // The main image's block may still be the active image's: empty both together.
        if (g_imageSlotHandles[k] == g_bgImageHandle) g_bgImageHandle = ImageHandle{};
        FreeImageBlock(g_imageSlotHandles[k]);
    }
    g_imageSlots[k].loaded = 0;
    g_imageSlots[k].positionKnown = 0;
    g_imageSlots[k].blendMode = 0;
    g_imageSlots[k].pixels = nullptr;
    g_imageSlotPaths[k].clear();
    for (int32_t j = k + 1; j < IMAGE_SLOT_COUNT; ++j) {
        const bool last = !InUse(j);
        MoveSlot(j, j - 1);
        if (last) break;
    }
    g_imageSlotHandles[IMAGE_SLOT_COUNT - 1] = ImageHandle{};
    g_imageSlotPaths[IMAGE_SLOT_COUNT - 1].clear();
    if (g_imageSlots[0].blendMode != 0) g_imageSlots[0].blendMode = BLEND_OVERWRITE;
    LoadMainImageSlot();
    ActiveColorsToPalette();
}

void CycleSlotBlendMode(int32_t k) {
    if (k < 0 || k >= IMAGE_SLOT_COUNT || !InUse(k)) return;
    if (k == 0)
        g_imageSlots[0].blendMode = BLEND_OVERWRITE;
    else
        g_imageSlots[k].blendMode = (g_imageSlots[k].blendMode + 1) % 5;
    LoadMainImageSlot();
}

void InsertMainImage(uint32_t colorLow, uint32_t colorHigh) {
    constexpr int32_t last = IMAGE_SLOT_COUNT - 1;
    if (InUse(last)) {
        if (g_imageSlotHandles[last] == g_bgImageHandle) g_bgImageHandle = ImageHandle{};
        FreeImageBlock(g_imageSlotHandles[last]);
    }
    for (int32_t k = last - 1; k >= 0; --k) {
        if (!InUse(k)) continue;
        MoveSlot(k, k + 1);
        if (g_imageSlots[k + 1].blendMode != 0) g_imageSlots[k + 1].blendMode = BLEND_HALF_TRANSPARENT;
    }
    g_bgImage.colorLow = colorLow;
    g_bgImage.colorHigh = colorHigh;
    SaveMainImageSlot();
    SetImagePaletteEntries(colorLow, colorHigh);
}

void ShareMainImageColors() {
    for (int32_t k = 1; k < IMAGE_SLOT_COUNT; ++k) {
        if (g_imageSlots[k].loaded) continue;
        g_imageSlots[k].colorLow = g_imageSlots[0].colorLow;
        g_imageSlots[k].colorHigh = g_imageSlots[0].colorHigh;
    }
}

const char* BlendModeLabel(int32_t slot, int32_t blendMode) {
    switch (blendMode) {
        case BLEND_HIDDEN: return "非表示";
        case BLEND_OVERWRITE: return slot == 0 ? "主画像" : "上書";
        case BLEND_BLACK_LINES: return "黒線合成";
        case BLEND_WHITE_LINES: return "白線合成";
        case BLEND_HALF_TRANSPARENT: return "半透明";
        default: return "";
    }
}

ImageListTexts MakeImageListTexts() {
    ImageListTexts t;
    char buf[64];
    for (int32_t k = 0; k < IMAGE_SLOT_COUNT; ++k) {
        std::snprintf(buf, sizeof buf, " %2d ", k + 1);
        t.number[k] = buf;
        const std::string& path = g_imageSlotPaths[k];
        const size_t slash = path.find_last_of('/');
        t.name[k] = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!InUse(k)) continue;
        const ImageSlot& s = g_imageSlots[k];
        t.state[k] = BlendModeLabel(k, s.blendMode < 1 ? 0 : (k == 0 ? 1 : s.blendMode));
        std::snprintf(buf, sizeof buf, "%5d×%5d × %d", s.width, s.height,
                      s.isMono ? 1 : s.isIndexed8 ? 8 : 32);
        t.size[k] = buf;
    }
    std::snprintf(buf, sizeof buf, " %d", g_imageBrightness);
    t.brightness = buf;
    return t;
}

void FillImageList() {
    if (g_refreshImageListWindow) g_refreshImageListWindow();
}
