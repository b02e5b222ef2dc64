#pragma once
// The RND random-point file, the document file of the program: five header lines, then
// one fixed-column line of 63 bytes (CR LF included) per point.
#include <cstdint>
#include <cstdio>

class TextFileWriter;

// Results of WriteRndText.
constexpr int32_t kRndWritten = -1;
constexpr int32_t kRndNoData = 0;
constexpr int32_t kRndWriteFailed = 1;  // refused or failed; the user has been told

// Writes the points as RND text through an open file. Nothing is written when no random
// data are loaded. A coordinate that does not fit its column refuses the whole file
// before anything is written.
int32_t WriteRndText(TextFileWriter& file);

// Reads RND text into the point block and closes the stream. 0 when every point was
// stored (g_pointCount set); k > 0 when the block was too small, k being the number of
// point lines that did not fit (g_pointCount unchanged); -1 on a read error.
int32_t ReadRndText(std::FILE* stream);

// Loads g_currentDataPath with its .TRI and .BND companions, sets the title and data
// folder and the default contour levels. -1 on success; 0 on failure, after a message,
// with the loaded data as they were and g_currentDataPath cleared.
int32_t ReadRndDocument();

// g_pointZMin/g_pointZMax over the valid points inside the outline (both 0 when there
// are none), then the default contour levels for that range.
void SetLoadedElevationRange();
