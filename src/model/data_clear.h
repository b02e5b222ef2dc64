#pragma once
// データクリアー (32964): chosen kinds of loaded data discarded without closing the document.
#include <cstdint>
#include <functional>

// The dialog "指定データを消去" (181): one member per kind, bit 0 present, bit 1 chosen.
constexpr int32_t kDataPresent = 1;
constexpr int32_t kDataChosen = 2;

struct DataClearValues {
    int32_t tin = 0;      // check box 1034 三角網データ
    int32_t random = 0;   // 1032 ランダムデータ
    int32_t mesh = 0;     // 1008 メッシュデータ
    int32_t route = 0;    // 1009 路線データ
    int32_t image = 0;    // 1010 背景画像
    int32_t dxf = 0;      // 1011 背景ＤＸＦ
    int32_t contour = 0;  // 1012 等高線ファイル
    int32_t slice = 0;    // 1013 スライス等高線
};

// The presence bits of the kinds loaded now; nothing chosen.
DataClearValues DataClearPresence();

// A box ticked or unticked: its chosen bit. Ticking the random data also chooses a present
// TIN (its box then shows ticked); unticking leaves the TIN as it is.
void DataClearTick(DataClearValues& values, int32_t DataClearValues::*member, bool ticked);

// Clears every chosen kind, in a fixed order, then repaints. `forgetDocument` is the
// document's part when the random data go: modified flag off, title and path "No_Name".
// Companion files beside the document stay on disk: only work files are deleted, so data
// that were never saved as cleared can still be opened again.
void ClearChosenData(const DataClearValues& values, const std::function<void()>& forgetDocument);

// The command: the dialog through `runDialog` (nonzero: 実行), then the clearing.
void OnDataClear(const std::function<int(DataClearValues&)>& runDialog,
                 const std::function<void()>& forgetDocument);
