#pragma once
// Removing the points that neither the TIN nor the outline uses and that are invalid
// (and, when asked, the unused points outside the outline); the TIN edges and the outline
// are renumbered, the TIN itself stays.
#include <cstdint>

// Asks whether the unused points outside the outline go too (Yes, No, Cancel; quiet mode
// answers Yes). Cancel changes nothing. The pick lists are not renumbered: the callers
// empty them first.
void DeleteUnusedPoints();

// Command 32859 未使用点削除: tool windows closed, picks and pick lists emptied, then
// DeleteUnusedPoints and a full repaint.
void OnDeleteUnusedPoints();

// The view's D key (the vector editor closed): the same with random points loaded.
void DeleteUnusedPointsByKey();

// Spare records above which the deletion gives memory back, and what it keeps spare then.
constexpr int32_t kUnusedShrinkSpare = 299999;
constexpr int32_t kUnusedKeepSpare = 100000;
