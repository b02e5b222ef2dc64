#pragma once
// The reset routines of picking: called before and after the tools pick points.
#include <cstdint>

// Clears g_pickedPoint and g_pickedPoint2; with at least two points also empties
// g_pickList2 and clears flag bit 0x02 of every point.
void ClearPicks();
// With at least two points, empties g_pickList and clears flag bit 0x04 of every point.
void ClearPickList();
