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
