#pragma once
// The elevation table of the slice quantities: the levels at which slice lines are
// computed, their areas and (after the quantity calculation) volumes; its editing, its
// clipboard text, the level-list file (.HLT), the slice-line file (.CT3) and the
// conversion of slice lines into ordinary contours.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SliceLevel {
    double depth;              // |elevation - elevation of the calculation's first row|
    double elevation;
    double area;               // signed: ground added, water subtracted
    double averageArea;
    double volume;             // between the previous row and this one
    double remainingVolume;    // g_sliceTotal - cumulativeVolume
    double effectiveCapacity;  // above the reference row: its cumulative minus this row's
    double cumulativeVolume;
    int32_t attribute;         // 1 index contour, 0 main contour
};

constexpr int32_t kSliceLevelCapacity = 63999;

// Rows 1..g_sliceLevelCount (row 0 unused); the vector always holds count + 1 rows.
extern std::vector<SliceLevel> g_sliceLevels;
extern int32_t g_sliceLevelCount;
extern double g_sliceReferenceLevel;
extern int32_t g_sliceReferenceRow;
extern double g_sliceStartLevel;
extern int32_t g_sliceStartRow;
extern double g_sliceEndLevel;
extern int32_t g_sliceEndRow;
extern double g_sliceTotal;
extern int32_t g_sliceAverageDecimals;
extern int32_t g_sliceVolumeDecimals;
extern int32_t g_sliceElevationDecimals;
extern int32_t g_sliceDepthDecimals;

// Empties the table: count, the three rows and levels and the total 0.
void ClearSliceLevels();
// Appends a zero row with the elevation and attribute; false when the table is full.
bool AppendSliceLevel(double elevation, int32_t attribute);

// Messages of the table.
inline constexpr const char* kSliceLimitReached = "制限に達しました。";
inline constexpr const char* kSliceNoLevels = "等高線標高を入力してください。";

// ---- batch input (一括入力) ----

struct LevelBatchInputValues {
    double from = 0, to = 0, mainInterval = 0, indexInterval = 0;
    bool fromSet = false, toSet = false, mainSet = false, indexSet = false;
    bool replace = false;  // 新規: the table is emptied first; 追加 keeps it
};
// An edit of the batch dialog lost the focus with its text: the value is taken ("%8.3f"
// is what the edit then shows). The main interval is taken as its absolute value only
// above 0.00001 and sets the index interval (5 × main, 1 below 1); otherwise it is
// cleared and the edit emptied.
enum class BatchField { kFrom, kTo, kMain, kIndex };
void ReadBatchField(LevelBatchInputValues& values, BatchField field, const std::string& text);
// "登録": false (with the message) unless all four values were entered.
bool AcceptLevelBatchInput(const LevelBatchInputValues& values);
// Adds from, the steps of the main interval toward to, then to itself.
void ApplyLevelBatchInput(const LevelBatchInputValues& values);
// One level of the batch: the attribute from the index interval; a row that existed
// before the batch (rows 1..existingRows) within 0.001 takes it with area 0.
void AddSliceLevel(double elevation, double indexInterval, int32_t existingRows);

// ---- editing ----

// 昇順ソート / 降順ソート (nothing with fewer than 2 rows).
void SortSliceLevels(bool ascending);
// 挿入 before row `row` (1-based); rows from it move down, the row keeps a copy.
// Messages for no row, too few rows and a full table; false when refused.
bool InsertSliceLevel(int32_t row);
// 削除 of rows first..last; false (with the message) when no row is selected.
bool DeleteSliceLevels(int32_t first, int32_t last);
// The edit over a cell committed: column 1 elevation, 2 attribute. Row count + 1 with
// a non-empty elevation appends a row (false when the table is full, with the message).
// Returns true when a row was stored or appended.
bool StoreSliceLevelCell(int32_t row, int32_t col, const std::string& text);
// What a grid row shows: "%4d ", " %5.3f", "%4d ", "%.3f " (row beyond the table: empty).
std::vector<std::string> SliceLevelCells(int32_t row);

// 表コピー text (CP932, CR LF); empty without rows.
std::string SliceLevelTableText();
// 貼り付け: every table line appends a row (elevation, attribute, area; TAB separated);
// empty lines and heading lines are skipped. Rows beyond the table's room are dropped
// with the message. Returns the rows appended.
int32_t PasteSliceLevels(const std::string& cp932);

// The buttons: 表コピー (busy clipboard said), 貼り付け (no text or no clipboard said).
void OnCopySliceLevels();
void OnPasteSliceLevels();

// ---- files ----

// 0 done, 1 when the file cannot be created or a write failed.
int32_t WriteLevelListFile(const std::string& path);
// 0 done, 1 when the file cannot be opened (the table is then left as it was). A file
// with more rows than the table holds is read up to the table's size, with the message.
int32_t ReadLevelListFile(const std::string& path, bool allFields);
// The last row within 0.001 of the level (0 when none); the level takes the matched
// row's exact elevation as each match is found.
int32_t FindSliceLevelRow(double& level);
// Start, end and reference row from their levels: no start row gives row 1, no end or
// reference row the last row.
void MatchSliceRangeRows();

// 標高リスト読み込み: the file dialog, then the file (all fields 0). True when a file was
// read; a file that cannot be opened is said.
bool OnLoadLevelList();

// 0 done, 1 when there is no slice store, the file cannot be created or a write failed.
int32_t WriteSliceContourFile(const std::string& path);
// Rewrites both contour work files with the slice lines (all, or those that are valid
// and not undetermined). 0 done, 1 without a slice store or when a work file cannot be
// opened (then nothing is written) or a write failed.
int32_t WriteSliceLinesAsContours(bool allLines);
inline constexpr const char* kSliceConvertQuestion = "数量計算に無効のデータを出力しますか";
// The frame's 32900 and the dialog's 通常等高線に変換: the question, the conversion, the
// flags and the redraw.
void OnSliceToContour();

// ---- area calculation (面積計算) ----

// The slice-line calculation with the TIN skirt around it: (minimum area, drop small
// lines). The slice lines' own by default; an empty one puts that back.
using SliceAreaCalculation = std::function<void(double minimumArea, int32_t dropSmall)>;
void SetSliceAreaCalculation(SliceAreaCalculation calculation);
bool SliceAreaCalculationAvailable();
// Asks the line method (returns false when stopped).
using SliceMethodQuestion = std::function<bool()>;
void SetSliceMethodQuestion(SliceMethodQuestion question);
// g_pointZMin/g_pointZMax from the valid points inside the outline; returns the
// diagonal of their extent.
double ScanSlicePointRange();
// The smoothness proposed when it is 0: 0.002 × that diagonal.
void ProposeSliceSmoothness();
// 面積計算: the message without rows; nothing while the progress window is open; the
// method question, the calculation (which fills the rows' areas), then the slice lines
// shown. False when nothing was calculated.
bool OnCalcSliceAreas(double minimumArea, int32_t dropSmall);
