#include "image/image_slot.h"

ImageSlot g_bgImage{};
uint32_t g_bgImagePalette[256] = {};

int32_t ImageRowStride(const ImageSlot& slot) {
    if (slot.isMono) return ((slot.width + 7) / 8 + 3) & ~3;
    if (slot.isIndexed8) return (slot.width + 3) & ~3;
    return slot.width * 4;
}
