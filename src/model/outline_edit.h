#pragma once
// The outline reset that the outline, TIN and point tools call before and after picking;
// the pick resets live beside it in pick_reset.h.
#include <cstdint>

#include "model/pick_reset.h"

// Empties the outline (every entry 0) and clears the outside byte and the whole flag byte
// of every point.
void ClearOutline();
