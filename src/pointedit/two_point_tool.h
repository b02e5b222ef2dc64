#pragma once
// The two-point tool: two points (or a chain of base points picked with Shift) are picked,
// their information shown, then new points are clicked in between and get elevations
// interpolated along the base line by distance.
#include <cstdint>

#include "model/terrain_data.h"

// Phases, held in g_outlineEditState while the tool is on.
constexpr int32_t kTwoPointPick = 0;
constexpr int32_t kTwoPointCreate = 1;
constexpr int32_t kTwoPointChain = 3;
constexpr int32_t kTwoPointChainDone = 4;
constexpr int32_t kTwoPointChainCreate = 5;

// 1 while the chain is picked with Shift held.
extern int32_t g_twoPointChainMode;

// The tool's release (flags: the mouse message's key flags).
void OnClickTwoPointMode(int32_t flags, int32_t x, int32_t y);
// Delete: one step back in the current phase.
void UndoTwoPointStep();
// Enter: ends a chain being picked; otherwise empties the pick list.
void TwoPointEnterKey();

// Sets the elevations of the created points (g_pickList2 between its first and last
// entries) along the chain g_pickList by path length.
void InterpolateAddedPointsZ();
// The chain segment nearest to t (1 = from the first chain point to the second); t's Z
// becomes the segment's elevation at the foot of the perpendicular.
int32_t ProjectOnPickedChain(RandomPoint& t);
