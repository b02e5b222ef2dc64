#pragma once
// SUNMAP output of the drawing contours (command ＳＵＮＭＡＰ出力): a fixed-column text of
// extents, scale and one record per contour vertex, and the choices of its window.
#include <cstdint>
#include <filesystem>
#include <string>

// Results besides 0.
constexpr int32_t kSunmapNotCreated = -1;   // output not created or contour file not opened
constexpr int32_t kSunmapWriteFailed = -2;  // a write or the close failed; the file is removed

// Writes the file. The extents are those of the random points, or of the contour vertices
// when there are no points.
int32_t WriteSunmapFile(const std::filesystem::path& path, int32_t scale, int32_t mainLineType,
                        int32_t indexLineType, int32_t mainLayer, int32_t indexLayer);

// Whether a level is an index contour of the current index interval.
bool IsIndexContourLevel(double level);

// The window's choices for the program's run.
extern int32_t g_sunmapScale;          // 1
extern int32_t g_sunmapMainLineType;   // 1
extern int32_t g_sunmapIndexLineType;  // 2
extern int32_t g_sunmapMainLayer;      // 1
extern int32_t g_sunmapIndexLayer;     // 2
extern std::string g_sunmapOutPath;
extern int32_t g_sunmapOutBusy;
void ResetSunmapChoices();

// The number edits of the window, by control id.
constexpr int kSunmapEditMainLineType = 1184;
constexpr int kSunmapEditIndexLineType = 1186;
constexpr int kSunmapEditMainLayer = 1187;
constexpr int kSunmapEditIndexLayer = 1188;
constexpr int kSunmapEditScale = 1185;
constexpr int kSunmapEditPath = 1180;

// Opening: the path from the current data file with ".DAT".
void OpenSunmapOut();
// The value an edit shows: "%5d" for the numbers, the path as it is.
std::string SunmapOutEditText(int id);
// An edit losing the focus with text in it: the path is replaced; a number edit takes the
// text's integer value, the scale only when it is above 0.
void SunmapOutEdited(int id, const std::string& text);
// 参照: the save dialog; true when a path was chosen.
bool BrowseSunmapOutPath();
// 出力: checks, asks before replacing, writes under the progress window and tells a
// failure. True when the window closes afterwards (false after a declined replace or while
// busy).
bool RunSunmapOutput();
