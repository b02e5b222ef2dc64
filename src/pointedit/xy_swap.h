#pragma once
// XY反転: data delivered with north and east exchanged, repaired in place. What derives
// from the old geometry and is not converted (mesh, background image, contours, slice
// contours) is dropped.
#include <cstdint>
#include <functional>

// State words of the dialog's three data sets: bit 0 the set exists (its box is enabled),
// bit 1 it is chosen (ticked).
constexpr int32_t kXySwapExists = 1;
constexpr int32_t kXySwapChosen = 2;

struct XySwapChoice {
    int32_t randomData = 0;     // 1032 ランダムデータ: points, TIN, outline, text flags
    int32_t routeData = 0;      // 1009 路線データ: IPs, stations, other routes, sections
    int32_t backgroundDxf = 0;  // 1011 背景ＤＸＦ
};

// The dialog's starting state: the sets that exist, none chosen.
XySwapChoice OpenXySwapChoice();

// True when at least one existing set is chosen.
bool AnyXySwapChosen(const XySwapChoice& choice);

// Exchanges X and Y in the chosen sets and drops the derived data. A choice with nothing
// ticked changes nothing (returns false). Companion files on disk that held the dropped
// contours and slices are not deleted now: they go when the document is next saved, so
// leaving without saving keeps the document on disk whole.
bool SwapXY(const XySwapChoice& choice);

// 33033: asks with the dialog (runner returns false for 中止), swaps, then fits the view.
void OnSwapXY(const std::function<bool(XySwapChoice&)>& runDialog);
