#pragma once
// What the point-editing tools do with the points a dragged rectangle selected (flag bit
// 0x10). The TIN editing's rectangle dispatch calls these by the point tool's sub-state.
#include <cstdint>

#include "model/terrain_data.h"  // kPointFlagRectSelected

// Sub-state 5: toggles the validity of the selected points. Returns nonzero when anything
// changed (the view is then repainted fully).
int32_t ToggleValidInSelection();
// Sub-state 8: applies the batch settings to the selected points.
int32_t ApplyBatchEditToSelection();
