#pragma once
// Editing the TIN by hand in the view: the polygon along TIN edges that registers or
// releases holes or recalculates the TIN inside it.
//
// The click handlers take the key flags of the click (kMouseFlag*) and its client
// position; they only set g_redrawMask, the view repaints after each call.
#include <cstdint>

// Sub-states 53 (register holes, kind asked), 54 (release holes) and 55 (recalculate the
// TIN inside): each click adds a point joined to the last one by a TIN edge; clicking the
// first point again, from the third point on, closes the polygon and acts on it.
void PickTinPolygonAtCursor(int32_t flags, int32_t x, int32_t y);
