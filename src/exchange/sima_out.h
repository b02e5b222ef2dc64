#pragma once
// SIMA output of the random points, the TIN (parcels or triangles) and the contour lines
// (command ＳＩＭＡ出力), and the values of its window ＳＩＭＡファイル出力 (IDD_SIMAOUT).
#include <cstdint>
#include <filesystem>
#include <string>

// TIN forms.
constexpr int32_t kSimaFormTriangles = 0;   // 三角形（三斜）
constexpr int32_t kSimaFormComponents = 1;  // 構成点（画地）

// Results of WriteSimaFile besides 0.
constexpr int32_t kSimaNothingOrNotCreated = -1;
constexpr int32_t kSimaWriteFailed = -2;  // what was written is removed

// The work file of the parcel records, in this instance's temp folder.
constexpr const char* kSimaWorkFileName = "_#OVKSIMA.$$$";

// Writes the file. 0 on success; kSimaNothingOrNotCreated when neither part is chosen or a
// file cannot be created; kSimaWriteFailed when a write or the close failed.
int32_t WriteSimaFile(const std::filesystem::path& path, int32_t contours, int32_t tin, int32_t form);

// The window's choices for the program's run.
extern int32_t g_simaOutContours;  // 1
extern int32_t g_simaOutTin;       // 1
extern int32_t g_simaOutForm;      // kSimaFormComponents
extern std::string g_simaOutPath;
extern int32_t g_simaOutBusy;
void ResetSimaOutChoices();

// Opening: the path from the current data file with ".SIM", the parts that exist.
void OpenSimaOut();
// The output path edit losing the focus: a non-empty text (at most 62 characters) replaces it.
void SimaOutPathEdited(const std::string& text);
// 参照: the save dialog; true when a path was chosen.
bool BrowseSimaOutPath();
// 出力: checks, asks before replacing, writes under the progress window and tells a
// failure. True when the window closes afterwards (false only after a declined replace
// or while busy).
bool RunSimaOutput(bool contoursChecked, bool tinChecked);
