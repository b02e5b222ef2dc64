#pragma once
// Average-end-area quantities over the elevation table: volume between consecutive rows,
// cumulative and remaining volume and the capacity above a reference level (LWL), and
// their list in the storage or earthwork layout, as clipboard text and as a text report.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Fills rows g_sliceStartRow..g_sliceEndRow from the slice lines at their levels and
// sets g_sliceTotal. 0 done (start after end: nothing computed, total 0); 1 when the
// table is empty or there is no slice store.
int32_t CalcSliceQuantities();

// Prints with the given decimals ("%.Nf") and reads the text back.
double RoundSliceValue(double value, int32_t decimals);

enum class QuantityLayout { kStorage, kEarthwork };
// The list opens in the earthwork layout for ground space, else in the storage layout.
QuantityLayout DefaultQuantityLayout();

// Column headings of the list grid (8 storage, 7 earthwork; UTF-8).
std::vector<std::string> QuantityListHeadings(QuantityLayout layout);
// The cells of a table row: signed values with their decimals, no field width.
std::vector<std::string> QuantityListCells(QuantityLayout layout, int32_t row);

// 表コピー text (CP932, CR LF): heading, units, one line per row of the range.
std::string QuantityTableText(QuantityLayout layout);
// テキスト出力: the comma-separated report; 0 done, 1 when the file cannot be created or
// a write failed.
int32_t WriteQuantityTextFile(const std::string& path, QuantityLayout layout, bool headings);
// The button: file dialog, the file, the headings question, the report.
void OnWriteQuantityText(QuantityLayout layout);
// The button 表コピー: the text on the clipboard (message when it is busy).
void OnCopyQuantityTable(QuantityLayout layout);

// Dialog 数量計算 (205) opening: the three rows from their levels.
void OpenQuantityCalcRows();

// Dialog 数量計算有効無効設定 (207): 1 valid, 0 invalid.
struct QuantityValidValues {
    int32_t valid = 1;
};
// Shows the dialog: true after 設定 with `values` set, false after 中止 (and when no window
// system installed the dialog).
bool RunQuantityValidDialog(QuantityValidValues& values);
using QuantityValidDialogRunner = std::function<bool(QuantityValidValues&)>;
void SetQuantityValidDialogRunner(QuantityValidDialogRunner runner);

// The frame's 数量計算 (32895): tools reset, tool windows closed, the dialog (its runner
// returns false when stopped), the calculation, the total and the list.
void OnQuantityCalc(const std::function<bool()>& runDialog, const std::function<void()>& openList);
