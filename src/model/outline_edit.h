#pragma once
// The outline and pick-list resets that the outline, TIN and point tools call before and
// after picking.
#include <cstdint>

// Empties the outline (every entry 0) and clears the outside byte and the whole flag byte
// of every point.
void ClearOutline();
// Clears the first two picked points; with at least two points also empties g_pickList2
// and clears its flag bit 0x02 on every point.
void ClearPicks();
// With at least two points: empties g_pickList and clears its flag bit 0x04 on every point.
void ClearPickList();
