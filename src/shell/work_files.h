#pragma once
// The five work files in this instance's temp folder. There is no number 3.
#include <string>

#include "contour/contour_files.h"  // g_contourLinesPath, "_#ovk$1.$$$"

extern std::string g_contourIndexPath;  // "_#ovk$2.$$$"
extern std::string g_tempPath4;         // "_#ovk$4.$$$"
extern std::string g_tempPath5;         // "_#ovk$5.$$$"
extern std::string g_sectionTempPath;   // "_#ovk$6.$$$"

// Names the five paths in TempFolder(), in the order $1, $2, $4, $5, $6.
void SetWorkFilePaths();
// Deletes the five files; a missing one is no error.
void DeleteWorkFiles();
