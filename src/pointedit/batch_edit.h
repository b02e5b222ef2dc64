#pragma once
// Batch edit of the points a rectangle, a polygon or a lasso encloses (一括編集): the
// elevation (a value or a height difference), validity, name and plot kind, and the file
// of the points no TIN edge uses. The settings keep their values for the session; the
// values themselves are the new-point settings (g_newPointZ, g_newPointName,
// g_newPointPlotMode).
#include <cstdint>
#include <functional>
#include <string>

#include "model/terrain_data.h"

extern int32_t g_batchSetElevation;   // edit the elevation
extern int32_t g_batchUseHeightDiff;  // 1: Z + g_batchHeightDiff, 0: Z = g_newPointZ
extern double g_batchHeightDiff;
extern double g_batchElevationWheelStep;
extern int32_t g_batchSetValid;  // edit the validity
extern int16_t g_batchInvalid;   // 0 valid, 1 invalid
extern int32_t g_batchSetName;
extern int32_t g_batchSetPlot;

// The switches off, the values as at start (the shared new-point values are left alone).
void ResetBatchSettings();

// ---- the dialog (ランダム点一括編集) ----

// Runs the dialog modally: 1 for 編集, 0 for 中止 or Esc. Installed by the program;
// without it the dialog answers 0.
void SetBatchEditDialogRunner(std::function<int()> runner);
int32_t RunBatchEditDialog();

// Insert or Delete held as the dialog opens, or pressed in it: the validity switch on with
// valid (Insert) or invalid (Delete). True when the key was one of them: the dialog then
// ends with 編集.
bool BatchEditValidityKey(bool insert, bool del);
// The elevation edit left: "s" or "S" and a number sets the wheel step (a step that is not
// positive becomes 0.001), any other number the given elevation. Returns the text the
// edit shows then ("%.3f" of the elevation).
std::string BatchEditElevationLeft(const std::string& text);
// The height-difference edit left; returns its new text.
std::string BatchEditHeightDiffLeft(const std::string& text);
// The name edit left (UTF-8): at most 11 bytes of its CP932 form, never half a
// character. Returns the name as the edit shows it (UTF-8).
std::string BatchEditNameLeft(const std::string& utf8);
// A wheel notch over the dialog: the elevation goes up by the step for delta > 0, else
// down; a whole-number step then snaps the elevation to a multiple of it (towards 0).
void BatchEditWheel(int32_t delta);

// ---- applying ----

// The batch settings on one point; an outline vertex always stays valid.
void ApplyBatchSettings(RandomPoint& p);
// The lasso's end: clears the selection bits 0x02 and 0x10 of every point and, when the
// dialog ended with 編集 (result 1), edits the points that carried them.
void ApplyBatchEdit(int32_t result);
// Runs the dialog over the lasso's points and applies it (the batch lasso's runner).
void RunBatchEditOnLasso();
// Rectangle (sub-state 8): the dialog runs; with 編集 every point carrying
// POINT_FLAG_NEW_SELECTION loses the flag and is edited. Nonzero when anything changed.
int32_t ApplyBatchEditToSelection();
// Polygon (sub-state 9): a click adds a vertex, on the first vertex of a polygon of more
// than 2 vertices runs the dialog over the points inside or on it, on the last vertex
// drops it. Returns the point clicked (0 none).
int32_t PickSelectionPolygonPoint(int32_t flags, int32_t x, int32_t y);

// ---- the points outside the TIN (三角網未使用点ファイル出力) ----

// Writes the points that no TIN edge uses (every point without a TIN) to `path`; "該当する
// 点がありませんでした。" when there is none. True when a file was written.
bool WriteUnusedPointsRnd(const std::string& path);
// Asks for the file and writes it.
bool OnWriteUnusedPoints();
