#pragma once
// Deleting many points at once while the TIN and the outline stay: the points that go are
// decided, the staying ones numbered 1, 2, 3 ... in order, every index list rewritten and
// the array compacted. The TIN is not rebuilt.
#include <cstdint>

enum class PointDeletionVariant {
    // Invalid points that no TIN edge and no outline vertex uses; the selection bits 0x02
    // and 0x10 are cleared first; the block shrinks when much of it is spare.
    kInvalidPoints,
    // Points named "_" and a digit that no TIN edge uses; the used ones keep the place but
    // lose the name; the pick lists follow the numbering.
    kLineNumbers,
};

void DeletePointsKeepingTin(PointDeletionVariant variant);
// The invalid-point variant (the area edits' 無効点削除).
void DeleteInvalidPoints();

// Spare records above which the invalid-point deletion gives memory back.
constexpr int32_t kPointShrinkSpare = 10000;
