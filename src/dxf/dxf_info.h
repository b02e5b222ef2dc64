#pragma once
// The element information tool (背景ＤＸＦ): picking elements and polyline ranges with
// clicks in the plan view, marking where a Shift+clicked polyline crosses the previous
// pick, and deleting the picked elements or those outside the view.
#include <cstdint>
#include <utility>

// First and last element of the polyline that holds element e; end 0 when the walk finds
// no end.
std::pair<int32_t, int32_t> ResolveDxfPolylineRange(int32_t e);

// A plain click at (g_dxfPickCursorX, g_dxfPickCursorY).
void PickDxfElement();
// A Shift+click: the crossings of the polyline under the cursor with the previous pick go
// to g_dxfMarkedPoints; the pick is cleared.
void MarkPolylineIntersections();

// A click the view hands to the tool: Shift right after a plain click marks crossings,
// any other click picks. Clears the marked points first and redraws the view after.
// True when the click marked crossings.
bool DxfInfoClick(int32_t column, int32_t row, bool shift);
// The alternation between plain and Shift clicks (clear at start).
extern bool g_dxfClickAlternate;

// 検索要素削除: asks, then removes the picked range. The pick is cleared whatever the answer.
void DeleteSearchedElements();
// 表示範囲外要素削除: asks, then removes the elements farther from the view centre than
// five sixths of the view's mean size; the inside parts of polylines stay polylines.
void DeleteElementsOutsideView();

// Clears every element's selected flag.
void ClearDxfSelection();
