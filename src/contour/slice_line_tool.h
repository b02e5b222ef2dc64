#pragma once
// The two slice-line tools of the view (area info and valid/invalid), the slice lines'
// painter layer and the area list.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The nearest line to the view pixel (column, row) with a squared distance below limit;
// 0 when none.
int32_t FindNearestSliceLine(int32_t column, int32_t row, int64_t limit);

// The values the area-info dialog edits.
struct ContourAreaInfoValues {
    int32_t kind = 0;
    int32_t valid = 0;
    int32_t count = 0;
    double elevation = 0;
    double area = 0;
};

// The modal dialogs of the two tools. The program installs them; without one (tests) the
// answer in brackets is taken.
struct SliceLineDialogs {
    // 等高線面積情報 editing the values in place. [unchanged]
    std::function<void(ContourAreaInfoValues&)> runAreaInfo;
    // 数量計算有効無効設定: 1 設定 with valid set (1 有効, 0 無効), 0 中止. [0]
    std::function<int32_t(int32_t& valid)> runQuantityValid;
};
SliceLineDialogs& SliceLineDialogHooks();

// Mouse flags as the view passes them.
void OnClickSliceLineInfo(int32_t flags, int32_t column, int32_t row);
void OnDragSliceLinesValid(int32_t flags, int32_t pressColumn, int32_t pressRow, int32_t column,
                           int32_t row);
// The lines crossed by the segment (x0, y0)-(x1, y1) on the map get their selected flag
// (every other line loses it); returns how many, and the sum of their valid flags.
int32_t SelectSliceLinesCrossing(double x0, double y0, double x1, double y1, int32_t* validSum);

// The lines in the view: a painter layer.
void DrawSliceContours();
void InstallSliceContourLayer();

// The area list: one row per line (No., elevation, count, signed area, kind), and its
// clipboard table with the heading (CP932, CR LF).
std::vector<std::vector<std::string>> SliceAreaListRows();
std::string SliceAreaListText();
// Puts the table on the clipboard; says so when the clipboard is busy.
bool CopySliceAreaList();

